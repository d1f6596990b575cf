// Scaling of whole numbers: a * b / c rounded to the nearest, as the Windows MulDiv does.
#pragma once

#include <cstdint>

// a * b / c rounded to the nearest whole number, halves away from zero; the product is
// taken in 64 bits, so 32-bit operands never overflow. c = 0 leaves a as it is.
constexpr int MulDivRound(std::int64_t a, std::int64_t b, std::int64_t c) {
  if (c == 0) return int(a);
  const std::int64_t p = a * b, half = (c > 0 ? c : -c) / 2;
  return int((p >= 0 ? p + half : p - half) / c);
}
