// Device-independent bitmap transfers: StretchDIBits, SetDIBitsToDevice, GetDIBits and
// SetDIBits. Caller memory is viewed as a bitmap and handed to the raster engine.
#include <algorithm>
#include <cstring>

#include "platform/gdi/dc_internal.h"

using namespace gdi;

namespace {

using i64 = std::int64_t;

// The colour table GetDIBits reports for an indexed format the bitmap does not have.
std::vector<RGBQUAD> StandardTable(int bpp) {
  static const BYTE vga[16][3] = {{0, 0, 0},       {128, 0, 0},   {0, 128, 0},   {128, 128, 0},
                                  {0, 0, 128},     {128, 0, 128}, {0, 128, 128}, {192, 192, 192},
                                  {128, 128, 128}, {255, 0, 0},   {0, 255, 0},   {255, 255, 0},
                                  {0, 0, 255},     {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};
  std::vector<RGBQUAD> t;
  if (bpp == 1) return MonoTable();
  for (auto& c : vga) t.push_back(RGBQUAD{c[2], c[1], c[0], 0});
  if (bpp == 4) return t;
  for (int r = 0; r < 6; ++r)
    for (int g = 0; g < 6; ++g)
      for (int b = 0; b < 6; ++b) t.push_back(RGBQUAD{BYTE(b * 51), BYTE(g * 51), BYTE(r * 51), 0});
  for (int i = 0; i < 24; ++i) t.push_back(RGBQUAD{BYTE(8 + i * 10), BYTE(8 + i * 10), BYTE(8 + i * 10), 0});
  return t;
}

// A header describing `rows` rows of the DIB in `info`, same row order.
BITMAPINFO PartOf(const BITMAPINFO& info, i64 rows) {
  BITMAPINFO part = info;
  part.bmiHeader.biHeight = LONG(info.bmiHeader.biHeight < 0 ? -rows : rows);
  return part;
}

bool SupportedBpp(int bpp) { return bpp == 1 || bpp == 4 || bpp == 8 || bpp == 24 || bpp == 32; }

}  // namespace

int StretchDIBits(HDC hdc, int x, int y, int w, int h, int sx, int sy, int sw, int sh, const void* bits,
                  const BITMAPINFO* info, UINT usage, DWORD rop) {
  GdiBitmap* dst = Surface(hdc);
  GdiBitmap view;
  if (!dst || !ViewDib(view, info, bits, hdc, usage)) return 0;
  if (w == 0 || h == 0 || sw == 0 || sh == 0) return 0;
  i64 X = x, Y = y, W = w, H = h, SX = sx, SY = sy, SW = sw, SH = sh;
  bool fx = W < 0, fy = H < 0, sfx = SW < 0, sfy = SH < 0;
  if (fx) X += W, W = -W;
  if (fy) Y += H, H = -H;
  if (sfx) SX += SW, SW = -SW;
  if (sfy) SY += SH, SH = -SH;
  Source src;
  src.bmp = &view;
  src.x = SX;
  // For bottom-up DIBs the source origin is the lower-left corner, as in Win32.
  src.y = view.topDown ? SY : i64(view.height) - SY - SH;
  src.w = SW;
  src.h = SH;
  src.mirrorX = fx != sfx;
  src.mirrorY = fy != sfy;
  BYTE idx = RopIndex(rop);
  Pattern pat;
  if (RopUsesPattern(idx)) pat = MakePattern(hdc, hdc->state.brush, *dst);
  const POINT& o = hdc->state.viewportOrg;
  Raster(*dst, ClipRects(hdc), X + o.x, Y + o.y, W, H, &src, &pat, nullptr, rop & 0x00FFFFFF);
  return int(SH);
}

int SetDIBitsToDevice(HDC hdc, int x, int y, DWORD w, DWORD h, int sx, int sy, UINT startScan, UINT scanLines,
                      const void* bits, const BITMAPINFO* info, UINT usage) {
  GdiBitmap* dst = Surface(hdc);
  if (!dst || !info || !bits || w == 0 || h == 0) return 0;
  i64 full = info->bmiHeader.biHeight < 0 ? -i64(info->bmiHeader.biHeight) : i64(info->bmiHeader.biHeight);
  if (startScan >= full) return 0;
  i64 rows = std::min<i64>(scanLines, full - startScan);
  if (rows <= 0) return 0;
  BITMAPINFO part = PartOf(*info, rows);
  GdiBitmap view;
  if (!ViewDib(view, &part, bits, hdc, usage)) return 0;
  // Scans present in the buffer and wanted by the source rectangle.
  i64 a = std::max<i64>(sy, startScan), b = std::min<i64>(i64(sy) + i64(h), i64(startScan) + rows);
  if (a >= b) return 0;
  Source src;
  src.bmp = &view;
  src.x = sx;
  src.w = i64(w);
  src.h = b - a;
  i64 dy;
  if (view.topDown) {
    src.y = a - startScan;
    dy = i64(y) + (a - sy);
  } else {
    // Scan s counts from the bottom and lands on device row y + h - 1 - (s - sy).
    src.y = i64(startScan) + rows - b;
    dy = i64(y) + i64(h) - (b - sy);
  }
  const POINT& o = hdc->state.viewportOrg;
  Raster(*dst, ClipRects(hdc), i64(x) + o.x, dy + o.y, i64(w), b - a, &src, nullptr, nullptr, SRCCOPY);
  return int(b - a);
}

int GetDIBits(HDC hdc, HBITMAP bmp, UINT start, UINT lines, void* bits, BITMAPINFO* info, UINT usage) {
  if (!bmp || !bmp->bits || !info) return 0;
  BITMAPINFOHEADER& hd = info->bmiHeader;
  if (hd.biBitCount == 0) {
    hd.biWidth = bmp->width;
    hd.biHeight = bmp->height;
    hd.biBitCount = WORD(bmp->bitsPerPixel);
    if (!bits) {
      hd.biSize = sizeof(BITMAPINFOHEADER);
      hd.biPlanes = 1;
      hd.biCompression = BI_RGB;
      hd.biSizeImage = DWORD(std::size_t(bmp->stride) * std::size_t(bmp->height));
      hd.biClrUsed = 0;
      return bmp->height;
    }
  }
  if (!SupportedBpp(hd.biBitCount) || hd.biWidth < 0 || hd.biHeight == INT32_MIN) return 0;
  if (hd.biWidth == 0) hd.biWidth = bmp->width;
  if (hd.biHeight == 0) hd.biHeight = bmp->height;
  i64 full = hd.biHeight < 0 ? -i64(hd.biHeight) : i64(hd.biHeight);
  i64 bytes = StrideFor(hd.biWidth, hd.biBitCount) * full;
  if (bytes > i64(kMaxBitmapBytes)) return 0;
  hd.biSize = sizeof(BITMAPINFOHEADER);
  hd.biPlanes = 1;
  hd.biCompression = BI_RGB;
  hd.biSizeImage = DWORD(bytes);
  hd.biClrUsed = 0;
  if (hd.biBitCount <= 8) {
    std::vector<RGBQUAD> table = (bmp->bitsPerPixel == hd.biBitCount) ? bmp->colorTable : StandardTable(hd.biBitCount);
    table.resize(std::size_t(1) << hd.biBitCount);
    std::copy(table.begin(), table.end(), info->bmiColors);
  }
  if (!bits) return bmp->height;
  if (start >= full) return 0;
  i64 rows = std::min<i64>(lines, full - start);
  if (rows <= 0) return 0;
  BITMAPINFO part = PartOf(*info, rows);
  GdiBitmap view;
  if (!ViewDib(view, &part, bits, hdc, DIB_RGB_COLORS)) return 0;
  (void)usage;
  // View row v shows image row first + v of the DIB, which is bitmap row first + v.
  i64 first = view.topDown ? i64(start) : full - start - rows;
  Source src;
  src.bmp = bmp;
  src.x = 0;
  src.y = first;
  src.w = view.width;
  src.h = rows;
  std::vector<RECT> clip = {RECT{0, 0, view.width, view.height}};
  Raster(view, clip, 0, 0, view.width, rows, &src, nullptr, nullptr, SRCCOPY);
  i64 copied = std::min<i64>(first + rows, bmp->height) - std::max<i64>(first, 0);
  return int(std::max<i64>(copied, 0));
}

int SetDIBits(HDC hdc, HBITMAP bmp, UINT start, UINT lines, const void* bits, const BITMAPINFO* info, UINT usage) {
  if (!bmp || !bmp->bits || !info || !bits || info->bmiHeader.biHeight == INT32_MIN) return 0;
  i64 full = info->bmiHeader.biHeight < 0 ? -i64(info->bmiHeader.biHeight) : i64(info->bmiHeader.biHeight);
  if (start >= full) return 0;
  i64 rows = std::min<i64>(lines, full - start);
  if (rows <= 0) return 0;
  BITMAPINFO part = PartOf(*info, rows);
  GdiBitmap view;
  if (!ViewDib(view, &part, bits, hdc, usage)) return 0;
  i64 first = view.topDown ? i64(start) : full - start - rows;
  Source src;
  src.bmp = &view;
  src.w = view.width;
  src.h = rows;
  std::vector<RECT> clip = {RECT{0, 0, bmp->width, bmp->height}};
  Raster(*bmp, clip, 0, first, view.width, rows, &src, nullptr, nullptr, SRCCOPY);
  i64 copied = std::min<i64>(first + rows, bmp->height) - std::max<i64>(first, 0);
  return int(std::max<i64>(copied, 0));
}
