// TIcon: an icon handle as a picture, drawn by the platform and read from and written to
// .ico files with one image.
#include <cstring>

#include "platform/icon/icon.h"
#include "ui/graphics/graphics.h"

namespace {

[[noreturn]] void InvalidIcon() { throw EInvalidGraphic("Icon image is not valid"); }

std::uint32_t U32(const BYTE* p) {
  return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) | (std::uint32_t(p[3]) << 24);
}
std::uint16_t U16(const BYTE* p) { return std::uint16_t(p[0] | (p[1] << 8)); }

}  // namespace

// ---------------------------------------------------------------------------------------
// TIcon

TIcon::TIcon() { transparent_ = true; }

TIcon::~TIcon() { DestroyIcon(handle_); }

void TIcon::SetHandle(HICON value) {
  if (value == handle_) return;
  DestroyIcon(handle_);
  handle_ = value;
  Changed(this);
}

HICON TIcon::ReleaseHandle() {
  HICON h = handle_;
  handle_ = nullptr;
  return h;
}

int TIcon::PixelWidth() {
  SIZE size;
  return GetIconSize(handle_, &size) ? size.cx : 0;
}
int TIcon::PixelHeight() {
  SIZE size;
  return GetIconSize(handle_, &size) ? size.cy : 0;
}

void TIcon::SetPixelWidth(int) { throw EInvalidGraphicOperation("Cannot change the size of an icon"); }
void TIcon::SetPixelHeight(int) { throw EInvalidGraphicOperation("Cannot change the size of an icon"); }

void TIcon::Assign(TPersistent* source) {
  if (source == this) return;
  if (!source) {
    SetHandle(nullptr);
    return;
  }
  if (auto* i = dynamic_cast<TIcon*>(source)) {
    HICON copy = CopyIcon(i->handle_);
    if (i->handle_ && !copy) throw EOutOfMemory("Out of memory");
    SetHandle(copy);
    return;
  }
  TGraphic::Assign(source);
}

void TIcon::DrawOnCanvas(TCanvas& canvas, const RECT& rect) {
  if (!handle_) return;
  const int w = rect.right - rect.left, h = rect.bottom - rect.top;
  if (w <= 0 || h <= 0) return;
  DrawIconEx(canvas.Handle(), rect.left, rect.top, handle_, w, h, 0, nullptr, DI_NORMAL);
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

  // Both parts are bottom-up DIBs like the file's rows, so they are copied as they stand.
  BITMAPINFO info;
  info.bmiHeader.biWidth = LONG(width);
  info.bmiHeader.biHeight = LONG(height);
  info.bmiHeader.biBitCount = WORD(bpp);
  for (std::uint32_t i = 0; i < colors; ++i) {
    const BYTE* q = &data[hs + i * 4];
    info.bmiColors[i] = RGBQUAD{q[0], q[1], q[2], 0};
  }
  BITMAPINFO maskInfo;
  maskInfo.bmiHeader.biWidth = LONG(width);
  maskInfo.bmiHeader.biHeight = LONG(height);
  maskInfo.bmiHeader.biBitCount = 1;
  maskInfo.bmiColors[1] = RGBQUAD{255, 255, 255, 0};
  void* colorBits = nullptr;
  void* maskBits = nullptr;
  GdiPtr<GdiBitmap> color(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &colorBits, nullptr, 0));
  GdiPtr<GdiBitmap> mask(CreateDIBSection(nullptr, &maskInfo, DIB_RGB_COLORS, &maskBits, nullptr, 0));
  if (!color || !mask || !colorBits || !maskBits) InvalidIcon();
  const BYTE* xorBits = &data[hs + colors * 4];
  std::memcpy(colorBits, xorBits, std::size_t(xorStride * height));
  std::memcpy(maskBits, xorBits + xorStride * height, std::size_t(andStride * height));
  ICONINFO ii;
  ii.hbmColor = color.get();
  ii.hbmMask = mask.get();
  HICON icon = CreateIconIndirect(&ii);
  if (!icon) InvalidIcon();
  SetHandle(icon);
}

void TIcon::WriteToStream(TStream& stream) {
  SIZE size;
  if (!GetIconSize(handle_, &size)) return;
  const int w = size.cx, h = size.cy;
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
  const std::size_t xorAt = ih + 40, andAt = xorAt + std::size_t(xorStride) * std::size_t(h);
  ICONINFO ii;
  if (!GetIconInfo(handle_, &ii)) throw EOutOfMemory("Out of memory");
  GdiPtr<GdiBitmap> color(ii.hbmColor), mask(ii.hbmMask);
  // Bottom-up rows, as the file keeps them.
  BITMAPINFO info;
  info.bmiHeader.biWidth = w;
  info.bmiHeader.biHeight = h;
  info.bmiHeader.biBitCount = 32;
  DcPtr dc(CreateCompatibleDC(nullptr));
  GetDIBits(dc.get(), color.get(), 0, UINT(h), &out[xorAt], &info, DIB_RGB_COLORS);
  BITMAPINFO maskInfo;
  maskInfo.bmiHeader.biWidth = w;
  maskInfo.bmiHeader.biHeight = h;
  maskInfo.bmiHeader.biBitCount = 1;
  GetDIBits(dc.get(), mask.get(), 0, UINT(h), &out[andAt], &maskInfo, DIB_RGB_COLORS);
  stream.WriteBuffer(out.data(), std::int64_t(out.size()));
}
