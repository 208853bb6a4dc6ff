// What the dialog manager's parts share: the state USER keeps for each
// dialog window beside its DWL_* window longs, and moving the focus the way
// the dialog manager does.
#pragma once

#include <windows.h>

#include <memory>

namespace host::user {

struct DialogState {
  HFONT font = nullptr;       // WM_GETFONT's answer
  HFONT ownedFont = nullptr;  // created from the template; deleted with the dialog
  SIZE baseUnits{};           // horizontal and vertical dialog base units
  WORD defaultId = 0;         // DM_SETDEFID, at first the template's BS_DEFPUSHBUTTON; 0: none
  HWND savedFocus = nullptr;  // the control that had the focus when the dialog was deactivated
  DLGPROC proc = nullptr;     // for windows whose class has no DLGWINDOWEXTRA
  bool ended = false;         // EndDialog was called
  INT_PTR result = 0;
};

// The dialog's state; created on first use for a window that uses DefDlgProcA
// without having been made by the dialog manager. Null for a window that is gone.
std::shared_ptr<DialogState> DialogStateOf(HWND hDlg);
// The state of a window that is a dialog, or null: never creates one.
std::shared_ptr<DialogState> FindDialogState(HWND hDlg);
SIZE SystemDialogBaseUnits();

// Focus to a control as Tab, mnemonics and WM_NEXTDLGCTL give it: an edit
// control's text is selected, and the default push button follows the focus.
void DialogSetFocus(HWND hDlg, HWND control);
// The dialog's default push button (DM_GETDEFID's id), or 0.
WORD DefaultButtonId(HWND hDlg);
// The first control that answers DLGC_DEFPUSHBUTTON (a BS_DEFPUSHBUTTON), or 0.
WORD FirstDefaultPushButton(HWND hDlg);
void SetDefaultButton(HWND hDlg, WORD id);

}  // namespace host::user
