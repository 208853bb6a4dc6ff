// The station the fuzz targets read their inputs in: booted once per
// process in a temporary folder, removed at exit.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace monitor_db_fuzz {

void EnsureStation();
// Writes the bytes as a file of the station through the kernel.
bool PutStationFile(const char* windowsPath, const uint8_t* data, size_t size);
std::string GetStationFile(const char* windowsPath);

}  // namespace monitor_db_fuzz
