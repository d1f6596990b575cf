// File access through the wide C runtime and Win32 calls, so that paths outside the
// system's code page reach the right file.
#include "platform/native/native_file.h"

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <vector>

#include "platform/native/native_internal.h"

namespace native {
namespace {

// errno for the last Win32 error of a file call.
int ErrnoFromLastError() {
  switch (GetLastError()) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
      return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return EACCES;
    case ERROR_ALREADY_EXISTS:
    case ERROR_FILE_EXISTS:
      return EEXIST;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return ENOSPC;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
      return ENOMEM;
    default:
      return EIO;
  }
}

}  // namespace

int OpenFileDescriptor(const std::string& path, int flags, int mode) {
  const std::wstring w = SystemPath(path);
  if (w.empty()) {
    errno = ENOENT;
    return -1;
  }
  return _wopen(w.c_str(), flags | _O_BINARY | _O_NOINHERIT, mode & (_S_IREAD | _S_IWRITE));
}

std::FILE* OpenFileStream(const std::string& path, const char* mode) {
  std::wstring m = Widen(mode ? mode : "r");
  if (m.find(L'b') == std::wstring::npos) m += L'b';
  const std::wstring w = SystemPath(path);
  if (w.empty() || m.empty()) {
    errno = ENOENT;
    return nullptr;
  }
  return _wfopen(w.c_str(), m.c_str());
}

PathKind KindOf(const std::string& path) {
  const std::wstring w = SystemPath(path);
  const DWORD attributes = w.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(w.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return PathKind::kMissing;
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? PathKind::kFolder : PathKind::kFile;
}

std::int64_t FileSize(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  const std::wstring w = SystemPath(path);
  if (w.empty() || !GetFileAttributesExW(w.c_str(), GetFileExInfoStandard, &data)) return -1;
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return -1;
  return std::int64_t(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
}

bool RenameOver(const std::string& from, const std::string& to) {
  if (MoveFileExW(SystemPath(from).c_str(), SystemPath(to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return true;
  errno = ErrnoFromLastError();
  return false;
}

bool RemoveFile(const std::string& path) {
  if (DeleteFileW(SystemPath(path).c_str())) return true;
  errno = ErrnoFromLastError();
  return false;
}

bool ReadRegularFile(const std::string& path, std::size_t limit, std::string* out) {
  const std::wstring w = SystemPath(path);
  if (w.empty()) return false;
  HANDLE h = CreateFileW(w.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  bool ok = GetFileType(h) == FILE_TYPE_DISK;
  out->clear();
  char chunk[65536];
  while (ok && out->size() < limit) {
    const DWORD want = DWORD(std::min<std::size_t>(sizeof chunk, limit - out->size()));
    DWORD got = 0;
    if (!::ReadFile(h, chunk, want, &got, nullptr)) ok = false;
    else if (got == 0) break;
    else out->append(chunk, got);
  }
  CloseHandle(h);
  return ok;
}

std::string CurrentFolder() {
  const DWORD n = GetCurrentDirectoryW(0, nullptr);
  if (n == 0) return {};
  std::wstring w(n, L'\0');
  const DWORD got = GetCurrentDirectoryW(n, w.data());
  if (got == 0 || got >= n) return {};
  w.resize(got);
  return OurPath(w);
}

std::string ModulePath() {
  // The path may be longer than MAX_PATH; the call says so by filling the whole buffer.
  for (DWORD size = MAX_PATH; size <= 32768 * 2; size *= 2) {
    std::vector<wchar_t> buf(size);
    const DWORD n = GetModuleFileNameW(nullptr, buf.data(), size);
    if (n == 0) return {};
    if (n < size) return OurPath(std::wstring(buf.data(), n));
  }
  return {};
}

}  // namespace native
