/* The hosted Win32 subset: what a Win32 program of the utilities sees as
   <windows.h>. Only what the system uses is declared, with Win32's own names,
   values and signatures. */
#ifndef _WINDOWS_H
#define _WINDOWS_H

#include <windef.h>
#include <winerror.h>
#include <winbase.h>
#include <winreg.h>
#if __has_include(<wingdi.h>)
#include <wingdi.h>
#endif
#if __has_include(<winuser.h>)
#include <winuser.h>
#endif
#ifndef WIN32_LEAN_AND_MEAN
#include <shellapi.h>
#include <ole2.h>
#endif

#endif
