// The platform's shell function and its failure texts for the launcher's host. A unit of
// its own because the shell's and the window system's headers both name the show commands.
#include "launcher/launcher.h"
#include "platform/shell/shell.h"

TShellExecuteFn PlatformShellExecute() { return &ShellExecuteA; }
const char* PlatformShellErrorText(std::intptr_t result) { return ShellErrorText(result); }
