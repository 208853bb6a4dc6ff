// Logical palettes and their realisation into the 8-bpp system palette:
// entries 0-9 and 246-255 are the static colours, the 236 between them are
// handed out to realised palettes, the foreground one first.
#include <host/station.h>

#include <algorithm>
#include <climits>

#include "gdi/paint.h"

namespace host::gdi {
namespace {

constexpr int kFirstFree = 10, kLastFree = 245;

struct SystemUse {
  std::vector<BYTE> taken = std::vector<BYTE>(256, 0);     // 1: holds a realised colour
  std::vector<BYTE> reserved = std::vector<BYTE>(256, 0);  // 1: a PC_RESERVED colour, never shared
};

SystemUse& U() {
  static SystemUse use;
  return use;
}

void Reset() {
  GdiGuard guard(GdiLock());
  U() = SystemUse{};
}

const bool kRegistered = [] {
  RegisterStationHook(31, Reset, Reset);
  return true;
}();

bool IsStatic(int i) { return i < kFirstFree || i > kLastFree; }

int FindExact(const ColourTable& table, const PALETTEENTRY& e) {
  for (int i = 0; i < 256; ++i) {
    if (!IsStatic(i) && (!U().taken[i] || U().reserved[i])) continue;
    const RGBQUAD& q = table[i];
    if (q.rgbRed == e.peRed && q.rgbGreen == e.peGreen && q.rgbBlue == e.peBlue) return i;
  }
  return -1;
}

int Nearest(const ColourTable& table, const PALETTEENTRY& e) {
  int best = 0, bestDistance = INT_MAX;
  for (int i = 0; i < 256; ++i) {
    if (!IsStatic(i) && !U().taken[i]) continue;
    const RGBQUAD& q = table[i];
    int dr = q.rgbRed - e.peRed, dg = q.rgbGreen - e.peGreen, db = q.rgbBlue - e.peBlue;
    int d = dr * dr + dg * dg + db * db;
    if (d < bestDistance) bestDistance = d, best = i;
  }
  return best;
}

// Maps each entry to a system index; new colours take free entries. Returns how many were taken.
UINT Realize(PaletteObject& palette, bool foreground) {
  auto table = SystemPalette();
  if (foreground) U() = SystemUse{};  // the foreground palette gets the whole free range
  UINT added = 0;
  palette.systemIndex.assign(palette.entries.size(), 0);
  for (size_t k = 0; k < palette.entries.size(); ++k) {
    const PALETTEENTRY& e = palette.entries[k];
    if (e.peFlags & PC_EXPLICIT) {
      palette.systemIndex[k] = (e.peRed | (e.peGreen << 8)) & 0xFF;
      continue;
    }
    bool own = e.peFlags & (PC_RESERVED | PC_NOCOLLAPSE);
    int index = own ? -1 : FindExact(*table, e);
    if (index < 0) {
      for (int i = kFirstFree; i <= kLastFree; ++i)
        if (!U().taken[i]) {
          index = i;
          break;
        }
      if (index >= 0) {
        (*table)[index] = {e.peBlue, e.peGreen, e.peRed, 0};
        U().taken[index] = 1;
        U().reserved[index] = (e.peFlags & PC_RESERVED) ? 1 : 0;
        ++added;
      } else {
        index = Nearest(*table, e);
      }
    }
    palette.systemIndex[k] = index;
  }
  return added;
}

std::shared_ptr<PaletteObject> FindPalette(HPALETTE hpal) {
  auto palette = LookupAs<PaletteObject>(hpal);
  if (!palette) SetLastError(ERROR_INVALID_HANDLE);
  return palette;
}

}  // namespace
}  // namespace host::gdi

using namespace host::gdi;

extern "C" {

HPALETTE WINAPI CreatePalette(const LOGPALETTE* plpal) {
  if (!plpal || plpal->palVersion != 0x300 || plpal->palNumEntries == 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto palette = std::make_shared<PaletteObject>();
  palette->entries.assign(plpal->palPalEntry, plpal->palPalEntry + plpal->palNumEntries);
  return static_cast<HPALETTE>(AddObject(palette));
}

HPALETTE WINAPI SelectPalette(HDC hdc, HPALETTE hPal, BOOL bForceBkgd) {
  GdiGuard guard(GdiLock());
  DcRef dc = LookupDcState(hdc);
  auto palette = FindPalette(hPal);
  if (!dc || !palette) return nullptr;
  HGDIOBJ previous = dc.a().palette.handle();
  dc.a().palette = Selection(hPal, palette);
  dc.a().paletteBackground = bForceBkgd != FALSE;
  return static_cast<HPALETTE>(previous);
}

UINT WINAPI RealizePalette(HDC hdc) {
  GdiGuard guard(GdiLock());
  DcRef dc = LookupDcState(hdc);
  if (!dc) return GDI_ERROR;
  auto* palette = dc.a().palette.as<PaletteObject>();
  if (!palette || palette == LookupAs<PaletteObject>(GetStockObject(DEFAULT_PALETTE)).get()) return 0;
  if (ScreenDepth() != 8) {
    // Without a palette device the entries only map to the nearest colours.
    palette->systemIndex.clear();
    return 0;
  }
  return Realize(*palette, !dc.a().paletteBackground);
}

UINT WINAPI GetPaletteEntries(HPALETTE hpal, UINT iStart, UINT cEntries, LPPALETTEENTRY pPalEntries) {
  GdiGuard guard(GdiLock());
  auto palette = FindPalette(hpal);
  if (!palette) return 0;
  UINT size = static_cast<UINT>(palette->entries.size());
  if (!pPalEntries) return size;
  if (iStart >= size) return 0;
  UINT n = std::min(cEntries, size - iStart);
  std::copy_n(palette->entries.begin() + iStart, n, pPalEntries);
  return n;
}

UINT WINAPI SetPaletteEntries(HPALETTE hpal, UINT iStart, UINT cEntries, const PALETTEENTRY* pPalEntries) {
  GdiGuard guard(GdiLock());
  auto palette = FindPalette(hpal);
  if (!palette || !pPalEntries || palette->stock) return 0;
  UINT size = static_cast<UINT>(palette->entries.size());
  if (iStart >= size) return 0;
  UINT n = std::min(cEntries, size - iStart);
  std::copy_n(pPalEntries, n, palette->entries.begin() + iStart);
  return n;
}

UINT WINAPI GetSystemPaletteEntries(HDC hdc, UINT iStart, UINT cEntries, LPPALETTEENTRY pPalEntries) {
  GdiGuard guard(GdiLock());
  if (!LookupDcState(hdc) || ScreenDepth() != 8) return 0;
  if (!pPalEntries) return 256;
  if (iStart >= 256) return 0;
  UINT n = std::min(cEntries, 256 - iStart);
  auto table = SystemPalette();
  for (UINT i = 0; i < n; ++i) {
    const RGBQUAD& q = (*table)[iStart + i];
    pPalEntries[i] = {q.rgbRed, q.rgbGreen, q.rgbBlue, 0};
  }
  return n;
}

UINT WINAPI GetNearestPaletteIndex(HPALETTE h, COLORREF color) {
  GdiGuard guard(GdiLock());
  auto palette = FindPalette(h);
  if (!palette) return CLR_INVALID;
  UINT best = 0;
  int bestDistance = INT_MAX;
  for (size_t i = 0; i < palette->entries.size(); ++i) {
    const PALETTEENTRY& e = palette->entries[i];
    int dr = e.peRed - GetRValue(color), dg = e.peGreen - GetGValue(color), db = e.peBlue - GetBValue(color);
    int d = dr * dr + dg * dg + db * db;
    if (d < bestDistance) bestDistance = d, best = static_cast<UINT>(i);
  }
  return best;
}

COLORREF WINAPI GetNearestColor(HDC hdc, COLORREF color) {
  GdiGuard guard(GdiLock());
  DcRef dc = LookupDcState(hdc);
  auto surface = dc ? dc.surface() : nullptr;
  if (!surface) return CLR_INVALID;
  return surface->ToColour(ColourToPixel(dc, *surface, color));
}

// Changes PC_RESERVED entries in place; a realised palette changes the screen's colours at once.
BOOL WINAPI AnimatePalette(HPALETTE hPal, UINT iStartIndex, UINT cEntries, const PALETTEENTRY* ppe) {
  GdiGuard guard(GdiLock());
  auto palette = FindPalette(hPal);
  if (!palette || !ppe) return FALSE;
  UINT size = static_cast<UINT>(palette->entries.size());
  if (iStartIndex >= size) return FALSE;
  UINT n = std::min(cEntries, size - iStartIndex);
  auto table = SystemPalette();
  for (UINT i = 0; i < n; ++i) {
    PALETTEENTRY& e = palette->entries[iStartIndex + i];
    if (!(e.peFlags & PC_RESERVED)) continue;
    e.peRed = ppe[i].peRed;
    e.peGreen = ppe[i].peGreen;
    e.peBlue = ppe[i].peBlue;
    size_t k = iStartIndex + i;
    if (k < palette->systemIndex.size() && U().reserved[palette->systemIndex[k]])
      (*table)[palette->systemIndex[k]] = {e.peBlue, e.peGreen, e.peRed, 0};
  }
  return TRUE;
}

BOOL WINAPI UnrealizeObject(HGDIOBJ h) {
  GdiGuard guard(GdiLock());
  auto object = LookupAs<DrawObject>(h);
  if (!object) return FALSE;
  if (auto* palette = dynamic_cast<PaletteObject*>(object.get())) palette->systemIndex.clear();
  return TRUE;
}

}  // extern "C"
