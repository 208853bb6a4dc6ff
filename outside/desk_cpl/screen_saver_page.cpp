// Screen Saver: which saver and after how many idle minutes. Apply goes
// through SystemParametersInfoA, which keeps the setting where Windows does.
#include "desk_internal.h"
#include "desk_resource.h"

namespace {

const char* const kSavers[] = {"(None)", "Blank Screen", "Curves and Colors", "Flying Through Space",
                               "Scrolling Marquee"};
const int kMinWait = 1;
const int kMaxWait = 60;

void InitScreenSaverPage(HWND hwnd) {
  HWND hwndList = GetDlgItem(hwnd, IDC_SAVER_LIST);
  for (const char* saver : kSavers) SendMessageA(hwndList, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(saver));
  BOOL active = FALSE;
  int timeout = 900;
  SystemParametersInfoA(SPI_GETSCREENSAVEACTIVE, 0, &active, 0);
  SystemParametersInfoA(SPI_GETSCREENSAVETIMEOUT, 0, &timeout, 0);
  SendMessageA(hwndList, CB_SETCURSEL, active ? 1 : 0, 0);
  int minutes = timeout / 60;
  if (minutes < kMinWait) minutes = kMinWait;
  if (minutes > kMaxWait) minutes = kMaxWait;
  SendDlgItemMessageA(hwnd, IDC_SAVER_SPIN, UDM_SETRANGE, 0, MAKELONG(kMaxWait, kMinWait));
  SendDlgItemMessageA(hwnd, IDC_SAVER_SPIN, UDM_SETPOS, 0, MAKELONG(minutes, 0));
  SetDlgItemInt(hwnd, IDC_SAVER_WAIT, static_cast<UINT>(minutes), FALSE);
}

BOOL ApplyScreenSaver(HWND hwnd) {
  BOOL active = SendDlgItemMessageA(hwnd, IDC_SAVER_LIST, CB_GETCURSEL, 0, 0) > 0;
  BOOL read = FALSE;
  UINT minutes = GetDlgItemInt(hwnd, IDC_SAVER_WAIT, &read, FALSE);
  if (!read || minutes < static_cast<UINT>(kMinWait) || minutes > static_cast<UINT>(kMaxWait)) return FALSE;
  UINT flags = SPIF_UPDATEINIFILE | SPIF_SENDWININICHANGE;
  return SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, active, NULL, flags) &&
         SystemParametersInfoA(SPI_SETSCREENSAVETIMEOUT, minutes * 60, NULL, flags);
}

}  // namespace

INT_PTR CALLBACK ScreenSaverPageProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG:
      InitScreenSaverPage(hwnd);
      return TRUE;
    case WM_COMMAND:
      if ((LOWORD(wParam) == IDC_SAVER_LIST && HIWORD(wParam) == CBN_SELCHANGE) ||
          (LOWORD(wParam) == IDC_SAVER_WAIT && HIWORD(wParam) == EN_CHANGE && GetFocus() == GetDlgItem(hwnd, IDC_SAVER_WAIT)))
        MarkPageChanged(hwnd);
      return TRUE;
    case WM_VSCROLL:
      if (reinterpret_cast<HWND>(lParam) == GetDlgItem(hwnd, IDC_SAVER_SPIN) && LOWORD(wParam) == SB_THUMBPOSITION)
        MarkPageChanged(hwnd);
      return TRUE;
    case WM_NOTIFY:
      if (reinterpret_cast<NMHDR*>(lParam)->code != PSN_APPLY) return FALSE;
      // A wait outside 1 to 60 minutes keeps the sheet open on this page.
      SetWindowLongA(hwnd, DWL_MSGRESULT, ApplyScreenSaver(hwnd) ? PSNRET_NOERROR : PSNRET_INVALID);
      return TRUE;
  }
  return FALSE;
}
