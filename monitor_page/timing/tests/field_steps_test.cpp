// Spin and keyboard steps of the panel's fields, with their clamps, refusals and beeps.
#include <gtest/gtest.h>

#include <climits>

#include "timing_fixtures.h"

namespace {

using timing_test::Rates;
using timing_test::VgaFields;

constexpr DWORD kBoardMHz = 135;
constexpr StepDirection kUp = StepDirection::kUp;
constexpr StepDirection kDown = StepDirection::kDown;
constexpr StepSource kSpin = StepSource::kSpin;
constexpr StepSource kKeys = StepSource::kKeyboard;

LONG TimingFields::*MemberOf(TimingField field) {
  switch (field) {
    case TimingField::kVFrontPorch:
      return &TimingFields::vFrontPorch;
    case TimingField::kVBackPorch:
      return &TimingFields::vBackPorch;
    case TimingField::kVSync:
      return &TimingFields::vSync;
    case TimingField::kHFrontPorch:
      return &TimingFields::hFrontPorch;
    case TimingField::kHBackPorch:
      return &TimingFields::hBackPorch;
    case TimingField::kHSync:
      return &TimingFields::hSync;
    case TimingField::kRefresh:
      return &TimingFields::refresh;
    case TimingField::kLineRate:
      return &TimingFields::lineRate;
    default:
      return &TimingFields::pixelClock;
  }
}

TEST(TimingFieldSteps, SingleFieldsClampOrRefuseAtTheirLimits) {
  struct Case {
    const char* name;
    TimingField field;
    LONG value;
    StepDirection direction;
    StepSource source;
    LONG zoom;
    DWORD maxMHz;
    LONG expected;
    bool beep;
  };
  const Case cases[] = {
      {"V porch steps by one", TimingField::kVFrontPorch, 5, kUp, kKeys, 1, kBoardMHz, 6, false},
      {"V porch at its top is not stepped", TimingField::kVBackPorch, 96, kUp, kKeys, 1, kBoardMHz, 96, false},
      {"V porch at its bottom is not stepped", TimingField::kVFrontPorch, 1, kDown, kSpin, 1, kBoardMHz, 1, false},
      {"V porch below the range becomes 1", TimingField::kVFrontPorch, 0, kUp, kKeys, 1, kBoardMHz, 1, true},
      {"V porch above the range becomes 96", TimingField::kVBackPorch, 120, kDown, kKeys, 1, kBoardMHz, 96, true},
      {"V sync reaches 200", TimingField::kVSync, 199, kUp, kKeys, 1, kBoardMHz, 200, false},
      {"V sync above the range becomes 200", TimingField::kVSync, 250, kUp, kKeys, 1, kBoardMHz, 200, true},
      {"H porch steps by 32 and rounds", TimingField::kHFrontPorch, 20, kUp, kKeys, 1, kBoardMHz, 64, false},
      {"H porch steps by 8 at zoom 4", TimingField::kHBackPorch, 13, kUp, kSpin, 4, kBoardMHz, 24, false},
      {"H porch below 8 becomes s", TimingField::kHFrontPorch, 40, kDown, kKeys, 1, kBoardMHz, 32, true},
      {"H porch below 8 becomes s at zoom 2", TimingField::kHFrontPorch, 8, kDown, kKeys, 2, kBoardMHz, 8, true},
      {"H porch above 416 becomes 416", TimingField::kHBackPorch, 413, kUp, kKeys, 2, kBoardMHz, 416, true},
      {"H porch at 416 stays with a beep", TimingField::kHFrontPorch, 416, kUp, kSpin, 0, kBoardMHz, 416, true},
      {"H sync above 256 becomes 256", TimingField::kHSync, 250, kUp, kKeys, 1, kBoardMHz, 256, true},
      {"H sync steps by 8", TimingField::kHSync, 12, kUp, kKeys, 2, kBoardMHz, 24, false},
      {"H porch far beyond the range", TimingField::kHFrontPorch, LONG_MAX, kUp, kKeys, 1, kBoardMHz, 416, true},
      {"clock spins by 10", TimingField::kPixelClock, 25000, kUp, kSpin, 1, kBoardMHz, 25010, false},
      {"clock spin probes one kHz below", TimingField::kPixelClock, 14320, kDown, kSpin, 1, kBoardMHz, 14310, false},
      {"clock spin under the minimum is clamped", TimingField::kPixelClock, 14315, kDown, kSpin, 1, kBoardMHz, 14319,
       true},
      {"clock spin up from far below is clamped", TimingField::kPixelClock, 100, kUp, kSpin, 1, kBoardMHz, 14319, true},
      {"clock key up only probes the maximum", TimingField::kPixelClock, 100, kUp, kKeys, 1, kBoardMHz, 110, false},
      {"clock key down at the minimum is clamped", TimingField::kPixelClock, 14319, kDown, kKeys, 1, kBoardMHz, 14319,
       true},
      {"clock key down only probes the minimum", TimingField::kPixelClock, 200000, kDown, kKeys, 1, kBoardMHz, 199990,
       false},
      {"clock spin down from above is clamped", TimingField::kPixelClock, 200000, kDown, kSpin, 1, kBoardMHz, 135000,
       true},
      {"clock spin up may pass the maximum", TimingField::kPixelClock, 134995, kUp, kSpin, 1, kBoardMHz, 135005, false},
      {"clock at the maximum stays with a beep", TimingField::kPixelClock, 135000, kUp, kKeys, 1, kBoardMHz, 135000,
       true},
      {"clock with an unknown maximum stays", TimingField::kPixelClock, 25000, kUp, kSpin, 1, 0, 25000, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TimingFields fields = VgaFields();
    fields.*MemberOf(c.field) = c.value;
    const StepOutcome outcome = StepField(fields, c.field, c.direction, c.source, {c.zoom, c.maxMHz});
    EXPECT_EQ(outcome.fields.*MemberOf(c.field), c.expected);
    EXPECT_EQ(outcome.beep, c.beep);
  }
}

TEST(TimingFieldSteps, ASteppedTimingFieldBringsRatesFromTheClock) {
  TimingFields fields = VgaFields();
  fields.refresh = 1;  // stale rates are replaced
  fields.lineRate = 1;
  const StepOutcome outcome =
      StepField(fields, TimingField::kHFrontPorch, kUp, kKeys, {1, kBoardMHz});  // 16 -> 64, HT 848
  EXPECT_EQ(outcome.fields.hFrontPorch, 64);
  EXPECT_EQ(Rates(outcome.fields), "clock 25175 refresh 57 line 30");

  // A refused step changes nothing, not even the rates shown.
  fields.vFrontPorch = 96;
  EXPECT_EQ(Rates(StepField(fields, TimingField::kVFrontPorch, kUp, kKeys, {1, kBoardMHz}).fields),
            "clock 25175 refresh 1 line 1");
}

TEST(TimingFieldSteps, RatesStepThroughTheClockTheyImply) {
  struct Case {
    const char* name;
    TimingField field;
    StepDirection direction;
    DWORD maxMHz;
    std::string expected;
    bool beep;
  };
  const Case cases[] = {
      {"refresh up", TimingField::kRefresh, kUp, kBoardMHz, "clock 25620 refresh 61 line 32", false},
      {"refresh down", TimingField::kRefresh, kDown, kBoardMHz, "clock 24780 refresh 59 line 30", false},
      {"line rate up", TimingField::kLineRate, kUp, kBoardMHz, "clock 25200 refresh 60 line 32", false},
      {"line rate down", TimingField::kLineRate, kDown, kBoardMHz, "clock 23940 refresh 57 line 30", false},
      // Implied 25595 kHz is above a 25 MHz board: the clock is clamped to 25000 and the rates follow it.
      {"refresh beyond the board", TimingField::kRefresh, kUp, 25, "clock 25000 refresh 60 line 31", true},
      {"line rate beyond the board", TimingField::kLineRate, kUp, 25, "clock 25000 refresh 60 line 31", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const StepOutcome outcome = StepField(VgaFields(), c.field, c.direction, kSpin, {1, c.maxMHz});
    EXPECT_EQ(Rates(outcome.fields), c.expected);
    EXPECT_EQ(outcome.beep, c.beep);
  }
}

// A rate of 0 gives nothing to scale; the implied clock then comes from the totals.
TEST(TimingFieldSteps, ARateOfZeroStepsWithoutDividing) {
  TimingFields small = VgaFields();
  small.refresh = 0;
  const StepOutcome refused = StepField(small, TimingField::kRefresh, kUp, kSpin, {1, kBoardMHz});
  EXPECT_TRUE(refused.beep);  // 1 Hz over 800 x 525 is 420 kHz: below the minimum
  EXPECT_EQ(Rates(refused.fields), "clock 25175 refresh 60 line 31");

  TimingFields large = VgaFields();
  large.hDisp = 3840;  // HT 4000
  large.vDisp = 3955;  // VT 4000
  large.refresh = 0;
  const StepOutcome refresh = StepField(large, TimingField::kRefresh, kUp, kSpin, {1, kBoardMHz});
  EXPECT_FALSE(refresh.beep);
  EXPECT_EQ(Rates(refresh.fields), "clock 16000 refresh 1 line 4");

  large.hDisp = 15840;  // HT 16000
  large.vDisp = 480;    // VT 525
  large.lineRate = 0;
  const StepOutcome lineRate = StepField(large, TimingField::kLineRate, kUp, kSpin, {1, kBoardMHz});
  EXPECT_FALSE(lineRate.beep);
  EXPECT_EQ(Rates(lineRate.fields), "clock 8400 refresh 1 line 1");
}

TEST(TimingFieldSteps, RatesOfAZeroTotalCannotStep) {
  TimingFields fields = VgaFields();
  fields.vDisp = fields.vFrontPorch = fields.vSync = fields.vBackPorch = 0;
  for (TimingField field : {TimingField::kRefresh, TimingField::kLineRate}) {
    const StepOutcome outcome = StepField(fields, field, kUp, kSpin, {1, kBoardMHz});
    EXPECT_TRUE(outcome.beep);
    EXPECT_EQ(Rates(outcome.fields), "clock 25175 refresh 0 line 0");
  }
}

}  // namespace
