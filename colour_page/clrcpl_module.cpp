#include "clrcpl_module.h"

namespace clrcpl {
namespace {

LONG liveObjects;
HINSTANCE moduleInstance;
HMODULE resourceModule;
char helpFile[MAX_PATH];

}  // namespace

const CLSID kColourPageClass = {0xE1E066B5, 0x8E0E, 0x11CF, {0x97, 0xF3, 0x00, 0x60, 0x8C, 0xC0, 0x38, 0x83}};

void ObjectCreated() { ++liveObjects; }
void ObjectDestroyed() { --liveObjects; }
LONG LiveObjects() { return liveObjects; }

HINSTANCE ModuleInstance() { return moduleInstance; }
const char* HelpFile() { return helpFile; }

// "X.DLL" becomes "X.HLP". A name whose last "." belongs to a folder (or that
// has none) gets ".HLP" appended instead of losing part of its path.
void InitModule(HINSTANCE instance) {
  moduleInstance = instance;
  helpFile[0] = '\0';
  char path[MAX_PATH];
  DWORD length = GetModuleFileNameA(instance, path, sizeof(path));
  if (length == 0 || length >= sizeof(path)) return;
  char* dot = nullptr;
  for (char* p = path; *p; ++p) {
    if (*p == '.') dot = p;
    if (*p == '\\' || *p == '/') dot = nullptr;
  }
  if (dot) *dot = '\0';
  if (lstrlenA(path) + 5 > static_cast<int>(sizeof(helpFile))) return;
  lstrcpyA(helpFile, path);
  lstrcatA(helpFile, ".HLP");
}

void ForgetResourceModule() { resourceModule = nullptr; }

HMODULE ResourceModule() {
  if (!resourceModule) resourceModule = LoadLibraryA("M_COLOR.DLL");
  return resourceModule;
}

}  // namespace clrcpl
