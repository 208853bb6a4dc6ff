// Windows paths to host paths: drive C: is <root>/c, components match
// without regard to ASCII case and keep their stored case, new ones the case given.
#define _FILE_OFFSET_BITS 64

#include "kernel/paths.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "kernel/station_state.h"

namespace host::kernel {
namespace {

constexpr size_t kMaxComponent = 255;

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

char FoldCase(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool HasDrive(const char* path) {
  return ((path[0] >= 'a' && path[0] <= 'z') || (path[0] >= 'A' && path[0] <= 'Z')) && path[1] == ':';
}

// Characters a FAT long name cannot hold (wildcards included).
bool IsValidComponent(const std::string& name) {
  for (unsigned char c : name)
    if (c < 32 || std::strchr("<>:\"|?*", c)) return false;
  return true;
}

// Windows drops trailing dots and blanks from a name: "FILE." is "FILE".
std::string TrimTrailingDotsAndBlanks(const std::string& name) {
  size_t end = name.find_last_not_of(". ");
  return end == std::string::npos ? std::string() : name.substr(0, end + 1);
}

void AppendComponents(const char* text, std::vector<std::string>& components) {
  std::string name;
  auto flush = [&] {
    if (name == "..") {
      if (!components.empty()) components.pop_back();
    } else if (name != ".") {
      std::string trimmed = TrimTrailingDotsAndBlanks(name);
      if (!trimmed.empty()) components.push_back(trimmed);
    }
    name.clear();
  };
  for (const char* p = text; *p; ++p) {
    if (IsSeparator(*p))
      flush();
    else
      name += *p;
  }
  flush();
}

// The stored name of `name` in the host folder: the exact name when present,
// otherwise the first (in byte order) that matches without regard to case.
bool FindStoredName(const std::string& folder, const std::string& name, std::string& stored) {
  struct stat info;
  if (lstat((folder + "/" + name).c_str(), &info) == 0) {
    stored = name;
    return true;
  }
  DIR* dir = opendir(folder.c_str());
  if (!dir) return false;
  bool found = false;
  while (dirent* entry = readdir(dir)) {
    std::string candidate = entry->d_name;
    if (candidate == "." || candidate == "..") continue;
    if (EqualsIgnoringCase(candidate, name) && (!found || candidate < stored)) {
      stored = candidate;
      found = true;
    }
  }
  closedir(dir);
  return found;
}

}  // namespace

bool EqualsIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (FoldCase(a[i]) != FoldCase(b[i])) return false;
  return true;
}

std::string CurrentDirectory() {
  std::lock_guard lock(KernelLock());
  std::string folder = CurrentProcess().currentDirectory;
  return folder.empty() ? std::string("C:\\") : folder;
}

bool IsBareFileName(const char* path) { return !std::strpbrk(path, "\\/:"); }

bool ParseWindowsPath(const char* path, WindowsPathParts& parts, DWORD& error) {
  parts = WindowsPathParts{};
  if (!path) {
    error = ERROR_INVALID_PARAMETER;
    return false;
  }
  if (!*path) {
    error = ERROR_PATH_NOT_FOUND;
    return false;
  }
  if (std::strlen(path) >= MAX_PATH) {
    error = ERROR_FILENAME_EXCED_RANGE;
    return false;
  }
  if (IsSeparator(path[0]) && IsSeparator(path[1])) {
    error = ERROR_BAD_NETPATH;  // no network and no device namespace in the station
    return false;
  }
  std::string current = CurrentDirectory();
  const char* rest = path;
  bool fromRoot = false;
  if (HasDrive(path)) {
    parts.drive = FoldCase(path[0]);
    rest = path + 2;
    fromRoot = IsSeparator(*rest);
  } else {
    parts.drive = HasDrive(current.c_str()) ? FoldCase(current[0]) : 'C';
    fromRoot = IsSeparator(*rest);
  }
  // A relative path continues the current folder when it is on the same
  // drive; the other drives' current folder is their root.
  if (!fromRoot && HasDrive(current.c_str()) && FoldCase(current[0]) == parts.drive)
    AppendComponents(current.c_str() + 2, parts.components);
  AppendComponents(rest, parts.components);
  size_t length = std::strlen(rest);
  parts.trailingSeparator = length > 0 && IsSeparator(rest[length - 1]);
  for (const auto& component : parts.components) {
    if (component.size() > kMaxComponent) {
      error = ERROR_FILENAME_EXCED_RANGE;
      return false;
    }
  }
  if (JoinWindowsPath(parts).size() >= MAX_PATH) {
    error = ERROR_FILENAME_EXCED_RANGE;
    return false;
  }
  error = ERROR_SUCCESS;
  return true;
}

std::string JoinWindowsPath(const WindowsPathParts& parts) {
  std::string text = std::string(1, parts.drive) + ":\\";
  for (size_t i = 0; i < parts.components.size(); ++i) {
    if (i > 0) text += '\\';
    text += parts.components[i];
  }
  if (parts.trailingSeparator && !parts.components.empty()) text += '\\';
  return text;
}

ResolvedPath ResolveWindowsPath(const char* path) {
  ResolvedPath resolved;
  WindowsPathParts parts;
  if (!ParseWindowsPath(path, parts, resolved.error)) return resolved;
  if (parts.drive != 'C') {
    resolved.error = ERROR_PATH_NOT_FOUND;  // the station has drive C: only
    return resolved;
  }
  for (const auto& component : parts.components) {
    if (!IsValidComponent(component)) {
      resolved.error = ERROR_INVALID_NAME;
      return resolved;
    }
  }
  parts.trailingSeparator = false;
  resolved.windowsPath = JoinWindowsPath(parts);

  std::string host = DriveCFolder();
  bool reachable = true;  // `host` is an existing folder so far
  bool missingParent = false;
  resolved.exists = resolved.isDirectory = parts.components.empty();  // the root
  for (size_t i = 0; i < parts.components.size(); ++i) {
    const std::string& component = parts.components[i];
    bool last = i + 1 == parts.components.size();
    std::string stored;
    if (!reachable || !FindStoredName(host, component, stored)) {
      host += "/" + component;
      reachable = false;
      missingParent = missingParent || !last;
      continue;
    }
    host += "/" + stored;
    struct stat info;
    bool exists = stat(host.c_str(), &info) == 0;  // a dangling link counts as missing
    bool folder = exists && S_ISDIR(info.st_mode);
    if (last) {
      resolved.exists = exists;
      resolved.isDirectory = folder;
    } else if (!folder) {
      reachable = false;
      missingParent = true;
    }
  }
  resolved.hostPath = host;
  if (missingParent) {
    resolved.exists = resolved.isDirectory = false;
    resolved.error = ERROR_PATH_NOT_FOUND;
    return resolved;
  }
  resolved.ok = true;
  return resolved;
}

DWORD ErrorFromErrno(int error) {
  switch (error) {
    case 0:
      return ERROR_SUCCESS;
    case ENOENT:
      return ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
      return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case ETXTBSY:
      return ERROR_ACCESS_DENIED;
    case EEXIST:
      return ERROR_FILE_EXISTS;
    case ENOTEMPTY:
      return ERROR_DIR_NOT_EMPTY;
    case ENOSPC:
    case EDQUOT:
      return ERROR_DISK_FULL;
    case EFBIG:
      return ERROR_HANDLE_DISK_FULL;
    case EMFILE:
    case ENFILE:
      return ERROR_TOO_MANY_OPEN_FILES;
    case ENAMETOOLONG:
      return ERROR_FILENAME_EXCED_RANGE;
    case ENOMEM:
      return ERROR_NOT_ENOUGH_MEMORY;
    case EBADF:
      return ERROR_INVALID_HANDLE;
    case EFAULT:
      return ERROR_NOACCESS;
    case EINVAL:
      return ERROR_INVALID_PARAMETER;
    case EXDEV:
      return ERROR_NOT_SAME_DEVICE;
    default:
      return ERROR_GEN_FAILURE;
  }
}

}  // namespace host::kernel

namespace host {

std::string HostPath(const std::string& windowsPath) {
  return kernel::ResolveWindowsPath(windowsPath.c_str()).hostPath;
}

}  // namespace host
