/* The object interfaces the shell extensions name; only forward
   declarations so far. */
#ifndef __objidl_h__
#define __objidl_h__

#include <unknwn.h>

#ifdef OVX_CPP_INTERFACES
struct IDataObject;
#else
typedef struct IDataObject IDataObject;
#endif
typedef IDataObject *LPDATAOBJECT;

#endif
