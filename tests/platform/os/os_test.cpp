#include "platform/os/os.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

namespace {

#ifdef _WIN32
std::tm* LocalTime(const std::time_t* t, std::tm* out) { return ::localtime_s(out, t) == 0 ? out : nullptr; }

// The system's record of the program, in our form: a drive, '/' between folders, the
// build's own bin folder (Wine shows the host's root as drive Z:).
TEST(Os, ExecutablePathIsThisTestProgram) {
  const std::string path = ExecutablePath();
  ASSERT_GT(path.size(), 3u);
  EXPECT_EQ(path[1], ':') << path;
  EXPECT_EQ(path.find('\\'), std::string::npos) << path;
  EXPECT_TRUE(PathExists(path)) << path;
  const std::string tail = "/bin/test_platform_os.exe";
  ASSERT_GT(path.size(), tail.size());
  EXPECT_EQ(path.substr(path.size() - tail.size()), tail) << path;
  EXPECT_EQ(ExecutableFolder(), path.substr(0, path.size() - tail.size() + 5));
  EXPECT_FALSE(PathExists(path + ".missing"));
}
#else
std::tm* LocalTime(const std::time_t* t, std::tm* out) { return ::localtime_r(t, out); }

TEST(Os, ExecutablePathIsThisTestProgram) {
  const std::string path = ExecutablePath();
  ASSERT_FALSE(path.empty());
  EXPECT_EQ(path.front(), '/');
  struct stat mine {}, reported {};
  ASSERT_EQ(::stat("/proc/self/exe", &mine), 0);
  ASSERT_EQ(::stat(path.c_str(), &reported), 0);
  EXPECT_EQ(mine.st_ino, reported.st_ino);
  EXPECT_EQ(mine.st_dev, reported.st_dev);
  EXPECT_NE(path.find("test_platform_os"), std::string::npos) << path;
}

TEST(Os, ExecutableFolderEndsInSeparatorAndHoldsTheProgram) {
  const std::string folder = ExecutableFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder.back(), PathSeparator);
  EXPECT_EQ(ExecutablePath().compare(0, folder.size(), folder), 0);
  EXPECT_EQ(ExecutablePath().find('/', folder.size()), std::string::npos);
  char* binaries = ::realpath(LB_BINARY_DIR "/bin", nullptr);
  ASSERT_NE(binaries, nullptr);
  EXPECT_EQ(folder, std::string(binaries) + "/");
  std::free(binaries);
}
#endif

struct FolderCase {
  const char* folder;
  const char* expected;
};

void PrintTo(const FolderCase& c, std::ostream* os) { *os << '"' << c.folder << '"'; }

class OsFolderWithSeparator : public testing::TestWithParam<FolderCase> {};

TEST_P(OsFolderWithSeparator, AppendsOneSeparatorOnlyWhenMissing) {
  EXPECT_EQ(FolderWithSeparator(GetParam().folder), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Folders, OsFolderWithSeparator,
                         testing::Values(FolderCase{"/opt/suite", "/opt/suite/"},
                                         FolderCase{"/", "/"}, FolderCase{"/a/", "/a/"},
                                         FolderCase{"/a//", "/a//"},
                                         FolderCase{"relative dir", "relative dir/"}));

TEST(Os, LocalDateIsToday) {
  // Read the clock on both sides, so a midnight between the reads cannot fail the test.
  for (int attempt = 0; attempt < 2; ++attempt) {
    std::tm before{};
    const std::time_t t = std::time(nullptr);
    ASSERT_NE(LocalTime(&t, &before), nullptr);
    const LocalDateParts today = LocalDate();
    std::tm after{};
    const std::time_t t2 = std::time(nullptr);
    ASSERT_NE(LocalTime(&t2, &after), nullptr);
    if (before.tm_mday != after.tm_mday) continue;
    EXPECT_EQ(today.year, before.tm_year + 1900);
    EXPECT_EQ(today.month, before.tm_mon + 1);
    EXPECT_EQ(today.day, before.tm_mday);
    EXPECT_GE(today.month, 1);
    EXPECT_LE(today.month, 12);
    return;
  }
  FAIL() << "the date kept changing";
}

TEST(Os, CommonControlsAreVersionSixAndFixedOnceRead) {
  EXPECT_EQ(CommonControlsVersion(), 0x00060000u);
  EXPECT_FALSE(SetCommonControlsVersion(0x00050052));
  EXPECT_EQ(CommonControlsVersion(), 0x00060000u);
}

TEST(Os, VersionRecordIsWin32Sized) {
  EXPECT_EQ(sizeof(OSVERSIONINFOA), 148u);
  EXPECT_EQ(offsetof(OSVERSIONINFOA, dwPlatformId), 16u);
  EXPECT_EQ(offsetof(OSVERSIONINFOA, szCSDVersion), 20u);
}

TEST(Os, VersionIsNtSixOneWhichHasIconAlpha) {
  OSVERSIONINFOA info;
  std::memset(&info, 0xCC, sizeof info);
  info.dwOSVersionInfoSize = 148;
  ASSERT_EQ(GetVersionExA(&info), TRUE);
  EXPECT_EQ(info.dwOSVersionInfoSize, 148u);
  EXPECT_EQ(info.dwPlatformId, 2u);
  EXPECT_EQ(info.dwMajorVersion, 6u);
  EXPECT_EQ(info.dwMinorVersion, 1u);
  EXPECT_LT(std::strlen(info.szCSDVersion), sizeof info.szCSDVersion);
  // The image lists' alpha test: NT family, above 5, or 5 with minor at least 1.
  const bool alpha =
      info.dwPlatformId == 2 &&
      (info.dwMajorVersion > 5 || (info.dwMajorVersion == 5 && info.dwMinorVersion >= 1));
  EXPECT_TRUE(alpha);
}

TEST(Os, VersionRefusesWrongSizeAndNull) {
  OSVERSIONINFOA info;
  std::memset(&info, 0xCC, sizeof info);
  info.dwOSVersionInfoSize = 100;
  EXPECT_EQ(GetVersionExA(&info), FALSE);
  EXPECT_EQ(info.dwMajorVersion, 0xCCCCCCCCu) << "a refused record must stay untouched";
  EXPECT_EQ(GetVersionExA(nullptr), FALSE);
}

TEST(Os, ModuleFileNameIsTheExecutablePath) {
  const std::string path = ExecutablePath();
  char out[4096];
  EXPECT_EQ(GetModuleFileNameA(nullptr, out, sizeof out), path.size());
  EXPECT_EQ(std::string(out), path);

  char small[8];
  std::memset(small, 'X', sizeof small);
  EXPECT_EQ(GetModuleFileNameA(nullptr, small, 5), 5u) << "a cut path reports the buffer size";
  EXPECT_EQ(std::string(small), path.substr(0, 4));
  EXPECT_EQ(small[5], 'X');

  EXPECT_EQ(GetModuleFileNameA(nullptr, out, 0), 0u);
  int other = 0;
  EXPECT_EQ(GetModuleFileNameA(&other, out, sizeof out), 0u);
}

}  // namespace
