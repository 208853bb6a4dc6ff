// Geometry: Windows 95 non-client metrics, SetWindowPos and ShowWindow with
// their notifications, placement, coordinate mapping and hit-testing points.
#include "user/user_internal.h"

#include <algorithm>

namespace host::user {
namespace {

constexpr UINT kStateChanged = 0x8000;  // SWP_STATECHANGED: minimize/maximize/restore

bool HasThickFrame(DWORD style) { return (style & WS_THICKFRAME) && (style & (WS_DLGFRAME | WS_BORDER)) != WS_DLGFRAME; }
bool HasDialogFrame(DWORD style, DWORD exStyle) {
  return (exStyle & WS_EX_DLGMODALFRAME) || ((style & WS_DLGFRAME) && !(style & WS_THICKFRAME));
}
bool HasThinFrame(DWORD style) { return (style & WS_BORDER) || !(style & (WS_CHILD | WS_POPUP)); }

RECT ParentClient(const Window& window) {
  auto parent = FindWindowPtr(window.parent);
  if (!parent) return {};
  RECT r = parent->client;
  OffsetRect(&r, -r.left, -r.top);
  return r;
}

void FixRedundantFlags(const Window& window, WINDOWPOS& pos) {
  if (window.style & WS_VISIBLE)
    pos.flags &= ~SWP_SHOWWINDOW;
  else
    pos.flags &= ~SWP_HIDEWINDOW;
  if (pos.cx < 0) pos.cx = 0;
  if (pos.cy < 0) pos.cy = 0;
  if (pos.cx == window.rect.right - window.rect.left && pos.cy == window.rect.bottom - window.rect.top)
    pos.flags |= SWP_NOSIZE;
  if (pos.x == window.rect.left && pos.y == window.rect.top) pos.flags |= SWP_NOMOVE;
  if (!(pos.flags & SWP_NOZORDER)) {
    auto parent = FindWindowPtr(window.parent);
    if (pos.hwndInsertAfter == window.handle) {
      pos.flags |= SWP_NOZORDER;
    } else if (parent && (pos.hwndInsertAfter == HWND_TOP) && !parent->children.empty() &&
               parent->children.front() == window.handle) {
      pos.flags |= SWP_NOZORDER;
    }
  }
}

// The new window rectangle gets its client area from WM_NCCALCSIZE when the
// size or the frame changes; otherwise the client area moves with the window.
RECT NewClient(const std::shared_ptr<Window>& window, const RECT& newRect, WINDOWPOS& pos) {
  RECT client = window->client;
  if (!(pos.flags & SWP_NOSIZE) || (pos.flags & SWP_FRAMECHANGED)) {
    NCCALCSIZE_PARAMS params{{newRect, window->rect, window->client}, &pos};
    SendMessageA(window->handle, WM_NCCALCSIZE, TRUE, reinterpret_cast<LPARAM>(&params));
    return params.rgrc[0];
  }
  OffsetRect(&client, newRect.left - window->rect.left, newRect.top - window->rect.top);
  return client;
}

void Invalidate(Window& window, bool whole, const RECT& oldClient) {
  RECT all{0, 0, window.client.right - window.client.left, window.client.bottom - window.client.top};
  if (whole || (window.cls->style & (CS_HREDRAW | CS_VREDRAW))) {
    InvalidateClient(window, &all, true);
    window.ncPaintPending = true;
    return;
  }
  // Only the newly exposed strips of a grown window need painting.
  int oldW = oldClient.right - oldClient.left, oldH = oldClient.bottom - oldClient.top;
  if (all.right > oldW) {
    RECT strip{oldW, 0, all.right, all.bottom};
    InvalidateClient(window, &strip, true);
  }
  if (all.bottom > oldH) {
    RECT strip{0, oldH, all.right, all.bottom};
    InvalidateClient(window, &strip, true);
  }
  window.ncPaintPending = true;
}

// A window that appears shows its visible children with it: they paint too,
// though nothing invalidated them while their parent was hidden.
void InvalidateShownChildren(const Window& window) {
  std::vector<HWND> children;
  {
    Lock lock(UserLock());
    children = window.children;
  }
  for (HWND hwnd : children) {
    auto child = FindWindowPtr(hwnd);
    if (!child || !(child->style & WS_VISIBLE)) continue;
    Invalidate(*child, true, child->client);
    InvalidateShownChildren(*child);
  }
}

// Minimize, maximize and restore compute the new rectangle and state.
UINT MinMaximize(const std::shared_ptr<Window>& window, int cmd, RECT* rect) {
  Window& w = *window;
  bool minimized = w.style & WS_MINIMIZE, maximized = w.style & WS_MAXIMIZE;
  if (!minimized && !maximized) w.normalRect = w.rect;
  switch (cmd) {
    case SW_MINIMIZE:
    case SW_SHOWMINIMIZED:
    case SW_SHOWMINNOACTIVE:
    case SW_FORCEMINIMIZE: {
      if (minimized) return 0;
      w.restoreToMaximized = maximized;
      w.style = (w.style & ~WS_MAXIMIZE) | WS_MINIMIZE;
      RECT parent = ParentClient(w);
      POINT at = w.minPos.x == -1 && w.minPos.y == -1 ? POINT{0, parent.bottom - kIconicHeight} : w.minPos;
      *rect = {at.x, at.y, at.x + kIconicWidth, at.y + kIconicHeight};
      return SWP_NOCOPYBITS | kStateChanged | SWP_FRAMECHANGED;
    }
    case SW_MAXIMIZE: {
      if (maximized && !minimized) return 0;
      MINMAXINFO info = MinMaxInfo(w);
      SendMessageA(w.handle, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
      w.style = (w.style & ~WS_MINIMIZE) | WS_MAXIMIZE;
      *rect = {info.ptMaxPosition.x, info.ptMaxPosition.y, info.ptMaxPosition.x + info.ptMaxSize.x,
               info.ptMaxPosition.y + info.ptMaxSize.y};
      return kStateChanged | SWP_FRAMECHANGED;
    }
    default: {  // restore
      if (minimized && w.restoreToMaximized) {
        w.style &= ~WS_MINIMIZE;
        return MinMaximize(window, SW_MAXIMIZE, rect);
      }
      if (!minimized && !maximized) return 0;
      w.style &= ~(WS_MINIMIZE | WS_MAXIMIZE);
      *rect = w.normalRect;
      return kStateChanged | SWP_FRAMECHANGED;
    }
  }
}

}  // namespace

void NonClientInsets(DWORD style, DWORD exStyle, bool menu, RECT* insets) {
  int frame = 0;
  if (HasThickFrame(style))
    frame = kFrame;
  else if (HasDialogFrame(style, exStyle))
    frame = kDialogFrame;
  else if (HasThinFrame(style))
    frame = kBorder;
  *insets = {frame, frame, frame, frame};
  if ((style & WS_CAPTION) == WS_CAPTION) insets->top += (exStyle & WS_EX_TOOLWINDOW) ? kSmallCaption : kCaption;
  if (menu) insets->top += kMenuBar;
  int edge = (exStyle & WS_EX_CLIENTEDGE) ? kEdge : (exStyle & WS_EX_STATICEDGE) ? kBorder : 0;
  insets->left += edge;
  insets->top += edge;
  insets->right += edge;
  insets->bottom += edge;
  if (style & WS_VSCROLL) insets->right += kScrollBar;
  if (style & WS_HSCROLL) insets->bottom += kScrollBar;
}

MINMAXINFO MinMaxInfo(const Window& window) {
  RECT desk = FindWindowPtr(U().desktop)->rect;
  RECT insets;
  NonClientInsets(window.style, window.exStyle, false, &insets);
  int frameX = insets.left, frameY = insets.bottom;  // the frame only, without caption
  MINMAXINFO info{};
  info.ptMaxSize = {desk.right + 2 * frameX, desk.bottom + 2 * frameY};
  info.ptMaxPosition = {-frameX, -frameY};
  info.ptMinTrackSize = {kMinTrackWidth, kMinTrackHeight};
  info.ptMaxTrackSize = {desk.right + 2 * kFrame + 12, desk.bottom + 2 * kFrame + 12};  // SM_CXMAXTRACK
  return info;
}

RECT ScreenRect(const Window& window) {
  RECT r = window.rect;
  auto parent = FindWindowPtr(window.parent);
  if (parent && !IsDesktop(parent->handle)) {
    POINT origin = ClientOrigin(*parent);
    OffsetRect(&r, origin.x, origin.y);
  }
  return r;
}

POINT ClientOrigin(const Window& window) {
  POINT p{window.client.left, window.client.top};
  auto parent = FindWindowPtr(window.parent);
  if (parent && !IsDesktop(window.handle) && !IsDesktop(parent->handle)) {
    POINT origin = ClientOrigin(*parent);
    p.x += origin.x;
    p.y += origin.y;
  }
  return p;
}

// A visible window that only moves keeps its pixels unless the caller says otherwise.
static bool KeepsItsBits(const Window& window, const WINDOWPOS& pos, const RECT& oldRect, const RECT& newRect) {
  if (!(window.style & WS_VISIBLE) || (pos.flags & (SWP_NOCOPYBITS | SWP_NOREDRAW | SWP_HIDEWINDOW))) return false;
  if (EqualRect(&oldRect, &newRect)) return false;
  return oldRect.right - oldRect.left == newRect.right - newRect.left &&
         oldRect.bottom - oldRect.top == newRect.bottom - newRect.top;
}

void ApplyWindowPos(WINDOWPOS& pos) {
  auto window = FindWindowPtr(pos.hwnd);
  if (!window) return;
  if (!(pos.flags & SWP_NOSENDCHANGING)) {
    SendMessageA(pos.hwnd, WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&pos));
    if (!FindWindowPtr(pos.hwnd)) return;
  }
  if (pos.flags & SWP_NOMOVE) pos.x = window->rect.left, pos.y = window->rect.top;
  if (pos.flags & SWP_NOSIZE)
    pos.cx = window->rect.right - window->rect.left, pos.cy = window->rect.bottom - window->rect.top;
  FixRedundantFlags(*window, pos);
  RECT oldRect = window->rect, oldClient = window->client;
  RECT newRect{pos.x, pos.y, pos.x + pos.cx, pos.y + pos.cy};
  RECT newClient = NewClient(window, newRect, pos);
  bool wasVisible = window->style & WS_VISIBLE;
  RECT oldScreen = ScreenRect(*window);
  ScreenBits kept;
  if (KeepsItsBits(*window, pos, oldRect, newRect)) {
    RECT onScreen, screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (IntersectRect(&onScreen, &oldScreen, &screen)) kept = SaveScreenBits(onScreen);
  }
  {
    Lock lock(UserLock());
    window->rect = newRect;
    window->client = newClient;
    if (!(pos.flags & SWP_NOZORDER)) {
      if (pos.hwndInsertAfter == HWND_TOPMOST) window->exStyle |= WS_EX_TOPMOST;
      if (pos.hwndInsertAfter == HWND_NOTOPMOST) window->exStyle &= ~WS_EX_TOPMOST;
      if (auto parent = FindWindowPtr(window->parent)) InsertInZOrder(*parent, pos.hwnd, pos.hwndInsertAfter);
    }
    if (pos.flags & SWP_SHOWWINDOW) window->style |= WS_VISIBLE;
    if (pos.flags & SWP_HIDEWINDOW) window->style &= ~WS_VISIBLE;
    if (!(window->style & (WS_MINIMIZE | WS_MAXIMIZE))) window->normalRect = newRect;
  }
  NoteWindowAreasChanged();
  bool visible = window->style & WS_VISIBLE;
  bool moved = !EqualRect(&oldRect, &newRect);
  if (!(pos.flags & SWP_NOREDRAW)) {
    if (wasVisible && (moved || !visible)) InvalidateUncovered(window->parent, oldRect, pos.hwnd);
    if (visible && (!wasVisible || (pos.flags & SWP_FRAMECHANGED)))
      Invalidate(*window, true, oldClient);
    else if (visible && !(pos.flags & SWP_NOSIZE))
      Invalidate(*window, false, oldClient);
    if (visible && !wasVisible) InvalidateShownChildren(*window);
  }
  if ((pos.flags & SWP_SHOWWINDOW) && !(pos.flags & SWP_NOACTIVATE) && IsTopLevel(*window))
    ActivateWindow(pos.hwnd, false);
  if ((pos.flags & SWP_HIDEWINDOW) && IsTopLevel(*window) && CurrentQueue()->active == pos.hwnd)
    ActivateOtherWindow(pos.hwnd);
  if (wasVisible && (moved || !visible) && !(pos.flags & SWP_NOREDRAW) && IsTopLevel(*window))
    PaintDesktop(oldScreen);
  if (kept.dc) {
    RECT newScreen = ScreenRect(*window);
    RestoreScreenBits(kept, pos.hwnd, {kept.area.left - oldScreen.left + newScreen.left,
                                       kept.area.top - oldScreen.top + newScreen.top});
  }
  if (visible && !(pos.flags & SWP_NOREDRAW)) PaintFrameAndEraseNow(pos.hwnd);
  if (EqualRect(&oldClient, &newClient) ||
      (oldClient.right - oldClient.left == newClient.right - newClient.left &&
       oldClient.bottom - oldClient.top == newClient.bottom - newClient.top))
    pos.flags |= kNoClientSize;
  if (oldClient.left == newClient.left && oldClient.top == newClient.top) pos.flags |= kNoClientMove;
  constexpr UINT kNoChange = SWP_NOSIZE | SWP_NOMOVE | kNoClientSize | kNoClientMove | SWP_NOZORDER;
  constexpr UINT kStatus = kNoChange | SWP_FRAMECHANGED | SWP_HIDEWINDOW | SWP_SHOWWINDOW;
  if ((pos.flags & kStatus) != kNoChange && FindWindowPtr(pos.hwnd))
    SendMessageA(pos.hwnd, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&pos));
}

HWND DeepestWindowAt(std::shared_ptr<Window> parent, size_t first, POINT point) {
  HWND found = nullptr;
  while (parent) {
    std::shared_ptr<Window> hit;
    for (size_t i = first; i < parent->children.size(); ++i) {
      auto window = FindWindowPtr(parent->children[i]);
      if (!window || !(window->style & WS_VISIBLE)) continue;
      RECT r = ScreenRect(*window);
      if (!PtInRect(&r, point)) continue;
      if ((window->style & WS_CHILD) && (window->style & WS_DISABLED)) break;
      hit = window;
      break;
    }
    if (!hit) break;
    found = hit->handle;
    if (hit->style & WS_MINIMIZE) break;
    RECT client{0, 0, hit->client.right - hit->client.left, hit->client.bottom - hit->client.top};
    POINT origin = ClientOrigin(*hit);
    OffsetRect(&client, origin.x, origin.y);
    if (!PtInRect(&client, point)) break;
    parent = hit;
    first = 0;
  }
  return found;
}

HWND WindowBeneath(HWND transparent, POINT point) {
  Lock lock(UserLock());
  auto window = FindWindowPtr(transparent);
  if (!window || !(window->style & WS_CHILD)) return nullptr;
  auto parent = FindWindowPtr(window->parent);
  if (!parent) return nullptr;
  auto at = std::find(parent->children.begin(), parent->children.end(), transparent);
  if (at == parent->children.end()) return nullptr;
  HWND below = DeepestWindowAt(parent, static_cast<size_t>(at - parent->children.begin()) + 1, point);
  return below ? below : parent->handle;
}

}  // namespace host::user

using namespace host::user;

extern "C" {

BOOL WINAPI GetWindowRect(HWND hWnd, LPRECT lpRect) {
  Lock lock(UserLock());
  auto window = CheckWindow(hWnd);
  if (!window || !lpRect) return FALSE;
  *lpRect = ScreenRect(*window);
  return TRUE;
}

BOOL WINAPI GetClientRect(HWND hWnd, LPRECT lpRect) {
  Lock lock(UserLock());
  auto window = CheckWindow(hWnd);
  if (!window || !lpRect) return FALSE;
  *lpRect = {0, 0, window->client.right - window->client.left, window->client.bottom - window->client.top};
  return TRUE;
}

BOOL WINAPI SetWindowPos(HWND hWnd, HWND hWndInsertAfter, int X, int Y, int cx, int cy, UINT uFlags) {
  auto window = CheckWindow(hWnd);
  if (!window || IsDesktop(hWnd)) return FALSE;
  WINDOWPOS pos{hWnd, hWndInsertAfter, X, Y, cx, cy, uFlags & 0x67FF};
  ApplyWindowPos(pos);
  return TRUE;
}

BOOL WINAPI MoveWindow(HWND hWnd, int X, int Y, int nWidth, int nHeight, BOOL bRepaint) {
  return SetWindowPos(hWnd, nullptr, X, Y, nWidth, nHeight, SWP_NOZORDER | SWP_NOACTIVATE | (bRepaint ? 0 : SWP_NOREDRAW));
}

BOOL WINAPI BringWindowToTop(HWND hWnd) { return SetWindowPos(hWnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE); }

// Returns whether the window was visible before.
BOOL WINAPI ShowWindow(HWND hWnd, int nCmdShow) {
  auto window = CheckWindow(hWnd);
  if (!window || IsDesktop(hWnd)) return FALSE;
  bool wasVisible = window->style & WS_VISIBLE;
  bool child = window->style & WS_CHILD;
  UINT flags = 0;
  RECT rect = window->rect;
  bool show = true;
  switch (nCmdShow) {
    case SW_HIDE:
      if (!wasVisible) return FALSE;
      show = false;
      flags = SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE;
      if (child) flags |= SWP_NOACTIVATE | SWP_NOZORDER;
      break;
    case SW_SHOWMINNOACTIVE:
    case SW_MINIMIZE:
    case SW_FORCEMINIMIZE:
      flags = SWP_NOACTIVATE | SWP_NOZORDER;
      [[fallthrough]];
    case SW_SHOWMINIMIZED:
      flags |= SWP_SHOWWINDOW;
      flags |= MinMaximize(window, nCmdShow, &rect);
      if (!(flags & kStateChanged)) flags |= SWP_NOSIZE | SWP_NOMOVE;
      break;
    case SW_SHOWMAXIMIZED:
      flags = SWP_SHOWWINDOW | MinMaximize(window, SW_MAXIMIZE, &rect);
      if (!(flags & kStateChanged)) flags |= SWP_NOSIZE | SWP_NOMOVE;
      break;
    case SW_SHOWNA:
      flags = SWP_NOACTIVATE | SWP_NOZORDER;
      [[fallthrough]];
    case SW_SHOW:
      if (wasVisible) return TRUE;
      flags |= SWP_SHOWWINDOW | SWP_NOSIZE | SWP_NOMOVE;
      break;
    case SW_SHOWNOACTIVATE:
      flags = SWP_NOACTIVATE | SWP_NOZORDER;
      [[fallthrough]];
    case SW_SHOWNORMAL:
    case SW_SHOWDEFAULT:
    case SW_RESTORE:
      flags |= SWP_SHOWWINDOW;
      flags |= MinMaximize(window, SW_RESTORE, &rect);
      if (!(flags & kStateChanged)) {
        if (wasVisible) return TRUE;
        flags |= SWP_NOSIZE | SWP_NOMOVE;
      }
      break;
    default:
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
  }
  if (child) flags |= SWP_NOACTIVATE | SWP_NOZORDER;
  if (show != wasVisible && nCmdShow != SW_SHOWMAXIMIZED && !(flags & kStateChanged)) {
    SendMessageA(hWnd, WM_SHOWWINDOW, show, 0);
    if (!FindWindowPtr(hWnd)) return wasVisible;
  }
  auto parent = FindWindowPtr(window->parent);
  if (child && parent && !IsWindowVisible(parent->handle) && !(flags & kStateChanged)) {
    Lock lock(UserLock());
    if (show)
      window->style |= WS_VISIBLE;
    else
      window->style &= ~WS_VISIBLE;
    NoteWindowAreasChanged();
    return wasVisible;
  }
  if (!show) {
    HWND focus = CurrentQueue()->focus;
    if (focus && (focus == hWnd || IsDescendant(hWnd, focus))) SetFocus(child ? window->parent : nullptr);
  }
  WINDOWPOS pos{hWnd, HWND_TOP, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, flags};
  ApplyWindowPos(pos);
  if ((nCmdShow == SW_MINIMIZE || nCmdShow == SW_FORCEMINIMIZE) && CurrentQueue()->active == hWnd)
    ActivateOtherWindow(hWnd);
  return wasVisible;
}

BOOL WINAPI GetWindowPlacement(HWND hWnd, WINDOWPLACEMENT* lpwndpl) {
  Lock lock(UserLock());
  auto window = CheckWindow(hWnd);
  if (!window || !lpwndpl) return FALSE;
  lpwndpl->length = sizeof(WINDOWPLACEMENT);
  lpwndpl->flags = window->restoreToMaximized && (window->style & WS_MINIMIZE) ? WPF_RESTORETOMAXIMIZED : 0;
  lpwndpl->showCmd = (window->style & WS_MINIMIZE)   ? SW_SHOWMINIMIZED
                     : (window->style & WS_MAXIMIZE) ? SW_SHOWMAXIMIZED
                                                     : SW_SHOWNORMAL;
  lpwndpl->ptMinPosition = (window->style & WS_MINIMIZE) ? POINT{window->rect.left, window->rect.top} : window->minPos;
  lpwndpl->ptMaxPosition = window->maxPos;
  lpwndpl->rcNormalPosition = (window->style & (WS_MINIMIZE | WS_MAXIMIZE)) ? window->normalRect : window->rect;
  return TRUE;
}

BOOL WINAPI SetWindowPlacement(HWND hWnd, const WINDOWPLACEMENT* lpwndpl) {
  auto window = CheckWindow(hWnd);
  if (!window || !lpwndpl || lpwndpl->length != sizeof(WINDOWPLACEMENT)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  {
    Lock lock(UserLock());
    if (lpwndpl->flags & WPF_SETMINPOSITION) window->minPos = lpwndpl->ptMinPosition;
    window->maxPos = lpwndpl->ptMaxPosition;
  }
  const RECT& r = lpwndpl->rcNormalPosition;
  bool normal = !(window->style & (WS_MINIMIZE | WS_MAXIMIZE));
  if (normal)
    SetWindowPos(hWnd, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
  else
    window->normalRect = r;
  ShowWindow(hWnd, static_cast<int>(lpwndpl->showCmd));
  if (window->style & WS_MINIMIZE) window->restoreToMaximized = lpwndpl->flags & WPF_RESTORETOMAXIMIZED;
  return TRUE;
}

BOOL WINAPI ClientToScreen(HWND hWnd, LPPOINT lpPoint) {
  Lock lock(UserLock());
  auto window = CheckWindow(hWnd);
  if (!window || !lpPoint) return FALSE;
  POINT origin = ClientOrigin(*window);
  lpPoint->x += origin.x;
  lpPoint->y += origin.y;
  return TRUE;
}

BOOL WINAPI ScreenToClient(HWND hWnd, LPPOINT lpPoint) {
  Lock lock(UserLock());
  auto window = CheckWindow(hWnd);
  if (!window || !lpPoint) return FALSE;
  POINT origin = ClientOrigin(*window);
  lpPoint->x -= origin.x;
  lpPoint->y -= origin.y;
  return TRUE;
}

int WINAPI MapWindowPoints(HWND hWndFrom, HWND hWndTo, LPPOINT lpPoints, UINT cPoints) {
  Lock lock(UserLock());
  POINT from{}, to{};
  if (hWndFrom && !IsDesktop(hWndFrom)) {
    auto window = CheckWindow(hWndFrom);
    if (!window) return 0;
    from = ClientOrigin(*window);
  }
  if (hWndTo && !IsDesktop(hWndTo)) {
    auto window = CheckWindow(hWndTo);
    if (!window) return 0;
    to = ClientOrigin(*window);
  }
  LONG dx = from.x - to.x, dy = from.y - to.y;
  for (UINT i = 0; lpPoints && i < cPoints; ++i) lpPoints[i].x += dx, lpPoints[i].y += dy;
  SetLastError(0);
  return MAKELONG(static_cast<WORD>(dx), static_cast<WORD>(dy));
}

// The deepest visible, enabled-or-not window under the point; disabled
// children stop the search at their parent, as on Windows.
HWND WINAPI WindowFromPoint(POINT Point) {
  Lock lock(UserLock());
  HWND found = DeepestWindowAt(FindWindowPtr(U().desktop), 0, Point);
  return found ? found : U().desktop;
}

// Hidden and disabled children count here; the point is in the parent's client coordinates.
HWND WINAPI ChildWindowFromPoint(HWND hWndParent, POINT Point) {
  Lock lock(UserLock());
  auto parent = CheckWindow(hWndParent);
  if (!parent) return nullptr;
  RECT client{0, 0, parent->client.right - parent->client.left, parent->client.bottom - parent->client.top};
  if (!PtInRect(&client, Point)) return nullptr;
  for (HWND hwnd : parent->children) {
    auto window = FindWindowPtr(hwnd);
    if (window && PtInRect(&window->rect, Point)) return hwnd;
  }
  return hWndParent;
}

BOOL WINAPI AdjustWindowRectEx(LPRECT lpRect, DWORD dwStyle, BOOL bMenu, DWORD dwExStyle) {
  if (!lpRect) return FALSE;
  RECT insets;
  NonClientInsets(dwStyle & ~(WS_VSCROLL | WS_HSCROLL), dwExStyle, bMenu, &insets);  // scroll bars excluded
  lpRect->left -= insets.left;
  lpRect->top -= insets.top;
  lpRect->right += insets.right;
  lpRect->bottom += insets.bottom;
  return TRUE;
}

BOOL WINAPI AdjustWindowRect(LPRECT lpRect, DWORD dwStyle, BOOL bMenu) {
  return AdjustWindowRectEx(lpRect, dwStyle, bMenu, 0);
}

}  // extern "C"
