// The display side of the Colour page: whether the display takes gamma
// ramps, the module-wide applied ramp (what Cancel puts back), and whether
// the driver is one of the family at all.
#pragma once

#include <windows.h>

#include "gamma_model.h"

namespace colour {

// Reads the display's ramp on the screen DC into a zeroed buffer: supported
// when the call succeeds and some entry is 256 or more (a display that keeps
// only 8-bit values does not count). When supported the current ramp becomes
// the applied ramp. Marks the applied ramp saved when done.
bool DetectGammaSupport();
bool GammaSupported();
bool AppliedRampSaved();
const GammaRamp& AppliedRamp();

// Copies the working ramp into the applied ramp and hands it to the display.
// Does nothing without gamma support.
void ApplyRamp(const GammaRamp& working);
// Hands the applied ramp back to the display, when gamma is supported and the
// applied ramp was saved.
void RestoreAppliedRamp();
// The live view while a slider moves: the ramp on `window`'s DC, when gamma
// is supported. A DC that cannot be had sets nothing.
void ShowRamp(HWND window, const GammaRamp& ramp);

// QUERYESCSUPPORT for the driver escape on the desktop window's DC answers
// the family's signature in its low 16 bits. No DC: does not qualify.
bool DriverQualifies();

}  // namespace colour
