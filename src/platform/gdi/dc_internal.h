// Private parts of the GDI layer: the bitmap and device context objects, pixel access of
// bitmaps and the raster engine shared by the drawing, blitting and DIB functions.
#pragma once

#include <cstdlib>

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/gdi/gdi.h"

// How a bitmap's pixel memory goes: back to the heap, or (memory lent by someone else) the
// lender is told instead.
struct BitmapStorageFree {
  void (*release)(void* context) = nullptr;
  void* context = nullptr;
  void operator()(BYTE* p) const {
    if (release) release(context);
    else std::free(p);
  }
};

// The bitmap object itself (see the pixel formats at the top of gdi.h).
struct GdiBitmap final : GdiObject {
  GdiBitmap() : GdiObject(OBJ_BITMAP) {}
  int width = 0;
  int height = 0;           // always positive; see topDown
  int bitsPerPixel = 0;     // 1, 4, 8, 24 or 32
  int stride = 0;           // bytes per row, DWORD aligned
  bool topDown = true;      // memory row 0 is the top image row
  bool isDib = false;       // a DIB section (GetObject reports bmBits)
  std::vector<RGBQUAD> colorTable;  // 2, 16 or 256 entries for indexed formats
  BYTE* bits = nullptr;     // pixel memory (owned via storage)
  using FreeStorage = BitmapStorageFree;
  // From calloc: large bitmaps get fresh pages that are already zero, with no pass over them.
  std::unique_ptr<BYTE[], FreeStorage> storage;
  int views = 0;            // live SurfaceViews; DeleteObject refuses while there are any

  // Address of image row y (0 = top) whatever the row order.
  BYTE* Row(int y) const { return bits + std::ptrdiff_t(topDown ? y : height - 1 - y) * stride; }
};

// Everything a SaveDC snapshot must bring back.
struct DcState {
  HBITMAP bitmap = nullptr;
  HBRUSH brush = nullptr;
  HPEN pen = nullptr;
  HFONT font = nullptr;
  HPALETTE palette = nullptr;
  COLORREF textColor = RGB(0, 0, 0);
  COLORREF bkColor = RGB(255, 255, 255);
  int bkMode = OPAQUE;
  int stretchMode = BLACKONWHITE;
  POINT viewportOrg;
  POINT brushOrg;
  POINT position;
  bool clipped = false;      // false: only the surface bounds clip
  std::vector<RECT> clip;    // device coordinates, non-overlapping
};

struct DeviceContext {
  enum class Kind { Screen, Memory, Target };
  Kind kind = Kind::Memory;
  DcState state;
  std::vector<DcState> saved;  // SaveDC stack, oldest first
  // Set by the window layer to the window's visible part; lies under the application clip
  // and outside the saved states, so nothing the drawing code does can widen it.
  bool systemClipped = false;
  std::vector<RECT> systemClip;  // device coordinates, non-overlapping
};

namespace gdi {

using u32 = std::uint32_t;

// ---- bitmaps (objects.cpp)
// Allocates a zeroed bitmap; null when the size is invalid or too large.
GdiBitmap* NewBitmap(int width, int height, int bpp, bool topDown, bool isDib);
std::int64_t StrideFor(std::int64_t width, int bpp);
GdiBitmap* DefaultBitmap();
HGDIOBJ StockObject(int which);
// Colour table from a BITMAPINFO (DIB_PAL_COLORS resolves through the DC's palette).
std::vector<RGBQUAD> TableFromInfo(HDC hdc, const BITMAPINFO* info, UINT usage);
// A GdiBitmap that views caller-owned DIB bits (no storage); false on a bad header.
bool ViewDib(GdiBitmap& view, const BITMAPINFO* info, const void* bits, HDC hdc, UINT usage);
const std::vector<RGBQUAD>& MonoTable();

// ---- pixels (pixels.cpp)
// Pixel values: indexes for 1/4/8 bpp, 0xXXRRGGBB (memory order) for 24/32 bpp.
inline bool IsIndexed(const GdiBitmap& b) { return b.bitsPerPixel <= 8; }
inline bool IsDeviceMono(const GdiBitmap& b) { return b.bitsPerPixel == 1 && !b.isDib; }
inline u32 ValueMask(const GdiBitmap& b) {
  return IsIndexed(b) ? (1u << b.bitsPerPixel) - 1 : 0xFFFFFFu;
}
inline u32 RgbToValue(COLORREF c) { return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF); }
inline COLORREF ValueToRgb(u32 v) { return ((v & 0xFF) << 16) | (v & 0xFF00) | ((v >> 16) & 0xFF); }
u32 NearestIndex(const std::vector<RGBQUAD>& table, COLORREF rgb);
u32 ColorToValue(const GdiBitmap& b, COLORREF color);  // resolves system colours
COLORREF ValueToColor(const GdiBitmap& b, u32 value);
u32 GetValue(const GdiBitmap& b, int x, int y);
void PutValue(GdiBitmap& b, int x, int y, u32 v);
void ReadSpan(const GdiBitmap& b, int y, int x, int count, u32* out);
void ReadMapped(const GdiBitmap& b, int y, const int* xs, int count, u32* out);
void WriteSpan(GdiBitmap& b, int y, int x, int count, const u32* in);

// ---- device contexts (dc.cpp)
bool ValidDc(HDC hdc);
GdiBitmap* Surface(HDC hdc);
// The effective clip in device coordinates: surface, system clip and application clip.
std::vector<RECT> ClipRects(HDC hdc);
void AddSelection(GdiObject* o);
void DropSelection(GdiObject* o);

// ---- regions (regions.cpp)
// Combines two rectangle lists into a banded, non-overlapping list.
std::vector<RECT> CombineRects(const std::vector<RECT>& a, const std::vector<RECT>& b, int mode);
int RegionType(const std::vector<RECT>& rects);
RECT BoundingBox(const std::vector<RECT>& rects);

// ---- raster engine (raster.cpp)
// A brush realised for one destination: one value or a tile of values.
struct Pattern {
  bool present = false;
  std::vector<u32> tile;  // size w*h; w == h == 1 for a solid brush
  int w = 1, h = 1;
  int orgX = 0, orgY = 0;  // device position of tile pixel (0, 0)
  u32 At(int x, int y) const {
    int px = int((std::int64_t(x) - orgX) % w), py = int((std::int64_t(y) - orgY) % h);
    if (px < 0) px += w;
    if (py < 0) py += h;
    return tile[std::size_t(py) * w + px];
  }
};
Pattern MakePattern(HDC hdc, HBRUSH brush, const GdiBitmap& dst);

// Where the source pixels come from and how they become destination values.
struct Source {
  const GdiBitmap* bmp = nullptr;
  std::int64_t x = 0, y = 0, w = 0, h = 0;  // source rectangle, w and h > 0
  bool mirrorX = false, mirrorY = false;
  // Colour rules of a DC-to-DC blit; a plain copy (DIB functions) converts by colour.
  bool dcRules = false;
  COLORREF srcBk = 0;                  // colour -> monochrome: equal to it gives 1
  COLORREF dstText = 0, dstBk = 0;     // monochrome -> colour: 0 -> text, 1 -> background
};

struct Mask {
  const GdiBitmap* bmp = nullptr;
  std::int64_t x = 0, y = 0;
};

// Applies rop4 (low byte of bits 16-23: foreground ternary index, bits 24-31: background)
// on the device rectangle [x, x+w) x [y, y+h) of dst, cut to `clip`.
void Raster(GdiBitmap& dst, const std::vector<RECT>& clip, std::int64_t x, std::int64_t y, std::int64_t w,
            std::int64_t h, const Source* src, const Pattern* pat, const Mask* mask, DWORD rop4);
inline bool RopUsesSource(BYTE r) { return ((r >> 2) & 0x33) != (r & 0x33); }
inline bool RopUsesPattern(BYTE r) { return ((r >> 4) & 0x0F) != (r & 0x0F); }
inline bool RopUsesDest(BYTE r) { return ((r >> 1) & 0x55) != (r & 0x55); }
inline BYTE RopIndex(DWORD rop) { return BYTE(rop >> 16); }

// Logical rectangle fill with a brush through the given ternary op, in the DC's clip.
void FillWithBrush(HDC hdc, std::int64_t l, std::int64_t t, std::int64_t r, std::int64_t b, HBRUSH brush,
                   DWORD rop);

}  // namespace gdi
