#include "hwpl32_fixture.h"

namespace hwpl32::testing {

HostedProcess::HostedProcess(const char* name) {
  process_ = host::kernel::NewProcess(std::string("C:\\WINDOWS\\") + name, name);
  host::kernel::StartThread(
      process_,
      [this] {
        std::unique_lock lock(lock_);
        for (;;) {
          changed_.wait(lock, [&] { return task_ || ending_; });
          if (!task_) return 0;
          task_();
          task_ = nullptr;
          changed_.notify_all();
        }
      },
      false);
}

void HostedProcess::Run(std::function<void()> task) {
  std::unique_lock lock(lock_);
  task_ = std::move(task);
  changed_.notify_all();
  changed_.wait(lock, [&] { return !task_; });
}

void HostedProcess::End() {
  if (ended_) return;
  {
    std::lock_guard lock(lock_);
    ending_ = true;
    changed_.notify_all();
  }
  host::WaitForProgram(process_->process.id, 20000);
  ended_ = true;
}

void Hwpl32Test::SetUp() {
  StationTest::SetUp();
  AcquireControl();
}

void Hwpl32Test::TearDown() {
  if (hwpl32_) FreeLibrary(hwpl32_);
  if (control_) control_->Reset();
  StationTest::TearDown();
}

void Hwpl32Test::Reboot() {
  StationTest::Reboot();
  hwpl32_ = nullptr;
  AcquireControl();
}

void Hwpl32Test::AcquireControl() {
  library16_ = LoadLibraryA("hwpl16.DLL");
  ASSERT_NE(library16_, nullptr);
  control_ = ProcAs<hwpl16::Control*(WINAPI*)()>(GetProcAddress(library16_, "Hwpl16Control"))();
  control_->Reset();
}

HMODULE Hwpl32Test::Load() {
  hwpl32_ = LoadLibraryA("hwpl32.DLL");
  return hwpl32_;
}

}  // namespace hwpl32::testing
