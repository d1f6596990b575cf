#include "platform/font/font.h"

#include <cstring>

#include "platform/font/textrun.h"

HFONT CreateFontA(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                  DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision,
                  DWORD quality, DWORD pitchAndFamily, const char* faceName) {
  LOGFONTA lf;
  lf.lfHeight = height;
  lf.lfWidth = width;
  lf.lfEscapement = escapement;
  lf.lfOrientation = orientation;
  lf.lfWeight = weight;
  lf.lfItalic = BYTE(italic != 0);
  lf.lfUnderline = BYTE(underline != 0);
  lf.lfStrikeOut = BYTE(strikeOut != 0);
  lf.lfCharSet = BYTE(charSet);
  lf.lfOutPrecision = BYTE(outPrecision);
  lf.lfClipPrecision = BYTE(clipPrecision);
  lf.lfQuality = BYTE(quality);
  lf.lfPitchAndFamily = BYTE(pitchAndFamily);
  if (faceName) {
    // Longer names are cut to the 31 characters LOGFONTA holds, as Win32 does.
    std::size_t n = strnlen(faceName, sizeof(lf.lfFaceName) - 1);
    std::memcpy(lf.lfFaceName, faceName, n);
    lf.lfFaceName[n] = '\0';
  }
  return CreateFontIndirectA(&lf);
}

BOOL GetTextMetricsA(HDC hdc, TEXTMETRICA* tm) {
  if (!hdc || !tm) return FALSE;
  const textrun::DcFont f = textrun::FontOfDC(hdc);
  const fontcache::SizedFont& font = *f.font;
  *tm = TEXTMETRICA{};
  tm->tmHeight = font.Height();
  tm->tmAscent = font.ascent;
  tm->tmDescent = font.descent;
  tm->tmInternalLeading = font.Height() - font.pixelSize;
  tm->tmExternalLeading = 0;
  tm->tmAveCharWidth = font.avgCharWidth;
  tm->tmMaxCharWidth = font.maxCharWidth;
  tm->tmWeight = f.weight;
  tm->tmOverhang = 0;
  tm->tmDigitizedAspectX = 96;
  tm->tmDigitizedAspectY = 96;
  tm->tmFirstChar = 0x20;
  tm->tmLastChar = 0xFF;
  tm->tmDefaultChar = 0x1F;
  tm->tmBreakChar = 0x20;
  tm->tmItalic = BYTE(f.italic);
  tm->tmUnderlined = BYTE(f.underline);
  tm->tmStruckOut = BYTE(f.strikeOut);
  tm->tmPitchAndFamily = BYTE(TMPF_FIXED_PITCH | TMPF_VECTOR | TMPF_TRUETYPE | FF_SWISS);
  tm->tmCharSet = BYTE(ANSI_CHARSET);
  return TRUE;
}

BOOL GetTextExtentPoint32A(HDC hdc, const char* text, int count, SIZE* size) {
  if (!hdc || !size || count < 0 || (!text && count > 0)) return FALSE;
  const textrun::DcFont f = textrun::FontOfDC(hdc);
  long long width = 0;
  for (int i = 0; i < count; ++i) width += f.font->glyphs[static_cast<unsigned char>(text[i])].advance;
  size->cx = LONG(width);
  size->cy = f.font->Height();
  return TRUE;
}

BOOL TextOutA(HDC hdc, int x, int y, const char* text, int count) {
  if (!hdc || count < 0 || (!text && count > 0)) return FALSE;
  return ExtTextOutA(hdc, x, y, 0, nullptr, text, UINT(count), nullptr);
}

BOOL ExtTextOutA(HDC hdc, int x, int y, UINT options, const RECT* rect, const char* text, UINT count,
                 const int* dx) {
  if (!hdc || (!text && count > 0)) return FALSE;
  if ((options & ETO_OPAQUE) && rect) FillSolidRect(hdc, *rect, ColorToRGB(GetBkColor(hdc)));
  if (count == 0) return TRUE;
  const textrun::DcFont f = textrun::FontOfDC(hdc);
  const textrun::Run run = textrun::MakeRun(*f.font, text, count, dx);
  const RECT* clip = (options & ETO_CLIPPED) ? rect : nullptr;
  textrun::PaintRun(hdc, f, x, y, run, clip,
                    GetBkMode(hdc) == OPAQUE ? textrun::Cell::kOpaque : textrun::Cell::kTransparent);
  return TRUE;
}
