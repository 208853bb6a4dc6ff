// Reading a tab control the way a test looks at a property sheet.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace host::testing {

// Every tab's title in order (TCM_GETITEMA, at most 63 characters each).
std::vector<std::string> TabTitles(HWND tab);

}  // namespace host::testing
