// The pixel engine: brushes as pixels, clipped spans, and the blits with
// ternary raster operations, colour conversion and stretching.
#include <algorithm>
#include <cstring>

#include <host/thunk16.h>

#include "gdi/paint.h"

namespace host::gdi {
namespace {

// 8 x 8 hatch patterns, one byte per row, bit 7 the leftmost pixel.
constexpr BYTE kHatch[6][8] = {
    {0x00, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x00, 0x00},  // HS_HORIZONTAL
    {0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08},  // HS_VERTICAL
    {0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01},  // HS_FDIAGONAL
    {0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80},  // HS_BDIAGONAL
    {0x08, 0x08, 0x08, 0xFF, 0x08, 0x08, 0x08, 0x08},  // HS_CROSS
    {0x81, 0x42, 0x24, 0x18, 0x18, 0x24, 0x42, 0x81},  // HS_DIAGCROSS
};

bool SameFormat(const Surface& a, const Surface& b) {
  if (a.bpp != b.bpp || a.rgb565 != b.rgb565) return false;
  if (a.bpp > 8) return true;
  if (a.colours == b.colours) return true;
  if (a.bpp == 1 && !a.dib && !b.dib) return true;
  return a.colours && b.colours && a.colours->size() == b.colours->size() &&
         std::equal(a.colours->begin(), a.colours->end(), b.colours->begin(), [](const RGBQUAD& x, const RGBQUAD& y) {
           return x.rgbRed == y.rgbRed && x.rgbGreen == y.rgbGreen && x.rgbBlue == y.rgbBlue;
         });
}

// Source pixel to destination pixel, with the monochrome rules of the DCs.
class Converter {
 public:
  Converter(const Target& dst, const BlitSource& src) : s_(*src.surface), d_(*dst.surface) {
    if (SameFormat(s_, d_)) {
      kind_ = Kind::Same;
    } else if (s_.bpp == 1 && !s_.dib) {
      kind_ = Kind::Table;  // mono to colour: 0 takes the text colour, 1 the background colour
      table_ = {ColourToPixel(dst.dc, d_, dst.dc.a().textColor), ColourToPixel(dst.dc, d_, dst.dc.a().bkColor)};
    } else if (d_.bpp == 1 && !d_.dib && src.hasBkPixel) {
      kind_ = Kind::ToMono;  // colour to mono: the source's background colour becomes 1
      bk_ = src.bkPixel;
    } else if (s_.bpp <= 8) {
      kind_ = Kind::Table;
      for (DWORD i = 0; i < (1u << s_.bpp); ++i) table_.push_back(d_.FromColour(s_.ToColour(i)));
    } else {
      kind_ = Kind::Colour;
    }
  }
  bool same() const { return kind_ == Kind::Same; }
  DWORD operator()(DWORD v) {
    switch (kind_) {
      case Kind::Same:
        return v;
      case Kind::Table:
        return v < table_.size() ? table_[v] : 0;
      case Kind::ToMono:
        return v == bk_ ? 1 : 0;
      default:
        if (!cached_ || v != lastIn_) {
          lastIn_ = v;
          lastOut_ = d_.FromColour(s_.ToColour(v));
          cached_ = true;
        }
        return lastOut_;
    }
  }

 private:
  enum class Kind { Same, Table, ToMono, Colour } kind_;
  const Surface& s_;
  const Surface& d_;
  std::vector<DWORD> table_;
  DWORD bk_ = 0, lastIn_ = 0, lastOut_ = 0;
  bool cached_ = false;
};

// Source offsets for each destination column of a stretch: the block [first, last) it covers.
struct Axis {
  std::vector<int> first, last;
};
Axis MapAxis(int dstLength, int srcLength, bool flip) {
  Axis axis;
  axis.first.resize(dstLength);
  axis.last.resize(dstLength);
  for (int i = 0; i < dstLength; ++i) {
    long long a = static_cast<long long>(i) * srcLength / dstLength;
    long long b = static_cast<long long>(i + 1) * srcLength / dstLength;
    long long centre = (2ll * i + 1) * srcLength / (2ll * dstLength);
    if (b <= a) b = a + 1;
    int f = static_cast<int>(srcLength > dstLength ? a : centre),
        l = static_cast<int>(srcLength > dstLength ? b : centre + 1);
    if (flip) {
      int nf = srcLength - l, nl = srcLength - f;
      f = nf;
      l = nl;
    }
    axis.first[i] = f;
    axis.last[i] = l;
  }
  return axis;
}

// A negative extent runs from x down to x + w, x included and x + w left out (the mirroring idiom
// StretchBlt(dc, w - 1, 0, -w, ...) fills [0, w)).
void Normalise(int& x, int& w, bool& flip) {
  if (w < 0) {
    x += w + 1;
    w = -w;
    flip = !flip;
  }
}

RECT Intersect(const RECT& a, const RECT& b) {
  return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
}

bool CopyRowsFast(Target& dst, const RECT& part, const Surface& s, int sx, int sy) {
  Surface& d = *dst.surface;
  if (d.bpp < 8) return false;
  int bytesPerPixel = d.bpp / 8;
  size_t n = static_cast<size_t>(part.right - part.left) * bytesPerPixel;
  for (int y = part.top; y < part.bottom; ++y)
    std::memmove(d.Row(y) + part.left * bytesPerPixel, s.Row(sy + (y - part.top)) + sx * bytesPerPixel, n);
  return true;
}

}  // namespace

bool OpenTarget(HDC hdc, Target& target) {
  target.dc = LookupDcState(hdc);
  if (!target.dc) return false;
  target.surface = target.dc.surface();
  if (!target.surface) return false;
  target.clip = EffectiveClip(target.dc);
  return true;
}

BrushPixels SolidPixels(DWORD value) {
  BrushPixels b;
  b.none = false;
  b.solid = true;
  b.value = value;
  return b;
}

BrushPixels RealizeBrush(const DcRef& dc, const Surface& surface, HBRUSH handle, bool transparentHatch) {
  BrushPixels b;
  auto brush = LookupAs<BrushObject>(handle);
  if (!brush || brush->brush.lbStyle == BS_NULL) return b;
  const LOGBRUSH& lb = brush->brush;
  if (lb.lbStyle == BS_SOLID) return SolidPixels(ColourToPixel(dc, surface, lb.lbColor));
  b.none = false;
  b.orgX = dc.state->origin.x + dc.a().brushOrg.x;
  b.orgY = dc.state->origin.y + dc.a().brushOrg.y;
  if (lb.lbStyle == BS_HATCHED) {
    b.w = b.h = 8;
    DWORD fore = ColourToPixel(dc, surface, lb.lbColor), back = ColourToPixel(dc, surface, dc.a().bkColor);
    bool gapsShow = !transparentHatch || dc.a().bkMode == OPAQUE;
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 8; ++x) {
        bool line = (kHatch[lb.lbHatch % 6][y] >> (7 - x)) & 1;
        b.pixels.push_back(line ? fore : back);
        b.opaque.push_back(line || gapsShow);
      }
    return b;
  }
  const Surface& p = *brush->pattern;
  b.w = p.width;
  b.h = p.height;
  DWORD zero = ColourToPixel(dc, surface, dc.a().textColor), one = ColourToPixel(dc, surface, dc.a().bkColor);
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x) {
      DWORD v = p.Get(x, y);
      if (p.bpp == 1 && !p.dib)
        v = v ? one : zero;
      else if (!SameFormat(p, surface))
        v = surface.FromColour(p.ToColour(v));
      b.pixels.push_back(v);
      b.opaque.push_back(1);
    }
  return b;
}

void PlotRop2(Target& t, int x, int y, DWORD pixel, int rop2) {
  if (!t.clip.Contains(x, y)) return;
  Surface& s = *t.surface;
  s.Put(x, y, rop2 == R2_COPYPEN ? pixel : Rop2(rop2, pixel, s.Get(x, y)) & s.Mask());
}

void FillSpanRop2(Target& t, int y, int x0, int x1, const BrushPixels& paint, int rop2) {
  if (paint.none || x0 >= x1) return;
  Surface& s = *t.surface;
  DWORD mask = s.Mask();
  for (const RECT& r : t.clip.rects) {
    if (r.top > y) break;
    if (y >= r.bottom) continue;
    int a = std::max<int>(x0, r.left), b = std::min<int>(x1, r.right);
    if (a >= b) continue;
    if (paint.solid && rop2 == R2_COPYPEN) {
      s.FillSpan(y, a, b, paint.value);
      continue;
    }
    for (int x = a; x < b; ++x) {
      DWORD p;
      if (paint.At(x, y, p)) s.Put(x, y, rop2 == R2_COPYPEN ? p : Rop2(rop2, p, s.Get(x, y)) & mask);
    }
  }
}

void PatternRect(Target& t, const RECT& rect, const BrushPixels& pattern, unsigned rop3) {
  if (pattern.none && RopUsesPattern(rop3)) return;  // a null brush paints nothing
  Surface& s = *t.surface;
  DWORD mask = s.Mask();
  for (const RECT& c : t.clip.rects) {
    RECT r = Intersect(c, rect);
    if (r.left >= r.right || r.top >= r.bottom) continue;
    for (int y = r.top; y < r.bottom; ++y) {
      if (rop3 == 0xF0 && pattern.solid) {
        s.FillSpan(y, r.left, r.right, pattern.value);
        continue;
      }
      for (int x = r.left; x < r.right; ++x) {
        DWORD p = 0;
        pattern.At(x, y, p);
        s.Put(x, y, Rop3(rop3, p, 0, s.Get(x, y)) & mask);
      }
    }
  }
}

void Blit(Target& dst, int dx, int dy, int dw, int dh, const BlitSource* src, int sx, int sy, int sw, int sh, DWORD rop,
          int stretchMode) {
  unsigned code = (rop >> 16) & 0xFF;
  bool useSource = RopUsesSource(code) && src && src->surface;
  if (!useSource) {
    sw = dw;
    sh = dh;
  }
  bool flipX = false, flipY = false;
  Normalise(dx, dw, flipX);
  Normalise(dy, dh, flipY);
  Normalise(sx, sw, flipX);
  Normalise(sy, sh, flipY);
  if (dw == 0 || dh == 0 || sw == 0 || sh == 0) return;
  Surface& d = *dst.surface;
  BrushPixels pattern;
  if (RopUsesPattern(code)) pattern = RealizeBrush(dst.dc, d, static_cast<HBRUSH>(dst.dc.a().brush.handle()), false);
  if (!useSource) {
    PatternRect(dst, {dx, dy, dx + dw, dy + dh}, pattern, code);
    return;
  }
  // A source that overlaps its destination is read from a copy of itself.
  std::shared_ptr<Surface> copy;
  const Surface* s = src->surface;
  if (s == &d) {
    copy = std::make_shared<Surface>(*s);
    s = copy.get();
  }
  BlitSource source = *src;
  source.surface = s;
  Converter convert(dst, source);
  bool stretched = sw != dw || sh != dh;
  RECT destRect{dx, dy, dx + dw, dy + dh};
  if (!stretched && !flipX && !flipY && code == 0xCC && convert.same()) {
    RECT sourceInDest = Intersect(destRect, {dx - sx, dy - sy, dx - sx + s->width, dy - sy + s->height});
    bool done = true;
    for (const RECT& c : dst.clip.rects) {
      RECT part = Intersect(c, sourceInDest);
      if (part.left >= part.right || part.top >= part.bottom) continue;
      done = CopyRowsFast(dst, part, *s, sx + part.left - dx, sy + part.top - dy) && done;
      if (!done) break;
    }
    if (done) return;
  }
  Axis xs = MapAxis(dw, sw, flipX), ys = MapAxis(dh, sh, flipY);
  bool combine = s->bpp == 1 && (stretchMode == BLACKONWHITE || stretchMode == WHITEONBLACK);
  bool average = stretchMode == HALFTONE && (sw > dw || sh > dh);
  DWORD mask = d.Mask();
  auto sourcePixel = [&](int i, int j, DWORD& out) {
    int x0 = sx + xs.first[i], y0 = sy + ys.first[j];
    if (x0 < 0 || y0 < 0 || x0 >= s->width || y0 >= s->height) return false;
    if (combine) {
      DWORD v = s->Get(x0, y0);
      int x1 = std::min(sx + xs.last[i], s->width), y1 = std::min(sy + ys.last[j], s->height);
      for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) v = stretchMode == BLACKONWHITE ? v & s->Get(x, y) : v | s->Get(x, y);
      out = convert(v);
    } else if (average) {
      int x1 = std::min(sx + xs.last[i], s->width), y1 = std::min(sy + ys.last[j], s->height);
      unsigned r = 0, g = 0, b = 0, n = 0;
      for (int y = y0; y < y1; ++y) {
        if (s->bpp == 32) {  // fast path: channels straight from the pixels
          const DWORD* row = reinterpret_cast<const DWORD*>(s->Row(y));
          for (int x = x0; x < x1; ++x, ++n) {
            r += (row[x] >> 16) & 0xFF;
            g += (row[x] >> 8) & 0xFF;
            b += row[x] & 0xFF;
          }
          continue;
        }
        for (int x = x0; x < x1; ++x, ++n) {
          COLORREF c = s->ToColour(s->Get(x, y));
          r += GetRValue(c);
          g += GetGValue(c);
          b += GetBValue(c);
        }
      }
      out = d.FromColour(RGB(r / n, g / n, b / n));
    } else {
      out = convert(s->Get(x0, y0));
    }
    return true;
  };
  for (const RECT& c : dst.clip.rects) {
    RECT part = Intersect(c, destRect);
    for (int y = part.top; y < part.bottom; ++y) {
      int j = y - dy;
      bool fast32 = code == 0xCC && convert.same() && d.bpp == 32 && !combine && !average;
      if (fast32) {
        int row = sy + ys.first[j];
        if (row < 0 || row >= s->height) continue;
        const DWORD* in = reinterpret_cast<const DWORD*>(s->Row(row));
        DWORD* out = reinterpret_cast<DWORD*>(d.Row(y));
        for (int x = part.left; x < part.right; ++x) {
          int col = sx + xs.first[x - dx];
          if (col >= 0 && col < s->width) out[x] = in[col];
        }
        continue;
      }
      for (int x = part.left; x < part.right; ++x) {
        DWORD sv;
        if (!sourcePixel(x - dx, j, sv)) continue;
        DWORD p = 0;
        pattern.At(x, y, p);
        d.Put(x, y, (code == 0xCC ? sv : Rop3(code, p, sv, d.Get(x, y))) & mask);
      }
    }
  }
}

}  // namespace host::gdi

using namespace host::gdi;

namespace {

// A blit between two DCs in their logical coordinates.
BOOL BlitDCs(HDC hdcDest, int xDest, int yDest, int wDest, int hDest, HDC hdcSrc, int xSrc, int ySrc, int wSrc,
             int hSrc, DWORD rop) {
  GdiGuard guard(GdiLock());
  Target dst;
  if (!OpenTarget(hdcDest, dst)) return FALSE;
  POINT d0 = ToSurface(dst.dc, xDest, yDest), d1 = ToSurface(dst.dc, xDest + wDest, yDest + hDest);
  unsigned code = (rop >> 16) & 0xFF;
  if (!RopUsesSource(code)) {
    Blit(dst, d0.x, d0.y, d1.x - d0.x, d1.y - d0.y, nullptr, 0, 0, 0, 0, rop, dst.dc.a().stretchMode);
    return TRUE;
  }
  DcRef src = LookupDcState(hdcSrc);
  auto surface = src ? src.surface() : nullptr;
  if (!surface) return FALSE;
  POINT s0 = ToSurface(src, xSrc, ySrc), s1 = ToSurface(src, xSrc + wSrc, ySrc + hSrc);
  BlitSource source;
  source.surface = surface.get();
  source.bkPixel = ColourToPixel(src, *surface, src.a().bkColor);
  source.hasBkPixel = true;
  Blit(dst, d0.x, d0.y, d1.x - d0.x, d1.y - d0.y, &source, s0.x, s0.y, s1.x - s0.x, s1.y - s0.y, rop,
       dst.dc.a().stretchMode);
  return TRUE;
}

// The pieces of a window DC's target rectangle that show, in screen coordinates; false for other DCs.
bool VisibleTargetPieces(HDC hdc, int x, int y, int cx, int cy, std::vector<RECT>* pieces) {
  GdiGuard guard(GdiLock());
  Target dst;
  if (!OpenTarget(hdc, dst) || dst.dc.dc->kind != DcKind::Window) return false;
  POINT a = ToSurface(dst.dc, x, y), b = ToSurface(dst.dc, x + cx, y + cy);
  RECT target{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
  for (const RECT& r : dst.clip.rects) {
    RECT piece;
    if (IntersectRect(&piece, &r, &target)) pieces->push_back(piece);
  }
  return true;
}

}  // namespace

extern "C" {

// While the 16-bit acceleration library captures clip rectangles, a blit onto a window DC only tells it
// which pieces of the target would show.
BOOL WINAPI BitBlt(HDC hdc, int x, int y, int cx, int cy, HDC hdcSrc, int x1, int y1, DWORD rop) {
  if (host::thunk16::BlitCaptureOn()) {
    std::vector<RECT> pieces;
    if (VisibleTargetPieces(hdc, x, y, cx, cy, &pieces) && host::thunk16::DeliverBlitCapture(pieces)) return TRUE;
  }
  return BlitDCs(hdc, x, y, cx, cy, hdcSrc, x1, y1, cx, cy, rop);
}

BOOL WINAPI StretchBlt(HDC hdcDest, int xDest, int yDest, int wDest, int hDest, HDC hdcSrc, int xSrc, int ySrc,
                       int wSrc, int hSrc, DWORD rop) {
  return BlitDCs(hdcDest, xDest, yDest, wDest, hDest, hdcSrc, xSrc, ySrc, wSrc, hSrc, rop);
}

BOOL WINAPI PatBlt(HDC hdc, int x, int y, int w, int h, DWORD rop) {
  if (RopUsesSource((rop >> 16) & 0xFF)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return BlitDCs(hdc, x, y, w, h, nullptr, 0, 0, 0, 0, rop);
}

COLORREF WINAPI SetPixel(HDC hdc, int x, int y, COLORREF color) {
  GdiGuard guard(GdiLock());
  Target t;
  if (!OpenTarget(hdc, t)) return CLR_INVALID;
  POINT p = ToSurface(t.dc, x, y);
  if (!t.clip.Contains(p.x, p.y)) return CLR_INVALID;
  DWORD pixel = ColourToPixel(t.dc, *t.surface, color);
  t.surface->Put(p.x, p.y, pixel);
  return t.surface->ToColour(pixel);
}

COLORREF WINAPI GetPixel(HDC hdc, int x, int y) {
  GdiGuard guard(GdiLock());
  Target t;
  if (!OpenTarget(hdc, t)) return CLR_INVALID;
  POINT p = ToSurface(t.dc, x, y);
  if (!t.clip.Contains(p.x, p.y)) return CLR_INVALID;
  return t.surface->ToColour(t.surface->Get(p.x, p.y));
}

}  // extern "C"
