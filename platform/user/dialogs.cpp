// The dialog manager: dialogs made from DLGTEMPLATE/DLGTEMPLATEEX (modeless
// and modal), DefDlgProcA's rules, dialog units, and the Get/Set helpers
// programs use on dialog items. Controls are reached only through messages,
// so any class that answers them as a Windows control does works here.
#include "user/dialogs.h"

#include <host/station.h>

#include <cctype>
#include <climits>
#include <cstdio>
#include <map>
#include <optional>

#include "kernel/resources.h"
#include "user/dialog_template.h"
#include "user/user_internal.h"

namespace host::user {
namespace {

constexpr ATOM kDialogAtom = 32770;

std::map<HWND, std::shared_ptr<DialogState>>& States() {
  static std::map<HWND, std::shared_ptr<DialogState>> states;
  return states;
}

void RegisterDialogClass() {
  Lock lock(UserLock());
  auto cls = std::make_shared<WindowClass>();
  cls->atom = kDialogAtom;
  cls->name = "#32770";
  cls->style = CS_DBLCLKS | CS_SAVEBITS;
  cls->proc = DefDlgProcA;
  cls->wndExtra = DLGWINDOWEXTRA;
  cls->system = true;
  U().classes.push_back(cls);
}

struct Registration {
  Registration() {
    // After USER's own boot (30), which starts with an empty class list.
    RegisterStationHook(
        31,
        [] {
          RegisterDialogClass();
          Lock lock(UserLock());
          States().clear();
        },
        [] {
          Lock lock(UserLock());
          States().clear();
        });
  }
} registration;

// The dialog base units of a font: the average width of the letters and the font's height.
SIZE BaseUnitsOf(HFONT font) {
  SIZE units{};
  HDC dc = GetDC(nullptr);
  if (!dc) return units;
  HGDIOBJ old = SelectObject(dc, font);
  TEXTMETRICA tm{};
  SIZE extent{};
  static const char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  if (GetTextMetricsA(dc, &tm) && GetTextExtentPoint32A(dc, kLetters, 52, &extent))
    units = {(extent.cx / 26 + 1) / 2, tm.tmHeight};
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return units;
}

HFONT CreateTemplateFont(const DialogTemplate& t) {
  HDC dc = GetDC(nullptr);
  int dpi = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
  if (dc) ReleaseDC(nullptr, dc);
  int height = -MulDiv(t.pointSize, dpi ? dpi : 96, 72);
  int weight = t.weight ? t.weight : FW_NORMAL;
  return CreateFontA(height, 0, 0, 0, weight, t.italic, FALSE, FALSE, t.charset, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, t.typeface.c_str());
}

bool HasDialogExtra(HWND hwnd) { return GetClassLongA(hwnd, GCL_CBWNDEXTRA) >= DLGWINDOWEXTRA; }

DLGPROC ProcOf(HWND hwnd, const DialogState& state) {
  if (HasDialogExtra(hwnd)) return reinterpret_cast<DLGPROC>(GetWindowLongA(hwnd, DWL_DLGPROC));
  return state.proc;
}

LONG MessageResult(HWND hwnd) { return HasDialogExtra(hwnd) ? GetWindowLongA(hwnd, DWL_MSGRESULT) : 0; }

void ResetMessageResult(HWND hwnd) {
  if (HasDialogExtra(hwnd)) SetWindowLongA(hwnd, DWL_MSGRESULT, 0);
}

// The messages whose answer is the dialog procedure's own return value, not DWL_MSGRESULT.
bool ReturnsProcedureValue(UINT msg) {
  switch (msg) {
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
    case WM_INITDIALOG:
      return true;
  }
  return false;
}

void SaveFocus(HWND hDlg, DialogState& state) {
  HWND focus = GetFocus();
  if (focus && IsChild(hDlg, focus)) state.savedFocus = focus;
}

// A control that already has the focus (WM_INITDIALOG put it there) keeps it.
void RestoreFocus(HWND hDlg, DialogState& state) {
  HWND focus = GetFocus();
  if (focus && IsChild(hDlg, focus)) return;
  HWND target = state.savedFocus;
  if (!target || !IsWindow(target) || !IsChild(hDlg, target) || !IsWindowEnabled(target) ||
      !(GetWindowLongA(target, GWL_STYLE) & WS_VISIBLE))
    target = GetNextDlgTabItem(hDlg, nullptr, FALSE);
  if (target) DialogSetFocus(hDlg, target);
}

LRESULT EraseDialog(HWND hDlg, HDC dc) {
  auto brush = reinterpret_cast<HBRUSH>(
      SendMessageA(hDlg, WM_CTLCOLORDLG, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(hDlg)));
  if (!brush) brush = GetSysColorBrush(COLOR_BTNFACE);
  RECT client;
  GetClientRect(hDlg, &client);
  FillRect(dc, &client, brush);
  return TRUE;
}

// WM_CLOSE is Cancel: a disabled Cancel button refuses it.
void CloseAsCancel(HWND hDlg) {
  HWND cancel = GetDlgItem(hDlg, IDCANCEL);
  if (cancel && !IsWindowEnabled(cancel)) {
    MessageBeep(0);
    return;
  }
  PostMessageA(hDlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(cancel));
}

LRESULT DefaultDialogMessage(HWND hDlg, UINT msg, WPARAM wParam, LPARAM lParam, DialogState& state) {
  switch (msg) {
    case WM_ERASEBKGND:
      return EraseDialog(hDlg, reinterpret_cast<HDC>(wParam));
    case WM_SHOWWINDOW:
      if (!wParam) SaveFocus(hDlg, state);
      return DefWindowProcA(hDlg, msg, wParam, lParam);
    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_INACTIVE)
        SaveFocus(hDlg, state);
      else if (!IsIconic(hDlg))
        RestoreFocus(hDlg, state);
      return 0;
    case WM_SETFOCUS:
      RestoreFocus(hDlg, state);
      return 0;
    case DM_GETDEFID: {
      WORD id = DefaultButtonId(hDlg);
      return id ? MAKELONG(id, DC_HASDEFID) : 0;
    }
    case DM_SETDEFID:
      SetDefaultButton(hDlg, static_cast<WORD>(wParam));
      return TRUE;
    case WM_NEXTDLGCTL: {
      HWND target;
      if (LOWORD(lParam))
        target = reinterpret_cast<HWND>(wParam);
      else
        target = GetNextDlgTabItem(hDlg, GetFocus(), wParam != 0);
      if (target && IsChild(hDlg, target)) DialogSetFocus(hDlg, target);
      return 0;
    }
    case WM_CLOSE:
      CloseAsCancel(hDlg);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(state.font);
    case WM_SETFONT:
      state.font = reinterpret_cast<HFONT>(wParam);
      return 0;
  }
  return DefWindowProcA(hDlg, msg, wParam, lParam);
}

// The dialog's state and template font go with its window, whatever its procedure answered.
void ForgetDialog(HWND hDlg, const DialogState& state) {
  HFONT owned = state.ownedFont;
  {
    Lock lock(UserLock());
    States().erase(hDlg);
  }
  if (owned) DeleteObject(owned);
}

std::shared_ptr<DialogState> NewState(HWND hwnd) {
  auto state = std::make_shared<DialogState>();
  state->baseUnits = SystemDialogBaseUnits();
  state->defaultId = FirstDefaultPushButton(hwnd);
  Lock lock(UserLock());
  States()[hwnd] = state;
  return state;
}

// Template position and size in dialog units to the window's rectangle in pixels.
RECT DialogWindowRect(const DialogTemplate& t, SIZE units, DWORD style, DWORD exStyle, bool menu, HWND parent) {
  RECT rect{0, 0, MulDiv(t.cx, units.cx, 4), MulDiv(t.cy, units.cy, 8)};
  AdjustWindowRectEx(&rect, style, menu, exStyle);
  int width = rect.right - rect.left, height = rect.bottom - rect.top;
  POINT at{MulDiv(t.x, units.cx, 4) + rect.left, MulDiv(t.y, units.cy, 8) + rect.top};
  if (!(style & WS_CHILD)) {
    RECT desk;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &desk, 0);
    if (style & DS_CENTER) {
      at = {desk.left + (desk.right - desk.left - width) / 2, desk.top + (desk.bottom - desk.top - height) / 2};
    } else if (parent && !(style & DS_ABSALIGN)) {
      POINT origin{0, 0};
      ClientToScreen(parent, &origin);
      at.x += origin.x;
      at.y += origin.y;
    }
    // A top-level dialog is kept on the screen.
    if (at.x + width > desk.right) at.x = desk.right - width;
    if (at.y + height > desk.bottom) at.y = desk.bottom - height;
    if (at.x < desk.left) at.x = desk.left;
    if (at.y < desk.top) at.y = desk.top;
  }
  return {at.x, at.y, at.x + width, at.y + height};
}

LPCSTR ClassArgument(const TemplateName& name) {
  if (name.empty()) return WC_DIALOG;
  if (name.isOrdinal) return MAKEINTRESOURCEA(name.ordinal);
  return name.text.c_str();
}

HMENU TemplateMenu(HINSTANCE instance, const TemplateName& menu) {
  if (menu.empty()) return nullptr;
  return LoadMenuA(instance, menu.isOrdinal ? MAKEINTRESOURCEA(menu.ordinal) : menu.text.c_str());
}

bool CreateControls(HWND hDlg, HINSTANCE instance, const DialogTemplate& t, const DialogState& state) {
  for (const auto& item : t.items) {
    std::string cls = ControlClassName(item.cls);
    // An ordinal title names a resource (an SS_ICON static's icon): "#id", as LoadIconA takes it.
    std::string title = item.title.isOrdinal ? "#" + std::to_string(item.title.ordinal) : item.title.text;
    SIZE u = state.baseUnits;
    // Dialogs have the 3-D look: a control's plain border becomes a sunken edge.
    DWORD style = item.style | WS_CHILD, exStyle = item.exStyle | WS_EX_NOPARENTNOTIFY;
    if (style & WS_BORDER) {
      style &= ~WS_BORDER;
      exStyle |= WS_EX_CLIENTEDGE;
    }
    HWND control = CreateWindowExA(exStyle, cls.c_str(), title.c_str(), style, MulDiv(item.x, u.cx, 4),
                                   MulDiv(item.y, u.cy, 8), MulDiv(item.cx, u.cx, 4), MulDiv(item.cy, u.cy, 8), hDlg,
                                   reinterpret_cast<HMENU>(static_cast<UINT_PTR>(item.id)), instance,
                                   item.creationData.empty() ? nullptr : const_cast<BYTE*>(item.creationData.data()));
    if (!IsWindow(hDlg)) return false;
    if (!control) {
      if (t.style & DS_NOFAILCREATE) continue;
      return false;
    }
    {
      // Template order is tab order: each control goes below the ones before it.
      Lock lock(UserLock());
      if (auto parent = FindWindowPtr(hDlg)) InsertInZOrder(*parent, control, HWND_BOTTOM);
    }
    if (state.font) SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(state.font), FALSE);
  }
  return true;
}

}  // namespace

SIZE SystemDialogBaseUnits() {
  SIZE units = BaseUnitsOf(static_cast<HFONT>(GetStockObject(SYSTEM_FONT)));
  if (units.cx <= 0 || units.cy <= 0) units = {8, 16};
  return units;
}

std::shared_ptr<DialogState> FindDialogState(HWND hDlg) {
  Lock lock(UserLock());
  auto found = States().find(hDlg);
  return found == States().end() ? nullptr : found->second;
}

std::shared_ptr<DialogState> DialogStateOf(HWND hDlg) {
  if (auto state = FindDialogState(hDlg)) return state;
  if (!IsWindow(hDlg)) return nullptr;
  return NewState(hDlg);
}

// Creation in Windows' order: the dialog window (its procedure does not see
// WM_CREATE), WM_SETFONT, the controls each followed by its WM_SETFONT, then
// WM_INITDIALOG, whose TRUE puts the focus on the first tab stop.
HWND CreateDialogFromTemplate(HINSTANCE instance, const DialogTemplate& t, HWND parent, DLGPROC proc, LPARAM param) {
  HFONT font = (t.style & DS_SETFONT) ? CreateTemplateFont(t) : nullptr;
  SIZE units = font ? BaseUnitsOf(font) : SystemDialogBaseUnits();
  if (units.cx <= 0 || units.cy <= 0) units = SystemDialogBaseUnits();
  DWORD style = t.style, exStyle = t.exStyle;
  if (style & DS_MODALFRAME) exStyle |= WS_EX_DLGMODALFRAME;
  if (style & DS_CONTROL) {
    style = (style & ~(WS_CAPTION | WS_SYSMENU)) | WS_CHILD;
    exStyle |= WS_EX_CONTROLPARENT;
  }
  HMENU menu = (style & WS_CHILD) ? nullptr : TemplateMenu(instance, t.menu);
  RECT rect = DialogWindowRect(t, units, style, exStyle, menu != nullptr, parent);
  HWND hwnd =
      CreateWindowExA(exStyle, ClassArgument(t.cls), t.caption.c_str(), style & ~WS_VISIBLE, rect.left, rect.top,
                      rect.right - rect.left, rect.bottom - rect.top, parent, menu, instance, nullptr);
  if (!hwnd) {
    if (menu) DestroyMenu(menu);
    if (font) DeleteObject(font);
    return nullptr;
  }
  auto state = DialogStateOf(hwnd);
  if (!state) return nullptr;
  state->baseUnits = units;
  state->font = state->ownedFont = font;
  state->proc = proc;
  if (HasDialogExtra(hwnd)) SetWindowLongA(hwnd, DWL_DLGPROC, reinterpret_cast<LONG>(proc));
  if (font) SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), 0);
  if (!IsWindow(hwnd) || !CreateControls(hwnd, instance, t, *state)) {
    if (IsWindow(hwnd)) DestroyWindow(hwnd);
    return nullptr;
  }
  state->defaultId = FirstDefaultPushButton(hwnd);
  HWND first = GetNextDlgTabItem(hwnd, nullptr, FALSE);
  if (SendMessageA(hwnd, WM_INITDIALOG, reinterpret_cast<WPARAM>(first), param) && IsWindow(hwnd)) {
    first = GetNextDlgTabItem(hwnd, nullptr, FALSE);
    if (first) DialogSetFocus(hwnd, first);
  }
  if (!IsWindow(hwnd)) return nullptr;
  if (style & WS_VISIBLE) {
    ShowWindow(hwnd, SW_SHOWNORMAL);
    UpdateWindow(hwnd);
  }
  return hwnd;
}

namespace {

std::optional<DialogTemplate> TemplateResource(HINSTANCE instance, LPCSTR name) {
  kernel::ResourceBytes bytes = kernel::FindResourceBytes(instance, name, RT_DIALOG);
  if (!bytes) return std::nullopt;
  auto parsed = ParseDialogTemplate(bytes.data, bytes.size);
  if (!parsed) SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
  return parsed;
}

// The top-level window of `parent`: a child of the desktop is one itself, so the desktop is never disabled.
HWND RootOwner(HWND hwnd) {
  if (!hwnd || !IsWindow(hwnd) || hwnd == GetDesktopWindow()) return nullptr;
  while ((GetWindowLongA(hwnd, GWL_STYLE) & WS_CHILD) && GetParent(hwnd) != GetDesktopWindow()) hwnd = GetParent(hwnd);
  return hwnd;
}

bool Ended(const DialogState& state) {
  Lock lock(UserLock());
  return state.ended;
}

// The modal loop: the owner is disabled while the dialog runs; a scripted
// test that leaves the loop with nothing to do (stuck) ends it as Cancel.
INT_PTR RunModal(HINSTANCE instance, const DialogTemplate& t, HWND parent, DLGPROC proc, LPARAM param) {
  HWND owner = RootOwner(parent);
  HWND hwnd = CreateDialogFromTemplate(instance, t, owner, proc, param);
  if (!hwnd) return -1;
  auto state = DialogStateOf(hwnd);
  bool disabledOwner = owner && IsWindowEnabled(owner);
  if (disabledOwner) EnableWindow(owner, FALSE);
  if (!Ended(*state) && IsWindow(hwnd) && !IsWindowVisible(hwnd)) {
    ShowWindow(hwnd, SW_SHOWNORMAL);
    UpdateWindow(hwnd);
  }
  std::string loopName = "DialogBox \"" + t.caption + "\"";
  EnterModalLoop(loopName);
  while (!Ended(*state) && IsWindow(hwnd)) {
    MSG msg;
    if (!ModalGetMessage(&msg, loopName.c_str())) {
      Lock lock(UserLock());
      if (!state->ended) {
        state->ended = true;
        state->result = IDCANCEL;
      }
      break;
    }
    if (!IsDialogMessageA(hwnd, &msg)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }
  LeaveModalLoop();
  if (disabledOwner && IsWindow(owner)) EnableWindow(owner, TRUE);
  INT_PTR result;
  {
    Lock lock(UserLock());
    result = state->ended ? state->result : 0;
  }
  if (IsWindow(hwnd)) DestroyWindow(hwnd);
  return result;
}

// Text to a number as GetDlgItemInt reads it: blanks, a sign (signed only),
// digits, blanks; anything else, or a value out of range, does not translate.
bool ParseDialogInt(const std::string& text, bool isSigned, UINT* value) {
  size_t at = 0;
  while (at < text.size() && text[at] == ' ') ++at;
  bool negative = false;
  if (isSigned && at < text.size() && text[at] == '-') {
    negative = true;
    ++at;
  }
  size_t digits = at;
  unsigned long long number = 0;
  while (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at]))) {
    number = number * 10 + (text[at] - '0');
    if (number > 0xFFFFFFFFull) return false;
    ++at;
  }
  if (at == digits) return false;
  while (at < text.size() && text[at] == ' ') ++at;
  if (at != text.size()) return false;
  if (isSigned) {
    if (negative ? number > 0x80000000ull : number > static_cast<unsigned long long>(INT_MAX)) return false;
    *value = static_cast<UINT>(negative ? -static_cast<long long>(number) : static_cast<long long>(number));
  } else {
    *value = static_cast<UINT>(number);
  }
  return true;
}

}  // namespace

}  // namespace host::user

using namespace host::user;

extern "C" {

HWND WINAPI CreateDialogIndirectParamA(HINSTANCE hInstance, LPCDLGTEMPLATEA lpTemplate, HWND hWndParent,
                                       DLGPROC lpDialogFunc, LPARAM dwInitParam) {
  auto parsed = ParseDialogTemplate(reinterpret_cast<const BYTE*>(lpTemplate), 0);
  if (!parsed) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return CreateDialogFromTemplate(hInstance, *parsed, hWndParent, lpDialogFunc, dwInitParam);
}

HWND WINAPI CreateDialogParamA(HINSTANCE hInstance, LPCSTR lpTemplateName, HWND hWndParent, DLGPROC lpDialogFunc,
                               LPARAM dwInitParam) {
  auto parsed = TemplateResource(hInstance, lpTemplateName);
  if (!parsed) return nullptr;
  return CreateDialogFromTemplate(hInstance, *parsed, hWndParent, lpDialogFunc, dwInitParam);
}

INT_PTR WINAPI DialogBoxIndirectParamA(HINSTANCE hInstance, LPCDLGTEMPLATEA hDialogTemplate, HWND hWndParent,
                                       DLGPROC lpDialogFunc, LPARAM dwInitParam) {
  auto parsed = ParseDialogTemplate(reinterpret_cast<const BYTE*>(hDialogTemplate), 0);
  if (!parsed) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return -1;
  }
  return RunModal(hInstance, *parsed, hWndParent, lpDialogFunc, dwInitParam);
}

INT_PTR WINAPI DialogBoxParamA(HINSTANCE hInstance, LPCSTR lpTemplateName, HWND hWndParent, DLGPROC lpDialogFunc,
                               LPARAM dwInitParam) {
  auto parsed = TemplateResource(hInstance, lpTemplateName);
  if (!parsed) return -1;
  return RunModal(hInstance, *parsed, hWndParent, lpDialogFunc, dwInitParam);
}

// Only marks the dialog: its modal loop ends once the current message is
// handled. The posted WM_NULL wakes a loop that is waiting.
BOOL WINAPI EndDialog(HWND hDlg, INT_PTR nResult) {
  if (!IsWindow(hDlg)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  auto state = DialogStateOf(hDlg);
  {
    Lock lock(UserLock());
    state->ended = true;
    state->result = nResult;
  }
  PostMessageA(hDlg, WM_NULL, 0, 0);
  return TRUE;
}

// DWL_MSGRESULT is reset before the dialog procedure runs, so an answer set
// for one message never leaks into the next.
LRESULT WINAPI DefDlgProcA(HWND hDlg, UINT Msg, WPARAM wParam, LPARAM lParam) {
  auto state = DialogStateOf(hDlg);
  if (!state) return 0;
  ResetMessageResult(hDlg);
  DLGPROC proc = ProcOf(hDlg, *state);
  INT_PTR handled = proc ? proc(hDlg, Msg, wParam, lParam) : FALSE;
  if (Msg == WM_NCDESTROY) {
    ForgetDialog(hDlg, *state);
    return DefWindowProcA(hDlg, Msg, wParam, lParam);
  }
  if (!handled) {
    if (!IsWindow(hDlg)) return 0;
    return DefaultDialogMessage(hDlg, Msg, wParam, lParam, *state);
  }
  if (ReturnsProcedureValue(Msg)) return handled;
  return IsWindow(hDlg) ? MessageResult(hDlg) : 0;
}

BOOL WINAPI MapDialogRect(HWND hDlg, LPRECT lpRect) {
  if (!lpRect) return FALSE;
  if (!IsWindow(hDlg)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  auto state = FindDialogState(hDlg);
  SIZE u = state ? state->baseUnits : SystemDialogBaseUnits();
  lpRect->left = MulDiv(lpRect->left, u.cx, 4);
  lpRect->right = MulDiv(lpRect->right, u.cx, 4);
  lpRect->top = MulDiv(lpRect->top, u.cy, 8);
  lpRect->bottom = MulDiv(lpRect->bottom, u.cy, 8);
  return TRUE;
}

LONG WINAPI GetDialogBaseUnits(void) {
  SIZE units = SystemDialogBaseUnits();
  return MAKELONG(units.cx, units.cy);
}

BOOL WINAPI SetDlgItemTextA(HWND hDlg, int nIDDlgItem, LPCSTR lpString) {
  HWND control = GetDlgItem(hDlg, nIDDlgItem);
  return control ? SetWindowTextA(control, lpString) : FALSE;
}

UINT WINAPI GetDlgItemTextA(HWND hDlg, int nIDDlgItem, LPSTR lpString, int cchMax) {
  if (lpString && cchMax > 0) lpString[0] = '\0';
  HWND control = GetDlgItem(hDlg, nIDDlgItem);
  if (!control) return 0;
  return static_cast<UINT>(GetWindowTextA(control, lpString, cchMax));
}

BOOL WINAPI SetDlgItemInt(HWND hDlg, int nIDDlgItem, UINT uValue, BOOL bSigned) {
  char text[16];
  if (bSigned)
    std::snprintf(text, sizeof text, "%d", static_cast<int>(uValue));
  else
    std::snprintf(text, sizeof text, "%u", uValue);
  return SetDlgItemTextA(hDlg, nIDDlgItem, text);
}

UINT WINAPI GetDlgItemInt(HWND hDlg, int nIDDlgItem, BOOL* lpTranslated, BOOL bSigned) {
  if (lpTranslated) *lpTranslated = FALSE;
  HWND control = GetDlgItem(hDlg, nIDDlgItem);
  if (!control) return 0;
  int length = GetWindowTextLengthA(control);
  std::string text(static_cast<size_t>(length > 0 ? length : 0) + 1, '\0');
  int got = GetWindowTextA(control, text.data(), static_cast<int>(text.size()));
  text.resize(got > 0 ? static_cast<size_t>(got) : 0);
  UINT value = 0;
  if (!ParseDialogInt(text, bSigned != FALSE, &value)) return 0;
  if (lpTranslated) *lpTranslated = TRUE;
  return value;
}

LRESULT WINAPI SendDlgItemMessageA(HWND hDlg, int nIDDlgItem, UINT Msg, WPARAM wParam, LPARAM lParam) {
  HWND control = GetDlgItem(hDlg, nIDDlgItem);
  return control ? SendMessageA(control, Msg, wParam, lParam) : 0;
}

// Through BM_SETCHECK only: the button changes state without a BN_CLICKED.
BOOL WINAPI CheckDlgButton(HWND hDlg, int nIDButton, UINT uCheck) {
  HWND control = GetDlgItem(hDlg, nIDButton);
  if (!control) return FALSE;
  SendMessageA(control, BM_SETCHECK, uCheck, 0);
  return TRUE;
}

UINT WINAPI IsDlgButtonChecked(HWND hDlg, int nIDButton) {
  return static_cast<UINT>(SendDlgItemMessageA(hDlg, nIDButton, BM_GETCHECK, 0, 0));
}

BOOL WINAPI CheckRadioButton(HWND hDlg, int nIDFirstButton, int nIDLastButton, int nIDCheckButton) {
  if (!IsWindow(hDlg)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  std::vector<HWND> children;
  for (HWND child = GetWindow(hDlg, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) children.push_back(child);
  for (HWND child : children) {
    int id = GetDlgCtrlID(child);
    if (id < nIDFirstButton || id > nIDLastButton || !IsWindow(child)) continue;
    SendMessageA(child, BM_SETCHECK, id == nIDCheckButton ? BST_CHECKED : BST_UNCHECKED, 0);
  }
  return TRUE;
}

}  // extern "C"
