// The window system: windows with a window procedure, the message queue, painting into
// an off-screen back buffer per top-level window, input routing, focus, capture and
// cursors, with the Win32 names, argument orders and result conventions.
//
// Top-level windows have no drawn non-client area: the client area is the whole native
// window (the window manager draws any title bar), so the window rectangle equals the
// client rectangle at its screen position. Child windows are rectangles inside their
// top-level window, clipped by their parent, by siblings above them (later-created
// siblings lie on top) and by their own children.
//
// Everything runs on one thread; none of these functions may be called from another.
//
// Sections: window system start-up / styles / messages / window classes and windows /
// painting / input, focus and capture / popups / cursors / window icons.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/gdi/gdi.h"
#include "platform/base/wintypes.h"

using ATOM = WORD;
using LONG_PTR = std::intptr_t;
using UINT_PTR = std::uintptr_t;
using LPCSTR = const char*;
using WNDPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);
using HMENU = void*;

// ---------------------------------------------------------------------------------------
// Window system start-up

enum class WindowBackend {
  Auto,      // the desktop's own: win32 on Windows; x11 elsewhere when DISPLAY names a
             // display that opens, nothing otherwise
  X11,       // on Windows: win32
  Headless,  // frames in memory; see platform/win/headless.h
  Win32,     // the system's own windows (Windows only)
};

struct WindowSystemOptions {
  bool useSharedMemory = true;  // x11: present through MIT-SHM when the server allows it
  // x11: the class part of WM_CLASS of every top-level window, by which desktop entries
  // (StartupWMClass) and task bars know the program's windows; empty: the program's file
  // name with its first letter in upper case.
  std::string applicationClass;
  int headlessWidth = 1024;     // headless screen size
  int headlessHeight = 768;
  // Pixels per inch the windows are used at; 0: LB_SCREEN_DPI when it holds a sound value,
  // else the screen's own (X11: the Xft.dpi resource; Windows: the system's), else 96.
  int pixelsPerInch = 0;
};

namespace winsys {
class System;
}

// One window system: its windows, message queue, input state, focus, capture and cursors,
// and the backend that shows them. The program (or its application object) opens one; a
// test may open its own. The one opened last is current: every function below acts on it.
// Destroying it destroys its windows, closes its display and makes the one opened before
// it current again.
class WindowSystem {
 public:
  // Null when the backend cannot start; *error then tells why in one line meant for the user.
  static std::unique_ptr<WindowSystem> Open(WindowBackend which, const WindowSystemOptions& options = {},
                                            std::string* error = nullptr);
  // The window system the functions act on, null when none is open.
  static WindowSystem* Current();

  WindowSystem(const WindowSystem&) = delete;
  WindowSystem& operator=(const WindowSystem&) = delete;
  virtual ~WindowSystem();

 protected:
  WindowSystem();

 private:
  friend class winsys::System;
  WindowSystem* previous_;  // current before this one opened
};

// Opens a window system that lives until ShutdownWindowSystem (tests and tools that want
// no object of their own); an earlier one opened this way is shut down first. False when
// the backend cannot start; WindowSystemError() then tells why.
bool InitWindowSystem(WindowBackend which, const WindowSystemOptions& options = {});
// Destroys the window system InitWindowSystem opened: every window, and the display.
void ShutdownWindowSystem();
// True while a window system is current.
bool WindowSystemRunning();
const char* WindowSystemError();
// True when presenting goes through shared memory (x11 only).
bool WindowSystemUsesSharedMemory();
// The back buffer of a window's top-level window (32 bpp, top-down); for tests and tools
// that compare what is shown with what was drawn. Null for unknown windows.
HBITMAP GetBackBufferBitmap(HWND hwnd);
// The native window of a window's top-level window (the X window id, or the system's window
// handle on Windows), 0 when headless.
unsigned long GetNativeWindowId(HWND hwnd);

// ---------------------------------------------------------------------------------------
// Styles

constexpr DWORD WS_OVERLAPPED = 0x00000000;
constexpr DWORD WS_TABSTOP = 0x00010000;
constexpr DWORD WS_MAXIMIZEBOX = 0x00010000;
constexpr DWORD WS_GROUP = 0x00020000;
constexpr DWORD WS_MINIMIZEBOX = 0x00020000;
constexpr DWORD WS_THICKFRAME = 0x00040000;
constexpr DWORD WS_SYSMENU = 0x00080000;
constexpr DWORD WS_HSCROLL = 0x00100000;
constexpr DWORD WS_VSCROLL = 0x00200000;
constexpr DWORD WS_DLGFRAME = 0x00400000;
constexpr DWORD WS_BORDER = 0x00800000;
constexpr DWORD WS_CAPTION = 0x00C00000;
constexpr DWORD WS_MAXIMIZE = 0x01000000;
constexpr DWORD WS_CLIPCHILDREN = 0x02000000;
constexpr DWORD WS_CLIPSIBLINGS = 0x04000000;
constexpr DWORD WS_DISABLED = 0x08000000;
constexpr DWORD WS_VISIBLE = 0x10000000;
constexpr DWORD WS_MINIMIZE = 0x20000000;
constexpr DWORD WS_CHILD = 0x40000000;
constexpr DWORD WS_POPUP = 0x80000000;
constexpr DWORD WS_OVERLAPPEDWINDOW =
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;

constexpr DWORD WS_EX_DLGMODALFRAME = 0x00000001;
constexpr DWORD WS_EX_TOPMOST = 0x00000008;
constexpr DWORD WS_EX_TRANSPARENT = 0x00000020;
constexpr DWORD WS_EX_TOOLWINDOW = 0x00000080;
constexpr DWORD WS_EX_WINDOWEDGE = 0x00000100;
constexpr DWORD WS_EX_CLIENTEDGE = 0x00000200;
constexpr DWORD WS_EX_CONTROLPARENT = 0x00010000;
constexpr DWORD WS_EX_APPWINDOW = 0x00040000;
constexpr DWORD WS_EX_NOACTIVATE = 0x08000000;

// Class styles.
constexpr UINT CS_VREDRAW = 0x0001;
constexpr UINT CS_HREDRAW = 0x0002;
constexpr UINT CS_DBLCLKS = 0x0008;
constexpr UINT CS_SAVEBITS = 0x0800;

constexpr int CW_USEDEFAULT = int(0x80000000);

// ---------------------------------------------------------------------------------------
// Messages

constexpr UINT WM_NULL = 0x0000;
constexpr UINT WM_CREATE = 0x0001;
constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_MOVE = 0x0003;
constexpr UINT WM_SIZE = 0x0005;
constexpr UINT WM_ACTIVATE = 0x0006;
constexpr UINT WM_SETFOCUS = 0x0007;
constexpr UINT WM_KILLFOCUS = 0x0008;
constexpr UINT WM_ENABLE = 0x000A;
constexpr UINT WM_SETTEXT = 0x000C;
constexpr UINT WM_GETTEXT = 0x000D;
constexpr UINT WM_GETTEXTLENGTH = 0x000E;
constexpr UINT WM_PAINT = 0x000F;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_QUIT = 0x0012;
constexpr UINT WM_ERASEBKGND = 0x0014;
constexpr UINT WM_SHOWWINDOW = 0x0018;
constexpr UINT WM_CANCELMODE = 0x001F;
constexpr UINT WM_SETCURSOR = 0x0020;
constexpr UINT WM_MOUSEACTIVATE = 0x0021;
constexpr UINT WM_WINDOWPOSCHANGED = 0x0047;
constexpr UINT WM_NCCREATE = 0x0081;
constexpr UINT WM_NCDESTROY = 0x0082;
constexpr UINT WM_NCHITTEST = 0x0084;
constexpr UINT WM_KEYDOWN = 0x0100;
constexpr UINT WM_KEYUP = 0x0101;
constexpr UINT WM_CHAR = 0x0102;
constexpr UINT WM_SYSKEYDOWN = 0x0104;
constexpr UINT WM_SYSKEYUP = 0x0105;
constexpr UINT WM_SYSCHAR = 0x0106;
constexpr UINT WM_SYSCOMMAND = 0x0112;
constexpr UINT WM_TIMER = 0x0113;
constexpr UINT WM_MOUSEMOVE = 0x0200;
constexpr UINT WM_LBUTTONDOWN = 0x0201;
constexpr UINT WM_LBUTTONUP = 0x0202;
constexpr UINT WM_LBUTTONDBLCLK = 0x0203;
constexpr UINT WM_RBUTTONDOWN = 0x0204;
constexpr UINT WM_RBUTTONUP = 0x0205;
constexpr UINT WM_RBUTTONDBLCLK = 0x0206;
constexpr UINT WM_MBUTTONDOWN = 0x0207;
constexpr UINT WM_MBUTTONUP = 0x0208;
constexpr UINT WM_MBUTTONDBLCLK = 0x0209;
constexpr UINT WM_MOUSEWHEEL = 0x020A;
constexpr UINT WM_CAPTURECHANGED = 0x0215;
constexpr UINT WM_MOUSELEAVE = 0x02A3;
// Asks a window to paint its client area into the DC in wParam (lParam: PRF_* flags).
constexpr UINT WM_PRINTCLIENT = 0x0318;
constexpr UINT WM_USER = 0x0400;

// WM_ACTIVATE states, WM_SIZE kinds, WM_SYSCOMMAND commands, hit-test codes.
constexpr WORD WA_INACTIVE = 0;
constexpr WORD WA_ACTIVE = 1;
constexpr WORD WA_CLICKACTIVE = 2;
constexpr WPARAM SIZE_RESTORED = 0;
constexpr WPARAM SIZE_MINIMIZED = 1;
constexpr WPARAM SC_MINIMIZE = 0xF020;
constexpr WPARAM SC_CLOSE = 0xF060;
constexpr WPARAM SC_RESTORE = 0xF120;
constexpr int HTERROR = -2;
constexpr int HTNOWHERE = 0;
constexpr int HTCLIENT = 1;
constexpr LRESULT MA_ACTIVATE = 1;
constexpr LPARAM PRF_CLIENT = 0x0004;

// Mouse key flags of the mouse messages' wParam.
constexpr WPARAM MK_LBUTTON = 0x0001;
constexpr WPARAM MK_RBUTTON = 0x0002;
constexpr WPARAM MK_SHIFT = 0x0004;
constexpr WPARAM MK_CONTROL = 0x0008;
constexpr WPARAM MK_MBUTTON = 0x0010;
constexpr int WHEEL_DELTA = 120;

struct MSG {
  HWND hwnd = nullptr;
  UINT message = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  DWORD time = 0;
  POINT pt;
  DWORD lPrivate = 0;  // key messages: the character the key produced, 0 for none
};

constexpr UINT PM_NOREMOVE = 0x0000;
constexpr UINT PM_REMOVE = 0x0001;

constexpr WORD LOWORD(std::uintptr_t v) { return WORD(v & 0xFFFF); }
constexpr WORD HIWORD(std::uintptr_t v) { return WORD((v >> 16) & 0xFFFF); }
constexpr LPARAM MAKELPARAM(int low, int high) {
  return LPARAM(std::int32_t(std::uint32_t(WORD(low)) | (std::uint32_t(WORD(high)) << 16)));
}
constexpr WPARAM MAKEWPARAM(int low, int high) {
  return WPARAM(std::uint32_t(WORD(low)) | (std::uint32_t(WORD(high)) << 16));
}
// Signed coordinates out of a mouse message's lParam (negative off the left/top edge).
constexpr int GET_X_LPARAM(LPARAM lp) { return int(std::int16_t(LOWORD(std::uintptr_t(lp)))); }
constexpr int GET_Y_LPARAM(LPARAM lp) { return int(std::int16_t(HIWORD(std::uintptr_t(lp)))); }
constexpr int GET_WHEEL_DELTA_WPARAM(WPARAM wp) { return int(std::int16_t(HIWORD(wp))); }

// Retrieval order: posted messages and input in arrival order, then the quit request,
// then WM_PAINT, then WM_TIMER. GetMessageA blocks; it returns 0 for WM_QUIT and -1 when
// nothing can ever arrive (headless with no input source and no timer).
BOOL GetMessageA(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax);
BOOL PeekMessageA(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT remove);
// Keys that produce a character post WM_CHAR (WM_SYSCHAR for system keys) behind them.
BOOL TranslateMessage(const MSG* msg);
LRESULT DispatchMessageA(const MSG* msg);
BOOL PostMessageA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// Calls the window procedure directly; 0 for a window that does not exist.
LRESULT SendMessageA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// Requests the end of the message loop; GetMessageA returns 0 once every message posted
// before the request (and since) has been retrieved.
void PostQuitMessage(int exitCode);
// Blocks until a message or input is available.
BOOL WaitMessage();
// Like WaitMessage but gives up after timeoutMs; TRUE when something arrived.
BOOL WaitMessageTimeout(int timeoutMs);
// Reads every pending input event and dispatches all posted messages and paints until
// nothing is left; a quit request stays pending. Returns the number of messages handled.
int PumpPendingMessages();
// True (with the exit code) while a quit request waits to be retrieved.
bool QuitRequested(int* exitCode = nullptr);

// Descriptors that the message wait watches beside the window system's own, served by the
// same wait (no thread, no polling): an accessibility bridge's bus connections. Prepare
// lists them and returns the longest wait it allows in milliseconds (-1: any); Dispatch
// runs after every wait that listed them, with each one's returned events (poll's bits).
struct WaitDescriptor {
  int fd = -1;
  short events = 0;
  short revents = 0;
};
class ExternalWaitSource {
 public:
  virtual ~ExternalWaitSource() = default;
  virtual int Prepare(std::vector<WaitDescriptor>& descriptors) = 0;
  virtual void Dispatch(std::vector<WaitDescriptor>& descriptors) = 0;
};
// One source at a time on the current window system (null removes it). Only the X11
// backend waits on descriptors; the others ignore the source.
void SetExternalWaitSource(ExternalWaitSource* source);

using TIMERPROC = void (*)(HWND, UINT, UINT_PTR, DWORD);
UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapseMs, TIMERPROC proc);
BOOL KillTimer(HWND hwnd, UINT_PTR id);

// ---------------------------------------------------------------------------------------
// Window classes and windows

struct WNDCLASSA {
  UINT style = 0;
  WNDPROC lpfnWndProc = nullptr;
  int cbClsExtra = 0;
  int cbWndExtra = 0;
  HINSTANCE hInstance = nullptr;
  HICON hIcon = nullptr;
  HCURSOR hCursor = nullptr;
  HBRUSH hbrBackground = nullptr;  // also COLOR_xxx + 1, as Win32 allows
  LPCSTR lpszMenuName = nullptr;
  LPCSTR lpszClassName = nullptr;
};

struct CREATESTRUCTA {
  void* lpCreateParams = nullptr;
  HINSTANCE hInstance = nullptr;
  HMENU hMenu = nullptr;
  HWND hwndParent = nullptr;
  int cy = 0, cx = 0, y = 0, x = 0;
  LONG style = 0;
  LPCSTR lpszName = nullptr;
  LPCSTR lpszClass = nullptr;
  DWORD dwExStyle = 0;
};

struct WINDOWPOS {
  HWND hwnd = nullptr;
  HWND hwndInsertAfter = nullptr;
  int x = 0, y = 0, cx = 0, cy = 0;
  UINT flags = 0;
};

// Class names compare without regard to letter case. Registering a name twice fails (0).
ATOM RegisterClassA(const WNDCLASSA* wc);
BOOL UnregisterClassA(LPCSTR className, HINSTANCE instance);
BOOL GetClassInfoA(HINSTANCE instance, LPCSTR className, WNDCLASSA* out);

// parent is the parent of a WS_CHILD window and the owner of any other (an owner that is
// itself a child is replaced by its top-level window, as Win32 does). menu is the child
// id of a child window. Returns null when WM_NCCREATE returns FALSE or WM_CREATE -1.
HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR title, DWORD style, int x, int y,
                     int width, int height, HWND parent, HMENU menu, HINSTANCE instance, void* param);
// Destroys owned windows and children too: WM_DESTROY parent first, WM_NCDESTROY children
// first.
BOOL DestroyWindow(HWND hwnd);
LRESULT DefWindowProcA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT CallWindowProcA(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
BOOL IsWindow(HWND hwnd);

constexpr int GWLP_WNDPROC = -4;
constexpr int GWLP_HINSTANCE = -6;
constexpr int GWLP_HWNDPARENT = -8;
constexpr int GWLP_ID = -12;
constexpr int GWL_STYLE = -16;
constexpr int GWL_EXSTYLE = -20;
constexpr int GWLP_USERDATA = -21;
// Indexes 0.. address the class's cbWndExtra bytes in LONG_PTR steps.
LONG_PTR GetWindowLongPtrA(HWND hwnd, int index);
LONG_PTR SetWindowLongPtrA(HWND hwnd, int index, LONG_PTR value);

constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_SHOWMINIMIZED = 2;
constexpr int SW_SHOWMAXIMIZED = 3;
constexpr int SW_SHOWNOACTIVATE = 4;
constexpr int SW_SHOW = 5;
constexpr int SW_MINIMIZE = 6;
constexpr int SW_SHOWMINNOACTIVE = 7;
constexpr int SW_SHOWNA = 8;
constexpr int SW_RESTORE = 9;
constexpr int SW_SHOWDEFAULT = 10;
// Returns whether the window was visible before.
BOOL ShowWindow(HWND hwnd, int cmd);
BOOL IsWindowVisible(HWND hwnd);  // the window and all its ancestors are visible
BOOL IsIconic(HWND hwnd);

inline HWND const HWND_TOP = nullptr;
inline HWND const HWND_BOTTOM = reinterpret_cast<HWND>(std::intptr_t(1));
inline HWND const HWND_TOPMOST = reinterpret_cast<HWND>(std::intptr_t(-1));
inline HWND const HWND_NOTOPMOST = reinterpret_cast<HWND>(std::intptr_t(-2));
constexpr UINT SWP_NOSIZE = 0x0001;
constexpr UINT SWP_NOMOVE = 0x0002;
constexpr UINT SWP_NOZORDER = 0x0004;
constexpr UINT SWP_NOREDRAW = 0x0008;
constexpr UINT SWP_NOACTIVATE = 0x0010;
constexpr UINT SWP_FRAMECHANGED = 0x0020;
constexpr UINT SWP_SHOWWINDOW = 0x0040;
constexpr UINT SWP_HIDEWINDOW = 0x0080;
constexpr UINT SWP_NOOWNERZORDER = 0x0200;
// Positions are parent-client coordinates for children, screen coordinates otherwise.
// Sends WM_WINDOWPOSCHANGED, whose default handling sends WM_MOVE and WM_SIZE.
BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int width, int height, UINT flags);
BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint);
BOOL GetClientRect(HWND hwnd, RECT* r);
BOOL GetWindowRect(HWND hwnd, RECT* r);  // screen coordinates
// No non-client area is drawn, so the window rectangle equals the client rectangle.
BOOL AdjustWindowRectEx(RECT* r, DWORD style, BOOL menu, DWORD exStyle);
// The frame a window manager draws around a top-level window of these styles: the widths of
// its left, top, right and bottom sides in *extents. FALSE when no frame of the desktop's is
// known (no window manager, or one that does not tell), so the caller's own metrics stand.
BOOL GetDesktopFrameExtents(DWORD style, DWORD exStyle, RECT* extents);
BOOL ClientToScreen(HWND hwnd, POINT* p);
BOOL ScreenToClient(HWND hwnd, POINT* p);
// from/to null stand for the screen. Returns MAKELONG(dx, dy) of the applied offset.
int MapWindowPoints(HWND from, HWND to, POINT* points, UINT count);

// GetParent: the parent of a child window, the owner of a WS_POPUP window, else null.
HWND GetParent(HWND hwnd);
// Re-parents a child window under another window (both must exist; new parent not null).
HWND SetParent(HWND child, HWND newParent);
constexpr UINT GW_HWNDFIRST = 0;
constexpr UINT GW_HWNDLAST = 1;
constexpr UINT GW_HWNDNEXT = 2;  // next lower in z-order
constexpr UINT GW_HWNDPREV = 3;  // next higher in z-order
constexpr UINT GW_OWNER = 4;
constexpr UINT GW_CHILD = 5;     // the topmost child
constexpr UINT GW_ENABLEDPOPUP = 6;
HWND GetWindow(HWND hwnd, UINT cmd);
constexpr UINT GA_PARENT = 1;
constexpr UINT GA_ROOT = 2;
constexpr UINT GA_ROOTOWNER = 3;
HWND GetAncestor(HWND hwnd, UINT flags);
BOOL IsChild(HWND parent, HWND hwnd);  // hwnd is a descendant of parent

// Texts are ANSI (Windows-1252); native titles receive them as UTF-8 as well.
BOOL SetWindowTextA(HWND hwnd, LPCSTR text);
int GetWindowTextA(HWND hwnd, char* buffer, int size);
int GetWindowTextLengthA(HWND hwnd);

// The deepest visible, enabled window at a screen point (disabled children let the point
// through to their parent); null over no window of ours or over a disabled top-level.
HWND WindowFromPoint(POINT screen);
constexpr UINT CWP_ALL = 0;
constexpr UINT CWP_SKIPINVISIBLE = 1;
constexpr UINT CWP_SKIPDISABLED = 2;
// The direct child containing a client point, the parent itself when none does, null
// outside the parent's client area.
HWND ChildWindowFromPoint(HWND parent, POINT client);
HWND ChildWindowFromPointEx(HWND parent, POINT client, UINT flags);

BOOL BringWindowToTop(HWND hwnd);
BOOL SetForegroundWindow(HWND hwnd);
HWND GetForegroundWindow();
HWND SetActiveWindow(HWND hwnd);
HWND GetActiveWindow();

constexpr int SM_CXSCREEN = 0;
constexpr int SM_CYSCREEN = 1;
constexpr int SM_CXVSCROLL = 2;
constexpr int SM_CYHSCROLL = 3;
constexpr int SM_CYCAPTION = 4;
constexpr int SM_CXBORDER = 5;
constexpr int SM_CYBORDER = 6;
constexpr int SM_CXDLGFRAME = 7;
constexpr int SM_CYDLGFRAME = 8;
constexpr int SM_CXICON = 11;
constexpr int SM_CYICON = 12;
constexpr int SM_CXCURSOR = 13;
constexpr int SM_CYCURSOR = 14;
constexpr int SM_CYMENU = 15;
constexpr int SM_CXFULLSCREEN = 16;
constexpr int SM_CYFULLSCREEN = 17;
constexpr int SM_SWAPBUTTON = 23;
constexpr int SM_CXFRAME = 32;
constexpr int SM_CYFRAME = 33;
constexpr int SM_CXDOUBLECLK = 36;
constexpr int SM_CYDOUBLECLK = 37;
constexpr int SM_CMOUSEBUTTONS = 43;
constexpr int SM_CXEDGE = 45;
constexpr int SM_CYEDGE = 46;
constexpr int SM_CXSMICON = 49;
constexpr int SM_CYSMICON = 50;
constexpr int SM_CXMENUCHECK = 71;
constexpr int SM_CYMENUCHECK = 72;
int GetSystemMetrics(int index);
// Pixels per inch of the current window system (96 without one), and of the screen a window
// is on (the system's, except where the system tells a window's own).
constexpr int kMinPixelsPerInch = 24;
constexpr int kMaxPixelsPerInch = 960;
UINT GetDpiForSystem();
UINT GetDpiForWindow(HWND hwnd);
constexpr UINT SPI_GETWORKAREA = 0x0030;
// The part of the screen that windows may use (the screen less panels of the desktop).
RECT GetWorkArea();
// Moves r (without resizing, unless it is larger than the work area) so that it lies on
// the work area. Menus and other popups use it before they are shown.
RECT ClampRectToWorkArea(const RECT& r);

// ---------------------------------------------------------------------------------------
// Painting

struct PAINTSTRUCT {
  HDC hdc = nullptr;
  BOOL fErase = FALSE;  // the background still needs erasing (WM_ERASEBKGND returned 0)
  RECT rcPaint;         // client coordinates
  BOOL fRestore = FALSE;
  BOOL fIncUpdate = FALSE;
  BYTE rgbReserved[32] = {};
};

// rect null: the whole client area. Invalid areas accumulate (as their bounding box)
// until the window is painted.
BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase);
BOOL ValidateRect(HWND hwnd, const RECT* rect);
BOOL GetUpdateRect(HWND hwnd, RECT* rect, BOOL erase);
// Paints the window at once when it has an invalid area.
BOOL UpdateWindow(HWND hwnd);
constexpr UINT RDW_INVALIDATE = 0x0001;
constexpr UINT RDW_INTERNALPAINT = 0x0002;
constexpr UINT RDW_ERASE = 0x0004;
constexpr UINT RDW_VALIDATE = 0x0008;
constexpr UINT RDW_NOERASE = 0x0020;
constexpr UINT RDW_NOCHILDREN = 0x0040;
constexpr UINT RDW_ALLCHILDREN = 0x0080;
constexpr UINT RDW_UPDATENOW = 0x0100;
constexpr UINT RDW_ERASENOW = 0x0200;
constexpr UINT RDW_FRAME = 0x0400;
// The region argument is not supported (pass null).
BOOL RedrawWindow(HWND hwnd, const RECT* rect, HRGN region, UINT flags);
// The DC draws into the top-level window's back buffer with the window's client origin,
// clipped to the invalid area and the window's visible part.
HDC BeginPaint(HWND hwnd, PAINTSTRUCT* ps);
BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* ps);
// GetDC(hwnd) / ReleaseDC (declared with the device contexts) give the same kind of DC
// without the invalid-area clip; what it draws is presented at the next message retrieval.

// ---------------------------------------------------------------------------------------
// Input, focus and capture

constexpr UINT VK_LBUTTON = 0x01;
constexpr UINT VK_RBUTTON = 0x02;
constexpr UINT VK_CANCEL = 0x03;
constexpr UINT VK_MBUTTON = 0x04;
constexpr UINT VK_BACK = 0x08;
constexpr UINT VK_TAB = 0x09;
constexpr UINT VK_CLEAR = 0x0C;
constexpr UINT VK_RETURN = 0x0D;
constexpr UINT VK_SHIFT = 0x10;
constexpr UINT VK_CONTROL = 0x11;
constexpr UINT VK_MENU = 0x12;
constexpr UINT VK_PAUSE = 0x13;
constexpr UINT VK_CAPITAL = 0x14;
constexpr UINT VK_ESCAPE = 0x1B;
constexpr UINT VK_SPACE = 0x20;
constexpr UINT VK_PRIOR = 0x21;
constexpr UINT VK_NEXT = 0x22;
constexpr UINT VK_END = 0x23;
constexpr UINT VK_HOME = 0x24;
constexpr UINT VK_LEFT = 0x25;
constexpr UINT VK_UP = 0x26;
constexpr UINT VK_RIGHT = 0x27;
constexpr UINT VK_DOWN = 0x28;
constexpr UINT VK_SNAPSHOT = 0x2C;
constexpr UINT VK_INSERT = 0x2D;
constexpr UINT VK_DELETE = 0x2E;
constexpr UINT VK_HELP = 0x2F;
constexpr UINT VK_LWIN = 0x5B;
constexpr UINT VK_RWIN = 0x5C;
constexpr UINT VK_APPS = 0x5D;
constexpr UINT VK_NUMPAD0 = 0x60;
constexpr UINT VK_MULTIPLY = 0x6A;
constexpr UINT VK_ADD = 0x6B;
constexpr UINT VK_SUBTRACT = 0x6D;
constexpr UINT VK_DECIMAL = 0x6E;
constexpr UINT VK_DIVIDE = 0x6F;
constexpr UINT VK_F1 = 0x70;  // VK_F1 + n for F(n + 1), up to F24
constexpr UINT VK_F2 = 0x71;
constexpr UINT VK_F3 = 0x72;
constexpr UINT VK_F4 = 0x73;
constexpr UINT VK_F5 = 0x74;
constexpr UINT VK_F10 = 0x79;
constexpr UINT VK_F12 = 0x7B;
constexpr UINT VK_NUMLOCK = 0x90;
constexpr UINT VK_SCROLL = 0x91;
constexpr UINT VK_OEM_1 = 0xBA;       // ;:
constexpr UINT VK_OEM_PLUS = 0xBB;    // =+
constexpr UINT VK_OEM_COMMA = 0xBC;   // ,<
constexpr UINT VK_OEM_MINUS = 0xBD;   // -_
constexpr UINT VK_OEM_PERIOD = 0xBE;  // .>
constexpr UINT VK_OEM_2 = 0xBF;       // /?
constexpr UINT VK_OEM_3 = 0xC0;       // `~
constexpr UINT VK_OEM_4 = 0xDB;       // [{
constexpr UINT VK_OEM_5 = 0xDC;       // \|
constexpr UINT VK_OEM_6 = 0xDD;       // ]}
constexpr UINT VK_OEM_7 = 0xDE;       // '"
// Letters and digits use their upper-case ASCII codes ('A'..'Z', '0'..'9').

// High bit (0x8000 as SHORT, negative) while down; low bit toggles per press.
std::int16_t GetKeyState(int vk);       // as of the last retrieved message
std::int16_t GetAsyncKeyState(int vk);  // as of the last input event read
BOOL GetCursorPos(POINT* p);

// Focus: WM_KILLFOCUS (wParam: the new focus) to the old window, then WM_SETFOCUS
// (wParam: the old focus) to the new. Focusing a window activates its top-level window.
// Disabled or hidden windows cannot take the focus (null result).
HWND SetFocus(HWND hwnd);
HWND GetFocus();
// Disabling a window takes the focus and the capture away from it and its children; a
// disabled top-level window receives no input at all (the owner of a modal dialog).
// Returns whether the window was disabled before.
BOOL EnableWindow(HWND hwnd, BOOL enable);
BOOL IsWindowEnabled(HWND hwnd);

// While a window holds the capture every mouse message goes to it, in its client
// coordinates. The window losing it receives WM_CAPTURECHANGED (lParam: the new one).
HWND SetCapture(HWND hwnd);
BOOL ReleaseCapture();
HWND GetCapture();

constexpr DWORD TME_LEAVE = 0x00000002;
constexpr DWORD TME_CANCEL = 0x80000000;
struct TRACKMOUSEEVENT {
  DWORD cbSize = sizeof(TRACKMOUSEEVENT);
  DWORD dwFlags = 0;
  HWND hwndTrack = nullptr;
  DWORD dwHoverTime = 0;
};
// TME_LEAVE: one WM_MOUSELEAVE when the pointer leaves the window (posted at once when it
// is not over the window now).
BOOL TrackMouseEvent(TRACKMOUSEEVENT* tme);

// ---------------------------------------------------------------------------------------
// Popups
//
// A WS_POPUP window without WS_CAPTION is a popup (menu, drop-down): a native window that
// the window manager neither decorates nor moves, that may extend beyond its owner and
// that does not take the activation. While shown it holds the pointer and keyboard grab
// (unless it has WS_EX_NOACTIVATE or WS_EX_TRANSPARENT): keyboard input goes to it (or to
// its focused child), and a mouse button press or release outside every grabbing popup is
// delivered to the most recently shown one as an ordinary WM_xBUTTONDOWN/UP whose
// coordinates lie outside its client rectangle, as a menu holding the capture sees it.
// A WS_POPUP window with WS_CAPTION is an ordinary (dialog) window.

// ---------------------------------------------------------------------------------------
// Cursors

// Win32's MAKEINTRESOURCE for the stock cursor numbers.
inline LPCSTR MAKEINTRESOURCEA(int id) { return reinterpret_cast<LPCSTR>(std::uintptr_t(WORD(id))); }
inline bool IS_INTRESOURCE(LPCSTR p) { return (reinterpret_cast<std::uintptr_t>(p) >> 16) == 0; }
inline LPCSTR const IDC_ARROW = reinterpret_cast<LPCSTR>(std::uintptr_t(32512));
inline LPCSTR const IDC_IBEAM = reinterpret_cast<LPCSTR>(std::uintptr_t(32513));
inline LPCSTR const IDC_WAIT = reinterpret_cast<LPCSTR>(std::uintptr_t(32514));
inline LPCSTR const IDC_CROSS = reinterpret_cast<LPCSTR>(std::uintptr_t(32515));
inline LPCSTR const IDC_UPARROW = reinterpret_cast<LPCSTR>(std::uintptr_t(32516));
inline LPCSTR const IDC_SIZENWSE = reinterpret_cast<LPCSTR>(std::uintptr_t(32642));
inline LPCSTR const IDC_SIZENESW = reinterpret_cast<LPCSTR>(std::uintptr_t(32643));
inline LPCSTR const IDC_SIZEWE = reinterpret_cast<LPCSTR>(std::uintptr_t(32644));
inline LPCSTR const IDC_SIZENS = reinterpret_cast<LPCSTR>(std::uintptr_t(32645));
inline LPCSTR const IDC_SIZEALL = reinterpret_cast<LPCSTR>(std::uintptr_t(32646));
inline LPCSTR const IDC_NO = reinterpret_cast<LPCSTR>(std::uintptr_t(32648));
inline LPCSTR const IDC_HAND = reinterpret_cast<LPCSTR>(std::uintptr_t(32649));
inline LPCSTR const IDC_APPSTARTING = reinterpret_cast<LPCSTR>(std::uintptr_t(32650));
inline LPCSTR const IDC_HELP = reinterpret_cast<LPCSTR>(std::uintptr_t(32651));

// A stock cursor, shared (never destroyed). Named cursors of a module are not supported
// (null). Valid before the window system starts.
HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name);
// The stock cursor number of a cursor (32512 for the arrow, ...), 0 for null.
int CursorId(HCURSOR cursor);
// Sets the cursor shown while the pointer is over the application's windows; returns the
// previous one. DefWindowProcA sets the class cursor on WM_SETCURSOR.
HCURSOR SetCursor(HCURSOR cursor);
// An application-wide cursor that wins over every window's cursor while set (the busy
// hourglass); null removes it. Takes effect at once on every window. Returns the old one.
HCURSOR SetOverrideCursor(HCURSOR cursor);
HCURSOR GetOverrideCursor();

// ---------------------------------------------------------------------------------------
// Window icons
//
// The picture the desktop shows for a top-level window in its task bar, window switcher
// and title bar. An icon holds the same picture in several sizes; each place takes the
// size that suits it.

// One size of an icon: width x height pixels, each 0xAARRGGBB with straight (not
// premultiplied) alpha, rows top-down without padding.
struct IconPixels {
  int width = 0;
  int height = 0;
  const std::uint32_t* argb = nullptr;
};
constexpr int kMaxIconSide = 1024;
constexpr std::size_t kMaxIconPixels = std::size_t(1) << 20;  // all sizes of one icon together
// Gives the top-level window hwnd an icon of its own or, with hwnd null, sets the
// application icon, which every top-level window of the current window system shows
// unless it has its own: those that exist and those made later. The pixels are copied;
// count 0 removes the icon. FALSE, changing nothing, for a child or unknown window, a size
// without pixels or with a side outside 1..kMaxIconSide, or more than kMaxIconPixels in
// all. Menu popups show no icon.
BOOL SetWindowIconPixels(HWND hwnd, const IconPixels* sizes, int count);
