#include "ui/forms/proptable.h"

TEnumNames TEnumNames::Indexed(std::initializer_list<const char*> names) {
  TEnumNames out(std::initializer_list<TEnumName>{});
  for (const char* name : names) out.names_.push_back({name, int(out.names_.size())});
  return out;
}

bool TEnumNames::Value(const std::string& name, int& value) const {
  for (const TEnumName& n : names_) {
    if (!SameText(name, n.name)) continue;
    value = n.value;
    return true;
  }
  return false;
}

const char* TEnumNames::Name(int value) const {
  for (const TEnumName& n : names_)
    if (n.value == value) return n.name;
  return nullptr;
}

int ReadEnumValue(const TReaderContext& ctx, const TfValue& v, const TEnumNames& names) {
  if (v.IsInteger()) {
    const int value = ctx.Int32(v);
    if (!names.Open() && !names.Name(value)) ctx.Error("Property value out of range");
    return value;
  }
  const std::string id = ctx.Ident(v);
  int value = 0;
  if (!names.Value(id, value)) ctx.Error("Invalid property value " + id);
  return value;
}

std::uint32_t ReadSetBits(const TReaderContext& ctx, const TfValue& v, const TEnumNames& names) {
  if (v.type != vaSet) ctx.Error("Invalid property value (a set expected)");
  std::uint32_t bits = 0;
  for (const std::string& name : v.names) {
    int value = 0;
    if (!names.Value(name, value)) ctx.Error("Invalid property value " + name);
    bits |= std::uint32_t(1) << unsigned(value);
  }
  return bits;
}

TfValue EnumValue(int value, const TEnumNames& names) {
  const char* name = names.Name(value);
  return name ? TfValue::Ident(name) : TfValue::Integer(value);
}

TfValue SetValue(std::uint32_t bits, const TEnumNames& names) {
  std::vector<std::string> out;
  for (const TEnumName& n : names.Names())
    if (bits & (std::uint32_t(1) << unsigned(n.value))) out.push_back(n.name);
  return TfValue::Set(std::move(out));
}

TColor ReadColorValue(const TReaderContext& ctx, const TfValue& v) {
  if (v.IsInteger()) return TColor(ctx.Integer(v));
  TColor c = 0;
  if (!IdentToColor(ctx.Ident(v), c)) ctx.Error("Invalid property value " + v.text);
  return c;
}

TfValue ColorValue(TColor color) {
  const std::string name = ColorToString(color);
  if (name.size() > 2 && name[0] == 'c' && name[1] == 'l') return TfValue::Ident(name);
  return TfValue::Integer(color);
}
