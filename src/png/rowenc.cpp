// Encoder rows: packers from the storage back into PNG samples (one per storage layout,
// all taking a column start and step so the Adam7 passes use them too), and the scanline
// filters with the cost that picks one per row (SSE2 over 16 bytes, scalar otherwise).
//
// Sections: written depth / packers / selection of a packer / filters.
#include "png/rowenc.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <type_traits>

#include "platform/gdi/packed.h"
#include "png/rowconv.h"

namespace pngrow {

// ---------------------------------------------------------------------------------------
// Written depth

unsigned WrittenBitDepth(TPngColorType colorType, unsigned bitDepth) {
  return colorType == TPngColorType::GreyAlpha && bitDepth < 8 ? 8 : bitDepth;
}

// ---------------------------------------------------------------------------------------
// Packers

namespace {

// Indexes whose written depth is the storage's own (1, 4 or 8 bits).
template <unsigned Bits>
void PackIndexes(const std::uint8_t* s, const std::uint8_t*, std::uint8_t* out, std::uint32_t first,
                 std::uint32_t step, std::uint32_t count, const std::uint8_t*) {
  std::size_t bytes = (std::size_t(count) * Bits + 7) / 8;
  if (first == 0 && step == 1) {
    std::memcpy(out, s, bytes);
    // The storage may hold anything past the last pixel; the file gets zeros there.
    unsigned rem = unsigned(std::size_t(count) * Bits % 8);
    if (rem) out[bytes - 1] = std::uint8_t(out[bytes - 1] & (0xFF << (8 - rem)));
    return;
  }
  if (Bits == 8) {
    for (std::uint32_t i = 0, x = first; i < count; ++i, x += step) out[i] = s[x];
    return;
  }
  std::memset(out, 0, bytes);
  for (std::uint32_t i = 0, x = first; i < count; ++i, x += step) SetPackedIndex(out, i, Bits, PackedIndex(s, x, Bits));
}

// Two-bit samples from the 4-bit storage. Grey levels were widened by 5 (0, 5, 10, 15 for
// 0..3), so the nearest 2-bit sample is (v + 2) / 5; palette indexes beyond 3 cannot be
// written at this depth and become the last one it can address.
template <bool Grey>
void PackTwoBit(const std::uint8_t* s, const std::uint8_t*, std::uint8_t* out, std::uint32_t first,
                std::uint32_t step, std::uint32_t count, const std::uint8_t*) {
  std::memset(out, 0, (std::size_t(count) * 2 + 7) / 8);
  for (std::uint32_t i = 0, x = first; i < count; ++i, x += step) {
    unsigned v = PackedIndex(s, x, 4);
    SetPackedIndex(out, i, 2, Grey ? (v + 2) / 5 : std::min(v, 3u));
  }
}

// 16-bit samples from stored bytes: v * 257 keeps the byte as the high byte and spreads it
// over the full range.
void PackGrey16(const std::uint8_t* s, const std::uint8_t*, std::uint8_t* out, std::uint32_t first,
                std::uint32_t step, std::uint32_t count, const std::uint8_t*) {
  for (std::uint32_t i = 0, x = first; i < count; ++i, x += step) out[2 * i] = out[2 * i + 1] = s[x];
}

void PackGreyAlpha8(const std::uint8_t* s, const std::uint8_t* a, std::uint8_t* out, std::uint32_t first,
                    std::uint32_t step, std::uint32_t count, const std::uint8_t*) {
  for (std::uint32_t i = 0, x = first; i < count; ++i, x += step) {
    out[2 * i] = s[x];
    out[2 * i + 1] = a[x];
  }
}

void PackGreyAlpha16(const std::uint8_t* s, const std::uint8_t* a, std::uint8_t* out, std::uint32_t first,
                     std::uint32_t step, std::uint32_t count, const std::uint8_t*) {
  for (std::uint32_t i = 0, x = first; i < count; ++i, x += step) {
    out[4 * i] = out[4 * i + 1] = s[x];
    out[4 * i + 2] = out[4 * i + 3] = a[x];
  }
}

// Grey with alpha over a 1- or 4-bit storage: the grey level the index stands for, at 8 bits.
template <unsigned Bits>
void PackLowGreyAlpha(const std::uint8_t* s, const std::uint8_t* a, std::uint8_t* out, std::uint32_t first,
                      std::uint32_t step, std::uint32_t count, const std::uint8_t*) {
  for (std::uint32_t i = 0, x = first; i < count; ++i, x += step) {
    unsigned v = PackedIndex(s, x, Bits);
    out[2 * i] = std::uint8_t(Bits == 1 ? v * 255 : v * 17);
    out[2 * i + 1] = a[x];
  }
}

#ifdef LB_PNG_SSSE3
bool HaveSsse3() { return CurrentRowLevel() >= RowLevel::Ssse3; }

// Whole rows of BGR storage. The 16-byte loads and stores reach up to six bytes past the
// pixels of one step, so the vector loop stops six pixels before the row's end.
__attribute__((target("ssse3"))) std::uint32_t RgbRowSsse3(const std::uint8_t* s, std::uint8_t* out,
                                                           std::uint32_t count) {
  const __m128i swap = _mm_setr_epi8(2, 1, 0, 5, 4, 3, 8, 7, 6, 11, 10, 9, 14, 13, 12, 15);
  std::uint32_t x = 0;
  for (; x + 6 <= count; x += 5) {
    __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 3 * std::size_t(x)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 3 * std::size_t(x)), _mm_shuffle_epi8(v, swap));
  }
  return x;
}

__attribute__((target("ssse3"))) std::uint32_t RgbaRowSsse3(const std::uint8_t* s, const std::uint8_t* a,
                                                            std::uint8_t* out, std::uint32_t count) {
  const __m128i toRgb = _mm_setr_epi8(2, 1, 0, -1, 5, 4, 3, -1, 8, 7, 6, -1, 11, 10, 9, -1);
  const __m128i toAlpha = _mm_setr_epi8(-1, -1, -1, 0, -1, -1, -1, 1, -1, -1, -1, 2, -1, -1, -1, 3);
  std::uint32_t x = 0;
  for (; x + 6 <= count; x += 4) {
    __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 3 * std::size_t(x)));
    std::int32_t al;
    std::memcpy(&al, a + x, 4);
    __m128i px = _mm_or_si128(_mm_shuffle_epi8(v, toRgb), _mm_shuffle_epi8(_mm_cvtsi32_si128(al), toAlpha));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 4 * std::size_t(x)), px);
  }
  return x;
}
#endif

template <class G>
void PackRgb8(const std::uint8_t* s, const std::uint8_t*, std::uint8_t* out, std::uint32_t first,
              std::uint32_t step, std::uint32_t count, const std::uint8_t* g) {
  std::uint32_t i = 0;
#ifdef LB_PNG_SSSE3
  if (std::is_same_v<G, Identity> && step == 1 && HaveSsse3()) i = RgbRowSsse3(s + 3 * std::size_t(first), out, count);
#endif
  for (std::uint32_t x = first + i * step; i < count; ++i, x += step) {
    const std::uint8_t* p = s + std::size_t(x) * 3;
    out[3 * i] = G::Map(g, p[2]);
    out[3 * i + 1] = G::Map(g, p[1]);
    out[3 * i + 2] = G::Map(g, p[0]);
  }
}

template <class G>
void PackRgb16(const std::uint8_t* s, const std::uint8_t*, std::uint8_t* out, std::uint32_t first,
               std::uint32_t step, std::uint32_t count, const std::uint8_t* g) {
  for (std::uint32_t i = 0, x = first; i < count; ++i, x += step) {
    const std::uint8_t* p = s + std::size_t(x) * 3;
    std::uint8_t* o = out + 6 * std::size_t(i);
    o[0] = o[1] = G::Map(g, p[2]);
    o[2] = o[3] = G::Map(g, p[1]);
    o[4] = o[5] = G::Map(g, p[0]);
  }
}

template <class G>
void PackRgba8(const std::uint8_t* s, const std::uint8_t* a, std::uint8_t* out, std::uint32_t first,
               std::uint32_t step, std::uint32_t count, const std::uint8_t* g) {
  std::uint32_t i = 0;
#ifdef LB_PNG_SSSE3
  if (std::is_same_v<G, Identity> && step == 1 && HaveSsse3())
    i = RgbaRowSsse3(s + 3 * std::size_t(first), a + first, out, count);
#endif
  for (std::uint32_t x = first + i * step; i < count; ++i, x += step) {
    const std::uint8_t* p = s + std::size_t(x) * 3;
    out[4 * i] = G::Map(g, p[2]);
    out[4 * i + 1] = G::Map(g, p[1]);
    out[4 * i + 2] = G::Map(g, p[0]);
    out[4 * i + 3] = a[x];
  }
}

template <class G>
void PackRgba16(const std::uint8_t* s, const std::uint8_t* a, std::uint8_t* out, std::uint32_t first,
                std::uint32_t step, std::uint32_t count, const std::uint8_t* g) {
  for (std::uint32_t i = 0, x = first; i < count; ++i, x += step) {
    const std::uint8_t* p = s + std::size_t(x) * 3;
    std::uint8_t* o = out + 8 * std::size_t(i);
    o[0] = o[1] = G::Map(g, p[2]);
    o[2] = o[3] = G::Map(g, p[1]);
    o[4] = o[5] = G::Map(g, p[0]);
    o[6] = o[7] = a[x];
  }
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Selection of a packer

RowPacker PickRowPacker(TPngColorType colorType, unsigned d, unsigned bits, bool identityGamma) {
  switch (colorType) {
    using enum TPngColorType;
    case Grey:
    case Palette:
      if (d == bits && d == 1) return PackIndexes<1>;
      if (d == bits && d == 4) return PackIndexes<4>;
      if (d == bits && d == 8) return PackIndexes<8>;
      if (d == 2 && bits == 4) return colorType == Grey ? PackTwoBit<true> : PackTwoBit<false>;
      if (d == 16 && bits == 8 && colorType == Grey) return PackGrey16;
      return nullptr;
    case Rgb:
      if (bits != 24) return nullptr;
      if (d == 8) return identityGamma ? PackRgb8<Identity> : PackRgb8<Mapped>;
      if (d == 16) return identityGamma ? PackRgb16<Identity> : PackRgb16<Mapped>;
      return nullptr;
    case GreyAlpha:
      if (d == 8 && bits == 8) return PackGreyAlpha8;
      if (d == 16 && bits == 8) return PackGreyAlpha16;
      if (d == 8 && bits == 1) return PackLowGreyAlpha<1>;
      if (d == 8 && bits == 4) return PackLowGreyAlpha<4>;
      return nullptr;
    case Rgba:
      if (bits != 24) return nullptr;
      if (d == 8) return identityGamma ? PackRgba8<Identity> : PackRgba8<Mapped>;
      if (d == 16) return identityGamma ? PackRgba16<Identity> : PackRgba16<Mapped>;
      return nullptr;
  }
  return nullptr;
}

// ---------------------------------------------------------------------------------------
// Filters. Encoding reads raw rows only, so every byte is independent of the others and
// a whole register of bytes is filtered at once, whatever the pixel size.

namespace {

inline unsigned Cost(std::uint8_t v) { return v < 128 ? v : 256u - v; }

inline int PaethPredictor(int a, int b, int c) {
  int pa = std::abs(b - c), pb = std::abs(a - c), pc = std::abs(a + b - 2 * c);
  if (pa <= pb && pa <= pc) return a;
  return pb <= pc ? b : c;
}

template <unsigned Type>
inline std::uint8_t Predict(int a, int b, int c) {
  switch (Type) {
    case 1: return std::uint8_t(a);
    case 2: return std::uint8_t(b);
    case 3: return std::uint8_t((a + b) >> 1);
    default: return std::uint8_t(PaethPredictor(a, b, c));
  }
}

#ifdef LB_PNG_SSE2
inline __m128i Abs16(__m128i x) { return _mm_max_epi16(x, _mm_sub_epi16(_mm_setzero_si128(), x)); }
inline __m128i Select(__m128i mask, __m128i a, __m128i b) {
  return _mm_or_si128(_mm_and_si128(mask, a), _mm_andnot_si128(mask, b));
}
// Paeth predictor of eight pixels' bytes in 16-bit lanes.
inline __m128i Paeth16(__m128i a, __m128i b, __m128i c) {
  __m128i bc = _mm_sub_epi16(b, c), ac = _mm_sub_epi16(a, c);
  __m128i pa = Abs16(bc), pb = Abs16(ac), pc = Abs16(_mm_add_epi16(bc, ac));
  __m128i m = _mm_min_epi16(_mm_min_epi16(pa, pb), pc);
  __m128i pred = Select(_mm_cmpeq_epi16(pb, m), b, c);
  return Select(_mm_cmpeq_epi16(pa, m), a, pred);
}
#endif

template <unsigned Type, bool WithCost>
std::uint64_t Filter(const std::uint8_t* row, const std::uint8_t* prev, std::uint8_t* out, std::size_t len,
                     unsigned bpp) {
  std::uint64_t cost = 0;
  std::size_t i = 0;
  // Bytes of the first pixel have nothing on their left.
  for (std::size_t head = std::min<std::size_t>(bpp, len); i < head; ++i) {
    out[i] = std::uint8_t(row[i] - Predict<Type>(0, prev[i], 0));
    if (WithCost) cost += Cost(out[i]);
  }
#ifdef LB_PNG_SSE2
  const __m128i zero = _mm_setzero_si128();
  __m128i acc = zero;
  const std::size_t vectorEnd = CurrentRowLevel() >= RowLevel::Sse2 ? len : 0;
  for (; i + 16 <= vectorEnd; i += 16) {
    __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + i));
    __m128i pred;
    if (Type == 1) {
      pred = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + i - bpp));
    } else if (Type == 2) {
      pred = _mm_loadu_si128(reinterpret_cast<const __m128i*>(prev + i));
    } else if (Type == 3) {
      __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + i - bpp));
      __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(prev + i));
      // avg_epu8 rounds up; taking away the lost low bit gives the floor.
      pred = _mm_sub_epi8(_mm_avg_epu8(a, b), _mm_and_si128(_mm_xor_si128(a, b), _mm_set1_epi8(1)));
    } else {
      __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + i - bpp));
      __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(prev + i));
      __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(prev + i - bpp));
      __m128i lo = Paeth16(_mm_unpacklo_epi8(a, zero), _mm_unpacklo_epi8(b, zero), _mm_unpacklo_epi8(c, zero));
      __m128i hi = Paeth16(_mm_unpackhi_epi8(a, zero), _mm_unpackhi_epi8(b, zero), _mm_unpackhi_epi8(c, zero));
      pred = _mm_packus_epi16(lo, hi);
    }
    __m128i v = _mm_sub_epi8(x, pred);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), v);
    if (WithCost) acc = _mm_add_epi64(acc, _mm_sad_epu8(_mm_min_epu8(v, _mm_sub_epi8(zero, v)), zero));
  }
  if (WithCost) {
    std::uint64_t lanes[2];
    std::memcpy(lanes, &acc, 16);
    cost += lanes[0] + lanes[1];
  }
#endif
  for (; i < len; ++i) {
    out[i] = std::uint8_t(row[i] - Predict<Type>(row[i - bpp], prev[i], prev[i - bpp]));
    if (WithCost) cost += Cost(out[i]);
  }
  return cost;
}

template <bool WithCost>
std::uint64_t Dispatch(unsigned type, const std::uint8_t* row, const std::uint8_t* prev, std::uint8_t* out,
                       std::size_t len, unsigned bpp) {
  if (bpp == 0) bpp = 1;
  switch (type) {
    case 1: return Filter<1, WithCost>(row, prev, out, len, bpp);
    case 2: return Filter<2, WithCost>(row, prev, out, len, bpp);
    case 3: return Filter<3, WithCost>(row, prev, out, len, bpp);
    case 4: return Filter<4, WithCost>(row, prev, out, len, bpp);
    default:
      if (len) std::memcpy(out, row, len);
      return WithCost ? RowCost(row, len) : 0;
  }
}

}  // namespace

void FilterRow(unsigned type, const std::uint8_t* row, const std::uint8_t* prev, std::uint8_t* out,
               std::size_t len, unsigned bpp) {
  Dispatch<false>(type, row, prev, out, len, bpp);
}

std::uint64_t FilterRowCost(unsigned type, const std::uint8_t* row, const std::uint8_t* prev, std::uint8_t* out,
                            std::size_t len, unsigned bpp) {
  return Dispatch<true>(type, row, prev, out, len, bpp);
}

std::uint64_t RowCost(const std::uint8_t* row, std::size_t len) {
  std::uint64_t cost = 0;
  std::size_t i = 0;
#ifdef LB_PNG_SSE2
  const __m128i zero = _mm_setzero_si128();
  __m128i acc = zero;
  const std::size_t vectorEnd = CurrentRowLevel() >= RowLevel::Sse2 ? len : 0;
  for (; i + 16 <= vectorEnd; i += 16) {
    __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + i));
    acc = _mm_add_epi64(acc, _mm_sad_epu8(_mm_min_epu8(v, _mm_sub_epi8(zero, v)), zero));
  }
  std::uint64_t lanes[2];
  std::memcpy(lanes, &acc, 16);
  cost = lanes[0] + lanes[1];
#endif
  for (; i < len; ++i) cost += Cost(row[i]);
  return cost;
}

}  // namespace pngrow
