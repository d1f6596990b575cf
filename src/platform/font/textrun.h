// The shared core of the text functions: the font of a DC and the painting of one laid-out
// line of text as a 1-bit mask. Internal to platform/font.
#pragma once

#include <memory>
#include <vector>

#include "platform/font/fontcache.h"
#include "platform/gdi/gdi.h"

namespace textrun {

// The glyph set and the drawn attributes a LOGFONTA asks for.
struct DcFont {
  std::shared_ptr<const fontcache::SizedFont> font;
  LONG weight = 400;
  bool underline = false;
  bool strikeOut = false;
  bool italic = false;
};

DcFont FontOfLogFont(const LOGFONTA& lf);
// The selected font of the DC, or Tahoma -11 regular when none is selected.
DcFont FontOfDC(HDC hdc);

// One character of a line: its pen position relative to the line's left edge.
struct PlacedChar {
  unsigned char ch = 0;
  int x = 0;
  int advance = 0;
  bool visible = true;          // false for expanded tabs, which only move the pen
  bool prefixUnderline = false;  // the accelerator letter of DrawText
};

struct Run {
  std::vector<PlacedChar> chars;
  int width = 0;
};

// Lays out count bytes; dx, when given, holds each character's advance.
Run MakeRun(const fontcache::SizedFont& font, const char* text, std::size_t count, const int* dx);

enum class Cell { kTransparent, kOpaque };

// Paints the run with its cell's top-left corner at logical (x, y) in the DC's text
// colour, filling the cell with the background colour first when opaque. Everything stays
// inside `clip` when it is given.
void PaintRun(HDC hdc, const DcFont& font, int x, int y, const Run& run, const RECT* clip, Cell cell);

}  // namespace textrun
