// The main window's pictures: the three lists as the window definition fills them (order,
// names, backgrounds, and which artwork file each item shows), the icons where the lists
// draw them, blended over white or over the selection grey, and the two image buttons.
// Expected pixels come from the artwork files read by an independent PNG reader and the
// blend rule new = (a * s + (255 - a) * old + 255) / 256.
#include <string>
#include <vector>

#include "launcher/catalogue.h"
#include "launcher_fixture.h"
#include "pngimagelist/pngcollection.h"

namespace launchertest {
namespace {

constexpr std::uint32_t kWhite = 0xFFFFFF, kGrey = 0x808080, kFace = 0xF0F0F0;

// Pixels of the frame at (left, top) that differ from `art` blended over `background`,
// leaving out the frame's rows and columns `skip` names.
int BlendMismatches(const headless::Frame& f, int left, int top, const testsupport::Image& art,
                    std::uint32_t background, std::string* first, const RECT& skip = RECT{-1, -1, -1, -1}) {
  int n = 0;
  for (int y = 0; y < art.height; ++y)
    for (int x = 0; x < art.width; ++x) {
      const int fx = left + x, fy = top + y;
      if (fx == skip.left || fx == skip.right || fy == skip.top || fy == skip.bottom) continue;
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
  const ListCase cases[] = {
      {"PngImageListMain", 48, {"PngImage0", "PngImage1", "PngImage2", "PngImage3"}, {CategoryArt(0), CategoryArt(1), CategoryArt(2), CategoryArt(3)}},
      {"PngImageListData",
       48,
       {"PngImage0", "PngImage1", "PngImage2", "PngImage3", "PngImage4", "PngImage5", "PngImage6", "PngImage12",
        "PngImage13", "PngImage7", "PngImage8", "PngImage9", "PngImage10", "PngImage11"},
       {}},
      {"PngImageListButton", 32, {"PngImage0", "PngImage1"}, {"glyph-help", "glyph-ok"}},
  };
  const TPngImageList* fields[] = {form->PngImageListMain, form->PngImageListData, form->PngImageListButton};
  for (std::size_t l = 0; l < std::size(cases); ++l) {
    ListCase c = cases[l];
    if (c.art.empty())
      for (int n = 0; n < 14; ++n) c.art.push_back(TaskArt(n));
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

// The buttons in the classic look, whose face is one colour: the glyph at (7, 5) of each
// button (at (8, 6) pressed), the Help button showing nothing else. A pressed button has
// the focus, whose dotted outline 4 pixels in crosses the glyph's clear bottom row.
struct ButtonCase {
  const char* what;
  bool ok, pressed;
};

class ButtonGlyph : public Pictures, public ::testing::WithParamInterface<ButtonCase> {};

TEST_P(ButtonGlyph, SitsAtItsPlaceOverTheFace) {
  const ButtonCase& c = GetParam();
  TImageButton* b = c.ok ? form->ButtonOK : form->ButtonHelp;
  EXPECT_EQ(b->Images(), form->PngImageListButton);
  EXPECT_EQ(b->ImageIndex(), c.ok ? 1 : 0);
  EXPECT_EQ(b->Caption(), c.ok ? "&OK" : "");
  if (c.pressed) {
    headless::MovePointerTo(b->Handle(), 20, 20);
    headless::PressButton(1);
    Pump();
  }
  const int shift = c.pressed ? 1 : 0;
  const headless::Frame f = headless::PresentedFrame(form->Handle());

  const RECT outline{b->Left() + 4, b->Top() + 4, b->Left() + b->Width() - 5, b->Top() + b->Height() - 5};
  std::string first;
  EXPECT_EQ(BlendMismatches(f, b->Left() + 7 + shift, b->Top() + 5 + shift, Art(c.ok ? "glyph-ok" : "glyph-help"), kFace,
                            &first, c.pressed ? outline : RECT{-1, -1, -1, -1}),
            0)
      << first;
  if (!c.ok) {
    // Nothing but face inside the focus outline's place around the glyph: no caption.
    int ink = 0;
    for (int y = outline.top + 1; y < outline.bottom; ++y)
      for (int x = outline.left + 1; x < outline.right; ++x) {
        const bool glyph = x >= b->Left() + 7 + shift && x < b->Left() + 39 + shift && y >= b->Top() + 5 + shift &&
                           y < b->Top() + 37 + shift;
        ink += !glyph && (f.At(x, y) & 0xFFFFFF) != kFace;
      }
    EXPECT_EQ(ink, 0);
  }
  if (c.pressed) {
    // Released off the button: no click, no menu.
    headless::MovePointer(1000, 5);
    headless::ReleaseButton(1);
    Pump();
  }
}

INSTANTIATE_TEST_SUITE_P(Launcher, ButtonGlyph,
                         ::testing::Values(ButtonCase{"Help", false, false}, ButtonCase{"HelpPressed", false, true},
                                           ButtonCase{"Ok", true, false}, ButtonCase{"OkPressed", true, true}),
                         [](const ::testing::TestParamInfo<ButtonCase>& i) { return std::string(i.param.what); });

}  // namespace
}  // namespace launchertest
