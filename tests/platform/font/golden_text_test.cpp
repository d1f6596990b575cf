// The reference picture of the UI font: category names, a bold caption, an accelerator
// and a wrapped paragraph, pixel for pixel.
#include <gtest/gtest.h>

#include <cstring>

#include "textcanvas.h"

namespace {

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

TEST(GoldenText, SampleMatches) {
  int height = 0;
  const testsupport::Image img = RenderSample(&height);
  EXPECT_GT(height, 13);
  EXPECT_EQ(height % 13, 0) << "wrapped lines are 13 pixels apart";
  testsupport::ExpectMatchesGolden(img, "text_sample");
  int again = 0;
  EXPECT_EQ(fonttest::FirstDifference(img, RenderSample(&again)), "");
}

}  // namespace
