// BMP reading and writing: round trips at odd sizes in every depth and row order, and
// hostile files made by patching a good one at a named offset.
#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <functional>
#include <filesystem>
#include <fstream>
#include <random>

#include "ui/graphics/graphics.h"

namespace {

// Header fields by file offset.
constexpr std::size_t kOffBits = 10, kHeaderSize = 14, kWidth = 18, kHeight = 22, kPlanes = 26, kBitCount = 28,
                      kCompression = 30, kClrUsed = 46;

void Put16(std::vector<std::uint8_t>& f, std::size_t at, std::uint32_t v) {
  f[at] = std::uint8_t(v);
  f[at + 1] = std::uint8_t(v >> 8);
}
void Put32(std::vector<std::uint8_t>& f, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) f[at + std::size_t(i)] = std::uint8_t(v >> (8 * i));
}

// A BMP file with a 40-byte header and the expected colour of every pixel (top-down).
struct BmpFile {
  std::vector<std::uint8_t> bytes;
  std::vector<COLORREF> expect;
  int width = 0, height = 0;
};

BmpFile MakeBmp(int w, int h, int bpp, bool topDown, unsigned seed) {
  std::mt19937 rng(seed);
  BmpFile out;
  out.width = w;
  out.height = h;
  int colors = bpp <= 8 ? 1 << bpp : 0;
  std::vector<RGBQUAD> table(static_cast<std::size_t>(colors));
  for (auto& q : table) q = RGBQUAD{BYTE(rng()), BYTE(rng()), BYTE(rng()), 0};
  std::size_t stride = ((std::size_t(w) * bpp + 31) / 32) * 4;
  std::size_t off = 14 + 40 + std::size_t(colors) * 4;
  auto& f = out.bytes;
  f.assign(off + stride * std::size_t(h), 0);
  f[0] = 'B';
  f[1] = 'M';
  Put32(f, 2, std::uint32_t(f.size()));
  Put32(f, kOffBits, std::uint32_t(off));
  Put32(f, kHeaderSize, 40);
  Put32(f, kWidth, std::uint32_t(w));
  Put32(f, kHeight, std::uint32_t(topDown ? -h : h));
  Put16(f, kPlanes, 1);
  Put16(f, kBitCount, std::uint32_t(bpp));
  for (int i = 0; i < colors; ++i) {
    f[54 + std::size_t(i) * 4] = table[std::size_t(i)].rgbBlue;
    f[55 + std::size_t(i) * 4] = table[std::size_t(i)].rgbGreen;
    f[56 + std::size_t(i) * 4] = table[std::size_t(i)].rgbRed;
  }
  out.expect.resize(std::size_t(w) * std::size_t(h));
  for (int y = 0; y < h; ++y) {
    std::uint8_t* row = &f[off + stride * std::size_t(topDown ? y : h - 1 - y)];
    for (int x = 0; x < w; ++x) {
      COLORREF c;
      if (bpp <= 8) {
        int idx = int(rng() % unsigned(colors));
        int bit = x * bpp;
        row[bit / 8] |= std::uint8_t(idx << (8 - bpp - bit % 8));
        const RGBQUAD& q = table[std::size_t(idx)];
        c = RGB(q.rgbRed, q.rgbGreen, q.rgbBlue);
      } else {
        std::uint8_t* p = row + std::size_t(x) * std::size_t(bpp / 8);
        p[0] = BYTE(rng());
        p[1] = BYTE(rng());
        p[2] = BYTE(rng());
        if (bpp == 32) p[3] = 0;
        c = RGB(p[2], p[1], p[0]);
      }
      out.expect[std::size_t(y) * std::size_t(w) + std::size_t(x)] = c;
    }
  }
  return out;
}

void ExpectPixels(TBitmap& b, const BmpFile& f) {
  ASSERT_EQ(b.Width(), f.width);
  ASSERT_EQ(b.Height(), f.height);
  TCanvas* c = b.Canvas();
  for (int y = 0; y < f.height; ++y)
    for (int x = 0; x < f.width; ++x) {
      COLORREF want = f.expect[std::size_t(y) * std::size_t(f.width) + std::size_t(x)];
      COLORREF got = COLORREF(c->Pixels(x, y));
      if (got != want) {
        ADD_FAILURE() << "first mismatch at (" << x << ", " << y << "): got 0x" << std::hex << got << " want 0x" << want;
        return;
      }
    }
}

void Load(TBitmap& b, const std::vector<std::uint8_t>& bytes) {
  TBytesStream s(bytes.data(), std::int64_t(bytes.size()));
  b.ReadFromStream(s);
}

struct RoundTrip {
  int bpp;
  bool topDown;
};
class BmpRoundTrip : public ::testing::TestWithParam<RoundTrip> {};

TEST_P(BmpRoundTrip, OddSize47x33) {
  const auto [bpp, topDown] = GetParam();
  BmpFile f = MakeBmp(47, 33, bpp, topDown, unsigned(bpp * 2 + topDown));
  TBitmap b;
  Load(b, f.bytes);
  // Good files of every kind seed the BMP fuzzer.
  std::filesystem::path seeds = std::filesystem::path(LB_BINARY_DIR) / "fuzz-seeds" / "fuzz_bmp";
  std::filesystem::create_directories(seeds);
  std::ofstream(seeds / ("bmp" + std::to_string(bpp) + (topDown ? "td" : "bu") + ".bmp"), std::ios::binary)
      .write(reinterpret_cast<const char*>(f.bytes.data()), std::streamsize(f.bytes.size()));
  TPixelFormat want = bpp == 1 ? pf1bit : bpp == 4 ? pf4bit : bpp == 8 ? pf8bit : bpp == 24 ? pf24bit : pf32bit;
  EXPECT_EQ(b.PixelFormat(), want);
  ExpectPixels(b, f);

  TMemoryStream saved;
  b.WriteToStream(saved);
  TBitmap again;
  Load(again, saved.Bytes());
  EXPECT_EQ(again.PixelFormat(), want);
  ExpectPixels(again, f);
  // Our own output is bottom-up; for a bottom-up input it is the same file byte for byte
  // up to the fields we fill in differently (file size, image size, resolution).
  if (!topDown) {
    ASSERT_EQ(saved.Bytes().size(), f.bytes.size());
    EXPECT_TRUE(std::equal(f.bytes.begin() + 54, f.bytes.end(), saved.Bytes().begin() + 54));
  }
}

INSTANTIATE_TEST_SUITE_P(Depths, BmpRoundTrip,
                         ::testing::Values(RoundTrip{1, false}, RoundTrip{1, true}, RoundTrip{4, false},
                                           RoundTrip{4, true}, RoundTrip{8, false}, RoundTrip{8, true},
                                           RoundTrip{24, false}, RoundTrip{24, true}, RoundTrip{32, false},
                                           RoundTrip{32, true}),
                         [](const auto& info) {
                           return std::to_string(info.param.bpp) + (info.param.topDown ? "bpp_TopDown" : "bpp_BottomUp");
                         });

TEST(Bmp, CoreHeaderAndFileRoundTrip) {
  // 2 x 2, 8 bpp, 12-byte header with its full table of 256 three-byte entries.
  std::vector<std::uint8_t> g(14 + 12 + 256 * 3 + 8, 0);
  g[0] = 'B';
  g[1] = 'M';
  Put32(g, kOffBits, 14 + 12 + 768);
  Put32(g, kHeaderSize, 12);
  Put16(g, 18, 2);  // width
  Put16(g, 20, 2);  // height
  Put16(g, 22, 1);  // planes
  Put16(g, 24, 8);  // bits per pixel
  g[26] = 255;      // entry 0: blue
  g[29 + 2] = 255;  // entry 1: red
  std::size_t px = 14 + 12 + 768;
  g[px] = 1;  // bottom row: red, blue
  g[px + 4] = 0;
  g[px + 5] = 1;  // top row: blue, red
  Put32(g, 2, std::uint32_t(g.size()));
  TBitmap b;
  Load(b, g);
  EXPECT_EQ(b.Canvas()->Pixels(0, 1), clRed);
  EXPECT_EQ(b.Canvas()->Pixels(1, 1), clBlue);
  EXPECT_EQ(b.Canvas()->Pixels(0, 0), clBlue);
  EXPECT_EQ(b.Canvas()->Pixels(1, 0), clRed);

  std::string path = std::string(LB_BINARY_DIR) + "/ui_graphics_core.bmp";
  b.SaveToFile(path);
  TBitmap c;
  c.LoadFromFile(path);
  EXPECT_EQ(c.Canvas()->Pixels(1, 0), clRed);
  std::filesystem::remove(path);
}

TEST(Bmp, Rle8AndRle4) {
  // 4 x 2 RLE8: bottom row "run of 3 x index 1, absolute 1 pixel idx 2"; top row delta.
  std::vector<std::uint8_t> f(14 + 40 + 3 * 4, 0);
  f[0] = 'B';
  f[1] = 'M';
  Put32(f, kOffBits, std::uint32_t(f.size()));
  Put32(f, kHeaderSize, 40);
  Put32(f, kWidth, 4);
  Put32(f, kHeight, 2);
  Put16(f, kPlanes, 1);
  Put16(f, kBitCount, 8);
  Put32(f, kCompression, 1);
  Put32(f, kClrUsed, 3);
  f[54 + 4 + 2] = 255;  // 1: red
  f[54 + 8 + 1] = 255;  // 2: green
  std::vector<std::uint8_t> data{3, 1, 0, 3, 2, 2, 2, 0, 0, 0, 0, 2, 1, 0, 0, 1};
  // run 3x1 | absolute 3: 2 2 2 (+pad) -> clipped at width 4 | end of line | delta (1,0) | end
  f.insert(f.end(), data.begin(), data.end());
  TBitmap b;
  Load(b, f);
  TCanvas* c = b.Canvas();
  EXPECT_EQ(c->Pixels(0, 1), clRed);
  EXPECT_EQ(c->Pixels(2, 1), clRed);
  EXPECT_EQ(c->Pixels(3, 1), clLime);
  EXPECT_EQ(c->Pixels(0, 0), clBlack);

  // RLE4 2 x 1: run of 2 nibbles alternating 1 and 2.
  std::vector<std::uint8_t> g(14 + 40 + 16 * 4, 0);
  std::copy(f.begin(), f.begin() + 54, g.begin());
  Put32(g, kOffBits, std::uint32_t(g.size()));
  Put32(g, kWidth, 2);
  Put32(g, kHeight, 1);
  Put16(g, kBitCount, 4);
  Put32(g, kCompression, 2);
  Put32(g, kClrUsed, 0);
  g[54 + 4 + 2] = 255;
  g[54 + 8 + 1] = 255;
  for (std::uint8_t v : {2, 0x12, 0, 1}) g.push_back(v);
  Load(b, g);
  EXPECT_EQ(b.Canvas()->Pixels(0, 0), clRed);
  EXPECT_EQ(b.Canvas()->Pixels(1, 0), clLime);
}

// ---------------------------------------------------------------------------------------
// Hostile files: each case patches a good 8-bit 5 x 3 file.

struct Patch {
  const char* what;
  std::function<void(std::vector<std::uint8_t>&)> apply;
};
class BmpHostile : public ::testing::TestWithParam<Patch> {};

TEST_P(BmpHostile, RaisesInvalidGraphic) {
  BmpFile good = MakeBmp(5, 3, 8, false, 1);
  std::vector<std::uint8_t> f = good.bytes;
  GetParam().apply(f);
  TBitmap b;
  try {
    Load(b, f);
    FAIL() << GetParam().what << ": no error";
  } catch (const EInvalidGraphic& e) {
    EXPECT_STREQ(e.what(), "Bitmap image is not valid") << GetParam().what;
  }
  EXPECT_TRUE(b.Empty());
}

const Patch kPatches[] = {
    {"magic byte 0 = 'X'", [](auto& f) { f[0] = 'X'; }},
    {"file cut inside the file header", [](auto& f) { f.resize(10); }},
    {"file cut inside the info header", [](auto& f) { f.resize(30); }},
    {"file cut inside the palette", [](auto& f) { f.resize(100); }},
    {"file cut inside the pixels", [](auto& f) { f.pop_back(); }},
    {"header size 13", [](auto& f) { Put32(f, kHeaderSize, 13); }},
    {"header size 0xFFFFFFFF", [](auto& f) { Put32(f, kHeaderSize, 0xFFFFFFFF); }},
    {"width 0", [](auto& f) { Put32(f, kWidth, 0); }},
    {"width negative", [](auto& f) { Put32(f, kWidth, 0xFFFFFFFB); }},
    {"height 0", [](auto& f) { Put32(f, kHeight, 0); }},
    {"height INT32_MIN", [](auto& f) { Put32(f, kHeight, 0x80000000); }},
    {"huge dimensions 0x7FFFFFFF^2", [](auto& f) { Put32(f, kWidth, 0x7FFFFFFF), Put32(f, kHeight, 0x7FFFFFFF); }},
    {"100000 x 100000 with 15 bytes of pixels", [](auto& f) { Put32(f, kWidth, 100000), Put32(f, kHeight, 100000); }},
    {"width 2^30 at 32 bpp", [](auto& f) { Put32(f, kWidth, 1u << 30), Put16(f, kBitCount, 32); }},
    {"palette count 257 for 8 bpp", [](auto& f) { Put32(f, kClrUsed, 257); }},
    {"palette count 3 for 1 bpp", [](auto& f) { Put16(f, kBitCount, 1), Put32(f, kClrUsed, 3); }},
    {"palette count 0xFFFFFFFF", [](auto& f) { Put32(f, kClrUsed, 0xFFFFFFFF); }},
    {"planes 2", [](auto& f) { Put16(f, kPlanes, 2); }},
    {"bit count 7", [](auto& f) { Put16(f, kBitCount, 7); }},
    {"compression 9", [](auto& f) { Put32(f, kCompression, 9); }},
    {"RLE8 on a 4-bit image", [](auto& f) { Put16(f, kBitCount, 4), Put32(f, kCompression, 1); }},
    {"RLE8 top-down", [](auto& f) { Put32(f, kHeight, 0xFFFFFFFD), Put32(f, kCompression, 1); }},
    {"pixel offset past the end", [](auto& f) { Put32(f, kOffBits, 0x7FFFFFFF); }},
    {"pixel offset inside the header", [](auto& f) { Put32(f, kOffBits, 20); }},
    {"RLE8 absolute run past the end",
     [](auto& f) {
       Put32(f, kCompression, 1);
       f.resize(14 + 40 + 1024);
       f.push_back(0);
       f.push_back(200);
       f.push_back(1);
     }},
};

INSTANTIATE_TEST_SUITE_P(Patches, BmpHostile, ::testing::ValuesIn(kPatches), [](const auto& info) {
  std::string n;
  for (const char* p = info.param.what; *p; ++p) n += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
  return n;
});

TEST(Bmp, PreviousImageKeptAfterABadFile) {
  BmpFile good = MakeBmp(3, 2, 24, false, 9);
  TBitmap b;
  Load(b, good.bytes);
  std::vector<std::uint8_t> bad = good.bytes;
  bad.resize(60);
  EXPECT_THROW(Load(b, bad), EInvalidGraphic);
  ExpectPixels(b, good);
}

}  // namespace
