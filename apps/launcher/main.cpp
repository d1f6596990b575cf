// The launcher: the start window of the disc-burning suite. Reads no command line; finds
// its product information, tools and companion program beside its own executable.
#include <cstdio>

#include "launcher/launcher.h"
#include "platform/win/win.h"

int main() {
  // The launcher is a desktop program: without a display there is nothing to show.
  if (!InitWindowSystem(WindowBackend::X11)) {
    std::fprintf(stderr, "launcher: cannot open the display: %s\n", WindowSystemError());
    return 1;
  }
  InitLauncherModule();
  return RunLauncher();
}
