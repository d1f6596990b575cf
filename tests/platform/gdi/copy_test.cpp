// Plain SRCCOPY blits, which take the engine's memory paths: every pair of 24- and 32-bit
// surfaces, top-down and bottom-up, at odd offsets and widths, through clips of one, two
// and three rectangles. Expected pixels come from the definition of a copy: inside the
// clip and the source, the source pixel; elsewhere the destination stays as it was. Narrow
// surfaces of equal width have equal strides in both formats (a 2-pixel row is 8 bytes
// either way): they are copied whole, and a 32-bit target's fourth byte is the source's
// fourth byte, or 0 from a 24-bit source.
#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "platform/gdi/gdi.h"

namespace {

struct Dib {
  HBITMAP bmp = nullptr;
  HDC dc = nullptr;
  BYTE* bits = nullptr;
  int w, h, bpp, stride;
  bool topDown;
  Dib(int width, int height, int bitsPerPixel, bool top) : w(width), h(height), bpp(bitsPerPixel), topDown(top) {
    BITMAPINFO bi;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = top ? -h : h;
    bi.bmiHeader.biBitCount = WORD(bpp);
    void* p = nullptr;
    bmp = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &p, nullptr, 0);
    bits = static_cast<BYTE*>(p);
    stride = (w * bpp / 8 + 3) & ~3;
    dc = CreateCompatibleDC(nullptr);
    SelectObject(dc, bmp);
  }
  ~Dib() {
    DeleteDC(dc);
    DeleteObject(bmp);
  }
  BYTE* Px(int x, int y) const { return bits + (topDown ? y : h - 1 - y) * stride + x * (bpp / 8); }
  COLORREF At(int x, int y) const { return RGB(Px(x, y)[2], Px(x, y)[1], Px(x, y)[0]); }
  void Put(int x, int y, COLORREF c) {
    Px(x, y)[0] = GetBValue(c);
    Px(x, y)[1] = GetGValue(c);
    Px(x, y)[2] = GetRValue(c);
  }
};

COLORREF SourceColour(int x, int y) { return RGB(BYTE(x * 5 + y), BYTE(y * 3 + 1), BYTE(x ^ y)); }

enum ClipKind { kNone, kTwoSideBySide, kLShape };

struct Case {
  int srcBpp, dstBpp;
  bool srcTopDown;
  ClipKind clip;
  int dx, sx, width;
  int dstExtra = 3;  // the destination's width beyond the source's
};

class PlainCopy : public ::testing::TestWithParam<Case> {};

TEST_P(PlainCopy, EqualsPixelByPixelCopy) {
  const Case& c = GetParam();
  const int h = 9;
  Dib src(c.width, h, c.srcBpp, c.srcTopDown), dst(c.width + c.dstExtra, h, c.dstBpp, true);
  std::fill(src.bits, src.bits + src.stride * h, BYTE(0xEE));  // row padding and fourth bytes
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < src.w; ++x) src.Put(x, y, SourceColour(x, y));
    for (int x = 0; x < dst.w; ++x) dst.Put(x, y, RGB(200, 100, 50));
  }
  std::vector<RECT> visible = {RECT{0, 0, dst.w, h}};
  if (c.clip == kTwoSideBySide) {
    ExcludeClipRect(dst.dc, 20, 0, 23, h);
    visible = {RECT{0, 0, 20, h}, RECT{23, 0, dst.w, h}};
  } else if (c.clip == kLShape) {
    ExcludeClipRect(dst.dc, 17, 4, dst.w, h);
    ExcludeClipRect(dst.dc, 0, 0, 2, 2);
    visible = {RECT{2, 0, dst.w, 2}, RECT{0, 2, dst.w, 4}, RECT{0, 4, 17, h}};
  }
  ASSERT_TRUE(BitBlt(dst.dc, c.dx, 0, c.width, h, src.dc, c.sx, 0, SRCCOPY));
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < dst.w; ++x) {
      bool inClip = false;
      for (const RECT& r : visible) inClip = inClip || (x >= r.left && x < r.right && y >= r.top && y < r.bottom);
      int fromX = x - c.dx + c.sx;
      bool copied = inClip && x >= c.dx && x < c.dx + c.width && fromX >= 0 && fromX < src.w;
      COLORREF want = copied ? SourceColour(fromX, y) : RGB(200, 100, 50);
      ASSERT_EQ(dst.At(x, y), want) << "first mismatch at (" << x << ", " << y << ")";
      if (c.dstBpp == 32) {
        ASSERT_EQ(dst.Px(x, y)[3], copied && c.srcBpp == 32 ? 0xEE : 0) << "fourth byte at (" << x << ", " << y << ")";
      }
    }
}

std::vector<Case> Cases() {
  std::vector<Case> out;
  for (int s : {24, 32})
    for (int d : {24, 32})
      for (bool top : {true, false})
        for (ClipKind k : {kNone, kTwoSideBySide, kLShape})
          for (auto [dx, sx, width] : {std::tuple{0, 0, 47}, std::tuple{1, 0, 70}, std::tuple{0, 3, 70},
                                       std::tuple{3, 1, 41}})
            out.push_back(Case{s, d, top, k, dx, sx, width});
  for (int s : {24, 32})
    for (int d : {24, 32})
      for (bool top : {true, false})
        for (int width = 1; width <= 5; ++width) out.push_back(Case{s, d, top, kNone, 0, 0, width, 0});
  return out;
}

INSTANTIATE_TEST_SUITE_P(Formats, PlainCopy, ::testing::ValuesIn(Cases()));

}  // namespace
