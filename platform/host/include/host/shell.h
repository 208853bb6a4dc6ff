// Control API of the station's shell: in-process COM servers loaded as the
// shell loads them, the task bar's notification area, and the shell's own
// process. Tests and stand-ins only; deliverables never include this.
#pragma once

#include <host/user.h>
#include <windows.h>

#include <string>
#include <vector>

namespace host::shell {

// An object of an in-process server, created the way the shell creates its
// extensions: HKCR "CLSID\\{…}\\InProcServer32" (default value) → LoadLibraryA
// → DllGetClassObject(clsid, IID_IClassFactory) → CreateInstance(NULL, iid) →
// the class object's Release. Releasing the object asks DllCanUnloadNow and
// frees the module only when the server answers S_OK; a server that still has
// live objects (or exports no DllCanUnloadNow) stays loaded, so its code never
// disappears under them.
class InProcObject {
 public:
  InProcObject() = default;
  ~InProcObject() { Release(); }
  InProcObject(InProcObject&& other) noexcept;
  InProcObject& operator=(InProcObject&& other) noexcept;
  InProcObject(const InProcObject&) = delete;
  InProcObject& operator=(const InProcObject&) = delete;

  // Failures: REGDB_E_CLASSNOTREG (no registration), CO_E_DLLNOTFOUND (the
  // module does not load), CO_E_ERRORINDLL (no DllGetClassObject: the module
  // is freed), else what the server answered (then DllCanUnloadNow decides).
  HRESULT Create(REFCLSID clsid, REFIID iid);
  // Releases the object (if any), then DllCanUnloadNow and FreeLibrary.
  // True when the module was freed.
  bool Release();

  void* get() const { return object_; }
  template <class Interface>
  Interface* as() const {
    return static_cast<Interface*>(object_);
  }
  HMODULE module() const { return module_; }

 private:
  void* object_ = nullptr;
  HMODULE module_ = nullptr;
};

// ---- The task bar and the desktop ----
// The shell runs as a hosted process of its own ("C:\\WINDOWS\\EXPLORER.EXE")
// whose thread owns the task bar window "Shell_TrayWnd" along the bottom of
// the screen with its notification area "TrayNotifyWnd", and the desktop
// "Progman" ("Program Manager") under every other window, whose child
// "SHELLDLL_DefView" holds the desktop icons' "SysListView32". It starts with
// the first Shell_NotifyIconA or StartShell, so stations that do not use it
// keep their whole screen; it never takes scripted actions (see host/user.h).

// Starts the shell if it is not running; returns the task bar window.
HWND StartShell();
HWND TaskBarWindow();     // NULL while the shell is not running
HWND NotificationArea();  // the "TrayNotifyWnd" child

struct TrayIcon {
  HWND window;
  UINT id;
  UINT flags;            // NIF_* bits that were ever given
  UINT callbackMessage;  // 0 without NIF_MESSAGE
  HICON icon;
  std::string tip;
  RECT rect;  // where the icon is drawn, in screen coordinates
};
// In display order (the order they were added).
std::vector<TrayIcon> TrayIcons();

// Delivers a click on the icon as the notification area does for mouse input
// (wParam = id, lParam = the mouse message) and returns when the messages were
// sent to the icon's window: Left gives WM_LBUTTONDOWN, WM_LBUTTONUP; a double
// click adds WM_LBUTTONDBLCLK, WM_LBUTTONUP. False when there is no such icon.
bool ClickTrayIcon(HWND window, UINT id, user::Button button = user::Button::Left, bool doubleClick = false);

// The desktop icons' list view; NULL while the shell is not running. Icons
// start in the left column, one grid cell (SM_CXICONSPACING x SM_CYICONSPACING)
// apart: "My Computer", "Network Neighborhood", "Recycle Bin".
HWND DesktopListView();

struct DesktopIcon {
  std::string name;
  POINT position;  // LVM_GETITEMPOSITION: the icon's cell in the list view's client
};
// In the list view's order; empty while the shell is not running.
std::vector<DesktopIcon> DesktopIcons();

}  // namespace host::shell
