// A program: loads TESTA.DLL, reports its command line and ends with 7.
#include <windows.h>

extern "C" int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandTail, int show) {
  char text[512];
  wsprintfA(text, "TESTPROG tail \"%s\" show %d own %d\n", commandTail, show,
            GetModuleHandleA(NULL) == instance);
  OutputDebugStringA(text);
  HMODULE a = LoadLibraryA("testa");
  if (!a) return 1;
  if (lstrcmpiA(commandTail, "keep") != 0) FreeLibrary(a);
  return 7;
}
