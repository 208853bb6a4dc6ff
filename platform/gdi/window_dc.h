// What the window manager asks of the GDI: DCs on the screen seen through a
// window, and the brushes and fills of its painting hooks (user/paint_hooks.h).
#pragma once

#include <windows.h>

#include <functional>
#include <vector>

namespace host::gdi {

// A DC on the screen whose device (0, 0) lies at `origin` (screen coordinates: the client or window corner)
// and which draws only inside `visible` (screen rectangles: the window less what covers it, less its
// children when WS_CLIPCHILDREN). `wholeWindow`: a GetWindowDC DC, resolved as the whole window.
// Released by ReleaseDC(hwnd, dc) or DeleteWindowDC.
HDC CreateWindowDC(HWND hwnd, POINT origin, const std::vector<RECT>& visible, bool wholeWindow = false);
// Moves a DC made by CreateWindowDC (a CS_OWNDC window moved, or was uncovered); its other state stays.
bool UpdateWindowDC(HDC dc, POINT origin, const std::vector<RECT>& visible);
// BeginPaint's clip: the DC draws only inside `paint` (client coordinates) as well; null lifts it.
bool SetWindowDCPaintRect(HDC dc, const RECT* paint);
// Deletes a window DC or a screen DC (GetDC(NULL)). Takes no GDI lock, so the window manager may call it
// while it holds its own.
bool DeleteWindowDC(HDC dc);
// GetDC(NULL): a DC of the whole screen.
HDC CreateScreenDC();
// What a display DC was made for: false for a bad handle or a memory DC.
bool DescribeDisplayDC(HDC dc, bool* screen, HWND* window);

// A window DC asks the resolver for its origin and visible rectangles before it draws, the first time and
// again after the window manager called WindowAreasChanged. The resolver must not call back into the GDI
// (it runs under the GDI lock); answer false to leave the DC as it is (unclipped at the screen's origin
// when it was never resolved).
using WindowAreaResolver =
    std::function<bool(HWND hwnd, bool wholeWindow, POINT* origin, std::vector<RECT>* visible)>;
void SetWindowAreaResolver(WindowAreaResolver resolver);
// Windows moved, were shown, hidden, restacked or destroyed: window DCs resolve again. Lock-free.
void WindowAreasChanged();

// The brush of a system colour (GetSysColorBrush): a stock object that follows SetSysColors.
HBRUSH SysColorBrush(int index);

}  // namespace host::gdi
