// Feeds the same bytes to both image data inflaters, as the decoder feeds them (input in
// pieces, output asked for a row at a time, a failure of ISA-L replayed with zlib), and
// aborts when they disagree on the bytes produced or on how the stream ends, or when
// ISA-L fails on a stream zlib reads to its end. The first byte picks the piece and row sizes and
// whether a zlib header goes in front, so the rest can be bare deflate data.
// Builds without ISA-L compare zlib with itself.
#include <zlib.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "png/inflater.h"

namespace {

using pnginflate::Engine;

// How a run ended: a result code of the inflater, or one of these two.
constexpr int kStarved = 100;  // all input taken, more asked for
constexpr int kFull = 101;     // the output limit reached

struct Outcome {
  std::vector<std::uint8_t> bytes;
  int end = 0;
  bool replayed = false;
};

// As the decoder reads: when ISA-L fails, the input is inflated again with zlib, the
// bytes already out are skipped, and zlib goes on (ISA-L's own verdict may come early).
Outcome Run(Engine engine, const std::uint8_t* data, std::size_t size, std::size_t piece, std::size_t room,
            std::size_t limit) {
  Outcome o;
  std::unique_ptr<pnginflate::Inflater> in;
  if (pnginflate::StartInflater(engine, in) != pnginflate::kOk) std::abort();
  std::vector<std::uint8_t> target(room);
  std::size_t pos = 0, skip = 0;
  while (o.bytes.size() < limit) {
    if (in->NeedsInput()) {
      if (pos == size && engine == Engine::Isal && !o.replayed) {
        // The decoder replays with zlib before it reports data that stops short.
        o.replayed = true;
        if (pnginflate::StartInflater(Engine::Zlib, in) != pnginflate::kOk) std::abort();
        pos = 0;
        skip = o.bytes.size();
        continue;
      }
      if (pos == size) return o.end = kStarved, o;
      const std::size_t n = std::min(piece, size - pos);
      in->TakeInput(data + pos, std::uint32_t(n));
      pos += n;
    }
    std::uint32_t produced = 0;
    const std::size_t want = skip ? std::min(room, skip) : std::min(room, limit - o.bytes.size());
    const int rc = in->Inflate(target.data(), std::uint32_t(want), produced);
    if (rc < 0 && engine == Engine::Isal && !o.replayed) {
      // So does it when ISA-L fails.
      o.replayed = true;
      if (pnginflate::StartInflater(Engine::Zlib, in) != pnginflate::kOk) std::abort();
      pos = 0;
      skip = o.bytes.size();
      continue;
    }
    if (skip) {
      // The replay must give the bytes ISA-L gave.
      if (!std::equal(target.begin(), target.begin() + produced, o.bytes.end() - std::ptrdiff_t(skip))) std::abort();
      skip -= produced;
    } else {
      o.bytes.insert(o.bytes.end(), target.begin(), target.begin() + produced);
    }
    if (rc != pnginflate::kOk) return o.end = rc, o;
  }
  o.end = kFull;
  return o;
}

// zlib refuses a dynamic block whose Huffman code set is incomplete (unless it is a
// single distance code); ISA-L inflates it as long as the unused codes never occur. The
// one known difference, left as it is (see inflater.h).
bool IncompleteCodeSet(const std::vector<std::uint8_t>& stream) {
  z_stream zs{};
  if (inflateInit(&zs) != Z_OK) std::abort();
  std::vector<std::uint8_t> out(std::size_t(1) << 20);
  zs.next_in = const_cast<Bytef*>(stream.data());
  zs.avail_in = uInt(stream.size());
  zs.next_out = out.data();
  zs.avail_out = uInt(out.size());
  inflateValidate(&zs, 0);
  const int rc = inflate(&zs, Z_NO_FLUSH);
  const std::string msg = zs.msg ? zs.msg : "";
  inflateEnd(&zs);
  return rc == Z_DATA_ERROR && (msg == "invalid distances set" || msg == "invalid literal/lengths set" ||
                                msg == "invalid code lengths set");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  static const std::size_t kPieces[] = {1, 5, 333, 65535};
  static const std::size_t kRooms[] = {1, 17, 1025, 8192};
  // As many bytes as the rows of an image take: some streams hold more.
  static const std::size_t kLimits[] = {std::size_t(1) << 20, 100, 3000, 40000};
  const std::size_t piece = kPieces[data[0] & 3], room = kRooms[data[0] >> 2 & 3], limit = kLimits[data[0] >> 5 & 3];
  std::vector<std::uint8_t> stream;
  if (data[0] & 16) stream = {0x78, 0x9C};
  stream.insert(stream.end(), data + 1, data + size);

  const Outcome z = Run(Engine::Zlib, stream.data(), stream.size(), piece, room, limit);
  const Outcome i = Run(Engine::Isal, stream.data(), stream.size(), piece, room, limit);
  if ((z.end != i.end || z.bytes != i.bytes) && !IncompleteCodeSet(stream)) {
    std::fprintf(stderr, "inflaters disagree: zlib ended %d after %zu bytes, ISA-L %d after %zu%s\n", z.end,
                 z.bytes.size(), i.end, i.bytes.size(), i.replayed ? " (replayed with zlib)" : "");
    std::abort();
  }
  // ISA-L alone must read whatever stream zlib reads to its end (it may fail early only on
  // streams that are corrupt or cut short, or beyond the bytes asked for).
  if (i.replayed && (z.end == pnginflate::kStreamEnd || z.end == pnginflate::kNeedDict)) {
    std::fprintf(stderr, "ISA-L failed on a stream zlib reads (ended %d after %zu bytes)\n", z.end, z.bytes.size());
    std::abort();
  }
  return 0;
}
