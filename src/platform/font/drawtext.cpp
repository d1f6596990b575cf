// DrawTextA: prefix handling, line breaking, word wrap, tab expansion, end ellipsis,
// alignment and clipping.
#include <algorithm>
#include <cstring>

#include "platform/font/font.h"
#include "platform/font/textrun.h"

namespace {

// A character of a line after the ampersands are taken out.
struct Cell {
  unsigned char ch = 0;
  bool underline = false;
};
using Line = std::vector<Cell>;

bool IsBlank(unsigned char c) { return c == ' ' || c == '\t'; }

// Splits text into lines at CR, LF and CRLF (unless single-line) and resolves "&x" and
// "&&". A break at the very end starts no further line; empty text has no lines at all.
std::vector<Line> SplitLines(const char* text, std::size_t n, UINT format) {
  const bool single = format & DT_SINGLELINE;
  const bool prefixes = !(format & DT_NOPREFIX);
  const bool showUnderline = !(format & DT_HIDEPREFIX);
  std::vector<Line> lines;
  if (n == 0) return lines;
  Line cur;
  bool pendingUnderline = false;
  for (std::size_t i = 0; i < n; ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (!single && (c == '\r' || c == '\n')) {
      if (c == '\r' && i + 1 < n && text[i + 1] == '\n') ++i;
      lines.push_back(std::move(cur));
      cur.clear();
      pendingUnderline = false;
      continue;
    }
    if (prefixes && c == '&' && !pendingUnderline) {
      if (i + 1 < n && text[i + 1] == '&') {
        cur.push_back({'&', false});
        ++i;
      } else {
        pendingUnderline = true;  // a lone trailing '&' simply disappears
      }
      continue;
    }
    cur.push_back({c, pendingUnderline && showUnderline});
    pendingUnderline = false;
  }
  const unsigned char last = static_cast<unsigned char>(text[n - 1]);
  if (single || (last != '\r' && last != '\n') || !cur.empty()) lines.push_back(std::move(cur));
  return lines;
}

class Layout {
 public:
  Layout(const fontcache::SizedFont& font, UINT format)
      : font_(font), expandTabs_(format & DT_EXPANDTABS), tabWidth_(8 * font.avgCharWidth) {}

  // The advance of c when the pen stands at x from the line start.
  int Advance(unsigned char c, int x) const {
    if (expandTabs_ && c == '\t') {
      if (tabWidth_ <= 0) return 0;
      return (x / tabWidth_ + 1) * tabWidth_ - x;
    }
    return font_.glyphs[c].advance;
  }

  int Width(const Line& line, std::size_t begin, std::size_t end) const {
    int x = 0;
    for (std::size_t i = begin; i < end; ++i) x += Advance(line[i].ch, x);
    return x;
  }

  textrun::Run MakeRun(const Line& line) const {
    textrun::Run run;
    int x = 0;
    for (const Cell& cell : line) {
      textrun::PlacedChar c;
      c.ch = cell.ch;
      c.x = x;
      c.advance = Advance(cell.ch, x);
      c.visible = !(expandTabs_ && cell.ch == '\t');
      c.prefixUnderline = cell.underline;
      x += c.advance;
      run.chars.push_back(c);
    }
    run.width = x;
    return run;
  }

  // Breaks a line between words so each piece fits maxWidth. Blanks at a break belong to
  // neither piece; a word wider than maxWidth stays whole on a line of its own.
  std::vector<Line> Wrap(const Line& line, int maxWidth) const {
    std::vector<Line> out;
    const std::size_t n = line.size();
    std::size_t start = 0;
    if (n == 0) out.push_back({});
    while (start < n) {
      int x = 0;
      std::size_t j = start;
      std::size_t lastBreak = 0;  // end of the last word followed by a blank, 0 = none
      std::size_t end = n, next = n;
      for (; j < n; ++j) {
        const unsigned char c = line[j].ch;
        if (IsBlank(c)) {
          if (j > start && !IsBlank(line[j - 1].ch)) lastBreak = j;
        } else if (j > start && x + Advance(c, x) > maxWidth) {
          end = lastBreak;
          if (end == 0) {
            end = j;
            while (end < n && !IsBlank(line[end].ch)) ++end;
          }
          next = end;
          while (next < n && IsBlank(line[next].ch)) ++next;
          break;
        }
        x += Advance(c, x);
      }
      out.emplace_back(line.begin() + std::ptrdiff_t(start), line.begin() + std::ptrdiff_t(end));
      start = next;
    }
    return out;
  }

  // Cuts a line that is wider than maxWidth and ends it with "...".
  void EndEllipsis(Line& line, int maxWidth) const {
    if (Width(line, 0, line.size()) <= maxWidth) return;
    const int dots = 3 * font_.glyphs['.'].advance;
    std::size_t end = line.size();
    while (end > 0 && Width(line, 0, end) + dots > maxWidth) --end;
    line.resize(end);
    for (int i = 0; i < 3; ++i) line.push_back({'.', false});
  }

 private:
  const fontcache::SizedFont& font_;
  bool expandTabs_;
  int tabWidth_;
};

}  // namespace

int DrawTextA(HDC hdc, const char* text, int count, RECT* rect, UINT format) {
  if (!hdc || !text || !rect) return 0;
  const std::size_t n = count < 0 ? std::strlen(text) : std::size_t(count);
  const textrun::DcFont f = textrun::FontOfDC(hdc);
  const fontcache::SizedFont& font = *f.font;
  const Layout layout(font, format);
  const int lineHeight = font.Height();
  const int maxWidth = rect->right - rect->left;
  const bool single = format & DT_SINGLELINE;

  std::vector<Line> lines;
  for (Line& line : SplitLines(text, n, format)) {
    if ((format & DT_WORDBREAK) && !single) {
      for (Line& piece : layout.Wrap(line, maxWidth)) lines.push_back(std::move(piece));
    } else {
      lines.push_back(std::move(line));
    }
  }
  if (format & DT_END_ELLIPSIS)
    for (Line& line : lines) layout.EndEllipsis(line, maxWidth);

  const int total = int(lines.size()) * lineHeight;
  int y = rect->top;
  if (single && (format & DT_VCENTER)) y = rect->top + (rect->bottom - rect->top - lineHeight) / 2;
  else if (single && (format & DT_BOTTOM)) y = rect->bottom - lineHeight;

  if (format & DT_CALCRECT) {
    int widest = 0;
    for (const Line& line : lines) widest = std::max(widest, layout.Width(line, 0, line.size()));
    rect->right = rect->left + widest;
    rect->bottom = rect->top + total;
    return total;
  }

  const textrun::Cell cell = GetBkMode(hdc) == OPAQUE ? textrun::Cell::kOpaque : textrun::Cell::kTransparent;
  const RECT* clip = (format & DT_NOCLIP) ? nullptr : rect;
  int lineY = y;
  for (const Line& line : lines) {
    const textrun::Run run = layout.MakeRun(line);
    int x = rect->left;
    if (format & DT_CENTER) x = rect->left + (maxWidth - run.width) / 2;
    else if (format & DT_RIGHT) x = rect->right - run.width;
    textrun::PaintRun(hdc, f, x, lineY, run, clip, cell);
    lineY += lineHeight;
  }
  if (single && (format & (DT_VCENTER | DT_BOTTOM))) return y - rect->top + lineHeight;
  return total;
}
