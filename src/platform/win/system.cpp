// The window-system object: opening and closing one, which one is current, the start-up
// functions that keep one for programs without an object of their own, and what the
// system tells about its screen (metrics, work area, backend).
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "platform/win/system.h"

namespace {

// The one place that knows which window system is current.
WindowSystem* g_current = nullptr;

// The system opened by InitWindowSystem. Never freed at exit, as the windows it holds
// may belong to objects that outlive main.
std::unique_ptr<WindowSystem>& Started() {
  static auto* started = new std::unique_ptr<WindowSystem>;
  return *started;
}

std::string& StartError() {
  static std::string error;
  return error;
}

}  // namespace

// ---------------------------------------------------------------------------------------
// The object

WindowSystem::WindowSystem() : previous_(g_current) { g_current = this; }

WindowSystem::~WindowSystem() {
  if (g_current == this) {
    g_current = previous_;
  } else {
    for (WindowSystem* w = g_current; w; w = w->previous_) {
      if (w->previous_ == this) {
        w->previous_ = previous_;
        break;
      }
    }
  }
  if (!g_current) SetWindowDcProvider(nullptr, nullptr);
}

WindowSystem* WindowSystem::Current() { return g_current; }

std::unique_ptr<WindowSystem> WindowSystem::Open(WindowBackend which, const WindowSystemOptions& options,
                                                 std::string* error) {
  std::string ignored;
  std::unique_ptr<winsys::Backend> backend;
  std::string* why = error ? error : &ignored;
  if (which == WindowBackend::Headless) {
    backend = winsys::MakeHeadlessBackend(std::max(1, options.headlessWidth), std::max(1, options.headlessHeight));
  } else {
#ifdef _WIN32
    backend = winsys::MakeWin32Backend(why);
#else
    if (which == WindowBackend::Win32)
      *why = "The system's own windows exist on Windows only.";
    else
      backend = winsys::MakeX11Backend(options, why);
#endif
  }
  if (!backend) return nullptr;
  auto system = std::make_unique<winsys::System>(std::move(backend));
  auto sound = [](int v) { return v >= kMinPixelsPerInch && v <= kMaxPixelsPerInch ? v : 0; };
  int ppi = sound(options.pixelsPerInch);
  if (ppi == 0) ppi = winsys::PixelsPerInchFromText(std::getenv("LB_SCREEN_DPI"));
  if (ppi == 0) ppi = sound(system->backend->ScreenPixelsPerInch());
  if (ppi != 0) system->pixelsPerInch = ppi;
  return system;
}

namespace winsys {

System::System(std::unique_ptr<Backend> b) : backend(std::move(b)) {
  backend->system = this;
  SetWindowDcProvider(&ProvideWindowDc, &ReleaseWindowDc);
}

System::~System() {
  // The windows go while this system is current, so that their procedures reach it.
  WindowSystem* outer = g_current;
  g_current = this;
  while (!tops.empty()) {
    Window* t = tops.back();
    if (!DestroyWindow(t)) {  // should not happen; never loop forever
      tops.pop_back();
    }
  }
  g_current = outer;
}

bool System::ClassInUse(const WindowClass* c) {
  for (WindowSystem* ws = g_current; ws; ws = ws->previous_)
    for (Window* w : static_cast<System*>(ws)->live)
      if (w->cls == c) return true;
  return false;
}

System* Current() { return static_cast<System*>(g_current); }

int PixelsPerInchFromText(const char* text) {
  if (!text) return 0;
  char* end = nullptr;
  const double v = std::strtod(text, &end);
  if (end == text) return 0;
  while (*end == ' ' || *end == '\t' || *end == '\r') ++end;
  if (*end != '\0' && *end != '\n') return 0;
  if (!(v >= kMinPixelsPerInch - 0.5 && v < kMaxPixelsPerInch + 0.5)) return 0;
  return int(std::lround(v));
}

int XftDpiFromResources(const char* resources) {
  if (!resources) return 0;
  int found = 0;
  // One "name:\tvalue" entry a line; the last entry of a name is the one that holds.
  for (const char* line = resources; *line;) {
    const char* next = std::strchr(line, '\n');
    const std::size_t length = next ? std::size_t(next - line) : std::strlen(line);
    const std::string entry(line, length);
    const std::size_t colon = entry.find(':');
    if (colon != std::string::npos) {
      std::string name = entry.substr(0, colon);
      while (!name.empty() && (name.back() == ' ' || name.back() == '\t')) name.pop_back();
      std::size_t start = name.find_first_not_of(" \t");
      if (start != std::string::npos && name.substr(start) == "Xft.dpi") {
        std::size_t v = entry.find_first_not_of(" \t", colon + 1);
        found = PixelsPerInchFromText(v == std::string::npos ? "" : entry.c_str() + v);
      }
    }
    if (!next) break;
    line = next + 1;
  }
  return found;
}

Backend* CurrentBackend() {
  System* s = Current();
  return s ? s->backend.get() : nullptr;
}

bool IsLive(const System& s, Window* w) { return s.Live(w) != nullptr; }
std::vector<Window*> TopLevels(const System& s) { return s.tops; }

}  // namespace winsys

using winsys::Current;
using winsys::System;

// ---------------------------------------------------------------------------------------
// Start-up without an object of one's own

bool InitWindowSystem(WindowBackend which, const WindowSystemOptions& options) {
  ShutdownWindowSystem();
  StartError().clear();
  Started() = WindowSystem::Open(which, options, &StartError());
  return Started() != nullptr;
}

void ShutdownWindowSystem() { Started().reset(); }

bool WindowSystemRunning() { return Current() != nullptr; }

const char* WindowSystemError() { return StartError().c_str(); }

bool WindowSystemUsesSharedMemory() {
  System* s = Current();
  return s && s->backend->UsesSharedMemory();
}

HBITMAP GetBackBufferBitmap(HWND hwnd) {
  Window* w = winsys::TopOf(winsys::LiveWindow(hwnd));
  return w ? w->backBuffer : nullptr;
}

unsigned long GetNativeWindowId(HWND hwnd) {
  Window* w = winsys::TopOf(winsys::LiveWindow(hwnd));
  return w ? Current()->backend->NativeId(w) : 0;
}

// ---------------------------------------------------------------------------------------
// Screen metrics

int GetSystemMetrics(int index) {
  System* s = Current();
  RECT screen = s ? s->backend->ScreenRect() : RECT{0, 0, 1024, 768};
  switch (index) {
    case SM_CXSCREEN: return screen.right - screen.left;
    case SM_CYSCREEN: return screen.bottom - screen.top;
    case SM_CXFULLSCREEN: {
      RECT wa = GetWorkArea();
      return wa.right - wa.left;
    }
    case SM_CYFULLSCREEN: {
      RECT wa = GetWorkArea();
      return wa.bottom - wa.top - 22;
    }
    case SM_CXVSCROLL:
    case SM_CYHSCROLL: return 17;
    case SM_CYCAPTION: return 22;
    case SM_CXBORDER:
    case SM_CYBORDER: return 1;
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME: return 3;
    case SM_CXICON:
    case SM_CYICON:
    case SM_CXCURSOR:
    case SM_CYCURSOR: return 32;
    case SM_CYMENU: return 20;
    case SM_SWAPBUTTON: return 0;
    case SM_CXFRAME:
    case SM_CYFRAME: return 8;
    case SM_CXDOUBLECLK:
    case SM_CYDOUBLECLK: return 4;
    case SM_CMOUSEBUTTONS: return 3;
    case SM_CXEDGE:
    case SM_CYEDGE: return 2;
    case SM_CXSMICON:
    case SM_CYSMICON: return 16;
    case SM_CXMENUCHECK:
    case SM_CYMENUCHECK: return 13;
    default: return 0;
  }
}

UINT GetDpiForSystem() {
  System* s = Current();
  return UINT(s ? s->pixelsPerInch : 96);
}

UINT GetDpiForWindow(HWND hwnd) {
  Window* w = winsys::TopOf(winsys::LiveWindow(hwnd));
  if (w && w->pixelsPerInch > 0) return UINT(w->pixelsPerInch);
  return GetDpiForSystem();
}

RECT GetWorkArea() {
  System* s = Current();
  if (!s) return RECT{0, 0, 1024, 768};
  RECT wa = s->backend->WorkArea();
  if (IsRectEmpty(wa)) wa = s->backend->ScreenRect();
  return wa;
}

RECT ClampRectToWorkArea(const RECT& r) {
  RECT wa = GetWorkArea();
  int w = std::min(r.right - r.left, wa.right - wa.left);
  int h = std::min(r.bottom - r.top, wa.bottom - wa.top);
  int x = std::max(wa.left, std::min(r.left, wa.right - w));
  int y = std::max(wa.top, std::min(r.top, wa.bottom - h));
  return RECT{x, y, x + w, y + h};
}
