/* COM basics: interface declaration macros, identifiers in text form and
   per-thread initialisation. */
#ifndef _OBJBASE_H_
#define _OBJBASE_H_

#include <windef.h>
#include <winerror.h>
#include <guiddef.h>
#include <unknwn.h>
#include <objidl.h>

#ifndef interface
#define interface struct
#endif
#define STDMETHODIMP HRESULT STDMETHODCALLTYPE
#define STDMETHODIMP_(type) type STDMETHODCALLTYPE
#ifdef OVX_CPP_INTERFACES
#define STDMETHOD(method) virtual HRESULT STDMETHODCALLTYPE method
#define STDMETHOD_(type, method) virtual type STDMETHODCALLTYPE method
#define PURE = 0
#else
#define STDMETHOD(method) HRESULT(STDMETHODCALLTYPE *method)
#define STDMETHOD_(type, method) type(STDMETHODCALLTYPE *method)
#define PURE
#endif

typedef WCHAR OLECHAR, *LPOLESTR;
typedef const WCHAR *LPCOLESTR;

EXTERN_C_START

extern const GUID GUID_NULL;
#define CLSID_NULL GUID_NULL
#define IID_NULL GUID_NULL

/* "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}": 38 characters and a NUL. */
int WINAPI StringFromGUID2(REFGUID rguid, LPOLESTR lpsz, int cchMax);
HRESULT WINAPI CLSIDFromString(LPCOLESTR lpsz, LPCLSID pclsid);
HRESULT WINAPI CLSIDFromProgID(LPCOLESTR lpszProgID, LPCLSID lpclsid);

HRESULT WINAPI CoInitialize(LPVOID pvReserved);
void WINAPI CoUninitialize(void);

/* What an in-process server exports. */
HRESULT WINAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID *ppv);
HRESULT WINAPI DllCanUnloadNow(void);
HRESULT WINAPI DllRegisterServer(void);
HRESULT WINAPI DllUnregisterServer(void);

EXTERN_C_END

#endif
