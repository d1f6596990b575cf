// Character classes and small rules that the readable form's writer and parser share;
// private to ui/forms.
#pragma once

#include <cstdint>
#include <string>

#include "ui/forms/formdoc.h"

namespace formtext {

inline bool IsIdentStart(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
inline bool IsIdentChar(char c) { return IsIdentStart(c) || (c >= '0' && c <= '9'); }
inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }
inline int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// A dotted identifier: Name, PngImage.Data.
inline bool IsIdentifier(const std::string& s) {
  if (s.empty()) return false;
  bool start = true;
  for (char c : s) {
    if (start) {
      if (!IsIdentStart(c)) return false;
      start = false;
    } else if (c == '.') {
      start = true;
    } else if (!IsIdentChar(c)) {
      return false;
    }
  }
  return !start;
}

inline TValueType DefaultIntegerType(std::int64_t v) {
  if (v >= INT8_MIN && v <= INT8_MAX) return vaInt8;
  if (v >= INT16_MIN && v <= INT16_MAX) return vaInt16;
  if (v >= INT32_MIN && v <= INT32_MAX) return vaInt32;
  return vaInt64;
}

}  // namespace formtext
