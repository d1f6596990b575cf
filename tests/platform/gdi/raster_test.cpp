// Raster operations, colour <-> monochrome conversions, MaskBlt, StretchBlt and brushes.
#include <cstring>

#include "gdi_test_util.h"

namespace {

// One pixel of destination, source and brush; BitBlt applies `rop`.
COLORREF BlitOne(COLORREF p, COLORREF s, COLORREF d, DWORD rop) {
  Surface32 dst(1, 1, d), src(1, 1, s);
  HBRUSH brush = CreateSolidBrush(p);
  HGDIOBJ old = SelectObject(dst.dc, brush);
  EXPECT_TRUE(BitBlt(dst.dc, 0, 0, 1, 1, src.dc, 0, 0, rop));
  SelectObject(dst.dc, old);
  EXPECT_TRUE(DeleteObject(brush));
  return dst.At(0, 0);
}

// With P = F0, S = CC and D = AA in every channel, bit j of each channel selects bit j of
// the ternary index, so every code must give its own index back.
class EveryTernaryCode : public ::testing::TestWithParam<int> {};

TEST_P(EveryTernaryCode, ResultEqualsIndex) {
  BYTE r = BYTE(GetParam());
  COLORREF got = BlitOne(RGB(0xF0, 0xF0, 0xF0), RGB(0xCC, 0xCC, 0xCC), RGB(0xAA, 0xAA, 0xAA), DWORD(r) << 16);
  EXPECT_EQ(got, RGB(r, r, r)) << "ternary index " << int(r);
}
INSTANTIATE_TEST_SUITE_P(AllCodes, EveryTernaryCode, ::testing::Range(0, 256));

struct RopCase {
  const char* name;
  DWORD rop;
  COLORREF want;
};

// P = (0F, F0, 33), S = (12, 34, 56), D = (F0, 0F, FF), results worked out by hand.
const RopCase kNamedRops[] = {
    {"SRCCOPY", SRCCOPY, RGB(0x12, 0x34, 0x56)},       {"SRCPAINT", SRCPAINT, RGB(0xF2, 0x3F, 0xFF)},
    {"SRCAND", SRCAND, RGB(0x10, 0x04, 0x56)},         {"SRCINVERT", SRCINVERT, RGB(0xE2, 0x3B, 0xA9)},
    {"SRCERASE", SRCERASE, RGB(0x02, 0x30, 0x00)},     {"NOTSRCCOPY", NOTSRCCOPY, RGB(0xED, 0xCB, 0xA9)},
    {"NOTSRCERASE", NOTSRCERASE, RGB(0x0D, 0xC0, 0x00)}, {"MERGECOPY", MERGECOPY, RGB(0x02, 0x30, 0x12)},
    {"MERGEPAINT", MERGEPAINT, RGB(0xFD, 0xCF, 0xFF)}, {"PATCOPY", PATCOPY, RGB(0x0F, 0xF0, 0x33)},
    {"PATPAINT", PATPAINT, RGB(0xFF, 0xFF, 0xFF)},     {"PATINVERT", PATINVERT, RGB(0xFF, 0xFF, 0xCC)},
    {"DSTINVERT", DSTINVERT, RGB(0x0F, 0xF0, 0x00)},   {"BLACKNESS", BLACKNESS, RGB(0, 0, 0)},
    {"WHITENESS", WHITENESS, RGB(0xFF, 0xFF, 0xFF)},   {"S?D:P", 0x00B8074A, RGB(0x1D, 0xC4, 0x77)},
    {"S?P:D", 0x00E20746, RGB(0xE2, 0x3B, 0xBB)},
};

class NamedRop : public ::testing::TestWithParam<RopCase> {};

TEST_P(NamedRop, MatchesHandComputedPixel) {
  const RopCase& c = GetParam();
  EXPECT_EQ(BlitOne(RGB(0x0F, 0xF0, 0x33), RGB(0x12, 0x34, 0x56), RGB(0xF0, 0x0F, 0xFF), c.rop), c.want) << c.name;
}
INSTANTIATE_TEST_SUITE_P(Table, NamedRop, ::testing::ValuesIn(kNamedRops),
                         [](const auto& info) {
                           std::string n = info.param.name;
                           for (char& ch : n)
                             if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
                           return n;
                         });

// PatBlt takes only pattern and destination.
TEST(PatBlt, PatternCodesAndInvertTwice) {
  Surface32 s(4, 4, RGB(0x10, 0x20, 0x30));
  HBRUSH brush = CreateSolidBrush(RGB(0xFF, 0x00, 0x0F));
  HGDIOBJ old = SelectObject(s.dc, brush);
  EXPECT_TRUE(PatBlt(s.dc, 1, 1, 2, 2, PATINVERT));
  EXPECT_EQ(s.At(1, 1), RGB(0xEF, 0x20, 0x3F));
  EXPECT_EQ(s.At(0, 0), RGB(0x10, 0x20, 0x30));
  EXPECT_TRUE(PatBlt(s.dc, 3, 3, -2, -2, PATINVERT));  // negative extents cover the same pixels
  EXPECT_TRUE(PixelsMatch(s, [](int, int) { return RGB(0x10, 0x20, 0x30); }));
  EXPECT_TRUE(PatBlt(s.dc, 0, 0, 4, 1, BLACKNESS));
  EXPECT_TRUE(PatBlt(s.dc, 0, 1, 4, 1, WHITENESS));
  EXPECT_TRUE(PatBlt(s.dc, 0, 2, 4, 1, DSTINVERT));
  EXPECT_TRUE(PatBlt(s.dc, 0, 3, 4, 1, PATCOPY));
  EXPECT_FALSE(PatBlt(s.dc, 0, 0, 1, 1, SRCCOPY));
  EXPECT_TRUE(PixelsMatch(s, [](int, int y) {
    const COLORREF rows[4] = {0, RGB(255, 255, 255), RGB(0xEF, 0xDF, 0xCF), RGB(0xFF, 0, 0x0F)};
    return rows[y];
  }));
  SelectObject(s.dc, old);
  DeleteObject(brush);
}

// ---------------------------------------------------------------------------------------
// Colour <-> monochrome

TEST(MonoConversion, ColourToMonoUsesSourceBackground) {
  Surface32 src(4, 1);
  const COLORREF px[4] = {RGB(10, 20, 30), RGB(255, 255, 255), RGB(10, 20, 30), RGB(0, 0, 0)};
  for (int x = 0; x < 4; ++x) SetPixel(src.dc, x, 0, px[x]);
  SetBkColor(src.dc, RGB(10, 20, 30));
  HBITMAP mono = CreateBitmap(4, 1, 1, 1, nullptr);
  HDC mdc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(mdc, mono);
  SetBkColor(mdc, RGB(1, 2, 3));  // the destination's colours play no part
  ASSERT_TRUE(BitBlt(mdc, 0, 0, 4, 1, src.dc, 0, 0, SRCCOPY));
  const COLORREF want[4] = {RGB(255, 255, 255), 0, RGB(255, 255, 255), 0};
  for (int x = 0; x < 4; ++x) EXPECT_EQ(GetPixel(mdc, x, 0), want[x]) << "x=" << x;
  SelectObject(mdc, old);
  DeleteDC(mdc);
  DeleteObject(mono);
}

TEST(MonoConversion, MonoToColourUsesDestinationTextAndBackground) {
  const BYTE bits[2] = {0xA0, 0};  // 1 0 1 0
  HBITMAP mono = CreateBitmap(4, 1, 1, 1, bits);
  HDC mdc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(mdc, mono);
  SetTextColor(mdc, RGB(9, 9, 9));  // the source's colours play no part
  Surface32 dst(4, 1);
  SetTextColor(dst.dc, RGB(255, 0, 0));
  SetBkColor(dst.dc, RGB(0, 0, 255));
  ASSERT_TRUE(BitBlt(dst.dc, 0, 0, 4, 1, mdc, 0, 0, SRCCOPY));
  EXPECT_TRUE(PixelsMatch(dst, [](int x, int) { return x % 2 == 0 ? RGB(0, 0, 255) : RGB(255, 0, 0); }));
  SelectObject(mdc, old);
  DeleteDC(mdc);
  DeleteObject(mono);
}

TEST(MonoConversion, OneBitDibSourceUsesItsColourTable) {
  BITMAPINFO bi;
  bi.bmiHeader.biWidth = 2;
  bi.bmiHeader.biHeight = -1;
  bi.bmiHeader.biBitCount = 1;
  bi.bmiColors[0] = RGBQUAD{0, 255, 0, 0};
  bi.bmiColors[1] = RGBQUAD{0, 255, 255, 0};
  void* p = nullptr;
  HBITMAP dib = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &p, nullptr, 0);
  static_cast<BYTE*>(p)[0] = 0x40;  // 0 1
  HDC sdc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(sdc, dib);
  Surface32 dst(2, 1);
  ASSERT_TRUE(BitBlt(dst.dc, 0, 0, 2, 1, sdc, 0, 0, SRCCOPY));
  EXPECT_EQ(dst.At(0, 0), RGB(0, 255, 0));
  EXPECT_EQ(dst.At(1, 0), RGB(255, 255, 0));
  SelectObject(sdc, old);
  DeleteDC(sdc);
  DeleteObject(dib);
}

TEST(MonoConversion, MonoToMonoRopsWorkOnBits) {
  const BYTE a[2] = {0xC0, 0}, b[2] = {0xA0, 0};  // 1100 and 1010
  HBITMAP ma = CreateBitmap(4, 1, 1, 1, a), mb = CreateBitmap(4, 1, 1, 1, b);
  HDC da = CreateCompatibleDC(nullptr), db = CreateCompatibleDC(nullptr);
  HGDIOBJ oa = SelectObject(da, ma), ob = SelectObject(db, mb);
  ASSERT_TRUE(BitBlt(db, 0, 0, 4, 1, da, 0, 0, SRCINVERT));
  EXPECT_EQ(ma->bits[0] & 0xF0, 0xC0);
  EXPECT_EQ(mb->bits[0] & 0xF0, 0x60);
  SelectObject(da, oa);
  SelectObject(db, ob);
  DeleteDC(da);
  DeleteDC(db);
  DeleteObject(ma);
  DeleteObject(mb);
}

// Indexed destinations take the nearest colour-table entry.
TEST(FormatConversion, ColourToIndexedPicksNearestEntry) {
  BITMAPINFO bi;
  bi.bmiHeader.biWidth = 3;
  bi.bmiHeader.biHeight = -1;
  bi.bmiHeader.biBitCount = 8;
  bi.bmiHeader.biClrUsed = 3;
  bi.bmiColors[0] = RGBQUAD{0, 0, 0, 0};
  bi.bmiColors[1] = RGBQUAD{0, 0, 200, 0};    // red 200
  bi.bmiColors[2] = RGBQUAD{250, 250, 250, 0};
  void* p = nullptr;
  HBITMAP dib = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &p, nullptr, 0);
  HDC ddc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(ddc, dib);
  Surface32 src(3, 1);
  SetPixel(src.dc, 0, 0, RGB(255, 0, 0));
  SetPixel(src.dc, 1, 0, RGB(20, 20, 20));
  SetPixel(src.dc, 2, 0, RGB(255, 255, 255));
  ASSERT_TRUE(BitBlt(ddc, 0, 0, 3, 1, src.dc, 0, 0, SRCCOPY));
  const BYTE* px = static_cast<BYTE*>(p);
  EXPECT_EQ(px[0], 1);
  EXPECT_EQ(px[1], 0);
  EXPECT_EQ(px[2], 2);
  SelectObject(ddc, old);
  DeleteDC(ddc);
  DeleteObject(dib);
}

// ---------------------------------------------------------------------------------------
// MaskBlt

TEST(MaskBlt, BackgroundDestinationLeavesPixelsUntouched) {
  Surface32 dst(4, 2, RGB(50, 60, 70)), src(4, 2, RGB(255, 0, 0));
  for (int i = 0; i < 8; ++i) dst.bits[i] |= 0x7F000000u;  // fourth bytes must survive
  const BYTE maskBits[4] = {0x90, 0, 0x60, 0};              // row 0: 1001, row 1: 0110
  HBITMAP mask = CreateBitmap(4, 2, 1, 1, maskBits);
  ASSERT_TRUE(MaskBlt(dst.dc, 0, 0, 4, 2, src.dc, 0, 0, mask, 0, 0, MAKEROP4(SRCCOPY, 0x00AA0029)));
  EXPECT_TRUE(PixelsMatch(dst, [](int x, int y) {
    bool set = y == 0 ? (x == 0 || x == 3) : (x == 1 || x == 2);
    return set ? RGB(255, 0, 0) : RGB(50, 60, 70);
  }));
  EXPECT_EQ(dst.bits[1] >> 24, 0x7Fu);
  EXPECT_EQ(dst.bits[4] >> 24, 0x7Fu);
  DeleteObject(mask);
}

TEST(MaskBlt, BackgroundRopAppliesWhereMaskIsZero) {
  Surface32 dst(2, 1, RGB(0x0F, 0x0F, 0x0F)), src(2, 1, RGB(0xF0, 0xF0, 0xF0));
  const BYTE maskBits[2] = {0x80, 0};
  HBITMAP mask = CreateBitmap(2, 1, 1, 1, maskBits);
  ASSERT_TRUE(MaskBlt(dst.dc, 0, 0, 2, 1, src.dc, 0, 0, mask, 0, 0, MAKEROP4(SRCCOPY, DSTINVERT)));
  EXPECT_EQ(dst.At(0, 0), RGB(0xF0, 0xF0, 0xF0));
  EXPECT_EQ(dst.At(1, 0), RGB(0xF0, 0xF0, 0xF0));
  // A colour mask is refused.
  Surface32 other(2, 1);
  EXPECT_FALSE(MaskBlt(dst.dc, 0, 0, 2, 1, src.dc, 0, 0, other.bmp, 0, 0, MAKEROP4(SRCCOPY, SRCCOPY)));
  DeleteObject(mask);
}

// ---------------------------------------------------------------------------------------
// StretchBlt and overlapping copies

TEST(StretchBlt, NearestNeighbourAndMirror) {
  Surface32 src(2, 1);
  SetPixel(src.dc, 0, 0, RGB(255, 0, 0));
  SetPixel(src.dc, 1, 0, RGB(0, 0, 255));
  Surface32 dst(4, 2);
  ASSERT_TRUE(StretchBlt(dst.dc, 0, 0, 4, 2, src.dc, 0, 0, 2, 1, SRCCOPY));
  EXPECT_TRUE(PixelsMatch(dst, [](int x, int) { return x < 2 ? RGB(255, 0, 0) : RGB(0, 0, 255); }));
  ASSERT_TRUE(StretchBlt(dst.dc, 4, 0, -4, 2, src.dc, 0, 0, 2, 1, SRCCOPY));
  EXPECT_TRUE(PixelsMatch(dst, [](int x, int) { return x < 2 ? RGB(0, 0, 255) : RGB(255, 0, 0); }));
  // Shrinking samples at sx + (dx * sw) / w.
  Surface32 wide(6, 1);
  for (int x = 0; x < 6; ++x) SetPixel(wide.dc, x, 0, RGB(BYTE(x * 10), 0, 0));
  Surface32 narrow(4, 1);
  ASSERT_TRUE(StretchBlt(narrow.dc, 0, 0, 4, 1, wide.dc, 0, 0, 6, 1, SRCCOPY));
  EXPECT_TRUE(PixelsMatch(narrow, [](int x, int) { return RGB(BYTE((x * 6 / 4) * 10), 0, 0); }));
}

TEST(BitBlt, OverlappingCopyWithinOneSurface) {
  Surface32 s(5, 5);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 5; ++x) SetPixel(s.dc, x, y, RGB(BYTE(x), BYTE(y), 0));
  ASSERT_TRUE(BitBlt(s.dc, 1, 1, 4, 4, s.dc, 0, 0, SRCCOPY));
  EXPECT_TRUE(PixelsMatch(s, [](int x, int y) {
    return (x >= 1 && y >= 1) ? RGB(BYTE(x - 1), BYTE(y - 1), 0) : RGB(BYTE(x), BYTE(y), 0);
  }));
  ASSERT_TRUE(BitBlt(s.dc, 0, 0, 4, 4, s.dc, 1, 1, NOTSRCCOPY));
  EXPECT_EQ(s.At(0, 0), RGB(0xFF, 0xFF, 0xFF));
  EXPECT_EQ(s.At(3, 3), RGB(BYTE(~3), BYTE(~3), 0xFF));
}

TEST(BitBlt, SourceOutsideItsSurfaceIsClipped) {
  Surface32 src(2, 2, RGB(1, 2, 3)), dst(4, 4);
  ASSERT_TRUE(BitBlt(dst.dc, 0, 0, 4, 4, src.dc, -1, -1, SRCCOPY));
  EXPECT_TRUE(PixelsMatch(dst, [](int x, int y) {
    return (x >= 1 && x < 3 && y >= 1 && y < 3) ? RGB(1, 2, 3) : RGB(255, 255, 255);
  }));
  EXPECT_FALSE(BitBlt(dst.dc, 0, 0, 1, 1, nullptr, 0, 0, SRCCOPY));
  EXPECT_TRUE(BitBlt(dst.dc, 0, 0, 1, 1, nullptr, 0, 0, BLACKNESS));
}

TEST(BitBlt, HugeAndNegativeRectanglesStayInside) {
  Surface32 src(3, 3, RGB(7, 7, 7)), dst(3, 3);
  EXPECT_TRUE(BitBlt(dst.dc, -2000000000, -2000000000, 2147483647, 2147483647, src.dc, -2000000000,
                     -2000000000, SRCCOPY));
  EXPECT_TRUE(StretchBlt(dst.dc, -5, -5, 2147483647, 2147483647, src.dc, 0, 0, 3, 3, SRCCOPY));
  EXPECT_TRUE(PatBlt(dst.dc, 2147483647, 2147483647, 2147483647, 2147483647, BLACKNESS));
  EXPECT_TRUE(PatBlt(dst.dc, -2147483647 - 1, -2147483647 - 1, -2147483647 - 1, 5, BLACKNESS));
  RECT huge{-2147483647 - 1, -2147483647 - 1, 2147483647, 2147483647};
  EXPECT_EQ(FillRect(dst.dc, &huge, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH))), 1);
  EXPECT_TRUE(PixelsMatch(dst, [](int, int) { return RGB(128, 128, 128); }));
}

// ---------------------------------------------------------------------------------------
// Brushes

TEST(PatternBrush, TilesFromBrushOrigin) {
  Surface32 pat(2, 2);
  SetPixel(pat.dc, 0, 0, RGB(255, 0, 0));
  SetPixel(pat.dc, 1, 0, RGB(0, 255, 0));
  SetPixel(pat.dc, 0, 1, RGB(0, 0, 255));
  SetPixel(pat.dc, 1, 1, RGB(0, 0, 0));
  HBRUSH brush = CreatePatternBrush(pat.bmp);
  ASSERT_NE(brush, nullptr);
  SetPixel(pat.dc, 0, 0, RGB(9, 9, 9));  // the brush keeps its own copy
  const COLORREF tile[2][2] = {{RGB(255, 0, 0), RGB(0, 255, 0)}, {RGB(0, 0, 255), 0}};
  Surface32 s(5, 4);
  RECT r{0, 0, 5, 4};
  FillRect(s.dc, &r, brush);
  EXPECT_TRUE(PixelsMatch(s, [&](int x, int y) { return tile[y % 2][x % 2]; }));
  SetBrushOrgEx(s.dc, 1, 0, nullptr);
  FillRect(s.dc, &r, brush);
  EXPECT_TRUE(PixelsMatch(s, [&](int x, int y) { return tile[y % 2][(x + 1) % 2]; }));
  DeleteObject(brush);
}

// An 8 x 8 tile with one marked pixel at (3, 5): the brush origin (device units) is where
// the tile's top-left corner lands, so the mark appears at origin + (3, 5), every 8 pixels.
// The viewport origin moves the fill, never the pattern.
struct BrushOrgCase {
  int orgX, orgY, viewX, viewY;
};
void PrintTo(const BrushOrgCase& c, std::ostream* os) {
  *os << "origin (" << c.orgX << ", " << c.orgY << ") viewport (" << c.viewX << ", " << c.viewY << ")";
}
class PatternBrushOrigin : public ::testing::TestWithParam<BrushOrgCase> {};

TEST_P(PatternBrushOrigin, MarkedPixelLandsAtOriginPlusItsTilePosition) {
  const BrushOrgCase& c = GetParam();
  Surface32 pat(8, 8, RGB(0, 0, 255));
  SetPixel(pat.dc, 3, 5, RGB(255, 0, 0));
  HBRUSH brush = CreatePatternBrush(pat.bmp);
  Surface32 s(19, 21);
  SetBrushOrgEx(s.dc, c.orgX, c.orgY, nullptr);
  SetViewportOrgEx(s.dc, c.viewX, c.viewY, nullptr);
  RECT r{-c.viewX, -c.viewY, 19 - c.viewX, 21 - c.viewY};
  FillRect(s.dc, &r, brush);
  const auto mod8 = [](int v) { return ((v % 8) + 8) % 8; };
  EXPECT_TRUE(PixelsMatch(s, [&](int x, int y) {
    return mod8(x - c.orgX) == 3 && mod8(y - c.orgY) == 5 ? RGB(255, 0, 0) : RGB(0, 0, 255);
  }));
  DeleteObject(brush);
}

INSTANTIATE_TEST_SUITE_P(Origins, PatternBrushOrigin,
                         ::testing::Values(BrushOrgCase{0, 0, 0, 0}, BrushOrgCase{1, 0, 0, 0}, BrushOrgCase{0, 2, 0, 0},
                                           BrushOrgCase{5, 3, 0, 0}, BrushOrgCase{-3, -6, 0, 0},
                                           BrushOrgCase{13, 9, 0, 0}, BrushOrgCase{2, 1, 4, 7}));

TEST(PatternBrush, MonochromePatternTakesTextAndBackground) {
  BYTE rows[16] = {};
  for (int y = 0; y < 8; ++y) rows[y * 2] = y % 2 ? 0x55 : 0xAA;  // 8x8 checker
  HBITMAP mono = CreateBitmap(8, 8, 1, 1, rows);
  HBRUSH brush = CreatePatternBrush(mono);
  DeleteObject(mono);
  Surface32 s(10, 3);
  SetTextColor(s.dc, RGB(200, 0, 0));
  SetBkColor(s.dc, RGB(0, 0, 200));
  HGDIOBJ old = SelectObject(s.dc, brush);
  ASSERT_TRUE(PatBlt(s.dc, 0, 0, 10, 3, PATCOPY));
  EXPECT_TRUE(PixelsMatch(s, [](int x, int y) { return (x + y) % 2 == 0 ? RGB(0, 0, 200) : RGB(200, 0, 0); }));
  SelectObject(s.dc, old);
  DeleteObject(brush);
}

TEST(FillRect, SystemColourNumberAsBrush) {
  Surface32 s(2, 2);
  RECT r{0, 0, 2, 2};
  FillRect(s.dc, &r, reinterpret_cast<HBRUSH>(std::uintptr_t(COLOR_BTNFACE + 1)));
  EXPECT_TRUE(PixelsMatch(s, [](int, int) { return RGB(240, 240, 240); }));
  FillRect(s.dc, &r, GetSysColorBrush(COLOR_HIGHLIGHT));
  EXPECT_TRUE(PixelsMatch(s, [](int, int) { return RGB(51, 153, 255); }));
}

TEST(InvertRect, TwiceRestores) {
  Surface32 s(3, 3, RGB(12, 34, 56));
  RECT r{1, 0, 3, 2};
  InvertRect(s.dc, &r);
  EXPECT_EQ(s.At(1, 0), RGB(255 - 12, 255 - 34, 255 - 56));
  EXPECT_EQ(s.At(0, 0), RGB(12, 34, 56));
  InvertRect(s.dc, &r);
  EXPECT_TRUE(PixelsMatch(s, [](int, int) { return RGB(12, 34, 56); }));
}

}  // namespace
