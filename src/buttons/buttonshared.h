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

// The height a caption takes when laid out as the buttons draw it.
constexpr UINT kMeasureFlags = DT_CALCRECT | DT_EXPANDTABS | DT_WORDBREAK | DT_VCENTER | DT_CENTER;

}  // namespace buttons_internal
