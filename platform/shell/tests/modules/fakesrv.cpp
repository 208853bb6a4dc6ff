// An in-process server written with C interface tables, as a C server would
// be: every call the shell makes goes to the debug output ("FAKESRV ..."),
// so tests compare the order. DllCanUnloadNow answers from the live objects.
#define CINTERFACE
#define COBJMACROS
#define INITGUID  // defines its class identifiers (as initguid.h does)
#include <shlobj.h>
#include <windows.h>

#include "fake_server.h"

namespace {

LONG liveObjects;
LONG serverLocks;

void Log(const char* format, ...) {
  char text[160] = "FAKESRV ";
  va_list args;
  va_start(args, format);
  wvsprintfA(text + 8, format, args);
  va_end(args);
  lstrcatA(text, "\n");
  OutputDebugStringA(text);
}

const char* InterfaceName(REFIID iid) {
  if (IsEqualIID(iid, IID_IUnknown)) return "IUnknown";
  if (IsEqualIID(iid, IID_IClassFactory)) return "IClassFactory";
  if (IsEqualIID(iid, IID_IShellExtInit)) return "IShellExtInit";
  if (IsEqualIID(iid, IID_IShellPropSheetExt)) return "IShellPropSheetExt";
  return "other";
}

// ---- The extension: one object with two interfaces ----

struct Extension {
  IShellPropSheetExt sheetExt;  // first: the object's IUnknown
  IShellExtInit extInit;
  LONG refs;
};

Extension* FromSheetExt(IShellPropSheetExt* This) { return reinterpret_cast<Extension*>(This); }
Extension* FromExtInit(IShellExtInit* This) {
  return reinterpret_cast<Extension*>(reinterpret_cast<char*>(This) - offsetof(Extension, extInit));
}

HRESULT QueryExtension(Extension* self, REFIID riid, void** ppv) {
  Log("QueryInterface %s", InterfaceName(riid));
  if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IShellPropSheetExt))
    *ppv = &self->sheetExt;
  else if (IsEqualIID(riid, IID_IShellExtInit))
    *ppv = &self->extInit;
  else {
    *ppv = NULL;
    return E_NOINTERFACE;
  }
  ++self->refs;
  return S_OK;
}

ULONG ReleaseExtension(Extension* self) {
  ULONG left = static_cast<ULONG>(--self->refs);
  Log("Release %lu", left);
  if (left == 0) {
    delete self;
    --liveObjects;
  }
  return left;
}

HRESULT STDMETHODCALLTYPE SheetQueryInterface(IShellPropSheetExt* This, REFIID riid, void** ppv) {
  return QueryExtension(FromSheetExt(This), riid, ppv);
}
ULONG STDMETHODCALLTYPE SheetAddRef(IShellPropSheetExt* This) { return static_cast<ULONG>(++FromSheetExt(This)->refs); }
ULONG STDMETHODCALLTYPE SheetRelease(IShellPropSheetExt* This) { return ReleaseExtension(FromSheetExt(This)); }
HRESULT STDMETHODCALLTYPE AddPages(IShellPropSheetExt*, LPFNADDPROPSHEETPAGE pfnAddPage, LPARAM lParam) {
  Log("AddPages %s %ld", pfnAddPage ? "callback" : "none", lParam);
  return S_OK;
}
HRESULT STDMETHODCALLTYPE ReplacePage(IShellPropSheetExt*, UINT, LPFNADDPROPSHEETPAGE, LPARAM) {
  Log("ReplacePage");
  return E_NOTIMPL;
}
const IShellPropSheetExtVtbl kSheetExtTable = {SheetQueryInterface, SheetAddRef, SheetRelease, AddPages, ReplacePage};

HRESULT STDMETHODCALLTYPE InitQueryInterface(IShellExtInit* This, REFIID riid, void** ppv) {
  return QueryExtension(FromExtInit(This), riid, ppv);
}
ULONG STDMETHODCALLTYPE InitAddRef(IShellExtInit* This) { return static_cast<ULONG>(++FromExtInit(This)->refs); }
ULONG STDMETHODCALLTYPE InitRelease(IShellExtInit* This) { return ReleaseExtension(FromExtInit(This)); }
HRESULT STDMETHODCALLTYPE Initialize(IShellExtInit*, LPCITEMIDLIST, IDataObject*, HKEY) {
  Log("Initialize");
  return S_OK;
}
const IShellExtInitVtbl kExtInitTable = {InitQueryInterface, InitAddRef, InitRelease, Initialize};

// ---- The class object: static, counted only through LockServer ----

HRESULT STDMETHODCALLTYPE FactoryQueryInterface(IClassFactory* This, REFIID riid, void** ppv) {
  Log("factory QueryInterface %s", InterfaceName(riid));
  if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IClassFactory)) {
    *ppv = NULL;
    return E_NOINTERFACE;
  }
  *ppv = This;
  return S_OK;
}
ULONG STDMETHODCALLTYPE FactoryAddRef(IClassFactory*) { return 2; }
ULONG STDMETHODCALLTYPE FactoryRelease(IClassFactory*) {
  Log("factory Release");
  return 1;
}
HRESULT STDMETHODCALLTYPE CreateInstance(IClassFactory*, IUnknown* outer, REFIID riid, void** ppv) {
  Log("CreateInstance %s", InterfaceName(riid));
  *ppv = NULL;
  if (outer) return CLASS_E_NOAGGREGATION;
  Extension* extension = new Extension{{&kSheetExtTable}, {&kExtInitTable}, 1};
  ++liveObjects;
  HRESULT result = QueryExtension(extension, riid, ppv);
  ReleaseExtension(extension);
  return result;
}
HRESULT STDMETHODCALLTYPE LockServer(IClassFactory*, BOOL lock) {
  serverLocks += lock ? 1 : -1;
  return S_OK;
}
const IClassFactoryVtbl kFactoryTable = {FactoryQueryInterface, FactoryAddRef, FactoryRelease, CreateInstance,
                                         LockServer};
IClassFactory factory = {&kFactoryTable};

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) Log("attach");
  if (reason == DLL_PROCESS_DETACH) Log("detach");
  return TRUE;
}

STDAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv) {
  Log("DllGetClassObject %s %s", IsEqualCLSID(rclsid, CLSID_FakeServer) ? "served" : "unserved", InterfaceName(riid));
  *ppv = NULL;
  if (!IsEqualCLSID(rclsid, CLSID_FakeServer)) return CLASS_E_CLASSNOTAVAILABLE;
  return IClassFactory_QueryInterface(&factory, riid, ppv);
}

STDAPI DllCanUnloadNow(void) {
  HRESULT answer = liveObjects == 0 && serverLocks == 0 ? S_OK : S_FALSE;
  Log("DllCanUnloadNow %s", answer == S_OK ? "S_OK" : "S_FALSE");
  return answer;
}
