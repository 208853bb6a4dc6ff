// What the window manager asks of the GDI: DCs on the screen seen through a
// window, and the brushes and fills of its painting hooks (user/paint_hooks.h).
#pragma once

#include <windows.h>

#include <functional>
#include <vector>

namespace host::gdi {

// A DC on the screen whose device (0, 0) lies at `origin` (screen coordinates: the client or window corner)
// and which draws only inside `visible` (screen rectangles: the window less what covers it, less its
// children when WS_CLIPCHILDREN). Released by ReleaseDC(hwnd, dc) or DeleteWindowDC.
HDC CreateWindowDC(HWND hwnd, POINT origin, const std::vector<RECT>& visible);
// Moves a DC made by CreateWindowDC (a CS_OWNDC window moved, or was uncovered); its other state stays.
bool UpdateWindowDC(HDC dc, POINT origin, const std::vector<RECT>& visible);
bool DeleteWindowDC(HDC dc);

// GetDC(hwnd) of the screen module makes a window DC that knows only its window. When the window
// manager sets this resolver, such a DC asks it for its client origin and visible rectangles the first
// time it draws; answer false to leave it unclipped at the screen's origin.
using WindowAreaResolver = std::function<bool(HWND hwnd, POINT* origin, std::vector<RECT>* visible)>;
void SetWindowAreaResolver(WindowAreaResolver resolver);

// The brush of a system colour (GetSysColorBrush): a stock object that follows SetSysColors.
HBRUSH SysColorBrush(int index);

}  // namespace host::gdi
