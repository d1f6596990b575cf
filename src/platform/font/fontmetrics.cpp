// GDI rows and widths of a size from a face's design numbers, shared by both glyph sources.
#include "platform/font/fontmetrics.h"

#include <algorithm>

namespace fontcache {

void CompleteDesignMetrics(DesignMetrics& m) {
  if (m.winAscent + m.winDescent <= 0) {
    m.winAscent = m.upem * 9 / 10;
    m.winDescent = m.upem / 5;
  }
  if (m.strikePos == 0) m.strikePos = m.winAscent / 3;
}

void SetRows(SizedFont& f, const DesignMetrics& m) {
  const int px = f.pixelSize;
  f.ascent = MulDivRound(m.winAscent, px, m.upem);
  f.descent = MulDivRound(m.winDescent, px, m.upem);
  const int height = f.Height();
  f.underlineThickness = std::max(1, MulDivRound(m.underlineThick, px, m.upem));
  f.underlineRow = std::clamp(f.ascent + std::max(0, MulDivRound(-m.underlinePos, px, m.upem)), 0,
                              std::max(0, height - f.underlineThickness));
  f.strikeoutThickness = std::max(1, MulDivRound(m.strikeSize, px, m.upem));
  f.strikeoutRow = std::clamp(f.ascent - MulDivRound(m.strikePos, px, m.upem), 0,
                              std::max(0, height - f.strikeoutThickness));
}

void SetRowsWithoutFace(SizedFont& f) {
  const int px = f.pixelSize;
  f.ascent = MulDivRound(px, 11, 13 - 2);
  f.descent = std::max(1, MulDivRound(px, 2, 11));
  f.underlineRow = f.ascent;
  f.strikeoutRow = f.ascent * 2 / 3;
}

void SetWidths(SizedFont& f, const DesignMetrics& m) {
  f.maxCharWidth = 0;
  for (const Glyph& g : f.glyphs) f.maxCharWidth = std::max(f.maxCharWidth, g.advance);
  f.avgCharWidth = f.glyphs['x'].advance > 0 ? f.glyphs['x'].advance : MulDivRound(m.avgWidth, f.pixelSize, m.upem);
}

}  // namespace fontcache
