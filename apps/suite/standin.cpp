// Stand-in for one program of the demo suite on Windows: notes its own file name in
// started.log beside itself and exits. One program, copied under each name.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cstdio>
#include <string>

int main() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    DWORD n = GetModuleFileNameW(nullptr, path.data(), DWORD(path.size()));
    if (n == 0) return 1;
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    path.resize(path.size() * 2);
  }
  std::size_t slash = path.find_last_of(L"\\/");
  std::wstring folder = slash == std::wstring::npos ? L"." : path.substr(0, slash);
  std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
  int bytes = WideCharToMultiByte(CP_UTF8, 0, name.c_str(), int(name.size()), nullptr, 0, nullptr, nullptr);
  std::string utf8(std::size_t(bytes > 0 ? bytes : 0), '\0');
  if (bytes > 0) WideCharToMultiByte(CP_UTF8, 0, name.c_str(), int(name.size()), utf8.data(), bytes, nullptr, nullptr);
  // Binary mode: one line per start ending in a bare line feed, as on the other systems.
  FILE* log = _wfopen((folder + L"\\started.log").c_str(), L"ab");
  if (!log) return 1;
  utf8 += '\n';
  bool ok = std::fwrite(utf8.data(), 1, utf8.size(), log) == utf8.size();
  return (std::fclose(log) == 0 && ok) ? 0 : 1;
}
