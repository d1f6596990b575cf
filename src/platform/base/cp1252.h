// Windows-1252, the program's code page: what its bytes stand for.
#pragma once

#include <string>
#include <string_view>

// The Unicode character of a byte; the five unassigned bytes stand for themselves.
char32_t Cp1252ToUnicode(unsigned char byte);

// Text of the program as UTF-8, for the desktop (window titles).
std::string Cp1252ToUtf8(std::string_view text);

// Whether `text` is well-formed UTF-8 holding at least one non-ASCII character: such text
// is taken as UTF-8, anything else as the code page's own bytes.
bool IsUtf8WithNonAscii(std::string_view text);

// UTF-8 text in the program's code page; a character the code page lacks becomes "?", one
// per character, as the system's own conversion writes it. Ill-formed bytes become "?" too.
std::string Utf8ToCp1252(std::string_view text);
