// Speed of the raster paths that carry whole frames: BitBlt SRCCOPY between 32-bit
// surfaces and StretchDIBits of 24-bit pixels, both against memcpy of the same bytes.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/gdi/gdi.h"

namespace {

constexpr int kSide = 1024;
constexpr std::size_t kBytes32 = std::size_t(kSide) * kSide * 4;

struct Dc32 {
  HBITMAP bmp;
  HDC dc;
  void* bits = nullptr;
  Dc32() {
    BITMAPINFO bi;
    bi.bmiHeader.biWidth = kSide;
    bi.bmiHeader.biHeight = -kSide;
    bi.bmiHeader.biBitCount = 32;
    bmp = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    dc = CreateCompatibleDC(nullptr);
    SelectObject(dc, bmp);
    std::memset(bits, 0x5A, kBytes32);
  }
  ~Dc32() {
    DeleteDC(dc);
    DeleteObject(bmp);
  }
};

void BM_Memcpy(benchmark::State& state) {
  std::vector<unsigned char> a(kBytes32, 1), b(kBytes32, 2);
  for (auto _ : state) {
    std::memcpy(b.data(), a.data(), kBytes32);
    benchmark::DoNotOptimize(b.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(kBytes32));
}

void BM_BitBltSrcCopy32(benchmark::State& state) {
  Dc32 src, dst;
  for (auto _ : state) {
    BitBlt(dst.dc, 0, 0, kSide, kSide, src.dc, 0, 0, SRCCOPY);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(kBytes32));
}

void BM_StretchDIBits24To32(benchmark::State& state) {
  Dc32 dst;
  BITMAPINFO bi;
  bi.bmiHeader.biWidth = kSide;
  bi.bmiHeader.biHeight = kSide;
  bi.bmiHeader.biBitCount = 24;
  std::vector<unsigned char> bits(std::size_t(kSide) * kSide * 3, 0x33);
  for (auto _ : state) {
    StretchDIBits(dst.dc, 0, 0, kSide, kSide, 0, 0, kSide, kSide, bits.data(), &bi, DIB_RGB_COLORS, SRCCOPY);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(kBytes32));
}

BENCHMARK(BM_Memcpy)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BitBltSrcCopy32)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_StretchDIBits24To32)->Unit(benchmark::kMicrosecond);

// Collects the mean time per iteration of each run for the closing ratio line.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& r : runs)
      if (r.run_type == Run::RT_Iteration && r.iterations > 0) {
        double t = r.real_accumulated_time / double(r.iterations);
        double c = r.cpu_accumulated_time / double(r.iterations);
        std::string name = r.benchmark_name();
        if (name.find("BM_Memcpy") == 0) memcpy_ = t, memcpyCpu_ = c;
        if (name.find("BM_BitBltSrcCopy32") == 0) bitblt_ = t, bitbltCpu_ = c;
        if (name.find("BM_StretchDIBits24To32") == 0) stretch_ = t, stretchCpu_ = c;
      }
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    // Both clocks: on a shared machine wall time also counts waiting for a core.
    if (memcpy_ > 0 && memcpyCpu_ > 0)
      std::printf(
          "ratios vs memcpy of %zu bytes (wall / cpu): BitBlt SRCCOPY 32->32 %.2f / %.2f, "
          "StretchDIBits 24->32 %.2f / %.2f\n",
          kBytes32, bitblt_ / memcpy_, bitbltCpu_ / memcpyCpu_, stretch_ / memcpy_, stretchCpu_ / memcpyCpu_);
  }

 private:
  double memcpy_ = 0, bitblt_ = 0, stretch_ = 0;
  double memcpyCpu_ = 0, bitbltCpu_ = 0, stretchCpu_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
