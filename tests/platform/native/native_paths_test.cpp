// Paths are UTF-8 inside the program and UTF-16 at the system: a name outside any code
// page must reach the same file through every reader, and ours comes back with '/'.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "platform/native/native_file.h"
#include "platform/os/os.h"
#include "platform/profile/profile.h"
#include "ui/core/streams.h"

namespace {

const std::string kContent = "[SYSTEM]\nName=Brimlow\n";

// A folder and file whose names need UTF-16: Greek, Cyrillic and a CJK character.
struct Place {
  std::string folder, file;
};

Place MakePlace() {
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / std::filesystem::path(u8"lb-\u03b1\u0436\u4e2d");
  std::filesystem::create_directories(dir);
  const std::filesystem::path file = dir / std::filesystem::path(u8"l\u00e4me \u20ac.dll");
  std::ofstream(file, std::ios::binary) << kContent;
  const std::u8string folder = dir.generic_u8string(), name = file.generic_u8string();
  return {std::string(folder.begin(), folder.end()), std::string(name.begin(), name.end())};
}

struct Reader {
  const char* name;
  std::function<std::string(const std::string&)> read;  // "" when the file was not reached
};

class Utf8Path : public testing::TestWithParam<Reader> {};

TEST_P(Utf8Path, ReachesTheFile) {
  const Place p = MakePlace();
  EXPECT_EQ(GetParam().read(p.file), "Brimlow") << p.file;
  EXPECT_EQ(GetParam().read(p.folder + "/missing.dll"), "");
}

INSTANTIATE_TEST_SUITE_P(
    Readers, Utf8Path,
    testing::Values(
        Reader{"profile", [](const std::string& f) { return ReadProfileString("SYSTEM", "Name", "", f); }},
        Reader{"stream",
               [](const std::string& f) -> std::string {
                 try {
                   TFileStream s(f, fmOpenRead);
                   std::string text(std::size_t(s.Size()), '\0');
                   s.ReadBuffer(text.data(), std::int64_t(text.size()));
                   return text == kContent ? "Brimlow" : "wrong bytes";
                 } catch (const EFOpenError&) {
                   return "";
                 }
               }},
        Reader{"exists", [](const std::string& f) { return PathExists(f) ? "Brimlow" : ""; }},
        Reader{"size",
               [](const std::string& f) {
                 return native::FileSize(f) == std::int64_t(kContent.size()) ? "Brimlow" : "";
               }},
        Reader{"c stream",
               [](const std::string& f) -> std::string {
                 std::FILE* s = native::OpenFileStream(f, "r");
                 if (!s) return "";
                 char buf[64] = {};
                 const std::size_t n = std::fread(buf, 1, sizeof buf, s);
                 std::fclose(s);
                 // Binary whatever the mode says: the line ends stay single bytes.
                 return std::string(buf, n) == kContent ? "Brimlow" : "wrong bytes";
               }}),
    [](const testing::TestParamInfo<Reader>& info) {
      std::string n = info.param.name;
      for (char& c : n)
        if (c == ' ') c = '_';
      return n;
    });

TEST(Utf8Path, WrittenStreamReplacesInOneStep) {
  const Place p = MakePlace();
  const std::u8string name = u8"/\u00fcber.tmp";
  const std::string temp = p.folder + std::string(name.begin(), name.end());
  {
    TFileStream s(temp, fmCreate);
    s.WriteBuffer("[SYSTEM]\r\nName=Quorrel\r\n", 24);
  }
  ASSERT_TRUE(native::RenameOver(temp, p.file));
  EXPECT_FALSE(PathExists(temp));
  EXPECT_EQ(ReadProfileString("SYSTEM", "Name", "", p.file), "Quorrel");
  EXPECT_EQ(native::KindOf(p.folder), native::PathKind::kFolder);
}

TEST(Utf8Path, CurrentFolderAndModulePathUseSlashes) {
  for (const std::string& path : {native::CurrentFolder(), native::ModulePath()}) {
    ASSERT_GT(path.size(), 2u);
    EXPECT_EQ(path[1], ':') << path;
    EXPECT_EQ(path.find('\\'), std::string::npos) << path;
  }
}

}  // namespace
