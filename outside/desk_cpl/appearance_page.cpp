// Appearance: the Windows 95 colour schemes. Apply sets the system colours
// (every window gets WM_SYSCOLORCHANGE and re-tints) and remembers the scheme.
#include "desk_internal.h"
#include "desk_resource.h"

namespace {

#define SCHEME_COLORS 25  // COLOR_SCROLLBAR to COLOR_INFOBK

typedef struct tagCOLOR_SCHEME {
  LPCSTR name;
  COLORREF colors[SCHEME_COLORS];
} COLOR_SCHEME;

// In COLOR_* order: scroll bar, desktop, active and inactive caption, menu, window, frame, menu text, window
// text, caption text, active and inactive border, workspace, highlight and its text, button face, shadow,
// grey text, button text, inactive caption text, button highlight, dark shadow, 3-D light, tip text and back.
const COLOR_SCHEME kSchemes[] = {
    {"Windows Standard",
     {RGB(192, 192, 192), RGB(0, 128, 128), RGB(0, 0, 128), RGB(128, 128, 128), RGB(192, 192, 192),
      RGB(255, 255, 255), RGB(0, 0, 0), RGB(0, 0, 0), RGB(0, 0, 0), RGB(255, 255, 255), RGB(192, 192, 192),
      RGB(192, 192, 192), RGB(128, 128, 128), RGB(0, 0, 128), RGB(255, 255, 255), RGB(192, 192, 192),
      RGB(128, 128, 128), RGB(128, 128, 128), RGB(0, 0, 0), RGB(192, 192, 192), RGB(255, 255, 255), RGB(0, 0, 0),
      RGB(192, 192, 192), RGB(0, 0, 0), RGB(255, 255, 225)}},
    {"Brick",
     {RGB(225, 224, 210), RGB(128, 0, 0), RGB(128, 0, 0), RGB(162, 141, 104), RGB(194, 191, 165),
      RGB(255, 255, 255), RGB(0, 0, 0), RGB(0, 0, 0), RGB(0, 0, 0), RGB(255, 255, 255), RGB(194, 191, 165),
      RGB(194, 191, 165), RGB(128, 128, 128), RGB(128, 0, 0), RGB(255, 255, 255), RGB(194, 191, 165),
      RGB(141, 137, 97), RGB(141, 137, 97), RGB(0, 0, 0), RGB(0, 0, 0), RGB(225, 224, 210), RGB(0, 0, 0),
      RGB(194, 191, 165), RGB(0, 0, 0), RGB(255, 255, 225)}},
    {"Desert",
     {RGB(234, 230, 221), RGB(162, 141, 104), RGB(0, 128, 128), RGB(213, 204, 187), RGB(213, 204, 187),
      RGB(255, 251, 240), RGB(0, 0, 0), RGB(0, 0, 0), RGB(0, 0, 0), RGB(255, 255, 255), RGB(213, 204, 187),
      RGB(213, 204, 187), RGB(162, 141, 104), RGB(0, 128, 128), RGB(255, 255, 255), RGB(213, 204, 187),
      RGB(162, 141, 104), RGB(162, 141, 104), RGB(0, 0, 0), RGB(0, 0, 0), RGB(234, 230, 221), RGB(0, 0, 0),
      RGB(213, 204, 187), RGB(0, 0, 0), RGB(255, 255, 225)}},
    {"High Contrast Black",
     {RGB(0, 0, 0), RGB(0, 0, 0), RGB(128, 0, 128), RGB(0, 128, 0), RGB(0, 0, 0), RGB(0, 0, 0),
      RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 0),
      RGB(0, 128, 0), RGB(0, 0, 0), RGB(128, 0, 128), RGB(255, 255, 255), RGB(0, 0, 0), RGB(128, 128, 128),
      RGB(0, 255, 0), RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255), RGB(0, 0, 0),
      RGB(192, 192, 192), RGB(255, 255, 255), RGB(0, 0, 0)}},
    {"Rainy Day",
     {RGB(185, 196, 215), RGB(0, 0, 0), RGB(79, 101, 125), RGB(128, 128, 128), RGB(128, 152, 176),
      RGB(255, 255, 255), RGB(0, 0, 0), RGB(0, 0, 0), RGB(0, 0, 0), RGB(255, 255, 255), RGB(128, 152, 176),
      RGB(128, 152, 176), RGB(128, 128, 128), RGB(79, 101, 125), RGB(255, 255, 255), RGB(128, 152, 176),
      RGB(79, 101, 125), RGB(79, 101, 125), RGB(0, 0, 0), RGB(185, 196, 215), RGB(185, 196, 215), RGB(0, 0, 0),
      RGB(128, 152, 176), RGB(0, 0, 0), RGB(255, 255, 225)}},
};
const int kSchemeCount = sizeof kSchemes / sizeof kSchemes[0];

const char kAppearanceKey[] = "Control Panel\\Appearance";

// The page's state (DWLP_USER): the scheme shown and the brushes of its preview.
typedef struct tagAPPEARANCE_STATE {
  int scheme;
  HBRUSH desktop;
  HBRUSH caption;
  HBRUSH window;
} APPEARANCE_STATE;

APPEARANCE_STATE* StateOf(HWND hwnd) { return reinterpret_cast<APPEARANCE_STATE*>(GetWindowLongA(hwnd, DWL_USER)); }

void FreePreviewBrushes(APPEARANCE_STATE* state) {
  if (state->desktop) DeleteObject(state->desktop);
  if (state->caption) DeleteObject(state->caption);
  if (state->window) DeleteObject(state->window);
  state->desktop = state->caption = state->window = NULL;
}

void ShowScheme(HWND hwnd, APPEARANCE_STATE* state, int scheme) {
  FreePreviewBrushes(state);
  state->scheme = scheme;
  const COLORREF* colors = kSchemes[scheme].colors;
  state->desktop = CreateSolidBrush(colors[COLOR_BACKGROUND]);
  state->caption = CreateSolidBrush(colors[COLOR_ACTIVECAPTION]);
  state->window = CreateSolidBrush(colors[COLOR_WINDOW]);
  InvalidateRect(GetDlgItem(hwnd, IDC_SCHEME_PREVIEW), NULL, TRUE);
  InvalidateRect(GetDlgItem(hwnd, IDC_SCHEME_CAPTION), NULL, TRUE);
  InvalidateRect(GetDlgItem(hwnd, IDC_SCHEME_WINDOW), NULL, TRUE);
}

int StoredScheme() {
  char current[64];
  if (ReadRegistryText(HKEY_CURRENT_USER, kAppearanceKey, "Current", current, sizeof current))
    for (int i = 0; i < kSchemeCount; ++i)
      if (lstrcmpiA(current, kSchemes[i].name) == 0) return i;
  return 0;
}

void InitAppearancePage(HWND hwnd) {
  APPEARANCE_STATE* state = static_cast<APPEARANCE_STATE*>(LocalAlloc(LPTR, sizeof(APPEARANCE_STATE)));
  SetWindowLongA(hwnd, DWL_USER, reinterpret_cast<LONG>(state));
  if (!state) return;
  HWND hwndList = GetDlgItem(hwnd, IDC_SCHEME_LIST);
  for (int i = 0; i < kSchemeCount; ++i)
    SendMessageA(hwndList, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(kSchemes[i].name));
  int scheme = StoredScheme();
  SendMessageA(hwndList, CB_SETCURSEL, scheme, 0);
  ShowScheme(hwnd, state, scheme);
}

BOOL ApplyScheme(const APPEARANCE_STATE* state) {
  INT elements[SCHEME_COLORS];
  for (int i = 0; i < SCHEME_COLORS; ++i) elements[i] = i;
  const COLOR_SCHEME& scheme = kSchemes[state->scheme];
  return SetSysColors(SCHEME_COLORS, elements, scheme.colors) &&
         WriteRegistryText(HKEY_CURRENT_USER, kAppearanceKey, "Current", scheme.name);
}

INT_PTR PreviewColour(HDC dc, HWND control, const APPEARANCE_STATE* state) {
  const COLORREF* colors = kSchemes[state->scheme].colors;
  switch (GetDlgCtrlID(control)) {
    case IDC_SCHEME_PREVIEW:
      SetBkColor(dc, colors[COLOR_BACKGROUND]);
      return reinterpret_cast<INT_PTR>(state->desktop);
    case IDC_SCHEME_CAPTION:
      SetBkColor(dc, colors[COLOR_ACTIVECAPTION]);
      SetTextColor(dc, colors[COLOR_CAPTIONTEXT]);
      return reinterpret_cast<INT_PTR>(state->caption);
    case IDC_SCHEME_WINDOW:
      SetBkColor(dc, colors[COLOR_WINDOW]);
      SetTextColor(dc, colors[COLOR_WINDOWTEXT]);
      return reinterpret_cast<INT_PTR>(state->window);
  }
  return FALSE;
}

}  // namespace

INT_PTR CALLBACK AppearancePageProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_INITDIALOG) {
    InitAppearancePage(hwnd);
    return TRUE;
  }
  APPEARANCE_STATE* state = StateOf(hwnd);
  if (!state) return FALSE;
  switch (msg) {
    case WM_COMMAND:
      if (LOWORD(wParam) == IDC_SCHEME_LIST && HIWORD(wParam) == CBN_SELCHANGE) {
        LRESULT chosen = SendDlgItemMessageA(hwnd, IDC_SCHEME_LIST, CB_GETCURSEL, 0, 0);
        if (chosen >= 0 && chosen < kSchemeCount) ShowScheme(hwnd, state, static_cast<int>(chosen));
        MarkPageChanged(hwnd);
      }
      return TRUE;
    case WM_CTLCOLORSTATIC:
      return PreviewColour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam), state);
    case WM_NOTIFY:
      if (reinterpret_cast<NMHDR*>(lParam)->code != PSN_APPLY) return FALSE;
      SetWindowLongA(hwnd, DWL_MSGRESULT, ApplyScheme(state) ? PSNRET_NOERROR : PSNRET_INVALID_NOCHANGEPAGE);
      return TRUE;
    case WM_DESTROY:
      FreePreviewBrushes(state);
      LocalFree(state);
      SetWindowLongA(hwnd, DWL_USER, 0);
      return FALSE;
  }
  return FALSE;
}
