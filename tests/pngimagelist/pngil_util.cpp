#include "pngil_util.h"

namespace pngil {

std::unique_ptr<TPngImage> Decode(const pngtest::Bytes& png) {
  auto image = std::make_unique<TPngImage>();
  TBytesStream stream(png.data(), std::int64_t(png.size()));
  image->ReadFromStream(stream);
  return image;
}

std::unique_ptr<TPngImage> FromSamples(int w, int h, int colorType, const std::vector<std::vector<std::uint16_t>>& rows,
                                       const std::vector<pngtest::Chunk>& chunks) {
  pngtest::PngPlan plan;
  plan.image.width = std::uint32_t(w);
  plan.image.height = std::uint32_t(h);
  plan.image.colorType = colorType;
  plan.image.bitDepth = 8;
  plan.image.samples = rows;
  plan.filter = 0;
  plan.beforeData = chunks;
  return Decode(pngtest::BuildPng(plan));
}

std::unique_ptr<TPngImage> Rgba(int w, int h, const std::function<Rgba8(int x, int y)>& pixel) {
  std::vector<std::vector<std::uint16_t>> rows(static_cast<std::size_t>(h), std::vector<std::uint16_t>());
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const Rgba8 p = pixel(x, y);
      rows[std::size_t(y)].insert(rows[std::size_t(y)].end(), {p.r, p.g, p.b, p.a});
    }
  return FromSamples(w, h, 6, rows);
}

std::unique_ptr<TBitmap> Filled(int w, int h, TColor color) {
  auto b = std::make_unique<TBitmap>(w, h, pf24bit);
  b->Canvas()->Brush()->SetColor(color);
  b->Canvas()->FillRect(RECT{0, 0, w, h});
  return b;
}

TColor DrawnAt(int w, int h, TColor background, const std::function<void(TCanvas&)>& draw, int x, int y) {
  TBitmap target(w, h);
  target.Canvas()->Brush()->SetColor(background);
  target.Canvas()->FillRect(RECT{0, 0, w, h});
  draw(*target.Canvas());
  return target.Canvas()->Pixels(x, y);
}

bool EncoderKeepsPixels() {
  auto image = Rgba(1, 1, [](int, int) { return Rgba8{200, 100, 50, 77}; });
  TMemoryStream out;
  image->WriteToStream(out);
  out.SetPosition(0);
  TPngImage back;
  try {
    back.ReadFromStream(out);
  } catch (const Exception&) {
    return false;
  }
  return back.PixelColor(0, 0) == RGB(200, 100, 50) && back.AlphaRow(0) && back.AlphaRow(0)[0] == 77;
}

}  // namespace pngil
