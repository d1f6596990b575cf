// The flat hot-tracking look: a two-ring frame with rounded corners in shades of the
// parent's colour and FrameColor, a gently graded face, and a two-pixel gradient ring
// when the pointer is over the button or it is the default one. On palette displays the
// gradients give way to plain colours.
#include "buttons/buttonlook.h"
#include "buttons/drawcommon.h"
#include "buttons/drawgraphics.h"

namespace {

void Line(TCanvas& c, int x1, int y1, int x2, int y2) {
  c.MoveTo(x1, y1);
  c.LineTo(x2, y2);
}

// The face without its ring: two darker lines at the bottom and a gradient above them.
// r itself is not changed.
void FaceFill(TCanvas& c, const RECT& r, TColor face) {
  c.Pen()->SetColor(ShadeDarker(face, 20));
  Line(c, r.left, r.bottom - 2, r.right, r.bottom - 2);
  c.Pen()->SetColor(ShadeDarker(face, 30));
  Line(c, r.left, r.bottom - 1, r.right, r.bottom - 1);
  RECT above = r;
  above.bottom -= 2;
  if (FullColorDisplay()) {
    FillVerticalGradient(c, above, ShadeLighter(face, 30), ShadeDarker(face, 10), 1);
  } else {
    c.Brush()->SetColor(face);
    c.FillRect(above);
  }
}

}  // namespace

RECT PaintHotTrackLook(TCanvas& c, const TButtonLook& look) {
  RECT r = look.client;
  const TColor parent = look.parentColor;
  const TColor dark = look.enabled ? ShadeDarker(parent, 20) : parent;
  const TColor light = look.enabled ? ShadeLighter(parent, 20) : parent;
  // Outer ring: the outermost corner pixels stay the parent's, which rounds the corners.
  c.Pen()->SetColor(dark);
  Line(c, r.left, r.top + 2, r.left, r.bottom - 2);
  Line(c, r.left + 2, r.top, r.right - 2, r.top);
  c.Pen()->SetColor(light);
  Line(c, r.right - 1, r.top + 2, r.right - 1, r.bottom - 2);
  Line(c, r.left + 2, r.bottom - 1, r.right - 2, r.bottom - 1);
  c.SetPixel(r.left + 1, r.top + 1, dark);
  c.SetPixel(r.right - 2, r.top + 1, dark);
  c.SetPixel(r.right - 2, r.bottom - 2, light);
  c.SetPixel(r.left + 1, r.bottom - 2, dark);

  InflateRect(&r, -1, -1);
  TColor inner = look.frameColor;
  if (!look.enabled)
    inner = look.color == clBtnFace ? ShadeLighter(clBtnShadow, 30) : ShadeDarker(look.color, 80);
  c.Pen()->SetColor(inner);
  Line(c, r.left, r.top + 1, r.left, r.bottom - 1);
  Line(c, r.left + 1, r.top, r.right - 1, r.top);
  Line(c, r.right - 1, r.top + 1, r.right - 1, r.bottom - 1);
  Line(c, r.left + 1, r.bottom - 1, r.right - 1, r.bottom - 1);

  InflateRect(&r, -1, -1);
  const TColor face = look.color;
  if (!look.enabled) {
    c.Brush()->SetColor(face);
    c.FillRect(r);
  } else if (look.drawnPressed) {
    c.Brush()->SetColor(ShadeDarker(face, 10));
    c.FillRect(r);
  } else if (look.pointerInside) {
    FaceFill(c, r, face);
    TColor top, bottom;
    if (look.hotTrackColorType == htctActual) {
      top = MixColors(clWhite, look.hotTrackColor, 190);
      bottom = look.hotTrackColor;
    } else {
      top = OppositeHue(look.hotTrackColor, 180);
      bottom = ShadeDarker(top, 30);
    }
    DrawGradientRing(c, r, top, bottom);
  } else if (look.groupIndex == 0 && (look.actsAsDefault || look.focused)) {
    FaceFill(c, r, face);
    const TColor lit = ShadeLighter(face, 30);
    const TColor h =
        ColorsAlike(look.highlightColor, clBtnFace) ? ShadeDarker(look.highlightColor, 30) : look.highlightColor;
    DrawGradientRing(c, r, MixColors(h, lit, 60), MixColors(h, lit, 160));
  } else {
    FaceFill(c, r, face);
  }
  return r;
}
