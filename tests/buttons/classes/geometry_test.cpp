// Where the image button puts its glyph and caption: the main window's OK and Help
// buttons at rest and pressed in each look, the placements of Margin -1, and the rules of
// NumGlyphs, Margin and Kind.
#include <string>

#include "button_fixture.h"
#include "support/golden.h"

namespace {

// A button that reports visual styles on, for the geometry of the styled look.
class StyledImageButton : public TImageButton {
 public:
  using TImageButton::TImageButton;
  bool UsesVisualStyles() const override { return true; }
};

class ImageButtonGeometry : public ButtonForm {
 protected:
  void SetUp() override {
    ButtonForm::SetUp();
    images = new SolidImageList(form);
  }
  template <class T = TImageButton>
  T* OkButton() {
    T* b = Add<T>(20, 20, 81, 42, "&OK");
    b->SetThemeAware(false);
    b->SetImages(images);
    b->SetImageIndex(1);
    return b;
  }
  void HoldMouseOn(TWinControl* b) {
    headless::MovePointerTo(b->Handle(), 10, 10);
    headless::PressButton(1);
    Pump();
  }
  SolidImageList* images = nullptr;
};

struct LookCase {
  const char* name;
  bool hotTrack;
  bool styled;
  RECT pressedCaption;
  POINT pressedGlyph;
};

class OkButtonLooks : public ImageButtonGeometry, public ::testing::WithParamInterface<LookCase> {};

TEST_P(OkButtonLooks, CaptionAndGlyphAtRestAndPressed) {
  const LookCase& c = GetParam();
  TImageButton* ok = c.styled ? OkButton<StyledImageButton>() : OkButton();
  ok->SetHotTrack(c.hotTrack);
  ShowForm();
  EXPECT_EQ(ok->GetCaptionRect(), (RECT{43, 5, 76, 37}));
  EXPECT_EQ(ok->GetGlyphRect(), (RECT{7, 5, 39, 37}));
  HoldMouseOn(ok);
  ASSERT_TRUE(ok->PressedLook());
  EXPECT_EQ(ok->GetCaptionRect(), c.pressedCaption);
  const RECT g = ok->GetGlyphRect();
  EXPECT_EQ((POINT{g.left, g.top}), c.pressedGlyph);
  EXPECT_EQ(g.right - g.left, 32);
  headless::ReleaseButton(1);
  Pump();
}

INSTANTIATE_TEST_SUITE_P(Looks, OkButtonLooks,
                         ::testing::Values(LookCase{"Classic", false, false, RECT{44, 6, 77, 38}, POINT{8, 6}},
                                           LookCase{"Styled", false, true, RECT{43, 5, 76, 37}, POINT{8, 5}},
                                           LookCase{"HotTrack", true, false, RECT{43, 5, 76, 37}, POINT{7, 5}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ImageButtonGeometry, OkButtonDrawsGlyphAndCaptionWhereTheLayoutSays) {
  TImageButton* ok = OkButton();
  ShowForm();
  const testsupport::Image img = testsupport::FrameImage(headless::BackBuffer(form->Handle()), 20, 20, 81, 42);
  const COLORREF green = COLORREF(SolidImageList::kColors[1]);
  const COLORREF face = COLORREF(ColorToRGB(clBtnFace));
  std::vector<testsupport::NamedPixel> px = {
      {7, 5, green, "glyph's top-left corner"},      {38, 36, green, "glyph's bottom-right corner"},
      {6, 5, face, "left of the glyph: face"},       {8, 4, face, "above the glyph: face (between the dots of the focus frame)"},
      {39, 20, face, "right of the glyph: face"}};
  const int textLeft = 43 + (33 - testsupport::UiTextWidth(testsupport::UiFont::kRegular, "OK")) / 2;
  testsupport::Append(px, testsupport::TextInk(img, face, COLORREF(ColorToRGB(clBtnText)), testsupport::UiFont::kRegular,
                                      textLeft, 14, "&OK", "caption text top 14, centred in (43, 76)"));
  EXPECT_TRUE(testsupport::HasNamedPixels(img, px));
  (void)ok;
}

struct PlacementCase {
  const char* name;
  int width, height;
  const char* text;
  TButtonLayout layout;
  int margin;
  bool rightToLeft;
  RECT glyph;
  RECT caption;
};

class Placement : public ImageButtonGeometry, public ::testing::WithParamInterface<PlacementCase> {};

TEST_P(Placement, GlyphAndCaptionRectangles) {
  const PlacementCase& m = GetParam();
  TImageButton* b = Add<TImageButton>(20, 20, m.width, m.height, m.text);
  b->SetThemeAware(false);
  b->SetImages(images);
  b->SetImageIndex(0);
  b->SetLayout(m.layout);
  b->SetMargin(m.margin);
  if (m.rightToLeft) b->SetBiDiMode(bdRightToLeft);
  EXPECT_EQ(b->GetGlyphRect(), m.glyph);
  EXPECT_EQ(b->GetCaptionRect(), m.caption);
}

// Margin -1 on 81 x 60 with a 32 x 32 glyph and the 13-pixel caption "OK":
// free = (60 - 32 - 13 - 4) / 2 = 5.
INSTANTIATE_TEST_SUITE_P(
    Layouts, Placement,
    ::testing::Values(
        PlacementCase{"HelpWithoutCaption", 46, 42, "", blGlyphLeft, 2, false, RECT{7, 5, 39, 37}, RECT{43, 5, 41, 37}},
        PlacementCase{"RightToLeftPutsALeftGlyphRight", 81, 42, "&OK", blGlyphLeft, 2, true, RECT{42, 5, 74, 37},
                      RECT{5, 5, 38, 37}},
        PlacementCase{"MinusOneLeft", 81, 60, "OK", blGlyphLeft, -1, false, RECT{5, 14, 37, 46}, RECT{40, 5, 76, 55}},
        PlacementCase{"MinusOneRight", 81, 60, "OK", blGlyphRight, -1, false, RECT{44, 14, 76, 46}, RECT{5, 5, 41, 55}},
        PlacementCase{"MinusOneTop", 81, 60, "OK", blGlyphTop, -1, false, RECT{25, 5, 57, 37}, RECT{5, 42, 76, 55}},
        PlacementCase{"MinusOneBottom", 81, 60, "OK", blGlyphBottom, -1, false, RECT{25, 23, 57, 55},
                      RECT{5, 10, 76, 23}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ImageButtonGeometry, MarginBelowMinusOneIsRefused) {
  TImageButton* b = OkButton();
  b->SetMargin(-5);
  EXPECT_EQ(b->Margin(), 2);
  b->SetMargin(-1);
  EXPECT_EQ(b->Margin(), -1);
}

// A density change scales the face's distances with the bounds; a centred glyph stays centred.
TEST_F(ImageButtonGeometry, ScalingTakesMarginAndSpacingAlongButNotACentredMargin) {
  TImageButton* b = Add<TImageButton>(20, 20, 81, 42, "OK");
  b->SetMargin(3);
  b->SetSpacing(5);
  b->ChangeScale(144, 96);
  EXPECT_EQ(b->BoundsRect(), (RECT{30, 30, 152, 93}));
  EXPECT_EQ(b->Margin(), 5);
  EXPECT_EQ(b->Spacing(), 8);
  b->SetMargin(-1);
  b->ChangeScale(2, 1);
  EXPECT_EQ(b->Margin(), -1);
}

struct GlyphSizeCase {
  int width;
  int expected;  // NumGlyphs after assigning a width x height glyph over NumGlyphs 2
  int height = 16;
};

class NumGlyphsFromGlyph : public ButtonForm, public ::testing::WithParamInterface<GlyphSizeCase> {};

TEST_P(NumGlyphsFromGlyph, CellsFollowTheStrip) {
  auto* b = Add<TImageButton>(10, 10, 75, 25, "");
  b->SetNumGlyphs(2);
  TBitmap strip(GetParam().width, GetParam().height);
  b->SetGlyph(&strip);
  EXPECT_EQ(b->NumGlyphs(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Widths, NumGlyphsFromGlyph,
                         ::testing::Values(GlyphSizeCase{64, 4}, GlyphSizeCase{48, 3}, GlyphSizeCase{100, 2},
                                           GlyphSizeCase{96, 1}, GlyphSizeCase{16, 1}, GlyphSizeCase{3, 3, 1}));

TEST_F(ButtonForm, KindAppliesItsEffectsAndFallsBackToCustom) {
  auto* b = Add<TImageButton>(10, 10, 75, 25, "Go");
  b->SetKind(bkOK);
  EXPECT_EQ(b->Caption(), "OK");
  EXPECT_EQ(b->ModalResult(), mrOk);
  EXPECT_TRUE(b->Default());
  EXPECT_FALSE(b->Cancel());
  EXPECT_EQ(b->NumGlyphs(), 2);
  EXPECT_EQ(b->Glyph()->Width(), 32);
  EXPECT_EQ(b->Glyph()->Height(), 16);
  EXPECT_EQ(b->Kind(), bkOK);

  b->SetKind(bkCustom);
  EXPECT_EQ(b->Caption(), "OK") << "bkCustom keeps what the kind set";
  EXPECT_EQ(b->ModalResult(), mrOk);
  EXPECT_EQ(b->Glyph()->Width(), 32);

  b->SetKind(bkNo);
  EXPECT_EQ(b->Kind(), bkNo);
  b->SetModalResult(mrNone);
  EXPECT_EQ(b->Kind(), bkCustom) << "a hand-changed modal result";
  b->SetKind(bkCancel);
  b->SetDefault(true);
  EXPECT_EQ(b->Kind(), bkCustom) << "a hand-changed role";
  b->SetKind(bkRetry);
  TBitmap own(16, 16);
  b->SetGlyph(&own);
  EXPECT_EQ(b->Kind(), bkCustom) << "an own glyph";
}

struct KindCase {
  TBitBtnKind kind;
  const char* caption;
  TModalResult result;
  bool isDefault, isCancel;
};
class KindEffects : public ButtonForm, public ::testing::WithParamInterface<KindCase> {};

TEST_P(KindEffects, CaptionResultAndRoles) {
  const KindCase& k = GetParam();
  auto* b = Add<TImageButton>(10, 10, 75, 25, "Go");
  EXPECT_EQ(b->GetGlyphSize(), (POINT{0, 0})) << "no glyph yet";
  b->SetKind(k.kind);
  EXPECT_EQ(b->Caption(), k.caption);
  EXPECT_EQ(b->ModalResult(), k.result);
  EXPECT_EQ(b->Default(), k.isDefault);
  EXPECT_EQ(b->Cancel(), k.isCancel);
  EXPECT_EQ(b->Kind(), k.kind);
}

INSTANTIATE_TEST_SUITE_P(Kinds, KindEffects,
                         ::testing::Values(KindCase{bkOK, "OK", 1, true, false}, KindCase{bkCancel, "Cancel", 2, false, true},
                                           KindCase{bkHelp, "&Help", 0, false, false}, KindCase{bkYes, "&Yes", 6, true, false},
                                           KindCase{bkNo, "&No", 7, false, true}, KindCase{bkClose, "&Close", 0, false, false},
                                           KindCase{bkAbort, "Abort", 3, false, false},
                                           KindCase{bkRetry, "&Retry", 4, false, false},
                                           KindCase{bkIgnore, "&Ignore", 5, false, false},
                                           KindCase{bkAll, "&All", 8, false, false}));

TEST_F(ButtonForm, StockGlyphsAreLoadedOncePerKind) {
  for (int k = bkOK; k <= bkAll; ++k) {
    TBitmap* g = StockGlyph(TBitBtnKind(k));
    ASSERT_NE(g, nullptr) << k;
    EXPECT_EQ(g->Width(), 32) << k;
    EXPECT_EQ(g->Height(), 16) << k;
    EXPECT_EQ(StockGlyph(TBitBtnKind(k)), g) << "shared";
  }
  EXPECT_EQ(StockGlyph(bkCustom), nullptr);
}

// The glyph's rows 5 and 20 of the button: the picture's colour, and the list's disabled
// mark (grey across rows 15 and 16 of the picture) at row 20.
TEST_F(ImageButtonGeometry, ListGlyphInEachStateAndARemovedListIsNoLongerDrawn) {
  TImageButton* b = OkButton();
  ShowForm();
  auto at = [&](int y) {
    b->Repaint();
    Pump();
    const std::uint32_t p = headless::BackBuffer(form->Handle()).At(20 + 10, 20 + y);
    return COLORREF(((p & 0xFF) << 16) | (p & 0xFF00) | ((p >> 16) & 0xFF));
  };
  const COLORREF green = COLORREF(SolidImageList::kColors[1]), blue = COLORREF(SolidImageList::kColors[2]);
  EXPECT_EQ(at(5), green);
  EXPECT_EQ(at(20), green);
  b->SetEnabled(false);
  EXPECT_EQ(at(5), green);
  EXPECT_EQ(at(20), COLORREF(clGray)) << "ImageIndex in the list's disabled look";
  b->SetDisabledIndex(2);
  EXPECT_EQ(at(20), blue) << "DisabledIndex drawn as it is";
  b->SetEnabled(true);
  EXPECT_EQ(at(20), green);
  const int draws = images->draws;
  images->Changed();
  EXPECT_GT(images->draws, draws) << "a changed list is drawn again at once";
  delete images;
  images = nullptr;
  EXPECT_EQ(b->Images(), nullptr);
  EXPECT_EQ(at(20), COLORREF(ColorToRGB(clBtnFace)));
}

}  // namespace
