// Process attach and detach: the first process to attach registers the thunk
// to hwpl16.DLL, which then serves every process; the last to detach removes it.
#include <hwpl_blocks.h>

#include "shared_state.h"

namespace hwpl32 {

extern const char kIdentification[] = "HWPL 32 bits side of thunk layer";

SharedState shared;

namespace {

constexpr DWORD kWindows95Family = 0x80000000;  // GetVersion's high bit

char k16BitLibrary[] = "hwpl16.DLL";
char kInitName[] = "UTInit";
char kProcName[] = "UTProc";

void ForgetThunk() {
  shared.thunk = nullptr;
  shared.registerEntry = nullptr;
  shared.unregisterEntry = nullptr;
  shared.thunkCapable = 0;
  if (shared.kernel) FreeLibrary(shared.kernel);
  shared.kernel = nullptr;
}

// GetProcAddress's FARPROC as the function it really is.
template <class Function>
Function ProcAs(FARPROC proc) {
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(proc));
}

bool RegisterThunk(HINSTANCE instance) {
  shared.kernel = LoadLibraryA("Kernel32.Dll");
  if (!shared.kernel) return false;
  shared.registerEntry = ProcAs<UTREGISTERPROC>(GetProcAddress(shared.kernel, "UTRegister"));
  shared.unregisterEntry = ProcAs<UTUNREGISTERPROC>(GetProcAddress(shared.kernel, "UTUnRegister"));
  shared.thunkCapable = (GetVersion() & kWindows95Family) ? 1 : 0;
  if (!shared.registerEntry || !shared.unregisterEntry || !shared.thunkCapable) return false;
  return shared.registerEntry(instance, k16BitLibrary, kInitName, kProcName, &shared.thunk, nullptr, nullptr);
}

BOOL Attach(HINSTANCE instance) {
  if (shared.attachCount++ > 0) return TRUE;
  if (RegisterThunk(instance)) return TRUE;
  // Refused: nothing stays behind, so the next attach registers afresh instead
  // of "succeeding" without a thunk.
  --shared.attachCount;
  ForgetThunk();
  return FALSE;
}

void Detach(HINSTANCE instance) {
  // The system also detaches after a refused attach; no process was counted then.
  if (shared.attachCount <= 0) return;
  if (--shared.attachCount > 0 || !shared.thunkCapable) return;
  shared.unregisterEntry(instance);
  ForgetThunk();
}

}  // namespace

ParameterBlock& ParameterBlock::Word(WORD value) {
  hwpl::WriteWord(bytes_, size_, value);
  size_ += 2;
  return *this;
}

ParameterBlock& ParameterBlock::Dword(DWORD value) {
  hwpl::WriteDword(bytes_, size_, value);
  size_ += 4;
  return *this;
}

ParameterBlock& ParameterBlock::Pointer(const void* value) {
  translationList_[pointers_++] = &bytes_[size_];
  return Dword(reinterpret_cast<DWORD>(value));
}

DWORD ParameterBlock::Call(DWORD function) {
  return CallThunk(bytes_, function, pointers_ ? translationList_ : nullptr);
}

DWORD CallThunk(LPVOID block, DWORD function, LPVOID* translationList) {
  if (!shared.thunk) return 0;  // not attached: no 16-bit side to ask
  return shared.thunk(block, function, translationList);
}

}  // namespace hwpl32

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) return hwpl32::Attach(instance);
  if (reason == DLL_PROCESS_DETACH) hwpl32::Detach(instance);
  return TRUE;
}
