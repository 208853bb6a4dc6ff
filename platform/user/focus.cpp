// Focus, activation, the foreground window, enabling and mouse capture.
// Focus, active window and capture are per thread, as in Win32; the
// foreground window is the station's.
#include "user/user_internal.h"

namespace host::user {
namespace {

HWND Root(HWND hwnd) {
  Lock lock(UserLock());
  auto window = FindWindowPtr(hwnd);
  while (window && !IsTopLevel(*window)) window = FindWindowPtr(window->parent);
  return window ? window->handle : nullptr;
}

bool CanActivate(HWND hwnd) {
  auto window = FindWindowPtr(hwnd);
  if (!window || !(window->style & WS_VISIBLE) || (window->style & WS_DISABLED)) return false;
  return (window->style & (WS_POPUP | WS_CHILD)) != WS_CHILD;
}

void SendActivateApp(DWORD threadId, BOOL active, DWORD otherThread) {
  std::vector<HWND> tops;
  {
    Lock lock(UserLock());
    for (HWND hwnd : FindWindowPtr(U().desktop)->children) {
      auto window = FindWindowPtr(hwnd);
      if (window && window->threadId == threadId) tops.push_back(hwnd);
    }
  }
  for (HWND hwnd : tops) SendMessageA(hwnd, WM_ACTIVATEAPP, active, otherThread);
}

void Deactivate(HWND previous, HWND next) {
  if (!FindWindowPtr(previous)) return;
  SendMessageA(previous, WM_NCACTIVATE, FALSE, reinterpret_cast<LPARAM>(next));
  if (FindWindowPtr(previous))
    SendMessageA(previous, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, IsIconic(previous)), reinterpret_cast<LPARAM>(next));
}

void ChangeFocus(const std::shared_ptr<ThreadQueue>& queue, HWND hwnd) {
  HWND old;
  {
    Lock lock(UserLock());
    old = queue->focus;
    queue->focus = hwnd;
  }
  if (old && FindWindowPtr(old)) SendMessageA(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hwnd), 0);
  if (hwnd && FindWindowPtr(hwnd) && queue->focus == hwnd)
    SendMessageA(hwnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(old), 0);
}

}  // namespace

void ActivateWindow(HWND hwnd, bool byClick) {
  auto window = FindWindowPtr(hwnd);
  if (!window) return;
  auto queue = QueueOf(window->threadId);
  HWND previous = U().foreground ? U().foreground : queue->active;
  if (previous == hwnd && queue->active == hwnd) return;
  auto previousWindow = FindWindowPtr(previous);
  DWORD previousThread = previousWindow ? previousWindow->threadId : 0;
  Deactivate(previous, hwnd);
  {
    Lock lock(UserLock());
    if (previousWindow) QueueOf(previousThread)->active = nullptr;
    queue->active = hwnd;
    U().foreground = hwnd;
    if (auto owner = FindWindowPtr(window->owner)) owner->lastActivePopup = hwnd;
  }
  auto desktop = FindWindowPtr(U().desktop);
  if (!desktop->children.empty() && desktop->children.front() != hwnd)
    SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  if (previousThread != window->threadId) {
    if (previousThread) SendActivateApp(previousThread, FALSE, window->threadId);
    SendActivateApp(window->threadId, TRUE, previousThread);
  }
  if (!FindWindowPtr(hwnd)) return;
  SendMessageA(hwnd, WM_NCACTIVATE, TRUE, reinterpret_cast<LPARAM>(previous));
  if (!FindWindowPtr(hwnd)) return;
  SendMessageA(hwnd, WM_ACTIVATE, MAKEWPARAM(byClick ? WA_CLICKACTIVE : WA_ACTIVE, IsIconic(hwnd)),
               reinterpret_cast<LPARAM>(previous));
  if (queue->active == hwnd && (!queue->focus || Root(queue->focus) != hwnd) && !IsIconic(hwnd))
    ChangeFocus(queue, hwnd);
}

void ActivateOtherWindow(HWND leaving) {
  auto window = FindWindowPtr(leaving);
  HWND next = nullptr;
  if (window && (window->style & WS_POPUP) && CanActivate(window->owner)) next = window->owner;
  if (!next) {
    std::vector<HWND> tops;
    {
      Lock lock(UserLock());
      tops = FindWindowPtr(U().desktop)->children;
    }
    for (HWND hwnd : tops)
      if (hwnd != leaving && CanActivate(hwnd) && !IsIconic(hwnd)) {
        next = hwnd;
        break;
      }
  }
  if (next) {
    ActivateWindow(next, false);
    return;
  }
  // Nothing left to activate: the leaving window just loses activation.
  Deactivate(leaving, nullptr);
  Lock lock(UserLock());
  if (window) {
    auto queue = QueueOf(window->threadId);
    if (queue->active == leaving) queue->active = nullptr;
  }
  if (U().foreground == leaving) U().foreground = nullptr;
}

void ForgetWindowInFocus(HWND hwnd) {
  Lock lock(UserLock());
  for (auto& [id, queue] : U().queues) {
    if (queue->focus == hwnd) queue->focus = nullptr;
    if (queue->active == hwnd) queue->active = nullptr;
    if (queue->capture == hwnd) queue->capture = nullptr;
  }
  if (U().foreground == hwnd) U().foreground = nullptr;
}

}  // namespace host::user

using namespace host::user;

extern "C" {

HWND WINAPI SetFocus(HWND hWnd) {
  auto queue = CurrentQueue();
  HWND old = queue->focus;
  if (!hWnd) {
    ChangeFocus(queue, nullptr);
    return old;
  }
  auto window = CheckWindow(hWnd);
  if (!window || window->threadId != CurrentThread()) return nullptr;
  if (hWnd == old) return old;
  for (auto w = window; w && !IsDesktop(w->handle); w = FindWindowPtr(w->parent)) {
    if (w->style & (WS_MINIMIZE | WS_DISABLED)) return nullptr;
    if (IsTopLevel(*w)) break;
  }
  HWND root = Root(hWnd);
  if (queue->active != root) {
    ActivateWindow(root, false);
    if (queue->active != root) return nullptr;
    if (queue->focus == hWnd) return old;
  }
  ChangeFocus(queue, hWnd);
  return old;
}

HWND WINAPI GetFocus(void) { return CurrentQueue()->focus; }

HWND WINAPI SetActiveWindow(HWND hWnd) {
  auto queue = CurrentQueue();
  HWND previous = queue->active;
  if (!hWnd) {
    if (previous) ActivateOtherWindow(previous);
    return previous;
  }
  auto window = CheckWindow(hWnd);
  if (!window || window->threadId != CurrentThread()) return nullptr;
  if ((window->style & (WS_POPUP | WS_CHILD)) == WS_CHILD) return previous;
  ActivateWindow(hWnd, false);
  return previous;
}

HWND WINAPI GetActiveWindow(void) { return CurrentQueue()->active; }

BOOL WINAPI SetForegroundWindow(HWND hWnd) {
  HWND root = Root(hWnd);
  if (!root) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  ActivateWindow(root, false);
  return TRUE;
}

HWND WINAPI GetForegroundWindow(void) { return U().foreground; }

HWND WINAPI GetLastActivePopup(HWND hWnd) {
  auto window = CheckWindow(hWnd);
  if (!window) return nullptr;
  auto popup = FindWindowPtr(window->lastActivePopup);
  if (popup && popup->owner == hWnd && (popup->style & WS_VISIBLE) && !(popup->style & WS_DISABLED))
    return popup->handle;
  return hWnd;
}

// WM_ENABLE only on a real change; the focus stays where it is.
BOOL WINAPI EnableWindow(HWND hWnd, BOOL bEnable) {
  auto window = CheckWindow(hWnd);
  if (!window) return FALSE;
  bool wasDisabled = window->style & WS_DISABLED;
  if (bEnable && wasDisabled) {
    {
      Lock lock(UserLock());
      window->style &= ~WS_DISABLED;
    }
    SendMessageA(hWnd, WM_ENABLE, TRUE, 0);
  } else if (!bEnable && !wasDisabled) {
    SendMessageA(hWnd, WM_CANCELMODE, 0, 0);
    {
      Lock lock(UserLock());
      window->style |= WS_DISABLED;
    }
    SendMessageA(hWnd, WM_ENABLE, FALSE, 0);
  }
  return wasDisabled;
}

BOOL WINAPI IsWindowEnabled(HWND hWnd) {
  auto window = FindWindowPtr(hWnd);
  return window && !(window->style & WS_DISABLED);
}

HWND WINAPI SetCapture(HWND hWnd) {
  auto queue = CurrentQueue();
  HWND old = queue->capture;
  if (hWnd && !CheckWindow(hWnd)) return nullptr;
  if (old == hWnd) return old;
  {
    Lock lock(UserLock());
    queue->capture = hWnd;
  }
  if (old && FindWindowPtr(old)) SendMessageA(old, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(hWnd));
  return old;
}

BOOL WINAPI ReleaseCapture(void) {
  auto queue = CurrentQueue();
  HWND old;
  {
    Lock lock(UserLock());
    old = queue->capture;
    queue->capture = nullptr;
  }
  if (old && FindWindowPtr(old)) SendMessageA(old, WM_CAPTURECHANGED, 0, 0);
  return TRUE;
}

HWND WINAPI GetCapture(void) { return CurrentQueue()->capture; }

}  // extern "C"
