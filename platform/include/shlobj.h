/* Shell extension interfaces: IShellExtInit and IShellPropSheetExt. */
#ifndef _SHLOBJ_H_
#define _SHLOBJ_H_

#include <ole2.h>
#include <prsht.h>
#include <shlguid.h>

typedef struct _SHITEMID {
  USHORT cb;
  BYTE abID[1];
} SHITEMID, *LPSHITEMID;
typedef const SHITEMID *LPCSHITEMID;
typedef struct _ITEMIDLIST {
  SHITEMID mkid;
} ITEMIDLIST, *LPITEMIDLIST;
typedef const ITEMIDLIST *LPCITEMIDLIST;

#ifdef OVX_CPP_INTERFACES

struct IShellExtInit : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Initialize(LPCITEMIDLIST pidlFolder, IDataObject *pdtobj, HKEY hkeyProgID) = 0;
};

struct IShellPropSheetExt : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE AddPages(LPFNADDPROPSHEETPAGE pfnAddPage, LPARAM lParam) = 0;
  virtual HRESULT STDMETHODCALLTYPE ReplacePage(UINT uPageID, LPFNADDPROPSHEETPAGE pfnReplaceWith,
                                                LPARAM lParam) = 0;
};

#else

typedef struct IShellExtInit IShellExtInit;
typedef struct IShellExtInitVtbl {
  HRESULT(STDMETHODCALLTYPE *QueryInterface)(IShellExtInit *This, REFIID riid, void **ppvObject);
  ULONG(STDMETHODCALLTYPE *AddRef)(IShellExtInit *This);
  ULONG(STDMETHODCALLTYPE *Release)(IShellExtInit *This);
  HRESULT(STDMETHODCALLTYPE *Initialize)(IShellExtInit *This, LPCITEMIDLIST pidlFolder, IDataObject *pdtobj,
                                         HKEY hkeyProgID);
} IShellExtInitVtbl;
struct IShellExtInit {
  const struct IShellExtInitVtbl *lpVtbl;
};

typedef struct IShellPropSheetExt IShellPropSheetExt;
typedef struct IShellPropSheetExtVtbl {
  HRESULT(STDMETHODCALLTYPE *QueryInterface)(IShellPropSheetExt *This, REFIID riid, void **ppvObject);
  ULONG(STDMETHODCALLTYPE *AddRef)(IShellPropSheetExt *This);
  ULONG(STDMETHODCALLTYPE *Release)(IShellPropSheetExt *This);
  HRESULT(STDMETHODCALLTYPE *AddPages)(IShellPropSheetExt *This, LPFNADDPROPSHEETPAGE pfnAddPage, LPARAM lParam);
  HRESULT(STDMETHODCALLTYPE *ReplacePage)(IShellPropSheetExt *This, UINT uPageID,
                                          LPFNADDPROPSHEETPAGE pfnReplaceWith, LPARAM lParam);
} IShellPropSheetExtVtbl;
struct IShellPropSheetExt {
  const struct IShellPropSheetExtVtbl *lpVtbl;
};

#ifdef __cplusplus
static_assert(sizeof(IShellExtInitVtbl) == 4 * 4 && sizeof(IShellPropSheetExtVtbl) == 5 * 4,
              "one 4-byte slot per method");
#endif

#ifdef COBJMACROS
#define IShellExtInit_QueryInterface(This, riid, ppv) ((This)->lpVtbl->QueryInterface(This, riid, ppv))
#define IShellExtInit_AddRef(This) ((This)->lpVtbl->AddRef(This))
#define IShellExtInit_Release(This) ((This)->lpVtbl->Release(This))
#define IShellExtInit_Initialize(This, pidl, data, key) ((This)->lpVtbl->Initialize(This, pidl, data, key))
#define IShellPropSheetExt_QueryInterface(This, riid, ppv) ((This)->lpVtbl->QueryInterface(This, riid, ppv))
#define IShellPropSheetExt_AddRef(This) ((This)->lpVtbl->AddRef(This))
#define IShellPropSheetExt_Release(This) ((This)->lpVtbl->Release(This))
#define IShellPropSheetExt_AddPages(This, add, lParam) ((This)->lpVtbl->AddPages(This, add, lParam))
#define IShellPropSheetExt_ReplacePage(This, id, add, lParam) ((This)->lpVtbl->ReplacePage(This, id, add, lParam))
#endif

#endif

typedef IShellExtInit *LPSHELLEXTINIT;
typedef IShellPropSheetExt *LPSHELLPROPSHEETEXT;

#endif
