// ovx_monitor_db_generator OUT [--models N] [--seed S]: writes a large OVX.MON.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "monitor_db_generator.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fputs("usage: ovx_monitor_db_generator OUT [--models N] [--seed S]\n", stderr);
    return 2;
  }
  monitor_db_generator::Options options;
  for (int i = 2; i + 1 < argc; i += 2) {
    if (!std::strcmp(argv[i], "--models"))
      options.models = std::atoi(argv[i + 1]);
    else if (!std::strcmp(argv[i], "--seed"))
      options.seed = static_cast<uint32_t>(std::strtoul(argv[i + 1], nullptr, 10));
  }
  monitor_db_generator::Stats stats;
  const std::string text = monitor_db_generator::GenerateMonitorDatabase(options, &stats);
  std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
  out << text;
  if (!out) {
    std::fprintf(stderr, "ovx_monitor_db_generator: cannot write %s\n", argv[1]);
    return 1;
  }
  std::printf("%s: %zu bytes, %d manufacturers, %d models, %d timing sections, %d mode keys\n", argv[1], text.size(),
              stats.manufacturers, stats.models, stats.timingSections, stats.modeKeys);
  return 0;
}
