// Face loading and the per-size glyph cache of the Windows build: glyph masks come from
// the system's rasteriser, while the cell, underline and strike-out rows come from the
// face's own tables by the rules of fontmetrics.h, shared with the FreeType path, so text
// measures the same on both systems.
//
// Sections: the face's design numbers; glyph sets of a size; the cache.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <mutex>

#include "platform/font/fontcache.h"
#include "platform/base/cp1252.h"
#include "platform/font/fontmetrics.h"
#include "platform/native/native_font.h"

namespace fontcache {
namespace {

constexpr const char* kFaceName = "Tahoma";

// ---------------------------------------------------------------------------------------
// Design numbers from the raw tables (big-endian, offsets of the OpenType layout).

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
  if (post.size() >= 12) {
    m.underlinePos = S16(post, 8);
    m.underlineThick = S16(post, 10);
  }
  CompleteDesignMetrics(m);
  return m;
}

// ---------------------------------------------------------------------------------------
// The faces: found once per process; a missing Tahoma is said once.

struct Faces {
  bool loaded = false;
  bool warned = false;
  bool present[2] = {false, false};  // regular, bold
  DesignMetrics design[2];
  SizedFontCache sized;
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
    SetRowsWithoutFace(*f);
    return f;
  }
  f->hasFace = true;
  const DesignMetrics& m = st.design[index];
  SetRows(*f, m);
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
  }
  SetWidths(*f, m);
  return f;
}

}  // namespace

std::shared_ptr<const SizedFont> GetSizedFont(bool bold, int pixelSize) {
  std::lock_guard<std::mutex> guard(Lock());
  Faces& st = State();
  LoadFaces(st);
  return st.sized.Get(bold, pixelSize, [&st](bool b, int px) { return BuildSizedFont(st, b, px); });
}

int PixelSizeForHeight(bool bold, LONG lfHeight) {
  return PixelSizeForHeightWith(lfHeight, [bold]() -> std::optional<DesignMetrics> {
    std::lock_guard<std::mutex> guard(Lock());
    Faces& st = State();
    LoadFaces(st);
    const int index = FaceIndex(st, bold);
    if (!st.present[index]) return std::nullopt;
    return st.design[index];
  });
}

// The system's fonts need no folder; a reset only makes the next use load afresh.
void ResetForTesting(const std::string&) {
  std::lock_guard<std::mutex> guard(Lock());
  State() = Faces{};
}

}  // namespace fontcache
