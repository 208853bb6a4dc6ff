// "Select Device": manufacturers and their monitor models from a built-in
// table; OK records the chosen model as the monitor type.
#include "desk_internal.h"
#include "desk_resource.h"

namespace {

const MONITOR_MODEL kMonitors[] = {
    {"(Standard monitor types)", "Standard VGA 640x480", 640, 480, FALSE},
    {"(Standard monitor types)", "Super VGA 800x600", 800, 600, FALSE},
    {"(Standard monitor types)", "Super VGA 1024x768", 1024, 768, FALSE},
    {"(Standard monitor types)", "Super VGA 1280x1024", 1280, 1024, FALSE},
    {"(Standard monitor types)", "Super VGA 1600x1200", 1600, 1200, FALSE},
    {"Calvera Displays", "Calvera 15S", 1024, 768, TRUE},
    {"Calvera Displays", "Calvera 17P", 1280, 1024, TRUE},
    {"Nordlicht", "Nordlicht NL-1400", 1280, 1024, TRUE},
    {"Nordlicht", "Nordlicht NL-2100", 1600, 1200, TRUE},
    {"Tessaro", "Tessaro T-14", 800, 600, FALSE},
};
const int kMonitorCount = sizeof kMonitors / sizeof kMonitors[0];

// Each listed model carries its table index as item data.
void FillModels(HWND hwnd) {
  HWND hwndMakers = GetDlgItem(hwnd, IDC_MANUFACTURERS);
  HWND hwndModels = GetDlgItem(hwnd, IDC_MODELS);
  SendMessageA(hwndModels, LB_RESETCONTENT, 0, 0);
  LRESULT maker = SendMessageA(hwndMakers, LB_GETCURSEL, 0, 0);
  if (maker == LB_ERR) return;
  int first = static_cast<int>(SendMessageA(hwndMakers, LB_GETITEMDATA, maker, 0));
  for (int i = 0; i < kMonitorCount; ++i) {
    if (lstrcmpA(kMonitors[i].manufacturer, kMonitors[first].manufacturer) != 0) continue;
    LRESULT item = SendMessageA(hwndModels, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(kMonitors[i].model));
    SendMessageA(hwndModels, LB_SETITEMDATA, item, i);
  }
  SendMessageA(hwndModels, LB_SETCURSEL, 0, 0);
}

void FillManufacturers(HWND hwnd) {
  HWND hwndMakers = GetDlgItem(hwnd, IDC_MANUFACTURERS);
  for (int i = 0; i < kMonitorCount; ++i) {
    if (i > 0 && lstrcmpA(kMonitors[i].manufacturer, kMonitors[i - 1].manufacturer) == 0) continue;
    LRESULT item = SendMessageA(hwndMakers, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(kMonitors[i].manufacturer));
    SendMessageA(hwndMakers, LB_SETITEMDATA, item, i);
  }
  SendMessageA(hwndMakers, LB_SETCURSEL, 0, 0);
  FillModels(hwnd);
}

const MONITOR_MODEL* ChosenModel(HWND hwnd) {
  HWND hwndModels = GetDlgItem(hwnd, IDC_MODELS);
  LRESULT item = SendMessageA(hwndModels, LB_GETCURSEL, 0, 0);
  if (item == LB_ERR) return NULL;
  LRESULT index = SendMessageA(hwndModels, LB_GETITEMDATA, item, 0);
  return index >= 0 && index < kMonitorCount ? &kMonitors[index] : NULL;
}

INT_PTR CALLBACK SelectDeviceDialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM) {
  switch (msg) {
    case WM_INITDIALOG:
      FillManufacturers(hwnd);
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDC_MANUFACTURERS:
          if (HIWORD(wParam) == LBN_SELCHANGE) FillModels(hwnd);
          return TRUE;
        case IDOK: {
          const MONITOR_MODEL* model = ChosenModel(hwnd);
          // Nothing chosen, or the registry refused: the dialog stays for another choice or Cancel.
          if (!model || !WriteMonitorType(model)) {
            MessageBeep(MB_ICONEXCLAMATION);
            return TRUE;
          }
          EndDialog(hwnd, IDOK);
          return TRUE;
        }
        case IDCANCEL:
          EndDialog(hwnd, IDCANCEL);
          return TRUE;
      }
      return FALSE;
  }
  return FALSE;
}

}  // namespace

INT_PTR RunSelectDeviceDialog(HWND hwndOwner) {
  return DialogBoxParamA(g_hinstDesk, MAKEINTRESOURCEA(IDD_SELECT_DEVICE), hwndOwner, SelectDeviceDialogProc, 0);
}
