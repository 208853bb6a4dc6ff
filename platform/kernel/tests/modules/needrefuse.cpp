// A module whose load-time dependency (REFUSE.DLL) refuses its attach.
#include <windows.h>

extern "C" void WINAPI Nothing(void);  // REFUSE.DLL

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  OutputDebugStringA(reason == DLL_PROCESS_ATTACH ? "NEEDREFUSE attach\n" : "NEEDREFUSE detach\n");
  return TRUE;
}

extern "C" void WINAPI CallsRefuse(void) { Nothing(); }
