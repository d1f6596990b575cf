// The one place where controls and menus tell the accessibility model what changed. No
// model listens until one is asked for (ui/access), so until then a notice costs a test
// of one pointer.
#pragma once

class TComponent;

enum class TAccessChange {
  Focus,      // the control received the keyboard focus
  Selection,  // the list's, page control's or menu's selected entry changed
  Structure,  // entries or windows came or went (a list's items, a form or menu shown or hidden)
};

using TAccessHook = void (*)(TAccessChange change, TComponent* subject);
void SetAccessHook(TAccessHook hook);
void NotifyAccess(TAccessChange change, TComponent* subject);
