// Owner-drawn push buttons showing a bitmap (WM_DRAWITEM).
#pragma once

#include <windows.h>

#ifndef ODA_DRAWENTIRE
// Owner-draw records as winuser.h declares them, for a header set that does not have them yet.
#define ODT_BUTTON 4
#define ODA_DRAWENTIRE 0x0001
#define ODA_SELECT 0x0002
#define ODA_FOCUS 0x0004
#define ODS_SELECTED 0x0001
#define ODS_DISABLED 0x0004
#define ODS_FOCUS 0x0010
typedef struct tagDRAWITEMSTRUCT {
  UINT CtlType;
  UINT CtlID;
  UINT itemID;
  UINT itemAction;
  UINT itemState;
  HWND hwndItem;
  HDC hDC;
  RECT rcItem;
  ULONG_PTR itemData;
} DRAWITEMSTRUCT, *PDRAWITEMSTRUCT, *LPDRAWITEMSTRUCT;
#endif

// On ODA_DRAWENTIRE draws `bitmap` (or `disabledBitmap`, when given, for a disabled item) stretched into the
// item less 3 pixels on each side, its background colour (that of its first pixel) shown as the button face;
// then, for every action, the 3-D frame: sunken when selected, raised otherwise, inside an outer line that is
// dark when the item has the focus. The caller's bitmaps are not changed. FALSE without an item or a DC.
BOOL DrawBitmapButton(const DRAWITEMSTRUCT* item, HBITMAP bitmap, HBITMAP disabledBitmap);
