// Sections: list box, button, label, group box, pop-up menus of controls.
#include "ui/stdctrls/stdctrls.h"

#include <algorithm>
#include <cctype>
#include <map>

#include "platform/font/font.h"
#include "ui/stdctrls/menus.h"
#include "ui/stdctrls/themedlook.h"
#include "ui/controls/accesshook.h"

namespace {

// The list box border: a sunken client edge, two pixels on every side. The list's client
// coordinates (mouse events, items, the owner's drawing) start inside it; these two are
// the only mappings to and from the window's, which include it.
constexpr int kListBorder = 2;
RECT ListToWindow(RECT r) {
  OffsetRect(&r, kListBorder, kListBorder);
  return r;
}
LPARAM WindowToList(LPARAM pos) { return MAKELPARAM(GET_X_LPARAM(pos) - kListBorder, GET_Y_LPARAM(pos) - kListBorder); }

// Restores a DC's viewport origin and clip region when a nested drawing is done.
class ClientDrawScope {
 public:
  ClientDrawScope(HDC dc, int dx, int dy, const RECT& clip) : dc_(dc), rgn_(CreateRectRgn(0, 0, 0, 0)) {
    hadClip_ = GetClipRgn(dc_, rgn_) == 1;
    OffsetViewportOrgEx(dc_, dx, dy, &oldOrg_);
    IntersectClipRect(dc_, clip.left, clip.top, clip.right, clip.bottom);
  }
  ~ClientDrawScope() {
    SetViewportOrgEx(dc_, oldOrg_.x, oldOrg_.y, nullptr);
    SelectClipRgn(dc_, hadClip_ ? rgn_ : nullptr);
    DeleteObject(rgn_);
  }
  ClientDrawScope(const ClientDrawScope&) = delete;
  ClientDrawScope& operator=(const ClientDrawScope&) = delete;

 private:
  HDC dc_;
  HRGN rgn_;
  bool hadClip_ = false;
  POINT oldOrg_;
};

}  // namespace

// ---------------------------------------------------------------------------------------
// TListBox

TListBox::TListBox(TComponent* owner) : TCustomControl(owner), items_(std::make_unique<TStringList>()) {
  static_cast<TStringList*>(items_.get())->OnChange = [this](TObject*) { ItemsChanged(); };
  // Clicks are raised by the list itself (selection by mouse or keys), never by the
  // generic press-and-release rule.
  controlStyle_ = TControlStyle{csCaptureMouse, csOpaque, csDoubleClicks};
  color_ = clWindow;
  tabStop_ = true;
  SetBounds(0, 0, 121, 97);
}

TListBox::~TListBox() { static_cast<TStringList*>(items_.get())->OnChange = nullptr; }

void TListBox::SetItems(TStrings* value) {
  if (value) items_->Assign(value);
}

void TListBox::SetStyle(TListBoxStyle value) {
  if (style_ == value) return;
  style_ = value;
  Invalidate();
}

void TListBox::ChangeScale(int m, int d) {
  TCustomControl::ChangeScale(m, d);
  if (m > 0 && d > 0) SetItemHeight(std::max(1, MulDiv(itemHeight_, m, d)));
}

void TListBox::SetItemHeight(int value) {
  if (value <= 0 || value == itemHeight_) return;
  itemHeight_ = value;
  Invalidate();
}

void TListBox::ItemsChanged() {
  if (itemIndex_ >= Count()) itemIndex_ = -1;
  topIndex_ = std::clamp(topIndex_, 0, std::max(0, Count() - 1));
  Invalidate();
  NotifyAccess(TAccessChange::Structure, this);
}

void TListBox::Clear() { items_->Clear(); }

void TListBox::SetItemIndex(int value) {
  if (value < -1 || value >= Count()) value = -1;
  if (value == itemIndex_) return;
  InvalidateItem(itemIndex_);
  itemIndex_ = value;
  InvalidateItem(itemIndex_);
  MakeVisible(itemIndex_);
  NotifyAccess(TAccessChange::Selection, this);
}

void TListBox::SetTopIndex(int value) {
  value = std::clamp(value, 0, std::max(0, Count() - 1));
  if (value == topIndex_) return;
  topIndex_ = value;
  Invalidate();
}

RECT TListBox::ItemArea() const {
  return RECT{0, 0, std::max(0, width_ - 2 * kListBorder), std::max(0, height_ - 2 * kListBorder)};
}

int TListBox::VisibleItemCount() const {
  return std::max(1, int(ItemArea().bottom) / std::max(1, itemHeight_));
}

int TListBox::ItemAtPos(POINT p, bool existing) const {
  const RECT client = ItemArea();
  if (!PtInRect(client, p)) return -1;
  const int index = topIndex_ + int(p.y) / std::max(1, itemHeight_);
  if (index >= Count()) return existing ? -1 : Count();
  return index;
}

RECT TListBox::ItemRect(int index) const {
  const int y = (index - topIndex_) * itemHeight_;
  return RECT{0, y, ItemArea().right, y + itemHeight_};
}

void TListBox::MakeVisible(int index) {
  if (index < 0) return;
  if (index < topIndex_) {
    SetTopIndex(index);
  } else {
    const int visible = VisibleItemCount();
    if (index >= topIndex_ + visible) SetTopIndex(index - visible + 1);
  }
}

void TListBox::InvalidateItem(int index) {
  if (index < 0 || index >= Count()) return;
  InvalidateRect(ListToWindow(ItemRect(index)), false);
}

void TListBox::SelectByUser(int index) {
  SetItemIndex(index);
  Click();
}

void TListBox::Paint() {
  TCanvas* c = Canvas();
  const RECT outer{0, 0, width_, height_};
  if (!DrawThemedListBoxFrame(*c, outer, color_, enabled_, nullptr)) DrawListBoxFrame(*c, outer, color_);
  const RECT client = ItemArea(), inner = ListToWindow(client);
  ClientDrawScope scope(c->Handle(), inner.left, inner.top, client);
  const bool focused = Focused();
  for (int i = topIndex_; i < Count(); ++i) {
    const RECT r = ItemRect(i);
    if (r.top >= client.bottom) break;
    TOwnerDrawState state;
    if (i == itemIndex_) {
      state.Include(odSelected);
      if (focused) state.Include(odFocused);
    }
    if (!enabled_) state.Include(odDisabled);
    c->Font()->Assign(font_.get());
    c->Brush()->SetColor(color_);
    DrawItem(i, r, state);
  }
}

void TListBox::DrawItem(int index, const RECT& rect, TOwnerDrawState state) {
  if (style_ != lbStandard && OnDrawItem) {
    OnDrawItem(this, index, rect, state);
    return;
  }
  DrawListItemClassic(*Canvas(), rect, items_->Strings(index), state.Contains(odSelected),
                      state.Contains(odFocused));
}

void TListBox::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft) {
    if (CanFocus() && !Focused()) SetFocus();
    const int index = ItemAtPos(POINT{x, y}, true);
    tracking_ = index >= 0;
    if (index >= 0) SetItemIndex(index);
  }
  TCustomControl::MouseDown(button, shift, x, y);
}

void TListBox::MouseMove(TShiftState shift, int x, int y) {
  if (tracking_ && shift.Contains(ssLeft)) {
    const int index = ItemAtPos(POINT{x, y}, true);
    if (index >= 0) SetItemIndex(index);
  }
  TCustomControl::MouseMove(shift, x, y);
}

void TListBox::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  const bool click = button == mbLeft && tracking_ && itemIndex_ >= 0;
  if (button == mbLeft) tracking_ = false;
  TCustomControl::MouseUp(button, shift, x, y);
  if (click) Click();
}

void TListBox::KeyDown(WORD& key, TShiftState shift) {
  TCustomControl::KeyDown(key, shift);
  if (Count() == 0) return;
  const int page = std::max(1, VisibleItemCount() - 1);
  const int cur = itemIndex_;
  int next = cur;
  switch (key) {
    case VK_UP:
    case VK_LEFT: next = cur < 0 ? 0 : cur - 1; break;
    case VK_DOWN:
    case VK_RIGHT: next = cur + 1; break;
    case VK_HOME: next = 0; break;
    case VK_END: next = Count() - 1; break;
    case VK_PRIOR: next = cur < 0 ? 0 : cur - page; break;
    case VK_NEXT: next = cur + page; break;
    default: return;
  }
  next = std::clamp(next, 0, Count() - 1);
  key = 0;
  if (next != cur) SelectByUser(next);
}

void TListBox::DefaultHandler(TMessage& message) {
  if (message.Msg == WM_KEYDOWN && message.WParam == VK_RETURN && itemIndex_ >= 0) {
    Click();
    return;
  }
  TCustomControl::DefaultHandler(message);
}

void TListBox::KeyPress(char& key) {
  TCustomControl::KeyPress(key);
  const unsigned char ch = static_cast<unsigned char>(key);
  if (ch < 0x20 || ch == 0x7F) return;  // Enter, Esc, Tab, Backspace and the Ctrl keys go on
  key = 0;
  const int n = Count();
  auto lower = [](unsigned char c) { return std::tolower(c); };
  for (int step = 1; step <= n; ++step) {
    // From the item after the current one (the first when there is none), wrapping.
    const int i = ((itemIndex_ < 0 ? -1 : itemIndex_) + step) % n;
    const std::string text = items_->Strings(i);
    if (text.empty() || lower(static_cast<unsigned char>(text[0])) != lower(ch)) continue;
    if (i != itemIndex_) SelectByUser(i);
    return;
  }
}

void TListBox::WndProc(TMessage& message) {
  if (message.Msg >= WM_MOUSEMOVE && message.Msg <= WM_MBUTTONDBLCLK) {
    // Mouse input goes on in the list's coordinates; its pop-up menu opens at the window's.
    const LPARAM pos = message.LParam;
    message.LParam = WindowToList(pos);
    TCustomControl::WndProc(message);
    if (message.Msg == WM_RBUTTONUP) PopupControlMenu(this, GET_X_LPARAM(pos), GET_Y_LPARAM(pos));
    return;
  }
  switch (message.Msg) {
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      TCustomControl::WndProc(message);
      InvalidateItem(itemIndex_);
      return;
    case WM_CAPTURECHANGED:
    case WM_CANCELMODE:
      tracking_ = false;
      break;
    case CM_FONTCHANGED:
    case CM_COLORCHANGED:
    case CM_ENABLEDCHANGED:
      Invalidate();
      break;
    default: break;
  }
  TCustomControl::WndProc(message);
}

// ---------------------------------------------------------------------------------------
// TButton

TButton::TButton(TComponent* owner) : TCustomControl(owner) {
  // The press tracker decides about clicks, not the generic press-and-release rule.
  controlStyle_ = TControlStyle{csCaptureMouse, csOpaque, csSetCaption};
  color_ = clBtnFace;
  tabStop_ = true;
  SetBounds(0, 0, 75, 25);
}

TButton::~TButton() = default;

void TButton::SetDefault(bool value) {
  if (default_ == value) return;
  default_ = value;
  HWND focus = GetFocus();
  TButton* focused = dynamic_cast<TButton*>(focus ? TWinControl::FindControl(focus) : nullptr);
  SetActive(focused ? focused == this : default_);
}

void TButton::SetActive(bool value) {
  if (active_ == value) return;
  active_ = value;
  Invalidate();
}

void TButton::Apply(TPressEffect effect) {
  if (effect.refresh) Invalidate();
  if (effect.click) Click();
}

void TButton::Click() {
  if (modalResult_ != mrNone) {
    if (TCustomForm* form = GetParentForm(this)) form->SetModalResult(modalResult_);
  }
  TCustomControl::Click();
}

void TButton::Paint() {
  TButtonDrawState state;
  if (Down()) state.Include(bdfPressed);
  if (Focused()) state.Include(bdfFocused);
  if (active_) state.Include(bdfDefault);
  if (!enabled_) state.Include(bdfDisabled);
  TCanvas* c = Canvas();
  c->Font()->Assign(font_.get());
  const RECT bounds{0, 0, width_, height_};
  if (!DrawThemedPushButton(*c, handle_, bounds, text_, state)) DrawPushButton(*c, bounds, text_, state);
}

void TButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft && enabled_) {
    if (CanFocus() && !Focused()) SetFocus();
    Apply(tracker_.Press(Focused()));
  }
  TCustomControl::MouseDown(button, shift, x, y);
}

void TButton::MouseMove(TShiftState shift, int x, int y) {
  Apply(tracker_.Move(PtInRect(ClientRect(), POINT{x, y})));
  TCustomControl::MouseMove(shift, x, y);
}

void TButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  const TPressEffect effect = tracker_.Release(button, PtInRect(ClientRect(), POINT{x, y}));
  TCustomControl::MouseUp(button, shift, x, y);
  Apply(effect);
  if (button == mbRight) PopupControlMenu(this, x, y);
}

void TButton::KeyDown(WORD& key, TShiftState shift) {
  TCustomControl::KeyDown(key, shift);
  if (key == VK_SPACE) Apply(tracker_.SpaceDown(shift));
}

void TButton::KeyUp(WORD& key, TShiftState shift) {
  TCustomControl::KeyUp(key, shift);
  if (key == VK_SPACE) Apply(tracker_.SpaceUp());
}

void TButton::WndProc(TMessage& message) {
  switch (message.Msg) {
    case CM_DIALOGKEY:
    case CM_DIALOGCHAR:
      // Enter and Esc need the button shown and enabled, an access key that it could take
      // the focus.
      if (TPressTracker::DialogClicks(message, KeyboardStateToShiftState(), text_, active_, cancel_,
                                      message.Msg == CM_DIALOGKEY ? Showing() && enabled_ : CanFocus())) {
        Click();
        message.Result = 1;
        return;
      }
      break;
    case CM_FOCUSCHANGED: {
      auto* focused = reinterpret_cast<TWinControl*>(message.LParam);
      if (focused == this)
        SetActive(true);
      else if (dynamic_cast<TButton*>(focused))
        SetActive(false);
      else
        SetActive(default_);
      break;
    }
    case WM_KILLFOCUS: Apply(tracker_.FocusLost()); break;
    case WM_CAPTURECHANGED:
    case WM_CANCELMODE: Apply(tracker_.CaptureLost()); break;
    case CM_TEXTCHANGED:
    case CM_ENABLEDCHANGED:
    case CM_FONTCHANGED:
      Invalidate();
      break;
    default: break;
  }
  TCustomControl::WndProc(message);
  if (message.Msg == WM_SETFOCUS || message.Msg == WM_KILLFOCUS) Invalidate();
}

// ---------------------------------------------------------------------------------------
// TLabel

TLabel::TLabel(TComponent* owner) : TGraphicControl(owner) {
  controlStyle_ = TControlStyle{csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
  parentColor_ = true;
  color_ = clBtnFace;
  SetBounds(0, 0, 65, 17);
}

TLabel::~TLabel() = default;

UINT TLabel::TextFormat() const {
  static constexpr UINT kAlign[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
  UINT f = DT_EXPANDTABS | kAlign[alignment_];
  if (wordWrap_) f |= DT_WORDBREAK;
  if (!showAccelChar_) f |= DT_NOPREFIX;
  return f;
}

void TLabel::AdjustBounds() {
  if (!autoSize_ || IsLoading()) return;
  TMeasureCanvas mc;
  mc.Font()->Assign(font_.get());
  std::string text = text_;
  // An empty label keeps the height of one line.
  if (text.empty() || (showAccelChar_ && text == "&")) text += ' ';
  RECT r{0, 0, wordWrap_ ? width_ : 0, 0};
  FontSelection sel(mc);
  DrawTextA(sel.dc(), text.c_str(), int(text.size()), &r, TextFormat() | DT_CALCRECT);
  const int w = wordWrap_ ? width_ : int(r.right);
  const int h = int(r.bottom);
  int left = left_;
  if (alignment_ == taRightJustify && !wordWrap_) left = left_ + width_ - w;
  if (w != width_ || h != height_ || left != left_) SetBounds(left, top_, w, h);
}

void TLabel::Paint() {
  TCanvas* c = Canvas();
  const RECT client{0, 0, width_, height_};
  if (!transparent_) FillColor(*c, client, color_);
  c->Font()->Assign(font_.get());
  std::string text = text_;
  if (text.empty()) return;
  RECT r = client;
  if (layout_ != tlTop) {
    RECT calc = client;
    FontSelection sel(*c);
    DrawTextA(sel.dc(), text.c_str(), int(text.size()), &calc, TextFormat() | DT_CALCRECT);
    const int th = int(calc.bottom - calc.top);
    r.top = layout_ == tlBottom ? client.bottom - th : (client.bottom - th) / 2;
  }
  if (enabled_)
    DrawCanvasText(*c, r, text, TextFormat());
  else
    DrawDisabledText(*c, r, text, TextFormat());
}

void TLabel::SetAutoSize(bool value) {
  if (autoSize_ == value) return;
  autoSize_ = value;
  AdjustBounds();
}

void TLabel::SetWordWrap(bool value) {
  if (wordWrap_ == value) return;
  wordWrap_ = value;
  AdjustBounds();
  Invalidate();
}

void TLabel::SetTransparent(bool value) {
  if (transparent_ == value) return;
  transparent_ = value;
  Invalidate();
}

void TLabel::SetShowAccelChar(bool value) {
  if (showAccelChar_ == value) return;
  showAccelChar_ = value;
  AdjustBounds();
  Invalidate();
}

void TLabel::SetLayout(TTextLayout value) {
  if (layout_ == value) return;
  layout_ = value;
  Invalidate();
}

void TLabel::SetAlignment(TAlignment value) {
  if (alignment_ == value) return;
  alignment_ = value;
  AdjustBounds();
  Invalidate();
}

void TLabel::SetFocusControl(TWinControl* value) {
  if (focusControl_ == value) return;
  if (focusControl_) focusControl_->RemoveFreeNotification(this);
  focusControl_ = value;
  if (focusControl_) focusControl_->FreeNotification(this);
}

void TLabel::Notification(TComponent* component, TOperation operation) {
  TGraphicControl::Notification(component, operation);
  if (operation == opRemove && component == focusControl_) focusControl_ = nullptr;
}

void TLabel::SetText(const std::string& value) {
  TGraphicControl::SetText(value);
  AdjustBounds();
  Invalidate();
}

void TLabel::Loaded() {
  TGraphicControl::Loaded();
  AdjustBounds();
}

void TLabel::FontChanged() {
  TGraphicControl::FontChanged();
  AdjustBounds();
  Invalidate();
}

void TLabel::WndProc(TMessage& message) {
  if (message.Msg == CM_DIALOGCHAR && focusControl_ && showAccelChar_ && enabled_ &&
      IsAccel(WORD(message.WParam), text_) && focusControl_->CanFocus()) {
    focusControl_->SetFocus();
    message.Result = 1;
    return;
  }
  TGraphicControl::WndProc(message);
  if (message.Msg == CM_FONTCHANGED) {
    AdjustBounds();
    Invalidate();
  }
}

void TLabel::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  TGraphicControl::MouseUp(button, shift, x, y);
  if (button == mbRight) PopupControlMenu(this, x, y);
}

// ---------------------------------------------------------------------------------------
// TGroupBox

TGroupBox::TGroupBox(TComponent* owner) : TCustomControl(owner) {
  controlStyle_ = TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csOpaque,
                                csDoubleClicks};
  parentColor_ = true;
  color_ = clBtnFace;
  SetBounds(0, 0, 185, 105);
}

TGroupBox::~TGroupBox() = default;

void TGroupBox::Paint() {
  TCanvas* c = Canvas();
  c->Font()->Assign(font_.get());
  const RECT bounds{0, 0, width_, height_};
  if (!DrawThemedGroupBoxFrame(*c, bounds, text_, color_, enabled_)) DrawGroupBoxFrame(*c, bounds, text_, color_, enabled_);
}

void TGroupBox::WndProc(TMessage& message) {
  if (message.Msg == CM_TEXTCHANGED || message.Msg == CM_ENABLEDCHANGED || message.Msg == CM_FONTCHANGED ||
      message.Msg == CM_COLORCHANGED)
    Invalidate();
  TCustomControl::WndProc(message);
}

// ---------------------------------------------------------------------------------------
// Pop-up menus of controls

namespace {

// Forgets a link as soon as either the control or the menu is destroyed.
class TPopupLinks : public TComponent {
 public:
  TPopupLinks() : TComponent(nullptr) {}
  void Notification(TComponent* component, TOperation operation) override {
    TComponent::Notification(component, operation);
    if (operation != opRemove) return;
    for (auto it = links.begin(); it != links.end();) {
      if (it->first == component || it->second == component)
        it = links.erase(it);
      else
        ++it;
    }
  }
  std::map<const TControl*, TPopupMenu*> links;
};

TPopupLinks& Links() {
  // Lives as long as the process; components linked to it unlink themselves when freed.
  static TPopupLinks* links = new TPopupLinks();
  return *links;
}

}  // namespace

TPopupMenu* ControlPopupMenu(const TControl* control) {
  auto& l = Links();
  auto it = l.links.find(control);
  if (it == l.links.end()) return nullptr;
  return it->second;
}

void SetControlPopupMenu(TControl* control, TPopupMenu* menu) {
  if (!control) return;
  auto& l = Links();
  if (menu) {
    l.links[control] = menu;
    control->FreeNotification(&l);
    menu->FreeNotification(&l);
  } else {
    l.links.erase(control);
  }
}


bool PopupControlMenu(TControl* control, int x, int y) {
  TPopupMenu* menu = ControlPopupMenu(control);
  if (!menu) return false;
  const POINT p = control->ClientToScreen(POINT{x, y});
  menu->Popup(p.x, p.y);
  return true;
}
