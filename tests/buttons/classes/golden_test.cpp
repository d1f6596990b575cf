// The painted button in the classic and hot-tracking looks, one picture per state side by
// side (normal, focused, pressed, default, disabled, down in a group), compared pixel for
// pixel, with named pixels from each look's frame colours beside the golden.
#include <functional>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

#include "button_fixture.h"
#include "buttons/drawcommon.h"
#include "platform/theme/theme.h"
#include "support/golden.h"

namespace {

constexpr int kW = 75, kH = 25;

COLORREF Rgb(TColor c) { return COLORREF(ColorToRGB(c)); }

enum class Look { kClassic, kHotTrack, kThemed };

// Gives the focus to a list beside the button, so no button has it.
void FocusAList(TControl* b) {
  auto* list = new TListBox(b->Owner());
  list->SetParent(b->Parent());
  list->SetBounds(200, 200, 50, 50);
  list->SetFocus();
}

class LooksGolden : public ButtonForm {
 protected:
  void SetUp() override {
    ButtonForm::SetUp();
    // Whatever the environment says: the classic pictures ask for it per button, the
    // themed ones need the service on.
    SetThemeAppProperties(STAP_ALLOW_NONCLIENT | STAP_ALLOW_CONTROLS);
  }
  // Brings one fresh button (w x h) into a state, captures it into cell `index` of the strip.
  template <class B = TPaintedButton>
  void Capture(testsupport::Image& strip, int index, Look lookKind,
               const std::type_identity_t<std::function<void(B*, TPaintedButton*)>>& state, int w = kW,
               int h = kH, const std::type_identity_t<std::function<void(B*)>>& setup = nullptr) {
    CaptureAt<B>(strip, index * w, 0, lookKind, state, w, h, setup);
  }
  // The same into the strip's area whose top-left corner is (x0, y0).
  template <class B = TPaintedButton>
  void CaptureAt(testsupport::Image& strip, int x0, int y0, Look lookKind,
                 const std::type_identity_t<std::function<void(B*, TPaintedButton*)>>& state, int w, int h,
                 const std::type_identity_t<std::function<void(B*)>>& setup) {
    auto* b = Add<B>(20, 20, w, h, "Button");
    auto* other = Add<TPaintedButton>(20, 100, kW, kH, "Other");
    if (setup) setup(b);
    b->SetThemeAware(lookKind == Look::kThemed);
    b->SetHotTrack(lookKind == Look::kHotTrack);
    other->SetFocus();
    Pump();
    state(b, other);
    b->Repaint();
    Pump();
    testsupport::Paste(strip, x0, y0, testsupport::FrameImage(headless::BackBuffer(form->Handle()), 20, 20, w, h));
    headless::ReleaseButton(1);
    headless::MovePointerTo(form->Handle(), 300, 250);
    Pump();
    delete b;
    delete other;
    Pump();
  }
  // normal, focused, pressed, default, disabled, down in a group, hover.
  void CaptureAll(testsupport::Image& strip, Look lookKind) {
    int i = 0;
    Capture(strip, i++, lookKind, [](TPaintedButton*, TPaintedButton*) {});
    Capture(strip, i++, lookKind, [](TPaintedButton* b, TPaintedButton*) { b->SetFocus(); });
    Capture(strip, i++, lookKind, [](TPaintedButton* b, TPaintedButton*) {
      headless::MovePointerTo(b->Handle(), 10, 10);
      headless::PressButton(1);
    });
    Capture(strip, i++, lookKind, [](TPaintedButton* b, TPaintedButton* other) {
      b->SetDefault(true);
      other->SetDefault(false);
      FocusAList(b);
    });
    Capture(strip, i++, lookKind, [](TPaintedButton* b, TPaintedButton*) { b->SetEnabled(false); });
    Capture(strip, i++, lookKind, [](TPaintedButton* b, TPaintedButton*) {
      b->SetGroupIndex(1);
      b->SetDown(true);
    });
    Capture(strip, i++, lookKind,
            [](TPaintedButton* b, TPaintedButton*) { headless::MovePointerTo(b->Handle(), 30, 12); });
  }
};

TEST_F(LooksGolden, Classic) {
  ShowForm();
  testsupport::Image strip(7 * kW, kH);
  CaptureAll(strip, Look::kClassic);
  const COLORREF black = 0;
  EXPECT_TRUE(testsupport::HasNamedPixels(
      strip, {{0, 0, Rgb(clBtnHighlight), "normal: outer ring, upper left"},
              {74, 0, Rgb(cl3DDkShadow), "normal: top-right corner takes the lower-right colour"},
              {1, 1, Rgb(cl3DLight), "normal: inner ring, upper left"},
              {73, 23, Rgb(clBtnShadow), "normal: inner ring, lower right"},
              {2, 2, Rgb(clBtnFace), "normal: face"},
              {kW + 0, 0, Rgb(clWindowFrame), "focused: default outline"},
              {kW + 1, 1, Rgb(clBtnHighlight), "focused: raised frame inside the outline"},
              {kW + 4, 5, black, "focused: dotted frame on the client moved in by 4"},
              {kW + 4, 4, Rgb(clBtnFace), "focused: dotted frame skips its corner"},
              {2 * kW + 0, 0, Rgb(clBtnText), "pressed: dark outer ring, no outline"},
              {2 * kW + 1, 1, Rgb(clBtnShadow), "pressed: shadow inner ring"},
              {3 * kW + 0, 0, Rgb(clWindowFrame), "default: outline without the focus"},
              {3 * kW + 4, 5, Rgb(clBtnFace), "default: no dotted frame"},
              {5 * kW + 0, 0, Rgb(clBtnShadow), "down: sunken outer ring"},
              {5 * kW + 1, 1, Rgb(cl3DDkShadow), "down: sunken inner ring"},
              {5 * kW + 3, 3, Rgb(clSilver), "down: checkered pattern, even pixel"},
              {5 * kW + 4, 3, Rgb(clBtnFace), "down: checkered pattern, odd pixel"}}));
  testsupport::ExpectMatchesGolden(strip, "paintedbutton_classic");
}

TEST_F(LooksGolden, HotTrack) {
  ShowForm();
  testsupport::Image strip(7 * kW, kH);
  CaptureAll(strip, Look::kHotTrack);
  const COLORREF parent = Rgb(clBtnFace);
  const COLORREF dark = Rgb(ShadeDarker(clBtnFace, 20)), light = Rgb(ShadeLighter(clBtnFace, 20));
  const int hover = 6 * kW;
  EXPECT_TRUE(testsupport::HasNamedPixels(
      strip, {{0, 0, parent, "normal: outermost corner left to the parent"},
              {0, 2, dark, "normal: outer ring, left"},
              {74, 2, light, "normal: outer ring, right"},
              {1, 1, dark, "normal: rounding pixel"},
              {1, 2, Rgb(cl3DDkShadow), "normal: inner ring in FrameColor"},
              {10, 22, Rgb(ShadeDarker(clBtnFace, 30)), "normal: face, bottom line"},
              {10, 21, Rgb(ShadeDarker(clBtnFace, 20)), "normal: face, second line from the bottom"},
              {10, 20, Rgb(ShadeDarker(clBtnFace, 10)), "normal: gradient's bottom row"},
              {2 * kW + 10, 10, Rgb(ShadeDarker(clBtnFace, 10)), "pressed: flat darker face"},
              {4 * kW + 0, 2, parent, "disabled: outer ring in the parent's colour"},
              {4 * kW + 1, 2, Rgb(ShadeLighter(clBtnShadow, 30)), "disabled: inner ring"},
              {hover + 2, 22, Rgb(0x149BF0), "hover: ring's bottom row in HotTrackColor"}}));
  testsupport::ExpectMatchesGolden(strip, "paintedbutton_hottrack");
}


// The border, ring and face colours of the themed push button, per state.
constexpr COLORREF kThemedBorder[] = {RGB(173, 173, 173), RGB(72, 140, 214), RGB(34, 94, 160), RGB(204, 204, 204),
                                      RGB(0, 103, 192)};
constexpr COLORREF kThemedFaceTop[] = {RGB(253, 253, 253), RGB(241, 248, 255), RGB(190, 217, 245),
                                       RGB(245, 245, 245), RGB(253, 253, 253)};
constexpr COLORREF kDefaultRing = RGB(153, 200, 242);

TEST_F(LooksGolden, Themed) {
  ShowForm();
  testsupport::Image strip(7 * kW, kH);
  CaptureAll(strip, Look::kThemed);
  auto border = [](int state) { return kThemedBorder[state - PBS_NORMAL]; };
  const COLORREF parent = Rgb(clBtnFace), black = 0;
  EXPECT_TRUE(testsupport::HasNamedPixels(
      strip, {{0, 0, parent, "normal: the rounded corner shows the parent"},
              {kW - 1, kH - 1, parent, "normal: lower-right corner shows the parent"},
              {10, 0, border(PBS_NORMAL), "normal: border"},
              {10, 1, kThemedFaceTop[0], "normal: face's top row"},
              {kW + 10, 0, border(PBS_DEFAULTED), "focused: drawn as the default element"},
              {kW + 10, 1, kDefaultRing, "focused: default ring"},
              {kW + 3, 4, black, "focused: dotted frame on the client moved in by 3"},
              {2 * kW + 10, 0, border(PBS_PRESSED), "pressed: border"},
              {2 * kW + 10, 1, kThemedFaceTop[2], "pressed: darker face at the top"},
              {3 * kW + 10, 1, kDefaultRing, "default without the focus: default ring"},
              {4 * kW + 10, 0, border(PBS_DISABLED), "disabled: border"},
              {4 * kW + 10, 1, kThemedFaceTop[3], "disabled: flat face"},
              {6 * kW + 10, 0, border(PBS_HOT), "hover: border"},
              {6 * kW + 10, 1, kThemedFaceTop[1], "hover: face's top row"}}));
  testsupport::ExpectMatchesGolden(strip, "paintedbutton_themed");
}

// The stock OK button (81 x 42, 16 x 16 glyph) in the themed look: normal, hover,
// pressed, default, focused, disabled. Pressed moves the glyph one pixel right and
// leaves the caption where it was.
TEST_F(LooksGolden, ImageButtonThemed) {
  ShowForm();
  constexpr int w = 81, h = 42;
  testsupport::Image strip(6 * w, h);
  auto ok = [](TImageButton* b) { b->SetKind(bkOK); };
  using Fn = std::function<void(TImageButton*, TPaintedButton*)>;
  const Fn states[] = {
      [](TImageButton*, TPaintedButton*) {},
      [](TImageButton* b, TPaintedButton*) { headless::MovePointerTo(b->Handle(), 60, 30); },
      [](TImageButton* b, TPaintedButton*) {
        headless::MovePointerTo(b->Handle(), 60, 30);
        headless::PressButton(1);
      },
      [](TImageButton* b, TPaintedButton*) {
        FocusAList(b);
      },
      [](TImageButton* b, TPaintedButton*) { b->SetFocus(); },
      [](TImageButton* b, TPaintedButton*) { b->SetEnabled(false); }};
  for (int i = 0; i < 6; ++i) Capture<TImageButton>(strip, i, Look::kThemed, states[i], w, h, ok);
  // Glyph at rest: (5 + 2, 5 + (32 - 16 + 1) / 2) = (7, 13); pressed: (8, 13).
  TBitmap* glyph = StockGlyph(bkOK);
  const COLORREF key = COLORREF(ColorToRGB(glyph->Canvas()->Pixels(0, 15)));
  std::vector<testsupport::NamedPixel> px;
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) {
      const COLORREF c = COLORREF(ColorToRGB(glyph->Canvas()->Pixels(x, y)));
      if (c == key) continue;
      px.push_back({7 + x, 13 + y, c, "normal: OK glyph at (7, 13)"});
      px.push_back({2 * w + 8 + x, 13 + y, c, "pressed: OK glyph moved to (8, 13)"});
    }
  px.push_back({0, 0, Rgb(clBtnFace), "normal: corner shows the parent"});
  px.push_back({40, 0, kThemedBorder[0], "normal: border (another button has the focus)"});
  px.push_back({w + 40, 0, kThemedBorder[1], "hover: border"});
  px.push_back({2 * w + 40, 0, kThemedBorder[2], "pressed: border"});
  px.push_back({3 * w + 40, 1, kDefaultRing, "default (Kind OK) with a list focused: ring"});
  px.push_back({4 * w + 40, 1, kDefaultRing, "focused: ring"});
  px.push_back({5 * w + 40, 0, kThemedBorder[3], "disabled: border"});
  EXPECT_TRUE(testsupport::HasNamedPixels(strip, px));
  testsupport::ExpectMatchesGolden(strip, "imagebutton_stock_themed");
}
}  // namespace

namespace {

// Stock kinds draw their bitmap glyph through its transparent colour (the strip's
// bottom-left pixel): where the glyph is transparent the face shows; disabled buttons use
// the strip's second cell.
TEST_F(LooksGolden, ImageButtonStockKinds) {
  testsupport::Image strip(4 * 81, 42);
  int i = 0;
  for (TBitBtnKind kind : {bkOK, bkCancel, bkHelp, bkAll}) {
    auto* b = Add<TImageButton>(20 + 90 * i, 20, 81, 42, "");
    b->SetThemeAware(false);
    b->SetKind(kind);
    b->SetEnabled(kind != bkAll);
    ++i;
  }
  auto* list = Add<TListBox>(20, 200, 50, 50);
  ShowForm();
  list->SetFocus();
  Pump();
  const headless::Frame f = headless::BackBuffer(form->Handle());
  for (int k = 0; k < 4; ++k) testsupport::Paste(strip, k * 81, 0, testsupport::FrameImage(f, 20 + 90 * k, 20, 81, 42));
  // 81 x 42, 16 x 16 glyph, margin 2: glyph at (5 + 2, 5 + (32 - 16 + 1) / 2) = (7, 13).
  TBitmap* ok = StockGlyph(bkOK);
  const COLORREF key = COLORREF(ColorToRGB(ok->Canvas()->Pixels(0, 15)));
  std::vector<testsupport::NamedPixel> px;
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) {
      const COLORREF c = COLORREF(ColorToRGB(ok->Canvas()->Pixels(x, y)));
      px.push_back({7 + x, 13 + y, c == key ? COLORREF(ColorToRGB(clBtnFace)) : c, "OK glyph cell, key colour shows the face"});
    }
  EXPECT_TRUE(testsupport::HasNamedPixels(strip, px));
  testsupport::ExpectMatchesGolden(strip, "imagebutton_stock_classic");
}

}  // namespace

namespace {

// One sheet per look of the image button with a 32 x 32 list glyph. Top row, 81 x 42 as the
// main window's OK button with "&OK": normal, hot, pressed, focused, default, disabled, down
// in a group, and the stock OK kind. Bottom row, 81 x 60 with "OK": glyph left, right, top,
// bottom at Margin 2, then the same four at Margin -1.
constexpr int kCellW = 81, kTopH = 42, kLayoutH = 60;

enum Cell { kNormal, kHot, kPressed, kFocused, kDefault, kDisabled, kDown, kStock };

struct SheetCase {
  const char* name;
  Look look;
  POINT pressedGlyph;                // where the pressed glyph sits (the glyph at rest: (7, 5))
  bool captionFollowsPress;          // the caption rectangle (and a down glyph) moves by (1, 1) when drawn pressed
  std::vector<std::pair<Cell, std::pair<POINT, COLORREF>>> frame;  // a pixel that names the state
};

// Glyph and caption rectangles of the bottom row: 81 x 60, 32 x 32 glyph, "OK" 13 high,
// spacing 4; Margin -1 puts free = (60 - 32 - 13 - 4) / 2 = 5 above the pair.
struct LayoutCell {
  TButtonLayout layout;
  int margin;
  POINT glyph;
  RECT caption;
};
constexpr LayoutCell kLayouts[] = {
    {blGlyphLeft, 2, {5 + 2, 5 + 9}, {5 + 2 + 32 + 4, 5, 76, 55}},
    {blGlyphRight, 2, {76 - 2 - 32, 14}, {5, 5, 76 - 38, 55}},
    {blGlyphTop, 2, {5 + 20, 5 + 2}, {5, 5 + 38, 76, 55}},
    {blGlyphBottom, 2, {25, 55 - 2 - 32}, {5, 5, 76, 55 - 38}},
    {blGlyphLeft, -1, {5, 14}, {5 - 1 + 32 + 4, 5, 76, 55}},
    {blGlyphRight, -1, {76 - 32, 14}, {5, 5, 76 + 1 - 36, 55}},
    {blGlyphTop, -1, {25, 5}, {5, 5 + 5 + 32, 76, 5 + 5 + 32 + 13}},
    {blGlyphBottom, -1, {25, 5 + 13 + 5}, {5, 5 + 5, 76, 5 + 5 + 13}},
};

void PrintTo(const SheetCase& c, std::ostream* os) { *os << c.name; }

class ImageButtonSheet : public LooksGolden, public ::testing::WithParamInterface<SheetCase> {
 protected:
  void SetUp() override {
    LooksGolden::SetUp();
    images = new SolidImageList(form);
  }
  // The glyph's corners in the list's green, its disabled band in grey, and the pixels just
  // outside two corners not green.
  void ExpectGlyph(const testsupport::Image& sheet, int x, int y, bool disabled, const std::string& why,
                   std::vector<testsupport::NamedPixel>& px) {
    const COLORREF green = COLORREF(SolidImageList::kColors[1]);
    px.push_back({x, y, green, why + ": glyph's top-left"});
    // Not the bottom row: a focused button's dotted frame crosses a pressed glyph there.
    px.push_back({x + 31, y + 30, green, why + ": glyph's right edge"});
    if (disabled) px.push_back({x + 10, y + 15, COLORREF(ColorToRGB(clGray)), why + ": list's disabled look"});
    EXPECT_NE(sheet.Color(x - 1, y), green) << why << ": glyph starts at x " << x;
    EXPECT_NE(sheet.Color(x + 32, y + 31), green) << why << ": glyph ends before x " << x + 32;
    EXPECT_NE(sheet.Color(x, y - 1), green) << why << ": glyph starts at y " << y;
    EXPECT_NE(sheet.Color(x + 31, y + 32), green) << why << ": glyph ends before y " << y + 32;
  }
  void Caption(const testsupport::Image& sheet, int x0, int y0, const RECT& r, const char* text, COLORREF ink,
               const std::string& why, std::vector<testsupport::NamedPixel>& px) {
    const int w = testsupport::UiTextWidth(testsupport::UiFont::kRegular, text);
    const int left = x0 + r.left + (r.right - r.left - w) / 2, top = y0 + (r.top + r.bottom - 13) / 2;
    testsupport::Append(px, testsupport::TextInk(sheet, ink ^ 0xFFFFFF, ink, testsupport::UiFont::kRegular, left, top, text, why));
  }
  SolidImageList* images = nullptr;
};

TEST_P(ImageButtonSheet, EveryStateAndLayout) {
  const SheetCase& c = GetParam();
  ShowForm();
  testsupport::Image sheet(8 * kCellW, kTopH + kLayoutH);
  auto ok = [this](TImageButton* b) {
    b->SetCaption("&OK");
    b->SetImages(images);
    b->SetImageIndex(1);
  };
  using Fn = std::function<void(TImageButton*, TPaintedButton*)>;
  auto press = [](TImageButton* b, TPaintedButton*) {
    headless::MovePointerTo(b->Handle(), 60, 30);
    headless::PressButton(1);
  };
  const Fn states[] = {
      [](TImageButton*, TPaintedButton*) {},
      [](TImageButton* b, TPaintedButton*) { headless::MovePointerTo(b->Handle(), 60, 30); },
      press,
      [](TImageButton* b, TPaintedButton*) { b->SetFocus(); },
      [](TImageButton* b, TPaintedButton*) {
        b->SetDefault(true);
        FocusAList(b);
      },
      [](TImageButton* b, TPaintedButton*) { b->SetEnabled(false); },
      [](TImageButton* b, TPaintedButton*) {
        b->SetGroupIndex(1);
        b->SetDown(true);
      }};
  for (int i = kNormal; i <= kDown; ++i) CaptureAt<TImageButton>(sheet, i * kCellW, 0, c.look, states[i], kCellW, kTopH, ok);
  CaptureAt<TImageButton>(sheet, kStock * kCellW, 0, c.look, states[kNormal], kCellW, kTopH,
                          [](TImageButton* b) { b->SetKind(bkOK); });
  int i = 0;
  for (const LayoutCell& l : kLayouts)
    CaptureAt<TImageButton>(sheet, kCellW * i++, kTopH, c.look, states[kNormal], kCellW, kLayoutH,
                            [&](TImageButton* b) {
                              ok(b);
                              b->SetCaption("OK");
                              b->SetLayout(l.layout);
                              b->SetMargin(l.margin);
                            });

  std::vector<testsupport::NamedPixel> px;
  const COLORREF text = Rgb(clBtnText);
  for (int s = kNormal; s <= kDown; ++s) {
    const std::string why = std::string(c.name) + " cell " + std::to_string(s);
    // The glyph starts from the caption rectangle, so a down button's glyph goes with it.
    const bool down = c.captionFollowsPress && s == kDown;
    const POINT g = s == kPressed ? c.pressedGlyph : POINT{7 + down, 5 + down};
    ExpectGlyph(sheet, s * kCellW + g.x, g.y, s == kDisabled, why, px);
    RECT r{43, 5, 76, 37};
    if (c.captionFollowsPress && (s == kPressed || s == kDown)) OffsetRect(&r, 1, 1);
    Caption(sheet, s * kCellW, 0, r, "&OK", s == kDisabled ? Rgb(clGrayText) : text, why + ": caption", px);
  }
  // Stock kind: the 16 x 16 glyph centred on the caption rectangle's height, (7, 13).
  TBitmap* stock = StockGlyph(bkOK);
  const TColor key = stock->Canvas()->Pixels(0, 15);
  for (int y = 0, found = 0; y < 16 && !found; ++y)
    for (int x = 0; x < 16 && !found; ++x)
      if (TColor p = stock->Canvas()->Pixels(x, y); p != key) {
        px.push_back({kStock * kCellW + 7 + x, 13 + y, COLORREF(ColorToRGB(p)), "stock OK glyph at (7, 13)"});
        found = 1;
      }
  Caption(sheet, kStock * kCellW, 0, RECT{5 + 2 + 16 + 4, 5, 76, 37}, "OK", text, "stock caption", px);
  i = 0;
  for (const LayoutCell& l : kLayouts) {
    const std::string why = std::string(c.name) + " layout " + std::to_string(l.layout) + " margin " +
                            std::to_string(l.margin);
    ExpectGlyph(sheet, i * kCellW + l.glyph.x, kTopH + l.glyph.y, false, why, px);
    Caption(sheet, i * kCellW, kTopH, l.caption, "OK", text, why + ": caption", px);
    ++i;
  }
  for (const auto& [cell, at] : c.frame)
    px.push_back({cell * kCellW + at.first.x, at.first.y, at.second, std::string(c.name) + " state pixel"});
  EXPECT_TRUE(testsupport::HasNamedPixels(sheet, px));
  testsupport::ExpectMatchesGolden(sheet, std::string("imagebutton_") + c.name);
}

const COLORREF kFaceColor = COLORREF(ColorToRGB(clBtnFace));

INSTANTIATE_TEST_SUITE_P(
    Looks, ImageButtonSheet,
    ::testing::Values(
        // Classic: pressed or down, glyph and caption move by (1, 1).
        SheetCase{"classic",
                  Look::kClassic,
                  {7 + 1, 5 + 1},
                  true,
                  {{kNormal, {{0, 0}, COLORREF(ColorToRGB(clBtnHighlight))}},
                   {kHot, {{0, 0}, COLORREF(ColorToRGB(clBtnHighlight))}},
                   {kPressed, {{0, 0}, COLORREF(ColorToRGB(clBtnText))}},
                   {kFocused, {{0, 0}, COLORREF(ColorToRGB(clWindowFrame))}},
                   {kDefault, {{0, 0}, COLORREF(ColorToRGB(clWindowFrame))}},
                   {kDown, {{0, 0}, COLORREF(ColorToRGB(clBtnShadow))}},
                   {kDown, {{3, 3}, COLORREF(ColorToRGB(clSilver))}},
                   {kDisabled, {{2, 2}, kFaceColor}}}},
        // Hot-tracking: nothing moves when pressed; the face darkens instead.
        SheetCase{"hottrack",
                  Look::kHotTrack,
                  {7, 5},
                  false,
                  {{kNormal, {{0, 0}, kFaceColor}},
                   {kNormal, {{0, 2}, COLORREF(ColorToRGB(ShadeDarker(clBtnFace, 20)))}},
                   {kHot, {{2, kTopH - 3}, COLORREF(0x149BF0)}},
                   {kPressed, {{60, 4}, COLORREF(ColorToRGB(ShadeDarker(clBtnFace, 10)))}},
                   {kDisabled, {{0, 2}, kFaceColor}}}},
        // Visual styles: the pressed glyph moves one pixel right, the caption stays; the down
        // pattern fills the element's content, inside its frame and rounded corners.
        SheetCase{"themed",
                  Look::kThemed,
                  {7 + 1, 5},
                  false,
                  {{kNormal, {{0, 0}, kFaceColor}},
                   {kNormal, {{40, 0}, kThemedBorder[0]}},
                   {kHot, {{40, 0}, kThemedBorder[1]}},
                   {kPressed, {{40, 0}, kThemedBorder[2]}},
                   {kFocused, {{40, 1}, kDefaultRing}},
                   {kDefault, {{40, 1}, kDefaultRing}},
                   {kDisabled, {{40, 0}, kThemedBorder[3]}},
                   {kDown, {{0, 0}, kFaceColor}},
                   {kDown, {{40, 0}, kThemedBorder[2]}},
                   {kDown, {{3, 3}, COLORREF(ColorToRGB(clSilver))}}}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace

namespace {

// One button (75 x 41, caption "Go", no glyph unless a row gives it one) brought into a
// state, and the pixels that state must show, each derived from the design's numbers:
// where the caption and its copies go, the frame and face shades of a custom colour, the
// hover ring, the down pattern, the focus frame, the glyph cell.
constexpr int kPH = 41;
constexpr COLORREF kLite = RGB(0, 200, 0), kDeep = RGB(0, 0, 200);
constexpr TColor kTint = 0x3080C0;
using testsupport::NamedPixel;
using Pixels = std::vector<NamedPixel>;
COLORREF C(TColor c) { return COLORREF(ColorToRGB(c)); }

// While a click the button started runs, the classic look wears the outline, also on a
// button that has neither the focus nor the default role.
class ClickingButton : public TPaintedButton {
 public:
  using TPaintedButton::PerformClick;
  using TPaintedButton::TPaintedButton;
};

TEST_F(LooksGolden, ClassicOutlineWhileItsClickRuns) {
  ShowForm();
  auto* b = Add<ClickingButton>(20, 20, kW, kH, "Go");
  b->SetThemeAware(false);
  FocusAList(b);
  Pump();
  COLORREF corner = 0;
  b->OnClick = [&](TObject*) {
    b->Repaint();
    corner = testsupport::FrameImage(headless::BackBuffer(form->Handle()), 20, 20, 1, 1).Color(0, 0);
  };
  b->PerformClick();
  EXPECT_EQ(corner, C(clWindowFrame));
  EXPECT_FALSE(b->InClick());
}

// Where the caption "Go" goes in the caption rectangle (5, 5, 70, 36): centred, or right-
// aligned and kept clear of the border by TextShadowDepth 2; none for rows about the face.
enum class At { kNone, kCentre, kRight };
// A copy of the caption (dx, dy) from it in `ink`, checked at its first or last ink pixel
// (on the button face); `want` replaces the colour expected there for a copy that must not
// be drawn.
struct Copy {
  int dx, dy;
  COLORREF ink;
  bool last;
  std::optional<COLORREF> want = {};
};

struct PixelCase {
  const char* name;
  Look look;
  std::function<void(TImageButton*)> setup;
  std::function<void(TImageButton*, TPaintedButton*)> state;
  At at;
  int top = 0;  // of the caption's cell
  std::vector<Copy> copies = {};
  Pixels pixels = {};
  COLORREF ink = 0;
};
void PrintTo(const PixelCase& c, std::ostream* os) { *os << c.name; }

class StatePixels : public LooksGolden, public ::testing::WithParamInterface<PixelCase> {};

TEST_P(StatePixels, ShowWhatTheDesignSays) {
  const PixelCase& c = GetParam();
  const bool fullColor = FullColorDisplay();
  ShowForm();
  testsupport::Image img(kW, kPH);
  Capture<TImageButton>(img, 0, c.look, c.state ? c.state : [](TImageButton*, TPaintedButton*) {}, kW, kPH,
                        [&](TImageButton* b) {
                          b->SetCaption("Go");
                          b->SetTextHighlightColor(TColor(kLite));
                          b->SetTextShadowColor(TColor(kDeep));
                          c.setup(b);
                        });
  SetFullColorDisplay(fullColor);
  Pixels px = c.pixels;
  const int w = testsupport::UiTextWidth(testsupport::UiFont::kRegular, "Go");
  const int x = c.at == At::kRight ? 70 - 2 - w : 5 + (65 - w) / 2;
  auto ink = [&](int dx, int dy, COLORREF color, bool last, const std::string& why) {
    const Pixels ends = testsupport::TextInk(img, color ^ 0xFFFFFF, color, testsupport::UiFont::kRegular, x + dx,
                                             c.top + dy, "Go", why);
    return last ? ends.back() : ends.front();
  };
  if (c.at != At::kNone) {
    px.push_back(ink(0, 0, c.ink, false, "caption"));
    px.push_back(ink(0, 0, c.ink, true, "caption"));
  }
  // A copy's end pixel, and the face just past it along the row and the column (no other
  // copy reaches them).
  for (const Copy& k : c.copies) {
    NamedPixel p = ink(k.dx, k.dy, k.ink, k.last, "copy (" + std::to_string(k.dx) + ", " + std::to_string(k.dy) + ")");
    px.push_back({p.x + (k.last ? 1 : -1), p.y, C(clBtnFace), p.why + ": just past it"});
    px.push_back({p.x, p.y + (k.last ? 1 : -1), C(clBtnFace), p.why + ": just past it"});
    if (k.want) p.want = *k.want;
    px.push_back(p);
  }
  EXPECT_TRUE(testsupport::HasNamedPixels(img, px));
}

auto Style(TTextStyle s, bool light = false, int depth = 2, TAlignment a = taCenter) {
  return [=](TImageButton* b) {
    b->SetTextStyle(s);
    b->SetLightTextStyle(light);
    b->SetTextShadowDepth(depth);
    b->SetAlignment(a);
  };
}
// A strip of n solid 16 x 16 cells, its bottom-left pixel (the transparent colour) apart.
void Cells(TImageButton* b, int n) {
  TBitmap strip(16 * n, 16);
  const TColor cells[] = {clRed, clLime, clBlue, clYellow};
  for (int i = 0; i < n; ++i) {
    strip.Canvas()->Brush()->SetColor(cells[i]);
    strip.Canvas()->FillRect(RECT{16 * i, 0, 16 * i + 16, 16});
  }
  strip.Canvas()->SetPixel(0, 15, clFuchsia);
  b->SetGlyph(&strip);
}
void Press(TImageButton* b, TPaintedButton*) {
  headless::MovePointerTo(b->Handle(), 60, 30);
  headless::PressButton(1);
}
void Hover(TImageButton* b, TPaintedButton*) { headless::MovePointerTo(b->Handle(), 30, 12); }
void GroupDown(TImageButton* b) {
  b->SetGroupIndex(1);
  b->SetDown(true);
}

const COLORREF kFace = C(clBtnFace);

INSTANTIATE_TEST_SUITE_P(
    Table, StatePixels,
    ::testing::Values(
        PixelCase{"Raised", Look::kClassic, Style(tsRaised), nullptr, At::kCentre, 14,
                  {{-1, -1, kLite, false}, {1, 1, kDeep, true}}},
        PixelCase{"Recessed", Look::kClassic, Style(tsRecessed), nullptr, At::kCentre, 14,
                  {{-1, -1, kDeep, false}, {1, 1, kLite, true}}},
        PixelCase{"RaisedLight", Look::kClassic, Style(tsRaised, true), nullptr, At::kCentre, 14,
                  {{-1, -1, kLite, false}, {1, 1, kDeep, true, kFace}}},
        PixelCase{"RecessedLight", Look::kClassic, Style(tsRecessed, true), nullptr, At::kCentre, 14,
                  {{-1, -1, kDeep, false, kFace}, {1, 1, kLite, true}}},
        PixelCase{"ShadowDepth3", Look::kClassic, Style(tsShadow, false, 3), nullptr, At::kCentre, 14,
                  {{3, 3, kDeep, true}}},
        // The shadow goes down only, and the caption moves left by the depth.
        PixelCase{"ShadowRightAligned", Look::kClassic, Style(tsShadow, false, 2, taRightJustify), nullptr,
                  At::kRight, 14, {{2, 2, kDeep, true}}},
        PixelCase{"RightAligned", Look::kClassic, Style(tsNormal, false, 2, taRightJustify), nullptr, At::kRight, 14},
        PixelCase{"Top", Look::kClassic, [](TImageButton* b) { b->SetAlignmentVertical(avTop); }, nullptr,
                  At::kCentre, 5},
        PixelCase{"Bottom", Look::kClassic, [](TImageButton* b) { b->SetAlignmentVertical(avBottom); }, nullptr,
                  At::kCentre, 36 - 13 - 1},
        PixelCase{"ListWithoutIndexIsNoGlyph", Look::kClassic,
                  [](TImageButton* b) { b->SetImages(new SolidImageList(b->Owner())); }, nullptr, At::kCentre, 14},
        PixelCase{"DisabledOnAGreyFace", Look::kClassic,
                  [](TImageButton* b) {
                    b->SetColor(TColor(0x707070));
                    b->SetEnabled(false);
                  },
                  nullptr, At::kCentre, 14, {}, {}, C(cl3DDkShadow)},
        PixelCase{"TintedFrame", Look::kClassic, [](TImageButton* b) { b->SetColor(kTint); }, nullptr, At::kNone, 0,
                  {},
                  {{0, 0, C(ShadeLighter(kTint, 100)), "outer ring, upper left"},
                   {74, 40, C(ShadeDarker(kTint, 100)), "outer ring, lower right"},
                   {1, 1, C(ShadeLighter(kTint, 40)), "inner ring, upper left"},
                   {73, 39, C(ShadeDarker(kTint, 50)), "inner ring, lower right"},
                   {2, 2, C(kTint), "face"}}},
        PixelCase{"TintedPressed", Look::kClassic, [](TImageButton* b) { b->SetColor(kTint); }, Press, At::kNone, 0,
                  {},
                  {{0, 0, C(ShadeDarker(kTint, 100)), "outer ring"}, {1, 1, C(ShadeDarker(kTint, 50)), "inner ring"}}},
        // Down on silver: the tinted sunken frame, grey dots, the focus frame moved by (1, 1).
        PixelCase{"SilverDownFocused", Look::kClassic,
                  [](TImageButton* b) {
                    b->SetColor(clSilver);
                    GroupDown(b);
                  },
                  [](TImageButton* b, TPaintedButton*) { b->SetFocus(); }, At::kNone, 0, {},
                  {{0, 0, C(ShadeDarker(clSilver, 50)), "sunken outer ring"},
                   {74, 40, C(ShadeLighter(clSilver, 100)), "sunken outer ring, lower right"},
                   {1, 1, C(ShadeDarker(clSilver, 100)), "sunken inner ring"},
                   {3, 3, C(clGray), "grey dots on silver"},
                   {5, 6, 0, "focus frame moved by (1, 1)"},
                   {4, 5, C(clSilver), "not where an unpressed button has it"}}},
        PixelCase{"HotTrackDisabledTint", Look::kHotTrack,
                  [](TImageButton* b) {
                    b->SetColor(kTint);
                    b->SetEnabled(false);
                  },
                  nullptr, At::kNone, 0, {},
                  {{1, 2, C(ShadeDarker(kTint, 80)), "inner ring"}, {10, 10, C(kTint), "flat face"}}},
        PixelCase{"HotTrackComplementHover", Look::kHotTrack,
                  [](TImageButton* b) { b->SetHotTrackColorType(htctComplement); }, Hover, At::kNone, 0, {},
                  {{2, kPH - 3, C(ShadeDarker(OppositeHue(0x149BF0, 180), 30)), "ring's bottom row"}}},
        PixelCase{"HotTrackHoverOn256Colours", Look::kHotTrack, [](TImageButton*) { SetFullColorDisplay(false); },
                  Hover, At::kNone, 0, {},
                  {{2, kPH - 3, C(ShadeDarker(clBtnFace, 30)), "bottom line, no ring"},
                   {2, 2, kFace, "plain face, no ring"},
                   {10, 10, kFace, "plain face, no gradient"}}},
        // Glyph (16 x 16, margin 2) at (7, 13), moved by (1, 1) when pressed or down.
        PixelCase{"PressedGlyphCell", Look::kClassic, [](TImageButton* b) { Cells(b, 3); }, Press, At::kNone, 0, {},
                  {{16, 22, C(clBlue), "third cell"}}},
        PixelCase{"DownGlyphCell", Look::kClassic,
                  [](TImageButton* b) {
                    Cells(b, 4);
                    GroupDown(b);
                  },
                  nullptr, At::kNone, 0, {}, {{16, 22, C(clYellow), "fourth cell"}}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
