// The "ScrollBar" control (SBS_HORZ, SBS_VERT, size box) and the scroll
// functions for it (SB_CTL). The bar only reports what the user does
// (WM_HSCROLL/WM_VSCROLL to the parent); the parent moves the position.
#include <algorithm>
#include <climits>

#include "user/controls.h"

namespace host::user {
namespace {

constexpr UINT_PTR kRepeatTimer = 1;
constexpr UINT kFirstRepeat = 400, kNextRepeat = 50;
constexpr int kMinThumb = 8;

enum class Part { None, LineUp, PageUp, Thumb, PageDown, LineDown };

struct BarState {
  int min = 0, max = 100, pos = 0, trackPos = 0;
  UINT page = 0;
  UINT disabledArrows = ESB_ENABLE_BOTH;
  Part tracking = Part::None;
  int thumbGrip = 0;  // where the thumb was taken, from its start
  bool focus = false;
  HFONT font = nullptr;  // kept for WM_GETFONT; a bar draws no text
};

ControlStore<BarState>& Store() {
  static ControlStore<BarState> store;
  return store;
}

bool Vertical(HWND hwnd) { return StyleOf(hwnd) & SBS_VERT; }

int MaxPos(const BarState& s) { return std::max(s.min, s.max - std::max<int>(static_cast<int>(s.page) - 1, 0)); }

void Clamp(BarState& s) { s.pos = std::clamp(s.pos, s.min, MaxPos(s)); }

struct Layout {
  int length = 0, arrow = 0, thumbStart = 0, thumbSize = 0;
  bool thumb = false;
};

Layout LayoutOf(HWND hwnd, const BarState& s) {
  RECT client = ClientRectOf(hwnd);
  Layout l;
  l.length = Vertical(hwnd) ? client.bottom : client.right;
  int breadth = Vertical(hwnd) ? client.right : client.bottom;
  l.arrow = std::min(breadth, l.length / 2);
  int track = l.length - 2 * l.arrow;
  long long range = static_cast<long long>(s.max) - s.min + 1;
  l.thumbSize = s.page ? std::max(kMinThumb, static_cast<int>(static_cast<long long>(track) * s.page / range))
                       : std::min(breadth, track);
  l.thumbSize = std::min(l.thumbSize, track);
  int span = MaxPos(s) - s.min;
  l.thumb = span > 0 && track >= kMinThumb && IsWindowEnabled(hwnd) && s.disabledArrows != ESB_DISABLE_BOTH;
  // In 64 bits: a range may span the whole of an int.
  l.thumbStart = l.arrow + (span > 0 ? static_cast<int>(static_cast<long long>(track - l.thumbSize) *
                                                        (static_cast<long long>(s.pos) - s.min) / span)
                                     : 0);
  return l;
}

Part PartAt(HWND hwnd, const BarState& s, POINT pt) {
  Layout l = LayoutOf(hwnd, s);
  int at = Vertical(hwnd) ? pt.y : pt.x;
  if (at < 0 || at >= l.length) return Part::None;
  if (at < l.arrow) return Part::LineUp;
  if (at >= l.length - l.arrow) return Part::LineDown;
  if (!l.thumb) return Part::None;
  if (at < l.thumbStart) return Part::PageUp;
  if (at >= l.thumbStart + l.thumbSize) return Part::PageDown;
  return Part::Thumb;
}

int PosFromThumb(HWND hwnd, const BarState& s, int thumbStart) {
  Layout l = LayoutOf(hwnd, s);
  int room = l.length - 2 * l.arrow - l.thumbSize, span = MaxPos(s) - s.min;
  if (room <= 0) return s.min;
  int offset = std::clamp(thumbStart - l.arrow, 0, room);
  return static_cast<int>(s.min + (static_cast<long long>(offset) * span + room / 2) / room);
}

void Tell(HWND hwnd, int code, int pos = 0) {
  HWND parent = GetParent(hwnd);
  if (!parent) return;
  SendMessageA(parent, Vertical(hwnd) ? WM_VSCROLL : WM_HSCROLL, MAKEWPARAM(code, pos), reinterpret_cast<LPARAM>(hwnd));
}

int CodeOf(Part part) {
  switch (part) {
    case Part::LineUp:
      return SB_LINEUP;
    case Part::LineDown:
      return SB_LINEDOWN;
    case Part::PageUp:
      return SB_PAGEUP;
    case Part::PageDown:
      return SB_PAGEDOWN;
    default:
      return -1;
  }
}

bool ArrowDisabled(const BarState& s, Part part) {
  return (part == Part::LineUp && (s.disabledArrows & ESB_DISABLE_LTUP)) ||
         (part == Part::LineDown && (s.disabledArrows & ESB_DISABLE_RTDN));
}

void DrawArrowButton(HDC dc, RECT box, bool vertical, bool towardsEnd, bool pushed, bool enabled) {
  if (pushed) {
    FrameRect(dc, &box, SysBrush(COLOR_3DSHADOW));
    RECT inner = box;
    InflateRect(&inner, -1, -1);
    FillRect(dc, &inner, SysBrush(COLOR_3DFACE));
  } else {
    DrawEdge(dc, &box, EDGE_RAISED, BF_RECT | BF_MIDDLE);
  }
  int shift = pushed ? 1 : 0;
  int cx = (box.left + box.right) / 2 + shift, cy = (box.top + box.bottom) / 2 + shift;
  HBRUSH brush = SysBrush(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT);
  for (int i = 0; i < 4; ++i) {
    int d = towardsEnd ? i : 3 - i;
    RECT row =
        vertical ? RECT{cx - d, cy - 2 + i, cx + d + 1, cy - 1 + i} : RECT{cx - 2 + i, cy - d, cx - 1 + i, cy + d + 1};
    FillRect(dc, &row, brush);
  }
}

void Draw(HWND hwnd, const BarState& s, HDC dc) {
  RECT client = ClientRectOf(hwnd);
  HBRUSH brush = ControlBrush(hwnd, dc, WM_CTLCOLORSCROLLBAR);
  if (StyleOf(hwnd) & (SBS_SIZEBOX | SBS_SIZEGRIP)) {
    FillRect(dc, &client, SysBrush(COLOR_3DFACE));
    return;
  }
  bool vertical = Vertical(hwnd), enabled = IsWindowEnabled(hwnd);
  Layout l = LayoutOf(hwnd, s);
  auto span = [&](int from, int to) {
    return vertical ? RECT{0, from, client.right, to} : RECT{from, 0, to, client.bottom};
  };
  RECT track = span(l.arrow, l.length - l.arrow);
  FillRect(dc, &track, brush);
  if (s.tracking == Part::PageUp || s.tracking == Part::PageDown) {
    RECT pressed =
        s.tracking == Part::PageUp ? span(l.arrow, l.thumbStart) : span(l.thumbStart + l.thumbSize, l.length - l.arrow);
    FillRect(dc, &pressed, SysBrush(COLOR_3DDKSHADOW));
  }
  DrawArrowButton(dc, span(0, l.arrow), vertical, false, s.tracking == Part::LineUp,
                  enabled && !ArrowDisabled(s, Part::LineUp));
  DrawArrowButton(dc, span(l.length - l.arrow, l.length), vertical, true, s.tracking == Part::LineDown,
                  enabled && !ArrowDisabled(s, Part::LineDown));
  if (l.thumb) {
    int start = s.tracking == Part::Thumb ? LayoutOf(hwnd, BarState{s.min, s.max, s.trackPos, 0, s.page}).thumbStart
                                          : l.thumbStart;
    RECT thumb = span(start, start + l.thumbSize);
    DrawEdge(dc, &thumb, EDGE_RAISED, BF_RECT | BF_MIDDLE);
  }
}

LRESULT ButtonDown(HWND hwnd, const std::shared_ptr<BarState>& s, LPARAM lParam) {
  POINT pt{static_cast<SHORT>(LOWORD(lParam)), static_cast<SHORT>(HIWORD(lParam))};
  Part part = PartAt(hwnd, *s, pt);
  if (part == Part::None || ArrowDisabled(*s, part)) return 0;
  if (StyleOf(hwnd) & WS_TABSTOP) SetFocus(hwnd);
  s->tracking = part;
  s->trackPos = s->pos;
  SetCapture(hwnd);
  if (part == Part::Thumb) {
    s->thumbGrip = (Vertical(hwnd) ? pt.y : pt.x) - LayoutOf(hwnd, *s).thumbStart;
  } else {
    Tell(hwnd, CodeOf(part));
    SetTimer(hwnd, kRepeatTimer, kFirstRepeat, nullptr);
  }
  Redraw(hwnd);
  return 0;
}

LRESULT MouseMove(HWND hwnd, const std::shared_ptr<BarState>& s, LPARAM lParam) {
  if (s->tracking != Part::Thumb) return 0;
  int at = Vertical(hwnd) ? static_cast<SHORT>(HIWORD(lParam)) : static_cast<SHORT>(LOWORD(lParam));
  int pos = PosFromThumb(hwnd, *s, at - s->thumbGrip);
  if (pos == s->trackPos) return 0;
  s->trackPos = pos;
  Tell(hwnd, SB_THUMBTRACK, pos);
  Redraw(hwnd);
  return 0;
}

void StopTracking(HWND hwnd, const std::shared_ptr<BarState>& s) {
  if (s->tracking == Part::None) return;
  Part part = s->tracking;
  s->tracking = Part::None;
  KillTimer(hwnd, kRepeatTimer);
  if (GetCapture() == hwnd) ReleaseCapture();
  if (part == Part::Thumb) Tell(hwnd, SB_THUMBPOSITION, s->trackPos);
  Tell(hwnd, SB_ENDSCROLL);
  Redraw(hwnd);
}

LRESULT Keys(HWND hwnd, UINT msg, WPARAM vk) {
  int code = -1;
  switch (vk) {
    case VK_UP:
    case VK_LEFT:
      code = SB_LINEUP;
      break;
    case VK_DOWN:
    case VK_RIGHT:
      code = SB_LINEDOWN;
      break;
    case VK_PRIOR:
      code = SB_PAGEUP;
      break;
    case VK_NEXT:
      code = SB_PAGEDOWN;
      break;
    case VK_HOME:
      code = SB_TOP;
      break;
    case VK_END:
      code = SB_BOTTOM;
      break;
  }
  if (code < 0) return 0;
  Tell(hwnd, msg == WM_KEYDOWN ? code : SB_ENDSCROLL);
  return 0;
}

LRESULT SetInfo(HWND hwnd, BarState& s, const SCROLLINFO* info, bool redraw) {
  if (!info) return s.pos;
  if (info->fMask & SIF_RANGE) {
    s.min = info->nMin;
    s.max = static_cast<int>(std::clamp<long long>(info->nMax, s.min, static_cast<long long>(s.min) + INT_MAX));
  }
  if (info->fMask & SIF_PAGE)
    s.page = static_cast<UINT>(std::min<long long>(info->nPage, static_cast<long long>(s.max) - s.min + 1));
  if (info->fMask & SIF_POS) s.pos = info->nPos;
  Clamp(s);
  if (redraw) Redraw(hwnd);
  return s.pos;
}

LRESULT GetInfo(const BarState& s, SCROLLINFO* info) {
  if (!info) return FALSE;
  if (info->fMask & SIF_RANGE) {
    info->nMin = s.min;
    info->nMax = s.max;
  }
  if (info->fMask & SIF_PAGE) info->nPage = s.page;
  if (info->fMask & SIF_POS) info->nPos = s.pos;
  if ((info->fMask & SIF_TRACKPOS) && info->cbSize == sizeof(SCROLLINFO))
    info->nTrackPos = s.tracking == Part::Thumb ? s.trackPos : s.pos;
  return TRUE;
}

LRESULT BarMessages(HWND hwnd, const std::shared_ptr<BarState>& s, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case SBM_SETPOS: {
      int old = s->pos;
      s->pos = static_cast<int>(wParam);
      Clamp(*s);
      if (lParam && s->pos != old) Redraw(hwnd);
      return old;
    }
    case SBM_GETPOS:
      return s->pos;
    case SBM_SETRANGE:
    case SBM_SETRANGEREDRAW: {
      int old = s->pos;
      // As Windows, the range spans at most MAXLONG.
      s->min = static_cast<int>(wParam);
      s->max = static_cast<int>(
          std::clamp<long long>(static_cast<int>(lParam), s->min, static_cast<long long>(s->min) + INT_MAX));
      Clamp(*s);
      if (msg == SBM_SETRANGEREDRAW) Redraw(hwnd);
      return old;
    }
    case SBM_GETRANGE:
      if (wParam) *reinterpret_cast<LPINT>(wParam) = s->min;
      if (lParam) *reinterpret_cast<LPINT>(lParam) = s->max;
      return 0;
    case SBM_ENABLE_ARROWS:
      s->disabledArrows = static_cast<UINT>(wParam) & ESB_DISABLE_BOTH;
      Redraw(hwnd);
      return TRUE;
    case SBM_SETSCROLLINFO:
      return SetInfo(hwnd, *s, reinterpret_cast<const SCROLLINFO*>(lParam), wParam != 0);
    case SBM_GETSCROLLINFO:
      return GetInfo(*s, reinterpret_cast<SCROLLINFO*>(lParam));
  }
  return 0;
}

// SB_CTL names the control itself; the window manager keeps no scroll bars of its own windows.
bool IsBarControl(HWND hwnd, int bar) {
  if (bar != SB_CTL || !Store().Find(hwnd)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  return true;
}

}  // namespace

void ForgetScrollBarStates() { Store().Clear(); }

LRESULT CALLBACK ScrollBarProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto s = Store().ForMessage(hwnd, msg);
  if (!s) return DefWindowProcA(hwnd, msg, wParam, lParam);
  if (msg >= SBM_SETPOS && msg <= SBM_GETSCROLLINFO) return BarMessages(hwnd, s, msg, wParam, lParam);
  switch (msg) {
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      return ButtonDown(hwnd, s, lParam);
    case WM_MOUSEMOVE:
      return MouseMove(hwnd, s, lParam);
    case WM_LBUTTONUP:
      StopTracking(hwnd, s);
      return 0;
    case WM_CAPTURECHANGED:
      if (s->tracking != Part::None && reinterpret_cast<HWND>(lParam) != hwnd) StopTracking(hwnd, s);
      return 0;
    case WM_TIMER:
      if (wParam == kRepeatTimer && s->tracking != Part::None && s->tracking != Part::Thumb) {
        Tell(hwnd, CodeOf(s->tracking));
        SetTimer(hwnd, kRepeatTimer, kNextRepeat, nullptr);
      }
      return 0;
    case WM_KEYDOWN:
    case WM_KEYUP:
      return Keys(hwnd, msg, wParam);
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      s->focus = msg == WM_SETFOCUS;
      return 0;
    case WM_ENABLE:
      Redraw(hwnd);
      return 0;
    case WM_SETFONT:
      s->font = reinterpret_cast<HFONT>(wParam);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(s->font);
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
    case WM_PRINTCLIENT:
      PaintWith(hwnd, wParam, [&](HDC dc) { Draw(hwnd, *s, dc); });
      return 0;
  }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

}  // namespace host::user

using namespace host::user;

extern "C" {

int WINAPI SetScrollPos(HWND hWnd, int nBar, int nPos, BOOL bRedraw) {
  if (!IsBarControl(hWnd, nBar)) return 0;
  return static_cast<int>(SendMessageA(hWnd, SBM_SETPOS, static_cast<WPARAM>(nPos), bRedraw));
}

int WINAPI GetScrollPos(HWND hWnd, int nBar) {
  if (!IsBarControl(hWnd, nBar)) return 0;
  return static_cast<int>(SendMessageA(hWnd, SBM_GETPOS, 0, 0));
}

BOOL WINAPI SetScrollRange(HWND hWnd, int nBar, int nMinPos, int nMaxPos, BOOL bRedraw) {
  if (!IsBarControl(hWnd, nBar)) return FALSE;
  if (static_cast<long long>(nMaxPos) - nMinPos > INT_MAX) {
    SetLastError(1448);  // ERROR_INVALID_SCROLLBAR_RANGE
    return FALSE;
  }
  SendMessageA(hWnd, bRedraw ? SBM_SETRANGEREDRAW : SBM_SETRANGE, static_cast<WPARAM>(nMinPos), nMaxPos);
  return TRUE;
}

BOOL WINAPI GetScrollRange(HWND hWnd, int nBar, LPINT lpMinPos, LPINT lpMaxPos) {
  if (!IsBarControl(hWnd, nBar) || !lpMinPos || !lpMaxPos) return FALSE;
  SendMessageA(hWnd, SBM_GETRANGE, reinterpret_cast<WPARAM>(lpMinPos), reinterpret_cast<LPARAM>(lpMaxPos));
  return TRUE;
}

int WINAPI SetScrollInfo(HWND hwnd, int nBar, LPCSCROLLINFO lpsi, BOOL redraw) {
  if (!IsBarControl(hwnd, nBar)) return 0;
  if (!lpsi || (lpsi->cbSize != sizeof(SCROLLINFO) && lpsi->cbSize != sizeof(SCROLLINFO) - sizeof(int))) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return static_cast<int>(SendMessageA(hwnd, SBM_SETSCROLLINFO, redraw, reinterpret_cast<LPARAM>(lpsi)));
}

BOOL WINAPI GetScrollInfo(HWND hwnd, int nBar, LPSCROLLINFO lpsi) {
  if (!IsBarControl(hwnd, nBar)) return FALSE;
  if (!lpsi || (lpsi->cbSize != sizeof(SCROLLINFO) && lpsi->cbSize != sizeof(SCROLLINFO) - sizeof(int))) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return static_cast<BOOL>(SendMessageA(hwnd, SBM_GETSCROLLINFO, 0, reinterpret_cast<LPARAM>(lpsi)));
}

BOOL WINAPI EnableScrollBar(HWND hWnd, UINT wSBflags, UINT wArrows) {
  if (!IsBarControl(hWnd, static_cast<int>(wSBflags))) return FALSE;
  return static_cast<BOOL>(SendMessageA(hWnd, SBM_ENABLE_ARROWS, wArrows, 0));
}

}  // extern "C"
