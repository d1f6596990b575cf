// The readable form of a window definition: the writer (document model -> text); the
// parser is in formtextparse.cpp.
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

EFormTextError::EFormTextError(const std::string& detail, int line, int column)
    : Exception("Line " + std::to_string(line) + ", column " + std::to_string(column) + ": " + detail),
      detail_(detail),
      line_(line),
      column_(column) {}

namespace {

using namespace formtext;

// ---------------------------------------------------------------------------------------
// Writing

class TextWriter {
 public:
  explicit TextWriter(const TFormTextOptions& options) : options_(options) {}
  std::string out;

  void Object(const TfObject& obj, int indent, const std::string& path) {
    Indent(indent);
    const char* keyword = "object";
    std::uint8_t implied = 0;
    if (obj.hasFlags && (obj.flags & ffInline)) keyword = "inline", implied = ffInline;
    else if (obj.hasFlags && (obj.flags & ffInherited)) keyword = "inherited", implied = ffInherited;
    bool hasPos = obj.hasFlags && (obj.flags & ffChildPos);
    if (hasPos) implied |= ffChildPos;
    bool impliedHasFlags = implied != 0;
    out += keyword;
    out += ' ';
    if (!obj.name.empty()) {
      Name(obj.name);
      out += ": ";
    }
    Name(obj.className);
    if (hasPos) {
      out += " [";
      Integer(obj.position);
      out += ']';
    }
    if (impliedHasFlags != obj.hasFlags || (obj.hasFlags && implied != obj.flags)) {
      char buf[16];
      std::snprintf(buf, sizeof buf, " @flags $%02X", 0xF0 | obj.flags);
      out += buf;
    }
    out += '\n';
    std::string myPath = path.empty() ? obj.name : path + "." + obj.name;
    Properties(obj.properties, indent + 1, myPath);
    for (const TfObject& child : obj.children) Object(child, indent + 1, myPath);
    Indent(indent);
    out += "end\n";
  }

 private:
  void Indent(int n) { out.append(std::size_t(n) * 2, ' '); }

  void Name(const std::string& s) {
    if (IsIdentifier(s)) out += s;
    else ByteString(s, 0);
  }

  void Properties(const std::vector<TfProperty>& props, int indent, const std::string& path) {
    for (const TfProperty& p : props) {
      Indent(indent);
      Name(p.name);
      out += " = ";
      Value(p.value, indent, path + "." + p.name);
      out += '\n';
    }
  }

  void Integer(const TfValue& v) {
    if (v.type != DefaultIntegerType(v.integer)) {
      out += v.type == vaInt8 ? "@int8 " : v.type == vaInt16 ? "@int16 " : v.type == vaInt32 ? "@int32 " : "@int64 ";
    }
    out += std::to_string(v.integer);
  }

  void RawHex(const char* directive, const std::uint8_t* p, int n) {
    out += directive;
    out += " $";
    char buf[4];
    for (int i = 0; i < n; ++i) {
      std::snprintf(buf, sizeof buf, "%02X", p[i]);
      out += buf;
    }
  }

  // Shortest decimal that reads back as the same double; empty when none can (inf, NaN).
  static std::string DoubleText(double d) {
    if (!std::isfinite(d)) return "";
    char buf[64];
    for (int prec = 1; prec <= 17; ++prec) {
      std::snprintf(buf, sizeof buf, "%.*g", prec, d);
      if (std::strtod(buf, nullptr) == d) break;
    }
    std::string s = buf;
    if (s.find_first_of(".e") == std::string::npos) s += ".0";
    return s;
  }
  static std::string SingleText(float f) {
    if (!std::isfinite(f)) return "";
    char buf[64];
    for (int prec = 1; prec <= 9; ++prec) {
      std::snprintf(buf, sizeof buf, "%.*g", prec, double(f));
      if (std::strtof(buf, nullptr) == f) break;
    }
    std::string s = buf;
    if (s.find_first_of(".e") == std::string::npos) s += ".0";
    return s;
  }

  void ByteString(const std::string& s, int indent) {
    std::vector<std::uint32_t> units(s.begin(), s.end());
    for (std::uint32_t& u : units) u &= 0xFF;
    Units(units, indent);
  }

  // Printable ASCII inside quotes, everything else as #n; long texts split over lines.
  void Units(const std::vector<std::uint32_t>& units, int indent) {
    if (units.empty()) {
      out += "''";
      return;
    }
    bool quoted = false;
    std::size_t lineLen = 0;
    for (std::size_t i = 0; i < units.size(); ++i) {
      if (lineLen >= 64 && i > 0) {
        if (quoted) out += '\'';
        quoted = false;
        out += " +\n";
        Indent(indent + 2);
        lineLen = 0;
      }
      std::uint32_t u = units[i];
      if (u >= 0x20 && u < 0x7F) {
        if (!quoted) out += '\'';
        quoted = true;
        out += char(u);
        if (u == '\'') out += '\'';
      } else {
        if (quoted) out += '\'';
        quoted = false;
        out += '#';
        out += std::to_string(u);
      }
      ++lineLen;
    }
    if (quoted) out += '\'';
  }

  void Value(const TfValue& v, int indent, const std::string& path) {
    switch (v.type) {
      case vaNull: out += "@null"; break;
      case vaFalse: out += "False"; break;
      case vaTrue: out += "True"; break;
      case vaNil: out += "nil"; break;
      case vaInt8:
      case vaInt16:
      case vaInt32:
      case vaInt64:
        Integer(v);
        break;
      case vaExtended: {
        double d = ExtendedToDouble(v.raw);
        std::string s = DoubleText(d);
        if (!s.empty() && DoubleToExtended(d) == v.raw) out += s;
        else RawHex("@ext", v.raw.data(), 10);
        break;
      }
      case vaSingle: {
        float f;
        std::memcpy(&f, v.raw.data(), 4);
        std::string s = SingleText(f);
        float back = s.empty() ? 0.0f : std::strtof(s.c_str(), nullptr);
        if (!s.empty() && std::memcmp(&back, v.raw.data(), 4) == 0) out += s + "s";
        else RawHex("@single", v.raw.data(), 4);
        break;
      }
      case vaDate: {
        double d;
        std::memcpy(&d, v.raw.data(), 8);
        std::string s = DoubleText(d);
        double back = s.empty() ? 0.0 : std::strtod(s.c_str(), nullptr);
        if (!s.empty() && std::memcmp(&back, v.raw.data(), 8) == 0) out += s + "d";
        else RawHex("@date", v.raw.data(), 8);
        break;
      }
      case vaCurrency: {
        std::uint64_t mag = v.integer < 0 ? 0 - std::uint64_t(v.integer) : std::uint64_t(v.integer);
        std::string frac = std::to_string(mag % 10000);
        frac.insert(0, 4 - frac.size(), '0');
        while (frac.size() > 1 && frac.back() == '0') frac.pop_back();
        out += (v.integer < 0 ? "-" : "") + std::to_string(mag / 10000) + "." + frac + "c";
        break;
      }
      case vaString:
        if (v.text.size() > 255) out += "@string ";
        ByteString(v.text, indent);
        break;
      case vaLString:
        if (v.text.size() <= 255) out += "@lstring ";
        ByteString(v.text, indent);
        break;
      case vaUTF8String:
        out += "@utf8 ";
        ByteString(v.text, indent);
        break;
      case vaWString: {
        out += "@wstring ";
        std::vector<std::uint32_t> units(v.wide.begin(), v.wide.end());
        Units(units, indent);
        break;
      }
      case vaIdent: {
        std::string low = AsciiLowerCase(v.text);
        if (IsIdentifier(v.text) && low != "true" && low != "false" && low != "nil") {
          out += v.text;
        } else {
          out += "@ident ";
          ByteString(v.text, indent);
        }
        break;
      }
      case vaSet:
        out += '[';
        for (std::size_t i = 0; i < v.names.size(); ++i) {
          if (i) out += ", ";
          Name(v.names[i]);
        }
        out += ']';
        break;
      case vaBinary: {
        std::string file = options_.externalBinary ? options_.externalBinary(path, v.bytes) : std::string();
        if (!file.empty()) {
          out += "@file ";
          ByteString(file, indent);
          break;
        }
        out += '{';
        char buf[4];
        for (std::size_t i = 0; i < v.bytes.size(); ++i) {
          if (i % 32 == 0 && v.bytes.size() > 32) {
            out += '\n';
            Indent(indent + 1);
          }
          std::snprintf(buf, sizeof buf, "%02X", v.bytes[i]);
          out += buf;
        }
        out += '}';
        break;
      }
      case vaList:
        out += '(';
        for (std::size_t i = 0; i < v.list.size(); ++i) {
          out += '\n';
          Indent(indent + 1);
          Value(v.list[i], indent + 1, path + "[" + std::to_string(i) + "]");
        }
        out += ')';
        break;
      case vaCollection:
        out += '<';
        for (std::size_t i = 0; i < v.items.size(); ++i) {
          const TfCollectionItem& item = v.items[i];
          out += '\n';
          Indent(indent + 1);
          out += "item";
          if (item.hasIndex) {
            out += " [";
            Integer(item.index);
            out += ']';
          }
          out += '\n';
          Properties(item.properties, indent + 2, path + "[" + std::to_string(i) + "]");
          Indent(indent + 1);
          out += "end";
        }
        out += '>';
        break;
      default: {
        char buf[48];
        std::snprintf(buf, sizeof buf, "Unknown value tag 0x%02X", unsigned(v.type));
        throw EFormWriteError(buf);
      }
    }
  }

  const TFormTextOptions& options_;
};

}  // namespace


std::string FormatFormText(const TfObject& root, const TFormTextOptions& options) {
  TextWriter w(options);
  w.Object(root, 0, "");
  return std::move(w.out);
}
