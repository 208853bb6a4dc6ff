// File mappings and named shared memory. A view is a MAP_SHARED mapping of
// the file's descriptor (or of a memfd for shared memory), so every view of
// one object, and ReadFile/WriteFile on the file, see the same bytes.
#define _FILE_OFFSET_BITS 64

#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <map>

#include "kernel/paths.h"
#include "kernel/station_state.h"

namespace host::kernel {
namespace {

// The mapping object itself, shared by its handles and kept by its views.
struct Section {
  std::shared_ptr<FileObject> file;  // null for shared memory
  int memoryFd = -1;                 // shared memory's memfd
  std::uint64_t size = 0;
  bool writable = false;     // PAGE_READWRITE
  bool copyOnWrite = false;  // PAGE_WRITECOPY
  int fd() const { return file ? file->fd() : memoryFd; }
  ~Section() {
    if (memoryFd >= 0) close(memoryFd);
  }
};

// One handle to a section, with the access it was opened for.
struct MappingHandle : KernelObject {
  std::shared_ptr<Section> section;
  DWORD access = 0;
};

struct View {
  std::shared_ptr<Section> section;
  void* mapBase = nullptr;  // page-aligned start handed to mmap
  size_t mapLength = 0;
  char* address = nullptr;  // what MapViewOfFile returned
  size_t length = 0;
};

// Named sections of the station (guarded by KernelLock); a name lives as long as its section.
std::map<std::string, std::weak_ptr<Section>>& Names() {
  static auto* names = new std::map<std::string, std::weak_ptr<Section>>;
  return *names;
}

std::mutex& ViewsLock() {
  static auto* lock = new std::mutex;
  return *lock;
}

// Views by the address MapViewOfFile returned (guarded by ViewsLock).
std::map<const char*, View>& Views() {
  static auto* views = new std::map<const char*, View>;
  return *views;
}

HANDLE FailHandle(DWORD error) {
  SetLastError(error);
  return nullptr;
}

BOOL Fail(DWORD error) {
  SetLastError(error);
  return FALSE;
}

DWORD HandleAccessFor(const Section& section) {
  return section.writable ? FILE_MAP_ALL_ACCESS : FILE_MAP_READ | FILE_MAP_COPY;
}

HANDLE NewMappingHandle(std::shared_ptr<Section> section, DWORD access) {
  auto handle = std::make_shared<MappingHandle>();
  handle->section = std::move(section);
  handle->access = access;
  return AddHandle(handle);
}

// A section of an open file. A size beyond the file's end grows the file.
std::shared_ptr<Section> FileSection(HANDLE hFile, bool writable, bool copyOnWrite, std::uint64_t size, DWORD& error) {
  auto file = LookupHandleAs<FileObject>(hFile);
  if (!file) {
    error = ERROR_INVALID_HANDLE;
    return nullptr;
  }
  if (!file->canRead() || (writable && !file->canWrite())) {
    error = ERROR_ACCESS_DENIED;
    return nullptr;
  }
  struct stat info;
  if (fstat(file->fd(), &info) != 0) {
    error = ErrorFromErrno(errno);
    return nullptr;
  }
  auto fileSize = static_cast<std::uint64_t>(info.st_size);
  if (size == 0) size = fileSize;
  if (size == 0) {
    error = ERROR_FILE_INVALID;
    return nullptr;
  }
  if (size > fileSize) {
    if (!writable) {
      error = ERROR_ACCESS_DENIED;  // only a writable mapping may grow its file
      return nullptr;
    }
    if (ftruncate(file->fd(), static_cast<off_t>(size)) != 0) {
      error = ErrorFromErrno(errno);
      return nullptr;
    }
  }
  auto section = std::make_shared<Section>();
  section->file = std::move(file);
  section->size = size;
  section->writable = writable;
  section->copyOnWrite = copyOnWrite;
  return section;
}

std::shared_ptr<Section> MemorySection(bool writable, bool copyOnWrite, std::uint64_t size, DWORD& error) {
  if (size == 0) {
    error = ERROR_INVALID_PARAMETER;
    return nullptr;
  }
  if (size > 0xFFFFFFFFull) {
    error = ERROR_NOT_ENOUGH_MEMORY;  // more than a 32-bit process could ever map
    return nullptr;
  }
  int fd = memfd_create("ovx-shared-memory", MFD_CLOEXEC);
  if (fd < 0 || ftruncate(fd, static_cast<off_t>(size)) != 0) {
    error = ErrorFromErrno(errno);
    if (fd >= 0) close(fd);
    return nullptr;
  }
  auto section = std::make_shared<Section>();
  section->memoryFd = fd;
  section->size = size;
  section->writable = writable;
  section->copyOnWrite = copyOnWrite;
  return section;
}

// The view containing `address`, under ViewsLock.
std::map<const char*, View>::iterator FindView(const void* address) {
  auto& views = Views();
  const char* at = static_cast<const char*>(address);
  auto found = views.upper_bound(at);
  if (found == views.begin()) return views.end();
  --found;
  if (at >= found->second.address + found->second.length) return views.end();
  return found;
}

void UnmapView(View& view) {
  munmap(view.mapBase, view.mapLength);
  if (view.section->file) view.section->file->RemoveMappedView();
}

// A file may have been cut (while no view existed) below its section's
// size; pages past its end would fault, so give them back to the file.
DWORD EnsureFileCovers(const Section& section, std::uint64_t end) {
  if (!section.file) return ERROR_SUCCESS;
  struct stat info;
  if (fstat(section.fd(), &info) != 0) return ErrorFromErrno(errno);
  if (static_cast<std::uint64_t>(info.st_size) >= end) return ERROR_SUCCESS;
  if (!section.file->canWrite()) return ERROR_ACCESS_DENIED;
  if (ftruncate(section.fd(), static_cast<off_t>(section.size)) != 0) return ErrorFromErrno(errno);
  return ERROR_SUCCESS;
}

// Station shutdown: every view goes and no name survives into the next station.
void ForgetAllMappings() {
  std::map<const char*, View> views;
  {
    std::lock_guard lock(ViewsLock());
    views.swap(Views());
  }
  for (auto& [address, view] : views) UnmapView(view);
  std::lock_guard lock(KernelLock());
  Names().clear();
}

[[maybe_unused]] const bool kHookRegistered = [] {
  RegisterStationHook(1, ForgetAllMappings, ForgetAllMappings);
  return true;
}();

}  // namespace
}  // namespace host::kernel

using namespace host::kernel;

extern "C" {

HANDLE WINAPI CreateFileMappingA(HANDLE hFile, LPSECURITY_ATTRIBUTES lpAttributes, DWORD flProtect,
                                 DWORD dwMaximumSizeHigh, DWORD dwMaximumSizeLow, LPCSTR lpName) {
  (void)lpAttributes;
  bool writable = false, copyOnWrite = false;
  switch (flProtect & 0xFF) {  // the SEC_ flags above do not change anything here
    case PAGE_READONLY:
      break;
    case PAGE_READWRITE:
      writable = true;
      break;
    case PAGE_WRITECOPY:
      copyOnWrite = true;
      break;
    default:
      return FailHandle(ERROR_INVALID_PARAMETER);
  }
  std::uint64_t size = (static_cast<std::uint64_t>(dwMaximumSizeHigh) << 32) | dwMaximumSizeLow;
  std::string name = lpName ? lpName : "";

  std::lock_guard lock(KernelLock());  // the name is looked up and taken at once
  if (!name.empty()) {
    auto found = Names().find(name);
    if (found != Names().end()) {
      if (auto existing = found->second.lock()) {
        // The existing object, at its own size, whatever was asked for.
        HANDLE handle = NewMappingHandle(existing, HandleAccessFor(*existing));
        SetLastError(ERROR_ALREADY_EXISTS);
        return handle;
      }
    }
  }
  DWORD error = ERROR_SUCCESS;
  auto section = hFile == INVALID_HANDLE_VALUE ? MemorySection(writable, copyOnWrite, size, error)
                                               : FileSection(hFile, writable, copyOnWrite, size, error);
  if (!section) return FailHandle(error);
  if (!name.empty()) Names()[name] = section;
  HANDLE handle = NewMappingHandle(section, HandleAccessFor(*section));
  SetLastError(ERROR_SUCCESS);
  return handle;
}

HANDLE WINAPI OpenFileMappingA(DWORD dwDesiredAccess, BOOL bInheritHandle, LPCSTR lpName) {
  (void)bInheritHandle;
  if (!lpName || !*lpName) return FailHandle(ERROR_INVALID_PARAMETER);
  std::lock_guard lock(KernelLock());
  auto found = Names().find(lpName);
  std::shared_ptr<Section> section = found == Names().end() ? nullptr : found->second.lock();
  if (!section) return FailHandle(ERROR_FILE_NOT_FOUND);
  if ((dwDesiredAccess & FILE_MAP_WRITE) && !section->writable) return FailHandle(ERROR_ACCESS_DENIED);
  return NewMappingHandle(section, dwDesiredAccess);
}

LPVOID WINAPI MapViewOfFile(HANDLE hFileMappingObject, DWORD dwDesiredAccess, DWORD dwFileOffsetHigh,
                            DWORD dwFileOffsetLow, SIZE_T dwNumberOfBytesToMap) {
  auto handle = LookupHandleAs<MappingHandle>(hFileMappingObject);
  if (!handle) return FailHandle(ERROR_INVALID_HANDLE);
  const Section& section = *handle->section;
  // FILE_MAP_COPY shares its bit with FILE_MAP_ALL_ACCESS: only on its own does it mean copy-on-write.
  bool copy = dwDesiredAccess == FILE_MAP_COPY;
  bool write = !copy && (dwDesiredAccess & FILE_MAP_WRITE);
  bool read = copy || (dwDesiredAccess & (FILE_MAP_READ | FILE_MAP_WRITE));
  if (!read) return FailHandle(ERROR_INVALID_PARAMETER);
  if (write && (!section.writable || !(handle->access & FILE_MAP_WRITE))) return FailHandle(ERROR_ACCESS_DENIED);
  if (!write && !copy && !(handle->access & (FILE_MAP_READ | FILE_MAP_WRITE))) return FailHandle(ERROR_ACCESS_DENIED);

  std::uint64_t offset = (static_cast<std::uint64_t>(dwFileOffsetHigh) << 32) | dwFileOffsetLow;
  if (offset >= section.size) return FailHandle(ERROR_ACCESS_DENIED);
  std::uint64_t length = dwNumberOfBytesToMap ? dwNumberOfBytesToMap : section.size - offset;
  if (length > section.size - offset) return FailHandle(ERROR_ACCESS_DENIED);
  if (DWORD error = EnsureFileCovers(section, offset + length)) return FailHandle(error);

  auto pageSize = static_cast<std::uint64_t>(sysconf(_SC_PAGESIZE));
  std::uint64_t mapOffset = offset - offset % pageSize;
  std::uint64_t mapLength = length + (offset - mapOffset);
  if (mapLength > SIZE_MAX) return FailHandle(ERROR_NOT_ENOUGH_MEMORY);
  int protection = PROT_READ | (write || copy ? PROT_WRITE : 0);
  void* base = mmap(nullptr, static_cast<size_t>(mapLength), protection, copy ? MAP_PRIVATE : MAP_SHARED, section.fd(),
                    static_cast<off_t>(mapOffset));
  if (base == MAP_FAILED) return FailHandle(errno == ENOMEM ? ERROR_NOT_ENOUGH_MEMORY : ErrorFromErrno(errno));

  View view;
  view.section = handle->section;
  view.mapBase = base;
  view.mapLength = static_cast<size_t>(mapLength);
  view.address = static_cast<char*>(base) + (offset - mapOffset);
  view.length = static_cast<size_t>(length);
  if (section.file) section.file->AddMappedView();
  std::lock_guard lock(ViewsLock());
  Views()[view.address] = view;
  return view.address;
}

BOOL WINAPI FlushViewOfFile(LPCVOID lpBaseAddress, SIZE_T dwNumberOfBytesToFlush) {
  std::lock_guard lock(ViewsLock());
  auto found = FindView(lpBaseAddress);
  if (found == Views().end()) return Fail(ERROR_INVALID_ADDRESS);
  const View& view = found->second;
  const char* start = static_cast<const char*>(lpBaseAddress);
  size_t rest = static_cast<size_t>(view.address + view.length - start);
  size_t count = dwNumberOfBytesToFlush == 0 || dwNumberOfBytesToFlush > rest ? rest : dwNumberOfBytesToFlush;
  auto pageSize = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
  auto first = reinterpret_cast<uintptr_t>(start) & ~(pageSize - 1);
  size_t span = static_cast<size_t>(reinterpret_cast<uintptr_t>(start) + count - first);
  if (msync(reinterpret_cast<void*>(first), span, MS_SYNC) != 0) return Fail(ErrorFromErrno(errno));
  return TRUE;
}

BOOL WINAPI UnmapViewOfFile(LPCVOID lpBaseAddress) {
  View view;
  {
    std::lock_guard lock(ViewsLock());
    auto found = FindView(lpBaseAddress);
    if (found == Views().end()) return Fail(ERROR_INVALID_ADDRESS);
    view = std::move(found->second);
    Views().erase(found);
  }
  UnmapView(view);
  return TRUE;  // the section (and with it the file) goes when `view` does, unless handles remain
}

}  // extern "C"
