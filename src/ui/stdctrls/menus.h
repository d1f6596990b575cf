// Pop-up menus: TPopupMenu holds a tree of TMenuItem and shows its items in a popup
// window at a screen point, chosen with the mouse or the keyboard.
#pragma once

#include <string>
#include <vector>

#include "ui/controls/controls.h"

class TPopupMenu;

// One entry of a menu. Caption "-" makes a separator; "&" marks the access key.
class TMenuItem : public TComponent {
  LB_CLASS(TMenuItem)
 public:
  explicit TMenuItem(TComponent* owner);
  ~TMenuItem() override;

  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& value) { caption_ = value; }
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool value) { enabled_ = value; }
  bool Visible() const { return visible_; }
  void SetVisible(bool value) { visible_ = value; }
  bool IsLine() const { return caption_ == "-"; }

  // Sub-items (a pop-up menu's root item holds the menu's entries).
  int Count() const { return int(items_.size()); }
  TMenuItem* Items(int index) const { return items_.at(std::size_t(index)); }
  void Add(TMenuItem* item);
  void Insert(int index, TMenuItem* item);
  void Remove(TMenuItem* item);
  int IndexOf(const TMenuItem* item) const;
  TMenuItem* Parent() const { return parent_; }
  // An item of this one whose access key is `key` (letters without regard to case).
  TMenuItem* FindByAccel(char key) const;

  // Raises OnClick.
  virtual void Click();
  TNotifyEvent OnClick;

  void SetParentComponent(TComponent* parent);
  TComponent* GetParentComponent() const override;
  bool HasParent() const override { return true; }

 private:
  friend class TPopupMenu;
  std::string caption_;
  bool enabled_ = true;
  bool visible_ = true;
  TMenuItem* parent_ = nullptr;
  TPopupMenu* menu_ = nullptr;  // set on a menu's root item
  std::vector<TMenuItem*> items_;
};

// A menu shown on request in a popup window that may extend beyond its owner and is moved
// to stay on the screen. While open it holds the keyboard and the pointer: Up/Down move
// the highlight (skipping separators, disabled and hidden items), Enter or a click
// chooses, an item's access letter chooses it, Esc or a click outside closes the menu
// without choosing. The chosen item's OnClick runs after the menu has closed.
class TPopupMenu : public TComponent, public IDensityScaled {
  LB_CLASS(TPopupMenu)
 public:
  explicit TPopupMenu(TComponent* owner);
  ~TPopupMenu() override;
  // The menu's font follows its form's density.
  void ChangeScale(int m, int d) override;

  TMenuItem* Items() { return &root_; }
  // Opens the menu with its top-left corner at screen point (x, y) and returns; input is
  // handled as the message loop delivers it.
  void Popup(int x, int y);
  bool IsOpen() const;
  HWND WindowHandle() const { return window_; }
  // The index (in Items) of the highlighted entry, -1 for none.
  int HighlightIndex() const { return highlight_; }
  // The window's size for the current items.
  SIZE MenuSize();
  // An item's rectangle in the menu window's client coordinates.
  RECT ItemRect(int index);
  // The menu item under a client point of the menu window, -1 when none.
  int ItemAtPos(POINT p);
  // Chooses entry `index` of the open menu as Enter on its highlight does: the menu closes
  // and the item's OnClick runs. Nothing happens for a closed menu or an entry that cannot
  // be chosen (separator, disabled, hidden, out of range).
  void ChooseEntry(int index);

  TNotifyEvent OnPopup;
  TNotifyEvent OnClose;

  void Notification(TComponent* component, TOperation operation) override;

 private:
  friend LRESULT PopupMenuWindowProc(HWND, UINT, WPARAM, LPARAM);
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
  void Paint(HDC dc);
  void SetHighlight(int index);
  void MoveHighlight(int step);
  bool Selectable(int index) const;
  // Closes the menu and then runs the item's OnClick (null: close only).
  void Choose(TMenuItem* item);

  TMenuItem root_;
  HWND window_ = nullptr;
  int highlight_ = -1;
  bool open_ = false;
  bool pressedInside_ = false;
  std::unique_ptr<TFont> font_;
};
