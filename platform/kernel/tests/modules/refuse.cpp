// A module whose attach always fails.
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  OutputDebugStringA(reason == DLL_PROCESS_ATTACH ? "REFUSE attach\n" : "REFUSE detach\n");
  return reason != DLL_PROCESS_ATTACH;
}

extern "C" void WINAPI Nothing(void) {}
