// DESK.CPL: the Display applet. CPL_DBLCLK runs the modal "Display
// Properties" sheet: Background, Screen Saver, Appearance, every handler's
// pages, and Settings last (the Monitor page's assistant selects the last tab
// to reach it).
#include <cpl.h>

#include "desk_internal.h"
#include "desk_resource.h"

HINSTANCE g_hinstDesk;

namespace {

#define BUILT_IN_PAGES 4
#define MAX_SHEET_PAGES (BUILT_IN_PAGES + MAX_HANDLER_PAGES)

HPROPSHEETPAGE CreateBuiltInPage(int templateId, DLGPROC proc) {
  PROPSHEETPAGEA page = {};
  page.dwSize = sizeof page;
  page.hInstance = g_hinstDesk;
  page.pszTemplate = MAKEINTRESOURCEA(templateId);
  page.pfnDlgProc = proc;
  return CreatePropertySheetPageA(&page);
}

void AppendPage(HPROPSHEETPAGE* pages, UINT* count, HPROPSHEETPAGE page) {
  if (page) pages[(*count)++] = page;
}

}  // namespace

INT_PTR RunDisplayProperties(HWND hwndOwner) {
  HPROPSHEETPAGE pages[MAX_SHEET_PAGES];
  UINT count = 0;
  AppendPage(pages, &count, CreateBuiltInPage(IDD_BACKGROUND, BackgroundPageProc));
  AppendPage(pages, &count, CreateBuiltInPage(IDD_SCREEN_SAVER, ScreenSaverPageProc));
  AppendPage(pages, &count, CreateBuiltInPage(IDD_APPEARANCE, AppearancePageProc));
  HANDLER_PAGES handlers;
  CollectHandlerPages(&handlers);
  for (UINT i = 0; i < handlers.count; ++i) AppendPage(pages, &count, handlers.pages[i]);
  AppendPage(pages, &count, CreateBuiltInPage(IDD_SETTINGS, SettingsPageProc));

  char title[64];
  LoadStringA(g_hinstDesk, IDS_SHEET_TITLE, title, sizeof title);
  PROPSHEETHEADERA header = {};
  header.dwSize = sizeof header;
  header.dwFlags = 0;  // with Apply, as on Windows 95
  header.hwndParent = hwndOwner;
  header.hInstance = g_hinstDesk;
  header.pszCaption = title;
  header.nPages = count;
  header.phpage = pages;
  INT_PTR result = PropertySheetA(&header);  // takes and releases every page, also on failure
  ReleaseHandlerModules(&handlers);
  return result;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) g_hinstDesk = instance;
  return TRUE;
}

extern "C" LONG APIENTRY CPlApplet(HWND hwndCpl, UINT msg, LPARAM lParam1, LPARAM lParam2) {
  switch (msg) {
    case CPL_INIT:
      InitCommonControls();
      return TRUE;
    case CPL_GETCOUNT:
      return 1;
    case CPL_INQUIRE: {
      if (lParam1 != 0 || !lParam2) return 1;
      CPLINFO* info = reinterpret_cast<CPLINFO*>(lParam2);
      info->idIcon = CPL_DYNAMIC_RES;  // no icon resource: CPL_NEWINQUIRE hands one out
      info->idName = IDS_APPLET_NAME;
      info->idInfo = IDS_APPLET_INFO;
      info->lData = 0;
      return 0;
    }
    case CPL_NEWINQUIRE: {
      if (lParam1 != 0 || !lParam2) return 1;
      NEWCPLINFOA* info = reinterpret_cast<NEWCPLINFOA*>(lParam2);
      ZeroMemory(info, sizeof *info);
      info->dwSize = sizeof *info;
      info->hIcon = LoadIconA(NULL, IDI_APPLICATION);
      LoadStringA(g_hinstDesk, IDS_APPLET_NAME, info->szName, sizeof info->szName);
      LoadStringA(g_hinstDesk, IDS_APPLET_INFO, info->szInfo, sizeof info->szInfo);
      return 0;
    }
    case CPL_DBLCLK:
      if (lParam1 != 0) return 1;
      RunDisplayProperties(hwndCpl);
      return 0;
    case CPL_SELECT:
    case CPL_STOP:
    case CPL_EXIT:
      return 0;
  }
  return 0;
}
