// Replays every input kept in tests/png/regressions/: the hand-made bad files of the
// read tests and the inputs the fuzzer found faults with. A file is named
// "<what it breaks>.<outcome>.png", the outcome being the error class the read must raise
// or "ok" for a file that must read; a read file must then draw and answer pixel
// queries without a fault.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "png/pngimage.h"
#include "pngtest_util.h"

namespace {

TEST(Regressions, EveryKeptInputHasItsOutcome) {
  std::filesystem::path dir = std::filesystem::path(LB_SOURCE_DIR) / "tests/png/regressions";
  int count = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    const std::filesystem::path& path = entry.path();
    if (!entry.is_regular_file() || path.extension() != ".png") continue;
    ++count;
    const std::string outcome = path.stem().extension().string();
    ASSERT_GT(outcome.size(), 1u) << path << " names no outcome";
    const std::string expected = outcome == ".ok" ? std::string() : outcome.substr(1);
    std::ifstream f(path, std::ios::binary);
    pngtest::Bytes data((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    TPngImage png;
    png.SetMaxStorageBytes(64u << 20);
    TBytesStream s(data.data(), std::int64_t(data.size()));
    pngtest::Raised r = pngtest::Catch([&] { png.ReadFromStream(s); });
    EXPECT_EQ(r.className, expected) << path << ": " << r.message;
    if (!r.className.empty()) continue;
    pngtest::Catch([&] {
      TBitmap canvas(64, 64);
      png.DrawOnCanvas(*canvas.Canvas(), RECT{0, 0, 64, 64});
    });
    pngtest::Catch([&] {
      for (int y = 0; y < std::min(png.PixelHeight(), 256); ++y)
        for (int x = 0; x < std::min(png.PixelWidth(), 256); ++x) png.PixelColor(x, y);
    });
  }
  EXPECT_GT(count, 0) << "no kept input in " << dir;
  RecordProperty("inputs", count);
}

}  // namespace
