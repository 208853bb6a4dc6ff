#include "monitor_db_report.h"

#include <host/station.h>
#include <windows.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <vector>

#include "monitor_db/monitor_db.h"

namespace monitor_db_report {
namespace {

namespace db = monitor_db;
using Json = nlohmann::ordered_json;

constexpr const char* kScratchFolder = "C:\\OVXINSP";

bool ReadHostFile(const std::string& path, std::string* bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream data;
  data << in.rdbuf();
  *bytes = data.str();
  return true;
}

bool WriteHostFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
  return static_cast<bool>(out);
}

// OVX.BIN begins with its signature. A damaged signature still counts as
// OVX.BIN when a NUL comes early and no line break before it, so the reader
// says what is wrong with the file instead of reading its bytes as text.
bool LooksLikeCache(const std::string& bytes) {
  const std::string signature = db::kCacheSignature;
  const std::string head = bytes.substr(0, signature.size());
  if (head.size() == signature.size() && lstrcmpiA(head.c_str(), signature.c_str()) == 0) return true;
  const size_t nul = bytes.find('\0');
  return nul < db::kCacheHeaderSize && bytes.substr(0, nul).find("\r\n") == std::string::npos;
}

// A station to read the file in: the booted one, or a temporary one.
class ScratchStation {
 public:
  ScratchStation() {
    if (host::IsStationBooted()) return;
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/ovx-database-XXXXXX";
    if (!mkdtemp(pattern.data())) return;
    root_ = pattern;
    host::StationConfig config;
    config.root = root_;
    host::BootStation(config);
  }
  ~ScratchStation() {
    if (root_.empty()) return;
    host::ShutdownStation();
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }
  bool ready() const { return host::IsStationBooted(); }

 private:
  std::string root_;
};

bool PutStationFile(const std::string& windowsPath, const std::string& bytes) {
  CreateDirectoryA(kScratchFolder, nullptr);
  HANDLE file = CreateFileA(windowsPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                  written == bytes.size();
  CloseHandle(file);
  return ok;
}

bool GetStationFile(const std::string& windowsPath, std::string* bytes) {
  HANDLE file = CreateFileA(windowsPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const DWORD size = GetFileSize(file, nullptr);
  bytes->assign(size, '\0');
  DWORD read = 0;
  const bool ok = size == 0 || (ReadFile(file, bytes->data(), size, &read, nullptr) && read == size);
  CloseHandle(file);
  return ok;
}

void CleanScratch() {
  for (const char* name : {db::kMonitorTextFile, db::kMonitorCacheFile})
    DeleteFileA((std::string(kScratchFolder) + "\\" + name).c_str());
  RemoveDirectoryA(kScratchFolder);
}

// What reading one file gave: the tree, and what the reader had to say.
struct Reading {
  std::string format;
  std::string separator;  // OVX.MON only
  bool ok = false;
  std::string problem;
  std::vector<std::string> notes;
  db::MonitorManufacturer* tree = nullptr;
  ~Reading() { db::FreeMonitorTree(&tree); }
};

void CollectNotice(void* context, const char* text) { static_cast<Reading*>(context)->notes.push_back(text); }

void ReadInStation(const std::string& windowsPath, const std::string& bytes, Reading* reading) {
  if (LooksLikeCache(bytes)) {
    reading->format = "OVX.BIN";
    reading->ok = db::ReadMonitorCache(&reading->tree, windowsPath.c_str()) != 0;
  } else {
    reading->format = "OVX.MON";
    const size_t nul = bytes.find('\0');
    if (nul != std::string::npos)
      reading->notes.push_back("the file holds a NUL byte at offset " + std::to_string(nul) +
                               ": the text ends there, and the page refuses to edit the file");
    db::ResetSeparatorMode();
    db::MonitorReadProgress progress{nullptr, nullptr, CollectNotice, reading};
    reading->ok = db::ReadMonitorText(windowsPath.c_str(), &reading->tree, &progress) != 0;
    switch (db::CurrentSeparatorMode()) {
      case db::SeparatorMode::kDot: reading->separator = "dot"; break;
      case db::SeparatorMode::kSpace: reading->separator = "space"; break;
      default: reading->separator = "undecided"; break;
    }
    db::ResetSeparatorMode();
  }
  if (!reading->ok) reading->problem = db::LastMonitorDbProblem();
}

struct Counts {
  int manufacturers = 0, models = 0, timings = 0;
};
Counts CountTree(const db::MonitorManufacturer* tree) {
  Counts c;
  for (const db::MonitorManufacturer* m = tree; m; m = m->next) {
    ++c.manufacturers;
    for (const db::MonitorModel* model = m->models; model; model = model->next) {
      ++c.models;
      c.timings += db::CountTimings(model);
    }
  }
  return c;
}

std::string ResolutionName(LONG resolution) {
  const char* name = db::ResolutionKeyName(resolution);
  return name ? name : "resolution " + std::to_string(resolution);
}

void PrintText(const std::string& hostPath, const Reading& r, FILE* out) {
  const Counts c = CountTree(r.tree);
  std::fprintf(out, "file: %s\n", hostPath.c_str());
  std::fprintf(out, "format: %s", r.format.c_str());
  if (!r.separator.empty()) std::fprintf(out, " (%s mode)", r.separator.c_str());
  std::fprintf(out, "\nmanufacturers: %d  models: %d  timings: %d\n", c.manufacturers, c.models, c.timings);
  for (const db::MonitorManufacturer* m = r.tree; m; m = m->next) {
    std::fprintf(out, "manufacturer \"%s\" (%d models)\n", m->name, db::CountModels(m));
    for (const db::MonitorModel* model = m->models; model; model = model->next) {
      std::fprintf(out, "  model \"%s\" (%d timings)\n", model->name, db::CountTimings(model));
      for (const db::MonitorTiming* t = model->newest; t; t = t->older) {
        std::fprintf(out, "    %-9s depth %-2lu zoom %lu %-2s ", ResolutionName(t->resolution).c_str(), t->depth,
                     t->zoom, t->interlaced ? "I" : "NI");
        for (int i = 0; i < db::kTimingFieldCount; ++i)
          std::fprintf(out, " %s=%ld", db::kTimingFieldNames[i], t->block.*db::kTimingFields[i]);
        std::fprintf(out, "\n");
      }
    }
  }
  std::fprintf(out, "notes:%s\n", r.notes.empty() ? " none" : "");
  for (const std::string& note : r.notes) std::fprintf(out, "  %s\n", note.c_str());
  if (r.ok)
    std::fprintf(out, "problems: none\n");
  else
    std::fprintf(out, "problems:\n  the read stopped: %s\n", r.problem.c_str());
}

void PrintJson(const std::string& hostPath, const Reading& r, FILE* out) {
  const Counts c = CountTree(r.tree);
  Json doc;
  doc["file"] = hostPath;
  doc["format"] = r.format;
  if (!r.separator.empty()) doc["separator"] = r.separator;
  doc["ok"] = r.ok;
  doc["problem"] = r.ok ? Json(nullptr) : Json(r.problem);
  doc["notes"] = r.notes;
  doc["counts"] = {{"manufacturers", c.manufacturers}, {"models", c.models}, {"timings", c.timings}};
  Json manufacturers = Json::array();
  for (const db::MonitorManufacturer* m = r.tree; m; m = m->next) {
    Json models = Json::array();
    for (const db::MonitorModel* model = m->models; model; model = model->next) {
      Json timings = Json::array();
      for (const db::MonitorTiming* t = model->newest; t; t = t->older) {
        Json timing;
        timing["resolution"] = ResolutionName(t->resolution);
        timing["resolutionIndex"] = t->resolution;
        timing["depth"] = t->depth;
        timing["zoom"] = t->zoom;
        timing["interlaced"] = t->interlaced != 0;
        for (int i = 0; i < db::kTimingFieldCount; ++i) timing[db::kTimingFieldNames[i]] = t->block.*db::kTimingFields[i];
        timings.push_back(timing);
      }
      models.push_back({{"name", model->name}, {"timings", timings}});
    }
    manufacturers.push_back({{"name", m->name}, {"models", models}});
  }
  doc["manufacturers"] = manufacturers;
  // Names are bytes of the file, not necessarily UTF-8.
  std::fprintf(out, "%s\n", doc.dump(2, ' ', false, Json::error_handler_t::replace).c_str());
}

std::string ScratchPathFor(const std::string& bytes) {
  return std::string(kScratchFolder) + "\\" + (LooksLikeCache(bytes) ? db::kMonitorCacheFile : db::kMonitorTextFile);
}

}  // namespace

int PrintMonitorFile(const std::string& hostPath, bool json, FILE* out) {
  std::string bytes;
  if (!ReadHostFile(hostPath, &bytes)) {
    std::fprintf(stderr, "ovx: cannot open %s\n", hostPath.c_str());
    return 2;
  }
  ScratchStation station;
  const std::string windowsPath = ScratchPathFor(bytes);
  if (!station.ready() || !PutStationFile(windowsPath, bytes)) {
    std::fprintf(stderr, "ovx: no station to read %s in\n", hostPath.c_str());
    return 2;
  }
  int result;
  {
    Reading reading;
    ReadInStation(windowsPath, bytes, &reading);
    if (json)
      PrintJson(hostPath, reading, out);
    else
      PrintText(hostPath, reading, out);
    result = reading.ok ? 0 : 1;
  }
  CleanScratch();
  return result;
}

int WriteCacheCommand(const std::string& monPath, const std::string& binPath) {
  std::string bytes;
  if (!ReadHostFile(monPath, &bytes)) {
    std::fprintf(stderr, "ovx: cannot open %s\n", monPath.c_str());
    return 1;
  }
  if (LooksLikeCache(bytes)) {
    std::fprintf(stderr, "ovx: %s is not an OVX.MON text\n", monPath.c_str());
    return 1;
  }
  ScratchStation station;
  const std::string textPath = std::string(kScratchFolder) + "\\" + db::kMonitorTextFile;
  const std::string cachePath = std::string(kScratchFolder) + "\\" + db::kMonitorCacheFile;
  int result = 1;
  if (station.ready() && PutStationFile(textPath, bytes)) {
    Reading reading;
    ReadInStation(textPath, bytes, &reading);
    std::string cache;
    if (!reading.ok)
      std::fprintf(stderr, "ovx: %s: the read stopped: %s\n", monPath.c_str(), reading.problem.c_str());
    else if (!db::WriteMonitorCache(reading.tree, cachePath.c_str()) || !GetStationFile(cachePath, &cache))
      std::fprintf(stderr, "ovx: the cache could not be written: %s\n", db::LastMonitorDbProblem());
    else if (!WriteHostFile(binPath, cache))
      std::fprintf(stderr, "ovx: cannot write %s\n", binPath.c_str());
    else
      result = 0;
  }
  CleanScratch();
  return result;
}

MonitorDbSummary SummarizeMonitorFile(const std::string& windowsPath) {
  MonitorDbSummary summary;
  std::string bytes;
  if (!GetStationFile(windowsPath, &bytes)) {
    summary.problem = "\"" + windowsPath + "\" cannot be read";
    return summary;
  }
  Reading reading;
  ReadInStation(windowsPath, bytes, &reading);
  const Counts c = CountTree(reading.tree);
  summary.ok = reading.ok;
  summary.format = reading.format;
  summary.manufacturers = c.manufacturers;
  summary.models = c.models;
  summary.timings = c.timings;
  summary.problem = reading.problem;
  return summary;
}

}  // namespace monitor_db_report
