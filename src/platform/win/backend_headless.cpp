// The headless backend: frames are kept in memory, input comes from the test interface,
// time is virtual.
#include <algorithm>
#include <cstring>

#include "platform/gdi/surface.h"
#include "platform/win/headless.h"
#include "platform/win/win_internal.h"

namespace {

struct HeadlessNative {
  headless::Frame presented;
  int presentCount = 0;
  bool mapped = false;
};

HeadlessNative* Native(Window* w) { return static_cast<HeadlessNative*>(w->native); }

class HeadlessBackend final : public winsys::Backend {
 public:
  HeadlessBackend(int width, int height) : width_(width), height_(height) {}
  WindowBackend Kind() const override { return WindowBackend::Headless; }
  RECT ScreenRect() override { return RECT{0, 0, width_, height_}; }
  void CreateNative(Window* top) override {
    auto* n = new HeadlessNative;
    n->presented.width = top->Width();
    n->presented.height = top->Height();
    n->presented.pixels.assign(std::size_t(n->presented.width) * std::size_t(n->presented.height), 0);
    top->native = n;
  }
  void DestroyNative(Window* top) override {
    delete Native(top);
    top->native = nullptr;
    if (grab_ == top) grab_ = nullptr;
  }
  void ShowNative(Window* top, bool show) override { Native(top)->mapped = show; }
  void MoveNative(Window* top) override {
    headless::Frame& f = Native(top)->presented;
    if (f.width == top->Width() && f.height == top->Height()) return;
    // A resized native window shows nothing old until the next frame.
    f.width = top->Width();
    f.height = top->Height();
    f.pixels.assign(std::size_t(f.width) * std::size_t(f.height), 0);
  }
  void SetTitle(Window*) override {}
  void Raise(Window*) override {}
  void Activate(Window*) override {}
  void Present(Window* top, const RECT& r) override {
    HeadlessNative* n = Native(top);
    SurfaceView bb(top->backBuffer);
    if (!n || !bb) return;
    headless::Frame& f = n->presented;
    int right = std::min({int(r.right), f.width, bb.Width()});
    int bottom = std::min({int(r.bottom), f.height, bb.Height()});
    for (int y = std::max(0, int(r.top)); y < bottom; ++y) {
      int x0 = std::max(0, int(r.left));
      if (right <= x0) break;
      std::memcpy(&f.pixels[std::size_t(y) * std::size_t(f.width) + std::size_t(x0)], bb.Row(y) + std::size_t(x0) * 4,
                  std::size_t(right - x0) * 4);
    }
    ++n->presentCount;
  }
  void DefineCursor(Window*, HCURSOR) override {}
  void Grab(Window* top, bool) override { grab_ = top; }
  void Ungrab() override { grab_ = nullptr; }
  bool ReadEvents() override { return false; }
  bool WaitEvents(int timeoutMs) override {
    if (timeoutMs < 0) return false;
    now_ += DWORD(timeoutMs);
    return true;
  }
  DWORD Now() override { return now_; }
  POINT PointerPos() override { return pointer_; }
  bool Idle() override { return idle_ && idle_(); }

  int width_, height_;
  DWORD now_ = 0;
  POINT pointer_;
  Window* grab_ = nullptr;
  std::function<bool()> idle_;
};

// The backend of the current window system when that one is headless, else null.
HeadlessBackend* Ready() {
  winsys::Backend* b = winsys::CurrentBackend();
  return (b && b->Kind() == WindowBackend::Headless) ? static_cast<HeadlessBackend*>(b) : nullptr;
}

void Mouse(winsys::MouseEvent kind, int button, int delta) {
  if (HeadlessBackend* h = Ready()) winsys::DeliverMouse(*h->system, nullptr, h->pointer_, kind, button, delta);
}

}  // namespace

namespace winsys {
std::unique_ptr<Backend> MakeHeadlessBackend(int width, int height) {
  return std::make_unique<HeadlessBackend>(width, height);
}
}  // namespace winsys

namespace headless {

bool Enable(int screenWidth, int screenHeight, int pixelsPerInch) {
  WindowSystemOptions o;
  o.headlessWidth = screenWidth;
  o.headlessHeight = screenHeight;
  o.pixelsPerInch = pixelsPerInch;
  return InitWindowSystem(WindowBackend::Headless, o);
}

void MovePointer(int x, int y) {
  HeadlessBackend* h = Ready();
  if (!h) return;
  h->pointer_ = POINT{x, y};
  Mouse(winsys::MouseEvent::Move, 0, 0);
}

void PressButton(int button) { Mouse(winsys::MouseEvent::Down, button, 0); }
void ReleaseButton(int button) { Mouse(winsys::MouseEvent::Up, button, 0); }

void Click(int x, int y, int button) {
  MovePointer(x, y);
  PressButton(button);
  ReleaseButton(button);
}

void Wheel(int delta) { Mouse(winsys::MouseEvent::Wheel, 0, delta); }

void MovePointerTo(HWND hwnd, int x, int y) {
  POINT p{x, y};
  ClientToScreen(hwnd, &p);
  MovePointer(p.x, p.y);
}

void ClickAt(HWND hwnd, int x, int y, int button) {
  POINT p{x, y};
  ClientToScreen(hwnd, &p);
  Click(p.x, p.y, button);
}

void PointerLeavesApplication() {
  HeadlessBackend* h = Ready();
  if (!h) return;
  h->pointer_ = POINT{-1, -1};
  winsys::DeliverPointerLeft(*h->system);
}

void KeyDown(UINT vk, char ch) {
  HeadlessBackend* h = Ready();
  if (!h) return;
  if (!ch)
    ch = winsys::DefaultKeyChar(vk, GetAsyncKeyState(VK_SHIFT) < 0 || vk == VK_SHIFT,
                                GetAsyncKeyState(VK_CONTROL) < 0);
  winsys::DeliverKey(*h->system, vk, true, ch);
}

void KeyUp(UINT vk) {
  if (HeadlessBackend* h = Ready()) winsys::DeliverKey(*h->system, vk, false, 0);
}

void KeyPress(UINT vk, char ch) {
  KeyDown(vk, ch);
  KeyUp(vk);
}

int PumpUntilIdle() { return PumpPendingMessages(); }

DWORD Now() {
  HeadlessBackend* h = Ready();
  return h ? h->now_ : 0;
}

void AdvanceTime(DWORD ms) {
  if (HeadlessBackend* h = Ready()) h->now_ += ms;
}

void SetIdleHandler(std::function<bool()> handler) {
  if (HeadlessBackend* h = Ready()) h->idle_ = std::move(handler);
}

namespace {
Frame FromBitmap(HBITMAP bmp) {
  Frame f;
  SurfaceView view(bmp);
  if (!view) return f;
  f.width = view.Width();
  f.height = view.Height();
  f.pixels.resize(std::size_t(f.width) * std::size_t(f.height));
  for (int y = 0; y < f.height; ++y)
    std::memcpy(&f.pixels[std::size_t(y) * std::size_t(f.width)], view.Row(y), std::size_t(f.width) * 4);
  return f;
}
}  // namespace

Frame PresentedFrame(HWND top) {
  HeadlessBackend* h = Ready();
  if (!h || !winsys::IsLive(*h->system, top) || !top->native) return {};
  return Native(top)->presented;
}

Frame BackBuffer(HWND top) {
  HeadlessBackend* h = Ready();
  if (!h || !winsys::IsLive(*h->system, top) || top->IsChild()) return {};
  return FromBitmap(top->backBuffer);
}

int PresentCount(HWND top) {
  HeadlessBackend* h = Ready();
  if (!h || !winsys::IsLive(*h->system, top) || !top->native) return 0;
  return Native(top)->presentCount;
}

std::vector<HWND> TopLevelWindows() {
  HeadlessBackend* h = Ready();
  return h ? winsys::TopLevels(*h->system) : std::vector<HWND>{};
}

HCURSOR CursorAt(int x, int y) {
  HeadlessBackend* h = Ready();
  if (!h) return nullptr;
  for (Window* t : winsys::TopLevels(*h->system))
    if (IsWindowVisible(t) && !IsIconic(t) && PtInRect(t->rect, POINT{x, y})) return t->shownCursor;
  return nullptr;
}

HWND GrabWindow() {
  HeadlessBackend* h = Ready();
  return h ? h->grab_ : nullptr;
}

}  // namespace headless
