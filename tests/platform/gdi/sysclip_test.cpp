// The system clip of a DC: every drawing stays inside it whatever the application clip does.
#include <gtest/gtest.h>

#include <vector>

#include "platform/gdi/gdi.h"
#include "gdi_test_util.h"

namespace {

constexpr int kW = 40, kH = 30;
constexpr COLORREF kRed = RGB(255, 0, 0), kWhite = RGB(255, 255, 255);

// Two pieces, as a window partly covered by a sibling would get (device coordinates).
const RECT kSystem[] = {{4, 4, 20, 16}, {24, 8, 36, 24}};

bool InSystem(int x, int y) {
  for (const RECT& r : kSystem)
    if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) return true;
  return false;
}
bool In(const RECT& r, int x, int y) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; }

void SetSystem(HDC dc) { ASSERT_NE(SetDCSystemClip(dc, kSystem, 2), ERROR); }

struct ClipSetup {
  const char* name;
  void (*apply)(HDC);
  bool (*visible)(int x, int y);  // device coordinates
};

// Logical (10, 6)-(30, 20); device the same unless a setup moves the origin.
const RECT kCut{10, 6, 30, 20};
const RECT kCutAt32{13, 8, 33, 22};  // kCut with the viewport origin at (3, 2)

const ClipSetup kSetups[] = {
    {"SystemAlone", [](HDC dc) { SetSystem(dc); }, InSystem},
    {"WithIntersect",
     [](HDC dc) {
       SetSystem(dc);
       IntersectClipRect(dc, kCut.left, kCut.top, kCut.right, kCut.bottom);
     },
     [](int x, int y) { return InSystem(x, y) && In(kCut, x, y); }},
    {"IntersectBeforeSystem",
     [](HDC dc) {
       IntersectClipRect(dc, kCut.left, kCut.top, kCut.right, kCut.bottom);
       SetSystem(dc);
     },
     [](int x, int y) { return InSystem(x, y) && In(kCut, x, y); }},
    {"WithExclude",
     [](HDC dc) {
       SetSystem(dc);
       ExcludeClipRect(dc, kCut.left, kCut.top, kCut.right, kCut.bottom);
     },
     [](int x, int y) { return InSystem(x, y) && !In(kCut, x, y); }},
    {"AfterSelectClipRgnNull",
     [](HDC dc) {
       SetSystem(dc);
       IntersectClipRect(dc, kCut.left, kCut.top, kCut.right, kCut.bottom);
       SelectClipRgn(dc, nullptr);
     },
     InSystem},
    {"HugeRegionCannotWiden",
     [](HDC dc) {
       SetSystem(dc);
       HRGN all = CreateRectRgn(-100000, -100000, 100000, 100000);
       SelectClipRgn(dc, all);
       DeleteObject(all);
     },
     InSystem},
    {"RestoreToBeforeTheClip",
     [](HDC dc) {
       int level = SaveDC(dc);
       SetSystem(dc);
       IntersectClipRect(dc, kCut.left, kCut.top, kCut.right, kCut.bottom);
       RestoreDC(dc, level);
     },
     InSystem},
    {"RestoreBringsBackTheApplicationClip",
     [](HDC dc) {
       SetSystem(dc);
       ExcludeClipRect(dc, kCut.left, kCut.top, kCut.right, kCut.bottom);
       SaveDC(dc);
       SelectClipRgn(dc, nullptr);
       RestoreDC(dc, -1);
     },
     [](int x, int y) { return InSystem(x, y) && !In(kCut, x, y); }},
    {"ViewportOrigin",
     [](HDC dc) {
       SetViewportOrgEx(dc, 3, 2, nullptr);
       SetSystem(dc);
       IntersectClipRect(dc, kCut.left, kCut.top, kCut.right, kCut.bottom);
     },
     [](int x, int y) { return InSystem(x, y) && In(kCutAt32, x, y); }},
    {"ViewportOriginAfterNull",
     [](HDC dc) {
       SetSystem(dc);
       SetViewportOrgEx(dc, -7, 5, nullptr);
       SelectClipRgn(dc, nullptr);
     },
     InSystem},
};

enum class Op { FillRect, BitBlt, LineTo, SetPixel, PaintMonoMask };
const Op kOps[] = {Op::FillRect, Op::BitBlt, Op::LineTo, Op::SetPixel, Op::PaintMonoMask};
const char* OpName(Op op) {
  switch (op) {
    case Op::FillRect: return "FillRect";
    case Op::BitBlt: return "BitBlt";
    case Op::LineTo: return "LineTo";
    case Op::SetPixel: return "SetPixel";
    default: return "PaintMonoMask";
  }
}

// Each operation tries to paint far beyond the surface in every direction, whatever the origin.
::testing::AssertionResult PaintEverywhere(HDC dc, Op op, bool (*visible)(int, int)) {
  switch (op) {
    case Op::FillRect: {
      HBRUSH red = CreateSolidBrush(kRed);
      RECT r{-100, -100, 200, 200};
      FillRect(dc, &r, red);
      DeleteObject(red);
      break;
    }
    case Op::BitBlt: {
      Surface32 src(120, 120, kRed);
      BitBlt(dc, -60, -60, 120, 120, src.dc, 0, 0, SRCCOPY);
      break;
    }
    case Op::LineTo: {
      HPEN red = CreatePen(PS_SOLID, 1, kRed);
      HGDIOBJ old = SelectObject(dc, red);
      for (int y = -20; y < 60; ++y) {
        MoveToEx(dc, -60, y, nullptr);
        LineTo(dc, 100, y);
      }
      SelectObject(dc, old);
      DeleteObject(red);
      break;
    }
    case Op::SetPixel: {
      POINT o;
      GetViewportOrgEx(dc, &o);
      for (int y = -1; y <= kH; ++y)
        for (int x = -1; x <= kW; ++x) {
          COLORREF got = SetPixel(dc, x - o.x, y - o.y, kRed);
          bool inside = x >= 0 && y >= 0 && x < kW && y < kH && visible(x, y);
          if ((got != CLR_INVALID) != inside)
            return ::testing::AssertionFailure()
                   << "SetPixel at device (" << x << ", " << y << ") returned " << got;
        }
      break;
    }
    case Op::PaintMonoMask: {
      std::vector<BYTE> mask(20 * 100, 0xFF);
      PaintMonoMask(dc, -60, -60, mask.data(), 160, 100, 20, kRed);
      break;
    }
  }
  return ::testing::AssertionSuccess();
}

class SystemClip : public ::testing::TestWithParam<std::tuple<ClipSetup, Op>> {};

TEST_P(SystemClip, PaintsOnlyInsideTheEffectiveClip) {
  const ClipSetup& setup = std::get<0>(GetParam());
  Op op = std::get<1>(GetParam());
  Surface32 s(kW, kH);
  setup.apply(s.dc);
  EXPECT_TRUE(PaintEverywhere(s.dc, op, setup.visible));
  EXPECT_TRUE(PixelsMatch(s, [&](int x, int y) { return setup.visible(x, y) ? kRed : kWhite; }));
}

INSTANTIATE_TEST_SUITE_P(Table, SystemClip, ::testing::Combine(::testing::ValuesIn(kSetups), ::testing::ValuesIn(kOps)),
                         [](const ::testing::TestParamInfo<std::tuple<ClipSetup, Op>>& info) {
                           return std::string(std::get<0>(info.param).name) + "_" + OpName(std::get<1>(info.param));
                         });

TEST(SystemClip, QueriesReportEffectiveAndApplicationClips) {
  Surface32 s(kW, kH);
  EXPECT_EQ(SetDCSystemClip(s.dc, kSystem, 2), COMPLEXREGION);
  SetViewportOrgEx(s.dc, 2, 1, nullptr);

  // Only the system clip: no application clip to report, the box is the visible part.
  HRGN rgn = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(GetClipRgn(s.dc, rgn), 0);
  RECT box;
  EXPECT_EQ(GetClipBox(s.dc, &box), COMPLEXREGION);
  EXPECT_EQ(box, (RECT{2, 3, 34, 23}));
  EXPECT_FALSE(PtVisible(s.dc, 0, 0));
  EXPECT_TRUE(PtVisible(s.dc, 2, 3));

  // An application clip is reported as selected; the box is its cut with the system clip.
  EXPECT_EQ(IntersectClipRect(s.dc, 0, 0, 10, 10), SIMPLEREGION);
  EXPECT_EQ(GetClipRgn(s.dc, rgn), 1);
  RECT app;
  GetRgnBox(rgn, &app);
  EXPECT_EQ(app, (RECT{2, 1, 12, 11}));
  EXPECT_EQ(GetClipBox(s.dc, &box), SIMPLEREGION);
  EXPECT_EQ(box, (RECT{2, 3, 10, 10}));
  std::vector<RECT> eff = GetDCClipRects(s.dc);
  ASSERT_EQ(eff.size(), 1u);
  EXPECT_EQ(eff[0], (RECT{4, 4, 12, 11}));

  // Outside the system clip an application clip leaves nothing.
  SelectClipRgn(s.dc, nullptr);
  EXPECT_EQ(IntersectClipRect(s.dc, 30, 0, 40, 3), NULLREGION);
  EXPECT_EQ(GetClipBox(s.dc, &box), NULLREGION);
  EXPECT_TRUE(GetDCClipRects(s.dc).empty());
  DeleteObject(rgn);
}

TEST(SystemClip, RemovalEmptinessAndBadArguments) {
  Surface32 s(kW, kH);
  const RECT nothing{};
  EXPECT_EQ(SetDCSystemClip(s.dc, &nothing, 1), NULLREGION);
  RECT r{0, 0, kW, kH};
  FillSolidRect(s.dc, r, kRed);
  EXPECT_TRUE(PixelsMatch(s, [](int, int) { return kWhite; }));

  EXPECT_EQ(SetDCSystemClip(s.dc, nullptr, 0), SIMPLEREGION);
  FillSolidRect(s.dc, r, kRed);
  EXPECT_TRUE(PixelsMatch(s, [](int, int) { return kRed; }));

  // Rectangles beyond the surface are cut to it; overlapping ones count once.
  const RECT wide[] = {{-50, -50, 10, 10}, {5, 5, 500, 8}};
  EXPECT_EQ(SetDCSystemClip(s.dc, wide, 2), COMPLEXREGION);
  std::vector<RECT> eff = GetDCClipRects(s.dc);
  EXPECT_EQ(eff, (std::vector<RECT>{{0, 0, 10, 5}, {0, 5, 40, 8}, {0, 8, 10, 10}}));

  EXPECT_EQ(SetDCSystemClip(nullptr, kSystem, 2), ERROR);
  EXPECT_EQ(SetDCSystemClip(s.dc, kSystem, -1), ERROR);
  EXPECT_EQ(SetDCSystemClip(s.dc, nullptr, 2), ERROR);
  // A refused call leaves the clip as it was.
  EXPECT_EQ(GetDCClipRects(s.dc), eff);
  EXPECT_TRUE(GetDCClipRects(nullptr).empty());
}

}  // namespace
