// File mappings and named shared memory: what views see, how files grow and
// are protected while mapped, and how long mapping objects live.
#include <host_testing/station_fixture.h>

#include <cstring>
#include <string>

namespace {

class MappingTest : public host::testing::StationTest {
 protected:
  static HANDLE OpenFile(const char* path, DWORD access = GENERIC_READ | GENERIC_WRITE) {
    return CreateFileA(path, access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  }
  static HANDLE SharedMemory(const char* name, DWORD size) {
    return CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, size, name);
  }
  static DWORD SizeOf(const char* path) {
    HANDLE file = OpenFile(path, GENERIC_READ);
    DWORD size = GetFileSize(file, nullptr);
    CloseHandle(file);
    return size;
  }
};

TEST_F(MappingTest, ViewsShowTheFileAndWritesReachIt) {
  WriteStationFile("C:\\DATA.BIN", "0123456789");
  HANDLE file = OpenFile("C:\\DATA.BIN");
  HANDLE mapping = CreateFileMappingA(file, nullptr, PAGE_READWRITE, 0, 0, nullptr);
  ASSERT_NE(mapping, nullptr);
  auto* view = static_cast<char*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0));
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(std::string(view, 10), "0123456789");

  view[0] = 'A';
  char first = 0;
  DWORD read = 0;
  ASSERT_TRUE(ReadFile(file, &first, 1, &read, nullptr));
  EXPECT_EQ(first, 'A');  // ReadFile sees the view's bytes at once
  DWORD written = 0;
  ASSERT_TRUE(WriteFile(file, "B", 1, &written, nullptr));
  EXPECT_EQ(view[1], 'B');  // and the view sees WriteFile's

  EXPECT_TRUE(FlushViewOfFile(view + 1, 0));
  EXPECT_TRUE(UnmapViewOfFile(view));
  CloseHandle(mapping);
  CloseHandle(file);
  EXPECT_EQ(ReadStationFile("C:\\DATA.BIN"), "AB23456789");
}

TEST_F(MappingTest, ViewsAtAnyOffsetShareTheSameBytes) {
  WriteStationFile("C:\\PAGES.BIN", std::string(3 * 4096 + 100, '.'));
  HANDLE file = OpenFile("C:\\PAGES.BIN");
  HANDLE mapping = CreateFileMappingA(file, nullptr, PAGE_READWRITE, 0, 0, nullptr);
  CloseHandle(file);
  auto* whole = static_cast<char*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0));
  auto* inner = static_cast<char*>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 4096 + 10, 20));
  ASSERT_NE(whole, nullptr);
  ASSERT_NE(inner, nullptr);
  std::memcpy(whole + 4096 + 10, "shared", 6);
  EXPECT_EQ(std::string(inner, 6), "shared");
  // Unmapping by an address inside the view is what Win32 accepts too.
  EXPECT_TRUE(UnmapViewOfFile(inner + 5));
  EXPECT_TRUE(UnmapViewOfFile(whole));
  CloseHandle(mapping);
  EXPECT_EQ(ReadStationFile("C:\\PAGES.BIN").substr(4096 + 10, 6), "shared");
}

TEST_F(MappingTest, MappingLargerThanTheFileGrowsIt) {
  WriteStationFile("C:\\GROW.BIN", "abc");
  HANDLE file = OpenFile("C:\\GROW.BIN");
  HANDLE mapping = CreateFileMappingA(file, nullptr, PAGE_READWRITE, 0, 10000, nullptr);
  ASSERT_NE(mapping, nullptr);
  EXPECT_EQ(GetFileSize(file, nullptr), 10000u);
  auto* view = static_cast<char*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0));
  ASSERT_NE(view, nullptr);
  view[9999] = 'z';
  UnmapViewOfFile(view);
  CloseHandle(mapping);
  CloseHandle(file);
  std::string bytes = ReadStationFile("C:\\GROW.BIN");
  ASSERT_EQ(bytes.size(), 10000u);
  EXPECT_EQ(bytes.substr(0, 4), std::string("abc\0", 4));
  EXPECT_EQ(bytes.back(), 'z');
}

TEST_F(MappingTest, MappingsAFileCannotBackAreRefused) {
  WriteStationFile("C:\\SMALL.BIN", "abc");
  WriteStationFile("C:\\EMPTY.BIN", "");
  HANDLE small = OpenFile("C:\\SMALL.BIN");
  HANDLE reader = OpenFile("C:\\SMALL.BIN", GENERIC_READ);
  HANDLE empty = OpenFile("C:\\EMPTY.BIN");
  struct Case {
    const char* what;
    HANDLE file;
    DWORD protect, size;
    DWORD error;
  } cases[] = {
      {"empty file, size 0", empty, PAGE_READWRITE, 0, ERROR_FILE_INVALID},
      {"read-only mapping beyond the end", small, PAGE_READONLY, 100, ERROR_ACCESS_DENIED},
      {"writable mapping of a read handle", reader, PAGE_READWRITE, 0, ERROR_ACCESS_DENIED},
      {"unknown protection", small, PAGE_NOACCESS, 0, ERROR_INVALID_PARAMETER},
      {"not a file handle", reinterpret_cast<HANDLE>(0x7777), PAGE_READONLY, 0, ERROR_INVALID_HANDLE},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(CreateFileMappingA(c.file, nullptr, c.protect, 0, c.size, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), c.error);
  }
  EXPECT_EQ(GetFileSize(small, nullptr), 3u);
  EXPECT_EQ(GetFileSize(empty, nullptr), 0u);
  CloseHandle(small);
  CloseHandle(reader);
  CloseHandle(empty);
}

TEST_F(MappingTest, ViewsMustFitTheMappingAndItsAccess) {
  WriteStationFile("C:\\FIT.BIN", std::string(100, 'f'));
  HANDLE file = OpenFile("C:\\FIT.BIN");
  HANDLE readOnly = CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
  HANDLE writable = CreateFileMappingA(file, nullptr, PAGE_READWRITE, 0, 0, "FitMapping");
  HANDLE openedForReading = OpenFileMappingA(FILE_MAP_READ, FALSE, "FitMapping");
  ASSERT_NE(openedForReading, nullptr);
  struct Case {
    const char* what;
    HANDLE mapping;
    DWORD access, offset, size;
    DWORD error;
  } cases[] = {
      {"write view of a read-only mapping", readOnly, FILE_MAP_WRITE, 0, 0, ERROR_ACCESS_DENIED},
      {"write view through a read handle", openedForReading, FILE_MAP_WRITE, 0, 0, ERROR_ACCESS_DENIED},
      {"past the end", writable, FILE_MAP_READ, 50, 51, ERROR_ACCESS_DENIED},
      {"offset at the end", writable, FILE_MAP_READ, 100, 0, ERROR_ACCESS_DENIED},
      {"no access", writable, 0, 0, 0, ERROR_INVALID_PARAMETER},
      {"a file handle", file, FILE_MAP_READ, 0, 0, ERROR_INVALID_HANDLE},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(MapViewOfFile(c.mapping, c.access, 0, c.offset, c.size), nullptr);
    EXPECT_EQ(GetLastError(), c.error);
  }
  HANDLE openedForWriting = OpenFileMappingA(FILE_MAP_WRITE, FALSE, "FitMapping");
  EXPECT_NE(openedForWriting, nullptr);
  CloseHandle(openedForWriting);
  void* view = MapViewOfFile(readOnly, FILE_MAP_READ, 0, 50, 50);
  EXPECT_NE(view, nullptr);
  UnmapViewOfFile(view);
  for (HANDLE h : {readOnly, writable, openedForReading, file}) CloseHandle(h);
}

TEST_F(MappingTest, CopyOnWriteViewsKeepTheirChanges) {
  WriteStationFile("C:\\COW.BIN", "original");
  HANDLE file = OpenFile("C:\\COW.BIN", GENERIC_READ);
  HANDLE mapping = CreateFileMappingA(file, nullptr, PAGE_WRITECOPY, 0, 0, nullptr);
  auto* copy = static_cast<char*>(MapViewOfFile(mapping, FILE_MAP_COPY, 0, 0, 0));
  ASSERT_NE(copy, nullptr);
  copy[0] = 'O';
  UnmapViewOfFile(copy);
  CloseHandle(mapping);
  CloseHandle(file);
  EXPECT_EQ(ReadStationFile("C:\\COW.BIN"), "original");
}

TEST_F(MappingTest, MappedFileCannotShrinkUntilUnmapped) {
  WriteStationFile("C:\\MAPPED.BIN", std::string(8192, 'm'));
  HANDLE file = OpenFile("C:\\MAPPED.BIN");
  HANDLE mapping = CreateFileMappingA(file, nullptr, PAGE_READWRITE, 0, 0, nullptr);
  void* view = MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0);
  ASSERT_NE(view, nullptr);

  SetFilePointer(file, 100, nullptr, FILE_BEGIN);
  EXPECT_FALSE(SetEndOfFile(file));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_USER_MAPPED_FILE));
  HANDLE truncating = CreateFileA("C:\\MAPPED.BIN", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  TRUNCATE_EXISTING, 0, nullptr);
  EXPECT_EQ(truncating, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_USER_MAPPED_FILE));
  EXPECT_FALSE(DeleteFileA("C:\\MAPPED.BIN"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(GetFileSize(file, nullptr), 8192u);

  ASSERT_TRUE(UnmapViewOfFile(view));
  EXPECT_TRUE(SetEndOfFile(file));  // the mapping handle alone does not hold the size
  EXPECT_EQ(GetFileSize(file, nullptr), 100u);
  // A new view of the older, larger mapping gives the file its size back rather than fault.
  auto* again = static_cast<char*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0));
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(again[8191], '\0');
  UnmapViewOfFile(again);
  CloseHandle(mapping);
  CloseHandle(file);
}

TEST_F(MappingTest, ViewsKeepTheirMappingAndFileAlive) {
  WriteStationFile("C:\\KEPT.BIN", "kept");
  HANDLE file = OpenFile("C:\\KEPT.BIN");
  HANDLE mapping = CreateFileMappingA(file, nullptr, PAGE_READWRITE, 0, 0, "KeptMapping");
  auto* view = static_cast<char*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0));
  ASSERT_NE(view, nullptr);
  CloseHandle(mapping);
  CloseHandle(file);
  view[0] = 'K';
  HANDLE reopened = OpenFileMappingA(FILE_MAP_READ, FALSE, "KeptMapping");  // the view holds the name
  ASSERT_NE(reopened, nullptr);
  auto* second = static_cast<char*>(MapViewOfFile(reopened, FILE_MAP_READ, 0, 0, 0));
  EXPECT_EQ(second[0], 'K');
  UnmapViewOfFile(second);
  CloseHandle(reopened);
  // As on Win32, the file stays open (and unshared) through its mapping.
  EXPECT_EQ(CreateFileA("C:\\KEPT.BIN", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);
  EXPECT_TRUE(UnmapViewOfFile(view));
  EXPECT_EQ(OpenFileMappingA(FILE_MAP_READ, FALSE, "KeptMapping"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(ReadStationFile("C:\\KEPT.BIN"), "Kept");
  HANDLE alone = CreateFileA("C:\\KEPT.BIN", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_NE(alone, INVALID_HANDLE_VALUE);
  CloseHandle(alone);
}

TEST_F(MappingTest, NamedSharedMemoryIsOneObjectAtItsFirstSize) {
  SetLastError(0xDEAD);
  HANDLE first = SharedMemory("OvxShared", 100);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
  HANDLE second = SharedMemory("OvxShared", 50000);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  EXPECT_NE(second, first);

  auto* a = static_cast<char*>(MapViewOfFile(first, FILE_MAP_ALL_ACCESS, 0, 0, 0));
  auto* b = static_cast<char*>(MapViewOfFile(second, FILE_MAP_ALL_ACCESS, 0, 0, 0));
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(a[0], '\0');  // new shared memory is zeroed
  std::strcpy(a, "hello");
  EXPECT_STREQ(b, "hello");
  // Still the first size: 100 bytes fit, 101 do not.
  EXPECT_EQ(MapViewOfFile(second, FILE_MAP_READ, 0, 0, 101), nullptr);
  void* fits = MapViewOfFile(second, FILE_MAP_READ, 0, 0, 100);
  EXPECT_NE(fits, nullptr);
  UnmapViewOfFile(fits);
  // Names are case-sensitive, as Win32 object names are.
  HANDLE other = SharedMemory("ovxshared", 10);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
  CloseHandle(other);
  for (HANDLE h : {first, second}) CloseHandle(h);
  UnmapViewOfFile(a);
  UnmapViewOfFile(b);
}

TEST_F(MappingTest, SharedMemoryLivesUntilItsLastHandleAndView) {
  HANDLE creator = SharedMemory("Lifetime", 4096);
  auto* view = static_cast<char*>(MapViewOfFile(creator, FILE_MAP_ALL_ACCESS, 0, 0, 0));
  view[10] = 42;
  HANDLE opened = OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, "Lifetime");
  ASSERT_NE(opened, nullptr);
  CloseHandle(creator);
  UnmapViewOfFile(view);
  // One handle is left: the object and its bytes remain.
  auto* later = static_cast<char*>(MapViewOfFile(opened, FILE_MAP_READ, 0, 0, 0));
  ASSERT_NE(later, nullptr);
  EXPECT_EQ(later[10], 42);
  CloseHandle(opened);
  EXPECT_EQ(later[10], 42);  // the view alone keeps it
  HANDLE byName = OpenFileMappingA(FILE_MAP_READ, FALSE, "Lifetime");
  EXPECT_NE(byName, nullptr);
  CloseHandle(byName);
  UnmapViewOfFile(later);
  EXPECT_EQ(OpenFileMappingA(FILE_MAP_READ, FALSE, "Lifetime"), nullptr);  // nothing holds it now
}

TEST_F(MappingTest, GoneSharedMemoryStartsAfreshAndZeroed) {
  HANDLE creator = SharedMemory("Fresh", 4096);
  auto* view = static_cast<char*>(MapViewOfFile(creator, FILE_MAP_ALL_ACCESS, 0, 0, 0));
  view[0] = 7;
  UnmapViewOfFile(view);
  CloseHandle(creator);
  EXPECT_EQ(OpenFileMappingA(FILE_MAP_READ, FALSE, "Fresh"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  HANDLE again = SharedMemory("Fresh", 4096);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
  view = static_cast<char*>(MapViewOfFile(again, FILE_MAP_READ, 0, 0, 0));
  EXPECT_EQ(view[0], 0);
  UnmapViewOfFile(view);
  CloseHandle(again);
}

TEST_F(MappingTest, NamesDoNotSurviveAReboot) {
  HANDLE memory = SharedMemory("BootBound", 4096);
  void* view = MapViewOfFile(memory, FILE_MAP_ALL_ACCESS, 0, 0, 0);
  ASSERT_NE(view, nullptr);
  Reboot();
  EXPECT_EQ(OpenFileMappingA(FILE_MAP_READ, FALSE, "BootBound"), nullptr);
  EXPECT_FALSE(UnmapViewOfFile(view));  // shutdown unmapped it
}

TEST_F(MappingTest, RefusedSharedMemoryAndAddresses) {
  EXPECT_EQ(SharedMemory("Zero", 0), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(OpenFileMappingA(FILE_MAP_READ, FALSE, "Zero"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 1, 0, nullptr), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));

  int local = 0;
  EXPECT_FALSE(UnmapViewOfFile(&local));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_ADDRESS));
  EXPECT_FALSE(FlushViewOfFile(&local, 4));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_ADDRESS));
  HANDLE memory = SharedMemory(nullptr, 4096);
  void* view = MapViewOfFile(memory, FILE_MAP_ALL_ACCESS, 0, 0, 0);
  EXPECT_TRUE(UnmapViewOfFile(view));
  EXPECT_FALSE(UnmapViewOfFile(view));  // only once
  CloseHandle(memory);
}

}  // namespace
