// Registry helpers for the Colour model's tests: the settings key's values,
// written and read back raw.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "colour_settings.h"

namespace colour::test_support {

struct StoredValue {
  const char* name;
  DWORD type;
  std::vector<BYTE> data;
};

inline std::vector<BYTE> DwordBytes(LONG value) {
  DWORD bits = static_cast<DWORD>(value);
  return {BYTE(bits), BYTE(bits >> 8), BYTE(bits >> 16), BYTE(bits >> 24)};
}

inline StoredValue Dword(const char* name, LONG value) { return {name, REG_DWORD, DwordBytes(value)}; }

inline void Store(const std::vector<StoredValue>& values) {
  HKEY key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_LOCAL_MACHINE, kSettingsKey, &key));
  for (const StoredValue& v : values)
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(key, v.name, 0, v.type, v.data.data(), static_cast<DWORD>(v.data.size())));
  RegCloseKey(key);
}

// The stored value as a REG_DWORD; nothing when absent or of another type.
inline std::optional<LONG> StoredDword(const char* name) {
  HKEY key = nullptr;
  if (RegOpenKeyA(HKEY_LOCAL_MACHINE, kSettingsKey, &key) != ERROR_SUCCESS) return std::nullopt;
  BYTE data[4] = {};
  DWORD type = 0, size = sizeof(data);
  LONG error = RegQueryValueExA(key, name, nullptr, &type, data, &size);
  RegCloseKey(key);
  if (error != ERROR_SUCCESS || type != REG_DWORD || size != 4) return std::nullopt;
  return static_cast<LONG>(data[0] | data[1] << 8 | data[2] << 16 | static_cast<DWORD>(data[3]) << 24);
}

inline bool SameSettings(const Settings& a, const Settings& b) {
  for (int c = 0; c < kGammaSliderCount; ++c)
    if (a.exponent[c] != b.exponent[c] || a.whitePointScale[c] != b.whitePointScale[c]) return false;
  return a.linked == b.linked && a.whitePoint == b.whitePoint;
}

inline void SetSliders(SliderValues& values, int red, int green, int blue, int whitePoint) {
  values.value[kRed] = red;
  values.value[kGreen] = green;
  values.value[kBlue] = blue;
  values.value[kWhitePoint] = whitePoint;
}

}  // namespace colour::test_support
