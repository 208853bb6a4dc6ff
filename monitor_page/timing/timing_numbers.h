// Limits and number conversions shared by the timing arithmetic's sources.
#pragma once

#include <windows.h>

#include <climits>
#include <cmath>

namespace timing_numbers {

constexpr LONG kMinPixelClock = 14319;  // kHz
constexpr LONG kMaxHorizontalPorch = 416;
constexpr LONG kMaxHorizontalSync = 256;
constexpr LONG kMinHorizontal = 8;  // porches and sync
constexpr LONG kMaxVerticalPorch = 96;
constexpr LONG kMaxVerticalSync = 200;
constexpr LONG kMinVertical = 1;      // porches and sync
constexpr LONG kPixelClockStep = 10;  // kHz

// Saturates instead of wrapping: fields hold whatever the user typed.
inline LONG ToLong(LONGLONG value) {
  if (value > LONG_MAX) return LONG_MAX;
  if (value < LONG_MIN) return LONG_MIN;
  return static_cast<LONG>(value);
}

// Truncates toward zero, saturating; a result that is not a number becomes 0.
inline LONG TruncToLong(double value) {
  if (std::isnan(value)) return 0;
  if (value >= static_cast<double>(LONG_MAX)) return LONG_MAX;
  if (value <= static_cast<double>(LONG_MIN)) return LONG_MIN;
  return static_cast<LONG>(value);
}

// "Rounded to nearest" throughout: add 0.5 and truncate.
inline double RoundHalfUp(double value) { return std::trunc(value + 0.5); }

inline LONGLONG MaxPixelClockKHz(DWORD maxPixelClockMHz) { return static_cast<LONGLONG>(maxPixelClockMHz) * 1000; }

// The clock a refresh implies over the totals, truncated.
inline LONG ClockForRefresh(LONGLONG hTotal, LONGLONG vTotal, LONGLONG refresh) {
  return TruncToLong(static_cast<double>(hTotal) * static_cast<double>(vTotal) * static_cast<double>(refresh) * 0.001);
}

}  // namespace timing_numbers
