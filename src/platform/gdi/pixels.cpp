// Pixel access for every bitmap format and the conversions between colours and pixel values.
#include <cstring>

#include "platform/gdi/dc_internal.h"
#include "platform/gdi/packed.h"

namespace gdi {

u32 NearestIndex(const std::vector<RGBQUAD>& table, COLORREF rgb) {
  int r = GetRValue(rgb), g = GetGValue(rgb), b = GetBValue(rgb);
  u32 best = 0;
  long bestDist = -1;
  for (std::size_t i = 0; i < table.size(); ++i) {
    long dr = table[i].rgbRed - r, dg = table[i].rgbGreen - g, db = table[i].rgbBlue - b;
    long d = dr * dr + dg * dg + db * db;
    if (bestDist < 0 || d < bestDist) {
      bestDist = d;
      best = u32(i);
      if (d == 0) break;
    }
  }
  return best;
}

u32 ColorToValue(const GdiBitmap& b, COLORREF color) {
  color = ColorToRGB(color) & 0xFFFFFF;
  if (!IsIndexed(b)) return RgbToValue(color);
  return NearestIndex(b.colorTable, color) & ValueMask(b);
}

COLORREF ValueToColor(const GdiBitmap& b, u32 value) {
  if (!IsIndexed(b)) return ValueToRgb(value & 0xFFFFFF);
  if (value >= b.colorTable.size()) return 0;
  const RGBQUAD& q = b.colorTable[value];
  return RGB(q.rgbRed, q.rgbGreen, q.rgbBlue);
}

u32 GetValue(const GdiBitmap& b, int x, int y) {
  const BYTE* row = b.Row(y);
  switch (b.bitsPerPixel) {
    case 1:
    case 4:
    case 8: return PackedIndex(row, std::size_t(x), b.bitsPerPixel);
    case 24: {
      const BYTE* p = row + std::ptrdiff_t(x) * 3;
      return u32(p[0]) | (u32(p[1]) << 8) | (u32(p[2]) << 16);
    }
    default: {
      u32 v;
      std::memcpy(&v, row + std::ptrdiff_t(x) * 4, 4);
      return v;
    }
  }
}

void PutValue(GdiBitmap& b, int x, int y, u32 v) {
  BYTE* row = b.Row(y);
  switch (b.bitsPerPixel) {
    case 1:
    case 4:
    case 8: SetPackedIndex(row, std::size_t(x), b.bitsPerPixel, v); break;
    case 24: {
      BYTE* p = row + std::ptrdiff_t(x) * 3;
      p[0] = BYTE(v);
      p[1] = BYTE(v >> 8);
      p[2] = BYTE(v >> 16);
      break;
    }
    default: std::memcpy(row + std::ptrdiff_t(x) * 4, &v, 4); break;
  }
}

void ReadSpan(const GdiBitmap& b, int y, int x, int count, u32* out) {
  const BYTE* row = b.Row(y);
  switch (b.bitsPerPixel) {
    case 32: std::memcpy(out, row + std::ptrdiff_t(x) * 4, std::size_t(count) * 4); break;
    case 24: {
      const BYTE* p = row + std::ptrdiff_t(x) * 3;
      for (int i = 0; i < count; ++i, p += 3) out[i] = u32(p[0]) | (u32(p[1]) << 8) | (u32(p[2]) << 16);
      break;
    }
    case 8:
      for (int i = 0; i < count; ++i) out[i] = row[x + i];
      break;
    case 4:
    case 1:
      // Masks are read a row at a time when icons are made, so the bits are taken straight
      // from the row rather than through a per-pixel look-up.
      for (int i = 0; i < count; ++i) out[i] = PackedIndex(row, std::size_t(x + i), b.bitsPerPixel);
      break;
    default:
      for (int i = 0; i < count; ++i) out[i] = GetValue(b, x + i, y);
      break;
  }
}

void ReadMapped(const GdiBitmap& b, int y, const int* xs, int count, u32* out) {
  const BYTE* row = b.Row(y);
  switch (b.bitsPerPixel) {
    case 32:
      for (int i = 0; i < count; ++i) std::memcpy(&out[i], row + std::ptrdiff_t(xs[i]) * 4, 4);
      break;
    case 24:
      for (int i = 0; i < count; ++i) {
        const BYTE* p = row + std::ptrdiff_t(xs[i]) * 3;
        out[i] = u32(p[0]) | (u32(p[1]) << 8) | (u32(p[2]) << 16);
      }
      break;
    case 8:
      for (int i = 0; i < count; ++i) out[i] = row[xs[i]];
      break;
    default:
      for (int i = 0; i < count; ++i) out[i] = GetValue(b, xs[i], y);
      break;
  }
}

void WriteSpan(GdiBitmap& b, int y, int x, int count, const u32* in) {
  BYTE* row = b.Row(y);
  switch (b.bitsPerPixel) {
    case 32: std::memcpy(row + std::ptrdiff_t(x) * 4, in, std::size_t(count) * 4); break;
    case 24: {
      BYTE* p = row + std::ptrdiff_t(x) * 3;
      for (int i = 0; i < count; ++i, p += 3) {
        p[0] = BYTE(in[i]);
        p[1] = BYTE(in[i] >> 8);
        p[2] = BYTE(in[i] >> 16);
      }
      break;
    }
    case 8:
      for (int i = 0; i < count; ++i) row[x + i] = BYTE(in[i]);
      break;
    default:
      for (int i = 0; i < count; ++i) PutValue(b, x + i, y, in[i]);
      break;
  }
}

}  // namespace gdi
