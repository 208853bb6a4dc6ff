#include "navigator_settings.h"

#include <cmath>
#include <cstdio>
#include <cstring>

const float kDefaultWindowRatio = 1.0f / 6.0f;

namespace {

const char kSettingsKey[] = "SOFTWARE\\Orvane\\Panovue";
const char* const kCornerNames[] = {"Upper-Left", "Upper-Right", "Lower-Left", "Lower-Right"};

// Values are read into a buffer of this size, the size reset before each query.
constexpr DWORD kValueBufferSize = 20;

// A stored ratio must be a usable fraction of the visible width; anything
// else (huge, infinite, negative, unparsable) takes the default.
constexpr float kSmallestRatio = 1.0f / 20.0f;
constexpr float kLargestRatio = 1.0f;

// Reads a REG_SZ value as text. The stored text may lack its NUL, so it ends
// at the returned length; a value that fills the whole buffer counts as missing.
bool QueryText(HKEY key, const char* name, char (&text)[kValueBufferSize + 1]) {
  DWORD type = 0;
  DWORD size = kValueBufferSize;
  if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text), &size) != ERROR_SUCCESS)
    return false;
  if (size >= kValueBufferSize) return false;
  text[size] = '\0';
  return true;
}

float ParseRatio(const char* text) {
  float ratio = 0;
  if (std::sscanf(text, "%f", &ratio) != 1) return kDefaultWindowRatio;
  if (!std::isfinite(ratio) || ratio < kSmallestRatio || ratio > kLargestRatio) return kDefaultWindowRatio;
  return ratio;
}

int ParseCorner(const char* text) {
  for (int corner = NAV_UPPER_RIGHT; corner <= NAV_LOWER_RIGHT; ++corner)
    if (lstrcmpiA(text, kCornerNames[corner]) == 0) return corner;
  return NAV_UPPER_LEFT;
}

int ParseShowItem(const char* text) {
  if (lstrcmpiA(text, "Desktop") == 0) return NAV_SHOW_DESKTOP;
  if (lstrcmpiA(text, "Toolbar") == 0) return NAV_SHOW_TOOLBAR;
  return NAV_SHOW_BOTH;
}

BOOL IsEnabled(const char* text) { return lstrcmpiA(text, "Enabled") == 0; }

HKEY CreateSettingsKey(const char* className) {
  HKEY key = nullptr;
  DWORD disposition = 0;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kSettingsKey, 0, const_cast<LPSTR>(className), 0, KEY_ALL_ACCESS, nullptr,
                      &key, &disposition) != ERROR_SUCCESS)
    return nullptr;
  return key;
}

// Texts are written without their terminating NUL.
bool SetText(HKEY key, const char* name, const char* text) {
  return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), lstrlenA(text)) == ERROR_SUCCESS;
}

const char* EnabledName(BOOL on) { return on ? "Enabled" : "Disabled"; }

}  // namespace

const char* CornerName(int corner) { return kCornerNames[corner >= 0 && corner <= 3 ? corner : 0]; }

const char* ShowItemName(int showItems) {
  if (showItems == NAV_SHOW_DESKTOP) return "Desktop";
  if (showItems == NAV_SHOW_TOOLBAR) return "Toolbar";
  return "Desktop & Toolbar";
}

NavigatorSettings DefaultNavigatorSettings() {
  return NavigatorSettings{kDefaultWindowRatio, FALSE, FALSE, NAV_UPPER_LEFT, NAV_SHOW_BOTH, TRUE};
}

NavigatorSettings ReadSettings() {
  NavigatorSettings settings = DefaultNavigatorSettings();
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSettingsKey, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return settings;
  char text[kValueBufferSize + 1];
  if (QueryText(key, "Window Ratio", text)) settings.windowRatio = ParseRatio(text);
  if (QueryText(key, "SnapTo", text)) settings.snapTo = IsEnabled(text);
  if (QueryText(key, "FlowSnap", text)) settings.flowSnap = IsEnabled(text);
  if (QueryText(key, "SnapCorner", text)) settings.snapCorner = ParseCorner(text);
  if (QueryText(key, "ShowItem", text)) settings.showItems = ParseShowItem(text);
  if (QueryText(key, "Center Cursor", text)) settings.centerCursor = lstrcmpiA(text, "0") != 0;
  RegCloseKey(key);
  return settings;
}

BOOL SaveWindowState(const NavigatorSettings& settings) {
  HKEY key = CreateSettingsKey("ORVClass");
  if (!key) return FALSE;
  bool ok = true;
  if (settings.showItems & NAV_SHOW_DESKTOP) {
    char ratio[64];
    std::snprintf(ratio, sizeof ratio, "%f", settings.windowRatio);
    ok = SetText(key, "Window Ratio", ratio);
  }
  ok = SetText(key, "SnapCorner", CornerName(settings.snapCorner)) && ok;
  RegCloseKey(key);
  return ok;
}

BOOL SaveCenterCursor(BOOL centerCursor) {
  HKEY key = CreateSettingsKey("ORVClass");
  if (!key) return FALSE;
  // This one value is stored with its NUL: 2 bytes.
  const char* text = centerCursor ? "1" : "0";
  bool ok = RegSetValueExA(key, "Center Cursor", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), 2) == ERROR_SUCCESS;
  RegCloseKey(key);
  return ok;
}

BOOL SaveOptions(const NavigatorSettings& settings) {
  HKEY key = CreateSettingsKey("PanovueClass");
  if (!key) return FALSE;
  bool ok = SetText(key, "SnapTo", EnabledName(settings.snapTo));
  ok = SetText(key, "FlowSnap", EnabledName(settings.flowSnap)) && ok;
  ok = SetText(key, "ShowItem", ShowItemName(settings.showItems)) && ok;
  ok = SetText(key, "SnapCorner", CornerName(settings.snapCorner)) && ok;
  RegCloseKey(key);
  return ok;
}
