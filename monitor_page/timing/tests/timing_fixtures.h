// Timings shared by the timing arithmetic's tests.
#pragma once

#include <string>

#include "timing_arithmetic.h"

namespace timing_test {

// 640 x 480 at 59.94 Hz: HT 800, VT 525.
inline TimingBlock Vga() {
  return TimingBlock{.PIXEL_CLK = 25175,
                     .H_DISP = 640,
                     .H_FPORCH = 16,
                     .H_SYNC = 96,
                     .H_BPORCH = 48,
                     .H_OVERSCAN = 0,
                     .V_DISP = 480,
                     .V_FPORCH = 10,
                     .V_SYNC = 2,
                     .V_BPORCH = 33,
                     .V_OVERSCAN = 0,
                     .OVERSCAN_ENABLE = 0,
                     .INTERLACE_ENABLE = 0,
                     .H_SYNC_POL = 1,
                     .V_SYNC_POL = 1};
}

// The same timing as the panel shows it at zoom 1, with the rates derived from the clock (60 Hz, 31 kHz).
inline TimingFields VgaFields() { return FieldsFromTiming(Vga(), 1); }

inline std::string Porches(const TimingBlock& t) {
  return "H " + std::to_string(t.H_FPORCH) + "/" + std::to_string(t.H_BPORCH) + " V " + std::to_string(t.V_FPORCH) +
         "/" + std::to_string(t.V_BPORCH) + " clock " + std::to_string(t.PIXEL_CLK);
}

inline std::string Rates(const TimingFields& f) {
  return "clock " + std::to_string(f.pixelClock) + " refresh " + std::to_string(f.refresh) + " line " +
         std::to_string(f.lineRate);
}

}  // namespace timing_test
