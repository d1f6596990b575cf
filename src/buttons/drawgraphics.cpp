#include "buttons/drawgraphics.h"

#include <algorithm>
#include <cstdlib>

#include "buttons/drawcommon.h"

namespace {

COLORREF Rgb(TColor color) { return COLORREF(ColorToRGB(color)); }

void Line(TCanvas& canvas, int x1, int y1, int x2, int y2) {
  canvas.MoveTo(x1, y1);
  canvas.LineTo(x2, y2);
}

// A memory DC with a bitmap of its own, both freed together.
struct Scratch {
  Scratch(HDC like, int w, int h, bool mono)
      : dc(CreateCompatibleDC(like)),
        bmp(mono ? CreateBitmap(w, h, 1, 1, nullptr) : CreateCompatibleBitmap(like, w, h)) {
    if (dc && bmp) old = SelectObject(dc.get(), bmp.get());
  }
  ~Scratch() {
    if (old) SelectObject(dc.get(), old);
  }
  Scratch(const Scratch&) = delete;
  Scratch& operator=(const Scratch&) = delete;
  bool ok() const { return old != nullptr; }
  DcPtr dc;
  GdiPtr<GdiBitmap> bmp;
  HGDIOBJ old = nullptr;
};

}  // namespace

// ---------------------------------------------------------------------------------------
// Frames

RECT DrawEdges(TCanvas& canvas, const RECT& rect, TColor upperLeft, TColor lowerRight, TSides sides) {
  const int l = rect.left, t = rect.top, r = rect.right, b = rect.bottom;
  canvas.Pen()->SetColor(upperLeft);
  if (sides.Contains(sdLeft)) Line(canvas, l, t, l, b);
  if (sides.Contains(sdTop)) Line(canvas, l, t, r, t);
  canvas.Pen()->SetColor(lowerRight);
  if (sides.Contains(sdRight)) Line(canvas, r - 1, t, r - 1, b);
  if (sides.Contains(sdBottom)) Line(canvas, l, b - 1, r, b - 1);
  RECT inner = rect;
  if (sides.Contains(sdLeft)) ++inner.left;
  if (sides.Contains(sdTop)) ++inner.top;
  if (sides.Contains(sdRight)) --inner.right;
  if (sides.Contains(sdBottom)) --inner.bottom;
  return inner;
}

RECT DrawButtonFrame(TCanvas& canvas, const RECT& rect, bool pushed, TSides sides) {
  if (pushed) {
    const RECT inner = DrawEdges(canvas, rect, clBtnText, clBtnText, sides);
    return DrawEdges(canvas, inner, clBtnShadow, clBtnShadow, sides);
  }
  const RECT inner = DrawEdges(canvas, rect, clBtnHighlight, cl3DDkShadow, sides);
  return DrawEdges(canvas, inner, cl3DLight, clBtnShadow, sides);
}

RECT DrawSunkenFrame(TCanvas& canvas, const RECT& rect, TSides sides) {
  const RECT inner = DrawEdges(canvas, rect, clBtnShadow, clBtnHighlight, sides);
  return DrawEdges(canvas, inner, cl3DDkShadow, cl3DLight, sides);
}

RECT DrawTintedButtonFrame(TCanvas& canvas, const RECT& rect, TColor face, bool pushed, TSides sides) {
  if (pushed) {
    const TColor outer = ShadeDarker(face, 100), inner = ShadeDarker(face, 50);
    return DrawEdges(canvas, DrawEdges(canvas, rect, outer, outer, sides), inner, inner, sides);
  }
  const RECT r = DrawEdges(canvas, rect, ShadeLighter(face, 100), ShadeDarker(face, 100), sides);
  return DrawEdges(canvas, r, ShadeLighter(face, 40), ShadeDarker(face, 50), sides);
}

RECT DrawTintedSunkenFrame(TCanvas& canvas, const RECT& rect, TColor face, TSides sides) {
  const RECT r = DrawEdges(canvas, rect, ShadeDarker(face, 50), ShadeLighter(face, 100), sides);
  return DrawEdges(canvas, r, ShadeDarker(face, 100), ShadeLighter(face, 50), sides);
}

// ---------------------------------------------------------------------------------------
// Gradients

namespace {

constexpr int kColumn = 8;  // width of the computed column that is then replicated

int MinimumBand(BYTE steps) {
  if (steps == 0) return 1;
  if (steps <= 8) return steps;
  return 255 / steps + 1;
}

}  // namespace

void FillVerticalGradient(TCanvas& canvas, const RECT& rect, TColor top, TColor bottom, BYTE steps) {
  const COLORREF t = Rgb(top), b = Rgb(bottom);
  const int w = std::abs(rect.right - rect.left), h = std::abs(rect.bottom - rect.top);
  if (w == 0 || h == 0) return;
  HDC target = canvas.Handle();
  Scratch s(target, w, h, false);
  if (!s.ok()) return;

  // Channels as 16.16 fixed point, counted from the bottom row upwards.
  const int from[3] = {GetRValue(b), GetGValue(b), GetBValue(b)};
  const int to[3] = {GetRValue(t), GetGValue(t), GetBValue(t)};
  int inc[3];
  for (int c = 0; c < 3; ++c) inc[c] = ((to[c] - from[c]) * 65536) / h;
  auto rowColor = [&](int k) {  // k rows above the bottom row
    return RGB(BYTE((from[0] * 65536 + k * inc[0]) >> 16), BYTE((from[1] * 65536 + k * inc[1]) >> 16),
               BYTE((from[2] * 65536 + k * inc[2]) >> 16));
  };

  const int column = std::min(kColumn, w), minBand = MinimumBand(steps);
  for (int k = 0; k < h;) {
    const COLORREF color = rowColor(k);
    int n = 1;
    while (k + n < h && (n < minBand || rowColor(k + n) == color)) ++n;
    const RECT band{0, h - k - n, column, h - k};
    GdiPtr<GdiBrush> brush(CreateSolidBrush(color));
    FillRect(s.dc.get(), &band, brush.get());
    k += n;
  }
  for (int covered = column; covered < w;) {
    const int n = std::min(covered, w - covered);
    BitBlt(s.dc.get(), covered, 0, n, h, s.dc.get(), 0, 0, SRCCOPY);
    covered += n;
  }
  BitBlt(target, rect.left, rect.top, w, h, s.dc.get(), 0, 0, SRCCOPY);
}

void DrawGradientRing(TCanvas& canvas, const RECT& rect, TColor top, TColor bottom) {
  if (!FullColorDisplay()) return;
  HDC dc = canvas.Handle();
  // The caller's clip comes back afterwards: dropping it would let a windowless control
  // paint over its neighbours.
  GdiPtr<GdiRegion> saved(CreateRectRgn(0, 0, 0, 0));
  const bool hadClip = saved && GetClipRgn(dc, saved.get()) == 1;
  struct Restore {
    HDC dc;
    HRGN region;
    ~Restore() { SelectClipRgn(dc, region); }
  } restore{dc, hadClip ? saved.get() : nullptr};
  ExcludeClipRect(dc, rect.left + 2, rect.top + 2, rect.right - 2, rect.bottom - 2);
  FillVerticalGradient(canvas, rect, top, bottom, 1);
}

// ---------------------------------------------------------------------------------------
// Dotted frames and masked copies

RECT DrawDottedFrame(TCanvas& canvas, const RECT& rect) {
  const int l = rect.left, t = rect.top, r = rect.right, b = rect.bottom;
  for (int y = t + 1; y < b; y += 2) canvas.SetPixel(l, y, clBlack);
  for (int y = t + 1; y < b; y += 2) canvas.SetPixel(r - 1, y, clBlack);
  for (int x = l + 1; x < r; x += 2) canvas.SetPixel(x, t, clBlack);
  for (int x = l + 1; x < r; x += 2) canvas.SetPixel(x, b - 1, clBlack);
  return RECT{l + 1, t + 1, r - 1, b - 1};
}

void DrawMaskedBitmap(TCanvas& canvas, TBitmap& source, const RECT& dest, const RECT& src, TColor transparent) {
  const int w = dest.right - dest.left, h = dest.bottom - dest.top;
  const int sw = src.right - src.left, sh = src.bottom - src.top;
  if (w <= 0 || h <= 0 || sw <= 0 || sh <= 0) return;
  HDC target = canvas.Handle();
  Scratch color(target, w, h, false);
  Scratch mask(target, w, h, true);
  if (!color.ok() || !mask.ok()) return;
  StretchBlt(color.dc.get(), 0, 0, w, h, source.Canvas()->Handle(), src.left, src.top, sw, sh, SRCCOPY);
  // Colour to monochrome: pixels of the source's background colour become white (1).
  SetBkColor(color.dc.get(), Rgb(transparent));
  BitBlt(mask.dc.get(), 0, 0, w, h, color.dc.get(), 0, 0, SRCCOPY);
  // Where the mask is set the destination stays (ROP "D"); elsewhere the copy lands.
  constexpr DWORD kKeepDestination = 0x00AA0029;
  MaskBlt(target, dest.left, dest.top, w, h, color.dc.get(), 0, 0, mask.bmp.get(), 0, 0,
          MAKEROP4(kKeepDestination, SRCCOPY));
}
