// The launcher: the start window of the disc-burning suite. Reads no command line; finds
// its product information, tools and companion program beside its own executable.
#include <cstdio>
#include <string>

#include "launcher/launcher.h"
#include "platform/win/win.h"
#include "ui/controls/forms.h"

int main() {
  // The launcher is a desktop program: without a display there is nothing to show.
  std::string error;
  std::unique_ptr<WindowSystem> windows = WindowSystem::Open(WindowBackend::X11, {}, &error);
  if (!windows) {
    std::fprintf(stderr, "launcher: cannot open the display: %s\n", error.c_str());
    return 1;
  }
  InitLauncherModule();
  int exitCode = RunLauncher();
  // The forms go while the window system they live on is still open.
  DoneApplicationObjects();
  return exitCode;
}
