// The painted buttons in the accessibility model: push buttons named by their captions
// without the access-key mark, pressed while drawn pressed, default when they are the
// form's default button; their action is a click.
#include "buttons/paintedbuttons.h"
#include "ui/access/access.h"

namespace {

class TPaintedButtonAccessible : public TControlAccessible {
 public:
  explicit TPaintedButtonAccessible(TPaintedButton* button) : TControlAccessible(button), button_(button) {}
  TAccRole Role() const override { return TAccRole::PushButton; }
  TAccStates States() const override {
    TAccStates s = TControlAccessible::States();
    if (button_->DrawnPressed()) s.Include(asPressed);
    if (button_->Default()) s.Include(asDefault);
    return s;
  }
  std::vector<std::string> Actions() const override { return {"click"}; }

 private:
  TPaintedButton* button_;
};

std::unique_ptr<TControlAccessible> MakePaintedButtonNode(TControl* control) {
  auto* button = dynamic_cast<TPaintedButton*>(control);
  return button ? std::make_unique<TPaintedButtonAccessible>(button) : nullptr;
}

}  // namespace

void RegisterButtonAccessibles() { RegisterAccessibleFactory(MakePaintedButtonNode); }
