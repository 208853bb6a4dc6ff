// `ovx inspect`: the database maintainer's view of OVX.MON and OVX.BIN, and
// the monitor database's part of the default station and of the tour.
#pragma once

#include <cstdio>
#include <string>

namespace ovx {

// `ovx inspect [--json] FILE` and `ovx inspect --write-cache OVX.MON OVX.BIN`.
// `args` are the words after "inspect". Returns the exit code: 0 the file
// read without a problem (or was converted), 1 the read stopped (the output
// says where) or the conversion failed, 2 a usage error or an unreadable file.
int InspectCommand(int argc, char** argv);

// `ovx mode-file DATABASE MANUFACTURER MODEL OVX.INF`: writes the OVX.INF the
// Monitor page would write for that model. `args` are the words after "mode-file".
int ModeFileCommand(int argc, char** argv);

// Copies the shipped OVX.MON (a host file) into the station's monitor folder
// unless that folder already holds one, so a user's edits survive a re-init.
// OVX.BIN is not installed: the Monitor page writes it on first use.
bool InstallShippedMonitorDatabase(const std::string& shippedHostPath, const char* monitorFolder);

// The tour's lines on the station's database: how many manufacturers,
// models and timings the OVX.MON in `monitorFolder` holds, or why it could
// not be read.
void PrintMonitorDatabaseTour(const char* monitorFolder, FILE* out);

// The tour's lines on the mode file: writes OVX.INF into `monitorFolder` for
// one model of the station's database, as the Monitor page's apply does, and
// shows what it holds.
void PrintModeFileTour(const char* monitorFolder, const char* manufacturer, const char* model, FILE* out);

}  // namespace ovx
