// GetSystemMetrics: the screen is as large as the adapter's desktop; the rest
// are Windows 95's metrics with the standard scheme and small fonts.
#include <host/adapter.h>

#include "user/user_internal.h"

namespace {

int FixedMetric(int index) {
  switch (index) {
    case SM_CXVSCROLL:
    case SM_CYHSCROLL:
    case SM_CYVSCROLL:
    case SM_CXHSCROLL:
      return 16;
    case SM_CYVTHUMB:
    case SM_CXHTHUMB:
      return 16;
    case SM_CYCAPTION:
      return 19;
    case SM_CXBORDER:
    case SM_CYBORDER:
      return 1;
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME:
      return 3;
    case SM_CXFRAME:
    case SM_CYFRAME:
      return 4;
    case SM_CXEDGE:
    case SM_CYEDGE:
      return 2;
    case SM_CXICON:
    case SM_CYICON:
    case SM_CXCURSOR:
    case SM_CYCURSOR:
      return 32;
    case SM_CXSMICON:
    case SM_CYSMICON:
      return 16;
    case SM_CYMENU:
      return 19;
    case SM_CXSIZE:
    case SM_CYSIZE:
      return 18;
    case SM_CYSMCAPTION:
      return 15;
    case SM_CXSMSIZE:
      return 12;
    case SM_CYSMSIZE:
      return 14;
    case SM_CXMENUSIZE:
    case SM_CYMENUSIZE:
      return 18;
    case SM_CXMIN:
    case SM_CXMINTRACK:
      return 112;
    case SM_CYMIN:
    case SM_CYMINTRACK:
      return 27;
    case SM_CXMINIMIZED:
      return host::user::kIconicWidth;
    case SM_CYMINIMIZED:
      return host::user::kIconicHeight;
    case SM_CXMINSPACING:
      return 160;
    case SM_CYMINSPACING:
      return 24;
    case SM_CXDOUBLECLK:
    case SM_CYDOUBLECLK:
      return 4;
    case SM_CXDRAG:
    case SM_CYDRAG:
      return 2;
    case SM_CXICONSPACING:
    case SM_CYICONSPACING:
      return 75;
    case SM_CXMENUCHECK:
    case SM_CYMENUCHECK:
      return 13;
    case SM_MOUSEPRESENT:
      return 1;
    case SM_CMOUSEBUTTONS:
      return 2;
    case SM_ARRANGE:
      return 8;  // ARW_HIDE: minimised windows have no place of their own
    case SM_NETWORK:
      return 1;
    default:
      return 0;
  }
}

}  // namespace

extern "C" int WINAPI GetSystemMetrics(int nIndex) {
  host::adapter::State s = host::adapter::CurrentState();
  int frame = FixedMetric(SM_CXFRAME);
  switch (nIndex) {
    case SM_CXSCREEN:
      return s.desktopWidth;
    case SM_CYSCREEN:
      return s.desktopHeight;
    case SM_CXFULLSCREEN:
      return s.desktopWidth;
    case SM_CYFULLSCREEN:
      return s.desktopHeight - FixedMetric(SM_CYCAPTION);
    case SM_CXMAXIMIZED:
      return s.desktopWidth + 2 * frame;
    case SM_CYMAXIMIZED:
      return s.desktopHeight + 2 * frame;
    case SM_CXMAXTRACK:
      return s.desktopWidth + 2 * frame + 4;
    case SM_CYMAXTRACK:
      return s.desktopHeight + 2 * frame + 4;
    default:
      return FixedMetric(nIndex);
  }
}
