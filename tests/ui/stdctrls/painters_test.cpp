// The classic painters drawn offscreen: edge and line colours at named pixels, the button
// states, caption helpers, and one golden sheet with every look.
#include <gtest/gtest.h>

#include "support/golden.h"
#include "ui/stdctrls/classiclook.h"

namespace {

COLORREF Sys(int index) { return GetSysColor(index); }

struct Surface {
  Surface(int w, int h) : bmp(w, h, pf32bit) { FillColor(*bmp.Canvas(), RECT{0, 0, w, h}, clBtnFace); }
  TCanvas& c() { return *bmp.Canvas(); }
  COLORREF At(int x, int y) { return COLORREF(bmp.Canvas()->Pixels(x, y)); }
  TBitmap bmp;
};

struct PixelCase {
  const char* what;
  int x, y;
  int sysColor;
};

// ---------------------------------------------------------------------------------------
// Edges

class SunkenEdgeTest : public ::testing::TestWithParam<PixelCase> {};

TEST_P(SunkenEdgeTest, PixelHasEdgeColour) {
  Surface s(20, 10);
  const RECT inside = DrawSunkenEdge(s.c(), RECT{0, 0, 20, 10});
  EXPECT_EQ(inside, (RECT{2, 2, 18, 8}));
  const PixelCase& p = GetParam();
  EXPECT_EQ(s.At(p.x, p.y), Sys(p.sysColor)) << p.what << " at (" << p.x << "," << p.y << ")";
}

INSTANTIATE_TEST_SUITE_P(Classic, SunkenEdgeTest,
                         ::testing::Values(PixelCase{"outer top", 5, 0, COLOR_BTNSHADOW},
                                           PixelCase{"outer left", 0, 5, COLOR_BTNSHADOW},
                                           PixelCase{"outer bottom", 5, 9, COLOR_BTNHIGHLIGHT},
                                           PixelCase{"outer right", 19, 5, COLOR_BTNHIGHLIGHT},
                                           PixelCase{"outer bottom-left corner", 0, 9, COLOR_BTNHIGHLIGHT},
                                           PixelCase{"inner top", 5, 1, COLOR_3DDKSHADOW},
                                           PixelCase{"inner left", 1, 5, COLOR_3DDKSHADOW},
                                           PixelCase{"inner bottom", 5, 8, COLOR_3DLIGHT},
                                           PixelCase{"inner right", 18, 5, COLOR_3DLIGHT}),
                         [](const auto& info) {
                           std::string n = info.param.what;
                           for (char& ch : n)
                             if (ch == ' ' || ch == '-') ch = '_';
                           return n;
                         });

TEST(Painters, EtchedLineIsShadowAboveHighlight) {
  Surface s(10, 6);
  DrawEtchedHLine(s.c(), 1, 9, 2);
  EXPECT_EQ(s.At(1, 2), Sys(COLOR_BTNSHADOW));
  EXPECT_EQ(s.At(8, 3), Sys(COLOR_BTNHIGHLIGHT));
  EXPECT_EQ(s.At(9, 2), Sys(COLOR_BTNFACE)) << "the right end is exclusive";
  EXPECT_EQ(s.At(4, 1), Sys(COLOR_BTNFACE));
  EXPECT_EQ(s.At(4, 4), Sys(COLOR_BTNFACE));
}

struct BevelCase {
  TBevelShape shape;
  TBevelStyle style;
  int x, y;
  int sysColor;
};

class BevelShapeTest : public ::testing::TestWithParam<BevelCase> {};

TEST_P(BevelShapeTest, Pixel) {
  Surface s(12, 9);
  const BevelCase& b = GetParam();
  DrawBevelShape(s.c(), RECT{0, 0, 12, 9}, b.shape, b.style);
  EXPECT_EQ(s.At(b.x, b.y), Sys(b.sysColor)) << "shape " << b.shape << " style " << b.style << " at (" << b.x
                                             << "," << b.y << ")";
}

INSTANTIATE_TEST_SUITE_P(Shapes, BevelShapeTest,
                         ::testing::Values(BevelCase{bsTopLine, bsLowered, 5, 0, COLOR_BTNSHADOW},
                                           BevelCase{bsTopLine, bsLowered, 5, 1, COLOR_BTNHIGHLIGHT},
                                           BevelCase{bsTopLine, bsLowered, 5, 2, COLOR_BTNFACE},
                                           BevelCase{bsTopLine, bsRaised, 5, 0, COLOR_BTNHIGHLIGHT},
                                           BevelCase{bsTopLine, bsRaised, 5, 1, COLOR_BTNSHADOW},
                                           BevelCase{bsBottomLine, bsLowered, 5, 7, COLOR_BTNSHADOW},
                                           BevelCase{bsBottomLine, bsLowered, 5, 8, COLOR_BTNHIGHLIGHT},
                                           BevelCase{bsLeftLine, bsLowered, 0, 4, COLOR_BTNSHADOW},
                                           BevelCase{bsRightLine, bsLowered, 11, 4, COLOR_BTNHIGHLIGHT},
                                           BevelCase{bsBox, bsLowered, 0, 0, COLOR_BTNSHADOW},
                                           BevelCase{bsBox, bsLowered, 11, 8, COLOR_BTNHIGHLIGHT},
                                           BevelCase{bsFrame, bsLowered, 0, 4, COLOR_BTNSHADOW},
                                           BevelCase{bsFrame, bsLowered, 1, 4, COLOR_BTNHIGHLIGHT},
                                           BevelCase{bsSpacer, bsLowered, 0, 0, COLOR_BTNFACE}));

TEST(Painters, PanelBevelsAndBorder) {
  Surface s(30, 20);
  DrawPanelFace(s.c(), RECT{0, 0, 30, 20}, bvLowered, bvRaised, 1, 2, clWhite, "", taCenter);
  EXPECT_EQ(s.At(0, 5), Sys(COLOR_BTNSHADOW)) << "outer lowered: shadow top-left";
  EXPECT_EQ(s.At(29, 5), Sys(COLOR_BTNHIGHLIGHT));
  EXPECT_EQ(s.At(1, 5), RGB(255, 255, 255)) << "border in the panel colour";
  EXPECT_EQ(s.At(3, 5), Sys(COLOR_BTNHIGHLIGHT)) << "inner raised: highlight top-left";
  EXPECT_EQ(s.At(26, 5), Sys(COLOR_BTNSHADOW));
  EXPECT_EQ(s.At(15, 10), RGB(255, 255, 255));
}

// ---------------------------------------------------------------------------------------
// Buttons

TEST(Painters, ButtonStates) {
  Surface normal(40, 20), def(40, 20), pressed(40, 20), focused(40, 20);
  DrawPushButton(normal.c(), RECT{0, 0, 40, 20}, "", {});
  DrawPushButton(def.c(), RECT{0, 0, 40, 20}, "", {bdfDefault});
  DrawPushButton(pressed.c(), RECT{0, 0, 40, 20}, "", {bdfPressed, bdfDefault});
  DrawPushButton(focused.c(), RECT{0, 0, 40, 20}, "", {bdfFocused, bdfDefault});
  EXPECT_EQ(normal.At(0, 0), Sys(COLOR_BTNHIGHLIGHT));
  EXPECT_EQ(normal.At(39, 19), Sys(COLOR_3DDKSHADOW));
  EXPECT_EQ(normal.At(38, 10), Sys(COLOR_BTNSHADOW));
  EXPECT_EQ(def.At(0, 0), RGB(0, 0, 0)) << "default frame";
  EXPECT_EQ(def.At(1, 1), Sys(COLOR_BTNHIGHLIGHT));
  EXPECT_EQ(pressed.At(1, 1), Sys(COLOR_BTNSHADOW)) << "pressed: one shadow frame";
  EXPECT_EQ(pressed.At(38, 18), Sys(COLOR_BTNSHADOW));
  // The focus rectangle lies 4 pixels in; its dots differ from the face.
  int dots = 0;
  for (int x = 4; x < 36; ++x) dots += focused.At(x, 4) != Sys(COLOR_BTNFACE);
  EXPECT_GT(dots, 10);
  for (int x = 4; x < 36; ++x) EXPECT_EQ(def.At(x, 4), Sys(COLOR_BTNFACE)) << "no focus dots at x=" << x;
}

// ---------------------------------------------------------------------------------------
// Captions

struct AccelCase {
  const char* caption;
  const char* stripped;
  char accel;
};

class AccelTest : public ::testing::TestWithParam<AccelCase> {};

TEST_P(AccelTest, StripAndKey) {
  EXPECT_EQ(StripAccelChars(GetParam().caption), GetParam().stripped);
  EXPECT_EQ(AccelCharOf(GetParam().caption), GetParam().accel);
}

INSTANTIATE_TEST_SUITE_P(Captions, AccelTest,
                         ::testing::Values(AccelCase{"&OK", "OK", 'O'}, AccelCase{"A&bout Brimlow...", "About Brimlow...", 'B'},
                                           AccelCase{"Fish && Chips", "Fish & Chips", 0},
                                           AccelCase{"&&&x", "&x", 'X'}, AccelCase{"end&", "end", 0},
                                           AccelCase{"", "", 0}, AccelCase{"%s On the Web...", "%s On the Web...", 0}));

// ---------------------------------------------------------------------------------------
// Every look on one sheet

TEST(Painters, GoldenSheet) {
  Surface s(320, 240);
  TCanvas& c = s.c();
  // Row 1: buttons in four states.
  DrawPushButton(c, RECT{8, 8, 83, 33}, "&Normal", {});
  DrawPushButton(c, RECT{88, 8, 163, 33}, "&Default", {bdfDefault});
  DrawPushButton(c, RECT{168, 8, 243, 33}, "&Focused", {bdfFocused, bdfDefault});
  DrawPushButton(c, RECT{248, 8, 312, 33}, "&Off", {bdfDisabled});
  // Row 2: panels, a bevel line, an etched frame.
  DrawPanelFace(c, RECT{8, 40, 88, 80}, bvRaised, bvNone, 1, 0, clBtnFace, "Raised", taCenter);
  DrawPanelFace(c, RECT{96, 40, 176, 80}, bvLowered, bvRaised, 1, 2, clWhite, "", taCenter);
  DrawBevelShape(c, RECT{184, 44, 312, 53}, bsTopLine, bsLowered);
  DrawBevelShape(c, RECT{184, 58, 312, 80}, bsFrame, bsLowered);
  // Row 3: group box and list box frame with classic items.
  DrawGroupBoxFrame(c, RECT{8, 88, 128, 140}, "&Group", clBtnFace, true);
  const RECT client = DrawListBoxFrame(c, RECT{136, 88, 236, 140}, clWindow);
  DrawListItemClassic(c, RECT{client.left, client.top, client.right, client.top + 13}, "First", false, false);
  DrawListItemClassic(c, RECT{client.left, client.top + 13, client.right, client.top + 26}, "Second", true, true);
  for (int k = 0; k < 4; ++k) DrawMessageIcon(c, 244 + (k % 2) * 36, 88 + (k / 2) * 36, TMessageIconKind(k));
  // Row 4: tabs and a menu.
  const std::vector<std::string> captions{"About", "&Update"};
  std::vector<RECT> tabs = LayoutTabs(c, captions, 150);
  DrawTabStrip(c, RECT{8, 150, 158, 232}, tabs, captions, 0, true);
  const RECT menu{170, 150, 300, 150 + 2 * kMenuFrame + 3 * 17 + 9};
  DrawMenuFrame(c, menu);
  int y = menu.top + kMenuFrame;
  DrawMenuItem(c, RECT{menu.left + 3, y, menu.right - 3, y + 17}, "Web &site...", {});
  y += 17;
  DrawMenuItem(c, RECT{menu.left + 3, y, menu.right - 3, y + 17}, "A&bout...", {midHighlighted});
  y += 17;
  DrawMenuItem(c, RECT{menu.left + 3, y, menu.right - 3, y + 9}, "-", {midSeparator});
  y += 9;
  DrawMenuItem(c, RECT{menu.left + 3, y, menu.right - 3, y + 17}, "&Disabled", {midDisabled});
  testsupport::ExpectMatchesGolden(testsupport::ImageFromBitmap(s.bmp.Handle()), "stdctrls_painters");
}

}  // namespace
