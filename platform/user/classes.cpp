// Window classes: per hosted process, looked up without regard to case;
// the host's own classes (the desktop) are visible to every process.
#include "kernel/station_state.h"
#include "user/user_internal.h"

#include <algorithm>
#include <cctype>

namespace host::user {
namespace {

DWORD CurrentProcessId() { return kernel::CurrentProcess().id; }

bool IsAtom(LPCSTR name) { return IS_INTRESOURCE(name); }

bool Matches(const WindowClass& cls, LPCSTR name) {
  if (IsAtom(name)) return cls.atom == LOWORD(reinterpret_cast<ULONG_PTR>(name));
  return SameText(cls.name, name);
}

std::shared_ptr<WindowClass> FindOwnClass(LPCSTR name, HINSTANCE instance) {
  for (auto& cls : U().classes)
    if (!cls->system && cls->processId == CurrentProcessId() && cls->instance == instance && Matches(*cls, name))
      return cls;
  return nullptr;
}

ATOM AddClass(const WNDCLASSEXA& wc) {
  if (!wc.lpszClassName || (!IsAtom(wc.lpszClassName) && !*wc.lpszClassName) || wc.cbClsExtra < 0 ||
      wc.cbWndExtra < 0 || wc.cbClsExtra > 40000 || wc.cbWndExtra > 40000) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (IsAtom(wc.lpszClassName)) {  // only existing atoms name classes; we keep no atom table
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  Lock lock(UserLock());
  if (FindOwnClass(wc.lpszClassName, wc.hInstance)) {
    SetLastError(ERROR_CLASS_ALREADY_EXISTS);
    return 0;
  }
  auto cls = std::make_shared<WindowClass>();
  cls->atom = U().nextAtom++;
  cls->name = wc.lpszClassName;
  cls->style = wc.style;
  cls->proc = wc.lpfnWndProc;
  cls->clsExtra = wc.cbClsExtra;
  cls->wndExtra = wc.cbWndExtra;
  cls->instance = wc.hInstance;
  cls->icon = wc.hIcon;
  cls->iconSmall = wc.hIconSm;
  cls->cursor = wc.hCursor;
  cls->background = wc.hbrBackground;
  if (wc.lpszMenuName && !IS_INTRESOURCE(wc.lpszMenuName)) {
    cls->menuNameText = wc.lpszMenuName;
  } else {
    cls->menuName = wc.lpszMenuName;
  }
  cls->extra.assign(wc.cbClsExtra, 0);
  cls->processId = CurrentProcessId();
  U().classes.push_back(cls);
  return cls->atom;
}

LONG ReadExtra(const std::vector<BYTE>& bytes, int offset) {
  LONG value = 0;
  for (int i = 3; i >= 0; --i) value = (value << 8) | bytes[offset + i];
  return value;
}

void WriteExtra(std::vector<BYTE>& bytes, int offset, LONG value) {
  for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<BYTE>(static_cast<DWORD>(value) >> (8 * i));
}

}  // namespace

bool SameText(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::toupper(static_cast<unsigned char>(x)) == std::toupper(static_cast<unsigned char>(y));
         });
}

std::shared_ptr<WindowClass> FindClass(LPCSTR name, HINSTANCE instance) {
  if (!name) return nullptr;
  Lock lock(UserLock());
  if (auto own = FindOwnClass(name, instance)) return own;
  // Then the process's global classes, the host's classes, and last any class
  // of the process by that name: Windows 95 is lenient about the instance.
  for (auto& cls : U().classes)
    if (!cls->system && cls->processId == CurrentProcessId() && (cls->style & CS_GLOBALCLASS) && Matches(*cls, name))
      return cls;
  for (auto& cls : U().classes)
    if (cls->system && Matches(*cls, name)) return cls;
  for (auto& cls : U().classes)
    if (!cls->system && cls->processId == CurrentProcessId() && Matches(*cls, name)) return cls;
  return nullptr;
}

void RegisterSystemClasses() {
  auto desktop = std::make_shared<WindowClass>();
  desktop->atom = 32769;
  desktop->name = "#32769";
  desktop->proc = DefWindowProcA;
  desktop->background = reinterpret_cast<HBRUSH>(COLOR_BACKGROUND + 1);
  desktop->system = true;
  U().classes.push_back(desktop);
}

LONG ReadWindowExtra(const std::vector<BYTE>& bytes, int offset) { return ReadExtra(bytes, offset); }
void WriteWindowExtra(std::vector<BYTE>& bytes, int offset, LONG value) { WriteExtra(bytes, offset, value); }

}  // namespace host::user

using namespace host::user;

extern "C" {

ATOM WINAPI RegisterClassA(const WNDCLASSA* lpWndClass) {
  if (!lpWndClass) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  WNDCLASSEXA ex{};
  ex.cbSize = sizeof ex;
  ex.style = lpWndClass->style;
  ex.lpfnWndProc = lpWndClass->lpfnWndProc;
  ex.cbClsExtra = lpWndClass->cbClsExtra;
  ex.cbWndExtra = lpWndClass->cbWndExtra;
  ex.hInstance = lpWndClass->hInstance;
  ex.hIcon = lpWndClass->hIcon;
  ex.hCursor = lpWndClass->hCursor;
  ex.hbrBackground = lpWndClass->hbrBackground;
  ex.lpszMenuName = lpWndClass->lpszMenuName;
  ex.lpszClassName = lpWndClass->lpszClassName;
  return AddClass(ex);
}

ATOM WINAPI RegisterClassExA(const WNDCLASSEXA* lpWndClass) {
  if (!lpWndClass || lpWndClass->cbSize != sizeof(WNDCLASSEXA)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return AddClass(*lpWndClass);
}

BOOL WINAPI UnregisterClassA(LPCSTR lpClassName, HINSTANCE hInstance) {
  Lock lock(UserLock());
  auto cls = FindOwnClass(lpClassName, hInstance);
  if (!cls) {
    SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
    return FALSE;
  }
  for (auto& [hwnd, window] : U().windows)
    if (window->cls == cls && !window->destroyed) {
      SetLastError(ERROR_CLASS_HAS_WINDOWS);
      return FALSE;
    }
  U().classes.erase(std::find(U().classes.begin(), U().classes.end(), cls));
  return TRUE;
}

BOOL WINAPI GetClassInfoExA(HINSTANCE hInstance, LPCSTR lpszClass, LPWNDCLASSEXA lpwcx) {
  Lock lock(UserLock());
  auto cls = FindClass(lpszClass, hInstance);
  if (!cls || !lpwcx) {
    SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
    return FALSE;
  }
  lpwcx->cbSize = sizeof(WNDCLASSEXA);
  lpwcx->style = cls->style;
  lpwcx->lpfnWndProc = cls->proc;
  lpwcx->cbClsExtra = cls->clsExtra;
  lpwcx->cbWndExtra = cls->wndExtra;
  lpwcx->hInstance = cls->instance;
  lpwcx->hIcon = cls->icon;
  lpwcx->hCursor = cls->cursor;
  lpwcx->hbrBackground = cls->background;
  lpwcx->lpszMenuName = cls->menuNameText.empty() ? cls->menuName : cls->menuNameText.c_str();
  lpwcx->lpszClassName = cls->name.c_str();
  lpwcx->hIconSm = cls->iconSmall;
  return cls->atom;
}

BOOL WINAPI GetClassInfoA(HINSTANCE hInstance, LPCSTR lpClassName, LPWNDCLASSA lpWndClass) {
  WNDCLASSEXA ex{};
  if (!lpWndClass || !GetClassInfoExA(hInstance, lpClassName, &ex)) return FALSE;
  lpWndClass->style = ex.style;
  lpWndClass->lpfnWndProc = ex.lpfnWndProc;
  lpWndClass->cbClsExtra = ex.cbClsExtra;
  lpWndClass->cbWndExtra = ex.cbWndExtra;
  lpWndClass->hInstance = ex.hInstance;
  lpWndClass->hIcon = ex.hIcon;
  lpWndClass->hCursor = ex.hCursor;
  lpWndClass->hbrBackground = ex.hbrBackground;
  lpWndClass->lpszMenuName = ex.lpszMenuName;
  lpWndClass->lpszClassName = ex.lpszClassName;
  return TRUE;
}

DWORD WINAPI GetClassLongA(HWND hWnd, int nIndex) {
  Lock lock(UserLock());
  auto window = CheckWindow(hWnd);
  if (!window) return 0;
  auto& cls = *window->cls;
  if (nIndex >= 0) {
    if (nIndex + 4 > cls.clsExtra) {
      SetLastError(ERROR_INVALID_INDEX);
      return 0;
    }
    return ReadExtra(cls.extra, nIndex);
  }
  switch (nIndex) {
    case GCL_HBRBACKGROUND: return reinterpret_cast<DWORD>(cls.background);
    case GCL_HCURSOR: return reinterpret_cast<DWORD>(cls.cursor);
    case GCL_HICON: return reinterpret_cast<DWORD>(cls.icon);
    case GCL_HICONSM: return reinterpret_cast<DWORD>(cls.iconSmall);
    case GCL_HMODULE: return reinterpret_cast<DWORD>(cls.instance);
    case GCL_CBWNDEXTRA: return cls.wndExtra;
    case GCL_CBCLSEXTRA: return cls.clsExtra;
    case GCL_WNDPROC: return reinterpret_cast<DWORD>(cls.proc);
    case GCL_STYLE: return cls.style;
    case GCW_ATOM: return cls.atom;
    case GCL_MENUNAME:
      return reinterpret_cast<DWORD>(cls.menuNameText.empty() ? cls.menuName : cls.menuNameText.c_str());
  }
  SetLastError(ERROR_INVALID_INDEX);
  return 0;
}

// Changes act on the class: every window of it, present and future, sees them.
DWORD WINAPI SetClassLongA(HWND hWnd, int nIndex, LONG dwNewLong) {
  Lock lock(UserLock());
  auto window = CheckWindow(hWnd);
  if (!window) return 0;
  auto& cls = *window->cls;
  DWORD old = GetClassLongA(hWnd, nIndex);
  if (nIndex >= 0) {
    if (nIndex + 4 > cls.clsExtra) return 0;
    WriteExtra(cls.extra, nIndex, dwNewLong);
    return old;
  }
  switch (nIndex) {
    case GCL_HBRBACKGROUND: cls.background = reinterpret_cast<HBRUSH>(dwNewLong); break;
    case GCL_HCURSOR: cls.cursor = reinterpret_cast<HCURSOR>(dwNewLong); break;
    case GCL_HICON: cls.icon = reinterpret_cast<HICON>(dwNewLong); break;
    case GCL_HICONSM: cls.iconSmall = reinterpret_cast<HICON>(dwNewLong); break;
    case GCL_HMODULE: cls.instance = reinterpret_cast<HINSTANCE>(dwNewLong); break;
    case GCL_WNDPROC: cls.proc = reinterpret_cast<WNDPROC>(dwNewLong); break;
    case GCL_STYLE: cls.style = dwNewLong; break;
    case GCL_CBWNDEXTRA: cls.wndExtra = dwNewLong; break;
    default: SetLastError(ERROR_INVALID_INDEX); return 0;
  }
  return old;
}

int WINAPI GetClassNameA(HWND hWnd, LPSTR lpClassName, int nMaxCount) {
  Lock lock(UserLock());
  auto window = CheckWindow(hWnd);
  if (!window || !lpClassName || nMaxCount <= 0) return 0;
  lstrcpynA(lpClassName, window->cls->name.c_str(), nMaxCount);
  return lstrlenA(lpClassName);
}

}  // extern "C"
