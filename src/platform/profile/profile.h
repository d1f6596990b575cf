// Reading values from INI-style profile files (the product information file) with the
// lookup rules of the Windows profile functions.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/base/wintypes.h"

// Largest part of a profile file that is looked at; anything past it counts as absent, so
// a huge or endless file cannot exhaust memory.
constexpr std::size_t kProfileMaxFileBytes = 16u * 1024u * 1024u;

// Buffer size the program reads every profile value into; values are cut to one less.
constexpr DWORD kProfileValueBufferSize = 2048;

// Copies the value of `key` in `section` of the profile file `fileName` into `out`.
// Section and key names match without regard to ASCII letter case; the first matching
// section and the first matching key in it win. The value is the text after the first "="
// of the key's line, blanks (spaces, tabs) trimmed on both sides, then one pair of matching
// enclosing quotes (' or ") removed. A missing file, section or key gives `defaultValue`
// (null = "") with its trailing blanks removed. At most size-1 characters are copied and
// `out` is always NUL-terminated when size > 0. Returns the number of characters copied.
// The enumeration forms (null section or key) are not supported: they give 0 and "".
DWORD GetPrivateProfileStringA(const char* section, const char* key, const char* defaultValue,
                               char* out, DWORD size, const char* fileName);

// Reads at most kProfileMaxFileBytes of a regular file into *text; false when it cannot be
// read (a missing file, a folder, a device).
bool ReadProfileFile(const char* fileName, std::string* text);

// Same lookup and result as GetPrivateProfileStringA, over profile text already in memory.
DWORD GetProfileStringFromText(std::string_view text, const char* section, const char* key,
                               const char* defaultValue, char* out, DWORD size);

// Convenience form: the value as the program reads it, through a 2048-byte buffer (at most
// 2047 characters).
std::string ReadProfileString(const std::string& section, const std::string& key,
                              const std::string& defaultValue, const std::string& fileName);
