// The eight position and size adjustments: when each is possible and what it makes of the timing.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <iterator>

#include "timing_fixtures.h"

namespace {

using timing_test::Porches;

constexpr DWORD kBoardMHz = 135;

TimingBlock Timing(LONG clock, LONG hDisp, LONG hFront, LONG hSync, LONG hBack, LONG vDisp, LONG vFront, LONG vSync,
                   LONG vBack) {
  TimingBlock t = timing_test::Vga();
  t.PIXEL_CLK = clock;
  t.H_DISP = hDisp;
  t.H_FPORCH = hFront;
  t.H_SYNC = hSync;
  t.H_BPORCH = hBack;
  t.V_DISP = vDisp;
  t.V_FPORCH = vFront;
  t.V_SYNC = vSync;
  t.V_BPORCH = vBack;
  return t;
}

// VGA timing (HT 800, VT 525) with other porches.
TimingBlock VgaWith(LONG hFront, LONG hBack, LONG vFront, LONG vBack, LONG clock = 25175) {
  return Timing(clock, 800 - 96 - hFront - hBack, hFront, 96, hBack, 525 - 2 - vFront - vBack, vFront, 2, vBack);
}

struct Case {
  const char* name;
  TimingBlock timing;
  Adjustment adjustment;
  LONG zoom;
  DWORD maxMHz;
  const char* expected;  // the porches and clock afterwards, or "not possible"
};

void ExpectAdjustments(const Case* cases, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    const Case& c = cases[i];
    SCOPED_TRACE(c.name);
    const TimingContext context{c.zoom, c.maxMHz};
    TimingBlock timing = c.timing;
    const bool possible = IsAdjustmentPossible(timing, c.adjustment, context);
    EXPECT_EQ(AdjustTiming(timing, c.adjustment, context), possible);
    if (possible) {
      EXPECT_EQ(Porches(timing), c.expected);
    } else {
      EXPECT_STREQ("not possible", c.expected);
      EXPECT_EQ(std::memcmp(&timing, &c.timing, sizeof timing), 0);
    }
  }
}

TEST(TimingAdjustments, PositionsMoveBetweenTheirPorchBounds) {
  const Case cases[] = {
      {"H one way at both bounds", VgaWith(384, 40, 10, 33), Adjustment::kMoreHorizontalFrontPorch, 1, kBoardMHz,
       "H 416/8 V 10/33 clock 25175"},
      {"H one way, front porch too wide", VgaWith(385, 40, 10, 33), Adjustment::kMoreHorizontalFrontPorch, 1, kBoardMHz,
       "not possible"},
      {"H one way, back porch too narrow", VgaWith(100, 39, 10, 33), Adjustment::kMoreHorizontalFrontPorch, 1,
       kBoardMHz, "not possible"},
      {"H one way by 16 at zoom 2", VgaWith(400, 24, 10, 33), Adjustment::kMoreHorizontalFrontPorch, 2, kBoardMHz,
       "H 416/8 V 10/33 clock 25175"},
      {"H other way at both bounds", VgaWith(40, 384, 10, 33), Adjustment::kLessHorizontalFrontPorch, 1, kBoardMHz,
       "H 8/416 V 10/33 clock 25175"},
      {"H other way, front porch too narrow", VgaWith(39, 100, 10, 33), Adjustment::kLessHorizontalFrontPorch, 1,
       kBoardMHz, "not possible"},
      {"H other way by 32 at zoom 4", VgaWith(40, 100, 10, 33), Adjustment::kLessHorizontalFrontPorch, 4, kBoardMHz,
       "H 8/132 V 10/33 clock 25175"},
      {"V one way at both bounds", VgaWith(16, 48, 92, 5), Adjustment::kMoreVerticalFrontPorch, 1, kBoardMHz,
       "H 16/48 V 96/1 clock 25175"},
      {"V one way, back porch too narrow", VgaWith(16, 48, 10, 4), Adjustment::kMoreVerticalFrontPorch, 1, kBoardMHz,
       "not possible"},
      {"V other way at both bounds", VgaWith(16, 48, 5, 92), Adjustment::kLessVerticalFrontPorch, 1, kBoardMHz,
       "H 16/48 V 1/96 clock 25175"},
      {"V other way, front porch too narrow", VgaWith(16, 48, 4, 33), Adjustment::kLessVerticalFrontPorch, 1, kBoardMHz,
       "not possible"},
      {"V other way, back porch too wide", VgaWith(16, 48, 10, 93), Adjustment::kLessVerticalFrontPorch, 1, kBoardMHz,
       "not possible"},
      // 8 x zoom would wrap to a step of 0 in 32 bits; it saturates instead, and no step fits.
      {"H one way with a damaged zoom", VgaWith(100, 100, 10, 33), Adjustment::kMoreHorizontalFrontPorch, 0x40000000,
       kBoardMHz, "not possible"},
  };
  ExpectAdjustments(cases, std::size(cases));
}

// Horizontal sizes keep the line rate (X = 25175 / 800 = 31.46875), vertical sizes the refresh (59.94 Hz).
TEST(TimingAdjustments, SizesKeepTheRateAndMoveTheClock) {
  const TimingBlock vga = timing_test::Vga();
  const Case cases[] = {
      {"H wider", vga, Adjustment::kWiderHorizontalBlanking, 1, kBoardMHz, "H 48/80 V 10/33 clock 27189"},
      {"H wider needs a clock below the board's (27 < 28)", vga, Adjustment::kWiderHorizontalBlanking, 1, 28,
       "H 48/80 V 10/33 clock 27189"},
      {"H wider refused at the board's clock (27 < 27)", vga, Adjustment::kWiderHorizontalBlanking, 1, 27,
       "not possible"},
      {"H wider by 16 at zoom 2", vga, Adjustment::kWiderHorizontalBlanking, 2, kBoardMHz,
       "H 32/64 V 10/33 clock 26182"},
      {"H wider, a porch at its top", VgaWith(385, 48, 10, 33), Adjustment::kWiderHorizontalBlanking, 1, kBoardMHz,
       "not possible"},
      {"H narrower", VgaWith(40, 40, 10, 33), Adjustment::kNarrowerHorizontalBlanking, 1, kBoardMHz,
       "H 8/8 V 10/33 clock 23161"},
      {"H narrower to 15 MHz", VgaWith(40, 40, 10, 33, 16400), Adjustment::kNarrowerHorizontalBlanking, 1, kBoardMHz,
       "H 8/8 V 10/33 clock 15088"},
      {"H narrower refused at 14 MHz", VgaWith(40, 40, 10, 33, 16000), Adjustment::kNarrowerHorizontalBlanking, 1,
       kBoardMHz, "not possible"},
      {"H narrower, a porch at its bottom", VgaWith(40, 39, 10, 33), Adjustment::kNarrowerHorizontalBlanking, 1,
       kBoardMHz, "not possible"},
      {"V wider", vga, Adjustment::kWiderVerticalBlanking, 1, kBoardMHz, "H 16/48 V 14/37 clock 25559"},
      {"V wider refused at the board's clock (25 < 25)", vga, Adjustment::kWiderVerticalBlanking, 1, 25,
       "not possible"},
      {"V wider, a porch at its top", VgaWith(16, 48, 10, 93), Adjustment::kWiderVerticalBlanking, 1, kBoardMHz,
       "not possible"},
      {"V narrower", vga, Adjustment::kNarrowerVerticalBlanking, 1, kBoardMHz, "H 16/48 V 6/29 clock 24791"},
      {"V narrower to 15 MHz", VgaWith(16, 48, 10, 33, 15250), Adjustment::kNarrowerVerticalBlanking, 1, kBoardMHz,
       "H 16/48 V 6/29 clock 15018"},
      {"V narrower refused at 14 MHz", VgaWith(16, 48, 10, 33, 15200), Adjustment::kNarrowerVerticalBlanking, 1,
       kBoardMHz, "not possible"},
      {"V narrower, a porch at its bottom", VgaWith(16, 48, 4, 33), Adjustment::kNarrowerVerticalBlanking, 1, kBoardMHz,
       "not possible"},
  };
  ExpectAdjustments(cases, std::size(cases));
}

// In double precision these would give one kHz less (178327 and 26283).
TEST(TimingAdjustments, SizesRoundInSinglePrecision) {
  const Case cases[] = {
      {"H wider", Timing(170129, 1024, 32, 136, 136, 768, 3, 6, 29), Adjustment::kWiderHorizontalBlanking, 1, 200,
       "H 64/168 V 3/29 clock 178328"},
      {"V wider", VgaWith(16, 48, 10, 33, 25889), Adjustment::kWiderVerticalBlanking, 1, kBoardMHz,
       "H 16/48 V 14/37 clock 26284"},
  };
  ExpectAdjustments(cases, std::size(cases));
}

TEST(TimingAdjustments, AnUnknownBoardMaximumAllowsNoSizeIncrease) {
  const TimingBlock vga = VgaWith(40, 40, 10, 33);
  const TimingContext unknown{1, 0};
  EXPECT_FALSE(IsAdjustmentPossible(vga, Adjustment::kWiderHorizontalBlanking, unknown));
  EXPECT_FALSE(IsAdjustmentPossible(vga, Adjustment::kWiderVerticalBlanking, unknown));
  EXPECT_TRUE(IsAdjustmentPossible(vga, Adjustment::kNarrowerHorizontalBlanking, unknown));
  EXPECT_TRUE(IsAdjustmentPossible(vga, Adjustment::kNarrowerVerticalBlanking, unknown));
  EXPECT_TRUE(IsAdjustmentPossible(vga, Adjustment::kMoreHorizontalFrontPorch, unknown));
}

// Without a total there is no line rate or refresh to keep; dividing by it would give an infinite clock.
TEST(TimingAdjustments, AZeroTotalAllowsNoSizeChange) {
  const TimingBlock noHorizontal = Timing(25175, -176, 40, 96, 40, 480, 10, 2, 33);
  const TimingBlock noVertical = Timing(25175, 640, 40, 96, 40, -45, 10, 2, 33);
  const TimingContext context{1, kBoardMHz};
  for (Adjustment adjustment : {Adjustment::kWiderHorizontalBlanking, Adjustment::kNarrowerHorizontalBlanking,
                                Adjustment::kWiderVerticalBlanking, Adjustment::kNarrowerVerticalBlanking}) {
    SCOPED_TRACE(static_cast<int>(adjustment));
    EXPECT_FALSE(IsAdjustmentPossible(noHorizontal, adjustment, context));
    TimingBlock timing = noHorizontal;
    EXPECT_FALSE(AdjustTiming(timing, adjustment, context));
    EXPECT_EQ(std::memcmp(&timing, &noHorizontal, sizeof timing), 0);
  }
  EXPECT_FALSE(IsAdjustmentPossible(noVertical, Adjustment::kWiderVerticalBlanking, context));
  EXPECT_FALSE(IsAdjustmentPossible(noVertical, Adjustment::kNarrowerVerticalBlanking, context));
  // The horizontal ones need only the line rate.
  EXPECT_TRUE(IsAdjustmentPossible(noVertical, Adjustment::kNarrowerHorizontalBlanking, context));
}

}  // namespace
