// Control API of the host's GDI: what is on the screen, for tests, stand-ins
// and the `ovx` command. Deliverables never include this.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace host::gdi {

// The colour of a screen pixel (desktop coordinates); CLR_INVALID outside the desktop.
COLORREF ScreenPixel(int x, int y);
// The colours of a screen rectangle, row by row (clipped to the desktop).
std::vector<COLORREF> ScreenPixels(const RECT& area);

// Writes the screen, or a rectangle of it, to a PNG file on the host. false when it cannot be written.
bool SaveScreenshot(const std::string& hostPath);
bool SaveScreenshot(const std::string& hostPath, const RECT& area);
// Writes what a DC's surface holds (a memory DC's bitmap, or the screen) to a PNG file.
bool SaveSurface(HDC dc, const std::string& hostPath);

}  // namespace host::gdi
