#include "dialog_test_support.h"

namespace host::user::testing {
namespace {

void Words(std::vector<WORD>& out, const char* text) {
  for (const char* p = text; *p; ++p) out.push_back(static_cast<BYTE>(*p));
  out.push_back(0);
}

void Dword(std::vector<WORD>& out, DWORD value) {
  out.push_back(LOWORD(value));
  out.push_back(HIWORD(value));
}

}  // namespace

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
