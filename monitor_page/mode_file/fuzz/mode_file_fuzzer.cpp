// Fuzzes the OVX.INF reader: it must never crash or change the file, it keeps only the station's active board,
// and a list it accepted must write back (or be refused whole) and read again to the same entries.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fuzz_station.h"
#include "mode_file/mode_file.h"

namespace {

constexpr const char* kInput = "C:\\FUZZ\\OVX.INF";
constexpr const char* kOutput = "C:\\FUZZ\\OUT.INF";

void Check(bool condition) {
  if (!condition) std::abort();
}

// One model with one timing, display handle 1.
monitor_db::MonitorManufacturer* SampleTree() {
  monitor_db::MonitorManufacturer* maker = monitor_db::NewManufacturer("Acme");
  monitor_db::MonitorModel* model = monitor_db::NewModel("Pro 17");
  monitor_db::MonitorTiming* timing = monitor_db::NewTiming();
  timing->resolution = monitor_db::kRes640x480;
  timing->block = TimingBlock{25175, 640, 16, 96, 48, 0, 480, 10, 2, 33, 0, 0, 0, 1, 1};
  monitor_db::PushNewestTiming(model, timing);
  model->displayHandle = 1;
  maker->models = model;
  return maker;
}

bool SameEntries(const mode_file::BoardEntryList& a, const mode_file::BoardEntryList& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i].boardId != b[i].boardId || strcmp(a[i].boardName, b[i].boardName) != 0 ||
        strcmp(a[i].monitorName, b[i].monitorName) != 0 || a[i].reserved != b[i].reserved ||
        a[i].modes.size() != b[i].modes.size())
      return false;
    for (size_t m = 0; m < a[i].modes.size(); ++m)
      if (a[i].modes[m].timing != b[i].modes[m].timing || a[i].modes[m].width != b[i].modes[m].width) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  monitor_db_fuzz::EnsureStation();
  if (!monitor_db_fuzz::PutStationFile(kInput, data, size)) return 0;
  mode_file::BoardEntryList list;
  const int read = mode_file::ReadModeFile(kInput, &list);
  Check(read == (list.empty() ? 0 : 1));
  Check(monitor_db_fuzz::GetStationFile(kInput) == std::string(reinterpret_cast<const char*>(data), size));
  mode_file::BoardIdentity board{};
  Check(mode_file::CurrentBoard(&board) == 1);
  for (const mode_file::BoardEntry& entry : list)
    Check(entry.boardId == board.boardId && strcmp(entry.boardName, board.name) == 0);
  if (!read) return 0;

  monitor_db::MonitorManufacturer* tree = SampleTree();
  const mode_file::BoardEntryList before = list;
  if (mode_file::WriteModelToModeFile(&list, kOutput, tree, 1)) {
    mode_file::BoardEntryList again;
    Check(mode_file::ReadModeFile(kOutput, &again) == 1);
    Check(SameEntries(list, again));
    Check(mode_file::MatchesModel(tree->models, *mode_file::FindBoardEntry(&again, board)) == 1);
  } else {
    Check(SameEntries(list, before));
  }
  monitor_db::FreeMonitorTree(&tree);
  return 0;
}
