// The X11 backend against a private Xvfb without a window manager: placement, presented
// pixels, titles and hints, popups and their grab, keys and cursors. Skipped when Xvfb is
// not installed.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/gdi/surface.h"
#include "win_test_util.h"
#include "xvfb/xvfb.h"

#define Window XWindow
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/cursorfont.h>
#include <X11/extensions/Xfixes.h>
#undef Window

using namespace wintest;

namespace {

constexpr COLORREF kGrey = RGB(90, 90, 90);
constexpr COLORREF kRed = RGB(200, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 220);

testxvfb::PrivateXvfb* g_server = nullptr;
bool g_serverTried = false;
// One server for the whole test program, stopped when it exits.
struct ServerStopper {
  ~ServerStopper() {
    if (g_server) g_server->Stop();
  }
} g_stopper;

// Runs a command with the test display, returns its standard output.
std::string RunCommand(const std::string& command) {
  std::string out;
  FILE* f = popen(command.c_str(), "r");
  if (!f) return out;
  char buf[256];
  while (std::fgets(buf, sizeof buf, f)) out += buf;
  pclose(f);
  return out;
}

// Pumps until the condition holds or the time is up.
bool WaitFor(const std::function<bool()>& cond, int ms = 2000) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  for (;;) {
    PumpPendingMessages();
    if (cond()) return true;
    if (std::chrono::steady_clock::now() > end) return false;
    WaitMessageTimeout(10);
  }
}

class X11 : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (!g_serverTried) {
      g_serverTried = true;
      auto* s = new testxvfb::PrivateXvfb;
      if (s->Start()) {
        g_server = s;
      } else {
        s->Stop();
        delete s;
      }
    }
  }
  void SetUp() override {
    if (!g_server) GTEST_SKIP() << "Xvfb is not installed or did not start";
    WindowSystemOptions o;
    o.useSharedMemory = UseShm();
    ASSERT_TRUE(InitWindowSystem(WindowBackend::X11, o)) << WindowSystemError();
    dpy_ = XOpenDisplay(nullptr);
    ASSERT_NE(dpy_, nullptr);
    TheLog().Clear();
    Hook() = nullptr;
  }
  void TearDown() override {
    Hook() = nullptr;
    if (dpy_) XCloseDisplay(dpy_);
    ShutdownWindowSystem();
  }
  virtual bool UseShm() const { return true; }

  bool Viewable(HWND w) {
    XWindowAttributes a;
    return XGetWindowAttributes(dpy_, XWindow(GetNativeWindowId(w)), &a) && a.map_state == IsViewable;
  }
  // Shows a window and waits until the server shows its first frame.
  HWND Shown(DWORD style, int x, int y, int w, int h, HWND owner, COLORREF c, const char* title = "",
             DWORD ex = 0) {
    HWND hwnd = Make(style | WS_VISIBLE, x, y, w, h, owner, c, title, ex);
    EXPECT_TRUE(WaitFor([&] { return Viewable(hwnd); }));
    PumpPendingMessages();
    XSync(dpy_, False);
    return hwnd;
  }
  RECT XGeometry(HWND w) {
    XWindow xw = XWindow(GetNativeWindowId(w)), child;
    int x = 0, y = 0;
    XTranslateCoordinates(dpy_, xw, DefaultRootWindow(dpy_), 0, 0, &x, &y, &child);
    XWindowAttributes a;
    XGetWindowAttributes(dpy_, xw, &a);
    return RECT{x, y, x + a.width, y + a.height};
  }
  void WarpPointer(int x, int y) {
    XWarpPointer(dpy_, None, DefaultRootWindow(dpy_), 0, 0, 0, 0, x, y);
    XSync(dpy_, False);
  }
  std::string Xdotool(const std::string& args) { return RunCommand("xdotool " + args + " 2>/dev/null"); }

  Display* dpy_ = nullptr;
};

class X11Present : public X11, public ::testing::WithParamInterface<bool> {
 protected:
  bool UseShm() const override { return GetParam(); }
};

TEST_P(X11Present, WindowSitsWhereAskedAndShowsItsBackBuffer) {
  HWND main = Shown(WS_POPUP | WS_CAPTION, 100, 80, 220, 150, nullptr, kGrey, "Pixels");
  Make(WS_CHILD | WS_VISIBLE, 30, 20, 60, 40, main, kRed);
  Make(WS_CHILD | WS_VISIBLE, 70, 50, 100, 90, main, kBlue);
  ASSERT_TRUE(WaitFor([] { return true; }));
  XSync(dpy_, False);
  EXPECT_EQ(XGeometry(main), (RECT{100, 80, 320, 230}));
  if (GetParam()) {
    EXPECT_TRUE(WindowSystemUsesSharedMemory());
  }

  // What the screen shows inside the window is its back buffer, pixel for pixel.
  auto showsBackBuffer = [&](int width, int height) {
    XImage* img = XGetImage(dpy_, DefaultRootWindow(dpy_), 100, 80, unsigned(width), unsigned(height), AllPlanes, ZPixmap);
    EXPECT_NE(img, nullptr);
    HBITMAP back = GetBackBufferBitmap(main);
    EXPECT_NE(back, nullptr);
    if (!img || !back) return;
    SurfaceView backPixels(back);
    EXPECT_EQ(backPixels.Width(), width);
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) {
        unsigned long shown = XGetPixel(img, x, y) & 0xFFFFFF;
        std::uint32_t want;
        std::memcpy(&want, backPixels.Row(y) + x * 4, 4);
        want &= 0xFFFFFF;
        if (shown != want) {
          ADD_FAILURE() << "pixel (" << x << ", " << y << ") shows 0x" << std::hex << shown << ", back buffer 0x"
                        << Px(want);
          XDestroyImage(img);
          return;
        }
      }
    EXPECT_EQ(XGetPixel(img, 40, 30) & 0xFFFFFF, Px(kRed));
    EXPECT_EQ(XGetPixel(img, 100, 100) & 0xFFFFFF, Px(kBlue));
    EXPECT_EQ(XGetPixel(img, 5, 5) & 0xFFFFFF, Px(kGrey));
    XDestroyImage(img);
  };
  showsBackBuffer(220, 150);
  // A new size brings a new back buffer (in shared memory, a new segment).
  SetWindowPos(main, nullptr, 0, 0, 260, 170, SWP_NOMOVE | SWP_NOZORDER);
  ASSERT_TRUE(WaitFor([&] { return XGeometry(main) == RECT{100, 80, 360, 250}; }));
  XSync(dpy_, False);
  showsBackBuffer(260, 170);
  EXPECT_EQ(XGeometry(main), (RECT{100, 80, 360, 250}));
}

INSTANTIATE_TEST_SUITE_P(SharedMemory, X11Present, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "Shm" : "PutImage"; });

TEST_F(X11, TitleHintsAndClassAreSet) {
  HWND main = Shown(WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, 10, 10, 120, 90, nullptr, kGrey,
                    "Brimlow Start \xe9\x99");
  XWindow xw = XWindow(GetNativeWindowId(main));
  std::string found = Xdotool("search --name 'Brimlow Start'");
  EXPECT_NE(found.find(std::to_string(xw)), std::string::npos) << found;

  Atom netName = XInternAtom(dpy_, "_NET_WM_NAME", False), utf8 = XInternAtom(dpy_, "UTF8_STRING", False);
  Atom type;
  int format;
  unsigned long n, after;
  unsigned char* data = nullptr;
  ASSERT_EQ(XGetWindowProperty(dpy_, xw, netName, 0, 64, False, utf8, &type, &format, &n, &after, &data), Success);
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(data), n), "Brimlow Start \xc3\xa9\xe2\x84\xa2");
  XFree(data);

  XSizeHints hints;
  long supplied;
  ASSERT_TRUE(XGetWMNormalHints(dpy_, xw, &hints, &supplied));
  EXPECT_TRUE((hints.flags & PMinSize) && (hints.flags & PMaxSize));
  EXPECT_EQ(hints.min_width, 120);
  EXPECT_EQ(hints.max_width, 120);
  EXPECT_EQ(hints.min_height, 90);
  EXPECT_EQ(hints.max_height, 90);
  // The position given is the client area's, whatever frame a window manager puts around it.
  EXPECT_TRUE((hints.flags & PWinGravity) && hints.win_gravity == StaticGravity);

  XClassHint cls;
  ASSERT_TRUE(XGetClassHint(dpy_, xw, &cls));
  EXPECT_STRNE(cls.res_name, "");
  XFree(cls.res_name);
  XFree(cls.res_class);
  // The frame asked of the window manager: functions move, close, minimise; decorations
  // border, title, menu, minimise button.
  Atom motif = XInternAtom(dpy_, "_MOTIF_WM_HINTS", False);
  ASSERT_EQ(XGetWindowProperty(dpy_, xw, motif, 0, 5, False, motif, &type, &format, &n, &after, &data), Success);
  EXPECT_EQ(std::vector<long>(reinterpret_cast<long*>(data), reinterpret_cast<long*>(data) + n),
            (std::vector<long>{1 | 2, 4 | 32 | 8, 2 | 8 | 16 | 32, 0, 0}));
  XFree(data);

  HWND dialog = Shown(WS_POPUP | WS_CAPTION, 30, 30, 50, 50, main, kRed, "Dialog");
  XWindow transientFor = 0;
  ASSERT_TRUE(XGetTransientForHint(dpy_, XWindow(GetNativeWindowId(dialog)), &transientFor));
  EXPECT_EQ(transientFor, xw);
}

// The 32-bit items of a window's _NET_WM_ICON, empty when it has none.
std::vector<std::uint32_t> NetWmIcon(Display* dpy, XWindow w) {
  Atom type;
  int format;
  unsigned long n = 0, after = 0;
  unsigned char* data = nullptr;
  std::vector<std::uint32_t> items;
  if (XGetWindowProperty(dpy, w, XInternAtom(dpy, "_NET_WM_ICON", False), 0, 1 << 20, False, XA_CARDINAL, &type,
                         &format, &n, &after, &data) == Success &&
      data && format == 32) {
    for (unsigned long i = 0; i < n; ++i) items.push_back(std::uint32_t(reinterpret_cast<long*>(data)[i]));
  }
  if (data) XFree(data);
  return items;
}

TEST_F(X11, ClassAndIconsReachTheWindowManager) {
  WindowSystemOptions o;
  o.applicationClass = "Brimlow";
  ASSERT_TRUE(InitWindowSystem(WindowBackend::X11, o)) << WindowSystemError();
  const std::uint32_t two[4] = {0xFF102030, 0x80FFFFFF, 0x00000000, 0xFFABCDEF}, one[1] = {0x7F00FF00};
  const IconPixels app[] = {{1, 1, one}, {2, 2, two}}, own[] = {{1, 1, two}};
  const std::vector<std::uint32_t> appItems = {1, 1, 0x7F00FF00, 2, 2, 0xFF102030, 0x80FFFFFF, 0, 0xFFABCDEF};
  const std::vector<std::uint32_t> ownItems = {1, 1, 0xFF102030};

  HWND before = Shown(WS_POPUP | WS_CAPTION, 10, 10, 60, 40, nullptr, kGrey, "Before");
  ASSERT_TRUE(SetWindowIconPixels(nullptr, app, 2));
  HWND after = Shown(WS_POPUP | WS_CAPTION, 90, 10, 60, 40, nullptr, kGrey, "After");
  HWND menu = Shown(WS_POPUP, 10, 90, 60, 40, after, kRed);
  auto icon = [&](HWND w) {
    XSync(dpy_, False);
    return NetWmIcon(dpy_, XWindow(GetNativeWindowId(w)));
  };
  // The library writes through a connection of its own; the server may read ours first.
  auto iconBecomes = [&](HWND w, const std::vector<std::uint32_t>& expected) {
    WaitFor([&] { return icon(w) == expected; });
    return icon(w);
  };
  EXPECT_EQ(iconBecomes(before, appItems), appItems);
  EXPECT_EQ(iconBecomes(after, appItems), appItems);
  EXPECT_TRUE(icon(menu).empty());
  XClassHint cls;
  ASSERT_TRUE(XGetClassHint(dpy_, XWindow(GetNativeWindowId(after)), &cls));
  EXPECT_STREQ(cls.res_class, "Brimlow");
  XFree(cls.res_name);
  XFree(cls.res_class);

  // A window's own icon wins over the application's and outlives its removal; a rejected
  // icon changes nothing; removing the own icon brings the application's back.
  ASSERT_TRUE(SetWindowIconPixels(after, own, 1));
  ASSERT_TRUE(SetWindowIconPixels(nullptr, nullptr, 0));
  EXPECT_EQ(iconBecomes(after, ownItems), ownItems);
  EXPECT_TRUE(iconBecomes(before, {}).empty());
  const IconPixels bad[] = {{1, 1, one}, {0, 1, one}};
  EXPECT_FALSE(SetWindowIconPixels(after, bad, 2));
  EXPECT_EQ(iconBecomes(after, ownItems), ownItems);
  ASSERT_TRUE(SetWindowIconPixels(nullptr, app, 2));
  ASSERT_TRUE(SetWindowIconPixels(after, nullptr, 0));
  EXPECT_EQ(iconBecomes(after, appItems), appItems);
  EXPECT_EQ(iconBecomes(before, appItems), appItems);
}

TEST_F(X11, CloseRequestOfTheWindowManagerArrivesAsClose) {
  HWND main = Shown(WS_POPUP | WS_CAPTION, 10, 10, 60, 60, nullptr, kGrey, "Closable");
  XEvent e{};
  e.xclient.type = ClientMessage;
  e.xclient.window = XWindow(GetNativeWindowId(main));
  e.xclient.message_type = XInternAtom(dpy_, "WM_PROTOCOLS", False);
  e.xclient.format = 32;
  e.xclient.data.l[0] = long(XInternAtom(dpy_, "WM_DELETE_WINDOW", False));
  XSendEvent(dpy_, e.xclient.window, False, NoEventMask, &e);
  XSync(dpy_, False);
  EXPECT_TRUE(WaitFor([&] { return !IsWindow(main); }));
  EXPECT_EQ(TheLog().Of(WM_CLOSE).size(), 1u);
}

TEST_F(X11, PopupNearTheBottomEdgeExtendsBelowItsOwnerAndTakesRootClicks) {
  HWND main = Shown(WS_POPUP | WS_CAPTION, 100, 100, 300, 200, nullptr, kGrey, "Owner");
  HWND popup = Shown(WS_POPUP, 108, 280, 150, 100, main, kBlue, "", WS_EX_TOPMOST | WS_EX_TOOLWINDOW);
  RECT g = XGeometry(popup);
  EXPECT_EQ(g, (RECT{108, 280, 258, 380}));
  EXPECT_GT(g.bottom, XGeometry(main).bottom);
  XWindowAttributes a;
  XGetWindowAttributes(dpy_, XWindow(GetNativeWindowId(popup)), &a);
  EXPECT_TRUE(a.override_redirect);

  bool outside = false;
  Hook() = [&](HWND h, UINT msg, WPARAM, LPARAM lp, LRESULT*) {
    if (h == popup && msg == WM_LBUTTONDOWN) {
      RECT r;
      GetClientRect(popup, &r);
      if (!PtInRect(r, POINT{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)})) {
        outside = GET_X_LPARAM(lp) == 900 - 108 && GET_Y_LPARAM(lp) == 700 - 280;
        DestroyWindow(popup);  // what a menu does
      }
    }
    return false;
  };
  Xdotool("mousemove 900 700 click 1");
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(popup); })) << "the click on the root never reached the popup";
  EXPECT_TRUE(outside);
  // The grab is gone: another client can grab the pointer now.
  XSync(dpy_, False);
  EXPECT_TRUE(WaitFor([&] {
    int r = XGrabPointer(dpy_, DefaultRootWindow(dpy_), False, ButtonPressMask, GrabModeAsync, GrabModeAsync, None,
                         None, CurrentTime);
    if (r == GrabSuccess) XUngrabPointer(dpy_, CurrentTime);
    return r == GrabSuccess;
  }));
}

TEST_F(X11, KeysArriveAsVirtualKeysAndAltKeysAsSystemKeys) {
  HWND main = Shown(WS_POPUP | WS_CAPTION, 50, 50, 100, 100, nullptr, kGrey, "Keys");
  ASSERT_EQ(GetActiveWindow(), main);
  SetFocus(main);
  WarpPointer(60, 60);
  ASSERT_TRUE(WaitFor([&] {
    XWindow focus;
    int revert;
    XGetInputFocus(dpy_, &focus, &revert);
    return focus == XWindow(GetNativeWindowId(main));
  }));
  auto pumpMessages = [] {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&m);
      DispatchMessageA(&m);
    }
  };
  TheLog().Clear();
  Xdotool("key --clearmodifiers a Return alt+f");
  ASSERT_TRUE(WaitFor([&] {
    pumpMessages();
    return !TheLog().Of(WM_SYSCHAR).empty();
  }));
  auto chars = TheLog().Of(WM_CHAR);
  ASSERT_EQ(chars.size(), 2u);
  EXPECT_EQ(chars[0].wParam, WPARAM('a'));
  EXPECT_EQ(chars[1].wParam, WPARAM('\r'));
  EXPECT_EQ(TheLog().Of(WM_KEYDOWN)[0].wParam, WPARAM('A'));
  EXPECT_EQ(TheLog().Of(WM_KEYDOWN)[1].wParam, WPARAM(VK_RETURN));
  auto sys = TheLog().Of(WM_SYSKEYDOWN);
  ASSERT_EQ(sys.size(), 2u);
  EXPECT_EQ(sys[0].wParam, WPARAM(VK_MENU));
  EXPECT_EQ(sys[1].wParam, WPARAM('F'));
  EXPECT_EQ(TheLog().Of(WM_SYSCHAR)[0].wParam, WPARAM('f'));
}

// The cursor image the server shows now.
struct CursorShot {
  int w = 0, h = 0, xhot = 0, yhot = 0;
  std::vector<unsigned long> pixels;
  bool operator==(const CursorShot&) const = default;
};

CursorShot ShotOf(Display* dpy) {
  CursorShot s;
  XFixesCursorImage* c = XFixesGetCursorImage(dpy);
  if (!c) return s;
  s.w = c->width;
  s.h = c->height;
  s.xhot = c->xhot;
  s.yhot = c->yhot;
  s.pixels.assign(c->pixels, c->pixels + std::size_t(c->width) * c->height);
  XFree(c);
  return s;
}

struct CursorCase {
  const char* name;
  LPCSTR id;
  unsigned shape;
};

class X11Cursor : public X11, public ::testing::WithParamInterface<CursorCase> {};

TEST_P(X11Cursor, ShownCursorIsTheFontCursor) {
  int base, err;
  if (!XFixesQueryExtension(dpy_, &base, &err)) GTEST_SKIP() << "no XFixes";
  // Reference: a plain window of another client with the same font cursor.
  XWindow ref = XCreateSimpleWindow(dpy_, DefaultRootWindow(dpy_), 700, 500, 60, 60, 0, 0, 0);
  Cursor font = XCreateFontCursor(dpy_, GetParam().shape);
  XDefineCursor(dpy_, ref, font);
  XMapRaised(dpy_, ref);
  XSync(dpy_, False);
  WarpPointer(720, 520);
  CursorShot want;
  ASSERT_TRUE(WaitFor([&] {
    want = ShotOf(dpy_);
    return want.w > 0 && !want.pixels.empty();
  }));

  HCURSOR cursor = LoadCursorA(nullptr, GetParam().id);
  HWND main = Shown(WS_POPUP | WS_CAPTION, 100, 100, 200, 200, nullptr, kGrey, "Cursor");
  WarpPointer(150, 150);
  CursorShot shown;
  if (GetParam().shape != XC_left_ptr) {
    // The class cursor (the arrow) first, so that a match below means something.
    EXPECT_TRUE(WaitFor([&] {
      shown = ShotOf(dpy_);
      return !shown.pixels.empty() && !(shown == want);
    }));
  }
  // Through the override (the busy cursor's way) ...
  SetOverrideCursor(cursor);
  EXPECT_TRUE(WaitFor([&] {
    shown = ShotOf(dpy_);
    return shown == want;
  })) << "override cursor " << GetParam().name << " not shown";
  // ... and through WM_SETCURSOR.
  SetOverrideCursor(LoadCursorA(nullptr, GetParam().id == IDC_ARROW ? IDC_WAIT : IDC_ARROW));
  Hook() = [&](HWND, UINT msg, WPARAM, LPARAM, LRESULT* r) {
    if (msg != WM_SETCURSOR) return false;
    SetCursor(cursor);
    *r = TRUE;
    return true;
  };
  SetOverrideCursor(nullptr);
  WarpPointer(160, 160);
  EXPECT_TRUE(WaitFor([&] {
    shown = ShotOf(dpy_);
    return shown == want;
  })) << "window cursor " << GetParam().name << " not shown";
  XFreeCursor(dpy_, font);
  XDestroyWindow(dpy_, ref);
  DestroyWindow(main);
}

INSTANTIATE_TEST_SUITE_P(Stock, X11Cursor,
                         ::testing::Values(CursorCase{"arrow", IDC_ARROW, XC_left_ptr},
                                           CursorCase{"hourglass", IDC_WAIT, XC_watch},
                                           CursorCase{"hand", IDC_HAND, XC_hand2}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(X11Start, MissingDisplayGivesAClearErrorNotACrash) {
  const char* old = std::getenv("DISPLAY");
  std::string saved = old ? old : "";
  setenv("DISPLAY", ":9999", 1);
  EXPECT_FALSE(InitWindowSystem(WindowBackend::Auto));
  EXPECT_NE(std::string(WindowSystemError()).find(":9999"), std::string::npos) << WindowSystemError();
  unsetenv("DISPLAY");
  EXPECT_FALSE(InitWindowSystem(WindowBackend::X11));
  EXPECT_NE(std::string(WindowSystemError()).find("DISPLAY"), std::string::npos);
  EXPECT_FALSE(WindowSystemRunning());
  if (old) setenv("DISPLAY", saved.c_str(), 1);
}

}  // namespace
