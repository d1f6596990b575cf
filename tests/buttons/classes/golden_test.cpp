// The painted button in the classic and hot-tracking looks, one picture per state side by
// side (normal, focused, pressed, default, disabled, down in a group), compared pixel for
// pixel, with named pixels from each look's frame colours beside the golden.
#include <functional>
#include <string>
#include <vector>

#include "button_fixture.h"
#include "buttons/drawcommon.h"
#include "support/golden.h"

namespace {

constexpr int kW = 75, kH = 25;

COLORREF Rgb(TColor c) { return COLORREF(ColorToRGB(c)); }

class LooksGolden : public ButtonForm {
 protected:
  // Brings one fresh button into a state, captures it into cell `index` of the strip.
  void Capture(testsupport::Image& strip, int index, bool hotTrack,
               const std::function<void(TPaintedButton*, TPaintedButton*)>& state) {
    auto* b = Add<TPaintedButton>(20, 20, kW, kH, "Button");
    auto* other = Add<TPaintedButton>(20, 100, kW, kH, "Other");
    b->SetThemeAware(false);
    b->SetHotTrack(hotTrack);
    other->SetFocus();
    Pump();
    state(b, other);
    b->Repaint();
    Pump();
    const headless::Frame f = headless::BackBuffer(form->Handle());
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x) strip.At(index * kW + x, y) = f.At(20 + x, 20 + y);
    headless::ReleaseButton(1);
    headless::MovePointerTo(form->Handle(), 300, 250);
    Pump();
    delete b;
    delete other;
    Pump();
  }
  void CaptureAll(testsupport::Image& strip, bool hotTrack) {
    int i = 0;
    Capture(strip, i++, hotTrack, [](TPaintedButton*, TPaintedButton*) {});
    Capture(strip, i++, hotTrack, [](TPaintedButton* b, TPaintedButton*) { b->SetFocus(); });
    Capture(strip, i++, hotTrack, [](TPaintedButton* b, TPaintedButton*) {
      headless::MovePointerTo(b->Handle(), 10, 10);
      headless::PressButton(1);
    });
    Capture(strip, i++, hotTrack, [](TPaintedButton* b, TPaintedButton* other) {
      b->SetDefault(true);
      other->SetDefault(false);
      auto* list = new TListBox(b->Owner());
      list->SetParent(b->Parent());
      list->SetBounds(200, 200, 50, 50);
      list->SetFocus();
    });
    Capture(strip, i++, hotTrack, [](TPaintedButton* b, TPaintedButton*) { b->SetEnabled(false); });
    Capture(strip, i++, hotTrack, [](TPaintedButton* b, TPaintedButton*) {
      b->SetGroupIndex(1);
      b->SetDown(true);
    });
    Capture(strip, i++, hotTrack,
            [](TPaintedButton* b, TPaintedButton*) { headless::MovePointerTo(b->Handle(), 30, 12); });
  }
};

TEST_F(LooksGolden, Classic) {
  ShowForm();
  testsupport::Image strip(7 * kW, kH);
  CaptureAll(strip, false);
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
  CaptureAll(strip, true);
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
