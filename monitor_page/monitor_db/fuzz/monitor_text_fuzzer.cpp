// Fuzzes the sectioned text engine and the OVX.MON reader: the reader must
// never crash, the header index must agree with plain scanning through
// every delete, an edit through the file mapping must give the same bytes
// as the same delete in memory, and a model the writer accepts must read
// back from the database it wrote.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_station.h"
#include "monitor_db/monitor_db.h"

namespace {

namespace db = monitor_db;
constexpr const char* kPath = "C:\\FUZZ\\OVX.MON";
constexpr const char* kUserPath = "C:\\FUZZ\\USER.MON";

void Check(bool condition) {
  if (!condition) std::abort();
}

std::vector<std::string> Names(const char* text) {
  std::vector<char> out(strlen(text) + 2);
  db::ListSectionNames(text, out.data(), static_cast<DWORD>(out.size()));
  std::vector<std::string> names;
  for (const char* p = out.data(); *p; p += strlen(p) + 1) names.emplace_back(p);
  return names;
}

void CompareSections(const char* held, const char* plain, const std::vector<std::string>& names) {
  Check(Names(held) == Names(plain));
  for (const std::string& name : names) {
    const char* a = db::FindSection(held, name.c_str());
    const char* b = db::FindSection(plain, name.c_str());
    Check((a ? a - held : -1) == (b ? b - plain : -1));
  }
}

void CompareLookups(const char* held, const char* plain, const std::vector<std::string>& names) {
  CompareSections(held, plain, names);
  for (const std::string& name : names) {
    std::vector<char> keysA(strlen(held) + 2), keysB(strlen(plain) + 2);
    const int okA = db::ListSectionKeys(held, name.c_str(), keysA.data(), static_cast<DWORD>(keysA.size()));
    const int okB = db::ListSectionKeys(plain, name.c_str(), keysB.data(), static_cast<DWORD>(keysB.size()));
    Check(okA == okB);
    if (!okA) continue;
    std::vector<const char*> keys;
    for (const char* k = keysA.data(); *k && keys.size() < 8; k += strlen(k) + 1) {
      keys.push_back(k);
      char va[128], vb[128];
      const int ra = db::GetSectionValue(held, name.c_str(), k, va, sizeof va);
      Check(ra == db::GetSectionValue(plain, name.c_str(), k, vb, sizeof vb));
      Check(!ra || strcmp(va, vb) == 0);
      DWORD na = 0, nb = 0;
      const int sa = db::GetSectionNumber(held, name.c_str(), k, &na);
      Check(sa == db::GetSectionNumber(plain, name.c_str(), k, &nb) && (!sa || na == nb));
    }
    // Several numbers at once give what one call per key gives.
    if (!keys.empty()) {
      std::vector<DWORD> batch(keys.size());
      int failed = -2;
      const int all = db::GetSectionNumbers(held, name.c_str(), keys.data(), static_cast<int>(keys.size()), batch.data(),
                                            &failed);
      int firstFailure = -1;
      for (size_t i = 0; i < keys.size() && firstFailure < 0; ++i) {
        DWORD one = 0;
        if (!db::GetSectionNumber(plain, name.c_str(), keys[i], &one))
          firstFailure = static_cast<int>(i);
        else
          Check(!all || batch[i] == one);
      }
      Check(all == (firstFailure < 0));
      Check(all || failed == firstFailure);
    }
  }
}

// The first model read, written as a user model into an empty database in
// the mode the input decided: when the writer accepts it, the next read of
// that database succeeds and finds the model under its own name.
void CheckUserModelReadsBack(const db::MonitorManufacturer* tree) {
  const db::MonitorModel* model = nullptr;
  for (const db::MonitorManufacturer* m = tree; m && !model; m = m->next) model = m->models;
  if (!model || !monitor_db_fuzz::PutStationFile(kUserPath, nullptr, 0)) return;
  db::MonitorManufacturer user{};
  strcpy(user.name, db::kUserDefinedManufacturer);
  if (!db::WriteUserModel(&user, model, kUserPath)) return;
  db::MonitorManufacturer* back = nullptr;
  Check(db::ReadMonitorText(kUserPath, &back) == 1);
  db::MonitorManufacturer* foundManufacturer = nullptr;
  db::MonitorModel* found = nullptr;
  Check(db::FindModelByNames(back, user.name, model->name, &foundManufacturer, &found) == 1);
  Check(!model->newest || db::CountTimings(found) > 0);
  db::FreeMonitorTree(&back);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  monitor_db_fuzz::EnsureStation();
  if (!monitor_db_fuzz::PutStationFile(kPath, data, size)) return 0;

  db::ResetSeparatorMode();
  db::MonitorManufacturer* tree = nullptr;
  db::ReadMonitorText(kPath, &tree);
  CheckUserModelReadsBack(tree);
  db::FreeMonitorTree(&tree);

  // Every path of the reader and writer gives the read slot back.
  char* held = db::LoadSectionText(kPath);
  Check(held != nullptr);
  std::string plain(held);
  std::vector<std::string> names = Names(held);
  if (names.size() > 8) names.resize(8);
  names.push_back("*");
  CompareLookups(held, plain.c_str(), names);
  for (const std::string& victim : names) {
    const int a = db::DeleteSection(held, victim.c_str());
    Check(a == db::DeleteSection(plain.data(), victim.c_str()));
    Check(strcmp(held, plain.c_str()) == 0);
    CompareSections(held, plain.c_str(), names);
  }
  CompareLookups(held, plain.c_str(), names);
  db::FreeSectionText(held);

  // The same delete through the file mapping gives the same bytes; a file
  // holding a NUL is refused and stays as it was.
  const std::string original(reinterpret_cast<const char*>(data), size);
  char* edited = db::OpenTextForEdit(kPath);
  const bool hasNul = original.find('\0') != std::string::npos;
  Check(!edited == hasNul);
  if (edited) {
    std::string expected = original;
    if (!names.empty()) {
      const int a = db::DeleteSection(edited, names[0].c_str());
      Check(a == db::DeleteSection(expected.data(), names[0].c_str()));
    }
    Check(db::CommitEditedText(edited) == 1);
    Check(monitor_db_fuzz::GetStationFile(kPath) == std::string(expected.c_str()));
  } else {
    Check(monitor_db_fuzz::GetStationFile(kPath) == original);
  }
  return 0;
}
