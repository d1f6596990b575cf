// The disabled looks and the picture conversions of the PNG image list.
//
// Sections: rounding / drawing and the disabled looks / conversions / platform test.
#include "pngimagelist/pngdrawing.h"

#include <cmath>
#include <cstring>
#include <vector>

#include "platform/icon/icon.h"
#include "platform/os/os.h"
#include "pngimagelist/pngimagelist.h"

namespace {

// ---------------------------------------------------------------------------------------
// Rounding. The looks are defined on x87 extended values rounded to nearest with halves
// to even; long double is that format here, and nearbyintl rounds that way in the
// default rounding mode.

// round(v / 256 * factor) for v and factor up to 256: the product is exact in integers,
// so the rounding is done there (a remainder of exactly 128 is the half).
unsigned ScaleRound(unsigned v, unsigned factor) {
  const unsigned p = v * factor, q = p >> 8, r = p & 255;
  return q + (r > 128 || (r == 128 && (q & 1)));
}

// The grey is S / 100 with S = 30 R + 59 G + 11 B. Unless S ends in 50 the value is at
// least 0.01 away from a half, far beyond the error of the extended sum, so the integer
// rounding gives the same result; only the halves are left to the extended arithmetic,
// whose representation of 0.30, 0.59 and 0.11 decides them.
std::uint8_t Grey(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  const unsigned s = 30u * r + 59u * g + 11u * b;
  if (s % 100 != 50) return std::uint8_t((s + 50) / 100);
  const long double x = 0.30L * r + 0.59L * g + 0.11L * b;
  return std::uint8_t(long(std::nearbyintl(x)));
}

void GreyStep(std::uint8_t& r, std::uint8_t& g, std::uint8_t& b, std::uint8_t amount) {
  const unsigned x = Grey(r, g, b);
  const unsigned add = ScaleRound(x, unsigned(amount) + 1);
  r = std::uint8_t(ScaleRound(r, 255u - amount) + add);
  g = std::uint8_t(ScaleRound(g, 255u - amount) + add);
  b = std::uint8_t(ScaleRound(b, 255u - amount) + add);
}

[[noreturn]] void EmptyPicture() { throw EInvalidGraphic("Cannot convert an empty picture"); }

// A copy of a bitmap at 24 bits per pixel when it has fewer (the import makes RGB images
// only from 16 bits up).
std::unique_ptr<TPngImage> RgbFrom(TBitmap& bitmap) {
  if (bitmap.Empty()) EmptyPicture();
  auto png = std::make_unique<TPngImage>();
  BITMAP bm{};
  GetObjectA(bitmap.Handle(), sizeof bm, &bm);
  if (bm.bmBitsPixel >= 24) {
    png->Assign(&bitmap);
    return png;
  }
  TBitmap wide;
  wide.Assign(&bitmap);
  wide.SetPixelFormat(pf24bit);
  png->Assign(&wide);
  return png;
}

// An icon's own alpha: when its colour bitmap has 32 bits per pixel and the platform's
// icons carry alpha, the fourth bytes of its pixels replace `alpha` (w x h, top-down) if
// any of them is not 0. Returns whether the icon counts as having alpha at all (32 bits
// on such a platform), even when every fourth byte was 0 and the mask's alpha stays.
bool TakeIconAlpha(TBitmap& color, int w, int h, std::vector<std::uint8_t>& alpha) {
  if (GetDeviceCaps(color.Canvas()->Handle(), BITSPIXEL) != 32 || !OsSupportsIconAlpha()) return false;
  BITMAPV4HEADER header;
  header.bV4Width = w;
  header.bV4Height = -h;
  header.bV4BitCount = 32;
  header.bV4V4Compression = BI_BITFIELDS;
  header.bV4SizeImage = DWORD(w) * 4 * DWORD(h);
  std::vector<std::uint8_t> bits(std::size_t(w) * 4 * std::size_t(h), 0);
  const int lines = GetDIBits(color.Canvas()->Handle(), color.Handle(), 0, UINT(h), bits.data(), &header,
                              DIB_RGB_COLORS);
  bool any = false;
  for (std::size_t i = 3; i < bits.size() && !any; i += 4) any = bits[i] != 0;
  if (lines > 0 && any)
    for (std::size_t i = 0; i < alpha.size(); ++i) alpha[i] = bits[i * 4 + 3];
  return true;
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Drawing and the disabled looks

void PaintPng(TPngImage& image, TCanvas& canvas, const RECT& rect, TPngOptions options) {
  if (options.Empty()) {
    image.DrawOnCanvas(canvas, rect);
    return;
  }
  TPngImage scratch;
  scratch.Assign(&image);
  if (options.Contains(pngBlendOnDisabled)) ApplyDisabledBlend(scratch, 127);
  if (options.Contains(pngGrayscaleOnDisabled)) ApplyDisabledGrayscale(scratch, 255);
  scratch.DrawOnCanvas(canvas, rect);
}

void ApplyDisabledBlend(TPngImage& image, std::uint8_t amount) {
  const bool keyed = image.TransparencyKind() == tkKeyColor;
  const COLORREF key = image.KeyColor();
  const int w = image.PixelWidth(), h = image.PixelHeight();
  switch (image.ImageHeader().ColorType()) {
    using enum TPngColorType;
    case GreyAlpha:
    case Rgba:
      break;
    case Grey:
    case Palette: {
      // Grey and palette images have no alpha plane of their own: the look is an RGBA
      // copy whose alpha is the amount itself.
      TBitmap blank(w, h, pf24bit);
      TPngImage rgba;
      rgba.Assign(&blank);
      rgba.AddAlphaChannel();
      for (int y = 0; y < h; ++y) {
        std::uint8_t* alpha = rgba.AlphaRow(y);
        for (int x = 0; x < w; ++x) {
          const COLORREF c = image.PixelColor(x, y);
          rgba.SetPixelColor(x, y, c);
          alpha[x] = keyed && c == key ? 0 : amount;
        }
      }
      image.Assign(&rgba);
      return;
    }
    case Rgb:
      image.AddAlphaChannel();
      if (image.ImageHeader().ColorType() != Rgba) return;
      break;
    default:
      return;
  }
  for (int y = 0; y < h; ++y) {
    std::uint8_t* alpha = image.AlphaRow(y);
    for (int x = 0; x < w; ++x)
      alpha[x] = keyed && image.PixelColor(x, y) == key ? 0 : std::uint8_t(ScaleRound(alpha[x], unsigned(amount) + 1));
  }
}

void ApplyDisabledGrayscale(TPngImage& image, std::uint8_t amount) {
  const TPngColorType type = image.ImageHeader().ColorType();
  if (type == TPngColorType::Palette) {
    HPALETTE palette = image.PaletteHandle();
    PALETTEENTRY entries[256];
    const UINT n = GetPaletteEntries(palette, 0, 256, entries);
    for (UINT i = 0; i < n; ++i) GreyStep(entries[i].peRed, entries[i].peGreen, entries[i].peBlue, amount);
    SetPaletteEntries(palette, 0, n, entries);
    image.SetPaletteHandle(palette);
    return;
  }
  // Grey images are grey already; only the 24-bit storage of RGB and RGBA remains.
  if (type != TPngColorType::Rgb && type != TPngColorType::Rgba) return;
  const int w = image.PixelWidth(), h = image.PixelHeight();
  for (int y = 0; y < h; ++y) {
    std::uint8_t* row = image.PixelRow(y);
    for (int x = 0; x < w; ++x) GreyStep(row[3 * x + 2], row[3 * x + 1], row[3 * x], amount);
  }
}

// ---------------------------------------------------------------------------------------
// Conversions

std::unique_ptr<TPngImage> GraphicToPng(TGraphic& source) {
  if (auto* png = dynamic_cast<TPngImage*>(&source)) {
    auto copy = std::make_unique<TPngImage>();
    copy->Assign(png);
    return copy;
  }
  if (source.Empty()) EmptyPicture();
  const int w = source.Width(), h = source.Height();
  if (w <= 0 || h <= 0) EmptyPicture();
  std::vector<std::uint8_t> alpha(std::size_t(w) * std::size_t(h), 255);
  TBitmap work(w, h, pf24bit);
  bool found = false;
  if (auto* bmp = dynamic_cast<TBitmap*>(&source)) {
    if (bmp->Transparent()) {
      const TColor key = bmp->TransparentMode() == tmFixed ? ColorToRGB(bmp->TransparentColor())
                                                            : bmp->Canvas()->Pixels(0, h - 1);
      for (int y = 0; y < h; ++y) {
        auto* row = static_cast<std::uint8_t*>(work.ScanLine(y));
        for (int x = 0; x < w; ++x) {
          const TColor c = bmp->Canvas()->Pixels(x, y);
          if (c == key) {
            alpha[std::size_t(y) * std::size_t(w) + std::size_t(x)] = 0;
            found = true;
          }
          row[3 * x] = GetBValue(COLORREF(c));
          row[3 * x + 1] = GetGValue(COLORREF(c));
          row[3 * x + 2] = GetRValue(COLORREF(c));
        }
      }
    } else {
      work.Canvas()->Draw(0, 0, bmp);
    }
  } else if (auto* icon = dynamic_cast<TIcon*>(&source)) {
    ICONINFO info;
    if (!GetIconInfo(icon->Handle(), &info)) EmptyPicture();
    TBitmap color, mask;
    color.SetHandle(info.hbmColor);
    mask.SetHandle(info.hbmMask);
    work.Canvas()->Draw(0, 0, &color);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        if (mask.Canvas()->Pixels(x, y) != 0) {
          alpha[std::size_t(y) * std::size_t(w) + std::size_t(x)] = 0;
          found = true;
        }
    if (TakeIconAlpha(color, w, h, alpha)) found = true;
  }
  auto png = std::make_unique<TPngImage>();
  png->Assign(&work);
  if (found) {
    png->AddAlphaChannel();
    for (int y = 0; y < h; ++y) std::memcpy(png->AlphaRow(y), &alpha[std::size_t(y) * std::size_t(w)], std::size_t(w));
  }
  return png;
}

std::unique_ptr<TPngImage> PngFromColorAndMask(TBitmap& color, TBitmap* mask, bool inverse) {
  std::unique_ptr<TPngImage> png = RgbFrom(color);
  png->AddAlphaChannel();
  if (!mask) return png;
  const int w = png->PixelWidth(), h = png->PixelHeight();
  for (int y = 0; y < h; ++y) {
    std::uint8_t* alpha = png->AlphaRow(y);
    for (int x = 0; x < w; ++x) {
      const std::uint8_t m = GetRValue(COLORREF(mask->Canvas()->Pixels(x, y)));
      alpha[x] = inverse ? std::uint8_t(255 - m) : m;
    }
  }
  return png;
}

std::unique_ptr<TPngImage> PngFromMaskColor(TBitmap& bitmap, TColor maskColor) {
  std::unique_ptr<TPngImage> png = RgbFrom(bitmap);
  png->AddAlphaChannel();
  const int w = png->PixelWidth(), h = png->PixelHeight();
  for (int y = 0; y < h; ++y) {
    std::uint8_t* alpha = png->AlphaRow(y);
    for (int x = 0; x < w; ++x) alpha[x] = bitmap.Canvas()->Pixels(x, y) == maskColor ? 0 : 255;
  }
  return png;
}

void PngFromImageListEntry(TPngImage& target, TCustomImageList& source, int index) {
  if (auto* list = dynamic_cast<TPngImageList*>(&source)) {
    if (TPngImageCollectionItem* item = list->PngImages()->ItemAt(index)) target.Assign(item->PngImage());
    return;
  }
  if (!source.HandleAllocated()) return;
  HICON icon = ImageList_GetIcon(source.Handle(), index, ILD_NORMAL);
  ICONINFO info;
  const bool ok = icon && GetIconInfo(icon, &info);
  DestroyIcon(icon);
  if (!ok) return;
  TBitmap color, mask;
  color.SetHandle(info.hbmColor);
  mask.SetHandle(info.hbmMask);
  // Alpha from the mask (black: opaque), unless the icon has an alpha channel of its own,
  // whose mask is all black: as AddIcon takes the same icon.
  const int w = color.Width(), h = color.Height();
  std::vector<std::uint8_t> alpha(std::size_t(w) * std::size_t(h), 255);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      if (mask.Canvas()->Pixels(x, y) != 0) alpha[std::size_t(y) * std::size_t(w) + std::size_t(x)] = 0;
  TakeIconAlpha(color, w, h, alpha);
  color.SetPixelFormat(pf24bit);
  target.Assign(&color);
  target.AddAlphaChannel();
  for (int y = 0; y < h; ++y) std::memcpy(target.AlphaRow(y), &alpha[std::size_t(y) * std::size_t(w)], std::size_t(w));
}

// ---------------------------------------------------------------------------------------
// Platform test

bool VersionSupportsIconAlpha(DWORD platformId, DWORD major, DWORD minor) {
  return platformId == VER_PLATFORM_WIN32_NT && (major > 5 || (major == 5 && minor >= 1));
}

bool OsSupportsIconAlpha() {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
  if (!GetVersionExA(&info)) return false;
  return VersionSupportsIconAlpha(info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion);
}
