// Reading and writing OVX.INF. Records are encoded and decoded field by field, little-endian.
#include "mode_file.h"

#include <stdarg.h>
#include <string.h>

#include <new>

namespace mode_file {
namespace {

char g_problem[512];

void ClearProblem() { g_problem[0] = 0; }

void SetProblem(const char* format, ...) {
  va_list args;
  va_start(args, format);
  wvsprintfA(g_problem, format, args);
  va_end(args);
}

// ---- Little-endian fields ----

WORD GetWord16(const BYTE* bytes, DWORD at) { return static_cast<WORD>(bytes[at] | bytes[at + 1] << 8); }

DWORD GetWord32(const BYTE* bytes, DWORD at) {
  return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | static_cast<DWORD>(bytes[at + 3]) << 24;
}

void PutWord16(BYTE* bytes, DWORD at, DWORD value) {
  bytes[at] = static_cast<BYTE>(value);
  bytes[at + 1] = static_cast<BYTE>(value >> 8);
}

void PutWord32(BYTE* bytes, DWORD at, DWORD value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<BYTE>(value >> (8 * i));
}

// A text field: the bytes up to the first NUL, cut so that the copy is always terminated.
void GetText(const BYTE* bytes, DWORD at, DWORD size, char* text) {
  DWORD length = 0;
  while (length < size - 1 && bytes[at + length]) ++length;
  memcpy(text, bytes + at, length);
  text[length] = 0;
}

void PutText(BYTE* bytes, DWORD at, DWORD size, const char* text) {
  const DWORD length = static_cast<DWORD>(strnlen(text, size - 1));
  memcpy(bytes + at, text, length);  // the rest of the field stays zero
}

bool SameTextIgnoringCase(const char* a, const char* b) {
  for (;; ++a, ++b) {
    char x = *a, y = *b;
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
    if (x != y) return false;
    if (!x) return true;
  }
}

// ---- Files ----

class File {
 public:
  explicit File(HANDLE handle) : handle_(handle) {}
  ~File() { Close(); }
  File(const File&) = delete;
  File& operator=(const File&) = delete;
  bool ok() const { return handle_ != INVALID_HANDLE_VALUE; }
  bool Close() {
    if (handle_ == INVALID_HANDLE_VALUE) return true;
    const BOOL closed = CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
    return closed != FALSE;
  }
  bool Seek(DWORD offset) {
    SetLastError(ERROR_SUCCESS);
    return SetFilePointer(handle_, static_cast<LONG>(offset), nullptr, FILE_BEGIN) == offset;
  }
  bool ReadExactly(void* buffer, DWORD size) {
    DWORD done = 0;
    return ReadFile(handle_, buffer, size, &done, nullptr) && done == size;
  }
  bool WriteAll(const void* buffer, DWORD size) {
    DWORD done = 0;
    return WriteFile(handle_, buffer, size, &done, nullptr) && done == size;
  }

 private:
  HANDLE handle_;
};

// ---- Reading ----

bool ReadHeader(File& file, WORD (&slots)[kMaxBoardEntries]) {
  BYTE header[kHeaderSize];
  if (!file.ReadExactly(header, kHeaderSize)) {
    SetProblem("the header is shorter than %d bytes", kHeaderSize);
    return false;
  }
  char signature[kSignatureSize];
  GetText(header, 0, kSignatureSize, signature);
  if (!SameTextIgnoringCase(signature, kSignature)) {
    SetProblem("the signature is not \"%s\"", kSignature);
    return false;
  }
  const WORD version = GetWord16(header, 32);
  if (version != kVersion) {
    SetProblem("format version %d, not %d", version, kVersion);
    return false;
  }
  for (int k = 0; k < kMaxBoardEntries; ++k) slots[k] = GetWord16(header, kSlotOffsetsAt + 2 * k);
  return true;
}

ModeEntry DecodeModeRecord(const BYTE* r) {
  ModeEntry mode{};
  mode.width = GetWord16(r, 0);
  mode.height = GetWord16(r, 2);
  mode.interlaced = GetWord16(r, 4) ? 1 : 0;
  mode.refresh = GetWord16(r, 6);
  mode.lineRate = GetWord16(r, 8);
  mode.depthMask = GetWord16(r, 10);
  mode.zoomMask = GetWord16(r, 12);
  mode.timing.PIXEL_CLK = static_cast<LONG>(GetWord32(r, 16));
  for (int i = 1; i < kTimingFieldCount; ++i) mode.timing.*kTimingFields[i] = GetWord16(r, 20 + 2 * (i - 1));
  return mode;
}

bool ReadModes(File& file, DWORD offset, DWORD count, BoardEntry* entry, int slot) {
  if (count == 0) return true;
  std::vector<BYTE> records(count * kModeRecordSize);
  if (!file.Seek(offset) || !file.ReadExactly(records.data(), static_cast<DWORD>(records.size()))) {
    SetProblem("slot %d: %d mode records at offset %d run past the end of the file", slot, count, offset);
    return false;
  }
  entry->modes.reserve(count);
  for (DWORD i = 0; i < count; ++i) entry->modes.push_back(DecodeModeRecord(records.data() + i * kModeRecordSize));
  return true;
}

bool IsActiveBoard(const std::vector<BoardIdentity>& boards, WORD boardId, const char* name) {
  for (const BoardIdentity& board : boards)
    if (board.boardId == boardId && strcmp(board.name, name) == 0) return true;
  return false;
}

// Reads the record in `slot` and, when it belongs to an active board, its modes; appends it to the list.
bool ReadSlot(File& file, int slot, DWORD offset, const std::vector<BoardIdentity>& boards, BoardEntryList* list) {
  BYTE record[kBoardRecordSize];
  if (!file.Seek(offset) || !file.ReadExactly(record, kBoardRecordSize)) {
    SetProblem("slot %d: the board record at offset %d runs past the end of the file", slot, offset);
    return false;
  }
  BoardEntry entry{};
  entry.boardId = GetWord16(record, 0);
  // A name that fills its whole field is cut here, and so can match no board (the driver's names are shorter).
  char name[kBoardNameSize + 1];
  memcpy(name, record + 4, kBoardNameSize);
  name[kBoardNameSize] = 0;
  if (!IsActiveBoard(boards, entry.boardId, name)) return true;
  GetText(record, 4, kBoardNameSize, entry.boardName);
  GetText(record, 36, kMonitorNameSize, entry.monitorName);
  entry.reserved = GetWord32(record, 100);
  if (!ReadModes(file, GetWord16(record, kModeOffsetAt), GetWord16(record, kModeCountAt), &entry, slot)) return false;
  list->push_back(std::move(entry));
  return true;
}

int ReadOpenFile(File& file, BoardEntryList* list) {
  WORD slots[kMaxBoardEntries];
  if (!ReadHeader(file, slots)) return 0;
  const std::vector<BoardIdentity> boards = ActiveBoards();
  for (int k = 0; k < kMaxBoardEntries; ++k) {
    if (slots[k] == kEmptySlot) continue;
    if (!ReadSlot(file, k, slots[k], boards, list)) {
      list->clear();
      return 0;
    }
  }
  if (list->empty()) {
    SetProblem("no entry for an active board");
    return 0;
  }
  return 1;
}

// ---- Writing ----

void EncodeHeader(BYTE* header) {
  memset(header, 0, kHeaderSize);
  PutText(header, 0, kSignatureSize, kSignature);
  PutWord16(header, 32, kVersion);
  for (int k = 0; k < kMaxBoardEntries; ++k) PutWord16(header, kSlotOffsetsAt + 2 * k, kEmptySlot);
}

void EncodeBoardRecord(const BoardEntry& entry, BYTE* record) {
  memset(record, 0, kBoardRecordSize);
  PutWord16(record, 0, entry.boardId);
  PutText(record, 4, kBoardNameSize, entry.boardName);
  PutText(record, 36, kMonitorNameSize, entry.monitorName);
  PutWord32(record, 100, entry.reserved);
  PutWord16(record, kModeCountAt, static_cast<DWORD>(entry.modes.size()));
  PutWord16(record, kModeOffsetAt, kEmptySlot);
}

void EncodeModeRecord(const ModeEntry& mode, BYTE* r) {
  memset(r, 0, kModeRecordSize);
  PutWord16(r, 0, mode.width);
  PutWord16(r, 2, mode.height);
  PutWord16(r, 4, mode.interlaced ? 1 : 0);
  PutWord16(r, 6, mode.refresh);
  PutWord16(r, 8, mode.lineRate);
  PutWord16(r, 10, mode.depthMask);
  PutWord16(r, 12, mode.zoomMask);
  PutWord32(r, 16, static_cast<DWORD>(mode.timing.PIXEL_CLK));
  for (int i = 1; i < kTimingFieldCount; ++i)
    PutWord16(r, 20 + 2 * (i - 1), static_cast<DWORD>(mode.timing.*kTimingFields[i]));
}

bool FitsWord(DWORD value) { return value <= 0xFFFF; }

// Every value must fit its field: a record that wrapped a value would hand the driver a different timing.
bool ModeFitsRecord(const ModeEntry& mode) {
  const DWORD words[] = {mode.width, mode.height, mode.refresh, mode.lineRate, mode.depthMask, mode.zoomMask};
  for (DWORD word : words)
    if (!FitsWord(word)) return false;
  for (int i = 1; i < kTimingFieldCount; ++i) {
    const LONG value = mode.timing.*kTimingFields[i];
    if (value < 0 || !FitsWord(static_cast<DWORD>(value))) return false;
  }
  return true;
}

// Where each entry's record and mode array go. Every offset must fit the file's 16-bit fields (and 0xFFFF marks
// an empty slot), so a list that cannot be stored fails before any file is touched.
struct Layout {
  DWORD recordOffset[kMaxBoardEntries];
  DWORD modeOffset[kMaxBoardEntries];
};

bool PlanLayout(const BoardEntryList& list, Layout* layout) {
  if (list.size() > static_cast<size_t>(kMaxBoardEntries)) {
    SetProblem("%d board entries; the file holds at most %d", static_cast<int>(list.size()), kMaxBoardEntries);
    return false;
  }
  const DWORD n = static_cast<DWORD>(list.size());
  DWORD next = kHeaderSize + kBoardRecordSize * n;
  for (DWORD k = 0; k < n; ++k) {
    const size_t count = list[k].modes.size();
    if (count > 0xFFFF || next >= kEmptySlot) {
      SetProblem("entry %d: the mode records would lie beyond the 64 KB the file's offsets reach", k);
      return false;
    }
    for (const ModeEntry& mode : list[k].modes) {
      if (!ModeFitsRecord(mode)) {
        SetProblem("entry %d: a mode has a value that does not fit its field", k);
        return false;
      }
    }
    layout->recordOffset[k] = kHeaderSize + kBoardRecordSize * k;
    layout->modeOffset[k] = next;
    next += static_cast<DWORD>(count) * kModeRecordSize;
  }
  return true;
}

bool PatchWord(File& file, DWORD at, DWORD value) {
  BYTE bytes[2];
  PutWord16(bytes, 0, value);
  return file.Seek(at) && file.WriteAll(bytes, sizeof bytes);
}

// Header and records with their offsets still 0xFFFF, then the mode arrays, then the offsets patched in.
bool WriteList(File& file, const BoardEntryList& list, const Layout& layout) {
  BYTE header[kHeaderSize];
  EncodeHeader(header);
  if (!file.WriteAll(header, kHeaderSize)) return false;
  for (const BoardEntry& entry : list) {
    BYTE record[kBoardRecordSize];
    EncodeBoardRecord(entry, record);
    if (!file.WriteAll(record, kBoardRecordSize)) return false;
  }
  for (const BoardEntry& entry : list) {
    if (entry.modes.empty()) continue;
    std::vector<BYTE> records(entry.modes.size() * kModeRecordSize);
    for (size_t i = 0; i < entry.modes.size(); ++i) EncodeModeRecord(entry.modes[i], records.data() + i * kModeRecordSize);
    if (!file.WriteAll(records.data(), static_cast<DWORD>(records.size()))) return false;
  }
  const DWORD n = static_cast<DWORD>(list.size());
  for (DWORD k = 0; k < n; ++k)
    if (!PatchWord(file, kSlotOffsetsAt + 2 * k, layout.recordOffset[k])) return false;
  for (DWORD k = 0; k < n; ++k)
    if (!PatchWord(file, layout.recordOffset[k] + kModeOffsetAt, layout.modeOffset[k])) return false;
  return true;
}

bool FormSiblingPath(const char* path, const char* suffix, char (&out)[MAX_PATH]) {
  const size_t length = strlen(path), extra = strlen(suffix);
  if (length + extra >= MAX_PATH) return false;
  memcpy(out, path, length);
  memcpy(out + length, suffix, extra + 1);
  return true;
}

bool FileExists(const char* path) { return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }

// Puts the complete new file in place of the old one by renames only, so that at every moment the old content
// exists under the path or under the set-aside name, and is moved back when the new file cannot take its place.
bool ReplaceWithNewFile(const char* path, const char* newPath, const char* oldPath) {
  DeleteFileA(oldPath);
  const bool hadFile = FileExists(path);
  if (hadFile && !MoveFileA(path, oldPath)) {
    SetProblem("%s could not be set aside (error %d)", path, GetLastError());
    return false;
  }
  if (!MoveFileA(newPath, path)) {
    SetProblem("the new file could not take the place of %s (error %d)", path, GetLastError());
    if (hadFile) MoveFileA(oldPath, path);
    return false;
  }
  if (hadFile) DeleteFileA(oldPath);
  return true;
}

int StoreList(const char* path, const BoardEntryList& list) {
  Layout layout{};
  if (!PlanLayout(list, &layout)) return 0;
  char newPath[MAX_PATH], oldPath[MAX_PATH];
  if (!FormSiblingPath(path, ".NEW", newPath) || !FormSiblingPath(path, ".OLD", oldPath)) {
    SetProblem("the path %s is too long", path);
    return 0;
  }
  File file(CreateFileA(newPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.ok()) {
    SetProblem("%s could not be created (error %d)", newPath, GetLastError());
    return 0;
  }
  const bool written = WriteList(file, list, layout);
  const DWORD error = GetLastError();
  if (!file.Close() || !written) {
    SetProblem("writing %s failed (error %d)", newPath, error);
    DeleteFileA(newPath);
    return 0;
  }
  if (!ReplaceWithNewFile(path, newPath, oldPath)) {
    DeleteFileA(newPath);
    return 0;
  }
  return 1;
}

// "manufacturer.model", cut to the field's 63 characters.
void JoinMonitorName(const char* manufacturer, const char* model, char (&name)[kMonitorNameSize]) {
  size_t at = 0;
  auto append = [&](const char* text) {
    for (; *text && at < kMonitorNameSize - 1; ++text) name[at++] = *text;
  };
  append(manufacturer);
  append(".");
  append(model);
  name[at] = 0;
}

// The current board's entry filled from the model, or 0 when the model is unknown, has no timing, or has one the
// file cannot carry.
int FillEntry(const BoardIdentity& board, monitor_db::MonitorManufacturer* manufacturers, DWORD modelId,
              BoardEntry* entry) {
  monitor_db::MonitorModel* model = monitor_db::FindModelByHandle(modelId, manufacturers);
  monitor_db::MonitorManufacturer* manufacturer = model ? monitor_db::FindManufacturerOf(model, manufacturers) : nullptr;
  if (!model || !manufacturer) {
    SetProblem("no model has the identifier %d", modelId);
    return 0;
  }
  if (!model->newest) {
    SetProblem("the model %s.%s has no timing", manufacturer->name, model->name);
    return 0;
  }
  entry->boardId = board.boardId;
  memcpy(entry->boardName, board.name, kBoardNameSize);
  JoinMonitorName(manufacturer->name, model->name, entry->monitorName);
  entry->reserved = 0;
  entry->modes.clear();
  for (const monitor_db::MonitorTiming* node = model->newest; node; node = node->older) {
    ModeEntry mode{};
    if (!BuildModeEntry(*node, &mode)) {
      SetProblem("the model %s.%s has a timing with a value that does not fit the file", manufacturer->name,
                 model->name);
      return 0;
    }
    entry->modes.push_back(mode);
  }
  return 1;
}

int WriteModel(BoardEntryList* list, const char* path, monitor_db::MonitorManufacturer* manufacturers,
               DWORD modelId) {
  if (!list || !path || !*path || !manufacturers || modelId == 0) {
    SetProblem("no path, no monitor tree or no model");
    return 0;
  }
  BoardIdentity board{};
  if (!CurrentBoard(&board)) {
    SetProblem("the driver reports no active board");
    return 0;
  }
  BoardEntry filled{};
  if (!FillEntry(board, manufacturers, modelId, &filled)) return 0;
  // The list changes only once the file holds it.
  BoardEntryList updated = *list;
  if (BoardEntry* existing = FindBoardEntry(&updated, board))
    *existing = std::move(filled);
  else
    updated.push_back(std::move(filled));
  if (!StoreList(path, updated)) return 0;
  list->swap(updated);
  return 1;
}

}  // namespace

const char* LastModeFileProblem() { return g_problem; }

int ReadModeFile(const char* path, BoardEntryList* list) {
  ClearProblem();
  if (!list) return 0;
  list->clear();
  if (!path || !*path) {
    SetProblem("no path");
    return 0;
  }
  try {
    File file(CreateFileA(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.ok()) {
      SetProblem("%s could not be opened (error %d)", path, GetLastError());
      return 0;
    }
    return ReadOpenFile(file, list);
  } catch (const std::bad_alloc&) {
    list->clear();
    SetProblem("out of memory");
    return 0;
  }
}

int WriteModelToModeFile(BoardEntryList* list, const char* path, monitor_db::MonitorManufacturer* manufacturers,
                         DWORD modelId) {
  ClearProblem();
  try {
    return WriteModel(list, path, manufacturers, modelId);
  } catch (const std::bad_alloc&) {
    SetProblem("out of memory");
    return 0;
  }
}

void FreeBoardEntries(BoardEntryList* list) {
  if (!list) return;
  BoardEntryList().swap(*list);
}

}  // namespace mode_file
