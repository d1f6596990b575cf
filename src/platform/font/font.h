// Text on device contexts as classic Windows draws it: measuring, TextOut, ExtTextOut and
// DrawText with the Win32 names, argument orders and results. Glyphs come from FreeType as
// 1-bit masks (the UI font is Tahoma 8 pt: GDI height -11, 13-pixel lines at 96 dpi) and
// are painted through the DC, so clipping and the viewport origin apply.
//
// Text is single-byte Windows-1252. The font is the LOGFONTA of the GdiFont selected into
// the DC (no font selected: Tahoma -11 regular). Every face name maps to the Tahoma faces;
// lfWeight >= FW_SEMIBOLD picks the bold face; lfUnderline and lfStrikeOut are drawn;
// lfWidth, lfEscapement and lfItalic are not (the UI never asks for them).
#pragma once

#include "platform/gdi/gdi.h"

struct TEXTMETRICA {
  LONG tmHeight = 0;
  LONG tmAscent = 0;
  LONG tmDescent = 0;
  LONG tmInternalLeading = 0;
  LONG tmExternalLeading = 0;
  LONG tmAveCharWidth = 0;
  LONG tmMaxCharWidth = 0;
  LONG tmWeight = 0;
  LONG tmOverhang = 0;
  LONG tmDigitizedAspectX = 0;
  LONG tmDigitizedAspectY = 0;
  BYTE tmFirstChar = 0;
  BYTE tmLastChar = 0;
  BYTE tmDefaultChar = 0;
  BYTE tmBreakChar = 0;
  BYTE tmItalic = 0;
  BYTE tmUnderlined = 0;
  BYTE tmStruckOut = 0;
  BYTE tmPitchAndFamily = 0;
  BYTE tmCharSet = 0;
};

// Font weights.
constexpr int FW_DONTCARE = 0;
constexpr int FW_NORMAL = 400;
constexpr int FW_SEMIBOLD = 600;
constexpr int FW_BOLD = 700;

// Character sets, precisions, qualities and families for CreateFontA (recorded, not used).
constexpr DWORD ANSI_CHARSET = 0;
constexpr DWORD DEFAULT_CHARSET = 1;
constexpr DWORD OUT_DEFAULT_PRECIS = 0;
constexpr DWORD CLIP_DEFAULT_PRECIS = 0;
constexpr DWORD DEFAULT_QUALITY = 0;
constexpr DWORD NONANTIALIASED_QUALITY = 3;
constexpr DWORD DEFAULT_PITCH = 0;
constexpr DWORD VARIABLE_PITCH = 2;
constexpr DWORD FF_DONTCARE = 0x00;
constexpr DWORD FF_SWISS = 0x20;

// tmPitchAndFamily bits (TMPF_FIXED_PITCH set means variable pitch, as on Windows).
constexpr BYTE TMPF_FIXED_PITCH = 0x01;
constexpr BYTE TMPF_VECTOR = 0x02;
constexpr BYTE TMPF_TRUETYPE = 0x04;

// ExtTextOutA options.
constexpr UINT ETO_OPAQUE = 0x0002;
constexpr UINT ETO_CLIPPED = 0x0004;

// DrawTextA formats.
constexpr UINT DT_TOP = 0x00000000;
constexpr UINT DT_LEFT = 0x00000000;
constexpr UINT DT_CENTER = 0x00000001;
constexpr UINT DT_RIGHT = 0x00000002;
constexpr UINT DT_VCENTER = 0x00000004;
constexpr UINT DT_BOTTOM = 0x00000008;
constexpr UINT DT_WORDBREAK = 0x00000010;
constexpr UINT DT_SINGLELINE = 0x00000020;
constexpr UINT DT_EXPANDTABS = 0x00000040;
constexpr UINT DT_NOCLIP = 0x00000100;
constexpr UINT DT_CALCRECT = 0x00000400;
constexpr UINT DT_NOPREFIX = 0x00000800;
constexpr UINT DT_END_ELLIPSIS = 0x00008000;
constexpr UINT DT_RTLREADING = 0x00020000;
constexpr UINT DT_HIDEPREFIX = 0x00100000;

// A logical font from the Win32 argument list (a convenience around CreateFontIndirectA).
HFONT CreateFontA(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                  DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision,
                  DWORD quality, DWORD pitchAndFamily, const char* faceName);

// Metrics of the DC's font: tmHeight = tmAscent + tmDescent (13 for Tahoma -11), taken
// from the face's Windows ascent and descent; tmInternalLeading = tmHeight - pixel size.
BOOL GetTextMetricsA(HDC hdc, TEXTMETRICA* tm);

// Width (sum of the integer advances) and height (the line height) of count characters.
BOOL GetTextExtentPoint32A(HDC hdc, const char* text, int count, SIZE* size);

// Draws count characters with the cell's top-left corner at logical (x, y) in the text
// colour; in OPAQUE background mode the cell (extent x line height) is first filled with
// the background colour.
BOOL TextOutA(HDC hdc, int x, int y, const char* text, int count);

// TextOutA with options: ETO_OPAQUE fills *rect with the background colour, ETO_CLIPPED
// keeps the text (and its opaque cell) inside *rect. dx, when given, holds the advance of
// each character. Text may be null with count 0 to fill the rectangle only.
BOOL ExtTextOutA(HDC hdc, int x, int y, UINT options, const RECT* rect, const char* text, UINT count,
                 const int* dx);

// Formats text in *rect. count -1 means NUL-terminated. Returns the height of the text
// (with DT_VCENTER or DT_BOTTOM: from rect->top to the bottom of the text), 0 on failure.
// DT_CALCRECT draws nothing and sets rect->right and rect->bottom to fit the text (lines
// wrap at the given width with DT_WORDBREAK). "&x" underlines x and "&&" is one ampersand
// unless DT_NOPREFIX; DT_HIDEPREFIX removes the ampersands without underlining. CR, LF
// and CRLF break lines unless DT_SINGLELINE. Tabs expand to stops every eight average
// character widths with DT_EXPANDTABS. Lines are clipped to *rect unless DT_NOCLIP.
// DT_RTLREADING is accepted; for the Latin text drawn here it changes nothing.
int DrawTextA(HDC hdc, const char* text, int count, RECT* rect, UINT format);
