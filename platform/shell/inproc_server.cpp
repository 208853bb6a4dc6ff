// Loading an in-process COM server the way the shell loads its extensions.
#include <host/shell.h>
#include <windows.h>

#include <string>
#include <utility>

namespace host::shell {
namespace {

using GetClassObjectProc = HRESULT(WINAPI*)(REFCLSID, REFIID, LPVOID*);
using CanUnloadNowProc = HRESULT(WINAPI*)(void);

// Servers are written with C tables or as C++ classes; both give the same
// slots, so the shell calls through the table as a C caller does. (A C++
// virtual call on a C-table object is sound on Win32's layout, but the
// sanitizer's vptr check knows only C++ classes.)
struct UnknownSlots {
  HRESULT(WINAPI* QueryInterface)(void* self, const IID* iid, void** object);
  ULONG(WINAPI* AddRef)(void* self);
  ULONG(WINAPI* Release)(void* self);
};
struct ClassFactorySlots {
  UnknownSlots unknown;
  HRESULT(WINAPI* CreateInstance)(void* self, void* outer, const IID* iid, void** object);
  HRESULT(WINAPI* LockServer)(void* self, BOOL lock);
};

template <class Slots>
const Slots& SlotsOf(void* object) {
  return **static_cast<const Slots* const*>(object);
}

void ReleaseObject(void* object) { SlotsOf<UnknownSlots>(object).Release(object); }

// The module registered for the class: HKCR "CLSID\\{…}\\InProcServer32", default value.
bool RegisteredServer(REFCLSID clsid, std::string* path) {
  WCHAR wide[40];
  if (!StringFromGUID2(clsid, wide, 40)) return false;
  std::string key = "CLSID\\";
  for (int i = 0; wide[i]; ++i) key += static_cast<char>(wide[i]);
  key += "\\InProcServer32";
  char value[MAX_PATH];
  LONG size = sizeof value;
  if (RegQueryValueA(HKEY_CLASSES_ROOT, key.c_str(), value, &size) != ERROR_SUCCESS) return false;
  value[sizeof value - 1] = 0;
  *path = value;
  return !path->empty();
}

HRESULT CreateFromModule(HMODULE module, REFCLSID clsid, REFIID iid, void** object) {
  auto getClassObject = reinterpret_cast<GetClassObjectProc>(GetProcAddress(module, "DllGetClassObject"));
  if (!getClassObject) return CO_E_ERRORINDLL;
  void* factory = nullptr;
  HRESULT result = getClassObject(clsid, IID_IClassFactory, &factory);
  if (FAILED(result)) return result;
  if (!factory) return E_UNEXPECTED;
  result = SlotsOf<ClassFactorySlots>(factory).CreateInstance(factory, nullptr, &iid, object);
  ReleaseObject(factory);
  if (SUCCEEDED(result) && !*object) result = E_UNEXPECTED;
  return result;
}

// Frees the module only when its server says no object of it is alive.
bool UnloadIfUnused(HMODULE module) {
  auto canUnloadNow = reinterpret_cast<CanUnloadNowProc>(GetProcAddress(module, "DllCanUnloadNow"));
  if (!canUnloadNow || canUnloadNow() != S_OK) return false;
  FreeLibrary(module);
  return true;
}

}  // namespace

InProcObject::InProcObject(InProcObject&& other) noexcept
    : object_(std::exchange(other.object_, nullptr)), module_(std::exchange(other.module_, nullptr)) {}

InProcObject& InProcObject::operator=(InProcObject&& other) noexcept {
  if (this != &other) {
    Release();
    object_ = std::exchange(other.object_, nullptr);
    module_ = std::exchange(other.module_, nullptr);
  }
  return *this;
}

HRESULT InProcObject::Create(REFCLSID clsid, REFIID iid) {
  Release();
  std::string path;
  if (!RegisteredServer(clsid, &path)) return REGDB_E_CLASSNOTREG;
  HMODULE module = LoadLibraryA(path.c_str());
  if (!module) return CO_E_DLLNOTFOUND;
  void* object = nullptr;
  HRESULT result = CreateFromModule(module, clsid, iid, &object);
  if (result == CO_E_ERRORINDLL) {
    FreeLibrary(module);  // none of the server's code ran
    return result;
  }
  if (FAILED(result)) {
    UnloadIfUnused(module);
    return result;
  }
  object_ = object;
  module_ = module;
  return result;
}

bool InProcObject::Release() {
  if (void* object = std::exchange(object_, nullptr)) ReleaseObject(object);
  HMODULE module = std::exchange(module_, nullptr);
  return module && UnloadIfUnused(module);
}

}  // namespace host::shell
