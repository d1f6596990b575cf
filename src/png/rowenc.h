// Row-level work of the image data encoder: turning storage rows back into PNG samples
// and applying scanline filters. Internal to the codec.
#pragma once

#include <cstddef>
#include <cstdint>

#include "png/colortype.h"

namespace pngrow {

// Bit depth the samples of a storage are written at. It is the header's own depth, except
// for grey with alpha below 8 bits (made by adding an alpha channel to a low-depth grey
// image), which has no PNG form and is written at 8 bits.
unsigned WrittenBitDepth(TPngColorType colorType, unsigned bitDepth);

// Packs `count` pixels of one storage row, taken at columns first, first + step, ..., into
// the PNG samples of the written depth. Storage and alpha rows as the decoder fills them;
// colour samples go through the inverse gamma map, indexes and alpha do not. Bits past
// the last sample of a packed row are written as 0.
using RowPacker = void (*)(const std::uint8_t* storage, const std::uint8_t* alpha, std::uint8_t* out,
                           std::uint32_t first, std::uint32_t step, std::uint32_t count,
                           const std::uint8_t* inverseGamma);

// The packer for a colour type, its written depth and the storage's bits per pixel; null
// when the three do not describe a storage layout.
RowPacker PickRowPacker(TPngColorType colorType, unsigned writtenDepth, unsigned storageBits, bool identityGamma);

// Applies filter `type` (0 None, 1 Sub, 2 Up, 3 Average, 4 Paeth) to row against prev (the
// previous raw row, zeros for the first row of an image or pass) into out; len bytes each,
// bpp the byte distance to the pixel on the left. out must not overlap row or prev.
void FilterRow(unsigned type, const std::uint8_t* row, const std::uint8_t* prev, std::uint8_t* out,
               std::size_t len, unsigned bpp);
// The same, returning the row's cost for the choice among filters: the sum of the filtered
// bytes taken as signed values, without sign (a byte v counts min(v, 256 - v)).
std::uint64_t FilterRowCost(unsigned type, const std::uint8_t* row, const std::uint8_t* prev, std::uint8_t* out,
                            std::size_t len, unsigned bpp);
// The cost of a row left unfiltered.
std::uint64_t RowCost(const std::uint8_t* row, std::size_t len);

}  // namespace pngrow
