// The station: one simulated workstation per OS process. Boot lays out a
// missing drive C:, runs the subsystems' boot hooks (registry, adapter,
// window manager) and makes the calling thread the boot process's first thread.
#include "kernel/kernel_objects.h"
#include "kernel/process_table.h"
#include "kernel/station_state.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <thread>

namespace fs = std::filesystem;

namespace host {
namespace {

struct Hook {
  int order;
  std::function<void()> onBoot;
  std::function<void()> onShutdown;
};

std::vector<Hook>& Hooks() {
  static std::vector<Hook> hooks;
  return hooks;
}

struct StationData {
  bool booted = false;
  StationConfig config;
  // Virtual clock in milliseconds; the real clock counts from boot.
  DWORD virtualNow = 0x10000;
  std::chrono::steady_clock::time_point realStart;
  std::vector<std::string> debugOutput;
  std::vector<UINT> beeps;
  std::function<void(int)> fatalExitHandler;
};

StationData& Station() {
  static StationData data;
  return data;
}

void WriteIfMissing(const fs::path& file, const char* text) {
  if (fs::exists(file)) return;
  std::ofstream(file, std::ios::binary) << text;
}

// What a fresh Windows 95 installation has in its Windows folder.
void LayOutDriveC(const std::string& root) {
  fs::path windows = fs::path(root) / "c" / "WINDOWS";
  fs::create_directories(windows / "SYSTEM");
  WriteIfMissing(windows / "SYSTEM.INI",
                 "[boot]\r\nshell=Explorer.exe\r\ndisplay.drv=ovxdrv.drv\r\nmouse.drv=mouse.drv\r\n"
                 "\r\n[boot.description]\r\ndisplay.drv=Orvane OVX\r\n\r\n[386Enh]\r\n\r\n[drivers]\r\n");
  WriteIfMissing(windows / "WIN.INI",
                 "[windows]\r\nload=\r\nrun=\r\n\r\n[Desktop]\r\nWallpaper=(None)\r\nTileWallpaper=0\r\n");
}

}  // namespace

void RegisterStationHook(int order, std::function<void()> onBoot, std::function<void()> onShutdown) {
  auto& hooks = Hooks();
  hooks.push_back({order, std::move(onBoot), std::move(onShutdown)});
  std::stable_sort(hooks.begin(), hooks.end(), [](const Hook& a, const Hook& b) { return a.order < b.order; });
}

void BootStation(const StationConfig& config) {
  auto& station = Station();
  if (station.booted) throw std::logic_error("a station is already booted in this process");
  if (config.root.empty()) throw std::invalid_argument("a station needs a root folder");
  station = StationData{};
  station.config = config;
  station.config.root = fs::absolute(config.root).lexically_normal().string();
  if (station.config.moduleDir.empty()) {
    const char* dir = std::getenv("OVX_MODULE_DIR");
    if (dir) station.config.moduleDir = dir;
  }
  station.realStart = std::chrono::steady_clock::now();
  LayOutDriveC(station.config.root);
  station.booted = true;
  kernel::StartBootProcess();
  for (auto& hook : Hooks())
    if (hook.onBoot) hook.onBoot();
}

void ShutdownStation() {
  auto& station = Station();
  if (!station.booted) return;
  kernel::EndAllPrograms();
  for (auto it = Hooks().rbegin(); it != Hooks().rend(); ++it)
    if (it->onShutdown) it->onShutdown();
  kernel::EndBootProcess();
  kernel::ClearHandles();
  station.booted = false;
}

bool IsStationBooted() { return Station().booted; }

const StationConfig& CurrentStationConfig() { return Station().config; }

DWORD ClockNow() {
  auto& station = Station();
  std::lock_guard lock(kernel::KernelLock());
  if (!station.config.realClock) return station.virtualNow;
  auto elapsed = std::chrono::steady_clock::now() - station.realStart;
  return 0x10000 + static_cast<DWORD>(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
}

void AdvanceClock(DWORD milliseconds) {
  std::lock_guard lock(kernel::KernelLock());
  Station().virtualNow += milliseconds;
}

std::vector<std::string> DebugOutput() {
  std::lock_guard lock(kernel::KernelLock());
  return Station().debugOutput;
}

void ClearDebugOutput() {
  std::lock_guard lock(kernel::KernelLock());
  Station().debugOutput.clear();
}

std::vector<UINT> Beeps() {
  std::lock_guard lock(kernel::KernelLock());
  return Station().beeps;
}

void ClearBeeps() {
  std::lock_guard lock(kernel::KernelLock());
  Station().beeps.clear();
}

void SetFatalExitHandler(std::function<void(int)> handler) {
  std::lock_guard lock(kernel::KernelLock());
  Station().fatalExitHandler = std::move(handler);
}

namespace kernel {

std::recursive_mutex& KernelLock() {
  static std::recursive_mutex lock;
  return lock;
}

const std::string& StationRootFolder() { return Station().config.root; }

std::string DriveCFolder() { return Station().config.root + "/c"; }

void RecordBeep(UINT type) {
  std::lock_guard lock(KernelLock());
  Station().beeps.push_back(type);
}

std::function<void(int)> FatalExitHandler() {
  std::lock_guard lock(KernelLock());
  return Station().fatalExitHandler;
}

}  // namespace kernel
}  // namespace host

extern "C" {

DWORD WINAPI GetTickCount(void) { return host::ClockNow(); }

void WINAPI OutputDebugStringA(LPCSTR lpOutputString) {
  if (!lpOutputString) return;
  std::lock_guard lock(host::kernel::KernelLock());
  host::Station().debugOutput.emplace_back(lpOutputString);
  if (std::getenv("OVX_ECHO_DEBUG")) std::fputs(lpOutputString, stderr);
}

void WINAPI DebugBreak(void) { OutputDebugStringA("DebugBreak\n"); }

}  // extern "C"
