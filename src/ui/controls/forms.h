// Forms and the application: TCustomForm/TForm (a top-level window built from a window
// definition, shown modeless or modal), the global Application (title, run loop, error
// box) and Screen (cursors, screen size, active form), and the message dialog.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/controls/controls.h"
#include "ui/forms/formreader.h"

// Results of modal forms and message dialogs.
using TModalResult = int;
constexpr TModalResult mrNone = 0;
constexpr TModalResult mrOk = 1;
constexpr TModalResult mrCancel = 2;
constexpr TModalResult mrAbort = 3;
constexpr TModalResult mrRetry = 4;
constexpr TModalResult mrIgnore = 5;
constexpr TModalResult mrYes = 6;
constexpr TModalResult mrNo = 7;
constexpr TModalResult mrAll = 8;
constexpr TModalResult mrNoToAll = 9;
constexpr TModalResult mrYesToAll = 10;

enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum TBorderIcon { biSystemMenu, biMinimize, biMaximize, biHelp };
using TBorderIcons = TSet<TBorderIcon>;
enum TPosition { poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter,
                 poDesktopCenter, poMainFormCenter, poOwnerFormCenter };
enum TCloseAction { caNone, caHide, caFree, caMinimize };
enum TFormStateFlag { fsCreating, fsVisible, fsShowing, fsModal, fsCreatedMDIChild, fsActivated };
using TFormState = TSet<TFormStateFlag>;
enum TWindowState { wsNormal, wsMinimized, wsMaximized };

using TCloseEvent = std::function<void(TObject* sender, TCloseAction& action)>;
using TCloseQueryEvent = std::function<void(TObject* sender, bool& canClose)>;

// A posted message the form's own handlers receive (WM_USER + n and other numbers that
// the library does not handle itself): return true when handled.
using TMessageHandler = std::function<bool(TMessage& message)>;

// ---------------------------------------------------------------------------------------
// TCustomForm: a top-level window. Its Width/Height are the outer size (frame and caption
// of its border style included); the window itself covers the client area, since the
// window system (or the window manager) draws the frame.

class TCustomForm : public TWinControl, public IMethodProvider {
  LB_CLASS(TCustomForm)
 public:
  explicit TCustomForm(TComponent* owner);
  ~TCustomForm() override;
  void ReleaseCanvasDC() override;

  // Builds the form from the embedded window definition `resourceName` (a TPF0 stream),
  // binding event properties to this form's method table, then runs OnCreate. Errors while
  // reading are shown in the application's error box and the form stays as far as it was
  // filled. Derived forms register their handlers first, then call ReadForm.
  void ReadForm(const std::string& resourceName);
  // The same from a stream or an already parsed definition.
  void ReadFormFromStream(TStream& stream);
  void ReadFormFromDocument(const TfObject& doc);
  // Runs OnCreate once (ReadForm does; forms made in code call it when they are complete).
  void DoCreate();

  // Handlers by name for the window definition's event properties.
  template <class F>
  void RegisterMethod(const std::string& name, F handler) {
    methods_.Add(name, std::move(handler));
  }
  std::any FindMethod(const std::string& name) override { return methods_.FindMethod(name); }
  // Handles a window message number the library leaves alone (e.g. WM_USER + 1).
  void SetMessageHandler(UINT msg, TMessageHandler handler);

  // Showing and closing.
  void Show();
  void Hide();
  void Close();
  // Asks OnCloseQuery; true when the form may close.
  virtual bool CloseQuery();
  // Disables the application's other windows, shows the form and runs a message loop
  // until ModalResult is set or the form is closed; then hides it, re-enables the other
  // windows, gives the focus back and returns the result.
  virtual TModalResult ShowModal();
  TModalResult ModalResult() const { return modalResult_; }
  void SetModalResult(TModalResult value) { modalResult_ = value; }
  bool Active() const { return active_; }
  // Brings the form to the front and activates it.
  void BringToFront();

  // The focused control of the form (also remembered while the form is inactive).
  TWinControl* ActiveControl() const { return activeControl_; }
  void SetActiveControl(TWinControl* control);
  // Told by a control that received the focus; tells every control (CM_FOCUSCHANGED).
  void FocusControl(TWinControl* control);

  TFormBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TFormBorderStyle value);
  TBorderIcons BorderIcons() const { return borderIcons_; }
  void SetBorderIcons(TBorderIcons value) { borderIcons_ = value; }
  TPosition Position() const { return position_; }
  void SetPosition(TPosition value) { position_ = value; }
  TWindowState WindowState() const { return windowState_; }
  void SetWindowState(TWindowState value);
  bool KeyPreview() const { return keyPreview_; }
  void SetKeyPreview(bool value) { keyPreview_ = value; }
  // The density the form is laid out at: the one its definition was designed at (96
  // unless a definition says otherwise) until ScaleForDensity moves it.
  int PixelsPerInch() const { return pixelsPerInch_; }
  // The designed density, as a definition stores it: set, not scaled.
  void SetPixelsPerInch(int value);
  // Lays the form out anew at `ppi` pixels per inch (ChangeScale from its present density);
  // reading a definition does it for the screen's density, a move to a screen of another
  // density again.
  void ScaleForDensity(int ppi);
  // A distance the form's code gives at 96 pixels per inch, at the form's present density.
  int ScaleDesigned(int value) const { return MulDiv(value, pixelsPerInch_, kDesignedPixelsPerInch); }
  static constexpr int kDesignedPixelsPerInch = 96;

  RECT ClientRect() const override;
  void SetClientWidth(int value) override;
  void SetClientHeight(int value) override;
  // Frame and caption of the border style: left, top (with caption), right, bottom. The
  // window manager's own frame when it tells its sides, else the classic metrics.
  RECT FrameSize() const;
  bool Showing() const override;
  bool CanFocus() const override;
  void SetFocus() override;
  void WndProc(TMessage& message) override;

  TNotifyEvent OnCreate;
  TNotifyEvent OnDestroy;
  TNotifyEvent OnShow;
  TNotifyEvent OnHide;
  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;
  TNotifyEvent OnPaint;
  TNotifyEvent OnResize;
  TCloseEvent OnClose;
  TCloseQueryEvent OnCloseQuery;

  TCanvas* Canvas() { return canvas_.get(); }

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  HWND ParentWindowFor() override;
  void PaintWindow(HDC dc) override;
  void BoundsChanged() override;
  virtual void DoShow();
  virtual void DoHide();
  virtual void DoClose(TCloseAction& action);
  // Places the form by Position before it is first shown.
  void PlaceForm();
  void VisibleChanging() override;
  void SetVisibleWindow(bool show);
  void ScaleBounds(int m, int d) override;

 private:
  // The window styles of the border style and icons; adds the extended ones to *exStyle.
  DWORD FrameStyle(DWORD* exStyle) const;
  void DialogKeyMessage(TMessage& message);
  void DialogCharMessage(TMessage& message);
  void Activated(bool active);

  TMethodTable methods_;
  std::vector<std::pair<UINT, TMessageHandler>> messageHandlers_;
  std::unique_ptr<TControlCanvas> canvas_;
  TWinControl* activeControl_ = nullptr;
  TModalResult modalResult_ = mrNone;
  TFormState formState_;
  TFormBorderStyle borderStyle_ = bsSizeable;
  TBorderIcons borderIcons_{biSystemMenu, biMinimize, biMaximize};
  TPosition position_ = poDesigned;
  TWindowState windowState_ = wsNormal;
  bool keyPreview_ = false;
  int pixelsPerInch_ = kDesignedPixelsPerInch;
  bool active_ = false;
  bool created_ = false;  // OnCreate ran
  bool placed_ = false;
  bool destroyingForm_ = false;
};

// The form of the window definitions.
class TForm : public TCustomForm {
  LB_CLASS(TForm)
 public:
  explicit TForm(TComponent* owner) : TCustomForm(owner) {}
  // Builds the form from an embedded definition at once (forms without handlers of their
  // own; derived forms with handlers register them and call ReadForm themselves).
  TForm(TComponent* owner, const std::string& resourceName);
};

// ---------------------------------------------------------------------------------------
// Message dialogs

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum TMsgDlgBtn { mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbNoToAll, mbYesToAll, mbHelp };
using TMsgDlgButtons = TSet<TMsgDlgBtn>;

// What a message dialog shows; handed to the dialog builder and to test hooks.
struct TMessageDlgRequest {
  std::string text;
  std::string caption;
  TMsgDlgType type = mtInformation;
  TMsgDlgButtons buttons{mbOK};
};

// Builds the dialog form of a request (buttons carry ModalResult; ShowModal runs it).
// stdctrls may install one with its own look; the library has a plain built-in one.
using TMessageDlgBuilder = std::function<TCustomForm*(const TMessageDlgRequest& request)>;
void SetMessageDlgBuilder(TMessageDlgBuilder builder);
// The built-in dialog (used when no builder is installed).
TCustomForm* CreateDefaultMessageDialog(const TMessageDlgRequest& request);

// Shows a modal message dialog and returns the modal result of the button pressed
// (mrCancel when closed otherwise). An empty caption shows Application->Title.
int MessageDlg(const std::string& text, const std::string& caption, TMsgDlgType type, TMsgDlgButtons buttons);

// Win32-style message box flags for TApplication::MessageBox.
constexpr UINT MB_OK = 0x0000;
constexpr UINT MB_OKCANCEL = 0x0001;
constexpr UINT MB_YESNOCANCEL = 0x0003;
constexpr UINT MB_YESNO = 0x0004;
constexpr UINT MB_ICONERROR = 0x0010;
constexpr UINT MB_ICONQUESTION = 0x0020;
constexpr UINT MB_ICONWARNING = 0x0030;
constexpr UINT MB_ICONINFORMATION = 0x0040;
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// ---------------------------------------------------------------------------------------
// TApplication: the program's run loop, its title and its hidden owner window.

using TExceptionEvent = std::function<void(TObject* sender, const std::exception& e)>;
// Sees the standard error box instead of the user: caption and message.
using TShowExceptionHook = std::function<void(const std::string& caption, const std::string& message)>;
using TMessageDlgHook = std::function<int(const TMessageDlgRequest& request)>;

class TApplication : public TComponent {
  LB_CLASS(TApplication)
 public:
  explicit TApplication(TComponent* owner);
  ~TApplication() override;

  // Opens a window system of its own when none is open (x11 when a display opens, else
  // headless), kept until the application goes, and makes the application window.
  void Initialize();

  const std::string& Title() const { return title_; }
  void SetTitle(const std::string& value);
  // The hidden top-level window that owns the forms.
  HWND Handle();

  // The first form made with CreateForm becomes the main form.
  TCustomForm* MainForm() const { return mainForm_; }
  template <class T>
  T* CreateForm(TComponent* owner = nullptr) {
    T* form = new T(owner ? owner : this);
    FormCreated(form);
    return form;
  }
  // Shows the main form (raising its OnShow), then retrieves and dispatches messages
  // until the quit request; returns the exit code. Exceptions escaping a handler are shown
  // in the error box and the loop goes on.
  int Run();
  // Requests the end of the run loop (PostQuitMessage(0)); messages posted before still
  // arrive first.
  void Terminate();
  bool Terminated() const { return terminated_; }
  // Handles one message (waiting for one when none is queued); false once the quit
  // request was retrieved or nothing can arrive any more.
  bool HandleMessage();

  // The standard error handling for an exception escaping an event handler or a form's
  // creation: OnException when set, else the error box. Never throws: what cannot be shown
  // is written on standard error.
  void HandleException(TObject* sender);
  void HandleException(TObject* sender, const std::exception& e);
  // The error box: caption Title, error icon, the message.
  void ShowException(const std::exception& e);
  // A message box with Win32-style flags; returns IDOK, IDCANCEL, IDYES or IDNO.
  int MessageBox(const std::string& text, const std::string& caption, UINT flags);

  TExceptionEvent OnException;
  // Test hooks: when set they replace the modal error box and message dialogs.
  TShowExceptionHook OnShowException;
  TMessageDlgHook OnMessageDlg;

  // Forms register here as they are made and leave when destroyed.
  void AddForm(TCustomForm* form);
  void RemoveForm(TCustomForm* form);
  // Top-level windows disabled for a modal form and enabled again after it.
  std::vector<HWND> DisableTaskWindows(HWND except);
  void EnableTaskWindows(const std::vector<HWND>& windows);

  // The control under the pointer (for CM_MOUSEENTER / CM_MOUSELEAVE) and the windowless
  // control holding the mouse capture.
  TControl* MouseControl() const { return mouseControl_; }
  void SetMouseControl(TControl* control);
  TControl* CaptureControl() const { return captureControl_; }
  void SetCaptureControl(TControl* control);
  // A control being destroyed is forgotten everywhere.
  void ControlDestroyed(TControl* control);

 private:
  friend class TCustomForm;
  void FormCreated(TCustomForm* form);
  bool ProcessMessage(MSG& msg);

  std::unique_ptr<WindowSystem> windowSystem_;  // when Initialize opened it
  std::string title_;
  HWND handle_ = nullptr;
  TCustomForm* mainForm_ = nullptr;
  bool terminated_ = false;
  bool running_ = false;
  TControl* mouseControl_ = nullptr;
  TControl* captureControl_ = nullptr;
};

// ---------------------------------------------------------------------------------------
// TScreen: the application-wide cursor, the cursor table and the screen's size.

class TScreen : public TComponent {
  LB_CLASS(TScreen)
 public:
  explicit TScreen(TComponent* owner);
  ~TScreen() override;

  TCursor Cursor() const { return cursor_; }
  // Anything but crDefault becomes the window system's application-wide override
  // cursor; crDefault removes it.
  void SetCursor(TCursor value);
  // The system cursor of a cursor number (crDefault and unknown numbers: the arrow).
  HCURSOR Cursors(TCursor index) const;
  void SetCursors(TCursor index, HCURSOR handle);

  int Width() const;
  int Height() const;
  TCustomForm* ActiveForm() const;
  TWinControl* ActiveControl() const;
  int FormCount() const { return int(forms_.size()); }
  TCustomForm* Forms(int index) const { return forms_.at(std::size_t(index)); }

 private:
  friend class TApplication;
  TCursor cursor_ = crDefault;
  std::vector<std::pair<TCursor, HCURSOR>> cursors_;
  std::vector<TCustomForm*> forms_;
};

// Creates the process-wide application and screen objects when missing.
void InitApplicationObjects();
TApplication* GetApplication();  // made on first use
TScreen* GetScreen();

// The process-wide application and screen objects: `Application->Run()`,
// `Screen->SetCursor(crHourGlass)`. Each is made on first use, so module initialisation
// code may use them before main runs.
struct TApplicationRef {
  TApplication* operator->() const { return GetApplication(); }
  operator TApplication*() const { return GetApplication(); }
};
struct TScreenRef {
  TScreen* operator->() const { return GetScreen(); }
  operator TScreen*() const { return GetScreen(); }
};
inline constexpr TApplicationRef Application{};
inline constexpr TScreenRef Screen{};
// Frees both (tests that want a fresh application call it, then InitApplicationObjects).
void DoneApplicationObjects();

// The form a control sits on, or null.
TCustomForm* GetParentForm(const TControl* control);
