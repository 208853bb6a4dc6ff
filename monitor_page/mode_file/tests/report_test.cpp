// Writing OVX.INF for a model and printing what a mode file holds, run inside the test's station on host files.
#include "mode_file_report.h"

#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "mode_file_fixture.h"

namespace mode_file::testing {
namespace {

std::string ReadHost(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream data;
  data << in.rdbuf();
  return data.str();
}

void WriteHost(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

// Runs a command with its output captured.
template <class Command>
std::pair<int, std::string> Captured(Command command) {
  FILE* capture = std::tmpfile();
  const int result = command(capture);
  std::rewind(capture);
  std::string text;
  char buffer[4096];
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, capture)) > 0;) text.append(buffer, n);
  std::fclose(capture);
  return {result, text};
}

class ModeFileCommand : public ModeFileTest {
 protected:
  std::string HostFile(const std::string& name) const { return root() + "/" + name; }
  std::pair<int, std::string> Write(const std::string& database, const std::string& maker, const std::string& model,
                                    const std::string& out) {
    return Captured([&](FILE* err) { return mode_file_report::WriteModeFileCommand(database, maker, model, out, err); });
  }
  std::pair<int, std::string> Print(const std::string& path, bool json) {
    return Captured([&](FILE* out) { return mode_file_report::PrintModeFile(path, json, out); });
  }
  // The host file read back through ReadModeFile in the station.
  BoardEntryList ReadBack(const std::string& hostPath) {
    WriteFileBytes(ReadHost(hostPath));
    BoardEntryList read;
    EXPECT_EQ(ReadModeFile(kPath, &read), 1) << LastModeFileProblem();
    return read;
  }
  const std::string shipped_ = std::string(OVX_DATA_DIR) + "/OVX.MON";
};

TEST_F(ModeFileCommand, WritesAShippedModelAndPrintsIt) {
  const std::string out = HostFile("OVX.INF");
  auto [result, messages] = Write(shipped_, "(Standard monitor types)", "Super VGA 800x600", out);
  ASSERT_EQ(result, 0) << messages;
  const BoardEntryList read = ReadBack(out);
  ASSERT_EQ(read.size(), 1u);
  EXPECT_STREQ(read[0].monitorName, "(Standard monitor types).Super VGA 800x600");
  EXPECT_EQ(read[0].modes.size(), 2u);

  auto [textResult, text] = Print(out, false);
  EXPECT_EQ(textResult, 0) << text;
  EXPECT_NE(text.find("header: signature \"Orvane OVX INF file\", version 200, board records at 48 - - -"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("slot 0 at 48: board 0x0301 \"Orvane OVX 4000\""), std::string::npos) << text;
  EXPECT_NE(text.find("mode 1 at 204: 640x480"), std::string::npos) << text;

  auto [jsonResult, json] = Print(out, true);
  EXPECT_EQ(jsonResult, 0);
  const nlohmann::json doc = nlohmann::json::parse(json);
  EXPECT_EQ(doc["header"]["boardRecordOffsets"][0], 48);
  EXPECT_TRUE(doc["header"]["boardRecordOffsets"][1].is_null());
  const auto& mode = doc["boards"][0]["modes"][0];
  EXPECT_EQ(mode["width"], 800);
  EXPECT_EQ(mode["H_DISP"], 800);
  for (const char* field : {"height", "interlaced", "refresh", "lineRate", "depthMask", "zoomMask", "reserved",
                            "PIXEL_CLK", "V_SYNC_POL"})
    EXPECT_TRUE(mode.contains(field)) << field;
  EXPECT_TRUE(doc["problems"].empty());
}

TEST_F(ModeFileCommand, KeepsTheEntriesOfOtherActiveBoards) {
  UseBoards({MakeBoard(1, kBoardId, kBoardName), MakeBoard(1, 0x0444, "Other")});
  Bytes previous = Header(48, 0xFFFF, 0xFFFF, 0xFFFF);
  previous.Raw(BoardRecord(0x0444, "Other", "Some.Monitor", 0, 156).str());
  const std::string out = HostFile("OVX.INF");
  WriteHost(out, previous.str());
  auto [result, messages] = Write(shipped_, "(Standard monitor types)", "Standard VGA 640x480", out);
  ASSERT_EQ(result, 0) << messages;
  const BoardEntryList read = ReadBack(out);
  ASSERT_EQ(read.size(), 2u);
  EXPECT_STREQ(read[0].monitorName, "Some.Monitor");
  EXPECT_STREQ(read[1].boardName, kBoardName);
}

TEST_F(ModeFileCommand, RefusesUnknownModelsAndModelsWithoutTimingsLeavingTheOutputAlone) {
  const std::string database = HostFile("blank.mon");
  WriteHost(database, "[Acme.Blank]\r\n640x480 = nothing here\r\n");
  const std::string out = HostFile("OVX.INF");
  WriteHost(out, "previous bytes");
  struct Case {
    const char* name;
    std::string database, maker, model, message;
  };
  const Case cases[] = {
      {"unknown model", shipped_, "(Standard monitor types)", "No Such Model", "has no model \"No Such Model\""},
      {"unknown manufacturer", shipped_, "Nobody", "Standard VGA 640x480", "of manufacturer \"Nobody\""},
      {"model without timings", database, "Acme", "Blank", "has no timings"},
      {"missing database", HostFile("missing.mon"), "Acme", "Blank", "cannot read"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto [result, messages] = Write(c.database, c.maker, c.model, out);
    EXPECT_EQ(result, 1);
    EXPECT_NE(messages.find(c.message), std::string::npos) << messages;
    EXPECT_EQ(ReadHost(out), "previous bytes");
  }
}

TEST_F(ModeFileCommand, PrintingReportsWhereAFileIsDamaged) {
  Bytes file = Header(48, 0xFFFF, 0xFFFF, 0xFFFF, "Orvane OVX INF file", 201);
  file.Raw(BoardRecord(kBoardId, kBoardName, "A.B", 2, 156).str());
  file.Raw(ModeRecord(640, 480, 0, 59, 31, 1, 1, {25175, 640, 16, 96, 48, 0, 480, 10, 2, 33, 0, 0, 0, 1, 0}).str());
  const std::string path = HostFile("damaged.inf");
  WriteHost(path, file.str());
  auto [result, text] = Print(path, false);
  EXPECT_EQ(result, 1);
  EXPECT_NE(text.find("problem: format version 201, not 200"), std::string::npos) << text;
  EXPECT_NE(text.find("problem: slot 0: mode record 1 at 204 runs past the end of the file"), std::string::npos)
      << text;
  EXPECT_EQ(Print(HostFile("missing.inf"), false).first, 2);
  EXPECT_TRUE(mode_file_report::LooksLikeModeFile(file.str()));
  EXPECT_FALSE(mode_file_report::LooksLikeModeFile("OVT Encoded Monitor List"));
}

}  // namespace
}  // namespace mode_file::testing
