#include "station_layout.h"

#include "control_panel_tour.h"
#include "controls_tour.h"
#include "dialog_tour.h"
#include "database_commands.h"
#include "window_tour.h"

#include <adapter_tour.h>
#include <host/adapter.h>
#include <host/gdi.h>
#include <host/station.h>
#include <tour.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace ovx {
namespace {

// Registry keys a fresh installation of the utilities creates.
const char* const kInstalledKeys[] = {
    "SOFTWARE\\Orvane\\Deskforge",
    "SOFTWARE\\Orvane\\Deskforge\\Current Settings",
    "SOFTWARE\\Orvane\\Deskforge\\Schemes",
    "SOFTWARE\\Orvane\\Panovue",
};

constexpr const char* kInstallFolder = "C:\\Program Files\\Orvane OVX Deskforge";
constexpr const char* kMonitorFolder = "C:\\Program Files\\Orvane OVX Deskforge\\Mon";

bool SetText(HKEY key, const char* name, const std::string& text) {
  // Texts are stored with their length and without the terminating NUL.
  return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.data()),
                        static_cast<DWORD>(text.size())) == ERROR_SUCCESS;
}

bool WriteInstalledRegistry() {
  for (const char* path : kInstalledKeys) {
    HKEY key;
    DWORD disposition;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, &disposition) !=
        ERROR_SUCCESS)
      return false;
    RegCloseKey(key);
  }
  HKEY deskforge;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kInstalledKeys[0], 0, KEY_ALL_ACCESS, &deskforge) != ERROR_SUCCESS)
    return false;
  DWORD type, size = 0;
  bool ok = true;
  if (RegQueryValueExA(deskforge, "OVXINFpath", nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
    ok = SetText(deskforge, "OVXINFpath", kMonitorFolder);
  RegCloseKey(deskforge);
  return ok;
}

bool CreateFolders() {
  for (const char* folder : {"C:\\Program Files", kInstallFolder, kMonitorFolder})
    if (!CreateDirectoryA(folder, nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return false;
  return true;
}

// Modules of Windows' own (the Display control panel) and of the utilities, each where its installation puts it.
struct ShippedModule {
  const char* file;
  const char* folder;
};
constexpr ShippedModule kShippedModules[] = {
    {"CONTROL.EXE", "C:\\WINDOWS"},
    {"DESK.CPL", "C:\\WINDOWS\\SYSTEM"},
    {"CLRCPL.DLL", "C:\\WINDOWS\\SYSTEM"},
    {"M_COLOR.DLL", "C:\\WINDOWS\\SYSTEM"},
};
constexpr const char* kColourPageServer = "C:\\WINDOWS\\SYSTEM\\CLRCPL.DLL";
constexpr const char* kBackgroundPicture = "C:\\WINDOWS\\ovxbkgnd.bmp";

bool InstallShippedModules() {
  bool ok = true;
  for (const ShippedModule& module : kShippedModules) {
    if (host::InstallModule(module.file, module.folder)) continue;
    std::fprintf(stderr, "ovx: %s is not in the build's modules\n", module.file);
    ok = false;
  }
  return ok;
}

// As the installer does: loads the server and asks it to register itself, so the Display control panel
// offers the Colour page.
bool RegisterColourPage() {
  HMODULE server = LoadLibraryA(kColourPageServer);
  if (!server) return false;
  using RegisterProc = HRESULT(WINAPI*)();
  auto registerServer = reinterpret_cast<RegisterProc>(GetProcAddress(server, "DllRegisterServer"));
  HRESULT result = registerServer ? registerServer() : E_FAIL;
  FreeLibrary(server);
  if (FAILED(result)) std::fprintf(stderr, "ovx: CLRCPL.DLL did not register (0x%08lx)\n", result);
  return SUCCEEDED(result);
}

// The shipped background picture, unless the station already has one (a user's own is kept).
bool InstallBackgroundPicture() {
  fs::path target = host::HostPath(kBackgroundPicture);
  std::error_code error;
  if (fs::exists(target, error)) return true;
  fs::copy_file(fs::path(OVX_DATA_DIR) / "ovxbkgnd.bmp", target, error);
  if (error) std::fprintf(stderr, "ovx: the background picture was not installed: %s\n", error.message().c_str());
  return !error;
}

void PrintTree(const fs::path& folder, const fs::path& root, int depth) {
  std::vector<fs::directory_entry> entries{fs::directory_iterator(folder), fs::directory_iterator()};
  std::sort(entries.begin(), entries.end());
  for (auto& entry : entries) {
    std::printf("%*s%s%s\n", depth * 2, "", entry.path().filename().string().c_str(),
                entry.is_directory() ? "\\" : "");
    if (entry.is_directory() && !entry.is_symlink()) PrintTree(entry.path(), root, depth + 1);
  }
}

// Boots the default station of a command in `root`, or in a new temporary folder (written to `root`) when
// it is empty.
bool BootCommandStation(std::string& root, const std::string& command) {
  if (root.empty()) {
    std::string pattern = "/tmp/ovx-" + command + "-XXXXXX";
    if (!mkdtemp(pattern.data())) return false;
    root = pattern;
  }
  std::error_code error;
  fs::create_directories(root, error);
  if (BootDefaultStation(root)) return true;
  std::fprintf(stderr, "ovx: the station did not boot\n");
  if (host::IsStationBooted()) host::ShutdownStation();
  return false;
}

}  // namespace

void PrintRegistryKey(HKEY parent, const std::string& path, int depth) {
  HKEY key;
  if (RegOpenKeyExA(parent, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return;
  std::printf("%*s[%s]\n", depth * 2, "", path.c_str());
  for (DWORD i = 0;; ++i) {
    char name[256];
    BYTE data[1024];
    DWORD nameSize = sizeof name, dataSize = sizeof data, type;
    if (RegEnumValueA(key, i, name, &nameSize, nullptr, &type, data, &dataSize) != ERROR_SUCCESS) break;
    if (type == REG_SZ)
      std::printf("%*s\"%s\" = \"%.*s\"\n", depth * 2 + 2, "", name, static_cast<int>(dataSize), data);
    else if (type == REG_DWORD && dataSize == 4)
      std::printf("%*s\"%s\" = dword:%08lx\n", depth * 2 + 2, "", name,
                  static_cast<unsigned long>(data[0] | data[1] << 8 | data[2] << 16 | (DWORD)data[3] << 24));
    else
      std::printf("%*s\"%s\" = (type %lu, %lu bytes)\n", depth * 2 + 2, "", name, type, dataSize);
  }
  for (DWORD i = 0;; ++i) {
    char name[256];
    if (RegEnumKeyA(key, i, name, sizeof name) != ERROR_SUCCESS) break;
    PrintRegistryKey(key, name, depth + 1);
  }
  RegCloseKey(key);
}

bool BootDefaultStation(const std::string& root) {
  host::StationConfig config;
  config.root = root;
  config.realClock = true;
  if (!std::getenv("OVX_MODULE_DIR")) config.moduleDir = OVX_BUILD_MODULE_DIR;
  host::BootStation(config);
  return CreateFolders() && WriteInstalledRegistry() &&
         InstallShippedMonitorDatabase(std::string(OVX_DATA_DIR) + "/OVX.MON", kMonitorFolder) &&
         InstallShippedModules() && RegisterColourPage() && InstallBackgroundPicture();
}

int InitStationCommand(const std::string& root, const std::string& adapter) {
  std::error_code error;
  fs::create_directories(root, error);
  bool ok = BootDefaultStation(root);
  std::string why;
  bool adapterOk = !ok || adapter.empty() || host::adapter::UseConfig(adapter, &why);
  host::ShutdownStation();
  if (!ok) {
    std::fprintf(stderr, "ovx: could not lay out the station in %s\n", root.c_str());
    return 1;
  }
  if (!adapterOk) {
    std::fprintf(stderr, "ovx: adapter: %s\n", why.c_str());
    return 1;
  }
  std::printf("station laid out in %s\n", root.c_str());
  if (!adapter.empty()) std::printf("adapter: %s\n", adapter.c_str());
  return 0;
}

int TourCommand(const std::string& outDir) {
  std::string root = outDir;
  bool temporary = root.empty();
  if (!BootCommandStation(root, "tour")) return 1;
  std::printf("== station %s\n", root.c_str());
  std::printf("\n== drive C:\n");
  PrintTree(fs::path(root) / "c", fs::path(root) / "c", 1);
  std::printf("\n== registry, HKEY_LOCAL_MACHINE\\SOFTWARE\\Orvane\n");
  PrintRegistryKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Orvane", 1);
  std::printf("\n== adapter\n");
  std::fflush(stdout);
  driver::PrintAdapterTour(stdout);
  PrintMonitorDatabaseTour(kMonitorFolder, stdout);
  PrintModeFileTour(kMonitorFolder, "(Standard monitor types)", "Super VGA 1024x768", stdout);
  std::printf("\n== windows\n");
  std::fflush(stdout);
  WindowTour((fs::path(root) / "tour-window.png").string(), stdout);
  std::printf("\n== colour model\n");
  std::fflush(stdout);
  if (colour::ColourModelTour(stdout) != 0) std::printf("(the display takes no gamma ramps)\n");
  std::printf("\n== common controls\n");
  std::fflush(stdout);
  ControlsTour((fs::path(root) / "common_controls.png").string(), stdout);
  std::fflush(stdout);
  std::printf("\n== dialog\n");
  DialogTour(root, stdout);
  std::printf("\n== Display control panel\n");
  std::fflush(stdout);
  ControlPanelTour(root, stdout);
  if (temporary) std::printf("(the screenshots go with the temporary station; keep it with --out DIR)\n");
  std::fflush(stdout);
  host::ShutdownStation();
  if (temporary) fs::remove_all(root);
  return 0;
}

int RunCommand(const std::string& root, const std::string& commandLine, int seconds, const std::string& screenshot) {
  std::string station = root;
  bool temporary = station.empty();
  if (!BootCommandStation(station, "run")) return 1;
  int result = 0;
  UINT started = WinExec(commandLine.c_str(), SW_SHOWNORMAL);
  if (started <= 31) {
    std::fprintf(stderr, "ovx: \"%s\" did not start (WinExec answered %u)\n", commandLine.c_str(), started);
    result = 1;
  } else {
    std::printf("started \"%s\" in station %s\n", commandLine.c_str(), station.c_str());
    // The program runs on its own threads; this one only watches the clock.
    Sleep(static_cast<DWORD>(seconds) * 1000);
    if (!screenshot.empty()) {
      if (host::gdi::SaveScreenshot(screenshot))
        std::printf("screenshot: %s\n", screenshot.c_str());
      else
        std::fprintf(stderr, "ovx: could not write %s\n", screenshot.c_str()), result = 1;
    }
  }
  std::fflush(stdout);
  host::ShutdownStation();  // ends what still runs, as switching the machine off would
  if (temporary) fs::remove_all(station);
  return result;
}

}  // namespace ovx
