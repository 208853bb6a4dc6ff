// Painting bookkeeping: update areas per window, erase and frame flags,
// BeginPaint/EndPaint, UpdateWindow and RedrawWindow. An update area is kept
// as its bounding rectangle, which is what GetUpdateRect and PAINTSTRUCT give.
#include "gdi/dc.h"
#include "user/paint_hooks.h"
#include "user/user_internal.h"

#include <algorithm>

namespace host::user {
namespace {

PaintDevice& Device() {
  static PaintDevice device;
  return device;
}

RECT ClientArea(const Window& window) {
  return {0, 0, window.client.right - window.client.left, window.client.bottom - window.client.top};
}

HDC PaintDC(HWND hwnd, const RECT& paint) {
  if (Device().beginPaint) return Device().beginPaint(hwnd, paint);
  auto context = std::make_shared<gdi::DeviceContext>();
  context->kind = gdi::DcKind::Window;
  context->window = hwnd;
  return reinterpret_cast<HDC>(gdi::AddObject(context));
}

void ReleasePaintDC(HWND hwnd, HDC dc) {
  if (Device().endPaint)
    Device().endPaint(hwnd, dc);
  else
    gdi::RemoveObject(reinterpret_cast<HGDIOBJ>(dc));
}

bool HasNonClientArea(const Window& window) {
  return window.rect.left != window.client.left || window.rect.top != window.client.top ||
         window.rect.right != window.client.right || window.rect.bottom != window.client.bottom;
}

void Validate(Window& window, const RECT* rect) {
  if (!rect) {
    SetRectEmpty(&window.update);
    window.updateErase = false;
    return;
  }
  RECT& u = window.update;
  // Only a cut that takes a whole side off the bounding rectangle can be kept exactly.
  if (rect->left <= u.left && rect->right >= u.right) {
    if (rect->top <= u.top && rect->bottom >= u.bottom)
      SetRectEmpty(&u);
    else if (rect->top <= u.top && rect->bottom > u.top)
      u.top = rect->bottom;
    else if (rect->bottom >= u.bottom && rect->top < u.bottom)
      u.bottom = rect->top;
  } else if (rect->top <= u.top && rect->bottom >= u.bottom) {
    if (rect->left <= u.left && rect->right > u.left)
      u.left = rect->right;
    else if (rect->right >= u.right && rect->left < u.right)
      u.right = rect->left;
  }
  if (IsRectEmpty(&u)) {
    SetRectEmpty(&u);
    window.updateErase = false;
  }
}

std::vector<HWND> Children(HWND hwnd) {
  Lock lock(UserLock());
  auto window = FindWindowPtr(hwnd);
  return window ? window->children : std::vector<HWND>{};
}

void PaintNow(HWND hwnd, bool children) {
  auto window = FindWindowPtr(hwnd);
  if (!window) return;
  if (NeedsPaint(*window)) {
    SendMessageA(hwnd, WM_PAINT, 0, 0);
  }
  if (children)
    for (HWND child : Children(hwnd)) PaintNow(child, true);
}

void RedrawOne(Window& window, const RECT* rect, UINT flags) {
  if (flags & RDW_INVALIDATE) {
    InvalidateClient(window, rect, flags & RDW_ERASE);
    if (flags & RDW_FRAME) window.ncPaintPending = true;
  }
  if (flags & RDW_INTERNALPAINT) {  // on its own too: a WM_PAINT with nothing invalid
    window.internalPaint = true;
    WakeThreadOf(window.handle);
  }
  if (flags & RDW_VALIDATE) {
    Validate(window, rect);
    if (flags & RDW_NOFRAME) window.ncPaintPending = false;
    if (flags & RDW_NOINTERNALPAINT) window.internalPaint = false;
  }
  if (flags & RDW_NOERASE) window.updateErase = false;
}

void RedrawTree(HWND hwnd, const RECT* rect, UINT flags, bool top) {
  auto window = FindWindowPtr(hwnd);
  if (!window) return;
  RedrawOne(*window, rect, flags);
  if (flags & RDW_NOCHILDREN) return;
  if (!(flags & RDW_ALLCHILDREN) && (window->style & WS_CLIPCHILDREN)) return;
  for (HWND child : Children(hwnd)) {
    auto c = FindWindowPtr(child);
    if (!c || !(c->style & WS_VISIBLE)) continue;
    RECT local, *part = nullptr;
    if (rect) {
      if (!IntersectRect(&local, rect, &c->rect)) continue;
      OffsetRect(&local, -c->client.left, -c->client.top);
      part = &local;
    }
    RedrawTree(child, part, flags, false);
  }
  (void)top;
}

}  // namespace

void SetPaintDevice(PaintDevice device) {
  Lock lock(UserLock());
  Device() = std::move(device);
}

void InvalidateClient(Window& window, const RECT* rect, bool erase) {
  if (IsDesktop(window.handle)) return;  // the desktop belongs to no thread; nothing paints it here
  RECT area = ClientArea(window), part;
  if (rect && !IntersectRect(&part, rect, &area)) return;
  if (!rect) part = area;
  if (IsRectEmpty(&part)) return;
  Lock lock(UserLock());
  UnionRect(&window.update, &window.update, &part);
  if (erase) window.updateErase = true;
  WakeThreadOf(window.handle);
}

bool NeedsPaint(const Window& window) {
  return (!IsRectEmpty(&window.update) || window.internalPaint) && IsWindowVisible(window.handle);
}

void InvalidateUncovered(HWND parentHandle, RECT area, HWND except) {
  auto parent = FindWindowPtr(parentHandle);
  if (!parent) return;
  if (!IsDesktop(parentHandle)) InvalidateClient(*parent, &area, true);
  // Siblings below: a top-level area is in screen coordinates, a child's in its parent's client coordinates.
  for (HWND hwnd : Children(parentHandle)) {
    auto sibling = FindWindowPtr(hwnd);
    if (!sibling || hwnd == except || !(sibling->style & WS_VISIBLE)) continue;
    RECT inter;
    if (!IntersectRect(&inter, &area, &sibling->rect)) continue;
    sibling->ncPaintPending = true;
    RECT local = inter;
    OffsetRect(&local, -sibling->client.left, -sibling->client.top);
    InvalidateClient(*sibling, &local, true);
  }
}

void PaintFrameAndEraseNow(HWND hwnd) {
  auto window = FindWindowPtr(hwnd);
  if (!window || !IsWindowVisible(hwnd)) return;
  if (window->ncPaintPending) {
    window->ncPaintPending = false;
    if (HasNonClientArea(*window)) SendMessageA(hwnd, WM_NCPAINT, 1, 0);
  }
  if (FindWindowPtr(hwnd) && window->updateErase && !IsRectEmpty(&window->update)) {
    HDC dc = PaintDC(hwnd, window->update);
    if (SendMessageA(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0)) window->updateErase = false;
    ReleasePaintDC(hwnd, dc);
  }
  for (HWND child : Children(hwnd)) PaintFrameAndEraseNow(child);
}

LRESULT EraseBackground(Window& window, HDC dc) {
  HBRUSH brush = window.cls->background;
  if (!brush) return 0;
  if (Device().fillRect) {
    RECT paint = IsRectEmpty(&window.update) ? ClientArea(window) : window.update;
    Device().fillRect(dc, paint, brush);
  }
  return 1;
}

void DrawFrame(Window& window) {
  if (Device().drawFrame) Device().drawFrame(window.handle, GetActiveWindow() == window.handle);
}

HBRUSH SysColorBrush(int index) { return Device().sysColorBrush ? Device().sysColorBrush(index) : nullptr; }

}  // namespace host::user

using namespace host::user;

extern "C" {

HDC WINAPI BeginPaint(HWND hWnd, LPPAINTSTRUCT lpPaint) {
  auto window = CheckWindow(hWnd);
  if (!window || !lpPaint) return nullptr;
  if (window->ncPaintPending) {
    window->ncPaintPending = false;
    if (HasNonClientArea(*window)) SendMessageA(hWnd, WM_NCPAINT, 1, 0);
  }
  *lpPaint = PAINTSTRUCT{};
  lpPaint->rcPaint = window->update;
  HDC dc = PaintDC(hWnd, window->update);
  lpPaint->hdc = dc;
  bool erase = window->updateErase;
  {
    Lock lock(UserLock());
    window->updateErase = false;
  }
  lpPaint->fErase = erase ? !SendMessageA(hWnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0) : FALSE;
  Lock lock(UserLock());
  SetRectEmpty(&window->update);
  window->internalPaint = false;
  window->inPaint = true;
  return dc;
}

BOOL WINAPI EndPaint(HWND hWnd, const PAINTSTRUCT* lpPaint) {
  auto window = FindWindowPtr(hWnd);
  if (window) window->inPaint = false;
  if (lpPaint && lpPaint->hdc) ReleasePaintDC(hWnd, lpPaint->hdc);
  return TRUE;
}

BOOL WINAPI InvalidateRect(HWND hWnd, const RECT* lpRect, BOOL bErase) {
  if (!hWnd) return RedrawWindow(nullptr, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
  auto window = CheckWindow(hWnd);
  if (!window) return FALSE;
  InvalidateClient(*window, lpRect, bErase);
  return TRUE;
}

BOOL WINAPI ValidateRect(HWND hWnd, const RECT* lpRect) {
  auto window = CheckWindow(hWnd);
  if (!window) return FALSE;
  Lock lock(UserLock());
  Validate(*window, lpRect);
  return TRUE;
}

BOOL WINAPI GetUpdateRect(HWND hWnd, LPRECT lpRect, BOOL bErase) {
  auto window = CheckWindow(hWnd);
  if (!window) return FALSE;
  if (bErase && window->updateErase) PaintFrameAndEraseNow(hWnd);
  if (lpRect) *lpRect = window->update;
  return !IsRectEmpty(&window->update);
}

BOOL WINAPI UpdateWindow(HWND hWnd) {
  if (!CheckWindow(hWnd)) return FALSE;
  PaintNow(hWnd, true);
  return TRUE;
}

// A region argument counts as the whole window: regions are the GDI's.
BOOL WINAPI RedrawWindow(HWND hWnd, const RECT* lprcUpdate, HRGN, UINT flags) {
  HWND target = hWnd ? hWnd : U().desktop;
  if (!CheckWindow(target)) return FALSE;
  if (IsDesktop(target)) {
    for (HWND top : Children(target)) {
      auto window = FindWindowPtr(top);
      if (!window) continue;
      RECT local, *part = nullptr;
      if (lprcUpdate) {
        if (!IntersectRect(&local, lprcUpdate, &window->rect)) continue;
        OffsetRect(&local, -window->client.left, -window->client.top);
        part = &local;
      }
      RedrawTree(top, part, flags | RDW_ALLCHILDREN, true);
    }
  } else {
    RedrawTree(target, lprcUpdate, flags, true);
  }
  if (flags & (RDW_ERASENOW | RDW_UPDATENOW)) {
    std::vector<HWND> roots = IsDesktop(target) ? Children(target) : std::vector<HWND>{target};
    for (HWND root : roots) {
      PaintFrameAndEraseNow(root);
      if (flags & RDW_UPDATENOW) PaintNow(root, !(flags & RDW_NOCHILDREN));
    }
  }
  return TRUE;
}

}  // extern "C"
