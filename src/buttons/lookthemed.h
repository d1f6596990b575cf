// The visual-style look of the painted buttons: the platform's push-button element in the
// state the button is in, over the parent's background where the element is partly
// transparent.
#pragma once

#include "buttons/buttonlook.h"

// Visual styles are on for this process (the theme service says so).
bool VisualStylesOn();
// The element's state for the snapshot: disabled, pressed, hot, defaulted or normal, in
// this order of precedence.
int ThemedButtonState(const TButtonLook& look);
// Paints the push-button element over look.client on the canvas of window hwnd; returns
// the face rectangle (the client rectangle: the element draws its own frame).
RECT PaintThemedLook(TCanvas& canvas, HWND hwnd, const TButtonLook& look);
