// The painted button in the classic and hot-tracking looks, one picture per state side by
// side (normal, focused, pressed, default, disabled, down in a group), compared pixel for
// pixel, with named pixels from each look's frame colours beside the golden.
#include <functional>
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
    const headless::Frame f = headless::BackBuffer(form->Handle());
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) strip.At(index * w + x, y) = f.At(20 + x, 20 + y);
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
      auto* list = new TListBox(b->Owner());
      list->SetParent(b->Parent());
      list->SetBounds(200, 200, 50, 50);
      list->SetFocus();
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
        auto* list = new TListBox(b->Owner());
        list->SetParent(b->Parent());
        list->SetBounds(200, 200, 50, 50);
        list->SetFocus();
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
  auto* list = new TListBox(form);
  list->SetParent(form);
  list->SetBounds(20, 200, 50, 50);
  ShowForm();
  list->SetFocus();
  Pump();
  const headless::Frame f = headless::BackBuffer(form->Handle());
  for (int k = 0; k < 4; ++k)
    for (int y = 0; y < 42; ++y)
      for (int x = 0; x < 81; ++x) strip.At(k * 81 + x, y) = f.At(20 + 90 * k + x, 20 + y);
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
