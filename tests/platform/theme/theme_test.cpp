// The visual-style service: the classic-look switch, theme handles, part geometry, the
// push button in its five states (golden image plus named pixels) and the parent's
// background.
#include <cstdlib>

#include "support/posixcompat.h"

#include <gtest/gtest.h>

#include "platform/theme/theme.h"
#include "platform/win/headless.h"
#include "support/golden.h"

namespace {

// Runs first in a plain run (and in a process of its own under CTest): until the program
// sets the properties, the environment decides.
TEST(ThemeSwitch, EnvironmentTurnsTheClassicLookOn) {
  setenv("LB_CLASSIC_LOOK", "1", 1);
  EXPECT_FALSE(IsAppThemed());
  EXPECT_EQ(OpenThemeData(nullptr, "BUTTON"), nullptr);
  setenv("LB_CLASSIC_LOOK", "0", 1);
  EXPECT_TRUE(IsAppThemed());
  unsetenv("LB_CLASSIC_LOOK");
  EXPECT_TRUE(IsAppThemed()) << "on by default";
}

TEST(ThemeSwitch, PropertiesOverrideTheEnvironment) {
  setenv("LB_CLASSIC_LOOK", "1", 1);
  SetThemeAppProperties(STAP_ALLOW_NONCLIENT | STAP_ALLOW_CONTROLS);
  EXPECT_TRUE(IsAppThemed());
  unsetenv("LB_CLASSIC_LOOK");
  SetThemeAppProperties(STAP_ALLOW_NONCLIENT);
  EXPECT_FALSE(IsAppThemed());
  EXPECT_EQ(OpenThemeData(nullptr, "BUTTON"), nullptr);
  SetThemeAppProperties(STAP_ALLOW_CONTROLS);
}

TEST(ThemeData, ClassListsAndGeometry) {
  SetThemeAppProperties(STAP_ALLOW_CONTROLS);
  EXPECT_EQ(OpenThemeData(nullptr, "EDIT"), nullptr);
  HTHEME theme = OpenThemeData(nullptr, "Edit; button");
  ASSERT_NE(theme, nullptr);
  RECT content, extent;
  const RECT bounds{10, 20, 85, 45};
  EXPECT_EQ(GetThemeBackgroundContentRect(theme, nullptr, BP_PUSHBUTTON, PBS_NORMAL, &bounds, &content), S_OK);
  EXPECT_EQ(content, (RECT{13, 23, 82, 42}));
  EXPECT_EQ(GetThemeBackgroundExtent(theme, nullptr, BP_PUSHBUTTON, PBS_HOT, &content, &extent), S_OK);
  EXPECT_EQ(extent, bounds);
  for (int state = PBS_NORMAL; state <= PBS_DEFAULTED; ++state)
    EXPECT_TRUE(IsThemeBackgroundPartiallyTransparent(theme, BP_PUSHBUTTON, state)) << state;
  EXPECT_FALSE(IsThemeBackgroundPartiallyTransparent(theme, 2, PBS_NORMAL));
  EXPECT_EQ(DrawThemeBackground(theme, GetDC(nullptr), BP_PUSHBUTTON, 6, &bounds, nullptr), E_INVALIDARG);
  EXPECT_EQ(CloseThemeData(theme), S_OK);
}

// Five 75 x 25 buttons (normal, hot, pressed, disabled, defaulted) 8 pixels apart on the
// button face colour.
constexpr int kW = 75, kH = 25, kGap = 8;
constexpr COLORREF kFace = RGB(240, 240, 240);

struct Sheet {
  Sheet() : dc(CreateCompatibleDC(nullptr)) {
    BITMAPINFO info;
    info.bmiHeader.biWidth = kGap + 5 * (kW + kGap);
    info.bmiHeader.biHeight = -(kH + 2 * kGap);
    info.bmiHeader.biBitCount = 32;
    void* bits;
    bmp.reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    SelectObject(dc.get(), bmp.get());
    const RECT all{0, 0, info.bmiHeader.biWidth, -info.bmiHeader.biHeight};
    FillSolidRect(dc.get(), all, kFace);
  }
  ~Sheet() { SelectObject(dc.get(), GetStockObject(DEFAULT_BITMAP)); }
  static int Left(int state) { return kGap + (state - 1) * (kW + kGap); }
  COLORREF At(int state, int x, int y) { return GetPixel(dc.get(), Left(state) + x, kGap + y); }
  DcPtr dc;
  GdiPtr<GdiBitmap> bmp;
};

struct NamedPixel {
  const char* what;
  int state, x, y;
  COLORREF color;
};

class PushButtonLookTest : public ::testing::TestWithParam<NamedPixel> {};

TEST_P(PushButtonLookTest, Pixel) {
  SetThemeAppProperties(STAP_ALLOW_CONTROLS);
  HTHEME theme = OpenThemeData(nullptr, "BUTTON");
  Sheet sheet;
  for (int state = PBS_NORMAL; state <= PBS_DEFAULTED; ++state) {
    const RECT r{Sheet::Left(state), kGap, Sheet::Left(state) + kW, kGap + kH};
    ASSERT_EQ(DrawThemeBackground(theme, sheet.dc.get(), BP_PUSHBUTTON, state, &r, nullptr), S_OK);
  }
  const NamedPixel& p = GetParam();
  EXPECT_EQ(sheet.At(p.state, p.x, p.y), p.color) << p.what;
  if (p.state == PBS_NORMAL && p.x == 0 && p.y == 0)
    testsupport::ExpectMatchesGolden(testsupport::ImageFromBitmap(sheet.bmp.get()), "theme_pushbutton_states");
}

INSTANTIATE_TEST_SUITE_P(
    States, PushButtonLookTest,
    ::testing::Values(NamedPixel{"outer corner shows the parent", PBS_NORMAL, 0, 0, kFace},
                      NamedPixel{"normal border", PBS_NORMAL, 37, 0, RGB(173, 173, 173)},
                      NamedPixel{"normal face, top row", PBS_NORMAL, 37, 1, RGB(253, 253, 253)},
                      NamedPixel{"normal face, bottom row", PBS_NORMAL, 37, 23, RGB(229, 229, 229)},
                      NamedPixel{"hot border", PBS_HOT, 0, 12, RGB(72, 140, 214)},
                      NamedPixel{"pressed face, top row", PBS_PRESSED, 37, 1, RGB(190, 217, 245)},
                      NamedPixel{"disabled face", PBS_DISABLED, 37, 12, RGB(245, 245, 245)},
                      NamedPixel{"default ring", PBS_DEFAULTED, 37, 1, RGB(153, 200, 242)},
                      NamedPixel{"default face inside the ring", PBS_DEFAULTED, 37, 2, RGB(253, 253, 253)},
                      NamedPixel{"corner outside the ring shows the parent", PBS_DEFAULTED, 74, 24, kFace}));

TEST(PushButtonLook, ClipLimitsTheDrawing) {
  Sheet sheet;
  HTHEME theme = OpenThemeData(nullptr, "BUTTON");
  const RECT r{kGap, kGap, kGap + kW, kGap + kH}, clip{kGap, kGap, kGap + 10, kGap + kH};
  DrawThemeBackground(theme, sheet.dc.get(), BP_PUSHBUTTON, PBS_NORMAL, &r, &clip);
  EXPECT_EQ(sheet.At(PBS_NORMAL, 9, 0), RGB(173, 173, 173));
  EXPECT_EQ(sheet.At(PBS_NORMAL, 10, 0), kFace);
}

// A parent that erases in blue and paints a red marker at (12, 7); its child sits at
// (10, 5) with size 8 x 6.
LRESULT MarkedParentProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_ERASEBKGND) {
    FillSolidRect(reinterpret_cast<HDC>(wp), RECT{0, 0, 20, 12}, RGB(0, 0, 255));
    return 1;
  }
  if (msg == WM_PRINTCLIENT) {
    SetPixel(reinterpret_cast<HDC>(wp), 12, 7, RGB(255, 0, 0));
    return 0;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

TEST(DrawThemeParentBackground, ShowsTheParentUnderTheChild) {
  ASSERT_TRUE(headless::Enable(200, 100));
  WNDCLASSA wc;
  wc.lpfnWndProc = MarkedParentProc;
  wc.lpszClassName = "ThemeTestParent";
  RegisterClassA(&wc);
  HWND parent = CreateWindowExA(0, "ThemeTestParent", "", WS_POPUP, 0, 0, 20, 12, nullptr, nullptr, nullptr, nullptr);
  HWND child = CreateWindowExA(0, "ThemeTestParent", "", WS_CHILD, 10, 5, 8, 6, parent, nullptr, nullptr, nullptr);
  Sheet sheet;
  HDC dc = sheet.dc.get();
  EXPECT_EQ(DrawThemeParentBackground(parent, dc, nullptr), E_FAIL) << "a top-level window has no parent";
  const RECT left{0, 0, 4, 6};
  EXPECT_EQ(DrawThemeParentBackground(child, dc, &left), S_OK);
  EXPECT_EQ(GetPixel(dc, 2, 2), RGB(255, 0, 0)) << "parent (12, 7) lands on child (2, 2)";
  EXPECT_EQ(GetPixel(dc, 0, 5), RGB(0, 0, 255));
  EXPECT_EQ(GetPixel(dc, 4, 2), kFace) << "outside the rectangle asked for";
  POINT org{1, 1};
  GetViewportOrgEx(dc, &org);
  EXPECT_EQ(org, (POINT{0, 0}));
  ShutdownWindowSystem();
}

}  // namespace
