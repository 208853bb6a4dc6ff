// Windows paths inside the station, and the open files behind file handles.
// Drive C: is the folder <root>/c; each component is matched without regard
// to case, as on FAT.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "kernel/kernel_objects.h"

namespace host::kernel {

struct ResolvedPath {
  bool ok = false;
  DWORD error = ERROR_SUCCESS;  // why not, when !ok
  std::string windowsPath;      // full, normalised: "C:\\WINDOWS\\SYSTEM.INI"
  std::string hostPath;         // existing components in their stored case, the rest as given
  bool exists = false;
  bool isDirectory = false;  // when it exists
};

// Resolves a Windows path (absolute, relative to the process's current
// directory, or a bare name) to its host path. `..` never leaves the drive;
// longer than MAX_PATH fails with ERROR_FILENAME_EXCED_RANGE; a missing
// parent folder fails with ERROR_PATH_NOT_FOUND (hostPath is still filled).
// Wildcards and other characters FAT refuses fail with ERROR_INVALID_NAME.
ResolvedPath ResolveWindowsPath(const char* path);

// The lexical part of path handling, as GetFullPathNameA does it: no disk
// access and any drive letter.
struct WindowsPathParts {
  char drive = 'C';
  std::vector<std::string> components;
  bool trailingSeparator = false;
};
// False (with the Win32 error) for a path that is empty, too long or a UNC path.
bool ParseWindowsPath(const char* path, WindowsPathParts& parts, DWORD& error);
// "C:\\A\\B" (with a trailing backslash when the parts have one and are not the root).
std::string JoinWindowsPath(const WindowsPathParts& parts);
bool IsBareFileName(const char* path);  // no drive and no folder
bool EqualsIgnoringCase(const std::string& a, const std::string& b);
std::string CurrentDirectory();  // of the calling hosted process

// The Win32 error closest to a host errno value.
DWORD ErrorFromErrno(int error);

// Station-wide state of one host file while any handle, mapping or view
// has it open: the opens' access and share modes, and the mapped views.
struct FileNode;

// A file opened by CreateFileA. File mappings hold it too, so a file keeps
// its share restrictions until its last mapping is gone, as on Win32.
class FileObject : public KernelObject {
 public:
  FileObject(int fd, DWORD access, DWORD share, std::shared_ptr<FileNode> node, std::string hostPath,
             bool deleteOnClose);
  ~FileObject() override;
  FileObject(const FileObject&) = delete;
  FileObject& operator=(const FileObject&) = delete;

  int fd() const { return fd_; }
  bool canRead() const;
  bool canWrite() const;
  // Views mapped from this file: while any exists the file cannot shrink.
  void AddMappedView();
  void RemoveMappedView();
  int MappedViews() const;

  std::mutex positionLock;  // guards position and orders I/O on this handle
  uint64_t position = 0;

 private:
  int fd_;
  DWORD access_;
  std::shared_ptr<FileNode> node_;
  std::string hostPath_;
  bool deleteOnClose_;
  std::uint64_t openId_;
};

}  // namespace host::kernel
