// Row kernels of the alpha-blended drawing of a PNG image. Each blue, green and red byte
// of a 32-bit destination pixel becomes (a * s + (255 - a) * old + 255) >> 8; the fourth
// byte keeps its value. Internal to the codec; the kernels are defined in draw.cpp.
#pragma once

#include <cstddef>
#include <cstdint>

namespace pngblend {

// The blend of one channel; every kernel of every level gives exactly this.
inline std::uint8_t BlendChannel(unsigned a, unsigned s, unsigned old) {
  return std::uint8_t((a * s + (255 - a) * old + 255) >> 8);
}

// Instruction-set levels with their own kernels; drawing takes the best one present.
enum class TBlendLevel { blScalar, blSse2, blAvx2, blAvx512 };

// The kernels of one level. `dst` holds n pixels of blue, green, red and a fourth byte.
struct TBlendKernels {
  // Source pixels of three bytes (blue, green, red), one alpha byte each.
  void (*rgb)(std::uint8_t* dst, const std::uint8_t* bgr, const std::uint8_t* alpha, std::size_t n);
  // One grey byte per pixel standing for all three channels, one alpha byte each.
  void (*grey)(std::uint8_t* dst, const std::uint8_t* grey, const std::uint8_t* alpha, std::size_t n);
  // One palette index byte per pixel into 256 words 0xAARRGGBB (the alpha on top).
  void (*indexed)(std::uint8_t* dst, const std::uint8_t* index, const std::uint32_t* table, std::size_t n);
};

bool LevelAvailable(TBlendLevel level);
// The kernels of a level; a level the processor lacks gives the scalar ones.
const TBlendKernels& KernelsFor(TBlendLevel level);
TBlendLevel BestLevel();

}  // namespace pngblend
