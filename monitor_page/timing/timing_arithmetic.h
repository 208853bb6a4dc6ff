// Arithmetic behind the timing adjustment panel and the customisation mode: derived rates, display units, field
// limits, field stepping and the eight position and size adjustments. Nothing here touches a window, the driver or
// the speaker: callers get values, texts and a "beep" flag back and show them.
#pragma once

#include <windows.h>

#include <string>

#include "timing_block.h"

// What the arithmetic needs to know besides the values: the timing's zoom factor (0 = not bound to a zoom) and
// the board's maximum pixel clock in MHz as the driver reports it (0 makes every clock and every size increase
// count as too high).
struct TimingContext {
  LONG zoom;
  DWORD maxPixelClockMHz;
};

// The panel's fields. Horizontal values and the pixel clock are in display units (timing value divided by the
// zoom divisor); vertical values and the rates are shown unchanged.
struct TimingFields {
  LONG pixelClock;  // kHz, display units
  LONG hDisp;
  LONG hFrontPorch;
  LONG hSync;
  LONG hBackPorch;
  LONG vDisp;
  LONG vFrontPorch;
  LONG vSync;
  LONG vBackPorch;
  LONG refresh;       // Hz
  LONG lineRate;      // kHz
  bool hSyncChecked;  // a checked polarity box means polarity 0
  bool vSyncChecked;
};

struct TimingRates {
  LONG refresh;   // Hz
  LONG lineRate;  // kHz
};

// Scaling by the zoom: the divisor z, the horizontal arrow step a (timing pixels) and the field step s.
LONG ZoomDivisor(LONG zoom);
LONG HorizontalArrowStep(LONG zoom);
LONG HorizontalFieldStep(LONG zoom);

LONGLONG HorizontalTotal(const TimingBlock& timing);
LONGLONG VerticalTotal(const TimingBlock& timing);
LONGLONG HorizontalTotal(const TimingFields& fields);
LONGLONG VerticalTotal(const TimingFields& fields);

// Refresh and line rate of a clock over its totals, both rounded to nearest; 0 for both when a total is 0.
TimingRates ComputeRates(LONGLONG pixelClock, LONGLONG hTotal, LONGLONG vTotal);
TimingRates ComputeTimingRates(const TimingBlock& timing);

// The derivations that follow an edit of the panel's fields.
void DeriveFromPixelClock(TimingFields& fields);  // a timing field or the clock changed: refresh and line rate
void DeriveFromRefresh(TimingFields& fields);     // the refresh changed: clock and line rate
void DeriveFromLineRate(TimingFields& fields);    // the line rate changed: refresh (truncated), then the clock

// Fills the fields from a timing, with the rates derived from the clock.
TimingFields FieldsFromTiming(const TimingBlock& timing, LONG zoom);

// The limit texts of every field that fails its check, in the fixed order, or an empty text when all pass.
extern const char kLimitWarningTitle[];
std::string CheckFieldLimits(const TimingFields& fields, DWORD maxPixelClockMHz);

// Applying the fields: when every limit holds, the timing takes the fields (horizontal values and clock times the
// zoom divisor, polarities from the boxes; overscans and enables stay); otherwise the timing is left untouched
// and `warning` holds the texts to show, after a warning beep, in one box titled kLimitWarningTitle.
struct ApplyOutcome {
  bool applied;
  std::string warning;
};
ApplyOutcome ApplyFields(const TimingFields& fields, const TimingContext& context, TimingBlock& timing);

// One spin or keyboard step of a field ("up" adds). The result holds every field after the step: a stepped timing
// field or clock also brings refresh and line rate derived from the clock; a stepped rate brings the clock and the
// other rate. `beep` asks the caller for a warning beep (the step was clamped or refused at a limit).
enum class TimingField {
  kVFrontPorch,
  kVBackPorch,
  kVSync,
  kHFrontPorch,
  kHBackPorch,
  kHSync,
  kPixelClock,
  kRefresh,
  kLineRate
};
enum class StepDirection { kUp, kDown };
enum class StepSource { kSpin, kKeyboard };

struct StepOutcome {
  TimingFields fields;
  bool beep;
};
StepOutcome StepField(const TimingFields& fields, TimingField field, StepDirection direction, StepSource source,
                      const TimingContext& context);

// The eight position and size adjustments, on the timing itself (timing units). The values are the panel's button
// IDs. Horizontal size changes keep the line rate and vertical ones the refresh, moving the clock instead.
enum class Adjustment {
  kMoreVerticalFrontPorch = 1036,      // V front porch + 4, back porch - 4
  kLessHorizontalFrontPorch = 1037,    // H front porch - a, back porch + a
  kMoreHorizontalFrontPorch = 1038,    // H front porch + a, back porch - a
  kLessVerticalFrontPorch = 1039,      // V front porch - 4, back porch + 4
  kNarrowerVerticalBlanking = 1040,    // both V porches - 4
  kWiderHorizontalBlanking = 1041,     // both H porches + a
  kNarrowerHorizontalBlanking = 1042,  // both H porches - a
  kWiderVerticalBlanking = 1043,       // both V porches + 4
};

// Whether the adjustment may be made now; this is also whether its button is enabled.
bool IsAdjustmentPossible(const TimingBlock& timing, Adjustment adjustment, const TimingContext& context);
// Makes the adjustment when it is possible; returns whether the timing changed.
bool AdjustTiming(TimingBlock& timing, Adjustment adjustment, const TimingContext& context);
