// The `ovx tour` step of the window manager and GDI: a top-level window,
// painted, moved by its caption as a person moves it, and a screenshot.
#pragma once

#include <cstdio>
#include <string>

namespace ovx {

// Shows the window, drags it, prints where it went and saves the screen as a
// PNG at `screenshotPath` (a host path). false when the window or the
// screenshot could not be made.
bool WindowTour(const std::string& screenshotPath, FILE* out);

}  // namespace ovx
