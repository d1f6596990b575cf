// Row-level work of the image data decoder: undoing scanline filters and turning one
// unfiltered row into the pixel storage and alpha plane. Internal to the codec.
#pragma once

#include <cstddef>
#include <cstdint>

#include "png/colortype.h"

// SSE2 row code where the compiler targets SSE2; SSSE3 row code on x86-64, run only where
// the processor has it.
#if defined(__SSE2__)
#include <emmintrin.h>
#define LB_PNG_SSE2 1
#endif
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <tmmintrin.h>
#define LB_PNG_SSSE3 1
#endif

namespace pngrow {

// Colour samples taken as they are, or through a gamma map.
struct Identity {
  static std::uint8_t Map(const std::uint8_t*, std::uint8_t v) { return v; }
};
struct Mapped {
  static std::uint8_t Map(const std::uint8_t* g, std::uint8_t v) { return g[v]; }
};

// Instruction-set levels with row code of their own: plain C++, SSE2 (unfiltering, the
// encoder's filters) and SSSE3 (byte shuffles of 8-bit RGB and RGBA rows, both ways). Rows
// use the best level the processor has; tests step down so every level's code runs.
enum class RowLevel { Scalar, Sse2, Ssse3 };
bool RowLevelAvailable(RowLevel level);
RowLevel CurrentRowLevel();
// The level rows use from now on; a level the processor lacks is refused (false).
bool SetRowLevel(RowLevel level);

// Row length in bytes (without the filter byte) for w pixels, and the byte distance to
// the pixel on the left; both 0 for combinations without a layout.
std::size_t RowBytes(TPngColorType colorType, unsigned bitDepth, std::uint32_t width);
unsigned FilterOffset(TPngColorType colorType, unsigned bitDepth);

// Undoes filter `type` on row (len bytes, whole pixels of bpp bytes) in place against prev
// (the previous row, zeros for the first). Types 0 and above 4 leave the row as it is.
void Unfilter(std::uint8_t type, std::uint8_t* row, const std::uint8_t* prev, std::size_t len, unsigned bpp);

// Sequential: converts one row of `width` pixels into a storage row and an alpha row.
using RowConverter = void (*)(const std::uint8_t* src, std::uint8_t* dst, std::uint8_t* alpha,
                              std::uint32_t width, const std::uint8_t* gamma);
// Adam7: converts `count` pixels of a pass row into columns first, first + step, ...
using PassConverter = void (*)(const std::uint8_t* src, std::uint8_t* dst, std::uint8_t* alpha,
                               std::uint32_t first, std::uint32_t step, std::uint32_t count,
                               const std::uint8_t* gamma);

// The converters for a colour type and bit depth (null when there is no layout). When the
// gamma map is the identity, converters that skip the lookup are chosen.
RowConverter PickRowConverter(TPngColorType colorType, unsigned bitDepth, bool identityGamma);
PassConverter PickPassConverter(TPngColorType colorType, unsigned bitDepth, bool identityGamma);

}  // namespace pngrow
