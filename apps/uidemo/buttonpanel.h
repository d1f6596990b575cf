// The panel of painted and image buttons: one row per look (visual styles, hot-tracking,
// classic) in every state a button can be in, and a row of image buttons showing the glyph
// layouts, margin -1 and a stock kind. The hover and pressed buttons start in that state
// and behave normally once the pointer has been over them, so a person can see and try
// each look.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "buttons/imagebutton.h"
#include "ui/controls/forms.h"

class TButtonPanel : public TForm {
  LB_CLASS(TButtonPanel)
 public:
  explicit TButtonPanel(TComponent* owner);

  // The columns of the look rows, left to right.
  static const std::vector<std::string>& StateNames();
  static constexpr int kCellW = 88, kCellH = 50, kLeft = 96, kTop = 28, kButtonW = 81, kButtonH = 42;

  // Receives one line per click ("click <look> <state>").
  std::function<void(const std::string&)> Log;
  // The button of look row `row` (0 themed, 1 hot-tracking, 2 classic) and state column.
  TImageButton* Cell(int row, int column) const { return cells_[std::size_t(row * 7 + column)]; }
  TImageButton* FocusedCell() const { return Cell(0, 3); }

 private:
  void AddLabel(int x, int y, const std::string& text);
  std::vector<TImageButton*> cells_;
};
