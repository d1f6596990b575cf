#include "outputfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "ui/core/sysutils.h"

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
    const ssize_t n = ::write(fd_, bytes + done, size - done);
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
  if (::fchmod(fd_, mode_) != 0) Fail(errno);
  // Some file systems (network ones) report a failed store only when the file is closed.
  const int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0) Fail(errno);
  if (::rename(tempPath_.c_str(), finalPath_.c_str()) != 0) Fail(errno);
  committed_ = true;
}
