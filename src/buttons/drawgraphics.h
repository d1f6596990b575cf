// Frames, gradients, dotted focus frames and masked bitmap copies of the painted buttons,
// drawn on a TCanvas in one-pixel lines and single bitmap copies.
#pragma once

#include "ui/core/sysutils.h"
#include "ui/graphics/graphics.h"

// The sides of a rectangle a frame is drawn on (bits left 1, top 2, right 4, bottom 8).
// The upper-left colour of a ring goes to the left and top sides, the lower-right colour
// to the right and bottom sides.
enum TSide { sdLeft, sdTop, sdRight, sdBottom };
using TSides = TSet<TSide>;
constexpr TSides sdAllSides{sdLeft, sdTop, sdRight, sdBottom};

// One ring of one-pixel lines along the chosen sides (upper-left lines first, so the
// top-right and bottom-left corners take the lower-right colour). Returns the rectangle
// moved in by one pixel on each side drawn. Only the pen colour is changed.
RECT DrawEdges(TCanvas& canvas, const RECT& rect, TColor upperLeft, TColor lowerRight, TSides sides);
// Two rings in the system's 3D colours: raised, or pushed (dark outline, shadow inside).
RECT DrawButtonFrame(TCanvas& canvas, const RECT& rect, bool pushed, TSides sides);
RECT DrawSunkenFrame(TCanvas& canvas, const RECT& rect, TSides sides);
// The same two frames with every colour derived from a custom face colour.
RECT DrawTintedButtonFrame(TCanvas& canvas, const RECT& rect, TColor face, bool pushed, TSides sides);
RECT DrawTintedSunkenFrame(TCanvas& canvas, const RECT& rect, TColor face, TSides sides);

// A vertical gradient over rect: the bottom row has exactly `bottom`, each row above adds
// one 16.16 fixed-point step of (top - bottom) / height, so the top row stays one step
// short of `top`. Rows are filled in bands of one colour at least `steps` rows high (1..8;
// above 8: 255 / steps + 1; 0: 1). Composed off-screen and copied to the canvas at once.
void FillVerticalGradient(TCanvas& canvas, const RECT& rect, TColor top, TColor bottom, BYTE steps);
// The outer two pixels of rect in that gradient; nothing at all on a palette display.
// The canvas's clip is the same afterwards.
void DrawGradientRing(TCanvas& canvas, const RECT& rect, TColor top, TColor bottom);
// Every second pixel of rect's outline in black (odd offsets from the corner along each
// side); returns rect moved in by one.
RECT DrawDottedFrame(TCanvas& canvas, const RECT& rect);
// Copies the src part of the bitmap into dest (stretched when the sizes differ), leaving
// the canvas unchanged wherever the copied pixel has the transparent colour.
void DrawMaskedBitmap(TCanvas& canvas, TBitmap& source, const RECT& dest, const RECT& src, TColor transparent);
