// The GDI rows, widths and pixel sizes both glyph sources take from a face's design
// numbers, and the per-size cache; expected values worked out by hand from the numbers.
#include "platform/font/fontmetrics.h"

#include <gtest/gtest.h>

namespace fontcache {
namespace {

struct RowsCase {
  DesignMetrics m;  // upem 1000, 20 pixels: 50 units a pixel
  int ascent, descent, underlineRow, underlineThickness, strikeoutRow, strikeoutThickness;
};

class Rows : public testing::TestWithParam<RowsCase> {};

TEST_P(Rows, FollowTheDesignNumbers) {
  const RowsCase& c = GetParam();
  SizedFont f;
  f.pixelSize = 20;
  SetRows(f, c.m);
  EXPECT_EQ(f.ascent, c.ascent);
  EXPECT_EQ(f.descent, c.descent);
  EXPECT_EQ(f.underlineRow, c.underlineRow);
  EXPECT_EQ(f.underlineThickness, c.underlineThickness);
  EXPECT_EQ(f.strikeoutRow, c.strikeoutRow);
  EXPECT_EQ(f.strikeoutThickness, c.strikeoutThickness);
}

INSTANTIATE_TEST_SUITE_P(
    Cells, Rows,
    testing::Values(RowsCase{{1000, 900, 200, -100, 50, 300, 50, 0}, 18, 4, 20, 1, 12, 1},
                    // 18.2, 3.8, 2.5 below, 6.6 above and 1.8 thick round to the nearest, halves away from 0.
                    RowsCase{{1000, 910, 190, -125, 60, 330, 90, 0}, 18, 4, 21, 1, 11, 2},
                    // Lines placed outside the cell stay inside it, whole.
                    RowsCase{{1000, 900, 200, -1000, 200, 2000, 0, 0}, 18, 4, 18, 4, 0, 1}));

// The scaling arithmetic of layouts (MulDiv) and of design numbers (MulDivRound) round alike:
// to the nearest, halves away from zero; MulDiv says -1 for what it cannot give.
struct ScaleCase {
  int n, m, d, want;
};
class Scaling : public testing::TestWithParam<ScaleCase> {};
TEST_P(Scaling, RoundsAsThePlatformDoes) {
  const ScaleCase& c = GetParam();
  EXPECT_EQ(MulDiv(c.n, c.m, c.d), c.want);
  if (c.d > 0 && c.want != -1) {
    EXPECT_EQ(MulDivRound(c.n, c.m, c.d), c.want);
  }
}
INSTANTIATE_TEST_SUITE_P(
    Densities, Scaling,
    testing::Values(ScaleCase{-11, 120, 96, -14}, ScaleCase{-11, 144, 96, -17}, ScaleCase{75, 144, 96, 113},
                    ScaleCase{265, 144, 96, 398}, ScaleCase{513, 96, 144, 342}, ScaleCase{80, 168, 96, 140},
                    ScaleCase{13, 288, 96, 39}, ScaleCase{7, 3, -2, -11}, ScaleCase{-7, 3, -2, 11},
                    ScaleCase{5, 1, 0, -1}, ScaleCase{1 << 30, 4, 1, -1}, ScaleCase{-(1 << 30), 2, 1, INT32_MIN}));

TEST(DesignNumbers, MissingCellAndStrikeOutGetDefaults) {
  DesignMetrics m{1000, 0, 0, 0, 0, 0, 0, 0};
  CompleteDesignMetrics(m);
  EXPECT_EQ(m.winAscent, 900);
  EXPECT_EQ(m.winDescent, 200);
  EXPECT_EQ(m.strikePos, 300);
}

TEST(Widths, AverageIsTheLowerCaseXElseTheFacesAverage) {
  SizedFont f;
  f.pixelSize = 20;
  f.glyphs['x'].advance = 6;
  f.glyphs[200].advance = 9;
  const DesignMetrics m{1000, 900, 200, 0, 0, 0, 0, 500};
  SetWidths(f, m);
  EXPECT_EQ(f.maxCharWidth, 9);
  EXPECT_EQ(f.avgCharWidth, 6);
  f.glyphs['x'].advance = 0;
  SetWidths(f, m);
  EXPECT_EQ(f.avgCharWidth, 10);
}

TEST(PixelSize, CharacterHeightIsTakenCellHeightIsScaledByTheFacesCell) {
  int asked = 0;
  auto face = [&asked] { ++asked; return std::optional<DesignMetrics>(DesignMetrics{1000, 900, 200, 0, 0, 0, 0, 0}); };
  auto none = [] { return std::optional<DesignMetrics>(); };
  EXPECT_EQ(PixelSizeForHeightWith(0, face), kDefaultPixelSize);
  EXPECT_EQ(PixelSizeForHeightWith(-13, face), 13);
  EXPECT_EQ(PixelSizeForHeightWith(-100000, face), kMaxPixelSize);
  EXPECT_EQ(asked, 0) << "the face is not needed for a character height";
  EXPECT_EQ(PixelSizeForHeightWith(26, face), 24);  // 26 * 1000 / 1100 = 23.6
  EXPECT_EQ(PixelSizeForHeightWith(26, none), 22);  // the UI font's 11 of 13
  EXPECT_EQ(PixelSizeForHeightWith(100000, face), kMaxPixelSize);
}

TEST(SizedFontCache, BuildsEachSizeOnceClampedAndStaysBounded) {
  SizedFontCache cache;
  int built = 0;
  auto build = [&built](bool bold, int px) {
    ++built;
    auto f = std::make_shared<SizedFont>();
    f->bold = bold;
    f->pixelSize = px;
    return std::shared_ptr<const SizedFont>(f);
  };
  const auto first = cache.Get(false, 0, build);
  EXPECT_EQ(first->pixelSize, 1);
  EXPECT_EQ(cache.Get(false, 1, build), first);
  EXPECT_EQ(cache.Get(true, 1000, build)->pixelSize, kMaxPixelSize);
  EXPECT_TRUE(cache.Get(true, 1, build)->bold);
  EXPECT_EQ(built, 3);
  for (int px = 2; px <= 40; ++px) cache.Get(false, px, build);
  EXPECT_NE(cache.Get(false, 1, build), first) << "many sizes start the cache over";
}

}  // namespace
}  // namespace fontcache
