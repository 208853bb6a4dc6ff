#include "host_testing/tab_titles.h"

#include <commctrl.h>

namespace host::testing {

std::vector<std::string> TabTitles(HWND tab) {
  std::vector<std::string> titles;
  for (int i = 0; i < TabCtrl_GetItemCount(tab); ++i) {
    char text[64] = "";
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    TabCtrl_GetItem(tab, i, &item);
    titles.push_back(text);
  }
  return titles;
}

}  // namespace host::testing
