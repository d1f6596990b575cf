// A client of the system's accessibility interface, for the end-to-end test: walks the
// launcher's windows as a screen reader does and operates them by actions and keys alone.
// Prints one line per finding; exits 1 at the first thing missing (with the reason on
// stderr). Focus events are heard with an out-of-process window-event hook.
//
// The walk: the frame "Brimlow"; the category list and its items; the task list's items
// with their descriptions; the Help and OK buttons; the category "Music" chosen by a
// selection; Tab and Down moving the focus; the default action of "Audio CD"; the help menu
// opened by the Help button's action, About opened by its entry's; the Update page chosen
// and its version label read; About closed by its OK button, the program by its own.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <oleacc.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

std::vector<std::string> g_focus;  // the names the focus events named, in order
DWORD g_pid = 0;

std::string Narrow(const wchar_t* w) {
  if (!w) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, w, -1, nullptr, 0, nullptr, nullptr);
  std::string s(std::size_t(n > 0 ? n - 1 : 0), '\0');
  if (n > 1) WideCharToMultiByte(CP_UTF8, 0, w, -1, s.data(), n, nullptr, nullptr);
  return s;
}

VARIANT Self() {
  VARIANT v;
  v.vt = VT_I4;
  v.lVal = CHILDID_SELF;
  return v;
}

std::string Text(IAccessible* a, HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, BSTR*), VARIANT child = Self()) {
  BSTR b = nullptr;
  if (!a || FAILED((a->*get)(child, &b))) return {};
  std::string s = Narrow(b);
  SysFreeString(b);
  return s;
}
std::string Name(IAccessible* a) { return Text(a, &IAccessible::get_accName); }
std::string Description(IAccessible* a) { return Text(a, &IAccessible::get_accDescription); }

long Number(IAccessible* a, HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, VARIANT*)) {
  VARIANT v;
  v.vt = VT_EMPTY;
  return a && SUCCEEDED((a->*get)(Self(), &v)) && v.vt == VT_I4 ? v.lVal : -1;
}
long Role(IAccessible* a) { return Number(a, &IAccessible::get_accRole); }
long State(IAccessible* a) { return Number(a, &IAccessible::get_accState); }

std::vector<IAccessible*> Children(IAccessible* a) {
  std::vector<IAccessible*> list;
  long count = 0;
  if (!a || FAILED(a->get_accChildCount(&count)) || count <= 0) return list;
  std::vector<VARIANT> v(static_cast<std::size_t>(count));
  long got = 0;
  if (FAILED(AccessibleChildren(a, 0, count, v.data(), &got))) return list;
  for (long i = 0; i < got; ++i) {
    IAccessible* c = nullptr;
    if (v[std::size_t(i)].vt == VT_DISPATCH && v[std::size_t(i)].pdispVal &&
        SUCCEEDED(v[std::size_t(i)].pdispVal->QueryInterface(__uuidof(IAccessible), reinterpret_cast<void**>(&c))))
      list.push_back(c);
  }
  return list;
}

IAccessible* Find(IAccessible* a, const std::function<bool(IAccessible*)>& match) {
  if (!a) return nullptr;
  if (match(a)) return a;
  for (IAccessible* c : Children(a)) {
    if (IAccessible* f = Find(c, match)) return f;
  }
  return nullptr;
}

IAccessible* Named(IAccessible* a, long role, const std::string& name) {
  return Find(a, [&](IAccessible* n) { return Role(n) == role && Name(n) == name; });
}

[[noreturn]] void Fail(const std::string& what) {
  std::fprintf(stderr, "access walk: %s\n", what.c_str());
  std::fflush(stdout);
  std::exit(1);
}

void CALLBACK OnEvent(HWINEVENTHOOK, DWORD event, HWND w, LONG object, LONG child, DWORD, DWORD) {
  IAccessible* a = nullptr;
  VARIANT v;
  v.vt = VT_EMPTY;
  if (event != EVENT_OBJECT_FOCUS || FAILED(AccessibleObjectFromEvent(w, object, child, &a, &v)) || !a) return;
  g_focus.push_back(Text(a, &IAccessible::get_accName, v));
  std::printf("focus event: %s\n", g_focus.back().c_str());
}

// Serves messages (the events come with them) until `done` or 10 s.
bool Until(const std::function<bool()>& done) {
  const DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > 10000) return false;
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
    Sleep(20);
  }
  return true;
}

void ExpectFocus(const std::string& name) {
  if (!Until([&] { return !g_focus.empty() && g_focus.back() == name; })) Fail("no focus event for \"" + name + "\"");
}

void Act(IAccessible* a, const std::string& what) {
  if (!a || FAILED(a->accDoDefaultAction(Self()))) Fail("the action of " + what + " failed");
  std::printf("action: %s\n", what.c_str());
}

void Key(WORD vk) {
  INPUT in[2] = {};
  in[0].type = in[1].type = INPUT_KEYBOARD;
  in[0].ki.wVk = in[1].ki.wVk = vk;
  in[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, in, sizeof(INPUT));
}

// The client object of the launcher's shown window whose object has the role (and, when
// given, the name).
IAccessible* WindowObject(long role, const std::string& name = {}) {
  struct Search {
    long role;
    const std::string* name;
    IAccessible* found;
  } s{role, &name, nullptr};
  EnumWindows(
      [](HWND w, LPARAM p) -> BOOL {
        auto* s = reinterpret_cast<Search*>(p);
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        IAccessible* a = nullptr;
        if (pid != g_pid || !IsWindowVisible(w) ||
            FAILED(AccessibleObjectFromWindow(w, DWORD(OBJID_CLIENT), __uuidof(IAccessible), reinterpret_cast<void**>(&a))))
          return TRUE;
        if (Role(a) == s->role && (s->name->empty() || Name(a) == *s->name)) {
          s->found = a;
          return FALSE;
        }
        a->Release();
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&s));
  return s.found;
}

IAccessible* AwaitWindow(long role, const std::string& name = {}) {
  IAccessible* a = nullptr;
  if (!Until([&] { return (a = WindowObject(role, name)) != nullptr; })) Fail("no window object \"" + name + "\"");
  return a;
}

void PrintList(const char* label, IAccessible* list) {
  for (IAccessible* item : Children(list)) {
    const std::string d = Description(item);
    std::printf("%s: %s%s%s\n", label, Name(item).c_str(), d.empty() ? "" : " | ", d.c_str());
  }
}

}  // namespace

int main() {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  HWND main = nullptr;
  if (!Until([&] { return (main = FindWindowW(nullptr, L"Brimlow")) && IsWindowVisible(main); }))
    Fail("no window \"Brimlow\"");
  GetWindowThreadProcessId(main, &g_pid);
  if (!SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_FOCUS, nullptr, OnEvent, g_pid, 0, WINEVENT_OUTOFCONTEXT))
    Fail("no event hook");

  // The frame, its lists and buttons.
  IAccessible* frame = AwaitWindow(ROLE_SYSTEM_CLIENT, "Brimlow");
  std::printf("frame: %s\n", Name(frame).c_str());
  IAccessible* categories = Find(frame, [](IAccessible* a) {
    return Role(a) == ROLE_SYSTEM_LIST && Named(a, ROLE_SYSTEM_LISTITEM, "Music");
  });
  IAccessible* tasks = Find(frame, [](IAccessible* a) {
    return Role(a) == ROLE_SYSTEM_LIST && !Named(a, ROLE_SYSTEM_LISTITEM, "Music");
  });
  if (!categories || !tasks) Fail("no category list and task list");
  PrintList("category", categories);
  PrintList("task", tasks);
  IAccessible* help = Named(frame, ROLE_SYSTEM_PUSHBUTTON, "Help");
  IAccessible* ok = Named(frame, ROLE_SYSTEM_PUSHBUTTON, "OK");
  if (!help || !ok) Fail("no Help and OK buttons");
  std::printf("button: %s\nbutton: %s\n", Name(help).c_str(), Name(ok).c_str());

  // "Music" chosen by a selection that takes the focus: the task list shows its tasks.
  IAccessible* music = Named(categories, ROLE_SYSTEM_LISTITEM, "Music");
  if (FAILED(music->accSelect(SELFLAG_TAKEFOCUS | SELFLAG_TAKESELECTION, Self()))) Fail("Music not selected");
  ExpectFocus("Music");
  IAccessible* audio = nullptr;
  if (!Until([&] { return (audio = Named(tasks, ROLE_SYSTEM_LISTITEM, "Audio CD")) != nullptr; }))
    Fail("no task \"Audio CD\"");
  PrintList("music task", tasks);

  // Keys alone move the focus: Tab to the task list, Down to its next task.
  Key(VK_TAB);
  ExpectFocus("Audio CD");
  Key(VK_DOWN);
  if (!Until([] { return g_focus.size() >= 2 && g_focus.back() != "Audio CD"; })) Fail("Down moved no focus");
  std::printf("focus after Down: %s\n", g_focus.back().c_str());

  // The default action of "Audio CD" is a click on it: it starts the task's tool.
  Act(audio, "Audio CD");
  ExpectFocus("Audio CD");

  // The help menu from the Help button's action, About from the menu's.
  Act(help, "Help");
  IAccessible* menu = AwaitWindow(ROLE_SYSTEM_MENUPOPUP);
  PrintList("menu item", menu);
  IAccessible* aboutItem = Find(menu, [](IAccessible* a) { return Name(a).rfind("About", 0) == 0; });
  Act(aboutItem, Name(aboutItem));
  IAccessible* about = AwaitWindow(ROLE_SYSTEM_DIALOG, "About Brimlow");
  std::printf("dialog: %s\n", Name(about).c_str());
  IAccessible* update = Named(about, ROLE_SYSTEM_PAGETAB, "Update");
  Act(update, "Update");
  if (!Until([&] { return State(update) & STATE_SYSTEM_SELECTED; })) Fail("the Update page was not chosen");
  IAccessible* group = Find(update, [](IAccessible* a) { return Role(a) == ROLE_SYSTEM_GROUPING; });
  IAccessible* version = Find(group, [](IAccessible* a) { return Role(a) == ROLE_SYSTEM_STATICTEXT; });
  if (!version || (State(version) & STATE_SYSTEM_INVISIBLE)) Fail("no version label shown");
  std::printf("version: %s\n", Name(version).c_str());

  // About closes by its OK button, the program by its own.
  Act(Named(about, ROLE_SYSTEM_PUSHBUTTON, "OK"), "About's OK");
  if (!Until([] { return !WindowObject(ROLE_SYSTEM_DIALOG); })) Fail("About did not close");
  Act(ok, "OK");
  std::printf("walk done\n");
  return 0;
}
