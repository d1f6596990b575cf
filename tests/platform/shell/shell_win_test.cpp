// The Windows shell path: the system's results read as ours, the verb rule kept, failures
// named as on every system, and a program really started in its own folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "platform/os/os.h"
#include "platform/shell/shell.h"

namespace {

struct SystemResult {
  std::intptr_t system;
  int ours;
};

class ShellResult : public testing::TestWithParam<SystemResult> {};

TEST_P(ShellResult, SystemValueReadsAsOurs) {
  EXPECT_EQ(ShellResultFromSystem(GetParam().system), GetParam().ours) << GetParam().system;
}

// Success is any value above 32; 0 is the system out of resources; the sharing violation,
// incomplete association, the opener's failures and a missing library map to our nearest.
INSTANTIATE_TEST_SUITE_P(Values, ShellResult,
                         testing::Values(SystemResult{33, kShellExecuteSuccess},
                                         SystemResult{0x400000, kShellExecuteSuccess},
                                         SystemResult{0, SE_ERR_OOM}, SystemResult{8, SE_ERR_OOM},
                                         SystemResult{2, SE_ERR_FNF}, SystemResult{3, SE_ERR_PNF},
                                         SystemResult{5, SE_ERR_ACCESSDENIED},
                                         SystemResult{11, ERROR_BAD_FORMAT},
                                         SystemResult{26, SE_ERR_ACCESSDENIED},
                                         SystemResult{27, SE_ERR_NOASSOC}, SystemResult{29, SE_ERR_NOASSOC},
                                         SystemResult{31, SE_ERR_NOASSOC},
                                         SystemResult{32, ERROR_BAD_FORMAT},
                                         SystemResult{20, SE_ERR_ACCESSDENIED}));

std::string Scratch(const std::string& name) {
  const auto dir = std::filesystem::temp_directory_path() / ("lb-shell-" + name);
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  return dir.generic_string();
}

struct Failure {
  const char* verb;
  const char* file;  // "@" stands for the scratch folder
  int expected;
};

class ShellFailure : public testing::TestWithParam<Failure> {};

TEST_P(ShellFailure, GivesOurValue) {
  const std::string dir = Scratch("failure");
  std::string file = GetParam().file;
  if (!file.empty() && file[0] == '@') file = dir + file.substr(1);
  const HINSTANCE h = ShellExecuteA(nullptr, GetParam().verb, file.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  EXPECT_EQ(ShellExecuteResult(h), GetParam().expected) << file;
}

INSTANTIATE_TEST_SUITE_P(Cases, ShellFailure,
                         testing::Values(Failure{"open", "@/missing.exe", SE_ERR_FNF},
                                         Failure{nullptr, "@/no-folder/missing.exe", SE_ERR_PNF},
                                         Failure{"print", "@/missing.exe", SE_ERR_NOASSOC},
                                         Failure{"open", "", SE_ERR_FNF}));

// A batch file in a scratch folder writes its working folder and its argument; started
// without a folder, it runs in its own.
TEST(Shell, ProgramStartsInItsOwnFolderWithItsParameters) {
  const std::string dir = Scratch("start");
  const std::string script = dir + "/note start.cmd";
  std::ofstream(script) << "@echo off\r\ncd > started.txt\r\necho %~1>> started.txt\r\n";
  const std::string here = ExecutableFolder();
  const HINSTANCE h = ShellExecuteA(nullptr, "OPEN", script.c_str(), "\"two words\"", nullptr, SW_HIDE);
  ASSERT_EQ(ShellExecuteResult(h), kShellExecuteSuccess);
  std::string folder, argument;
  for (int i = 0; i < 200 && argument.empty(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    std::ifstream in(dir + "/started.txt");
    std::getline(in, folder);
    std::getline(in, argument);
  }
  EXPECT_EQ(argument, "two words");
  std::replace(folder.begin(), folder.end(), '\\', '/');
  EXPECT_TRUE(folder.size() >= dir.size() && std::equal(dir.rbegin(), dir.rend(), folder.rbegin(), [](char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
  })) << folder << " is not " << dir;
  EXPECT_EQ(ExecutableFolder(), here);
}

}  // namespace
