// The straight-alpha blend: its row kernels at every instruction-set level against the
// formula (every alpha, source and background triple; rows of many widths with runs of 0
// and 255), and BlendStraightAlpha on each kind of surface, source layout and clip.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <span>
#include <sstream>
#include <string>
#include <vector>

#include "platform/gdi/alphablend.h"
#include "platform/gdi/blendkernels.h"
#include "platform/gdi/surface.h"

using gdi::BlendKernels;
using gdi::BlendLevel;

namespace {

// The blend as designed, written out here rather than taken from the code under test:
// new = (a * s + (255 - a) * old + 255) div 256.
unsigned Blend(unsigned a, unsigned s, unsigned old) { return (a * s + (255 - a) * old + 255) / 256; }

std::string LevelName(BlendLevel l) {
  switch (l) {
    case BlendLevel::Scalar: return "scalar";
    case BlendLevel::Sse2: return "sse2";
    default: return "avx2";
  }
}

// ---------------------------------------------------------------------------------------
// Kernels

class KernelTest : public ::testing::TestWithParam<BlendLevel> {
 protected:
  void SetUp() override {
    if (!gdi::LevelAvailable(GetParam())) GTEST_SKIP() << "processor lacks " << LevelName(GetParam());
  }
  const BlendKernels& K() const { return gdi::KernelsFor(GetParam()); }
};

// Destination row of 256 pixels whose channels run through every old value (each channel
// in another order) and whose fourth byte is a pattern of its own.
std::vector<std::uint8_t> OldRow() {
  std::vector<std::uint8_t> d(256 * 4);
  for (unsigned k = 0; k < 256; ++k) {
    d[4 * k] = std::uint8_t(k);
    d[4 * k + 1] = std::uint8_t(255 - k);
    d[4 * k + 2] = std::uint8_t(k ^ 0x5A);
    d[4 * k + 3] = std::uint8_t(k * 7 + 3);
  }
  return d;
}

// The three source channels for source value s (again each in another order).
unsigned SourceChannel(unsigned s, int c) { return c == 0 ? s : c == 1 ? s ^ 0xA5 : 255 - s; }

// "" or the first pixel of the 256 where the row differs from the formula.
std::string CheckRow(const std::vector<std::uint8_t>& got, unsigned a, unsigned s, bool grey) {
  static const std::vector<std::uint8_t> old = OldRow();
  for (unsigned k = 0; k < 256; ++k)
    for (int c = 0; c < 4; ++c) {
      unsigned o = old[4 * k + unsigned(c)];
      unsigned want = c == 3 ? o : Blend(a, grey ? s : SourceChannel(s, c), o);
      if (got[4 * k + unsigned(c)] != want) {
        std::ostringstream m;
        m << "a " << a << " s " << s << " pixel " << k << " channel " << c << " old " << o << ": got "
          << int(got[4 * k + unsigned(c)]) << " expected " << want;
        return m.str();
      }
    }
  return "";
}

TEST_P(KernelTest, RgbMatchesTheFormulaForEveryTriple) {
  std::vector<std::uint8_t> src(256 * 3), alpha(256);
  for (unsigned a = 0; a < 256; ++a) {
    std::fill(alpha.begin(), alpha.end(), std::uint8_t(a));
    for (unsigned s = 0; s < 256; ++s) {
      for (unsigned k = 0; k < 256; ++k)
        for (int c = 0; c < 3; ++c) src[3 * k + unsigned(c)] = std::uint8_t(SourceChannel(s, c));
      std::vector<std::uint8_t> d = OldRow();
      K().rgb(d.data(), src.data(), alpha.data(), 256);
      ASSERT_EQ(CheckRow(d, a, s, false), "");
    }
  }
}

TEST_P(KernelTest, GreyMatchesTheFormulaForEveryTriple) {
  std::vector<std::uint8_t> grey(256), alpha(256);
  for (unsigned a = 0; a < 256; ++a) {
    std::fill(alpha.begin(), alpha.end(), std::uint8_t(a));
    for (unsigned s = 0; s < 256; ++s) {
      std::fill(grey.begin(), grey.end(), std::uint8_t(s));
      std::vector<std::uint8_t> d = OldRow();
      K().grey(d.data(), grey.data(), alpha.data(), 256);
      ASSERT_EQ(CheckRow(d, a, s, true), "");
    }
  }
}

TEST_P(KernelTest, IndexedMatchesTheFormulaForEveryTriple) {
  // Entry i carries alpha i; every pixel of a row uses entry a.
  std::vector<std::uint32_t> table(256);
  std::vector<std::uint8_t> index(256);
  for (unsigned s = 0; s < 256; ++s) {
    for (unsigned i = 0; i < 256; ++i)
      table[i] = SourceChannel(s, 0) | SourceChannel(s, 1) << 8 | SourceChannel(s, 2) << 16 | i << 24;
    for (unsigned a = 0; a < 256; ++a) {
      std::fill(index.begin(), index.end(), std::uint8_t(a));
      std::vector<std::uint8_t> d = OldRow();
      K().indexed(d.data(), index.data(), table.data(), 256);
      ASSERT_EQ(CheckRow(d, a, s, false), "");
    }
  }
}

// Alpha of a row: random, or runs of 0 and 255 (some longer than a vector block) between
// random values.
std::vector<std::uint8_t> AlphaPattern(std::size_t n, int mode, std::mt19937& rng) {
  std::vector<std::uint8_t> a(n);
  std::size_t i = 0;
  while (i < n) {
    std::size_t run = mode == 0 ? n : 1 + rng() % 70;
    int kind = mode == 0 ? 2 : int(rng() % 3);
    for (std::size_t k = 0; k < run && i < n; ++k, ++i) a[i] = kind == 0 ? 0 : kind == 1 ? 255 : std::uint8_t(rng());
  }
  return a;
}

// Each source and alpha row is an allocation of its exact size, so that a kernel reading
// past the row end is caught by the address sanitizer; the destination has guard pixels
// that must stay as they are.
TEST_P(KernelTest, RowsOfEveryWidthFollowTheFormula) {
  std::mt19937 rng(42);
  std::vector<std::size_t> widths;
  for (std::size_t n = 1; n <= 80; ++n) widths.push_back(n);
  for (std::size_t n : {97, 131, 200, 257}) widths.push_back(n);
  for (std::size_t n : widths)
    for (int mode = 0; mode < 2; ++mode)
      for (int kind = 0; kind < 3; ++kind) {
        std::vector<std::uint8_t> rgb(n * 3), grey(n), index(n), alpha = AlphaPattern(n, mode, rng);
        for (auto& v : rgb) v = std::uint8_t(rng());
        for (auto& v : grey) v = std::uint8_t(rng());
        for (auto& v : index) v = std::uint8_t(rng());
        std::vector<std::uint32_t> table(256);
        std::vector<std::uint8_t> tableAlpha = AlphaPattern(256, mode, rng);
        for (unsigned i = 0; i < 256; ++i) table[i] = (std::uint32_t(rng()) & 0xFFFFFF) | std::uint32_t(tableAlpha[i]) << 24;
        std::vector<std::uint8_t> old((n + 4) * 4);
        for (auto& v : old) v = std::uint8_t(rng());
        std::vector<std::uint8_t> got = old;
        if (kind == 0) K().rgb(got.data(), rgb.data(), alpha.data(), n);
        if (kind == 1) K().grey(got.data(), grey.data(), alpha.data(), n);
        if (kind == 2) K().indexed(got.data(), index.data(), table.data(), n);
        for (std::size_t b = 0; b < got.size(); ++b) {
          std::size_t p = b / 4;
          unsigned c = unsigned(b % 4), want = old[b];
          if (p < n && c < 3) {
            unsigned a = kind == 2 ? table[index[p]] >> 24 : alpha[p];
            unsigned s = kind == 0 ? rgb[3 * p + c] : kind == 1 ? grey[p] : (table[index[p]] >> (8 * c)) & 0xFF;
            want = Blend(a, s, old[b]);
          }
          ASSERT_EQ(int(got[b]), int(want)) << "width " << n << " kind " << kind << " alpha mode " << mode
                                            << ": first difference at pixel " << p << " byte " << c;
        }
      }
}

INSTANTIATE_TEST_SUITE_P(Levels, KernelTest,
                         ::testing::Values(BlendLevel::Scalar, BlendLevel::Sse2, BlendLevel::Avx2),
                         [](const auto& info) { return LevelName(info.param); });

TEST(KernelLevels, TheBestLevelIsAvailable) {
  EXPECT_TRUE(gdi::LevelAvailable(gdi::BestLevel()));
  EXPECT_TRUE(gdi::LevelAvailable(BlendLevel::Scalar));
}

// ---------------------------------------------------------------------------------------
// BlendStraightAlpha

// A memory DC over a bitmap of `bpp` bits (a DIB section, or a device bitmap) whose pixel
// bytes are filled from a seed; indexed DIBs get a colour table with a repeated entry.
struct Target {
  Target(int bpp, bool dib) {
    BITMAPINFO info;
    info.bmiHeader.biWidth = kW;
    info.bmiHeader.biHeight = -kH;
    info.bmiHeader.biBitCount = WORD(bpp);
    for (int i = 0; i < 256; ++i) info.bmiColors[i] = RGBQUAD{BYTE(i * 5), BYTE(i * 77), BYTE(255 - i), 0};
    info.bmiColors[1] = RGBQUAD{255, 255, 255, 0};
    info.bmiColors[3] = info.bmiColors[2];
    bmp = dib ? CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, nullptr, nullptr, 0)
              : CreateBitmap(kW, kH, 1, UINT(bpp), nullptr);
    dc = CreateCompatibleDC(nullptr);
    old = SelectObject(dc, bmp);
    SurfaceView v(bmp);
    std::mt19937 rng{unsigned(bpp) * 7 + dib};
    for (int y = 0; y < kH; ++y)
      for (int b = 0; b < v.Stride(); ++b) v.Row(y)[b] = std::uint8_t(rng());
  }
  ~Target() {
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bmp);
  }
  static constexpr int kW = 24, kH = 9;
  HBITMAP bmp;
  HDC dc;
  HGDIOBJ old;
};

// Pixel x of a row: an index, or blue, green and red as 0x00BBGGRR, fourth byte apart.
unsigned Value(const BYTE* row, int x, int bpp) {
  switch (bpp) {
    case 1: return (row[x / 8] >> (7 - x % 8)) & 1;
    case 4: return x % 2 ? row[x / 2] & 15 : row[x / 2] >> 4;
    case 8: return row[x];
    default: return RGB(row[x * (bpp / 8) + 2], row[x * (bpp / 8) + 1], row[x * (bpp / 8)]);
  }
}

// The source model: pixel (x, y) of a 13 x 5 block in each layout, its colour and alpha.
constexpr int kSrcW = 13, kSrcH = 5;
enum AlphaFrom { kPlane, kTable, kNone };
int IndexOf(BlendLayout l, int x, int y) {
  return l == BlendLayout::Index1 ? (x + y) % 2 : l == BlendLayout::Index4 ? (x * 3 + y) % 16 : x * 13 + y;
}
COLORREF EntryColour(int i) { return RGB(i * 11, 255 - i, i * 7); }
unsigned EntryAlpha(int i) { return i % 4 == 0 ? 0 : i % 4 == 1 ? 255 : unsigned(i * 29 % 256); }
COLORREF PixelColour(BlendLayout l, int x, int y) {
  // White and near-white pixels tell the monochrome rule from the nearest colour.
  if (l == BlendLayout::Bgr) return (x + y) % 3 == 0 ? RGB(255, 255, 255) : (x + y) % 3 == 1 ? RGB(250, 251, 252) : RGB(x * 17, 255 - y * 40, x * y * 3);
  if (l == BlendLayout::Grey) return RGB(x * 19 + y, x * 19 + y, x * 19 + y);
  return EntryColour(IndexOf(l, x, y));
}
unsigned PlaneAlpha(int x, int y) { return (x + y) % 5 == 0 ? 0 : (x + 2 * y) % 4 == 0 ? 255 : unsigned(x * 53 + y * 97) % 256; }
unsigned PixelAlpha(BlendLayout l, AlphaFrom from, int x, int y) {
  return from == kPlane ? PlaneAlpha(x, y) : from == kTable ? EntryAlpha(IndexOf(l, x, y)) : 255;
}

struct SourceData {
  std::vector<BYTE> pixels, alpha;
  DWORD table[256] = {};
  BlendSource source;
};

void MakeSource(BlendLayout l, AlphaFrom from, SourceData& d) {
  const int rowBytes = l == BlendLayout::Bgr ? 3 * kSrcW : l == BlendLayout::Index1 ? 2 : l == BlendLayout::Index4 ? 7 : kSrcW;
  d.pixels.assign(std::size_t(rowBytes) * kSrcH, 0);
  for (int y = 0; y < kSrcH; ++y)
    for (int x = 0; x < kSrcW; ++x) {
      BYTE* row = &d.pixels[std::size_t(kSrcH - 1 - y) * rowBytes];  // bottom-up, as the codec stores rows
      COLORREF c = PixelColour(l, x, y);
      int i = IndexOf(l, x, y);
      if (l == BlendLayout::Bgr) {
        row[3 * x] = GetBValue(c), row[3 * x + 1] = GetGValue(c), row[3 * x + 2] = GetRValue(c);
      } else if (l == BlendLayout::Grey) {
        row[x] = GetRValue(c);
      } else if (l == BlendLayout::Index1) {
        row[x / 8] = BYTE(row[x / 8] | i << (7 - x % 8));
      } else if (l == BlendLayout::Index4) {
        row[x / 2] = BYTE(row[x / 2] | i << (x % 2 ? 0 : 4));
      } else {
        row[x] = BYTE(i);
      }
      d.alpha.push_back(BYTE(PlaneAlpha(x, y)));
    }
  for (int i = 0; i < 256; ++i) {
    COLORREF c = EntryColour(i);
    d.table[i] = DWORD(GetBValue(c)) | DWORD(GetGValue(c)) << 8 | DWORD(GetRValue(c)) << 16 | DWORD(EntryAlpha(i)) << 24;
  }
  d.source.layout = l;
  d.source.width = kSrcW;
  d.source.height = kSrcH;
  d.source.pixels = d.pixels.data() + std::ptrdiff_t(rowBytes) * (kSrcH - 1);
  d.source.pixelStep = -rowBytes;
  d.source.alpha = from == kPlane ? d.alpha.data() : nullptr;
  d.source.alphaStep = kSrcW;
  d.source.table = d.table;
}

struct LayoutCase {
  const char* name;
  BlendLayout layout;
  AlphaFrom from;
};

const LayoutCase kLayouts[] = {
    {"bgr_plane", BlendLayout::Bgr, kPlane},       {"bgr_opaque", BlendLayout::Bgr, kNone},
    {"grey_plane", BlendLayout::Grey, kPlane},     {"grey_opaque", BlendLayout::Grey, kNone},
    {"index1_table", BlendLayout::Index1, kTable}, {"index4_table", BlendLayout::Index4, kTable},
    {"index8_table", BlendLayout::Index8, kTable}, {"index1_plane", BlendLayout::Index1, kPlane},
    {"index4_plane", BlendLayout::Index4, kPlane}, {"index8_plane", BlendLayout::Index8, kPlane},
};

class BlendLayoutTest : public ::testing::TestWithParam<LayoutCase> {};

// Viewport origin (3, 1), the block at logical (-1, 2), so device (2, 3) .. (15, 8); the
// clip region, logical (2, 0)-(11, 20), leaves device columns 5 .. 13 of it (source
// columns 3 .. 11: packed rows start mid-byte).
TEST_P(BlendLayoutTest, ClippedSpansFollowTheFormula) {
  const LayoutCase& c = GetParam();
  SourceData d;
  MakeSource(c.layout, c.from, d);
  Target t(32, true);
  SetViewportOrgEx(t.dc, 3, 1, nullptr);
  IntersectClipRect(t.dc, 2, 0, 11, 20);
  SurfaceView v(t.bmp);
  std::vector<BYTE> before;
  for (int y = 0; y < Target::kH; ++y) before.insert(before.end(), v.Row(y), v.Row(y) + v.Stride());
  ASSERT_TRUE(BlendStraightAlpha(t.dc, -1, 2, d.source));
  for (int y = 0; y < Target::kH; ++y)
    for (int x = 0; x < Target::kW; ++x) {
      bool in = x >= 5 && x <= 13 && y >= 3 && y < 3 + kSrcH;
      COLORREF s = in ? PixelColour(c.layout, x - 2, y - 3) : 0;
      unsigned a = in ? PixelAlpha(c.layout, c.from, x - 2, y - 3) : 0;
      for (int b = 0; b < 4; ++b) {
        unsigned old = before[std::size_t(y) * v.Stride() + 4 * x + b];
        unsigned want = in && b < 3 ? Blend(a, (s >> (8 * (2 - b))) & 0xFF, old) : old;
        ASSERT_EQ(v.Row(y)[4 * x + b], want) << "pixel (" << x << ", " << y << ") byte " << b;
      }
    }
}

INSTANTIATE_TEST_SUITE_P(All, BlendLayoutTest, ::testing::ValuesIn(kLayouts),
                         [](const auto& info) { return std::string(info.param.name); });

struct SurfaceCase {
  const char* name;
  int bpp;
  bool dib;
};

const SurfaceCase kSurfaces[] = {{"mono", 1, false}, {"dib1", 1, true},  {"dib4", 4, true},
                                 {"dib8", 8, true},  {"dib24", 24, true}, {"device32", 32, false}};

class BlendSurfaceTest : public ::testing::TestWithParam<SurfaceCase> {};

// Indexed surfaces blend the colours their pixels stand for and keep the nearest entry (the
// first of equals); a monochrome device bitmap keeps 1 for exactly white only.
TEST_P(BlendSurfaceTest, EveryFormatBlendsThroughItsColours) {
  const SurfaceCase& c = GetParam();
  SourceData d;
  MakeSource(BlendLayout::Bgr, kPlane, d);
  Target t(c.bpp, c.dib);
  SurfaceView v(t.bmp);
  std::span<RGBQUAD> table = v.ColorTable();
  auto colourOf = [&](unsigned value) {
    if (c.bpp >= 24) return COLORREF(value);
    if (!c.dib) return value ? RGB(255, 255, 255) : RGB(0, 0, 0);
    return RGB(table[value].rgbRed, table[value].rgbGreen, table[value].rgbBlue);
  };
  std::vector<std::vector<unsigned>> before(Target::kH, std::vector<unsigned>(Target::kW));
  for (int y = 0; y < Target::kH; ++y)
    for (int x = 0; x < Target::kW; ++x) before[y][x] = Value(v.Row(y), x, c.bpp);
  ASSERT_TRUE(BlendStraightAlpha(t.dc, 2, 3, d.source));
  for (int y = 0; y < Target::kH; ++y)
    for (int x = 0; x < Target::kW; ++x) {
      unsigned want = before[y][x];
      if (x >= 2 && x < 2 + kSrcW && y >= 3 && y < 3 + kSrcH) {
        COLORREF s = PixelColour(BlendLayout::Bgr, x - 2, y - 3), o = colourOf(want);
        unsigned a = PlaneAlpha(x - 2, y - 3);
        COLORREF mixed = RGB(Blend(a, GetRValue(s), GetRValue(o)), Blend(a, GetGValue(s), GetGValue(o)),
                             Blend(a, GetBValue(s), GetBValue(o)));
        if (c.bpp >= 24) {
          want = mixed;
        } else if (!c.dib) {
          want = mixed == RGB(255, 255, 255);
        } else {
          long best = -1;
          for (unsigned i = 0; i < table.size(); ++i) {
            long dr = long(GetRValue(mixed)) - table[i].rgbRed, dg = long(GetGValue(mixed)) - table[i].rgbGreen,
                 db = long(GetBValue(mixed)) - table[i].rgbBlue;
            if (best < 0 || dr * dr + dg * dg + db * db < best) best = dr * dr + dg * dg + db * db, want = i;
          }
        }
      }
      ASSERT_EQ(Value(v.Row(y), x, c.bpp), want) << "pixel (" << x << ", " << y << ")";
    }
}

INSTANTIATE_TEST_SUITE_P(All, BlendSurfaceTest, ::testing::ValuesIn(kSurfaces),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(BlendStraightAlphaArguments, RefusesWhatItCannotDraw) {
  SourceData d;
  MakeSource(BlendLayout::Index8, kTable, d);
  Target t(32, true);
  EXPECT_FALSE(BlendStraightAlpha(nullptr, 0, 0, d.source));
  BlendSource noTable = d.source;
  noTable.table = nullptr;
  EXPECT_FALSE(BlendStraightAlpha(t.dc, 0, 0, noTable));
  BlendSource empty = d.source;
  empty.width = 0;
  EXPECT_TRUE(BlendStraightAlpha(t.dc, 0, 0, empty));
}

}  // namespace
