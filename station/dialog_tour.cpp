// The tour's look at the dialog manager and the standard controls: a
// dialog made from TOURDLG.DLL's template, filled in by its procedure,
// painted on the station's screen and saved as a PNG file.
#include "dialog_tour.h"

#include <host/gdi.h>
#include <host/user.h>
#include <windows.h>

#include "tour_dialog_ids.h"

namespace ovx {
namespace {

INT_PTR CALLBACK TourDialogProc(HWND hDlg, UINT msg, WPARAM, LPARAM) {
  if (msg != WM_INITDIALOG) return FALSE;
  SetDlgItemTextA(hDlg, IDC_TOUR_NAME, "Orvane OVX");
  SetDlgItemInt(hDlg, IDC_TOUR_REFRESH, 75, FALSE);
  CheckDlgButton(hDlg, IDC_TOUR_PAN, BST_CHECKED);
  CheckRadioButton(hDlg, IDC_TOUR_SMALL, IDC_TOUR_LARGE, IDC_TOUR_SMALL);
  for (const char* mode : {"640 x 480", "800 x 600", "1024 x 768"})
    SendDlgItemMessageA(hDlg, IDC_TOUR_MODE, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(mode));
  SendDlgItemMessageA(hDlg, IDC_TOUR_MODE, CB_SETCURSEL, 2, 0);
  return TRUE;
}

int SaveDialog(HWND dlg, const std::string& path, FILE* out) {
  ShowWindow(dlg, SW_SHOW);
  UpdateWindow(dlg);
  host::user::PumpMessages();
  RECT rect;
  GetWindowRect(dlg, &rect);
  char caption[64] = {};
  GetWindowTextA(dlg, caption, sizeof caption);
  std::fprintf(out, "dialog \"%s\" from TOURDLG.DLL: %ld x %ld pixels at (%ld, %ld)\n", caption, rect.right - rect.left,
               rect.bottom - rect.top, rect.left, rect.top);
  if (!host::gdi::SaveScreenshot(path, rect)) {
    std::fprintf(out, "could not write %s\n", path.c_str());
    return 1;
  }
  std::fprintf(out, "screenshot: %s\n", path.c_str());
  return 0;
}

}  // namespace

int DialogTour(const std::string& stationRoot, FILE* out) {
  HMODULE module = LoadLibraryA("TOURDLG.DLL");
  if (!module) {
    std::fprintf(out, "(TOURDLG.DLL did not load: error %lu)\n", GetLastError());
    return 1;
  }
  HWND dlg = CreateDialogParamA(module, MAKEINTRESOURCEA(IDD_TOUR), nullptr, TourDialogProc, 0);
  int result = 1;
  if (dlg) {
    result = SaveDialog(dlg, stationRoot + "/tour-dialog.png", out);
    DestroyWindow(dlg);
  } else {
    std::fprintf(out, "(the dialog was not made: error %lu)\n", GetLastError());
  }
  FreeLibrary(module);
  return result;
}

}  // namespace ovx
