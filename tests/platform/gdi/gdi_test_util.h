// Small fixtures for the GDI tests: 32-bit drawing surfaces and pixel comparisons that
// name the first pixel that differs.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>

// The GDI's own tests look at its objects from inside.
#include "platform/gdi/dc_internal.h"
#include "platform/gdi/gdi.h"
#include "support/surface.h"

using testsupport::Surface32;

// Compares every pixel with expect(x, y); reports the first mismatch with coordinates.
inline ::testing::AssertionResult PixelsMatch(const Surface32& s, const std::function<COLORREF(int, int)>& expect) {
  for (int y = 0; y < s.h; ++y)
    for (int x = 0; x < s.w; ++x)
      if (s.At(x, y) != expect(x, y)) {
        char msg[160];
        std::snprintf(msg, sizeof msg, "first mismatch at (%d, %d): got 0x%06X, want 0x%06X", x, y,
                      unsigned(s.At(x, y)), unsigned(expect(x, y)));
        return ::testing::AssertionFailure() << msg;
      }
  return ::testing::AssertionSuccess();
}
