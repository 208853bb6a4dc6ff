// Bitmaps: device-dependent bitmaps, DIB sections and the DIB transfer calls.
#include <algorithm>
#include <cstring>

#include "gdi/paint.h"

namespace host::gdi {
namespace {

struct DibFormat {
  int width = 0, height = 0, bpp = 0;  // height < 0: top-down
  bool rgb565 = false;
  ColourTable colours;
  int Rows() const { return height < 0 ? -height : height; }
};

// The header's format; false for a header the system does not take.
bool ReadDibFormat(const BITMAPINFO* info, UINT usage, const DcRef* dc, DibFormat& f) {
  if (!info) return false;
  const BITMAPINFOHEADER& h = info->bmiHeader;
  if (h.biSize < sizeof(BITMAPINFOHEADER) || h.biWidth <= 0 || h.biHeight == 0 || h.biPlanes != 1) return false;
  f.width = h.biWidth;
  f.height = h.biHeight;
  f.bpp = h.biBitCount;
  if (f.bpp != 1 && f.bpp != 4 && f.bpp != 8 && f.bpp != 16 && f.bpp != 24 && f.bpp != 32) return false;
  const BYTE* after = reinterpret_cast<const BYTE*>(info) + h.biSize;
  if (h.biCompression == BI_BITFIELDS) {
    DWORD masks[3];
    std::memcpy(masks, after, sizeof masks);
    if (f.bpp == 16 && masks[0] == 0xF800 && masks[1] == 0x07E0 && masks[2] == 0x001F)
      f.rgb565 = true;
    else if (!(f.bpp == 16 && masks[0] == 0x7C00 && masks[1] == 0x03E0 && masks[2] == 0x001F) &&
             !(f.bpp == 32 && masks[0] == 0xFF0000 && masks[1] == 0xFF00 && masks[2] == 0xFF))
      return false;
  } else if (h.biCompression != BI_RGB) {
    return false;
  }
  if (f.bpp > 8) return true;
  int count = 1 << f.bpp;
  if (h.biClrUsed > 0 && static_cast<int>(h.biClrUsed) < count) count = static_cast<int>(h.biClrUsed);
  f.colours.assign(1 << f.bpp, RGBQUAD{0, 0, 0, 0});
  for (int i = 0; i < count; ++i) {
    if (usage == DIB_PAL_COLORS) {
      WORD index;
      std::memcpy(&index, after + 2 * i, 2);
      auto* palette = dc ? dc->a().palette.as<PaletteObject>() : nullptr;
      if (palette && index < palette->entries.size()) {
        const PALETTEENTRY& e = palette->entries[index];
        f.colours[i] = {e.peBlue, e.peGreen, e.peRed, 0};
      }
    } else {
      std::memcpy(&f.colours[i], after + 4 * i, 4);
      f.colours[i].rgbReserved = 0;
    }
  }
  return true;
}

std::shared_ptr<Surface> MakeDibSurface(const DibFormat& f) {
  auto s = MakeSurface(f.width, f.Rows(), f.bpp, f.rgb565, f.height > 0, 4);
  if (!s) return nullptr;
  s->dib = true;
  if (f.bpp <= 8) s->colours = std::make_shared<ColourTable>(f.colours);
  return s;
}

bool SameTables(const Surface& a, const Surface& b) {
  if (a.bpp > 8) return true;
  if (!a.colours || !b.colours) return a.colours == b.colours;
  if (a.colours->size() != b.colours->size()) return false;
  for (size_t i = 0; i < a.colours->size(); ++i) {
    const RGBQUAD &x = (*a.colours)[i], &y = (*b.colours)[i];
    if (x.rgbRed != y.rgbRed || x.rgbGreen != y.rgbGreen || x.rgbBlue != y.rgbBlue) return false;
  }
  return true;
}

// Copies rows [fromRow, fromRow + rows) of `from` into `to` starting at row toRow, converting the pixels.
void ConvertRows(const Surface& from, int fromRow, Surface& to, int toRow, int rows) {
  bool raw = from.bpp == to.bpp && from.rgb565 == to.rgb565 && SameTables(from, to);
  int width = std::min(from.width, to.width);
  DWORD lastIn = 0, lastOut = to.FromColour(from.ToColour(0));
  for (int r = 0; r < rows; ++r) {
    int fy = fromRow + r, ty = toRow + r;
    if (fy < 0 || fy >= from.height || ty < 0 || ty >= to.height) continue;
    for (int x = 0; x < width; ++x) {
      DWORD v = from.Get(x, fy);
      if (!raw && v != lastIn) {
        lastIn = v;
        lastOut = to.FromColour(from.ToColour(v));
      }
      to.Put(x, ty, raw ? v : (v == lastIn ? lastOut : to.FromColour(from.ToColour(v))));
    }
  }
}

// Default colour tables GetDIBits writes for a depth the bitmap does not have.
ColourTable StandardTable(int bpp) {
  if (bpp == 1) return {{0, 0, 0, 0}, {255, 255, 255, 0}};
  auto system = SystemPalette();
  if (bpp == 8) return *system;
  ColourTable table;
  for (int i = 0; i < 8; ++i) table.push_back((*system)[i]);
  for (int i = 248; i < 256; ++i) table.push_back((*system)[i]);
  return table;
}

std::shared_ptr<BitmapObject> FindBitmap(HBITMAP hbm) {
  auto bitmap = LookupAs<BitmapObject>(hbm);
  if (!bitmap) SetLastError(ERROR_INVALID_HANDLE);
  return bitmap;
}

HBITMAP AddBitmap(std::shared_ptr<Surface> surface, bool dibSection) {
  if (!surface) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  auto bitmap = std::make_shared<BitmapObject>();
  bitmap->surface = std::move(surface);
  bitmap->dibSection = dibSection;
  return static_cast<HBITMAP>(AddObject(bitmap));
}

// A device-dependent bitmap in the screen's format.
std::shared_ptr<Surface> ScreenFormatSurface(int width, int height) {
  int depth = ScreenDepth();
  auto s = MakeSurface(width, height, depth, true, false, 2);
  if (s && depth == 8) s->colours = SystemPalette();
  return s;
}

// The DIB's top-down row of scan line `scan`.
int RowOfScan(const DibFormat& f, int scan) { return f.height > 0 ? f.Rows() - 1 - scan : scan; }

}  // namespace

std::shared_ptr<Surface> SurfaceFromDib(const BITMAPINFO* info, const void* bits, UINT usage, const DcRef* dc) {
  DibFormat f;
  if (!bits || !ReadDibFormat(info, usage, dc, f)) return nullptr;
  auto s = MakeDibSurface(f);
  if (s) std::memcpy(s->storage.data(), bits, s->storage.size());
  return s;
}

}  // namespace host::gdi

using namespace host::gdi;

extern "C" {

HBITMAP WINAPI CreateBitmap(int nWidth, int nHeight, UINT nPlanes, UINT nBitCount, const void* lpBits) {
  GdiGuard guard(GdiLock());
  if (nPlanes != 1 || nWidth < 0 || nHeight < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if (nWidth == 0 || nHeight == 0) return CreateBitmap(1, 1, 1, 1, nullptr);
  auto s = MakeSurface(nWidth, nHeight, static_cast<int>(nBitCount), true, false, 2);
  if (!s) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if (nBitCount == 8) s->colours = SystemPalette();
  if (nBitCount == 4) s->colours = std::make_shared<ColourTable>(StandardTable(4));
  if (lpBits) std::memcpy(s->storage.data(), lpBits, s->storage.size());
  return AddBitmap(s, false);
}

HBITMAP WINAPI CreateBitmapIndirect(const BITMAP* pbm) {
  if (!pbm) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return CreateBitmap(pbm->bmWidth, pbm->bmHeight, pbm->bmPlanes, pbm->bmBitsPixel, pbm->bmBits);
}

HBITMAP WINAPI CreateCompatibleBitmap(HDC hdc, int cx, int cy) {
  GdiGuard guard(GdiLock());
  DcRef dc = LookupDcState(hdc);
  if (!dc) return nullptr;
  if (cx <= 0 || cy <= 0) return CreateBitmap(1, 1, 1, 1, nullptr);
  // A memory DC makes bitmaps like the one it holds: monochrome stays monochrome.
  if (dc.dc->kind == DcKind::Memory) {
    auto current = dc.surface();
    if (current && current->bpp == 1 && !current->dib) return CreateBitmap(cx, cy, 1, 1, nullptr);
  }
  return AddBitmap(ScreenFormatSurface(cx, cy), false);
}

HBITMAP WINAPI CreateDIBSection(HDC hdc, const BITMAPINFO* pbmi, UINT usage, void** ppvBits, HANDLE hSection, DWORD) {
  GdiGuard guard(GdiLock());
  if (ppvBits) *ppvBits = nullptr;
  DcRef dc = hdc ? LookupDcState(hdc) : DcRef{};
  DibFormat f;
  if (hSection || !ReadDibFormat(pbmi, usage, dc ? &dc : nullptr, f)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto s = MakeDibSurface(f);
  HBITMAP bitmap = AddBitmap(s, true);
  if (bitmap && ppvBits) *ppvBits = s->storage.data();
  return bitmap;
}

HBITMAP WINAPI CreateDIBitmap(HDC hdc, const BITMAPINFOHEADER* pbmih, DWORD flInit, const void* pjBits,
                              const BITMAPINFO* pbmi, UINT iUsage) {
  GdiGuard guard(GdiLock());
  if (!pbmih || pbmih->biWidth <= 0 || pbmih->biHeight == 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  int height = pbmih->biHeight < 0 ? -pbmih->biHeight : pbmih->biHeight;
  HBITMAP bitmap =
      hdc ? CreateCompatibleBitmap(hdc, pbmih->biWidth, height) : CreateBitmap(pbmih->biWidth, height, 1, 1, nullptr);
  if (bitmap && (flInit & CBM_INIT) && pjBits && pbmi) SetDIBits(hdc, bitmap, 0, height, pjBits, pbmi, iUsage);
  return bitmap;
}

LONG WINAPI GetBitmapBits(HBITMAP hbit, LONG cb, LPVOID lpvBits) {
  GdiGuard guard(GdiLock());
  auto bitmap = FindBitmap(hbit);
  if (!bitmap || cb < 0) return 0;
  const Surface& s = *bitmap->surface;
  int rowBytes = RowBytes(s.width, s.bpp, 2);
  LONG total = rowBytes * s.height;
  if (!lpvBits) return total;
  LONG done = 0;
  for (int y = 0; y < s.height && done < cb; ++y) {
    LONG n = std::min<LONG>(rowBytes, cb - done);
    std::memcpy(static_cast<BYTE*>(lpvBits) + done, s.Row(y), n);
    done += n;
  }
  return done;
}

LONG WINAPI SetBitmapBits(HBITMAP hbm, DWORD cb, const void* pvBits) {
  GdiGuard guard(GdiLock());
  auto bitmap = FindBitmap(hbm);
  if (!bitmap || !pvBits) return 0;
  Surface& s = *bitmap->surface;
  int rowBytes = RowBytes(s.width, s.bpp, 2);
  LONG done = 0, limit = static_cast<LONG>(std::min<DWORD>(cb, 0x7FFFFFFF));
  for (int y = 0; y < s.height && done < limit; ++y) {
    LONG n = std::min<LONG>(rowBytes, limit - done);
    std::memcpy(s.Row(y), static_cast<const BYTE*>(pvBits) + done, n);
    done += n;
  }
  return done;
}

int WINAPI GetDIBits(HDC hdc, HBITMAP hbm, UINT start, UINT cLines, LPVOID lpvBits, LPBITMAPINFO lpbmi, UINT usage) {
  GdiGuard guard(GdiLock());
  DcRef dc = LookupDcState(hdc);
  auto bitmap = FindBitmap(hbm);
  if (!dc || !bitmap || !lpbmi || lpbmi->bmiHeader.biSize < sizeof(BITMAPINFOHEADER)) return 0;
  const Surface& s = *bitmap->surface;
  BITMAPINFOHEADER& h = lpbmi->bmiHeader;
  if (h.biBitCount == 0) {
    // Only the header is asked for: the bitmap's own format.
    h.biWidth = s.width;
    h.biHeight = s.height;
    h.biPlanes = 1;
    h.biBitCount = static_cast<WORD>(s.bpp);
    h.biCompression = BI_RGB;
    h.biSizeImage = RowBytes(s.width, s.bpp, 4) * s.height;
    h.biClrUsed = h.biClrImportant = 0;
    return 1;
  }
  if (h.biWidth <= 0) h.biWidth = s.width;
  if (h.biHeight == 0) h.biHeight = s.height;
  h.biPlanes = 1;
  DibFormat f;
  f.width = s.width;
  f.height = h.biHeight < 0 ? -s.height : s.height;
  f.bpp = h.biBitCount;
  if (f.bpp != 1 && f.bpp != 4 && f.bpp != 8 && f.bpp != 16 && f.bpp != 24 && f.bpp != 32) return 0;
  f.rgb565 = f.bpp == 16 && h.biCompression == BI_BITFIELDS;
  if (h.biCompression != BI_BITFIELDS) h.biCompression = BI_RGB;
  h.biWidth = s.width;
  h.biHeight = f.height;
  h.biSizeImage = RowBytes(s.width, f.bpp, 4) * s.height;
  if (f.bpp <= 8) {
    f.colours = (s.bpp == f.bpp && s.colours) ? *s.colours : StandardTable(f.bpp);
    f.colours.resize(1 << f.bpp, RGBQUAD{0, 0, 0, 0});
    h.biClrUsed = 0;
    if (usage == DIB_RGB_COLORS) std::memcpy(lpbmi->bmiColors, f.colours.data(), f.colours.size() * 4);
  } else if (f.bpp == 16 && f.rgb565) {
    DWORD masks[3] = {0xF800, 0x07E0, 0x001F};
    std::memcpy(lpbmi->bmiColors, masks, sizeof masks);
  }
  if (!lpvBits) return s.height;
  auto out = MakeDibSurface(f);
  if (!out) return 0;
  ConvertRows(s, 0, *out, 0, s.height);
  UINT rows = static_cast<UINT>(s.height);
  if (start >= rows) return 0;
  UINT lines = std::min(cLines, rows - start);
  // Scan lines are in the DIB's memory order: bottom-up storage keeps scan 0 first.
  std::memcpy(lpvBits, out->storage.data() + static_cast<size_t>(start) * out->stride,
              static_cast<size_t>(lines) * out->stride);
  return static_cast<int>(lines);
}

int WINAPI SetDIBits(HDC hdc, HBITMAP hbm, UINT start, UINT cLines, const void* lpBits, const BITMAPINFO* lpbmi,
                     UINT ColorUse) {
  GdiGuard guard(GdiLock());
  DcRef dc = hdc ? LookupDcState(hdc) : DcRef{};
  auto bitmap = FindBitmap(hbm);
  DibFormat f;
  if (!bitmap || !lpBits || !ReadDibFormat(lpbmi, ColorUse, dc ? &dc : nullptr, f)) return 0;
  Surface& target = *bitmap->surface;
  UINT rows = static_cast<UINT>(f.Rows());
  if (start >= rows) return 0;
  UINT lines = std::min(cLines, rows - start);
  DibFormat part = f;
  part.height = f.height > 0 ? static_cast<int>(lines) : -static_cast<int>(lines);
  auto in = MakeDibSurface(part);
  if (!in) return 0;
  std::memcpy(in->storage.data(), lpBits, in->storage.size());
  for (UINT k = 0; k < lines; ++k) {
    int scan = static_cast<int>(start + k);
    ConvertRows(*in, RowOfScan(part, static_cast<int>(k)), target, RowOfScan(f, scan), 1);
  }
  return static_cast<int>(lines);
}

int WINAPI SetDIBitsToDevice(HDC hdc, int xDest, int yDest, DWORD w, DWORD h, int xSrc, int ySrc, UINT StartScan,
                             UINT cLines, const void* lpvBits, const BITMAPINFO* lpbmi, UINT ColorUse) {
  GdiGuard guard(GdiLock());
  Target t;
  if (!OpenTarget(hdc, t)) return 0;
  DibFormat f;
  if (!lpvBits || !ReadDibFormat(lpbmi, ColorUse, &t.dc, f)) return 0;
  UINT rows = static_cast<UINT>(f.Rows());
  if (StartScan >= rows) return 0;
  UINT lines = std::min(cLines, rows - StartScan);
  if (lines == 0) return 0;
  auto full = MakeDibSurface(f);
  if (!full) return 0;
  DibFormat part = f;
  part.height = f.height > 0 ? static_cast<int>(lines) : -static_cast<int>(lines);
  auto in = MakeDibSurface(part);
  if (!in) return 0;
  std::memcpy(in->storage.data(), lpvBits, in->storage.size());
  for (UINT k = 0; k < lines; ++k)
    ConvertRows(*in, RowOfScan(part, static_cast<int>(k)), *full, RowOfScan(f, static_cast<int>(StartScan + k)), 1);
  // Only the scan lines given are drawn; ySrc counts from the bottom of a bottom-up DIB.
  int H = f.Rows();
  int srcTop = f.height > 0 ? H - ySrc - static_cast<int>(h) : ySrc;
  int givenTop = f.height > 0 ? H - static_cast<int>(StartScan + lines) : static_cast<int>(StartScan);
  int top = std::max(srcTop, givenTop),
      bottom = std::min(srcTop + static_cast<int>(h), givenTop + static_cast<int>(lines));
  if (top >= bottom) return static_cast<int>(lines);
  POINT d = ToSurface(t.dc, xDest, yDest);
  BlitSource source;
  source.surface = full.get();
  Blit(t, d.x, d.y + (top - srcTop), static_cast<int>(w), bottom - top, &source, xSrc, top, static_cast<int>(w),
       bottom - top, SRCCOPY, COLORONCOLOR);
  return static_cast<int>(lines);
}

int WINAPI StretchDIBits(HDC hdc, int xDest, int yDest, int DestWidth, int DestHeight, int xSrc, int ySrc, int SrcWidth,
                         int SrcHeight, const void* lpBits, const BITMAPINFO* lpbmi, UINT iUsage, DWORD rop) {
  GdiGuard guard(GdiLock());
  Target t;
  if (!OpenTarget(hdc, t)) return 0;
  auto s = SurfaceFromDib(lpbmi, lpBits, iUsage, &t.dc);
  if (!s) return 0;
  // ySrc counts from the bottom of a bottom-up DIB.
  int top = s->bottomUp ? s->height - ySrc - SrcHeight : ySrc;
  POINT d0 = ToSurface(t.dc, xDest, yDest), d1 = ToSurface(t.dc, xDest + DestWidth, yDest + DestHeight);
  BlitSource source;
  source.surface = s.get();
  Blit(t, d0.x, d0.y, d1.x - d0.x, d1.y - d0.y, &source, xSrc, top, SrcWidth, SrcHeight, rop, t.dc.a().stretchMode);
  return s->height;
}

}  // extern "C"
