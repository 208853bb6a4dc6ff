// The timing block: one video timing as the monitor tree keeps it, as the tail of an OVX.INF mode record and as
// the 60-byte buffer the display driver exchanges. Field order is the exchanged order. The monitor database, the
// timing arithmetic and the mode file all use this one type.
#pragma once

#include <windows.h>

struct TimingBlock {
  LONG PIXEL_CLK;  // kHz
  LONG H_DISP;     // pixels
  LONG H_FPORCH;
  LONG H_SYNC;
  LONG H_BPORCH;
  LONG H_OVERSCAN;
  LONG V_DISP;  // lines
  LONG V_FPORCH;
  LONG V_SYNC;
  LONG V_BPORCH;
  LONG V_OVERSCAN;
  LONG OVERSCAN_ENABLE;
  LONG INTERLACE_ENABLE;
  LONG H_SYNC_POL;
  LONG V_SYNC_POL;
};
static_assert(sizeof(TimingBlock) == 60, "the driver and the files exchange exactly fifteen dwords");

inline bool operator==(const TimingBlock& a, const TimingBlock& b) {
  return a.PIXEL_CLK == b.PIXEL_CLK && a.H_DISP == b.H_DISP && a.H_FPORCH == b.H_FPORCH && a.H_SYNC == b.H_SYNC &&
         a.H_BPORCH == b.H_BPORCH && a.H_OVERSCAN == b.H_OVERSCAN && a.V_DISP == b.V_DISP &&
         a.V_FPORCH == b.V_FPORCH && a.V_SYNC == b.V_SYNC && a.V_BPORCH == b.V_BPORCH &&
         a.V_OVERSCAN == b.V_OVERSCAN && a.OVERSCAN_ENABLE == b.OVERSCAN_ENABLE &&
         a.INTERLACE_ENABLE == b.INTERLACE_ENABLE && a.H_SYNC_POL == b.H_SYNC_POL && a.V_SYNC_POL == b.V_SYNC_POL;
}
inline bool operator!=(const TimingBlock& a, const TimingBlock& b) { return !(a == b); }

constexpr int kTimingFieldCount = 15;
// The fields in wire order, for code that reads or writes them one by one.
constexpr LONG TimingBlock::*kTimingFields[kTimingFieldCount] = {
    &TimingBlock::PIXEL_CLK,  &TimingBlock::H_DISP,          &TimingBlock::H_FPORCH,         &TimingBlock::H_SYNC,
    &TimingBlock::H_BPORCH,   &TimingBlock::H_OVERSCAN,      &TimingBlock::V_DISP,           &TimingBlock::V_FPORCH,
    &TimingBlock::V_SYNC,     &TimingBlock::V_BPORCH,        &TimingBlock::V_OVERSCAN,       &TimingBlock::OVERSCAN_ENABLE,
    &TimingBlock::INTERLACE_ENABLE, &TimingBlock::H_SYNC_POL, &TimingBlock::V_SYNC_POL};

// Names of the fields as OVX.MON and the report tools spell them.
constexpr const char* kTimingFieldNames[kTimingFieldCount] = {
    "PIXEL_CLK", "H_DISP",   "H_FPORCH",   "H_SYNC",          "H_BPORCH",         "H_OVERSCAN", "V_DISP",    "V_FPORCH",
    "V_SYNC",    "V_BPORCH", "V_OVERSCAN", "OVERSCAN_ENABLE", "INTERLACE_ENABLE", "H_SYNC_POL", "V_SYNC_POL"};
