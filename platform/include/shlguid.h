/* Identifiers of the shell's interfaces. */
#ifndef _SHLGUID_H_
#define _SHLGUID_H_

#include <guiddef.h>

DEFINE_GUID(IID_IShellExtInit, 0x000214E8, 0, 0, 0xC0, 0, 0, 0, 0, 0, 0, 0x46);
DEFINE_GUID(IID_IShellPropSheetExt, 0x000214E9, 0, 0, 0xC0, 0, 0, 0, 0, 0, 0, 0x46);

#endif
