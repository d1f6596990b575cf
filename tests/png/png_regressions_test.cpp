// Replays every input kept in tests/png/regressions/ (files the fuzzer found faults
// with): each must read or fail with a typed error, and draw and answer pixel queries
// without a fault.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "png/pngimage.h"
#include "pngtest_util.h"

namespace {

TEST(Regressions, EveryKeptInputIsHandled) {
  std::filesystem::path dir = std::filesystem::path(LB_SOURCE_DIR) / "tests/png/regressions";
  int count = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    if (!entry.is_regular_file() || entry.path().filename() == "README") continue;
    ++count;
    std::ifstream f(entry.path(), std::ios::binary);
    pngtest::Bytes data((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    TPngImage png;
    png.SetMaxStorageBytes(64u << 20);
    TBytesStream s(data.data(), std::int64_t(data.size()));
    pngtest::Raised r = pngtest::Catch([&] { png.ReadFromStream(s); });
    if (!r.className.empty()) continue;
    pngtest::Catch([&] {
      TBitmap canvas(64, 64);
      png.DrawOnCanvas(*canvas.Canvas(), RECT{0, 0, 64, 64});
    });
    pngtest::Catch([&] {
      for (int y = 0; y < std::min(png.PixelHeight(), 256); ++y)
        for (int x = 0; x < std::min(png.PixelWidth(), 256); ++x) png.PixelColor(x, y);
    });
    SUCCEED() << entry.path();
  }
  RecordProperty("inputs", count);
}

}  // namespace
