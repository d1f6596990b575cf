// Glyph masks and font tables through GDI. Advances come from the glyph metrics of the
// rasterised cell, never from the extent functions, which may report outline widths
// that differ from what is drawn.
#include "platform/native/native_font.h"

#include <algorithm>

#include "platform/native/native_internal.h"

namespace native {

struct Font::Handles {
  HDC dc = nullptr;
  HFONT font = nullptr;
  HGDIOBJ previous = nullptr;
  ~Handles() {
    if (dc && previous) SelectObject(dc, previous);
    if (font) DeleteObject(font);
    if (dc) DeleteDC(dc);
  }
};

Font::Font(std::unique_ptr<Handles> h) : h_(std::move(h)) {}
Font::~Font() = default;

std::unique_ptr<Font> Font::Open(const std::string& face, bool bold, int pixels) {
  auto h = std::make_unique<Handles>();
  h->dc = CreateCompatibleDC(nullptr);
  if (!h->dc) return nullptr;
  const std::wstring name = Widen(face);
  LOGFONTW lf{};
  lf.lfHeight = -std::max(1, pixels);
  lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
  lf.lfCharSet = DEFAULT_CHARSET;
  lf.lfQuality = NONANTIALIASED_QUALITY;
  lf.lfOutPrecision = OUT_TT_PRECIS;
  wcsncpy(lf.lfFaceName, name.c_str(), LF_FACESIZE - 1);
  h->font = CreateFontIndirectW(&lf);
  if (!h->font) return nullptr;
  h->previous = SelectObject(h->dc, h->font);
  if (!h->previous || h->previous == HGDI_ERROR) return nullptr;
  return std::unique_ptr<Font>(new Font(std::move(h)));
}

std::string Font::FaceName() const {
  wchar_t name[LF_FACESIZE] = {};
  if (GetTextFaceW(h_->dc, LF_FACESIZE, name) <= 0) return {};
  return Narrow(name);
}

std::vector<std::uint8_t> Font::Table(const char* tag) const {
  const DWORD t = DWORD(std::uint8_t(tag[0])) | DWORD(std::uint8_t(tag[1])) << 8 |
                  DWORD(std::uint8_t(tag[2])) << 16 | DWORD(std::uint8_t(tag[3])) << 24;
  const DWORD size = GetFontData(h_->dc, t, 0, nullptr, 0);
  if (size == GDI_ERROR || size == 0) return {};
  std::vector<std::uint8_t> data(size);
  if (GetFontData(h_->dc, t, 0, data.data(), size) != size) return {};
  return data;
}

bool Font::Glyph(char32_t ch, GlyphMask* out) const {
  if (ch > 0xFFFF) return false;
  const MAT2 identity = {{0, 1}, {0, 0}, {0, 0}, {0, 1}};
  GLYPHMETRICS gm{};
  const DWORD size = GetGlyphOutlineW(h_->dc, UINT(ch), GGO_BITMAP, &gm, 0, nullptr, &identity);
  if (size == GDI_ERROR) return false;
  GlyphMask g;
  g.advance = gm.gmCellIncX;
  if (size == 0) {  // nothing drawn (a space): only the pen step counts
    *out = std::move(g);
    return true;
  }
  std::vector<std::uint8_t> raw(size);
  if (GetGlyphOutlineW(h_->dc, UINT(ch), GGO_BITMAP, &gm, size, raw.data(), &identity) == GDI_ERROR) return false;
  g.left = gm.gmptGlyphOrigin.x;
  g.top = gm.gmptGlyphOrigin.y;
  g.width = int(gm.gmBlackBoxX);
  g.height = int(gm.gmBlackBoxY);
  g.pitch = (g.width + 7) / 8;
  // The system pads every row to 32 bits.
  const std::size_t stride = (std::size_t(g.width) + 31) / 32 * 4;
  if (stride * std::size_t(g.height) > raw.size()) return false;
  g.bits.assign(std::size_t(g.pitch) * std::size_t(g.height), 0);
  for (int y = 0; y < g.height; ++y)
    std::copy_n(raw.data() + std::size_t(y) * stride, g.pitch, g.bits.data() + std::size_t(y) * std::size_t(g.pitch));
  if (g.width % 8)
    for (int y = 0; y < g.height; ++y) g.bits[std::size_t(y) * std::size_t(g.pitch) + std::size_t(g.pitch) - 1] &= std::uint8_t(0xFF << (8 - g.width % 8));
  *out = std::move(g);
  return true;
}

}  // namespace native
