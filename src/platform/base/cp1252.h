// Windows-1252, the program's code page: what its bytes stand for.
#pragma once

#include <string>
#include <string_view>

// The Unicode character of a byte; the five unassigned bytes stand for themselves.
char32_t Cp1252ToUnicode(unsigned char byte);

// Text of the program as UTF-8, for the desktop (window titles).
std::string Cp1252ToUtf8(std::string_view text);
