// The registry functions of ADVAPI32, with Windows 95's behaviour where it
// differs from Windows NT:
// - RegDeleteKeyA deletes the key together with all its subkeys (NT refuses
//   a key that has subkeys).
// - There is no security: samDesired and security attributes are ignored,
//   and so is dwOptions (Windows 95 creates REG_OPTION_VOLATILE keys as
//   ordinary ones).
// - Keys keep no last-write time: the FILETIMEs returned are zero.
// The functions return their error; they do not set the thread's last error.
#include <algorithm>
#include <cstring>

#include "registry/registry_state.h"

namespace host::registry {
namespace {

std::string_view NameOrDefault(LPCSTR name) { return name ? std::string_view(name) : std::string_view(); }

LONG OpenLocked(HKEY handle, LPCSTR subKey, std::shared_ptr<Key>& key) {
  LONG error = ResolveKey(handle, key);
  if (error != ERROR_SUCCESS) return error;
  std::vector<std::string_view> names;
  error = SplitKeyPath(NameOrDefault(subKey), names);
  if (error != ERROR_SUCCESS) return error;
  error = InjectedFault(Op::Open, TargetPath(*key, names), nullptr);
  if (error != ERROR_SUCCESS) return error;
  for (std::string_view name : names) {
    key = key->FindSubkey(name);
    if (!key) return ERROR_FILE_NOT_FOUND;
  }
  return ERROR_SUCCESS;
}

// Creates what is missing on the way; only the last key gets the class.
LONG CreateLocked(HKEY handle, LPCSTR subKey, LPCSTR className, std::shared_ptr<Key>& key, DWORD* disposition) {
  LONG error = ResolveKey(handle, key);
  if (error != ERROR_SUCCESS) return error;
  std::vector<std::string_view> names;
  error = SplitKeyPath(NameOrDefault(subKey), names);
  if (error != ERROR_SUCCESS) return error;
  error = InjectedFault(Op::Create, TargetPath(*key, names), nullptr);
  if (error != ERROR_SUCCESS) return error;
  bool anyCreated = false, lastCreated = false;
  for (std::string_view name : names) {
    key = key->FindOrAddSubkey(name, &lastCreated);
    anyCreated = anyCreated || lastCreated;
  }
  if (lastCreated && className) key->className = className;
  if (disposition) *disposition = lastCreated ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
  if (anyCreated) SaveAfterChange();
  return ERROR_SUCCESS;
}

LONG SetValueLocked(Key& key, std::string_view name, DWORD type, const BYTE* data, DWORD size) {
  std::string valueName(name);
  LONG error = InjectedFault(Op::Set, key.Path(), &valueName);
  if (error != ERROR_SUCCESS) return error;
  key.SetValue(name, type, std::vector<BYTE>(data, data + size));
  SaveAfterChange();
  return ERROR_SUCCESS;
}

// Copies `bytes` into a caller's buffer of `*size` bytes (null: only the size
// is asked). ERROR_MORE_DATA with the needed size when it does not fit.
LONG CopyData(const std::vector<BYTE>& bytes, LPBYTE buffer, LPDWORD size) {
  if (!size) return ERROR_SUCCESS;
  DWORD needed = static_cast<DWORD>(bytes.size());
  if (buffer && *size < needed) {
    *size = needed;
    return ERROR_MORE_DATA;
  }
  if (buffer && needed) std::memcpy(buffer, bytes.data(), needed);
  *size = needed;
  return ERROR_SUCCESS;
}

// Name buffers are counted in characters with room for the NUL. When a name
// does not fit, the call gives ERROR_MORE_DATA and leaves the caller's count
// as it was (Win32 documents no needed size for names).
bool FitsWithNul(const std::string& text, DWORD capacity) { return text.size() + 1 <= capacity; }

// Copies the name and its NUL; the count returned leaves the NUL out.
void CopyName(const std::string& text, LPSTR buffer, LPDWORD count) {
  std::memcpy(buffer, text.c_str(), text.size() + 1);
  *count = static_cast<DWORD>(text.size());
}

void ZeroTime(PFILETIME time) {
  if (time) *time = FILETIME{0, 0};
}

template <class Items, class Length>
DWORD LongestOf(const Items& items, Length length) {
  DWORD longest = 0;
  for (const auto& item : items) longest = std::max(longest, static_cast<DWORD>(length(item)));
  return longest;
}

void SetIf(LPDWORD out, DWORD value) {
  if (out) *out = value;
}

}  // namespace
}  // namespace host::registry

using namespace host::registry;

extern "C" {

LONG WINAPI RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD ulOptions, REGSAM, PHKEY phkResult) {
  if (!phkResult) return ERROR_INVALID_PARAMETER;
  *phkResult = nullptr;
  if (ulOptions != 0) return ERROR_INVALID_PARAMETER;
  auto lock = LockRegistry();
  std::shared_ptr<Key> key;
  LONG error = OpenLocked(hKey, lpSubKey, key);
  if (error == ERROR_SUCCESS) *phkResult = AddKeyHandle(key);
  return error;
}

// With no subkey Win32 hands back hKey itself; a new handle to the same key
// serves a program that closes either one just as well.
LONG WINAPI RegOpenKeyA(HKEY hKey, LPCSTR lpSubKey, PHKEY phkResult) {
  return RegOpenKeyExA(hKey, lpSubKey, 0, KEY_ALL_ACCESS, phkResult);
}

LONG WINAPI RegCreateKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD, LPSTR lpClass, DWORD, REGSAM, LPSECURITY_ATTRIBUTES,
                            PHKEY phkResult, LPDWORD lpdwDisposition) {
  if (!phkResult) return ERROR_INVALID_PARAMETER;
  *phkResult = nullptr;
  auto lock = LockRegistry();
  std::shared_ptr<Key> key;
  LONG error = CreateLocked(hKey, lpSubKey, lpClass, key, lpdwDisposition);
  if (error == ERROR_SUCCESS) *phkResult = AddKeyHandle(key);
  return error;
}

LONG WINAPI RegCreateKeyA(HKEY hKey, LPCSTR lpSubKey, PHKEY phkResult) {
  return RegCreateKeyExA(hKey, lpSubKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, phkResult,
                         nullptr);
}

LONG WINAPI RegCloseKey(HKEY hKey) {
  auto lock = LockRegistry();
  return CloseKeyHandle(hKey);
}

LONG WINAPI RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData,
                             LPDWORD lpcbData) {
  if (lpReserved || (lpData && !lpcbData)) return ERROR_INVALID_PARAMETER;
  auto lock = LockRegistry();
  std::shared_ptr<Key> key;
  LONG error = ResolveKey(hKey, key);
  if (error != ERROR_SUCCESS) return error;
  const Value* value = key->FindValue(NameOrDefault(lpValueName));
  if (!value) return ERROR_FILE_NOT_FOUND;
  SetIf(lpType, value->type);
  return CopyData(value->data, lpData, lpcbData);
}

LONG WINAPI RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD, DWORD dwType, const BYTE* lpData, DWORD cbData) {
  if (!lpData && cbData) return ERROR_INVALID_PARAMETER;
  std::string_view name = NameOrDefault(lpValueName);
  // A control character could not be written to the registry file.
  if (!IsWritableName(name)) return ERROR_INVALID_PARAMETER;
  auto lock = LockRegistry();
  std::shared_ptr<Key> key;
  LONG error = ResolveKey(hKey, key);
  if (error != ERROR_SUCCESS) return error;
  return SetValueLocked(*key, name, dwType, lpData, cbData);
}

// Sets the default value of the subkey (created when missing) to a string;
// the size is the string's with its NUL, whatever cbData says.
LONG WINAPI RegSetValueA(HKEY hKey, LPCSTR lpSubKey, DWORD dwType, LPCSTR lpData, DWORD) {
  if (dwType != REG_SZ || !lpData) return ERROR_INVALID_PARAMETER;
  auto lock = LockRegistry();
  std::shared_ptr<Key> key;
  LONG error = CreateLocked(hKey, lpSubKey, nullptr, key, nullptr);
  if (error != ERROR_SUCCESS) return error;
  return SetValueLocked(*key, "", REG_SZ, reinterpret_cast<const BYTE*>(lpData),
                        static_cast<DWORD>(std::strlen(lpData) + 1));
}

// The default value of the subkey as a string: "" when it has none. A
// string stored without its NUL comes back with one, as the caller asks for a string.
LONG WINAPI RegQueryValueA(HKEY hKey, LPCSTR lpSubKey, LPSTR lpData, PLONG lpcbData) {
  if (lpData && !lpcbData) return ERROR_INVALID_PARAMETER;
  auto lock = LockRegistry();
  std::shared_ptr<Key> key;
  LONG error = OpenLocked(hKey, lpSubKey, key);
  if (error != ERROR_SUCCESS) return error;
  std::vector<BYTE> text;
  if (const Value* value = key->FindValue("")) {
    if (value->type != REG_SZ) return ERROR_INVALID_DATA;
    text = value->data;
  }
  if (text.empty() || text.back() != 0) text.push_back(0);
  return CopyData(text, reinterpret_cast<LPBYTE>(lpData), reinterpret_cast<LPDWORD>(lpcbData));
}

LONG WINAPI RegDeleteValueA(HKEY hKey, LPCSTR lpValueName) {
  auto lock = LockRegistry();
  std::shared_ptr<Key> key;
  LONG error = ResolveKey(hKey, key);
  if (error != ERROR_SUCCESS) return error;
  if (!key->RemoveValue(NameOrDefault(lpValueName))) return ERROR_FILE_NOT_FOUND;
  SaveAfterChange();
  return ERROR_SUCCESS;
}

// Windows 95: the key goes with all its subkeys. An empty name would delete
// the key behind hKey itself; that is refused with ERROR_BADKEY, as are the
// roots and the keys the predefined aliases stand on (ERROR_ACCESS_DENIED).
LONG WINAPI RegDeleteKeyA(HKEY hKey, LPCSTR lpSubKey) {
  std::vector<std::string_view> names;
  LONG error = SplitKeyPath(NameOrDefault(lpSubKey), names);
  if (error != ERROR_SUCCESS) return error;
  if (names.empty()) return ERROR_BADKEY;
  auto lock = LockRegistry();
  std::shared_ptr<Key> key;
  error = OpenLocked(hKey, lpSubKey, key);
  if (error != ERROR_SUCCESS) return error;
  if (IsProtectedKey(*key)) return ERROR_ACCESS_DENIED;
  key->parent->RemoveSubkey(key->name);
  SaveAfterChange();
  return ERROR_SUCCESS;
}

LONG WINAPI RegEnumKeyExA(HKEY hKey, DWORD dwIndex, LPSTR lpName, LPDWORD lpcchName, LPDWORD lpReserved, LPSTR lpClass,
                          LPDWORD lpcchClass, PFILETIME lpftLastWriteTime) {
  if (!lpName || !lpcchName || lpReserved || (lpClass && !lpcchClass)) return ERROR_INVALID_PARAMETER;
  auto lock = LockRegistry();
  std::shared_ptr<Key> key;
  LONG error = ResolveKey(hKey, key);
  if (error != ERROR_SUCCESS) return error;
  if (dwIndex >= key->subkeys.size()) return ERROR_NO_MORE_ITEMS;
  const Key& subkey = *key->subkeys[dwIndex];
  if (!FitsWithNul(subkey.name, *lpcchName)) return ERROR_MORE_DATA;
  if (lpClass && !FitsWithNul(subkey.className, *lpcchClass)) return ERROR_MORE_DATA;
  CopyName(subkey.name, lpName, lpcchName);
  if (lpClass) CopyName(subkey.className, lpClass, lpcchClass);
  ZeroTime(lpftLastWriteTime);
  return ERROR_SUCCESS;
}

LONG WINAPI RegEnumKeyA(HKEY hKey, DWORD dwIndex, LPSTR lpName, DWORD cchName) {
  return RegEnumKeyExA(hKey, dwIndex, lpName, &cchName, nullptr, nullptr, nullptr, nullptr);
}

// When only the data does not fit, the name and type are still returned with
// the needed data size, so the caller can ask again for that one value.
LONG WINAPI RegEnumValueA(HKEY hKey, DWORD dwIndex, LPSTR lpValueName, LPDWORD lpcchValueName, LPDWORD lpReserved,
                          LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData) {
  if (!lpValueName || !lpcchValueName || lpReserved || (lpData && !lpcbData)) return ERROR_INVALID_PARAMETER;
  auto lock = LockRegistry();
  std::shared_ptr<Key> key;
  LONG error = ResolveKey(hKey, key);
  if (error != ERROR_SUCCESS) return error;
  if (dwIndex >= key->values.size()) return ERROR_NO_MORE_ITEMS;
  const Value& value = key->values[dwIndex];
  if (!FitsWithNul(value.name, *lpcchValueName)) return ERROR_MORE_DATA;
  CopyName(value.name, lpValueName, lpcchValueName);
  SetIf(lpType, value.type);
  return CopyData(value.data, lpData, lpcbData);
}

LONG WINAPI RegQueryInfoKeyA(HKEY hKey, LPSTR lpClass, LPDWORD lpcchClass, LPDWORD lpReserved, LPDWORD lpcSubKeys,
                             LPDWORD lpcbMaxSubKeyLen, LPDWORD lpcbMaxClassLen, LPDWORD lpcValues,
                             LPDWORD lpcbMaxValueNameLen, LPDWORD lpcbMaxValueLen, LPDWORD lpcbSecurityDescriptor,
                             PFILETIME lpftLastWriteTime) {
  if (lpReserved || (lpClass && !lpcchClass)) return ERROR_INVALID_PARAMETER;
  auto lock = LockRegistry();
  std::shared_ptr<Key> key;
  LONG error = ResolveKey(hKey, key);
  if (error != ERROR_SUCCESS) return error;
  using KeyPtr = std::shared_ptr<Key>;
  SetIf(lpcSubKeys, static_cast<DWORD>(key->subkeys.size()));
  SetIf(lpcbMaxSubKeyLen, LongestOf(key->subkeys, [](const KeyPtr& k) { return k->name.size(); }));
  SetIf(lpcbMaxClassLen, LongestOf(key->subkeys, [](const KeyPtr& k) { return k->className.size(); }));
  SetIf(lpcValues, static_cast<DWORD>(key->values.size()));
  SetIf(lpcbMaxValueNameLen, LongestOf(key->values, [](const Value& v) { return v.name.size(); }));
  SetIf(lpcbMaxValueLen, LongestOf(key->values, [](const Value& v) { return v.data.size(); }));
  SetIf(lpcbSecurityDescriptor, 0);  // no security on Windows 95
  ZeroTime(lpftLastWriteTime);
  if (lpClass) {
    if (!FitsWithNul(key->className, *lpcchClass)) return ERROR_MORE_DATA;
    CopyName(key->className, lpClass, lpcchClass);
  } else if (lpcchClass) {
    *lpcchClass = static_cast<DWORD>(key->className.size());
  }
  return ERROR_SUCCESS;
}

// The whole registry is one file: flushing any key writes it.
LONG WINAPI RegFlushKey(HKEY hKey) {
  auto lock = LockRegistry();
  std::shared_ptr<Key> key;
  LONG error = ResolveKey(hKey, key);
  if (error != ERROR_SUCCESS) return error;
  return SaveNow();
}

}  // extern "C"
