// BlendStraightAlpha: the clip, the destination formats and the packed source layouts
// around the row kernels of blendkernels.cpp, whose best level is chosen once.
#include "platform/gdi/alphablend.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>

#include "platform/gdi/blendkernels.h"
#include "platform/gdi/packed.h"
#include "platform/gdi/dc_internal.h"

#if defined(__x86_64__) || defined(__i386__)
#define LB_BLEND_X86 1
#include <immintrin.h>
#else
#define LB_BLEND_X86 0
#endif

using namespace gdi;

namespace {

// Pixels taken at a time where a row needs scratch space: packed or alpha-less sources,
// and destinations that are not 32-bit.
constexpr int kChunk = 1024;

const BlendKernels& Kernels() {
  static const BlendKernels& kernels = KernelsFor(BestLevel());
  return kernels;
}

const BYTE* OpaqueAlpha() {
  static const auto alpha = [] {
    std::array<BYTE, kChunk> a;
    a.fill(255);
    return a;
  }();
  return alpha.data();
}

bool IsIndexLayout(BlendLayout l) {
  return l == BlendLayout::Index1 || l == BlendLayout::Index4 || l == BlendLayout::Index8;
}

// Indexes of pixels x .. x + n - 1 of a packed row.
void Unpack(const BYTE* row, int x, int n, BlendLayout layout, BYTE* out) {
  const unsigned bits = layout == BlendLayout::Index1 ? 1 : 4;
  for (int i = 0; i < n; ++i, ++x) out[i] = BYTE(PackedIndex(row, std::size_t(x), bits));
}

// Blends source pixels (sx .. sx + n - 1, sy) onto n destination pixels of four bytes.
void BlendSpan(const BlendKernels& k, const BlendSource& s, std::int64_t sy, int sx, int n, BYTE* d) {
  const BYTE* row = s.pixels + s.pixelStep * sy;
  const BYTE* alpha = s.alpha ? s.alpha + s.alphaStep * sy + sx : nullptr;
  // The layouts the kernels take as they are go in one call.
  if (alpha && s.layout == BlendLayout::Bgr) return k.rgb(d, row + std::ptrdiff_t(sx) * 3, alpha, std::size_t(n));
  if (alpha && s.layout == BlendLayout::Grey) return k.grey(d, row + sx, alpha, std::size_t(n));
  if (!alpha && s.layout == BlendLayout::Index8) return k.indexed(d, row + sx, s.table, std::size_t(n));
  BYTE index[kChunk], bgr[kChunk * 3];
  for (int i = 0; i < n; i += kChunk) {
    const int m = std::min(kChunk, n - i);
    BYTE* q = d + std::ptrdiff_t(i) * 4;
    const BYTE* a = alpha ? alpha + i : OpaqueAlpha();
    if (s.layout == BlendLayout::Bgr) {
      k.rgb(q, row + std::ptrdiff_t(sx + i) * 3, a, std::size_t(m));
    } else if (s.layout == BlendLayout::Grey) {
      k.grey(q, row + sx + i, a, std::size_t(m));
    } else {
      const BYTE* x = row + sx + i;
      if (s.layout != BlendLayout::Index8) {
        Unpack(row, sx + i, m, s.layout, index);
        x = index;
      }
      if (!alpha) {
        k.indexed(q, x, s.table, std::size_t(m));
        continue;
      }
      // Colours from the table, alpha from the plane.
      for (int j = 0; j < m; ++j) {
        DWORD e = s.table[x[j]];
        bgr[3 * j] = BYTE(e);
        bgr[3 * j + 1] = BYTE(e >> 8);
        bgr[3 * j + 2] = BYTE(e >> 16);
      }
      k.rgb(q, bgr, a, std::size_t(m));
    }
  }
}

#if LB_BLEND_X86
bool HaveSsse3() {
  static const bool have = __builtin_cpu_supports("ssse3");
  return have;
}

// Four pixels a step with one byte shuffle each way. A widening step loads 16 bytes for 12,
// so it stops while two more pixels follow; a narrowing step stores 8 + 4 bytes.
__attribute__((target("ssse3"))) int Widen24Ssse3(const BYTE* p, u32* q, int n) {
  const __m128i spread = _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
  int i = 0;
  for (; i + 6 <= n; i += 4, p += 12)
    _mm_storeu_si128(reinterpret_cast<__m128i*>(q + i),
                     _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), spread));
  return i;
}

__attribute__((target("ssse3"))) int Narrow24Ssse3(const u32* q, BYTE* p, int n) {
  const __m128i pack = _mm_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1);
  int i = 0;
  for (; i + 4 <= n; i += 4, p += 12) {
    __m128i v = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(q + i)), pack);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(p), v);
    u32 hi = u32(_mm_cvtsi128_si32(_mm_srli_si128(v, 8)));
    std::memcpy(p + 8, &hi, 4);
  }
  return i;
}
#endif

// 24-bit pixels to 32-bit ones with a fourth byte of 0 and back.
void Widen24(const BYTE* p, u32* q, int n) {
  int i = 0;
#if LB_BLEND_X86
  if (HaveSsse3()) {
    i = Widen24Ssse3(p, q, n);
    p += std::ptrdiff_t(i) * 3;
  }
#endif
  for (; i < n; ++i, p += 3) q[i] = u32(p[0]) | u32(p[1]) << 8 | u32(p[2]) << 16;
}

void Narrow24(const u32* q, BYTE* p, int n) {
  int i = 0;
#if LB_BLEND_X86
  if (HaveSsse3()) {
    i = Narrow24Ssse3(q, p, n);
    p += std::ptrdiff_t(i) * 3;
  }
#endif
  for (; i < n; ++i, p += 3) {
    p[0] = BYTE(q[i]);
    p[1] = BYTE(q[i] >> 8);
    p[2] = BYTE(q[i] >> 16);
  }
}

// Turns the pixel values of an indexed surface into 32-bit ones and back, the way a plain
// copy into a fresh 32-bit DC and back converts them.
class IndexedColours {
 public:
  explicit IndexedColours(const GdiBitmap& b) : b_(b) {
    for (u32 i = 0; i < (1u << b.bitsPerPixel); ++i)
      // A monochrome device bitmap shows the fresh DC's text (black) and background (white).
      colour_[i] = IsDeviceMono(b) ? (i ? 0xFFFFFFu : 0u) : RgbToValue(ValueToColor(b, i));
  }

  void Load(u32* v, int n) const {
    for (int i = 0; i < n; ++i) v[i] = colour_[v[i]];
  }

  void Store(u32* v, int n) {
    for (int i = 0; i < n; ++i) {
      u32 rgb = v[i] & 0xFFFFFF;
      // Colour to monochrome: 1 where the colour is the source DC's background (white).
      if (IsDeviceMono(b_)) {
        v[i] = rgb == 0xFFFFFF ? 1 : 0;
        continue;
      }
      if (!haveLast_ || rgb != lastIn_) {
        lastIn_ = rgb;
        lastOut_ = NearestIndex(b_.colorTable, ValueToRgb(rgb)) & ValueMask(b_);
        haveLast_ = true;
      }
      v[i] = lastOut_;
    }
  }

 private:
  const GdiBitmap& b_;
  u32 colour_[256] = {};
  bool haveLast_ = false;
  u32 lastIn_ = 0, lastOut_ = 0;
};

}  // namespace

BOOL BlendStraightAlpha(HDC hdc, int x, int y, const BlendSource& src) {
  GdiBitmap* dst = Surface(hdc);
  if (!dst || !dst->bits || !src.pixels || (IsIndexLayout(src.layout) && !src.table)) return FALSE;
  if (src.width <= 0 || src.height <= 0) return TRUE;
  const BlendKernels& k = Kernels();
  const std::int64_t ox = std::int64_t(x) + hdc->state.viewportOrg.x;
  const std::int64_t oy = std::int64_t(y) + hdc->state.viewportOrg.y;
  const bool direct = dst->bitsPerPixel == 32;
  std::unique_ptr<IndexedColours> indexed = IsIndexed(*dst) ? std::make_unique<IndexedColours>(*dst) : nullptr;
  u32 buf[kChunk];
  for (const RECT& c : ClipRects(hdc)) {
    const std::int64_t x0 = std::max<std::int64_t>(c.left, ox), x1 = std::min<std::int64_t>(c.right, ox + src.width);
    const std::int64_t y0 = std::max<std::int64_t>(c.top, oy), y1 = std::min<std::int64_t>(c.bottom, oy + src.height);
    if (x0 >= x1 || y0 >= y1) continue;
    for (std::int64_t dy = y0; dy < y1; ++dy) {
      if (direct) {
        BlendSpan(k, src, dy - oy, int(x0 - ox), int(x1 - x0), dst->Row(int(dy)) + x0 * 4);
        continue;
      }
      for (std::int64_t dx = x0; dx < x1; dx += kChunk) {
        const int n = int(std::min<std::int64_t>(kChunk, x1 - dx));
        if (dst->bitsPerPixel == 24) {
          BYTE* p = dst->Row(int(dy)) + dx * 3;
          Widen24(p, buf, n);
          BlendSpan(k, src, dy - oy, int(dx - ox), n, reinterpret_cast<BYTE*>(buf));
          Narrow24(buf, p, n);
          continue;
        }
        ReadSpan(*dst, int(dy), int(dx), n, buf);
        indexed->Load(buf, n);
        BlendSpan(k, src, dy - oy, int(dx - ox), n, reinterpret_cast<BYTE*>(buf));
        indexed->Store(buf, n);
        WriteSpan(*dst, int(dy), int(dx), n, buf);
      }
    }
  }
  return TRUE;
}
