// Basic value types of the Windows-style platform layer: integers, colours, points,
// rectangles and the opaque handle types. Everything above the platform speaks in these.
#pragma once

#include <cstdint>

using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using LONG = std::int32_t;
using UINT = unsigned int;
using BOOL = int;
using COLORREF = std::uint32_t;  // 0x00BBGGRR; 0xFF0000nn names system colour nn
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;

#ifndef TRUE
#define TRUE 1
#define FALSE 0
#endif

struct POINT {
  LONG x = 0, y = 0;
  friend bool operator==(const POINT&, const POINT&) = default;
};
struct SIZE {
  LONG cx = 0, cy = 0;
  friend bool operator==(const SIZE&, const SIZE&) = default;
};
struct RECT {
  LONG left = 0, top = 0, right = 0, bottom = 0;
  friend bool operator==(const RECT&, const RECT&) = default;
};

// Rectangle helpers with the Windows semantics (right and bottom are exclusive).
bool IsRectEmpty(const RECT& r);
bool PtInRect(const RECT& r, POINT p);
bool IntersectRect(RECT* out, const RECT& a, const RECT& b);
bool UnionRect(RECT* out, const RECT& a, const RECT& b);
void OffsetRect(RECT* r, int dx, int dy);
void InflateRect(RECT* r, int dx, int dy);
void SetRect(RECT* r, int left, int top, int right, int bottom);

// number * numerator / denominator through a 64-bit product, rounded to the nearest whole
// number with halves away from zero, as the system scales by pixels per inch; -1 when the
// denominator is 0 or the result does not fit in an int.
int MulDiv(int number, int numerator, int denominator);

constexpr COLORREF RGB(BYTE r, BYTE g, BYTE b) {
  return COLORREF(r) | (COLORREF(g) << 8) | (COLORREF(b) << 16);
}
constexpr BYTE GetRValue(COLORREF c) { return BYTE(c); }
constexpr BYTE GetGValue(COLORREF c) { return BYTE(c >> 8); }
constexpr BYTE GetBValue(COLORREF c) { return BYTE(c >> 16); }

// Opaque handles. GDI objects share one base so SelectObject/DeleteObject take any of them.
struct GdiObject;
struct GdiBitmap;
struct GdiBrush;
struct GdiPen;
struct GdiFont;
struct GdiPalette;
struct GdiRegion;
struct DeviceContext;
struct Window;     // defined by the window system (platform/win)
struct CursorObj;  // defined by the window system
struct IconObj;    // defined by platform/icon

using HGDIOBJ = GdiObject*;
using HBITMAP = GdiBitmap*;
using HBRUSH = GdiBrush*;
using HPEN = GdiPen*;
using HFONT = GdiFont*;
using HPALETTE = GdiPalette*;
using HRGN = GdiRegion*;
using HDC = DeviceContext*;
using HWND = Window*;
using HCURSOR = CursorObj*;
using HICON = IconObj*;
using HINSTANCE = void*;
