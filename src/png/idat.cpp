// Image data decoding and encoding. Reading: the IDAT run is pulled through the image
// data inflater (inflater.h: ISA-L where the build has it, else zlib) in pieces of at most
// 65535 bytes, each chunk's CRC is checked as the reader crosses into the next, and rows
// are unfiltered in one of two row buffers and converted straight into the pixel storage.
// Rows shorter than a kilobyte are inflated a stage at a time and handed out from there:
// an inflater's fast path needs room for its longest match, which a short row never offers. Writing: each storage row is packed into PNG samples, filtered, and
// deflated into a chunk-sized buffer that goes out as an IDAT chunk whenever it fills.
//
// Sections: the IDAT reader / sequential and Adam7 passes / the read operation / the IDAT
// writer / row encoding / the write operation.
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

#include "png/byteorder.h"
#include "png/chunks.h"
#include "png/inflater.h"
#include "png/pngimage.h"
#include "png/rowconv.h"
#include "png/rowenc.h"

using pngbytes::GetBE32;

namespace {

constexpr std::uint32_t kPieceSize = 65535;
// Inflated bytes held ahead of short rows: enough for whole small images, and far above
// the 258 bytes of output room zlib's fast path asks for. Rows of kDirectRow bytes and more
// give the fast path room enough themselves and are inflated straight into the row.
constexpr std::size_t kStageSize = 8192;
constexpr std::size_t kDirectRow = 1024;
// Filtered data from this size on is inflated by zlib whatever the engine (see IdatReader).
constexpr std::uint64_t kIsalOutputLimit = std::uint64_t(1) << 31;
// One inflate call fills at most this much of a (longer) row.
constexpr std::size_t kMaxRoom = std::size_t(1) << 30;

// Adam7 passes: first row, first column, row step, column step.
const std::uint32_t kFirstRow[7] = {0, 0, 4, 0, 2, 0, 1};
const std::uint32_t kFirstCol[7] = {0, 4, 0, 2, 0, 1, 0};
const std::uint32_t kRowStep[7] = {8, 8, 8, 4, 4, 2, 2};
const std::uint32_t kColStep[7] = {8, 8, 4, 4, 2, 2, 1};

// ---------------------------------------------------------------------------------------
// The IDAT reader: decoding state of one read operation.

class IdatReader {
 public:
  // `budget` is the number of filtered bytes the image's rows take in all: no more is ever
  // inflated, so the input is read exactly as far as the rows need it.
  IdatReader(TPngImage* image, TStream& stream, const char* type, std::uint32_t length, std::uint64_t budget)
      : image_(image), stream_(stream), input_(new std::uint8_t[kPieceSize]), budget_(budget) {
    crc_ = AccumulateCrc(0xFFFFFFFFu, type, 4);
    // The data is guarded by the chunk CRCs; the stream's own Adler-32 is not checked.
    // ISA-L counts its output in 32 bits, so data beyond that goes through zlib.
    pnginflate::Engine engine = pnginflate::ImageDataEngine();
    if (budget_ >= kIsalOutputLimit) engine = pnginflate::Engine::Zlib;
    int rc = pnginflate::StartInflater(engine, inflater_);
    if (rc != pnginflate::kOk) RaiseZlib(rc);
    mayReplay_ = engine == pnginflate::Engine::Isal;
    position_ = firstBody_ = stream_.Position();
    end_ = firstEnd_ = position_ + length;
    firstCrc_ = crc_;
  }
  IdatReader(const IdatReader&) = delete;
  IdatReader& operator=(const IdatReader&) = delete;

  // Fills target with count bytes of image data; returns how many were produced (fewer
  // when the data ends early).
  std::size_t Read(std::uint8_t* target, std::size_t count) {
    std::size_t done = std::min(count, stageEnd_ - stagePos_);
    if (done) std::memcpy(target, stage_.get() + stagePos_, done);
    stagePos_ += done;
    if (done == count) return done;
    if (count - done >= kDirectRow) return done + Inflate(target + done, count - done);
    if (!stage_) stage_.reset(new std::uint8_t[kStageSize]);
    stagePos_ = 0;
    stageEnd_ = Inflate(stage_.get(), std::size_t(std::min<std::uint64_t>(kStageSize, budget_)));
    const std::size_t more = std::min(count - done, stageEnd_);
    std::memcpy(target + done, stage_.get(), more);
    stagePos_ = more;
    return done + more;
  }

 private:
  std::size_t Inflate(std::uint8_t* target, std::size_t count) {
    count = std::size_t(std::min<std::uint64_t>(count, budget_));
    const std::size_t produced = InflateSome(target, count);
    budget_ -= produced;
    return produced;
  }

  std::size_t InflateSome(std::uint8_t* target, std::size_t count) {
    if (finished_ || count == 0) return 0;
    pnginflate::Inflater* in = inflater_.get();
    std::size_t done = 0;
    while (done < count) {
      if (position_ == end_ && in->NeedsInput()) {
        NextChunk();
        if (in != inflater_.get()) {
          in = inflater_.get();
          continue;
        }
      }
      if (in->NeedsInput()) {
        std::uint32_t want = std::uint32_t(std::min<std::int64_t>(kPieceSize, end_ - position_));
        std::int64_t got = want ? stream_.Read(input_.get(), want) : 0;
        if (got <= 0 && mayReplay_) {
          ReplayWithZlib();
          in = inflater_.get();
          continue;
        }
        if (got <= 0) {
          finished_ = true;
          return done;
        }
        position_ += got;
        crc_ = AccumulateCrc(crc_, input_.get(), std::size_t(got));
        in->TakeInput(input_.get(), std::uint32_t(got));
      }
      std::uint32_t produced = 0;
      const std::uint32_t room = std::uint32_t(std::min<std::size_t>(count - done, kMaxRoom));
      int rc = in->Inflate(target + done, room, produced);
      if (rc < 0 && mayReplay_) {
        ReplayWithZlib();
        in = inflater_.get();
        continue;
      }
      done += produced;
      delivered_ += produced;
      if (rc < 0) RaiseZlib(rc);
      if (rc == pnginflate::kStreamEnd || rc == pnginflate::kNeedDict) {
        // No more image data can follow: whatever rows are missing stay cleared.
        finished_ = true;
        return done;
      }
    }
    return count;
  }

  // ISA-L failed. Its verdict may come early (it decodes ahead, see inflater.h), and a
  // failure is reported as zlib would report it: the data is inflated again with zlib
  // from the first IDAT body, the bytes already handed out are skipped, and zlib goes on
  // from there. Only corrupt data pays for this.
  void ReplayWithZlib() {
    mayReplay_ = false;
    int rc = pnginflate::StartInflater(pnginflate::Engine::Zlib, inflater_);
    if (rc != pnginflate::kOk) RaiseZlib(rc);
    stream_.SetPosition(firstBody_);
    position_ = stream_.Position();
    if (position_ != firstBody_) RaiseZlib(pnginflate::kDataError);
    end_ = firstEnd_;
    crc_ = firstCrc_;
    std::uint64_t skip = delivered_;
    delivered_ = 0;
    std::uint8_t scratch[4096];
    while (skip > 0) {
      const std::size_t n = InflateSome(scratch, std::size_t(std::min<std::uint64_t>(sizeof scratch, skip)));
      if (n == 0) break;
      skip -= n;
    }
  }

 public:
  // After the last row: takes in the rest of the current body so that its CRC covers
  // every byte, then compares the stored CRC.
  void Finish() {
    while (position_ < end_) {
      std::uint32_t want = std::uint32_t(std::min<std::int64_t>(kPieceSize, end_ - position_));
      std::int64_t got = stream_.Read(input_.get(), want);
      if (got <= 0) break;
      position_ += got;
      crc_ = AccumulateCrc(crc_, input_.get(), std::size_t(got));
    }
    CheckCrc();
  }

 private:
  [[noreturn]] void RaiseZlib(int rc) {
    RaisePngError<EPngZlibError>(image_, std::string(png_messages::kZlibError) + png_messages::ZlibResultText(rc));
  }

  bool CrcMatches() {
    std::uint8_t stored[4] = {};
    std::int64_t got = stream_.Read(stored, 4);
    if (got > 0) position_ += got;
    return got == 4 && GetBE32(stored) == ~crc_;
  }

  void CheckCrc() {
    if (!CrcMatches()) RaisePngError<EPngInvalidCRC>(image_, png_messages::kInvalidCRC);
  }

  // Crosses from the end of one IDAT body into the next IDAT chunk. Reading with ISA-L,
  // a failure here is first checked by replaying the data with zlib: ISA-L may wait for
  // more input where zlib already finds the data corrupt.
  void NextChunk() {
    const bool crcOk = CrcMatches();
    std::uint8_t head[8] = {};
    std::int64_t got = crcOk ? stream_.Read(head, 8) : 0;
    if (got > 0) position_ += got;
    const bool idat = got == 8 && std::memcmp(head + 4, "IDAT", 4) == 0;
    if (!idat && mayReplay_) return ReplayWithZlib();
    if (!crcOk) RaisePngError<EPngInvalidCRC>(image_, png_messages::kInvalidCRC);
    if (!idat) RaisePngError<EPngMissingMultipleIDAT>(image_, png_messages::kMissingMultipleIDAT);
    crc_ = AccumulateCrc(0xFFFFFFFFu, head + 4, 4);
    end_ = position_ + GetBE32(head);
  }

  TPngImage* image_;
  TStream& stream_;
  std::unique_ptr<pnginflate::Inflater> inflater_;
  bool mayReplay_ = false;
  std::int64_t firstBody_ = 0, firstEnd_ = 0;  // the first IDAT body, where a replay starts
  std::uint32_t firstCrc_ = 0;
  std::uint64_t delivered_ = 0;  // bytes handed out so far
  bool finished_ = false;
  std::unique_ptr<std::uint8_t[]> input_;
  std::int64_t position_ = 0;
  std::int64_t end_ = 0;
  std::uint32_t crc_ = 0;
  std::uint64_t budget_;
  std::unique_ptr<std::uint8_t[]> stage_;
  std::size_t stagePos_ = 0;
  std::size_t stageEnd_ = 0;
};

// ---------------------------------------------------------------------------------------
// Passes

struct Geometry {
  TPngColorType colorType;
  unsigned bitDepth, bpp;
  std::uint32_t width, height;
  std::uint8_t* pixels;
  std::int32_t stride;
  std::uint8_t* alpha;
  const std::uint8_t* gamma;
  bool identityGamma;
};

std::uint8_t* StorageRow(const Geometry& g, std::uint32_t y) {
  return g.pixels + std::ptrdiff_t(g.stride) * std::ptrdiff_t(g.height - 1 - y);
}

void DecodeSequential(IdatReader& reader, const Geometry& g, std::uint8_t* rows[2]) {
  std::size_t len = pngrow::RowBytes(g.colorType, g.bitDepth, g.width);
  pngrow::RowConverter convert = pngrow::PickRowConverter(g.colorType, g.bitDepth, g.identityGamma);
  if (!convert) return;
  std::memset(rows[0], 0, len + 1);
  int cur = 1;
  for (std::uint32_t y = 0; y < g.height; ++y) {
    std::uint8_t* row = rows[cur];
    // A row that is cut short would be half old data; it counts as missing.
    if (reader.Read(row, len + 1) != len + 1) return;
    pngrow::Unfilter(row[0], row + 1, rows[cur ^ 1] + 1, len, g.bpp);
    convert(row + 1, StorageRow(g, y), g.alpha ? g.alpha + std::size_t(y) * g.width : nullptr, g.width, g.gamma);
    cur ^= 1;
  }
}

void DecodeAdam7(IdatReader& reader, const Geometry& g, std::uint8_t* rows[2]) {
  pngrow::PassConverter convert = pngrow::PickPassConverter(g.colorType, g.bitDepth, g.identityGamma);
  if (!convert) return;
  for (int pass = 0; pass < 7; ++pass) {
    if (g.width <= kFirstCol[pass]) continue;
    std::uint32_t cols = (g.width - kFirstCol[pass] + kColStep[pass] - 1) / kColStep[pass];
    std::size_t len = pngrow::RowBytes(g.colorType, g.bitDepth, cols);
    if (len == 0) continue;
    int cur = 1;
    std::memset(rows[0], 0, len + 1);
    for (std::uint32_t y = kFirstRow[pass]; y < g.height; y += kRowStep[pass]) {
      std::uint8_t* row = rows[cur];
      if (reader.Read(row, len + 1) != len + 1) return;
      pngrow::Unfilter(row[0], row + 1, rows[cur ^ 1] + 1, len, g.bpp);
      convert(row + 1, StorageRow(g, y), g.alpha ? g.alpha + std::size_t(y) * g.width : nullptr, kFirstCol[pass],
              kColStep[pass], cols, g.gamma);
      cur ^= 1;
    }
  }
}

// What the rows of the sequential or the interlaced layout take, filter bytes included.
std::uint64_t FilteredBytes(const Geometry& g, int interlacing) {
  if (interlacing == 0) return std::uint64_t(g.height) * (pngrow::RowBytes(g.colorType, g.bitDepth, g.width) + 1);
  std::uint64_t total = 0;
  for (int pass = 0; pass < 7; ++pass) {
    if (g.width <= kFirstCol[pass] || g.height <= kFirstRow[pass]) continue;
    const std::uint32_t cols = (g.width - kFirstCol[pass] + kColStep[pass] - 1) / kColStep[pass];
    const std::uint64_t rows = (g.height - kFirstRow[pass] + kRowStep[pass] - 1) / kRowStep[pass];
    const std::size_t len = pngrow::RowBytes(g.colorType, g.bitDepth, cols);
    if (len) total += rows * (len + 1);
  }
  return total;
}

}  // namespace

// ---------------------------------------------------------------------------------------
// The read operation

bool TChunkIDAT::ReadFromStream(TStream& stream, const char* type, std::uint32_t length) {
  TPngImage* image = OwnerImage();
  TChunkIHDR& header = OwnerHeader();
  TPngStorage& storage = image->Storage();
  const std::uint8_t* gamma = image->GammaMap();
  const TPngColorType ct = header.ColorType();
  if (storage.UsesColorTable() && (ct == TPngColorType::Grey || ct == TPngColorType::GreyAlpha))
    storage.BuildGreyLevels(gamma);

  Geometry g{};
  g.colorType = ct;
  g.bitDepth = header.BitDepth();
  g.bpp = pngrow::FilterOffset(g.colorType, g.bitDepth);
  g.width = header.ImageWidth();
  g.height = std::uint32_t(std::max(header.ImageHeight(), 0));
  g.pixels = storage.PixelBits();
  g.stride = storage.RowStride();
  g.alpha = storage.AlphaPlane();
  g.gamma = gamma;
  g.identityGamma = true;
  for (int i = 0; i < 256; ++i) g.identityGamma = g.identityGamma && gamma[i] == i;
  if (!g.pixels) g.height = 0;  // an empty storage takes no rows
  if (HasAlphaSamples(g.colorType) && !g.alpha) g.height = 0;

  std::size_t full = pngrow::RowBytes(g.colorType, g.bitDepth, g.width);
  IdatReader reader(image, stream, type, length, FilteredBytes(g, image->Interlacing()));
  std::unique_ptr<std::uint8_t[]> buffers(new (std::nothrow) std::uint8_t[2 * (full + 1)]);
  if (!buffers) RaisePngError<EPngOutMemory>(image, png_messages::kOutMemory);
  std::uint8_t* rows[2] = {buffers.get(), buffers.get() + full + 1};
  if (full > 0 || g.width == 0) {
    if (image->Interlacing() == 0) DecodeSequential(reader, g, rows);
    else if (image->Interlacing() == 1) DecodeAdam7(reader, g, rows);
  }
  reader.Finish();
  return true;
}

// ---------------------------------------------------------------------------------------
// The IDAT writer: deflate output gathers in one chunk-sized buffer, which goes out as an
// IDAT chunk each time it is full and once more at the end.

namespace {

// Larger limits still give chunks of this size, so a huge limit never means a huge buffer.
constexpr std::size_t kMaxChunkBuffer = std::size_t(1) << 20;

void PutBE32(std::uint8_t* p, std::uint32_t v) {
  p[0] = std::uint8_t(v >> 24);
  p[1] = std::uint8_t(v >> 16);
  p[2] = std::uint8_t(v >> 8);
  p[3] = std::uint8_t(v);
}

class IdatWriter {
 public:
  IdatWriter(TPngImage* image, TStream& stream, int level, int strategy, std::size_t chunkSize)
      : image_(image), stream_(stream), size_(chunkSize), buffer_(new (std::nothrow) std::uint8_t[chunkSize]) {
    if (!buffer_ || deflateInit2(&zs_, level, Z_DEFLATED, 15, 8, strategy) != Z_OK)
      RaisePngError<EPngOutMemory>(image_, png_messages::kOutMemory);
    initialised_ = true;
    zs_.next_out = buffer_.get();
    zs_.avail_out = uInt(size_);
  }
  ~IdatWriter() {
    if (initialised_) deflateEnd(&zs_);
  }
  IdatWriter(const IdatWriter&) = delete;
  IdatWriter& operator=(const IdatWriter&) = delete;

  void Put(const std::uint8_t* data, std::size_t count) {
    zs_.next_in = const_cast<Bytef*>(data);
    zs_.avail_in = uInt(count);
    while (zs_.avail_in > 0) {
      Deflate(Z_NO_FLUSH);
      if (zs_.avail_out == 0) Emit();
    }
  }

  void Finish() {
    while (Deflate(Z_FINISH) != Z_STREAM_END)
      if (zs_.avail_out == 0) Emit();
    if (zs_.avail_out < size_) Emit();
  }

 private:
  int Deflate(int flush) {
    int rc = deflate(&zs_, flush);
    // Z_BUF_ERROR only says that no progress was possible with a full output buffer.
    if (rc < 0 && rc != Z_BUF_ERROR)
      RaisePngError<EPngZlibError>(image_, png_messages::ZlibResultText(rc));
    return rc;
  }

  void Emit() {
    std::uint32_t n = std::uint32_t(size_ - zs_.avail_out);
    std::uint8_t head[8];
    PutBE32(head, n);
    std::memcpy(head + 4, "IDAT", 4);
    std::uint32_t crc = AccumulateCrc(AccumulateCrc(0xFFFFFFFFu, head + 4, 4), buffer_.get(), n);
    std::uint8_t tail[4];
    PutBE32(tail, ~crc);
    stream_.WriteBuffer(head, 8);
    stream_.WriteBuffer(buffer_.get(), n);
    stream_.WriteBuffer(tail, 4);
    zs_.next_out = buffer_.get();
    zs_.avail_out = uInt(size_);
  }

  TPngImage* image_;
  TStream& stream_;
  std::size_t size_;
  std::unique_ptr<std::uint8_t[]> buffer_;
  z_stream zs_{};
  bool initialised_ = false;
};

// ---------------------------------------------------------------------------------------
// Row encoding: packs a storage row into raw samples, keeps the previous raw row of the
// pass for the filters, and hands the filtered row with its filter byte to the writer.
// Four row buffers at most, whatever the image's height.

class RowEncoder {
 public:
  RowEncoder(IdatWriter& out, pngrow::RowPacker pack, const std::uint8_t* inverseGamma, std::uint8_t filterSet,
             unsigned bpp, std::size_t maxLen)
      : out_(out), pack_(pack), inverse_(inverseGamma), bpp_(bpp) {
    for (unsigned t = 0; t < 5; ++t)
      if (filterSet & (1u << t)) filters_[count_++] = std::uint8_t(t);
    if (count_ == 0) filters_[count_++] = 0;  // an empty set leaves rows unfiltered
    std::size_t n = maxLen + 1;
    bool spare = count_ > 1 || filters_[0] != 0;
    buffers_.reset(new (std::nothrow) std::uint8_t[n * (spare ? 4 : 2)]);
    if (!buffers_) RaisePngError<EPngOutMemory>(nullptr, png_messages::kOutMemory);
    raw_[0] = buffers_.get();
    raw_[1] = raw_[0] + n;
    best_ = spare ? raw_[1] + n : nullptr;
    scratch_ = spare ? best_ + n : nullptr;
  }

  // Zero tells the filters that there is no row above the first one of an image or pass.
  void StartPass(std::size_t len) {
    len_ = len;
    std::memset(raw_[cur_ ^ 1], 0, len + 1);
  }

  void Row(const std::uint8_t* storage, const std::uint8_t* alpha, std::uint32_t first, std::uint32_t step,
           std::uint32_t count) {
    // Byte 0 of each buffer is the filter type that goes out in front of the row.
    std::uint8_t* cur = raw_[cur_];
    const std::uint8_t* prev = raw_[cur_ ^ 1] + 1;
    pack_(storage, alpha, cur + 1, first, step, count, inverse_);
    const std::uint8_t* chosen;
    if (count_ == 1) {
      chosen = Filtered(filters_[0], cur, prev, best_);
    } else {
      // The row goes out with the filter whose bytes, taken as signed values, add up to
      // the least magnitude; on a tie the lower filter type wins.
      std::uint64_t least = ~std::uint64_t(0);
      chosen = cur;
      for (unsigned k = 0; k < count_; ++k) {
        unsigned t = filters_[k];
        std::uint64_t cost = t == 0 ? pngrow::RowCost(cur + 1, len_)
                                    : pngrow::FilterRowCost(t, cur + 1, prev, scratch_ + 1, len_, bpp_);
        if (cost >= least) continue;
        least = cost;
        if (t == 0) {
          cur[0] = 0;
          chosen = cur;
        } else {
          scratch_[0] = std::uint8_t(t);
          std::swap(scratch_, best_);
          chosen = best_;
        }
      }
    }
    out_.Put(chosen, len_ + 1);
    cur_ ^= 1;
  }

 private:
  const std::uint8_t* Filtered(unsigned type, std::uint8_t* cur, const std::uint8_t* prev, std::uint8_t* into) {
    if (type == 0) {
      cur[0] = 0;
      return cur;
    }
    into[0] = std::uint8_t(type);
    pngrow::FilterRow(type, cur + 1, prev, into + 1, len_, bpp_);
    return into;
  }

  IdatWriter& out_;
  pngrow::RowPacker pack_;
  const std::uint8_t* inverse_;
  unsigned bpp_;
  std::uint8_t filters_[5] = {};
  unsigned count_ = 0;
  std::unique_ptr<std::uint8_t[]> buffers_;
  std::uint8_t* raw_[2] = {nullptr, nullptr};
  std::uint8_t* best_ = nullptr;
  std::uint8_t* scratch_ = nullptr;
  int cur_ = 0;
  std::size_t len_ = 0;
};

// The storage a header can be written from, or null: the packer must exist for its
// layout, and the storage must still have the header's size.
pngrow::RowPacker WritablePacker(const TChunkIHDR& h, const TPngStorage& s, bool identityGamma) {
  TPngColorType ct = h.ColorType();
  pngrow::RowPacker pack =
      pngrow::PickRowPacker(ct, pngrow::WrittenBitDepth(ct, h.BitDepth()), unsigned(s.StorageBits()), identityGamma);
  if (h.ImageWidth() == 0 || h.ImageHeight() <= 0) return pack;
  bool sized = s.PixelBits() && s.Width() == LONG(h.ImageWidth()) && s.Height() == h.ImageHeight() &&
               (!HasAlphaSamples(ct) || s.AlphaPlane());
  return sized ? pack : nullptr;
}

}  // namespace

// ---------------------------------------------------------------------------------------
// The write operation

void TChunkIDAT::CheckWritable() const {
  if (!WritablePacker(OwnerHeader(), OwnerImage()->Storage(), true))
    RaisePngError<EPngUnsupportedFormat>(OwnerImage(), png_messages::kUnsupportedFormat);
}

bool TChunkIDAT::WriteToStream(TStream& stream) {
  TPngImage* image = OwnerImage();
  const TChunkIHDR& header = OwnerHeader();
  const TPngStorage& storage = image->Storage();
  std::uint8_t inverse[256];
  InverseGammaAt(*this, inverse);
  bool identity = true;
  for (int i = 0; i < 256; ++i) identity = identity && inverse[i] == i;
  pngrow::RowPacker pack = WritablePacker(header, storage, identity);
  if (!pack) RaisePngError<EPngUnsupportedFormat>(image, png_messages::kUnsupportedFormat);

  TPngColorType ct = header.ColorType();
  unsigned depth = pngrow::WrittenBitDepth(ct, header.BitDepth());
  std::uint32_t width = header.ImageWidth();
  std::uint32_t height = storage.PixelBits() ? std::uint32_t(std::max(header.ImageHeight(), 0)) : 0;
  bool adam7 = image->Interlacing() == 1;
  std::size_t full = pngrow::RowBytes(ct, depth, width);

  // The filtered data's size bounds the buffer, so small images get small buffers.
  std::uint64_t total = 0;
  if (!adam7) {
    total = std::uint64_t(full + 1) * height;
  } else {
    for (int p = 0; p < 7; ++p) {
      if (width <= kFirstCol[p] || height <= kFirstRow[p]) continue;
      std::uint32_t cols = (width - kFirstCol[p] + kColStep[p] - 1) / kColStep[p];
      std::uint32_t rows = (height - kFirstRow[p] + kRowStep[p] - 1) / kRowStep[p];
      total += std::uint64_t(pngrow::RowBytes(ct, depth, cols) + 1) * rows;
    }
  }
  std::uint64_t bound = total + (total >> 12) + (total >> 14) + (total >> 25) + 64;  // zlib's compressBound
  std::size_t chunk = std::size_t(std::min<std::uint64_t>({image->IdatChunkLimit(), kMaxChunkBuffer, bound}));

  std::uint8_t filters = image->FilterSet() & 31;
  int strategy = (filters & ~1) ? Z_FILTERED : Z_DEFAULT_STRATEGY;
  IdatWriter writer(image, stream, std::min<int>(image->DeflateLevel(), 9), strategy, chunk);
  RowEncoder rows(writer, pack, inverse, filters, pngrow::FilterOffset(ct, depth), full);

  if (!adam7) {
    rows.StartPass(full);
    for (std::uint32_t y = 0; y < height; ++y) rows.Row(storage.PixelRow(int(y)), storage.AlphaRow(int(y)), 0, 1, width);
  } else {
    for (int p = 0; p < 7; ++p) {
      if (width <= kFirstCol[p] || height <= kFirstRow[p]) continue;
      std::uint32_t cols = (width - kFirstCol[p] + kColStep[p] - 1) / kColStep[p];
      rows.StartPass(pngrow::RowBytes(ct, depth, cols));
      for (std::uint32_t y = kFirstRow[p]; y < height; y += kRowStep[p])
        rows.Row(storage.PixelRow(int(y)), storage.AlphaRow(int(y)), kFirstCol[p], kColStep[p], cols);
    }
  }
  writer.Finish();
  return true;
}
