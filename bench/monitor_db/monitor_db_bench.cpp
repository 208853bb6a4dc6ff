// monitor_db_bench [--models N] [--runs R] [--file OVX.MON]
//
// Reads one large OVX.MON (generated, or the given file) in a station and
// times, over R runs each: a bare linear scan of its bytes, ReadMonitorText,
// WriteMonitorCache and ReadMonitorCache. Prints the best and median times
// and the ratios text/scan (goal: at most 20) and text/cache (goal: at least 3).
#include <host/station.h>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "monitor_db/monitor_db.h"
#include "monitor_db_generator.h"

namespace {

namespace db = monitor_db;
using Clock = std::chrono::steady_clock;

struct Phase {
  const char* name;
  std::vector<double> ms;
  double best() const { return *std::min_element(ms.begin(), ms.end()); }
  double median() const {
    std::vector<double> sorted = ms;
    std::sort(sorted.begin(), sorted.end());
    return sorted[sorted.size() / 2];
  }
};

double Time(const std::function<void()>& work) {
  const auto start = Clock::now();
  work();
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// What any reader of the text must at least do: look at every byte once,
// finding the line breaks and the `[` that start lines.
size_t BareScan(const char* bytes, size_t size) {
  size_t lines = 0, brackets = 0;
  bool lineStart = true;
  for (size_t i = 0; i < size; ++i) {
    const char c = bytes[i];
    if (lineStart && c == '[') ++brackets;
    lineStart = false;
    if (c == '\n' && i > 0 && bytes[i - 1] == '\r') {
      ++lines;
      lineStart = true;
    }
  }
  return lines * 31 + brackets;
}

bool PutStationFile(const char* path, const std::string& bytes) {
  HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                  written == bytes.size();
  CloseHandle(file);
  return ok;
}

int Fail(const char* what) {
  std::fprintf(stderr, "monitor_db_bench: %s failed: %s\n", what, db::LastMonitorDbProblem());
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  monitor_db_generator::Options options;
  int runs = 5;
  std::string file;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (!std::strcmp(argv[i], "--models")) options.models = std::atoi(argv[i + 1]);
    else if (!std::strcmp(argv[i], "--runs")) runs = std::max(1, std::atoi(argv[i + 1]));
    else if (!std::strcmp(argv[i], "--file")) file = argv[i + 1];
  }
  std::string text;
  if (file.empty()) {
    text = monitor_db_generator::GenerateMonitorDatabase(options);
  } else {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    text = bytes.str();
  }

  char pattern[] = "/tmp/ovx-bench-XXXXXX";
  if (!mkdtemp(pattern)) return 1;
  host::StationConfig config;
  config.root = pattern;
  config.realClock = true;
  host::BootStation(config);
  CreateDirectoryA("C:\\MON", nullptr);
  const char* monPath = "C:\\MON\\OVX.MON";
  const char* binPath = "C:\\MON\\OVX.BIN";
  if (!PutStationFile(monPath, text)) return 1;

  Phase scan{"bare scan", {}}, readText{"ReadMonitorText", {}}, writeCache{"WriteMonitorCache", {}},
      readCache{"ReadMonitorCache", {}};
  volatile size_t sink = 0;
  int manufacturers = 0, models = 0, timings = 0;
  for (int run = 0; run < runs; ++run) {
    scan.ms.push_back(Time([&] { sink = sink + BareScan(text.data(), text.size()); }));

    db::MonitorManufacturer* tree = nullptr;
    db::ResetSeparatorMode();
    int ok = 0;
    readText.ms.push_back(Time([&] { ok = db::ReadMonitorText(monPath, &tree); }));
    if (!ok) return Fail("ReadMonitorText");
    manufacturers = db::CountManufacturers(tree);
    models = timings = 0;
    for (db::MonitorManufacturer* m = tree; m; m = m->next)
      for (db::MonitorModel* model = m->models; model; model = model->next) {
        ++models;
        timings += db::CountTimings(model);
      }

    writeCache.ms.push_back(Time([&] { ok = db::WriteMonitorCache(tree, binPath); }));
    if (!ok) return Fail("WriteMonitorCache");
    db::FreeMonitorTree(&tree);

    readCache.ms.push_back(Time([&] { ok = db::ReadMonitorCache(&tree, binPath); }));
    if (!ok) return Fail("ReadMonitorCache");
    db::FreeMonitorTree(&tree);
  }
  host::ShutdownStation();
  std::filesystem::remove_all(pattern);

  std::printf("OVX.MON: %zu bytes; %d manufacturers, %d models, %d timings; %d runs\n", text.size(), manufacturers,
              models, timings, runs);
  std::printf("%-18s %10s %10s\n", "phase", "best ms", "median ms");
  for (const Phase* p : {&scan, &readText, &writeCache, &readCache})
    std::printf("%-18s %10.2f %10.2f\n", p->name, p->best(), p->median());
  const double textOverScan = readText.median() / scan.median();
  const double textOverCache = readText.median() / readCache.median();
  std::printf("text/scan  %8.1f  (goal <= 20: %s)\n", textOverScan, textOverScan <= 20 ? "met" : "missed");
  std::printf("text/cache %8.1f  (goal >= 3: %s)\n", textOverCache, textOverCache >= 3 ? "met" : "missed");
  return 0;
}
