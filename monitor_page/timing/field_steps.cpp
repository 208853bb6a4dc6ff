// One spin or keyboard step of a panel field, with the clamps and refusals at the field's limits.
#include "timing_arithmetic.h"
#include "timing_numbers.h"

using namespace timing_numbers;

namespace {

// Vertical fields behave like an up-down control: a value outside the range is put back into it (with a beep),
// a step that would leave the range is not made.
bool StepVertical(LONG& value, int delta, LONG highest) {
  if (value < kMinVertical) {
    value = kMinVertical;
    return true;
  }
  if (value > highest) {
    value = highest;
    return true;
  }
  const LONG next = value + delta;
  if (next >= kMinVertical && next <= highest) value = next;
  return false;
}

// Horizontal fields step by s and land on a multiple of s (s is a power of two).
bool StepHorizontal(LONG& value, int delta, LONG step, LONG highest) {
  const LONGLONG stepped = static_cast<LONGLONG>(value) + static_cast<LONGLONG>(delta) * step;
  const LONGLONG rounded = (stepped + step / 2) & ~static_cast<LONGLONG>(step - 1);
  if (rounded < kMinHorizontal) {
    value = step;
    return true;
  }
  if (rounded > highest) {
    value = highest / step * step;
    return true;
  }
  value = static_cast<LONG>(rounded);
  return false;
}

// With a board maximum below the minimum there is no range to clamp into; the clock then stays as it is.
LONG ClampPixelClock(LONG clock, LONGLONG maxClock) {
  if (maxClock < kMinPixelClock) return clock;
  if (clock < kMinPixelClock) return kMinPixelClock;
  if (clock > maxClock) return static_cast<LONG>(maxClock);
  return clock;
}

bool ClockInRange(double clock, LONGLONG maxClock) {
  return clock > kMinPixelClock - 1 && clock <= static_cast<double>(maxClock);
}

// The spin probes one kHz in its own direction against both bounds; the keyboard only against the bound it
// moves towards.
bool PixelClockStepAllowed(LONG clock, int delta, StepSource source, LONGLONG maxClock) {
  const LONGLONG probe = static_cast<LONGLONG>(clock) + delta;
  const bool aboveMinimum = probe > kMinPixelClock - 1;
  const bool withinMaximum = probe <= maxClock;
  if (source == StepSource::kSpin) return aboveMinimum && withinMaximum;
  return delta < 0 ? aboveMinimum : withinMaximum;
}

bool StepPixelClock(LONG& clock, int delta, StepSource source, LONGLONG maxClock) {
  if (PixelClockStepAllowed(clock, delta, source, maxClock)) {
    clock = ToLong(static_cast<LONGLONG>(clock) + static_cast<LONGLONG>(delta) * kPixelClockStep);
    return false;
  }
  clock = ClampPixelClock(clock, maxClock);
  return true;
}

// A refused rate step: the clock is clamped and both rates follow from it.
void ClampRatesToClock(TimingFields& fields, LONGLONG maxClock) {
  const LONGLONG vTotal = VerticalTotal(fields);
  fields.pixelClock = ClampPixelClock(fields.pixelClock, maxClock);
  fields.refresh = ComputeRates(fields.pixelClock, HorizontalTotal(fields), vTotal).refresh;
  fields.lineRate = TruncToLong(static_cast<double>(fields.refresh) * static_cast<double>(vTotal) * 0.001);
}

// The clock a stepped rate implies, in proportion to the current one; from the totals when the current rate is
// 0 and there is nothing to scale.
double ImpliedClock(const TimingFields& fields, LONG rate, LONGLONG steppedRate, double clockPerRateFromTotals) {
  const double stepped = static_cast<double>(steppedRate);
  if (rate == 0) return RoundHalfUp(clockPerRateFromTotals * stepped);
  return RoundHalfUp(static_cast<double>(fields.pixelClock) * stepped / static_cast<double>(rate));
}

// Without both totals a timing has no rates (they are 0), so a rate cannot be stepped.
bool HasTotals(const TimingFields& fields) { return HorizontalTotal(fields) != 0 && VerticalTotal(fields) != 0; }

bool StepRefresh(TimingFields& fields, int delta, LONGLONG maxClock) {
  const LONGLONG hTotal = HorizontalTotal(fields);
  const LONGLONG vTotal = VerticalTotal(fields);
  const LONGLONG stepped = static_cast<LONGLONG>(fields.refresh) + delta;
  const double clockPerHz = static_cast<double>(hTotal) * static_cast<double>(vTotal) * 0.001;
  if (!HasTotals(fields) || !ClockInRange(ImpliedClock(fields, fields.refresh, stepped, clockPerHz), maxClock)) {
    ClampRatesToClock(fields, maxClock);
    return true;
  }
  fields.refresh = ToLong(stepped);
  fields.lineRate = TruncToLong(static_cast<double>(stepped) * static_cast<double>(vTotal) * 0.001);
  fields.pixelClock = ClockForRefresh(hTotal, vTotal, stepped);
  return false;
}

bool StepLineRate(TimingFields& fields, int delta, LONGLONG maxClock) {
  const LONGLONG hTotal = HorizontalTotal(fields);
  const LONGLONG stepped = static_cast<LONGLONG>(fields.lineRate) + delta;
  const double clockPerKHz = static_cast<double>(hTotal);
  if (!HasTotals(fields) || !ClockInRange(ImpliedClock(fields, fields.lineRate, stepped, clockPerKHz), maxClock)) {
    ClampRatesToClock(fields, maxClock);
    return true;
  }
  fields.lineRate = ToLong(stepped);
  DeriveFromLineRate(fields);
  return false;
}

// The field a timing-field or clock step changes.
LONG& ValueOf(TimingFields& fields, TimingField field) {
  switch (field) {
    case TimingField::kVFrontPorch:
      return fields.vFrontPorch;
    case TimingField::kVBackPorch:
      return fields.vBackPorch;
    case TimingField::kVSync:
      return fields.vSync;
    case TimingField::kHFrontPorch:
      return fields.hFrontPorch;
    case TimingField::kHBackPorch:
      return fields.hBackPorch;
    case TimingField::kHSync:
      return fields.hSync;
    default:
      return fields.pixelClock;
  }
}

bool StepValue(LONG& value, TimingField field, int delta, StepSource source, const TimingContext& context) {
  const LONG s = HorizontalFieldStep(context.zoom);
  switch (field) {
    case TimingField::kVFrontPorch:
    case TimingField::kVBackPorch:
      return StepVertical(value, delta, kMaxVerticalPorch);
    case TimingField::kVSync:
      return StepVertical(value, delta, kMaxVerticalSync);
    case TimingField::kHFrontPorch:
    case TimingField::kHBackPorch:
      return StepHorizontal(value, delta, s, kMaxHorizontalPorch);
    case TimingField::kHSync:
      return StepHorizontal(value, delta, s, kMaxHorizontalSync);
    default:
      return StepPixelClock(value, delta, source, MaxPixelClockKHz(context.maxPixelClockMHz));
  }
}

}  // namespace

StepOutcome StepField(const TimingFields& fields, TimingField field, StepDirection direction, StepSource source,
                      const TimingContext& context) {
  const int delta = direction == StepDirection::kUp ? 1 : -1;
  StepOutcome outcome{fields, false};
  if (field == TimingField::kRefresh) {
    outcome.beep = StepRefresh(outcome.fields, delta, MaxPixelClockKHz(context.maxPixelClockMHz));
    return outcome;
  }
  if (field == TimingField::kLineRate) {
    outcome.beep = StepLineRate(outcome.fields, delta, MaxPixelClockKHz(context.maxPixelClockMHz));
    return outcome;
  }
  LONG& value = ValueOf(outcome.fields, field);
  const LONG before = value;
  outcome.beep = StepValue(value, field, delta, source, context);
  // A changed timing field or clock: the rates follow the clock, as after an edit.
  if (value != before) DeriveFromPixelClock(outcome.fields);
  return outcome;
}
