// The OVX.MON we ship, and the report tool reading it and its cache.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "monitor_db_report.h"
#include "test_support.h"

namespace monitor_db {
namespace {

std::string HostFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

const std::string kShippedPath = std::string(OVX_DATA_DIR) + "/OVX.MON";

class ShippedDatabase : public testing::MonitorDbTest {
 protected:
  void SetUp() override {
    MonitorDbTest::SetUp();
    WriteMon(HostFile(kShippedPath));
  }
};

TEST_F(ShippedDatabase, ReadsWithoutAnyNotice) {
  std::vector<std::string> notices;
  MonitorReadProgress progress{nullptr, nullptr,
                               [](void* c, const char* text) { static_cast<std::vector<std::string>*>(c)->push_back(text); },
                               &notices};
  ASSERT_EQ(ReadMonitorText(kMonPath, &tree_, &progress), 1) << LastMonitorDbProblem();
  EXPECT_EQ(notices, std::vector<std::string>{});
  EXPECT_EQ(CurrentSeparatorMode(), SeparatorMode::kDot);
  MonitorManufacturer* standard = nullptr;
  MonitorModel* vga = nullptr;
  ASSERT_EQ(FindModelByNames(tree_, kStandardManufacturer, "Standard VGA 640x480", &standard, &vga), 1);
  EXPECT_EQ(standard, tree_);  // "(" sorts before letters
  EXPECT_GE(CountModels(standard), 8);
  EXPECT_GE(CountManufacturers(tree_), 7);
  int models = 0;
  for (MonitorManufacturer* m = tree_; m; m = m->next) models += CountModels(m);
  EXPECT_GE(models, 36);
}

TEST_F(ShippedDatabase, EveryTimingIsAPlausibleStandardTiming) {
  ASSERT_EQ(ReadMonitorText(kMonPath, &tree_), 1) << LastMonitorDbProblem();
  for (MonitorManufacturer* m = tree_; m; m = m->next)
    for (MonitorModel* model = m->models; model; model = model->next)
      for (MonitorTiming* t = model->newest; t; t = t->older) {
        SCOPED_TRACE(std::string(m->name) + "." + model->name);
        const TimingBlock& b = t->block;
        if (t->resolution < kResNtsc) {
          EXPECT_EQ(b.H_DISP, ResolutionWidth(t->resolution));
          EXPECT_EQ(b.V_DISP, ResolutionHeight(t->resolution));
        }
        const double hTotal = b.H_DISP + b.H_FPORCH + b.H_SYNC + b.H_BPORCH;
        const double vTotal = b.V_DISP + b.V_FPORCH + b.V_SYNC + b.V_BPORCH;
        const double frames = b.PIXEL_CLK * 1000.0 / (hTotal * vTotal) * (t->interlaced ? 2 : 1);
        EXPECT_GE(frames, 43.0);
        EXPECT_LE(frames, 101.0);
        EXPECT_EQ(b.INTERLACE_ENABLE, static_cast<LONG>(t->interlaced));
      }
}

TEST_F(ShippedDatabase, CacheRoundTrip) {
  ASSERT_EQ(ReadMonitorText(kMonPath, &tree_), 1);
  ASSERT_EQ(WriteMonitorCache(tree_, kBinPath), 1);
  MonitorManufacturer* cached = nullptr;
  ASSERT_EQ(ReadMonitorCache(&cached, kBinPath), 1) << LastMonitorDbProblem();
  ASSERT_EQ(WriteMonitorCache(cached, "C:\\MON\\AGAIN.BIN"), 1);
  EXPECT_EQ(ReadStationFile("C:\\MON\\AGAIN.BIN"), ReadStationFile(kBinPath));
  FreeMonitorTree(&cached);
}

// Runs the report tool into a string.
int Print(const std::string& path, bool json, std::string* output) {
  FILE* out = tmpfile();
  int result = monitor_db_report::PrintMonitorFile(path, json, out);
  std::fflush(out);
  std::rewind(out);
  output->clear();
  char buffer[4096];
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, out)) > 0;) output->append(buffer, n);
  std::fclose(out);
  return result;
}

class ReportTool : public ::testing::Test {
 protected:
  void SetUp() override { folder_ = std::make_unique<host::testing::TempFolder>(); }
  std::string Path(const char* name) const { return folder_->path() + "/" + name; }
  void Write(const char* name, const std::string& bytes) const { std::ofstream(Path(name), std::ios::binary) << bytes; }
  std::unique_ptr<host::testing::TempFolder> folder_;
};

TEST_F(ReportTool, TextAndJsonOfBothFilesAgree) {
  // No station is booted here: the tool boots a temporary one each time.
  ASSERT_FALSE(host::IsStationBooted());
  std::string text, json, binText, binJson;
  ASSERT_EQ(Print(kShippedPath, false, &text), 0) << text;
  EXPECT_NE(text.find("format: OVX.MON (dot mode)\n"), std::string::npos);
  EXPECT_NE(text.find("manufacturer \"(Standard monitor types)\""), std::string::npos);
  EXPECT_NE(text.find("    1024X768  depth 0  zoom 0 NI  PIXEL_CLK=65000 H_DISP=1024 H_FPORCH=24 H_SYNC=136 H_BPORCH=160"),
            std::string::npos);
  EXPECT_NE(text.find("notes: none\nproblems: none\n"), std::string::npos);
  ASSERT_EQ(Print(kShippedPath, true, &json), 0);
  const auto doc = nlohmann::json::parse(json);
  EXPECT_EQ(doc["format"], "OVX.MON");
  EXPECT_EQ(doc["separator"], "dot");
  EXPECT_EQ(doc["ok"], true);
  EXPECT_TRUE(doc["problem"].is_null());

  ASSERT_EQ(monitor_db_report::WriteCacheCommand(kShippedPath, Path("OVX.BIN")), 0);
  ASSERT_FALSE(host::IsStationBooted());
  ASSERT_EQ(Print(Path("OVX.BIN"), true, &binJson), 0) << binJson;
  const auto bin = nlohmann::json::parse(binJson);
  EXPECT_EQ(bin["format"], "OVX.BIN");
  EXPECT_EQ(bin["counts"], doc["counts"]);
  EXPECT_EQ(bin["manufacturers"], doc["manufacturers"]);
  EXPECT_GT(doc["counts"]["timings"].get<int>(), 100);
}

TEST_F(ReportTool, AFailedReadSaysWhereItStopped) {
  Write("BAD.MON", testing::CrLf({"[Acme.Pro]", "640X480 = NI, *Missing", ""}));
  std::string text;
  EXPECT_EQ(Print(Path("BAD.MON"), false, &text), 1);
  EXPECT_NE(text.find("problems:\n  the read stopped: timing section \"*Missing\" (key \"640X480\" of section \"Acme.Pro\") "
                      "is missing\n"),
            std::string::npos)
      << text;

  // A cache whose first record holds depth 12.
  ASSERT_EQ(monitor_db_report::WriteCacheCommand(kShippedPath, Path("OVX.BIN")), 0);
  std::string bytes = HostFile(Path("OVX.BIN"));
  bytes[40 + 84 + 132 + 4] = 12;
  Write("DAMAGED.BIN", bytes);
  EXPECT_EQ(Print(Path("DAMAGED.BIN"), false, &text), 1);
  EXPECT_NE(text.find("timing record 1 of model"), std::string::npos) << text;
  EXPECT_NE(text.find("depth 12"), std::string::npos) << text;

  // A damaged signature is still told apart from a text.
  bytes[0] = 'X';
  Write("SIGNATURE.BIN", bytes);
  EXPECT_EQ(Print(Path("SIGNATURE.BIN"), false, &text), 1);
  EXPECT_NE(text.find("format: OVX.BIN"), std::string::npos) << text;
  EXPECT_EQ(Print(Path("MISSING.MON"), false, &text), 2);
}

TEST_F(ReportTool, IgnoredSectionsAndANulAreNoted) {
  Write("NOTES.MON", testing::CrLf({"[Acme.Pro]", "[Generic 15]", ""}) + std::string(1, '\0') + "[Acme.Lost]\r\n");
  std::string text;
  EXPECT_EQ(Print(Path("NOTES.MON"), false, &text), 0);
  EXPECT_NE(text.find("  section \"Generic 15\" ignored: no full stop (dot mode)\n"), std::string::npos) << text;
  EXPECT_NE(text.find("NUL byte at offset 26"), std::string::npos) << text;
}

TEST_F(ShippedDatabase, SummaryForTheTour) {
  const auto summary = monitor_db_report::SummarizeMonitorFile(kMonPath);
  EXPECT_TRUE(summary.ok) << summary.problem;
  EXPECT_EQ(summary.format, "OVX.MON");
  EXPECT_GE(summary.manufacturers, 7);
  EXPECT_GE(summary.models, 36);
}

}  // namespace
}  // namespace monitor_db
