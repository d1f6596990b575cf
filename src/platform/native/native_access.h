// The system's accessibility interface for the windows of nativewin: a window asked for
// its client object (WM_GETOBJECT) answers with an IAccessible over the program's own tree
// of nodes, which a Source describes in plain C++ types. Every node gets an object of its
// own; its children are reached as objects, by their position (1..n) or by the negative
// unique id that the events name. Events go out as the system's window events.
#pragma once

#include <cstdint>
#include <string>

#include "platform/native/native_window.h"

namespace nativeacc {

using Node = void*;  // the program's node, opaque here; null for none

enum class Role {
  Application, Frame, Dialog, Panel, GroupBox, Label, Link, Image, Separator, PushButton,
  List, ListItem, PageTabList, PageTab, Menu, MenuItem,
};

enum State : unsigned {
  Focused = 1u << 0, Focusable = 1u << 1, Selected = 1u << 2, Selectable = 1u << 3,
  Enabled = 1u << 4, Pressed = 1u << 5, Default = 1u << 6, Visible = 1u << 7,
};

struct Info {
  Role role = Role::Panel;
  std::string name, description, action;  // UTF-8; action: the default action's name
  unsigned states = 0;                     // State bits
  nativewin::Rect bounds;                  // on the screen
};

// The program's side. Called on the thread that pumps the windows' messages.
class Source {
 public:
  virtual ~Source() = default;
  // The node shown by a window (a form, an open menu); null for none.
  virtual Node Root(nativewin::Handle window) = 0;
  // Null above a window's node.
  virtual Node Parent(Node node) = 0;
  virtual int ChildCount(Node node) = 0;
  virtual Node Child(Node node, int index) = 0;
  virtual Info Describe(Node node) = 0;
  virtual int SelectedChild(Node node) = 0;  // -1 for none
  // Makes the node the selected one among its parent's children, as a key landing on it.
  virtual bool Select(Node node) = 0;
  virtual bool Focus(Node node) = 0;
  virtual bool DoDefaultAction(Node node) = 0;
  // The window the node is shown in; null for none.
  virtual nativewin::Handle WindowOf(Node node) = 0;
};

// The source the windows answer from; null: they answer as the system's plain windows do.
void SetSource(Source* source);

enum class Event { Focus, Selection, Reorder, MenuStart, MenuEnd };
// Tells clients listening for window events (EVENT_OBJECT_FOCUS, _SELECTION, _REORDER,
// EVENT_SYSTEM_MENUPOPUPSTART, _END).
void Raise(Event event, Node node);
// The node is about to go: its object answers from now on that it is gone.
void Forget(Node node);

// WM_GETOBJECT for a window: true with the reply in *result when there is one.
bool Answer(nativewin::Handle window, std::uintptr_t wParam, std::intptr_t lParam, std::intptr_t* result);

}  // namespace nativeacc
