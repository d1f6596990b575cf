// The main window's pictures: the three lists as the window definition fills them (order,
// names, backgrounds, and which artwork file each item shows) and the buttons taking their
// glyphs from them, and the icons where the lists draw them, blended over white or over
// the selection grey. The glyphs on screen are pinned by the buttons' goldens.
// Expected pixels come from the artwork files read by an independent PNG reader and the
// blend rule new = (a * s + (255 - a) * old + 255) / 256.
#include <string>
#include <vector>

#include "launcher/catalogue.h"
#include "launcher_fixture.h"
#include "pngimagelist/pngcollection.h"

namespace launchertest {
namespace {

constexpr std::uint32_t kWhite = 0xFFFFFF, kGrey = 0x808080;

// Pixels of the frame at (left, top) that differ from `art` blended over `background`.
int BlendMismatches(const headless::Frame& f, int left, int top, const testsupport::Image& art,
                    std::uint32_t background, std::string* first) {
  int n = 0;
  for (int y = 0; y < art.height; ++y)
    for (int x = 0; x < art.width; ++x) {
      const std::uint32_t want = Over(art.At(x, y), background), got = f.At(left + x, top + y) & 0xFFFFFF;
      if (want != got && n++ == 0)
        *first = "(" + std::to_string(x) + ", " + std::to_string(y) + ") got " + std::to_string(got) + " want " +
                 std::to_string(want);
    }
  return n;
}

class Pictures : public LauncherTest {
 protected:
  void SetUp() override {
    LauncherTest::SetUp();
    headless::MovePointer(1000, 5);  // off the window: no task hovered
    Start(ProductFile("Brimlow"));
    ShowAndPump();
  }
};

struct ListCase {
  const char* list;
  int size;
  std::vector<std::string> names;
  std::vector<std::string> art;
};

TEST_F(Pictures, ListsHoldTheirItemsInStoredOrderWithTheirPictures) {
  std::vector<std::string> taskArt;
  for (int n = 0; n < 14; ++n) taskArt.push_back(TaskArt(n));
  const ListCase cases[] = {
      {"PngImageListMain",
       48,
       {"PngImage0", "PngImage1", "PngImage2", "PngImage3"},
       {CategoryArt(0), CategoryArt(1), CategoryArt(2), CategoryArt(3)}},
      {"PngImageListData",
       48,
       {"PngImage0", "PngImage1", "PngImage2", "PngImage3", "PngImage4", "PngImage5", "PngImage6", "PngImage12",
        "PngImage13", "PngImage7", "PngImage8", "PngImage9", "PngImage10", "PngImage11"},
       taskArt},
      {"PngImageListButton", 32, {"PngImage0", "PngImage1"}, {"glyph-help", "glyph-ok"}},
  };
  const TPngImageList* fields[] = {form->PngImageListMain, form->PngImageListData, form->PngImageListButton};
  for (std::size_t l = 0; l < std::size(cases); ++l) {
    const ListCase& c = cases[l];
    SCOPED_TRACE(c.list);
    auto* list = FindField<TPngImageList>(form, c.list);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list, fields[l]) << "the form's field is the list of that name";
    EXPECT_EQ(list->Width(), c.size);
    EXPECT_EQ(list->Height(), c.size);
    EXPECT_TRUE(list->EnabledImages());
    EXPECT_EQ(list->PngOptions(), TPngOptions{pngBlendOnDisabled});
    ASSERT_EQ(list->PngImages()->Count(), int(c.names.size()));
    for (int i = 0; i < list->PngImages()->Count(); ++i) {
      TPngImageCollectionItem* item = list->PngImages()->Items(i);
      EXPECT_EQ(item->Name(), c.names[i]) << "item " << i;
      EXPECT_EQ(item->Background(), clWindow) << "item " << i;
      // Every pixel, colour and alpha, as the artwork file holds it.
      const testsupport::Image art = Art(c.art[i]);
      TPngImage* png = item->PngImage();
      ASSERT_EQ(png->Width(), art.width) << "item " << i;
      ASSERT_EQ(png->Height(), art.height) << "item " << i;
      int wrong = 0;
      for (int y = 0; y < art.height; ++y)
        for (int x = 0; x < art.width; ++x) {
          const std::uint32_t want = art.At(x, y);
          const COLORREF got = png->PixelColor(x, y);
          const std::uint32_t gotRgb = ((got & 0xFF) << 16) | (got & 0xFF00) | ((got >> 16) & 0xFF);
          wrong += gotRgb != (want & 0xFFFFFF) || png->AlphaRow(y)[x] != want >> 24;
        }
      EXPECT_EQ(wrong, 0) << "item " << i << " is not " << c.art[i];
    }
  }
  // The buttons' glyphs: Help shows only its picture, OK its picture and caption.
  EXPECT_EQ(form->ButtonHelp->Images(), form->PngImageListButton);
  EXPECT_EQ(form->ButtonHelp->ImageIndex(), 0);
  EXPECT_EQ(form->ButtonHelp->Caption(), "");
  EXPECT_EQ(form->ButtonOK->Images(), form->PngImageListButton);
  EXPECT_EQ(form->ButtonOK->ImageIndex(), 1);
  EXPECT_EQ(form->ButtonOK->Caption(), "&OK");
}

// One icon on screen: the category to choose (-1: the one at start), the task to point at
// (-1: none), which list and item, the artwork it shows and the colour behind it.
struct IconCase {
  const char* what;
  int category, hover;
  bool taskList;
  int item;
  const char* art;
  std::uint32_t background;
};

class IconPlace : public Pictures, public ::testing::WithParamInterface<IconCase> {};

TEST_P(IconPlace, IsTheItemsArtworkBlendedOverItsBackground) {
  const IconCase& c = GetParam();
  if (c.category >= 0) ClickCategory(c.category);
  if (c.hover >= 0) HoverTask(c.hover);
  // Lists at (8, 8) and (184, 8) inside 2-pixel edges; category icons at (60, 6) of their
  // item (half of 169 - 48, half of 80 - 48, less 10), task icons at (25, 15).
  const int left = c.taskList ? 186 + 25 : 10 + 60;
  const int top = c.taskList ? 10 + 75 * c.item + 15 : 10 + 80 * c.item + 6;
  std::string first;
  EXPECT_EQ(BlendMismatches(headless::PresentedFrame(form->Handle()), left, top, Art(c.art), c.background, &first), 0)
      << first;
}

INSTANTIATE_TEST_SUITE_P(
    Launcher, IconPlace,
    ::testing::Values(IconCase{"DataCategorySelected", -1, -1, false, 0, "category-data", kGrey},
                      IconCase{"ToolsCategory", -1, -1, false, 3, "category-tools", kWhite},
                      IconCase{"DataCdSelected", -1, -1, true, 0, "category-data", kGrey},
                      IconCase{"DataBluRay", -1, -1, true, 3, "category-data", kWhite},
                      IconCase{"MusicFirstTaskPicture4Selected", 1, -1, true, 0, "category-music", kGrey},
                      IconCase{"MusicSecondTaskPicture5", 1, -1, true, 1, "task-grab-audio", kWhite},
                      IconCase{"MusicCategorySelected", 1, -1, false, 1, "category-music", kGrey},
                      IconCase{"VideoLastTaskPicture8", 2, -1, true, 2, "category-video", kWhite},
                      IconCase{"ToolsFirstTaskPicture9", 3, -1, true, 0, "task-disc-eraser", kGrey},
                      IconCase{"IsoCreatorPicture11", 3, -1, true, 2, "category-tools", kWhite},
                      IconCase{"IsoBurnerHoveredPicture12", 3, 3, true, 3, "task-iso-burner", kGrey},
                      IconCase{"LastToolsTaskPicture13", 3, -1, true, 4, "task-iso-grabber", kWhite},
                      IconCase{"LastToolsTaskHoveredPicture13", 3, 4, true, 4, "task-iso-grabber", kGrey}),
    [](const ::testing::TestParamInfo<IconCase>& i) { return std::string(i.param.what); });

}  // namespace
}  // namespace launchertest
