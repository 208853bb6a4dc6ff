// "Change Display Type": the adapter and the monitor in use; "Change..."
// opens the device list, after which the monitor's new description shows.
#include "desk_internal.h"
#include "desk_resource.h"

namespace {

void ShowDisplayTypes(HWND hwnd) {
  char text[256];
  GetAdapterDescription(text, sizeof text);
  SetDlgItemTextA(hwnd, IDC_ADAPTER_TYPE, text);
  GetMonitorDescription(text, sizeof text);
  SetDlgItemTextA(hwnd, IDC_MONITOR_TYPE, text);
}

INT_PTR CALLBACK DisplayTypeDialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM) {
  switch (msg) {
    case WM_INITDIALOG:
      ShowDisplayTypes(hwnd);
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDC_CHANGE_MONITOR:
          if (RunSelectDeviceDialog(hwnd) == IDOK) ShowDisplayTypes(hwnd);
          return TRUE;
        case IDOK:
        case IDCANCEL:
          EndDialog(hwnd, LOWORD(wParam));
          return TRUE;
      }
      return FALSE;
  }
  return FALSE;
}

}  // namespace

INT_PTR RunDisplayTypeDialog(HWND hwndOwner) {
  return DialogBoxParamA(g_hinstDesk, MAKEINTRESOURCEA(IDD_DISPLAY_TYPE), hwndOwner, DisplayTypeDialogProc, 0);
}
