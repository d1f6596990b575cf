// GDI rows and widths of a size from a face's design numbers, shared by both glyph sources.
#include "platform/font/fontmetrics.h"

#include <algorithm>

namespace fontcache {

int ScaleRound(std::int64_t a, std::int64_t b, std::int64_t c) {
  const std::int64_t p = a * b;
  return int(p >= 0 ? (p + c / 2) / c : -((-p + c / 2) / c));
}

void CompleteDesignMetrics(DesignMetrics& m) {
  if (m.winAscent + m.winDescent <= 0) {
    m.winAscent = m.upem * 9 / 10;
    m.winDescent = m.upem / 5;
  }
  if (m.strikePos == 0) m.strikePos = m.winAscent / 3;
}

void SetRows(SizedFont& f, const DesignMetrics& m) {
  const int px = f.pixelSize;
  f.ascent = ScaleRound(m.winAscent, px, m.upem);
  f.descent = ScaleRound(m.winDescent, px, m.upem);
  const int height = f.Height();
  f.underlineThickness = std::max(1, ScaleRound(m.underlineThick, px, m.upem));
  f.underlineRow = std::clamp(f.ascent + std::max(0, ScaleRound(-m.underlinePos, px, m.upem)), 0,
                              std::max(0, height - f.underlineThickness));
  f.strikeoutThickness = std::max(1, ScaleRound(m.strikeSize, px, m.upem));
  f.strikeoutRow = std::clamp(f.ascent - ScaleRound(m.strikePos, px, m.upem), 0,
                              std::max(0, height - f.strikeoutThickness));
}

void SetRowsWithoutFace(SizedFont& f) {
  const int px = f.pixelSize;
  f.ascent = ScaleRound(px, 11, 13 - 2);
  f.descent = std::max(1, ScaleRound(px, 2, 11));
  f.underlineRow = f.ascent;
  f.strikeoutRow = f.ascent * 2 / 3;
}

void SetWidths(SizedFont& f, const DesignMetrics& m) {
  f.maxCharWidth = 0;
  for (const Glyph& g : f.glyphs) f.maxCharWidth = std::max(f.maxCharWidth, g.advance);
  f.avgCharWidth = f.glyphs['x'].advance > 0 ? f.glyphs['x'].advance : ScaleRound(m.avgWidth, f.pixelSize, m.upem);
}

}  // namespace fontcache
