// Mode entries from timing nodes (masks, rates), board identity, and matching a model against a board entry.
#include <gtest/gtest.h>

#include <functional>

#include "mode_file_fixture.h"

namespace mode_file::testing {
namespace {

monitor_db::MonitorTiming Node(LONG resolution, DWORD depth, DWORD zoom, DWORD interlaced, const TimingBlock& block) {
  monitor_db::MonitorTiming node{};
  node.resolution = resolution;
  node.depth = depth;
  node.zoom = zoom;
  node.interlaced = interlaced;
  node.block = block;
  return node;
}

TEST(ModeEntryMasks, DepthAndZoomMapToTheirBitsAndUnboundToEvery) {
  const std::pair<DWORD, DWORD> depths[] = {{8, 1}, {16, 2}, {24, 4}, {32, 8}, {0, 15}, {15, 15}, {12, 15}};
  for (auto [depth, mask] : depths) EXPECT_EQ(DepthMaskOf(depth), mask) << "depth " << depth;
  const std::pair<DWORD, DWORD> zooms[] = {{1, 1}, {2, 2}, {4, 4}, {0, 7}, {3, 7}, {8, 7}};
  for (auto [zoom, mask] : zooms) EXPECT_EQ(ZoomMaskOf(zoom), mask) << "zoom " << zoom;
}

TEST(ModeEntryRates, AreTruncatedOverWideProductsAndZeroWithoutATotal) {
  struct Case {
    const char* name;
    TimingBlock timing;
    DWORD refresh, lineRate;
  };
  TimingBlock noVertical = Vga();
  noVertical.V_DISP = noVertical.V_FPORCH = noVertical.V_SYNC = noVertical.V_BPORCH = 0;
  TimingBlock noHorizontal = Vga();
  noHorizontal.H_DISP = noHorizontal.H_FPORCH = noHorizontal.H_SYNC = noHorizontal.H_BPORCH = 0;
  const Case cases[] = {
      {"25175 kHz over 800 x 525", Vga(), 59, 31},  // 59.94 and 31.47, truncated
      {"25200 kHz over 800 x 525", Vga(25200), 60, 31},
      // 5 000 000 kHz x 1000 overflows 32 bits; the result does not.
      {"a clock whose product needs 64 bits", Timing(5000000, 1600, 64, 192, 304, 1200, 1, 3, 46), 1851, 2314},
      {"vertical total 0", noVertical, 0, 0},
      {"horizontal total 0", noHorizontal, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DWORD refresh = 99, lineRate = 99;
    StoredRates(c.timing, &refresh, &lineRate);
    EXPECT_EQ(refresh, c.refresh);
    EXPECT_EQ(lineRate, c.lineRate);
  }
}

TEST(ModeEntryBuild, TakesTheWriterValuesFromTheNode) {
  TimingBlock block = Vga();
  block.H_OVERSCAN = 8;
  block.V_OVERSCAN = 4;
  block.OVERSCAN_ENABLE = 1;
  block.INTERLACE_ENABLE = 1;  // the I/NI marking decides, not this value
  ModeEntry mode{};
  ASSERT_EQ(BuildModeEntry(Node(monitor_db::kRes640x480, 0, 0, 0, block), &mode), 1);
  EXPECT_EQ(mode.width, 640u);
  EXPECT_EQ(mode.height, 480u);
  EXPECT_EQ(mode.interlaced, 0u);
  EXPECT_EQ(mode.depthMask, 15u);
  EXPECT_EQ(mode.zoomMask, 7u);
  EXPECT_EQ(mode.timing.H_OVERSCAN, 0);
  EXPECT_EQ(mode.timing.V_OVERSCAN, 0);
  EXPECT_EQ(mode.timing.OVERSCAN_ENABLE, 0);
  EXPECT_EQ(mode.timing.INTERLACE_ENABLE, 0);

  ASSERT_EQ(BuildModeEntry(Node(monitor_db::kRes1600x1200, 32, 4, 1, Vga()), &mode), 1);
  EXPECT_EQ(mode.width, 1600u);
  EXPECT_EQ(mode.height, 1200u);
  EXPECT_EQ(mode.interlaced, 1u);
  EXPECT_EQ(mode.timing.INTERLACE_ENABLE, 1);
  EXPECT_EQ(mode.depthMask, 8u);
  EXPECT_EQ(mode.zoomMask, 4u);

  // The television resolutions have no table size: the mode takes the timing's display area.
  ASSERT_EQ(BuildModeEntry(Node(monitor_db::kResPal, 0, 0, 1, Timing(14750, 768, 16, 64, 96, 288, 2, 3, 19)), &mode),
            1);
  EXPECT_EQ(mode.width, 768u);
  EXPECT_EQ(mode.height, 288u);
}

class BoardIdentityTest : public ModeFileTest {};

TEST_F(BoardIdentityTest, TheCurrentBoardIsTheFirstActiveOne) {
  struct Case {
    const char* name;
    std::vector<host::adapter::Board> boards;
    int found;
    WORD boardId;
    const char* boardName;
  };
  const Case cases[] = {
      {"one active board", {MakeBoard(1, 0x0301, "One")}, 1, 0x0301, "One"},
      {"the first is not active", {MakeBoard(0, 1, "Idle"), MakeBoard(5, 2, "Second"), MakeBoard(1, 3, "Third")}, 1,
       2, "Second"},
      {"only bit 0 counts", {MakeBoard(0xFFFFFFFE, 1, "Even"), MakeBoard(0x80000001u, 2, "Odd")}, 1, 2, "Odd"},
      {"a name longer than its field is cut to 31 characters",
       {MakeBoard(1, 9, std::string(40, 'L'))}, 1, 9, "LLLLLLLLLLLLLLLLLLLLLLLLLLLLLLL"},
      {"no active board", {MakeBoard(0, 1, "Idle")}, 0, 0, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    UseBoards(c.boards);
    BoardIdentity board{};
    ASSERT_EQ(CurrentBoard(&board), c.found);
    if (!c.found) continue;
    EXPECT_EQ(board.boardId, c.boardId);
    EXPECT_STREQ(board.name, c.boardName);
  }
  host::adapter::Faults noBoards;
  noBoards.noBoards = true;
  host::adapter::SetFaults(noBoards);
  BoardIdentity board{};
  EXPECT_EQ(CurrentBoard(&board), 0) << "the driver counts no board";
  EXPECT_TRUE(ActiveBoards().empty());
}

class MatchModel : public ModeFileTest {};

// The entry the writer makes for a model matches it; each row changes the entry or the model in one way.
TEST_F(MatchModel, EveryTimingNeedsAnEqualModeEntry) {
  struct Case {
    const char* name;
    std::function<void(BoardEntry&)> changeEntry;
    std::function<void(monitor_db::MonitorTiming&)> changeNode;
    int expected;
  };
  auto none = [](auto&) {};
  const Case cases[] = {
      {"as written", none, none, 1},
      {"width differs", [](BoardEntry& e) { e.modes[0].width = 800; }, none, 0},
      {"height differs", [](BoardEntry& e) { e.modes[0].height = 600; }, none, 0},
      {"interlaced differs", [](BoardEntry& e) { e.modes[0].interlaced = 1; }, none, 0},
      {"a timing field differs", [](BoardEntry& e) { e.modes[0].timing.V_BPORCH += 1; }, none, 0},
      {"the entry has an overscan", [](BoardEntry& e) { e.modes[0].timing.H_OVERSCAN = 2; }, none, 0},
      {"refresh and line rate are not compared", [](BoardEntry& e) { e.modes[0].refresh = e.modes[0].lineRate = 1; },
       none, 1},
      {"depth 8 needs bit 0", [](BoardEntry& e) { e.modes[0].depthMask = 14; }, none, 0},
      {"depth 8 in a wider mask", [](BoardEntry& e) { e.modes[0].depthMask = 3; }, none, 1},
      {"zoom 1 needs bit 0", [](BoardEntry& e) { e.modes[0].zoomMask = 6; }, none, 0},
      {"the node's overscans are written as 0", none, [](monitor_db::MonitorTiming& n) { n.block.V_OVERSCAN = 9; }, 1},
      {"the node's interlace enable is written from its marking", none,
       [](monitor_db::MonitorTiming& n) { n.block.INTERLACE_ENABLE = 1; }, 1},
      {"the node's marking differs from the entry", none, [](monitor_db::MonitorTiming& n) { n.interlaced = 1; }, 0},
      {"no entry for the second timing", [](BoardEntry& e) { e.modes.pop_back(); }, none, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    monitor_db::FreeMonitorTree(&tree_);
    monitor_db::MonitorModel* model =
        AddModel("Acme", "Pro 17", 7,
                 {{monitor_db::kRes640x480, 8, 1, 0, Vga()}, {monitor_db::kRes800x600, 0, 0, 0, Svga()}});
    FreeBoardEntries(&list_);
    ASSERT_EQ(WriteModelToModeFile(&list_, kPath, tree_, 7), 1);
    BoardEntry entry = list_[0];
    c.changeEntry(entry);
    c.changeNode(*model->newest);
    EXPECT_EQ(MatchesModel(model, entry), c.expected);
  }
}

TEST_F(MatchModel, UnboundDepthAndZoomNeedEveryDepthAndZoomOne) {
  struct Case {
    DWORD depthMask, zoomMask;
    int expected;
  };
  const Case cases[] = {{15, 7, 1}, {15, 1, 1}, {0xFF, 0xFFF9, 1}, {7, 7, 0}, {14, 7, 0}, {15, 6, 0}, {15, 0, 0}};
  monitor_db::MonitorModel* model = AddModel("Acme", "Any", 5, {{monitor_db::kRes640x480, 0, 0, 0, Vga()}});
  ASSERT_EQ(WriteModelToModeFile(&list_, kPath, tree_, 5), 1);
  EXPECT_EQ(list_[0].modes[0].depthMask, 15u);
  EXPECT_EQ(list_[0].modes[0].zoomMask, 7u);
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "depth mask " << c.depthMask << " zoom mask " << c.zoomMask);
    BoardEntry entry = list_[0];
    entry.modes[0].depthMask = c.depthMask;
    entry.modes[0].zoomMask = c.zoomMask;
    EXPECT_EQ(MatchesModel(model, entry), c.expected);
  }
}

TEST_F(MatchModel, BoundZoomsNeedTheirOwnBit) {
  struct Case {
    DWORD zoom, zoomMask;
    int expected;
  };
  const Case cases[] = {{2, 2, 1}, {2, 1, 0}, {2, 7, 1}, {4, 4, 1}, {4, 3, 0}, {1, 1, 1}, {1, 2, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "zoom " << c.zoom << " mask " << c.zoomMask);
    monitor_db::FreeMonitorTree(&tree_);
    monitor_db::MonitorModel* model = AddModel("Acme", "Zoomed", 5, {{monitor_db::kRes1024x768, 16, c.zoom, 0, Vga()}});
    BoardEntry entry{};
    ModeEntry mode{};
    ASSERT_EQ(BuildModeEntry(*model->newest, &mode), 1);
    mode.zoomMask = c.zoomMask;
    entry.modes.push_back(mode);
    EXPECT_EQ(MatchesModel(model, entry), c.expected);
  }
}

TEST_F(MatchModel, AModelMatchesTheFileWrittenFromItAfterReadingItBack) {
  TimingBlock withOverscan = Svga();
  withOverscan.H_OVERSCAN = 16;
  withOverscan.OVERSCAN_ENABLE = 1;
  withOverscan.INTERLACE_ENABLE = 1;
  monitor_db::MonitorModel* model = AddModel(
      "Acme", "Mixed", 5,
      {{monitor_db::kRes640x480, 0, 0, 1, Vga()}, {monitor_db::kRes800x600, 24, 2, 0, withOverscan},
       {monitor_db::kResNtsc, 0, 0, 1, Timing(14318, 640, 16, 64, 60, 240, 3, 3, 16)}});
  ASSERT_EQ(WriteModelToModeFile(&list_, kPath, tree_, 5), 1);
  BoardEntryList read;
  ASSERT_EQ(ReadModeFile(kPath, &read), 1);
  EXPECT_EQ(MatchesModel(model, read[0]), 1);
  monitor_db::MonitorModel* other = AddModel("Acme", "Other", 6, {{monitor_db::kRes640x480, 0, 0, 0, Vga(25200)}});
  EXPECT_EQ(MatchesModel(other, read[0]), 0);
}

}  // namespace
}  // namespace mode_file::testing
