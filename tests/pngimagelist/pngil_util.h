// Test pictures for the PNG image list: PNG images of any colour type built from sample
// values, RGBA images from a pixel function, and the colour a drawing leaves at a point.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "png/pngtest_util.h"
#include "pngimagelist/pngimagelist.h"

namespace pngil {

struct Rgba8 {
  std::uint8_t r = 0, g = 0, b = 0, a = 255;
};

// A decoded PNG made of the plan's bytes.
std::unique_ptr<TPngImage> Decode(const pngtest::Bytes& png);
// An 8-bit image of a colour type from rows of samples, with extra chunks after IHDR.
std::unique_ptr<TPngImage> FromSamples(int w, int h, int colorType, const std::vector<std::vector<std::uint16_t>>& rows,
                                       const std::vector<pngtest::Chunk>& chunks = {});
// An 8-bit RGBA image (colour type 6).
std::unique_ptr<TPngImage> Rgba(int w, int h, const std::function<Rgba8(int x, int y)>& pixel);
// An opaque 24-bit bitmap of one colour.
std::unique_ptr<TBitmap> Filled(int w, int h, TColor color);
// The colour at (x, y) after draw() painted onto a w x h bitmap filled with background.
TColor DrawnAt(int w, int h, TColor background, const std::function<void(TCanvas&)>& draw, int x, int y);

// The alpha blend of the drawing: (a * s + (255 - a) * old + 255) >> 8.
constexpr std::uint8_t Blend(unsigned a, unsigned s, unsigned old) {
  return std::uint8_t((a * s + (255 - a) * old + 255) >> 8);
}
// a * 128 / 256 rounded half to even: the disabled blend of the program.
constexpr unsigned HalfAlpha(unsigned a) { return a / 2 + ((a & 1) && ((a / 2) & 1) ? 1 : 0); }

// True when a written PNG decodes back to its pixels (the encoder behind IDAT is there).
bool EncoderKeepsPixels();

}  // namespace pngil
