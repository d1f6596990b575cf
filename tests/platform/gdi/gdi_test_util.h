// Small fixtures for the GDI tests: 32-bit drawing surfaces and pixel comparisons that
// name the first pixel that differs.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>

// The GDI's own tests look at its objects from inside.
#include "platform/gdi/dc_internal.h"
#include "platform/gdi/gdi.h"

// A memory DC drawing into a top-down 32-bit DIB section.
struct Surface32 {
  HBITMAP bmp = nullptr;
  HDC dc = nullptr;
  HGDIOBJ old = nullptr;
  std::uint32_t* bits = nullptr;
  int w = 0, h = 0;
  Surface32(int width, int height, COLORREF fill = RGB(255, 255, 255)) : w(width), h(height) {
    BITMAPINFO bi;
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;
    bi.bmiHeader.biBitCount = 32;
    void* p = nullptr;
    bmp = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &p, nullptr, 0);
    bits = static_cast<std::uint32_t*>(p);
    dc = CreateCompatibleDC(nullptr);
    old = SelectObject(dc, bmp);
    RECT r{0, 0, width, height};
    FillSolidRect(dc, r, fill);
  }
  ~Surface32() {
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bmp);
  }
  Surface32(const Surface32&) = delete;
  Surface32& operator=(const Surface32&) = delete;
  // The pixel as COLORREF, read from memory (ignores the DC's clip and origin).
  COLORREF At(int x, int y) const {
    std::uint32_t v = bits[y * w + x];
    return RGB(BYTE(v >> 16), BYTE(v >> 8), BYTE(v));
  }
};

// Compares every pixel with expect(x, y); reports the first mismatch with coordinates.
inline ::testing::AssertionResult PixelsMatch(const Surface32& s, const std::function<COLORREF(int, int)>& expect) {
  for (int y = 0; y < s.h; ++y)
    for (int x = 0; x < s.w; ++x)
      if (s.At(x, y) != expect(x, y)) {
        char msg[160];
        std::snprintf(msg, sizeof msg, "first mismatch at (%d, %d): got 0x%06X, want 0x%06X", x, y,
                      unsigned(s.At(x, y)), unsigned(expect(x, y)));
        return ::testing::AssertionFailure() << msg;
      }
  return ::testing::AssertionSuccess();
}
