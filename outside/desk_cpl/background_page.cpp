// Background: the wallpaper ("(None)" or a bitmap of the Windows folder) and
// how it is laid out; Apply stores both where Windows 95 keeps them.
#include "desk_internal.h"
#include "desk_resource.h"

namespace {

const char kDesktopKey[] = "Control Panel\\Desktop";

void FillWallpaperList(HWND hwndList) {
  char none[32];
  LoadStringA(g_hinstDesk, IDS_NO_WALLPAPER, none, sizeof none);
  SendMessageA(hwndList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(none));
  char pattern[MAX_PATH];
  GetWindowsDirectoryA(pattern, MAX_PATH - 8);
  lstrcatA(pattern, "\\*.bmp");
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(pattern, &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
      SendMessageA(hwndList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(found.cFileName));
  } while (FindNextFileA(search, &found));
  FindClose(search);
}

// The stored wallpaper's entry: its file name without the folder; "(None)" when not listed.
void SelectStoredWallpaper(HWND hwndList) {
  char stored[MAX_PATH];
  ReadRegistryText(HKEY_CURRENT_USER, kDesktopKey, "Wallpaper", stored, sizeof stored);
  LPCSTR name = stored;
  for (LPCSTR p = stored; *p; ++p)
    if (*p == '\\') name = p + 1;
  LRESULT index = name[0] ? SendMessageA(hwndList, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                         reinterpret_cast<LPARAM>(name))
                          : LB_ERR;
  SendMessageA(hwndList, LB_SETCURSEL, index == LB_ERR ? 0 : index, 0);
}

void ShowPreview(HWND hwnd) {
  HWND hwndList = GetDlgItem(hwnd, IDC_WALLPAPER_LIST);
  char name[MAX_PATH] = "";
  LRESULT index = SendMessageA(hwndList, LB_GETCURSEL, 0, 0);
  if (index > 0 && SendMessageA(hwndList, LB_GETTEXTLEN, index, 0) < MAX_PATH)
    SendMessageA(hwndList, LB_GETTEXT, index, reinterpret_cast<LPARAM>(name));
  SetDlgItemTextA(hwnd, IDC_WALLPAPER_PREVIEW, name);
}

void InitBackgroundPage(HWND hwnd) {
  HWND hwndList = GetDlgItem(hwnd, IDC_WALLPAPER_LIST);
  FillWallpaperList(hwndList);
  SelectStoredWallpaper(hwndList);
  char tile[8];
  ReadRegistryText(HKEY_CURRENT_USER, kDesktopKey, "TileWallpaper", tile, sizeof tile);
  CheckRadioButton(hwnd, IDC_WALLPAPER_TILE, IDC_WALLPAPER_CENTRE,
                   tile[0] == '1' ? IDC_WALLPAPER_TILE : IDC_WALLPAPER_CENTRE);
  ShowPreview(hwnd);
}

BOOL ApplyBackground(HWND hwnd) {
  HWND hwndList = GetDlgItem(hwnd, IDC_WALLPAPER_LIST);
  char value[MAX_PATH];
  LRESULT index = SendMessageA(hwndList, LB_GETCURSEL, 0, 0);
  LRESULT length = index > 0 ? SendMessageA(hwndList, LB_GETTEXTLEN, index, 0) : LB_ERR;
  UINT folderLength = GetWindowsDirectoryA(value, MAX_PATH);
  if (index > 0 && length != LB_ERR && folderLength + 1 + length < MAX_PATH) {
    value[folderLength] = '\\';
    SendMessageA(hwndList, LB_GETTEXT, index, reinterpret_cast<LPARAM>(value + folderLength + 1));
  } else {
    LoadStringA(g_hinstDesk, IDS_NO_WALLPAPER, value, sizeof value);
  }
  BOOL tiled = IsDlgButtonChecked(hwnd, IDC_WALLPAPER_TILE) == BST_CHECKED;
  return WriteRegistryText(HKEY_CURRENT_USER, kDesktopKey, "Wallpaper", value) &&
         WriteRegistryText(HKEY_CURRENT_USER, kDesktopKey, "TileWallpaper", tiled ? "1" : "0");
}

}  // namespace

INT_PTR CALLBACK BackgroundPageProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG:
      InitBackgroundPage(hwnd);
      return TRUE;
    case WM_COMMAND:
      if ((LOWORD(wParam) == IDC_WALLPAPER_LIST && HIWORD(wParam) == LBN_SELCHANGE) ||
          ((LOWORD(wParam) == IDC_WALLPAPER_TILE || LOWORD(wParam) == IDC_WALLPAPER_CENTRE) &&
           HIWORD(wParam) == BN_CLICKED)) {
        ShowPreview(hwnd);
        MarkPageChanged(hwnd);
      }
      return TRUE;
    case WM_CTLCOLORSTATIC:
      // The preview shows the desktop's colour.
      if (reinterpret_cast<HWND>(lParam) != GetDlgItem(hwnd, IDC_WALLPAPER_PREVIEW)) return FALSE;
      SetBkColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_BACKGROUND));
      SetTextColor(reinterpret_cast<HDC>(wParam), RGB(255, 255, 255));
      return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BACKGROUND));
    case WM_NOTIFY:
      if (reinterpret_cast<NMHDR*>(lParam)->code != PSN_APPLY) return FALSE;
      SetWindowLongA(hwnd, DWL_MSGRESULT, ApplyBackground(hwnd) ? PSNRET_NOERROR : PSNRET_INVALID_NOCHANGEPAGE);
      return TRUE;
  }
  return FALSE;
}
