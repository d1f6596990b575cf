#include "ui/forms/formreader.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <mutex>

#include "embedded_resources.h"
#include "ui/forms/formtext.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using TMouseMoveEvent = std::function<void(TObject* sender, int x, int y)>;

std::vector<std::string> gLoaded;  // names, in Loaded() order

class TTestControl : public TComponent {
  LB_CLASS(TTestControl)
 public:
  using TComponent::TComponent;
  void Loaded() override {
    TComponent::Loaded();
    gLoaded.push_back(Name());
  }
  TComponent* parent = nullptr;
  int left = 0, top = 0;
  bool loadingWhenSet = false;
};

class TTestPanel : public TTestControl {
  LB_CLASS(TTestPanel)
 public:
  using TTestControl::TTestControl;
};

class TTestListBox : public TTestControl {
  LB_CLASS(TTestListBox)
 public:
  using TTestControl::TTestControl;
  int itemHeight = 0;
  Bytes data;
  TNotifyEvent OnClick;
  TMouseMoveEvent OnMouseMove;
};

class TTestPngItem : public TCollectionItem {
  LB_CLASS(TTestPngItem)
 public:
  Bytes png;
  std::string name;
  std::string background = "clBtnFace";
};

class TTestImageList : public TComponent {
  LB_CLASS(TTestImageList)
 public:
  explicit TTestImageList(TComponent* owner)
      : TComponent(owner), images([](TCollection*) -> std::unique_ptr<TCollectionItem> {
          return std::make_unique<TTestPngItem>();
        }) {}
  int width = 0, height = 0;
  TCollection images;
};

class TTestForm : public TTestControl, public TMethodTable {
  LB_CLASS(TTestForm)
 public:
  TTestForm() : TTestControl(nullptr) {
    Add("FormCreate", TNotifyEvent([this](TObject*) { ++created; }));
    Add("ListBoxMainClick", TNotifyEvent([this](TObject* s) { clickedBy = s; }));
    Add("ListBoxMainMouseMove", TMouseMoveEvent([this](TObject*, int x, int y) { moved = x * 1000 + y; }));
  }
  ~TTestForm() override { DestroyComponents(); }
  std::string caption, fontStyle;
  std::vector<std::string> unknownProps;
  TNotifyEvent OnCreate;
  int created = 0;
  TObject* clickedBy = nullptr;
  int moved = 0;
};

// A root that offers no methods.
class TPlainRoot : public TComponent {
  LB_CLASS(TPlainRoot)
 public:
  TPlainRoot() : TComponent(nullptr) {}
  ~TPlainRoot() override { DestroyComponents(); }
};

template <class T>
T* As(TPersistent* o) {
  return static_cast<T*>(o);
}

void RegisterTestClasses() {
  static std::once_flag once;
  std::call_once(once, [] {
    RegisterComponentClass("TTestControl", "", nullptr);
    RegisterComponentClass("TTestForm", "TTestControl", nullptr);
    RegisterComponentClass("TPlainRoot", "TTestControl", nullptr);
    RegisterComponentClass("TTestPanel", "TTestControl", [](TComponent* o) -> TComponent* { return new TTestPanel(o); });
    RegisterComponentClass("TTestListBox", "TTestControl", [](TComponent* o) -> TComponent* { return new TTestListBox(o); });
    RegisterComponentClass("TTestImageList", "", [](TComponent* o) -> TComponent* { return new TTestImageList(o); });
    RegisterPersistentClass("TTestPngItem", "");
    RegisterParentHook("TTestControl", [](TComponent* child, TComponent* parent) { static_cast<TTestControl*>(child)->parent = parent; });
    RegisterProperty("TTestControl", "Left", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) {
      As<TTestControl>(o)->left = ctx.Int32(v);
      As<TTestControl>(o)->loadingWhenSet = As<TTestControl>(o)->IsLoading();
    });
    RegisterProperty("TTestControl", "Top", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) { As<TTestControl>(o)->top = ctx.Int32(v); });
    // The form's other properties play no part here; they are accepted and noted.
    for (const char* p : {"Width", "Height", "Color", "Scale", "Ratio", "Price", "Stamp", "Big", "Wide", "Title", "Utf",
                          "Long", "Enabled", "Visible", "Popup", "Items.Strings"})
      RegisterProperty("TTestForm", p, [](TPersistent* o, const TfValue& v, TReaderContext& ctx) {
        As<TTestForm>(o)->unknownProps.push_back(ctx.PropertyName() + (v.IsString() ? "=" + ctx.String(v) : ""));
      });
    RegisterProperty("TTestForm", "Caption", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) { As<TTestForm>(o)->caption = ctx.String(v); });
    RegisterProperty("TTestForm", "Font.*", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) {
      if (ctx.SubPropertyName() != "Style") ctx.Error("Property " + ctx.PropertyName() + " does not exist");
      std::string s;
      for (const std::string& n : v.names) s += n + ";";
      As<TTestForm>(o)->fontStyle = s;
    });
    RegisterEvent<TNotifyEvent>("TTestForm", "OnCreate", [](TPersistent* o, TNotifyEvent e) { As<TTestForm>(o)->OnCreate = e; });
    RegisterProperty("TTestListBox", "ItemHeight", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) { As<TTestListBox>(o)->itemHeight = ctx.Int32(v); });
    RegisterProperty("TTestListBox", "Data", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) { As<TTestListBox>(o)->data = ctx.Binary(v); });
    RegisterEvent<TNotifyEvent>("TTestListBox", "OnClick", [](TPersistent* o, TNotifyEvent e) { As<TTestListBox>(o)->OnClick = e; });
    RegisterEvent<TMouseMoveEvent>("TTestListBox", "OnMouseMove", [](TPersistent* o, TMouseMoveEvent e) { As<TTestListBox>(o)->OnMouseMove = e; });
    RegisterProperty("TTestImageList", "Width", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) { As<TTestImageList>(o)->width = ctx.Int32(v); });
    RegisterProperty("TTestImageList", "Height", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) { As<TTestImageList>(o)->height = ctx.Int32(v); });
    for (const char* p : {"Left", "Top", "Bitmap"}) RegisterProperty("TTestImageList", p, [](TPersistent*, const TfValue&, TReaderContext&) {});
    RegisterProperty("TTestImageList", "PngImages", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) { ctx.ReadCollection(&As<TTestImageList>(o)->images, v); });
    RegisterProperty("TTestPngItem", "PngImage.Data", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) { As<TTestPngItem>(o)->png = ctx.Binary(v); });
    RegisterProperty("TTestPngItem", "Name", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) { As<TTestPngItem>(o)->name = ctx.String(v); });
    RegisterProperty("TTestPngItem", "Background", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) { As<TTestPngItem>(o)->background = ctx.Ident(v); });
  });
}

std::string DataDir() { return std::string(LB_SOURCE_DIR) + "/tests/ui/forms/data"; }
std::string ReadText(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class FormReader : public testing::Test {
 protected:
  void SetUp() override {
    RegisterTestClasses();
    gLoaded.clear();
  }
  // Loads `body` (records and properties inside an object TTestForm) and returns the error message.
  template <class Root = TTestForm>
  std::string LoadError(const std::string& body) {
    Root root;
    try {
      LoadComponent(&root, ParseFormText("object Form1: TTestForm\n" + body + "end\n", DataDir()));
    } catch (const Exception& e) {
      EXPECT_FALSE(root.IsLoading()) << "the root stayed in loading state";
      for (int i = 0; i < root.ComponentCount(); ++i) EXPECT_FALSE(root.Components(i)->IsLoading());
      return std::string(e.ClassName()) + ": " + e.Message();
    }
    return "no error";
  }
};

TEST_F(FormReader, BuildsTheWholeForm) {
  RegisterEmbeddedResources_ui_forms_tests();
  TTestForm form;
  ReadComponentResource(&form, "TESTFORM");
  EXPECT_EQ(form.Name(), "TestForm");
  EXPECT_EQ(form.left, 200);
  EXPECT_EQ(form.top, 120);
  EXPECT_EQ(form.caption, "Launcher - it's a test\r\nsecond line");
  EXPECT_EQ(form.fontStyle, "fsBold;fsItalic;");
  // Wide and UTF-8 strings arrive in the code page, "?" for a character it lacks.
  const std::vector<std::string>& noted = form.unknownProps;
  EXPECT_EQ(std::vector<std::string>(noted.begin() + 9, noted.begin() + 12),
            (std::vector<std::string>{"Title=Caf\xE9 \x80?", "Utf=na\xEFve", "Long=short but long"}));
  EXPECT_EQ(form.ComponentCount(), 4);
  auto* top = FindField<TTestPanel>(&form, "PanelTop");
  auto* inner = FindField<TTestPanel>(&form, "PanelInner");
  auto* list = FindField<TTestListBox>(&form, "ListBoxMain");
  auto* images = FindField<TTestImageList>(&form, "ImageListTasks");
  EXPECT_EQ(top->Owner(), &form);
  EXPECT_EQ(list->Owner(), &form);
  EXPECT_EQ(top->parent, &form);
  EXPECT_EQ(inner->parent, top);
  EXPECT_EQ(list->parent, inner);
  EXPECT_EQ(inner->top, -5);
  EXPECT_TRUE(top->loadingWhenSet);
  EXPECT_EQ(list->itemHeight, 36);
  EXPECT_EQ(list->data, (Bytes{0, 1, 2, 0xFF}));
  // Events bound to the root's methods by name.
  ASSERT_TRUE(form.OnCreate);
  form.OnCreate(&form);
  EXPECT_EQ(form.created, 1);
  ASSERT_TRUE(list->OnClick);
  list->OnClick(list);
  EXPECT_EQ(form.clickedBy, list);
  ASSERT_TRUE(list->OnMouseMove);
  list->OnMouseMove(list, 3, 4);
  EXPECT_EQ(form.moved, 3004);
  // The collection and its items.
  EXPECT_EQ(images->width, 32);
  ASSERT_EQ(images->images.Count(), 2);
  auto* item0 = static_cast<TTestPngItem*>(images->images.Items(0));
  auto* item1 = static_cast<TTestPngItem*>(images->images.Items(1));
  EXPECT_EQ(item0->name, "PngImage0");
  EXPECT_EQ(item0->background, "clWindow");
  std::string png = ReadText(DataDir() + "/art/data.png");
  EXPECT_EQ(std::string(item0->png.begin(), item0->png.end()), png);
  EXPECT_EQ(item1->name, "PngImage1");
  EXPECT_EQ(item1->background, "clBtnFace");
  // Loading ends for everyone, root first.
  EXPECT_FALSE(form.IsLoading());
  EXPECT_FALSE(list->IsLoading());
  EXPECT_EQ(gLoaded, (std::vector<std::string>{"TestForm", "PanelTop", "PanelInner", "ListBoxMain"}));
}

TEST_F(FormReader, EmptyCollectionKeepsItemsAndAFullOneReplacesThem) {
  TTestForm form;
  LoadComponent(&form, ParseFormText("object F: TTestForm\n object IL: TTestImageList\n"
                                     "  PngImages = <item Name = 'a' end item Name = 'b' end>\n end\nend\n", ""));
  auto* il = FindField<TTestImageList>(&form, "IL");
  ASSERT_EQ(il->images.Count(), 2);
  TTestForm again;
  LoadComponent(&again, ParseFormText("object F: TTestForm\n object IL: TTestImageList\n  PngImages = <>\n end\nend\n", ""));
  EXPECT_EQ(FindField<TTestImageList>(&again, "IL")->images.Count(), 0);
}

TEST_F(FormReader, EmptyCollectionReadIntoAFilledListLeavesItsItems) {
  TTestImageList il(nullptr);
  const auto read = [&il](const char* images) {
    LoadComponent(&il, ParseFormText(std::string("object IL: TTestImageList\n  PngImages = ") + images + "\nend\n", ""));
    std::string names;
    for (int i = 0; i < il.images.Count(); ++i) names += static_cast<TTestPngItem*>(il.images.Items(i))->name + ";";
    return names;
  };
  EXPECT_EQ(read("<item Name = 'a' end item Name = 'b' end>"), "a;b;");
  EXPECT_EQ(read("<>"), "a;b;");
  EXPECT_EQ(read("<item Name = 'c' end>"), "c;");
}

struct LoadErrorCase {
  const char* name;
  const char* body;
  const char* expected;
};

void PrintTo(const LoadErrorCase& c, std::ostream* os) { *os << c.name; }
class FormReaderErrors : public FormReader, public testing::WithParamInterface<LoadErrorCase> {};

TEST_P(FormReaderErrors, SayWhatAndWhere) { EXPECT_EQ(LoadError(GetParam().body), GetParam().expected); }

INSTANTIATE_TEST_SUITE_P(
    Cases, FormReaderErrors,
    testing::Values(
        LoadErrorCase{"unknown_property", " object ListBoxMain: TTestListBox\n  Foo = 1\n end\n",
                      "EFormLoadError: Error reading ListBoxMain.Foo: Property Foo does not exist"},
        LoadErrorCase{"unknown_root_property", " Bar = 1\n", "EFormLoadError: Error reading Form1.Bar: Property Bar does not exist"},
        LoadErrorCase{"unknown_class", " object ListBoxMain: TNoSuchBox\n end\n",
                      "EClassNotFound: Error reading ListBoxMain: Class TNoSuchBox not found"},
        LoadErrorCase{"class_without_factory", " object X: TTestControl\n end\n",
                      "EClassNotFound: Error reading X: Class TTestControl not found"},
        LoadErrorCase{"unknown_method", " object L: TTestListBox\n  OnClick = Nope\n end\n",
                      "EFormLoadError: Error reading L.OnClick: Method Nope not found"},
        LoadErrorCase{"method_of_wrong_type", " object L: TTestListBox\n  OnMouseMove = FormCreate\n end\n",
                      "EFormLoadError: Error reading L.OnMouseMove: Method has the wrong type for event OnMouseMove"},
        LoadErrorCase{"event_not_ident", " object L: TTestListBox\n  OnClick = 5\n end\n",
                      "EFormLoadError: Error reading L.OnClick: Invalid property value (an event takes a method name)"},
        LoadErrorCase{"wrong_value_kind", " object L: TTestListBox\n  ItemHeight = 'tall'\n end\n",
                      "EFormLoadError: Error reading L.ItemHeight: Invalid property value"},
        LoadErrorCase{"out_of_range", " Left = 5000000000\n", "EFormLoadError: Error reading Form1.Left: Property value out of range"},
        LoadErrorCase{"nested_unknown", " Font.Size = 3\n", "EFormLoadError: Error reading Form1.Font.Size: Property Font.Size does not exist"},
        LoadErrorCase{"item_property", " object IL: TTestImageList\n  PngImages = <item Name = 'a' end item Foo = 1 end>\n end\n",
                      "EFormLoadError: Error reading IL.PngImages[1].Foo: Property Foo does not exist"},
        LoadErrorCase{"duplicate_name", " object A: TTestPanel\n end\n object A: TTestPanel\n end\n",
                      "EFormLoadError: Error reading A.Name: A component named A already exists"},
        LoadErrorCase{"bad_name", " object 'no good': TTestPanel\n end\n",
                      "EFormLoadError: Error reading no good.Name: ''no good'' is not a valid component name"},
        LoadErrorCase{"missing_ancestor", " inherited Gone: TTestPanel\n end\n",
                      "EFormLoadError: Error reading Gone: Ancestor for 'Gone' not found"}),
    [](const testing::TestParamInfo<LoadErrorCase>& info) { return std::string(info.param.name); });

TEST_F(FormReader, RootWithoutMethodsCannotBindEvents) {
  TPlainRoot root;
  try {
    LoadComponent(&root, ParseFormText("object R: TPlainRoot\n object L: TTestListBox\n  OnClick = X\n end\nend\n", ""));
    FAIL();
  } catch (const EFormLoadError& e) {
    EXPECT_EQ(e.Message(), "Error reading L.OnClick: Root TPlainRoot has no methods; cannot bind X");
  }
}

TEST_F(FormReader, AFailedLoadKeepsWhatWasBuilt) {
  TTestForm form;
  EXPECT_THROW(LoadComponent(&form, ParseFormText("object F: TTestForm\n object P: TTestPanel\n  Left = 3\n end\n"
                                                  " object Q: TTestPanel\n  Bad = 1\n end\nend\n", "")),
               EFormLoadError);
  auto* p = FindField<TTestPanel>(&form, "P");
  EXPECT_EQ(p->left, 3);
  EXPECT_FALSE(p->IsLoading());
  EXPECT_FALSE(form.IsLoading());
}

TEST_F(FormReader, NilClearsAnEvent) {
  TTestForm form;
  form.OnCreate = [](TObject*) {};
  LoadComponent(&form, ParseFormText("object F: TTestForm\n OnCreate = nil\nend\n", ""));
  EXPECT_FALSE(form.OnCreate);
}

TEST_F(FormReader, MissingResourceRaises) {
  TTestForm form;
  EXPECT_THROW(ReadComponentResource(&form, "NO_SUCH_FORM"), EResNotFound);
}

}  // namespace
