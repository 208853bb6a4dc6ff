// OpenFile and the _l* calls Windows 95 kept from 16-bit Windows. They are
// thin layers over CreateFileA; an HFILE is the file's HANDLE value.
#include <cstring>

#include "kernel/paths.h"
#include "kernel/station_state.h"

namespace host::kernel {
namespace {

DWORD AccessOf(UINT style) {
  switch (style & 3) {
    case OF_WRITE:
      return GENERIC_WRITE;
    case OF_READWRITE:
      return GENERIC_READ | GENERIC_WRITE;
    default:
      return GENERIC_READ;
  }
}

// Compatibility mode lets everyone in, as deny-none does.
DWORD ShareOf(UINT style) {
  switch (style & 0x70) {
    case OF_SHARE_EXCLUSIVE:
      return 0;
    case OF_SHARE_DENY_WRITE:
      return FILE_SHARE_READ;
    case OF_SHARE_DENY_READ:
      return FILE_SHARE_WRITE;
    default:
      return FILE_SHARE_READ | FILE_SHARE_WRITE;
  }
}

HANDLE ToHandle(HFILE file) { return reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(file)); }
HFILE ToHFile(HANDLE handle) { return static_cast<HFILE>(reinterpret_cast<LONG_PTR>(handle)); }

std::string FolderOf(const std::string& path) {
  size_t slash = path.rfind('\\');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string ProgramFolder() {
  std::lock_guard lock(KernelLock());
  return FolderOf(CurrentProcess().imagePath);
}

// Windows' search for a file named without a folder: the current folder,
// the Windows folder, the system folder, the program's folder (PATH is not kept).
bool SearchFile(const std::string& name, std::string& found) {
  for (const std::string& folder :
       {CurrentDirectory(), std::string(kWindowsDirectory), std::string(kSystemDirectory), ProgramFolder()}) {
    if (folder.empty()) continue;
    std::string candidate = folder + (folder.back() == '\\' ? "" : "\\") + name;
    ResolvedPath path = ResolveWindowsPath(candidate.c_str());
    if (path.ok && path.exists && !path.isDirectory) {
      found = path.windowsPath;
      return true;
    }
  }
  return false;
}

bool FullPath(const std::string& name, std::string& full, DWORD& error) {
  WindowsPathParts parts;
  if (!ParseWindowsPath(name.c_str(), parts, error)) return false;
  full = JoinWindowsPath(parts);
  return true;
}

}  // namespace
}  // namespace host::kernel

using namespace host::kernel;

extern "C" {

HFILE WINAPI OpenFile(LPCSTR lpFileName, LPOFSTRUCT lpReOpenBuff, UINT uStyle) {
  if (!lpReOpenBuff) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return HFILE_ERROR;
  }
  OFSTRUCT& record = *lpReOpenBuff;
  std::string name = (uStyle & OF_REOPEN) ? std::string(record.szPathName, strnlen(record.szPathName, OFS_MAXPATHNAME))
                                          : std::string(lpFileName ? lpFileName : "");
  record.cBytes = sizeof(OFSTRUCT);
  record.fFixedDisk = 1;
  record.nErrCode = 0;
  auto fail = [&record](DWORD error) {
    record.nErrCode = static_cast<WORD>(error);
    SetLastError(error);
    return HFILE_ERROR;
  };

  std::string path;
  DWORD error = ERROR_SUCCESS;
  bool search = IsBareFileName(name.c_str()) && !(uStyle & (OF_CREATE | OF_PARSE));
  if (search ? !SearchFile(name, path) : !FullPath(name, path, error))
    return fail(search ? ERROR_FILE_NOT_FOUND : error);
  if (path.size() >= OFS_MAXPATHNAME) return fail(ERROR_FILENAME_EXCED_RANGE);
  std::memset(record.szPathName, 0, sizeof(record.szPathName));
  std::memcpy(record.szPathName, path.c_str(), path.size());
  if (uStyle & OF_PARSE) return 0;

  if (uStyle & OF_DELETE) return DeleteFileA(path.c_str()) ? 1 : fail(GetLastError());
  DWORD disposition = (uStyle & OF_CREATE) ? CREATE_ALWAYS : OPEN_EXISTING;
  HANDLE handle = CreateFileA(path.c_str(), AccessOf(uStyle), ShareOf(uStyle), nullptr, disposition, 0, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return fail(GetLastError());
  if (uStyle & OF_EXIST) {
    CloseHandle(handle);
    return 1;
  }
  SetLastError(ERROR_SUCCESS);
  return ToHFile(handle);
}

HFILE WINAPI _lopen(LPCSTR lpPathName, int iReadWrite) {
  auto style = static_cast<UINT>(iReadWrite);
  HANDLE handle = CreateFileA(lpPathName, AccessOf(style), ShareOf(style), nullptr, OPEN_EXISTING, 0, nullptr);
  return handle == INVALID_HANDLE_VALUE ? HFILE_ERROR : ToHFile(handle);
}

// iAttribute: 0 normal, 1 read-only, 2 hidden, 4 system; the file is opened for reading and writing.
HFILE WINAPI _lcreat(LPCSTR lpPathName, int iAttribute) {
  DWORD attributes =
      static_cast<DWORD>(iAttribute) & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  HANDLE handle = CreateFileA(lpPathName, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              CREATE_ALWAYS, attributes, nullptr);
  return handle == INVALID_HANDLE_VALUE ? HFILE_ERROR : ToHFile(handle);
}

UINT WINAPI _lread(HFILE hFile, LPVOID lpBuffer, UINT uBytes) {
  DWORD read = 0;
  if (!ReadFile(ToHandle(hFile), lpBuffer, uBytes, &read, nullptr)) return static_cast<UINT>(HFILE_ERROR);
  return read;
}

UINT WINAPI _lwrite(HFILE hFile, LPCSTR lpBuffer, UINT uBytes) {
  DWORD written = 0;
  if (!WriteFile(ToHandle(hFile), lpBuffer, uBytes, &written, nullptr)) return static_cast<UINT>(HFILE_ERROR);
  return written;
}

LONG WINAPI _llseek(HFILE hFile, LONG lOffset, int iOrigin) {
  DWORD position = SetFilePointer(ToHandle(hFile), lOffset, nullptr, static_cast<DWORD>(iOrigin));
  if (position == INVALID_SET_FILE_POINTER && GetLastError() != ERROR_SUCCESS) return HFILE_ERROR;
  return static_cast<LONG>(position);
}

HFILE WINAPI _lclose(HFILE hFile) { return CloseHandle(ToHandle(hFile)) ? 0 : HFILE_ERROR; }

}  // extern "C"
