// Straight-alpha drawing: a block of pixels, each with its own alpha, blended over what a
// DC already shows, with the one integer formula the pictures are designed with.
#pragma once

#include <cstddef>

#include "platform/gdi/gdi.h"

// How the pixels of a BlendSource are stored.
enum class BlendLayout {
  Bgr,     // 3 bytes per pixel: blue, green, red
  Grey,    // 1 byte per pixel standing for blue, green and red alike
  Index1,  // indexes into the table, packed high bit first
  Index4,
  Index8,
};

// A width x height block of straight (not premultiplied) alpha pixels, read in place.
struct BlendSource {
  BlendLayout layout = BlendLayout::Bgr;
  int width = 0, height = 0;
  const BYTE* pixels = nullptr;  // first byte of image row 0
  std::ptrdiff_t pixelStep = 0;  // bytes from image row y to row y + 1 (negative for bottom-up rows)
  // One alpha byte per pixel, rows alphaStep bytes apart. Without it the indexed layouts
  // take each entry's alpha from the table and the others are opaque.
  const BYTE* alpha = nullptr;
  std::ptrdiff_t alphaStep = 0;
  // 256 words 0xAARRGGBB for the indexed layouts (the alpha byte unused with an alpha plane).
  const DWORD* table = nullptr;
};

// Draws `src` unstretched with its top-left corner at logical (x, y): each blue, green and
// red byte of a covered pixel becomes (a * s + (255 - a) * old + 255) >> 8, and the fourth
// byte of a 32-bit pixel keeps its value. Only the DC's effective clip (surface, system
// clip and clip region) is drawn.
//
// 24- and 32-bit surfaces are blended where they stand. An indexed surface blends the
// colour each pixel stands for and stores the nearest colour-table entry; a monochrome
// device bitmap stores 1 for exactly white and 0 for anything else. Every format thus
// ends as a copy into a 32-bit bitmap, the blend there and a plain copy back would leave
// it. FALSE for a DC without a surface or a source without pixels (or table).
BOOL BlendStraightAlpha(HDC hdc, int x, int y, const BlendSource& src);
