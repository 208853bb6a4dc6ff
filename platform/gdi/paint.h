// The pixel engine shared by the drawing calls: a DC's surface and clip as a
// target, brushes realised for a surface, raster operations and clipped spans.
#pragma once

#include "gdi/objects.h"

namespace host::gdi {

struct Target {
  DcRef dc;
  std::shared_ptr<Surface> surface;
  Region clip;  // surface coordinates
};
// Locks nothing: callers hold GdiLock(). false for a bad DC or a DC without a surface.
bool OpenTarget(HDC hdc, Target& target);

// ROP2 (R2_BLACK .. R2_WHITE) of pen P and destination D, bit by bit.
inline DWORD Rop2(int rop2, DWORD p, DWORD d) {
  unsigned n = static_cast<unsigned>(rop2 - 1);
  DWORD r = 0;
  if (n & 1) r |= ~p & ~d;
  if (n & 2) r |= ~p & d;
  if (n & 4) r |= p & ~d;
  if (n & 8) r |= p & d;
  return r;
}

// Ternary raster operation: bit (P << 2 | S << 1 | D) of the code's byte is the result.
inline DWORD Rop3(unsigned code, DWORD p, DWORD s, DWORD d) {
  switch (code) {
    case 0x00:
      return 0;
    case 0xFF:
      return ~0u;
    case 0xCC:
      return s;
    case 0xF0:
      return p;
    case 0x66:
      return s ^ d;
    case 0x88:
      return s & d;
    case 0xEE:
      return s | d;
    case 0x5A:
      return p ^ d;
    case 0x55:
      return ~d;
    case 0x33:
      return ~s;
    default:
      break;
  }
  DWORD r = 0;
  if (code & 0x01) r |= ~p & ~s & ~d;
  if (code & 0x02) r |= ~p & ~s & d;
  if (code & 0x04) r |= ~p & s & ~d;
  if (code & 0x08) r |= ~p & s & d;
  if (code & 0x10) r |= p & ~s & ~d;
  if (code & 0x20) r |= p & ~s & d;
  if (code & 0x40) r |= p & s & ~d;
  if (code & 0x80) r |= p & s & d;
  return r;
}
inline bool RopUsesSource(unsigned code) { return ((code >> 2) ^ code) & 0x33; }
inline bool RopUsesPattern(unsigned code) { return ((code >> 4) ^ code) & 0x0F; }

// A brush as pixels of one surface; `At` answers false where a hatch brush leaves the background alone.
struct BrushPixels {
  bool none = true;
  bool solid = false;
  DWORD value = 0;
  int w = 1, h = 1, orgX = 0, orgY = 0;
  std::vector<DWORD> pixels;
  std::vector<BYTE> opaque;
  bool At(int x, int y, DWORD& out) const {
    if (none) return false;
    if (solid) {
      out = value;
      return true;
    }
    int px = ((x - orgX) % w + w) % w, py = ((y - orgY) % h + h) % h;
    size_t i = static_cast<size_t>(py) * w + px;
    if (!opaque[i]) return false;
    out = pixels[i];
    return true;
  }
};
// `transparentHatch`: honour TRANSPARENT background mode for hatch gaps (shapes do, PatBlt does not).
BrushPixels RealizeBrush(const DcRef& dc, const Surface& surface, HBRUSH brush, bool transparentHatch);
BrushPixels SolidPixels(DWORD value);

// Clipped horizontal span [x0, x1) on row y with a ROP2.
void FillSpanRop2(Target& t, int y, int x0, int x1, const BrushPixels& paint, int rop2);
void PlotRop2(Target& t, int x, int y, DWORD pixel, int rop2);
// A surface rectangle with a ternary raster operation without a source (PatBlt, FillRect).
void PatternRect(Target& t, const RECT& r, const BrushPixels& pattern, unsigned rop3);

// A temporary DIB surface from a BITMAPINFO and its bits; null for a bad header.
std::shared_ptr<Surface> SurfaceFromDib(const BITMAPINFO* info, const void* bits, UINT usage, const DcRef* dc);

// The blit engine: dest (surface coordinates, sizes may be negative for mirroring) from a source surface.
struct BlitSource {
  const Surface* surface = nullptr;
  DWORD bkPixel = 0;  // the source DC's background colour as a source pixel (colour to mono)
  bool hasBkPixel = false;
};
void Blit(Target& dst, int dx, int dy, int dw, int dh, const BlitSource* src, int sx, int sy, int sw, int sh, DWORD rop,
          int stretchMode);

}  // namespace host::gdi
