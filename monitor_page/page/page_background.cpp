// The background's palette and off-screen copy, and its part in a page's messages.
#include "page_background.h"

#include "background_colours.h"

namespace {

constexpr int kFixedPaletteSize = 256;
constexpr UINT kRedrawFlags = RDW_INVALIDATE | RDW_INTERNALPAINT | RDW_ERASE | RDW_ALLCHILDREN;

// LOGPALETTE with room for every entry.
struct PaletteRecord {
  WORD palVersion;
  WORD palNumEntries;
  PALETTEENTRY palPalEntry[kFixedPaletteSize];
};

// The loader wrote the block, so its header is the 40-byte form and its table holds this many entries.
DWORD ColourCount(const BITMAPINFOHEADER& header) {
  if (header.biClrUsed) return header.biClrUsed;
  return header.biBitCount <= 8 ? 1u << header.biBitCount : 0;
}

const BYTE* BitsOf(const BITMAPINFOHEADER& header) {
  return reinterpret_cast<const BYTE*>(&header) + header.biSize + ColourCount(header) * sizeof(RGBQUAD);
}

void FillFromTable(const BITMAPINFOHEADER& header, PaletteRecord& record) {
  const auto* table = reinterpret_cast<const RGBQUAD*>(reinterpret_cast<const BYTE*>(&header) + header.biSize);
  record.palNumEntries = static_cast<WORD>(ColourCount(header));
  for (WORD i = 0; i < record.palNumEntries; ++i)
    record.palPalEntry[i] = PALETTEENTRY{table[i].rgbRed, table[i].rgbGreen, table[i].rgbBlue, 0};
}

void FillFixed(PaletteRecord& record) {
  record.palNumEntries = kFixedPaletteSize;
  for (int i = 0; i < kFixedPaletteSize; ++i) record.palPalEntry[i] = FixedPaletteEntry(i);
}

int RowsOf(const BITMAPINFOHEADER& header) { return header.biHeight < 0 ? -header.biHeight : header.biHeight; }

// Stretches the picture into the memory DC's bitmap of width x height.
bool StretchPicture(HDC memory, const BITMAPINFOHEADER& header, HPALETTE palette, int width, int height) {
  HPALETTE previous = palette ? SelectPalette(memory, palette, FALSE) : nullptr;
  if (palette) RealizePalette(memory);
  SetStretchBltMode(memory, COLORONCOLOR);
  int lines = StretchDIBits(memory, 0, 0, width, height, 0, 0, header.biWidth, RowsOf(header), BitsOf(header),
                            reinterpret_cast<const BITMAPINFO*>(&header), DIB_RGB_COLORS, SRCCOPY);
  if (previous) SelectPalette(memory, previous, FALSE);
  return lines != 0 && lines != static_cast<int>(GDI_ERROR);
}

HBITMAP StretchedCopy(HDC pageDc, const BITMAPINFOHEADER& header, HPALETTE palette, int width, int height) {
  HDC memory = CreateCompatibleDC(pageDc);
  HBITMAP copy = memory ? CreateCompatibleBitmap(pageDc, width, height) : nullptr;
  if (copy) {
    HGDIOBJ previous = SelectObject(memory, copy);
    bool drawn = StretchPicture(memory, header, palette, width, height);
    SelectObject(memory, previous);
    if (!drawn) {
      DeleteObject(copy);
      copy = nullptr;
    }
  }
  if (memory) DeleteDC(memory);
  return copy;
}

BOOL IsPaletteDevice() {
  HDC screen = GetDC(nullptr);
  if (!screen) return FALSE;
  BOOL palette = (GetDeviceCaps(screen, RASTERCAPS) & RC_PALETTE) != 0;
  ReleaseDC(nullptr, screen);
  return palette;
}

}  // namespace

HPALETTE MakeBackgroundPalette(HGLOBAL bitmap) {
  const auto* header = bitmap ? static_cast<const BITMAPINFOHEADER*>(GlobalLock(bitmap)) : nullptr;
  if (!header) return nullptr;
  PaletteRecord record{};
  record.palVersion = 0x300;
  if (header->biBitCount <= 8)
    FillFromTable(*header, record);
  else
    FillFixed(record);
  GlobalUnlock(bitmap);
  return CreatePalette(reinterpret_cast<const LOGPALETTE*>(&record));
}

HBITMAP MakeOffscreenBackground(HWND page, HGLOBAL bitmap, HPALETTE palette) {
  RECT client;
  if (!bitmap || !GetClientRect(page, &client) || IsRectEmpty(&client)) return nullptr;
  const auto* header = static_cast<const BITMAPINFOHEADER*>(GlobalLock(bitmap));
  if (!header) return nullptr;
  HBITMAP copy = nullptr;
  if (HDC pageDc = GetDC(page)) {
    copy = StretchedCopy(pageDc, *header, palette, client.right - client.left, client.bottom - client.top);
    ReleaseDC(page, pageDc);
  }
  GlobalUnlock(bitmap);
  return copy;
}

BOOL BuildPageBackground(HWND page, PageBackground* background) {
  if (!background) return FALSE;
  ReleasePageBackground(background);
  background->paletteDevice = IsPaletteDevice();
  background->bitmap = LoadBackgroundBitmap(kBackgroundFileName);
  if (!background->bitmap) return FALSE;
  if (background->paletteDevice) background->palette = MakeBackgroundPalette(background->bitmap);
  background->offscreen = MakeOffscreenBackground(page, background->bitmap, background->palette);
  // A picture that cannot be shown is no background: the page stays plain rather than half transparent.
  if (background->offscreen) return TRUE;
  ReleasePageBackground(background);
  return FALSE;
}

void ReleasePageBackground(PageBackground* background) {
  if (!background) return;
  if (background->offscreen) DeleteObject(background->offscreen);
  if (background->bitmap) GlobalFree(background->bitmap);
  if (background->palette) DeleteObject(background->palette);
  background->offscreen = nullptr;
  background->bitmap = nullptr;
  background->palette = nullptr;
}

BOOL CopyPageBackground(const PageBackground* background, HDC dc, int x, int y, const RECT* pageArea) {
  if (!background || !background->offscreen || !dc || !pageArea) return FALSE;
  HDC memory = CreateCompatibleDC(dc);
  if (!memory) return FALSE;
  HGDIOBJ previous = SelectObject(memory, background->offscreen);
  bool realise = background->paletteDevice && background->palette;
  HPALETTE previousPalette = realise ? SelectPalette(dc, background->palette, FALSE) : nullptr;
  if (realise) RealizePalette(dc);
  BOOL copied = BitBlt(dc, x, y, pageArea->right - pageArea->left, pageArea->bottom - pageArea->top, memory,
                       pageArea->left, pageArea->top, SRCCOPY);
  if (previousPalette) SelectPalette(dc, previousPalette, TRUE);
  SelectObject(memory, previous);
  DeleteDC(memory);
  return copied;
}

BOOL ErasePageBackground(const PageBackground* background, HDC dc) {
  BITMAP size;
  if (!background || !background->offscreen || !GetObjectA(background->offscreen, sizeof size, &size)) return FALSE;
  RECT whole{0, 0, size.bmWidth, size.bmHeight};
  return CopyPageBackground(background, dc, 0, 0, &whole);
}

BOOL ReloadPageBackground(HWND page, PageBackground* background) {
  if (!background || !background->bitmap) return FALSE;
  return BuildPageBackground(page, background);
}

void RedrawPage(HWND page) { RedrawWindow(page, nullptr, nullptr, kRedrawFlags); }

void RedrawAfterPaletteChange(HWND page, HWND changedBy) {
  if (changedBy != page) RedrawPage(page);
}

BOOL RedrawForNewPalette(HWND page) {
  RedrawPage(page);
  return TRUE;
}
