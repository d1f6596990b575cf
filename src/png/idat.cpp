// Image data decoding: the IDAT run is pulled through inflate in pieces of at most 65535
// bytes, each chunk's CRC is checked as the reader crosses into the next, and rows are
// unfiltered in one of two row buffers and converted straight into the pixel storage.
//
// Sections: the IDAT reader / sequential and Adam7 passes / the read operation.
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

#include "png/byteorder.h"
#include "png/chunks.h"
#include "png/pngimage.h"
#include "png/rowconv.h"

using pngbytes::GetBE32;

namespace {

constexpr std::uint32_t kPieceSize = 65535;

// ---------------------------------------------------------------------------------------
// The IDAT reader: decoding state of one read operation.

class IdatReader {
 public:
  IdatReader(TPngImage* image, TStream& stream, const char* type, std::uint32_t length)
      : image_(image), stream_(stream), input_(new std::uint8_t[kPieceSize]) {
    crc_ = AccumulateCrc(0xFFFFFFFFu, type, 4);
    int rc = inflateInit(&zs_);
    if (rc != Z_OK) RaiseZlib(rc);
    initialised_ = true;
    // The data is guarded by the chunk CRCs; zlib's own Adler-32 would only be checked if
    // the trailer were reached, which the decoder does not wait for.
    inflateValidate(&zs_, 0);
    position_ = stream_.Position();
    end_ = position_ + length;
  }
  ~IdatReader() {
    if (initialised_) inflateEnd(&zs_);
  }
  IdatReader(const IdatReader&) = delete;
  IdatReader& operator=(const IdatReader&) = delete;

  // Fills target with count bytes of image data; returns how many were produced (fewer
  // when the data ends early).
  std::size_t Read(std::uint8_t* target, std::size_t count) {
    if (finished_) return 0;
    zs_.next_out = target;
    zs_.avail_out = uInt(count);
    while (zs_.avail_out > 0) {
      if (position_ == end_ && zs_.avail_in == 0) NextChunk();
      if (zs_.avail_in == 0) {
        std::uint32_t want = std::uint32_t(std::min<std::int64_t>(kPieceSize, end_ - position_));
        std::int64_t got = want ? stream_.Read(input_.get(), want) : 0;
        if (got <= 0) {
          finished_ = true;
          return count - zs_.avail_out;
        }
        position_ += got;
        crc_ = AccumulateCrc(crc_, input_.get(), std::size_t(got));
        zs_.next_in = input_.get();
        zs_.avail_in = uInt(got);
      }
      int rc = inflate(&zs_, Z_NO_FLUSH);
      if (rc < 0) RaiseZlib(rc);
      if (rc == Z_STREAM_END || rc == Z_NEED_DICT) {
        // No more image data can follow: whatever rows are missing stay cleared.
        finished_ = true;
        return count - zs_.avail_out;
      }
    }
    return count;
  }

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

  void CheckCrc() {
    std::uint8_t stored[4] = {0, 0, 0, 0};
    std::int64_t got = stream_.Read(stored, 4);
    if (got > 0) position_ += got;
    if (got != 4 || GetBE32(stored) != ~crc_) RaisePngError<EPngInvalidCRC>(image_, png_messages::kInvalidCRC);
  }

  // Crosses from the end of one IDAT body into the next IDAT chunk.
  void NextChunk() {
    CheckCrc();
    std::uint8_t head[8] = {0, 0, 0, 0, 0, 0, 0, 0};
    std::int64_t got = stream_.Read(head, 8);
    if (got > 0) position_ += got;
    if (got != 8 || std::memcmp(head + 4, "IDAT", 4) != 0)
      RaisePngError<EPngMissingMultipleIDAT>(image_, png_messages::kMissingMultipleIDAT);
    crc_ = AccumulateCrc(0xFFFFFFFFu, head + 4, 4);
    end_ = position_ + GetBE32(head);
  }

  TPngImage* image_;
  TStream& stream_;
  z_stream zs_{};
  bool initialised_ = false;
  bool finished_ = false;
  std::unique_ptr<std::uint8_t[]> input_;
  std::int64_t position_ = 0;
  std::int64_t end_ = 0;
  std::uint32_t crc_ = 0;
};

// ---------------------------------------------------------------------------------------
// Passes

struct Geometry {
  unsigned colorType, bitDepth, bpp;
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
  static const std::uint32_t kFirstRow[7] = {0, 0, 4, 0, 2, 0, 1};
  static const std::uint32_t kFirstCol[7] = {0, 4, 0, 2, 0, 1, 0};
  static const std::uint32_t kRowStep[7] = {8, 8, 8, 4, 4, 2, 2};
  static const std::uint32_t kColStep[7] = {8, 8, 4, 4, 2, 2, 1};
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

void BuildGreyLevels(TChunkIHDR& header, const std::uint8_t* gamma) {
  unsigned n = 1u << header.StorageBits();
  if (n < 2 || n > 256) return;
  for (unsigned i = 0; i < n; ++i) {
    unsigned level = (i * 255 + (n - 1) / 2) / (n - 1);
    RGBQUAD& q = header.HeaderInfo().bmiColors[i];
    q.rgbRed = q.rgbGreen = q.rgbBlue = gamma[level];
    q.rgbReserved = 0;
  }
}

}  // namespace

// ---------------------------------------------------------------------------------------
// The read operation

bool TChunkIDAT::ReadFromStream(TStream& stream, const char* type, std::uint32_t length) {
  TPngImage* image = OwnerImage();
  TChunkIHDR& header = OwnerHeader();
  const std::uint8_t* gamma = image->GammaMap();
  if (header.UsesColorTable() && (header.ColorType() == 0 || header.ColorType() == 4))
    BuildGreyLevels(header, gamma);

  Geometry g{};
  g.colorType = header.ColorType();
  g.bitDepth = header.BitDepth();
  g.bpp = pngrow::FilterOffset(g.colorType, g.bitDepth);
  g.width = header.ImageWidth();
  g.height = std::uint32_t(std::max(header.ImageHeight(), 0));
  g.pixels = header.PixelBits();
  g.stride = header.RowStride();
  g.alpha = header.AlphaPlane();
  g.gamma = gamma;
  g.identityGamma = true;
  for (int i = 0; i < 256; ++i) g.identityGamma = g.identityGamma && gamma[i] == i;
  if (!g.pixels) g.height = 0;  // an empty storage takes no rows
  if ((g.colorType == 4 || g.colorType == 6) && !g.alpha) g.height = 0;

  IdatReader reader(image, stream, type, length);
  std::size_t full = pngrow::RowBytes(g.colorType, g.bitDepth, g.width);
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
