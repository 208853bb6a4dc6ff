// ovx: the station command. `ovx station init DIR [--adapter NAME|FILE]` lays
// out a station; `ovx tour [--out DIR]` boots one and shows what it holds;
// `ovx inspect` and `ovx mode-file` are the database maintainer's tools.
#include "database_commands.h"
#include "station_layout.h"

#include <host/station.h>

#include <cstdio>
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
      "  ovx inspect [--json] FILE | --write-cache OVX.MON OVX.BIN\n"
      "                           show a monitor database or mode file; write a database cache\n"
      "  ovx mode-file DATABASE MANUFACTURER MODEL OVX.INF\n"
      "                           write the mode file the Monitor page writes for a model\n",
      stderr);
  return 2;
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
  if (argc >= 2 && !std::strcmp(argv[1], "inspect")) return ovx::InspectCommand(argc - 2, argv + 2);
  if (argc >= 2 && !std::strcmp(argv[1], "mode-file")) return ovx::ModeFileCommand(argc - 2, argv + 2);
  return Usage();
}
