// The host's control API: what tests, stand-ins and the `ovx` command use to
// run a station. Deliverables never include this header.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace host {

struct StationConfig {
  std::string root;                // host folder holding drive C: and the registry
  bool realClock = false;          // a person runs the station: timers follow real time
  DWORD version = 0xC3B60004;      // GetVersion: Windows 95 (build 950, high bit set)
  std::string moduleDir;           // build's module folder; empty: $OVX_MODULE_DIR
};

// Boots the one station of this OS process: lays out a missing drive C:
// (Windows folder, system.ini, win.ini), loads the registry, and makes the
// calling thread the first thread of the station's boot process.
void BootStation(const StationConfig& config);
// Ends every hosted program, detaches every module, saves the registry.
void ShutdownStation();
bool IsStationBooted();
const StationConfig& CurrentStationConfig();

// Host path of a Windows path inside the station (no check that it exists).
std::string HostPath(const std::string& windowsPath);

// Station clock: GetTickCount, Sleep and timers. A virtual clock moves only
// when told to (or by Sleep on it); a real one follows the host's clock.
DWORD ClockNow();
void AdvanceClock(DWORD milliseconds);

// OutputDebugStringA, captured per station in order.
std::vector<std::string> DebugOutput();
void ClearDebugOutput();

// MessageBeep types in the order they sounded.
std::vector<UINT> Beeps();
void ClearBeeps();

// FatalExit calls this handler with the exit code. A handler that returns
// lets the host end the calling hosted thread; tests usually throw.
void SetFatalExitHandler(std::function<void(int exitCode)> handler);

// Installs a module of the build's module folder as a file in the station
// (a link), e.g. ("OVXMON.DLL", "c:\\WINDOWS\\SYSTEM").
bool InstallModule(const std::string& fileName, const std::string& windowsFolder);

// Runs a program module (its WinMain) as a new hosted process on a thread of
// its own, as WinExec would. Returns the process id, 0 on failure.
DWORD StartProgram(const std::string& commandLine, int showCommand = SW_SHOWNORMAL);
// Waits until the hosted process ended; returns its exit code (STILL_ACTIVE on time-out).
DWORD WaitForProgram(DWORD processId, DWORD timeoutMs = INFINITE);

// Station lifetime hooks for host subsystems (registry, adapter, window
// manager): boot in ascending order, shutdown in descending order.
void RegisterStationHook(int order, std::function<void()> onBoot, std::function<void()> onShutdown);

}  // namespace host
