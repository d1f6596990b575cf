#include "launcher/busy.h"

#include "ui/controls/forms.h"

namespace {
// Shared by every user of the busy cursor (task starts and the web link).
int g_busyCount = 0;
}  // namespace

void BeginBusy() {
  ++g_busyCount;
  Screen->SetCursor(crHourGlass);
}

void EndBusy() {
  if (g_busyCount <= 0) return;
  --g_busyCount;
  // The default, not whatever was in force before the first BeginBusy.
  if (g_busyCount == 0) Screen->SetCursor(crDefault);
}

int BusyCount() { return g_busyCount; }
