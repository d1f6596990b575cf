#include "platform/profile/profile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#ifdef _WIN32
#include <process.h>
#endif

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

using namespace std::string_literals;

// A private folder for the profile files one test writes.
class TempFolder {
 public:
#ifdef _WIN32
  TempFolder() {
    static int serial = 0;
    const auto dir = std::filesystem::temp_directory_path() /
                     ("lb-profile-" + std::to_string(::_getpid()) + "-" + std::to_string(serial++));
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    path_ = ec ? "" : dir.generic_string();
  }
  ~TempFolder() {
    std::error_code ec;
    if (!path_.empty()) std::filesystem::remove_all(path_, ec);
  }
#else
  TempFolder() {
    char name[] = "/tmp/lb-profile-XXXXXX";
    path_ = ::mkdtemp(name) != nullptr ? name : "";
  }
  ~TempFolder() {
    if (!path_.empty()) std::system(("rm -rf '" + path_ + "'").c_str());
  }
#endif
  std::string Write(const std::string& name, const std::string& bytes) const {
    const std::string file = path_ + "/" + name;
    std::ofstream(file, std::ios::binary) << bytes;
    return file;
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

struct LookupCase {
  const char* name;
  std::string text;
  const char* section;
  const char* key;
  const char* defaultValue;
  std::string expected;
};

void PrintTo(const LookupCase& c, std::ostream* os) { *os << c.name; }

class ProfileLookup : public testing::TestWithParam<LookupCase> {};

// Every case goes through a real file and through the in-memory reader; both must agree.
TEST_P(ProfileLookup, ReturnsValueOrDefault) {
  const LookupCase& c = GetParam();
  TempFolder folder;
  const std::string file = folder.Write("lame.dll", c.text);

  char out[kProfileValueBufferSize];
  std::memset(out, 'X', sizeof out);
  const DWORD n = GetPrivateProfileStringA(c.section, c.key, c.defaultValue, out, sizeof out,
                                           file.c_str());
  EXPECT_EQ(std::string(out, n), c.expected);
  EXPECT_EQ(out[n], '\0');

  char mem[kProfileValueBufferSize];
  const DWORD m = GetProfileStringFromText(c.text, c.section, c.key, c.defaultValue, mem,
                                           sizeof mem);
  EXPECT_EQ(std::string(mem, m), c.expected);
}

const LookupCase kLookupCases[] = {
    {"Plain", "[SYSTEM]\nName=Burn Suite\n", "SYSTEM", "Name", "", "Burn Suite"},
    {"BlanksAroundValue", "[SYSTEM]\nName =  \t Burn Suite \t  \n", "SYSTEM", "Name", "",
     "Burn Suite"},
    {"DoubleQuotes", "[SYSTEM]\nName = \"  Burn Suite \"\n", "SYSTEM", "Name", "",
     "  Burn Suite "},
    {"SingleQuotes", "[SYSTEM]\nName='Burn Suite'\n", "SYSTEM", "Name", "", "Burn Suite"},
    {"QuotesInsideBlanks", "[SYSTEM]\nName=   \"Burn\"   \n", "SYSTEM", "Name", "", "Burn"},
    {"MixedQuotesKept", "[SYSTEM]\nName=\"Burn'\n", "SYSTEM", "Name", "", "\"Burn'"},
    {"OpeningQuoteOnlyKept", "[SYSTEM]\nName=\"Burn\n", "SYSTEM", "Name", "", "\"Burn"},
    {"ClosingQuoteOnlyKept", "[SYSTEM]\nName=Burn'\n", "SYSTEM", "Name", "", "Burn'"},
    {"OnePairOnly", "[SYSTEM]\nName=\"\"Burn\"\"\n", "SYSTEM", "Name", "", "\"Burn\""},
    {"LoneQuoteKept", "[SYSTEM]\nName=\"\n", "SYSTEM", "Name", "", "\""},
    {"EmptyQuotes", "[SYSTEM]\nName=\"\"\n", "SYSTEM", "Name", "dflt", ""},
    {"EmptyValueIsNotDefault", "[SYSTEM]\nName=\n", "SYSTEM", "Name", "dflt", ""},
    {"SectionOtherCase", "[system]\nName=x\n", "SYSTEM", "Name", "", "x"},
    {"KeyOtherCase", "[SYSTEM]\nnAmE=x\n", "SYSTEM", "NAME", "", "x"},
    {"RequestOtherCase", "[SYSTEM]\nName=x\n", "sYsTeM", "name", "", "x"},
    {"EqualsInValue", "[SYSTEM]\nName=a=b = c\n", "SYSTEM", "Name", "", "a=b = c"},
    {"MissingSection", "[OTHER]\nName=x\n", "SYSTEM", "Name", "dflt", "dflt"},
    {"MissingKey", "[SYSTEM]\nVersion=1\n", "SYSTEM", "Name", "dflt", "dflt"},
    {"NullDefault", "[SYSTEM]\n", "SYSTEM", "Name", nullptr, ""},
    {"DefaultTrailingBlanksDropped", "", "SYSTEM", "Name", "dflt \t ", "dflt"},
    {"DefaultLeadingBlanksKept", "", "SYSTEM", "Name", "  dflt", "  dflt"},
    {"CrLf", "[SYSTEM]\r\nVersion=1\r\nName=Burn\r\n", "SYSTEM", "Name", "", "Burn"},
    {"CrOnly", "[SYSTEM]\rName=Burn\r", "SYSTEM", "Name", "", "Burn"},
    {"NoFinalNewline", "[SYSTEM]\nName=Burn", "SYSTEM", "Name", "", "Burn"},
    {"Bom", "\xEF\xBB\xBF[SYSTEM]\nName=Burn\n", "SYSTEM", "Name", "", "Burn"},
    {"SemicolonComment", "[SYSTEM]\n;Name=wrong\n  ; Name=wrong\nName=right\n", "SYSTEM", "Name",
     "", "right"},
    {"HashComment", "# top\n[SYSTEM]\n#Name=wrong\nName=right\n", "SYSTEM", "Name", "", "right"},
    {"BlankAndGarbageLines", "junk\n\n[SYSTEM]\n\n   \n\t\nno equals here\n]]\nName=x\n",
     "SYSTEM", "Name", "", "x"},
    {"BlanksBeforeEquals", "[SYSTEM]\n  Name \t = x\n", "SYSTEM", "Name", "", "x"},
    {"HeaderWithBlanks", "  [  SYSTEM \t]  \nName=x\n", "SYSTEM", "Name", "", "x"},
    {"HeaderWithTrailingText", "[SYSTEM] ; the product\nName=x\n", "SYSTEM", "Name", "", "x"},
    {"UnclosedHeaderIsNoHeader", "[OTHER]\n[SYSTEM\nName=x\n", "SYSTEM", "Name", "dflt", "dflt"},
    {"DuplicateKeyFirstWins", "[SYSTEM]\nName=first\nName=second\n", "SYSTEM", "Name", "",
     "first"},
    {"DuplicateSectionFirstWins", "[SYSTEM]\nName=first\n[SYSTEM]\nName=second\n", "SYSTEM",
     "Name", "", "first"},
    {"KeyOnlyInLaterDuplicateSection", "[SYSTEM]\nVersion=1\n[system]\nName=second\n", "SYSTEM",
     "Name", "dflt", "dflt"},
    {"KeyBeforeAnySectionIgnored", "Name=stray\n[SYSTEM]\nVersion=1\n", "SYSTEM", "Name", "dflt",
     "dflt"},
    {"KeyInOtherSectionIgnored", "[OTHER]\nName=x\n[SYSTEM]\nVersion=1\n", "SYSTEM", "Name",
     "dflt", "dflt"},
    {"SectionEndsAtNextHeader", "[SYSTEM]\nVersion=1\n[OTHER]\nName=x\n", "SYSTEM", "Name",
     "dflt", "dflt"},
    {"KeyPrefixIsNoMatch", "[SYSTEM]\nNames=x\nNam=y\n", "SYSTEM", "Name", "dflt", "dflt"},
    {"SectionPrefixIsNoMatch", "[SYSTEMS]\nName=x\n", "SYSTEM", "Name", "dflt", "dflt"},
    {"NulInOtherLine", "[SYSTEM]\nJunk=a\0b\nName=x\n"s, "SYSTEM", "Name", "", "x"},
    {"NulEndsValue", "[SYSTEM]\nName=ab\0cd\n"s, "SYSTEM", "Name", "", "ab"},
    {"NulInKeyName", "[SYSTEM]\nNa\0me=x\n"s, "SYSTEM", "Name", "dflt", "dflt"},
    {"TabsInsideValueKept", "[SYSTEM]\nName=a\tb\t\n", "SYSTEM", "Name", "", "a\tb"},
    {"EmptyFile", "", "SYSTEM", "Name", "dflt", "dflt"},
};

INSTANTIATE_TEST_SUITE_P(Cases, ProfileLookup, testing::ValuesIn(kLookupCases),
                         [](const testing::TestParamInfo<LookupCase>& info) {
                           return std::string(info.param.name);
                         });

TEST(Profile, MissingFileGivesDefault) {
  TempFolder folder;
  const std::string missing = folder.path() + "/none/lame.dll";
  char out[16];
  EXPECT_EQ(GetPrivateProfileStringA("SYSTEM", "Name", "dflt", out, sizeof out, missing.c_str()),
            4u);
  EXPECT_STREQ(out, "dflt");
  EXPECT_EQ(ReadProfileString("SYSTEM", "Name", "", missing), "");
  EXPECT_EQ(GetPrivateProfileStringA("SYSTEM", "Name", "dflt", out, sizeof out, nullptr), 4u);
  EXPECT_EQ(GetPrivateProfileStringA("SYSTEM", "Name", "dflt", out, sizeof out, ""), 4u);
}

TEST(Profile, FolderOrPipeGivesDefaultWithoutBlocking) {
  TempFolder folder;
  EXPECT_EQ(ReadProfileString("SYSTEM", "Name", "dflt", folder.path()), "dflt");
#ifdef _WIN32
  EXPECT_EQ(ReadProfileString("SYSTEM", "Name", "dflt", "NUL"), "dflt") << "a device is no profile";
#else
  const std::string fifo = folder.path() + "/fifo";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(ReadProfileString("SYSTEM", "Name", "dflt", fifo), "dflt");
#endif
}

TEST(Profile, LongValueIsCutTo2047AndTerminated) {
  TempFolder folder;
  const std::string value(3000, 'v');
  const std::string file = folder.Write("lame.dll", "[SYSTEM]\nName=" + value + "\n");
  char out[kProfileValueBufferSize + 1];
  std::memset(out, 'X', sizeof out);
  EXPECT_EQ(GetPrivateProfileStringA("SYSTEM", "Name", "", out, kProfileValueBufferSize,
                                     file.c_str()),
            2047u);
  EXPECT_EQ(std::string(out, 2047), value.substr(0, 2047));
  EXPECT_EQ(out[2047], '\0');
  EXPECT_EQ(out[2048], 'X') << "wrote past the buffer";
  EXPECT_EQ(ReadProfileString("SYSTEM", "Name", "", file), value.substr(0, 2047));
}

TEST(Profile, LongDefaultIsCutToo) {
  const std::string longDefault(3000, 'd');
  EXPECT_EQ(ReadProfileString("SYSTEM", "Name", longDefault, "/nonexistent/lame.dll"),
            longDefault.substr(0, 2047));
}

struct BufferCase {
  DWORD size;
  DWORD expectedCount;
  const char* expected;
};

void PrintTo(const BufferCase& c, std::ostream* os) { *os << "size " << c.size; }

class ProfileSmallBuffer : public testing::TestWithParam<BufferCase> {};

TEST_P(ProfileSmallBuffer, CutsAndTerminates) {
  const BufferCase& c = GetParam();
  char out[32];
  std::memset(out, 'X', sizeof out);
  EXPECT_EQ(GetProfileStringFromText("[SYSTEM]\nName=Burn Suite\n", "SYSTEM", "Name", "", out,
                                     c.size),
            c.expectedCount);
  EXPECT_STREQ(out, c.expected);
  EXPECT_EQ(out[c.size], 'X') << "wrote past the buffer";
}

INSTANTIATE_TEST_SUITE_P(Sizes, ProfileSmallBuffer,
                         testing::Values(BufferCase{1, 0, ""}, BufferCase{2, 1, "B"},
                                         BufferCase{4, 3, "Bur"}, BufferCase{10, 9, "Burn Suit"},
                                         BufferCase{11, 10, "Burn Suite"},
                                         BufferCase{31, 10, "Burn Suite"}));

TEST(Profile, ZeroSizeOrNullBufferWritesNothing) {
  char out[4] = {'X', 'X', 'X', 'X'};
  EXPECT_EQ(GetProfileStringFromText("[S]\nk=v\n", "S", "k", "", out, 0), 0u);
  EXPECT_EQ(out[0], 'X');
  EXPECT_EQ(GetProfileStringFromText("[S]\nk=v\n", "S", "k", "", nullptr, 4), 0u);
}

TEST(Profile, EnumerationFormsGiveEmpty) {
  char out[16];
  std::memset(out, 'X', sizeof out);
  EXPECT_EQ(GetProfileStringFromText("[S]\nk=v\n", nullptr, "k", "dflt", out, sizeof out), 0u);
  EXPECT_STREQ(out, "");
  std::memset(out, 'X', sizeof out);
  EXPECT_EQ(GetProfileStringFromText("[S]\nk=v\n", "S", nullptr, "dflt", out, sizeof out), 0u);
  EXPECT_STREQ(out, "");
}

TEST(Profile, LinesLongerThanAnyBufferAreSkippedOrCut) {
  TempFolder folder;
  const std::string longLine(200000, 'g');
  const std::string file = folder.Write(
      "lame.dll", longLine + "\n[SYSTEM]\n" + longLine + "\nJunk=" + longLine + "\nName=x\n");
  EXPECT_EQ(ReadProfileString("SYSTEM", "Name", "", file), "x");
  EXPECT_EQ(ReadProfileString("SYSTEM", "Junk", "", file), longLine.substr(0, 2047));
}

TEST(Profile, HugeFileIsReadOnlyUpToTheCap) {
  TempFolder folder;
  std::string text = "[SYSTEM]\nName=early\n";
  text.append(kProfileMaxFileBytes - text.size() - 4, '\n');
  text += "Version=late\n";  // straddles the cap, so it is absent
  const std::string file = folder.Write("lame.dll", text);
  EXPECT_EQ(ReadProfileString("SYSTEM", "Name", "", file), "early");
  EXPECT_EQ(ReadProfileString("SYSTEM", "Version", "none", file), "none");
}

}  // namespace
