// The rest of USER: message boxes (modal, answered by the script), beeps,
// help and exit requests, system parameters, system colours, and the
// desktop following display changes.
#include "kernel/process_table.h"
#include "user/desktop.h"
#include "user/user_internal.h"

#include <algorithm>
#include <vector>

namespace host::user {
namespace {

// The Windows 95 standard scheme.
constexpr COLORREF kStandardColors[] = {
    0xC0C0C0,  // COLOR_SCROLLBAR
    0x808000,  // COLOR_BACKGROUND (teal)
    0x800000,  // COLOR_ACTIVECAPTION (navy)
    0x808080,  // COLOR_INACTIVECAPTION
    0xC0C0C0,  // COLOR_MENU
    0xFFFFFF,  // COLOR_WINDOW
    0x000000,  // COLOR_WINDOWFRAME
    0x000000,  // COLOR_MENUTEXT
    0x000000,  // COLOR_WINDOWTEXT
    0xFFFFFF,  // COLOR_CAPTIONTEXT
    0xC0C0C0,  // COLOR_ACTIVEBORDER
    0xC0C0C0,  // COLOR_INACTIVEBORDER
    0x808080,  // COLOR_APPWORKSPACE
    0x800000,  // COLOR_HIGHLIGHT
    0xFFFFFF,  // COLOR_HIGHLIGHTTEXT
    0xC0C0C0,  // COLOR_BTNFACE
    0x808080,  // COLOR_BTNSHADOW
    0x808080,  // COLOR_GRAYTEXT
    0x000000,  // COLOR_BTNTEXT
    0xC0C0C0,  // COLOR_INACTIVECAPTIONTEXT
    0xFFFFFF,  // COLOR_BTNHIGHLIGHT
    0x000000,  // COLOR_3DDKSHADOW
    0xC0C0C0,  // COLOR_3DLIGHT
    0x000000,  // COLOR_INFOTEXT
    0xE1FFFF,  // COLOR_INFOBK
};
constexpr int kColorCount = sizeof kStandardColors / sizeof kStandardColors[0];

struct Settings {
  COLORREF colors[kColorCount];
  RECT workArea{};
  bool workAreaSet = false;
};

Settings& S() {
  static Settings settings;
  return settings;
}

std::vector<int> ButtonsOf(UINT type) {
  switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL: return {IDOK, IDCANCEL};
    case MB_ABORTRETRYIGNORE: return {IDABORT, IDRETRY, IDIGNORE};
    case MB_YESNOCANCEL: return {IDYES, IDNO, IDCANCEL};
    case MB_YESNO: return {IDYES, IDNO};
    case MB_RETRYCANCEL: return {IDRETRY, IDCANCEL};
    default: return {IDOK};
  }
}

// The box's modal loop: scripted actions run until an answer comes; with no
// step left the default button answers.
int RunMessageBox(const std::string& loopName, const std::vector<int>& buttons, int fallback) {
  EnterModalLoop(loopName);
  int answer = fallback;
  for (;;) {
    PumpMessages();
    StepKind next = NextStepKind();
    int value;
    if (next == StepKind::Answer && TakeScriptedValue(StepKind::Answer, &value)) {
      if (std::find(buttons.begin(), buttons.end(), value) != buttons.end())
        answer = value;
      else
        ReportStuckLoop(loopName + ": scripted answer " + std::to_string(value) + " is not one of its buttons");
      break;
    }
    if (next == StepKind::Action) {
      RunNextScriptAction();
      continue;
    }
    if (next == StepKind::MenuChoice) ReportStuckLoop(loopName + ": the next scripted step is a menu choice");
    break;
  }
  LeaveModalLoop();
  return answer;
}

}  // namespace

void ResetSystemColors() {
  Lock lock(UserLock());
  std::copy(std::begin(kStandardColors), std::end(kStandardColors), S().colors);
  S().workAreaSet = false;
}

// Only a new desktop size or depth is a display change; zoom and display-size changes inside the same
// desktop leave the screen as programs see it.
void OnDisplayChanged(int width, int height, int bitsPerPixel) {
  {
    Lock lock(UserLock());
    auto desktop = FindWindowPtr(U().desktop);
    if (!desktop) return;
    RECT screen{0, 0, width, height};
    if (EqualRect(&desktop->rect, &screen) && U().displayBitsPerPixel == bitsPerPixel) return;
    desktop->rect = desktop->client = desktop->normalRect = screen;
    U().displayBitsPerPixel = bitsPerPixel;
    NoteWindowAreasChanged();
    S().workAreaSet = false;
    // A clip rectangle keeps what of it is still on the screen; none left lifts it.
    RECT limits = screen;
    if (U().cursorClipped) {
      RECT kept;
      U().cursorClipped = IntersectRect(&kept, &U().cursorClip, &screen);
      if (U().cursorClipped) limits = U().cursorClip = kept;
    }
    U().cursor.x = std::clamp<LONG>(U().cursor.x, limits.left, limits.right - 1);
    U().cursor.y = std::clamp<LONG>(U().cursor.y, limits.top, limits.bottom - 1);
  }
  Broadcast(WM_DISPLAYCHANGE, bitsPerPixel, MAKELPARAM(width, height), false);
}

void SetWorkArea(const RECT& area) {
  Lock lock(UserLock());
  S().workArea = area;
  S().workAreaSet = true;
}

}  // namespace host::user

using namespace host::user;

extern "C" {

// Modal: the owner is disabled while the box is up, as Windows does.
int WINAPI MessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType) {
  std::string text = lpText ? lpText : "", caption = lpCaption ? lpCaption : "Error";
  auto buttons = ButtonsOf(uType);
  size_t defaultIndex = (uType & MB_DEFMASK) >> 8;
  int fallback = buttons[defaultIndex < buttons.size() ? defaultIndex : 0];
  bool disableOwner = hWnd && IsWindow(hWnd) && IsWindowEnabled(hWnd) && !(uType & (MB_SYSTEMMODAL | MB_TASKMODAL));
  if (disableOwner) EnableWindow(hWnd, FALSE);
  int answer = RunMessageBox("MessageBox \"" + caption + "\"", buttons, fallback);
  if (disableOwner && IsWindow(hWnd)) EnableWindow(hWnd, TRUE);
  RecordMessageBox({hWnd, text, caption, uType, answer});
  return answer;
}

BOOL WINAPI MessageBeep(UINT uType) {
  host::kernel::RecordBeep(uType);
  return TRUE;
}

BOOL WINAPI WinHelpA(HWND hWndMain, LPCSTR lpszHelp, UINT uCommand, ULONG_PTR dwData) {
  RecordHelp({hWndMain, lpszHelp ? lpszHelp : "", uCommand, dwData});
  return TRUE;
}

// Every top-level window is asked (WM_QUERYENDSESSION) unless forced and
// told (WM_ENDSESSION); the request is then recorded and the station goes on
// running: a test reboots it when it wants the restart to happen.
BOOL WINAPI ExitWindowsEx(UINT uFlags, DWORD) {
  std::vector<HWND> tops;
  {
    Lock lock(UserLock());
    tops = FindWindowPtr(U().desktop)->children;
  }
  bool agreed = true;
  if (!(uFlags & EWX_FORCE))
    for (HWND hwnd : tops)
      if (IsWindow(hwnd) && !SendMessageA(hwnd, WM_QUERYENDSESSION, 0, 0)) agreed = false;
  for (HWND hwnd : tops)
    if (IsWindow(hwnd)) SendMessageA(hwnd, WM_ENDSESSION, agreed, 0);
  if (!agreed) return FALSE;
  RecordExit(uFlags);
  return TRUE;
}

BOOL WINAPI SystemParametersInfoA(UINT uiAction, UINT uiParam, PVOID pvParam, UINT fWinIni) {
  switch (uiAction) {
    case SPI_GETWORKAREA: {
      if (!pvParam) break;
      Lock lock(UserLock());
      *static_cast<RECT*>(pvParam) = S().workAreaSet ? S().workArea : FindWindowPtr(U().desktop)->rect;
      return TRUE;
    }
    case SPI_GETSCREENSAVEACTIVE:
      if (!pvParam) break;
      *static_cast<BOOL*>(pvParam) = GetProfileIntA("windows", "ScreenSaveActive", 0) != 0;
      return TRUE;
    case SPI_GETSCREENSAVETIMEOUT:
      if (!pvParam) break;
      *static_cast<int*>(pvParam) = static_cast<int>(GetProfileIntA("windows", "ScreenSaveTimeOut", 900));
      return TRUE;
    case SPI_SETSCREENSAVEACTIVE:
    case SPI_SETSCREENSAVETIMEOUT: {
      // The setting lives in WIN.INI as on Windows 95; without SPIF_UPDATEINIFILE it lasts for the session only
      // here too, since the profile is the only store.
      std::string value = uiAction == SPI_SETSCREENSAVEACTIVE ? (uiParam ? "1" : "0") : std::to_string(uiParam);
      WriteProfileStringA("windows", uiAction == SPI_SETSCREENSAVEACTIVE ? "ScreenSaveActive" : "ScreenSaveTimeOut",
                          value.c_str());
      if (fWinIni & SPIF_SENDWININICHANGE) Broadcast(WM_WININICHANGE, uiAction, 0, false);
      return TRUE;
    }
  }
  SetLastError(ERROR_INVALID_PARAMETER);
  return FALSE;
}

DWORD WINAPI GetSysColor(int nIndex) {
  if (nIndex < 0 || nIndex >= kColorCount) return 0;
  Lock lock(UserLock());
  return S().colors[nIndex];
}

HBRUSH WINAPI GetSysColorBrush(int nIndex) {
  if (nIndex < 0 || nIndex >= kColorCount) return nullptr;
  return SysColorBrush(nIndex);
}

BOOL WINAPI SetSysColors(int cElements, const INT* lpaElements, const COLORREF* lpaRgbValues) {
  if (cElements < 0 || (cElements > 0 && (!lpaElements || !lpaRgbValues))) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  {
    Lock lock(UserLock());
    for (int i = 0; i < cElements; ++i)
      if (lpaElements[i] >= 0 && lpaElements[i] < kColorCount) S().colors[lpaElements[i]] = lpaRgbValues[i] & 0xFFFFFF;
  }
  Broadcast(WM_SYSCOLORCHANGE, 0, 0, false);
  RedrawWindow(nullptr, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
  return TRUE;
}

}  // extern "C"
