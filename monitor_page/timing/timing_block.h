// The timing block: one video timing as the monitor tree keeps it, as the tail of an OVX.INF mode record and as
// the 60-byte buffer the display driver exchanges. Field order is the exchanged order.
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
