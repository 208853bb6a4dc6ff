// The station's one table of kernel object handles, and the thread's last error.
#include "kernel/kernel_objects.h"
#include "kernel/station_state.h"

#include <map>

namespace host::kernel {
namespace {

struct HandleTable {
  std::map<ULONG_PTR, std::shared_ptr<KernelObject>> objects;
  // Handles grow by 4 as on Win32 and are never reused, so stale ones fail.
  ULONG_PTR next = 0x100;
};

HandleTable& Table() {
  static HandleTable table;
  return table;
}

}  // namespace

HANDLE AddHandle(std::shared_ptr<KernelObject> object) {
  std::lock_guard lock(KernelLock());
  ULONG_PTR value = Table().next;
  Table().next += 4;
  Table().objects[value] = std::move(object);
  return reinterpret_cast<HANDLE>(value);
}

std::shared_ptr<KernelObject> LookupHandle(HANDLE handle) {
  std::lock_guard lock(KernelLock());
  auto found = Table().objects.find(reinterpret_cast<ULONG_PTR>(handle));
  return found == Table().objects.end() ? nullptr : found->second;
}

bool RemoveHandle(HANDLE handle) {
  std::shared_ptr<KernelObject> last;  // released outside the lock
  {
    std::lock_guard lock(KernelLock());
    auto found = Table().objects.find(reinterpret_cast<ULONG_PTR>(handle));
    if (found == Table().objects.end()) return false;
    last = std::move(found->second);
    Table().objects.erase(found);
  }
  return true;
}

void ClearHandles() {
  std::map<ULONG_PTR, std::shared_ptr<KernelObject>> old;
  {
    std::lock_guard lock(KernelLock());
    old.swap(Table().objects);
  }
}

namespace {
thread_local DWORD tLastError = ERROR_SUCCESS;
}

}  // namespace host::kernel

extern "C" {

BOOL WINAPI CloseHandle(HANDLE hObject) {
  if (!host::kernel::RemoveHandle(hObject)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return TRUE;
}

DWORD WINAPI GetLastError(void) { return host::kernel::tLastError; }

void WINAPI SetLastError(DWORD dwErrCode) { host::kernel::tLastError = dwErrCode; }

}  // extern "C"
