// The row kernels of the straight-alpha blend per instruction-set level. Every level
// computes exactly BlendChannel for each colour byte and leaves the fourth byte alone;
// alpha 0 and alpha 255 need no arithmetic at all, which the vector levels use for whole
// steps (icons are mostly such runs).
//
// Sections: scalar / SSE2 (4 pixels a step) / AVX2 (8 pixels a step) / level selection.
//
// Each level pays for itself on photograph-like and on icon-like alpha (bench_blend). There
// is no 512-bit level: at about 1.7 times the time of a plain 32-bit copy of the same
// pixels the AVX2 level leaves little to win, and a level the test machines cannot run
// goes untested.
#include "platform/gdi/blendkernels.h"

#include <algorithm>
#include <cstring>

// The wider levels fall back on the SSE2 one for row ends, so they need it as the base.
#if (defined(__x86_64__) || defined(__i386__)) && defined(__SSE2__)
#define LB_BLEND_X86 1
#include <immintrin.h>
#else
#define LB_BLEND_X86 0
#endif

namespace gdi {

namespace {

// The blend of one channel; every kernel of every level gives exactly this.
inline std::uint8_t BlendChannel(unsigned a, unsigned s, unsigned old) {
  return std::uint8_t((a * s + (255 - a) * old + 255) >> 8);
}

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

constexpr BlendKernels kScalar{RgbScalar, GreyScalar, IndexedScalar};

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

constexpr BlendKernels kSse2{RgbSse2, GreySse2, IndexedSse2};

#endif  // __SSE2__

#if LB_BLEND_X86

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

constexpr BlendKernels kAvx2{RgbAvx2, GreyAvx2, IndexedAvx2};

#endif  // LB_BLEND_X86

}  // namespace

bool LevelAvailable(BlendLevel level) {
  switch (level) {
    case BlendLevel::Scalar: return true;
#if defined(__SSE2__)
    case BlendLevel::Sse2: return true;
#endif
#if LB_BLEND_X86
    case BlendLevel::Avx2: {
      static const bool have = __builtin_cpu_supports("avx2");
      return have;
    }
#endif
    default: return false;
  }
}

const BlendKernels& KernelsFor(BlendLevel level) {
  if (!LevelAvailable(level)) return kScalar;
  switch (level) {
#if defined(__SSE2__)
    case BlendLevel::Sse2: return kSse2;
#endif
#if LB_BLEND_X86
    case BlendLevel::Avx2: return kAvx2;
#endif
    default: return kScalar;
  }
}

BlendLevel BestLevel() {
  for (BlendLevel l : {BlendLevel::Avx2, BlendLevel::Sse2})
    if (LevelAvailable(l)) return l;
  return BlendLevel::Scalar;
}

}  // namespace gdi
