#include "ui/core/sysutils.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <unistd.h>
#include <vector>

#include "platform/base/ascii.h"
#ifdef _WIN32
#include "platform/native/native_file.h"
#endif

namespace {

std::string FormatList(const std::string& pattern, const TFormatArg* args, std::size_t count) {
  std::string out;
  std::size_t next = 0;
  auto invalid = [&]() {
    return EConvertError("Format '" + pattern + "' invalid or incompatible with argument");
  };
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    char c = pattern[i];
    if (c != '%') {
      out += c;
      continue;
    }
    if (i + 1 >= pattern.size()) throw invalid();
    char k = pattern[++i];
    if (k == '%') {
      out += '%';
      continue;
    }
    if (k != 's' && k != 'd') throw invalid();
    if (next >= count) throw invalid();
    const TFormatArg& a = args[next++];
    if (k == 'd' && a.IsText()) throw invalid();
    out += a.IsText() ? a.Text() : std::to_string(a.Number());
  }
  return out;
}

}  // namespace

std::string Format(const std::string& pattern, const std::string& arg) {
  TFormatArg a(arg);
  return FormatList(pattern, &a, 1);
}

std::string Format(const std::string& pattern, std::int64_t arg) {
  TFormatArg a(static_cast<long long>(arg));
  return FormatList(pattern, &a, 1);
}

std::string Format(const std::string& pattern, std::initializer_list<TFormatArg> args) {
  return FormatList(pattern, args.begin(), args.size());
}

std::string IntToStr(std::int64_t value) { return std::to_string(value); }

std::string IntToHex(std::uint64_t value, int digits) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string s;
  do {
    s.insert(s.begin(), kHex[value & 15]);
    value >>= 4;
  } while (value != 0);
  while (int(s.size()) < digits) s.insert(s.begin(), '0');
  return s;
}

int StrToInt(const std::string& text) {
  auto bad = [&]() { return EConvertError("'" + text + "' is not a valid integer value"); };
  std::string s = Trim(text);
  std::size_t i = 0;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  int base = 10;
  if (i < s.size() && s[i] == '$') {
    base = 16;
    ++i;
  } else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  if (i >= s.size()) throw bad();
  std::int64_t v = 0;
  for (; i < s.size(); ++i) {
    char c = s[i];
    int d;
    if (c >= '0' && c <= '9') d = c - '0';
    else if (base == 16 && c >= 'a' && c <= 'f') d = c - 'a' + 10;
    else if (base == 16 && c >= 'A' && c <= 'F') d = c - 'A' + 10;
    else throw bad();
    v = v * base + d;
    if (v > std::int64_t(UINT_MAX)) throw bad();
  }
  if (negative) v = -v;
  // Hexadecimal values may name the full 32-bit pattern (colours such as $FF00000F).
  if (base == 16 && !negative && v > INT_MAX) return int(std::uint32_t(v));
  if (v > INT_MAX || v < INT_MIN) throw bad();
  return int(v);
}

int StrToIntDef(const std::string& text, int fallback) {
  try {
    return StrToInt(text);
  } catch (const EConvertError&) {
    return fallback;
  }
}

std::string LowerCase(const std::string& s) { return AsciiLowerCase(s); }

int CompareText(const std::string& a, const std::string& b) { return AsciiCompareText(a, b); }

bool SameText(const std::string& a, const std::string& b) { return AsciiSameText(a, b); }

std::string Trim(const std::string& s) {
  std::size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
  return s.substr(b, e - b);
}

namespace {

#ifdef _WIN32
// The system takes both; our own paths use '/'.
constexpr const char* kSeparators = "/\\";
// "C:" at the start: the path is rooted at a drive.
bool HasDrive(const std::string& p) {
  return p.size() >= 2 && p[1] == ':' && ((p[0] >= 'A' && p[0] <= 'Z') || (p[0] >= 'a' && p[0] <= 'z'));
}
std::string CurrentFolder() { return native::CurrentFolder(); }
void UseSlashes(std::string& path) {
  for (char& c : path)
    if (c == '\\') c = '/';
}
constexpr char kSystemSeparator = '\\';
#else
constexpr char kSystemSeparator = '/';
void UseSlashes(std::string&) {}
constexpr const char* kSeparators = "/";
bool HasDrive(const std::string&) { return false; }
std::string CurrentFolder() {
  std::vector<char> buf(256);
  while (!getcwd(buf.data(), buf.size())) {
    if (errno != ERANGE || buf.size() > (1u << 20)) return {};
    buf.resize(buf.size() * 2);
  }
  return buf.data();
}
#endif

}  // namespace

std::string ExtractFileExt(const std::string& fileName) {
  std::size_t dot = fileName.find_last_of(std::string(".") + kSeparators);
  if (dot == std::string::npos || fileName[dot] != '.') return "";
  return fileName.substr(dot);
}

std::string ExtractFileName(const std::string& fileName) {
  std::size_t slash = fileName.find_last_of(kSeparators);
  return slash == std::string::npos ? fileName : fileName.substr(slash + 1);
}

std::string ExtractFilePath(const std::string& fileName) {
  std::size_t slash = fileName.find_last_of(kSeparators);
  return slash == std::string::npos ? "" : fileName.substr(0, slash + 1);
}

std::string ExpandFileName(const std::string& fileName) {
  std::string path = fileName;
  UseSlashes(path);
  if (path.empty() || (path[0] != '/' && !HasDrive(path))) {
    const std::string cwd = CurrentFolder();
    path = cwd + (cwd.empty() || cwd.back() != '/' ? "/" : "") + path;
  }
  // A drive stays in front; the folders after it are folded.
  std::string root;
  if (HasDrive(path)) {
    root = path.substr(0, 2);
    path.erase(0, 2);
  }
  // Folds "." and ".." so the name reads as the file's real place.
  std::vector<std::string> parts;
  std::size_t i = 0;
  while (i <= path.size()) {
    std::size_t j = path.find('/', i);
    if (j == std::string::npos) j = path.size();
    std::string part = path.substr(i, j - i);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    i = j + 1;
  }
  std::string out = root;
  for (const auto& p : parts) {
    out += '/';
    out += p;
  }
  if (out == root) out.push_back('/');
  if (path.size() > 1 && path.back() == '/' && out != root + "/") out += '/';
  return out;
}

std::string SystemFileName(const std::string& fileName) {
  std::string name = fileName;
  std::replace(name.begin(), name.end(), '/', kSystemSeparator);
  return name;
}

std::string SysErrorMessage(int errorCode) {
  char buf[256];
  // The GNU variant may return a static string instead of filling buf.
#if defined(__GLIBC__) && defined(_GNU_SOURCE)
  const char* s = strerror_r(errorCode, buf, sizeof buf);
  return s ? s : "";
#elif defined(_WIN32)
  if (strerror_s(buf, sizeof buf, errorCode) != 0) return "Unknown error " + std::to_string(errorCode);
  return buf;
#else
  if (strerror_r(errorCode, buf, sizeof buf) != 0) return "Unknown error " + std::to_string(errorCode);
  return buf;
#endif
}
