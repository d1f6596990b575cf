#include "ui/access/bridge.h"

#if defined(__linux__)
#include <dlfcn.h>

#include <cstdlib>

#include "platform/os/os.h"

namespace {

void LoadBridge(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  const std::string folder = ExecutableFolder();
  if (folder.empty()) return;
  void* module = dlopen((folder + kAccBridgeFile).c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!module) return;  // installed without it: the program works as before
  auto start = reinterpret_cast<TAccBridgeStart>(dlsym(module, kAccBridgeEntry));
  TAccBridge* bridge = start ? start(AccessibleApplication()) : nullptr;
  if (!bridge) {
    dlclose(module);
    return;
  }
  // The bridge stays for the rest of the process, as its libraries do.
  SetAccessibleListener(bridge);
  SetExternalWaitSource(bridge);
}

}  // namespace

// From a zero timer: the message loop presents what is painted before it takes a timer,
// so the frame the caller just painted is on the screen before anything is loaded.
void StartAccessibilityBridge(HWND shownWindow) {
  static bool asked = false;
  if (asked || !GetNativeWindowId(shownWindow)) return;
  asked = true;
  const char* off = std::getenv("NO_AT_BRIDGE");
  if (off && std::string(off) == "1") return;
  if (!std::getenv("AT_SPI_BUS_ADDRESS") && !std::getenv("DBUS_SESSION_BUS_ADDRESS")) return;
  SetTimer(nullptr, 0, 0, LoadBridge);
}
#else
void StartAccessibilityBridge(HWND) {}
#endif
