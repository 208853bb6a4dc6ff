// The tour's dialog: a dialog from a resource module, saved as a screenshot.
#pragma once

#include <cstdio>
#include <string>

namespace ovx {

// Opens TOURDLG.DLL's dialog on the booted station, writes `stationRoot`/tour-dialog.png and tells `out`.
// 0 when the dialog was shown and saved.
int DialogTour(const std::string& stationRoot, FILE* out);

}  // namespace ovx
