// Standard controls driven by injected input on the headless window system: list box
// selection and hover, button click rules, labels, page control, image data.
#include <cctype>
#include <vector>

#include "support/headless_form.h"
#include "ui/stdctrls/extctrls.h"
#include "ui/stdctrls/menus.h"
#include "ui/core/streams.h"

namespace {

// ---------------------------------------------------------------------------------------
// List box

class ListBoxTest : public HeadlessForm {
 protected:
  void SetUp() override {
    HeadlessForm::SetUp();
    list = new TListBox(form);
    list->SetParent(form);
    list->SetBounds(10, 10, 120, 2 * 2 + 5 * 20);  // exactly five rows
    list->SetStyle(lbOwnerDrawFixed);
    list->SetItemHeight(20);
    for (const char* s : {"a", "b", "c", "d", "e", "f", "g", "h"}) list->Items()->Add(s);
    list->OnClick = [this](TObject*) { clicks.push_back(list->ItemIndex()); };
    list->OnDrawItem = [this](TWinControl*, int index, const RECT&, TOwnerDrawState state) {
      drawn.push_back(index);
      if (state.Contains(odFocused)) focusedDraws++;
    };
    ShowForm();
  }
  TListBox* list = nullptr;
  std::vector<int> clicks;
  std::vector<int> drawn;
  int focusedDraws = 0;
};

TEST_F(ListBoxTest, MouseClickSelectsAndRaisesOnClickAlsoOnTheSelectedItem) {
  headless::ClickAt(list->Handle(), 2 + 10, 2 + 45);  // third row
  Pump();
  EXPECT_EQ(list->ItemIndex(), 2);
  ASSERT_EQ(clicks, (std::vector<int>{2}));
  headless::ClickAt(list->Handle(), 2 + 10, 2 + 45);
  Pump();
  EXPECT_EQ(clicks, (std::vector<int>{2, 2})) << "a click on the selected item raises OnClick again";
}

TEST_F(ListBoxTest, ClickBelowTheItemsOrOnTheBorderChangesNothing) {
  list->Items()->Clear();
  list->Items()->Add("only");
  Pump();
  headless::ClickAt(list->Handle(), 20, 2 + 60);
  headless::ClickAt(list->Handle(), 0, 0);
  Pump();
  EXPECT_EQ(list->ItemIndex(), -1);
  EXPECT_TRUE(clicks.empty());
}

TEST_F(ListBoxTest, ItemIndexFromCodeRaisesNothing) {
  list->SetItemIndex(3);
  Pump();
  list->SetItemIndex(-1);
  list->SetItemIndex(99);
  Pump();
  EXPECT_EQ(list->ItemIndex(), -1);
  EXPECT_TRUE(clicks.empty());
}

struct KeyCase {
  const char* name;
  int start;
  UINT vk;
  int expected;
  bool clicks;
};

class ListBoxKeyTest : public ListBoxTest, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(ListBoxKeyTest, KeyMovesSelection) {
  const KeyCase& k = GetParam();
  list->SetItemIndex(k.start);
  list->SetFocus();
  Pump();
  headless::KeyPress(k.vk);
  Pump();
  EXPECT_EQ(list->ItemIndex(), k.expected);
  if (k.clicks)
    EXPECT_EQ(clicks, (std::vector<int>{k.expected}));
  else
    EXPECT_TRUE(clicks.empty()) << "no move, no OnClick";
  EXPECT_LE(list->TopIndex(), list->ItemIndex());
  EXPECT_GT(list->TopIndex() + list->VisibleItemCount(), list->ItemIndex()) << "selection stays visible";
}

INSTANTIATE_TEST_SUITE_P(Keys, ListBoxKeyTest,
                         ::testing::Values(KeyCase{"Down", 0, VK_DOWN, 1, true}, KeyCase{"Up", 3, VK_UP, 2, true},
                                           KeyCase{"UpAtTop", 0, VK_UP, 0, false},
                                           KeyCase{"DownAtEnd", 7, VK_DOWN, 7, false},
                                           KeyCase{"DownFromNone", -1, VK_DOWN, 0, true},
                                           KeyCase{"Home", 5, VK_HOME, 0, true}, KeyCase{"End", 1, VK_END, 7, true},
                                           KeyCase{"PageDown", 0, VK_NEXT, 4, true},
                                           KeyCase{"PageUp", 6, VK_PRIOR, 2, true}),
                         [](const auto& info) { return std::string(info.param.name); });

// A typed character selects the next item whose text starts with it, case-insensitive,
// searching from the item after the current one and wrapping around.
struct CharCase {
  const char* name;
  int start;
  char ch;
  int expected;
};

class ListBoxCharTest : public ListBoxTest, public ::testing::WithParamInterface<CharCase> {};

TEST_P(ListBoxCharTest, LetterSelectsLikeAnArrowKey) {
  const CharCase& c = GetParam();
  list->Items()->Clear();
  for (const char* s : {"Apple", "banana", "Avocado", "cherry", "apricot", "Blueberry", "date", "fig"})
    list->Items()->Add(s);
  list->SetItemIndex(c.start);
  list->SetFocus();
  Pump();
  headless::KeyPress(UINT(std::toupper(static_cast<unsigned char>(c.ch))), c.ch);
  Pump();
  EXPECT_EQ(list->ItemIndex(), c.expected);
  if (c.expected != c.start)
    EXPECT_EQ(clicks, (std::vector<int>{c.expected}));
  else
    EXPECT_TRUE(clicks.empty()) << "no move, no OnClick";
  if (c.expected < 0) return;
  EXPECT_LE(list->TopIndex(), list->ItemIndex());
  EXPECT_GT(list->TopIndex() + list->VisibleItemCount(), list->ItemIndex()) << "selection stays visible";
}

INSTANTIATE_TEST_SUITE_P(Chars, ListBoxCharTest,
                         ::testing::Values(CharCase{"FromNone", -1, 'a', 0}, CharCase{"NextAfterCurrent", 0, 'a', 2},
                                           CharCase{"UpperCaseMatchesLower", 2, 'A', 4},
                                           CharCase{"WrapsToTheFirst", 4, 'a', 0}, CharCase{"WrapsPastTheEnd", 6, 'b', 1},
                                           CharCase{"ScrollsIntoView", 0, 'f', 7}, CharCase{"OnlyTheCurrent", 7, 'f', 7},
                                           CharCase{"NoMatch", 3, 'z', 3}, CharCase{"NoMatchFromNone", -1, 'q', -1}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ListBoxTest, HoverBelowLastItemGivesMinusOne) {
  list->Items()->Clear();
  list->Items()->Add("one");
  list->Items()->Add("two");
  Pump();
  std::vector<int> hovered;
  list->OnMouseMove = [&](TObject*, TShiftState, int x, int y) {
    hovered.push_back(list->ItemAtPos(POINT{x, y}, true));
  };
  // Pointer moves are merged while queued, as on the platform: deliver each one.
  for (int y : {5, 25, 41, 99}) {
    headless::MovePointerTo(list->Handle(), 2 + 5, 2 + y);
    Pump();
  }
  EXPECT_EQ(hovered, (std::vector<int>{0, 1, -1, -1}));
  // Pressing or dragging below the last item keeps the selection.
  headless::ClickAt(list->Handle(), 2 + 5, 2 + 25);
  headless::ClickAt(list->Handle(), 2 + 5, 2 + 41);
  Pump();
  EXPECT_EQ(list->ItemIndex(), 1);
  headless::MovePointerTo(list->Handle(), 2 + 5, 2 + 5);
  headless::PressButton(1);
  headless::MovePointerTo(list->Handle(), 2 + 5, 2 + 41);
  headless::ReleaseButton(1);
  Pump();
  EXPECT_EQ(list->ItemIndex(), 0);
  EXPECT_EQ(list->ItemAtPos(POINT{5, 41}, false), 2);
  EXPECT_EQ(list->ItemAtPos(POINT{-1, 5}, true), -1);
  EXPECT_EQ(list->ItemAtPos(POINT{5, 100}, true), -1) << "outside the client area";
}

TEST_F(ListBoxTest, ItemAtPosCountsFromTopIndex) {
  list->SetTopIndex(3);
  EXPECT_EQ(list->ItemAtPos(POINT{5, 5}, true), 3);
  EXPECT_EQ(list->ItemAtPos(POINT{5, 85}, true), 7);
  EXPECT_EQ(list->ItemRect(4).top, 20);
}

TEST_F(ListBoxTest, OwnerDrawsVisibleItemsAndTheFocusedOneOnce) {
  list->SetItemIndex(1);
  list->SetFocus();
  drawn.clear();
  focusedDraws = 0;
  list->Invalidate();
  Pump();
  EXPECT_EQ(drawn, (std::vector<int>{0, 1, 2, 3, 4})) << "rows past the client height are not drawn";
  EXPECT_EQ(focusedDraws, 1);
}

TEST_F(ListBoxTest, ClientAreaIsInsideTheSunkenBorder) {
  EXPECT_EQ(list->ItemArea(), (RECT{0, 0, 116, 100}));
  EXPECT_EQ(list->ClientRect(), (RECT{0, 0, 120, 104}));
  const headless::Frame f = headless::BackBuffer(form->Handle());
  EXPECT_EQ(f.At(10, 10), 0x00A0A0A0u) << "outer border: button shadow";
  EXPECT_EQ(f.At(11, 11), 0x00696969u) << "inner border: dark shadow";
}

// ---------------------------------------------------------------------------------------
// Button

class ButtonTest : public HeadlessForm {
 protected:
  void SetUp() override {
    HeadlessForm::SetUp();
    button = Add<TButton>(20, 20, 75, 25, "&Go");
    button->OnClick = [this](TObject*) { ++clicks; };
    other = Add<TButton>(120, 20, 75, 25, "&Other");
    ShowForm();
  }
  TButton* button = nullptr;
  TButton* other = nullptr;
  int clicks = 0;
};

TEST_F(ButtonTest, PressAndReleaseInsideClicks) {
  headless::ClickAt(button->Handle(), 10, 10);
  Pump();
  EXPECT_EQ(clicks, 1);
  EXPECT_TRUE(button->Focused());
}

TEST_F(ButtonTest, DragOffAndReleaseOutsideDoesNotClick) {
  headless::MovePointerTo(button->Handle(), 10, 10);
  headless::PressButton(1);
  Pump();
  EXPECT_TRUE(button->Down());
  headless::MovePointerTo(button->Handle(), 200, 10);
  Pump();
  EXPECT_FALSE(button->Down()) << "drawn up while the pointer is off";
  headless::ReleaseButton(1);
  Pump();
  EXPECT_EQ(clicks, 0);
}

TEST_F(ButtonTest, DragOffAndBackInClicks) {
  headless::MovePointerTo(button->Handle(), 10, 10);
  headless::PressButton(1);
  headless::MovePointerTo(button->Handle(), 200, 10);
  headless::MovePointerTo(button->Handle(), 30, 12);
  headless::ReleaseButton(1);
  Pump();
  EXPECT_EQ(clicks, 1);
}

TEST_F(ButtonTest, SpaceAndEnterWhenFocused) {
  button->SetFocus();
  Pump();
  headless::KeyDown(VK_SPACE, ' ');
  Pump();
  EXPECT_TRUE(button->Down());
  EXPECT_EQ(clicks, 0) << "Space clicks on release";
  headless::KeyUp(VK_SPACE);
  Pump();
  EXPECT_EQ(clicks, 1);
  headless::KeyPress(VK_RETURN);
  Pump();
  EXPECT_EQ(clicks, 2);
}

TEST_F(ButtonTest, FocusLostWhileSpaceIsHeldReleasesTheButtonWithoutAClick) {
  int otherClicks = 0;
  other->OnClick = [&](TObject*) { ++otherClicks; };
  button->SetFocus();
  Pump();
  headless::KeyDown(VK_SPACE, ' ');
  Pump();
  ASSERT_TRUE(button->Down());
  other->SetFocus();
  Pump();
  EXPECT_FALSE(button->Down()) << "drawn up as soon as the focus goes";
  headless::KeyUp(VK_SPACE);
  Pump();
  EXPECT_EQ(clicks, 0);
  EXPECT_EQ(otherClicks, 0) << "the release alone clicks nothing";
  button->SetFocus();
  Pump();
  EXPECT_FALSE(button->Down()) << "and stays up when the focus comes back";
}

TEST_F(ButtonTest, DefaultTakesEnterAndCancelTakesEscUnlessAnotherButtonIsFocused) {
  button->SetDefault(true);
  other->SetCancel(false);
  int otherClicks = 0;
  other->OnClick = [&](TObject*) { ++otherClicks; };
  auto* list = Add<TListBox>(20, 60, 100, 100);
  list->SetFocus();
  Pump();
  EXPECT_TRUE(button->IsActive());
  headless::KeyPress(VK_RETURN);
  Pump();
  EXPECT_EQ(clicks, 1);
  other->SetFocus();
  Pump();
  EXPECT_FALSE(button->IsActive()) << "the focused button takes Enter";
  headless::KeyPress(VK_RETURN);
  Pump();
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(otherClicks, 1);
  button->SetCancel(true);
  list->SetFocus();
  Pump();
  headless::KeyPress(VK_ESCAPE);
  Pump();
  EXPECT_EQ(clicks, 2) << "Esc goes to the cancel button";
  button->SetEnabled(false);
  headless::KeyPress(VK_ESCAPE);
  Pump();
  EXPECT_EQ(clicks, 2) << "but not while it is disabled";
}

TEST_F(ButtonTest, ModalResultIsHandedToTheForm) {
  button->SetModalResult(mrOk);
  headless::ClickAt(button->Handle(), 5, 5);
  Pump();
  EXPECT_EQ(form->ModalResult(), mrOk);
  EXPECT_EQ(clicks, 1);
}

TEST_F(ButtonTest, DisabledButtonIgnoresClicks) {
  button->SetEnabled(false);
  Pump();
  headless::ClickAt(button->Handle(), 10, 10);
  Pump();
  EXPECT_EQ(clicks, 0);
}

TEST_F(ButtonTest, AccessKeyClicksWithAltWhileAListKeepsItsLetters) {
  auto* list = Add<TListBox>(20, 60, 100, 100);
  list->Items()->Add("green");
  list->SetFocus();
  Pump();
  headless::KeyPress('G', 'g');
  Pump();
  EXPECT_EQ(clicks, 0) << "a plain letter belongs to the focused list";
  EXPECT_EQ(list->ItemIndex(), 0);
  headless::KeyDown(VK_MENU);
  headless::KeyPress('G', 'g');
  headless::KeyUp(VK_MENU);
  Pump();
  EXPECT_EQ(clicks, 1);
  other->SetFocus();
  Pump();
  headless::KeyPress('G', 'g');
  Pump();
  EXPECT_EQ(clicks, 2) << "a control without text takes plain letters as access keys";
}

// ---------------------------------------------------------------------------------------
// Label

class LabelTest : public HeadlessForm {};

TEST_F(LabelTest, AutoSizeFollowsTheText) {
  auto* label = new TLabel(form);
  label->SetParent(form);
  label->SetCaption("Web site:");
  EXPECT_EQ(label->Height(), 13);
  const int w = label->Width();
  EXPECT_GT(w, 20);
  label->SetCaption("Web site: longer");
  EXPECT_GT(label->Width(), w);
  label->SetShowAccelChar(false);
  label->SetCaption("A&B");
  const int literal = label->Width();
  label->SetShowAccelChar(true);
  EXPECT_LT(label->Width(), literal) << "with ShowAccelChar the & takes no room";
}

TEST_F(LabelTest, WordWrapKeepsTheWidthAndGrowsDown) {
  auto* label = new TLabel(form);
  label->SetParent(form);
  label->SetWordWrap(true);
  label->SetWidth(80);
  label->SetCaption("To ensure you're using the latest version, click on the Updates button below.");
  EXPECT_EQ(label->Width(), 80);
  EXPECT_GE(label->Height(), 4 * 13);
  EXPECT_EQ(label->Height() % 13, 0);
}

TEST_F(LabelTest, LinkLabelClicks) {
  auto* label = Add<TLabel>(30, 40, 0, 0, "http://example.invalid/");
  label->Font()->SetColor(clBlue);
  label->Font()->SetStyle(TFontStyles{fsUnderline});
  label->SetCursor(crHandPoint);
  int clicks = 0;
  label->OnClick = [&](TObject*) { ++clicks; };
  ShowForm();
  headless::ClickAt(form->Handle(), 35, 45);
  Pump();
  EXPECT_EQ(clicks, 1);
  // Blue text with an underline somewhere in the label's last rows.
  const headless::Frame f = headless::BackBuffer(form->Handle());
  int blue = 0;
  for (int y = 40; y < 40 + label->Height(); ++y)
    for (int x = 30; x < 30 + label->Width(); ++x) blue += f.At(x, y) == 0x000000FFu;
  EXPECT_GT(blue, label->Width() / 2);
}

// ---------------------------------------------------------------------------------------
// Page control

class PageControlTest : public HeadlessForm {
 protected:
  void SetUp() override {
    HeadlessForm::SetUp();
    pages = Add<TPageControl>(10, 10, 300, 200);
    for (const char* c : {"About", "Update"}) {
      auto* sheet = new TTabSheet(form);
      sheet->SetPageControl(pages);
      sheet->SetCaption(c);
      sheets.push_back(sheet);
    }
    inner = new TButton(form);
    inner->SetParent(sheets[1]);
    inner->SetBounds(10, 10, 75, 25);
    pages->OnChange = [this](TObject*) { ++changes; };
    ShowForm();
  }
  TPageControl* pages = nullptr;
  std::vector<TTabSheet*> sheets;
  TButton* inner = nullptr;
  int changes = 0;
};

TEST_F(PageControlTest, FirstPageActiveAndOnlyItsChildrenShow) {
  EXPECT_EQ(pages->ActivePage(), sheets[0]);
  EXPECT_TRUE(sheets[0]->Visible());
  EXPECT_FALSE(sheets[1]->Visible());
  EXPECT_FALSE(inner->Showing());
  EXPECT_EQ(sheets[1]->PageIndex(), 1);
}

TEST_F(PageControlTest, ClickOnTabSwitches) {
  const std::vector<RECT> tabs = pages->TabRects();
  ASSERT_EQ(tabs.size(), 2u);
  headless::ClickAt(pages->Handle(), (tabs[1].left + tabs[1].right) / 2, (tabs[1].top + tabs[1].bottom) / 2);
  Pump();
  EXPECT_EQ(pages->ActivePageIndex(), 1);
  EXPECT_TRUE(inner->Showing());
  EXPECT_EQ(changes, 1);
  pages->SetActivePageIndex(0);
  EXPECT_EQ(changes, 1) << "changes from code raise no OnChange";
}

TEST_F(PageControlTest, CtrlTabCyclesPages) {
  pages->SetFocus();
  Pump();
  headless::KeyDown(VK_CONTROL);
  headless::KeyPress(VK_TAB);
  Pump();
  EXPECT_EQ(pages->ActivePageIndex(), 1);
  inner->SetFocus();
  Pump();
  headless::KeyPress(VK_TAB);
  Pump();
  headless::KeyUp(VK_CONTROL);
  Pump();
  EXPECT_EQ(pages->ActivePageIndex(), 0) << "also from a control on the page";
  EXPECT_EQ(changes, 2);
}

TEST_F(PageControlTest, HiddenTabIsSkipped) {
  sheets[1]->SetTabVisible(false);
  EXPECT_EQ(pages->TabRects().size(), 1u);
  EXPECT_EQ(pages->FindNextPage(sheets[0], true), nullptr);
}

// ---------------------------------------------------------------------------------------
// Image

class ImageTest : public HeadlessForm {};

std::vector<std::uint8_t> BmpBytes(int w, int h, TColor color) {
  TBitmap bmp(w, h, pf24bit);
  FillColor(*bmp.Canvas(), RECT{0, 0, w, h}, color);
  TMemoryStream ms;
  bmp.SaveToStream(ms);
  return ms.Bytes();
}

std::vector<std::uint8_t> PictureData(const std::string& cls, const std::vector<std::uint8_t>& file, bool sizePrefix) {
  std::vector<std::uint8_t> d;
  d.reserve(1 + cls.size() + 4 + file.size());
  d.push_back(std::uint8_t(cls.size()));
  for (char c : cls) d.push_back(std::uint8_t(c));
  if (sizePrefix) {
    const std::uint32_t n = std::uint32_t(file.size());
    for (int i = 0; i < 4; ++i) d.push_back(std::uint8_t(n >> (8 * i)));
  }
  d.insert(d.end(), file.begin(), file.end());
  return d;
}

TEST_F(ImageTest, PictureDataOfABitmapIsReadAndDrawnCentred) {
  auto* image = Add<TImage>(20, 20, 41, 31);
  image->SetCenter(true);
  image->LoadPictureData(PictureData("TBitmap", BmpBytes(10, 8, clRed), true));
  ASSERT_NE(image->Picture()->Graphic(), nullptr);
  EXPECT_EQ(image->Picture()->Width(), 10);
  EXPECT_EQ(image->DestRect(), (RECT{15, 11, 25, 19}));
  ShowForm();
  const headless::Frame f = headless::BackBuffer(form->Handle());
  EXPECT_EQ(f.At(20 + 15, 20 + 11), 0x00FF0000u);
  EXPECT_EQ(f.At(20 + 14, 20 + 11), 0x00F0F0F0u);
}

TEST_F(ImageTest, BitmapWithoutSizePrefixAndUnknownClassBySignature) {
  TImage image(nullptr);
  image.LoadPictureData(PictureData("TSomething", BmpBytes(3, 3, clLime), false));
  ASSERT_NE(image.Picture()->Graphic(), nullptr);
  EXPECT_EQ(image.Picture()->Height(), 3);
}

TEST_F(ImageTest, MalformedDataRaises) {
  TImage image(nullptr);
  EXPECT_THROW(image.LoadPictureData({20, 'T', 'B'}), EInvalidGraphic) << "class name runs past the end";
  std::vector<std::uint8_t> lying = PictureData("TBitmap", BmpBytes(3, 3, clLime), true);
  lying[1 + 7] = 0xFF;  // declared size far beyond the data
  EXPECT_THROW(image.LoadPictureData(lying), EInvalidGraphic);
  const std::vector<std::uint8_t> unknown = PictureData("TMystery", {1, 2, 3, 4}, false);
  EXPECT_NO_THROW(image.LoadPictureData(unknown));
  EXPECT_EQ(image.Picture()->Graphic(), nullptr) << "unknown formats leave the picture empty";
  EXPECT_EQ(image.PictureData(), unknown) << "but the bytes are kept";
}

}  // namespace
