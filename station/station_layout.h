// The default station: what a fresh installation of the utilities has.
#pragma once

#include <string>

namespace ovx {

// Boots a station in `root` (creating what is missing) and installs the
// utilities as a fresh installation has them. The station stays booted.
bool BootDefaultStation(const std::string& root);

// `adapter`: a preset name or an adapter file (host::adapter::UseConfig); empty keeps the station's adapter.
int InitStationCommand(const std::string& root, const std::string& adapter = "");
int TourCommand(const std::string& outDir);

}  // namespace ovx
