// The pixel storage of an image: its layouts, its memory and its accounting.
#include "png/pngstorage.h"

#include <algorithm>
#include <cstring>

#include "platform/base/muldiv.h"
#include "png/chunks.h"

namespace {

// Storage bits per pixel for a colour type and bit depth, 0 when there is no layout.
// Grey with alpha below 8 bits only arises from adding an alpha channel to a low-depth
// grey image; copies of such images (`lowGreyAlpha`) keep the grey layout.
int StorageBitsFor(TPngColorType colorType, unsigned d, bool lowGreyAlpha) {
  using enum TPngColorType;
  if (lowGreyAlpha && colorType == GreyAlpha) colorType = Grey;
  const bool whole = d == 8 || d == 16;
  switch (colorType) {
    case Grey: return d == 1 ? 1 : d == 2 || d == 4 ? 4 : whole ? 8 : 0;
    case Palette: return d == 1 ? 1 : d == 2 || d == 4 ? 4 : d == 8 ? 8 : 0;
    case GreyAlpha: return whole ? 8 : 0;
    case Rgb:
    case Rgba: return whole ? 24 : 0;
  }
  return 0;
}

}  // namespace

void TPngStorage::Free() {
  if (storageBitmap_) DeleteObject(storageBitmap_);
  if (storageDC_) DeleteDC(storageDC_);
  storageBitmap_ = nullptr;
  storageDC_ = nullptr;
  pixelBits_ = nullptr;
  alphaPlane_.reset();
  bytes_ = 0;
  madeBy_ = nullptr;
}

void TPngStorage::Prepare(const TChunkIHDR& header, bool lowGreyAlpha, std::uint64_t limit) {
  headerInfo_ = BITMAPINFO{};
  Free();

  int bits = StorageBitsFor(header.ColorType(), header.BitDepth(), lowGreyAlpha);
  if (bits == 0) RaisePngError<EPngUnsupportedFormat>(nullptr, png_messages::kUnsupportedFormat);
  usesColorTable_ = bits < 24;
  std::uint64_t width = header.ImageWidth();
  std::uint64_t height = header.ImageHeight() > 0 ? std::uint64_t(header.ImageHeight()) : 0;
  if (width > 0x7FFFFFFF / 32) RaisePngError<EPngSizeExceeds>(nullptr, png_messages::kSizeExceeds);
  std::uint64_t stride = (std::uint64_t(bits) * width + 31) / 32 * 4;
  bool alpha = HasAlphaSamples(header.ColorType());
  std::uint64_t bytes = stride * height + (alpha ? width * height : 0);
  if (bytes > limit) RaisePngError<EPngOutMemory>(nullptr, png_messages::kOutMemory);

  BITMAPINFOHEADER& h = headerInfo_.bmiHeader;  // an RGB bitmap of one plane, 40 bytes
  h.biWidth = LONG(width);
  h.biHeight = header.ImageHeight();
  h.biBitCount = WORD(bits);
  rowStride_ = std::int32_t(stride);
  madeBy_ = &header;  // what follows goes with the header, also when it fails half way

  if (alpha && width * height > 0) {
    // calloc hands out fresh zero pages for large planes without writing them first.
    alphaPlane_.reset(static_cast<std::uint8_t*>(std::calloc(width * height, 1)));
    if (!alphaPlane_) RaisePngError<EPngOutMemory>(nullptr, png_messages::kOutMemory);
  }
  storageDC_ = CreateCompatibleDC(nullptr);
  if (!storageDC_) RaisePngError<EPngOutMemory>(nullptr, png_messages::kOutMemory);
  if (width > 0 && height > 0) {
    void* bitsPtr = nullptr;
    storageBitmap_ = CreateDIBSection(storageDC_, &headerInfo_, DIB_RGB_COLORS, &bitsPtr, nullptr, 0);
    pixelBits_ = static_cast<std::uint8_t*>(bitsPtr);
    if (!storageBitmap_ || !pixelBits_) RaisePngError<EPngOutMemory>(nullptr, png_messages::kOutMemory);
  }
  bytes_ = bytes;
  // The platform's DIB sections start out zeroed, so the pixels are already cleared.
}

void TPngStorage::AddOpaqueAlphaPlane(std::uint64_t limit) {
  std::uint64_t n = std::uint64_t(Width()) * std::uint64_t(std::max(Height(), 0));
  if (bytes_ + n > limit) RaisePngError<EPngOutMemory>(nullptr, png_messages::kOutMemory);
  decltype(alphaPlane_) plane(static_cast<std::uint8_t*>(std::malloc(std::max<std::uint64_t>(n, 1))));
  if (!plane) RaisePngError<EPngOutMemory>(nullptr, png_messages::kOutMemory);
  std::memset(plane.get(), 255, n);
  alphaPlane_ = std::move(plane);
  bytes_ += n;
}

void TPngStorage::CopyPixelsFrom(const TPngStorage& other, std::uint64_t limit) {
  std::size_t h = std::size_t(std::max(Height(), 0));
  if (pixelBits_ && other.pixelBits_ && other.rowStride_ == rowStride_)
    std::memcpy(pixelBits_, other.pixelBits_, std::size_t(rowStride_) * h);
  if (other.alphaPlane_) {
    if (!alphaPlane_) AddOpaqueAlphaPlane(limit);
    std::memcpy(alphaPlane_.get(), other.alphaPlane_.get(), std::size_t(Width()) * h);
  }
  std::copy(std::begin(other.headerInfo_.bmiColors), std::end(other.headerInfo_.bmiColors), headerInfo_.bmiColors);
}

void TPngStorage::BuildGreyLevels(const std::uint8_t* gamma) {
  const int n = 1 << StorageBits();
  if (n < 2 || n > 256) return;
  for (int i = 0; i < n; ++i) {
    RGBQUAD& q = headerInfo_.bmiColors[i];
    q.rgbRed = q.rgbGreen = q.rgbBlue = gamma[MulDivRound(i, 255, n - 1)];
  }
}

std::uint8_t* TPngStorage::PixelRow(int y) const {
  if (!pixelBits_ || y < 0 || y >= Height()) return nullptr;
  return pixelBits_ + std::ptrdiff_t(rowStride_) * (Height() - 1 - y);
}

std::uint8_t* TPngStorage::AlphaRow(int y) const {
  if (!alphaPlane_ || y < 0 || y >= Height()) return nullptr;
  return alphaPlane_.get() + std::size_t(y) * std::size_t(Width());
}
