// The station's registry store: roots and aliases as Windows 95 has them,
// handles, faults, and the REGEDIT4 file at <station root>/registry.reg.
//
// Saving: the whole file is rewritten after every change, atomically (write
// registry.reg.new, rename it over registry.reg), so a crash of the host
// process never loses a change that returned and never leaves a half-written
// file. Forcing it to the disk (fsync of the file and the folder) is left to
// RegFlushKey and shutdown, as Win32 leaves durability to RegFlushKey:
// measured under qemu on the development machine, a save of a 20 KB registry
// takes about 3 ms without the fsyncs and 10 to 25 ms with them, which would
// make a program that writes a hundred values take seconds.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>

#include "kernel/station_state.h"
#include "registry/reg_file.h"
#include "registry/registry_state.h"

namespace fs = std::filesystem;

namespace host::registry {
namespace {

// Windows 95 has no HKEY_PERFORMANCE_DATA. Its HKEY_CLASSES_ROOT is
// HKLM\SOFTWARE\Classes, its HKEY_CURRENT_USER (no user profiles) is
// HKU\.Default and its HKEY_CURRENT_CONFIG is HKLM\Config\0001.
// HKEY_DYN_DATA lives in memory only and starts empty at each boot.
struct RootName {
  const char* name;
  const char* abbreviation;
  HKEY handle;
  const char* aliasOf;  // null for a real root
};

const RootName kRoots[] = {
    {"HKEY_CLASSES_ROOT", "HKCR", HKEY_CLASSES_ROOT, "HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes"},
    {"HKEY_CURRENT_USER", "HKCU", HKEY_CURRENT_USER, "HKEY_USERS\\.Default"},
    {"HKEY_LOCAL_MACHINE", "HKLM", HKEY_LOCAL_MACHINE, nullptr},
    {"HKEY_USERS", "HKU", HKEY_USERS, nullptr},
    {"HKEY_CURRENT_CONFIG", "HKCC", HKEY_CURRENT_CONFIG, "HKEY_LOCAL_MACHINE\\Config\\0001"},
    {"HKEY_DYN_DATA", "HKDD", HKEY_DYN_DATA, nullptr},
};
constexpr std::size_t kRootCount = sizeof kRoots / sizeof kRoots[0];

// The real roots written to the file, in this order.
const char* const kPersistentRoots[] = {"HKEY_LOCAL_MACHINE", "HKEY_USERS"};

struct Fault {
  Op op;
  std::string keyPath;  // canonical: aliases resolved
  std::optional<std::string> valueName;
  LONG error;
};

struct State {
  bool booted = false;
  std::shared_ptr<Key> roots[kRootCount];  // an alias points at its target key
  std::map<ULONG_PTR, std::shared_ptr<Key>> handles;
  std::vector<Fault> faults;
  std::vector<std::string> diagnostics;
  std::string filePath;
  bool dirty = false;           // changed since the last good write
  bool unsynced = false;        // written but not yet forced to the disk
  bool savesSuspended = false;  // the file on disk could not be read nor kept aside
  std::optional<std::size_t> saveCrashAfter;
  bool crashed = false;  // a simulated crash stopped a save: nothing more is written
};

std::mutex& Mutex() {
  static std::mutex mutex;
  return mutex;
}

State& TheState() {
  static State state;
  return state;
}

// Never a multiple of 4, so an HKEY never equals a kernel handle; the counter
// runs on across stations so a handle from before a reboot is refused.
ULONG_PTR gNextHandle = 0x00010002;

const RootName* FindRootName(std::string_view name) {
  for (const RootName& root : kRoots)
    if (NamesEqual(name, root.name) || NamesEqual(name, root.abbreviation)) return &root;
  return nullptr;
}

std::size_t RootIndex(const RootName* root) { return static_cast<std::size_t>(root - kRoots); }

void Report(const std::string& problem) {
  TheState().diagnostics.push_back(problem);
  std::fprintf(stderr, "registry: %s\n", problem.c_str());
}

// The key at a full path ("HKEY_CURRENT_USER\\Software"), created when asked.
// `displayPath` gets the path with the root named as asked and the keys' own case.
std::shared_ptr<Key> FindKeyByPath(std::string_view path, bool create, std::string* displayPath = nullptr) {
  std::vector<std::string_view> names;
  if (SplitKeyPath(path, names) != ERROR_SUCCESS || names.empty()) return nullptr;
  const RootName* root = FindRootName(names.front());
  if (!root) return nullptr;
  std::shared_ptr<Key> key = TheState().roots[RootIndex(root)];
  // While the file loads, the aliases are not set up yet.
  if (!key && root->aliasOf) key = FindKeyByPath(root->aliasOf, create);
  if (!key) return nullptr;
  std::string shown = root->name;
  for (std::size_t i = 1; i < names.size(); ++i) {
    bool created = false;
    key = create ? key->FindOrAddSubkey(names[i], &created) : key->FindSubkey(names[i]);
    if (!key) return nullptr;
    if (created) TheState().dirty = true;
    shown += "\\" + key->name;
  }
  if (displayPath) *displayPath = shown;
  return key;
}

// Resolves a root abbreviation or alias to the real path, for comparisons.
std::string CanonicalPath(std::string_view path) {
  std::vector<std::string_view> names;
  if (SplitKeyPath(path, names) != ERROR_SUCCESS || names.empty()) return std::string(path);
  const RootName* root = FindRootName(names.front());
  std::string canonical = root ? (root->aliasOf ? root->aliasOf : root->name) : std::string(names.front());
  for (std::size_t i = 1; i < names.size(); ++i) canonical += "\\" + std::string(names[i]);
  return canonical;
}

void BuildRoots() {
  State& state = TheState();
  for (std::size_t i = 0; i < kRootCount; ++i) {
    if (kRoots[i].aliasOf) continue;
    state.roots[i] = std::make_shared<Key>();
    state.roots[i]->name = kRoots[i].name;
  }
}

void BuildAliases() {
  for (std::size_t i = 0; i < kRootCount; ++i)
    if (kRoots[i].aliasOf) TheState().roots[i] = FindKeyByPath(kRoots[i].aliasOf, true);
}

std::string RegistryText() {
  static std::size_t lastSize = 0;
  std::string text;
  text.reserve(lastSize + lastSize / 8);
  text = kRegFileHeader;
  for (const char* name : kPersistentRoots) AppendKeySections(text, name, *FindKeyByPath(name, false));
  lastSize = text.size();
  return text;
}

bool WriteAll(int fd, const char* bytes, std::size_t size) {
  while (size > 0) {
    ssize_t written = ::write(fd, bytes, size);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    bytes += written;
    size -= static_cast<std::size_t>(written);
  }
  return true;
}

bool SyncPath(const std::string& path, int flags) {
  int fd = ::open(path.c_str(), flags | O_CLOEXEC);
  if (fd < 0) return false;
  bool synced = ::fsync(fd) == 0;
  return ::close(fd) == 0 && synced;
}

// The file's bytes and its name in the folder both reach the disk.
bool SyncFileAndFolder(const std::string& path) {
  return SyncPath(path, O_RDONLY) && SyncPath(fs::path(path).parent_path().string(), O_RDONLY | O_DIRECTORY);
}

// Writes `text` to `path` atomically, forced to the disk when `durable`.
// Returns false with a diagnostic on failure.
bool WriteFileAtomically(const std::string& path, const std::string& text, bool durable) {
  State& state = TheState();
  std::string temporary = path + ".new";
  int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) {
    Report("cannot write " + temporary + ": " + std::strerror(errno));
    return false;
  }
  if (state.saveCrashAfter) {
    WriteAll(fd, text.data(), std::min(*state.saveCrashAfter, text.size()));
    ::close(fd);
    state.saveCrashAfter.reset();
    state.crashed = true;
    return false;
  }
  bool ok = WriteAll(fd, text.data(), text.size()) && (!durable || ::fsync(fd) == 0);
  if (::close(fd) != 0) ok = false;
  if (ok && ::rename(temporary.c_str(), path.c_str()) == 0) {
    if (durable && !SyncPath(fs::path(path).parent_path().string(), O_RDONLY | O_DIRECTORY))
      Report("cannot force " + path + " to the disk: " + std::strerror(errno));
    return true;
  }
  Report("cannot save " + path + ": " + std::strerror(errno));
  ::unlink(temporary.c_str());
  return false;
}

LONG SaveLocked(bool durable) {
  State& state = TheState();
  if (!state.booted || state.crashed) return ERROR_CANTWRITE;
  if (!state.dirty) {
    if (!durable || !state.unsynced) return ERROR_SUCCESS;
    if (!SyncFileAndFolder(state.filePath)) {
      Report("cannot force " + state.filePath + " to the disk: " + std::strerror(errno));
      return ERROR_CANTWRITE;
    }
    state.unsynced = false;
    return ERROR_SUCCESS;
  }
  if (state.savesSuspended) return ERROR_CANTWRITE;
  if (!WriteFileAtomically(state.filePath, RegistryText(), durable)) return ERROR_CANTWRITE;
  state.dirty = false;
  state.unsynced = !durable;
  return ERROR_SUCCESS;
}

// Moves a damaged file aside without replacing an earlier one.
bool KeepAside(const std::string& path) {
  std::string aside = path + ".bad";
  for (int n = 1; fs::exists(aside); ++n) aside = path + ".bad." + std::to_string(n);
  std::error_code error;
  fs::rename(path, aside, error);
  if (error) {
    Report("cannot move " + path + " aside: " + error.message() + "; the registry will not be saved");
    return false;
  }
  Report("the damaged file was kept as " + aside);
  return true;
}

void ApplyValues(Key& key, const ParsedSection& section, std::vector<std::string>& problems) {
  for (const ParsedValue& value : section.values) {
    if (!IsWritableName(value.name)) {
      problems.push_back("in [" + section.path + "]: value name with control characters skipped");
    } else if (value.remove) {
      key.RemoveValue(value.name);
    } else {
      key.SetValue(value.name, value.type, value.data);
    }
  }
}

void ApplySection(const ParsedSection& section, std::vector<std::string>& problems) {
  std::string where = "line " + std::to_string(section.line) + ": ";
  if (section.remove) {
    std::shared_ptr<Key> key = FindKeyByPath(section.path, false);
    if (key && !IsProtectedKey(*key) && key->parent) key->parent->RemoveSubkey(key->name);
    return;
  }
  std::shared_ptr<Key> key = FindKeyByPath(section.path, true);
  if (!key) {
    problems.push_back(where + "unknown root or bad name in [" + section.path + "]; its values are skipped");
    return;
  }
  if (section.hasClass) key->className = section.className;
  ApplyValues(*key, section, problems);
}

std::optional<std::string> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in.is_open()) return std::nullopt;
  std::ostringstream bytes;
  bytes << in.rdbuf();
  if (in.bad()) return std::nullopt;
  return bytes.str();
}

void LoadFile() {
  State& state = TheState();
  std::error_code ignored;
  fs::remove(state.filePath + ".new", ignored);  // what a crash during a save left
  if (!fs::exists(state.filePath)) return;
  std::optional<std::string> text = ReadFile(state.filePath);
  if (!text) {
    Report("cannot read " + state.filePath);
    state.savesSuspended = !KeepAside(state.filePath);
    return;
  }
  ParsedFile parsed = ParseRegFile(*text);
  for (const ParsedSection& section : parsed.sections) ApplySection(section, parsed.problems);
  // Loading marks created keys dirty; the file already holds them.
  state.dirty = false;
  if (parsed.problems.empty()) return;
  for (const std::string& problem : parsed.problems) Report(state.filePath + ": " + problem);
  if (KeepAside(state.filePath)) {
    state.dirty = true;  // write what was read as the new file
  } else {
    state.savesSuspended = true;
  }
}

void OnBoot() {
  auto lock = LockRegistry();
  State& state = TheState();
  state = State{};
  state.booted = true;
  state.filePath = kernel::StationRootFolder() + "/registry.reg";
  BuildRoots();
  LoadFile();
  BuildAliases();  // after loading, so the keys keep the file's order
  SaveLocked(true);
}

void OnShutdown() {
  auto lock = LockRegistry();
  SaveLocked(true);
  // The tree goes with the station; open handles die with it.
  for (auto& root : TheState().roots)
    if (root && !root->parent) MarkDeleted(*root);
  TheState() = State{};
}

const bool kHookRegistered = [] {
  RegisterStationHook(10, OnBoot, OnShutdown);
  return true;
}();

}  // namespace

std::unique_lock<std::mutex> LockRegistry() { return std::unique_lock(Mutex()); }

LONG ResolveKey(HKEY handle, std::shared_ptr<Key>& key) {
  State& state = TheState();
  if (!state.booted) return ERROR_INVALID_HANDLE;
  for (std::size_t i = 0; i < kRootCount; ++i) {
    if (kRoots[i].handle != handle) continue;
    key = state.roots[i];
    return ERROR_SUCCESS;
  }
  auto found = state.handles.find(reinterpret_cast<ULONG_PTR>(handle));
  if (found == state.handles.end()) return ERROR_INVALID_HANDLE;
  key = found->second;
  return key->deleted ? ERROR_KEY_DELETED : ERROR_SUCCESS;
}

HKEY AddKeyHandle(std::shared_ptr<Key> key) {
  ULONG_PTR value = gNextHandle;
  gNextHandle += 4;
  TheState().handles[value] = std::move(key);
  return reinterpret_cast<HKEY>(value);
}

LONG CloseKeyHandle(HKEY handle) {
  for (const RootName& root : kRoots)
    if (root.handle == handle) return ERROR_SUCCESS;
  return TheState().handles.erase(reinterpret_cast<ULONG_PTR>(handle)) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

std::string TargetPath(const Key& key, const std::vector<std::string_view>& names) {
  std::string path = key.Path();
  for (std::string_view name : names) path += "\\" + std::string(name);
  return path;
}

LONG InjectedFault(Op op, const std::string& keyPath, const std::string* valueName) {
  for (const Fault& fault : TheState().faults) {
    if (fault.op != op || !NamesEqual(fault.keyPath, keyPath)) continue;
    if (fault.valueName && (!valueName || !NamesEqual(*fault.valueName, *valueName))) continue;
    return fault.error;
  }
  return ERROR_SUCCESS;
}

bool IsProtectedKey(const Key& key) {
  if (!key.parent) return true;
  for (std::size_t i = 0; i < kRootCount; ++i)
    if (kRoots[i].aliasOf && TheState().roots[i] && key.IsAncestorOrSelfOf(TheState().roots[i].get())) return true;
  return false;
}

void SaveAfterChange() {
  TheState().dirty = true;
  SaveLocked(false);
}

LONG SaveNow() { return SaveLocked(true); }

// Control API.

void InjectFault(Op op, const std::string& keyPath, LONG error) {
  auto lock = LockRegistry();
  TheState().faults.push_back(Fault{op, CanonicalPath(keyPath), std::nullopt, error});
}

void InjectFault(Op op, const std::string& keyPath, const std::string& valueName, LONG error) {
  auto lock = LockRegistry();
  TheState().faults.push_back(Fault{op, CanonicalPath(keyPath), valueName, error});
}

void ClearFaults() {
  auto lock = LockRegistry();
  TheState().faults.clear();
}

void InjectSaveCrash(std::size_t bytesWritten) {
  auto lock = LockRegistry();
  TheState().saveCrashAfter = bytesWritten;
}

std::string Dump(const std::string& keyPath) {
  auto lock = LockRegistry();
  if (!TheState().booted) return "";
  std::vector<std::string_view> names;
  if (SplitKeyPath(keyPath, names) == ERROR_SUCCESS && names.empty()) return RegistryText();
  std::string shown;
  std::shared_ptr<Key> key = FindKeyByPath(keyPath, false, &shown);
  if (!key) return "";
  std::string text = kRegFileHeader;
  AppendKeySections(text, shown, *key);
  return text;
}

std::string RegistryFilePath() {
  auto lock = LockRegistry();
  return TheState().filePath;
}

std::vector<std::string> Diagnostics() {
  auto lock = LockRegistry();
  return TheState().diagnostics;
}

}  // namespace host::registry
