// Files through the Win32 calls: dispositions, share modes, reading and
// writing, folders, searches, and OpenFile with the _l* calls.
#include <host_testing/station_fixture.h>
#include <sys/stat.h>

#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "kernel/station_state.h"

namespace {

namespace fs = std::filesystem;

constexpr DWORD R = GENERIC_READ;
constexpr DWORD W = GENERIC_WRITE;
constexpr DWORD RW = GENERIC_READ | GENERIC_WRITE;
constexpr DWORD SR = FILE_SHARE_READ;
constexpr DWORD SW = FILE_SHARE_WRITE;
constexpr DWORD SRW = FILE_SHARE_READ | FILE_SHARE_WRITE;

class FilesTest : public host::testing::StationTest {
 protected:
  static HANDLE Open(const char* path, DWORD access, DWORD share = SRW, DWORD disposition = OPEN_EXISTING) {
    return CreateFileA(path, access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  }
  static std::string Read(HANDLE file, DWORD count) {
    std::string bytes(count, '\0');
    DWORD read = 0;
    if (!ReadFile(file, bytes.data(), count, &read, nullptr)) return "<failed>";
    bytes.resize(read);
    return bytes;
  }
  static bool Write(HANDLE file, const std::string& bytes) {
    DWORD written = 0;
    return WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
  }
  static std::vector<std::string> Find(const char* pattern) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE search = FindFirstFileA(pattern, &data);
    if (search == INVALID_HANDLE_VALUE) return names;
    do names.push_back(data.cFileName);
    while (FindNextFileA(search, &data));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_FILES));
    FindClose(search);
    return names;
  }
  void MakeReadOnly(const char* path) const { chmod(host::HostPath(path).c_str(), 0444); }
};

TEST_F(FilesTest, DispositionsOnExistingAndMissingFiles) {
  struct Case {
    DWORD disposition;
    bool exists;
    bool opens;
    DWORD lastError;
    const char* contentAfter;  // of the file, nullptr: no file
  } cases[] = {
      {CREATE_NEW, true, false, ERROR_FILE_EXISTS, "old"},
      {CREATE_NEW, false, true, ERROR_SUCCESS, ""},
      {CREATE_ALWAYS, true, true, ERROR_ALREADY_EXISTS, ""},
      {CREATE_ALWAYS, false, true, ERROR_SUCCESS, ""},
      {OPEN_EXISTING, true, true, ERROR_SUCCESS, "old"},
      {OPEN_EXISTING, false, false, ERROR_FILE_NOT_FOUND, nullptr},
      {OPEN_ALWAYS, true, true, ERROR_ALREADY_EXISTS, "old"},
      {OPEN_ALWAYS, false, true, ERROR_SUCCESS, ""},
      {TRUNCATE_EXISTING, true, true, ERROR_SUCCESS, ""},
      {TRUNCATE_EXISTING, false, false, ERROR_FILE_NOT_FOUND, nullptr},
      {0, true, false, ERROR_INVALID_PARAMETER, "old"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "disposition " << c.disposition << (c.exists ? " existing" : " missing"));
    const char* path = "C:\\DISPO.TXT";
    DeleteFileA(path);
    if (c.exists) WriteStationFile(path, "old");
    SetLastError(0xDEAD);
    HANDLE file = Open(path, RW, 0, c.disposition);
    EXPECT_EQ(file != INVALID_HANDLE_VALUE, c.opens);
    EXPECT_EQ(GetLastError(), c.lastError);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    EXPECT_EQ(GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES, c.contentAfter != nullptr);
    if (c.contentAfter) {
      EXPECT_EQ(ReadStationFile(path), c.contentAfter);
    }
  }
}

TEST_F(FilesTest, ShareModesAreEnforcedAcrossHandles) {
  struct Opening {
    DWORD access, share;
  };
  struct Case {
    Opening first, second;
    bool secondOpens;
  } cases[] = {
      {{R, 0}, {R, SRW}, false},                               // exclusive
      {{R, SRW}, {R, 0}, false},                               // the second would deny the first's reading
      {{R, SR}, {R, SR}, true},   {{R, SR}, {W, SRW}, false},  // the first does not share writing
      {{R, SRW}, {W, SR}, true},  {{W, SRW}, {R, SR}, false},  // the second would deny the first's writing
      {{W, SR}, {R, SRW}, true},  {{W, SR}, {W, SRW}, false}, {{W, SW}, {W, SW}, true}, {{RW, SRW}, {RW, SRW}, true},
      {{RW, SR}, {R, SR}, false}, {{0, 0}, {RW, 0}, true},  // opens for attributes only neither conflict nor block
      {{RW, 0}, {0, 0}, true},
  };
  WriteStationFile("C:\\SHARED.DAT", "x");
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "first " << std::hex << c.first.access << "/" << c.first.share << ", second "
                                    << c.second.access << "/" << c.second.share);
    HANDLE first = Open("C:\\SHARED.DAT", c.first.access, c.first.share);
    ASSERT_NE(first, INVALID_HANDLE_VALUE);
    HANDLE second = Open("c:\\shared.dat", c.second.access, c.second.share);
    EXPECT_EQ(second != INVALID_HANDLE_VALUE, c.secondOpens);
    if (second == INVALID_HANDLE_VALUE) {
      EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    }
    if (second != INVALID_HANDLE_VALUE) CloseHandle(second);
    CloseHandle(first);
    // Once the first is closed nothing stands in the way.
    second = Open("C:\\SHARED.DAT", c.second.access, c.second.share);
    EXPECT_NE(second, INVALID_HANDLE_VALUE);
    CloseHandle(second);
  }
}

TEST_F(FilesTest, SharingViolationComesBeforeTruncation) {
  WriteStationFile("C:\\KEEP.TXT", "precious");
  HANDLE reader = Open("C:\\KEEP.TXT", R, SR);
  ASSERT_NE(reader, INVALID_HANDLE_VALUE);
  EXPECT_EQ(Open("C:\\KEEP.TXT", W, SRW, CREATE_ALWAYS), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  CloseHandle(reader);
  EXPECT_EQ(ReadStationFile("C:\\KEEP.TXT"), "precious");
}

TEST_F(FilesTest, ReadsStopShortAtTheEnd) {
  WriteStationFile("C:\\TEN.BIN", "0123456789");
  HANDLE file = Open("C:\\TEN.BIN", R);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_EQ(Read(file, 4), "0123");
  EXPECT_EQ(Read(file, 100), "456789");
  DWORD read = 99;
  char byte;
  EXPECT_TRUE(ReadFile(file, &byte, 1, &read, nullptr));  // at the end: success, nothing read
  EXPECT_EQ(read, 0u);
  CloseHandle(file);
}

TEST_F(FilesTest, HandlesRefuseWhatTheyWereNotOpenedFor) {
  WriteStationFile("C:\\RO.TXT", "abc");
  HANDLE reader = Open("C:\\RO.TXT", R);
  HANDLE writer = Open("C:\\RO.TXT", W);
  char buffer[4];
  DWORD count = 0;
  EXPECT_FALSE(WriteFile(reader, "x", 1, &count, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_FALSE(SetEndOfFile(reader));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_FALSE(ReadFile(writer, buffer, 1, &count, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  CloseHandle(reader);
  CloseHandle(writer);
  EXPECT_FALSE(ReadFile(reader, buffer, 1, &count, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_FALSE(CloseHandle(reader));
}

TEST_F(FilesTest, FilePointerMovesAndRefusesNegativePositions) {
  WriteStationFile("C:\\SEEK.BIN", "0123456789");
  HANDLE file = Open("C:\\SEEK.BIN", RW);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  struct Case {
    LONG distance;
    DWORD method;
    DWORD result;  // INVALID_SET_FILE_POINTER: refused
    DWORD error;
  } cases[] = {
      {3, FILE_BEGIN, 3, ERROR_SUCCESS},
      {2, FILE_CURRENT, 5, ERROR_SUCCESS},
      {-1, FILE_END, 9, ERROR_SUCCESS},
      {-10, FILE_CURRENT, INVALID_SET_FILE_POINTER, ERROR_NEGATIVE_SEEK},
      {-11, FILE_END, INVALID_SET_FILE_POINTER, ERROR_NEGATIVE_SEEK},
      {0, 7, INVALID_SET_FILE_POINTER, ERROR_INVALID_PARAMETER},
      {0, FILE_CURRENT, 9, ERROR_SUCCESS},  // unchanged by the refusals
      {20, FILE_BEGIN, 20, ERROR_SUCCESS},  // beyond the end is allowed
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.distance << " from " << c.method);
    SetLastError(0xDEAD);
    EXPECT_EQ(SetFilePointer(file, c.distance, nullptr, c.method), c.result);
    if (c.result == INVALID_SET_FILE_POINTER) {
      EXPECT_EQ(GetLastError(), c.error);
    }
  }
  // Writing beyond the end fills the gap with zeros.
  ASSERT_TRUE(Write(file, "!"));
  EXPECT_EQ(GetFileSize(file, nullptr), 21u);
  EXPECT_EQ(ReadStationFile("C:\\SEEK.BIN"), std::string("0123456789") + std::string(10, '\0') + "!");
  // A 64-bit move: high part -1 with a negative low part goes back from the end.
  LONG high = -1;
  EXPECT_EQ(SetFilePointer(file, -1, &high, FILE_END), 20u);
  EXPECT_EQ(high, 0);
  CloseHandle(file);
}

TEST_F(FilesTest, SetEndOfFileCutsOrExtendsAtThePointer) {
  WriteStationFile("C:\\CUT.BIN", "0123456789");
  HANDLE file = Open("C:\\CUT.BIN", RW);
  SetFilePointer(file, 4, nullptr, FILE_BEGIN);
  ASSERT_TRUE(SetEndOfFile(file));
  EXPECT_EQ(ReadStationFile("C:\\CUT.BIN"), "0123");
  SetFilePointer(file, 6, nullptr, FILE_BEGIN);
  ASSERT_TRUE(SetEndOfFile(file));
  DWORD high = 7;
  EXPECT_EQ(GetFileSize(file, &high), 6u);
  EXPECT_EQ(high, 0u);
  CloseHandle(file);
}

TEST_F(FilesTest, FileTimesFollowWritesAndSetFileTime) {
  HANDLE file = Open("C:\\TIMED.TXT", RW, 0, CREATE_NEW);
  ASSERT_TRUE(Write(file, "data"));
  FILETIME created, accessed, written;
  ASSERT_TRUE(GetFileTime(file, &created, &accessed, &written));
  unsigned long long now = (static_cast<unsigned long long>(std::time(nullptr)) + 11644473600ull) * 10000000ull;
  unsigned long long lastWrite =
      (static_cast<unsigned long long>(written.dwHighDateTime) << 32) | written.dwLowDateTime;
  EXPECT_NEAR(static_cast<double>(lastWrite), static_cast<double>(now), 5 * 10000000.0);

  FILETIME y2k{0x256D4000, 0x01BF53EB};  // 2000-01-01 00:00:00 UTC
  ASSERT_TRUE(SetFileTime(file, nullptr, nullptr, &y2k));
  ASSERT_TRUE(GetFileTime(file, nullptr, nullptr, &written));
  EXPECT_EQ(CompareFileTime(&written, &y2k), 0);
  CloseHandle(file);

  HANDLE reader = Open("C:\\TIMED.TXT", R);
  EXPECT_FALSE(SetFileTime(reader, nullptr, nullptr, &y2k));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  CloseHandle(reader);
}

TEST_F(FilesTest, CompareFileTimeOrdersBothHalves) {
  struct Case {
    FILETIME a, b;
    LONG result;
  } cases[] = {
      {{1, 0}, {2, 0}, -1},         {{2, 0}, {1, 0}, 1},
      {{5, 5}, {5, 5}, 0},          {{0xFFFFFFFF, 0}, {0, 1}, -1},  // the high part weighs more
      {{0, 0x80000000}, {0, 1}, 1},                                 // unsigned
  };
  for (const Case& c : cases) EXPECT_EQ(CompareFileTime(&c.a, &c.b), c.result);
}

TEST_F(FilesTest, DeleteFileRefusesOpenReadOnlyAndMissingFiles) {
  WriteStationFile("C:\\VICTIM.TXT", "v");
  HANDLE open = Open("C:\\VICTIM.TXT", R, SRW);
  EXPECT_FALSE(DeleteFileA("C:\\VICTIM.TXT"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  CloseHandle(open);
  EXPECT_TRUE(DeleteFileA("c:\\victim.txt"));
  EXPECT_EQ(GetFileAttributesA("C:\\VICTIM.TXT"), INVALID_FILE_ATTRIBUTES);

  WriteStationFile("C:\\SHAREDEL.TXT", "v");
  open = Open("C:\\SHAREDEL.TXT", R, SRW | FILE_SHARE_DELETE);
  EXPECT_TRUE(DeleteFileA("C:\\SHAREDEL.TXT"));  // every open shares deletion
  CloseHandle(open);

  WriteStationFile("C:\\LOCKED.TXT", "v");
  MakeReadOnly("C:\\LOCKED.TXT");
  struct Case {
    const char* path;
    DWORD error;
  } refused[] = {
      {"C:\\LOCKED.TXT", ERROR_ACCESS_DENIED},
      {"C:\\WINDOWS", ERROR_ACCESS_DENIED},
      {"C:\\NONE.TXT", ERROR_FILE_NOT_FOUND},
      {"C:\\NODIR\\NONE.TXT", ERROR_PATH_NOT_FOUND},
  };
  for (const Case& c : refused) {
    SCOPED_TRACE(c.path);
    EXPECT_FALSE(DeleteFileA(c.path));
    EXPECT_EQ(GetLastError(), c.error);
  }
  EXPECT_EQ(ReadStationFile("C:\\LOCKED.TXT"), "v");
}

TEST_F(FilesTest, ReadOnlyFilesOpenForReadingOnly) {
  WriteStationFile("C:\\FIXED.TXT", "fixed");
  MakeReadOnly("C:\\FIXED.TXT");
  EXPECT_EQ(GetFileAttributesA("C:\\FIXED.TXT") & FILE_ATTRIBUTE_READONLY, static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
  for (DWORD disposition : {OPEN_EXISTING, CREATE_ALWAYS, TRUNCATE_EXISTING}) {
    EXPECT_EQ(Open("C:\\FIXED.TXT", RW, SRW, disposition), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  }
  HANDLE reader = Open("C:\\FIXED.TXT", R);
  EXPECT_EQ(Read(reader, 10), "fixed");
  CloseHandle(reader);
  ASSERT_TRUE(SetFileAttributesA("C:\\FIXED.TXT", FILE_ATTRIBUTE_NORMAL));
  HANDLE writer = Open("C:\\FIXED.TXT", W);
  EXPECT_NE(writer, INVALID_HANDLE_VALUE);
  CloseHandle(writer);
}

TEST_F(FilesTest, FoldersAreNotOpenedAsFiles) {
  EXPECT_EQ(Open("C:\\WINDOWS", R), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(Open("C:\\WINDOWS\\WIN.INI\\", R), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_NAME));
}

TEST_F(FilesTest, DeleteOnCloseRemovesTheFileWithTheLastHandle) {
  HANDLE file = CreateFileA("C:\\SCRATCH.TMP", RW, SRW | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                            FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  HANDLE other = Open("C:\\SCRATCH.TMP", R, SRW | FILE_SHARE_DELETE);
  CloseHandle(file);
  EXPECT_NE(GetFileAttributesA("C:\\SCRATCH.TMP"), INVALID_FILE_ATTRIBUTES);
  CloseHandle(other);
  EXPECT_EQ(GetFileAttributesA("C:\\SCRATCH.TMP"), INVALID_FILE_ATTRIBUTES);
}

TEST_F(FilesTest, CopyFileHonoursFailIfExists) {
  WriteStationFile("C:\\SRC.TXT", "source");
  WriteStationFile("C:\\DST.TXT", "destination");
  EXPECT_FALSE(CopyFileA("C:\\SRC.TXT", "C:\\DST.TXT", TRUE));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_EXISTS));
  EXPECT_EQ(ReadStationFile("C:\\DST.TXT"), "destination");
  EXPECT_TRUE(CopyFileA("c:\\src.txt", "C:\\DST.TXT", FALSE));
  EXPECT_EQ(ReadStationFile("C:\\DST.TXT"), "source");
  EXPECT_TRUE(CopyFileA("C:\\SRC.TXT", "C:\\WINDOWS\\NEW.TXT", TRUE));
  EXPECT_EQ(ReadStationFile("C:\\WINDOWS\\NEW.TXT"), "source");

  struct Case {
    const char* from;
    const char* to;
    DWORD error;
  } refused[] = {
      {"C:\\NONE.TXT", "C:\\X.TXT", ERROR_FILE_NOT_FOUND},
      {"C:\\SRC.TXT", "C:\\NODIR\\X.TXT", ERROR_PATH_NOT_FOUND},
      {"C:\\SRC.TXT", "C:\\WINDOWS", ERROR_ACCESS_DENIED},
      {"C:\\WINDOWS", "C:\\X.TXT", ERROR_ACCESS_DENIED},
      {"C:\\SRC.TXT", "C:\\SRC.TXT", ERROR_SHARING_VIOLATION},  // onto itself
  };
  for (const Case& c : refused) {
    SCOPED_TRACE(testing::Message() << c.from << " -> " << c.to);
    EXPECT_FALSE(CopyFileA(c.from, c.to, FALSE));
    EXPECT_EQ(GetLastError(), c.error);
  }
  EXPECT_EQ(ReadStationFile("C:\\SRC.TXT"), "source");
}

TEST_F(FilesTest, MoveFileRenamesButNeverReplaces) {
  WriteStationFile("C:\\OLD.TXT", "moving");
  WriteStationFile("C:\\TAKEN.TXT", "taken");
  EXPECT_FALSE(MoveFileA("C:\\OLD.TXT", "c:\\taken.txt"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  EXPECT_EQ(ReadStationFile("C:\\TAKEN.TXT"), "taken");

  HANDLE open = Open("C:\\OLD.TXT", R);
  EXPECT_FALSE(MoveFileA("C:\\OLD.TXT", "C:\\NEW.TXT"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  CloseHandle(open);

  ASSERT_TRUE(MoveFileA("C:\\old.txt", "C:\\WINDOWS\\Moved.Txt"));
  EXPECT_EQ(ReadStationFile("C:\\WINDOWS\\MOVED.TXT"), "moving");
  EXPECT_EQ(GetFileAttributesA("C:\\OLD.TXT"), INVALID_FILE_ATTRIBUTES);
  // A change of case alone renames the stored name.
  ASSERT_TRUE(MoveFileA("C:\\WINDOWS\\MOVED.TXT", "C:\\WINDOWS\\MOVED.TXT"));
  EXPECT_TRUE(fs::exists(root() + "/c/WINDOWS/MOVED.TXT"));
  EXPECT_FALSE(fs::exists(root() + "/c/WINDOWS/Moved.Txt"));
  // Folders move too.
  ASSERT_TRUE(CreateDirectoryA("C:\\Box", nullptr));
  ASSERT_TRUE(MoveFileA("C:\\BOX", "C:\\Crate"));
  EXPECT_EQ(GetFileAttributesA("C:\\crate"), static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
  EXPECT_FALSE(MoveFileA("C:\\NONE.TXT", "C:\\X.TXT"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_F(FilesTest, FoldersAreMadeAndRemoved) {
  EXPECT_TRUE(CreateDirectoryA("C:\\Work", nullptr));
  WriteStationFile("C:\\WORK\\FILE.TXT", "f");
  struct Case {
    const char* what;
    BOOL (*call)(const char*);
    const char* path;
    DWORD error;
  } refused[] = {
      {"create existing", [](const char* p) { return CreateDirectoryA(p, nullptr); }, "C:\\work", ERROR_ALREADY_EXISTS},
      {"create in a missing folder", [](const char* p) { return CreateDirectoryA(p, nullptr); }, "C:\\A\\B",
       ERROR_PATH_NOT_FOUND},
      {"remove non-empty", [](const char* p) { return RemoveDirectoryA(p); }, "C:\\WORK", ERROR_DIR_NOT_EMPTY},
      {"remove a file", [](const char* p) { return RemoveDirectoryA(p); }, "C:\\WORK\\FILE.TXT", ERROR_DIRECTORY},
      {"remove missing", [](const char* p) { return RemoveDirectoryA(p); }, "C:\\NONE", ERROR_FILE_NOT_FOUND},
      {"remove the root", [](const char* p) { return RemoveDirectoryA(p); }, "C:\\", ERROR_ACCESS_DENIED},
  };
  for (const Case& c : refused) {
    SCOPED_TRACE(c.what);
    EXPECT_FALSE(c.call(c.path));
    EXPECT_EQ(GetLastError(), c.error);
  }
  ASSERT_TRUE(DeleteFileA("C:\\WORK\\FILE.TXT"));
  EXPECT_TRUE(RemoveDirectoryA("c:\\work"));
  EXPECT_EQ(GetFileAttributesA("C:\\WORK"), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(GetFileAttributesA("C:\\WORK\\X"), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

class FindTest : public FilesTest {
 protected:
  void SetUp() override {
    FilesTest::SetUp();
    for (const char* name : {"Alpha.txt", "beta.TXT", "gamma.doc", "NOEXT", "Sub\\inner.txt"})
      WriteStationFile(std::string("C:\\Data\\") + name, "12345");
  }
};

TEST_F(FindTest, WildcardsMatchWithoutRegardToCase) {
  using Names = std::vector<std::string>;
  struct Case {
    const char* pattern;
    Names names;
  } cases[] = {
      {"C:\\Data\\*", {".", "..", "Alpha.txt", "beta.TXT", "gamma.doc", "NOEXT", "Sub"}},
      {"C:\\Data\\*.*", {".", "..", "Alpha.txt", "beta.TXT", "gamma.doc", "NOEXT", "Sub"}},
      {"c:\\data\\*.TXT", {"Alpha.txt", "beta.TXT"}},
      {"C:\\DATA\\*.", {".", "..", "NOEXT", "Sub"}},
      {"C:\\Data\\?????.*", {"Alpha.txt", "gamma.doc", "NOEXT"}},
      {"C:\\Data\\B*", {"beta.TXT"}},
      {"C:\\Data\\*a.*", {"Alpha.txt", "beta.TXT", "gamma.doc"}},
      {"C:\\Data\\alpha.txt", {"Alpha.txt"}},
      {"C:\\Data\\Sub\\*.txt", {"inner.txt"}},
      {"C:\\Data\\nothing*", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pattern);
    EXPECT_EQ(Find(c.pattern), c.names);
  }
}

TEST_F(FindTest, FoundEntriesCarryAttributesAndSizes) {
  WIN32_FIND_DATAA data;
  HANDLE search = FindFirstFileA("C:\\Data\\S*", &data);
  ASSERT_NE(search, INVALID_HANDLE_VALUE);
  EXPECT_STREQ(data.cFileName, "Sub");
  EXPECT_EQ(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY, static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
  EXPECT_FALSE(FindNextFileA(search, &data));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_FILES));
  EXPECT_TRUE(FindClose(search));
  EXPECT_FALSE(FindClose(search));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));

  search = FindFirstFileA("C:\\Data\\gamma.doc", &data);
  ASSERT_NE(search, INVALID_HANDLE_VALUE);
  EXPECT_EQ(data.nFileSizeLow, 5u);
  EXPECT_EQ(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
  FindClose(search);
}

TEST_F(FindTest, SearchesThatFindNothing) {
  struct Case {
    const char* pattern;
    DWORD error;
  } cases[] = {
      {"C:\\Data\\*.xyz", ERROR_FILE_NOT_FOUND},
      {"C:\\Nowhere\\*.*", ERROR_PATH_NOT_FOUND},
      {"C:\\Data\\Alpha.txt\\*", ERROR_PATH_NOT_FOUND},
      {"C:\\Data\\", ERROR_FILE_NOT_FOUND},
      {"C:\\Data\\a|b", ERROR_INVALID_NAME},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pattern);
    WIN32_FIND_DATAA data;
    EXPECT_EQ(FindFirstFileA(c.pattern, &data), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), c.error);
  }
  // The root has no "." and ".." entries; a relative pattern searches the current folder.
  for (const auto& name : Find("C:\\*")) EXPECT_NE(name[0], '.');
  EXPECT_EQ(Find("SYSTEM.INI"), std::vector<std::string>{"SYSTEM.INI"});
}

// OpenFile's search for a bare name, from the first folder to the last.
TEST_F(FilesTest, OpenFileSearchesTheWindowsOrder) {
  const char* folders[] = {"C:\\WORK", "C:\\WINDOWS", "C:\\WINDOWS\\SYSTEM", "C:\\APP"};
  ASSERT_TRUE(CreateDirectoryA("C:\\WORK", nullptr));
  ASSERT_TRUE(SetCurrentDirectoryA("C:\\WORK"));
  {
    std::lock_guard lock(host::kernel::KernelLock());
    host::kernel::CurrentProcess().imagePath = "C:\\APP\\PROGRAM.EXE";
  }
  // Case i: the file is in folders i.. only, so folder i must be the one found.
  for (size_t first = 0; first <= std::size(folders); ++first) {
    SCOPED_TRACE(first < std::size(folders) ? folders[first] : "nowhere");
    for (size_t i = 0; i < std::size(folders); ++i) {
      std::string path = std::string(folders[i]) + "\\FOUND.DAT";
      DeleteFileA(path.c_str());
      if (i >= first) WriteStationFile(path, folders[i]);
    }
    OFSTRUCT record;
    HFILE file = OpenFile("found.dat", &record, OF_READ);
    EXPECT_EQ(static_cast<size_t>(record.cBytes), sizeof(OFSTRUCT));
    if (first == std::size(folders)) {
      EXPECT_EQ(file, HFILE_ERROR);
      EXPECT_EQ(record.nErrCode, ERROR_FILE_NOT_FOUND);
      continue;
    }
    ASSERT_NE(file, HFILE_ERROR);
    EXPECT_EQ(record.nErrCode, 0);
    EXPECT_STREQ(record.szPathName, (std::string(folders[first]) + "\\found.dat").c_str());
    char content[64] = {};
    EXPECT_EQ(_lread(file, content, sizeof(content) - 1), std::string(folders[first]).size());
    EXPECT_STREQ(content, folders[first]);
    EXPECT_EQ(_lclose(file), 0);
  }
}

TEST_F(FilesTest, OpenFileStyles) {
  WriteStationFile("C:\\WINDOWS\\HERE.DAT", "here");
  OFSTRUCT record;
  // OF_EXIST opens and closes again: nothing stays open.
  ASSERT_NE(OpenFile("HERE.DAT", &record, OF_EXIST), HFILE_ERROR);
  EXPECT_STREQ(record.szPathName, "C:\\WINDOWS\\HERE.DAT");
  HANDLE exclusive = Open("C:\\WINDOWS\\HERE.DAT", RW, 0);
  EXPECT_NE(exclusive, INVALID_HANDLE_VALUE);
  CloseHandle(exclusive);

  // OF_PARSE only builds the full path.
  EXPECT_EQ(OpenFile("..\\NOT\\THERE.DAT", &record, OF_PARSE), 0);
  EXPECT_STREQ(record.szPathName, "C:\\NOT\\THERE.DAT");

  // OF_CREATE makes the file in the current folder, even though one of that name is found further on.
  HFILE created = OpenFile("HERE.DAT", &record, OF_CREATE | OF_WRITE);
  ASSERT_NE(created, HFILE_ERROR);
  EXPECT_EQ(_lwrite(created, "new", 3), 3u);
  _lclose(created);
  EXPECT_EQ(ReadStationFile("C:\\WINDOWS\\HERE.DAT"), "new");  // the current folder is C:\WINDOWS

  ASSERT_TRUE(SetCurrentDirectoryA("C:\\"));
  created = OpenFile("HERE.DAT", &record, OF_CREATE | OF_READWRITE);
  ASSERT_NE(created, HFILE_ERROR);
  EXPECT_STREQ(record.szPathName, "C:\\HERE.DAT");
  _lclose(created);
  EXPECT_EQ(ReadStationFile("C:\\WINDOWS\\HERE.DAT"), "new");

  EXPECT_NE(OpenFile("C:\\HERE.DAT", &record, OF_DELETE), HFILE_ERROR);
  EXPECT_EQ(GetFileAttributesA("C:\\HERE.DAT"), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(OpenFile("C:\\HERE.DAT", &record, OF_DELETE), HFILE_ERROR);
  EXPECT_EQ(record.nErrCode, ERROR_FILE_NOT_FOUND);

  // Share flags reach CreateFileA.
  WriteStationFile("C:\\EXCL.DAT", "x");
  HFILE alone = OpenFile("C:\\EXCL.DAT", &record, OF_READ | OF_SHARE_EXCLUSIVE);
  ASSERT_NE(alone, HFILE_ERROR);
  EXPECT_EQ(OpenFile("C:\\EXCL.DAT", &record, OF_READ | OF_SHARE_DENY_NONE), HFILE_ERROR);
  EXPECT_EQ(record.nErrCode, ERROR_SHARING_VIOLATION);
  _lclose(alone);
}

TEST_F(FilesTest, LowLevelCallsReadWriteAndSeek) {
  HFILE file = _lcreat("C:\\LOW.DAT", 0);
  ASSERT_NE(file, HFILE_ERROR);
  EXPECT_EQ(_lwrite(file, "abcdef", 6), 6u);
  EXPECT_EQ(_llseek(file, 2, FILE_BEGIN), 2);
  char buffer[8] = {};
  EXPECT_EQ(_lread(file, buffer, 3), 3u);
  EXPECT_STREQ(buffer, "cde");
  EXPECT_EQ(_llseek(file, 0, FILE_END), 6);
  EXPECT_EQ(_lread(file, buffer, 3), 0u);
  EXPECT_EQ(_llseek(file, -7, FILE_CURRENT), HFILE_ERROR);
  EXPECT_EQ(_lclose(file), 0);
  EXPECT_EQ(_lclose(file), HFILE_ERROR);

  file = _lopen("c:\\low.dat", OF_READ);
  ASSERT_NE(file, HFILE_ERROR);
  EXPECT_EQ(_lwrite(file, "x", 1), static_cast<UINT>(HFILE_ERROR));  // opened for reading
  _lclose(file);
  EXPECT_EQ(_lopen("C:\\NONE.DAT", OF_READ), HFILE_ERROR);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));

  // _lcreat truncates and can make the file read-only.
  file = _lcreat("C:\\LOW.DAT", 1);
  ASSERT_NE(file, HFILE_ERROR);
  _lclose(file);
  EXPECT_EQ(ReadStationFile("C:\\LOW.DAT"), "");
  EXPECT_EQ(GetFileAttributesA("C:\\LOW.DAT") & FILE_ATTRIBUTE_READONLY, static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
}

}  // namespace
