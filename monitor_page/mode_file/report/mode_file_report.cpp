#include "mode_file_report.h"

#include <host/station.h>
#include <strings.h>
#include <windows.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <vector>

#include "mode_file/mode_file.h"
#include "monitor_db/monitor_db.h"

namespace mode_file_report {
namespace {

namespace mf = mode_file;
namespace db = monitor_db;
using Json = nlohmann::ordered_json;

constexpr const char* kScratchFolder = "C:\\OVXMODE";
constexpr const char* kStationModeFile = "C:\\OVXMODE\\OVX.INF";

bool ReadHostFile(const std::string& path, std::string* bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream data;
  data << in.rdbuf();
  *bytes = data.str();
  return static_cast<bool>(in) || in.eof();
}

// Written beside the target and renamed over it, so a failure leaves the previous file.
bool WriteHostFile(const std::string& path, const std::string& bytes) {
  const std::string temporary = path + ".new";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out << bytes;
    if (!out.flush()) {
      std::error_code ignored;
      std::filesystem::remove(temporary, ignored);
      return false;
    }
  }
  std::error_code error;
  std::filesystem::rename(temporary, path, error);
  if (error) std::filesystem::remove(temporary, error);
  return !error;
}

// ---- The raw layout ----

unsigned Word16(const std::string& b, size_t at) {
  return static_cast<unsigned char>(b[at]) | static_cast<unsigned char>(b[at + 1]) << 8;
}
unsigned Word32(const std::string& b, size_t at) { return Word16(b, at) | Word16(b, at + 2) << 16; }
std::string Text(const std::string& b, size_t at, size_t size) {
  const std::string field = b.substr(at, size);
  return field.substr(0, field.find('\0'));
}

struct ModeRecord {
  size_t offset;
  unsigned values[7];  // width, height, interlaced, refresh, line rate, depth mask, zoom mask
  unsigned reserved;
  unsigned timing[kTimingFieldCount];
};
constexpr const char* kModeFieldNames[7] = {"width", "height", "interlaced", "refresh", "lineRate", "depthMask",
                                            "zoomMask"};

struct BoardRecord {
  int slot;
  size_t offset;
  unsigned boardId;
  std::string boardName, monitorName;
  unsigned reserved, modeCount, modeOffset;
  std::vector<ModeRecord> modes;
};

struct Layout {
  size_t size = 0;
  std::string signature;
  unsigned version = 0, reserved16 = 0, reserved32 = 0;
  unsigned slots[mf::kMaxBoardEntries] = {};
  std::vector<BoardRecord> boards;
  std::vector<std::string> problems;
};

ModeRecord DecodeMode(const std::string& b, size_t at) {
  ModeRecord m{};
  m.offset = at;
  for (int i = 0; i < 7; ++i) m.values[i] = Word16(b, at + 2 * i);
  m.reserved = Word16(b, at + 14);
  m.timing[0] = Word32(b, at + 16);
  for (int i = 1; i < kTimingFieldCount; ++i) m.timing[i] = Word16(b, at + 20 + 2 * (i - 1));
  return m;
}

void DecodeBoard(const std::string& b, int slot, size_t at, Layout* layout) {
  if (at + mf::kBoardRecordSize > b.size()) {
    layout->problems.push_back("slot " + std::to_string(slot) + ": the board record at " + std::to_string(at) +
                               " runs past the end of the file");
    return;
  }
  BoardRecord r{};
  r.slot = slot;
  r.offset = at;
  r.boardId = Word16(b, at);
  r.boardName = Text(b, at + 4, mf::kBoardNameSize);
  r.monitorName = Text(b, at + 36, mf::kMonitorNameSize);
  r.reserved = Word32(b, at + 100);
  r.modeCount = Word16(b, at + mf::kModeCountAt);
  r.modeOffset = Word16(b, at + mf::kModeOffsetAt);
  for (unsigned i = 0; i < r.modeCount; ++i) {
    const size_t modeAt = r.modeOffset + static_cast<size_t>(i) * mf::kModeRecordSize;
    if (modeAt + mf::kModeRecordSize > b.size()) {
      layout->problems.push_back("slot " + std::to_string(slot) + ": mode record " + std::to_string(i) + " at " +
                                 std::to_string(modeAt) + " runs past the end of the file");
      break;
    }
    r.modes.push_back(DecodeMode(b, modeAt));
  }
  layout->boards.push_back(std::move(r));
}

Layout Decode(const std::string& b) {
  Layout layout;
  layout.size = b.size();
  if (b.size() < mf::kHeaderSize) {
    layout.problems.push_back("the header is shorter than 48 bytes");
    return layout;
  }
  layout.signature = Text(b, 0, mf::kSignatureSize);
  layout.version = Word16(b, 32);
  layout.reserved16 = Word16(b, 34);
  layout.reserved32 = Word32(b, 36);
  if (strcasecmp(layout.signature.c_str(), mf::kSignature) != 0)
    layout.problems.push_back(std::string("the signature is not \"") + mf::kSignature + "\"");
  if (layout.version != mf::kVersion)
    layout.problems.push_back("format version " + std::to_string(layout.version) + ", not 200");
  for (int k = 0; k < mf::kMaxBoardEntries; ++k) {
    layout.slots[k] = Word16(b, mf::kSlotOffsetsAt + 2 * k);
    if (layout.slots[k] != mf::kEmptySlot) DecodeBoard(b, k, layout.slots[k], &layout);
  }
  return layout;
}

// ---- Printing ----

void PrintText(const std::string& hostPath, const Layout& l, FILE* out) {
  std::fprintf(out, "OVX.INF %s (%zu bytes)\n", hostPath.c_str(), l.size);
  if (l.size >= mf::kHeaderSize) {
    std::fprintf(out, "header: signature \"%s\", version %u, board records at", l.signature.c_str(), l.version);
    for (unsigned slot : l.slots) slot == mf::kEmptySlot ? std::fprintf(out, " -") : std::fprintf(out, " %u", slot);
    std::fprintf(out, "\n");
  }
  for (const BoardRecord& r : l.boards) {
    std::fprintf(out, "slot %d at %zu: board 0x%04X \"%s\", monitor \"%s\", reserved %u, %u modes at %u\n", r.slot,
                 r.offset, r.boardId, r.boardName.c_str(), r.monitorName.c_str(), r.reserved, r.modeCount,
                 r.modeOffset);
    for (size_t i = 0; i < r.modes.size(); ++i) {
      const ModeRecord& m = r.modes[i];
      std::fprintf(out, "  mode %zu at %zu: %ux%u %s, %u Hz, %u kHz, depth mask %u, zoom mask %u\n   ", i, m.offset,
                   m.values[0], m.values[1], m.values[2] ? "interlaced" : "non-interlaced", m.values[3], m.values[4],
                   m.values[5], m.values[6]);
      for (int f = 0; f < kTimingFieldCount; ++f) std::fprintf(out, " %s=%u", kTimingFieldNames[f], m.timing[f]);
      std::fprintf(out, "\n");
    }
  }
  for (const std::string& problem : l.problems) std::fprintf(out, "problem: %s\n", problem.c_str());
}

void PrintJson(const std::string& hostPath, const Layout& l, FILE* out) {
  Json doc;
  doc["file"] = hostPath;
  doc["format"] = "OVX.INF";
  doc["size"] = l.size;
  if (l.size >= mf::kHeaderSize) {
    Json header;
    header["signature"] = l.signature;
    header["version"] = l.version;
    header["reserved16"] = l.reserved16;
    header["reserved32"] = l.reserved32;
    Json slots = Json::array();
    for (unsigned slot : l.slots) slots.push_back(slot == mf::kEmptySlot ? Json(nullptr) : Json(slot));
    header["boardRecordOffsets"] = slots;
    doc["header"] = header;
  }
  Json boards = Json::array();
  for (const BoardRecord& r : l.boards) {
    Json board;
    board["slot"] = r.slot;
    board["offset"] = r.offset;
    board["boardId"] = r.boardId;
    board["boardName"] = r.boardName;
    board["monitorName"] = r.monitorName;
    board["reserved"] = r.reserved;
    board["modeCount"] = r.modeCount;
    board["modeOffset"] = r.modeOffset;
    Json modes = Json::array();
    for (const ModeRecord& m : r.modes) {
      Json mode;
      mode["offset"] = m.offset;
      for (int i = 0; i < 7; ++i) mode[kModeFieldNames[i]] = m.values[i];
      mode["reserved"] = m.reserved;
      for (int f = 0; f < kTimingFieldCount; ++f) mode[kTimingFieldNames[f]] = m.timing[f];
      modes.push_back(mode);
    }
    board["modes"] = modes;
    boards.push_back(board);
  }
  doc["boards"] = boards;
  doc["problems"] = l.problems;
  std::fprintf(out, "%s\n", doc.dump(2, ' ', false, Json::error_handler_t::replace).c_str());
}

// ---- Writing through the page's code ----

// A station to work in: the booted one, or a temporary one.
class CommandStation {
 public:
  CommandStation() {
    if (host::IsStationBooted()) return;
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/ovx-mode-file-XXXXXX";
    if (!mkdtemp(pattern.data())) return;
    root_ = pattern;
    host::StationConfig config;
    config.root = root_;
    host::BootStation(config);
  }
  ~CommandStation() {
    if (root_.empty()) return;
    host::ShutdownStation();
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }
  CommandStation(const CommandStation&) = delete;
  CommandStation& operator=(const CommandStation&) = delete;
  bool ready() const { return host::IsStationBooted(); }

 private:
  std::string root_;
};

bool PutStationFile(const std::string& windowsPath, const std::string& bytes) {
  HANDLE file = CreateFileA(windowsPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = bytes.empty() || (WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                                    written == bytes.size());
  return CloseHandle(file) && ok;
}

bool GetStationFile(const std::string& windowsPath, std::string* bytes) {
  HANDLE file = CreateFileA(windowsPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bytes->resize(GetFileSize(file, nullptr));
  DWORD read = 0;
  const bool ok = bytes->empty() ||
                  (ReadFile(file, bytes->data(), static_cast<DWORD>(bytes->size()), &read, nullptr) && read == bytes->size());
  CloseHandle(file);
  return ok;
}

bool LooksLikeCache(const std::string& bytes) {
  const std::string head = bytes.substr(0, sizeof db::kCacheSignature - 1);
  return strcasecmp(head.c_str(), db::kCacheSignature) == 0;
}

// The tree of the database file, read the way the page reads it.
bool ReadDatabase(const std::string& databasePath, db::MonitorManufacturer** tree, FILE* err) {
  std::string bytes;
  if (!ReadHostFile(databasePath, &bytes)) {
    std::fprintf(err, "ovx mode-file: cannot read %s\n", databasePath.c_str());
    return false;
  }
  const bool cache = LooksLikeCache(bytes);
  const std::string stationPath = std::string(kScratchFolder) + (cache ? "\\OVX.BIN" : "\\OVX.MON");
  if (!PutStationFile(stationPath, bytes)) {
    std::fprintf(err, "ovx mode-file: cannot copy %s into the station\n", databasePath.c_str());
    return false;
  }
  db::ResetSeparatorMode();
  const int read = cache ? db::ReadMonitorCache(tree, stationPath.c_str()) : db::ReadMonitorText(stationPath.c_str(), tree);
  if (!read) {
    std::fprintf(err, "ovx mode-file: %s does not read as %s: %s\n", databasePath.c_str(), cache ? "OVX.BIN" : "OVX.MON",
                 db::LastMonitorDbProblem());
    return false;
  }
  return true;
}

// The entries already in `outPath` that the page would keep (those of active boards).
void ReadExistingEntries(const std::string& outPath, mf::BoardEntryList* list, FILE* err) {
  std::string bytes;
  if (!std::filesystem::exists(outPath)) return;
  if (!ReadHostFile(outPath, &bytes) || !PutStationFile(kStationModeFile, bytes)) {
    std::fprintf(err, "ovx mode-file: note: cannot read %s; writing it anew\n", outPath.c_str());
    return;
  }
  if (!mf::ReadModeFile(kStationModeFile, list))
    std::fprintf(err, "ovx mode-file: note: %s keeps no entry (%s); writing it anew\n", outPath.c_str(),
                 mf::LastModeFileProblem());
}

int WriteForModel(db::MonitorManufacturer* tree, const std::string& databasePath, const std::string& manufacturer,
                  const std::string& modelName, const std::string& outPath, FILE* err) {
  db::MonitorModel* model = nullptr;
  if (!db::FindModelByNames(tree, manufacturer.c_str(), modelName.c_str(), nullptr, &model)) {
    std::fprintf(err, "ovx mode-file: %s has no model \"%s\" of manufacturer \"%s\"\n", databasePath.c_str(),
                 modelName.c_str(), manufacturer.c_str());
    return 1;
  }
  if (!model->newest) {
    std::fprintf(err, "ovx mode-file: the model \"%s\" of \"%s\" has no timings\n", modelName.c_str(),
                 manufacturer.c_str());
    return 1;
  }
  // The page identifies the chosen model by its display handle; a freshly read tree shows none.
  constexpr DWORD kChosenModel = 1;
  model->displayHandle = kChosenModel;
  mf::BoardEntryList list;
  ReadExistingEntries(outPath, &list, err);
  if (!mf::WriteModelToModeFile(&list, kStationModeFile, tree, kChosenModel)) {
    std::fprintf(err, "ovx mode-file: writing OVX.INF failed: %s\n", mf::LastModeFileProblem());
    return 1;
  }
  std::string bytes;
  if (!GetStationFile(kStationModeFile, &bytes) || !WriteHostFile(outPath, bytes)) {
    std::fprintf(err, "ovx mode-file: cannot write %s\n", outPath.c_str());
    return 1;
  }
  mf::BoardIdentity board{};
  mf::CurrentBoard(&board);
  std::fprintf(err, "wrote %s: %zu board entries; board 0x%04X \"%s\" now has monitor \"%s\" with %zu modes\n",
               outPath.c_str(), list.size(), board.boardId, board.name, mf::FindBoardEntry(&list, board)->monitorName,
               mf::FindBoardEntry(&list, board)->modes.size());
  return 0;
}

}  // namespace

bool LooksLikeModeFile(const std::string& bytes) {
  const std::string head = bytes.substr(0, sizeof mf::kSignature);
  return head.size() == sizeof mf::kSignature && head.back() == '\0' &&
         strcasecmp(head.c_str(), mf::kSignature) == 0;
}

int PrintModeFile(const std::string& hostPath, bool json, FILE* out) {
  std::string bytes;
  if (!ReadHostFile(hostPath, &bytes)) {
    std::fprintf(stderr, "ovx: cannot read %s\n", hostPath.c_str());
    return 2;
  }
  const Layout layout = Decode(bytes);
  if (json)
    PrintJson(hostPath, layout, out);
  else
    PrintText(hostPath, layout, out);
  return layout.problems.empty() ? 0 : 1;
}

int WriteModeFileCommand(const std::string& databasePath, const std::string& manufacturer, const std::string& model,
                         const std::string& outPath, FILE* err) {
  CommandStation station;
  if (!station.ready()) {
    std::fprintf(err, "ovx mode-file: no station to work in\n");
    return 1;
  }
  CreateDirectoryA(kScratchFolder, nullptr);
  db::MonitorManufacturer* tree = nullptr;
  int result = 1;
  if (ReadDatabase(databasePath, &tree, err)) result = WriteForModel(tree, databasePath, manufacturer, model, outPath, err);
  db::FreeMonitorTree(&tree);
  DeleteFileA(kStationModeFile);
  return result;
}

}  // namespace mode_file_report
