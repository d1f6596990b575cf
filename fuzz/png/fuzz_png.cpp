// Reads arbitrary bytes as a PNG stream; when the read succeeds the image is drawn on a
// small canvas and every pixel is queried, so decoding, drawing and pixel access all see
// whatever the input makes of the image.
#include <cstddef>
#include <cstdint>

#include "png/pngimage.h"
#include "ui/core/streams.h"
#include "ui/graphics/graphics.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TPngImage image;
  // Small limits keep each run quick; the checks are the same as with the defaults.
  image.SetMaxStorageBytes(64u << 20);
  image.SetMaxChunkBytes(1u << 20);
  image.SetMaxTextBytes(1u << 20);
  TBytesStream stream(data, std::int64_t(size));
  try {
    image.ReadFromStream(stream);
  } catch (const Exception&) {
    return 0;
  }
  try {
    TBitmap canvas(64, 64);
    RECT r{0, 0, 64, 64};
    image.DrawOnCanvas(*canvas.Canvas(), r);
    RECT small{3, 5, 20, 9};
    image.DrawOnCanvas(*canvas.Canvas(), small);
  } catch (const Exception&) {
  }
  try {
    int w = image.PixelWidth(), h = image.PixelHeight();
    // Bounded so that a wide image still finishes quickly.
    long budget = 1 << 20;
    std::uint32_t sum = 0;
    for (int y = -1; y <= h && budget > 0; ++y)
      for (int x = -1; x <= w && budget > 0; ++x, --budget) sum += image.PixelColor(x, y);
    (void)sum;
    image.IsTransparent();
    image.KeyColor();
    if (image.PixelHeight() > 0) {
      image.AlphaRow(0);
      image.PixelRow(0);
    }
  } catch (const Exception&) {
  }
  return 0;
}
