// OVX.BIN, the record-structured cache of OVX.MON, and the rule that picks
// between the two.
//
// Layout (all numbers 32-bit little-endian): a 32-byte signature field
// "OVT Encoded Monitor List" (NUL-terminated), version 0x10000, the number of
// manufacturers; per manufacturer its 80-byte name and number of models; per
// model its 128-byte name and number of timings; per timing 76 bytes:
// resolution, depth, zoom, interlaced flag, then the fifteen timing fields.
#pragma once

#include <windows.h>

#include "monitor_tree.h"

namespace monitor_db {

constexpr char kMonitorTextFile[] = "OVX.MON";
constexpr char kMonitorCacheFile[] = "OVX.BIN";
constexpr char kCacheSignature[] = "OVT Encoded Monitor List";
constexpr DWORD kCacheSignatureSize = 32;
constexpr DWORD kCacheVersion = 0x10000;
constexpr DWORD kCacheHeaderSize = 36;  // signature and version; the counts follow
constexpr DWORD kCacheTimingRecordSize = 76;

// Empties `list`, then reads the cache into it. Records the page could not
// use (resolution above 7, depth outside 0/8/16/24/32, zoom outside 0/1/2/4,
// interlaced flag other than 0/1) refuse the whole file; so does a short one.
int ReadMonitorCache(MonitorManufacturer** list, const char* path);
// Writes the tree anew; on failure no file is left.
int WriteMonitorCache(const MonitorManufacturer* list, const char* path);

// "folder\\name" into `out`; 0 when it does not fit.
int FormMonitorFilePath(const char* folder, const char* fileName, char* out, DWORD capacity);
// The cache rule: 1 when OVX.BIN in `folder` should be read instead of
// OVX.MON — the folder name is shorter than 250 characters, OVX.BIN exists,
// and OVX.MON is missing or last written no later than OVX.BIN.
int UseMonitorCache(const char* folder);

}  // namespace monitor_db
