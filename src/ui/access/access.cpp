// The accessibility model. Sections: the registry (nodes by component, names, deferred
// actions, the change hook), the application root, control nodes, lists and their items,
// page controls, pop-up menus and their entries.
#include "ui/access/access.h"

#include <algorithm>
#include <unordered_map>

#include "platform/base/cp1252.h"
#include "platform/win/win.h"
#include "ui/controls/accesshook.h"
#include "ui/controls/forms.h"
#include "ui/stdctrls/extctrls.h"
#include "ui/stdctrls/menus.h"
#include "ui/stdctrls/stdctrls.h"

namespace {

constexpr int kListBorder = 2;  // a list's items start inside its two-pixel border

std::string Utf8(const std::string& text) { return Cp1252ToUtf8(text); }

RECT ScreenRect(POINT origin, int width, int height) {
  return RECT{origin.x, origin.y, origin.x + width, origin.y + height};
}

class TAppAccessible;

// ---------------------------------------------------------------------------------------
// The registry

class TAccRegistry : public TComponent {
 public:
  TAccRegistry() : TComponent(nullptr) {}

  TAccessible* NodeOf(TComponent* component);
  void Watch(TComponent* component) {
    if (!watched.count(component)) {
      component->FreeNotification(this);
      watched[component] = true;
    }
  }
  void Emit(TAccEvent event, TAccessible* node) {
    if (listener && node) listener->AccessibleEvent(event, node);
  }
  void Notification(TComponent* component, TOperation operation) override;

  std::unordered_map<TComponent*, std::unique_ptr<TAccessible>> nodes;
  std::unordered_map<TComponent*, bool> watched;
  std::unordered_map<TComponent*, std::string> names;  // keyed as a component: see Notification
  std::vector<std::pair<TComponent*, std::function<void()>>> pending;
  std::vector<TPopupMenu*> openMenus;
  TAccListener* listener = nullptr;
  std::unique_ptr<TAppAccessible> root;
  UINT_PTR timer = 0;
};

// Kept apart from the registry, so registering a kind at start-up makes nothing else.
std::vector<TAccessibleFactory>& Factories() {
  static std::vector<TAccessibleFactory> factories;
  return factories;
}

TAccRegistry& Registry() {
  static TAccRegistry* registry = new TAccRegistry;  // lives to the end of the process
  return *registry;
}

void RunPendingTimer(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  Registry().timer = 0;
  RunPendingAccessActions();
}

void Defer(TComponent* subject, std::function<void()> action) {
  TAccRegistry& r = Registry();
  r.Watch(subject);
  r.pending.emplace_back(subject, std::move(action));
  if (!r.timer && WindowSystemRunning()) r.timer = SetTimer(nullptr, 0, 0, RunPendingTimer);
}

bool ControlEnabled(const TControl* control) {
  for (const TControl* c = control; c; c = c->Parent()) {
    if (!c->Enabled()) return false;
  }
  return true;
}

// ---------------------------------------------------------------------------------------
// The application

class TAppAccessible : public TAccessible {
 public:
  TAccRole Role() const override { return TAccRole::Application; }
  std::string Name() const override { return Application ? Utf8(Application->Title()) : std::string(); }
  TAccStates States() const override { return TAccStates{asEnabled, asVisible}; }
  RECT Bounds() const override { return RECT{}; }
  TAccessible* Parent() const override { return nullptr; }
  int ChildCount() const override { return int(Children().size()); }
  TAccessible* Child(int index) const override {
    const std::vector<TComponent*> list = Children();
    return index >= 0 && index < int(list.size()) ? AccessibleOf(list[std::size_t(index)]) : nullptr;
  }

 private:
  // The shown forms in the order they were made, then the open menus.
  static std::vector<TComponent*> Children() {
    std::vector<TComponent*> list;
    if (Screen) {
      for (int i = 0; i < Screen->FormCount(); ++i) {
        if (Screen->Forms(i)->Showing()) list.push_back(Screen->Forms(i));
      }
    }
    for (TPopupMenu* menu : Registry().openMenus) list.push_back(menu);
    return list;
  }
};

// ---------------------------------------------------------------------------------------
// Lists

class TListAccessible;

class TListItemAccessible : public TAccessible {
 public:
  TListItemAccessible(TListAccessible* list, int index) : list_(list), index_(index) {}
  TAccRole Role() const override { return TAccRole::ListItem; }
  std::string Name() const override { return Utf8(Line(0)); }
  std::string Description() const override { return Utf8(Line(1)); }
  TAccStates States() const override;
  RECT Bounds() const override;
  TAccessible* Parent() const override;
  std::vector<std::string> Actions() const override { return {"click"}; }
  bool DoAction(int index) override;

 private:
  TListBox* Box() const;
  // The item's first line (0), or the lines after it joined by spaces (1).
  std::string Line(int part) const;
  TListAccessible* list_;
  int index_;
};

class TListAccessible : public TControlAccessible {
 public:
  explicit TListAccessible(TListBox* box) : TControlAccessible(box), box_(box) {}
  ~TListAccessible() override { Trim(0); }
  TAccRole Role() const override { return TAccRole::List; }
  int ChildCount() const override { return box_->Count(); }
  TAccessible* Child(int index) const override {
    if (index < 0 || index >= box_->Count()) return nullptr;
    while (int(items_.size()) <= index) items_.push_back(std::make_unique<TListItemAccessible>(const_cast<TListAccessible*>(this), int(items_.size())));
    return items_[std::size_t(index)].get();
  }
  int SelectedChild() const override { return box_->ItemIndex(); }
  // What an arrow key landing on the item does: select it and, when that changed the
  // selection, raise the list's click.
  bool SelectChild(int index) override {
    if (index < 0 || index >= box_->Count() || !ControlEnabled(box_)) return false;
    TListBox* box = box_;
    Defer([box, index] {
      if (index >= box->Count() || index == box->ItemIndex()) return;
      box->SetItemIndex(index);
      box->Click();
    });
    return true;
  }
  // Drops the item nodes from `count` on (they no longer exist).
  void Trim(int count) {
    while (int(items_.size()) > count) {
      Registry().Emit(TAccEvent::Defunct, items_.back().get());
      items_.pop_back();
    }
  }
  TAccessible* ItemNode(int index) { return Child(index); }
  TListBox* Box() const { return box_; }

 private:
  TListBox* box_;
  mutable std::vector<std::unique_ptr<TListItemAccessible>> items_;
};

TListBox* TListItemAccessible::Box() const { return list_->Box(); }

std::string TListItemAccessible::Line(int part) const {
  const std::string text = index_ < Box()->Count() ? Box()->Items()->Strings(index_) : std::string();
  const std::size_t cr = text.find('\r');
  if (part == 0) return text.substr(0, cr);
  std::string rest;
  std::size_t from = cr;
  while (from != std::string::npos) {
    const std::size_t next = text.find('\r', from + 1);
    std::string line = text.substr(from + 1, next == std::string::npos ? std::string::npos : next - from - 1);
    line.erase(0, line.find_first_not_of(' '));
    line.erase(line.find_last_not_of(' ') + 1);
    if (!line.empty()) rest += (rest.empty() ? "" : " ") + line;
    from = next;
  }
  return rest;
}

TAccStates TListItemAccessible::States() const {
  TListBox* box = Box();
  TAccStates s{asSelectable, asFocusable};
  if (ControlEnabled(box)) s.Include(asEnabled);
  if (box->ItemIndex() == index_) {
    s.Include(asSelected);
    if (box->Focused()) s.Include(asFocused);
  }
  const int row = index_ - box->TopIndex();
  if (box->Showing() && row >= 0 && row < box->VisibleItemCount()) s.Include(asVisible);
  return s;
}

RECT TListItemAccessible::Bounds() const {
  TListBox* box = Box();
  const RECT r = box->ItemRect(index_);
  const POINT o = box->ClientOrigin();
  return RECT{o.x + kListBorder + r.left, o.y + kListBorder + r.top, o.x + kListBorder + r.right,
              o.y + kListBorder + r.bottom};
}

TAccessible* TListItemAccessible::Parent() const { return list_; }

// What a click on the item does: the list takes the focus, selects the item and raises
// its click.
bool TListItemAccessible::DoAction(int index) {
  TListBox* box = Box();
  if (index != 0 || !ControlEnabled(box)) return false;
  const int item = index_;
  Defer(box, [box, item] {
    if (item >= box->Count()) return;
    if (box->CanFocus() && !box->Focused()) box->SetFocus();
    box->SetItemIndex(item);
    box->Click();
  });
  return true;
}

// ---------------------------------------------------------------------------------------
// Page controls: the pages in their order are the choices.

std::vector<TTabSheet*> PagesOf(TPageControl* pages) {
  std::vector<TTabSheet*> list;
  for (int i = 0; i < pages->ControlCount(); ++i) {
    if (auto* sheet = dynamic_cast<TTabSheet*>(pages->Controls(i)); sheet && sheet->PageControl() == pages)
      list.push_back(sheet);
  }
  std::sort(list.begin(), list.end(), [](TTabSheet* a, TTabSheet* b) { return a->PageIndex() < b->PageIndex(); });
  return list;
}

// Shows the page as a click on its tab does (a hidden tab cannot be chosen).
bool ChoosePage(TTabSheet* sheet) {
  TPageControl* pages = sheet->PageControl();
  if (!pages || !sheet->TabVisible() || !ControlEnabled(pages)) return false;
  Defer(sheet, [sheet] {
    TPageControl* owner = sheet->PageControl();
    if (!owner || owner->ActivePage() == sheet) return;
    owner->SetActivePageIndex(sheet->PageIndex());
    if (owner->OnChange) owner->OnChange(owner);
  });
  return true;
}

class TPageControlAccessible : public TControlAccessible {
 public:
  explicit TPageControlAccessible(TPageControl* pages) : TControlAccessible(pages), pages_(pages) {}
  TAccRole Role() const override { return TAccRole::PageTabList; }
  int ChildCount() const override { return int(PagesOf(pages_).size()); }
  TAccessible* Child(int index) const override {
    const auto list = PagesOf(pages_);
    return index >= 0 && index < int(list.size()) ? AccessibleOf(list[std::size_t(index)]) : nullptr;
  }
  int SelectedChild() const override {
    const auto list = PagesOf(pages_);
    const auto it = std::find(list.begin(), list.end(), pages_->ActivePage());
    return it == list.end() ? -1 : int(it - list.begin());
  }
  bool SelectChild(int index) override {
    const auto list = PagesOf(pages_);
    return index >= 0 && index < int(list.size()) && ChoosePage(list[std::size_t(index)]);
  }

 private:
  TPageControl* pages_;
};

class TTabSheetAccessible : public TControlAccessible {
 public:
  explicit TTabSheetAccessible(TTabSheet* sheet) : TControlAccessible(sheet), sheet_(sheet) {}
  TAccRole Role() const override { return TAccRole::PageTab; }
  TAccStates States() const override {
    TAccStates s = TControlAccessible::States();
    s.Include(asSelectable);
    if (sheet_->PageControl() && sheet_->PageControl()->ActivePage() == sheet_) s.Include(asSelected);
    return s;
  }
  std::vector<std::string> Actions() const override { return {"click"}; }
  bool DoAction(int index) override { return index == 0 && ChoosePage(sheet_); }

 private:
  TTabSheet* sheet_;
};

// ---------------------------------------------------------------------------------------
// Pop-up menus

class TMenuAccessible : public TAccessible {
 public:
  explicit TMenuAccessible(TPopupMenu* menu) : menu_(menu) {}
  TAccRole Role() const override { return TAccRole::Menu; }
  std::string Name() const override { return {}; }
  TAccStates States() const override {
    return menu_->IsOpen() ? TAccStates{asEnabled, asVisible} : TAccStates{asEnabled};
  }
  RECT Bounds() const override {
    RECT r{};
    if (menu_->IsOpen()) GetWindowRect(menu_->WindowHandle(), &r);
    return r;
  }
  TAccessible* Parent() const override { return AccessibleApplication(); }
  int ChildCount() const override { return int(Entries().size()); }
  TAccessible* Child(int index) const override {
    const auto list = Entries();
    return index >= 0 && index < int(list.size()) ? AccessibleOf(list[std::size_t(index)]) : nullptr;
  }
  int SelectedChild() const override {
    const int h = menu_->HighlightIndex();
    if (h < 0) return -1;
    const auto list = Entries();
    const auto it = std::find(list.begin(), list.end(), menu_->Items()->Items(h));
    return it == list.end() ? -1 : int(it - list.begin());
  }
  TComponent* Subject() const override { return menu_; }

 private:
  std::vector<TMenuItem*> Entries() const {
    std::vector<TMenuItem*> list;
    for (int i = 0; i < menu_->Items()->Count(); ++i) {
      if (menu_->Items()->Items(i)->Visible()) list.push_back(menu_->Items()->Items(i));
    }
    return list;
  }
  TPopupMenu* menu_;
};

TPopupMenu* MenuOf(const TMenuItem* item) {
  for (auto& [component, node] : Registry().nodes) {
    if (auto* menu = dynamic_cast<TPopupMenu*>(component); menu && menu->Items()->IndexOf(item) >= 0) return menu;
  }
  return nullptr;
}

class TMenuItemAccessible : public TAccessible {
 public:
  explicit TMenuItemAccessible(TMenuItem* item) : item_(item) {}
  TAccRole Role() const override { return item_->IsLine() ? TAccRole::Separator : TAccRole::MenuItem; }
  std::string Name() const override { return item_->IsLine() ? std::string() : Utf8(StripHotkey(item_->Caption())); }
  TAccStates States() const override {
    TPopupMenu* menu = MenuOf(item_);
    TAccStates s;
    if (item_->IsLine()) return s;
    s.Include(asSelectable);
    if (item_->Enabled()) s.Include(asEnabled);
    if (menu && menu->IsOpen() && item_->Visible()) s.Include(asVisible);
    if (menu && menu->HighlightIndex() >= 0 && menu->HighlightIndex() == menu->Items()->IndexOf(item_))
      s.Include(asSelected).Include(asFocused);
    return s;
  }
  RECT Bounds() const override {
    TPopupMenu* menu = MenuOf(item_);
    if (!menu || !menu->IsOpen()) return RECT{};
    RECT w{}, r = menu->ItemRect(menu->Items()->IndexOf(item_));
    GetWindowRect(menu->WindowHandle(), &w);
    OffsetRect(&r, w.left, w.top);
    return r;
  }
  TAccessible* Parent() const override {
    TPopupMenu* menu = MenuOf(item_);
    return menu ? AccessibleOf(menu) : nullptr;
  }
  std::vector<std::string> Actions() const override { return item_->IsLine() ? std::vector<std::string>{} : std::vector<std::string>{"click"}; }
  // As Enter on the item's highlight: the menu closes, then the item does its work.
  bool DoAction(int index) override {
    TPopupMenu* menu = MenuOf(item_);
    if (index != 0 || !menu || !menu->IsOpen() || !item_->Enabled() || item_->IsLine()) return false;
    TMenuItem* item = item_;
    Defer(item, [menu, item] { menu->ChooseEntry(menu->Items()->IndexOf(item)); });
    return true;
  }
  TComponent* Subject() const override { return item_; }

 private:
  TMenuItem* item_;
};

// ---------------------------------------------------------------------------------------
// Making nodes, and the changes the controls report

std::unique_ptr<TAccessible> MakeNode(TComponent* component) {
  if (auto* control = dynamic_cast<TControl*>(component)) {
    for (auto it = Factories().rbegin(); it != Factories().rend(); ++it) {
      if (auto node = (*it)(control)) return node;
    }
    if (auto* box = dynamic_cast<TListBox*>(control)) return std::make_unique<TListAccessible>(box);
    if (auto* pages = dynamic_cast<TPageControl*>(control)) return std::make_unique<TPageControlAccessible>(pages);
    if (auto* sheet = dynamic_cast<TTabSheet*>(control)) return std::make_unique<TTabSheetAccessible>(sheet);
    return std::make_unique<TControlAccessible>(control);
  }
  if (auto* menu = dynamic_cast<TPopupMenu*>(component)) return std::make_unique<TMenuAccessible>(menu);
  if (auto* item = dynamic_cast<TMenuItem*>(component)) return std::make_unique<TMenuItemAccessible>(item);
  return nullptr;
}

TAccessible* TAccRegistry::NodeOf(TComponent* component) {
  if (!component) return nullptr;
  auto it = nodes.find(component);
  if (it != nodes.end()) return it->second.get();
  std::unique_ptr<TAccessible> node = MakeNode(component);
  if (!node) return nullptr;
  Watch(component);
  return (nodes[component] = std::move(node)).get();
}

void TAccRegistry::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation != opRemove || !watched.erase(component)) return;
  std::erase_if(pending, [component](const auto& p) { return p.first == component; });
  std::erase(openMenus, component);
  // The component is told from its base destructor: it is no control any more by now.
  names.erase(component);
  auto it = nodes.find(component);
  if (it == nodes.end()) return;
  std::unique_ptr<TAccessible> node = std::move(it->second);
  nodes.erase(it);
  Emit(TAccEvent::Defunct, node.get());
}

void OnAccessChange(TAccessChange change, TComponent* subject) {
  TAccRegistry& r = Registry();
  if (auto* menu = dynamic_cast<TPopupMenu*>(subject); menu && change == TAccessChange::Structure) {
    std::erase(r.openMenus, menu);
    if (menu->IsOpen()) r.openMenus.push_back(menu);
    r.NodeOf(menu);
  }
  if (change == TAccessChange::Structure) {
    if (auto* box = dynamic_cast<TListBox*>(subject)) {
      if (auto it = r.nodes.find(box); it != r.nodes.end()) {
        static_cast<TListAccessible*>(it->second.get())->Trim(box->Count());
        r.Emit(TAccEvent::ChildrenChanged, it->second.get());
      }
    } else {
      r.Emit(TAccEvent::ChildrenChanged, AccessibleApplication());
    }
    return;
  }
  if (!r.listener) return;
  TAccessible* node = r.NodeOf(subject);
  auto* box = dynamic_cast<TListBox*>(subject);
  if (change == TAccessChange::Focus) {
    r.Emit(TAccEvent::Focus, node);
    // A list's selected item is where a reader's attention goes.
    if (box && node && node->SelectedChild() >= 0) r.Emit(TAccEvent::Focus, node->Child(node->SelectedChild()));
    return;
  }
  r.Emit(TAccEvent::Selection, node);
  // So is the newly selected entry of a focused list, or the highlighted entry of a menu.
  const bool follows = (box && box->Focused()) || dynamic_cast<TPopupMenu*>(subject);
  if (follows && node && node->SelectedChild() >= 0) r.Emit(TAccEvent::Focus, node->Child(node->SelectedChild()));
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Control nodes

TAccessible::~TAccessible() = default;

int TAccessible::IndexInParent() const {
  const TAccessible* parent = Parent();
  if (!parent) return -1;
  for (int i = 0; i < parent->ChildCount(); ++i) {
    if (parent->Child(i) == this) return i;
  }
  return -1;
}

TControlAccessible::TControlAccessible(TControl* control) : control_(control) {}

TAccRole TControlAccessible::Role() const {
  TControl* c = control_;
  if (auto* form = dynamic_cast<TCustomForm*>(c))
    return dynamic_cast<TCustomForm*>(form->Owner()) ? TAccRole::Dialog : TAccRole::Frame;
  if (dynamic_cast<TButton*>(c)) return TAccRole::PushButton;
  if (dynamic_cast<TLabel*>(c)) return c->OnClick ? TAccRole::Link : TAccRole::Label;
  if (dynamic_cast<TImage*>(c)) return c->OnClick ? TAccRole::Link : TAccRole::Image;
  if (dynamic_cast<TBevel*>(c)) return TAccRole::Separator;
  if (dynamic_cast<TGroupBox*>(c)) return TAccRole::GroupBox;
  return TAccRole::Panel;
}

std::string TControlAccessible::Name() const {
  auto it = Registry().names.find(control_);
  if (it != Registry().names.end()) return Utf8(it->second);
  if (auto* label = dynamic_cast<TLabel*>(control_); label && !label->ShowAccelChar()) return Utf8(label->Caption());
  if (dynamic_cast<TBevel*>(control_) || dynamic_cast<TImage*>(control_)) return {};
  return Utf8(StripHotkey(control_->Caption()));
}

TAccStates TControlAccessible::States() const {
  TAccStates s;
  if (ControlEnabled(control_)) s.Include(asEnabled);
  if (control_->Showing()) s.Include(asVisible);
  if (auto* win = dynamic_cast<TWinControl*>(control_); win && !dynamic_cast<TCustomForm*>(win)) {
    if (win->TabStop()) s.Include(asFocusable);
    if (win->Focused()) s.Include(asFocused);
  }
  if (auto* button = dynamic_cast<TButton*>(control_)) {
    if (button->Down()) s.Include(asPressed);
    if (button->Default()) s.Include(asDefault);
  }
  return s;
}

RECT TControlAccessible::Bounds() const {
  if (dynamic_cast<TCustomForm*>(control_) || !control_->Parent())
    return ScreenRect(control_->ClientOrigin(), control_->ClientWidth(), control_->ClientHeight());
  const POINT o = control_->Parent()->ClientOrigin();
  return ScreenRect(POINT{o.x + control_->Left(), o.y + control_->Top()}, control_->Width(), control_->Height());
}

TAccessible* TControlAccessible::Parent() const {
  if (control_->Parent()) return AccessibleOf(control_->Parent());
  return AccessibleApplication();
}

int TControlAccessible::ChildCount() const {
  auto* win = dynamic_cast<TWinControl*>(control_);
  return win ? win->ControlCount() : 0;
}

TAccessible* TControlAccessible::Child(int index) const {
  auto* win = dynamic_cast<TWinControl*>(control_);
  return win && index >= 0 && index < win->ControlCount() ? AccessibleOf(win->Controls(index)) : nullptr;
}

std::vector<std::string> TControlAccessible::Actions() const {
  switch (Role()) {
    case TAccRole::PushButton: return {"click"};
    case TAccRole::Link: return {"open"};
    default: return {};
  }
}

// What a click does: a button's click, a link opening its target.
bool TControlAccessible::DoAction(int index) {
  if (index != 0 || Actions().empty() || !ControlEnabled(control_)) return false;
  TControl* c = control_;
  Defer([c] { c->Click(); });
  return true;
}

bool TControlAccessible::GrabFocus() {
  auto* win = dynamic_cast<TWinControl*>(control_);
  if (!win || dynamic_cast<TCustomForm*>(win) || !win->CanFocus()) return false;
  win->SetFocus();
  return true;
}

TComponent* TControlAccessible::Subject() const { return control_; }

void TControlAccessible::Defer(std::function<void()> action) { ::Defer(control_, std::move(action)); }

// ---------------------------------------------------------------------------------------
// The interface

TAccessible* AccessibleApplication() {
  TAccRegistry& r = Registry();
  if (!r.root) {
    r.root = std::make_unique<TAppAccessible>();
    SetAccessHook(OnAccessChange);
  }
  return r.root.get();
}

TAccessible* AccessibleOf(TComponent* component) {
  AccessibleApplication();
  return Registry().NodeOf(component);
}

void SetAccessibleListener(TAccListener* listener) { Registry().listener = listener; }

void SetAccessibleName(TControl* control, const std::string& name) {
  TAccRegistry& r = Registry();
  if (name.empty()) {
    r.names.erase(control);
    return;
  }
  r.Watch(control);
  r.names[control] = name;
}

void RunPendingAccessActions() {
  TAccRegistry& r = Registry();
  // One at a time: an action may destroy components whose actions are still waiting.
  while (!r.pending.empty()) {
    std::function<void()> action = std::move(r.pending.front().second);
    r.pending.erase(r.pending.begin());
    action();
  }
}

void RegisterAccessibleFactory(TAccessibleFactory factory) {
  if (std::find(Factories().begin(), Factories().end(), factory) == Factories().end()) Factories().push_back(factory);
}
