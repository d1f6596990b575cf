#include "ui/controls/accesshook.h"

namespace {
TAccessHook gHook = nullptr;
}

void SetAccessHook(TAccessHook hook) { gHook = hook; }

void NotifyAccess(TAccessChange change, TComponent* subject) {
  if (gHook) gHook(change, subject);
}
