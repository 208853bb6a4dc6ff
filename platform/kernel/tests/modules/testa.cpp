// A module that reports its attach and detach calls and exports two names.
#include <windows.h>

static int attachCount;

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  char text[64];
  if (reason == DLL_PROCESS_ATTACH) ++attachCount;
  wsprintfA(text, "TESTA %s %d pid %lx\n", reason == DLL_PROCESS_ATTACH ? "attach" : "detach", attachCount,
            GetCurrentProcessId());
  if (reason == DLL_PROCESS_ATTACH || reason == DLL_PROCESS_DETACH) OutputDebugStringA(text);
  return TRUE;
}

extern "C" int WINAPI Add(int a, int b) { return a + b; }
extern "C" DWORD WINAPI Version(void) { return 0x30008; }
// Not in the module-definition file: invisible to GetProcAddress.
extern "C" int WINAPI Hidden(void) { return 1; }
