// What the window system and its backends share: the window record, the cursor record,
// the interface every backend implements and the entry points through which a backend
// hands native input to the window system it serves. Backends include this header only;
// the window system's own state is in system.h.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/win/win.h"

struct WindowClass;

struct CursorObj {
  int id = 0;          // stock cursor number (IDC_xxx)
  unsigned shape = 0;  // X font cursor glyph
};

struct Window {
  WindowClass* cls = nullptr;
  WNDPROC proc = nullptr;
  DWORD style = 0;
  DWORD exStyle = 0;
  Window* parent = nullptr;  // children only
  Window* owner = nullptr;   // top-level windows only
  std::vector<Window*> children;  // bottom first; later-created siblings lie on top
  RECT rect;                 // parent-client coordinates (children) or screen (top-level)
  std::string text;
  LONG_PTR id = 0;
  LONG_PTR userData = 0;
  HINSTANCE instance = nullptr;
  std::vector<LONG_PTR> extra;
  bool destroying = false;
  bool iconic = false;
  bool trackLeave = false;

  // Invalid area (client coordinates; empty when valid) and pending background erase.
  RECT invalid;
  bool erase = false;

  // Top-level windows only.
  HBITMAP backBuffer = nullptr;
  RECT dirty;                // back-buffer area drawn but not yet presented
  Window* lastFocus = nullptr;
  bool grabbing = false;     // popup holding the pointer and keyboard grab
  HCURSOR shownCursor = nullptr;
  // Its own icon as the backend takes it (see Backend::SetIcon); empty: the application's.
  std::vector<std::uint32_t> icon;
  int pixelsPerInch = 0;  // top-level windows: the density of their monitor where the system tells it
  void* native = nullptr;    // backend data

  bool IsChild() const { return (style & WS_CHILD) != 0; }
  bool IsTopLevel() const { return !IsChild(); }
  // A caption-less WS_POPUP: undecorated, unmanaged, never activated.
  bool IsMenuPopup() const { return !IsChild() && (style & WS_POPUP) && (style & WS_CAPTION) != WS_CAPTION; }
  int Width() const { return rect.right - rect.left; }
  int Height() const { return rect.bottom - rect.top; }
};

namespace winsys {

class System;

// What a backend does for the core. Top-level windows (and popups) are native windows;
// children are not.
class Backend {
 public:
  virtual ~Backend() = default;
  virtual WindowBackend Kind() const = 0;
  virtual RECT ScreenRect() = 0;
  virtual RECT WorkArea() { return ScreenRect(); }
  // The screen's pixels per inch as its desktop sets it; 0 when it says nothing.
  virtual int ScreenPixelsPerInch() { return 0; }
  virtual void CreateNative(Window* top) = 0;
  virtual void DestroyNative(Window* top) = 0;
  virtual void ShowNative(Window* top, bool show) = 0;
  // Position or size changed by the program.
  virtual void MoveNative(Window* top) = 0;
  virtual void SetTitle(Window* top) = 0;
  // The frame the desktop draws around a managed top-level window of these styles, as the
  // widths of its left, top, right and bottom sides; false when no such frame is known.
  virtual bool FrameExtents(DWORD /*style*/, DWORD /*exStyle*/, RECT* /*extents*/) { return false; }
  virtual void Raise(Window* top) = 0;
  virtual void Activate(Window* top) = 0;
  // A back buffer of the top-level window's size in memory of the backend's own, or null for
  // an ordinary bitmap. Asked after CreateNative and on every change of size.
  virtual HBITMAP NewBackBuffer(Window*) { return nullptr; }
  // Shows the area r (back-buffer coordinates) of the back buffer in one step.
  virtual void Present(Window* top, const RECT& r) = 0;
  virtual void DefineCursor(Window* top, HCURSOR cursor) = 0;
  // The top-level window was enabled or disabled (a modal dialog disables its owner).
  virtual void EnableNative(Window*, bool /*enable*/) {}
  // The icon the window shows: its sizes one after another, each as width, height and
  // width x height ARGB pixels (the layout of _NET_WM_ICON); empty: none.
  virtual void SetIcon(Window*, const std::vector<std::uint32_t>& /*icon*/) {}
  // Pointer grab for popups (keyboard too) and for the capture; null releases.
  virtual void Grab(Window* top, bool keyboard) = 0;
  virtual void Ungrab() = 0;
  // Reads native events without blocking; true when any was read.
  virtual bool ReadEvents() = 0;
  // Waits up to timeoutMs (-1: no limit) for native events; false on timeout or when
  // nothing can ever arrive.
  virtual bool WaitEvents(int timeoutMs) = 0;
  virtual DWORD Now() = 0;
  virtual POINT PointerPos() = 0;
  virtual bool UsesSharedMemory() const { return false; }
  // Waits until the display has handled every request sent so far.
  virtual void Sync() {}
  virtual unsigned long NativeId(Window*) { return 0; }
  // Called by GetMessageA when nothing can ever arrive; true when the backend produced
  // something to retrieve (the headless test hook), false to make GetMessageA fail.
  virtual bool Idle() { return false; }

  // The window system this backend serves (set when the system opens); native input goes
  // to it through the entry points below.
  System* system = nullptr;
  // Descriptors served by WaitEvents beside the backend's own (SetExternalWaitSource).
  ExternalWaitSource* external = nullptr;
};

std::unique_ptr<Backend> MakeHeadlessBackend(int width, int height);
// Pixels per inch from a text ("192", "144.0"): the nearest whole number when it is a number
// from kMinPixelsPerInch to kMaxPixelsPerInch, else 0.
int PixelsPerInchFromText(const char* text);
// The Xft.dpi entry of an X resource database string (the root window's RESOURCE_MANAGER),
// as PixelsPerInchFromText reads it; 0 when there is none.
int XftDpiFromResources(const char* resources);
// Null with the reason in *error when no display can be opened.
std::unique_ptr<Backend> MakeX11Backend(const WindowSystemOptions& options, std::string* error);
std::unique_ptr<Backend> MakeWin32Backend(std::string* error);

// ---- entry points for backends (all coordinates are screen coordinates)
enum class MouseEvent { Move, Down, Up, Wheel };
// top: the top-level window the native event came to, or null to hit-test every window.
void DeliverMouse(System& s, Window* top, POINT screen, MouseEvent kind, int button, int wheelDelta);
// The pointer left our windows (to a foreign window or the root).
void DeliverPointerLeft(System& s);
// ch: the character the key produces (0 for none).
void DeliverKey(System& s, UINT vk, bool down, char ch);
// Modifier state as the native event reported it, to mend missed releases.
void SyncModifiers(System& s, bool shift, bool control, bool alt);
void DeliverClose(System& s, Window* top);
// The native window moved or changed size (by the window manager or the user).
void DeliverConfigure(System& s, Window* top, const RECT& screenRect);
// The native window got or lost the input focus from outside.
void DeliverFocus(System& s, Window* top, bool in);

// The backend of the current window system, null when none is open.
Backend* CurrentBackend();
bool IsLive(const System& s, Window* w);
std::vector<Window*> TopLevels(const System& s);  // topmost first
// Character of a key on a US layout with the given Shift state, 0 for none.
char DefaultKeyChar(UINT vk, bool shift, bool control);

}  // namespace winsys
