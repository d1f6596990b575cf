// Sections: menu items, the popup window class, the pop-up menu.
#include "ui/stdctrls/menus.h"

#include <algorithm>

#include "ui/controls/forms.h"
#include "ui/stdctrls/classiclook.h"
#include "ui/stdctrls/themedlook.h"
#include "ui/controls/accesshook.h"

// ---------------------------------------------------------------------------------------
// TMenuItem

TMenuItem::TMenuItem(TComponent* owner) : TComponent(owner) {}

TMenuItem::~TMenuItem() {
  if (parent_) parent_->Remove(this);
  for (TMenuItem* child : items_) child->parent_ = nullptr;
}

void TMenuItem::Add(TMenuItem* item) { Insert(Count(), item); }

void TMenuItem::Insert(int index, TMenuItem* item) {
  if (!item || item == this) return;
  if (item->parent_) item->parent_->Remove(item);
  index = std::clamp(index, 0, Count());
  items_.insert(items_.begin() + index, item);
  item->parent_ = this;
}

void TMenuItem::Remove(TMenuItem* item) {
  auto it = std::find(items_.begin(), items_.end(), item);
  if (it == items_.end()) return;
  items_.erase(it);
  item->parent_ = nullptr;
}

int TMenuItem::IndexOf(const TMenuItem* item) const {
  auto it = std::find(items_.begin(), items_.end(), item);
  return it == items_.end() ? -1 : int(it - items_.begin());
}

TMenuItem* TMenuItem::FindByAccel(char key) const {
  const char k = (key >= 'a' && key <= 'z') ? char(key - 'a' + 'A') : key;
  for (TMenuItem* item : items_)
    if (item->visible_ && !item->IsLine() && AccelCharOf(item->caption_) == k) return item;
  return nullptr;
}

void TMenuItem::Click() {
  if (OnClick) OnClick(this);
}

void TMenuItem::SetParentComponent(TComponent* parent) {
  if (auto* menu = dynamic_cast<TPopupMenu*>(parent))
    menu->Items()->Add(this);
  else if (auto* item = dynamic_cast<TMenuItem*>(parent))
    item->Add(this);
}

TComponent* TMenuItem::GetParentComponent() const {
  if (parent_ && parent_->menu_) return parent_->menu_;
  return parent_;
}

// ---------------------------------------------------------------------------------------
// The popup window

LRESULT PopupMenuWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* menu = reinterpret_cast<TPopupMenu*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (!menu) return DefWindowProcA(hwnd, msg, wParam, lParam);
  return menu->HandleMessage(msg, wParam, lParam);
}

namespace {
constexpr const char* kMenuClass = "LbPopupMenu";

void RegisterMenuClass() {
  WNDCLASSA existing;
  if (GetClassInfoA(nullptr, kMenuClass, &existing)) return;
  WNDCLASSA wc;
  wc.style = CS_SAVEBITS;
  wc.lpfnWndProc = &PopupMenuWindowProc;
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.lpszClassName = kMenuClass;
  RegisterClassA(&wc);
}
}  // namespace

// ---------------------------------------------------------------------------------------
// TPopupMenu

void TPopupMenu::ChangeScale(int m, int d) {
  if (m <= 0 || d <= 0) return;
  font_->SetPixelsPerInch(MulDiv(font_->PixelsPerInch(), m, d));
  font_->SetHeight(MulDiv(font_->Height(), m, d));
}

TPopupMenu::TPopupMenu(TComponent* owner) : TComponent(owner), root_(nullptr), font_(std::make_unique<TFont>()) {
  root_.menu_ = this;
  font_->SetColor(clMenuText);
}

TPopupMenu::~TPopupMenu() {
  // Items owned by the menu go first, while the root they hang on still exists.
  DestroyComponents();
  if (window_) {
    SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
    if (IsWindow(window_)) DestroyWindow(window_);
    window_ = nullptr;
  }
}

void TPopupMenu::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
}

bool TPopupMenu::IsOpen() const { return open_; }

bool TPopupMenu::Selectable(int index) const {
  if (index < 0 || index >= root_.Count()) return false;
  const TMenuItem* item = root_.Items(index);
  return item->Visible() && item->Enabled() && !item->IsLine();
}

SIZE TPopupMenu::MenuSize() {
  TMeasureCanvas mc;
  mc.Font()->Assign(font_.get());
  int w = 0, h = 0;
  for (int i = 0; i < root_.Count(); ++i) {
    const TMenuItem* item = root_.Items(i);
    if (!item->Visible()) continue;
    h += MenuItemHeight(mc, item->IsLine());
    if (!item->IsLine()) w = std::max(w, MenuItemWidth(mc, item->Caption()));
  }
  // An empty menu still shows its frame.
  return SIZE{std::max(w, 20) + 2 * kMenuFrame, h + 2 * kMenuFrame};
}

RECT TPopupMenu::ItemRect(int index) {
  if (index < 0 || index >= root_.Count() || !root_.Items(index)->Visible()) return RECT{};
  TMeasureCanvas mc;
  mc.Font()->Assign(font_.get());
  const SIZE size = MenuSize();
  int y = kMenuFrame;
  for (int i = 0; i < index; ++i)
    if (root_.Items(i)->Visible()) y += MenuItemHeight(mc, root_.Items(i)->IsLine());
  return RECT{kMenuFrame, y, size.cx - kMenuFrame, y + MenuItemHeight(mc, root_.Items(index)->IsLine())};
}

int TPopupMenu::ItemAtPos(POINT p) {
  for (int i = 0; i < root_.Count(); ++i) {
    if (PtInRect(ItemRect(i), p)) return i;
  }
  return -1;
}

void TPopupMenu::Popup(int x, int y) {
  if (open_) Choose(nullptr);
  if (!WindowSystemRunning()) return;
  if (OnPopup) OnPopup(this);
  RegisterMenuClass();
  const SIZE size = MenuSize();
  const RECT r = ClampRectToWorkArea(RECT{x, y, x + size.cx, y + size.cy});
  HWND owner = nullptr;
  if (Application) {
    if (TCustomForm* main = Application->MainForm(); main && main->HandleAllocated()) owner = main->Handle();
  }
  if (!window_ || !IsWindow(window_)) {
    window_ = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kMenuClass, "", WS_POPUP, r.left, r.top,
                              r.right - r.left, r.bottom - r.top, owner, nullptr, nullptr, nullptr);
    if (!window_) return;
    SetWindowLongPtrA(window_, GWLP_USERDATA, LONG_PTR(this));
  } else {
    SetWindowPos(window_, HWND_TOPMOST, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOACTIVATE);
  }
  highlight_ = -1;
  pressedInside_ = false;
  open_ = true;
  ::InvalidateRect(window_, nullptr, FALSE);
  ShowWindow(window_, SW_SHOWNA);
  UpdateWindow(window_);
  NotifyAccess(TAccessChange::Structure, this);
}

void TPopupMenu::Choose(TMenuItem* item) {
  if (!open_) return;
  open_ = false;
  highlight_ = -1;
  pressedInside_ = false;
  if (window_) ShowWindow(window_, SW_HIDE);
  NotifyAccess(TAccessChange::Structure, this);
  if (OnClose) OnClose(this);
  if (item) item->Click();
}

void TPopupMenu::ChooseEntry(int index) {
  if (Selectable(index)) Choose(root_.Items(index));  // Choose does nothing while closed
}

void TPopupMenu::SetHighlight(int index) {
  if (index == highlight_) return;
  const int old = highlight_;
  highlight_ = index;
  NotifyAccess(TAccessChange::Selection, this);
  if (!window_) return;
  for (int i : {old, index}) {
    if (i < 0) continue;
    const RECT r = ItemRect(i);
    ::InvalidateRect(window_, &r, FALSE);
  }
}

void TPopupMenu::MoveHighlight(int step) {
  const int n = root_.Count();
  if (n == 0) return;
  int i = highlight_;
  for (int k = 0; k < n; ++k) {
    if (i < 0)
      i = step > 0 ? 0 : n - 1;
    else
      i = (i + step + n) % n;
    if (Selectable(i)) {
      SetHighlight(i);
      return;
    }
  }
}

void TPopupMenu::Paint(HDC dc) {
  TCanvas canvas;
  canvas.SetHandle(dc);
  canvas.Font()->Assign(font_.get());
  const SIZE size = MenuSize();
  DrawMenuFrame(canvas, RECT{0, 0, size.cx, size.cy});
  for (int i = 0; i < root_.Count(); ++i) {
    const TMenuItem* item = root_.Items(i);
    if (!item->Visible()) continue;
    TMenuItemDrawState state;
    if (item->IsLine()) state.Include(midSeparator);
    if (!item->Enabled()) state.Include(midDisabled);
    if (i == highlight_) state.Include(midHighlighted);
    if (!DrawThemedMenuItem(canvas, ItemRect(i), item->Caption(), state))
      DrawMenuItem(canvas, ItemRect(i), item->Caption(), state);
  }
  canvas.SetHandle(nullptr);
}

LRESULT TPopupMenu::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  const HWND hwnd = window_;
  const POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  RECT client{};
  if (hwnd) GetClientRect(hwnd, &client);
  switch (msg) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      Paint(dc);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_ERASEBKGND: return 1;
    case WM_MOUSEACTIVATE: return 3;  // MA_NOACTIVATE: a menu never takes the activation
    case WM_MOUSEMOVE: {
      if (!open_) return 0;
      const int index = PtInRect(client, p) ? ItemAtPos(p) : -1;
      SetHighlight(Selectable(index) ? index : -1);
      return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
      if (!open_) return 0;
      if (!PtInRect(client, p)) {
        Choose(nullptr);
        return 0;
      }
      pressedInside_ = true;
      return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP: {
      if (!open_ || !PtInRect(client, p)) return 0;
      const int index = ItemAtPos(p);
      if (Selectable(index)) Choose(root_.Items(index));
      return 0;
    }
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
      if (!open_) return 0;
      const UINT vk = UINT(wParam);
      switch (vk) {
        case VK_ESCAPE: Choose(nullptr); return 0;
        case VK_UP: MoveHighlight(-1); return 0;
        case VK_DOWN: MoveHighlight(1); return 0;
        case VK_HOME:
          highlight_ = -1;
          MoveHighlight(1);
          return 0;
        case VK_END:
          highlight_ = -1;
          MoveHighlight(-1);
          return 0;
        case VK_RETURN:
        case VK_SPACE:
          if (Selectable(highlight_)) Choose(root_.Items(highlight_));
          return 0;
        default: break;
      }
      if ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9')) {
        TMenuItem* item = root_.FindByAccel(char(vk));
        if (item && item->Enabled()) Choose(item);
      }
      return 0;
    }
    case WM_CHAR:
    case WM_SYSCHAR:
    case WM_KEYUP:
    case WM_SYSKEYUP: return 0;
    case WM_CANCELMODE:
    case WM_CAPTURECHANGED:
      if (msg == WM_CANCELMODE) Choose(nullptr);
      return 0;
    default: return DefWindowProcA(hwnd, msg, wParam, lParam);
  }
}
