// What the common controls share: per-window state kept in the window's
// extra bytes, notifications to the parent, painting entry points and the
// Windows 95 drawing pieces. The controls use only Win32 calls, as any
// control library would.
#pragma once

#include <commctrl.h>
#include <windows.h>

#include <string>

namespace host::comctl {

// Registration, one function per control file (InitCommonControls calls them).
bool RegisterTreeView();
bool RegisterTrackbar();
bool RegisterUpDown();
bool RegisterProgress();
bool RegisterToolbar();
bool RegisterTooltips();
bool RegisterListView();
bool RegisterTab();

// A control class: global to the process, one pointer of extra bytes for the state.
bool RegisterControlClass(const char* name, WNDPROC proc, UINT style, int background);

// The state object in the window's extra bytes (null before WM_NCCREATE and after WM_NCDESTROY).
template <class State>
State* StateOf(HWND hwnd) {
  return reinterpret_cast<State*>(GetWindowLongA(hwnd, 0));
}
template <class State>
void AttachState(HWND hwnd, State* state) {
  SetWindowLongA(hwnd, 0, reinterpret_cast<LONG>(state));
}
// WM_NCCREATE: a new state that knows its window and, when it keeps one, its parent.
template <class State>
State* CreateState(HWND hwnd, LPARAM createParams) {
  auto* state = new State;
  state->hwnd = hwnd;
  if constexpr (requires { state->parent; })
    state->parent = reinterpret_cast<const CREATESTRUCTA*>(createParams)->hwndParent;
  AttachState(hwnd, state);
  return state;
}
// WM_NCDESTROY: the window lets go of its state, which goes.
template <class State>
void DeleteState(HWND hwnd, State* state) {
  AttachState<State>(hwnd, nullptr);
  delete state;
}

// The window a control notifies: the parent it was created with.
HWND NotifyTarget(HWND control);
// Fills the header and sends WM_NOTIFY to `target`; returns the parent's answer.
LRESULT SendNotify(HWND control, HWND target, UINT code, NMHDR* header);
LRESULT SendSimpleNotify(HWND control, HWND target, UINT code);

// Runs `draw` on the DC of WM_PAINT (or the one a WM_PAINT / WM_PRINTCLIENT passes in wParam).
template <class Draw>
void PaintControl(HWND hwnd, UINT msg, WPARAM wParam, Draw draw) {
  if (msg == WM_PRINTCLIENT || wParam) {
    draw(reinterpret_cast<HDC>(wParam));
    return;
  }
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  if (dc) draw(dc);
  EndPaint(hwnd, &ps);
}

// The font a control draws with: the one WM_SETFONT gave, else the GUI font.
HFONT ControlFont(HFONT font);
int FontHeight(HWND hwnd, HFONT font);
int TextWidth(HDC dc, const std::string& text);
void FillSolid(HDC dc, const RECT& rect, int sysColor);
void FillColour(HDC dc, const RECT& rect, COLORREF colour);
// The Windows 95 push-button face: raised, or sunken when pressed.
void DrawButtonFace(HDC dc, RECT rect, bool pushed);
// Dots every other pixel, as tree lines and focus marks are drawn.
void DottedLine(HDC dc, int x0, int y0, int x1, int y1, COLORREF colour);
// Greys an area out by painting every other pixel with the button face.
void GreyOut(HDC dc, const RECT& rect);
// Client coordinates from a mouse message's lParam.
POINT MousePoint(LPARAM lParam);

// Copies text into a caller's buffer of `capacity` bytes (NUL-terminated, truncated).
void CopyText(const std::string& text, LPSTR buffer, int capacity);

// Integer text of a buddy window, with thousands separators when asked; and the reverse.
std::string FormatNumber(int value, int base, bool thousands);
bool ParseNumber(const std::string& text, int base, int* value);

// Loads a bitmap resource (LoadBitmapA, found at run time: USER's resource loading may not be there).
HBITMAP LoadBitmapResource(HINSTANCE instance, UINT_PTR id);

}  // namespace host::comctl
