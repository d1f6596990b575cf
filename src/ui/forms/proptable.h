// The stored properties of a class, one row each: the name, how the value reads and writes
// (integer, enumeration or set by its identifiers, colour, string, component reference,
// collection, binary data, event), and when it is stored. Register() gives the reader a
// setter per row and the writer one writer that walks the rows in order, so a property is
// defined once for both directions.
//
//   TPropertyTable<TPanel>("TPanel")
//       .Enum("BevelInner", &TPanel::BevelInner, &TPanel::SetBevelInner, kBevels)
//       .Int("BevelWidth", &TPanel::BevelWidth, &TPanel::SetBevelWidth)
//       .Register();
//
// A row is written when its value differs from the one of a new object of the same class
// as its factory makes it (every value when there is none), and only while its Stored()
// condition holds. References, collections and string lists are written when they are set
// or not empty, binary data whenever stored.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "ui/forms/formreader.h"
#include "ui/forms/formwriter.h"
#include "ui/graphics/graphics.h"

struct TEnumName {
  const char* name;
  int value;
};

// The identifiers of an enumeration or of the members of a set.
class TEnumNames {
 public:
  TEnumNames(std::initializer_list<TEnumName> names, bool open = false) : names_(names), open_(open) {}
  // Names for the values 0, 1, 2, ... in order.
  static TEnumNames Indexed(std::initializer_list<const char*> names);
  // The value of an identifier (any case); false when there is none.
  bool Value(const std::string& name, int& value) const;
  // The identifier of a value; null when it has none.
  const char* Name(int value) const;
  const std::vector<TEnumName>& Names() const { return names_; }
  // An open enumeration also takes values without a name (a font's character set).
  bool Open() const { return open_; }

 private:
  std::vector<TEnumName> names_;
  bool open_ = false;
};

// The value conversions of the kinds. An enumeration reads its identifier or an integer
// (one with a name, or any for an open one); a colour its name or an integer.
int ReadEnumValue(const TReaderContext& ctx, const TfValue& v, const TEnumNames& names);
std::uint32_t ReadSetBits(const TReaderContext& ctx, const TfValue& v, const TEnumNames& names);
TfValue EnumValue(int value, const TEnumNames& names);
TfValue SetValue(std::uint32_t bits, const TEnumNames& names);
TColor ReadColorValue(const TReaderContext& ctx, const TfValue& v);
// A colour with a name ("clWindow") as an identifier, any other as an integer.
TfValue ColorValue(TColor color);

template <class T>
class TPropertyTable {
 public:
  explicit TPropertyTable(std::string className) : class_(std::move(className)) {}

  template <class G, class S>
  TPropertyTable& Int(const char* name, G get, S set) {
    using V = Value<G>;
    return Add(name, get, set, [](const TReaderContext& ctx, const TfValue& v) { return V(ctx.Int32(v)); },
               [](V v) { return TfValue::Integer(std::int64_t(v)); });
  }
  // An integer that may also be read by one of its names (a modal result); written as a number.
  template <class G, class S>
  TPropertyTable& NamedInt(const char* name, G get, S set, TEnumNames names) {
    using V = Value<G>;
    return Add(name, get, set,
               [names](const TReaderContext& ctx, const TfValue& v) {
                 return V(v.IsInteger() ? ctx.Int32(v) : ReadEnumValue(ctx, v, names));
               },
               [](V v) { return TfValue::Integer(std::int64_t(v)); });
  }
  template <class G, class S>
  TPropertyTable& Bool(const char* name, G get, S set) {
    return Add(name, get, set, [](const TReaderContext& ctx, const TfValue& v) { return ctx.Boolean(v); },
               [](bool v) { return TfValue::Boolean(v); });
  }
  template <class G, class S>
  TPropertyTable& Str(const char* name, G get, S set) {
    return Add(name, get, set, [](const TReaderContext& ctx, const TfValue& v) { return ctx.String(v); },
               [](const std::string& v) { return TfValue::String(v); });
  }
  template <class G, class S>
  TPropertyTable& Color(const char* name, G get, S set) {
    return Add(name, get, set, [](const TReaderContext& ctx, const TfValue& v) { return ReadColorValue(ctx, v); },
               [](TColor v) { return ColorValue(v); });
  }
  template <class G, class S>
  TPropertyTable& Enum(const char* name, G get, S set, TEnumNames names) {
    using V = Value<G>;
    return Add(name, get, set, [names](const TReaderContext& ctx, const TfValue& v) { return V(ReadEnumValue(ctx, v, names)); },
               [names](V v) { return EnumValue(int(v), names); });
  }
  // A set: the getter returns a TSet.
  template <class G, class S>
  TPropertyTable& Set(const char* name, G get, S set, TEnumNames names) {
    using V = Value<G>;
    return Add(name, get, set,
               [names](const TReaderContext& ctx, const TfValue& v) { return V::FromBits(ReadSetBits(ctx, v, names)); },
               [names](V v) { return SetValue(v.Bits(), names); });
  }
  // A component of the root named by its identifier, given to the setter once the whole
  // definition has been read (null when there is none of that name or of that class;
  // an error instead when it is required); nil clears it at once.
  template <class G, class S>
  TPropertyTable& Ref(const char* name, G get, S set, bool required = false) {
    using C = std::remove_pointer_t<Value<G>>;
    Row& r = NewRow(name);
    r.read = [set, required](TPersistent* o, const TfValue& v, TReaderContext& ctx) {
      T* obj = static_cast<T*>(o);
      if (v.type == vaNil) return std::invoke(set, obj, nullptr);
      ctx.Reference(ctx.Ident(v), required, [set, obj](TComponent* c) { std::invoke(set, obj, dynamic_cast<C*>(c)); });
    };
    r.write = [get, n = r.name](T* o, T*, TWriterContext& ctx) {
      if (C* c = std::invoke(get, o)) ctx.Write(n, TfValue::Ident(c->Name()));
    };
    return *this;
  }
  // A collection: the getter returns the TCollection; written when it has items.
  template <class G>
  TPropertyTable& Collection(const char* name, G get) {
    Row& r = NewRow(name);
    r.read = [get](TPersistent* o, const TfValue& v, TReaderContext& ctx) {
      ctx.ReadCollection(std::invoke(get, static_cast<T*>(o)), v);
    };
    r.write = [get, n = r.name](T* o, T*, TWriterContext& ctx) {
      if (std::invoke(get, o)->Count() > 0) ctx.Write(n, ctx.Collection(std::invoke(get, o)));
    };
    return *this;
  }
  // A list of strings: the getter returns the TStrings; written when it has lines.
  template <class G>
  TPropertyTable& Strings(const char* name, G get) {
    Row& r = NewRow(name);
    r.read = [get](TPersistent* o, const TfValue& v, TReaderContext& ctx) {
      if (v.type != vaList) ctx.Error("Invalid property value (a list of strings)");
      TStrings* lines = std::invoke(get, static_cast<T*>(o));
      TUpdateScope update(lines);
      lines->Clear();
      for (const TfValue& s : v.list) lines->Add(ctx.String(s));
    };
    r.write = [get, n = r.name](T* o, T*, TWriterContext& ctx) {
      TStrings* lines = std::invoke(get, o);
      if (lines->Count() == 0) return;
      TfValue list;
      list.type = vaList;
      for (int i = 0; i < lines->Count(); ++i) list.list.push_back(TfValue::String(lines->Strings(i)));
      ctx.Write(n, std::move(list));
    };
    return *this;
  }
  // Binary data: the getter returns the bytes (written whenever the row is stored), the
  // setter takes them.
  template <class G, class S>
  TPropertyTable& Binary(const char* name, G get, S set) {
    Row& r = NewRow(name);
    r.read = [set](TPersistent* o, const TfValue& v, TReaderContext& ctx) { std::invoke(set, static_cast<T*>(o), ctx.Binary(v)); };
    r.write = [get, n = r.name](T* o, T*, TWriterContext& ctx) {
      ctx.Write(n, TfValue::Binary(std::invoke(get, o)));
    };
    return *this;
  }
  // An event, bound to the root's method by name. The writer stores bound events after the
  // properties; inPlace writes this one where its row stands.
  template <class Ev, class Cls>
  TPropertyTable& Event(const char* name, Ev Cls::*member, bool inPlace = false) {
    Row& r = NewRow(name);
    r.read = EventSetterOf<Ev>([member](TPersistent* o, Ev e) { static_cast<T*>(o)->*member = std::move(e); });
    if (inPlace) r.write = [n = r.name](T* o, T*, TWriterContext& ctx) { ctx.WriteEvent(o, n); };
    return *this;
  }
  // A row with its own conversions; write may be empty (never written).
  TPropertyTable& Custom(const char* name, TPropertySetter read, std::function<void(T*, TWriterContext&)> write = {}) {
    Row& r = NewRow(name);
    r.read = std::move(read);
    if (write) r.write = [write](T* o, T*, TWriterContext& ctx) { write(o, ctx); };
    return *this;
  }
  // Properties that are read and ignored (they matter only where they were designed).
  TPropertyTable& Accept(std::initializer_list<const char*> names) {
    for (const char* name : names) NewRow(name).read = [](TPersistent*, const TfValue&, TReaderContext&) {};
    return *this;
  }

  // Options of the last row.
  TPropertyTable& Stored(std::function<bool(T*)> when) {
    rows_.back().stored = std::move(when);
    return *this;
  }
  // Written whenever it is stored, without comparing with the default.
  TPropertyTable& Always() {
    rows_.back().always = true;
    return *this;
  }
  // Read only: an older or a derived name of a property another row writes.
  TPropertyTable& ReadOnly() {
    rows_.back().write = nullptr;
    return *this;
  }
  // Written with the stored data, after the published properties (TWriterPhase::Defined).
  TPropertyTable& Defined() {
    rows_.back().defined = true;
    return *this;
  }

  // Where the defaults come from for objects that have no factory (collection items).
  TPropertyTable& DefaultsFrom(std::function<std::unique_ptr<T>()> make) {
    makeDefaults_ = std::move(make);
    return *this;
  }

  void Register() {
    auto rows = std::make_shared<const std::vector<Row>>(std::move(rows_));
    auto make = makeDefaults_;
    for (const Row& r : *rows)
      if (r.read) RegisterProperty(class_, r.name, r.read);
    for (TWriterPhase phase : {TWriterPhase::Published, TWriterPhase::Defined}) {
      RegisterPropertyWriter(
          class_,
          [rows, phase, make](TPersistent* o, TWriterContext& ctx) {
            T* obj = static_cast<T*>(o);
            T* def = nullptr;
            std::unique_ptr<T> made;
            bool asked = false;
            for (const Row& r : *rows) {
              if (!r.write || r.defined != (phase == TWriterPhase::Defined)) continue;
              if (r.stored && !r.stored(obj)) continue;
              if (!asked && !r.always) {
                def = dynamic_cast<T*>(ctx.Defaults());
                if (!def && make) def = (made = make()).get();
                asked = true;
              }
              r.write(obj, r.always ? nullptr : def, ctx);
            }
          },
          phase);
    }
  }

 private:
  template <class G>
  using Value = std::decay_t<std::invoke_result_t<G, T*>>;

  struct Row {
    std::string name;
    TPropertySetter read;
    std::function<void(T* obj, T* def, TWriterContext& ctx)> write;
    std::function<bool(T*)> stored;
    bool always = false;
    bool defined = false;
  };

  Row& NewRow(const char* name) {
    Row& r = rows_.emplace_back();
    r.name = name;
    return r;
  }

  // A value row: read converts and sets, write compares with the default and converts.
  template <class G, class S, class Read, class Make>
  TPropertyTable& Add(const char* name, G get, S set, Read read, Make make) {
    Row& r = NewRow(name);
    r.read = [set, read](TPersistent* o, const TfValue& v, TReaderContext& ctx) {
      std::invoke(set, static_cast<T*>(o), read(ctx, v));
    };
    r.write = [get, make, n = r.name](T* o, T* def, TWriterContext& ctx) {
      auto value = std::invoke(get, o);
      if (def && value == std::invoke(get, def)) return;
      ctx.Write(n, make(value));
    };
    return *this;
  }

  std::string class_;
  std::vector<Row> rows_;
  std::function<std::unique_ptr<T>()> makeDefaults_;
};
