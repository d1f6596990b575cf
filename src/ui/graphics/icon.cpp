// Icon objects and TIcon: drawing through the mask (or with alpha), reading and writing
// .ico files with one image.
#include "ui/graphics/icon.h"

#include <cstring>

#include "platform/gdi/surface.h"
#include "ui/graphics/graphics.h"

namespace {

GdiPtr<GdiBitmap> CopyBits(HBITMAP src, int bpp) {
  SurfaceView from(src);
  const int w = from.Width(), h = from.Height();
  GdiPtr<GdiBitmap> out(CreateBitmap(w, h, 1, UINT(bpp), nullptr));
  if (!out) return out;
  HDC s = CreateCompatibleDC(nullptr);
  HDC d = CreateCompatibleDC(nullptr);
  HGDIOBJ os = SelectObject(s, src);
  HGDIOBJ od = SelectObject(d, out.get());
  if (bpp == 32 && from.Format() == SurfaceFormat::Bgrx) {
    // A straight copy keeps the fourth byte (alpha), which raster operations would clear.
    SurfaceView to(out.get());
    for (int y = 0; y < h; ++y) std::memcpy(to.Row(y), from.Row(y), std::size_t(w) * 4);
  } else {
    SetTextColor(d, 0);
    SetBkColor(d, 0xFFFFFF);
    SetBkColor(s, 0xFFFFFF);
    BitBlt(d, 0, 0, w, h, s, 0, 0, SRCCOPY);
  }
  SelectObject(s, os);
  SelectObject(d, od);
  DeleteDC(s);
  DeleteDC(d);
  return out;
}

[[noreturn]] void InvalidIcon() { throw EInvalidGraphic("Icon image is not valid"); }

std::uint32_t U32(const BYTE* p) {
  return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) | (std::uint32_t(p[3]) << 24);
}
std::uint16_t U16(const BYTE* p) { return std::uint16_t(p[0] | (p[1] << 8)); }

}  // namespace

HICON CreateIconFromBitmaps(HBITMAP color, HBITMAP mask, bool hasAlpha) {
  if (!color && !mask) return nullptr;
  SurfaceView colorPixels(color), maskPixels(mask);
  if (color && mask && (colorPixels.Width() != maskPixels.Width() || colorPixels.Height() != maskPixels.Height()))
    return nullptr;
  const SurfaceView& ref = color ? colorPixels : maskPixels;
  auto icon = std::make_unique<IconObj>();
  icon->width = ref.Width();
  icon->height = ref.Height();
  if (color) {
    icon->color = CopyBits(color, 32);
    if (!icon->color) return nullptr;
  }
  if (mask) {
    icon->mask = CopyBits(mask, 1);
    if (!icon->mask) return nullptr;
  }
  icon->hasAlpha = hasAlpha && color;
  return icon.release();
}

HICON CopyIconObj(HICON icon) {
  if (!icon) return nullptr;
  return CreateIconFromBitmaps(icon->color.get(), icon->mask.get(), icon->hasAlpha);
}

void DestroyIconObj(HICON icon) { delete icon; }

// ---------------------------------------------------------------------------------------
// TIcon

TIcon::TIcon() { transparent_ = true; }

TIcon::~TIcon() { DestroyIconObj(handle_); }

void TIcon::SetHandle(HICON value) {
  if (value == handle_) return;
  DestroyIconObj(handle_);
  handle_ = value;
  Changed(this);
}

HICON TIcon::ReleaseHandle() {
  HICON h = handle_;
  handle_ = nullptr;
  return h;
}

int TIcon::PixelWidth() { return handle_ ? handle_->width : 0; }
int TIcon::PixelHeight() { return handle_ ? handle_->height : 0; }

void TIcon::SetPixelWidth(int) { throw EInvalidGraphicOperation("Cannot change the size of an icon"); }
void TIcon::SetPixelHeight(int) { throw EInvalidGraphicOperation("Cannot change the size of an icon"); }

void TIcon::Assign(TPersistent* source) {
  if (source == this) return;
  if (!source) {
    SetHandle(nullptr);
    return;
  }
  if (auto* i = dynamic_cast<TIcon*>(source)) {
    HICON copy = CopyIconObj(i->handle_);
    if (i->handle_ && !copy) throw EOutOfMemory("Out of memory");
    SetHandle(copy);
    return;
  }
  TGraphic::Assign(source);
}

void TIcon::DrawOnCanvas(TCanvas& canvas, const RECT& rect) {
  if (!handle_) return;
  HDC dst = canvas.Handle();
  int w = rect.right - rect.left, h = rect.bottom - rect.top;
  if (w <= 0 || h <= 0) return;
  const int iw = handle_->width, ih = handle_->height;
  if (handle_->hasAlpha && handle_->color) {
    // Straight alpha over what is there, nearest pixel when stretched.
    SurfaceView color(handle_->color.get());
    for (int y = 0; y < h; ++y) {
      const BYTE* row = color.Row(int(std::int64_t(y) * ih / h));
      for (int x = 0; x < w; ++x) {
        const BYTE* p = row + std::int64_t(x) * iw / w * 4;
        int a = p[3];
        if (a == 0) continue;
        COLORREF out = RGB(p[2], p[1], p[0]);
        if (a < 255) {
          COLORREF d = GetPixel(dst, rect.left + x, rect.top + y);
          if (d == CLR_INVALID) continue;
          auto mix = [a](int s, int b) { return BYTE((s * a + b * (255 - a) + 127) / 255); };
          out = RGB(mix(p[2], GetRValue(d)), mix(p[1], GetGValue(d)), mix(p[0], GetBValue(d)));
        }
        ::SetPixel(dst, rect.left + x, rect.top + y, out);
      }
    }
    return;
  }
  // Classic icons: AND the mask in, then XOR the colour image.
  COLORREF oldText = SetTextColor(dst, 0);
  COLORREF oldBk = SetBkColor(dst, 0xFFFFFF);
  HDC src = CreateCompatibleDC(nullptr);
  if (handle_->mask) {
    HGDIOBJ old = SelectObject(src, handle_->mask.get());
    StretchBlt(dst, rect.left, rect.top, w, h, src, 0, 0, iw, ih, SRCAND);
    SelectObject(src, old);
  }
  if (handle_->color) {
    HGDIOBJ old = SelectObject(src, handle_->color.get());
    StretchBlt(dst, rect.left, rect.top, w, h, src, 0, 0, iw, ih, handle_->mask ? SRCINVERT : SRCCOPY);
    SelectObject(src, old);
  }
  DeleteDC(src);
  SetTextColor(dst, oldText);
  SetBkColor(dst, oldBk);
}

void TIcon::ReadFromStream(TStream& stream) {
  const std::int64_t start = stream.Position();
  const std::int64_t total = stream.Size() - start;
  auto readExact = [&](void* buf, std::int64_t n) {
    auto* p = static_cast<BYTE*>(buf);
    while (n > 0) {
      std::int64_t got = stream.Read(p, n);
      if (got <= 0) InvalidIcon();
      p += got;
      n -= got;
    }
  };
  BYTE dir[6 + 16];
  readExact(dir, sizeof dir);
  if (U16(dir) != 0 || U16(dir + 2) != 1 || U16(dir + 4) == 0) InvalidIcon();
  const std::uint32_t bytes = U32(dir + 6 + 8), offset = U32(dir + 6 + 12);
  if (offset < 6 || std::int64_t(offset) > total || bytes < 40 || std::int64_t(bytes) > total - offset) InvalidIcon();
  std::vector<BYTE> data(bytes);
  stream.SetPosition(start + offset);
  readExact(data.data(), bytes);

  // The image is a DIB without file header whose height counts the colour rows and the
  // mask rows together.
  const std::uint32_t hs = U32(data.data());
  if (hs < 40 || hs > bytes) InvalidIcon();
  const std::int64_t width = std::int32_t(U32(&data[4]));
  const std::int64_t fullHeight = std::int32_t(U32(&data[8]));
  const int bpp = U16(&data[14]);
  if (U32(&data[16]) != BI_RGB) InvalidIcon();
  if (width <= 0 || width > 1024 || fullHeight <= 0 || fullHeight > 2048 || (fullHeight & 1)) InvalidIcon();
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24 && bpp != 32) InvalidIcon();
  const std::int64_t height = fullHeight / 2;
  std::uint32_t colors = bpp <= 8 ? U32(&data[32]) : 0;
  if (bpp <= 8 && (colors == 0 || colors > (1u << bpp))) colors = colors == 0 ? (1u << bpp) : 0;
  if (bpp <= 8 && colors == 0) InvalidIcon();
  const std::int64_t xorStride = ((width * bpp + 31) / 32) * 4;
  const std::int64_t andStride = ((width + 31) / 32) * 4;
  const std::int64_t need = std::int64_t(hs) + colors * 4 + xorStride * height + andStride * height;
  if (need > std::int64_t(bytes)) InvalidIcon();

  BITMAPINFO info;
  info.bmiHeader.biWidth = LONG(width);
  info.bmiHeader.biHeight = LONG(height);
  info.bmiHeader.biBitCount = WORD(bpp);
  for (std::uint32_t i = 0; i < colors; ++i) {
    const BYTE* q = &data[hs + i * 4];
    info.bmiColors[i] = RGBQUAD{q[0], q[1], q[2], 0};
  }
  GdiPtr<GdiBitmap> color(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, nullptr, nullptr, 0));
  GdiPtr<GdiBitmap> mask(CreateBitmap(int(width), int(height), 1, 1, nullptr));
  if (!color || !mask) InvalidIcon();
  const BYTE* xorBits = &data[hs + colors * 4];
  const BYTE* andBits = xorBits + xorStride * height;
  bool alpha = false;
  {
    SurfaceView colorPixels(color.get()), maskPixels(mask.get());
    for (std::int64_t fy = 0; fy < height; ++fy) {
      int y = int(height - 1 - fy);
      std::memcpy(colorPixels.Row(y), xorBits + fy * xorStride, std::size_t(xorStride));
      std::memcpy(maskPixels.Row(y), andBits + fy * andStride, std::size_t(andStride));
      if (bpp == 32)
        for (std::int64_t x = 0; x < width; ++x) alpha = alpha || xorBits[fy * xorStride + x * 4 + 3] != 0;
    }
  }
  HICON icon = CreateIconFromBitmaps(color.get(), mask.get(), alpha);
  if (!icon) InvalidIcon();
  SetHandle(icon);
}

void TIcon::WriteToStream(TStream& stream) {
  if (!handle_) return;
  const int w = handle_->width, h = handle_->height;
  const std::uint32_t xorStride = std::uint32_t(w) * 4, andStride = std::uint32_t((w + 31) / 32) * 4;
  const std::uint32_t imageBytes = 40 + (xorStride + andStride) * std::uint32_t(h);
  std::vector<BYTE> out(6 + 16 + imageBytes, 0);
  auto put16 = [&](std::size_t at, std::uint32_t v) {
    out[at] = BYTE(v);
    out[at + 1] = BYTE(v >> 8);
  };
  auto put32 = [&](std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out[at + std::size_t(i)] = BYTE(v >> (8 * i));
  };
  put16(2, 1);
  put16(4, 1);
  out[6] = BYTE(w >= 256 ? 0 : w);
  out[7] = BYTE(h >= 256 ? 0 : h);
  put16(6 + 4, 1);
  put16(6 + 6, 32);
  put32(6 + 8, imageBytes);
  put32(6 + 12, 22);
  std::size_t ih = 22;
  put32(ih, 40);
  put32(ih + 4, std::uint32_t(w));
  put32(ih + 8, std::uint32_t(h * 2));
  put16(ih + 12, 1);
  put16(ih + 14, 32);
  std::size_t xorAt = ih + 40, andAt = xorAt + std::size_t(xorStride) * std::size_t(h);
  SurfaceView color(handle_->color.get()), mask(handle_->mask.get());
  for (int fy = 0; fy < h; ++fy) {
    int y = h - 1 - fy;
    if (color) std::memcpy(&out[xorAt + std::size_t(fy) * xorStride], color.Row(y), xorStride);
    if (mask) std::memcpy(&out[andAt + std::size_t(fy) * andStride], mask.Row(y), andStride);
  }
  stream.WriteBuffer(out.data(), std::int64_t(out.size()));
}
