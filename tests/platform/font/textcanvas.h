// A 32-bit bitmap with a memory DC around it for text tests, and ink measurements.
#pragma once

#include <algorithm>
#include <cstdio>
#include <string>

#include "platform/font/font.h"
#include "platform/gdi/gdi.h"
#include "support/golden.h"
#include "support/surface.h"

namespace fonttest {

constexpr COLORREF kFace = RGB(240, 240, 240);
constexpr COLORREF kInk = RGB(0, 0, 0);

class TextCanvas {
 public:
  TextCanvas(int width, int height, COLORREF background = kFace) : surface_(width, height, background) {
    SetTextColor(dc(), kInk);
    SetBkColor(dc(), background);
    SetBkMode(dc(), TRANSPARENT);
  }
  ~TextCanvas() {
    if (font_) {
      SelectObject(dc(), oldFont_);
      DeleteObject(font_);
    }
  }
  TextCanvas(const TextCanvas&) = delete;
  TextCanvas& operator=(const TextCanvas&) = delete;

  HDC dc() const { return surface_.dc; }
  HBITMAP bitmap() const { return surface_.bmp; }
  int width() const { return surface_.w; }
  int height() const { return surface_.h; }

  // Selects a font of this canvas (the previous one made here is freed).
  void UseFont(const LOGFONTA& lf) {
    HFONT f = CreateFontIndirectA(&lf);
    HGDIOBJ prev = SelectObject(dc(), f);
    if (font_) DeleteObject(font_);
    else oldFont_ = prev;
    font_ = f;
  }
  void UseFont(LONG height, LONG weight = FW_NORMAL, const char* face = "Tahoma") {
    LOGFONTA lf;
    lf.lfHeight = height;
    lf.lfWeight = weight;
    std::snprintf(lf.lfFaceName, sizeof lf.lfFaceName, "%s", face);
    UseFont(lf);
  }

  testsupport::Image Image() const { return testsupport::ImageFromBitmap(bitmap()); }

 private:
  testsupport::Surface32 surface_;
  HFONT font_ = nullptr;
  HGDIOBJ oldFont_ = nullptr;
};

// The bounding box of every pixel that differs from `background`; empty when none does.
inline RECT InkBox(const testsupport::Image& img, COLORREF background = kFace) {
  RECT box{img.width, img.height, 0, 0};
  for (int y = 0; y < img.height; ++y)
    for (int x = 0; x < img.width; ++x)
      if (img.Color(x, y) != background) {
        box.left = std::min<LONG>(box.left, x);
        box.top = std::min<LONG>(box.top, y);
        box.right = std::max<LONG>(box.right, x + 1);
        box.bottom = std::max<LONG>(box.bottom, y + 1);
      }
  if (box.right == 0) return RECT{};
  return box;
}

inline int CountColor(const testsupport::Image& img, COLORREF color, const RECT& area) {
  int n = 0;
  for (int y = std::max<LONG>(0, area.top); y < std::min<LONG>(img.height, area.bottom); ++y)
    for (int x = std::max<LONG>(0, area.left); x < std::min<LONG>(img.width, area.right); ++x)
      n += img.Color(x, y) == color;
  return n;
}

inline SIZE Extent(HDC dc, const std::string& s) {
  SIZE size{};
  GetTextExtentPoint32A(dc, s.data(), int(s.size()), &size);
  return size;
}

// The first pixel where two images differ, as text for failure messages ("" when equal).
inline std::string FirstDifference(const testsupport::Image& a, const testsupport::Image& b) {
  if (a.width != b.width || a.height != b.height) return "sizes differ";
  for (int y = 0; y < a.height; ++y)
    for (int x = 0; x < a.width; ++x)
      if ((a.At(x, y) & 0xFFFFFF) != (b.At(x, y) & 0xFFFFFF)) {
        char buf[96];
        std::snprintf(buf, sizeof buf, "first difference at (%d, %d): %06X vs %06X", x, y,
                      unsigned(a.At(x, y) & 0xFFFFFF), unsigned(b.At(x, y) & 0xFFFFFF));
        return buf;
      }
  return "";
}

}  // namespace fonttest
