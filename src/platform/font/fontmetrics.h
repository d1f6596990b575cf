// What the FreeType and the Windows glyph sources share: a face's design numbers, the GDI
// rows and widths of a size taken from them, the pixel size of a GDI font height, and the
// cache of glyph sets per size. Internal to platform/font.
#pragma once

#include <algorithm>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>

#include "platform/base/muldiv.h"
#include "platform/font/fontcache.h"

namespace fontcache {

// A face's numbers in design units: the Windows ascent and descent define the cell, as
// GDI does, so lines are as tall as on Windows whatever the rasteriser's own metrics say.
struct DesignMetrics {
  std::int64_t upem = 2048;
  std::int64_t winAscent = 0, winDescent = 0;
  std::int64_t underlinePos = 0, underlineThick = 0;
  std::int64_t strikePos = 0, strikeSize = 0;
  std::int64_t avgWidth = 0;
};

// Fills in the defaults a face's tables left open: a cell of 0.9 + 0.2 em when the face
// gives none, the strike-out a third of the ascent up when it gives no position.
void CompleteDesignMetrics(DesignMetrics& m);

// Cell, underline and strike-out rows of `f` at f.pixelSize from the face's numbers.
void SetRows(SizedFont& f, const DesignMetrics& m);

// Cell and rows of `f` at f.pixelSize when no face could be loaded: those of the UI font,
// so layouts stay sane although nothing is drawn.
void SetRowsWithoutFace(SizedFont& f);

// Widest advance and average width of `f` once its glyphs are in: the average is the
// advance of a lower-case x, as GDI reports it, or the face's average where x is empty.
void SetWidths(SizedFont& f, const DesignMetrics& m);

// Pixel size for a GDI font height: negative = character height, 0 = the default size,
// positive = cell height, scaled by the cell of the face `design` returns (called only
// then; nullopt when there is no face).
template <typename DesignOf>
int PixelSizeForHeightWith(LONG lfHeight, DesignOf design) {
  if (lfHeight == 0) return kDefaultPixelSize;
  if (lfHeight < 0) return int(std::min<std::int64_t>(-std::int64_t(lfHeight), kMaxPixelSize));
  const std::int64_t cell = std::min<std::int64_t>(lfHeight, 4 * kMaxPixelSize);
  const std::optional<DesignMetrics> m = design();
  const int px = m ? MulDivRound(cell, m->upem, m->winAscent + m->winDescent) : MulDivRound(cell, 11, 13);
  return std::clamp(px, 1, kMaxPixelSize);
}

// Glyph sets by face and size. Not locked: its owner holds its own lock around every use.
class SizedFontCache {
 public:
  // The set of the regular or bold face at `pixelSize` (clamped to 1..kMaxPixelSize), made
  // by `build(bold, px)` when not kept yet.
  template <typename Build>
  std::shared_ptr<const SizedFont> Get(bool bold, int pixelSize, Build build) {
    const int px = std::clamp(pixelSize, 1, kMaxPixelSize);
    const int key = (bold ? 1 : 0) * 1024 + px;
    auto it = sized_.find(key);
    if (it != sized_.end()) return it->second;
    // A handful of sizes is all a program uses; should one ask for many, start over rather
    // than grow without bound (callers hold their own references).
    if (sized_.size() >= kMaxKept) sized_.clear();
    std::shared_ptr<const SizedFont> font = build(bold, px);
    sized_.emplace(key, font);
    return font;
  }

  void Clear() { sized_.clear(); }

 private:
  static constexpr std::size_t kMaxKept = 32;
  std::map<int, std::shared_ptr<const SizedFont>> sized_;
};

}  // namespace fontcache
