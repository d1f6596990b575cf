// The press tracker alone: each row feeds one run of events to a tracker with the painted
// buttons' rules and to one with the standard button's, and gives for each the look and
// click after every event. Refreshes are asked for exactly when the look changes.
#include <gtest/gtest.h>

#include <string>

#include "ui/controls/presstracker.h"

namespace {

// Events: P/p left press with/without the focus, I/O move inside/outside, R/r left
// release inside/outside, X right release inside, S/s/a Space down plain/with Shift/with
// Alt, U Space up, F focus lost, C capture lost. Outcomes: 0 up, 1 pushed, c/C the same
// with a click.
struct Row {
  const char* events;
  const char* painted;
  const char* standard;
};

TPressEffect Feed(TPressTracker& t, char event) {
  switch (event) {
    case 'P': case 'p': return t.Press(event == 'P');
    case 'I': case 'O': return t.Move(event == 'I');
    case 'R': case 'r': case 'X': return t.Release(event == 'X' ? mbRight : mbLeft, event != 'r');
    case 'S': case 's': case 'a':
      return t.SpaceDown(event == 'S' ? TShiftState{} : TShiftState{event == 's' ? ssShift : ssAlt});
    case 'U': return t.SpaceUp();
    case 'F': return t.FocusLost();
    default: return t.CaptureLost();
  }
}

class PressTable : public ::testing::TestWithParam<Row> {};

TEST_P(PressTable, LookAndClickAfterEachEvent) {
  for (const bool standard : {false, true}) {
    TPressTracker t(standard ? kPushButtonRules : TPressRules{});
    const std::string events = GetParam().events, want = standard ? GetParam().standard : GetParam().painted;
    std::string got;
    for (const char event : events) {
      const bool was = t.State().pressedLook;
      const TPressEffect e = Feed(t, event);
      const bool look = t.State().pressedLook;
      got += e.click ? (look ? 'C' : 'c') : (look ? '1' : '0');
      EXPECT_EQ(e.refresh, look != was) << events << " at " << got.size();
    }
    EXPECT_EQ(got, want) << events << (standard ? " (standard)" : " (painted)");
  }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, PressTable,
    ::testing::Values(Row{"PIOIR", "1101c", "1101c"}, Row{"POr", "100", "100"}, Row{"IRUF", "0000", "0000"},
                      Row{"pR", "00", "1c"}, Row{"sU", "1c", "00"}, Row{"aU", "00", "00"}, Row{"PXR", "1c0", "11c"},
                      Row{"PFIR", "101c", "1000"}, Row{"PSRU", "11cc", "11Cc"}, Row{"PSUR", "11cc", "11Cc"},
                      Row{"SPOU", "110c", "111c"}, Row{"SUU", "1c0", "1c0"}, Row{"SFU", "100", "100"},
                      Row{"SPCUR", "11000", "11000"}, Row{"PCR", "100", "100"}));

}  // namespace
