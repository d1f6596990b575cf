// The device-context model: bitmaps (DIB sections and 32-bit device bitmaps), palettes,
// pens, brushes, regions and device contexts with the Win32 names, argument orders and
// result conventions, drawn by our own software raster.
//
// Pixel formats (described here once):
//  - 32 bpp: 4 bytes per pixel, blue, green, red, X (the fourth byte is kept as written,
//    raster operations leave it 0 for pixels they produce).
//  - 24 bpp: blue, green, red.
//  - 1/4/8 bpp: indexes into the bitmap's colour table, packed high bit first.
//  Rows are DWORD aligned. A DIB with positive height is stored bottom-up (row 0 of
//  memory is the bottom image row), negative height top-down. Device-dependent bitmaps
//  (CreateCompatibleBitmap of a colour DC, CreateBitmap with 32 bpp) are 32 bpp top-down;
//  monochrome bitmaps are 1 bpp top-down with the colour table {black, white}.
#pragma once

#include <cstddef>
#include <cstdlib>
#include <memory>
#include <vector>

#include "platform/base/wintypes.h"

// ---------------------------------------------------------------------------------------
// Structures

struct RGBQUAD {
  BYTE rgbBlue = 0, rgbGreen = 0, rgbRed = 0, rgbReserved = 0;
};
struct PALETTEENTRY {
  BYTE peRed = 0, peGreen = 0, peBlue = 0, peFlags = 0;
};
struct BITMAPINFOHEADER {
  DWORD biSize = 40;
  LONG biWidth = 0;
  LONG biHeight = 0;
  WORD biPlanes = 1;
  WORD biBitCount = 0;
  DWORD biCompression = 0;
  DWORD biSizeImage = 0;
  LONG biXPelsPerMeter = 0;
  LONG biYPelsPerMeter = 0;
  DWORD biClrUsed = 0;
  DWORD biClrImportant = 0;
};
// Always carries room for a full 256-entry colour table, so callers never index past it.
struct BITMAPINFO {
  BITMAPINFOHEADER bmiHeader;
  RGBQUAD bmiColors[256];
};
struct BITMAP {
  LONG bmType = 0;
  LONG bmWidth = 0;
  LONG bmHeight = 0;
  LONG bmWidthBytes = 0;
  WORD bmPlanes = 1;
  WORD bmBitsPixel = 0;
  void* bmBits = nullptr;  // the bits of a DIB section, null for device bitmaps
};
struct DIBSECTION {
  BITMAP dsBm;
  BITMAPINFOHEADER dsBmih;
};
struct LOGPALETTE {
  WORD palVersion = 0x300;
  WORD palNumEntries = 0;
  PALETTEENTRY palPalEntry[256];
};
struct LOGBRUSH {
  UINT lbStyle = 0;
  COLORREF lbColor = 0;
  std::uintptr_t lbHatch = 0;
};
struct LOGFONTA {
  LONG lfHeight = 0;
  LONG lfWidth = 0;
  LONG lfEscapement = 0;
  LONG lfOrientation = 0;
  LONG lfWeight = 400;
  BYTE lfItalic = 0;
  BYTE lfUnderline = 0;
  BYTE lfStrikeOut = 0;
  BYTE lfCharSet = 0;
  BYTE lfOutPrecision = 0;
  BYTE lfClipPrecision = 0;
  BYTE lfQuality = 0;
  BYTE lfPitchAndFamily = 0;
  char lfFaceName[32] = {};
};

// ---------------------------------------------------------------------------------------
// Constants

constexpr DWORD BI_RGB = 0;
constexpr UINT DIB_RGB_COLORS = 0;
constexpr UINT DIB_PAL_COLORS = 1;

// Raster operations (ternary codes as Win32 defines them).
constexpr DWORD SRCCOPY = 0x00CC0020;
constexpr DWORD SRCPAINT = 0x00EE0086;
constexpr DWORD SRCAND = 0x008800C6;
constexpr DWORD SRCINVERT = 0x00660046;
constexpr DWORD SRCERASE = 0x00440328;
constexpr DWORD NOTSRCCOPY = 0x00330008;
constexpr DWORD NOTSRCERASE = 0x001100A6;
constexpr DWORD MERGECOPY = 0x00C000CA;
constexpr DWORD MERGEPAINT = 0x00BB0226;
constexpr DWORD PATCOPY = 0x00F00021;
constexpr DWORD PATPAINT = 0x00FB0A09;
constexpr DWORD PATINVERT = 0x005A0049;
constexpr DWORD DSTINVERT = 0x00550009;
constexpr DWORD BLACKNESS = 0x00000042;
constexpr DWORD WHITENESS = 0x00FF0062;
// MaskBlt takes a pair of ternary codes: MAKEROP4(fore, back).
constexpr DWORD MAKEROP4(DWORD fore, DWORD back) {
  return ((back << 8) & 0xFF000000u) | fore;
}

// Background modes.
constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;

// Pen styles.
constexpr int PS_SOLID = 0;
constexpr int PS_DOT = 2;
constexpr int PS_NULL = 5;

// Brush styles.
constexpr UINT BS_SOLID = 0;
constexpr UINT BS_NULL = 1;
constexpr UINT BS_PATTERN = 3;

// Stock objects.
constexpr int WHITE_BRUSH = 0;
constexpr int LTGRAY_BRUSH = 1;
constexpr int GRAY_BRUSH = 2;
constexpr int DKGRAY_BRUSH = 3;
constexpr int BLACK_BRUSH = 4;
constexpr int NULL_BRUSH = 5;
constexpr int WHITE_PEN = 6;
constexpr int BLACK_PEN = 7;
constexpr int NULL_PEN = 8;
constexpr int DEFAULT_GUI_FONT = 17;

// Object types of GetObjectType / GetCurrentObject.
constexpr UINT OBJ_PEN = 1;
constexpr UINT OBJ_BRUSH = 2;
constexpr UINT OBJ_DC = 3;
constexpr UINT OBJ_PAL = 5;
constexpr UINT OBJ_FONT = 6;
constexpr UINT OBJ_BITMAP = 7;
constexpr UINT OBJ_REGION = 8;
constexpr UINT OBJ_MEMDC = 10;

// GetDeviceCaps indexes.
constexpr int HORZRES = 8;
constexpr int VERTRES = 10;
constexpr int BITSPIXEL = 12;
constexpr int PLANES = 14;
constexpr int NUMCOLORS = 24;
constexpr int RASTERCAPS = 38;
constexpr int LOGPIXELSX = 88;
constexpr int LOGPIXELSY = 90;
constexpr int SIZEPALETTE = 104;
constexpr int RC_PALETTE = 0x0100;

// Region results and combine modes.
constexpr int ERROR = 0;
constexpr int NULLREGION = 1;
constexpr int SIMPLEREGION = 2;
constexpr int COMPLEXREGION = 3;
constexpr int RGN_AND = 1;
constexpr int RGN_OR = 2;
constexpr int RGN_XOR = 3;
constexpr int RGN_DIFF = 4;
constexpr int RGN_COPY = 5;

// Stretch modes.
constexpr int BLACKONWHITE = 1;
constexpr int WHITEONBLACK = 2;
constexpr int COLORONCOLOR = 3;

constexpr COLORREF CLR_INVALID = 0xFFFFFFFF;
constexpr UINT GDI_ERROR = 0xFFFFFFFF;

// ---------------------------------------------------------------------------------------
// System colours

// Index constants of GetSysColor (COLOR_WINDOW = 5, COLOR_BTNFACE = 15, ...).
enum : int {
  COLOR_SCROLLBAR = 0, COLOR_BACKGROUND = 1, COLOR_ACTIVECAPTION = 2, COLOR_INACTIVECAPTION = 3,
  COLOR_MENU = 4, COLOR_WINDOW = 5, COLOR_WINDOWFRAME = 6, COLOR_MENUTEXT = 7, COLOR_WINDOWTEXT = 8,
  COLOR_CAPTIONTEXT = 9, COLOR_ACTIVEBORDER = 10, COLOR_INACTIVEBORDER = 11, COLOR_APPWORKSPACE = 12,
  COLOR_HIGHLIGHT = 13, COLOR_HIGHLIGHTTEXT = 14, COLOR_BTNFACE = 15, COLOR_BTNSHADOW = 16,
  COLOR_GRAYTEXT = 17, COLOR_BTNTEXT = 18, COLOR_INACTIVECAPTIONTEXT = 19, COLOR_BTNHIGHLIGHT = 20,
  COLOR_3DDKSHADOW = 21, COLOR_3DLIGHT = 22, COLOR_INFOTEXT = 23, COLOR_INFOBK = 24,
  COLOR_HOTLIGHT = 26, COLOR_GRADIENTACTIVECAPTION = 27, COLOR_GRADIENTINACTIVECAPTION = 28,
  COLOR_MENUHILIGHT = 29, COLOR_MENUBAR = 30
};
// The system colour nn as 0x00BBGGRR (Windows 7 default scheme); 0 for unknown indexes.
COLORREF GetSysColor(int index);
// Resolves 0xFF0000nn to GetSysColor(nn); other values are returned unchanged.
COLORREF ColorToRGB(COLORREF color);

// ---------------------------------------------------------------------------------------
// Objects

// Base of every GDI object; DeleteObject frees it. Objects selected into a DC must not
// be deleted (DeleteObject then fails and returns FALSE, as on Windows).
struct GdiObject {
  explicit GdiObject(UINT type) : objType(type) {}
  virtual ~GdiObject() = default;
  GdiObject(const GdiObject&) = delete;
  GdiObject& operator=(const GdiObject&) = delete;
  const UINT objType;   // OBJ_BITMAP, OBJ_BRUSH, ...
  int selectCount = 0;  // how many DCs have it selected
  bool stock = false;   // stock objects are never freed
};

// A bitmap: DIB section, 32-bit device bitmap or monochrome bitmap (see top of file). Its
// fields belong to platform/gdi; everything else reaches its pixels through a SurfaceView
// (platform/gdi/surface.h), so the type stays incomplete outside this folder.
struct GdiBitmap;

struct GdiBrush final : GdiObject {
  GdiBrush() : GdiObject(OBJ_BRUSH) {}
  UINT style = BS_SOLID;
  COLORREF color = 0;             // resolved 0x00BBGGRR for BS_SOLID
  std::shared_ptr<GdiBitmap> pattern;  // private copy of the pattern bitmap for BS_PATTERN
};

struct GdiPen final : GdiObject {
  GdiPen() : GdiObject(OBJ_PEN) {}
  int style = PS_SOLID;
  int width = 1;
  COLORREF color = 0;  // resolved
};

// A logical font; the text functions (platform/font) turn it into glyphs.
struct GdiFont final : GdiObject {
  GdiFont() : GdiObject(OBJ_FONT) {}
  LOGFONTA logFont;
};

struct GdiPalette final : GdiObject {
  GdiPalette() : GdiObject(OBJ_PAL) {}
  std::vector<PALETTEENTRY> entries;
};

// A region as a set of non-overlapping rectangles.
struct GdiRegion final : GdiObject {
  GdiRegion() : GdiObject(OBJ_REGION) {}
  std::vector<RECT> rects;
};

// ---------------------------------------------------------------------------------------
// Object creation and management

HBITMAP CreateDIBSection(HDC hdc, const BITMAPINFO* info, UINT usage, void** bits, void* section, DWORD offset);
HBITMAP CreateCompatibleBitmap(HDC hdc, int width, int height);
// planes must be 1; bitsPerPixel 1 (monochrome) or 32. bits, when given, initialise the
// rows (top-down, WORD aligned as Win32 defines for CreateBitmap).
HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits);
// CBM_INIT: initialise a device bitmap from DIB bits described by info.
constexpr DWORD CBM_INIT = 4;
HBITMAP CreateDIBitmap(HDC hdc, const BITMAPINFOHEADER* header, DWORD init, const void* bits,
                       const BITMAPINFO* info, UINT usage);
HBRUSH CreateSolidBrush(COLORREF color);
HBRUSH CreatePatternBrush(HBITMAP pattern);
HBRUSH CreateBrushIndirect(const LOGBRUSH* lb);
HPEN CreatePen(int style, int width, COLORREF color);
HFONT CreateFontIndirectA(const LOGFONTA* lf);
HPALETTE CreatePalette(const LOGPALETTE* lp);
HRGN CreateRectRgn(int left, int top, int right, int bottom);
int CombineRgn(HRGN dest, HRGN src1, HRGN src2, int mode);
BOOL PtInRegion(HRGN rgn, int x, int y);
int GetRgnBox(HRGN rgn, RECT* r);
HGDIOBJ GetStockObject(int which);
BOOL DeleteObject(HGDIOBJ obj);
// Fills BITMAP (or DIBSECTION when size allows), LOGBRUSH, LOGFONTA, ... by object type.
int GetObjectA(HGDIOBJ obj, int size, void* out);
UINT GetObjectType(HGDIOBJ obj);
// The same for bitmaps, whose type is incomplete outside platform/gdi.
BOOL DeleteObject(HBITMAP bitmap);
int GetObjectA(HBITMAP bitmap, int size, void* out);
UINT GetObjectType(HBITMAP bitmap);

UINT GetPaletteEntries(HPALETTE pal, UINT start, UINT count, PALETTEENTRY* out);
UINT SetPaletteEntries(HPALETTE pal, UINT start, UINT count, const PALETTEENTRY* in);
// The entry nearest to the colour (smallest sum of squared differences, first on ties).
UINT GetNearestPaletteIndex(HPALETTE pal, COLORREF color);
HPALETTE SelectPalette(HDC hdc, HPALETTE pal, BOOL forceBackground);
UINT RealizePalette(HDC hdc);

// ---------------------------------------------------------------------------------------
// Device contexts

// The screen DC (32 bits per pixel, 96 dpi). GetDC(nullptr) returns it; window DCs come
// from the window system, which installs a provider for non-null windows.
HDC GetDC(HWND hwnd);
int ReleaseDC(HWND hwnd, HDC hdc);
using WindowDcProvider = HDC (*)(HWND);
using WindowDcReleaser = int (*)(HWND, HDC);
void SetWindowDcProvider(WindowDcProvider get, WindowDcReleaser release);

// A memory DC; holds a 1 x 1 monochrome bitmap until another bitmap is selected.
HDC CreateCompatibleDC(HDC hdc);
BOOL DeleteDC(HDC hdc);
// A DC that draws into `target` (used by the window system for back buffers).
HDC CreateBitmapDC(HBITMAP target);

HGDIOBJ SelectObject(HDC hdc, HGDIOBJ obj);
HGDIOBJ SelectObject(HDC hdc, HBITMAP bitmap);
HGDIOBJ GetCurrentObject(HDC hdc, UINT type);
int GetDeviceCaps(HDC hdc, int index);
int SaveDC(HDC hdc);
BOOL RestoreDC(HDC hdc, int saved);  // saved < 0: relative to the newest save

COLORREF SetTextColor(HDC hdc, COLORREF color);
COLORREF GetTextColor(HDC hdc);
COLORREF SetBkColor(HDC hdc, COLORREF color);
COLORREF GetBkColor(HDC hdc);
int SetBkMode(HDC hdc, int mode);
int GetBkMode(HDC hdc);
int SetStretchBltMode(HDC hdc, int mode);
int GetStretchBltMode(HDC hdc);
BOOL SetBrushOrgEx(HDC hdc, int x, int y, POINT* old);

// Viewport origin: logical (0, 0) maps to device (x, y).
BOOL SetViewportOrgEx(HDC hdc, int x, int y, POINT* old);
BOOL GetViewportOrgEx(HDC hdc, POINT* out);
BOOL OffsetViewportOrgEx(HDC hdc, int dx, int dy, POINT* old);

// Clipping (rectangles in logical coordinates, stored in device coordinates).
int ExcludeClipRect(HDC hdc, int left, int top, int right, int bottom);
int IntersectClipRect(HDC hdc, int left, int top, int right, int bottom);
int SelectClipRgn(HDC hdc, HRGN rgn);  // null: no clipping beyond the surface
int GetClipBox(HDC hdc, RECT* r);
BOOL PtVisible(HDC hdc, int x, int y);

// ---------------------------------------------------------------------------------------
// Drawing

COLORREF SetPixel(HDC hdc, int x, int y, COLORREF color);
COLORREF GetPixel(HDC hdc, int x, int y);  // CLR_INVALID outside the surface or clip
BOOL MoveToEx(HDC hdc, int x, int y, POINT* old);
BOOL LineTo(HDC hdc, int x, int y);  // the end point itself is not drawn
BOOL Rectangle(HDC hdc, int left, int top, int right, int bottom);
int FillRect(HDC hdc, const RECT* r, HBRUSH brush);
int FrameRect(HDC hdc, const RECT* r, HBRUSH brush);
BOOL PatBlt(HDC hdc, int x, int y, int w, int h, DWORD rop);
BOOL BitBlt(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, DWORD rop);
BOOL StretchBlt(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh, DWORD rop);
BOOL MaskBlt(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, HBITMAP mask, int mx, int my,
             DWORD rop4);
int StretchDIBits(HDC hdc, int x, int y, int w, int h, int sx, int sy, int sw, int sh, const void* bits,
                  const BITMAPINFO* info, UINT usage, DWORD rop);
int SetDIBitsToDevice(HDC hdc, int x, int y, DWORD w, DWORD h, int sx, int sy, UINT startScan,
                      UINT scanLines, const void* bits, const BITMAPINFO* info, UINT usage);
// Copies rows of a bitmap into the format described by info (bits null: fills in the
// header and colour table only). Returns the number of rows copied.
int GetDIBits(HDC hdc, HBITMAP bmp, UINT start, UINT lines, void* bits, BITMAPINFO* info, UINT usage);
int SetDIBits(HDC hdc, HBITMAP bmp, UINT start, UINT lines, const void* bits, const BITMAPINFO* info,
              UINT usage);
BOOL DrawFocusRect(HDC hdc, const RECT* r);  // dotted outline by XOR; twice restores
BOOL InvertRect(HDC hdc, const RECT* r);

// ---------------------------------------------------------------------------------------
// Raster access for the text and window layers (device coordinates are after the
// viewport origin; everything is clipped to the surface and the clip region).

// The bitmap a DC draws into (the selected bitmap, or the target of CreateBitmapDC).
HBITMAP GetDCSurface(HDC hdc);
// Paints every set bit of a 1-bit mask (rows `pitch` bytes apart, high bit first) at
// logical (x, y) in `color`; the ROP is a plain copy.
void PaintMonoMask(HDC hdc, int x, int y, const BYTE* mask, int width, int height, int pitch,
                   COLORREF color);
// Fills a logical rectangle with one colour, clipped.
void FillSolidRect(HDC hdc, const RECT& r, COLORREF color);
// Sets the system clip of a DC (device coordinates): the window layer puts a window's
// visible part here. Every drawing is cut to surface, system clip and application clip;
// SelectClipRgn, SaveDC and RestoreDC never change it. count 0 removes it, an empty
// rectangle leaves nothing visible. Returns the type of the effective clip, or ERROR.
int SetDCSystemClip(HDC hdc, const RECT* deviceRects, int count);
// The effective clip in device coordinates (already cut to the surface), as every drawing
// operation uses it.
std::vector<RECT> GetDCClipRects(HDC hdc);

// RAII owners for platform objects.
struct GdiObjectDeleter {
  void operator()(GdiObject* o) const { DeleteObject(o); }
  void operator()(GdiBitmap* b) const { DeleteObject(b); }
};
template <class T>
using GdiPtr = std::unique_ptr<T, GdiObjectDeleter>;
struct DcDeleter {
  void operator()(DeviceContext* dc) const { DeleteDC(dc); }
};
using DcPtr = std::unique_ptr<DeviceContext, DcDeleter>;
// Saves a DC's state when made and brings it back when it goes, also on an exception.
struct SavedDcState {
  explicit SavedDcState(HDC hdc) : dc(hdc), saved(SaveDC(hdc)) {}
  ~SavedDcState() { RestoreDC(dc, saved); }
  SavedDcState(const SavedDcState&) = delete;
  SavedDcState& operator=(const SavedDcState&) = delete;
  const HDC dc;
  const int saved;
};

// ---------------------------------------------------------------------------------------
// Additions beyond the first cut of this header (all additive).
//
// Conventions of this implementation worth knowing:
//  - Negative extents (PatBlt, BitBlt, StretchBlt, StretchDIBits) cover [x + w, x); when
//    the signs of source and destination extents differ, StretchBlt mirrors.
//  - StretchDIBits and SetDIBitsToDevice count the source y of a bottom-up DIB from its
//    bottom row, as Win32 does; for top-down DIBs from the top.
//  - Colour <-> monochrome rules (source background, destination text/background) apply
//    to monochrome device bitmaps (CreateBitmap 1 bpp, CreateCompatibleBitmap of a mono
//    DC); 1-bit DIB sections convert through their colour table like other DIBs.
//  - Objects held by a SaveDC snapshot count as selected, so DeleteObject refuses them.
//  - SelectObject(hdc, region) returns the region type cast to HGDIOBJ, as Win32 does.
//  - The pen width is not used: every line is one pixel wide.

// Logical pen as GetObjectA reports it for a pen.
struct LOGPEN {
  UINT lopnStyle = 0;
  POINT lopnWidth;  // x holds the width, y is unused
  COLORREF lopnColor = 0;
};

constexpr int PS_DASH = 1;
constexpr int PS_DASHDOT = 3;
constexpr int PS_DASHDOTDOT = 4;
constexpr UINT BS_HOLLOW = BS_NULL;

// More stock objects. DEFAULT_BITMAP is the 1 x 1 monochrome bitmap a new memory DC holds.
constexpr int ANSI_VAR_FONT = 12;
constexpr int SYSTEM_FONT = 13;
constexpr int DEFAULT_PALETTE = 15;
constexpr int DEFAULT_BITMAP = 21;

// A solid brush of system colour `index` that is never freed (DeleteObject ignores it).
// FillRect also accepts (HBRUSH)(COLOR_xxx + 1) as Win32 does.
HBRUSH GetSysColorBrush(int index);

BOOL GetCurrentPositionEx(HDC hdc, POINT* out);

// Region helpers (device coordinates).
BOOL SetRectRgn(HRGN rgn, int left, int top, int right, int bottom);
int OffsetRgn(HRGN rgn, int dx, int dy);
BOOL EqualRgn(HRGN a, HRGN b);
// Copies the DC's clip region (device coordinates) into rgn: 1 when there is one, 0 when
// the DC is unclipped, -1 on error.
int GetClipRgn(HDC hdc, HRGN rgn);

// Largest pixel buffer a bitmap may have; bigger requests are refused with null.
constexpr std::size_t kMaxBitmapBytes = std::size_t(1) << 30;
// Size of the process-wide screen surface that GetDC(nullptr) draws into (never shown).
constexpr int kScreenWidth = 1920;
constexpr int kScreenHeight = 1080;

// ---------------------------------------------------------------------------------------
// Version 4 bitmap headers (dibv4.cpp). A 108-byte header that describes 32-bit pixels by
// their channel masks; only the masks of the 32 bpp layout above are taken (red 0x00FF0000,
// green 0x0000FF00, blue 0x000000FF, alpha 0xFF000000 or 0; all four 0 asks for these),
// and BI_RGB headers of 24 or 32 bits per pixel. Anything else is refused like a bad
// BITMAPINFO.

constexpr DWORD BI_BITFIELDS = 3;

struct CIEXYZ {
  LONG ciexyzX = 0, ciexyzY = 0, ciexyzZ = 0;
};
struct CIEXYZTRIPLE {
  CIEXYZ ciexyzRed, ciexyzGreen, ciexyzBlue;
};
struct BITMAPV4HEADER {
  DWORD bV4Size = 108;
  LONG bV4Width = 0;
  LONG bV4Height = 0;
  WORD bV4Planes = 1;
  WORD bV4BitCount = 0;
  DWORD bV4V4Compression = 0;
  DWORD bV4SizeImage = 0;
  LONG bV4XPelsPerMeter = 0;
  LONG bV4YPelsPerMeter = 0;
  DWORD bV4ClrUsed = 0;
  DWORD bV4ClrImportant = 0;
  DWORD bV4RedMask = 0;
  DWORD bV4GreenMask = 0;
  DWORD bV4BlueMask = 0;
  DWORD bV4AlphaMask = 0;
  DWORD bV4CSType = 0;
  CIEXYZTRIPLE bV4Endpoints;
  DWORD bV4GammaRed = 0;
  DWORD bV4GammaGreen = 0;
  DWORD bV4GammaBlue = 0;
};
static_assert(sizeof(BITMAPV4HEADER) == 108, "BITMAPV4HEADER must keep its Win32 size");

HBITMAP CreateDIBSection(HDC hdc, const BITMAPV4HEADER* header, UINT usage, void** bits, void* section, DWORD offset);
// As GetDIBits with a BITMAPINFO; the fourth byte of 32-bit pixels comes from a 32-bit
// source as it is stored there (an icon's alpha), and is 0 from other formats.
int GetDIBits(HDC hdc, HBITMAP bmp, UINT start, UINT lines, void* bits, BITMAPV4HEADER* header, UINT usage);
int SetDIBits(HDC hdc, HBITMAP bmp, UINT start, UINT lines, const void* bits, const BITMAPV4HEADER* header,
              UINT usage);
