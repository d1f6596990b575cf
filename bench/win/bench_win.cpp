// Time from a paint request (InvalidateRect + pump) to the presented frame for a window
// of the launcher's size whose paint fills the client area and draws 40 rectangles,
// headless and on X11 (a private Xvfb, through shared memory and through XPutImage), next
// to a plain copy of one full 32-bit frame.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/win/headless.h"
#include "platform/win/win.h"

extern char** environ;

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
  static std::string display;
  static bool tried = false;
  if (tried) return display;
  tried = true;
  if (access("/usr/bin/Xvfb", X_OK) != 0) return display;
  int fds[2];
  if (pipe(fds) != 0) return display;
  std::string fd = std::to_string(fds[1]);
  const char* argv[] = {"Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1024x768x24", "-nolisten", "tcp",
                        "-noreset", nullptr};
  posix_spawn_file_actions_t fa;
  posix_spawn_file_actions_init(&fa);
  posix_spawn_file_actions_addopen(&fa, 2, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addclose(&fa, fds[0]);
  static pid_t pid = 0;
  int rc = posix_spawn(&pid, "/usr/bin/Xvfb", &fa, nullptr, const_cast<char**>(argv), environ);
  posix_spawn_file_actions_destroy(&fa);
  close(fds[1]);
  if (rc != 0) {
    close(fds[0]);
    return display;
  }
  std::string number;
  pollfd p{fds[0], POLLIN, 0};
  while (poll(&p, 1, 10000) > 0) {
    char c;
    if (read(fds[0], &c, 1) != 1 || c == '\n') break;
    number += c;
  }
  close(fds[0]);
  if (number.empty()) return display;
  display = ":" + number;
  setenv("DISPLAY", display.c_str(), 1);
  std::atexit([] {
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
  });
  return display;
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
