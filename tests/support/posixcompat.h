// The few POSIX calls the tests use that the Windows C runtime names differently:
// environment variables and private temporary folders. Nothing on other systems.
#pragma once

#ifdef _WIN32
#include <direct.h>
#include <process.h>
#include <stdlib.h>

#include <atomic>
#include <cstring>
#include <string>

inline int setenv(const char* name, const char* value, int overwrite) {
  if (!overwrite && std::getenv(name) != nullptr) return 0;
  return _putenv_s(name, value) == 0 ? 0 : -1;
}

inline int unsetenv(const char* name) { return _putenv_s(name, "") == 0 ? 0 : -1; }

// Fills the trailing "XXXXXX" with the process and a serial number and makes the folder.
inline char* mkdtemp(char* pattern) {
  static std::atomic<unsigned> serial{0};
  const std::size_t n = std::strlen(pattern);
  if (n < 6 || std::strcmp(pattern + n - 6, "XXXXXX") != 0) return nullptr;
  for (int attempt = 0; attempt < 100; ++attempt) {
    const unsigned v = (unsigned(_getpid()) * 64 + serial++) % 1000000u;
    const std::string digits = std::to_string(1000000u + v).substr(1);
    std::memcpy(pattern + n - 6, digits.data(), 6);
    if (_mkdir(pattern) == 0) return pattern;
  }
  return nullptr;
}
#endif
