// The monitor tree: manufacturers -> models -> timings, as the Monitor page,
// the mode-file writer and the customisation code share it. Every node is
// allocated on its own and freed by FreeMonitorTree (or DeleteModel).
#pragma once

#include <windows.h>

#include "timing/timing_block.h"

namespace monitor_db {

// The one timing block of the system (timing/timing_block.h), with its field table.
using ::kTimingFieldCount;
using ::kTimingFieldNames;
using ::kTimingFields;
using ::TimingBlock;

// Resolution indexes: 0..5 the standard sizes, 6 NTSC, 7 PAL.
enum ResolutionIndex : LONG {
  kRes640x480 = 0,
  kRes800x600,
  kRes1024x768,
  kRes1152x864,
  kRes1280x1024,
  kRes1600x1200,
  kResNtsc,
  kResPal,
};
constexpr int kResolutionCount = 8;
// The name a mode key carries ("1024X768", "NTSC"), or nullptr for an index out of range.
const char* ResolutionKeyName(LONG resolution);
// Width and height of a standard resolution (0 x 0 for the television ones).
int ResolutionWidth(LONG resolution);
int ResolutionHeight(LONG resolution);
// Index of a standard width or height, -1 when the table has none.
LONG ResolutionOfWidth(int width);
LONG ResolutionOfHeight(int height);

struct MonitorTiming {
  LONG resolution;   // ResolutionIndex
  DWORD depth;       // bits per pixel, 0 = not bound to a depth
  DWORD zoom;        // 1, 2, 4, 0 = not bound to a zoom
  DWORD interlaced;  // 1 or 0
  DWORD displayHandle;
  MonitorTiming* newer;
  MonitorTiming* older;
  TimingBlock block;
};

constexpr int kModelNameSize = 128;         // at most 127 characters
constexpr int kManufacturerNameSize = 80;   // at most 79 characters

struct MonitorModel {
  char name[kModelNameSize];
  MonitorTiming* newest;  // the timing order runs newest to oldest
  DWORD displayHandle;    // also the model's identifier in OVX.INF
  MonitorModel* prev;
  MonitorModel* next;
};

struct MonitorManufacturer {
  char name[kManufacturerNameSize];
  MonitorModel* models;
  DWORD displayHandle;
  MonitorManufacturer* prev;
  MonitorManufacturer* next;
};

constexpr const char kUserDefinedManufacturer[] = "User-Defined";
constexpr const char kStandardManufacturer[] = "(Standard monitor types)";

// Node allocation: zeroed nodes, nullptr when memory runs out.
MonitorManufacturer* NewManufacturer(const char* name);
MonitorModel* NewModel(const char* name);
MonitorTiming* NewTiming();
// Puts `timing` first (newest) in the model's timing list.
void PushNewestTiming(MonitorModel* model, MonitorTiming* timing);
// Puts `timing` last (oldest) in the model's timing list.
void AppendOldestTiming(MonitorModel* model, MonitorTiming* timing);
void FreeModel(MonitorModel* model);  // the model and its timings; no unlinking
void FreeTiming(MonitorTiming* timing);  // no unlinking
void FreeManufacturer(MonitorManufacturer* manufacturer);  // with its models; no unlinking

void FreeMonitorTree(MonitorManufacturer** list);
MonitorModel* FindModelByHandle(DWORD displayHandle, MonitorManufacturer* list);
int FindModelByNames(MonitorManufacturer* list, const char* manufacturerName, const char* modelName,
                     MonitorManufacturer** manufacturer, MonitorModel** model);
MonitorManufacturer* FindManufacturerOf(const MonitorModel* model, MonitorManufacturer* list);
MonitorTiming* FindTimingByHandle(DWORD displayHandle, MonitorModel* model);
MonitorModel* CopyModel(const MonitorModel* model);
// Adds a copy of `model` first under "User-Defined" (created last in the list
// when missing). A model of the same name there is replaced only with
// `replace`; otherwise the call fails. `copy` receives the new model.
int AddUserModel(MonitorManufacturer** list, const MonitorModel* model, int replace, MonitorModel** copy = nullptr);
// Frees the model and its timings and unlinks it. `list` may be nullptr for
// a model that is in no list.
void DeleteModel(MonitorManufacturer** list, MonitorModel* model, int dropEmpty);
// Removes every model with a timing above maxMegahertz * 1000 kHz (all of
// them for 0), then every manufacturer left without models.
void PruneByPixelClock(MonitorManufacturer** list, DWORD maxMegahertz);

// Counting helpers for callers that report on a tree.
int CountManufacturers(const MonitorManufacturer* list);
int CountModels(const MonitorManufacturer* manufacturer);
int CountTimings(const MonitorModel* model);

}  // namespace monitor_db
