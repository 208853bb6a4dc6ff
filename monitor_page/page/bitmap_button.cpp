#include "bitmap_button.h"

#include <climits>
#include <vector>

namespace {

constexpr int kImageInset = 3;  // the outer line and the two-pixel frame

// GetBitmapBits and SetBitmapBits exchange rows padded to a WORD.
int RowBytesOf(const BITMAP& bm) { return (bm.bmWidth * bm.bmBitsPixel + 15) / 16 * 2; }

// An 8-bit device-dependent bitmap holds system palette indices: the button face is the nearest entry.
bool SystemPaletteIndex(HDC dc, COLORREF colour, DWORD& index) {
  PALETTEENTRY entries[256];
  UINT count = GetSystemPaletteEntries(dc, 0, 256, entries);
  if (count == 0) return false;
  int best = INT_MAX;
  for (UINT i = 0; i < count && best > 0; ++i) {
    int dr = entries[i].peRed - GetRValue(colour), dg = entries[i].peGreen - GetGValue(colour),
        db = entries[i].peBlue - GetBValue(colour);
    int distance = dr * dr + dg * dg + db * db;
    if (distance < best) best = distance, index = i;
  }
  return true;
}

// The button face as a pixel of the bitmap's depth; false at depths where nothing is replaced.
bool FacePixel(HDC dc, int bitsPerPixel, DWORD& pixel) {
  COLORREF face = GetSysColor(COLOR_BTNFACE);
  DWORD r = GetRValue(face), g = GetGValue(face), b = GetBValue(face);
  switch (bitsPerPixel) {
    case 8:
      return SystemPaletteIndex(dc, face, pixel);
    case 16:
      pixel = (r >> 3) << 11 | (g >> 2) << 5 | b >> 3;
      return true;
    case 24:
    case 32:
      pixel = r << 16 | g << 8 | b;
      return true;
    default:
      return false;
  }
}

DWORD PixelAt(const BYTE* p, int bytes) {
  DWORD value = 0;
  for (int k = 0; k < bytes; ++k) value |= static_cast<DWORD>(p[k]) << (8 * k);
  return value;
}

void PutPixel(BYTE* p, int bytes, DWORD value) {
  for (int k = 0; k < bytes; ++k) p[k] = static_cast<BYTE>(value >> (8 * k));
}

// Every pixel of the first pixel's colour becomes `face`; a 32-bit pixel's unused byte is not compared.
void ReplaceBackground(std::vector<BYTE>& bits, const BITMAP& bm, int rowBytes, DWORD face) {
  int bytes = bm.bmBitsPixel / 8;
  DWORD mask = bytes == 4 ? 0xFFFFFF : 0xFFFFFFFF;
  DWORD background = PixelAt(bits.data(), bytes) & mask;
  for (int y = 0; y < bm.bmHeight; ++y) {
    BYTE* row = bits.data() + static_cast<size_t>(y) * rowBytes;
    for (int x = 0; x < bm.bmWidth; ++x)
      if ((PixelAt(row + x * bytes, bytes) & mask) == background) PutPixel(row + x * bytes, bytes, face);
  }
}

// A copy of the bitmap with its background in the button face; NULL when it cannot be read.
HBITMAP FacedCopy(HDC dc, HBITMAP bitmap) {
  BITMAP bm;
  if (!GetObjectA(bitmap, sizeof bm, &bm) || bm.bmWidth <= 0 || bm.bmHeight <= 0 || bm.bmPlanes != 1) return nullptr;
  int rowBytes = RowBytesOf(bm);
  LONG size = rowBytes * bm.bmHeight;
  std::vector<BYTE> bits(static_cast<size_t>(size));
  if (GetBitmapBits(bitmap, size, bits.data()) != size) return nullptr;
  DWORD face;
  if (FacePixel(dc, bm.bmBitsPixel, face)) ReplaceBackground(bits, bm, rowBytes, face);
  return CreateBitmap(bm.bmWidth, bm.bmHeight, 1, bm.bmBitsPixel, bits.data());
}

void DrawImage(HDC dc, const RECT& item, HBITMAP bitmap) {
  RECT area = item;
  InflateRect(&area, -kImageInset, -kImageInset);
  if (area.right <= area.left || area.bottom <= area.top) return;
  HBITMAP copy = FacedCopy(dc, bitmap);
  HBITMAP shown = copy ? copy : bitmap;
  BITMAP bm;
  HDC memory = CreateCompatibleDC(dc);
  if (memory && GetObjectA(shown, sizeof bm, &bm)) {
    HGDIOBJ previous = SelectObject(memory, shown);
    int previousMode = SetStretchBltMode(dc, COLORONCOLOR);
    StretchBlt(dc, area.left, area.top, area.right - area.left, area.bottom - area.top, memory, 0, 0, bm.bmWidth,
               bm.bmHeight, SRCCOPY);
    SetStretchBltMode(dc, previousMode);
    SelectObject(memory, previous);
  }
  if (memory) DeleteDC(memory);
  if (copy) DeleteObject(copy);
}

void DrawFrame(HDC dc, const RECT& item, UINT state) {
  RECT ring = item;
  FrameRect(dc, &ring, GetSysColorBrush((state & ODS_FOCUS) ? COLOR_3DDKSHADOW : COLOR_BTNFACE));
  InflateRect(&ring, -1, -1);
  DrawEdge(dc, &ring, (state & ODS_SELECTED) ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
}

}  // namespace

BOOL DrawBitmapButton(const DRAWITEMSTRUCT* item, HBITMAP bitmap, HBITMAP disabledBitmap) {
  if (!item || !item->hDC) return FALSE;
  if (item->itemAction & ODA_DRAWENTIRE) {
    HBITMAP shown = (item->itemState & ODS_DISABLED) && disabledBitmap ? disabledBitmap : bitmap;
    if (shown) DrawImage(item->hDC, item->rcItem, shown);
  }
  DrawFrame(item->hDC, item->rcItem, item->itemState);
  return TRUE;
}
