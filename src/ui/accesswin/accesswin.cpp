// Hands the model's nodes to the native layer: nodes as opaque pointers, windows by their
// native handles, roles and states in the native layer's own terms.
#include "ui/accesswin/accesswin.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <utility>

#include "platform/native/native_access.h"
#include "platform/win/win.h"
#include "ui/access/access.h"
#include "ui/controls/forms.h"
#include "ui/stdctrls/menus.h"

namespace {

using nativeacc::Node;

TAccessible* Of(Node n) { return static_cast<TAccessible*>(n); }

// The model's roles in their order.
constexpr nativeacc::Role kRoles[] = {
    nativeacc::Role::Application, nativeacc::Role::Frame,      nativeacc::Role::Dialog,    nativeacc::Role::Panel,
    nativeacc::Role::GroupBox,    nativeacc::Role::Label,      nativeacc::Role::Link,      nativeacc::Role::Image,
    nativeacc::Role::Separator,   nativeacc::Role::PushButton, nativeacc::Role::List,      nativeacc::Role::ListItem,
    nativeacc::Role::PageTabList, nativeacc::Role::PageTab,    nativeacc::Role::Menu,      nativeacc::Role::MenuItem,
};
static_assert(std::size(kRoles) == std::size_t(TAccRole::MenuItem) + 1);

constexpr std::pair<TAccState, unsigned> kStates[] = {
    {asFocused, nativeacc::Focused},   {asFocusable, nativeacc::Focusable}, {asSelected, nativeacc::Selected},
    {asSelectable, nativeacc::Selectable}, {asEnabled, nativeacc::Enabled}, {asPressed, nativeacc::Pressed},
    {asDefault, nativeacc::Default},   {asVisible, nativeacc::Visible},
};

// The node of the window (a form, an open menu) that shows `node`; null for the application.
TAccessible* WindowNodeOf(TAccessible* node) {
  TAccessible* app = AccessibleApplication();
  while (node && node->Parent() && node->Parent() != app) node = node->Parent();
  return node != app ? node : nullptr;
}

nativewin::Handle NativeOf(TAccessible* windowNode) {
  HWND h = nullptr;
  TComponent* subject = windowNode ? windowNode->Subject() : nullptr;
  if (auto* form = dynamic_cast<TCustomForm*>(subject); form && form->HandleAllocated()) h = form->Handle();
  if (auto* menu = dynamic_cast<TPopupMenu*>(subject)) h = menu->WindowHandle();
  // The system's window handles are 32-bit values, widened with their sign.
  const unsigned long id = h ? GetNativeWindowId(h) : 0;
  return reinterpret_cast<nativewin::Handle>(std::intptr_t(std::int32_t(std::uint32_t(id))));
}

class Bridge final : public nativeacc::Source, public TAccListener {
 public:
  // ---- nativeacc::Source
  Node Root(nativewin::Handle window) override {
    TAccessible* app = AccessibleApplication();
    for (int i = 0; i < app->ChildCount(); ++i) {
      TAccessible* top = app->Child(i);
      if (top && NativeOf(top) == window) return top;
    }
    return nullptr;
  }
  Node Parent(Node n) override {
    TAccessible* p = Of(n)->Parent();
    return p == AccessibleApplication() ? nullptr : p;
  }
  int ChildCount(Node n) override { return Of(n)->ChildCount(); }
  Node Child(Node n, int index) override { return Of(n)->Child(index); }
  nativeacc::Info Describe(Node n) override {
    TAccessible* a = Of(n);
    nativeacc::Info info;
    info.role = kRoles[std::size_t(a->Role())];
    info.name = a->Name();
    info.description = a->Description();
    const std::vector<std::string> actions = a->Actions();
    if (!actions.empty()) info.action = actions.front();
    const TAccStates states = a->States();
    for (const auto& [state, bit] : kStates) {
      if (states.Contains(state)) info.states |= bit;
    }
    const RECT r = a->Bounds();
    info.bounds = nativewin::Rect{r.left, r.top, r.right, r.bottom};
    return info;
  }
  int SelectedChild(Node n) override { return Of(n)->SelectedChild(); }
  bool Select(Node n) override {
    TAccessible* p = Of(n)->Parent();
    return p && p->SelectChild(Of(n)->IndexInParent());
  }
  // An item takes the focus as its list does, with the item chosen.
  bool Focus(Node n) override {
    TAccessible* a = Of(n);
    if (a->GrabFocus()) return true;
    return a->Role() == TAccRole::ListItem && a->Parent()->GrabFocus() && Select(n);
  }
  bool DoDefaultAction(Node n) override { return !Of(n)->Actions().empty() && Of(n)->DoAction(0); }
  nativewin::Handle WindowOf(Node n) override { return NativeOf(WindowNodeOf(Of(n))); }

  // ---- TAccListener
  void AccessibleEvent(TAccEvent event, TAccessible* node) override {
    switch (event) {
      case TAccEvent::Focus:
        // A list's or page control's focus is its chosen entry's, for a reader.
        if ((node->Role() == TAccRole::List || node->Role() == TAccRole::PageTabList) && node->SelectedChild() >= 0)
          node = node->Child(node->SelectedChild());
        nativeacc::Raise(nativeacc::Event::Focus, node);
        break;
      case TAccEvent::Selection:
        if (node->SelectedChild() >= 0) nativeacc::Raise(nativeacc::Event::Selection, node->Child(node->SelectedChild()));
        break;
      case TAccEvent::ChildrenChanged:
        if (node == AccessibleApplication())
          AnnounceMenus();
        else
          nativeacc::Raise(nativeacc::Event::Reorder, node);
        break;
      case TAccEvent::Defunct:
        std::erase(menus_, node);
        nativeacc::Forget(node);
        break;
    }
  }

 private:
  // Menus that opened or closed since the last change of the application's windows.
  void AnnounceMenus() {
    std::vector<TAccessible*> open;
    TAccessible* app = AccessibleApplication();
    for (int i = 0; i < app->ChildCount(); ++i) {
      if (TAccessible* c = app->Child(i); c && c->Role() == TAccRole::Menu) open.push_back(c);
    }
    for (TAccessible* m : menus_) {
      if (std::find(open.begin(), open.end(), m) == open.end()) nativeacc::Raise(nativeacc::Event::MenuEnd, m);
    }
    for (TAccessible* m : open) {
      if (std::find(menus_.begin(), menus_.end(), m) == menus_.end()) nativeacc::Raise(nativeacc::Event::MenuStart, m);
    }
    menus_ = std::move(open);
  }

  std::vector<TAccessible*> menus_;  // open, as last announced
};

}  // namespace

void StartSystemAccessibility() {
  static Bridge* bridge = new Bridge;  // as the model, it lives to the end of the process
  nativeacc::SetSource(bridge);
  SetAccessibleListener(bridge);
}
