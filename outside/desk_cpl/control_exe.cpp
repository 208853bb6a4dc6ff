// CONTROL.EXE: runs the applet module its command tail names ("control.exe
// desk.cpl") through CPlApplet, the way the Control Panel opens an applet.
#include <cpl.h>
#include <windows.h>

namespace {

// The first token of the command tail: quoted, or up to the first blank.
void FirstToken(LPCSTR tail, LPSTR token, int size) {
  while (*tail == ' ' || *tail == '\t') ++tail;
  char end = ' ';
  if (*tail == '"') {
    end = '"';
    ++tail;
  }
  int length = 0;
  while (*tail && *tail != end && !(end == ' ' && *tail == '\t') && length < size - 1) token[length++] = *tail++;
  token[length] = '\0';
}

int ReportBadApplet(LPCSTR file) {
  char text[MAX_PATH + 96];
  wsprintfA(text, "Cannot open the Control Panel item \"%s\".\r\nThe file is missing or is not a valid item.", file);
  MessageBoxA(NULL, text, "Control Panel", MB_OK | MB_ICONEXCLAMATION);
  return 1;
}

int RunApplet(APPLET_PROC applet) {
  if (!applet(NULL, CPL_INIT, 0, 0)) return 2;
  int result = 0;
  if (applet(NULL, CPL_GETCOUNT, 0, 0) < 1) {
    result = 2;
  } else {
    NEWCPLINFOA info;
    ZeroMemory(&info, sizeof info);
    info.dwSize = sizeof info;
    applet(NULL, CPL_NEWINQUIRE, 0, reinterpret_cast<LPARAM>(&info));
    applet(NULL, CPL_DBLCLK, 0, info.lData);
    applet(NULL, CPL_STOP, 0, info.lData);
  }
  applet(NULL, CPL_EXIT, 0, 0);
  return result;
}

}  // namespace

extern "C" int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandTail, int) {
  char file[MAX_PATH];
  FirstToken(commandTail ? commandTail : "", file, sizeof file);
  if (!file[0]) return ReportBadApplet("");
  HMODULE module = LoadLibraryA(file);
  if (!module) return ReportBadApplet(file);
  APPLET_PROC applet = reinterpret_cast<APPLET_PROC>(GetProcAddress(module, "CPlApplet"));
  int result = applet ? RunApplet(applet) : ReportBadApplet(file);
  FreeLibrary(module);
  return result;
}
