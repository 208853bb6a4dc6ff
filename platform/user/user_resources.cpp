// USER's objects made from resources: menus from menu templates,
// accelerator tables, bitmaps, icons and cursors. A NULL instance names the
// system's own resources (IDI_*, IDC_*, OBM_*), which the host library holds.
#include <host/station.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "kernel/resources.h"
#include "user/user_internal.h"

#ifndef ERROR_INVALID_CURSOR_HANDLE
#define ERROR_INVALID_CURSOR_HANDLE 1402L
#endif
#ifndef ERROR_INVALID_ACCEL_HANDLE
#define ERROR_INVALID_ACCEL_HANDLE 1403L
#endif

namespace host::user {
namespace {

WORD Word(const BYTE* p) { return static_cast<WORD>(p[0] | (p[1] << 8)); }
DWORD Dword(const BYTE* p) { return Word(p) | (static_cast<DWORD>(Word(p + 2)) << 16); }

HMODULE SystemResources() { return GetModuleHandleA("USER32.DLL"); }
HMODULE ResourceModule(HINSTANCE instance) { return instance ? instance : SystemResources(); }

std::string ResourceKey(LPCSTR name) {
  if (IS_INTRESOURCE(name)) return "#" + std::to_string(LOWORD(reinterpret_cast<ULONG_PTR>(name)));
  std::string key = name;
  for (auto& c : key) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
  return key;
}

// ---- Menus ----

struct MenuReader {
  const BYTE* data;
  DWORD size;  // 0xFFFFFFFF when the caller's memory is trusted (LoadMenuIndirectA)
  DWORD at;
  bool Has(DWORD n) const { return at <= size && n <= size - at; }
  bool ReadWord(WORD* out) {
    if (!Has(2)) return false;
    *out = Word(data + at);
    at += 2;
    return true;
  }
  bool ReadText(std::string* out) {
    std::vector<WCHAR> wide;
    for (WORD c;;) {
      if (!ReadWord(&c)) return false;
      if (!c) break;
      wide.push_back(c);
    }
    *out = kernel::NarrowResourceText(wide.data(), wide.size());
    return true;
  }
};

// Items up to the one marked MF_END; a popup's items follow it.
bool ReadMenuItems(MenuReader& r, HMENU menu, int depth) {
  if (depth > 16) return false;
  for (;;) {
    WORD flags, id = 0;
    std::string text;
    if (!r.ReadWord(&flags)) return false;
    if (!(flags & MF_POPUP) && !r.ReadWord(&id)) return false;
    if (!r.ReadText(&text)) return false;
    UINT itemFlags = flags & ~MF_END;
    if (flags & MF_POPUP) {
      HMENU sub = CreatePopupMenu();
      if (!ReadMenuItems(r, sub, depth + 1)) {
        DestroyMenu(sub);
        return false;
      }
      AppendMenuA(menu, itemFlags, reinterpret_cast<UINT_PTR>(sub), text.c_str());
    } else if (flags == 0 && id == 0 && text.empty()) {
      AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    } else {
      AppendMenuA(menu, itemFlags, id, text.c_str());
    }
    if (flags & MF_END) return true;
  }
}

HMENU MenuFromTemplate(const BYTE* data, DWORD size) {
  MenuReader r{data, size, 0};
  WORD version, offset;
  if (!data || !r.ReadWord(&version) || !r.ReadWord(&offset) || version != 0) {
    SetLastError(ERROR_INVALID_DATA);
    return nullptr;
  }
  r.at += offset;
  HMENU menu = CreateMenu();
  if (!ReadMenuItems(r, menu, 0)) {
    DestroyMenu(menu);
    SetLastError(ERROR_INVALID_DATA);
    return nullptr;
  }
  return menu;
}

// ---- Accelerators ----

struct AcceleratorTables {
  std::map<HACCEL, std::vector<ACCEL>> tables;
  DWORD next = 0x60010;
};

AcceleratorTables& A() {
  static AcceleratorTables tables;
  return tables;
}

HACCEL NewAcceleratorTable(std::vector<ACCEL> entries) {
  Lock lock(UserLock());
  auto handle = reinterpret_cast<HACCEL>(static_cast<ULONG_PTR>(A().next));
  A().next += 0x10;
  A().tables[handle] = std::move(entries);
  return handle;
}

bool KeyDown(int vk) { return (GetKeyState(vk) & 0x8000) != 0; }

bool Matches(const ACCEL& accel, const MSG& msg) {
  bool keyMessage = msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN;
  if (accel.fVirt & FVIRTKEY) {
    if (!keyMessage || accel.key != msg.wParam) return false;
    bool alt = msg.message == WM_SYSKEYDOWN ? (HIWORD(msg.lParam) & 0x2000 /* KF_ALTDOWN */) != 0 : KeyDown(VK_MENU);
    return KeyDown(VK_SHIFT) == ((accel.fVirt & FSHIFT) != 0) &&
           KeyDown(VK_CONTROL) == ((accel.fVirt & FCONTROL) != 0) && alt == ((accel.fVirt & FALT) != 0);
  }
  if (msg.message != WM_CHAR && msg.message != WM_SYSCHAR) return false;
  return accel.key == msg.wParam && (msg.message == WM_SYSCHAR) == ((accel.fVirt & FALT) != 0);
}

// ---- Icons and cursors ----

struct IconObject {
  bool icon = true;
  int width = 0, height = 0;
  POINT hotspot{};
  HBITMAP color = nullptr, mask = nullptr;
  bool shared = false;
};

struct IconTable {
  std::map<HICON, IconObject> icons;
  std::map<std::string, HICON> shared;  // module, kind and name of LoadIconA/LoadCursorA/LR_SHARED images
  DWORD next = 0x50010;
};

IconTable& I() {
  static IconTable table;
  return table;
}

struct DibLayout {
  const BITMAPINFO* info;
  const BYTE* bits;
  int width, height;
  DWORD bitsSize;
};

// A packed DIB (BITMAPINFOHEADER, colours, bits) checked against its size.
bool ReadPackedDib(const BYTE* data, DWORD size, int heightDivisor, DibLayout* out) {
  if (!data || size < 40 || Dword(data) < 40 || Dword(data) > size) return false;
  DWORD headerSize = Dword(data);
  int width = static_cast<int>(Dword(data + 4));
  int height = static_cast<int>(Dword(data + 8)) / heightDivisor;
  WORD bpp = Word(data + 14);
  DWORD compression = Dword(data + 16), used = Dword(data + 32);
  if (width <= 0 || width > 4096 || height == 0 || height > 4096 || height < -4096 ||
      (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32))
    return false;
  DWORD colours = used ? used : (bpp <= 8 ? 1u << bpp : 0u);
  if (colours > 256) return false;
  DWORD offset = headerSize + colours * 4 + (compression == BI_BITFIELDS ? 12 : 0);
  DWORD stride = ((static_cast<DWORD>(width) * bpp + 31) / 32) * 4;
  DWORD rows = static_cast<DWORD>(height < 0 ? -height : height);
  if (offset > size || stride * rows > size - offset) return false;
  *out = {reinterpret_cast<const BITMAPINFO*>(data), data + offset, width, height, size - offset};
  return true;
}

HBITMAP BitmapFromDib(const BYTE* data, DWORD size) {
  DibLayout dib;
  if (!ReadPackedDib(data, size, 1, &dib)) {
    SetLastError(ERROR_INVALID_DATA);
    return nullptr;
  }
  HDC screen = GetDC(nullptr);
  HBITMAP bitmap = CreateDIBitmap(screen, &dib.info->bmiHeader, CBM_INIT, dib.bits, dib.info, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  return bitmap;
}

// The image of an icon or cursor resource: [hot spot for cursors] BITMAPINFOHEADER
// of twice the height, colours, the XOR bits, then the AND mask.
HICON IconFromImage(const BYTE* data, DWORD size, bool icon) {
  POINT hotspot{};
  if (!icon) {
    if (size < 4) return nullptr;
    hotspot = {Word(data), Word(data + 2)};
    data += 4;
    size -= 4;
  }
  DibLayout dib;
  if (!ReadPackedDib(data, size, 2, &dib) || dib.height < 0) {
    SetLastError(ERROR_INVALID_DATA);
    return nullptr;
  }
  BITMAPINFOHEADER header = dib.info->bmiHeader;
  DWORD colours = header.biClrUsed ? header.biClrUsed : (header.biBitCount <= 8 ? 1u << header.biBitCount : 0u);
  std::vector<BYTE> info(sizeof(BITMAPINFOHEADER) + 4 * std::max<DWORD>(colours, 2));
  header.biHeight = dib.height;
  header.biSizeImage = 0;
  std::memcpy(info.data(), &header, sizeof header);
  std::memcpy(info.data() + sizeof header, reinterpret_cast<const BYTE*>(dib.info) + header.biSize, 4 * colours);
  DWORD xorSize = ((static_cast<DWORD>(dib.width) * header.biBitCount + 31) / 32) * 4 * dib.height;
  DWORD andStride = ((static_cast<DWORD>(dib.width) + 31) / 32) * 4;
  if (xorSize + andStride * dib.height > dib.bitsSize) {
    SetLastError(ERROR_INVALID_DATA);
    return nullptr;
  }
  HDC screen = GetDC(nullptr);
  auto* colourInfo = reinterpret_cast<BITMAPINFO*>(info.data());
  HBITMAP colour = CreateDIBitmap(screen, &colourInfo->bmiHeader, CBM_INIT, dib.bits, colourInfo, DIB_RGB_COLORS);
  // The mask as a monochrome DIB: 0 black (keep the colour), 1 white (show what is below).
  BITMAPINFOHEADER maskHeader = header;
  maskHeader.biBitCount = 1;
  maskHeader.biClrUsed = 2;
  std::vector<BYTE> maskInfo(sizeof maskHeader + 8, 0);
  std::memcpy(maskInfo.data(), &maskHeader, sizeof maskHeader);
  std::memset(maskInfo.data() + sizeof maskHeader + 4, 0xFF, 3);
  HBITMAP mask = CreateBitmap(dib.width, dib.height, 1, 1, nullptr);
  SetDIBits(screen, mask, 0, dib.height, dib.bits + xorSize, reinterpret_cast<BITMAPINFO*>(maskInfo.data()),
            DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  if (!colour || !mask) {
    if (colour) DeleteObject(colour);
    if (mask) DeleteObject(mask);
    return nullptr;
  }
  Lock lock(UserLock());
  auto handle = reinterpret_cast<HICON>(static_cast<ULONG_PTR>(I().next));
  I().next += 0x10;
  I().icons[handle] = IconObject{icon, dib.width, dib.height, hotspot, colour, mask, false};
  return handle;
}

HICON SharedIcon(const std::string& key) {
  Lock lock(UserLock());
  auto found = I().shared.find(key);
  return found == I().shared.end() ? nullptr : found->second;
}

void ShareIcon(const std::string& key, HICON icon) {
  Lock lock(UserLock());
  I().shared[key] = icon;
  I().icons[icon].shared = true;
}

HICON LoadIconResource(HINSTANCE instance, LPCSTR name, bool cursor, int cx, int cy, bool shared) {
  if (!name) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  HMODULE module = ResourceModule(instance);
  std::string key = std::to_string(reinterpret_cast<ULONG_PTR>(module)) + (cursor ? "/cursor/" : "/icon/") +
                    ResourceKey(name) + "/" + std::to_string(cx) + "x" + std::to_string(cy);
  if (shared)
    if (HICON icon = SharedIcon(key)) return icon;
  kernel::ResourceBytes image = kernel::FindIconImage(module, name, cursor, cx, cy);
  if (!image) return nullptr;
  HICON icon = IconFromImage(image.data, image.size, !cursor);
  if (icon && shared) ShareIcon(key, icon);
  return icon;
}

// The whole file, or nothing with the last error set: a file that opens but
// is empty or too large to be an image reads as damaged, not as missing.
std::optional<std::vector<BYTE>> ReadImageFile(LPCSTR path) {
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;  // CreateFileA said why
  std::vector<BYTE> bytes;
  DWORD size = GetFileSize(file, nullptr);
  bool read = false;
  if (size != 0xFFFFFFFF && size <= 16 * 1024 * 1024) {
    bytes.resize(size);
    DWORD got = 0;
    read = size == 0 || (ReadFile(file, bytes.data(), size, &got, nullptr) && got == size);
  }
  CloseHandle(file);
  if (!read) {
    SetLastError(ERROR_INVALID_DATA);
    return std::nullopt;
  }
  return bytes;
}

HBITMAP BitmapFromFile(LPCSTR path) {
  auto read = ReadImageFile(path);
  if (!read) return nullptr;
  const std::vector<BYTE>& file = *read;
  if (file.size() < 14 + 40 || file[0] != 'B' || file[1] != 'M') {
    SetLastError(ERROR_INVALID_DATA);
    return nullptr;
  }
  // The DIB after the 14-byte file header, copied so its BITMAPINFO is aligned as GDI reads it.
  std::vector<BYTE> dib(file.begin() + 14, file.end());
  return BitmapFromDib(dib.data(), static_cast<DWORD>(dib.size()));
}

// An .ico or .cur file: the directory entry closest to the size asked for.
HICON IconFromFile(LPCSTR path, bool cursor, int cx, int cy) {
  auto read = ReadImageFile(path);
  if (!read) return nullptr;
  const std::vector<BYTE>& file = *read;
  if (file.size() < 6 || Word(file.data()) != 0 || Word(file.data() + 2) != (cursor ? 2 : 1) ||
      Word(file.data() + 4) == 0 || file.size() < 6 + 16u * Word(file.data() + 4)) {
    SetLastError(ERROR_INVALID_DATA);
    return nullptr;
  }
  int wantX = cx ? cx : 32, wantY = cy ? cy : 32;
  const BYTE* best = nullptr;
  long bestDistance = 0;
  for (WORD i = 0; i < Word(file.data() + 4); ++i) {
    const BYTE* e = file.data() + 6 + 16 * i;
    int width = e[0] ? e[0] : 256, height = e[1] ? e[1] : 256;
    long distance = std::labs(width - wantX) + std::labs(height - wantY);
    if (!best || distance < bestDistance) {
      best = e;
      bestDistance = distance;
    }
  }
  DWORD size = Dword(best + 8), offset = Dword(best + 12);
  if (offset > file.size() || size > file.size() - offset) {
    SetLastError(ERROR_INVALID_DATA);
    return nullptr;
  }
  std::vector<BYTE> image;
  if (cursor) image = {best[4], best[5], best[6], best[7]};  // the hot spot stands where an icon has planes and bits
  image.insert(image.end(), file.begin() + offset, file.begin() + offset + size);
  return IconFromImage(image.data(), static_cast<DWORD>(image.size()), !cursor);
}

// A bitmap of the same size and format holding the same pixels.
HBITMAP CopyBitmap(HBITMAP source) {
  BITMAP info{};
  if (!source || !GetObjectA(source, sizeof info, &info)) return nullptr;
  HBITMAP copy = CreateBitmap(info.bmWidth, info.bmHeight, info.bmPlanes, info.bmBitsPixel, nullptr);
  HDC from = CreateCompatibleDC(nullptr), to = CreateCompatibleDC(nullptr);
  HGDIOBJ oldFrom = SelectObject(from, source), oldTo = SelectObject(to, copy);
  BitBlt(to, 0, 0, info.bmWidth, info.bmHeight, from, 0, 0, SRCCOPY);
  SelectObject(from, oldFrom);
  SelectObject(to, oldTo);
  DeleteDC(from);
  DeleteDC(to);
  return copy;
}

bool FindIcon(HICON handle, IconObject* out) {
  Lock lock(UserLock());
  auto found = I().icons.find(handle);
  if (found == I().icons.end()) return false;
  *out = found->second;
  return true;
}

BOOL DestroyIconObject(HICON handle) {
  IconObject icon;
  {
    Lock lock(UserLock());
    auto found = I().icons.find(handle);
    if (found == I().icons.end()) {
      SetLastError(ERROR_INVALID_CURSOR_HANDLE);
      return FALSE;
    }
    if (found->second.shared) return TRUE;  // shared images live as long as the station
    icon = found->second;
    I().icons.erase(found);
  }
  DeleteObject(icon.color);
  DeleteObject(icon.mask);
  return TRUE;
}

void ResetResourceObjects() {
  Lock lock(UserLock());
  I() = IconTable{};
  A() = AcceleratorTables{};
}

struct Registration {
  Registration() { RegisterStationHook(32, ResetResourceObjects, ResetResourceObjects); }
} registration;

}  // namespace
}  // namespace host::user

using namespace host::user;

extern "C" {

HMENU WINAPI LoadMenuIndirectA(const void* lpMenuTemplate) {
  return MenuFromTemplate(static_cast<const BYTE*>(lpMenuTemplate), 0xFFFFFFFF);
}

HMENU WINAPI LoadMenuA(HINSTANCE hInstance, LPCSTR lpMenuName) {
  host::kernel::ResourceBytes bytes = host::kernel::FindResourceBytes(hInstance, lpMenuName, RT_MENU);
  if (!bytes) return nullptr;
  return MenuFromTemplate(bytes.data, bytes.size);
}

HACCEL WINAPI CreateAcceleratorTableA(LPACCEL paccel, int cAccel) {
  if (!paccel || cAccel <= 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return NewAcceleratorTable(std::vector<ACCEL>(paccel, paccel + cAccel));
}

HACCEL WINAPI LoadAcceleratorsA(HINSTANCE hInstance, LPCSTR lpTableName) {
  auto entries = host::kernel::FindAcceleratorTable(hInstance, lpTableName);
  if (!entries) return nullptr;
  std::vector<ACCEL> table;
  for (const auto& entry : *entries) table.push_back(ACCEL{entry.flags, entry.key, entry.command});
  if (table.empty()) {
    SetLastError(ERROR_INVALID_DATA);
    return nullptr;
  }
  return NewAcceleratorTable(std::move(table));
}

BOOL WINAPI DestroyAcceleratorTable(HACCEL hAccel) {
  Lock lock(UserLock());
  if (!A().tables.erase(hAccel)) {
    SetLastError(ERROR_INVALID_ACCEL_HANDLE);
    return FALSE;
  }
  return TRUE;
}

int WINAPI CopyAcceleratorTableA(HACCEL hAccelSrc, LPACCEL lpAccelDst, int cAccelEntries) {
  Lock lock(UserLock());
  auto found = A().tables.find(hAccelSrc);
  if (found == A().tables.end()) {
    SetLastError(ERROR_INVALID_ACCEL_HANDLE);
    return 0;
  }
  int count = static_cast<int>(found->second.size());
  if (!lpAccelDst) return count;
  int copied = std::min(count, cAccelEntries);
  for (int i = 0; i < copied; ++i) lpAccelDst[i] = found->second[i];
  return copied;
}

// A match sends WM_COMMAND with 1 in the high word of wParam, unless the
// window's menu has the command disabled (the key is still taken).
int WINAPI TranslateAcceleratorA(HWND hWnd, HACCEL hAccTable, LPMSG lpMsg) {
  if (!lpMsg || !IsWindow(hWnd)) return 0;
  std::vector<ACCEL> table;
  {
    Lock lock(UserLock());
    auto found = A().tables.find(hAccTable);
    if (found == A().tables.end()) {
      SetLastError(ERROR_INVALID_ACCEL_HANDLE);
      return 0;
    }
    table = found->second;
  }
  for (const ACCEL& accel : table) {
    if (!Matches(accel, *lpMsg)) continue;
    HMENU menu = GetMenu(hWnd);
    if (menu && !IsIconic(hWnd)) {
      SendMessageA(hWnd, WM_INITMENU, reinterpret_cast<WPARAM>(menu), 0);
      UINT state = GetMenuState(menu, accel.cmd, MF_BYCOMMAND);
      if (state != 0xFFFFFFFF && (state & (MF_GRAYED | MF_DISABLED))) return 1;
    }
    SendMessageA(hWnd, WM_COMMAND, MAKEWPARAM(accel.cmd, 1), 0);
    return 1;
  }
  return 0;
}

HBITMAP WINAPI LoadBitmapA(HINSTANCE hInstance, LPCSTR lpBitmapName) {
  if (!lpBitmapName) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  host::kernel::ResourceBytes bytes =
      host::kernel::FindResourceBytes(ResourceModule(hInstance), lpBitmapName, RT_BITMAP);
  if (!bytes) return nullptr;
  return BitmapFromDib(bytes.data, bytes.size);
}

HICON WINAPI LoadIconA(HINSTANCE hInstance, LPCSTR lpIconName) {
  return LoadIconResource(hInstance, lpIconName, false, 0, 0, true);
}

HCURSOR WINAPI LoadCursorA(HINSTANCE hInstance, LPCSTR lpCursorName) {
  return LoadIconResource(hInstance, lpCursorName, true, 0, 0, true);
}

HANDLE WINAPI LoadImageA(HINSTANCE hInst, LPCSTR name, UINT type, int cx, int cy, UINT fuLoad) {
  if (!name || (type != IMAGE_BITMAP && type != IMAGE_ICON && type != IMAGE_CURSOR)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  bool cursor = type == IMAGE_CURSOR;
  if (type != IMAGE_BITMAP && (fuLoad & LR_DEFAULTSIZE)) {
    if (!cx) cx = GetSystemMetrics(cursor ? SM_CXCURSOR : SM_CXICON);
    if (!cy) cy = GetSystemMetrics(cursor ? SM_CYCURSOR : SM_CYICON);
  }
  if (fuLoad & LR_LOADFROMFILE) {
    if (IS_INTRESOURCE(name)) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
    }
    if (type == IMAGE_BITMAP) return BitmapFromFile(name);
    return IconFromFile(name, cursor, cx, cy);
  }
  if (type == IMAGE_BITMAP) return LoadBitmapA(hInst, name);
  return LoadIconResource(hInst, name, cursor, cx, cy, (fuLoad & LR_SHARED) != 0);
}

HICON WINAPI CreateIconFromResourceEx(PBYTE presbits, DWORD dwResSize, BOOL fIcon, DWORD, int, int, UINT) {
  if (!presbits) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return IconFromImage(presbits, dwResSize, fIcon != FALSE);
}

HICON WINAPI CreateIconFromResource(PBYTE presbits, DWORD dwResSize, BOOL fIcon, DWORD dwVer) {
  return CreateIconFromResourceEx(presbits, dwResSize, fIcon, dwVer, 0, 0, 0);
}

BOOL WINAPI DestroyIcon(HICON hIcon) { return DestroyIconObject(hIcon); }
BOOL WINAPI DestroyCursor(HCURSOR hCursor) { return DestroyIconObject(hCursor); }

// The mask is ANDed onto the destination, then the colour image XORed:
// black mask bits show the image, white ones what was there.
BOOL WINAPI DrawIconEx(HDC hdc, int xLeft, int yTop, HICON hIcon, int cxWidth, int cyWidth, UINT, HBRUSH,
                       UINT diFlags) {
  IconObject icon;
  if (!hdc || !FindIcon(hIcon, &icon)) {
    SetLastError(ERROR_INVALID_CURSOR_HANDLE);
    return FALSE;
  }
  if (!(diFlags & DI_NORMAL)) diFlags |= DI_NORMAL;
  int cx = cxWidth ? cxWidth : icon.width, cy = cyWidth ? cyWidth : icon.height;
  HDC memory = CreateCompatibleDC(hdc);
  if (!memory) return FALSE;
  COLORREF text = SetTextColor(hdc, RGB(0, 0, 0)), back = SetBkColor(hdc, RGB(255, 255, 255));
  auto blit = [&](HBITMAP bitmap, DWORD rop) {
    HGDIOBJ old = SelectObject(memory, bitmap);
    if (cx == icon.width && cy == icon.height)
      BitBlt(hdc, xLeft, yTop, cx, cy, memory, 0, 0, rop);
    else
      StretchBlt(hdc, xLeft, yTop, cx, cy, memory, 0, 0, icon.width, icon.height, rop);
    SelectObject(memory, old);
  };
  if (diFlags & DI_MASK) blit(icon.mask, (diFlags & DI_IMAGE) ? SRCAND : SRCCOPY);
  if (diFlags & DI_IMAGE) blit(icon.color, (diFlags & DI_MASK) ? SRCINVERT : SRCCOPY);
  SetTextColor(hdc, text);
  SetBkColor(hdc, back);
  DeleteDC(memory);
  return TRUE;
}

// The caller owns the copies of the icon's bitmaps it is given.
BOOL WINAPI GetIconInfo(HICON hIcon, PICONINFO piconinfo) {
  IconObject icon;
  if (!piconinfo || !FindIcon(hIcon, &icon)) {
    SetLastError(ERROR_INVALID_CURSOR_HANDLE);
    return FALSE;
  }
  piconinfo->fIcon = icon.icon;
  piconinfo->xHotspot = icon.hotspot.x;
  piconinfo->yHotspot = icon.hotspot.y;
  piconinfo->hbmMask = CopyBitmap(icon.mask);
  piconinfo->hbmColor = icon.color ? CopyBitmap(icon.color) : nullptr;
  return piconinfo->hbmMask != nullptr;
}

BOOL WINAPI DrawIcon(HDC hDC, int X, int Y, HICON hIcon) {
  return DrawIconEx(hDC, X, Y, hIcon, 0, 0, 0, nullptr, DI_NORMAL);
}

}  // extern "C"
