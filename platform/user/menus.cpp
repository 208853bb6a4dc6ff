// Menus: menu bars and popups with their items and states, the system menu,
// and TrackPopupMenu, whose choice comes from the script (or none).
#include "user/user_internal.h"

#include <algorithm>

namespace host::user {
namespace {

constexpr UINT kStateBits = MF_GRAYED | MF_DISABLED | MF_CHECKED | MF_HILITE | MF_DEFAULT;
constexpr UINT kTypeBits = MF_POPUP | MF_SEPARATOR | MF_BITMAP | MF_OWNERDRAW | MF_MENUBREAK | MF_MENUBARBREAK |
                           MF_RIGHTJUSTIFY;
constexpr UINT kNotFound = 0xFFFFFFFF;

struct MenuItem {
  UINT flags = 0;
  UINT_PTR id = 0;
  std::string text;
  HMENU popup = nullptr;
};

struct Menu {
  HMENU handle = nullptr;
  bool popup = false;
  std::vector<MenuItem> items;
};

struct MenuTable {
  std::map<HMENU, std::shared_ptr<Menu>> menus;
  DWORD next = 0x30010;
};

MenuTable& M() {
  static MenuTable table;
  return table;
}

std::shared_ptr<Menu> FindMenu(HMENU handle) {
  auto found = M().menus.find(handle);
  return found == M().menus.end() ? nullptr : found->second;
}

std::shared_ptr<Menu> CheckMenu(HMENU handle) {
  auto menu = FindMenu(handle);
  if (!menu) SetLastError(ERROR_INVALID_MENU_HANDLE);
  return menu;
}

HMENU NewMenu(bool popup) {
  Lock lock(UserLock());
  auto menu = std::make_shared<Menu>();
  menu->handle = reinterpret_cast<HMENU>(static_cast<ULONG_PTR>(M().next));
  M().next += 0x10;
  menu->popup = popup;
  M().menus[menu->handle] = menu;
  return menu->handle;
}

// The item by position, or by command anywhere in the menu's tree.
bool Locate(HMENU handle, UINT position, UINT flags, std::shared_ptr<Menu>* owner, size_t* index) {
  auto menu = FindMenu(handle);
  if (!menu) return false;
  if (flags & MF_BYPOSITION) {
    if (position >= menu->items.size()) return false;
    *owner = menu;
    *index = position;
    return true;
  }
  for (size_t i = 0; i < menu->items.size(); ++i) {
    auto& item = menu->items[i];
    if (!(item.flags & MF_POPUP) && item.id == position) {
      *owner = menu;
      *index = i;
      return true;
    }
    if ((item.flags & MF_POPUP) && Locate(item.popup, position, flags, owner, index)) return true;
  }
  // A popup item is found by its menu handle too.
  for (size_t i = 0; i < menu->items.size(); ++i)
    if ((menu->items[i].flags & MF_POPUP) && reinterpret_cast<UINT_PTR>(menu->items[i].popup) == position) {
      *owner = menu;
      *index = i;
      return true;
    }
  return false;
}

MenuItem MakeItem(UINT flags, UINT_PTR id, LPCSTR text) {
  MenuItem item;
  item.flags = flags & (kStateBits | kTypeBits);
  if (flags & MF_POPUP) {
    item.popup = reinterpret_cast<HMENU>(id);
    if (auto sub = FindMenu(item.popup)) sub->popup = true;
  } else {
    item.id = id & 0xFFFF;  // command ids are 16-bit, as in WM_COMMAND
  }
  if (!(flags & (MF_SEPARATOR | MF_BITMAP | MF_OWNERDRAW)) && text) item.text = text;
  return item;
}

void DestroyTreeOf(HMENU handle) {
  auto menu = FindMenu(handle);
  if (!menu) return;
  M().menus.erase(handle);
  for (auto& item : menu->items)
    if (item.flags & MF_POPUP) DestroyTreeOf(item.popup);
}

std::vector<MenuItemRecord> Snapshot(HMENU handle) {
  std::vector<MenuItemRecord> records;
  auto menu = FindMenu(handle);
  if (!menu) return records;
  for (auto& item : menu->items) {
    MenuItemRecord record{(item.flags & MF_POPUP) ? kNotFound : static_cast<UINT>(item.id), item.text,
                          item.flags & (kStateBits | MF_SEPARATOR | MF_POPUP), {}};
    if (item.flags & MF_POPUP) record.items = Snapshot(item.popup);
    records.push_back(record);
  }
  return records;
}

bool Choosable(HMENU menu, UINT id) {
  std::shared_ptr<Menu> owner;
  size_t index;
  if (!id || !Locate(menu, id, MF_BYCOMMAND, &owner, &index)) return false;
  UINT flags = owner->items[index].flags;
  return !(flags & (MF_GRAYED | MF_DISABLED | MF_SEPARATOR | MF_POPUP));
}

// The modal part of tracking: scripted actions run until a choice (or none).
UINT ChooseFromScript(HMENU menu, const std::string& loopName) {
  EnterModalLoop(loopName);
  UINT chosen = 0;
  for (;;) {
    PumpMessages();
    StepKind next = NextStepKind();
    if (next == StepKind::Action) {
      RunNextScriptAction();
      continue;
    }
    int value;
    if (next == StepKind::MenuChoice && TakeScriptedValue(StepKind::MenuChoice, &value)) {
      UINT id = static_cast<UINT>(value);
      if (id && !Choosable(menu, id))
        ReportStuckLoop(loopName + ": item " + std::to_string(id) + " cannot be chosen");
      else
        chosen = id;
    } else if (next == StepKind::Answer) {
      ReportStuckLoop(loopName + ": the next scripted step answers a message box");
    }
    break;
  }
  LeaveModalLoop();
  return chosen;
}

UINT Track(HMENU handle, UINT flags, int x, int y, HWND hwnd, bool system) {
  bool notify = !(flags & TPM_NONOTIFY);
  SendMessageA(hwnd, WM_ENTERMENULOOP, TRUE, 0);
  if (notify) SendMessageA(hwnd, WM_INITMENU, reinterpret_cast<WPARAM>(handle), 0);
  if (notify) SendMessageA(hwnd, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(handle), MAKELPARAM(0, system));
  std::vector<MenuItemRecord> items;
  {
    Lock lock(UserLock());
    items = Snapshot(handle);
  }
  UINT chosen = ChooseFromScript(handle, system ? "system menu" : "TrackPopupMenu");
  if (IsWindow(hwnd)) SendMessageA(hwnd, WM_EXITMENULOOP, TRUE, 0);
  RecordTrackedMenu({hwnd, x, y, flags, items, chosen});
  return chosen;
}

}  // namespace

void DestroyWindowMenus(Window& window) {
  if (!(window.style & WS_CHILD) && window.id) DestroyTreeOf(reinterpret_cast<HMENU>(window.id));
  if (window.systemMenu) DestroyTreeOf(window.systemMenu);
  window.systemMenu = nullptr;
}

void ClearMenus() {
  Lock lock(UserLock());
  M() = MenuTable{};
}

std::vector<MenuItemRecord> MenuItems(HMENU menu) {
  Lock lock(UserLock());
  return Snapshot(menu);
}

// The system menu by the mouse: its choice is posted as WM_SYSCOMMAND with the id as it is.
void TrackSystemMenu(HWND hwnd, POINT at) {
  HMENU menu = GetSystemMenu(hwnd, FALSE);
  if (!menu) return;
  UINT chosen = Track(menu, TPM_RETURNCMD, at.x, at.y, hwnd, true);
  if (chosen) PostMessageA(hwnd, WM_SYSCOMMAND, chosen, MAKELPARAM(at.x, at.y));
}

}  // namespace host::user

using namespace host::user;

extern "C" {

HMENU WINAPI CreateMenu(void) { return NewMenu(false); }
HMENU WINAPI CreatePopupMenu(void) { return NewMenu(true); }

BOOL WINAPI DestroyMenu(HMENU hMenu) {
  Lock lock(UserLock());
  if (!CheckMenu(hMenu)) return FALSE;
  DestroyTreeOf(hMenu);
  return TRUE;
}

BOOL WINAPI IsMenu(HMENU hMenu) {
  Lock lock(UserLock());
  return FindMenu(hMenu) != nullptr;
}

BOOL WINAPI AppendMenuA(HMENU hMenu, UINT uFlags, UINT_PTR uIDNewItem, LPCSTR lpNewItem) {
  Lock lock(UserLock());
  auto menu = CheckMenu(hMenu);
  if (!menu || ((uFlags & MF_POPUP) && !FindMenu(reinterpret_cast<HMENU>(uIDNewItem)))) return FALSE;
  menu->items.push_back(MakeItem(uFlags, uIDNewItem, lpNewItem));
  return TRUE;
}

BOOL WINAPI InsertMenuA(HMENU hMenu, UINT uPosition, UINT uFlags, UINT_PTR uIDNewItem, LPCSTR lpNewItem) {
  Lock lock(UserLock());
  auto menu = CheckMenu(hMenu);
  if (!menu || ((uFlags & MF_POPUP) && !FindMenu(reinterpret_cast<HMENU>(uIDNewItem)))) return FALSE;
  MenuItem item = MakeItem(uFlags, uIDNewItem, lpNewItem);
  if ((uFlags & MF_BYPOSITION) && uPosition >= menu->items.size()) {
    menu->items.push_back(item);  // past the end (or -1) appends
    return TRUE;
  }
  std::shared_ptr<Menu> owner;
  size_t index;
  if (!Locate(hMenu, uPosition, uFlags, &owner, &index)) {
    SetLastError(ERROR_MENU_ITEM_NOT_FOUND);
    return FALSE;
  }
  owner->items.insert(owner->items.begin() + index, item);
  return TRUE;
}

BOOL WINAPI ModifyMenuA(HMENU hMnu, UINT uPosition, UINT uFlags, UINT_PTR uIDNewItem, LPCSTR lpNewItem) {
  Lock lock(UserLock());
  std::shared_ptr<Menu> owner;
  size_t index;
  if (!CheckMenu(hMnu) || !Locate(hMnu, uPosition, uFlags, &owner, &index)) return FALSE;
  owner->items[index] = MakeItem(uFlags, uIDNewItem, lpNewItem);
  return TRUE;
}

BOOL WINAPI RemoveMenu(HMENU hMenu, UINT uPosition, UINT uFlags) {
  Lock lock(UserLock());
  std::shared_ptr<Menu> owner;
  size_t index;
  if (!CheckMenu(hMenu) || !Locate(hMenu, uPosition, uFlags, &owner, &index)) return FALSE;
  owner->items.erase(owner->items.begin() + index);
  return TRUE;
}

BOOL WINAPI DeleteMenu(HMENU hMenu, UINT uPosition, UINT uFlags) {
  Lock lock(UserLock());
  std::shared_ptr<Menu> owner;
  size_t index;
  if (!CheckMenu(hMenu) || !Locate(hMenu, uPosition, uFlags, &owner, &index)) return FALSE;
  if (owner->items[index].flags & MF_POPUP) DestroyTreeOf(owner->items[index].popup);
  owner->items.erase(owner->items.begin() + index);
  return TRUE;
}

UINT WINAPI EnableMenuItem(HMENU hMenu, UINT uIDEnableItem, UINT uEnable) {
  Lock lock(UserLock());
  std::shared_ptr<Menu> owner;
  size_t index;
  if (!Locate(hMenu, uIDEnableItem, uEnable, &owner, &index)) return kNotFound;
  UINT& flags = owner->items[index].flags;
  UINT previous = flags & (MF_GRAYED | MF_DISABLED);
  flags = (flags & ~(MF_GRAYED | MF_DISABLED)) | (uEnable & (MF_GRAYED | MF_DISABLED));
  return previous;
}

DWORD WINAPI CheckMenuItem(HMENU hMenu, UINT uIDCheckItem, UINT uCheck) {
  Lock lock(UserLock());
  std::shared_ptr<Menu> owner;
  size_t index;
  if (!Locate(hMenu, uIDCheckItem, uCheck, &owner, &index)) return kNotFound;
  UINT& flags = owner->items[index].flags;
  DWORD previous = flags & MF_CHECKED;
  flags = (flags & ~MF_CHECKED) | (uCheck & MF_CHECKED);
  return previous;
}

UINT WINAPI GetMenuState(HMENU hMenu, UINT uId, UINT uFlags) {
  Lock lock(UserLock());
  std::shared_ptr<Menu> owner;
  size_t index;
  if (!Locate(hMenu, uId, uFlags, &owner, &index)) return kNotFound;
  auto& item = owner->items[index];
  UINT state = item.flags & (kStateBits | kTypeBits);
  if (item.flags & MF_POPUP) {
    auto sub = FindMenu(item.popup);
    state = (state & 0xFF) | ((sub ? static_cast<UINT>(sub->items.size()) : 0) << 8);
  }
  return state;
}

HMENU WINAPI GetSubMenu(HMENU hMenu, int nPos) {
  Lock lock(UserLock());
  auto menu = FindMenu(hMenu);
  if (!menu || nPos < 0 || static_cast<size_t>(nPos) >= menu->items.size()) return nullptr;
  auto& item = menu->items[nPos];
  return (item.flags & MF_POPUP) ? item.popup : nullptr;
}

int WINAPI GetMenuItemCount(HMENU hMenu) {
  Lock lock(UserLock());
  auto menu = CheckMenu(hMenu);
  return menu ? static_cast<int>(menu->items.size()) : -1;
}

UINT WINAPI GetMenuItemID(HMENU hMenu, int nPos) {
  Lock lock(UserLock());
  auto menu = FindMenu(hMenu);
  if (!menu || nPos < 0 || static_cast<size_t>(nPos) >= menu->items.size()) return kNotFound;
  auto& item = menu->items[nPos];
  return (item.flags & MF_POPUP) ? kNotFound : static_cast<UINT>(item.id);
}

int WINAPI GetMenuStringA(HMENU hMenu, UINT uIDItem, LPSTR lpString, int cchMax, UINT flags) {
  Lock lock(UserLock());
  std::shared_ptr<Menu> owner;
  size_t index;
  if (!Locate(hMenu, uIDItem, flags, &owner, &index)) return 0;
  const std::string& text = owner->items[index].text;
  if (!lpString || cchMax <= 0) return static_cast<int>(text.size());
  lstrcpynA(lpString, text.c_str(), cchMax);
  return lstrlenA(lpString);
}

HMENU WINAPI GetMenu(HWND hWnd) {
  auto window = CheckWindow(hWnd);
  if (!window || (window->style & WS_CHILD)) return nullptr;
  return reinterpret_cast<HMENU>(window->id);
}

BOOL WINAPI SetMenu(HWND hWnd, HMENU hMenu) {
  auto window = CheckWindow(hWnd);
  if (!window || (window->style & WS_CHILD)) return FALSE;
  if (hMenu && !IsMenu(hMenu)) {
    SetLastError(ERROR_INVALID_MENU_HANDLE);
    return FALSE;
  }
  window->id = reinterpret_cast<UINT_PTR>(hMenu);
  SetWindowPos(hWnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  return TRUE;
}

BOOL WINAPI DrawMenuBar(HWND hWnd) {
  auto window = CheckWindow(hWnd);
  if (!window) return FALSE;
  window->ncPaintPending = true;
  PaintFrameAndEraseNow(hWnd);
  return TRUE;
}

HMENU WINAPI GetSystemMenu(HWND hWnd, BOOL bRevert) {
  auto window = CheckWindow(hWnd);
  if (!window) return nullptr;
  if (bRevert) {
    Lock lock(UserLock());
    if (window->systemMenu) DestroyTreeOf(window->systemMenu);
    window->systemMenu = nullptr;
    return nullptr;
  }
  if (window->systemMenu) return window->systemMenu;
  HMENU menu = CreatePopupMenu();
  AppendMenuA(menu, MF_STRING, SC_RESTORE, "&Restore");
  AppendMenuA(menu, MF_STRING, SC_MOVE, "&Move");
  AppendMenuA(menu, MF_STRING, SC_SIZE, "&Size");
  AppendMenuA(menu, MF_STRING, SC_MINIMIZE, "Mi&nimize");
  AppendMenuA(menu, MF_STRING, SC_MAXIMIZE, "Ma&ximize");
  AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(menu, MF_STRING, SC_CLOSE, "&Close\tAlt+F4");
  window->systemMenu = menu;
  return menu;
}

BOOL WINAPI SetMenuDefaultItem(HMENU hMenu, UINT uItem, UINT fByPos) {
  Lock lock(UserLock());
  auto menu = CheckMenu(hMenu);
  if (!menu) return FALSE;
  for (auto& item : menu->items) item.flags &= ~MF_DEFAULT;
  if (uItem == kNotFound) return TRUE;
  std::shared_ptr<Menu> owner;
  size_t index;
  if (!Locate(hMenu, uItem, fByPos ? MF_BYPOSITION : MF_BYCOMMAND, &owner, &index) || owner != menu) return FALSE;
  owner->items[index].flags |= MF_DEFAULT;
  return TRUE;
}

// With TPM_RETURNCMD the chosen id is returned; otherwise it is posted to
// the owner as WM_COMMAND and the answer says whether the menu was shown.
BOOL WINAPI TrackPopupMenu(HMENU hMenu, UINT uFlags, int x, int y, int, HWND hWnd, const RECT*) {
  if (!IsMenu(hMenu)) {
    SetLastError(ERROR_INVALID_MENU_HANDLE);
    return FALSE;
  }
  if (!CheckWindow(hWnd)) return FALSE;
  UINT chosen = Track(hMenu, uFlags, x, y, hWnd, false);
  if (uFlags & TPM_RETURNCMD) return static_cast<BOOL>(chosen);
  if (chosen) PostMessageA(hWnd, WM_COMMAND, MAKEWPARAM(chosen, 0), 0);
  return TRUE;
}

BOOL WINAPI TrackPopupMenuEx(HMENU hMenu, UINT uFlags, int x, int y, HWND hwnd, LPTPMPARAMS lptpm) {
  return TrackPopupMenu(hMenu, uFlags, x, y, 0, hwnd, lptpm ? &lptpm->rcExclude : nullptr);
}

}  // extern "C"
