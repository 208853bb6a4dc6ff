// Shared pieces of the mode file tests: a station with boards configured on its adapter, a monitor tree built in
// code, and an independent little-endian builder for expected and hand-made files.
#pragma once

#include <gtest/gtest.h>
#include <host/adapter.h>
#include <host_testing/station_fixture.h>
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "mode_file/mode_file.h"

namespace mode_file::testing {

// Bytes in file order.
class Bytes {
 public:
  Bytes& U16(unsigned value) {
    bytes_ += static_cast<char>(value & 0xFF);
    bytes_ += static_cast<char>((value >> 8) & 0xFF);
    return *this;
  }
  Bytes& U32(unsigned value) { return U16(value & 0xFFFF).U16(value >> 16); }
  // A text in a field of `size` bytes, the rest zero.
  Bytes& Text(const std::string& text, size_t size) {
    std::string field = text.substr(0, size);
    field.resize(size, '\0');
    bytes_ += field;
    return *this;
  }
  Bytes& Raw(const std::string& raw) {
    bytes_ += raw;
    return *this;
  }
  size_t size() const { return bytes_.size(); }
  const std::string& str() const { return bytes_; }

 private:
  std::string bytes_;
};

inline Bytes Header(unsigned slot0, unsigned slot1, unsigned slot2, unsigned slot3,
                    const std::string& signature = "Orvane OVX INF file", unsigned version = 200) {
  Bytes b;
  b.Text(signature, 32).U16(version).U16(0).U32(0).U16(slot0).U16(slot1).U16(slot2).U16(slot3);
  return b;
}

inline Bytes BoardRecord(unsigned boardId, const std::string& boardName, const std::string& monitorName,
                         unsigned count, unsigned modeOffset, unsigned reserved = 0) {
  Bytes b;
  b.U16(boardId).U16(0).Text(boardName, 32).Text(monitorName, 64).U32(reserved).U16(count).U16(modeOffset);
  return b;
}

// The fifteen timing fields of a mode record: the clock in 32 bits, the rest in 16.
inline Bytes ModeRecord(unsigned width, unsigned height, unsigned interlaced, unsigned refresh, unsigned lineRate,
                        unsigned depthMask, unsigned zoomMask, const std::vector<unsigned>& timing) {
  Bytes b;
  b.U16(width).U16(height).U16(interlaced).U16(refresh).U16(lineRate).U16(depthMask).U16(zoomMask).U16(0);
  b.U32(timing.at(0));
  for (size_t i = 1; i < 15; ++i) b.U16(timing.at(i));
  return b;
}

inline TimingBlock Timing(LONG clock, LONG hDisp, LONG hfp, LONG hsync, LONG hbp, LONG vDisp, LONG vfp, LONG vsync,
                          LONG vbp, LONG hPol = 1, LONG vPol = 0) {
  TimingBlock t{};
  t.PIXEL_CLK = clock;
  t.H_DISP = hDisp;
  t.H_FPORCH = hfp;
  t.H_SYNC = hsync;
  t.H_BPORCH = hbp;
  t.V_DISP = vDisp;
  t.V_FPORCH = vfp;
  t.V_SYNC = vsync;
  t.V_BPORCH = vbp;
  t.H_SYNC_POL = hPol;
  t.V_SYNC_POL = vPol;
  return t;
}

inline TimingBlock Vga(LONG clock = 25175) { return Timing(clock, 640, 16, 96, 48, 480, 10, 2, 33); }
inline TimingBlock Svga() { return Timing(40000, 800, 40, 128, 88, 600, 1, 4, 23, 0, 0); }

struct NodeSpec {
  LONG resolution;
  DWORD depth;
  DWORD zoom;
  DWORD interlaced;
  TimingBlock block;
};

class ModeFileTest : public host::testing::StationTest {
 protected:
  static constexpr const char* kFolder = "C:\\MON";
  static constexpr const char* kPath = "C:\\MON\\OVX.INF";
  static constexpr WORD kBoardId = 0x0301;
  static constexpr const char* kBoardName = "Orvane OVX 4000";

  void SetUp() override {
    StationTest::SetUp();
    CreateDirectoryA(kFolder, nullptr);
  }
  void TearDown() override {
    monitor_db::FreeMonitorTree(&tree_);
    FreeBoardEntries(&list_);
    StationTest::TearDown();
  }

  static host::adapter::Board MakeBoard(DWORD flags, WORD boardId, const std::string& name) {
    host::adapter::Board board;
    board.flags = flags;
    board.boardId = boardId;
    board.name = name;
    return board;
  }
  static void UseBoards(const std::vector<host::adapter::Board>& boards) {
    host::adapter::Config config = host::adapter::CurrentConfig();
    config.boards = boards;
    std::string error;
    ASSERT_TRUE(host::adapter::Configure(config, &error)) << error;
  }

  // A model appended to its manufacturer (created at the end of the list when new); nodes in timing order.
  monitor_db::MonitorModel* AddModel(const std::string& manufacturer, const std::string& name, DWORD handle,
                                     const std::vector<NodeSpec>& nodes) {
    monitor_db::MonitorManufacturer* maker = tree_;
    monitor_db::MonitorManufacturer* last = nullptr;
    for (; maker && manufacturer != maker->name; maker = maker->next) last = maker;
    if (!maker) {
      maker = monitor_db::NewManufacturer(manufacturer.c_str());
      maker->prev = last;
      (last ? last->next : tree_) = maker;
    }
    monitor_db::MonitorModel* model = monitor_db::NewModel(name.c_str());
    model->displayHandle = handle;
    model->next = maker->models;
    if (maker->models) maker->models->prev = model;
    maker->models = model;
    for (const NodeSpec& spec : nodes) {
      monitor_db::MonitorTiming* node = monitor_db::NewTiming();
      node->resolution = spec.resolution;
      node->depth = spec.depth;
      node->zoom = spec.zoom;
      node->interlaced = spec.interlaced;
      node->block = spec.block;
      monitor_db::AppendOldestTiming(model, node);
    }
    return model;
  }

  std::string FileBytes() const { return ReadStationFile(kPath); }
  void WriteFileBytes(const std::string& bytes) const { WriteStationFile(kPath, bytes); }
  bool FileExists(const std::string& path) const { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

  monitor_db::MonitorManufacturer* tree_ = nullptr;
  BoardEntryList list_;
};

}  // namespace mode_file::testing
