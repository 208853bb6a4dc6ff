// The sheet's handler pages: every in-process server registered under the
// Display key adds its pages through IShellPropSheetExt, called through the
// C slot tables. A handler that fails anywhere is skipped.
#define CINTERFACE
#include <objbase.h>
#include <shlobj.h>

#include "desk_internal.h"

namespace {

const char kHandlersKey[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Controls Folder\\Display\\shellex\\PropertySheetHandlers";

typedef HRESULT(WINAPI* GET_CLASS_OBJECT)(REFCLSID, REFIID, LPVOID*);
typedef HRESULT(WINAPI* CAN_UNLOAD_NOW)(void);

BOOL CALLBACK AddHandlerPage(HPROPSHEETPAGE page, LPARAM lParam) {
  HANDLER_PAGES* collected = reinterpret_cast<HANDLER_PAGES*>(lParam);
  if (!page || collected->count >= MAX_HANDLER_PAGES) return FALSE;  // the handler destroys a refused page
  collected->pages[collected->count++] = page;
  return TRUE;
}

// The class identifier text of a handler subkey: its default value, else its name.
void ReadHandlerClassText(HKEY handlers, LPCSTR subkeyName, LPSTR text, DWORD size) {
  if (ReadRegistryText(handlers, subkeyName, NULL, text, size) && text[0]) return;
  lstrcpynA(text, subkeyName, static_cast<int>(size));
}

BOOL ParseClassId(LPCSTR text, CLSID* clsid) {
  WCHAR wide[64];
  int i = 0;
  for (; text[i] && i < 63; ++i) wide[i] = static_cast<WCHAR>(static_cast<BYTE>(text[i]));
  if (text[i]) return FALSE;
  wide[i] = 0;
  return SUCCEEDED(CLSIDFromString(wide, clsid));
}

HMODULE LoadServerModule(LPCSTR classText) {
  char keyPath[96];
  char serverPath[MAX_PATH];
  wsprintfA(keyPath, "CLSID\\%s\\InProcServer32", classText);
  if (!ReadRegistryText(HKEY_CLASSES_ROOT, keyPath, NULL, serverPath, sizeof serverPath) || !serverPath[0])
    return NULL;
  return LoadLibraryA(serverPath);
}

IShellPropSheetExt* CreateExtension(HMODULE module, REFCLSID clsid) {
  GET_CLASS_OBJECT getClassObject =
      reinterpret_cast<GET_CLASS_OBJECT>(GetProcAddress(module, "DllGetClassObject"));
  if (!getClassObject) return NULL;
  IClassFactory* factory = NULL;
  if (FAILED(getClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory))) || !factory)
    return NULL;
  IShellPropSheetExt* extension = NULL;
  HRESULT created = factory->lpVtbl->CreateInstance(factory, NULL, IID_IShellPropSheetExt,
                                                    reinterpret_cast<void**>(&extension));
  factory->lpVtbl->Release(factory);
  return SUCCEEDED(created) ? extension : NULL;
}

void KeepModule(HANDLER_PAGES* collected, HMODULE module) {
  for (UINT i = 0; i < collected->moduleCount; ++i)
    if (collected->modules[i] == module) {
      FreeLibrary(module);  // loaded before for another handler: one reference is enough
      return;
    }
  if (collected->moduleCount < MAX_HANDLER_MODULES)
    collected->modules[collected->moduleCount++] = module;
  else
    FreeLibrary(module);
}

void AddPagesOfHandler(HANDLER_PAGES* collected, LPCSTR classText) {
  CLSID clsid;
  if (!ParseClassId(classText, &clsid)) return;
  HMODULE module = LoadServerModule(classText);
  if (!module) return;
  IShellPropSheetExt* extension = CreateExtension(module, clsid);
  if (extension) {
    extension->lpVtbl->AddPages(extension, AddHandlerPage, reinterpret_cast<LPARAM>(collected));
    extension->lpVtbl->Release(extension);
  }
  // Kept until the sheet has closed: its pages' procedures live in it.
  KeepModule(collected, module);
}

}  // namespace

void CollectHandlerPages(HANDLER_PAGES* collected) {
  collected->count = 0;
  collected->moduleCount = 0;
  HKEY handlers;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kHandlersKey, 0, KEY_READ, &handlers) != ERROR_SUCCESS) return;
  char name[MAX_PATH];
  for (DWORD index = 0; RegEnumKeyA(handlers, index, name, sizeof name) == ERROR_SUCCESS; ++index) {
    char classText[MAX_PATH];
    ReadHandlerClassText(handlers, name, classText, sizeof classText);
    AddPagesOfHandler(collected, classText);
  }
  RegCloseKey(handlers);
}

void ReleaseHandlerModules(HANDLER_PAGES* collected) {
  for (UINT i = 0; i < collected->moduleCount; ++i) {
    CAN_UNLOAD_NOW canUnloadNow =
        reinterpret_cast<CAN_UNLOAD_NOW>(GetProcAddress(collected->modules[i], "DllCanUnloadNow"));
    if (canUnloadNow && canUnloadNow() == S_OK) FreeLibrary(collected->modules[i]);
  }
  collected->moduleCount = 0;
}
