// The control core of the class library: TControl (anything that sits on a form),
// TWinControl (a control with its own window), TCustomControl (a window with a canvas it
// paints itself) and TGraphicControl (a windowless control painted by its parent), with the
// control notifications (CM_*), keyboard focus, tab order, dialog keys and accelerators.
//
// Messages reach a control through WndProc(TMessage&): window messages of its window,
// mouse messages its parent forwards to a windowless control, and the CM_* notifications
// the library sends with Perform. Derived classes override WndProc, handle what they need
// and pass everything else to the inherited WndProc.
//
// Sections: control notifications / value types / TControlCanvas / TControl /
// TWinControl / TCustomControl / TGraphicControl / registration.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/gdi/gdi.h"
#include "platform/win/win.h"
#include "ui/core/classes.h"
#include "ui/graphics/graphics.h"

class TControl;
class TWinControl;
class TCustomForm;

// ---------------------------------------------------------------------------------------
// Control notifications (sent with Perform; never posted)

constexpr UINT CM_BASE = 0xB000;
constexpr UINT CM_ACTIVATE = CM_BASE + 0x00;        // the form became active
constexpr UINT CM_DEACTIVATE = CM_BASE + 0x01;      // the form became inactive
constexpr UINT CM_DIALOGKEY = CM_BASE + 0x05;       // WParam: virtual key, LParam: key data; Result 1 = handled
constexpr UINT CM_DIALOGCHAR = CM_BASE + 0x06;      // WParam: character, LParam: key data; Result 1 = handled
constexpr UINT CM_FOCUSCHANGED = CM_BASE + 0x07;    // LParam: the TWinControl* that now has the focus
constexpr UINT CM_PARENTFONTCHANGED = CM_BASE + 0x08;
constexpr UINT CM_PARENTCOLORCHANGED = CM_BASE + 0x09;
constexpr UINT CM_VISIBLECHANGED = CM_BASE + 0x0B;  // WParam: the new value
constexpr UINT CM_ENABLEDCHANGED = CM_BASE + 0x0C;
constexpr UINT CM_COLORCHANGED = CM_BASE + 0x0D;
constexpr UINT CM_FONTCHANGED = CM_BASE + 0x0E;
constexpr UINT CM_CURSORCHANGED = CM_BASE + 0x0F;
constexpr UINT CM_TEXTCHANGED = CM_BASE + 0x12;
constexpr UINT CM_MOUSEENTER = CM_BASE + 0x13;
constexpr UINT CM_MOUSELEAVE = CM_BASE + 0x14;
constexpr UINT CM_SHOWINGCHANGED = CM_BASE + 0x19;
constexpr UINT CM_ENTER = CM_BASE + 0x1A;           // the control received the focus
constexpr UINT CM_EXIT = CM_BASE + 0x1B;            // the control lost the focus

// What keys a focused control handles itself (TWinControl::GetDialogCode). Keys it does
// not want are offered to its form as dialog keys (Tab, Enter, Esc, arrows).
enum : unsigned {
  dcWantArrows = 0x01,
  dcWantTab = 0x02,
  dcWantAllKeys = 0x04,  // Enter and Esc too
  dcWantChars = 0x80,    // plain letters are text, not accelerators
};

// One message as a control sees it. Result is what SendMessageA / Perform return.
struct TMessage {
  UINT Msg = 0;
  WPARAM WParam = 0;
  LPARAM LParam = 0;
  LRESULT Result = 0;
};

// ---------------------------------------------------------------------------------------
// Value types

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom };
enum TAnchorKind { akLeft, akTop, akRight, akBottom };
using TAnchors = TSet<TAnchorKind>;
enum TMouseButton { mbLeft, mbRight, mbMiddle };
enum TShiftStateFlag { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };
using TShiftState = TSet<TShiftStateFlag>;
enum TBiDiMode { bdLeftToRight, bdRightToLeft, bdRightToLeftNoAlign, bdRightToLeftReadingOnly };

// Cursor numbers of the Screen->Cursors table; each maps to a system cursor.
using TCursor = int;
constexpr TCursor crDefault = 0;
constexpr TCursor crNone = -1;
constexpr TCursor crArrow = -2;
constexpr TCursor crCross = -3;
constexpr TCursor crIBeam = -4;
constexpr TCursor crSizeNESW = -6;
constexpr TCursor crSizeNS = -7;
constexpr TCursor crSizeNWSE = -8;
constexpr TCursor crSizeWE = -9;
constexpr TCursor crUpArrow = -10;
constexpr TCursor crHourGlass = -11;
constexpr TCursor crNo = -18;
constexpr TCursor crAppStart = -19;
constexpr TCursor crHelp = -20;
constexpr TCursor crHandPoint = -21;
constexpr TCursor crSizeAll = -22;

// Behaviour switches of a control, set by its class in the constructor.
enum TControlStyleFlag {
  csAcceptsControls,  // may parent other controls in a window definition
  csCaptureMouse,     // takes the mouse capture while a button is held on it
  csClickEvents,      // a press and release inside raise Click()
  csDoubleClicks,     // double clicks arrive as such (otherwise as plain presses)
  csOpaque,           // paints its whole rectangle (the parent need not paint under it)
  csSetCaption,       // the component name becomes the caption while it is still empty
  csNoStdEvents,      // the plain mouse and key events are not raised
};
using TControlStyle = TSet<TControlStyleFlag>;

// Library-internal state bits.
enum TControlStateFlag { csLButtonDown, csClicked, csFocusing, csCreating, csPainting };
using TControlState = TSet<TControlStateFlag>;

using TMouseEvent = std::function<void(TObject* sender, TMouseButton button, TShiftState shift, int x, int y)>;
using TMouseMoveEvent = std::function<void(TObject* sender, TShiftState shift, int x, int y)>;
using TKeyEvent = std::function<void(TObject* sender, WORD& key, TShiftState shift)>;
using TKeyPressEvent = std::function<void(TObject* sender, char& key)>;

// Shift, Ctrl and Alt as they are now (Alt from the key data's context bit 29).
TShiftState KeyDataToShiftState(LPARAM keyData);
TShiftState KeyboardStateToShiftState();
// True when `key` is the accelerator of `caption`: the character after a single '&'
// (compared without regard to letter case; "&&" is a plain ampersand).
bool IsAccel(WORD key, const std::string& caption);
// The caption without its accelerator marks ("&OK" -> "OK", "A&&B" -> "A&B").
std::string StripHotkey(const std::string& caption);

// ---------------------------------------------------------------------------------------
// TControlCanvas: a canvas that draws on its control, on the DC the control is painted on
// (or on a window DC of the control's window when it is drawn outside a paint).

class TControlCanvas : public TCanvas {
  LB_CLASS(TControlCanvas)
 public:
  TControlCanvas() = default;
  ~TControlCanvas() override;
  TControl* Control() const { return control_; }
  void SetControl(TControl* control);
  // Gives back a window DC taken by CreateHandle (paint DCs belong to the painter).
  void FreeHandle();
  // Points the canvas at a DC for one paint; the painter resets it afterwards.
  void SetPaintDC(HDC dc);

 protected:
  void CreateHandle() override;

 private:
  TControl* control_ = nullptr;
  HDC windowDc_ = nullptr;  // taken with GetDC, released by FreeHandle
  HWND windowDcOwner_ = nullptr;
};

// ---------------------------------------------------------------------------------------
// TControl: anything that sits on a form.

// A component that is not a control but has pixel distances or a font of the form's
// layout (menus, picture lists): the form scales it with its controls.
class IDensityScaled {
 public:
  virtual ~IDensityScaled() = default;
  virtual void ChangeScale(int m, int d) = 0;
};

class TControl : public TComponent {
  LB_CLASS(TControl)
 public:
  explicit TControl(TComponent* owner);
  ~TControl() override;

  // Messages. Perform sends one to WndProc directly and returns its Result.
  LRESULT Perform(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
  // Gives back a DC the control's canvas took outside a paint; called before the window
  // that DC belongs to goes away, so no DC outlives its window.
  virtual void ReleaseCanvasDC() {}
  virtual void WndProc(TMessage& message);
  // What happens to a message nobody handled (TWinControl: DefWindowProcA).
  virtual void DefaultHandler(TMessage& message);

  // Parent: the control it sits in; setting it moves the control (and its window).
  TWinControl* Parent() const { return parent_; }
  virtual void SetParent(TWinControl* parent);
  TComponent* GetParentComponent() const override;
  bool HasParent() const override { return true; }

  // Bounds in the parent's client coordinates (forms: screen coordinates of the frame).
  int Left() const { return left_; }
  int Top() const { return top_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  void SetLeft(int value) { SetBounds(value, top_, width_, height_); }
  void SetTop(int value) { SetBounds(left_, value, width_, height_); }
  void SetWidth(int value) { SetBounds(left_, top_, value, height_); }
  void SetHeight(int value) { SetBounds(left_, top_, width_, value); }
  virtual void SetBounds(int left, int top, int width, int height);
  RECT BoundsRect() const { return RECT{left_, top_, left_ + width_, top_ + height_}; }
  // The client area; controls without a frame: (0, 0, Width, Height).
  virtual RECT ClientRect() const;
  int ClientWidth() const;
  int ClientHeight() const;
  virtual void SetClientWidth(int value);
  virtual void SetClientHeight(int value);
  POINT ClientOrigin() const;  // screen position of the client area's top-left corner
  POINT ClientToScreen(POINT p) const;
  POINT ScreenToClient(POINT p) const;

  TAnchors Anchors() const { return anchors_; }
  void SetAnchors(TAnchors value);
  TAlign Align() const { return align_; }
  void SetAlign(TAlign value);

  bool Visible() const { return visible_; }
  void SetVisible(bool value);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  // Visible and every parent visible (for a form: its window is shown).
  virtual bool Showing() const;
  bool Enabled() const { return enabled_; }
  virtual void SetEnabled(bool value);

  const std::string& Caption() const { return text_; }
  void SetCaption(const std::string& value) { SetText(value); }
  const std::string& Text() const { return text_; }
  virtual void SetText(const std::string& value);

  TFont* Font() { return font_.get(); }
  void SetFont(TFont* value);
  bool ParentFont() const { return parentFont_; }
  void SetParentFont(bool value);
  TColor Color() const { return color_; }
  void SetColor(TColor value);
  bool ParentColor() const { return parentColor_; }
  void SetParentColor(bool value);
  TCursor Cursor() const { return cursor_; }
  void SetCursor(TCursor value);
  const std::string& Hint() const { return hint_; }
  void SetHint(const std::string& value) { hint_ = value; }
  bool ShowHint() const { return showHint_; }
  void SetShowHint(bool value) { showHint_ = value; }
  bool ParentShowHint() const { return parentShowHint_; }
  void SetParentShowHint(bool value) { parentShowHint_ = value; }
  TBiDiMode BiDiMode() const { return bidiMode_; }
  void SetBiDiMode(TBiDiMode value) { bidiMode_ = value; }
  bool UseRightToLeftAlignment() const { return bidiMode_ == bdRightToLeft; }

  TControlStyle ControlStyle() const { return controlStyle_; }

  // Painting. Invalidate asks for a repaint later, Update paints what is pending now,
  // Repaint does both.
  virtual void Invalidate();
  void InvalidateRect(const RECT& r, bool erase);  // client coordinates
  virtual void Update();
  virtual void Repaint();
  void Refresh() { Repaint(); }
  // Brings the control to the front (top of its siblings) or sends it to the back.
  void BringToFront();

  // Raises OnClick. Buttons override it (and call the inherited one).
  virtual void Click();
  virtual void DblClick();

  // The form the control sits on (walking up the parents), or null.
  TCustomForm* ParentForm() const;

  // Multiplies position, size and (unless it follows its parent's) font height by m / d
  // with MulDiv's rounding, as when a control laid out at d pixels per inch is shown at m.
  // Edges are scaled, not widths, so neighbours that touch keep touching. Containers scale
  // their children too; classes scale their own pixel distances on top (MulDivRound).
  virtual void ChangeScale(int m, int d);

  // Events.
  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;
  TMouseMoveEvent OnMouseMove;
  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;

  void Loaded() override;
  void SetName(const std::string& name) override;

 protected:
  friend class TWinControl;
  friend class TCustomForm;
  friend class TApplication;

  // Mouse handling of the library; the base raises the events.
  virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
  virtual void MouseMove(TShiftState shift, int x, int y);
  virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
  // The parent font or colour changed: copy it when ParentFont / ParentColor.
  virtual void ParentFontChanged();
  virtual void ParentColorChanged();
  // Called when the font object changes (a property of Font was set).
  virtual void FontChanged();
  // Tells the control's window (or its parent's) about a new size or place.
  virtual void BoundsChanged();
  virtual void VisibleChanging() {}
  // Painting of a windowless control inside its parent's paint (TGraphicControl).
  virtual void PaintOnParent(HDC dc) { (void)dc; }
  // Adjusts anchored children after the parent was resized.
  void AnchorsToParent(int dWidth, int dHeight);
  // ChangeScale's share of the bounds: the edges by m / d. Forms scale their client area,
  // controls placed by their parent leave them to it.
  virtual void ScaleBounds(int m, int d);

  TWinControl* parent_ = nullptr;
  int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  std::string text_;
  std::unique_ptr<TFont> font_;
  TColor color_ = clWindow;
  bool parentFont_ = true;
  bool parentColor_ = false;
  bool visible_ = true;
  bool enabled_ = true;
  bool showHint_ = false;
  bool parentShowHint_ = true;
  TCursor cursor_ = crDefault;
  std::string hint_;
  TAnchors anchors_{akLeft, akTop};
  TAlign align_ = alNone;
  TBiDiMode bidiMode_ = bdLeftToRight;
  TControlStyle controlStyle_{csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
  TControlState controlState_;

 private:
  void HandleMouseMessage(TMessage& message);
  void FontObjectChanged();
  bool inFontUpdate_ = false;
};

// ---------------------------------------------------------------------------------------
// TWinControl: a control with a window of its own (created on demand); it can hold
// other controls, take the keyboard focus and has a place in its parent's tab order.

class TWinControl : public TControl {
  LB_CLASS(TWinControl)
 public:
  explicit TWinControl(TComponent* owner);
  ~TWinControl() override;

  // The window; HandleNeeded / Handle() create it (and its parents') when missing.
  HWND Handle();
  bool HandleAllocated() const { return handle_ != nullptr; }
  void HandleNeeded();
  // Destroys the window (and the windows of the children); the control stays.
  void DestroyHandle();
  // The control of a window made by this library, or null.
  static TWinControl* FindControl(HWND hwnd);

  // Children in z-order (bottom first); windowless and windowed together.
  int ControlCount() const { return int(controls_.size()); }
  TControl* Controls(int index) const { return controls_.at(std::size_t(index)); }
  // The topmost enabled (or any, when allowDisabled) visible child at a client point.
  TControl* ControlAtPos(POINT p, bool allowDisabled, bool allowWinControls = false) const;
  bool ContainsControl(const TControl* control) const;
  // Sends the message to every child control in turn, stopping at the first that sets a
  // non-zero Result.
  void Broadcast(TMessage& message);

  // Focus and tab order.
  bool TabStop() const { return tabStop_; }
  void SetTabStop(bool value);
  // The position in the parent's tab order (-1 without a parent).
  int TabOrder() const;
  void SetTabOrder(int value);
  // The parent's focusable children in tab order, nested containers included.
  void GetTabOrderList(std::vector<TWinControl*>& list);
  // Visible (with all parents), enabled (with all parents) and on a form.
  virtual bool CanFocus() const;
  bool Focused() const;
  virtual void SetFocus();
  // Moves the focus to the next (or previous) control after `current` in the tab order,
  // wrapping round; checkTabStop skips controls whose TabStop is off. Returns the control
  // that was focused, or null when none could take it.
  TWinControl* FindNextControl(TWinControl* current, bool goForward, bool checkTabStop, bool checkParent);
  void SelectNext(TWinControl* current, bool goForward, bool checkTabStop);
  // Which keys the control handles itself when it is focused (dc* flags); 0 by default.
  virtual unsigned GetDialogCode() { return 0; }

  // Double buffering: each paint is composed in an off-screen bitmap and copied to the
  // window in one BitBlt.
  bool DoubleBuffered() const { return doubleBuffered_; }
  void SetDoubleBuffered(bool value) { doubleBuffered_ = value; }

  void Invalidate() override;
  void Update() override;
  void Repaint() override;
  void SetBounds(int left, int top, int width, int height) override;
  void ChangeScale(int m, int d) override;
  void SetParent(TWinControl* parent) override;
  void SetText(const std::string& value) override;
  void SetEnabled(bool value) override;
  bool Showing() const override;
  void DefaultHandler(TMessage& message) override;
  void WndProc(TMessage& message) override;

  TNotifyEvent OnEnter;
  TNotifyEvent OnExit;
  TKeyEvent OnKeyDown;
  TKeyEvent OnKeyUp;
  TKeyPressEvent OnKeyPress;

  void Loaded() override;

  // How many paints went through the off-screen bitmap (a window paint counts once).
  int BufferedPaintCount() const { return bufferedPaints_; }

 protected:
  friend class TControl;
  friend class TCustomForm;
  friend class TApplication;

  // Window creation: class name, styles and parent of the window the control gets.
  struct TCreateParams {
    std::string caption;
    DWORD style = 0;
    DWORD exStyle = 0;
    int x = 0, y = 0, width = 0, height = 0;
    HWND parentWindow = nullptr;
    UINT classStyle = CS_DBLCLKS;
  };
  virtual void CreateParams(TCreateParams& params);
  virtual void CreateWnd();
  virtual void DestroyWnd();
  // Called once the window exists (children's windows are created after it).
  virtual void CreateWindowHandle(const TCreateParams& params);
  // The window's parent for a parentless control (forms: the application window).
  virtual HWND ParentWindowFor() { return nullptr; }

  // Keys of the library; the base raises the events.
  virtual void KeyDown(WORD& key, TShiftState shift);
  virtual void KeyUp(WORD& key, TShiftState shift);
  virtual void KeyPress(char& key);
  // Offers a key the focused control does not want to the form (Tab, Enter, Esc, ...).
  // True when someone handled it.
  bool DialogKey(WORD key, LPARAM keyData);

  // Painting: PaintWindow draws the control itself (TCustomControl: Paint() through its
  // canvas), PaintControls the windowless children on top, in z-order.
  virtual void PaintWindow(HDC dc);
  void PaintControls(HDC dc, TControl* first);
  void PaintHandler(TMessage& message);
  // Fills the background with Color (WM_ERASEBKGND).
  virtual void EraseBackground(HDC dc);

  void Insert(TControl* control);
  void Remove(TControl* control);
  void UpdateTabOrder(int value);

  HWND handle_ = nullptr;
  std::vector<TControl*> controls_;  // z-order, bottom first
  std::vector<TWinControl*> tabList_;
  bool tabStop_ = false;
  int pendingTabOrder_ = -1;  // read from a window definition, applied in Loaded
  bool scaling_ = false;      // ChangeScale: children are scaled, not anchored
  bool doubleBuffered_ = false;
  int bufferedPaints_ = 0;

 private:
  friend LRESULT ControlWindowProc(HWND, UINT, WPARAM, LPARAM);
  void DoKeyMessage(TMessage& message);
  void DoCharMessage(TMessage& message);
  void DoMouseForChildren(TMessage& message, bool& handled);
  void FocusChanged(bool gained, HWND other);
};

// ---------------------------------------------------------------------------------------
// TCustomControl: a windowed control that paints itself through its canvas.

class TCustomControl : public TWinControl {
  LB_CLASS(TCustomControl)
 public:
  explicit TCustomControl(TComponent* owner);
  ~TCustomControl() override;
  TCanvas* Canvas() { return canvas_.get(); }

 protected:
  // Draws the control on Canvas(); the canvas is set up on the paint DC (or the
  // off-screen bitmap when double buffered) with the control's Font and Color.
  virtual void Paint() {}
  void PaintWindow(HDC dc) override;
  std::unique_ptr<TControlCanvas> canvas_;

 public:
  void ReleaseCanvasDC() override;
};

// ---------------------------------------------------------------------------------------
// TGraphicControl: a control without a window, painted by its parent after the parent
// painted itself; its mouse input comes from the parent.

class TGraphicControl : public TControl {
  LB_CLASS(TGraphicControl)
 public:
  explicit TGraphicControl(TComponent* owner);
  ~TGraphicControl() override;
  TCanvas* Canvas() { return canvas_.get(); }

 protected:
  virtual void Paint() {}
  void PaintOnParent(HDC dc) override;
  std::unique_ptr<TControlCanvas> canvas_;

 public:
  void ReleaseCanvasDC() override;
};

// ---------------------------------------------------------------------------------------
// Registration of the control classes with the window-definition reader ("TControl",
// "TWinControl", "TCustomControl", "TGraphicControl", "TForm" and their properties and
// events). Safe to call more than once; forms call it before they read a definition.
void RegisterControlClasses();
