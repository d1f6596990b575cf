// The launcher: the start window of the disc-burning suite. Reads no command line; finds
// its product information, tools and companion program beside its own executable.
#include <cstdio>
#include <exception>
#include <new>
#include <string>

#include "appicon.h"
#include "launcher/launcher.h"
#include "platform/win/win.h"
#include "ui/controls/forms.h"
#ifdef _WIN32
#include "ui/accesswin/accesswin.h"
#endif

int main() {
  // The launcher is a desktop program: without a display there is nothing to show.
  std::string error;
  WindowSystemOptions options;
  // The class the installed desktop entry names (StartupWMClass), so task bars put the
  // windows under the entry's name and icon.
  options.applicationClass = LB_WM_CLASS;
  // The desktop's own window system: the system's windows on Windows, X11 elsewhere.
  std::unique_ptr<WindowSystem> windows = WindowSystem::Open(WindowBackend::Auto, options, &error);
  if (!windows) {
    std::fprintf(stderr, "launcher: cannot open the display: %s\n", error.c_str());
    return 1;
  }
  try {
#ifdef _WIN32
    // Assistive technology reads the windows through the system's interface.
    StartSystemAccessibility();
#endif
    InitLauncherModule();
    // Before the first window, so each one carries the icon from its start. A picture that
    // cannot be read leaves the windows without an icon; the program runs all the same.
    SetLauncherIcon();
    int exitCode = RunLauncher();
    // The forms go while the window system they live on is still open.
    DoneApplicationObjects();
    return exitCode;
  } catch (const std::bad_alloc&) {
    // What the run loop could not carry on from ends the program with a line, not an abort.
    std::fprintf(stderr, "launcher: out of memory\n");
  } catch (const std::exception& e) {
    std::fprintf(stderr, "launcher: %s\n", e.what());
  }
  return 1;
}
