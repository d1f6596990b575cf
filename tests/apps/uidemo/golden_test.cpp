// The uidemo windows rendered headless: the demo window in the classic and the themed look
// (the same places, different parts), and the panel of button looks. Named pixels from the
// window's layout and the looks' colours sit beside each golden.
#include <gtest/gtest.h>

#include "buttonpanel.h"
#include "buttons/drawcommon.h"
#include "demoform.h"
#include "embedded_resources.h"
#include "platform/theme/theme.h"
#include "platform/win/headless.h"
#include "support/headless_form.h"

namespace {

using testsupport::NamedPixel;
using Pixels = std::vector<NamedPixel>;

constexpr COLORREF kFace = RGB(240, 240, 240), kShadow = RGB(160, 160, 160), kDark = RGB(105, 105, 105),
                   kHigh = RGB(255, 255, 255), kWhite = RGB(255, 255, 255);

class UidemoGolden : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    ASSERT_TRUE(headless::Enable(1024, 768));
    RegisterEmbeddedResources_uidemo_tests();
    RegisterStdControlClasses();
    DoneApplicationObjects();
    InitApplicationObjects();
    Application->Initialize();
    headless::MovePointer(1000, 5);
  }
  void TearDown() override {
    DoneApplicationObjects();
    ShutdownWindowSystem();
  }
  static void Look(bool themed) {
    SetThemeAppProperties(themed ? STAP_ALLOW_NONCLIENT | STAP_ALLOW_CONTROLS : STAP_ALLOW_NONCLIENT);
  }
  static testsupport::Image Shot(TForm* form) {
    form->Show();
    headless::PumpUntilIdle();
    return testsupport::FrameImage(headless::PresentedFrame(form->Handle()));
  }
};

// Lists at (8, 8) 169 x 401 and (184, 8) 466 x 401, Help (8, 432) 46 x 42, OK (568, 432) 81 x 42.
TEST_P(UidemoGolden, DemoWindow) {
  const bool themed = GetParam();
  Look(themed);
  auto* form = new TDemoForm(Application, "UIDEMO");
  const testsupport::Image img = Shot(form);
  ASSERT_EQ(img.width, 658);
  ASSERT_EQ(img.height, 478);
  Pixels p = {{4, 4, kFace, "window background"}, {177, 200, kFace, "right of the category list"}};
  if (themed) {
    const COLORREF list = RGB(130, 135, 144), button = RGB(173, 173, 173);
    p.insert(p.end(), {{8, 8, list, "category list: one-pixel border"},
                       {9, 200, kWhite, "category list: the border's second pixel is background"},
                       {176, 408, list, "category list: bottom-right"},
                       {184, 8, list, "task list: one-pixel border"},
                       {649, 408, list, "task list: bottom-right"},
                       {8, 432, kFace, "Help: rounded corner shows the window"},
                       {30, 432, button, "Help: themed border"},
                       {600, 473, RGB(0, 103, 192), "OK, the default button: accent border"}});
  } else {
    p.insert(p.end(), {{8, 8, kShadow, "category list: outer sunken edge"},
                       {9, 9, kDark, "category list: inner sunken edge"},
                       {176, 408, kHigh, "category list: outer edge's bottom-right"},
                       {184, 8, kShadow, "task list: outer sunken edge"},
                       {8, 432, kHigh, "Help: raised edge"},
                       {648, 473, RGB(0, 0, 0), "OK, the default button: black frame"}});
  }
  EXPECT_TRUE(testsupport::HasNamedPixels(img, p));
  testsupport::ExpectMatchesGolden(img, themed ? "uidemo_themed" : "uidemo_classic");
  delete form;
}

INSTANTIATE_TEST_SUITE_P(Looks, UidemoGolden, ::testing::Values(false, true),
                         [](const auto& info) { return std::string(info.param ? "Themed" : "Classic"); });

// The panel with styles on: row 0 themed, row 1 hot-tracking, row 2 classic; columns normal,
// hot, pressed, focused, default, disabled, down.
TEST_F(UidemoGolden, ButtonPanel) {
  Look(true);
  auto* panel = new TButtonPanel(Application);
  const testsupport::Image img = Shot(panel);
  auto cell = [](int row, int col, int dx, int dy) {
    return POINT{TButtonPanel::kLeft + col * TButtonPanel::kCellW + dx, TButtonPanel::kTop + row * TButtonPanel::kCellH + dy};
  };
  auto at = [&](int row, int col, int dx, int dy, COLORREF want, const char* why) {
    const POINT pt = cell(row, col, dx, dy);
    return NamedPixel{pt.x, pt.y, want, why};
  };
  const COLORREF face = kFace;
  // The hot-tracking look's ring around a focused or default face, at its bottom row.
  const TColor h = ColorsAlike(clHighlight, clBtnFace) ? ShadeDarker(clHighlight, 30) : clHighlight;
  const COLORREF ring = COLORREF(ColorToRGB(MixColors(h, ShadeLighter(clBtnFace, 30), 160)));
  Pixels p = {
      at(0, 0, 0, 0, face, "themed normal: corner shows the window"),
      at(0, 0, 40, 0, RGB(173, 173, 173), "themed normal: border"),
      at(0, 1, 40, 0, RGB(72, 140, 214), "themed hot: border"),
      at(0, 2, 40, 0, RGB(34, 94, 160), "themed pressed: border"),
      at(0, 3, 40, 1, RGB(153, 200, 242), "themed focused: default ring"),
      at(0, 3, 3, 4, 0, "themed focused: dotted frame 3 pixels in"),
      at(0, 4, 40, 1, RGB(153, 200, 242), "themed default: default ring"),
      at(0, 5, 40, 0, RGB(204, 204, 204), "themed disabled: border"),
      at(0, 6, 40, 0, RGB(34, 94, 160), "themed down: pressed border around the pattern"),
      at(0, 6, 3, 3, RGB(192, 192, 192), "themed down: checkered face inside the frame"),
      at(1, 0, 0, 2, COLORREF(ColorToRGB(ShadeDarker(clBtnFace, 20))), "hot-tracking normal: outer ring, left"),
      at(1, 1, 2, 39, RGB(240, 155, 20), "hot-tracking hot: ring's bottom row (3 above the bottom) in HotTrackColor"),
      at(1, 2, 10, 20, COLORREF(ColorToRGB(ShadeDarker(clBtnFace, 10))), "hot-tracking pressed: flat darker face"),
      at(1, 3, 3, 4, 0, "hot-tracking focused: dotted frame 3 pixels in"),
      at(1, 4, 2, 39, ring, "hot-tracking default: highlight ring's bottom row"),
      at(1, 5, 1, 2, COLORREF(ColorToRGB(ShadeLighter(clBtnShadow, 30))), "hot-tracking disabled: inner ring"),
      at(1, 6, 3, 3, RGB(192, 192, 192), "hot-tracking down: checkered face"),
      at(2, 0, 0, 0, kHigh, "classic normal: raised edge"),
      at(2, 1, 0, 0, kHigh, "classic hot: no hover look"),
      at(2, 2, 0, 0, RGB(0, 0, 0), "classic pressed: dark outer ring"),
      at(2, 3, 4, 5, 0, "classic focused: dotted frame 4 pixels in"),
      at(2, 4, 0, 0, COLORREF(ColorToRGB(clWindowFrame)), "classic default: outline"),
      at(2, 6, 0, 0, kShadow, "classic down: sunken outer ring"),
      at(2, 6, 3, 3, RGB(192, 192, 192), "classic down: checkered face"),
  };
  const POINT disabled = cell(2, 5, 5, 14);
  testsupport::Append(p, testsupport::TextInk(img, face, COLORREF(ColorToRGB(clGrayText)), testsupport::UiFont::kRegular,
                                              disabled.x + (71 - testsupport::UiTextWidth(testsupport::UiFont::kRegular, "Disabled")) / 2,
                                              disabled.y, "Disabled", "classic disabled: grey caption"));
  EXPECT_TRUE(testsupport::HasNamedPixels(img, p));
  testsupport::ExpectMatchesGolden(img, "uidemo_buttons");
  delete panel;
}

}  // namespace
