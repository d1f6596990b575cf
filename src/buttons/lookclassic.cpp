// The classic look: bevelled two-ring frames in the system's 3D colours (or shades of a
// custom face colour), a black outline around the default or focused button, and a flat
// face.
#include "buttons/buttonlook.h"
#include "buttons/drawgraphics.h"

RECT PaintClassicLook(TCanvas& canvas, const TButtonLook& look) {
  RECT r = look.client;
  const bool plain = look.groupIndex == 0;
  // A pressed default button loses its outline so the press reads as a sink, not a frame;
  // while its own click runs it keeps the outline whatever the press state.
  if (plain && (((look.actsAsDefault || look.focused) && !look.pressedLook) || look.inClick))
    r = DrawEdges(canvas, r, clWindowFrame, clWindowFrame, sdAllSides);
  if (look.color == clBtnFace) {
    if (plain)
      r = DrawButtonFrame(canvas, r, look.pressedLook, sdAllSides);
    else if (look.drawnPressed)
      r = DrawSunkenFrame(canvas, r, sdAllSides);
    else
      r = DrawButtonFrame(canvas, r, false, sdAllSides);
  } else {
    if (plain)
      r = DrawTintedButtonFrame(canvas, r, look.color, look.pressedLook, sdAllSides);
    else if (look.drawnPressed)
      r = DrawTintedSunkenFrame(canvas, r, look.color, sdAllSides);
    else
      r = DrawTintedButtonFrame(canvas, r, look.color, false, sdAllSides);
  }
  canvas.Brush()->SetColor(look.color);
  canvas.FillRect(r);
  return r;
}
