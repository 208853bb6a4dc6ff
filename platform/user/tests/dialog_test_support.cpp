#include "dialog_test_support.h"

#include <cstring>

namespace host::user::testing {
namespace {

std::string NameOf(HWND hwnd) {
  int id = GetDlgCtrlID(hwnd);
  return id ? std::to_string(id) : "dlg";
}

bool Logged(UINT msg) {
  switch (msg) {
    case WM_CREATE:
    case WM_SETFONT:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_COMMAND:
    case BM_SETCHECK:
    case BM_SETSTYLE:
    case BM_CLICK:
    case EM_SETSEL:
    case WM_INITDIALOG: return true;
  }
  return false;
}

std::string DialogMessageName(UINT msg) {
  switch (msg) {
    case WM_SETFONT: return "WM_SETFONT";
    case WM_INITDIALOG: return "WM_INITDIALOG";
    case BM_SETCHECK: return "BM_SETCHECK";
    case BM_SETSTYLE: return "BM_SETSTYLE";
    case BM_CLICK: return "BM_CLICK";
    case EM_SETSEL: return "EM_SETSEL";
  }
  return MessageName(msg);
}

void Log(HWND hwnd, UINT msg) {
  if (Logged(msg)) DialogLog().push_back(NameOf(hwnd) + " " + DialogMessageName(msg));
}

UINT ButtonType(HWND hwnd) { return GetWindowLongA(hwnd, GWL_STYLE) & BS_TYPEMASK; }

LRESULT ButtonCode(HWND hwnd) {
  switch (ButtonType(hwnd)) {
    case BS_PUSHBUTTON: return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
    case BS_DEFPUSHBUTTON: return DLGC_BUTTON | DLGC_DEFPUSHBUTTON;
    case 0x4:  // BS_RADIOBUTTON
    case 0x9:  // BS_AUTORADIOBUTTON
      return DLGC_BUTTON | DLGC_RADIOBUTTON;
  }
  return DLGC_BUTTON;
}

LRESULT CALLBACK ButtonProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  Log(hwnd, msg);
  switch (msg) {
    case WM_GETDLGCODE: return ButtonCode(hwnd);
    case BM_GETCHECK: return GetWindowLongA(hwnd, GWL_USERDATA);
    case BM_SETCHECK: SetWindowLongA(hwnd, GWL_USERDATA, static_cast<LONG>(wParam)); return 0;
    case BM_SETSTYLE: {
      SetWindowLongA(hwnd, GWL_STYLE, (GetWindowLongA(hwnd, GWL_STYLE) & ~0xFFFF) | (wParam & 0xFFFF));
      return 0;
    }
    case BM_CLICK:
      SendMessageA(GetParent(hwnd), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hwnd), BN_CLICKED),
                   reinterpret_cast<LPARAM>(hwnd));
      return 0;
  }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

LRESULT CALLBACK EditProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  Log(hwnd, msg);
  if (msg == WM_GETDLGCODE) return DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

LRESULT CALLBACK LabelProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  Log(hwnd, msg);
  if (msg == WM_GETDLGCODE) return DLGC_STATIC;
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

void Words(std::vector<WORD>& out, const char* text) {
  for (const char* p = text; *p; ++p) out.push_back(static_cast<BYTE>(*p));
  out.push_back(0);
}

void Dword(std::vector<WORD>& out, DWORD value) {
  out.push_back(LOWORD(value));
  out.push_back(HIWORD(value));
}

}  // namespace

void LogDialogMessage(HWND hwnd, UINT msg) { Log(hwnd, msg); }

std::vector<std::string>& DialogLog() {
  static std::vector<std::string> log;
  return log;
}

void RegisterTestControls() {
  struct {
    const char* name;
    WNDPROC proc;
  } classes[] = {{kTestButton, ButtonProc}, {kTestEdit, EditProc}, {kTestLabel, LabelProc}};
  for (auto& c : classes) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = c.proc;
    wc.lpszClassName = c.name;
    RegisterClassA(&wc);
  }
}

std::vector<WORD> BuildTemplate(DWORD style, const char* caption, const std::vector<ItemSpec>& items, bool extended,
                                const char* font, WORD pointSize, short cx, short cy) {
  std::vector<WORD> t;
  if (font) style |= DS_SETFONT;
  if (extended) {
    t = {1, 0xFFFF};
    Dword(t, 0);  // help id
    Dword(t, 0);  // extended style
    Dword(t, style);
  } else {
    Dword(t, style);
    Dword(t, 0);
  }
  t.push_back(static_cast<WORD>(items.size()));
  for (short v : {short(10), short(10), cx, cy}) t.push_back(static_cast<WORD>(v));
  t.push_back(0);  // no menu
  t.push_back(0);  // the dialog class
  Words(t, caption);
  if (font) {
    t.push_back(pointSize);
    if (extended) {
      t.push_back(FW_NORMAL);
      t.push_back(0x0100);  // italic 0, charset 1
    }
    Words(t, font);
  }
  for (const ItemSpec& item : items) {
    if (t.size() % 2) t.push_back(0);  // DWORD alignment
    if (extended) {
      Dword(t, 0);
      Dword(t, 0);
      Dword(t, item.style | WS_CHILD);
    } else {
      Dword(t, item.style | WS_CHILD);
      Dword(t, 0);
    }
    for (short v : {item.x, item.y, item.cx, item.cy}) t.push_back(static_cast<WORD>(v));
    if (extended)
      Dword(t, item.id);
    else
      t.push_back(item.id);
    if (item.cls) {
      Words(t, item.cls);
    } else {
      t.push_back(0xFFFF);
      t.push_back(item.atom);
    }
    Words(t, item.text);
    t.push_back(0);  // no creation data
  }
  return t;
}

HWND MakeDialog(const std::vector<WORD>& dialog, DLGPROC proc, HWND owner, LPARAM param) {
  return CreateDialogIndirectParamA(nullptr, reinterpret_cast<LPCDLGTEMPLATEA>(dialog.data()), owner, proc, param);
}

void PumpDialog(HWND hDlg) {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (!IsDialogMessageA(hDlg, &msg)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }
}

}  // namespace host::user::testing
