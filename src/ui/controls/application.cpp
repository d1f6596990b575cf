// The application (run loop, error handling, the hidden owner window, modality helpers)
// and the screen (application-wide cursor and the cursor table).
#include <algorithm>
#include <cstdio>

#include "ui/controls/controls_internal.h"

namespace {
TApplication* g_application = nullptr;
TScreen* g_screen = nullptr;
bool g_tearingDown = false;

LRESULT ApplicationWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  // The hidden owner window never closes by itself; a close request ends the program.
  if (msg == WM_CLOSE) {
    if (g_application) g_application->Terminate();
    return 0;
  }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}
}  // namespace

namespace controls_internal {
TApplication* ApplicationIfAny() { return g_tearingDown ? nullptr : g_application; }
TScreen* ScreenIfAny() { return g_tearingDown ? nullptr : g_screen; }
}  // namespace controls_internal

void InitApplicationObjects() {
  if (!g_screen) g_screen = new TScreen(nullptr);
  if (!g_application) g_application = new TApplication(nullptr);
}

TApplication* GetApplication() {
  if (!g_application) InitApplicationObjects();
  return g_application;
}

TScreen* GetScreen() {
  if (!g_screen) InitApplicationObjects();
  return g_screen;
}

void DoneApplicationObjects() {
  if (g_application) {
    // Forms still reach the application while they go.
    g_application->DestroyComponents();
  }
  g_tearingDown = true;
  delete g_application;
  g_application = nullptr;
  delete g_screen;
  g_screen = nullptr;
  g_tearingDown = false;
}

// ---------------------------------------------------------------------------------------
// TApplication

TApplication::TApplication(TComponent* owner) : TComponent(owner) {}

TApplication::~TApplication() {
  DestroyComponents();
  if (handle_ && IsWindow(handle_)) DestroyWindow(handle_);
  handle_ = nullptr;
}

void TApplication::Initialize() {
  if (!WindowSystemRunning()) {
    windowSystem_ = WindowSystem::Open(WindowBackend::Auto);
    if (!windowSystem_) windowSystem_ = WindowSystem::Open(WindowBackend::Headless);
  }
  Handle();
}

void TApplication::SetTitle(const std::string& value) {
  title_ = value;
  if (handle_ && IsWindow(handle_)) SetWindowTextA(handle_, title_.c_str());
}

HWND TApplication::Handle() {
  if (handle_ && IsWindow(handle_)) return handle_;
  handle_ = nullptr;
  if (!WindowSystemRunning()) return nullptr;
  static const char* const kClass = "LbApplicationWindow";
  WNDCLASSA existing;
  if (!GetClassInfoA(nullptr, kClass, &existing)) {
    WNDCLASSA wc;
    wc.lpfnWndProc = &ApplicationWindowProc;
    wc.lpszClassName = kClass;
    RegisterClassA(&wc);
  }
  handle_ = CreateWindowExA(WS_EX_APPWINDOW, kClass, title_.c_str(), WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, 0, 0, 0,
                            nullptr, nullptr, nullptr, nullptr);
  return handle_;
}

void TApplication::FormCreated(TCustomForm* form) {
  if (!mainForm_) mainForm_ = form;
  form->DoCreate();  // a form without a definition of its own still gets its OnCreate
}

void TApplication::AddForm(TCustomForm* form) {
  if (TScreen* s = controls_internal::ScreenIfAny()) s->forms_.push_back(form);
}

void TApplication::RemoveForm(TCustomForm* form) {
  if (mainForm_ == form) mainForm_ = nullptr;
  if (TScreen* s = controls_internal::ScreenIfAny())
    s->forms_.erase(std::remove(s->forms_.begin(), s->forms_.end(), form), s->forms_.end());
  ControlDestroyed(form);
}

void TApplication::ControlDestroyed(TControl* control) {
  if (mouseControl_ == control) mouseControl_ = nullptr;
  if (captureControl_ == control) captureControl_ = nullptr;
}

void TApplication::SetMouseControl(TControl* control) {
  if (control == mouseControl_) return;
  TControl* old = mouseControl_;
  mouseControl_ = control;
  if (old) old->Perform(CM_MOUSELEAVE);
  if (control && mouseControl_ == control) control->Perform(CM_MOUSEENTER);
}

void TApplication::SetCaptureControl(TControl* control) { captureControl_ = control; }

std::vector<HWND> TApplication::DisableTaskWindows(HWND except) {
  std::vector<HWND> disabled;
  TScreen* s = controls_internal::ScreenIfAny();
  if (!s) return disabled;
  for (TCustomForm* f : s->forms_) {
    if (!f->HandleAllocated()) continue;
    HWND h = f->Handle();
    if (h == except || !IsWindowVisible(h) || !IsWindowEnabled(h)) continue;
    EnableWindow(h, FALSE);
    disabled.push_back(h);
  }
  return disabled;
}

void TApplication::EnableTaskWindows(const std::vector<HWND>& windows) {
  for (HWND h : windows)
    if (IsWindow(h)) EnableWindow(h, TRUE);
}

bool TApplication::HandleMessage() {
  MSG msg;
  const BOOL r = GetMessageA(&msg, nullptr, 0, 0);
  if (r == 0) {
    terminated_ = true;
    PostQuitMessage(int(msg.wParam));  // a nested loop passes the request on to the outer one
    return false;
  }
  if (r < 0) {
    // Nothing can ever arrive (a headless run out of input): the loop cannot go on.
    terminated_ = true;
    return false;
  }
  ProcessMessage(msg);
  return true;
}

bool TApplication::ProcessMessage(MSG& msg) {
  try {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  } catch (...) {
    HandleException(this);
  }
  return true;
}

int TApplication::Run() {
  Initialize();
  running_ = true;
  int exitCode = 0;
  if (mainForm_) {
    try {
      // The main form is shown whatever happened while it was made.
      mainForm_->Show();
    } catch (...) {
      HandleException(mainForm_);
    }
  }
  for (;;) {
    MSG msg;
    const BOOL r = GetMessageA(&msg, nullptr, 0, 0);
    if (r == 0) {
      exitCode = int(msg.wParam);
      break;
    }
    if (r < 0) break;
    ProcessMessage(msg);
    if (terminated_) {
      // A nested loop took the quit request and passed it on: take its exit code.
      QuitRequested(&exitCode);
      break;
    }
  }
  terminated_ = true;
  running_ = false;
  return exitCode;
}

void TApplication::Terminate() { PostQuitMessage(0); }

// None of the three below throws: an error that cannot be shown (no memory left for the box,
// say) is written on standard error, and the program goes on.
void TApplication::HandleException(TObject* sender) {
  try {
    throw;
  } catch (const EAbort&) {
    // Silent by design: EAbort ends an operation without telling the user.
  } catch (const std::exception& e) {
    HandleException(sender, e);
  } catch (...) {
    try {
      HandleException(sender, Exception("Unknown error"));
    } catch (...) {
      std::fprintf(stderr, "%s: Unknown error\n", title_.c_str());
    }
  }
}

void TApplication::HandleException(TObject* sender, const std::exception& e) {
  if (dynamic_cast<const EAbort*>(&e)) return;
  if (!OnException) return ShowException(e);
  try {
    OnException(sender, e);
  } catch (...) {
    std::fprintf(stderr, "%s: %s\n", title_.c_str(), e.what());
  }
}

void TApplication::ShowException(const std::exception& e) {
  try {
    if (OnShowException) return OnShowException(title_, e.what());
    if (WindowSystemRunning()) {
      MessageBox(e.what(), title_, MB_OK | MB_ICONERROR);
      return;
    }
  } catch (...) {
    // The box could not be made or run: the message still reaches the user below.
  }
  std::fprintf(stderr, "%s: %s\n", title_.c_str(), e.what());
}

int TApplication::MessageBox(const std::string& text, const std::string& caption, UINT flags) {
  TMsgDlgType type = mtCustom;
  switch (flags & 0xF0) {
    case MB_ICONERROR: type = mtError; break;
    case MB_ICONQUESTION: type = mtConfirmation; break;
    case MB_ICONWARNING: type = mtWarning; break;
    case MB_ICONINFORMATION: type = mtInformation; break;
    default: break;
  }
  TMsgDlgButtons buttons{mbOK};
  switch (flags & 0x0F) {
    case MB_OKCANCEL: buttons = TMsgDlgButtons{mbOK, mbCancel}; break;
    case MB_YESNOCANCEL: buttons = TMsgDlgButtons{mbYes, mbNo, mbCancel}; break;
    case MB_YESNO: buttons = TMsgDlgButtons{mbYes, mbNo}; break;
    default: break;
  }
  const int r = MessageDlg(text, caption, type, buttons);
  switch (r) {
    case mrOk: return IDOK;
    case mrYes: return IDYES;
    case mrNo: return IDNO;
    default: return IDCANCEL;
  }
}

// ---------------------------------------------------------------------------------------
// TScreen

namespace {
struct StockCursor {
  TCursor number;
  LPCSTR id;
};
const StockCursor kStockCursors[] = {
    {crDefault, IDC_ARROW},   {crArrow, IDC_ARROW},         {crCross, IDC_CROSS},   {crIBeam, IDC_IBEAM},
    {crSizeNESW, IDC_SIZENESW}, {crSizeNS, IDC_SIZENS},     {crSizeNWSE, IDC_SIZENWSE}, {crSizeWE, IDC_SIZEWE},
    {crUpArrow, IDC_UPARROW}, {crHourGlass, IDC_WAIT},      {crNo, IDC_NO},         {crAppStart, IDC_APPSTARTING},
    {crHelp, IDC_HELP},       {crHandPoint, IDC_HAND},      {crSizeAll, IDC_SIZEALL},
};
}  // namespace

TScreen::TScreen(TComponent* owner) : TComponent(owner) {
  for (const StockCursor& c : kStockCursors) cursors_.push_back({c.number, LoadCursorA(nullptr, c.id)});
}

TScreen::~TScreen() {
  if (cursor_ != crDefault && WindowSystemRunning()) SetOverrideCursor(nullptr);
}

HCURSOR TScreen::Cursors(TCursor index) const {
  for (const auto& c : cursors_)
    if (c.first == index) return c.second;
  if (index == crNone) return nullptr;
  for (const auto& c : cursors_)
    if (c.first == crDefault) return c.second;
  return LoadCursorA(nullptr, IDC_ARROW);
}

void TScreen::SetCursors(TCursor index, HCURSOR handle) {
  for (auto& c : cursors_) {
    if (c.first == index) {
      c.second = handle ? handle : LoadCursorA(nullptr, IDC_ARROW);
      if (index == cursor_ && cursor_ != crDefault) SetOverrideCursor(c.second);
      return;
    }
  }
  cursors_.push_back({index, handle});
}

void TScreen::SetCursor(TCursor value) {
  cursor_ = value;
  SetOverrideCursor(value == crDefault ? nullptr : Cursors(value));
}

int TScreen::Width() const { return GetSystemMetrics(SM_CXSCREEN); }
int TScreen::Height() const { return GetSystemMetrics(SM_CYSCREEN); }

TCustomForm* TScreen::ActiveForm() const {
  HWND active = GetActiveWindow();
  for (TCustomForm* f : forms_)
    if (f->HandleAllocated() && const_cast<TCustomForm*>(f)->Handle() == active) return f;
  return nullptr;
}

TWinControl* TScreen::ActiveControl() const {
  TCustomForm* f = ActiveForm();
  return f ? f->ActiveControl() : nullptr;
}
