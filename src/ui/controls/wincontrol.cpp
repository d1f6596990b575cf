// TWinControl: the window behind a control, its messages, children, tab order, focus,
// dialog keys and painting (with double buffering); TCustomControl and TGraphicControl.
//
// Sections: window class and procedure; construction and children; window creation;
// bounds and visibility; focus and tab order; messages (keys, mouse, cursor); painting;
// TCustomControl; TGraphicControl.
#include <algorithm>

#include "ui/controls/controls_internal.h"
#include "ui/controls/accesshook.h"

using controls_internal::ApplicationIfAny;

// ---------------------------------------------------------------------------------------
// Window class and procedure

LRESULT ControlWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* control = reinterpret_cast<TWinControl*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (msg == WM_NCCREATE) {
    auto* cs = reinterpret_cast<const CREATESTRUCTA*>(lParam);
    control = cs ? static_cast<TWinControl*>(cs->lpCreateParams) : nullptr;
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, LONG_PTR(reinterpret_cast<std::uintptr_t>(control)));
    if (control) control->handle_ = hwnd;
  }
  if (!control) return DefWindowProcA(hwnd, msg, wParam, lParam);
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    if (control->handle_ == hwnd) control->handle_ = nullptr;
    return DefWindowProcA(hwnd, msg, wParam, lParam);
  }
  // A control on its way out only gets the window system's default handling.
  if (control->IsDestroying()) return DefWindowProcA(hwnd, msg, wParam, lParam);
  TMessage m{msg, wParam, lParam, 0};
  try {
    control->WndProc(m);
  } catch (...) {
    if (TApplication* app = ApplicationIfAny()) app->HandleException(control);
  }
  return m.Result;
}

namespace controls_internal {
const char* ControlWindowClass() {
  static const char* const kName = "LbControlWindow";
  WNDCLASSA existing;
  if (!GetClassInfoA(nullptr, kName, &existing)) {
    WNDCLASSA wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = &ControlWindowProc;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.lpszClassName = kName;
    RegisterClassA(&wc);
  }
  return kName;
}
}  // namespace controls_internal

TWinControl* TWinControl::FindControl(HWND hwnd) {
  if (!hwnd || !IsWindow(hwnd)) return nullptr;
  if (GetWindowLongPtrA(hwnd, GWLP_WNDPROC) != LONG_PTR(reinterpret_cast<std::uintptr_t>(&ControlWindowProc)))
    return nullptr;
  return reinterpret_cast<TWinControl*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
}

// ---------------------------------------------------------------------------------------
// Construction and children

TWinControl::TWinControl(TComponent* owner) : TControl(owner) { color_ = clBtnFace; }

TWinControl::~TWinControl() {
  Destroying();
  if (TCustomForm* form = GetParentForm(this)) controls_internal::ControlRemoving(form, this);
  DestroyHandle();
  // Children go with their parent, whoever owns them.
  while (!controls_.empty()) {
    TControl* c = controls_.back();
    Remove(c);
    delete c;
  }
}

void TWinControl::Insert(TControl* control) {
  control->parent_ = this;
  controls_.push_back(control);
  if (auto* w = dynamic_cast<TWinControl*>(control)) {
    tabList_.push_back(w);
    // A control put into a parent that has its window gets its own window at once.
    if (handle_ && !IsDestroying()) w->HandleNeeded();
    else if (w->handle_) w->DestroyHandle();
  }
}

void TWinControl::Remove(TControl* control) {
  if (TCustomForm* form = GetParentForm(this)) controls_internal::ControlRemoving(form, control);
  if (TApplication* app = ApplicationIfAny()) {
    if (app->MouseControl() == control) app->SetMouseControl(nullptr);
    if (app->CaptureControl() == control) app->SetCaptureControl(nullptr);
  }
  controls_.erase(std::remove(controls_.begin(), controls_.end(), control), controls_.end());
  tabList_.erase(std::remove(tabList_.begin(), tabList_.end(), control), tabList_.end());
  control->parent_ = nullptr;
  if (auto* w = dynamic_cast<TWinControl*>(control); w && w->handle_ && !w->IsDestroying()) {
    // The window cannot live on without a parent window; it is made again when needed.
    w->DestroyHandle();
  }
  if (handle_ && control->visible_) InvalidateRect(control->BoundsRect(), true);
}

bool TWinControl::ContainsControl(const TControl* control) const {
  for (const TControl* c = control; c; c = c->Parent())
    if (c == this) return true;
  return false;
}

TControl* TWinControl::ControlAtPos(POINT p, bool allowDisabled, bool allowWinControls) const {
  for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
    TControl* c = *it;
    if (!allowWinControls && dynamic_cast<TWinControl*>(c)) continue;
    if (!c->Visible() || (!allowDisabled && !c->Enabled())) continue;
    if (PtInRect(c->BoundsRect(), p)) return c;
  }
  return nullptr;
}

void TWinControl::Broadcast(TMessage& message) {
  std::vector<TControl*> kids = controls_;
  for (TControl* c : kids) {
    if (std::find(controls_.begin(), controls_.end(), c) == controls_.end()) continue;
    c->WndProc(message);
    if (message.Result != 0) return;
  }
}

// ---------------------------------------------------------------------------------------
// Window creation

HWND TWinControl::Handle() {
  HandleNeeded();
  return handle_;
}

void TWinControl::HandleNeeded() {
  if (handle_) return;
  if (IsDestroying()) throw EInvalidOperation("Control '" + Name() + "' is being destroyed");
  if (parent_) parent_->HandleNeeded();
  if (handle_) return;  // the parent made it for us
  CreateWnd();
}

void TWinControl::CreateParams(TCreateParams& params) {
  params.caption = text_;
  params.style = WS_CHILD | WS_CLIPSIBLINGS;
  if (visible_) params.style |= WS_VISIBLE;
  if (!enabled_) params.style |= WS_DISABLED;
  if (tabStop_) params.style |= WS_TABSTOP;
  params.x = left_;
  params.y = top_;
  params.width = width_;
  params.height = height_;
  params.parentWindow = parent_ ? parent_->handle_ : ParentWindowFor();
}

void TWinControl::CreateWnd() {
  TCreateParams params;
  CreateParams(params);
  if ((params.style & WS_CHILD) && !params.parentWindow)
    throw EInvalidOperation("Control '" + Name() + "' has no parent window");
  CreateWindowHandle(params);
  if (!handle_) throw EInvalidOperation("Error creating window of '" + Name() + "'");
  // Children get their windows in z-order, so later windows lie on top as they should.
  std::vector<TControl*> kids = controls_;
  for (TControl* c : kids)
    if (auto* w = dynamic_cast<TWinControl*>(c); w && !w->handle_) w->CreateWnd();
}

void TWinControl::CreateWindowHandle(const TCreateParams& params) {
  controlState_.Include(csCreating);
  HWND h = CreateWindowExA(params.exStyle, controls_internal::ControlWindowClass(), params.caption.c_str(),
                           params.style, params.x, params.y, params.width, params.height, params.parentWindow,
                           nullptr, nullptr, this);
  controlState_.Exclude(csCreating);
  if (h) handle_ = h;
}

void TWinControl::DestroyHandle() {
  if (!handle_) return;
  DestroyWnd();
}

namespace {
// Every canvas in the subtree gives back the window DC it may hold, since the windows it
// came from (this one and its children's) are about to go.
void ReleaseCanvasDCs(TControl* control) {
  control->ReleaseCanvasDC();
  if (auto* w = dynamic_cast<TWinControl*>(control))
    for (int i = 0; i < w->ControlCount(); ++i) ReleaseCanvasDCs(w->Controls(i));
}
}  // namespace

void TWinControl::DestroyWnd() {
  ReleaseCanvasDCs(this);
  HWND h = handle_;
  DestroyWindow(h);  // children's windows go too; WM_NCDESTROY forgets each handle
  handle_ = nullptr;
  for (TControl* c : controls_)
    if (auto* w = dynamic_cast<TWinControl*>(c)) w->handle_ = nullptr;
}

void TWinControl::SetParent(TWinControl* parent) {
  TControl::SetParent(parent);
}

// ---------------------------------------------------------------------------------------
// Bounds and visibility

void TWinControl::SetBounds(int left, int top, int width, int height) {
  width = std::max(0, width);
  height = std::max(0, height);
  if (left == left_ && top == top_ && width == width_ && height == height_) return;
  const int dw = width - width_, dh = height - height_;
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
  BoundsChanged();
  // Top-level windows (forms) cover only their client area and place themselves.
  if (handle_ && (GetWindowLongPtrA(handle_, GWL_STYLE) & WS_CHILD))
    SetWindowPos(handle_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  if ((dw || dh) && !IsLoading() && !scaling_) {
    std::vector<TControl*> kids = controls_;
    for (TControl* c : kids) c->AnchorsToParent(dw, dh);
  }
}

void TWinControl::ChangeScale(int m, int d) {
  if (m == d || m <= 0 || d <= 0) return;
  // The children are scaled from where they stand, so this control's new size must not
  // move its anchored ones first.
  const bool outer = scaling_;
  scaling_ = true;
  try {
    TControl::ChangeScale(m, d);
    std::vector<TControl*> kids = controls_;
    for (TControl* c : kids) c->ChangeScale(m, d);
  } catch (...) {
    scaling_ = outer;
    throw;
  }
  scaling_ = outer;
}

bool TWinControl::Showing() const {
  if (handle_) return IsWindowVisible(handle_) != FALSE;
  return TControl::Showing();
}

void TWinControl::SetText(const std::string& value) {
  if (value == text_) return;
  text_ = value;
  if (handle_) SetWindowTextA(handle_, text_.c_str());
  Perform(CM_TEXTCHANGED);
}

void TWinControl::SetEnabled(bool value) { TControl::SetEnabled(value); }

void TWinControl::Invalidate() {
  if (handle_) ::InvalidateRect(handle_, nullptr, controlStyle_.Contains(csOpaque) ? FALSE : TRUE);
}

void TWinControl::Update() {
  if (handle_) UpdateWindow(handle_);
}

void TWinControl::Repaint() {
  Invalidate();
  Update();
}

// ---------------------------------------------------------------------------------------
// Focus and tab order

void TWinControl::SetTabStop(bool value) {
  if (value == tabStop_) return;
  tabStop_ = value;
  if (handle_) {
    LONG_PTR style = GetWindowLongPtrA(handle_, GWL_STYLE);
    SetWindowLongPtrA(handle_, GWL_STYLE, value ? (style | WS_TABSTOP) : (style & ~LONG_PTR(WS_TABSTOP)));
  }
}

int TWinControl::TabOrder() const {
  if (!parent_) return -1;
  auto& list = parent_->tabList_;
  auto it = std::find(list.begin(), list.end(), this);
  return it == list.end() ? -1 : int(it - list.begin());
}

void TWinControl::SetTabOrder(int value) {
  if (IsLoading()) {
    pendingTabOrder_ = value;
    return;
  }
  UpdateTabOrder(value);
}

void TWinControl::UpdateTabOrder(int value) {
  if (!parent_) return;
  auto& list = parent_->tabList_;
  auto it = std::find(list.begin(), list.end(), this);
  if (it == list.end()) return;
  list.erase(it);
  if (value < 0 || value > int(list.size())) value = int(list.size());
  list.insert(list.begin() + value, this);
}

void TWinControl::Loaded() {
  TControl::Loaded();
  // The definition gives each child its place in the tab order; children read later may
  // name places before earlier ones, so the whole list is put in order once.
  bool any = false;
  for (TWinControl* w : tabList_) any = any || w->pendingTabOrder_ >= 0;
  if (any) {
    std::vector<std::pair<int, TWinControl*>> keyed;
    for (std::size_t i = 0; i < tabList_.size(); ++i) {
      TWinControl* w = tabList_[i];
      keyed.push_back({w->pendingTabOrder_ >= 0 ? w->pendingTabOrder_ : int(i), w});
    }
    std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (std::size_t i = 0; i < keyed.size(); ++i) tabList_[i] = keyed[i].second;
  }
  for (TWinControl* w : tabList_) w->pendingTabOrder_ = -1;
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& list) {
  for (TWinControl* w : tabList_) {
    list.push_back(w);
    w->GetTabOrderList(list);
  }
}

bool TWinControl::CanFocus() const {
  TCustomForm* form = GetParentForm(this);
  if (!form) return false;
  for (const TControl* c = this; c && c != form; c = c->Parent())
    if (!c->Visible() || !c->Enabled()) return false;
  return form->Enabled();
}

bool TWinControl::Focused() const { return handle_ && GetFocus() == handle_; }

void TWinControl::SetFocus() {
  TCustomForm* form = GetParentForm(this);
  if (!CanFocus()) throw EInvalidOperation("Cannot focus a disabled or invisible window");
  if (form && form != this) form->SetActiveControl(this);
  else if (HWND h = Handle()) ::SetFocus(h);
}

TWinControl* TWinControl::FindNextControl(TWinControl* current, bool goForward, bool checkTabStop,
                                          bool checkParent) {
  std::vector<TWinControl*> list;
  GetTabOrderList(list);
  if (list.empty()) return nullptr;
  const int n = int(list.size());
  int start = -1;
  for (int i = 0; i < n; ++i)
    if (list[std::size_t(i)] == current) start = i;
  if (start < 0) start = goForward ? n - 1 : 0;
  int i = start;
  for (int steps = 0; steps < n; ++steps) {
    i = goForward ? (i + 1) % n : (i + n - 1) % n;
    TWinControl* c = list[std::size_t(i)];
    if (c == current && steps > 0) break;
    if ((!checkTabStop || c->TabStop()) && (!checkParent || c->Parent() == this) && c->CanFocus()) return c;
  }
  return nullptr;
}

void TWinControl::SelectNext(TWinControl* current, bool goForward, bool checkTabStop) {
  TWinControl* next = FindNextControl(current, goForward, checkTabStop, false);
  if (next) next->SetFocus();
}

void TWinControl::FocusChanged(bool gained, HWND other) {
  (void)other;
  if (gained) {
    if (TCustomForm* form = GetParentForm(this); form && form != this) form->FocusControl(this);
    Perform(CM_ENTER);
    NotifyAccess(TAccessChange::Focus, this);
    if (OnEnter) OnEnter(this);
  } else {
    Perform(CM_EXIT);
    if (OnExit) OnExit(this);
  }
}

// ---------------------------------------------------------------------------------------
// Messages

void TWinControl::DefaultHandler(TMessage& message) {
  if (handle_) message.Result = DefWindowProcA(handle_, message.Msg, message.WParam, message.LParam);
}

namespace {
bool IsMouseMessage(UINT msg) { return msg >= WM_MOUSEMOVE && msg <= WM_MBUTTONDBLCLK; }

LPARAM MovedPoint(LPARAM lp, int dx, int dy) {
  return MAKELPARAM(GET_X_LPARAM(lp) - dx, GET_Y_LPARAM(lp) - dy);
}
}  // namespace

// Mouse input over a windowless child goes to that child (the capture holder first), in
// the child's coordinates; the pointer's entering and leaving is tracked here as well.
void TWinControl::DoMouseForChildren(TMessage& message, bool& handled) {
  handled = false;
  TApplication* app = ApplicationIfAny();
  POINT p{GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam)};
  TControl* target = nullptr;
  if (app && app->CaptureControl() && app->CaptureControl()->Parent() == this &&
      !dynamic_cast<TWinControl*>(app->CaptureControl())) {
    target = app->CaptureControl();
  } else if (!(app && app->CaptureControl() == this)) {
    target = ControlAtPos(p, false);
  }
  if (message.Msg == WM_MOUSEMOVE && app) {
    app->SetMouseControl(target ? target : this);
    TRACKMOUSEEVENT tme;
    tme.dwFlags = TME_LEAVE;
    tme.hwndTrack = handle_;
    TrackMouseEvent(&tme);
  }
  if (!target) return;
  if (message.Msg == WM_LBUTTONDOWN || message.Msg == WM_LBUTTONDBLCLK) {
    if (target->ControlStyle().Contains(csCaptureMouse)) SetCapture(handle_);
  }
  TMessage m{message.Msg, message.WParam, MovedPoint(message.LParam, target->Left(), target->Top()), 0};
  target->WndProc(m);
  if (message.Msg == WM_LBUTTONUP && GetCapture() == handle_ && !(app && app->CaptureControl())) ReleaseCapture();
  message.Result = m.Result;
  handled = true;
}

void TWinControl::WndProc(TMessage& message) {
  switch (message.Msg) {
    case WM_PAINT:
      PaintHandler(message);
      return;
    case WM_ERASEBKGND:
      // Double-buffered controls erase inside their off-screen bitmap.
      if (!doubleBuffered_) EraseBackground(reinterpret_cast<HDC>(message.WParam));
      message.Result = 1;
      return;
    case WM_PRINTCLIENT:
      // A child that lets this control show through its corners asks for our picture. A
      // double-buffered control erases only inside its own paint, so it erases here too.
      // Windowless children are left out: the one asking may be one of them.
      if (message.LParam & PRF_CLIENT) {
        HDC dc = reinterpret_cast<HDC>(message.WParam);
        if (doubleBuffered_) EraseBackground(dc);
        PaintWindow(dc);
      }
      return;
    case WM_SETFOCUS:
      FocusChanged(true, reinterpret_cast<HWND>(message.WParam));
      return;
    case WM_KILLFOCUS:
      FocusChanged(false, reinterpret_cast<HWND>(message.WParam));
      return;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYUP:
      DoKeyMessage(message);
      return;
    case WM_CHAR:
    case WM_SYSCHAR:
      DoCharMessage(message);
      return;
    case WM_MOUSELEAVE:
      if (TApplication* app = ApplicationIfAny()) {
        TControl* mc = app->MouseControl();
        if (mc == this || (mc && mc->Parent() == this && !dynamic_cast<TWinControl*>(mc))) app->SetMouseControl(nullptr);
      }
      return;
    case WM_CAPTURECHANGED:
      if (TApplication* app = ApplicationIfAny()) {
        TControl* cc = app->CaptureControl();
        if (cc && (cc == this || cc->Parent() == this) && reinterpret_cast<HWND>(message.LParam) != handle_)
          app->SetCaptureControl(nullptr);
      }
      break;
    case WM_SETCURSOR: {
      if (LOWORD(std::uintptr_t(message.LParam)) != HTCLIENT) break;
      TCursor cursor = cursor_;
      POINT p;
      GetCursorPos(&p);
      p = ScreenToClient(p);
      if (TControl* c = ControlAtPos(p, false)) {
        if (c->Cursor() != crDefault) cursor = c->Cursor();
      }
      if (cursor != crDefault) {
        ::SetCursor(Screen->Cursors(cursor));
        message.Result = TRUE;
        return;
      }
      if (parent_ && parent_->handle_) {
        message.Result = SendMessageA(parent_->handle_, WM_SETCURSOR, message.WParam, message.LParam);
        return;
      }
      ::SetCursor(Screen->Cursors(crDefault));
      message.Result = TRUE;
      return;
    }
    case CM_FOCUSCHANGED:
    case CM_DIALOGKEY:
    case CM_DIALOGCHAR:
      Broadcast(message);
      return;
    case CM_FONTCHANGED:
    case CM_COLORCHANGED: {
      Invalidate();
      UINT notify = message.Msg == CM_FONTCHANGED ? CM_PARENTFONTCHANGED : CM_PARENTCOLORCHANGED;
      std::vector<TControl*> kids = controls_;
      for (TControl* c : kids) c->Perform(notify);
      return;
    }
    case CM_ENABLEDCHANGED:
      if (handle_) EnableWindow(handle_, enabled_ ? TRUE : FALSE);
      if (!enabled_) {
        // A disabled control gives up the focus; its form keeps it.
        if (TCustomForm* form = GetParentForm(this); form && form != this && form->ActiveControl() &&
                                                  ContainsControl(form->ActiveControl())) {
          if (form->HandleAllocated() && form->Showing()) ::SetFocus(form->Handle());
        }
      }
      Invalidate();
      return;
    case CM_VISIBLECHANGED:
      if (handle_) ShowWindow(handle_, visible_ ? SW_SHOWNA : SW_HIDE);
      return;
    default:
      break;
  }
  if (IsMouseMessage(message.Msg)) {
    bool handled = false;
    DoMouseForChildren(message, handled);
    if (handled) return;
    if (message.Msg == WM_LBUTTONDOWN && controlStyle_.Contains(csCaptureMouse) && handle_) SetCapture(handle_);
    TControl::WndProc(message);
    if (message.Msg == WM_LBUTTONUP && handle_ && GetCapture() == handle_) ReleaseCapture();
    return;
  }
  TControl::WndProc(message);
}

void TWinControl::KeyDown(WORD& key, TShiftState shift) {
  if (OnKeyDown && !controlStyle_.Contains(csNoStdEvents)) OnKeyDown(this, key, shift);
}

void TWinControl::KeyUp(WORD& key, TShiftState shift) {
  if (OnKeyUp && !controlStyle_.Contains(csNoStdEvents)) OnKeyUp(this, key, shift);
}

void TWinControl::KeyPress(char& key) {
  if (OnKeyPress && !controlStyle_.Contains(csNoStdEvents)) OnKeyPress(this, key);
}

bool TWinControl::DialogKey(WORD key, LPARAM keyData) {
  TCustomForm* form = GetParentForm(this);
  if (!form) return false;
  return form->Perform(CM_DIALOGKEY, key, keyData) != 0;
}

void TWinControl::DoKeyMessage(TMessage& message) {
  WORD key = WORD(message.WParam);
  const TShiftState shift = KeyDataToShiftState(message.LParam);
  const bool down = message.Msg == WM_KEYDOWN || message.Msg == WM_SYSKEYDOWN;
  TCustomForm* form = GetParentForm(this);
  if (form && form != this && form->KeyPreview()) {
    if (down) form->KeyDown(key, shift);
    else form->KeyUp(key, shift);
    if (key == 0) return;
  }
  if (down) KeyDown(key, shift);
  else KeyUp(key, shift);
  if (key == 0) return;
  if (down) {
    unsigned want = 0;
    switch (key) {
      case VK_TAB: want = dcWantTab; break;
      case VK_LEFT:
      case VK_RIGHT:
      case VK_UP:
      case VK_DOWN: want = dcWantArrows; break;
      case VK_RETURN:
      case VK_ESCAPE:
      case VK_CANCEL: want = dcWantAllKeys; break;
      default: break;
    }
    if (want) {
      const unsigned code = GetDialogCode();
      if (!(code & (want | dcWantAllKeys)) && DialogKey(key, message.LParam)) return;
    }
  }
  message.WParam = key;
  DefaultHandler(message);
}

void TWinControl::DoCharMessage(TMessage& message) {
  char ch = char(message.WParam);
  TCustomForm* form = GetParentForm(this);
  if (message.Msg == WM_CHAR) {
    if (form && form != this && form->KeyPreview()) {
      form->KeyPress(ch);
      if (ch == 0) return;
    }
    KeyPress(ch);
    if (ch == 0) return;
    // Letters are accelerators when the focused control does not take text.
    const bool control = ch == '\r' || ch == '\t' || ch == 0x1B || ch == '\b';
    if (!control && !(GetDialogCode() & (dcWantChars | dcWantAllKeys)) && form &&
        form->Perform(CM_DIALOGCHAR, WPARAM(BYTE(ch)), message.LParam) != 0)
      return;
  } else if (form && form->Perform(CM_DIALOGCHAR, WPARAM(BYTE(ch)), message.LParam) != 0) {
    return;
  }
  message.WParam = WPARAM(BYTE(ch));
  DefaultHandler(message);
}

// ---------------------------------------------------------------------------------------
// Painting

void TWinControl::EraseBackground(HDC dc) {
  RECT r = ClientRect();
  FillSolidRect(dc, r, COLORREF(ColorToRGB(color_)));
}

void TWinControl::PaintWindow(HDC dc) { (void)dc; }

void TWinControl::PaintControls(HDC dc, TControl* first) {
  bool started = first == nullptr;
  std::vector<TControl*> kids = controls_;
  for (TControl* c : kids) {
    if (!started) {
      started = c == first;
      if (!started) continue;
    }
    if (dynamic_cast<TWinControl*>(c) || !c->Visible() || c->Width() <= 0 || c->Height() <= 0) continue;
    const SavedDcState saved(dc);
    OffsetViewportOrgEx(dc, c->Left(), c->Top(), nullptr);
    IntersectClipRect(dc, 0, 0, c->Width(), c->Height());
    c->PaintOnParent(dc);
  }
}

void TWinControl::PaintHandler(TMessage& message) {
  (void)message;
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(handle_, &ps);
  if (!dc) return;
  controlState_.Include(csPainting);
  struct Done {
    TWinControl* self;
    PAINTSTRUCT* ps;
    ~Done() {
      self->controlState_.Exclude(csPainting);
      if (self->handle_) EndPaint(self->handle_, ps);
      else DeleteDC(ps->hdc);
    }
  } done{this, &ps};
  // Every window paints into its top-level window's back buffer, which reaches the screen in
  // one step once painting is done: so a double-buffered control is composed off screen
  // without a bitmap of its own. What sets it apart is that it erases inside its paint.
  if (doubleBuffered_) {
    EraseBackground(dc);
    ++bufferedPaints_;
  }
  PaintWindow(dc);
  PaintControls(dc, nullptr);
}

// ---------------------------------------------------------------------------------------
// TCustomControl

TCustomControl::TCustomControl(TComponent* owner)
    : TWinControl(owner), canvas_(std::make_unique<TControlCanvas>()) {
  canvas_->SetControl(this);
}

void TCustomControl::ReleaseCanvasDC() { canvas_->FreeHandle(); }

TCustomControl::~TCustomControl() {
  Destroying();
  DestroyHandle();
}

void TCustomControl::PaintWindow(HDC dc) {
  controls_internal::CanvasPaintScope scope(*canvas_, dc, font_.get(), color_);
  Paint();
}

// ---------------------------------------------------------------------------------------
// TGraphicControl

TGraphicControl::TGraphicControl(TComponent* owner)
    : TControl(owner), canvas_(std::make_unique<TControlCanvas>()) {
  canvas_->SetControl(this);
}

void TGraphicControl::ReleaseCanvasDC() { canvas_->FreeHandle(); }

TGraphicControl::~TGraphicControl() = default;

void TGraphicControl::PaintOnParent(HDC dc) {
  controls_internal::CanvasPaintScope scope(*canvas_, dc, font_.get(), color_);
  Paint();
}
