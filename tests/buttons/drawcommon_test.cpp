// Colour arithmetic of the buttons as one table of worked examples (values from the HSL,
// shade and mix formulas), the caption text helper, and the parent showing through.
#include <gtest/gtest.h>

#include "buttons/drawcommon.h"
#include "platform/font/font.h"
#include "ui/controls/controls.h"

namespace {

COLORREF Rgb(int r, int g, int b) { return RGB(BYTE(r), BYTE(g), BYTE(b)); }
// A split packed as (hue, saturation, luminance) in the three bytes, so splits sit in the
// same table as colours.
COLORREF Split(COLORREF c) {
  const THsl h = SplitHsl(TColor(c));
  return Rgb(h.hue, h.saturation, h.luminance);
}

struct ColorCase {
  const char* what;
  COLORREF got, expected;
};
class ColorMathTest : public ::testing::TestWithParam<ColorCase> {};
TEST_P(ColorMathTest, Matches) { EXPECT_EQ(GetParam().got, GetParam().expected) << GetParam().what; }

constexpr TColor kGrey = 0x808080, kHover = 0x149BF0;

INSTANTIATE_TEST_SUITE_P(
    Examples, ColorMathTest,
    ::testing::Values(
        ColorCase{"split red", Split(Rgb(255, 0, 0)), Rgb(0, 240, 120)},
        ColorCase{"split blue", Split(Rgb(0, 0, 255)), Rgb(160, 240, 120)},
        ColorCase{"split grey", Split(Rgb(128, 128, 128)), Rgb(0, 0, 120)},
        ColorCase{"split: a negative hue wraps", Split(Rgb(255, 0, 128)), Rgb(220, 240, 120)},
        ColorCase{"split: blue the largest", Split(Rgb(0, 128, 255)), Rgb(140, 240, 120)},
        ColorCase{"split: green the largest", Split(Rgb(0, 200, 100)), Rgb(100, 240, 94)},
        ColorCase{"split resolves system colours", Split(COLORREF(clBtnFace)), Rgb(0, 0, 226)},
        ColorCase{"join reads hue on 239", COLORREF(JoinHsl(160, 240, 120)), Rgb(4, 0, 255)},
        ColorCase{"join green", COLORREF(JoinHsl(80, 240, 120)), Rgb(0, 255, 2)},
        ColorCase{"join: luminance 0", COLORREF(JoinHsl(0, 0, 0)), Rgb(0, 0, 0)},
        ColorCase{"join: luminance 255", COLORREF(JoinHsl(0, 0, 255)), Rgb(255, 255, 255)},
        ColorCase{"join: hue 250 as sextant 0", COLORREF(JoinHsl(250, 240, 120)), Rgb(255, 70, 0)},
        ColorCase{"join: saturation 255 stops at 0", COLORREF(JoinHsl(0, 255, 120)), Rgb(255, 0, 0)},
        ColorCase{"darker grey by 20", COLORREF(ShadeDarker(kGrey, 20)), Rgb(106, 106, 106)},
        ColorCase{"lighter grey by 20", COLORREF(ShadeLighter(kGrey, 20)), Rgb(149, 149, 149)},
        ColorCase{"lighter white", COLORREF(ShadeLighter(clWhite, 77)), Rgb(255, 255, 255)},
        ColorCase{"darker past 0", COLORREF(ShadeDarker(kGrey, 200)), Rgb(0, 0, 0)},
        ColorCase{"mix black on white 128", COLORREF(MixColors(clBlack, clWhite, 128)), Rgb(127, 127, 127)},
        ColorCase{"mix white on hover 190", COLORREF(MixColors(clWhite, kHover, 190)), Rgb(251, 230, 195)},
        ColorCase{"mix alpha 255", COLORREF(MixColors(clBtnFace, clBlack, 255)), Rgb(240, 240, 240)},
        ColorCase{"mix alpha 0", COLORREF(MixColors(clBlack, clBtnFace, 0)), Rgb(240, 240, 240)},
        ColorCase{"opposite of red", COLORREF(OppositeHue(clRed, 120)), Rgb(0, 252, 255)},
        ColorCase{"opposite of blue", COLORREF(OppositeHue(clBlue, 120)), Rgb(254, 255, 0)}));

struct AlikeCase {
  const char* what;
  COLORREF a, b;
  bool alike;
};
class ColorsAlikeTest : public ::testing::TestWithParam<AlikeCase> {};
TEST_P(ColorsAlikeTest, Compares) {
  EXPECT_EQ(ColorsAlike(TColor(GetParam().a), TColor(GetParam().b)), GetParam().alike) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(Examples, ColorsAlikeTest,
                         ::testing::Values(AlikeCase{"hues 0 and 239", Rgb(255, 0, 0), Rgb(255, 0, 6), false},
                                           AlikeCase{"luminance 120 and 94", Rgb(255, 0, 0), Rgb(200, 0, 0), true},
                                           AlikeCase{"luminance 120 and 28", Rgb(255, 0, 0), Rgb(60, 0, 0), false},
                                           AlikeCase{"saturation ignored", Rgb(128, 128, 128), Rgb(255, 0, 0), true},
                                           AlikeCase{"hues 0 and 19", Rgb(255, 0, 0), Rgb(255, 121, 0), true},
                                           AlikeCase{"hues 0 and 20", Rgb(255, 0, 0), Rgb(255, 128, 0), false},
                                           AlikeCase{"hues 20 and 30", Rgb(255, 128, 0), Rgb(255, 191, 0), true},
                                           AlikeCase{"luminance 0 and 59", Rgb(0, 0, 0), Rgb(63, 63, 63), true},
                                           AlikeCase{"luminance 0 and 60", Rgb(0, 0, 0), Rgb(64, 64, 64), false}));

TEST(DrawTextIn, MeasuresAndDrawsTransparentlyInTheFontColour) {
  TBitmap bmp(60, 20, pf32bit);
  TCanvas& c = *bmp.Canvas();
  c.Brush()->SetColor(clWhite);
  c.FillRect(RECT{0, 0, 60, 20});
  c.Font()->SetColor(clRed);
  c.Brush()->SetStyle(bsClear);
  RECT r{2, 3, 60, 20};
  EXPECT_EQ(DrawTextIn(c, "OK", r, DT_CALCRECT), 13);
  EXPECT_EQ(r, (RECT{2, 3, 2 + c.TextWidth("OK"), 16}));
  r = RECT{2, 3, 60, 20};
  DrawTextIn(c, "OK", r, 0);
  int red = 0, other = 0;
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 60; ++x) {
      const COLORREF p = COLORREF(c.Pixels(x, y));
      if (p == Rgb(255, 0, 0)) ++red;
      else if (p != Rgb(255, 255, 255)) ++other;
    }
  EXPECT_GT(red, 10);
  EXPECT_EQ(other, 0) << "a clear brush leaves the background alone";
}

// A blue parent that paints a red marker at (12, 7) of its 20 x 12 client area and
// counts its invalidations.
template <class Base>
struct TMarkedParent : Base {
  TMarkedParent() : Base(nullptr) {
    this->SetColor(clBlue);
    this->SetBounds(0, 0, 20, 12);
  }
  void Invalidate() override { ++invalidations; }
  void PaintWindow(HDC dc) override { ::SetPixel(dc, 12, 7, Rgb(255, 0, 0)); }
  int invalidations = 0;
};

// Paints parent's background into an 8 x 6 white bitmap for a child at (left, top).
template <class Parent>
std::pair<testing::AssertionResult, int> ShowThrough(Parent& parent, int left, int top, bool invalidate,
                                                     const std::vector<std::pair<POINT, COLORREF>>& expect) {
  TCustomControl child(nullptr);
  child.SetBounds(left, top, 8, 6);
  child.SetParent(&parent);
  parent.invalidations = 0;
  TBitmap bmp(8, 6, pf32bit);
  bmp.Canvas()->Brush()->SetColor(clWhite);
  bmp.Canvas()->FillRect(RECT{0, 0, 8, 6});
  PaintParentBackground(&child, bmp.Canvas()->Handle(), invalidate);
  child.SetParent(nullptr);
  POINT org{1, 1};
  GetViewportOrgEx(bmp.Canvas()->Handle(), &org);
  if (org != POINT{0, 0}) return {testing::AssertionFailure() << "viewport not restored", 0};
  for (auto [p, c] : expect)
    if (COLORREF(bmp.Canvas()->Pixels(p.x, p.y)) != c)
      return {testing::AssertionFailure() << "pixel (" << p.x << ", " << p.y << ")", 0};
  return {testing::AssertionSuccess(), parent.invalidations};
}

constexpr COLORREF kBlue = 0xFF0000, kRed = 0x0000FF, kWhite = 0xFFFFFF;

TEST(PaintParentBackground, ShowsTheParentShiftedAndClippedToItsClientArea) {
  TMarkedParent<TWinControl> plain;
  auto [ok, inv] = ShowThrough(plain, 10, 5, false, {{{2, 2}, kRed}, {{0, 0}, kBlue}, {{7, 5}, kBlue}});
  EXPECT_TRUE(ok) << "parent (12, 7) lands on child (2, 2)";
  EXPECT_EQ(inv, 0);
  EXPECT_TRUE(ShowThrough(plain, 15, 8, false, {{{4, 3}, kBlue}, {{5, 3}, kWhite}, {{4, 4}, kWhite}}).first)
      << "nothing beyond the parent's right and bottom edges";
}

TEST(PaintParentBackground, InvalidatesOnlyPlainParents) {
  TMarkedParent<TWinControl> plain;
  EXPECT_EQ(ShowThrough(plain, 0, 0, true, {{{0, 0}, kBlue}}).second, 1);
  TMarkedParent<TCustomControl> selfPainted;
  EXPECT_EQ(ShowThrough(selfPainted, 0, 0, true, {{{0, 0}, kBlue}}).second, 0);
  TCustomControl orphan(nullptr);
  TBitmap bmp(4, 4, pf32bit);
  bmp.Canvas()->Brush()->SetColor(clWhite);
  bmp.Canvas()->FillRect(RECT{0, 0, 4, 4});
  PaintParentBackground(&orphan, bmp.Canvas()->Handle(), true);
  EXPECT_EQ(COLORREF(bmp.Canvas()->Pixels(1, 1)), kWhite) << "no parent, nothing drawn";
}

}  // namespace
