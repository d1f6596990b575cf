// Drawing one 48 x 48 RGBA item of a PNG image list, enabled and disabled (blended,
// grey, both), next to the image's own DrawOnCanvas of the same picture, in microseconds
// per call. The disabled looks copy and transform the image on every call, as designed;
// the ratios to DrawOnCanvas are printed after the table.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>

#include "pngimagelist/pngimagelist.h"

namespace {

const std::string kPicture = std::string(LB_SOURCE_DIR) + "/resources/art/category-music.png";

struct Setup {
  TPngImage picture;
  TPngImageList list{nullptr};
  TBitmap target{64, 64};
  Setup() {
    picture.LoadFromFile(kPicture);
    list.SetSize(48, 48);
    list.PngImages()->AddItem()->SetPngImage(&picture);
    target.Canvas()->Brush()->SetColor(clBtnFace);
    target.Canvas()->FillRect(RECT{0, 0, 64, 64});
  }
};

Setup& Shared() {
  static Setup s;
  return s;
}

void BM_DrawOnCanvas(benchmark::State& state) {
  Setup& s = Shared();
  const RECT rect{8, 8, 56, 56};
  for (auto _ : state) s.picture.DrawOnCanvas(*s.target.Canvas(), rect);
}

void BM_ListDraw(benchmark::State& state, bool enabled, TPngOptions options) {
  Setup& s = Shared();
  s.list.SetPngOptions(options);
  for (auto _ : state) s.list.Draw(s.target.Canvas(), 8, 8, 0, enabled);
}

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& r : runs)
      if (r.run_type == Run::RT_Iteration && !r.error_occurred) times[r.benchmark_name()] = r.GetAdjustedCPUTime();
  }
  std::map<std::string, double> times;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::RegisterBenchmark("DrawOnCanvas", BM_DrawOnCanvas)->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("ListDraw/enabled", BM_ListDraw, true, TPngOptions{pngBlendOnDisabled})
      ->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("ListDraw/disabled-blend", BM_ListDraw, false, TPngOptions{pngBlendOnDisabled})
      ->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("ListDraw/disabled-grey", BM_ListDraw, false, TPngOptions{pngGrayscaleOnDisabled})
      ->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("ListDraw/disabled-both", BM_ListDraw, false,
                               TPngOptions{pngBlendOnDisabled, pngGrayscaleOnDisabled})
      ->Unit(benchmark::kMicrosecond);
  benchmark::Initialize(&argc, argv);
  Shared();
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const double base = reporter.times["DrawOnCanvas"];
  if (base > 0) {
    std::printf("\n%-26s %10s %14s\n", "", "us/call", "/ DrawOnCanvas");
    for (const auto& [name, t] : reporter.times) std::printf("%-26s %10.2f %14.2f\n", name.c_str(), t, t / base);
  }
  benchmark::Shutdown();
  return 0;
}
