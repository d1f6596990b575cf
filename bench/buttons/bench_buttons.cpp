// Cost of the pieces one 81 x 42 button face is made of: the themed push-button part per
// state, the hot-tracking gradient face with its ring, and the classic bevelled frame,
// each drawn into a 32-bit bitmap; and the whole paint of one 81 x 42 image button (the
// stock OK kind) on a headless form in each look, beside the repaint of the whole main
// window (both lists, both image buttons) in the themed and the classic look.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "buttons/drawcommon.h"
#include "buttons/drawgraphics.h"
#include "buttons/imagebutton.h"
#include "launcher/launcher.h"
#include "launcher/mainform.h"
#include "platform/win/headless.h"
#include "ui/controls/forms.h"
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

// 0 visual styles, 1 hot-tracking, 2 classic. Repaint validates and paints at once, so one
// iteration is one WM_PAINT of the button with the parent's corners where the look has them.
void BM_ImageButtonPaint(benchmark::State& state) {
  const int look = int(state.range(0));
  if (!headless::Enable(1024, 768)) {
    state.SkipWithError("no headless window system");
    return;
  }
  SetThemeAppProperties(STAP_ALLOW_NONCLIENT | STAP_ALLOW_CONTROLS);
  SetFullColorDisplay(true);
  InitApplicationObjects();
  Application->Initialize();
  auto* form = new TForm(Application);
  form->SetBounds(100, 100, 200, 100);
  form->SetColor(clBtnFace);
  auto* button = new TImageButton(form);
  button->SetParent(form);
  button->SetBounds(20, 20, 81, 42);
  button->SetKind(bkOK);
  button->SetThemeAware(look == 0);
  button->SetHotTrack(look == 1);
  form->Show();
  headless::PumpUntilIdle();
  for (auto _ : state) {
    button->Repaint();
    benchmark::ClobberMemory();
  }
  delete form;
  DoneApplicationObjects();
  ShutdownWindowSystem();
}
BENCHMARK(BM_ImageButtonPaint)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);

// 0 visual styles, 1 classic. One iteration invalidates the main window with its children
// and handles the paints, as a window uncovered whole would.
void BM_MainWindowRepaint(benchmark::State& state) {
  if (!headless::Enable(1024, 768)) {
    state.SkipWithError("no headless window system");
    return;
  }
  char folder[] = "/tmp/bench-buttons-XXXXXX";
  if (!mkdtemp(folder)) {
    state.SkipWithError("no temporary folder");
    return;
  }
  const std::string dir = std::string(folder) + "/";
  std::ofstream(dir + "lame.dll") << "[SYSTEM]\nName=Brimlow\nVersion=2.0\n";
  SetThemeAppProperties(state.range(0) == 0 ? STAP_ALLOW_NONCLIENT | STAP_ALLOW_CONTROLS : STAP_ALLOW_NONCLIENT);
  SetFullColorDisplay(true);
  DoneApplicationObjects();
  InitApplicationObjects();
  InitLauncherModule();
  TLauncherHost host;
  host.folder = dir;
  // Start-up may ask for a program of the edition that is not there; that note is not
  // what is measured.
  host.report = [](const std::string&) {};
  TMainForm* form = StartLauncher(host);
  form->Show();
  headless::PumpUntilIdle();
  for (auto _ : state) {
    RedrawWindow(form->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    headless::PumpUntilIdle();
  }
  DoneApplicationObjects();
  ShutdownWindowSystem();
  std::remove((dir + "lame.dll").c_str());
  rmdir(folder);
}
BENCHMARK(BM_MainWindowRepaint)->DenseRange(0, 1)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
