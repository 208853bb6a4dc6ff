// The module loader: LoadLibraryA, GetProcAddress, FreeLibrary, and starting
// program modules as hosted processes.
//
// A module is an ELF shared object named as its Windows file. Its code and data
// are loaded once per OS process; DllMain still sees one PROCESS_ATTACH and one
// PROCESS_DETACH per hosted process that loads it, as a DLL would on Windows.
#include "kernel/module_table.h"
#include "kernel/paths.h"
#include "kernel/process_table.h"

#include <host/loader.h>

#include <dlfcn.h>
#include <elf.h>
#include <link.h>
#include <strings.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <list>
#include <map>
#include <set>

namespace fs = std::filesystem;

namespace host::kernel {
namespace {

struct Loader {
  std::list<Module> modules;  // stable addresses: they are the HMODULEs
  Module system;
  // Load order per process, so detach runs in reverse.
  std::map<DWORD, std::vector<Module*>> loadOrder;
  // Exports tests hid: (upper-case file name, bare export name).
  std::set<std::pair<std::string, std::string>> hiddenExports;
};

Loader& L() {
  static Loader loader;
  return loader;
}

bool EqualsNoCase(const std::string& a, const std::string& b) { return strcasecmp(a.c_str(), b.c_str()) == 0; }

std::string FileNamePart(const std::string& path) {
  auto slash = path.find_last_of("\\/:");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string FolderPart(const std::string& path) {
  auto slash = path.find_last_of('\\');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// "OVXCTRL" → "OVXCTRL.DLL": Windows appends the default extension when the
// name has none; a trailing dot means "no extension".
std::string WithDefaultExtension(std::string name, const char* extension) {
  std::string file = FileNamePart(name);
  if (!file.empty() && file.back() == '.') {
    name.pop_back();
    return name;
  }
  if (file.find('.') == std::string::npos) name += extension;
  return name;
}

bool IsSystemModuleName(const std::string& name) {
  static const char* const kNames[] = {"KERNEL32.DLL", "USER32.DLL",   "GDI32.DLL",   "ADVAPI32.DLL",
                                       "COMCTL32.DLL", "SHELL32.DLL",  "OLE32.DLL",   "KERNEL.EXE",
                                       "USER.EXE",     "GDI.EXE",      "COMDLG32.DLL", "WINMM.DLL"};
  std::string file = FileNamePart(name);
  return std::any_of(std::begin(kNames), std::end(kNames), [&](const char* known) { return EqualsNoCase(known, file); });
}

struct Found {
  std::string windowsPath;
  std::string hostPath;
};

bool FindInFolder(const std::string& folder, const std::string& file, Found& found) {
  ResolvedPath resolved = ResolveWindowsPath((folder + "\\" + file).c_str());
  if (!resolved.ok || !resolved.exists || fs::is_directory(resolved.hostPath)) return false;
  found = {resolved.windowsPath, resolved.hostPath};
  return true;
}

// The build's module folder comes last, so every module of the build can be
// loaded even where the station has not installed it.
bool FindInModuleFolder(const std::string& file, Found& found) {
  const std::string& dir = host::CurrentStationConfig().moduleDir;
  std::error_code error;
  if (dir.empty() || !fs::is_directory(dir, error)) return false;
  for (auto& entry : fs::directory_iterator(dir, error)) {
    if (!EqualsNoCase(entry.path().filename().string(), file)) continue;
    found = {std::string(kSystemDirectory) + "\\" + entry.path().filename().string(), entry.path().string()};
    return true;
  }
  return false;
}

// Windows 95's search for a module named without a folder: the program's
// folder, the current folder, the system folder, the Windows folder.
bool FindModuleFile(const std::string& name, Found& found) {
  if (name.find_first_of("\\/:") != std::string::npos) {
    ResolvedPath resolved = ResolveWindowsPath(name.c_str());
    if (!resolved.ok || !resolved.exists) return false;
    found = {resolved.windowsPath, resolved.hostPath};
    return true;
  }
  Process& process = CurrentProcess();
  for (const std::string& folder :
       {FolderPart(process.imagePath), process.currentDirectory, std::string(kSystemDirectory),
        std::string(kWindowsDirectory)})
    if (!folder.empty() && FindInFolder(folder, name, found)) return true;
  return FindInModuleFolder(name, found);
}

const void* LoadAddress(void* library) {
  link_map* map = nullptr;
  if (dlinfo(library, RTLD_DI_LINKMAP, &map) != 0 || !map) return nullptr;
  return reinterpret_cast<const void*>(map->l_addr);
}

Module* OpenModule(const Found& found) {
  std::error_code error;
  std::string real = fs::canonical(found.hostPath, error).string();
  if (error) real = found.hostPath;
  for (auto& module : L().modules)
    if (module.hostPath == real) return &module;
  void* library = dlopen(real.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!library) {
    std::fprintf(stderr, "LoadLibrary %s: %s\n", found.windowsPath.c_str(), dlerror());
    SetLastError(ERROR_BAD_FORMAT);
    return nullptr;
  }
  Module& module = L().modules.emplace_back();
  module.windowsPath = found.windowsPath;
  module.hostPath = real;
  module.library = library;
  module.base = LoadAddress(library);
  return &module;
}

void CloseModuleIfUnused(Module* module) {
  if (module->references > 0 || module == &L().system) return;
  dlclose(module->library);
  L().modules.remove_if([&](const Module& m) { return &m == module; });
}

BOOL CallDllMain(Module* module, DWORD reason) {
  auto entry = reinterpret_cast<PDLLMAIN>(ModuleSymbol(module, "DllMain"));
  if (!entry) return TRUE;
  return entry(reinterpret_cast<HINSTANCE>(module), reason, nullptr);
}

// The DT_NEEDED names of an ELF file that are modules (a Windows file name: ".DLL", ".EXE" …, not a
// host library such as libovxhost.so or libc). Read from the file, which the loaded image may not keep.
std::vector<std::string> NeededModuleNames(const std::string& hostPath) {
  std::ifstream in(hostPath, std::ios::binary);
  std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<std::string> names;
  auto fits = [&](size_t offset, size_t size) { return offset <= bytes.size() && size <= bytes.size() - offset; };
  if (!fits(0, sizeof(Elf32_Ehdr)) || std::memcmp(bytes.data(), ELFMAG, SELFMAG) != 0 ||
      bytes[EI_CLASS] != ELFCLASS32)
    return names;
  Elf32_Ehdr header;
  std::memcpy(&header, bytes.data(), sizeof(header));
  std::vector<Elf32_Phdr> segments;
  for (size_t i = 0; i < header.e_phnum; ++i) {
    size_t at = header.e_phoff + i * sizeof(Elf32_Phdr);
    if (!fits(at, sizeof(Elf32_Phdr))) return names;
    Elf32_Phdr segment;
    std::memcpy(&segment, bytes.data() + at, sizeof(segment));
    segments.push_back(segment);
  }
  auto fileOffset = [&](Elf32_Addr address, size_t* offset) {
    for (const Elf32_Phdr& s : segments)
      if (s.p_type == PT_LOAD && address >= s.p_vaddr && address - s.p_vaddr < s.p_filesz) {
        *offset = s.p_offset + (address - s.p_vaddr);
        return true;
      }
    return false;
  };
  std::vector<Elf32_Word> needed;
  Elf32_Addr strtab = 0;
  for (const Elf32_Phdr& s : segments) {
    if (s.p_type != PT_DYNAMIC) continue;
    for (size_t at = s.p_offset; fits(at, sizeof(Elf32_Dyn)) && at + sizeof(Elf32_Dyn) <= s.p_offset + s.p_filesz;
         at += sizeof(Elf32_Dyn)) {
      Elf32_Dyn entry;
      std::memcpy(&entry, bytes.data() + at, sizeof(entry));
      if (entry.d_tag == DT_NULL) break;
      if (entry.d_tag == DT_NEEDED) needed.push_back(entry.d_un.d_val);
      if (entry.d_tag == DT_STRTAB) strtab = entry.d_un.d_ptr;
    }
  }
  size_t table = 0;
  if (needed.empty() || !fileOffset(strtab, &table)) return names;
  for (Elf32_Word offset : needed) {
    if (!fits(table + offset, 1)) continue;
    const char* start = bytes.data() + table + offset;
    std::string name(start, strnlen(start, bytes.size() - table - offset));
    auto dot = name.rfind('.');
    std::string extension = dot == std::string::npos ? "" : name.substr(dot);
    for (const char* moduleExtension : {".DLL", ".EXE", ".DRV", ".CPL"})
      if (EqualsNoCase(extension, moduleExtension)) names.push_back(name);
  }
  return names;
}

// The module record of a dependency the dynamic linker loaded with `module`: the very file it linked.
Module* OpenDependency(const std::string& name) {
  void* library = dlopen(name.c_str(), RTLD_NOW | RTLD_NOLOAD);
  if (!library) return nullptr;
  link_map* map = nullptr;
  std::string path = dlinfo(library, RTLD_DI_LINKMAP, &map) == 0 && map && map->l_name ? map->l_name : "";
  dlclose(library);
  if (path.empty()) return nullptr;
  Found found;
  if (!FindModuleFile(name, found)) found.windowsPath = std::string(kSystemDirectory) + "\\" + name;
  found.hostPath = path;
  return OpenModule(found);
}

void LearnDependencies(Module* module) {
  if (module->dependenciesKnown || module == &L().system) return;
  module->dependenciesKnown = true;
  for (const std::string& name : NeededModuleNames(module->hostPath)) {
    Module* dependency = IsSystemModuleName(name) ? nullptr : OpenDependency(name);
    if (dependency && dependency != module) module->dependencies.push_back(dependency);
  }
}

bool ReferenceInProcess(Module* module, int depth = 0);
bool ReleaseInProcess(Process& process, Module* module);

void ReleaseDependencies(Process& process, const std::vector<Module*>& dependencies) {
  for (auto it = dependencies.rbegin(); it != dependencies.rend(); ++it) ReleaseInProcess(process, *it);
}

// Load-time dependencies are referenced, and attached, before the module, as Windows does; a dependency
// that refuses its attach fails the module's load.
bool ReferenceDependencies(Module* module, int depth) {
  LearnDependencies(module);
  constexpr int kMaxDepth = 16;  // a cycle of modules linking each other ends here
  if (depth > kMaxDepth) return true;
  std::vector<Module*> done;
  for (Module* dependency : module->dependencies) {
    if (!ReferenceInProcess(dependency, depth + 1)) {
      ReleaseDependencies(CurrentProcess(), done);
      return false;
    }
    done.push_back(dependency);
  }
  return true;
}

// Counts a reference of the calling process; the first attaches the module.
bool ReferenceInProcess(Module* module, int depth) {
  Process& process = CurrentProcess();
  ++module->references;
  if (++process.moduleReferences[module] > 1 || module == &L().system) return true;
  auto undo = [&] {
    --module->references;
    process.moduleReferences.erase(module);
    CloseModuleIfUnused(module);
  };
  if (!ReferenceDependencies(module, depth)) {
    undo();
    return false;
  }
  L().loadOrder[process.id].push_back(module);
  if (CallDllMain(module, DLL_PROCESS_ATTACH)) return true;
  // A refused attach: Windows calls the entry point again to detach and unloads.
  CallDllMain(module, DLL_PROCESS_DETACH);
  auto& order = L().loadOrder[process.id];
  order.erase(std::remove(order.begin(), order.end(), module), order.end());
  ReleaseDependencies(process, module->dependencies);
  undo();
  SetLastError(ERROR_DLL_INIT_FAILED);
  return false;
}

bool ReleaseInProcess(Process& process, Module* module) {
  auto found = process.moduleReferences.find(module);
  if (found == process.moduleReferences.end()) return false;
  --module->references;
  if (--found->second == 0) {
    process.moduleReferences.erase(found);
    auto& order = L().loadOrder[process.id];
    order.erase(std::remove(order.begin(), order.end(), module), order.end());
    if (module != &L().system) {
      CallDllMain(module, DLL_PROCESS_DETACH);
      ReleaseDependencies(process, module->dependencies);
    }
  }
  CloseModuleIfUnused(module);
  return true;
}

// At the end of a process every module it still holds is detached, the most
// recently loaded first.
void DetachProcessModules(ProcessState& state) {
  std::lock_guard lock(KernelLock());
  Process& process = state.process;
  auto order = L().loadOrder[process.id];
  for (auto it = order.rbegin(); it != order.rend(); ++it) {
    Module* module = *it;
    auto found = process.moduleReferences.find(module);
    if (found == process.moduleReferences.end()) continue;
    module->references -= found->second;
    process.moduleReferences.erase(found);
    if (module != &L().system) CallDllMain(module, DLL_PROCESS_DETACH);
    CloseModuleIfUnused(module);
  }
  L().loadOrder.erase(process.id);
}

const bool kRegistered = [] {
  host::RegisterStationHook(
      0,
      [] {
        L().system = Module{};
        L().system.windowsPath = std::string(kSystemDirectory) + "\\KERNEL32.DLL";
        L().system.library = dlopen(nullptr, RTLD_NOW);
        L().hiddenExports.clear();
        SetProcessEndHandler(DetachProcessModules);
      },
      [] {});
  return true;
}();

}  // namespace

Module* ModuleFromHandle(HMODULE handle) {
  auto* wanted = reinterpret_cast<Module*>(handle);
  if (wanted == &L().system) return wanted;
  for (auto& module : L().modules)
    if (&module == wanted) return &module;
  return nullptr;
}

Module* SystemModule() { return &L().system; }

void* ModuleSymbol(Module* module, const char* name) {
  if (module == &L().system) {
    // The host's own exports: the Win32 functions of libovxhost.
    static void* self = [] {
      Dl_info info{};
      dladdr(reinterpret_cast<void*>(&LoadLibraryA), &info);
      return dlopen(info.dli_fname, RTLD_NOW | RTLD_NOLOAD);
    }();
    return self ? dlsym(self, name) : nullptr;
  }
  void* symbol = dlsym(module->library, name);
  if (!symbol) return nullptr;
  // dlsym also finds what the module links against; GetProcAddress must not.
  Dl_info info{};
  if (!dladdr(symbol, &info) || info.dli_fbase != module->base) {
    link_map* map = nullptr;
    if (dlinfo(module->library, RTLD_DI_LINKMAP, &map) != 0 || !map || info.dli_fname == nullptr ||
        std::strcmp(info.dli_fname, map->l_name) != 0)
      return nullptr;
  }
  return symbol;
}

// Runs a program module as a new hosted process.
DWORD StartProgramProcess(const std::string& commandLine, int showCommand, DWORD& error,
                          std::shared_ptr<ProcessState>* started);

}  // namespace host::kernel

using namespace host::kernel;

// Undecorates a stdcall name as the i686 toolchain decorates it: "_Name@8" and
// "Name@8" are exported as "Name".
static std::string BareExportName(const char* name) {
  std::string bare = name;
  auto at = bare.rfind('@');
  if (at != std::string::npos && at + 1 < bare.size() &&
      std::all_of(bare.begin() + at + 1, bare.end(), [](char c) { return std::isdigit((unsigned char)c); })) {
    bare.erase(at);
    if (!bare.empty() && bare[0] == '_') bare.erase(0, 1);
  }
  return bare;
}

static std::string UpperFileName(const std::string& path) {
  std::string file = path.substr(path.find_last_of("\\/:") + 1);
  for (char& c : file) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return file;
}

static bool IsHiddenExport(const Module* module, const std::string& bareName) {
  return L().hiddenExports.count({UpperFileName(module->windowsPath), bareName}) != 0;
}

void host::HideExport(const std::string& moduleFile, const std::string& procName) {
  std::lock_guard lock(KernelLock());
  L().hiddenExports.insert({UpperFileName(moduleFile), BareExportName(procName.c_str())});
}

void host::ClearHiddenExports() {
  std::lock_guard lock(KernelLock());
  L().hiddenExports.clear();
}

extern "C" {

HMODULE WINAPI LoadLibraryA(LPCSTR lpLibFileName) {
  if (!lpLibFileName || !*lpLibFileName) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return NULL;
  }
  std::lock_guard lock(KernelLock());
  std::string name = WithDefaultExtension(lpLibFileName, ".DLL");
  Module* module = nullptr;
  if (IsSystemModuleName(name)) {
    module = SystemModule();
  } else {
    Found found;
    if (!FindModuleFile(name, found)) {
      SetLastError(ERROR_MOD_NOT_FOUND);
      return NULL;
    }
    module = OpenModule(found);
    if (!module) return NULL;
  }
  if (!ReferenceInProcess(module)) return NULL;
  return reinterpret_cast<HMODULE>(module);
}

BOOL WINAPI FreeLibrary(HMODULE hLibModule) {
  std::lock_guard lock(KernelLock());
  Module* module = ModuleFromHandle(hLibModule);
  if (!module || !ReleaseInProcess(CurrentProcess(), module)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return TRUE;
}

FARPROC WINAPI GetProcAddress(HMODULE hModule, LPCSTR lpProcName) {
  std::lock_guard lock(KernelLock());
  Module* module = ModuleFromHandle(hModule);
  if (!module) {
    SetLastError(ERROR_INVALID_HANDLE);
    return NULL;
  }
  if (!lpProcName || IS_INTRESOURCE(lpProcName)) {  // ordinals are not exported here
    SetLastError(ERROR_PROC_NOT_FOUND);
    return NULL;
  }
  std::string bare = BareExportName(lpProcName);
  void* symbol = IsHiddenExport(module, bare) ? nullptr : ModuleSymbol(module, bare.c_str());
  if (!symbol) {
    SetLastError(ERROR_PROC_NOT_FOUND);
    return NULL;
  }
  return reinterpret_cast<FARPROC>(symbol);
}

HMODULE WINAPI GetModuleHandleA(LPCSTR lpModuleName) {
  std::lock_guard lock(KernelLock());
  Process& process = CurrentProcess();
  if (!lpModuleName) return reinterpret_cast<HMODULE>(process.exe ? process.exe : SystemModule());
  std::string name = WithDefaultExtension(lpModuleName, ".DLL");
  if (IsSystemModuleName(name)) return reinterpret_cast<HMODULE>(SystemModule());
  bool withFolder = name.find_first_of("\\/:") != std::string::npos;
  for (auto& [module, count] : process.moduleReferences) {
    const std::string& path = module->windowsPath;
    if (withFolder ? EqualsNoCase(path, name) : EqualsNoCase(FileNamePart(path), name))
      return reinterpret_cast<HMODULE>(module);
  }
  SetLastError(ERROR_MOD_NOT_FOUND);
  return NULL;
}

DWORD WINAPI GetModuleFileNameA(HMODULE hModule, LPSTR lpFilename, DWORD nSize) {
  std::lock_guard lock(KernelLock());
  Module* module = hModule ? ModuleFromHandle(hModule) : nullptr;
  std::string path;
  if (hModule == NULL)
    path = CurrentProcess().imagePath;
  else if (module)
    path = module->windowsPath;
  else {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  if (!lpFilename || nSize == 0) return 0;
  // Windows 95 truncates and terminates; the result counts what was stored.
  DWORD length = std::min<DWORD>(path.size(), nSize - 1);
  std::memcpy(lpFilename, path.data(), length);
  lpFilename[length] = '\0';
  return length;
}

BOOL WINAPI DisableThreadLibraryCalls(HMODULE) { return TRUE; }

}  // extern "C"
