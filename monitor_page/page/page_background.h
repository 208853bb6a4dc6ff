// The picture behind both property pages: "ovxbkgnd.bmp" re-tinted to the button face, its palette and a copy
// stretched to the page, and what a page's dialog procedure calls for the background's messages.
#pragma once

#include <windows.h>

inline constexpr char kBackgroundFileName[] = "ovxbkgnd.bmp";

// One page's background. `bitmap` is one moveable block holding a 40-byte BITMAPINFOHEADER, the colour table
// (4-byte entries) and the bits; `palette` exists only on a palette device; `offscreen` is a compatible bitmap of
// the page's client size. All three are NULL when the page has no background.
struct PageBackground {
  BOOL paletteDevice;
  HGLOBAL bitmap;
  HPALETTE palette;
  HBITMAP offscreen;
};

// Finds the file by the system's search order. NULL when it is missing, unreadable or not a picture this loader
// takes (uncompressed, 1 to 32 bits per pixel, a core or an info header).
HGLOBAL LoadBackgroundBitmap(LPCSTR fileName);
// From the colour table; pictures without one (more than 8 bits per pixel) get a fixed 256-colour palette.
HPALETTE MakeBackgroundPalette(HGLOBAL bitmap);
// The picture stretched to the page's client area, with the palette (when given) realised first.
HBITMAP MakeOffscreenBackground(HWND page, HGLOBAL bitmap, HPALETTE palette);

// WM_INITDIALOG: sets the palette-device flag, loads the picture, makes the palette on a palette device and the
// off-screen copy. TRUE when the page has a background; otherwise nothing is kept.
BOOL BuildPageBackground(HWND page, PageBackground* background);
// WM_DESTROY: frees the off-screen copy, the bitmap block and the palette.
void ReleasePageBackground(PageBackground* background);

// Copies `pageArea` (page client coordinates) of the background to (x, y) of `dc`, realising the palette first on
// a palette device. FALSE when there is no background.
BOOL CopyPageBackground(const PageBackground* background, HDC dc, int x, int y, const RECT* pageArea);
// WM_ERASEBKGND: the whole background onto the page's DC. FALSE when there is none (the default erase applies).
BOOL ErasePageBackground(const PageBackground* background, HDC dc);
// WM_SYSCOLORCHANGE: when the page has a background, loads and re-tints the picture again and rebuilds palette
// and copy. TRUE when the page still has a background. The page redraws itself afterwards (RedrawPage).
BOOL ReloadPageBackground(HWND page, PageBackground* background);
// Invalidates and erases the page and all its children.
void RedrawPage(HWND page);
// WM_PALETTECHANGED: redraws unless the page itself changed the palette.
void RedrawAfterPaletteChange(HWND page, HWND changedBy);
// WM_QUERYNEWPALETTE: redraws; TRUE.
BOOL RedrawForNewPalette(HWND page);
