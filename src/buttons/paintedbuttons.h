// Push buttons that paint themselves: TCustomPaintedButton tracks presses, hover and
// focus and draws its caption with raised, recessed or shadowed text; TPaintedButton adds
// the face in one of three looks, default and cancel roles, the modal result handed to the
// form, and toggle groups. Input rules: ui/controls/presstracker.h; each look in its file.
#pragma once

#include <memory>
#include <string>

#include "buttons/buttonlook.h"
#include "ui/controls/controls.h"
#include "ui/controls/forms.h"
#include "ui/controls/presstracker.h"
#include "ui/stdctrls/classiclook.h"

enum TAlignmentVertical { avTop, avCenter, avBottom };
enum TTextStyle { tsNormal, tsRaised, tsRecessed, tsShadow };

// Sent to each control of a button's parent when a group button goes down or its group's
// rules change: WParam the group number, LParam the sending TPaintedButton.
constexpr UINT CM_BUTTONGROUP = 0x2421;

class TCustomPaintedButton : public TCustomControl {
  LB_CLASS(TCustomPaintedButton)
 public:
  explicit TCustomPaintedButton(TComponent* owner);
  ~TCustomPaintedButton() override;

  TAlignmentVertical AlignmentVertical() const { return alignmentVertical_; }
  virtual void SetAlignmentVertical(TAlignmentVertical value);
  bool HotTrack() const { return hotTrack_; }
  virtual void SetHotTrack(bool value);
  TColor HotTrackColor() const { return hotTrackColor_; }
  void SetHotTrackColor(TColor value) { hotTrackColor_ = value; }
  THotTrackColorType HotTrackColorType() const { return hotTrackColorType_; }
  void SetHotTrackColorType(THotTrackColorType value) { hotTrackColorType_ = value; }
  TColor HighlightColor() const { return highlightColor_; }
  virtual void SetHighlightColor(TColor value);
  bool LightTextStyle() const { return lightTextStyle_; }
  virtual void SetLightTextStyle(bool value);
  TTextStyle TextStyle() const { return textStyle_; }
  virtual void SetTextStyle(TTextStyle value);
  TColor TextHighlightColor() const { return textHighlightColor_; }
  virtual void SetTextHighlightColor(TColor value);
  TColor TextShadowColor() const { return textShadowColor_; }
  virtual void SetTextShadowColor(TColor value);
  int TextShadowDepth() const { return textShadowDepth_; }
  virtual void SetTextShadowDepth(int value);
  bool ThemeAware() const { return themeAware_; }
  virtual void SetThemeAware(bool value);
  bool TransparentEdges() const { return transparentEdges_; }
  virtual void SetTransparentEdges(bool value);

  // The press in progress, as the looks see it.
  bool PressedLook() const { return tracker_.State().pressedLook; }
  bool PointerInside() const { return tracker_.State().pointerInside; }
  // ThemeAware, and the visual-style service says styles are on.
  virtual bool UsesVisualStyles() const;

  // The form's pixels-per-inch scaling: bounds and font as every control's; the face's
  // own distances follow in the classes that have them.
  void ChangeScale(int m, int d) override;

 protected:
  // Lets the parent show through the corners (run from the erase when TransparentEdges).
  virtual void PaintTransparentBackground(HDC dc) { (void)dc; }
  // After a press-state change / a focus change.
  virtual void RefreshFace() {}
  virtual void RefreshFocus() { Repaint(); }
  // The part that changes with hovering.
  virtual RECT GetHotTrackRect() const { return ClientRect(); }
  // Places and draws the caption in rect with the look's text effects.
  virtual void DrawCaptionText(TCanvas& canvas, const RECT& rect, UINT flags);
  // What a completed click does (toggle, refresh, Click).
  virtual void PerformClick() = 0;

  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void WndProc(TMessage& message) override;
  // Does what the state machine asked for.
  void Apply(TPressEffect effect);

  TPressTracker tracker_;

 private:
  TAlignmentVertical alignmentVertical_ = avCenter;
  bool hotTrack_ = false;
  TColor hotTrackColor_ = 0x149BF0;
  THotTrackColorType hotTrackColorType_ = htctActual;
  TColor highlightColor_ = clHighlight;
  bool lightTextStyle_ = false;
  TTextStyle textStyle_ = tsNormal;
  TColor textHighlightColor_ = clBtnHighlight;
  TColor textShadowColor_ = clBtnShadow;
  int textShadowDepth_ = 2;
  bool themeAware_ = true;
  bool transparentEdges_ = false;
};

class TPaintedButton : public TCustomPaintedButton {
  LB_CLASS(TPaintedButton)
 public:
  explicit TPaintedButton(TComponent* owner);
  ~TPaintedButton() override;

  TAlignment Alignment() const { return alignment_; }
  virtual void SetAlignment(TAlignment value);
  bool Default() const { return default_; }
  virtual void SetDefault(bool value);
  bool AllowAllUp() const { return allowAllUp_; }
  virtual void SetAllowAllUp(bool value);
  // Only a button in a group can be down; a down button of a group without AllowAllUp
  // cannot be released by itself (another one of its group has to go down).
  bool Down() const { return down_; }
  virtual void SetDown(bool value);
  TColor FrameColor() const { return frameColor_; }
  virtual void SetFrameColor(TColor value);
  int GroupIndex() const { return groupIndex_; }
  virtual void SetGroupIndex(int value);
  bool ShowDownPattern() const { return showDownPattern_; }
  virtual void SetShowDownPattern(bool value);
  bool ShowFocusRect() const { return showFocusRect_; }
  virtual void SetShowFocusRect(bool value);
  bool Cancel() const { return cancel_; }
  void SetCancel(bool value) { cancel_ = value; }
  TModalResult ModalResult() const { return modalResult_; }
  void SetModalResult(TModalResult value) { modalResult_ = value; }
  bool DropDownOnEnter() const { return dropDownOnEnter_; }
  void SetDropDownOnEnter(bool value) { dropDownOnEnter_ = value; }

  // Enter goes to this button now (it is the default one and no other button has the
  // focus, or it has the focus itself).
  bool ActsAsDefault() const { return actsAsDefault_; }
  bool InClick() const { return inClick_; }
  // Drawn pressed: held now, or down in its group.
  bool DrawnPressed() const { return PressedLook() || down_; }

  // Hands ModalResult to the parent form (also 0), then OnClick.
  void Click() override;
  void SetHotTrack(bool value) override;
  unsigned GetDialogCode() override { return 0; }

  // The rectangle the caption is laid out in.
  virtual RECT GetCaptionRect() const;

 protected:
  void Paint() override;
  void PaintTransparentBackground(HDC dc) override;
  void RefreshFace() override { Invalidate(); }
  void PerformClick() override;
  virtual void DrawCaption();
  // An 8 x 8 checkered pattern for the face of a down group button.
  virtual void MakeDownPattern(TBitmap& bitmap);
  // The snapshot the looks paint from.
  virtual TButtonLook Look() const;

  void CreateWnd() override;
  void KeyDown(WORD& key, TShiftState shift) override;
  void KeyUp(WORD& key, TShiftState shift) override;
  void WndProc(TMessage& message) override;

 private:
  void NotifyGroup();
  void SetActsAsDefault(bool value);

  TAlignment alignment_ = taCenter;
  bool allowAllUp_ = false;
  bool cancel_ = false;
  bool default_ = false;
  bool dropDownOnEnter_ = true;
  int groupIndex_ = 0;
  bool down_ = false;
  TColor frameColor_ = cl3DDkShadow;
  TModalResult modalResult_ = mrNone;
  bool showDownPattern_ = true;
  bool showFocusRect_ = true;
  bool actsAsDefault_ = false;
  bool inClick_ = false;
};

// Registers TCustomPaintedButton, TPaintedButton and TImageButton with the window-definition
// reader, after the standard controls, and their kind with the accessibility model. Safe
// to call more than once.
void RegisterButtonClasses();
// The painted buttons' nodes of the accessibility model (buttonaccess.cpp).
void RegisterButtonAccessibles();
