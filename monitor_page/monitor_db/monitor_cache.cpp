#include "monitor_cache.h"

#include <string.h>

#include "db_support.h"
#include "monitor_text.h"

namespace monitor_db {

using detail::ClearProblem;
using detail::HeapArray;
using detail::SetProblem;

namespace {

// Little-endian fields out of a byte buffer; running past its end is a short read.
class RecordReader {
 public:
  RecordReader(const BYTE* data, DWORD size) : data_(data), size_(size) {}
  bool Number(DWORD* value) {
    if (size_ - at_ < 4) return false;
    const BYTE* p = data_ + at_;
    *value = static_cast<DWORD>(p[0]) | static_cast<DWORD>(p[1]) << 8 | static_cast<DWORD>(p[2]) << 16 |
             static_cast<DWORD>(p[3]) << 24;
    at_ += 4;
    return true;
  }
  // A fixed text field; its last byte is forced to NUL whatever the file holds.
  bool Text(char* field, DWORD size) {
    if (size_ - at_ < size) return false;
    memcpy(field, data_ + at_, size);
    field[size - 1] = 0;
    at_ += size;
    return true;
  }
  DWORD offset() const { return at_; }

 private:
  const BYTE* data_;
  DWORD size_;
  DWORD at_ = 0;
};

class RecordWriter {
 public:
  RecordWriter(BYTE* data, DWORD size) : data_(data), size_(size) {}
  void Number(DWORD value) {
    BYTE* p = data_ + at_;
    p[0] = static_cast<BYTE>(value);
    p[1] = static_cast<BYTE>(value >> 8);
    p[2] = static_cast<BYTE>(value >> 16);
    p[3] = static_cast<BYTE>(value >> 24);
    at_ += 4;
  }
  void Text(const char* text, DWORD size) {
    size_t length = strnlen(text, size - 1);
    memcpy(data_ + at_, text, length);
    memset(data_ + at_ + length, 0, size - length);
    at_ += size;
  }
  DWORD offset() const { return at_; }
  DWORD size() const { return size_; }

 private:
  BYTE* data_;
  DWORD size_;
  DWORD at_ = 0;
};

bool IsUsableRecord(const MonitorTiming& t) {
  const bool depth = t.depth == 0 || t.depth == 8 || t.depth == 16 || t.depth == 24 || t.depth == 32;
  const bool zoom = t.zoom == 0 || t.zoom == 1 || t.zoom == 2 || t.zoom == 4;
  return t.resolution >= 0 && t.resolution < kResolutionCount && depth && zoom && t.interlaced <= 1;
}

bool ReadTimingRecord(RecordReader& in, MonitorTiming* t) {
  DWORD values[4 + kTimingFieldCount];
  for (DWORD& v : values)
    if (!in.Number(&v)) return false;
  t->resolution = static_cast<LONG>(values[0]);
  t->depth = values[1];
  t->zoom = values[2];
  t->interlaced = values[3];
  for (int i = 0; i < kTimingFieldCount; ++i) t->block.*kTimingFields[i] = static_cast<LONG>(values[4 + i]);
  return true;
}

void WriteTimingRecord(RecordWriter& out, const MonitorTiming& t) {
  out.Number(static_cast<DWORD>(t.resolution));
  out.Number(t.depth);
  out.Number(t.zoom);
  out.Number(t.interlaced);
  for (int i = 0; i < kTimingFieldCount; ++i) out.Number(static_cast<DWORD>(t.block.*kTimingFields[i]));
}

bool ReadModels(RecordReader& in, MonitorManufacturer* manufacturer, DWORD modelCount) {
  MonitorModel* lastModel = nullptr;
  for (DWORD m = 0; m < modelCount; ++m) {
    char name[kModelNameSize];
    DWORD timingCount = 0;
    if (!in.Text(name, sizeof name) || !in.Number(&timingCount)) {
      SetProblem("OVX.BIN ends inside model %lu of manufacturer \"%s\" (offset %lu)", m + 1, manufacturer->name,
                 in.offset());
      return false;
    }
    MonitorModel* model = NewModel(name);
    if (!model) {
      SetProblem("out of memory reading OVX.BIN");
      return false;
    }
    model->prev = lastModel;
    if (lastModel)
      lastModel->next = model;
    else
      manufacturer->models = model;
    lastModel = model;
    MonitorTiming* oldest = nullptr;
    for (DWORD i = 0; i < timingCount; ++i) {
      MonitorTiming* t = NewTiming();
      if (!t) {
        SetProblem("out of memory reading OVX.BIN");
        return false;
      }
      t->newer = oldest;  // linked first, so a failure below frees it with the tree
      if (oldest)
        oldest->older = t;
      else
        model->newest = t;
      oldest = t;
      const DWORD at = in.offset();
      if (!ReadTimingRecord(in, t)) {
        SetProblem("OVX.BIN ends inside timing record %lu of model \"%s\" (offset %lu)", i + 1, model->name, at);
        return false;
      }
      if (!IsUsableRecord(*t)) {
        SetProblem(
            "timing record %lu of model \"%s\" (offset %lu): resolution %ld, depth %lu, zoom %lu, interlaced %lu "
            "out of range",
            i + 1, model->name, at, t->resolution, t->depth, t->zoom, t->interlaced);
        return false;
      }
    }
  }
  return true;
}

bool ReadTree(RecordReader& in, MonitorManufacturer** list) {
  char signature[kCacheSignatureSize];
  DWORD version = 0, manufacturerCount = 0;
  if (!in.Text(signature, sizeof signature) || !in.Number(&version) || !in.Number(&manufacturerCount)) {
    SetProblem("OVX.BIN is shorter than its header");
    return false;
  }
  if (memcmp(signature, kCacheSignature, sizeof kCacheSignature) != 0) {
    SetProblem("OVX.BIN does not begin with the signature \"%s\"", kCacheSignature);
    return false;
  }
  if (version != kCacheVersion) {
    SetProblem("OVX.BIN has version 0x%lx, not 0x10000", version);
    return false;
  }
  MonitorManufacturer* last = nullptr;
  for (DWORD i = 0; i < manufacturerCount; ++i) {
    char name[kManufacturerNameSize];
    DWORD modelCount = 0;
    if (!in.Text(name, sizeof name) || !in.Number(&modelCount)) {
      SetProblem("OVX.BIN ends inside manufacturer %lu (offset %lu)", i + 1, in.offset());
      return false;
    }
    MonitorManufacturer* manufacturer = NewManufacturer(name);
    if (!manufacturer) {
      SetProblem("out of memory reading OVX.BIN");
      return false;
    }
    manufacturer->prev = last;
    if (last)
      last->next = manufacturer;
    else
      *list = manufacturer;
    last = manufacturer;
    if (!ReadModels(in, manufacturer, modelCount)) return false;
  }
  return true;
}

DWORD CacheSize(const MonitorManufacturer* list) {
  unsigned long long size = kCacheHeaderSize + 4;  // the number of manufacturers follows the header
  for (const MonitorManufacturer* m = list; m; m = m->next) {
    size += kManufacturerNameSize + 4;
    for (const MonitorModel* model = m->models; model; model = model->next)
      size += kModelNameSize + 4 + static_cast<unsigned long long>(CountTimings(model)) * kCacheTimingRecordSize;
  }
  return size > 0x7FFFFFFF ? 0 : static_cast<DWORD>(size);
}

void WriteTree(RecordWriter& out, const MonitorManufacturer* list) {
  out.Text(kCacheSignature, kCacheSignatureSize);
  out.Number(kCacheVersion);
  out.Number(static_cast<DWORD>(CountManufacturers(list)));
  for (const MonitorManufacturer* m = list; m; m = m->next) {
    out.Text(m->name, kManufacturerNameSize);
    out.Number(static_cast<DWORD>(CountModels(m)));
    for (const MonitorModel* model = m->models; model; model = model->next) {
      out.Text(model->name, kModelNameSize);
      out.Number(static_cast<DWORD>(CountTimings(model)));
      for (const MonitorTiming* t = model->newest; t; t = t->older) WriteTimingRecord(out, *t);
    }
  }
}

bool LastWriteTime(const char* path, FILETIME* time) {
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const bool ok = GetFileTime(file, nullptr, nullptr, time) != FALSE;
  CloseHandle(file);
  return ok;
}

}  // namespace

int ReadMonitorCache(MonitorManufacturer** list, const char* path) {
  ClearProblem();
  if (!list) return 0;
  FreeMonitorTree(list);
  if (!path) return 0;
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN,
                            nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    SetProblem("\"%s\" cannot be opened", path);
    return 0;
  }
  const DWORD size = GetFileSize(file, nullptr);
  HeapArray<BYTE> bytes(size == INVALID_FILE_SIZE ? 0 : size);
  DWORD read = 0;
  const bool loaded = size != INVALID_FILE_SIZE && bytes.data() && ReadFile(file, bytes.data(), size, &read, nullptr) &&
                      read == size;
  CloseHandle(file);
  if (!loaded) {
    SetProblem("\"%s\" cannot be read", path);
    return 0;
  }
  RecordReader in(bytes.data(), size);
  if (!ReadTree(in, list)) {
    FreeMonitorTree(list);
    return 0;
  }
  return 1;
}

int WriteMonitorCache(const MonitorManufacturer* list, const char* path) {
  ClearProblem();
  if (!path) return 0;
  DeleteFileA(path);
  const DWORD size = CacheSize(list);
  HeapArray<BYTE> bytes(size);
  if (size == 0 || !bytes.data()) {
    SetProblem("out of memory writing \"%s\"", path);
    return 0;
  }
  RecordWriter out(bytes.data(), size);
  WriteTree(out, list);
  HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    SetProblem("\"%s\" cannot be created", path);
    return 0;
  }
  DWORD written = 0;
  const bool ok = WriteFile(file, bytes.data(), size, &written, nullptr) && written == size;
  const bool closed = CloseHandle(file) != FALSE;
  if (!ok || !closed) {
    DeleteFileA(path);
    SetProblem("\"%s\" could not be written", path);
    return 0;
  }
  return 1;
}

int FormMonitorFilePath(const char* folder, const char* fileName, char* out, DWORD capacity) {
  if (!folder || !fileName || !out || capacity == 0) return 0;
  const size_t length = strlen(folder) + 1 + strlen(fileName);
  if (length + 1 > capacity) return 0;
  wsprintfA(out, "%s\\%s", folder, fileName);
  return 1;
}

int UseMonitorCache(const char* folder) {
  if (!folder || strlen(folder) >= 250) return 0;
  char textPath[MAX_PATH], cachePath[MAX_PATH];
  if (!FormMonitorFilePath(folder, kMonitorTextFile, textPath, sizeof textPath) ||
      !FormMonitorFilePath(folder, kMonitorCacheFile, cachePath, sizeof cachePath))
    return 0;
  FILETIME cacheTime, textTime;
  if (!LastWriteTime(cachePath, &cacheTime)) return 0;
  if (!LastWriteTime(textPath, &textTime)) return 1;
  // High word first, then low word; equal counts as not older.
  if (cacheTime.dwHighDateTime != textTime.dwHighDateTime) return cacheTime.dwHighDateTime > textTime.dwHighDateTime;
  return cacheTime.dwLowDateTime >= textTime.dwLowDateTime;
}

}  // namespace monitor_db
