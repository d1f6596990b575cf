// The Linux bridge of the accessibility model, a module loaded at run time: every model
// node gets an ATK object (with the component, action and selection interfaces), the ATK
// utility class answers the root and the event hooks, and ATK's own AT-SPI bridge puts the
// tree on the accessibility bus. Its GLib main context is served from the program's
// message wait (ExternalWaitSource): no thread of its own, no polling.
//
// Sections: the ATK object type, the utility class, the bridge (events, wait), the entry.
#include <atk-bridge.h>
#include <atk/atk.h>
#include <dbus/dbus.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

#include "ui/access/bridge.h"

namespace {

class AtspiBridge;
AtspiBridge* gBridge = nullptr;

// ---------------------------------------------------------------------------------------
// The ATK object of a node

struct LbAtkObject {
  AtkObject parent;
  TAccessible* node;  // null once the node is gone
  std::string* name;  // the texts handed out last (ATK keeps pointers to them)
  std::string* description;
  std::vector<std::string>* actions;
};
struct LbAtkObjectClass {
  AtkObjectClass parent_class;
};

GType LbAtkObjectType();
TAccessible* NodeOf(gpointer object) { return reinterpret_cast<LbAtkObject*>(object)->node; }
AtkObject* Wrap(TAccessible* node);

AtkRole RoleOf(TAccRole role) {
  switch (role) {
    case TAccRole::Application: return ATK_ROLE_APPLICATION;
    case TAccRole::Frame: return ATK_ROLE_FRAME;
    case TAccRole::Dialog: return ATK_ROLE_DIALOG;
    case TAccRole::Panel: return ATK_ROLE_PANEL;
    case TAccRole::GroupBox: return ATK_ROLE_PANEL;
    case TAccRole::Label: return ATK_ROLE_LABEL;
    case TAccRole::Link: return ATK_ROLE_LINK;
    case TAccRole::Image: return ATK_ROLE_IMAGE;
    case TAccRole::Separator: return ATK_ROLE_SEPARATOR;
    case TAccRole::PushButton: return ATK_ROLE_PUSH_BUTTON;
    case TAccRole::List: return ATK_ROLE_LIST;
    case TAccRole::ListItem: return ATK_ROLE_LIST_ITEM;
    case TAccRole::PageTabList: return ATK_ROLE_PAGE_TAB_LIST;
    case TAccRole::PageTab: return ATK_ROLE_PAGE_TAB;
    case TAccRole::Menu: return ATK_ROLE_POPUP_MENU;
    case TAccRole::MenuItem: return ATK_ROLE_MENU_ITEM;
  }
  return ATK_ROLE_UNKNOWN;
}

const gchar* GetName(AtkObject* object) {
  auto* o = reinterpret_cast<LbAtkObject*>(object);
  *o->name = o->node ? o->node->Name() : std::string();
  return o->name->c_str();
}

const gchar* GetDescription(AtkObject* object) {
  auto* o = reinterpret_cast<LbAtkObject*>(object);
  *o->description = o->node ? o->node->Description() : std::string();
  return o->description->c_str();
}

AtkObject* GetParent(AtkObject* object) {
  TAccessible* node = NodeOf(object);
  return node && node->Parent() ? Wrap(node->Parent()) : nullptr;
}

gint GetChildCount(AtkObject* object);
AtkObject* RefChild(AtkObject* object, gint index);

gint GetIndexInParent(AtkObject* object) {
  TAccessible* node = NodeOf(object);
  TAccessible* parent = node ? node->Parent() : nullptr;
  for (int i = 0; parent && i < parent->ChildCount(); ++i) {
    if (parent->Child(i) == node) return i;
  }
  return -1;
}

AtkRole GetRole(AtkObject* object) {
  TAccessible* node = NodeOf(object);
  return node ? RoleOf(node->Role()) : ATK_ROLE_INVALID;
}

AtkStateSet* RefStateSet(AtkObject* object) {
  AtkStateSet* set = atk_state_set_new();
  TAccessible* node = NodeOf(object);
  if (!node) {
    atk_state_set_add_state(set, ATK_STATE_DEFUNCT);
    return set;
  }
  const TAccStates s = node->States();
  const std::pair<TAccState, AtkStateType> map[] = {
      {asFocused, ATK_STATE_FOCUSED},       {asFocusable, ATK_STATE_FOCUSABLE}, {asSelected, ATK_STATE_SELECTED},
      {asSelectable, ATK_STATE_SELECTABLE}, {asEnabled, ATK_STATE_ENABLED},     {asEnabled, ATK_STATE_SENSITIVE},
      {asPressed, ATK_STATE_PRESSED},       {asDefault, ATK_STATE_DEFAULT},     {asVisible, ATK_STATE_VISIBLE},
      {asVisible, ATK_STATE_SHOWING},
  };
  for (const auto& [ours, atk] : map) {
    if (s.Contains(ours)) atk_state_set_add_state(set, atk);
  }
  if (node->Role() == TAccRole::List) atk_state_set_add_state(set, ATK_STATE_MANAGES_DESCENDANTS);
  return set;
}

// Component: bounds and focus.
void GetExtents(AtkComponent* component, gint* x, gint* y, gint* width, gint* height, AtkCoordType coords) {
  TAccessible* node = NodeOf(component);
  RECT r = node ? node->Bounds() : RECT{};
  if (node && coords != ATK_XY_SCREEN) {
    // Relative to the window (the child of the application it lies in) or to the parent.
    const TAccessible* base = node->Parent();
    if (coords == ATK_XY_WINDOW) {
      for (base = node; base->Parent() && base->Parent()->Parent();) base = base->Parent();
    }
    if (base && base->Parent()) {
      const RECT b = base->Bounds();
      r = RECT{r.left - b.left, r.top - b.top, r.right - b.left, r.bottom - b.top};
    }
  }
  if (x) *x = r.left;
  if (y) *y = r.top;
  if (width) *width = r.right - r.left;
  if (height) *height = r.bottom - r.top;
}

gboolean GrabFocus(AtkComponent* component) {
  TAccessible* node = NodeOf(component);
  return node && node->GrabFocus();
}

void ComponentInit(gpointer interface, gpointer) {
  auto* iface = static_cast<AtkComponentIface*>(interface);
  iface->get_extents = GetExtents;
  iface->grab_focus = GrabFocus;
}

// Action.
gboolean DoAction(AtkAction* action, gint index) {
  TAccessible* node = NodeOf(action);
  return node && node->DoAction(index);
}

gint GetActionCount(AtkAction* action) {
  TAccessible* node = NodeOf(action);
  return node ? gint(node->Actions().size()) : 0;
}

const gchar* GetActionName(AtkAction* action, gint index) {
  auto* o = reinterpret_cast<LbAtkObject*>(action);
  *o->actions = o->node ? o->node->Actions() : std::vector<std::string>();
  return index >= 0 && index < gint(o->actions->size()) ? (*o->actions)[std::size_t(index)].c_str() : nullptr;
}

const gchar* NoText(AtkAction*, gint) { return ""; }

void ActionInit(gpointer interface, gpointer) {
  auto* iface = static_cast<AtkActionIface*>(interface);
  iface->do_action = DoAction;
  iface->get_n_actions = GetActionCount;
  iface->get_name = GetActionName;
  iface->get_localized_name = GetActionName;
  iface->get_description = NoText;
  iface->get_keybinding = NoText;
}

// Selection: one selected child at most.
gboolean AddSelection(AtkSelection* selection, gint index) {
  TAccessible* node = NodeOf(selection);
  return node && node->SelectChild(index);
}

AtkObject* RefSelection(AtkSelection* selection, gint index) {
  TAccessible* node = NodeOf(selection);
  if (!node || index != 0 || node->SelectedChild() < 0) return nullptr;
  TAccessible* child = node->Child(node->SelectedChild());
  return child ? ATK_OBJECT(g_object_ref(Wrap(child))) : nullptr;
}

gint GetSelectionCount(AtkSelection* selection) {
  TAccessible* node = NodeOf(selection);
  return node && node->SelectedChild() >= 0 ? 1 : 0;
}

gboolean IsChildSelected(AtkSelection* selection, gint index) {
  TAccessible* node = NodeOf(selection);
  return node && index >= 0 && node->SelectedChild() == index;
}

gboolean Refuse(AtkSelection*) { return FALSE; }
gboolean RefuseIndex(AtkSelection*, gint) { return FALSE; }

void SelectionInit(gpointer interface, gpointer) {
  auto* iface = static_cast<AtkSelectionIface*>(interface);
  iface->add_selection = AddSelection;
  iface->ref_selection = RefSelection;
  iface->get_selection_count = GetSelectionCount;
  iface->is_child_selected = IsChildSelected;
  iface->clear_selection = Refuse;
  iface->select_all_selection = Refuse;
  iface->remove_selection = RefuseIndex;
}

void Finalize(GObject* object) {
  auto* o = reinterpret_cast<LbAtkObject*>(object);
  delete o->name;
  delete o->description;
  delete o->actions;
  G_OBJECT_CLASS(g_type_class_peek_parent(G_OBJECT_GET_CLASS(object)))->finalize(object);
}

void ClassInit(gpointer klass, gpointer) {
  auto* k = ATK_OBJECT_CLASS(klass);
  k->get_name = GetName;
  k->get_description = GetDescription;
  k->get_parent = GetParent;
  k->get_n_children = GetChildCount;
  k->ref_child = RefChild;
  k->get_index_in_parent = GetIndexInParent;
  k->get_role = GetRole;
  k->ref_state_set = RefStateSet;
  G_OBJECT_CLASS(klass)->finalize = Finalize;
}

void InstanceInit(GTypeInstance* instance, gpointer) {
  auto* o = reinterpret_cast<LbAtkObject*>(instance);
  o->node = nullptr;
  o->name = new std::string;
  o->description = new std::string;
  o->actions = new std::vector<std::string>;
}

GType LbAtkObjectType() {
  static GType type = 0;
  if (type) return type;
  GTypeInfo info{};
  info.class_size = sizeof(LbAtkObjectClass);
  info.class_init = ClassInit;
  info.instance_size = sizeof(LbAtkObject);
  info.instance_init = InstanceInit;
  type = g_type_register_static(ATK_TYPE_OBJECT, "LbAccessible", &info, GTypeFlags(0));
  const GInterfaceInfo component{ComponentInit, nullptr, nullptr};
  const GInterfaceInfo action{ActionInit, nullptr, nullptr};
  const GInterfaceInfo selection{SelectionInit, nullptr, nullptr};
  g_type_add_interface_static(type, ATK_TYPE_COMPONENT, &component);
  g_type_add_interface_static(type, ATK_TYPE_ACTION, &action);
  g_type_add_interface_static(type, ATK_TYPE_SELECTION, &selection);
  return type;
}

// ---------------------------------------------------------------------------------------
// The utility class: the root, the toolkit, and the event hooks ATK's bridge asks for
// ("Toolkit:AtkObject:state-change" and the like become emission hooks on that signal).

struct Hook {
  guint signal;
  gulong id;
};
std::unordered_map<guint, Hook> gHooks;
guint gNextHook = 1;

AtkObject* GetRoot();

guint AddGlobalListener(GSignalEmissionHook listener, const gchar* eventType) {
  gchar** parts = g_strsplit(eventType, ":", 3);
  guint result = 0;
  if (g_strv_length(parts) == 3) {
    const GType type = g_type_from_name(parts[1]);
    if (type) {
      if (G_TYPE_IS_INTERFACE(type)) g_type_default_interface_ref(type);
      const guint signal = g_signal_lookup(parts[2], type);
      if (signal) {
        const gulong id = g_signal_add_emission_hook(signal, 0, listener, g_strdup(eventType), g_free);
        result = gNextHook++;
        gHooks[result] = Hook{signal, id};
      }
    }
  }
  g_strfreev(parts);
  return result;
}

void RemoveGlobalListener(guint id) {
  auto it = gHooks.find(id);
  if (it == gHooks.end()) return;
  g_signal_remove_emission_hook(it->second.signal, it->second.id);
  gHooks.erase(it);
}

const gchar* ToolkitName() { return "lb-ui"; }
const gchar* ToolkitVersion() { return "1.0"; }

// ---------------------------------------------------------------------------------------
// The bridge

class AtspiBridge final : public TAccBridge {
 public:
  explicit AtspiBridge(TAccessible* root) : root_(root) {}

  AtkObject* Wrap(TAccessible* node) {
    auto it = objects_.find(node);
    if (it != objects_.end()) return it->second;
    auto* o = static_cast<LbAtkObject*>(g_object_new(LbAtkObjectType(), nullptr));
    o->node = node;
    return objects_[node] = ATK_OBJECT(o);
  }
  AtkObject* Root() { return Wrap(root_); }

  // The children as the desktop last heard of them; a change is told as the difference.
  void Remember(TAccessible* node) {
    std::vector<TAccessible*>& list = known_[node];
    list.clear();
    for (int i = 0; i < node->ChildCount(); ++i) list.push_back(node->Child(i));
  }

  void AccessibleEvent(TAccEvent event, TAccessible* node) override {
    switch (event) {
      case TAccEvent::Focus: Focus(node); break;
      case TAccEvent::Selection: Selection(node); break;
      case TAccEvent::ChildrenChanged: ChildrenChanged(node); break;
      case TAccEvent::Defunct: Defunct(node); break;
    }
  }

  int Prepare(std::vector<WaitDescriptor>& descriptors) override {
    GMainContext* context = g_main_context_default();
    if (!acquired_) acquired_ = g_main_context_acquire(context);
    g_main_context_prepare(context, &priority_);
    gint timeout = -1;
    gint n;
    while ((n = g_main_context_query(context, priority_, &timeout, fds_.data(), gint(fds_.size()))) > gint(fds_.size()))
      fds_.resize(std::size_t(n));
    fds_.resize(std::size_t(n));
    for (const GPollFD& f : fds_) descriptors.push_back(WaitDescriptor{f.fd, short(f.events), 0});
    return timeout;
  }

  void Dispatch(std::vector<WaitDescriptor>& descriptors) override {
    for (std::size_t i = 0; i < fds_.size() && i < descriptors.size(); ++i) fds_[i].revents = gushort(descriptors[i].revents);
    GMainContext* context = g_main_context_default();
    if (g_main_context_check(context, priority_, fds_.data(), gint(fds_.size()))) g_main_context_dispatch(context);
  }

 private:
  void Focus(TAccessible* node) {
    AtkObject* o = Wrap(node);
    if (focused_ && focused_ != o) atk_object_notify_state_change(focused_, ATK_STATE_FOCUSED, FALSE);
    focused_ = o;
    atk_object_notify_state_change(o, ATK_STATE_FOCUSED, TRUE);
    G_GNUC_BEGIN_IGNORE_DEPRECATIONS
    atk_focus_tracker_notify(o);
    G_GNUC_END_IGNORE_DEPRECATIONS
  }

  void Selection(TAccessible* node) {
    AtkObject* o = Wrap(node);
    g_signal_emit_by_name(o, "selection-changed");
    if (node->SelectedChild() >= 0) {
      if (TAccessible* child = node->Child(node->SelectedChild()))
        atk_object_notify_state_change(Wrap(child), ATK_STATE_SELECTED, TRUE);
    }
  }

  void ChildrenChanged(TAccessible* node) {
    AtkObject* o = Wrap(node);
    std::vector<TAccessible*> old = known_[node];
    Remember(node);
    const std::vector<TAccessible*>& now = known_[node];
    for (std::size_t i = old.size(); i-- > 0;) {
      if (std::find(now.begin(), now.end(), old[i]) == now.end())
        g_signal_emit_by_name(o, "children-changed::remove", guint(i), gpointer(Wrap(old[i])));
    }
    for (std::size_t i = 0; i < now.size(); ++i) {
      if (std::find(old.begin(), old.end(), now[i]) == old.end())
        g_signal_emit_by_name(o, "children-changed::add", guint(i), gpointer(Wrap(now[i])));
      // Items stay while their texts change (a list refilled): tell the new texts.
      g_object_notify(G_OBJECT(Wrap(now[i])), "accessible-name");
      g_object_notify(G_OBJECT(Wrap(now[i])), "accessible-description");
    }
  }

  // The node is about to go: its parent's listeners hear of the removal while the object
  // can still be named, then the object is marked defunct and let go.
  void Defunct(TAccessible* node) {
    auto it = objects_.find(node);
    for (auto& [parent, list] : known_) {
      auto at = std::find(list.begin(), list.end(), node);
      if (at == list.end() || it == objects_.end()) continue;
      g_signal_emit_by_name(Wrap(parent), "children-changed::remove", guint(at - list.begin()), gpointer(it->second));
      list.erase(at);
    }
    known_.erase(node);
    if (it == objects_.end()) return;
    AtkObject* o = it->second;
    objects_.erase(it);
    reinterpret_cast<LbAtkObject*>(o)->node = nullptr;
    atk_object_notify_state_change(o, ATK_STATE_DEFUNCT, TRUE);
    if (focused_ == o) focused_ = nullptr;
    g_object_unref(o);
  }

  TAccessible* root_;
  std::unordered_map<TAccessible*, AtkObject*> objects_;
  std::unordered_map<TAccessible*, std::vector<TAccessible*>> known_;
  AtkObject* focused_ = nullptr;
  std::vector<GPollFD> fds_ = std::vector<GPollFD>(8);
  gint priority_ = 0;
  bool acquired_ = false;
};

AtkObject* Wrap(TAccessible* node) { return gBridge->Wrap(node); }
AtkObject* GetRoot() { return gBridge->Root(); }

gint GetChildCount(AtkObject* object) {
  TAccessible* node = NodeOf(object);
  if (!node) return 0;
  gBridge->Remember(node);
  return node->ChildCount();
}

AtkObject* RefChild(AtkObject* object, gint index) {
  TAccessible* node = NodeOf(object);
  TAccessible* child = node ? node->Child(index) : nullptr;
  return child ? ATK_OBJECT(g_object_ref(Wrap(child))) : nullptr;
}

// ---------------------------------------------------------------------------------------
// Whether an accessibility bus can be had: named in the environment, or its launcher is
// running or can be started on the session bus. Asked quietly, so a session without one
// sees no warning.

bool AccessibilityBusReachable() {
  if (std::getenv("AT_SPI_BUS_ADDRESS")) return true;
  DBusError error;
  dbus_error_init(&error);
  DBusConnection* bus = dbus_bus_get_private(DBUS_BUS_SESSION, &error);
  if (!bus) {
    dbus_error_free(&error);
    return false;
  }
  dbus_connection_set_exit_on_disconnect(bus, FALSE);
  bool found = dbus_bus_name_has_owner(bus, "org.a11y.Bus", &error);
  dbus_error_free(&error);
  if (!found) {
    DBusMessage* call = dbus_message_new_method_call("org.freedesktop.DBus", "/org/freedesktop/DBus",
                                                     "org.freedesktop.DBus", "ListActivatableNames");
    DBusMessage* reply = call ? dbus_connection_send_with_reply_and_block(bus, call, 2000, &error) : nullptr;
    dbus_error_free(&error);
    DBusMessageIter it, names;
    if (reply && dbus_message_iter_init(reply, &it) && dbus_message_iter_get_arg_type(&it) == DBUS_TYPE_ARRAY) {
      for (dbus_message_iter_recurse(&it, &names); dbus_message_iter_get_arg_type(&names) == DBUS_TYPE_STRING;
           dbus_message_iter_next(&names)) {
        const char* name = nullptr;
        dbus_message_iter_get_basic(&names, &name);
        if (name && std::strcmp(name, "org.a11y.Bus") == 0) found = true;
      }
    }
    if (reply) dbus_message_unref(reply);
    if (call) dbus_message_unref(call);
  }
  dbus_connection_close(bus);
  dbus_connection_unref(bus);
  return found;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) TAccBridge* lb_access_bridge_start(TAccessible* root) {
  if (gBridge || !root || !AccessibilityBusReachable()) return nullptr;
  // The interfaces' types exist before ATK's bridge looks up their signals.
  atk_component_get_type();
  atk_action_get_type();
  atk_selection_get_type();
  atk_text_get_type();
  atk_window_get_type();
  atk_document_get_type();
  auto* util = static_cast<AtkUtilClass*>(g_type_class_ref(ATK_TYPE_UTIL));
  util->get_root = GetRoot;
  util->get_toolkit_name = ToolkitName;
  util->get_toolkit_version = ToolkitVersion;
  util->add_global_event_listener = AddGlobalListener;
  util->remove_global_event_listener = RemoveGlobalListener;
  gBridge = new AtspiBridge(root);
  if (atk_bridge_adaptor_init(nullptr, nullptr) != 0) {
    delete gBridge;
    gBridge = nullptr;
    return nullptr;
  }
  return gBridge;
}
