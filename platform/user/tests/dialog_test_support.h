// Dialog test support: dialog templates built in memory, and small control
// classes that answer the dialog manager as Windows' controls do (push
// buttons, check boxes, radio buttons, edits and labels), each logging what
// it receives as "<id> MESSAGE".
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "user_test_support.h"

namespace host::user::testing {

inline constexpr const char* kTestButton = "DlgTestButton";  // BS_* styles as a button; BM_* answered
inline constexpr const char* kTestEdit = "DlgTestEdit";      // wants characters and arrows; EM_SETSEL logged
inline constexpr const char* kTestLabel = "DlgTestLabel";    // DLGC_STATIC

// Registers the classes above (once per station).
void RegisterTestControls();
// The log of the test controls and of DialogLogProc, "<name> MESSAGE".
std::vector<std::string>& DialogLog();
// Adds a dialog procedure's message to the log when it is one the tests follow.
void LogDialogMessage(HWND hwnd, UINT msg);

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
