// The adapter's built-in timings: the standard (VESA DMT) modes it can scan.
#pragma once

#include <windows.h>

#include <vector>

namespace host::adapter {

// The fifteen fields of a timing block, in the order of the escape buffers.
struct Timing {
  DWORD pixelClockKHz;
  DWORD hDisp, hFrontPorch, hSync, hBackPorch, hOverscan;
  DWORD vDisp, vFrontPorch, vSync, vBackPorch, vOverscan;
  DWORD overscanEnable, interlaceEnable;
  DWORD hSyncPolarity, vSyncPolarity;  // 1 negative, 0 positive
  DWORD refreshHz;                     // the rate this timing is listed under (not part of the block)
};

inline constexpr int kTimingWords = 15;

// Every built-in timing, by resolution then rate.
const std::vector<Timing>& BuiltInTimings();
bool IsStandardResolution(int width, int height);
// The built-in timings of a resolution that a board with this pixel clock
// limit can scan, in ascending rate.
std::vector<const Timing*> TimingsFor(int width, int height, DWORD maxPixelClockMHz);
// The rate a mode starts with: 60 Hz when listed, else the lowest.
const Timing* PreferredTiming(int width, int height, DWORD maxPixelClockMHz);
void TimingToWords(const Timing& timing, DWORD words[kTimingWords]);

}  // namespace host::adapter
