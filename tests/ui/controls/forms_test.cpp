// Forms and the application: the modal loop, the run loop with posted messages and the
// quit request, the error box, Screen cursors, forms read from window definitions, fonts
// inherited from the parent, pointer enter/leave notifications.
#include <functional>

#include "platform/theme/theme.h"
#include "testcontrols.h"
#include "ui/core/streams.h"
#include "ui/forms/formtext.h"

namespace {

POINT Centre(TControl* c) {
  return c->ClientToScreen(POINT{c->Width() / 2, c->Height() / 2});
}

// Runs the steps one by one whenever the queue runs dry; then lets GetMessageA fail.
void ScriptIdle(std::vector<std::function<void()>> steps) {
  auto shared = std::make_shared<std::vector<std::function<void()>>>(std::move(steps));
  auto next = std::make_shared<std::size_t>(0);
  headless::SetIdleHandler([shared, next]() {
    if (*next >= shared->size()) return false;
    (*shared)[(*next)++]();
    return true;
  });
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Modal forms

TEST_F(ControlsTest, ModalDialogBlocksItsOwnerAndReturnsItsResult) {
  TForm* owner = MakeForm();
  auto* ownerButton = new TTestButton(owner);
  ownerButton->SetParent(owner);
  int ownerKeys = 0;
  owner->SetKeyPreview(true);
  owner->OnKeyPress = [&](TObject*, char&) { ++ownerKeys; };
  owner->Show();
  Pump();
  ASSERT_EQ(GetFocus(), ownerButton->Handle());

  auto* dialog = new TForm(owner);
  dialog->SetBorderStyle(bsDialog);
  dialog->SetClientWidth(200);
  dialog->SetClientHeight(100);
  dialog->SetPosition(poOwnerFormCenter);
  auto* ok = new TTestButton(dialog);
  ok->SetParent(dialog);
  ok->modalResult = mrOk;

  bool ownerDisabledInside = false;
  ScriptIdle({
      [&] { ownerDisabledInside = !IsWindowEnabled(owner->Handle()); },
      [&] {
        POINT p = Centre(ownerButton);
        headless::Click(p.x, p.y);  // dropped: the owner is disabled
      },
      [&] { headless::KeyPress('A'); },  // goes to the dialog, not the owner
      [&] {
        POINT p = Centre(ok);
        headless::Click(p.x, p.y);
      },
  });
  const TModalResult result = dialog->ShowModal();
  EXPECT_EQ(result, mrOk);
  EXPECT_TRUE(ownerDisabledInside);
  EXPECT_EQ(ownerButton->clicks, 0);
  EXPECT_EQ(ownerKeys, 0);
  EXPECT_EQ(ok->clicks, 1);
  EXPECT_TRUE(IsWindowEnabled(owner->Handle()));
  EXPECT_FALSE(dialog->Showing());
  Pump();
  EXPECT_EQ(GetFocus(), ownerButton->Handle()) << "the focus returns to the owner";
  // Centred on the owner: outer sizes, halves truncated toward zero.
  EXPECT_EQ(dialog->Left(), owner->Left() + (owner->Width() - dialog->Width()) / 2);
  EXPECT_EQ(dialog->Top(), owner->Top() + (owner->Height() - dialog->Height()) / 2);
  delete dialog;
}

TEST_F(ControlsTest, ClosingAModalDialogReturnsCancel) {
  TForm* owner = MakeForm();
  owner->Show();
  auto* dialog = new TForm(owner);
  int closes = 0;
  dialog->OnClose = [&](TObject*, TCloseAction&) { ++closes; };
  ScriptIdle({[&] { PostMessageA(dialog->Handle(), WM_SYSCOMMAND, SC_CLOSE, 0); }});
  EXPECT_EQ(dialog->ShowModal(), mrCancel);
  EXPECT_EQ(closes, 1);
  delete dialog;
}

TEST_F(ControlsTest, CloseQueryCanKeepAModalDialogOpen) {
  TForm* owner = MakeForm();
  owner->Show();
  auto* dialog = new TForm(owner);
  int asked = 0;
  dialog->OnCloseQuery = [&](TObject*, bool& can) { can = ++asked > 1; };
  ScriptIdle({[&] { PostMessageA(dialog->Handle(), WM_CLOSE, 0, 0); },
              [&] { PostMessageA(dialog->Handle(), WM_CLOSE, 0, 0); }});
  EXPECT_EQ(dialog->ShowModal(), mrCancel);
  EXPECT_EQ(asked, 2);
  delete dialog;
}

TEST_F(ControlsTest, AModalLoopWithNothingLeftToDeliverEnds) {
  auto* dialog = new TForm(Application);
  EXPECT_EQ(dialog->ShowModal(), mrCancel);
  EXPECT_THROW(
      {
        dialog->Show();
        dialog->ShowModal();
      },
      EInvalidOperation);
}

// ---------------------------------------------------------------------------------------
// Run loop

class TPostingForm : public TForm {
 public:
  explicit TPostingForm(TComponent* owner) : TForm(owner) {
    OnCreate = [this](TObject*) {
      PostMessageA(Handle(), WM_USER + 1, 0, 0);
      Application->Terminate();
    };
    OnShow = [this](TObject*) { ++shows; visibleAtShow = IsWindowVisible(Handle()) != FALSE; };
    SetMessageHandler(WM_USER + 1, [this](TMessage&) {
      ++startups;
      shownAtStartup = Showing();
      return true;
    });
  }
  int shows = 0;
  int startups = 0;
  bool shownAtStartup = false;
  bool visibleAtShow = true;
};

TEST_F(ControlsTest, MessagesPostedBeforeTerminateStillArriveAndRunShowsTheMainFormOnce) {
  auto* form = Application->CreateForm<TPostingForm>();
  EXPECT_EQ(Application->MainForm(), form);
  EXPECT_EQ(form->shows, 0);
  const int code = Application->Run();
  EXPECT_EQ(code, 0);
  EXPECT_EQ(form->shows, 1);
  EXPECT_FALSE(form->visibleAtShow) << "OnShow comes before the window appears";
  EXPECT_EQ(form->startups, 1);
  EXPECT_TRUE(form->shownAtStartup);
  EXPECT_TRUE(Application->Terminated());
}

TEST_F(ControlsTest, ClosingTheMainFormEndsTheRunLoop) {
  auto* form = Application->CreateForm<TForm>();
  auto* second = Application->CreateForm<TForm>();
  EXPECT_EQ(Application->MainForm(), form);
  (void)second;
  ScriptIdle({[&] { PostMessageA(form->Handle(), WM_SYSCOMMAND, SC_CLOSE, 0); }});
  EXPECT_EQ(Application->Run(), 0);
}

// ---------------------------------------------------------------------------------------
// Errors

TEST_F(ControlsTest, ExceptionsFromHandlersGoToTheErrorBoxWithTheTitle) {
  TForm* form = MakeForm();
  auto* button = new TTestButton(form);
  button->SetParent(form);
  button->OnClick = [](TObject*) { throw EInvalidOperation("Cannot open C:\\Suite\\leftlogo.png"); };
  form->Show();
  Pump();
  POINT p = Centre(button);
  headless::Click(p.x, p.y);
  Pump();
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0].caption, "Brimlow");
  EXPECT_EQ(errors[0].message, "Cannot open C:\\Suite\\leftlogo.png");
  // The loop goes on: a second click reports again.
  headless::Click(p.x, p.y);
  Pump();
  EXPECT_EQ(errors.size(), 2u);
  // A box that cannot be made (out of memory) leaves the message on standard error.
  Application->OnShowException = nullptr;
  SetMessageDlgBuilder([](const TMessageDlgRequest&) -> TCustomForm* { throw std::bad_alloc(); });
  ::testing::internal::CaptureStderr();
  headless::Click(p.x, p.y);
  Pump();
  SetMessageDlgBuilder(nullptr);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "Brimlow: Cannot open C:\\Suite\\leftlogo.png\n");
}

TEST_F(ControlsTest, EAbortIsSilent) {
  TForm* form = MakeForm();
  form->OnPaint = [](TObject*) { throw EAbort("quiet"); };
  form->Show();
  Pump();
  EXPECT_TRUE(errors.empty());
}

TEST_F(ControlsTest, OnExceptionReplacesTheBox) {
  std::string seen;
  Application->OnException = [&](TObject*, const std::exception& e) { seen = e.what(); };
  try {
    throw Exception("x");
  } catch (...) {
    Application->HandleException(nullptr);
  }
  EXPECT_EQ(seen, "x");
  EXPECT_TRUE(errors.empty());
}

TEST_F(ControlsTest, MessageDlgHookAndDefaultDialog) {
  TMessageDlgRequest seen;
  Application->OnMessageDlg = [&](const TMessageDlgRequest& r) {
    seen = r;
    return mrYes;
  };
  EXPECT_EQ(MessageDlg("Sure?", "", mtConfirmation, TMsgDlgButtons{mbYes, mbNo}), mrYes);
  EXPECT_EQ(seen.caption, "Brimlow");
  EXPECT_EQ(seen.text, "Sure?");
  Application->OnMessageDlg = nullptr;

  // The built-in dialog: Enter presses the first button, Esc the cancel one. With visual
  // styles on, the first button is the program's themed default button, ring and all.
  SetThemeAppProperties(STAP_ALLOW_NONCLIENT | STAP_ALLOW_CONTROLS);
  ScriptIdle({[] {
    const TControl* yes = Screen->ActiveForm()->Controls(0);
    EXPECT_EQ(headless::PresentedFrame(Screen->ActiveForm()->Handle()).At(yes->Left() + 37, yes->Top()), 0x0067C0u);
    headless::KeyPress(VK_RETURN);
  }});
  EXPECT_EQ(MessageDlg("Sure?", "Question", mtConfirmation, TMsgDlgButtons{mbYes, mbNo}), mrYes);
  ScriptIdle({[] { headless::KeyPress(VK_ESCAPE); }});
  EXPECT_EQ(MessageDlg("Sure?", "Question", mtConfirmation, TMsgDlgButtons{mbOK, mbCancel}), mrCancel);
  ScriptIdle({[] { headless::KeyDown(VK_MENU); headless::KeyPress('N'); headless::KeyUp(VK_MENU); }});
  EXPECT_EQ(MessageDlg("Sure?", "Question", mtConfirmation, TMsgDlgButtons{mbYes, mbNo}), mrNo);
}

// ---------------------------------------------------------------------------------------
// Screen cursors

TEST_F(ControlsTest, ScreenCursorOverridesEveryWindowUntilDefault) {
  TForm* form = MakeForm();
  form->Show();
  Pump();
  HCURSOR wait = LoadCursorA(nullptr, IDC_WAIT);
  Screen->SetCursor(crHourGlass);
  EXPECT_EQ(Screen->Cursor(), crHourGlass);
  EXPECT_EQ(GetOverrideCursor(), wait);
  POINT p = form->ClientToScreen(POINT{10, 10});
  EXPECT_EQ(headless::CursorAt(p.x, p.y), wait);
  Screen->SetCursor(crDefault);
  EXPECT_EQ(GetOverrideCursor(), nullptr);
  headless::MovePointer(p.x, p.y);
  Pump();
  EXPECT_EQ(headless::CursorAt(p.x, p.y), LoadCursorA(nullptr, IDC_ARROW));
}

struct CursorCase {
  TCursor number;
  LPCSTR id;
};
class CursorTableTest : public ::testing::TestWithParam<CursorCase> {};
TEST_P(CursorTableTest, MapsToSystemCursors) {
  EXPECT_EQ(CursorId(Screen->Cursors(GetParam().number)), CursorId(LoadCursorA(nullptr, GetParam().id)));
}
INSTANTIATE_TEST_SUITE_P(Cases, CursorTableTest,
                         ::testing::Values(CursorCase{crDefault, IDC_ARROW}, CursorCase{crArrow, IDC_ARROW},
                                           CursorCase{crHourGlass, IDC_WAIT}, CursorCase{crHandPoint, IDC_HAND},
                                           CursorCase{crIBeam, IDC_IBEAM}, CursorCase{crCross, IDC_CROSS},
                                           CursorCase{12345, IDC_ARROW}));

TEST_F(ControlsTest, ControlCursorAndReplacedHandCursor) {
  TForm* form = MakeForm();
  auto* shape = new TTestShape(form);
  shape->SetParent(form);
  shape->SetBounds(50, 50, 40, 40);
  shape->SetCursor(crHandPoint);
  auto* button = new TTestButton(form);
  button->SetParent(form);
  button->SetBounds(200, 50, 75, 25);
  button->SetCursor(crHandPoint);
  form->Show();
  Pump();
  Screen->SetCursors(crHandPoint, LoadCursorA(nullptr, IDC_HAND));
  for (TControl* c : {static_cast<TControl*>(shape), static_cast<TControl*>(button)}) {
    POINT p = Centre(c);
    headless::MovePointer(p.x, p.y);
    Pump();
    EXPECT_EQ(headless::CursorAt(p.x, p.y), LoadCursorA(nullptr, IDC_HAND)) << c->ClassName();
  }
  // Replacing the table entry changes what hand-point controls show.
  Screen->SetCursors(crHandPoint, LoadCursorA(nullptr, IDC_CROSS));
  POINT p = Centre(button);
  headless::MovePointer(p.x + 1, p.y);
  Pump();
  EXPECT_EQ(headless::CursorAt(p.x + 1, p.y), LoadCursorA(nullptr, IDC_CROSS));
}

// ---------------------------------------------------------------------------------------
// Forms from window definitions

namespace {

const char* kDialogText = R"(object TestDlg: TTestDlg
  Left = 0
  Top = 0
  BorderIcons = [biSystemMenu]
  BorderStyle = bsSingle
  Caption = 'About'
  ClientHeight = 298
  ClientWidth = 523
  Color = clBtnFace
  Font.Charset = ANSI_CHARSET
  Font.Color = clWindowText
  Font.Height = -11
  Font.Name = 'Tahoma'
  Font.Style = []
  OldCreateOrder = False
  Position = poScreenCenter
  OnCreate = FormCreate
  OnShow = FormShow
  PixelsPerInch = 96
  TextHeight = 13
  object PanelMain: TTestPanel
    Left = 0
    Top = 0
    Width = 523
    Height = 298
    TabOrder = 0
    object ButtonHelp: TTestButton
      Left = 8
      Top = 265
      Width = 75
      Height = 25
      Caption = '&Help'
      TabOrder = 1
      OnClick = ButtonHelpClick
    end
    object ButtonOK: TTestButton
      Left = 438
      Top = 265
      Width = 75
      Height = 25
      Anchors = [akRight, akBottom]
      Caption = '&OK'
      Default = True
      ModalResult = 1
      TabOrder = 0
      OnClick = ButtonOKClick
    end
    object Shape: TTestShape
      Left = 12
      Top = 12
      Width = 175
      Height = 242
      Cursor = crHandPoint
    end
  end
end
)";

std::unique_ptr<TMemoryStream> Compile(const std::string& text) {
  TfObject doc = ParseFormText(text, ".");
  auto stream = std::make_unique<TMemoryStream>();
  WriteTpf0(*stream, doc);
  stream->SetPosition(0);
  return stream;
}

class TTestDlg : public TForm {
  LB_CLASS(TTestDlg)
 public:
  TTestDlg(TComponent* owner, TStream& definition) : TForm(owner) {
    RegisterMethod("FormCreate", TNotifyEvent([this](TObject*) { FormCreate(); }));
    RegisterMethod("FormShow", TNotifyEvent([this](TObject*) { ++shows; }));
    RegisterMethod("ButtonOKClick", TNotifyEvent([this](TObject*) { ++okClicks; }));
    RegisterMethod("ButtonHelpClick", TNotifyEvent([this](TObject*) { ++helpClicks; }));
    ReadFormFromStream(definition);
  }
  void FormCreate() {
    createdAfterRead = FindComponent("ButtonOK") != nullptr;
    SetCaption("About Brimlow");
  }
  bool createdAfterRead = false;
  int shows = 0;
  int okClicks = 0;
  int helpClicks = 0;
};

}  // namespace

TEST_F(ControlsTest, FormIsBuiltFromAWindowDefinitionWithEventsBoundByName) {
  auto stream = Compile(kDialogText);
  auto* dlg = new TTestDlg(Application, *stream);
  ASSERT_TRUE(errors.empty()) << errors[0].message;
  EXPECT_TRUE(dlg->createdAfterRead);
  EXPECT_EQ(dlg->Caption(), "About Brimlow");
  EXPECT_EQ(dlg->ClientWidth(), 523);
  EXPECT_EQ(dlg->ClientHeight(), 298);
  EXPECT_EQ(dlg->BorderStyle(), bsSingle);
  EXPECT_TRUE(dlg->BorderIcons() == TBorderIcons{biSystemMenu});
  EXPECT_EQ(dlg->Font()->Charset(), 0);
  auto* panel = FindField<TTestPanel>(dlg, "PanelMain");
  auto* ok = FindField<TTestButton>(dlg, "ButtonOK");
  auto* help = FindField<TTestButton>(dlg, "ButtonHelp");
  auto* shape = FindField<TTestShape>(dlg, "Shape");
  EXPECT_EQ(ok->Parent(), panel);
  EXPECT_EQ(shape->Parent(), panel);
  EXPECT_EQ(panel->Parent(), dlg);
  EXPECT_EQ(ok->Caption(), "&OK");
  EXPECT_EQ(ok->BoundsRect(), (RECT{438, 265, 513, 290}));
  EXPECT_TRUE(ok->Anchors() == (TAnchors{akRight, akBottom}));
  EXPECT_EQ(shape->Cursor(), crHandPoint);
  EXPECT_EQ(ok->TabOrder(), 0) << "tab orders from the definition, whatever the reading order";
  EXPECT_EQ(help->TabOrder(), 1);
  EXPECT_EQ(ok->Font()->Name(), "Tahoma") << "ParentFont chain";

  ScriptIdle({[&] {
    POINT p = Centre(help);
    headless::Click(p.x, p.y);
  }, [] { headless::KeyPress(VK_RETURN); }});
  EXPECT_EQ(dlg->ShowModal(), mrOk);
  EXPECT_EQ(dlg->shows, 1);
  EXPECT_EQ(dlg->helpClicks, 1);
  EXPECT_EQ(dlg->okClicks, 1);
  // Placed in the middle of the 1024 x 768 screen by its outer size.
  EXPECT_EQ(dlg->Left(), (1024 - dlg->Width()) / 2);
  EXPECT_EQ(dlg->Top(), (768 - dlg->Height()) / 2);
}

// At 144 pixels per inch the 96-inch definition is laid out half as large again, edges
// rounded as MulDiv rounds, anchors left alone; a move back to 96 restores it.
TEST_F(ControlsTest, AFormReadOnADenserScreenIsScaledOnceAndBackOnAChange) {
  ASSERT_TRUE(headless::Enable(1024, 768, 144));
  auto stream = Compile(kDialogText);
  auto* dlg = new TTestDlg(Application, *stream);
  auto* ok = FindField<TTestButton>(dlg, "ButtonOK");
  EXPECT_EQ(dlg->PixelsPerInch(), 144);
  EXPECT_EQ(dlg->ClientWidth(), 785);
  EXPECT_EQ(dlg->ClientHeight(), 447);
  EXPECT_EQ(ok->BoundsRect(), (RECT{657, 398, 770, 435}));
  EXPECT_EQ(ok->Font()->Height(), -17);
  EXPECT_EQ(dlg->ScaleDesigned(75), 113);
  dlg->ScaleForDensity(96);
  EXPECT_EQ(dlg->ClientWidth(), 523);
  EXPECT_EQ(ok->BoundsRect(), (RECT{438, 265, 513, 290}));
  EXPECT_EQ(ok->Font()->Height(), -11);
  dlg->ScaleForDensity(961);
  dlg->SetPixelsPerInch(23);
  EXPECT_EQ(dlg->PixelsPerInch(), 96) << "densities outside 24..960 are refused";
  dlg->ScaleForDensity(960);
  EXPECT_EQ(dlg->ClientWidth(), 5230);
}

TEST_F(ControlsTest, ABrokenDefinitionIsReportedAndTheFormKeepsWhatWasRead) {
  std::string text = kDialogText;
  const std::string marker = "      Caption = '&Help'\n";
  text.replace(text.find(marker), marker.size(), marker + "      Bogus = 1\n");
  auto stream = Compile(text);
  auto* dlg = new TTestDlg(Application, *stream);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0].caption, "Brimlow");
  EXPECT_NE(errors[0].message.find("Bogus"), std::string::npos) << errors[0].message;
  EXPECT_NE(dlg->FindComponent("ButtonHelp"), nullptr);
  EXPECT_EQ(dlg->FindComponent("ButtonOK"), nullptr);
  EXPECT_TRUE(dlg->createdAfterRead == false);
  EXPECT_EQ(dlg->Caption(), "About Brimlow") << "OnCreate still runs";
}

TEST_F(ControlsTest, AnUnknownHandlerNameIsAnError) {
  std::string text = kDialogText;
  text.replace(text.find("OnClick = ButtonOKClick"), 23, "OnClick = Missing");
  auto stream = Compile(text);
  auto* dlg = new TTestDlg(Application, *stream);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_NE(errors[0].message.find("Missing"), std::string::npos);
  (void)dlg;
}

// ---------------------------------------------------------------------------------------
// Fonts and colours from the parent

TEST_F(ControlsTest, ParentFontFollowsTheParentChain) {
  TForm* form = MakeForm();
  auto* panel = new TTestPanel(form);
  panel->SetParent(form);
  auto* inner = new TTestButton(form);
  inner->SetParent(panel);
  auto* own = new TTestButton(form);
  own->SetParent(panel);
  own->Font()->SetStyle(TFontStyles{fsBold});
  EXPECT_FALSE(own->ParentFont()) << "setting a font property ends ParentFont";

  form->Font()->SetName("Verdana");
  form->Font()->SetHeight(-13);
  EXPECT_EQ(panel->Font()->Name(), "Verdana");
  EXPECT_EQ(inner->Font()->Name(), "Verdana");
  EXPECT_EQ(inner->Font()->Height(), -13);
  EXPECT_TRUE(inner->ParentFont());
  EXPECT_EQ(own->Font()->Name(), "Tahoma");

  own->SetParentFont(true);
  EXPECT_EQ(own->Font()->Name(), "Verdana");
  EXPECT_FALSE(own->Font()->Style().Contains(fsBold));

  // A control moved to another parent takes that parent's font.
  auto* other = new TForm(Application);
  other->Font()->SetName("Arial");
  inner->SetParent(other);
  EXPECT_EQ(inner->Font()->Name(), "Arial");
}

TEST_F(ControlsTest, ParentColorFollowsTheParent) {
  TForm* form = MakeForm();
  auto* shape = new TTestShape(form);
  shape->SetParentColor(true);
  shape->SetParent(form);
  EXPECT_EQ(shape->Color(), clBtnFace);
  form->SetColor(clWhite);
  EXPECT_EQ(shape->Color(), clWhite);
  shape->SetColor(clRed);
  EXPECT_FALSE(shape->ParentColor());
}

// ---------------------------------------------------------------------------------------
// Notifications

TEST_F(ControlsTest, PointerEnterAndLeaveReachWindowedAndWindowlessControls) {
  TForm* form = MakeForm();
  auto* button = new TTestButton(form);
  button->SetParent(form);
  button->SetBounds(10, 10, 75, 25);
  auto* shape = new TTestShape(form);
  shape->SetParent(form);
  shape->SetBounds(200, 10, 40, 40);
  std::vector<std::string> log;
  button->OnMouseEnter = [&](TObject*) { log.push_back("enter button"); };
  button->OnMouseLeave = [&](TObject*) { log.push_back("leave button"); };
  shape->OnMouseEnter = [&](TObject*) { log.push_back("enter shape"); };
  shape->OnMouseLeave = [&](TObject*) { log.push_back("leave shape"); };
  form->Show();
  Pump();
  auto move = [&](TControl* c, int dx) {
    POINT p = Centre(c);
    headless::MovePointer(p.x + dx, p.y);
    Pump();
  };
  move(button, 0);
  move(button, 1);
  move(shape, 0);
  headless::MovePointer(form->ClientOrigin().x + 300, form->ClientOrigin().y + 200);
  Pump();
  const std::vector<std::string> expected{"enter button", "leave button", "enter shape", "leave shape"};
  EXPECT_EQ(log, expected);
}

TEST_F(ControlsTest, EnabledAndTextChangesNotifyTheControl) {
  TForm* form = MakeForm();
  struct TWatch : TTestButton {
    using TTestButton::TTestButton;
    std::vector<UINT> seen;
    void WndProc(TMessage& m) override {
      if (m.Msg == CM_ENABLEDCHANGED || m.Msg == CM_TEXTCHANGED) seen.push_back(m.Msg);
      TTestButton::WndProc(m);
    }
  };
  auto* w = new TWatch(form);
  w->SetParent(form);
  form->Show();
  Pump();
  w->seen.clear();
  w->SetEnabled(false);
  EXPECT_FALSE(IsWindowEnabled(w->Handle()));
  w->SetCaption("New");
  w->SetCaption("New");
  w->SetEnabled(true);
  const std::vector<UINT> expected{CM_ENABLEDCHANGED, CM_TEXTCHANGED, CM_ENABLEDCHANGED};
  EXPECT_EQ(w->seen, expected);
  EXPECT_TRUE(IsWindowEnabled(w->Handle()));
}

TEST_F(ControlsTest, ClicksNeedPressAndReleaseInside) {
  TForm* form = MakeForm();
  auto* button = new TTestButton(form);
  button->SetParent(form);
  button->SetBounds(10, 10, 75, 25);
  form->Show();
  Pump();
  POINT in = Centre(button);
  headless::MovePointer(in.x, in.y);
  headless::PressButton(1);
  headless::MovePointer(in.x + 200, in.y);
  headless::ReleaseButton(1);
  Pump();
  EXPECT_EQ(button->clicks, 0);
  headless::Click(in.x, in.y);
  Pump();
  EXPECT_EQ(button->clicks, 1);
}

TEST_F(ControlsTest, AMissingDefinitionResourceIsReportedAndOnCreateStillRuns) {
  struct TNoDef : TForm {
    explicit TNoDef(TComponent* owner) : TForm(owner) {
      RegisterMethod("FormCreate", TNotifyEvent([](TObject*) {}));
      OnCreate = [this](TObject*) { ++creates; };
      ReadForm("NoSuchForm");
    }
    int creates = 0;
  };
  auto* form = Application->CreateForm<TNoDef>();
  EXPECT_EQ(form->creates, 1) << "CreateForm does not run OnCreate a second time";
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0].caption, "Brimlow");
}
