// The Win32 backend: each top-level window and popup is a window of the system's own,
// managed by it and framed by it, that shows the window's back buffer. What the system
// sends is collected while its messages are dispatched and handed to the window system's
// routing afterwards, so the routing never runs inside one of the backend's own calls.
#include <chrono>
#include <deque>
#include <map>

#include "platform/base/cp1252.h"
#include "platform/gdi/surface.h"
#include "platform/native/native_window.h"
#include "platform/win/win32_input.h"
#include "platform/win/win_internal.h"

namespace {

using nativewin::Handle;

Handle Native(Window* w) { return w->native; }

nativewin::Rect ToRect(const RECT& r) { return nativewin::Rect{r.left, r.top, r.right, r.bottom}; }

class Win32Backend final : public winsys::Backend, public nativewin::Listener {
 public:
  Win32Backend() : start_(std::chrono::steady_clock::now()) {}
  ~Win32Backend() override { nativewin::Stop(); }

  bool Start(std::string* error) { return nativewin::Start(this, error); }

  WindowBackend Kind() const override { return WindowBackend::Win32; }
  unsigned long NativeId(Window* w) override { return (unsigned long)(std::uintptr_t(w->native)); }

  RECT ScreenRect() override {
    nativewin::Rect r = nativewin::Screen();
    return RECT{r.left, r.top, r.right, r.bottom};
  }
  int ScreenPixelsPerInch() override { return nativewin::SystemDpi(); }
  RECT WorkArea() override {
    nativewin::Rect r = nativewin::WorkArea();
    return RECT{r.left, r.top, r.right, r.bottom};
  }

  void CreateNative(Window* top) override {
    nativewin::Look look;
    look.popup = top->IsMenuPopup();
    look.sysMenu = top->style & WS_SYSMENU;
    look.thickFrame = top->style & WS_THICKFRAME;
    look.minimizeBox = top->style & WS_MINIMIZEBOX;
    look.maximizeBox = top->style & WS_MAXIMIZEBOX;
    look.dialogFrame = top->exStyle & WS_EX_DLGMODALFRAME;
    look.topmost = top->exStyle & WS_EX_TOPMOST;
    look.toolWindow = top->exStyle & WS_EX_TOOLWINDOW;
    // A window owned by a hidden one (the application's own window) is a main window, not
    // a dialog: it keeps its task-bar button and is not tied to an invisible owner.
    Handle owner = (top->owner && top->owner->native && IsWindowVisible(top->owner)) ? Native(top->owner) : nullptr;
    Quiet q(this);
    top->native = nativewin::Create(look, owner, ToRect(top->rect), Cp1252ToUtf8(top->text));
    if (top->native) byNative_[top->native] = top;
  }

  void DestroyNative(Window* top) override {
    Handle h = Native(top);
    if (!h) return;
    if (captured_ == top) Ungrab();
    byNative_.erase(h);
    pendingIcons_.erase(top);
    Quiet q(this);
    nativewin::Destroy(h);
    top->native = nullptr;
  }

  void ShowNative(Window* top, bool show) override {
    if (!Native(top)) return;
    if (show) ApplyPendingIcon(top);
    Quiet q(this);
    nativewin::Show(Native(top), show);
  }

  void MoveNative(Window* top) override {
    if (!Native(top)) return;
    Quiet q(this);
    nativewin::Place(Native(top), ToRect(top->rect));
  }

  void SetTitle(Window* top) override {
    if (Native(top) && !top->IsMenuPopup()) nativewin::SetTitle(Native(top), Cp1252ToUtf8(top->text));
  }

  void Raise(Window* top) override {
    if (!Native(top)) return;
    Quiet q(this);
    nativewin::Raise(Native(top));
  }

  void Activate(Window* top) override {
    if (!Native(top)) return;
    Quiet q(this);
    nativewin::Activate(Native(top));
  }

  void Present(Window* top, const RECT& r) override {
    if (!Native(top)) return;
    SurfaceView bb(top->backBuffer);
    if (!bb) return;
    nativewin::Pixels frame{bb.Row(0), bb.Width(), bb.Height(), bb.Stride()};
    nativewin::Present(Native(top), frame, ToRect(r));
  }

  void DefineCursor(Window* top, HCURSOR cursor) override {
    if (Native(top)) nativewin::SetCursor(Native(top), CursorId(cursor));
  }

  // The system itself then keeps clicks and activation from a window a modal dialog
  // disabled, and brings the dialog forward instead.
  void EnableNative(Window* top, bool enable) override {
    if (!Native(top)) return;
    Quiet q(this);
    nativewin::Enable(Native(top), enable);
  }

  // System icons are made when the window first shows: making them costs milliseconds at
  // start-up, and the application's own hidden window never needs any.
  void SetIcon(Window* top, const std::vector<std::uint32_t>& icon) override {
    if (!Native(top) || top->IsMenuPopup()) return;
    pendingIcons_[top] = icon;
    if (top->style & WS_VISIBLE) ApplyPendingIcon(top);
  }

  // A popup's grab is the pointer only: popups are never activated, so the keys keep going
  // to the active window, from where the routing hands them to the grabbing popup.
  void Grab(Window* top, bool) override {
    if (!Native(top) || !(top->style & WS_VISIBLE)) return;
    captured_ = top;
    nativewin::Capture(Native(top));
  }

  void Ungrab() override {
    if (!captured_) return;
    captured_ = nullptr;
    Quiet q(this);
    nativewin::Capture(nullptr);
  }

  bool ReadEvents() override {
    bool any = nativewin::Pump();
    any = !pending_.empty() || any;
    Deliver();
    return any;
  }

  bool WaitEvents(int timeoutMs) override {
    if (!pending_.empty()) return true;
    return nativewin::Wait(timeoutMs);
  }

  DWORD Now() override {
    return DWORD(std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start_).count());
  }

  POINT PointerPos() override {
    POINT p;
    nativewin::PointerPos(&p.x, &p.y);
    return p;
  }

  // ---- nativewin::Listener
  void OnMessage(const nativewin::Message& m) override {
    // What our own calls cause (activation, placement) is already known to the window system.
    if (quiet_ > 0 && (m.msg == WM_ACTIVATE || m.msg == WM_MOVE || m.msg == WM_SIZE)) return;
    pending_.push_back(m);
  }

  nativewin::Pixels OnExpose(Handle h, const nativewin::Rect& area) override {
    auto it = byNative_.find(h);
    if (it == byNative_.end()) return {};
    Window* top = it->second;
    SurfaceView bb(top->backBuffer);
    if (!bb) return {};
    if (!IsRectEmpty(top->dirty)) {
      // A frame is being composed: the back buffer is partly new, so the area is shown with it.
      RECT r{area.left, area.top, area.right, area.bottom};
      UnionRect(&top->dirty, top->dirty, r);
      return {};
    }
    return nativewin::Pixels{bb.Row(0), bb.Width(), bb.Height(), bb.Stride()};
  }

 private:
  struct Quiet {
    explicit Quiet(Win32Backend* b) : b(b) { ++b->quiet_; }
    ~Quiet() { --b->quiet_; }
    Win32Backend* b;
  };

  void ApplyPendingIcon(Window* top) {
    auto it = pendingIcons_.find(top);
    if (it == pendingIcons_.end()) return;
    nativewin::SetIcon(Native(top), it->second);
    pendingIcons_.erase(it);
  }

  Window* Find(Handle h) {
    auto it = byNative_.find(h);
    return it == byNative_.end() ? nullptr : it->second;
  }

  void Deliver() {
    while (!pending_.empty()) {
      nativewin::Message m = pending_.front();
      pending_.pop_front();
      Window* w = Find(m.window);
      if (!w || !winsys::IsLive(*system, w)) continue;
      Route(w, m);
    }
  }

  void Route(Window* w, const nativewin::Message& m) {
    winsys::NativeMessage nm;
    nm.msg = m.msg;
    nm.wParam = m.wParam;
    nm.lParam = m.lParam;
    nm.origin = POINT{m.originX, m.originY};
    nm.unit = m.unit;
    const winsys::NativeInput in = winsys::TranslateNativeMessage(nm);
    // The modifiers as they were when the message was sent mend releases that happened
    // elsewhere; a modifier's own key message already says how it is.
    bool modifierKey = in.kind == winsys::NativeInputKind::Key &&
                       (in.vk == VK_SHIFT || in.vk == VK_CONTROL || in.vk == VK_MENU);
    if ((in.kind == winsys::NativeInputKind::Mouse || in.kind == winsys::NativeInputKind::Key) && !modifierKey)
      winsys::SyncModifiers(*system, m.shift, m.control, m.alt);
    switch (in.kind) {
      case winsys::NativeInputKind::Mouse:
        // With a capture in force the window the message came to says nothing about where
        // the pointer is.
        winsys::DeliverMouse(*system, captured_ ? nullptr : w, in.screen, in.mouse, in.button, in.wheelDelta);
        break;
      case winsys::NativeInputKind::PointerLeft:
        if (!captured_) winsys::DeliverPointerLeft(*system);
        break;
      case winsys::NativeInputKind::Key:
        winsys::DeliverKey(*system, in.vk, in.down, in.ch);
        break;
      case winsys::NativeInputKind::Close: winsys::DeliverClose(*system, w); break;
      case winsys::NativeInputKind::Activated: winsys::DeliverFocus(*system, w, true); break;
      case winsys::NativeInputKind::Deactivated:
        // Activation moving between our own windows is the routing's business, not a loss.
        if (!Find(reinterpret_cast<nativewin::Handle>(in.other))) winsys::DeliverFocus(*system, w, false);
        break;
      case winsys::NativeInputKind::Placed: {
        nativewin::Rect c;
        if (w->IsMenuPopup() || !nativewin::ClientArea(Native(w), &c)) break;
        winsys::DeliverConfigure(*system, w, RECT{c.left, c.top, c.right, c.bottom});
        break;
      }
      case winsys::NativeInputKind::None: break;
    }
  }

  std::map<Handle, Window*> byNative_;
  std::deque<nativewin::Message> pending_;
  std::map<Window*, std::vector<std::uint32_t>> pendingIcons_;  // for windows not shown yet
  Window* captured_ = nullptr;
  int quiet_ = 0;
  std::chrono::steady_clock::time_point start_;
};

}  // namespace

namespace winsys {

std::unique_ptr<Backend> MakeWin32Backend(std::string* error) {
  auto backend = std::make_unique<Win32Backend>();
  if (!backend->Start(error)) return nullptr;
  return backend;
}

}  // namespace winsys
