// OVXCTRL.DLL, the feature control library stand-in: its exports hand each
// call to the library's system-wide state in the host (host/ovxctrl.h).
#include <host/ovxctrl.h>

namespace entry = host::ovxctrl::entry;

extern "C" {

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) return entry::Attach();
  if (reason == DLL_PROCESS_DETACH) entry::Detach();
  return TRUE;
}

void WINAPI SetZoomFactor(DWORD zoom) { entry::SetZoomFactor(zoom); }
DWORD WINAPI GetFeatureStatus(DWORD feature) { return entry::GetFeatureStatus(feature); }
void WINAPI SetFeatureStatus(DWORD feature, DWORD status) { entry::SetFeatureStatus(feature, status); }
DWORD WINAPI QueryTestPattern(void) { return entry::QueryTestPattern(); }
void WINAPI OVXCenterOnThisWindow(HWND window) { entry::CenterOnThisWindow(window); }
void WINAPI OVXCenterWindow(void) { entry::CenterWindow(); }
void WINAPI SetHotKey(DWORD first, DWORD second) { entry::SetHotKey(first, second); }
void WINAPI OVXEnableNotifyChange(HWND window, UINT message) { entry::EnableNotifyChange(window, message); }
void WINAPI OVXDisableNotifyChange(HWND window, UINT message) { entry::DisableNotifyChange(window, message); }
void WINAPI OVXEnablePanNotify(HWND window, UINT message) { entry::EnablePanNotify(window, message); }
void WINAPI OVXDisablePanNotify(HWND window, UINT message) { entry::DisablePanNotify(window, message); }
void WINAPI NotifyChange(void) { entry::NotifyChange(); }
void WINAPI SuspendFeatures(void) { entry::SuspendFeatures(); }
void WINAPI ResumeFeatures(void) { entry::ResumeFeatures(); }
void WINAPI TestPattern(DWORD show) { entry::TestPattern(show); }

}  // extern "C"
