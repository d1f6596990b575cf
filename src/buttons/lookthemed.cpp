// The visual-style look: the platform's push-button element in the button's state. The
// element has rounded, partly transparent corners, so the parent's picture is put under it
// first; the button never fills its own background in this look.
#include "buttons/lookthemed.h"

#include "platform/theme/theme.h"

bool VisualStylesOn() { return IsAppThemed() != FALSE; }

int ThemedButtonState(const TButtonLook& look) {
  if (!look.enabled) return PBS_DISABLED;
  if (look.drawnPressed) return PBS_PRESSED;
  if (look.pointerInside) return PBS_HOT;
  // A group button never wears the default ring: it answers no Enter.
  if (look.groupIndex == 0 && (look.actsAsDefault || look.focused)) return PBS_DEFAULTED;
  return PBS_NORMAL;
}

RECT PaintThemedLook(TCanvas& canvas, HWND hwnd, const TButtonLook& look) {
  const RECT r = look.client;
  HTHEME theme = OpenThemeData(hwnd, "BUTTON");
  // The switch can be thrown between the button's question and this paint; the classic
  // look then stands in rather than leaving the face unpainted.
  if (!theme) return PaintClassicLook(canvas, look);
  const int state = ThemedButtonState(look);
  HDC dc = canvas.Handle();
  if (IsThemeBackgroundPartiallyTransparent(theme, BP_PUSHBUTTON, state)) DrawThemeParentBackground(hwnd, dc, &r);
  DrawThemeBackground(theme, dc, BP_PUSHBUTTON, state, &r, nullptr);
  // The face inside the element's frame: a down pattern there keeps border and corners.
  RECT face = r;
  GetThemeBackgroundContentRect(theme, dc, BP_PUSHBUTTON, state, &r, &face);
  CloseThemeData(theme);
  return face;
}
