// Product information files that are hostile or broken: the start-up never crashes, never
// starts anything but the companion program beside the launcher, and never hands a value
// of the file to a shell.
#include <unistd.h>

#include <chrono>
#include <thread>

#include "launcher_fixture.h"
#include "platform/profile/profile.h"

namespace launchertest {
namespace {

struct HostileCase {
  const char* name;
  std::string body;
};

std::string AllBytes() {
  std::string s = "[SYSTEM]\nName=";
  for (int i = 0; i < 256; ++i) s += char(i);
  return s + "\n";
}

class HostileProductFile : public LauncherTest, public ::testing::WithParamInterface<HostileCase> {};

TEST_P(HostileProductFile, StartsOnlyTheCompanion) {
  const std::string& body = GetParam().body;
  Start(body);
  ShowAndPump();
  // The title is whatever the profile rules make of the file, no more.
  EXPECT_EQ(Application->Title(), ReadProfileString("SYSTEM", "Name", "", folder.Path() + "lame.dll"));
  EXPECT_LE(Application->Title().size(), 2047u);
  ASSERT_EQ(ShellCalls().size(), 1u);
  EXPECT_EQ(ShellCalls()[0].file, folder.Path() + "vemp.exe");
  // The window is usable: the task texts carry the title and draw without harm.
  ClickCategory(3);
  HoverTask(4);
  EXPECT_EQ(form->ListBoxData->Count(), 5);
  EXPECT_TRUE(errors.empty()) << errors.front();
}

INSTANTIATE_TEST_SUITE_P(
    Startup, HostileProductFile,
    ::testing::Values(
        HostileCase{"Huge", "[SYSTEM]\nName=" + std::string(100 * 1024, 'B') + "\n"},
        HostileCase{"HugeWithoutNewline", "[SYSTEM]\nName=" + std::string(100 * 1024, 'q')},
        HostileCase{"AllByteValues", AllBytes()},
        HostileCase{"NulInName", std::string("[SYSTEM]\nName=Brim\0low\n", 23)},
        HostileCase{"BinaryFile", std::string("\x7f" "ELF\x02\x01\x01\0\0\0\0\0\0\0\0\0\x03\0>\0", 20)},
        HostileCase{"CommandSubstitution", "[SYSTEM]\nName=$(touch pwned)\n"},
        HostileCase{"Backquotes", "[SYSTEM]\nName=`touch pwned`\n"},
        HostileCase{"Semicolons", "[SYSTEM]\nName=Brimlow; touch pwned &\n"},
        HostileCase{"UnbalancedQuotes", "[SYSTEM]\nName=\"Brimlow'\n"},
        HostileCase{"QuotedQuotes", "[SYSTEM]\nName=\"\"Brimlow\"\"\n"},
        HostileCase{"FormatDirectives", "[SYSTEM]\nName=%s%d%n%%%x\n"},
        HostileCase{"Accelerators", "[SYSTEM]\nName=&&&\n"},
        HostileCase{"PathLike", "[SYSTEM]\nName=../../bin/sh\n"},
        HostileCase{"ManyLines", std::string(200000, '\n') + "[SYSTEM]\nName=Brimlow\n"},
        HostileCase{"ManySections", [] {
                      std::string s;
                      for (int i = 0; i < 20000; ++i) s += "[S" + std::to_string(i) + "]\nName=x\n";
                      return s;
                    }()},
        HostileCase{"OnlyBrackets", "[[[[[[[[[[[[[[[[[[[[[["},
        HostileCase{"Empty", std::string()}),
    [](const ::testing::TestParamInfo<HostileCase>& info) { return std::string(info.param.name); });

// The real shell function: the companion stand-in runs, and shell characters in the title
// reach no shell (nothing creates the file they name).
TEST_F(LauncherTest, RealShellStartsTheCompanionAndNothingElse) {
  folder.Write("vemp.exe", "#!/bin/sh\necho \"$(basename \"$0\")\" >> \"$(dirname \"$0\")/started.log\"\n", true);
  folder.Write("lame.dll", "[SYSTEM]\nName=$(touch pwned) `touch pwned`; touch pwned\n");
  TLauncherHost host;
  host.folder = folder.Path();
  form = StartLauncher(host);
  ShowAndPump();
  for (int i = 0; i < 200 && !folder.Exists("started.log"); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(folder.Read("started.log"), "vemp.exe\n");
  EXPECT_FALSE(folder.Exists("pwned"));
  EXPECT_NE(access("pwned", F_OK), 0);
  EXPECT_TRUE(QuitRequested()) << "the title names no edition";
}

}  // namespace
}  // namespace launchertest
