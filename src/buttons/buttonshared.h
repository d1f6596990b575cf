// Small helpers the button classes share: storing a property only when it changes, the
// scaling rule for pixel distances, and how a caption is measured.
#pragma once

#include "platform/font/font.h"

namespace buttons_internal {

// Stores value and says whether it differed, so a setter invalidates only on a change.
template <class T>
bool Store(T& field, T value) {
  if (field == value) return false;
  field = value;
  return true;
}

// value * m / d rounded to the nearest whole number, halves away from zero; d = 0 keeps
// value.
inline int ScaleRound(int value, int m, int d) {
  if (d == 0) return value;
  const long long p = static_cast<long long>(value) * m;
  const long long half = (d > 0 ? d : -d) / 2;
  return int(p >= 0 ? (p + half) / d : (p - half) / d);
}

// The height a caption takes when laid out as the buttons draw it.
constexpr UINT kMeasureFlags = DT_CALCRECT | DT_EXPANDTABS | DT_WORDBREAK | DT_VCENTER | DT_CENTER;

}  // namespace buttons_internal
