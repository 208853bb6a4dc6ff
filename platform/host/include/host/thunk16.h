// Control API of the universal thunk (UTRegister/UTUnRegister) for the 16-bit
// side of a thunk and for the host's GDI. Deliverables never include this header.
//
// A 16-bit library here is a module like any other, but it sees only what a
// Windows 95 16-bit library would see: every pointer reaches it as a 16:16
// pointer (selector in the high word, offset in the low word), which it must
// turn back into a flat address with MapSL. A flat address that reached it
// untranslated maps to nothing, so a marshalling mistake shows.
#pragma once

#include <windows.h>

#include <functional>
#include <vector>

namespace host::thunk16 {

// The 16-bit side's entry points as the host calls them. lpBuff and the
// translation list arrive as 16:16 pointers.
typedef DWORD(WINAPI* UT16CBPROC)(DWORD segBuffer, DWORD userDefined, DWORD segTranslationList);
typedef DWORD(WINAPI* UTINITPROC)(UT16CBPROC callbackTo32, DWORD segBuffer);
typedef DWORD(WINAPI* UTPROC)(DWORD segBuffer, DWORD function);

// Flat address → 16:16 pointer on a selector the host allocates (one per 4 KiB
// page, each reaching 64 KiB from its page). NULL gives 0; 0 also when no
// selector is left.
DWORD MapLS(const void* flat);
// 16:16 pointer → flat address; NULL for 0 and for a selector the host never allocated.
void* MapSL(DWORD segmented);
// As MapSL, and NULL as well when `bytes` from the offset pass the selector's 64 KiB limit.
void* MapSLFor(DWORD segmented, DWORD bytes);

// Whether UTRegister holds a registration for this 32-bit module.
bool HasRegistration(HANDLE module32);

// The clip-rectangle capture of the 16-bit acceleration library: while a sink
// is set, GDI's BitBlt on a window DC draws nothing and hands the sink the
// visible pieces of its target rectangle instead (screen coordinates, right and
// bottom exclusive as in a RECT; no pieces when the rectangle is hidden).
using BlitCaptureSink = std::function<void(const std::vector<RECT>& visiblePieces)>;
void SetBlitCaptureSink(BlitCaptureSink sink);
void ClearBlitCaptureSink();
bool BlitCaptureOn();
// For GDI's BitBlt on a window DC: hands the pieces to the sink and returns
// true when a capture is on (BitBlt then must not draw); false otherwise.
bool DeliverBlitCapture(const std::vector<RECT>& visiblePieces);

}  // namespace host::thunk16
