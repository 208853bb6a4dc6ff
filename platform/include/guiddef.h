/* GUIDs: 16-byte identifiers of classes and interfaces, compared as blocks. */
#ifndef GUID_DEFINED
#define GUID_DEFINED

#include <windef.h>
#include <string.h>

typedef struct _GUID {
  unsigned long Data1;
  unsigned short Data2;
  unsigned short Data3;
  unsigned char Data4[8];
} GUID;
typedef GUID *LPGUID;
typedef const GUID *LPCGUID;
typedef GUID IID, *LPIID;
typedef GUID CLSID, *LPCLSID;
typedef GUID FMTID, *LPFMTID;

#ifdef __cplusplus
#define REFGUID const GUID &
#define REFIID const IID &
#define REFCLSID const IID &
#define REFFMTID const IID &
#else
#define REFGUID const GUID *
#define REFIID const IID *
#define REFCLSID const IID *
#define REFFMTID const IID *
#endif

#ifdef __cplusplus
inline int IsEqualGUID(REFGUID rguid1, REFGUID rguid2) { return !memcmp(&rguid1, &rguid2, sizeof(GUID)); }
inline bool operator==(REFGUID guidOne, REFGUID guidOther) { return !!IsEqualGUID(guidOne, guidOther); }
inline bool operator!=(REFGUID guidOne, REFGUID guidOther) { return !(guidOne == guidOther); }
#else
#define IsEqualGUID(rguid1, rguid2) (!memcmp((rguid1), (rguid2), sizeof(GUID)))
#endif
#define IsEqualIID(riid1, riid2) IsEqualGUID(riid1, riid2)
#define IsEqualCLSID(rclsid1, rclsid2) IsEqualGUID(rclsid1, rclsid2)
#define IsEqualFMTID(rfmtid1, rfmtid2) IsEqualGUID(rfmtid1, rfmtid2)

#ifdef __cplusplus
static_assert(sizeof(GUID) == 16, "a GUID is a 16-byte block");
#endif

#endif /* GUID_DEFINED */

/* DEFINE_GUID declares the identifier, or defines it where INITGUID is set
   (initguid.h). Definitions are weak, so several modules may each define the
   same identifier, as selectany data allows on Win32. */
#undef DEFINE_GUID
#if defined(INITGUID) && defined(__cplusplus)
#define DEFINE_GUID(name, l, w1, w2, b1, b2, b3, b4, b5, b6, b7, b8) \
  EXTERN_C const GUID name __attribute__((weak)) = {l, w1, w2, {b1, b2, b3, b4, b5, b6, b7, b8}}
#elif defined(INITGUID)
#define DEFINE_GUID(name, l, w1, w2, b1, b2, b3, b4, b5, b6, b7, b8) \
  const GUID name __attribute__((weak)) = {l, w1, w2, {b1, b2, b3, b4, b5, b6, b7, b8}}
#else
#define DEFINE_GUID(name, l, w1, w2, b1, b2, b3, b4, b5, b6, b7, b8) EXTERN_C const GUID name
#endif
#define DEFINE_OLEGUID(name, l, w1, w2) DEFINE_GUID(name, l, w1, w2, 0xC0, 0, 0, 0, 0, 0, 0, 0x46)
