// The accessibility model of the class library: one tree of TAccessible nodes that
// assistive technology reads through a platform bridge (AT-SPI on Linux, the system's
// interface on Windows). The application is the root; its children are the shown forms
// and open pop-up menus; a form's children are its controls, a list's its items, a page
// control's its pages, a menu's its entries.
//
// Nodes are made on first request and live as long as what they describe: a control's
// node goes when the control is destroyed, a list item's when the list shrinks below it.
// Before a node goes the listener hears Defunct, so a bridge can drop what refers to it.
//
// Actions and selections do what the user's click or key does. They are carried out from
// the message loop, after the request has returned, so a bridge's call that opens a modal
// dialog gets its answer at once (RunPendingAccessActions runs them earlier, for tests).
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/base/wintypes.h"
#include "ui/core/sysutils.h"

class TComponent;
class TControl;

enum class TAccRole {
  Application,
  Frame,
  Dialog,
  Panel,
  GroupBox,
  Label,
  Link,
  Image,
  Separator,
  PushButton,
  List,
  ListItem,
  PageTabList,
  PageTab,
  Menu,
  MenuItem,
};

enum TAccState {
  asFocused,
  asFocusable,
  asSelected,
  asSelectable,
  asEnabled,
  asPressed,
  asDefault,
  asVisible,  // shown, with every parent shown
};
using TAccStates = TSet<TAccState>;

class TAccessible {
 public:
  virtual ~TAccessible();

  virtual TAccRole Role() const = 0;
  virtual std::string Name() const = 0;
  virtual std::string Description() const { return {}; }
  virtual TAccStates States() const = 0;
  // On the screen; for an item scrolled out of its list, where it would be.
  virtual RECT Bounds() const = 0;

  virtual TAccessible* Parent() const = 0;
  virtual int ChildCount() const { return 0; }
  virtual TAccessible* Child(int index) const { (void)index; return nullptr; }
  // The position among the parent's children, -1 for the root.
  int IndexInParent() const;

  // Action names ("click", "open") and doing one; false for an index it does not have or
  // an action that cannot be done now (a disabled control).
  virtual std::vector<std::string> Actions() const { return {}; }
  virtual bool DoAction(int index) { (void)index; return false; }

  // Selection, for nodes whose children are choices (lists, page controls, menus): which
  // child is selected (-1 none), and choosing one as a key landing on it does.
  virtual int SelectedChild() const { return -1; }
  virtual bool SelectChild(int index) { (void)index; return false; }

  // Moves the keyboard focus to it, when it can take the focus.
  virtual bool GrabFocus() { return false; }

  // The component described (null for the root and list items).
  virtual TComponent* Subject() const { return nullptr; }
};

enum class TAccEvent {
  Focus,            // the node received the focus (a list: also its selected item)
  Selection,        // the node's selected child changed
  ChildrenChanged,  // children came or went
  Defunct,          // the node is about to be destroyed
};

class TAccListener {
 public:
  virtual ~TAccListener() = default;
  virtual void AccessibleEvent(TAccEvent event, TAccessible* node) = 0;
};

// The root: the application (named by Application's title). Asking for it starts the
// model; until then controls pay nothing for it.
TAccessible* AccessibleApplication();
// The node of a control, pop-up menu or menu item; null for other components.
TAccessible* AccessibleOf(TComponent* component);
// One listener at a time (the platform bridge); null removes it.
void SetAccessibleListener(TAccListener* listener);

// The name of a control that shows no text of its own (a glyph-only button, a picture
// that is a link); an empty name gives the control back its own.
void SetAccessibleName(TControl* control, const std::string& name);

// Runs the actions and selections asked for so far (normally the message loop does).
void RunPendingAccessActions();

// ---------------------------------------------------------------------------------------
// Control kinds of higher layers: a factory makes the node of the controls it knows (null
// for others). The factories registered last are asked first.

class TControlAccessible : public TAccessible {
 public:
  explicit TControlAccessible(TControl* control);
  TAccRole Role() const override;
  std::string Name() const override;
  TAccStates States() const override;
  RECT Bounds() const override;
  TAccessible* Parent() const override;
  int ChildCount() const override;
  TAccessible* Child(int index) const override;
  std::vector<std::string> Actions() const override;
  bool DoAction(int index) override;
  bool GrabFocus() override;
  TComponent* Subject() const override;
  TControl* Control() const { return control_; }

 protected:
  // Runs `action` from the message loop, unless the control is gone by then.
  void Defer(std::function<void()> action);

 private:
  TControl* control_;
};

using TAccessibleFactory = std::unique_ptr<TControlAccessible> (*)(TControl* control);
void RegisterAccessibleFactory(TAccessibleFactory factory);
