// The feature control library OVXCTRL.DLL: loaded by name at run time, its
// entry points fetched by decorated name. Each deliverable binds the entry
// points it needs, in its own order, stopping at the first that is missing.
#pragma once

#include <windows.h>

namespace features {

inline constexpr const char* kLibraryName = "OVXCTRL.DLL";
inline constexpr int kFeature103 = 103;
// Notification messages the callers register with.
inline constexpr UINT kMessage1125 = 1125;
inline constexpr UINT kMessage1126 = 1126;

typedef void(WINAPI* SetZoomFactorProc)(int zoom);
typedef BOOL(WINAPI* GetFeatureStatusProc)(int feature);
typedef void(WINAPI* SetFeatureStatusProc)(int feature, int status);
typedef BOOL(WINAPI* QueryTestPatternProc)(void);
typedef void(WINAPI* CenterOnThisWindowProc)(HWND window);
typedef void(WINAPI* CenterWindowProc)(void);
typedef void(WINAPI* SetHotKeyProc)(DWORD first, DWORD second);
typedef void(WINAPI* NotifyRegistrationProc)(HWND window, UINT message);
typedef void(WINAPI* NotifyChangeProc)(void);
typedef void(WINAPI* SuspendResumeProc)(void);
typedef void(WINAPI* TestPatternProc)(int show);

// The entry points, in the order of the library's interface table.
enum class Entry {
  SetZoomFactor,
  GetFeatureStatus,
  SetFeatureStatus,
  QueryTestPattern,
  CenterOnThisWindow,
  CenterWindow,
  SetHotKey,
  EnableNotifyChange,
  DisableNotifyChange,
  EnablePanNotify,
  DisablePanNotify,
  NotifyChange,
  SuspendFeatures,
  ResumeFeatures,
  TestPattern,
};
inline constexpr int kEntryCount = 15;
// "_SetZoomFactor@4" and so on.
const char* DecoratedName(Entry entry);

// The library as one deliverable bound it; entry points it did not bind are null.
struct FeatureLibrary {
  HMODULE module;
  SetZoomFactorProc SetZoomFactor;
  GetFeatureStatusProc GetFeatureStatus;
  SetFeatureStatusProc SetFeatureStatus;
  QueryTestPatternProc QueryTestPattern;
  CenterOnThisWindowProc CenterOnThisWindow;
  CenterWindowProc CenterWindow;
  SetHotKeyProc SetHotKey;
  NotifyRegistrationProc EnableNotifyChange;
  NotifyRegistrationProc DisableNotifyChange;
  NotifyRegistrationProc EnablePanNotify;
  NotifyRegistrationProc DisablePanNotify;
  NotifyChangeProc NotifyChange;
  SuspendResumeProc SuspendFeatures;
  SuspendResumeProc ResumeFeatures;
  TestPatternProc TestPattern;
};

enum class Client { Navigator, TraySwitcher, MonitorPage };

// The entry points a client binds, in its binding order.
int ClientEntries(Client client, const Entry** entries);

enum class BindStatus { Bound, LibraryMissing, EntryMissing };
struct BindResult {
  BindStatus status;
  Entry missing;            // the first missing entry point (EntryMissing only)
  const char* missingName;  // its decorated name; null unless EntryMissing
};

// LoadLibraryA("OVXCTRL.DLL") and GetProcAddress of the client's entry points
// in order. On failure the library is freed again and `library` left empty,
// so a failed binding holds no reference.
BindResult BindFeatureLibrary(Client client, FeatureLibrary& library);
// FreeLibrary and clears every entry point; harmless on an empty one.
void ReleaseFeatureLibrary(FeatureLibrary& library);

}  // namespace features
