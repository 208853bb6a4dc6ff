// The feature control library's system-wide state. OVXCTRL.DLL's exports
// land here; the adapter's own changes (mode, zoom, pans by the cursor) reach
// the registered windows through the adapter's listener.
//
// Notifications: a change notification is posted to every change
// registration when the display mode or zoom changes, when a feature's state
// changes and on NotifyChange; a pan notification to every pan registration
// when the visible origin moves, and on every centring (also when the origin
// was already there). A window is registered at most once per list;
// unregistering an unknown window does nothing.
#include <host/adapter.h>
#include <host/loader.h>
#include <host/ovxctrl.h>
#include <host/station.h>

#include <algorithm>
#include <map>
#include <mutex>

namespace host::ovxctrl {
namespace {

struct Library {
  std::recursive_mutex lock;
  bool refuseAttach = false;
  std::vector<Call> calls;
  std::map<DWORD, DWORD> features;
  bool testPattern = false;
  int suspendCount = 0;
  DWORD hotKey[2] = {};
  std::vector<Registration> change, pan;
  std::vector<Posted> posted;
  int listener = 0;
};

Library& Lib() {
  static Library library;
  return library;
}

void Log(const char* entry, std::vector<DWORD> args = {}) {
  std::lock_guard guard(Lib().lock);
  Lib().calls.push_back(Call{entry, std::move(args)});
}

DWORD Word(HWND window) { return static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(window)); }

// Posts outside the lock: the receiver's queue has its own.
void Post(bool pan) {
  std::vector<Registration> targets;
  {
    std::lock_guard guard(Lib().lock);
    targets = pan ? Lib().pan : Lib().change;
  }
  for (const Registration& r : targets) {
    bool accepted = PostMessageA(r.window, r.message, 0, 0) != FALSE;
    std::lock_guard guard(Lib().lock);
    Lib().posted.push_back(Posted{r.window, r.message, pan, accepted});
  }
}

void Register(std::vector<Registration>& list, HWND window, UINT message) {
  std::lock_guard guard(Lib().lock);
  Registration r{window, message};
  if (std::find(list.begin(), list.end(), r) == list.end()) list.push_back(r);
}

void Unregister(std::vector<Registration>& list, HWND window, UINT message) {
  std::lock_guard guard(Lib().lock);
  list.erase(std::remove(list.begin(), list.end(), Registration{window, message}), list.end());
}

void OnAdapterEvent(adapter::Event event) { Post(event == adapter::Event::Panned); }

// After the adapter (20), which clears its listeners at boot.
void Boot() {
  Library& lib = Lib();
  std::lock_guard guard(lib.lock);
  lib.refuseAttach = false;
  lib.calls.clear();
  lib.features.clear();
  lib.testPattern = false;
  lib.suspendCount = 0;
  lib.hotKey[0] = lib.hotKey[1] = 0;
  lib.change.clear();
  lib.pan.clear();
  lib.posted.clear();
  lib.listener = adapter::AddListener(OnAdapterEvent);
}

const bool kRegistered = [] {
  RegisterStationHook(25, Boot, [] { adapter::RemoveListener(Lib().listener); });
  return true;
}();

}  // namespace

const std::vector<std::string>& EntryPoints() {
  static const std::vector<std::string> names = {
      "_SetZoomFactor@4",          "_GetFeatureStatus@4",   "_SetFeatureStatus@8",    "_QueryTestPattern@0",
      "_OVXCenterOnThisWindow@4",  "_OVXCenterWindow@0",    "_SetHotKey@8",           "_OVXEnableNotifyChange@8",
      "_OVXDisableNotifyChange@8", "_OVXEnablePanNotify@8", "_OVXDisablePanNotify@8", "_NotifyChange@0",
      "_SuspendFeatures@0",        "_ResumeFeatures@0",     "_TestPattern@4"};
  return names;
}

void RefuseAttach(bool refuse) {
  std::lock_guard guard(Lib().lock);
  Lib().refuseAttach = refuse;
}

void HideEntryPoint(const std::string& decoratedName) { HideExport(kFileName, decoratedName); }

std::vector<Call> CallLog() {
  std::lock_guard guard(Lib().lock);
  return Lib().calls;
}

void ClearCallLog() {
  std::lock_guard guard(Lib().lock);
  Lib().calls.clear();
}

DWORD FeatureStatus(DWORD feature) {
  std::lock_guard guard(Lib().lock);
  auto found = Lib().features.find(feature);
  return found == Lib().features.end() ? 0 : found->second;
}

bool TestPatternShown() {
  std::lock_guard guard(Lib().lock);
  return Lib().testPattern;
}

int SuspendCount() {
  std::lock_guard guard(Lib().lock);
  return Lib().suspendCount;
}

DWORD HotKeyWord(int index) {
  std::lock_guard guard(Lib().lock);
  return index == 0 || index == 1 ? Lib().hotKey[index] : 0;
}

std::vector<Registration> ChangeRegistrations() {
  std::lock_guard guard(Lib().lock);
  return Lib().change;
}

std::vector<Registration> PanRegistrations() {
  std::lock_guard guard(Lib().lock);
  return Lib().pan;
}

std::vector<Posted> PostedNotifications() {
  std::lock_guard guard(Lib().lock);
  return Lib().posted;
}

void ClearPostedNotifications() {
  std::lock_guard guard(Lib().lock);
  Lib().posted.clear();
}

namespace entry {

BOOL Attach() {
  Log("DllMain", {1});
  std::lock_guard guard(Lib().lock);
  return Lib().refuseAttach ? FALSE : TRUE;
}

void Detach() { Log("DllMain", {0}); }

void SetZoomFactor(DWORD zoom) {
  Log("_SetZoomFactor@4", {zoom});
  adapter::SetZoom(static_cast<int>(zoom));  // 1, 2 or 4; others are ignored
}

DWORD GetFeatureStatus(DWORD feature) {
  Log("_GetFeatureStatus@4", {feature});
  return FeatureStatus(feature);
}

void SetFeatureStatus(DWORD feature, DWORD status) {
  Log("_SetFeatureStatus@8", {feature, status});
  bool changed;
  {
    std::lock_guard guard(Lib().lock);
    DWORD& current = Lib().features[feature];
    changed = current != status;
    current = status;
  }
  if (changed) Post(false);
}

DWORD QueryTestPattern() {
  Log("_QueryTestPattern@0");
  return TestPatternShown() ? 1 : 0;
}

void CenterOnThisWindow(HWND window) {
  Log("_OVXCenterOnThisWindow@4", {Word(window)});
  RECT r;
  if (!GetWindowRect(window, &r)) return;
  adapter::State before = adapter::CurrentState();
  adapter::SetOrigin((r.left + r.right) / 2 - before.visibleWidth / 2,
                     (r.top + r.bottom) / 2 - before.visibleHeight / 2);
  adapter::State after = adapter::CurrentState();
  if (after.originX == before.originX && after.originY == before.originY) Post(true);
}

void CenterWindow() {
  Log("_OVXCenterWindow@0");
  adapter::State s = adapter::CurrentState();
  adapter::SetOrigin((s.desktopWidth - s.visibleWidth) / 2, (s.desktopHeight - s.visibleHeight) / 2);
  adapter::State after = adapter::CurrentState();
  if (after.originX == s.originX && after.originY == s.originY) Post(true);
}

void SetHotKey(DWORD first, DWORD second) {
  Log("_SetHotKey@8", {first, second});
  std::lock_guard guard(Lib().lock);
  Lib().hotKey[0] = first;
  Lib().hotKey[1] = second;
}

void EnableNotifyChange(HWND window, UINT message) {
  Log("_OVXEnableNotifyChange@8", {Word(window), message});
  Register(Lib().change, window, message);
}

void DisableNotifyChange(HWND window, UINT message) {
  Log("_OVXDisableNotifyChange@8", {Word(window), message});
  Unregister(Lib().change, window, message);
}

void EnablePanNotify(HWND window, UINT message) {
  Log("_OVXEnablePanNotify@8", {Word(window), message});
  Register(Lib().pan, window, message);
}

void DisablePanNotify(HWND window, UINT message) {
  Log("_OVXDisablePanNotify@8", {Word(window), message});
  Unregister(Lib().pan, window, message);
}

void NotifyChange() {
  Log("_NotifyChange@0");
  Post(false);
}

void SuspendFeatures() {
  Log("_SuspendFeatures@0");
  std::lock_guard guard(Lib().lock);
  ++Lib().suspendCount;
}

void ResumeFeatures() {
  Log("_ResumeFeatures@0");
  std::lock_guard guard(Lib().lock);
  if (Lib().suspendCount > 0) --Lib().suspendCount;
}

void TestPattern(DWORD show) {
  Log("_TestPattern@4", {show});
  std::lock_guard guard(Lib().lock);
  Lib().testPattern = show != 0;
}

}  // namespace entry
}  // namespace host::ovxctrl
