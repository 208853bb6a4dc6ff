// The database maintainer's view: what the Monitor page would read from an OVX.MON or an
// OVX.BIN — manufacturers, models, every timing with its fifteen fields, and
// the problems found. The file is read through the page's own code inside a
// station (a temporary one when none is booted).
#pragma once

#include <cstdio>
#include <string>

namespace monitor_db_report {

// Prints the tree read from the host file `hostPath` (OVX.MON or OVX.BIN,
// told apart by content) as text or, with `json`, as one JSON object.
// Returns 0 when the file read without a problem, 1 when the read failed
// (the output says where), 2 when the file cannot be opened.
int PrintMonitorFile(const std::string& hostPath, bool json, FILE* out);

// Converting a database text into its cache: reads the host file `monPath`
// as OVX.MON and writes the host file `binPath` as its OVX.BIN. Messages go
// to stderr. Returns 0 on success, 1 otherwise.
int WriteCacheCommand(const std::string& monPath, const std::string& binPath);

// Counts of a database file inside the booted station, for the tour.
struct MonitorDbSummary {
  bool ok = false;
  std::string format;  // "OVX.MON" or "OVX.BIN"
  int manufacturers = 0;
  int models = 0;
  int timings = 0;
  std::string problem;  // why the read failed, when !ok
};
MonitorDbSummary SummarizeMonitorFile(const std::string& windowsPath);

}  // namespace monitor_db_report
