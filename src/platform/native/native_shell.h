// The system shell's "open": programs, documents and addresses started as the desktop
// would start them.
#pragma once

#include <cstdint>
#include <string>

namespace native {

// Opens `target` with the verb "open"; `parameters` and `folder` may be empty. A path
// target (not an address) may use '/' between folders. Returns the shell's own result:
// above 32 on success, else its failure value.
std::intptr_t ShellOpen(const std::string& target, bool isPath, const std::string& parameters,
                        const std::string& folder, int showCommand);

}  // namespace native
