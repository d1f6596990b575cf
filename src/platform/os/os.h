// What the program asks of the operating system besides windows and drawing: where its own
// executable lies, today's date, and the platform version facts the image lists consult.
#pragma once

#include <string>

#include "platform/base/wintypes.h"

// Separator between the folders of a path.
constexpr char PathSeparator = '/';

// Full path of the running executable with links resolved; "" if it cannot be found.
std::string ExecutablePath();

// Folder of the running executable, ending in PathSeparator; "" if it cannot be found.
std::string ExecutableFolder();

// The folder followed by one separator, unless it already ends in one.
std::string FolderWithSeparator(const std::string& folder);

// True when something (a file, a folder, ...) exists under the path.
bool PathExists(const std::string& path);

// A calendar day in local time.
struct LocalDateParts {
  int year = 0;   // e.g. 2026
  int month = 0;  // 1..12
  int day = 0;    // 1..31
};

// Today in the local time zone.
LocalDateParts LocalDate();

// Version of the platform image-list library, major in the high word and minor in the low
// word. Our own image list blends alpha, which is what version 6.0 stands for, and that
// is the version unless a program (a test of the older-platform path) sets another one
// before the first query. The first query fixes it for the life of the process.
DWORD CommonControlsVersion();
// Sets the version the first CommonControlsVersion() will report; false (and nothing
// changes) once the version has been read.
bool SetCommonControlsVersion(DWORD version);

// Operating-system version record, laid out as the Win32 ANSI structure (148 bytes).
struct OSVERSIONINFOA {
  DWORD dwOSVersionInfoSize;
  DWORD dwMajorVersion;
  DWORD dwMinorVersion;
  DWORD dwBuildNumber;
  DWORD dwPlatformId;
  char szCSDVersion[128];
};
static_assert(sizeof(OSVERSIONINFOA) == 148, "OSVERSIONINFOA must keep its Win32 size");

constexpr DWORD VER_PLATFORM_WIN32_NT = 2;

// Fills the record as an NT-family system of version 6.1, whose icons carry alpha. Fails
// (FALSE, record untouched) when info is null or dwOSVersionInfoSize is not 148.
BOOL GetVersionExA(OSVERSIONINFOA* info);

// Path of the running executable for a null module (the only module there is), cut to
// size-1 characters and NUL-terminated. Returns the characters copied, or size when the
// path was cut, or 0 on failure (non-null module, no buffer, path unknown).
DWORD GetModuleFileNameA(HINSTANCE module, char* out, DWORD size);
