// The character set of text on device contexts, shared by the FreeType and the GDI path.
#include "platform/font/fontcache.h"

namespace fontcache {
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

}  // namespace

char32_t Cp1252ToUnicode(unsigned char byte) {
  if (byte >= 0x80 && byte <= 0x9F) return kCp1252High[byte - 0x80];
  return byte;
}

}  // namespace fontcache
