// formc --reload: definitions go through the live components and back; formc's own
// output is a fixed point, and an unknown class is an error that names it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <unistd.h>

#include "support/posixcompat.h"

#include "pngimagelist/pngimagelist.h"
#include "pngil_util.h"
#include "ui/forms/formdoc.h"

namespace {

const std::string kFormc = std::string(LB_BINARY_DIR) + "/bin/formc";
const std::string kData = std::string(LB_SOURCE_DIR) + "/tests/apps/formc/data/";
// CTest runs the cases as processes of their own, side by side: a folder for each.
const std::string kOut = std::string(LB_BINARY_DIR) + "/formc-reload-test/" + std::to_string(getpid()) + "/";

class RemoveOutputFolder : public ::testing::Environment {
 public:
  void TearDown() override { std::filesystem::remove_all(kOut); }
};
[[maybe_unused]] const auto* const kRemoveOutputFolder = ::testing::AddGlobalTestEnvironment(new RemoveOutputFolder);

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A path as one word of a command line.
std::string Q(const std::string& path) {
#ifdef _WIN32
  return '"' + path + '"';
#else
  return "'" + path + "'";
#endif
}

// Runs formc with the arguments; returns its exit status, standard error in *err.
int Formc(const std::string& args, std::string* err = nullptr) {
  const std::string errFile = kOut + "stderr.txt";
  std::filesystem::create_directories(kOut);
#ifdef _WIN32
  // The command interpreter takes the whole line in quotes when it starts with a quote.
  const int rc = std::system(('"' + Q(kFormc) + " " + args + " 2>" + Q(errFile) + '"').c_str());
  if (err) *err = Slurp(errFile);
  return rc;
#else
  const int rc = std::system((Q(kFormc) + " " + args + " 2>" + Q(errFile)).c_str());
  if (err) *err = Slurp(errFile);
  return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
#endif
}

std::string Out(const std::string& name) { return Q(kOut + name); }

class FormcReload : public ::testing::TestWithParam<const char*> {};

TEST_P(FormcReload, OwnOutputIsAFixedPoint) {
  const std::string name = GetParam();
  const std::string text = name == "uidemo" ? std::string(LB_SOURCE_DIR) + "/apps/uidemo/uidemo.txt" : kData + name + ".txt";
  ASSERT_EQ(Formc(Q(text) + " " + Out(name + ".bin")), 0);
  std::string err;
  ASSERT_EQ(Formc("--reload " + Out(name + ".bin") + " " + Out(name + ".1.bin"), &err), 0) << err;
  const std::string once = Slurp(kOut + name + ".1.bin");
  // The components and the names of their event handlers survive.
  const TfObject doc = ReadTpf0(reinterpret_cast<const std::uint8_t*>(once.data()), once.size());
  if (name == "ListForm") {
    std::vector<std::string> children;
    for (const TfObject& c : doc.children) children.push_back(c.name);
    EXPECT_EQ(children, (std::vector<std::string>{"Pictures", "Tasks", "Close", "Menu"}));
    const TfProperty* onCreate = doc.FindProperty("OnCreate");
    ASSERT_NE(onCreate, nullptr);
    EXPECT_EQ(onCreate->value.text, "FormCreate");
    ASSERT_NE(doc.children[3].children.size(), 0u);
    EXPECT_NE(doc.children[3].children[0].FindProperty("OnClick"), nullptr);
  }
  // Reading formc's own output needs PNG items written with their pixels.
  if (name != "uidemo" && !pngil::EncoderKeepsPixels()) GTEST_SKIP() << "waits for the PNG encoder behind the IDAT chunk";
  ASSERT_EQ(Formc("--reload " + Out(name + ".1.bin") + " " + Out(name + ".2.bin"), &err), 0) << err;
  EXPECT_EQ(Slurp(kOut + name + ".2.bin"), once);
}

INSTANTIATE_TEST_SUITE_P(Definitions, FormcReload, ::testing::Values("uidemo", "ListForm", "LoneList", "ButtonForm"));

TEST(FormcReloadErrors, UnknownClassesAreNamed) {
  std::string err;
  ASSERT_EQ(Formc(Q(kData + "ListForm.txt") + " " + Out("list.bin")), 0);
  std::string bytes = Slurp(kOut + "list.bin");
  // The root's class name and a child's, each renamed to a class nobody registered.
  for (const char* from : {"TForm", "TButton"}) {
    std::string changed = bytes;
    const std::size_t at = changed.find(std::string(1, char(std::strlen(from))) + from);
    ASSERT_NE(at, std::string::npos);
    changed[at + 1] = 'X';
    std::ofstream(kOut + "unknown.bin", std::ios::binary) << changed;
    EXPECT_EQ(Formc("--reload " + Out("unknown.bin") + " " + Out("unknown.out"), &err), 1);
    EXPECT_NE(err.find(std::string("Class X") + (from + 1) + " not found"), std::string::npos) << err;
  }
  EXPECT_EQ(Formc("--reload " + Out("missing.bin") + " " + Out("x.bin"), &err), 1);
  EXPECT_EQ(Formc("--reload --to-text a b"), 2);
}

}  // namespace
