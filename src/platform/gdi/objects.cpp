// GDI objects: creation of bitmaps, brushes, pens, fonts and palettes, the stock objects,
// DeleteObject and the GetObjectA queries.
//
// Sections: bitmap storage and the stock objects / DIB headers and colour tables /
// bitmaps / brushes, pens, fonts / palettes.
#include <algorithm>
#include <cstring>
#include <new>

#include "platform/gdi/dc_internal.h"
#include "platform/gdi/surface.h"

namespace gdi {

const std::vector<RGBQUAD>& MonoTable() {
  static const std::vector<RGBQUAD> table = {RGBQUAD{0, 0, 0, 0}, RGBQUAD{255, 255, 255, 0}};
  return table;
}

std::int64_t StrideFor(std::int64_t width, int bpp) { return ((width * bpp + 31) / 32) * 4; }

GdiBitmap* NewBitmap(int width, int height, int bpp, bool topDown, bool isDib) {
  if (width <= 0 || height <= 0) return nullptr;
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24 && bpp != 32) return nullptr;
  std::int64_t stride = StrideFor(width, bpp);
  // The product is checked in 64 bits; width * bpp alone cannot overflow there.
  if (stride <= 0 || stride > std::int64_t(kMaxBitmapBytes) / height) return nullptr;
  std::size_t bytes = std::size_t(stride) * std::size_t(height);
  auto* mem = static_cast<BYTE*>(std::calloc(bytes, 1));
  if (!mem) return nullptr;
  auto* b = new GdiBitmap;
  b->width = width;
  b->height = height;
  b->bitsPerPixel = bpp;
  b->stride = int(stride);
  b->topDown = topDown;
  b->isDib = isDib;
  b->storage.reset(mem);
  b->bits = mem;
  if (bpp <= 8) b->colorTable.assign(std::size_t(1) << bpp, RGBQUAD{});
  if (bpp == 1 && !isDib) b->colorTable = MonoTable();
  return b;
}

namespace {

GdiBitmap* NewDeviceBitmap(int width, int height, bool mono) {
  return NewBitmap(width, height, mono ? 1 : 32, true, false);
}

const PALETTEENTRY kDefaultPalette[20] = {
    {0, 0, 0, 0},       {128, 0, 0, 0},     {0, 128, 0, 0},     {128, 128, 0, 0},   {0, 0, 128, 0},
    {128, 0, 128, 0},   {0, 128, 128, 0},   {192, 192, 192, 0}, {192, 220, 192, 0}, {166, 202, 240, 0},
    {255, 251, 240, 0}, {160, 160, 164, 0}, {128, 128, 128, 0}, {255, 0, 0, 0},     {0, 255, 0, 0},
    {255, 255, 0, 0},   {0, 0, 255, 0},     {255, 0, 255, 0},   {0, 255, 255, 0},   {255, 255, 255, 0},
};

// Stock objects live for the whole process; `stock` keeps DeleteObject away from them.
struct Stock {
  GdiBrush brushes[6];
  GdiPen pens[3];
  GdiFont guiFont, systemFont, ansiFont;
  GdiPalette palette;
  GdiBitmap bitmap;
  GdiBrush sysBrushes[31];
  BYTE bitmapBits[4] = {};

  Stock() {
    const BYTE grays[5] = {255, 192, 128, 64, 0};
    for (int i = 0; i < 5; ++i) brushes[i].color = RGB(grays[i], grays[i], grays[i]);
    brushes[NULL_BRUSH].style = BS_NULL;
    pens[0].color = RGB(255, 255, 255);
    pens[1].color = 0;
    pens[2].style = PS_NULL;
    auto setFont = [](GdiFont& f, const char* face, int height) {
      std::strncpy(f.logFont.lfFaceName, face, sizeof f.logFont.lfFaceName - 1);
      f.logFont.lfHeight = height;
    };
    setFont(guiFont, "Tahoma", -11);
    setFont(systemFont, "Tahoma", -11);
    setFont(ansiFont, "Tahoma", -11);
    palette.entries.assign(std::begin(kDefaultPalette), std::end(kDefaultPalette));
    bitmap.width = bitmap.height = 1;
    bitmap.bitsPerPixel = 1;
    bitmap.stride = 4;
    bitmap.colorTable = MonoTable();
    bitmap.bits = bitmapBits;
    for (int i = 0; i < 31; ++i) sysBrushes[i].color = GetSysColor(i);
    for (GdiObject* o : All()) o->stock = true;
  }
  std::vector<GdiObject*> All() {
    std::vector<GdiObject*> all = {&pens[0], &pens[1], &pens[2], &guiFont, &systemFont, &ansiFont, &palette,
                                   &bitmap};
    for (auto& b : brushes) all.push_back(&b);
    for (auto& b : sysBrushes) all.push_back(&b);
    return all;
  }
};

Stock& TheStock() {
  static Stock stock;
  return stock;
}

bool ValidDibHeader(const BITMAPINFOHEADER& h) {
  if (h.biCompression != BI_RGB) return false;
  int bpp = h.biBitCount;
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24 && bpp != 32) return false;
  if (h.biWidth <= 0 || h.biHeight == 0 || h.biHeight == INT32_MIN) return false;
  std::int64_t height = h.biHeight < 0 ? -std::int64_t(h.biHeight) : h.biHeight;
  return StrideFor(h.biWidth, bpp) * height <= std::int64_t(kMaxBitmapBytes);
}

std::shared_ptr<GdiBitmap> CloneBitmap(const GdiBitmap& src) {
  GdiBitmap* copy = NewBitmap(src.width, src.height, src.bitsPerPixel, src.topDown, src.isDib);
  if (!copy) return nullptr;
  copy->colorTable = src.colorTable;
  std::memcpy(copy->bits, src.bits, std::size_t(src.stride) * std::size_t(src.height));
  return std::shared_ptr<GdiBitmap>(copy);
}

}  // namespace

GdiBitmap* DefaultBitmap() { return &TheStock().bitmap; }

HGDIOBJ StockObject(int which) {
  Stock& s = TheStock();
  if (which >= WHITE_BRUSH && which <= NULL_BRUSH) return &s.brushes[which];
  if (which >= WHITE_PEN && which <= NULL_PEN) return &s.pens[which - WHITE_PEN];
  switch (which) {
    case ANSI_VAR_FONT: return &s.ansiFont;
    case SYSTEM_FONT: return &s.systemFont;
    case DEFAULT_GUI_FONT: return &s.guiFont;
    case DEFAULT_PALETTE: return &s.palette;
    case DEFAULT_BITMAP: return &s.bitmap;
    default: return nullptr;
  }
}

std::vector<RGBQUAD> TableFromInfo(HDC hdc, const BITMAPINFO* info, UINT usage) {
  int bpp = info->bmiHeader.biBitCount;
  if (bpp > 8) return {};
  std::size_t full = std::size_t(1) << bpp;
  std::size_t used = info->bmiHeader.biClrUsed ? std::min<std::size_t>(info->bmiHeader.biClrUsed, full) : full;
  std::vector<RGBQUAD> table(full, RGBQUAD{});
  if (usage == DIB_PAL_COLORS) {
    HPALETTE pal = nullptr;
    if (hdc && ValidDc(hdc)) pal = hdc->state.palette;
    if (!pal) pal = static_cast<HPALETTE>(StockObject(DEFAULT_PALETTE));
    for (std::size_t i = 0; i < used; ++i) {
      WORD index;
      std::memcpy(&index, reinterpret_cast<const BYTE*>(info->bmiColors) + i * 2, 2);
      if (index < pal->entries.size()) {
        const PALETTEENTRY& e = pal->entries[index];
        table[i] = RGBQUAD{e.peBlue, e.peGreen, e.peRed, 0};
      }
    }
  } else {
    for (std::size_t i = 0; i < used; ++i) table[i] = info->bmiColors[i];
  }
  return table;
}

bool ViewDib(GdiBitmap& view, const BITMAPINFO* info, const void* bits, HDC hdc, UINT usage) {
  if (!info || !bits || !ValidDibHeader(info->bmiHeader)) return false;
  const BITMAPINFOHEADER& h = info->bmiHeader;
  view.width = h.biWidth;
  view.height = h.biHeight < 0 ? -h.biHeight : h.biHeight;
  view.bitsPerPixel = h.biBitCount;
  view.stride = int(StrideFor(h.biWidth, h.biBitCount));
  view.topDown = h.biHeight < 0;
  view.isDib = true;
  view.colorTable = TableFromInfo(hdc, info, usage);
  view.bits = static_cast<BYTE*>(const_cast<void*>(bits));
  return true;
}

}  // namespace gdi

using namespace gdi;

// ---------------------------------------------------------------------------------------
// Bitmaps

HBITMAP CreateDIBSection(HDC hdc, const BITMAPINFO* info, UINT usage, void** bits, void*, DWORD) {
  if (bits) *bits = nullptr;
  if (!info || !ValidDibHeader(info->bmiHeader)) return nullptr;
  const BITMAPINFOHEADER& h = info->bmiHeader;
  int height = h.biHeight < 0 ? -h.biHeight : h.biHeight;
  GdiBitmap* b = NewBitmap(h.biWidth, height, h.biBitCount, h.biHeight < 0, true);
  if (!b) return nullptr;
  if (h.biBitCount <= 8) b->colorTable = TableFromInfo(hdc, info, usage);
  if (bits) *bits = b->bits;
  return b;
}

HBITMAP CreateCompatibleBitmap(HDC hdc, int width, int height) {
  if (width < 0 || height < 0) return nullptr;
  if (width == 0 || height == 0) return NewDeviceBitmap(1, 1, true);
  GdiBitmap* surface = hdc ? Surface(hdc) : nullptr;
  bool mono = surface && IsDeviceMono(*surface);
  return NewDeviceBitmap(width, height, mono);
}

HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits) {
  if (planes != 1 || (bitsPerPixel != 1 && bitsPerPixel != 32) || width < 0 || height < 0) return nullptr;
  if (width == 0 || height == 0) return NewDeviceBitmap(1, 1, true);
  GdiBitmap* b = NewDeviceBitmap(width, height, bitsPerPixel == 1);
  if (!b || !bits) return b;
  // Caller rows are WORD aligned, ours DWORD aligned.
  std::size_t srcStride = ((std::size_t(width) * bitsPerPixel + 15) / 16) * 2;
  const BYTE* in = static_cast<const BYTE*>(bits);
  for (int y = 0; y < height; ++y) std::memcpy(b->Row(y), in + srcStride * y, srcStride);
  return b;
}

HBITMAP CreateBitmapOverMemory(int width, int height, void* bits, void (*release)(void* context), void* context) {
  if (width <= 0 || height <= 0 || !bits || std::int64_t(width) * 4 > std::int64_t(kMaxBitmapBytes) / height)
    return nullptr;
  auto* b = new GdiBitmap;
  b->width = width;
  b->height = height;
  b->bitsPerPixel = 32;
  b->stride = width * 4;
  b->bits = static_cast<BYTE*>(bits);
  b->storage = std::unique_ptr<BYTE[], GdiBitmap::FreeStorage>(b->bits, {release, context});
  return b;
}

HBITMAP CreateDIBitmap(HDC hdc, const BITMAPINFOHEADER* header, DWORD init, const void* bits,
                       const BITMAPINFO* info, UINT usage) {
  if (!header) return nullptr;
  LONG h = header->biHeight < 0 ? -header->biHeight : header->biHeight;
  if (header->biHeight == INT32_MIN) return nullptr;
  HBITMAP bmp = CreateCompatibleBitmap(hdc ? hdc : GetDC(nullptr), header->biWidth, h);
  if (!bmp) return nullptr;
  if ((init & CBM_INIT) && bits && info) SetDIBits(hdc, bmp, 0, UINT(h), bits, info, usage);
  return bmp;
}

// ---------------------------------------------------------------------------------------
// Brushes, pens, fonts

HBRUSH CreateSolidBrush(COLORREF color) {
  auto* b = new GdiBrush;
  b->color = ColorToRGB(color) & 0xFFFFFF;
  return b;
}

HBRUSH CreatePatternBrush(HBITMAP pattern) {
  if (!pattern || !pattern->bits) return nullptr;
  auto copy = CloneBitmap(*pattern);
  if (!copy) return nullptr;
  auto* b = new GdiBrush;
  b->style = BS_PATTERN;
  b->pattern = std::move(copy);
  return b;
}

HBRUSH CreateBrushIndirect(const LOGBRUSH* lb) {
  if (!lb) return nullptr;
  switch (lb->lbStyle) {
    case BS_SOLID: return CreateSolidBrush(lb->lbColor);
    case BS_NULL: {
      auto* b = new GdiBrush;
      b->style = BS_NULL;
      return b;
    }
    case BS_PATTERN: return CreatePatternBrush(reinterpret_cast<HBITMAP>(lb->lbHatch));
    default: return nullptr;
  }
}

HBRUSH GetSysColorBrush(int index) {
  if (index < 0 || index >= 31) return nullptr;
  return &TheStock().sysBrushes[index];
}

HPEN CreatePen(int style, int width, COLORREF color) {
  if (style < PS_SOLID || style > PS_NULL) return nullptr;
  auto* p = new GdiPen;
  p->style = style;
  p->width = width < 0 ? 0 : width;
  p->color = ColorToRGB(color) & 0xFFFFFF;
  return p;
}

HFONT CreateFontIndirectA(const LOGFONTA* lf) {
  if (!lf) return nullptr;
  auto* f = new GdiFont;
  f->logFont = *lf;
  f->logFont.lfFaceName[sizeof f->logFont.lfFaceName - 1] = 0;
  return f;
}

HGDIOBJ GetStockObject(int which) { return StockObject(which); }

BOOL DeleteObject(HGDIOBJ obj) {
  if (!obj) return FALSE;
  if (obj->stock) return TRUE;
  if (obj->selectCount > 0) return FALSE;
  if (obj->objType == OBJ_BITMAP && static_cast<GdiBitmap*>(obj)->views > 0) return FALSE;
  delete obj;
  return TRUE;
}

BOOL DeleteObject(HBITMAP bitmap) { return DeleteObject(static_cast<HGDIOBJ>(bitmap)); }

UINT GetObjectType(HGDIOBJ obj) { return obj ? obj->objType : 0; }

UINT GetObjectType(HBITMAP bitmap) { return GetObjectType(static_cast<HGDIOBJ>(bitmap)); }

int GetObjectA(HBITMAP bitmap, int size, void* out) { return GetObjectA(static_cast<HGDIOBJ>(bitmap), size, out); }

int GetObjectA(HGDIOBJ obj, int size, void* out) {
  if (!obj || size < 0) return 0;
  switch (obj->objType) {
    case OBJ_BITMAP: {
      auto* b = static_cast<GdiBitmap*>(obj);
      BITMAP bm;
      bm.bmType = 0;
      bm.bmWidth = b->width;
      bm.bmHeight = b->height;
      bm.bmWidthBytes = b->stride;
      bm.bmPlanes = 1;
      bm.bmBitsPixel = WORD(b->bitsPerPixel);
      bm.bmBits = b->isDib ? b->bits : nullptr;
      if (b->isDib && (!out || size >= int(sizeof(DIBSECTION)))) {
        if (!out) return int(sizeof(DIBSECTION));
        DIBSECTION ds;
        ds.dsBm = bm;
        ds.dsBmih.biWidth = b->width;
        ds.dsBmih.biHeight = b->topDown ? -b->height : b->height;
        ds.dsBmih.biBitCount = WORD(b->bitsPerPixel);
        ds.dsBmih.biSizeImage = DWORD(std::size_t(b->stride) * std::size_t(b->height));
        ds.dsBmih.biClrUsed = DWORD(b->colorTable.size());
        std::memcpy(out, &ds, sizeof ds);
        return int(sizeof ds);
      }
      if (!out) return int(sizeof(BITMAP));
      if (size < int(sizeof(BITMAP))) return 0;
      std::memcpy(out, &bm, sizeof bm);
      return int(sizeof bm);
    }
    case OBJ_BRUSH: {
      auto* b = static_cast<GdiBrush*>(obj);
      if (!out) return int(sizeof(LOGBRUSH));
      if (size < int(sizeof(LOGBRUSH))) return 0;
      LOGBRUSH lb;
      lb.lbStyle = b->style;
      lb.lbColor = b->color;
      lb.lbHatch = 0;
      std::memcpy(out, &lb, sizeof lb);
      return int(sizeof lb);
    }
    case OBJ_PEN: {
      auto* p = static_cast<GdiPen*>(obj);
      if (!out) return int(sizeof(LOGPEN));
      if (size < int(sizeof(LOGPEN))) return 0;
      LOGPEN lp;
      lp.lopnStyle = UINT(p->style);
      lp.lopnWidth = POINT{p->width, 0};
      lp.lopnColor = p->color;
      std::memcpy(out, &lp, sizeof lp);
      return int(sizeof lp);
    }
    case OBJ_FONT: {
      auto* f = static_cast<GdiFont*>(obj);
      if (!out) return int(sizeof(LOGFONTA));
      if (size < int(sizeof(LOGFONTA))) return 0;
      std::memcpy(out, &f->logFont, sizeof(LOGFONTA));
      return int(sizeof(LOGFONTA));
    }
    case OBJ_PAL: {
      auto* p = static_cast<GdiPalette*>(obj);
      if (!out) return int(sizeof(WORD));
      if (size < int(sizeof(WORD))) return 0;
      WORD count = WORD(p->entries.size());
      std::memcpy(out, &count, sizeof count);
      return int(sizeof count);
    }
    default: return 0;
  }
}

// ---------------------------------------------------------------------------------------
// Palettes

HPALETTE CreatePalette(const LOGPALETTE* lp) {
  if (!lp || lp->palNumEntries == 0) return nullptr;
  auto* p = new GdiPalette;
  std::size_t n = std::min<std::size_t>(lp->palNumEntries, 256);
  p->entries.assign(lp->palPalEntry, lp->palPalEntry + n);
  return p;
}

UINT GetPaletteEntries(HPALETTE pal, UINT start, UINT count, PALETTEENTRY* out) {
  if (!pal) return 0;
  if (!out) return UINT(pal->entries.size());
  if (start >= pal->entries.size()) return 0;
  UINT n = std::min<UINT>(count, UINT(pal->entries.size()) - start);
  std::copy_n(pal->entries.begin() + start, n, out);
  return n;
}

UINT SetPaletteEntries(HPALETTE pal, UINT start, UINT count, const PALETTEENTRY* in) {
  if (!pal || !in || pal->stock || start >= pal->entries.size()) return 0;
  UINT n = std::min<UINT>(count, UINT(pal->entries.size()) - start);
  std::copy_n(in, n, pal->entries.begin() + start);
  return n;
}

UINT GetNearestPaletteIndex(HPALETTE pal, COLORREF color) {
  if (!pal || pal->entries.empty()) return CLR_INVALID;
  std::vector<RGBQUAD> table;
  table.reserve(pal->entries.size());
  for (const PALETTEENTRY& e : pal->entries) table.push_back(RGBQUAD{e.peBlue, e.peGreen, e.peRed, 0});
  return NearestIndex(table, ColorToRGB(color));
}
