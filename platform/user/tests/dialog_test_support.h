// Dialog test support: dialog templates built in memory, made into modeless
// dialogs, and a message pump that goes through IsDialogMessageA.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "user_test_support.h"

namespace host::user::testing {

struct ItemSpec {
  const char* cls;  // a class name, or nullptr with atom set
  WORD atom;
  const char* text;
  WORD id;
  DWORD style;
  short x, y, cx, cy;
};

// A DLGTEMPLATE (or DLGTEMPLATEEX) with the given items, DWORD-aligned.
std::vector<WORD> BuildTemplate(DWORD style, const char* caption, const std::vector<ItemSpec>& items,
                                bool extended = false, const char* font = "MS Sans Serif", WORD pointSize = 8,
                                short cx = 160, short cy = 100);

// Makes a modeless dialog from a built template.
HWND MakeDialog(const std::vector<WORD>& dialog, DLGPROC proc, HWND owner = nullptr, LPARAM param = 0);

// Dispatches the thread's messages through IsDialogMessageA.
void PumpDialog(HWND hDlg);

}  // namespace host::user::testing
