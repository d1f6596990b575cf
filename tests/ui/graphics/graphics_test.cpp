// Canvas, graphics objects, TBitmap behaviour and the TPicture format table.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "ui/graphics/graphics.h"
#include "platform/icon/icon.h"

namespace {

// First pixel of r that is not `want`, as text, or "" when all match.
std::string FirstMismatch(TCanvas* c, const RECT& r, TColor want) {
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x)
      if (c->Pixels(x, y) != want) {
        char buf[96];
        std::snprintf(buf, sizeof buf, "(%d, %d) is 0x%06X, want 0x%06X", x, y, unsigned(c->Pixels(x, y)),
                      unsigned(want));
        return buf;
      }
  return "";
}

TEST(Colors, SystemColoursResolve) {
  EXPECT_EQ(ColorToRGB(clRed), clRed);
  EXPECT_EQ(ColorToRGB(clNone), clNone);
  EXPECT_EQ(ColorToRGB(clBtnFace), TColor(GetSysColor(COLOR_BTNFACE)));
  EXPECT_EQ(ColorToRGB(clWindow), TColor(GetSysColor(COLOR_WINDOW)));
  EXPECT_EQ(clBtnFace, TColor(0xFF00000F));
  EXPECT_EQ(clHighlightText, TColor(0xFF00000E));
  EXPECT_EQ(ColorToString(clBtnFace), "clBtnFace");
  EXPECT_EQ(StringToColor("clwindow"), clWindow);
  EXPECT_EQ(StringToColor("$00123456"), 0x123456);
  EXPECT_EQ(ColorToString(0x123456), "$00123456");
}

TEST(Font, DefaultsSizeAndHandleRecreation) {
  TFont f;
  EXPECT_EQ(f.Name(), "Tahoma");
  EXPECT_EQ(f.Height(), -11);
  EXPECT_EQ(f.Size(), 8);
  f.SetSize(10);
  EXPECT_EQ(f.Height(), -13);
  f.SetSize(-7);  // -7 x 96 / 72 = -9.33, to the nearest: a cell height of 9
  EXPECT_EQ(f.Height(), 9);
  f.SetSize(10);
  int changes = 0;
  f.OnChange = [&](TObject*) { ++changes; };
  HFONT h1 = f.Handle();
  f.SetStyle(TFontStyles{fsBold});
  EXPECT_EQ(changes, 1);
  EXPECT_FALSE(f.HandleAllocated());  // rebuilt on next use
  LOGFONTA lf;
  ASSERT_NE(GetObjectA(f.Handle(), sizeof lf, &lf), 0);
  EXPECT_EQ(lf.lfWeight, 700);
  EXPECT_EQ(lf.lfHeight, -13);
  (void)h1;
  TFont g;
  g.Assign(&f);
  EXPECT_TRUE(g.Style().Contains(fsBold));
  EXPECT_EQ(g.Height(), -13);
}

// ---------------------------------------------------------------------------------------
// Canvas

TEST(Canvas, BrushChangeReachesFillRect) {
  TBitmap b(20, 10);
  TCanvas* c = b.Canvas();
  c->Brush()->SetColor(clRed);
  c->FillRect(RECT{0, 0, 20, 10});
  EXPECT_EQ(FirstMismatch(c, RECT{0, 0, 20, 10}, clRed), "");
  // The red brush is selected now; changing the colour must reach the next fill.
  c->Brush()->SetColor(clBlue);
  c->FillRect(RECT{5, 2, 15, 8});
  EXPECT_EQ(FirstMismatch(c, RECT{5, 2, 15, 8}, clBlue), "");
  EXPECT_EQ(c->Pixels(4, 2), clRed);
  EXPECT_EQ(c->Pixels(15, 8), clRed);
  // A system colour brush fills with its resolved value.
  c->Brush()->SetColor(clBtnFace);
  c->FillRect(RECT{0, 0, 2, 2});
  EXPECT_EQ(c->Pixels(1, 1), ColorToRGB(clBtnFace));
  // A clear brush fills nothing.
  c->Brush()->SetStyle(bsClear);
  c->FillRect(RECT{0, 0, 20, 10});
  EXPECT_EQ(c->Pixels(1, 1), ColorToRGB(clBtnFace));
}

TEST(Canvas, PenChangeReachesLineTo) {
  TBitmap b(10, 10);
  TCanvas* c = b.Canvas();
  c->Brush()->SetColor(clWhite);
  c->FillRect(RECT{0, 0, 10, 10});
  c->Pen()->SetColor(clGreen);
  c->MoveTo(0, 1);
  c->LineTo(10, 1);
  c->Pen()->SetColor(clNavy);
  c->MoveTo(0, 3);
  c->LineTo(5, 3);
  EXPECT_EQ(FirstMismatch(c, RECT{0, 1, 10, 2}, clGreen), "");
  EXPECT_EQ(FirstMismatch(c, RECT{0, 3, 5, 4}, clNavy), "");
  EXPECT_EQ(c->Pixels(5, 3), clWhite);  // the end point is not drawn
  EXPECT_EQ(c->PenPos(), (POINT{5, 3}));
}

TEST(Canvas, XorPenTwiceRestores) {
  TBitmap b(8, 8);
  TCanvas* c = b.Canvas();
  c->Brush()->SetColor(0x336699);
  c->FillRect(RECT{0, 0, 8, 8});
  c->Pen()->SetMode(pmXor);
  c->Pen()->SetColor(0x00FFFF);
  for (int i = 0; i < 2; ++i) {
    c->MoveTo(0, 0);
    c->LineTo(7, 7);
    if (i == 0) {
      EXPECT_EQ(c->Pixels(3, 3), 0x336699 ^ 0x00FFFF);
    }
  }
  EXPECT_EQ(FirstMismatch(c, RECT{0, 0, 8, 8}, 0x336699), "");
}

TEST(Canvas, FocusRectTwiceRestores) {
  TBitmap b(12, 12);
  TCanvas* c = b.Canvas();
  c->Brush()->SetColor(clSilver);
  c->FillRect(RECT{0, 0, 12, 12});
  c->DrawFocusRect(RECT{1, 1, 11, 11});
  EXPECT_NE(FirstMismatch(c, RECT{0, 0, 12, 12}, clSilver), "");
  c->DrawFocusRect(RECT{1, 1, 11, 11});
  EXPECT_EQ(FirstMismatch(c, RECT{0, 0, 12, 12}, clSilver), "");
}

// Counts pixels of one colour in a rectangle.
int Count(TCanvas* c, const RECT& r, TColor color) {
  int n = 0;
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x) n += c->Pixels(x, y) == color;
  return n;
}

TEST(Canvas, TextOutOpaqueVersusTransparent) {
  for (bool clear : {false, true}) {
    TBitmap b(60, 20);
    TCanvas* c = b.Canvas();
    c->Brush()->SetColor(clWhite);
    c->FillRect(RECT{0, 0, 60, 20});
    c->Font()->SetColor(clBlack);
    c->Brush()->SetColor(clYellow);
    if (clear) c->Brush()->SetStyle(bsClear);
    SIZE ext = c->TextExtent("Wg");
    ASSERT_GT(ext.cx, 0);
    EXPECT_EQ(ext.cy, 13);  // Tahoma 8 pt line
    c->TextOut(2, 3, "Wg");
    RECT cell{2, 3, 2 + ext.cx, 3 + ext.cy};
    int ink = Count(c, cell, clBlack);
    EXPECT_GT(ink, 0);
    int cellArea = ext.cx * ext.cy;
    if (clear) {
      EXPECT_EQ(Count(c, cell, clYellow), 0);
      EXPECT_EQ(Count(c, cell, clWhite), cellArea - ink);
    } else {
      EXPECT_EQ(Count(c, cell, clYellow), cellArea - ink);
    }
    // Outside the cell nothing changed either way.
    EXPECT_EQ(Count(c, RECT{0, 0, 60, 3}, clWhite), 60 * 3);
    EXPECT_EQ(c->PenPos().x, 2 + ext.cx);
  }
}

TEST(Canvas, TextRectClipsAndFontChangeMeasuresAgain) {
  TBitmap b(40, 20);
  TCanvas* c = b.Canvas();
  c->Brush()->SetColor(clWhite);
  c->FillRect(RECT{0, 0, 40, 20});
  c->Font()->SetColor(clBlack);
  c->Brush()->SetStyle(bsClear);
  c->TextRect(RECT{0, 0, 10, 20}, 0, 0, "MMMMMMMM");
  EXPECT_EQ(Count(c, RECT{10, 0, 40, 20}, clBlack), 0);
  EXPECT_GT(Count(c, RECT{0, 0, 10, 20}, clBlack), 0);
  int normal = c->TextWidth("Hello world");
  c->Font()->SetStyle(TFontStyles{fsBold});
  EXPECT_GT(c->TextWidth("Hello world"), normal);
  c->Font()->SetHeight(-20);
  EXPECT_GT(c->TextHeight("X"), 13);
}

TEST(Canvas, CanvasWithoutDcRefusesToDraw) {
  TCanvas c;
  EXPECT_THROW(c.FillRect(RECT{0, 0, 1, 1}), EInvalidOperation);
}

TEST(Canvas, CopyRectAndDraw) {
  TBitmap src(4, 4);
  src.Canvas()->Brush()->SetColor(clRed);
  src.Canvas()->FillRect(RECT{0, 0, 4, 4});
  src.Canvas()->SetPixel(0, 0, clBlue);
  TBitmap dst(10, 10);
  dst.Canvas()->Brush()->SetColor(clWhite);
  dst.Canvas()->FillRect(RECT{0, 0, 10, 10});
  dst.Canvas()->Draw(3, 3, &src);
  EXPECT_EQ(dst.Canvas()->Pixels(3, 3), clBlue);
  EXPECT_EQ(dst.Canvas()->Pixels(6, 6), clRed);
  EXPECT_EQ(dst.Canvas()->Pixels(7, 7), clWhite);
  dst.Canvas()->CopyRect(RECT{0, 0, 8, 8}, src.Canvas(), RECT{0, 0, 4, 4});  // stretched 2x
  EXPECT_EQ(FirstMismatch(dst.Canvas(), RECT{0, 0, 2, 2}, clBlue), "");
  EXPECT_EQ(FirstMismatch(dst.Canvas(), RECT{2, 2, 8, 8}, clRed), "");
}

// ---------------------------------------------------------------------------------------
// TBitmap

TEST(Bitmap, SetSizeKeepsContentAndNewAreaIsWhite) {
  TBitmap b(3, 3);
  b.Canvas()->Brush()->SetColor(clRed);
  b.Canvas()->FillRect(RECT{0, 0, 3, 3});
  b.SetSize(5, 4);
  EXPECT_EQ(FirstMismatch(b.Canvas(), RECT{0, 0, 3, 3}, clRed), "");
  EXPECT_EQ(b.Canvas()->Pixels(4, 3), clWhite);
  b.SetWidth(2);
  EXPECT_EQ(b.Width(), 2);
  EXPECT_EQ(b.Canvas()->Pixels(1, 1), clRed);
  b.SetSize(0, 0);
  EXPECT_TRUE(b.Empty());
}

TEST(Bitmap, AssignIsADeepCopy) {
  for (TPixelFormat f : {pfDevice, pf1bit, pf4bit, pf8bit, pf24bit, pf32bit}) {
    TBitmap a(5, 3, f);
    a.Canvas()->Brush()->SetColor(clWhite);
    a.Canvas()->FillRect(RECT{0, 0, 5, 3});
    a.Canvas()->SetPixel(1, 1, clBlack);
    TBitmap b;
    b.Assign(&a);
    EXPECT_EQ(b.PixelFormat(), f);
    EXPECT_EQ(b.Canvas()->Pixels(1, 1), clBlack) << f;
    EXPECT_EQ(b.Canvas()->Pixels(2, 1), clWhite) << f;
    a.Canvas()->SetPixel(2, 1, clBlack);
    EXPECT_EQ(b.Canvas()->Pixels(2, 1), clWhite) << "copy shares pixels, format " << f;
  }
}

TEST(Bitmap, PixelFormatConversionKeepsColours) {
  TBitmap b(4, 2);
  b.Canvas()->Brush()->SetColor(clRed);
  b.Canvas()->FillRect(RECT{0, 0, 2, 2});
  b.Canvas()->Brush()->SetColor(clLime);
  b.Canvas()->FillRect(RECT{2, 0, 4, 2});
  for (TPixelFormat f : {pf24bit, pf8bit, pf4bit, pf32bit, pfDevice}) {
    b.SetPixelFormat(f);
    EXPECT_EQ(b.PixelFormat(), f);
    EXPECT_EQ(b.Canvas()->Pixels(0, 0), clRed) << f;
    EXPECT_EQ(b.Canvas()->Pixels(3, 1), clLime) << f;
  }
  EXPECT_EQ(b.HandleType(), bmDDB);
  b.SetPixelFormat(pf8bit);
  EXPECT_EQ(b.HandleType(), bmDIB);
  EXPECT_NE(b.ScanLine(0), b.ScanLine(1));
  EXPECT_THROW(b.ScanLine(2), EInvalidGraphicOperation);
}

TEST(Bitmap, TransparentColourAndTransparentDraw) {
  TBitmap b(4, 4);
  b.Canvas()->Brush()->SetColor(clFuchsia);
  b.Canvas()->FillRect(RECT{0, 0, 4, 4});
  b.Canvas()->SetPixel(1, 1, clBlue);
  EXPECT_EQ(b.TransparentColor(), clFuchsia);  // bottom-left pixel in auto mode
  b.SetTransparentColor(clBlue);
  EXPECT_EQ(b.TransparentMode(), tmFixed);
  EXPECT_EQ(b.TransparentColor(), clBlue);
  b.SetTransparentMode(tmAuto);
  EXPECT_EQ(b.TransparentColor(), clFuchsia);

  b.SetTransparent(true);
  TBitmap dst(8, 8);
  dst.Canvas()->Brush()->SetColor(clWhite);
  dst.Canvas()->FillRect(RECT{0, 0, 8, 8});
  dst.Canvas()->Draw(2, 2, &b);
  EXPECT_EQ(dst.Canvas()->Pixels(3, 3), clBlue);
  EXPECT_EQ(Count(dst.Canvas(), RECT{0, 0, 8, 8}, clFuchsia), 0);
  dst.Canvas()->StretchDraw(RECT{0, 0, 8, 8}, &b);
  EXPECT_EQ(FirstMismatch(dst.Canvas(), RECT{2, 2, 4, 4}, clBlue), "");
  EXPECT_EQ(Count(dst.Canvas(), RECT{0, 0, 8, 8}, clFuchsia), 0);
}

TEST(Bitmap, CanvasDrawingReportsAChange) {
  TBitmap b(2, 2);
  int changes = 0;
  b.OnChange = [&](TObject* s) {
    EXPECT_EQ(s, &b);
    ++changes;
  };
  b.Canvas()->SetPixel(0, 0, clRed);
  EXPECT_GT(changes, 0);
  EXPECT_TRUE(b.Modified());
}

// ---------------------------------------------------------------------------------------
// TPicture

int gLiveProbes = 0;

// A picture class for the format table: reads a one-line text "w h" or fails on "bad".
class TProbeGraphic : public TGraphic {
  LB_CLASS(TProbeGraphic)
 public:
  TProbeGraphic() { ++gLiveProbes; }
  ~TProbeGraphic() override { --gLiveProbes; }
  int w = 0, h = 0;
  void Assign(TPersistent* source) override {
    if (auto* p = dynamic_cast<TProbeGraphic*>(source)) {
      w = p->w;
      h = p->h;
      return;
    }
    TGraphic::Assign(source);
  }
  void DrawOnCanvas(TCanvas&, const RECT&) override {}
  bool IsEmpty() override { return w == 0; }
  int PixelHeight() override { return h; }
  int PixelWidth() override { return w; }
  void SetPixelHeight(int v) override { h = v; }
  void SetPixelWidth(int v) override { w = v; }
  void ReadFromStream(TStream& s) override {
    char buf[32] = {};
    s.Read(buf, sizeof buf - 1);
    if (std::string(buf).rfind("bad", 0) == 0) throw EInvalidGraphic("probe says bad");
    std::sscanf(buf, "%d %d", &w, &h);
  }
  void WriteToStream(TStream& s) override {
    std::string t = std::to_string(w) + " " + std::to_string(h);
    s.WriteBuffer(t.data(), std::int64_t(t.size()));
  }
};

std::unique_ptr<TGraphic> MakeProbe() { return std::make_unique<TProbeGraphic>(); }

class PictureFormats : public ::testing::Test {
 protected:
  void SetUp() override { TPicture::RegisterFileFormat("PrB", "Probe pictures", &MakeProbe); }
  void TearDown() override {
    TPicture::UnregisterGraphicClass(&MakeProbe);
    for (const auto& p : files_) std::filesystem::remove(p);
  }
  std::string Write(const std::string& name, const std::string& text) {
    std::string path = std::string(LB_BINARY_DIR) + "/" + name;
    std::ofstream(path) << text;
    files_.push_back(path);
    return path;
  }
  std::vector<std::string> files_;
};

TEST_F(PictureFormats, ExtensionsAreCaseInsensitive) {
  for (const char* ext : {"prb", "PRB", ".Prb", "pRb"}) EXPECT_EQ(TPicture::FindGraphicClass(ext), &MakeProbe) << ext;
  EXPECT_NE(TPicture::FindGraphicClass("BMP"), nullptr);
  bool listed = false;
  for (const auto& f : TPicture::FileFormats()) listed = listed || (f.extension == "prb" && f.description == "Probe pictures");
  EXPECT_TRUE(listed);
  TPicture p;
  p.LoadFromFile(Write("pic_case.PRB", "7 5"));
  ASSERT_NE(dynamic_cast<TProbeGraphic*>(p.Graphic()), nullptr);
  EXPECT_EQ(p.Width(), 7);
  EXPECT_EQ(p.Height(), 5);
}

TEST_F(PictureFormats, UnknownExtension) {
  TPicture p;
  try {
    p.LoadFromFile(Write("pic.xyz", "1 1"));
    FAIL();
  } catch (const EInvalidGraphic& e) {
    EXPECT_STREQ(e.what(), "Unknown picture file extension (.xyz)");
  }
  TPicture::UnregisterGraphicClass(&MakeProbe);
  EXPECT_THROW(p.LoadFromFile(Write("pic.prb", "1 1")), EInvalidGraphic);
}

TEST_F(PictureFormats, FailedLoadFreesTheObjectAndKeepsThePrevious) {
  TPicture p;
  int changes = 0;
  p.OnChange = [&](TObject*) { ++changes; };
  p.LoadFromFile(Write("pic_good.prb", "3 4"));
  TGraphic* before = p.Graphic();
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(gLiveProbes, 1);
  try {
    p.LoadFromFile(Write("pic_bad.prb", "bad"));
    FAIL();
  } catch (const EInvalidGraphic& e) {
    EXPECT_STREQ(e.what(), "probe says bad");  // passed on as raised
  }
  EXPECT_EQ(gLiveProbes, 1);  // the failed object is gone
  EXPECT_EQ(p.Graphic(), before);
  EXPECT_EQ(p.Width(), 3);
  EXPECT_EQ(changes, 1);
  EXPECT_THROW(p.LoadFromFile(std::string(LB_BINARY_DIR) + "/missing.prb"), EFOpenError);
  EXPECT_EQ(gLiveProbes, 1);
}

TEST_F(PictureFormats, SetGraphicCopiesIntoItsOwnObject) {
  TProbeGraphic g;
  g.w = 9;
  g.h = 2;
  TPicture p;
  p.SetGraphic(&g);
  ASSERT_NE(p.Graphic(), nullptr);
  EXPECT_NE(p.Graphic(), &g);
  EXPECT_STREQ(p.Graphic()->ClassName(), "TProbeGraphic");
  EXPECT_EQ(p.Width(), 9);
  TPicture q;
  q.Assign(&p);
  EXPECT_EQ(q.Height(), 2);
  // Asking for a bitmap replaces the picture with an empty bitmap.
  TBitmap* b = p.Bitmap();
  EXPECT_TRUE(b->Empty());
  EXPECT_EQ(p.Graphic(), b);
  p.SetGraphic(nullptr);
  EXPECT_EQ(p.Graphic(), nullptr);
}

TEST_F(PictureFormats, BmpThroughThePicture) {
  TBitmap b(3, 2);
  b.Canvas()->Brush()->SetColor(clTeal);
  b.Canvas()->FillRect(RECT{0, 0, 3, 2});
  std::string path = std::string(LB_BINARY_DIR) + "/pic_bitmap.BMP";
  files_.push_back(path);
  b.SaveToFile(path);
  TPicture p;
  p.LoadFromFile(path);
  auto* loaded = dynamic_cast<TBitmap*>(p.Graphic());
  ASSERT_NE(loaded, nullptr);
  EXPECT_EQ(loaded->Canvas()->Pixels(2, 1), clTeal);
}

TEST(Graphic, BaseProtocolDefaults) {
  TProbeGraphic g;
  EXPECT_EQ(g.PaletteHandle(), nullptr);
  EXPECT_FALSE(g.Transparent());
  g.SetTransparent(true);
  EXPECT_TRUE(g.IsTransparent());
  EXPECT_TRUE(g.Modified());
  unsigned fmt;
  std::uintptr_t data;
  HPALETTE pal;
  EXPECT_THROW(g.SaveToClipboardFormat(fmt, data, pal), EInvalidGraphicOperation);
  EXPECT_THROW(g.LoadFromClipboardFormat(0, 0, nullptr), EInvalidGraphicOperation);
  TBitmap b;
  try {
    b.Assign(static_cast<TPersistent*>(nullptr));
    TStringList s;
    b.Assign(&s);
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "Cannot assign a TStringList to a TBitmap.");
  }
}

TEST(Icon, ReadWriteDraw) {
  // A 2 x 2 32-bit icon: red opaque, one pixel fully transparent.
  TBitmap color(2, 2);
  color.Canvas()->Brush()->SetColor(clRed);
  color.Canvas()->FillRect(RECT{0, 0, 2, 2});
  auto* px = static_cast<BYTE*>(color.ScanLine(0));
  px[3] = 255;
  px[7] = 0;
  px = static_cast<BYTE*>(color.ScanLine(1));
  px[3] = px[7] = 255;
  TIcon icon;
  GdiPtr<GdiBitmap> mask(CreateBitmap(2, 2, 1, 1, nullptr));
  ICONINFO ii;
  ii.hbmColor = color.Handle();
  ii.hbmMask = mask.get();
  icon.SetHandle(CreateIconIndirect(&ii));
  ASSERT_EQ(icon.Width(), 2);
  TMemoryStream m;
  icon.WriteToStream(m);
  m.SetPosition(0);
  TIcon back;
  back.ReadFromStream(m);
  ASSERT_EQ(back.Height(), 2);
  TBitmap dst(4, 4);
  dst.Canvas()->Brush()->SetColor(clWhite);
  dst.Canvas()->FillRect(RECT{0, 0, 4, 4});
  dst.Canvas()->Draw(1, 1, &back);
  EXPECT_EQ(dst.Canvas()->Pixels(1, 1), clRed);
  EXPECT_EQ(dst.Canvas()->Pixels(2, 1), clWhite);  // transparent pixel
  EXPECT_EQ(dst.Canvas()->Pixels(2, 2), clRed);
  EXPECT_THROW(back.SetWidth(5), EInvalidGraphicOperation);
  std::vector<std::uint8_t> junk{0, 0, 1, 0, 1, 0, 2, 2, 0, 0, 1, 0, 32, 0, 0xFF, 0xFF, 0xFF, 0x7F, 22, 0, 0, 0};
  TBytesStream s(junk.data(), std::int64_t(junk.size()));
  EXPECT_THROW(back.ReadFromStream(s), EInvalidGraphic);
}

}  // namespace
