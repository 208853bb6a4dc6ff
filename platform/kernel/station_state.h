// The kernel's view of the station: root folder, processes and threads.
#pragma once

#include <host/station.h>

#include <map>
#include <mutex>
#include <string>

namespace host::kernel {

struct Module;

// A hosted process: a program run inside the station (or the boot process
// that the test or `ovx` thread belongs to).
struct Process {
  DWORD id = 0;
  std::string imagePath;    // Windows path of the program module
  std::string commandLine;  // as GetCommandLineA returns it
  std::string currentDirectory;  // Windows path, e.g. "C:\\WINDOWS"
  Module* exe = nullptr;
  std::map<Module*, int> moduleReferences;  // LoadLibraryA counts in this process
};

// The hosted process of the calling thread; a thread the station did not
// start belongs to the boot process.
Process& CurrentProcess();
DWORD CurrentThreadId();

// Guards the kernel's shared tables.
std::recursive_mutex& KernelLock();

// The station's Windows folder as a Windows path, "C:\\WINDOWS".
inline constexpr const char* kWindowsDirectory = "C:\\WINDOWS";
inline constexpr const char* kSystemDirectory = "C:\\WINDOWS\\SYSTEM";

}  // namespace host::kernel

namespace host::kernel {
// Host folder of the station and of its drive C: ("<root>/c").
const std::string& StationRootFolder();
std::string DriveCFolder();
}  // namespace host::kernel
