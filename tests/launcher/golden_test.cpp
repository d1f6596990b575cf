// The main window for the title "Brimlow", rendered headless and compared pixel for pixel:
// at start, after choosing Tools with the pointer on ISO Burner, and with the help menu open.
#include <algorithm>

#include "launcher_fixture.h"
#include "support/golden.h"

namespace launchertest {
namespace {

class Golden : public LauncherTest {
 protected:
  void SetUp() override {
    LauncherTest::SetUp();
    // The pointer rests off the window, so hovering selects nothing before the pictures.
    headless::MovePointer(1000, 5);
    Start(ProductFile("Brimlow"));
    ShowAndPump();
  }

  // What the screen shows of the given windows, the first one's rectangle extended to hold
  // the others, in the order given (later ones on top).
  static testsupport::Image Compose(std::initializer_list<HWND> windows) {
    RECT all{};
    bool first = true;
    for (HWND w : windows) {
      RECT r;
      GetWindowRect(w, &r);
      if (first) all = r;
      all = RECT{std::min(all.left, r.left), std::min(all.top, r.top), std::max(all.right, r.right),
                 std::max(all.bottom, r.bottom)};
      first = false;
    }
    testsupport::Image img(all.right - all.left, all.bottom - all.top, 0);
    for (HWND w : windows) {
      RECT r;
      GetWindowRect(w, &r);
      const headless::Frame f = headless::PresentedFrame(w);
      for (int y = 0; y < f.height; ++y)
        for (int x = 0; x < f.width; ++x) img.At(r.left - all.left + x, r.top - all.top + y) = f.At(x, y) & 0xFFFFFFu;
    }
    return img;
  }
};

TEST_F(Golden, AtStart) {
  const testsupport::Image img = Compose({form->Handle()});
  ASSERT_EQ(img.width, 658);
  ASSERT_EQ(img.height, 478);
  testsupport::ExpectMatchesGolden(img, "launcher_start");
}

TEST_F(Golden, ToolsWithThePointerOnIsoBurner) {
  ClickCategory(3);
  HoverTask(3);
  ASSERT_EQ(form->ListBoxData->ItemIndex(), 3);
  testsupport::ExpectMatchesGolden(Compose({form->Handle()}), "launcher_tools_iso_burner");
}

TEST_F(Golden, HelpMenuOpen) {
  headless::ClickAt(form->ButtonHelp->Handle(), 20, 20);
  Pump();
  ASSERT_TRUE(form->PopupMenu->IsOpen());
  // The pointer on the About item, so the menu shows its highlight.
  const RECT item = form->PopupMenu->ItemRect(1);
  headless::MovePointerTo(form->PopupMenu->WindowHandle(), item.left + 20, item.top + 5);
  Pump();
  testsupport::ExpectMatchesGolden(Compose({form->Handle(), form->PopupMenu->WindowHandle()}), "launcher_help_menu");
}

}  // namespace
}  // namespace launchertest
