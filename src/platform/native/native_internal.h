// Shared by the boundary units only (it includes <windows.h>): UTF-8 and UTF-16 both
// ways, and paths between our form (UTF-8, '/' between folders) and the system's.
#pragma once

#include <windows.h>

#include <string>

namespace native {

inline std::wstring Widen(const std::string& s) {
  if (s.empty()) return {};
  const int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), int(s.size()), nullptr, 0);
  if (n <= 0) return {};
  std::wstring w(std::size_t(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, s.data(), int(s.size()), w.data(), n);
  return w;
}

inline std::string Narrow(const std::wstring& w) {
  if (w.empty()) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), int(w.size()), nullptr, 0, nullptr, nullptr);
  if (n <= 0) return {};
  std::string s(std::size_t(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.data(), int(w.size()), s.data(), n, nullptr, nullptr);
  return s;
}

// A path for the system: UTF-16 with backslashes.
inline std::wstring SystemPath(const std::string& path) {
  std::wstring w = Widen(path);
  for (wchar_t& c : w)
    if (c == L'/') c = L'\\';
  return w;
}

// A path from the system in our form: UTF-8 with slashes.
inline std::string OurPath(const std::wstring& path) {
  std::string s = Narrow(path);
  for (char& c : s)
    if (c == '\\') c = '/';
  return s;
}

}  // namespace native
