// Face loading and the per-size glyph cache of the Windows build: glyph masks come from
// the system's rasteriser, while the cell, underline and strike-out rows come from the
// face's own tables by the same rules as the FreeType path, so text measures the same on
// both systems.
//
// Sections: the face's design numbers; glyph sets of a size; the cache.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <map>
#include <mutex>

#include "platform/font/fontcache.h"
#include "platform/native/native_font.h"

namespace fontcache {
namespace {

constexpr const char* kFaceName = "Tahoma";

// Rounds a * b / c to the nearest integer, halves away from zero (c > 0).
int ScaleRound(std::int64_t a, std::int64_t b, std::int64_t c) {
  const std::int64_t p = a * b;
  return int(p >= 0 ? (p + c / 2) / c : -((-p + c / 2) / c));
}

// ---------------------------------------------------------------------------------------
// Design numbers from the raw tables (big-endian, offsets of the OpenType layout).

struct DesignMetrics {
  std::int64_t upem = 2048;
  std::int64_t winAscent = 0, winDescent = 0;
  std::int64_t underlinePos = 0, underlineThick = 0;
  std::int64_t strikePos = 0, strikeSize = 0;
  std::int64_t avgWidth = 0;
};

// The 16-bit value at `offset`, or `fallback` past the table's end.
std::int64_t U16(const std::vector<std::uint8_t>& t, std::size_t offset, std::int64_t fallback = 0) {
  if (offset + 2 > t.size()) return fallback;
  return (std::int64_t(t[offset]) << 8) | t[offset + 1];
}
std::int64_t S16(const std::vector<std::uint8_t>& t, std::size_t offset) {
  const std::int64_t v = U16(t, offset);
  return v >= 0x8000 ? v - 0x10000 : v;
}

DesignMetrics ReadDesignMetrics(const native::Font& font) {
  DesignMetrics m;
  const auto head = font.Table("head");
  const auto os2 = font.Table("OS/2");
  const auto hhea = font.Table("hhea");
  const auto post = font.Table("post");
  const std::int64_t upem = U16(head, 18);
  m.upem = upem > 0 ? upem : 2048;
  if (os2.size() >= 78 && U16(os2, 74) + U16(os2, 76) > 0) {
    m.avgWidth = S16(os2, 2);
    m.strikeSize = S16(os2, 26);
    m.strikePos = S16(os2, 28);
    m.winAscent = U16(os2, 74);
    m.winDescent = U16(os2, 76);
  } else if (hhea.size() >= 8) {
    m.winAscent = S16(hhea, 4);
    m.winDescent = -S16(hhea, 6);
  }
  if (m.winAscent + m.winDescent <= 0) {
    m.winAscent = m.upem * 9 / 10;
    m.winDescent = m.upem / 5;
  }
  if (m.strikePos == 0) m.strikePos = m.winAscent / 3;
  if (post.size() >= 12) {
    m.underlinePos = S16(post, 8);
    m.underlineThick = S16(post, 10);
  }
  return m;
}

// ---------------------------------------------------------------------------------------
// The faces: found once per process; a missing Tahoma is said once.

struct Faces {
  bool loaded = false;
  bool warned = false;
  bool present[2] = {false, false};  // regular, bold
  DesignMetrics design[2];
  std::map<int, std::shared_ptr<const SizedFont>> sized;
};

std::mutex& Lock() {
  static std::mutex m;
  return m;
}

Faces& State() {
  static Faces faces;
  return faces;
}

void LoadFaces(Faces& st) {
  if (st.loaded) return;
  st.loaded = true;
  for (int bold = 0; bold < 2; ++bold) {
    const auto font = native::Font::Open(kFaceName, bold != 0, kDefaultPixelSize);
    if (!font) continue;
    st.present[bold] = true;
    st.design[bold] = ReadDesignMetrics(*font);
    const std::string chosen = font->FaceName();
    if (chosen != kFaceName && !st.warned) {
      st.warned = true;
      std::fprintf(stderr, "platform/font: the system has no %s face and uses %s, so text will not look as designed\n",
                   kFaceName, chosen.c_str());
    }
  }
  if (!st.present[0] && !st.present[1])
    std::fprintf(stderr, "platform/font: no usable font face found; text is not drawn\n");
}

int FaceIndex(const Faces& st, bool bold) { return (bold && st.present[1]) || !st.present[0] ? 1 : 0; }

// ---------------------------------------------------------------------------------------
// Glyph sets

std::shared_ptr<const SizedFont> BuildSizedFont(const Faces& st, bool bold, int px) {
  auto f = std::make_shared<SizedFont>();
  f->bold = bold;
  f->pixelSize = px;
  const int index = FaceIndex(st, bold);
  const auto font = st.present[index] ? native::Font::Open(kFaceName, index == 1, px) : nullptr;
  if (!font) {
    // Nothing to draw with: keep the cell of the UI font so layouts stay sane.
    f->ascent = ScaleRound(px, 11, 13 - 2);
    f->descent = std::max(1, ScaleRound(px, 2, 11));
    f->underlineRow = f->ascent;
    f->strikeoutRow = f->ascent * 2 / 3;
    return f;
  }
  f->hasFace = true;
  const DesignMetrics& m = st.design[index];
  f->ascent = ScaleRound(m.winAscent, px, m.upem);
  f->descent = ScaleRound(m.winDescent, px, m.upem);
  const int height = f->Height();
  f->underlineThickness = std::max(1, ScaleRound(m.underlineThick, px, m.upem));
  f->underlineRow = std::clamp(f->ascent + std::max(0, ScaleRound(-m.underlinePos, px, m.upem)), 0,
                               std::max(0, height - f->underlineThickness));
  f->strikeoutThickness = std::max(1, ScaleRound(m.strikeSize, px, m.upem));
  f->strikeoutRow = std::clamp(f->ascent - ScaleRound(m.strikePos, px, m.upem), 0,
                               std::max(0, height - f->strikeoutThickness));
  for (int b = 0; b < 256; ++b) {
    native::GlyphMask mask;
    Glyph& g = f->glyphs[std::size_t(b)];
    if (!font->Glyph(Cp1252ToUnicode(static_cast<unsigned char>(b)), &mask)) continue;
    g.advance = mask.advance;
    g.left = mask.left;
    g.top = mask.top;
    g.width = mask.width;
    g.height = mask.height;
    g.pitch = mask.pitch;
    g.bits = std::move(mask.bits);
    f->maxCharWidth = std::max(f->maxCharWidth, g.advance);
  }
  // GDI's average width is that of a lower-case x for the size actually drawn.
  f->avgCharWidth = f->glyphs['x'].advance > 0 ? f->glyphs['x'].advance : ScaleRound(m.avgWidth, px, m.upem);
  return f;
}

}  // namespace

std::shared_ptr<const SizedFont> GetSizedFont(bool bold, int pixelSize) {
  const int px = std::clamp(pixelSize, 1, kMaxPixelSize);
  std::lock_guard<std::mutex> guard(Lock());
  Faces& st = State();
  LoadFaces(st);
  const int key = (bold ? 1 : 0) * 1024 + px;
  auto it = st.sized.find(key);
  if (it != st.sized.end()) return it->second;
  // A handful of sizes is all a program uses; should one ask for many, start over rather
  // than grow without bound (callers hold their own references).
  if (st.sized.size() >= 32) st.sized.clear();
  auto font = BuildSizedFont(st, bold, px);
  st.sized.emplace(key, font);
  return font;
}

int PixelSizeForHeight(bool bold, LONG lfHeight) {
  if (lfHeight == 0) return kDefaultPixelSize;
  if (lfHeight < 0) return int(std::min<std::int64_t>(-std::int64_t(lfHeight), kMaxPixelSize));
  const std::int64_t cell = std::min<std::int64_t>(lfHeight, 4 * kMaxPixelSize);
  std::lock_guard<std::mutex> guard(Lock());
  Faces& st = State();
  LoadFaces(st);
  int px = ScaleRound(cell, 11, 13);
  const int index = FaceIndex(st, bold);
  if (st.present[index]) {
    const DesignMetrics& m = st.design[index];
    px = ScaleRound(cell, m.upem, m.winAscent + m.winDescent);
  }
  return std::clamp(px, 1, kMaxPixelSize);
}

// The system's fonts need no folder; a reset only makes the next use load afresh.
void ResetForTesting(const std::string&) {
  std::lock_guard<std::mutex> guard(Lock());
  State() = Faces{};
}

}  // namespace fontcache
