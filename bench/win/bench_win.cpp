// Time from a paint request (InvalidateRect + pump) to the presented frame for a window
// of the launcher's size whose paint fills the client area and draws 40 rectangles,
// headless and on X11 (a private Xvfb, through shared memory and through XPutImage), next
// to a plain copy of one full 32-bit frame.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <string>
#include <vector>

#include "platform/win/headless.h"
#include "platform/win/win.h"
#include "xvfb/xvfb.h"

namespace {

constexpr int kWidth = 658, kHeight = 478;

LRESULT PaintProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg != WM_PAINT) return DefWindowProcA(hwnd, msg, wp, lp);
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  FillSolidRect(dc, RECT{0, 0, kWidth, kHeight}, GetSysColor(COLOR_BTNFACE));
  for (int i = 0; i < 40; ++i) {
    int x = 8 + (i % 8) * 80, y = 8 + (i / 8) * 90;
    FillSolidRect(dc, RECT{x, y, x + 70, y + 75}, RGB(BYTE(i * 6), 128, BYTE(255 - i * 6)));
  }
  EndPaint(hwnd, &ps);
  return 0;
}

HWND MakeWindow() {
  static bool registered = false;
  if (!registered) {
    WNDCLASSA wc;
    wc.lpfnWndProc = &PaintProc;
    wc.lpszClassName = "BenchPaint";
    RegisterClassA(&wc);
    registered = true;
  }
  return CreateWindowExA(0, "BenchPaint", "Bench", WS_POPUP | WS_CAPTION | WS_VISIBLE, 50, 50, kWidth, kHeight,
                         nullptr, nullptr, nullptr, nullptr);
}

void Repaint(benchmark::State& state, HWND w) {
  PumpPendingMessages();
  for (auto _ : state) {
    InvalidateRect(w, nullptr, FALSE);
    PumpPendingMessages();
  }
}

void BM_RepaintHeadless(benchmark::State& state) {
  headless::Enable(1024, 768);
  HWND w = MakeWindow();
  Repaint(state, w);
  ShutdownWindowSystem();
}
BENCHMARK(BM_RepaintHeadless)->Unit(benchmark::kMillisecond);

// A private X server for the X11 runs, started once.
std::string StartXvfb() {
  static testxvfb::PrivateXvfb server;
  static const bool started = server.Start(1024, 768, 24);
  return started ? server.Display() : std::string();
}

void BM_RepaintX11(benchmark::State& state) {
  if (StartXvfb().empty()) {
    state.SkipWithError("Xvfb is not installed");
    return;
  }
  WindowSystemOptions o;
  o.useSharedMemory = state.range(0) != 0;
  if (!InitWindowSystem(WindowBackend::X11, o)) {
    state.SkipWithError(WindowSystemError());
    return;
  }
  HWND w = MakeWindow();
  auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  while (std::chrono::steady_clock::now() < end && !IsWindowVisible(w)) WaitMessageTimeout(10);
  Repaint(state, w);
  state.SetLabel(WindowSystemUsesSharedMemory() ? "MIT-SHM" : "XPutImage");
  ShutdownWindowSystem();
}
BENCHMARK(BM_RepaintX11)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

void BM_FullFrameMemcpy(benchmark::State& state) {
  std::vector<std::uint32_t> a(std::size_t(kWidth) * kHeight, 0x123456), b(a.size());
  for (auto _ : state) {
    std::memcpy(b.data(), a.data(), a.size() * 4);
    benchmark::DoNotOptimize(b.data());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_FullFrameMemcpy)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
