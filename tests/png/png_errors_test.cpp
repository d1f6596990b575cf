// Every failure of reading and of the chunk and image operations, with its exact class
// and message. Bad inputs are good files patched at a named place.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "png/pngimage.h"
#include "pngtest_util.h"

using namespace pngtest;

namespace {

#define PNG_Q "\"Portable Network Graphics\""
const char* kInvalidFileHeader = "The file being readed is not a valid " PNG_Q
                                 " image because it contains an invalid header. This file may be corruped, try "
                                 "obtaining it again.";
const char* kUnexpectedEnd = "This " PNG_Q " image is invalid because the decoder found an unexpected end of the file.";
const char* kIHDRNotFirst = "This " PNG_Q " image is not supported or it might be invalid.\r\n(IHDR chunk is not the first)";
const char* kInvalidCRC = "This " PNG_Q " image is not valid because it contains invalid pieces of data (crc error)";
const char* kUnknownCritical = "This " PNG_Q " image contains an unknown critical part which could not be decoded.";
const char* kNoImageData = "This " PNG_Q " image contains no data.";
const char* kHeaderNotPresent = "This operation is not valid because the current image contains no valid header.";
const char* kExistentCritical =
    "The program tried to add a existent critical chunk to the current image which is not allowed.";
const char* kInvalidImage = "It's not allowed to add a new chunk because the current image is invalid.";
const char* kNotCompatible = "The chunks must be compatible to be assigned.";
const char* kInvalidIHDR = "The " PNG_Q " image could not be loaded because one of its main piece of data (ihdr) might be corrupted";
const char* kSizeExceeds = "This " PNG_Q
                           " image is not supported because either it's width or height exceeds the maximum size, "
                           "which is 65535 pixels length.";
const char* kUnknownCompression =
    "This " PNG_Q " image is encoded with an unknown compression scheme which could not be decoded.";
const char* kUnknownInterlace = "This " PNG_Q " image uses an unknown interlace scheme which could not be decoded.";
const char* kInvalidPalette = "The " PNG_Q " image contains an invalid palette.";
const char* kNoSuchEntry = "There is no such palette entry.";
const char* kMissingIDAT = "This " PNG_Q " image is invalid because it has missing image parts.";
const char* kZlibPrefix = "Could not decompress the image because it contains invalid compressed data.\r\n Description: ";
const char* kOutMemory = "Some operation could not be performed because the system is out of resources. Close some "
                         "windows and try again.";
const char* kCannotResize = "The " PNG_Q
                            " image can not be resize by changing width and height properties. Try assigning the "
                            "image from a bitmap.";

Bytes Rgba(std::uint32_t w = 6, std::uint32_t h = 4, std::size_t pieces = 1) {
  PngPlan s;
  s.image = RandomImage(w, h, 6, 8, 5);
  s.idatPieces = pieces;
  return BuildPng(s);
}

Bytes Palette(std::uint32_t w, std::uint32_t h, int depth, const Bytes& plte) {
  PngPlan s;
  s.image = RandomImage(w, h, 3, depth, 3);
  s.beforeData.push_back({"PLTE", plte});
  return BuildPng(s);
}

// Inserts a chunk right before the chunk at `before` (an offset from FindChunk).
Bytes Insert(Bytes png, std::size_t before, const std::string& type, const Bytes& body) {
  Bytes c = ChunkBytes(type, body);
  png.insert(png.begin() + std::ptrdiff_t(before), c.begin(), c.end());
  return png;
}

Raised ReadBytes(const Bytes& b, TPngImage* into = nullptr) {
  TPngImage local;
  TPngImage& png = into ? *into : local;
  TBytesStream s(b.data(), std::int64_t(b.size()));
  return Catch([&] { png.ReadFromStream(s); });
}

struct ReadCase {
  const char* name;
  std::function<Bytes()> make;
  const char* cls;
  std::string message;
};

class ReadErrorTest : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ReadErrorTest, RaisesTypedError) {
  Bytes b = GetParam().make();
  SaveSeed(std::string("err_") + GetParam().name, b);
  Raised r = ReadBytes(b);
  EXPECT_EQ(r.className, GetParam().cls);
  EXPECT_EQ(r.message, GetParam().message);
}

Bytes PatchIhdr(int at, std::uint8_t value, bool fixCrc = true) {
  Bytes b = Rgba();
  std::size_t o = FindChunk(b, "IHDR");
  b[o + 8 + std::size_t(at)] = value;
  if (fixCrc) FixCrc(b, o);
  return b;
}

Bytes FlipLastCrcByte(Bytes b, int idat) {
  std::size_t o = FindChunk(b, "IDAT", idat);
  std::uint32_t len = std::uint32_t(b[o + 2]) << 8 | b[o + 3];
  b[o + 8 + len + 3] ^= 1;
  return b;
}

// The image data's zlib header set to cmf and flg, the check bits made to fit unless not.
Bytes ZlibHeader(std::uint8_t cmf, std::uint8_t flg, bool fit = true) {
  Bytes b = Rgba(30, 30);
  std::size_t o = FindChunk(b, "IDAT");
  b[o + 8] = cmf;
  b[o + 9] = fit ? std::uint8_t(flg + (31 - (cmf * 256u + flg) % 31) % 31) : flg;
  FixCrc(b, o);
  return b;
}

const ReadCase kReadCases[] = {
    {"signature_byte0", [] { Bytes b = Rgba(); b[0] = 0x88; return b; }, "EPngInvalidFileHeader", kInvalidFileHeader},
    {"short_signature", [] { return Bytes{0x89, 0x50, 0x4E}; }, "EPngInvalidFileHeader", kInvalidFileHeader},
    {"only_signature", [] { Bytes b = Rgba(); b.resize(8); return b; }, "EPngUnexpectedEnd", kUnexpectedEnd},
    {"ends_after_idat", [] { Bytes b = Rgba(); b.resize(FindChunk(b, "IEND")); return b; }, "EPngUnexpectedEnd",
     kUnexpectedEnd},
    {"gama_first",
     [] {
       Bytes b = Rgba();
       return Insert(b, 8, "gAMA", {0, 0, 0xB1, 0x8F});
     },
     "EPngIHDRNotFirst", kIHDRNotFirst},
    {"ihdr_body_bit_flipped", [] { return PatchIhdr(0, 0x01, false); }, "EPngInvalidCRC", kInvalidCRC},
    {"second_idat_crc_bit_flipped",
     [] {
       Bytes b = Rgba(20, 20, 3);
       std::size_t o = FindChunk(b, "IDAT", 1);
       std::uint32_t len = std::uint32_t(b[o + 2]) << 8 | b[o + 3];
       b[o + 8 + len] ^= 0x10;
       return b;
     },
     "EPngInvalidCRC", kInvalidCRC},
    {"last_idat_body_bit_flipped",
     [] {
       Bytes b = Rgba(20, 20, 3);
       std::size_t o = FindChunk(b, "IDAT", 2);
       b[o + 8] ^= 0x01;
       return b;
     },
     "EPngInvalidCRC", kInvalidCRC},
    // A stored CRC one off in its last byte, in the header, between IDAT chunks, and after
    // the last one.
    {"ihdr_crc_last_byte", [] { Bytes b = Rgba(); b[FindChunk(b, "IHDR") + 8 + 13 + 3] ^= 1; return b; },
     "EPngInvalidCRC", kInvalidCRC},
    {"first_idat_crc_last_byte", [] { return FlipLastCrcByte(Rgba(20, 20, 3), 0); }, "EPngInvalidCRC", kInvalidCRC},
    {"last_idat_crc_last_byte", [] { return FlipLastCrcByte(Rgba(20, 20, 3), 2); }, "EPngInvalidCRC", kInvalidCRC},
    {"text_body_bit_flipped",
     [] {
       Bytes b = Insert(Rgba(), FindChunk(Rgba(), "IEND"), "tEXt", {'K', 0, 'v'});
       b[FindChunk(b, "tEXt") + 10] ^= 4;
       return b;
     },
     "EPngInvalidCRC", kInvalidCRC},
    {"unknown_critical", [] { return Insert(Rgba(), FindChunk(Rgba(), "IDAT"), "ABCD", {1, 2}); },
     "EPngUnknownCriticalChunk", kUnknownCritical},
    {"unknown_critical_first_byte_1", [] { return Insert(Rgba(), FindChunk(Rgba(), "IDAT"), "\x01" "bcd", {}); },
     "EPngUnknownCriticalChunk", kUnknownCritical},
    {"unknown_critical_lower_case_after_first", [] { return Insert(Rgba(), FindChunk(Rgba(), "IDAT"), "Abcd", {}); },
     "EPngUnknownCriticalChunk", kUnknownCritical},
    {"no_image_data",
     [] {
       Bytes b = Rgba();
       std::size_t a = FindChunk(b, "IDAT"), e = FindChunk(b, "IEND");
       b.erase(b.begin() + std::ptrdiff_t(a), b.begin() + std::ptrdiff_t(e));
       return b;
     },
     "EPngNoImageData", kNoImageData},
    {"ihdr_12_bytes",
     [] {
       Bytes b = Rgba();
       std::size_t o = FindChunk(b, "IHDR");
       b[o + 3] = 12;
       b.erase(b.begin() + std::ptrdiff_t(o + 8 + 12));
       FixCrc(b, o);
       return b;
     },
     "EPngInvalidIHDR", kInvalidIHDR},
    {"width_65536", [] { Bytes b = PatchIhdr(1, 1); b[FindChunk(b, "IHDR") + 10] = 0; b[FindChunk(b, "IHDR") + 11] = 0; FixCrc(b, FindChunk(b, "IHDR")); return b; },
     "EPngSizeExceeds", kSizeExceeds},
    {"width_byte0_0x80", [] { return PatchIhdr(0, 0x80); }, "EPngSizeExceeds", kSizeExceeds},
    {"height_byte1_1", [] { return PatchIhdr(5, 0x01); }, "EPngSizeExceeds", kSizeExceeds},
    {"compression_1", [] { return PatchIhdr(10, 1); }, "EPngUnknownCompression", kUnknownCompression},
    {"interlace_2", [] { return PatchIhdr(12, 2); }, "EPngUnknownInterlace", kUnknownInterlace},
    {"plte_769_bytes", [] { return Palette(4, 4, 8, Bytes(769, 1)); }, "EPngInvalidPalette", kInvalidPalette},
    {"plte_257_entries", [] { return Palette(4, 4, 8, Bytes(771, 1)); }, "EPngInvalidPalette", kInvalidPalette},
    {"plte_10_bytes", [] { return Palette(4, 4, 8, Bytes(10, 1)); }, "EPngInvalidPalette", kInvalidPalette},
    {"trns_257_bytes",
     [] {
       Bytes b = Palette(4, 4, 8, PaletteBody(256));
       return Insert(b, FindChunk(b, "IDAT"), "tRNS", Bytes(257, 9));
     },
     "EPngInvalidPalette", kInvalidPalette},
    {"data_cut_short_then_iend",
     [] {
       Bytes b = Rgba(30, 30);
       std::size_t o = FindChunk(b, "IDAT");
       std::uint32_t len = std::uint32_t(b[o + 2]) << 8 | b[o + 3];
       Bytes z(b.begin() + std::ptrdiff_t(o + 8), b.begin() + std::ptrdiff_t(o + 8 + len / 2));
       Bytes out(b.begin(), b.begin() + std::ptrdiff_t(o));
       for (const Bytes& c : {ChunkBytes("IDAT", z), ChunkBytes("IEND", {})}) out.insert(out.end(), c.begin(), c.end());
       return out;
     },
     "EPngMissingMultipleIDAT", kMissingIDAT},
    {"corrupt_deflate",
     [] {
       Bytes b = Rgba(30, 30);
       std::size_t o = FindChunk(b, "IDAT");
       b[o + 8 + 2] = 0xFF;  // first block header: reserved block type
       FixCrc(b, o);
       return b;
     },
     "EPngZlibError", std::string(kZlibPrefix) + "data error (-3)"},
    {"zlib_check_bits", [] { return ZlibHeader(0x78, 0x9D, false); }, "EPngZlibError",
     std::string(kZlibPrefix) + "data error (-3)"},
    {"zlib_method_7", [] { return ZlibHeader(0x77, 0x80); }, "EPngZlibError", std::string(kZlibPrefix) + "data error (-3)"},
    {"zlib_window_64KiB", [] { return ZlibHeader(0x88, 0x80); }, "EPngZlibError",
     std::string(kZlibPrefix) + "data error (-3)"},
    // A preset dictionary ends the image data: the rows stay cleared.
    {"zlib_preset_dictionary", [] { return ZlibHeader(0x78, 0xA0); }, "", ""},
    {"stream_ends_inside_data",
     [] {
       Bytes b = Rgba(30, 30);
       std::size_t o = FindChunk(b, "IDAT");
       b.resize(o + 8 + 40);
       return b;
     },
     "EPngInvalidCRC", kInvalidCRC},
    {"text_longer_than_stream",
     [] {
       Bytes b = Rgba();
       std::size_t e = FindChunk(b, "IEND");
       b.resize(e);
       Bytes head = {0, 0, 0x10, 0, 't', 'E', 'X', 't', 'a', 0};
       b.insert(b.end(), head.begin(), head.end());
       return b;
     },
     "EPngUnexpectedEnd", kUnexpectedEnd},
    // A declared length beyond what the stream holds is an early end, whatever its size.
    {"text_length_past_end_and_limit",
     [] {
       Bytes b = Rgba();
       Bytes head = {0x7F, 0xFF, 0xFF, 0xFF, 't', 'E', 'X', 't'};
       b.insert(b.begin() + std::ptrdiff_t(FindChunk(b, "IEND")), head.begin(), head.end());
       return b;
     },
     "EPngUnexpectedEnd", kUnexpectedEnd},
    {"chunk_of_70MiB_in_57_bytes",
     [] {
       Bytes b = Rgba();
       b.resize(FindChunk(b, "IDAT"));  // signature and IHDR: 33 bytes
       Bytes head = {0x04, 0x60, 0x00, 0x00, 'z', 'T', 'X', 't'};
       b.insert(b.end(), head.begin(), head.end());
       b.resize(57, 'a');
       return b;
     },
     "EPngUnexpectedEnd", kUnexpectedEnd},
    {"second_ihdr_before_idat",
     [] {
       Bytes b = Rgba(6, 4);
       return Insert(b, FindChunk(b, "IDAT"), "IHDR", IhdrBody(4, 6, 8, 6, 1));
     },
     "EPngInvalidIHDR", kInvalidIHDR},
    {"second_plte",
     [] {
       Bytes b = Palette(4, 4, 8, PaletteBody(16));
       return Insert(b, FindChunk(b, "IDAT"), "PLTE", PaletteBody(2, 99));
     },
     "EPngInvalidPalette", kInvalidPalette},
    {"storage_above_limit_65535_square",
     [] {
       Bytes b = Rgba();
       std::size_t o = FindChunk(b, "IHDR");
       for (int i : {2, 3, 6, 7}) b[o + 8 + std::size_t(i)] = 0xFF;
       FixCrc(b, o);
       return b;
     },
     "EPngOutMemory", kOutMemory},
    {"rgb_depth_4", [] { return PatchIhdr(8, 4); }, "EPngUnsupportedFormat",
     "This " PNG_Q " image uses a combination of bit depth and color type which is not supported."},
    {"color_type_5", [] { return PatchIhdr(9, 5); }, "EPngUnsupportedFormat",
     "This " PNG_Q " image uses a combination of bit depth and color type which is not supported."},
};

INSTANTIATE_TEST_SUITE_P(All, ReadErrorTest, ::testing::ValuesIn(kReadCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The limit check comes before anything of the declared size exists.
TEST(ReadLimits, StorageLimitIsPerImageAndCoversRepeatedHeaders) {
  Bytes b = Rgba(300, 300);
  TPngImage png;
  png.SetMaxStorageBytes(300 * 300 * 4 - 1);
  EXPECT_EQ(ReadBytes(b, &png).className, "EPngOutMemory");
  png.SetMaxStorageBytes(300 * 300 * 4);
  EXPECT_EQ(ReadBytes(b, &png).className, "");
  // A second header is refused before it makes storage of its own.
  Bytes twice = Insert(b, FindChunk(b, "IDAT"), "IHDR", IhdrBody(300, 300, 8, 6));
  EXPECT_EQ(ReadBytes(twice, &png).className, "EPngInvalidIHDR");
  EXPECT_EQ(png.StorageInUse(), 300u * 300u * 4u);
}

TEST(ReadLimits, ChunkLimitAppliesToChunksTheStreamHolds) {
  Bytes b = Rgba();
  Bytes text(300, 'x');
  text[0] = 'k';
  text[1] = 0;
  b = Insert(b, FindChunk(b, "IEND"), "tEXt", text);
  TPngImage png;
  png.SetMaxChunkBytes(299);
  Raised r = ReadBytes(b, &png);
  EXPECT_EQ(r.className, "EPngOutMemory");
  EXPECT_EQ(r.message, kOutMemory);
  png.SetMaxChunkBytes(300);
  EXPECT_EQ(ReadBytes(b, &png).className, "");
}

TEST(ReadLimits, WideImagesAreAcceptedUpTo65535) {
  PngPlan s;
  s.image = RandomImage(65535, 1, 0, 1, 1);
  Raised r = ReadBytes(BuildPng(s));
  EXPECT_EQ(r.className, "") << r.message;
  s.image = RandomImage(65535, 1, 6, 8, 1);
  EXPECT_EQ(ReadBytes(BuildPng(s)).className, "");
}

// ---------------------------------------------------------------------------------------
// Operations on images

struct OpCase {
  const char* name;
  std::function<void(TPngImage&)> op;
  bool loaded;  // run on a loaded RGBA image, else on an empty one
  const char* cls;
  const char* message;
};

class OperationErrorTest : public ::testing::TestWithParam<OpCase> {};

TEST_P(OperationErrorTest, RaisesTypedError) {
  TPngImage png;
  if (GetParam().loaded) {
    ASSERT_EQ(ReadBytes(Rgba(), &png).className, "");
  }
  Raised r = Catch([&] { GetParam().op(png); });
  EXPECT_EQ(r.className, GetParam().cls);
  EXPECT_EQ(r.message, GetParam().message);
}

const OpCase kOpCases[] = {
    {"transparency_without_header", [](TPngImage& p) { p.TransparencyKind(); }, false, "EPngHeaderNotPresent", kHeaderNotPresent},
    {"is_transparent_without_header", [](TPngImage& p) { p.IsTransparent(); }, false, "EPngHeaderNotPresent", kHeaderNotPresent},
    {"pixel_without_header", [](TPngImage& p) { p.PixelColor(0, 0); }, false, "EPngHeaderNotPresent", kHeaderNotPresent},
    {"row_without_header", [](TPngImage& p) { p.PixelRow(0); }, false, "EPngHeaderNotPresent", kHeaderNotPresent},
    {"palette_without_header", [](TPngImage& p) { p.PaletteHandle(); }, false, "EPngHeaderNotPresent", kHeaderNotPresent},
    {"add_alpha_without_header", [](TPngImage& p) { p.AddAlphaChannel(); }, false, "EPngHeaderNotPresent", kHeaderNotPresent},
    {"add_ihdr", [](TPngImage& p) { p.Chunks().AddAncillaryChunk<TChunkIHDR>(); }, true, "EPngError", kExistentCritical},
    {"add_idat", [](TPngImage& p) { p.Chunks().AddAncillaryChunk<TChunkIDAT>(); }, true, "EPngError", kExistentCritical},
    {"add_plte", [](TPngImage& p) { p.Chunks().AddAncillaryChunk<TChunkPLTE>(); }, true, "EPngError", kExistentCritical},
    {"add_iend", [](TPngImage& p) { p.Chunks().AddAncillaryChunk<TChunkIEND>(); }, true, "EPngError", kExistentCritical},
    {"add_second_gama",
     [](TPngImage& p) {
       p.Chunks().AddAncillaryChunk<TChunkgAMA>();
       p.Chunks().AddAncillaryChunk<TChunkgAMA>();
     },
     true, "EPngError", kExistentCritical},
    {"add_second_trns",
     [](TPngImage& p) {
       p.Chunks().AddAncillaryChunk<TChunktRNS>();
       p.Chunks().AddAncillaryChunk<TChunktRNS>();
     },
     true, "EPngError", kExistentCritical},
    {"add_to_empty_image", [](TPngImage& p) { p.Chunks().AddAncillaryChunk<TChunktEXt>(); }, false, "EPngError", kInvalidImage},
    {"copy_plte_into_ihdr",
     [](TPngImage& p) {
       TChunkPLTE plte(&p);
       p.ImageHeader().CopyFrom(plte);
     },
     true, "EPngError", kNotCompatible},
    {"copy_ihdr_into_gama",
     [](TPngImage& p) {
       TChunkgAMA g(&p);
       g.CopyFrom(p.ImageHeader());
     },
     true, "EPngError", kNotCompatible},
    {"copy_ihdr_into_plte",
     [](TPngImage& p) {
       TChunkPLTE plte(&p);
       plte.CopyFrom(p.ImageHeader());
     },
     true, "EPngError", kNotCompatible},
    {"set_width", [](TPngImage& p) { p.SetWidth(3); }, true, "EPngError", kCannotResize},
    {"set_height", [](TPngImage& p) { p.SetHeight(3); }, true, "EPngError", kCannotResize},
};

INSTANTIATE_TEST_SUITE_P(All, OperationErrorTest, ::testing::ValuesIn(kOpCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(OperationErrors, SettingTheWidthKeepsTheSize) {
  TPngImage png;
  ASSERT_EQ(ReadBytes(Rgba(6, 4), &png).className, "");
  Catch([&] { png.SetWidth(10); });
  EXPECT_EQ(png.PixelWidth(), 6);
  EXPECT_EQ(png.PixelHeight(), 4);
}

TEST(OperationErrors, PaletteIndexBeyondTheEntriesRaises) {
  // Two entries, but indexes up to 255 in the data.
  TPngImage png;
  PngPlan s;
  s.image = RandomImage(8, 2, 3, 8, 1);
  s.image.samples[0][0] = 1;
  s.image.samples[0][1] = 200;
  s.beforeData.push_back({"PLTE", PaletteBody(2)});
  s.beforeData.push_back({"tRNS", {100, 128}});
  SaveSeed("palette_index_beyond_entries", BuildPng(s));
  ASSERT_EQ(ReadBytes(BuildPng(s), &png).className, "");
  EXPECT_EQ(Catch([&] { png.PixelColor(0, 0); }).className, "");
  Raised r = Catch([&] { png.PixelColor(1, 0); });
  EXPECT_EQ(r.className, "EPngError");
  EXPECT_EQ(r.message, kNoSuchEntry);
  TBitmap canvas(16, 16);
  r = Catch([&] { png.DrawOnCanvas(*canvas.Canvas(), RECT{0, 0, 8, 2}); });
  EXPECT_EQ(r.message, kNoSuchEntry);
}

TEST(OperationErrors, PaletteImageWithoutPlteNeverLooksEntriesUp) {
  PngPlan s;
  s.image = RandomImage(4, 4, 3, 4, 1);
  s.beforeData.push_back({"tRNS", {0, 128}});
  SaveSeed("palette_without_plte", BuildPng(s));
  TPngImage png;
  ASSERT_EQ(ReadBytes(BuildPng(s), &png).className, "");
  EXPECT_EQ(png.TransparencyKind(), tkAlpha);
  EXPECT_EQ(png.KeyColor(), 0u);
  EXPECT_EQ(Catch([&] { png.PixelColor(0, 0); }).message, kNoSuchEntry);
  TBitmap canvas(16, 16);
  EXPECT_EQ(Catch([&] { png.DrawOnCanvas(*canvas.Canvas(), RECT{0, 0, 4, 4}); }).message, kNoSuchEntry);
}

}  // namespace
