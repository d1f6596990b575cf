// The launcher's notes on failures it shows no dialog for: a product title that names no
// edition (or no product file at all), and a program or address the shell refused. One
// line each; the launcher behaves as before.
#include <optional>
#include <string>

#include "launcher/catalogue.h"
#include "launcher_fixture.h"

namespace launchertest {
namespace {

// `{file}` in `note` stands for the path of lame.dll in the test's folder.
struct NoEditionCase {
  const char* name;
  std::optional<std::string> body;
  std::string note;
};

std::string WithFile(std::string text, const std::string& file) {
  const std::size_t at = text.find("{file}");
  if (at != std::string::npos) text.replace(at, 6, file);
  return text;
}

class NoEditionNote : public LauncherTest, public ::testing::WithParamInterface<NoEditionCase> {};

TEST_P(NoEditionNote, SaysWhichTitleWasFoundOrThatTheFileIsMissing) {
  Start(GetParam().body);
  EXPECT_TRUE(QuitRequested()) << "the program still ends by itself";
  EXPECT_TRUE(errors.empty()) << "and shows no dialog";
  ASSERT_EQ(Notes().size(), 1u);
  EXPECT_EQ(Notes()[0], WithFile(GetParam().note, SystemForm(folder.Path() + "lame.dll")));
}

INSTANTIATE_TEST_SUITE_P(
    Report, NoEditionNote,
    ::testing::Values(
        NoEditionCase{"Unknown", ProductFile("Nobody"),
                      "launcher: the product title \"Nobody\" in \"{file}\" names no edition"},
        NoEditionCase{"OtherCase", ProductFile("brimlow"),
                      "launcher: the product title \"brimlow\" in \"{file}\" names no edition"},
        NoEditionCase{"NoKey", "[SYSTEM]\nVersion=2.0\n",
                      "launcher: the product title \"\" in \"{file}\" names no edition"},
        // Escape sequences and quotes from the file stay visible text on one line.
        NoEditionCase{"ControlCharacters", "[SYSTEM]\nName=A\x1b[2J\"B\\\a\n",
                      "launcher: the product title \"A\\x1B[2J\\\"B\\\\\\x07\" in \"{file}\" names no edition"},
        NoEditionCase{"NoFile", std::nullopt,
                      "launcher: the product information file \"{file}\" is missing, so no edition is selected"}),
    [](const ::testing::TestParamInfo<NoEditionCase>& info) { return std::string(info.param.name); });

// A shell result and the words the note gives for it.
struct RefusalCase {
  int result;
  const char* reason;
};

class RefusedStart : public LauncherTest, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(RefusedStart, IsNotedOnceForEachProgramAndAddress) {
  const RefusalCase& c = GetParam();
  Start(ProductFile("Brimlow"));
  SetShellFailure(c.result);
  ShowAndPump();
  ClickCategory(1);
  ClickTask(0);
  form->MediaOntheWeb1->Click();
  const std::string tail = std::string(": ") + c.reason + " (shell error " + std::to_string(c.result) + ")";
  ASSERT_EQ(Notes().size(), 3u);
  EXPECT_EQ(Notes()[0], "launcher: cannot start \"" + SystemForm(folder.Path() + "vemp.exe") + "\"" + tail);
  EXPECT_EQ(Notes()[1], "launcher: cannot start \"" + SystemForm(folder.Path() + TaskProgram(1, 0)) + "\"" + tail);
  EXPECT_EQ(Notes()[2], "launcher: cannot open \"" + form->WebAddress + "\"" + tail);
  // Nothing else changes: no dialog, the window stays, the run goes on.
  EXPECT_TRUE(errors.empty());
  EXPECT_TRUE(IsWindowVisible(form->Handle()));
  EXPECT_FALSE(QuitRequested());
}

INSTANTIATE_TEST_SUITE_P(Report, RefusedStart,
                         ::testing::Values(RefusalCase{0, "the system is out of memory or processes"},
                                           RefusalCase{2, "the file does not exist"},
                                           RefusalCase{3, "a folder on its path does not exist"},
                                           RefusalCase{5, "access is denied"},
                                           RefusalCase{8, "the system is out of memory or processes"},
                                           RefusalCase{11, "the file is not a program that can run here"},
                                           RefusalCase{31, "no program is set up to open it"},
                                           RefusalCase{32, "the shell refused it"}));

TEST_F(LauncherTest, SuccessNotesNothing) {
  Start(ProductFile("Brimlow"));
  SetShellFailure(33);  // the smallest value that means success
  ShowAndPump();
  ClickTask(1);
  form->MediaOntheWeb1->Click();
  EXPECT_EQ(ShellCalls().size(), 3u);
  EXPECT_TRUE(Notes().empty());
}

}  // namespace
}  // namespace launchertest
