// Windows paths inside the station: drive C:, case folding, normalisation,
// limits, the current folder, and the folder queries.
#include "kernel/paths.h"

#include <host_testing/station_fixture.h>

#include <filesystem>
#include <string>

namespace {

using host::kernel::ResolvedPath;
using host::kernel::ResolveWindowsPath;
namespace fs = std::filesystem;

class PathsTest : public host::testing::StationTest {
 protected:
  void SetUp() override {
    StationTest::SetUp();
    // Mixed-case folders as an installation leaves them.
    WriteStationFile("C:\\Mixed\\SubDir\\Data.Bin", "data");
  }
  std::string Drive() const { return root() + "/c"; }
};

TEST_F(PathsTest, ResolvesWindowsPathsToStoredCase) {
  struct Case {
    const char* path;
    DWORD error;  // ERROR_SUCCESS: resolves
    const char* windowsPath;
    const char* hostPath;  // below the drive folder
    bool exists;
  } cases[] = {
      {"c:\\windows\\win.ini", ERROR_SUCCESS, "C:\\windows\\win.ini", "/WINDOWS/WIN.INI", true},
      {"C:/Windows/System.ini", ERROR_SUCCESS, "C:\\Windows\\System.ini", "/WINDOWS/SYSTEM.INI", true},
      {"C:\\MIXED\\subdir\\DATA.BIN", ERROR_SUCCESS, "C:\\MIXED\\subdir\\DATA.BIN", "/Mixed/SubDir/Data.Bin", true},
      {"C:\\mixed\\SUBDIR\\New File.Txt", ERROR_SUCCESS, "C:\\mixed\\SUBDIR\\New File.Txt",
       "/Mixed/SubDir/New File.Txt", false},
      {"C:\\", ERROR_SUCCESS, "C:\\", "", true},
      {"C:\\..\\..\\WINDOWS\\WIN.INI", ERROR_SUCCESS, "C:\\WINDOWS\\WIN.INI", "/WINDOWS/WIN.INI", true},
      {"C:\\WINDOWS\\.\\SYSTEM\\..\\WIN.INI", ERROR_SUCCESS, "C:\\WINDOWS\\WIN.INI", "/WINDOWS/WIN.INI", true},
      {"C:\\WINDOWS\\\\WIN.INI", ERROR_SUCCESS, "C:\\WINDOWS\\WIN.INI", "/WINDOWS/WIN.INI", true},
      {"C:\\WINDOWS\\WIN.INI.", ERROR_SUCCESS, "C:\\WINDOWS\\WIN.INI", "/WINDOWS/WIN.INI", true},
      {"C:\\WINDOWS\\", ERROR_SUCCESS, "C:\\WINDOWS", "/WINDOWS", true},
      {"win.ini", ERROR_SUCCESS, "C:\\WINDOWS\\win.ini", "/WINDOWS/WIN.INI", true},  // the current folder
      {"SYSTEM\\..\\..\\Mixed", ERROR_SUCCESS, "C:\\Mixed", "/Mixed", true},
      {"\\Mixed\\SubDir", ERROR_SUCCESS, "C:\\Mixed\\SubDir", "/Mixed/SubDir", true},
      {"c:SYSTEM.INI", ERROR_SUCCESS, "C:\\WINDOWS\\SYSTEM.INI", "/WINDOWS/SYSTEM.INI", true},
      {"C:\\Missing\\File.txt", ERROR_PATH_NOT_FOUND, "", "/Missing/File.txt", false},
      {"C:\\WINDOWS\\WIN.INI\\Inner", ERROR_PATH_NOT_FOUND, "", "/WINDOWS/WIN.INI/Inner", false},
      {"D:\\DATA.TXT", ERROR_PATH_NOT_FOUND, "", nullptr, false},
      {"C:\\WINDOWS\\*.INI", ERROR_INVALID_NAME, "", nullptr, false},
      {"C:\\WINDOWS\\A<B", ERROR_INVALID_NAME, "", nullptr, false},
      {"\\\\SERVER\\SHARE\\FILE", ERROR_BAD_NETPATH, "", nullptr, false},
      {"", ERROR_PATH_NOT_FOUND, "", nullptr, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    ResolvedPath resolved = ResolveWindowsPath(c.path);
    EXPECT_EQ(resolved.ok, c.error == ERROR_SUCCESS);
    EXPECT_EQ(resolved.error, c.error);
    if (resolved.ok) {
      EXPECT_EQ(resolved.windowsPath, c.windowsPath);
    }
    if (c.hostPath) {
      EXPECT_EQ(resolved.hostPath, Drive() + c.hostPath);
    }
    EXPECT_EQ(resolved.exists, c.exists);
  }
}

TEST_F(PathsTest, ExactNameWinsOverOtherCases) {
  fs::create_directories(Drive() + "/Twin");
  fs::create_directories(Drive() + "/TWIN");
  EXPECT_EQ(ResolveWindowsPath("C:\\Twin").hostPath, Drive() + "/Twin");
  EXPECT_EQ(ResolveWindowsPath("C:\\TWIN").hostPath, Drive() + "/TWIN");
  EXPECT_EQ(ResolveWindowsPath("C:\\twin").hostPath, Drive() + "/TWIN");  // first in byte order
}

TEST_F(PathsTest, NewFoldersAndFilesKeepTheCaseGiven) {
  ASSERT_TRUE(CreateDirectoryA("c:\\MIXED\\New Folder", nullptr));
  HANDLE file = CreateFileA("C:\\mixed\\NEW FOLDER\\MyFile.Txt", GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  CloseHandle(file);
  EXPECT_TRUE(fs::is_regular_file(Drive() + "/Mixed/New Folder/MyFile.Txt"));
  // Opening it again in another case finds the same file.
  file = CreateFileA("C:\\MIXED\\new folder\\MYFILE.TXT", GENERIC_READ, 0, nullptr, CREATE_NEW, 0, nullptr);
  EXPECT_EQ(file, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_EXISTS));
}

TEST_F(PathsTest, PathsOfMaxPathOrMoreAreRefused) {
  // "C:\" + folder + "\" + name: 259 characters fit (with the NUL, MAX_PATH), 260 do not.
  std::string folder = "C:\\" + std::string(100, 'd') + "\\";
  std::string fits = folder + std::string(MAX_PATH - 1 - folder.size(), 'f');
  std::string tooLong = fits + "g";
  EXPECT_EQ(ResolveWindowsPath(fits.c_str()).error, static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
  EXPECT_EQ(ResolveWindowsPath(tooLong.c_str()).error, static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE));
  // The limit holds for the full path, however short the relative name.
  std::string relativeName = std::string(MAX_PATH - 11, 'r');  // with "C:\WINDOWS\" in front: 260
  EXPECT_EQ(ResolveWindowsPath(relativeName.c_str()).error, static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE));
  HANDLE file = CreateFileA(tooLong.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  EXPECT_EQ(file, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE));
}

TEST_F(PathsTest, HostPathOfAMissingFolderStillNamesIt) {
  EXPECT_EQ(host::HostPath("C:\\mixed\\New\\x.txt"), Drive() + "/Mixed/New/x.txt");
  EXPECT_EQ(host::HostPath("E:\\x.txt"), "");
}

TEST_F(PathsTest, CurrentDirectoryIsPerProcessAndGuidesRelativePaths) {
  char buffer[MAX_PATH];
  ASSERT_EQ(GetCurrentDirectoryA(sizeof(buffer), buffer), 10u);
  EXPECT_STREQ(buffer, "C:\\WINDOWS");
  EXPECT_EQ(GetCurrentDirectoryA(10, buffer), 11u);  // too small: the size needed

  ASSERT_TRUE(SetCurrentDirectoryA("..\\mixed\\subdir"));
  ASSERT_EQ(GetCurrentDirectoryA(sizeof(buffer), buffer), 15u);
  EXPECT_STREQ(buffer, "C:\\mixed\\subdir");
  EXPECT_EQ(GetFileAttributesA("data.bin") & FILE_ATTRIBUTE_DIRECTORY, 0u);
  EXPECT_EQ(ResolveWindowsPath("..\\..\\..\\WINDOWS").windowsPath, "C:\\WINDOWS");

  struct Case {
    const char* path;
    DWORD error;
  } refused[] = {
      {"C:\\Nowhere", ERROR_FILE_NOT_FOUND},
      {"C:\\Nowhere\\Deeper", ERROR_PATH_NOT_FOUND},
      {"data.bin", ERROR_DIRECTORY},
      {"D:\\", ERROR_PATH_NOT_FOUND},
  };
  for (const Case& c : refused) {
    SCOPED_TRACE(c.path);
    EXPECT_FALSE(SetCurrentDirectoryA(c.path));
    EXPECT_EQ(GetLastError(), c.error);
  }
  GetCurrentDirectoryA(sizeof(buffer), buffer);
  EXPECT_STREQ(buffer, "C:\\mixed\\subdir");
}

TEST_F(PathsTest, FullPathNamesAreLexical) {
  struct Case {
    const char* path;
    const char* full;
    const char* filePart;  // nullptr: none
  } cases[] = {
      {"notes.txt", "C:\\WINDOWS\\notes.txt", "notes.txt"},
      {"..\\..\\..\\x.txt", "C:\\x.txt", "x.txt"},
      {"c:/a/b/", "c:\\a\\b\\", nullptr},
      {"C:\\", "C:\\", nullptr},
      {"\\Top\\*.*", "C:\\Top\\*.*", "*.*"},
      {"Q:\\Data\\f.dat", "Q:\\Data\\f.dat", "f.dat"},  // no disk access: any drive
      {"Q:rel", "Q:\\rel", "rel"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    char buffer[MAX_PATH];
    LPSTR filePart = reinterpret_cast<LPSTR>(1);
    DWORD length = GetFullPathNameA(c.path, sizeof(buffer), buffer, &filePart);
    // The drive letter keeps no case of its own: compare from the colon on.
    ASSERT_EQ(length, std::string(c.full).size());
    EXPECT_STREQ(buffer + 1, c.full + 1);
    if (c.filePart) {
      EXPECT_STREQ(filePart, c.filePart);
    } else {
      EXPECT_EQ(filePart, nullptr);
    }
  }
  char small[5];
  EXPECT_EQ(GetFullPathNameA("notes.txt", sizeof(small), small, nullptr), 21u);
  EXPECT_EQ(GetFullPathNameA("", sizeof(small), small, nullptr), 0u);
}

TEST_F(PathsTest, FolderQueriesFollowTheBufferConvention) {
  struct Case {
    const char* what;
    UINT (*query)(LPSTR, UINT);
    const char* expected;
  } cases[] = {
      {"Windows", [](LPSTR b, UINT n) { return GetWindowsDirectoryA(b, n); }, "C:\\WINDOWS"},
      {"system", [](LPSTR b, UINT n) { return GetSystemDirectoryA(b, n); }, "C:\\WINDOWS\\SYSTEM"},
      {"temp", [](LPSTR b, UINT n) { return static_cast<UINT>(GetTempPathA(n, b)); }, "C:\\WINDOWS\\TEMP\\"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    UINT length = static_cast<UINT>(std::string(c.expected).size());
    char buffer[MAX_PATH] = "untouched";
    EXPECT_EQ(c.query(buffer, length), length + 1);  // no room for the NUL
    EXPECT_STREQ(buffer, "untouched");
    EXPECT_EQ(c.query(buffer, sizeof(buffer)), length);
    EXPECT_STREQ(buffer, c.expected);
  }
  EXPECT_EQ(GetFileAttributesA("C:\\WINDOWS\\TEMP"), static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
}

}  // namespace
