#include "platform/os/os.h"

#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#ifdef _WIN32
#include "platform/native/native_file.h"
#endif

#include <cstring>
#include <ctime>
#include <memory>

#ifdef _WIN32
// The system's own record of the program's path, in our form ('/' between folders).
std::string ExecutablePath() { return native::ModulePath(); }
#else
std::string ExecutablePath() {
  // realpath rather than a bare readlink: it also settles any link inside the target.
  std::unique_ptr<char, decltype(&std::free)> resolved(::realpath("/proc/self/exe", nullptr),
                                                      &std::free);
  if (resolved) return resolved.get();
  char buffer[PATH_MAX];
  const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (n <= 0) return {};
  return std::string(buffer, std::size_t(n));
}
#endif

std::string ExecutableFolder() {
  const std::string path = ExecutablePath();
  const std::size_t slash = path.rfind(PathSeparator);
  if (slash == std::string::npos) return {};
  return path.substr(0, slash + 1);
}

std::string FolderWithSeparator(const std::string& folder) {
  if (!folder.empty() && folder.back() == PathSeparator) return folder;
  return folder + PathSeparator;
}

bool PathExists(const std::string& path) {
#ifdef _WIN32
  return native::KindOf(path) != native::PathKind::kMissing;
#else
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0;
#endif
}

LocalDateParts LocalDate() {
  const std::time_t now = std::time(nullptr);
  std::tm parts{};
#ifdef _WIN32
  if (::localtime_s(&parts, &now) != 0) return {};
#else
  if (::localtime_r(&now, &parts) == nullptr) return {};
#endif
  return {parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday};
}

namespace {
struct TCommonControls {
  DWORD version = 0x00060000;
  bool read = false;
};
TCommonControls& CommonControls() {
  static TCommonControls state;
  return state;
}
}  // namespace

DWORD CommonControlsVersion() {
  TCommonControls& cc = CommonControls();
  cc.read = true;
  return cc.version;
}

bool SetCommonControlsVersion(DWORD version) {
  TCommonControls& cc = CommonControls();
  if (cc.read) return false;
  cc.version = version;
  return true;
}

BOOL GetVersionExA(OSVERSIONINFOA* info) {
  if (info == nullptr || info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA)) return FALSE;
  info->dwMajorVersion = 6;
  info->dwMinorVersion = 1;
  info->dwBuildNumber = 7601;
  info->dwPlatformId = VER_PLATFORM_WIN32_NT;
  static constexpr char kServicePack[] = "Service Pack 1";
  std::memset(info->szCSDVersion, 0, sizeof info->szCSDVersion);
  std::memcpy(info->szCSDVersion, kServicePack, sizeof kServicePack);
  return TRUE;
}

DWORD GetModuleFileNameA(HINSTANCE module, char* out, DWORD size) {
  if (module != nullptr || out == nullptr || size == 0) return 0;
  const std::string path = ExecutablePath();
  if (path.empty()) {
    out[0] = '\0';
    return 0;
  }
  if (path.size() < size) {
    std::memcpy(out, path.data(), path.size() + 1);
    return DWORD(path.size());
  }
  std::memcpy(out, path.data(), size - 1);
  out[size - 1] = '\0';
  return size;
}
