#include "ui/imglist/streaming.h"

TColor ReadColorValue(const TfValue& v, TReaderContext& ctx) {
  if (v.IsInteger()) return TColor(ctx.Int32(v));
  TColor c = 0;
  if (!IdentToColor(ctx.Ident(v), c)) ctx.Error("Invalid property value " + v.text);
  return c;
}

TfValue ColorValue(TColor color) {
  const std::string name = ColorToString(color);
  if (name.size() > 2 && name[0] == 'c' && name[1] == 'l') return TfValue::Ident(name);
  return TfValue::Integer(color);
}
