// Profile files (win.ini, system.ini and private .ini files). A write
// changes only the lines it must: every other byte of the file, line endings
// included, stays as it was, and the new file replaces the old one at once.
#define _FILE_OFFSET_BITS 64

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

#include "kernel/paths.h"
#include "kernel/station_state.h"

namespace host::kernel {
namespace {

std::mutex& ProfileLock() {
  static auto* lock = new std::mutex;
  return *lock;
}

// The file as lines, each with its own line ending ("" for a last line without one).
struct ProfileText {
  std::vector<std::string> lines;
  std::vector<std::string> endings;
  std::string newline = "\r\n";  // for lines this system adds: the file's own convention
};

ProfileText SplitLines(const std::string& bytes) {
  ProfileText text;
  bool newlineKnown = false;
  size_t start = 0;
  while (start < bytes.size()) {
    size_t end = bytes.find('\n', start);
    if (end == std::string::npos) {
      text.lines.push_back(bytes.substr(start));
      text.endings.emplace_back();
      break;
    }
    bool crlf = end > start && bytes[end - 1] == '\r';
    text.lines.push_back(bytes.substr(start, end - start - (crlf ? 1 : 0)));
    text.endings.push_back(crlf ? "\r\n" : "\n");
    if (!newlineKnown) text.newline = text.endings.back();
    newlineKnown = true;
    start = end + 1;
  }
  return text;
}

std::string JoinLines(const ProfileText& text) {
  std::string bytes;
  for (size_t i = 0; i < text.lines.size(); ++i) bytes += text.lines[i] + text.endings[i];
  return bytes;
}

std::string Trim(const std::string& text) {
  size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return std::string();
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// "[name]" (a missing "]" is forgiven); leading blanks allowed.
bool SectionHeader(const std::string& line, std::string& name) {
  std::string trimmed = Trim(line);
  if (trimmed.empty() || trimmed[0] != '[') return false;
  size_t close = trimmed.find(']');
  name = Trim(trimmed.substr(1, close == std::string::npos ? std::string::npos : close - 1));
  return true;
}

bool KeyLine(const std::string& line, std::string& key, std::string& value) {
  std::string trimmed = Trim(line);
  if (trimmed.empty() || trimmed[0] == ';' || trimmed[0] == '[') return false;
  size_t equals = trimmed.find('=');
  if (equals == std::string::npos) return false;
  key = Trim(trimmed.substr(0, equals));
  value = Trim(trimmed.substr(equals + 1));
  return true;
}

bool IsBlank(const std::string& line) { return Trim(line).empty(); }

// Index of the first header of the section, or -1.
int FindSection(const ProfileText& text, const std::string& section) {
  std::string name;
  for (size_t i = 0; i < text.lines.size(); ++i)
    if (SectionHeader(text.lines[i], name) && EqualsIgnoringCase(name, section)) return static_cast<int>(i);
  return -1;
}

// One past the section's last line: the next header or the end of the file.
size_t SectionEnd(const ProfileText& text, int header) {
  std::string name;
  size_t i = static_cast<size_t>(header) + 1;
  while (i < text.lines.size() && !SectionHeader(text.lines[i], name)) ++i;
  return i;
}

int FindKey(const ProfileText& text, int header, const std::string& key, std::string* value) {
  std::string name, found;
  for (size_t i = header + 1; i < SectionEnd(text, header); ++i) {
    if (KeyLine(text.lines[i], name, found) && EqualsIgnoringCase(name, key)) {
      if (value) *value = found;
      return static_cast<int>(i);
    }
  }
  return -1;
}

// A bare file name means the Windows folder.
ResolvedPath ProfilePath(LPCSTR fileName) {
  std::string name = fileName && *fileName ? fileName : "WIN.INI";
  if (IsBareFileName(name.c_str())) name = std::string(kWindowsDirectory) + "\\" + name;
  return ResolveWindowsPath(name.c_str());
}

bool ReadBytes(const std::string& hostPath, std::string& bytes) {
  std::ifstream in(hostPath, std::ios::binary);
  if (!in) return false;
  std::ostringstream content;
  content << in.rdbuf();
  bytes = content.str();
  return true;
}

// Writes a sibling file and renames it over the old one, keeping its mode.
DWORD ReplaceFile(const std::string& hostPath, const std::string& bytes) {
  std::string temporary = hostPath + ".XXXXXX";
  int fd = mkstemp(temporary.data());
  if (fd < 0) return ErrorFromErrno(errno);
  struct stat old;
  fchmod(fd, stat(hostPath.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644);
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t put = write(fd, bytes.data() + done, bytes.size() - done);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) {
      DWORD error = put < 0 ? ErrorFromErrno(errno) : ERROR_DISK_FULL;
      close(fd);
      unlink(temporary.c_str());
      return error;
    }
    done += static_cast<size_t>(put);
  }
  if (fsync(fd) != 0 || close(fd) != 0 || rename(temporary.c_str(), hostPath.c_str()) != 0) {
    DWORD error = ErrorFromErrno(errno);
    unlink(temporary.c_str());
    return error;
  }
  return ERROR_SUCCESS;
}

// "abc" and 'abc' are read as abc.
std::string WithoutQuotes(const std::string& value) {
  if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0])
    return value.substr(1, value.size() - 2);
  return value;
}

DWORD CopyString(const std::string& value, LPSTR buffer, DWORD size) {
  DWORD count = static_cast<DWORD>(std::min<size_t>(value.size(), size - 1));
  std::memcpy(buffer, value.data(), count);
  buffer[count] = '\0';
  return count;
}

// Names one after the other, each ending in NUL, the list in a second NUL.
// A list that does not fit is cut and still ends in two NULs: nSize - 2.
DWORD CopyList(const std::vector<std::string>& names, LPSTR buffer, DWORD size) {
  std::string all;
  for (const auto& name : names) all += name + '\0';
  if (all.size() + 1 <= size) {
    std::memcpy(buffer, all.data(), all.size());
    buffer[all.size()] = '\0';
    if (all.empty() && size >= 2) buffer[1] = '\0';
    return static_cast<DWORD>(all.size());
  }
  if (size < 2) {
    buffer[0] = '\0';
    return 0;
  }
  std::memcpy(buffer, all.data(), size - 2);
  buffer[size - 2] = buffer[size - 1] = '\0';
  return size - 2;
}

struct Lookup {
  bool fileFound = false;
  bool isList = false;
  std::vector<std::string> names;
  bool valueFound = false;
  std::string value;
};

Lookup LookUp(LPCSTR section, LPCSTR key, LPCSTR fileName) {
  Lookup result;
  ResolvedPath path = ProfilePath(fileName);
  std::string bytes;
  {
    std::lock_guard lock(ProfileLock());
    result.fileFound = path.ok && path.exists && !path.isDirectory && ReadBytes(path.hostPath, bytes);
  }
  ProfileText text = SplitLines(bytes);
  std::string name, value;
  if (!section) {
    result.isList = true;
    for (const auto& line : text.lines)
      if (SectionHeader(line, name)) result.names.push_back(name);
    return result;
  }
  int header = FindSection(text, Trim(section));
  if (!key) {
    result.isList = true;
    if (header < 0) return result;
    for (size_t i = header + 1; i < SectionEnd(text, header); ++i)
      if (KeyLine(text.lines[i], name, value)) result.names.push_back(name);
    return result;
  }
  if (header >= 0 && FindKey(text, header, Trim(key), &value) >= 0) {
    result.valueFound = true;
    result.value = WithoutQuotes(value);
  }
  return result;
}

// Characters that would change the file's structure if written as given.
bool CanWrite(LPCSTR section, LPCSTR key, LPCSTR value) {
  auto has = [](LPCSTR text, const char* characters) { return text && std::strpbrk(text, characters); };
  if (has(section, "\r\n]") || has(key, "\r\n=") || has(value, "\r\n")) return false;
  // A key read back as a section header or a comment would be lost.
  std::string name = key ? Trim(key) : std::string();
  return name.empty() || (name[0] != '[' && name[0] != ';');
}

// Makes sure the line before an insertion point ends, so the new line starts on its own.
void EndLine(ProfileText& text, size_t index) {
  if (index < text.lines.size() && text.endings[index].empty()) text.endings[index] = text.newline;
}

void InsertLine(ProfileText& text, size_t at, const std::string& line) {
  if (at > 0) EndLine(text, at - 1);
  text.lines.insert(text.lines.begin() + static_cast<long>(at), line);
  text.endings.insert(text.endings.begin() + static_cast<long>(at), text.newline);
}

void EraseLines(ProfileText& text, size_t from, size_t to) {
  text.lines.erase(text.lines.begin() + static_cast<long>(from), text.lines.begin() + static_cast<long>(to));
  text.endings.erase(text.endings.begin() + static_cast<long>(from), text.endings.begin() + static_cast<long>(to));
}

bool DeleteSection(ProfileText& text, const std::string& section) {
  bool changed = false;
  for (int header; (header = FindSection(text, section)) >= 0; changed = true)
    EraseLines(text, static_cast<size_t>(header), SectionEnd(text, header));
  return changed;
}

bool DeleteKey(ProfileText& text, const std::string& section, const std::string& key) {
  int header = FindSection(text, section);
  if (header < 0) return false;
  bool changed = false;
  for (int line; (line = FindKey(text, header, key, nullptr)) >= 0; changed = true)
    EraseLines(text, static_cast<size_t>(line), static_cast<size_t>(line) + 1);
  return changed;
}

bool SetValue(ProfileText& text, const std::string& section, const std::string& key, const std::string& value) {
  int header = FindSection(text, section);
  if (header < 0) {
    if (!text.lines.empty() && !IsBlank(text.lines.back())) InsertLine(text, text.lines.size(), "");
    InsertLine(text, text.lines.size(), "[" + section + "]");
    InsertLine(text, text.lines.size(), key + "=" + value);
    return true;
  }
  int line = FindKey(text, header, key, nullptr);
  if (line >= 0) {
    // Keep the key as spelled in the file and any blanks around "=".
    std::string& existing = text.lines[line];
    size_t valueStart = existing.find_first_not_of(" \t", existing.find('=') + 1);
    std::string replaced = existing.substr(0, valueStart == std::string::npos ? existing.size() : valueStart) + value;
    if (replaced == existing) return false;
    existing = replaced;
    return true;
  }
  // After the section's last non-blank line, so blank separators stay below it.
  size_t at = static_cast<size_t>(header) + 1;
  for (size_t i = at; i < SectionEnd(text, header); ++i)
    if (!IsBlank(text.lines[i])) at = i + 1;
  InsertLine(text, at, key + "=" + value);
  return true;
}

BOOL Write(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR fileName) {
  if (!section && !key && !value) return TRUE;  // "flush the cache": nothing is cached
  if (!section || !CanWrite(section, key, value)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  ResolvedPath path = ProfilePath(fileName);
  if (!path.ok) {
    SetLastError(path.error);
    return FALSE;
  }
  std::lock_guard lock(ProfileLock());
  struct stat info;
  bool exists = stat(path.hostPath.c_str(), &info) == 0;
  if (exists && (S_ISDIR(info.st_mode) || !(info.st_mode & S_IWUSR))) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  std::string bytes;
  if (exists && !ReadBytes(path.hostPath, bytes)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  ProfileText text = SplitLines(bytes);
  bool changed = !key     ? DeleteSection(text, Trim(section))
                 : !value ? DeleteKey(text, Trim(section), Trim(key))
                          : SetValue(text, Trim(section), Trim(key), value);
  if (!changed) return TRUE;
  if (DWORD error = ReplaceFile(path.hostPath, JoinLines(text))) {
    SetLastError(error);
    return FALSE;
  }
  return TRUE;
}

DWORD GetString(LPCSTR section, LPCSTR key, LPCSTR defaultValue, LPSTR buffer, DWORD size, LPCSTR fileName) {
  if (!buffer || size == 0) return 0;
  Lookup found = LookUp(section, key, fileName);
  if (!found.fileFound) SetLastError(ERROR_FILE_NOT_FOUND);
  if (found.isList) return CopyList(found.names, buffer, size);
  if (found.valueFound) return CopyString(found.value, buffer, size);
  std::string fallback = defaultValue ? defaultValue : "";
  fallback.erase(fallback.find_last_not_of(" \t") + 1);
  return CopyString(fallback, buffer, size);
}

// Decimal digits after an optional sign; anything after them is ignored.
UINT GetInt(LPCSTR section, LPCSTR key, INT defaultValue, LPCSTR fileName) {
  if (!section || !key) return static_cast<UINT>(defaultValue);
  Lookup found = LookUp(section, key, fileName);
  if (!found.valueFound || found.value.empty()) return static_cast<UINT>(defaultValue);
  const char* p = found.value.c_str();
  bool negative = *p == '-';
  if (*p == '-' || *p == '+') ++p;
  UINT number = 0;
  for (; *p >= '0' && *p <= '9'; ++p) number = number * 10 + static_cast<UINT>(*p - '0');
  return negative ? 0u - number : number;
}

}  // namespace
}  // namespace host::kernel

using namespace host::kernel;

extern "C" {

DWORD WINAPI GetPrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpDefault, LPSTR lpReturnedString,
                                      DWORD nSize, LPCSTR lpFileName) {
  return GetString(lpAppName, lpKeyName, lpDefault, lpReturnedString, nSize, lpFileName);
}

BOOL WINAPI WritePrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpString, LPCSTR lpFileName) {
  return Write(lpAppName, lpKeyName, lpString, lpFileName);
}

UINT WINAPI GetPrivateProfileIntA(LPCSTR lpAppName, LPCSTR lpKeyName, INT nDefault, LPCSTR lpFileName) {
  return GetInt(lpAppName, lpKeyName, nDefault, lpFileName);
}

DWORD WINAPI GetProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpDefault, LPSTR lpReturnedString,
                               DWORD nSize) {
  return GetString(lpAppName, lpKeyName, lpDefault, lpReturnedString, nSize, "WIN.INI");
}

BOOL WINAPI WriteProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpString) {
  return Write(lpAppName, lpKeyName, lpString, "WIN.INI");
}

UINT WINAPI GetProfileIntA(LPCSTR lpAppName, LPCSTR lpKeyName, INT nDefault) {
  return GetInt(lpAppName, lpKeyName, nDefault, "WIN.INI");
}

}  // extern "C"
