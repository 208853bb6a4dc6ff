// Writes a small OVX.INF (one board, two modes) to the host path given, as the seed of the OVX.INF fuzz target.
#include <cstdio>
#include <fstream>
#include <string>

#include "fuzz_station.h"
#include "mode_file/mode_file.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_mode_file_seed OUT\n");
    return 2;
  }
  monitor_db_fuzz::EnsureStation();
  monitor_db::MonitorManufacturer* maker = monitor_db::NewManufacturer("Acme");
  monitor_db::MonitorModel* model = monitor_db::NewModel("Pro 17");
  model->displayHandle = 1;
  maker->models = model;
  const TimingBlock blocks[] = {{25175, 640, 16, 96, 48, 0, 480, 10, 2, 33, 0, 0, 0, 1, 1},
                                {40000, 800, 40, 128, 88, 0, 600, 1, 4, 23, 0, 0, 0, 0, 0}};
  for (LONG i = 0; i < 2; ++i) {
    monitor_db::MonitorTiming* timing = monitor_db::NewTiming();
    timing->resolution = i;
    timing->depth = i ? 0 : 8;
    timing->zoom = i ? 0 : 1;
    timing->block = blocks[i];
    monitor_db::AppendOldestTiming(model, timing);
  }
  mode_file::BoardEntryList list;
  const int written = mode_file::WriteModelToModeFile(&list, "C:\\FUZZ\\SEED.INF", maker, 1);
  monitor_db::FreeMonitorTree(&maker);
  if (!written) {
    std::fprintf(stderr, "make_mode_file_seed: %s\n", mode_file::LastModeFileProblem());
    return 1;
  }
  std::ofstream(argv[1], std::ios::binary) << monitor_db_fuzz::GetStationFile("C:\\FUZZ\\SEED.INF");
  return 0;
}
