// ovx: the station command. `ovx station init DIR [--adapter NAME|FILE]` lays
// out a station; `ovx tour [--out DIR]` boots one and shows what it holds;
// `ovx inspect` and `ovx mode-file` are the database maintainer's tools.
#include "database_commands.h"
#include "station_layout.h"

#include <host/station.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

int Usage() {
  std::fputs(
      "usage:\n"
      "  ovx station init DIR [--adapter NAME|FILE]\n"
      "                           lay out a default station in DIR, with an adapter preset\n"
      "                           (default, panning, zoomed, two-boards, pnp-monitor, exact-version,\n"
      "                           old-driver) or an adapter file; kept as DIR/adapter.ini\n"
      "  ovx tour [--out DIR]     boot a station (a temporary one, or DIR) and show it\n"
      "  ovx run [--station DIR] [--seconds N] [--screenshot FILE] COMMAND LINE...\n"
      "                           boot a station and run a program in it as WinExec does (\"control.exe\n"
      "                           desk.cpl\" opens the Display control panel) for N seconds (5), then save\n"
      "                           the screen\n"
      "  ovx inspect [--json] FILE | --write-cache OVX.MON OVX.BIN\n"
      "                           show a monitor database or mode file; write a database cache\n"
      "  ovx mode-file DATABASE MANUFACTURER MODEL OVX.INF\n"
      "                           write the mode file the Monitor page writes for a model\n",
      stderr);
  return 2;
}

int Run(int argc, char** argv) {
  std::string station, screenshot, commandLine;
  int seconds = 5;
  int i = 0;
  for (; i < argc && argv[i][0] == '-' && argv[i][1] == '-'; ++i) {
    if (i + 1 >= argc) return Usage();
    if (!std::strcmp(argv[i], "--station"))
      station = argv[++i];
    else if (!std::strcmp(argv[i], "--screenshot"))
      screenshot = argv[++i];
    else if (!std::strcmp(argv[i], "--seconds"))
      seconds = std::atoi(argv[++i]);
    else
      return Usage();
  }
  // The words after the options are the command line, as a person types it to Windows' Run box.
  for (; i < argc; ++i) commandLine += (commandLine.empty() ? "" : " ") + std::string(argv[i]);
  if (commandLine.empty() || seconds < 0 || seconds > 3600) return Usage();
  return ovx::RunCommand(station, commandLine, seconds, screenshot);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 4 && !std::strcmp(argv[1], "station") && !std::strcmp(argv[2], "init")) {
    std::string adapter;
    for (int i = 4; i < argc; ++i) {
      if (!std::strcmp(argv[i], "--adapter") && i + 1 < argc)
        adapter = argv[++i];
      else
        return Usage();
    }
    return ovx::InitStationCommand(argv[3], adapter);
  }
  if (argc >= 2 && !std::strcmp(argv[1], "tour")) {
    std::string out;
    for (int i = 2; i < argc; ++i) {
      if (!std::strcmp(argv[i], "--out") && i + 1 < argc)
        out = argv[++i];
      else
        return Usage();
    }
    return ovx::TourCommand(out);
  }
  if (argc >= 2 && !std::strcmp(argv[1], "run")) return Run(argc - 2, argv + 2);
  if (argc >= 2 && !std::strcmp(argv[1], "inspect")) return ovx::InspectCommand(argc - 2, argv + 2);
  if (argc >= 2 && !std::strcmp(argv[1], "mode-file")) return ovx::ModeFileCommand(argc - 2, argv + 2);
  return Usage();
}
