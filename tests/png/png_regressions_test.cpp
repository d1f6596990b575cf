// Replays every input kept in tests/png/regressions/: the hand-made bad files of the
// read tests and the inputs the fuzzer found faults with. A file is named
// "<what it breaks>.<outcome>.png", the outcome being the error class the read must raise
// or "ok" for a file that must read; a read file must then draw and answer pixel
// queries without a fault.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "png/inflater.h"
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

// Both image data inflaters on every PNG file the project keeps (the inputs above, the
// goldens, the artwork, the fuzz corpora) and the bad files the read tests leave in the
// build's seed folder: the same pixels and alpha, or the same failure with its message.
TEST(Regressions, BothInflatersReadEveryFileAlike) {
  if (!pnginflate::HaveIsal()) GTEST_SKIP() << "this build inflates with zlib only";
  struct Read {
    pngtest::Raised raised, queried;
    std::vector<std::uint32_t> pixels;
  };
  auto read = [](const pngtest::Bytes& data, pnginflate::Engine engine) {
    pnginflate::SetImageDataEngine(engine);
    Read r;
    TPngImage png;
    png.SetMaxStorageBytes(64u << 20);
    TBytesStream s(data.data(), std::int64_t(data.size()));
    r.raised = pngtest::Catch([&] { png.ReadFromStream(s); });
    // A pixel query may fail too (a palette index past the entries): it fails alike.
    r.queried = pngtest::Catch([&] {
      for (int y = 0; r.raised.className.empty() && y < png.PixelHeight(); ++y)
        for (int x = 0; x < png.PixelWidth(); ++x) {
          r.pixels.push_back(png.PixelColor(x, y));
          if (const std::uint8_t* alpha = png.AlphaRow(y)) r.pixels.push_back(alpha[x]);
        }
    });
    return r;
  };
  const std::filesystem::path source(LB_SOURCE_DIR);
  int count = 0;
  for (const std::filesystem::path& root : {source / "tests", source / "resources", source / "fuzz/corpus",
                                            std::filesystem::path(LB_BINARY_DIR) / "fuzz-seeds"}) {
    if (!std::filesystem::exists(root)) continue;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
      if (!entry.is_regular_file() || entry.path().extension() != ".png") continue;
      ++count;
      std::ifstream f(entry.path(), std::ios::binary);
      pngtest::Bytes data((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
      const Read z = read(data, pnginflate::Engine::Zlib), i = read(data, pnginflate::Engine::Isal);
      EXPECT_EQ(i.raised.className, z.raised.className) << entry.path();
      EXPECT_EQ(i.raised.message, z.raised.message) << entry.path();
      EXPECT_TRUE(i.pixels == z.pixels && i.queried.message == z.queried.message) << entry.path();
    }
  }
  pnginflate::SetImageDataEngine(pnginflate::Engine::Isal);
  EXPECT_GT(count, 90);
  RecordProperty("files", count);
}

}  // namespace
