// Lines, shapes and rectangle fills, with GDI's pixel rules: a line leaves out
// its last pixel, a shape covers [left, right) x [top, bottom) with its pen
// inside that box, and a shape without a pen is one pixel smaller.
#include <algorithm>
#include <cmath>

#include "gdi/paint.h"

namespace host::gdi {
namespace {

struct PenPaint {
  bool none = true;
  DWORD pixel = 0, bkPixel = 0;
  int width = 1, style = PS_SOLID, rop2 = R2_COPYPEN;
  bool opaqueGaps = false;
  int step = 0;  // position in the style pattern, carried across the segments of one figure
};

PenPaint RealizePen(const Target& t) {
  PenPaint p;
  p.rop2 = t.dc.a().rop2;
  auto* pen = t.dc.a().pen.as<PenObject>();
  if (!pen || pen->pen.lopnStyle == PS_NULL) return p;
  p.none = false;
  p.style = static_cast<int>(pen->pen.lopnStyle);
  p.width = std::max<int>(1, pen->pen.lopnWidth.x);
  p.pixel = ColourToPixel(t.dc, *t.surface, pen->pen.lopnColor);
  p.bkPixel = ColourToPixel(t.dc, *t.surface, t.dc.a().bkColor);
  p.opaqueGaps = t.dc.a().bkMode == OPAQUE;
  return p;
}

// Whether step `i` of a styled pen is drawn: on/off runs in pixels.
bool StyleOn(int style, int i) {
  static const int dash[] = {18, 6}, dot[] = {3, 3}, dashDot[] = {9, 6, 3, 6}, dashDotDot[] = {9, 3, 3, 3, 3, 3};
  const int* runs;
  int count;
  switch (style) {
    case PS_DASH:
      runs = dash, count = 2;
      break;
    case PS_DOT:
      runs = dot, count = 2;
      break;
    case PS_DASHDOT:
      runs = dashDot, count = 4;
      break;
    case PS_DASHDOTDOT:
      runs = dashDotDot, count = 6;
      break;
    default:
      return true;
  }
  int period = 0;
  for (int k = 0; k < count; ++k) period += runs[k];
  int at = i % period;
  for (int k = 0; k < count; ++k) {
    if (at < runs[k]) return k % 2 == 0;
    at -= runs[k];
  }
  return true;
}

void Stamp(Target& t, const PenPaint& pen, int x, int y, DWORD pixel) {
  if (pen.width == 1) {
    PlotRop2(t, x, y, pixel, pen.rop2);
    return;
  }
  int x0 = x - pen.width / 2, y0 = y - pen.width / 2;
  for (int yy = y0; yy < y0 + pen.width; ++yy) FillSpanRop2(t, yy, x0, x0 + pen.width, SolidPixels(pixel), pen.rop2);
}

// Bresenham from a to b, b left out (surface coordinates).
void Segment(Target& t, PenPaint& pen, POINT a, POINT b) {
  if (pen.none) return;
  int dx = std::abs(b.x - a.x), dy = std::abs(b.y - a.y);
  int sx = a.x < b.x ? 1 : -1, sy = a.y < b.y ? 1 : -1;
  int err = dx - dy, x = a.x, y = a.y;
  while (x != b.x || y != b.y) {
    if (StyleOn(pen.style, pen.step))
      Stamp(t, pen, x, y, pen.pixel);
    else if (pen.opaqueGaps)
      Stamp(t, pen, x, y, pen.bkPixel);
    ++pen.step;
    int e2 = 2 * err;
    if (e2 > -dy) {
      err -= dy;
      x += sx;
    }
    if (e2 < dx) {
      err += dx;
      y += sy;
    }
  }
}

// The pixel span of row y of a box with elliptic corners of radii rx, ry (0: square corners).
bool RoundSpan(const RECT& box, double rx, double ry, int y, int& x0, int& x1) {
  if (y < box.top || y >= box.bottom || box.left >= box.right) return false;
  double yc = y + 0.5, d = 0;
  if (ry > 0 && yc < box.top + ry) d = (box.top + ry - yc) / ry;
  if (ry > 0 && yc > box.bottom - ry) d = (yc - (box.bottom - ry)) / ry;
  if (d > 1) return false;
  double inset = rx - rx * std::sqrt(1 - d * d);
  x0 = static_cast<int>(std::ceil(box.left + inset - 0.5));
  x1 = static_cast<int>(std::floor(box.right - inset - 0.5)) + 1;
  return x0 < x1;
}

enum class ShapeKind { Rectangle, Ellipse, RoundRect };

BOOL DrawShape(HDC hdc, int left, int top, int right, int bottom, ShapeKind kind, int cornerW, int cornerH) {
  GdiGuard guard(GdiLock());
  Target t;
  if (!OpenTarget(hdc, t)) return FALSE;
  RECT box = RectToSurface(t.dc, left, top, right, bottom);
  POINT c0 = ToSurface(t.dc, 0, 0), c1 = ToSurface(t.dc, cornerW, cornerH);
  double rx = 0, ry = 0;
  if (kind == ShapeKind::RoundRect) {
    rx = std::min(std::abs(c1.x - c0.x) / 2.0, (box.right - box.left) / 2.0);
    ry = std::min(std::abs(c1.y - c0.y) / 2.0, (box.bottom - box.top) / 2.0);
  }
  PenPaint pen = RealizePen(t);
  BrushPixels brush = RealizeBrush(t.dc, *t.surface, static_cast<HBRUSH>(t.dc.a().brush.handle()), true);
  bool styled = !pen.none && pen.style >= PS_DASH && pen.style <= PS_DASHDOTDOT;
  int w = pen.none || styled ? 0 : pen.width;
  if (pen.none) {
    box.right -= 1;
    box.bottom -= 1;
  } else if (pen.style != PS_INSIDEFRAME && w > 1) {
    // A wide pen is centred on the outline.
    box.left -= w / 2;
    box.top -= w / 2;
    box.right += (w - 1) / 2;
    box.bottom += (w - 1) / 2;
  }
  if (kind == ShapeKind::Ellipse) {
    rx = (box.right - box.left) / 2.0;
    ry = (box.bottom - box.top) / 2.0;
  }
  if (styled) w = 1;
  RECT inner{box.left + w, box.top + w, box.right - w, box.bottom - w};
  double irx = std::max(0.0, rx - w), iry = std::max(0.0, ry - w);
  BrushPixels penPixels = SolidPixels(pen.pixel);
  for (int y = box.top; y < box.bottom; ++y) {
    int o0, o1, i0, i1;
    if (!RoundSpan(box, rx, ry, y, o0, o1)) continue;
    bool hasInner = RoundSpan(inner, irx, iry, y, i0, i1);
    if (hasInner) FillSpanRop2(t, y, i0, i1, brush, pen.rop2);
    if (w == 0 || styled) continue;
    if (hasInner) {
      FillSpanRop2(t, y, o0, i0, penPixels, pen.rop2);
      FillSpanRop2(t, y, i1, o1, penPixels, pen.rop2);
    } else {
      FillSpanRop2(t, y, o0, o1, penPixels, pen.rop2);
    }
  }
  if (styled) {
    POINT corners[5] = {{box.left, box.top},
                        {box.right - 1, box.top},
                        {box.right - 1, box.bottom - 1},
                        {box.left, box.bottom - 1},
                        {box.left, box.top}};
    for (int i = 0; i < 4; ++i) Segment(t, pen, corners[i], corners[i + 1]);
  }
  return TRUE;
}

// Scan-converts a polygon at pixel centres (surface coordinates).
void FillPolygon(Target& t, const std::vector<POINT>& pts, bool winding, const BrushPixels& brush, int rop2) {
  if (pts.size() < 3 || brush.none) return;
  LONG minY = pts[0].y, maxY = pts[0].y;
  for (const POINT& p : pts) minY = std::min(minY, p.y), maxY = std::max(maxY, p.y);
  struct Crossing {
    double x;
    int dir;
  };
  std::vector<Crossing> xs;
  for (LONG y = minY; y < maxY; ++y) {
    double yc = y + 0.5;
    xs.clear();
    for (size_t i = 0; i < pts.size(); ++i) {
      POINT a = pts[i], b = pts[(i + 1) % pts.size()];
      if (a.y == b.y) continue;
      double lo = std::min(a.y, b.y), hi = std::max(a.y, b.y);
      if (yc < lo || yc >= hi) continue;
      xs.push_back({a.x + (yc - a.y) * (b.x - a.x) / (b.y - a.y), b.y > a.y ? 1 : -1});
    }
    std::sort(xs.begin(), xs.end(), [](const Crossing& p, const Crossing& q) { return p.x < q.x; });
    int count = 0;
    for (size_t i = 0; i + 1 < xs.size(); ++i) {
      count += winding ? xs[i].dir : 1;
      bool inside = winding ? count != 0 : (count % 2) == 1;
      if (!inside) continue;
      int x0 = static_cast<int>(std::ceil(xs[i].x - 0.5)), x1 = static_cast<int>(std::ceil(xs[i + 1].x - 0.5));
      FillSpanRop2(t, static_cast<int>(y), x0, x1, brush, rop2);
    }
  }
}

// Lines through points in logical coordinates; the last point is left out.
BOOL DrawLines(HDC hdc, const POINT* pts, int count, bool fromCurrent, bool updateCurrent) {
  GdiGuard guard(GdiLock());
  Target t;
  if (!OpenTarget(hdc, t) || count < 0 || (count > 0 && !pts)) return FALSE;
  PenPaint pen = RealizePen(t);
  DcAttributes& a = t.dc.a();
  POINT from = fromCurrent ? a.position : (count > 0 ? pts[0] : a.position);
  for (int i = fromCurrent ? 0 : 1; i < count; ++i) {
    Segment(t, pen, ToSurface(t.dc, from.x, from.y), ToSurface(t.dc, pts[i].x, pts[i].y));
    from = pts[i];
  }
  if (updateCurrent) a.position = from;
  return TRUE;
}

BrushPixels SysColourPixels(const Target& t, int index) {
  return SolidPixels(ColourToPixel(t.dc, *t.surface, GetSysColor(index)));
}

// FillRect's brush: a handle, or a system colour index + 1.
BrushPixels FillBrush(const Target& t, HBRUSH hbr) {
  auto value = reinterpret_cast<ULONG_PTR>(hbr);
  if (value > 0 && value <= COLOR_INFOBK + 1) return SysColourPixels(t, static_cast<int>(value - 1));
  return RealizeBrush(t.dc, *t.surface, hbr, false);
}

void FrameWith(Target& t, const RECT& r, const BrushPixels& b, int thickness) {
  if (r.right - r.left <= 0 || r.bottom - r.top <= 0) return;
  PatternRect(t, {r.left, r.top, r.right, r.top + thickness}, b, 0xF0);
  PatternRect(t, {r.left, r.bottom - thickness, r.right, r.bottom}, b, 0xF0);
  PatternRect(t, {r.left, r.top + thickness, r.left + thickness, r.bottom - thickness}, b, 0xF0);
  PatternRect(t, {r.right - thickness, r.top + thickness, r.right, r.bottom - thickness}, b, 0xF0);
}

// One ring of DrawEdge: top and left first, then bottom and right over the corners they share.
void EdgeRing(Target& t, const RECT& r, UINT flags, int topLeft, int bottomRight) {
  BrushPixels tl = SysColourPixels(t, topLeft), br = SysColourPixels(t, bottomRight);
  if (flags & BF_TOP) PatternRect(t, {r.left, r.top, r.right, r.top + 1}, tl, 0xF0);
  if (flags & BF_LEFT) PatternRect(t, {r.left, r.top, r.left + 1, r.bottom}, tl, 0xF0);
  if (flags & BF_BOTTOM) PatternRect(t, {r.left, r.bottom - 1, r.right, r.bottom}, br, 0xF0);
  if (flags & BF_RIGHT) PatternRect(t, {r.right - 1, r.top, r.right, r.bottom}, br, 0xF0);
}

}  // namespace
}  // namespace host::gdi

using namespace host::gdi;

extern "C" {

BOOL WINAPI MoveToEx(HDC hdc, int x, int y, LPPOINT lppt) {
  GdiGuard guard(GdiLock());
  DcRef dc = LookupDcState(hdc);
  if (!dc) return FALSE;
  if (lppt) *lppt = dc.a().position;
  dc.a().position = {x, y};
  return TRUE;
}

BOOL WINAPI LineTo(HDC hdc, int x, int y) {
  POINT p{x, y};
  return DrawLines(hdc, &p, 1, true, true);
}

BOOL WINAPI Polyline(HDC hdc, const POINT* apt, int cpt) {
  if (cpt < 2) return FALSE;
  return DrawLines(hdc, apt, cpt, false, false);
}

BOOL WINAPI PolylineTo(HDC hdc, const POINT* apt, DWORD cpt) {
  return DrawLines(hdc, apt, static_cast<int>(cpt), true, true);
}

BOOL WINAPI Polygon(HDC hdc, const POINT* apt, int cpt) {
  GdiGuard guard(GdiLock());
  Target t;
  if (!OpenTarget(hdc, t) || cpt < 2 || !apt) return FALSE;
  std::vector<POINT> pts;
  for (int i = 0; i < cpt; ++i) pts.push_back(ToSurface(t.dc, apt[i].x, apt[i].y));
  BrushPixels brush = RealizeBrush(t.dc, *t.surface, static_cast<HBRUSH>(t.dc.a().brush.handle()), true);
  FillPolygon(t, pts, t.dc.a().polyFillMode == WINDING, brush, t.dc.a().rop2);
  PenPaint pen = RealizePen(t);
  for (int i = 0; i < cpt; ++i) Segment(t, pen, pts[i], pts[(i + 1) % cpt]);
  return TRUE;
}

BOOL WINAPI Rectangle(HDC hdc, int left, int top, int right, int bottom) {
  return DrawShape(hdc, left, top, right, bottom, ShapeKind::Rectangle, 0, 0);
}

BOOL WINAPI Ellipse(HDC hdc, int left, int top, int right, int bottom) {
  return DrawShape(hdc, left, top, right, bottom, ShapeKind::Ellipse, 0, 0);
}

BOOL WINAPI RoundRect(HDC hdc, int left, int top, int right, int bottom, int width, int height) {
  return DrawShape(hdc, left, top, right, bottom, ShapeKind::RoundRect, width, height);
}

int WINAPI FillRect(HDC hDC, const RECT* lprc, HBRUSH hbr) {
  GdiGuard guard(GdiLock());
  Target t;
  if (!lprc || !OpenTarget(hDC, t)) return 0;
  PatternRect(t, RectToSurface(t.dc, lprc->left, lprc->top, lprc->right, lprc->bottom), FillBrush(t, hbr), 0xF0);
  return 1;
}

int WINAPI FrameRect(HDC hDC, const RECT* lprc, HBRUSH hbr) {
  GdiGuard guard(GdiLock());
  Target t;
  if (!lprc || !OpenTarget(hDC, t)) return 0;
  FrameWith(t, RectToSurface(t.dc, lprc->left, lprc->top, lprc->right, lprc->bottom), FillBrush(t, hbr), 1);
  return 1;
}

BOOL WINAPI InvertRect(HDC hDC, const RECT* lprc) {
  GdiGuard guard(GdiLock());
  Target t;
  if (!lprc || !OpenTarget(hDC, t)) return FALSE;
  PatternRect(t, RectToSurface(t.dc, lprc->left, lprc->top, lprc->right, lprc->bottom), BrushPixels{}, 0x55);
  return TRUE;
}

// The focus rectangle inverts every other pixel of its outline, so drawing it twice restores the screen.
BOOL WINAPI DrawFocusRect(HDC hDC, const RECT* lprc) {
  GdiGuard guard(GdiLock());
  Target t;
  if (!lprc || !OpenTarget(hDC, t)) return FALSE;
  RECT r = RectToSurface(t.dc, lprc->left, lprc->top, lprc->right, lprc->bottom);
  if (r.right <= r.left || r.bottom <= r.top) return TRUE;
  Surface& s = *t.surface;
  auto flip = [&](int x, int y) {
    if (((x + y) & 1) == 0 && t.clip.Contains(x, y)) s.Put(x, y, ~s.Get(x, y) & s.Mask());
  };
  for (int x = r.left; x < r.right; ++x) {
    flip(x, r.top);
    if (r.bottom - 1 > r.top) flip(x, r.bottom - 1);
  }
  for (int y = r.top + 1; y < r.bottom - 1; ++y) {
    flip(r.left, y);
    if (r.right - 1 > r.left) flip(r.right - 1, y);
  }
  return TRUE;
}

BOOL WINAPI DrawEdge(HDC hdc, LPRECT qrc, UINT edge, UINT grfFlags) {
  GdiGuard guard(GdiLock());
  Target t;
  if (!qrc || !OpenTarget(hdc, t)) return FALSE;
  RECT r = RectToSurface(t.dc, qrc->left, qrc->top, qrc->right, qrc->bottom);
  int outerTL, outerBR, innerTL, innerBR;
  if (grfFlags & BF_MONO) {
    outerTL = outerBR = COLOR_WINDOWFRAME;
    innerTL = innerBR = COLOR_WINDOW;
  } else if (grfFlags & BF_FLAT) {
    outerTL = outerBR = COLOR_3DSHADOW;
    innerTL = innerBR = COLOR_3DFACE;
  } else {
    outerTL = (edge & BDR_RAISEDOUTER) ? COLOR_3DLIGHT : COLOR_3DSHADOW;
    outerBR = (edge & BDR_RAISEDOUTER) ? COLOR_3DDKSHADOW : COLOR_3DHILIGHT;
    innerTL = (edge & BDR_RAISEDINNER) ? COLOR_3DHILIGHT : COLOR_3DDKSHADOW;
    innerBR = (edge & BDR_RAISEDINNER) ? COLOR_3DSHADOW : COLOR_3DLIGHT;
  }
  auto shrink = [&](RECT& rc) {
    if (grfFlags & BF_LEFT) ++rc.left;
    if (grfFlags & BF_TOP) ++rc.top;
    if (grfFlags & BF_RIGHT) --rc.right;
    if (grfFlags & BF_BOTTOM) --rc.bottom;
  };
  int shrunk = 0;
  if (edge & BDR_OUTER) {
    EdgeRing(t, r, grfFlags, outerTL, outerBR);
    shrink(r);
    ++shrunk;
  }
  if (edge & BDR_INNER) {
    EdgeRing(t, r, grfFlags, innerTL, innerBR);
    shrink(r);
    ++shrunk;
  }
  if (grfFlags & BF_MIDDLE)
    PatternRect(t, r, SysColourPixels(t, (grfFlags & BF_MONO) ? COLOR_WINDOW : COLOR_3DFACE), 0xF0);
  if (grfFlags & BF_ADJUST)
    for (int i = 0; i < shrunk; ++i) shrink(*qrc);
  return TRUE;
}

BOOL WINAPI FillRgn(HDC hdc, HRGN hrgn, HBRUSH hbr) {
  GdiGuard guard(GdiLock());
  Target t;
  auto region = LookupAs<RegionObject>(hrgn);
  if (!region || !OpenTarget(hdc, t)) return FALSE;
  BrushPixels brush = FillBrush(t, hbr);
  for (const RECT& r : region->region.rects)
    PatternRect(t, RectToSurface(t.dc, r.left, r.top, r.right, r.bottom), brush, 0xF0);
  return TRUE;
}

}  // extern "C"
