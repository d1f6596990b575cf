// The window system as an object: the one opened last is current, destroying one takes its
// windows with it (their procedures still reach it while they go), and two open systems
// keep their windows, screens and classes apart.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <utility>

#include "platform/win/headless.h"
#include "platform/win/win_internal.h"
#include "win_test_util.h"

using namespace wintest;

namespace {

std::unique_ptr<WindowSystem> OpenHeadless(int width, int height) {
  WindowSystemOptions o;
  o.headlessWidth = width;
  o.headlessHeight = height;
  return WindowSystem::Open(WindowBackend::Headless, o);
}

void SetVariable(const char* name, const char* value) {
#ifdef _WIN32
  _putenv((std::string(name) + "=" + value).c_str());  // an empty value removes it
#else
  setenv(name, value, 1);
#endif
}

HWND MakeTop(const char* title) {
  return Make(WS_POPUP | WS_CAPTION | WS_VISIBLE, 10, 10, 60, 40, nullptr, RGB(10, 20, 30), title);
}

class WindowSystemObject : public ::testing::Test {
 protected:
  void SetUp() override {
    ShutdownWindowSystem();
    ASSERT_EQ(WindowSystem::Current(), nullptr);
    TheLog().Clear();
    Hook() = nullptr;
  }
  void TearDown() override { Hook() = nullptr; }
};

TEST_F(WindowSystemObject, TheOneOpenedLastIsCurrentUntilItGoes) {
  auto outer = OpenHeadless(640, 480);
  ASSERT_TRUE(outer);
  EXPECT_EQ(WindowSystem::Current(), outer.get());
  HWND a = MakeTop("A");
  ASSERT_TRUE(IsWindow(a));
  {
    auto inner = OpenHeadless(320, 200);
    ASSERT_TRUE(inner);
    EXPECT_EQ(WindowSystem::Current(), inner.get());
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 320);
    EXPECT_FALSE(IsWindow(a));  // a window of the other system
    EXPECT_TRUE(headless::TopLevelWindows().empty());
    HWND b = MakeTop("B");
    EXPECT_TRUE(IsWindow(b));
    EXPECT_EQ(GetActiveWindow(), b);
  }
  EXPECT_EQ(WindowSystem::Current(), outer.get());
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 640);
  EXPECT_TRUE(IsWindow(a));
  EXPECT_EQ(GetActiveWindow(), a);
  EXPECT_EQ(headless::TopLevelWindows(), std::vector<HWND>{a});
  outer.reset();
  EXPECT_EQ(WindowSystem::Current(), nullptr);
  EXPECT_FALSE(WindowSystemRunning());
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);  // the default without a screen
}

TEST_F(WindowSystemObject, DestroyedOutOfOrderItsWindowsStillReachItWhileTheyGo) {
  auto first = OpenHeadless(640, 480);
  HWND top = MakeTop("Top");
  HWND child = Make(WS_CHILD | WS_VISIBLE, 5, 5, 20, 20, top, RGB(1, 2, 3));
  auto second = OpenHeadless(640, 480);
  std::vector<std::pair<HWND, bool>> destroyed;  // window, still a window during WM_DESTROY
  Hook() = [&](HWND h, UINT m, WPARAM, LPARAM, LRESULT*) {
    if (m == WM_DESTROY) destroyed.emplace_back(h, IsWindow(h) && GetParent(child) == top);
    return false;
  };
  first.reset();
  EXPECT_EQ(WindowSystem::Current(), second.get());
  std::vector<std::pair<HWND, bool>> expected{{top, true}, {child, true}};
  EXPECT_EQ(destroyed, expected);
  second.reset();
  EXPECT_EQ(WindowSystem::Current(), nullptr);
}

TEST_F(WindowSystemObject, AClassInUseInAnyOpenSystemStaysRegistered) {
  WNDCLASSA wc;
  wc.lpfnWndProc = &DefWindowProcA;
  wc.lpszClassName = "WinTestShared";
  ASSERT_NE(RegisterClassA(&wc), 0);
  auto first = OpenHeadless(640, 480);
  ASSERT_TRUE(CreateWindowExA(0, "WinTestShared", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr));
  auto second = OpenHeadless(640, 480);
  EXPECT_FALSE(UnregisterClassA("WinTestShared", nullptr));
  first.reset();
  EXPECT_TRUE(UnregisterClassA("WinTestShared", nullptr));
}

TEST_F(WindowSystemObject, InitWindowSystemStacksAboveTheProgramsOwnAndShutsOnlyItsOwnDown) {
  auto program = OpenHeadless(640, 480);
  ASSERT_TRUE(headless::Enable(800, 600));
  EXPECT_NE(WindowSystem::Current(), program.get());
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 800);
  ShutdownWindowSystem();
  EXPECT_EQ(WindowSystem::Current(), program.get());
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 640);
}

}  // namespace

// The density: the given one, else LB_SCREEN_DPI when it is a sound number, else the
// screen's (a headless screen says nothing: 96); no system at all is 96 too.
TEST_F(WindowSystemObject, DensityIsTheGivenOneElseTheVariablesElseTheScreens) {
  EXPECT_EQ(GetDpiForSystem(), 96u);
  const std::pair<const char*, UINT> cases[] = {{"192", 192}, {" 143.6", 144}, {"23.5", 24}, {"12", 96}, {"2x", 96}, {"", 96}};
  for (const auto& [text, want] : cases) {
    SetVariable("LB_SCREEN_DPI", text);
    auto ws = OpenHeadless(100, 100);
    EXPECT_EQ(GetDpiForSystem(), want) << text;
    EXPECT_EQ(GetDpiForWindow(MakeTop("t")), want) << text;
  }
  WindowSystemOptions o;
  o.pixelsPerInch = 960;
  auto ws = WindowSystem::Open(WindowBackend::Headless, o);
  EXPECT_EQ(GetDpiForSystem(), 960u);
  SetVariable("LB_SCREEN_DPI", "");
}

struct XftCase {
  const char* resources;
  int dpi;
};
class XftDpi : public ::testing::TestWithParam<XftCase> {};
TEST_P(XftDpi, IsReadFromTheResourceString) {
  EXPECT_EQ(winsys::XftDpiFromResources(GetParam().resources), GetParam().dpi);
}
INSTANTIATE_TEST_SUITE_P(Table, XftDpi,
                         ::testing::Values(XftCase{"Xft.dpi:\t192\n", 192},
                                           XftCase{"Xft.antialias:\t1\nXft.dpi:\t144.0\nXft.hinting:\t1\n", 144},
                                           XftCase{"Xft.dpi:\t96\nXft.dpi:\t120", 120}, XftCase{"Xft.dpix:\t192\n", 0},
                                           XftCase{"Xcursor.size:\t48\n", 0}, XftCase{"Xft.dpi:\t10\n", 0},
                                           XftCase{"Xft.dpi:\tbig\n", 0}, XftCase{"", 0}, XftCase{nullptr, 0}));
