// The reference picture of the UI font: category names, a bold caption, an accelerator
// and a wrapped paragraph, pixel for pixel, with named pixels from the face's metrics.
#include <gtest/gtest.h>

#include <cstring>

#include "textcanvas.h"

namespace {

using fonttest::kFace;
using fonttest::kInk;
using fonttest::TextCanvas;

testsupport::Image RenderSample(int* paragraphHeight) {
  TextCanvas c(280, 150);
  int x = 8;
  for (const char* name : {"Data", "Music", "Video", "Tools"}) {
    TextOutA(c.dc(), x, 6, name, int(std::strlen(name)));
    x += 50;
  }
  c.UseFont(-11, FW_BOLD);
  x = 8;
  for (const char* name : {"Data", "Music", "Video", "Tools", "Data CD"}) {
    TextOutA(c.dc(), x, 24, name, int(std::strlen(name)));
    x += 50;
  }
  c.UseFont(-11, FW_NORMAL);
  RECT button{8, 42, 83, 65};  // a 75 x 23 push button face
  DrawTextA(c.dc(), "&OK", -1, &button, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  RECT para{8, 72, 8 + 259, 146};
  *paragraphHeight = DrawTextA(c.dc(),
                               "Choose a category on the left and a task on the right. The launcher starts the "
                               "tool for that task and stays open, so you can start another one.",
                               -1, &para, DT_WORDBREAK | DT_LEFT);
  return c.Image();
}

// The sample's placements and the face's own numbers at 11 pixels: ascent 11 (the baseline
// is row top + 11), capitals 8 high, D's stem in the cell's first column (two pixels wide
// in bold), the "&" underline on row top + 12 across the letter's advance.
std::vector<testsupport::NamedPixel> SamplePixels(const testsupport::Image& img) {
  using testsupport::UiFont;
  std::vector<testsupport::NamedPixel> p = {
      {8, 8, kFace, "regular Data: nothing above the capitals"},
      {8, 9, kInk, "regular Data: D's stem from row 6 + 11 - 8"},
      {8, 16, kInk, "regular Data: D's stem down to the row above the baseline"},
      {8, 17, kFace, "regular Data: nothing on the baseline row"},
      {7, 12, kFace, "regular Data: nothing left of the cell"},
      {9, 12, kFace, "regular Data: the stem is one pixel wide"},
      {8, 27, kInk, "bold Data: D's stem from row 24 + 3"},
      {9, 34, kInk, "bold Data: the stem is two pixels wide"},
      {10, 30, kFace, "bold Data: inside the D"},
      {8, 35, kFace, "bold Data: nothing on the baseline row"},
  };
  const int ok = 8 + (75 - testsupport::UiTextWidth(UiFont::kRegular, "OK")) / 2, okTop = 42 + (23 - 13) / 2;
  const int oWidth = testsupport::UiTextWidth(UiFont::kRegular, "O");
  p.push_back({ok, okTop + 12, kInk, "&OK: underline from O's left on row top + 12"});
  p.push_back({ok + oWidth - 1, okTop + 12, kInk, "&OK: underline to the end of O's advance"});
  p.push_back({ok + oWidth, okTop + 12, kFace, "&OK: K is not underlined"});
  p.push_back({ok, okTop + 11, kFace, "&OK: the underline is one pixel thick (above)"});
  p.push_back({ok, okTop + 13, kFace, "&OK: the underline is one pixel thick (below)"});
  const auto add = [&](UiFont font, int x, int y, const std::string& text, const std::string& why) {
    for (const testsupport::NamedPixel& n : testsupport::TextInk(img, kFace, kInk, font, x, y, text, why)) p.push_back(n);
  };
  const char* const names[] = {"Data", "Music", "Video", "Tools"};
  for (int i = 0; i < 4; ++i) add(UiFont::kRegular, 8 + 50 * i, 6, names[i], "regular, 50 apart");
  for (int i = 0; i < 4; ++i) add(UiFont::kBold, 8 + 50 * i, 24, names[i], "bold, 50 apart");
  add(UiFont::kBold, 208, 24, "Data CD", "bold");
  add(UiFont::kRegular, ok, okTop, "&OK", "centred on the 75 x 23 face");
  const char* const lines[] = {"Choose a category on the left and a task on the",
                               "right. The launcher starts the tool for that task and",
                               "stays open, so you can start another one."};
  for (int i = 0; i < 3; ++i) add(UiFont::kRegular, 8, 72 + 13 * i, lines[i], "paragraph wrapped at 259");
  return p;
}

TEST(GoldenText, SampleMatches) {
  int height = 0;
  const testsupport::Image img = RenderSample(&height);
  EXPECT_EQ(height, 3 * 13);
  EXPECT_TRUE(testsupport::HasNamedPixels(img, SamplePixels(img)));
  EXPECT_GT(height, 13);
  EXPECT_EQ(height % 13, 0) << "wrapped lines are 13 pixels apart";
  testsupport::ExpectMatchesGolden(img, "text_sample");
  int again = 0;
  EXPECT_EQ(fonttest::FirstDifference(img, RenderSample(&again)), "");
}

}  // namespace
