// Colour arithmetic of the page background: the re-tint to the button face and the fixed palette of pictures
// without a colour table.
#pragma once

#include <windows.h>

// The entry with the hue and saturation of `face` and its own value (HSV), each component rounded as
// component x 255 + 0.5, truncated.
RGBQUAD RetintToFace(RGBQUAD entry, COLORREF face);

// Entry `index` (0 to 255) of the fixed palette: red in steps of 32 fastest, then green by 32, then blue by 64.
PALETTEENTRY FixedPaletteEntry(int index);
