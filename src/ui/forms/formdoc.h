// The document model of a window definition and its binary "TPF0" stream form: a tree of
// component records, each with its property values kept exactly as stored (tag and all),
// so a stream read and written back gives the same bytes.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "ui/core/streams.h"
#include "ui/core/sysutils.h"

// A window definition that cannot be read (bad signature, unknown tag, cut short, too deep,
// a size beyond the end of the data). The message names the offset in the stream.
LB_DECLARE_EXCEPTION(EFormReadError, EReadError);
// A document that cannot be stored (a name longer than 255 bytes, an integer that does not
// fit its tag, a value where the format has no room for it).
LB_DECLARE_EXCEPTION(EFormWriteError, EWriteError);

// The value tags of the stream, one byte in front of every value.
enum TValueType : std::uint8_t {
  vaNull = 0x00,        // end of a list; as a property value: no value
  vaList = 0x01,        // values until vaNull
  vaInt8 = 0x02,
  vaInt16 = 0x03,
  vaInt32 = 0x04,
  vaExtended = 0x05,    // 10-byte x87 long double
  vaString = 0x06,      // 1-byte length
  vaIdent = 0x07,
  vaFalse = 0x08,
  vaTrue = 0x09,
  vaBinary = 0x0A,      // 4-byte length
  vaSet = 0x0B,
  vaLString = 0x0C,     // 4-byte length
  vaNil = 0x0D,
  vaCollection = 0x0E,
  vaSingle = 0x0F,      // 4-byte float
  vaCurrency = 0x10,    // int64 scaled by 10000
  vaDate = 0x11,        // 8-byte double
  vaWString = 0x12,     // 4-byte length in UTF-16 units, then UTF-16LE
  vaInt64 = 0x13,
  vaUTF8String = 0x14,  // 4-byte length
};
constexpr std::uint8_t kLastValueType = vaUTF8String;

// The filer flags of an object record (the low bits of a 0xF0..0xF7 prefix byte).
enum TFilerFlag : std::uint8_t { ffInherited = 0x01, ffChildPos = 0x02, ffInline = 0x04 };

// Records and values may nest this deep; deeper input is refused rather than recursed into.
constexpr int kMaxFormDepth = 64;

struct TfProperty;
struct TfCollectionItem;

// One stored value: its tag and the payload that tag uses.
struct TfValue {
  TValueType type = vaNull;
  std::int64_t integer = 0;              // int8..int64, currency (scaled by 10000)
  std::array<std::uint8_t, 10> raw{};    // extended (10), single (4), date (8) as stored
  std::string text;                      // string, ident, long and UTF-8 strings (bytes)
  std::u16string wide;                   // wide string (UTF-16 units as stored)
  std::vector<std::uint8_t> bytes;       // binary
  std::vector<std::string> names;        // set members
  std::vector<TfValue> list;             // list
  std::vector<TfCollectionItem> items;   // collection

  bool IsInteger() const;  // int8/16/32/64
  bool IsString() const;   // string, long, UTF-8 or wide string
  bool IsReal() const;     // extended, single, date, currency
  // Numeric views: AsInteger raises EConvertError for non-integers; AsDouble takes any
  // number (extended converted to the nearest double).
  std::int64_t AsInteger() const;
  double AsDouble() const;
  // The text of any string kind (wide strings converted to UTF-8) or of an identifier.
  std::string AsString() const;

  static TfValue Integer(std::int64_t v);  // the smallest of int8/16/32, else int64
  static TfValue Integer(std::int64_t v, TValueType type);
  static TfValue String(const std::string& s);  // vaString up to 255 bytes, else vaLString
  static TfValue Ident(const std::string& s);
  static TfValue Boolean(bool b);
  static TfValue Binary(std::vector<std::uint8_t> data);
  static TfValue Extended(double v);
  static TfValue Single(float v);
  static TfValue Date(double v);
  static TfValue Set(std::vector<std::string> members);
  static TfValue Nil();
};

struct TfProperty {
  std::string name;
  TfValue value;
};

// One entry of a collection, optionally preceded by an integer (kept, but meaningless).
struct TfCollectionItem {
  bool hasIndex = false;
  TfValue index;  // an integer value when hasIndex
  std::vector<TfProperty> properties;
};

// One component record and its children.
struct TfObject {
  bool hasFlags = false;     // the record started with a 0xF0..0xF7 byte
  std::uint8_t flags = 0;    // TFilerFlag bits
  TfValue position;          // child position, an integer value when flags has ffChildPos
  std::string className;
  std::string name;
  std::vector<TfProperty> properties;
  std::vector<TfObject> children;

  const TfProperty* FindProperty(const std::string& propName) const;
};

// Reads a "TPF0" stream from the stream's position; the stream is left after the record.
// Raises EFormReadError.
TfObject ReadTpf0(TStream& stream);
TfObject ReadTpf0(const std::uint8_t* data, std::size_t size);
// Writes the signature and the record. Raises EFormWriteError when the document cannot be
// stored as it is.
void WriteTpf0(TStream& stream, const TfObject& root);
std::vector<std::uint8_t> WriteTpf0(const TfObject& root);

// The 10-byte x87 extended format and double.
double ExtendedToDouble(const std::array<std::uint8_t, 10>& raw);
std::array<std::uint8_t, 10> DoubleToExtended(double v);

// UTF-16 and UTF-8 conversions for wide strings (unpaired surrogates become U+FFFD).
std::string Utf16ToUtf8(const std::u16string& s);
std::u16string Utf8ToUtf16(const std::string& s);
