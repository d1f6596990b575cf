// The image header chunk: its fields, read from and written to its body.
#include "png/byteorder.h"
#include "png/chunks.h"
#include "png/pngimage.h"
#include "png/rowenc.h"

using pngbytes::GetBE32;
using pngbytes::PutBE32;

TChunkIHDR::~TChunkIHDR() {
  if (OwnerImage()) OwnerImage()->Storage().FreeIfMadeBy(this);
}

void TChunkIHDR::PrepareStorageFor(bool lowGreyAlpha) {
  OwnerImage()->Storage().Prepare(*this, lowGreyAlpha, OwnerImage()->MaxStorageBytes());
  OwnerImage()->DeletePaletteCache();
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
  OwnerImage()->Storage().CopyPixelsFrom(src->OwnerImage()->Storage(), OwnerImage()->MaxStorageBytes());
}
