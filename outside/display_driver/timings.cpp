#include "timings.h"

namespace host::adapter {
namespace {

constexpr DWORD kNeg = 1, kPos = 0;

Timing Dmt(DWORD refresh, DWORD clockKHz, DWORD w, DWORD hfp, DWORD hs, DWORD hbp, DWORD h, DWORD vfp, DWORD vs,
           DWORD vbp, DWORD hpol, DWORD vpol) {
  return Timing{clockKHz, w, hfp, hs, hbp, 0, h, vfp, vs, vbp, 0, 0, 0, hpol, vpol, refresh};
}

// Published VESA DMT timings (borders folded into the porches).
const std::vector<Timing> kTimings = {
    Dmt(60, 25175, 640, 16, 96, 48, 480, 10, 2, 33, kNeg, kNeg),
    Dmt(72, 31500, 640, 24, 40, 128, 480, 9, 3, 28, kNeg, kNeg),
    Dmt(75, 31500, 640, 16, 64, 120, 480, 1, 3, 16, kNeg, kNeg),
    Dmt(85, 36000, 640, 56, 56, 80, 480, 1, 3, 25, kNeg, kNeg),
    Dmt(56, 36000, 800, 24, 72, 128, 600, 1, 2, 22, kPos, kPos),
    Dmt(60, 40000, 800, 40, 128, 88, 600, 1, 4, 23, kPos, kPos),
    Dmt(72, 50000, 800, 56, 120, 64, 600, 37, 6, 23, kPos, kPos),
    Dmt(75, 49500, 800, 16, 80, 160, 600, 1, 3, 21, kPos, kPos),
    Dmt(85, 56250, 800, 32, 64, 152, 600, 1, 3, 27, kPos, kPos),
    Dmt(60, 65000, 1024, 24, 136, 160, 768, 3, 6, 29, kNeg, kNeg),
    Dmt(70, 75000, 1024, 24, 136, 144, 768, 3, 6, 29, kNeg, kNeg),
    Dmt(75, 78750, 1024, 16, 96, 176, 768, 1, 3, 28, kPos, kPos),
    Dmt(85, 94500, 1024, 48, 96, 208, 768, 1, 3, 36, kPos, kPos),
    Dmt(75, 108000, 1152, 64, 128, 256, 864, 1, 3, 32, kPos, kPos),
    Dmt(60, 108000, 1280, 48, 112, 248, 1024, 1, 3, 38, kPos, kPos),
    Dmt(75, 135000, 1280, 16, 144, 248, 1024, 1, 3, 38, kPos, kPos),
    Dmt(85, 157500, 1280, 64, 160, 224, 1024, 1, 3, 44, kPos, kPos),
    Dmt(60, 162000, 1600, 64, 192, 304, 1200, 1, 3, 46, kPos, kPos),
    Dmt(65, 175500, 1600, 64, 192, 304, 1200, 1, 3, 46, kPos, kPos),
    Dmt(70, 189000, 1600, 64, 192, 304, 1200, 1, 3, 46, kPos, kPos),
    Dmt(75, 202500, 1600, 64, 192, 304, 1200, 1, 3, 46, kPos, kPos),
    Dmt(85, 229500, 1600, 64, 192, 304, 1200, 1, 3, 46, kPos, kPos),
};

}  // namespace

const std::vector<Timing>& BuiltInTimings() { return kTimings; }

bool IsStandardResolution(int width, int height) {
  for (const Timing& t : kTimings)
    if (static_cast<int>(t.hDisp) == width && static_cast<int>(t.vDisp) == height) return true;
  return false;
}

std::vector<const Timing*> TimingsFor(int width, int height, DWORD maxPixelClockMHz) {
  std::vector<const Timing*> found;
  for (const Timing& t : kTimings)
    if (static_cast<int>(t.hDisp) == width && static_cast<int>(t.vDisp) == height &&
        t.pixelClockKHz <= maxPixelClockMHz * 1000)
      found.push_back(&t);
  return found;
}

const Timing* PreferredTiming(int width, int height, DWORD maxPixelClockMHz) {
  auto timings = TimingsFor(width, height, maxPixelClockMHz);
  for (const Timing* t : timings)
    if (t->refreshHz == 60) return t;
  return timings.empty() ? nullptr : timings.front();
}

void TimingToWords(const Timing& t, DWORD words[kTimingWords]) {
  const DWORD values[kTimingWords] = {t.pixelClockKHz,   t.hDisp,         t.hFrontPorch,  t.hSync,
                                      t.hBackPorch,      t.hOverscan,     t.vDisp,        t.vFrontPorch,
                                      t.vSync,           t.vBackPorch,    t.vOverscan,    t.overscanEnable,
                                      t.interlaceEnable, t.hSyncPolarity, t.vSyncPolarity};
  for (int i = 0; i < kTimingWords; ++i) words[i] = values[i];
}

}  // namespace host::adapter
