// Profile files: lookups, lists and their truncation, numbers, and writes
// that change only the lines they must.
#include <host_testing/station_fixture.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace {

const char* const kIni = "APP.INI";  // a bare name: the Windows folder
const char* const kIniPath = "C:\\WINDOWS\\APP.INI";

const std::string kText =
    "; settings\r\n"
    "[Desktop]\r\n"
    "Wallpaper=(None)\r\n"
    "  TileWallpaper = 1 \r\n"
    "Quoted=\"  spaced  \"\r\n"
    "Single='x'\r\n"
    "Half=\"open\r\n"
    "Empty=\r\n"
    "Number=42\r\n"
    "Negative=-7\r\n"
    "Junk=12abc\r\n"
    "Words=abc\r\n"
    "no equals sign\r\n"
    "\r\n"
    "[Other]\r\n"
    "key=other value\r\n";

class ProfileTest : public host::testing::StationTest {
 protected:
  void SetUp() override {
    StationTest::SetUp();
    WriteStationFile(kIniPath, kText);
  }
  static std::string Get(const char* section, const char* key, const char* fallback = "default",
                         const char* file = kIni) {
    char buffer[256];
    DWORD length = GetPrivateProfileStringA(section, key, fallback, buffer, sizeof(buffer), file);
    return std::string(buffer, length);
  }
  static std::string List(const char* section, DWORD size, DWORD* length) {
    char buffer[256];
    std::memset(buffer, '#', sizeof(buffer));
    *length = GetPrivateProfileStringA(section, nullptr, "default", buffer, size, kIni);
    return std::string(buffer, size);
  }
};

TEST_F(ProfileTest, LooksUpValues) {
  struct Case {
    const char* section;
    const char* key;
    const char* fallback;
    const char* expected;
  } cases[] = {
      {"Desktop", "Wallpaper", "d", "(None)"},
      {"DESKTOP", "wallpaper", "d", "(None)"},  // without regard to case
      {" Desktop ", " Wallpaper ", "d", "(None)"},
      {"Desktop", "TileWallpaper", "d", "1"},  // blanks around key and value
      {"Desktop", "Quoted", "d", "  spaced  "},
      {"Desktop", "Single", "d", "x"},
      {"Desktop", "Half", "d", "\"open"},  // quotes go only in pairs
      {"Desktop", "Empty", "d", ""},       // present but empty: not the default
      {"Desktop", "no equals sign", "d", "d"},
      {"Desktop", "key", "d", "d"},  // only in [Other]
      {"Other", "KEY", "d", "other value"},
      {"Desktop", "Missing", "fallback  ", "fallback"},  // the default loses its trailing blanks
      {"Desktop", "Missing", nullptr, ""},
      {"Nowhere", "Wallpaper", "d", "d"},
      {"settings", "x", "d", "d"},  // comments are no sections
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.section << "/" << c.key);
    EXPECT_EQ(Get(c.section, c.key, c.fallback), c.expected);
  }
  EXPECT_EQ(Get("Desktop", "Wallpaper", "d", "C:\\NOWHERE\\X.INI"), "d");
  EXPECT_EQ(Get("Desktop", "Wallpaper", "d", "missing.ini"), "d");
}

TEST_F(ProfileTest, DuplicateSectionsAndKeysUseTheFirst) {
  WriteStationFile("C:\\WINDOWS\\DUP.INI", "[a]\r\nk=1\r\nk=2\r\n[A]\r\nk=3\r\nonly=4\r\n");
  EXPECT_EQ(Get("a", "k", "d", "dup.ini"), "1");
  EXPECT_EQ(Get("a", "only", "d", "dup.ini"), "d");
}

TEST_F(ProfileTest, ValuesAreCutToTheBuffer) {
  struct Case {
    DWORD size;
    const char* expected;
    DWORD length;
  } cases[] = {
      {7, "(None)", 6},  // fits exactly with its NUL
      {6, "(None", 5},   // nSize - 1
      {2, "(", 1},
      {1, "", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.size);
    char buffer[16];
    std::memset(buffer, '#', sizeof(buffer));
    EXPECT_EQ(GetPrivateProfileStringA("Desktop", "Wallpaper", "", buffer, c.size, kIni), c.length);
    EXPECT_STREQ(buffer, c.expected);
    EXPECT_EQ(buffer[c.size], '#');  // nothing written past nSize
  }
}

TEST_F(ProfileTest, ListsSectionsAndKeysDoubleNulTerminated) {
  using namespace std::string_literals;
  const std::string keys = "Wallpaper\0TileWallpaper\0Quoted\0Single\0Half\0Empty\0Number\0Negative\0Junk\0Words\0"s;
  struct Case {
    const char* section;
    DWORD size;
    std::string expected;  // the first `size` bytes of the buffer
    DWORD length;
  } cases[] = {
      {nullptr, 100, "Desktop\0Other\0\0"s, 14},
      {nullptr, 15, "Desktop\0Other\0\0"s, 14},  // exactly fits
      {nullptr, 14, "Desktop\0Othe\0\0"s, 12},   // cut: nSize - 2, still two NULs
      {nullptr, 9, "Desktop\0\0"s, 7},
      {"desktop", 200, keys + '\0', static_cast<DWORD>(keys.size())},
      {"Other", 5, "key\0\0"s, 4},  // "key", its NUL and the list's NUL
      {"Other", 4, "ke\0\0"s, 2},
      {"Nowhere", 10, "\0\0"s, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << (c.section ? c.section : "(sections)") << " in " << c.size);
    DWORD length = 0;
    std::string buffer = List(c.section, c.size, &length);
    EXPECT_EQ(length, c.length);
    EXPECT_EQ(buffer.substr(0, c.expected.size()), c.expected);
  }
}

TEST_F(ProfileTest, ReadsNumbers) {
  struct Case {
    const char* key;
    INT fallback;
    UINT expected;
  } cases[] = {
      {"Number", 5, 42},
      {"TileWallpaper", 5, 1},
      {"Negative", 5, static_cast<UINT>(-7)},
      {"Junk", 5, 12},  // digits up to the first other character
      {"Words", 5, 0},  // present but not a number
      {"Empty", 5, 5},
      {"Missing", -3, static_cast<UINT>(-3)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    EXPECT_EQ(GetPrivateProfileIntA("Desktop", c.key, c.fallback, kIni), c.expected);
  }
}

TEST_F(ProfileTest, WinIniAndBareNamesAreInTheWindowsFolder) {
  char buffer[64];
  EXPECT_EQ(GetProfileStringA("Desktop", "Wallpaper", "", buffer, sizeof(buffer)), 6u);
  EXPECT_STREQ(buffer, "(None)");
  EXPECT_EQ(GetProfileIntA("Desktop", "TileWallpaper", 9), 0u);
  GetPrivateProfileStringA("boot", "shell", "", buffer, sizeof(buffer), "system.ini");
  EXPECT_STREQ(buffer, "Explorer.exe");
  ASSERT_TRUE(WriteProfileStringA("Ovx", "Seen", "yes"));
  EXPECT_NE(ReadStationFile("C:\\WINDOWS\\WIN.INI").find("[Ovx]\r\nSeen=yes\r\n"), std::string::npos);
  // A path keeps its folder, relative ones from the current folder.
  ASSERT_TRUE(SetCurrentDirectoryA("C:\\"));
  ASSERT_TRUE(WritePrivateProfileStringA("s", "k", "v", ".\\LOCAL.INI"));
  EXPECT_EQ(ReadStationFile("C:\\LOCAL.INI"), "[s]\r\nk=v\r\n");
}

TEST_F(ProfileTest, WritesChangeOnlyTheirLines) {
  struct Case {
    const char* what;
    const char* section;
    const char* key;
    const char* value;
    std::string before, after;
  } cases[] = {
      {"replace a value", "desktop", "WALLPAPER", "tiles.bmp", "[Desktop]\r\nWallpaper=(None)\r\nX=1\r\n",
       "[Desktop]\r\nWallpaper=tiles.bmp\r\nX=1\r\n"},
      {"blanks around = stay", "S", "k", "new", "[S]\r\n  k = old \r\n", "[S]\r\n  k = new\r\n"},
      {"add a key after the section's last line", "A", "new", "1", "[A]\r\nx=1\r\n\r\n[B]\r\ny=2\r\n",
       "[A]\r\nx=1\r\nnew=1\r\n\r\n[B]\r\ny=2\r\n"},
      {"add to an empty section", "A", "k", "v", "[A]\r\n[B]\r\n", "[A]\r\nk=v\r\n[B]\r\n"},
      {"add a section at the end", "New", "k", "v", "[A]\r\nx=1\r\n", "[A]\r\nx=1\r\n\r\n[New]\r\nk=v\r\n"},
      {"last line without a line end", "A", "k", "v", "[A]\r\nx=1", "[A]\r\nx=1\r\nk=v\r\n"},
      {"LF-only files stay LF", "A", "k", "v", "[A]\nx=1\n", "[A]\nx=1\nk=v\n"},
      {"delete a key", "A", "x", nullptr, "[A]\r\nx=1\r\ny=2\r\n", "[A]\r\ny=2\r\n"},
      {"delete a missing key", "A", "zz", nullptr, "[A]\r\nx=1\r\n", "[A]\r\nx=1\r\n"},
      {"delete a section, every copy", "a", nullptr, nullptr, "; top\r\n[A]\r\nx=1\r\n\r\n[B]\r\ny=2\r\n[a]\r\nz=3\r\n",
       "; top\r\n[B]\r\ny=2\r\n"},
      {"comments and odd lines survive", "A", "x", "2", "[A]\r\n;c=1\r\n odd line\r\nx=1\r\n",
       "[A]\r\n;c=1\r\n odd line\r\nx=2\r\n"},
      {"a new file", "A", "k", "v", "", "[A]\r\nk=v\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WriteStationFile(kIniPath, c.before);
    EXPECT_TRUE(WritePrivateProfileStringA(c.section, c.key, c.value, kIni));
    EXPECT_EQ(ReadStationFile(kIniPath), c.after);
  }
}

TEST_F(ProfileTest, WrittenValuesReadBack) {
  ASSERT_TRUE(WritePrivateProfileStringA("Fresh", "Count", "17", "fresh.ini"));
  EXPECT_EQ(GetPrivateProfileIntA("fresh", "count", 0, "FRESH.INI"), 17u);
  ASSERT_TRUE(WritePrivateProfileStringA("Fresh", "Count", nullptr, "fresh.ini"));
  EXPECT_EQ(GetPrivateProfileIntA("Fresh", "Count", 3, "fresh.ini"), 3u);
  ASSERT_TRUE(WritePrivateProfileStringA("Fresh", nullptr, nullptr, "fresh.ini"));
  char buffer[16];
  EXPECT_EQ(GetPrivateProfileStringA(nullptr, nullptr, "", buffer, sizeof(buffer), "fresh.ini"), 0u);
}

TEST_F(ProfileTest, RefusedWritesLeaveTheFileAlone) {
  struct Case {
    const char* what;
    const char* section;
    const char* key;
    const char* value;
    const char* file;
    DWORD error;
  } cases[] = {
      {"no section", nullptr, "k", "v", kIni, ERROR_INVALID_PARAMETER},
      {"a line break in the value", "Desktop", "k", "a\r\n[Evil]", kIni, ERROR_INVALID_PARAMETER},
      {"= in the key", "Desktop", "a=b", "v", kIni, ERROR_INVALID_PARAMETER},
      {"] in the section", "De]sk", "k", "v", kIni, ERROR_INVALID_PARAMETER},
      {"a key read back as a comment", "Desktop", ";k", "v", kIni, ERROR_INVALID_PARAMETER},
      {"a missing folder", "Desktop", "k", "v", "C:\\NOWHERE\\X.INI", ERROR_PATH_NOT_FOUND},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_FALSE(WritePrivateProfileStringA(c.section, c.key, c.value, c.file));
    EXPECT_EQ(GetLastError(), c.error);
    EXPECT_EQ(ReadStationFile(kIniPath), kText);
  }
  std::filesystem::permissions(host::HostPath(kIniPath), std::filesystem::perms::owner_read);
  EXPECT_FALSE(WritePrivateProfileStringA("Desktop", "k", "v", kIni));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_TRUE(WritePrivateProfileStringA(nullptr, nullptr, nullptr, kIni));  // "flush": nothing to do
}

TEST_F(ProfileTest, WritesLeaveNoTemporaryFilesAndKeepTheName) {
  WriteStationFile("C:\\WINDOWS\\MixedCase.Ini", "[A]\r\n");
  ASSERT_TRUE(WritePrivateProfileStringA("A", "k", "v", "MIXEDCASE.INI"));
  EXPECT_EQ(ReadStationFile("C:\\WINDOWS\\MixedCase.Ini"), "[A]\r\nk=v\r\n");
  for (const auto& entry : std::filesystem::directory_iterator(root() + "/c/WINDOWS")) {
    std::string name = entry.path().filename().string();
    EXPECT_NE(name.rfind("MixedCase.Ini.", 0), 0u) << "left behind: " << name;
    EXPECT_NE(name, "MIXEDCASE.INI");
  }
}

// Programs write win.ini at the same time; no write may undo another.
TEST_F(ProfileTest, ConcurrentWritesAreNotLost) {
  constexpr int kWriters = 2, kKeys = 10;
  std::vector<std::thread> writers;
  for (int w = 0; w < kWriters; ++w) {
    writers.emplace_back([w] {
      for (int k = 0; k < kKeys; ++k) {
        std::string key = "w" + std::to_string(w) + "k" + std::to_string(k);
        WritePrivateProfileStringA("Busy", key.c_str(), "1", kIni);
      }
    });
  }
  for (auto& writer : writers) writer.join();
  for (int w = 0; w < kWriters; ++w) {
    for (int k = 0; k < kKeys; ++k) {
      std::string key = "w" + std::to_string(w) + "k" + std::to_string(k);
      EXPECT_EQ(GetPrivateProfileIntA("Busy", key.c_str(), 0, kIni), 1u) << key;
    }
  }
  EXPECT_EQ(Get("Desktop", "Wallpaper"), "(None)");
}

}  // namespace
