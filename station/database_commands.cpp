#include "database_commands.h"

#include <host/station.h>
#include <windows.h>

#include <cstring>
#include <fstream>
#include <sstream>

#include "mode_file_report.h"
#include "monitor_db_report.h"

namespace ovx {
namespace {

int InspectUsage() {
  std::fputs(
      "usage:\n"
      "  ovx inspect [--json] FILE                 show the monitor tree of an OVX.MON or OVX.BIN,\n"
      "                                            or the board and mode records of an OVX.INF\n"
      "  ovx inspect --write-cache OVX.MON OVX.BIN  write the cache of a database text\n",
      stderr);
  return 2;
}

// Enough of a file to tell an OVX.INF from the monitor database's files.
std::string FileStart(const char* hostPath) {
  std::ifstream in(hostPath, std::ios::binary);
  std::string start(64, '\0');
  in.read(start.data(), static_cast<std::streamsize>(start.size()));
  start.resize(static_cast<size_t>(in.gcount()));
  return start;
}

std::string MonitorTextPath(const char* monitorFolder) { return std::string(monitorFolder) + "\\OVX.MON"; }

}  // namespace

int InspectCommand(int argc, char** argv) {
  if (argc == 3 && !std::strcmp(argv[0], "--write-cache"))
    return monitor_db_report::WriteCacheCommand(argv[1], argv[2]);
  bool json = false;
  const char* file = nullptr;
  for (int i = 0; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--json") && !json)
      json = true;
    else if (argv[i][0] != '-' && !file)
      file = argv[i];
    else
      return InspectUsage();
  }
  if (!file) return InspectUsage();
  if (mode_file_report::LooksLikeModeFile(FileStart(file))) return mode_file_report::PrintModeFile(file, json, stdout);
  return monitor_db_report::PrintMonitorFile(file, json, stdout);
}

int ModeFileCommand(int argc, char** argv) {
  if (argc != 4) {
    std::fputs("usage: ovx mode-file DATABASE MANUFACTURER MODEL OVX.INF\n", stderr);
    return 2;
  }
  return mode_file_report::WriteModeFileCommand(argv[0], argv[1], argv[2], argv[3], stderr);
}

bool InstallShippedMonitorDatabase(const std::string& shippedHostPath, const char* monitorFolder) {
  const std::string target = MonitorTextPath(monitorFolder);
  if (GetFileAttributesA(target.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
  std::ifstream in(shippedHostPath, std::ios::binary);
  if (!in) return false;
  std::ostringstream data;
  data << in.rdbuf();
  const std::string bytes = data.str();
  // Through the kernel, so the file gets the station's own times and case.
  HANDLE file = CreateFileA(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                  written == bytes.size();
  CloseHandle(file);
  if (!ok) DeleteFileA(target.c_str());
  return ok;
}

void PrintMonitorDatabaseTour(const char* monitorFolder, FILE* out) {
  const std::string path = MonitorTextPath(monitorFolder);
  const monitor_db_report::MonitorDbSummary summary = monitor_db_report::SummarizeMonitorFile(path);
  std::fprintf(out, "\n== monitor database, %s\n", path.c_str());
  if (summary.format.empty()) {
    std::fprintf(out, "  not readable: %s\n", summary.problem.c_str());
    return;
  }
  std::fprintf(out, "  %d manufacturers, %d models, %d timings\n", summary.manufacturers, summary.models,
               summary.timings);
  if (!summary.ok) std::fprintf(out, "  the read stopped: %s\n", summary.problem.c_str());
}

void PrintModeFileTour(const char* monitorFolder, const char* manufacturer, const char* model, FILE* out) {
  const std::string database = host::HostPath(MonitorTextPath(monitorFolder));
  const std::string modeFile = host::HostPath(std::string(monitorFolder) + "\\OVX.INF");
  std::fprintf(out, "\n== mode file for \"%s\" \"%s\"\n", manufacturer, model);
  std::fflush(out);
  if (mode_file_report::WriteModeFileCommand(database, manufacturer, model, modeFile, out) != 0) return;
  std::fflush(out);
  mode_file_report::PrintModeFile(modeFile, false, out);
}

}  // namespace ovx
