// ASCII case folding for names, keys and identifiers (profile sections, shell verbs,
// class and property names): only A-Z change, every other byte passes as it is, whatever
// the locale.
#pragma once

#include <string>
#include <string_view>

constexpr char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

inline std::string AsciiLowerCase(std::string_view s) {
  std::string r(s);
  for (char& c : r) c = AsciiLower(c);
  return r;
}

// Below, equal to or above 0 as a is before, equal to or after b with A-Z folded to a-z;
// bytes compare as unsigned, and a prefix comes first.
inline int AsciiCompareText(std::string_view a, std::string_view b) {
  const std::size_t n = a.size() < b.size() ? a.size() : b.size();
  for (std::size_t i = 0; i < n; ++i) {
    const int x = static_cast<unsigned char>(AsciiLower(a[i])), y = static_cast<unsigned char>(AsciiLower(b[i]));
    if (x != y) return x - y;
  }
  return int(a.size()) - int(b.size());
}

inline bool AsciiSameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  return true;
}
