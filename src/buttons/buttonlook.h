// What a look painter of the painted buttons reads: one snapshot of the button's colours
// and state per paint. Each look (classic bevels, the flat hot-tracking look, visual
// styles) lives in its own file and draws background, frame and face from this alone.
#pragma once

#include "ui/graphics/graphics.h"

// The hover ring of the hot-tracking look: in the opposite hue of HotTrackColor, or in
// HotTrackColor itself.
enum THotTrackColorType { htctComplement, htctActual };

struct TButtonLook {
  RECT client{};               // (0, 0, width, height)
  TColor color = clBtnFace;    // the button's Color as set (not resolved)
  TColor parentColor = clBtnFace;
  TColor frameColor = clNone;  // inner frame of the hot-tracking look
  TColor highlightColor = clNone;
  TColor hotTrackColor = clNone;
  THotTrackColorType hotTrackColorType = htctActual;
  bool enabled = true;
  bool focused = false;
  bool pressedLook = false;    // held by mouse or Space
  bool drawnPressed = false;   // pressedLook, or down in a group
  bool pointerInside = false;
  bool actsAsDefault = false;
  bool inClick = false;        // a click started by the button itself is running
  int groupIndex = 0;
};

// Each paints background, frame and face and returns the face rectangle left for the
// down pattern and the caption.
RECT PaintClassicLook(TCanvas& canvas, const TButtonLook& look);
RECT PaintHotTrackLook(TCanvas& canvas, const TButtonLook& look);
