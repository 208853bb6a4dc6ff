// hwpl32's writable data: one copy for every process (the module's data
// sections are shared), and the call path through the thunk.
#pragma once

#include <windows.h>

namespace hwpl32 {

// The universal thunk's shapes (KERNEL32's UTRegister and UTUnRegister).
typedef DWORD(WINAPI* UT32PROC)(LPVOID lpBuff, DWORD dwUserDefined, LPVOID* lpTranslationList);
typedef BOOL(WINAPI* UTREGISTERPROC)(HANDLE hModule, LPSTR lpsz16BITDLL, LPSTR lpszInitName, LPSTR lpszProcName,
                                     UT32PROC* ppfn32Thunk, FARPROC pfnUT32Callback, LPVOID lpBuff);
typedef VOID(WINAPI* UTUNREGISTERPROC)(HANDLE hModule);

// orvBlendCL captures each source rectangle into room for this many pieces.
constexpr DWORD kBlendCaptureCapacity = 30;

struct SharedState {
  LONG attachCount;
  HMODULE kernel;
  UTREGISTERPROC registerEntry;
  UTUNREGISTERPROC unregisterEntry;
  UT32PROC thunk;  // filled in by UTRegister; NULL until registered
  DWORD thunkCapable;
  // The capture in progress, repeated by the call that ends it.
  LPDWORD captureCount;
  LPRECT captureRects;
  DWORD captureCapacity;
  // orvBlendCL's working storage.
  RECT blendRects[kBlendCaptureCapacity];
  DWORD blendCount;
};

extern SharedState shared;

// A parameter block as the 16-bit side reads it: fields packed without gaps,
// little-endian. Pointer fields are named in the translation list, so the
// thunk hands them over as 16:16 pointers.
class ParameterBlock {
 public:
  ParameterBlock& Word(WORD value);
  ParameterBlock& Dword(DWORD value);
  ParameterBlock& Pointer(const void* value);
  DWORD Call(DWORD function);

 private:
  static constexpr int kMaxBytes = 32;
  static constexpr int kMaxPointers = 4;
  BYTE bytes_[kMaxBytes] = {};
  DWORD size_ = 0;
  LPVOID translationList_[kMaxPointers + 1] = {};
  int pointers_ = 0;
};

// Calls through the thunk; 0 when no thunk is registered.
DWORD CallThunk(LPVOID block, DWORD function, LPVOID* translationList);
inline DWORD CallWithoutBlock(DWORD function) { return CallThunk(nullptr, function, nullptr); }

}  // namespace hwpl32
