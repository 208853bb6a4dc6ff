// Keyboard navigation in dialogs: tab and group order (z-order, which the
// dialog manager makes the template's order), IsDialogMessageA's keys and
// mnemonics, and the default push button that follows the focus.
#include <cctype>
#include <string>
#include <vector>

#include "user/dialogs.h"
#include "user/user_internal.h"

namespace host::user {
namespace {

DWORD StyleOf(HWND hwnd) { return static_cast<DWORD>(GetWindowLongA(hwnd, GWL_STYLE)); }

// By the control's own styles: while the dialog is still hidden (WM_INITDIALOG)
// its controls already count as shown.
bool Shown(HWND hwnd) { return (StyleOf(hwnd) & WS_VISIBLE) != 0; }
bool Reachable(HWND hwnd) { return Shown(hwnd) && !(StyleOf(hwnd) & WS_DISABLED); }

// The dialog's controls in z-order; a child with WS_EX_CONTROLPARENT (a
// page inside a sheet) contributes its own controls instead of itself.
void CollectControls(HWND parent, std::vector<HWND>& out) {
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if ((GetWindowLongA(child, GWL_EXSTYLE) & WS_EX_CONTROLPARENT) && Reachable(child))
      CollectControls(child, out);
    else
      out.push_back(child);
  }
}

std::vector<HWND> Controls(HWND hDlg) {
  std::vector<HWND> list;
  CollectControls(hDlg, list);
  return list;
}

// The control's place in the list; a window inside a control (a combo box's
// edit) stands for that control.
int IndexOf(const std::vector<HWND>& list, HWND hwnd) {
  for (HWND at = hwnd; at; at = GetParent(at)) {
    for (size_t i = 0; i < list.size(); ++i)
      if (list[i] == at) return static_cast<int>(i);
    if (!(StyleOf(at) & WS_CHILD)) break;
  }
  return -1;
}

UINT DialogCode(HWND control, const MSG* msg = nullptr) {
  return static_cast<UINT>(SendMessageA(control, WM_GETDLGCODE, msg ? msg->wParam : 0, reinterpret_cast<LPARAM>(msg)));
}

bool IsPushButtonCode(UINT code) { return code & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON); }

void SetButtonStyle(HWND button, DWORD type) {
  DWORD style = StyleOf(button);
  SendMessageA(button, BM_SETSTYLE, (style & ~BS_TYPEMASK) | type, TRUE);
}

// While a push button has the focus it looks like the default; otherwise the dialog's default does.
void UpdateDefaultLook(HWND hDlg, HWND focus) {
  UINT focusCode = focus ? DialogCode(focus) : 0;
  HWND showAsDefault = IsPushButtonCode(focusCode) ? focus : nullptr;
  if (!showAsDefault) {
    WORD id = DefaultButtonId(hDlg);
    showAsDefault = id ? GetDlgItem(hDlg, id) : nullptr;
  }
  for (HWND control : Controls(hDlg)) {
    UINT code = DialogCode(control);
    if ((code & DLGC_DEFPUSHBUTTON) && control != showAsDefault) SetButtonStyle(control, BS_PUSHBUTTON);
    if ((code & DLGC_UNDEFPUSHBUTTON) && control == showAsDefault) SetButtonStyle(control, BS_DEFPUSHBUTTON);
  }
}

char MnemonicOf(const std::string& text) {
  for (size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != '&') continue;
    if (text[i + 1] == '&') {
      ++i;
      continue;
    }
    return static_cast<char>(std::toupper(static_cast<unsigned char>(text[i + 1])));
  }
  return 0;
}

std::string TextOf(HWND hwnd) {
  char text[256];
  GetWindowTextA(hwnd, text, sizeof text);
  return text;
}

// The first control after a label that can take the focus.
HWND ControlAfterLabel(const std::vector<HWND>& list, int label) {
  for (size_t i = label + 1; i < list.size(); ++i) {
    if (!Reachable(list[i])) continue;
    if (!(DialogCode(list[i]) & DLGC_STATIC)) return list[i];
  }
  return nullptr;
}

// A button reached by the keyboard is clicked; an automatic radio button has
// already checked itself (and told its parent) when it took the focus.
void ClickFocusedButton(HWND button) {
  if ((DialogCode(button) & DLGC_RADIOBUTTON) && SendMessageA(button, BM_GETCHECK, 0, 0)) return;
  SendMessageA(button, BM_CLICK, 0, 0);
}

// A mnemonic: a label moves the focus to the control after it, a button is clicked.
bool HandleMnemonic(HWND hDlg, char key) {
  char wanted = static_cast<char>(std::toupper(static_cast<unsigned char>(key)));
  auto list = Controls(hDlg);
  int start = IndexOf(list, GetFocus());
  for (size_t step = 1; step <= list.size(); ++step) {
    int i = static_cast<int>((start + step + list.size()) % list.size());
    HWND control = list[i];
    if (!Shown(control)) continue;
    UINT code = DialogCode(control);
    if ((code & DLGC_STATIC) && (StyleOf(control) & SS_NOPREFIX)) continue;
    if (MnemonicOf(TextOf(control)) != wanted) continue;
    if (code & DLGC_STATIC) {
      HWND target = ControlAfterLabel(list, i);
      if (!target) continue;
      DialogSetFocus(hDlg, target);
      if (DialogCode(target) & DLGC_BUTTON) ClickFocusedButton(target);
      return true;
    }
    if (!IsWindowEnabled(control)) continue;
    if (code & DLGC_BUTTON) {
      if (!IsPushButtonCode(code)) DialogSetFocus(hDlg, control);
      ClickFocusedButton(control);
    } else {
      DialogSetFocus(hDlg, control);
    }
    return true;
  }
  return false;
}

// Enter: the default button's command (IDOK when the dialog has none).
void PressDefault(HWND hDlg) {
  HWND focus = GetFocus();
  if (focus && IsChild(hDlg, focus) && IsPushButtonCode(DialogCode(focus)) && IsWindowEnabled(focus)) {
    SendMessageA(hDlg, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(focus), BN_CLICKED), reinterpret_cast<LPARAM>(focus));
    return;
  }
  LRESULT def = SendMessageA(hDlg, DM_GETDEFID, 0, 0);
  if (HIWORD(def) == DC_HASDEFID) {
    WORD id = LOWORD(def);
    HWND button = GetDlgItem(hDlg, id);
    if (button ? IsWindowEnabled(button) : id == IDOK)
      SendMessageA(hDlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
    else
      MessageBeep(0);
    return;
  }
  SendMessageA(hDlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(hDlg, IDOK)));
}

bool HandleArrow(HWND hDlg, HWND from, bool previous) {
  HWND next = GetNextDlgGroupItem(hDlg, from, previous);
  if (!next || next == from) return true;
  DialogSetFocus(hDlg, next);
  if (DialogCode(next) & DLGC_RADIOBUTTON) ClickFocusedButton(next);
  return true;
}

// A key for the dialog itself; false leaves the message to its window.
bool HandleKey(HWND hDlg, const MSG& msg, UINT code) {
  switch (msg.wParam) {
    case VK_TAB:
      if (code & (DLGC_WANTTAB | DLGC_WANTALLKEYS)) return false;
      SendMessageA(hDlg, WM_NEXTDLGCTL, (GetKeyState(VK_SHIFT) & 0x8000) ? 1 : 0, 0);
      return true;
    case VK_RIGHT:
    case VK_DOWN:
    case VK_LEFT:
    case VK_UP:
      if (code & (DLGC_WANTARROWS | DLGC_WANTALLKEYS)) return false;
      return HandleArrow(hDlg, msg.hwnd, msg.wParam == VK_LEFT || msg.wParam == VK_UP);
    case VK_ESCAPE:
      if (code & DLGC_WANTALLKEYS) return false;
      SendMessageA(hDlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                   reinterpret_cast<LPARAM>(GetDlgItem(hDlg, IDCANCEL)));
      return true;
    case VK_RETURN:
      if (code & DLGC_WANTALLKEYS) return false;
      PressDefault(hDlg);
      return true;
  }
  return false;
}

}  // namespace

// The dialog remembers its default button: the look moves with the focus
// (a focused push button looks like the default), the default does not.
WORD DefaultButtonId(HWND hDlg) {
  if (auto state = FindDialogState(hDlg)) return state->defaultId;
  return FirstDefaultPushButton(hDlg);
}

WORD FirstDefaultPushButton(HWND hDlg) {
  for (HWND control : Controls(hDlg))
    if (DialogCode(control) & DLGC_DEFPUSHBUTTON) return static_cast<WORD>(GetDlgCtrlID(control));
  return 0;
}

void SetDefaultButton(HWND hDlg, WORD id) {
  auto state = DialogStateOf(hDlg);
  if (!state) return;
  state->defaultId = id;
  HWND focus = GetFocus();
  UpdateDefaultLook(hDlg, focus && IsChild(hDlg, focus) ? focus : nullptr);
}

void DialogSetFocus(HWND hDlg, HWND control) {
  if (!control || !IsWindow(control)) return;
  if (DialogCode(control) & DLGC_HASSETSEL) SendMessageA(control, EM_SETSEL, 0, -1);
  SetFocus(control);
  UpdateDefaultLook(hDlg, control);
}

}  // namespace host::user

using namespace host::user;

extern "C" {

HWND WINAPI GetNextDlgTabItem(HWND hDlg, HWND hCtl, BOOL bPrevious) {
  if (!IsWindow(hDlg)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  auto list = Controls(hDlg);
  if (list.empty()) return nullptr;
  int n = static_cast<int>(list.size());
  int from = IndexOf(list, hCtl);
  int step = bPrevious ? -1 : 1;
  int at = from < 0 ? (bPrevious ? n - 1 : 0) : from + step;
  HWND self = from < 0 ? nullptr : list[from];
  for (int tried = 0; tried < n; ++tried, at += step) {
    HWND candidate = list[(at % n + n) % n];
    if (candidate == self) break;
    if ((StyleOf(candidate) & WS_TABSTOP) && Reachable(candidate)) return candidate;
  }
  return hCtl;
}

HWND WINAPI GetNextDlgGroupItem(HWND hDlg, HWND hCtl, BOOL bPrevious) {
  if (!IsWindow(hDlg)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  auto list = Controls(hDlg);
  int from = IndexOf(list, hCtl);
  if (from < 0) from = 0;
  if (list.empty()) return nullptr;
  int first = from;
  while (first > 0 && !(StyleOf(list[first]) & WS_GROUP)) --first;
  int end = from + 1;
  while (end < static_cast<int>(list.size()) && !(StyleOf(list[end]) & WS_GROUP)) ++end;
  int size = end - first, step = bPrevious ? -1 : 1;
  for (int tried = 1; tried < size; ++tried) {
    HWND candidate = list[first + (((from - first) + step * tried) % size + size) % size];
    if (Reachable(candidate)) return candidate;
  }
  return hCtl;
}

// Keys and mnemonics for the dialog; every other message meant for the
// dialog or its controls is translated and dispatched here too.
BOOL WINAPI IsDialogMessageA(HWND hDlg, LPMSG lpMsg) {
  if (!lpMsg || !IsWindow(hDlg)) return FALSE;
  if (lpMsg->hwnd != hDlg && !IsChild(hDlg, lpMsg->hwnd)) return FALSE;
  UINT msg = lpMsg->message;
  if (msg == WM_KEYDOWN || msg == WM_CHAR || msg == WM_SYSCHAR) {
    UINT code = lpMsg->hwnd ? DialogCode(lpMsg->hwnd, lpMsg) : 0;
    if (!(code & DLGC_WANTMESSAGE) || msg == WM_SYSCHAR) {
      if (msg == WM_KEYDOWN && HandleKey(hDlg, *lpMsg, code)) return TRUE;
      if (msg == WM_CHAR && !(code & DLGC_WANTCHARS)) {
        char key = static_cast<char>(lpMsg->wParam);
        if (key == '\t' || key == '\r' || key == 0x1B) return TRUE;  // their keys were handled
        if (HandleMnemonic(hDlg, key)) return TRUE;
      }
      if (msg == WM_SYSCHAR && HandleMnemonic(hDlg, static_cast<char>(lpMsg->wParam))) return TRUE;
    }
  }
  TranslateMessage(lpMsg);
  DispatchMessageA(lpMsg);
  return TRUE;
}

}  // extern "C"
