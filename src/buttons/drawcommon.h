// Colour arithmetic of the painted buttons: shades derived from a base colour in a
// hue/saturation/luminance model on a 0..240 scale, mixing, likeness, opposite hues; plus
// the few drawing helpers every look shares (caption text, the parent's background) and
// the one process-wide fact the looks depend on, whether the display has full colour.
#pragma once

#include <string>

#include "platform/font/font.h"  // the DT_* format flags of DrawTextIn
#include "ui/graphics/graphics.h"

class TControl;

// Hue, saturation and luminance as bytes. Saturation and luminance run 0..240 for 0..1;
// hue is produced on a 0..240 scale (240 = a full turn) but JoinHsl reads it on 0..239,
// so a split and join shifts hues slightly, by design of the scale. 0 red, 80 green,
// 160 blue.
struct THsl {
  BYTE hue = 0;
  BYTE saturation = 0;
  BYTE luminance = 0;
  friend bool operator==(const THsl&, const THsl&) = default;
};

// Every function here resolves system colours first; results are plain 0x00BBGGRR.
// Rounding goes to the nearest integer, exact halves to the even neighbour.
THsl SplitHsl(TColor color);
// Luminance and saturation above 240 are not clamped on input: luminance above 240 runs
// towards white, channels are kept inside 0..255.
TColor JoinHsl(BYTE hue, BYTE saturation, BYTE luminance);
BYTE HueOf(TColor color);
// Luminance moved down by amount (not below 0) or up (not above 255), hue and saturation
// kept.
TColor ShadeDarker(TColor color, BYTE amount);
TColor ShadeLighter(TColor color, BYTE amount);
// fore x alpha/255 + back x (1 - alpha/255) per channel, in single precision.
TColor MixColors(TColor fore, TColor back, BYTE alpha);
// Hues closer than 20 and luminances closer than 60 (hue differences do not wrap round
// the colour circle; saturation is ignored).
bool ColorsAlike(TColor c1, TColor c2);
// The hue half a turn away, fully saturated, at the given luminance.
TColor OppositeHue(TColor color, BYTE luminance);

// True when the screen is not palette-based (more than 256 colours). Taken from the
// screen DC on first use and kept for the rest of the run; every gradient asks it.
bool FullColorDisplay();
// Replaces the flag, for drawing as a palette display would (tests use this to see the
// 256-colour looks).
void SetFullColorDisplay(bool value);

// DrawTextA on the canvas's DC with the canvas's font, the font colour, and a transparent
// background when the brush is clear (else the brush colour behind the text). rect is
// in/out as DrawTextA has it (DT_CALCRECT measures). Returns the text height.
int DrawTextIn(TCanvas& canvas, const std::string& text, RECT& rect, UINT format);

// Paints the parent's background into dc where the control lies on it, so the parent
// shows through what the control leaves unpainted: the parent is asked to erase and to
// paint its client area with the DC's origin moved to the parent's corner. With
// invalidateParent, a parent that is neither a form nor a self-painted control is also
// invalidated. The DC comes back as it was.
void PaintParentBackground(TControl* control, HDC dc, bool invalidateParent);
