// The X11 backend: each top-level window and popup is an X window that shows the window's
// back buffer, presented through MIT-SHM (XPutImage when shared memory is unavailable). On
// 15- and 16-bit displays the 32-bit back buffer is converted to the screen's pixels as it
// is presented.
// Input events are translated and handed to the core's routing.
//
// Sections: keys and event channels / visuals and the screen's density / native windows
// and their decoration / window-manager frames and size hints / back buffers: shared
// memory, 15/16-bit frames / showing, moving, titles, icons / presenting and exposure /
// cursors and grabs / events and waiting / the backend's factory.
#include <poll.h>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <map>
#include <optional>
#include <thread>

#include "platform/base/cp1252.h"
#include "platform/gdi/surface.h"
#include "platform/win/win_internal.h"

// Xlib's own `Window` (an XID) would collide with the window record; here it is XWindow.
#define Window XWindow
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/cursorfont.h>
#include <X11/extensions/XShm.h>
#include <X11/keysym.h>
#undef Window

namespace {

// Errors are expected in a few places (a focus request on a window that is not yet
// viewable, a shared-memory attach on a remote display); the default handler would end
// the program.
int g_lastXError = 0;
int IgnoreXError(Display*, XErrorEvent* e) {
  g_lastXError = e->error_code;
  return 0;
}

struct X11Native {
  XWindow xwin = 0;
  GC gc = nullptr;
  XImage* image = nullptr;  // the back buffer as a shared-memory image (the bitmap owns the memory)
  XShmSegmentInfo shm{};
  bool shmAttached = false;
  // On a 15/16-bit display: the frame in the screen's pixels, shared with the server when
  // frameShm is attached, else our own memory.
  XImage* frame = nullptr;
  XShmSegmentInfo frameShm{};
  bool frameShared = false;
  bool viewable = false;
  bool focusWanted = false;
};

X11Native* Native(Window* w) { return static_cast<X11Native*>(w->native); }

// One colour of a true-colour visual: where its bits sit in a pixel and how many there are.
struct Channel {
  int shift = 0, bits = 0;
};
Channel ChannelOf(unsigned long mask) {
  Channel c;
  for (; mask && !(mask & 1); mask >>= 1) ++c.shift;
  for (; mask & 1; mask >>= 1) ++c.bits;
  return c;
}

UINT KeysymToVk(KeySym ks) {
  if (ks >= XK_a && ks <= XK_z) return UINT('A' + (ks - XK_a));
  if (ks >= XK_A && ks <= XK_Z) return UINT('A' + (ks - XK_A));
  if (ks >= XK_0 && ks <= XK_9) return UINT('0' + (ks - XK_0));
  if (ks >= XK_F1 && ks <= XK_F24) return UINT(VK_F1 + (ks - XK_F1));
  if (ks >= XK_KP_0 && ks <= XK_KP_9) return UINT(VK_NUMPAD0 + (ks - XK_KP_0));
  switch (ks) {
    case XK_BackSpace: return VK_BACK;
    case XK_Tab:
    case XK_ISO_Left_Tab: return VK_TAB;
    case XK_Return:
    case XK_KP_Enter: return VK_RETURN;
    case XK_Escape: return VK_ESCAPE;
    case XK_space: return VK_SPACE;
    case XK_Prior:
    case XK_KP_Prior: return VK_PRIOR;
    case XK_Next:
    case XK_KP_Next: return VK_NEXT;
    case XK_End:
    case XK_KP_End: return VK_END;
    case XK_Home:
    case XK_KP_Home: return VK_HOME;
    case XK_Left:
    case XK_KP_Left: return VK_LEFT;
    case XK_Up:
    case XK_KP_Up: return VK_UP;
    case XK_Right:
    case XK_KP_Right: return VK_RIGHT;
    case XK_Down:
    case XK_KP_Down: return VK_DOWN;
    case XK_Insert:
    case XK_KP_Insert: return VK_INSERT;
    case XK_Delete:
    case XK_KP_Delete: return VK_DELETE;
    case XK_Shift_L:
    case XK_Shift_R: return VK_SHIFT;
    case XK_Control_L:
    case XK_Control_R: return VK_CONTROL;
    case XK_Alt_L:
    case XK_Alt_R:
    case XK_Meta_L:
    case XK_Meta_R: return VK_MENU;
    case XK_Super_L: return VK_LWIN;
    case XK_Super_R: return VK_RWIN;
    case XK_Menu: return VK_APPS;
    case XK_Pause: return VK_PAUSE;
    case XK_Caps_Lock: return VK_CAPITAL;
    case XK_Num_Lock: return VK_NUMLOCK;
    case XK_Scroll_Lock: return VK_SCROLL;
    case XK_Print: return VK_SNAPSHOT;
    case XK_KP_Multiply: return VK_MULTIPLY;
    case XK_KP_Add: return VK_ADD;
    case XK_KP_Subtract: return VK_SUBTRACT;
    case XK_KP_Decimal: return VK_DECIMAL;
    case XK_KP_Divide: return VK_DIVIDE;
    case XK_semicolon: return VK_OEM_1;
    case XK_equal: return VK_OEM_PLUS;
    case XK_comma: return VK_OEM_COMMA;
    case XK_minus: return VK_OEM_MINUS;
    case XK_period: return VK_OEM_PERIOD;
    case XK_slash: return VK_OEM_2;
    case XK_grave: return VK_OEM_3;
    case XK_bracketleft: return VK_OEM_4;
    case XK_backslash: return VK_OEM_5;
    case XK_bracketright: return VK_OEM_6;
    case XK_apostrophe: return VK_OEM_7;
    default: return 0;
  }
}

class X11Backend final : public winsys::Backend {
 public:
  X11Backend(Display* dpy, const WindowSystemOptions& options) : dpy_(dpy), resClass_(options.applicationClass) {
    screen_ = DefaultScreen(dpy_);
    root_ = RootWindow(dpy_, screen_);
    oldHandler_ = XSetErrorHandler(&IgnoreXError);
    const char* names[] = {"WM_PROTOCOLS", "WM_DELETE_WINDOW", "_NET_WM_NAME", "UTF8_STRING",
                           "_NET_WM_WINDOW_TYPE", "_NET_WM_WINDOW_TYPE_NORMAL", "_NET_WM_WINDOW_TYPE_DIALOG",
                           "_NET_WM_WINDOW_TYPE_POPUP_MENU", "_NET_WM_STATE", "_NET_WM_STATE_ABOVE",
                           "_NET_WM_STATE_SKIP_TASKBAR", "_NET_WORKAREA", "_NET_WM_PID", "_MOTIF_WM_HINTS",
                           "_NET_WM_ICON", "_NET_REQUEST_FRAME_EXTENTS", "_NET_FRAME_EXTENTS",
                           "_NET_SUPPORTED", "_NET_SUPPORTING_WM_CHECK", "_NET_WM_STATE_MODAL"};
    XInternAtoms(dpy_, const_cast<char**>(names), int(std::size(names)), False, atoms_);
    int major = 0, minor = 0;
    Bool pixmaps = False;
    int opcode = 0, event = 0, error = 0;  // asked first: probing a missing one makes Xlib complain
    shm_ = options.useSharedMemory && XQueryExtension(dpy_, "MIT-SHM", &opcode, &event, &error) &&
           XShmQueryVersion(dpy_, &major, &minor, &pixmaps);
    start_ = std::chrono::steady_clock::now();
  }
  ~X11Backend() override {
    for (auto& c : cursors_) XFreeCursor(dpy_, c.second);
    XCloseDisplay(dpy_);
    XSetErrorHandler(oldHandler_);
  }

  bool ChooseVisual(std::string* error) {
    XVisualInfo vi;
    if (!(XMatchVisualInfo(dpy_, screen_, 24, TrueColor, &vi) && vi.red_mask == 0xFF0000 &&
          vi.green_mask == 0xFF00 && vi.blue_mask == 0xFF) &&
        !ChooseConvertedVisual(&vi)) {
      *error = "The X display offers no 24-bit true-colour visual; the program needs one.";
      return false;
    }
    visual_ = vi.visual;
    depth_ = vi.depth;
    colormap_ = visual_ == DefaultVisual(dpy_, screen_) ? DefaultColormap(dpy_, screen_)
                                                         : XCreateColormap(dpy_, root_, visual_, AllocNone);
    return true;
  }

  // A 16- or 15-bit true-colour visual with 16-bit pixels: frames are converted for it.
  bool ChooseConvertedVisual(XVisualInfo* vi) {
    for (int depth : {16, 15}) {
      if (!XMatchVisualInfo(dpy_, screen_, depth, TrueColor, vi)) continue;
      int count = 0;
      XPixmapFormatValues* formats = XListPixmapFormats(dpy_, &count);
      bool sixteen = false;
      for (int i = 0; i < count; ++i) sixteen |= formats[i].depth == depth && formats[i].bits_per_pixel == 16;
      if (formats) XFree(formats);
      red_ = ChannelOf(vi->red_mask), green_ = ChannelOf(vi->green_mask), blue_ = ChannelOf(vi->blue_mask);
      converting_ = sixteen && red_.bits && green_.bits && blue_.bits;
      if (converting_) return true;
    }
    return false;
  }

  WindowBackend Kind() const override { return WindowBackend::X11; }
  bool UsesSharedMemory() const override { return shm_; }
  unsigned long NativeId(Window* w) override { return w->native ? Native(w)->xwin : 0; }

  RECT ScreenRect() override { return RECT{0, 0, DisplayWidth(dpy_, screen_), DisplayHeight(dpy_, screen_)}; }

  // The scale desktops set (and XWayland passes on) is the Xft.dpi resource of the root
  // window, which Xlib read when the display opened.
  int ScreenPixelsPerInch() override { return winsys::XftDpiFromResources(XResourceManagerString(dpy_)); }

  RECT WorkArea() override {
    Atom type;
    int format;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    RECT r = ScreenRect();
    if (XGetWindowProperty(dpy_, root_, atoms_[kWorkArea], 0, 4, False, XA_CARDINAL, &type, &format, &count,
                           &after, &data) == Success &&
        data && format == 32 && count >= 4) {
      auto* v = reinterpret_cast<long*>(data);
      RECT wa{LONG(v[0]), LONG(v[1]), LONG(v[0] + v[2]), LONG(v[1] + v[3])};
      if (!IsRectEmpty(wa)) r = wa;
    }
    if (data) XFree(data);
    return r;
  }

  void CreateNative(Window* top) override {
    auto* n = new X11Native;
    top->native = n;
    bool popup = top->IsMenuPopup();
    XSetWindowAttributes a{};
    a.background_pixmap = None;  // nothing is cleared: every visible pixel comes from a frame
    a.border_pixel = 0;
    a.colormap = colormap_;
    a.bit_gravity = NorthWestGravity;
    a.override_redirect = popup ? True : False;
    a.save_under = popup ? True : False;
    a.event_mask = ExposureMask | KeyPressMask | KeyReleaseMask | ButtonPressMask | ButtonReleaseMask |
                   PointerMotionMask | EnterWindowMask | LeaveWindowMask | FocusChangeMask | StructureNotifyMask;
    n->xwin = XCreateWindow(dpy_, root_, top->rect.left, top->rect.top, unsigned(std::max(1, top->Width())),
                            unsigned(std::max(1, top->Height())), 0, depth_, InputOutput, visual_,
                            CWBackPixmap | CWBorderPixel | CWColormap | CWBitGravity | CWOverrideRedirect |
                                CWSaveUnder | CWEventMask,
                            &a);
    n->gc = XCreateGC(dpy_, n->xwin, 0, nullptr);
    byWindow_[n->xwin] = top;

    if (!popup) {
      Atom protocols[] = {atoms_[kDeleteWindow]};
      XSetWMProtocols(dpy_, n->xwin, protocols, 1);
      XWMHints hints{};
      hints.flags = InputHint | StateHint;
      hints.input = True;
      hints.initial_state = NormalState;
      XSetWMHints(dpy_, n->xwin, &hints);
      long pid = long(getpid());
      XChangeProperty(dpy_, n->xwin, atoms_[kPid], XA_CARDINAL, 32, PropModeReplace,
                      reinterpret_cast<unsigned char*>(&pid), 1);
      XClassHint cls;
      std::string resName = program_invocation_short_name ? program_invocation_short_name : "program";
      std::string resClass = resClass_.empty() ? resName : resClass_;
      if (resClass_.empty() && !resClass.empty())
        resClass[0] = char(std::toupper(static_cast<unsigned char>(resClass[0])));
      cls.res_name = resName.data();
      cls.res_class = resClass.data();
      XSetClassHint(dpy_, n->xwin, &cls);
    }
    // A window owned by a hidden one (the application's own window) is a main window, not a
    // dialog: it keeps its task-bar entry and is not stacked over an invisible owner.
    bool ownedByShown = top->owner && top->owner->native && IsWindowVisible(top->owner);
    if (popup) {
      Atom type = atoms_[kTypePopupMenu];
      XChangeProperty(dpy_, n->xwin, atoms_[kWindowType], XA_ATOM, 32, PropModeReplace,
                      reinterpret_cast<unsigned char*>(&type), 1);
    } else {
      Decorate(n->xwin, top->style, top->exStyle, ownedByShown);
      std::vector<Atom> state;
      if (top->exStyle & WS_EX_TOPMOST) state.push_back(atoms_[kStateAbove]);
      if (top->exStyle & WS_EX_TOOLWINDOW) state.push_back(atoms_[kStateSkipTaskbar]);
      // A dialog frame over a shown owner is a modal box or dialog: the manager keeps it above.
      if (ownedByShown && (top->exStyle & WS_EX_DLGMODALFRAME)) state.push_back(atoms_[kStateModal]);
      if (!state.empty())
        XChangeProperty(dpy_, n->xwin, atoms_[kState], XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<unsigned char*>(state.data()), int(state.size()));
      if (ownedByShown) XSetTransientForHint(dpy_, n->xwin, Native(top->owner)->xwin);
      SizeHints(top);
    }
  }

  // What the window manager reads to decide on the frame: the window type, and which
  // title-bar buttons and frame functions it offers.
  void Decorate(XWindow xw, DWORD style, DWORD exStyle, bool dialog) {
    Atom type = atoms_[(dialog || (exStyle & WS_EX_DLGMODALFRAME)) ? kTypeDialog : kTypeNormal];
    XChangeProperty(dpy_, xw, atoms_[kWindowType], XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(&type), 1);
    long motif[5] = {1 | 2, 0, 0, 0, 0};  // functions and decorations given
    motif[1] = 4 | 32;                     // move, close
    motif[2] = 2 | 8;                      // border, title
    if (style & WS_THICKFRAME) motif[1] |= 2, motif[2] |= 4;
    if (style & WS_MINIMIZEBOX) motif[1] |= 8, motif[2] |= 32;
    if (style & WS_MAXIMIZEBOX) motif[1] |= 16, motif[2] |= 64;
    if (style & WS_SYSMENU) motif[2] |= 16;
    XChangeProperty(dpy_, xw, atoms_[kMotifHints], atoms_[kMotifHints], 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(motif), 5);
  }

  // The 32-bit items of a property, as many as there are up to `count`; empty when unset.
  std::vector<long> Cardinals(XWindow xw, Atom property, Atom type, long count) {
    Atom actual;
    int format = 0;
    unsigned long n = 0, after = 0;
    unsigned char* data = nullptr;
    std::vector<long> items;
    if (XGetWindowProperty(dpy_, xw, property, 0, count, False, type, &actual, &format, &n, &after, &data) ==
            Success &&
        data && format == 32)
      items.assign(reinterpret_cast<long*>(data), reinterpret_cast<long*>(data) + n);
    if (data) XFree(data);
    return items;
  }

  // A window manager that runs and answers frame-extent requests (EWMH).
  bool ManagerGivesFrames() {
    std::vector<long> check = Cardinals(root_, atoms_[kSupportingWmCheck], XA_WINDOW, 1);
    if (check.empty() || Cardinals(XWindow(check[0]), atoms_[kSupportingWmCheck], XA_WINDOW, 1) != check)
      return false;
    std::vector<long> supported = Cardinals(root_, atoms_[kSupported], XA_ATOM, 4096);
    return std::find(supported.begin(), supported.end(), long(atoms_[kRequestFrameExtents])) != supported.end();
  }

  // The window manager's frame for a window of these styles, asked once per kind before any
  // such window maps: a decorated stand-in that never shows, and the manager's estimate.
  bool FrameExtents(DWORD style, DWORD exStyle, RECT* extents) override {
    const std::pair<DWORD, DWORD> key{style & (WS_CAPTION | WS_THICKFRAME | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX),
                                      exStyle & WS_EX_DLGMODALFRAME};
    auto it = frames_.find(key);
    if (it == frames_.end()) it = frames_.emplace(key, AskFrameExtents(key.first, key.second)).first;
    if (it->second) *extents = *it->second;
    return it->second.has_value();
  }

  std::optional<RECT> AskFrameExtents(DWORD style, DWORD exStyle) {
    if (!ManagerGivesFrames()) return std::nullopt;
    XSetWindowAttributes a{};
    a.event_mask = PropertyChangeMask;
    XWindow probe = XCreateWindow(dpy_, root_, 0, 0, 1, 1, 0, CopyFromParent, InputOnly, CopyFromParent,
                                  CWEventMask, &a);
    Decorate(probe, style, exStyle, false);
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = probe;
    e.xclient.message_type = atoms_[kRequestFrameExtents];
    e.xclient.format = 32;
    XSendEvent(dpy_, root_, False, SubstructureRedirectMask | SubstructureNotifyMask, &e);
    XFlush(dpy_);
    std::vector<long> v;
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(500);
    while (v.size() < 4 && std::chrono::steady_clock::now() < until) {
      XEvent ev;
      if (XCheckTypedWindowEvent(dpy_, probe, PropertyNotify, &ev)) {
        v = Cardinals(probe, atoms_[kFrameExtents], XA_CARDINAL, 4);
        continue;
      }
      pollfd p{ConnectionNumber(dpy_), POLLIN, 0};
      poll(&p, 1, 10);
      XEventsQueued(dpy_, QueuedAfterReading);
    }
    XDestroyWindow(dpy_, probe);
    XFlush(dpy_);
    if (v.size() < 4) return std::nullopt;
    // The property's order: left, right, top, bottom.
    return RECT{LONG(v[0]), LONG(v[2]), LONG(v[1]), LONG(v[3])};
  }

  // Static gravity: the position the window manager is given is the client area's, wherever
  // the frame around it goes; without a manager it is the window's own.
  void SizeHints(Window* top) {
    XSizeHints* h = XAllocSizeHints();
    h->flags = PPosition | USPosition | PSize | USSize | PWinGravity;
    h->win_gravity = StaticGravity;
    h->x = top->rect.left;
    h->y = top->rect.top;
    h->width = std::max(1, top->Width());
    h->height = std::max(1, top->Height());
    if (!(top->style & WS_THICKFRAME)) {
      h->flags |= PMinSize | PMaxSize;
      h->min_width = h->max_width = h->width;
      h->min_height = h->max_height = h->height;
    }
    XSetWMNormalHints(dpy_, Native(top)->xwin, h);
    XFree(h);
  }

  // Lets the server go of the segment; our mapping goes with the back buffer bitmap.
  void FreeImage(X11Native* n) {
    if (!n->image) return;
    if (n->shmAttached) {
      XShmDetach(dpy_, &n->shm);
      n->shmAttached = false;
    }
    n->image->data = nullptr;  // not the image's to free
    XDestroyImage(n->image);
    n->image = nullptr;
  }

  void FreeFrame(X11Native* n) {
    if (!n->frame) return;
    if (n->frameShared) {
      XShmDetach(dpy_, &n->frameShm);
      shmdt(n->frame->data);
      n->frame->data = nullptr;
      n->frameShared = false;
    }
    XDestroyImage(n->frame);  // frees memory of our own
    n->frame = nullptr;
  }

  // Maps a segment of `bytes` and lets the server attach it; null when that fails (a remote
  // display cannot see our memory). The segment is marked for removal at once: it goes with
  // the last detach, even if we crash.
  void* AttachSegment(XShmSegmentInfo* shm, std::size_t bytes) {
    shm->shmid = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
    void* address = shm->shmid < 0 ? reinterpret_cast<void*>(-1) : shmat(shm->shmid, nullptr, 0);
    bool ok = address != reinterpret_cast<void*>(-1);
    if (ok) {
      shm->shmaddr = static_cast<char*>(address);
      shm->readOnly = False;
      g_lastXError = 0;
      ok = XShmAttach(dpy_, shm);
      if (ok) XSync(dpy_, False);
      ok = ok && !g_lastXError;
    }
    if (shm->shmid >= 0) shmctl(shm->shmid, IPC_RMID, nullptr);
    if (!ok && address != reinterpret_cast<void*>(-1)) shmdt(address);
    return ok ? address : nullptr;
  }

  // The image a frame of w x h is converted into on a 15/16-bit display, kept while the
  // size stays; in shared memory when the display allows it.
  XImage* FrameImage(X11Native* n, int w, int h) {
    if (n->frame && n->frame->width == w && n->frame->height == h) return n->frame;
    FreeFrame(n);
    if (shm_) {
      XImage* img = XShmCreateImage(dpy_, visual_, unsigned(depth_), ZPixmap, nullptr, &n->frameShm, unsigned(w),
                                    unsigned(h));
      void* address = img ? AttachSegment(&n->frameShm, std::size_t(img->bytes_per_line) * std::size_t(h)) : nullptr;
      if (address) {
        img->data = static_cast<char*>(address);
        n->frameShared = true;
        return n->frame = img;
      }
      if (img) XDestroyImage(img);
      shm_ = false;
    }
    XImage* img = XCreateImage(dpy_, visual_, unsigned(depth_), ZPixmap, 0, nullptr, unsigned(w), unsigned(h), 32, 0);
    if (img) img->data = static_cast<char*>(std::malloc(std::size_t(img->bytes_per_line) * std::size_t(h)));
    if (img && !img->data) XDestroyImage(img), img = nullptr;
    return n->frame = img;
  }

  // Puts the area of the back buffer into the frame image in the screen's 16-bit pixels.
  void Convert(const SurfaceView& bb, XImage* img, int x, int y, int right, int bottom) const {
    const bool lsb = img->byte_order == LSBFirst;
    for (int row = y; row < bottom; ++row) {
      const std::uint8_t* src = bb.Row(row) + x * 4;  // blue, green, red, unused
      auto* dst = reinterpret_cast<std::uint8_t*>(img->data) + std::size_t(row) * std::size_t(img->bytes_per_line);
      dst += x * 2;
      for (int col = x; col < right; ++col, src += 4, dst += 2) {
        unsigned p = unsigned(src[2] >> (8 - red_.bits)) << red_.shift |
                     unsigned(src[1] >> (8 - green_.bits)) << green_.shift |
                     unsigned(src[0] >> (8 - blue_.bits)) << blue_.shift;
        dst[lsb ? 0 : 1] = std::uint8_t(p);
        dst[lsb ? 1 : 0] = std::uint8_t(p >> 8);
      }
    }
  }

  static void DetachSegment(void* address) { shmdt(address); }

  // The back buffer lives in a segment shared with the server when the display allows it:
  // a frame then reaches the screen in one request, without a copy.
  HBITMAP NewBackBuffer(Window* top) override {
    X11Native* n = Native(top);
    if (!n) return nullptr;
    FreeImage(n);
    if (!shm_ || converting_) return nullptr;  // converted frames are drawn into a bitmap of ours
    const int w = std::max(1, top->Width()), h = std::max(1, top->Height());
    XImage* image = XShmCreateImage(dpy_, visual_, unsigned(depth_), ZPixmap, nullptr, &n->shm, unsigned(w), unsigned(h));
    // Our bitmaps are 32-bit rows without padding; a server that wants otherwise gets copies.
    if (!image || image->bits_per_pixel != 32 || image->bytes_per_line != w * 4) {
      if (image) XDestroyImage(image);
      shm_ = false;
      return nullptr;
    }
    void* address = AttachSegment(&n->shm, std::size_t(w) * 4 * std::size_t(h));
    HBITMAP bitmap = address ? CreateBitmapOverMemory(w, h, address, DetachSegment, address) : nullptr;
    if (!bitmap) {
      // A remote display cannot see our memory: present with XPutImage from now on.
      if (address) {
        XShmDetach(dpy_, &n->shm);
        shmdt(address);
      }
      XDestroyImage(image);
      shm_ = false;
      return nullptr;
    }
    image->data = static_cast<char*>(address);
    n->image = image;
    n->shmAttached = true;
    return bitmap;
  }

  // The back buffer is the shared image (rather than a bitmap of ours presented by copy).
  static bool Shared(X11Native* n, const SurfaceView& bb) {
    return n->image && n->shmAttached && reinterpret_cast<char*>(bb.Row(0)) == n->image->data;
  }

  void DestroyNative(Window* top) override {
    X11Native* n = Native(top);
    if (!n) return;
    if (grabbed_ == top) Ungrab();
    FreeImage(n);
    FreeFrame(n);
    byWindow_.erase(n->xwin);
    XFreeGC(dpy_, n->gc);
    XDestroyWindow(dpy_, n->xwin);
    XFlush(dpy_);
    delete n;
    top->native = nullptr;
  }

  void ShowNative(Window* top, bool show) override {
    X11Native* n = Native(top);
    if (show) {
      XMapRaised(dpy_, n->xwin);
    } else {
      XUnmapWindow(dpy_, n->xwin);
      n->viewable = false;
      n->focusWanted = false;
    }
    XFlush(dpy_);
    // A popup's grab needs it viewable; without a window manager mapping is immediate.
    if (show && top->IsMenuPopup()) WaitViewable(top);
  }

  void WaitViewable(Window* top) {
    X11Native* n = Native(top);
    for (int i = 0; i < 200 && !n->viewable; ++i) {
      XWindowAttributes wa;
      if (XGetWindowAttributes(dpy_, n->xwin, &wa) && wa.map_state == IsViewable) {
        n->viewable = true;
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }

  void MoveNative(Window* top) override {
    X11Native* n = Native(top);
    XMoveResizeWindow(dpy_, n->xwin, top->rect.left, top->rect.top, unsigned(std::max(1, top->Width())),
                      unsigned(std::max(1, top->Height())));
    if (!top->IsMenuPopup()) SizeHints(top);
    XFlush(dpy_);
  }

  void SetTitle(Window* top) override {
    X11Native* n = Native(top);
    if (!n || top->IsMenuPopup()) return;
    std::string latin = top->text;
    XStoreName(dpy_, n->xwin, latin.c_str());
    std::string utf8 = Cp1252ToUtf8(top->text);
    XChangeProperty(dpy_, n->xwin, atoms_[kNetWmName], atoms_[kUtf8], 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(utf8.data()), int(utf8.size()));
    XFlush(dpy_);
  }

  void SetIcon(Window* top, const std::vector<std::uint32_t>& icon) override {
    X11Native* n = Native(top);
    if (!n || top->IsMenuPopup()) return;
    if (icon.empty()) {
      XDeleteProperty(dpy_, n->xwin, atoms_[kNetWmIcon]);
    } else {
      // Xlib takes 32-bit property items as longs, whatever their width.
      std::vector<long> items(icon.begin(), icon.end());
      XChangeProperty(dpy_, n->xwin, atoms_[kNetWmIcon], XA_CARDINAL, 32, PropModeReplace,
                      reinterpret_cast<unsigned char*>(items.data()), int(items.size()));
    }
    XFlush(dpy_);
  }

  void Raise(Window* top) override {
    XRaiseWindow(dpy_, Native(top)->xwin);
    XFlush(dpy_);
  }

  void Activate(Window* top) override {
    X11Native* n = Native(top);
    if (n->viewable) {
      XSetInputFocus(dpy_, n->xwin, RevertToParent, CurrentTime);
      XFlush(dpy_);
    } else {
      n->focusWanted = true;
    }
  }

  void Present(Window* top, const RECT& r) override {
    X11Native* n = Native(top);
    SurfaceView bb(top->backBuffer);
    if (!n || !bb) return;
    int x = r.left, y = r.top, w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0) return;
    if (Shared(n, bb)) {
      const int right = std::min(x + w, bb.Width()), bottom = std::min(y + h, bb.Height());
      if (right <= x || bottom <= y) return;
      XShmPutImage(dpy_, n->xwin, n->gc, n->image, x, y, x, y, unsigned(right - x), unsigned(bottom - y), False);
      // The server reads the segment later; it must be done before the next frame is drawn.
      XSync(dpy_, False);
    } else {
      PutFromBackBuffer(top, x, y, w, h);
      XFlush(dpy_);
    }
  }

  void PutFromBackBuffer(Window* top, int x, int y, int w, int h) {
    // Back buffers are 32-bit top-down bitmaps: row 0 starts the whole image.
    SurfaceView bb(top->backBuffer);
    int right = std::min(x + w, bb.Width()), bottom = std::min(y + h, bb.Height());
    if (right <= x || bottom <= y) return;
    X11Native* n = Native(top);
    if (converting_) {
      XImage* frame = FrameImage(n, bb.Width(), bb.Height());
      if (!frame) return;
      Convert(bb, frame, x, y, right, bottom);
      if (!n->frameShared) {
        XPutImage(dpy_, n->xwin, n->gc, frame, x, y, x, y, unsigned(right - x), unsigned(bottom - y));
        return;
      }
      XShmPutImage(dpy_, n->xwin, n->gc, frame, x, y, x, y, unsigned(right - x), unsigned(bottom - y), False);
      XSync(dpy_, False);  // the server reads the segment later; the next frame overwrites it
      return;
    }
    XImage* img = XCreateImage(dpy_, visual_, unsigned(depth_), ZPixmap, 0, reinterpret_cast<char*>(bb.Row(0)),
                               unsigned(bb.Width()), unsigned(bb.Height()), 32, bb.Stride());
    if (!img) return;
    img->byte_order = LSBFirst;
    XPutImage(dpy_, n->xwin, n->gc, img, x, y, x, y, unsigned(right - x), unsigned(bottom - y));
    img->data = nullptr;  // the back buffer is not ours to free
    XDestroyImage(img);
  }

  // Shows an exposed area again without asking the program to paint.
  void ShowExposed(Window* top, int x, int y, int w, int h) {
    X11Native* n = Native(top);
    if (IsRectEmpty(top->dirty)) {
      // The back buffer holds exactly the presented frame.
      SurfaceView bb(top->backBuffer);
      if (!bb) return;
      const int right = std::min(x + w, bb.Width()), bottom = std::min(y + h, bb.Height());
      if (right <= x || bottom <= y) return;
      if (Shared(n, bb))
        XShmPutImage(dpy_, n->xwin, n->gc, n->image, x, y, x, y, unsigned(right - x), unsigned(bottom - y), False);
      else
        PutFromBackBuffer(top, x, y, w, h);
    } else {
      RECT r{x, y, x + w, y + h};
      UnionRect(&top->dirty, top->dirty, r);  // shown with the frame being composed
    }
  }

  Cursor XCursorFor(HCURSOR c) {
    if (!c) return None;
    auto it = cursors_.find(c->shape);
    if (it != cursors_.end()) return it->second;
    Cursor xc = XCreateFontCursor(dpy_, c->shape);
    cursors_[c->shape] = xc;
    return xc;
  }

  void DefineCursor(Window* top, HCURSOR c) override {
    X11Native* n = Native(top);
    if (!n) return;
    XDefineCursor(dpy_, n->xwin, XCursorFor(c));
    if (grabbed_ == top) XChangeActivePointerGrab(dpy_, kGrabMask, XCursorFor(c), CurrentTime);
    XFlush(dpy_);
  }

  static constexpr unsigned kGrabMask = ButtonPressMask | ButtonReleaseMask | PointerMotionMask | EnterWindowMask |
                                        LeaveWindowMask;

  void Grab(Window* top, bool keyboard) override {
    X11Native* n = Native(top);
    if (!n || !(top->style & WS_VISIBLE)) return;  // an unmapped window cannot hold a grab
    WaitViewable(top);
    Cursor cur = XCursorFor(top->shownCursor);
    for (int i = 0; i < 50; ++i) {
      int r = XGrabPointer(dpy_, n->xwin, True, kGrabMask, GrabModeAsync, GrabModeAsync, None, cur, CurrentTime);
      if (r == GrabSuccess) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    if (keyboard) {
      for (int i = 0; i < 50; ++i) {
        if (XGrabKeyboard(dpy_, n->xwin, True, GrabModeAsync, GrabModeAsync, CurrentTime) == GrabSuccess) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
      }
    } else if (keyboardGrabbed_) {
      XUngrabKeyboard(dpy_, CurrentTime);
    }
    keyboardGrabbed_ = keyboard;
    grabbed_ = top;
    XFlush(dpy_);
  }

  void Ungrab() override {
    if (!grabbed_) return;
    XUngrabPointer(dpy_, CurrentTime);
    if (keyboardGrabbed_) XUngrabKeyboard(dpy_, CurrentTime);
    keyboardGrabbed_ = false;
    grabbed_ = nullptr;
    XFlush(dpy_);
  }

  Window* Find(XWindow xw) {
    auto it = byWindow_.find(xw);
    return it == byWindow_.end() ? nullptr : it->second;
  }

  void Modifiers(unsigned state) {
    winsys::SyncModifiers(*system, state & ShiftMask, state & ControlMask, state & Mod1Mask);
  }

  // With a grab in force the event window says nothing about where the pointer is.
  Window* HintFor(Window* w) { return grabbed_ ? nullptr : w; }

  void Handle(XEvent& e) {
    Window* w = Find(e.xany.window);
    switch (e.type) {
      case Expose:
        if (w) ShowExposed(w, e.xexpose.x, e.xexpose.y, e.xexpose.width, e.xexpose.height);
        break;
      case MapNotify:
        if (w) {
          X11Native* n = Native(w);
          n->viewable = true;
          if (n->focusWanted) {
            n->focusWanted = false;
            if (GetActiveWindow() == w) Activate(w);
          }
        }
        break;
      case UnmapNotify:
        if (w) Native(w)->viewable = false;
        break;
      case ConfigureNotify:
        if (w && !w->IsMenuPopup()) {
          int x = e.xconfigure.x, y = e.xconfigure.y;
          if (!e.xconfigure.send_event) {
            XWindow child;
            XTranslateCoordinates(dpy_, Native(w)->xwin, root_, 0, 0, &x, &y, &child);
          }
          RECT r{x, y, x + e.xconfigure.width, y + e.xconfigure.height};
          RECT cur = w->rect;
          if (cur.right - cur.left == 0) r.right = r.left;  // zero-sized windows are 1 x 1 natively
          if (cur.bottom - cur.top == 0) r.bottom = r.top;
          winsys::DeliverConfigure(*system, w, r);
        }
        break;
      case ClientMessage:
        if (w && e.xclient.message_type == atoms_[kProtocols] && Atom(e.xclient.data.l[0]) == atoms_[kDeleteWindow])
          winsys::DeliverClose(*system, w);
        break;
      case FocusIn:
        if (w && e.xfocus.mode == NotifyNormal && e.xfocus.detail != NotifyPointer)
          winsys::DeliverFocus(*system, w, true);
        break;
      case FocusOut:
        if (w && e.xfocus.mode == NotifyNormal && e.xfocus.detail != NotifyInferior &&
            e.xfocus.detail != NotifyPointer) {
          // Focus moving between our own windows is not a loss for the application.
          XWindow focus;
          int revert;
          XGetInputFocus(dpy_, &focus, &revert);
          if (!Find(focus)) winsys::DeliverFocus(*system, w, false);
        }
        break;
      case MotionNotify: {
        XEvent next;
        // Only the newest position matters.
        while (XCheckTypedWindowEvent(dpy_, e.xmotion.window, MotionNotify, &next)) e = next;
        pointer_ = POINT{e.xmotion.x_root, e.xmotion.y_root};
        Modifiers(e.xmotion.state);
        winsys::DeliverMouse(*system, HintFor(Find(e.xmotion.window)), pointer_, winsys::MouseEvent::Move, 0, 0);
        break;
      }
      case EnterNotify:
        if (e.xcrossing.mode != NotifyNormal) break;
        pointer_ = POINT{e.xcrossing.x_root, e.xcrossing.y_root};
        winsys::DeliverMouse(*system, HintFor(w), pointer_, winsys::MouseEvent::Move, 0, 0);
        break;
      case LeaveNotify:
        if (e.xcrossing.mode != NotifyNormal || e.xcrossing.detail == NotifyInferior) break;
        pointer_ = POINT{e.xcrossing.x_root, e.xcrossing.y_root};
        if (!grabbed_) winsys::DeliverPointerLeft(*system);
        break;
      case ButtonPress:
      case ButtonRelease: {
        pointer_ = POINT{e.xbutton.x_root, e.xbutton.y_root};
        Modifiers(e.xbutton.state);
        unsigned b = e.xbutton.button;
        Window* hint = HintFor(w);
        if (b == Button4 || b == Button5) {
          if (e.type == ButtonPress)
            winsys::DeliverMouse(*system, hint, pointer_, winsys::MouseEvent::Wheel, 0,
                                 b == Button4 ? WHEEL_DELTA : -WHEEL_DELTA);
        } else if (b >= Button1 && b <= Button3) {
          int button = b == Button1 ? 1 : b == Button2 ? 2 : 3;
          winsys::MouseEvent kind = e.type == ButtonPress ? winsys::MouseEvent::Down : winsys::MouseEvent::Up;
          winsys::DeliverMouse(*system, hint, pointer_, kind, button, 0);
        }
        break;
      }
      case KeyPress:
      case KeyRelease: {
        Modifiers(e.xkey.state);
        // A release immediately followed by a press of the same key is auto-repeat.
        if (e.type == KeyRelease && XEventsQueued(dpy_, QueuedAfterReading)) {
          XEvent next;
          XPeekEvent(dpy_, &next);
          if (next.type == KeyPress && next.xkey.keycode == e.xkey.keycode && next.xkey.time == e.xkey.time) break;
        }
        char buf[8] = {};
        KeySym ks = 0;
        int len = XLookupString(&e.xkey, buf, sizeof buf, &ks, nullptr);
        UINT vk = KeysymToVk(XLookupKeysym(&e.xkey, 0));
        if (!vk) vk = KeysymToVk(ks);
        if (!vk) break;
        char ch = len == 1 ? buf[0] : 0;
        if (ch == 0x7F) ch = 0;  // Delete produces no character on Windows
        winsys::DeliverKey(*system, vk, e.type == KeyPress, ch);
        break;
      }
      default:
        break;
    }
  }

  bool ReadEvents() override {
    bool any = false;
    while (XPending(dpy_)) {
      XEvent e;
      XNextEvent(dpy_, &e);
      Handle(e);
      any = true;
    }
    return any;
  }

  void Sync() override { XSync(dpy_, False); }

  bool WaitEvents(int timeoutMs) override {
    XFlush(dpy_);
    if (XPending(dpy_)) return true;
    ExternalWaitSource* external = this->external;
    if (!external) {
      pollfd p{ConnectionNumber(dpy_), POLLIN, 0};
      int r;
      do {
        r = poll(&p, 1, timeoutMs);
      } while (r < 0 && errno == EINTR);
      return r > 0;
    }
    // The source's descriptors share the wait; its own deadline may shorten it. Whatever
    // ended the wait, the caller looks again (a source may have posted messages).
    std::vector<WaitDescriptor> extra;
    const int allowed = external->Prepare(extra);
    if (allowed >= 0 && (timeoutMs < 0 || allowed < timeoutMs)) timeoutMs = allowed;
    std::vector<pollfd> fds{pollfd{ConnectionNumber(dpy_), POLLIN, 0}};
    for (const WaitDescriptor& d : extra) fds.push_back(pollfd{d.fd, d.events, 0});
    int r;
    do {
      r = poll(fds.data(), nfds_t(fds.size()), timeoutMs);
    } while (r < 0 && errno == EINTR);
    for (std::size_t i = 0; i < extra.size(); ++i) extra[i].revents = fds[i + 1].revents;
    external->Dispatch(extra);
    return true;
  }

  DWORD Now() override {
    return DWORD(std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start_).count());
  }

  POINT PointerPos() override {
    XWindow rootRet, child;
    int rx, ry, wx, wy;
    unsigned mask;
    if (XQueryPointer(dpy_, root_, &rootRet, &child, &rx, &ry, &wx, &wy, &mask)) pointer_ = POINT{rx, ry};
    return pointer_;
  }

 private:
  enum {
    kProtocols, kDeleteWindow, kNetWmName, kUtf8, kWindowType, kTypeNormal, kTypeDialog, kTypePopupMenu,
    kState, kStateAbove, kStateSkipTaskbar, kWorkArea, kPid, kMotifHints, kNetWmIcon, kRequestFrameExtents,
    kFrameExtents, kSupported, kSupportingWmCheck, kStateModal, kAtomCount
  };
  Display* dpy_;
  int screen_ = 0;
  XWindow root_ = 0;
  Visual* visual_ = nullptr;
  int depth_ = 24;
  Colormap colormap_ = 0;
  bool converting_ = false;  // a 15/16-bit visual: frames are converted when presented
  Channel red_, green_, blue_;
  Atom atoms_[kAtomCount] = {};
  std::string resClass_;  // WM_CLASS class of managed windows; empty: from the program name
  bool shm_ = false;
  std::map<XWindow, Window*> byWindow_;
  std::map<unsigned, Cursor> cursors_;
  std::map<std::pair<DWORD, DWORD>, std::optional<RECT>> frames_;  // by frame styles: the manager's extents
  Window* grabbed_ = nullptr;
  bool keyboardGrabbed_ = false;
  POINT pointer_;
  std::chrono::steady_clock::time_point start_;
  int (*oldHandler_)(Display*, XErrorEvent*) = nullptr;
};

}  // namespace

namespace winsys {

std::unique_ptr<Backend> MakeX11Backend(const WindowSystemOptions& options, std::string* error) {
  const char* name = std::getenv("DISPLAY");
  if (!name || !*name) {
    *error = "No X display: DISPLAY is not set. Start the program inside a graphical session.";
    return nullptr;
  }
  Display* dpy = XOpenDisplay(name);
  if (!dpy) {
    *error = std::string("Cannot open the X display \"") + name + "\": no X server answers there.";
    return nullptr;
  }
  auto backend = std::make_unique<X11Backend>(dpy, options);
  if (!backend->ChooseVisual(error)) return nullptr;
  return backend;
}

}  // namespace winsys
