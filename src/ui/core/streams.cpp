#include "ui/core/streams.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

#ifdef _WIN32
#include "platform/native/native_file.h"
#endif

// ---------------------------------------------------------------------------------------
// TStream

std::int64_t TStream::Size() {
  std::int64_t pos = Seek(0, soCurrent);
  std::int64_t size = Seek(0, soEnd);
  Seek(pos, soBeginning);
  return size;
}

void TStream::SetSize(std::int64_t) { throw EStreamError("Stream size cannot be changed"); }

void TStream::ReadBuffer(void* buffer, std::int64_t count) {
  if (count < 0) throw EReadError("Stream read error");
  auto* p = static_cast<std::uint8_t*>(buffer);
  while (count > 0) {
    std::int64_t n = Read(p, count);
    if (n <= 0) throw EReadError("Stream read error");
    p += n;
    count -= n;
  }
}

void TStream::WriteBuffer(const void* buffer, std::int64_t count) {
  if (count < 0) throw EWriteError("Stream write error");
  auto* p = static_cast<const std::uint8_t*>(buffer);
  while (count > 0) {
    std::int64_t n = Write(p, count);
    if (n <= 0) throw EWriteError("Stream write error");
    p += n;
    count -= n;
  }
}

std::int64_t TStream::CopyFrom(TStream& source, std::int64_t count) {
  if (count == 0) {
    source.SetPosition(0);
    count = source.Size();
  }
  std::int64_t total = count;
  std::uint8_t buf[65536];
  while (count > 0) {
    std::int64_t n = std::min<std::int64_t>(count, sizeof buf);
    source.ReadBuffer(buf, n);
    WriteBuffer(buf, n);
    count -= n;
  }
  return total;
}

namespace {

// The new position of a seek, clamped at 0 below; offsets that would overflow stay put at
// the far end rather than wrapping.
std::int64_t SeekTarget(std::int64_t pos, std::int64_t size, std::int64_t offset, TSeekOrigin origin) {
  std::int64_t base = origin == soBeginning ? 0 : origin == soCurrent ? pos : size;
  std::int64_t r;
  if (__builtin_add_overflow(base, offset, &r)) r = offset < 0 ? 0 : INT64_MAX;
  return r < 0 ? 0 : r;
}

}  // namespace

// ---------------------------------------------------------------------------------------
// TMemoryStream

std::int64_t TMemoryStream::Read(void* buffer, std::int64_t count) {
  std::int64_t size = std::int64_t(data_.size());
  if (count <= 0 || pos_ >= size) return 0;
  std::int64_t n = std::min(count, size - pos_);
  std::memcpy(buffer, data_.data() + pos_, std::size_t(n));
  pos_ += n;
  return n;
}

std::int64_t TMemoryStream::Write(const void* buffer, std::int64_t count) {
  if (count <= 0) return 0;
  std::int64_t end;
  if (__builtin_add_overflow(pos_, count, &end)) throw EWriteError("Stream write error");
  if (end > std::int64_t(data_.size())) {
    try {
      data_.resize(std::size_t(end));
    } catch (const std::exception&) {
      throw EOutOfMemory("Out of memory");
    }
  }
  std::memcpy(data_.data() + pos_, buffer, std::size_t(count));
  pos_ = end;
  return count;
}

std::int64_t TMemoryStream::Seek(std::int64_t offset, TSeekOrigin origin) {
  pos_ = SeekTarget(pos_, std::int64_t(data_.size()), offset, origin);
  return pos_;
}

void TMemoryStream::SetSize(std::int64_t size) {
  if (size < 0) size = 0;
  try {
    data_.resize(std::size_t(size));
  } catch (const std::exception&) {
    throw EOutOfMemory("Out of memory");
  }
  if (pos_ > size) pos_ = size;
}

void TMemoryStream::Clear() {
  data_.clear();
  pos_ = 0;
}

void TMemoryStream::LoadFromStream(TStream& source) {
  source.SetPosition(0);
  std::int64_t size = source.Size();
  SetSize(size);
  pos_ = 0;
  if (size > 0) source.ReadBuffer(data_.data(), size);
}

void TMemoryStream::LoadFromFile(const std::string& fileName) {
  TFileStream f(fileName, fmOpenRead);
  LoadFromStream(f);
}

void TMemoryStream::SaveToStream(TStream& dest) {
  if (!data_.empty()) dest.WriteBuffer(data_.data(), std::int64_t(data_.size()));
}

void TMemoryStream::SaveToFile(const std::string& fileName) {
  TFileStream f(fileName, fmCreate);
  SaveToStream(f);
}

// ---------------------------------------------------------------------------------------
// TBytesStream

std::int64_t TBytesStream::Read(void* buffer, std::int64_t count) {
  if (count <= 0 || pos_ >= size_) return 0;
  std::int64_t n = std::min(count, size_ - pos_);
  std::memcpy(buffer, data_ + pos_, std::size_t(n));
  pos_ += n;
  return n;
}

std::int64_t TBytesStream::Write(const void*, std::int64_t) {
  throw EWriteError("Stream write error");
}

std::int64_t TBytesStream::Seek(std::int64_t offset, TSeekOrigin origin) {
  pos_ = SeekTarget(pos_, size_, offset, origin);
  return pos_;
}

// ---------------------------------------------------------------------------------------
// TFileStream

TFileStream::TFileStream(const std::string& fileName, unsigned mode) : fileName_(fileName) {
  int flags;
  bool create = (mode & 0xFF00u) == fmCreate;
  if (create) flags = O_RDWR | O_CREAT | O_TRUNC;
  else if ((mode & 3u) == fmOpenWrite) flags = O_WRONLY;
  else if ((mode & 3u) == fmOpenReadWrite) flags = O_RDWR;
  else flags = O_RDONLY;
#ifdef _WIN32
  fd_ = native::OpenFileDescriptor(fileName, flags, 0644);
#else
  // A file to read is opened without waiting: a FIFO would hold the open until a writer
  // came, and nothing of the program would run meanwhile. Only regular files are read.
  const bool reading = !create && (mode & 3u) != fmOpenWrite;
  fd_ = ::open(fileName.c_str(), flags | O_CLOEXEC | (reading ? O_NONBLOCK | O_NOCTTY : 0), 0644);
#endif
  if (fd_ >= 0 && !create) {
    // Opening a folder succeeds on POSIX but reading it fails later; say so now.
    struct stat st {};
    int refused = 0;
    if (fstat(fd_, &st) == 0 && S_ISDIR(st.st_mode)) refused = EISDIR;
#ifndef _WIN32
    else if (reading && !S_ISREG(st.st_mode)) refused = ENXIO;
#endif
    if (refused != 0) {
      ::close(fd_);
      fd_ = -1;
      errno = refused;
    }
  }
  if (fd_ < 0) {
    int err = errno;
    std::string path = SystemFileName(ExpandFileName(fileName));
    if (create)
      throw EFCreateError("Cannot create file \"" + path + "\". " + SysErrorMessage(err));
    throw EFOpenError("Cannot open file \"" + path + "\". " + SysErrorMessage(err));
  }
}

namespace {
// One read or write moves at most this much; callers loop over short counts anyway.
#ifdef _WIN32
unsigned IoCount(std::int64_t count) { return unsigned(std::min<std::int64_t>(count, 1 << 30)); }
#else
std::size_t IoCount(std::int64_t count) { return std::size_t(count); }
#endif
}  // namespace

TFileStream::~TFileStream() {
  if (fd_ >= 0) ::close(fd_);
}

std::int64_t TFileStream::Read(void* buffer, std::int64_t count) {
  if (count <= 0) return 0;
  for (;;) {
    ssize_t n = ::read(fd_, buffer, IoCount(count));
    if (n >= 0) return n;
    if (errno != EINTR) return 0;
  }
}

std::int64_t TFileStream::Write(const void* buffer, std::int64_t count) {
  if (count <= 0) return 0;
  for (;;) {
    ssize_t n = ::write(fd_, buffer, IoCount(count));
    if (n >= 0) return n;
    if (errno != EINTR) return 0;
  }
}

#ifdef _WIN32
// The C runtime's 64-bit positions: off_t and the plain calls stop at 2 GiB there.
namespace {
std::int64_t SeekTo(int fd, std::int64_t offset, int whence) { return ::_lseeki64(fd, offset, whence); }
std::int64_t SizeOf(int fd, std::int64_t fallback) {
  struct _stati64 st;
  return ::_fstati64(fd, &st) == 0 ? std::int64_t(st.st_size) : fallback;
}
int Truncate(int fd, std::int64_t size) {
  errno = ::_chsize_s(fd, size);
  return errno == 0 ? 0 : -1;
}
}  // namespace
#else
namespace {
std::int64_t SeekTo(int fd, std::int64_t offset, int whence) { return ::lseek(fd, off_t(offset), whence); }
std::int64_t SizeOf(int fd, std::int64_t fallback) {
  struct stat st;
  return fstat(fd, &st) == 0 ? std::int64_t(st.st_size) : fallback;
}
int Truncate(int fd, std::int64_t size) { return ::ftruncate(fd, off_t(size)); }
}  // namespace
#endif

std::int64_t TFileStream::Seek(std::int64_t offset, TSeekOrigin origin) {
  std::int64_t pos = SeekTo(fd_, 0, SEEK_CUR);
  std::int64_t size = origin == soEnd ? SizeOf(fd_, pos) : pos;
  std::int64_t target = SeekTarget(pos, size, offset, origin);
  std::int64_t r = SeekTo(fd_, target, SEEK_SET);
  return r < 0 ? pos : r;
}

void TFileStream::SetSize(std::int64_t size) {
  if (size < 0) size = 0;
  if (Truncate(fd_, size) != 0) throw EStreamError("Stream size cannot be changed. " + SysErrorMessage(errno));
  if (Position() > size) Seek(size, soBeginning);
}

// ---------------------------------------------------------------------------------------
// Resources

namespace {

// Keyed case-insensitively, as resource names are.
struct ResourceKeyLess {
  bool operator()(const std::string& a, const std::string& b) const { return CompareText(a, b) < 0; }
};

std::map<std::string, ResourceEntry, ResourceKeyLess>& ResourceTable() {
  static std::map<std::string, ResourceEntry, ResourceKeyLess> table;
  return table;
}

}  // namespace

void RegisterResource(const char* name, const std::uint8_t* data, std::size_t size) {
  if (!name) return;
  ResourceTable()[name] = ResourceEntry{name, data, size};
}

const ResourceEntry* FindResource(const std::string& name) {
  auto& t = ResourceTable();
  auto it = t.find(name);
  return it == t.end() ? nullptr : &it->second;
}

namespace {

const ResourceEntry& RequireResource(const std::string& name) {
  const ResourceEntry* e = FindResource(name);
  if (!e) throw EResNotFound("Resource " + name + " not found");
  return *e;
}

}  // namespace

TResourceStream::TResourceStream(const std::string& name)
    : TBytesStream(RequireResource(name).data, std::int64_t(RequireResource(name).size)) {}
