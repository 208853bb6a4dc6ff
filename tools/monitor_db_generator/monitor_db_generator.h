// Generates a large OVX.MON in dot mode that the Monitor page reads without
// a failure, using every feature of the grammar: plain, depth, zoom and
// depth-and-zoom mode keys, NTSC and PAL, interlaced modes, comments, empty
// lines, free spacing and letter case, shared timing sections, values that
// define no timing, widths without a table index, ignored and duplicate
// sections.
#pragma once

#include <cstdint>
#include <string>

namespace monitor_db_generator {

struct Options {
  int models = 2000;
  int modelsPerManufacturer = 20;
  uint32_t seed = 1;
};

struct Stats {
  int manufacturers = 0;
  int models = 0;
  int timingSections = 0;
  int modeKeys = 0;
};

std::string GenerateMonitorDatabase(const Options& options, Stats* stats = nullptr);

}  // namespace monitor_db_generator
