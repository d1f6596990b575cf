// Feeds arbitrary bytes to the profile reader as file contents and looks up a handful of
// names with buffers from 1 to 2048 bytes. Every result must be NUL-terminated, no longer
// than the buffer allows, agree with the C-string length, and be a prefix of the result
// with the largest buffer. Now and then the same text goes through a real file, which must
// give the same answers as the in-memory reader.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "platform/profile/profile.h"

namespace {

constexpr DWORD kSizes[] = {1, 2, 7, 64, kProfileValueBufferSize};

void Check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "fuzz_profile: %s\n", what);
    std::abort();
  }
}

// Looks up one name with every buffer size; returns the full-size answer.
std::string LookUp(std::string_view text, const char* section, const char* key,
                   const char* defaultValue) {
  std::string largest;
  for (int pass = 0; pass < 2; ++pass) {
    for (DWORD size : kSizes) {
      // Exactly `size` bytes on the heap, so any write past the end is caught.
      std::unique_ptr<char[]> out(new char[size]);
      std::memset(out.get(), 'X', size);
      const DWORD n = GetProfileStringFromText(text, section, key, defaultValue, out.get(), size);
      Check(n < size, "count not below the buffer size");
      Check(out[n] == '\0', "result not terminated");
      Check(std::strlen(out.get()) == n, "count differs from the string length");
      if (pass == 0 && size == kProfileValueBufferSize) largest.assign(out.get(), n);
      if (pass == 1) Check(largest.compare(0, n, out.get(), n) == 0, "cut result is no prefix");
    }
  }
  return largest;
}

// A section and a key name taken from the input itself, so matching paths are reached.
std::string NameFrom(std::string_view text, char open, char close) {
  const std::size_t b = text.find(open);
  if (b == std::string_view::npos) return "SYSTEM";
  const std::size_t e = text.find(close, b + 1);
  if (e == std::string_view::npos || e - b > 40) return "SYSTEM";
  std::string name(text.substr(b + 1, e - b - 1));
  name.erase(std::remove(name.begin(), name.end(), '\0'), name.end());
  return name;
}

std::string& TempPath() {
  static std::string path;
  return path;
}

void RemoveTempFile() { ::unlink(TempPath().c_str()); }

std::string ViaFile(const std::string& text, const char* section, const char* key,
                    const char* defaultValue) {
  std::string& path = TempPath();
  if (path.empty()) {
    char name[] = "/tmp/fuzz_profile-XXXXXX";
    const int fd = ::mkstemp(name);
    Check(fd >= 0, "no temporary file");
    ::close(fd);
    path = name;
    std::atexit(RemoveTempFile);
  }
  FILE* f = std::fopen(path.c_str(), "wb");
  Check(f != nullptr, "temporary file not writable");
  Check(std::fwrite(text.data(), 1, text.size(), f) == text.size(), "short write");
  std::fclose(f);
  char out[kProfileValueBufferSize];
  const DWORD n = GetPrivateProfileStringA(section, key, defaultValue, out, sizeof out,
                                           path.c_str());
  return std::string(out, n);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const std::string section = NameFrom(text, '[', ']');
  const std::string lineKey = NameFrom(text, '\n', '=');

  struct Lookup {
    const char* section;
    const char* key;
    const char* defaultValue;
  };
  const Lookup lookups[] = {
      {"SYSTEM", "Name", ""},
      {"system", "VERSION", "dflt  "},
      {"SYSTEM", "Company", nullptr},
      {section.c_str(), "Name", "d"},
      {section.c_str(), lineKey.c_str(), ""},
      {"", "", ""},
  };
  std::string answers[sizeof lookups / sizeof lookups[0]];
  for (std::size_t i = 0; i < sizeof lookups / sizeof lookups[0]; ++i) {
    answers[i] = LookUp(text, lookups[i].section, lookups[i].key, lookups[i].defaultValue);
  }

  // Files are slow; about one input in 64 also takes the file path. The choice hangs on all
  // the bytes (not just the first, which mutations often zero) so a finding reproduces.
  std::uint32_t hash = 2166136261u;
  for (std::size_t i = 0; i < size; ++i) hash = (hash ^ data[i]) * 16777619u;
  if (hash % 64 == 0) {
    for (std::size_t i = 0; i < sizeof lookups / sizeof lookups[0]; ++i) {
      Check(ViaFile(text, lookups[i].section, lookups[i].key, lookups[i].defaultValue) ==
                answers[i],
            "file and memory readers disagree");
    }
  }
  return 0;
}
