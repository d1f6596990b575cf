// Behaviour of the window system on the headless backend: message order, painting and
// presenting, clipping, input routing, capture, focus, enabling, modality, keys, popups
// and cursors.
#include <gtest/gtest.h>

#include <cstdio>

#include "platform/win/headless.h"
#include "win_test_util.h"

using namespace wintest;

namespace {

constexpr COLORREF kRed = RGB(200, 0, 0);
constexpr COLORREF kGreen = RGB(0, 160, 0);
constexpr COLORREF kBlue = RGB(0, 0, 220);
constexpr COLORREF kGrey = RGB(90, 90, 90);

class Headless : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(headless::Enable(800, 600));
    TheLog().Clear();
    Hook() = nullptr;
  }
  void TearDown() override {
    Hook() = nullptr;
    ShutdownWindowSystem();
  }
  // A shown top-level window at (100, 50), 300 x 200, painted and presented.
  HWND Main() {
    HWND w = Make(WS_POPUP | WS_CAPTION | WS_VISIBLE, 100, 50, 300, 200, nullptr, kGrey, "Main");
    headless::PumpUntilIdle();
    return w;
  }
};

// Compares a frame area against one colour; reports the first mismatching pixel.
::testing::AssertionResult AreaIs(const headless::Frame& f, RECT r, COLORREF c) {
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x)
      if (f.At(x, y) != Px(c))
        return ::testing::AssertionFailure() << "pixel (" << x << ", " << y << ") is 0x" << std::hex << f.At(x, y)
                                             << ", expected 0x" << Px(c);
  return ::testing::AssertionSuccess();
}

TEST(WinMacros, SignedCoordinatesSurviveTheLParam) {
  struct Case {
    int x, y;
  } cases[] = {{0, 0}, {5, 7}, {-1, -1}, {-300, 200}, {32767, -32768}};
  for (const Case& c : cases) {
    LPARAM lp = MAKELPARAM(c.x, c.y);
    EXPECT_EQ(GET_X_LPARAM(lp), c.x);
    EXPECT_EQ(GET_Y_LPARAM(lp), c.y);
  }
  EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(MAKEWPARAM(0, -120)), -120);
}

TEST_F(Headless, QuitIsRetrievedAfterEveryPostedMessage) {
  HWND w = Main();
  TheLog().Clear();
  PostMessageA(w, WM_USER + 1, 0, 0);
  PostQuitMessage(7);
  PostMessageA(w, WM_USER + 2, 0, 0);  // posted after the request, still retrieved before it
  std::vector<UINT> seen;
  MSG m;
  BOOL r;
  while ((r = GetMessageA(&m, nullptr, 0, 0)) > 0) {
    seen.push_back(m.message);
    DispatchMessageA(&m);
  }
  EXPECT_EQ(r, 0);
  EXPECT_EQ(m.message, WM_QUIT);
  EXPECT_EQ(int(m.wParam), 7);
  EXPECT_EQ(seen, (std::vector<UINT>{WM_USER + 1, WM_USER + 2}));
  EXPECT_EQ(TheLog().Of(WM_USER + 1).size(), 1u);
  EXPECT_FALSE(QuitRequested());
}

TEST_F(Headless, PaintComesAfterPostedMessagesAndStaysUntilValidated) {
  HWND w = Main();
  InvalidateRect(w, nullptr, FALSE);
  PostMessageA(w, WM_USER + 5, 1, 2);
  MSG m;
  ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.message, WM_USER + 5);
  ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.message, WM_PAINT);
  ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE));  // not validated yet
  EXPECT_EQ(m.message, WM_PAINT);
  DispatchMessageA(&m);
  EXPECT_FALSE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(Headless, SendMessageCallsAtOncePostMessageWaits) {
  HWND w = Main();
  TheLog().Clear();
  Hook() = [](HWND, UINT msg, WPARAM wp, LPARAM, LRESULT* r) {
    if (msg != WM_USER + 9) return false;
    *r = LRESULT(wp * 2);
    return true;
  };
  EXPECT_EQ(SendMessageA(w, WM_USER + 9, 21, 0), 42);
  EXPECT_EQ(TheLog().Of(WM_USER + 9).size(), 1u);
  EXPECT_TRUE(PostMessageA(w, WM_USER + 9, 1, 0));
  EXPECT_EQ(TheLog().Of(WM_USER + 9).size(), 1u);
  headless::PumpUntilIdle();
  EXPECT_EQ(TheLog().Of(WM_USER + 9).size(), 2u);
  EXPECT_EQ(SendMessageA(reinterpret_cast<HWND>(std::uintptr_t(0x1234)), WM_USER, 0, 0), 0);
  EXPECT_FALSE(PostMessageA(reinterpret_cast<HWND>(std::uintptr_t(0x1234)), WM_USER, 0, 0));
}

TEST_F(Headless, TwoInvalidationsGiveOnePaintWithTheirUnionAndOnePresent) {
  HWND w = Main();
  TheLog().Clear();
  int presents = headless::PresentCount(w);
  RECT a{10, 10, 20, 20}, b{50, 40, 60, 45};
  InvalidateRect(w, &a, TRUE);
  InvalidateRect(w, &b, FALSE);
  headless::PumpUntilIdle();
  ASSERT_EQ(TheLog().paints.size(), 1u);
  EXPECT_EQ(TheLog().paints[0], (RECT{10, 10, 60, 45}));
  EXPECT_EQ(TheLog().Of(WM_ERASEBKGND).size(), 1u);
  EXPECT_EQ(headless::PresentCount(w), presents + 1);
}

TEST_F(Headless, InvalidRectIsClippedToTheClientArea) {
  HWND w = Main();
  TheLog().Clear();
  RECT r{-50, -50, 10, 1000};
  InvalidateRect(w, &r, FALSE);
  RECT u;
  EXPECT_TRUE(GetUpdateRect(w, &u, FALSE));
  EXPECT_EQ(u, (RECT{0, 0, 10, 200}));
  ValidateRect(w, nullptr);
  EXPECT_FALSE(GetUpdateRect(w, &u, FALSE));
}

TEST_F(Headless, ChildPaintsOnlyInsideItsVisiblePart) {
  HWND main = Main();
  HWND child = Make(WS_CHILD | WS_VISIBLE, 20, 20, 100, 80, main, kRed);
  HWND above = Make(WS_CHILD | WS_VISIBLE, 90, 60, 60, 60, main, kGreen);  // later sibling, on top
  HWND inner = Make(WS_CHILD | WS_VISIBLE, 70, 70, 50, 50, child, kBlue);  // cut by its parent
  headless::PumpUntilIdle();
  headless::Frame f = headless::PresentedFrame(main);
  ASSERT_EQ(f.width, 300);
  EXPECT_TRUE(AreaIs(f, RECT{0, 0, 300, 20}, kGrey));
  EXPECT_TRUE(AreaIs(f, RECT{20, 20, 90, 90}, kRed));
  EXPECT_TRUE(AreaIs(f, RECT{90, 60, 150, 120}, kGreen));
  EXPECT_TRUE(AreaIs(f, RECT{150, 20, 300, 200}, kGrey));
  EXPECT_TRUE(AreaIs(f, RECT{0, 100, 90, 200}, kGrey));
  (void)inner;  // lies entirely under `above` or outside `child`

  // A repaint of the child alone touches nothing outside its visible part.
  SetWindowLongPtrA(child, GWLP_USERDATA, LONG_PTR(kBlue) + 1);
  InvalidateRect(child, nullptr, TRUE);
  headless::PumpUntilIdle();
  f = headless::PresentedFrame(main);
  EXPECT_TRUE(AreaIs(f, RECT{20, 20, 90, 100}, kBlue));
  EXPECT_TRUE(AreaIs(f, RECT{90, 60, 150, 120}, kGreen));
  EXPECT_TRUE(AreaIs(f, RECT{0, 0, 20, 200}, kGrey));
  EXPECT_TRUE(AreaIs(f, RECT{0, 100, 90, 200}, kGrey));
  (void)above;
}

// Dropping the clip region inside a child's paint must not reach siblings or the parent:
// the visible part sits under the clip region, out of the drawing code's reach.
TEST_F(Headless, ChildCannotWidenItsClipBeyondItsVisiblePart) {
  HWND main = Main();
  HWND child = Make(WS_CHILD | WS_VISIBLE, 20, 20, 100, 80, main, kRed);
  HWND above = Make(WS_CHILD | WS_VISIBLE, 90, 60, 60, 60, main, kGreen);  // later sibling, on top
  headless::PumpUntilIdle();
  headless::Frame before = headless::BackBuffer(main);
  constexpr COLORREF kMagenta = RGB(255, 0, 255);
  // The child's visible part in the top-level window: its rectangle less the sibling above.
  auto visible = [](int x, int y) {
    bool inChild = x >= 20 && x < 120 && y >= 20 && y < 100;
    bool inAbove = x >= 90 && x < 150 && y >= 60 && y < 120;
    return inChild && !inAbove;
  };
  auto check = [&](const headless::Frame& f) -> ::testing::AssertionResult {
    for (int y = 0; y < f.height; ++y)
      for (int x = 0; x < f.width; ++x) {
        std::uint32_t want = visible(x, y) ? Px(kMagenta) : before.At(x, y);
        if (f.At(x, y) != want) {
          char msg[96];
          std::snprintf(msg, sizeof msg, "pixel (%d, %d) is 0x%06X, expected 0x%06X", x, y, unsigned(f.At(x, y)),
                        unsigned(want));
          return ::testing::AssertionFailure() << msg;
        }
      }
    return ::testing::AssertionSuccess();
  };
  auto fillEverything = [&](HDC hdc) {
    SelectClipRgn(hdc, nullptr);
    HRGN huge = CreateRectRgn(-10000, -10000, 10000, 10000);
    SelectClipRgn(hdc, huge);
    DeleteObject(huge);
    SelectClipRgn(hdc, nullptr);
    RECT all{-10000, -10000, 10000, 10000};
    FillSolidRect(hdc, all, kMagenta);
  };

  Hook() = [&](HWND h, UINT msg, WPARAM, LPARAM, LRESULT* result) {
    if (msg == WM_ERASEBKGND && h == child) {
      *result = 1;
      return true;
    }
    if (msg != WM_PAINT || h != child) return false;
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(h, &ps);
    int level = SaveDC(hdc);
    RestoreDC(hdc, level);
    fillEverything(hdc);
    EndPaint(h, &ps);
    *result = 0;
    return true;
  };
  InvalidateRect(child, nullptr, TRUE);
  headless::PumpUntilIdle();
  EXPECT_TRUE(check(headless::BackBuffer(main)));
  EXPECT_TRUE(check(headless::PresentedFrame(main)));

  // The same through a DC taken outside a paint.
  Hook() = nullptr;
  InvalidateRect(child, nullptr, TRUE);
  headless::PumpUntilIdle();
  before = headless::BackBuffer(main);
  HDC hdc = GetDC(child);
  ASSERT_NE(hdc, nullptr);
  fillEverything(hdc);
  ReleaseDC(child, hdc);
  EXPECT_TRUE(check(headless::BackBuffer(main)));
  (void)above;
}

TEST_F(Headless, FrameIsPresentedOnlyWhenEveryWindowIsPainted) {
  HWND main = Main();
  HWND child = Make(WS_CHILD | WS_VISIBLE, 10, 10, 50, 50, main, kRed);
  headless::PumpUntilIdle();
  SetWindowLongPtrA(main, GWLP_USERDATA, LONG_PTR(kBlue) + 1);
  SetWindowLongPtrA(child, GWLP_USERDATA, LONG_PTR(kGreen) + 1);
  InvalidateRect(main, nullptr, TRUE);
  InvalidateRect(child, nullptr, TRUE);
  std::vector<std::uint32_t> shownDuringChildPaint;
  Hook() = [&](HWND h, UINT msg, WPARAM, LPARAM, LRESULT*) {
    if (msg == WM_PAINT && h == child) shownDuringChildPaint.push_back(headless::PresentedFrame(main).At(100, 100));
    return false;
  };
  headless::PumpUntilIdle();
  ASSERT_EQ(shownDuringChildPaint.size(), 1u);
  EXPECT_EQ(shownDuringChildPaint[0], Px(kGrey)) << "half-drawn frame reached the screen";
  headless::Frame shown = headless::PresentedFrame(main), back = headless::BackBuffer(main);
  EXPECT_EQ(shown.pixels, back.pixels);
  EXPECT_EQ(shown.At(100, 100), Px(kBlue));
  EXPECT_EQ(shown.At(20, 20), Px(kGreen));
}

TEST_F(Headless, MouseGoesToTheDeepestChildInClientCoordinates) {
  HWND main = Main();
  HWND child = Make(WS_CHILD | WS_VISIBLE, 20, 30, 100, 80, main, kRed);
  HWND inner = Make(WS_CHILD | WS_VISIBLE, 10, 10, 30, 30, child, kBlue);
  TheLog().Clear();
  headless::Click(100 + 20 + 10 + 5, 50 + 30 + 10 + 6);
  headless::Click(100 + 20 + 60, 50 + 30 + 50);
  headless::PumpUntilIdle();
  auto downs = TheLog().Of(WM_LBUTTONDOWN);
  ASSERT_EQ(downs.size(), 2u);
  EXPECT_EQ(downs[0].hwnd, inner);
  EXPECT_EQ(GET_X_LPARAM(downs[0].lParam), 5);
  EXPECT_EQ(GET_Y_LPARAM(downs[0].lParam), 6);
  EXPECT_EQ(downs[0].wParam & MK_LBUTTON, MK_LBUTTON);
  EXPECT_EQ(downs[1].hwnd, child);
  EXPECT_EQ(GET_X_LPARAM(downs[1].lParam), 60);
  EXPECT_EQ(GET_Y_LPARAM(downs[1].lParam), 50);
  auto ups = TheLog().Of(WM_LBUTTONUP);
  ASSERT_EQ(ups.size(), 2u);
  EXPECT_EQ(ups[0].wParam & MK_LBUTTON, 0u);
  EXPECT_EQ(WindowFromPoint(POINT{135, 96}), inner);
  EXPECT_EQ(ChildWindowFromPoint(main, POINT{25, 35}), child);
  EXPECT_EQ(ChildWindowFromPoint(main, POINT{5, 5}), main);
}

TEST_F(Headless, CaptureKeepsTheMouseWithNegativeCoordinates) {
  HWND main = Main();
  HWND a = Make(WS_CHILD | WS_VISIBLE, 100, 100, 50, 50, main, kRed);
  HWND b = Make(WS_CHILD | WS_VISIBLE, 0, 0, 50, 50, main, kBlue);
  TheLog().Clear();
  EXPECT_EQ(SetCapture(a), nullptr);
  EXPECT_EQ(GetCapture(), a);
  headless::MovePointer(110, 60);  // over b, far left and above a
  headless::PumpUntilIdle();
  auto moves = TheLog().Of(WM_MOUSEMOVE);
  ASSERT_EQ(moves.size(), 1u);
  EXPECT_EQ(moves[0].hwnd, a);
  EXPECT_EQ(GET_X_LPARAM(moves[0].lParam), -90);
  EXPECT_EQ(GET_Y_LPARAM(moves[0].lParam), -90);
  SetCapture(b);
  auto changed = TheLog().Of(WM_CAPTURECHANGED);
  ASSERT_EQ(changed.size(), 1u);
  EXPECT_EQ(changed[0].hwnd, a);
  EXPECT_EQ(HWND(changed[0].lParam), b);
  ReleaseCapture();
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(TheLog().Of(WM_CAPTURECHANGED).back().hwnd, b);
}

TEST_F(Headless, LeaveIsReportedOnceWhenTrackedAndEnterBringsAMove) {
  HWND main = Main();
  HWND a = Make(WS_CHILD | WS_VISIBLE, 0, 0, 50, 50, main, kRed);
  HWND b = Make(WS_CHILD | WS_VISIBLE, 100, 0, 50, 50, main, kBlue);
  headless::MovePointerTo(a, 10, 10);
  headless::PumpUntilIdle();
  TRACKMOUSEEVENT tme;
  tme.dwFlags = TME_LEAVE;
  tme.hwndTrack = a;
  ASSERT_TRUE(TrackMouseEvent(&tme));
  TheLog().Clear();
  headless::MovePointerTo(a, 20, 20);
  headless::MovePointerTo(b, 5, 5);
  headless::MovePointerTo(a, 5, 5);
  headless::MovePointerTo(b, 6, 6);
  headless::PumpUntilIdle();
  auto seq = TheLog().Seq({WM_MOUSEMOVE, WM_MOUSELEAVE});
  std::vector<std::pair<HWND, UINT>> want{{a, WM_MOUSEMOVE}, {a, WM_MOUSELEAVE}, {b, WM_MOUSEMOVE},
                                          {a, WM_MOUSEMOVE}, {b, WM_MOUSEMOVE}};
  EXPECT_EQ(seq, want);

  // Tracking a window the pointer is not over reports the leave at once.
  tme.hwndTrack = a;
  TrackMouseEvent(&tme);
  TheLog().Clear();
  headless::PumpUntilIdle();
  EXPECT_EQ(TheLog().Of(WM_MOUSELEAVE).size(), 1u);

  // Leaving the application altogether counts as well.
  tme.hwndTrack = b;
  TrackMouseEvent(&tme);
  headless::PointerLeavesApplication();
  headless::PumpUntilIdle();
  EXPECT_EQ(TheLog().Of(WM_MOUSELEAVE).back().hwnd, b);
}

TEST_F(Headless, FocusChangeSendsKillFocusThenSetFocus) {
  HWND main = Main();
  HWND a = Make(WS_CHILD | WS_VISIBLE, 0, 0, 50, 50, main, kRed);
  HWND b = Make(WS_CHILD | WS_VISIBLE, 100, 0, 50, 50, main, kBlue);
  EXPECT_EQ(GetActiveWindow(), main);
  SetFocus(a);
  TheLog().Clear();
  HWND focusSeenInKill = nullptr;
  Hook() = [&](HWND, UINT msg, WPARAM, LPARAM, LRESULT*) {
    if (msg == WM_KILLFOCUS) focusSeenInKill = GetFocus();
    return false;
  };
  EXPECT_EQ(SetFocus(b), a);
  auto seq = TheLog().Seq({WM_KILLFOCUS, WM_SETFOCUS});
  ASSERT_EQ(seq.size(), 2u);
  EXPECT_EQ(seq[0], std::make_pair(a, WM_KILLFOCUS));
  EXPECT_EQ(seq[1], std::make_pair(b, WM_SETFOCUS));
  EXPECT_EQ(HWND(TheLog().Of(WM_KILLFOCUS)[0].wParam), b);
  EXPECT_EQ(HWND(TheLog().Of(WM_SETFOCUS)[0].wParam), a);
  EXPECT_EQ(focusSeenInKill, b);
  EXPECT_EQ(GetFocus(), b);
}

TEST_F(Headless, KeysGoToTheFocusAndAltMakesSystemKeys) {
  HWND main = Main();
  HWND edit = Make(WS_CHILD | WS_VISIBLE, 0, 0, 50, 50, main, kRed);
  SetFocus(edit);
  TheLog().Clear();
  headless::KeyDown(VK_SHIFT);
  headless::KeyPress('A');
  headless::KeyUp(VK_SHIFT);
  headless::PumpUntilIdle();
  auto chars = TheLog().Of(WM_CHAR);
  ASSERT_EQ(chars.size(), 1u);
  EXPECT_EQ(chars[0].hwnd, edit);
  EXPECT_EQ(chars[0].wParam, WPARAM('A'));

  TheLog().Clear();
  headless::KeyDown(VK_MENU);
  headless::KeyPress('F');
  headless::KeyUp(VK_MENU);
  headless::PumpUntilIdle();
  EXPECT_TRUE(TheLog().Of(WM_CHAR).empty());
  EXPECT_TRUE(TheLog().Of(WM_KEYDOWN).empty());
  auto seq = TheLog().Seq({WM_SYSKEYDOWN, WM_SYSCHAR, WM_SYSKEYUP});
  ASSERT_EQ(seq.size(), 5u);
  EXPECT_EQ(seq[0].second, UINT(WM_SYSKEYDOWN));  // Alt itself
  EXPECT_EQ(seq[1].second, UINT(WM_SYSKEYDOWN));  // F
  EXPECT_EQ(seq[2].second, UINT(WM_SYSCHAR));
  EXPECT_EQ(TheLog().Of(WM_SYSCHAR)[0].wParam, WPARAM('f'));
  EXPECT_NE(TheLog().Of(WM_SYSKEYDOWN)[1].lParam & (LPARAM(1) << 29), 0);
}

TEST_F(Headless, KeyStateFollowsRetrievedMessages) {
  HWND main = Main();
  SetFocus(main);
  bool shiftDownDuringChar = false;
  Hook() = [&](HWND, UINT msg, WPARAM, LPARAM, LRESULT*) {
    if (msg == WM_CHAR) shiftDownDuringChar = GetKeyState(VK_SHIFT) < 0;
    return false;
  };
  headless::KeyDown(VK_SHIFT);
  EXPECT_LT(GetAsyncKeyState(VK_SHIFT), 0);
  EXPECT_GE(GetKeyState(VK_SHIFT), 0);  // not retrieved yet
  headless::KeyPress('Q');
  headless::PumpUntilIdle();
  EXPECT_TRUE(shiftDownDuringChar);
  headless::KeyUp(VK_SHIFT);
  headless::PumpUntilIdle();
  EXPECT_GE(GetKeyState(VK_SHIFT), 0);
}

TEST_F(Headless, DisabledWindowGetsNoInputAndLosesTheFocus) {
  HWND main = Main();
  HWND button = Make(WS_CHILD | WS_VISIBLE, 10, 10, 50, 50, main, kRed);
  SetFocus(button);
  TheLog().Clear();
  EXPECT_FALSE(EnableWindow(button, FALSE));
  EXPECT_FALSE(IsWindowEnabled(button));
  EXPECT_NE(GetFocus(), button);
  auto enables = TheLog().Of(WM_ENABLE);
  ASSERT_EQ(enables.size(), 1u);
  EXPECT_EQ(enables[0].wParam, WPARAM(FALSE));
  EXPECT_EQ(SetFocus(button), nullptr);
  headless::PumpUntilIdle();
  TheLog().Clear();
  headless::ClickAt(button, 5, 5);
  headless::KeyPress(VK_SPACE);
  headless::PumpUntilIdle();
  for (const Rec& r : TheLog().all) EXPECT_NE(r.hwnd, button) << "message 0x" << std::hex << r.msg;
  // The click fell through to the parent.
  ASSERT_EQ(TheLog().Of(WM_LBUTTONDOWN).size(), 1u);
  EXPECT_EQ(TheLog().Of(WM_LBUTTONDOWN)[0].hwnd, main);
  EXPECT_TRUE(EnableWindow(button, TRUE));
}

TEST_F(Headless, ModalDialogDropsOwnerInputAndGivesTheFocusBack) {
  HWND main = Main();
  HWND list = Make(WS_CHILD | WS_VISIBLE, 10, 10, 50, 50, main, kRed);
  SetFocus(list);
  EnableWindow(main, FALSE);
  HWND dialog = Make(WS_POPUP | WS_CAPTION | WS_VISIBLE, 500, 300, 120, 80, main, kBlue, "About",
                     WS_EX_DLGMODALFRAME);
  headless::PumpUntilIdle();
  EXPECT_EQ(GetActiveWindow(), dialog);
  EXPECT_EQ(GetWindow(dialog, GW_OWNER), main);
  EXPECT_EQ(GetParent(dialog), main);
  TheLog().Clear();
  headless::ClickAt(list, 5, 5);
  headless::ClickAt(main, 200, 150);
  headless::KeyPress(VK_RETURN);
  headless::PumpUntilIdle();
  for (const Rec& r : TheLog().all)
    EXPECT_TRUE(r.hwnd != main && r.hwnd != list) << "owner got message 0x" << std::hex << r.msg;
  EXPECT_EQ(GetActiveWindow(), dialog);  // the click brought the dialog forward, nothing more

  // Closing: the owner is re-enabled first, then the dialog goes.
  TheLog().Clear();
  EnableWindow(main, TRUE);
  DestroyWindow(dialog);
  EXPECT_EQ(GetActiveWindow(), main);
  EXPECT_EQ(GetFocus(), list);
  auto acts = TheLog().Of(WM_ACTIVATE);
  ASSERT_FALSE(acts.empty());
  EXPECT_EQ(acts.back().hwnd, main);
  EXPECT_NE(LOWORD(acts.back().wParam), WA_INACTIVE);
}

TEST_F(Headless, OwnerEnabledAfterTheDialogClosedStillGetsTheActivation) {
  HWND main = Main();
  HWND list = Make(WS_CHILD | WS_VISIBLE, 10, 10, 50, 50, main, kRed);
  SetFocus(list);
  EnableWindow(main, FALSE);
  HWND dialog = Make(WS_POPUP | WS_CAPTION | WS_VISIBLE, 500, 300, 120, 80, main, kBlue, "About");
  DestroyWindow(dialog);
  EXPECT_EQ(GetActiveWindow(), nullptr);
  EnableWindow(main, TRUE);
  EXPECT_EQ(GetActiveWindow(), main);
  EXPECT_EQ(GetFocus(), list);
}

TEST_F(Headless, PopupGetsOutsideClicksAndKeysWhileShown) {
  HWND main = Main();
  HWND button = Make(WS_CHILD | WS_VISIBLE, 10, 10, 50, 50, main, kRed);
  SetFocus(button);
  // Near the bottom of the main window and reaching below it.
  HWND popup = Make(WS_POPUP | WS_VISIBLE, 108, 230, 150, 100, main, kBlue, "", WS_EX_TOPMOST | WS_EX_TOOLWINDOW);
  headless::PumpUntilIdle();
  EXPECT_EQ(headless::GrabWindow(), popup);
  EXPECT_EQ(GetActiveWindow(), main);  // popups do not take the activation
  EXPECT_EQ(GetFocus(), button);
  RECT pr;
  GetWindowRect(popup, &pr);
  EXPECT_EQ(pr, (RECT{108, 230, 258, 330}));
  EXPECT_TRUE(IsWindowVisible(popup));

  TheLog().Clear();
  headless::Click(600, 500);      // bare screen
  headless::ClickAt(button, 5, 5);  // a window of ours outside the popup
  headless::ClickAt(popup, 10, 10);
  headless::KeyPress(VK_ESCAPE);
  headless::PumpUntilIdle();
  auto downs = TheLog().Of(WM_LBUTTONDOWN);
  ASSERT_EQ(downs.size(), 3u);
  for (const Rec& d : downs) EXPECT_EQ(d.hwnd, popup);
  EXPECT_EQ(GET_X_LPARAM(downs[0].lParam), 600 - 108);
  EXPECT_EQ(GET_Y_LPARAM(downs[0].lParam), 500 - 230);
  EXPECT_EQ(GET_X_LPARAM(downs[1].lParam), 115 - 108);
  EXPECT_EQ(GET_Y_LPARAM(downs[1].lParam), 65 - 230);
  EXPECT_EQ(GET_X_LPARAM(downs[2].lParam), 10);
  auto keys = TheLog().Of(WM_KEYDOWN);
  ASSERT_EQ(keys.size(), 1u);
  EXPECT_EQ(keys[0].hwnd, popup);
  EXPECT_EQ(keys[0].wParam, WPARAM(VK_ESCAPE));

  DestroyWindow(popup);
  EXPECT_EQ(headless::GrabWindow(), nullptr);
  EXPECT_EQ(GetFocus(), button);
  EXPECT_EQ(GetActiveWindow(), main);
}

TEST_F(Headless, ClassCursorIsShownAndTheOverrideWins) {
  HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW), wait = LoadCursorA(nullptr, IDC_WAIT),
          hand = LoadCursorA(nullptr, IDC_HAND);
  ASSERT_TRUE(arrow && wait && hand);
  EXPECT_EQ(LoadCursorA(nullptr, IDC_HAND), hand);  // shared
  EXPECT_EQ(CursorId(hand), 32649);
  EXPECT_EQ(LoadCursorA(nullptr, MAKEINTRESOURCEA(1)), nullptr);
  HWND main = Main();
  HWND link = Make(WS_CHILD | WS_VISIBLE, 10, 10, 50, 20, main, kRed);
  Hook() = [&](HWND h, UINT msg, WPARAM, LPARAM lp, LRESULT* r) {
    if (msg == WM_SETCURSOR && h == link && LOWORD(std::uintptr_t(lp)) == HTCLIENT) {
      SetCursor(hand);
      *r = TRUE;
      return true;
    }
    return false;
  };
  headless::MovePointerTo(main, 200, 150);
  EXPECT_EQ(headless::CursorAt(300, 200), arrow);
  headless::MovePointerTo(link, 5, 5);
  EXPECT_EQ(headless::CursorAt(115, 65), hand);
  SetOverrideCursor(wait);
  EXPECT_EQ(headless::CursorAt(115, 65), wait);
  headless::MovePointerTo(main, 200, 150);  // WM_SETCURSOR still runs but the override wins
  EXPECT_EQ(headless::CursorAt(300, 200), wait);
  EXPECT_EQ(SetOverrideCursor(nullptr), wait);
  EXPECT_EQ(headless::CursorAt(300, 200), arrow);
  EXPECT_EQ(headless::CursorAt(5, 5), nullptr);  // no window of ours there
}

TEST_F(Headless, DestroyOrderAndOwnedWindows) {
  HWND main = Main();
  HWND child = Make(WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, main, kRed);
  HWND grand = Make(WS_CHILD | WS_VISIBLE, 0, 0, 5, 5, child, kRed);
  HWND owned = Make(WS_POPUP | WS_CAPTION | WS_VISIBLE, 0, 0, 10, 10, main, kRed, "Owned");
  TheLog().Clear();
  EXPECT_TRUE(DestroyWindow(main));
  auto seq = TheLog().Seq({WM_DESTROY, WM_NCDESTROY});
  std::vector<std::pair<HWND, UINT>> want{{owned, WM_DESTROY}, {owned, WM_NCDESTROY}, {main, WM_DESTROY},
                                          {child, WM_DESTROY},  {grand, WM_DESTROY},   {grand, WM_NCDESTROY},
                                          {child, WM_NCDESTROY}, {main, WM_NCDESTROY}};
  EXPECT_EQ(seq, want);
  EXPECT_FALSE(IsWindow(main));
  EXPECT_FALSE(IsWindow(grand));
  EXPECT_FALSE(IsWindow(owned));
  EXPECT_TRUE(headless::TopLevelWindows().empty());
  EXPECT_FALSE(DestroyWindow(main));
}

TEST_F(Headless, CreateFailsWhenTheProcedureRefuses) {
  Hook() = [](HWND, UINT msg, WPARAM, LPARAM, LRESULT* r) {
    if (msg != WM_CREATE) return false;
    *r = -1;
    return true;
  };
  EXPECT_EQ(Make(WS_POPUP | WS_CAPTION, 0, 0, 10, 10, nullptr, kRed), nullptr);
  EXPECT_TRUE(headless::TopLevelWindows().empty());
  EXPECT_EQ(CreateWindowExA(0, "NoSuchClass", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr), nullptr);
}

TEST_F(Headless, GeometryAndTexts) {
  HWND main = Main();
  HWND child = Make(WS_CHILD | WS_VISIBLE, 20, 30, 40, 50, main, kRed);
  RECT r;
  GetWindowRect(child, &r);
  EXPECT_EQ(r, (RECT{120, 80, 160, 130}));
  GetClientRect(child, &r);
  EXPECT_EQ(r, (RECT{0, 0, 40, 50}));
  POINT p{1, 2};
  MapWindowPoints(child, main, &p, 1);
  EXPECT_EQ(p, (POINT{21, 32}));
  ScreenToClient(child, &p);
  EXPECT_EQ(p, (POINT{21 - 120, 32 - 80}));
  TheLog().Clear();
  MoveWindow(child, 5, 6, 70, 80, TRUE);
  ASSERT_EQ(TheLog().Of(WM_SIZE).size(), 1u);
  EXPECT_EQ(TheLog().Of(WM_SIZE)[0].lParam, MAKELPARAM(70, 80));
  EXPECT_EQ(TheLog().Of(WM_MOVE)[0].lParam, MAKELPARAM(5, 6));
  EXPECT_TRUE(SetWindowTextA(main, "Caf\xe9 Title"));
  char buf[6];
  EXPECT_EQ(GetWindowTextA(main, buf, sizeof buf), 5);
  EXPECT_STREQ(buf, "Caf\xe9 ");
  EXPECT_EQ(GetWindowTextLengthA(main), 10);
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 800);
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 600);
}

TEST_F(Headless, TimersFireAfterTheirIntervalInVirtualTime) {
  HWND main = Main();
  TheLog().Clear();
  DWORD start = headless::Now();
  ASSERT_EQ(SetTimer(main, 3, 250, nullptr), 3u);
  headless::PumpUntilIdle();
  EXPECT_TRUE(TheLog().Of(WM_TIMER).empty());
  MSG m;
  ASSERT_EQ(GetMessageA(&m, nullptr, 0, 0), 1);  // waits (virtually) for the timer
  EXPECT_EQ(m.message, WM_TIMER);
  EXPECT_EQ(m.wParam, 3u);
  EXPECT_EQ(headless::Now() - start, 250u);
  EXPECT_TRUE(KillTimer(main, 3));
  EXPECT_EQ(GetMessageA(&m, nullptr, 0, 0), -1);  // nothing can arrive any more
}

TEST_F(Headless, IdleHandlerFeedsTheMessageLoop) {
  HWND main = Main();
  int calls = 0;
  headless::SetIdleHandler([&] {
    ++calls;
    if (calls == 1) {
      headless::ClickAt(main, 5, 5);
    } else {
      PostQuitMessage(0);
    }
    return true;
  });
  MSG m;
  int clicks = 0;
  while (GetMessageA(&m, nullptr, 0, 0) > 0) {
    if (m.message == WM_LBUTTONDOWN) ++clicks;
    DispatchMessageA(&m);
  }
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(calls, 2);
}

TEST_F(Headless, DoubleClickNeedsTheClassStyleAndQuickSecondClick) {
  HWND main = Main();
  TheLog().Clear();
  headless::ClickAt(main, 10, 10);
  headless::ClickAt(main, 11, 10);
  headless::AdvanceTime(1000);
  headless::ClickAt(main, 11, 10);
  headless::PumpUntilIdle();
  EXPECT_EQ(TheLog().Of(WM_LBUTTONDBLCLK).size(), 1u);
  EXPECT_EQ(TheLog().Of(WM_LBUTTONDOWN).size(), 2u);
}

TEST_F(Headless, WheelGoesToTheWindowUnderThePointerAndBubblesUp) {
  HWND main = Main();
  HWND list = Make(WS_CHILD | WS_VISIBLE, 10, 10, 50, 50, main, kRed);
  TheLog().Clear();
  headless::MovePointerTo(list, 5, 5);
  headless::Wheel(-WHEEL_DELTA);
  headless::PumpUntilIdle();
  auto wheels = TheLog().Of(WM_MOUSEWHEEL);
  ASSERT_EQ(wheels.size(), 2u);  // the list's default handling passes it to its parent
  EXPECT_EQ(wheels[0].hwnd, list);
  EXPECT_EQ(wheels[1].hwnd, main);
  EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(wheels[0].wParam), -WHEEL_DELTA);
  EXPECT_EQ(GET_X_LPARAM(wheels[0].lParam), 115);  // screen coordinates, as Win32 gives them
  EXPECT_EQ(GET_Y_LPARAM(wheels[0].lParam), 65);
}

TEST_F(Headless, HiddenWindowIsNotPaintedUntilShown) {
  HWND w = Make(WS_POPUP | WS_CAPTION, 0, 0, 50, 50, nullptr, kRed, "Hidden");
  TheLog().Clear();
  headless::PumpUntilIdle();
  EXPECT_TRUE(TheLog().paints.empty());
  ShowWindow(w, SW_SHOW);
  headless::PumpUntilIdle();
  EXPECT_EQ(TheLog().paints.size(), 1u);
  EXPECT_TRUE(AreaIs(headless::PresentedFrame(w), RECT{0, 0, 50, 50}, kRed));
}

struct ClampCase {
  RECT in, out;
};
class ClampTest : public ::testing::TestWithParam<ClampCase> {};
TEST_P(ClampTest, PopupRectStaysOnTheWorkArea) {
  ASSERT_TRUE(headless::Enable(800, 600));
  EXPECT_EQ(ClampRectToWorkArea(GetParam().in), GetParam().out);
  ShutdownWindowSystem();
}
INSTANTIATE_TEST_SUITE_P(Cases, ClampTest,
                         ::testing::Values(ClampCase{{10, 10, 110, 60}, {10, 10, 110, 60}},
                                           ClampCase{{750, 580, 850, 630}, {700, 550, 800, 600}},
                                           ClampCase{{-20, -5, 80, 45}, {0, 0, 100, 50}},
                                           ClampCase{{100, 100, 1000, 200}, {0, 100, 800, 200}}));

}  // namespace

// Icons are checked whole before anything is taken: sizes bounded on each side and in
// sum, pixels present, top-level windows only.
TEST_F(Headless, WindowIconTakesOnlySoundSizesOfTopLevelWindows) {
  HWND main = Main();
  HWND child = Make(WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, main, kRed);
  std::vector<std::uint32_t> pixels(std::size_t(kMaxIconSide) * kMaxIconSide, 0xFF000000);
  const std::uint32_t* p = pixels.data();
  struct Case {
    const char* what;
    HWND hwnd;
    std::vector<IconPixels> sizes;
    BOOL taken;
  } cases[] = {
      {"application icon", nullptr, {{16, 16, p}, {32, 32, p}}, TRUE},
      {"own icon, largest side", main, {{kMaxIconSide, 1, p}}, TRUE},
      {"all pixels allowed in one size", main, {{kMaxIconSide, kMaxIconSide, p}}, TRUE},
      {"one pixel too many in all", main, {{kMaxIconSide, kMaxIconSide, p}, {1, 1, p}}, FALSE},
      {"removal", main, {}, TRUE},
      {"child window", child, {{16, 16, p}}, FALSE},
      {"zero width", main, {{16, 16, p}, {0, 16, p}}, FALSE},
      {"side too long", nullptr, {{16, kMaxIconSide + 1, p}}, FALSE},
      {"no pixels", main, {{16, 16, nullptr}}, FALSE},
  };
  for (const Case& c : cases)
    EXPECT_EQ(SetWindowIconPixels(c.hwnd, c.sizes.data(), int(c.sizes.size())), c.taken) << c.what;
  const IconPixels one{1, 1, p};
  EXPECT_FALSE(SetWindowIconPixels(main, &one, -1));
  EXPECT_FALSE(SetWindowIconPixels(main, nullptr, 1));
  DestroyWindow(child);
  EXPECT_FALSE(SetWindowIconPixels(child, nullptr, 0));
}
