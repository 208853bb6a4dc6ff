// A module that links against TESTA.DLL by name: a load-time dependency.
#include <windows.h>

extern "C" int WINAPI Add(int a, int b);  // TESTA.DLL

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) OutputDebugStringA(Add(1, 1) == 2 ? "TESTB attach\n" : "TESTB attach: no TESTA\n");
  if (reason == DLL_PROCESS_DETACH) OutputDebugStringA("TESTB detach\n");
  return TRUE;
}

extern "C" int WINAPI AddThree(int a, int b, int c) { return Add(Add(a, b), c); }
