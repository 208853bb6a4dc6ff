#include "monitor_text.h"

#include <string.h>

#include <initializer_list>

#include "db_support.h"
#include "mode_keys.h"
#include "section_scan.h"
#include "section_text.h"

namespace monitor_db {

using detail::ClearProblem;
using detail::HeapArray;
using detail::SetProblem;
using detail::TextBuffer;

namespace {

SeparatorMode g_mode = SeparatorMode::kUndecided;

// The twelve keys of a timing section, in the order the writer puts them,
// with the exact text the writer puts before each value.
struct TimingKey {
  const char* name;
  const char* writtenPrefix;
  LONG TimingBlock::*field;
};
constexpr TimingKey kTimingKeys[] = {
    {"PIXEL_CLK", "PIXEL_CLK   =   ", &TimingBlock::PIXEL_CLK},
    {"H_DISP", "H_DISP   =   ", &TimingBlock::H_DISP},
    {"H_FPORCH", "H_FPORCH   =   ", &TimingBlock::H_FPORCH},
    {"H_SYNC", "H_SYNC   =   ", &TimingBlock::H_SYNC},
    {"H_BPORCH", "H_BPORCH   =   ", &TimingBlock::H_BPORCH},
    {"H_SYNC_POL", "H_SYNC_POL   =   ", &TimingBlock::H_SYNC_POL},
    {"V_DISP", "V_DISP   =   ", &TimingBlock::V_DISP},
    {"V_FPORCH", "V_FPORCH   =   ", &TimingBlock::V_FPORCH},
    {"V_SYNC", "V_SYNC   =   ", &TimingBlock::V_SYNC},
    {"V_BPORCH", "V_BPORCH   =   ", &TimingBlock::V_BPORCH},
    {"V_SYNC_POL", "V_SYNC_POL   =   ", &TimingBlock::V_SYNC_POL},
    {"INTERLACE_ENABLE", "INTERLACE_ENABLE  =   ", &TimingBlock::INTERLACE_ENABLE},
};

void NoteNameForMode(const char* name) {
  if (g_mode != SeparatorMode::kUndecided || name[0] == '*') return;
  if (strchr(name, '.'))
    g_mode = SeparatorMode::kDot;
  else if (strchr(name, ' '))
    g_mode = SeparatorMode::kSpace;
}

enum class NameKind { kTiming, kModel, kNoSeparator, kWrongSeparator, kTooLong };

// Splits a section name into manufacturer and model at its first separator.
NameKind SplitSectionName(const char* name, char* manufacturer, char* model) {
  if (name[0] == '*') return NameKind::kTiming;
  const char separator = SeparatorChar();
  if (separator == ' ' && strchr(name, '.')) return NameKind::kWrongSeparator;
  const char* at = strchr(name, separator);
  if (!at) return NameKind::kNoSeparator;
  const size_t manufacturerLength = static_cast<size_t>(at - name);
  const size_t modelLength = strlen(at + 1);
  // Truncating would merge it into another model: such a section is left out.
  if (manufacturerLength > kManufacturerNameSize - 1 || modelLength > kModelNameSize - 1) return NameKind::kTooLong;
  memcpy(manufacturer, name, manufacturerLength);
  manufacturer[manufacturerLength] = 0;
  memcpy(model, at + 1, modelLength + 1);
  return NameKind::kModel;
}

class Notices {
 public:
  explicit Notices(const MonitorReadProgress* progress) : progress_(progress) {}
  bool wanted() const { return progress_ && progress_->notice; }
  void Say(const char* format, const char* a, const char* b = "") {
    if (!wanted()) return;
    char text[1024];
    wsprintfA(text, format, a, b);
    progress_->notice(progress_->context, text);
  }

 private:
  const MonitorReadProgress* progress_;
};

void ExplainIgnored(Notices& notices, const char* name, NameKind kind) {
  const bool dot = SeparatorChar() == '.';
  switch (kind) {
    case NameKind::kNoSeparator:
      notices.Say(dot ? "section \"%s\" ignored: no full stop (dot mode)" : "section \"%s\" ignored: no space (space mode)",
                  name);
      break;
    case NameKind::kWrongSeparator:
      notices.Say("section \"%s\" ignored: a full stop in space mode", name);
      break;
    case NameKind::kTooLong:
      notices.Say("section \"%s\" ignored: manufacturer over 79 or model over 127 characters", name);
      break;
    default:
      break;
  }
}

// Byte order, exact: "ACME" sorts before "Acme".
int CompareBytes(const char* a, const char* b) { return strcmp(a, b); }

MonitorManufacturer* FindManufacturer(MonitorManufacturer* list, const char* name) {
  for (MonitorManufacturer* m = list; m; m = m->next)
    if (!strcmp(m->name, name)) return m;
  return nullptr;
}

bool InsertManufacturerSorted(MonitorManufacturer** list, const char* name) {
  MonitorManufacturer* before = nullptr;
  MonitorManufacturer* after = *list;
  for (; after; before = after, after = after->next) {
    const int order = CompareBytes(after->name, name);
    if (order == 0) return true;
    if (order > 0) break;
  }
  MonitorManufacturer* added = NewManufacturer(name);
  if (!added) return false;
  added->prev = before;
  added->next = after;
  if (before)
    before->next = added;
  else
    *list = added;
  if (after) after->prev = added;
  return true;
}

bool HasModel(const MonitorManufacturer* manufacturer, const char* name) {
  for (const MonitorModel* m = manufacturer->models; m; m = m->next)
    if (!strcmp(m->name, name)) return true;
  return false;
}

// The timing section a mode value refers to: from its `*` to the next space
// or the end of the value.
bool TimingSectionOf(const char* value, char* name, size_t capacity) {
  const char* star = strchr(value, '*');
  if (!star) return false;
  const char* end = strchr(star, ' ');
  const size_t length = end ? static_cast<size_t>(end - star) : strlen(star);
  if (length + 1 > capacity) return false;
  memcpy(name, star, length);
  name[length] = 0;
  return true;
}

// `key` and `section` name the mode that refers to the timing section, for the problem text.
bool ReadTimingSection(const char* text, const char* name, TimingBlock* block, const char* key, const char* section) {
  constexpr int kCount = sizeof kTimingKeys / sizeof kTimingKeys[0];
  static const char* const* const kNames = [] {
    static const char* names[kCount];
    for (int i = 0; i < kCount; ++i) names[i] = kTimingKeys[i].name;
    return names;
  }();
  DWORD numbers[kCount];
  int failed = -1;
  if (!GetSectionNumbers(text, name, kNames, kCount, numbers, &failed)) {
    if (failed < 0)
      SetProblem("timing section \"%s\" (key \"%s\" of section \"%s\") is missing", name, key, section);
    else
      SetProblem("timing section \"%s\" (key \"%s\" of section \"%s\") lacks a numeric %s", name, key, section,
                 kTimingKeys[failed].name);
    return false;
  }
  memset(block, 0, sizeof *block);
  for (int i = 0; i < kCount; ++i) {
    if (numbers[i] > 0x7FFFFFFFu) {
      // A signed field would turn it negative, which the writer could not carry back.
      SetProblem("timing section \"%s\" (key \"%s\" of section \"%s\"): %s is out of range", name, key, section,
                 kTimingKeys[i].name);
      return false;
    }
    block->*kTimingKeys[i].field = static_cast<LONG>(numbers[i]);
  }
  if (block->INTERLACE_ENABLE) block->INTERLACE_ENABLE = 1;
  return true;
}

bool MakeTiming(const char* text, const char* section, const char* key, const ModeGroupPlan& plan,
                const PlannedTiming& planned, MonitorModel* model, Notices& notices) {
  char value[kModeValueCapacity];
  if (!GetSectionValue(text, section, key, value, sizeof value)) {
    SetProblem("section \"%s\": the value of key \"%s\" cannot be read (missing, or over 99 characters)", section, key);
    return false;
  }
  if (!strstr(value, "I,")) {
    notices.Say("section \"%s\": key \"%s\" defines no timing (neither I, nor NI,)", section, key);
    return true;
  }
  char timingName[kModeValueCapacity];
  if (!TimingSectionOf(value, timingName, sizeof timingName)) {
    SetProblem("section \"%s\": the value of key \"%s\" names no timing section", section, key);
    return false;
  }
  MonitorTiming* timing = NewTiming();
  if (!timing) {
    SetProblem("out of memory in section \"%s\"", section);
    return false;
  }
  if (!ReadTimingSection(text, timingName, &timing->block, key, section)) {
    FreeTiming(timing);
    return false;
  }
  timing->interlaced = strstr(value, "NI,") ? 0 : 1;
  timing->resolution = plan.resolution;
  timing->depth = planned.depth;
  timing->zoom = planned.zoom;
  PushNewestTiming(model, timing);
  return true;
}

bool ReadModelTimings(const char* text, const char* section, const char* keyList, MonitorModel* model,
                      Notices& notices) {
  int count = 0;
  size_t listLength = 0;
  for (const char* k = keyList; *k; k += strlen(k) + 1) ++count;
  for (const char* k = keyList; *k; k += strlen(k) + 1) listLength += strlen(k) + 1;
  // One block for the key pointers, their lower-cased copies and the taken flags.
  HeapArray<char> block(count * (2 * sizeof(const char*) + sizeof(bool)) + listLength + 1);
  if (!block.data()) {
    SetProblem("out of memory in section \"%s\"", section);
    return false;
  }
  const char** keys = reinterpret_cast<const char**>(block.data());
  const char** lowered = keys + count;
  bool* taken = reinterpret_cast<bool*>(lowered + count);
  char* lowerText = reinterpret_cast<char*>(taken + count);
  char* out = lowerText;
  int i = 0;
  for (const char* k = keyList; *k; k += strlen(k) + 1, ++i) {
    keys[i] = k;
    lowered[i] = out;
    for (const char* p = k; *p; ++p) *out++ = (*p >= 'A' && *p <= 'Z') ? static_cast<char>(*p - 'A' + 'a') : *p;
    *out++ = 0;
  }

  ModeKeyPlanner planner(lowered, count, taken, SeparatorChar());
  for (;;) {
    ModeGroupPlan plan;
    const PlanStatus status = planner.Next(&plan);
    if (status == PlanStatus::kDone) return true;
    const char* opener = planner.failedKey() >= 0 ? keys[planner.failedKey()] : "";
    switch (status) {
      case PlanStatus::kTooManyKeys:
        SetProblem("section \"%s\": the group of key \"%s\" has more than 16 keys", section, opener);
        return false;
      case PlanStatus::kKeyTooLong:
        SetProblem("section \"%s\": the group of key \"%s\" has a key over 29 characters", section, opener);
        return false;
      case PlanStatus::kNoKeyChosen:
        SetProblem("section \"%s\": no key to take a timing of the group of key \"%s\" from", section, opener);
        return false;
      default:
        break;
    }
    if (plan.resolution < 0) {
      notices.Say("section \"%s\": key \"%s\" names no known resolution and makes no timing", section, opener);
      continue;
    }
    for (int t = 0; t < plan.timingCount; ++t)
      if (!MakeTiming(text, section, keys[plan.timings[t].key], plan, plan.timings[t], model, notices)) return false;
  }
}

DWORD NameListCapacityFor(const char* text) {
  // A list of a text's names can never be longer than the text itself.
  const size_t needed = strlen(text) + 2;
  return needed > kNameListCapacity ? static_cast<DWORD>(needed) : kNameListCapacity;
}

bool FirstPass(const char* names, MonitorManufacturer** list, Notices& notices) {
  char manufacturer[kManufacturerNameSize];
  char model[kModelNameSize];
  for (const char* name = names; *name; name += strlen(name) + 1) {
    NoteNameForMode(name);
    const NameKind kind = SplitSectionName(name, manufacturer, model);
    if (kind == NameKind::kTiming) continue;
    if (kind != NameKind::kModel) {
      ExplainIgnored(notices, name, kind);
      continue;
    }
    if (!InsertManufacturerSorted(list, manufacturer)) {
      SetProblem("out of memory at section \"%s\"", name);
      return false;
    }
  }
  return true;
}

bool ReadModelSection(const char* text, const char* name, MonitorManufacturer** list, char* keyList,
                      DWORD keyCapacity, Notices& notices) {
  char manufacturerName[kManufacturerNameSize];
  char modelName[kModelNameSize];
  if (SplitSectionName(name, manufacturerName, modelName) != NameKind::kModel) return true;
  MonitorManufacturer* manufacturer = FindManufacturer(*list, manufacturerName);
  if (!manufacturer) return true;
  if (HasModel(manufacturer, modelName)) {
    notices.Say("section \"%s\" ignored: the model was read from an earlier section", name);
    return true;
  }
  if (!ListSectionKeys(text, name, keyList, keyCapacity)) {
    SetProblem("section \"%s\": its keys cannot be listed", name);
    return false;
  }
  MonitorModel* model = NewModel(modelName);
  if (!model) {
    SetProblem("out of memory at section \"%s\"", name);
    return false;
  }
  model->next = manufacturer->models;
  if (manufacturer->models) manufacturer->models->prev = model;
  manufacturer->models = model;
  return ReadModelTimings(text, name, keyList, model, notices);
}

}  // namespace

SeparatorMode CurrentSeparatorMode() { return g_mode; }
char SeparatorChar() { return g_mode == SeparatorMode::kSpace ? ' ' : '.'; }
void ResetSeparatorMode() { g_mode = SeparatorMode::kUndecided; }

void DecideSeparatorModeFromFile(const char* path) {
  if (g_mode != SeparatorMode::kUndecided || !path) return;
  char* text = LoadSectionText(path);
  if (!text) return;
  const DWORD capacity = NameListCapacityFor(text);
  HeapArray<char> names(capacity);
  // A failed listing still leaves the names before the failure.
  if (names.data()) {
    ListSectionNames(text, names.data(), capacity);
    for (const char* name = names.data(); *name && g_mode == SeparatorMode::kUndecided; name += strlen(name) + 1)
      NoteNameForMode(name);
  }
  FreeSectionText(text);
}

int ReadMonitorText(const char* path, MonitorManufacturer** list, const MonitorReadProgress* progress) {
  ClearProblem();
  if (!path || !list) return 0;
  char* text = LoadSectionText(path);
  if (!text) {
    SetProblem("\"%s\" cannot be read", path);
    return 0;
  }
  // The names of a large database outgrow a fixed list: the capacity grows
  // with the text, so the listing fails only for a name it cannot carry.
  const DWORD capacity = NameListCapacityFor(text);
  HeapArray<char> names(capacity);
  HeapArray<char> keys(capacity);
  Notices notices(progress);
  bool ok = names.data() && keys.data();
  if (!ok) SetProblem("out of memory reading \"%s\"", path);
  if (ok && !ListSectionNames(text, names.data(), capacity)) {
    const char* last = "";
    for (const char* name = names.data(); *name; name += strlen(name) + 1) last = name;
    if (*last)
      SetProblem("a section header with an empty name ([]) follows section \"%s\"", last);
    else
      SetProblem("a section header with an empty name ([]) precedes every other section");
    ok = false;
  }
  ok = ok && FirstPass(names.data(), list, notices);
  if (ok) {
    int total = 0;
    for (const char* name = names.data(); *name; name += strlen(name) + 1) ++total;
    if (progress && progress->start) progress->start(progress->context, total);
    for (const char* name = names.data(); ok && *name; name += strlen(name) + 1) {
      ok = ReadModelSection(text, name, list, keys.data(), capacity, notices);
      if (progress && progress->step) progress->step(progress->context);
    }
  }
  FreeSectionText(text);
  return ok ? 1 : 0;
}

namespace {

bool AppendDepthZoomSuffix(TextBuffer& key, const MonitorTiming& t) {
  switch (t.depth) {
    case 0: break;
    case 8: key.Append(".X8"); break;
    case 16: key.Append(".X16"); break;
    case 24: key.Append(".X24"); break;
    case 32: key.Append(".X32"); break;
    default: return false;
  }
  switch (t.zoom) {
    case 0: break;
    case 1: key.Append(".Z1"); break;
    case 2: key.Append(".Z2"); break;
    case 4: key.Append(".Z4"); break;
    default: return false;
  }
  return true;
}

// Mode key K of a timing ("1024X768.X8.Z1"); false when it has none.
bool ModeKeyOf(const MonitorTiming& t, char* key) {
  const char* resolution = ResolutionKeyName(t.resolution);
  if (!resolution) return false;
  TextBuffer text;
  text.Append(resolution);
  if (!AppendDepthZoomSuffix(text, t) || !text.ok()) return false;
  memcpy(key, text.text(), text.length() + 1);
  return true;
}

// The section name S of a model: manufacturer, separator, model.
void BuildSectionName(const MonitorManufacturer* manufacturer, const MonitorModel* model, char* out) {
  const size_t length = strlen(manufacturer->name);
  memcpy(out, manufacturer->name, length);
  out[length] = SeparatorChar();
  strcpy(out + length + 1, model->name);
}

// Name of a timing section: "*", S with its first separator and every
// space after it made "_", then "_,(", K, ")".
void BuildTimingSectionName(const char* section, const char* key, char* out) {
  char* p = out;
  *p++ = '*';
  const char separator = SeparatorChar();
  bool afterSeparator = false;
  for (const char* s = section; *s; ++s) {
    if (!afterSeparator && *s == separator) {
      afterSeparator = true;
      *p++ = '_';
    } else {
      *p++ = afterSeparator && *s == ' ' ? '_' : *s;
    }
  }
  strcpy(p, "_,(");
  strcat(p, key);
  strcat(p, ")");
}

constexpr int kSectionNameSize = kManufacturerNameSize + kModelNameSize + 1;
constexpr int kTimingNameSize = kSectionNameSize + 32;

// Names the grammar could not read back (or that would read back as another
// model) are refused before anything is written.
bool NamesCarryBack(const MonitorManufacturer* manufacturer, const MonitorModel* model, const char* section) {
  const bool spaceMode = SeparatorChar() == ' ';
  for (const char* name : {manufacturer->name, model->name}) {
    if (strpbrk(name, "[]=;*\r\n") || (spaceMode && strchr(name, '.'))) {
      SetProblem("the name \"%s\" holds a character OVX.MON cannot carry ([ ] = ; * CR LF%s)", name,
                 spaceMode ? ", or a full stop in space mode" : "");
      return false;
    }
  }
  // The manufacturer ends at the first separator, and a timing reference
  // ends at the first space.
  if (strchr(manufacturer->name, ' ') || strchr(manufacturer->name, '.')) {
    SetProblem("the manufacturer name \"%s\" holds a space or a full stop", manufacturer->name);
    return false;
  }
  if (strstr(section, "NI,")) {
    SetProblem("the section name \"%s\" holds NI, which would mark its modes non-interlaced", section);
    return false;
  }
  return true;
}

struct UserTiming {
  const MonitorTiming* timing;
  char key[32];
  char sectionName[kTimingNameSize];
};

// Checks every timing of the model and builds its key and timing section name.
bool PrepareTimings(const MonitorModel* model, const char* section, UserTiming* out, int count) {
  if (static_cast<int>(strlen(section)) > kMaxDeleteSectionName) {
    SetProblem("the section name \"%s\" is over %d characters and could not be replaced later", section,
               kMaxDeleteSectionName);
    return false;
  }
  int i = 0;
  for (const MonitorTiming* t = model->newest; t && i < count; t = t->older, ++i) {
    UserTiming& u = out[i];
    u.timing = t;
    if (!ModeKeyOf(*t, u.key)) {
      SetProblem("model \"%s\": a timing has resolution %ld, depth %lu, zoom %lu, which no mode key names",
                 model->name, t->resolution, t->depth, t->zoom);
      return false;
    }
    for (int j = 0; j < i; ++j) {
      if (!strcmp(out[j].key, u.key)) {
        SetProblem("model \"%s\": two timings share the mode key %s; only one would read back", model->name, u.key);
        return false;
      }
    }
    for (const TimingKey& key : kTimingKeys) {
      if (t->block.*key.field < 0) {
        SetProblem("model \"%s\", mode %s: %s is negative, which OVX.MON cannot carry", model->name, u.key, key.name);
        return false;
      }
    }
    BuildTimingSectionName(section, u.key, u.sectionName);
    if (static_cast<int>(strlen(u.sectionName)) > kMaxDeleteSectionName) {
      SetProblem("the timing section name \"%s\" is over %d characters and could not be replaced later",
                 u.sectionName, kMaxDeleteSectionName);
      return false;
    }
  }
  return true;
}

void BuildBlock(const char* section, const UserTiming* timings, int count, TextBuffer& block) {
  block.Append("\r\n\r\n[");
  block.Append(section);
  block.Append("]\r\n");
  for (int i = 0; i < count; ++i) {
    block.Append(timings[i].key);
    block.Append("  =     ");
    block.Append(timings[i].timing->interlaced == 1 ? "I, " : "NI, ");
    block.Append(timings[i].sectionName);
    block.Append("\r\n");
  }
  block.Append("\r\n");
  for (int i = 0; i < count; ++i) {
    block.Append("[");
    block.Append(timings[i].sectionName);
    block.Append("]\r\n");
    for (const TimingKey& key : kTimingKeys) {
      block.Append(key.writtenPrefix);
      block.AppendNumber(timings[i].timing->block.*key.field);
      block.Append("\r\n");
    }
    block.Append("\r\n");
  }
}

// Calls `visit` with the name of every timing section the keys of `section` refer to.
template <class Visit>
bool ForEachReferencedTimingSection(const char* text, const char* section, Visit visit) {
  const DWORD capacity = NameListCapacityFor(text);
  HeapArray<char> keys(capacity);
  if (!keys.data() || !ListSectionKeys(text, section, keys.data(), capacity)) return false;
  for (const char* key = keys.data(); *key; key += strlen(key) + 1) {
    char value[kModeValueCapacity];
    char name[kModeValueCapacity];
    if (GetSectionValue(text, section, key, value, sizeof value) && TimingSectionOf(value, name, sizeof name))
      visit(name);
  }
  return true;
}

// Whether OVX.MON already has the model's section, and whether one of the
// new timing section names is taken by a section the model does not own
// (another model whose name differs only in spaces and underscores).
bool CheckExistingText(const char* path, const char* section, const UserTiming* timings, int count, bool* exists) {
  *exists = false;
  char* text = LoadSectionText(path);
  if (!text) return true;  // appending reports a missing file
  TextBuffer owned;  // names one after the other, each closed by a NUL
  *exists = ForEachReferencedTimingSection(text, section, [&](const char* name) { owned.Append(name, strlen(name) + 1); });
  bool ok = owned.ok();
  if (!ok) SetProblem("out of memory writing section \"%s\"", section);
  for (int i = 0; i < count && ok; ++i) {
    const char* name = timings[i].sectionName;
    if (!FindSection(text, name)) continue;
    bool mine = false;
    for (size_t at = 0; at < owned.length() && !mine; at += strlen(owned.text() + at) + 1)
      mine = strlen(owned.text() + at) == strlen(name) && scan::EqualFolded(owned.text() + at, name, strlen(name));
    if (!mine) {
      SetProblem("the timing section \"%s\" already belongs to another model", name);
      ok = false;
    }
  }
  FreeSectionText(text);
  return ok;
}

}  // namespace

int WriteUserModel(const MonitorManufacturer* manufacturer, const MonitorModel* model, const char* path) {
  ClearProblem();
  if (!manufacturer || !model || !path) return 0;
  // A tree read from OVX.BIN leaves the mode undecided: take it from the
  // text, or a space-mode database would get sections its reader ignores.
  DecideSeparatorModeFromFile(path);
  char section[kSectionNameSize];
  BuildSectionName(manufacturer, model, section);
  if (!NamesCarryBack(manufacturer, model, section)) return 0;
  const int count = CountTimings(model);
  if (count == 0) {
    // Its section would hold no key line, and a read finds no model there.
    SetProblem("model \"%s\" has no timings to write", model->name);
    return 0;
  }
  HeapArray<UserTiming> timings(count);
  if (!timings.data()) {
    SetProblem("out of memory writing model \"%s\"", model->name);
    return 0;
  }
  if (!PrepareTimings(model, section, timings.data(), count)) return 0;
  bool exists = false;
  if (!CheckExistingText(path, section, timings.data(), count, &exists)) return 0;
  if (exists && !DeleteModelSections(manufacturer, model, path)) {
    SetProblem("the old sections of \"%s\" could not be deleted", section);
    return 0;
  }
  TextBuffer block;
  BuildBlock(section, timings.data(), count, block);
  if (!block.ok()) {
    SetProblem("out of memory writing model \"%s\"", model->name);
    return 0;
  }
  if (!AppendToTextFile(path, block.text())) {
    SetProblem("\"%s\" could not be appended to", path);
    return 0;
  }
  return 1;
}

int DeleteModelSections(const MonitorManufacturer* manufacturer, const MonitorModel* model, const char* path) {
  if (!manufacturer || !model || !path) return 0;
  DecideSeparatorModeFromFile(path);
  char section[kSectionNameSize];
  BuildSectionName(manufacturer, model, section);
  char* text = OpenTextForEdit(path);
  if (!text) return 0;
  ForEachReferencedTimingSection(text, section, [&](const char* name) { DeleteSection(text, name); });
  const int deleted = DeleteSection(text, section);
  const int committed = CommitEditedText(text);
  return deleted && committed ? 1 : 0;
}

}  // namespace monitor_db
