// TUpdateScope: the update ends with the scope however the scope ends, and a failing
// EndUpdate never hides the error that was already leaving the scope. Also the ASCII
// comparison behind CompareText and SameText.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "platform/base/ascii.h"
#include "ui/core/classes.h"

namespace {

// Counts updates like the real lists and can fail its EndUpdate.
struct TCountingTarget {
  int open = 0, ended = 0;
  bool failEnd = false;
  void BeginUpdate() { ++open; }
  void EndUpdate() {
    --open;
    ++ended;
    if (failEnd) throw std::runtime_error("end failed");
  }
};

struct ScopeCase {
  const char* name;
  bool bodyThrows, endThrows;
  const char* expectedError;  // "" when the scope ends normally
};

class UpdateScope : public ::testing::TestWithParam<ScopeCase> {};

TEST_P(UpdateScope, EndsTheUpdateAndReportsTheFirstError) {
  const ScopeCase& c = GetParam();
  TCountingTarget target;
  target.failEnd = c.endThrows;
  std::string error;
  try {
    TUpdateScope update(&target);
    EXPECT_EQ(target.open, 1);
    if (c.bodyThrows) throw std::runtime_error("body failed");
  } catch (const std::exception& e) {
    error = e.what();
  }
  EXPECT_EQ(target.open, 0);
  EXPECT_EQ(target.ended, 1);
  EXPECT_EQ(error, c.expectedError);
}

INSTANTIATE_TEST_SUITE_P(Exits, UpdateScope,
                         ::testing::Values(ScopeCase{"normal", false, false, ""},
                                           ScopeCase{"body_fails", true, false, "body failed"},
                                           ScopeCase{"end_fails", false, true, "end failed"},
                                           ScopeCase{"both_fail", true, true, "body failed"}),
                         [](const auto& info) { return std::string(info.param.name); });

// A sorted list refuses the insert half of a move, inside the move's update.
TEST(UpdateScope, FailedMoveLeavesNoUpdateOpen) {
  TStringList list;
  list.Add("a");
  list.Add("b");
  list.SetSorted(true);
  int changes = 0;
  list.OnChange = [&](TObject*) { ++changes; };
  EXPECT_THROW(list.Move(0, 1), EStringListError);
  EXPECT_EQ(list.UpdateCount(), 0);
  EXPECT_EQ(changes, 1);  // the deletion, reported when the update closed
}

// Bytes above 127 compare unsigned, a prefix sorts first, and only A-Z fold.
TEST(AsciiText, CompareFoldsOnlyAsciiLetters) {
  EXPECT_EQ(AsciiCompareText("Profile", "pROFILE"), 0);
  EXPECT_LT(AsciiCompareText("abc", "abcd"), 0);
  EXPECT_LT(AsciiCompareText("z", "\xC4"), 0);
  EXPECT_LT(AsciiCompareText("[", "A"), 0);  // '[' (0x5B) comes before the folded 'a' (0x61)
  EXPECT_FALSE(AsciiSameText("\xC4", "\xE4"));
  EXPECT_EQ(AsciiLowerCase("MiXeD-09_\xC4"), "mixed-09_\xC4");
}

}  // namespace
