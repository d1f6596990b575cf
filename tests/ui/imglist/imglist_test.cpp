// The base image list: size changes empty it, observers hear each change once, the
// content operations number pictures as expected, every operation the base makes itself
// reaches a derived list's override, and the stored form brings the pictures back.
#include "ui/imglist/imglist.h"

#include <gtest/gtest.h>

#include "ui/forms/formreader.h"
#include "ui/forms/formwriter.h"

namespace {

std::unique_ptr<TBitmap> Filled(int w, int h, TColor color) {
  auto b = std::make_unique<TBitmap>(w, h);
  b->Canvas()->Brush()->SetColor(color);
  b->Canvas()->FillRect(RECT{0, 0, w, h});
  return b;
}

// The colour a list draws for picture i at its top-left pixel, over white.
TColor Drawn(TCustomImageList& list, int i, bool enabled = true) {
  TBitmap target(list.Width(), list.Height());
  target.Canvas()->Brush()->SetColor(clWhite);
  target.Canvas()->FillRect(RECT{0, 0, list.Width(), list.Height()});
  list.Draw(target.Canvas(), 0, 0, i, enabled);
  return target.Canvas()->Pixels(0, 0);
}

// Counts the calls of the two operations the base list makes on itself.
class TRecordingList : public TImageList {
  LB_CLASS(TRecordingList)
 public:
  using TImageList::TImageList;
  void Clear() override {
    ++clears;
    TImageList::Clear();
  }
  void AddImages(TCustomImageList* value) override {
    ++addImages;
    TImageList::AddImages(value);
  }
  int clears = 0, addImages = 0;
};

TEST(ImageList, SizeSettersAndAssignmentCallTheOverrides) {
  TRecordingList list(nullptr);
  list.Add(Filled(16, 16, clRed).get(), nullptr);
  list.SetHeight(16);
  EXPECT_EQ(list.clears, 0);
  EXPECT_EQ(list.Count(), 1);
  list.SetHeight(20);
  EXPECT_EQ(list.clears, 1);
  EXPECT_EQ(list.Count(), 0);
  TImageList source(nullptr);
  source.SetSize(8, 9);
  source.Add(Filled(8, 9, clBlue).get(), nullptr);
  TCustomImageList& base = list;
  base.Assign(&source);
  EXPECT_EQ(list.clears, 2);
  EXPECT_EQ(list.addImages, 1);
  EXPECT_EQ(list.Width(), 8);
  EXPECT_EQ(list.Height(), 9);
  EXPECT_EQ(Drawn(list, 0), clBlue);
  EXPECT_THROW(list.SetWidth(0), EInvalidOperation);
  EXPECT_THROW(list.SetHeight(100000), EInvalidOperation);
}

TEST(ImageList, ObserversHearChangesOnceAndLinksUnregister) {
  auto list = std::make_unique<TImageList>(nullptr);
  int linkCalls = 0, events = 0;
  TChangeLink link;
  link.OnChange = [&](TObject* sender) {
    EXPECT_EQ(sender, list.get());
    ++linkCalls;
  };
  list->RegisterChanges(&link);
  list->OnChange = [&](TObject*) { ++events; };
  list->Add(Filled(16, 16, clRed).get(), nullptr);
  EXPECT_EQ(linkCalls, 1);
  list->BeginUpdate();
  list->Add(Filled(16, 16, clRed).get(), nullptr);
  list->Delete(0);
  EXPECT_EQ(linkCalls, 1);
  list->EndUpdate();
  EXPECT_EQ(linkCalls, 2);
  EXPECT_EQ(events, 2);
  {
    TChangeLink shortLived;
    shortLived.SetSender(list.get());
  }
  list->Clear();  // the destroyed link is not called
  EXPECT_EQ(linkCalls, 3);
  list.reset();
  EXPECT_EQ(link.Sender(), nullptr);
}

TEST(ImageList, ContentOperationsNumberThePictures) {
  TImageList list(nullptr);
  list.SetSize(2, 2);
  EXPECT_EQ(list.Add(Filled(2, 2, clRed).get(), nullptr), 0);
  EXPECT_EQ(list.Add(Filled(4, 2, clLime).get(), nullptr), 1);  // a strip of two
  EXPECT_EQ(list.Add(nullptr, nullptr), -1);
  list.Insert(0, Filled(2, 2, clBlue).get(), nullptr);
  ASSERT_EQ(list.Count(), 4);
  EXPECT_EQ(Drawn(list, 0), clBlue);
  EXPECT_EQ(Drawn(list, 1), clRed);
  list.Move(0, 3);
  EXPECT_EQ(Drawn(list, 0), clRed);
  EXPECT_EQ(Drawn(list, 3), clBlue);
  auto masked = Filled(2, 2, clYellow);
  masked->Canvas()->SetPixel(0, 0, clFuchsia);
  list.ReplaceMasked(1, masked.get(), clFuchsia);
  EXPECT_EQ(Drawn(list, 1), clWhite);  // the mask colour shows the target
  EXPECT_THROW(list.Delete(4), EInvalidOperation);
  EXPECT_THROW(list.Delete(-1), EInvalidOperation);
  EXPECT_THROW(list.Insert(5, masked.get(), nullptr), EInvalidOperation);
  EXPECT_EQ(list.Count(), 4);
  TBitmap out;
  ASSERT_TRUE(list.GetBitmap(3, &out));
  EXPECT_EQ(out.Canvas()->Pixels(1, 1), clBlue);
}

TEST(ImageList, DrawNeedsASystemListAndDisabledMixesWithTheButtonFace) {
  TImageList list(nullptr);
  TBitmap target(16, 16);
  list.Draw(target.Canvas(), 0, 0, 0);  // nothing to draw from, nothing made
  EXPECT_FALSE(list.HandleAllocated());
  list.Add(Filled(16, 16, clBlack).get(), nullptr);
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  EXPECT_EQ(Drawn(list, 0, false), TColor(RGB(GetRValue(face) / 2, GetGValue(face) / 2, GetBValue(face) / 2)));
  EXPECT_EQ(Drawn(list, 1), clWhite);
}

TEST(ImageList, StoredFormBringsPicturesAndSettingsBack) {
  RegisterImageListClasses();
  TImageList list(nullptr);
  list.SetName("Glyphs");
  list.SetSize(3, 2);
  list.SetBkColor(clWindow);
  list.SetDesignInfo(0x00200010);
  auto pic = Filled(3, 2, clRed);
  pic->Canvas()->SetPixel(2, 1, clLime);
  list.AddMasked(pic.get(), clLime);
  list.Add(Filled(3, 2, clNavy).get(), nullptr);
  TfObject doc = WriteComponent(&list);
  std::vector<std::string> names;
  for (const TfProperty& p : doc.properties) names.push_back(p.name);
  EXPECT_EQ(names, (std::vector<std::string>{"BkColor", "Height", "Width", "Left", "Top", "Bitmap"}));
  EXPECT_EQ(doc.properties[0].value.type, vaIdent);
  TImageList back(nullptr);
  LoadComponent(&back, doc);
  ASSERT_EQ(back.Count(), 2);
  EXPECT_EQ(back.BkColor(), clWindow);
  EXPECT_EQ(back.DesignInfo(), 0x00200010);
  EXPECT_EQ(WriteTpf0(WriteComponent(&back)), WriteTpf0(doc));
  // Data that does not fit the list is refused with the reader's error.
  doc.properties.back().value.bytes.pop_back();
  TImageList bad(nullptr);
  EXPECT_THROW(LoadComponent(&bad, doc), EFormLoadError);
}

}  // namespace
