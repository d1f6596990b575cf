// The chunk layer and header rules: what is stored, skipped, written back; text, time,
// gamma and transparency chunks; key colours compared like with like; copying, adding an
// alpha channel and importing bitmaps; decoding edge cases.
#include <gtest/gtest.h>

#include <zlib.h>

#include <cstring>

#include "png/pngimage.h"
#include "pngtest_util.h"

using namespace pngtest;

namespace {

Bytes WithChunks(int ct, int depth, std::uint32_t w, std::uint32_t h, std::vector<Chunk> before,
                 std::vector<Chunk> after = {}, std::uint32_t seed = 3) {
  PngPlan s;
  s.image = RandomImage(w, h, ct, depth, seed);
  s.beforeData = std::move(before);
  s.afterData = std::move(after);
  return BuildPng(s);
}

void Load(TPngImage& png, const Bytes& b) {
  TBytesStream s(b.data(), std::int64_t(b.size()));
  png.ReadFromStream(s);
}

std::string Types(TPngImage& png) {
  std::string t;
  for (std::uint32_t i = 0; i < png.Chunks().Count(); ++i) t += png.Chunks().Item(i)->ChunkTypeText() + " ";
  return t;
}

Bytes Write(TPngImage& png) {
  TMemoryStream m;
  png.WriteToStream(m);
  return m.Bytes();
}

Bytes Be32(std::uint32_t v) {
  Bytes b(4);
  PutBE32(b.data(), v);
  return b;
}

TEST(ChunkLayer, UnknownAncillaryChunkIsStoredAndWrittenBackUnchanged) {
  Bytes file = WithChunks(6, 8, 3, 3, {{"prVt", {1, 2, 3, 4, 5}}});
  TPngImage png;
  Load(png, file);
  EXPECT_EQ(Types(png), "IHDR prVt IDAT IEND ");
  TChunk* c = png.Chunks().Item(1);
  EXPECT_STREQ(c->ClassName(), "TChunk");
  Bytes out = Write(png);
  std::size_t a = FindChunk(file, "prVt"), b = FindChunk(out, "prVt");
  ASSERT_NE(b, std::string::npos);
  EXPECT_TRUE(std::equal(file.begin() + std::ptrdiff_t(a), file.begin() + std::ptrdiff_t(a + 17), out.begin() + std::ptrdiff_t(b)));
}

TEST(ChunkLayer, ChrmIsSkippedAndNotWrittenBack) {
  TPngImage png;
  Load(png, WithChunks(2, 8, 3, 3, {{"cHRM", Bytes(32, 1)}}));
  EXPECT_EQ(Types(png), "IHDR IDAT IEND ");
  EXPECT_EQ(FindChunk(Write(png), "cHRM"), std::string::npos);
}

TEST(ChunkLayer, LaterIdatAfterOtherChunkIsSkipped) {
  Bytes file = WithChunks(2, 8, 3, 3, {}, {{"tEXt", {'a', 0, 'b'}}, {"IDAT", {1, 2, 3}}});
  TPngImage png;
  Load(png, file);
  EXPECT_EQ(Types(png), "IHDR IDAT tEXt IEND ");
}

TEST(ChunkLayer, NothingAfterIendIsRead) {
  Bytes file = WithChunks(0, 8, 2, 2, {});
  std::size_t end = file.size();
  file.insert(file.end(), {0xDE, 0xAD, 0xBE, 0xEF});
  TPngImage png;
  TBytesStream s(file.data(), std::int64_t(file.size()));
  png.ReadFromStream(s);
  EXPECT_EQ(s.Position(), std::int64_t(end));
}

TEST(ChunkLayer, TextChunks) {
  std::string packed;
  std::string err;
  ASSERT_TRUE(DeflateWhole("hello world", 11, 9, packed, err));
  Bytes ztxt = {'K', 'e', 'y', 0, 0};
  ztxt.insert(ztxt.end(), packed.begin(), packed.end());
  Bytes zbad = ztxt;
  zbad[4] = 1;
  TPngImage png;
  Load(png, WithChunks(0, 8, 2, 2, {{"tEXt", {'T', 'i', 't', 'l', 'e', 0, 'x', 'y'}}, {"tEXt", {'a', 'b'}},
                                    {"zTXt", ztxt}, {"zTXt", zbad}, {"tEXt", {'a', 'b', 'c'}},
                                    {"zTXt", {'L', 'o', 'n', 'g'}}}));
  auto* t0 = static_cast<TChunktEXt*>(png.Chunks().Item(1));
  auto* t1 = static_cast<TChunktEXt*>(png.Chunks().Item(2));
  auto* z0 = static_cast<TChunkzTXt*>(png.Chunks().Item(3));
  auto* z1 = static_cast<TChunkzTXt*>(png.Chunks().Item(4));
  EXPECT_EQ(t0->Keyword, "Title");
  EXPECT_EQ(t0->Text, "xy");
  EXPECT_EQ(t1->Keyword, "");  // two bytes: raw body only
  EXPECT_EQ(t1->BodyLength(), 2u);
  EXPECT_EQ(z0->Keyword, "Key");
  EXPECT_EQ(z0->Text, "hello world");
  EXPECT_EQ(z1->Text, "");  // compression method 1
  // A keyword without its zero byte runs to the end of the body.
  EXPECT_EQ(static_cast<TChunktEXt*>(png.Chunks().Item(5))->Keyword, "abc");
  EXPECT_EQ(static_cast<TChunktEXt*>(png.Chunks().Item(5))->Text, "");
  EXPECT_EQ(static_cast<TChunkzTXt*>(png.Chunks().Item(6))->Keyword, "Long");
  EXPECT_EQ(png.Chunks().FirstOfClass<TChunktEXt>(), t0);
  EXPECT_EQ(png.Chunks().FirstOfClass<TChunkzTXt>(), z0);

  // Written back and read again, the compressed text survives.
  z0->Text = "written";
  Bytes out = Write(png);
  std::size_t at = FindChunk(out, "zTXt");
  ASSERT_NE(at, std::string::npos);
  std::uint32_t len = std::uint32_t(out[at + 2]) << 8 | out[at + 3];
  TPngImage again;
  Load(again, WithChunks(0, 8, 2, 2, {{"zTXt", Bytes(out.begin() + std::ptrdiff_t(at + 8),
                                                      out.begin() + std::ptrdiff_t(at + 8 + len))}}));
  EXPECT_EQ(static_cast<TChunkzTXt*>(again.Chunks().Item(1))->Text, "written");
}

TEST(ChunkLayer, ZtxtBeyondTheTextLimitStaysEmpty) {
  std::string big(100000, 'a'), packed, err;
  ASSERT_TRUE(DeflateWhole(big.data(), big.size(), 9, packed, err));
  Bytes body = {'k', 0, 0};
  body.insert(body.end(), packed.begin(), packed.end());
  Bytes file = WithChunks(0, 8, 2, 2, {{"zTXt", body}});
  TPngImage png;
  png.SetMaxTextBytes(99999);
  Load(png, file);
  EXPECT_EQ(static_cast<TChunkzTXt*>(png.Chunks().Item(1))->Text, "");
  png.SetMaxTextBytes(100000);
  Load(png, file);
  EXPECT_EQ(static_cast<TChunkzTXt*>(png.Chunks().Item(1))->Text.size(), 100000u);
}

TEST(ChunkLayer, TimeChunk) {
  TPngImage png;
  Load(png, WithChunks(0, 8, 2, 2, {{"tIME", {0x07, 0xE8, 12, 24, 23, 59, 58}}}));
  auto* t = static_cast<TChunktIME*>(png.Chunks().Item(1));
  EXPECT_EQ(t->Year, 2024);
  EXPECT_EQ(t->Month, 12);
  EXPECT_EQ(t->Second, 58);
}

TEST(ChunkLayer, AddAncillaryChunkPlacesChunks) {
  TPngImage png;
  Load(png, WithChunks(3, 8, 2, 2, {{"PLTE", PaletteBody(256)}}));
  png.Chunks().AddAncillaryChunk<TChunktEXt>();
  png.Chunks().AddAncillaryChunk<TChunkgAMA>();
  png.Chunks().AddAncillaryChunk<TChunktRNS>();
  EXPECT_EQ(Types(png), "IHDR gAMA PLTE tRNS IDAT tEXt IEND ");
  EXPECT_EQ(png.Chunks().Item(3)->PositionInList(), 3);
  TChunktEXt loose(&png);
  EXPECT_EQ(loose.PositionInList(), -1);
  TPngImage rgb;
  Load(rgb, WithChunks(2, 8, 2, 2, {}));
  rgb.Chunks().AddAncillaryChunk<TChunktRNS>();
  EXPECT_EQ(Types(rgb), "IHDR tRNS IDAT IEND ");
}

// ---------------------------------------------------------------------------------------
// Gamma

TEST(Gamma, NeutralValueAndZeroGiveIdentityMaps) {
  for (std::uint32_t g : {45455u, 0u}) {
    TPngImage png;
    Load(png, WithChunks(2, 8, 2, 2, {{"gAMA", Be32(g)}}));
    for (int i = 0; i < 256; ++i) {
      ASSERT_EQ(png.GammaMap()[i], i) << "gamma " << g << " entry " << i;
      ASSERT_EQ(png.InverseGammaMap()[i], i) << "gamma " << g << " entry " << i;
    }
  }
}

// A value set on a chunk read with a body of another length goes out as 4 bytes.
TEST(Gamma, ValueSetOnAnOddBodyIsWrittenAsFourBytes) {
  TPngImage png;
  Load(png, WithChunks(2, 8, 2, 2, {{"gAMA", {0, 0, 0xB1, 0x8F, 0}}}));
  png.Chunks().FirstOfClass<TChunkgAMA>()->SetGamma(45455);
  Bytes out = Write(png), want = ChunkBytes("gAMA", Be32(45455));
  EXPECT_TRUE(std::equal(want.begin(), want.end(), out.begin() + std::ptrdiff_t(FindChunk(out, "gAMA"))));
}

TEST(Gamma, RgbaAlphaIsNotMapped) {
  PngPlan s;
  s.image = RandomImage(4, 1, 6, 8, 1);
  s.image.samples[0] = {100, 100, 100, 77, 0, 0, 0, 128, 255, 255, 255, 200, 10, 20, 30, 0};
  s.beforeData.push_back({"gAMA", Be32(30000)});
  TPngImage png;
  Load(png, BuildPng(s));
  EXPECT_NE(png.PixelColor(0, 0) & 0xFF, 100u);
  EXPECT_EQ(png.AlphaRow(0)[0], 77);
  EXPECT_EQ(png.AlphaRow(0)[1], 128);
  EXPECT_EQ(png.AlphaRow(0)[3], 0);
}

// ---------------------------------------------------------------------------------------
// Transparency kinds and key colours

struct TrnsCase {
  const char* name;
  int colorType, depth;
  Bytes trns;  // empty: no tRNS
  TTransparencyKind kind;
  bool checkKey;
  COLORREF key;
};

class TransparencyTest : public ::testing::TestWithParam<TrnsCase> {};

TEST_P(TransparencyTest, KindAndKey) {
  const TrnsCase& c = GetParam();
  std::vector<Chunk> before;
  if (c.colorType == 3) {
    Bytes plte = PaletteBody(16);
    plte[15] = 10, plte[16] = 20, plte[17] = 30;  // entry 5
    before.push_back({"PLTE", plte});
  }
  if (!c.trns.empty()) before.push_back({"tRNS", c.trns});
  TPngImage png;
  Load(png, WithChunks(c.colorType, c.depth, 3, 3, before));
  EXPECT_EQ(png.TransparencyKind(), c.kind);
  EXPECT_EQ(png.IsTransparent(), c.kind != tkNone);
  if (c.checkKey) {
    EXPECT_EQ(png.KeyColor(), c.key);
  }
}

const TrnsCase kTrnsCases[] = {
    {"grey_none", 0, 8, {}, tkNone, true, 0},
    {"grey8_key", 0, 8, {0, 40}, tkKeyColor, true, 0x282828},
    {"grey2_key_is_scaled_level", 0, 2, {0, 1}, tkKeyColor, true, 0x555555},
    {"grey1_key_is_white", 0, 1, {0, 1}, tkKeyColor, true, 0xFFFFFF},
    {"grey16_key_is_high_byte", 0, 16, {0x12, 0xFF}, tkKeyColor, true, 0x121212},
    {"rgb_key", 2, 8, {0, 1, 0, 2, 0, 3}, tkKeyColor, true, 0x030201},
    {"rgb16_key_is_high_bytes", 2, 16, {0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC}, tkKeyColor, true, 0x9A5612},
    {"rgb_short_trns_is_ignored", 2, 8, {0, 1}, tkNone, true, 0},
    {"palette_none", 3, 4, {}, tkNone, true, 0},
    {"palette_index5_zero", 3, 4, {255, 255, 255, 255, 255, 0}, tkKeyColor, true, 0x1E140A},
    {"palette_index5_zero_index6_half", 3, 4, {255, 255, 255, 255, 255, 0, 128}, tkAlpha, false, 0},
    {"palette_single_128_is_partial_alpha", 3, 4, {128}, tkAlpha, true, 0},
    {"grey_alpha", 4, 8, {}, tkAlpha, true, 0},
    {"rgba", 6, 8, {}, tkAlpha, true, 0},
    {"rgba_with_trns", 6, 8, {0, 1, 0, 2, 0, 3}, tkAlpha, false, 0},
};

INSTANTIATE_TEST_SUITE_P(All, TransparencyTest, ::testing::ValuesIn(kTrnsCases),
                         [](const auto& info) { return std::string(info.param.name); });

// tRNS and gAMA chunks that do not fit the image: what the image reports and what it draws
// over a background. Each image is one row whose pixels are listed with it; expected
// colours are those samples themselves (0x00BBGGRR) or their blend with the background.
constexpr COLORREF kBack = 0x00302010;

COLORREF Half(COLORREF src) {
  // 128 * src + 127 * back + 255, the top byte of the 16-bit sum, per channel.
  COLORREF out = 0;
  for (int k = 0; k < 3; ++k)
    out |= ((128 * (src >> (8 * k) & 0xFF) + 127 * (kBack >> (8 * k) & 0xFF) + 255) >> 8) << (8 * k);
  return out;
}

struct FitCase {
  const char* name;
  int colorType, depth;
  std::vector<std::uint16_t> row;  // samples of the one row
  std::vector<Chunk> before;       // chunks between IHDR and IDAT
  TTransparencyKind kind;
  std::vector<COLORREF> drawn;     // per pixel, over kBack
};

class ChunkFitTest : public ::testing::TestWithParam<FitCase> {};

TEST_P(ChunkFitTest, ReportsAndDraws) {
  const FitCase& c = GetParam();
  PngPlan s;
  s.image = RandomImage(std::uint32_t(c.drawn.size()), 1, c.colorType, c.depth, 1);
  s.image.samples[0] = c.row;
  s.beforeData = c.before;
  Bytes file = BuildPng(s);
  SaveSeed("fit_" + std::string(c.name), file);
  TPngImage png;
  Load(png, file);
  EXPECT_EQ(png.TransparencyKind(), c.kind);
  const int w = int(c.drawn.size());
  TBitmap bmp(w, 1);
  bmp.Canvas()->Brush()->SetColor(TColor(kBack));
  bmp.Canvas()->FillRect(RECT{0, 0, w, 1});
  png.DrawOnCanvas(*bmp.Canvas(), RECT{0, 0, w, 1});
  for (int x = 0; x < w; ++x) EXPECT_EQ(COLORREF(bmp.Canvas()->Pixels(x, 0)), c.drawn[std::size_t(x)]) << "pixel " << x;
}

const Bytes kRedBlackBlue = {255, 0, 0, 0, 0, 0, 0, 0, 255};

const FitCase kFitCases[] = {
    // One partial value is partial alpha, not a key; a single 0 still is a key.
    {"palette_trns_single_128", 3, 8, {0, 1, 2}, {{"PLTE", kRedBlackBlue}, {"tRNS", {128}}}, tkAlpha,
     {Half(0x0000FF), 0x000000, 0xFF0000}},
    {"palette_trns_single_0", 3, 8, {0, 1, 2}, {{"PLTE", kRedBlackBlue}, {"tRNS", {0}}}, tkKeyColor,
     {kBack, 0x000000, 0xFF0000}},
    // A key outside the bit depth's range matches no pixel (masked, 19 would be level 3).
    {"grey4_key_19", 0, 4, {3, 0, 15}, {{"tRNS", {0, 19}}}, tkNone, {0x333333, 0x000000, 0xFFFFFF}},
    {"grey4_key_3", 0, 4, {3, 0, 15}, {{"tRNS", {0, 3}}}, tkKeyColor, {kBack, 0x000000, 0xFFFFFF}},
    {"grey8_key_275", 0, 8, {19, 0, 255}, {{"tRNS", {1, 19}}}, tkNone, {0x131313, 0x000000, 0xFFFFFF}},
    {"rgb8_key_red_258", 2, 8, {2, 3, 4, 0, 0, 0}, {{"tRNS", {1, 2, 0, 3, 0, 4}}}, tkNone, {0x040302, 0x000000}},
    // A key body of the wrong length is no key at all: black stays black.
    {"grey8_trns_1_byte", 0, 8, {0, 200}, {{"tRNS", {0}}}, tkNone, {0x000000, 0xC8C8C8}},
    {"rgb8_trns_2_bytes", 2, 8, {0, 0, 0, 9, 8, 7}, {{"tRNS", {0, 0}}}, tkNone, {0x000000, 0x070809}},
    {"rgb8_trns_8_bytes", 2, 8, {0, 0, 0, 9, 8, 7}, {{"tRNS", Bytes(8, 0)}}, tkNone, {0x000000, 0x070809}},
    // A gAMA that is not 4 bytes or says 0 changes no colour.
    {"gama_3_bytes", 2, 8, {100, 150, 200, 1, 2, 3}, {{"gAMA", {0, 0, 0xB1}}}, tkNone, {0xC89664, 0x030201}},
    {"gama_5_bytes", 2, 8, {100, 150, 200, 1, 2, 3}, {{"gAMA", {0, 0, 0xB1, 0x8F, 0}}}, tkNone, {0xC89664, 0x030201}},
    {"gama_0", 2, 8, {100, 150, 200, 1, 2, 3}, {{"gAMA", {0, 0, 0, 0}}}, tkNone, {0xC89664, 0x030201}},
    {"palette_gama_1_byte", 3, 8, {0, 1}, {{"gAMA", {7}}, {"PLTE", {200, 100, 50, 1, 2, 3}}}, tkNone,
     {0x3264C8, 0x030201}},
};

INSTANTIATE_TEST_SUITE_P(All, ChunkFitTest, ::testing::ValuesIn(kFitCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------
// Copying, alpha channels, bitmap import

TEST(ImageOps, CopyKeepsChunksPixelsAndColours) {
  PngPlan s;
  s.image = RandomImage(7, 5, 0, 4, 9);
  s.beforeData.push_back({"gAMA", Be32(60000)});
  s.beforeData.push_back({"tRNS", {0, 3}});
  s.afterData.push_back({"tEXt", {'k', 0, 'v'}});
  TPngImage src, copy;
  Load(src, BuildPng(s));
  copy.CopyFrom(&src);
  EXPECT_EQ(Types(copy), Types(src));
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 7; ++x) ASSERT_EQ(copy.PixelColor(x, y), src.PixelColor(x, y)) << "pixel (" << x << ", " << y << ")";
  EXPECT_EQ(copy.KeyColor(), src.KeyColor());
  ASSERT_NE(copy.Chunks().FirstOfClass<TChunktEXt>(), nullptr);
  EXPECT_EQ(copy.Chunks().FirstOfClass<TChunktEXt>()->Text, "v");
}

TEST(ImageOps, AddAlphaChannel) {
  TPngImage rgb;
  Load(rgb, WithChunks(2, 8, 4, 3, {}));
  EXPECT_EQ(rgb.AlphaRow(0), nullptr);
  rgb.AddAlphaChannel();
  EXPECT_EQ(rgb.ImageHeader().ColorType(), TPngColorType::Rgba);
  EXPECT_EQ(rgb.TransparencyKind(), tkAlpha);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x) ASSERT_EQ(rgb.AlphaRow(y)[x], 255);

  TPngImage rgba;
  Load(rgba, WithChunks(6, 8, 4, 3, {}));
  std::uint8_t before = rgba.AlphaRow(1)[2];
  rgba.AddAlphaChannel();
  EXPECT_EQ(rgba.ImageHeader().ColorType(), TPngColorType::Rgba);
  EXPECT_EQ(rgba.AlphaRow(1)[2], before);

  TPngImage pal;
  Load(pal, WithChunks(3, 4, 4, 3, {{"PLTE", PaletteBody(16)}}));
  pal.AddAlphaChannel();
  EXPECT_EQ(pal.TransparencyKind(), tkAlpha);
  EXPECT_EQ(pal.Chunks().FirstOfClass<TChunktRNS>()->BodyLength(), 16u);
  EXPECT_EQ(Types(pal), "IHDR PLTE tRNS IDAT IEND ");

  // A 1-bit grey image with an alpha channel still answers within its rows.
  TPngImage grey;
  Load(grey, WithChunks(0, 1, 9, 2, {}));
  COLORREF c = grey.PixelColor(8, 1);
  grey.AddAlphaChannel();
  EXPECT_EQ(grey.PixelColor(8, 1), c);
  TPngImage copy;
  copy.CopyFrom(&grey);
  EXPECT_EQ(copy.PixelColor(8, 1), c);
}

TEST(ImageOps, Import24BitBitmap) {
  TBitmap bmp(3, 2, pf24bit);
  bmp.Canvas()->SetPixel(1, 0, 0x123456);
  TPngImage png;
  png.Assign(&bmp);
  EXPECT_EQ(png.ImageHeader().ColorType(), TPngColorType::Rgb);
  EXPECT_EQ(png.ImageHeader().BitDepth(), 8);
  EXPECT_EQ(png.Storage().RowStride(), 12);
  EXPECT_EQ(png.Chunks().FirstOfClass<TChunkPLTE>(), nullptr);
  EXPECT_EQ(png.PixelColor(1, 0), 0x123456u);
  EXPECT_EQ(png.TransparencyKind(), tkNone);
  bmp.SetTransparentColor(TColor(0x123456));
  bmp.SetTransparent(true);
  png.Assign(&bmp);
  EXPECT_EQ(png.TransparencyKind(), tkKeyColor);
  EXPECT_EQ(png.KeyColor(), 0x123456u);
  // An indexed bitmap's key is the first entry of that colour (maroon, entry 1; purple, 5,
  // shares its red and green).
  TBitmap indexed(3, 2, pf4bit);
  indexed.SetTransparentColor(TColor(0x000080));
  indexed.SetTransparent(true);
  png.Assign(&indexed);
  EXPECT_EQ(png.ImageHeader().ColorType(), TPngColorType::Palette);
  EXPECT_EQ(png.KeyColor(), 0x000080u);
}

// ---------------------------------------------------------------------------------------
// Decoding edge cases

TEST(DecodeEdges, Adam7OneByOneAndWidthFive) {
  for (std::uint32_t w : {1u, 5u}) {
    PngPlan s;
    s.image = RandomImage(w, 1, 2, 8, w);
    s.interlace = 1;
    TPngImage png;
    Load(png, BuildPng(s));
    for (std::uint32_t x = 0; x < w; ++x) {
      const auto& p = s.image.samples[0];
      EXPECT_EQ(png.PixelColor(int(x), 0), COLORREF(p[3 * x] | p[3 * x + 1] << 8 | p[3 * x + 2] << 16)) << "x " << x;
    }
  }
}

TEST(DecodeEdges, FilterTypeFiveLeavesRowUnfiltered) {
  PngPlan s;
  s.image = RandomImage(4, 2, 0, 8, 2);
  s.filter = 5;
  TPngImage png;
  Load(png, BuildPng(s));
  EXPECT_EQ(png.PixelColor(2, 1) & 0xFF, s.image.samples[1][2]);
}

TEST(DecodeEdges, SixteenBitKeepsHighByte) {
  PngPlan s;
  s.image = RandomImage(1, 1, 2, 16, 1);
  s.image.samples[0] = {18 * 256 + 255, 7, 65535};
  TPngImage png;
  Load(png, BuildPng(s));
  EXPECT_EQ(png.PixelColor(0, 0), COLORREF(18 | 0 << 8 | 255 << 16));
}

TEST(DecodeEdges, EmptyAndOutOfRangePixels) {
  for (auto size : {std::pair<std::uint32_t, std::uint32_t>{0, 3}, {3, 0}, {0, 0}}) {
    TPngImage png;
    Load(png, WithChunks(6, 8, size.first, size.second, {}));
    EXPECT_EQ(png.PixelColor(0, 0), 0u);
    EXPECT_EQ(png.PixelRow(0), nullptr);
    TBitmap canvas(4, 4);
    png.DrawOnCanvas(*canvas.Canvas(), RECT{0, 0, 4, 4});
  }
  TPngImage wide;
  Bytes f = WithChunks(2, 8, 400, 1, {});
  Load(wide, f);
  Rgba ref;
  std::string err;
  if (HaveLibpng()) {
    ASSERT_TRUE(LibpngDecode(f, ref, err));
    const std::uint8_t* e = ref.At(300, 0);
    EXPECT_EQ(wide.PixelColor(300, 0), COLORREF(e[0] | e[1] << 8 | e[2] << 16));
  }
  EXPECT_EQ(wide.PixelColor(400, 0), 0u);
  EXPECT_EQ(wide.PixelColor(-1, 0), 0u);
}

TEST(DecodeEdges, StreamEndingInsideDataLeavesRowsCleared) {
  Bytes f = WithChunks(2, 8, 50, 50, {});
  std::size_t o = FindChunk(f, "IDAT");
  f.resize(o + 8 + 200);
  TPngImage png;
  TBytesStream s(f.data(), std::int64_t(f.size()));
  EXPECT_EQ(Catch([&] { png.ReadFromStream(s); }).className, "EPngInvalidCRC");
  ASSERT_TRUE(png.HasHeader());
  EXPECT_EQ(png.PixelColor(49, 49), 0u);
}

TEST(DecodeEdges, DataBeyondTheLastRowIsNotInflated) {
  // The rows are followed, inside the same zlib stream, by a huge run of zeros and then a
  // block of a reserved type. Inflating on after the last row would take the whole run in
  // and then fail on that block; decoding stops at the last row and only reads on to
  // check the CRC, so the image reads.
  RawImage img = RandomImage(8, 8, 6, 8, 4);
  Bytes raw = FilteredData(img, 0, 0);
  raw.resize(raw.size() + (63u << 20), 0);
  z_stream zs{};
  ASSERT_EQ(deflateInit(&zs, 9), Z_OK);
  Bytes z(deflateBound(&zs, uLong(raw.size())) + 16);
  zs.next_in = raw.data();
  zs.avail_in = uInt(raw.size());
  zs.next_out = z.data();
  zs.avail_out = uInt(z.size());
  ASSERT_EQ(deflate(&zs, Z_SYNC_FLUSH), Z_OK);  // ends on a byte boundary
  z.resize(z.size() - zs.avail_out);
  deflateEnd(&zs);
  z.push_back(0x06);  // block header: not final, type 3 (reserved)
  z.push_back(0x00);
  // The body runs one byte past the first piece the reader takes in (65535 bytes); that
  // byte too is read, for the CRC.
  ASSERT_LE(z.size(), 65536u);
  z.insert(z.end(), 65536 - z.size(), std::uint8_t(0));
  Bytes f = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};
  for (const Bytes& c : {ChunkBytes("IHDR", IhdrBody(8, 8, 8, 6)), ChunkBytes("IDAT", z), ChunkBytes("IEND", {})})
    f.insert(f.end(), c.begin(), c.end());
  SaveSeed("bomb_tail", f);
  TPngImage png;
  TBytesStream s(f.data(), std::int64_t(f.size()));
  Raised r = Catch([&] { png.ReadFromStream(s); });
  EXPECT_EQ(r.className, "") << r.message;
  EXPECT_EQ(s.Position(), std::int64_t(f.size()));
  for (std::uint32_t x = 0; x < 8; ++x) EXPECT_EQ(png.AlphaRow(7)[x], img.samples[7][4 * x + 3]) << "x " << x;
}

}  // namespace
