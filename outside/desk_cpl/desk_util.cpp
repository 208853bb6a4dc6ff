// Registry texts as Windows 95 writes its Display settings: REG_SZ with the NUL counted.
#include "desk_internal.h"
#include "desk_resource.h"

BOOL WriteRegistryText(HKEY root, LPCSTR keyPath, LPCSTR name, LPCSTR text) {
  HKEY key;
  if (RegCreateKeyExA(root, keyPath, 0, NULL, 0, KEY_WRITE, NULL, &key, NULL) != ERROR_SUCCESS) return FALSE;
  LONG result = RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), lstrlenA(text) + 1);
  RegCloseKey(key);
  return result == ERROR_SUCCESS;
}

BOOL ReadRegistryText(HKEY root, LPCSTR keyPath, LPCSTR name, LPSTR buffer, DWORD size) {
  if (size == 0) return FALSE;
  buffer[0] = '\0';
  HKEY key;
  if (RegOpenKeyExA(root, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS) return FALSE;
  DWORD type = 0;
  DWORD length = size;
  LONG result = RegQueryValueExA(key, name, NULL, &type, reinterpret_cast<BYTE*>(buffer), &length);
  RegCloseKey(key);
  if (result != ERROR_SUCCESS || type != REG_SZ) {
    buffer[0] = '\0';
    return FALSE;
  }
  buffer[length < size ? length : size - 1] = '\0';  // a value stored without its NUL still ends here
  return TRUE;
}

void MarkPageChanged(HWND hwndPage) { PropSheet_Changed(GetParent(hwndPage), hwndPage); }

void GetAdapterDescription(LPSTR buffer, DWORD size) {
  if (ReadRegistryText(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Services\\Class\\Display\\0000", "DriverDesc",
                       buffer, size) &&
      buffer[0])
    return;
  LoadStringA(g_hinstDesk, IDS_UNKNOWN_ADAPTER, buffer, static_cast<int>(size));
}
