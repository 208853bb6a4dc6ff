// A property-sheet handler written with C interface tables. It logs each call
// the control panel makes and each notification its page gets, so tests
// compare the order; DllCanUnloadNow answers from its live objects and pages.
#define CINTERFACE
#define INITGUID
#include <prsht.h>
#include <shlobj.h>
#include <windows.h>

#include "fake_page.h"

namespace {

HINSTANCE instance;
LONG liveObjects;

void Log(char tag, const char* format, ...) {
  char text[160];
  int used = wsprintfA(text, "FAKEPAGE %c ", tag);
  va_list args;
  va_start(args, format);
  wvsprintfA(text + used, format, args);
  va_end(args);
  lstrcatA(text, "\n");
  OutputDebugStringA(text);
}

const char* InterfaceName(REFIID iid) {
  if (IsEqualIID(iid, IID_IUnknown)) return "IUnknown";
  if (IsEqualIID(iid, IID_IClassFactory)) return "IClassFactory";
  if (IsEqualIID(iid, IID_IShellPropSheetExt)) return "IShellPropSheetExt";
  return "other";
}

// ---- The page ----

struct PageData {
  char tag;
  BOOL refuseNextApply;
};

INT_PTR CALLBACK FakePageProc(HWND hwnd, UINT msg, WPARAM, LPARAM lParam) {
  if (msg == WM_INITDIALOG) {
    SetWindowLongA(hwnd, DWL_USER, reinterpret_cast<const PROPSHEETPAGEA*>(lParam)->lParam);
    return TRUE;
  }
  PageData* page = reinterpret_cast<PageData*>(GetWindowLongA(hwnd, DWL_USER));
  if (!page) return FALSE;
  if (msg == FAKEPAGE_REFUSE_NEXT_APPLY) {
    page->refuseNextApply = TRUE;
    return TRUE;
  }
  if (msg != WM_NOTIFY) return FALSE;
  const PSHNOTIFY* notify = reinterpret_cast<const PSHNOTIFY*>(lParam);
  LONG answer = 0;
  switch (notify->hdr.code) {
    case PSN_SETACTIVE:
      Log(page->tag, "PSN_SETACTIVE");
      break;
    case PSN_APPLY:
      answer = page->refuseNextApply ? PSNRET_INVALID_NOCHANGEPAGE : PSNRET_NOERROR;
      Log(page->tag, "PSN_APPLY %s", answer ? "refused" : "accepted");
      page->refuseNextApply = FALSE;
      break;
    case PSN_RESET:
      Log(page->tag, "PSN_RESET");
      break;
    default:
      return FALSE;
  }
  SetWindowLongA(hwnd, DWL_MSGRESULT, answer);
  return TRUE;
}

UINT CALLBACK FakePageCallback(HWND, UINT msg, PROPSHEETPAGEA* record) {
  PageData* page = reinterpret_cast<PageData*>(record->lParam);
  if (msg == PSPCB_CREATE) return TRUE;
  Log(page->tag, "PSPCB_RELEASE");
  delete page;
  --liveObjects;
  return 0;
}

HPROPSHEETPAGE MakePage(char tag) {
  static char titles[2][8] = {"Fake A", "Fake B"};
  PROPSHEETPAGEA record = {};
  record.dwSize = sizeof record;
  record.dwFlags = PSP_USETITLE | PSP_USECALLBACK;
  record.hInstance = instance;
  record.pszTemplate = MAKEINTRESOURCEA(IDD_FAKE_PAGE);
  record.pszTitle = titles[tag == 'A' ? 0 : 1];
  record.pfnDlgProc = FakePageProc;
  record.lParam = reinterpret_cast<LPARAM>(new PageData{tag, FALSE});
  record.pfnCallback = FakePageCallback;
  ++liveObjects;
  return CreatePropertySheetPageA(&record);
}

// ---- The extension ----

struct Extension {
  IShellPropSheetExt sheetExt;
  LONG refs;
  char tag;
};

Extension* FromSheetExt(IShellPropSheetExt* This) { return reinterpret_cast<Extension*>(This); }

HRESULT STDMETHODCALLTYPE ExtQueryInterface(IShellPropSheetExt* This, REFIID riid, void** ppv) {
  Log(FromSheetExt(This)->tag, "QueryInterface %s", InterfaceName(riid));
  if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IShellPropSheetExt)) {
    *ppv = NULL;
    return E_NOINTERFACE;
  }
  *ppv = This;
  ++FromSheetExt(This)->refs;
  return S_OK;
}
ULONG STDMETHODCALLTYPE ExtAddRef(IShellPropSheetExt* This) { return static_cast<ULONG>(++FromSheetExt(This)->refs); }
ULONG STDMETHODCALLTYPE ExtRelease(IShellPropSheetExt* This) {
  Extension* self = FromSheetExt(This);
  ULONG left = static_cast<ULONG>(--self->refs);
  Log(self->tag, "Release %lu", left);
  if (left == 0) {
    delete self;
    --liveObjects;
  }
  return left;
}
HRESULT STDMETHODCALLTYPE AddPages(IShellPropSheetExt* This, LPFNADDPROPSHEETPAGE pfnAddPage, LPARAM lParam) {
  char tag = FromSheetExt(This)->tag;
  HPROPSHEETPAGE page = MakePage(tag);
  BOOL taken = page && pfnAddPage(page, lParam);
  Log(tag, "AddPages %s", taken ? "taken" : "refused");
  if (page && !taken) DestroyPropertySheetPage(page);
  return S_OK;
}
HRESULT STDMETHODCALLTYPE ReplacePage(IShellPropSheetExt* This, UINT, LPFNADDPROPSHEETPAGE, LPARAM) {
  Log(FromSheetExt(This)->tag, "ReplacePage");
  return E_NOTIMPL;
}
const IShellPropSheetExtVtbl kExtensionTable = {ExtQueryInterface, ExtAddRef, ExtRelease, AddPages, ReplacePage};

// ---- Class objects: static, one per class ----

struct Factory {
  IClassFactory classFactory;
  char tag;
};

char TagOf(IClassFactory* This) { return reinterpret_cast<Factory*>(This)->tag; }

HRESULT STDMETHODCALLTYPE FactoryQueryInterface(IClassFactory* This, REFIID riid, void** ppv) {
  if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IClassFactory)) {
    *ppv = NULL;
    return E_NOINTERFACE;
  }
  *ppv = This;
  return S_OK;
}
ULONG STDMETHODCALLTYPE FactoryAddRef(IClassFactory*) { return 2; }
ULONG STDMETHODCALLTYPE FactoryRelease(IClassFactory* This) {
  Log(TagOf(This), "factory Release");
  return 1;
}
HRESULT STDMETHODCALLTYPE CreateInstance(IClassFactory* This, IUnknown* outer, REFIID riid, void** ppv) {
  Log(TagOf(This), "CreateInstance %s", InterfaceName(riid));
  *ppv = NULL;
  if (outer) return CLASS_E_NOAGGREGATION;
  if (!IsEqualIID(riid, IID_IShellPropSheetExt)) return E_NOINTERFACE;
  Extension* extension = new Extension{{&kExtensionTable}, 1, TagOf(This)};
  ++liveObjects;
  *ppv = &extension->sheetExt;
  return S_OK;
}
HRESULT STDMETHODCALLTYPE LockServer(IClassFactory*, BOOL) { return S_OK; }
const IClassFactoryVtbl kFactoryTable = {FactoryQueryInterface, FactoryAddRef, FactoryRelease, CreateInstance,
                                         LockServer};
Factory factoryA = {{&kFactoryTable}, 'A'};
Factory factoryB = {{&kFactoryTable}, 'B'};

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) instance = module;
  if (reason == DLL_PROCESS_DETACH) OutputDebugStringA("FAKEPAGE detach\n");
  return TRUE;
}

STDAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv) {
  *ppv = NULL;
  Factory* factory = IsEqualCLSID(rclsid, CLSID_FakePageA)   ? &factoryA
                     : IsEqualCLSID(rclsid, CLSID_FakePageB) ? &factoryB
                                                             : NULL;
  if (!factory) {
    OutputDebugStringA("FAKEPAGE ? DllGetClassObject unserved\n");
    return CLASS_E_CLASSNOTAVAILABLE;
  }
  Log(factory->tag, "DllGetClassObject %s", InterfaceName(riid));
  return FactoryQueryInterface(&factory->classFactory, riid, ppv);
}

STDAPI DllCanUnloadNow(void) {
  HRESULT answer = liveObjects == 0 ? S_OK : S_FALSE;
  OutputDebugStringA(answer == S_OK ? "FAKEPAGE DllCanUnloadNow S_OK\n" : "FAKEPAGE DllCanUnloadNow S_FALSE\n");
  return answer;
}
