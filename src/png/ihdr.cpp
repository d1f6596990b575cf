// The image header chunk and the pixel storage it owns.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "png/byteorder.h"
#include "png/chunks.h"
#include "png/pngimage.h"
#include "png/rowenc.h"

using pngbytes::GetBE32;
using pngbytes::PutBE32;

namespace {

// Storage bits per pixel for a colour type and bit depth, 0 when there is no layout.
// Grey with alpha below 8 bits only arises from adding an alpha channel to a low-depth
// grey image; copies of such images keep the grey layout.
int StorageBitsFor(TPngColorType colorType, unsigned bitDepth, bool& usesColorTable, bool lowGreyAlpha) {
  usesColorTable = true;
  switch (colorType) {
    using enum TPngColorType;
    case Grey:
    case Palette:
      switch (bitDepth) {
        case 1: return 1;
        case 2: case 4: return 4;
        case 8: return 8;
        case 16: return colorType == Grey ? 8 : 0;
      }
      return 0;
    case GreyAlpha:
      if (lowGreyAlpha && bitDepth < 8) return bitDepth == 1 ? 1 : bitDepth == 2 || bitDepth == 4 ? 4 : 0;
      return bitDepth == 8 || bitDepth == 16 ? 8 : 0;
    case Rgb:
    case Rgba:
      usesColorTable = false;
      return bitDepth == 8 || bitDepth == 16 ? 24 : 0;
  }
  return 0;
}

}  // namespace

TChunkIHDR::TChunkIHDR(TPngImage* owner) : TChunk(owner) {}

TChunkIHDR::~TChunkIHDR() { FreeStorage(); }

void TChunkIHDR::FreeStorage() {
  if (storageBitmap_) DeleteObject(storageBitmap_);
  if (storageDC_) DeleteDC(storageDC_);
  storageBitmap_ = nullptr;
  storageDC_ = nullptr;
  pixelBits_ = nullptr;
  alphaPlane_.reset();
  if (OwnerImage()) OwnerImage()->CreditStorage(storageBytes_);
  storageBytes_ = 0;
}

void TChunkIHDR::PrepareStorage() { PrepareStorageFor(false); }

void TChunkIHDR::PrepareStorageFor(bool lowGreyAlpha) {
  headerInfo_ = BITMAPINFO{};
  FreeStorage();

  int bits = StorageBitsFor(colorType_, bitDepth_, usesColorTable_, lowGreyAlpha);
  if (bits == 0) RaisePngError<EPngUnsupportedFormat>(OwnerImage(), png_messages::kUnsupportedFormat);
  std::uint64_t width = imageWidth_;
  std::uint64_t height = imageHeight_ > 0 ? std::uint64_t(imageHeight_) : 0;
  if (width > 0x7FFFFFFF / 32) RaisePngError<EPngSizeExceeds>(OwnerImage(), png_messages::kSizeExceeds);
  std::uint64_t stride = (std::uint64_t(bits) * width + 31) / 32 * 4;
  bool alpha = HasAlphaSamples(colorType_);
  std::uint64_t bytes = stride * height + (alpha ? width * height : 0);
  // The limit covers every header of the image so that repeated headers cannot add up.
  if (OwnerImage() && !OwnerImage()->StorageFits(bytes))
    RaisePngError<EPngOutMemory>(OwnerImage(), png_messages::kOutMemory);

  BITMAPINFOHEADER& h = headerInfo_.bmiHeader;
  h.biSize = 40;
  h.biWidth = LONG(imageWidth_);
  h.biHeight = imageHeight_;
  h.biPlanes = 1;
  h.biBitCount = WORD(bits);
  h.biCompression = BI_RGB;
  rowStride_ = std::int32_t(stride);

  if (alpha && width * height > 0) {
    // calloc hands out fresh zero pages for large planes without writing them first.
    alphaPlane_.reset(static_cast<std::uint8_t*>(std::calloc(width * height, 1)));
    if (!alphaPlane_) RaisePngError<EPngOutMemory>(OwnerImage(), png_messages::kOutMemory);
  }
  storageDC_ = CreateCompatibleDC(nullptr);
  if (!storageDC_) RaisePngError<EPngOutMemory>(OwnerImage(), png_messages::kOutMemory);
  if (width > 0 && height > 0) {
    void* bitsPtr = nullptr;
    storageBitmap_ = CreateDIBSection(storageDC_, &headerInfo_, DIB_RGB_COLORS, &bitsPtr, nullptr, 0);
    pixelBits_ = static_cast<std::uint8_t*>(bitsPtr);
    if (!storageBitmap_ || !pixelBits_) RaisePngError<EPngOutMemory>(OwnerImage(), png_messages::kOutMemory);
  }
  storageBytes_ = bytes;
  if (OwnerImage()) {
    OwnerImage()->ChargeStorage(bytes);
    OwnerImage()->DeletePaletteCache();
  }
  // The platform's DIB sections start out zeroed, so the pixels are already cleared.
}

void TChunkIHDR::CreateOpaqueAlphaPlane() {
  std::uint64_t n = std::uint64_t(imageWidth_) * std::uint64_t(std::max(imageHeight_, 0));
  if (OwnerImage() && !OwnerImage()->StorageFits(n))
    RaisePngError<EPngOutMemory>(OwnerImage(), png_messages::kOutMemory);
  AlphaBuffer plane(static_cast<std::uint8_t*>(std::malloc(std::max<std::uint64_t>(n, 1))));
  if (!plane) RaisePngError<EPngOutMemory>(OwnerImage(), png_messages::kOutMemory);
  std::memset(plane.get(), 255, n);
  alphaPlane_ = std::move(plane);
  storageBytes_ += n;
  if (OwnerImage()) OwnerImage()->ChargeStorage(n);
}

bool TChunkIHDR::ReadFromStream(TStream& stream, const char* type, std::uint32_t length) {
  ReadBodyAndCrc(stream, type, length);
  // Only the image's first chunk is its header; a later one would change the interlacing
  // of data laid out by the first.
  const bool first = !OwnerImage() || OwnerImage()->Chunks().Count() == 0 || OwnerImage()->Chunks().Item(0) == this;
  if (length < 13 || !first) RaisePngError<EPngInvalidIHDR>(OwnerImage(), png_messages::kInvalidIHDR);
  const std::uint8_t* p = Body();
  std::uint32_t width = GetBE32(p), height = GetBE32(p + 4);
  bitDepth_ = p[8];
  colorType_ = TPngColorType(p[9]);
  compressionMethod_ = p[10];
  filterMethod_ = p[11];
  interlaceMethod_ = p[12];
  if (width > 65535 || height > 65535) RaisePngError<EPngSizeExceeds>(OwnerImage(), png_messages::kSizeExceeds);
  imageWidth_ = width;
  imageHeight_ = std::int32_t(height);
  if (compressionMethod_ != 0)
    RaisePngError<EPngUnknownCompression>(OwnerImage(), png_messages::kUnknownCompression);
  if (interlaceMethod_ > 1) RaisePngError<EPngUnknownInterlace>(OwnerImage(), png_messages::kUnknownInterlace);
  OwnerImage()->SetInterlacing(interlaceMethod_);
  PrepareStorage();
  return true;
}

bool TChunkIHDR::WriteToStream(TStream& stream) {
  // The body describes the data as the IDAT writer encodes it (depth, deflate, filter
  // method 0, interlacing from the image); the fields themselves are left as they are, so
  // writing never changes what the image reports.
  SetBodyLength(13);
  std::uint8_t* p = Body();
  PutBE32(p, imageWidth_);
  PutBE32(p + 4, std::uint32_t(imageHeight_));
  p[8] = std::uint8_t(pngrow::WrittenBitDepth(colorType_, bitDepth_));
  p[9] = std::uint8_t(colorType_);
  p[10] = 0;
  p[11] = 0;
  p[12] = (OwnerImage() ? OwnerImage()->Interlacing() : interlaceMethod_) == 1 ? 1 : 0;
  return WriteFramed(stream);
}

void TChunkIHDR::CopyFrom(const TChunk& other) {
  auto* src = dynamic_cast<const TChunkIHDR*>(&other);
  if (!src) RaisePngError<EPngError>(OwnerImage(), png_messages::kChunksNotCompatible);
  imageWidth_ = src->imageWidth_;
  imageHeight_ = src->imageHeight_;
  bitDepth_ = src->bitDepth_;
  colorType_ = src->colorType_;
  compressionMethod_ = src->compressionMethod_;
  filterMethod_ = src->filterMethod_;
  interlaceMethod_ = src->interlaceMethod_;
  PrepareStorageFor(true);
  std::size_t h = std::size_t(std::max(imageHeight_, 0));
  if (pixelBits_ && src->pixelBits_ && src->rowStride_ == rowStride_)
    std::memcpy(pixelBits_, src->pixelBits_, std::size_t(rowStride_) * h);
  if (src->alphaPlane_) {
    if (!alphaPlane_) CreateOpaqueAlphaPlane();
    std::memcpy(alphaPlane_.get(), src->alphaPlane_.get(), std::size_t(imageWidth_) * h);
  }
  std::copy(std::begin(src->headerInfo_.bmiColors), std::end(src->headerInfo_.bmiColors), headerInfo_.bmiColors);
}

std::uint32_t TChunkIHDR::PaletteEntry(unsigned index) const {
  const TChunkPLTE* plte = OwnerImage() ? OwnerImage()->Chunks().FirstOfClass<TChunkPLTE>() : nullptr;
  if (!plte) RaisePngError<EPngError>(OwnerImage(), png_messages::kNoSuchPaletteEntry);
  return plte->Item(index);
}
