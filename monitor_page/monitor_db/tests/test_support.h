// Shared helpers of the monitor database tests.
#pragma once

#include <host_testing/station_fixture.h>
#include <windows.h>

#include <string>
#include <vector>

#include "monitor_db/monitor_db.h"

namespace monitor_db::testing {

// A name list ("a\0b\0\0") as a vector.
inline std::vector<std::string> SplitNameList(const char* list) {
  std::vector<std::string> names;
  for (const char* p = list; *p; p += strlen(p) + 1) names.emplace_back(p);
  return names;
}

// Lines joined with CR LF, the way OVX.MON is written.
inline std::string CrLf(std::initializer_list<std::string> lines) {
  std::string text;
  bool first = true;
  for (const std::string& line : lines) {
    if (!first) text += "\r\n";
    text += line;
    first = false;
  }
  return text;
}

// A timing section with the twelve keys, the values given in writer order
// (PIXEL_CLK, H_DISP, H_FPORCH, H_SYNC, H_BPORCH, H_SYNC_POL, V_DISP,
// V_FPORCH, V_SYNC, V_BPORCH, V_SYNC_POL, INTERLACE_ENABLE).
inline std::string TimingSection(const std::string& name, std::vector<long long> v) {
  static const char* const kKeys[] = {"PIXEL_CLK", "H_DISP",   "H_FPORCH", "H_SYNC",     "H_BPORCH", "H_SYNC_POL",
                                      "V_DISP",    "V_FPORCH", "V_SYNC",   "V_BPORCH",   "V_SYNC_POL",
                                      "INTERLACE_ENABLE"};
  std::string text = "[" + name + "]\r\n";
  for (size_t i = 0; i < 12; ++i) text += std::string(kKeys[i]) + " = " + std::to_string(v[i]) + "\r\n";
  return text;
}

// A station with the monitor folder the page uses, and the separator mode
// of a fresh page.
class MonitorDbTest : public host::testing::StationTest {
 protected:
  static constexpr const char* kFolder = "C:\\MON";
  static constexpr const char* kMonPath = "C:\\MON\\OVX.MON";
  static constexpr const char* kBinPath = "C:\\MON\\OVX.BIN";
  void SetUp() override {
    StationTest::SetUp();
    ResetSeparatorMode();
    CreateDirectoryA(kFolder, nullptr);
  }
  void TearDown() override {
    FreeMonitorTree(&tree_);
    ResetSeparatorMode();
    StationTest::TearDown();
  }
  void WriteMon(const std::string& text) const { WriteStationFile(kMonPath, text); }
  std::string ReadMon() const { return ReadStationFile(kMonPath); }
  int ReadTree(const std::string& text) {
    WriteMon(text);
    FreeMonitorTree(&tree_);
    return ReadMonitorText(kMonPath, &tree_);
  }
  MonitorManufacturer* tree_ = nullptr;
};

}  // namespace monitor_db::testing
