#include <gtest/gtest.h>
#include <host_testing/station_fixture.h>
#include <windows.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

namespace {

TEST(MulDiv, RoundsHalfAwayFromZeroAndReportsFailureAsMinusOne) {
  const struct {
    int number, numerator, denominator, expected;
  } cases[] = {
      {5, 1, 2, 3},
      {-5, 1, 2, -3},
      {5, -1, 2, -3},
      {5, 1, -2, -3},
      {-5, -1, -2, -3},
      {-5, 1, -2, 3},
      {4, 1, 3, 1},  // 1.33
      {5, 1, 3, 2},  // 1.67
      {-4, 1, 3, -1},
      {-5, 1, 3, -2},
      {0, 7, -3, 0},
      {96, 72, 96, 72},
      {12, 96, 72, 16},
      {100000, 100000, 100000, 100000},  // product beyond 32 bits
      {INT_MAX, INT_MAX, INT_MAX, INT_MAX},
      {INT_MIN, 1, 1, INT_MIN},
      {INT_MIN, 1, -1, -1},  // 2^31 does not fit
      {INT_MAX, 2, 1, -1},
      {INT_MAX, INT_MAX, 1, -1},
      {7, 3, 0, -1},
      {0, 0, 0, -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.number << " * " << c.numerator << " / " << c.denominator);
    EXPECT_EQ(MulDiv(c.number, c.numerator, c.denominator), c.expected);
  }
}

// Formats into a buffer with a guard band behind the 1024 bytes wsprintf may use.
class Formatted {
 public:
  template <class... Args>
  explicit Formatted(LPCSTR format, Args... args) {
    std::memset(buffer_, '#', sizeof buffer_);
    length_ = wsprintfA(buffer_, format, args...);
  }
  std::string text() const { return buffer_; }
  int length() const { return length_; }
  bool guardIntact() const { return std::string(buffer_ + 1024, kGuard) == std::string(kGuard, '#'); }

 private:
  static constexpr int kGuard = 64;
  char buffer_[1024 + kGuard];
  int length_;
};

TEST(Wsprintf, FormatsNumbersAndCharacters) {
  const struct {
    const char* format;
    long value;
    const char* expected;
  } cases[] = {
      {"%d", 42, "42"},
      {"%i", -42, "-42"},
      {"[%5d]", 42, "[   42]"},
      {"[%-5d]", 42, "[42   ]"},
      {"[%05d]", -42, "[-0042]"},
      {"[%-05d]", 42, "[42   ]"},
      {"%.3d", 7, "007"},
      {"[%6.3d]", -7, "[  -007]"},
      {"%d", INT_MIN, "-2147483648"},
      {"%u", -1, "4294967295"},
      {"%x", 0xBEEF, "beef"},
      {"%X", 0xBEEF, "BEEF"},
      {"%#x", 255, "0xff"},
      {"%#X", 255, "0XFF"},
      {"[%#06x]", 255, "[0x00ff]"},
      {"%x", -1, "ffffffff"},
      {"%ld", -123456789, "-123456789"},
      {"%li", 17, "17"},
      {"%lu", static_cast<long>(4000000000UL), "4000000000"},
      {"%lx", static_cast<long>(0xCAFEF00DUL), "cafef00d"},
      {"%lX", static_cast<long>(0xCAFEF00DUL), "CAFEF00D"},
      {"%hd", 0x12345, "9029"},  // only the low 16 bits count
      {"%hd", 0xFFFF, "-1"},
      {"%hu", 0x1FFFF, "65535"},
      {"%c", 'A', "A"},
      {"[%3c]", 'A', "[  A]"},
      {"[%-3c]", 'A', "[A  ]"},
      {"100%%", 0, "100%"},
      // Unsupported fields print their letter and take no argument.
      {"%f %d", 7, "f 7"},
      {"%*d", 7, "*d"},
      {"%p|%d", 7, "p|7"},
      {"tail%", 7, "tail"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.format);
    Formatted out(c.format, c.value);
    EXPECT_EQ(out.text(), c.expected);
    EXPECT_EQ(out.length(), static_cast<int>(std::strlen(c.expected)));
  }
}

TEST(Wsprintf, FormatsStrings) {
  const struct {
    const char* format;
    const char* value;
    const char* expected;
  } cases[] = {
      {"%s", "abc", "abc"},        {"[%5s]", "abc", "[  abc]"},   {"[%-5s]", "abc", "[abc  ]"},
      {"%.2s", "abc", "ab"},       {"[%5.2s]", "abc", "[   ab]"}, {"%.9s", "abc", "abc"},
      {"%hs", "narrow", "narrow"}, {"%s", nullptr, "(null)"},     {"%.3s", nullptr, "(nu"},
      {"[%s]", "", "[]"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.format);
    Formatted out(c.format, c.value);
    EXPECT_EQ(out.text(), c.expected);
    EXPECT_EQ(out.length(), static_cast<int>(std::strlen(c.expected)));
  }
}

TEST(Wsprintf, PrecisionStopsReadingAnUnterminatedString) {
  const char letters[3] = {'x', 'y', 'z'};
  EXPECT_EQ(Formatted("%.3s!", letters).text(), "xyz!");
}

TEST(Wsprintf, WideArgumentsAreNarrowed) {
  const WCHAR wide[] = {'w', 'i', 'd', 'e', 0x263A, 0};
  EXPECT_EQ(Formatted("%S|%ls|%.2ls", wide, wide, wide).text(), "wide?|wide?|wi");
  EXPECT_EQ(Formatted("%C%lc", 'x', 0x263A).text(), "x?");
  EXPECT_EQ(Formatted("%S", static_cast<const WCHAR*>(nullptr)).text(), "(null)");
}

TEST(Wsprintf, TakesArgumentsInOrder) {
  Formatted out("%s=%d (%#x)%c%lu", "width", 640, 640, '!', 3UL);
  EXPECT_EQ(out.text(), "width=640 (0x280)!3");
}

TEST(Wsprintf, StoresAtMost1023CharactersAndTheNul) {
  std::string longText(2000, 'x');
  const struct {
    const char* what;
    Formatted out;
  } cases[] = {
      {"long argument", Formatted("%s", longText.c_str())},
      {"long literal", Formatted(longText.c_str())},
      {"wide field", Formatted("%5000d", 1)},
      {"long precision", Formatted("%.5000d", 1)},
      {"left aligned field", Formatted("%-99999s", "a")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(c.out.length(), 1023);
    EXPECT_EQ(c.out.text().size(), 1023u);
    EXPECT_TRUE(c.out.guardIntact());
  }
  // The padding comes first, so the number itself is cut off.
  EXPECT_EQ(Formatted("%5000d", 1).text(), std::string(1023, ' '));
  EXPECT_EQ(Formatted("%.5000d", 1).text(), std::string(1023, '0'));
}

TEST(Wsprintf, NullBufferOrFormatIsHarmless) {
  EXPECT_EQ(wsprintfA(nullptr, "%d", 5), 0);
  char out[4] = "old";
  EXPECT_EQ(wsprintfA(out, nullptr), 0);
  EXPECT_STREQ(out, "");
}

int CallVprintf(LPSTR out, LPCSTR format, ...) {
  va_list args;
  va_start(args, format);
  int length = wvsprintfA(out, format, args);
  va_end(args);
  return length;
}

TEST(Wsprintf, VaListForm) {
  char out[64];
  EXPECT_EQ(CallVprintf(out, "%s %d", "mode", 8), 6);
  EXPECT_STREQ(out, "mode 8");
}

TEST(Lstrcpyn, CopiesAtMostOneLessThanTheLimitAndTerminates) {
  const struct {
    const char* source;
    int limit;
    const char* expected;  // nullptr: the buffer stays untouched
  } cases[] = {
      {"hello", 6, "hello"}, {"hello", 9, "hello"}, {"hello", 5, "hell"},   {"hello", 1, ""},
      {"", 4, ""},           {"hello", 0, nullptr}, {"hello", -3, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << '"' << c.source << "\" limit " << c.limit);
    char buffer[16];
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(lstrcpynA(buffer, c.source, c.limit), buffer);
    std::string expected = c.expected ? std::string(c.expected) + '\0' : "";
    std::string written(buffer, expected.size());
    EXPECT_EQ(written, expected);
    EXPECT_EQ(std::string(buffer + expected.size(), sizeof buffer - expected.size()),
              std::string(sizeof buffer - expected.size(), '#'));
  }
}

TEST(Lstr, NullStringsGiveNullOrZeroInsteadOfCrashing) {
  char buffer[8] = "ab";
  EXPECT_EQ(lstrlenA(nullptr), 0);
  EXPECT_EQ(lstrcpyA(buffer, nullptr), nullptr);
  EXPECT_EQ(lstrcpyA(nullptr, "x"), nullptr);
  EXPECT_EQ(lstrcatA(buffer, nullptr), nullptr);
  EXPECT_EQ(lstrcpynA(nullptr, "x", 4), nullptr);
  EXPECT_STREQ(buffer, "ab");
  EXPECT_EQ(lstrcatA(buffer, "cd"), buffer);
  EXPECT_STREQ(buffer, "abcd");
  EXPECT_EQ(lstrlenA(buffer), 4);
  EXPECT_EQ(lstrcpyA(buffer, "xyz"), buffer);
  EXPECT_STREQ(buffer, "xyz");
}

TEST(Lstrcmp, SortsAsWindowsDoesForAscii) {
  const struct {
    const char *a, *b;
    int cmp, cmpi;
  } cases[] = {
      {"abc", "abc", 0, 0},   {"abc", "ABC", -1, 0},  // lowercase first, when nothing else differs
      {"ABC", "abc", 1, 0},   {"Ab", "aB", 1, 0},       {"abc", "ABD", -1, -1},  // letters before case: not byte order
      {"a", "B", -1, -1},     {"Zebra", "apple", 1, 1}, {"ab", "abc", -1, -1},
      {"", "a", -1, -1},      {"_x", "Ax", -1, -1},  // symbols before letters
      {":", "9", -1, -1},                            // symbols before digits
      {"9", "A", -1, -1},                            // digits before letters
      {nullptr, "a", -1, -1}, {"a", nullptr, 1, 1},     {nullptr, nullptr, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << (c.a ? c.a : "NULL") << " vs " << (c.b ? c.b : "NULL"));
    EXPECT_EQ(lstrcmpA(c.a, c.b), c.cmp);
    EXPECT_EQ(lstrcmpiA(c.a, c.b), c.cmpi);
  }
}

class Version : public host::testing::StationTest {};

TEST_F(Version, ComesFromTheStationAndIsDescribedByGetVersionEx) {
  const struct {
    const char* what;
    DWORD version;
    DWORD major, minor, build, platform;
  } cases[] = {
      {"Windows 95", 0xC3B60004, 4, 0, 0x040003B6, VER_PLATFORM_WIN32_WINDOWS},
      {"Windows 98", 0xC0000A04, 4, 10, 0x040A0000, VER_PLATFORM_WIN32_WINDOWS},
      {"Windows NT 4.0", 0x05650004, 4, 0, 1381, VER_PLATFORM_WIN32_NT},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    config_.version = c.version;
    Reboot();
    EXPECT_EQ(GetVersion(), c.version);
    OSVERSIONINFOA info;
    std::memset(&info, 0x55, sizeof info);
    info.dwOSVersionInfoSize = sizeof info;
    ASSERT_TRUE(GetVersionExA(&info));
    EXPECT_EQ(info.dwMajorVersion, c.major);
    EXPECT_EQ(info.dwMinorVersion, c.minor);
    EXPECT_EQ(info.dwBuildNumber, c.build);
    EXPECT_EQ(info.dwPlatformId, c.platform);
    EXPECT_STREQ(info.szCSDVersion, "");
  }
}

TEST_F(Version, GetVersionExRefusesAWrongStructureSize) {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info - 4;
  EXPECT_FALSE(GetVersionExA(&info));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_FALSE(GetVersionExA(nullptr));
}

ULONGLONG Ticks(const FILETIME& time) { return (ULONGLONG{time.dwHighDateTime} << 32) | time.dwLowDateTime; }

FILETIME FromTicks(ULONGLONG ticks) { return {static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)}; }

struct Moment {
  WORD year, month, dayOfWeek, day, hour, minute, second, milliseconds;
  ULONGLONG ticks;
};

SYSTEMTIME ToSystemTime(const Moment& m) {
  return {m.year, m.month, m.dayOfWeek, m.day, m.hour, m.minute, m.second, m.milliseconds};
}

TEST(Time, KnownMomentsConvertBothWays) {
  const Moment cases[] = {
      {1601, 1, 1, 1, 0, 0, 0, 0, 0},
      {1900, 3, 4, 1, 0, 0, 0, 1, 94405824000010000ULL},  // 1900 had no 29 February
      {1970, 1, 4, 1, 0, 0, 0, 0, 116444736000000000ULL},
      {1999, 12, 5, 31, 23, 59, 59, 999, 125911583999990000ULL},
      {2000, 2, 2, 29, 12, 34, 56, 789, 125963012967890000ULL},
      {30827, 12, 5, 31, 23, 59, 59, 999, 9223149887999990000ULL},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.year << '-' << c.month << '-' << c.day);
    SYSTEMTIME input = ToSystemTime(c);
    input.wDayOfWeek = 6;  // ignored on the way in
    FILETIME file;
    ASSERT_TRUE(SystemTimeToFileTime(&input, &file));
    EXPECT_EQ(Ticks(file), c.ticks);

    SYSTEMTIME back;
    FILETIME exact = FromTicks(c.ticks);
    ASSERT_TRUE(FileTimeToSystemTime(&exact, &back));
    SYSTEMTIME expected = ToSystemTime(c);
    EXPECT_EQ(std::memcmp(&back, &expected, sizeof back), 0)
        << back.wYear << '-' << back.wMonth << '-' << back.wDay << " dow " << back.wDayOfWeek << ' ' << back.wHour
        << ':' << back.wMinute << ':' << back.wSecond << '.' << back.wMilliseconds;
  }
}

TEST(Time, RoundTripsAcrossTheCalendar) {
  // Steps of a little over 97 days with an odd time of day: every month, leap
  // days and century years come by.
  constexpr ULONGLONG kTicksPerDay = 86400ULL * 10000000;
  constexpr ULONGLONG kStep = 97 * kTicksPerDay + 12345670000ULL;
  int failures = 0;
  SYSTEMTIME last{};
  for (ULONGLONG ticks = 0; ticks < 0x7FFF000000000000ULL && failures < 5; ticks += kStep) {
    SYSTEMTIME time;
    FILETIME in = FromTicks(ticks), out;
    if (!FileTimeToSystemTime(&in, &time) || !SystemTimeToFileTime(&time, &out) || Ticks(out) != ticks) {
      ADD_FAILURE() << "ticks " << ticks;
      ++failures;
    }
    ULONGLONG daysSinceLast = ticks / kTicksPerDay - (ticks ? (ticks - kStep) / kTicksPerDay : 0);
    if (ticks && time.wDayOfWeek != (last.wDayOfWeek + daysSinceLast) % 7) {
      ADD_FAILURE() << "day of week at ticks " << ticks;
      ++failures;
    }
    last = time;
  }
}

TEST(Time, InvalidTimesAreRefusedAndLeaveTheOutputAlone) {
  const struct {
    const char* what;
    SYSTEMTIME time;
  } cases[] = {
      {"month 0", {2000, 0, 0, 1, 0, 0, 0, 0}},
      {"month 13", {2000, 13, 0, 1, 0, 0, 0, 0}},
      {"day 0", {2000, 1, 0, 0, 0, 0, 0, 0}},
      {"31 April", {2000, 4, 0, 31, 0, 0, 0, 0}},
      {"29 February 1900", {1900, 2, 0, 29, 0, 0, 0, 0}},
      {"30 February 2000", {2000, 2, 0, 30, 0, 0, 0, 0}},
      {"hour 24", {2000, 1, 0, 1, 24, 0, 0, 0}},
      {"minute 60", {2000, 1, 0, 1, 0, 60, 0, 0}},
      {"second 60", {2000, 1, 0, 1, 0, 0, 60, 0}},
      {"millisecond 1000", {2000, 1, 0, 1, 0, 0, 0, 1000}},
      {"year 1600", {1600, 12, 0, 31, 0, 0, 0, 0}},
      {"year 30828", {30828, 1, 0, 1, 0, 0, 0, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    FILETIME file{0x1234, 0x5678};
    SetLastError(NO_ERROR);
    EXPECT_FALSE(SystemTimeToFileTime(&c.time, &file));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(Ticks(file), 0x567800001234ULL);
  }
  FILETIME tooLate{0, 0x80000000};
  SYSTEMTIME time{};
  EXPECT_FALSE(FileTimeToSystemTime(&tooLate, &time));
  EXPECT_EQ(time.wYear, 0);
  EXPECT_FALSE(SystemTimeToFileTime(nullptr, &tooLate));
  EXPECT_FALSE(FileTimeToSystemTime(&tooLate, nullptr));
}

TEST(Time, ClockFollowsTheHost) {
  constexpr ULONGLONG kUnixEpoch = 116444736000000000ULL;
  constexpr ULONGLONG kTicksPerSecond = 10000000;
  ULONGLONG hostNow = kUnixEpoch + static_cast<ULONGLONG>(std::time(nullptr)) * kTicksPerSecond;
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  EXPECT_LT(Ticks(now) > hostNow ? Ticks(now) - hostNow : hostNow - Ticks(now), 5 * kTicksPerSecond);

  SYSTEMTIME system;
  GetSystemTime(&system);
  FILETIME systemAsFile;
  ASSERT_TRUE(SystemTimeToFileTime(&system, &systemAsFile));
  EXPECT_LT(std::llabs(static_cast<LONGLONG>(Ticks(systemAsFile) - Ticks(now))),
            static_cast<LONGLONG>(5 * kTicksPerSecond));

  SYSTEMTIME local;
  GetLocalTime(&local);
  FILETIME localAsFile;
  ASSERT_TRUE(SystemTimeToFileTime(&local, &localAsFile));  // a valid calendar time
  EXPECT_LE(local.wDayOfWeek, 6);
}

}  // namespace
