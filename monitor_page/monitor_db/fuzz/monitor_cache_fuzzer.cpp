// Fuzzes the OVX.BIN reader: it must never crash, and what it accepts must
// write back and read again to the same file.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz_station.h"
#include "monitor_db/monitor_db.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  namespace db = monitor_db;
  monitor_db_fuzz::EnsureStation();
  if (!monitor_db_fuzz::PutStationFile("C:\\FUZZ\\OVX.BIN", data, size)) return 0;
  db::MonitorManufacturer* tree = nullptr;
  if (!db::ReadMonitorCache(&tree, "C:\\FUZZ\\OVX.BIN")) {
    if (tree) std::abort();  // a refused file leaves nothing behind
    return 0;
  }
  if (!db::WriteMonitorCache(tree, "C:\\FUZZ\\ONCE.BIN")) std::abort();
  db::FreeMonitorTree(&tree);
  if (!db::ReadMonitorCache(&tree, "C:\\FUZZ\\ONCE.BIN")) std::abort();
  if (!db::WriteMonitorCache(tree, "C:\\FUZZ\\TWICE.BIN")) std::abort();
  db::FreeMonitorTree(&tree);
  if (monitor_db_fuzz::GetStationFile("C:\\FUZZ\\ONCE.BIN") != monitor_db_fuzz::GetStationFile("C:\\FUZZ\\TWICE.BIN"))
    std::abort();
  return 0;
}
