// Icons as pixel records: made from bitmaps through the DIB calls, given back as bitmaps,
// and drawn by reading the target area into a 32-bit DIB, combining there and copying
// the result back, so the target's clipping applies as to any other blit.
#include "platform/icon/icon.h"

#include <algorithm>
#include <cstring>

struct IconObj {
  TIconPixels pixels;
};

namespace {

constexpr std::uint32_t kRgb = 0x00FFFFFFu;

bool ValidPixels(const TIconPixels& p) {
  if (p.width <= 0 || p.height <= 0) return false;
  const std::size_t n = std::size_t(p.width) * std::size_t(p.height);
  return p.color.size() == n && p.mask.size() == n;
}

std::uint8_t Mix(std::uint32_t s, std::uint32_t d, std::uint32_t a) {
  return std::uint8_t((s * a + d * (255 - a) + 127) / 255);
}

}  // namespace

bool ReadBitmapPixels(HBITMAP bitmap, int& width, int& height, std::vector<std::uint32_t>& pixels) {
  BITMAP bm{};
  if (!bitmap || GetObjectA(bitmap, sizeof bm, &bm) == 0 || bm.bmWidth <= 0 || bm.bmHeight == 0) return false;
  width = bm.bmWidth;
  height = bm.bmHeight < 0 ? -bm.bmHeight : bm.bmHeight;
  BITMAPINFO info{};
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biBitCount = 32;
  pixels.assign(std::size_t(width) * std::size_t(height), 0);
  HDC dc = CreateCompatibleDC(nullptr);
  const int rows = GetDIBits(dc, bitmap, 0, UINT(height), pixels.data(), &info, DIB_RGB_COLORS);
  DeleteDC(dc);
  if (rows != height) return false;
  if (bm.bmBitsPixel != 32)
    for (std::uint32_t& p : pixels) p &= kRgb;
  return true;
}

HICON CreateIconFromPixels(TIconPixels pixels) {
  if (!ValidPixels(pixels)) return nullptr;
  auto* icon = new IconObj;
  icon->pixels = std::move(pixels);
  return icon;
}

HICON CreateIconIndirect(const ICONINFO* info) {
  if (!info || !info->hbmMask) return nullptr;
  int mw = 0, mh = 0;
  std::vector<std::uint32_t> mask;
  if (!ReadBitmapPixels(info->hbmMask, mw, mh, mask)) return nullptr;
  TIconPixels p;
  if (info->hbmColor) {
    int cw = 0, ch = 0;
    if (!ReadBitmapPixels(info->hbmColor, cw, ch, p.color) || cw != mw || ch != mh) return nullptr;
    p.width = cw;
    p.height = ch;
    p.mask.resize(mask.size());
    for (std::size_t i = 0; i < mask.size(); ++i) p.mask[i] = (mask[i] & kRgb) == kRgb;
    BITMAP bm{};
    GetObjectA(info->hbmColor, sizeof bm, &bm);
    if (bm.bmBitsPixel == 32)
      p.hasAlpha = std::any_of(p.color.begin(), p.color.end(), [](std::uint32_t c) { return (c >> 24) != 0; });
  } else {
    // A monochrome icon: the AND mask above the XOR image in one bitmap.
    if (mh < 2 || mh % 2) return nullptr;
    p.width = mw;
    p.height = mh / 2;
    const std::size_t n = std::size_t(p.width) * std::size_t(p.height);
    p.mask.resize(n);
    p.color.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
      p.mask[i] = (mask[i] & kRgb) == kRgb;
      p.color[i] = (mask[n + i] & kRgb) == kRgb ? kRgb : 0;
    }
  }
  return CreateIconFromPixels(std::move(p));
}

BOOL GetIconInfo(HICON icon, ICONINFO* info) {
  if (!icon || !info) return FALSE;
  const TIconPixels& p = icon->pixels;
  HBITMAP color = CreateBitmap(p.width, p.height, 1, 32, p.color.data());
  // Monochrome rows of CreateBitmap are WORD aligned; bit 1 is white, the transparent part.
  const std::size_t stride = ((std::size_t(p.width) + 15) / 16) * 2;
  std::vector<BYTE> bits(stride * std::size_t(p.height), 0);
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x)
      if (p.mask[std::size_t(y) * std::size_t(p.width) + std::size_t(x)])
        bits[std::size_t(y) * stride + std::size_t(x) / 8] |= BYTE(0x80 >> (x % 8));
  HBITMAP mask = CreateBitmap(p.width, p.height, 1, 1, bits.data());
  if (!color || !mask) {
    if (color) DeleteObject(color);
    if (mask) DeleteObject(mask);
    return FALSE;
  }
  info->fIcon = TRUE;
  info->xHotspot = DWORD(p.width / 2);
  info->yHotspot = DWORD(p.height / 2);
  info->hbmColor = color;
  info->hbmMask = mask;
  return TRUE;
}

BOOL DestroyIcon(HICON icon) {
  if (!icon) return FALSE;
  delete icon;
  return TRUE;
}

HICON CopyIcon(HICON icon) { return icon ? CreateIconFromPixels(icon->pixels) : nullptr; }

BOOL GetIconSize(HICON icon, SIZE* size) {
  if (!icon || !size) return FALSE;
  size->cx = icon->pixels.width;
  size->cy = icon->pixels.height;
  return TRUE;
}

const TIconPixels* GetIconPixels(HICON icon) { return icon ? &icon->pixels : nullptr; }

void DrawIconPixels(HDC hdc, int x, int y, int cx, int cy, const TIconPixels& p, UINT flags, TIconAlpha alpha) {
  if (!ValidPixels(p) || !(flags & DI_NORMAL)) return;
  if (cx <= 0) cx = p.width;
  if (cy <= 0) cy = p.height;
  BITMAPINFO info{};
  info.bmiHeader.biWidth = cx;
  info.bmiHeader.biHeight = -cy;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP work = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!work || !bits) {
    if (work) DeleteObject(work);
    return;
  }
  HDC mem = CreateCompatibleDC(hdc);
  HGDIOBJ old = SelectObject(mem, work);
  BitBlt(mem, 0, 0, cx, cy, hdc, x, y, SRCCOPY);
  auto* out = static_cast<std::uint32_t*>(bits);
  const bool blend = alpha == TIconAlpha::Honour && p.hasAlpha && (flags & DI_NORMAL) == DI_NORMAL;
  for (int ty = 0; ty < cy; ++ty) {
    const std::size_t row = std::size_t(std::int64_t(ty) * p.height / cy) * std::size_t(p.width);
    for (int tx = 0; tx < cx; ++tx) {
      const std::size_t at = row + std::size_t(std::int64_t(tx) * p.width / cx);
      const std::uint32_t s = p.color[at];
      std::uint32_t& d = out[std::size_t(ty) * std::size_t(cx) + std::size_t(tx)];
      if (blend) {
        const std::uint32_t a = s >> 24;
        d = (d & 0xFF000000u) | Mix(s & 0xFF, d & 0xFF, a) | std::uint32_t(Mix((s >> 8) & 0xFF, (d >> 8) & 0xFF, a)) << 8 |
            std::uint32_t(Mix((s >> 16) & 0xFF, (d >> 16) & 0xFF, a)) << 16;
        continue;
      }
      std::uint32_t v = d;
      if (flags & DI_MASK) v = p.mask[at] ? v : (v & ~kRgb);
      if (flags & DI_IMAGE) v = (flags & DI_MASK) ? (v ^ (s & kRgb)) : ((v & ~kRgb) | (s & kRgb));
      d = v;
    }
  }
  BitBlt(hdc, x, y, cx, cy, mem, 0, 0, SRCCOPY);
  SelectObject(mem, old);
  DeleteDC(mem);
  DeleteObject(work);
}

BOOL DrawIconEx(HDC hdc, int x, int y, HICON icon, int cx, int cy, UINT, HBRUSH, UINT flags) {
  if (!icon || !hdc) return FALSE;
  DrawIconPixels(hdc, x, y, cx, cy, icon->pixels, flags, TIconAlpha::Honour);
  return TRUE;
}

BOOL DrawIcon(HDC hdc, int x, int y, HICON icon) { return DrawIconEx(hdc, x, y, icon, 0, 0, 0, nullptr, DI_NORMAL); }
