// The default station: what a fresh installation of the utilities has.
#pragma once

#include <windows.h>

#include <string>

namespace ovx {

// Boots a station in `root` (creating what is missing) and installs the
// utilities as a fresh installation has them. The station stays booted.
bool BootDefaultStation(const std::string& root);

// `adapter`: a preset name or an adapter file (host::adapter::UseConfig); empty keeps the station's adapter.
int InitStationCommand(const std::string& root, const std::string& adapter = "");
int TourCommand(const std::string& outDir);
// `ovx run`: boots the default station (a temporary one, or `root`), starts `commandLine` as WinExec does and
// lets it run until it ends or `seconds` pass; then saves the screen to `screenshot` (when given).
int RunCommand(const std::string& root, const std::string& commandLine, int seconds, const std::string& screenshot);

// Prints a registry key with its values and subkeys, indented by `depth` steps.
void PrintRegistryKey(HKEY parent, const std::string& path, int depth);

}  // namespace ovx
