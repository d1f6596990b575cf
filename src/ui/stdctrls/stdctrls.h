// The standard controls of the class library: the owner-drawable list box, the push
// button, the label and the group box, each drawn in the classic look of classiclook.h.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "ui/controls/controls.h"
#include "ui/controls/forms.h"
#include "ui/controls/presstracker.h"
#include "ui/stdctrls/classiclook.h"

class TPopupMenu;

// ---------------------------------------------------------------------------------------
// TListBox

enum TListBoxStyle { lbStandard, lbOwnerDrawFixed, lbOwnerDrawVariable };
enum TOwnerDrawStateFlag { odSelected, odGrayed, odDisabled, odChecked, odFocused, odDefault };
using TOwnerDrawState = TSet<TOwnerDrawStateFlag>;
// The owner draws item `index` into `rect` (the list's client coordinates) on the list's
// Canvas, focus rectangle included when the state holds odFocused.
using TDrawItemEvent = std::function<void(TWinControl* control, int index, const RECT& rect, TOwnerDrawState state)>;

// A list of texts shown one per fixed-height row inside a sunken two-pixel border. The
// client area (mouse positions, item rectangles) starts inside the border.
class TListBox : public TCustomControl {
  LB_CLASS(TListBox)
 public:
  explicit TListBox(TComponent* owner);
  ~TListBox() override;

  // Changing the items repaints the list and keeps ItemIndex and TopIndex in range.
  TStrings* Items() { return items_.get(); }
  void SetItems(TStrings* value);
  TListBoxStyle Style() const { return style_; }
  void SetStyle(TListBoxStyle value);
  int ItemHeight() const { return itemHeight_; }
  void SetItemHeight(int value);
  // -1: nothing selected. Setting it from code repaints but never raises OnClick.
  int ItemIndex() const { return itemIndex_; }
  void SetItemIndex(int value);
  // The first visible item.
  int TopIndex() const { return topIndex_; }
  void SetTopIndex(int value);
  // The existing item under a client point, searched from TopIndex; with existing false
  // the index the point would have (it may be Count), -1 outside the client area.
  int ItemAtPos(POINT p, bool existing) const;
  RECT ItemRect(int index) const;
  // Items that fit the client height completely (at least 1).
  int VisibleItemCount() const;
  int Count() const { return items_->Count(); }
  void Clear();

  // The area inside the border in the list's own client coordinates, (0, 0) at the
  // border's inner corner: (0, 0, Width - 4, Height - 4). The window itself (and so the
  // control's ClientRect) still covers the border, which the list paints.
  RECT ItemArea() const;
  // A list keeps its character keys (a letter selects by initial, KeyPress); Alt+letter,
  // Enter and Esc still go to the form.
  unsigned GetDialogCode() override { return dcWantArrows | dcWantChars; }
  // Enter that no button of the form took clicks the selected item, so whatever a click
  // on an item does can be done from the keyboard too.
  void DefaultHandler(TMessage& message) override;

  TDrawItemEvent OnDrawItem;

  // Item height scales with the rest of the layout.
  void ChangeScale(int m, int d) override;

 protected:
  void Paint() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void KeyDown(WORD& key, TShiftState shift) override;
  // A printable character selects the next item whose text starts with it (ignoring case,
  // from the item after the current one, wrapping around), as an arrow key landing there.
  void KeyPress(char& key) override;
  void WndProc(TMessage& message) override;
  // Draws one item (OnDrawItem or the classic text) at its rectangle.
  virtual void DrawItem(int index, const RECT& rect, TOwnerDrawState state);

 private:
  void ItemsChanged();
  void MakeVisible(int index);
  void InvalidateItem(int index);
  // Moves the selection as the user does it: repaints and raises OnClick.
  void SelectByUser(int index);

  std::unique_ptr<TStrings> items_;
  TListBoxStyle style_ = lbStandard;
  int itemHeight_ = 13;
  int itemIndex_ = -1;
  int topIndex_ = 0;
  bool tracking_ = false;  // left button held after a press on the list
};

// ---------------------------------------------------------------------------------------
// TButton

// A push button. Clicks: a press and a release both inside (dragging off and back in
// counts, releasing outside does not), Space (press and release) and Enter while focused,
// Enter anywhere on the form when it is the active default button, Esc when Cancel, and
// its "&" access key. A click sets the form's ModalResult to ModalResult (when not mrNone)
// and raises OnClick.
class TButton : public TCustomControl {
  LB_CLASS(TButton)
 public:
  explicit TButton(TComponent* owner);
  ~TButton() override;

  bool Default() const { return default_; }
  void SetDefault(bool value);
  bool Cancel() const { return cancel_; }
  void SetCancel(bool value) { cancel_ = value; }
  TModalResult ModalResult() const { return modalResult_; }
  void SetModalResult(TModalResult value) { modalResult_ = value; }
  // Drawn pressed: the mouse holds it with the pointer inside, or Space is down.
  bool Down() const { return tracker_.State().pressedLook; }
  // The button the form's Enter key goes to: the focused button, else the default one
  // while no other button has the focus.
  bool IsActive() const { return active_; }

  void Click() override;
  unsigned GetDialogCode() override { return 0; }

 protected:
  void Paint() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void KeyDown(WORD& key, TShiftState shift) override;
  void KeyUp(WORD& key, TShiftState shift) override;
  void WndProc(TMessage& message) override;

 private:
  void SetActive(bool value);
  // Does what the press tracker asked for: repaint, then click.
  void Apply(TPressEffect effect);
  bool default_ = false;
  bool cancel_ = false;
  bool active_ = false;
  TModalResult modalResult_ = mrNone;
  TPressTracker tracker_{kPushButtonRules};
};

// ---------------------------------------------------------------------------------------
// TLabel

// Text on its parent's background. AutoSize makes the label as large as its text (with
// WordWrap: as high as the wrapped text at its width); ShowAccelChar false shows "&" as
// itself; a label with a FocusControl focuses it on its access key.
class TLabel : public TGraphicControl {
  LB_CLASS(TLabel)
 public:
  explicit TLabel(TComponent* owner);
  ~TLabel() override;

  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool value);
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool value);
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool value);
  bool ShowAccelChar() const { return showAccelChar_; }
  void SetShowAccelChar(bool value);
  TTextLayout Layout() const { return layout_; }
  void SetLayout(TTextLayout value);
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment value);
  TWinControl* FocusControl() const { return focusControl_; }
  void SetFocusControl(TWinControl* value);

  void SetText(const std::string& value) override;
  void Loaded() override;
  void Notification(TComponent* component, TOperation operation) override;
  // Recomputes the size from the text when AutoSize is on.
  void AdjustBounds();
  // The DrawTextA format the label draws with.
  UINT TextFormat() const;

 protected:
  void Paint() override;
  void FontChanged() override;
  void WndProc(TMessage& message) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;

 private:
  bool autoSize_ = true;
  bool wordWrap_ = false;
  bool transparent_ = false;
  bool showAccelChar_ = true;
  TTextLayout layout_ = tlTop;
  TAlignment alignment_ = taLeftJustify;
  TWinControl* focusControl_ = nullptr;
};

// ---------------------------------------------------------------------------------------
// TGroupBox

// A container with an etched frame and an optional caption in its top edge.
class TGroupBox : public TCustomControl {
  LB_CLASS(TGroupBox)
 public:
  explicit TGroupBox(TComponent* owner);
  ~TGroupBox() override;

 protected:
  void Paint() override;
  void WndProc(TMessage& message) override;
};

// ---------------------------------------------------------------------------------------
// Pop-up menus of controls: a control's right-button release pops up its PopupMenu (read
// as the "PopupMenu" property of any control).

TPopupMenu* ControlPopupMenu(const TControl* control);
void SetControlPopupMenu(TControl* control, TPopupMenu* menu);
// Shows the control's pop-up menu at a client point; true when it had one.
bool PopupControlMenu(TControl* control, int x, int y);

// Registers every standard control class (TListBox, TButton, TLabel, TGroupBox, TPanel,
// TBevel, TImage, TPageControl, TTabSheet, TPopupMenu, TMenuItem) and their properties
// and events with the window-definition reader, after the control core's classes. Safe to
// call more than once.
void RegisterStdControlClasses();
// The identifiers of the modal results (mrNone .. mrYesToAll), as a ModalResult property
// may be read.
class TEnumNames;
const TEnumNames& ModalResultNames();
