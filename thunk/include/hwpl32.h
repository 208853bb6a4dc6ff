// hwpl32.DLL: the 32-bit face of the adapter's acceleration library. Each call
// is passed, with its arguments packed into a parameter block, to the 16-bit
// library hwpl16.DLL; handles are the 16-bit side's. A call answering "WORD"
// passes back the low 16 bits of the 16-bit side's result.
#pragma once

#include <windows.h>

EXTERN_C_START

// Handles; 0 on failure. Buffer sizes are in 32-bit units.
DWORD WINAPI orvAllocBuffer(DWORD size);
DWORD WINAPI orvAllocCL(WORD entries);
DWORD WINAPI orvAllocRC(LPVOID block);
DWORD WINAPI orvAllocLSDB(WORD entries);
WORD WINAPI orvFreeBuffer(DWORD buffer);
WORD WINAPI orvFreeCL(DWORD clipList);
WORD WINAPI orvFreeLSDB(DWORD lightSources);
WORD WINAPI orvFreeRC(DWORD context);

// Posts a buffer of packets; 0 means failure.
WORD WINAPI orvPostBuffer(DWORD buffer, DWORD count, DWORD flags);
// Installs a clip block (32-bit count, three zeros, the rectangles, their box).
WORD WINAPI orvSetCL(DWORD context, DWORD clipList, LPVOID block);
DWORD WINAPI orvGetBlockSize(void);

DWORD WINAPI wOrvScScBitBlt(DWORD value, WORD a, WORD b, WORD c, WORD d, WORD e, WORD f, WORD g);
DWORD WINAPI wOrvScMemBitBlt(DWORD value, WORD a, WORD b, WORD c, WORD d, WORD e, DWORD last);
DWORD WINAPI wOrvMemScBitBlt(DWORD value, WORD a, WORD b, WORD c, WORD d, WORD e, DWORD last);

// Non-zero means loaded; otherwise *status tells why (100, 101).
WORD WINAPI orvLoadHWPL(WORD mode, LPWORD status);
DWORD WINAPI orvUnLoadHWPL(void);
// 0 means the display is not an accelerated one.
WORD WINAPI orvDisplayInit(void);
DWORD WINAPI orvResetAll(void);
// Handle of the hardware-description block (layout in hwpl_blocks.h).
DWORD WINAPI orvGetHwData(void);
DWORD WINAPI orvGetInfo(LPVOID first, LPVOID second, LPVOID third, LPVOID fourth);
DWORD WINAPI orvClose(void);
// Flat address of the memory behind a handle; NULL for an unknown one.
LPVOID WINAPI orvGetFlatPtr(DWORD handle);

WORD WINAPI GetHotKeyUse(WORD key);
WORD WINAPI SetHotKeyUse(WORD key, WORD use);
WORD WINAPI InitCtrlAPI(void);
DWORD WINAPI DeInitCtrlAPI(void);

// Fills rects with the visible pieces of the inclusive rectangle `rect` (client
// coordinates of dc) and *count with their number, without changing the
// screen. *count is a 32-bit counter (zeroed first; the 16-bit side writes its
// low half). The window is not used.
DWORD WINAPI orvGetClipRect(HWND window, HDC dc, LPRECT rect, LPDWORD count, LPRECT rects, DWORD capacity);
// Posts a blend command limited to the visible parts of window; 1 or 0.
DWORD WINAPI orvBlendCL(HDC dc, HWND window, DWORD surface);

EXTERN_C_END
