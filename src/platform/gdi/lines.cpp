// Pixels, lines, rectangle outlines, focus rectangles and glyph masks.
#include <algorithm>
#include <cstring>

#include "platform/gdi/dc_internal.h"

using namespace gdi;

namespace {

using i64 = std::int64_t;
using i128 = __int128;

// The DC's clip rectangles with their bounding box, for per-pixel tests.
struct PixelClip {
  std::vector<RECT> rects;
  RECT box{};
  explicit PixelClip(HDC hdc) : rects(ClipRects(hdc)), box(BoundingBox(rects)) {}
  bool Has(i64 x, i64 y) const {
    if (x < box.left || x >= box.right || y < box.top || y >= box.bottom) return false;
    for (const RECT& r : rects)
      if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) return true;
    return false;
  }
};

i64 FloorDiv(i128 a, i128 b) {
  i128 q = a / b;
  if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
  return i64(q);
}

// Bresenham from (x0, y0) towards (x1, y1), end point excluded, in device coordinates.
// Pixel k of the line lies k steps along the major axis; the minor axis is rounded half
// up, which is what the incremental error-term loop produces. Only the steps that can
// land inside the clip box are visited, so huge coordinates cost nothing. `phase` counts
// pixels across the sides of one figure for dotted pens.
void DrawLine(GdiBitmap& dst, const PixelClip& clip, i64 x0, i64 y0, i64 x1, i64 y1, u32 value, bool dotted,
              i64& phase) {
  i64 dx = x1 - x0, dy = y1 - y0;
  i64 adx = dx < 0 ? -dx : dx, ady = dy < 0 ? -dy : dy;
  int sx = dx < 0 ? -1 : 1, sy = dy < 0 ? -1 : 1;
  bool xMajor = adx >= ady;
  i64 major = xMajor ? adx : ady, minor = xMajor ? ady : adx;
  if (major == 0) return;
  i64 start = xMajor ? x0 : y0;
  int dir = xMajor ? sx : sy;
  i64 lo = xMajor ? clip.box.left : clip.box.top, hi = xMajor ? clip.box.right : clip.box.bottom;
  // Steps k with lo <= start + dir * k < hi.
  i64 kmin = 0, kmax = major;
  if (dir > 0) {
    kmin = std::max<i64>(kmin, lo - start);
    kmax = std::min<i64>(kmax, hi - start);
  } else {
    kmin = std::max<i64>(kmin, start - hi + 1);
    kmax = std::min<i64>(kmax, start - lo + 1);
  }
  for (i64 k = kmin; k < kmax; ++k) {
    if (dotted && ((phase + k) & 1)) continue;
    i64 m = FloorDiv(i128(2) * k * minor + major, i128(2) * major);
    i64 px = xMajor ? x0 + sx * k : x0 + sx * m;
    i64 py = xMajor ? y0 + sy * m : y0 + sy * k;
    if (clip.Has(px, py)) PutValue(dst, int(px), int(py), value);
  }
  phase += major;
}

bool PenDraws(HPEN pen) { return pen && pen->style != PS_NULL; }

}  // namespace

COLORREF SetPixel(HDC hdc, int x, int y, COLORREF color) {
  GdiBitmap* dst = Surface(hdc);
  if (!dst) return CLR_INVALID;
  i64 dx = i64(x) + hdc->state.viewportOrg.x, dy = i64(y) + hdc->state.viewportOrg.y;
  if (!PixelClip(hdc).Has(dx, dy)) return CLR_INVALID;
  u32 v = ColorToValue(*dst, color);
  PutValue(*dst, int(dx), int(dy), v);
  return ValueToColor(*dst, v);
}

COLORREF GetPixel(HDC hdc, int x, int y) {
  GdiBitmap* dst = Surface(hdc);
  if (!dst) return CLR_INVALID;
  i64 dx = i64(x) + hdc->state.viewportOrg.x, dy = i64(y) + hdc->state.viewportOrg.y;
  if (!PixelClip(hdc).Has(dx, dy)) return CLR_INVALID;
  return ValueToColor(*dst, GetValue(*dst, int(dx), int(dy)));
}

BOOL LineTo(HDC hdc, int x, int y) {
  GdiBitmap* dst = Surface(hdc);
  if (!dst) return FALSE;
  DcState& s = hdc->state;
  POINT from = s.position;
  s.position = POINT{x, y};
  if (!PenDraws(s.pen)) return TRUE;
  PixelClip clip(hdc);
  i64 phase = 0;
  DrawLine(*dst, clip, i64(from.x) + s.viewportOrg.x, i64(from.y) + s.viewportOrg.y, i64(x) + s.viewportOrg.x,
           i64(y) + s.viewportOrg.y, ColorToValue(*dst, s.pen->color), s.pen->style == PS_DOT, phase);
  return TRUE;
}

BOOL Rectangle(HDC hdc, int left, int top, int right, int bottom) {
  GdiBitmap* dst = Surface(hdc);
  if (!dst) return FALSE;
  i64 l = std::min(left, right), r = std::max(left, right), t = std::min(top, bottom), b = std::max(top, bottom);
  if (l == r || t == b) return TRUE;
  DcState& s = hdc->state;
  bool pen = PenDraws(s.pen);
  // With a null pen Win32 fills one pixel less to the right and bottom.
  if (pen)
    FillWithBrush(hdc, l + 1, t + 1, r - 1, b - 1, s.brush, PATCOPY);
  else
    FillWithBrush(hdc, l, t, r - 1, b - 1, s.brush, PATCOPY);
  if (pen) {
    PixelClip clip(hdc);
    u32 v = ColorToValue(*dst, s.pen->color);
    bool dotted = s.pen->style == PS_DOT;
    i64 ox = s.viewportOrg.x, oy = s.viewportOrg.y, phase = 0;
    const i64 px[5] = {l, r - 1, r - 1, l, l}, py[5] = {t, t, b - 1, b - 1, t};
    for (int i = 0; i < 4; ++i)
      DrawLine(*dst, clip, px[i] + ox, py[i] + oy, px[i + 1] + ox, py[i + 1] + oy, v, dotted, phase);
    if (r - l == 1 && b - t == 1 && clip.Has(l + ox, t + oy)) PutValue(*dst, int(l + ox), int(t + oy), v);
  }
  return TRUE;
}

int FrameRect(HDC hdc, const RECT* r, HBRUSH brush) {
  if (!Surface(hdc) || !r || !brush) return 0;
  if (IsRectEmpty(*r)) return 1;
  i64 l = r->left, t = r->top, rr = r->right, b = r->bottom;
  FillWithBrush(hdc, l, t, rr, t + 1, brush, PATCOPY);
  if (b - t > 1) FillWithBrush(hdc, l, b - 1, rr, b, brush, PATCOPY);
  FillWithBrush(hdc, l, t + 1, l + 1, b - 1, brush, PATCOPY);
  if (rr - l > 1) FillWithBrush(hdc, rr - 1, t + 1, rr, b - 1, brush, PATCOPY);
  return 1;
}

BOOL DrawFocusRect(HDC hdc, const RECT* rc) {
  GdiBitmap* dst = Surface(hdc);
  if (!dst || !rc) return FALSE;
  if (IsRectEmpty(*rc)) return TRUE;
  const POINT& o = hdc->state.viewportOrg;
  i64 l = i64(rc->left) + o.x, t = i64(rc->top) + o.y, r = i64(rc->right) + o.x, b = i64(rc->bottom) + o.y;
  PixelClip clip(hdc);
  u32 flip = ValueMask(*dst);
  auto invert = [&](i64 x, i64 y) {
    if (((x + y) & 1) == 0 && clip.Has(x, y)) PutValue(*dst, int(x), int(y), GetValue(*dst, int(x), int(y)) ^ flip);
  };
  // Visit each frame pixel once (corners belong to the rows) and only inside the box.
  i64 xa = std::max<i64>(l, clip.box.left), xb = std::min<i64>(r, clip.box.right);
  for (i64 x = xa; x < xb; ++x) {
    invert(x, t);
    if (b - 1 > t) invert(x, b - 1);
  }
  i64 ya = std::max<i64>(t + 1, clip.box.top), yb = std::min<i64>(b - 1, clip.box.bottom);
  for (i64 y = ya; y < yb; ++y) {
    invert(l, y);
    if (r - 1 > l) invert(r - 1, y);
  }
  return TRUE;
}

void PaintMonoMask(HDC hdc, int x, int y, const BYTE* mask, int width, int height, int pitch, COLORREF color) {
  GdiBitmap* dst = Surface(hdc);
  if (!dst || !mask || width <= 0 || height <= 0 || pitch <= 0 || i64(pitch) * 8 < width) return;
  u32 v = ColorToValue(*dst, color);
  i64 ox = i64(x) + hdc->state.viewportOrg.x, oy = i64(y) + hdc->state.viewportOrg.y;
  for (const RECT& c : ClipRects(hdc)) {
    i64 x0 = std::max<i64>(ox, c.left), x1 = std::min<i64>(ox + width, c.right);
    i64 y0 = std::max<i64>(oy, c.top), y1 = std::min<i64>(oy + height, c.bottom);
    for (i64 dy = y0; dy < y1; ++dy) {
      const BYTE* row = mask + (dy - oy) * pitch;
      for (i64 dx = x0; dx < x1; ++dx) {
        i64 mx = dx - ox;
        if (row[mx >> 3] & (0x80 >> (mx & 7))) PutValue(*dst, int(dx), int(dy), v);
      }
    }
  }
}
