// Rectangle helpers of USER.
#include <windows.h>

#include <algorithm>

extern "C" {

BOOL WINAPI SetRect(LPRECT lprc, int xLeft, int yTop, int xRight, int yBottom) {
  if (!lprc) return FALSE;
  *lprc = {xLeft, yTop, xRight, yBottom};
  return TRUE;
}

BOOL WINAPI SetRectEmpty(LPRECT lprc) { return SetRect(lprc, 0, 0, 0, 0); }

BOOL WINAPI CopyRect(LPRECT lprcDst, const RECT* lprcSrc) {
  if (!lprcDst || !lprcSrc) return FALSE;
  *lprcDst = *lprcSrc;
  return TRUE;
}

BOOL WINAPI IsRectEmpty(const RECT* lprc) { return !lprc || lprc->right <= lprc->left || lprc->bottom <= lprc->top; }

BOOL WINAPI PtInRect(const RECT* lprc, POINT pt) {
  return lprc && pt.x >= lprc->left && pt.x < lprc->right && pt.y >= lprc->top && pt.y < lprc->bottom;
}

BOOL WINAPI OffsetRect(LPRECT lprc, int dx, int dy) {
  if (!lprc) return FALSE;
  lprc->left += dx;
  lprc->right += dx;
  lprc->top += dy;
  lprc->bottom += dy;
  return TRUE;
}

BOOL WINAPI InflateRect(LPRECT lprc, int dx, int dy) {
  if (!lprc) return FALSE;
  lprc->left -= dx;
  lprc->right += dx;
  lprc->top -= dy;
  lprc->bottom += dy;
  return TRUE;
}

BOOL WINAPI IntersectRect(LPRECT lprcDst, const RECT* a, const RECT* b) {
  if (!lprcDst || !a || !b) return FALSE;
  RECT r{std::max(a->left, b->left), std::max(a->top, b->top), std::min(a->right, b->right),
         std::min(a->bottom, b->bottom)};
  if (IsRectEmpty(&r)) {
    SetRectEmpty(lprcDst);
    return FALSE;
  }
  *lprcDst = r;
  return TRUE;
}

BOOL WINAPI UnionRect(LPRECT lprcDst, const RECT* a, const RECT* b) {
  if (!lprcDst || !a || !b) return FALSE;
  if (IsRectEmpty(a)) return IsRectEmpty(b) ? (SetRectEmpty(lprcDst), FALSE) : (*lprcDst = *b, TRUE);
  if (IsRectEmpty(b)) return *lprcDst = *a, TRUE;
  *lprcDst = {std::min(a->left, b->left), std::min(a->top, b->top), std::max(a->right, b->right),
              std::max(a->bottom, b->bottom)};
  return TRUE;
}

BOOL WINAPI EqualRect(const RECT* a, const RECT* b) {
  return a && b && a->left == b->left && a->top == b->top && a->right == b->right && a->bottom == b->bottom;
}

}  // extern "C"
