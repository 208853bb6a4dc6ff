// Writing OVX.INF: the exact layout, which board entries survive, and failures that must leave everything as it was.
#include <gtest/gtest.h>

#include "mode_file_fixture.h"

namespace mode_file::testing {
namespace {

class ModeFileWrite : public ModeFileTest {
 protected:
  // The two-timing model of the layout example: 640 x 480 at 8 bpp zoom 1, then 800 x 600 without depth or zoom.
  monitor_db::MonitorModel* AddExampleModel(DWORD handle = 7) {
    return AddModel("Acme", "Pro 17", handle,
                    {{monitor_db::kRes640x480, 8, 1, 0, Vga()}, {monitor_db::kRes800x600, 0, 0, 0, Svga()}});
  }
};

TEST_F(ModeFileWrite, TheExampleFileIsExactToTheByte) {
  AddExampleModel();
  ASSERT_EQ(WriteModelToModeFile(&list_, kPath, tree_, 7), 1) << LastModeFileProblem();

  Bytes expected = Header(48, 0xFFFF, 0xFFFF, 0xFFFF);
  expected.Raw(BoardRecord(kBoardId, kBoardName, "Acme.Pro 17", 2, 156).str());
  // 25175 kHz over 800 x 525: 59 Hz and 31 kHz, both truncated.
  expected.Raw(ModeRecord(640, 480, 0, 59, 31, 1, 1, {25175, 640, 16, 96, 48, 0, 480, 10, 2, 33, 0, 0, 0, 1, 0}).str());
  // 40000 kHz over 1056 x 628: 60 Hz (60.31) and 37 kHz (37.88).
  expected.Raw(
      ModeRecord(800, 600, 0, 60, 37, 15, 7, {40000, 800, 40, 128, 88, 0, 600, 1, 4, 23, 0, 0, 0, 0, 0}).str());

  const std::string file = FileBytes();
  ASSERT_EQ(file.size(), 252u);
  EXPECT_EQ(file, expected.str());
  // The offsets the layout gives, read back from the file itself.
  auto word = [&](size_t at) { return static_cast<unsigned>(static_cast<BYTE>(file[at]) | static_cast<BYTE>(file[at + 1]) << 8); };
  EXPECT_EQ(word(40), 48u);
  EXPECT_EQ(word(152), 2u);
  EXPECT_EQ(word(154), 156u);
  EXPECT_EQ(word(156), 640u);
  EXPECT_EQ(word(204), 800u);
  EXPECT_FALSE(FileExists(std::string(kPath) + ".NEW"));
  EXPECT_FALSE(FileExists(std::string(kPath) + ".OLD"));
}

TEST_F(ModeFileWrite, AWrittenModelReadsBackAndMatches) {
  monitor_db::MonitorModel* model = AddExampleModel();
  ASSERT_EQ(WriteModelToModeFile(&list_, kPath, tree_, 7), 1);
  BoardEntryList read;
  ASSERT_EQ(ReadModeFile(kPath, &read), 1) << LastModeFileProblem();
  ASSERT_EQ(read.size(), 1u);
  EXPECT_EQ(read[0].boardId, kBoardId);
  EXPECT_STREQ(read[0].boardName, kBoardName);
  EXPECT_STREQ(read[0].monitorName, "Acme.Pro 17");
  ASSERT_EQ(read[0].modes.size(), 2u);
  EXPECT_EQ(read[0].modes[0].timing, list_[0].modes[0].timing);
  EXPECT_EQ(read[0].modes[1].timing, list_[0].modes[1].timing);
  EXPECT_EQ(MatchesModel(model, read[0]), 1);
  // Writing what was read gives the same file again.
  const std::string first = FileBytes();
  ASSERT_EQ(WriteModelToModeFile(&read, kPath, tree_, 7), 1);
  EXPECT_EQ(FileBytes(), first);
}

TEST_F(ModeFileWrite, TheCurrentBoardIsRefilledOrAppendedAndOtherActiveBoardsStay) {
  // Board 0 is not active, so the current board is board 1; boards 2 and 3 already have entries in the file.
  UseBoards({MakeBoard(0, 0x0100, "Idle"), MakeBoard(1, 0x0200, "Current"), MakeBoard(1, 0x0300, "Second"),
             MakeBoard(3, 0x0400, "Third")});
  Bytes file = Header(48, 156, 0xFFFF, 0xFFFF);
  file.Raw(BoardRecord(0x0300, "Second", "Old.One", 1, 264, 0x1234).str());
  file.Raw(BoardRecord(0x0400, "Third", "Old.Two", 0, 312).str());
  file.Raw(ModeRecord(640, 480, 0, 59, 31, 15, 7, {25175, 640, 16, 96, 48, 0, 480, 10, 2, 33, 0, 0, 0, 1, 0}).str());
  WriteFileBytes(file.str());
  ASSERT_EQ(ReadModeFile(kPath, &list_), 1) << LastModeFileProblem();
  AddExampleModel();

  ASSERT_EQ(WriteModelToModeFile(&list_, kPath, tree_, 7), 1) << LastModeFileProblem();
  BoardEntryList read;
  ASSERT_EQ(ReadModeFile(kPath, &read), 1);
  ASSERT_EQ(read.size(), 3u);
  EXPECT_STREQ(read[0].boardName, "Second");
  EXPECT_EQ(read[0].reserved, 0x1234u) << "an entry read from the file keeps its reserved word";
  EXPECT_EQ(read[0].modes.size(), 1u);
  EXPECT_STREQ(read[1].boardName, "Third");
  EXPECT_STREQ(read[2].boardName, "Current");
  EXPECT_EQ(read[2].modes.size(), 2u);

  // Writing again refills the current board's entry in its place.
  AddModel("Zed", "Wide", 9, {{monitor_db::kRes1024x768, 16, 2, 1, Timing(65000, 1024, 24, 136, 160, 768, 3, 6, 29)}});
  ASSERT_EQ(WriteModelToModeFile(&read, kPath, tree_, 9), 1);
  BoardEntryList again;
  ASSERT_EQ(ReadModeFile(kPath, &again), 1);
  ASSERT_EQ(again.size(), 3u);
  EXPECT_STREQ(again[2].monitorName, "Zed.Wide");
  ASSERT_EQ(again[2].modes.size(), 1u);
  EXPECT_EQ(again[2].modes[0].interlaced, 1u);
  EXPECT_EQ(again[2].modes[0].timing.INTERLACE_ENABLE, 1);
}

TEST_F(ModeFileWrite, EntriesOfBoardsNoLongerActiveAreDroppedOnTheNextWrite) {
  UseBoards({MakeBoard(1, kBoardId, kBoardName), MakeBoard(1, 0x0500, "Other")});
  Bytes file = Header(48, 156, 0xFFFF, 0xFFFF);
  file.Raw(BoardRecord(0x0500, "Other", "Old.One", 0, 264).str());
  file.Raw(BoardRecord(0x0600, "Gone", "Old.Two", 0, 264).str());
  WriteFileBytes(file.str());
  UseBoards({MakeBoard(1, kBoardId, kBoardName), MakeBoard(0, 0x0500, "Other")});
  EXPECT_EQ(ReadModeFile(kPath, &list_), 0) << "no record belongs to an active board";
  AddExampleModel();
  ASSERT_EQ(WriteModelToModeFile(&list_, kPath, tree_, 7), 1);
  BoardEntryList read;
  ASSERT_EQ(ReadModeFile(kPath, &read), 1);
  ASSERT_EQ(read.size(), 1u);
  EXPECT_STREQ(read[0].boardName, kBoardName);
  EXPECT_EQ(FileBytes().size(), 252u);
}

TEST_F(ModeFileWrite, TheMonitorNameAlwaysJoinsWithAFullStopAndFitsItsField) {
  const std::string longMaker(79, 'M');
  const std::string longModel(127, 'm');
  AddModel("Acme", "Pro 17 Plus", 3, {{monitor_db::kRes640x480, 0, 0, 0, Vga()}});
  AddModel(longMaker, longModel, 4, {{monitor_db::kRes640x480, 0, 0, 0, Vga()}});
  ASSERT_EQ(WriteModelToModeFile(&list_, kPath, tree_, 3), 1);
  EXPECT_STREQ(list_[0].monitorName, "Acme.Pro 17 Plus");
  ASSERT_EQ(WriteModelToModeFile(&list_, kPath, tree_, 4), 1);
  const std::string cut = (longMaker + "." + longModel).substr(0, 63);
  EXPECT_EQ(std::string(list_[0].monitorName), cut);
  // In the file the 64-byte field holds the 63 characters and the NUL; the count follows untouched.
  EXPECT_EQ(FileBytes().substr(48 + 36, 64), cut + std::string(1, '\0'));
  BoardEntryList read;
  ASSERT_EQ(ReadModeFile(kPath, &read), 1);
  EXPECT_EQ(std::string(read[0].monitorName), cut);
  EXPECT_EQ(read[0].modes.size(), 1u);
}

TEST_F(ModeFileWrite, RefusedWritesLeaveTheFileAndTheListAsTheyWere) {
  AddExampleModel();
  AddModel("Acme", "Empty", 8, {});
  TimingBlock tooWide = Vga();
  tooWide.H_FPORCH = 70000;
  AddModel("Acme", "Too wide", 10, {{monitor_db::kRes640x480, 0, 0, 0, tooWide}});
  TimingBlock negative = Vga();
  negative.V_SYNC_POL = -1;
  AddModel("Acme", "Negative", 11, {{monitor_db::kRes640x480, 0, 0, 0, negative}});
  ASSERT_EQ(WriteModelToModeFile(&list_, kPath, tree_, 7), 1);
  const std::string before = FileBytes();
  const BoardEntryList listBefore = list_;

  struct Case {
    const char* name;
    const char* path;
    DWORD model;
    bool withTree;
  };
  const Case cases[] = {
      {"unknown model", kPath, 99, true},     {"model without timings", kPath, 8, true},
      {"model identifier 0", kPath, 0, true}, {"empty path", "", 7, true},
      {"no monitor tree", kPath, 7, false},   {"H_FPORCH beyond 16 bits", kPath, 10, true},
      {"negative polarity", kPath, 11, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(WriteModelToModeFile(&list_, c.path, c.withTree ? tree_ : nullptr, c.model), 0);
    EXPECT_STRNE(LastModeFileProblem(), "");
    EXPECT_EQ(FileBytes(), before);
    ASSERT_EQ(list_.size(), listBefore.size());
    EXPECT_EQ(list_[0].modes.size(), listBefore[0].modes.size());
    EXPECT_STREQ(list_[0].monitorName, listBefore[0].monitorName);
  }
}

TEST_F(ModeFileWrite, NoActiveBoardFailsTheWrite) {
  AddExampleModel();
  UseBoards({MakeBoard(0, kBoardId, kBoardName)});
  EXPECT_EQ(WriteModelToModeFile(&list_, kPath, tree_, 7), 0);
  EXPECT_FALSE(FileExists(kPath));
  EXPECT_TRUE(list_.empty());
}

TEST_F(ModeFileWrite, AFifthBoardEntryFailsBeforeTheFileIsTouched) {
  UseBoards({MakeBoard(1, 0x0901, "Fifth"), MakeBoard(1, 0x0902, "B"), MakeBoard(1, 0x0903, "C"),
             MakeBoard(1, 0x0904, "D"), MakeBoard(1, 0x0905, "E")});
  Bytes file = Header(48, 156, 264, 372);
  for (const char* name : {"B", "C", "D", "E"}) file.Raw(BoardRecord(0x0900 + (name[0] - 'A' + 1), name, "Old.X", 0, 480).str());
  WriteFileBytes(file.str());
  ASSERT_EQ(ReadModeFile(kPath, &list_), 1);
  ASSERT_EQ(list_.size(), 4u);
  AddExampleModel();
  EXPECT_EQ(WriteModelToModeFile(&list_, kPath, tree_, 7), 0);
  EXPECT_EQ(FileBytes(), file.str());
  EXPECT_EQ(list_.size(), 4u);
}

TEST_F(ModeFileWrite, ModeRecordsBeyondTheSixteenBitOffsetsFailBeforeTheFileIsTouched) {
  // 48 + 108 + 1400 x 48 bytes: the mode array would end past 64 KB, so a second board's array would start there.
  UseBoards({MakeBoard(1, kBoardId, kBoardName), MakeBoard(1, 0x0777, "Big")});
  BoardEntry big{};
  big.boardId = 0x0777;
  strcpy(big.boardName, "Big");
  ModeEntry mode{};
  mode.width = 640;
  mode.height = 480;
  big.modes.assign(1400, mode);
  list_.push_back(big);
  AddExampleModel();
  WriteFileBytes("previous");
  EXPECT_EQ(WriteModelToModeFile(&list_, kPath, tree_, 7), 0);
  EXPECT_EQ(FileBytes(), "previous");
  EXPECT_EQ(list_.size(), 1u);
}

TEST_F(ModeFileWrite, AFailedWriteKeepsThePreviousFile) {
  AddExampleModel();
  ASSERT_EQ(WriteModelToModeFile(&list_, kPath, tree_, 7), 1);
  const std::string before = FileBytes();
  AddModel("Zed", "Wide", 9, {{monitor_db::kRes1024x768, 0, 0, 0, Timing(65000, 1024, 24, 136, 160, 768, 3, 6, 29)}});
  // The new file cannot be created beside the old one: a folder holds its name.
  ASSERT_TRUE(CreateDirectoryA((std::string(kPath) + ".NEW").c_str(), nullptr));
  EXPECT_EQ(WriteModelToModeFile(&list_, kPath, tree_, 9), 0);
  EXPECT_EQ(FileBytes(), before);
  EXPECT_STREQ(list_[0].monitorName, "Acme.Pro 17");
  RemoveDirectoryA((std::string(kPath) + ".NEW").c_str());
  // A stale set-aside copy from an interrupted write does not stand in the way.
  WriteStationFile(std::string(kPath) + ".OLD", "stale");
  ASSERT_EQ(WriteModelToModeFile(&list_, kPath, tree_, 9), 1) << LastModeFileProblem();
  EXPECT_NE(FileBytes(), before);
  EXPECT_FALSE(FileExists(std::string(kPath) + ".OLD"));
}

}  // namespace
}  // namespace mode_file::testing
