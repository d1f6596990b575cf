// The stored form of a PNG image list: what is written and in which order, the reading
// rules (size before items, empty collections, ignored index values, bad image data),
// and lists that come back identical.
#include <gtest/gtest.h>

#include "pngil_util.h"
#include "ui/forms/formreader.h"
#include "ui/forms/formwriter.h"

namespace {

using pngil::Rgba8;

std::vector<std::string> Names(const std::vector<TfProperty>& props) {
  std::vector<std::string> out;
  for (const TfProperty& p : props) out.push_back(p.name);
  return out;
}

// Two 4 x 4 items: a gradient with varied alpha on clWindow, a flat one on RGB(1, 2, 3).
void Fill(TPngImageList& list) {
  list.SetName("PngImageListMain");
  list.SetSize(4, 4);
  list.SetDesignInfo(152 | 8 << 16);
  auto a = pngil::Rgba(4, 4, [](int x, int y) { return Rgba8{std::uint8_t(x * 60), std::uint8_t(y * 60), 7, std::uint8_t(x * 80 + y)}; });
  auto b = pngil::Rgba(4, 4, [](int, int) { return Rgba8{9, 8, 7, 255}; });
  TPngImageCollectionItem* first = list.PngImages()->AddItem();
  first->SetPngImage(a.get());
  first->SetBackground(clWindow);
  TPngImageCollectionItem* second = list.PngImages()->AddItem();
  second->SetPngImage(b.get());
  second->SetBackground(TColor(RGB(1, 2, 3)));
}

TEST(PngImageListStream, WrittenFormAndOrder) {
  RegisterPngImageListClasses();
  TPngImageList list(nullptr);
  Fill(list);
  TfObject doc = WriteComponent(&list);
  EXPECT_EQ(doc.className, "TPngImageList");
  EXPECT_EQ(Names(doc.properties), (std::vector<std::string>{"Height", "Width", "PngImages", "Left", "Top", "Bitmap"}));
  EXPECT_EQ(doc.properties.back().value.type, vaBinary);
  EXPECT_TRUE(doc.properties.back().value.bytes.empty());
  const TfValue& items = doc.properties[2].value;
  ASSERT_EQ(items.type, vaCollection);
  ASSERT_EQ(items.items.size(), 2u);
  EXPECT_EQ(Names(items.items[0].properties), (std::vector<std::string>{"PngImage.Data", "Name", "Background"}));
  const std::vector<std::uint8_t>& data = items.items[0].properties[0].value.bytes;
  ASSERT_GE(data.size(), 8u);
  EXPECT_EQ(std::vector<std::uint8_t>(data.begin(), data.begin() + 8),
            (std::vector<std::uint8_t>{0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A}));
  EXPECT_EQ(items.items[0].properties[2].value.type, vaIdent);
  EXPECT_EQ(items.items[0].properties[2].value.text, "clWindow");
  EXPECT_TRUE(items.items[1].properties[2].value.IsInteger());
  EXPECT_EQ(items.items[1].properties[2].value.integer, 0x030201);
  // Settings away from their defaults come after the size, set as names; a bound OnChange
  // stands among the base list's properties.
  list.SetEventBinding("OnChange", "ListChange");
  list.SetEnabledImages(false);
  list.SetPngOptions({pngBlendOnDisabled, pngGrayscaleOnDisabled});
  list.PngImages()->Items(1)->SetBackground(clBtnFace);
  doc = WriteComponent(&list);
  EXPECT_EQ(Names(doc.properties),
            (std::vector<std::string>{"Height", "OnChange", "Width", "EnabledImages", "PngImages", "PngOptions", "Left",
                                      "Top", "Bitmap"}));
  EXPECT_EQ(doc.properties[5].value.names, (std::vector<std::string>{"pngBlendOnDisabled", "pngGrayscaleOnDisabled"}));
  EXPECT_EQ(Names(doc.properties[4].value.items[1].properties), (std::vector<std::string>{"PngImage.Data", "Name"}));
  // An empty list stores neither items nor "Bitmap".
  TPngImageList empty(nullptr);
  EXPECT_TRUE(WriteComponent(&empty).properties.empty());
}

TEST(PngImageListStream, AListComesBackIdentical) {
  if (!pngil::EncoderKeepsPixels()) GTEST_SKIP() << "waits for the PNG encoder behind the IDAT chunk";
  RegisterPngImageListClasses();
  TPngImageList list(nullptr);
  Fill(list);
  list.SetPngOptions({pngGrayscaleOnDisabled});
  const std::vector<std::uint8_t> bytes = WriteTpf0(WriteComponent(&list));
  TPngImageList back(nullptr);
  LoadComponent(&back, ReadTpf0(bytes.data(), bytes.size()));
  ASSERT_EQ(back.PngImages()->Count(), 2);
  EXPECT_EQ(back.Name(), "PngImageListMain");
  EXPECT_EQ(back.Count(), 2);
  for (int i = 0; i < 2; ++i) {
    TPngImageCollectionItem* a = list.PngImages()->Items(i);
    TPngImageCollectionItem* b = back.PngImages()->Items(i);
    EXPECT_EQ(a->Name(), b->Name());
    EXPECT_EQ(a->Background(), b->Background());
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 4; ++x) {
        EXPECT_EQ(a->PngImage()->PixelColor(x, y), b->PngImage()->PixelColor(x, y)) << i << " " << x << "," << y;
        EXPECT_EQ(a->PngImage()->AlphaRow(y)[x], b->PngImage()->AlphaRow(y)[x]) << i << " " << x << "," << y;
      }
  }
  EXPECT_EQ(WriteTpf0(WriteComponent(&back)), bytes);
}

TfObject ListRecord(std::vector<TfProperty> props) {
  TfObject doc;
  doc.className = "TPngImageList";
  doc.name = "List";
  doc.properties = std::move(props);
  return doc;
}

TfValue Items(std::vector<std::vector<TfProperty>> entries, bool withIndex = false) {
  TfValue v;
  v.type = vaCollection;
  for (auto& props : entries) {
    TfCollectionItem item;
    item.hasIndex = withIndex;
    item.index = TfValue::Integer(7);
    item.properties = std::move(props);
    v.items.push_back(std::move(item));
  }
  return v;
}

TEST(PngImageListStream, ReadingRules) {
  RegisterPngImageListClasses();
  TPngImageList list(nullptr);
  Fill(list);
  pngtest::PngPlan plan;
  plan.image = pngtest::RandomImage(8, 8, 6, 8, 3);
  const TfValue data = TfValue::Binary(pngtest::BuildPng(plan));
  // An empty collection keeps the items; entries (index values ignored) replace them.
  LoadComponent(&list, ListRecord({{"PngImages", Items({})}}));
  EXPECT_EQ(list.PngImages()->Count(), 2);
  LoadComponent(&list, ListRecord({{"PngImages", Items({{{"Name", TfValue::String("A")}}, {}}, true)}}));
  ASSERT_EQ(list.PngImages()->Count(), 2);
  EXPECT_EQ(list.PngImages()->Items(0)->Name(), "A");
  EXPECT_EQ(list.PngImages()->Items(1)->Name(), "PngImage1");
  // Items stored without image data keep their place in the system list and draw nothing.
  EXPECT_EQ(list.Count(), 2);
  EXPECT_EQ(pngil::DrawnAt(4, 4, clWhite, [&](TCanvas& c) { list.Draw(&c, 0, 0, 0, false); }, 0, 0), clWhite);
  TPngImageList copy(nullptr);  // and keep it in a copy, so the indexes stay the same
  copy.Assign(&list);
  EXPECT_EQ(copy.PngImages()->Count(), 2);
  EXPECT_EQ(copy.Count(), 2);
  // The size comes before the items: a size stored after them discards them.
  TPngImageList late(nullptr);
  LoadComponent(&late, ListRecord({{"PngImages", Items({{{"PngImage.Data", data}}})}, {"Height", TfValue::Integer(8)}}));
  EXPECT_EQ(late.PngImages()->Count(), 0);
  TPngImageList early(nullptr);
  LoadComponent(&early, ListRecord({{"Height", TfValue::Integer(8)}, {"PngImages", Items({{{"PngImage.Data", data}}})},
                                    {"Bitmap", TfValue::Binary({1, 2, 3})}}));
  EXPECT_EQ(early.PngImages()->Count(), 1);
  EXPECT_EQ(early.Count(), 1);
  // Image data that is no PNG stream ends the reading with the reader's error.
  TPngImageList bad(nullptr);
  EXPECT_THROW(LoadComponent(&bad, ListRecord({{"PngImages", Items({{{"PngImage.Data", TfValue::Binary({1, 2})}}})}})),
               EFormLoadError);
  EXPECT_THROW(LoadComponent(&bad, ListRecord({{"PngOptions", TfValue::Set({"pngSparkle"})}})), EFormLoadError);
  EXPECT_THROW(LoadComponent(&bad, ListRecord({{"Width", TfValue::Integer(5000)}})), EFormLoadError);
}

}  // namespace
