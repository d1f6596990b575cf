// Block transfers between DCs and pattern fills: PatBlt, BitBlt, StretchBlt, MaskBlt,
// FillRect, InvertRect and FillSolidRect.
#include <cstdlib>

#include "platform/gdi/dc_internal.h"

using namespace gdi;

namespace {

// Brings a signed extent to a positive one; reports whether it was flipped.
bool Normalize(std::int64_t& pos, std::int64_t& len) {
  if (len >= 0) return false;
  pos += len;
  len = -len;
  return true;
}

BOOL Transfer(HDC dst, std::int64_t x, std::int64_t y, std::int64_t w, std::int64_t h, HDC src, std::int64_t sx,
              std::int64_t sy, std::int64_t sw, std::int64_t sh, HBITMAP maskBmp, std::int64_t mx, std::int64_t my,
              DWORD rop4) {
  GdiBitmap* surface = Surface(dst);
  if (!surface) return FALSE;
  BYTE fore = BYTE(rop4 >> 16), back = maskBmp ? BYTE(rop4 >> 24) : fore;
  bool useS = RopUsesSource(fore) || RopUsesSource(back);
  bool useP = RopUsesPattern(fore) || RopUsesPattern(back);
  if (useS && !Surface(src)) return FALSE;
  if (maskBmp && maskBmp->bitsPerPixel != 1) return FALSE;
  if (w == 0 || h == 0) return TRUE;

  bool flipX = Normalize(x, w), flipY = Normalize(y, h);
  const POINT& o = dst->state.viewportOrg;
  Source source;
  if (useS) {
    if (sw == 0 || sh == 0) return FALSE;
    bool sflipX = Normalize(sx, sw), sflipY = Normalize(sy, sh);
    const POINT& so = src->state.viewportOrg;
    source.bmp = Surface(src);
    source.x = sx + so.x;
    source.y = sy + so.y;
    source.w = sw;
    source.h = sh;
    source.mirrorX = flipX != sflipX;
    source.mirrorY = flipY != sflipY;
    source.dcRules = true;
    source.srcBk = src->state.bkColor;
    source.dstText = dst->state.textColor;
    source.dstBk = dst->state.bkColor;
  }
  Pattern pat;
  if (useP) pat = MakePattern(dst, dst->state.brush, *surface);
  Mask mask;
  mask.bmp = maskBmp;
  mask.x = mx;
  mask.y = my;
  Raster(*surface, ClipRects(dst), x + o.x, y + o.y, w, h, useS ? &source : nullptr, &pat,
         maskBmp ? &mask : nullptr, rop4);
  return TRUE;
}

HBRUSH BrushArg(HBRUSH brush) {
  auto v = reinterpret_cast<std::uintptr_t>(brush);
  if (v != 0 && v <= 31) return GetSysColorBrush(int(v) - 1);
  return brush;
}

}  // namespace

BOOL PatBlt(HDC hdc, int x, int y, int w, int h, DWORD rop) {
  if (!Surface(hdc) || RopUsesSource(RopIndex(rop))) return FALSE;
  std::int64_t X = x, Y = y, W = w, H = h;
  Normalize(X, W);
  Normalize(Y, H);
  FillWithBrush(hdc, X, Y, X + W, Y + H, hdc->state.brush, rop & 0x00FFFFFF);
  return TRUE;
}

BOOL BitBlt(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, DWORD rop) {
  return Transfer(dst, x, y, w, h, src, sx, sy, w, h, nullptr, 0, 0, rop & 0x00FFFFFF);
}

BOOL StretchBlt(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh, DWORD rop) {
  return Transfer(dst, x, y, w, h, src, sx, sy, sw, sh, nullptr, 0, 0, rop & 0x00FFFFFF);
}

BOOL MaskBlt(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, HBITMAP mask, int mx, int my,
             DWORD rop4) {
  if (!mask) return Transfer(dst, x, y, w, h, src, sx, sy, w, h, nullptr, 0, 0, rop4 & 0x00FFFFFF);
  if (w < 0 || h < 0) return FALSE;
  return Transfer(dst, x, y, w, h, src, sx, sy, w, h, mask, mx, my, rop4);
}

int FillRect(HDC hdc, const RECT* r, HBRUSH brush) {
  brush = BrushArg(brush);
  if (!Surface(hdc) || !r || !brush) return 0;
  FillWithBrush(hdc, r->left, r->top, r->right, r->bottom, brush, PATCOPY);
  return 1;
}

BOOL InvertRect(HDC hdc, const RECT* r) {
  if (!Surface(hdc) || !r) return FALSE;
  FillWithBrush(hdc, r->left, r->top, r->right, r->bottom, nullptr, DSTINVERT);
  return TRUE;
}

void FillSolidRect(HDC hdc, const RECT& r, COLORREF color) {
  GdiBitmap* dst = Surface(hdc);
  if (!dst || IsRectEmpty(r)) return;
  Pattern pat;
  pat.present = true;
  pat.tile = {ColorToValue(*dst, color)};
  const POINT& o = hdc->state.viewportOrg;
  Raster(*dst, ClipRects(hdc), std::int64_t(r.left) + o.x, std::int64_t(r.top) + o.y,
         std::int64_t(r.right) - r.left, std::int64_t(r.bottom) - r.top, nullptr, &pat, nullptr, PATCOPY);
}
