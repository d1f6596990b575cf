// Frames, gradients, dotted frames and masked copies, checked pixel by pixel on small
// 32-bit surfaces that start white.
#include <set>
#include <utility>

#include <gtest/gtest.h>

#include "buttons/drawcommon.h"
#include "buttons/drawgraphics.h"

namespace {

constexpr COLORREF kWhite = 0xFFFFFF, kUL = 0x0000C0, kLR = 0x00C000;

struct Surface {
  Surface(int w, int h) : bmp(w, h, pf32bit) {
    c().Brush()->SetColor(clWhite);
    c().FillRect(RECT{0, 0, w, h});
  }
  TCanvas& c() { return *bmp.Canvas(); }
  COLORREF At(int x, int y) { return COLORREF(bmp.Canvas()->Pixels(x, y)); }
  bool AllWhite() {
    for (int y = 0; y < bmp.Height(); ++y)
      for (int x = 0; x < bmp.Width(); ++x)
        if (At(x, y) != kWhite) return false;
    return true;
  }
  TBitmap bmp;
};

struct FullColorScope {
  explicit FullColorScope(bool value) : saved(FullColorDisplay()) { SetFullColorDisplay(value); }
  ~FullColorScope() { SetFullColorDisplay(saved); }
  bool saved;
};

struct EdgeCase {
  TSides sides;
  RECT inner;
  int x, y;
  COLORREF color;
};
class DrawEdgesTest : public ::testing::TestWithParam<EdgeCase> {};

TEST_P(DrawEdgesTest, Pixel) {
  const EdgeCase& e = GetParam();
  Surface s(10, 10);
  EXPECT_EQ(DrawEdges(s.c(), RECT{0, 0, 10, 10}, TColor(kUL), TColor(kLR), e.sides), e.inner);
  EXPECT_EQ(s.At(e.x, e.y), e.color) << "(" << e.x << ", " << e.y << ")";
}

const TSides kLeftTop{sdLeft, sdTop}, kRightBottom{sdRight, sdBottom};
constexpr RECT kInner{1, 1, 9, 9};

INSTANTIATE_TEST_SUITE_P(Sides, DrawEdgesTest,
                         ::testing::Values(EdgeCase{sdAllSides, kInner, 9, 0, kLR},
                                           EdgeCase{sdAllSides, kInner, 0, 9, kLR},
                                           EdgeCase{sdAllSides, kInner, 0, 0, kUL},
                                           EdgeCase{sdAllSides, kInner, 5, 0, kUL},
                                           EdgeCase{sdAllSides, kInner, 9, 9, kLR},
                                           EdgeCase{sdAllSides, kInner, 1, 1, kWhite},
                                           EdgeCase{kLeftTop, {1, 1, 10, 10}, 9, 0, kUL},
                                           EdgeCase{kLeftTop, {1, 1, 10, 10}, 9, 5, kWhite},
                                           EdgeCase{kRightBottom, {0, 0, 9, 9}, 0, 9, kLR}));

// Outer top, outer bottom, inner left, inner right of each two-ring frame on 12 x 12.
struct FrameCase {
  int kind;  // 0 raised, 1 pushed, 2 sunken, 3 tinted raised, 4 tinted pushed, 5 tinted sunken
  TColor outerTop, outerBottom, innerTop, innerBottom;
};
class FrameTest : public ::testing::TestWithParam<FrameCase> {};

constexpr TColor kTint = 0x40A080;

TEST_P(FrameTest, TwoRings) {
  const FrameCase& f = GetParam();
  Surface s(12, 12);
  const RECT r{0, 0, 12, 12};
  const RECT inner = f.kind == 0   ? DrawButtonFrame(s.c(), r, false, sdAllSides)
                     : f.kind == 1 ? DrawButtonFrame(s.c(), r, true, sdAllSides)
                     : f.kind == 2 ? DrawSunkenFrame(s.c(), r, sdAllSides)
                     : f.kind == 5 ? DrawTintedSunkenFrame(s.c(), r, kTint, sdAllSides)
                                   : DrawTintedButtonFrame(s.c(), r, kTint, f.kind == 4, sdAllSides);
  EXPECT_EQ(inner, (RECT{2, 2, 10, 10}));
  const std::pair<POINT, TColor> pixels[] = {{{5, 0}, f.outerTop},    {{5, 11}, f.outerBottom},
                                             {{1, 5}, f.innerTop},    {{10, 5}, f.innerBottom},
                                             {{2, 2}, clWhite}};
  for (auto [p, c] : pixels)
    EXPECT_EQ(s.At(p.x, p.y), COLORREF(ColorToRGB(c))) << "frame " << f.kind << " at " << p.x << "," << p.y;
}

INSTANTIATE_TEST_SUITE_P(
    Frames, FrameTest,
    ::testing::Values(FrameCase{0, clBtnHighlight, cl3DDkShadow, cl3DLight, clBtnShadow},
                      FrameCase{1, clBtnText, clBtnText, clBtnShadow, clBtnShadow},
                      FrameCase{2, clBtnShadow, clBtnHighlight, cl3DDkShadow, cl3DLight},
                      FrameCase{3, ShadeLighter(kTint, 100), ShadeDarker(kTint, 100), ShadeLighter(kTint, 40),
                                ShadeDarker(kTint, 50)},
                      FrameCase{4, ShadeDarker(kTint, 100), ShadeDarker(kTint, 100), ShadeDarker(kTint, 50),
                                ShadeDarker(kTint, 50)},
                      FrameCase{5, ShadeDarker(kTint, 50), ShadeLighter(kTint, 100), ShadeDarker(kTint, 100),
                                ShadeLighter(kTint, 50)}));

// Three rows, top (100, 0, 255), bottom (0, 100, 0): 16.16 steps of 2184533, -2184533 and
// 5570560 give, from the bottom, (0, 100, 0), (33, 66, 85), (66, 33, 170).
TEST(FillVerticalGradient, ThreeRowsInFixedPointAcrossTheWidth) {
  Surface s(24, 6);
  FillVerticalGradient(s.c(), RECT{3, 2, 23, 5}, TColor(RGB(100, 0, 255)), TColor(RGB(0, 100, 0)), 1);
  for (int x : {3, 10, 11, 18, 22}) {
    EXPECT_EQ(s.At(x, 4), RGB(0, 100, 0)) << x;
    EXPECT_EQ(s.At(x, 3), RGB(33, 66, 85)) << x;
    EXPECT_EQ(s.At(x, 2), RGB(66, 33, 170)) << x;
  }
  for (POINT p : {POINT{2, 3}, POINT{23, 3}, POINT{10, 1}, POINT{10, 5}}) EXPECT_EQ(s.At(p.x, p.y), kWhite);
}

// Red 0 at the bottom to 100 at the top over 10 rows is 10 k on row k; a band keeps the
// colour of its bottom row for at least `steps` rows (255 / steps + 1 above 8).
struct BandCase {
  BYTE steps;
  int fromBottom[10];
};
class GradientBandTest : public ::testing::TestWithParam<BandCase> {};

TEST_P(GradientBandTest, Bands) {
  Surface s(3, 10);
  FillVerticalGradient(s.c(), RECT{0, 0, 3, 10}, TColor(RGB(100, 0, 0)), clBlack, GetParam().steps);
  for (int k = 0; k < 10; ++k) EXPECT_EQ(s.At(1, 9 - k), RGB(BYTE(GetParam().fromBottom[k]), 0, 0)) << k;
}

INSTANTIATE_TEST_SUITE_P(Steps, GradientBandTest,
                         ::testing::Values(BandCase{1, {0, 10, 20, 30, 40, 50, 60, 70, 80, 90}},
                                           BandCase{0, {0, 10, 20, 30, 40, 50, 60, 70, 80, 90}},
                                           BandCase{3, {0, 0, 0, 30, 30, 30, 60, 60, 60, 90}},
                                           BandCase{100, {0, 0, 0, 30, 30, 30, 60, 60, 60, 90}}));

TEST(FillVerticalGradient, EmptyRectangleDrawsNothing) {
  Surface s(4, 4);
  FillVerticalGradient(s.c(), RECT{1, 1, 1, 4}, clBlack, clBlack, 1);
  FillVerticalGradient(s.c(), RECT{1, 2, 4, 2}, clBlack, clBlack, 1);
  EXPECT_TRUE(s.AllWhite());
}

TEST(DrawGradientRing, TwoPixelsWideOnFullColourAndSilentOnAPalette) {
  FullColorScope full(true);
  Surface s(12, 10);
  HDC dc = s.c().Handle();
  IntersectClipRect(dc, 0, 0, 11, 10);
  DrawGradientRing(s.c(), RECT{0, 0, 10, 8}, clBlack, clBlack);
  for (POINT p : {POINT{0, 0}, POINT{1, 4}, POINT{8, 4}, POINT{5, 6}}) EXPECT_EQ(s.At(p.x, p.y), 0u);
  for (POINT p : {POINT{2, 2}, POINT{7, 5}}) EXPECT_EQ(s.At(p.x, p.y), kWhite);
  RECT box;
  GetClipBox(dc, &box);
  EXPECT_EQ(box, (RECT{0, 0, 11, 10})) << "the caller's clip is back";

  SetFullColorDisplay(false);
  Surface palette(10, 8);
  DrawGradientRing(palette.c(), RECT{0, 0, 10, 8}, clBlack, clBlack);
  EXPECT_TRUE(palette.AllWhite());
}

TEST(DrawDottedFrame, BlackensEverySecondOutlinePixel) {
  Surface s(6, 4);
  EXPECT_EQ(DrawDottedFrame(s.c(), RECT{0, 0, 6, 4}), (RECT{1, 1, 5, 3}));
  const std::set<std::pair<int, int>> black{{0, 1}, {0, 3}, {5, 1}, {5, 3}, {1, 0},
                                            {3, 0}, {5, 0}, {1, 3}, {3, 3}};
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 6; ++x) EXPECT_EQ(s.At(x, y), black.count({x, y}) ? 0u : kWhite) << x << "," << y;
}

// Two 2 x 2 cells of a 4 x 2 source drawn at (3, 2); magenta is transparent.
TEST(DrawMaskedBitmap, KeepsTheCanvasUnderTransparentPixels) {
  constexpr COLORREF M = 0xFF00FF, A = 0x0000FF, B = 0x00FF00, C = 0xFF0000;
  const COLORREF pixels[2][4] = {{A, M, C, C}, {M, B, M, C}};
  TBitmap src(4, 2, pf32bit);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 4; ++x) src.Canvas()->SetPixel(x, y, TColor(pixels[y][x]));
  for (int cell : {0, 2}) {
    Surface s(6, 5);
    DrawMaskedBitmap(s.c(), src, RECT{3, 2, 5, 4}, RECT{cell, 0, cell + 2, 2}, TColor(M));
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 6; ++x) {
        const bool inside = x >= 3 && x < 5 && y >= 2 && y < 4;
        const COLORREF p = inside ? pixels[y - 2][x - 3 + cell] : M;
        EXPECT_EQ(s.At(x, y), p == M ? kWhite : p) << "cell " << cell << " at " << x << "," << y;
      }
  }
}

}  // namespace
