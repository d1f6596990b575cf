// TPngImageList: names, size changes, drawing, the system image list in step with the
// items (also through base-list references), refusals that change nothing, assignment.
#include <gtest/gtest.h>

#include "pngil_util.h"

namespace {

using pngil::Blend;
using pngil::Rgba8;

std::vector<std::string> Names(TPngImageList& list) {
  std::vector<std::string> out;
  for (int i = 0; i < list.PngImages()->Count(); ++i) out.push_back(list.PngImages()->Items(i)->Name());
  return out;
}

// The first pixel (0xAARRGGBB) of system icon i, or 1 when there is none.
std::uint32_t SystemPixel(TCustomImageList& list, int i) {
  HICON icon = ImageList_GetIcon(list.Handle(), i, ILD_NORMAL);
  const std::uint32_t c = icon ? GetIconPixels(icon)->color[0] : 1;
  DestroyIcon(icon);
  return c;
}

// Item i's pixels as the system icon of the current platform holds them (0xAARRGGBB).
std::vector<std::uint32_t> ItemPixels(TPngImageList& list, int i) {
  TPngImage& png = *list.PngImages()->Items(i)->PngImage();
  std::vector<std::uint32_t> out;
  for (int y = 0; y < png.PixelHeight(); ++y)
    for (int x = 0; x < png.PixelWidth(); ++x) {
      const COLORREF c = png.PixelColor(x, y);
      const std::uint32_t a = png.AlphaRow(y) ? png.AlphaRow(y)[x] : 0;
      out.push_back(a << 24 | std::uint32_t(GetRValue(c)) << 16 | std::uint32_t(GetGValue(c)) << 8 | GetBValue(c));
    }
  return out;
}

void ExpectInStep(TPngImageList& list) {
  ASSERT_EQ(list.Count(), list.PngImages()->Count());
  for (int i = 0; i < list.Count(); ++i) {
    HICON icon = ImageList_GetIcon(list.Handle(), i, ILD_NORMAL);
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(GetIconPixels(icon)->color, ItemPixels(list, i)) << "item " << i;
    DestroyIcon(icon);
  }
}

TColor DrawnAt(TCustomImageList& list, int index, bool enabled, int x = 0) {
  return pngil::DrawnAt(list.Width(), list.Height(), clWhite,
                        [&](TCanvas& c) { list.Draw(&c, 0, 0, index, enabled); }, x, 0);
}

// A 4 x 4 list with one opaque item of colour (200, 100, 40) whose pixel (1, 0) has alpha 1.
struct Filled4 {
  TPngImageList list{nullptr};
  Filled4() {
    list.SetSize(4, 4);
    auto png = pngil::Rgba(4, 4, [](int x, int y) { return Rgba8{200, 100, 40, std::uint8_t(x == 1 && y == 0 ? 1 : 255)}; });
    list.PngImages()->AddItem()->SetPngImage(png.get());
  }
};

TEST(PngImageList, NamesCountFromTheItemCountAtCreation) {
  TPngImageList list(nullptr);
  EXPECT_EQ(list.Add(pngil::Filled(16, 16, clRed).get(), nullptr), 0);
  EXPECT_EQ(Names(list), (std::vector<std::string>{"PngImage0"}));
  list.Add(pngil::Filled(16, 16, clRed).get(), nullptr);
  list.Delete(0);
  EXPECT_EQ(list.Add(pngil::Filled(16, 16, clRed).get(), nullptr), 1);
  EXPECT_EQ(Names(list), (std::vector<std::string>{"PngImage1", "PngImage1"}));
  EXPECT_EQ(list.PngImages()->Items(0)->GetDisplayName(), "PngImage1");
  list.PngImages()->Items(0)->SetName("");
  EXPECT_EQ(list.PngImages()->Items(0)->GetDisplayName(), "TPngImageCollectionItem");
  EXPECT_EQ(TPngImageCollectionItem(nullptr).Name(), "PngImage0");  // an item of no collection
  ExpectInStep(list);
}

TEST(PngImageList, ADifferentSizeEmptiesTheListTheSameSizeDoesNot) {
  Filled4 f;
  f.list.SetHeight(4);
  f.list.SetWidth(4);
  EXPECT_EQ(f.list.PngImages()->Count(), 1);
  EXPECT_EQ(f.list.Count(), 1);
  f.list.SetHeight(5);
  EXPECT_EQ(f.list.PngImages()->Count(), 0);
  EXPECT_EQ(f.list.Count(), 0);
  int w = 0, h = 0;
  ImageList_GetIconSize(f.list.Handle(), &w, &h);
  EXPECT_EQ(h, 5);
}

TEST(PngImageList, DrawingEnabledDisabledAndOutOfRange) {
  Filled4 f;
  const TColor normal = TColor(RGB(200, 100, 40));
  const TColor blended = TColor(RGB(Blend(128, 200, 255), Blend(128, 100, 255), Blend(128, 40, 255)));
  EXPECT_EQ(DrawnAt(f.list, 0, true), normal);
  EXPECT_EQ(DrawnAt(f.list, 0, false), blended);
  EXPECT_EQ(DrawnAt(f.list, 0, false, 1), clWhite);  // alpha 1 halves to 0
  EXPECT_EQ(DrawnAt(f.list, -1, true), clWhite);
  EXPECT_EQ(DrawnAt(f.list, 1, true), clWhite);
  f.list.SetPngOptions({});
  EXPECT_EQ(DrawnAt(f.list, 0, false), normal);
  TPngImageList empty(nullptr);
  EXPECT_EQ(DrawnAt(empty, 0, true), clWhite);
}

TEST(PngImageList, DisabledSystemIconsDoNotChangeDrawing) {
  Filled4 f;
  ExpectInStep(f.list);
  EXPECT_EQ(SystemPixel(f.list, 0), 0xFFC86428u);
  f.list.SetEnabledImages(false);
  EXPECT_EQ(SystemPixel(f.list, 0), 0x80C86428u);  // alpha 255 -> 128
  f.list.SetPngOptions({pngGrayscaleOnDisabled});
  EXPECT_EQ(SystemPixel(f.list, 0), 0xFF7B7B7Bu);  // grey 123, alpha kept
  EXPECT_EQ(DrawnAt(f.list, 0, true), TColor(RGB(200, 100, 40)));
  f.list.SetEnabledImages(true);
  EXPECT_EQ(SystemPixel(f.list, 0), 0xFFC86428u);
}

struct Refusal {
  const char* what;
  std::function<int(TPngImageList&, TPngImageList& other)> call;  // the result, or -1
};

class PngImageListRefusals : public ::testing::TestWithParam<Refusal> {};

TEST_P(PngImageListRefusals, ChangeNothing) {
  TPngImageList list(nullptr), other(nullptr);
  list.Add(pngil::Filled(16, 16, clRed).get(), nullptr);
  list.Add(pngil::Filled(16, 16, clBlue).get(), nullptr);
  int changes = 0;
  list.OnChange = [&](TObject*) { ++changes; };
  EXPECT_EQ(GetParam().call(list, other), -1) << GetParam().what;
  EXPECT_EQ(changes, 0) << GetParam().what;
  EXPECT_EQ(Names(list), (std::vector<std::string>{"PngImage0", "PngImage1"})) << GetParam().what;
  EXPECT_EQ(list.Count(), 2);
  EXPECT_EQ(list.PngImages()->Items(0)->PngImage()->PixelColor(0, 0), RGB(255, 0, 0));
}

auto Red() { return pngil::Filled(16, 16, clRed); }
std::unique_ptr<TIcon> NoIcon() { return std::make_unique<TIcon>(); }

INSTANTIATE_TEST_SUITE_P(
    Operations, PngImageListRefusals,
    ::testing::Values(
        Refusal{"Delete -1", [](TPngImageList& l, TPngImageList&) { return l.Delete(-1), -1; }},
        Refusal{"Delete count", [](TPngImageList& l, TPngImageList&) { return l.Delete(2), -1; }},
        Refusal{"Replace count", [](TPngImageList& l, TPngImageList&) { return l.Replace(2, Red().get(), nullptr), -1; }},
        Refusal{"ReplaceMasked -1", [](TPngImageList& l, TPngImageList&) { return l.ReplaceMasked(-1, Red().get(), clRed), -1; }},
        Refusal{"ReplaceIcon empty", [](TPngImageList& l, TPngImageList&) { return l.ReplaceIcon(0, NoIcon().get()), -1; }},
        Refusal{"Move to count", [](TPngImageList& l, TPngImageList&) { return l.Move(0, 2), -1; }},
        Refusal{"Move from -1", [](TPngImageList& l, TPngImageList&) { return l.Move(-1, 0), -1; }},
        Refusal{"Insert past count", [](TPngImageList& l, TPngImageList&) { return l.Insert(3, Red().get(), nullptr), -1; }},
        Refusal{"InsertMasked -1", [](TPngImageList& l, TPngImageList&) { return l.InsertMasked(-1, Red().get(), clRed), -1; }},
        Refusal{"InsertIcon empty", [](TPngImageList& l, TPngImageList&) { return l.InsertIcon(0, NoIcon().get()), -1; }},
        Refusal{"Add without picture", [](TPngImageList& l, TPngImageList&) { return l.Add(nullptr, nullptr); }},
        Refusal{"AddMasked empty", [](TPngImageList& l, TPngImageList&) { TBitmap e; return l.AddMasked(&e, clRed); }},
        Refusal{"AddIcon empty", [](TPngImageList& l, TPngImageList&) { return l.AddIcon(NoIcon().get()); }},
        Refusal{"AddImage without list", [](TPngImageList& l, TPngImageList&) { return l.AddImage(nullptr, 0); }},
        Refusal{"AddImage past the source", [](TPngImageList& l, TPngImageList& o) { return l.AddImage(&o, 0); }},
        Refusal{"AddImage -1", [](TPngImageList& l, TPngImageList&) { return l.AddImage(&l, -1); }}));

TEST(PngImageList, BaseReferencesReachThePngOperations) {
  TPngImageList list(nullptr);
  TCustomImageList& base = list;
  EXPECT_EQ(base.Add(pngil::Filled(16, 16, clRed).get(), nullptr), 0);
  base.AddMasked(pngil::Filled(16, 16, clBlue).get(), clLime);
  EXPECT_EQ(list.PngImages()->Count(), 2);
  base.Delete(0);
  EXPECT_EQ(Names(list), (std::vector<std::string>{"PngImage1"}));
  base.Clear();
  EXPECT_EQ(list.PngImages()->Count(), 0);
  EXPECT_EQ(list.Count(), 0);
}

TEST(PngImageList, InsertMoveAndReplaceKeepTheSystemListInStep) {
  TPngImageList list(nullptr);
  for (TColor c : {clRed, clLime, clBlue}) list.Add(pngil::Filled(16, 16, c).get(), nullptr);
  list.InsertMasked(1, pngil::Filled(16, 16, clYellow).get(), clNone);
  ExpectInStep(list);
  EXPECT_EQ(list.PngImages()->Items(1)->PngImage()->PixelColor(0, 0), RGB(255, 255, 0));
  list.Move(0, 3);
  ExpectInStep(list);
  EXPECT_EQ(list.PngImages()->Items(3)->PngImage()->PixelColor(0, 0), RGB(255, 0, 0));
  list.Move(3, 1);
  ExpectInStep(list);
  list.Replace(2, pngil::Filled(16, 16, clAqua).get(), nullptr);
  ExpectInStep(list);
  EXPECT_EQ(list.PngImages()->Items(2)->PngImage()->PixelColor(0, 0), RGB(0, 255, 255));
  EXPECT_EQ(Names(list), (std::vector<std::string>{"PngImage3", "PngImage0", "PngImage1", "PngImage2"}));
}

TEST(PngImageList, AssignmentInBothDirections) {
  TImageList plain(nullptr);
  plain.SetSize(2, 1);
  TIconPixels p;
  p.width = 2;
  p.height = 1;
  p.color = {0x00102030, 0x00405060};
  p.mask = {1, 0};
  auto icon = std::make_unique<TIcon>();
  icon->SetHandle(CreateIconFromPixels(p));
  plain.AddIcon(icon.get());
  TPngImageList png(nullptr);
  png.Assign(&plain);
  ASSERT_EQ(png.PngImages()->Count(), 1);
  EXPECT_EQ(png.Width(), 2);
  EXPECT_EQ(png.PngImages()->Items(0)->PngImage()->AlphaRow(0)[0], 0);
  EXPECT_EQ(png.PngImages()->Items(0)->PngImage()->AlphaRow(0)[1], 255);
  png.SetBkColor(clRed);
  png.PngImages()->Items(0)->SetName("Disc");
  png.PngImages()->Items(0)->SetBackground(clWindow);
  png.SetEnabledImages(false);
  png.SetPngOptions({pngGrayscaleOnDisabled});
  EXPECT_EQ(ImageList_GetBkColor(png.Handle()), RGB(255, 0, 0));  // kept by the rebuilt system list

  TPngImageList viaAssign(nullptr), viaAssignTo(nullptr);
  viaAssign.Assign(&png);  // the base assignment: images only
  EXPECT_EQ(Names(viaAssign), (std::vector<std::string>{"PngImage0"}));
  png.AssignTo(&viaAssignTo);  // items with names and backgrounds, and EnabledImages
  EXPECT_EQ(Names(viaAssignTo), (std::vector<std::string>{"Disc"}));
  EXPECT_EQ(viaAssignTo.PngImages()->Items(0)->Background(), clWindow);
  EXPECT_FALSE(viaAssignTo.EnabledImages());
  EXPECT_TRUE(viaAssignTo.PngOptions() == TPngOptions{pngBlendOnDisabled});
  EXPECT_EQ(viaAssignTo.Count(), 1);
  TImageList back(nullptr);
  png.AssignTo(&back);
  EXPECT_EQ(back.Count(), 1);
}

TEST(PngImageList, ObserversHearEachOperationAndTheRebuild) {
  TPngImageList list(nullptr);
  int changes = 0;
  TChangeLink link;
  link.OnChange = [&](TObject*) { ++changes; };
  list.RegisterChanges(&link);
  list.Add(pngil::Filled(16, 16, clRed).get(), nullptr);
  EXPECT_EQ(changes, 2);  // the operation, then the new system list
  EXPECT_EQ(list.RebuildLock(), 0);
  changes = 0;
  list.Delete(0);
  EXPECT_EQ(changes, 1);
}

// The system icon (0xAARRGGBB per pixel) of one 2 x 1 picture: alpha of its own when it has
// one, 255 off and 0 on a key colour, 0 without transparency (the all-black mask rules).
// Disabled: alpha x 128 / 256 first, then grey, so a key colour stays clear and a colour
// whose grey equals the key's stays visible.
struct IconCase {
  const char* what;
  std::function<std::unique_ptr<TPngImage>()> picture;
  bool enabledImages;
  std::vector<std::uint32_t> icon;
};

class PngImageListIcons : public ::testing::TestWithParam<IconCase> {};

TEST_P(PngImageListIcons, AlphaByKindOfPicture) {
  TPngImageList list(nullptr);
  list.SetSize(2, 1);
  list.SetEnabledImages(GetParam().enabledImages);
  list.SetPngOptions({pngBlendOnDisabled, pngGrayscaleOnDisabled});
  list.PngImages()->AddItem()->SetPngImage(GetParam().picture().get());
  HICON icon = ImageList_GetIcon(list.Handle(), 0, ILD_NORMAL);
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(GetIconPixels(icon)->color, GetParam().icon) << GetParam().what;
  DestroyIcon(icon);
}

const pngtest::Chunk kPalette = {"PLTE", {10, 20, 30, 40, 50, 60}};
const pngtest::Chunk kSecondClear = {"tRNS", {255, 0}};

INSTANTIATE_TEST_SUITE_P(
    Pictures, PngImageListIcons,
    ::testing::Values(
        IconCase{"RGB key (4, 5, 6)", [] { return pngil::FromSamples(2, 1, 2, {{1, 2, 3, 4, 5, 6}}, {{"tRNS", {0, 4, 0, 5, 0, 6}}}); },
                 true, {0xFF010203u, 0x00040506u}},
        IconCase{"grey", [] { return pngil::FromSamples(2, 1, 0, {{30, 220}}); }, true, {0x001E1E1Eu, 0x00DCDCDCu}},
        IconCase{"grey with alpha", [] { return pngil::FromSamples(2, 1, 4, {{90, 33, 7, 0}}); }, true,
                 {0x215A5A5Au, 0x00070707u}},
        IconCase{"palette", [] { return pngil::FromSamples(2, 1, 3, {{0, 1}}, {kPalette}); }, true, {0x000A141Eu, 0x0028323Cu}},
        IconCase{"palette, entry 1 clear", [] { return pngil::FromSamples(2, 1, 3, {{0, 1}}, {kPalette, kSecondClear}); },
                 true, {0xFF0A141Eu, 0x0028323Cu}},
        // Grey of (200, 100, 40) is 123, the key's own colour: grey first would clear pixel 0.
        IconCase{"disabled palette, key (123, 123, 123)",
                 [] { return pngil::FromSamples(2, 1, 3, {{0, 1}}, {{"PLTE", {200, 100, 40, 123, 123, 123}}, kSecondClear}); },
                 false, {0x7F7B7B7Bu, 0x007B7B7Bu}}));

// Content operations on a 1 x 1 list of red, lime and blue items: the system icons after
// (0x80 alpha: the disabled look), which stay in step with the items, and the exact number
// of change reports. The add operations rebuild the whole system list in the list's look;
// the others change their own icons, which get the normal look.
struct Operation {
  const char* what;
  bool enabledImages;
  std::function<void(TPngImageList&)> call;
  std::vector<std::uint32_t> icons;
  int changes;
};

class PngImageListOperations : public ::testing::TestWithParam<Operation> {};

TEST_P(PngImageListOperations, SystemListAndChangeReports) {
  const Operation& op = GetParam();
  TPngImageList list(nullptr);
  list.SetSize(1, 1);
  for (TColor c : {clRed, clLime, clBlue}) list.Add(pngil::Filled(1, 1, c).get(), nullptr);
  list.SetEnabledImages(op.enabledImages);
  int changes = 0;
  list.OnChange = [&](TObject*) { ++changes; };
  op.call(list);
  EXPECT_EQ(changes, op.changes) << op.what;
  std::vector<std::uint32_t> icons;
  for (int i = 0; i < list.Count(); ++i) icons.push_back(SystemPixel(list, i));
  EXPECT_EQ(icons, op.icons) << op.what;
  ASSERT_EQ(list.PngImages()->Count(), list.Count()) << op.what;
  for (int i = 0; i < list.Count(); ++i)
    EXPECT_EQ(ItemPixels(list, i)[0] & 0xFFFFFF, icons[std::size_t(i)] & 0xFFFFFF) << op.what << " item " << i;
}

constexpr std::uint32_t kR = 0xFFFF0000u, kL = 0xFF00FF00u, kB = 0xFF0000FFu, kY = 0xFFFFFF00u;
constexpr std::uint32_t Dim(std::uint32_t c) { return (c & 0xFFFFFF) | 0x80000000u; }
auto Yellow() { return pngil::Filled(1, 1, clYellow); }

INSTANTIATE_TEST_SUITE_P(
    Rows, PngImageListOperations,
    ::testing::Values(
        Operation{"Delete 1", true, [](TPngImageList& l) { l.Delete(1); }, {kR, kB}, 1},
        Operation{"Add disabled", false, [](TPngImageList& l) { l.Add(Yellow().get(), nullptr); },
                  {Dim(kR), Dim(kL), Dim(kB), Dim(kY)}, 2},
        Operation{"AddImages of itself", true, [](TPngImageList& l) { l.AddImages(&l); }, {kR, kL, kB, kR, kL, kB}, 2},
        Operation{"AddImage 2 of itself", true, [](TPngImageList& l) { l.AddImage(&l, 2); }, {kR, kL, kB, kB}, 2},
        Operation{"Insert disabled", false, [](TPngImageList& l) { l.Insert(1, Yellow().get(), nullptr); },
                  {Dim(kR), kY, Dim(kL), Dim(kB)}, 1},
        Operation{"InsertMasked at the end", true, [](TPngImageList& l) { l.InsertMasked(3, Yellow().get(), clNone); },
                  {kR, kL, kB, kY}, 1},
        Operation{"Move disabled", false, [](TPngImageList& l) { l.Move(0, 2); }, {Dim(kL), Dim(kB), kR}, 1},
        Operation{"Replace disabled", false, [](TPngImageList& l) { l.ReplaceMasked(1, Yellow().get(), clNone); },
                  {Dim(kR), kY, Dim(kB)}, 1},
        Operation{"Clear", true, [](TPngImageList& l) { l.Clear(); }, {}, 1},
        Operation{"Assign nothing", true, [](TPngImageList& l) { l.Assign(nullptr); }, {}, 1}));

// A palette index past the palette: the picture reads, but no icon can be made of it.
std::unique_ptr<TPngImage> Unconvertible() { return pngil::FromSamples(1, 1, 3, {{5}}, {{"PLTE", {1, 2, 3}}}); }

TEST(PngImageList, APictureWithoutIconGetsTheBlankOneAndItsErrorGoesToWhoBroughtIt) {
  TPngImageList list(nullptr);
  list.SetSize(1, 1);
  list.Add(pngil::Filled(1, 1, clRed).get(), nullptr);
  TPngImageCollectionItem* item = list.PngImages()->AddItem();
  EXPECT_THROW(item->SetPngImage(Unconvertible().get()), EPngError);
  list.Add(pngil::Filled(1, 1, clBlue).get(), nullptr);  // a later rebuild: complete, no error
  list.SetEnabledImages(false);
  ASSERT_EQ(list.Count(), 3);
  HICON blank = ImageList_GetIcon(list.Handle(), 1, ILD_NORMAL);
  EXPECT_EQ(GetIconPixels(blank)->mask, std::vector<std::uint8_t>{1});
  DestroyIcon(blank);
  EXPECT_EQ(SystemPixel(list, 2), Dim(kB));
  EXPECT_THROW(item->SetPngImage(Unconvertible().get()), EPngError);  // brought in again
  TPngImageList other(nullptr);
  other.SetSize(1, 1);
  EXPECT_THROW(other.AddImages(&list), EPngError);
  EXPECT_EQ(other.Count(), 3);
}

}  // namespace
