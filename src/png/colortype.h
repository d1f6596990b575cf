// The colour types of a PNG header. The header keeps the byte a stream gave it, so a value
// without a name here is possible: it has no storage layout and no converters.
#pragma once

#include <cstdint>

enum class TPngColorType : std::uint8_t { Grey = 0, Rgb = 2, Palette = 3, GreyAlpha = 4, Rgba = 6 };

// Samples per pixel (1 grey or palette index, 3 RGB, 2 and 4 with alpha); 0 without a name.
constexpr unsigned SamplesPerPixel(TPngColorType t) {
  constexpr unsigned kSamples[8] = {1, 0, 3, 1, 2, 0, 4, 0};
  return unsigned(t) < 8 ? kSamples[unsigned(t)] : 0;
}
// Whether the samples carry alpha, which the storage keeps in an alpha plane of its own.
constexpr bool HasAlphaSamples(TPngColorType t) { return t == TPngColorType::GreyAlpha || t == TPngColorType::Rgba; }
// Whether the storage holds colour-table indexes: palette indexes or grey levels.
constexpr bool IsIndexedOrGrey(TPngColorType t) { return t == TPngColorType::Grey || t == TPngColorType::Palette; }
