#include "outputfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "ui/core/sysutils.h"
#ifdef _WIN32
#include <io.h>
#include <process.h>

#include <atomic>

#include "platform/native/native_file.h"
#endif

#ifdef _WIN32
namespace {

constexpr std::size_t kBufferBytes = 64 * 1024;

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of("/\\");
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

}  // namespace

// The system has no permissions to carry over and no links to follow; the temporary file
// is made with an exclusive create under a name of this process's own.
TOutputFile::TOutputFile(const std::string& target) : target_(target), finalPath_(target) {
  buffer_.reserve(kBufferBytes);
  if (native::KindOf(target) == native::PathKind::kFolder) Fail(EISDIR);
  static std::atomic<unsigned> counter{0};
  for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
    const std::string candidate = FolderOf(finalPath_) + "/.pngtool-" + std::to_string(_getpid()) + "-" +
                                  std::to_string(counter.fetch_add(1));
    fd_ = native::OpenFileDescriptor(candidate, O_WRONLY | O_CREAT | O_EXCL, 0666);
    if (fd_ >= 0) tempPath_ = candidate;
    else if (errno != EEXIST) break;
  }
  if (fd_ < 0) Fail(errno);
}

TOutputFile::~TOutputFile() {
  if (fd_ >= 0) ::_close(fd_);
  if (!committed_ && !tempPath_.empty()) native::RemoveFile(tempPath_);
}

#else
namespace {

constexpr std::size_t kBufferBytes = 64 * 1024;

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// Permissions of a newly created file: what the user's umask allows of rw-rw-rw-.
unsigned NewFileMode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666u & ~unsigned(mask);
}

}  // namespace

TOutputFile::TOutputFile(const std::string& target) : target_(target), finalPath_(target) {
  buffer_.reserve(kBufferBytes);
  struct stat st {};
  const bool exists = ::stat(target.c_str(), &st) == 0;
  if (exists && S_ISDIR(st.st_mode)) Fail(EISDIR);
  if (exists && !S_ISREG(st.st_mode)) {
    fd_ = ::open(target.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd_ < 0) Fail(errno);
    return;
  }
  if (exists) {
    // Replacing a file keeps its permissions, and a link keeps pointing at the new file.
    mode_ = st.st_mode & 07777;
    char resolved[PATH_MAX];
    if (::realpath(target.c_str(), resolved) != nullptr) finalPath_ = resolved;
  } else {
    mode_ = NewFileMode();
  }
  // Same folder as the target, so the final rename stays on one file system.
  std::string pattern = FolderOf(finalPath_) + "/.pngtool-XXXXXX";
  fd_ = ::mkostemp(pattern.data(), O_CLOEXEC);
  if (fd_ < 0) Fail(errno);
  tempPath_ = pattern;
}

TOutputFile::~TOutputFile() {
  if (fd_ >= 0) ::close(fd_);
  if (!committed_ && !tempPath_.empty()) ::unlink(tempPath_.c_str());
}

#endif

void TOutputFile::Fail(int error) {
  const std::string text = SysErrorMessage(error);
  if (fd_ < 0 && tempPath_.empty()) throw EFCreateError("Cannot create file \"" + target_ + "\". " + text);
  throw EWriteError("Cannot write file \"" + target_ + "\". " + text);
}

void TOutputFile::Write(const void* data, std::size_t size) {
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  if (buffer_.size() + size > kBufferBytes) Flush();
  if (size >= kBufferBytes) {
    WriteAll(bytes, size);
    return;
  }
  buffer_.insert(buffer_.end(), bytes, bytes + size);
}

void TOutputFile::Flush() {
  WriteAll(buffer_.data(), buffer_.size());
  buffer_.clear();
}

void TOutputFile::WriteAll(const std::uint8_t* bytes, std::size_t size) {
  std::size_t done = 0;
  while (done < size) {
#ifdef _WIN32
    const int n = ::_write(fd_, bytes + done, unsigned(std::min<std::size_t>(size - done, 1u << 30)));
#else
    const ssize_t n = ::write(fd_, bytes + done, size - done);
#endif
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) Fail(n < 0 ? errno : ENOSPC);
    done += std::size_t(n);
  }
}

void TOutputFile::Commit() {
  Flush();
  if (tempPath_.empty()) {
    committed_ = true;
    return;
  }
#ifdef _WIN32
  const int fd = fd_;
  fd_ = -1;
  if (::_close(fd) != 0) Fail(errno);
  if (!native::RenameOver(tempPath_, finalPath_)) Fail(errno);
#else
  if (::fchmod(fd_, mode_) != 0) Fail(errno);
  // Some file systems (network ones) report a failed store only when the file is closed.
  const int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0) Fail(errno);
  if (::rename(tempPath_.c_str(), finalPath_.c_str()) != 0) Fail(errno);
#endif
  committed_ = true;
}
