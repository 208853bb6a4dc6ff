// The worked examples of the timing arithmetic, one table: each case runs one operation and describes its
// outcome in a short text.
#include <gtest/gtest.h>

#include <functional>

#include "timing_fixtures.h"

namespace {

using timing_test::Porches;
using timing_test::Rates;
using timing_test::Vga;
using timing_test::VgaFields;

constexpr DWORD kBoardMHz = 135;

// Shown at zoom 2 as the 640 x 480 fields: the clock field is 25175.
TimingBlock ZoomTwoTiming() {
  TimingBlock t = Vga();
  t.PIXEL_CLK = 50350;
  t.H_FPORCH = 48;
  t.H_SYNC = 64;
  t.H_BPORCH = 48;
  return t;
}

std::string Adjusted(TimingBlock timing, Adjustment adjustment, LONG zoom) {
  if (!AdjustTiming(timing, adjustment, {zoom, kBoardMHz})) return "not possible";
  return Porches(timing);
}

struct WorkedExample {
  const char* name;
  std::function<std::string()> run;
  std::string expected;
};

const WorkedExample kExamples[] = {
    {"zoom 2 shows H_FPORCH 48 as 24", [] { return std::to_string(FieldsFromTiming(ZoomTwoTiming(), 2).hFrontPorch); },
     "24"},
    {"zoom 2 applies a front porch field of 24 as 48",
     [] {
       TimingBlock timing = ZoomTwoTiming();
       const TimingFields fields = FieldsFromTiming(timing, 2);
       timing.H_FPORCH = 0;
       const ApplyOutcome outcome = ApplyFields(fields, {2, kBoardMHz}, timing);
       return std::to_string(outcome.applied) + " " + std::to_string(timing.H_FPORCH);
     },
     "1 48"},
    {"zoom 2 steps the front porch field by 8",
     [] {
       const TimingFields fields = FieldsFromTiming(ZoomTwoTiming(), 2);
       return std::to_string(
           StepField(fields, TimingField::kHFrontPorch, StepDirection::kUp, StepSource::kSpin, {2, kBoardMHz})
               .fields.hFrontPorch);
     },
     "32"},
    {"zoom 2 moves the picture by 16 timing pixels",
     [] { return Adjusted(ZoomTwoTiming(), Adjustment::kMoreHorizontalFrontPorch, 2); }, "H 64/32 V 10/33 clock 50350"},
    {"zoom 1 arrow step is 32", [] { return Adjusted(ZoomTwoTiming(), Adjustment::kMoreHorizontalFrontPorch, 1); },
     "H 80/16 V 10/33 clock 50350"},
    {"zoom 0 arrow step is 32", [] { return Adjusted(ZoomTwoTiming(), Adjustment::kLessHorizontalFrontPorch, 0); },
     "H 16/80 V 10/33 clock 50350"},
    {"zoom 0 and 1 field step is 32",
     [] {
       const TimingFields fields = FieldsFromTiming(ZoomTwoTiming(), 1);
       const TimingContext zoom0{0, kBoardMHz};
       const TimingContext zoom1{1, kBoardMHz};
       return std::to_string(StepField(fields, TimingField::kHFrontPorch, StepDirection::kUp, StepSource::kSpin, zoom0)
                                 .fields.hFrontPorch) +
              " " +
              std::to_string(
                  StepField(fields, TimingField::kHBackPorch, StepDirection::kDown, StepSource::kKeyboard, zoom1)
                      .fields.hBackPorch);
     },
     "96 32"},
    {"front porch 7 and clock 14000 give two texts, the porch first",
     [] {
       TimingFields fields = VgaFields();
       fields.hFrontPorch = 7;
       fields.pixelClock = 14000;
       return CheckFieldLimits(fields, kBoardMHz);
     },
     "The horizontal front porch parameter is too low\nThe pixel clock parameter is too low\n"},
    {"refresh 60 over 800 x 525",
     [] {
       TimingFields fields = VgaFields();
       fields.refresh = 60;
       DeriveFromRefresh(fields);
       return Rates(fields);
     },
     "clock 25200 refresh 60 line 32"},
    {"line rate 31 over 800 x 525",
     [] {
       TimingFields fields = VgaFields();
       fields.lineRate = 31;
       DeriveFromLineRate(fields);
       return Rates(fields);
     },
     "clock 24780 refresh 59 line 31"},
    {"vertical position at V front porch 92",
     [] {
       TimingBlock timing = Vga();
       timing.V_FPORCH = 92;
       timing.V_BPORCH = 10;
       return Adjusted(timing, Adjustment::kMoreVerticalFrontPorch, 1);
     },
     "H 16/48 V 96/6 clock 25175"},
    {"vertical position at V front porch 93",
     [] {
       TimingBlock timing = Vga();
       timing.V_FPORCH = 93;
       timing.V_BPORCH = 10;
       return Adjusted(timing, Adjustment::kMoreVerticalFrontPorch, 1);
     },
     "not possible"},
    {"spinning the clock down from 14325 lands under the minimum and then warns",
     [] {
       TimingFields fields = VgaFields();
       fields.pixelClock = 14325;
       const StepOutcome outcome =
           StepField(fields, TimingField::kPixelClock, StepDirection::kDown, StepSource::kSpin, {1, kBoardMHz});
       TimingBlock timing = Vga();
       const ApplyOutcome applied = ApplyFields(outcome.fields, {1, kBoardMHz}, timing);
       return std::to_string(outcome.fields.pixelClock) + (outcome.beep ? " beep " : " ") + applied.warning;
     },
     "14315 The pixel clock parameter is too low\n"},
};

TEST(TimingWorkedExamples, EachGivesTheDocumentedOutcome) {
  for (const WorkedExample& example : kExamples) {
    SCOPED_TRACE(example.name);
    EXPECT_EQ(example.run(), example.expected);
  }
}

}  // namespace
