#include "ui/core/streams.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct SeekCase {
  std::int64_t start;
  std::int64_t offset;
  TSeekOrigin origin;
  std::int64_t expect;
};
class MemorySeek : public ::testing::TestWithParam<SeekCase> {};

TEST_P(MemorySeek, ClampsBelowZeroOnly) {
  TMemoryStream m(std::vector<std::uint8_t>(10, 1));
  m.SetPosition(GetParam().start);
  EXPECT_EQ(m.Seek(GetParam().offset, GetParam().origin), GetParam().expect);
  EXPECT_EQ(m.Position(), GetParam().expect);
}

INSTANTIATE_TEST_SUITE_P(Table, MemorySeek,
                         ::testing::Values(SeekCase{0, 4, soBeginning, 4}, SeekCase{0, -4, soBeginning, 0},
                                           SeekCase{5, 2, soCurrent, 7}, SeekCase{5, -7, soCurrent, 0},
                                           SeekCase{0, -3, soEnd, 7}, SeekCase{0, -30, soEnd, 0},
                                           SeekCase{0, 5, soEnd, 15},  // past the end is allowed
                                           SeekCase{3, INT64_MAX, soCurrent, INT64_MAX}));

TEST(MemoryStream, ReadWriteAndEnd) {
  TMemoryStream m;
  m.WriteBuffer("hello", 5);
  EXPECT_EQ(m.Size(), 5);
  m.Seek(-2, soCurrent);
  m.WriteBuffer("LOX", 3);  // overwrites and grows
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(m.Memory()), 6), "helLOX");
  char buf[8] = {};
  m.SetPosition(4);
  EXPECT_EQ(m.Read(buf, 8), 2);
  EXPECT_EQ(m.Read(buf, 8), 0);  // at the end
  m.SetPosition(100);
  EXPECT_EQ(m.Read(buf, 8), 0);  // after the end
  EXPECT_THROW(m.ReadBuffer(buf, 1), EReadError);
  m.SetPosition(8);
  m.WriteBuffer("!", 1);  // writing past the end fills the gap with zeros
  EXPECT_EQ(m.Size(), 9);
  EXPECT_EQ(m.Memory()[7], 0);
  m.SetSize(3);
  EXPECT_EQ(m.Position(), 3);
}

TEST(BytesStream, ReadOnly) {
  const char data[] = "abc";
  TBytesStream b(data, 3);
  char c;
  b.Seek(-1, soEnd);
  EXPECT_EQ(b.Read(&c, 1), 1);
  EXPECT_EQ(c, 'c');
  EXPECT_THROW(b.WriteBuffer("x", 1), EWriteError);
}

TEST(FileStream, OpenErrorNamesAbsolutePathAndSystemText) {
  const std::string rel = "no-such-folder-xyz/missing.png";
  // Named as the system writes it ('\\' between folders on Windows).
  std::string abs = (std::filesystem::current_path() / rel).make_preferred().string();
  try {
    TFileStream f(rel, fmOpenRead);
    FAIL();
  } catch (const EFOpenError& e) {
    EXPECT_STREQ(e.ClassName(), "EFOpenError");
    EXPECT_EQ(std::string(e.what()), "Cannot open file \"" + abs + "\". " + std::strerror(ENOENT));
  }
  try {
    TFileStream f("./" + rel, fmCreate);
    FAIL();
  } catch (const EFCreateError& e) {
    // "./" folded away: the message names the file's real place.
    EXPECT_EQ(std::string(e.what()), "Cannot create file \"" + abs + "\". " + std::strerror(ENOENT));
  }
}

TEST(FileStream, WriteReadSeekSize) {
  std::string path = std::string(LB_BINARY_DIR) + "/ui_core_stream_test.bin";
  {
    TFileStream f(path, fmCreate);
    f.WriteBuffer("0123456789", 10);
    EXPECT_EQ(f.Size(), 10);
  }
  TFileStream f(path, fmOpenRead);
  char buf[4] = {};
  EXPECT_EQ(f.Seek(-3, soEnd), 7);
  EXPECT_EQ(f.Read(buf, 4), 3);
  EXPECT_EQ(std::string(buf, 3), "789");
  EXPECT_EQ(f.Read(buf, 4), 0);
  EXPECT_EQ(f.Seek(-100, soCurrent), 0);
  TMemoryStream m;
  m.LoadFromFile(path);
  EXPECT_EQ(m.Size(), 10);
  std::remove(path.c_str());
  EXPECT_THROW(TFileStream(std::string(LB_BINARY_DIR), fmOpenRead), EFOpenError);  // a folder
#ifndef _WIN32
  // A FIFO is refused, also with a writer there (without one, opening it would wait).
  ::mkfifo(LB_BINARY_DIR "/ui_core_stream_test.fifo", 0600);  // one left from a run before does too
  const int writer = ::open(LB_BINARY_DIR "/ui_core_stream_test.fifo", O_RDWR | O_NONBLOCK);
  EXPECT_THROW(TFileStream(LB_BINARY_DIR "/ui_core_stream_test.fifo", fmOpenRead), EFOpenError);
  ::close(writer);
#endif
}

TEST(ResourceStream, FindsRegisteredBytesCaseInsensitively) {
  static const std::uint8_t bytes[] = {1, 2, 3};
  RegisterResource("TEST_RES_A", bytes, sizeof bytes);
  TResourceStream r("test_res_a");
  EXPECT_EQ(r.Size(), 3);
  std::uint8_t b[3];
  r.ReadBuffer(b, 3);
  EXPECT_EQ(b[2], 3);
  EXPECT_THROW(TResourceStream("NOPE"), EResNotFound);
}

}  // namespace
