#include "com_server.h"

#include <new>

#include "colour_property_page.h"
#include "gamma_device.h"

namespace clrcpl {

HRESULT STDMETHODCALLTYPE ClassFactory::QueryInterface(REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IClassFactory)) return E_NOINTERFACE;
  *ppv = static_cast<IClassFactory*>(this);
  AddRef();
  return S_OK;
}

ULONG STDMETHODCALLTYPE ClassFactory::AddRef() { return static_cast<ULONG>(++refs_); }

ULONG STDMETHODCALLTYPE ClassFactory::Release() {
  LONG left = --refs_;
  if (left == 0) delete this;
  return static_cast<ULONG>(left);
}

HRESULT STDMETHODCALLTYPE ClassFactory::CreateInstance(IUnknown* outer, REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (outer) return CLASS_E_NOAGGREGATION;
  ShellExtension* extension = new (std::nothrow) ShellExtension;
  if (!extension) return E_OUTOFMEMORY;
  // The extra reference keeps the object alive through a refused query.
  extension->AddRef();
  HRESULT result = extension->QueryInterface(riid, ppv);
  extension->Release();
  return result;
}

HRESULT STDMETHODCALLTYPE ClassFactory::LockServer(BOOL) { return S_OK; }

HRESULT STDMETHODCALLTYPE ShellExtension::QueryInterface(REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (!IsEqualIID(riid, IID_IShellPropSheetExt)) return E_NOINTERFACE;
  *ppv = static_cast<IShellPropSheetExt*>(this);
  AddRef();
  return S_OK;
}

ULONG STDMETHODCALLTYPE ShellExtension::AddRef() { return static_cast<ULONG>(++refs_); }

ULONG STDMETHODCALLTYPE ShellExtension::Release() {
  LONG left = --refs_;
  if (left == 0) delete this;
  return static_cast<ULONG>(left);
}

HRESULT STDMETHODCALLTYPE ShellExtension::AddPages(LPFNADDPROPSHEETPAGE addPage, LPARAM lParam) {
  if (!colour::DriverQualifies()) return E_FAIL;
  HMODULE resources = ResourceModule();
  if (!resources) {
    MessageBoxA(nullptr, "Unable to load M_COLOR.DLL!", "Debug", MB_ICONWARNING);
    return S_OK;
  }
  ColourPage* page = new (std::nothrow) ColourPage(resources);
  if (!page) return E_OUTOFMEMORY;
  HPROPSHEETPAGE handle = CreatePropertySheetPageA(&page->SheetPage());
  if (!handle) {
    delete page;
    return E_OUTOFMEMORY;
  }
  if (!addPage || !addPage(handle, lParam)) {
    // The page's release callback deletes the object.
    DestroyPropertySheetPage(handle);
    return E_FAIL;
  }
  return S_OK;
}

HRESULT STDMETHODCALLTYPE ShellExtension::ReplacePage(UINT, LPFNADDPROPSHEETPAGE, LPARAM) { return E_FAIL; }

}  // namespace clrcpl

using clrcpl::ClassFactory;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) clrcpl::InitModule(instance);
  if (reason == DLL_PROCESS_DETACH) clrcpl::ForgetResourceModule();
  return TRUE;
}

STDAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (!IsEqualCLSID(rclsid, clrcpl::kColourPageClass)) return CLASS_E_CLASSNOTAVAILABLE;
  ClassFactory* factory = new (std::nothrow) ClassFactory;
  if (!factory) return E_OUTOFMEMORY;
  HRESULT result = factory->QueryInterface(riid, ppv);
  if (FAILED(result)) delete factory;
  return result;
}

STDAPI DllCanUnloadNow(void) { return clrcpl::LiveObjects() != 0 ? S_FALSE : S_OK; }
