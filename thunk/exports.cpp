// The orv* calls: each packs its arguments into a parameter block and passes
// it, with its function number, through the thunk to hwpl16.DLL.
#include <hwpl32.h>
#include <hwpl_blocks.h>

#include "shared_state.h"

using hwpl32::CallThunk;
using hwpl32::CallWithoutBlock;
using hwpl32::ParameterBlock;
using namespace hwpl;

extern "C" {

DWORD WINAPI orvAllocBuffer(DWORD size) { return ParameterBlock().Dword(size).Call(kAllocBuffer); }
DWORD WINAPI orvAllocCL(WORD entries) { return ParameterBlock().Word(entries).Call(kAllocCL); }
// The caller's block goes over as it is.
DWORD WINAPI orvAllocRC(LPVOID block) { return CallThunk(block, kAllocRC, nullptr); }
DWORD WINAPI orvAllocLSDB(WORD entries) { return ParameterBlock().Word(entries).Call(kAllocLSDB); }

WORD WINAPI orvFreeBuffer(DWORD buffer) { return LOWORD(ParameterBlock().Dword(buffer).Call(kFreeBuffer)); }
WORD WINAPI orvFreeCL(DWORD clipList) { return LOWORD(ParameterBlock().Dword(clipList).Call(kFreeCL)); }
WORD WINAPI orvFreeLSDB(DWORD lightSources) { return LOWORD(ParameterBlock().Dword(lightSources).Call(kFreeLSDB)); }
WORD WINAPI orvFreeRC(DWORD context) { return LOWORD(ParameterBlock().Dword(context).Call(kFreeRC)); }

WORD WINAPI orvPostBuffer(DWORD buffer, DWORD count, DWORD flags) {
  return LOWORD(ParameterBlock().Dword(buffer).Dword(count).Dword(flags).Call(kPostBuffer));
}

WORD WINAPI orvSetCL(DWORD context, DWORD clipList, LPVOID block) {
  return LOWORD(ParameterBlock().Dword(context).Dword(clipList).Pointer(block).Call(kSetCL));
}

DWORD WINAPI orvGetBlockSize(void) { return CallWithoutBlock(kGetBlockSize); }

DWORD WINAPI wOrvScScBitBlt(DWORD value, WORD a, WORD b, WORD c, WORD d, WORD e, WORD f, WORD g) {
  return ParameterBlock().Dword(value).Word(a).Word(b).Word(c).Word(d).Word(e).Word(f).Word(g).Call(kScScBitBlt);
}

DWORD WINAPI wOrvScMemBitBlt(DWORD value, WORD a, WORD b, WORD c, WORD d, WORD e, DWORD last) {
  return ParameterBlock().Dword(value).Word(a).Word(b).Word(c).Word(d).Word(e).Dword(last).Call(kScMemBitBlt);
}

DWORD WINAPI wOrvMemScBitBlt(DWORD value, WORD a, WORD b, WORD c, WORD d, WORD e, DWORD last) {
  return ParameterBlock().Dword(value).Word(a).Word(b).Word(c).Word(d).Word(e).Dword(last).Call(kMemScBitBlt);
}

WORD WINAPI orvLoadHWPL(WORD mode, LPWORD status) {
  return LOWORD(ParameterBlock().Word(mode).Pointer(status).Call(kLoadHWPL));
}

DWORD WINAPI orvUnLoadHWPL(void) { return CallWithoutBlock(kUnLoadHWPL); }
WORD WINAPI orvDisplayInit(void) { return LOWORD(CallWithoutBlock(kDisplayInit)); }
DWORD WINAPI orvResetAll(void) { return CallWithoutBlock(kResetAll); }
DWORD WINAPI orvGetHwData(void) { return CallWithoutBlock(kGetHwData); }

DWORD WINAPI orvGetInfo(LPVOID first, LPVOID second, LPVOID third, LPVOID fourth) {
  return ParameterBlock().Pointer(first).Pointer(second).Pointer(third).Pointer(fourth).Call(kGetInfo);
}

DWORD WINAPI orvClose(void) { return CallWithoutBlock(kClose); }

LPVOID WINAPI orvGetFlatPtr(DWORD handle) {
  return reinterpret_cast<LPVOID>(ParameterBlock().Dword(handle).Call(kGetFlatPtr));
}

WORD WINAPI GetHotKeyUse(WORD key) { return LOWORD(ParameterBlock().Word(key).Call(kGetHotKeyUse)); }
WORD WINAPI SetHotKeyUse(WORD key, WORD use) {
  return LOWORD(ParameterBlock().Word(key).Word(use).Call(kSetHotKeyUse));
}
WORD WINAPI InitCtrlAPI(void) { return LOWORD(CallWithoutBlock(kInitCtrlAPI)); }
DWORD WINAPI DeInitCtrlAPI(void) { return CallWithoutBlock(kDeInitCtrlAPI); }

}  // extern "C"
