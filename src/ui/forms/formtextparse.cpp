// The readable form of a window definition: the parser (text -> document model).
//
// Sections: tokens and names / objects and properties / numbers and raw bytes / strings
// / values.
#include "ui/forms/formtext.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/base/ascii.h"
#include "ui/forms/formtext_internal.h"

namespace {

using namespace formtext;

// ---------------------------------------------------------------------------------------
// Parsing

// One piece of a string expression: quoted text (raw bytes of the text file) or a code.
struct StrPart {
  bool isCode;
  std::string quoted;
  std::uint32_t code;
};

class TextParser {
 public:
  TextParser(const std::string& text, const std::string& baseFolder, std::vector<std::string>* files)
      : s_(text), base_(baseFolder), files_(files) {}

  TfObject Root() {
    Skip();
    std::size_t at = p_;
    std::string kw = Ident();
    if (kw != "object" && kw != "inherited" && kw != "inline") Fail(at, "'object' expected");
    TfObject obj = ObjectAfterKeyword(kw, 0);
    Skip();
    if (p_ < s_.size()) Fail(p_, "Text after the final 'end'");
    return obj;
  }

 private:
  [[noreturn]] void Fail(std::size_t at, const std::string& msg) const {
    int line = 1, col = 1;
    for (std::size_t i = 0; i < at && i < s_.size(); ++i) {
      if (s_[i] == '\n') ++line, col = 1;
      else ++col;
    }
    throw EFormTextError(msg, line, col);
  }
  char Ch() const { return p_ < s_.size() ? s_[p_] : '\0'; }
  char ChAt(std::size_t i) const { return i < s_.size() ? s_[i] : '\0'; }
  bool AtEnd() const { return p_ >= s_.size(); }
  void Skip() {
    for (;;) {
      while (p_ < s_.size() && (s_[p_] == ' ' || s_[p_] == '\t' || s_[p_] == '\r' || s_[p_] == '\n')) ++p_;
      if (Ch() == '/' && ChAt(p_ + 1) == '/') {
        while (p_ < s_.size() && s_[p_] != '\n') ++p_;
        continue;
      }
      return;
    }
  }
  void Expect(char c) {
    Skip();
    if (Ch() != c) Fail(p_, std::string("'") + c + "' expected");
    ++p_;
  }
  void Depth(int depth) const {
    if (depth > kMaxFormDepth) Fail(p_, "Nesting deeper than " + std::to_string(kMaxFormDepth) + " levels");
  }

  // A dotted identifier at the position (no skipping).
  std::string Ident() {
    std::size_t at = p_;
    if (!IsIdentStart(Ch())) Fail(at, "Identifier expected");
    for (;;) {
      while (IsIdentChar(Ch())) ++p_;
      if (Ch() == '.' && IsIdentStart(ChAt(p_ + 1))) {
        ++p_;
        continue;
      }
      break;
    }
    return s_.substr(at, p_ - at);
  }
  // The word at the position without consuming it, or "".
  std::string PeekWord() const {
    std::size_t q = p_;
    while (IsIdentChar(ChAt(q))) ++q;
    return IsIdentStart(Ch()) ? s_.substr(p_, q - p_) : std::string();
  }
  // True when the next non-blank character after the word at the position is '='.
  bool WordIsPropertyName() const {
    std::size_t q = p_;
    while (IsIdentChar(ChAt(q)) || ChAt(q) == '.') ++q;
    while (ChAt(q) == ' ' || ChAt(q) == '\t') ++q;
    return ChAt(q) == '=';
  }

  // Identifier or string expression: names of components, classes, properties, set members.
  std::string NameToken(const char* what) {
    Skip();
    if (IsIdentStart(Ch())) return Ident();
    if (Ch() == '\'' || Ch() == '#') return ByteText(StringExpr());
    Fail(p_, std::string(what) + " expected");
  }

  TfObject ObjectAfterKeyword(const std::string& kw, int depth) {
    Depth(depth);
    TfObject obj;
    std::uint8_t implied = kw == "inherited" ? ffInherited : kw == "inline" ? ffInline : 0;
    std::string first = NameToken("Name or class name");
    Skip();
    if (Ch() == ':') {
      ++p_;
      obj.name = first;
      obj.className = NameToken("Class name");
    } else {
      obj.className = first;
    }
    Skip();
    bool hasPos = false;
    if (Ch() == '[') {
      ++p_;
      std::size_t posAt = p_;
      obj.position = IntegerValue();
      if (obj.position.type == vaInt64) Fail(posAt, "A child position must fit 32 bits");
      Expect(']');
      hasPos = true;
      implied |= ffChildPos;
    }
    obj.hasFlags = implied != 0;
    obj.flags = implied;
    Skip();
    if (Ch() == '@') {
      std::size_t at = p_;
      ++p_;
      if (Ident() != "flags") Fail(at, "'@flags' expected");
      Skip();
      std::size_t hexAt = p_;
      std::uint64_t v = HexNumber();
      if (v < 0xF0 || v > 0xF7) Fail(hexAt, "Filer flags must lie in $F0..$F7");
      obj.hasFlags = true;
      obj.flags = std::uint8_t(v & 7);
      if (bool(obj.flags & ffChildPos) != hasPos) Fail(hexAt, "Filer flags and child position disagree");
    }
    for (;;) {
      Skip();
      std::size_t at = p_;
      if (AtEnd()) Fail(at, "'end' expected");
      std::string w = PeekWord();
      if (!WordIsPropertyName()) {
        if (w == "end") {
          p_ += 3;
          return obj;
        }
        if (w == "object" || w == "inherited" || w == "inline") {
          p_ += w.size();
          obj.children.push_back(ObjectAfterKeyword(w, depth + 1));
          continue;
        }
      }
      obj.properties.push_back(Property(depth));
    }
  }

  TfProperty Property(int depth) {
    TfProperty prop;
    Skip();
    std::size_t at = p_;
    prop.name = NameToken("Property name");
    if (prop.name.empty()) Fail(at, "Empty property name");
    Expect('=');
    prop.value = Value(depth + 1, false);
    return prop;
  }

  std::uint64_t HexNumber() {
    std::size_t at = p_;
    if (Ch() != '$') Fail(at, "'$' expected");
    ++p_;
    std::uint64_t v = 0;
    int n = 0;
    while (HexDigit(Ch()) >= 0) {
      if (++n > 16) Fail(at, "Hexadecimal number too long");
      v = (v << 4) | std::uint64_t(HexDigit(Ch()));
      ++p_;
    }
    if (n == 0) Fail(at, "Hexadecimal digits expected");
    if (IsIdentChar(Ch())) Fail(p_, "Invalid character in number");
    return v;
  }

  // Hex digits as raw bytes in stream order, exactly n of them.
  void RawBytes(std::uint8_t* dest, std::size_t n) {
    Skip();
    std::size_t at = p_;
    if (Ch() != '$') Fail(at, "'$' expected");
    ++p_;
    std::size_t digits = 0;
    while (HexDigit(ChAt(p_ + digits)) >= 0) ++digits;
    if (digits != 2 * n) Fail(at, "Expected " + std::to_string(2 * n) + " hexadecimal digits");
    for (std::size_t i = 0; i < n; ++i) dest[i] = std::uint8_t(HexDigit(s_[p_ + 2 * i]) * 16 + HexDigit(s_[p_ + 2 * i + 1]));
    p_ += digits;
  }

  // An integer literal, with an optional width marker.
  TfValue IntegerValue() {
    Skip();
    std::size_t at = p_;
    TValueType forced = vaNull;
    if (Ch() == '@') {
      ++p_;
      std::string d = Ident();
      if (d == "int8") forced = vaInt8;
      else if (d == "int16") forced = vaInt16;
      else if (d == "int32") forced = vaInt32;
      else if (d == "int64") forced = vaInt64;
      else Fail(at, "Integer expected");
      Skip();
    }
    std::size_t numAt = p_;
    TfValue v = Number();
    if (!v.IsInteger()) Fail(numAt, "Integer expected");
    if (forced != vaNull) {
      if (DefaultIntegerType(v.integer) > forced) Fail(numAt, "Integer out of range for its width");
      v.type = forced;
    }
    return v;
  }

  // Integer, extended, single, date or currency literal.
  TfValue Number() {
    std::size_t at = p_;
    bool neg = false;
    if (Ch() == '-') {
      neg = true;
      ++p_;
    }
    if (Ch() == '$') {
      std::uint64_t mag = HexNumber();
      std::int64_t v = std::int64_t(mag);
      if (neg) v = std::int64_t(0 - mag);
      return TfValue::Integer(v);
    }
    std::size_t digitsAt = p_;
    while (IsDigit(Ch())) ++p_;
    if (p_ == digitsAt) Fail(at, "Number expected");
    bool isFloat = false;
    if (Ch() == '.' && IsDigit(ChAt(p_ + 1))) {
      isFloat = true;
      ++p_;
      while (IsDigit(Ch())) ++p_;
    }
    if ((Ch() == 'e' || Ch() == 'E') &&
        (IsDigit(ChAt(p_ + 1)) || ((ChAt(p_ + 1) == '+' || ChAt(p_ + 1) == '-') && IsDigit(ChAt(p_ + 2))))) {
      isFloat = true;
      p_ += 2;
      while (IsDigit(Ch())) ++p_;
    }
    std::string lit = s_.substr(at, p_ - at);
    char suffix = 0;
    if (Ch() == 's' || Ch() == 'd' || Ch() == 'c') suffix = s_[p_++];
    if (IsIdentChar(Ch()) || Ch() == '.') Fail(p_, "Invalid character in number");
    TfValue v;
    if (suffix == 'c') {
      v.type = vaCurrency;
      v.integer = Currency(lit, at);
      return v;
    }
    if (!isFloat && suffix == 0) {
      errno = 0;
      long long n = std::strtoll(lit.c_str(), nullptr, 10);
      if (errno == ERANGE) Fail(at, "Integer out of range");
      return TfValue::Integer(n);
    }
    if (suffix == 's') {
      float f = std::strtof(lit.c_str(), nullptr);
      if (!std::isfinite(f)) Fail(at, "Number out of range");
      return TfValue::Single(f);
    }
    double d = std::strtod(lit.c_str(), nullptr);
    if (!std::isfinite(d)) Fail(at, "Number out of range");
    return suffix == 'd' ? TfValue::Date(d) : TfValue::Extended(d);
  }

  std::int64_t Currency(const std::string& lit, std::size_t at) {
    if (lit.find_first_of("eE") != std::string::npos) Fail(at, "A currency value takes no exponent");
    bool neg = !lit.empty() && lit[0] == '-';
    std::size_t dot = lit.find('.');
    std::string ip = lit.substr(neg ? 1 : 0, dot == std::string::npos ? std::string::npos : dot - (neg ? 1 : 0));
    std::string fp = dot == std::string::npos ? "" : lit.substr(dot + 1);
    if (fp.size() > 4) Fail(at, "A currency value has at most 4 decimals");
    fp.append(4 - fp.size(), '0');
    std::uint64_t mag = 0;
    const std::uint64_t limit = neg ? 9223372036854775808ull : 9223372036854775807ull;
    for (char c : ip + fp) {
      std::uint64_t d = std::uint64_t(c - '0');
      if (mag > (limit - d) / 10) Fail(at, "Currency value out of range");
      mag = mag * 10 + d;
    }
    return neg ? std::int64_t(0 - mag) : std::int64_t(mag);
  }

  std::vector<StrPart> StringExpr() {
    std::vector<StrPart> parts;
    for (;;) {
      // One run of adjacent quoted parts and codes.
      bool any = false;
      for (;;) {
        std::size_t at = p_;
        if (Ch() == '\'') {
          ++p_;
          StrPart part{false, {}, 0};
          for (;;) {
            if (AtEnd() || Ch() == '\n' || Ch() == '\r') Fail(at, "Unterminated string");
            if (Ch() == '\'') {
              if (ChAt(p_ + 1) == '\'') {
                part.quoted += '\'';
                p_ += 2;
                continue;
              }
              ++p_;
              break;
            }
            part.quoted += s_[p_++];
          }
          parts.push_back(std::move(part));
          any = true;
        } else if (Ch() == '#') {
          ++p_;
          std::uint64_t code = 0;
          if (Ch() == '$') {
            code = HexNumber();
          } else {
            if (!IsDigit(Ch())) Fail(at, "Character code expected");
            while (IsDigit(Ch())) {
              code = code * 10 + std::uint64_t(Ch() - '0');
              if (code > 0xFFFF) Fail(at, "Character code out of range");
              ++p_;
            }
          }
          if (code > 0xFFFF) Fail(at, "Character code out of range");
          parts.push_back(StrPart{true, {}, std::uint32_t(code)});
          any = true;
        } else {
          break;
        }
      }
      if (!any) Fail(p_, "String expected");
      std::size_t save = p_;
      Skip();
      if (Ch() == '+') {
        ++p_;
        Skip();
        continue;
      }
      p_ = save;
      return parts;
    }
  }

  std::string ByteText(const std::vector<StrPart>& parts, std::size_t at = std::string::npos) {
    std::string r;
    for (const StrPart& part : parts) {
      if (!part.isCode) {
        r += part.quoted;
      } else {
        if (part.code > 0xFF) Fail(at == std::string::npos ? p_ : at, "Character code out of range");
        r += char(part.code);
      }
    }
    return r;
  }
  std::u16string WideText(const std::vector<StrPart>& parts) {
    std::u16string r;
    for (const StrPart& part : parts) {
      if (part.isCode) r += char16_t(part.code);
      else r += Utf8ToUtf16(part.quoted);
    }
    return r;
  }

  TfValue Value(int depth, bool inList) {
    Depth(depth);
    Skip();
    std::size_t at = p_;
    char c = Ch();
    TfValue v;
    if (c == '@') {
      ++p_;
      std::string d = Ident();
      Skip();
      if (d == "null") {
        if (inList) Fail(at, "A list may not hold @null");
        return v;
      }
      if (d == "int8" || d == "int16" || d == "int32" || d == "int64") {
        p_ = at;
        return IntegerValue();
      }
      if (d == "string" || d == "lstring" || d == "utf8" || d == "ident") {
        std::size_t strAt = p_;
        if (d == "ident" && IsIdentStart(Ch())) {
          v.text = Ident();
        } else {
          if (Ch() != '\'' && Ch() != '#') Fail(strAt, "String expected");
          v.text = ByteText(StringExpr(), strAt);
        }
        v.type = d == "string" ? vaString : d == "lstring" ? vaLString : d == "utf8" ? vaUTF8String : vaIdent;
        if ((v.type == vaString || v.type == vaIdent) && v.text.size() > 255)
          Fail(strAt, "Text longer than 255 bytes");
        return v;
      }
      if (d == "wstring") {
        if (Ch() != '\'' && Ch() != '#') Fail(p_, "String expected");
        v.type = vaWString;
        v.wide = WideText(StringExpr());
        return v;
      }
      if (d == "ext" || d == "single" || d == "date") {
        v.type = d == "ext" ? vaExtended : d == "single" ? vaSingle : vaDate;
        RawBytes(v.raw.data(), d == "ext" ? 10 : d == "single" ? 4 : 8);
        return v;
      }
      if (d == "file") {
        std::size_t strAt = p_;
        if (Ch() != '\'' && Ch() != '#') Fail(strAt, "File name expected");
        std::string name = ByteText(StringExpr(), strAt);
        std::string full = name.empty() || name[0] == '/' || base_.empty() ? name : base_ + "/" + name;
        // Only plain files: a device or a folder would never end or make no sense here.
        std::error_code ec;
        if (!std::filesystem::is_regular_file(full, ec)) Fail(strAt, "Cannot open file '" + full + "'");
        if (std::filesystem::file_size(full, ec) > 0xFFFFFFFFu) Fail(strAt, "File '" + full + "' is larger than 4 GiB");
        std::ifstream in(full, std::ios::binary);
        if (!in) Fail(strAt, "Cannot open file '" + full + "'");
        v.type = vaBinary;
        v.bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        if (in.bad()) Fail(strAt, "Cannot read file '" + full + "'");
        if (files_) files_->push_back(full);
        return v;
      }
      Fail(at, "Unknown directive '@" + d + "'");
    }
    if (c == '-' || c == '$' || IsDigit(c)) return Number();
    if (c == '\'' || c == '#') {
      std::string t = ByteText(StringExpr(), at);
      return TfValue::String(t);
    }
    if (IsIdentStart(c)) {
      std::string id = Ident();
      std::string low = AsciiLowerCase(id);
      if (low == "true") return TfValue::Boolean(true);
      if (low == "false") return TfValue::Boolean(false);
      if (low == "nil") return TfValue::Nil();
      return TfValue::Ident(id);
    }
    if (c == '[') {
      ++p_;
      v.type = vaSet;
      Skip();
      if (Ch() == ']') {
        ++p_;
        return v;
      }
      for (;;) {
        std::size_t mAt = p_;
        std::string m = NameToken("Set member");
        if (m.empty()) Fail(mAt, "Empty set member");
        v.names.push_back(m);
        Skip();
        if (Ch() == ',') {
          ++p_;
          continue;
        }
        Expect(']');
        return v;
      }
    }
    if (c == '(') {
      ++p_;
      v.type = vaList;
      for (;;) {
        Skip();
        if (Ch() == ')') {
          ++p_;
          return v;
        }
        if (AtEnd()) Fail(p_, "')' expected");
        v.list.push_back(Value(depth + 1, true));
        Skip();
        if (Ch() == ',') ++p_;
      }
    }
    if (c == '<') {
      ++p_;
      v.type = vaCollection;
      for (;;) {
        Skip();
        if (Ch() == '>') {
          ++p_;
          return v;
        }
        std::size_t itemAt = p_;
        if (PeekWord() != "item") Fail(itemAt, "'item' or '>' expected");
        p_ += 4;
        TfCollectionItem item;
        Skip();
        if (Ch() == '[') {
          ++p_;
          std::size_t idxAt = p_;
          item.index = IntegerValue();
          if (item.index.type == vaInt64) Fail(idxAt, "An item index must fit 32 bits");
          item.hasIndex = true;
          Expect(']');
        }
        for (;;) {
          Skip();
          if (AtEnd()) Fail(p_, "'end' expected");
          if (PeekWord() == "end" && !WordIsPropertyName()) {
            p_ += 3;
            break;
          }
          item.properties.push_back(Property(depth + 1));
        }
        v.items.push_back(std::move(item));
      }
    }
    if (c == '{') {
      ++p_;
      v.type = vaBinary;
      for (;;) {
        Skip();
        if (Ch() == '}') {
          ++p_;
          return v;
        }
        std::size_t hAt = p_;
        int hi = HexDigit(Ch());
        int lo = HexDigit(ChAt(p_ + 1));
        if (hi < 0) Fail(hAt, AtEnd() ? "'}' expected" : "Hexadecimal digit expected");
        if (lo < 0) Fail(hAt, "Odd number of hexadecimal digits");
        v.bytes.push_back(std::uint8_t(hi * 16 + lo));
        p_ += 2;
      }
    }
    if (AtEnd()) Fail(at, "Value expected");
    Fail(at, std::string("Unexpected character '") + c + "'");
  }

  const std::string& s_;
  std::string base_;
  std::vector<std::string>* files_;
  std::size_t p_ = 0;
};

}  // namespace

TfObject ParseFormText(const std::string& text, const std::string& baseFolder,
                       std::vector<std::string>* referencedFiles) {
  TextParser parser(text, baseFolder, referencedFiles);
  return parser.Root();
}
