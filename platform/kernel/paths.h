// Windows paths inside the station. Drive C: is the folder <root>/c; each
// component is matched without regard to case, as on FAT.
#pragma once

#include <windows.h>

#include <string>

namespace host::kernel {

struct ResolvedPath {
  bool ok = false;
  DWORD error = ERROR_SUCCESS;  // why not, when !ok
  std::string windowsPath;      // full, normalised: "C:\\WINDOWS\\SYSTEM.INI"
  std::string hostPath;         // existing components in their stored case, the rest as given
  bool exists = false;
};

// Resolves a Windows path (absolute, relative to the process's current
// directory, or a bare name) to its host path. `..` never leaves the drive;
// longer than MAX_PATH fails with ERROR_FILENAME_EXCED_RANGE; a missing
// parent folder fails with ERROR_PATH_NOT_FOUND.
ResolvedPath ResolveWindowsPath(const char* path);

}  // namespace host::kernel
