// Writing images: every colour type, bit depth and interlace method read, written and
// read again holds the same pixels, alpha, colour table and transparency, and libpng reads
// the written file as the same picture; writing changes nothing in the image; the data is
// written at the header's depth; IDAT chunk sizes; the filters and the per-row choice.
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <set>
#include <sstream>

#include "png/pngimage.h"
#include "pngtest_util.h"

using namespace pngtest;

namespace {

void Load(TPngImage& png, const Bytes& b) {
  TBytesStream s(b.data(), std::int64_t(b.size()));
  png.ReadFromStream(s);
}

Bytes Write(TPngImage& png) {
  TMemoryStream m;
  png.WriteToStream(m);
  return m.Bytes();
}

std::uint32_t BE32(const Bytes& b, std::size_t at) {
  return std::uint32_t(b[at]) << 24 | std::uint32_t(b[at + 1]) << 16 | std::uint32_t(b[at + 2]) << 8 | b[at + 3];
}

// Lengths of the IDAT chunks of a file, and their bodies inflated as one stream.
std::vector<std::uint32_t> IdatLengths(const Bytes& png) {
  std::vector<std::uint32_t> v;
  for (std::size_t at; (at = FindChunk(png, "IDAT", int(v.size()))) != std::string::npos;) v.push_back(BE32(png, at));
  return v;
}
Bytes InflatedData(const Bytes& png) {
  Bytes z;
  for (int i = 0;; ++i) {
    std::size_t at = FindChunk(png, "IDAT", i);
    if (at == std::string::npos) break;
    z.insert(z.end(), png.begin() + std::ptrdiff_t(at + 8), png.begin() + std::ptrdiff_t(at + 8 + BE32(png, at)));
  }
  std::string out, err;
  EXPECT_TRUE(InflateWhole(z.data(), z.size(), out, err, 1u << 30)) << err;
  return Bytes(out.begin(), out.end());
}

std::size_t DataSize(int ct, int d, std::uint32_t w, std::uint32_t h, int interlace) {
  if (!interlace) return h * (1 + RowBytes(ct, d, w));
  const std::uint32_t r0[7] = {0, 0, 4, 0, 2, 0, 1}, c0[7] = {0, 4, 0, 2, 0, 1, 0};
  const std::uint32_t rs[7] = {8, 8, 8, 4, 4, 2, 2}, cs[7] = {8, 8, 4, 4, 2, 2, 1};
  std::size_t n = 0;
  for (int p = 0; p < 7; ++p)
    if (w > c0[p] && h > r0[p]) n += (h - r0[p] + rs[p] - 1) / rs[p] * (1 + RowBytes(ct, d, (w - c0[p] + cs[p] - 1) / cs[p]));
  return n;
}

// What a decoded image holds, compared across a round trip.
struct Snapshot {
  std::string header;                  // size, colour type, depth, interlacing
  std::vector<std::uint32_t> pixels;   // colours, or indexes of palette images
  std::vector<std::uint8_t> alpha;
  std::vector<std::uint32_t> table;    // the colour table entries the storage addresses
  std::string transparency;            // kind, key colour, tRNS values
};

Snapshot Take(TPngImage& png) {
  Snapshot s;
  TChunkIHDR& h = png.ImageHeader();
  std::ostringstream head;
  head << h.ImageWidth() << "x" << h.ImageHeight() << " ct" << int(h.ColorType()) << " d" << int(h.BitDepth())
       << " i" << int(png.Interlacing());
  s.header = head.str();
  unsigned bits = unsigned(png.Storage().StorageBits());
  for (int y = 0; y < h.ImageHeight(); ++y) {
    const std::uint8_t* row = png.PixelRow(y);
    const std::uint8_t* a = png.AlphaRow(y);
    for (std::uint32_t x = 0; x < h.ImageWidth(); ++x) {
      if (h.ColorType() == TPngColorType::Palette)
        s.pixels.push_back(bits == 8 ? row[x] : bits == 4 ? row[x / 2] >> (4 - x % 2 * 4) & 15 : row[x / 8] >> (7 - x % 8) & 1);
      else
        s.pixels.push_back(png.PixelColor(int(x), y));
      if (a) s.alpha.push_back(a[x]);
    }
  }
  if (png.Storage().UsesColorTable())
    for (unsigned i = 0; i < (1u << bits); ++i) {
      const RGBQUAD& q = png.Storage().HeaderInfo().bmiColors[i];
      s.table.push_back(q.rgbBlue | q.rgbGreen << 8 | q.rgbRed << 16);
    }
  std::ostringstream t;
  t << "kind " << png.TransparencyKind() << " key " << png.KeyColor();
  if (auto* trns = png.Chunks().FirstOfClass<TChunktRNS>()) {
    t << " bit " << trns->BitTransparency() << " values";
    for (std::uint32_t i = 0; i < trns->BodyLength(); ++i) t << " " << int(trns->AlphaValues()[i]);
  }
  s.transparency = t.str();
  return s;
}

std::string Diff(const Snapshot& a, const Snapshot& b) {
  if (a.header != b.header) return "header " + a.header + " became " + b.header;
  for (std::size_t i = 0; i < a.pixels.size(); ++i)
    if (a.pixels[i] != b.pixels[i] || (!a.alpha.empty() && a.alpha[i] != b.alpha[i]))
      return "pixel " + std::to_string(i) + ": " + std::to_string(a.pixels[i]) + " became " + std::to_string(b.pixels[i]);
  if (a.alpha.size() != b.alpha.size()) return "alpha plane";
  if (a.table != b.table) return "colour table";
  if (a.transparency != b.transparency) return a.transparency + " became " + b.transparency;
  return "";
}

// libpng's reading of the written file against the decoded image: colours through the
// image's gamma (grey with alpha is not mapped), alpha of planes, palette tRNS and keys.
std::string LibpngAgrees(const Bytes& file, TPngImage& png, std::uint32_t gama) {
  if (!HaveLibpng()) return "";  // the round trip itself is checked by the caller
  Rgba ref;
  std::string err;
  if (!LibpngDecode(file, ref, err)) return "libpng: " + err;
  std::vector<std::uint8_t> g = GammaTable(gama);
  TChunkIHDR& h = png.ImageHeader();
  int ct = int(h.ColorType());
  auto* trns = png.Chunks().FirstOfClass<TChunktRNS>();
  Snapshot s = Take(png);
  for (std::uint32_t y = 0, i = 0; y < ref.height; ++y)
    for (std::uint32_t x = 0; x < ref.width; ++x, ++i) {
      const std::uint8_t* e = ref.At(x, y);
      COLORREF c = png.PixelColor(int(x), int(y));
      unsigned want = ct == 4 ? e[0] | e[1] << 8 | e[2] << 16 : g[e[0]] | g[e[1]] << 8 | g[e[2]] << 16;
      unsigned alpha = 255;
      if (!s.alpha.empty()) alpha = s.alpha[i];
      else if (ct == 3 && trns) alpha = trns->AlphaValues()[s.pixels[i]];
      else if (trns && h.BitDepth() <= 8 && c == png.KeyColor()) alpha = 0;
      if (c != want || alpha != e[3])
        return "pixel (" + std::to_string(x) + ", " + std::to_string(y) + ") libpng " + std::to_string(want) + "/" +
               std::to_string(e[3]) + " ours " + std::to_string(c) + "/" + std::to_string(alpha);
    }
  return "";
}

enum Extra { kPlain, kTrns, kGamma, kGammaAfterData };
struct Case {
  int colorType, bitDepth, interlace;
  std::uint32_t width, height;
  Extra extra;
  std::uint8_t filters;
};

std::string Name(const Case& c) {
  static const char* const extras[] = {"plain", "trns", "gamma", "gammaafter"};
  std::ostringstream s;
  s << "ct" << c.colorType << "_d" << c.bitDepth << (c.interlace ? "_adam7_" : "_seq_") << c.width << "x" << c.height
    << "_" << extras[c.extra] << "_f" << int(c.filters);
  return s.str();
}

Bytes MakeFile(const Case& c) {
  PngPlan plan;
  plan.image = RandomImage(c.width, c.height, c.colorType, c.bitDepth, c.width * 7 + c.height + unsigned(c.extra));
  plan.interlace = c.interlace;
  Bytes gama(4);
  PutBE32(gama.data(), 45000);
  if (c.extra == kGamma) plan.beforeData.push_back({"gAMA", gama});
  if (c.extra == kGammaAfterData) plan.afterData.push_back({"gAMA", gama});
  int n = 1 << std::min(c.bitDepth, 8);
  if (c.colorType == 3) plan.beforeData.push_back({"PLTE", PaletteBody(n)});
  if (c.extra == kTrns) {
    Bytes t;
    if (c.colorType == 3)
      for (int i = 0; i < n; ++i) t.push_back(std::uint8_t(i * 97 + 3));
    else  // the key is the first pixel's samples, so at least one pixel is transparent
      for (int k = 0; k < (c.colorType == 2 ? 3 : 1); ++k) {
        std::uint16_t v = plan.image.samples[0][std::size_t(k)];
        t.push_back(std::uint8_t(v >> 8));
        t.push_back(std::uint8_t(v));
      }
    plan.beforeData.push_back({"tRNS", t});
  }
  return BuildPng(plan);
}

void CheckRoundTrip(const Case& c) {
  SCOPED_TRACE(Name(c));
  TPngImage a;
  Load(a, MakeFile(c));
  a.SetFilterSet(c.filters);
  Snapshot before = Take(a);
  Bytes out = Write(a);
  EXPECT_EQ(Diff(before, Take(a)), "") << "writing changed the image";
  SaveSeed(Name(c), out, "fuzz_png_recode");

  // The header states the image's own depth and the data has exactly that many bits.
  std::size_t ihdr = FindChunk(out, "IHDR");
  ASSERT_NE(ihdr, std::string::npos);
  EXPECT_EQ(out[ihdr + 16], c.bitDepth);
  EXPECT_EQ(out[ihdr + 20], c.interlace);
  EXPECT_EQ(InflatedData(out).size(), DataSize(c.colorType, c.bitDepth, c.width, c.height, c.interlace));

  TPngImage b;
  Raised r = Catch([&] { Load(b, out); });
  ASSERT_EQ(r.className, "") << r.message;
  EXPECT_EQ(Diff(before, Take(b)), "");
  // Colours decoded before a later gAMA chunk are not what a gamma-applying reader shows.
  if (c.extra != kGammaAfterData) {
    EXPECT_EQ(LibpngAgrees(out, b, c.extra == kGamma ? 45000 : 0), "");
  }
}

class RoundTripTest : public ::testing::TestWithParam<Case> {};

TEST_P(RoundTripTest, SamePictureAfterWriting) { CheckRoundTrip(GetParam()); }

std::vector<Case> RoundTripCases() {
  const int formats[][2] = {{0, 1}, {0, 2}, {0, 4}, {0, 8}, {0, 16}, {3, 1}, {3, 2}, {3, 4},
                            {3, 8}, {2, 8}, {2, 16}, {4, 8}, {4, 16}, {6, 8}, {6, 16}};
  const std::uint8_t filterSets[] = {pfSub, pfNone, pfUp, pfAverage, pfPaeth, 31, pfNone | pfPaeth};
  std::vector<Case> v;
  for (auto& f : formats)
    for (int interlace : {0, 1}) {
      std::vector<Case> mine = {{f[0], f[1], interlace, 1, 1, kPlain, 0},      {f[0], f[1], interlace, 5, 3, kPlain, 0},
                                {f[0], f[1], interlace, 47, 33, kPlain, 0},    {f[0], f[1], interlace, 13, 11, kGamma, 0},
                                {f[0], f[1], interlace, 9, 7, kGammaAfterData, 0}};
      if (f[0] <= 3) mine.push_back({f[0], f[1], interlace, 13, 11, kTrns, 0});
      for (Case& c : mine) {
        c.filters = filterSets[v.size() % 7];
        v.push_back(c);
      }
    }
  // Interlaced pictures narrower or shorter than a pass, every size up to 7 x 7.
  for (std::uint32_t w = 1; w <= 7; ++w)
    for (std::uint32_t h = 1; h <= 7; ++h) {
      auto& f = formats[(w * 7 + h) % 15];
      v.push_back({f[0], f[1], 1, w, h, kPlain, filterSets[(w + h) % 7]});
    }
  return v;
}

INSTANTIATE_TEST_SUITE_P(All, RoundTripTest, ::testing::ValuesIn(RoundTripCases()),
                         [](const auto& info) { return Name(info.param); });

// The table runs at the best instruction-set level of the processor; each level the row
// code has writes it alike.
class RowLevelEncode : public ::testing::TestWithParam<pngrow::RowLevel> {};

TEST_P(RowLevelEncode, EveryCaseSamePictureAfterWriting) {
  const pngrow::RowLevel best = pngrow::CurrentRowLevel();
  if (!pngrow::SetRowLevel(GetParam())) GTEST_SKIP() << "the processor lacks this level";
  for (const Case& c : RoundTripCases()) CheckRoundTrip(c);
  pngrow::SetRowLevel(best);
}

INSTANTIATE_TEST_SUITE_P(Levels, RowLevelEncode, ::testing::ValuesIn(kRowLevels),
                         [](const auto& info) { return LevelName(info.param); });

// Grey with alpha below 8 bits (an alpha channel added to a low-depth grey image) has no
// PNG form; it is written at 8 bits with the grey levels it shows.
TEST(Encode, LowDepthGreyWithAddedAlphaIsWrittenAtEightBits) {
  for (int d : {1, 2, 4}) {
    TPngImage a;
    Load(a, MakeFile({0, d, 0, 11, 5, kPlain, 0}));
    a.AddAlphaChannel();
    Snapshot before = Take(a);
    Bytes out = Write(a);
    TPngImage b;
    Load(b, out);
    EXPECT_EQ(b.ImageHeader().ColorType(), TPngColorType::GreyAlpha);
    EXPECT_EQ(b.ImageHeader().BitDepth(), 8);
    EXPECT_EQ(before.pixels, Take(b).pixels) << d;
    EXPECT_EQ(before.alpha, Take(b).alpha) << d;
    EXPECT_EQ(LibpngAgrees(out, b, 0), "") << d;
    TPngImage copy;  // a copy keeps the packed grey layout
    copy.Assign(&a);
    EXPECT_EQ(before.pixels, Take(copy).pixels) << d;
  }
}

// Bits past the last sample of a packed row go out as 0 in every pass, whatever the storage
// holds beyond the pass's last column (here the next row's pixels, all 1).
TEST(Encode, PackedRowsEndInZeroBits) {
  PngPlan plan;
  plan.image = RandomImage(32, 9, 3, 1, 1);
  for (auto& row : plan.image.samples) std::fill(row.begin(), row.end(), 1);
  plan.beforeData.push_back({"PLTE", PaletteBody(2)});
  TPngImage a;
  Load(a, BuildPng(plan));
  a.SetInterlacing(1);
  a.SetFilterSet(pfNone);
  const Bytes data = InflatedData(Write(a));
  const std::uint32_t r0[7] = {0, 0, 4, 0, 2, 0, 1}, c0[7] = {0, 4, 0, 2, 0, 1, 0};
  const std::uint32_t rs[7] = {8, 8, 8, 4, 4, 2, 2}, cs[7] = {8, 8, 4, 4, 2, 2, 1};
  std::size_t at = 0;
  for (int p = 0; p < 7; ++p) {
    const std::uint32_t cols = (32 - c0[p] + cs[p] - 1) / cs[p], len = (cols + 7) / 8;
    for (std::uint32_t y = r0[p]; y < 9; y += rs[p], at += 1 + len)
      ASSERT_EQ(data.at(at + len) & (0xFF >> (cols - 8 * (len - 1))), 0) << "pass " << p + 1 << " row " << y;
  }
}

// A header whose fields no longer match its storage cannot be written; nothing is. Its
// rows are still those of the storage (4 of them), never memory beyond it.
TEST(Encode, HeaderChangedAfterItsStorageIsRefusedBeforeAnyByte) {
  const std::function<void(TChunkIHDR&)> changes[] = {[](TChunkIHDR& h) { h.SetBitDepth(3); },
                                                       [](TChunkIHDR& h) { h.SetColorType(TPngColorType::Rgba); },
                                                       [](TChunkIHDR& h) { h.SetImageWidth(h.ImageWidth() + 9); },
                                                       [](TChunkIHDR& h) { h.SetImageHeight(h.ImageHeight() + 9); }};
  for (auto& change : changes) {
    TPngImage a;
    Load(a, MakeFile({2, 8, 0, 6, 4, kPlain, 0}));
    change(a.ImageHeader());
    EXPECT_EQ(a.PixelRow(4), nullptr);
    TMemoryStream m;
    EXPECT_EQ(Catch([&] { a.WriteToStream(m); }).className, "EPngUnsupportedFormat");
    EXPECT_EQ(m.Size(), 0);
  }
}

TEST(Encode, IdatChunksHoldAtMostTheLimit) {
  struct Limit {
    std::uint32_t set, chunk;
  };
  // Values below 65535 are stored as 65535; above 1 MiB the chunks are 1 MiB.
  for (Limit l : {Limit{0, 65535}, Limit{1000, 65535}, Limit{100000, 100000}, Limit{0x7FFFFFFF, 1u << 20}}) {
    TPngImage a;
    Load(a, MakeFile({6, 8, 0, 700, 400, kPlain, 0}));  // noise: about 1.1 MB deflated
    a.SetIdatChunkLimit(l.set);
    a.SetDeflateLevel(1);
    Bytes out = Write(a);
    std::vector<std::uint32_t> lengths = IdatLengths(out);
    ASSERT_GE(lengths.size(), 2u);
    for (std::size_t i = 0; i + 1 < lengths.size(); ++i) EXPECT_EQ(lengths[i], l.chunk) << l.set;
    EXPECT_LE(lengths.back(), l.chunk);
    TPngImage b;
    Load(b, out);
    EXPECT_EQ(Diff(Take(a), Take(b)), "");
  }
}

// RGB rows made for different filters: ramps (Sub), repeats (Up), noise, and smooth 2-D
// shading; with all filters allowed each row takes the one of least signed-byte magnitude,
// a single filter is used on every row.
TEST(Encode, FilterChoicePerRow) {
  RawImage img = RandomImage(64, 24, 2, 8, 5);
  for (std::uint32_t y = 0; y < img.height; ++y)
    for (std::uint32_t i = 0; i < 64 * 3; ++i) {
      std::uint16_t& s = img.samples[y][i];
      std::uint32_t x = i / 3;
      if (y % 4 == 0) s = std::uint16_t((x * 5 + i % 3 * 40 + y) & 255);
      if (y % 4 == 1) s = img.samples[y - 1][i];
      if (y % 4 == 3) s = std::uint16_t((x * x / 16 + y * y + i % 3) & 255);
    }
  PngPlan plan;
  plan.image = img;
  TPngImage a;
  Load(a, BuildPng(plan));
  for (std::uint8_t set : {std::uint8_t(pfNone), std::uint8_t(pfSub), std::uint8_t(pfUp), std::uint8_t(pfAverage),
                           std::uint8_t(pfPaeth), std::uint8_t(31)}) {
    a.SetFilterSet(set);
    Bytes out = Write(a);
    Bytes data = InflatedData(out);
    ASSERT_EQ(data.size(), 24u * 193);
    std::set<int> used;
    Bytes prev(192, 0);
    for (std::uint32_t y = 0; y < 24; ++y) {
      Bytes row(img.samples[y].begin(), img.samples[y].end());
      int chosen = data[y * 193];
      used.insert(chosen);
      if (set != 31) {
        EXPECT_EQ(1 << chosen, set) << "row " << y;
      } else {
        std::uint64_t cost[5];
        for (int f = 0; f < 5; ++f) {
          Bytes filtered;
          AppendFiltered(filtered, row, prev, f, 3);
          cost[f] = 0;
          for (std::size_t i = 1; i < filtered.size(); ++i) cost[f] += std::min(filtered[i], std::uint8_t(256 - filtered[i]));
        }
        EXPECT_EQ(chosen, std::min_element(cost, cost + 5) - cost) << "row " << y;
        Bytes expect;
        AppendFiltered(expect, row, prev, chosen, 3);
        EXPECT_TRUE(std::equal(expect.begin(), expect.end(), data.begin() + y * 193)) << "row " << y;
      }
      prev = row;
    }
    if (set == 31) {
      EXPECT_GE(used.size(), 3u);
    }
    TPngImage b;
    Load(b, out);
    EXPECT_EQ(Diff(Take(a), Take(b)), "") << int(set);
  }
}

}  // namespace
