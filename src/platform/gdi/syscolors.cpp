// System colour table (Windows 7 default scheme).
#include "platform/gdi/gdi.h"

namespace {

struct SysColor {
  int index;
  BYTE r, g, b;
};

constexpr SysColor kSysColors[] = {
    {0, 200, 200, 200}, {1, 0, 0, 0},       {2, 153, 180, 209}, {3, 191, 205, 219}, {4, 240, 240, 240},
    {5, 255, 255, 255}, {6, 100, 100, 100}, {7, 0, 0, 0},       {8, 0, 0, 0},       {9, 0, 0, 0},
    {10, 180, 180, 180}, {11, 244, 247, 252}, {12, 171, 171, 171}, {13, 51, 153, 255}, {14, 255, 255, 255},
    {15, 240, 240, 240}, {16, 160, 160, 160}, {17, 109, 109, 109}, {18, 0, 0, 0},     {19, 67, 78, 84},
    {20, 255, 255, 255}, {21, 105, 105, 105}, {22, 227, 227, 227}, {23, 0, 0, 0},     {24, 255, 255, 225},
    {26, 0, 102, 204},   {27, 185, 209, 234}, {28, 215, 228, 242}, {29, 51, 153, 255}, {30, 240, 240, 240},
};

}  // namespace

COLORREF GetSysColor(int index) {
  for (const SysColor& c : kSysColors)
    if (c.index == index) return RGB(c.r, c.g, c.b);
  return 0;
}

COLORREF ColorToRGB(COLORREF color) {
  if ((color & 0xFFFFFF00u) == 0xFF000000u) return GetSysColor(int(color & 0xFF));
  return color;
}
