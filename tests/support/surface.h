// A memory DC drawing into a top-down 32-bit DIB section filled with one colour: the
// drawing surface of the pixel tests.
#pragma once

#include <cstdint>

#include "platform/gdi/gdi.h"

namespace testsupport {

struct Surface32 {
  HBITMAP bmp = nullptr;
  HDC dc = nullptr;
  HGDIOBJ old = nullptr;
  std::uint32_t* bits = nullptr;
  int w = 0, h = 0;
  Surface32(int width, int height, COLORREF fill = RGB(255, 255, 255)) : w(width), h(height) {
    BITMAPINFO bi{};
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* p = nullptr;
    bmp = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &p, nullptr, 0);
    bits = static_cast<std::uint32_t*>(p);
    dc = CreateCompatibleDC(nullptr);
    old = SelectObject(dc, bmp);
    FillSolidRect(dc, RECT{0, 0, width, height}, fill);
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
    const std::uint32_t v = bits[y * w + x];
    return RGB(BYTE(v >> 16), BYTE(v >> 8), BYTE(v));
  }
};

}  // namespace testsupport
