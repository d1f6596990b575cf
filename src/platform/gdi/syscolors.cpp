// System colour table (Windows 7 default scheme) and the rectangle helpers.
#include <algorithm>

#include "platform/gdi/gdi.h"

namespace {

struct SysColor {
  int index;
  BYTE r, g, b;
};

constexpr SysColor kSysColors[] = {
    {0, 200, 200, 200}, {1, 0, 0, 0},       {2, 153, 180, 209}, {3, 191, 205, 219}, {4, 240, 240, 240},
    {5, 255, 255, 255}, {6, 100, 100, 100}, {7, 0, 0, 0},       {8, 0, 0, 0},       {9, 0, 0, 0},
    {10, 180, 180, 180}, {11, 244, 247, 252}, {12, 171, 171, 171}, {13, 51, 153, 255}, {14, 255, 255, 255},
    {15, 240, 240, 240}, {16, 160, 160, 160}, {17, 109, 109, 109}, {18, 0, 0, 0},     {19, 67, 78, 84},
    {20, 255, 255, 255}, {21, 105, 105, 105}, {22, 227, 227, 227}, {23, 0, 0, 0},     {24, 255, 255, 225},
    {26, 0, 102, 204},   {27, 185, 209, 234}, {28, 215, 228, 242}, {29, 51, 153, 255}, {30, 240, 240, 240},
};

}  // namespace

COLORREF GetSysColor(int index) {
  for (const SysColor& c : kSysColors)
    if (c.index == index) return RGB(c.r, c.g, c.b);
  return 0;
}

COLORREF ColorToRGB(COLORREF color) {
  if ((color & 0xFFFFFF00u) == 0xFF000000u) return GetSysColor(int(color & 0xFF));
  return color;
}

// ---------------------------------------------------------------------------------------
// Rectangles

bool IsRectEmpty(const RECT& r) { return r.left >= r.right || r.top >= r.bottom; }

bool PtInRect(const RECT& r, POINT p) { return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom; }

bool IntersectRect(RECT* out, const RECT& a, const RECT& b) {
  RECT r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
         std::min(a.bottom, b.bottom)};
  if (IsRectEmpty(r)) r = RECT{};
  if (out) *out = r;
  return !IsRectEmpty(r);
}

bool UnionRect(RECT* out, const RECT& a, const RECT& b) {
  RECT r;
  if (IsRectEmpty(a))
    r = IsRectEmpty(b) ? RECT{} : b;
  else if (IsRectEmpty(b))
    r = a;
  else
    r = RECT{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
             std::max(a.bottom, b.bottom)};
  if (out) *out = r;
  return !IsRectEmpty(r);
}

void OffsetRect(RECT* r, int dx, int dy) {
  if (!r) return;
  r->left += dx;
  r->right += dx;
  r->top += dy;
  r->bottom += dy;
}

void InflateRect(RECT* r, int dx, int dy) {
  if (!r) return;
  r->left -= dx;
  r->right += dx;
  r->top -= dy;
  r->bottom += dy;
}

void SetRect(RECT* r, int left, int top, int right, int bottom) {
  if (r) *r = RECT{left, top, right, bottom};
}
