// Buttons in window definitions: the reader applies every button property (and the old
// name FrameFlat), and what a written definition stores of a button.
#include <algorithm>

#include "button_fixture.h"
#include "buttons/registerbuttons.h"
#include "ui/forms/formtext.h"
#include "ui/forms/formwriter.h"

namespace {

constexpr const char* kDefinition = R"(object Form1: TForm
  object ButtonOK: TImageButton
    Left = 8
    Width = 81
    Height = 42
    Kind = bkOK
    Layout = blGlyphTop
    Margin = -1
    Spacing = 6
    Images = Images
    ImageIndex = 1
    DisabledIndex = 2
    TextStyle = tsShadow
    TextShadowDepth = 3
    AlignmentVertical = avTop
    HotTrackColor = clRed
    HotTrackColorType = htctComplement
  end
  object Toggle: TPaintedButton
    FrameFlat = True
    GroupIndex = 4
    AllowAllUp = True
    Down = True
    Alignment = taRightJustify
    ModalResult = mrRetry
    Cancel = True
    ShowFocusRect = False
    FrameColor = clNavy
  end
  object Images: TImageButton
  end
  object Kept: TImageButton
    Caption = 'Go'
    Kind = bkNo
  end
end
)";

TEST_F(ButtonForm, DefinitionPropertiesAreReadAndStoredBack) {
  form->ReadFormFromDocument(ParseFormText(kDefinition, "."));
  auto* ok = FindField<TImageButton>(form, "ButtonOK");
  auto* toggle = FindField<TPaintedButton>(form, "Toggle");
  EXPECT_EQ(ok->Kind(), bkOK);
  EXPECT_EQ(ok->Caption(), "OK");
  EXPECT_TRUE(ok->Default());
  EXPECT_EQ(ok->Layout(), blGlyphTop);
  EXPECT_EQ(ok->Margin(), -1);
  EXPECT_EQ(ok->Spacing(), 6);
  EXPECT_EQ(ok->Images(), nullptr) << "a component that is no image list is not taken";
  EXPECT_EQ(ok->ImageIndex(), 1);
  EXPECT_EQ(ok->DisabledIndex(), 2);
  EXPECT_EQ(ok->TextStyle(), tsShadow);
  EXPECT_EQ(ok->TextShadowDepth(), 3);
  EXPECT_EQ(ok->AlignmentVertical(), avTop);
  EXPECT_EQ(ok->HotTrackColor(), clRed);
  EXPECT_EQ(ok->HotTrackColorType(), htctComplement);
  EXPECT_TRUE(toggle->HotTrack()) << "FrameFlat is read as HotTrack";
  EXPECT_TRUE(toggle->TransparentEdges());
  EXPECT_EQ(toggle->GroupIndex(), 4);
  EXPECT_TRUE(toggle->AllowAllUp());
  EXPECT_TRUE(toggle->Down());
  EXPECT_EQ(toggle->Alignment(), taRightJustify);
  EXPECT_EQ(toggle->ModalResult(), mrRetry);
  EXPECT_TRUE(toggle->Cancel());
  EXPECT_FALSE(toggle->ShowFocusRect());
  EXPECT_EQ(toggle->FrameColor(), clNavy);
  EXPECT_EQ(FindField<TImageButton>(form, "Kept")->Caption(), "Go") << "a read caption outlives the Kind";

  // A stock kind stores the kind, not what it implies; the caption equals the kind's.
  std::vector<std::string> names;
  for (const TfProperty& p : StoredButtonProperties(ok)) names.push_back(p.name);
  EXPECT_EQ(names, (std::vector<std::string>{"AlignmentVertical", "HotTrackColor", "HotTrackColorType", "TextStyle",
                                             "TextShadowDepth", "Kind", "Layout", "Margin", "Spacing", "ImageIndex",
                                             "DisabledIndex"}));
  EXPECT_FALSE(ButtonCaptionStored(ok));
  auto record = [&] { return WriteComponent(form).children[0]; };
  EXPECT_EQ(record().FindProperty("Caption"), nullptr) << "the written definition keeps the rule";
  ok->SetCaption("");
  EXPECT_EQ(record().properties.back().name, "Caption") << "an emptied caption is stored after the Kind";
  ok->SetCaption("OK");
  ok->SetModalResult(mrNone);
  names.clear();
  for (const TfProperty& p : StoredButtonProperties(ok)) names.push_back(p.name);
  EXPECT_NE(std::find(names.begin(), names.end(), "Glyph.Data"), names.end()) << "custom now: the glyph is stored";
  EXPECT_NE(std::find(names.begin(), names.end(), "Default"), names.end());
  EXPECT_EQ(std::find(names.begin(), names.end(), "Kind"), names.end());
  EXPECT_EQ(std::find(names.begin(), names.end(), "ModalResult"), names.end()) << "0 is the default";
  EXPECT_TRUE(ButtonCaptionStored(ok));
  for (const TfProperty& p : StoredButtonProperties(toggle))
    EXPECT_NE(p.name, "FrameFlat") << "the old name is never written";
}

TEST_F(ButtonForm, UnknownKindIsAnError) {
  constexpr const char* bad = "object Form1: TForm\n  object B: TImageButton\n    Kind = bkMaybe\n  end\nend\n";
  std::string message;
  Application->OnShowException = [&](const std::string&, const std::string& m) { message = m; };
  form->ReadFormFromDocument(ParseFormText(bad, "."));
  EXPECT_NE(message.find("bkMaybe"), std::string::npos) << message;
}

}  // namespace
