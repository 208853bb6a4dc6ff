// The drawing side of painting, which the GDI plugs in: the window manager
// keeps the bookkeeping (update regions, erase and frame flags, WM_PAINT) and
// asks these for device contexts and pixels. Until the GDI sets them,
// BeginPaint hands out a window DC of the screen module and nothing is drawn.
#pragma once

#include "user/user_state.h"

#include <functional>

namespace host::user {

struct PaintDevice {
  // A DC on the window's client area clipped to `paint` (client coordinates), and its release.
  std::function<HDC(HWND hwnd, const RECT& paint)> beginPaint;
  std::function<void(HWND hwnd, HDC dc)> endPaint;
  // Fills `rect` (client coordinates of the DC's window) with a brush or a COLOR_x + 1 value.
  std::function<void(HDC dc, const RECT& rect, HBRUSH brush)> fillRect;
  // Draws the Windows 95 frame and caption of the window (WM_NCPAINT).
  std::function<void(HWND hwnd, bool active)> drawFrame;
  // GetSysColorBrush: the stock brush of a system colour.
  std::function<HBRUSH(int index)> sysColorBrush;
};
void SetPaintDevice(PaintDevice device);

// DefWindowProcA's share of painting.
LRESULT EraseBackground(Window& window, HDC dc);
void DrawFrame(Window& window);

}  // namespace host::user
