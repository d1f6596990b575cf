#include "platform/native/native_shell.h"

#include "platform/native/native_internal.h"  // <windows.h> first: <shellapi.h> needs it

#include <shellapi.h>

namespace native {

std::intptr_t ShellOpen(const std::string& target, bool isPath, const std::string& parameters,
                        const std::string& folder, int showCommand) {
  const std::wstring file = isPath ? SystemPath(target) : Widen(target);
  const std::wstring params = Widen(parameters);
  const std::wstring dir = SystemPath(folder);
  HINSTANCE h = ShellExecuteW(nullptr, L"open", file.c_str(), params.empty() ? nullptr : params.c_str(),
                              dir.empty() ? nullptr : dir.c_str(), showCommand);
  return reinterpret_cast<std::intptr_t>(h);
}

}  // namespace native
