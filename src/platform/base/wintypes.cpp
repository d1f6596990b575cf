// Rectangle helpers with the Windows semantics (right and bottom are exclusive).
#include "platform/base/wintypes.h"

#include <algorithm>

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

int MulDiv(int number, int numerator, int denominator) {
  if (denominator == 0) return -1;
  const std::int64_t p = std::int64_t(number) * numerator;
  const std::int64_t d = denominator < 0 ? -std::int64_t(denominator) : denominator;
  const std::int64_t n = denominator < 0 ? -p : p;
  const std::int64_t q = n >= 0 ? (n + d / 2) / d : -((-n + d / 2) / d);
  if (q > INT32_MAX || q < INT32_MIN) return -1;
  return int(q);
}
