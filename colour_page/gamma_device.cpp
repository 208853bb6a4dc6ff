#include "gamma_device.h"

#include <cstring>

#include "driver_escape.h"

namespace colour {
namespace {

bool gammaSupported = false;
bool appliedRampSaved = false;
GammaRamp appliedRamp = {};

bool HasWideEntry(const GammaRamp& ramp) {
  for (const WORD* channel : {ramp.red, ramp.green, ramp.blue})
    for (int i = 0; i < 256; ++i)
      if (channel[i] >= 256) return true;
  return false;
}

bool SetOnWindowDC(HWND window, const GammaRamp& ramp) {
  HDC dc = GetDC(window);
  if (!dc) return false;
  GammaRamp copy = ramp;  // SetDeviceGammaRamp takes a non-const buffer
  BOOL set = SetDeviceGammaRamp(dc, &copy);
  ReleaseDC(window, dc);
  return set != FALSE;
}

}  // namespace

bool DetectGammaSupport() {
  appliedRampSaved = false;
  gammaSupported = false;
  if (HDC dc = GetDC(nullptr)) {
    GammaRamp probe;
    std::memset(&probe, 0, sizeof(probe));
    gammaSupported = GetDeviceGammaRamp(dc, &probe) && HasWideEntry(probe);
    if (gammaSupported) {
      // Read again for the applied ramp; should that fail, the probe is the same ramp.
      appliedRamp = probe;
      GammaRamp current;
      if (GetDeviceGammaRamp(dc, &current)) appliedRamp = current;
    }
    ReleaseDC(nullptr, dc);
  }
  appliedRampSaved = true;
  return gammaSupported;
}

bool GammaSupported() { return gammaSupported; }

bool AppliedRampSaved() { return appliedRampSaved; }

const GammaRamp& AppliedRamp() { return appliedRamp; }

void ApplyRamp(const GammaRamp& working) {
  if (!gammaSupported) return;
  appliedRamp = working;
  SetOnWindowDC(nullptr, appliedRamp);
}

void RestoreAppliedRamp() {
  if (gammaSupported && appliedRampSaved) SetOnWindowDC(nullptr, appliedRamp);
}

void ShowRamp(HWND window, const GammaRamp& ramp) {
  if (gammaSupported) SetOnWindowDC(window, ramp);
}

bool DriverQualifies() { return driver::ProbeEscape(); }

}  // namespace colour
