#include "stand_ins.h"

#include <host/thunk16.h>

#include <algorithm>

namespace stand_ins {

Screen& TheScreen() {
  static Screen screen;
  return screen;
}

void Reset() { TheScreen() = Screen(); }

namespace {

std::vector<RECT> VisiblePieces(const RECT& target) {
  std::vector<RECT> pieces;
  for (const RECT& visible : TheScreen().visible) {
    RECT piece = {std::max(target.left, visible.left), std::max(target.top, visible.top),
                  std::min(target.right, visible.right), std::min(target.bottom, visible.bottom)};
    if (piece.left < piece.right && piece.top < piece.bottom) pieces.push_back(piece);
  }
  return pieces;
}

}  // namespace
}  // namespace stand_ins

using stand_ins::TheScreen;

extern "C" {

BOOL WINAPI BitBlt(HDC hdc, int x, int y, int cx, int cy, HDC hdcSrc, int, int, DWORD rop) {
  POINT origin = TheScreen().clientOrigin;
  RECT target = {x + origin.x, y + origin.y, x + origin.x + cx, y + origin.y + cy};
  bool captured = host::thunk16::DeliverBlitCapture(stand_ins::VisiblePieces(target));
  TheScreen().blits.push_back({hdc, x, y, cx, cy, hdcSrc, rop, captured});
  return TRUE;
}

BOOL WINAPI ScreenToClient(HWND, LPPOINT point) {
  point->x -= TheScreen().clientOrigin.x;
  point->y -= TheScreen().clientOrigin.y;
  return TRUE;
}

int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  TheScreen().boxes.push_back({owner, text ? text : "", caption ? caption : "", type});
  return 1;  // IDOK
}

}  // extern "C"
