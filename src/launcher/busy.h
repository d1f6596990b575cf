// The nested busy cursor: the hourglass shows from the first BeginBusy until the matching
// last EndBusy, over every window of the application.
#pragma once

// Adds one to the process-wide busy counter and shows the hourglass (on every call).
void BeginBusy();
// Takes one off the counter; when it reaches 0 the default cursor is set again. An
// EndBusy without a matching BeginBusy changes nothing.
void EndBusy();
// The number of unfinished BeginBusy calls.
int BusyCount();

// The hourglass for one scope: BeginBusy when made, EndBusy when the scope ends, also when
// it ends by an exception.
class TBusyScope {
 public:
  TBusyScope() { BeginBusy(); }
  ~TBusyScope() { EndBusy(); }
  TBusyScope(const TBusyScope&) = delete;
  TBusyScope& operator=(const TBusyScope&) = delete;
};
