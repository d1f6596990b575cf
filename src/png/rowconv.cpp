// Scanline unfiltering (SSE2 for Sub, Average and Paeth at 3, 4, 6 and 8 bytes per pixel,
// scalar otherwise) and the row converters, one per colour type and bit depth, sequential and
// Adam7.
//
// Sections: layout / scalar filters / SSE2 filters / Unfilter / sequential converters /
// Adam7 converters / selection.
#include "png/rowconv.h"

#include "platform/gdi/packed.h"

#include <cstdlib>
#include <cstring>
#include <type_traits>

namespace pngrow {

using enum TPngColorType;

// ---------------------------------------------------------------------------------------
// Layout

std::size_t RowBytes(TPngColorType colorType, unsigned d, std::uint32_t w) {
  return (std::size_t(w) * d * SamplesPerPixel(colorType) + 7) / 8;
}

unsigned FilterOffset(TPngColorType colorType, unsigned d) {
  return (d * SamplesPerPixel(colorType) + 7) / 8;  // the bytes of one pixel, rounded up
}

// ---------------------------------------------------------------------------------------
// Levels

namespace {
RowLevel& Level() {
  static RowLevel level = RowLevelAvailable(RowLevel::Ssse3)  ? RowLevel::Ssse3
                          : RowLevelAvailable(RowLevel::Sse2) ? RowLevel::Sse2
                                                              : RowLevel::Scalar;
  return level;
}
}  // namespace

bool RowLevelAvailable(RowLevel level) {
  switch (level) {
#ifdef LB_PNG_SSSE3
    case RowLevel::Ssse3: {
      static const bool have = __builtin_cpu_supports("ssse3");
      return have;
    }
#endif
#ifdef LB_PNG_SSE2
    case RowLevel::Sse2: return true;
#endif
    case RowLevel::Scalar: return true;
    default: return false;
  }
}

RowLevel CurrentRowLevel() { return Level(); }

bool SetRowLevel(RowLevel level) {
  if (!RowLevelAvailable(level)) return false;
  Level() = level;
  return true;
}

// ---------------------------------------------------------------------------------------
// Scalar filters

namespace {

inline std::uint8_t PaethPredictor(int a, int b, int c) {
  int pa = std::abs(b - c), pb = std::abs(a - c), pc = std::abs(a + b - 2 * c);
  if (pa <= pb && pa <= pc) return std::uint8_t(a);
  return std::uint8_t(pb <= pc ? b : c);
}

void SubScalar(std::uint8_t* row, std::size_t len, unsigned bpp) {
  for (std::size_t i = bpp; i < len; ++i) row[i] = std::uint8_t(row[i] + row[i - bpp]);
}

void UpScalar(std::uint8_t* row, const std::uint8_t* prev, std::size_t len) {
  for (std::size_t i = 0; i < len; ++i) row[i] = std::uint8_t(row[i] + prev[i]);
}

void AverageScalar(std::uint8_t* row, const std::uint8_t* prev, std::size_t len, unsigned bpp) {
  std::size_t i = 0;
  for (; i < bpp && i < len; ++i) row[i] = std::uint8_t(row[i] + (prev[i] >> 1));
  for (; i < len; ++i) row[i] = std::uint8_t(row[i] + ((row[i - bpp] + prev[i]) >> 1));
}

void PaethScalar(std::uint8_t* row, const std::uint8_t* prev, std::size_t len, unsigned bpp) {
  std::size_t i = 0;
  for (; i < bpp && i < len; ++i) row[i] = std::uint8_t(row[i] + prev[i]);
  for (; i < len; ++i) row[i] = std::uint8_t(row[i] + PaethPredictor(row[i - bpp], prev[i], prev[i - bpp]));
}

// ---------------------------------------------------------------------------------------
// SSE2 filters: one pixel per step in the low lanes of a register. Pixels of 3 and 6
// bytes are moved through loads and stores of exactly their size, never past the row's end.
// Rows hold whole pixels, so the steps end exactly at the row's end.

#ifdef LB_PNG_SSE2

inline __m128i Load4(const std::uint8_t* p) {
  std::int32_t v;
  std::memcpy(&v, p, 4);
  return _mm_cvtsi32_si128(v);
}
inline void Store4(std::uint8_t* p, __m128i v) {
  std::int32_t x = _mm_cvtsi128_si32(v);
  std::memcpy(p, &x, 4);
}
inline __m128i Load3(const std::uint8_t* p) {
  std::int32_t v = p[0] | p[1] << 8 | p[2] << 16;
  return _mm_cvtsi32_si128(v);
}
inline void Store3(std::uint8_t* p, __m128i v) {
  std::uint32_t x = std::uint32_t(_mm_cvtsi128_si32(v));
  p[0] = std::uint8_t(x);
  p[1] = std::uint8_t(x >> 8);
  p[2] = std::uint8_t(x >> 16);
}

// Built from a 4- and a 2-byte access in registers: a 6-byte copy through memory would
// make every load wait for the stores before it.
inline __m128i Load6(const std::uint8_t* p) {
  std::uint32_t lo;
  std::uint16_t hi;
  std::memcpy(&lo, p, 4);
  std::memcpy(&hi, p + 4, 2);
  return _mm_cvtsi64_si128(std::int64_t(std::uint64_t(lo) | std::uint64_t(hi) << 32));
}
inline void Store6(std::uint8_t* p, __m128i v) {
  const std::uint64_t x = std::uint64_t(_mm_cvtsi128_si64(v));
  const std::uint32_t lo = std::uint32_t(x);
  const std::uint16_t hi = std::uint16_t(x >> 32);
  std::memcpy(p, &lo, 4);
  std::memcpy(p + 4, &hi, 2);
}

template <unsigned Bpp>
inline __m128i LoadPx(const std::uint8_t* p) {
  if constexpr (Bpp == 8) return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p));
  else if constexpr (Bpp == 6) return Load6(p);
  else if constexpr (Bpp == 4) return Load4(p);
  else return Load3(p);
}
template <unsigned Bpp>
inline void StorePx(std::uint8_t* p, __m128i v) {
  if constexpr (Bpp == 8) _mm_storel_epi64(reinterpret_cast<__m128i*>(p), v);
  else if constexpr (Bpp == 6) Store6(p, v);
  else if constexpr (Bpp == 4) Store4(p, v);
  else Store3(p, v);
}

template <unsigned Bpp>
void SubSse2(std::uint8_t* row, std::size_t len) {
  __m128i a = _mm_setzero_si128();
  std::size_t i = 0;
  if (Bpp == 4) {
    // Four pixels at a time: a prefix sum inside the register plus the carried pixel.
    for (; i + 16 <= len; i += 16) {
      __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + i));
      x = _mm_add_epi8(x, _mm_slli_si128(x, 4));
      x = _mm_add_epi8(x, _mm_slli_si128(x, 8));
      x = _mm_add_epi8(x, a);
      _mm_storeu_si128(reinterpret_cast<__m128i*>(row + i), x);
      a = _mm_shuffle_epi32(x, 0xFF);
    }
    a = _mm_cvtsi32_si128(_mm_cvtsi128_si32(a));
  } else if (Bpp == 8) {
    // Two pixels at a time, the same way.
    for (; i + 16 <= len; i += 16) {
      __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + i));
      x = _mm_add_epi8(_mm_add_epi8(x, _mm_slli_si128(x, 8)), a);
      _mm_storeu_si128(reinterpret_cast<__m128i*>(row + i), x);
      a = _mm_unpackhi_epi64(x, x);
    }
    a = _mm_move_epi64(a);
  }
  for (; i + Bpp <= len; i += Bpp) {
    a = _mm_add_epi8(LoadPx<Bpp>(row + i), a);
    StorePx<Bpp>(row + i, a);
  }
}

template <unsigned Bpp>
void AverageSse2(std::uint8_t* row, const std::uint8_t* prev, std::size_t len) {
  const __m128i one = _mm_set1_epi8(1);
  __m128i a = _mm_setzero_si128();
  std::size_t i = 0;
  for (; i + Bpp <= len; i += Bpp) {
    __m128i b = LoadPx<Bpp>(prev + i);
    // avg_epu8 rounds up; subtracting the lost low bit gives the floor average.
    __m128i avg = _mm_sub_epi8(_mm_avg_epu8(a, b), _mm_and_si128(_mm_xor_si128(a, b), one));
    a = _mm_add_epi8(LoadPx<Bpp>(row + i), avg);
    StorePx<Bpp>(row + i, a);
  }
}

inline __m128i Abs16(__m128i x) { return _mm_max_epi16(x, _mm_sub_epi16(_mm_setzero_si128(), x)); }
inline __m128i Select(__m128i mask, __m128i a, __m128i b) {
  return _mm_or_si128(_mm_and_si128(mask, a), _mm_andnot_si128(mask, b));
}

template <unsigned Bpp>
void PaethSse2(std::uint8_t* row, const std::uint8_t* prev, std::size_t len) {
  const __m128i zero = _mm_setzero_si128();
  __m128i a = zero, c = zero;  // left and upper left, 16-bit lanes
  std::size_t i = 0;
  for (; i + Bpp <= len; i += Bpp) {
    __m128i b = _mm_unpacklo_epi8(LoadPx<Bpp>(prev + i), zero);
    __m128i x = _mm_unpacklo_epi8(LoadPx<Bpp>(row + i), zero);
    __m128i bc = _mm_sub_epi16(b, c), ac = _mm_sub_epi16(a, c);
    __m128i pa = Abs16(bc), pb = Abs16(ac), pc = Abs16(_mm_add_epi16(bc, ac));
    __m128i m = _mm_min_epi16(_mm_min_epi16(pa, pb), pc);
    __m128i pred = Select(_mm_cmpeq_epi16(pb, m), b, c);
    pred = Select(_mm_cmpeq_epi16(pa, m), a, pred);
    a = _mm_and_si128(_mm_add_epi16(x, pred), _mm_set1_epi16(0xFF));
    StorePx<Bpp>(row + i, _mm_packus_epi16(a, a));
    c = b;
  }
}

#endif  // LB_PNG_SSE2

}  // namespace

// ---------------------------------------------------------------------------------------
// Unfilter

void Unfilter(std::uint8_t type, std::uint8_t* row, const std::uint8_t* prev, std::size_t len, unsigned bpp) {
  if (bpp == 0) bpp = 1;
#ifdef LB_PNG_SSE2
  const bool sse2 = Level() >= RowLevel::Sse2;
#endif
  switch (type) {
    case 1:
#ifdef LB_PNG_SSE2
      if (sse2 && bpp == 4) return SubSse2<4>(row, len);
      if (sse2 && bpp == 3) return SubSse2<3>(row, len);
      if (sse2 && bpp == 8) return SubSse2<8>(row, len);
      if (sse2 && bpp == 6) return SubSse2<6>(row, len);
#endif
      return SubScalar(row, len, bpp);
    case 2:
      return UpScalar(row, prev, len);
    case 3:
#ifdef LB_PNG_SSE2
      if (sse2 && bpp == 4) return AverageSse2<4>(row, prev, len);
      if (sse2 && bpp == 3) return AverageSse2<3>(row, prev, len);
      if (sse2 && bpp == 8) return AverageSse2<8>(row, prev, len);
      if (sse2 && bpp == 6) return AverageSse2<6>(row, prev, len);
#endif
      return AverageScalar(row, prev, len, bpp);
    case 4:
#ifdef LB_PNG_SSE2
      if (sse2 && bpp == 4) return PaethSse2<4>(row, prev, len);
      if (sse2 && bpp == 3) return PaethSse2<3>(row, prev, len);
      if (sse2 && bpp == 8) return PaethSse2<8>(row, prev, len);
      if (sse2 && bpp == 6) return PaethSse2<6>(row, prev, len);
#endif
      return PaethScalar(row, prev, len, bpp);
    default:
      return;
  }
}

// ---------------------------------------------------------------------------------------
// Sequential converters

namespace {


// Packed indexes of 1, 4 or 8 bits have the storage's own layout.
void CopyPacked1(const std::uint8_t* s, std::uint8_t* d, std::uint8_t*, std::uint32_t w, const std::uint8_t*) {
  std::memcpy(d, s, (std::size_t(w) + 7) / 8);
}
void CopyPacked4(const std::uint8_t* s, std::uint8_t* d, std::uint8_t*, std::uint32_t w, const std::uint8_t*) {
  std::memcpy(d, s, (std::size_t(w) + 1) / 2);
}
void CopyPacked8(const std::uint8_t* s, std::uint8_t* d, std::uint8_t*, std::uint32_t w, const std::uint8_t*) {
  std::memcpy(d, s, w);
}

// Two 2-bit samples per output byte; grey samples are widened to the 16-level table.
template <unsigned Scale>
void Widen2To4(const std::uint8_t* s, std::uint8_t* d, std::uint8_t*, std::uint32_t w, const std::uint8_t*) {
  for (std::uint32_t x = 0; x < w; ++x) SetPackedIndex(d, x, 4, PackedIndex(s, x, 2) * Scale);
}

void Grey16(const std::uint8_t* s, std::uint8_t* d, std::uint8_t*, std::uint32_t w, const std::uint8_t*) {
  for (std::uint32_t x = 0; x < w; ++x) d[x] = s[2 * x];
}

template <class G>
void Rgb8(const std::uint8_t* s, std::uint8_t* d, std::uint8_t*, std::uint32_t w, const std::uint8_t* g) {
  for (std::uint32_t x = 0; x < w; ++x, s += 3, d += 3) {
    std::uint8_t r = s[0], gr = s[1], b = s[2];
    d[0] = G::Map(g, b);
    d[1] = G::Map(g, gr);
    d[2] = G::Map(g, r);
  }
}

template <class G>
void Rgb16(const std::uint8_t* s, std::uint8_t* d, std::uint8_t*, std::uint32_t w, const std::uint8_t* g) {
  for (std::uint32_t x = 0; x < w; ++x, s += 6, d += 3) {
    d[0] = G::Map(g, s[4]);
    d[1] = G::Map(g, s[2]);
    d[2] = G::Map(g, s[0]);
  }
}

void GreyAlpha8(const std::uint8_t* s, std::uint8_t* d, std::uint8_t* a, std::uint32_t w, const std::uint8_t*) {
  for (std::uint32_t x = 0; x < w; ++x, s += 2) {
    d[x] = s[0];
    a[x] = s[1];
  }
}

void GreyAlpha16(const std::uint8_t* s, std::uint8_t* d, std::uint8_t* a, std::uint32_t w, const std::uint8_t*) {
  for (std::uint32_t x = 0; x < w; ++x, s += 4) {
    d[x] = s[0];
    a[x] = s[2];
  }
}

template <class G>
void Rgba8(const std::uint8_t* s, std::uint8_t* d, std::uint8_t* a, std::uint32_t w, const std::uint8_t* g) {
  std::uint32_t x = 0;
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
  if (std::is_same_v<G, Identity>) {
    // Whole words: four RGBA pixels become twelve BGR bytes and four alpha bytes.
    for (; x + 4 <= w; x += 4, s += 16, d += 12) {
      std::uint32_t p[4];
      std::memcpy(p, s, 16);
      std::uint32_t q0 = (p[0] >> 16 & 0xFF) | (p[0] & 0xFF00) | (p[0] & 0xFF) << 16 | (p[1] >> 16 & 0xFF) << 24;
      std::uint32_t q1 = (p[1] >> 8 & 0xFF) | (p[1] & 0xFF) << 8 | (p[2] >> 16 & 0xFF) << 16 | (p[2] >> 8 & 0xFF) << 24;
      std::uint32_t q2 = (p[2] & 0xFF) | (p[3] >> 16 & 0xFF) << 8 | (p[3] & 0xFF00) << 8 | (p[3] & 0xFF) << 24;
      std::memcpy(d, &q0, 4);
      std::memcpy(d + 4, &q1, 4);
      std::memcpy(d + 8, &q2, 4);
      std::uint32_t al = (p[0] >> 24) | (p[1] >> 24) << 8 | (p[2] >> 24) << 16 | (p[3] >> 24) << 24;
      std::memcpy(a + x, &al, 4);
    }
  }
#endif
  for (; x < w; ++x, s += 4, d += 3) {
    d[0] = G::Map(g, s[2]);
    d[1] = G::Map(g, s[1]);
    d[2] = G::Map(g, s[0]);
    a[x] = s[3];
  }
}

template <class G>
void Rgba16(const std::uint8_t* s, std::uint8_t* d, std::uint8_t* a, std::uint32_t w, const std::uint8_t* g) {
  for (std::uint32_t x = 0; x < w; ++x, s += 8, d += 3) {
    d[0] = G::Map(g, s[4]);
    d[1] = G::Map(g, s[2]);
    d[2] = G::Map(g, s[0]);
    a[x] = s[6];
  }
}

#ifdef LB_PNG_SSSE3
// Byte shuffles, chosen at run time when the processor has them. The 16-byte stores run
// ahead into the next pixels' bytes, which the following step or the scalar tail writes
// again, so they stop six pixels before the row's end.
__attribute__((target("ssse3"))) void Rgba8Ssse3(const std::uint8_t* s, std::uint8_t* d, std::uint8_t* a,
                                                 std::uint32_t w, const std::uint8_t*) {
  const __m128i toBgr = _mm_setr_epi8(2, 1, 0, 6, 5, 4, 10, 9, 8, 14, 13, 12, -1, -1, -1, -1);
  const __m128i toAlpha = _mm_setr_epi8(3, 7, 11, 15, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1);
  std::uint32_t x = 0;
  for (; x + 6 <= w; x += 4, s += 16, d += 12) {
    __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d), _mm_shuffle_epi8(v, toBgr));
    std::int32_t al = _mm_cvtsi128_si32(_mm_shuffle_epi8(v, toAlpha));
    std::memcpy(a + x, &al, 4);
  }
  for (; x < w; ++x, s += 4, d += 3) {
    d[0] = s[2];
    d[1] = s[1];
    d[2] = s[0];
    a[x] = s[3];
  }
}

__attribute__((target("ssse3"))) void Rgb8Ssse3(const std::uint8_t* s, std::uint8_t* d, std::uint8_t*,
                                                std::uint32_t w, const std::uint8_t*) {
  const __m128i swap = _mm_setr_epi8(2, 1, 0, 5, 4, 3, 8, 7, 6, 11, 10, 9, 14, 13, 12, 15);
  std::uint32_t x = 0;
  for (; x + 6 <= w; x += 5, s += 15, d += 15) {
    __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d), _mm_shuffle_epi8(v, swap));
  }
  for (; x < w; ++x, s += 3, d += 3) {
    std::uint8_t r = s[0];
    d[1] = s[1];
    d[0] = s[2];
    d[2] = r;
  }
}

bool HaveSsse3() { return Level() >= RowLevel::Ssse3; }
#endif

// ---------------------------------------------------------------------------------------
// Adam7 converters: the storage row was cleared, so packed samples are OR-ed in.

template <unsigned D, unsigned Scale>
void PassPacked(const std::uint8_t* s, std::uint8_t* d, std::uint8_t*, std::uint32_t first, std::uint32_t step,
                std::uint32_t count, const std::uint8_t*) {
  // D is the sample depth in the row; the storage holds 1-bit samples for D = 1, 4-bit
  // for D = 2 and 4, bytes for D = 8.
  constexpr unsigned kStore = D == 1 ? 1 : D == 8 ? 8 : 4;
  for (std::uint32_t i = 0, col = first; i < count; ++i, col += step)
    SetPackedIndex(d, col, kStore, PackedIndex(s, i, D) * Scale);
}

void PassGrey16(const std::uint8_t* s, std::uint8_t* d, std::uint8_t*, std::uint32_t first, std::uint32_t step,
                std::uint32_t count, const std::uint8_t*) {
  for (std::uint32_t i = 0, c = first; i < count; ++i, c += step) d[c] = s[2 * i];
}

template <class G, unsigned Bytes>
void PassRgb(const std::uint8_t* s, std::uint8_t* d, std::uint8_t*, std::uint32_t first, std::uint32_t step,
             std::uint32_t count, const std::uint8_t* g) {
  constexpr unsigned k = Bytes / 3;  // bytes per sample
  for (std::uint32_t i = 0, c = first; i < count; ++i, c += step, s += Bytes) {
    std::uint8_t* p = d + std::size_t(c) * 3;
    p[0] = G::Map(g, s[2 * k]);
    p[1] = G::Map(g, s[k]);
    p[2] = G::Map(g, s[0]);
  }
}

template <unsigned Bytes>
void PassGreyAlpha(const std::uint8_t* s, std::uint8_t* d, std::uint8_t* a, std::uint32_t first,
                   std::uint32_t step, std::uint32_t count, const std::uint8_t*) {
  for (std::uint32_t i = 0, c = first; i < count; ++i, c += step, s += Bytes) {
    d[c] = s[0];
    a[c] = s[Bytes / 2];
  }
}

template <class G, unsigned Bytes>
void PassRgba(const std::uint8_t* s, std::uint8_t* d, std::uint8_t* a, std::uint32_t first, std::uint32_t step,
              std::uint32_t count, const std::uint8_t* g) {
  constexpr unsigned k = Bytes / 4;
  for (std::uint32_t i = 0, c = first; i < count; ++i, c += step, s += Bytes) {
    std::uint8_t* p = d + std::size_t(c) * 3;
    p[0] = G::Map(g, s[2 * k]);
    p[1] = G::Map(g, s[k]);
    p[2] = G::Map(g, s[0]);
    a[c] = s[3 * k];
  }
}

#ifdef LB_PNG_SSSE3
// The last Adam7 pass holds half the pixels, every column of its rows: the sequential
// shuffles convert it in one run.
void PassRgba8Ssse3(const std::uint8_t* s, std::uint8_t* d, std::uint8_t* a, std::uint32_t first,
                    std::uint32_t step, std::uint32_t count, const std::uint8_t* g) {
  if (step == 1) return Rgba8Ssse3(s, d + std::size_t(first) * 3, a + first, count, g);
  PassRgba<Identity, 4>(s, d, a, first, step, count, g);
}

void PassRgb8Ssse3(const std::uint8_t* s, std::uint8_t* d, std::uint8_t* a, std::uint32_t first,
                   std::uint32_t step, std::uint32_t count, const std::uint8_t* g) {
  if (step == 1) return Rgb8Ssse3(s, d + std::size_t(first) * 3, a, count, g);
  PassRgb<Identity, 3>(s, d, a, first, step, count, g);
}
#endif

}  // namespace

// ---------------------------------------------------------------------------------------
// Selection

RowConverter PickRowConverter(TPngColorType colorType, unsigned d, bool identityGamma) {
  switch (colorType) {
    case Grey:
    case Palette:
      switch (d) {
        case 1: return CopyPacked1;
        case 2: return colorType == Grey ? Widen2To4<5> : Widen2To4<1>;
        case 4: return CopyPacked4;
        case 8: return CopyPacked8;
        case 16: return colorType == Grey ? Grey16 : nullptr;
      }
      return nullptr;
    case Rgb:
#ifdef LB_PNG_SSSE3
      if (d == 8 && identityGamma && HaveSsse3()) return Rgb8Ssse3;
#endif
      if (d == 8) return identityGamma ? Rgb8<Identity> : Rgb8<Mapped>;
      if (d == 16) return identityGamma ? Rgb16<Identity> : Rgb16<Mapped>;
      return nullptr;
    case GreyAlpha:
      if (d == 8) return GreyAlpha8;
      if (d == 16) return GreyAlpha16;
      return nullptr;
    case Rgba:
#ifdef LB_PNG_SSSE3
      if (d == 8 && identityGamma && HaveSsse3()) return Rgba8Ssse3;
#endif
      if (d == 8) return identityGamma ? Rgba8<Identity> : Rgba8<Mapped>;
      if (d == 16) return identityGamma ? Rgba16<Identity> : Rgba16<Mapped>;
      return nullptr;
  }
  return nullptr;
}

PassConverter PickPassConverter(TPngColorType colorType, unsigned d, bool identityGamma) {
  switch (colorType) {
    case Grey:
    case Palette:
      switch (d) {
        case 1: return PassPacked<1, 1>;
        case 2: return colorType == Grey ? PassPacked<2, 5> : PassPacked<2, 1>;
        case 4: return PassPacked<4, 1>;
        case 8: return PassPacked<8, 1>;
        case 16: return colorType == Grey ? PassGrey16 : nullptr;
      }
      return nullptr;
    case Rgb:
#ifdef LB_PNG_SSSE3
      if (d == 8 && identityGamma && HaveSsse3()) return PassRgb8Ssse3;
#endif
      if (d == 8) return identityGamma ? PassRgb<Identity, 3> : PassRgb<Mapped, 3>;
      if (d == 16) return identityGamma ? PassRgb<Identity, 6> : PassRgb<Mapped, 6>;
      return nullptr;
    case GreyAlpha:
      if (d == 8) return PassGreyAlpha<2>;
      if (d == 16) return PassGreyAlpha<4>;
      return nullptr;
    case Rgba:
#ifdef LB_PNG_SSSE3
      if (d == 8 && identityGamma && HaveSsse3()) return PassRgba8Ssse3;
#endif
      if (d == 8) return identityGamma ? PassRgba<Identity, 4> : PassRgba<Mapped, 4>;
      if (d == 16) return identityGamma ? PassRgba<Identity, 8> : PassRgba<Mapped, 8>;
      return nullptr;
  }
  return nullptr;
}

}  // namespace pngrow
