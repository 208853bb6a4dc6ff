// The desktop: "Progman" ("Program Manager"), a full-screen window kept at the
// bottom of the z-order, whose child "SHELLDLL_DefView" holds the desktop's
// "SysListView32". Other processes read and set icon positions with the list
// view's messages. On Windows 95 the shell's list view writes the POINT of
// LVM_GETITEMPOSITION through the caller's pointer, which is why callers pass a
// block of shared memory (a view of a file mapping lives in the arena every
// process sees). The station's processes share one address space, so the list
// view copies through the caller's pointer as it is. A display change or a new
// work area moves the icons that no longer fit into the first free grid cells.
#include <commctrl.h>
#include <host/shell.h>
#include <host/station.h>
#include <windows.h>

#include <algorithm>
#include <mutex>

#include "shell/shell_internal.h"

namespace host::shell {
namespace {

constexpr char kDesktopClass[] = "Progman";
constexpr char kDesktopTitle[] = "Program Manager";
constexpr char kViewClass[] = "SHELLDLL_DefView";
constexpr int kIconSize = 32;

struct DesktopState {
  std::mutex lock;
  HWND desktop = nullptr;
  HWND list = nullptr;
};

DesktopState& D() {
  static DesktopState state;
  return state;
}

HWND ListOfView() {
  std::lock_guard lock(D().lock);
  return D().list;
}

// ---- Keeping the icons on the desktop ----

SIZE CellSize(HWND list) {
  DWORD spacing = static_cast<DWORD>(SendMessageA(list, LVM_GETITEMSPACING, FALSE, 0));
  return {std::max<LONG>(LOWORD(spacing), 1), std::max<LONG>(HIWORD(spacing), 1)};
}

RECT CellAt(POINT pos, SIZE cell) { return {pos.x, pos.y, pos.x + cell.cx, pos.y + cell.cy}; }

bool Fits(const RECT& cell, const RECT& client) {
  return cell.left >= client.left && cell.top >= client.top && cell.right <= client.right &&
         cell.bottom <= client.bottom;
}

bool Overlaps(const RECT& cell, const std::vector<RECT>& taken) {
  RECT common;
  return std::any_of(taken.begin(), taken.end(),
                     [&](const RECT& other) { return IntersectRect(&common, &cell, &other); });
}

// The first grid cell, top to bottom then left to right, that no icon covers;
// the last cell when every one is covered (icons then overlap, still visible).
POINT FirstFreeCell(const RECT& client, SIZE cell, const std::vector<RECT>& taken) {
  int columns = std::max<int>(1, client.right / cell.cx), rows = std::max<int>(1, client.bottom / cell.cy);
  for (int column = 0; column < columns; ++column)
    for (int row = 0; row < rows; ++row) {
      POINT pos{column * cell.cx, row * cell.cy};
      if (!Overlaps(CellAt(pos, cell), taken)) return pos;
    }
  return {(columns - 1) * cell.cx, (rows - 1) * cell.cy};
}

void BringIconsInside(HWND list) {
  RECT client;
  GetClientRect(list, &client);
  SIZE cell = CellSize(list);
  int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
  std::vector<POINT> positions(count);
  std::vector<RECT> taken;
  std::vector<int> outside;
  for (int i = 0; i < count; ++i) {
    SendMessageA(list, LVM_GETITEMPOSITION, i, reinterpret_cast<LPARAM>(&positions[i]));
    RECT own = CellAt(positions[i], cell);
    if (Fits(own, client))
      taken.push_back(own);
    else
      outside.push_back(i);
  }
  for (int i : outside) {
    POINT pos = FirstFreeCell(client, cell, taken);
    taken.push_back(CellAt(pos, cell));
    SendMessageA(list, LVM_SETITEMPOSITION32, i, reinterpret_cast<LPARAM>(&pos));
  }
}

// The desktop covers the screen; its view covers the work area (the task bar keeps the rest).
void FitToScreen(HWND desktop) {
  SetWindowPos(desktop, HWND_BOTTOM, 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
               SWP_NOACTIVATE);
  RECT work;
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  HWND view = GetWindow(desktop, GW_CHILD);
  if (!view) return;
  MoveWindow(view, work.left, work.top, work.right - work.left, work.bottom - work.top, TRUE);
  if (HWND list = GetWindow(view, GW_CHILD)) BringIconsInside(list);
  RedrawWindow(desktop, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

// Labels in white on a dark desktop, black on a light one, as the shell picks them.
void TakeDesktopColours(HWND list) {
  COLORREF background = GetSysColor(COLOR_BACKGROUND);
  int brightness = GetRValue(background) * 3 + GetGValue(background) * 6 + GetBValue(background);
  SendMessageA(list, LVM_SETBKCOLOR, 0, background);
  SendMessageA(list, LVM_SETTEXTBKCOLOR, 0, background);
  SendMessageA(list, LVM_SETTEXTCOLOR, 0, brightness < 128 * 10 ? RGB(255, 255, 255) : RGB(0, 0, 0));
}

// ---- Windows ----

LRESULT CALLBACK DesktopProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_WINDOWPOSCHANGING: {
      // Activation brings windows to the top; the desktop stays under everything.
      auto* pos = reinterpret_cast<WINDOWPOS*>(lParam);
      if (!(pos->flags & SWP_NOZORDER)) pos->hwndInsertAfter = HWND_BOTTOM;
      return 0;
    }
    case WM_DISPLAYCHANGE:
      FitToScreen(hwnd);
      return 0;
    case WM_SETTINGCHANGE:
      if (wParam == SPI_SETWORKAREA) FitToScreen(hwnd);
      return 0;
    case WM_SYSCOLORCHANGE:
      if (HWND list = ListOfView()) TakeDesktopColours(list);
      RedrawWindow(hwnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
      return 0;
    case WM_CLOSE:  // the desktop ends with the shell only
      return 0;
  }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

LRESULT CALLBACK ViewProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_SIZE:
      if (HWND list = GetWindow(hwnd, GW_CHILD)) MoveWindow(list, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
      return 0;
    case WM_ERASEBKGND:  // the list view covers it
      return 1;
  }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

bool RegisterDesktopClasses() {
  WNDCLASSA desktop{};
  desktop.lpfnWndProc = DesktopProc;
  desktop.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BACKGROUND + 1);
  desktop.lpszClassName = kDesktopClass;
  WNDCLASSA view{};
  view.lpfnWndProc = ViewProc;
  view.lpszClassName = kViewClass;
  return RegisterClassA(&desktop) && RegisterClassA(&view);
}

struct StandardIcon {
  const char* name;
  LPCSTR icon;
};
// The system's icons stand in for the shell's own pictures.
const StandardIcon kStandardIcons[] = {
    {"My Computer", IDI_WINLOGO},
    {"Network Neighborhood", IDI_APPLICATION},
    {"Recycle Bin", IDI_ASTERISK},
};

void AddStandardIcons(HWND list) {
  HIMAGELIST images = ImageList_Create(kIconSize, kIconSize, ILC_COLOR | ILC_MASK, 4, 4);
  if (!images) return;
  SendMessageA(list, LVM_SETIMAGELIST, LVSIL_NORMAL, reinterpret_cast<LPARAM>(images));
  int index = 0;
  for (const StandardIcon& entry : kStandardIcons) {
    LV_ITEMA item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE;
    item.iItem = index++;
    item.pszText = const_cast<char*>(entry.name);
    item.iImage = ImageList_AddIcon(images, LoadIconA(nullptr, entry.icon));
    SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
  }
}

void Publish(HWND desktop, HWND list) {
  std::lock_guard lock(D().lock);
  D().desktop = desktop;
  D().list = list;
}

void ResetDesktop() { Publish(nullptr, nullptr); }

struct Registration {
  Registration() { RegisterStationHook(41, ResetDesktop, ResetDesktop); }
} registration;

}  // namespace

bool CreateDesktop() {
  InitCommonControls();
  if (!RegisterDesktopClasses()) return false;
  int cx = GetSystemMetrics(SM_CXSCREEN), cy = GetSystemMetrics(SM_CYSCREEN);
  HWND desktop =
      CreateWindowExA(WS_EX_TOOLWINDOW, kDesktopClass, kDesktopTitle, WS_POPUP | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0,
                      0, cx, cy, nullptr, nullptr, nullptr, nullptr);
  if (!desktop) return false;
  HWND view = CreateWindowExA(0, kViewClass, "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, cx, cy, desktop,
                              nullptr, nullptr, nullptr);
  HWND list = view ? CreateWindowExA(0, WC_LISTVIEWA, "FolderView", WS_CHILD | WS_VISIBLE | LVS_ICON | LVS_ALIGNLEFT, 0,
                                     0, cx, cy, view, reinterpret_cast<HMENU>(1), nullptr, nullptr)
                   : nullptr;
  if (!list) {
    DestroyWindow(desktop);
    return false;
  }
  TakeDesktopColours(list);
  AddStandardIcons(list);
  Publish(desktop, list);
  FitToScreen(desktop);
  ShowWindow(desktop, SW_SHOWNA);
  RedrawWindow(desktop, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  return true;
}

HWND DesktopWindow() {
  std::lock_guard lock(D().lock);
  return D().desktop && IsWindow(D().desktop) ? D().desktop : nullptr;
}

HWND DesktopListView() {
  HWND list = ListOfView();
  return list && IsWindow(list) ? list : nullptr;
}

std::vector<DesktopIcon> DesktopIcons() {
  std::vector<DesktopIcon> icons;
  HWND list = DesktopListView();
  if (!list) return icons;
  int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    char text[MAX_PATH] = "";
    LV_ITEMA item{};
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(list, LVM_GETITEMTEXTA, i, reinterpret_cast<LPARAM>(&item));
    POINT pos{};
    SendMessageA(list, LVM_GETITEMPOSITION, i, reinterpret_cast<LPARAM>(&pos));
    icons.push_back({text, pos});
  }
  return icons;
}

}  // namespace host::shell
