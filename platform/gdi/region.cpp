// Regions: the band arithmetic behind clipping, and the region calls.
#include <algorithm>

#include "gdi/objects.h"

namespace host::gdi {
namespace {

using Spans = std::vector<std::pair<LONG, LONG>>;

Spans SpansAt(const Region& r, LONG y) {
  Spans spans;
  for (const RECT& rect : r.rects)
    if (rect.top <= y && y < rect.bottom) spans.emplace_back(rect.left, rect.right);
  return spans;
}

bool Covers(const Spans& spans, LONG x) {
  for (auto [l, r] : spans)
    if (l <= x && x < r) return true;
  return false;
}

bool Apply(int mode, bool a, bool b) {
  switch (mode) {
    case RGN_AND:
      return a && b;
    case RGN_OR:
      return a || b;
    case RGN_XOR:
      return a != b;
    case RGN_DIFF:
      return a && !b;
    default:
      return a;
  }
}

Spans CombineSpans(const Spans& a, const Spans& b, int mode) {
  std::vector<LONG> xs;
  for (auto [l, r] : a) xs.insert(xs.end(), {l, r});
  for (auto [l, r] : b) xs.insert(xs.end(), {l, r});
  std::sort(xs.begin(), xs.end());
  xs.erase(std::unique(xs.begin(), xs.end()), xs.end());
  Spans out;
  for (size_t i = 0; i + 1 < xs.size(); ++i) {
    if (!Apply(mode, Covers(a, xs[i]), Covers(b, xs[i]))) continue;
    if (!out.empty() && out.back().second == xs[i])
      out.back().second = xs[i + 1];
    else
      out.emplace_back(xs[i], xs[i + 1]);
  }
  return out;
}

}  // namespace

Region Region::FromRect(const RECT& r) {
  Region region;
  if (r.left < r.right && r.top < r.bottom) region.rects.push_back(r);
  return region;
}

Region Region::Combine(const Region& a, const Region& b, int mode) {
  std::vector<LONG> ys;
  for (const RECT& r : a.rects) ys.insert(ys.end(), {r.top, r.bottom});
  for (const RECT& r : b.rects) ys.insert(ys.end(), {r.top, r.bottom});
  std::sort(ys.begin(), ys.end());
  ys.erase(std::unique(ys.begin(), ys.end()), ys.end());
  Region out;
  Spans lastSpans;
  size_t lastStart = 0;
  LONG lastBottom = 0;
  for (size_t i = 0; i + 1 < ys.size(); ++i) {
    Spans spans = CombineSpans(SpansAt(a, ys[i]), SpansAt(b, ys[i]), mode);
    if (spans.empty()) continue;
    if (!out.rects.empty() && lastBottom == ys[i] && spans == lastSpans) {
      for (size_t k = lastStart; k < out.rects.size(); ++k) out.rects[k].bottom = ys[i + 1];
    } else {
      lastStart = out.rects.size();
      for (auto [l, r] : spans) out.rects.push_back({l, ys[i], r, ys[i + 1]});
      lastSpans = spans;
    }
    lastBottom = ys[i + 1];
  }
  return out;
}

RECT Region::Box() const {
  if (rects.empty()) return {0, 0, 0, 0};
  RECT box = rects.front();
  for (const RECT& r : rects) {
    box.left = std::min(box.left, r.left);
    box.right = std::max(box.right, r.right);
    box.bottom = std::max(box.bottom, r.bottom);
  }
  return box;
}

int Region::Kind() const { return rects.empty() ? NULLREGION : rects.size() == 1 ? SIMPLEREGION : COMPLEXREGION; }

bool Region::Contains(int x, int y) const {
  for (const RECT& r : rects) {
    if (r.top > y) break;
    if (y < r.bottom && r.left <= x && x < r.right) return true;
  }
  return false;
}

bool Region::Intersects(const RECT& q) const {
  for (const RECT& r : rects)
    if (r.left < q.right && q.left < r.right && r.top < q.bottom && q.top < r.bottom) return true;
  return false;
}

void Region::Offset(int dx, int dy) {
  for (RECT& r : rects) {
    r.left += dx;
    r.right += dx;
    r.top += dy;
    r.bottom += dy;
  }
}

bool Region::operator==(const Region& other) const {
  if (rects.size() != other.rects.size()) return false;
  for (size_t i = 0; i < rects.size(); ++i) {
    const RECT &a = rects[i], &b = other.rects[i];
    if (a.left != b.left || a.top != b.top || a.right != b.right || a.bottom != b.bottom) return false;
  }
  return true;
}

}  // namespace host::gdi

using namespace host::gdi;

namespace {

std::shared_ptr<RegionObject> FindRegion(HRGN rgn) {
  auto region = LookupAs<RegionObject>(rgn);
  if (!region) SetLastError(ERROR_INVALID_HANDLE);
  return region;
}

RECT Normalised(int left, int top, int right, int bottom) {
  return {std::min(left, right), std::min(top, bottom), std::max(left, right), std::max(top, bottom)};
}

}  // namespace

extern "C" {

HRGN WINAPI CreateRectRgn(int x1, int y1, int x2, int y2) {
  auto region = std::make_shared<RegionObject>();
  region->region = Region::FromRect(Normalised(x1, y1, x2, y2));
  return static_cast<HRGN>(AddObject(region));
}

HRGN WINAPI CreateRectRgnIndirect(const RECT* lprect) {
  if (!lprect) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return CreateRectRgn(lprect->left, lprect->top, lprect->right, lprect->bottom);
}

int WINAPI CombineRgn(HRGN hrgnDst, HRGN hrgnSrc1, HRGN hrgnSrc2, int iMode) {
  GdiGuard guard(GdiLock());
  auto dst = FindRegion(hrgnDst), a = FindRegion(hrgnSrc1);
  if (!dst || !a || iMode < RGN_AND || iMode > RGN_COPY) return ERROR;
  if (iMode == RGN_COPY) {
    dst->region = a->region;
    return dst->region.Kind();
  }
  auto b = FindRegion(hrgnSrc2);
  if (!b) return ERROR;
  dst->region = Region::Combine(a->region, b->region, iMode);
  return dst->region.Kind();
}

BOOL WINAPI SetRectRgn(HRGN hrgn, int left, int top, int right, int bottom) {
  GdiGuard guard(GdiLock());
  auto region = FindRegion(hrgn);
  if (!region) return FALSE;
  region->region = Region::FromRect(Normalised(left, top, right, bottom));
  return TRUE;
}

int WINAPI OffsetRgn(HRGN hrgn, int x, int y) {
  GdiGuard guard(GdiLock());
  auto region = FindRegion(hrgn);
  if (!region) return ERROR;
  region->region.Offset(x, y);
  return region->region.Kind();
}

int WINAPI GetRgnBox(HRGN hrgn, LPRECT lprc) {
  GdiGuard guard(GdiLock());
  auto region = FindRegion(hrgn);
  if (!region || !lprc) return ERROR;
  *lprc = region->region.Box();
  return region->region.Kind();
}

BOOL WINAPI PtInRegion(HRGN hrgn, int x, int y) {
  GdiGuard guard(GdiLock());
  auto region = FindRegion(hrgn);
  return region && region->region.Contains(x, y) ? TRUE : FALSE;
}

BOOL WINAPI RectInRegion(HRGN hrgn, const RECT* lprect) {
  GdiGuard guard(GdiLock());
  auto region = FindRegion(hrgn);
  if (!region || !lprect) return FALSE;
  return region->region.Intersects(Normalised(lprect->left, lprect->top, lprect->right, lprect->bottom)) ? TRUE : FALSE;
}

BOOL WINAPI EqualRgn(HRGN hrgn1, HRGN hrgn2) {
  GdiGuard guard(GdiLock());
  auto a = FindRegion(hrgn1), b = FindRegion(hrgn2);
  if (!a || !b) return ERROR;
  return a->region == b->region ? TRUE : FALSE;
}

}  // extern "C"
