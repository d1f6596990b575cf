// Reads arbitrary bytes as a PNG stream; when the read succeeds, the image is written and
// the written stream read again, and both images must hold the same pixels, alpha, colour
// table and transparency. Writing must neither fail nor change the image. The encoder's
// settings (filter set, deflate level, interlacing) come from the input's last two bytes,
// which lie past the IEND chunk of most inputs.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "png/pngimage.h"
#include "ui/core/streams.h"

namespace {

void Limit(TPngImage& image) {
  // Small pictures keep each run quick; the encoder's paths are the same at any size.
  image.SetMaxStorageBytes(1u << 18);
  image.SetMaxChunkBytes(4u << 20);
  image.SetMaxTextBytes(1u << 20);
}

// Everything the image reports about its pixels, as one list of numbers.
std::vector<std::uint32_t> Picture(TPngImage& png) {
  TChunkIHDR& h = png.ImageHeader();
  std::vector<std::uint32_t> v = {h.ImageWidth(), std::uint32_t(h.ImageHeight()), std::uint32_t(h.ColorType()), h.BitDepth(),
                                  std::uint32_t(png.TransparencyKind()), png.KeyColor()};
  unsigned bits = unsigned(png.Storage().StorageBits());
  for (int y = 0; y < h.ImageHeight(); ++y) {
    const std::uint8_t* row = png.PixelRow(y);
    const std::uint8_t* alpha = png.AlphaRow(y);
    for (std::uint32_t x = 0; x < h.ImageWidth() && row; ++x) {
      // Palette indexes as stored: an index past the palette has no colour to compare.
      if (h.ColorType() == TPngColorType::Palette)
        v.push_back(bits == 8 ? row[x] : bits == 4 ? row[x / 2] >> (4 - x % 2 * 4) & 15 : row[x / 8] >> (7 - x % 8) & 1);
      else
        v.push_back(png.PixelColor(int(x), y));
      if (alpha) v.push_back(alpha[x]);
    }
  }
  if (png.Storage().UsesColorTable())
    for (unsigned i = 0; i < (1u << bits); ++i) {
      const RGBQUAD& q = png.Storage().HeaderInfo().bmiColors[i];
      v.push_back(q.rgbBlue | q.rgbGreen << 8 | q.rgbRed << 16);
    }
  if (auto* trns = png.Chunks().FirstOfClass<TChunktRNS>()) {
    v.push_back(trns->BitTransparency());
    for (std::uint32_t i = 0; i < trns->BodyLength() && i < 256; ++i) v.push_back(trns->AlphaValues()[i]);
  }
  return v;
}

[[noreturn]] void Fail(const std::string& what) {
  std::fprintf(stderr, "fuzz_png_recode: %s\n", what.c_str());
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TPngImage image;
  Limit(image);
  TBytesStream stream(data, std::int64_t(size));
  try {
    image.ReadFromStream(stream);
  } catch (const Exception&) {
    return 0;
  }
  static const std::uint8_t kLevels[8] = {0, 1, 2, 4, 6, 7, 8, 9};
  std::uint8_t settings = size > 0 ? data[size - 1] : 0;
  image.SetFilterSet(settings & 31);
  image.SetDeflateLevel(kLevels[settings >> 5]);
  if (size > 1 && (data[size - 2] & 1)) image.SetInterlacing(image.Interlacing() == 1 ? 0 : 1);

  std::vector<std::uint32_t> before = Picture(image);
  TMemoryStream written;
  try {
    image.WriteToStream(written);
  } catch (const Exception& e) {
    Fail(std::string("writing failed: ") + e.ClassName() + ": " + e.Message());
  }
  if (Picture(image) != before) Fail("writing changed the image");

  TPngImage again;
  Limit(again);
  written.SetPosition(0);
  try {
    again.ReadFromStream(written);
  } catch (const Exception& e) {
    Fail(std::string("the written stream does not read: ") + e.ClassName() + ": " + e.Message());
  }
  if (Picture(again) != before) Fail("the written stream reads as another picture");
  return 0;
}
