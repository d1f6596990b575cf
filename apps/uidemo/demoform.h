// The demo window of the standard controls, built from its window definition: a category
// list and a task list drawn by the window itself (hover selects a task), a Help button
// whose pop-up menu drops from its bottom-left corner, and an OK button that closes it.
#pragma once

#include <functional>
#include <string>

#include "ui/controls/forms.h"
#include "ui/stdctrls/menus.h"
#include "ui/stdctrls/stdctrls.h"

class TDemoForm : public TForm {
  LB_CLASS(TDemoForm)
 public:
  // Reads the definition from the embedded resource `resourceName` (registered by the caller).
  explicit TDemoForm(TComponent* owner, const std::string& resourceName = "UIDEMO");

  TListBox* ListBoxMain = nullptr;
  TListBox* ListBoxData = nullptr;
  TButton* ButtonHelp = nullptr;
  TButton* ButtonOK = nullptr;
  TPopupMenu* PopupMenu = nullptr;

  // Receives one line per user action (list clicks, menu choices, the menu's place).
  std::function<void(const std::string&)> Log;

  // Fills the task list with the tasks of a category and selects task 0.
  void FillTasks(int category);

 private:
  void FormShow(TObject* sender);
  void ListBoxMainClick(TObject* sender);
  void ListBoxDataClick(TObject* sender);
  void ListBoxMainDrawItem(TWinControl* control, int index, const RECT& rect, TOwnerDrawState state);
  void ListBoxDataDrawItem(TWinControl* control, int index, const RECT& rect, TOwnerDrawState state);
  void ListBoxDataMouseMove(TObject* sender, TShiftState shift, int x, int y);
  void ButtonHelpClick(TObject* sender);
  void ButtonOKClick(TObject* sender);
  void MenuItemClick(TObject* sender);
  void Say(const std::string& line);
};
