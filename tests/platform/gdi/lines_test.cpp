// Pixels, lines, rectangles, focus rectangles, the viewport origin and glyph masks.
#include <set>
#include <utility>

#include "gdi_test_util.h"

namespace {

const COLORREF kWhite = RGB(255, 255, 255);

std::set<std::pair<int, int>> Painted(const Surface32& s) {
  std::set<std::pair<int, int>> out;
  for (int y = 0; y < s.h; ++y)
    for (int x = 0; x < s.w; ++x)
      if (s.At(x, y) != kWhite) out.insert({x, y});
  return out;
}

struct LineCase {
  const char* name;
  POINT from, to;
};
class LineDirections : public ::testing::TestWithParam<LineCase> {};

TEST_P(LineDirections, EndPointIsNeverDrawn) {
  const LineCase& c = GetParam();
  Surface32 s(21, 21);
  MoveToEx(s.dc, c.from.x, c.from.y, nullptr);
  ASSERT_TRUE(LineTo(s.dc, c.to.x, c.to.y));
  POINT pos;
  GetCurrentPositionEx(s.dc, &pos);
  EXPECT_EQ(pos, c.to);
  auto px = Painted(s);
  int steps = std::max(std::abs(c.to.x - c.from.x), std::abs(c.to.y - c.from.y));
  EXPECT_EQ(int(px.size()), steps) << c.name;
  EXPECT_TRUE(px.count({c.from.x, c.from.y})) << c.name << ": start missing";
  EXPECT_FALSE(px.count({c.to.x, c.to.y})) << c.name << ": end drawn";
  for (auto [x, y] : px) {
    EXPECT_GE(x, std::min(c.from.x, c.to.x));
    EXPECT_LE(x, std::max(c.from.x, c.to.x));
    EXPECT_GE(y, std::min(c.from.y, c.to.y));
    EXPECT_LE(y, std::max(c.from.y, c.to.y));
  }
  // Continuing from the end point draws it as the next line's start: no gaps, no repeats.
  ASSERT_TRUE(LineTo(s.dc, 10, 10));
  if (c.to.x != 10 || c.to.y != 10) {
    EXPECT_TRUE(Painted(s).count({c.to.x, c.to.y})) << c.name;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Directions, LineDirections,
    ::testing::Values(LineCase{"right", {2, 10}, {18, 10}}, LineCase{"left", {18, 10}, {2, 10}},
                      LineCase{"down", {10, 2}, {10, 18}}, LineCase{"up", {10, 18}, {10, 2}},
                      LineCase{"diag_se", {2, 2}, {18, 18}}, LineCase{"diag_nw", {18, 18}, {2, 2}},
                      LineCase{"diag_ne", {2, 18}, {18, 2}}, LineCase{"diag_sw", {18, 2}, {2, 18}},
                      LineCase{"shallow", {1, 3}, {19, 9}}, LineCase{"shallow_back", {19, 9}, {1, 3}},
                      LineCase{"steep", {4, 1}, {9, 19}}, LineCase{"steep_back", {9, 19}, {4, 1}},
                      LineCase{"one_pixel", {5, 5}, {6, 5}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LineTo, BresenhamPixelsAndZeroLength) {
  Surface32 s(6, 4);
  MoveToEx(s.dc, 0, 0, nullptr);
  LineTo(s.dc, 4, 2);
  EXPECT_EQ(Painted(s), (std::set<std::pair<int, int>>{{0, 0}, {1, 1}, {2, 1}, {3, 2}}));
  Surface32 t(3, 3);
  MoveToEx(t.dc, 1, 1, nullptr);
  LineTo(t.dc, 1, 1);
  EXPECT_TRUE(Painted(t).empty());
}

TEST(LineTo, PenStylesAndClipping) {
  Surface32 s(8, 3);
  HPEN dot = CreatePen(PS_DOT, 1, RGB(255, 0, 0));
  HGDIOBJ old = SelectObject(s.dc, dot);
  MoveToEx(s.dc, 0, 0, nullptr);
  LineTo(s.dc, 7, 0);
  EXPECT_TRUE(PixelsMatch(s, [](int x, int y) { return y == 0 && x % 2 == 0 && x < 7 ? RGB(255, 0, 0) : kWhite; }));
  SelectObject(s.dc, GetStockObject(NULL_PEN));
  MoveToEx(s.dc, 0, 1, nullptr);
  LineTo(s.dc, 7, 1);
  EXPECT_EQ(s.At(0, 1), kWhite);
  SelectObject(s.dc, old);
  DeleteObject(dot);
  // Far-away end points cost nothing and draw only the visible part.
  MoveToEx(s.dc, -2000000000, 2, nullptr);
  LineTo(s.dc, 2000000000, 2);
  EXPECT_TRUE(PixelsMatch(s, [&](int x, int y) { return y == 2 ? 0 : s.At(x, y); }));
}

TEST(Rectangle, OutlineWithPenFillWithBrush) {
  Surface32 s(7, 6);
  HBRUSH brush = CreateSolidBrush(RGB(0, 255, 0));
  HPEN pen = CreatePen(PS_SOLID, 1, RGB(0, 0, 255));
  HGDIOBJ ob = SelectObject(s.dc, brush), op = SelectObject(s.dc, pen);
  ASSERT_TRUE(Rectangle(s.dc, 1, 1, 6, 5));
  EXPECT_TRUE(PixelsMatch(s, [](int x, int y) {
    if (x < 1 || x > 5 || y < 1 || y > 4) return kWhite;
    if (x == 1 || x == 5 || y == 1 || y == 4) return RGB(0, 0, 255);
    return RGB(0, 255, 0);
  }));
  // A null pen fills one pixel less to the right and bottom.
  SelectObject(s.dc, GetStockObject(NULL_PEN));
  SelectObject(s.dc, GetStockObject(BLACK_BRUSH));
  ASSERT_TRUE(Rectangle(s.dc, 0, 0, 3, 3));
  EXPECT_EQ(s.At(1, 1), 0u);
  EXPECT_EQ(s.At(2, 1), RGB(0, 0, 255));
  EXPECT_EQ(s.At(1, 2), RGB(0, 0, 255));
  SelectObject(s.dc, ob);
  SelectObject(s.dc, op);
  DeleteObject(brush);
  DeleteObject(pen);
}

TEST(FrameRect, OnePixelBorder) {
  Surface32 s(5, 5);
  RECT r{1, 1, 5, 4};
  FrameRect(s.dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  EXPECT_TRUE(PixelsMatch(s, [](int x, int y) {
    bool in = x >= 1 && x < 5 && y >= 1 && y < 4;
    bool edge = x == 1 || x == 4 || y == 1 || y == 3;
    return in && edge ? 0 : kWhite;
  }));
}

// ---------------------------------------------------------------------------------------
// Focus rectangles

class FocusRect : public ::testing::TestWithParam<RECT> {};

TEST_P(FocusRect, DottedFrameByXorAndTwiceRestores) {
  RECT r = GetParam();
  Surface32 s(12, 10);
  for (int y = 0; y < s.h; ++y)
    for (int x = 0; x < s.w; ++x) SetPixel(s.dc, x, y, RGB(BYTE(x * 20), BYTE(y * 25), 77));
  SetViewportOrgEx(s.dc, 1, 1, nullptr);
  auto original = [](int x, int y) { return RGB(BYTE(x * 20), BYTE(y * 25), 77); };
  ASSERT_TRUE(DrawFocusRect(s.dc, &r));
  EXPECT_TRUE(PixelsMatch(s, [&](int x, int y) {
    int l = r.left + 1, t = r.top + 1, rr = r.right + 1, b = r.bottom + 1;  // device
    bool inside = x >= l && x < rr && y >= t && y < b;
    bool frame = inside && (x == l || x == rr - 1 || y == t || y == b - 1);
    return frame && (x + y) % 2 == 0 ? (original(x, y) ^ 0xFFFFFFu) : original(x, y);
  }));
  ASSERT_TRUE(DrawFocusRect(s.dc, &r));
  EXPECT_TRUE(PixelsMatch(s, original));
}
INSTANTIATE_TEST_SUITE_P(Shapes, FocusRect,
                         ::testing::Values(RECT{1, 1, 9, 7}, RECT{0, 0, 10, 8}, RECT{2, 3, 3, 8}, RECT{1, 4, 8, 5},
                                           RECT{-1, 2, 5, 20}, RECT{3, 3, 4, 4}, RECT{-5, -5, 30, 30}));

TEST(FocusRectMono, InvertsBitsOfMonochromeBitmaps) {
  HBITMAP mono = CreateBitmap(4, 4, 1, 1, nullptr);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, mono);
  RECT r{0, 0, 4, 4};
  DrawFocusRect(dc, &r);
  EXPECT_EQ(GetPixel(dc, 0, 0), kWhite);
  EXPECT_EQ(GetPixel(dc, 1, 0), 0u);
  DrawFocusRect(dc, &r);
  EXPECT_EQ(GetPixel(dc, 0, 0), 0u);
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(mono);
}

// ---------------------------------------------------------------------------------------
// Viewport origin, pixels, masks

TEST(Viewport, MovesEveryDrawingOperation) {
  Surface32 s(8, 8);
  POINT old;
  SetViewportOrgEx(s.dc, 3, 2, &old);
  EXPECT_EQ(old, (POINT{0, 0}));
  OffsetViewportOrgEx(s.dc, 1, 1, &old);
  EXPECT_EQ(old, (POINT{3, 2}));
  SetPixel(s.dc, 0, 0, RGB(1, 1, 1));
  EXPECT_EQ(s.At(4, 3), RGB(1, 1, 1));
  EXPECT_EQ(GetPixel(s.dc, 0, 0), RGB(1, 1, 1));
  RECT r{-4, -3, -2, -2};
  FillRect(s.dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  EXPECT_EQ(s.At(0, 0), 0u);
  EXPECT_EQ(s.At(1, 0), 0u);
  EXPECT_EQ(s.At(2, 0), kWhite);
  MoveToEx(s.dc, -4, 3, nullptr);
  LineTo(s.dc, -1, 3);
  EXPECT_EQ(s.At(0, 6), 0u);
  EXPECT_EQ(s.At(2, 6), 0u);
  EXPECT_EQ(s.At(3, 6), kWhite);
  RECT box;
  GetClipBox(s.dc, &box);
  EXPECT_EQ(box, (RECT{-4, -3, 4, 5}));
}

TEST(Pixels, OutsideTheSurfaceIsInvalid) {
  Surface32 s(2, 2);
  EXPECT_EQ(SetPixel(s.dc, 2, 0, 0), CLR_INVALID);
  EXPECT_EQ(SetPixel(s.dc, -1, 0, 0), CLR_INVALID);
  EXPECT_EQ(GetPixel(s.dc, 0, 2), CLR_INVALID);
  EXPECT_EQ(GetPixel(s.dc, -2147483647 - 1, 0), CLR_INVALID);
  EXPECT_EQ(SetPixel(s.dc, 1, 1, RGB(3, 4, 5)), RGB(3, 4, 5));
  EXPECT_EQ(s.bits[3] >> 24, 0u);
  HBITMAP mono = CreateBitmap(2, 1, 1, 1, nullptr);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, mono);
  EXPECT_EQ(SetPixel(dc, 0, 0, RGB(200, 200, 200)), kWhite);  // nearest of black and white
  EXPECT_EQ(SetPixel(dc, 1, 0, RGB(60, 60, 60)), 0u);
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(mono);
}

TEST(PaintMonoMask, PaintsSetBitsClipped) {
  Surface32 s(6, 3);
  const BYTE mask[3 * 2] = {0xF0, 0x00, 0x90, 0x00, 0xF0, 0x00};  // 4x3 box outline, pitch 2
  IntersectClipRect(s.dc, 0, 0, 5, 3);
  SetViewportOrgEx(s.dc, 2, 0, nullptr);
  PaintMonoMask(s.dc, 0, 0, mask, 4, 3, 2, RGB(255, 0, 0));
  EXPECT_TRUE(PixelsMatch(s, [](int x, int y) {
    int mx = x - 2;
    bool set = mx >= 0 && mx < 4 && (y != 1 || mx == 0 || mx == 3);
    return set && x < 5 ? RGB(255, 0, 0) : kWhite;
  }));
  PaintMonoMask(s.dc, -2147483647, -5, mask, 4, 3, 2, 0);  // far away: nothing
  FillSolidRect(s.dc, RECT{-2, 1, 1, 2}, RGB(0, 0, 9));
  EXPECT_EQ(s.At(0, 1), RGB(0, 0, 9));
  EXPECT_EQ(s.At(2, 1), RGB(0, 0, 9));
  EXPECT_EQ(s.At(3, 1), kWhite);
}

}  // namespace
