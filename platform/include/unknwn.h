/* IUnknown and IClassFactory. In C++ an interface is a struct of pure virtual
   stdcall methods; in C (or with CINTERFACE) it is a pointer to a table of
   stdcall function pointers whose first argument is the object. Both give the
   same object layout: the table pointer first, the slots in declaration order,
   4-byte pointers. */
#ifndef __unknwn_h__
#define __unknwn_h__

#include <guiddef.h>
#include <windef.h>

#if defined(__cplusplus) && !defined(CINTERFACE)
#define OVX_CPP_INTERFACES 1
#endif

#ifdef OVX_CPP_INTERFACES
struct IUnknown;
struct IClassFactory;
#else
typedef struct IUnknown IUnknown;
typedef struct IClassFactory IClassFactory;
#endif
typedef IUnknown *LPUNKNOWN;
typedef IClassFactory *LPCLASSFACTORY;

EXTERN_C const IID IID_IUnknown;
EXTERN_C const IID IID_IClassFactory;

#ifdef OVX_CPP_INTERFACES

struct IUnknown {
  virtual HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **ppvObject) = 0;
  virtual ULONG STDMETHODCALLTYPE AddRef(void) = 0;
  virtual ULONG STDMETHODCALLTYPE Release(void) = 0;
};

struct IClassFactory : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown *pUnkOuter, REFIID riid, void **ppvObject) = 0;
  virtual HRESULT STDMETHODCALLTYPE LockServer(BOOL fLock) = 0;
};

#else

typedef struct IUnknownVtbl {
  HRESULT(STDMETHODCALLTYPE *QueryInterface)(IUnknown *This, REFIID riid, void **ppvObject);
  ULONG(STDMETHODCALLTYPE *AddRef)(IUnknown *This);
  ULONG(STDMETHODCALLTYPE *Release)(IUnknown *This);
} IUnknownVtbl;
struct IUnknown {
  const struct IUnknownVtbl *lpVtbl;
};

typedef struct IClassFactoryVtbl {
  HRESULT(STDMETHODCALLTYPE *QueryInterface)(IClassFactory *This, REFIID riid, void **ppvObject);
  ULONG(STDMETHODCALLTYPE *AddRef)(IClassFactory *This);
  ULONG(STDMETHODCALLTYPE *Release)(IClassFactory *This);
  HRESULT(STDMETHODCALLTYPE *CreateInstance)(IClassFactory *This, IUnknown *pUnkOuter, REFIID riid,
                                             void **ppvObject);
  HRESULT(STDMETHODCALLTYPE *LockServer)(IClassFactory *This, BOOL fLock);
} IClassFactoryVtbl;
struct IClassFactory {
  const struct IClassFactoryVtbl *lpVtbl;
};

#ifdef __cplusplus
static_assert(sizeof(IUnknownVtbl) == 3 * 4 && sizeof(IClassFactoryVtbl) == 5 * 4, "one 4-byte slot per method");
#endif

#ifdef COBJMACROS
#define IUnknown_QueryInterface(This, riid, ppv) ((This)->lpVtbl->QueryInterface(This, riid, ppv))
#define IUnknown_AddRef(This) ((This)->lpVtbl->AddRef(This))
#define IUnknown_Release(This) ((This)->lpVtbl->Release(This))
#define IClassFactory_QueryInterface(This, riid, ppv) ((This)->lpVtbl->QueryInterface(This, riid, ppv))
#define IClassFactory_AddRef(This) ((This)->lpVtbl->AddRef(This))
#define IClassFactory_Release(This) ((This)->lpVtbl->Release(This))
#define IClassFactory_CreateInstance(This, outer, riid, ppv) ((This)->lpVtbl->CreateInstance(This, outer, riid, ppv))
#define IClassFactory_LockServer(This, lock) ((This)->lpVtbl->LockServer(This, lock))
#endif

#endif

#endif
