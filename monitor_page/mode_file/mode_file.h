// OVX.INF, the mode file through which the Monitor page tells the display driver which modes the chosen monitor
// supports and with which timings: one entry per graphics board (at most four), each naming the board and the
// monitor model and listing mode records with their full timing.
//
// Layout (all numbers unsigned little-endian): a 48-byte header (32-byte signature text, 16-bit version 200,
// 16 reserved bits, 32 reserved bits, four 16-bit board-record offsets with 0xFFFF for an empty slot); 108-byte
// board records (16-bit board id, 2 spare bytes, 32-byte board name, 64-byte monitor name, 32 reserved bits,
// 16-bit mode count, 16-bit offset of the first mode record); 48-byte mode records (width, height, interlaced,
// refresh, line rate, depth mask, zoom mask, reserved, 32-bit pixel clock, then the other fourteen timing fields,
// all 16 bits).
#pragma once

#include <windows.h>

#include <vector>

#include "monitor_db/monitor_tree.h"
#include "timing/timing_block.h"

namespace mode_file {

constexpr char kModeFileName[] = "OVX.INF";
constexpr char kSignature[] = "Orvane OVX INF file";
constexpr DWORD kSignatureSize = 32;
constexpr WORD kVersion = 200;
constexpr DWORD kHeaderSize = 48;
constexpr DWORD kBoardRecordSize = 108;
constexpr DWORD kModeRecordSize = 48;
constexpr int kMaxBoardEntries = 4;
constexpr WORD kEmptySlot = 0xFFFF;
constexpr DWORD kBoardNameSize = 32;
constexpr DWORD kMonitorNameSize = 64;  // the joined name is cut to 63 characters

// Offsets inside the header and a board record that the writer patches.
constexpr DWORD kSlotOffsetsAt = 40;
constexpr DWORD kModeCountAt = 104;
constexpr DWORD kModeOffsetAt = 106;

// Colour-depth mask bits (8, 16, 24, 32 bits per pixel) and zoom mask bits (zoom 1, 2, 4).
constexpr DWORD kEveryDepth = 15;
constexpr DWORD kEveryZoom = 7;

// A mode record widened to 32 bits, in record order, without the reserved word.
struct ModeEntry {
  DWORD width;
  DWORD height;
  DWORD interlaced;  // 1 or 0
  DWORD refresh;     // Hz
  DWORD lineRate;    // kHz
  DWORD depthMask;
  DWORD zoomMask;
  TimingBlock timing;
};

struct BoardEntry {
  WORD boardId;
  char boardName[kBoardNameSize];      // always terminated
  char monitorName[kMonitorNameSize];  // "manufacturer.model", always terminated
  DWORD reserved;                      // kept as read; 0 in an entry the writer fills
  std::vector<ModeEntry> modes;        // in file order
};

// The board entries in slot order.
using BoardEntryList = std::vector<BoardEntry>;

// A board as the driver describes it (sub-functions 0xC4D8ACDF and 0xC4D8ACE2).
struct BoardIdentity {
  WORD boardId;
  char name[kBoardNameSize];  // always terminated
};
// Every active board (flags bit 0) in index order.
std::vector<BoardIdentity> ActiveBoards();
// The first active board; 0 when the driver reports none.
int CurrentBoard(BoardIdentity* board);

// Replaces `list` with the entries of `path` that belong to an active board. 1 when at least one was read;
// otherwise 0 with the list empty (a missing or damaged file, or entries only of boards that are not active).
int ReadModeFile(const char* path, BoardEntryList* list);
// Puts the model with display handle `modelId` into the current board's entry (refilled, or appended) and writes
// the whole list to `path`. The new file is written beside the old one and replaces it only when complete, so a
// failure leaves both the old file and the list as they were. 1 on success, 0 on failure.
int WriteModelToModeFile(BoardEntryList* list, const char* path, monitor_db::MonitorManufacturer* manufacturers,
                         DWORD modelId);
void FreeBoardEntries(BoardEntryList* list);
// 1 when every timing of the model has a mode entry in `entry` equal to what the writer makes of it.
int MatchesModel(const monitor_db::MonitorModel* model, const BoardEntry& entry);
// The entry of the given board, or nullptr.
BoardEntry* FindBoardEntry(BoardEntryList* list, const BoardIdentity& board);

// The mode entry the writer makes of a timing node; 0 when a value does not fit its field in the file.
int BuildModeEntry(const monitor_db::MonitorTiming& timing, ModeEntry* entry);
// Refresh (Hz) and line rate (kHz) as stored: truncated, over 64-bit intermediates, 0 for both when a total is 0.
void StoredRates(const TimingBlock& timing, DWORD* refresh, DWORD* lineRate);
DWORD DepthMaskOf(DWORD depth);
DWORD ZoomMaskOf(DWORD zoom);

// Why the last ReadModeFile or WriteModelToModeFile failed ("" after a success), for diagnostics and tools.
const char* LastModeFileProblem();

}  // namespace mode_file
