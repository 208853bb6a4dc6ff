// The monitor's registry keys as Windows 95 keeps them: the configuration
// manager's list (HKEY_DYN_DATA) names the device key under HKLM "Enum", whose
// "Driver" names the monitor class key with the model's description.
#include "desk_internal.h"
#include "desk_resource.h"

#include <string.h>

namespace {

const char kConfigManagerEnum[] = "Config Manager\\Enum";
const char kClassRoot[] = "System\\CurrentControlSet\\Services\\Class\\";
const char kNewDevice[] = "MONITOR\\DEFAULT_MONITOR\\0001";

// The first configuration manager entry whose hardware key is a monitor: "Enum\\" + that key.
BOOL FindMonitorDeviceKey(LPSTR path, DWORD size) {
  HKEY list;
  if (RegOpenKeyExA(HKEY_DYN_DATA, kConfigManagerEnum, 0, KEY_READ, &list) != ERROR_SUCCESS) return FALSE;
  BOOL found = FALSE;
  char name[MAX_PATH];
  char hardwareKey[1024];
  for (DWORD index = 0; !found && RegEnumKeyA(list, index, name, sizeof name) == ERROR_SUCCESS; ++index) {
    if (!ReadRegistryText(list, name, "HardWareKey", hardwareKey, sizeof hardwareKey)) continue;
    if (!strstr(hardwareKey, "MONITOR\\") || static_cast<DWORD>(lstrlenA(hardwareKey)) + 6 > size) continue;
    lstrcpyA(path, "Enum\\");
    lstrcatA(path, hardwareKey);
    found = TRUE;
  }
  RegCloseKey(list);
  return found;
}

BOOL KeyExists(HKEY root, LPCSTR path) {
  HKEY key;
  if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return FALSE;
  RegCloseKey(key);
  return TRUE;
}

// Lists a new device for the configuration manager under the next free "%08X" number.
BOOL ListNewDevice(LPCSTR hardwareKey) {
  char entry[64];
  for (DWORD number = 1; number != 0; ++number) {
    wsprintfA(entry, "%s\\%08X", kConfigManagerEnum, number);
    if (!KeyExists(HKEY_DYN_DATA, entry)) return WriteRegistryText(HKEY_DYN_DATA, entry, "HardWareKey", hardwareKey);
  }
  return FALSE;
}

// The device's driver: an existing "Driver" keeps its class key, else the first free "MONITOR\\NNNN".
BOOL ChooseDriver(LPCSTR devicePath, LPSTR driver, DWORD size) {
  if (ReadRegistryText(HKEY_LOCAL_MACHINE, devicePath, "Driver", driver, size) && driver[0]) return TRUE;
  char classPath[MAX_PATH];
  for (int number = 0; number <= 9999; ++number) {
    wsprintfA(driver, "MONITOR\\%04d", number);
    wsprintfA(classPath, "%s%s", kClassRoot, driver);
    if (!KeyExists(HKEY_LOCAL_MACHINE, classPath)) return TRUE;
  }
  return FALSE;
}

BOOL WriteDeviceKey(LPCSTR devicePath, const MONITOR_MODEL* model, LPCSTR driver) {
  char hardwareId[80];
  if (!ReadRegistryText(HKEY_LOCAL_MACHINE, devicePath, "HardwareID", hardwareId, sizeof hardwareId) ||
      !hardwareId[0])
    lstrcpyA(hardwareId, "Monitor\\Default");
  return WriteRegistryText(HKEY_LOCAL_MACHINE, devicePath, "Class", "Monitor") &&
         WriteRegistryText(HKEY_LOCAL_MACHINE, devicePath, "DeviceDesc", model->model) &&
         WriteRegistryText(HKEY_LOCAL_MACHINE, devicePath, "Mfg", model->manufacturer) &&
         WriteRegistryText(HKEY_LOCAL_MACHINE, devicePath, "HardwareID", hardwareId) &&
         WriteRegistryText(HKEY_LOCAL_MACHINE, devicePath, "Driver", driver);
}

BOOL WriteClassKey(LPCSTR driver, const MONITOR_MODEL* model) {
  char classPath[MAX_PATH];
  char resolution[32];
  if (lstrlenA(kClassRoot) + lstrlenA(driver) >= MAX_PATH) return FALSE;
  wsprintfA(classPath, "%s%s", kClassRoot, driver);
  wsprintfA(resolution, "%d,%d", model->maxWidth, model->maxHeight);
  return WriteRegistryText(HKEY_LOCAL_MACHINE, classPath, "DriverDesc", model->model) &&
         WriteRegistryText(HKEY_LOCAL_MACHINE, classPath, "MaxResolution", resolution) &&
         WriteRegistryText(HKEY_LOCAL_MACHINE, classPath, "ProviderName", model->manufacturer) &&
         WriteRegistryText(HKEY_LOCAL_MACHINE, classPath, "DPMS", model->dpms ? "1" : "0");
}

}  // namespace

BOOL GetMonitorDescription(LPSTR buffer, DWORD size) {
  char devicePath[1024];
  char driver[256];
  char classPath[MAX_PATH];
  if (FindMonitorDeviceKey(devicePath, sizeof devicePath) &&
      ReadRegistryText(HKEY_LOCAL_MACHINE, devicePath, "Driver", driver, sizeof driver) && driver[0] &&
      lstrlenA(kClassRoot) + lstrlenA(driver) < MAX_PATH) {
    wsprintfA(classPath, "%s%s", kClassRoot, driver);
    if (ReadRegistryText(HKEY_LOCAL_MACHINE, classPath, "DriverDesc", buffer, size) && buffer[0]) return TRUE;
  }
  LoadStringA(g_hinstDesk, IDS_UNKNOWN_MONITOR, buffer, static_cast<int>(size));
  return FALSE;
}

BOOL WriteMonitorType(const MONITOR_MODEL* model) {
  char devicePath[1024];
  if (!FindMonitorDeviceKey(devicePath, sizeof devicePath)) {
    wsprintfA(devicePath, "Enum\\%s", kNewDevice);
    if (!ListNewDevice(kNewDevice)) return FALSE;
  }
  char driver[256];
  return ChooseDriver(devicePath, driver, sizeof driver) && WriteDeviceKey(devicePath, model, driver) &&
         WriteClassKey(driver, model);
}
