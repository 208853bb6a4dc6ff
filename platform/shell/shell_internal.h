// What the task bar and the desktop, both windows of the shell's thread, tell each other.
#pragma once

#include <windows.h>

namespace host::shell {

// Creates "Progman" with its view and icons on the shell's thread; false when it could not.
bool CreateDesktop();
// The "Progman" window, NULL while the shell is not running.
HWND DesktopWindow();

}  // namespace host::shell
