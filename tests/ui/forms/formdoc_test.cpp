#include "ui/forms/formdoc.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>

#include "ui/forms/formtext.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

void Put(Bytes& b, std::initializer_list<int> v) {
  for (int x : v) b.push_back(std::uint8_t(x));
}
void PutStr(Bytes& b, const std::string& s) {
  b.push_back(std::uint8_t(s.size()));
  b.insert(b.end(), s.begin(), s.end());
}
void PutLe32(Bytes& b, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(std::uint8_t(v >> (8 * i)));
}

// A form with one property "P" whose tagged value is `value`.
Bytes FormWith(const Bytes& value) {
  Bytes b = {'T', 'P', 'F', '0'};
  PutStr(b, "TForm");
  PutStr(b, "Form1");
  PutStr(b, "P");
  b.insert(b.end(), value.begin(), value.end());
  Put(b, {0, 0});
  return b;
}

void SaveSeed(const std::string& name, const Bytes& bytes) {
  std::filesystem::path dir = std::filesystem::path(LB_BINARY_DIR) / "fuzz-seeds" / "fuzz_forms";
  std::filesystem::create_directories(dir);
  std::ofstream(dir / name, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// The start of a PNG image list as a window definition stores it (two items).
Bytes ImageListExample(const Bytes& png) {
  Bytes b = {'T', 'P', 'F', '0'};
  PutStr(b, "TPngImageList");
  PutStr(b, "ImageListMain");
  PutStr(b, "Height");
  Put(b, {0x02, 32});
  PutStr(b, "Width");
  Put(b, {0x02, 32});
  PutStr(b, "PngImages");
  Put(b, {0x0E, 0x01});
  PutStr(b, "PngImage.Data");
  Put(b, {0x0A});
  PutLe32(b, std::uint32_t(png.size()));
  b.insert(b.end(), png.begin(), png.end());
  PutStr(b, "Name");
  Put(b, {0x06});
  PutStr(b, "PngImage0");
  PutStr(b, "Background");
  Put(b, {0x07});
  PutStr(b, "clWindow");
  Put(b, {0x00});
  Put(b, {0x01});  // the next item: a name only
  PutStr(b, "Name");
  Put(b, {0x06});
  PutStr(b, "PngImage1");
  Put(b, {0x00, 0x00});  // end of item, end of collection
  PutStr(b, "Left");
  Put(b, {0x03, 0x10, 0x01});
  PutStr(b, "Top");
  Put(b, {0x03, 0x08, 0x00});
  PutStr(b, "Bitmap");
  Put(b, {0x0A});
  PutLe32(b, 0);
  Put(b, {0x00, 0x00});
  return b;
}

const Bytes kPngStart = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 0, 'I', 'E', 'N', 'D', 0xAE, 0x42, 0x60, 0x82};

TEST(FormDoc, ReadsTheStoredImageList) {
  Bytes stream = ImageListExample(kPngStart);
  SaveSeed("imagelist.bin", stream);
  TfObject root = ReadTpf0(stream.data(), stream.size());
  EXPECT_EQ(root.className, "TPngImageList");
  EXPECT_EQ(root.name, "ImageListMain");
  ASSERT_EQ(root.properties.size(), 6u);
  const TfProperty* images = root.FindProperty("PngImages");
  ASSERT_NE(images, nullptr);
  ASSERT_EQ(images->value.type, vaCollection);
  ASSERT_EQ(images->value.items.size(), 2u);
  const auto& first = images->value.items[0].properties;
  ASSERT_EQ(first.size(), 3u);
  EXPECT_EQ(first[0].name, "PngImage.Data");
  EXPECT_EQ(first[0].value.type, vaBinary);
  EXPECT_EQ(first[0].value.bytes, kPngStart);
  EXPECT_EQ(first[1].value.type, vaString);
  EXPECT_EQ(first[1].value.text, "PngImage0");
  EXPECT_EQ(first[2].value.type, vaIdent);
  EXPECT_EQ(first[2].value.text, "clWindow");
  EXPECT_EQ(root.FindProperty("Left")->value.type, vaInt16);
  EXPECT_EQ(root.FindProperty("Left")->value.integer, 272);
  EXPECT_EQ(root.FindProperty("Bitmap")->value.bytes.size(), 0u);
  EXPECT_EQ(WriteTpf0(root), stream);
  // The example's length bytes: B9 15 00 00 for 5561 bytes of PNG.
  Bytes png5561(5561, 0x55);
  Bytes big = ImageListExample(png5561);
  Bytes expect = {0x0A, 0xB9, 0x15, 0x00, 0x00, 0x55};
  EXPECT_NE(std::search(big.begin(), big.end(), expect.begin(), expect.end()), big.end());
  EXPECT_EQ(WriteTpf0(ReadTpf0(big.data(), big.size())), big);
}

struct TagCase {
  const char* name;
  Bytes value;
  TValueType type;
};

void PrintTo(const TagCase& c, std::ostream* os) { *os << c.name; }
class EveryTag : public testing::TestWithParam<TagCase> {};

TEST_P(EveryTag, RoundTripsThroughModelAndText) {
  const TagCase& c = GetParam();
  Bytes stream = FormWith(c.value);
  SaveSeed(std::string("tag_") + c.name + ".bin", stream);
  TfObject doc = ReadTpf0(stream.data(), stream.size());
  ASSERT_EQ(doc.properties.size(), 1u);
  EXPECT_EQ(doc.properties[0].value.type, c.type);
  EXPECT_EQ(WriteTpf0(doc), stream) << "binary -> model -> binary";
  std::string text = FormatFormText(doc);
  Bytes again;
  try {
    again = WriteTpf0(ParseFormText(text, ""));
  } catch (const EFormTextError& e) {
    FAIL() << e.Message() << "\n" << text;
  }
  EXPECT_EQ(again, stream) << text;
}

Bytes Cat(std::initializer_list<Bytes> parts) {
  Bytes r;
  for (const Bytes& p : parts) r.insert(r.end(), p.begin(), p.end());
  return r;
}
Bytes S(const std::string& s) {
  Bytes b;
  PutStr(b, s);
  return b;
}
Bytes L32(std::uint32_t v) {
  Bytes b;
  PutLe32(b, v);
  return b;
}

INSTANTIATE_TEST_SUITE_P(
    Tags, EveryTag,
    testing::Values(
        TagCase{"null", {0x00}, vaNull},
        TagCase{"list_empty", {0x01, 0x00}, vaList},
        TagCase{"list_nested", Cat({{0x01, 0x02, 0x05}, {0x06}, S("a"), {0x01, 0x09, 0x00, 0x0D, 0x00}}), vaList},
        TagCase{"int8", {0x02, 0x85}, vaInt8},
        TagCase{"int16", {0x03, 0x00, 0x80}, vaInt16},
        TagCase{"int16_small", {0x03, 0x05, 0x00}, vaInt16},
        TagCase{"int32", {0x04, 0x00, 0x00, 0x00, 0x80}, vaInt32},
        TagCase{"int32_small", {0x04, 0xFF, 0xFF, 0xFF, 0xFF}, vaInt32},
        TagCase{"extended_one", {0x05, 0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F}, vaExtended},
        TagCase{"extended_pi", {0x05, 0x35, 0xC2, 0x68, 0x21, 0xA2, 0xDA, 0x0F, 0xC9, 0x00, 0x40}, vaExtended},
        TagCase{"extended_nan", {0x05, 1, 0, 0, 0, 0, 0, 0, 0xC0, 0xFF, 0x7F}, vaExtended},
        TagCase{"extended_unnormal", {0x05, 1, 2, 3, 4, 5, 6, 7, 0x08, 0x34, 0x12}, vaExtended},
        TagCase{"extended_negzero", {0x05, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x80}, vaExtended},
        TagCase{"string", Cat({{0x06}, S("it's #1\r\n")}), vaString},
        TagCase{"string_empty", {0x06, 0x00}, vaString},
        TagCase{"string_high", Cat({{0x06}, S("\xE9\x01\xFF")}), vaString},
        TagCase{"ident", Cat({{0x07}, S("clWindow")}), vaIdent},
        TagCase{"ident_true", Cat({{0x07}, S("True")}), vaIdent},
        TagCase{"ident_odd", Cat({{0x07}, S("not an ident")}), vaIdent},
        TagCase{"ident_empty", {0x07, 0x00}, vaIdent},
        TagCase{"false", {0x08}, vaFalse},
        TagCase{"true", {0x09}, vaTrue},
        TagCase{"binary", Cat({{0x0A}, L32(3), {0x00, 0x7F, 0xFF}}), vaBinary},
        TagCase{"binary_long", Cat({{0x0A}, L32(70), Bytes(70, 0xA5)}), vaBinary},
        TagCase{"set", Cat({{0x0B}, S("fsBold"), S("fs Odd"), {0x00}}), vaSet},
        TagCase{"set_empty", {0x0B, 0x00}, vaSet},
        TagCase{"lstring_short", Cat({{0x0C}, L32(2), {'h', 'i'}}), vaLString},
        TagCase{"lstring_long", Cat({{0x0C}, L32(300), Bytes(300, 'x')}), vaLString},
        TagCase{"nil", {0x0D}, vaNil},
        TagCase{"collection", Cat({{0x0E, 0x01}, S("Name"), {0x06}, S("a"), {0x00, 0x04, 5, 0, 0, 0, 0x01, 0x00, 0x02, 7, 0x01, 0x00, 0x00}}), vaCollection},
        TagCase{"collection_empty", {0x0E, 0x00}, vaCollection},
        TagCase{"single", {0x0F, 0x00, 0x00, 0xC0, 0x3F}, vaSingle},
        TagCase{"single_nan", {0x0F, 0x01, 0x00, 0x80, 0x7F}, vaSingle},
        TagCase{"single_inf", {0x0F, 0x00, 0x00, 0x80, 0xFF}, vaSingle},
        TagCase{"currency", {0x10, 0x08, 0xE8, 0x01, 0, 0, 0, 0, 0}, vaCurrency},
        TagCase{"currency_min", {0x10, 0, 0, 0, 0, 0, 0, 0, 0x80}, vaCurrency},
        TagCase{"date", {0x11, 0, 0, 0, 0, 0x08, 0xF8, 0xE5, 0x40}, vaDate},
        TagCase{"date_inf", {0x11, 0, 0, 0, 0, 0, 0, 0xF0, 0x7F}, vaDate},
        TagCase{"wstring", Cat({{0x12}, L32(4), {'C', 0, 0xE9, 0, 0xAC, 0x20, 0x00, 0xD8}}), vaWString},
        TagCase{"int64", {0x13, 0, 0, 0, 0, 0, 0, 0, 0x80}, vaInt64},
        TagCase{"int64_small", {0x13, 1, 0, 0, 0, 0, 0, 0, 0}, vaInt64},
        TagCase{"utf8", Cat({{0x14}, L32(3), {'a', 0xC3, 0xA9}}), vaUTF8String}),
    [](const testing::TestParamInfo<TagCase>& info) { return std::string(info.param.name); });

// Object records with filer flags, positions and children.
struct RecordCase {
  const char* name;
  Bytes child;  // one child record
};
void PrintTo(const RecordCase& c, std::ostream* os) { *os << c.name; }
class EveryRecord : public testing::TestWithParam<RecordCase> {};

TEST_P(EveryRecord, RoundTrips) {
  Bytes stream = {'T', 'P', 'F', '0'};
  PutStr(stream, "TForm");
  PutStr(stream, "Form1");
  stream.push_back(0);
  stream.insert(stream.end(), GetParam().child.begin(), GetParam().child.end());
  stream.push_back(0);
  SaveSeed(std::string("record_") + GetParam().name + ".bin", stream);
  TfObject doc = ReadTpf0(stream.data(), stream.size());
  ASSERT_EQ(doc.children.size(), 1u);
  EXPECT_EQ(WriteTpf0(doc), stream);
  std::string text = FormatFormText(doc);
  EXPECT_EQ(WriteTpf0(ParseFormText(text, "")), stream) << text;
}

INSTANTIATE_TEST_SUITE_P(
    Records, EveryRecord,
    testing::Values(RecordCase{"plain", Cat({S("TPanel"), S("Panel1"), {0, 0}})},
                    RecordCase{"noname", Cat({S("TPanel"), S(""), {0, 0}})},
                    RecordCase{"inherited", Cat({{0xF1}, S("TPanel"), S("Panel1"), {0, 0}})},
                    RecordCase{"inline", Cat({{0xF4}, S("TFrame1"), S("Frame"), {0, 0}})},
                    RecordCase{"position", Cat({{0xF2, 0x02, 3}, S("TPanel"), S("P"), {0, 0}})},
                    RecordCase{"position_wide", Cat({{0xF3, 0x04, 3, 0, 0, 0}, S("TPanel"), S("P"), {0, 0}})},
                    RecordCase{"flags_empty", Cat({{0xF0}, S("TPanel"), S("P"), {0, 0}})},
                    RecordCase{"flags_all", Cat({{0xF7, 0x02, 1}, S("TPanel"), S("P"), {0, 0}})},
                    RecordCase{"empty_class", Cat({{0xF0}, S(""), S(""), {0, 0}})},
                    RecordCase{"odd_names", Cat({S("T Odd"), S("end"), {0, 0}})},
                    RecordCase{"nested", Cat({S("TPanel"), S("A"), S("Left"), {0x02, 1, 0}, S("TButton"), S("B"), {0, 0, 0}})}),
    [](const testing::TestParamInfo<RecordCase>& info) { return std::string(info.param.name); });

TEST(FormDoc, EveryTruncationRaisesATypedError) {
  Bytes stream = ImageListExample(kPngStart);
  for (std::size_t n = 0; n < stream.size(); ++n) {
    try {
      ReadTpf0(stream.data(), n);
      ADD_FAILURE() << "a stream cut at " << n << " bytes was accepted";
    } catch (const EFormReadError&) {
    }
  }
}

TEST(FormDoc, ErrorsSayWhatAndWhere) {
  struct Case {
    Bytes stream;
    std::string message;
  } cases[] = {
      {{'T', 'P', 'F', '1', 0}, "Invalid stream format"},
      {{}, "Invalid stream format"},
      {FormWith({0x15}), "Unknown value tag 0x15 at offset 18"},
      {FormWith({0xFF}), "Unknown value tag 0xFF at offset 18"},
      {FormWith({0x01, 0x16, 0x00}), "Unknown value tag 0x16 at offset 19"},
      {FormWith(Cat({{0x0A}, L32(0xFFFFFFF0u)})), "Length 4294967280 of binary value at offset 19 exceeds the end of the stream"},
      {FormWith(Cat({{0x12}, L32(0x80000000u)})), "exceeds the end of the stream"},
      {FormWith(Cat({{0x0C}, L32(10), {'a', 0, 0}})), "exceeds the end"},
      {FormWith({0x0E, 0x05}), "Invalid collection item"},
      {FormWith({0x0E, 0x02, 0x01, 0x02}), "Invalid collection item"},
      {Cat({{'T', 'P', 'F', '0', 0xF2, 0x06}, S("x")}), "Invalid child position"},
  };
  for (const Case& c : cases) {
    try {
      ReadTpf0(c.stream.data(), c.stream.size());
      ADD_FAILURE() << "accepted, expected " << c.message;
    } catch (const EFormReadError& e) {
      EXPECT_NE(e.Message().find(c.message), std::string::npos) << e.Message();
      EXPECT_STREQ(e.ClassName(), "EFormReadError");
    }
  }
}

TEST(FormDoc, NestingIsBounded) {
  for (int depth : {10, 60, 70, 100000}) {
    Bytes value(std::size_t(depth), 0x01);
    value.insert(value.end(), std::size_t(depth), 0x00);
    Bytes stream = FormWith(value);
    if (depth <= 60) {
      EXPECT_EQ(WriteTpf0(ReadTpf0(stream.data(), stream.size())), stream);
    } else {
      EXPECT_THROW(ReadTpf0(stream.data(), stream.size()), EFormReadError) << depth;
    }
  }
  // Deeply nested child records too.
  Bytes stream = {'T', 'P', 'F', '0'};
  for (int i = 0; i < 5000; ++i) PutStr(stream, "T"), PutStr(stream, ""), stream.push_back(0);
  stream.insert(stream.end(), 5000, 0x00);
  EXPECT_THROW(ReadTpf0(stream.data(), stream.size()), EFormReadError);
}

TEST(FormDoc, StreamReadingStartsAndEndsAtTheRecord) {
  Bytes form = FormWith({0x02, 7});
  Bytes data = {'x', 'y', 'z'};
  data.insert(data.end(), form.begin(), form.end());
  data.push_back('!');
  TMemoryStream stream(data);
  stream.SetPosition(3);
  TfObject doc = ReadTpf0(stream);
  EXPECT_EQ(doc.properties[0].value.integer, 7);
  EXPECT_EQ(stream.Position(), std::int64_t(data.size() - 1));
  // Offsets in messages are positions in the stream.
  Bytes bad = {'x', 'y', 'z'};
  Bytes badForm = FormWith({0x42});
  bad.insert(bad.end(), badForm.begin(), badForm.end());
  TMemoryStream badStream(bad);
  badStream.SetPosition(3);
  try {
    ReadTpf0(badStream);
    ADD_FAILURE();
  } catch (const EFormReadError& e) {
    EXPECT_EQ(e.Message(), "Unknown value tag 0x42 at offset 21");
  }
  TMemoryStream out;
  WriteTpf0(out, doc);
  EXPECT_EQ(out.Bytes(), form);
}

TEST(FormDoc, WriterRefusesWhatTheFormatCannotHold) {
  auto base = [] {
    TfObject o;
    o.className = "TForm";
    o.name = "F";
    return o;
  };
  std::vector<std::pair<std::string, TfObject>> cases;
  TfObject o = base();
  o.properties.push_back({"P", TfValue::Integer(300, vaInt8)});
  cases.push_back({"int8 300", o});
  o = base();
  o.properties.push_back({"", TfValue::Integer(1)});
  cases.push_back({"empty property name", o});
  o = base();
  o.name = std::string(256, 'n');
  cases.push_back({"long name", o});
  o = base();
  o.children.push_back(TfObject{});
  cases.push_back({"child without class", o});
  o = base();
  o.className = std::string(0xF3, 'T');
  cases.push_back({"class name like a flags byte", o});
  o = base();
  TfValue list;
  list.type = vaList;
  list.list.push_back(TfValue{});
  o.properties.push_back({"P", list});
  cases.push_back({"null in list", o});
  o = base();
  o.properties.push_back({"P", TfValue::Set({"a", ""})});
  cases.push_back({"empty set member", o});
  for (const auto& [what, doc] : cases) EXPECT_THROW(WriteTpf0(doc), EFormWriteError) << what;
}

TEST(FormDoc, ExtendedConversion) {
  EXPECT_EQ(DoubleToExtended(1.0), (std::array<std::uint8_t, 10>{0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F}));
  EXPECT_EQ(DoubleToExtended(-2.0), (std::array<std::uint8_t, 10>{0, 0, 0, 0, 0, 0, 0, 0x80, 0x00, 0xC0}));
  for (double d : {0.0, -0.0, 1.0, -1.5, 3.141592653589793, 1e300, -1e-300, std::numeric_limits<double>::denorm_min(),
                   std::numeric_limits<double>::max(), std::numeric_limits<double>::infinity()}) {
    double back = ExtendedToDouble(DoubleToExtended(d));
    EXPECT_EQ(std::memcmp(&back, &d, sizeof d), 0) << d;
  }
  EXPECT_TRUE(std::isnan(ExtendedToDouble(DoubleToExtended(std::nan("")))));
  // Beyond the double range: infinity and zero.
  EXPECT_TRUE(std::isinf(ExtendedToDouble({0, 0, 0, 0, 0, 0, 0, 0x80, 0xFE, 0x7F})));
  EXPECT_EQ(ExtendedToDouble({0, 0, 0, 0, 0, 0, 0, 0x80, 0x01, 0x00}), 0.0);
}

}  // namespace
