// The system's own windows, for the Win32 backend: one window class whose windows hand
// their messages to a listener, and the calls that place, show, paint and decorate them.
// Plain C++ types only, so that no system header meets the window system's own types.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace nativewin {

using Handle = void*;  // a native window, null for none

struct Message {
  Handle window = nullptr;
  unsigned msg = 0;
  std::uintptr_t wParam = 0;
  std::intptr_t lParam = 0;
  int originX = 0, originY = 0;  // the window's client area on the screen
  std::uint32_t unit = 0;        // key-down: the UTF-16 unit the key produced, 0 for none
  bool shift = false, control = false, alt = false;  // held when the message was sent
};

// Pixels to show: 32-bit 0x00RRGGBB, rows top-down, `stride` bytes apart.
struct Pixels {
  const void* bits = nullptr;
  int width = 0, height = 0, stride = 0;
};

struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;
};

class Listener {
 public:
  virtual ~Listener() = default;
  // Input, closing, activation and placement, as the system sends them (also from inside
  // the calls below); the listener decides what each means.
  virtual void OnMessage(const Message& m) = 0;
  // The system wants part of a window shown again (client coordinates). Returns the frame
  // to show it from, or no pixels when it will come with the next frame anyway.
  virtual Pixels OnExpose(Handle window, const Rect& area) = 0;
};

struct Look {
  bool popup = false;  // undecorated, never activated, above other windows
  bool sysMenu = false, thickFrame = false, minimizeBox = false, maximizeBox = false;
  bool dialogFrame = false, topmost = false, toolWindow = false;
};

// Registers the window class. False with the reason in *error when the system refuses.
bool Start(Listener* listener, std::string* error);
void Stop();

// A hidden window whose client area lies at `client` (screen coordinates).
Handle Create(const Look& look, Handle owner, const Rect& client, const std::string& titleUtf8);
void Destroy(Handle w);
void Show(Handle w, bool show);
void Place(Handle w, const Rect& client);
// The client area on the screen; false while the window is minimised.
bool ClientArea(Handle w, Rect* client);
void SetTitle(Handle w, const std::string& titleUtf8);
void Raise(Handle w);
void Enable(Handle w, bool enable);
void Activate(Handle w);
// Shows `area` (client coordinates, clipped to the pixels) of the frame at once.
void Present(Handle w, const Pixels& frame, const Rect& area);
// One of the system's stock cursors by its number (IDC_ARROW = 32512, ...); 0 for none.
void SetCursor(Handle w, int stockId);
// Sizes one after another as width, height, width x height ARGB pixels; empty: none.
void SetIcon(Handle w, const std::vector<std::uint32_t>& icon);
// The window receives the pointer wherever it is (null: nobody does).
void Capture(Handle w);

// Hands every waiting message to its window; true when there were any.
bool Pump();
// Waits up to timeoutMs (-1: no limit) for a message; true when one waits.
bool Wait(int timeoutMs);
void PointerPos(int* x, int* y);
Rect Screen();
Rect WorkArea();
// The system's pixels per inch (a program that declares no awareness of it is told 96).
int SystemDpi();

}  // namespace nativewin
