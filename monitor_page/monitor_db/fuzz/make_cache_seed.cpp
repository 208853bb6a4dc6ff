// make_cache_seed OVX.MON OVX.BIN: the seed of the OVX.BIN fuzz target.
#include <cstdio>

#include "monitor_db_report.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fputs("usage: make_cache_seed OVX.MON OVX.BIN\n", stderr);
    return 2;
  }
  return monitor_db_report::WriteCacheCommand(argv[1], argv[2]);
}
