// Opening files and addresses the way the Windows shell's "open" does: programs are started
// directly, everything else (web pages, mail links, documents) goes to the desktop's opener.
#pragma once

#include <cstdint>

#include "platform/base/wintypes.h"

// Show commands. Accepted for the caller's sake; the started program decides how it shows.
constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_SHOW = 5;
constexpr int SW_SHOWDEFAULT = 10;

// Failure values of ShellExecuteA; success is any value above 32.
constexpr int SE_ERR_FNF = 2;             // the file does not exist
constexpr int SE_ERR_PNF = 3;             // a folder on the way does not exist
constexpr int SE_ERR_ACCESSDENIED = 5;    // exists but may not be started or opened
constexpr int SE_ERR_OOM = 8;             // no memory or process slots left
constexpr int ERROR_BAD_FORMAT = 11;      // executable bit set but not a program
constexpr int SE_ERR_NOASSOC = 31;        // unknown verb, or no opener for the target
constexpr int kShellExecuteSuccess = 42;  // what a successful start returns

// Opens `file` with the verb "open" (null or "" means "open"; any other verb gives
// SE_ERR_NOASSOC). An address ("scheme:...", e.g. https:, mailto:), a document without the
// execute bit or a folder is handed to `xdg-open` from PATH as {"xdg-open", target}; a
// regular file with the execute bit is started directly as {path} or, with non-empty
// `parameters`, {path, parameters}, the parameters being one argument. No shell is
// involved and no command line is built. The working folder is `directory` when non-null,
// else the program's own folder (for xdg-open: the caller's). The started process runs in a
// session of its own and is never waited for; no zombie is left behind. `parent` and
// `showCommand` are accepted and not used. Returns a value above 32 on success, else a
// failure value above cast to HINSTANCE.
HINSTANCE ShellExecuteA(HWND parent, const char* verb, const char* file, const char* parameters,
                        const char* directory, int showCommand);

// A result of the system's own shell as one of the values above: success as
// kShellExecuteSuccess, its finer failure values as the nearest of ours. Windows builds
// start everything through the system's shell and report its result this way.
int ShellResultFromSystem(std::intptr_t result);

// The integer result carried by a ShellExecuteA handle.
inline std::intptr_t ShellExecuteResult(HINSTANCE h) { return reinterpret_cast<std::intptr_t>(h); }

// Why a start failed, in words, for a ShellExecuteA result of 32 or below ("the file does
// not exist"); an unknown value gives a general text.
const char* ShellErrorText(std::intptr_t result);
