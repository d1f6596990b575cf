// TControl and the helpers every control uses: key states, accelerators, the control
// canvas, bounds, visibility, fonts and colours inherited from the parent, mouse events.
//
// Sections: helpers / TControlCanvas / TControl.
#include <algorithm>
#include <cctype>

#include "ui/controls/controls_internal.h"

using controls_internal::ApplicationIfAny;

// ---------------------------------------------------------------------------------------
// Helpers

TShiftState KeyboardStateToShiftState() {
  TShiftState s;
  if (GetKeyState(VK_SHIFT) < 0) s.Include(ssShift);
  if (GetKeyState(VK_CONTROL) < 0) s.Include(ssCtrl);
  if (GetKeyState(VK_MENU) < 0) s.Include(ssAlt);
  return s;
}

TShiftState KeyDataToShiftState(LPARAM keyData) {
  TShiftState s;
  if (GetKeyState(VK_SHIFT) < 0) s.Include(ssShift);
  if (GetKeyState(VK_CONTROL) < 0) s.Include(ssCtrl);
  if (keyData & (LPARAM(1) << 29)) s.Include(ssAlt);
  return s;
}

bool IsAccel(WORD key, const std::string& caption) {
  for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != '&') continue;
    if (caption[i + 1] == '&') {
      ++i;  // "&&" is a literal ampersand
      continue;
    }
    auto up = [](int c) { return std::toupper(static_cast<unsigned char>(c)); };
    return key < 256 && up(caption[i + 1]) == up(int(key));
  }
  return false;
}

std::string StripHotkey(const std::string& caption) {
  std::string out;
  for (std::size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == '&' && i + 1 < caption.size()) ++i;
    else if (caption[i] == '&') continue;
    out += caption[i];
  }
  return out;
}

TCustomForm* GetParentForm(const TControl* control) {
  for (const TControl* c = control; c; c = c->Parent()) {
    if (auto* f = dynamic_cast<const TCustomForm*>(c)) return const_cast<TCustomForm*>(f);
  }
  return nullptr;
}

// ---------------------------------------------------------------------------------------
// TControlCanvas

TControlCanvas::~TControlCanvas() { FreeHandle(); }

void TControlCanvas::SetControl(TControl* control) {
  FreeHandle();
  control_ = control;
}

void TControlCanvas::FreeHandle() {
  if (!windowDc_) return;
  HDC dc = windowDc_;
  HWND owner = windowDcOwner_;
  windowDc_ = nullptr;
  windowDcOwner_ = nullptr;
  if (HandleAllocated()) SetHandle(nullptr);
  ReleaseDC(owner, dc);
}

void TControlCanvas::SetPaintDC(HDC dc) {
  FreeHandle();
  SetHandle(dc);
}

void TControlCanvas::CreateHandle() {
  // Drawing outside a paint: a DC of the control's window (or of its parent's window,
  // moved to the control's place, for a windowless control); the screen DC serves
  // measuring before any window exists.
  HWND wnd = nullptr;
  POINT offset;
  if (auto* w = dynamic_cast<TWinControl*>(control_)) {
    if (w->HandleAllocated()) wnd = w->Handle();
  } else if (control_ && control_->Parent() && control_->Parent()->HandleAllocated()) {
    wnd = control_->Parent()->Handle();
    offset = POINT{control_->Left(), control_->Top()};
  }
  HDC dc = GetDC(wnd);
  if (!dc) return;
  if (wnd && (offset.x || offset.y)) {
    OffsetViewportOrgEx(dc, offset.x, offset.y, nullptr);
    IntersectClipRect(dc, 0, 0, control_->Width(), control_->Height());
  }
  windowDc_ = dc;
  windowDcOwner_ = wnd;
  SetHandle(dc);
}

// ---------------------------------------------------------------------------------------
// TControl

TControl::TControl(TComponent* owner) : TComponent(owner), font_(std::make_unique<TFont>()) {
  font_->OnChange = [this](TObject*) { FontObjectChanged(); };
}

TControl::~TControl() {
  if (TApplication* app = ApplicationIfAny()) app->ControlDestroyed(this);
  if (parent_) parent_->Remove(this);
  parent_ = nullptr;
}

LRESULT TControl::Perform(UINT msg, WPARAM wParam, LPARAM lParam) {
  TMessage m{msg, wParam, lParam, 0};
  WndProc(m);
  return m.Result;
}

void TControl::WndProc(TMessage& message) {
  switch (message.Msg) {
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MBUTTONDBLCLK:
      HandleMouseMessage(message);
      return;
    case CM_MOUSEENTER:
      if (OnMouseEnter) OnMouseEnter(this);
      return;
    case CM_MOUSELEAVE:
      if (OnMouseLeave) OnMouseLeave(this);
      return;
    case CM_PARENTFONTCHANGED:
      ParentFontChanged();
      return;
    case CM_PARENTCOLORCHANGED:
      ParentColorChanged();
      return;
    case CM_FONTCHANGED:
    case CM_COLORCHANGED:
    case CM_TEXTCHANGED:
    case CM_ENABLEDCHANGED:
      Invalidate();
      return;
    case CM_VISIBLECHANGED:
    case CM_CURSORCHANGED:
    case CM_FOCUSCHANGED:
    case CM_DIALOGKEY:
    case CM_DIALOGCHAR:
      return;
    default:
      break;
  }
  DefaultHandler(message);
}

void TControl::DefaultHandler(TMessage& message) { (void)message; }

void TControl::HandleMouseMessage(TMessage& message) {
  const int x = GET_X_LPARAM(message.LParam);
  const int y = GET_Y_LPARAM(message.LParam);
  TShiftState shift;
  const WPARAM keys = message.WParam;
  if (keys & MK_SHIFT) shift.Include(ssShift);
  if (keys & MK_CONTROL) shift.Include(ssCtrl);
  if (GetKeyState(VK_MENU) < 0) shift.Include(ssAlt);
  if (keys & MK_LBUTTON) shift.Include(ssLeft);
  if (keys & MK_RBUTTON) shift.Include(ssRight);
  if (keys & MK_MBUTTON) shift.Include(ssMiddle);

  auto down = [&](TMouseButton button, bool dbl) {
    if (dbl) shift.Include(ssDouble);
    if (button == mbLeft && controlStyle_.Contains(csCaptureMouse)) {
      if (TApplication* app = ApplicationIfAny()) app->SetCaptureControl(this);
    }
    if (button == mbLeft && controlStyle_.Contains(csClickEvents)) {
      controlState_.Include(csClicked);
      controlState_.Include(csLButtonDown);
    }
    if (dbl && button == mbLeft && controlStyle_.Contains(csDoubleClicks)) DblClick();
    MouseDown(button, shift, x, y);
  };
  auto up = [&](TMouseButton button) {
    if (button == mbLeft) {
      TApplication* app = ApplicationIfAny();
      if (app && app->CaptureControl() == this) app->SetCaptureControl(nullptr);
      bool clicked = controlState_.Contains(csClicked);
      controlState_.Exclude(csClicked);
      controlState_.Exclude(csLButtonDown);
      if (clicked && x >= 0 && y >= 0 && x < width_ && y < height_) Click();
    }
    MouseUp(button, shift, x, y);
  };

  switch (message.Msg) {
    case WM_MOUSEMOVE: MouseMove(shift, x, y); break;
    case WM_LBUTTONDOWN: down(mbLeft, false); break;
    case WM_LBUTTONDBLCLK: down(mbLeft, !controlStyle_.Contains(csDoubleClicks) ? false : true); break;
    case WM_RBUTTONDOWN: down(mbRight, false); break;
    case WM_RBUTTONDBLCLK: down(mbRight, true); break;
    case WM_MBUTTONDOWN: down(mbMiddle, false); break;
    case WM_MBUTTONDBLCLK: down(mbMiddle, true); break;
    case WM_LBUTTONUP: up(mbLeft); break;
    case WM_RBUTTONUP: up(mbRight); break;
    case WM_MBUTTONUP: up(mbMiddle); break;
    default: break;
  }
}

void TControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (OnMouseDown && !controlStyle_.Contains(csNoStdEvents)) OnMouseDown(this, button, shift, x, y);
}

void TControl::MouseMove(TShiftState shift, int x, int y) {
  if (OnMouseMove && !controlStyle_.Contains(csNoStdEvents)) OnMouseMove(this, shift, x, y);
}

void TControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (OnMouseUp && !controlStyle_.Contains(csNoStdEvents)) OnMouseUp(this, button, shift, x, y);
}

void TControl::Click() {
  if (OnClick) OnClick(this);
}

void TControl::DblClick() {
  if (OnDblClick) OnDblClick(this);
}

TComponent* TControl::GetParentComponent() const { return parent_; }

void TControl::SetParent(TWinControl* parent) {
  if (parent == parent_) return;
  if (parent == this) throw EInvalidOperation("A control cannot have itself as its parent");
  if (parent_) parent_->Remove(this);
  if (parent) {
    parent->Insert(this);
    if (parentFont_) ParentFontChanged();
    if (parentColor_) ParentColorChanged();
    Invalidate();
  }
}

TCustomForm* TControl::ParentForm() const { return GetParentForm(this); }

void TControl::ChangeScale(int m, int d) {
  if (m == d || m <= 0 || d <= 0) return;
  ScaleBounds(m, d);
  if (!parentFont_ || !parent_) {
    font_->SetPixelsPerInch(MulDiv(font_->PixelsPerInch(), m, d));
    font_->SetHeight(MulDiv(font_->Height(), m, d));
  }
}

void TControl::ScaleBounds(int m, int d) {
  const int left = MulDiv(left_, m, d), top = MulDiv(top_, m, d);
  SetBounds(left, top, MulDiv(left_ + width_, m, d) - left, MulDiv(top_ + height_, m, d) - top);
}

void TControl::SetBounds(int left, int top, int width, int height) {
  width = std::max(0, width);
  height = std::max(0, height);
  if (left == left_ && top == top_ && width == width_ && height == height_) return;
  // A windowless control is redrawn by its parent where it was and where it is now.
  if (parent_ && visible_) parent_->InvalidateRect(BoundsRect(), true);
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
  BoundsChanged();
  if (parent_ && visible_) parent_->InvalidateRect(BoundsRect(), true);
}

void TControl::BoundsChanged() {}

RECT TControl::ClientRect() const { return RECT{0, 0, width_, height_}; }
int TControl::ClientWidth() const {
  RECT r = ClientRect();
  return r.right - r.left;
}
int TControl::ClientHeight() const {
  RECT r = ClientRect();
  return r.bottom - r.top;
}
void TControl::SetClientWidth(int value) { SetWidth(width_ - ClientWidth() + value); }
void TControl::SetClientHeight(int value) { SetHeight(height_ - ClientHeight() + value); }

POINT TControl::ClientOrigin() const {
  if (auto* w = dynamic_cast<const TWinControl*>(this); w && w->HandleAllocated()) {
    POINT p;
    ::ClientToScreen(const_cast<TWinControl*>(w)->Handle(), &p);
    return p;
  }
  if (!parent_) return POINT{left_, top_};
  POINT p = parent_->ClientOrigin();
  return POINT{p.x + left_, p.y + top_};
}

POINT TControl::ClientToScreen(POINT p) const {
  POINT o = ClientOrigin();
  return POINT{p.x + o.x, p.y + o.y};
}

POINT TControl::ScreenToClient(POINT p) const {
  POINT o = ClientOrigin();
  return POINT{p.x - o.x, p.y - o.y};
}

void TControl::SetAnchors(TAnchors value) { anchors_ = value; }
void TControl::SetAlign(TAlign value) { align_ = value; }

// Anchored to the right or bottom edge: keep the distance to that edge; anchored to both
// edges: keep both distances (grow with the parent).
void TControl::AnchorsToParent(int dWidth, int dHeight) {
  int l = left_, t = top_, w = width_, h = height_;
  if (anchors_.Contains(akRight)) {
    if (anchors_.Contains(akLeft)) w += dWidth;
    else l += dWidth;
  }
  if (anchors_.Contains(akBottom)) {
    if (anchors_.Contains(akTop)) h += dHeight;
    else t += dHeight;
  }
  SetBounds(l, t, w, h);
}

void TControl::SetVisible(bool value) {
  if (value == visible_) return;
  VisibleChanging();
  visible_ = value;
  Perform(CM_VISIBLECHANGED, WPARAM(value), 0);
  if (parent_) parent_->InvalidateRect(BoundsRect(), true);
}

bool TControl::Showing() const { return visible_ && parent_ && parent_->Showing(); }

void TControl::SetEnabled(bool value) {
  if (value == enabled_) return;
  enabled_ = value;
  Perform(CM_ENABLEDCHANGED);
}

void TControl::SetText(const std::string& value) {
  if (value == text_) return;
  text_ = value;
  Perform(CM_TEXTCHANGED);
}

void TControl::SetName(const std::string& name) {
  const std::string old = Name();
  // A control made in code shows its name until it gets a caption of its own.
  const bool follow = controlStyle_.Contains(csSetCaption) && text_ == old && !IsLoading();
  TComponent::SetName(name);
  if (follow) SetText(name);
}

void TControl::SetFont(TFont* value) { font_->Assign(value); }

void TControl::FontObjectChanged() {
  if (!inFontUpdate_) parentFont_ = false;
  FontChanged();
}

void TControl::FontChanged() { Perform(CM_FONTCHANGED); }

void TControl::SetParentFont(bool value) {
  if (value == parentFont_) return;
  parentFont_ = value;
  if (value && parent_) ParentFontChanged();
}

void TControl::ParentFontChanged() {
  if (!parentFont_ || !parent_) return;
  inFontUpdate_ = true;
  try {
    font_->Assign(parent_->Font());
  } catch (...) {
    inFontUpdate_ = false;
    throw;
  }
  inFontUpdate_ = false;
}

void TControl::SetColor(TColor value) {
  parentColor_ = false;
  if (value == color_) return;
  color_ = value;
  Perform(CM_COLORCHANGED);
}

void TControl::SetParentColor(bool value) {
  if (value == parentColor_) return;
  parentColor_ = value;
  if (value && parent_) ParentColorChanged();
}

void TControl::ParentColorChanged() {
  if (!parentColor_ || !parent_) return;
  if (color_ == parent_->Color()) return;
  color_ = parent_->Color();
  Perform(CM_COLORCHANGED);
}

void TControl::SetCursor(TCursor value) {
  if (value == cursor_) return;
  cursor_ = value;
  Perform(CM_CURSORCHANGED);
}

void TControl::Invalidate() {
  if (parent_ && visible_) parent_->InvalidateRect(BoundsRect(), !controlStyle_.Contains(csOpaque));
}

void TControl::InvalidateRect(const RECT& r, bool erase) {
  if (auto* w = dynamic_cast<TWinControl*>(this)) {
    if (w->HandleAllocated()) ::InvalidateRect(w->Handle(), &r, erase ? TRUE : FALSE);
    return;
  }
  if (!parent_) return;
  RECT pr = r;
  OffsetRect(&pr, left_, top_);
  RECT clip;
  if (IntersectRect(&clip, pr, BoundsRect())) parent_->InvalidateRect(clip, erase);
}

void TControl::Update() {
  if (parent_) parent_->Update();
}

void TControl::Repaint() {
  if (!parent_ || !visible_) return;
  parent_->InvalidateRect(BoundsRect(), !controlStyle_.Contains(csOpaque));
  parent_->Update();
}

void TControl::BringToFront() {
  if (!parent_) return;
  auto& list = parent_->controls_;
  list.erase(std::remove(list.begin(), list.end(), this), list.end());
  list.push_back(this);
  if (auto* w = dynamic_cast<TWinControl*>(this); w && w->HandleAllocated())
    SetWindowPos(w->Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  Invalidate();
}

void TControl::Loaded() { TComponent::Loaded(); }
