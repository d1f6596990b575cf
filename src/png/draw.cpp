// Drawing a PNG image (opaque stretch, key colour, alpha blend) and the queries of its
// size, pixels, rows and palette, plus the copy into a bitmap.
//
// Sections: size and rows / pixel access / palette / drawing / alpha blend kernels /
// alpha blend drawing / export.
#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/gdi/surface.h"
#include "png/blend.h"
#include "png/pngimage.h"

// The wider levels fall back on the SSE2 one for row ends, so they need it as the base.
#if (defined(__x86_64__) || defined(__i386__)) && defined(__SSE2__)
#define LB_PNG_X86 1
#include <immintrin.h>
#else
#define LB_PNG_X86 0
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
// Alpha blend kernels. Every level computes exactly BlendChannel for each colour byte and
// leaves the fourth byte alone; alpha 0 and alpha 255 need no arithmetic at all, which
// the vector levels use for whole steps (icons are mostly such runs).

namespace pngblend {

namespace {

void RgbScalar(std::uint8_t* d, const std::uint8_t* s, const std::uint8_t* a, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i, d += 4, s += 3) {
    unsigned al = a[i];
    d[0] = BlendChannel(al, s[0], d[0]);
    d[1] = BlendChannel(al, s[1], d[1]);
    d[2] = BlendChannel(al, s[2], d[2]);
  }
}

void GreyScalar(std::uint8_t* d, const std::uint8_t* g, const std::uint8_t* a, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i, d += 4) {
    unsigned al = a[i], s = g[i];
    d[0] = BlendChannel(al, s, d[0]);
    d[1] = BlendChannel(al, s, d[1]);
    d[2] = BlendChannel(al, s, d[2]);
  }
}

void IndexedScalar(std::uint8_t* d, const std::uint8_t* x, const std::uint32_t* table, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i, d += 4) {
    std::uint32_t e = table[x[i]];
    unsigned al = e >> 24;
    d[0] = BlendChannel(al, e & 0xFF, d[0]);
    d[1] = BlendChannel(al, e >> 8 & 0xFF, d[1]);
    d[2] = BlendChannel(al, e >> 16 & 0xFF, d[2]);
  }
}

constexpr TBlendKernels kScalar{RgbScalar, GreyScalar, IndexedScalar};

#if defined(__SSE2__)

// Four pixels in 16-bit lanes. s holds blue, green, red and any fourth byte; a holds each
// pixel's alpha in its three colour bytes and 0 in the fourth, which keeps that byte.
inline __m128i Blend4(__m128i d, __m128i s, __m128i a) {
  const __m128i zero = _mm_setzero_si128();
  // 255 * old + 255 is old in the high byte and 255 - old in the low byte.
  __m128i nd = _mm_xor_si128(d, _mm_set1_epi8(-1));
  __m128i baseLo = _mm_unpacklo_epi8(nd, d), baseHi = _mm_unpackhi_epi8(nd, d);
  // a * (s - old) wraps around in 16 bits, but the whole sum a * s + (255 - a) * old + 255
  // lies in 255 .. 65280, so the wrapped sum is the exact one.
  __m128i lo = _mm_mullo_epi16(_mm_unpacklo_epi8(a, zero),
                               _mm_sub_epi16(_mm_unpacklo_epi8(s, zero), _mm_unpacklo_epi8(d, zero)));
  __m128i hi = _mm_mullo_epi16(_mm_unpackhi_epi8(a, zero),
                               _mm_sub_epi16(_mm_unpackhi_epi8(s, zero), _mm_unpackhi_epi8(d, zero)));
  lo = _mm_srli_epi16(_mm_add_epi16(lo, baseLo), 8);
  hi = _mm_srli_epi16(_mm_add_epi16(hi, baseHi), 8);
  return _mm_packus_epi16(lo, hi);
}

// Alpha 255 everywhere: the source colours with the destination's fourth bytes.
inline __m128i Opaque4(__m128i d, __m128i s) {
  const __m128i fourth = _mm_set1_epi32(int(0xFF000000u));
  return _mm_or_si128(_mm_andnot_si128(fourth, s), _mm_and_si128(fourth, d));
}

// Bytes b0 b1 b2 b3 as b0 b0 b0 0, b1 b1 b1 0, ...
inline __m128i Spread4(std::uint32_t b4) {
  __m128i v = _mm_cvtsi32_si128(int(b4));
  v = _mm_unpacklo_epi8(v, v);
  v = _mm_unpacklo_epi16(v, v);
  return _mm_and_si128(v, _mm_set1_epi32(0x00FFFFFF));
}

// Four 3-byte pixels (12 bytes, no more are read) widened to 4 bytes each.
inline __m128i Widen4(const std::uint8_t* p) {
  __m128i first = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p));       // pixels 0, 1
  __m128i second = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p + 4));  // pixels 2, 3 from byte 2
  __m128i w = _mm_unpacklo_epi64(first, _mm_srli_epi64(second, 16));
  // The odd pixel of each pair starts one byte early.
  const __m128i odd = _mm_set_epi32(-1, 0, -1, 0);
  return _mm_or_si128(_mm_andnot_si128(odd, w), _mm_and_si128(odd, _mm_slli_epi64(w, 8)));
}

inline std::uint32_t Load4(const std::uint8_t* p) {
  std::uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

void RgbSse2(std::uint8_t* d, const std::uint8_t* s, const std::uint8_t* a, std::size_t n) {
  std::size_t i = 0;
  for (; i + 4 <= n; i += 4) {
    std::uint32_t a4 = Load4(a + i);
    if (a4 == 0) continue;
    auto* q = reinterpret_cast<__m128i*>(d + 4 * i);
    __m128i dv = _mm_loadu_si128(q), sv = Widen4(s + 3 * i);
    _mm_storeu_si128(q, a4 == 0xFFFFFFFFu ? Opaque4(dv, sv) : Blend4(dv, sv, Spread4(a4)));
  }
  RgbScalar(d + 4 * i, s + 3 * i, a + i, n - i);
}

void GreySse2(std::uint8_t* d, const std::uint8_t* g, const std::uint8_t* a, std::size_t n) {
  std::size_t i = 0;
  for (; i + 4 <= n; i += 4) {
    std::uint32_t a4 = Load4(a + i);
    if (a4 == 0) continue;
    auto* q = reinterpret_cast<__m128i*>(d + 4 * i);
    __m128i dv = _mm_loadu_si128(q), sv = Spread4(Load4(g + i));
    _mm_storeu_si128(q, a4 == 0xFFFFFFFFu ? Opaque4(dv, sv) : Blend4(dv, sv, Spread4(a4)));
  }
  GreyScalar(d + 4 * i, g + i, a + i, n - i);
}

void IndexedSse2(std::uint8_t* d, const std::uint8_t* x, const std::uint32_t* table, std::size_t n) {
  const __m128i zero = _mm_setzero_si128(), full = _mm_set1_epi32(255);
  std::size_t i = 0;
  for (; i + 4 <= n; i += 4) {
    __m128i sv = _mm_setr_epi32(int(table[x[i]]), int(table[x[i + 1]]), int(table[x[i + 2]]), int(table[x[i + 3]]));
    __m128i a = _mm_srli_epi32(sv, 24);
    if (_mm_movemask_epi8(_mm_cmpeq_epi32(a, zero)) == 0xFFFF) continue;
    auto* q = reinterpret_cast<__m128i*>(d + 4 * i);
    __m128i dv = _mm_loadu_si128(q);
    if (_mm_movemask_epi8(_mm_cmpeq_epi32(a, full)) == 0xFFFF) {
      _mm_storeu_si128(q, Opaque4(dv, sv));
      continue;
    }
    a = _mm_or_si128(a, _mm_or_si128(_mm_slli_epi32(a, 8), _mm_slli_epi32(a, 16)));
    _mm_storeu_si128(q, Blend4(dv, sv, a));
  }
  IndexedScalar(d + 4 * i, x + i, table, n - i);
}

constexpr TBlendKernels kSse2{RgbSse2, GreySse2, IndexedSse2};

#endif  // __SSE2__

#if LB_PNG_X86

// Eight pixels in 16-bit lanes through byte multiply-adds: with the samples moved to
// -128 .. 127, a * (s - 128) + (255 - a) * (old - 128) is the blend sum less 32640, which
// fits a signed 16-bit lane without saturating; adding 32640 + 255 back wraps to the sum.
// a holds 0 in each fourth byte, so 255 - a is 255 there and the fourth byte is kept.
__attribute__((target("avx2"))) inline __m256i Blend8(__m256i d, __m256i s, __m256i a) {
  const __m256i flip = _mm256_set1_epi8(-128);
  __m256i na = _mm256_xor_si256(a, _mm256_set1_epi8(-1));
  __m256i sx = _mm256_xor_si256(s, flip), dx = _mm256_xor_si256(d, flip);
  __m256i lo = _mm256_maddubs_epi16(_mm256_unpacklo_epi8(a, na), _mm256_unpacklo_epi8(sx, dx));
  __m256i hi = _mm256_maddubs_epi16(_mm256_unpackhi_epi8(a, na), _mm256_unpackhi_epi8(sx, dx));
  const __m256i bias = _mm256_set1_epi16(std::int16_t(32640 + 255));
  lo = _mm256_srli_epi16(_mm256_add_epi16(lo, bias), 8);
  hi = _mm256_srli_epi16(_mm256_add_epi16(hi, bias), 8);
  return _mm256_packus_epi16(lo, hi);
}

__attribute__((target("avx2"))) inline __m256i Opaque8(__m256i d, __m256i s) {
  return _mm256_blendv_epi8(s, d, _mm256_set1_epi32(int(0xFF000000u)));
}

// The eight bytes at p as b0 b0 b0 0, b1 b1 b1 0, ... across both lanes.
__attribute__((target("avx2"))) inline __m256i Spread8(const std::uint8_t* p) {
  const __m256i pick = _mm256_setr_epi8(0, 0, 0, -1, 1, 1, 1, -1, 2, 2, 2, -1, 3, 3, 3, -1,  //
                                        4, 4, 4, -1, 5, 5, 5, -1, 6, 6, 6, -1, 7, 7, 7, -1);
  return _mm256_shuffle_epi8(_mm256_broadcastq_epi64(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p))), pick);
}

// Eight 3-byte pixels at p widened to 4 bytes each; reads those 24 bytes only.
__attribute__((target("avx2"))) inline __m256i Widen8(const std::uint8_t* p) {
  const __m256i pick = _mm256_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1,  //
                                        4, 5, 6, -1, 7, 8, 9, -1, 10, 11, 12, -1, 13, 14, 15, -1);
  __m256i v = _mm256_inserti128_si256(
      _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p))),
      _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 8)), 1);
  return _mm256_shuffle_epi8(v, pick);
}

// The same with one load from p - 4 to p + 28, for pixels inside a row.
__attribute__((target("avx2"))) inline __m256i Widen8Inner(const std::uint8_t* p) {
  const __m256i pick = _mm256_setr_epi8(4, 5, 6, -1, 7, 8, 9, -1, 10, 11, 12, -1, 13, 14, 15, -1,  //
                                        0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
  return _mm256_shuffle_epi8(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(p - 4)), pick);
}

// What 32 alpha bytes ask for: 0 nothing, 1 a copy of the source, 2 the blend.
__attribute__((target("avx2"))) inline int BlockKind(const std::uint8_t* a) {
  __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(a));
  if (_mm256_movemask_epi8(_mm256_cmpeq_epi8(v, _mm256_setzero_si256())) == -1) return 0;
  return _mm256_movemask_epi8(_mm256_cmpeq_epi8(v, _mm256_set1_epi8(-1))) == -1 ? 1 : 2;
}

// Rows are taken 32 pixels at a time with one look at their alpha; checking every step
// costs more on photographs than the runs save.
__attribute__((target("avx2"))) void RgbAvx2(std::uint8_t* d, const std::uint8_t* s, const std::uint8_t* a,
                                             std::size_t n) {
  auto* q = reinterpret_cast<__m256i*>(d);
  std::size_t i = 0;
  if (n >= 8) {
    _mm256_storeu_si256(q, Blend8(_mm256_loadu_si256(q), Widen8(s), Spread8(a)));
    i = 8;
  }
  // Inner loads reach 4 bytes beyond the 8 pixels, so two more pixels must follow.
  for (; i + 34 <= n; i += 32) {
    int kind = BlockKind(a + i);
    if (kind == 0) continue;
    for (std::size_t k = i; k < i + 32; k += 8) {
      auto* r = reinterpret_cast<__m256i*>(d + 4 * k);
      __m256i dv = _mm256_loadu_si256(r), sv = Widen8Inner(s + 3 * k);
      _mm256_storeu_si256(r, kind == 1 ? Opaque8(dv, sv) : Blend8(dv, sv, Spread8(a + k)));
    }
  }
  for (; i + 8 <= n; i += 8) {
    auto* r = reinterpret_cast<__m256i*>(d + 4 * i);
    _mm256_storeu_si256(r, Blend8(_mm256_loadu_si256(r), Widen8(s + 3 * i), Spread8(a + i)));
  }
  RgbSse2(d + 4 * i, s + 3 * i, a + i, n - i);
}

__attribute__((target("avx2"))) void GreyAvx2(std::uint8_t* d, const std::uint8_t* g, const std::uint8_t* a,
                                              std::size_t n) {
  std::size_t i = 0;
  for (; i + 32 <= n; i += 32) {
    int kind = BlockKind(a + i);
    if (kind == 0) continue;
    for (std::size_t k = i; k < i + 32; k += 8) {
      auto* r = reinterpret_cast<__m256i*>(d + 4 * k);
      __m256i dv = _mm256_loadu_si256(r), sv = Spread8(g + k);
      _mm256_storeu_si256(r, kind == 1 ? Opaque8(dv, sv) : Blend8(dv, sv, Spread8(a + k)));
    }
  }
  for (; i + 8 <= n; i += 8) {
    auto* r = reinterpret_cast<__m256i*>(d + 4 * i);
    _mm256_storeu_si256(r, Blend8(_mm256_loadu_si256(r), Spread8(g + i), Spread8(a + i)));
  }
  GreySse2(d + 4 * i, g + i, a + i, n - i);
}

__attribute__((target("avx2"))) void IndexedAvx2(std::uint8_t* d, const std::uint8_t* x,
                                                 const std::uint32_t* table, std::size_t n) {
  const __m256i top = _mm256_setr_epi8(3, 3, 3, -1, 7, 7, 7, -1, 11, 11, 11, -1, 15, 15, 15, -1,  //
                                       3, 3, 3, -1, 7, 7, 7, -1, 11, 11, 11, -1, 15, 15, 15, -1);
  const __m256i opaque = _mm256_set1_epi32(0x00FFFFFF);
  std::size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    __m256i sv = _mm256_setr_epi32(int(table[x[i]]), int(table[x[i + 1]]), int(table[x[i + 2]]),
                                   int(table[x[i + 3]]), int(table[x[i + 4]]), int(table[x[i + 5]]),
                                   int(table[x[i + 6]]), int(table[x[i + 7]]));
    __m256i a = _mm256_shuffle_epi8(sv, top);
    if (_mm256_testz_si256(a, a)) continue;
    auto* q = reinterpret_cast<__m256i*>(d + 4 * i);
    __m256i dv = _mm256_loadu_si256(q);
    bool allOpaque = _mm256_movemask_epi8(_mm256_cmpeq_epi8(a, opaque)) == -1;
    _mm256_storeu_si256(q, allOpaque ? Opaque8(dv, sv) : Blend8(dv, sv, a));
  }
  IndexedSse2(d + 4 * i, x + i, table, n - i);
}

constexpr TBlendKernels kAvx2{RgbAvx2, GreyAvx2, IndexedAvx2};

// Sixteen pixels a step with two-source byte permutes, which pair each source byte with
// its background byte and each alpha with 255 - alpha in one instruction; the fourth bytes
// are left out of the stores. Only processors with byte permutes take this level, which
// leaves out the older ones that slow their clock for 512-bit work.
#define LB_PNG_AVX512 __attribute__((target("avx512f,avx512bw,avx512vbmi")))

// Permute indexes. Pair tables serve the low and high halves of each 128-bit lane (the
// halves the byte pack puts back together): 16-bit lane k takes byte 2k from the first
// operand (source, or alpha) and byte 2k + 1 from the second (background, or 255 - alpha).
// The weights have one table per 16-pixel step of a 64-pixel block of alpha bytes.
struct TPermuteBytes {
  std::uint8_t rgb[2][64], grey[2][64], weight[4][2][64];
  std::uint8_t rgbCopy[64], greyCopy[64];  // source bytes in pixel order, for opaque blocks
  constexpr TPermuteBytes() : rgb{}, grey{}, weight{}, rgbCopy{}, greyCopy{} {
    for (int half = 0; half < 2; ++half)
      for (int lane = 0; lane < 4; ++lane)
        for (int j = 0; j < 8; ++j) {
          int k = 2 * (8 * lane + j), byte = 16 * lane + 8 * half + j, p = byte / 4;
          rgb[half][k] = std::uint8_t(3 * p + byte % 4 % 3);
          grey[half][k] = std::uint8_t(p);
          rgb[half][k + 1] = grey[half][k + 1] = std::uint8_t(64 + byte);
          for (int step = 0; step < 4; ++step) {
            weight[step][half][k] = std::uint8_t(16 * step + p);
            weight[step][half][k + 1] = std::uint8_t(64 + 16 * step + p);
          }
        }
    for (int b = 0; b < 64; ++b) {
      rgbCopy[b] = std::uint8_t(3 * (b / 4) + b % 4 % 3);
      greyCopy[b] = std::uint8_t(b / 4);
    }
  }
};
constexpr TPermuteBytes kPermute{};

// Bytes of a 64-byte step that are blue, green or red; and the 16-bit lanes of a pair
// table that belong to them.
constexpr std::uint64_t kColourBytes = 0x7777777777777777u;
constexpr std::uint64_t kColourPairs = 0x3F3F3F3F3F3F3F3Fu;

struct TPermute16 {
  __m512i sourceLo, sourceHi, copy;
  __m512i weight[4][2];
};

// Blends the colour bytes of `store` at q. src holds the source bytes the pair tables
// point at, a the alpha bytes the weight tables of `step` point at.
LB_PNG_AVX512 inline void Step16(std::uint8_t* q, __m512i src, __m512i a, __m512i na, const TPermute16& t,
                                 int step, __mmask64 store) {
  const __m512i flip = _mm512_set1_epi8(-128);
  __m512i sx = _mm512_xor_si512(src, flip);
  __m512i dx = _mm512_xor_si512(_mm512_maskz_loadu_epi8(store, q), flip);
  __m512i lo = _mm512_maddubs_epi16(_mm512_maskz_permutex2var_epi8(kColourPairs, a, t.weight[step][0], na),
                                    _mm512_permutex2var_epi8(sx, t.sourceLo, dx));
  __m512i hi = _mm512_maddubs_epi16(_mm512_maskz_permutex2var_epi8(kColourPairs, a, t.weight[step][1], na),
                                    _mm512_permutex2var_epi8(sx, t.sourceHi, dx));
  const __m512i bias = _mm512_set1_epi16(std::int16_t(32640 + 255));
  lo = _mm512_srli_epi16(_mm512_add_epi16(lo, bias), 8);
  hi = _mm512_srli_epi16(_mm512_add_epi16(hi, bias), 8);
  _mm512_mask_storeu_epi8(q, store, _mm512_packus_epi16(lo, hi));
}

// Source pixels of `Bytes` bytes each. 64-pixel blocks look at their alpha once (the
// runs of icons); the rest goes 16 pixels a step through masks, so nothing beyond the n
// pixels is read or written.
template <int Bytes>
LB_PNG_AVX512 void Rows16(std::uint8_t* d, const std::uint8_t* s, const std::uint8_t* a, std::size_t n) {
  TPermute16 t;
  t.sourceLo = _mm512_loadu_si512(Bytes == 3 ? kPermute.rgb[0] : kPermute.grey[0]);
  t.sourceHi = _mm512_loadu_si512(Bytes == 3 ? kPermute.rgb[1] : kPermute.grey[1]);
  t.copy = _mm512_loadu_si512(Bytes == 3 ? kPermute.rgbCopy : kPermute.greyCopy);
  for (int step = 0; step < 4; ++step)
    for (int half = 0; half < 2; ++half) t.weight[step][half] = _mm512_loadu_si512(kPermute.weight[step][half]);
  const __m512i ones = _mm512_set1_epi8(-1);
  constexpr std::uint64_t stepSource = (std::uint64_t(1) << (16 * Bytes)) - 1;
  std::size_t i = 0;
  for (; i + 64 <= n; i += 64) {
    __m512i av = _mm512_loadu_si512(a + i);
    if (_mm512_cmpeq_epi8_mask(av, _mm512_setzero_si512()) == ~std::uint64_t(0)) continue;
    if (_mm512_cmpeq_epi8_mask(av, ones) == ~std::uint64_t(0)) {
      for (int step = 0; step < 4; ++step) {
        __m512i sv = _mm512_maskz_loadu_epi8(stepSource, s + Bytes * (i + 16 * step));
        _mm512_mask_storeu_epi8(d + 4 * (i + 16 * step), kColourBytes,
                                _mm512_maskz_permutexvar_epi8(kColourBytes, t.copy, sv));
      }
      continue;
    }
    __m512i na = _mm512_xor_si512(av, ones);
    for (int step = 0; step < 4; ++step)
      Step16(d + 4 * (i + 16 * step), _mm512_maskz_loadu_epi8(stepSource, s + Bytes * (i + 16 * step)), av, na,
             t, step, kColourBytes);
  }
  for (; i < n; i += 16) {
    std::size_t r = std::min<std::size_t>(n - i, 16);
    std::uint64_t pixels = r == 16 ? ~std::uint64_t(0) : (std::uint64_t(1) << (4 * r)) - 1;
    __m512i sv = _mm512_maskz_loadu_epi8((std::uint64_t(1) << (Bytes * r)) - 1, s + Bytes * i);
    __m512i av = _mm512_maskz_loadu_epi8((std::uint64_t(1) << r) - 1, a + i);
    Step16(d + 4 * i, sv, av, _mm512_xor_si512(av, ones), t, 0, kColourBytes & pixels);
  }
}

LB_PNG_AVX512 void RgbAvx512(std::uint8_t* d, const std::uint8_t* s, const std::uint8_t* a, std::size_t n) {
  Rows16<3>(d, s, a, n);
}
LB_PNG_AVX512 void GreyAvx512(std::uint8_t* d, const std::uint8_t* g, const std::uint8_t* a, std::size_t n) {
  Rows16<1>(d, g, a, n);
}

// Palette rows keep the 8-pixel steps: their colours come from a table lookup per pixel.
constexpr TBlendKernels kAvx512{RgbAvx512, GreyAvx512, IndexedAvx2};

#endif  // LB_PNG_X86

}  // namespace

bool LevelAvailable(TBlendLevel level) {
  switch (level) {
    case TBlendLevel::blScalar: return true;
#if defined(__SSE2__)
    case TBlendLevel::blSse2: return true;
#endif
#if LB_PNG_X86
    case TBlendLevel::blAvx2: {
      static const bool have = __builtin_cpu_supports("avx2");
      return have;
    }
    case TBlendLevel::blAvx512: {
      static const bool have = __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
                               __builtin_cpu_supports("avx512vbmi");
      return have;
    }
#endif
    default: return false;
  }
}

const TBlendKernels& KernelsFor(TBlendLevel level) {
  if (!LevelAvailable(level)) return kScalar;
  switch (level) {
#if defined(__SSE2__)
    case TBlendLevel::blSse2: return kSse2;
#endif
#if LB_PNG_X86
    case TBlendLevel::blAvx2: return kAvx2;
    case TBlendLevel::blAvx512: return kAvx512;
#endif
    default: return kScalar;
  }
}

TBlendLevel BestLevel() {
  for (TBlendLevel l : {TBlendLevel::blAvx512, TBlendLevel::blAvx2, TBlendLevel::blSse2})
    if (LevelAvailable(l)) return l;
  return TBlendLevel::blScalar;
}

}  // namespace pngblend

// ---------------------------------------------------------------------------------------
// Alpha blend drawing

namespace {

// What the alpha path reads of one image, in place: storage rows, the alpha plane and,
// for palette images, each entry's colour with its tRNS alpha.
struct TAlphaSource {
  enum TKind { akRgb, akGrey, akLowGrey, akIndexed, akLowIndexed };
  TKind kind = akRgb;
  const std::uint8_t* top = nullptr;  // storage row of image row 0
  std::ptrdiff_t step = 0;            // storage rows are bottom-up
  const std::uint8_t* alpha = nullptr;
  std::uint32_t width = 0;
  int height = 0;
  unsigned bits = 8;
  unsigned validEntries = 0;  // PLTE entries; indexes at or above raise
  std::uint32_t table[256] = {};
  std::vector<std::uint8_t> scratch;  // one row of unpacked indexes or grey levels
  std::vector<std::uint8_t> opaque;   // alpha 255 for a missing alpha plane

  const std::uint8_t* Row(int y) const { return top + step * y; }

  // Indexes (or grey levels through `scale`) of pixels x0 .. x0 + n - 1 of a packed row.
  const std::uint8_t* Unpack(const std::uint8_t* row, std::uint32_t x0, std::size_t n, unsigned scale) {
    std::uint8_t* out = scratch.data();
    for (std::size_t i = 0; i < n; ++i) {
      std::uint32_t x = x0 + std::uint32_t(i);
      unsigned v = bits == 1 ? (row[x >> 3] >> (7 - (x & 7))) & 1 : (row[x >> 1] >> (4 - (x & 1) * 4)) & 15;
      out[i] = std::uint8_t(v * scale);
    }
    return out;
  }

  // Blends pixels x0 .. x0 + n - 1 of image row y onto n destination pixels.
  void BlendRow(const pngblend::TBlendKernels& k, int y, std::uint32_t x0, std::size_t n, std::uint8_t* dst) {
    const std::uint8_t* row = Row(y);
    const std::uint8_t* a = alpha ? alpha + std::size_t(y) * width + x0 : opaque.data();
    switch (kind) {
      case akRgb: k.rgb(dst, row + std::size_t(x0) * 3, a, n); break;
      case akGrey: k.grey(dst, row + x0, a, n); break;
      case akLowGrey: k.grey(dst, Unpack(row, x0, n, bits == 1 ? 255 : 17), a, n); break;
      case akIndexed: k.indexed(dst, row + x0, table, n); break;
      case akLowIndexed: k.indexed(dst, Unpack(row, x0, n, 1), table, n); break;
    }
  }

  // Whether every index the image uses has a PLTE entry; looked at before any pixel is
  // drawn, so that an image that raises leaves the target as it was.
  bool IndexesValid() {
    if (kind != akIndexed && kind != akLowIndexed) return true;
    if (validEntries >= (1u << bits)) return true;
    for (int y = 0; y < height; ++y) {
      const std::uint8_t* p = kind == akIndexed ? Row(y) : Unpack(Row(y), 0, width, 1);
      if (MaxByte(p, width) >= validEntries) return false;
    }
    return true;
  }

  static unsigned MaxByte(const std::uint8_t* p, std::size_t n) {
    std::size_t i = 0;
    unsigned m = 0;
#if defined(__SSE2__)
    __m128i v = _mm_setzero_si128();
    for (; i + 16 <= n; i += 16) v = _mm_max_epu8(v, _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i)));
    v = _mm_max_epu8(v, _mm_srli_si128(v, 8));
    v = _mm_max_epu8(v, _mm_srli_si128(v, 4));
    v = _mm_max_epu8(v, _mm_srli_si128(v, 2));
    v = _mm_max_epu8(v, _mm_srli_si128(v, 1));
    m = unsigned(_mm_cvtsi128_si32(v)) & 0xFF;
#endif
    for (; i < n; ++i) m = std::max<unsigned>(m, p[i]);
    return m;
  }
};

}  // namespace

void TPngImage::DrawWithAlpha(HDC target, const RECT& rect) {
  const TChunkIHDR& h = ImageHeader();
  std::uint32_t w = h.ImageWidth();
  int hh = h.ImageHeight();

  TAlphaSource src;
  src.width = w;
  src.height = hh;
  src.bits = unsigned(h.StorageBits());
  src.step = -std::ptrdiff_t(h.RowStride());
  src.top = h.PixelBits() + std::ptrdiff_t(h.RowStride()) * (hh - 1);
  src.alpha = h.AlphaPlane();
  if (src.bits == 24) {
    src.kind = TAlphaSource::akRgb;
  } else if (h.ColorType() == 4) {
    src.kind = src.bits >= 8 ? TAlphaSource::akGrey : TAlphaSource::akLowGrey;
  } else {
    src.kind = src.bits >= 8 ? TAlphaSource::akIndexed : TAlphaSource::akLowIndexed;
    src.alpha = nullptr;
    const TChunkPLTE* plte = chunks_.FirstOfClass<TChunkPLTE>();
    const TChunktRNS* trns = chunks_.FirstOfClass<TChunktRNS>();
    src.validEntries = plte ? unsigned(std::clamp(plte->Count(), 0, 256)) : 0;
    for (int i = 0; i < 256; ++i) {
      const RGBQUAD& q = h.HeaderInfo().bmiColors[i];
      std::uint32_t a = trns ? trns->AlphaValues()[i] : 255;
      src.table[i] = std::uint32_t(q.rgbBlue) | std::uint32_t(q.rgbGreen) << 8 | std::uint32_t(q.rgbRed) << 16 | a << 24;
    }
  }
  if (src.kind == TAlphaSource::akLowGrey || src.kind == TAlphaSource::akLowIndexed) src.scratch.resize(w);
  if (!src.alpha && src.kind != TAlphaSource::akIndexed && src.kind != TAlphaSource::akLowIndexed)
    src.opaque.assign(w, 255);
  const pngblend::TBlendKernels& kernels = pngblend::KernelsFor(pngblend::BestLevel());

  // A 32-bit target is blended where it stands. Copying its pixels into a 32-bit DIB and
  // back gives the same: the copy back is cut to the target's surface and effective clip,
  // and a plain copy between 32-bit bitmaps carries the fourth byte unchanged both ways.
  SurfaceView surface(target);
  if (surface.Format() == SurfaceFormat::Bgrx) {
    POINT org;
    if (GetViewportOrgEx(target, &org)) {
      // Refused where the 32-bit copy would be refused.
      if (w > 0x7FFFFFFF || hh <= 0 || std::uint64_t(w) * 4 * std::uint64_t(hh) > kMaxBitmapBytes)
        RaisePngError<EPngOutMemory>(this, png_messages::kOutMemory);
      if (!src.IndexesValid()) RaisePngError<EPngError>(this, png_messages::kNoSuchPaletteEntry);
      // The effective clip: a window DC's visible part lies under its clip region.
      std::vector<RECT> clip = GetDCClipRects(target);
      std::int64_t ox = std::int64_t(rect.left) + org.x, oy = std::int64_t(rect.top) + org.y;
      for (const RECT& c : clip) {
        std::int64_t x0 = std::max<std::int64_t>({c.left, 0, ox});
        std::int64_t x1 = std::min<std::int64_t>({c.right, surface.Width(), ox + std::int64_t(w)});
        std::int64_t y0 = std::max<std::int64_t>({c.top, 0, oy});
        std::int64_t y1 = std::min<std::int64_t>({c.bottom, surface.Height(), oy + hh});
        if (x0 >= x1 || y0 >= y1) continue;
        for (std::int64_t y = y0; y < y1; ++y)
          src.BlendRow(kernels, int(y - oy), std::uint32_t(x0 - ox), std::size_t(x1 - x0),
                       surface.Row(int(y)) + x0 * 4);
      }
      return;
    }
  }

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
  if (!src.IndexesValid()) RaisePngError<EPngError>(this, png_messages::kNoSuchPaletteEntry);
  HGDIOBJ old = SelectObject(dc.get(), dib.get());
  struct Deselect {
    HDC dc;
    HGDIOBJ old;
    ~Deselect() { SelectObject(dc, old); }
  } deselect{dc.get(), old};
  auto* bits = static_cast<std::uint8_t*>(bitsPtr);
  BitBlt(dc.get(), 0, 0, int(w), hh, target, rect.left, rect.top, SRCCOPY);
  std::size_t stride = std::size_t(w) * 4;
  for (int y = 0; y < hh; ++y) src.BlendRow(kernels, y, 0, w, bits + stride * std::size_t(y));
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
