// IAccessible objects over the program's nodes. The system's accessibility libraries are
// loaded when a client first asks a window for its object, so a program nobody inspects
// starts and runs as it did without them. Calls come in on the thread that pumps the
// messages (a single-threaded apartment), between the program's own work.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <oleacc.h>

#include <unordered_map>

#include "platform/native/native_access.h"
#include "platform/native/native_internal.h"

namespace nativeacc {

namespace {

Source* g_source = nullptr;

// ---- the system's libraries, loaded on first use
struct Libraries {
  LRESULT(WINAPI* lresultFromObject)(REFIID, WPARAM, LPUNKNOWN) = nullptr;
  HRESULT(WINAPI* createStdAccessibleObject)(HWND, LONG, REFIID, void**) = nullptr;
  BSTR(WINAPI* sysAllocStringLen)(const OLECHAR*, UINT) = nullptr;
};
Libraries g_lib;

template <typename F>
void Load(HMODULE module, const char* name, F* f) {
  *f = module ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

// False when a library is missing or this thread cannot take the incoming calls itself
// (it belongs to a multi-threaded apartment already).
bool LoadLibraries() {
  HRESULT(WINAPI * coInitializeEx)(LPVOID, DWORD) = nullptr;
  Load(LoadLibraryW(L"ole32.dll"), "CoInitializeEx", &coInitializeEx);
  if (!coInitializeEx || FAILED(coInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return false;
  HMODULE acc = LoadLibraryW(L"oleacc.dll");
  Load(acc, "LresultFromObject", &g_lib.lresultFromObject);
  Load(acc, "CreateStdAccessibleObject", &g_lib.createStdAccessibleObject);
  Load(LoadLibraryW(L"oleaut32.dll"), "SysAllocStringLen", &g_lib.sysAllocStringLen);
  return g_lib.lresultFromObject && g_lib.createStdAccessibleObject && g_lib.sysAllocStringLen;
}

bool Ready() {
  static const bool ready = LoadLibraries();
  return ready;
}

HRESULT Text(const std::string& utf8, BSTR* out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (utf8.empty()) return S_FALSE;
  const std::wstring w = native::Widen(utf8);
  *out = g_lib.sysAllocStringLen(w.data(), UINT(w.size()));
  return *out ? S_OK : E_OUTOFMEMORY;
}

LONG RoleOf(Role role) {
  switch (role) {
    case Role::Application: return ROLE_SYSTEM_APPLICATION;
    case Role::Frame: return ROLE_SYSTEM_CLIENT;
    case Role::Dialog: return ROLE_SYSTEM_DIALOG;
    case Role::Panel: return ROLE_SYSTEM_PANE;
    case Role::GroupBox: return ROLE_SYSTEM_GROUPING;
    case Role::Label: return ROLE_SYSTEM_STATICTEXT;
    case Role::Link: return ROLE_SYSTEM_LINK;
    case Role::Image: return ROLE_SYSTEM_GRAPHIC;
    case Role::Separator: return ROLE_SYSTEM_SEPARATOR;
    case Role::PushButton: return ROLE_SYSTEM_PUSHBUTTON;
    case Role::List: return ROLE_SYSTEM_LIST;
    case Role::ListItem: return ROLE_SYSTEM_LISTITEM;
    case Role::PageTabList: return ROLE_SYSTEM_PAGETABLIST;
    case Role::PageTab: return ROLE_SYSTEM_PAGETAB;
    case Role::Menu: return ROLE_SYSTEM_MENUPOPUP;
    case Role::MenuItem: return ROLE_SYSTEM_MENUITEM;
  }
  return ROLE_SYSTEM_PANE;
}

LONG StatesOf(unsigned s) {
  LONG r = 0;
  if (s & Focused) r |= STATE_SYSTEM_FOCUSED;
  if (s & Focusable) r |= STATE_SYSTEM_FOCUSABLE;
  if (s & Selected) r |= STATE_SYSTEM_SELECTED;
  if (s & Selectable) r |= STATE_SYSTEM_SELECTABLE;
  if (!(s & Enabled)) r |= STATE_SYSTEM_UNAVAILABLE;
  if (s & Pressed) r |= STATE_SYSTEM_PRESSED;
  if (s & Default) r |= STATE_SYSTEM_DEFAULT;
  if (!(s & Visible)) r |= STATE_SYSTEM_INVISIBLE;
  return r;
}

class Object;
std::unordered_map<Node, Object*> g_objects;  // each holding one reference
std::unordered_map<LONG, Object*> g_byId;
LONG g_lastId = 0;

Object* ObjectOf(Node node);

// A gone node's object answers every call so.
constexpr HRESULT kGone = CO_E_OBJNOTCONNECTED;

class Object final : public IAccessible {
 public:
  explicit Object(Node node) : node_(node), id_(++g_lastId) {}
  Node node() const { return node_; }
  LONG id() const { return id_; }
  void Disconnect() { node_ = nullptr; }

  // ---- IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (iid == __uuidof(IUnknown) || iid == __uuidof(IDispatch) || iid == __uuidof(IAccessible)) {
      *out = static_cast<IAccessible*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG n = --refs_;
    if (n == 0) delete this;
    return n;
  }

  // ---- IDispatch: the interface is used by its methods only
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override {
    if (n) *n = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    return E_NOTIMPL;
  }

  // ---- IAccessible
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!node_) return kGone;
    if (Node parent = g_source->Parent(node_)) return Hand(parent, out);
    // Above a window's node: the system's object of the window around it.
    HWND w = static_cast<HWND>(g_source->WindowOf(node_));
    if (!w) return S_FALSE;
    return g_lib.createStdAccessibleObject(w, OBJID_WINDOW, __uuidof(IDispatch), reinterpret_cast<void**>(out));
  }
  HRESULT STDMETHODCALLTYPE get_accChildCount(long* out) override {
    if (!out) return E_POINTER;
    *out = 0;
    if (!node_) return kGone;
    *out = g_source->ChildCount(node_);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    Node n;
    if (HRESULT hr = Resolve(child, &n); hr != S_OK) return hr;
    return n == node_ ? E_INVALIDARG : Hand(n, out);
  }
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* out) override {
    return Describe(child, out, [](const Info& i) { return i.name; });
  }
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* out) override {
    return Describe(child, out, [](const Info&) { return std::string(); });
  }
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* out) override {
    return Describe(child, out, [](const Info& i) { return i.description; });
  }
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* out) override {
    return Describe(child, out, [](const Info& i) { return i.action; });
  }
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* out) override {
    return Describe(child, out, [](const Info&) { return std::string(); });
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* out) override {
    return Describe(child, out, [](const Info&) { return std::string(); });
  }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT, long* topic) override {
    if (file) *file = nullptr;
    if (topic) *topic = 0;
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* out) override {
    return Number(child, out, [](const Info& i) { return RoleOf(i.role); });
  }
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* out) override {
    return Number(child, out, [](const Info& i) { return StatesOf(i.states); });
  }
  // The deepest focused node at or below this one.
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* out) override {
    if (!out) return E_POINTER;
    out->vt = VT_EMPTY;
    if (!node_) return kGone;
    Node f = FocusedIn(node_);
    return f ? Put(f, out) : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* out) override {
    if (!out) return E_POINTER;
    out->vt = VT_EMPTY;
    if (!node_) return kGone;
    const int i = g_source->SelectedChild(node_);
    Node s = i >= 0 ? g_source->Child(node_, i) : nullptr;
    return s ? Put(s, out) : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override {
    Node n;
    if (HRESULT hr = Resolve(child, &n); hr != S_OK) return hr;
    if (flags & ~(SELFLAG_TAKEFOCUS | SELFLAG_TAKESELECTION)) return E_INVALIDARG;
    bool done = true;
    if (flags & SELFLAG_TAKEFOCUS) done = g_source->Focus(n) && done;
    if (flags & SELFLAG_TAKESELECTION) done = g_source->Select(n) && done;
    return done ? S_OK : DISP_E_MEMBERNOTFOUND;
  }
  HRESULT STDMETHODCALLTYPE accLocation(long* x, long* y, long* w, long* h, VARIANT child) override {
    if (!x || !y || !w || !h) return E_POINTER;
    *x = *y = *w = *h = 0;
    Node n;
    if (HRESULT hr = Resolve(child, &n); hr != S_OK) return hr;
    const nativewin::Rect r = g_source->Describe(n).bounds;
    *x = r.left, *y = r.top, *w = r.right - r.left, *h = r.bottom - r.top;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accNavigate(long, VARIANT, VARIANT* out) override {
    if (out) out->vt = VT_EMPTY;
    return E_NOTIMPL;
  }
  // The deepest shown node under the point.
  HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* out) override {
    if (!out) return E_POINTER;
    out->vt = VT_EMPTY;
    if (!node_) return kGone;
    Node n = Hit(node_, x, y);
    return n ? Put(n, out) : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
    Node n;
    if (HRESULT hr = Resolve(child, &n); hr != S_OK) return hr;
    return g_source->DoDefaultAction(n) ? S_OK : DISP_E_MEMBERNOTFOUND;
  }
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

 private:
  ~Object() = default;

  // CHILDID_SELF: this node; 1..n: a child; a negative id: a node below this one named by
  // an event.
  HRESULT Resolve(const VARIANT& child, Node* out) const {
    *out = nullptr;
    if (!node_) return kGone;
    if (child.vt != VT_I4) return E_INVALIDARG;
    const LONG id = child.lVal;
    if (id == CHILDID_SELF) *out = node_;
    if (id > 0) *out = g_source->Child(node_, int(id - 1));
    if (id < 0) {
      auto it = g_byId.find(-id);
      Node n = it == g_byId.end() ? nullptr : it->second->node();
      for (Node up = n; up; up = g_source->Parent(up)) {
        if (up == node_) {
          *out = n;
          break;
        }
      }
    }
    return *out ? S_OK : E_INVALIDARG;
  }

  template <typename F>
  HRESULT Describe(const VARIANT& child, BSTR* out, F field) const {
    if (!out) return E_POINTER;
    *out = nullptr;
    Node n;
    if (HRESULT hr = Resolve(child, &n); hr != S_OK) return hr;
    return Text(field(g_source->Describe(n)), out);
  }

  template <typename F>
  HRESULT Number(const VARIANT& child, VARIANT* out, F field) const {
    if (!out) return E_POINTER;
    out->vt = VT_EMPTY;
    Node n;
    if (HRESULT hr = Resolve(child, &n); hr != S_OK) return hr;
    out->vt = VT_I4;
    out->lVal = field(g_source->Describe(n));
    return S_OK;
  }

  static HRESULT Hand(Node n, IDispatch** out) {
    Object* o = ObjectOf(n);
    o->AddRef();
    *out = o;
    return S_OK;
  }

  HRESULT Put(Node n, VARIANT* out) const {
    if (n == node_) {
      out->vt = VT_I4;
      out->lVal = CHILDID_SELF;
      return S_OK;
    }
    out->vt = VT_DISPATCH;
    return Hand(n, &out->pdispVal);
  }

  static Node FocusedIn(Node n) {
    for (int i = 0, count = g_source->ChildCount(n); i < count; ++i) {
      if (Node f = FocusedIn(g_source->Child(n, i))) return f;
    }
    return (g_source->Describe(n).states & Focused) ? n : nullptr;
  }

  static Node Hit(Node n, long x, long y) {
    const Info info = g_source->Describe(n);
    const nativewin::Rect& r = info.bounds;
    if (!(info.states & Visible) || x < r.left || x >= r.right || y < r.top || y >= r.bottom) return nullptr;
    for (int i = 0, count = g_source->ChildCount(n); i < count; ++i) {
      if (Node h = Hit(g_source->Child(n, i), x, y)) return h;
    }
    return n;
  }

  ULONG refs_ = 1;
  Node node_;
  LONG id_;
};

Object* ObjectOf(Node node) {
  auto it = g_objects.find(node);
  if (it != g_objects.end()) return it->second;
  auto* o = new Object(node);
  g_objects[node] = o;
  g_byId[o->id()] = o;
  return o;
}

}  // namespace

void SetSource(Source* source) { g_source = source; }

void Raise(Event event, Node node) {
  if (!g_source || !node) return;
  HWND w = static_cast<HWND>(g_source->WindowOf(node));
  if (!w) return;
  static constexpr DWORD kKinds[] = {EVENT_OBJECT_FOCUS, EVENT_OBJECT_SELECTION, EVENT_OBJECT_REORDER,
                                     EVENT_SYSTEM_MENUPOPUPSTART, EVENT_SYSTEM_MENUPOPUPEND};
  const DWORD kind = kKinds[int(event)];
  // A window's node is its client object itself; the nodes below it go by their ids.
  const LONG child = g_source->Parent(node) ? -ObjectOf(node)->id() : CHILDID_SELF;
  NotifyWinEvent(kind, w, OBJID_CLIENT, child);
}

void Forget(Node node) {
  auto it = g_objects.find(node);
  if (it == g_objects.end()) return;
  Object* o = it->second;
  g_objects.erase(it);
  g_byId.erase(o->id());
  o->Disconnect();
  o->Release();
}

bool Answer(nativewin::Handle window, std::uintptr_t wParam, std::intptr_t lParam, std::intptr_t* result) {
  if (!g_source || LONG(lParam) != OBJID_CLIENT || !Ready()) return false;
  Node root = g_source->Root(window);
  if (!root) return false;
  *result = g_lib.lresultFromObject(__uuidof(IAccessible), WPARAM(wParam), static_cast<IAccessible*>(ObjectOf(root)));
  return true;
}

}  // namespace nativeacc
