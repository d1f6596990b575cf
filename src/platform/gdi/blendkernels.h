// The row kernels behind BlendStraightAlpha (alphablend.h), one set per instruction-set
// level; drawing picks the best level once. Exposed for their tests and benchmarks.
#pragma once

#include <cstddef>
#include <cstdint>

namespace gdi {

// Instruction-set levels with kernels of their own.
enum class BlendLevel { Scalar, Sse2, Avx2 };

// The kernels of one level. `dst` holds n pixels of blue, green, red and a fourth byte
// that is left as it is; each colour byte becomes (a * s + (255 - a) * old + 255) >> 8.
struct BlendKernels {
  // Source pixels of three bytes (blue, green, red), one alpha byte each.
  void (*rgb)(std::uint8_t* dst, const std::uint8_t* bgr, const std::uint8_t* alpha, std::size_t n);
  // One grey byte per pixel standing for all three channels, one alpha byte each.
  void (*grey)(std::uint8_t* dst, const std::uint8_t* grey, const std::uint8_t* alpha, std::size_t n);
  // One index byte per pixel into 256 words 0xAARRGGBB (the alpha on top).
  void (*indexed)(std::uint8_t* dst, const std::uint8_t* index, const std::uint32_t* table, std::size_t n);
};

bool LevelAvailable(BlendLevel level);
// The kernels of a level; a level the processor lacks gives the scalar ones.
const BlendKernels& KernelsFor(BlendLevel level);
BlendLevel BestLevel();

}  // namespace gdi
