// Chunk layer: CRC, whole-buffer zlib helpers, the base chunk and the small typed chunks
// (IEND, PLTE, gAMA, tRNS, tIME, tEXt, zTXt), and the chunk class table. The header and
// image data chunks live in ihdr.cpp and idat.cpp.
//
// Sections: CRC / zlib helpers / class descriptors and table / TChunk / PLTE / gAMA /
// tRNS / tIME / tEXt and zTXt.
#include "png/chunks.h"

#include <zlib.h>
#if LB_PNG_HAVE_ISAL
#include <isa-l/crc.h>
#endif

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "png/byteorder.h"
#include "png/pngimage.h"

using pngbytes::GetBE16;
using pngbytes::GetBE32;
using pngbytes::PutBE16;
using pngbytes::PutBE32;

// ---------------------------------------------------------------------------------------
// CRC: zlib's crc32 and ISA-L's crc32_gzip_refl both compute the PNG CRC-32, each
// complementing on entry and exit, which the two complements here undo so callers keep
// the running-register convention. Where the build has ISA-L its routine is taken: it
// folds with carry-less multiplies, about ten times zlib's speed over a 64 KiB piece
// (measured on the build machine: 20-40 GB/s against 2 GB/s).

std::uint32_t AccumulateCrc(std::uint32_t reg, const void* bytes, std::size_t count) {
#if LB_PNG_HAVE_ISAL
  return ~crc32_gzip_refl(~reg, static_cast<const unsigned char*>(bytes), count);
#else
  std::uint32_t c = ~reg;
  auto p = static_cast<const Bytef*>(bytes);
  while (count > 0) {
    uInt n = uInt(std::min<std::size_t>(count, 1u << 30));
    c = std::uint32_t(crc32(c, p, n));
    p += n;
    count -= n;
  }
  return ~c;
#endif
}

const std::uint32_t* CrcTable() {
  static_assert(sizeof(z_crc_t) == sizeof(std::uint32_t));
  return reinterpret_cast<const std::uint32_t*>(get_crc_table());
}

// ---------------------------------------------------------------------------------------
// zlib helpers

bool InflateWhole(const void* input, std::size_t inputLength, std::string& output, std::string& error,
                  std::size_t outputLimit) {
  output.clear();
  error.clear();
  z_stream zs{};
  if (inflateInit(&zs) != Z_OK) {
    error = zs.msg ? zs.msg : png_messages::ZlibResultText(Z_MEM_ERROR);
    return false;
  }
  zs.next_in = const_cast<Bytef*>(static_cast<const Bytef*>(input));
  zs.avail_in = uInt(std::min<std::size_t>(inputLength, 0xFFFFFFFFu));
  std::uint8_t window[16384];
  bool ok = false;
  for (;;) {
    zs.next_out = window;
    zs.avail_out = sizeof window;
    int rc = inflate(&zs, Z_NO_FLUSH);
    std::size_t produced = sizeof window - zs.avail_out;
    if (output.size() + produced > outputLimit) {
      error = "decompressed text exceeds the allowed size";
      break;
    }
    output.append(reinterpret_cast<const char*>(window), produced);
    if (rc == Z_STREAM_END) {
      ok = true;
      break;
    }
    if (rc < 0 || rc == Z_NEED_DICT) {
      // A truncated stream ends with a buffer error: no progress is possible any more.
      error = zs.msg ? zs.msg : png_messages::ZlibResultText(rc);
      break;
    }
  }
  inflateEnd(&zs);
  if (!ok) output.clear();
  return ok;
}

bool DeflateWhole(const void* input, std::size_t inputLength, int level, std::string& output,
                  std::string& error) {
  output.clear();
  error.clear();
  z_stream zs{};
  if (deflateInit(&zs, std::clamp(level, 0, 9)) != Z_OK) {
    error = zs.msg ? zs.msg : png_messages::ZlibResultText(Z_MEM_ERROR);
    return false;
  }
  zs.next_in = const_cast<Bytef*>(static_cast<const Bytef*>(input));
  zs.avail_in = uInt(inputLength);
  std::uint8_t window[16384];
  bool ok = false;
  for (;;) {
    zs.next_out = window;
    zs.avail_out = sizeof window;
    int rc = deflate(&zs, Z_FINISH);
    output.append(reinterpret_cast<const char*>(window), sizeof window - zs.avail_out);
    if (rc == Z_STREAM_END) {
      ok = true;
      break;
    }
    if (rc < 0) {
      error = zs.msg ? zs.msg : png_messages::ZlibResultText(rc);
      break;
    }
  }
  deflateEnd(&zs);
  if (!ok) output.clear();
  return ok;
}

// ---------------------------------------------------------------------------------------
// Class descriptors and the class table

std::string TChunkClassInfo::ChunkTypeName() const {
  std::size_t n = std::strlen(className);
  return n > 6 ? std::string(className + 6) : std::string();
}

bool TChunkClassInfo::InheritsFrom(const TChunkClassInfo* other) const {
  for (const TChunkClassInfo* c = this; c; c = c->parent)
    if (c == other) return true;
  return false;
}

#define LB_DEFINE_CHUNK_CLASS(Name, Parent) \
  const TChunkClassInfo Name::Class{#Name, [](TPngImage* o) -> TChunk* { return new Name(o); }, Parent}

const TChunkClassInfo TChunk::Class{"TChunk", [](TPngImage* o) { return new TChunk(o); }, nullptr};
LB_DEFINE_CHUNK_CLASS(TChunkIEND, &TChunk::Class);
LB_DEFINE_CHUNK_CLASS(TChunkIHDR, &TChunk::Class);
LB_DEFINE_CHUNK_CLASS(TChunkIDAT, &TChunk::Class);
LB_DEFINE_CHUNK_CLASS(TChunkPLTE, &TChunk::Class);
LB_DEFINE_CHUNK_CLASS(TChunkgAMA, &TChunk::Class);
LB_DEFINE_CHUNK_CLASS(TChunktRNS, &TChunk::Class);
LB_DEFINE_CHUNK_CLASS(TChunktIME, &TChunk::Class);
LB_DEFINE_CHUNK_CLASS(TChunktEXt, &TChunk::Class);
LB_DEFINE_CHUNK_CLASS(TChunkzTXt, &TChunktEXt::Class);

namespace {
std::unique_ptr<std::vector<TChunkClass>>& ClassTable() {
  static std::unique_ptr<std::vector<TChunkClass>> table;
  return table;
}
bool& ClassTableInitialised() {
  static bool done = false;
  return done;
}
}  // namespace

void RegisterChunkClass(TChunkClass cls) {
  auto& t = ClassTable();
  if (!t) t = std::make_unique<std::vector<TChunkClass>>();
  t->push_back(cls);
}

void RegisterStandardChunkClasses() {
  ClassTableInitialised() = true;
  for (TChunkClass c : {&TChunkIEND::Class, &TChunkIHDR::Class, &TChunkIDAT::Class, &TChunkPLTE::Class,
                        &TChunkgAMA::Class, &TChunktRNS::Class, &TChunktIME::Class, &TChunktEXt::Class,
                        &TChunkzTXt::Class})
    RegisterChunkClass(c);
}

void ReleaseChunkClassTable() { ClassTable().reset(); }

TChunk* MakeChunkForType(TPngImage* image, const char* type) {
  // The table is normally filled when the codec starts; a program whose start-up order
  // reaches here first still gets the standard classes.
  if (!ClassTableInitialised()) RegisterStandardChunkClasses();
  std::string name(type, strnlen(type, 4));
  TChunkClass cls = &TChunk::Class;
  if (auto& t = ClassTable()) {
    for (TChunkClass c : *t) {
      if (c->ChunkTypeName() == name) {
        cls = c;
        break;
      }
    }
  }
  TChunk* chunk = cls->create(image);
  chunk->SetChunkType(type);
  return chunk;
}

// ---------------------------------------------------------------------------------------
// TChunk

TChunk::TChunk(TPngImage* owner) : body_(new std::uint8_t[1]{0}), owner_(owner) {}

const char* TChunk::ChunkType() const {
  // The class is only known once construction is over, so a chunk made by its own
  // constructor takes its type from the class name on first use.
  if (type_[0] == 0 && type_[1] == 0 && type_[2] == 0 && type_[3] == 0) {
    std::string name = ChunkClass()->ChunkTypeName();
    if (name.size() == 4) std::memcpy(type_.data(), name.data(), 4);
  }
  return type_.data();
}

void TChunk::SetChunkType(const char* type) { std::memcpy(type_.data(), type, 4); }

std::string TChunk::ChunkTypeText() const { return std::string(ChunkType(), strnlen(ChunkType(), 4)); }

void TChunk::SetBodyLength(std::uint32_t length) {
  std::unique_ptr<std::uint8_t[]> fresh(new (std::nothrow) std::uint8_t[std::size_t(length) + 1]);
  if (!fresh) RaisePngError<EPngOutMemory>(owner_, png_messages::kOutMemory);
  std::memcpy(fresh.get(), body_.get(), std::min(length, bodyLength_));
  if (length > bodyLength_) std::memset(fresh.get() + bodyLength_, 0, length - bodyLength_ + 1);
  fresh[length] = 0;
  body_ = std::move(fresh);
  bodyLength_ = length;
}

void TChunk::CopyFrom(const TChunk& other) {
  std::memcpy(type_.data(), other.ChunkType(), 4);
  SetBodyLength(other.bodyLength_);
  if (bodyLength_) std::memcpy(body_.get(), other.body_.get(), bodyLength_);
}

void TChunk::ReadBodyAndCrc(TStream& stream, const char* type, std::uint32_t length) {
  // The declared length is checked against what the stream still holds and then against
  // the image's limit before anything of that size is allocated: a length that runs past
  // the end of the data is an early end, however large it claims to be.
  std::int64_t remaining = stream.Size() - stream.Position();
  if (remaining >= 0 && std::int64_t(length) > remaining)
    RaisePngError<EPngUnexpectedEnd>(owner_, png_messages::kUnexpectedEnd);
  if (owner_ && length > owner_->MaxChunkBytes())
    RaisePngError<EPngOutMemory>(owner_, png_messages::kOutMemory);
  SetBodyLength(length);
  if (length > 0) stream.Read(body_.get(), length);
  std::uint8_t stored[4] = {};
  bool haveCrc = stream.Read(stored, 4) == 4;
  std::uint32_t crc = AccumulateCrc(0xFFFFFFFFu, type, 4);
  crc = ~AccumulateCrc(crc, body_.get(), length);
  if (!haveCrc || crc != GetBE32(stored)) RaisePngError<EPngInvalidCRC>(owner_, png_messages::kInvalidCRC);
}

bool TChunk::ReadFromStream(TStream& stream, const char* type, std::uint32_t length) {
  ReadBodyAndCrc(stream, type, length);
  return true;
}

bool TChunk::WriteFramed(TStream& stream) {
  std::uint8_t head[8];
  PutBE32(head, bodyLength_);
  std::memcpy(head + 4, ChunkType(), 4);
  stream.WriteBuffer(head, 8);
  if (bodyLength_) stream.WriteBuffer(body_.get(), bodyLength_);
  std::uint32_t crc = AccumulateCrc(0xFFFFFFFFu, ChunkType(), 4);
  crc = ~AccumulateCrc(crc, body_.get(), bodyLength_);
  std::uint8_t tail[4];
  PutBE32(tail, crc);
  stream.WriteBuffer(tail, 4);
  return true;
}

bool TChunk::WriteToStream(TStream& stream) { return WriteFramed(stream); }

int TChunk::PositionInList() const {
  if (!owner_) return -1;
  TPngChunkList& list = owner_->Chunks();
  for (int i = int(list.Count()) - 1; i >= 0; --i)
    if (list.Item(i) == this) return i;
  return -1;
}

TChunkIHDR& TChunk::OwnerHeader() const {
  TChunk* first = owner_ && owner_->Chunks().Count() > 0 ? owner_->Chunks().Item(0) : nullptr;
  auto* header = dynamic_cast<TChunkIHDR*>(first);
  if (!header) throw EInvalidCast("Invalid class typecast");
  return *header;
}

TPngStorage& TChunk::OwnerStorage() const {
  OwnerHeader();
  return owner_->Storage();
}

// ---------------------------------------------------------------------------------------
// PLTE

void TChunkPLTE::CopyFrom(const TChunk& other) {
  auto* src = dynamic_cast<const TChunkPLTE*>(&other);
  if (!src) RaisePngError<EPngError>(OwnerImage(), png_messages::kChunksNotCompatible);
  count_ = src->count_;
}

bool TChunkPLTE::ReadFromStream(TStream& stream, const char* type, std::uint32_t length) {
  ReadBodyAndCrc(stream, type, length);
  // A second palette would overwrite the first one's colours in part.
  if (length % 3 != 0 || length > 768 || OwnerImage()->Chunks().FirstOfClass<TChunkPLTE>() != this)
    RaisePngError<EPngInvalidPalette>(OwnerImage(), png_messages::kInvalidPalette);
  TPngStorage& storage = OwnerStorage();
  const std::uint8_t* gamma = OwnerImage()->GammaMap();
  count_ = std::int32_t(length / 3);
  const std::uint8_t* p = Body();
  for (std::int32_t i = 0; i < count_; ++i, p += 3) {
    RGBQUAD& q = storage.HeaderInfo().bmiColors[i];
    q.rgbRed = gamma[p[0]];
    q.rgbGreen = gamma[p[1]];
    q.rgbBlue = gamma[p[2]];
    q.rgbReserved = 0;
  }
  return true;
}

bool TChunkPLTE::WriteToStream(TStream& stream) {
  const TPngStorage& storage = OwnerStorage();
  std::uint8_t inverse[256];
  InverseGammaAt(*this, inverse);
  std::int32_t n = std::clamp<std::int32_t>(count_, 0, 256);
  SetBodyLength(std::uint32_t(n) * 3);
  std::uint8_t* p = Body();
  for (std::int32_t i = 0; i < n; ++i, p += 3) {
    const RGBQUAD& q = storage.HeaderInfo().bmiColors[i];
    p[0] = inverse[q.rgbRed];
    p[1] = inverse[q.rgbGreen];
    p[2] = inverse[q.rgbBlue];
  }
  return WriteFramed(stream);
}

std::uint32_t TChunkPLTE::Item(unsigned index) const {
  if (count_ < 0 || index >= unsigned(count_))
    RaisePngError<EPngError>(OwnerImage(), png_messages::kNoSuchPaletteEntry);
  const RGBQUAD& q = OwnerStorage().HeaderInfo().bmiColors[index];
  return std::uint32_t(q.rgbBlue) | std::uint32_t(q.rgbGreen) << 8 | std::uint32_t(q.rgbRed) << 16;
}

// ---------------------------------------------------------------------------------------
// gAMA

TChunkgAMA::TChunkgAMA(TPngImage* owner) : TChunk(owner) {
  SetBodyLength(4);
  SetGamma(1);
}

void TChunkgAMA::CopyFrom(const TChunk& other) {
  auto* src = dynamic_cast<const TChunkgAMA*>(&other);
  if (!src) RaisePngError<EPngError>(OwnerImage(), png_messages::kChunksNotCompatible);
  SetGamma(const_cast<TChunkgAMA*>(src)->Gamma());
}

std::uint32_t TChunkgAMA::Gamma() {
  if (BodyLength() != 4) {
    SetBodyLength(4);
    SetGamma(1);
    return 1;
  }
  return GetBE32(Body());
}

void TChunkgAMA::SetGamma(std::uint32_t value) {
  if (BodyLength() != 4) SetBodyLength(4);
  PutBE32(Body(), value);
}

namespace {
// Folds gamma value g into both maps (nothing for 0, which is no gamma); entries of the
// inverse map that no sample reaches keep what they held.
void ApplyGamma(std::uint32_t g, std::uint8_t* map, std::uint8_t* inverse) {
  if (g == 0) return;
  long double e = 1.0L / ((long double)g / 100000.0L * 2.2L);
  for (int i = 0; i < 256; ++i) {
    long double p = i == 0 ? 0.0L : std::pow((long double)i / 255.0L, e);
    int v = int(std::nearbyint(p * 255.0L));  // default rounding: to nearest, ties to even
    v = std::clamp(v, 0, 255);
    map[i] = std::uint8_t(v);
    inverse[v] = std::uint8_t(i);
  }
}
}  // namespace

bool TChunkgAMA::ReadFromStream(TStream& stream, const char* type, std::uint32_t length) {
  ReadBodyAndCrc(stream, type, length);
  // A body of another length has no value (read as 1 it would turn every colour black):
  // such a chunk leaves the maps alone.
  if (length == 4) ApplyGamma(Gamma(), OwnerImage()->GammaMap(), OwnerImage()->InverseGammaMap());
  return true;
}

void InverseGammaAt(const TChunk& chunk, std::uint8_t inverse[256]) {
  std::uint8_t map[256];
  for (int i = 0; i < 256; ++i) map[i] = inverse[i] = std::uint8_t(i);
  TPngImage* image = chunk.OwnerImage();
  if (!image) return;
  TPngChunkList& list = image->Chunks();
  for (std::uint32_t i = 0; i < list.Count() && list.Item(i) != &chunk; ++i) {
    auto* gama = dynamic_cast<const TChunkgAMA*>(list.Item(i));
    // A body that is not 4 bytes long is ignored, as the reader ignores it.
    if (gama && gama->BodyLength() == 4) ApplyGamma(GetBE32(gama->Body()), map, inverse);
  }
}

// ---------------------------------------------------------------------------------------
// tRNS

TChunktRNS::TChunktRNS(TPngImage* owner) : TChunk(owner) { alphaValues_.fill(255); }

void TChunktRNS::CopyFrom(const TChunk& other) {
  TChunk::CopyFrom(other);
  if (auto* src = dynamic_cast<const TChunktRNS*>(&other)) {
    bitTransparency_ = src->bitTransparency_;
    alphaValues_ = src->alphaValues_;
  }
}

bool TChunktRNS::ReadFromStream(TStream& stream, const char* type, std::uint32_t length) {
  ReadBodyAndCrc(stream, type, length);
  if (length > 256) RaisePngError<EPngInvalidPalette>(OwnerImage(), png_messages::kInvalidPalette);
  alphaValues_.fill(255);
  std::memcpy(alphaValues_.data(), Body(), length);
  const TChunkIHDR& header = OwnerHeader();
  switch (header.ColorType()) {
    using enum TPngColorType;
    case Grey:
    case Rgb: {
      // A key of the wrong length or beyond the bit depth matches no pixel; masking it
      // into range would hide pixels of another value.
      std::uint16_t s[3] = {};
      const unsigned needed = header.ColorType() == TPngColorType::Rgb ? 6 : 2;
      const unsigned max = header.BitDepth() >= 16 ? 0xFFFF : (1u << header.BitDepth()) - 1;
      bitTransparency_ = length == needed && KeySamples(s);
      for (unsigned i = 0; i < needed / 2; ++i) bitTransparency_ = bitTransparency_ && s[i] <= max;
      break;
    }
    case Palette: {
      // A key needs one fully transparent entry; a single partial value is partial alpha.
      unsigned differing = 0, zero = 0;
      for (std::uint32_t i = 0; i < length; ++i) {
        differing += alphaValues_[i] != 255;
        zero += alphaValues_[i] == 0;
      }
      bitTransparency_ = differing == 1 && zero == 1;
      break;
    }
    default:
      break;
  }
  return true;
}

bool TChunktRNS::WriteToStream(TStream& stream) {
  if (BodyLength() <= 256) std::memcpy(Body(), alphaValues_.data(), BodyLength());
  return WriteFramed(stream);
}

bool TChunktRNS::KeySamples(std::uint16_t samples[3]) const {
  const std::uint8_t* a = alphaValues_.data();
  unsigned needed = OwnerHeader().ColorType() == TPngColorType::Rgb ? 6 : 2;
  if (BodyLength() < needed) return false;
  for (unsigned i = 0; i < needed / 2; ++i) samples[i] = GetBE16(a + 2 * i);
  return true;
}

COLORREF TChunktRNS::TransparentColor() const {
  // The key is given as raw samples; it is turned into the colour the decoder stores for
  // such a sample (scaled grey level, high byte of 16-bit samples, gamma), so that the
  // drawing code compares stored colours with a stored colour.
  const TChunkIHDR& header = OwnerHeader();
  const std::uint8_t* gamma = OwnerImage()->GammaMap();
  std::uint16_t s[3] = {};
  switch (header.ColorType()) {
    using enum TPngColorType;
    case Grey: {
      if (!bitTransparency_ || !KeySamples(s)) return 0;
      unsigned d = header.BitDepth();
      unsigned level;
      if (d == 16) level = s[0] >> 8;
      else if (d == 8) level = s[0] & 0xFF;
      else if (d == 1) level = (s[0] & 1) * 255;
      else if (d == 2) level = (s[0] & 3) * 85;
      else if (d == 4) level = (s[0] & 15) * 17;
      else level = s[0] & 0xFF;
      unsigned g = gamma[level];
      return COLORREF(g | g << 8 | g << 16);
    }
    case Rgb: {
      if (!bitTransparency_ || !KeySamples(s)) return 0;
      bool wide = header.BitDepth() == 16;
      unsigned r = gamma[wide ? s[0] >> 8 : s[0] & 0xFF];
      unsigned g = gamma[wide ? s[1] >> 8 : s[1] & 0xFF];
      unsigned b = gamma[wide ? s[2] >> 8 : s[2] & 0xFF];
      return COLORREF(r | g << 8 | b << 16);
    }
    case Palette: {
      const TChunkPLTE* plte = OwnerImage()->Chunks().FirstOfClass<TChunkPLTE>();
      if (!plte) return 0;
      for (std::uint32_t i = 0; i < BodyLength() && i < 256; ++i) {
        if (alphaValues_[i] != 0) continue;
        if (std::int32_t(i) >= plte->Count()) return 0;
        std::uint32_t e = plte->Item(i);
        return COLORREF((e >> 16 & 0xFF) | (e & 0xFF00) | (e & 0xFF) << 16);
      }
      return 0;
    }
    default:
      return 0;
  }
}

void TChunktRNS::SetTransparentColor(COLORREF color) {
  alphaValues_.fill(0);
  bitTransparency_ = true;
  std::uint8_t r = color & 0xFF, g = color >> 8 & 0xFF, b = color >> 16 & 0xFF;
  switch (OwnerHeader().ColorType()) {
    using enum TPngColorType;
    case Grey:
      SetBodyLength(2);
      alphaValues_[1] = r;
      break;
    case Rgb:
      SetBodyLength(6);
      alphaValues_[1] = r;
      alphaValues_[3] = g;
      alphaValues_[5] = b;
      break;
    case Palette: {
      const RGBQUAD* table = OwnerStorage().HeaderInfo().bmiColors;
      std::uint8_t i = 0;
      do {
        const RGBQUAD& q = table[i];
        if (q.rgbBlue == b && q.rgbGreen == g && q.rgbRed == r) break;
        ++i;
      } while (i != 0);
      for (unsigned k = 0; k < i; ++k) alphaValues_[k] = 255;
      SetBodyLength(unsigned(i) + 1);
      break;
    }
    default:
      break;
  }
  std::memcpy(Body(), alphaValues_.data(), std::min<std::uint32_t>(BodyLength(), 256));
}

// ---------------------------------------------------------------------------------------
// tIME

bool TChunktIME::ReadFromStream(TStream& stream, const char* type, std::uint32_t length) {
  ReadBodyAndCrc(stream, type, length);
  if (length == 7) {
    const std::uint8_t* p = Body();
    Year = GetBE16(p);
    Month = p[2];
    Day = p[3];
    Hour = p[4];
    Minute = p[5];
    Second = p[6];
  }
  return true;
}

bool TChunktIME::WriteToStream(TStream& stream) {
  SetBodyLength(7);
  std::uint8_t* p = Body();
  PutBE16(p, Year);
  p[2] = Month;
  p[3] = Day;
  p[4] = Hour;
  p[5] = Minute;
  p[6] = Second;
  return WriteFramed(stream);
}

// ---------------------------------------------------------------------------------------
// tEXt and zTXt

void TChunktEXt::CopyFrom(const TChunk& other) {
  TChunk::CopyFrom(other);
  if (auto* src = dynamic_cast<const TChunktEXt*>(&other)) {
    Keyword = src->Keyword;
    Text = src->Text;
  }
}

bool TChunktEXt::ReadFromStream(TStream& stream, const char* type, std::uint32_t length) {
  ReadBodyAndCrc(stream, type, length);
  if (length >= 3) {
    const char* p = reinterpret_cast<const char*>(Body());
    std::size_t k = strnlen(p, length);
    Keyword.assign(p, k);
    Text = k < length ? std::string(p + k + 1, length - k - 1) : std::string();
  }
  return true;
}

bool TChunktEXt::WriteToStream(TStream& stream) {
  SetBodyLength(std::uint32_t(Keyword.size() + 1 + Text.size()));
  std::uint8_t* p = Body();
  std::memcpy(p, Keyword.data(), Keyword.size());
  p[Keyword.size()] = 0;
  std::memcpy(p + Keyword.size() + 1, Text.data(), Text.size());
  return WriteFramed(stream);
}

bool TChunkzTXt::ReadFromStream(TStream& stream, const char* type, std::uint32_t length) {
  TChunktEXt::ReadFromStream(stream, type, length);
  if (length >= 4) {
    const char* p = reinterpret_cast<const char*>(Body());
    std::size_t k = strnlen(p, length);
    Keyword.assign(p, k);
    Text.clear();
    if (k + 2 <= length && Body()[k + 1] == 0) {
      std::string out, error;
      if (InflateWhole(Body() + k + 2, length - k - 2, out, error, OwnerImage()->MaxTextBytes()))
        Text = std::move(out);
    }
  }
  return true;
}

bool TChunkzTXt::WriteToStream(TStream& stream) {
  std::string text = Text.empty() ? std::string(" ") : Text;
  std::string packed, error;
  DeflateWhole(text.data(), text.size(), OwnerImage()->DeflateLevel(), packed, error);
  SetBodyLength(std::uint32_t(Keyword.size() + 2 + packed.size()));
  std::uint8_t* p = Body();
  std::memcpy(p, Keyword.data(), Keyword.size());
  p[Keyword.size()] = 0;
  p[Keyword.size() + 1] = 0;
  std::memcpy(p + Keyword.size() + 2, packed.data(), packed.size());
  return WriteFramed(stream);
}
