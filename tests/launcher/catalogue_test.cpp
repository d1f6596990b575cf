// The fixed tables: which program each task starts, the composed descriptions, the edition
// table's exact comparison, the folder joining rule and the busy cursor's nesting.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "launcher/busy.h"
#include "launcher/catalogue.h"
#include "launcher/launcher.h"
#include "platform/win/headless.h"
#include "ui/controls/forms.h"

namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::string rest = text;
  for (int i = 0; i < 3; ++i) {
    const std::size_t cr = rest.find('\r');
    lines.push_back(rest.substr(0, cr));
    rest = cr == std::string::npos ? std::string() : rest.substr(cr + 1);
  }
  lines.push_back(rest);
  return lines;
}

struct TaskCase {
  int category;
  int task;
  const char* program;  // null: outside the catalogue
  const char* firstLine;
};

class TaskTable : public ::testing::TestWithParam<TaskCase> {};

TEST_P(TaskTable, ProgramAndTitle) {
  const TaskCase& c = GetParam();
  const char* program = TaskProgram(c.category, c.task);
  if (!c.program) {
    EXPECT_EQ(program, nullptr);
    EXPECT_EQ(TaskText(c.category, c.task, "Brimlow"), "");
    return;
  }
  ASSERT_NE(program, nullptr);
  EXPECT_STREQ(program, c.program);
  EXPECT_EQ(Lines(TaskText(c.category, c.task, "Brimlow"))[0], c.firstLine);
}

INSTANTIATE_TEST_SUITE_P(
    Catalogue, TaskTable,
    ::testing::Values(TaskCase{0, 0, "Tolvane.exe", "Data CD"}, TaskCase{0, 1, "Tolvane.exe", "Data DVD"},
                      TaskCase{0, 2, "Tolvane.exe", "Data HD DVD"}, TaskCase{0, 3, "Tolvane.exe", "Data Blu-ray Disc"},
                      TaskCase{1, 0, "Merrock.exe", "Audio CD"}, TaskCase{1, 1, "Pashley.exe", "Grab Audio CD"},
                      TaskCase{2, 0, "Quorrel.exe", "Video CD"}, TaskCase{2, 1, "Quorrel.exe", "Super Video CD"},
                      TaskCase{2, 2, "Quorrel.exe", "DVD-Video Files"}, TaskCase{3, 0, "Wistel.exe", "Disc Eraser"},
                      TaskCase{3, 1, "Nandrel.exe", "Device Info"}, TaskCase{3, 2, "Orrith.exe", "ISO Creator"},
                      TaskCase{3, 3, "Calvrin.exe", "ISO Burner"}, TaskCase{3, 4, "Dunmarl.exe", "ISO Grabber"},
                      // Pairs outside the table start nothing.
                      TaskCase{-1, 0, nullptr, ""}, TaskCase{0, -1, nullptr, ""}, TaskCase{0, 4, nullptr, ""},
                      TaskCase{1, 2, nullptr, ""}, TaskCase{2, 3, nullptr, ""}, TaskCase{3, 5, nullptr, ""},
                      TaskCase{4, 0, nullptr, ""}, TaskCase{-1, -1, nullptr, ""}));

TEST(Catalogue, CategoriesInListOrderWithTheirSizesAndImageBases) {
  const char* names[] = {"Data", "Music", "Video", "Tools"};
  const int counts[] = {4, 2, 3, 5};
  const int bases[] = {0, 4, 6, 9};
  for (int i = 0; i < kCategoryCount; ++i) {
    EXPECT_STREQ(kCategoryNames[i], names[i]);
    EXPECT_EQ(TaskCount(i), counts[i]);
    EXPECT_EQ(TaskImageIndexBase(i), bases[i]);
  }
  for (const int outside : {-1, kCategoryCount}) {  // before the first, after the last (4 of 4)
    EXPECT_EQ(TaskCount(outside), 0);
    EXPECT_EQ(TaskImageIndexBase(outside), 0);
  }
  // The last Tools task uses the last of the fourteen task pictures.
  EXPECT_EQ(TaskImageIndexBase(3) + TaskCount(3) - 1, 13);
}

TEST(Catalogue, EveryTextHasFourLines) {
  for (int c = 0; c < kCategoryCount; ++c)
    for (int t = 0; t < TaskCount(c); ++t)
      for (const char* title : {"", "Brimlow"}) {
        const std::string text = TaskText(c, t, title);
        int crs = 0;
        for (char ch : text) crs += ch == '\r';
        EXPECT_GE(crs, 3) << c << "," << t;
        EXPECT_EQ(text.find('\n'), std::string::npos) << c << "," << t;
      }
}

struct ComposedCase {
  int task;  // of Tools
  const char* title;
  std::vector<std::string> lines;
};

class ComposedTexts : public ::testing::TestWithParam<ComposedCase> {};

TEST_P(ComposedTexts, LinesWithTheTitle) {
  const ComposedCase& c = GetParam();
  EXPECT_EQ(Lines(TaskText(3, c.task, c.title)), c.lines);
}

INSTANTIATE_TEST_SUITE_P(
    Catalogue, ComposedTexts,
    ::testing::Values(
        ComposedCase{0, "Brimlow",
                     {"Disc Eraser", "This wizard will guide you through CD or DVD disc erasing process",
                      "using Brimlow.", " "}},
        ComposedCase{3, "Brimlow",
                     {"ISO Burner", "The wizard will guide you through file system ISO burning process",
                      "using Brimlow.", " "}},
        ComposedCase{4, "Brimlow",
                     {"ISO Grabber", "The wizard will guide you through data disc grabbing process using", "Brimlow.",
                      " "}},
        // An empty title still gives four lines.
        ComposedCase{0, "",
                     {"Disc Eraser", "This wizard will guide you through CD or DVD disc erasing process", "using .",
                      " "}},
        ComposedCase{3, "",
                     {"ISO Burner", "The wizard will guide you through file system ISO burning process", "using .",
                      " "}},
        ComposedCase{4, "",
                     {"ISO Grabber", "The wizard will guide you through data disc grabbing process using", ".", " "}}));

TEST(Catalogue, TextsWithoutTheTitleAreFixed) {
  for (int category = 0; category < kCategoryCount; ++category)  // all but Tools' 0, 3 and 4
    for (int task = 0; task < TaskCount(category); ++task)
      EXPECT_TRUE((category == 3 && task != 1 && task != 2) || TaskText(category, task, "Brimlow") == TaskText(category, task, ""))
          << category << " " << task;
  EXPECT_EQ(Lines(TaskText(1, 1, ""))[3], " ");
  EXPECT_EQ(Lines(TaskText(0, 0, ""))[3], "on all Windows platforms.");
}

// ---------------------------------------------------------------------------------------
// Editions

TEST(Editions, SixTitlesInOrder) {
  const char* titles[] = {"Velmora", "Quistal", "Darnett", "Fenwray", "Oskarin", "Brimlow"};
  std::set<std::string> addresses;
  for (int i = 0; i < kEditionCount; ++i) {
    const TEdition& e = kEditions[i];
    EXPECT_STREQ(e.title, titles[i]);
    EXPECT_EQ(FindEdition(titles[i]), &e);
    EXPECT_EQ(std::string(e.webAddress).rfind("https://", 0), 0u) << e.webAddress;
    EXPECT_EQ(std::string(e.orderAddress).rfind("https://", 0), 0u) << e.orderAddress;
    const std::string support = e.supportAddress;
    EXPECT_NE(support.find('@'), std::string::npos);
    EXPECT_EQ(support.find("mailto:"), std::string::npos);
    addresses.insert(e.webAddress);
    addresses.insert(e.orderAddress);
    addresses.insert(e.supportAddress);
  }
  EXPECT_EQ(addresses.size(), 18u) << "every edition has its own three addresses";
}

class NoEdition : public ::testing::TestWithParam<const char*> {};

TEST_P(NoEdition, ComparisonIsExact) { EXPECT_EQ(FindEdition(GetParam()), nullptr) << "'" << GetParam() << "'"; }

INSTANTIATE_TEST_SUITE_P(Editions, NoEdition,
                         ::testing::Values("brimlow", "BRIMLOW", "BrimLow", " Brimlow", "Brimlow ", "Brimlow.", "Brim",
                                           "BrimlowBrimlow", "", "Nobody", "\"Brimlow\"", "Brimlo\xC3\xB6"));

// ---------------------------------------------------------------------------------------
// Folders

struct FolderCase {
  const char* folder;
  const char* joined;
};

class Folders : public ::testing::TestWithParam<FolderCase> {};

TEST_P(Folders, AppendsOneSeparatorWhenMissing) {
  EXPECT_EQ(FolderWithBackslash(GetParam().folder), GetParam().joined);
}

INSTANTIATE_TEST_SUITE_P(Launcher, Folders,
                         ::testing::Values(FolderCase{"/opt/Tools", "/opt/Tools/"}, FolderCase{"/opt/Tools/", "/opt/Tools/"},
                                           FolderCase{"/", "/"}, FolderCase{"suite", "suite/"},
                                           FolderCase{"/opt/Tools//", "/opt/Tools//"}));

// ---------------------------------------------------------------------------------------
// Busy cursor

class BusyCursor : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(headless::Enable(1024, 768));
    DoneApplicationObjects();
    InitApplicationObjects();
  }
  void TearDown() override {
    while (BusyCount() > 0) EndBusy();
    DoneApplicationObjects();
    ShutdownWindowSystem();
  }
  static int Override() { return CursorId(GetOverrideCursor()); }
};

TEST_F(BusyCursor, NestsAndEndsAtTheDefault) {
  ASSERT_EQ(BusyCount(), 0);
  BeginBusy();
  BeginBusy();
  EndBusy();
  EXPECT_EQ(BusyCount(), 1);
  EXPECT_EQ(Screen->Cursor(), crHourGlass);
  EXPECT_EQ(Override(), 32514);  // the hourglass over every window
  EndBusy();
  EXPECT_EQ(BusyCount(), 0);
  EXPECT_EQ(Screen->Cursor(), crDefault);
  EXPECT_EQ(GetOverrideCursor(), nullptr);
  EndBusy();
  EXPECT_EQ(BusyCount(), 0);
  EXPECT_EQ(Screen->Cursor(), crDefault);
}

TEST_F(BusyCursor, EndSetsTheDefaultNotTheCursorBefore) {
  Screen->SetCursor(crCross);
  BeginBusy();
  EXPECT_EQ(Screen->Cursor(), crHourGlass);
  EndBusy();
  EXPECT_EQ(Screen->Cursor(), crDefault);
}

TEST_F(BusyCursor, UnmatchedEndChangesNothing) {
  Screen->SetCursor(crCross);
  EndBusy();
  EXPECT_EQ(BusyCount(), 0);
  EXPECT_EQ(Screen->Cursor(), crCross);
  Screen->SetCursor(crDefault);
}

TEST_F(BusyCursor, EveryBeginShowsTheHourglassAgain) {
  BeginBusy();
  Screen->SetCursor(crArrow);  // someone else changed it meanwhile
  BeginBusy();
  EXPECT_EQ(Screen->Cursor(), crHourGlass);
  EndBusy();
  EndBusy();
}

}  // namespace
