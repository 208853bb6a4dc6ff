// The `ovx tour` page about the Display control panel: opened as a person opens it ("control.exe desk.cpl"),
// each tab shown and saved as a screenshot, the Colour page's red slider moved and applied.
#pragma once

#include <cstdio>
#include <string>

namespace ovx {

// Runs the control panel on the booted station and writes "display-<n>-<tab>.png" into `folder`; 0 when the
// whole walk succeeded.
int ControlPanelTour(const std::string& folder, std::FILE* out);

}  // namespace ovx
