#include "colour_settings.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace colour {
namespace {

enum ValueIndex { kLinked, kGammaRed, kGammaGreen, kGammaBlue, kContrast, kWPRed, kWPGreen, kWPBlue, kValueCount };

// A 4-byte REG_DWORD, little-endian; anything else does not count.
bool ReadDword(HKEY key, const char* name, LONG& value) {
  BYTE data[4] = {};
  DWORD type = 0, size = sizeof(data);
  if (RegQueryValueExA(key, name, nullptr, &type, data, &size) != ERROR_SUCCESS) return false;
  if (type != REG_DWORD || size != sizeof(data)) return false;
  value = static_cast<LONG>(data[0] | data[1] << 8 | data[2] << 16 | static_cast<DWORD>(data[3]) << 24);
  return true;
}

bool WriteDword(const char* name, LONG value) {
  HKEY key = nullptr;
  char noClass[] = "";
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kSettingsKey, 0, noClass, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                      &key, nullptr) != ERROR_SUCCESS)
    return false;
  DWORD bits = static_cast<DWORD>(value);
  const BYTE data[4] = {BYTE(bits), BYTE(bits >> 8), BYTE(bits >> 16), BYTE(bits >> 24)};
  LONG error = RegSetValueExA(key, name, 0, REG_DWORD, data, sizeof(data));
  RegCloseKey(key);
  return error == ERROR_SUCCESS;
}

// Truncation toward zero that stays defined for any double.
LONG Truncate(double x) {
  if (!(x == x)) return 0;
  if (x >= 2147483647.0) return 0x7FFFFFFF;
  if (x <= -2147483648.0) return static_cast<LONG>(0x80000000u);
  return static_cast<LONG>(x);
}

// The number the page saves for a gamma slider position.
LONG StoredGammaAt(int position) { return StoredGamma(GammaExponent(PositionToValue(kRed, position))); }

// trunc(100 x log2(1 / E)) on the slider grid, clamped to it.
int GridPositionForExponent(double exponent) {
  int value = 0;
  if (exponent > 0.0 && std::isfinite(exponent)) {
    double v = std::log(1.0 / exponent) / std::log(2.0) * 100;
    value = static_cast<int>(std::clamp(v, double(-kGammaValueLimit), double(kGammaValueLimit)));
  }
  return ClampPosition(kRed, ValueToPosition(kRed, value));
}

// The position nearest `start` that saves `stored` (the lower one of two as
// near); `start` when no position does.
int NearestPositionSaving(LONG stored, int start) {
  int best = -1;
  for (int p = kSliders[kRed].positionMin; p <= kSliders[kRed].positionMax; ++p)
    if (StoredGammaAt(p) == stored && (best < 0 || std::abs(p - start) < std::abs(best - start))) best = p;
  return best < 0 ? start : best;
}

}  // namespace

Settings DefaultSettings() {
  const WhitePoint& row = WhitePointRow(kNeutralWhitePoint);
  return Settings{0, {1.0, 1.0, 1.0}, kNeutralWhitePoint, {row.red, row.green, row.blue}};
}

bool LoadSettings(Settings& settings) {
  settings = DefaultSettings();
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSettingsKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  Settings loaded = DefaultSettings();
  LONG value = 0;
  if (ReadDword(key, kValueNames[kLinked], value)) loaded.linked = value != 0;
  for (int c = 0; c < kGammaSliderCount; ++c)
    if (ReadDword(key, kValueNames[kGammaRed + c], value) && value > 0) loaded.exponent[c] = value * 0.01;
  if (ReadDword(key, kValueNames[kContrast], value))
    loaded.whitePoint = std::clamp<LONG>(value, 0, kWhitePointCount - 1);
  int whitePointsRead = 0;
  for (int c = 0; c < kGammaSliderCount; ++c) {
    if (!ReadDword(key, kValueNames[kWPRed + c], value)) continue;
    loaded.whitePointScale[c] = value / 255.0;
    ++whitePointsRead;
  }
  RegCloseKey(key);
  if (whitePointsRead != kGammaSliderCount) return false;
  settings = loaded;
  return true;
}

bool SaveSettings(const Settings& settings) {
  const LONG values[kValueCount] = {settings.linked ? 1 : 0,
                                    StoredGamma(settings.exponent[kRed]),
                                    StoredGamma(settings.exponent[kGreen]),
                                    StoredGamma(settings.exponent[kBlue]),
                                    settings.whitePoint,
                                    Truncate(settings.whitePointScale[kRed] * 255),
                                    Truncate(settings.whitePointScale[kGreen] * 255),
                                    Truncate(settings.whitePointScale[kBlue] * 255)};
  for (int i = 0; i < kValueCount; ++i)
    if (!WriteDword(kValueNames[i], values[i])) return false;
  return true;
}

LONG StoredGamma(double exponent) { return Truncate(exponent * 100); }

Settings SettingsFromSliders(const SliderValues& sliders) {
  Settings settings;
  settings.linked = sliders.linked ? 1 : 0;
  for (int c = 0; c < kGammaSliderCount; ++c) settings.exponent[c] = GammaExponent(sliders.value[c]);
  const WhitePoint& row = WhitePointRow(sliders.value[kWhitePoint]);
  settings.whitePoint = std::clamp(sliders.value[kWhitePoint], 0, kWhitePointCount - 1);
  settings.whitePointScale[kRed] = row.red;
  settings.whitePointScale[kGreen] = row.green;
  settings.whitePointScale[kBlue] = row.blue;
  return settings;
}

int GammaPositionForExponent(double exponent) {
  int position = GridPositionForExponent(exponent);
  if (!(exponent > 0.0 && std::isfinite(exponent))) return position;
  // The loaded number itself: E came from it as stored x 0.01.
  LONG stored = Truncate(std::round(exponent * 100));
  if (StoredGammaAt(position) == stored) return position;
  return NearestPositionSaving(stored, position);
}

SliderValues SlidersFromSettings(const Settings& settings) {
  SliderValues sliders{};
  for (int c = 0; c < kGammaSliderCount; ++c)
    sliders.value[c] = PositionToValue(c, GammaPositionForExponent(settings.exponent[c]));
  int whitePosition = ClampPosition(kWhitePoint, ValueToPosition(kWhitePoint, settings.whitePoint));
  sliders.value[kWhitePoint] = PositionToValue(kWhitePoint, whitePosition);
  sliders.linked = settings.linked != 0;
  return sliders;
}

}  // namespace colour
