// Windows: creation and destruction in Windows' message order, the window
// tree (parents, owners, z-order), enumeration and search, text, window
// longs and properties.
#include "kernel/station_state.h"
#include "user/user_internal.h"

#include <algorithm>
#include <cstdio>

namespace host::user {
namespace {

bool IsChildStyle(DWORD style) { return (style & WS_CHILD) != 0; }

HWND RootOf(HWND hwnd) {
  Lock lock(UserLock());
  auto window = FindWindowPtr(hwnd);
  while (window && !IsTopLevel(*window)) window = FindWindowPtr(window->parent);
  return window ? window->handle : nullptr;
}

bool NeedsWindowEdge(DWORD style, DWORD exStyle) {
  return (exStyle & WS_EX_DLGMODALFRAME) || (style & WS_THICKFRAME) || (style & WS_DLGFRAME);
}

// Overlapped windows placed by the system cascade from the desktop's corner.
void DefaultPlacement(int& x, int& y, int& cx, int& cy, DWORD style, bool& defaultCx) {
  defaultCx = false;
  if (IsChildStyle(style) || (style & WS_POPUP)) {
    if (x == CW_USEDEFAULT) x = y = 0;
    if (cx == CW_USEDEFAULT) cx = cy = 0;
    return;
  }
  RECT desk = FindWindowPtr(U().desktop)->rect;
  if (x == CW_USEDEFAULT) {
    int step = kCaption + kFrame;
    x = y = step * (U().cascade++ % 8);
  }
  if (cx == CW_USEDEFAULT) {
    defaultCx = true;
    cx = (desk.right - desk.left) * 3 / 4;
    cy = (desk.bottom - desk.top) * 3 / 4;
  }
}

// Up the chain of child windows to the top-level one; a child of the desktop
// is top-level, so the desktop is never told.
void SendParentNotify(HWND hwnd, UINT event) {
  for (auto window = FindWindowPtr(hwnd); window && IsChildStyle(window->style) && !IsTopLevel(*window);) {
    if (window->exStyle & WS_EX_NOPARENTNOTIFY) return;
    HWND parent = window->parent;
    SendMessageA(parent, WM_PARENTNOTIFY, MAKEWPARAM(event, window->id), reinterpret_cast<LPARAM>(hwnd));
    window = FindWindowPtr(parent);
  }
}

void Unlink(Window& window) {
  if (auto parent = FindWindowPtr(window.parent)) {
    auto& list = parent->children;
    list.erase(std::remove(list.begin(), list.end(), window.handle), list.end());
  }
  window.destroyed = true;
  KillWindowTimers(window.handle);
  ForgetWindowInFocus(window.handle);
  DestroyWindowMenus(window);
  for (auto& [hwnd, other] : U().windows)
    if (other->owner == window.handle) other->owner = nullptr;
  if (U().lastClickWindow == window.handle) U().lastClickWindow = nullptr;
  ForgetOwnDC(window);
  U().windows.erase(window.handle);
  NoteWindowAreasChanged();
}

// Children first, then the window itself: WM_NCDESTROY is the last message.
void DestroyTree(HWND hwnd) {
  auto window = FindWindowPtr(hwnd);
  if (!window) return;
  std::vector<HWND> children;
  {
    Lock lock(UserLock());
    children = window->children;
  }
  for (HWND child : children) DestroyTree(child);
  SendMessageA(hwnd, WM_NCDESTROY, 0, 0);
  Lock lock(UserLock());
  if (!window->destroyed) Unlink(*window);
}

// WM_DESTROY goes to the window before its children.
void SendDestroyMessages(HWND hwnd) {
  auto window = FindWindowPtr(hwnd);
  if (!window) return;
  SendMessageA(hwnd, WM_DESTROY, 0, 0);
  std::vector<HWND> children;
  {
    Lock lock(UserLock());
    children = window->children;
  }
  for (HWND child : children) SendDestroyMessages(child);
}

}  // namespace

std::string PropKey(LPCSTR name) {
  if (IS_INTRESOURCE(name)) return "#" + std::to_string(LOWORD(reinterpret_cast<ULONG_PTR>(name)));
  return name;
}

void ForgetWindowSilently(HWND hwnd) {
  Lock lock(UserLock());
  auto window = FindWindowPtr(hwnd);
  if (!window) return;
  for (HWND child : std::vector<HWND>(window->children)) ForgetWindowSilently(child);
  Unlink(*window);
}

void InsertInZOrder(Window& parent, HWND hwnd, HWND after) {
  NoteWindowAreasChanged();
  auto& list = parent.children;
  list.erase(std::remove(list.begin(), list.end(), hwnd), list.end());
  auto window = FindWindowPtr(hwnd);
  bool topmost = window && (window->exStyle & WS_EX_TOPMOST);
  auto isTopmost = [](HWND h) {
    auto w = FindWindowPtr(h);
    return w && (w->exStyle & WS_EX_TOPMOST);
  };
  // Top-level windows keep the topmost band above the others.
  auto bandBegin = list.begin(), bandEnd = list.end();
  if (IsDesktop(parent.handle)) {
    auto firstPlain = std::find_if(list.begin(), list.end(), [&](HWND h) { return !isTopmost(h); });
    if (topmost)
      bandEnd = firstPlain;
    else
      bandBegin = firstPlain;
  }
  if (after == HWND_TOP || after == HWND_TOPMOST || after == HWND_NOTOPMOST) {
    list.insert(bandBegin, hwnd);
  } else if (after == HWND_BOTTOM) {
    list.insert(bandEnd, hwnd);
  } else {
    auto found = std::find(bandBegin, bandEnd, after);
    list.insert(found == bandEnd ? bandBegin : found + 1, hwnd);
  }
}

}  // namespace host::user

using namespace host::user;

namespace {

HWND Create(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int cx, int cy,
            HWND parentHandle, HMENU menu, HINSTANCE instance, LPVOID param) {
  auto cls = FindClass(className, instance);
  if (!cls) {
    SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
    return nullptr;
  }
  HWND parent = U().desktop, owner = nullptr;
  if (IsChildStyle(style)) {
    if (!parentHandle || !FindWindowPtr(parentHandle)) {
      SetLastError(parentHandle ? ERROR_INVALID_WINDOW_HANDLE : 1406 /* ERROR_TLW_WITH_WSCHILD */);
      return nullptr;
    }
    parent = parentHandle;
  } else if (parentHandle && parentHandle != HWND_DESKTOP && !IsDesktop(parentHandle)) {
    if (!FindWindowPtr(parentHandle)) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return nullptr;
    }
    owner = RootOf(parentHandle);  // a top-level window is owned by the root of the window given
  }
  CREATESTRUCTA cs{param, instance, menu, parentHandle, cy, cx, y, x, static_cast<LONG>(style), windowName,
                   className, exStyle};
  bool defaultCx;
  DefaultPlacement(x, y, cx, cy, style, defaultCx);

  auto window = std::make_shared<Window>();
  window->handle = NewHandle();
  window->cls = cls;
  window->style = style & ~(WS_VISIBLE | WS_MINIMIZE | WS_MAXIMIZE);
  if (!IsChildStyle(style) && !(style & WS_POPUP)) window->style |= WS_CAPTION | WS_CLIPSIBLINGS;
  window->exStyle = exStyle;
  if (NeedsWindowEdge(window->style, exStyle)) window->exStyle |= WS_EX_WINDOWEDGE;
  window->proc = cls->proc;
  window->parent = parent;
  window->owner = owner;
  window->id = reinterpret_cast<UINT_PTR>(menu);
  window->instance = instance;
  window->extra.assign(cls->wndExtra, 0);
  window->threadId = CurrentThread();
  window->processId = host::kernel::CurrentProcess().id;
  {
    Lock lock(UserLock());
    U().windows[window->handle] = window;
  }
  HWND hwnd = window->handle;

  if ((style & WS_THICKFRAME) || !(style & (WS_POPUP | WS_CHILD))) {
    MINMAXINFO info = MinMaxInfo(*window);
    SendMessageA(hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    cx = std::clamp<int>(cx, info.ptMinTrackSize.x, std::max(info.ptMinTrackSize.x, info.ptMaxTrackSize.x));
    cy = std::clamp<int>(cy, info.ptMinTrackSize.y, std::max(info.ptMinTrackSize.y, info.ptMaxTrackSize.y));
  }
  if (cx < 0) cx = 0;
  if (cy < 0) cy = 0;
  window->rect = window->client = window->normalRect = {x, y, x + cx, y + cy};

  if (!SendMessageA(hwnd, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&cs))) {
    SendMessageA(hwnd, WM_NCDESTROY, 0, 0);
    Lock lock(UserLock());
    Unlink(*window);
    return nullptr;
  }
  {
    Lock lock(UserLock());
    if (window->destroyed) return nullptr;
    if (auto parentWindow = FindWindowPtr(parent)) InsertInZOrder(*parentWindow, hwnd, HWND_TOP);
  }
  RECT calc = window->rect;
  SendMessageA(hwnd, WM_NCCALCSIZE, FALSE, reinterpret_cast<LPARAM>(&calc));
  if (!FindWindowPtr(hwnd)) return nullptr;
  window->client = calc;
  NoteWindowAreasChanged();

  if (SendMessageA(hwnd, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
    if (FindWindowPtr(hwnd)) DestroyWindow(hwnd);
    return nullptr;
  }
  if (!FindWindowPtr(hwnd)) return nullptr;
  SendMessageA(hwnd, WM_SIZE, SIZE_RESTORED,
               MAKELPARAM(window->client.right - window->client.left, window->client.bottom - window->client.top));
  SendMessageA(hwnd, WM_MOVE, 0, MAKELPARAM(window->client.left, window->client.top));
  window->createDone = true;
  if (IsChildStyle(style)) SendParentNotify(hwnd, WM_CREATE);
  if (!FindWindowPtr(hwnd)) return nullptr;
  if (style & WS_MINIMIZE)
    ShowWindow(hwnd, (style & WS_VISIBLE) ? SW_SHOWMINIMIZED : SW_MINIMIZE);
  else if (style & WS_MAXIMIZE)
    ShowWindow(hwnd, SW_SHOWMAXIMIZED);
  else if (style & WS_VISIBLE)
    ShowWindow(hwnd, SW_SHOW);
  return FindWindowPtr(hwnd) ? hwnd : nullptr;
}

BOOL EnumList(const std::vector<HWND>& list, WNDENUMPROC proc, LPARAM lParam, bool recurse) {
  for (HWND hwnd : list) {
    if (!FindWindowPtr(hwnd)) continue;
    if (!proc(hwnd, lParam)) return FALSE;
    if (recurse) {
      auto window = FindWindowPtr(hwnd);
      if (!window) continue;
      std::vector<HWND> children;
      {
        Lock lock(UserLock());
        children = window->children;
      }
      if (!EnumList(children, proc, lParam, true)) return FALSE;
    }
  }
  return TRUE;
}

std::vector<HWND> ChildrenOf(HWND parent) {
  Lock lock(UserLock());
  auto window = FindWindowPtr(parent ? parent : U().desktop);
  return window ? window->children : std::vector<HWND>{};
}

bool ClassMatches(const Window& window, LPCSTR className) {
  if (!className) return true;
  if (IS_INTRESOURCE(className)) return window.cls->atom == LOWORD(reinterpret_cast<ULONG_PTR>(className));
  return SameText(window.cls->name, className);
}

LONG SetStyle(const std::shared_ptr<Window>& window, int index, LONG value) {
  DWORD& field = index == GWL_STYLE ? window->style : window->exStyle;
  STYLESTRUCT change{field, static_cast<DWORD>(value)};
  DWORD old = field;
  SendMessageA(window->handle, WM_STYLECHANGING, index, reinterpret_cast<LPARAM>(&change));
  if (!FindWindowPtr(window->handle)) return 0;
  field = change.styleNew;
  NoteWindowAreasChanged();
  SendMessageA(window->handle, WM_STYLECHANGED, index, reinterpret_cast<LPARAM>(&change));
  return old;
}

}  // namespace

extern "C" {

HWND WINAPI CreateWindowExA(DWORD dwExStyle, LPCSTR lpClassName, LPCSTR lpWindowName, DWORD dwStyle, int X, int Y,
                            int nWidth, int nHeight, HWND hWndParent, HMENU hMenu, HINSTANCE hInstance,
                            LPVOID lpParam) {
  return Create(dwExStyle, lpClassName, lpWindowName, dwStyle, X, Y, nWidth, nHeight, hWndParent, hMenu, hInstance,
                lpParam);
}

BOOL WINAPI DestroyWindow(HWND hWnd) {
  auto window = CheckWindow(hWnd);
  if (!window) return FALSE;
  if (IsDesktop(hWnd) || window->threadId != CurrentThread()) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  if (window->destroying) return TRUE;
  window->destroying = true;
  bool child = IsChildStyle(window->style);
  if (child) SendParentNotify(hWnd, WM_DESTROY);
  if (!FindWindowPtr(hWnd)) return TRUE;
  if (window->style & WS_VISIBLE) {
    SetWindowPos(hWnd, nullptr, 0, 0, 0, 0,
                 SWP_HIDEWINDOW | SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER |
                     (child ? 0 : SWP_NOACTIVATE));
  }
  if (!child) {
    std::vector<HWND> owned;
    {
      Lock lock(UserLock());
      for (auto& [handle, other] : U().windows)
        if (other->owner == hWnd && !other->destroying) owned.push_back(handle);
    }
    for (HWND handle : owned) {
      auto other = FindWindowPtr(handle);
      if (!other) continue;
      if (other->threadId == CurrentThread())
        DestroyWindow(handle);
      else
        other->owner = nullptr;
    }
    Lock lock(UserLock());
    auto queue = CurrentQueue();
    if (queue->active == hWnd) {
      lock.unlock();
      ActivateOtherWindow(hWnd);
    }
  }
  {
    auto queue = CurrentQueue();
    HWND capture = queue->capture;
    if (capture && (capture == hWnd || IsDescendant(hWnd, capture))) ReleaseCapture();
  }
  SendDestroyMessages(hWnd);
  DestroyTree(hWnd);
  return TRUE;
}

BOOL WINAPI IsWindow(HWND hWnd) { return FindWindowPtr(hWnd) != nullptr; }

BOOL WINAPI IsWindowVisible(HWND hWnd) {
  Lock lock(UserLock());
  auto window = FindWindowPtr(hWnd);
  if (!window) return FALSE;
  for (; window; window = FindWindowPtr(window->parent)) {
    if (!(window->style & WS_VISIBLE)) return FALSE;
    if (IsTopLevel(*window)) return TRUE;
  }
  return TRUE;
}

BOOL WINAPI IsIconic(HWND hWnd) {
  auto window = FindWindowPtr(hWnd);
  return window && (window->style & WS_MINIMIZE);
}

BOOL WINAPI IsZoomed(HWND hWnd) {
  auto window = FindWindowPtr(hWnd);
  return window && (window->style & WS_MAXIMIZE);
}

BOOL WINAPI IsChild(HWND hWndParent, HWND hWnd) {
  Lock lock(UserLock());
  auto window = FindWindowPtr(hWnd);
  while (window && IsChildStyle(window->style)) {
    if (window->parent == hWndParent) return TRUE;
    window = FindWindowPtr(window->parent);
  }
  return FALSE;
}

HWND WINAPI GetParent(HWND hWnd) {
  auto window = CheckWindow(hWnd);
  if (!window) return nullptr;
  if (window->style & WS_CHILD) return window->parent;
  if (window->style & WS_POPUP) return window->owner;
  return nullptr;
}

HWND WINAPI SetParent(HWND hWndChild, HWND hWndNewParent) {
  auto window = CheckWindow(hWndChild);
  if (!window || IsDesktop(hWndChild)) return nullptr;
  HWND target = hWndNewParent ? hWndNewParent : U().desktop;
  auto newParent = CheckWindow(target);
  if (!newParent || target == hWndChild || IsDescendant(hWndChild, target)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  Lock lock(UserLock());
  HWND old = window->parent;
  if (auto oldParent = FindWindowPtr(old)) {
    auto& list = oldParent->children;
    list.erase(std::remove(list.begin(), list.end(), hWndChild), list.end());
  }
  window->parent = target;
  InsertInZOrder(*newParent, hWndChild, HWND_TOP);
  return old;
}

HWND WINAPI GetWindow(HWND hWnd, UINT uCmd) {
  Lock lock(UserLock());
  auto window = CheckWindow(hWnd);
  if (!window) return nullptr;
  if (uCmd == GW_OWNER) return window->owner;
  if (uCmd == GW_CHILD) return window->children.empty() ? nullptr : window->children.front();
  auto parent = FindWindowPtr(window->parent);
  if (!parent) return nullptr;
  auto& list = parent->children;
  auto self = std::find(list.begin(), list.end(), hWnd);
  switch (uCmd) {
    case GW_HWNDFIRST: return list.front();
    case GW_HWNDLAST: return list.back();
    case GW_HWNDNEXT: return (self == list.end() || self + 1 == list.end()) ? nullptr : *(self + 1);
    case GW_HWNDPREV: return (self == list.begin() || self == list.end()) ? nullptr : *(self - 1);
  }
  SetLastError(ERROR_INVALID_PARAMETER);
  return nullptr;
}

HWND WINAPI GetTopWindow(HWND hWnd) {
  auto children = ChildrenOf(hWnd);
  return children.empty() ? nullptr : children.front();
}

HWND WINAPI GetDesktopWindow(void) { return U().desktop; }

HWND WINAPI GetDlgItem(HWND hDlg, int nIDDlgItem) {
  for (HWND child : ChildrenOf(hDlg)) {
    auto window = FindWindowPtr(child);
    if (window && window->id == static_cast<UINT_PTR>(static_cast<UINT>(nIDDlgItem))) return child;
  }
  SetLastError(1421 /* ERROR_CONTROL_ID_NOT_FOUND */);
  return nullptr;
}

int WINAPI GetDlgCtrlID(HWND hWnd) {
  auto window = CheckWindow(hWnd);
  return window && IsChildStyle(window->style) ? static_cast<int>(window->id) : 0;
}

BOOL WINAPI EnumWindows(WNDENUMPROC lpEnumFunc, LPARAM lParam) {
  if (!lpEnumFunc) return FALSE;
  return EnumList(ChildrenOf(U().desktop), lpEnumFunc, lParam, false);
}

BOOL WINAPI EnumChildWindows(HWND hWndParent, WNDENUMPROC lpEnumFunc, LPARAM lParam) {
  if (!lpEnumFunc) return FALSE;
  return EnumList(ChildrenOf(hWndParent), lpEnumFunc, lParam, true);
}

BOOL WINAPI EnumThreadWindows(DWORD dwThreadId, WNDENUMPROC lpfn, LPARAM lParam) {
  if (!lpfn) return FALSE;
  std::vector<HWND> own;
  for (HWND hwnd : ChildrenOf(U().desktop)) {
    auto window = FindWindowPtr(hwnd);
    if (window && window->threadId == dwThreadId) own.push_back(hwnd);
  }
  return EnumList(own, lpfn, lParam, false);
}

// Class and title as given (either may be null); the title without regard to
// case and from the window's own text, hidden windows included.
HWND WINAPI FindWindowExA(HWND hWndParent, HWND hWndChildAfter, LPCSTR lpszClass, LPCSTR lpszWindow) {
  auto list = ChildrenOf(hWndParent);
  auto start = list.begin();
  if (hWndChildAfter) {
    start = std::find(list.begin(), list.end(), hWndChildAfter);
    if (start == list.end()) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return nullptr;
    }
    ++start;
  }
  Lock lock(UserLock());
  for (auto it = start; it != list.end(); ++it) {
    auto window = FindWindowPtr(*it);
    if (!window || !ClassMatches(*window, lpszClass)) continue;
    if (lpszWindow && !SameText(window->text, lpszWindow)) continue;
    return *it;
  }
  SetLastError(1400 /* not found: Win95 leaves a window-handle error */);
  return nullptr;
}

HWND WINAPI FindWindowA(LPCSTR lpClassName, LPCSTR lpWindowName) {
  return FindWindowExA(nullptr, nullptr, lpClassName, lpWindowName);
}

DWORD WINAPI GetWindowThreadProcessId(HWND hWnd, LPDWORD lpdwProcessId) {
  auto window = CheckWindow(hWnd);
  if (!window) return 0;
  if (lpdwProcessId) *lpdwProcessId = window->processId;
  return window->threadId;
}

BOOL WINAPI SetWindowTextA(HWND hWnd, LPCSTR lpString) {
  if (!CheckWindow(hWnd)) return FALSE;
  return static_cast<BOOL>(SendMessageA(hWnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(lpString ? lpString : "")));
}

// Windows of the calling process answer WM_GETTEXT; others give their stored text.
int WINAPI GetWindowTextA(HWND hWnd, LPSTR lpString, int nMaxCount) {
  auto window = CheckWindow(hWnd);
  if (!window || !lpString || nMaxCount <= 0) return 0;
  if (window->processId == host::kernel::CurrentProcess().id)
    return static_cast<int>(SendMessageA(hWnd, WM_GETTEXT, nMaxCount, reinterpret_cast<LPARAM>(lpString)));
  Lock lock(UserLock());
  lstrcpynA(lpString, window->text.c_str(), nMaxCount);
  return lstrlenA(lpString);
}

int WINAPI GetWindowTextLengthA(HWND hWnd) {
  auto window = CheckWindow(hWnd);
  if (!window) return 0;
  if (window->processId == host::kernel::CurrentProcess().id)
    return static_cast<int>(SendMessageA(hWnd, WM_GETTEXTLENGTH, 0, 0));
  return static_cast<int>(window->text.size());
}

LONG WINAPI GetWindowLongA(HWND hWnd, int nIndex) {
  Lock lock(UserLock());
  auto window = CheckWindow(hWnd);
  if (!window) return 0;
  if (nIndex >= 0) {
    if (nIndex + 4 > static_cast<int>(window->extra.size())) {
      SetLastError(ERROR_INVALID_INDEX);
      return 0;
    }
    return ReadWindowExtra(window->extra, nIndex);
  }
  switch (nIndex) {
    case GWL_WNDPROC: return reinterpret_cast<LONG>(window->proc);
    case GWL_HINSTANCE: return reinterpret_cast<LONG>(window->instance);
    case GWL_HWNDPARENT:
      return reinterpret_cast<LONG>(IsChildStyle(window->style) ? window->parent : window->owner);
    case GWL_ID: return static_cast<LONG>(window->id);
    case GWL_STYLE: return static_cast<LONG>(window->style);
    case GWL_EXSTYLE: return static_cast<LONG>(window->exStyle);
    case GWL_USERDATA: return window->userData;
  }
  SetLastError(ERROR_INVALID_INDEX);
  return 0;
}

LONG WINAPI SetWindowLongA(HWND hWnd, int nIndex, LONG dwNewLong) {
  auto window = CheckWindow(hWnd);
  if (!window) return 0;
  if (nIndex == GWL_STYLE || nIndex == GWL_EXSTYLE) return SetStyle(window, nIndex, dwNewLong);
  Lock lock(UserLock());
  LONG old = GetWindowLongA(hWnd, nIndex);
  if (nIndex >= 0) {
    if (nIndex + 4 > static_cast<int>(window->extra.size())) return 0;
    WriteWindowExtra(window->extra, nIndex, dwNewLong);
    return old;
  }
  switch (nIndex) {
    case GWL_WNDPROC:
      if (window->processId != host::kernel::CurrentProcess().id) {
        SetLastError(ERROR_ACCESS_DENIED);
        return 0;
      }
      window->proc = reinterpret_cast<WNDPROC>(dwNewLong);
      break;
    case GWL_HINSTANCE: window->instance = reinterpret_cast<HINSTANCE>(dwNewLong); break;
    case GWL_HWNDPARENT:
      if (IsChildStyle(window->style)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
      }
      window->owner = reinterpret_cast<HWND>(dwNewLong);
      break;
    case GWL_ID: window->id = static_cast<UINT_PTR>(dwNewLong); break;
    case GWL_USERDATA: window->userData = dwNewLong; break;
    default: SetLastError(ERROR_INVALID_INDEX); return 0;
  }
  return old;
}

WORD WINAPI GetWindowWord(HWND hWnd, int nIndex) {
  Lock lock(UserLock());
  auto window = CheckWindow(hWnd);
  if (!window || nIndex < 0 || nIndex + 2 > static_cast<int>(window->extra.size())) {
    SetLastError(ERROR_INVALID_INDEX);
    return 0;
  }
  return static_cast<WORD>(window->extra[nIndex] | (window->extra[nIndex + 1] << 8));
}

WORD WINAPI SetWindowWord(HWND hWnd, int nIndex, WORD wNewWord) {
  Lock lock(UserLock());
  WORD old = GetWindowWord(hWnd, nIndex);
  auto window = FindWindowPtr(hWnd);
  if (!window || nIndex < 0 || nIndex + 2 > static_cast<int>(window->extra.size())) return 0;
  window->extra[nIndex] = LOBYTE(wNewWord);
  window->extra[nIndex + 1] = HIBYTE(wNewWord);
  return old;
}

LRESULT WINAPI CallWindowProcA(WNDPROC lpPrevWndFunc, HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  if (!lpPrevWndFunc) return 0;
  return lpPrevWndFunc(hWnd, Msg, wParam, lParam);
}

BOOL WINAPI SetPropA(HWND hWnd, LPCSTR lpString, HANDLE hData) {
  Lock lock(UserLock());
  auto window = CheckWindow(hWnd);
  if (!window || !lpString) return FALSE;
  std::string key = PropKey(lpString);
  for (auto& [name, value] : window->props)
    if (SameText(name, key)) {
      value = hData;
      return TRUE;
    }
  window->props.emplace_back(key, hData);
  return TRUE;
}

HANDLE WINAPI GetPropA(HWND hWnd, LPCSTR lpString) {
  Lock lock(UserLock());
  auto window = FindWindowPtr(hWnd);
  if (!window || !lpString) return nullptr;
  std::string key = PropKey(lpString);
  for (auto& [name, value] : window->props)
    if (SameText(name, key)) return value;
  return nullptr;
}

HANDLE WINAPI RemovePropA(HWND hWnd, LPCSTR lpString) {
  Lock lock(UserLock());
  auto window = FindWindowPtr(hWnd);
  if (!window || !lpString) return nullptr;
  std::string key = PropKey(lpString);
  for (auto it = window->props.begin(); it != window->props.end(); ++it)
    if (SameText(it->first, key)) {
      HANDLE value = it->second;
      window->props.erase(it);
      return value;
    }
  return nullptr;
}

int WINAPI EnumPropsA(HWND hWnd, PROPENUMPROCA lpEnumFunc) {
  auto window = FindWindowPtr(hWnd);
  if (!window || !lpEnumFunc) return -1;
  std::vector<std::pair<std::string, HANDLE>> props;
  {
    Lock lock(UserLock());
    props = window->props;
  }
  int result = -1;
  for (auto& [name, value] : props) {
    LPCSTR key = name.c_str();
    if (name[0] == '#') key = MAKEINTRESOURCEA(std::stoi(name.substr(1)));
    result = lpEnumFunc(hWnd, key, value);
    if (!result) break;
  }
  return result;
}

}  // extern "C"
