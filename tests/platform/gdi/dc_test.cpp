// Objects, device-context state, clipping, regions, palettes and system colours.
#include <cstring>

#include "gdi_test_util.h"

namespace {

// ---------------------------------------------------------------------------------------
// System colours

// Every entry of the table by its number, as the Windows 7 default scheme gives it (the
// constant's value checked too); 25 and anything outside 0..30 have no colour.
struct SysCase {
  int index;
  int constant;
  const char* name;
  COLORREF want;
};
#define SYS(n, name, r, g, b) SysCase{n, name, #name, RGB(r, g, b)}
const SysCase kSysColours[] = {
    SYS(0, COLOR_SCROLLBAR, 200, 200, 200),     SYS(1, COLOR_BACKGROUND, 0, 0, 0),
    SYS(2, COLOR_ACTIVECAPTION, 153, 180, 209), SYS(3, COLOR_INACTIVECAPTION, 191, 205, 219),
    SYS(4, COLOR_MENU, 240, 240, 240),          SYS(5, COLOR_WINDOW, 255, 255, 255),
    SYS(6, COLOR_WINDOWFRAME, 100, 100, 100),   SYS(7, COLOR_MENUTEXT, 0, 0, 0),
    SYS(8, COLOR_WINDOWTEXT, 0, 0, 0),          SYS(9, COLOR_CAPTIONTEXT, 0, 0, 0),
    SYS(10, COLOR_ACTIVEBORDER, 180, 180, 180), SYS(11, COLOR_INACTIVEBORDER, 244, 247, 252),
    SYS(12, COLOR_APPWORKSPACE, 171, 171, 171), SYS(13, COLOR_HIGHLIGHT, 51, 153, 255),
    SYS(14, COLOR_HIGHLIGHTTEXT, 255, 255, 255), SYS(15, COLOR_BTNFACE, 240, 240, 240),
    SYS(16, COLOR_BTNSHADOW, 160, 160, 160),    SYS(17, COLOR_GRAYTEXT, 109, 109, 109),
    SYS(18, COLOR_BTNTEXT, 0, 0, 0),            SYS(19, COLOR_INACTIVECAPTIONTEXT, 67, 78, 84),
    SYS(20, COLOR_BTNHIGHLIGHT, 255, 255, 255), SYS(21, COLOR_3DDKSHADOW, 105, 105, 105),
    SYS(22, COLOR_3DLIGHT, 227, 227, 227),      SYS(23, COLOR_INFOTEXT, 0, 0, 0),
    SYS(24, COLOR_INFOBK, 255, 255, 225),       SYS(26, COLOR_HOTLIGHT, 0, 102, 204),
    SYS(27, COLOR_GRADIENTACTIVECAPTION, 185, 209, 234), SYS(28, COLOR_GRADIENTINACTIVECAPTION, 215, 228, 242),
    SYS(29, COLOR_MENUHILIGHT, 51, 153, 255),   SYS(30, COLOR_MENUBAR, 240, 240, 240),
    SYS(25, 25, 0, 0, 0),                       SYS(31, 31, 0, 0, 0),
    SYS(-1, -1, 0, 0, 0),
};
#undef SYS
void PrintTo(const SysCase& c, std::ostream* os) { *os << c.index << " " << c.name; }
class SysColour : public ::testing::TestWithParam<SysCase> {};
TEST_P(SysColour, TableAndResolution) {
  const SysCase& c = GetParam();
  EXPECT_EQ(c.constant, c.index) << c.name;
  EXPECT_EQ(GetSysColor(c.index), c.want);
  if (c.index >= 0) {
    EXPECT_EQ(ColorToRGB(0xFF000000u | COLORREF(c.index)), c.want);
  }
  if (c.index >= 0 && c.index <= 30) {
    Surface32 s(1, 1, RGB(1, 2, 3));
    RECT r{0, 0, 1, 1};
    FillRect(s.dc, &r, GetSysColorBrush(c.index));
    EXPECT_EQ(s.At(0, 0), c.want) << "the system colour brush";
  }
}
INSTANTIATE_TEST_SUITE_P(Table, SysColour, ::testing::ValuesIn(kSysColours));

TEST(SysColour, PlainColoursPassThroughAndDrawingResolves) {
  EXPECT_EQ(ColorToRGB(RGB(1, 2, 3)), RGB(1, 2, 3));
  EXPECT_EQ(ColorToRGB(0x01000005u), 0x01000005u);
  Surface32 s(1, 1);
  SetPixel(s.dc, 0, 0, 0xFF00000Fu);
  EXPECT_EQ(s.At(0, 0), RGB(240, 240, 240));
}

// ---------------------------------------------------------------------------------------
// Bitmaps and objects

TEST(Bitmaps, OversizedOrInvalidAreRefused) {
  BITMAPINFO bi;
  bi.bmiHeader.biWidth = 70000;
  bi.bmiHeader.biHeight = 70000;
  bi.bmiHeader.biBitCount = 32;
  void* bits = reinterpret_cast<void*>(1);
  EXPECT_EQ(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
  EXPECT_EQ(bits, nullptr);
  bi.bmiHeader.biWidth = 2147483647;
  bi.bmiHeader.biHeight = -2147483647 - 1;
  EXPECT_EQ(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
  bi.bmiHeader.biHeight = 1;
  bi.bmiHeader.biBitCount = 16;
  EXPECT_EQ(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
  EXPECT_EQ(CreateBitmap(2147483647, 2147483647, 1, 32, nullptr), nullptr);
  EXPECT_EQ(CreateBitmap(16384, 16385, 1, 32, nullptr), nullptr);  // just over 1 GiB
  EXPECT_EQ(CreateBitmap(4, 4, 2, 1, nullptr), nullptr);
  EXPECT_EQ(CreateCompatibleBitmap(nullptr, -1, 5), nullptr);
  EXPECT_EQ(CreateCompatibleBitmap(GetDC(nullptr), 1 << 20, 1 << 20), nullptr);
}

TEST(Bitmaps, CompatibleBitmapFollowsTheDcSurface) {
  HDC mem = CreateCompatibleDC(nullptr);
  HBITMAP cur = static_cast<HBITMAP>(GetCurrentObject(mem, OBJ_BITMAP));
  ASSERT_NE(cur, nullptr);
  EXPECT_EQ(cur->width, 1);
  EXPECT_EQ(cur->bitsPerPixel, 1);
  HBITMAP mono = CreateCompatibleBitmap(mem, 8, 8);
  EXPECT_EQ(mono->bitsPerPixel, 1);
  HBITMAP colour = CreateCompatibleBitmap(GetDC(nullptr), 8, 8);
  EXPECT_EQ(colour->bitsPerPixel, 32);
  EXPECT_TRUE(colour->topDown);
  HGDIOBJ old = SelectObject(mem, colour);
  EXPECT_EQ(old, cur);
  HBITMAP colour2 = CreateCompatibleBitmap(mem, 3, 3);
  EXPECT_EQ(colour2->bitsPerPixel, 32);
  // Selected objects cannot be deleted; a bitmap is selected into one DC at a time.
  EXPECT_FALSE(DeleteObject(colour));
  HDC other = CreateCompatibleDC(nullptr);
  EXPECT_EQ(SelectObject(other, colour), nullptr);
  SelectObject(mem, old);
  EXPECT_TRUE(DeleteObject(colour));
  EXPECT_TRUE(DeleteObject(colour2));
  EXPECT_TRUE(DeleteObject(mono));
  EXPECT_TRUE(DeleteDC(other));
  EXPECT_TRUE(DeleteDC(mem));
  EXPECT_FALSE(DeleteDC(GetDC(nullptr)));
}

TEST(Objects, GetObjectReportsEachKind) {
  BITMAPINFO bi;
  bi.bmiHeader.biWidth = 5;
  bi.bmiHeader.biHeight = 3;
  bi.bmiHeader.biBitCount = 4;
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  DIBSECTION ds;
  EXPECT_EQ(GetObjectA(dib, sizeof ds, &ds), int(sizeof ds));
  EXPECT_EQ(ds.dsBm.bmWidth, 5);
  EXPECT_EQ(ds.dsBm.bmWidthBytes, 4);
  EXPECT_EQ(ds.dsBm.bmBitsPixel, 4);
  EXPECT_EQ(ds.dsBm.bmBits, bits);
  EXPECT_EQ(ds.dsBmih.biHeight, 3);
  EXPECT_EQ(ds.dsBmih.biSizeImage, 12u);
  BITMAP bm;
  EXPECT_EQ(GetObjectA(dib, sizeof bm, &bm), int(sizeof bm));
  HBITMAP ddb = CreateBitmap(3, 2, 1, 32, nullptr);
  EXPECT_EQ(GetObjectA(ddb, sizeof ds, &ds), int(sizeof(BITMAP)));
  EXPECT_EQ(ds.dsBm.bmBits, nullptr);
  EXPECT_EQ(ds.dsBm.bmWidthBytes, 12);

  HBRUSH br = CreateSolidBrush(RGB(1, 2, 3));
  LOGBRUSH lb;
  EXPECT_EQ(GetObjectA(br, sizeof lb, &lb), int(sizeof lb));
  EXPECT_EQ(lb.lbStyle, BS_SOLID);
  EXPECT_EQ(lb.lbColor, RGB(1, 2, 3));
  HPEN pen = CreatePen(PS_DOT, 1, 0xFF000008u);
  LOGPEN lp;
  EXPECT_EQ(GetObjectA(pen, sizeof lp, &lp), int(sizeof lp));
  EXPECT_EQ(lp.lopnStyle, UINT(PS_DOT));
  EXPECT_EQ(lp.lopnColor, RGB(0, 0, 0));
  LOGFONTA in;
  in.lfHeight = -11;
  std::strcpy(in.lfFaceName, "Tahoma");
  HFONT font = CreateFontIndirectA(&in);
  LOGFONTA outFont;
  EXPECT_EQ(GetObjectA(font, sizeof outFont, &outFont), int(sizeof outFont));
  EXPECT_STREQ(outFont.lfFaceName, "Tahoma");
  LOGPALETTE lpal;
  lpal.palNumEntries = 3;
  HPALETTE pal = CreatePalette(&lpal);
  WORD count = 0;
  EXPECT_EQ(GetObjectA(pal, sizeof count, &count), 2);
  EXPECT_EQ(count, 3);
  EXPECT_EQ(GetObjectType(pal), OBJ_PAL);
  EXPECT_EQ(GetObjectType(font), OBJ_FONT);
  EXPECT_EQ(GetObjectType(dib), OBJ_BITMAP);
  for (HGDIOBJ o : std::initializer_list<HGDIOBJ>{dib, ddb, br, pen, font, pal}) EXPECT_TRUE(DeleteObject(o));
}

TEST(Objects, StockObjectsSurviveDeletion) {
  HGDIOBJ white = GetStockObject(WHITE_BRUSH);
  EXPECT_TRUE(DeleteObject(white));
  EXPECT_EQ(static_cast<HBRUSH>(white)->color, RGB(255, 255, 255));
  EXPECT_EQ(static_cast<HBRUSH>(GetStockObject(NULL_BRUSH))->style, BS_NULL);
  EXPECT_EQ(static_cast<HPEN>(GetStockObject(NULL_PEN))->style, PS_NULL);
  EXPECT_EQ(GetObjectType(GetStockObject(DEFAULT_GUI_FONT)), OBJ_FONT);
  EXPECT_EQ(GetStockObject(99), nullptr);
}

TEST(Palettes, EntriesAndNearestIndex) {
  LOGPALETTE lp;
  lp.palNumEntries = 4;
  lp.palPalEntry[0] = PALETTEENTRY{0, 0, 0, 0};
  lp.palPalEntry[1] = PALETTEENTRY{255, 0, 0, 0};
  lp.palPalEntry[2] = PALETTEENTRY{255, 0, 0, 0};  // same colour: the first one wins
  lp.palPalEntry[3] = PALETTEENTRY{255, 255, 255, 0};
  HPALETTE pal = CreatePalette(&lp);
  EXPECT_EQ(GetNearestPaletteIndex(pal, RGB(200, 10, 10)), 1u);
  EXPECT_EQ(GetNearestPaletteIndex(pal, RGB(100, 100, 100)), 0u);
  EXPECT_EQ(GetNearestPaletteIndex(pal, RGB(200, 200, 200)), 3u);
  PALETTEENTRY e[4];
  EXPECT_EQ(GetPaletteEntries(pal, 0, 0, nullptr), 4u);
  EXPECT_EQ(GetPaletteEntries(pal, 2, 10, e), 2u);
  EXPECT_EQ(e[1].peGreen, 255);
  PALETTEENTRY green{0, 255, 0, 0};
  EXPECT_EQ(SetPaletteEntries(pal, 3, 1, &green), 1u);
  EXPECT_EQ(GetNearestPaletteIndex(pal, RGB(0, 200, 0)), 3u);
  HDC dc = CreateCompatibleDC(nullptr);
  HPALETTE old = SelectPalette(dc, pal, FALSE);
  EXPECT_EQ(RealizePalette(dc), 0u);
  EXPECT_EQ(GetCurrentObject(dc, OBJ_PAL), pal);
  EXPECT_FALSE(DeleteObject(pal));
  SelectPalette(dc, old, FALSE);
  DeleteDC(dc);
  EXPECT_TRUE(DeleteObject(pal));
}

// ---------------------------------------------------------------------------------------
// Device contexts

TEST(Dc, ScreenAndDeviceCaps) {
  HDC screen = GetDC(nullptr);
  ASSERT_NE(screen, nullptr);
  EXPECT_EQ(GetDC(nullptr), screen);
  EXPECT_EQ(GetDeviceCaps(screen, HORZRES), kScreenWidth);
  EXPECT_EQ(GetDeviceCaps(screen, VERTRES), kScreenHeight);
  EXPECT_EQ(GetDeviceCaps(screen, BITSPIXEL), 32);
  EXPECT_EQ(GetDeviceCaps(screen, PLANES), 1);
  EXPECT_EQ(GetDeviceCaps(screen, NUMCOLORS), -1);
  EXPECT_EQ(GetDeviceCaps(screen, RASTERCAPS) & RC_PALETTE, 0);
  EXPECT_EQ(GetDeviceCaps(screen, LOGPIXELSX), 96);
  EXPECT_EQ(GetDeviceCaps(screen, LOGPIXELSY), 96);
  EXPECT_EQ(GetDeviceCaps(screen, SIZEPALETTE), 0);
  Surface32 s(7, 5);
  EXPECT_EQ(GetDeviceCaps(s.dc, HORZRES), 7);
  EXPECT_EQ(GetDeviceCaps(s.dc, VERTRES), 5);
  EXPECT_EQ(ReleaseDC(nullptr, screen), 1);
}

HDC g_windowDc = nullptr;
HDC ProvideDc(HWND) { return g_windowDc; }
int ReleaseProvided(HWND, HDC hdc) { return hdc == g_windowDc ? 1 : 0; }

TEST(Dc, WindowProviderAndBitmapDc) {
  HBITMAP back = CreateCompatibleBitmap(GetDC(nullptr), 4, 4);
  g_windowDc = CreateBitmapDC(back);
  HWND fake = reinterpret_cast<HWND>(std::uintptr_t(0x1000));
  EXPECT_EQ(GetDC(fake), nullptr);
  SetWindowDcProvider(ProvideDc, ReleaseProvided);
  EXPECT_EQ(GetDC(fake), g_windowDc);
  EXPECT_EQ(GetDCSurface(GetDC(fake)), back);
  EXPECT_EQ(ReleaseDC(fake, g_windowDc), 1);
  SetWindowDcProvider(nullptr, nullptr);
  EXPECT_FALSE(DeleteObject(back));  // still the DC's target
  DeleteDC(g_windowDc);
  EXPECT_TRUE(DeleteObject(back));
}

TEST(Dc, SaveAndRestoreBringBackTheWholeState) {
  Surface32 s(4, 4);
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  HPEN pen = CreatePen(PS_SOLID, 1, RGB(0, 0, 255));
  SetTextColor(s.dc, RGB(1, 1, 1));
  int level = SaveDC(s.dc);
  EXPECT_EQ(level, 1);
  SelectObject(s.dc, red);
  SelectObject(s.dc, pen);
  SetTextColor(s.dc, RGB(2, 2, 2));
  SetBkColor(s.dc, RGB(3, 3, 3));
  SetBkMode(s.dc, TRANSPARENT);
  SetViewportOrgEx(s.dc, 5, 6, nullptr);
  MoveToEx(s.dc, 7, 8, nullptr);
  IntersectClipRect(s.dc, 0, 0, 1, 1);
  EXPECT_EQ(SaveDC(s.dc), 2);
  SetTextColor(s.dc, RGB(4, 4, 4));
  EXPECT_FALSE(DeleteObject(red));  // held by the current and the saved state
  EXPECT_TRUE(RestoreDC(s.dc, -1));
  EXPECT_EQ(GetTextColor(s.dc), RGB(2, 2, 2));
  EXPECT_TRUE(RestoreDC(s.dc, 1));
  EXPECT_EQ(GetTextColor(s.dc), RGB(1, 1, 1));
  EXPECT_EQ(GetBkColor(s.dc), RGB(255, 255, 255));
  EXPECT_EQ(GetBkMode(s.dc), OPAQUE);
  POINT p;
  GetViewportOrgEx(s.dc, &p);
  EXPECT_EQ(p, (POINT{0, 0}));
  GetCurrentPositionEx(s.dc, &p);
  EXPECT_EQ(p, (POINT{0, 0}));
  RECT box;
  EXPECT_EQ(GetClipBox(s.dc, &box), SIMPLEREGION);
  EXPECT_EQ(box, (RECT{0, 0, 4, 4}));
  EXPECT_EQ(GetCurrentObject(s.dc, OBJ_BRUSH), GetStockObject(WHITE_BRUSH));
  {
    const SavedDcState saved(s.dc);  // restores as it goes, and leaves no save behind
    SetTextColor(s.dc, RGB(5, 5, 5));
  }
  EXPECT_EQ(GetTextColor(s.dc), RGB(1, 1, 1));
  EXPECT_FALSE(RestoreDC(s.dc, 1));  // nothing left to restore
  EXPECT_FALSE(RestoreDC(s.dc, -1));
  EXPECT_TRUE(DeleteObject(red));
  EXPECT_TRUE(DeleteObject(pen));
}

TEST(Dc, ModesAndColours) {
  Surface32 s(1, 1);
  EXPECT_EQ(SetBkMode(s.dc, TRANSPARENT), OPAQUE);
  EXPECT_EQ(SetBkMode(s.dc, 7), 0);
  EXPECT_EQ(GetBkMode(s.dc), TRANSPARENT);
  EXPECT_EQ(SetStretchBltMode(s.dc, COLORONCOLOR), BLACKONWHITE);
  EXPECT_EQ(GetStretchBltMode(s.dc), COLORONCOLOR);
  EXPECT_EQ(SetTextColor(s.dc, 0xFF000005u), RGB(0, 0, 0));
  EXPECT_EQ(GetTextColor(s.dc), RGB(255, 255, 255));
  EXPECT_EQ(SetTextColor(nullptr, 0), CLR_INVALID);
}

// ---------------------------------------------------------------------------------------
// Clipping

struct ClipStep {
  enum Kind { Intersect, Exclude, Reset, Origin } kind;
  RECT r;
};
struct ClipCase {
  const char* name;
  std::vector<ClipStep> steps;
  RECT box;         // GetClipBox, logical
  const char* map;  // 6x4 surface after filling everything black: '#' painted
};

class Clipping : public ::testing::TestWithParam<ClipCase> {};

TEST_P(Clipping, PaintsOnlyInsideTheClip) {
  const ClipCase& c = GetParam();
  Surface32 s(6, 4);
  for (const ClipStep& st : c.steps) {
    switch (st.kind) {
      case ClipStep::Intersect: IntersectClipRect(s.dc, st.r.left, st.r.top, st.r.right, st.r.bottom); break;
      case ClipStep::Exclude: ExcludeClipRect(s.dc, st.r.left, st.r.top, st.r.right, st.r.bottom); break;
      case ClipStep::Reset: SelectClipRgn(s.dc, nullptr); break;
      case ClipStep::Origin: SetViewportOrgEx(s.dc, st.r.left, st.r.top, nullptr); break;
    }
  }
  RECT box;
  GetClipBox(s.dc, &box);
  EXPECT_EQ(box, c.box) << c.name;
  RECT all{-100, -100, 100, 100};
  FillRect(s.dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  EXPECT_TRUE(PixelsMatch(s, [&](int x, int y) { return c.map[y * 6 + x] == '#' ? 0 : RGB(255, 255, 255); }))
      << c.name;
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 6; ++x) {
      POINT o;
      GetViewportOrgEx(s.dc, &o);
      EXPECT_EQ(bool(PtVisible(s.dc, x - o.x, y - o.y)), c.map[y * 6 + x] == '#') << c.name << " " << x << "," << y;
    }
}

const ClipCase kClipCases[] = {
    {"none", {}, {0, 0, 6, 4}, "######" "######" "######" "######"},
    {"intersect", {{ClipStep::Intersect, {1, 1, 4, 3}}}, {1, 1, 4, 3}, "......" ".###.." ".###.." "......"},
    {"exclude", {{ClipStep::Exclude, {1, 1, 5, 3}}}, {0, 0, 6, 4}, "######" "#....#" "#....#" "######"},
    {"intersect_then_exclude",
     {{ClipStep::Intersect, {0, 0, 4, 4}}, {ClipStep::Exclude, {1, 0, 3, 4}}},
     {0, 0, 4, 4},
     "#..#.." "#..#.." "#..#.." "#..#.."},
    {"reset", {{ClipStep::Intersect, {0, 0, 1, 1}}, {ClipStep::Reset, {}}}, {0, 0, 6, 4},
     "######" "######" "######" "######"},
    {"origin_moves_logical_rects",
     {{ClipStep::Origin, {2, 1, 0, 0}}, {ClipStep::Intersect, {0, 0, 2, 2}}},
     {0, 0, 2, 2},
     "......" "..##.." "..##.." "......"},
    {"empty", {{ClipStep::Intersect, {3, 3, 3, 9}}}, {0, 0, 0, 0}, "......" "......" "......" "......"},
};
INSTANTIATE_TEST_SUITE_P(Table, Clipping, ::testing::ValuesIn(kClipCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Clipping, SelectClipRgnCopiesTheRegion) {
  Surface32 s(4, 1);
  HRGN rgn = CreateRectRgn(1, 0, 2, 1);
  HRGN two = CreateRectRgn(3, 0, 4, 1);
  CombineRgn(rgn, rgn, two, RGN_OR);
  EXPECT_EQ(SelectClipRgn(s.dc, rgn), COMPLEXREGION);
  SetRectRgn(rgn, 0, 0, 4, 1);  // the DC keeps its own copy
  SetPixel(s.dc, 0, 0, 0);
  SetPixel(s.dc, 1, 0, 0);
  SetPixel(s.dc, 3, 0, 0);
  EXPECT_EQ(GetPixel(s.dc, 0, 0), CLR_INVALID);
  EXPECT_TRUE(PixelsMatch(s, [](int x, int) { return x == 1 || x == 3 ? 0 : RGB(255, 255, 255); }));
  HGDIOBJ r = SelectObject(s.dc, rgn);
  EXPECT_EQ(reinterpret_cast<std::intptr_t>(r), SIMPLEREGION);
  EXPECT_EQ(GetPixel(s.dc, 0, 0), RGB(255, 255, 255));
  DeleteObject(rgn);
  DeleteObject(two);
}

// ---------------------------------------------------------------------------------------
// Regions

struct RgnCase {
  int mode;
  int type;
  RECT box;
  std::vector<POINT> in, out;
};
class RegionCombine : public ::testing::TestWithParam<RgnCase> {};

// a = (0,0)-(4,4), b = (2,2)-(6,6)
TEST_P(RegionCombine, AreaTypeAndBox) {
  const RgnCase& c = GetParam();
  HRGN a = CreateRectRgn(0, 0, 4, 4), b = CreateRectRgn(2, 2, 6, 6), d = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(CombineRgn(d, a, b, c.mode), c.type);
  RECT box;
  EXPECT_EQ(GetRgnBox(d, &box), c.type);
  EXPECT_EQ(box, c.box);
  for (POINT p : c.in) EXPECT_TRUE(PtInRegion(d, p.x, p.y)) << p.x << "," << p.y;
  for (POINT p : c.out) EXPECT_FALSE(PtInRegion(d, p.x, p.y)) << p.x << "," << p.y;
  for (std::size_t i = 0; i < d->rects.size(); ++i)
    for (std::size_t j = i + 1; j < d->rects.size(); ++j) EXPECT_FALSE(IntersectRect(nullptr, d->rects[i], d->rects[j]));
  DeleteObject(a);
  DeleteObject(b);
  DeleteObject(d);
}
INSTANTIATE_TEST_SUITE_P(
    Modes, RegionCombine,
    ::testing::Values(RgnCase{RGN_AND, SIMPLEREGION, {2, 2, 4, 4}, {{2, 2}, {3, 3}}, {{1, 1}, {4, 4}}},
                      RgnCase{RGN_OR, COMPLEXREGION, {0, 0, 6, 6}, {{0, 0}, {5, 5}, {3, 3}}, {{5, 0}, {0, 5}}},
                      RgnCase{RGN_XOR, COMPLEXREGION, {0, 0, 6, 6}, {{0, 0}, {5, 5}}, {{2, 2}, {3, 3}, {5, 0}}},
                      RgnCase{RGN_DIFF, COMPLEXREGION, {0, 0, 4, 4}, {{0, 0}, {1, 3}, {3, 1}}, {{2, 2}, {3, 3}}},
                      RgnCase{RGN_COPY, SIMPLEREGION, {0, 0, 4, 4}, {{0, 0}, {3, 3}}, {{4, 4}}}));

TEST(Regions, EmptyResultsAndHelpers) {
  HRGN a = CreateRectRgn(0, 0, 2, 2), b = CreateRectRgn(5, 5, 6, 6), d = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(CombineRgn(d, a, b, RGN_AND), NULLREGION);
  EXPECT_EQ(CombineRgn(d, a, a, RGN_DIFF), NULLREGION);
  EXPECT_EQ(CombineRgn(d, a, nullptr, RGN_OR), ERROR);
  HRGN flipped = CreateRectRgn(2, 2, 0, 0);
  EXPECT_TRUE(EqualRgn(flipped, a));
  EXPECT_EQ(OffsetRgn(a, 5, 5), SIMPLEREGION);
  EXPECT_EQ(CombineRgn(d, b, nullptr, RGN_COPY), SIMPLEREGION);
  EXPECT_FALSE(EqualRgn(a, d));
  RECT box;
  GetRgnBox(a, &box);
  EXPECT_EQ(box, (RECT{5, 5, 7, 7}));
  for (HRGN r : {a, b, d, flipped}) DeleteObject(r);
}

TEST(Rects, Helpers) {
  RECT r;
  EXPECT_TRUE(IntersectRect(&r, RECT{0, 0, 5, 5}, RECT{3, 3, 8, 8}));
  EXPECT_EQ(r, (RECT{3, 3, 5, 5}));
  EXPECT_FALSE(IntersectRect(&r, RECT{0, 0, 1, 1}, RECT{1, 1, 2, 2}));
  EXPECT_TRUE(IsRectEmpty(r));
  EXPECT_TRUE(UnionRect(&r, RECT{0, 0, 1, 1}, RECT{4, 4, 5, 6}));
  EXPECT_EQ(r, (RECT{0, 0, 5, 6}));
  EXPECT_TRUE(UnionRect(&r, RECT{}, RECT{1, 1, 2, 2}));
  EXPECT_EQ(r, (RECT{1, 1, 2, 2}));
  OffsetRect(&r, 2, 3);
  InflateRect(&r, 1, 2);
  EXPECT_EQ(r, (RECT{2, 2, 5, 7}));
  EXPECT_TRUE(PtInRect(r, POINT{2, 2}));
  EXPECT_FALSE(PtInRect(r, POINT{5, 2}));
  SetRect(&r, 1, 2, 3, 4);
  EXPECT_EQ(r, (RECT{1, 2, 3, 4}));
}

}  // namespace
