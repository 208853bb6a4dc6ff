// Owner-drawn push buttons showing a bitmap (WM_DRAWITEM).
#pragma once

#include <windows.h>


// On ODA_DRAWENTIRE draws `bitmap` (or `disabledBitmap`, when given, for a disabled item) stretched into the
// item less 3 pixels on each side, its background colour (that of its first pixel) shown as the button face;
// then, for every action, the 3-D frame: sunken when selected, raised otherwise, inside an outer line that is
// dark when the item has the focus. The caller's bitmaps are not changed. FALSE without an item or a DC.
BOOL DrawBitmapButton(const DRAWITEMSTRUCT* item, HBITMAP bitmap, HBITMAP disabledBitmap);
