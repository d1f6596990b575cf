// Time from a paint request (invalidate the whole 658 x 478 demo window with its two
// owner-drawn lists, then pump) to the presented frame, headless and on X11, next to a
// plain full-window 32-bit copy. The X11 case uses DISPLAY when given, else starts its
// own Xvfb, and is skipped when neither works.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "demoform.h"
#include "embedded_resources.h"
#include "platform/win/headless.h"
#include "xvfb/xvfb.h"

namespace {

constexpr int kWidth = 658;
constexpr int kHeight = 478;

// One demo window on the running window system.
class DemoWindow {
 public:
  DemoWindow() {
    RegisterEmbeddedResources_bench_ui();
    RegisterStdControlClasses();
    DoneApplicationObjects();
    InitApplicationObjects();
    Application->Initialize();
    form_ = new TDemoForm(Application);
    form_->Show();
    PumpPendingMessages();
  }
  ~DemoWindow() {
    delete form_;
    DoneApplicationObjects();
  }
  DemoWindow(const DemoWindow&) = delete;
  DemoWindow& operator=(const DemoWindow&) = delete;
  TDemoForm* form() const { return form_; }
  void Repaint() {
    RedrawWindow(form_->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
    PumpPendingMessages();
  }

 private:
  TDemoForm* form_ = nullptr;
};

void RunRepaint(benchmark::State& state) {
  DemoWindow w;
  RECT r;
  GetClientRect(w.form()->Handle(), &r);
  if (r.right != kWidth || r.bottom != kHeight) {
    state.SkipWithError("unexpected window size");
    return;
  }
  for (auto _ : state) w.Repaint();
  state.counters["px"] = double(kWidth) * kHeight;
}

void BM_RepaintHeadless(benchmark::State& state) {
  headless::Enable(1024, 768);
  RunRepaint(state);
  ShutdownWindowSystem();
}
BENCHMARK(BM_RepaintHeadless)->Unit(benchmark::kMicrosecond);

void BM_RepaintX11(benchmark::State& state) {
  // A private Xvfb when no display is given.
  testxvfb::PrivateXvfb xvfb;
  if (!std::getenv("DISPLAY")) xvfb.Start(1024, 768, 24);
  bool up = false;
  for (int i = 0; i < 100 && !up; ++i) {
    up = std::getenv("DISPLAY") && InitWindowSystem(WindowBackend::X11);
    if (!up) usleep(50000);
  }
  if (!up) {
    state.SkipWithError("no X display and no Xvfb");
    return;
  }
  state.SetLabel(WindowSystemUsesSharedMemory() ? "MIT-SHM" : "XPutImage");
  RunRepaint(state);
  ShutdownWindowSystem();
}
BENCHMARK(BM_RepaintX11)->Unit(benchmark::kMicrosecond);

// The floor: one copy of the whole window's pixels between two 32-bit bitmaps.
void BM_PlainFullWindowCopy(benchmark::State& state) {
  HDC screen = GetDC(nullptr);
  DcPtr src(CreateCompatibleDC(screen)), dst(CreateCompatibleDC(screen));
  GdiPtr<GdiBitmap> a(CreateCompatibleBitmap(screen, kWidth, kHeight)), b(CreateCompatibleBitmap(screen, kWidth, kHeight));
  ReleaseDC(nullptr, screen);
  HGDIOBJ oa = SelectObject(src.get(), a.get());
  HGDIOBJ ob = SelectObject(dst.get(), b.get());
  for (auto _ : state) {
    BitBlt(dst.get(), 0, 0, kWidth, kHeight, src.get(), 0, 0, SRCCOPY);
    benchmark::ClobberMemory();
  }
  SelectObject(src.get(), oa);
  SelectObject(dst.get(), ob);
  state.SetBytesProcessed(state.iterations() * std::int64_t(kWidth) * kHeight * 4);
}
BENCHMARK(BM_PlainFullWindowCopy)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
