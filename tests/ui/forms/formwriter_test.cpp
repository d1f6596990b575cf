// The component writer: properties in class-chain order, the designer position of
// components that are not controls, stored data last, event names kept from reading,
// and child records by parent; a definition read and written again gives the same bytes.
#include "ui/forms/formwriter.h"

#include <gtest/gtest.h>

#include "ui/forms/formreader.h"

namespace {

class TWBase : public TComponent {
  LB_CLASS(TWBase)
 public:
  using TComponent::TComponent;
  ~TWBase() override { DestroyComponents(); }
  int size = 0;
  std::vector<std::uint8_t> data;
  TNotifyEvent OnChange;
};

class TWDerived : public TWBase {
  LB_CLASS(TWDerived)
 public:
  using TWBase::TWBase;
  std::string label;
};

// A "control": it names a parent and so carries no designer position.
class TWChild : public TWBase {
  LB_CLASS(TWChild)
 public:
  using TWBase::TWBase;
  TComponent* parent = nullptr;
  TComponent* GetParentComponent() const override { return parent; }
  bool HasParent() const override { return true; }
};

class TWUnregistered : public TComponent {
  LB_CLASS(TWUnregistered)
 public:
  using TComponent::TComponent;
};

void Register() {
  static bool done = false;
  if (done) return;
  done = true;
  RegisterComponentBaseClasses();
  RegisterComponentClass("TWBase", "TComponent", [](TComponent* o) { return new TWBase(o); });
  RegisterComponentClass("TWDerived", "TWBase", [](TComponent* o) { return new TWDerived(o); });
  RegisterComponentClass("TWChild", "TWBase", [](TComponent* o) { return new TWChild(o); });
  RegisterParentHook("TWChild", [](TComponent* c, TComponent* p) { static_cast<TWChild*>(c)->parent = p; });
  RegisterProperty("TWBase", "Size", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) {
    static_cast<TWBase*>(o)->size = ctx.Int32(v);
  });
  RegisterProperty("TWBase", "Data", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) {
    static_cast<TWBase*>(o)->data = ctx.Binary(v);
  });
  RegisterEvent<TNotifyEvent>("TWBase", "OnChange", [](TPersistent* o, TNotifyEvent e) { static_cast<TWBase*>(o)->OnChange = e; });
  RegisterEvent<TNotifyEvent>("TWBase", "OnOther", [](TPersistent*, TNotifyEvent) {});
  RegisterProperty("TWDerived", "Label", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) {
    static_cast<TWDerived*>(o)->label = ctx.String(v);
  });
  RegisterPropertyWriter("TWBase", [](TPersistent* o, TWriterContext& ctx) {
    auto* b = static_cast<TWBase*>(o);
    if (b->size) ctx.Write("Size", TfValue::Integer(b->size));
    ctx.WriteEvent(b, "OnChange");
  });
  RegisterPropertyWriter(
      "TWBase",
      [](TPersistent* o, TWriterContext& ctx) {
        auto* b = static_cast<TWBase*>(o);
        if (!b->data.empty()) ctx.Write("Data", TfValue::Binary(b->data));
      },
      TWriterPhase::Defined);
  RegisterPropertyWriter("TWDerived", [](TPersistent* o, TWriterContext& ctx) {
    auto* d = static_cast<TWDerived*>(o);
    if (!d->label.empty()) ctx.Write("Label", TfValue::String(d->label));
  });
}

std::vector<std::string> Names(const TfObject& rec) {
  std::vector<std::string> out;
  for (const TfProperty& p : rec.properties) out.push_back(p.name);
  return out;
}

TfObject Record(const std::string& cls, const std::string& name, std::vector<TfProperty> props) {
  TfObject r;
  r.className = cls;
  r.name = name;
  r.properties = std::move(props);
  return r;
}

TEST(FormWriter, OrderIsChainPositionDataThenUnnamedEvents) {
  Register();
  // Stored in an order of its own: the writer puts it into the classes' order.
  TfObject doc = Record("TWDerived", "Thing",
                        {{"Data", TfValue::Binary({1, 2})},
                         {"OnOther", TfValue::Ident("ThingOther")},
                         {"Label", TfValue::String("x")},
                         {"Top", TfValue::Integer(300)},
                         {"OnChange", TfValue::Ident("ThingChange")},
                         {"Left", TfValue::Integer(-2)},
                         {"Size", TfValue::Integer(7)},
                         {"Tag", TfValue::Integer(5)}});
  TWDerived root(nullptr);
  TNameOnlyMethods methods;
  LoadComponent(&root, doc, &methods);
  EXPECT_FALSE(root.OnChange);  // bound by name only
  TfObject out = WriteComponent(&root);
  EXPECT_EQ(Names(out),
            (std::vector<std::string>{"Tag", "Size", "OnChange", "Label", "Left", "Top", "Data", "OnOther"}));
  EXPECT_EQ(out.properties[4].value.type, vaInt16);
  EXPECT_EQ(out.properties[4].value.integer, -2);
  EXPECT_EQ(out.properties[5].value.integer, 300);
  // Written again from what it read, the bytes stay the same.
  TWDerived again(nullptr);
  LoadComponent(&again, out, &methods);
  EXPECT_EQ(WriteTpf0(WriteComponent(&again)), WriteTpf0(out));
}

TEST(FormWriter, ChildrenFollowTheirParentComponent) {
  Register();
  TfObject doc = Record("TWBase", "Root", {});
  TfObject inner = Record("TWChild", "Inner", {{"Size", TfValue::Integer(1)}});
  inner.children.push_back(Record("TWChild", "Deep", {}));
  doc.children.push_back(Record("TWBase", "Loose", {{"Left", TfValue::Integer(9)}}));
  doc.children.push_back(inner);
  TWBase root(nullptr);
  LoadComponent(&root, doc);
  TfObject out = WriteComponent(&root);
  ASSERT_EQ(out.children.size(), 2u);
  EXPECT_EQ(out.children[0].name, "Loose");
  EXPECT_EQ(Names(out.children[0]), (std::vector<std::string>{"Left", "Top"}));
  EXPECT_EQ(out.children[1].name, "Inner");
  ASSERT_EQ(out.children[1].children.size(), 1u);
  EXPECT_EQ(out.children[1].children[0].name, "Deep");
  EXPECT_TRUE(Names(out.children[1].children[0]).empty());  // a control: no position
}

TEST(FormWriter, UnknownClassesAreNamed) {
  Register();
  EXPECT_THROW(CreateRegisteredComponent("TNoSuchThing", nullptr), EClassNotFound);
  try {
    CreateRegisteredComponent("TNoSuchThing", nullptr);
  } catch (const EClassNotFound& e) {
    EXPECT_STREQ(e.what(), "Class TNoSuchThing not found");
  }
  TWUnregistered loose(nullptr);
  EXPECT_THROW(WriteComponent(&loose), EFormWriteError);
}

}  // namespace
