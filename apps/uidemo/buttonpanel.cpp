#include "buttonpanel.h"

#include "ui/stdctrls/stdctrls.h"

namespace {

// A button whose hover or press can be put on before any pointer has come near it, and
// that can wear the focus or the default role while another button has the real focus
// (which takes the default role from every other button). Both are worn until the focus
// first moves to another control.
class TShowcaseButton : public TImageButton {
 public:
  using TImageButton::TImageButton;
  void ShowHot() { tracker_.SetPointerInside(true); }
  void ShowPressed() {
    tracker_.SetPointerInside(true);
    tracker_.Press(true);
  }
  void ShowFocused(TWinControl* realFocus) { Wear(realFocus, true, false); }
  void ShowDefault(TWinControl* realFocus) { Wear(realFocus, false, true); }

 protected:
  TButtonLook Look() const override {
    TButtonLook look = TImageButton::Look();
    look.focused = look.focused || wearFocus_;
    look.actsAsDefault = look.actsAsDefault || wearDefault_;
    return look;
  }
  void WndProc(TMessage& message) override {
    if (message.Msg == CM_FOCUSCHANGED && reinterpret_cast<TWinControl*>(message.LParam) != realFocus_ &&
        (wearFocus_ || wearDefault_)) {
      wearFocus_ = wearDefault_ = false;
      Invalidate();
    }
    TImageButton::WndProc(message);
  }

 private:
  void Wear(TWinControl* realFocus, bool focused, bool isDefault) {
    realFocus_ = realFocus;
    wearFocus_ = focused;
    wearDefault_ = isDefault;
  }
  TWinControl* realFocus_ = nullptr;
  bool wearFocus_ = false, wearDefault_ = false;
};

const char* const kLooks[] = {"Visual styles", "Hot-tracking", "Classic"};

}  // namespace

const std::vector<std::string>& TButtonPanel::StateNames() {
  static const std::vector<std::string> names = {"Normal", "Hot", "Pressed", "Focused", "Default", "Disabled", "Down"};
  return names;
}

void TButtonPanel::AddLabel(int x, int y, const std::string& text) {
  auto* label = new TLabel(this);
  label->SetParent(this);
  label->SetBounds(x, y, 0, 0);
  label->SetCaption(text);
}

TButtonPanel::TButtonPanel(TComponent* owner) : TForm(owner) {
  SetCaption("Button Looks");
  SetBorderStyle(bsSingle);
  SetPosition(poScreenCenter);
  SetColor(clBtnFace);
  SetClientWidth(kLeft + 7 * kCellW + 8);
  SetClientHeight(kTop + 3 * kCellH + 24 + 62 + 8);
  const std::vector<std::string>& states = StateNames();
  for (int c = 0; c < 7; ++c) AddLabel(kLeft + c * kCellW + 2, 8, states[std::size_t(c)]);

  TShowcaseButton* hot[3] = {};
  TShowcaseButton* pressed[3] = {};
  TShowcaseButton* focused[3] = {};
  TShowcaseButton* defaults[3] = {};
  for (int row = 0; row < 3; ++row) {
    const int y = kTop + row * kCellH;
    AddLabel(8, y + 14, kLooks[row]);
    for (int c = 0; c < 7; ++c) {
      auto* b = new TShowcaseButton(this);
      b->SetParent(this);
      b->SetBounds(kLeft + c * kCellW, y, kButtonW, kButtonH);
      b->SetCaption(c == 6 ? "&Down" : states[std::size_t(c)]);
      b->SetThemeAware(row == 0);
      b->SetHotTrack(row == 1);
      const std::string name = std::string(kLooks[row]) + " " + states[std::size_t(c)];
      b->OnClick = [this, name](TObject*) {
        if (Log) Log("click " + name);
      };
      if (c == 1) hot[row] = b;
      if (c == 2) pressed[row] = b;
      if (c == 3) focused[row] = b;
      if (c == 4) {
        b->SetDefault(true);
        defaults[row] = b;
      }
      if (c == 5) b->SetEnabled(false);
      if (c == 6) {
        b->SetGroupIndex(row + 1);
        b->SetAllowAllUp(true);
        b->SetDown(true);
      }
      cells_.push_back(b);
    }
  }

  // Image buttons in the process's look: four glyph sides, margin -1, a stock kind.
  const int y = kTop + 3 * kCellH + 24;
  AddLabel(8, y - 18, "Image buttons: glyph left, right, top, bottom; margin -1; stock kind");
  struct Image {
    TBitBtnKind kind;
    TButtonLayout layout;
    int margin;
  };
  const Image images[] = {{bkOK, blGlyphLeft, 2},     {bkCancel, blGlyphRight, 2}, {bkHelp, blGlyphTop, 2},
                          {bkYes, blGlyphBottom, 2},  {bkRetry, blGlyphLeft, -1},  {bkClose, blGlyphLeft, 2}};
  int x = kLeft;
  for (const Image& im : images) {
    auto* b = new TImageButton(this);
    b->SetParent(this);
    b->SetBounds(x, y, kButtonW + 6, 62);
    b->SetKind(im.kind);
    b->SetLayout(im.layout);
    b->SetMargin(im.margin);
    // The stock roles would make several default and cancel buttons on one window.
    b->SetDefault(false);
    b->SetCancel(false);
    b->SetModalResult(mrNone);
    const std::string name = "image " + b->Caption();
    b->OnClick = [this, name](TObject*) {
      if (Log) Log("click " + name);
    };
    x += kCellW + 6;
  }
  for (int row = 0; row < 3; ++row) {
    hot[row]->ShowHot();
    pressed[row]->ShowPressed();
    if (row != 0) focused[row]->ShowFocused(FocusedCell());
    defaults[row]->ShowDefault(FocusedCell());
  }
  SetActiveControl(FocusedCell());
}
