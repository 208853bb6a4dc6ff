// Input: mouse and keyboard as a person gives them, cooked by the receiving
// thread as Windows does (hit test, activation, WM_SETCURSOR, client
// coordinates, double clicks); the cursor and key state; the caption drag
// and caption button loops of DefWindowProcA.
#include <host/adapter.h>

#include "user/user_internal.h"

#include <algorithm>
#include <cstdlib>

namespace host::adapter {
void OnCursorMoved(int x, int y) __attribute__((weak));
}

namespace host::user {
namespace {

struct ButtonCodes {
  UINT vk, mk, down, up, dblclk, ncDown;
};

ButtonCodes Codes(Button button) {
  switch (button) {
    case Button::Right: return {VK_RBUTTON, MK_RBUTTON, WM_RBUTTONDOWN, WM_RBUTTONUP, WM_RBUTTONDBLCLK, WM_NCRBUTTONDOWN};
    case Button::Middle:
      return {VK_MBUTTON, MK_MBUTTON, WM_MBUTTONDOWN, WM_MBUTTONUP, WM_MBUTTONDBLCLK, WM_NCMBUTTONDOWN};
    default: return {VK_LBUTTON, MK_LBUTTON, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_NCLBUTTONDOWN};
  }
}

bool Down(int vk) { return U().keys[vk & 0xFF] & 0x80; }

WPARAM MouseKeyState() {
  WPARAM state = 0;
  if (Down(VK_LBUTTON)) state |= MK_LBUTTON;
  if (Down(VK_RBUTTON)) state |= MK_RBUTTON;
  if (Down(VK_MBUTTON)) state |= MK_MBUTTON;
  if (Down(VK_SHIFT)) state |= MK_SHIFT;
  if (Down(VK_CONTROL)) state |= MK_CONTROL;
  return state;
}

RECT CursorLimits() {
  RECT desk = FindWindowPtr(U().desktop)->rect;
  RECT limits = desk;
  if (U().cursorClipped) IntersectRect(&limits, &desk, &U().cursorClip);
  return limits;
}

HWND AnyCapture() {
  auto foreground = FindWindowPtr(U().foreground);
  if (foreground) {
    auto queue = QueueOf(foreground->threadId);
    if (queue->capture) return queue->capture;
  }
  for (auto& [id, queue] : U().queues)
    if (queue->capture) return queue->capture;
  return nullptr;
}

// Where a mouse event goes: the capture window, or the window under the cursor.
void QueueMouse(UINT message) {
  Lock lock(UserLock());
  HWND target = AnyCapture();
  POINT pt = U().cursor;
  lock.unlock();
  if (!target) target = WindowFromPoint(pt);
  if (!target || IsDesktop(target)) return;
  PostInput(target, message, MouseKeyState(), 0, pt, true);
}

void SetCursorPosition(int x, int y, bool generateMove) {
  RECT limits;
  {
    Lock lock(UserLock());
    limits = CursorLimits();
    U().cursor = {std::clamp<LONG>(x, limits.left, limits.right - 1), std::clamp<LONG>(y, limits.top, limits.bottom - 1)};
    x = U().cursor.x;
    y = U().cursor.y;
  }
  if (adapter::OnCursorMoved) adapter::OnCursorMoved(x, y);
  if (generateMove) QueueMouse(WM_MOUSEMOVE);
}

bool IsDoubleClick(HWND hwnd, UINT message, POINT pt, DWORD time) {
  Lock lock(UserLock());
  bool dbl = U().lastClickWindow == hwnd && U().lastClickMessage == message &&
             time - U().lastClickTime <= static_cast<DWORD>(kDoubleClickTime) &&
             std::abs(pt.x - U().lastClickPoint.x) <= kDoubleClickSize / 2 &&
             std::abs(pt.y - U().lastClickPoint.y) <= kDoubleClickSize / 2;
  if (dbl) {
    U().lastClickWindow = nullptr;  // a third click starts over
  } else {
    U().lastClickWindow = hwnd;
    U().lastClickMessage = message;
    U().lastClickTime = time;
    U().lastClickPoint = pt;
  }
  return dbl;
}

bool IsButtonDown(UINT message) {
  return message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN || message == WM_MBUTTONDOWN;
}

// A click on an inactive window first asks whether to activate (WM_MOUSEACTIVATE).
bool ActivateOnClick(HWND hwnd, LONG hit, UINT message) {
  HWND root = hwnd;
  for (auto w = FindWindowPtr(hwnd); w && !IsTopLevel(*w); w = FindWindowPtr(w->parent)) root = w->parent;
  if (root == GetActiveWindow()) return true;
  LRESULT answer = SendMessageA(hwnd, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(root), MAKELPARAM(hit, message));
  if (answer == MA_ACTIVATE || answer == MA_ACTIVATEANDEAT) ActivateWindow(root, true);
  return answer != MA_ACTIVATEANDEAT && answer != MA_NOACTIVATEANDEAT;
}

// Turns a raw mouse event into the message the window sees; false when it is eaten.
bool Cook(ThreadQueue& queue, MSG& msg) {
  HWND capture = queue.capture;
  HWND hwnd = capture ? capture : msg.hwnd;
  auto window = FindWindowPtr(hwnd);
  if (!window) return false;
  LONG hit;
  if (capture) {
    hit = HTCLIENT;
  } else if (window->style & WS_DISABLED) {
    hit = HTERROR;
  } else {
    hit = static_cast<LONG>(SendMessageA(hwnd, WM_NCHITTEST, 0, MAKELPARAM(msg.pt.x, msg.pt.y)));
  }
  // A window that lets the mouse through (a group box, a plain label) hands it to what lies beneath, as long as
  // that belongs to this thread.
  while (!capture && hit == HTTRANSPARENT) {
    HWND beneath = WindowBeneath(hwnd, msg.pt);
    auto next = beneath ? FindWindowPtr(beneath) : nullptr;
    if (!next || IsDesktop(beneath) || next->threadId != GetCurrentThreadId()) break;
    hwnd = beneath;
    window = next;
    hit = (window->style & WS_DISABLED)
              ? HTERROR
              : static_cast<LONG>(SendMessageA(hwnd, WM_NCHITTEST, 0, MAKELPARAM(msg.pt.x, msg.pt.y)));
  }
  if (!FindWindowPtr(hwnd)) return false;
  bool keep = true;
  if (IsButtonDown(msg.message) && hit != HTERROR && !capture) keep = ActivateOnClick(hwnd, hit, msg.message);
  if (!capture && FindWindowPtr(hwnd))
    SendMessageA(hwnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(hwnd), MAKELPARAM(hit, msg.message));
  if (!keep || hit == HTERROR || hit == HTNOWHERE || hit == HTTRANSPARENT || !FindWindowPtr(hwnd)) return false;
  UINT message = msg.message;
  msg.hwnd = hwnd;
  if (hit == HTCLIENT) {
    POINT client = msg.pt;
    ScreenToClient(hwnd, &client);
    if (IsButtonDown(message)) {
      bool dbl = IsDoubleClick(hwnd, message, msg.pt, msg.time);
      if (dbl && (window->cls->style & CS_DBLCLKS)) message += WM_LBUTTONDBLCLK - WM_LBUTTONDOWN;
    }
    msg.message = message;
    msg.lParam = MAKELPARAM(static_cast<SHORT>(client.x), static_cast<SHORT>(client.y));
  } else {
    // Non-client double clicks come for every class.
    if (IsButtonDown(message) && IsDoubleClick(hwnd, message, msg.pt, msg.time))
      message += WM_LBUTTONDBLCLK - WM_LBUTTONDOWN;
    msg.message = message - WM_MOUSEMOVE + WM_NCMOUSEMOVE;
    msg.wParam = static_cast<WPARAM>(hit);
    msg.lParam = MAKELPARAM(static_cast<SHORT>(msg.pt.x), static_cast<SHORT>(msg.pt.y));
  }
  return true;
}

bool MouseRangeWanted(UINT min, UINT max) {
  if (min == 0 && max == 0) return true;
  return (min <= WM_MOUSELAST && max >= WM_MOUSEFIRST) || (min <= WM_NCMBUTTONDBLCLK && max >= WM_NCMOUSEMOVE);
}

UINT ScanCode(UINT vk) {
  static const char* row = "QWERTYUIOP\0\0\0\0ASDFGHJKL\0\0\0\0\0ZXCVBNM";
  if (vk >= 'A' && vk <= 'Z')
    for (int i = 0; i < 40; ++i)
      if (row[i] == static_cast<char>(vk)) return 0x10 + i;
  if (vk >= '1' && vk <= '9') return vk - '1' + 2;
  switch (vk) {
    case '0': return 11;
    case VK_ESCAPE: return 1;
    case VK_BACK: return 14;
    case VK_TAB: return 15;
    case VK_RETURN: return 28;
    case VK_CONTROL: return 29;
    case VK_SHIFT: return 42;
    case VK_MENU: return 56;
    case VK_SPACE: return 57;
  }
  if (vk >= VK_F1 && vk <= VK_F10) return 59 + vk - VK_F1;
  return 0;
}

void QueueKey(UINT vk, bool down) {
  bool wasDown = Down(vk);
  {
    Lock lock(UserLock());
    BYTE& state = U().keys[vk & 0xFF];
    if (down) {
      if (!wasDown) state ^= 1;  // toggled on every press
      state |= 0x80;
    } else {
      state &= ~0x80;
    }
    // The generic shift keys follow their left and right forms.
    U().keys[VK_SHIFT] = (U().keys[VK_SHIFT] & 1) | ((U().keys[VK_LSHIFT] | U().keys[VK_RSHIFT] |
                                                     (vk == VK_SHIFT ? U().keys[VK_SHIFT] : 0)) & 0x80);
  }
  bool alt = Down(VK_MENU);
  bool system = (alt && !Down(VK_CONTROL)) || vk == VK_F10 || (vk == VK_MENU);
  LPARAM lParam = 1 | (ScanCode(vk) << 16);
  if (alt) lParam |= 0x20000000;
  if (wasDown) lParam |= 0x40000000;
  if (!down) lParam |= 0xC0000000;
  HWND target;
  {
    Lock lock(UserLock());
    auto foreground = FindWindowPtr(U().foreground);
    if (!foreground) return;
    auto queue = QueueOf(foreground->threadId);
    target = queue->focus ? queue->focus : queue->active;
    if (!queue->focus) system = true;  // no focus: the active window gets system keys
  }
  if (!target) return;
  UINT message = down ? (system ? WM_SYSKEYDOWN : WM_KEYDOWN) : (system ? WM_SYSKEYUP : WM_KEYUP);
  PostInput(target, message, vk, lParam, U().cursor, false);
}

// US keyboard: the key and whether Shift makes the character.
bool KeyOfCharacter(char c, UINT* vk, bool* shift) {
  static const std::string plain = "`-=[]\\;',./", shifted = "~_+{}|:\"<>?";
  static const UINT oem[] = {0xC0, 0xBD, 0xBB, 0xDB, 0xDD, 0xDC, 0xBA, 0xDE, 0xBC, 0xBE, 0xBF};
  static const std::string digitsShifted = ")!@#$%^&*(";
  *shift = false;
  if (c >= 'a' && c <= 'z') return *vk = c - 'a' + 'A', true;
  if (c >= 'A' && c <= 'Z') return *vk = c, *shift = true, true;
  if (c >= '0' && c <= '9') return *vk = c, true;
  if (c == ' ') return *vk = VK_SPACE, true;
  if (c == '\r' || c == '\n') return *vk = VK_RETURN, true;
  if (c == '\t') return *vk = VK_TAB, true;
  if (auto i = digitsShifted.find(c); i != std::string::npos) return *vk = '0' + i, *shift = true, true;
  if (auto i = plain.find(c); i != std::string::npos) return *vk = oem[i], true;
  if (auto i = shifted.find(c); i != std::string::npos) return *vk = oem[i], *shift = true, true;
  return false;
}

// Runs a mouse-tracking loop until the button comes up (true) or Escape/stuck (false).
template <class OnMove>
bool TrackMouse(const char* loopName, OnMove onMove) {
  EnterModalLoop(loopName);
  bool completed = false;
  for (;;) {
    MSG msg;
    if (!ModalGetMessage(&msg, loopName)) break;
    if (msg.message == WM_MOUSEMOVE || msg.message == WM_NCMOUSEMOVE) {
      onMove(msg.pt);
    } else if (msg.message == WM_LBUTTONUP || msg.message == WM_NCLBUTTONUP) {
      onMove(msg.pt);
      completed = true;
      break;
    } else if (msg.message == WM_KEYDOWN && (msg.wParam == VK_ESCAPE || msg.wParam == VK_RETURN)) {
      completed = msg.wParam == VK_RETURN;
      break;
    } else if ((msg.message >= WM_MOUSEFIRST && msg.message <= WM_MOUSELAST) ||
               (msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST)) {
      continue;  // other input is swallowed while tracking
    } else {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }
  LeaveModalLoop();
  return completed;
}

// GetKeyState follows the messages a thread has taken, not the keyboard now.
void SyncKeyState(ThreadQueue& queue, const MSG& msg) {
  UINT vk = 0;
  bool down = false;
  switch (msg.message) {
    case WM_KEYDOWN: case WM_SYSKEYDOWN: vk = static_cast<UINT>(msg.wParam); down = true; break;
    case WM_KEYUP: case WM_SYSKEYUP: vk = static_cast<UINT>(msg.wParam); break;
    case WM_LBUTTONDOWN: case WM_LBUTTONDBLCLK: vk = VK_LBUTTON; down = true; break;
    case WM_LBUTTONUP: vk = VK_LBUTTON; break;
    case WM_RBUTTONDOWN: case WM_RBUTTONDBLCLK: vk = VK_RBUTTON; down = true; break;
    case WM_RBUTTONUP: vk = VK_RBUTTON; break;
    default: return;
  }
  BYTE& state = queue.keys[vk & 0xFF];
  if (down && !(state & 0x80)) state ^= 1;
  state = down ? (state | 0x80) : (state & ~0x80);
}

}  // namespace

bool TakeInput(ThreadQueue& queue, MSG* out, HWND hwnd, UINT min, UINT max, bool remove) {
  for (;;) {
    InputEvent event;
    size_t index = 0;
    {
      Lock lock(UserLock());
      auto& list = queue.input;
      auto it = list.begin();
      for (; it != list.end(); ++it) {
        if (it->raw ? MouseRangeWanted(min, max) : MessageInFilter(it->msg, hwnd, min, max)) break;
      }
      if (it == list.end()) return false;
      if (!it->raw) {
        *out = it->msg;
        if (remove) {
          SyncKeyState(queue, *out);
          list.erase(it);
        }
        return true;
      }
      event = *it;
      index = it - list.begin();
      list.erase(it);
    }
    bool keep = Cook(queue, event.msg);
    Lock lock(UserLock());
    if (!keep) continue;
    event.raw = false;
    if (!MessageInFilter(event.msg, hwnd, min, max)) {
      auto& list = queue.input;
      list.insert(list.begin() + std::min(index, list.size()), event);  // cooked, for whoever wants it
      return false;
    }
    *out = event.msg;
    if (remove) SyncKeyState(queue, *out);
    if (!remove) queue.input.insert(queue.input.begin() + std::min(index, queue.input.size()), event);
    return true;
  }
}

int CharacterOfKey(UINT vk) {
  auto queue = CurrentQueue();
  Lock lock(UserLock());
  bool shift = queue->keys[VK_SHIFT] & 0x80, caps = queue->keys[VK_CAPITAL] & 1,
       control = queue->keys[VK_CONTROL] & 0x80;
  if (vk >= 'A' && vk <= 'Z') {
    if (control) return static_cast<int>(vk - 'A' + 1);
    return (shift != caps) ? static_cast<int>(vk) : static_cast<int>(vk - 'A' + 'a');
  }
  if (control) return -1;
  if (vk >= '0' && vk <= '9') return shift ? ")!@#$%^&*("[vk - '0'] : static_cast<int>(vk);
  if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD9) return static_cast<int>('0' + vk - VK_NUMPAD0);
  switch (vk) {
    case VK_SPACE: return ' ';
    case VK_RETURN: return '\r';
    case VK_BACK: return '\b';
    case VK_TAB: return '\t';
    case VK_ESCAPE: return 0x1B;
    case VK_MULTIPLY: return '*';
    case VK_ADD: return '+';
    case VK_SUBTRACT: return '-';
    case VK_DECIMAL: return '.';
    case VK_DIVIDE: return '/';
  }
  static const UINT oem[] = {0xC0, 0xBD, 0xBB, 0xDB, 0xDD, 0xDC, 0xBA, 0xDE, 0xBC, 0xBE, 0xBF};
  for (int i = 0; i < 11; ++i)
    if (oem[i] == vk) return shift ? "~_+{}|:\"<>?"[i] : "`-=[]\\;',./"[i];
  return -1;
}

// Caption drag: the window follows the cursor, kept within the desktop.
// The button's release ends the loop and is not passed on: no
// WM_NCLBUTTONUP follows a drag, as on Windows.
void RunMoveLoop(HWND hwnd, POINT start) {
  auto window = FindWindowPtr(hwnd);
  if (!window || (window->style & WS_MAXIMIZE)) return;
  RECT original = window->rect;
  SetCapture(hwnd);
  SendMessageA(hwnd, WM_ENTERSIZEMOVE, 0, 0);
  MINMAXINFO info = MinMaxInfo(*window);
  SendMessageA(hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
  RECT limits = FindWindowPtr(U().desktop)->rect;
  auto moveTo = [&](POINT pt) {
    if (!FindWindowPtr(hwnd)) return;
    pt.x = std::clamp<LONG>(pt.x, limits.left, limits.right - 1);
    pt.y = std::clamp<LONG>(pt.y, limits.top, limits.bottom - 1);
    RECT target = original;
    OffsetRect(&target, pt.x - start.x, pt.y - start.y);
    if (target.left == window->rect.left && target.top == window->rect.top) return;
    SendMessageA(hwnd, WM_MOVING, 0, reinterpret_cast<LPARAM>(&target));
    SetWindowPos(hwnd, nullptr, target.left, target.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  };
  bool completed = TrackMouse("caption drag", moveTo);
  if (!completed && FindWindowPtr(hwnd))
    SetWindowPos(hwnd, nullptr, original.left, original.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  if (GetCapture() == hwnd) ReleaseCapture();
  if (FindWindowPtr(hwnd)) SendMessageA(hwnd, WM_EXITSIZEMOVE, 0, 0);
}

// A caption button acts when the button comes up over it.
void RunCaptionButtonLoop(HWND hwnd, LONG hit) {
  SetCapture(hwnd);
  POINT last = U().cursor;
  bool completed = TrackMouse("caption button", [&](POINT pt) { last = pt; });
  if (GetCapture() == hwnd) ReleaseCapture();
  auto window = FindWindowPtr(hwnd);
  if (!completed || !window) return;
  LONG now;
  {
    Lock lock(UserLock());
    now = HitTest(*window, last);
  }
  if (now != hit) return;
  WPARAM command = hit == HTCLOSE ? SC_CLOSE : hit == HTMINBUTTON ? SC_MINIMIZE
                   : (window->style & WS_MAXIMIZE) ? SC_RESTORE : SC_MAXIMIZE;
  SendMessageA(hwnd, WM_SYSCOMMAND, command, MAKELPARAM(last.x, last.y));
}

void MoveMouse(int x, int y) { SetCursorPosition(x, y, true); }

void PressButton(Button button) {
  auto codes = Codes(button);
  {
    Lock lock(UserLock());
    U().keys[codes.vk] |= 0x80;
  }
  QueueMouse(codes.down);
}

void ReleaseButton(Button button) {
  auto codes = Codes(button);
  {
    Lock lock(UserLock());
    U().keys[codes.vk] &= ~0x80;
  }
  QueueMouse(codes.up);
}

void Click(int x, int y, Button button) {
  MoveMouse(x, y);
  PressButton(button);
  ReleaseButton(button);
}

void DoubleClick(int x, int y, Button button) {
  Click(x, y, button);
  PressButton(button);
  ReleaseButton(button);
}

void PressKey(UINT vk) { QueueKey(vk, true); }
void ReleaseKey(UINT vk) { QueueKey(vk, false); }

void TypeKey(UINT vk) {
  PressKey(vk);
  ReleaseKey(vk);
}

void TypeText(const std::string& text) {
  for (char c : text) {
    UINT vk;
    bool shift;
    if (!KeyOfCharacter(c, &vk, &shift)) continue;
    if (shift) PressKey(VK_SHIFT);
    TypeKey(vk);
    if (shift) ReleaseKey(VK_SHIFT);
  }
}

}  // namespace host::user

using namespace host::user;

extern "C" {

BOOL WINAPI GetCursorPos(LPPOINT lpPoint) {
  if (!lpPoint) return FALSE;
  Lock lock(UserLock());
  *lpPoint = U().cursor;
  return TRUE;
}

BOOL WINAPI SetCursorPos(int X, int Y) {
  SetCursorPosition(X, Y, true);
  return TRUE;
}

BOOL WINAPI ClipCursor(const RECT* lpRect) {
  {
    Lock lock(UserLock());
    U().cursorClipped = lpRect != nullptr;
    if (lpRect) U().cursorClip = *lpRect;
  }
  POINT p;
  GetCursorPos(&p);
  SetCursorPosition(p.x, p.y, false);
  return TRUE;
}

BOOL WINAPI GetClipCursor(LPRECT lpRect) {
  if (!lpRect) return FALSE;
  Lock lock(UserLock());
  *lpRect = CursorLimits();
  return TRUE;
}

HCURSOR WINAPI SetCursor(HCURSOR hCursor) {
  Lock lock(UserLock());
  HCURSOR old = U().cursorShape;
  U().cursorShape = hCursor;
  return old;
}

HCURSOR WINAPI GetCursor(void) { return U().cursorShape; }

int WINAPI ShowCursor(BOOL bShow) {
  Lock lock(UserLock());
  return bShow ? ++U().cursorShowCount : --U().cursorShowCount;
}

SHORT WINAPI GetAsyncKeyState(int vKey) { return Down(vKey) ? static_cast<SHORT>(0x8000) : 0; }

SHORT WINAPI GetKeyState(int nVirtKey) {
  auto queue = CurrentQueue();
  Lock lock(UserLock());
  BYTE state = queue->keys[nVirtKey & 0xFF];
  return static_cast<SHORT>(((state & 0x80) ? 0xFF80 : 0) | (state & 1));
}

}  // extern "C"
