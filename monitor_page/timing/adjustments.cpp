// The eight position and size adjustments of the panel's arrow buttons, on the timing in timing units.
//
// The rate a size change keeps (X, the line rate, and Y, the refresh) and the products formed from it are
// single-precision values, with the 0.001 and 0.000001 scalings in double; the truncated results depend on that
// rounding, which is why this library is built to round every operation to its type (no x87 excess precision).
#include <cmath>

#include "timing_arithmetic.h"
#include "timing_numbers.h"

using namespace timing_numbers;

namespace {

constexpr LONGLONG kMaxVerticalPorchBeforeIncrease = 92;
constexpr LONGLONG kMinVerticalPorchBeforeDecrease = 5;
constexpr LONGLONG kVerticalStep = 4;
constexpr double kMinSizeClockMHz = 14.32;

// Porches in 64 bits so that the bound tests cannot overflow for any stored value.
struct Porches {
  LONGLONG hFront;
  LONGLONG hBack;
  LONGLONG vFront;
  LONGLONG vBack;
};

Porches PorchesOf(const TimingBlock& timing) {
  return {timing.H_FPORCH, timing.H_BPORCH, timing.V_FPORCH, timing.V_BPORCH};
}

bool CanIncreaseHorizontal(LONGLONG porch, LONGLONG a) { return porch <= kMaxHorizontalPorch - a; }
bool CanDecreaseHorizontal(LONGLONG porch, LONGLONG a) { return porch >= a + kMinHorizontal; }
bool CanIncreaseVertical(LONGLONG porch) { return porch <= kMaxVerticalPorchBeforeIncrease; }
bool CanDecreaseVertical(LONGLONG porch) { return porch >= kMinVerticalPorchBeforeDecrease; }

// A timing with a zero total has no line rate or refresh to keep, so its size adjustments are not possible.
bool HasLineRate(const TimingBlock& timing) { return HorizontalTotal(timing) != 0; }
bool HasRefresh(const TimingBlock& timing) { return HorizontalTotal(timing) != 0 && VerticalTotal(timing) != 0; }

float LineRateX(const TimingBlock& timing) {
  return static_cast<float>(timing.PIXEL_CLK) / static_cast<float>(HorizontalTotal(timing));
}

// Products of totals go through double (exact for any real timing) so that stored garbage cannot overflow them.
double TotalsProduct(LONGLONG hTotal, LONGLONG vTotal) {
  return static_cast<double>(hTotal) * static_cast<double>(vTotal);
}

float RefreshY(const TimingBlock& timing) {
  const LONGLONG hertzTotal = static_cast<LONGLONG>(timing.PIXEL_CLK) * 1000;
  return static_cast<float>(hertzTotal) /
         static_cast<float>(TotalsProduct(HorizontalTotal(timing), VerticalTotal(timing)));
}

// trunc((HT + change) * X * 0.001): the clock in MHz that keeps the line rate over the changed total.
double HorizontalClockMHz(const TimingBlock& timing, LONGLONG totalChange) {
  const float kiloHertz = static_cast<float>(HorizontalTotal(timing) + totalChange) * LineRateX(timing);
  return std::trunc(static_cast<double>(kiloHertz) * 0.001);
}

// trunc(HT * (VT + change) * Y * 0.000001): the clock in MHz that keeps the refresh over the changed total.
double VerticalClockMHz(const TimingBlock& timing, LONGLONG totalChange) {
  const double pixels = TotalsProduct(HorizontalTotal(timing), VerticalTotal(timing) + totalChange);
  const float hertz = static_cast<float>(pixels) * RefreshY(timing);
  return std::trunc(static_cast<double>(hertz) * 0.000001);
}

// Size increases must stay below the board's maximum, decreases above the smallest accepted clock.
bool HorizontalClockAllowed(const TimingBlock& timing, LONGLONG totalChange, DWORD maxMHz) {
  if (!HasLineRate(timing)) return false;
  const double clock = HorizontalClockMHz(timing, totalChange);
  return totalChange > 0 ? clock < static_cast<double>(maxMHz) : clock > kMinSizeClockMHz;
}

bool VerticalClockAllowed(const TimingBlock& timing, LONGLONG totalChange, DWORD maxMHz) {
  if (!HasRefresh(timing)) return false;
  const double clock = VerticalClockMHz(timing, totalChange);
  return totalChange > 0 ? clock < static_cast<double>(maxMHz) : clock > kMinSizeClockMHz;
}

// PIXEL_CLK = trunc(X * HT'), X taken before the change.
void ResizeHorizontal(TimingBlock& timing, LONG porchChange) {
  const float x = LineRateX(timing);
  timing.H_FPORCH += porchChange;
  timing.H_BPORCH += porchChange;
  const float kiloHertz = x * static_cast<float>(HorizontalTotal(timing));
  timing.PIXEL_CLK = TruncToLong(kiloHertz);
}

// PIXEL_CLK = round(Y * VT' * HT * 0.001), Y taken before the change.
void ResizeVertical(TimingBlock& timing, LONG porchChange) {
  const float y = RefreshY(timing);
  timing.V_FPORCH += porchChange;
  timing.V_BPORCH += porchChange;
  const float perLine = y * static_cast<float>(VerticalTotal(timing));
  const float hertz = perLine * static_cast<float>(HorizontalTotal(timing));
  timing.PIXEL_CLK = TruncToLong(RoundHalfUp(static_cast<double>(hertz) * 0.001));
}

}  // namespace

bool IsAdjustmentPossible(const TimingBlock& timing, Adjustment adjustment, const TimingContext& context) {
  const LONGLONG a = HorizontalArrowStep(context.zoom);
  const DWORD maxMHz = context.maxPixelClockMHz;
  const Porches p = PorchesOf(timing);
  switch (adjustment) {
    case Adjustment::kMoreHorizontalFrontPorch:
      return CanIncreaseHorizontal(p.hFront, a) && CanDecreaseHorizontal(p.hBack, a);
    case Adjustment::kLessHorizontalFrontPorch:
      return CanDecreaseHorizontal(p.hFront, a) && CanIncreaseHorizontal(p.hBack, a);
    case Adjustment::kMoreVerticalFrontPorch:
      return CanIncreaseVertical(p.vFront) && CanDecreaseVertical(p.vBack);
    case Adjustment::kLessVerticalFrontPorch:
      return CanDecreaseVertical(p.vFront) && CanIncreaseVertical(p.vBack);
    case Adjustment::kWiderHorizontalBlanking:
      return CanIncreaseHorizontal(p.hFront, a) && CanIncreaseHorizontal(p.hBack, a) &&
             HorizontalClockAllowed(timing, 2 * a, maxMHz);
    case Adjustment::kNarrowerHorizontalBlanking:
      return CanDecreaseHorizontal(p.hFront, a) && CanDecreaseHorizontal(p.hBack, a) &&
             HorizontalClockAllowed(timing, -2 * a, maxMHz);
    case Adjustment::kNarrowerVerticalBlanking:
      return CanDecreaseVertical(p.vFront) && CanDecreaseVertical(p.vBack) &&
             VerticalClockAllowed(timing, -2 * kVerticalStep, maxMHz);
    case Adjustment::kWiderVerticalBlanking:
      return CanIncreaseVertical(p.vFront) && CanIncreaseVertical(p.vBack) &&
             VerticalClockAllowed(timing, 2 * kVerticalStep, maxMHz);
  }
  return false;
}

// The bound tests above keep every changed porch within its range, so the changes below cannot overflow.
bool AdjustTiming(TimingBlock& timing, Adjustment adjustment, const TimingContext& context) {
  if (!IsAdjustmentPossible(timing, adjustment, context)) return false;
  const LONG a = HorizontalArrowStep(context.zoom);
  const LONG v = static_cast<LONG>(kVerticalStep);
  switch (adjustment) {
    case Adjustment::kMoreHorizontalFrontPorch:
      timing.H_FPORCH += a;
      timing.H_BPORCH -= a;
      break;
    case Adjustment::kLessHorizontalFrontPorch:
      timing.H_FPORCH -= a;
      timing.H_BPORCH += a;
      break;
    case Adjustment::kMoreVerticalFrontPorch:
      timing.V_FPORCH += v;
      timing.V_BPORCH -= v;
      break;
    case Adjustment::kLessVerticalFrontPorch:
      timing.V_FPORCH -= v;
      timing.V_BPORCH += v;
      break;
    case Adjustment::kWiderHorizontalBlanking:
      ResizeHorizontal(timing, a);
      break;
    case Adjustment::kNarrowerHorizontalBlanking:
      ResizeHorizontal(timing, -a);
      break;
    case Adjustment::kNarrowerVerticalBlanking:
      ResizeVertical(timing, -v);
      break;
    case Adjustment::kWiderVerticalBlanking:
      ResizeVertical(timing, v);
      break;
  }
  return true;
}
