// Reading OVX.INF: damaged files give 0 with nothing kept and the file unchanged; records are kept only for
// active boards, in slot order.
#include <gtest/gtest.h>

#include "mode_file_fixture.h"

namespace mode_file::testing {
namespace {

const std::vector<unsigned> kVgaFields = {25175, 640, 16, 96, 48, 0, 480, 10, 2, 33, 0, 0, 0, 1, 0};

// One record for the default board with one mode, the layout the writer makes.
std::string OneBoardFile(const std::string& signature = "Orvane OVX INF file", unsigned version = 200) {
  Bytes b = Header(48, 0xFFFF, 0xFFFF, 0xFFFF, signature, version);
  b.Raw(BoardRecord(0x0301, "Orvane OVX 4000", "Acme.Pro 17", 1, 156).str());
  b.Raw(ModeRecord(640, 480, 0, 59, 31, 1, 1, kVgaFields).str());
  return b.str();
}

class ModeFileRead : public ModeFileTest {};

TEST_F(ModeFileRead, DamagedOrForeignFilesReadAsNoEntry) {
  const std::string good = OneBoardFile();
  struct Case {
    const char* name;
    std::string bytes;
    int expected;
  };
  const Case cases[] = {
      {"the file as written", good, 1},
      {"signature in other letter case", OneBoardFile("ORVANE ovx inf FILE"), 1},
      {"signature with bytes after its NUL", OneBoardFile(std::string("Orvane OVX INF file\0junk", 24)), 1},
      {"empty file", "", 0},
      {"header one byte short", good.substr(0, 47), 0},
      {"another signature", OneBoardFile("Orvane OVX INF fil"), 0},
      {"signature filling its field without a NUL", OneBoardFile(std::string(32, 'O')), 0},
      {"version 201", OneBoardFile("Orvane OVX INF file", 201), 0},
      {"version 199", OneBoardFile("Orvane OVX INF file", 199), 0},
      {"board record cut short", good.substr(0, 48 + 100), 0},
      {"mode record cut short", good.substr(0, good.size() - 1), 0},
      {"slot offset past the end", Header(4000, 0xFFFF, 0xFFFF, 0xFFFF).str() + good.substr(48), 0},
      {"mode offset past the end",
       Header(48, 0xFFFF, 0xFFFF, 0xFFFF).str() +
           BoardRecord(0x0301, "Orvane OVX 4000", "Acme.Pro 17", 1, 0xFFFF).str() + good.substr(156),
       0},
      {"mode count past the end",
       Header(48, 0xFFFF, 0xFFFF, 0xFFFF).str() +
           BoardRecord(0x0301, "Orvane OVX 4000", "Acme.Pro 17", 0xFFFF, 156).str() + good.substr(156),
       0},
      {"every slot empty", Header(0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF).str(), 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteFileBytes(c.bytes);
    list_.push_back(BoardEntry{});  // whatever the list held is replaced
    EXPECT_EQ(ReadModeFile(kPath, &list_), c.expected) << LastModeFileProblem();
    EXPECT_EQ(list_.size(), static_cast<size_t>(c.expected));
    if (c.expected == 0) {
      EXPECT_STRNE(LastModeFileProblem(), "");
    }
    EXPECT_EQ(FileBytes(), c.bytes) << "reading never changes the file";
  }
}

TEST_F(ModeFileRead, AMissingFileReadsAsNoEntry) {
  list_.push_back(BoardEntry{});
  EXPECT_EQ(ReadModeFile(kPath, &list_), 0);
  EXPECT_TRUE(list_.empty());
  EXPECT_EQ(ReadModeFile("", &list_), 0);
}

TEST_F(ModeFileRead, ARecordReadsIntoItsEntryWithEveryField) {
  Bytes b = Header(48, 0xFFFF, 0xFFFF, 0xFFFF);
  b.Raw(BoardRecord(0x0301, std::string("Orvane OVX 4000\0xx", 18), "Acme.Pro 17", 1, 156, 0xCAFE).str());
  b.Raw(ModeRecord(0xFFFF, 480, 5, 59, 31, 0x8001, 0xFFFF,
                   {0x80000001u, 640, 16, 96, 48, 3, 480, 10, 2, 33, 4, 1, 1, 0xFFFF, 1})
            .str());
  WriteFileBytes(b.str());
  ASSERT_EQ(ReadModeFile(kPath, &list_), 1) << LastModeFileProblem();
  const BoardEntry& entry = list_.at(0);
  EXPECT_EQ(entry.boardId, 0x0301);
  EXPECT_STREQ(entry.boardName, "Orvane OVX 4000");
  EXPECT_STREQ(entry.monitorName, "Acme.Pro 17");
  EXPECT_EQ(entry.reserved, 0xCAFEu);
  const ModeEntry& mode = entry.modes.at(0);
  EXPECT_EQ(mode.width, 0xFFFFu) << "16-bit words are unsigned";
  EXPECT_EQ(mode.interlaced, 1u) << "the interlaced word is reduced to 1 or 0";
  EXPECT_EQ(mode.depthMask, 0x8001u);
  EXPECT_EQ(mode.zoomMask, 0xFFFFu);
  EXPECT_EQ(static_cast<DWORD>(mode.timing.PIXEL_CLK), 0x80000001u);
  EXPECT_EQ(mode.timing.H_OVERSCAN, 3);
  EXPECT_EQ(mode.timing.V_OVERSCAN, 4);
  EXPECT_EQ(mode.timing.OVERSCAN_ENABLE, 1);
  EXPECT_EQ(mode.timing.H_SYNC_POL, 0xFFFF);
}

TEST_F(ModeFileRead, RecordsInSlotsZeroAndTwoReadInSlotOrder) {
  UseBoards({MakeBoard(1, 0x0002, "Second board"), MakeBoard(1, 0x0001, "First board")});
  Bytes b = Header(264, 0xFFFF, 48, 0xFFFF);  // slot 0 holds the record written later in the file
  b.Raw(BoardRecord(0x0002, "Second board", "B.Two", 0, 156).str());
  b.Raw(BoardRecord(0x0001, "Orphan", "X.Y", 0, 156).str());  // at 156, no slot refers to it
  b.Raw(BoardRecord(0x0001, "First board", "A.One", 1, 372).str());
  b.Raw(ModeRecord(640, 480, 0, 59, 31, 15, 7, kVgaFields).str());
  WriteFileBytes(b.str());
  ASSERT_EQ(ReadModeFile(kPath, &list_), 1) << LastModeFileProblem();
  ASSERT_EQ(list_.size(), 2u);
  EXPECT_STREQ(list_[0].monitorName, "A.One");
  EXPECT_EQ(list_[0].modes.size(), 1u);
  EXPECT_STREQ(list_[1].monitorName, "B.Two");
  EXPECT_TRUE(list_[1].modes.empty());
}

TEST_F(ModeFileRead, OnlyRecordsOfActiveBoardsWithTheExactNameAreKept) {
  UseBoards({MakeBoard(1, 0x0010, "Active"), MakeBoard(0, 0x0020, "Inactive"), MakeBoard(3, 0x0030, "Flags3"),
             MakeBoard(2, 0x0040, "Flags2")});
  struct Case {
    const char* name;
    unsigned boardId;
    std::string boardName;
    bool kept;
  };
  const Case cases[] = {
      {"active board", 0x0010, "Active", true},
      {"board that is not active", 0x0020, "Inactive", false},
      {"flags 3: bit 0 set", 0x0030, "Flags3", true},
      {"flags 2: bit 0 clear", 0x0040, "Flags2", false},
      {"name differs only in letter case", 0x0010, "ACTIVE", false},
      {"identifier differs", 0x0011, "Active", false},
      {"no such board", 0x0050, "Missing", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes b = Header(48, 0xFFFF, 0xFFFF, 0xFFFF);
    b.Raw(BoardRecord(c.boardId, c.boardName, "A.B", 1, 156).str());
    b.Raw(ModeRecord(640, 480, 0, 59, 31, 15, 7, kVgaFields).str());
    WriteFileBytes(b.str());
    EXPECT_EQ(ReadModeFile(kPath, &list_), c.kept ? 1 : 0);
    EXPECT_EQ(list_.size(), c.kept ? 1u : 0u);
  }
}

TEST_F(ModeFileRead, ASkippedRecordIsNotFollowedToItsModes) {
  // The inactive board's mode offset points past the end; skipping the record is not an error.
  UseBoards({MakeBoard(1, 0x0010, "Active"), MakeBoard(0, 0x0020, "Inactive")});
  Bytes b = Header(48, 156, 0xFFFF, 0xFFFF);
  b.Raw(BoardRecord(0x0020, "Inactive", "A.B", 9, 60000).str());
  b.Raw(BoardRecord(0x0010, "Active", "C.D", 1, 264).str());
  b.Raw(ModeRecord(640, 480, 0, 59, 31, 15, 7, kVgaFields).str());
  WriteFileBytes(b.str());
  ASSERT_EQ(ReadModeFile(kPath, &list_), 1) << LastModeFileProblem();
  ASSERT_EQ(list_.size(), 1u);
  EXPECT_STREQ(list_[0].monitorName, "C.D");
}

TEST_F(ModeFileRead, ALaterDamagedSlotDropsWhatWasReadBefore) {
  Bytes b = Header(48, 5000, 0xFFFF, 0xFFFF);
  b.Raw(BoardRecord(0x0301, "Orvane OVX 4000", "Acme.Pro 17", 0, 156).str());
  WriteFileBytes(b.str());
  EXPECT_EQ(ReadModeFile(kPath, &list_), 0);
  EXPECT_TRUE(list_.empty());
}

TEST_F(ModeFileRead, ANameFillingItsWholeFieldIsCutAndTerminated) {
  const std::string longName(64, 'n');
  Bytes b = Header(48, 0xFFFF, 0xFFFF, 0xFFFF);
  b.Raw(BoardRecord(0x0301, "Orvane OVX 4000", longName, 0, 156).str());
  WriteFileBytes(b.str());
  ASSERT_EQ(ReadModeFile(kPath, &list_), 1);
  EXPECT_EQ(std::string(list_[0].monitorName), longName.substr(0, 63));
}

}  // namespace
}  // namespace mode_file::testing
