// Start-up of the launcher against the floor: the time from starting the process to the
// first presented frame of its main window on a private Xvfb, and its resident memory
// after start-up, next to the same for bench_floor_x11 (a bare Xlib program presenting one
// frame of the same size through MIT-SHM).
//
// How it is measured: this program is an X client of its own on the same server. It
// watches the root window for the new top-level window being mapped, then reads three
// pixels of the screen there (button face, white list, grey selected item) until all
// three show the frame's colours. The window has no background, so nothing but a
// presented frame can put those colours there. The clock starts just before posix_spawn.
// Memory is VmRSS from /proc/<pid>/status 300 ms after the first frame.
//
// With LB_WINDOWS_BUILD naming a build folder of the "windows" preset and WINEPREFIX a
// prepared prefix (scripts/wineprefix.sh), launcher.exe of its demo suite and its floor
// (wine_floor.exe, a bare program of the system's calls showing one such frame) are
// measured the same way under Wine: the window is the system's frame around the 658 x 478
// client area, so the probes are offset by the frame, which lies evenly around the client
// area except for the caption at the top. One unmeasured start first brings up Wine's own
// processes; its time is reported as the cold start.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "xvfb/xvfb.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

// A private X server for all runs, started once and stopped at exit. With LB_SCREEN_DPI
// set (the launcher inherits it) the screen grows with the density, so the window fits.
std::string StartXvfb() {
  static testxvfb::PrivateXvfb server;
  const char* dpi = std::getenv("LB_SCREEN_DPI");
  const int scale = std::clamp(dpi ? std::atoi(dpi) : 96, 96, 288);
  static const bool started = server.Start(1024 * scale / 96, 768 * scale / 96, 24);
  return started ? server.Display() : std::string();
}

// A copy of the demo suite, so the companion stand-in's log stays out of the build.
std::string SuiteCopy() {
  static std::string folder;
  if (!folder.empty()) return folder;
  char pattern[] = "/tmp/bench-startup-XXXXXX";
  if (!mkdtemp(pattern)) return folder;
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::copy(fs::path(LB_BINARY_DIR) / "suite", pattern, fs::copy_options::recursive, ec);
  if (ec) return folder;
  folder = pattern;
  std::atexit([] {
    std::error_code e;
    std::filesystem::remove_all(folder, e);
  });
  return folder;
}

long ResidentKiB(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(in, line))
    if (line.rfind("VmRSS:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
  return -1;
}

struct Probe {
  int x, y;
  unsigned long rgb;
};
// Client points of the main window and the colours the first frame gives them.
constexpr Probe kProbes[] = {{4, 420, 0xF0F0F0}, {600, 380, 0xFFFFFF}, {196, 50, 0x808080}};

struct Observation {
  double seconds = -1;
  long residentKiB = -1;
};

// The client area inside a newly mapped top-level window of size w x h, when it is the
// main window: the window itself, or (framed) the window less an even border and a caption.
bool ClientInside(int w, int h, bool framed, int* dx, int* dy) {
  constexpr int kWidth = 658, kHeight = 478;
  if (!framed) {
    // The launcher at LB_SCREEN_DPI: the design's size scaled (the probes stay inside the
    // same parts of the window at 200 %).
    const char* dpi = std::getenv("LB_SCREEN_DPI");
    const int ppi = dpi ? std::atoi(dpi) : 96;
    *dx = *dy = 0;
    return w == (kWidth * ppi + 48) / 96 && h == (kHeight * ppi + 48) / 96;
  }
  const int side = (w - kWidth) / 2;
  if (w < kWidth || (w - kWidth) % 2 != 0 || side > 16 || h < kHeight + 2 * side || h > kHeight + side + 48)
    return false;
  *dx = side;
  *dy = h - kHeight - side;
  return true;
}

// Starts `argv`, waits for its 658 x 478 window's first frame, reads its memory, ends it.
// framed: the program's windows carry a frame of their own drawn into the same X window,
// and are not managed (override-redirect), as Wine's are without a window manager.
Observation Observe(Display* dpy, const std::vector<std::string>& argv, bool framed = false) {
  Observation o;
  const Window root = DefaultRootWindow(dpy);
  XSelectInput(dpy, root, SubstructureNotifyMask);
  // The pointer rests off the window, so hovering selects no task in the first frame.
  XWarpPointer(dpy, None, root, 0, 0, 0, 0, 0, 0);
  XSync(dpy, True);  // drop what came before
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  posix_spawn_file_actions_t fa;
  posix_spawn_file_actions_init(&fa);
  posix_spawn_file_actions_addopen(&fa, 1, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  const Clock::time_point start = Clock::now();
  const int rc = posix_spawnp(&pid, args[0], &fa, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&fa);
  if (rc != 0) return o;
  const Clock::time_point deadline = start + std::chrono::seconds(framed ? 60 : 10);

  Window win = 0;
  int wx = 0, wy = 0;
  while (!win && Clock::now() < deadline) {
    while (XPending(dpy)) {
      XEvent e;
      XNextEvent(dpy, &e);
      if (e.type != MapNotify || (e.xmap.override_redirect && !framed)) continue;
      XWindowAttributes wa;
      int dx = 0, dy = 0;
      if (XGetWindowAttributes(dpy, e.xmap.window, &wa) && ClientInside(wa.width, wa.height, framed, &dx, &dy)) {
        win = e.xmap.window;
        wx = wa.x + dx;
        wy = wa.y + dy;
      }
    }
    if (!win) std::this_thread::sleep_for(std::chrono::microseconds(100));
  }
  while (win && o.seconds < 0 && Clock::now() < deadline) {
    bool all = true;
    for (const Probe& p : kProbes) {
      XImage* img = XGetImage(dpy, root, wx + p.x, wy + p.y, 1, 1, AllPlanes, ZPixmap);
      const unsigned long px = img ? (XGetPixel(img, 0, 0) & 0xFFFFFF) : 0;
      if (img) XDestroyImage(img);
      if (px != p.rgb) {
        all = false;
        break;
      }
    }
    if (all) {
      o.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    } else {
      std::this_thread::sleep_for(std::chrono::microseconds(100));
    }
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  o.residentKiB = ResidentKiB(pid);
  kill(pid, SIGTERM);
  waitpid(pid, nullptr, 0);
  XSelectInput(dpy, root, NoEventMask);
  return o;
}

std::map<std::string, std::vector<double>> g_times;
std::map<std::string, long> g_resident;

void BM_FirstFrame(benchmark::State& state, const std::string& which) {
  if (StartXvfb().empty()) {
    state.SkipWithError("Xvfb is not installed");
    return;
  }
  Display* dpy = XOpenDisplay(nullptr);
  if (!dpy) {
    state.SkipWithError("cannot open the private display");
    return;
  }
  std::vector<std::string> argv;
  if (which == "launcher") {
    const std::string suite = SuiteCopy();
    if (suite.empty()) {
      state.SkipWithError("the demo suite is not built");
      XCloseDisplay(dpy);
      return;
    }
    argv = {suite + "/launcher"};
  } else {
    argv = {std::string(LB_BINARY_DIR) + "/bin/bench_floor_x11", "20000"};
  }
  long resident = 0;
  for (auto _ : state) {
    const Observation o = Observe(dpy, argv);
    if (o.seconds < 0) {
      state.SkipWithError("no frame within 10 s");
      break;
    }
    state.SetIterationTime(o.seconds);
    g_times[which].push_back(o.seconds * 1000.0);
    resident = std::max(resident, o.residentKiB);
  }
  state.counters["rss_KiB"] = double(resident);
  g_resident[which] = resident;
  XCloseDisplay(dpy);
}

double Median(std::vector<double> v) {
  if (v.empty()) return -1;
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

std::map<std::string, double> g_wineCold;

// A copy of the Windows demo suite, so the stand-ins' log stays out of the build.
std::string WindowsSuiteCopy(const std::string& suite) {
  char pattern[] = "/tmp/bench-startup-wine-XXXXXX";
  if (!mkdtemp(pattern)) return {};
  std::error_code ec;
  std::filesystem::copy(suite, pattern, std::filesystem::copy_options::recursive, ec);
  if (ec) return {};
  static std::string folder;
  folder = pattern;
  std::atexit([] {
    std::error_code e;
    std::filesystem::remove_all(folder, e);
  });
  return folder;
}

void BM_FirstFrameWine(benchmark::State& state, const std::string& build, const std::string& which) {
  if (StartXvfb().empty()) {
    state.SkipWithError("Xvfb is not installed");
    return;
  }
  Display* dpy = XOpenDisplay(nullptr);
  const std::string program =
      which == "wine_floor" ? build + "/bin/wine_floor.exe" : WindowsSuiteCopy(build + "/suite") + "/launcher.exe";
  if (!dpy || !std::filesystem::exists(program)) {
    state.SkipWithError("no display or no such program of the Windows build");
    if (dpy) XCloseDisplay(dpy);
    return;
  }
  const std::vector<std::string> argv = {"wine", program};
  g_wineCold[which] = Observe(dpy, argv, true).seconds * 1000.0;
  for (auto _ : state) {
    const Observation o = Observe(dpy, argv, true);
    if (o.seconds < 0) {
      state.SkipWithError("no frame within 60 s");
      break;
    }
    state.SetIterationTime(o.seconds);
    g_times[which].push_back(o.seconds * 1000.0);
  }
  XCloseDisplay(dpy);
  // Wine's own processes of the prefix were started on the private display, which goes.
  std::system("wineserver -k >/dev/null 2>&1");
}

}  // namespace

BENCHMARK_CAPTURE(BM_FirstFrame, floor, std::string("floor"))->UseManualTime()->Iterations(20)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FirstFrame, launcher, std::string("launcher"))
    ->UseManualTime()
    ->Iterations(20)
    ->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
  const char* windowsBuild = std::getenv("LB_WINDOWS_BUILD");
  if (windowsBuild && *windowsBuild && std::getenv("WINEPREFIX")) {
    for (const char* which : {"wine_floor", "launcher_wine"})
      benchmark::RegisterBenchmark((std::string("BM_FirstFrame/") + which).c_str(), BM_FirstFrameWine,
                                   std::string(windowsBuild), std::string(which))
          ->UseManualTime()
          ->Iterations(10)
          ->Unit(benchmark::kMillisecond);
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  const double floor = Median(g_times["floor"]), launcher = Median(g_times["launcher"]);
  if (floor >= 0 && launcher >= 0) {
    std::printf("first frame, median of 20: launcher %.1f ms, floor %.1f ms, difference %.1f ms (aim: within 10 ms)\n",
                launcher, floor, launcher - floor);
    std::printf("resident after start-up: launcher %ld KiB, floor %ld KiB (aim: launcher under 12 MiB)\n",
                g_resident["launcher"], g_resident["floor"]);
  }
  for (const char* which : {"launcher_wine", "wine_floor"}) {
    std::vector<double> t = g_times[which];
    if (t.empty()) continue;
    std::sort(t.begin(), t.end());
    std::printf("first frame under Wine, median of %zu: %s %.1f ms (%.1f to %.1f; cold start before them: %.1f ms)\n",
                t.size(), which, Median(t), t.front(), t.back(), g_wineCold[which]);
  }
  return 0;
}
