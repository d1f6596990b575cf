#include "platform/font/textrun.h"

#include <algorithm>
#include <climits>

namespace textrun {
namespace {

// A 1-bit canvas covering part of a line, in coordinates relative to the line's cell.
class Mask {
 public:
  Mask(int left, int top, int right, int bottom)
      : left_(left), top_(top), width_(std::max(0, right - left)), height_(std::max(0, bottom - top)),
        pitch_((width_ + 7) / 8), bits_(std::size_t(pitch_) * std::size_t(height_), 0) {}

  bool Empty() const { return width_ == 0 || height_ == 0; }

  void Set(int x, int y) {
    x -= left_;
    y -= top_;
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
    bits_[std::size_t(y) * pitch_ + std::size_t(x / 8)] |= BYTE(0x80 >> (x % 8));
  }

  void Fill(int x0, int y0, int x1, int y1) {
    x0 = std::max(x0, left_);
    y0 = std::max(y0, top_);
    x1 = std::min(x1, left_ + width_);
    y1 = std::min(y1, top_ + height_);
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x) Set(x, y);
  }

  void Paint(HDC hdc, int x, int y, COLORREF color) const {
    if (Empty()) return;
    PaintMonoMask(hdc, x + left_, y + top_, bits_.data(), width_, height_, pitch_, color);
  }

 private:
  int left_, top_, width_, height_, pitch_;
  std::vector<BYTE> bits_;
};

// Clamps a long sum of pen positions into int range so absurd dx arrays cannot overflow.
int ClampInt(long long v) { return int(std::clamp<long long>(v, INT_MIN / 4, INT_MAX / 4)); }

}  // namespace

DcFont FontOfLogFont(const LOGFONTA& lf) {
  DcFont f;
  const bool bold = lf.lfWeight >= 600;
  f.font = fontcache::GetSizedFont(bold, fontcache::PixelSizeForHeight(bold, lf.lfHeight));
  f.weight = lf.lfWeight > 0 ? lf.lfWeight : 400;
  f.underline = lf.lfUnderline != 0;
  f.strikeOut = lf.lfStrikeOut != 0;
  f.italic = lf.lfItalic != 0;
  return f;
}

DcFont FontOfDC(HDC hdc) {
  HGDIOBJ obj = hdc ? GetCurrentObject(hdc, OBJ_FONT) : nullptr;
  if (obj && obj->objType == OBJ_FONT) return FontOfLogFont(static_cast<const GdiFont*>(obj)->logFont);
  return FontOfLogFont(LOGFONTA{});
}

Run MakeRun(const fontcache::SizedFont& font, const char* text, std::size_t count, const int* dx) {
  Run run;
  run.chars.reserve(count);
  long long x = 0;
  for (std::size_t i = 0; i < count; ++i) {
    PlacedChar c;
    c.ch = static_cast<unsigned char>(text[i]);
    c.x = ClampInt(x);
    c.advance = dx ? dx[i] : font.glyphs[c.ch].advance;
    x += c.advance;
    run.chars.push_back(c);
  }
  run.width = ClampInt(x);
  return run;
}

void PaintRun(HDC hdc, const DcFont& f, int x, int y, const Run& run, const RECT* clip, Cell cell) {
  const fontcache::SizedFont& font = *f.font;
  const int height = font.Height();
  if (cell == Cell::kOpaque) {
    RECT r{x, y, x + run.width, y + height};
    if (!clip || IntersectRect(&r, r, *clip)) FillSolidRect(hdc, r, ColorToRGB(GetBkColor(hdc)));
  }

  // The mask covers the cell plus whatever glyphs reach outside it, cut to the clip.
  long long left = 0, top = 0, right = run.width, bottom = height;
  for (const PlacedChar& c : run.chars) {
    if (!c.visible) continue;
    const fontcache::Glyph& g = font.glyphs[c.ch];
    if (g.width == 0 || g.height == 0) continue;
    left = std::min<long long>(left, c.x + g.left);
    right = std::max<long long>(right, c.x + g.left + g.width);
    top = std::min<long long>(top, font.ascent - g.top);
    bottom = std::max<long long>(bottom, font.ascent - g.top + g.height);
  }
  if (clip) {
    left = std::max<long long>(left, (long long)clip->left - x);
    top = std::max<long long>(top, (long long)clip->top - y);
    right = std::min<long long>(right, (long long)clip->right - x);
    bottom = std::min<long long>(bottom, (long long)clip->bottom - y);
  }
  if (right <= left || bottom <= top) return;
  Mask mask(ClampInt(left), ClampInt(top), ClampInt(right), ClampInt(bottom));

  for (const PlacedChar& c : run.chars) {
    if (c.prefixUnderline)
      mask.Fill(c.x, font.underlineRow, c.x + c.advance, font.underlineRow + font.underlineThickness);
    if (!c.visible) continue;
    const fontcache::Glyph& g = font.glyphs[c.ch];
    const int gx = c.x + g.left;
    const int gy = font.ascent - g.top;
    // Glyphs wholly outside the clip are skipped, so long clipped lines stay cheap.
    if (gx >= right || gx + g.width <= left) continue;
    for (int row = 0; row < g.height; ++row)
      for (int col = 0; col < g.width; ++col)
        if (g.Bit(col, row)) mask.Set(gx + col, gy + row);
  }
  if (f.underline) mask.Fill(0, font.underlineRow, run.width, font.underlineRow + font.underlineThickness);
  if (f.strikeOut) mask.Fill(0, font.strikeoutRow, run.width, font.strikeoutRow + font.strikeoutThickness);
  mask.Paint(hdc, x, y, ColorToRGB(GetTextColor(hdc)));
}

}  // namespace textrun
