// A font of the system at one pixel height, for the Windows text path: the raw tables of
// its face and its glyphs as 1-bit masks from the system's rasteriser.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace native {

// One glyph as the system rasterises it: mask rows `pitch` bytes apart, high bit first,
// placed from the pen position on the baseline (columns from `left`, rows from `top`
// above it); `advance` is the pen step of the drawn cell.
struct GlyphMask {
  int advance = 0;
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  int pitch = 0;
  std::vector<std::uint8_t> bits;
};

class Font {
 public:
  // The system's font of that face, weight 700 when bold else 400, character height
  // `pixels` (GDI height -pixels), without anti-aliasing. Null when none can be made.
  static std::unique_ptr<Font> Open(const std::string& face, bool bold, int pixels);
  ~Font();
  Font(const Font&) = delete;
  Font& operator=(const Font&) = delete;

  // The face the system actually chose (another one when the asked face is missing).
  std::string FaceName() const;
  // The raw font table with that four-letter tag ("OS/2", "head", ...); empty if absent.
  std::vector<std::uint8_t> Table(const char* tag) const;
  // The glyph of a Unicode character; false when the system gives none.
  bool Glyph(char32_t ch, GlyphMask* out) const;

 private:
  struct Handles;
  explicit Font(std::unique_ptr<Handles> h);
  std::unique_ptr<Handles> h_;
};

}  // namespace native
