// Files and folders of the station: real host files opened through POSIX
// descriptors, with Win32's share modes enforced across every open handle
// of the station.
#define _FILE_OFFSET_BITS 64
#define _TIME_BITS 64

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>
#include <utility>

#include "kernel/paths.h"
#include "kernel/station_state.h"

namespace host::kernel {

struct OpenRecord {
  std::uint64_t id;
  DWORD access;
  DWORD share;
};

struct FileNode {
  dev_t device = 0;
  ino_t inode = 0;
  std::vector<OpenRecord> opens;  // guarded by KernelLock
  std::atomic<int> views{0};
  bool deletePending = false;  // FILE_FLAG_DELETE_ON_CLOSE: unlink when the last open goes
  std::string hostPath;
  ~FileNode();
};

namespace {

using FileKey = std::pair<dev_t, ino_t>;

// Never destroyed: file objects may outlive static destruction at exit.
std::map<FileKey, std::weak_ptr<FileNode>>& Nodes() {
  static auto* nodes = new std::map<FileKey, std::weak_ptr<FileNode>>;
  return *nodes;
}

constexpr DWORD kReadRights = GENERIC_READ | GENERIC_ALL;
constexpr DWORD kWriteRights = GENERIC_WRITE | GENERIC_ALL;
bool Reads(DWORD access) { return access & kReadRights; }
bool Writes(DWORD access) { return access & kWriteRights; }

// Called with KernelLock held.
std::shared_ptr<FileNode> ExistingNode(const FileKey& key) {
  auto found = Nodes().find(key);
  return found == Nodes().end() ? nullptr : found->second.lock();
}

std::shared_ptr<FileNode> NodeFor(const struct stat& info, const std::string& hostPath) {
  FileKey key{info.st_dev, info.st_ino};
  if (auto node = ExistingNode(key)) return node;
  auto node = std::make_shared<FileNode>();
  node->device = info.st_dev;
  node->inode = info.st_ino;
  node->hostPath = hostPath;
  Nodes()[key] = node;
  return node;
}

// Win32's share check, in both directions. Opens without data access (only
// attributes) neither conflict nor block.
bool SharesWith(const OpenRecord& open, DWORD access, DWORD share) {
  bool newUsesData = Reads(access) || Writes(access);
  bool oldUsesData = Reads(open.access) || Writes(open.access);
  if (!newUsesData || !oldUsesData) return true;
  if (Reads(access) && !(open.share & FILE_SHARE_READ)) return false;
  if (Writes(access) && !(open.share & FILE_SHARE_WRITE)) return false;
  if (Reads(open.access) && !(share & FILE_SHARE_READ)) return false;
  if (Writes(open.access) && !(share & FILE_SHARE_WRITE)) return false;
  return true;
}

bool IsReadOnly(const struct stat& info) { return !(info.st_mode & S_IWUSR); }

DWORD AttributesOf(const struct stat& info) {
  DWORD attributes = S_ISDIR(info.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
  if (IsReadOnly(info)) attributes |= FILE_ATTRIBUTE_READONLY;
  return attributes;
}

// FILETIME counts 100 ns intervals from 1601-01-01; the host counts from 1970.
constexpr long long kSecondsFrom1601To1970 = 11644473600LL;
constexpr long long kIntervalsPerSecond = 10000000LL;

FILETIME ToFileTime(const struct timespec& time) {
  long long intervals =
      (static_cast<long long>(time.tv_sec) + kSecondsFrom1601To1970) * kIntervalsPerSecond + time.tv_nsec / 100;
  if (intervals < 0) intervals = 0;
  auto value = static_cast<unsigned long long>(intervals);
  return FILETIME{static_cast<DWORD>(value), static_cast<DWORD>(value >> 32)};
}

unsigned long long FileTimeValue(const FILETIME& time) {
  return (static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

struct timespec FromFileTime(const FILETIME& time) {
  unsigned long long value = FileTimeValue(time);
  struct timespec result {};
  result.tv_sec = static_cast<time_t>(static_cast<long long>(value / kIntervalsPerSecond) - kSecondsFrom1601To1970);
  result.tv_nsec = static_cast<long>((value % kIntervalsPerSecond) * 100);
  return result;
}

// Creation time where the host file system keeps one, else the last write.
struct timespec CreationTime(int folder, const char* path, int flags, const struct stat& info) {
  struct statx extended;
  if (statx(folder, path, flags, STATX_BTIME, &extended) == 0 && (extended.stx_mask & STATX_BTIME)) {
    struct timespec birth {};
    birth.tv_sec = static_cast<time_t>(extended.stx_btime.tv_sec);
    birth.tv_nsec = static_cast<long>(extended.stx_btime.tv_nsec);
    return birth;
  }
  return info.st_mtim;
}

BOOL Fail(DWORD error) {
  SetLastError(error);
  return FALSE;
}

HANDLE FailHandle(DWORD error) {
  SetLastError(error);
  return INVALID_HANDLE_VALUE;
}

bool EndsWithSeparator(const char* path) {
  size_t length = std::strlen(path);
  return length > 0 && (path[length - 1] == '\\' || path[length - 1] == '/');
}

std::shared_ptr<FileObject> FileFromHandle(HANDLE handle) {
  auto file = LookupHandleAs<FileObject>(handle);
  if (!file) SetLastError(ERROR_INVALID_HANDLE);
  return file;
}

}  // namespace

FileNode::~FileNode() {
  std::lock_guard lock(KernelLock());
  auto found = Nodes().find({device, inode});
  if (found != Nodes().end() && found->second.expired()) Nodes().erase(found);
}

FileObject::FileObject(int fd, DWORD access, DWORD share, std::shared_ptr<FileNode> node, std::string hostPath,
                       bool deleteOnClose)
    : fd_(fd), access_(access), node_(std::move(node)), hostPath_(std::move(hostPath)), deleteOnClose_(deleteOnClose) {
  static std::uint64_t nextOpenId = 1;
  std::lock_guard lock(KernelLock());
  openId_ = nextOpenId++;
  node_->opens.push_back({openId_, access, share});
  if (deleteOnClose_) node_->deletePending = true;
}

FileObject::~FileObject() {
  std::lock_guard lock(KernelLock());
  auto& opens = node_->opens;
  opens.erase(std::remove_if(opens.begin(), opens.end(), [&](const OpenRecord& r) { return r.id == openId_; }),
              opens.end());
  if (opens.empty() && node_->deletePending) {
    struct stat info;
    // Only if the name still leads to this file.
    if (stat(node_->hostPath.c_str(), &info) == 0 && info.st_dev == node_->device && info.st_ino == node_->inode)
      unlink(node_->hostPath.c_str());
    node_->deletePending = false;
  }
  close(fd_);
  node_.reset();
}

bool FileObject::canRead() const { return Reads(access_); }
bool FileObject::canWrite() const { return Writes(access_); }
void FileObject::AddMappedView() { ++node_->views; }
void FileObject::RemoveMappedView() { --node_->views; }
int FileObject::MappedViews() const { return node_->views; }

namespace {

struct OpenResult {
  std::shared_ptr<FileObject> file;
  DWORD error = ERROR_SUCCESS;
  bool existed = false;
};

OpenResult OpenError(DWORD error) {
  OpenResult result;
  result.error = error;
  return result;
}

// CreateFileA's work without the handle: checks disposition, attributes and
// share modes, then opens (creating or truncating) the host file.
OpenResult OpenStationFile(const ResolvedPath& path, DWORD access, DWORD share, DWORD disposition, DWORD flags) {
  if (!path.ok) return OpenError(path.error);
  if (disposition < CREATE_NEW || disposition > TRUNCATE_EXISTING) return OpenError(ERROR_INVALID_PARAMETER);
  if (disposition == TRUNCATE_EXISTING && !Writes(access)) return OpenError(ERROR_INVALID_PARAMETER);

  std::lock_guard lock(KernelLock());
  struct stat info;
  bool exists = stat(path.hostPath.c_str(), &info) == 0;
  if (exists && disposition == CREATE_NEW) return OpenError(ERROR_FILE_EXISTS);
  if (!exists && (disposition == OPEN_EXISTING || disposition == TRUNCATE_EXISTING))
    return OpenError(ERROR_FILE_NOT_FOUND);
  if (exists && S_ISDIR(info.st_mode)) return OpenError(ERROR_ACCESS_DENIED);
  bool truncate = exists && (disposition == CREATE_ALWAYS || disposition == TRUNCATE_EXISTING);
  if (exists) {
    // The file's root owner would be let write anyway; the read-only attribute must hold.
    if ((Writes(access) || truncate) && IsReadOnly(info)) return OpenError(ERROR_ACCESS_DENIED);
    if (auto node = ExistingNode({info.st_dev, info.st_ino})) {
      for (const auto& open : node->opens)
        if (!SharesWith(open, access, share)) return OpenError(ERROR_SHARING_VIOLATION);
      if (truncate && node->views > 0 && info.st_size > 0) return OpenError(ERROR_USER_MAPPED_FILE);
    }
  }

  int openFlags = O_CLOEXEC | (Writes(access) ? O_RDWR : O_RDONLY);
  if (!exists) openFlags |= O_CREAT | O_EXCL;
  if (truncate) openFlags |= O_TRUNC;
  if (flags & FILE_FLAG_WRITE_THROUGH) openFlags |= O_DSYNC;
  mode_t mode = (flags & FILE_ATTRIBUTE_READONLY) ? 0444 : 0666;
  int fd = open(path.hostPath.c_str(), openFlags, mode);
  if (fd < 0) return OpenError(ErrorFromErrno(errno));
  struct stat opened;
  if (fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode)) {
    close(fd);
    return OpenError(ERROR_ACCESS_DENIED);
  }
  // Overwriting a file gives it the attributes asked for, as a new one gets them.
  if (exists && disposition == CREATE_ALWAYS && (flags & FILE_ATTRIBUTE_READONLY)) fchmod(fd, opened.st_mode & 07555);
  OpenResult result;
  result.existed = exists;
  result.file = std::make_shared<FileObject>(fd, access, share, NodeFor(opened, path.hostPath), path.hostPath,
                                             (flags & FILE_FLAG_DELETE_ON_CLOSE) != 0);
  return result;
}

// Why a file may not lose its name (delete or move) now; ERROR_SUCCESS if it may.
DWORD NameChangeBlocked(const struct stat& info) {
  auto node = ExistingNode({info.st_dev, info.st_ino});
  if (!node) return ERROR_SUCCESS;
  if (node->views > 0) return ERROR_ACCESS_DENIED;
  for (const auto& open : node->opens)
    if (!(open.share & FILE_SHARE_DELETE)) return ERROR_SHARING_VIOLATION;
  return ERROR_SUCCESS;
}

// Copies the bytes of one descriptor to another; false with the Win32 error.
bool CopyContents(int from, int to, DWORD& error) {
  std::vector<char> buffer(64 * 1024);
  off_t offset = 0;
  for (;;) {
    ssize_t got = pread(from, buffer.data(), buffer.size(), offset);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      error = ErrorFromErrno(errno);
      return false;
    }
    if (got == 0) return true;
    for (ssize_t done = 0; done < got;) {
      ssize_t put = pwrite(to, buffer.data() + done, got - done, offset + done);
      if (put < 0 && errno == EINTR) continue;
      if (put < 0) {
        error = ErrorFromErrno(errno);
        return false;
      }
      done += put;
    }
    offset += got;
  }
}

// Copies, renames and the like must name an existing plain file.
DWORD ExistingFileError(const ResolvedPath& path) {
  if (!path.ok) return path.error;
  if (!path.exists) return ERROR_FILE_NOT_FOUND;
  if (path.isDirectory) return ERROR_ACCESS_DENIED;
  return ERROR_SUCCESS;
}

// The Windows convention for returning a string into a caller's buffer:
// its length when it fits, else the size needed including the NUL.
DWORD CopyOut(const std::string& text, LPSTR buffer, DWORD size) {
  if (!buffer || size < text.size() + 1) return static_cast<DWORD>(text.size() + 1);
  std::memcpy(buffer, text.c_str(), text.size() + 1);
  return static_cast<DWORD>(text.size());
}

// A FindFirstFileA search: the matching names, taken when it starts.
struct FindSearch : KernelObject {
  std::string folderHostPath;
  std::vector<std::string> names;
  size_t next = 0;
};

char Fold(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// `*` matches any run of characters, `?` any one; case does not matter.
bool Glob(const char* pattern, const char* name) {
  const char* star = nullptr;
  const char* resume = nullptr;
  while (*name) {
    if (*pattern == '*') {
      star = pattern++;
      resume = name;
    } else if (*pattern == '?' || (*pattern && Fold(*pattern) == Fold(*name))) {
      ++pattern;
      ++name;
    } else if (star) {
      pattern = star + 1;
      name = ++resume;
    } else {
      return false;
    }
  }
  while (*pattern == '*') ++pattern;
  return !*pattern;
}

// As on FAT, a name without an extension also matches as "NAME.", so "*.*"
// matches every name and "*." the names without an extension.
bool NameMatches(const std::string& pattern, const std::string& name) {
  if (Glob(pattern.c_str(), name.c_str())) return true;
  return name.find('.') == std::string::npos && Glob(pattern.c_str(), (name + ".").c_str());
}

bool IsValidPattern(const std::string& pattern) {
  for (unsigned char c : pattern)
    if (c < 32 || std::strchr("<>:\"|/\\", c)) return false;
  return true;
}

bool DotEntry(const std::string& name) { return name == "." || name == ".."; }

bool FindOrder(const std::string& a, const std::string& b) {
  if (DotEntry(a) || DotEntry(b)) return DotEntry(a) && (!DotEntry(b) || a.size() < b.size());
  std::string foldedA(a), foldedB(b);
  std::transform(foldedA.begin(), foldedA.end(), foldedA.begin(), Fold);
  std::transform(foldedB.begin(), foldedB.end(), foldedB.begin(), Fold);
  return foldedA != foldedB ? foldedA < foldedB : a < b;
}

// Fills the next entry that still exists; false at the end.
bool NextFound(FindSearch& search, LPWIN32_FIND_DATAA data) {
  while (search.next < search.names.size()) {
    const std::string& name = search.names[search.next++];
    std::string path = search.folderHostPath + "/" + name;
    struct stat info;
    if (stat(path.c_str(), &info) != 0) continue;
    std::memset(data, 0, sizeof(*data));
    data->dwFileAttributes = AttributesOf(info);
    data->ftCreationTime = ToFileTime(CreationTime(AT_FDCWD, path.c_str(), 0, info));
    data->ftLastAccessTime = ToFileTime(info.st_atim);
    data->ftLastWriteTime = ToFileTime(info.st_mtim);
    if (!S_ISDIR(info.st_mode)) {
      auto size = static_cast<unsigned long long>(info.st_size);
      data->nFileSizeHigh = static_cast<DWORD>(size >> 32);
      data->nFileSizeLow = static_cast<DWORD>(size);
    }
    std::strncpy(data->cFileName, name.c_str(), MAX_PATH - 1);
    return true;
  }
  return false;
}

}  // namespace
}  // namespace host::kernel

using namespace host::kernel;

extern "C" {

HANDLE WINAPI CreateFileA(LPCSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                          LPSECURITY_ATTRIBUTES lpSecurityAttributes, DWORD dwCreationDisposition,
                          DWORD dwFlagsAndAttributes, HANDLE hTemplateFile) {
  (void)lpSecurityAttributes;
  (void)hTemplateFile;
  ResolvedPath path = ResolveWindowsPath(lpFileName);
  if (path.ok && EndsWithSeparator(lpFileName))
    return FailHandle(path.isDirectory ? ERROR_ACCESS_DENIED : ERROR_INVALID_NAME);
  OpenResult opened = OpenStationFile(path, dwDesiredAccess, dwShareMode, dwCreationDisposition, dwFlagsAndAttributes);
  if (!opened.file) return FailHandle(opened.error);
  HANDLE handle = AddHandle(opened.file);
  bool reportsExisting = dwCreationDisposition == CREATE_ALWAYS || dwCreationDisposition == OPEN_ALWAYS;
  SetLastError(reportsExisting && opened.existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
  return handle;
}

BOOL WINAPI ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead, LPDWORD lpNumberOfBytesRead,
                     LPOVERLAPPED lpOverlapped) {
  if (lpNumberOfBytesRead) *lpNumberOfBytesRead = 0;
  auto file = FileFromHandle(hFile);
  if (!file) return FALSE;
  if (lpOverlapped) return Fail(ERROR_INVALID_PARAMETER);  // no overlapped I/O on Windows 95 disk files
  if (!file->canRead()) return Fail(ERROR_ACCESS_DENIED);
  std::lock_guard lock(file->positionLock);
  auto* bytes = static_cast<char*>(lpBuffer);
  DWORD total = 0;
  while (total < nNumberOfBytesToRead) {
    size_t chunk = std::min<DWORD>(nNumberOfBytesToRead - total, 1u << 30);
    ssize_t got = pread(file->fd(), bytes + total, chunk, static_cast<off_t>(file->position + total));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return Fail(ErrorFromErrno(errno));
    if (got == 0) break;
    total += static_cast<DWORD>(got);
  }
  file->position += total;
  if (lpNumberOfBytesRead) *lpNumberOfBytesRead = total;
  return TRUE;
}

BOOL WINAPI WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite, LPDWORD lpNumberOfBytesWritten,
                      LPOVERLAPPED lpOverlapped) {
  if (lpNumberOfBytesWritten) *lpNumberOfBytesWritten = 0;
  auto file = FileFromHandle(hFile);
  if (!file) return FALSE;
  if (lpOverlapped) return Fail(ERROR_INVALID_PARAMETER);
  if (!file->canWrite()) return Fail(ERROR_ACCESS_DENIED);
  std::lock_guard lock(file->positionLock);
  const auto* bytes = static_cast<const char*>(lpBuffer);
  DWORD total = 0;
  DWORD error = ERROR_SUCCESS;
  while (total < nNumberOfBytesToWrite) {
    size_t chunk = std::min<DWORD>(nNumberOfBytesToWrite - total, 1u << 30);
    ssize_t put = pwrite(file->fd(), bytes + total, chunk, static_cast<off_t>(file->position + total));
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) {
      error = put < 0 ? ErrorFromErrno(errno) : ERROR_DISK_FULL;
      break;
    }
    total += static_cast<DWORD>(put);
  }
  file->position += total;
  if (lpNumberOfBytesWritten) *lpNumberOfBytesWritten = total;
  return error == ERROR_SUCCESS ? TRUE : Fail(error);
}

DWORD WINAPI SetFilePointer(HANDLE hFile, LONG lDistanceToMove, PLONG lpDistanceToMoveHigh, DWORD dwMoveMethod) {
  auto file = FileFromHandle(hFile);
  if (!file) return INVALID_SET_FILE_POINTER;
  long long distance = lDistanceToMove;
  if (lpDistanceToMoveHigh) {
    auto high = static_cast<unsigned long long>(static_cast<DWORD>(*lpDistanceToMoveHigh));
    distance = static_cast<long long>((high << 32) | static_cast<DWORD>(lDistanceToMove));
  }
  std::lock_guard lock(file->positionLock);
  long long base = 0;
  if (dwMoveMethod == FILE_CURRENT) {
    base = static_cast<long long>(file->position);
  } else if (dwMoveMethod == FILE_END) {
    struct stat info;
    if (fstat(file->fd(), &info) != 0) {
      SetLastError(ErrorFromErrno(errno));
      return INVALID_SET_FILE_POINTER;
    }
    base = info.st_size;
  } else if (dwMoveMethod != FILE_BEGIN) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_SET_FILE_POINTER;
  }
  long long target = base + distance;
  if (target < 0) {
    SetLastError(ERROR_NEGATIVE_SEEK);
    return INVALID_SET_FILE_POINTER;
  }
  if (!lpDistanceToMoveHigh && target > 0xFFFFFFFFLL) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_SET_FILE_POINTER;
  }
  file->position = static_cast<std::uint64_t>(target);
  if (lpDistanceToMoveHigh) *lpDistanceToMoveHigh = static_cast<LONG>(target >> 32);
  // The low part alone can equal INVALID_SET_FILE_POINTER; the caller then looks here.
  SetLastError(ERROR_SUCCESS);
  return static_cast<DWORD>(target);
}

BOOL WINAPI SetEndOfFile(HANDLE hFile) {
  auto file = FileFromHandle(hFile);
  if (!file) return FALSE;
  if (!file->canWrite()) return Fail(ERROR_ACCESS_DENIED);
  std::lock_guard lock(file->positionLock);
  struct stat info;
  if (fstat(file->fd(), &info) != 0) return Fail(ErrorFromErrno(errno));
  // Mapped views would lose their pages (and fault) if the file shrank under them.
  if (file->position < static_cast<std::uint64_t>(info.st_size) && file->MappedViews() > 0)
    return Fail(ERROR_USER_MAPPED_FILE);
  if (ftruncate(file->fd(), static_cast<off_t>(file->position)) != 0) return Fail(ErrorFromErrno(errno));
  return TRUE;
}

DWORD WINAPI GetFileSize(HANDLE hFile, LPDWORD lpFileSizeHigh) {
  auto file = FileFromHandle(hFile);
  if (!file) return INVALID_FILE_SIZE;
  struct stat info;
  if (fstat(file->fd(), &info) != 0) {
    SetLastError(ErrorFromErrno(errno));
    return INVALID_FILE_SIZE;
  }
  auto size = static_cast<unsigned long long>(info.st_size);
  if (lpFileSizeHigh) *lpFileSizeHigh = static_cast<DWORD>(size >> 32);
  SetLastError(ERROR_SUCCESS);
  return static_cast<DWORD>(size);
}

BOOL WINAPI FlushFileBuffers(HANDLE hFile) {
  auto file = FileFromHandle(hFile);
  if (!file) return FALSE;
  if (!file->canWrite()) return Fail(ERROR_ACCESS_DENIED);
  if (fsync(file->fd()) != 0) return Fail(ErrorFromErrno(errno));
  return TRUE;
}

BOOL WINAPI GetFileTime(HANDLE hFile, LPFILETIME lpCreationTime, LPFILETIME lpLastAccessTime,
                        LPFILETIME lpLastWriteTime) {
  auto file = FileFromHandle(hFile);
  if (!file) return FALSE;
  struct stat info;
  if (fstat(file->fd(), &info) != 0) return Fail(ErrorFromErrno(errno));
  if (lpCreationTime) *lpCreationTime = ToFileTime(CreationTime(file->fd(), "", AT_EMPTY_PATH, info));
  if (lpLastAccessTime) *lpLastAccessTime = ToFileTime(info.st_atim);
  if (lpLastWriteTime) *lpLastWriteTime = ToFileTime(info.st_mtim);
  return TRUE;
}

// The host keeps no settable creation time; that one is accepted and ignored.
BOOL WINAPI SetFileTime(HANDLE hFile, const FILETIME* lpCreationTime, const FILETIME* lpLastAccessTime,
                        const FILETIME* lpLastWriteTime) {
  (void)lpCreationTime;
  auto file = FileFromHandle(hFile);
  if (!file) return FALSE;
  if (!file->canWrite()) return Fail(ERROR_ACCESS_DENIED);
  struct timespec times[2];
  times[0].tv_nsec = times[1].tv_nsec = UTIME_OMIT;
  if (lpLastAccessTime) times[0] = FromFileTime(*lpLastAccessTime);
  if (lpLastWriteTime) times[1] = FromFileTime(*lpLastWriteTime);
  if (futimens(file->fd(), times) != 0) return Fail(ErrorFromErrno(errno));
  return TRUE;
}

LONG WINAPI CompareFileTime(const FILETIME* lpFileTime1, const FILETIME* lpFileTime2) {
  unsigned long long first = FileTimeValue(*lpFileTime1), second = FileTimeValue(*lpFileTime2);
  return first < second ? -1 : first > second ? 1 : 0;
}

BOOL WINAPI DeleteFileA(LPCSTR lpFileName) {
  ResolvedPath path = ResolveWindowsPath(lpFileName);
  if (DWORD error = ExistingFileError(path)) return Fail(error);
  std::lock_guard lock(KernelLock());
  struct stat info;
  if (stat(path.hostPath.c_str(), &info) != 0) return Fail(ErrorFromErrno(errno));
  if (DWORD error = NameChangeBlocked(info)) return Fail(error);
  if (IsReadOnly(info)) return Fail(ERROR_ACCESS_DENIED);
  if (unlink(path.hostPath.c_str()) != 0) return Fail(ErrorFromErrno(errno));
  return TRUE;
}

BOOL WINAPI CopyFileA(LPCSTR lpExistingFileName, LPCSTR lpNewFileName, BOOL bFailIfExists) {
  ResolvedPath source = ResolveWindowsPath(lpExistingFileName);
  if (DWORD error = ExistingFileError(source)) return Fail(error);
  ResolvedPath target = ResolveWindowsPath(lpNewFileName);
  if (!target.ok) return Fail(target.error);
  if (target.isDirectory) return Fail(ERROR_ACCESS_DENIED);
  OpenResult from = OpenStationFile(source, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, 0);
  if (!from.file) return Fail(from.error);
  OpenResult to = OpenStationFile(target, GENERIC_WRITE, 0, bFailIfExists ? CREATE_NEW : CREATE_ALWAYS, 0);
  if (!to.file) return Fail(to.error);
  DWORD error = ERROR_SUCCESS;
  if (!CopyContents(from.file->fd(), to.file->fd(), error)) {
    // A partial copy is worth nothing and could be taken for the real one.
    std::string partial = target.hostPath;
    to.file.reset();
    unlink(partial.c_str());
    return Fail(error);
  }
  // CopyFile keeps the last-write time and the read-only attribute.
  struct stat info;
  if (fstat(from.file->fd(), &info) == 0) {
    struct timespec times[2] = {info.st_atim, info.st_mtim};
    futimens(to.file->fd(), times);
    fchmod(to.file->fd(), info.st_mode & 07777);
  }
  return TRUE;
}

BOOL WINAPI MoveFileA(LPCSTR lpExistingFileName, LPCSTR lpNewFileName) {
  ResolvedPath source = ResolveWindowsPath(lpExistingFileName);
  if (!source.ok) return Fail(source.error);
  if (!source.exists) return Fail(ERROR_FILE_NOT_FOUND);
  if (source.windowsPath.size() <= 3) return Fail(ERROR_ACCESS_DENIED);  // the root
  ResolvedPath target = ResolveWindowsPath(lpNewFileName);
  if (!target.ok) return Fail(target.error);
  std::lock_guard lock(KernelLock());
  struct stat from, to;
  if (stat(source.hostPath.c_str(), &from) != 0) return Fail(ErrorFromErrno(errno));
  std::string destination = target.hostPath;
  if (target.exists) {
    bool sameFile = stat(target.hostPath.c_str(), &to) == 0 && to.st_dev == from.st_dev && to.st_ino == from.st_ino;
    if (!sameFile) return Fail(ERROR_ALREADY_EXISTS);
    // Only the case changes: the stored name takes the case given.
    std::string given = target.windowsPath.substr(target.windowsPath.rfind('\\') + 1);
    destination = target.hostPath.substr(0, target.hostPath.rfind('/') + 1) + given;
  }
  if (!S_ISDIR(from.st_mode))
    if (DWORD error = NameChangeBlocked(from)) return Fail(error);
  if (rename(source.hostPath.c_str(), destination.c_str()) != 0) return Fail(ErrorFromErrno(errno));
  return TRUE;
}

DWORD WINAPI GetFileAttributesA(LPCSTR lpFileName) {
  ResolvedPath path = ResolveWindowsPath(lpFileName);
  struct stat info;
  if (!path.ok) {
    SetLastError(path.error);
    return INVALID_FILE_ATTRIBUTES;
  }
  if (!path.exists || stat(path.hostPath.c_str(), &info) != 0) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return INVALID_FILE_ATTRIBUTES;
  }
  return AttributesOf(info);
}

// Only the read-only attribute has a host counterpart; the others are accepted.
BOOL WINAPI SetFileAttributesA(LPCSTR lpFileName, DWORD dwFileAttributes) {
  ResolvedPath path = ResolveWindowsPath(lpFileName);
  if (!path.ok) return Fail(path.error);
  struct stat info;
  if (!path.exists || stat(path.hostPath.c_str(), &info) != 0) return Fail(ERROR_FILE_NOT_FOUND);
  if (S_ISDIR(info.st_mode)) return TRUE;
  mode_t mode = info.st_mode & 07777;
  mode = (dwFileAttributes & FILE_ATTRIBUTE_READONLY) ? (mode & ~0222) : (mode | S_IWUSR);
  if (chmod(path.hostPath.c_str(), mode) != 0) return Fail(ErrorFromErrno(errno));
  return TRUE;
}

BOOL WINAPI CreateDirectoryA(LPCSTR lpPathName, LPSECURITY_ATTRIBUTES lpSecurityAttributes) {
  (void)lpSecurityAttributes;
  ResolvedPath path = ResolveWindowsPath(lpPathName);
  if (!path.ok) return Fail(path.error);
  if (path.exists) return Fail(ERROR_ALREADY_EXISTS);
  if (mkdir(path.hostPath.c_str(), 0777) != 0)
    return Fail(errno == EEXIST ? ERROR_ALREADY_EXISTS : ErrorFromErrno(errno));
  return TRUE;
}

BOOL WINAPI RemoveDirectoryA(LPCSTR lpPathName) {
  ResolvedPath path = ResolveWindowsPath(lpPathName);
  if (!path.ok) return Fail(path.error);
  if (!path.exists) return Fail(ERROR_FILE_NOT_FOUND);
  if (!path.isDirectory) return Fail(ERROR_DIRECTORY);
  if (path.windowsPath.size() <= 3) return Fail(ERROR_ACCESS_DENIED);  // the root
  if (rmdir(path.hostPath.c_str()) != 0)
    return Fail(errno == EEXIST || errno == ENOTEMPTY ? ERROR_DIR_NOT_EMPTY : ErrorFromErrno(errno));
  return TRUE;
}

DWORD WINAPI GetCurrentDirectoryA(DWORD nBufferLength, LPSTR lpBuffer) {
  return CopyOut(CurrentDirectory(), lpBuffer, nBufferLength);
}

BOOL WINAPI SetCurrentDirectoryA(LPCSTR lpPathName) {
  ResolvedPath path = ResolveWindowsPath(lpPathName);
  if (!path.ok) return Fail(path.error);
  if (!path.exists) return Fail(ERROR_FILE_NOT_FOUND);
  if (!path.isDirectory) return Fail(ERROR_DIRECTORY);
  std::lock_guard lock(KernelLock());
  CurrentProcess().currentDirectory = path.windowsPath;
  return TRUE;
}

DWORD WINAPI GetFullPathNameA(LPCSTR lpFileName, DWORD nBufferLength, LPSTR lpBuffer, LPSTR* lpFilePart) {
  WindowsPathParts parts;
  DWORD error;
  if (!ParseWindowsPath(lpFileName, parts, error)) {
    SetLastError(error);
    return 0;
  }
  std::string full = JoinWindowsPath(parts);
  DWORD result = CopyOut(full, lpBuffer, nBufferLength);
  if (result == full.size() && lpFilePart) {
    bool namesAFile = !parts.components.empty() && !parts.trailingSeparator;
    *lpFilePart = namesAFile ? lpBuffer + full.rfind('\\') + 1 : nullptr;
  }
  return result;
}

UINT WINAPI GetWindowsDirectoryA(LPSTR lpBuffer, UINT uSize) { return CopyOut(kWindowsDirectory, lpBuffer, uSize); }

UINT WINAPI GetSystemDirectoryA(LPSTR lpBuffer, UINT uSize) { return CopyOut(kSystemDirectory, lpBuffer, uSize); }

// Windows 95's TEMP folder; made when missing so that the path works.
DWORD WINAPI GetTempPathA(DWORD nBufferLength, LPSTR lpBuffer) {
  std::string temp = std::string(kWindowsDirectory) + "\\TEMP";
  ResolvedPath path = ResolveWindowsPath(temp.c_str());
  if (path.ok && !path.exists) mkdir(path.hostPath.c_str(), 0777);
  return CopyOut(temp + "\\", lpBuffer, nBufferLength);
}

HANDLE WINAPI FindFirstFileA(LPCSTR lpFileName, LPWIN32_FIND_DATAA lpFindFileData) {
  if (!lpFileName || !lpFindFileData) return FailHandle(ERROR_INVALID_PARAMETER);
  std::string text = lpFileName;
  size_t split = text.find_last_of("\\/");
  if (split == std::string::npos && text.size() >= 2 && text[1] == ':') split = 1;
  std::string folderText = split == std::string::npos ? "." : text.substr(0, split + 1);
  std::string pattern = split == std::string::npos ? text : text.substr(split + 1);
  ResolvedPath folder = ResolveWindowsPath(folderText.c_str());
  if (!folder.ok) return FailHandle(folder.error);
  if (!folder.isDirectory) return FailHandle(ERROR_PATH_NOT_FOUND);
  if (pattern.empty()) return FailHandle(ERROR_FILE_NOT_FOUND);
  if (!IsValidPattern(pattern)) return FailHandle(ERROR_INVALID_NAME);
  if (folder.windowsPath.size() + 1 + pattern.size() >= MAX_PATH) return FailHandle(ERROR_FILENAME_EXCED_RANGE);

  auto search = std::make_shared<FindSearch>();
  search->folderHostPath = folder.hostPath;
  bool isRoot = folder.windowsPath.size() <= 3;
  if (DIR* dir = opendir(folder.hostPath.c_str())) {
    while (dirent* entry = readdir(dir)) {
      std::string name = entry->d_name;
      if (DotEntry(name) && isRoot) continue;  // the root has no "." and ".." entries
      if (NameMatches(pattern, name)) search->names.push_back(name);
    }
    closedir(dir);
  }
  std::sort(search->names.begin(), search->names.end(), FindOrder);
  if (!NextFound(*search, lpFindFileData)) return FailHandle(ERROR_FILE_NOT_FOUND);
  return AddHandle(search);
}

BOOL WINAPI FindNextFileA(HANDLE hFindFile, LPWIN32_FIND_DATAA lpFindFileData) {
  auto search = LookupHandleAs<FindSearch>(hFindFile);
  if (!search) return Fail(ERROR_INVALID_HANDLE);
  if (!lpFindFileData) return Fail(ERROR_INVALID_PARAMETER);
  if (!NextFound(*search, lpFindFileData)) return Fail(ERROR_NO_MORE_FILES);
  return TRUE;
}

BOOL WINAPI FindClose(HANDLE hFindFile) {
  if (!LookupHandleAs<FindSearch>(hFindFile)) return Fail(ERROR_INVALID_HANDLE);
  RemoveHandle(hFindFile);
  return TRUE;
}

}  // extern "C"
