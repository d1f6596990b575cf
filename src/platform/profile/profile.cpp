#include "platform/profile/profile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/base/ascii.h"
#ifdef _WIN32
#include "platform/native/native_file.h"
#endif

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimBlanks(std::string_view s) {
  std::size_t b = 0;
  std::size_t e = s.size();
  while (b < e && IsBlank(s[b])) ++b;
  while (e > b && IsBlank(s[e - 1])) --e;
  return s.substr(b, e - b);
}

std::string_view TrimTrailingBlanks(std::string_view s) {
  std::size_t e = s.size();
  while (e > 0 && IsBlank(s[e - 1])) --e;
  return s.substr(0, e);
}

// The stored value as the lookup returns it: a NUL byte ends it (the caller gets a C
// string, so the returned length must agree with what a reader of the buffer sees), then
// blanks go and one pair of matching quotes is taken off.
std::string_view CleanValue(std::string_view raw) {
  const std::size_t nul = raw.find('\0');
  if (nul != std::string_view::npos) raw = raw.substr(0, nul);
  std::string_view v = TrimBlanks(raw);
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) {
    v = v.substr(1, v.size() - 2);
  }
  return v;
}

// Finds the value of key in the first section named `section`; false when either is absent.
bool FindValue(std::string_view text, std::string_view section, std::string_view key,
               std::string_view* value) {
  static constexpr char kBom[] = "\xEF\xBB\xBF";
  if (text.substr(0, 3) == std::string_view(kBom, 3)) text.remove_prefix(3);

  bool inSection = false;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = pos;
    while (end < text.size() && text[end] != '\n' && text[end] != '\r') ++end;
    std::string_view line = TrimBlanks(text.substr(pos, end - pos));
    pos = end + 1;
    if (line.empty() || line.front() == ';' || line.front() == '#') continue;

    if (line.front() == '[') {
      const std::size_t close = line.find(']');
      if (close == std::string_view::npos) continue;  // not a header: ignored like other junk
      if (inSection) return false;  // the first matching section ended without the key
      inSection = AsciiSameText(TrimBlanks(line.substr(1, close - 1)), section);
      continue;
    }
    if (!inSection) continue;
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) continue;
    if (AsciiSameText(TrimBlanks(line.substr(0, eq)), key)) {
      *value = CleanValue(line.substr(eq + 1));
      return true;
    }
  }
  return false;
}

DWORD CopyOut(std::string_view value, char* out, DWORD size) {
  const std::size_t n = value.size() < std::size_t(size - 1) ? value.size() : std::size_t(size - 1);
  if (n > 0) std::memcpy(out, value.data(), n);
  out[n] = '\0';
  return DWORD(n);
}

}  // namespace

#ifdef _WIN32
bool ReadProfileFile(const char* fileName, std::string* text) {
  return native::ReadRegularFile(fileName, kProfileMaxFileBytes, text);
}
#else
// Non-blocking open so that a FIFO or device given as the file name cannot stall the caller.
bool ReadProfileFile(const char* fileName, std::string* text) {
  const int fd = ::open(fileName, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return false;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return false;
  }
  text->clear();
  if (st.st_size > 0) text->reserve(std::min(std::size_t(st.st_size), kProfileMaxFileBytes));
  char chunk[65536];
  bool ok = true;
  while (text->size() < kProfileMaxFileBytes) {
    const std::size_t want = std::min(sizeof chunk, kProfileMaxFileBytes - text->size());
    const ssize_t got = ::read(fd, chunk, want);
    if (got < 0) {
      if (errno == EINTR) continue;
      ok = false;
      break;
    }
    if (got == 0) break;
    text->append(chunk, std::size_t(got));
  }
  ::close(fd);
  return ok;
}
#endif

DWORD GetProfileStringFromText(std::string_view text, const char* section, const char* key,
                               const char* defaultValue, char* out, DWORD size) {
  if (out == nullptr || size == 0) return 0;
  if (section == nullptr || key == nullptr) {
    out[0] = '\0';
    return 0;
  }
  std::string_view value;
  if (!FindValue(text, section, key, &value)) {
    value = TrimTrailingBlanks(defaultValue != nullptr ? std::string_view(defaultValue) : "");
  }
  return CopyOut(value, out, size);
}

DWORD GetPrivateProfileStringA(const char* section, const char* key, const char* defaultValue,
                               char* out, DWORD size, const char* fileName) {
  std::string text;
  if (fileName == nullptr || fileName[0] == '\0' || !ReadProfileFile(fileName, &text)) {
    text.clear();
  }
  return GetProfileStringFromText(text, section, key, defaultValue, out, size);
}

std::string ReadProfileString(const std::string& section, const std::string& key,
                              const std::string& defaultValue, const std::string& fileName) {
  char buffer[kProfileValueBufferSize];
  const DWORD n = GetPrivateProfileStringA(section.c_str(), key.c_str(), defaultValue.c_str(),
                                           buffer, sizeof buffer, fileName.c_str());
  return std::string(buffer, n);
}
