// The state of one window system, grouped by the concern that keeps it, and the functions
// the concern files of platform/win offer each other. Private to platform/win: backends
// see win_internal.h only, everything above sees win.h.
//
// Who touches what: each part of System is kept by the file named beside it; other files
// read it, and window teardown (DestroyWindow, hiding, disabling) clears references to the
// windows that go. The Win32-shaped functions reach the system through Current(); the
// functions below take it as their first argument.
#pragma once

#include <deque>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "platform/win/win_internal.h"

struct WindowClass {
  std::string name;
  WNDCLASSA wc;
  ATOM atom = 0;
};

namespace winsys {

// A message waiting in the queue.
struct Queued {
  MSG msg;
  bool input = false;  // came from a device: updates the key state when retrieved
};

struct Timer {
  Window* hwnd = nullptr;
  UINT_PTR id = 0;
  UINT elapse = 0;
  DWORD due = 0;
  TIMERPROC proc = nullptr;
};

// messages.cpp and timers.cpp: what waits to be retrieved, and the last retrieved message.
struct MessageQueue {
  std::deque<Queued> posted;  // posted messages and input, in arrival order
  bool quit = false;
  int quitCode = 0;
  std::vector<Timer> timers;
  UINT_PTR nextTimerId = 0x7F00;
  DWORD msgTime = 0;
  POINT msgPos;
};

// input.cpp: key and button states, the pointer and double-click detection.
struct InputState {
  BYTE keyState[256] = {};    // as of the last retrieved message
  BYTE asyncState[256] = {};  // as of the last input event read
  POINT pointer;
  Window* hover = nullptr;  // the window the pointer is over, for WM_MOUSELEAVE
  Window* lastClickWnd = nullptr;
  UINT lastClickMsg = 0;
  DWORD lastClickTime = 0;
  POINT lastClickPt;
};

// focus.cpp: keyboard focus, the active window, the capture and the grabbing popups.
struct FocusState {
  Window* window = nullptr;  // the focus
  Window* active = nullptr;
  Window* capture = nullptr;
  std::vector<Window*> grabs;  // shown popups holding the grab, the newest last
};

// cursors.cpp
struct CursorState {
  HCURSOR current = nullptr;  // SetCursor
  HCURSOR override = nullptr;  // SetOverrideCursor, wins while set
};

class System final : public WindowSystem {
 public:
  explicit System(std::unique_ptr<Backend> backend);
  ~System() override;

  Window* Live(HWND h) const { return (h && live.count(h)) ? h : nullptr; }
  // A live window of any open window system uses the class.
  static bool ClassInUse(const WindowClass* c);

  std::unique_ptr<Backend> backend;
  std::unordered_set<Window*> live;  // window_tree.cpp
  std::vector<Window*> tops;         // window_pos.cpp: top-level windows, topmost first
  MessageQueue queue;
  InputState input;
  FocusState focus;
  CursorState cursors;
  bool paintedDuringDispatch = false;  // painting.cpp: BeginPaint ran during a WM_PAINT
  std::vector<std::uint32_t> appIcon;  // icons.cpp: the application icon, as Window::icon
  int pixelsPerInch = 96;              // fixed when the system opens
};

// The current window system, null when none is open.
System* Current();
// The live window a handle names in the current window system, null for none.
inline Window* LiveWindow(HWND h) {
  System* s = Current();
  return s ? s->Live(h) : nullptr;
}

// ---- window_tree.cpp: the tree of windows
Window* TopOf(Window* w);
bool IsInTree(Window* w, Window* root);  // w is root or lies below it
bool Visible(Window* w);                 // w and its ancestors are shown, not minimised
bool Enabled(Window* w);                 // neither w nor an ancestor is disabled
// Offset of the window's client origin inside its top-level window's back buffer.
POINT OriginInTop(Window* w);
POINT ScreenOrigin(Window* w);
RECT ClientRectOf(Window* w);

// ---- window_pos.cpp: placement and z-order of top-level windows
void InsertTop(System& s, Window* w);
void RaiseTop(System& s, Window* w);

// ---- painting.cpp: invalid areas, window DCs, back buffers and presenting
HDC ProvideWindowDc(HWND hwnd);
int ReleaseWindowDc(HWND hwnd, HDC hdc);
bool NeedsPaint(Window* w);
Window* FirstToPaint(Window* w);  // the first window of the tree that waits for WM_PAINT
void Present(System& s, Window* top);
void PresentAll(System& s);
void InvalidateTree(Window* w);
// Invalidates r (client coordinates of w) in w and in every descendant except `skip`.
void InvalidateArea(Window* w, RECT r, Window* skip);
void MakeBackBuffer(System& s, Window* top);
void PaintNow(System& s, Window* w);

// ---- messages.cpp: the queue
void Post(System& s, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, bool input, DWORD ch = 0);

// ---- timers.cpp
int NextTimerWait(System& s);  // milliseconds until the next timer is due, -1 without timers
// The first due timer (of `filter` when given) as a WM_TIMER message; with `remove` it is
// due again one period from now.
bool TakeDueTimer(System& s, HWND filter, bool remove, MSG* out);

// ---- focus.cpp: focus, activation, capture and grabs
bool Grabs(Window* w);        // a shown popup of this kind takes the pointer and keyboard grab
bool Activatable(Window* w);  // can become the active window
void SetFocusInternal(System& s, Window* n);
void Activate(System& s, Window* w, bool click);
// Activation moves on when the active window goes away: to its owner, else to the
// topmost other window that can take it.
void ActivateNext(System& s, Window* leaving);
void DropGrab(System& s, Window* w);
void ReleaseCaptureInternal(System& s);

// ---- input.cpp
void SetKey(BYTE* state, UINT vk, bool down);

// ---- cursors.cpp
void ApplyCursor(System& s);

// ---- icons.cpp
// Hands the icon in force for a top-level window (its own, else the application's) to the backend.
void ApplyIcon(System& s, Window* top);

// ---- classes.cpp
WindowClass* FindClass(LPCSTR name);

}  // namespace winsys
