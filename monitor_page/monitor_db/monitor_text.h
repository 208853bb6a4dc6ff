// OVX.MON: reading it into the monitor tree, and writing user-defined models
// back into it.
#pragma once

#include <windows.h>

#include "monitor_tree.h"

namespace monitor_db {

// A manufacturer and a model form one section name joined by a full stop
// (dot mode) or a space (space mode). The first text read decides; until
// then names are built in dot mode. A decided mode lasts for the page.
enum class SeparatorMode { kUndecided, kDot, kSpace };
SeparatorMode CurrentSeparatorMode();
char SeparatorChar();
// For a new page (and tests): the mode is undecided again.
void ResetSeparatorMode();
// Decides an undecided mode from the section names of the file at `path`
// (nothing happens when the file cannot be read or names neither mode).
void DecideSeparatorModeFromFile(const char* path);

// What the reader reports while it works. Every member may be null.
struct MonitorReadProgress {
  void (*start)(void* context, int total);  // once, before the second pass: the number of section names
  void (*step)(void* context);              // after each section name of the second pass
  void (*notice)(void* context, const char* text);  // a section ignored, and why
  void* context;
};

// Builds the tree from OVX.MON into `list` (which may already hold
// manufacturers). 0 on failure, with what was read so far left in `list`.
int ReadMonitorText(const char* path, MonitorManufacturer** list, const MonitorReadProgress* progress = nullptr);
// Appends the model as sections "manufacturer<sep>model" and its timing
// sections, replacing sections the model had. Names and timings that the
// grammar could not carry back are refused (0, the file untouched).
int WriteUserModel(const MonitorManufacturer* manufacturer, const MonitorModel* model, const char* path);
// Deletes the model's section and the timing sections its keys name.
// 1 when the model's section was found and deleted.
int DeleteModelSections(const MonitorManufacturer* manufacturer, const MonitorModel* model, const char* path);

// The reason the last failed read or write of the database gave up (OVX.MON
// or OVX.BIN), naming the section or record; "" after a success. For the
// debugger output and the database report tool.
const char* LastMonitorDbProblem();

// Capacity the reader gives ListSectionNames and ListSectionKeys at least.
constexpr DWORD kNameListCapacity = 32167;
// Capacity of a mode value.
constexpr DWORD kModeValueCapacity = 100;

}  // namespace monitor_db
