// TMainForm: the launcher's main window, built from its window definition. The category
// list on the left, the owner-drawn task list on the right (pointing selects, clicking
// starts the task's tool), the Help button with the help menu and the OK button, and the
// picture lists their icons and glyphs come from.
#pragma once

#include <string>

#include "buttons/imagebutton.h"
#include "pngimagelist/pngimagelist.h"
#include "ui/controls/forms.h"
#include "ui/stdctrls/extctrls.h"
#include "ui/stdctrls/menus.h"
#include "ui/stdctrls/stdctrls.h"

// The start-up message the main window posts to itself as its last creation step.
constexpr UINT WM_LAUNCHER_STARTUP = WM_USER + 1;

// Name of the embedded window definition of the main window.
constexpr const char* kMainFormResource = "MAINFORM";

class TMainForm : public TForm {
  LB_CLASS(TMainForm)
 public:
  explicit TMainForm(TComponent* owner);
  ~TMainForm() override;

  // Controls of the window definition (set when FormCreate runs).
  TListBox* ListBoxMain = nullptr;
  TListBox* ListBoxData = nullptr;
  TImageButton* ButtonHelp = nullptr;
  TImageButton* ButtonOK = nullptr;
  TBevel* Bevel1 = nullptr;
  TPopupMenu* PopupMenu = nullptr;
  TMenuItem* MediaOntheWeb1 = nullptr;
  TMenuItem* AboutMedia1 = nullptr;
  // Category icon i; task icon (the category's first index + the task's place); the Help
  // and OK glyphs.
  TPngImageList* PngImageListMain = nullptr;
  TPngImageList* PngImageListData = nullptr;
  TPngImageList* PngImageListButton = nullptr;

  // The selected edition's addresses; written once by FormCreate, empty for no edition.
  std::string WebAddress;
  std::string OrderAddress;
  std::string SupportAddress;

  // Starts a program lying beside the executable (`fileName` has no folder part) with
  // the hourglass shown while the shell handles the request. A failure is noted on the
  // launcher's report line (no dialog), and the window stays as it was.
  void StartProgram(const std::string& fileName);

  // Event handlers, bound by name from the window definition.
  void FormCreate(TObject* sender);
  void FormShow(TObject* sender);
  void ListBoxMainClick(TObject* sender);
  void ListBoxDataClick(TObject* sender);
  void ListBoxMainDrawItem(TWinControl* control, int index, const RECT& rect, TOwnerDrawState state);
  void ListBoxDataDrawItem(TWinControl* control, int index, const RECT& rect, TOwnerDrawState state);
  void ListBoxDataMouseMove(TObject* sender, TShiftState shift, int x, int y);
  void ButtonHelpClick(TObject* sender);
  void ButtonOKClick(TObject* sender);
  void MediaOntheWeb1Click(TObject* sender);
  void AboutMedia1Click(TObject* sender);

 private:
  void BindFields();
  void SelectEdition(const std::string& title);
  // The start-up message: bring the window to the front and start the companion program.
  bool StartupMessage(TMessage& message);
  // White item with black text, or grey with white text when selected.
  static void FillItem(TCanvas* canvas, const RECT& rect, TOwnerDrawState state);
  // The focused item's focus, as the last step: the dotted frame drawn by inverting in the
  // classic look, a ring that shows on white and on the selection grey with visual styles.
  static void DrawFocus(TCanvas* canvas, const RECT& rect, TOwnerDrawState state);
};
