// Cost of the pieces one 81 x 42 button face is made of: the themed push-button part per
// state, the hot-tracking gradient face with its ring, and the classic bevelled frame,
// each drawn into a 32-bit bitmap.
#include <benchmark/benchmark.h>

#include "buttons/drawcommon.h"
#include "buttons/drawgraphics.h"
#include "platform/theme/theme.h"

namespace {

constexpr RECT kButton{0, 0, 81, 42};

void BM_ThemePushButton(benchmark::State& state) {
  SetThemeAppProperties(STAP_ALLOW_CONTROLS);
  TBitmap bmp(81, 42, pf32bit);
  HDC dc = bmp.Canvas()->Handle();
  HTHEME theme = OpenThemeData(nullptr, "BUTTON");
  for (auto _ : state) {
    DrawThemeBackground(theme, dc, BP_PUSHBUTTON, int(state.range(0)), &kButton, nullptr);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_ThemePushButton)->DenseRange(PBS_NORMAL, PBS_DEFAULTED)->Unit(benchmark::kMicrosecond);

void BM_GradientFaceAndRing(benchmark::State& state) {
  SetFullColorDisplay(true);
  TBitmap bmp(81, 42, pf32bit);
  TCanvas& c = *bmp.Canvas();
  for (auto _ : state) {
    FillVerticalGradient(c, RECT{2, 2, 79, 38}, ShadeLighter(clBtnFace, 30), ShadeDarker(clBtnFace, 10), 1);
    DrawGradientRing(c, RECT{2, 2, 79, 40}, MixColors(clWhite, 0x149BF0, 190), 0x149BF0);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_GradientFaceAndRing)->Unit(benchmark::kMicrosecond);

void BM_ClassicFrame(benchmark::State& state) {
  TBitmap bmp(81, 42, pf32bit);
  TCanvas& c = *bmp.Canvas();
  for (auto _ : state) {
    const RECT inner = DrawButtonFrame(c, DrawEdges(c, kButton, clWindowFrame, clWindowFrame, sdAllSides), false,
                                       sdAllSides);
    c.Brush()->SetColor(clBtnFace);
    c.FillRect(inner);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_ClassicFrame)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
