// Painting: the form background, windowless controls painted by their parent in z-order,
// child windows over them, and double buffering (composed off screen, copied once).
#include <cstdio>

#include "testcontrols.h"

namespace {

// 0x00RRGGBB as the frames hold them.
std::uint32_t FrameColor(TColor c) {
  const COLORREF rgb = COLORREF(ColorToRGB(c));
  return (std::uint32_t(GetRValue(rgb)) << 16) | (std::uint32_t(GetGValue(rgb)) << 8) | GetBValue(rgb);
}

struct Expect {
  int x, y;
  TColor color;
  const char* what;
};

// Reports the first mismatching pixel with its coordinates.
void CheckPixels(const headless::Frame& f, const std::vector<Expect>& expects) {
  for (const Expect& e : expects) {
    ASSERT_LT(e.x, f.width);
    ASSERT_LT(e.y, f.height);
    if (f.At(e.x, e.y) != FrameColor(e.color)) {
      char buf[160];
      std::snprintf(buf, sizeof buf, "first mismatch at (%d, %d) [%s]: got %06X, expected %06X", e.x, e.y, e.what,
                    unsigned(f.At(e.x, e.y)), unsigned(FrameColor(e.color)));
      FAIL() << buf;
    }
  }
}

// Fills itself in two steps and looks at the window's back buffer in between.
class TProbe : public TCustomControl {
 public:
  explicit TProbe(TComponent* owner) : TCustomControl(owner) {}
  int paints = 0;
  bool presentedRedMidPaint = false;

 protected:
  void Paint() override {
    ++paints;
    Canvas()->Brush()->SetColor(clRed);
    Canvas()->FillRect(ClientRect());
    HWND top = GetAncestor(Handle(), GA_ROOT);
    POINT p{2, 2};
    MapWindowPoints(Handle(), top, &p, 1);
    presentedRedMidPaint = headless::PresentedFrame(top).At(p.x, p.y) == 0xFF0000;
    Canvas()->Brush()->SetColor(clLime);
    Canvas()->FillRect(RECT{0, 0, Width() / 2, Height()});
  }
};

}  // namespace

TEST_F(ControlsTest, ParentPaintsItselfThenWindowlessControlsThenChildWindowsPaintThemselves) {
  TForm* form = MakeForm();
  auto* low = new TTestShape(form);
  low->SetParent(form);
  low->SetBounds(10, 10, 40, 40);
  low->fill = clBlue;
  auto* high = new TTestShape(form);
  high->SetParent(form);
  high->SetBounds(30, 30, 40, 40);  // overlaps `low`, later in z-order
  high->fill = clYellow;
  auto* child = new TTestButton(form);
  child->SetParent(form);
  child->SetBounds(60, 60, 30, 30);  // a window over both shapes
  child->SetColor(clGreen);
  form->Show();
  Pump();
  headless::Frame f = headless::PresentedFrame(form->Handle());
  CheckPixels(f, {{5, 5, clBtnFace, "form background"},
                  {15, 15, clBlue, "lower shape"},
                  {35, 35, clYellow, "upper shape over the lower one"},
                  {65, 65, clGreen, "child window over the shapes"},
                  {45, 75, clBtnFace, "outside every control"}});

  // A hidden shape leaves its place to the background.
  high->SetVisible(false);
  Pump();
  CheckPixels(headless::PresentedFrame(form->Handle()), {{35, 35, clBlue, "lower shape uncovered"},
                                                          {55, 55, clBtnFace, "background uncovered"}});
}

struct BufferCase {
  bool doubleBuffered;
  int bufferedPaints;
};

class DoubleBufferTest : public ControlsTest, public ::testing::WithParamInterface<BufferCase> {};

TEST_P(DoubleBufferTest, PaintIsComposedOffScreenAndCopiedOnce) {
  TForm* form = MakeForm();
  auto* probe = new TProbe(form);
  probe->SetParent(form);
  probe->SetBounds(20, 20, 50, 30);
  probe->SetDoubleBuffered(GetParam().doubleBuffered);
  auto* shape = new TTestShape(form);
  shape->SetBounds(5, 5, 10, 10);
  shape->fill = clNavy;
  form->Show();
  Pump();
  ASSERT_GE(probe->paints, 1);
  EXPECT_FALSE(probe->presentedRedMidPaint) << "a half-drawn state reached the screen";
  const int before = probe->BufferedPaintCount();
  EXPECT_EQ(before, GetParam().bufferedPaints * probe->paints);

  probe->Invalidate();
  Pump();
  EXPECT_EQ(probe->BufferedPaintCount() - before, GetParam().bufferedPaints);
  CheckPixels(headless::PresentedFrame(form->Handle()),
              {{21, 21, clLime, "left half"}, {65, 45, clRed, "right half"}, {19, 19, clBtnFace, "outside"}});
}

INSTANTIATE_TEST_SUITE_P(Cases, DoubleBufferTest,
                         ::testing::Values(BufferCase{true, 1}, BufferCase{false, 0}),
                         [](const auto& info) { return std::string(info.param.doubleBuffered ? "buffered" : "direct"); });

TEST_F(ControlsTest, DoubleBufferedFormDrawsItsWindowlessControlsInTheBuffer) {
  TForm* form = MakeForm();
  form->SetDoubleBuffered(true);
  form->SetColor(clWhite);
  auto* shape = new TTestShape(form);
  shape->SetParent(form);
  shape->SetBounds(10, 10, 20, 20);
  shape->fill = clPurple;
  form->Show();
  Pump();
  EXPECT_EQ(form->BufferedPaintCount(), 1);
  CheckPixels(headless::PresentedFrame(form->Handle()),
              {{5, 5, clWhite, "form colour"}, {15, 15, clPurple, "shape"}});
  shape->fill = clTeal;
  shape->Invalidate();
  Pump();
  EXPECT_EQ(form->BufferedPaintCount(), 2);
  CheckPixels(headless::PresentedFrame(form->Handle()), {{15, 15, clTeal, "repainted shape"}});
}

TEST_F(ControlsTest, FormWindowCoversTheClientAreaAndOuterSizeIncludesTheFrame) {
  TForm* form = MakeForm();
  form->Show();
  Pump();
  RECT wr;
  GetWindowRect(form->Handle(), &wr);
  RECT frame = form->FrameSize();
  EXPECT_EQ(wr.right - wr.left, 400);
  EXPECT_EQ(wr.bottom - wr.top, 300);
  EXPECT_EQ(form->Width(), 400 + frame.left + frame.right);
  EXPECT_EQ(form->Height(), 300 + frame.top + frame.bottom);
  EXPECT_EQ(wr.left, form->Left() + frame.left);
  EXPECT_EQ(wr.top, form->Top() + frame.top);
  form->SetBorderStyle(bsNone);
  EXPECT_EQ(form->Width(), 400);
  EXPECT_EQ(form->ClientHeight(), 300);
}

TEST_F(ControlsTest, AnchorsFollowTheParentsNewSize) {
  TForm* form = MakeForm();
  auto* right = new TTestButton(form);
  right->SetParent(form);
  right->SetBounds(300, 260, 75, 25);
  right->SetAnchors(TAnchors{akRight, akBottom});
  auto* stretch = new TTestPanel(form);
  stretch->SetParent(form);
  stretch->SetBounds(8, 8, 384, 200);
  stretch->SetAnchors(TAnchors{akLeft, akTop, akRight, akBottom});
  form->SetClientWidth(500);
  form->SetClientHeight(350);
  EXPECT_EQ(right->BoundsRect(), (RECT{400, 310, 475, 335}));
  EXPECT_EQ(stretch->BoundsRect(), (RECT{8, 8, 492, 258}));
}

// A canvas that measured text outside a paint holds a window DC; destroying the windows
// must take those DCs back first (a DC that outlives its window keeps its surface alive).
TEST_F(ControlsTest, DestroyingTheWindowsReleasesCanvasDCsTakenOutsideAPaint) {
  TForm* form = MakeForm();
  auto* windowed = new TProbe(form);
  windowed->SetParent(form);
  windowed->SetBounds(10, 10, 50, 30);
  auto* windowless = new TTestShape(form);
  windowless->SetParent(form);
  form->Show();
  Pump();
  EXPECT_GT(windowed->Canvas()->TextWidth("Data"), 0);
  EXPECT_GT(windowless->Canvas()->TextWidth("Data"), 0);
  EXPECT_GT(form->Canvas()->TextWidth("Data"), 0);
  ASSERT_TRUE(windowed->Canvas()->HandleAllocated());
  ASSERT_TRUE(windowless->Canvas()->HandleAllocated());
  ASSERT_TRUE(form->Canvas()->HandleAllocated());
  form->DestroyHandle();
  EXPECT_FALSE(windowed->Canvas()->HandleAllocated());
  EXPECT_FALSE(windowless->Canvas()->HandleAllocated());
  EXPECT_FALSE(form->Canvas()->HandleAllocated());
}
