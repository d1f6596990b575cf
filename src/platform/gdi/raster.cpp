// The raster engine: every blit, pattern fill and DIB transfer ends here. It works row by
// row on pixel values of the destination format, applies the ternary raster operation
// bitwise, and takes straight memory paths for plain copies between equal formats.
//
// Sections: pixel conversion / raster operations by row / coordinates, copies and
// pattern rows / SIMD row copies between 24 and 32 bits / straight copies / Raster, the
// engine / patterns and brush fills.
#include <algorithm>
#include <cstring>
#include <cstdlib>
#include <memory>
#include <new>

#include "platform/gdi/dc_internal.h"

#if defined(__x86_64__) || defined(__i386__)
#define LB_GDI_X86 1
#include <immintrin.h>
#else
#define LB_GDI_X86 0
#endif

namespace gdi {

namespace {

// Turns source pixel values into destination pixel values.
class Converter {
 public:
  Converter(const GdiBitmap& src, const GdiBitmap& dst, const Source& rules) : dst_(dst) {
    if (IsIndexed(src)) {
      kind_ = Kind::Lut;
      std::size_t n = std::size_t(1) << src.bitsPerPixel;
      lut_.resize(n);
      bool sameIndexes = (src.bitsPerPixel == 1 && dst.bitsPerPixel == 1) ||
                         (src.bitsPerPixel == dst.bitsPerPixel &&
                          std::equal(src.colorTable.begin(), src.colorTable.end(), dst.colorTable.begin(),
                                     dst.colorTable.end(), [](const RGBQUAD& a, const RGBQUAD& b) {
                                       return a.rgbRed == b.rgbRed && a.rgbGreen == b.rgbGreen &&
                                              a.rgbBlue == b.rgbBlue;
                                     }));
      identity_ = sameIndexes;
      for (std::size_t i = 0; i < n; ++i) {
        if (sameIndexes) {
          lut_[i] = u32(i);
        } else if (rules.dcRules && IsDeviceMono(src) && dst.bitsPerPixel != 1) {
          lut_[i] = ColorToValue(dst, i == 0 ? rules.dstText : rules.dstBk);
        } else {
          COLORREF c = 0;
          if (i < src.colorTable.size()) {
            const RGBQUAD& q = src.colorTable[i];
            c = RGB(q.rgbRed, q.rgbGreen, q.rgbBlue);
          }
          if (rules.dcRules && IsDeviceMono(dst))
            lut_[i] = c == (ColorToRGB(rules.srcBk) & 0xFFFFFF) ? 1 : 0;
          else
            lut_[i] = ColorToValue(dst, c);
        }
      }
    } else if (!IsIndexed(dst)) {
      kind_ = Kind::Raw;
      identity_ = true;
    } else if (rules.dcRules && IsDeviceMono(dst)) {
      kind_ = Kind::ToMono;
      monoBk_ = RgbToValue(ColorToRGB(rules.srcBk) & 0xFFFFFF);
    } else {
      kind_ = Kind::Nearest;
    }
  }

  // True when values pass unchanged (a plain copy may move memory).
  bool Identity() const { return identity_; }
  bool Raw() const { return kind_ == Kind::Raw; }

  void Convert(u32* v, int n) {
    switch (kind_) {
      case Kind::Raw: break;
      case Kind::Lut:
        if (!identity_)
          for (int i = 0; i < n; ++i) v[i] = lut_[v[i] & (lut_.size() - 1)];
        break;
      case Kind::ToMono:
        for (int i = 0; i < n; ++i) v[i] = (v[i] & 0xFFFFFF) == monoBk_ ? 1 : 0;
        break;
      case Kind::Nearest:
        for (int i = 0; i < n; ++i) {
          u32 rgb = v[i] & 0xFFFFFF;
          if (!haveLast_ || rgb != lastIn_) {
            lastIn_ = rgb;
            lastOut_ = NearestIndex(dst_.colorTable, ValueToRgb(rgb)) & ValueMask(dst_);
            haveLast_ = true;
          }
          v[i] = lastOut_;
        }
        break;
    }
  }

 private:
  enum class Kind { Raw, Lut, ToMono, Nearest };
  const GdiBitmap& dst_;
  Kind kind_ = Kind::Raw;
  bool identity_ = false;
  std::vector<u32> lut_;
  u32 monoBk_ = 0;
  bool haveLast_ = false;
  u32 lastIn_ = 0, lastOut_ = 0;
};

inline u32 Rop3(BYTE r, u32 p, u32 s, u32 d) {
  u32 res = 0;
  if (r & 0x01) res |= ~p & ~s & ~d;
  if (r & 0x02) res |= ~p & ~s & d;
  if (r & 0x04) res |= ~p & s & ~d;
  if (r & 0x08) res |= ~p & s & d;
  if (r & 0x10) res |= p & ~s & ~d;
  if (r & 0x20) res |= p & ~s & d;
  if (r & 0x40) res |= p & s & ~d;
  if (r & 0x80) res |= p & s & d;
  return res;
}

template <class F>
void RowLoop(const u32* p, const u32* s, const u32* d, u32* out, int n, u32 m, F f) {
  for (int i = 0; i < n; ++i) out[i] = f(p[i], s[i], d[i]) & m;
}

// One row of a single raster operation; the common codes get their own loops.
void ApplyRow(BYTE r, const u32* p, const u32* s, const u32* d, u32* out, int n, u32 m) {
  switch (r) {
    case 0xCC: std::memcpy(out, s, std::size_t(n) * 4); return;  // keeps the fourth byte
    case 0xAA: std::memcpy(out, d, std::size_t(n) * 4); return;
    case 0x88: RowLoop(p, s, d, out, n, m, [](u32, u32 S, u32 D) { return S & D; }); return;
    case 0xEE: RowLoop(p, s, d, out, n, m, [](u32, u32 S, u32 D) { return S | D; }); return;
    case 0x66: RowLoop(p, s, d, out, n, m, [](u32, u32 S, u32 D) { return S ^ D; }); return;
    case 0x44: RowLoop(p, s, d, out, n, m, [](u32, u32 S, u32 D) { return S & ~D; }); return;
    case 0x22: RowLoop(p, s, d, out, n, m, [](u32, u32 S, u32 D) { return ~S & D; }); return;
    case 0x33: RowLoop(p, s, d, out, n, m, [](u32, u32 S, u32) { return ~S; }); return;
    case 0x11: RowLoop(p, s, d, out, n, m, [](u32, u32 S, u32 D) { return ~(S | D); }); return;
    case 0xC0: RowLoop(p, s, d, out, n, m, [](u32 P, u32 S, u32) { return P & S; }); return;
    case 0xBB: RowLoop(p, s, d, out, n, m, [](u32, u32 S, u32 D) { return ~S | D; }); return;
    case 0xF0: RowLoop(p, s, d, out, n, m, [](u32 P, u32, u32) { return P; }); return;
    case 0x5A: RowLoop(p, s, d, out, n, m, [](u32 P, u32, u32 D) { return P ^ D; }); return;
    case 0x55: RowLoop(p, s, d, out, n, m, [](u32, u32, u32 D) { return ~D; }); return;
    case 0x00: std::fill(out, out + n, 0u); return;
    case 0xFF: std::fill(out, out + n, m); return;
    default: RowLoop(p, s, d, out, n, m, [r](u32 P, u32 S, u32 D) { return Rop3(r, P, S, D); }); return;
  }
}

std::int64_t MapCoord(std::int64_t i, std::int64_t dstLen, std::int64_t srcStart, std::int64_t srcLen, bool mirror) {
  std::int64_t off = (i * srcLen) / dstLen;
  return mirror ? srcStart + srcLen - 1 - off : srcStart + off;
}

std::unique_ptr<GdiBitmap> CopyOf(const GdiBitmap& b) {
  auto c = std::make_unique<GdiBitmap>();
  c->width = b.width;
  c->height = b.height;
  c->bitsPerPixel = b.bitsPerPixel;
  c->stride = b.stride;
  c->topDown = b.topDown;
  c->isDib = b.isDib;
  c->colorTable = b.colorTable;
  std::size_t bytes = std::size_t(b.stride) * std::size_t(b.height);
  c->storage.reset(static_cast<BYTE*>(std::malloc(bytes)));
  if (!c->storage) throw std::bad_alloc();
  std::memcpy(c->storage.get(), b.bits, bytes);
  c->bits = c->storage.get();
  return c;
}

void FillPatternRow(const Pattern& pat, int y, int x0, int n, u32* out) {
  if (pat.w == 1 && pat.h == 1) {
    std::fill(out, out + n, pat.tile[0]);
    return;
  }
  int px = int((std::int64_t(x0) - pat.orgX) % pat.w);
  if (px < 0) px += pat.w;
  int py = int((std::int64_t(y) - pat.orgY) % pat.h);
  if (py < 0) py += pat.h;
  const u32* row = pat.tile.data() + std::size_t(py) * pat.w;
  for (int i = 0; i < n; ++i) {
    out[i] = row[px];
    if (++px == pat.w) px = 0;
  }
}

#if LB_GDI_X86
bool HaveSsse3() {
  static const bool have = __builtin_cpu_supports("ssse3");
  return have;
}

// Widens 24-bit pixels sixteen at a time: three 16-byte loads, realigned and shuffled into
// four 16-byte stores. Returns how many pixels it did (a multiple of 16).
__attribute__((target("ssse3"))) int Row24To32Ssse3(const BYTE* p, BYTE* q, int n) {
  const __m128i shuffle = _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
  int i = 0;
  for (; i + 16 <= n; i += 16, p += 48, q += 64) {
    __m128i v0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    __m128i v1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16));
    __m128i v2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 32));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(q), _mm_shuffle_epi8(v0, shuffle));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(q + 16), _mm_shuffle_epi8(_mm_alignr_epi8(v1, v0, 12), shuffle));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(q + 32), _mm_shuffle_epi8(_mm_alignr_epi8(v2, v1, 8), shuffle));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(q + 48), _mm_shuffle_epi8(_mm_srli_si128(v2, 4), shuffle));
  }
  return i;
}

// Narrows 32-bit pixels sixteen at a time: four loads, each packed to 12 bytes, joined
// into three 16-byte stores. Returns how many pixels it did (a multiple of 16).
__attribute__((target("ssse3"))) int Row32To24Ssse3(const BYTE* p, BYTE* q, int n) {
  const __m128i pack = _mm_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1);
  int i = 0;
  for (; i + 16 <= n; i += 16, p += 64, q += 48) {
    __m128i a = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), pack);
    __m128i b = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16)), pack);
    __m128i c = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 32)), pack);
    __m128i d = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 48)), pack);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(q), _mm_or_si128(a, _mm_slli_si128(b, 12)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(q + 16), _mm_or_si128(_mm_srli_si128(b, 4), _mm_slli_si128(c, 8)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(q + 32), _mm_or_si128(_mm_srli_si128(c, 8), _mm_slli_si128(d, 4)));
  }
  return i;
}
#endif

// Copies n bytes between rows that do not overlap. The C library's copy picks a string
// instruction for rows of a few kilobytes, and on some processors that instruction slows
// down several times when source and destination differ in alignment (a copy shifted by
// one pixel); plain vector moves keep their speed at any alignment.
void CopyRowBytes(BYTE* d, const BYTE* s, std::size_t n) {
#if defined(__SSE2__)
  if (n >= 128) {
    // The first 16 bytes go unaligned; the rest are stored at aligned addresses.
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d), _mm_loadu_si128(reinterpret_cast<const __m128i*>(s)));
    std::size_t head = 16 - (reinterpret_cast<std::uintptr_t>(d) & 15);
    std::size_t i = head;
    for (; i + 64 <= n; i += 64) {
      __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
      __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i + 16));
      __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i + 32));
      __m128i e = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i + 48));
      _mm_store_si128(reinterpret_cast<__m128i*>(d + i), a);
      _mm_store_si128(reinterpret_cast<__m128i*>(d + i + 16), b);
      _mm_store_si128(reinterpret_cast<__m128i*>(d + i + 32), c);
      _mm_store_si128(reinterpret_cast<__m128i*>(d + i + 48), e);
    }
    for (; i + 16 <= n; i += 16)
      _mm_store_si128(reinterpret_cast<__m128i*>(d + i), _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i)));
    // The last 16 bytes, overlapping what is already done.
    const __m128i tail = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + n - 16));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d + n - 16), tail);
    return;
  }
#endif
  std::memcpy(d, s, n);
}

// Straight copies between equal or 24/32-bit formats; false when the row needs the engine.
// `apart` tells that source and destination rows cannot overlap.
bool PlainCopyRow(const GdiBitmap& src, int sy, int sx, GdiBitmap& dst, int dy, int dx, int n, bool identity,
                  bool apart) {
  int sb = src.bitsPerPixel, db = dst.bitsPerPixel;
  const BYTE* s = src.Row(sy);
  BYTE* d = dst.Row(dy);
  if (identity && sb == db && sb >= 8) {
    BYTE* to = d + std::ptrdiff_t(dx) * (db / 8);
    const BYTE* from = s + std::ptrdiff_t(sx) * (sb / 8);
    std::size_t bytes = std::size_t(n) * std::size_t(db / 8);
    if (apart) CopyRowBytes(to, from, bytes);
    else std::memmove(to, from, bytes);
    return true;
  }
  if (sb == 24 && db == 32) {
    const BYTE* p = s + std::ptrdiff_t(sx) * 3;
    BYTE* q = d + std::ptrdiff_t(dx) * 4;
    int i = 0;
#if LB_GDI_X86
    if (HaveSsse3()) {
      i = Row24To32Ssse3(p, q, n);
      p += std::ptrdiff_t(i) * 3;
      q += std::ptrdiff_t(i) * 4;
    }
#endif
    // Four pixels from three little-endian words at a time.
    for (; i + 4 <= n; i += 4, p += 12, q += 16) {
      u32 a, b, c;
      std::memcpy(&a, p, 4);
      std::memcpy(&b, p + 4, 4);
      std::memcpy(&c, p + 8, 4);
      u32 out[4] = {a & 0xFFFFFF, (a >> 24) | ((b & 0xFFFF) << 8), (b >> 16) | ((c & 0xFF) << 16), c >> 8};
      std::memcpy(q, out, 16);
    }
    for (; i < n; ++i, p += 3, q += 4) {
      u32 v = u32(p[0]) | (u32(p[1]) << 8) | (u32(p[2]) << 16);
      std::memcpy(q, &v, 4);
    }
    return true;
  }
  if (sb == 32 && db == 24) {
    const BYTE* p = s + std::ptrdiff_t(sx) * 4;
    BYTE* q = d + std::ptrdiff_t(dx) * 3;
    int i = 0;
#if LB_GDI_X86
    if (HaveSsse3()) {
      i = Row32To24Ssse3(p, q, n);
      p += std::ptrdiff_t(i) * 4;
      q += std::ptrdiff_t(i) * 3;
    }
#endif
    for (; i < n; ++i, p += 4, q += 3) {
      q[0] = p[0];
      q[1] = p[1];
      q[2] = p[2];
    }
    return true;
  }
  return false;
}

// Whole rows move as one block only between surfaces that store them alike: the same
// bits per pixel, row stride and row order. Equal strides alone say nothing (a row of 2
// pixels takes 8 bytes at 24 and at 32 bits per pixel).
bool SameLayout(const GdiBitmap& a, const GdiBitmap& b) {
  return a.bitsPerPixel == b.bitsPerPixel && a.stride == b.stride && a.topDown == b.topDown;
}

// One clipped rectangle of a plain copy, in destination coordinates.
struct CopySpan {
  std::int64_t x0, x1, y0, y1;
};

}  // namespace

void Raster(GdiBitmap& dst, const std::vector<RECT>& clip, std::int64_t x, std::int64_t y, std::int64_t w,
            std::int64_t h, const Source* src, const Pattern* pat, const Mask* mask, DWORD rop4) {
  if (w <= 0 || h <= 0 || !dst.bits) return;
  BYTE fore = BYTE(rop4 >> 16);
  BYTE back = mask ? BYTE(rop4 >> 24) : fore;
  bool useS = RopUsesSource(fore) || RopUsesSource(back);
  bool useP = RopUsesPattern(fore) || RopUsesPattern(back);
  bool useD = RopUsesDest(fore) || RopUsesDest(back);
  if (useS && (!src || !src->bmp || !src->bmp->bits || src->w <= 0 || src->h <= 0)) return;
  if (mask && (!mask->bmp || mask->bmp->bitsPerPixel != 1 || !mask->bmp->bits)) return;
  const GdiBitmap* sb = useS ? src->bmp : nullptr;
  std::unique_ptr<GdiBitmap> sourceCopy;
  std::unique_ptr<Converter> conv;
  if (sb) conv = std::make_unique<Converter>(*sb, dst, *src);
  bool stretched = sb && (src->w != w || src->h != h || src->mirrorX || src->mirrorY);
  // A plain copy moves memory row by row; everything else goes through pixel values.
  bool plainCopy = sb && !mask && fore == 0xCC && !stretched &&
                   ((conv->Identity() && sb->bitsPerPixel == dst.bitsPerPixel && dst.bitsPerPixel >= 8) ||
                    (conv->Raw() && sb->bitsPerPixel != dst.bitsPerPixel));
  if (sb == &dst && !plainCopy) {
    sourceCopy = CopyOf(dst);
    sb = sourceCopy.get();
  }
  u32 vmask = ValueMask(dst);
  Pattern zero;
  zero.tile = {0};
  const Pattern& P = (pat && pat->present) ? *pat : zero;
  // Plain copies between two surfaces gather their rectangles and run band by band, each
  // row across all rectangles of its band, so memory is walked once from top to bottom.
  std::vector<CopySpan> spans;

  for (const RECT& c : clip) {
    std::int64_t x0 = std::max<std::int64_t>(x, c.left), x1 = std::min<std::int64_t>(x + w, c.right);
    std::int64_t y0 = std::max<std::int64_t>(y, c.top), y1 = std::min<std::int64_t>(y + h, c.bottom);
    if (x0 >= x1 || y0 >= y1) continue;
    auto sxOf = [&](std::int64_t dx) { return MapCoord(dx - x, w, src->x, src->w, src->mirrorX); };
    auto syOf = [&](std::int64_t dy) { return MapCoord(dy - y, h, src->y, src->h, src->mirrorY); };
    if (sb) {
      // The mapping is monotonic, so the samples inside the source form one run.
      auto badX = [&](std::int64_t dx) { std::int64_t s = sxOf(dx); return s < 0 || s >= sb->width; };
      auto badY = [&](std::int64_t dy) { std::int64_t s = syOf(dy); return s < 0 || s >= sb->height; };
      if (!stretched) {
        x0 = std::max(x0, x - src->x);
        x1 = std::min(x1, x - src->x + sb->width);
        y0 = std::max(y0, y - src->y);
        y1 = std::min(y1, y - src->y + sb->height);
      } else {
        while (x0 < x1 && badX(x0)) ++x0;
        while (x0 < x1 && badX(x1 - 1)) --x1;
        while (y0 < y1 && badY(y0)) ++y0;
        while (y0 < y1 && badY(y1 - 1)) --y1;
      }
      if (x0 >= x1 || y0 >= y1) continue;
    }
    int n = int(x1 - x0);

    if (plainCopy && sb != &dst) {
      spans.push_back(CopySpan{x0, x1, y0, y1});
      continue;
    }
    if (plainCopy) {
      int sx = int(sxOf(x0));
      // Whole rows of equal layout form one block: one memmove lets the C library use
      // its large-copy path.
      std::int64_t rowBytes = std::int64_t(n) * (dst.bitsPerPixel / 8);
      if (conv->Identity() && sx == 0 && x0 == 0 && rowBytes == dst.stride && SameLayout(*sb, dst)) {
        std::int64_t sy0 = syOf(y0), rows = y1 - y0;
        const BYTE* from = sb->Row(int(dst.topDown ? sy0 : sy0 + rows - 1));
        BYTE* to = dst.Row(int(dst.topDown ? y0 : y1 - 1));
        std::memmove(to, from, std::size_t(rows) * std::size_t(dst.stride));
        continue;
      }
      bool upward = sb == &dst && syOf(y0) < y0;  // overlapping rows: copy from the bottom
      for (std::int64_t k = 0; k < y1 - y0; ++k) {
        std::int64_t dy = upward ? y1 - 1 - k : y0 + k;
        PlainCopyRow(*sb, int(syOf(dy)), sx, dst, int(dy), int(x0), n, conv->Identity(), false);
      }
      continue;
    }

    if (!sb && !mask && fore == 0xF0 && P.tile.size() == 1 && dst.bitsPerPixel == 32) {
      // Solid fills of 32-bit surfaces (window backgrounds, text cells) skip the row buffers:
      // the first row is written from a local value (which nothing can alias, so the loop
      // vectorises), the others are copies of it.
      const u32 value = P.tile[0];
      BYTE* first = dst.Row(int(y0)) + x0 * 4;
      for (int i = 0; i < n; ++i) std::memcpy(first + std::ptrdiff_t(i) * 4, &value, 4);
      for (std::int64_t dy = y0 + 1; dy < y1; ++dy) std::memcpy(dst.Row(int(dy)) + x0 * 4, first, std::size_t(n) * 4);
      continue;
    }
    std::vector<u32> sv(useS ? n : 1), pv(useP ? n : 1), dv(useD ? n : 1), out(n);
    std::vector<int> xs;
    if (stretched) {
      xs.resize(n);
      for (int i = 0; i < n; ++i) xs[i] = int(sxOf(x0 + i));
    }
    std::vector<BYTE> mbits;
    if (mask) mbits.resize(n);
    for (std::int64_t dy = y0; dy < y1; ++dy) {
      if (sb) {
        int sy = int(syOf(dy));
        if (stretched)
          ReadMapped(*sb, sy, xs.data(), n, sv.data());
        else
          ReadSpan(*sb, sy, int(sxOf(x0)), n, sv.data());
        conv->Convert(sv.data(), n);
      }
      if (useP) FillPatternRow(P, int(dy), int(x0), n, pv.data());
      if (useD) ReadSpan(dst, int(dy), int(x0), n, dv.data());
      const u32* ps = useP ? pv.data() : nullptr;
      const u32* ss = useS ? sv.data() : nullptr;
      const u32* ds = useD ? dv.data() : nullptr;
      if (!mask) {
        // Missing operands are never read by the op, but the loops index them: point them at `out`.
        ApplyRow(fore, ps ? ps : out.data(), ss ? ss : out.data(), ds ? ds : out.data(), out.data(), n, vmask);
      } else {
        std::int64_t my = mask->y + (dy - y);
        bool rowIn = my >= 0 && my < mask->bmp->height;
        for (int i = 0; i < n; ++i) {
          std::int64_t mx = mask->x + (x0 + i - x);
          bool bit = rowIn && mx >= 0 && mx < mask->bmp->width && GetValue(*mask->bmp, int(mx), int(my));
          BYTE r = bit ? fore : back;
          u32 P0 = ps ? ps[i] : 0, S0 = ss ? ss[i] : 0, D0 = ds ? ds[i] : 0;
          out[i] = r == 0xAA ? D0 : r == 0xCC ? S0 : (Rop3(r, P0, S0, D0) & vmask);
        }
      }
      WriteSpan(dst, int(dy), int(x0), n, out.data());
    }
  }

  for (std::size_t first = 0; first < spans.size();) {
    // Banded clips list each band's rectangles together, left to right.
    std::size_t last = first + 1;
    while (last < spans.size() && spans[last].y0 == spans[first].y0 && spans[last].y1 == spans[first].y1) ++last;
    const CopySpan& one = spans[first];
    std::int64_t rowBytes = (one.x1 - one.x0) * (dst.bitsPerPixel / 8);
    if (last == first + 1 && conv->Identity() && one.x0 == 0 && x - src->x == 0 && rowBytes == dst.stride &&
        SameLayout(*sb, dst)) {
      // Whole rows of equal layout form one block.
      std::int64_t sy0 = one.y0 - y + src->y, rows = one.y1 - one.y0;
      const BYTE* from = sb->Row(int(dst.topDown ? sy0 : sy0 + rows - 1));
      BYTE* to = dst.Row(int(dst.topDown ? one.y0 : one.y1 - 1));
      CopyRowBytes(to, from, std::size_t(rows) * std::size_t(dst.stride));
    } else {
      for (std::int64_t dy = one.y0; dy < one.y1; ++dy)
        for (std::size_t k = first; k < last; ++k)
          PlainCopyRow(*sb, int(dy - y + src->y), int(spans[k].x0 - x + src->x), dst, int(dy), int(spans[k].x0),
                       int(spans[k].x1 - spans[k].x0), conv->Identity(), true);
    }
    first = last;
  }
}

Pattern MakePattern(HDC hdc, HBRUSH brush, const GdiBitmap& dst) {
  Pattern p;
  // FillRect takes system colour numbers + 1 in place of a brush.
  if (reinterpret_cast<std::uintptr_t>(brush) <= 31 && brush)
    brush = GetSysColorBrush(int(reinterpret_cast<std::uintptr_t>(brush)) - 1);
  if (!brush || brush->style == BS_NULL) return p;
  p.present = true;
  if (hdc) {
    p.orgX = hdc->state.brushOrg.x;
    p.orgY = hdc->state.brushOrg.y;
  }
  if (brush->style != BS_PATTERN || !brush->pattern) {
    p.tile = {ColorToValue(dst, brush->color)};
    return p;
  }
  const GdiBitmap& pb = *brush->pattern;
  Source rules;
  rules.dcRules = true;
  rules.dstText = hdc ? hdc->state.textColor : 0;
  rules.dstBk = hdc ? hdc->state.bkColor : RGB(255, 255, 255);
  rules.srcBk = rules.dstBk;
  Converter conv(pb, dst, rules);
  p.w = pb.width;
  p.h = pb.height;
  p.tile.resize(std::size_t(p.w) * p.h);
  for (int y = 0; y < p.h; ++y) {
    u32* row = p.tile.data() + std::size_t(y) * p.w;
    ReadSpan(pb, y, 0, p.w, row);
    conv.Convert(row, p.w);
    if (!IsIndexed(dst))
      for (int i = 0; i < p.w; ++i) row[i] &= 0xFFFFFF;
  }
  return p;
}

void FillWithBrush(HDC hdc, std::int64_t l, std::int64_t t, std::int64_t r, std::int64_t b, HBRUSH brush,
                   DWORD rop) {
  GdiBitmap* dst = Surface(hdc);
  if (!dst || r <= l || b <= t) return;
  BYTE idx = RopIndex(rop);
  Pattern pat;
  if (RopUsesPattern(idx)) {
    pat = MakePattern(hdc, brush, *dst);
    if (!pat.present) return;
  }
  const POINT& o = hdc->state.viewportOrg;
  Raster(*dst, ClipRects(hdc), l + o.x, t + o.y, r - l, b - t, nullptr, &pat, nullptr, rop);
}

}  // namespace gdi
