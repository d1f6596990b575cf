// The classic painters drawn offscreen: edge and line colours at named pixels, the button
// states, caption helpers, and one golden sheet with every look and its named pixels.
#include <gtest/gtest.h>

#include "support/golden.h"
#include "platform/theme/theme.h"
#include "ui/stdctrls/classiclook.h"
#include "ui/stdctrls/themedlook.h"

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
// Every look on one sheet, with named pixels from the sheet's rectangles and the classic
// look's numbers beside the golden

using testsupport::NamedPixel;
using testsupport::TextInk;
using testsupport::UiFont;
using testsupport::UiTextWidth;

constexpr COLORREF kFace = RGB(240, 240, 240), kShadow = RGB(160, 160, 160), kDark = RGB(105, 105, 105),
                   kLight = RGB(227, 227, 227), kHigh = RGB(255, 255, 255), kBlue = RGB(51, 153, 255),
                   kWhite = RGB(255, 255, 255), kBlack = 0, kDotOnFace = RGB(15, 15, 15), kNavy = RGB(0, 0, 128);

void Add(std::vector<NamedPixel>& to, const std::vector<NamedPixel>& more) { to.insert(to.end(), more.begin(), more.end()); }

// A caption drawn disabled: its first ink is the shadow copy's, its last the highlight copy's
// one pixel down and right.
std::vector<NamedPixel> DisabledInk(const testsupport::Image& img, int x, int y, const std::string& text) {
  return {TextInk(img, kFace, kShadow, UiFont::kRegular, x, y, text, "disabled, shadow copy").front(),
          TextInk(img, kFace, kHigh, UiFont::kRegular, x + 1, y + 1, text, "disabled, highlight copy").back()};
}

std::vector<NamedPixel> SheetPixels(const testsupport::Image& img) {
  const auto w = [](const char* t) { return UiTextWidth(UiFont::kRegular, t); };
  const int aboutW = w("About") + 12, updateW = w("Update") + 12;
  std::vector<NamedPixel> p = {
      {8, 8, kHigh, "normal button: bright outer edge"},
      {9, 9, kLight, "normal button: inner edge"},
      {82, 32, kDark, "normal button: dark outer bottom-right"},
      {81, 31, kShadow, "normal button: shadow inside it"},
      {83, 20, kFace, "right of the normal button"},
      {88, 8, kBlack, "default button: black frame"},
      {162, 32, kBlack, "default button: black frame's bottom-right"},
      {89, 9, kHigh, "default button: raised edge inside the frame"},
      {161, 31, kDark, "default button: dark edge inside the frame"},
      {168, 8, kBlack, "focused button: black frame"},
      {172, 12, kDotOnFace, "focused button: focus outline 4 pixels in"},
      {173, 12, kFace, "focused button: the outline is dotted"},
      {238, 28, kDotOnFace, "focused button: outline's bottom-right, 4 pixels in"},
      {248, 8, kHigh, "disabled button: no frame"},
      {8, 40, kHigh, "raised panel: bright top-left"},
      {87, 40, kShadow, "raised panel: top-right corner is the shadow's"},
      {87, 79, kShadow, "raised panel: shadow bottom-right"},
      {96, 40, kShadow, "lowered panel: outer bevel"},
      {175, 79, kHigh, "lowered panel: outer bevel's bottom-right"},
      {174, 60, kWhite, "lowered panel: 2-pixel border in the panel colour"},
      {172, 60, kShadow, "lowered panel: raised inner bevel inside the border"},
      {171, 60, kWhite, "lowered panel: face"},
      {184, 44, kShadow, "bevel line: shadow row"},
      {311, 44, kShadow, "bevel line: right end"},
      {312, 44, kFace, "bevel line: right end exclusive"},
      {184, 45, kHigh, "bevel line: highlight row"},
      {200, 46, kFace, "below the bevel line"},
      {184, 70, kShadow, "bevel frame: outer shadow outline"},
      {185, 70, kHigh, "bevel frame: highlight outline one pixel in"},
      {186, 70, kFace, "bevel frame: inside"},
      {310, 70, kShadow, "bevel frame: right shadow"},
      {311, 70, kHigh, "bevel frame: right highlight"},
      {250, 58, kShadow, "bevel frame: top shadow"},
      {250, 79, kHigh, "bevel frame: bottom highlight"},
      {8, 120, kShadow, "group: left shadow"},
      {9, 120, kHigh, "group: left highlight"},
      {127, 120, kHigh, "group: right highlight"},
      {60, 139, kHigh, "group: bottom highlight"},
      {100, 94, kShadow, "group: top line through the caption's middle (88 + 13 / 2)"},
      {15, 94, kShadow, "group: top line up to the caption's gap"},
      {16, 94, kFace, "group: caption gap from x = 8"},
      {136, 88, kShadow, "list: outer sunken edge"},
      {137, 89, kDark, "list: inner sunken edge"},
      {235, 139, kHigh, "list: outer edge's bottom-right"},
      {234, 138, kLight, "list: inner edge's bottom-right"},
      {200, 130, kWhite, "list: window colour"},
      {138, 103, kBlue, "selected item: highlight from row 103"},
      {139, 103, RGB(204, 102, 0), "selected item: focus outline dot on the highlight"},
      {200, 116, kWhite, "selected item: 13 rows"},
      {259, 89, RGB(128, 0, 0), "error icon: dark rim at the top"},
      {259, 90, RGB(224, 0, 0), "error icon: red disc inside the rim"},
      {254, 98, kWhite, "error icon: the cross from (10, 10)"},
      {244, 88, kFace, "error icon: corner outside the disc"},
      {295, 89, kBlack, "warning icon: apex"},
      {294, 89, kFace, "warning icon: left of the apex"},
      {285, 108, kBlack, "warning icon: outline, row 20"},
      {286, 108, RGB(255, 255, 0), "warning icon: yellow inside"},
      {306, 108, kBlack, "warning icon: right outline, row 20"},
      {307, 108, kFace, "warning icon: right of the outline"},
      {245, 139, kNavy, "information icon: rim"},
      {246, 139, kWhite, "information icon: white disc"},
      {281, 139, kNavy, "question icon: rim"},
      {8, 200, kHigh, "page: bright left edge"},
      {157, 200, kDark, "page: dark right edge"},
      {100, 231, kDark, "page: dark bottom edge"},
      {20 + aboutW + updateW, 170, kHigh, "page: top edge at the tab row's bottom (150 + 20)"},
      {8, 160, kHigh, "selected tab: two pixels wider, from x = 8"},
      {20, 150, kHigh, "selected tab: two pixels taller, from y = 150"},
      {20, 149, kFace, "above the selected tab"},
      {11 + aboutW, 160, kDark, "selected tab: dark right side"},
      {13, 153, kDotOnFace, "selected tab: focus outline 3 pixels left of the caption"},
      {12, 153, kFace, "selected tab: nothing left of the outline"},
      {18 + aboutW, 152, kHigh, "second tab: top line at 152"},
      {9 + aboutW + updateW, 160, kDark, "second tab: dark right side"},
      {10 + aboutW + updateW, 160, kFace, "right of the second tab"},
      {170, 150, kHigh, "menu: bright outer edge"},
      {171, 151, kLight, "menu: inner raised edge"},
      {172, 152, kFace, "menu: one pixel of menu colour"},
      {299, 215, kDark, "menu: dark outer bottom-right"},
      {298, 214, kShadow, "menu: shadow inside it"},
      {173, 169, kFace, "menu: first item's last row"},
      {173, 170, kBlue, "menu: highlighted item from 170"},
      {296, 186, kBlue, "menu: highlighted item's last pixel"},
      {173, 190, kFace, "separator: the line starts one pixel in"},
      {174, 190, kShadow, "separator: shadow row at 187 + 9 / 2 - 1"},
      {174, 191, kHigh, "separator: highlight row"},
      {295, 190, kShadow, "separator: line to one pixel before the item's end"},
      {296, 190, kFace, "separator: right end"},
  };
  Add(p, TextInk(img, kFace, kBlack, UiFont::kRegular, 8 + (75 - w("&Normal")) / 2, 8 + 6, "&Normal", "centred on the button"));
  Add(p, TextInk(img, kFace, kBlack, UiFont::kRegular, 88 + (75 - w("&Default")) / 2, 8 + 6, "&Default", "centred on the button"));
  Add(p, TextInk(img, kFace, kBlack, UiFont::kRegular, 168 + (75 - w("&Focused")) / 2, 8 + 6, "&Focused", "centred on the button"));
  Add(p, DisabledInk(img, 248 + (64 - w("&Off")) / 2, 8 + 6, "&Off"));
  Add(p, TextInk(img, kFace, kBlack, UiFont::kRegular, 9 + (78 - w("Raised")) / 2, 41 + (38 - 13) / 2, "Raised", "centred in the bevel"));
  Add(p, TextInk(img, kFace, kBlack, UiFont::kRegular, 17, 88, "&Group", "group caption at x = 8 + 1"));
  Add(p, TextInk(img, kWhite, kBlack, UiFont::kRegular, 140, 90, "First", "list item, 2 pixels in"));
  Add(p, TextInk(img, kBlue, kWhite, UiFont::kRegular, 140, 103, "Second", "selected list item"));
  Add(p, TextInk(img, kFace, kBlack, UiFont::kRegular, 16, 153, "About", "centred on the selected tab"));
  Add(p, TextInk(img, kFace, kBlack, UiFont::kRegular, 16 + aboutW, 155, "&Update", "centred on its tab"));
  Add(p, TextInk(img, kFace, kBlack, UiFont::kRegular, 173 + 17, 153 + 2, "Web &site...", "menu item, 17 pixels in"));
  Add(p, TextInk(img, kBlue, kWhite, UiFont::kRegular, 173 + 17, 170 + 2, "A&bout...", "highlighted menu item"));
  Add(p, DisabledInk(img, 173 + 17, 196 + 2, "&Disabled"));
  // Row 5: a list item's focus on white and on the selection grey, classic then themed.
  const COLORREF ring = RGB(0, 103, 192);
  Add(p, {{8, 240, kBlack, "classic focus on white: the corner dot inverted to black"},
          {56, 240, RGB(127, 127, 127), "classic focus on grey: inverted to #7F7F7F, as the platform does"},
          {104, 240, ring, "themed focus on white: the focused list border's colour"},
          {153, 250, ring, "themed focus on grey: two pixels of the border colour"},
          {154, 250, kWhite, "themed focus on grey: then white"}});
  return p;
}

TEST(Painters, GoldenSheet) {
  Surface s(320, 268);
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
  // Row 5: focus on list items, white and grey, in both looks.
  const DWORD look = GetThemeAppProperties();
  for (int k = 0; k < 4; ++k) {
    const RECT item{8 + 48 * k, 240, 48 + 48 * k, 260};
    FillColor(c, item, k % 2 ? TColor(0x808080) : clWhite);
    SetThemeAppProperties(k < 2 ? STAP_ALLOW_NONCLIENT : STAP_ALLOW_NONCLIENT | STAP_ALLOW_CONTROLS);
    if (!DrawThemedItemFocus(c, item)) c.DrawFocusRect(item);
  }
  SetThemeAppProperties(look);
  const testsupport::Image img = testsupport::ImageFromBitmap(s.bmp.Handle());
  EXPECT_TRUE(testsupport::HasNamedPixels(img, SheetPixels(img)));
  testsupport::ExpectMatchesGolden(img, "stdctrls_painters");
}

}  // namespace
