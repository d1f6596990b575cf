// Decoded pixels of every colour type and bit depth, sequential and Adam7, every filter,
// split IDAT runs and gamma, compared with libpng under the storage rules of the codec
// (16-bit samples keep the high byte, 2-bit grey is widened by 5, gamma applies to colour
// samples, palette colours and grey levels but not to grey-with-alpha or alpha).
#include <gtest/gtest.h>
#include <zlib.h>

#include <sstream>

#include "png/pngimage.h"
#include "png/rowconv.h"
#include "pngtest_util.h"

using namespace pngtest;

namespace {

struct Format {
  int colorType, bitDepth;
};
const Format kFormats[] = {{0, 1}, {0, 2}, {0, 4}, {0, 8}, {0, 16}, {3, 1}, {3, 2}, {3, 4},
                           {3, 8}, {2, 8}, {2, 16}, {4, 8}, {4, 16}, {6, 8}, {6, 16}};

struct Case {
  Format format;
  int interlace;
  int filter;
  std::uint32_t width, height;
  std::uint32_t gama = 0;
  std::size_t pieces = 1;
};

std::string Name(const Case& c) {
  std::ostringstream s;
  s << "ct" << c.format.colorType << "_d" << c.format.bitDepth << (c.interlace ? "_adam7" : "_seq") << "_f"
    << (c.filter < 0 ? std::string("mix") : std::to_string(c.filter)) << "_" << c.width << "x" << c.height;
  if (c.gama) s << "_gamma" << c.gama;
  if (c.pieces > 1) s << "_idat" << c.pieces;
  return s.str();
}

Bytes MakeFile(const Case& c, std::uint32_t seed) {
  PngPlan plan;
  plan.image = RandomImage(c.width, c.height, c.format.colorType, c.format.bitDepth, seed);
  plan.interlace = c.interlace;
  plan.filter = c.filter;
  plan.idatPieces = c.pieces;
  if (c.gama) {
    Bytes g(4);
    PutBE32(g.data(), c.gama);
    plan.beforeData.push_back({"gAMA", g});
  }
  if (c.format.colorType == 3) plan.beforeData.push_back({"PLTE", PaletteBody(1 << c.format.bitDepth)});
  return BuildPng(plan);
}

// Compares the image with libpng's decoding; returns "" or the first mismatch.
std::string Compare(TPngImage& png, const Bytes& file, std::uint32_t gama, int colorType) {
  Rgba ref;
  std::string err;
  if (!LibpngDecode(file, ref, err)) return "libpng failed: " + err;
  if (std::uint32_t(png.PixelWidth()) != ref.width || std::uint32_t(png.PixelHeight()) != ref.height)
    return "size differs";
  std::vector<std::uint8_t> g = GammaTable(gama);
  for (std::uint32_t y = 0; y < ref.height; ++y) {
    for (std::uint32_t x = 0; x < ref.width; ++x) {
      const std::uint8_t* e = ref.At(x, y);
      COLORREF c = png.PixelColor(int(x), int(y));
      unsigned r = c & 0xFF, gr = c >> 8 & 0xFF, b = c >> 16 & 0xFF;
      unsigned er = colorType == 4 ? e[0] : g[e[0]], eg = colorType == 4 ? e[1] : g[e[1]],
               eb = colorType == 4 ? e[2] : g[e[2]];
      bool ok = r == er && gr == eg && b == eb;
      unsigned alpha = 255;
      if (colorType == 4 || colorType == 6) {
        alpha = png.AlphaRow(int(y))[x];
        ok = ok && alpha == e[3];
      }
      if (!ok) {
        std::ostringstream s;
        s << "pixel (" << x << ", " << y << "): got rgba " << r << "," << gr << "," << b << "," << alpha
          << " expected " << er << "," << eg << "," << eb << "," << unsigned(e[3]);
        return s.str();
      }
    }
  }
  return "";
}

void CheckDecode(const Case& c) {
  SCOPED_TRACE(Name(c));
  Bytes file = MakeFile(c, c.width * 131 + c.height * 7 + unsigned(c.filter + 3) * 1000 + c.format.colorType);
  SaveSeed(Name(c), file);
  TPngImage png;
  TBytesStream stream(file.data(), std::int64_t(file.size()));
  Raised r = Catch([&] { png.ReadFromStream(stream); });
  ASSERT_EQ(r.className, "") << r.message;
  EXPECT_EQ(stream.Position(), std::int64_t(file.size()));
  if (HaveLibpng()) {
    EXPECT_EQ(Compare(png, file, c.gama, c.format.colorType), "");
  }
}

class DecodeTest : public ::testing::TestWithParam<Case> {};

TEST_P(DecodeTest, MatchesLibpng) { CheckDecode(GetParam()); }

std::vector<Case> FilterCases() {
  std::vector<Case> v;
  for (const Format& f : kFormats)
    for (int interlace : {0, 1})
      for (int filter : {-1, 0, 1, 2, 3, 4}) v.push_back({f, interlace, filter, 13, 11});
  return v;
}

std::vector<Case> SizeCases() {
  std::vector<Case> v;
  const std::uint32_t sizes[][2] = {{1, 1}, {5, 3}, {3, 5}, {33, 17}, {64, 2}, {2, 9}};
  for (const Format& f : kFormats)
    for (int interlace : {0, 1})
      for (auto& s : sizes) v.push_back({f, interlace, -1, s[0], s[1]});
  return v;
}

std::vector<Case> GammaAndSplitCases() {
  std::vector<Case> v;
  for (const Format& f : kFormats) {
    v.push_back({f, 0, -1, 19, 7, 45000});
    v.push_back({f, 1, -1, 19, 7, 100000});
    v.push_back({f, 0, -1, 40, 30, 0, 9});
    v.push_back({f, 1, -1, 40, 30, 0, 23});
  }
  return v;
}

// Interlaced pictures narrower or shorter than a pass, every size up to 7 x 7, the formats
// taken in turn.
std::vector<Case> SmallAdam7Cases() {
  std::vector<Case> v;
  for (std::uint32_t w = 1; w <= 7; ++w)
    for (std::uint32_t h = 1; h <= 7; ++h) v.push_back({kFormats[(w * 7 + h) % 15], 1, -1, w, h});
  return v;
}

INSTANTIATE_TEST_SUITE_P(Filters, DecodeTest, ::testing::ValuesIn(FilterCases()),
                         [](const auto& info) { return Name(info.param); });
INSTANTIATE_TEST_SUITE_P(Sizes, DecodeTest, ::testing::ValuesIn(SizeCases()),
                         [](const auto& info) { return Name(info.param); });
INSTANTIATE_TEST_SUITE_P(GammaAndSplit, DecodeTest, ::testing::ValuesIn(GammaAndSplitCases()),
                         [](const auto& info) { return Name(info.param); });
INSTANTIATE_TEST_SUITE_P(SmallAdam7, DecodeTest, ::testing::ValuesIn(SmallAdam7Cases()),
                         [](const auto& info) { return Name(info.param); });

// The tables above run at the best instruction-set level of the processor; each level the
// row code has decodes them alike.
class RowLevelDecode : public ::testing::TestWithParam<pngrow::RowLevel> {};

TEST_P(RowLevelDecode, EveryCaseMatchesLibpng) {
  const pngrow::RowLevel best = pngrow::CurrentRowLevel();
  if (!pngrow::SetRowLevel(GetParam())) GTEST_SKIP() << "the processor lacks this level";
  for (const auto& cases : {FilterCases(), SizeCases(), GammaAndSplitCases(), SmallAdam7Cases()})
    for (const Case& c : cases) CheckDecode(c);
  pngrow::SetRowLevel(best);
}

INSTANTIATE_TEST_SUITE_P(Levels, RowLevelDecode,
                         ::testing::ValuesIn(kRowLevels), [](const auto& info) { return LevelName(info.param); });

// A larger RGBA image exercises the SIMD filter paths over whole rows.
TEST(DecodeLarge, RgbaAndRgbAllFiltersMatchLibpng) {
  for (int ct : {2, 6})
    for (int filter : {1, 3, 4, -1}) {
      Case c{{ct, 8}, 0, filter, 301, 40};
      Bytes file = MakeFile(c, 99u + unsigned(filter + 1));
      TPngImage png;
      TBytesStream stream(file.data(), std::int64_t(file.size()));
      png.ReadFromStream(stream);
      if (HaveLibpng()) {
        EXPECT_EQ(Compare(png, file, 0, ct), "") << Name(c);
      }
    }
}

// The file's image data deflated again with a sync flush and nothing after it: every row
// is there, the stream's final block and checksum are not, and IEND follows at once.
Bytes WithoutStreamEnd(const Bytes& file, const Case& c, std::uint32_t seed) {
  const Bytes raw = FilteredData(RandomImage(c.width, c.height, c.format.colorType, c.format.bitDepth, seed),
                                 c.interlace, c.filter);
  z_stream zs{};
  deflateInit(&zs, 6);
  Bytes z(deflateBound(&zs, uLong(raw.size())) + 64);
  zs.next_in = const_cast<Bytef*>(raw.data());
  zs.avail_in = uInt(raw.size());
  zs.next_out = z.data();
  zs.avail_out = uInt(z.size());
  deflate(&zs, Z_SYNC_FLUSH);
  z.resize(z.size() - zs.avail_out);
  deflateEnd(&zs);
  Bytes out(file.begin(), file.begin() + std::ptrdiff_t(FindChunk(file, "IDAT")));
  for (const Bytes& chunk : {ChunkBytes("IDAT", z), ChunkBytes("IEND", {})}) out.insert(out.end(), chunk.begin(), chunk.end());
  return out;
}

class StreamWithoutEnd : public ::testing::TestWithParam<Case> {};

// Image data is inflated ahead of the rows in stages, but never beyond what the rows take:
// reading on would look for more data past the IDAT chunk and fail on the IEND behind it.
TEST_P(StreamWithoutEnd, DecodesEveryRowAndReadsNoFurther) {
  const Case& c = GetParam();
  const Bytes full = MakeFile(c, 5);
  const Bytes file = WithoutStreamEnd(full, c, 5);
  TPngImage png;
  TBytesStream stream(file.data(), std::int64_t(file.size()));
  EXPECT_EQ(Catch([&] { png.ReadFromStream(stream); }).className, "");
  if (HaveLibpng()) {
    EXPECT_EQ(Compare(png, full, 0, c.format.colorType), "");
    return;
  }
  // Without the reference decoder, the complete file read by ours is the reference.
  TPngImage ref;
  TBytesStream refStream(full.data(), std::int64_t(full.size()));
  ref.ReadFromStream(refStream);
  for (int y = 0; y < int(c.height); ++y)
    for (int x = 0; x < int(c.width); ++x)
      ASSERT_EQ(png.PixelColor(x, y), ref.PixelColor(x, y)) << x << "," << y;
}

// Short rows that split across stages, interlaced passes, rows just short of a kilobyte,
// and longer ones, which are inflated straight into the row.
INSTANTIATE_TEST_SUITE_P(Rows, StreamWithoutEnd,
                         ::testing::Values(Case{{6, 8}, 0, -1, 48, 48}, Case{{6, 8}, 1, -1, 48, 48},
                                           Case{{0, 1}, 0, 0, 17, 9}, Case{{2, 8}, 0, -1, 340, 30},
                                           Case{{2, 8}, 0, 1, 1000, 20}, Case{{2, 16}, 0, -1, 1500, 5}),
                         [](const ::testing::TestParamInfo<Case>& i) { return Name(i.param); });

}  // namespace
