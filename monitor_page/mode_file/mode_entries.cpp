// Mode entries made from the monitor tree's timing nodes, the identity of the boards, and model matching.
#include <string.h>

#include "driver_escape.h"
#include "mode_file.h"

namespace mode_file {
namespace {

// A board count past this is not a real adapter's answer; it would only make the loop below run for ages.
constexpr DWORD kMostBoardsAsked = 64;

constexpr LONG kLargestWord = 0xFFFF;

bool FitsWord(LONG value) { return value >= 0 && value <= kLargestWord; }

// Every timing field except the 32-bit pixel clock is a 16-bit word in the file.
bool TimingFitsRecord(const TimingBlock& timing) {
  if (timing.PIXEL_CLK < 0) return false;
  for (int i = 1; i < kTimingFieldCount; ++i)
    if (!FitsWord(timing.*kTimingFields[i])) return false;
  return true;
}

// The standard sizes from the resolution table; the television resolutions have no size there, so their modes
// take the timing's own display area.
void ModeSize(const monitor_db::MonitorTiming& node, DWORD* width, DWORD* height) {
  const int tableWidth = monitor_db::ResolutionWidth(node.resolution);
  const int tableHeight = monitor_db::ResolutionHeight(node.resolution);
  const bool standard = tableWidth != 0 && tableHeight != 0;
  *width = static_cast<DWORD>(standard ? tableWidth : node.block.H_DISP);
  *height = static_cast<DWORD>(standard ? tableHeight : node.block.V_DISP);
}

// The timing block as the writer stores it: interlace enable follows the I/NI marking, and the overscans and
// their enable are always written as 0.
TimingBlock StoredTiming(const monitor_db::MonitorTiming& node) {
  TimingBlock timing = node.block;
  timing.H_OVERSCAN = 0;
  timing.V_OVERSCAN = 0;
  timing.OVERSCAN_ENABLE = 0;
  timing.INTERLACE_ENABLE = node.interlaced ? 1 : 0;
  return timing;
}

// The zoom mask bit a node needs: zoom 1, 2, 4 their own bit; a node without zoom, bit 0.
DWORD ZoomRequirement(DWORD zoom) { return zoom == 2 || zoom == 4 ? zoom : 1; }

bool EntryServesNode(const ModeEntry& mode, const monitor_db::MonitorTiming& node) {
  DWORD width = 0, height = 0;
  ModeSize(node, &width, &height);
  if (mode.width != width || mode.height != height) return false;
  const DWORD depth = DepthMaskOf(node.depth);
  if ((mode.depthMask & depth) != depth) return false;
  if (mode.interlaced != (node.interlaced ? 1u : 0u)) return false;
  if ((mode.zoomMask & ZoomRequirement(node.zoom)) == 0) return false;
  return mode.timing == StoredTiming(node);
}

}  // namespace

DWORD DepthMaskOf(DWORD depth) {
  switch (depth) {
    case 8:
      return 1;
    case 16:
      return 2;
    case 24:
      return 4;
    case 32:
      return 8;
    default:
      return kEveryDepth;
  }
}

DWORD ZoomMaskOf(DWORD zoom) { return zoom == 1 || zoom == 2 || zoom == 4 ? zoom : kEveryZoom; }

void StoredRates(const TimingBlock& timing, DWORD* refresh, DWORD* lineRate) {
  const LONGLONG hTotal =
      static_cast<LONGLONG>(timing.H_DISP) + timing.H_FPORCH + timing.H_SYNC + timing.H_BPORCH;
  const LONGLONG vTotal =
      static_cast<LONGLONG>(timing.V_DISP) + timing.V_FPORCH + timing.V_SYNC + timing.V_BPORCH;
  if (hTotal <= 0 || vTotal <= 0 || timing.PIXEL_CLK < 0) {
    *refresh = 0;
    *lineRate = 0;
    return;
  }
  const LONGLONG clock = timing.PIXEL_CLK;
  *refresh = static_cast<DWORD>(clock * 1000 / (hTotal * vTotal));
  *lineRate = static_cast<DWORD>(clock / hTotal);
}

int BuildModeEntry(const monitor_db::MonitorTiming& node, ModeEntry* entry) {
  ModeEntry mode{};
  ModeSize(node, &mode.width, &mode.height);
  mode.interlaced = node.interlaced ? 1 : 0;
  mode.timing = StoredTiming(node);
  StoredRates(mode.timing, &mode.refresh, &mode.lineRate);
  mode.depthMask = DepthMaskOf(node.depth);
  mode.zoomMask = ZoomMaskOf(node.zoom);
  if (!TimingFitsRecord(mode.timing) || mode.width > kLargestWord || mode.height > kLargestWord ||
      mode.refresh > kLargestWord || mode.lineRate > kLargestWord)
    return 0;
  *entry = mode;
  return 1;
}

std::vector<BoardIdentity> ActiveBoards() {
  std::vector<BoardIdentity> boards;
  DWORD count = driver::ReadBoardCount();
  if (count > kMostBoardsAsked) count = kMostBoardsAsked;
  for (DWORD index = 0; index < count; ++index) {
    const driver::BoardDescription description = driver::ReadBoard(index);
    if (!description.IsActive()) continue;
    BoardIdentity board{};
    board.boardId = description.boardId;
    memcpy(board.name, description.name, kBoardNameSize);
    board.name[kBoardNameSize - 1] = 0;
    boards.push_back(board);
  }
  return boards;
}

int CurrentBoard(BoardIdentity* board) {
  const std::vector<BoardIdentity> boards = ActiveBoards();
  if (boards.empty()) return 0;
  *board = boards.front();
  return 1;
}

BoardEntry* FindBoardEntry(BoardEntryList* list, const BoardIdentity& board) {
  if (!list) return nullptr;
  for (BoardEntry& entry : *list)
    if (entry.boardId == board.boardId && strcmp(entry.boardName, board.name) == 0) return &entry;
  return nullptr;
}

int MatchesModel(const monitor_db::MonitorModel* model, const BoardEntry& entry) {
  if (!model) return 0;
  for (const monitor_db::MonitorTiming* node = model->newest; node; node = node->older) {
    bool found = false;
    for (const ModeEntry& mode : entry.modes) {
      if (EntryServesNode(mode, *node)) {
        found = true;
        break;
      }
    }
    if (!found) return 0;
  }
  return 1;
}

}  // namespace mode_file
