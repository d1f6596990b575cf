// The icon object behind HICON: a colour bitmap and a monochrome mask (white = transparent),
// or a 32-bit colour bitmap whose fourth byte is alpha. Kept minimal until the platform
// layer has icons of its own.
#pragma once

#include "platform/gdi/gdi.h"

struct IconObj {
  int width = 0;
  int height = 0;
  GdiPtr<GdiBitmap> color;  // 32 bpp device bitmap
  GdiPtr<GdiBitmap> mask;   // 1 bpp, may be null when hasAlpha
  bool hasAlpha = false;    // the colour bitmap's fourth byte is straight alpha
};

// Makes an icon from copies of a colour bitmap and a mask (either may be null but not both);
// hasAlpha says the colour bitmap carries alpha. Null for bad arguments.
HICON CreateIconFromBitmaps(HBITMAP color, HBITMAP mask, bool hasAlpha);
HICON CopyIconObj(HICON icon);
void DestroyIconObj(HICON icon);
