// Settings: colour depth, desktop area and font size, the display type, and
// the button to the display type dialog. Apply changes the mode only when the
// depth or the area changed, as Windows 95 does.
#include "desk_internal.h"
#include "desk_resource.h"

namespace {

#define MAX_AREAS 8
#define MAX_DEPTHS 5

typedef struct tagDESKTOP_AREA {
  int width;
  int height;
} DESKTOP_AREA;

const DESKTOP_AREA kCandidateAreas[MAX_AREAS - 1] = {{640, 480},   {800, 600},   {1024, 768}, {1152, 864},
                                                     {1280, 1024}, {1600, 1200}, {2048, 1536}};
const int kCandidateDepths[MAX_DEPTHS] = {4, 8, 16, 24, 32};

// The page's state (DWLP_USER): what the display offers and the mode in use.
typedef struct tagSETTINGS_STATE {
  DESKTOP_AREA areas[MAX_AREAS];
  int areaCount;
  int depths[MAX_DEPTHS];
  int depthCount;
  DESKTOP_AREA currentArea;
  int currentDepth;
} SETTINGS_STATE;

SETTINGS_STATE* StateOf(HWND hwnd) { return reinterpret_cast<SETTINGS_STATE*>(GetWindowLongA(hwnd, DWL_USER)); }

BOOL DisplayOffers(int width, int height, int depth) {
  DEVMODEA mode;
  ZeroMemory(&mode, sizeof mode);
  mode.dmSize = sizeof mode;
  mode.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
  mode.dmBitsPerPel = static_cast<DWORD>(depth);
  mode.dmPelsWidth = static_cast<DWORD>(width);
  mode.dmPelsHeight = static_cast<DWORD>(height);
  return ChangeDisplaySettingsA(&mode, CDS_TEST) == DISP_CHANGE_SUCCESSFUL;
}

void ReadCurrentMode(SETTINGS_STATE* state) {
  state->currentArea.width = GetSystemMetrics(SM_CXSCREEN);
  state->currentArea.height = GetSystemMetrics(SM_CYSCREEN);
  HDC screen = GetDC(NULL);
  state->currentDepth = GetDeviceCaps(screen, BITSPIXEL) * GetDeviceCaps(screen, PLANES);
  ReleaseDC(NULL, screen);
}

BOOL SameArea(const DESKTOP_AREA& a, const DESKTOP_AREA& b) { return a.width == b.width && a.height == b.height; }

int FindArea(const SETTINGS_STATE* state, const DESKTOP_AREA& area) {
  for (int i = 0; i < state->areaCount; ++i)
    if (SameArea(state->areas[i], area)) return i;
  return -1;
}

// Keeps the list ordered by width, then height.
void InsertArea(SETTINGS_STATE* state, const DESKTOP_AREA& area) {
  int at = state->areaCount;
  while (at > 0 && (state->areas[at - 1].width > area.width ||
                    (state->areas[at - 1].width == area.width && state->areas[at - 1].height > area.height))) {
    state->areas[at] = state->areas[at - 1];
    --at;
  }
  state->areas[at] = area;
  ++state->areaCount;
}

// The depths offered at the current area and the areas offered at the current depth; the mode in use is
// always among them.
void ListOfferedModes(SETTINGS_STATE* state) {
  state->depthCount = 0;
  for (int depth : kCandidateDepths)
    if (depth == state->currentDepth || DisplayOffers(state->currentArea.width, state->currentArea.height, depth))
      state->depths[state->depthCount++] = depth;
  state->areaCount = 0;
  for (const DESKTOP_AREA& area : kCandidateAreas)
    if (SameArea(area, state->currentArea) || DisplayOffers(area.width, area.height, state->currentDepth))
      state->areas[state->areaCount++] = area;
  if (FindArea(state, state->currentArea) < 0) InsertArea(state, state->currentArea);
}

LPCSTR DepthName(int depth) {
  switch (depth) {
    case 4:
      return "16 Color";
    case 8:
      return "256 Color";
    case 16:
      return "High Color (16 bit)";
    case 24:
      return "True Color (24 bit)";
    case 32:
      return "True Color (32 bit)";
  }
  return "Other";
}

void ShowAreaText(HWND hwnd, const SETTINGS_STATE* state) {
  LRESULT index = SendDlgItemMessageA(hwnd, IDC_DESKTOP_AREA, TBM_GETPOS, 0, 0);
  if (index < 0 || index >= state->areaCount) return;
  char format[32];
  char text[48];
  LoadStringA(g_hinstDesk, IDS_AREA_FORMAT, format, sizeof format);
  wsprintfA(text, format, state->areas[index].width, state->areas[index].height);
  SetDlgItemTextA(hwnd, IDC_AREA_TEXT, text);
}

void FillControls(HWND hwnd, const SETTINGS_STATE* state) {
  HWND hwndPalette = GetDlgItem(hwnd, IDC_COLOR_PALETTE);
  for (int i = 0; i < state->depthCount; ++i) {
    SendMessageA(hwndPalette, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(DepthName(state->depths[i])));
    if (state->depths[i] == state->currentDepth) SendMessageA(hwndPalette, CB_SETCURSEL, i, 0);
  }
  HWND hwndArea = GetDlgItem(hwnd, IDC_DESKTOP_AREA);
  SendMessageA(hwndArea, TBM_SETRANGE, FALSE, MAKELONG(0, state->areaCount - 1));
  SendMessageA(hwndArea, TBM_SETPOS, TRUE, FindArea(state, state->currentArea));
  ShowAreaText(hwnd, state);

  HWND hwndFonts = GetDlgItem(hwnd, IDC_FONT_SIZE);
  SendMessageA(hwndFonts, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("Small Fonts"));
  SendMessageA(hwndFonts, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("Large Fonts"));
  HDC screen = GetDC(NULL);
  SendMessageA(hwndFonts, CB_SETCURSEL, GetDeviceCaps(screen, LOGPIXELSY) > 96 ? 1 : 0, 0);
  ReleaseDC(NULL, screen);

  char adapter[128];
  GetAdapterDescription(adapter, sizeof adapter);
  SetDlgItemTextA(hwnd, IDC_DISPLAY_TYPE_NAME, adapter);
}

void InitSettingsPage(HWND hwnd) {
  SETTINGS_STATE* state = static_cast<SETTINGS_STATE*>(LocalAlloc(LPTR, sizeof(SETTINGS_STATE)));
  SetWindowLongA(hwnd, DWL_USER, reinterpret_cast<LONG>(state));
  if (!state) return;
  ReadCurrentMode(state);
  ListOfferedModes(state);
  FillControls(hwnd, state);
}

void ChosenMode(HWND hwnd, const SETTINGS_STATE* state, DESKTOP_AREA* area, int* depth) {
  LRESULT areaIndex = SendDlgItemMessageA(hwnd, IDC_DESKTOP_AREA, TBM_GETPOS, 0, 0);
  LRESULT depthIndex = SendDlgItemMessageA(hwnd, IDC_COLOR_PALETTE, CB_GETCURSEL, 0, 0);
  *area = areaIndex >= 0 && areaIndex < state->areaCount ? state->areas[areaIndex] : state->currentArea;
  *depth = depthIndex >= 0 && depthIndex < state->depthCount ? state->depths[depthIndex] : state->currentDepth;
}

LONG ApplySettings(HWND hwnd, SETTINGS_STATE* state) {
  DESKTOP_AREA area;
  int depth;
  ChosenMode(hwnd, state, &area, &depth);
  if (SameArea(area, state->currentArea) && depth == state->currentDepth) return PSNRET_NOERROR;
  DEVMODEA mode;
  ZeroMemory(&mode, sizeof mode);
  mode.dmSize = sizeof mode;
  mode.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
  mode.dmBitsPerPel = static_cast<DWORD>(depth);
  mode.dmPelsWidth = static_cast<DWORD>(area.width);
  mode.dmPelsHeight = static_cast<DWORD>(area.height);
  LONG result = ChangeDisplaySettingsA(&mode, CDS_UPDATEREGISTRY);
  if (result != DISP_CHANGE_SUCCESSFUL && result != DISP_CHANGE_RESTART) {
    char text[128];
    LoadStringA(g_hinstDesk, IDS_MODE_FAILED, text, sizeof text);
    MessageBoxA(hwnd, text, DESK_TITLE_SETTINGS, MB_OK | MB_ICONEXCLAMATION);
    return PSNRET_INVALID_NOCHANGEPAGE;
  }
  // A new depth is stored for the next start: the mode in use stays what it was until then.
  if (result == DISP_CHANGE_RESTART) {
    PropSheet_RestartWindows(GetParent(hwnd));
  } else {
    state->currentArea = area;
    state->currentDepth = depth;
  }
  return PSNRET_NOERROR;
}

}  // namespace

INT_PTR CALLBACK SettingsPageProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_INITDIALOG) {
    InitSettingsPage(hwnd);
    return TRUE;
  }
  SETTINGS_STATE* state = StateOf(hwnd);
  if (!state) return FALSE;
  switch (msg) {
    case WM_COMMAND:
      if (LOWORD(wParam) == IDC_CHANGE_DISPLAY_TYPE && HIWORD(wParam) == BN_CLICKED)
        RunDisplayTypeDialog(GetParent(hwnd));
      else if (LOWORD(wParam) == IDC_COLOR_PALETTE && HIWORD(wParam) == CBN_SELCHANGE)
        MarkPageChanged(hwnd);
      return TRUE;
    case WM_HSCROLL:
      if (reinterpret_cast<HWND>(lParam) == GetDlgItem(hwnd, IDC_DESKTOP_AREA)) {
        ShowAreaText(hwnd, state);
        MarkPageChanged(hwnd);
      }
      return TRUE;
    case WM_NOTIFY:
      if (reinterpret_cast<NMHDR*>(lParam)->code != PSN_APPLY) return FALSE;
      SetWindowLongA(hwnd, DWL_MSGRESULT, ApplySettings(hwnd, state));
      return TRUE;
    case WM_DESTROY:
      LocalFree(state);
      SetWindowLongA(hwnd, DWL_USER, 0);
      return FALSE;
  }
  return FALSE;
}
