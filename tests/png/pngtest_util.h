// Test helpers for the PNG codec: a small PNG writer built on zlib (random images, every
// filter type, Adam7, split IDAT runs, extra chunks), byte patching with CRC repair, and
// libpng as the independent decoder the tests compare with.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "png/rowconv.h"

namespace pngtest {

using Bytes = std::vector<std::uint8_t>;

int Channels(int colorType);
std::size_t RowBytes(int colorType, int bitDepth, std::uint32_t width);

// An image as samples: samples[y][x * channels + c], each below 2^bitDepth.
struct RawImage {
  std::uint32_t width = 0, height = 0;
  int colorType = 0, bitDepth = 8;
  std::vector<std::vector<std::uint16_t>> samples;
};
RawImage RandomImage(std::uint32_t w, std::uint32_t h, int colorType, int bitDepth, std::uint32_t seed);

struct Chunk {
  std::string type;
  Bytes body;
};
Bytes ChunkBytes(const std::string& type, const Bytes& body);
Bytes IhdrBody(std::uint32_t w, std::uint32_t h, int bitDepth, int colorType, int interlace = 0);

// filter: 0..4 for every row, 5 and above written as that byte with an unfiltered row,
// -1 for the five filters in turn.
Bytes FilteredData(const RawImage& img, int interlace, int filter);
// Appends the filter byte and row filtered with filter 0..4 against prev.
void AppendFiltered(Bytes& out, const Bytes& row, const Bytes& prev, int filter, std::size_t bpp);
Bytes Deflate(const Bytes& data, int level = 6);

struct PngPlan {
  RawImage image;
  int interlace = 0;
  int filter = -1;
  std::vector<Chunk> beforeData;  // after IHDR
  std::vector<Chunk> afterData;   // before IEND
  std::size_t idatPieces = 1;     // the compressed data split over this many IDAT chunks
};
Bytes BuildPng(const PngPlan& plan);
// A palette of n distinct colours as a PLTE body.
Bytes PaletteBody(int n, std::uint32_t seed = 7);

// Offset of the length field of the n-th chunk of a type, or npos.
std::size_t FindChunk(const Bytes& png, const std::string& type, int occurrence = 0);
// Recomputes the CRC of the chunk whose length field is at offset.
void FixCrc(Bytes& png, std::size_t offset);
void PutBE32(std::uint8_t* p, std::uint32_t v);

// libpng decode to 8-bit RGBA (expand, strip 16 by truncation, grey to RGB, no gamma).
struct Rgba {
  std::uint32_t width = 0, height = 0;
  std::vector<std::uint8_t> px;  // RGBA
  const std::uint8_t* At(std::uint32_t x, std::uint32_t y) const { return px.data() + 4 * (y * width + x); }
};
bool LibpngDecode(const Bytes& png, Rgba& out, std::string& error);
// False in builds without libpng (Windows): the comparisons with it are left out there,
// and LibpngDecode fails.
bool HaveLibpng();

// The gamma map the codec is documented to build for a gAMA value.
std::vector<std::uint8_t> GammaTable(std::uint32_t gama);

// Writes bytes to <build>/fuzz-seeds/<target>/<name>.png so the fuzzer starts from them.
void SaveSeed(const std::string& name, const Bytes& png, const std::string& target = "fuzz_png");

// The instruction-set levels of the row code, for tables run at each of them.
inline constexpr pngrow::RowLevel kRowLevels[] = {pngrow::RowLevel::Scalar, pngrow::RowLevel::Sse2,
                                                  pngrow::RowLevel::Ssse3};
inline std::string LevelName(pngrow::RowLevel l) {
  return l == pngrow::RowLevel::Scalar ? "scalar" : l == pngrow::RowLevel::Sse2 ? "sse2" : "ssse3";
}

// Class name and message of the Exception that fn raises ("" when none).
struct Raised {
  std::string className, message;
};
Raised Catch(const std::function<void()>& fn);

}  // namespace pngtest
