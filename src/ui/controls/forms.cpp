// TCustomForm and TForm: the top-level window, its frame metrics, placement, showing and
// closing, the modal loop, the focused control and the form's share of dialog keys.
//
// Sections: construction / frame metrics and bounds / window / showing, closing and the
// modal loop / focus / messages.
#include <algorithm>
#include <memory>

#include "ui/controls/controls_internal.h"
#include "ui/controls/accesshook.h"

using controls_internal::ApplicationIfAny;

namespace controls_internal {
void ControlRemoving(TCustomForm* form, TControl* control) {
  if (!form || !control) return;
  TWinControl* active = form->ActiveControl();
  if (!active) return;
  for (const TControl* c = active; c; c = c->Parent()) {
    if (c == control) {
      form->SetActiveControl(nullptr);
      return;
    }
  }
}
}  // namespace controls_internal

// ---------------------------------------------------------------------------------------
// Construction

TCustomForm::TCustomForm(TComponent* owner)
    : TWinControl(owner), canvas_(std::make_unique<TControlCanvas>()) {
  InitApplicationObjects();
  RegisterControlClasses();
  canvas_->SetControl(this);
  visible_ = false;
  color_ = clBtnFace;
  left_ = 0;
  top_ = 0;
  width_ = 320;
  height_ = 240;
  controlStyle_ = TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
  formState_.Include(fsCreating);
  Application->AddForm(this);
}

void TCustomForm::ReleaseCanvasDC() { canvas_->FreeHandle(); }

TCustomForm::~TCustomForm() {
  destroyingForm_ = true;
  if (created_ && OnDestroy) controls_internal::Guarded(this, [&] { OnDestroy(this); });
  Destroying();
  if (TApplication* app = ApplicationIfAny()) app->RemoveForm(this);
  activeControl_ = nullptr;
  DestroyHandle();
  // The components go before the window object does, while they can still reach it.
  DestroyComponents();
}

TForm::TForm(TComponent* owner, const std::string& resourceName) : TCustomForm(owner) { ReadForm(resourceName); }

void TCustomForm::ReadForm(const std::string& resourceName) {
  std::unique_ptr<TResourceStream> stream;
  try {
    stream = std::make_unique<TResourceStream>(resourceName);
  } catch (...) {
    // A missing definition is reported like any error of creation; the form stays empty.
    Application->HandleException(this);
    DoCreate();
    return;
  }
  ReadFormFromStream(*stream);
}

void TCustomForm::ReadFormFromStream(TStream& stream) {
  TfObject doc;
  try {
    doc = ReadTpf0(stream);
  } catch (...) {
    Application->HandleException(this);
    DoCreate();
    return;
  }
  ReadFormFromDocument(doc);
}

void TCustomForm::ReadFormFromDocument(const TfObject& doc) {
  // A derived form's record names its own class; it reads like a TForm.
  if (!doc.className.empty() && !IsClassRegistered(doc.className)) RegisterPersistentClass(doc.className, "TForm");
  try {
    LoadComponent(this, doc);
  } catch (...) {
    // The form keeps what was read so far and is shown as far as it was filled.
    Application->HandleException(this);
  }
  // Definitions are laid out at their designed density; the screen may have another.
  ScaleForDensity(int(GetDpiForSystem()));
  DoCreate();
}

void TCustomForm::SetPixelsPerInch(int value) {
  if (value >= kMinPixelsPerInch && value <= kMaxPixelsPerInch) pixelsPerInch_ = value;
}

void TCustomForm::ScaleForDensity(int ppi) {
  if (ppi == pixelsPerInch_ || ppi < kMinPixelsPerInch || ppi > kMaxPixelsPerInch) return;
  const int from = pixelsPerInch_;
  pixelsPerInch_ = ppi;
  ChangeScale(ppi, from);
  for (int i = 0; i < ComponentCount(); ++i)
    if (auto* scaled = dynamic_cast<IDensityScaled*>(Components(i))) scaled->ChangeScale(ppi, from);
}

void TCustomForm::ScaleBounds(int m, int d) {
  // The window system frames the client area, so only the client area scales; where the
  // form stands is for its Position to say.
  const int cw = ClientWidth(), ch = ClientHeight();
  SetClientWidth(MulDiv(cw, m, d));
  SetClientHeight(MulDiv(ch, m, d));
}

void TCustomForm::DoCreate() {
  if (created_) return;
  created_ = true;
  formState_.Exclude(fsCreating);
  if (OnCreate) controls_internal::Guarded(this, [&] { OnCreate(this); });
}

void TCustomForm::SetMessageHandler(UINT msg, TMessageHandler handler) {
  for (auto& h : messageHandlers_) {
    if (h.first == msg) {
      h.second = std::move(handler);
      return;
    }
  }
  messageHandlers_.push_back({msg, std::move(handler)});
}

// ---------------------------------------------------------------------------------------
// Frame metrics and bounds

// The window styles the border style and icons make.
DWORD TCustomForm::FrameStyle(DWORD* exStyle) const {
  DWORD style = 0;
  switch (borderStyle_) {
    case bsNone: style |= WS_POPUP; break;
    case bsSingle:
    case bsToolWindow: style |= WS_CAPTION | WS_BORDER; break;
    case bsSizeable:
    case bsSizeToolWin: style |= WS_CAPTION | WS_THICKFRAME; break;
    case bsDialog:
      style |= WS_POPUP | WS_CAPTION;
      *exStyle |= WS_EX_DLGMODALFRAME;
      break;
  }
  if (borderStyle_ != bsNone) {
    if (borderIcons_.Contains(biSystemMenu)) style |= WS_SYSMENU;
    if (borderStyle_ != bsDialog && borderIcons_.Contains(biMinimize)) style |= WS_MINIMIZEBOX;
    if (borderStyle_ != bsDialog && borderIcons_.Contains(biMaximize)) style |= WS_MAXIMIZEBOX;
  }
  return style;
}

RECT TCustomForm::FrameSize() const {
  DWORD exStyle = 0;
  const DWORD style = FrameStyle(&exStyle);
  RECT desktop;
  if (borderStyle_ != bsNone && GetDesktopFrameExtents(style, exStyle, &desktop)) return desktop;
  int frame = 0, caption = 0;
  switch (borderStyle_) {
    case bsNone: break;
    case bsSingle:
    case bsDialog:
    case bsToolWindow:
      frame = GetSystemMetrics(SM_CXDLGFRAME);
      caption = GetSystemMetrics(SM_CYCAPTION);
      break;
    case bsSizeable:
    case bsSizeToolWin:
      frame = GetSystemMetrics(SM_CXFRAME);
      caption = GetSystemMetrics(SM_CYCAPTION);
      break;
  }
  return RECT{frame, frame + caption, frame, frame};
}

RECT TCustomForm::ClientRect() const {
  RECT f = FrameSize();
  return RECT{0, 0, std::max(0, width_ - f.left - f.right), std::max(0, height_ - f.top - f.bottom)};
}

void TCustomForm::SetClientWidth(int value) {
  RECT f = FrameSize();
  SetWidth(value + f.left + f.right);
}

void TCustomForm::SetClientHeight(int value) {
  RECT f = FrameSize();
  SetHeight(value + f.top + f.bottom);
}

void TCustomForm::SetBorderStyle(TFormBorderStyle value) {
  if (value == borderStyle_) return;
  // The client area keeps its size; the outer size follows the new frame.
  const int cw = ClientWidth(), ch = ClientHeight();
  borderStyle_ = value;
  RECT f = FrameSize();
  SetBounds(left_, top_, cw + f.left + f.right, ch + f.top + f.bottom);
}

void TCustomForm::BoundsChanged() {
  if (!handle_) return;
  RECT f = FrameSize();
  RECT cr = ClientRect();
  SetWindowPos(handle_, nullptr, left_ + f.left, top_ + f.top, cr.right, cr.bottom, SWP_NOZORDER | SWP_NOACTIVATE);
}

void TCustomForm::SetWindowState(TWindowState value) {
  windowState_ = value;
  if (handle_ && Showing()) ShowWindow(handle_, value == wsMinimized ? SW_MINIMIZE : SW_RESTORE);
}

// ---------------------------------------------------------------------------------------
// Window

void TCustomForm::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  RECT f = FrameSize();
  RECT cr = ClientRect();
  params.style = WS_CLIPCHILDREN | FrameStyle(&params.exStyle);
  if (!enabled_) params.style |= WS_DISABLED;
  params.exStyle |= WS_EX_CONTROLPARENT;
  params.x = left_ + f.left;
  params.y = top_ + f.top;
  params.width = cr.right;
  params.height = cr.bottom;
  params.parentWindow = ParentWindowFor();
}

HWND TCustomForm::ParentWindowFor() {
  // Dialogs belong to the form that owns them, everything else to the application window.
  if (auto* ownerForm = dynamic_cast<TCustomForm*>(Owner()); ownerForm && ownerForm->HandleAllocated())
    return ownerForm->Handle();
  // A modal box no form owns (the error box) belongs to the window it blocks: the program's
  // active window, else the main window. So it stays above it and the desktop knows it.
  if (formState_.Contains(fsModal)) {
    HWND active = GetActiveWindow();
    if (active && active != handle_ && IsWindowVisible(active)) return active;
    TCustomForm* main = Application->MainForm();
    if (main && main != this && main->HandleAllocated() && IsWindowVisible(main->Handle())) return main->Handle();
  }
  return Application->Handle();
}

void TCustomForm::CreateWnd() {
  TWinControl::CreateWnd();
}

bool TCustomForm::Showing() const { return handle_ && IsWindowVisible(handle_); }

bool TCustomForm::CanFocus() const { return visible_ && enabled_; }

void TCustomForm::SetFocus() {
  if (!CanFocus()) throw EInvalidOperation("Cannot focus a disabled or invisible window");
  ::SetFocus(Handle());
}

// ---------------------------------------------------------------------------------------
// Showing, closing and the modal loop

void TCustomForm::PlaceForm() {
  placed_ = true;
  auto centreOn = [&](const RECT& r) {
    const int l = r.left + ((r.right - r.left) - width_) / 2;
    const int t = r.top + ((r.bottom - r.top) - height_) / 2;
    SetBounds(l, t, width_, height_);
  };
  switch (position_) {
    case poScreenCenter:
    case poDesktopCenter:
      centreOn(RECT{0, 0, Screen->Width(), Screen->Height()});
      break;
    case poMainFormCenter:
    case poOwnerFormCenter: {
      TCustomForm* around = position_ == poOwnerFormCenter ? dynamic_cast<TCustomForm*>(Owner()) : nullptr;
      if (!around) around = Application->MainForm();
      if (around && around != this) centreOn(around->BoundsRect());
      else centreOn(RECT{0, 0, Screen->Width(), Screen->Height()});
      break;
    }
    default:
      break;
  }
}

void TCustomForm::VisibleChanging() {}

void TCustomForm::SetVisibleWindow(bool show) {
  if (show) {
    if (!placed_) PlaceForm();
    HandleNeeded();
    if (!IsWindowVisible(handle_)) {
      DoShow();
      if (!handle_ || !visible_) return;
      ShowWindow(handle_, windowState_ == wsMinimized ? SW_SHOWMINIMIZED : SW_SHOW);
      NotifyAccess(TAccessChange::Structure, this);
    }
  } else if (handle_ && IsWindowVisible(handle_)) {
    DoHide();
    if (handle_) ShowWindow(handle_, SW_HIDE);
    NotifyAccess(TAccessChange::Structure, this);
  }
}

void TCustomForm::Show() {
  visible_ = true;
  formState_.Include(fsVisible);
  SetVisibleWindow(true);  // OnShow only when the window really becomes visible
  BringToFront();
}

void TCustomForm::Hide() {
  visible_ = false;
  formState_.Exclude(fsVisible);
  SetVisibleWindow(false);
}

void TCustomForm::BringToFront() {
  if (!handle_ || !IsWindowVisible(handle_)) return;
  if (IsIconic(handle_)) ShowWindow(handle_, SW_RESTORE);
  BringWindowToTop(handle_);
  if (IsWindowEnabled(handle_)) SetForegroundWindow(handle_);
}

void TCustomForm::DoShow() {
  if (OnShow) controls_internal::Guarded(this, [&] { OnShow(this); });
}

void TCustomForm::DoHide() {
  if (OnHide) controls_internal::Guarded(this, [&] { OnHide(this); });
}

void TCustomForm::DoClose(TCloseAction& action) {
  if (OnClose) OnClose(this, action);
}

bool TCustomForm::CloseQuery() {
  bool canClose = true;
  if (OnCloseQuery) OnCloseQuery(this, canClose);
  return canClose;
}

void TCustomForm::Close() {
  if (formState_.Contains(fsModal)) {
    modalResult_ = mrCancel;
    return;
  }
  if (!CloseQuery()) return;
  TCloseAction action = caHide;
  DoClose(action);
  if (action == caNone) return;
  if (Application->MainForm() == this) {
    Application->Terminate();
  } else if (action == caHide || action == caFree) {
    // A form freed on close is hidden now and freed with its owner; freeing it from
    // inside its own handler would pull the object from under the caller.
    Hide();
  } else if (action == caMinimize) {
    SetWindowState(wsMinimized);
  }
}

TModalResult TCustomForm::ShowModal() {
  if (visible_ || !enabled_ || formState_.Contains(fsModal))
    throw EInvalidOperation("Cannot make a visible window modal");
  if (GetCapture()) ReleaseCapture();
  if (TApplication* app = ApplicationIfAny()) app->SetCaptureControl(nullptr);
  HWND activeBefore = GetActiveWindow();
  formState_.Include(fsModal);
  HandleNeeded();
  std::vector<HWND> disabled = Application->DisableTaskWindows(handle_);
  struct Restore {
    TCustomForm* form;
    std::vector<HWND>& disabled;
    HWND activeBefore;
    ~Restore() {
      Application->EnableTaskWindows(disabled);
      if (activeBefore && IsWindow(activeBefore) && IsWindowVisible(activeBefore)) SetActiveWindow(activeBefore);
      try {
        form->Hide();
      } catch (...) {
      }
      form->formState_.Exclude(fsModal);
    }
  } restore{this, disabled, activeBefore};

  modalResult_ = mrNone;
  Show();
  for (;;) {
    if (modalResult_ == mrNone) {
      if (!Application->HandleMessage()) {
        // The quit request (or a queue that can never deliver again) ends the dialog.
        if (modalResult_ == mrNone) modalResult_ = mrCancel;
      } else if (Application->Terminated() && modalResult_ == mrNone) {
        modalResult_ = mrCancel;
      }
    }
    if (modalResult_ != mrNone) {
      // Closing may still be refused by OnCloseQuery or OnClose.
      if (Application->Terminated()) break;
      if (!CloseQuery()) {
        modalResult_ = mrNone;
        continue;
      }
      TCloseAction action = caHide;
      DoClose(action);
      if (action == caNone) {
        modalResult_ = mrNone;
        continue;
      }
      break;
    }
  }
  return modalResult_;
}

// ---------------------------------------------------------------------------------------
// Focus

void TCustomForm::SetActiveControl(TWinControl* control) {
  if (control == activeControl_) {
    if (control && Active() && control->HandleAllocated() && !control->Focused() && control->CanFocus())
      ::SetFocus(control->Handle());
    return;
  }
  if (control && (control == this || !ContainsControl(control)))
    throw EInvalidOperation("Invalid control as active control");
  activeControl_ = control;
  if (control && !IsLoading() && handle_ && IsWindowVisible(handle_) && control->CanFocus()) {
    ::SetFocus(control->Handle());
  }
}

void TCustomForm::FocusControl(TWinControl* control) {
  activeControl_ = control;
  Perform(CM_FOCUSCHANGED, 0, LPARAM(reinterpret_cast<std::uintptr_t>(control)));
}

void TCustomForm::Activated(bool active) {
  active_ = active;
  if (active) {
    if (!activeControl_ || !activeControl_->CanFocus()) activeControl_ = FindNextControl(nullptr, true, true, false);
    Perform(CM_ACTIVATE);
    if (OnActivate) OnActivate(this);
  } else {
    Perform(CM_DEACTIVATE);
    if (OnDeactivate) OnDeactivate(this);
  }
}

// ---------------------------------------------------------------------------------------
// Messages

void TCustomForm::DialogKeyMessage(TMessage& message) {
  const WORD key = WORD(message.WParam);
  const TShiftState shift = KeyDataToShiftState(message.LParam);
  if (key == VK_TAB && !shift.Contains(ssCtrl) && !shift.Contains(ssAlt)) {
    SelectNext(activeControl_, !shift.Contains(ssShift), true);
    message.Result = 1;
    return;
  }
  // Enter, Esc and the rest go to the controls; default and cancel buttons take theirs.
  Broadcast(message);
}

void TCustomForm::DialogCharMessage(TMessage& message) { Broadcast(message); }

void TCustomForm::WndProc(TMessage& message) {
  switch (message.Msg) {
    case CM_DIALOGKEY:
      DialogKeyMessage(message);
      return;
    case CM_DIALOGCHAR:
      DialogCharMessage(message);
      return;
    case WM_CLOSE:
      Close();
      return;
    case CM_VISIBLECHANGED:
      // Visible set in code shows or hides the window; a definition's value waits for Show.
      if (!IsLoading()) {
        if (visible_) Show();
        else Hide();
      }
      return;
    case WM_ACTIVATE: {
      const bool active = LOWORD(message.WParam) != WA_INACTIVE;
      Activated(active);
      if (active && !HIWORD(message.WParam)) {
        if (activeControl_ && activeControl_->CanFocus()) ::SetFocus(activeControl_->Handle());
        else ::SetFocus(handle_);
      }
      return;
    }
    case WM_SETFOCUS:
      // The form passes the focus on to its focused control.
      if (activeControl_ && activeControl_ != this && activeControl_->CanFocus() &&
          activeControl_->HandleAllocated()) {
        ::SetFocus(activeControl_->Handle());
        return;
      }
      break;
    case WM_MOVE:
    case WM_SIZE:
      if (handle_) {
        // The window manager moved or resized the window: the outer bounds follow.
        RECT wr;
        GetWindowRect(handle_, &wr);
        RECT f = FrameSize();
        const int nl = wr.left - f.left, nt = wr.top - f.top;
        const int nw = (wr.right - wr.left) + f.left + f.right, nh = (wr.bottom - wr.top) + f.top + f.bottom;
        const int dw = nw - width_, dh = nh - height_;
        left_ = nl;
        top_ = nt;
        width_ = nw;
        height_ = nh;
        if ((dw || dh) && !IsLoading()) {
          std::vector<TControl*> kids = controls_;
          for (TControl* c : kids) c->AnchorsToParent(dw, dh);
          if (OnResize) OnResize(this);
        }
      }
      return;
    default:
      break;
  }
  for (auto& h : messageHandlers_) {
    if (h.first == message.Msg && h.second) {
      if (h.second(message)) return;
    }
  }
  TWinControl::WndProc(message);
}

void TCustomForm::PaintWindow(HDC dc) {
  if (!OnPaint) return;
  controls_internal::CanvasPaintScope scope(*canvas_, dc, font_.get(), color_);
  OnPaint(this);
}
