// Big-endian (network order) integers as PNG files store them: chunk lengths, CRCs,
// header fields and 16-bit samples.
#pragma once

#include <cstdint>

// In a namespace of their own: test helpers define functions of the same names.
namespace pngbytes {

inline std::uint32_t GetBE32(const std::uint8_t* p) {
  return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
}

inline std::uint16_t GetBE16(const std::uint8_t* p) { return std::uint16_t(p[0] << 8 | p[1]); }

inline void PutBE32(std::uint8_t* p, std::uint32_t v) {
  p[0] = std::uint8_t(v >> 24);
  p[1] = std::uint8_t(v >> 16);
  p[2] = std::uint8_t(v >> 8);
  p[3] = std::uint8_t(v);
}

inline void PutBE16(std::uint8_t* p, std::uint16_t v) {
  p[0] = std::uint8_t(v >> 8);
  p[1] = std::uint8_t(v);
}

}  // namespace pngbytes
