// OVX.BIN: its exact layout, round trip and refusals, and the cache rule.
#include <gtest/gtest.h>

#include "test_support.h"

namespace monitor_db {
namespace {

class MonitorCache : public testing::MonitorDbTest {
 protected:
  // Acme / Pro with two timings, Zed / (no models).
  void BuildTree() {
    MonitorManufacturer* acme = NewManufacturer("Acme");
    MonitorModel* pro = NewModel("Pro");
    acme->models = pro;
    acme->displayHandle = 77;
    pro->displayHandle = 78;
    for (LONG clock : {65000, 25175}) {
      MonitorTiming* t = NewTiming();
      t->resolution = clock == 65000 ? kRes1024x768 : kRes640x480;
      t->depth = clock == 65000 ? 16 : 0;
      t->zoom = clock == 65000 ? 2 : 0;
      t->interlaced = clock == 65000 ? 1 : 0;
      t->displayHandle = 5;
      t->block = {clock, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, -1};
      AppendOldestTiming(pro, t);
    }
    MonitorManufacturer* zed = NewManufacturer("Zed");
    acme->next = zed;
    zed->prev = acme;
    tree_ = acme;
  }
};

void PutNumber(std::string& bytes, DWORD v) {
  for (int i = 0; i < 4; ++i) bytes += static_cast<char>((v >> (8 * i)) & 0xFF);
}
void PutField(std::string& bytes, const std::string& text, size_t size) {
  bytes += text;
  bytes.append(size - text.size(), '\0');
}
std::string Record(DWORD resolution, DWORD depth, DWORD zoom, DWORD interlaced, LONG clock) {
  std::string r;
  for (DWORD v : {resolution, depth, zoom, interlaced}) PutNumber(r, v);
  for (LONG v : {clock, 1L, 2L, 3L, 4L, 5L, 6L, 7L, 8L, 9L, 10L, 11L, 12L, 13L, -1L}) PutNumber(r, static_cast<DWORD>(v));
  return r;
}
std::string Header(DWORD manufacturers, const std::string& signature = kCacheSignature, DWORD version = kCacheVersion) {
  std::string bytes;
  PutField(bytes, signature, 32);
  PutNumber(bytes, version);
  PutNumber(bytes, manufacturers);
  return bytes;
}
std::string ExpectedFile() {
  std::string bytes = Header(2);
  PutField(bytes, "Acme", 80);
  PutNumber(bytes, 1);
  PutField(bytes, "Pro", 128);
  PutNumber(bytes, 2);
  bytes += Record(2, 16, 2, 1, 65000);  // timing order: newest first
  bytes += Record(0, 0, 0, 0, 25175);
  PutField(bytes, "Zed", 80);
  PutNumber(bytes, 0);
  return bytes;
}

TEST_F(MonitorCache, LayoutFieldByField) {
  BuildTree();
  ASSERT_EQ(WriteMonitorCache(tree_, kBinPath), 1) << LastMonitorDbProblem();
  EXPECT_EQ(ReadStationFile(kBinPath), ExpectedFile());
  EXPECT_EQ(ExpectedFile().size(), 40u + 84 + 132 + 2 * 76 + 84);
}

TEST_F(MonitorCache, RoundTripKeepsOrderAndFieldsWithHandlesCleared) {
  BuildTree();
  ASSERT_EQ(WriteMonitorCache(tree_, kBinPath), 1);
  MonitorManufacturer* read = nullptr;
  ASSERT_EQ(ReadMonitorCache(&read, kBinPath), 1) << LastMonitorDbProblem();
  ASSERT_NE(read, nullptr);
  EXPECT_STREQ(read->name, "Acme");
  EXPECT_EQ(read->displayHandle, 0u);
  ASSERT_NE(read->next, nullptr);
  EXPECT_STREQ(read->next->name, "Zed");
  EXPECT_EQ(read->next->prev, read);
  EXPECT_EQ(read->next->models, nullptr);
  const MonitorModel* pro = read->models;
  ASSERT_NE(pro, nullptr);
  EXPECT_STREQ(pro->name, "Pro");
  EXPECT_EQ(pro->displayHandle, 0u);
  const MonitorTiming* newest = pro->newest;
  ASSERT_NE(newest, nullptr);
  EXPECT_EQ(newest->block.PIXEL_CLK, 65000);
  EXPECT_EQ(newest->block.V_SYNC_POL, -1);
  EXPECT_EQ(newest->depth, 16u);
  EXPECT_EQ(newest->interlaced, 1u);
  EXPECT_EQ(newest->displayHandle, 0u);
  ASSERT_NE(newest->older, nullptr);
  EXPECT_EQ(newest->older->newer, newest);
  EXPECT_EQ(newest->older->block.PIXEL_CLK, 25175);
  // Written again, the file is the same.
  ASSERT_EQ(WriteMonitorCache(read, "C:\\MON\\AGAIN.BIN"), 1);
  EXPECT_EQ(ReadStationFile("C:\\MON\\AGAIN.BIN"), ExpectedFile());
  FreeMonitorTree(&read);
}

TEST_F(MonitorCache, DamagedOrUnusableFilesAreRefusedAsAWhole) {
  const std::string good = ExpectedFile();
  const size_t firstRecord = 40 + 84 + 132;
  auto withRecord = [&](const std::string& record) {
    return good.substr(0, firstRecord) + record + good.substr(firstRecord + 76);
  };
  struct Case {
    const char* what;
    std::string bytes;
  };
  std::string signatureCase = good;
  signatureCase[0] = 'o';
  const Case cases[] = {
      {"a signature differing in letter case", signatureCase},
      {"another version", Header(2, kCacheSignature, 0x10001) + good.substr(36)},
      {"shorter than the header", good.substr(0, 35)},
      {"ending inside the number of manufacturers", good.substr(0, 38)},
      {"ending inside a manufacturer", good.substr(0, 40 + 40)},
      {"ending inside a model", good.substr(0, 40 + 84 + 100)},
      {"ending inside a timing record", good.substr(0, firstRecord + 75)},
      {"missing the last manufacturer", good.substr(0, good.size() - 84)},
      {"a resolution index above 7", withRecord(Record(8, 16, 2, 1, 65000))},
      {"a depth outside 0/8/16/24/32", withRecord(Record(2, 15, 2, 1, 65000))},
      {"a zoom outside 0/1/2/4", withRecord(Record(2, 16, 3, 1, 65000))},
      {"an interlaced flag other than 0/1", withRecord(Record(2, 16, 2, 2, 65000))},
      {"an empty file", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WriteStationFile(kBinPath, c.bytes);
    BuildTree();  // the output list is emptied first, whatever happens
    EXPECT_EQ(ReadMonitorCache(&tree_, kBinPath), 0);
    EXPECT_EQ(tree_, nullptr);
    EXPECT_STRNE(LastMonitorDbProblem(), "");
  }
  WriteStationFile(kBinPath, good);
  EXPECT_EQ(ReadMonitorCache(&tree_, kBinPath), 1);
  EXPECT_EQ(ReadMonitorCache(&tree_, "C:\\MON\\MISSING.BIN"), 0);
  EXPECT_EQ(tree_, nullptr);
}

TEST_F(MonitorCache, NameFieldsGetTheirNulForced) {
  std::string bytes = Header(1);
  bytes += std::string(80, 'M');  // no NUL in the field
  PutNumber(bytes, 1);
  bytes += std::string(128, 'm');
  PutNumber(bytes, 0);
  bytes += std::string(4, 'x');  // bytes after the last record are not read
  WriteStationFile(kBinPath, bytes);
  ASSERT_EQ(ReadMonitorCache(&tree_, kBinPath), 1) << LastMonitorDbProblem();
  EXPECT_EQ(std::string(tree_->name), std::string(79, 'M'));
  EXPECT_EQ(std::string(tree_->models->name), std::string(127, 'm'));
}

TEST_F(MonitorCache, SignatureBytesAfterTheNulDoNotMatter) {
  std::string bytes = ExpectedFile();
  bytes[30] = 'q';
  WriteStationFile(kBinPath, bytes);
  EXPECT_EQ(ReadMonitorCache(&tree_, kBinPath), 1);
}

TEST_F(MonitorCache, WritingReplacesTheFileAndAFailureLeavesNone) {
  WriteStationFile(kBinPath, std::string(5000, 'x'));
  ASSERT_EQ(WriteMonitorCache(nullptr, kBinPath), 1);
  EXPECT_EQ(ReadStationFile(kBinPath), Header(0));
  EXPECT_EQ(WriteMonitorCache(nullptr, "C:\\NOWHERE\\OVX.BIN"), 0);
  EXPECT_EQ(GetFileAttributesA("C:\\NOWHERE\\OVX.BIN"), INVALID_FILE_ATTRIBUTES);
}

class CacheRule : public testing::MonitorDbTest {
 protected:
  void Stamp(const char* path, ULONGLONG ticks) {
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    FILETIME time{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
    ASSERT_TRUE(SetFileTime(file, nullptr, nullptr, &time));
    CloseHandle(file);
  }
};

TEST_F(CacheRule, CacheIsReadWhenNotOlderThanTheText) {
  constexpr ULONGLONG kSecond = 10000000;
  constexpr ULONGLONG kBase = 0x01D0000000000000ull;
  struct Case {
    const char* what;
    bool bin, mon;
    ULONGLONG binTime, monTime;
    int use;
  };
  const Case cases[] = {
      {"no OVX.BIN", false, true, 0, kBase, 0},
      {"no OVX.MON", true, false, kBase, 0, 1},
      {"the same time", true, true, kBase, kBase, 1},
      {"OVX.BIN newer", true, true, kBase + kSecond, kBase, 1},
      {"OVX.BIN one second older", true, true, kBase - kSecond, kBase, 0},
      // High words decide before low words.
      {"higher high word, lower low word", true, true, kBase + 0x100000000ull, kBase + 0xFFFFFF00ull, 1},
      {"lower high word, higher low word", true, true, kBase + 0xFFFFFF00ull, kBase + 0x100000000ull, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    DeleteFileA(kMonPath);
    DeleteFileA(kBinPath);
    if (c.mon) {
      WriteMon("[A]\r\n");
      Stamp(kMonPath, c.monTime);
    }
    if (c.bin) {
      WriteStationFile(kBinPath, Header(0));
      Stamp(kBinPath, c.binTime);
    }
    EXPECT_EQ(UseMonitorCache(kFolder), c.use);
  }
}

TEST_F(CacheRule, AFolderNameOf250CharactersNeverUsesTheCache) {
  EXPECT_EQ(UseMonitorCache(std::string(250, 'f').c_str()), 0);
  char path[MAX_PATH];
  EXPECT_EQ(FormMonitorFilePath("C:\\MON", "OVX.BIN", path, sizeof path), 1);
  EXPECT_STREQ(path, "C:\\MON\\OVX.BIN");
  EXPECT_EQ(FormMonitorFilePath("C:\\MON", "OVX.BIN", path, 14), 0);
}

}  // namespace
}  // namespace monitor_db
