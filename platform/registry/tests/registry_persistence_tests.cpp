// The registry file: what survives a reboot, what a crash or a damaged file
// leaves behind.
#include <host/registry.h>
#include <host_testing/station_fixture.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "registry_test_support.h"

using namespace registry_test;
namespace fs = std::filesystem;

namespace {

class RegistryFile : public host::testing::StationTest {
 protected:
  std::string FilePath() const { return root() + "/registry.reg"; }
  std::string ReadHostFile(const std::string& path) const {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
  }
  void WriteRegistryFile(const std::string& text) {
    host::ShutdownStation();
    std::ofstream(FilePath(), std::ios::binary) << text;
    host::BootStation(config_);
  }
};

struct TypedValue {
  const char* name;
  DWORD type;
  Bytes data;
};

std::vector<TypedValue> OddValues() {
  Bytes everyByte(256);
  for (int i = 0; i < 256; ++i) everyByte[i] = static_cast<BYTE>(i);
  return {
      {"Text", REG_SZ, ToBytes(std::string("plain text", 11))},
      {"TextNoNul", REG_SZ, ToBytes("no terminator")},
      {"EmptyNoNul", REG_SZ, {}},
      {"EmptyText", REG_SZ, {0}},
      {"Quotes \"and\\ slashes", REG_SZ, ToBytes(std::string("C:\\dir\\\"x\"", 11))},
      {"Newline", REG_SZ, ToBytes(std::string("two\r\nlines", 11))},
      {"InnerNul", REG_SZ, ToBytes(std::string("a\0b", 4))},
      {"HighAnsi", REG_SZ, {0xc4, 0xe9, 0xff, 0}},
      {"Expand", REG_EXPAND_SZ, ToBytes(std::string("%windir%\\x", 11))},
      {"Number", REG_DWORD, {0x78, 0x56, 0x34, 0x12}},
      {"ShortNumber", REG_DWORD, {1}},
      {"BigEndian", REG_DWORD_BIG_ENDIAN, {0, 0, 0, 1}},
      {"Multi", REG_MULTI_SZ, ToBytes(std::string("one\0two\0\0", 9))},
      {"EveryByte", REG_BINARY, everyByte},
      {"EmptyBinary", REG_BINARY, {}},
      {"None", REG_NONE, {7}},
      {"MadeUpType", 0x80000001, {1, 2, 3}},
      {"", REG_SZ, ToBytes(std::string("default", 8))},
      {"@", REG_SZ, ToBytes(std::string("at sign", 8))},
  };
}

TEST_F(RegistryFile, EveryValueTypeSurvivesAReboot) {
  HKEY key = Create(HKEY_LOCAL_MACHINE, "SOFTWARE\\Odd");
  for (const TypedValue& value : OddValues()) ASSERT_EQ(Set(key, value.name, value.type, value.data), ERROR_SUCCESS);
  RegCloseKey(key);
  Reboot();
  ASSERT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Odd", &key), ERROR_SUCCESS);
  std::vector<std::string> expectedOrder;
  for (const TypedValue& value : OddValues()) {
    SCOPED_TRACE(value.name);
    expectedOrder.push_back(value.name);
    Read read = Get(key, value.name);
    EXPECT_EQ(read.error, ERROR_SUCCESS);
    EXPECT_EQ(read.type, value.type);
    EXPECT_EQ(read.data, value.data);
  }
  EXPECT_EQ(ValueNames(key), expectedOrder);
  RegCloseKey(key);
  EXPECT_TRUE(host::registry::Diagnostics().empty());
}

TEST_F(RegistryFile, KeysKeepOrderCaseClassAndEmptinessAcrossAReboot) {
  char className[] = "Class Text";
  HKEY key;
  ASSERT_EQ(
      RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Zed", 0, className, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
      ERROR_SUCCESS);
  RegCloseKey(key);
  RegCloseKey(Create(HKEY_CURRENT_USER, "Software\\alpha\\Empty Child"));
  RegCloseKey(Create(HKEY_CLASSES_ROOT, ".ovx"));
  Reboot();
  ASSERT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, "SOFTWARE", &key), ERROR_SUCCESS);
  EXPECT_EQ(SubkeyNames(key), (std::vector<std::string>{"Zed", "alpha"}));
  char name[16], storedClass[16];
  DWORD nameSize = sizeof name, classSize = sizeof storedClass;
  ASSERT_EQ(RegEnumKeyExA(key, 0, name, &nameSize, nullptr, storedClass, &classSize, nullptr), ERROR_SUCCESS);
  EXPECT_STREQ(storedClass, "Class Text");
  RegCloseKey(key);
  ASSERT_EQ(RegOpenKeyA(HKEY_USERS, ".Default\\Software\\Alpha\\EMPTY CHILD", &key), ERROR_SUCCESS);
  RegCloseKey(key);
  ASSERT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Classes\\.ovx", &key), ERROR_SUCCESS);
  RegCloseKey(key);
}

TEST_F(RegistryFile, TheFileIsPlainRegedit4) {
  HKEY key = Create(HKEY_LOCAL_MACHINE, "SOFTWARE\\Orvane");
  ASSERT_EQ(Set(key, "", REG_SZ, ToBytes(std::string("x", 2))), ERROR_SUCCESS);
  ASSERT_EQ(Set(key, "Path", REG_SZ, ToBytes(std::string("C:\\OVX", 7))), ERROR_SUCCESS);
  ASSERT_EQ(Set(key, "Count", REG_DWORD, {10, 0, 0, 0}), ERROR_SUCCESS);
  RegCloseKey(key);
  // Saved at once: no shutdown needed.
  EXPECT_EQ(ReadHostFile(FilePath()),
            "REGEDIT4\n"
            "\n"
            "[HKEY_LOCAL_MACHINE]\n"
            "\n"
            "[HKEY_LOCAL_MACHINE\\SOFTWARE]\n"
            "\n"
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes]\n"
            "\n"
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Orvane]\n"
            "@=\"x\"\n"
            "\"Path\"=\"C:\\\\OVX\"\n"
            "\"Count\"=dword:0000000a\n"
            "\n"
            "[HKEY_LOCAL_MACHINE\\Config]\n"
            "\n"
            "[HKEY_LOCAL_MACHINE\\Config\\0001]\n"
            "\n"
            "[HKEY_USERS]\n"
            "\n"
            "[HKEY_USERS\\.Default]\n"
            "\n");
  EXPECT_EQ(host::registry::Dump("HKCU"), "REGEDIT4\n\n[HKEY_CURRENT_USER]\n\n");
  EXPECT_EQ(host::registry::Dump("hkey_local_machine\\software\\orvane"),
            "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Orvane]\n@=\"x\"\n\"Path\"=\"C:\\\\OVX\"\n"
            "\"Count\"=dword:0000000a\n\n");
  EXPECT_EQ(host::registry::Dump("HKEY_LOCAL_MACHINE\\Missing"), "");
  EXPECT_EQ(host::registry::Dump(""), ReadHostFile(FilePath()));
}

TEST_F(RegistryFile, DynamicDataIsNotKept) {
  HKEY key = Create(HKEY_DYN_DATA, "PerfStats");
  RegCloseKey(key);
  Reboot();
  EXPECT_EQ(RegOpenKeyA(HKEY_DYN_DATA, "PerfStats", &key), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryFile, ACrashDuringASaveLeavesTheOldFile) {
  HKEY key = Create(HKEY_LOCAL_MACHINE, "SOFTWARE\\Kept");
  ASSERT_EQ(Set(key, "v", REG_SZ, ToBytes("old")), ERROR_SUCCESS);
  std::string before = ReadHostFile(FilePath());
  for (std::size_t cut : {std::size_t{0}, std::size_t{40}, std::size_t{1} << 20}) {
    SCOPED_TRACE(cut);
    host::registry::InjectSaveCrash(cut);
    ASSERT_EQ(Set(key, "v", REG_SZ, ToBytes("new")), ERROR_SUCCESS);
    EXPECT_EQ(ReadHostFile(FilePath()), before);
    EXPECT_TRUE(fs::exists(FilePath() + ".new"));
    EXPECT_EQ(RegFlushKey(key), ERROR_CANTWRITE) << "the station is dead: nothing more is written";
    RegCloseKey(key);
    Reboot();
    EXPECT_EQ(ReadHostFile(FilePath()), before);
    EXPECT_FALSE(fs::exists(FilePath() + ".new"));
    ASSERT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Kept", &key), ERROR_SUCCESS);
    EXPECT_EQ(Get(key, "v").data, ToBytes("old"));
  }
  RegCloseKey(key);
}

TEST_F(RegistryFile, AFailedSaveIsReportedAndRetried) {
  HKEY key = Create(HKEY_LOCAL_MACHINE, "SOFTWARE\\Retry");
  fs::create_directory(FilePath() + ".new");  // the save cannot create its file
  ASSERT_EQ(Set(key, "v", REG_SZ, ToBytes("1")), ERROR_SUCCESS) << "the change itself is made";
  EXPECT_EQ(RegFlushKey(key), ERROR_CANTWRITE);
  EXPECT_FALSE(host::registry::Diagnostics().empty());
  fs::remove(FilePath() + ".new");
  EXPECT_EQ(RegFlushKey(key), ERROR_SUCCESS);
  EXPECT_NE(ReadHostFile(FilePath()).find("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Retry]\n\"v\"=hex(1):31"), std::string::npos);
  RegCloseKey(key);
}

TEST_F(RegistryFile, ADamagedFileLoadsWhatParsesAndIsKeptAside) {
  const std::string damaged =
      "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Good]\n\"a\"=\"1\"\n\"b\"=hex:zz\n"
      "[HKEY_NOWHERE\\x]\n\"c\"=\"2\"\n[HKEY_CURRENT_USER\\Also Good]\n\"d\"=dword:00000004\n";
  WriteRegistryFile(damaged);
  EXPECT_EQ(ReadHostFile(FilePath() + ".bad"), damaged);
  std::vector<std::string> problems = host::registry::Diagnostics();
  EXPECT_GE(problems.size(), 2u);
  HKEY key;
  ASSERT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Good", &key), ERROR_SUCCESS);
  EXPECT_EQ(ValueNames(key), std::vector<std::string>{"a"});
  RegCloseKey(key);
  ASSERT_EQ(RegOpenKeyA(HKEY_USERS, ".Default\\Also Good", &key), ERROR_SUCCESS);
  EXPECT_EQ(Get(key, "d").data, (Bytes{4, 0, 0, 0}));
  RegCloseKey(key);
  // What loaded became the new file; a later damage does not replace the first one kept.
  EXPECT_NE(ReadHostFile(FilePath()).find("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Good]"), std::string::npos);
  WriteRegistryFile("not a registry");
  EXPECT_EQ(ReadHostFile(FilePath() + ".bad"), damaged);
  EXPECT_EQ(ReadHostFile(FilePath() + ".bad.1"), "not a registry");
}

TEST_F(RegistryFile, AnEmptyFileIsDamageToo) {
  WriteRegistryFile("");
  EXPECT_TRUE(fs::exists(FilePath() + ".bad"));
  EXPECT_FALSE(host::registry::Diagnostics().empty());
  HKEY key;
  EXPECT_EQ(RegOpenKeyA(HKEY_CLASSES_ROOT, nullptr, &key), ERROR_SUCCESS);
  RegCloseKey(key);
}

}  // namespace
