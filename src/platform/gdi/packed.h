// Packed pixel rows of 1, 2, 4 or 8 bits per pixel: the leftmost pixel sits in the highest
// bits of its byte. Bitmap rows, the codec's pixel storage and PNG samples all use this
// order.
#pragma once

#include <cstddef>
#include <cstdint>

// The value of pixel x in a row of `bits` bits per pixel.
inline unsigned PackedIndex(const std::uint8_t* row, std::size_t x, unsigned bits) {
  const std::size_t bit = x * bits;
  return unsigned(row[bit >> 3] >> (8 - bits - (bit & 7))) & ((1u << bits) - 1);
}

// Sets pixel x to the low `bits` bits of v; the other pixels of its byte keep their values.
inline void SetPackedIndex(std::uint8_t* row, std::size_t x, unsigned bits, unsigned v) {
  const std::size_t bit = x * bits;
  const unsigned shift = 8 - bits - unsigned(bit & 7), mask = (1u << bits) - 1;
  row[bit >> 3] = std::uint8_t((row[bit >> 3] & ~(mask << shift)) | (v & mask) << shift);
}
