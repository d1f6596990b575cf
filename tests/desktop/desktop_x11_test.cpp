// The built launcher on a private Xvfb as a task bar sees it: its main window's WM_CLASS
// names the class of the desktop entry (StartupWMClass), and its _NET_WM_ICON holds the
// application picture at 16, 32 and 48 pixels, pixel for pixel as the PNG files read
// through libpng. Skipped when Xvfb is not installed.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "support/golden.h"
#include "xvfb/xvfb.h"

// Xlib's `Window` would collide with the window record of the platform headers.
#define Window XWindow
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#undef Window

extern char** environ;

namespace {

namespace fs = std::filesystem;

// The value of `key` in the source template of the desktop entry.
std::string EntryValue(const std::string& key) {
  std::ifstream in(std::string(LB_SOURCE_DIR) + "/apps/launcher/launcher.desktop.in");
  std::string line;
  while (std::getline(in, line))
    if (line.rfind(key + "=", 0) == 0) return line.substr(key.size() + 1);
  return "";
}

// Starts the launcher of a fresh copy of the demo suite; ends it and removes the copy when
// the test is done.
class RunningLauncher {
 public:
  RunningLauncher() {
    char pattern[] = "/tmp/desktop-x11-XXXXXX";
    if (!mkdtemp(pattern)) return;
    folder_ = pattern;
    fs::copy(fs::path(LB_BINARY_DIR) / "suite", folder_, fs::copy_options::recursive);
    const std::string exe = (folder_ / "launcher").string();
    char* argv[] = {const_cast<char*>(exe.c_str()), nullptr};
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_addopen(&fa, 1, "/dev/null", O_WRONLY, 0);
    if (posix_spawn(&pid_, exe.c_str(), &fa, nullptr, argv, environ) != 0) pid_ = 0;
    posix_spawn_file_actions_destroy(&fa);
  }
  ~RunningLauncher() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
    std::error_code ec;
    if (!folder_.empty()) fs::remove_all(folder_, ec);
  }
  bool Started() const { return pid_ > 0; }

 private:
  fs::path folder_;
  pid_t pid_ = 0;
};

// The first managed top-level window mapped within 10 s (the main window: the application
// window stays hidden), 0 for none.
XWindow MappedWindow(Display* dpy) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (std::chrono::steady_clock::now() < deadline) {
    while (XPending(dpy)) {
      XEvent e;
      XNextEvent(dpy, &e);
      if (e.type == MapNotify && !e.xmap.override_redirect) return e.xmap.window;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return 0;
}

// _NET_WM_ICON split into its sizes: side length -> ARGB pixels.
std::map<int, std::vector<std::uint32_t>> IconSizes(Display* dpy, XWindow w) {
  std::map<int, std::vector<std::uint32_t>> sizes;
  Atom type;
  int format = 0;
  unsigned long n = 0, after = 0;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(dpy, w, XInternAtom(dpy, "_NET_WM_ICON", False), 0, 1 << 20, False, XA_CARDINAL, &type,
                         &format, &n, &after, &data) != Success || !data || format != 32) {
    if (data) XFree(data);
    return sizes;
  }
  std::vector<std::uint32_t> items(n);
  for (unsigned long i = 0; i < n; ++i) items[i] = std::uint32_t(reinterpret_cast<long*>(data)[i]);
  XFree(data);
  for (std::size_t i = 0; i + 2 <= items.size();) {
    const std::size_t width = items[i], height = items[i + 1], count = width * height;
    if (width != height || items.size() - i - 2 < count) break;
    sizes[int(width)].assign(items.begin() + long(i + 2), items.begin() + long(i + 2 + count));
    i += 2 + count;
  }
  return sizes;
}

TEST(Desktop, LauncherWindowCarriesTheEntrysClassAndTheApplicationIcon) {
  testxvfb::PrivateXvfb server;
  if (!server.Start()) GTEST_SKIP() << "Xvfb is not installed or did not start";
  const std::unique_ptr<Display, int (*)(Display*)> display(XOpenDisplay(nullptr), XCloseDisplay);
  Display* dpy = display.get();
  ASSERT_NE(dpy, nullptr);
  XSelectInput(dpy, DefaultRootWindow(dpy), SubstructureNotifyMask);
  XSync(dpy, False);
  RunningLauncher launcher;
  ASSERT_TRUE(launcher.Started());
  const XWindow w = MappedWindow(dpy);
  ASSERT_NE(w, 0u) << "the launcher showed no window";

  XClassHint cls;
  ASSERT_TRUE(XGetClassHint(dpy, w, &cls));
  const std::string resClass = cls.res_class;
  XFree(cls.res_name);
  XFree(cls.res_class);
  EXPECT_FALSE(EntryValue("StartupWMClass").empty());
  EXPECT_EQ(resClass, EntryValue("StartupWMClass"));

  const auto sizes = IconSizes(dpy, w);
  ASSERT_EQ(sizes.size(), 3u) << "_NET_WM_ICON holds " << sizes.size() << " square sizes";
  for (int side : {16, 32, 48}) {
    SCOPED_TRACE("size " + std::to_string(side));
    ASSERT_TRUE(sizes.count(side));
    testsupport::Image png;
    std::string error;
    const std::string file = std::string(LB_SOURCE_DIR) + "/resources/art/app-" + std::to_string(side) + ".png";
    ASSERT_TRUE(testsupport::ReadPng(file, &png, &error, testsupport::PngAlpha::kKeep)) << error;
    ASSERT_EQ(png.width, side);
    const std::vector<std::uint32_t>& shown = sizes.at(side);
    for (std::size_t i = 0; i < shown.size(); ++i)
      ASSERT_EQ(shown[i], png.pixels[i]) << "pixel (" << i % side << ", " << i / side << ")";
    // A picture, not a blank: many colours and alphas.
    EXPECT_GT(std::set<std::uint32_t>(shown.begin(), shown.end()).size(), 20u);
  }
}

}  // namespace
