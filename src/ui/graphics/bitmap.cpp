// TBitmap: the bitmap handle, its canvas on a memory DC, size and format changes, copies
// and drawing. The BMP file format lives in bmpfile.cpp.
//
// Sections: the bitmap's canvas / format helpers and the scoped DC / handle, size and
// format changes / scan lines, transparency, resources, palettes / Assign / drawing.
#include <algorithm>
#include <cstring>

#include "platform/gdi/surface.h"
#include "ui/graphics/graphics.h"

// The canvas of a bitmap: a memory DC of its own with the bitmap selected.
class TBitmapCanvas : public TCanvas {
 public:
  explicit TBitmapCanvas(TBitmap* bitmap) : bitmap_(bitmap) {}
  ~TBitmapCanvas() override { FreeContext(); }

  void FreeContext() {
    if (!HandleAllocated()) return;
    HDC dc = Handle();
    SetHandle(nullptr);
    if (oldBitmap_) SelectObject(dc, oldBitmap_);
    oldBitmap_ = nullptr;
    DeleteDC(dc);
  }

 protected:
  void CreateHandle() override {
    HDC dc = CreateCompatibleDC(nullptr);
    if (!dc) return;
    HBITMAP bmp = bitmap_->Handle();
    if (bmp) oldBitmap_ = SelectObject(dc, bmp);
    SetHandle(dc);
  }

 private:
  TBitmap* bitmap_;
  HGDIOBJ oldBitmap_ = nullptr;
};

namespace {

int BitsOf(TPixelFormat f) {
  switch (f) {
    case pf1bit: return 1;
    case pf4bit: return 4;
    case pf8bit: return 8;
    case pf15bit:
    case pf16bit:
    case pf24bit: return 24;
    case pf32bit: return 32;
    default: return 0;  // device
  }
}

// Pixel formats the platform has no DIBs for are kept as the nearest one it has.
TPixelFormat Supported(TPixelFormat f) {
  if (f == pf15bit || f == pf16bit) return pf24bit;
  if (f == pfCustom) return pfDevice;
  return f;
}

// The standard colour tables of new indexed bitmaps: black/white, the 16 VGA colours, and
// for 256 colours the VGA ones, a 6x6x6 cube and a grey ramp.
void DefaultColorTable(int bpp, RGBQUAD* table) {
  static const BYTE kVga[16][3] = {{0, 0, 0},       {128, 0, 0},   {0, 128, 0},   {128, 128, 0},
                                   {0, 0, 128},     {128, 0, 128}, {0, 128, 128}, {128, 128, 128},
                                   {192, 192, 192}, {255, 0, 0},   {0, 255, 0},   {255, 255, 0},
                                   {0, 0, 255},     {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};
  auto set = [&](int i, BYTE r, BYTE g, BYTE b) { table[i] = RGBQUAD{b, g, r, 0}; };
  if (bpp == 1) {
    set(0, 0, 0, 0);
    set(1, 255, 255, 255);
    return;
  }
  for (int i = 0; i < 16; ++i) set(i, kVga[i][0], kVga[i][1], kVga[i][2]);
  if (bpp == 8) {
    int i = 16;
    for (int r = 0; r < 6; ++r)
      for (int g = 0; g < 6; ++g)
        for (int b = 0; b < 6; ++b) set(i++, BYTE(r * 51), BYTE(g * 51), BYTE(b * 51));
    for (int k = 0; i < 256; ++i, ++k) set(i, BYTE(8 + k * 10), BYTE(8 + k * 10), BYTE(8 + k * 10));
  }
}

// The colours of an indexed bitmap into another of the same format.
void CopyColorTable(HBITMAP from, HBITMAP to) {
  SurfaceView src(from), dst(to);
  std::span<RGBQUAD> in = src.ColorTable(), out = dst.ColorTable();
  if (!in.empty() && in.size() == out.size()) std::copy(in.begin(), in.end(), out.begin());
}

// A memory DC with a bitmap selected, released on scope exit.
class ScopedBitmapDc {
 public:
  explicit ScopedBitmapDc(HBITMAP bmp) : dc_(CreateCompatibleDC(nullptr)) {
    if (dc_) old_ = SelectObject(dc_, bmp);
  }
  ~ScopedBitmapDc() {
    if (!dc_) return;
    SelectObject(dc_, old_);
    DeleteDC(dc_);
  }
  ScopedBitmapDc(const ScopedBitmapDc&) = delete;
  ScopedBitmapDc& operator=(const ScopedBitmapDc&) = delete;
  HDC dc() const { return dc_; }

 private:
  HDC dc_;
  HGDIOBJ old_ = nullptr;
};

}  // namespace

TBitmap::TBitmap() = default;

TBitmap::TBitmap(int width, int height, TPixelFormat format) {
  pixelFormat_ = Supported(format);
  SetSize(width, height);
}

TBitmap::~TBitmap() {
  canvas_.reset();
  if (handle_) DeleteObject(handle_);
  if (palette_) DeleteObject(palette_);
}

HBITMAP TBitmap::NewBitmap(int width, int height, TPixelFormat format) const {
  if (width <= 0 || height <= 0) return nullptr;
  HBITMAP bmp;
  if (format == pfDevice) {
    bmp = CreateBitmap(width, height, 1, 32, nullptr);
  } else {
    BITMAPINFO info;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;  // bottom-up, as the platform's own DIBs are
    info.bmiHeader.biBitCount = WORD(BitsOf(format));
    if (info.bmiHeader.biBitCount <= 8) DefaultColorTable(info.bmiHeader.biBitCount, info.bmiColors);
    bmp = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, nullptr, nullptr, 0);
  }
  // The platform refuses sizes past its limit with null.
  if (!bmp) throw EOutOfMemory("Out of memory");
  return bmp;
}

void TBitmap::FreeContext() {
  if (canvas_) static_cast<TBitmapCanvas*>(canvas_.get())->FreeContext();
}

void TBitmap::Replace(HBITMAP bitmap, int width, int height, TPixelFormat format) {
  FreeContext();
  if (handle_ && handle_ != bitmap) DeleteObject(handle_);
  handle_ = bitmap;
  width_ = bitmap ? width : 0;
  height_ = bitmap ? height : 0;
  pixelFormat_ = format;
  Changed(this);
}

HBITMAP TBitmap::Handle() {
  if (!handle_ && width_ > 0 && height_ > 0) handle_ = NewBitmap(width_, height_, pixelFormat_);
  return handle_;
}

void TBitmap::SetHandle(HBITMAP value) {
  if (value == handle_) return;
  if (!value) {
    Replace(nullptr, 0, 0, pixelFormat_);
    return;
  }
  TPixelFormat f = pfDevice;
  int width, height;
  {
    SurfaceView view(value);
    if (view.IsDib()) {
      switch (view.Format()) {
        case SurfaceFormat::Indexed1: f = pf1bit; break;
        case SurfaceFormat::Indexed4: f = pf4bit; break;
        case SurfaceFormat::Indexed8: f = pf8bit; break;
        case SurfaceFormat::Bgr: f = pf24bit; break;
        case SurfaceFormat::Bgrx: f = pf32bit; break;
      }
    } else if (view.Format() == SurfaceFormat::Indexed1) {
      f = pf1bit;
    }
    width = view.Width();
    height = view.Height();
  }
  Replace(value, width, height, f);
}

HBITMAP TBitmap::ReleaseHandle() {
  FreeContext();
  HBITMAP h = handle_;
  handle_ = nullptr;
  width_ = height_ = 0;
  return h;
}

TBitmapHandleType TBitmap::HandleType() const { return SurfaceView(handle_).IsDib() ? bmDIB : bmDDB; }

TCanvas* TBitmap::Canvas() {
  if (!canvas_) {
    canvas_ = std::make_unique<TBitmapCanvas>(this);
    // Drawing on the canvas changes the picture: its users repaint.
    canvas_->OnChange = [this](TObject*) { Changed(this); };
  }
  return canvas_.get();
}

void TBitmap::SetSize(int width, int height) {
  if (width < 0) width = 0;
  if (height < 0) height = 0;
  if (width == width_ && height == height_) return;
  if (width == 0 || height == 0) {
    Replace(nullptr, width, height, pixelFormat_);
    width_ = width;
    height_ = height;
    return;
  }
  HBITMAP fresh = NewBitmap(width, height, pixelFormat_);
  // The new area starts white; what still fits of the old picture is kept.
  {
    ScopedBitmapDc dst(fresh);
    PatBlt(dst.dc(), 0, 0, width, height, WHITENESS);
    if (handle_) {
      FreeContext();
      CopyColorTable(handle_, fresh);
      ScopedBitmapDc src(handle_);
      BitBlt(dst.dc(), 0, 0, std::min(width, width_), std::min(height, height_), src.dc(), 0, 0, SRCCOPY);
    }
  }
  Replace(fresh, width, height, pixelFormat_);
}

void TBitmap::SetPixelFormat(TPixelFormat value) {
  value = Supported(value);
  if (value == pixelFormat_) return;
  if (!handle_) {
    pixelFormat_ = value;
    Changed(this);
    return;
  }
  HBITMAP fresh = NewBitmap(width_, height_, value);
  {
    FreeContext();
    ScopedBitmapDc dst(fresh);
    ScopedBitmapDc src(handle_);
    // Monochrome conversion follows the DC colours: black text on a white background.
    SetTextColor(dst.dc(), 0);
    SetBkColor(dst.dc(), 0xFFFFFF);
    SetBkColor(src.dc(), 0xFFFFFF);
    BitBlt(dst.dc(), 0, 0, width_, height_, src.dc(), 0, 0, SRCCOPY);
  }
  Replace(fresh, width_, height_, value);
}

void* TBitmap::ScanLine(int y) {
  HBITMAP h = Handle();
  if (!h || y < 0 || y >= height_) throw EInvalidGraphicOperation("Scan line index out of range");
  return SurfaceView(h).Row(y);
}

TColor TBitmap::TransparentColor() {
  if (transparentMode_ == tmFixed && transparentColor_ != clDefault) return transparentColor_;
  if (IsEmpty()) return clNone;
  return Canvas()->Pixels(0, height_ - 1);
}

void TBitmap::SetTransparentColor(TColor value) {
  if (value == transparentColor_ && transparentMode_ == (value == clDefault ? tmAuto : tmFixed)) return;
  transparentColor_ = value;
  transparentMode_ = value == clDefault ? tmAuto : tmFixed;
  Changed(this);
}

void TBitmap::SetTransparentMode(TTransparentMode value) {
  if (value == transparentMode_) return;
  if (value == tmAuto) {
    transparentColor_ = clDefault;
    transparentMode_ = tmAuto;
  } else {
    TColor current = TransparentColor();
    transparentMode_ = tmFixed;
    transparentColor_ = current == clNone ? clDefault : current;
  }
  Changed(this);
}

void TBitmap::LoadFromResourceName(const std::string& name) {
  TResourceStream stream(name);
  ReadFromStream(stream);
}

bool TBitmap::IsEmpty() { return Handle() == nullptr; }

HPALETTE TBitmap::PaletteHandle() {
  SurfaceView view(handle_);
  if (!palette_ && view.IsDib() && !view.ColorTable().empty()) {
    std::span<RGBQUAD> table = view.ColorTable();
    LOGPALETTE lp;
    lp.palNumEntries = WORD(table.size());
    for (std::size_t i = 0; i < table.size() && i < 256; ++i)
      lp.palPalEntry[i] = PALETTEENTRY{table[i].rgbRed, table[i].rgbGreen, table[i].rgbBlue, 0};
    palette_ = CreatePalette(&lp);
  }
  return palette_;
}

void TBitmap::SetPaletteHandle(HPALETTE palette) {
  if (palette == palette_) return;
  if (palette_) DeleteObject(palette_);
  palette_ = palette;
  // An indexed DIB shows its colours through its colour table: take the palette's entries.
  if (palette_ && handle_) {
    SurfaceView view(handle_);
    std::span<RGBQUAD> table = view.ColorTable();
    PALETTEENTRY entries[256];
    UINT n = GetPaletteEntries(palette_, 0, 256, entries);
    for (UINT i = 0; i < n && i < table.size(); ++i)
      table[i] = RGBQUAD{entries[i].peBlue, entries[i].peGreen, entries[i].peRed, 0};
  }
  Changed(this);
}

void TBitmap::Assign(TPersistent* source) {
  if (source == this) return;
  if (!source) {
    Replace(nullptr, 0, 0, pixelFormat_);
    return;
  }
  if (auto* b = dynamic_cast<TBitmap*>(source)) {
    HBITMAP copy = nullptr;
    HBITMAP src = b->Handle();
    if (src) {
      // A deep copy of the same format: same rows, same colour table.
      SurfaceView from(src);
      const int w = from.Width(), h = from.Height(), bpp = from.BitsPerPixel();
      copy = b->pixelFormat_ == pfDevice && bpp == 32 ? CreateBitmap(w, h, 1, 32, nullptr) : nullptr;
      if (!copy) {
        BITMAPINFO info;
        info.bmiHeader.biWidth = w;
        info.bmiHeader.biHeight = from.TopDown() ? -h : h;
        info.bmiHeader.biBitCount = WORD(bpp);
        std::span<RGBQUAD> table = from.ColorTable();
        for (std::size_t i = 0; i < table.size() && i < 256; ++i) info.bmiColors[i] = table[i];
        copy = from.IsDib() || bpp != 1 ? CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, nullptr, nullptr, 0)
                                        : CreateBitmap(w, h, 1, 1, nullptr);
      }
      if (!copy) throw EOutOfMemory("Out of memory");
      SurfaceView to(copy);
      for (int y = 0; y < h; ++y) std::memcpy(to.Row(y), from.Row(y), std::size_t(from.Stride()));
      CopyColorTable(src, copy);
    }
    transparent_ = b->transparent_;
    transparentColor_ = b->transparentColor_;
    transparentMode_ = b->transparentMode_;
    Replace(copy, b->width_, b->height_, b->pixelFormat_);
    if (!copy) {
      width_ = b->width_;
      height_ = b->height_;
    }
    return;
  }
  if (auto* g = dynamic_cast<TGraphic*>(source)) {
    int w = g->Width(), h = g->Height();
    Replace(nullptr, 0, 0, pfDevice);
    SetSize(w, h);
    if (!g->Empty() && w > 0 && h > 0) {
      TCanvas* c = Canvas();
      c->Brush()->SetColor(clWhite);
      c->FillRect(RECT{0, 0, w, h});
      c->Draw(0, 0, g);
    }
    transparent_ = g->Transparent();
    Changed(this);
    return;
  }
  TGraphic::Assign(source);
}

void TBitmap::DrawOnCanvas(TCanvas& canvas, const RECT& rect) {
  if (IsEmpty()) return;
  HDC dst = canvas.Handle();
  HDC src = Canvas()->Handle();
  int w = rect.right - rect.left, h = rect.bottom - rect.top;
  if (!transparent_) {
    if (w == width_ && h == height_)
      BitBlt(dst, rect.left, rect.top, w, h, src, 0, 0, canvas.CopyMode());
    else
      StretchBlt(dst, rect.left, rect.top, w, h, src, 0, 0, width_, height_, canvas.CopyMode());
    return;
  }
  if (w <= 0 || h <= 0) return;
  // Transparent: bring the picture to the target size as 32 bpp, mark every pixel that is
  // not the transparent colour in a mask, and copy through the mask.
  COLORREF key = COLORREF(ColorToRGB(TransparentColor())) & 0x00FFFFFFu;
  GdiPtr<GdiBitmap> work(CreateBitmap(w, h, 1, 32, nullptr));
  GdiPtr<GdiBitmap> mask(CreateBitmap(w, h, 1, 1, nullptr));
  if (!work || !mask) throw EOutOfMemory("Out of memory");
  {
    ScopedBitmapDc wdc(work.get());
    if (w == width_ && h == height_)
      BitBlt(wdc.dc(), 0, 0, w, h, src, 0, 0, SRCCOPY);
    else
      StretchBlt(wdc.dc(), 0, 0, w, h, src, 0, 0, width_, height_, SRCCOPY);
  }
  SurfaceView workPixels(work.get()), maskPixels(mask.get());
  for (int y = 0; y < h; ++y) {
    const BYTE* p = workPixels.Row(y);
    BYTE* m = maskPixels.Row(y);
    std::memset(m, 0, std::size_t(maskPixels.Stride()));
    for (int x = 0; x < w; ++x) {
      COLORREF c = RGB(p[x * 4 + 2], p[x * 4 + 1], p[x * 4]);
      if (c != key) m[x >> 3] |= BYTE(0x80 >> (x & 7));
    }
  }
  ScopedBitmapDc wdc(work.get());
  MaskBlt(dst, rect.left, rect.top, w, h, wdc.dc(), 0, 0, mask.get(), 0, 0, MAKEROP4(SRCCOPY, 0x00AA0029));
}
