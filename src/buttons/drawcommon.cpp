#include "buttons/drawcommon.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "platform/font/font.h"
#include "ui/controls/controls.h"
#include "ui/controls/forms.h"

namespace {

// Round to nearest, halves to even (the default floating-point rounding mode).
int RoundEven(double v) { return int(std::nearbyint(v)); }

BYTE ChannelByte(double v) {
  // Channels beyond 0..1 come only from saturations above 240; a wrapped byte would be
  // a random colour, so they stop at black and white.
  v = std::clamp(v, 0.0, 1.0);
  return BYTE(RoundEven(v * 255.0));
}

COLORREF Rgb(TColor color) { return COLORREF(ColorToRGB(color)); }

}  // namespace

// ---------------------------------------------------------------------------------------
// Hue, saturation, luminance

THsl SplitHsl(TColor color) {
  const COLORREF c = Rgb(color);
  const double r = GetRValue(c) / 255.0, g = GetGValue(c) / 255.0, b = GetBValue(c) / 255.0;
  const double mx = std::max({r, g, b}), mn = std::min({r, g, b});
  const double l = (mx + mn) / 2;
  double h = 0, s = 0;
  if (mx != mn) {
    const double d = mx - mn;
    s = l < 0.5 ? d / (mx + mn) : d / (2 - mx - mn);
    if (r == mx) {
      h = (g - b) / d;
    } else if (g == mx) {
      h = 2 + (b - r) / d;
    } else {
      h = 4 + (r - g) / d;
    }
    h /= 6;
    if (h < 0) h += 1;
  }
  return THsl{BYTE(RoundEven(h * 240)), BYTE(RoundEven(s * 240)), BYTE(RoundEven(l * 240))};
}

TColor JoinHsl(BYTE hue, BYTE saturation, BYTE luminance) {
  const double h = hue / 239.0, s = saturation / 240.0, l = luminance / 240.0;
  const double m2 = l < 0.5 ? l * (1 + s) : l + s - l * s;
  if (m2 <= 0) return clBlack;
  const double m1 = 2 * l - m2;
  const double sv = (m2 - m1) / m2;
  const double h6 = h * 6;
  const int sextant = int(h6);
  const double f = h6 - sextant;
  const double v = m2 * sv * f;
  const double up = m1 + v, down = m2 - v;
  double r, g, b;
  switch (sextant) {
    case 1: r = down, g = m2, b = m1; break;
    case 2: r = m1, g = m2, b = up; break;
    case 3: r = m1, g = down, b = m2; break;
    case 4: r = up, g = m1, b = m2; break;
    case 5: r = m2, g = m1, b = down; break;
    default: r = m2, g = up, b = m1; break;  // sextant 0, and hues of 239 and above
  }
  return TColor(RGB(ChannelByte(r), ChannelByte(g), ChannelByte(b)));
}

BYTE HueOf(TColor color) { return SplitHsl(color).hue; }

TColor ShadeDarker(TColor color, BYTE amount) {
  const THsl hsl = SplitHsl(color);
  return JoinHsl(hsl.hue, hsl.saturation, BYTE(std::max(int(hsl.luminance) - int(amount), 0)));
}

TColor ShadeLighter(TColor color, BYTE amount) {
  const THsl hsl = SplitHsl(color);
  return JoinHsl(hsl.hue, hsl.saturation, BYTE(std::min(int(hsl.luminance) + int(amount), 255)));
}

TColor MixColors(TColor fore, TColor back, BYTE alpha) {
  const COLORREF f = Rgb(fore), k = Rgb(back);
  const float a = float(alpha) / 255.0f;
  const float rest = 1.0f - a;
  auto mix = [&](BYTE fc, BYTE kc) { return BYTE(RoundEven(double(float(fc) * a + float(kc) * rest))); };
  return TColor(RGB(mix(GetRValue(f), GetRValue(k)), mix(GetGValue(f), GetGValue(k)), mix(GetBValue(f), GetBValue(k))));
}

bool ColorsAlike(TColor c1, TColor c2) {
  const THsl a = SplitHsl(c1), b = SplitHsl(c2);
  return std::abs(int(a.hue) - int(b.hue)) < 20 && std::abs(int(a.luminance) - int(b.luminance)) < 60;
}

TColor OppositeHue(TColor color, BYTE luminance) {
  const int hue = HueOf(color);
  return JoinHsl(BYTE(hue < 120 ? hue + 120 : hue - 120), 240, luminance);
}

// ---------------------------------------------------------------------------------------
// Display depth

namespace {

bool& FullColorFlag() {
  static bool flag = [] {
    HDC screen = GetDC(nullptr);
    const bool full = screen && GetDeviceCaps(screen, NUMCOLORS) == -1;
    if (screen) ReleaseDC(nullptr, screen);
    return full;
  }();
  return flag;
}

}  // namespace

bool FullColorDisplay() { return FullColorFlag(); }

void SetFullColorDisplay(bool value) { FullColorFlag() = value; }

// ---------------------------------------------------------------------------------------
// Text and the parent's background

int DrawTextIn(TCanvas& canvas, const std::string& text, RECT& rect, UINT format) {
  HDC dc = canvas.Handle();
  // DrawTextA draws with whatever the DC holds; give it what the canvas says.
  HGDIOBJ oldFont = SelectObject(dc, canvas.Font()->Handle());
  SetTextColor(dc, Rgb(canvas.Font()->Color()));
  if (canvas.Brush()->Style() == bsClear) {
    SetBkMode(dc, TRANSPARENT);
  } else {
    SetBkMode(dc, OPAQUE);
    SetBkColor(dc, Rgb(canvas.Brush()->Color()));
  }
  const int height = DrawTextA(dc, text.c_str(), -1, &rect, format);
  SelectObject(dc, oldFont);
  return height;
}

void PaintParentBackground(TControl* control, HDC dc, bool invalidateParent) {
  TWinControl* parent = control ? control->Parent() : nullptr;
  if (!parent) return;
  const bool designing = control->IsDesigning();
  {
    const SavedDcState saved(dc);
    OffsetViewportOrgEx(dc, -control->Left(), -control->Top(), nullptr);
    IntersectClipRect(dc, 0, 0, parent->ClientWidth(), parent->ClientHeight());
    try {
      parent->Perform(WM_ERASEBKGND, WPARAM(dc), 0);
      parent->Perform(WM_PRINTCLIENT, WPARAM(dc), LPARAM(PRF_CLIENT));
    } catch (...) {
      // A half-built parent in the designer must not take the designer down with it.
      if (!designing) throw;
    }
  }
  if (invalidateParent && !designing && !dynamic_cast<TCustomControl*>(parent) && !dynamic_cast<TCustomForm*>(parent))
    parent->Invalidate();
}
