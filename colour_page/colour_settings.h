// The colour settings as they are loaded and saved: HKEY_LOCAL_MACHINE
// "Software\Orvane\Color Control", eight REG_DWORD values.
#pragma once

#include <windows.h>

#include "gamma_model.h"

namespace colour {

inline constexpr char kSettingsKey[] = "Software\\Orvane\\Color Control";

// The values in the order they are written.
inline constexpr const char* kValueNames[] = {"Linked",   "Gamma Red", "Gamma Green", "Gamma Blue",
                                              "Contrast", "WPRed",     "WPGreen",     "WPBlue"};

struct Settings {
  LONG linked;
  double exponent[kGammaSliderCount];  // E for red, green, blue
  LONG whitePoint;                     // 0..20
  double whitePointScale[kGammaSliderCount];
};
Settings DefaultSettings();

// The defaults, then each value that reads as a 4-byte REG_DWORD. A stored
// exponent of 0 or below is ignored (its channel keeps 1.0) and a stored
// white-point index is clamped to 0..20, so the record is always usable.
// Succeeds only when "WPRed", "WPGreen" and "WPBlue" were all read; the
// record is left at the defaults otherwise.
bool LoadSettings(Settings& settings);
// Writes the eight values in order, creating or opening the key for each;
// stops at the first failure and leaves the later values unwritten.
bool SaveSettings(const Settings& settings);

// The record the page saves for its slider values.
struct SliderValues {
  int value[kSliderCount];
  bool linked;
};
Settings SettingsFromSliders(const SliderValues& sliders);

// Loaded settings as slider values on the slider grid:
// trunc(100 x log2(1 / E)) placed on the nearest slider position. Where that
// position would save a different "Gamma" number than the one loaded, the
// nearest position that saves the loaded number is taken instead, so the
// sliders do not creep each time the page is opened and applied.
SliderValues SlidersFromSettings(const Settings& settings);
// The gamma slider position for a loaded exponent (the rule above).
int GammaPositionForExponent(double exponent);

// What SaveSettings writes for an exponent: E x 100, truncated toward zero.
LONG StoredGamma(double exponent);

}  // namespace colour
