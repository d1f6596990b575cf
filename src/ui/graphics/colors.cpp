#include <cstring>

#include "ui/graphics/graphics.h"

TColor ColorToRGB(TColor color) {
  if ((std::uint32_t(color) & 0xFF000000u) == 0xFF000000u)
    return TColor(GetSysColor(int(std::uint32_t(color) & 0xFFu)));
  return color;
}

namespace {

struct ColorName {
  TColor color;
  const char* name;
};

constexpr ColorName kColorNames[] = {
    {clBlack, "clBlack"},
    {clMaroon, "clMaroon"},
    {clGreen, "clGreen"},
    {clOlive, "clOlive"},
    {clNavy, "clNavy"},
    {clPurple, "clPurple"},
    {clTeal, "clTeal"},
    {clGray, "clGray"},
    {clSilver, "clSilver"},
    {clRed, "clRed"},
    {clLime, "clLime"},
    {clYellow, "clYellow"},
    {clBlue, "clBlue"},
    {clFuchsia, "clFuchsia"},
    {clAqua, "clAqua"},
    {clWhite, "clWhite"},
    {clNone, "clNone"},
    {clDefault, "clDefault"},
    {clScrollBar, "clScrollBar"},
    {clBackground, "clBackground"},
    {clActiveCaption, "clActiveCaption"},
    {clInactiveCaption, "clInactiveCaption"},
    {clMenu, "clMenu"},
    {clWindow, "clWindow"},
    {clWindowFrame, "clWindowFrame"},
    {clMenuText, "clMenuText"},
    {clWindowText, "clWindowText"},
    {clCaptionText, "clCaptionText"},
    {clActiveBorder, "clActiveBorder"},
    {clInactiveBorder, "clInactiveBorder"},
    {clAppWorkSpace, "clAppWorkSpace"},
    {clHighlight, "clHighlight"},
    {clHighlightText, "clHighlightText"},
    {clBtnFace, "clBtnFace"},
    {clBtnShadow, "clBtnShadow"},
    {clGrayText, "clGrayText"},
    {clBtnText, "clBtnText"},
    {clInactiveCaptionText, "clInactiveCaptionText"},
    {clBtnHighlight, "clBtnHighlight"},
    {cl3DDkShadow, "cl3DDkShadow"},
    {cl3DLight, "cl3DLight"},
    {clInfoText, "clInfoText"},
    {clInfoBk, "clInfoBk"},
    {clHotLight, "clHotLight"},
    {clGradientActiveCaption, "clGradientActiveCaption"},
    {clGradientInactiveCaption, "clGradientInactiveCaption"},
    {clMenuHighlight, "clMenuHighlight"},
    {clMenuBar, "clMenuBar"},
};

}  // namespace

bool IdentToColor(const std::string& ident, TColor& color) {
  for (const auto& c : kColorNames) {
    if (SameText(ident, c.name)) {
      color = c.color;
      return true;
    }
  }
  // Aliases that name the same values as above.
  if (SameText(ident, "clLtGray")) return color = clLtGray, true;
  if (SameText(ident, "clDkGray")) return color = clDkGray, true;
  return false;
}

std::string ColorToString(TColor color) {
  for (const auto& c : kColorNames)
    if (c.color == color) return c.name;
  return "$" + IntToHex(std::uint32_t(color), 8);
}

TColor StringToColor(const std::string& text) {
  TColor c;
  if (IdentToColor(Trim(text), c)) return c;
  return TColor(StrToInt(text));
}
