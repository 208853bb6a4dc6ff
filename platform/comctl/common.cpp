// InitCommonControls and the pieces every control shares.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "comctl/comctl_internal.h"

namespace host::comctl {

bool RegisterControlClass(const char* name, WNDPROC proc, UINT style, int background) {
  WNDCLASSA wc{};
  wc.style = style | CS_GLOBALCLASS;
  wc.lpfnWndProc = proc;
  wc.cbWndExtra = sizeof(void*);
  wc.hbrBackground = background < 0 ? nullptr : reinterpret_cast<HBRUSH>(background + 1);
  wc.lpszClassName = name;
  if (RegisterClassA(&wc)) return true;
  return GetLastError() == ERROR_CLASS_ALREADY_EXISTS;  // a second call in the same process
}

HWND NotifyTarget(HWND control) { return GetParent(control); }

LRESULT SendNotify(HWND control, HWND target, UINT code, NMHDR* header) {
  header->hwndFrom = control;
  header->idFrom = static_cast<UINT>(GetDlgCtrlID(control));
  header->code = code;
  if (!target) return 0;
  return SendMessageA(target, WM_NOTIFY, header->idFrom, reinterpret_cast<LPARAM>(header));
}

LRESULT SendSimpleNotify(HWND control, HWND target, UINT code) {
  NMHDR header{};
  return SendNotify(control, target, code, &header);
}

HFONT ControlFont(HFONT font) { return font ? font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)); }

int FontHeight(HWND hwnd, HFONT font) {
  HDC dc = GetDC(hwnd);
  HGDIOBJ old = SelectObject(dc, ControlFont(font));
  TEXTMETRICA tm{};
  int height = GetTextMetricsA(dc, &tm) ? tm.tmHeight : 13;
  SelectObject(dc, old);
  ReleaseDC(hwnd, dc);
  return height > 0 ? height : 13;
}

int TextWidth(HDC dc, const std::string& text) {
  SIZE size{};
  if (text.empty() || !GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size)) return 0;
  return size.cx;
}

void FillSolid(HDC dc, const RECT& rect, int sysColor) { FillRect(dc, &rect, GetSysColorBrush(sysColor)); }

void FillColour(HDC dc, const RECT& rect, COLORREF colour) {
  HBRUSH brush = CreateSolidBrush(colour);
  FillRect(dc, &rect, brush);
  DeleteObject(brush);
}

namespace {

// One ring of a 3-D edge: `topLeft` along the top and left, `bottomRight` along the other two sides.
void EdgeRing(HDC dc, const RECT& r, int topLeft, int bottomRight) {
  FillSolid(dc, {r.left, r.top, r.right - 1, r.top + 1}, topLeft);
  FillSolid(dc, {r.left, r.top, r.left + 1, r.bottom - 1}, topLeft);
  FillSolid(dc, {r.left, r.bottom - 1, r.right, r.bottom}, bottomRight);
  FillSolid(dc, {r.right - 1, r.top, r.right, r.bottom}, bottomRight);
}

}  // namespace

// Drawn ring by ring: a raised face is the "soft" push-button edge (white outside, light grey
// inside at the top left), which DrawEdge's plain EDGE_RAISED does not give.
void DrawButtonFace(HDC dc, RECT rect, bool pushed) {
  FillSolid(dc, rect, COLOR_BTNFACE);
  if (rect.right - rect.left < 4 || rect.bottom - rect.top < 4) return;
  EdgeRing(dc, rect, pushed ? COLOR_3DSHADOW : COLOR_3DHILIGHT, pushed ? COLOR_3DHILIGHT : COLOR_3DDKSHADOW);
  InflateRect(&rect, -1, -1);
  EdgeRing(dc, rect, pushed ? COLOR_3DDKSHADOW : COLOR_3DLIGHT, pushed ? COLOR_3DLIGHT : COLOR_3DSHADOW);
}

void DottedLine(HDC dc, int x0, int y0, int x1, int y1, COLORREF colour) {
  if (x0 == x1) {
    for (int y = std::min(y0, y1); y <= std::max(y0, y1); ++y)
      if (((x0 + y) & 1) == 0) SetPixel(dc, x0, y, colour);
  } else {
    for (int x = std::min(x0, x1); x <= std::max(x0, x1); ++x)
      if (((x + y0) & 1) == 0) SetPixel(dc, x, y0, colour);
  }
}

void GreyOut(HDC dc, const RECT& rect) {
  COLORREF face = GetSysColor(COLOR_BTNFACE);
  for (int y = rect.top; y < rect.bottom; ++y)
    for (int x = rect.left + ((y - rect.top) & 1); x < rect.right; x += 2) SetPixel(dc, x, y, face);
}

POINT MousePoint(LPARAM lParam) { return {static_cast<SHORT>(LOWORD(lParam)), static_cast<SHORT>(HIWORD(lParam))}; }

void CopyText(const std::string& text, LPSTR buffer, int capacity) {
  if (!buffer || capacity <= 0) return;
  size_t count = std::min(text.size(), static_cast<size_t>(capacity - 1));
  text.copy(buffer, count);
  buffer[count] = '\0';
}

std::string FormatNumber(int value, int base, bool thousands) {
  char digits[40];
  if (base == 16) {
    std::snprintf(digits, sizeof digits, "0x%04X", static_cast<unsigned>(value) & 0xFFFF);
    return digits;
  }
  std::snprintf(digits, sizeof digits, "%d", value < 0 ? -value : value);
  std::string text = value < 0 ? "-" : "";
  size_t count = std::strlen(digits);
  for (size_t i = 0; i < count; ++i) {
    if (thousands && i > 0 && (count - i) % 3 == 0) text += ',';
    text += digits[i];
  }
  return text;
}

bool ParseNumber(const std::string& text, int base, int* value) {
  std::string clean;
  for (char c : text)
    if (c != ',' && c != ' ') clean += c;
  if (clean.empty()) return false;
  char* end = nullptr;
  long parsed = std::strtol(clean.c_str(), &end, base == 16 ? 16 : 10);
  if (!end || *end != '\0' || parsed < -32768 || parsed > 65535) return false;
  *value = static_cast<int>(parsed);
  return true;
}

HBITMAP LoadBitmapResource(HINSTANCE instance, UINT_PTR id) {
  return LoadBitmapA(instance, reinterpret_cast<LPCSTR>(id));
}

}  // namespace host::comctl

using namespace host::comctl;

extern "C" {

BOOL WINAPI InitCommonControlsEx(const INITCOMMONCONTROLSEX* lpInitCtrls) {
  if (!lpInitCtrls || lpInitCtrls->dwSize != sizeof(INITCOMMONCONTROLSEX)) return FALSE;
  DWORD classes = lpInitCtrls->dwICC;
  bool ok = true;
  if (classes & ICC_TREEVIEW_CLASSES) ok &= RegisterTreeView();
  if (classes & ICC_LISTVIEW_CLASSES) ok &= RegisterListView();
  if (classes & ICC_BAR_CLASSES) ok &= RegisterToolbar() & RegisterTrackbar() & RegisterTooltips();
  if (classes & ICC_TAB_CLASSES) ok &= RegisterTab() & RegisterTooltips();
  if (classes & ICC_UPDOWN_CLASS) ok &= RegisterUpDown();
  if (classes & ICC_PROGRESS_CLASS) ok &= RegisterProgress();
  return ok ? TRUE : FALSE;
}

void WINAPI InitCommonControls(void) {
  INITCOMMONCONTROLSEX init{sizeof(INITCOMMONCONTROLSEX), ICC_WIN95_CLASSES};
  InitCommonControlsEx(&init);
}

}  // extern "C"
