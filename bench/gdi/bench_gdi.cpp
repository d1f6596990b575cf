// Speed of the raster paths that carry whole frames, each against memcpy of the same
// number of bytes (for a conversion, the bytes of the larger side): BitBlt SRCCOPY between
// 32-bit surfaces (whole, shifted by one pixel, and through a clip of two rectangles),
// between 24- and 32-bit surfaces both ways, and StretchDIBits of 24-bit pixels.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "platform/gdi/gdi.h"

namespace {

constexpr int kSide = 1024;
constexpr std::size_t kBytes32 = std::size_t(kSide) * kSide * 4;

// A top-down DIB section selected into a memory DC, filled with one byte value.
struct Dc {
  HBITMAP bmp;
  HDC dc;
  void* bits = nullptr;
  explicit Dc(int bpp = 32) {
    BITMAPINFO bi;
    bi.bmiHeader.biWidth = kSide;
    bi.bmiHeader.biHeight = -kSide;
    bi.bmiHeader.biBitCount = WORD(bpp);
    bmp = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    dc = CreateCompatibleDC(nullptr);
    SelectObject(dc, bmp);
    std::memset(bits, 0x5A, std::size_t(kSide) * kSide * std::size_t(bpp / 8));
  }
  ~Dc() {
    DeleteDC(dc);
    DeleteObject(bmp);
  }
};

// Bytes each case moves, for the ratios against memcpy.
std::map<std::string, double>& CaseBytes() {
  static std::map<std::string, double> bytes;
  return bytes;
}

void BM_Memcpy(benchmark::State& state) {
  std::vector<unsigned char> a(kBytes32, 1), b(kBytes32, 2);
  for (auto _ : state) {
    std::memcpy(b.data(), a.data(), kBytes32);
    benchmark::DoNotOptimize(b.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(kBytes32));
}

// Copies [x, x + w) x [y, y + h) of the source to the same size at (dx, dy) of the destination.
void Blt(benchmark::State& state, const char* name, Dc& src, Dc& dst, int dx, int sx, double bytes) {
  CaseBytes()[name] = bytes;
  for (auto _ : state) {
    BitBlt(dst.dc, dx, 0, kSide - std::max(dx, sx), kSide, src.dc, sx, 0, SRCCOPY);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(std::int64_t(double(state.iterations()) * bytes));
}

void BM_BitBltSrcCopy32(benchmark::State& state) {
  Dc src, dst;
  Blt(state, "BM_BitBltSrcCopy32", src, dst, 0, 0, double(kBytes32));
}

// Rows no longer form one block, and source and destination differ in alignment.
void BM_BitBltShifted32(benchmark::State& state) {
  Dc src, dst;
  Blt(state, "BM_BitBltShifted32", src, dst, 1, 0, double(kBytes32) * (kSide - 1) / kSide);
}

// A window partly covered by a 16-pixel-wide strip: the visible part is two rectangles.
void BM_BitBltTwoRects32(benchmark::State& state) {
  Dc src, dst;
  ExcludeClipRect(dst.dc, kSide / 2 - 8, 0, kSide / 2 + 8, kSide);
  Blt(state, "BM_BitBltTwoRects32", src, dst, 0, 0, double(kBytes32) * (kSide - 16) / kSide);
}

void BM_BitBlt24To32(benchmark::State& state) {
  Dc src(24), dst;
  Blt(state, "BM_BitBlt24To32", src, dst, 0, 0, double(kBytes32));
}

void BM_BitBlt32To24(benchmark::State& state) {
  Dc src, dst(24);
  Blt(state, "BM_BitBlt32To24", src, dst, 0, 0, double(kBytes32));
}

void BM_StretchDIBits24To32(benchmark::State& state) {
  Dc dst;
  BITMAPINFO bi;
  bi.bmiHeader.biWidth = kSide;
  bi.bmiHeader.biHeight = kSide;
  bi.bmiHeader.biBitCount = 24;
  std::vector<unsigned char> bits(std::size_t(kSide) * kSide * 3, 0x33);
  CaseBytes()["BM_StretchDIBits24To32"] = double(kBytes32);
  for (auto _ : state) {
    StretchDIBits(dst.dc, 0, 0, kSide, kSide, 0, 0, kSide, kSide, bits.data(), &bi, DIB_RGB_COLORS, SRCCOPY);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(kBytes32));
}

BENCHMARK(BM_Memcpy)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BitBltSrcCopy32)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BitBltShifted32)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BitBltTwoRects32)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BitBlt24To32)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BitBlt32To24)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_StretchDIBits24To32)->Unit(benchmark::kMicrosecond);

// Collects the time per iteration of every repetition of each case; the closing lines
// give each case's median time per byte against memcpy's.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& r : runs)
      if (r.run_type == Run::RT_Iteration && r.iterations > 0) {
        Samples& s = samples_[r.run_name.function_name];
        s.real.push_back(r.real_accumulated_time / double(r.iterations));
        s.cpu.push_back(r.cpu_accumulated_time / double(r.iterations));
      }
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    auto it = samples_.find("BM_Memcpy");
    if (it == samples_.end()) return;
    double memReal = Median(it->second.real) / double(kBytes32), memCpu = Median(it->second.cpu) / double(kBytes32);
    // Both clocks: on a shared machine wall time also counts waiting for a core.
    std::printf("time per byte against memcpy of %zu bytes (wall / cpu), medians:\n", kBytes32);
    for (auto& [name, s] : samples_) {
      auto b = CaseBytes().find(name);
      if (b == CaseBytes().end()) continue;
      std::printf("  %-24s %5.2f / %5.2f\n", name.c_str(), Median(s.real) / b->second / memReal,
                  Median(s.cpu) / b->second / memCpu);
    }
  }

 private:
  struct Samples {
    std::vector<double> real, cpu;
  };
  static double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
  }
  std::map<std::string, Samples> samples_;
};
}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
