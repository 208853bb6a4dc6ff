// Kernel object handles shared by the kernel's parts: files, mappings,
// threads, processes, events and find searches all live in one table.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

namespace host::kernel {

struct KernelObject {
  virtual ~KernelObject() = default;
};

// A new handle for the object; handles are never reused within a station, so
// a stale handle is always refused.
HANDLE AddHandle(std::shared_ptr<KernelObject> object);
std::shared_ptr<KernelObject> LookupHandle(HANDLE handle);
template <class T>
std::shared_ptr<T> LookupHandleAs(HANDLE handle) {
  return std::dynamic_pointer_cast<T>(LookupHandle(handle));
}
// Removes the handle; false (and ERROR_INVALID_HANDLE) for an unknown one.
bool RemoveHandle(HANDLE handle);
void ClearHandles();

}  // namespace host::kernel
