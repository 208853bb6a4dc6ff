// The kernel's small runtime services: lstr* strings, wsprintf formatting,
// MulDiv, the version and the system time.
#include <host/station.h>
#include <windows.h>

#include <climits>
#include <cstring>
#include <ctime>

namespace host::kernel {
namespace {

// ---- Comparison ----------------------------------------------------------
// Windows compares strings as a locale would sort them, not by code: symbols
// come before digits and digits before letters, letters compare regardless of
// case first and lowercase sorts before uppercase only when nothing else
// differs. This covers ASCII; other bytes sort after it by value, and the
// word sort's disregard for hyphens and apostrophes is not imitated.

char FoldCase(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

int PrimaryWeight(char c) {
  auto folded = static_cast<unsigned char>(FoldCase(c));
  if (folded >= 'A' && folded <= 'Z') return 0x300 + folded;
  if (folded >= '0' && folded <= '9') return 0x200 + folded;
  return folded < 0x80 ? 0x100 + folded : 0x400 + folded;
}

int Sign(int value) { return (value > 0) - (value < 0); }

// A NULL string sorts before every other, as on Windows.
int CompareNull(LPCSTR a, LPCSTR b) { return b ? -1 : (a ? 1 : 0); }

int ComparePrimary(LPCSTR a, LPCSTR b) {
  for (; *a && *b; ++a, ++b) {
    int difference = PrimaryWeight(*a) - PrimaryWeight(*b);
    if (difference) return Sign(difference);
  }
  return Sign(static_cast<unsigned char>(*a) - static_cast<unsigned char>(*b));
}

// Strings equal but for case: the first lowercase letter sorts first.
int CompareCase(LPCSTR a, LPCSTR b) {
  for (; *a; ++a, ++b)
    if (*a != *b) return *a >= 'a' && *a <= 'z' ? -1 : 1;
  return 0;
}

// ---- wsprintf ------------------------------------------------------------

// wsprintf never writes more than this, the terminating NUL included.
constexpr int kFormatLimit = 1024;

class Output {
 public:
  explicit Output(LPSTR out) : out_(out) {}
  void Put(char c) {
    if (length_ < kFormatLimit - 1) out_[length_++] = c;
  }
  void Put(const char* text, int length) {
    for (int i = 0; i < length; ++i) Put(text[i]);
  }
  void Repeat(char c, int count) {
    for (; count > 0 && length_ < kFormatLimit - 1; --count) Put(c);
  }
  int Finish() {
    out_[length_] = '\0';
    return length_;
  }

 private:
  LPSTR out_;
  int length_ = 0;
};

struct Conversion {
  bool leftAlign = false;
  bool zeroPad = false;
  bool hexPrefix = false;
  int width = 0;
  int precision = -1;  // none given
  char size = 0;       // 'h', 'l' or 0
  char type = 0;       // 0: the format ended inside the field
};

// Digits of a width or precision; more than the output can hold is the same as its limit.
int ParseCount(const char*& p) {
  int value = 0;
  for (; *p >= '0' && *p <= '9'; ++p) value = value >= kFormatLimit ? kFormatLimit : value * 10 + (*p - '0');
  return value;
}

// Parses the field after '%' and returns where the format continues.
const char* ParseConversion(const char* p, Conversion& conv) {
  for (;; ++p) {
    if (*p == '-')
      conv.leftAlign = true;
    else if (*p == '0')
      conv.zeroPad = true;
    else if (*p == '#')
      conv.hexPrefix = true;
    else
      break;
  }
  conv.width = ParseCount(p);
  if (*p == '.') conv.precision = ParseCount(++p);
  if (*p == 'l' || *p == 'h') conv.size = *p++;
  conv.type = *p;
  return *p ? p + 1 : p;
}

// Writes prefix and text padded to the field's width; zeros go between them.
void PutField(Output& out, const Conversion& conv, const char* prefix, const char* text, int length) {
  int prefixLength = static_cast<int>(std::strlen(prefix));
  int padding = conv.width - prefixLength - length;
  if (!conv.leftAlign && !conv.zeroPad) out.Repeat(' ', padding);
  out.Put(prefix, prefixLength);
  if (!conv.leftAlign && conv.zeroPad) out.Repeat('0', padding);
  out.Put(text, length);
  if (conv.leftAlign) out.Repeat(' ', padding);
}

struct Arguments {
  va_list list;
};

char NarrowChar(unsigned value) { return value < 0x100 ? static_cast<char>(value) : '?'; }

void PutChar(Output& out, const Conversion& conv, Arguments& args) {
  char c = conv.type == 'C' || conv.size == 'l' ? NarrowChar(va_arg(args.list, unsigned)) : va_arg(args.list, int);
  PutField(out, conv, "", &c, 1);
}

void PutString(Output& out, const Conversion& conv, Arguments& args) {
  int limit = conv.precision < 0 ? INT_MAX : conv.precision;
  if (conv.type == 'S' || conv.size == 'l') {
    auto wide = va_arg(args.list, LPCWSTR);
    if (wide) {
      char narrow[kFormatLimit];
      int length = 0;
      for (; length < limit && length < kFormatLimit && wide[length]; ++length)
        narrow[length] = NarrowChar(wide[length]);
      PutField(out, conv, "", narrow, length);
      return;
    }
  }
  auto text = conv.type == 'S' || conv.size == 'l' ? nullptr : va_arg(args.list, LPCSTR);
  if (!text) text = "(null)";
  int length = 0;
  while (length < limit && text[length]) ++length;  // never reads past the precision
  PutField(out, conv, "", text, length);
}

void PutNumber(Output& out, const Conversion& conv, Arguments& args) {
  bool isSigned = conv.type == 'd' || conv.type == 'i';
  bool negative = false;
  unsigned long magnitude;
  if (isSigned) {
    long value = va_arg(args.list, long);
    if (conv.size == 'h') value = static_cast<short>(value);
    negative = value < 0;
    magnitude = negative ? 0UL - static_cast<unsigned long>(value) : static_cast<unsigned long>(value);
  } else {
    magnitude = va_arg(args.list, unsigned long);
    if (conv.size == 'h') magnitude = static_cast<unsigned short>(magnitude);
  }
  unsigned base = conv.type == 'x' || conv.type == 'X' ? 16 : 10;
  const char* digitSet = conv.type == 'X' ? "0123456789ABCDEF" : "0123456789abcdef";
  char digits[32];
  int length = 0;
  do {
    digits[sizeof digits - 1 - length++] = digitSet[magnitude % base];
    magnitude /= base;
  } while (magnitude);
  int minimum = conv.precision > kFormatLimit ? kFormatLimit : conv.precision;
  char text[kFormatLimit + sizeof digits];
  int zeros = minimum > length ? minimum - length : 0;
  std::memset(text, '0', zeros);
  std::memcpy(text + zeros, digits + sizeof digits - length, length);
  const char* prefix = negative ? "-" : "";
  if (conv.hexPrefix && base == 16) prefix = conv.type == 'X' ? "0X" : "0x";
  PutField(out, conv, prefix, text, zeros + length);
}

int Format(LPSTR out, LPCSTR format, Arguments& args) {
  Output output(out);
  for (const char* p = format; *p;) {
    if (*p != '%') {
      output.Put(*p++);
      continue;
    }
    Conversion conv;
    p = ParseConversion(p + 1, conv);
    switch (conv.type) {
      case 0:
        break;
      case 'c':
      case 'C':
        PutChar(output, conv, args);
        break;
      case 's':
      case 'S':
        PutString(output, conv, args);
        break;
      case 'd':
      case 'i':
      case 'u':
      case 'x':
      case 'X':
        PutNumber(output, conv, args);
        break;
      default:
        // Like Windows: an unsupported type (%f, %p, %*d, %%...) prints its
        // letter alone and takes no argument.
        output.Put(conv.type);
    }
  }
  return output.Finish();
}

// ---- Time ----------------------------------------------------------------

constexpr ULONGLONG kTicksPerMillisecond = 10000;
constexpr ULONGLONG kTicksPerSecond = 1000 * kTicksPerMillisecond;
constexpr ULONGLONG kTicksPerDay = 86400 * kTicksPerSecond;
// Days from 1601-01-01 (FILETIME's origin) to 1970-01-01.
constexpr LONGLONG kDaysFrom1601To1970 = 134774;
constexpr WORD kFirstYear = 1601;
constexpr WORD kLastYear = 30827;

// Days from 1970-01-01 of a date of the proleptic Gregorian calendar.
LONGLONG DaysFromCivil(LONGLONG year, unsigned month, unsigned day) {
  year -= month <= 2;
  LONGLONG era = (year >= 0 ? year : year - 399) / 400;
  LONGLONG yearOfEra = year - era * 400;
  LONGLONG dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
  LONGLONG dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

void CivilFromDays(LONGLONG days, SYSTEMTIME& time) {
  days += 719468;
  LONGLONG era = (days >= 0 ? days : days - 146096) / 146097;
  LONGLONG dayOfEra = days - era * 146097;
  LONGLONG yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  LONGLONG dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  LONGLONG monthIndex = (5 * dayOfYear + 2) / 153;  // March is 0
  time.wDay = static_cast<WORD>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
  time.wMonth = static_cast<WORD>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
  time.wYear = static_cast<WORD>(yearOfEra + era * 400 + (time.wMonth <= 2));
}

bool IsLeapYear(unsigned year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

unsigned DaysInMonth(unsigned year, unsigned month) {
  static const unsigned kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

bool IsValidSystemTime(const SYSTEMTIME& t) {
  return t.wYear >= kFirstYear && t.wYear <= kLastYear && t.wMonth >= 1 && t.wMonth <= 12 && t.wDay >= 1 &&
         t.wDay <= DaysInMonth(t.wYear, t.wMonth) && t.wHour < 24 && t.wMinute < 60 && t.wSecond < 60 &&
         t.wMilliseconds < 1000;
}

ULONGLONG ToTicks(const FILETIME& time) {
  return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

void FromTicks(ULONGLONG ticks, FILETIME& time) {
  time.dwLowDateTime = static_cast<DWORD>(ticks);
  time.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
}

ULONGLONG NowInTicks() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  auto sinceUnixEpoch = static_cast<ULONGLONG>(now.tv_sec) * kTicksPerSecond + now.tv_nsec / 100;
  return kDaysFrom1601To1970 * kTicksPerDay + sinceUnixEpoch;
}

// ---- Version -------------------------------------------------------------

// GetVersion's layout: major in the low byte, minor in the next; the high bit
// marks the Windows 95 family, whose build is in the high word's low 14 bits.
constexpr DWORD kWindowsFamilyBit = 0x80000000;

void DescribeVersion(DWORD version, OSVERSIONINFOA& info) {
  info.dwMajorVersion = LOBYTE(LOWORD(version));
  info.dwMinorVersion = HIBYTE(LOWORD(version));
  if (version & kWindowsFamilyBit) {
    // The Windows 95 family repeats major and minor above the build.
    info.dwPlatformId = VER_PLATFORM_WIN32_WINDOWS;
    info.dwBuildNumber = MAKELONG(HIWORD(version) & 0x3FFF, MAKEWORD(info.dwMinorVersion, info.dwMajorVersion));
  } else {
    info.dwPlatformId = VER_PLATFORM_WIN32_NT;
    info.dwBuildNumber = HIWORD(version);
  }
  info.szCSDVersion[0] = '\0';
}

}  // namespace
}  // namespace host::kernel

using namespace host::kernel;

extern "C" {

int WINAPI lstrlenA(LPCSTR lpString) { return lpString ? static_cast<int>(std::strlen(lpString)) : 0; }

// Like Windows, which catches the fault, a NULL string gives NULL instead of a crash.
LPSTR WINAPI lstrcpyA(LPSTR lpString1, LPCSTR lpString2) {
  if (!lpString1 || !lpString2) return nullptr;
  return std::strcpy(lpString1, lpString2);
}

// Copies at most iMaxLength - 1 characters and always terminates; nothing is
// written when iMaxLength is 0 or negative.
LPSTR WINAPI lstrcpynA(LPSTR lpString1, LPCSTR lpString2, int iMaxLength) {
  if (!lpString1 || !lpString2) return nullptr;
  if (iMaxLength <= 0) return lpString1;
  int i = 0;
  for (; i < iMaxLength - 1 && lpString2[i]; ++i) lpString1[i] = lpString2[i];
  lpString1[i] = '\0';
  return lpString1;
}

LPSTR WINAPI lstrcatA(LPSTR lpString1, LPCSTR lpString2) {
  if (!lpString1 || !lpString2) return nullptr;
  return std::strcat(lpString1, lpString2);
}

int WINAPI lstrcmpA(LPCSTR lpString1, LPCSTR lpString2) {
  if (!lpString1 || !lpString2) return CompareNull(lpString1, lpString2);
  int primary = ComparePrimary(lpString1, lpString2);
  return primary ? primary : CompareCase(lpString1, lpString2);
}

int WINAPI lstrcmpiA(LPCSTR lpString1, LPCSTR lpString2) {
  if (!lpString1 || !lpString2) return CompareNull(lpString1, lpString2);
  return ComparePrimary(lpString1, lpString2);
}

// nNumber * nNumerator / nDenominator from a 64-bit product, rounded half away
// from zero; -1 for a zero denominator or a result that does not fit 32 bits.
int WINAPI MulDiv(int nNumber, int nNumerator, int nDenominator) {
  if (!nDenominator) return -1;
  LONGLONG product = static_cast<LONGLONG>(nNumber) * nNumerator;
  bool negative = (product < 0) != (nDenominator < 0);
  auto magnitude = static_cast<ULONGLONG>(product < 0 ? -product : product);
  auto divisor = static_cast<ULONGLONG>(nDenominator < 0 ? -static_cast<LONGLONG>(nDenominator) : nDenominator);
  ULONGLONG quotient = (magnitude + divisor / 2) / divisor;
  if (quotient > (negative ? 0x80000000ULL : 0x7FFFFFFFULL)) return -1;
  return negative ? static_cast<int>(0 - quotient) : static_cast<int>(quotient);
}

// At most 1023 characters and the NUL are stored; returns how many characters
// were stored, the NUL not counted. A NULL buffer stores nothing and gives 0.
int WINAPI wvsprintfA(LPSTR lpOut, LPCSTR lpFmt, va_list arglist) {
  if (!lpOut) return 0;
  Arguments args;
  va_copy(args.list, arglist);
  int length = Format(lpOut, lpFmt ? lpFmt : "", args);
  va_end(args.list);
  return length;
}

int WINAPIV wsprintfA(LPSTR lpOut, LPCSTR lpFmt, ...) {
  va_list args;
  va_start(args, lpFmt);
  int length = wvsprintfA(lpOut, lpFmt, args);
  va_end(args);
  return length;
}

DWORD WINAPI GetVersion(void) { return host::CurrentStationConfig().version; }

BOOL WINAPI GetVersionExA(LPOSVERSIONINFOA lpVersionInformation) {
  if (!lpVersionInformation) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (lpVersionInformation->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA)) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  DescribeVersion(GetVersion(), *lpVersionInformation);
  return TRUE;
}

BOOL WINAPI SystemTimeToFileTime(const SYSTEMTIME* lpSystemTime, LPFILETIME lpFileTime) {
  if (!lpSystemTime || !lpFileTime || !IsValidSystemTime(*lpSystemTime)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const SYSTEMTIME& t = *lpSystemTime;
  auto days = static_cast<ULONGLONG>(DaysFromCivil(t.wYear, t.wMonth, t.wDay) + kDaysFrom1601To1970);
  ULONGLONG seconds = (t.wHour * 60ULL + t.wMinute) * 60 + t.wSecond;
  FromTicks(days * kTicksPerDay + seconds * kTicksPerSecond + t.wMilliseconds * kTicksPerMillisecond, *lpFileTime);
  return TRUE;
}

// Times from the year 30828 on (the high bit set) are refused, as on Windows.
BOOL WINAPI FileTimeToSystemTime(const FILETIME* lpFileTime, LPSYSTEMTIME lpSystemTime) {
  if (!lpFileTime || !lpSystemTime || (lpFileTime->dwHighDateTime & 0x80000000)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  ULONGLONG ticks = ToTicks(*lpFileTime);
  auto days = static_cast<LONGLONG>(ticks / kTicksPerDay);
  ULONGLONG ofDay = ticks % kTicksPerDay;
  SYSTEMTIME& t = *lpSystemTime;
  CivilFromDays(days - kDaysFrom1601To1970, t);
  t.wDayOfWeek = static_cast<WORD>((days + 1) % 7);  // 1601-01-01 was a Monday
  t.wHour = static_cast<WORD>(ofDay / (3600 * kTicksPerSecond));
  t.wMinute = static_cast<WORD>(ofDay / (60 * kTicksPerSecond) % 60);
  t.wSecond = static_cast<WORD>(ofDay / kTicksPerSecond % 60);
  t.wMilliseconds = static_cast<WORD>(ofDay / kTicksPerMillisecond % 1000);
  return TRUE;
}

void WINAPI GetSystemTimeAsFileTime(LPFILETIME lpSystemTimeAsFileTime) {
  if (lpSystemTimeAsFileTime) FromTicks(NowInTicks(), *lpSystemTimeAsFileTime);
}

void WINAPI GetSystemTime(LPSYSTEMTIME lpSystemTime) {
  if (!lpSystemTime) return;
  FILETIME now;
  FromTicks(NowInTicks(), now);
  FileTimeToSystemTime(&now, lpSystemTime);
}

// Local time is the host's: its time zone and daylight saving rules.
void WINAPI GetLocalTime(LPSYSTEMTIME lpSystemTime) {
  if (!lpSystemTime) return;
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  tm local{};
  localtime_r(&now.tv_sec, &local);
  lpSystemTime->wYear = static_cast<WORD>(local.tm_year + 1900);
  lpSystemTime->wMonth = static_cast<WORD>(local.tm_mon + 1);
  lpSystemTime->wDayOfWeek = static_cast<WORD>(local.tm_wday);
  lpSystemTime->wDay = static_cast<WORD>(local.tm_mday);
  lpSystemTime->wHour = static_cast<WORD>(local.tm_hour);
  lpSystemTime->wMinute = static_cast<WORD>(local.tm_min);
  lpSystemTime->wSecond = static_cast<WORD>(local.tm_sec > 59 ? 59 : local.tm_sec);  // no leap second in SYSTEMTIME
  lpSystemTime->wMilliseconds = static_cast<WORD>(now.tv_nsec / 1000000);
}

}  // extern "C"
