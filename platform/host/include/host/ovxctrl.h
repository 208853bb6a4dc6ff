// Control API of the feature control library stand-in OVXCTRL.DLL. Its
// system-wide state (features, test pattern, counters, notification
// registrations) lives in the host, beside the adapter it steers, so it is
// shared by every hosted process and reset at each boot.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace host::ovxctrl {

inline constexpr const char* kFileName = "OVXCTRL.DLL";

// Every export, decorated, in the order of the library's interface table.
const std::vector<std::string>& EntryPoints();

// ---- Loading faults (cleared at boot) ----

// DllMain refuses the attach, so LoadLibraryA("OVXCTRL.DLL") fails.
void RefuseAttach(bool refuse);
// GetProcAddress no longer finds this export (decorated name).
void HideEntryPoint(const std::string& decoratedName);

// ---- Call log: every entry point called, with its arguments ----

struct Call {
  std::string entry;  // decorated name; "DllMain" for attach (1) and detach (0)
  std::vector<DWORD> args;
};
std::vector<Call> CallLog();
void ClearCallLog();

// ---- State ----

DWORD FeatureStatus(DWORD feature);
bool TestPatternShown();
int SuspendCount();           // SuspendFeatures minus ResumeFeatures, never below 0
DWORD HotKeyWord(int index);  // the two words of the last SetHotKey

struct Registration {
  HWND window;
  UINT message;
  bool operator==(const Registration&) const = default;
};
std::vector<Registration> ChangeRegistrations();
std::vector<Registration> PanRegistrations();

// Every notification posted, in order, and whether PostMessageA took it.
struct Posted {
  HWND window;
  UINT message;
  bool pan;  // pan notification; else change notification
  bool accepted;
};
std::vector<Posted> PostedNotifications();
void ClearPostedNotifications();

// ---- The library's entry points (called by OVXCTRL.DLL only) ----

namespace entry {
BOOL Attach();
void Detach();
void SetZoomFactor(DWORD zoom);
DWORD GetFeatureStatus(DWORD feature);
void SetFeatureStatus(DWORD feature, DWORD status);
DWORD QueryTestPattern();
void CenterOnThisWindow(HWND window);
void CenterWindow();
void SetHotKey(DWORD first, DWORD second);
void EnableNotifyChange(HWND window, UINT message);
void DisableNotifyChange(HWND window, UINT message);
void EnablePanNotify(HWND window, UINT message);
void DisablePanNotify(HWND window, UINT message);
void NotifyChange();
void SuspendFeatures();
void ResumeFeatures();
void TestPattern(DWORD show);
}  // namespace entry

}  // namespace host::ovxctrl
