// Pop-up menus on the headless window system: choosing by mouse and keyboard, closing
// without choosing, placement on the screen, and reading menus from a window definition.
#include <string>
#include <vector>
#include <utility>

#include "support/headless_form.h"
#include "ui/stdctrls/extctrls.h"
#include "ui/stdctrls/menus.h"
#include "ui/forms/formtext.h"
#include "ui/forms/formwriter.h"

namespace {

class PopupMenuTest : public HeadlessForm {
 protected:
  void SetUp() override {
    HeadlessForm::SetUp();
    menu = new TPopupMenu(form);
    for (const char* c : {"Brimlow On the &Web...", "-", "&Disabled", "A&bout Brimlow..."}) {
      auto* item = new TMenuItem(form);
      item->SetCaption(c);
      item->OnClick = [this, item](TObject* sender) {
        EXPECT_EQ(sender, item);
        EXPECT_FALSE(menu->IsOpen()) << "OnClick runs after the menu has closed";
        chosen.push_back(item->Caption());
      };
      menu->Items()->Add(item);
    }
    menu->Items()->Items(2)->SetEnabled(false);
    ShowForm();
  }
  void Open(int x = 200, int y = 200) {
    menu->Popup(x, y);
    Pump();
    ASSERT_TRUE(menu->IsOpen());
  }
  POINT ItemCentre(int index) {
    const RECT r = menu->ItemRect(index);
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  }
  TPopupMenu* menu = nullptr;
  std::vector<std::string> chosen;
};

TEST_F(PopupMenuTest, OpensAtTheScreenPoint) {
  Open(200, 150);
  RECT r;
  GetWindowRect(menu->WindowHandle(), &r);
  const SIZE s = menu->MenuSize();
  EXPECT_EQ(r, (RECT{200, 150, 200 + s.cx, 150 + s.cy}));
  EXPECT_TRUE(IsWindowVisible(menu->WindowHandle()));
  EXPECT_EQ(headless::GrabWindow(), menu->WindowHandle());
}

TEST_F(PopupMenuTest, MovedToStayOnTheScreenAndMayLeaveItsOwner) {
  Open(1000, 760);
  RECT r;
  GetWindowRect(menu->WindowHandle(), &r);
  const RECT work = GetWorkArea();
  EXPECT_LE(r.right, work.right);
  EXPECT_LE(r.bottom, work.bottom);
  EXPECT_EQ(r.right - r.left, menu->MenuSize().cx);
  RECT f;
  GetWindowRect(form->Handle(), &f);
  EXPECT_GT(r.left, f.right) << "a menu is not confined to its owner";
}

TEST_F(PopupMenuTest, ChosenByMouseWithHoverHighlight) {
  Open();
  const POINT p = ItemCentre(3);
  headless::MovePointerTo(menu->WindowHandle(), p.x, p.y);
  Pump();
  EXPECT_EQ(menu->HighlightIndex(), 3);
  const POINT d = ItemCentre(2);
  headless::MovePointerTo(menu->WindowHandle(), d.x, d.y);
  Pump();
  EXPECT_EQ(menu->HighlightIndex(), -1) << "disabled items take no highlight";
  headless::ClickAt(menu->WindowHandle(), p.x, p.y);
  Pump();
  EXPECT_EQ(chosen, (std::vector<std::string>{"A&bout Brimlow..."}));
  EXPECT_FALSE(IsWindowVisible(menu->WindowHandle()));
}

TEST_F(PopupMenuTest, ClickOnSeparatorOrDisabledItemKeepsTheMenuOpen) {
  Open();
  for (int i : {1, 2}) {
    const POINT p = ItemCentre(i);
    headless::ClickAt(menu->WindowHandle(), p.x, p.y);
    Pump();
  }
  EXPECT_TRUE(menu->IsOpen());
  EXPECT_TRUE(chosen.empty());
}

struct KeyScript {
  const char* name;
  std::vector<std::pair<UINT, char>> keys;
  std::vector<std::string> chosen;
  bool stillOpen;
};

class PopupMenuKeyTest : public PopupMenuTest, public ::testing::WithParamInterface<KeyScript> {};

TEST_P(PopupMenuKeyTest, Keyboard) {
  Open();
  for (auto [vk, ch] : GetParam().keys) {
    headless::KeyPress(vk, ch);
    Pump();
  }
  EXPECT_EQ(chosen, GetParam().chosen);
  EXPECT_EQ(menu->IsOpen(), GetParam().stillOpen);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, PopupMenuKeyTest,
    ::testing::Values(
        KeyScript{"AccessLetter", {{'B', 'b'}}, {"A&bout Brimlow..."}, false},
        KeyScript{"AccessLetterWeb", {{'W', 'w'}}, {"Brimlow On the &Web..."}, false},
        KeyScript{"AccessLetterOfDisabledItem", {{'D', 'd'}}, {}, true},
        KeyScript{"UnknownLetter", {{'Q', 'q'}}, {}, true},
        KeyScript{"DownEnter", {{VK_DOWN, 0}, {VK_RETURN, '\r'}}, {"Brimlow On the &Web..."}, false},
        KeyScript{"DownDownSkipsSeparatorAndDisabled", {{VK_DOWN, 0}, {VK_DOWN, 0}, {VK_RETURN, '\r'}},
                  {"A&bout Brimlow..."}, false},
        KeyScript{"UpWrapsToLast", {{VK_UP, 0}, {VK_RETURN, '\r'}}, {"A&bout Brimlow..."}, false},
        KeyScript{"EnterWithoutHighlight", {{VK_RETURN, '\r'}}, {}, true},
        KeyScript{"Esc", {{VK_DOWN, 0}, {VK_ESCAPE, 0x1B}}, {}, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PopupMenuTest, OutsideClickClosesWithoutChoosing) {
  int closes = 0;
  menu->OnClose = [&](TObject*) { ++closes; };
  Open();
  headless::Click(50, 50);
  Pump();
  EXPECT_FALSE(menu->IsOpen());
  EXPECT_TRUE(chosen.empty());
  EXPECT_EQ(closes, 1);
  EXPECT_EQ(headless::GrabWindow(), nullptr);
}

TEST_F(PopupMenuTest, ReopeningShowsTheSameWindowWithoutHighlight) {
  Open();
  headless::KeyPress(VK_DOWN);
  Pump();
  headless::KeyPress(VK_ESCAPE);
  Pump();
  HWND first = menu->WindowHandle();
  Open(300, 300);
  EXPECT_EQ(menu->WindowHandle(), first);
  EXPECT_EQ(menu->HighlightIndex(), -1);
}

TEST_F(PopupMenuTest, ButtonRightClickPopsUpTheControlsMenu) {
  // The list box's too, at the pointer, though its mouse events count from inside its border.
  for (TWinControl* button :
       std::initializer_list<TWinControl*>{Add<TButton>(10, 10, 75, 25), Add<TListBox>(10, 50, 75, 60)}) {
    SetControlPopupMenu(button, menu);
    headless::MovePointerTo(button->Handle(), 5, 5);
    Pump();
    EXPECT_FALSE(menu->IsOpen());
    headless::ClickAt(button->Handle(), 5, 5, 3);
    Pump();
    EXPECT_TRUE(menu->IsOpen());
    RECT r;
    GetWindowRect(menu->WindowHandle(), &r);
    const POINT origin = button->ClientToScreen(POINT{5, 5});
    EXPECT_EQ(r.left, origin.x);
    EXPECT_EQ(r.top, origin.y);
    headless::KeyPress(VK_ESCAPE);
    Pump();
  }
}

// ---------------------------------------------------------------------------------------
// Window definitions

const char* const kDefinition = R"(
object Form1: TForm
  Left = 0
  Top = 0
  Caption = 'Loaded'
  ClientWidth = 400
  ClientHeight = 300
  object ListBox1: TListBox
    Left = 8
    Top = 8
    Width = 120
    Height = 100
    Style = lbOwnerDrawFixed
    ItemHeight = 20
    Items.Strings = (
      'one'
      'two')
    OnDrawItem = ListDraw
    OnClick = ListClick
    PopupMenu = PopupMenu1
  end
  object Button1: TButton
    Left = 8
    Top = 120
    Caption = '&OK'
    Default = True
    Cancel = True
    ModalResult = 1
  end
  object Label1: TLabel
    Left = 140
    Top = 8
    Caption = 'A&B'
    ShowAccelChar = False
    Transparent = True
    WordWrap = False
    Layout = tlCenter
    Alignment = taRightJustify
    FocusControl = ListBox1
  end
  object Panel1: TPanel
    Left = 140
    Top = 40
    Width = 100
    Height = 60
    BevelInner = bvRaised
    BevelOuter = bvLowered
    BevelWidth = 2
    BorderWidth = 3
    Caption = ''
    object Image1: TImage
      Left = 2
      Top = 2
      Width = 50
      Height = 50
      Center = True
      Stretch = False
    end
  end
  object Bevel1: TBevel
    Left = 8
    Top = 160
    Width = 200
    Height = 9
    Shape = bsTopLine
    Style = bsLowered
  end
  object PageControl1: TPageControl
    Left = 250
    Top = 8
    Width = 140
    Height = 120
    ActivePage = TabSheet2
    object TabSheet1: TTabSheet
      Caption = 'First'
    end
    object TabSheet2: TTabSheet
      Caption = 'Second'
      TabVisible = True
    end
  end
  object PopupMenu1: TPopupMenu
    object Item1: TMenuItem
      Caption = 'A&bout %s...'
      OnClick = ItemClick
    end
    object N1: TMenuItem
      Caption = '-'
    end
    object Item2: TMenuItem
      Caption = 'Hidden'
      Visible = False
      Enabled = False
    end
  end
end
)";

TEST_F(HeadlessForm, FormLoadsEveryStandardControlFromItsDefinition) {
  int listClicks = 0, itemClicks = 0;
  auto* loaded = new TForm(Application);
  loaded->RegisterMethod("ListDraw", TDrawItemEvent([](TWinControl*, int, const RECT&, TOwnerDrawState) {}));
  loaded->RegisterMethod("ListClick", TNotifyEvent([&](TObject*) { ++listClicks; }));
  loaded->RegisterMethod("ItemClick", TNotifyEvent([&](TObject*) { ++itemClicks; }));
  loaded->ReadFormFromDocument(ParseFormText(kDefinition, "."));
  auto* list = FindField<TListBox>(loaded, "ListBox1");
  EXPECT_EQ(list->Items()->Count(), 2);
  EXPECT_EQ(list->ItemHeight(), 20);
  EXPECT_EQ(list->Style(), lbOwnerDrawFixed);
  EXPECT_TRUE(bool(list->OnDrawItem));
  auto* button = FindField<TButton>(loaded, "Button1");
  EXPECT_TRUE(button->Default());
  EXPECT_TRUE(button->Cancel());
  EXPECT_EQ(button->ModalResult(), mrOk);
  EXPECT_EQ(button->Caption(), "&OK");
  auto* label = FindField<TLabel>(loaded, "Label1");
  EXPECT_FALSE(label->ShowAccelChar());
  EXPECT_TRUE(label->Transparent());
  EXPECT_EQ(label->Layout(), tlCenter);
  EXPECT_EQ(label->Alignment(), taRightJustify);
  EXPECT_EQ(label->FocusControl(), list) << "a focus control named before or after the label is found";
  auto* panel = FindField<TPanel>(loaded, "Panel1");
  EXPECT_EQ(panel->BevelInner(), bvRaised);
  EXPECT_EQ(panel->BevelOuter(), bvLowered);
  EXPECT_EQ(panel->BevelWidth(), 2);
  EXPECT_EQ(panel->BorderWidth(), 3);
  EXPECT_EQ(FindField<TImage>(loaded, "Image1")->Parent(), panel);
  EXPECT_TRUE(FindField<TImage>(loaded, "Image1")->Center());
  EXPECT_EQ(FindField<TBevel>(loaded, "Bevel1")->Shape(), bsTopLine);
  auto* pages = FindField<TPageControl>(loaded, "PageControl1");
  EXPECT_EQ(pages->PageCount(), 2);
  EXPECT_EQ(pages->ActivePage(), FindField<TTabSheet>(loaded, "TabSheet2")) << "ActivePage names a later record";
  auto* popup = FindField<TPopupMenu>(loaded, "PopupMenu1");
  EXPECT_EQ(ControlPopupMenu(list), popup) << "a menu defined after the control is found";
  ASSERT_EQ(popup->Items()->Count(), 3);
  EXPECT_EQ(popup->Items()->Items(0)->Caption(), "A&bout %s...");
  EXPECT_TRUE(popup->Items()->Items(1)->IsLine());
  EXPECT_FALSE(popup->Items()->Items(2)->Visible());
  popup->Items()->Items(0)->Click();
  EXPECT_EQ(itemClicks, 1);
  // Written back, a list box stores its lines only when it has some; a control in a parent
  // its tab order, the form none.
  EXPECT_EQ(WriteComponent(loaded).FindProperty("TabOrder"), nullptr);
  EXPECT_NE(WriteComponent(loaded).children[0].FindProperty("TabOrder"), nullptr);
  EXPECT_NE(WriteComponent(loaded).children[0].FindProperty("Items.Strings"), nullptr);
  list->Items()->Clear();
  EXPECT_EQ(WriteComponent(loaded).children[0].FindProperty("Items.Strings"), nullptr);
  delete loaded;
}

TEST_F(HeadlessForm, UnknownEnumerationIdentifierIsALoadError) {
  // Body of the form's definition, and what the error names (null: read without one).
  for (auto [body, named] : std::vector<std::pair<const char*, const char*>>{
           {" object B: TBevel\n  Shape = 1\n end\n", nullptr},
           {" Font.Charset = 3\n", nullptr},
           {" object L: TLabel\n  FocusControl = Nobody\n end\n", nullptr},
           {" object B: TBevel\n  Shape = bsCircle\n end\n", "bsCircle"},
           {" object B: TBevel\n  Shape = 7\n end\n", "B.Shape: Property value out of range"},
           {" Align = 99\n", "F.Align: Property value out of range"},
           {" ActiveControl = Nobody\n", "F.ActiveControl: Component Nobody not found"}}) {
    TfObject doc = ParseFormText(std::string("object F: TForm\n") + body + "end\n", ".");
    std::string shown;
    Application->OnShowException = [&](const std::string&, const std::string& message) { shown = message; };
    auto* loaded = new TForm(Application);
    try {
      loaded->ReadFormFromDocument(doc);
    } catch (const Exception& e) {
      shown = e.Message();
    }
    if (named)
      EXPECT_NE(shown.find(named), std::string::npos) << shown;
    else
      EXPECT_EQ(shown, "") << body;
    delete loaded;
  }
}

}  // namespace
