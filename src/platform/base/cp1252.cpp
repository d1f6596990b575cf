// The program's code page: text on device contexts and in window titles.
#include "platform/base/cp1252.h"

namespace {

// Windows-1252: only 0x80-0x9F differ from Latin-1; the five unassigned bytes stay as
// they are, so they find no glyph and show the face's missing-glyph box like any other
// unmapped character.
constexpr char32_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

// The character of the UTF-8 sequence at text[*pos], moving *pos past it; -1 for an
// ill-formed sequence (then *pos moves by one byte): overlong forms, surrogates and
// values past U+10FFFF are ill-formed.
long NextUtf8(std::string_view text, std::size_t* pos) {
  const auto lead = static_cast<unsigned char>(text[(*pos)++]);
  if (lead < 0x80) return lead;
  int extra = 0;
  char32_t c = 0, least = 0;
  if ((lead & 0xE0) == 0xC0) extra = 1, c = lead & 0x1F, least = 0x80;
  else if ((lead & 0xF0) == 0xE0) extra = 2, c = lead & 0x0F, least = 0x800;
  else if ((lead & 0xF8) == 0xF0) extra = 3, c = lead & 0x07, least = 0x10000;
  else return -1;
  if (text.size() - *pos < std::size_t(extra)) return -1;
  for (int k = 0; k < extra; ++k) {
    const auto b = static_cast<unsigned char>(text[*pos + std::size_t(k)]);
    if ((b & 0xC0) != 0x80) return -1;
    c = (c << 6) | (b & 0x3F);
  }
  if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return -1;
  *pos += std::size_t(extra);
  return long(c);
}

}  // namespace

char32_t Cp1252ToUnicode(unsigned char byte) {
  if (byte >= 0x80 && byte <= 0x9F) return kCp1252High[byte - 0x80];
  return byte;
}

std::string Cp1252ToUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    const char32_t u = Cp1252ToUnicode(static_cast<unsigned char>(c));
    if (u < 0x80) {
      out += char(u);
    } else if (u < 0x800) {
      out += char(0xC0 | (u >> 6));
      out += char(0x80 | (u & 0x3F));
    } else {
      out += char(0xE0 | (u >> 12));
      out += char(0x80 | ((u >> 6) & 0x3F));
      out += char(0x80 | (u & 0x3F));
    }
  }
  return out;
}

bool IsUtf8WithNonAscii(std::string_view text) {
  bool nonAscii = false;
  for (std::size_t pos = 0; pos < text.size();) {
    const long c = NextUtf8(text, &pos);
    if (c < 0) return false;
    nonAscii = nonAscii || c >= 0x80;
  }
  return nonAscii;
}

std::string Utf8ToCp1252(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t pos = 0; pos < text.size();) {
    const long c = NextUtf8(text, &pos);
    char byte = '?';
    if (c >= 0 && c < 0x80) {
      byte = char(c);
    } else if (c >= 0xA0 && c <= 0xFF) {
      byte = char(c);  // Latin-1 and the code page agree from 0xA0 on
    } else if (c >= 0) {
      for (int b = 0x80; b <= 0x9F; ++b)
        if (kCp1252High[b - 0x80] == char32_t(c)) byte = char(b);
    }
    out += byte;
  }
  return out;
}
