// pngtool as a script meets it: every failure is one "error CLASS: MESSAGE" line on
// standard error with exit status 1, and an output file appears whole or not at all.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <csignal>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Bytes = std::string;

void Put32(Bytes& b, std::uint32_t v) {
  for (int s = 24; s >= 0; s -= 8) b += char(v >> s & 0xFF);
}
void Chunk(Bytes& png, const char* type, const Bytes& body) {
  Put32(png, std::uint32_t(body.size()));
  const Bytes typed = type + body;
  png += typed;
  Put32(png, std::uint32_t(crc32(0, reinterpret_cast<const Bytef*>(typed.data()), uInt(typed.size()))));
}
// An 8-bit PNG whose rows (`raw`, without filter bytes) are stored unfiltered.
Bytes Png(std::uint32_t w, std::uint32_t h, int colorType, const Bytes& raw, const Bytes& plte = "",
          const Bytes& trns = "") {
  Bytes ihdr;
  Put32(ihdr, w);
  Put32(ihdr, h);
  ihdr += {char(8), char(colorType), 0, 0, 0};
  Bytes rows;
  const std::size_t stride = raw.size() / h;
  for (std::uint32_t y = 0; y < h; ++y) rows += '\0' + raw.substr(y * stride, stride);
  Bytes z(compressBound(uLong(rows.size())), '\0');
  uLongf zn = uLongf(z.size());
  compress2(reinterpret_cast<Bytef*>(z.data()), &zn, reinterpret_cast<const Bytef*>(rows.data()), uLong(rows.size()), 1);
  Bytes png = "\x89PNG\r\n\x1a\n";
  Chunk(png, "IHDR", ihdr);
  if (!plte.empty()) Chunk(png, "PLTE", plte);
  if (!trns.empty()) Chunk(png, "tRNS", trns);
  Chunk(png, "IDAT", z.substr(0, zn));
  Chunk(png, "IEND", "");
  return png;
}

const Bytes kRgba = Bytes("\xFF\x00\x00\xFF\x00\xFF\x00\x80\x00\x00\xFF\x00\x10\x20\x30\x40\xFF\xFF\xFF\xFF\x00\x00\x00\xFF", 24);
const Bytes kPam32 = "P7\nWIDTH 3\nHEIGHT 2\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n";

struct Outcome {
  int status = -1;
  std::string out, err;
  long maxRssKb = 0;
};

std::string ReadAll(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

class PngTool : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = (fs::temp_directory_path() / ("pngtool-test-" + std::to_string(getpid()))).string();
    fs::remove_all(dir_);
    fs::create_directories(dir_ + "/sub");
    Write("good.png", Png(3, 2, 6, kRgba));
    Write("big.png", Png(64, 64, 6, Bytes(64 * 64 * 4, '\x7F')));
    Write("bad.png", "not a picture at all");
    Write("cut.png", Png(3, 2, 6, kRgba).substr(0, 40));
    Write("old.pam", "old");
  }
  void TearDown() override {
    fs::remove_all(dir_);
    fs::remove(dir_ + ".out");
    fs::remove(dir_ + ".err");
  }
  void Write(const std::string& name, const Bytes& bytes) { std::ofstream(dir_ + "/" + name, std::ios::binary) << bytes; }
  std::set<std::string> Entries() const {
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(dir_)) names.insert(e.path().filename().string());
    return names;
  }
  // "{dir}" in an argument stands for the test's folder.
  std::string Expand(std::string s) const {
    for (std::size_t at; (at = s.find("{dir}")) != std::string::npos;) s.replace(at, 5, dir_);
    return s;
  }
  Outcome Run(std::vector<std::string> args, const char* stdoutTo = nullptr, rlim_t maxFileBytes = 0) {
    args.insert(args.begin(), PNGTOOL);
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back((a = Expand(a)).data());
    argv.push_back(nullptr);
    const std::string out = stdoutTo ? stdoutTo : dir_ + ".out", err = dir_ + ".err";
    const pid_t pid = fork();
    if (pid == 0) {
      dup2(open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 1);
      dup2(open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 2);
      if (maxFileBytes) {
        const rlimit limit{maxFileBytes, maxFileBytes};
        setrlimit(RLIMIT_FSIZE, &limit);
        signal(SIGXFSZ, SIG_IGN);  // the write then fails with EFBIG, like a full disk
      }
      execv(argv[0], argv.data());
      _exit(127);
    }
    Outcome o;
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    o.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    o.maxRssKb = usage.ru_maxrss;
    if (!stdoutTo) o.out = ReadAll(out);
    o.err = ReadAll(err);
    return o;
  }
  std::string dir_;
};

struct FailCase {
  const char* name;
  std::vector<std::string> args;
  int status;
  std::string error;  // the whole line, or its start when it ends in "..."
  const char* stdoutTo = nullptr;
  rlim_t maxFileBytes = 0;
};

void PrintTo(const FailCase& c, std::ostream* os) { *os << c.name; }

class Fails : public PngTool, public ::testing::WithParamInterface<FailCase> {};

TEST_P(Fails, WithOneLineAndNothingLeftBehind) {
  const FailCase& c = GetParam();
  const std::set<std::string> before = Entries();
  const Outcome o = Run(c.args, c.stdoutTo, c.maxFileBytes);
  EXPECT_EQ(o.status, c.status);
  const std::string want = Expand(c.error);
  if (want.size() > 3 && want.compare(want.size() - 3, 3, "...") == 0)
    EXPECT_EQ(o.err.substr(0, want.size() - 3), want.substr(0, want.size() - 3)) << o.err;
  else
    EXPECT_EQ(o.err, want + "\n");
  EXPECT_EQ(std::count(o.err.begin(), o.err.end(), '\n'), 1) << o.err;
  EXPECT_EQ(Entries(), before) << "a file was left behind or removed";
  EXPECT_EQ(ReadAll(dir_ + "/old.pam"), "old");
  struct stat st {};
  EXPECT_TRUE(stat("/dev/full", &st) == 0 && S_ISCHR(st.st_mode)) << "the device was replaced";
}

INSTANTIATE_TEST_SUITE_P(
    PngTool, Fails,
    ::testing::Values(
        FailCase{"MissingInput", {"decode", "{dir}/none.png", "{dir}/old.pam"}, 1,
                 "error EFOpenError: Cannot open file \"{dir}/none.png\". No such file or directory"},
        FailCase{"FolderInput", {"info", "{dir}/sub"}, 1, "error EFOpenError: Cannot open file \"{dir}/sub\". Is a directory"},
        FailCase{"NotAPng", {"decode", "{dir}/bad.png", "{dir}/old.pam"}, 1, "error EPngInvalidFileHeader: The file..."},
        FailCase{"CutShort", {"decode", "{dir}/cut.png", "{dir}/old.pam"}, 1, "error EPngUnexpectedEnd: This..."},
        FailCase{"FullDisk", {"decode", "{dir}/good.png", "/dev/full"}, 1,
                 "error EWriteError: Cannot write file \"/dev/full\". No space left on device"},
        FailCase{"FileSizeLimit", {"decode", "{dir}/big.png", "{dir}/new.pam"}, 1,
                 "error EWriteError: Cannot write file \"{dir}/new.pam\". File too large", nullptr, 1000},
        FailCase{"FileSizeLimitOverOld", {"decode", "{dir}/big.png", "{dir}/old.pam"}, 1,
                 "error EWriteError: Cannot write file \"{dir}/old.pam\". File too large", nullptr, 1000},
        FailCase{"TargetIsAFolder", {"decode", "{dir}/good.png", "{dir}/sub"}, 1,
                 "error EFCreateError: Cannot create file \"{dir}/sub\". Is a directory"},
        FailCase{"TargetFolderMissing", {"decode", "{dir}/good.png", "{dir}/none/out.pam"}, 1,
                 "error EFCreateError: Cannot create file \"{dir}/none/out.pam\". No such file or directory"},
        FailCase{"StandardOutputFull", {"info", "{dir}/good.png"}, 1,
                 "error EWriteError: Cannot write to the standard output. No space left on device", "/dev/full"},
        FailCase{"RepeatNotANumber", {"time", "{dir}/good.png", "x"}, 1, "error EConvertError: ..."},
        FailCase{"EncodeNotAPam", {"encode", "{dir}/good.png", "{dir}/out.png"}, 1,
                 "error EReadError: Not a PAM file this tool reads: no P7 signature"},
        FailCase{"RecodeLevelOutOfRange", {"recode", "{dir}/good.png", "{dir}/out.png", "--level", "10"}, 1,
                 "error EConvertError: Bad option: --level takes 0 to 9"},
        FailCase{"Usage", {"decode", "{dir}/good.png"}, 2,
                 "usage: pngtool info FILE | decode FILE OUT.pam | time FILE [REPEAT] | "
                 "encode IN.pam OUT.png [--level N] [--filters none,sub,up,avg,paeth|all] | "
                 "recode IN.png OUT.png [--level N] [--filters none,sub,up,avg,paeth|all]"}),
    [](const ::testing::TestParamInfo<FailCase>& info) { return std::string(info.param.name); });

TEST_F(PngTool, DecodeWritesTheWholeFileAndKeepsTheTargetsPermissions) {
  Write("pal.png", Png(3, 1, 3, Bytes("\0\1\2", 3), Bytes("\xFF\0\0\0\xFF\0\0\0\xFF", 9), Bytes("\0\x80", 2)));
  chmod((dir_ + "/old.pam").c_str(), 0640);
  const Outcome o = Run({"decode", "{dir}/good.png", "{dir}/old.pam"});
  EXPECT_EQ(o.status, 0);
  EXPECT_EQ(o.err, "");
  EXPECT_EQ(ReadAll(dir_ + "/old.pam"), kPam32 + kRgba);
  struct stat st {};
  stat((dir_ + "/old.pam").c_str(), &st);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_EQ(Run({"decode", "{dir}/pal.png", "{dir}/pal.pam"}).status, 0);
  EXPECT_EQ(ReadAll(dir_ + "/pal.pam"), "P7\nWIDTH 3\nHEIGHT 1\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n" +
                                            Bytes("\xFF\0\0\0\0\xFF\0\x80\0\0\xFF\xFF", 12));
  EXPECT_EQ(Run({"decode", "{dir}/good.png", "/dev/null"}).status, 0);
  EXPECT_EQ(Entries(), (std::set<std::string>{"bad.png", "big.png", "cut.png", "good.png", "old.pam", "pal.pam",
                                             "pal.png", "sub"}));
}

TEST_F(PngTool, EncodeAndRecodeGiveBackTheDecodedPixels) {
  ASSERT_EQ(Run({"decode", "{dir}/good.png", "{dir}/a.pam"}).status, 0);
  for (const char* filters : {"none", "paeth", "all"}) {
    ASSERT_EQ(Run({"encode", "{dir}/a.pam", "{dir}/e.png", "--filters", filters, "--level", "9"}).status, 0) << filters;
    ASSERT_EQ(Run({"recode", "{dir}/e.png", "{dir}/r.png", "--filters", filters}).status, 0) << filters;
    ASSERT_EQ(Run({"decode", "{dir}/r.png", "{dir}/b.pam"}).status, 0) << filters;
    EXPECT_EQ(ReadAll(dir_ + "/b.pam"), kPam32 + kRgba) << filters;
  }
}

// Address checking keeps freed memory and shadow bytes, so peaks are measured without it.
#if defined(__SANITIZE_ADDRESS__)
#define LB_ADDRESS_CHECKED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define LB_ADDRESS_CHECKED 1
#endif
#endif
#ifndef LB_ADDRESS_CHECKED
TEST_F(PngTool, DecodePeaksAtAboutTheImagesOwnStorage) {
  // 4096 x 4096 RGBA: 48 MiB of 24-bit pixels plus a 16 MiB alpha plane. A second full
  // copy of the output would add another 64 MiB.
  Write("huge.png", Png(4096, 4096, 6, Bytes(std::size_t(4096) * 4096 * 4, '\0')));
  const Outcome o = Run({"decode", "{dir}/huge.png", "/dev/null"});
  ASSERT_EQ(o.status, 0) << o.err;
  EXPECT_LT(o.maxRssKb, (64 + 16) * 1024) << "peak resident size in KiB";
}
#endif

}  // namespace
