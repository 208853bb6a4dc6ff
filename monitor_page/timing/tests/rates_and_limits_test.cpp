// Derived rates, zoom scaling, the limit texts and applying the panel's fields.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>

#include "timing_fixtures.h"

namespace {

using timing_test::Rates;
using timing_test::Vga;
using timing_test::VgaFields;

constexpr DWORD kBoardMHz = 135;

TEST(TimingZoom, DivisorAndStepsFollowTheZoom) {
  struct Case {
    LONG zoom;
    LONG divisor;
    LONG arrowStep;
    LONG fieldStep;
  };
  const Case cases[] = {
      {0, 1, 32, 32},
      {1, 1, 32, 32},
      {2, 2, 16, 8},
      {4, 4, 32, 8},
      // A damaged zoom must not divide by zero or by a negative.
      {-3, 1, 32, 32},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.zoom);
    EXPECT_EQ(ZoomDivisor(c.zoom), c.divisor);
    EXPECT_EQ(HorizontalArrowStep(c.zoom), c.arrowStep);
    EXPECT_EQ(HorizontalFieldStep(c.zoom), c.fieldStep);
  }
}

TEST(TimingRates, RoundToNearestAndSurviveWideProducts) {
  struct Case {
    const char* name;
    LONGLONG clock, hTotal, vTotal;
    LONG refresh, lineRate;
  };
  const Case cases[] = {
      {"59.94 Hz and 31.47 kHz", 25175, 800, 525, 60, 31},
      {"exact halves round up", 25200, 800, 525, 60, 32},
      {"clock x 1000 beyond 32 bits", 5000000, 2000, 2500, 1000, 2500},
      {"totals product beyond 32 bits", LONG_MAX, 70000, 70000, 438, 30678},
      {"zero horizontal total", 25175, 0, 525, 0, 0},
      {"zero vertical total", 25175, 800, 0, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const TimingRates rates = ComputeRates(c.clock, c.hTotal, c.vTotal);
    EXPECT_EQ(rates.refresh, c.refresh);
    EXPECT_EQ(rates.lineRate, c.lineRate);
  }
}

TEST(TimingRates, OfATimingUseItsOwnTotals) {
  const TimingRates rates = ComputeTimingRates(Vga());
  EXPECT_EQ(rates.refresh, 60);
  EXPECT_EQ(rates.lineRate, 31);
}

TEST(TimingDerivations, ZeroTotalsGiveZeroInsteadOfDividing) {
  TimingFields fields = VgaFields();
  fields.vDisp = 0;
  fields.vFrontPorch = 0;
  fields.vSync = 0;
  fields.vBackPorch = 0;

  TimingFields fromClock = fields;
  DeriveFromPixelClock(fromClock);
  EXPECT_EQ(Rates(fromClock), "clock 25175 refresh 0 line 0");

  TimingFields fromRefresh = fields;
  DeriveFromRefresh(fromRefresh);
  EXPECT_EQ(Rates(fromRefresh), "clock 0 refresh 60 line 0");

  TimingFields fromLineRate = fields;
  DeriveFromLineRate(fromLineRate);
  EXPECT_EQ(Rates(fromLineRate), "clock 0 refresh 0 line 31");

  TimingFields noHorizontal = VgaFields();
  noHorizontal.hDisp = noHorizontal.hFrontPorch = noHorizontal.hSync = noHorizontal.hBackPorch = 0;
  DeriveFromLineRate(noHorizontal);
  EXPECT_EQ(Rates(noHorizontal), "clock 0 refresh 0 line 31");
}

TEST(TimingDisplayUnits, HorizontalValuesAndClockAreDividedByTheZoom) {
  TimingBlock timing = Vga();
  timing.PIXEL_CLK = 100003;
  timing.H_SYNC_POL = 0;
  const TimingFields fields = FieldsFromTiming(timing, 4);
  EXPECT_EQ(fields.pixelClock, 25000);
  EXPECT_EQ(fields.hDisp, 160);
  EXPECT_EQ(fields.hFrontPorch, 4);
  EXPECT_EQ(fields.hSync, 24);
  EXPECT_EQ(fields.hBackPorch, 12);
  EXPECT_EQ(fields.vDisp, 480);
  EXPECT_EQ(fields.vFrontPorch, 10);
  EXPECT_EQ(fields.vSync, 2);
  EXPECT_EQ(fields.vBackPorch, 33);
  EXPECT_TRUE(fields.hSyncChecked);  // polarity 0 shows as checked
  EXPECT_FALSE(fields.vSyncChecked);
  // Rates over the display-unit totals: 25000 / 200 and 25000000 / (200 x 525).
  EXPECT_EQ(fields.refresh, 238);
  EXPECT_EQ(fields.lineRate, 125);
}

TEST(TimingLimits, EachFieldReportsItsOwnTextAtItsBounds) {
  struct Case {
    const char* name;
    LONG TimingFields::*field;
    LONG tooLow, lowest, highest, tooHigh;
    const char* lowText;
    const char* highText;
  };
  const Case cases[] = {
      {"V front porch", &TimingFields::vFrontPorch, 0, 1, 96, 97, "The vertical front porch parameter is too low\n",
       "The vertical front porch parameter is too high\n"},
      {"V back porch", &TimingFields::vBackPorch, 0, 1, 96, 97, "The vertical back porch parameter is too low\n",
       "The vertical back porch parameter is too high\n"},
      {"H front porch", &TimingFields::hFrontPorch, 7, 8, 416, 417, "The horizontal front porch parameter is too low\n",
       "The horizontal front porch parameter is too high\n"},
      {"H back porch", &TimingFields::hBackPorch, 7, 8, 416, 417, "The horizontal back porch parameter is too low\n",
       "The horizontal back porch parameter is too high\n"},
      {"H sync", &TimingFields::hSync, 7, 8, 256, 257, "The horizontal sync parameter is too low\n",
       "The horizontal sync parameter is too high\n"},
      {"V sync", &TimingFields::vSync, 0, 1, 200, 201, "The vertical sync parameter is too low\n",
       "The vertical sync parameter is too high\n"},
      {"pixel clock", &TimingFields::pixelClock, 14318, 14319, 135000, 135001, "The pixel clock parameter is too low\n",
       "The pixel clock parameter is too high\n"},
      {"negative vertical value", &TimingFields::vSync, -5, 1, 200, 201, "The vertical sync parameter is too low\n",
       "The vertical sync parameter is too high\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TimingFields fields = VgaFields();
    fields.*c.field = c.lowest;
    EXPECT_EQ(CheckFieldLimits(fields, kBoardMHz), "");
    fields.*c.field = c.highest;
    EXPECT_EQ(CheckFieldLimits(fields, kBoardMHz), "");
    fields.*c.field = c.tooLow;
    EXPECT_EQ(CheckFieldLimits(fields, kBoardMHz), c.lowText);
    fields.*c.field = c.tooHigh;
    EXPECT_EQ(CheckFieldLimits(fields, kBoardMHz), c.highText);
  }
}

TEST(TimingLimits, AllFailuresCollectInTheFixedOrder) {
  TimingFields fields = VgaFields();
  fields.vFrontPorch = 97;
  fields.vBackPorch = 0;
  fields.hFrontPorch = 500;
  fields.hBackPorch = 0;
  fields.hSync = 300;
  fields.vSync = 0;
  fields.pixelClock = 200000;
  EXPECT_EQ(CheckFieldLimits(fields, kBoardMHz),
            "The vertical front porch parameter is too high\n"
            "The vertical back porch parameter is too low\n"
            "The horizontal front porch parameter is too high\n"
            "The horizontal back porch parameter is too low\n"
            "The horizontal sync parameter is too high\n"
            "The vertical sync parameter is too low\n"
            "The pixel clock parameter is too high\n");
  EXPECT_STREQ(kLimitWarningTitle, "Warning");
}

TEST(TimingLimits, AnUnknownBoardMaximumMakesEveryClockTooHigh) {
  EXPECT_EQ(CheckFieldLimits(VgaFields(), 0), "The pixel clock parameter is too high\n");
}

// The clock limit compares display units with the board's maximum, as the panel has always done: at zoom 2 a
// timing of twice the board's clock passes here and is dropped later by the page's board filter.
TEST(TimingLimits, ClockLimitIsCheckedInDisplayUnits) {
  TimingBlock timing = Vga();
  timing.PIXEL_CLK = 200000;
  const TimingFields fields = FieldsFromTiming(timing, 2);
  TimingBlock applied = Vga();
  EXPECT_TRUE(ApplyFields(fields, {2, kBoardMHz}, applied).applied);
  EXPECT_EQ(applied.PIXEL_CLK, 200000);
}

TEST(TimingApply, StoresFieldsInTimingUnitsAndKeepsTheRest) {
  TimingBlock timing = Vga();
  timing.H_OVERSCAN = 3;
  timing.V_OVERSCAN = 4;
  timing.OVERSCAN_ENABLE = 1;
  timing.INTERLACE_ENABLE = 1;
  TimingFields fields{.pixelClock = 20000,
                      .hDisp = 256,
                      .hFrontPorch = 8,
                      .hSync = 24,
                      .hBackPorch = 16,
                      .vDisp = 768,
                      .vFrontPorch = 3,
                      .vSync = 6,
                      .vBackPorch = 29,
                      .refresh = 0,
                      .lineRate = 0,
                      .hSyncChecked = true,
                      .vSyncChecked = false};
  const ApplyOutcome outcome = ApplyFields(fields, {4, kBoardMHz}, timing);
  ASSERT_TRUE(outcome.applied);
  EXPECT_EQ(outcome.warning, "");
  const TimingBlock expected{80000, 1024, 32, 96, 64, 3, 768, 3, 6, 29, 4, 1, 1, 0, 1};
  EXPECT_EQ(std::memcmp(&timing, &expected, sizeof timing), 0) << timing_test::Porches(timing);

  // Zoom 0 takes the fields as they are.
  ASSERT_TRUE(ApplyFields(fields, {0, kBoardMHz}, timing).applied);
  EXPECT_EQ(timing.H_DISP, 256);
  EXPECT_EQ(timing.PIXEL_CLK, 20000);
}

TEST(TimingApply, AFailedCheckLeavesTheTimingUntouched) {
  TimingBlock timing = Vga();
  TimingFields fields = VgaFields();
  fields.hFrontPorch = 500;
  fields.vDisp = 999;
  const ApplyOutcome outcome = ApplyFields(fields, {1, kBoardMHz}, timing);
  EXPECT_FALSE(outcome.applied);
  EXPECT_EQ(outcome.warning, "The horizontal front porch parameter is too high\n");
  const TimingBlock original = Vga();
  EXPECT_EQ(std::memcmp(&timing, &original, sizeof timing), 0);
}

}  // namespace
