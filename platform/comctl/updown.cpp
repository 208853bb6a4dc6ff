// Up-down ("msctls_updown32"): two arrow buttons that step a position within
// a range (lower may exceed upper: the default is 100 to 0) and, with
// UDS_SETBUDDYINT, keep it as the buddy window's text. A step first asks the
// parent with UDN_DELTAPOS (a non-zero answer cancels it), then moves and
// sends WM_VSCROLL (WM_HSCROLL with UDS_HORZ) with SB_THUMBPOSITION.
// NMUPDOWN's iDelta is the change asked for: iPos + iDelta is the new position.
#include <algorithm>
#include <vector>

#include "comctl/comctl_internal.h"

namespace host::comctl {
namespace {

constexpr char kBuddyProp[] = "ovx.updown";
constexpr UINT_PTR kRepeatTimer = 1;
constexpr UINT kRepeatDelay = 500, kRepeatRate = 100;
constexpr int kAlignedWidth = 16;

struct UpDown {
  HWND hwnd = nullptr;
  HWND parent = nullptr;
  int lower = 100, upper = 0, pos = 0;
  int base = 10;
  HWND buddy = nullptr;
  WNDPROC buddyProc = nullptr;  // the buddy's procedure while UDS_ARROWKEYS subclasses it
  std::vector<UDACCEL> accel{{0, 1}};
  int pressed = 0;  // +1 the up (right) arrow, -1 the down (left) arrow
  bool stepped = false;
};

UpDown* UpDownOf(HWND hwnd) { return StateOf<UpDown>(hwnd); }
DWORD Style(const UpDown& ud) { return static_cast<DWORD>(GetWindowLongA(ud.hwnd, GWL_STYLE)); }
bool Horizontal(const UpDown& ud) { return (Style(ud) & UDS_HORZ) != 0; }

int RangeMin(const UpDown& ud) { return std::min(ud.lower, ud.upper); }
int RangeMax(const UpDown& ud) { return std::max(ud.lower, ud.upper); }

bool HasIntBuddy(const UpDown& ud) { return ud.buddy && IsWindow(ud.buddy) && (Style(ud) & UDS_SETBUDDYINT); }

void WriteBuddy(UpDown& ud) {
  if (!HasIntBuddy(ud)) return;
  std::string text = FormatNumber(ud.pos, ud.base, !(Style(ud) & UDS_NOTHOUSANDS));
  SendMessageA(ud.buddy, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

// Takes the position from the buddy's text; false when the text is no number in the range.
bool ReadBuddy(UpDown& ud) {
  if (!HasIntBuddy(ud)) return true;
  char text[64] = "";
  SendMessageA(ud.buddy, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
  int value = 0;
  if (!ParseNumber(text, ud.base, &value) || value < RangeMin(ud) || value > RangeMax(ud)) return false;
  ud.pos = value;
  return true;
}

int StepSize(const UpDown& ud) { return ud.accel.empty() ? 1 : static_cast<int>(std::max<UINT>(1, ud.accel[0].nInc)); }

void Notify(UpDown& ud, int code) {
  if (!ud.parent) return;
  SendMessageA(ud.parent, Horizontal(ud) ? WM_HSCROLL : WM_VSCROLL, MAKEWPARAM(code, ud.pos),
               reinterpret_cast<LPARAM>(ud.hwnd));
}

// One step of the up (+1) or down (-1) arrow.
void StepOnce(UpDown& ud, int direction) {
  ReadBuddy(ud);
  int toward = ud.upper >= ud.lower ? 1 : -1;  // "up" moves toward the upper end
  NM_UPDOWN nm{};
  nm.iPos = ud.pos;
  nm.iDelta = direction * toward * StepSize(ud);
  if (SendNotify(ud.hwnd, ud.parent, UDN_DELTAPOS, &nm.hdr)) return;
  long long target = static_cast<long long>(ud.pos) + nm.iDelta;
  int lo = RangeMin(ud), hi = RangeMax(ud);
  if (target < lo || target > hi) {
    if (Style(ud) & UDS_WRAP)
      target = target < lo ? hi : lo;
    else
      target = std::clamp<long long>(target, lo, hi);
  }
  ud.stepped = true;
  if (target == ud.pos) return;
  ud.pos = static_cast<int>(target);
  WriteBuddy(ud);
  Notify(ud, SB_THUMBPOSITION);
}

void EndSteps(UpDown& ud) {
  if (!ud.stepped) return;
  ud.stepped = false;
  Notify(ud, SB_ENDSCROLL);
}

LRESULT CALLBACK BuddyProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  HWND owner = static_cast<HWND>(GetPropA(hwnd, kBuddyProp));
  UpDown* ud = owner ? UpDownOf(owner) : nullptr;
  if (!ud || !ud->buddyProc) return DefWindowProcA(hwnd, msg, wParam, lParam);
  WNDPROC next = ud->buddyProc;
  bool vertical = !Horizontal(*ud);
  UINT upKey = vertical ? VK_UP : VK_RIGHT, downKey = vertical ? VK_DOWN : VK_LEFT;
  if (msg == WM_KEYDOWN && (wParam == upKey || wParam == downKey)) {
    StepOnce(*ud, wParam == upKey ? 1 : -1);
    return 0;
  }
  if (msg == WM_KEYUP && (wParam == upKey || wParam == downKey)) {
    EndSteps(*ud);
    return 0;
  }
  if (msg == WM_GETDLGCODE) return CallWindowProcA(next, hwnd, msg, wParam, lParam) | DLGC_WANTARROWS;
  return CallWindowProcA(next, hwnd, msg, wParam, lParam);
}

void ReleaseBuddy(UpDown& ud) {
  if (ud.buddy && ud.buddyProc && IsWindow(ud.buddy)) {
    if (reinterpret_cast<WNDPROC>(GetWindowLongA(ud.buddy, GWL_WNDPROC)) == BuddyProc)
      SetWindowLongA(ud.buddy, GWL_WNDPROC, reinterpret_cast<LONG>(ud.buddyProc));
    RemovePropA(ud.buddy, kBuddyProp);
  }
  ud.buddyProc = nullptr;
}

void AlignToBuddy(UpDown& ud) {
  DWORD style = Style(ud);
  if (!ud.buddy || !(style & (UDS_ALIGNRIGHT | UDS_ALIGNLEFT))) return;
  HWND parent = GetParent(ud.buddy);
  RECT r;
  GetWindowRect(ud.buddy, &r);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  RECT own;
  GetWindowRect(ud.hwnd, &own);
  int width = own.right > own.left ? std::min<int>(own.right - own.left, kAlignedWidth) : kAlignedWidth;
  int height = r.bottom - r.top;
  int buddyWidth = std::max(0, static_cast<int>(r.right - r.left) - width);
  if (style & UDS_ALIGNRIGHT) {
    SetWindowPos(ud.buddy, nullptr, r.left, r.top, buddyWidth, height, SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowPos(ud.hwnd, nullptr, r.left + buddyWidth, r.top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  } else {
    SetWindowPos(ud.hwnd, nullptr, r.left, r.top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowPos(ud.buddy, nullptr, r.left + width, r.top, buddyWidth, height, SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

HWND SetBuddy(UpDown& ud, HWND buddy) {
  HWND old = ud.buddy;
  ReleaseBuddy(ud);
  ud.buddy = buddy && IsWindow(buddy) ? buddy : nullptr;
  if (!ud.buddy) return old;
  // A buddy another up-down already listens to keeps that one: subclassing it twice would make
  // BuddyProc call itself through the saved procedure.
  bool taken = reinterpret_cast<WNDPROC>(GetWindowLongA(ud.buddy, GWL_WNDPROC)) == BuddyProc;
  if ((Style(ud) & UDS_ARROWKEYS) && !taken) {
    SetPropA(ud.buddy, kBuddyProp, ud.hwnd);
    ud.buddyProc = reinterpret_cast<WNDPROC>(SetWindowLongA(ud.buddy, GWL_WNDPROC, reinterpret_cast<LONG>(BuddyProc)));
  }
  AlignToBuddy(ud);
  WriteBuddy(ud);
  return old;
}

// The sibling created just before: Windows puts new children last in the z-order, so it is
// the previous window; a window manager that puts them first has it as the next one.
HWND PreviousSibling(HWND hwnd) {
  HWND previous = GetWindow(hwnd, GW_HWNDPREV);
  return previous ? previous : GetWindow(hwnd, GW_HWNDNEXT);
}

// The arrow under a point: +1 up (or right), -1 down (or left).
int ArrowAt(const UpDown& ud, POINT pt) {
  RECT client;
  GetClientRect(ud.hwnd, &client);
  if (Horizontal(ud)) return pt.x >= client.right / 2 ? 1 : -1;
  return pt.y < client.bottom / 2 ? 1 : -1;
}

void DrawArrow(HDC dc, const RECT& r, int direction, bool horizontal, bool enabled) {
  int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
  HBRUSH brush = GetSysColorBrush(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT);
  for (int i = 0; i < 3; ++i) {
    RECT line;
    if (horizontal) {
      int x = direction > 0 ? cx - 1 + i : cx + 1 - i;
      line = {x, cy - (2 - i), x + 1, cy + (2 - i) + 1};
    } else {
      int y = direction > 0 ? cy - 1 + i : cy + 1 - i;
      line = {cx - i, y, cx + i + 1, y + 1};
    }
    FillRect(dc, &line, brush);
  }
}

void Paint(UpDown& ud, HDC dc) {
  RECT client;
  GetClientRect(ud.hwnd, &client);
  bool horizontal = Horizontal(ud);
  RECT up = client, down = client;
  if (horizontal) {
    down.right = up.left = client.right / 2;
  } else {
    up.bottom = down.top = client.bottom / 2;
  }
  bool enabled = IsWindowEnabled(ud.hwnd) != FALSE;
  DrawButtonFace(dc, up, ud.pressed > 0);
  DrawButtonFace(dc, down, ud.pressed < 0);
  DrawArrow(dc, up, 1, horizontal, enabled);
  DrawArrow(dc, down, -1, horizontal, enabled);
}

void ButtonDown(UpDown& ud, POINT pt) {
  if (ud.buddy && IsWindow(ud.buddy) && GetFocus() != ud.buddy) SetFocus(ud.buddy);
  ud.pressed = ArrowAt(ud, pt);
  SetCapture(ud.hwnd);
  InvalidateRect(ud.hwnd, nullptr, FALSE);
  StepOnce(ud, ud.pressed);
  SetTimer(ud.hwnd, kRepeatTimer, kRepeatDelay, nullptr);
}

void ButtonUp(UpDown& ud) {
  if (!ud.pressed) return;
  ud.pressed = 0;
  KillTimer(ud.hwnd, kRepeatTimer);
  if (GetCapture() == ud.hwnd) ReleaseCapture();
  InvalidateRect(ud.hwnd, nullptr, FALSE);
  EndSteps(ud);
}

LRESULT UpDownMessage(UpDown& ud, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case UDM_SETRANGE:
      ud.upper = static_cast<SHORT>(LOWORD(lParam));
      ud.lower = static_cast<SHORT>(HIWORD(lParam));
      ud.pos = std::clamp(ud.pos, RangeMin(ud), RangeMax(ud));
      return 0;
    case UDM_GETRANGE:
      return MAKELONG(ud.upper, ud.lower);
    case UDM_SETPOS: {
      int old = ud.pos;
      ReadBuddy(ud);
      old = ud.pos;
      ud.pos = std::clamp(static_cast<int>(static_cast<SHORT>(LOWORD(lParam))), RangeMin(ud), RangeMax(ud));
      WriteBuddy(ud);
      return old;
    }
    case UDM_GETPOS: {
      bool ok = ReadBuddy(ud);
      return MAKELONG(ud.pos, ok ? 0 : 1);
    }
    case UDM_SETBUDDY:
      return reinterpret_cast<LRESULT>(SetBuddy(ud, reinterpret_cast<HWND>(wParam)));
    case UDM_GETBUDDY:
      return reinterpret_cast<LRESULT>(ud.buddy);
    case UDM_SETACCEL: {
      auto* accel = reinterpret_cast<const UDACCEL*>(lParam);
      if (!accel || wParam == 0) return FALSE;
      ud.accel.assign(accel, accel + wParam);
      return TRUE;
    }
    case UDM_GETACCEL: {
      auto* out = reinterpret_cast<UDACCEL*>(lParam);
      size_t count = std::min<size_t>(wParam, ud.accel.size());
      if (out) std::copy_n(ud.accel.begin(), count, out);
      return static_cast<LRESULT>(ud.accel.size());
    }
    case UDM_SETBASE: {
      if (wParam != 10 && wParam != 16) return 0;
      int old = ud.base;
      ud.base = static_cast<int>(wParam);
      WriteBuddy(ud);
      return old;
    }
    case UDM_GETBASE:
      return ud.base;
    default:
      return DefWindowProcA(ud.hwnd, msg, wParam, lParam);
  }
}

LRESULT CALLBACK UpDownProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  UpDown* ud = UpDownOf(hwnd);
  if (msg == WM_NCCREATE) {
    CreateState<UpDown>(hwnd, lParam);
    return DefWindowProcA(hwnd, msg, wParam, lParam);
  }
  if (!ud) return DefWindowProcA(hwnd, msg, wParam, lParam);
  switch (msg) {
    case WM_CREATE:
      if (Style(*ud) & UDS_AUTOBUDDY) SetBuddy(*ud, PreviousSibling(hwnd));
      return 0;
    case WM_DESTROY:
      ReleaseBuddy(*ud);
      return 0;
    case WM_NCDESTROY:
      DeleteState(hwnd, ud);
      return DefWindowProcA(hwnd, msg, wParam, lParam);
    case WM_PAINT:
    case WM_PRINTCLIENT:
      PaintControl(hwnd, msg, wParam, [&](HDC dc) { Paint(*ud, dc); });
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_ENABLE:
      InvalidateRect(hwnd, nullptr, FALSE);
      return 0;
    case WM_LBUTTONDOWN:
      ButtonDown(*ud, MousePoint(lParam));
      return 0;
    case WM_LBUTTONUP:
      ButtonUp(*ud);
      return 0;
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(lParam) != hwnd) ButtonUp(*ud);
      return 0;
    case WM_TIMER:
      if (wParam == kRepeatTimer && ud->pressed) {
        SetTimer(hwnd, kRepeatTimer, kRepeatRate, nullptr);
        StepOnce(*ud, ud->pressed);
      }
      return 0;
    case WM_KEYDOWN:
      if ((Style(*ud) & UDS_ARROWKEYS) && (wParam == VK_UP || wParam == VK_DOWN))
        StepOnce(*ud, wParam == VK_UP ? 1 : -1);
      return 0;
    case WM_KEYUP:
      if (wParam == VK_UP || wParam == VK_DOWN) EndSteps(*ud);
      return 0;
    default:
      return UpDownMessage(*ud, msg, wParam, lParam);
  }
}

}  // namespace

bool RegisterUpDown() { return RegisterControlClass(UPDOWN_CLASSA, UpDownProc, 0, -1); }

}  // namespace host::comctl

extern "C" HWND WINAPI CreateUpDownControl(DWORD dwStyle, int x, int y, int cx, int cy, HWND hParent, int nID,
                                           HINSTANCE hInst, HWND hBuddy, int nUpper, int nLower, int nPos) {
  host::comctl::RegisterUpDown();
  HWND hwnd = CreateWindowExA(0, UPDOWN_CLASSA, nullptr, dwStyle, x, y, cx, cy, hParent,
                              reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nID)), hInst, nullptr);
  if (!hwnd) return nullptr;
  if (hBuddy) SendMessageA(hwnd, UDM_SETBUDDY, reinterpret_cast<WPARAM>(hBuddy), 0);
  SendMessageA(hwnd, UDM_SETRANGE, 0, MAKELONG(nUpper, nLower));
  SendMessageA(hwnd, UDM_SETPOS, 0, MAKELONG(nPos, 0));
  return hwnd;
}
