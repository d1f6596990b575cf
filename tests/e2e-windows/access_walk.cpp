// A client of the system's accessibility interface for the end-to-end test: walks the
// launcher's windows as a screen reader does, operates them by actions and by keys alone,
// and hears the focus and selection events with an out-of-process window-event hook.
// Prints a line per finding; exits 1 at the first thing missing, the reason on stderr.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <oleacc.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

using Acc = IAccessible;
std::vector<std::string> g_heard;  // the events heard: "focus: Help", "menu: "
DWORD g_pid = 0;

VARIANT Self() {  // lVal 0: CHILDID_SELF
  VARIANT v{};
  v.vt = VT_I4;
  return v;
}

std::string Text(Acc* a, HRESULT (STDMETHODCALLTYPE Acc::*get)(VARIANT, BSTR*), VARIANT child = Self()) {
  BSTR b = nullptr;
  if (!a || FAILED((a->*get)(child, &b)) || !b) return {};
  std::string s(std::size_t(WideCharToMultiByte(CP_UTF8, 0, b, -1, nullptr, 0, nullptr, nullptr)), '\0');
  WideCharToMultiByte(CP_UTF8, 0, b, -1, s.data(), int(s.size()), nullptr, nullptr);
  SysFreeString(b);
  return s.c_str();
}
std::string Name(Acc* a) { return Text(a, &Acc::get_accName); }

long Number(Acc* a, HRESULT (STDMETHODCALLTYPE Acc::*get)(VARIANT, VARIANT*)) {
  VARIANT v{};
  return a && SUCCEEDED((a->*get)(Self(), &v)) && v.vt == VT_I4 ? v.lVal : -1;
}
long Role(Acc* a) { return Number(a, &Acc::get_accRole); }
long State(Acc* a) { return Number(a, &Acc::get_accState); }

Acc* As(const VARIANT& v) {
  Acc* a = nullptr;
  if (v.vt == VT_DISPATCH && v.pdispVal) v.pdispVal->QueryInterface(__uuidof(Acc), reinterpret_cast<void**>(&a));
  return a;
}

std::vector<Acc*> Children(Acc* a) {
  long count = 0, got = 0;
  std::vector<Acc*> list;
  if (!a || FAILED(a->get_accChildCount(&count)) || count <= 0) return list;
  std::vector<VARIANT> v(static_cast<std::size_t>(count));
  if (FAILED(AccessibleChildren(a, 0, count, v.data(), &got))) return list;
  for (long i = 0; i < got; ++i) {
    if (Acc* c = As(v[std::size_t(i)])) list.push_back(c);
  }
  return list;
}

Acc* Find(Acc* a, const std::function<bool(Acc*)>& match) {
  if (!a || match(a)) return a;
  for (Acc* c : Children(a)) {
    if (Acc* f = Find(c, match)) return f;
  }
  return nullptr;
}
Acc* Named(Acc* a, long role, const std::string& name) {
  return Find(a, [&](Acc* n) { return Role(n) == role && Name(n) == name; });
}

[[noreturn]] void Fail(const std::string& what) {
  std::fprintf(stderr, "access walk: %s\n", what.c_str());
  std::exit(1);
}

// The events as they came: a client's calls serve further events while they wait, so they
// are read afterwards, in their order.
struct Event {
  DWORD kind;
  HWND w;
  LONG object, child;
};
std::vector<Event> g_events;
void CALLBACK OnEvent(HWINEVENTHOOK, DWORD kind, HWND w, LONG o, LONG c, DWORD, DWORD) { g_events.push_back({kind, w, o, c}); }

// Serves messages (the events come with them) until `done`, for at most 10 s.
void Until(const std::function<bool()>& done, const std::string& what) {
  for (const DWORD start = GetTickCount(); !done(); Sleep(20)) {
    if (GetTickCount() - start > 10000) Fail(what);
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
    for (std::size_t i = 0; i < g_events.size(); ++i) {
      const Event e = g_events[i];
      Acc* a = nullptr;
      VARIANT v;
      const bool ok = SUCCEEDED(AccessibleObjectFromEvent(e.w, e.object, e.child, &a, &v)) && a;
      const std::string name = ok ? Text(a, &Acc::get_accName, v) : "?";
      const char* kind = e.kind == EVENT_OBJECT_FOCUS ? "focus" : e.kind == EVENT_OBJECT_SELECTION ? "selection" : "menu";
      g_heard.push_back(std::string(kind) + ": " + name);
      std::printf("%s event: %s\n", kind, name.c_str());
    }
    g_events.clear();
  }
}
void Expect(const std::string& name) {
  auto it = g_heard.end();
  Until([&] { return (it = std::find(g_heard.begin(), g_heard.end(), name)) != g_heard.end(); }, "no event " + name);
  g_heard.erase(g_heard.begin(), it + 1);
}

void Act(Acc* a, const std::string& what) {
  if (!a || FAILED(a->accDoDefaultAction(Self()))) Fail("the action of " + what + " failed");
  std::printf("action: %s\n", what.c_str());
}

void Key(WORD vk) {
  INPUT in[2] = {{INPUT_KEYBOARD, {}}, {INPUT_KEYBOARD, {}}};
  in[0].ki.wVk = in[1].ki.wVk = vk;
  in[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, in, sizeof(INPUT));
}

// The object of the launcher's shown window with the role (and the name, when given).
Acc* Window(long role, const std::string& name = {}) {
  for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, L"LbWindow", nullptr));) {
    Acc* a = nullptr;
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (pid == g_pid && IsWindowVisible(w) &&
        SUCCEEDED(AccessibleObjectFromWindow(w, DWORD(OBJID_CLIENT), __uuidof(Acc), reinterpret_cast<void**>(&a))) &&
        Role(a) == role && (name.empty() || Name(a) == name))
      return a;
  }
  return nullptr;
}
Acc* AwaitWindow(long role, const std::string& name = {}) {
  Acc* a = nullptr;
  Until([&] { return (a = Window(role, name)) != nullptr; }, "no window " + name);
  return a;
}

void PrintList(const char* label, Acc* list) {
  for (Acc* item : Children(list)) {
    const std::string d = Text(item, &Acc::get_accDescription);
    std::printf("%s: %s%s%s\n", label, Name(item).c_str(), d.empty() ? "" : " | ", d.c_str());
  }
}

}  // namespace

int main() {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  HWND main = nullptr;
  Until([&] { return (main = FindWindowW(nullptr, L"Brimlow")) && IsWindowVisible(main); }, "no window Brimlow");
  GetWindowThreadProcessId(main, &g_pid);
  if (!SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_SELECTION, nullptr, OnEvent, g_pid, 0, WINEVENT_OUTOFCONTEXT))
    Fail("no event hook");
  SetWinEventHook(EVENT_SYSTEM_MENUPOPUPSTART, EVENT_SYSTEM_MENUPOPUPSTART, nullptr, OnEvent, g_pid, 0, WINEVENT_OUTOFCONTEXT);

  // The frame, its lists and buttons.
  Acc* frame = AwaitWindow(ROLE_SYSTEM_CLIENT, "Brimlow");
  std::printf("frame: %s\n", Name(frame).c_str());
  auto list = [&](bool categories) {
    return Find(frame, [=](Acc* a) {
      return Role(a) == ROLE_SYSTEM_LIST && (Named(a, ROLE_SYSTEM_LISTITEM, "Music") != nullptr) == categories;
    });
  };
  Acc *categories = list(true), *tasks = list(false);
  if (!categories || !tasks) Fail("no category list and task list");
  PrintList("category", categories);
  PrintList("task", tasks);
  Acc *help = Named(frame, ROLE_SYSTEM_PUSHBUTTON, "Help"), *ok = Named(frame, ROLE_SYSTEM_PUSHBUTTON, "OK");
  if (!help || !ok) Fail("no Help and OK buttons");
  std::printf("button: %s\nbutton: %s\n", Name(help).c_str(), Name(ok).c_str());

  // "Music" chosen by a selection that takes the focus: the task list shows its tasks; the
  // object of a task that went answers so.
  Acc* gone = Children(tasks).back();
  Acc* music = Named(categories, ROLE_SYSTEM_LISTITEM, "Music");
  if (FAILED(music->accSelect(SELFLAG_TAKEFOCUS | SELFLAG_TAKESELECTION, Self()))) Fail("Music not selected");
  Expect("focus: Music");
  Acc* audio = nullptr;
  Until([&] { return (audio = Named(tasks, ROLE_SYSTEM_LISTITEM, "Audio CD")) != nullptr; }, "no task Audio CD");
  PrintList("music task", tasks);
  BSTR b = nullptr;
  std::printf("gone task answers %lx\n", gone->get_accName(Self(), &b));

  // Keys alone: Tab to the task list, Down to the next task (which starts it).
  Key(VK_TAB);
  Expect("focus: Audio CD");
  Key(VK_DOWN);
  Expect("focus: Grab Audio CD");
  // The default action of "Audio CD" is a click on it: it starts the task's tool.
  Act(audio, "Audio CD");
  Expect("selection: Audio CD");
  Expect("focus: Audio CD");
  // What a reader asks beside the tree: the focus and its states, the lists' choices, what
  // lies at a point, the parent; and the focus taken by the list that has it.
  VARIANT focus{}, chosen{}, task{}, hit{}, parent{};
  long x = 0, y = 0, w = 0, h = 0;
  parent.vt = VT_DISPATCH;
  frame->get_accFocus(&focus);
  categories->get_accSelection(&chosen);
  tasks->get_accSelection(&task);
  audio->accLocation(&x, &y, &w, &h, Self());
  frame->accHitTest(x + w / 2, y + h / 2, &hit);
  audio->get_accParent(&parent.pdispVal);
  std::printf("asked: focus %s (states %lx), chosen %s and %s, hit %s, parent %ld, focus taken %d\n",
              Name(As(focus)).c_str(), State(As(focus)), Name(As(chosen)).c_str(), Name(As(task)).c_str(),
              Name(As(hit)).c_str(), Role(As(parent)), tasks->accSelect(SELFLAG_TAKEFOCUS, Self()) == S_OK);

  // Keys alone: Tab to Help, Space opens its menu, Down to About's entry, Enter opens About,
  // Right shows its next page, Enter closes it.
  Key(VK_TAB);
  Expect("focus: Help");
  Key(VK_SPACE);
  Expect("menu: ");
  Key(VK_DOWN);
  Expect("focus: Brimlow On the Web...");
  Key(VK_DOWN);
  Expect("focus: About Brimlow...");
  Key(VK_RETURN);
  Expect("focus: About");
  Key(VK_RIGHT);
  Acc* page = Named(Window(ROLE_SYSTEM_DIALOG), ROLE_SYSTEM_PAGETAB, "Update");
  Until([&] { return State(page) & STATE_SYSTEM_SELECTED; }, "Right chose no page");
  Key(VK_RETURN);
  Until([] { return !Window(ROLE_SYSTEM_DIALOG); }, "Enter did not close About");
  std::printf("keys: About opened and closed\n");

  // The same by actions: the help menu from Help's, About from the menu entry's.
  Act(help, "Help");
  Acc* menu = AwaitWindow(ROLE_SYSTEM_MENUPOPUP);
  PrintList("menu item", menu);
  Act(Named(menu, ROLE_SYSTEM_MENUITEM, "About Brimlow..."), "About Brimlow...");
  Acc* about = AwaitWindow(ROLE_SYSTEM_DIALOG, "About Brimlow");
  std::printf("dialog: %s\n", Name(about).c_str());
  Acc* update = Named(about, ROLE_SYSTEM_PAGETAB, "Update");
  Act(update, "Update");
  Until([&] { return State(update) & STATE_SYSTEM_SELECTED; }, "the Update page was not chosen");
  Acc* group = Find(update, [](Acc* a) { return Role(a) == ROLE_SYSTEM_GROUPING; });
  Acc* version = Find(group, [](Acc* a) { return Role(a) == ROLE_SYSTEM_STATICTEXT; });
  if (!version || (State(version) & STATE_SYSTEM_INVISIBLE)) Fail("no version label shown");
  std::printf("version: %s\n", Name(version).c_str());

  // About closes by its OK button, the program by its own.
  Act(Named(about, ROLE_SYSTEM_PUSHBUTTON, "OK"), "About's OK");
  Until([] { return !Window(ROLE_SYSTEM_DIALOG); }, "About did not close");
  Act(ok, "OK");
  std::printf("walk done\n");
  return 0;
}
