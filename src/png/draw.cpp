// Drawing a PNG image (opaque stretch, key colour, alpha blend) and the queries of its
// size, pixels, rows and palette, plus the copy into a bitmap.
//
// Sections: size and rows / pixel access / palette / drawing / alpha blend / export.
#include <algorithm>
#include <cstring>
#include <vector>

#include "png/pngimage.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// Index of pixel x in a packed storage row of `bits` bits per pixel (1, 4 or 8).
inline unsigned PackedIndex(const std::uint8_t* row, std::uint32_t x, unsigned bits) {
  switch (bits) {
    case 1: return (row[x >> 3] >> (7 - (x & 7))) & 1;
    case 4: return (row[x >> 1] >> (4 - (x & 1) * 4)) & 15;
    default: return row[x];
  }
}

inline void SetPackedIndex(std::uint8_t* row, std::uint32_t x, unsigned bits, unsigned v) {
  switch (bits) {
    case 1: {
      unsigned shift = 7 - (x & 7);
      row[x >> 3] = std::uint8_t((row[x >> 3] & ~(1u << shift)) | (v & 1) << shift);
      break;
    }
    case 4: {
      unsigned shift = 4 - (x & 1) * 4;
      row[x >> 1] = std::uint8_t((row[x >> 1] & ~(15u << shift)) | (v & 15) << shift);
      break;
    }
    default:
      row[x] = std::uint8_t(v);
  }
}

inline COLORREF Rgb(unsigned r, unsigned g, unsigned b) { return COLORREF(r | g << 8 | b << 16); }

// Raw grey level of a grey-with-alpha pixel whose storage is below 8 bits.
inline unsigned LowGreyLevel(const std::uint8_t* row, std::uint32_t x, unsigned bits) {
  unsigned v = PackedIndex(row, x, bits);
  return bits == 1 ? v * 255 : v * 17;
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Size and rows

int TPngImage::PixelWidth() { return HasHeader() ? int(ImageHeader().ImageWidth()) : 0; }
int TPngImage::PixelHeight() { return HasHeader() ? int(ImageHeader().ImageHeight()) : 0; }
bool TPngImage::IsTransparent() { return TransparencyKind() != tkNone; }

void TPngImage::SetPixelWidth(int) { RaisePngError<EPngError>(this, png_messages::kCannotResize); }
void TPngImage::SetPixelHeight(int) { RaisePngError<EPngError>(this, png_messages::kCannotResize); }

std::uint8_t* TPngImage::PixelRow(int y) const {
  const TChunkIHDR& h = ImageHeader();
  if (!h.PixelBits() || y < 0 || y >= h.ImageHeight()) return nullptr;
  return h.PixelBits() + std::ptrdiff_t(h.RowStride()) * (h.ImageHeight() - 1 - y);
}

std::uint8_t* TPngImage::AlphaRow(int y) const {
  const TChunkIHDR& h = ImageHeader();
  if ((h.ColorType() != 4 && h.ColorType() != 6) || !h.AlphaPlane() || y < 0 || y >= h.ImageHeight())
    return nullptr;
  return h.AlphaPlane() + std::size_t(y) * h.ImageWidth();
}

// ---------------------------------------------------------------------------------------
// Pixel access

COLORREF TPngImage::PixelColor(int x, int y) {
  const TChunkIHDR& h = ImageHeader();
  if (x < 0 || std::uint32_t(x) >= h.ImageWidth() || y < 0 || y >= h.ImageHeight()) return 0;
  const std::uint8_t* row = PixelRow(y);
  if (!row) return 0;
  unsigned bits = unsigned(h.StorageBits());
  switch (h.ColorType()) {
    case 0:
    case 3: {
      unsigned v = PackedIndex(row, std::uint32_t(x), bits);
      if (h.ColorType() == 3) {
        // The colour table already holds the gamma-corrected colour that is drawn.
        std::uint32_t e = h.PaletteEntry(v);
        return Rgb(e >> 16 & 0xFF, e >> 8 & 0xFF, e & 0xFF);
      }
      unsigned g = bits == 1 ? gammaMap_[(v * 255) & 255] : gammaMap_[(v * ((1u << bits) + 1)) & 255];
      return Rgb(g, g, g);
    }
    case 4: {
      unsigned g = bits >= 8 ? row[x] : LowGreyLevel(row, std::uint32_t(x), bits);
      return Rgb(g, g, g);
    }
    default: {
      const std::uint8_t* p = row + std::size_t(x) * 3;
      return Rgb(p[2], p[1], p[0]);
    }
  }
}

void TPngImage::SetPixelColor(int x, int y, COLORREF color) {
  const TChunkIHDR& h = ImageHeader();
  if (x < 0 || std::uint32_t(x) >= h.ImageWidth() || y < 0 || y >= h.ImageHeight()) return;
  std::uint8_t* row = PixelRow(y);
  if (!row) return;
  COLORREF c = COLORREF(ColorToRGB(TColor(color)));
  unsigned r = c & 0xFF, g = c >> 8 & 0xFF, b = c >> 16 & 0xFF;
  unsigned bits = unsigned(h.StorageBits());
  switch (h.ColorType()) {
    case 0:
    case 3: {
      // Only the entries the storage can address take part, so the index always fits.
      unsigned entries = 1u << bits;
      if (h.ColorType() == 3)
        if (const auto* plte = chunks_.FirstOfClass<TChunkPLTE>())
          entries = std::clamp<unsigned>(unsigned(std::max(plte->Count(), 1)), 1, entries);
      unsigned best = 0, bestDist = ~0u;
      for (unsigned i = 0; i < entries; ++i) {
        const RGBQUAD& q = h.HeaderInfo().bmiColors[i];
        int dr = int(q.rgbRed) - int(r), dg = int(q.rgbGreen) - int(g), db = int(q.rgbBlue) - int(b);
        unsigned dist = unsigned(dr * dr + dg * dg + db * db);
        if (dist < bestDist) {
          bestDist = dist;
          best = i;
        }
      }
      SetPackedIndex(row, std::uint32_t(x), bits, best);
      break;
    }
    case 4:
      if (bits >= 8) row[x] = std::uint8_t(r);
      else SetPackedIndex(row, std::uint32_t(x), bits, bits == 1 ? r >> 7 : (r + 8) / 17);
      break;
    default: {
      std::uint8_t* p = row + std::size_t(x) * 3;
      p[0] = std::uint8_t(b);
      p[1] = std::uint8_t(g);
      p[2] = std::uint8_t(r);
    }
  }
}

// ---------------------------------------------------------------------------------------
// Palette

HPALETTE TPngImage::PaletteHandle() {
  const TChunkIHDR& h = ImageHeader();
  if (h.ColorType() != 0 && h.ColorType() != 3) return nullptr;
  if (!paletteCache_) {
    LOGPALETTE lp;
    lp.palVersion = 0x300;
    lp.palNumEntries = 256;
    for (int i = 0; i < 256; ++i) {
      const RGBQUAD& q = h.HeaderInfo().bmiColors[i];
      lp.palPalEntry[i] = PALETTEENTRY{q.rgbRed, q.rgbGreen, q.rgbBlue, 0};
    }
    paletteCache_ = CreatePalette(&lp);
  }
  return paletteCache_;
}

void TPngImage::SetPaletteHandle(HPALETTE palette) {
  TChunkIHDR& h = ImageHeader();
  if (h.ColorType() != 0 && h.ColorType() != 3) return;
  PALETTEENTRY entries[256];
  UINT n = palette ? GetPaletteEntries(palette, 0, 256, entries) : 0;
  for (UINT i = 0; i < n && i < 256; ++i) {
    RGBQUAD& q = h.HeaderInfo().bmiColors[i];
    q.rgbRed = entries[i].peRed;
    q.rgbGreen = entries[i].peGreen;
    q.rgbBlue = entries[i].peBlue;
  }
  DeletePaletteCache();
}

// ---------------------------------------------------------------------------------------
// Drawing

void TPngImage::DrawOnCanvas(TCanvas& canvas, const RECT& rect) {
  if (!HasHeader()) return;
  const TChunkIHDR& h = ImageHeader();
  if (!h.PixelBits() || h.ImageWidth() == 0 || h.ImageHeight() <= 0) return;
  switch (TransparencyKind()) {
    case tkKeyColor:
      DrawWithKeyColor(canvas.Handle(), rect);
      break;
    case tkAlpha:
      DrawWithAlpha(canvas.Handle(), rect);
      break;
    case tkNone:
      StretchDIBits(canvas.Handle(), rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, 0, 0,
                    int(h.ImageWidth()), h.ImageHeight(), h.PixelBits(), &h.HeaderInfo(), DIB_RGB_COLORS,
                    SRCCOPY);
      break;
  }
}

void TPngImage::DrawWithKeyColor(HDC target, const RECT& rect) {
  const TChunkIHDR& h = ImageHeader();
  int W = rect.right - rect.left, H = rect.bottom - rect.top;
  int w = int(h.ImageWidth()), hh = h.ImageHeight();
  if (W <= 0 || H <= 0) return;
  COLORREF key = COLORREF(ColorToRGB(TColor(KeyColor())));

  DcPtr src(CreateCompatibleDC(target)), mask(CreateCompatibleDC(target)), inverse(CreateCompatibleDC(target)),
      work(CreateCompatibleDC(target));
  GdiPtr<GdiBitmap> srcBmp(CreateDIBitmap(target, &h.HeaderInfo().bmiHeader, CBM_INIT, h.PixelBits(),
                                          &h.HeaderInfo(), DIB_RGB_COLORS));
  GdiPtr<GdiBitmap> maskBmp(CreateBitmap(W, H, 1, 1, nullptr)), inverseBmp(CreateBitmap(W, H, 1, 1, nullptr));
  GdiPtr<GdiBitmap> workBmp(CreateCompatibleBitmap(target, W, H));
  if (!src || !mask || !inverse || !work || !srcBmp || !maskBmp || !inverseBmp || !workBmp)
    RaisePngError<EPngOutMemory>(this, png_messages::kOutMemory);
  HGDIOBJ oldSrc = SelectObject(src.get(), srcBmp.get());
  HGDIOBJ oldMask = SelectObject(mask.get(), maskBmp.get());
  HGDIOBJ oldInverse = SelectObject(inverse.get(), inverseBmp.get());
  HGDIOBJ oldWork = SelectObject(work.get(), workBmp.get());

  // Key-coloured pixels become white in the mask, all others black.
  COLORREF oldBk = SetBkColor(src.get(), key);
  StretchBlt(mask.get(), 0, 0, W, H, src.get(), 0, 0, w, hh, SRCCOPY);
  SetBkColor(src.get(), oldBk);
  BitBlt(inverse.get(), 0, 0, W, H, mask.get(), 0, 0, NOTSRCCOPY);
  // The background survives only where the image is transparent ...
  BitBlt(work.get(), 0, 0, W, H, target, rect.left, rect.top, SRCCOPY);
  BitBlt(work.get(), 0, 0, W, H, mask.get(), 0, 0, SRCAND);
  // ... and the image's key-coloured pixels turn black before they are OR-ed in.
  StretchBlt(src.get(), 0, 0, w, hh, inverse.get(), 0, 0, W, H, SRCAND);
  StretchBlt(work.get(), 0, 0, W, H, src.get(), 0, 0, w, hh, SRCPAINT);
  BitBlt(target, rect.left, rect.top, W, H, work.get(), 0, 0, SRCCOPY);

  SelectObject(src.get(), oldSrc);
  SelectObject(mask.get(), oldMask);
  SelectObject(inverse.get(), oldInverse);
  SelectObject(work.get(), oldWork);
}

// ---------------------------------------------------------------------------------------
// Alpha blend: each row's source colours (0x00RRGGBB words) and alpha values are gathered
// first, then blended with the background row in one integer pass.

namespace {

void BlendRow(std::uint8_t* bg, const std::uint32_t* src, const std::uint8_t* alpha, std::uint32_t w) {
  std::uint32_t x = 0;
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128();
  const __m128i c255 = _mm_set1_epi16(255);
  // The fourth byte gets alpha 0 and source 0, which leaves it exactly as it was.
  const __m128i colourLanes = _mm_set_epi16(0, -1, -1, -1, 0, -1, -1, -1);
  for (; x + 4 <= w; x += 4) {
    __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bg + 4 * x));
    __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + x));
    std::uint32_t a4;
    std::memcpy(&a4, alpha + x, 4);
    __m128i a = _mm_cvtsi32_si128(std::int32_t(a4));
    a = _mm_unpacklo_epi8(a, a);    // a0 a0 a1 a1 a2 a2 a3 a3
    a = _mm_unpacklo_epi16(a, a);   // each alpha four times
    __m128i alo = _mm_and_si128(_mm_unpacklo_epi8(a, zero), colourLanes);
    __m128i ahi = _mm_and_si128(_mm_unpackhi_epi8(a, zero), colourLanes);
    __m128i dlo = _mm_unpacklo_epi8(d, zero), dhi = _mm_unpackhi_epi8(d, zero);
    __m128i slo = _mm_unpacklo_epi8(s, zero), shi = _mm_unpackhi_epi8(s, zero);
    __m128i rlo = _mm_add_epi16(_mm_mullo_epi16(alo, slo), _mm_mullo_epi16(_mm_sub_epi16(c255, alo), dlo));
    __m128i rhi = _mm_add_epi16(_mm_mullo_epi16(ahi, shi), _mm_mullo_epi16(_mm_sub_epi16(c255, ahi), dhi));
    rlo = _mm_srli_epi16(_mm_add_epi16(rlo, c255), 8);
    rhi = _mm_srli_epi16(_mm_add_epi16(rhi, c255), 8);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(bg + 4 * x), _mm_packus_epi16(rlo, rhi));
  }
#endif
  for (; x < w; ++x) {
    unsigned a = alpha[x];
    std::uint8_t* p = bg + 4 * x;
    std::uint32_t s = src[x];
    for (int k = 0; k < 3; ++k) {
      unsigned sv = (s >> (8 * k)) & 0xFF;
      p[k] = std::uint8_t((a * sv + (255 - a) * p[k] + 255) >> 8);
    }
  }
}

}  // namespace

void TPngImage::DrawWithAlpha(HDC target, const RECT& rect) {
  const TChunkIHDR& h = ImageHeader();
  std::uint32_t w = h.ImageWidth();
  int hh = h.ImageHeight();
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = 40;
  bi.bmiHeader.biWidth = LONG(w);
  bi.bmiHeader.biHeight = -hh;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  DcPtr dc(CreateCompatibleDC(nullptr));
  if (!dc) RaisePngError<EPngOutMemory>(this, png_messages::kOutMemory);
  void* bitsPtr = nullptr;
  GdiPtr<GdiBitmap> dib(CreateDIBSection(dc.get(), &bi, DIB_RGB_COLORS, &bitsPtr, nullptr, 0));
  if (!dib || !bitsPtr) RaisePngError<EPngOutMemory>(this, png_messages::kOutMemory);
  HGDIOBJ old = SelectObject(dc.get(), dib.get());
  struct Deselect {
    HDC dc;
    HGDIOBJ old;
    ~Deselect() { SelectObject(dc, old); }
  } deselect{dc.get(), old};
  auto* bits = static_cast<std::uint8_t*>(bitsPtr);
  BitBlt(dc.get(), 0, 0, int(w), hh, target, rect.left, rect.top, SRCCOPY);

  std::vector<std::uint32_t> src(w);
  std::vector<std::uint8_t> alphaRow(w);
  unsigned bits_ = unsigned(h.StorageBits());
  // Palette images: colours and alpha per index, with the indexes the PLTE does not give
  // marked so that they raise when met.
  std::uint32_t table[256];
  std::uint8_t tableAlpha[256];
  int validEntries = 0;
  if (h.ColorType() != 4 && h.ColorType() != 6) {
    const TChunkPLTE* plte = chunks_.FirstOfClass<TChunkPLTE>();
    const TChunktRNS* trns = chunks_.FirstOfClass<TChunktRNS>();
    validEntries = plte ? std::clamp(plte->Count(), 0, 256) : 0;
    for (int i = 0; i < 256; ++i) {
      const RGBQUAD& q = h.HeaderInfo().bmiColors[i];
      table[i] = std::uint32_t(q.rgbBlue) | std::uint32_t(q.rgbGreen) << 8 | std::uint32_t(q.rgbRed) << 16;
      tableAlpha[i] = trns ? trns->AlphaValues()[i] : 255;
    }
  }
  std::size_t stride = std::size_t(w) * 4;
  for (int y = 0; y < hh; ++y) {
    const std::uint8_t* row = PixelRow(y);
    const std::uint8_t* a = h.AlphaPlane() ? h.AlphaPlane() + std::size_t(y) * w : nullptr;
    const std::uint8_t* rowAlpha = a;
    if (bits_ == 24) {
      for (std::uint32_t x = 0; x < w; ++x) {
        const std::uint8_t* p = row + 3 * x;
        src[x] = std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16;
      }
    } else if (h.ColorType() == 4) {
      for (std::uint32_t x = 0; x < w; ++x) {
        unsigned g = bits_ >= 8 ? row[x] : LowGreyLevel(row, x, bits_);
        src[x] = g * 0x010101u;
      }
    } else {
      for (std::uint32_t x = 0; x < w; ++x) {
        unsigned i = PackedIndex(row, x, bits_);
        if (int(i) >= validEntries) RaisePngError<EPngError>(this, png_messages::kNoSuchPaletteEntry);
        src[x] = table[i];
        alphaRow[x] = tableAlpha[i];
      }
      rowAlpha = alphaRow.data();
    }
    if (!rowAlpha) {
      std::fill(alphaRow.begin(), alphaRow.end(), std::uint8_t(255));
      rowAlpha = alphaRow.data();
    }
    BlendRow(bits + stride * std::size_t(y), src.data(), rowAlpha, w);
  }
  BitBlt(target, rect.left, rect.top, int(w), hh, dc.get(), 0, 0, SRCCOPY);
}

// ---------------------------------------------------------------------------------------
// Export

void TPngImage::ExportToBitmap(TBitmap* target) {
  if (!HasHeader()) {
    TGraphic::AssignTo(target);
    return;
  }
  const TChunkIHDR& h = ImageHeader();
  HDC screen = GetDC(nullptr);
  HBITMAP bmp = CreateDIBitmap(screen, &h.HeaderInfo().bmiHeader, h.PixelBits() ? CBM_INIT : 0, h.PixelBits(),
                               &h.HeaderInfo(), DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  target->SetHandle(bmp);
  switch (h.StorageBits()) {
    case 1: target->SetPixelFormat(pf1bit); break;
    case 4: target->SetPixelFormat(pf4bit); break;
    case 8: target->SetPixelFormat(pf8bit); break;
    case 24: target->SetPixelFormat(pf24bit); break;
    default: target->SetPixelFormat(pf32bit); break;
  }
  if (TransparencyKind() == tkKeyColor) {
    target->SetTransparentColor(TColor(KeyColor()));
    target->SetTransparent(true);
  }
}
