#include "tour.h"

#include <commctrl.h>
#include <host/adapter.h>
#include <windows.h>

#include <optional>
#include <vector>

#include "colour_settings.h"
#include "gamma_device.h"
#include "slider_panel.h"

namespace colour {
namespace {

struct RawValue {
  DWORD type;
  std::vector<BYTE> data;
};

// The eight values as they are before the tour (absent ones as nothing).
std::vector<std::optional<RawValue>> ReadRawValues() {
  std::vector<std::optional<RawValue>> values(std::size(kValueNames));
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSettingsKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return values;
  for (size_t i = 0; i < values.size(); ++i) {
    RawValue raw{0, std::vector<BYTE>(256)};
    DWORD size = static_cast<DWORD>(raw.data.size());
    if (RegQueryValueExA(key, kValueNames[i], nullptr, &raw.type, raw.data.data(), &size) != ERROR_SUCCESS) continue;
    raw.data.resize(size);
    values[i] = raw;
  }
  RegCloseKey(key);
  return values;
}

void PutBackRawValues(bool keyExisted, const std::vector<std::optional<RawValue>>& values) {
  if (!keyExisted) {
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kSettingsKey);
    return;
  }
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSettingsKey, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
  for (size_t i = 0; i < values.size(); ++i) {
    if (values[i])
      RegSetValueExA(key, kValueNames[i], 0, values[i]->type, values[i]->data.data(),
                     static_cast<DWORD>(values[i]->data.size()));
    else
      RegDeleteValueA(key, kValueNames[i]);
  }
  RegCloseKey(key);
}

bool KeyExists() {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSettingsKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

void PrintStoredValues(FILE* out) {
  fprintf(out, "stored under HKEY_LOCAL_MACHINE\\%s:\n", kSettingsKey);
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSettingsKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return;
  for (const char* name : kValueNames) {
    BYTE data[4] = {};
    DWORD type = 0, size = sizeof(data);
    if (RegQueryValueExA(key, name, nullptr, &type, data, &size) == ERROR_SUCCESS && type == REG_DWORD) {
      DWORD value = data[0] | data[1] << 8 | data[2] << 16 | static_cast<DWORD>(data[3]) << 24;
      fprintf(out, "  \"%s\" = %ld\n", name, static_cast<long>(static_cast<LONG>(value)));
    } else
      fprintf(out, "  \"%s\" missing\n", name);
  }
  RegCloseKey(key);
}

void PrintSliders(FILE* out, const char* heading, const SliderPanel& panel) {
  static const char* const kNames[kSliderCount] = {"red", "green", "blue", "white point"};
  fprintf(out, "%s:", heading);
  for (int s = 0; s < kSliderCount; ++s)
    fprintf(out, "%s %s position %d value %d \"%s\"", s ? "," : "", kNames[s], panel.Position(s), panel.Value(s),
            panel.LabelText(s).c_str());
  fprintf(out, "%s\n", panel.Linked() ? ", linked" : ", not linked");
}

void PrintDisplayRamp(FILE* out, const char* heading) {
  static const int kEntries[] = {0, 32, 64, 128, 192, 255};
  static const char* const kChannels[] = {"red", "green", "blue"};
  std::vector<WORD> ramp = host::adapter::GammaRamp();
  fprintf(out, "%s\n  entry ", heading);
  for (int i : kEntries) fprintf(out, "%7d", i);
  for (int c = 0; c < 3; ++c) {
    fprintf(out, "\n  %-6s", kChannels[c]);
    for (int i : kEntries) fprintf(out, " 0x%04X", ramp[c * 256 + i]);
  }
  fprintf(out, "\n");
}

}  // namespace

int ColourModelTour(FILE* out) {
  fprintf(out, "Colour page model\n");
  fprintf(out, "driver qualifies for the page: %s\n", DriverQualifies() ? "yes" : "no");
  if (!DetectGammaSupport()) {
    fprintf(out, "gamma ramps: not supported by the display; nothing is changed\n");
    return 1;
  }
  fprintf(out, "gamma ramps: supported; the display's ramp is saved as the applied ramp\n");
  bool keyExisted = KeyExists();
  auto before = ReadRawValues();

  SliderPanel panel;
  panel.Scroll(kRed, TB_THUMBPOSITION, 60, 60);
  panel.Scroll(kBlue, TB_THUMBPOSITION, 100, 100);
  panel.Scroll(kWhitePoint, TB_THUMBPOSITION, 14, 14);
  PrintSliders(out, "sliders", panel);

  GammaRamp working;
  panel.ComputeWorkingRamp(working);
  ShowRamp(nullptr, working);
  PrintDisplayRamp(out, "display ramp, shown live:");

  fprintf(out, "settings saved as Apply saves them: %s\n", SaveSettings(panel.ToSettings()) ? "saved" : "failed");
  PrintStoredValues(out);
  SliderPanel reopened;
  reopened.LoadFromRegistry();
  PrintSliders(out, "loaded back", reopened);

  RestoreAppliedRamp();
  PrintDisplayRamp(out, "after Cancel, the applied ramp is back:");
  PutBackRawValues(keyExisted, before);
  fprintf(out, "registry values put back as they were\n");
  return 0;
}

}  // namespace colour
