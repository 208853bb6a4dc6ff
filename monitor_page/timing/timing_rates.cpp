// Derived rates, display units and the limits checked when the panel's fields are applied.
#include <cmath>

#include "timing_arithmetic.h"
#include "timing_numbers.h"

using namespace timing_numbers;

const char kLimitWarningTitle[] = "Warning";

LONG ZoomDivisor(LONG zoom) { return zoom >= 1 ? zoom : 1; }

LONG HorizontalArrowStep(LONG zoom) { return zoom >= 2 ? ToLong(8LL * zoom) : 32; }

LONG HorizontalFieldStep(LONG zoom) { return zoom == 2 || zoom == 4 ? 8 : 32; }

LONGLONG HorizontalTotal(const TimingBlock& timing) {
  return static_cast<LONGLONG>(timing.H_DISP) + timing.H_FPORCH + timing.H_SYNC + timing.H_BPORCH;
}

LONGLONG VerticalTotal(const TimingBlock& timing) {
  return static_cast<LONGLONG>(timing.V_DISP) + timing.V_FPORCH + timing.V_SYNC + timing.V_BPORCH;
}

LONGLONG HorizontalTotal(const TimingFields& fields) {
  return static_cast<LONGLONG>(fields.hDisp) + fields.hFrontPorch + fields.hSync + fields.hBackPorch;
}

LONGLONG VerticalTotal(const TimingFields& fields) {
  return static_cast<LONGLONG>(fields.vDisp) + fields.vFrontPorch + fields.vSync + fields.vBackPorch;
}

// Products go through double: the totals of typed fields can exceed 32 bits, and so can their product.
TimingRates ComputeRates(LONGLONG pixelClock, LONGLONG hTotal, LONGLONG vTotal) {
  if (hTotal == 0 || vTotal == 0) return {0, 0};
  const double clock = static_cast<double>(pixelClock);
  const double refresh = clock * 1000.0 / (static_cast<double>(hTotal) * static_cast<double>(vTotal));
  const double lineRate = clock / static_cast<double>(hTotal);
  return {TruncToLong(RoundHalfUp(refresh)), TruncToLong(RoundHalfUp(lineRate))};
}

TimingRates ComputeTimingRates(const TimingBlock& timing) {
  return ComputeRates(timing.PIXEL_CLK, HorizontalTotal(timing), VerticalTotal(timing));
}

void DeriveFromPixelClock(TimingFields& fields) {
  const TimingRates rates = ComputeRates(fields.pixelClock, HorizontalTotal(fields), VerticalTotal(fields));
  fields.refresh = rates.refresh;
  fields.lineRate = rates.lineRate;
}

void DeriveFromRefresh(TimingFields& fields) {
  const LONGLONG hTotal = HorizontalTotal(fields);
  fields.pixelClock = ClockForRefresh(hTotal, VerticalTotal(fields), fields.refresh);
  fields.lineRate =
      hTotal == 0 ? 0 : TruncToLong(RoundHalfUp(static_cast<double>(fields.pixelClock) / static_cast<double>(hTotal)));
}

// Like the rates from the clock, a zero total gives 0 rather than a refresh the timing cannot have.
void DeriveFromLineRate(TimingFields& fields) {
  const LONGLONG hTotal = HorizontalTotal(fields);
  const LONGLONG vTotal = VerticalTotal(fields);
  const bool hasTotals = hTotal != 0 && vTotal != 0;
  fields.refresh = hasTotals ? ToLong(static_cast<LONGLONG>(fields.lineRate) * 1000 / vTotal) : 0;
  fields.pixelClock = ClockForRefresh(hTotal, vTotal, fields.refresh);
}

TimingFields FieldsFromTiming(const TimingBlock& timing, LONG zoom) {
  const LONG z = ZoomDivisor(zoom);
  TimingFields fields{};
  fields.pixelClock = timing.PIXEL_CLK / z;
  fields.hDisp = timing.H_DISP / z;
  fields.hFrontPorch = timing.H_FPORCH / z;
  fields.hSync = timing.H_SYNC / z;
  fields.hBackPorch = timing.H_BPORCH / z;
  fields.vDisp = timing.V_DISP;
  fields.vFrontPorch = timing.V_FPORCH;
  fields.vSync = timing.V_SYNC;
  fields.vBackPorch = timing.V_BPORCH;
  fields.hSyncChecked = timing.H_SYNC_POL == 0;
  fields.vSyncChecked = timing.V_SYNC_POL == 0;
  DeriveFromPixelClock(fields);
  return fields;
}

namespace {

struct FieldLimit {
  LONG value;
  LONGLONG lowest;
  LONGLONG highest;
  const char* tooLow;
  const char* tooHigh;
};

}  // namespace

// Vertical values count as too low below 1 rather than only at 0, so a negative typed value cannot pass.
std::string CheckFieldLimits(const TimingFields& fields, DWORD maxPixelClockMHz) {
  const FieldLimit limits[] = {
      {fields.vFrontPorch, kMinVertical, kMaxVerticalPorch, "The vertical front porch parameter is too low\n",
       "The vertical front porch parameter is too high\n"},
      {fields.vBackPorch, kMinVertical, kMaxVerticalPorch, "The vertical back porch parameter is too low\n",
       "The vertical back porch parameter is too high\n"},
      {fields.hFrontPorch, kMinHorizontal, kMaxHorizontalPorch, "The horizontal front porch parameter is too low\n",
       "The horizontal front porch parameter is too high\n"},
      {fields.hBackPorch, kMinHorizontal, kMaxHorizontalPorch, "The horizontal back porch parameter is too low\n",
       "The horizontal back porch parameter is too high\n"},
      {fields.hSync, kMinHorizontal, kMaxHorizontalSync, "The horizontal sync parameter is too low\n",
       "The horizontal sync parameter is too high\n"},
      {fields.vSync, kMinVertical, kMaxVerticalSync, "The vertical sync parameter is too low\n",
       "The vertical sync parameter is too high\n"},
      {fields.pixelClock, kMinPixelClock, MaxPixelClockKHz(maxPixelClockMHz), "The pixel clock parameter is too low\n",
       "The pixel clock parameter is too high\n"},
  };
  std::string texts;
  for (const FieldLimit& limit : limits) {
    if (limit.value < limit.lowest) texts += limit.tooLow;
    if (limit.value > limit.highest) texts += limit.tooHigh;
  }
  return texts;
}

// Display units back to timing units; saturates so that an absurd field cannot wrap into a plausible timing.
static LONG ToTimingUnits(LONG field, LONG z) { return ToLong(static_cast<LONGLONG>(field) * z); }

ApplyOutcome ApplyFields(const TimingFields& fields, const TimingContext& context, TimingBlock& timing) {
  std::string warning = CheckFieldLimits(fields, context.maxPixelClockMHz);
  if (!warning.empty()) return {false, warning};
  const LONG z = ZoomDivisor(context.zoom);
  timing.V_FPORCH = fields.vFrontPorch;
  timing.V_BPORCH = fields.vBackPorch;
  timing.V_SYNC = fields.vSync;
  timing.V_DISP = fields.vDisp;
  timing.H_FPORCH = ToTimingUnits(fields.hFrontPorch, z);
  timing.H_BPORCH = ToTimingUnits(fields.hBackPorch, z);
  timing.H_SYNC = ToTimingUnits(fields.hSync, z);
  timing.H_DISP = ToTimingUnits(fields.hDisp, z);
  timing.PIXEL_CLK = ToTimingUnits(fields.pixelClock, z);
  timing.H_SYNC_POL = fields.hSyncChecked ? 0 : 1;
  timing.V_SYNC_POL = fields.vSyncChecked ? 0 : 1;
  return {true, std::string()};
}
