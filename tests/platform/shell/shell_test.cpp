#include "platform/shell/shell.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using Strings = std::vector<std::string>;

// A file name that any shell would take apart: blanks, both quotes, ";", a command
// substitution and backticks.
const char kNastyName[] = "run me \"dq\" 'sq' ; $(touch pwned) `touch pwned`.sh";
const char kNastyParameters[] = "a b; touch pwned $(touch pwned) `touch pwned` \"q\" 'r' | & > x";

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

bool Exists(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0;
}

void WriteFile(const std::string& path, const std::string& bytes, mode_t mode) {
  std::ofstream(path, std::ios::binary) << bytes;
  ASSERT_EQ(::chmod(path.c_str(), mode), 0) << path;
}

// Waits until a started program has written its record; "" after ten seconds.
std::string WaitForFile(const std::string& path) {
  for (int i = 0; i < 1000; ++i) {
    if (Exists(path)) return ReadAll(path);
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return {};
}

Strings LinesWithPrefix(const std::string& record, const std::string& prefix) {
  Strings out;
  std::istringstream in(record);
  for (std::string line; std::getline(in, line);) {
    if (line.compare(0, prefix.size(), prefix) == 0) out.push_back(line.substr(prefix.size()));
  }
  return out;
}

std::string Field(const std::string& record, const std::string& name) {
  const Strings v = LinesWithPrefix(record, name + "=");
  return v.empty() ? "<missing>" : v.front();
}

// Children of this process that have ended and not been reaped.
int ZombieChildren() {
  int zombies = 0;
  DIR* proc = ::opendir("/proc");
  if (proc == nullptr) return 0;
  const std::string me = std::to_string(::getpid());
  while (dirent* e = ::readdir(proc)) {
    const std::string stat = ReadAll(std::string("/proc/") + e->d_name + "/stat");
    const std::size_t close = stat.rfind(')');
    if (close == std::string::npos) continue;
    std::istringstream rest(stat.substr(close + 1));
    std::string state, ppid;
    rest >> state >> ppid;
    if (ppid == me && state == "Z") ++zombies;
  }
  ::closedir(proc);
  return zombies;
}

std::intptr_t Open(const std::string& file, const char* parameters = nullptr,
                   const char* directory = nullptr, const char* verb = "open") {
  return ShellExecuteResult(
      ShellExecuteA(nullptr, verb, file.c_str(), parameters, directory, SW_SHOWDEFAULT));
}

// Every test gets a private folder, a stand-in xdg-open first on PATH and a probe log.
// SIGUSR1 ignored and SIGUSR2 blocked here show whether a started program starts clean.
class Shell : public testing::Test {
 protected:
  void SetUp() override {
    char name[] = "/tmp/lb-shell-XXXXXX";
    ASSERT_NE(::mkdtemp(name), nullptr);
    dir_ = name;
    bin_ = dir_ + "/bin";
    ASSERT_EQ(::mkdir(bin_.c_str(), 0755), 0);
    ASSERT_EQ(::symlink(SHELL_PROBE, (bin_ + "/xdg-open").c_str()), 0);
    log_ = dir_ + "/probe.log";
    const char* path = std::getenv("PATH");
    oldPath_ = path != nullptr ? path : "";
    ::setenv("PATH", (bin_ + ":" + oldPath_).c_str(), 1);
    ::setenv("LB_PROBE_LOG", log_.c_str(), 1);
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    ::sigaction(SIGUSR1, &ignore, &oldUsr1_);
    sigset_t usr2;
    sigemptyset(&usr2);
    sigaddset(&usr2, SIGUSR2);
    ::sigprocmask(SIG_BLOCK, &usr2, &oldMask_);
    char cwd[4096];
    ASSERT_NE(::getcwd(cwd, sizeof cwd), nullptr);
    cwd_ = cwd;
  }
  void TearDown() override {
    ::setenv("PATH", oldPath_.c_str(), 1);
    ::unsetenv("LB_PROBE_LOG");
    ::sigaction(SIGUSR1, &oldUsr1_, nullptr);
    ::sigprocmask(SIG_SETMASK, &oldMask_, nullptr);
    EXPECT_FALSE(Exists(cwd_ + "/pwned")) << "a shell interpreted a name";
    if (!dir_.empty()) std::system(("rm -rf '" + dir_ + "'").c_str());
  }

  // A copy of the probe under `name` in `folder` (created), with the execute bit.
  std::string ProbeCopy(const std::string& folder, const std::string& name) {
    ::mkdir(folder.c_str(), 0755);
    const std::string path = folder + "/" + name;
    WriteFile(path, ReadAll(SHELL_PROBE), 0755);
    return path;
  }

  std::string Record() { return WaitForFile(log_); }

  void ExpectNothingInterpreted(const std::string& folder) {
    EXPECT_FALSE(Exists(folder + "/pwned"));
    EXPECT_FALSE(Exists(dir_ + "/pwned"));
  }

  std::string dir_, bin_, log_, oldPath_, cwd_;
  struct sigaction oldUsr1_ {};
  sigset_t oldMask_{};
};

TEST_F(Shell, NastyProgramNameIsStartedLiterallyInItsFolder) {
  const std::string folder = dir_ + "/tools; $(x) 'q'";
  const std::string program = ProbeCopy(folder, kNastyName);
  const int inheritable = ::dup(0);  // as one a launching program left open
  ASSERT_EQ(Open(program), kShellExecuteSuccess);
  ::close(inheritable);
  const std::string record = Record();
  ASSERT_FALSE(record.empty()) << "the program never ran";
  EXPECT_EQ(LinesWithPrefix(record, "arg="), Strings{program});
  EXPECT_EQ(Field(record, "cwd"), folder);
  EXPECT_EQ(Field(record, "session_leader"), "1");
  EXPECT_EQ(Field(record, "sigusr1_default"), "1");
  EXPECT_EQ(Field(record, "sigusr2_blocked"), "0");
  EXPECT_EQ(Field(record, "fds_above_stderr"), "0");
  ExpectNothingInterpreted(folder);
}

TEST_F(Shell, NastyScriptNameReachesTheScriptLiterally) {
  const std::string folder = dir_ + "/a b";
  ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
  const std::string script = folder + "/" + kNastyName;
  const std::string scriptLog = dir_ + "/script.log";
  WriteFile(script,
            "#!/bin/sh\n{ printf '%s\\n' \"$0\"; for a in \"$@\"; do printf '%s\\n' \"$a\"; done; }"
            " > '" + scriptLog + ".part' && mv '" + scriptLog + ".part' '" + scriptLog + "'\n",
            0755);
  ASSERT_EQ(Open(script, kNastyParameters), kShellExecuteSuccess);
  EXPECT_EQ(WaitForFile(scriptLog), script + "\n" + kNastyParameters + "\n");
  ExpectNothingInterpreted(folder);
}

TEST_F(Shell, ParametersArriveAsOneLiteralArgument) {
  const std::string program = ProbeCopy(dir_ + "/p", "tool");
  ASSERT_EQ(Open(program, kNastyParameters), kShellExecuteSuccess);
  EXPECT_EQ(LinesWithPrefix(Record(), "arg="), (Strings{program, kNastyParameters}));
  ExpectNothingInterpreted(dir_ + "/p");
}

TEST_F(Shell, EmptyParametersAddNoArgument) {
  const std::string program = ProbeCopy(dir_ + "/p", "tool");
  ASSERT_EQ(Open(program, ""), kShellExecuteSuccess);
  EXPECT_EQ(LinesWithPrefix(Record(), "arg="), Strings{program});
}

TEST_F(Shell, WorkingFolderGivenIsUsed) {
  const std::string program = ProbeCopy(dir_ + "/p", "tool");
  ASSERT_EQ(Open(program, nullptr, bin_.c_str()), kShellExecuteSuccess);
  EXPECT_EQ(Field(Record(), "cwd"), bin_);
}

struct OpenerCase {
  const char* name;
  const char* target;  // "@" stands for the test's private folder
  bool document;       // target is a file written by the test without the execute bit
};

void PrintTo(const OpenerCase& c, std::ostream* os) { *os << c.name; }

class ShellOpener : public Shell, public testing::WithParamInterface<OpenerCase> {};

TEST_P(ShellOpener, TargetGoesToXdgOpenAsOneArgument) {
  const OpenerCase& c = GetParam();
  std::string target = c.target;
  if (target[0] == '@') target = dir_ + target.substr(1);
  if (c.document) WriteFile(target, "#!/bin/sh\ntouch pwned\n", 0644);
  ASSERT_EQ(Open(target), kShellExecuteSuccess);
  const std::string record = Record();
  EXPECT_EQ(LinesWithPrefix(record, "arg="), (Strings{"xdg-open", target}));
  EXPECT_EQ(Field(record, "cwd"), cwd_);
  ExpectNothingInterpreted(dir_);
}

INSTANTIATE_TEST_SUITE_P(
    Targets, ShellOpener,
    testing::Values(OpenerCase{"Https", "https://example.org/a b?x=1&y=$(touch pwned)", false},
                    OpenerCase{"Http", "http://example.org/", false},
                    OpenerCase{"Mailto", "mailto:x@y", false},
                    OpenerCase{"FileAddress", "file:///tmp/x", false},
                    OpenerCase{"Document", "@/read me; $(touch pwned).txt", true},
                    OpenerCase{"Folder", "@/bin", false}),
    [](const testing::TestParamInfo<OpenerCase>& info) { return std::string(info.param.name); });

struct FailureCase {
  const char* name;
  const char* verb;
  const char* file;  // "@" stands for the test's private folder; null stays null
  const char* directory;
  std::intptr_t expected;
};

void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.name; }

class ShellFailure : public Shell, public testing::WithParamInterface<FailureCase> {};

TEST_P(ShellFailure, ReturnsErrorValue) {
  const FailureCase& c = GetParam();
  WriteFile(dir_ + "/plain.txt", "text", 0644);
  WriteFile(dir_ + "/garbage.exe", "touch pwned\n", 0755);
  auto place = [&](const char* s) -> std::string {
    return s != nullptr && s[0] == '@' ? dir_ + (s + 1) : s != nullptr ? s : "";
  };
  const std::string file = place(c.file);
  const std::string directory = place(c.directory);
  const std::intptr_t result = ShellExecuteResult(
      ShellExecuteA(nullptr, c.verb, c.file != nullptr ? file.c_str() : nullptr, nullptr,
                    c.directory != nullptr ? directory.c_str() : nullptr, SW_SHOW));
  EXPECT_EQ(result, c.expected);
  EXPECT_LE(result, 32);
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_FALSE(Exists(log_)) << "something was started";
  ExpectNothingInterpreted(dir_);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ShellFailure,
    testing::Values(
        FailureCase{"MissingFile", "open", "@/missing.exe", nullptr, SE_ERR_FNF},
        FailureCase{"MissingFolder", "open", "@/nowhere/tool.exe", nullptr, SE_ERR_PNF},
        FailureCase{"FileAsFolder", "open", "@/plain.txt/tool.exe", nullptr, SE_ERR_PNF},
        FailureCase{"NullFile", "open", nullptr, nullptr, SE_ERR_FNF},
        FailureCase{"EmptyFile", "open", "", nullptr, SE_ERR_FNF},
        FailureCase{"OtherVerb", "print", "@/plain.txt", nullptr, SE_ERR_NOASSOC},
        FailureCase{"MissingWorkingFolder", "open", "@/plain.txt", "@/nowhere", SE_ERR_PNF},
        FailureCase{"WorkingFolderIsFile", "open", "@/plain.txt", "@/plain.txt", SE_ERR_PNF},
        FailureCase{"NotAProgramIsNeverShellRun", "open", "@/garbage.exe", nullptr,
                    ERROR_BAD_FORMAT},
        FailureCase{"Device", "open", "/dev/null", nullptr, SE_ERR_ACCESSDENIED}),
    [](const testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.name); });

TEST_F(Shell, NoOpenerOnPathGivesNoAssociation) {
  const std::string empty = dir_ + "/empty";
  ASSERT_EQ(::mkdir(empty.c_str(), 0755), 0);
  // A relative entry does not count, even where it would find an opener.
  ::setenv("PATH", (empty + ":bin").c_str(), 1);
  ASSERT_EQ(::chdir(dir_.c_str()), 0);
  const std::intptr_t result = Open("https://example.org/");
  ASSERT_EQ(::chdir(cwd_.c_str()), 0);
  EXPECT_EQ(result, SE_ERR_NOASSOC);
}

TEST_F(Shell, VerbIsOpenWhenNullOrEmptyOrOtherCase) {
  const std::string program = ProbeCopy(dir_ + "/p", "tool");
  for (const char* verb : {static_cast<const char*>(nullptr), "", "OPEN"}) {
    ::unlink(log_.c_str());
    ASSERT_EQ(Open(program, nullptr, nullptr, verb), kShellExecuteSuccess);
    EXPECT_EQ(LinesWithPrefix(Record(), "arg="), Strings{program});
  }
}

TEST_F(Shell, LeavesNoChildBehind) {
  const std::string program = ProbeCopy(dir_ + "/p", "tool");
  ASSERT_EQ(Open(program), kShellExecuteSuccess);
  ASSERT_EQ(Open("mailto:x@y"), kShellExecuteSuccess);
  // The helper child is reaped before the call returns; the program is not our child.
  errno = 0;
  EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
  EXPECT_EQ(errno, ECHILD);
  ASSERT_FALSE(Record().empty());
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_EQ(ZombieChildren(), 0);
}

}  // namespace
