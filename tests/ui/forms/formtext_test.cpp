#include "ui/forms/formtext.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "embedded_resources.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

std::string DataDir() { return std::string(LB_SOURCE_DIR) + "/tests/ui/forms/data"; }

std::string ReadText(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(FormText, RealisticFormRoundTripsByteForByte) {
  std::vector<std::string> files;
  TfObject doc = ParseFormText(ReadText(DataDir() + "/TestForm.txt"), DataDir(), &files);
  Bytes first = WriteTpf0(doc);
  ASSERT_EQ(files.size(), 2u);
  EXPECT_EQ(files[0], DataDir() + "/art/data.png");

  std::string text = FormatFormText(ReadTpf0(first.data(), first.size()));
  Bytes second = WriteTpf0(ParseFormText(text, ""));
  EXPECT_EQ(first, second) << text;
  EXPECT_EQ(FormatFormText(ReadTpf0(second.data(), second.size())), text);

  // formc compiled the same form into the test program at build time.
  RegisterEmbeddedResources_ui_forms_tests();
  const ResourceEntry* res = FindResource("TESTFORM");
  ASSERT_NE(res, nullptr);
  EXPECT_EQ(Bytes(res->data, res->data + res->size), first);
  const ResourceEntry* raw = FindResource("RAWART");
  ASSERT_NE(raw, nullptr);
  std::string png = ReadText(DataDir() + "/art/music.png");
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(raw->data), raw->size), png);

  std::filesystem::path dir = std::filesystem::path(LB_BINARY_DIR) / "fuzz-seeds" / "fuzz_forms";
  std::filesystem::create_directories(dir);
  std::ofstream(dir / "testform.bin", std::ios::binary).write(reinterpret_cast<const char*>(first.data()), std::streamsize(first.size()));
}

TEST(FormText, ReadsTheValuesItMeans) {
  TfObject doc = ParseFormText(
      "object F: TForm // comment\n"
      "  A = 127\n  B = 128\n  C = -129\n  D = 40000\n  E = 3000000000\n  G = $FF\n  H = -$10\n"
      "  I = 'it''s'#13#10'x' + 'y' + #$41\n"
      "  J = 1.5\n  K = 2.25s\n  L = 0.5d\n  M = -12.3456c\n"
      "  N = [a, 'b c']\n  O = (1, 'two' three)\n  P = <item [@int32 4] X = 1 end>\n  Q = {0aFf}\n"
      "  object = 1\n  end = 2\n  R = TRUE\n  S = nil\n  T = @ident 'nil'\n"
      "  object Child: TPanel [2] end\n"
      "end\n",
      "");
  auto v = [&](const char* name) { return doc.FindProperty(name)->value; };
  EXPECT_EQ(v("A").type, vaInt8);
  EXPECT_EQ(v("B").type, vaInt16);
  EXPECT_EQ(v("C").type, vaInt16);
  EXPECT_EQ(v("D").type, vaInt32);
  EXPECT_EQ(v("E").type, vaInt64);
  EXPECT_EQ(v("G").integer, 255);
  EXPECT_EQ(v("H").integer, -16);
  EXPECT_EQ(v("I").text, "it's\r\nxyA");
  EXPECT_EQ(v("J").type, vaExtended);
  EXPECT_EQ(v("J").AsDouble(), 1.5);
  EXPECT_EQ(v("K").type, vaSingle);
  EXPECT_EQ(v("K").AsDouble(), 2.25);
  EXPECT_EQ(v("L").type, vaDate);
  EXPECT_EQ(v("M").integer, -123456);
  EXPECT_EQ(v("N").names, (std::vector<std::string>{"a", "b c"}));
  ASSERT_EQ(v("O").list.size(), 3u);
  EXPECT_EQ(v("O").list[2].type, vaIdent);
  ASSERT_EQ(v("P").items.size(), 1u);
  EXPECT_EQ(v("P").items[0].index.type, vaInt32);
  EXPECT_EQ(v("Q").bytes, (Bytes{0x0A, 0xFF}));
  EXPECT_EQ(v("object").integer, 1);
  EXPECT_EQ(v("end").integer, 2);
  EXPECT_EQ(v("R").type, vaTrue);
  EXPECT_EQ(v("S").type, vaNil);
  EXPECT_EQ(v("T").type, vaIdent);
  ASSERT_EQ(doc.children.size(), 1u);
  EXPECT_TRUE(doc.children[0].hasFlags);
  EXPECT_EQ(doc.children[0].flags, ffChildPos);
  EXPECT_EQ(doc.children[0].position.integer, 2);
}

struct ErrorCase {
  const char* text;
  int line;
  int column;
  const char* message;
};

void PrintTo(const ErrorCase& c, std::ostream* os) { *os << c.text; }
class TextErrors : public testing::TestWithParam<ErrorCase> {};

TEST_P(TextErrors, NameLineAndColumn) {
  const ErrorCase& c = GetParam();
  try {
    ParseFormText(c.text, DataDir());
    FAIL() << "accepted: " << c.text;
  } catch (const EFormTextError& e) {
    EXPECT_EQ(e.Line(), c.line) << e.Message();
    EXPECT_EQ(e.Column(), c.column) << e.Message();
    EXPECT_NE(e.Detail().find(c.message), std::string::npos) << e.Message();
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TextErrors,
    testing::Values(ErrorCase{"", 1, 1, "Identifier expected"},
                    ErrorCase{"thing A: B\nend", 1, 1, "'object' expected"},
                    ErrorCase{"object A: B\n  X = 'abc\nend", 2, 7, "Unterminated string"},
                    ErrorCase{"object A: B\n  X = 1\n", 3, 1, "'end' expected"},
                    ErrorCase{"object A: B\n  X = @int8 300\nend", 2, 13, "out of range"},
                    ErrorCase{"object A: B\n  X = @bogus 1\nend", 2, 7, "Unknown directive '@bogus'"},
                    ErrorCase{"object A: B\n  X = {ABC}\nend", 2, 10, "Odd number"},
                    ErrorCase{"object A: B\n  X = {AB\n  Y = 1\nend", 3, 3, "Hexadecimal digit expected"},
                    ErrorCase{"object A: B\n  X = 'a' + #300\nend", 2, 7, "Character code out of range"},
                    ErrorCase{"object A: B\n  X = @file 'missing.png'\nend", 2, 13, "Cannot open file"},
                    ErrorCase{"object A: B\n  X = 99999999999999999999\nend", 2, 7, "Integer out of range"},
                    ErrorCase{"object A: B\n  X = 1.5x\nend", 2, 10, "Invalid character"},
                    ErrorCase{"object A: B\n  X = 1.23456c\nend", 2, 7, "at most 4 decimals"},
                    ErrorCase{"object A: B\n  X = 1e999\nend", 2, 7, "out of range"},
                    ErrorCase{"object A: B\n  X = (@null)\nend", 2, 8, "may not hold @null"},
                    ErrorCase{"object A: B\n  X = < thing >\nend", 2, 9, "'item' or '>' expected"},
                    ErrorCase{"object A: B\n  X = ?\nend", 2, 7, "Unexpected character '?'"},
                    ErrorCase{"object A: B @flags $F2\nend", 1, 20, "disagree"},
                    ErrorCase{"object A: B\nend\nobject", 3, 1, "Text after the final 'end'"},
                    ErrorCase{"object A: B\n  X = @ext $0011\nend", 2, 12, "Expected 20 hexadecimal digits"}));

TEST(FormText, NestingIsBounded) {
  std::string deep = "object A: B\n X = " + std::string(100000, '(') + "\nend";
  EXPECT_THROW(ParseFormText(deep, ""), EFormTextError);
  std::string objects;
  for (int i = 0; i < 70; ++i) objects += "object A: B\n";
  for (int i = 0; i < 70; ++i) objects += "end\n";
  EXPECT_THROW(ParseFormText(objects, ""), EFormTextError);
}

TEST(FormText, ExternalBinariesAreWrittenAsFileReferences) {
  TfObject doc = ParseFormText("object A: B\n  Data = {0102}\n  Other = {}\nend\n", "");
  TFormTextOptions options;
  std::vector<std::string> paths;
  options.externalBinary = [&](const std::string& path, const Bytes& bytes) {
    paths.push_back(path);
    return bytes.empty() ? std::string() : std::string("art/x.bin");
  };
  std::string text = FormatFormText(doc, options);
  EXPECT_NE(text.find("Data = @file 'art/x.bin'"), std::string::npos) << text;
  EXPECT_NE(text.find("Other = {}"), std::string::npos) << text;
  EXPECT_EQ(paths, (std::vector<std::string>{"A.Data", "A.Other"}));
}

TEST(Formc, ReportsFileLineAndColumn) {
  std::string dir = std::string(LB_BINARY_DIR) + "/formc-test";
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  {
    std::ofstream(dir + "/bad.txt") << "object A: B\n  X = 'oops\nend\n";
  }
  std::string cmd = std::string(LB_BINARY_DIR) + "/bin/formc " + dir + "/bad.txt " + dir + "/bad.bin 2>" + dir + "/err.txt";
  EXPECT_NE(std::system(cmd.c_str()), 0);
#ifdef _WIN32
  const char* lineEnd = "\r\n";  // the C runtime's text mode on standard error
#else
  const char* lineEnd = "\n";
#endif
  EXPECT_EQ(ReadText(dir + "/err.txt"), "formc: " + dir + "/bad.txt:2:7: Unterminated string" + lineEnd);

  // text -> binary -> text (with files extracted) -> binary gives the same bytes.
  std::string formc = std::string(LB_BINARY_DIR) + "/bin/formc ";
  ASSERT_EQ(std::system((formc + DataDir() + "/TestForm.txt " + dir + "/a.bin").c_str()), 0);
  ASSERT_EQ(std::system((formc + "--to-text --extract " + dir + "/art " + dir + "/a.bin " + dir + "/b.txt").c_str()), 0);
  ASSERT_EQ(std::system((formc + dir + "/b.txt " + dir + "/b.bin").c_str()), 0);
  EXPECT_EQ(ReadText(dir + "/a.bin"), ReadText(dir + "/b.bin"));
  EXPECT_NE(ReadText(dir + "/b.txt").find("@file 'art/"), std::string::npos);
}

}  // namespace
