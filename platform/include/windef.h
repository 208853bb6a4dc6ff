/* Basic Win32 types. The data model is ILP32 as on Win32: int, long and
   pointers are 4 bytes, so handles in records keep their true layout. */
#ifndef _WINDEF_H
#define _WINDEF_H

#include <stddef.h>
#include <stdint.h>

#if !defined(__i386__) && !defined(_M_IX86)
#error "The utilities are built for 32-bit x86"
#endif

#ifdef __cplusplus
#define EXTERN_C extern "C"
#define EXTERN_C_START extern "C" {
#define EXTERN_C_END }
#else
#define EXTERN_C extern
#define EXTERN_C_START
#define EXTERN_C_END
#endif

#ifndef WINAPI
#define WINAPI __attribute__((stdcall))
#endif
#define CALLBACK WINAPI
#define APIENTRY WINAPI
#define STDAPI EXTERN_C HRESULT WINAPI
#define STDAPI_(type) EXTERN_C type WINAPI
#define STDMETHODCALLTYPE WINAPI
#define PASCAL WINAPI
#define CDECL __attribute__((cdecl))
#define WINAPIV CDECL
#define FAR
#define NEAR
#define far
#define near
#define CONST const
#define VOID void
#ifndef IN
#define IN
#endif
#ifndef OUT
#define OUT
#endif
#ifndef OPTIONAL
#define OPTIONAL
#endif

#ifndef NULL
#ifdef __cplusplus
#define NULL 0
#else
#define NULL ((void*)0)
#endif
#endif
#define FALSE 0
#define TRUE 1
#define MAX_PATH 260

typedef unsigned char BYTE, UCHAR, *PBYTE, *LPBYTE;
typedef unsigned short WORD, USHORT, *PWORD, *LPWORD;
typedef unsigned long DWORD, ULONG, *PDWORD, *LPDWORD, *PULONG;
typedef int BOOL, *PBOOL, *LPBOOL;
typedef int INT, *PINT, *LPINT;
typedef unsigned int UINT, *PUINT;
typedef long LONG, *PLONG, *LPLONG;
typedef short SHORT;
typedef char CHAR, *PCHAR, *LPSTR, *PSTR, *NPSTR;
typedef const char *LPCSTR, *PCSTR;
typedef unsigned short WCHAR, *LPWSTR;
typedef const unsigned short *LPCWSTR;
typedef float FLOAT;
typedef void *PVOID, *LPVOID;
typedef const void *LPCVOID;
typedef long long LONGLONG;
typedef unsigned long long ULONGLONG, DWORDLONG;
typedef int INT_PTR, *PINT_PTR;
typedef unsigned int UINT_PTR, *PUINT_PTR;
typedef long LONG_PTR, *PLONG_PTR;
typedef unsigned long ULONG_PTR, *PULONG_PTR, DWORD_PTR, SIZE_T, *PSIZE_T;
typedef long SSIZE_T;
typedef LONG HRESULT;
typedef UINT_PTR WPARAM;
typedef LONG_PTR LPARAM;
typedef LONG_PTR LRESULT;
typedef WORD ATOM;
typedef DWORD COLORREF, *LPCOLORREF;
typedef BYTE BOOLEAN;
typedef char TCHAR, *LPTSTR;
typedef const char *LPCTSTR;

#define DECLARE_HANDLE(name) struct name##__ { int unused; }; typedef struct name##__ *name
typedef void *HANDLE, **PHANDLE, **LPHANDLE;
DECLARE_HANDLE(HWND);
DECLARE_HANDLE(HINSTANCE);
typedef HINSTANCE HMODULE;
DECLARE_HANDLE(HKEY);
typedef HKEY *PHKEY;
DECLARE_HANDLE(HDC);
DECLARE_HANDLE(HGDIOBJ__);
typedef void *HGDIOBJ;
DECLARE_HANDLE(HBITMAP);
DECLARE_HANDLE(HBRUSH);
DECLARE_HANDLE(HPEN);
DECLARE_HANDLE(HFONT);
DECLARE_HANDLE(HPALETTE);
DECLARE_HANDLE(HRGN);
DECLARE_HANDLE(HICON);
typedef HICON HCURSOR;
DECLARE_HANDLE(HMENU);
DECLARE_HANDLE(HACCEL);
DECLARE_HANDLE(HRSRC);
DECLARE_HANDLE(HHOOK);
DECLARE_HANDLE(HTASK);
typedef HANDLE HGLOBAL, HLOCAL, GLOBALHANDLE, LOCALHANDLE;
typedef int HFILE;
#define HFILE_ERROR ((HFILE)-1)

typedef INT_PTR (WINAPI *FARPROC)(void);
typedef INT_PTR (WINAPI *NEARPROC)(void);
typedef INT_PTR (WINAPI *PROC)(void);

typedef struct tagRECT { LONG left, top, right, bottom; } RECT, *PRECT, *LPRECT;
typedef const RECT *LPCRECT;
typedef struct tagPOINT { LONG x, y; } POINT, *PPOINT, *LPPOINT;
typedef struct tagSIZE { LONG cx, cy; } SIZE, *PSIZE, *LPSIZE;
typedef struct tagPOINTS { SHORT x, y; } POINTS, *PPOINTS, *LPPOINTS;
typedef struct _FILETIME { DWORD dwLowDateTime, dwHighDateTime; } FILETIME, *PFILETIME, *LPFILETIME;

#define MAKEWORD(a, b) ((WORD)(((BYTE)((DWORD_PTR)(a) & 0xff)) | ((WORD)((BYTE)((DWORD_PTR)(b) & 0xff))) << 8))
#define MAKELONG(a, b) ((LONG)(((WORD)((DWORD_PTR)(a) & 0xffff)) | ((DWORD)((WORD)((DWORD_PTR)(b) & 0xffff))) << 16))
#define LOWORD(l) ((WORD)((DWORD_PTR)(l) & 0xffff))
#define HIWORD(l) ((WORD)((DWORD_PTR)(l) >> 16))
#define LOBYTE(w) ((BYTE)((DWORD_PTR)(w) & 0xff))
#define HIBYTE(w) ((BYTE)((DWORD_PTR)(w) >> 8))
#ifndef NOMINMAX
#ifndef max
#define max(a, b) (((a) > (b)) ? (a) : (b))
#endif
#ifndef min
#define min(a, b) (((a) < (b)) ? (a) : (b))
#endif
#endif

#ifdef __cplusplus
static_assert(sizeof(void*) == 4 && sizeof(long) == 4 && sizeof(HANDLE) == 4, "ILP32 required");
#endif

#endif
