// Regions as lists of rectangles. Every combination yields y-x banded rectangles (bands of
// equal height, sorted by top then left, vertically merged), so equal areas compare equal.
#include <algorithm>
#include <climits>

#include "platform/gdi/dc_internal.h"

namespace gdi {

namespace {

using Spans = std::vector<std::pair<LONG, LONG>>;

Spans SpansInBand(const std::vector<RECT>& rects, LONG y0, LONG y1) {
  Spans s;
  for (const RECT& r : rects)
    if (r.left < r.right && r.top <= y0 && r.bottom >= y1) s.emplace_back(r.left, r.right);
  std::sort(s.begin(), s.end());
  Spans merged;
  for (auto& sp : s) {
    if (!merged.empty() && sp.first <= merged.back().second)
      merged.back().second = std::max(merged.back().second, sp.second);
    else
      merged.push_back(sp);
  }
  return merged;
}

bool Inside(const Spans& s, LONG x) {
  for (auto& sp : s)
    if (x >= sp.first && x < sp.second) return true;
  return false;
}

bool Apply(int mode, bool a, bool b) {
  switch (mode) {
    case RGN_AND: return a && b;
    case RGN_OR: return a || b;
    case RGN_XOR: return a != b;
    case RGN_DIFF: return a && !b;
    default: return a;
  }
}

}  // namespace

std::vector<RECT> CombineRects(const std::vector<RECT>& a, const std::vector<RECT>& b, int mode) {
  std::vector<LONG> ys;
  for (const auto* list : {&a, &b})
    for (const RECT& r : *list)
      if (r.left < r.right && r.top < r.bottom) {
        ys.push_back(r.top);
        ys.push_back(r.bottom);
      }
  std::sort(ys.begin(), ys.end());
  ys.erase(std::unique(ys.begin(), ys.end()), ys.end());

  std::vector<RECT> out;
  Spans prev;
  std::size_t prevStart = 0;
  LONG prevBottom = 0;
  for (std::size_t i = 0; i + 1 < ys.size(); ++i) {
    LONG y0 = ys[i], y1 = ys[i + 1];
    Spans sa = SpansInBand(a, y0, y1), sb = SpansInBand(b, y0, y1);
    std::vector<LONG> xs;
    for (auto& sp : sa) xs.insert(xs.end(), {sp.first, sp.second});
    for (auto& sp : sb) xs.insert(xs.end(), {sp.first, sp.second});
    std::sort(xs.begin(), xs.end());
    xs.erase(std::unique(xs.begin(), xs.end()), xs.end());
    Spans res;
    for (std::size_t k = 0; k + 1 < xs.size(); ++k) {
      if (!Apply(mode, Inside(sa, xs[k]), Inside(sb, xs[k]))) continue;
      if (!res.empty() && res.back().second == xs[k])
        res.back().second = xs[k + 1];
      else
        res.emplace_back(xs[k], xs[k + 1]);
    }
    if (res.empty()) {
      prev.clear();
      continue;
    }
    if (!prev.empty() && prevBottom == y0 && res == prev) {
      for (std::size_t k = prevStart; k < out.size(); ++k) out[k].bottom = y1;
    } else {
      prevStart = out.size();
      for (auto& sp : res) out.push_back(RECT{sp.first, y0, sp.second, y1});
      prev = res;
    }
    prevBottom = y1;
  }
  return out;
}

int RegionType(const std::vector<RECT>& rects) {
  if (rects.empty()) return NULLREGION;
  return rects.size() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

RECT BoundingBox(const std::vector<RECT>& rects) {
  if (rects.empty()) return RECT{};
  RECT box = rects[0];
  for (const RECT& r : rects) UnionRect(&box, box, r);
  return box;
}

}  // namespace gdi

using namespace gdi;

namespace {

LONG Saturate(std::int64_t v) { return LONG(std::clamp<std::int64_t>(v, INT_MIN, INT_MAX)); }

std::vector<RECT> RectList(int l, int t, int r, int b) {
  if (l > r) std::swap(l, r);
  if (t > b) std::swap(t, b);
  if (l == r || t == b) return {};
  return {RECT{l, t, r, b}};
}

}  // namespace

HRGN CreateRectRgn(int left, int top, int right, int bottom) {
  auto* r = new GdiRegion;
  r->rects = RectList(left, top, right, bottom);
  return r;
}

BOOL SetRectRgn(HRGN rgn, int left, int top, int right, int bottom) {
  if (!rgn) return FALSE;
  rgn->rects = RectList(left, top, right, bottom);
  return TRUE;
}

int CombineRgn(HRGN dest, HRGN src1, HRGN src2, int mode) {
  if (!dest || !src1 || mode < RGN_AND || mode > RGN_COPY) return ERROR;
  if (mode == RGN_COPY) {
    dest->rects = CombineRects(src1->rects, {}, RGN_COPY);
  } else {
    if (!src2) return ERROR;
    dest->rects = CombineRects(src1->rects, src2->rects, mode);
  }
  return RegionType(dest->rects);
}

BOOL PtInRegion(HRGN rgn, int x, int y) {
  if (!rgn) return FALSE;
  for (const RECT& r : rgn->rects)
    if (PtInRect(r, POINT{x, y})) return TRUE;
  return FALSE;
}

int GetRgnBox(HRGN rgn, RECT* r) {
  if (!rgn) return ERROR;
  if (r) *r = BoundingBox(rgn->rects);
  return RegionType(rgn->rects);
}

int OffsetRgn(HRGN rgn, int dx, int dy) {
  if (!rgn) return ERROR;
  for (RECT& r : rgn->rects)
    r = RECT{Saturate(std::int64_t(r.left) + dx), Saturate(std::int64_t(r.top) + dy),
             Saturate(std::int64_t(r.right) + dx), Saturate(std::int64_t(r.bottom) + dy)};
  rgn->rects = CombineRects(rgn->rects, {}, RGN_COPY);
  return RegionType(rgn->rects);
}

BOOL EqualRgn(HRGN a, HRGN b) {
  if (!a || !b) return FALSE;
  return CombineRects(a->rects, {}, RGN_COPY) == CombineRects(b->rects, {}, RGN_COPY);
}
