#include "buttons/lookthemed.h"

// Until the visual-style service is part of the build, no process has styles on and the
// classic and hot-tracking looks serve every button.
bool VisualStylesOn() { return false; }

RECT PaintThemedLook(TCanvas& canvas, HWND hwnd, const TButtonLook& look) {
  (void)canvas;
  (void)hwnd;
  return look.client;
}
