// Loaded modules. An HMODULE is the address of the module's record here.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace host::kernel {

struct Module {
  std::string windowsPath;  // where the loader found it, e.g. "C:\\WINDOWS\\SYSTEM\\OVXMON.DLL"
  std::string hostPath;     // the file's real host path: one record per file
  void* library = nullptr;  // dlopen handle; null for the host's own system module
  const void* base = nullptr;  // load address, to tell the module's own symbols from its imports'
  int references = 0;       // over all hosted processes
  // The modules it links against by name (its load-time dependencies), attached before it in each process
  // that loads it and released after it.
  std::vector<Module*> dependencies;
  bool dependenciesKnown = false;
};

// The module of a handle, or null for one that was never returned or is unloaded.
Module* ModuleFromHandle(HMODULE module);
// The host's own module: what KERNEL32.DLL, USER32.DLL, GDI32.DLL … load as.
Module* SystemModule();
// The exported symbol `name` defined by the module itself (not by what it links against).
void* ModuleSymbol(Module* module, const char* name);

}  // namespace host::kernel
