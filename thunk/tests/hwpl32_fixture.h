// A station with the recording 16-bit side (hwpl16.DLL) and hwpl32.DLL
// loaded by name, its exports fetched as a caller linked against it sees them.
#pragma once

#include <host/thunk16.h>
#include <host_testing/station_fixture.h>
#include <hwpl16_control.h>
#include <hwpl32.h>
#include <hwpl_blocks.h>
#include <windows.h>

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

#include "kernel/module_table.h"
#include "kernel/process_table.h"

namespace hwpl32::testing {

template <class Function>
Function ProcAs(FARPROC proc) {
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(proc));
}

// The calling process's references to KERNEL32.
inline int KernelReferences() {
  auto& references = host::kernel::CurrentProcess().moduleReferences;
  auto found = references.find(host::kernel::SystemModule());
  return found == references.end() ? 0 : found->second;
}

// A hosted process whose one thread runs what the test hands it, one task at
// a time, until End.
class HostedProcess {
 public:
  explicit HostedProcess(const char* name);
  ~HostedProcess() { End(); }
  void Run(std::function<void()> task);
  // Ends the process; its modules are detached as it ends.
  void End();

 private:
  std::shared_ptr<host::kernel::ProcessState> process_;
  std::mutex lock_;
  std::condition_variable changed_;
  std::function<void()> task_;
  bool ending_ = false;
  bool ended_ = false;
};

class Hwpl32Test : public host::testing::StationTest {
 public:
  void SetUp() override;
  void TearDown() override;
  // A reboot unloads both libraries with the station's processes.
  void Reboot();

  // Loads hwpl32.DLL in the calling process; the handle.
  HMODULE Load();
  template <class Function>
  Function Export(const char* name) {
    return ProcAs<Function>(GetProcAddress(hwpl32_, name));
  }

  hwpl16::Control* control_ = nullptr;
  HMODULE hwpl32_ = nullptr;

 private:
  void AcquireControl();
  HMODULE library16_ = nullptr;
};

// An export of hwpl32 with its declared type.
#define HWPL32(name) Export<decltype(&name)>(#name)

}  // namespace hwpl32::testing
