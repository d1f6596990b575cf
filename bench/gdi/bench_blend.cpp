// Speed of the straight-alpha blend: its row kernels per instruction-set level and source
// kind (with photograph-like alpha and with icon-like runs of 0 and 255), and the whole
// BlendStraightAlpha onto 32- and 24-bit surfaces, against a plain 32-bit BitBlt of the
// same area. Per level the speed-up over the level below is printed after the table.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "platform/gdi/alphablend.h"
#include "platform/gdi/blendkernels.h"

namespace {

constexpr int kSide = 1024;
using gdi::BlendLevel;

// A photograph-like 1024 x 1024 source (colours, grey, palette indexes) with smooth alpha,
// and the same with the alpha of icons: 64 x 64 tiles of a transparent surround, an opaque
// disc and a soft edge between them.
struct Source {
  std::vector<BYTE> bgr, grey, index, alpha;
  std::vector<std::uint32_t> table;
};

const Source& Picture(bool icons) {
  static std::map<bool, Source> cache;
  auto it = cache.find(icons);
  if (it != cache.end()) return it->second;
  Source s;
  const std::size_t n = std::size_t(kSide) * kSide;
  s.bgr.resize(n * 3);
  s.grey.resize(n);
  s.index.resize(n);
  s.alpha.resize(n);
  for (int y = 0; y < kSide; ++y)
    for (int x = 0; x < kSide; ++x) {
      const std::size_t i = std::size_t(y) * kSide + std::size_t(x);
      double fx = double(x) / kSide, fy = double(y) / kSide;
      s.bgr[3 * i] = BYTE(128 + 100 * std::sin(fx * 6.0 + fy * 2.0));
      s.bgr[3 * i + 1] = BYTE(128 + 90 * std::cos(fy * 5.0 - fx * 1.5));
      s.bgr[3 * i + 2] = BYTE(100 + 80 * std::sin((fx + fy) * 4.0));
      s.grey[i] = s.bgr[3 * i + 1];
      s.index[i] = BYTE((x / 4 + y / 4) & 0xFF);
      double dx = x % 64 - 31.5, dy = y % 64 - 31.5, r = std::sqrt(dx * dx + dy * dy);
      s.alpha[i] = icons ? BYTE(std::clamp(int((28.0 - r) * 64.0), 0, 255))
                         : BYTE(160 + 90 * std::cos(fx * 3.0) * std::sin(fy * 3.0));
    }
  // Palette entries carry the alpha pattern of the kind: smooth, or mostly 0 and 255.
  for (std::uint32_t i = 0; i < 256; ++i) {
    std::uint32_t a = icons ? (i % 8 < 3 ? 0 : i % 8 < 7 ? 255 : i) : 100 + i / 2;
    s.table.push_back((i * 0x010203u & 0xFFFFFF) | a << 24);
  }
  return cache[icons] = std::move(s);
}

void SetRate(benchmark::State& state) {
  state.counters["MP/s"] =
      benchmark::Counter(double(state.iterations()) * kSide * kSide / 1e6, benchmark::Counter::kIsRate);
}

enum Kind { kRgb, kGrey, kIndexed };

void BM_Kernel(benchmark::State& state, BlendLevel level, Kind kind, bool icons) {
  if (!gdi::LevelAvailable(level)) {
    state.SkipWithError("not available on this processor");
    return;
  }
  const gdi::BlendKernels& k = gdi::KernelsFor(level);
  const Source& s = Picture(icons);
  std::vector<BYTE> dst(std::size_t(kSide) * kSide * 4, 0x80);
  for (auto _ : state)
    for (std::size_t y = 0; y < kSide; ++y) {
      BYTE* d = dst.data() + y * kSide * 4;
      const std::size_t at = y * kSide;
      if (kind == kRgb) k.rgb(d, s.bgr.data() + 3 * at, s.alpha.data() + at, kSide);
      if (kind == kGrey) k.grey(d, s.grey.data() + at, s.alpha.data() + at, kSide);
      if (kind == kIndexed) k.indexed(d, s.index.data() + at, s.table.data(), kSide);
    }
  benchmark::DoNotOptimize(dst.data());
  SetRate(state);
}

// A memory DC over a kSide x kSide DIB section of `bpp` bits.
struct Dc {
  explicit Dc(int bpp) {
    BITMAPINFO bi;
    bi.bmiHeader.biWidth = kSide;
    bi.bmiHeader.biHeight = -kSide;
    bi.bmiHeader.biBitCount = WORD(bpp);
    bmp = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, nullptr, nullptr, 0);
    dc = CreateCompatibleDC(nullptr);
    old = SelectObject(dc, bmp);
    RECT r{0, 0, kSide, kSide};
    FillSolidRect(dc, r, RGB(0, 128, 128));
  }
  ~Dc() {
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bmp);
  }
  HBITMAP bmp;
  HDC dc;
  HGDIOBJ old;
};

void BM_BlendStraightAlpha(benchmark::State& state, int bpp, bool icons) {
  const Source& s = Picture(icons);
  BlendSource src;
  src.layout = BlendLayout::Bgr;
  src.width = src.height = kSide;
  src.pixels = s.bgr.data();
  src.pixelStep = kSide * 3;
  src.alpha = s.alpha.data();
  src.alphaStep = kSide;
  Dc target(bpp);
  for (auto _ : state) BlendStraightAlpha(target.dc, 0, 0, src);
  SetRate(state);
}

void BM_CopyBitBlt32(benchmark::State& state) {
  Dc src(32), dst(32);
  for (auto _ : state) BitBlt(dst.dc, 0, 0, kSide, kSide, src.dc, 0, 0, SRCCOPY);
  SetRate(state);
}

class TimeReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& r : runs)
      if (!r.error_occurred && (r.run_type == Run::RT_Iteration || r.aggregate_name == "median"))
        times[r.run_name.function_name] = r.GetAdjustedCPUTime();
  }
  std::map<std::string, double> times;
};

const char* const kLevelNames[] = {"scalar", "sse2", "avx2"};
const char* const kKindNames[] = {"rgb", "grey", "indexed"};

void PrintSpeedUps(const std::map<std::string, double>& t) {
  auto get = [&](const std::string& n) {
    auto it = t.find(n);
    return it == t.end() ? 0.0 : it->second;
  };
  std::printf("\n%-22s %9s %9s %9s   (CPU ms; x = speed-up over the level before)\n", "kernel", "scalar", "sse2",
              "avx2");
  for (const char* alpha : {"photo", "icons"})
    for (const char* kind : kKindNames) {
      std::string row = std::string(kind) + "/" + alpha;
      std::printf("%-22s", row.c_str());
      double before = 0;
      for (const char* level : kLevelNames) {
        double ms = get("Kernel/" + std::string(level) + "/" + row);
        if (ms <= 0) {
          std::printf(" %9s", "-");
          continue;
        }
        if (before > 0)
          std::printf(" %5.2f x%.1f", ms, before / ms);
        else
          std::printf(" %9.2f", ms);
        before = ms;
      }
      std::printf("\n");
    }
  double copy = get("CopyBitBlt32");
  if (copy > 0)
    for (const char* n : {"BlendStraightAlpha/32/photo", "BlendStraightAlpha/32/icons", "BlendStraightAlpha/24/photo",
                          "BlendStraightAlpha/24/icons"})
      if (double ms = get(n); ms > 0) std::printf("%-30s %6.2f ms, %.2f x the time of a 32-bit copy\n", n, ms, ms / copy);
}

}  // namespace

int main(int argc, char** argv) {
  const BlendLevel levels[] = {BlendLevel::Scalar, BlendLevel::Sse2, BlendLevel::Avx2};
  for (int l = 0; l < 3; ++l)
    for (int k = 0; k < 3; ++k)
      for (bool icons : {false, true}) {
        std::string name = std::string("Kernel/") + kLevelNames[l] + "/" + kKindNames[k] + (icons ? "/icons" : "/photo");
        benchmark::RegisterBenchmark(name.c_str(), BM_Kernel, levels[l], Kind(k), icons)->Unit(benchmark::kMillisecond);
      }
  for (int bpp : {32, 24})
    for (bool icons : {false, true}) {
      std::string name = "BlendStraightAlpha/" + std::to_string(bpp) + (icons ? "/icons" : "/photo");
      benchmark::RegisterBenchmark(name.c_str(), BM_BlendStraightAlpha, bpp, icons)->Unit(benchmark::kMillisecond);
    }
  benchmark::RegisterBenchmark("CopyBitBlt32", BM_CopyBitBlt32)->Unit(benchmark::kMillisecond);
  benchmark::Initialize(&argc, argv);
  Picture(false);
  Picture(true);
  TimeReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  PrintSpeedUps(reporter.times);
  benchmark::Shutdown();
  return 0;
}
