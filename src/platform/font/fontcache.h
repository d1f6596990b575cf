// The faces behind the text functions: loads the Tahoma-compatible faces (or the
// fontconfig fallback) once per process and keeps 1-bit glyph sets per pixel size.
// Internal to platform/font; the public API is font.h.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "platform/gdi/gdi.h"

namespace fontcache {

// One glyph as a 1-bit mask (rows `pitch` bytes apart, high bit first), placed relative
// to the pen position on the baseline: columns from `left`, rows from `top` above it.
struct Glyph {
  int advance = 0;
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  int pitch = 0;
  std::vector<BYTE> bits;

  bool Bit(int x, int y) const { return (bits[std::size_t(y) * pitch + x / 8] >> (7 - x % 8)) & 1; }
};

// Every byte value of one face at one pixel size, with the GDI metrics of that size.
// Immutable once built, so callers may keep it while the cache moves on.
struct SizedFont {
  bool bold = false;
  int pixelSize = 0;
  int ascent = 0;
  int descent = 0;
  int avgCharWidth = 0;
  int maxCharWidth = 0;
  int underlineRow = 0;  // first row of the underline, counted from the cell top
  int underlineThickness = 1;
  int strikeoutRow = 0;
  int strikeoutThickness = 1;
  bool hasFace = false;  // false when no face could be loaded at all: nothing is drawn
  std::array<Glyph, 256> glyphs;  // indexed by the Windows-1252 byte

  int Height() const { return ascent + descent; }
};

// The glyph set of the regular or bold face at `pixelSize` (clamped to 1..kMaxPixelSize).
std::shared_ptr<const SizedFont> GetSizedFont(bool bold, int pixelSize);

// Pixel size for a GDI font height: negative = character height, positive = cell height,
// 0 = the default UI size.
int PixelSizeForHeight(bool bold, LONG lfHeight);

constexpr int kDefaultPixelSize = 11;
constexpr int kMaxPixelSize = 255;
inline const char* const kTahomaDir = "/usr/share/wine/fonts";

// Drops every cached face and glyph set and makes the next use look for the Tahoma faces
// in `tahomaDir` instead; lets tests exercise the fallback. Not for use while another
// thread draws text.
void ResetForTesting(const std::string& tahomaDir);

}  // namespace fontcache
