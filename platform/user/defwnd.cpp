// DefWindowProcA: what Windows 95 does for a message a window leaves to the
// system, and the non-client hit test.
#include "user/paint_hooks.h"
#include "user/user_internal.h"

#include <algorithm>

namespace host::user {
namespace {

constexpr int kCaptionButton = 18;  // SM_CXSIZE, SM_CYSIZE

POINT PointOf(LPARAM lParam) {
  return {static_cast<SHORT>(LOWORD(lParam)), static_cast<SHORT>(HIWORD(lParam))};
}

bool HasMenuBar(const Window& window) { return !(window.style & WS_CHILD) && window.id != 0; }

LRESULT CalcSize(Window& window, WPARAM wParam, LPARAM lParam) {
  RECT* rect = wParam ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam)->rgrc[0] : reinterpret_cast<RECT*>(lParam);
  if (!rect || (window.style & WS_MINIMIZE)) return 0;
  RECT insets;
  NonClientInsets(window.style, window.exStyle, HasMenuBar(window), &insets);
  rect->left += insets.left;
  rect->top += insets.top;
  rect->right -= insets.right;
  rect->bottom -= insets.bottom;
  rect->right = std::max(rect->right, rect->left);
  rect->bottom = std::max(rect->bottom, rect->top);
  return 0;
}

LONG FrameHit(const RECT& inner, POINT pt) {
  if (pt.y < inner.top) {
    if (pt.x < inner.left + kCaptionButton) return HTTOPLEFT;
    if (pt.x >= inner.right - kCaptionButton) return HTTOPRIGHT;
    return HTTOP;
  }
  if (pt.y >= inner.bottom) {
    if (pt.x < inner.left + kCaptionButton) return HTBOTTOMLEFT;
    if (pt.x >= inner.right - kCaptionButton) return HTBOTTOMRIGHT;
    return HTBOTTOM;
  }
  if (pt.x < inner.left) {
    if (pt.y < inner.top + kCaptionButton) return HTTOPLEFT;
    if (pt.y >= inner.bottom - kCaptionButton) return HTBOTTOMLEFT;
    return HTLEFT;
  }
  if (pt.y < inner.top + kCaptionButton) return HTTOPRIGHT;
  if (pt.y >= inner.bottom - kCaptionButton) return HTBOTTOMRIGHT;
  return HTRIGHT;
}

LONG CaptionHit(const Window& window, RECT bar, POINT pt) {
  bool tool = window.exStyle & WS_EX_TOOLWINDOW;
  if ((window.style & WS_SYSMENU) && !tool && pt.x < bar.left + kCaptionButton) return HTSYSMENU;
  if (window.style & WS_SYSMENU) {
    bar.right -= (tool ? kSmallCaption : kCaption) - 1;
    if (pt.x >= bar.right) return HTCLOSE;
  }
  if (!tool && (window.style & (WS_MAXIMIZEBOX | WS_MINIMIZEBOX))) {
    bar.right -= kCaptionButton - 2;
    if (pt.x >= bar.right) return (window.style & WS_MAXIMIZEBOX) ? HTMAXBUTTON : HTNOWHERE;
    bar.right -= kCaptionButton - 2;
    if (pt.x >= bar.right) return (window.style & WS_MINIMIZEBOX) ? HTMINBUTTON : HTNOWHERE;
  }
  return HTCAPTION;
}

void HandlePosChanged(HWND hwnd, const WINDOWPOS* pos) {
  auto window = FindWindowPtr(hwnd);
  if (!window || !pos) return;
  RECT client = window->client;
  if (!(pos->flags & kNoClientMove)) SendMessageA(hwnd, WM_MOVE, 0, MAKELPARAM(client.left, client.top));
  if (!(pos->flags & kNoClientSize) || (pos->flags & 0x8000)) {
    if (window->style & WS_MINIMIZE)
      SendMessageA(hwnd, WM_SIZE, SIZE_MINIMIZED, 0);
    else
      SendMessageA(hwnd, WM_SIZE, (window->style & WS_MAXIMIZE) ? SIZE_MAXIMIZED : SIZE_RESTORED,
                   MAKELPARAM(client.right - client.left, client.bottom - client.top));
  }
}

LRESULT SysCommand(HWND hwnd, WPARAM wParam, LPARAM lParam) {
  switch (wParam & 0xFFF0) {
    case SC_CLOSE: return SendMessageA(hwnd, WM_CLOSE, 0, 0);
    case SC_MOVE: RunMoveLoop(hwnd, PointOf(lParam)); return 0;
    case SC_MINIMIZE: ShowWindow(hwnd, SW_MINIMIZE); return 0;
    case SC_MAXIMIZE: ShowWindow(hwnd, SW_MAXIMIZE); return 0;
    case SC_RESTORE: ShowWindow(hwnd, SW_RESTORE); return 0;
  }
  return 0;
}

LRESULT NcButtonDown(HWND hwnd, WPARAM hit, LPARAM lParam) {
  switch (hit) {
    case HTCAPTION: return SendMessageA(hwnd, WM_SYSCOMMAND, SC_MOVE + HTCAPTION, lParam);
    case HTSYSMENU: TrackSystemMenu(hwnd, PointOf(lParam)); return 0;
    case HTCLOSE:
    case HTMINBUTTON:
    case HTMAXBUTTON: RunCaptionButtonLoop(hwnd, static_cast<LONG>(hit)); return 0;
  }
  return 0;
}

LRESULT SetCursorFor(const std::shared_ptr<Window>& window, WPARAM wParam, LPARAM lParam) {
  if ((window->style & WS_CHILD) && window->parent && !IsDesktop(window->parent)) {
    if (SendMessageA(window->parent, WM_SETCURSOR, wParam, lParam)) return TRUE;
  }
  SHORT hit = static_cast<SHORT>(LOWORD(lParam));
  if (hit == HTERROR) {
    WORD mouse = HIWORD(lParam);
    if (mouse == WM_LBUTTONDOWN || mouse == WM_RBUTTONDOWN || mouse == WM_MBUTTONDOWN) MessageBeep(0);
    return FALSE;
  }
  if (hit == HTCLIENT) {
    if (window->cls->cursor) SetCursor(window->cls->cursor);
    return TRUE;
  }
  return FALSE;
}

LRESULT GetText(Window& window, WPARAM size, LPARAM buffer) {
  if (!size || !buffer) return 0;
  auto out = reinterpret_cast<char*>(buffer);
  size_t count = std::min<size_t>(window.text.size(), size - 1);
  std::copy_n(window.text.data(), count, out);
  out[count] = '\0';
  return static_cast<LRESULT>(count);
}

}  // namespace

LONG HitTest(const Window& window, POINT pt) {
  RECT rect = ScreenRect(window);
  if (!PtInRect(&rect, pt)) return HTNOWHERE;
  if (window.style & WS_MINIMIZE) return HTCAPTION;
  POINT origin = ClientOrigin(window);
  RECT client{origin.x, origin.y, origin.x + window.client.right - window.client.left,
              origin.y + window.client.bottom - window.client.top};
  if (PtInRect(&client, pt)) return HTCLIENT;
  RECT frameOnly;
  NonClientInsets(window.style & ~(WS_VSCROLL | WS_HSCROLL), window.exStyle & ~(WS_EX_CLIENTEDGE | WS_EX_STATICEDGE),
                  false, &frameOnly);
  int frame = frameOnly.left;
  RECT inner = rect;
  InflateRect(&inner, -frame, -frame);
  if (!PtInRect(&inner, pt)) {
    if ((window.style & WS_THICKFRAME) && frame == kFrame) return FrameHit(inner, pt);
    return HTBORDER;
  }
  if ((window.style & WS_CAPTION) == WS_CAPTION) {
    int caption = (window.exStyle & WS_EX_TOOLWINDOW) ? kSmallCaption : kCaption;
    RECT bar{inner.left, inner.top, inner.right, inner.top + caption - 1};
    if (pt.y < bar.bottom) return CaptionHit(window, bar, pt);
    inner.top += caption;
  }
  if (HasMenuBar(window)) {
    if (pt.y < inner.top + kMenuBar) return HTMENU;
    inner.top += kMenuBar;
  }
  if ((window.style & WS_VSCROLL) && pt.x >= client.right && pt.y < client.bottom) return HTVSCROLL;
  if ((window.style & WS_HSCROLL) && pt.y >= client.bottom && pt.x < client.right) return HTHSCROLL;
  if ((window.style & WS_VSCROLL) && (window.style & WS_HSCROLL)) return HTSIZE;
  return HTBORDER;
}

}  // namespace host::user

using namespace host::user;

extern "C" LRESULT WINAPI DefWindowProcA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  auto window = FindWindowPtr(hWnd);
  if (!window) return 0;
  switch (Msg) {
    case WM_NCCREATE: {
      auto cs = reinterpret_cast<const CREATESTRUCTA*>(lParam);
      if (cs && cs->lpszName && !IS_INTRESOURCE(cs->lpszName)) {
        Lock lock(UserLock());
        window->text = cs->lpszName;
      }
      return TRUE;
    }
    case WM_NCCALCSIZE: return CalcSize(*window, wParam, lParam);
    case WM_NCHITTEST: {
      Lock lock(UserLock());
      return HitTest(*window, PointOf(lParam));
    }
    case WM_SETTEXT: {
      Lock lock(UserLock());
      window->text = lParam ? reinterpret_cast<LPCSTR>(lParam) : "";
      if ((window->style & WS_CAPTION) == WS_CAPTION) window->ncPaintPending = true;
      return TRUE;
    }
    case WM_GETTEXT: {
      Lock lock(UserLock());
      return GetText(*window, wParam, lParam);
    }
    case WM_GETTEXTLENGTH: return static_cast<LRESULT>(window->text.size());
    case WM_CLOSE: DestroyWindow(hWnd); return 0;
    case WM_WINDOWPOSCHANGED: HandlePosChanged(hWnd, reinterpret_cast<const WINDOWPOS*>(lParam)); return 0;
    case WM_SYSCOMMAND: return SysCommand(hWnd, wParam, lParam);
    case WM_NCLBUTTONDOWN: return NcButtonDown(hWnd, wParam, lParam);
    case WM_NCLBUTTONDBLCLK:
      if (wParam == HTCAPTION && (window->style & WS_MAXIMIZEBOX))
        SendMessageA(hWnd, WM_SYSCOMMAND, (window->style & (WS_MAXIMIZE | WS_MINIMIZE)) ? SC_RESTORE : SC_MAXIMIZE,
                     lParam);
      if (wParam == HTSYSMENU) SendMessageA(hWnd, WM_SYSCOMMAND, SC_CLOSE, lParam);
      return 0;
    case WM_SETCURSOR: return SetCursorFor(window, wParam, lParam);
    case WM_MOUSEACTIVATE:
      if ((window->style & WS_CHILD) && !IsDesktop(window->parent)) {
        LRESULT answer = SendMessageA(window->parent, WM_MOUSEACTIVATE, wParam, lParam);
        if (answer) return answer;
      }
      return MA_ACTIVATE;
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE && !(window->style & WS_MINIMIZE)) SetFocus(hWnd);
      return 0;
    case WM_NCACTIVATE: return TRUE;
    case WM_ERASEBKGND: return EraseBackground(*window, reinterpret_cast<HDC>(wParam));
    case WM_PAINT: {
      PAINTSTRUCT ps;
      BeginPaint(hWnd, &ps);
      EndPaint(hWnd, &ps);
      return 0;
    }
    case WM_NCPAINT: DrawFrame(*window); return 0;
    case WM_QUERYENDSESSION:
    case WM_QUERYOPEN: return TRUE;
    case WM_SYSKEYDOWN:
      if (wParam == VK_F4 && (HIWORD(lParam) & 0x2000)) SendMessageA(hWnd, WM_SYSCOMMAND, SC_CLOSE, 0);
      return 0;
    case WM_RBUTTONUP: {
      POINT pt = PointOf(lParam);
      ClientToScreen(hWnd, &pt);
      SendMessageA(hWnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hWnd), MAKELPARAM(pt.x, pt.y));
      return 0;
    }
    case WM_CONTEXTMENU:
    case WM_HELP:
      if ((window->style & WS_CHILD) && !IsDesktop(window->parent))
        SendMessageA(window->parent, Msg, wParam, lParam);
      return 0;
    case WM_CANCELMODE:
      if (GetCapture() == hWnd) ReleaseCapture();
      return 0;
    case WM_SETREDRAW: {
      // Turning redraw off hides the window from painting without any message.
      Lock lock(UserLock());
      if (wParam)
        window->style |= WS_VISIBLE;
      else
        window->style &= ~WS_VISIBLE;
      NoteWindowAreasChanged();
      return 0;
    }
  }
  return 0;
}
