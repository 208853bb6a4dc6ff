// CLRCPL.DLL's COM objects: the class factory and the Display control
// panel's extension, whose AddPages creates the Colour page.
#pragma once

#include <shlobj.h>
#include <windows.h>

#include "clrcpl_module.h"

namespace clrcpl {

class ClassFactory : public IClassFactory {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override;
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;
  virtual ~ClassFactory() = default;

 private:
  LONG refs_ = 0;
  LiveObject live_;
};

// Speaks IShellPropSheetExt only: the Display control panel asks for nothing else.
class ShellExtension : public IShellPropSheetExt {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE AddPages(LPFNADDPROPSHEETPAGE addPage, LPARAM lParam) override;
  HRESULT STDMETHODCALLTYPE ReplacePage(UINT pageId, LPFNADDPROPSHEETPAGE replaceWith, LPARAM lParam) override;
  virtual ~ShellExtension() = default;

 private:
  LONG refs_ = 0;
  LiveObject live_;
};

}  // namespace clrcpl
