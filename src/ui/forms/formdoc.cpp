// The document model's binary form: the reader and writer of "TPF0" streams, the value
// constructors and the conversions they share.
//
// Sections: the binary reader / the binary writer / values and their constructors /
// reading and writing streams / 80-bit reals / UTF-16.
#include "ui/forms/formdoc.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

namespace {

std::string Hex2(unsigned v) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "0x%02X", v & 0xFFu);
  return buf;
}

// Parses from a block of bytes; offsets in messages are stream positions.
class TpfParser {
 public:
  TpfParser(const std::uint8_t* data, std::size_t size, std::int64_t base)
      : data_(data), size_(size), base_(base) {}

  std::size_t Pos() const { return pos_; }

  TfObject ReadRoot() {
    if (size_ < 4 || std::memcmp(data_, "TPF0", 4) != 0) Fail("Invalid stream format");
    pos_ = 4;
    return ReadObject(0);
  }

 private:
  [[noreturn]] void Fail(const std::string& message) const { throw EFormReadError(message); }
  [[noreturn]] void Truncated(const char* what) const {
    throw EFormReadError(std::string("Unexpected end of stream reading ") + what + " at offset " +
                         std::to_string(base_ + std::int64_t(pos_)));
  }
  void Need(std::size_t n, const char* what) const {
    if (n > size_ - pos_) Truncated(what);
  }
  void CheckDepth(int depth) const {
    if (depth > kMaxFormDepth)
      Fail("Form nesting deeper than " + std::to_string(kMaxFormDepth) + " levels at offset " +
           std::to_string(base_ + std::int64_t(pos_)));
  }
  std::uint8_t Byte(const char* what) {
    Need(1, what);
    return data_[pos_++];
  }
  std::uint8_t Peek(const char* what) const {
    Need(1, what);
    return data_[pos_];
  }
  std::uint64_t LittleEndian(int n, const char* what) {
    Need(std::size_t(n), what);
    std::uint64_t v = 0;
    for (int i = n - 1; i >= 0; --i) v = (v << 8) | data_[pos_ + std::size_t(i)];
    pos_ += std::size_t(n);
    return v;
  }
  std::string ShortString(const char* what) {
    std::size_t len = Byte(what);
    return Chars(len, what);
  }
  std::string Chars(std::size_t len, const char* what) {
    Need(len, what);
    std::string s(reinterpret_cast<const char*>(data_ + pos_), len);
    pos_ += len;
    return s;
  }
  // A 4-byte length, refused when more than what is left (before anything is allocated).
  std::size_t Length32(std::size_t unit, const char* what) {
    std::size_t at = pos_;
    std::uint64_t len = LittleEndian(4, what);
    if (len * unit > size_ - pos_) {
      throw EFormReadError(std::string("Length ") + std::to_string(len) + " of " + what + " at offset " +
                           std::to_string(base_ + std::int64_t(at)) + " exceeds the end of the stream");
    }
    return std::size_t(len);
  }

  TfValue ReadInteger(const char* what) {
    std::size_t at = pos_;
    TfValue v;
    v.type = TValueType(Byte(what));
    switch (v.type) {
      case vaInt8: v.integer = std::int8_t(LittleEndian(1, what)); break;
      case vaInt16: v.integer = std::int16_t(LittleEndian(2, what)); break;
      case vaInt32: v.integer = std::int32_t(LittleEndian(4, what)); break;
      default:
        Fail(std::string("Invalid ") + what + " (value tag " + Hex2(v.type) + ") at offset " +
             std::to_string(base_ + std::int64_t(at)));
    }
    return v;
  }

  TfObject ReadObject(int depth) {
    CheckDepth(depth);
    TfObject obj;
    std::uint8_t first = Peek("object record");
    if ((first & 0xF0) == 0xF0 && (first & 0x0F) <= 0x07) {
      ++pos_;
      obj.hasFlags = true;
      obj.flags = first & 0x07;
      if (obj.flags & ffChildPos) obj.position = ReadInteger("child position");
    }
    obj.className = ShortString("class name");
    obj.name = ShortString("component name");
    ReadProperties(obj.properties, depth);
    while (Peek("child records") != 0) obj.children.push_back(ReadObject(depth + 1));
    ++pos_;
    return obj;
  }

  void ReadProperties(std::vector<TfProperty>& props, int depth) {
    for (;;) {
      std::string name = ShortString("property name");
      if (name.empty()) return;
      TfProperty p;
      p.name = std::move(name);
      p.value = ReadValue(depth + 1);
      props.push_back(std::move(p));
    }
  }

  TfValue ReadValue(int depth) {
    CheckDepth(depth);
    std::size_t at = pos_;
    TfValue v;
    std::uint8_t tag = Byte("value tag");
    if (tag > kLastValueType)
      Fail("Unknown value tag " + Hex2(tag) + " at offset " + std::to_string(base_ + std::int64_t(at)));
    v.type = TValueType(tag);
    switch (v.type) {
      case vaNull:
      case vaFalse:
      case vaTrue:
      case vaNil:
        break;
      case vaList:
        while (Peek("list") != vaNull) v.list.push_back(ReadValue(depth + 1));
        ++pos_;
        break;
      case vaInt8: v.integer = std::int8_t(LittleEndian(1, "integer")); break;
      case vaInt16: v.integer = std::int16_t(LittleEndian(2, "integer")); break;
      case vaInt32: v.integer = std::int32_t(LittleEndian(4, "integer")); break;
      case vaInt64:
      case vaCurrency:
        v.integer = std::int64_t(LittleEndian(8, "integer"));
        break;
      case vaExtended:
        Need(10, "extended value");
        std::memcpy(v.raw.data(), data_ + pos_, 10);
        pos_ += 10;
        break;
      case vaSingle:
        Need(4, "single value");
        std::memcpy(v.raw.data(), data_ + pos_, 4);
        pos_ += 4;
        break;
      case vaDate:
        Need(8, "date value");
        std::memcpy(v.raw.data(), data_ + pos_, 8);
        pos_ += 8;
        break;
      case vaString:
      case vaIdent:
        v.text = ShortString(v.type == vaString ? "string" : "identifier");
        break;
      case vaLString:
      case vaUTF8String: {
        std::size_t len = Length32(1, "string");
        v.text = Chars(len, "string");
        break;
      }
      case vaWString: {
        std::size_t len = Length32(2, "wide string");
        v.wide.resize(len);
        for (std::size_t i = 0; i < len; ++i) v.wide[i] = char16_t(data_[pos_ + 2 * i] | (data_[pos_ + 2 * i + 1] << 8));
        pos_ += 2 * len;
        break;
      }
      case vaBinary: {
        std::size_t len = Length32(1, "binary value");
        v.bytes.assign(data_ + pos_, data_ + pos_ + len);
        pos_ += len;
        break;
      }
      case vaSet:
        for (;;) {
          std::string member = ShortString("set");
          if (member.empty()) break;
          v.names.push_back(std::move(member));
        }
        break;
      case vaCollection:
        for (;;) {
          std::uint8_t b = Peek("collection");
          if (b == vaNull) {
            ++pos_;
            break;
          }
          TfCollectionItem item;
          if (b == vaInt8 || b == vaInt16 || b == vaInt32) {
            item.hasIndex = true;
            item.index = ReadInteger("collection item index");
          }
          std::size_t itemAt = pos_;
          if (Byte("collection item") != vaList)
            Fail("Invalid collection item (value tag " + Hex2(data_[itemAt]) + ") at offset " +
                 std::to_string(base_ + std::int64_t(itemAt)));
          ReadProperties(item.properties, depth + 1);
          v.items.push_back(std::move(item));
        }
        break;
    }
    return v;
  }

  const std::uint8_t* data_;
  std::size_t size_;
  std::int64_t base_;
  std::size_t pos_ = 0;
};

class TpfWriter {
 public:
  std::vector<std::uint8_t> out;

  void Root(const TfObject& root) {
    out.insert(out.end(), {'T', 'P', 'F', '0'});
    Object(root, 0, true);
  }

 private:
  [[noreturn]] static void Fail(const std::string& message) { throw EFormWriteError(message); }
  void Le(std::uint64_t v, int n) {
    for (int i = 0; i < n; ++i) out.push_back(std::uint8_t(v >> (8 * i)));
  }
  void Short(const std::string& s, const char* what, bool allowEmpty) {
    if (s.size() > 255) Fail(std::string(what) + " '" + s.substr(0, 32) + "...' is longer than 255 bytes");
    if (s.empty() && !allowEmpty) Fail(std::string(what) + " may not be empty");
    out.push_back(std::uint8_t(s.size()));
    out.insert(out.end(), s.begin(), s.end());
  }
  void Len32(std::size_t n) {
    if (n > 0xFFFFFFFFu) Fail("Value longer than 4 GiB");
    Le(n, 4);
  }
  void Integer(const TfValue& v, const char* what) {
    std::int64_t lo, hi;
    int n;
    switch (v.type) {
      case vaInt8: lo = INT8_MIN, hi = INT8_MAX, n = 1; break;
      case vaInt16: lo = INT16_MIN, hi = INT16_MAX, n = 2; break;
      case vaInt32: lo = INT32_MIN, hi = INT32_MAX, n = 4; break;
      case vaInt64: lo = INT64_MIN, hi = INT64_MAX, n = 8; break;
      default: Fail(std::string(what) + " is not an integer");
    }
    if (v.integer < lo || v.integer > hi)
      Fail("Integer " + std::to_string(v.integer) + " does not fit value tag " + Hex2(v.type));
    out.push_back(v.type);
    Le(std::uint64_t(v.integer), n);
  }
  void Depth(int depth) {
    if (depth > kMaxFormDepth) Fail("Form nesting deeper than " + std::to_string(kMaxFormDepth) + " levels");
  }

  void Object(const TfObject& obj, int depth, bool root) {
    Depth(depth);
    if (obj.hasFlags) {
      if (obj.flags > 7) Fail("Invalid filer flags of " + obj.name);
      out.push_back(std::uint8_t(0xF0 | obj.flags));
      if (obj.flags & ffChildPos) {
        if (obj.position.type == vaInt64) Fail("A child position must be an int8, int16 or int32");
        Integer(obj.position, "Child position");
      }
      Short(obj.className, "Class name", true);
    } else {
      if (obj.className.size() >= 0xF0 && obj.className.size() <= 0xF7)
        Fail("Class name of " + std::to_string(obj.className.size()) + " bytes needs a filer flags prefix");
      Short(obj.className, "Class name", root);
    }
    Short(obj.name, "Component name", true);
    Properties(obj.properties, depth);
    for (const TfObject& child : obj.children) Object(child, depth + 1, false);
    out.push_back(0);
  }

  void Properties(const std::vector<TfProperty>& props, int depth) {
    for (const TfProperty& p : props) {
      Short(p.name, "Property name", false);
      Value(p.value, depth + 1, false);
    }
    out.push_back(0);
  }

  void Value(const TfValue& v, int depth, bool inList) {
    Depth(depth);
    switch (v.type) {
      case vaNull:
        if (inList) Fail("A list may not hold a null value");
        out.push_back(v.type);
        break;
      case vaFalse:
      case vaTrue:
      case vaNil:
        out.push_back(v.type);
        break;
      case vaList:
        out.push_back(v.type);
        for (const TfValue& e : v.list) Value(e, depth + 1, true);
        out.push_back(0);
        break;
      case vaInt8:
      case vaInt16:
      case vaInt32:
      case vaInt64:
        Integer(v, "Value");
        break;
      case vaCurrency:
        out.push_back(v.type);
        Le(std::uint64_t(v.integer), 8);
        break;
      case vaExtended:
        out.push_back(v.type);
        out.insert(out.end(), v.raw.begin(), v.raw.end());
        break;
      case vaSingle:
        out.push_back(v.type);
        out.insert(out.end(), v.raw.begin(), v.raw.begin() + 4);
        break;
      case vaDate:
        out.push_back(v.type);
        out.insert(out.end(), v.raw.begin(), v.raw.begin() + 8);
        break;
      case vaString:
      case vaIdent:
        out.push_back(v.type);
        Short(v.text, v.type == vaString ? "String" : "Identifier", true);
        break;
      case vaLString:
      case vaUTF8String:
        out.push_back(v.type);
        Len32(v.text.size());
        out.insert(out.end(), v.text.begin(), v.text.end());
        break;
      case vaWString:
        out.push_back(v.type);
        Len32(v.wide.size());
        for (char16_t c : v.wide) Le(c, 2);
        break;
      case vaBinary:
        out.push_back(v.type);
        Len32(v.bytes.size());
        out.insert(out.end(), v.bytes.begin(), v.bytes.end());
        break;
      case vaSet:
        out.push_back(v.type);
        for (const std::string& m : v.names) Short(m, "Set member", false);
        out.push_back(0);
        break;
      case vaCollection:
        out.push_back(v.type);
        for (const TfCollectionItem& item : v.items) {
          if (item.hasIndex) {
            if (item.index.type == vaInt64) Fail("A collection item index must be an int8, int16 or int32");
            Integer(item.index, "Collection item index");
          }
          out.push_back(vaList);
          Properties(item.properties, depth + 1);
        }
        out.push_back(0);
        break;
      default:
        Fail("Unknown value tag " + Hex2(v.type));
    }
  }
};

}  // namespace

// ---------------------------------------------------------------------------------------

bool TfValue::IsInteger() const { return type == vaInt8 || type == vaInt16 || type == vaInt32 || type == vaInt64; }
bool TfValue::IsString() const {
  return type == vaString || type == vaLString || type == vaUTF8String || type == vaWString;
}
bool TfValue::IsReal() const {
  return type == vaExtended || type == vaSingle || type == vaDate || type == vaCurrency;
}

std::int64_t TfValue::AsInteger() const {
  if (!IsInteger()) throw EConvertError("Value is not an integer (value tag " + Hex2(type) + ")");
  return integer;
}

double TfValue::AsDouble() const {
  switch (type) {
    case vaExtended: return ExtendedToDouble(raw);
    case vaSingle: {
      float f;
      std::memcpy(&f, raw.data(), 4);
      return f;
    }
    case vaDate: {
      double d;
      std::memcpy(&d, raw.data(), 8);
      return d;
    }
    case vaCurrency: return double(integer) / 10000.0;
    default: return double(AsInteger());
  }
}

std::string TfValue::AsString() const {
  switch (type) {
    case vaString:
    case vaLString:
    case vaUTF8String:
    case vaIdent:
      return text;
    case vaWString: return Utf16ToUtf8(wide);
    default: throw EConvertError("Value is not a string (value tag " + Hex2(type) + ")");
  }
}

TfValue TfValue::Integer(std::int64_t v) {
  if (v >= INT8_MIN && v <= INT8_MAX) return Integer(v, vaInt8);
  if (v >= INT16_MIN && v <= INT16_MAX) return Integer(v, vaInt16);
  if (v >= INT32_MIN && v <= INT32_MAX) return Integer(v, vaInt32);
  return Integer(v, vaInt64);
}
TfValue TfValue::Integer(std::int64_t v, TValueType t) {
  TfValue r;
  r.type = t;
  r.integer = v;
  return r;
}
TfValue TfValue::String(const std::string& s) {
  TfValue r;
  r.type = s.size() <= 255 ? vaString : vaLString;
  r.text = s;
  return r;
}
TfValue TfValue::Ident(const std::string& s) {
  TfValue r;
  r.type = vaIdent;
  r.text = s;
  return r;
}
TfValue TfValue::Boolean(bool b) {
  TfValue r;
  r.type = b ? vaTrue : vaFalse;
  return r;
}
TfValue TfValue::Binary(std::vector<std::uint8_t> data) {
  TfValue r;
  r.type = vaBinary;
  r.bytes = std::move(data);
  return r;
}
TfValue TfValue::Extended(double v) {
  TfValue r;
  r.type = vaExtended;
  r.raw = DoubleToExtended(v);
  return r;
}
TfValue TfValue::Single(float v) {
  TfValue r;
  r.type = vaSingle;
  std::memcpy(r.raw.data(), &v, 4);
  return r;
}
TfValue TfValue::Date(double v) {
  TfValue r;
  r.type = vaDate;
  std::memcpy(r.raw.data(), &v, 8);
  return r;
}
TfValue TfValue::Set(std::vector<std::string> members) {
  TfValue r;
  r.type = vaSet;
  r.names = std::move(members);
  return r;
}
TfValue TfValue::Nil() {
  TfValue r;
  r.type = vaNil;
  return r;
}

const TfProperty* TfObject::FindProperty(const std::string& propName) const {
  for (const TfProperty& p : properties)
    if (p.name == propName) return &p;
  return nullptr;
}

TfObject ReadTpf0(const std::uint8_t* data, std::size_t size) {
  TpfParser parser(data, size, 0);
  return parser.ReadRoot();
}

TfObject ReadTpf0(TStream& stream) {
  std::int64_t start = stream.Position();
  std::int64_t size = stream.Size() - start;
  if (size < 0) size = 0;
  std::vector<std::uint8_t> data(std::size_t(size), 0);
  if (size > 0) stream.ReadBuffer(data.data(), size);
  TpfParser parser(data.data(), data.size(), start);
  TfObject root = parser.ReadRoot();
  stream.SetPosition(start + std::int64_t(parser.Pos()));
  return root;
}

std::vector<std::uint8_t> WriteTpf0(const TfObject& root) {
  TpfWriter w;
  w.Root(root);
  return std::move(w.out);
}

void WriteTpf0(TStream& stream, const TfObject& root) {
  std::vector<std::uint8_t> bytes = WriteTpf0(root);
  stream.WriteBuffer(bytes.data(), std::int64_t(bytes.size()));
}

// ---------------------------------------------------------------------------------------

double ExtendedToDouble(const std::array<std::uint8_t, 10>& raw) {
  std::uint64_t mant = 0;
  for (int i = 7; i >= 0; --i) mant = (mant << 8) | raw[std::size_t(i)];
  int exp = ((raw[9] & 0x7F) << 8) | raw[8];
  bool neg = (raw[9] & 0x80) != 0;
  double r;
  if (exp == 0x7FFF) {
    r = (mant & 0x7FFFFFFFFFFFFFFFull) == 0 ? std::numeric_limits<double>::infinity()
                                             : std::numeric_limits<double>::quiet_NaN();
  } else if (mant == 0) {
    r = 0.0;
  } else {
    // Denormals (exp 0) scale like exponent 1 without the integer bit.
    int e = (exp == 0 ? 1 : exp) - 16383 - 63;
    if (e > 2000) r = std::numeric_limits<double>::infinity();
    else if (e < -3000) r = 0.0;
    else r = std::ldexp(double(mant), e);
  }
  return neg ? -r : r;
}

std::array<std::uint8_t, 10> DoubleToExtended(double v) {
  std::array<std::uint8_t, 10> raw{};
  bool neg = std::signbit(v);
  std::uint64_t mant = 0;
  int exp = 0;
  if (std::isnan(v)) {
    exp = 0x7FFF;
    mant = 0xC000000000000000ull;
  } else if (std::isinf(v)) {
    exp = 0x7FFF;
    mant = 0x8000000000000000ull;
  } else if (v != 0.0) {
    int e;
    double f = std::frexp(std::fabs(v), &e);  // f in [0.5, 1)
    mant = std::uint64_t(std::ldexp(f, 64));  // exact: f has at most 53 significant bits
    exp = e - 1 + 16383;
  }
  for (int i = 0; i < 8; ++i) raw[std::size_t(i)] = std::uint8_t(mant >> (8 * i));
  raw[8] = std::uint8_t(exp & 0xFF);
  raw[9] = std::uint8_t(((exp >> 8) & 0x7F) | (neg ? 0x80 : 0));
  return raw;
}

std::string Utf16ToUtf8(const std::u16string& s) {
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    std::uint32_t c = s[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (std::uint32_t(s[i + 1]) - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
    if (c < 0x80) {
      out += char(c);
    } else if (c < 0x800) {
      out += char(0xC0 | (c >> 6));
      out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += char(0xE0 | (c >> 12));
      out += char(0x80 | ((c >> 6) & 0x3F));
      out += char(0x80 | (c & 0x3F));
    } else {
      out += char(0xF0 | (c >> 18));
      out += char(0x80 | ((c >> 12) & 0x3F));
      out += char(0x80 | ((c >> 6) & 0x3F));
      out += char(0x80 | (c & 0x3F));
    }
  }
  return out;
}

std::u16string Utf8ToUtf16(const std::string& s) {
  std::u16string out;
  std::size_t i = 0;
  while (i < s.size()) {
    unsigned char b = static_cast<unsigned char>(s[i]);
    std::uint32_t c;
    int extra;
    if (b < 0x80) c = b, extra = 0;
    else if ((b & 0xE0) == 0xC0) c = b & 0x1F, extra = 1;
    else if ((b & 0xF0) == 0xE0) c = b & 0x0F, extra = 2;
    else if ((b & 0xF8) == 0xF0) c = b & 0x07, extra = 3;
    else {
      out += u'\uFFFD';
      ++i;
      continue;
    }
    if (i + std::size_t(extra) >= s.size()) {
      out += u'\uFFFD';
      break;
    }
    bool ok = true;
    for (int k = 1; k <= extra; ++k) {
      unsigned char cb = static_cast<unsigned char>(s[i + std::size_t(k)]);
      if ((cb & 0xC0) != 0x80) {
        ok = false;
        break;
      }
      c = (c << 6) | (cb & 0x3F);
    }
    if (!ok || c > 0x10FFFF) {
      out += u'\uFFFD';
      ++i;
      continue;
    }
    i += std::size_t(extra) + 1;
    if (c >= 0x10000) {
      c -= 0x10000;
      out += char16_t(0xD800 + (c >> 10));
      out += char16_t(0xDC00 + (c & 0x3FF));
    } else {
      out += char16_t(c);
    }
  }
  return out;
}
