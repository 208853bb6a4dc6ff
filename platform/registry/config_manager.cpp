// The configuration manager's list of the devices it found, as Windows 95
// keeps it under HKEY_DYN_DATA "Config Manager\\Enum": one key per device,
// named by eight uppercase hexadecimal digits, whose "HardWareKey" is the
// device's path under HKLM "Enum\\". HKEY_DYN_DATA starts empty at each boot,
// so the list is made again once the registry has loaded. The station's
// devices that programs look for are its monitors: every instance key
// "Enum\\MONITOR\\<device>\\<instance>" is listed, numbered from 1 in
// enumeration order; a component that makes a monitor device later adds its
// entry under the next free number.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "kernel/station_state.h"

namespace host::registry {
namespace {

constexpr char kEnumList[] = "Config Manager\\Enum";
constexpr char kMonitors[] = "Enum\\MONITOR";

std::vector<std::string> SubkeyNames(HKEY key) {
  std::vector<std::string> names;
  char name[MAX_PATH];
  for (DWORD i = 0;; ++i) {
    DWORD size = sizeof name;
    if (RegEnumKeyExA(key, i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    names.push_back(name);
  }
  return names;
}

// The monitors' instance paths under HKLM "Enum\\", in enumeration order.
std::vector<std::string> MonitorInstances() {
  std::vector<std::string> paths;
  HKEY monitors = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kMonitors, 0, KEY_READ, &monitors) != ERROR_SUCCESS) return paths;
  for (const std::string& device : SubkeyNames(monitors)) {
    HKEY deviceKey = nullptr;
    if (RegOpenKeyExA(monitors, device.c_str(), 0, KEY_READ, &deviceKey) != ERROR_SUCCESS) continue;
    for (const std::string& instance : SubkeyNames(deviceKey)) paths.push_back("MONITOR\\" + device + "\\" + instance);
    RegCloseKey(deviceKey);
  }
  RegCloseKey(monitors);
  return paths;
}

// One device: its path, and no problem nor status to tell, as 4-byte binaries like Windows 95's.
void AddEntry(HKEY list, DWORD number, const std::string& hardwareKey) {
  char name[9];
  std::snprintf(name, sizeof name, "%08lX", static_cast<unsigned long>(number));
  HKEY entry = nullptr;
  if (RegCreateKeyExA(list, name, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &entry, nullptr) != ERROR_SUCCESS) return;
  RegSetValueExA(entry, "HardWareKey", 0, REG_SZ, reinterpret_cast<const BYTE*>(hardwareKey.c_str()),
                 static_cast<DWORD>(hardwareKey.size() + 1));
  const BYTE zero[4] = {0, 0, 0, 0};
  RegSetValueExA(entry, "Problem", 0, REG_BINARY, zero, sizeof zero);
  RegSetValueExA(entry, "Status", 0, REG_BINARY, zero, sizeof zero);
  RegCloseKey(entry);
}

void ListDevices() {
  HKEY list = nullptr;
  if (RegCreateKeyExA(HKEY_DYN_DATA, kEnumList, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &list, nullptr) !=
      ERROR_SUCCESS)
    return;
  DWORD number = 0;
  for (const std::string& path : MonitorInstances()) AddEntry(list, ++number, path);
  RegCloseKey(list);
}

// After the registry (10), before the adapter and the window manager, which may read the list.
const bool kHookRegistered = [] {
  RegisterStationHook(11, ListDevices, [] {});
  return true;
}();

}  // namespace
}  // namespace host::registry
