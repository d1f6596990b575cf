// The chunk objects a PNG image is made of, the process-wide table that picks a chunk
// class for a chunk type, and the CRC and whole-buffer zlib helpers they share.
//
// Sections: CRC and zlib helpers / chunk class descriptors / TChunk / the typed chunk
// classes / the class table.
#pragma once

#include <array>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "platform/gdi/gdi.h"
#include "png/colortype.h"
#include "png/pngmessages.h"
#include "ui/core/streams.h"
#include "ui/core/sysutils.h"

class TPngImage;
class TChunk;
class TChunkIHDR;
class TPngStorage;

// ---------------------------------------------------------------------------------------
// CRC and zlib helpers

// Folds count bytes into a CRC-32 register (PNG polynomial) and returns it without the
// final complement; callers start from 0xFFFFFFFF and complement at the end.
std::uint32_t AccumulateCrc(std::uint32_t reg, const void* bytes, std::size_t count);
// The 256-entry table behind AccumulateCrc.
const std::uint32_t* CrcTable();

// Inflates a whole zlib stream. Output beyond outputLimit counts as a failure so that a
// tiny input cannot expand without bound. On failure `error` holds zlib's message.
bool InflateWhole(const void* input, std::size_t inputLength, std::string& output, std::string& error,
                  std::size_t outputLimit);
bool DeflateWhole(const void* input, std::size_t inputLength, int level, std::string& output,
                  std::string& error);

// ---------------------------------------------------------------------------------------
// Chunk class descriptors: a class is named by a pointer to its descriptor, so the class
// table and AddAncillaryChunk can take "a class" as a value.

struct TChunkClassInfo {
  const char* className;                   // "TChunkIHDR"
  TChunk* (*create)(TPngImage* owner);     // the virtual constructor
  const TChunkClassInfo* parent;           // null for TChunk
  // The letters after "TChunk" (empty for TChunk itself).
  std::string ChunkTypeName() const;
  bool InheritsFrom(const TChunkClassInfo* other) const;
};
using TChunkClass = const TChunkClassInfo*;

// Inside a chunk class body: names the class, its descriptor and its virtual constructor.
#define LB_CHUNK_CLASS(Name)                                                        \
 public:                                                                            \
  static const TChunkClassInfo Class;                                               \
  TChunkClass ChunkClass() const override { return &Class; }                        \
  const char* ClassName() const noexcept override { return #Name; }

// ---------------------------------------------------------------------------------------
// TChunk: one chunk of a stream, stored verbatim. Base of every chunk class.

class TChunk : public TObject {
 public:
  explicit TChunk(TPngImage* owner);
  static const TChunkClassInfo Class;
  virtual TChunkClass ChunkClass() const { return &Class; }
  const char* ClassName() const noexcept override { return "TChunk"; }

  std::string ChunkTypeName() const { return ChunkClass()->ChunkTypeName(); }
  // Copies the type and the body of another chunk.
  virtual void CopyFrom(const TChunk& other);
  // Reads the body and the CRC; the length and type have already been consumed.
  virtual bool ReadFromStream(TStream& stream, const char* type, std::uint32_t length);
  virtual bool WriteToStream(TStream& stream);

  // The body is always one byte longer than BodyLength so that text parsing can rely on
  // a terminating byte.
  std::uint8_t* Body() { return body_.get(); }
  const std::uint8_t* Body() const { return body_.get(); }
  std::uint32_t BodyLength() const { return bodyLength_; }
  void SetBodyLength(std::uint32_t length);
  TPngImage* OwnerImage() const { return owner_; }
  const char* ChunkType() const;
  void SetChunkType(const char* type);
  std::string ChunkTypeText() const;  // the 4 type bytes up to the first zero byte

  int PositionInList() const;
  // The owner's first chunk as header; raises EInvalidCast when it is another class.
  TChunkIHDR& OwnerHeader() const;
  // The owner's pixel storage; raises as OwnerHeader when the image has no header.
  TPngStorage& OwnerStorage() const;

 protected:
  // Writes length, type, body and CRC.
  bool WriteFramed(TStream& stream);
  // Base read: bounded body read followed by the CRC test.
  void ReadBodyAndCrc(TStream& stream, const char* type, std::uint32_t length);

 private:
  std::unique_ptr<std::uint8_t[]> body_;
  std::uint32_t bodyLength_ = 0;
  TPngImage* owner_;
  mutable std::array<char, 4> type_{};
};

// ---------------------------------------------------------------------------------------
// Typed chunk classes

class TChunkIEND : public TChunk {
  LB_CHUNK_CLASS(TChunkIEND)
  using TChunk::TChunk;
};

// The image header. Reading it, copying it or PrepareStorage makes the image's pixel
// storage (TPngStorage) for its fields; the storage goes when this header does.
class TChunkIHDR : public TChunk {
  LB_CHUNK_CLASS(TChunkIHDR)
 public:
  using TChunk::TChunk;
  ~TChunkIHDR() override;
  void CopyFrom(const TChunk& other) override;
  bool ReadFromStream(TStream& stream, const char* type, std::uint32_t length) override;
  bool WriteToStream(TStream& stream) override;

  // Rebuilds the image's storage for the current header fields; pixels and alpha start at
  // 0. Raises EPngUnsupportedFormat for combinations without a layout and EPngOutMemory
  // when the storage would exceed the image's limit or cannot be created.
  void PrepareStorage() { PrepareStorageFor(false); }

  std::uint32_t ImageWidth() const { return imageWidth_; }
  std::int32_t ImageHeight() const { return imageHeight_; }
  std::uint8_t BitDepth() const { return bitDepth_; }
  TPngColorType ColorType() const { return colorType_; }
  std::uint8_t CompressionMethod() const { return compressionMethod_; }
  std::uint8_t FilterMethod() const { return filterMethod_; }
  std::uint8_t InterlaceMethod() const { return interlaceMethod_; }
  void SetImageWidth(std::uint32_t v) { imageWidth_ = v; }
  void SetImageHeight(std::int32_t v) { imageHeight_ = v; }
  void SetBitDepth(std::uint8_t v) { bitDepth_ = v; }
  void SetColorType(TPngColorType v) { colorType_ = v; }
  void SetCompressionMethod(std::uint8_t v) { compressionMethod_ = v; }
  void SetFilterMethod(std::uint8_t v) { filterMethod_ = v; }
  void SetInterlaceMethod(std::uint8_t v) { interlaceMethod_ = v; }

 private:
  void PrepareStorageFor(bool lowGreyAlpha);

  std::uint32_t imageWidth_ = 0;
  std::int32_t imageHeight_ = 0;
  TPngColorType colorType_ = TPngColorType::Grey;
  std::uint8_t bitDepth_ = 0, compressionMethod_ = 0, filterMethod_ = 0, interlaceMethod_ = 0;
};

// The image data. Reading it decodes the whole picture from this and every directly
// following IDAT chunk; the body is not kept. Writing encodes the header's pixel storage:
// rows filtered with the image's FilterSet, deflated at its DeflateLevel, and written as
// IDAT chunks of at most IdatChunkLimit bytes (and at most 1 MiB, which bounds the buffer).
class TChunkIDAT : public TChunk {
  LB_CHUNK_CLASS(TChunkIDAT)
 public:
  using TChunk::TChunk;
  bool ReadFromStream(TStream& stream, const char* type, std::uint32_t length) override;
  bool WriteToStream(TStream& stream) override;
  // Raises EPngUnsupportedFormat when the header's storage cannot be written (its fields
  // were changed after the storage was made). The image checks this before it writes
  // anything, so such an image fails before its first byte.
  void CheckWritable() const;
};

class TChunkPLTE : public TChunk {
  LB_CHUNK_CLASS(TChunkPLTE)
 public:
  using TChunk::TChunk;
  void CopyFrom(const TChunk& other) override;
  bool ReadFromStream(TStream& stream, const char* type, std::uint32_t length) override;
  bool WriteToStream(TStream& stream) override;
  std::int32_t Count() const { return count_; }
  void SetCount(std::int32_t count) { count_ = count; }
  // Colour-table entry of index i (blue in the low byte); raises EPngError past Count.
  std::uint32_t Item(unsigned index) const;

 private:
  std::int32_t count_ = 0;
};

class TChunkgAMA : public TChunk {
  LB_CHUNK_CLASS(TChunkgAMA)
 public:
  explicit TChunkgAMA(TPngImage* owner);
  void CopyFrom(const TChunk& other) override;
  bool ReadFromStream(TStream& stream, const char* type, std::uint32_t length) override;
  // PNG gamma times 100000; a body that is not 4 bytes long is resized and reads as 1.
  // Reading a stream applies only a 4-byte body with a value other than 0.
  std::uint32_t Gamma();
  void SetGamma(std::uint32_t value);
};

class TChunktRNS : public TChunk {
  LB_CHUNK_CLASS(TChunktRNS)
 public:
  explicit TChunktRNS(TPngImage* owner);
  void CopyFrom(const TChunk& other) override;
  bool ReadFromStream(TStream& stream, const char* type, std::uint32_t length) override;
  bool WriteToStream(TStream& stream) override;
  // Palette images: exactly one entry is fully transparent and every other one opaque.
  // Grey and RGB images: the key applies (its body has the right length and its samples
  // lie within the bit depth); a key that does not apply makes the image opaque.
  bool BitTransparency() const { return bitTransparency_; }
  void SetBitTransparency(bool v) { bitTransparency_ = v; }
  std::uint8_t* AlphaValues() { return alphaValues_.data(); }
  const std::uint8_t* AlphaValues() const { return alphaValues_.data(); }
  // The key colour as 0x00BBGGRR, from the low bytes of the stored samples.
  COLORREF TransparentColor() const;
  void SetTransparentColor(COLORREF color);
  // The raw 16-bit key samples (grey, or red, green, blue); false when the body is too
  // short to hold them.
  bool KeySamples(std::uint16_t samples[3]) const;

 private:
  bool bitTransparency_ = false;
  std::array<std::uint8_t, 256> alphaValues_{};
};

class TChunktIME : public TChunk {
  LB_CHUNK_CLASS(TChunktIME)
 public:
  using TChunk::TChunk;
  bool ReadFromStream(TStream& stream, const char* type, std::uint32_t length) override;
  bool WriteToStream(TStream& stream) override;
  std::uint16_t Year = 0;
  std::uint8_t Month = 0, Day = 0, Hour = 0, Minute = 0, Second = 0;
};

class TChunktEXt : public TChunk {
  LB_CHUNK_CLASS(TChunktEXt)
 public:
  using TChunk::TChunk;
  void CopyFrom(const TChunk& other) override;
  bool ReadFromStream(TStream& stream, const char* type, std::uint32_t length) override;
  bool WriteToStream(TStream& stream) override;
  std::string Keyword;
  std::string Text;
};

class TChunkzTXt : public TChunktEXt {
  LB_CHUNK_CLASS(TChunkzTXt)
 public:
  using TChunktEXt::TChunktEXt;
  bool ReadFromStream(TStream& stream, const char* type, std::uint32_t length) override;
  bool WriteToStream(TStream& stream) override;
};

// The inverse gamma map that holds where `chunk` stands in its image's chunk list: the one
// a reader builds from the gAMA chunks before it. Writers of colour data use it, so that
// data written back decodes to the colours it was read as, wherever the gAMA chunks stand.
void InverseGammaAt(const TChunk& chunk, std::uint8_t inverse[256]);

// ---------------------------------------------------------------------------------------
// The process-wide chunk class table

void RegisterChunkClass(TChunkClass cls);
void RegisterStandardChunkClasses();
void ReleaseChunkClassTable();
// A chunk of the first registered class whose type name equals `type`, else a TChunk.
TChunk* MakeChunkForType(TPngImage* image, const char* type);
