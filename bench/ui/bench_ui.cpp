// Time from a paint request (invalidate the whole 658 x 478 demo window with its two
// owner-drawn lists, then pump) to the presented frame, headless and on X11, next to a
// plain full-window 32-bit copy. The X11 case uses DISPLAY when given, else starts its
// own Xvfb, and is skipped when neither works.
#include <benchmark/benchmark.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "demoform.h"
#include "embedded_resources.h"
#include "platform/win/headless.h"

extern char** environ;

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

// A private Xvfb for the X11 case when no display is given.
class PrivateXvfb {
 public:
  PrivateXvfb() {
    if (std::getenv("DISPLAY")) return;
    for (int n = 150; n < 170 && !pid_; ++n) {
      const std::string lock = "/tmp/.X" + std::to_string(n) + "-lock";
      if (access(lock.c_str(), F_OK) == 0) continue;
      const std::string display = ":" + std::to_string(n);
      const char* argv[] = {"Xvfb", display.c_str(), "-screen", "0", "1024x768x24", "-nolisten", "tcp", nullptr};
      posix_spawn_file_actions_t fa;
      posix_spawn_file_actions_init(&fa);
      posix_spawn_file_actions_addopen(&fa, 1, "/dev/null", 1, 0);
      posix_spawn_file_actions_addopen(&fa, 2, "/dev/null", 1, 0);
      pid_t pid = 0;
      const int rc = posix_spawnp(&pid, "Xvfb", &fa, nullptr, const_cast<char**>(argv), environ);
      posix_spawn_file_actions_destroy(&fa);
      if (rc != 0) return;  // no Xvfb on this machine
      pid_ = pid;
      setenv("DISPLAY", display.c_str(), 1);
    }
  }
  ~PrivateXvfb() {
    if (!pid_) return;
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
    unsetenv("DISPLAY");
  }
  PrivateXvfb(const PrivateXvfb&) = delete;
  PrivateXvfb& operator=(const PrivateXvfb&) = delete;

 private:
  pid_t pid_ = 0;
};

void BM_RepaintX11(benchmark::State& state) {
  PrivateXvfb xvfb;
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
