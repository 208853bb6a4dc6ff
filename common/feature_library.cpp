#include "feature_library.h"

namespace features {
namespace {

const char* const kNames[kEntryCount] = {
    "_SetZoomFactor@4",          "_GetFeatureStatus@4",   "_SetFeatureStatus@8",    "_QueryTestPattern@0",
    "_OVXCenterOnThisWindow@4",  "_OVXCenterWindow@0",    "_SetHotKey@8",           "_OVXEnableNotifyChange@8",
    "_OVXDisableNotifyChange@8", "_OVXEnablePanNotify@8", "_OVXDisablePanNotify@8", "_NotifyChange@0",
    "_SuspendFeatures@0",        "_ResumeFeatures@0",     "_TestPattern@4"};

// void (*)(void) converts to and from every function pointer type without warnings.
template <class Proc>
void Store(Proc& slot, FARPROC proc) {
  slot = reinterpret_cast<Proc>(reinterpret_cast<void (*)(void)>(proc));
}

void StoreEntry(FeatureLibrary& l, Entry entry, FARPROC proc) {
  switch (entry) {
    case Entry::SetZoomFactor:
      Store(l.SetZoomFactor, proc);
      break;
    case Entry::GetFeatureStatus:
      Store(l.GetFeatureStatus, proc);
      break;
    case Entry::SetFeatureStatus:
      Store(l.SetFeatureStatus, proc);
      break;
    case Entry::QueryTestPattern:
      Store(l.QueryTestPattern, proc);
      break;
    case Entry::CenterOnThisWindow:
      Store(l.CenterOnThisWindow, proc);
      break;
    case Entry::CenterWindow:
      Store(l.CenterWindow, proc);
      break;
    case Entry::SetHotKey:
      Store(l.SetHotKey, proc);
      break;
    case Entry::EnableNotifyChange:
      Store(l.EnableNotifyChange, proc);
      break;
    case Entry::DisableNotifyChange:
      Store(l.DisableNotifyChange, proc);
      break;
    case Entry::EnablePanNotify:
      Store(l.EnablePanNotify, proc);
      break;
    case Entry::DisablePanNotify:
      Store(l.DisablePanNotify, proc);
      break;
    case Entry::NotifyChange:
      Store(l.NotifyChange, proc);
      break;
    case Entry::SuspendFeatures:
      Store(l.SuspendFeatures, proc);
      break;
    case Entry::ResumeFeatures:
      Store(l.ResumeFeatures, proc);
      break;
    case Entry::TestPattern:
      Store(l.TestPattern, proc);
      break;
  }
}

const Entry kNavigator[] = {Entry::SetZoomFactor,       Entry::GetFeatureStatus,   Entry::SetFeatureStatus,
                            Entry::QueryTestPattern,    Entry::CenterOnThisWindow, Entry::EnableNotifyChange,
                            Entry::DisableNotifyChange, Entry::EnablePanNotify,    Entry::DisablePanNotify};
const Entry kTraySwitcher[] = {Entry::SetZoomFactor, Entry::EnableNotifyChange, Entry::DisableNotifyChange,
                               Entry::NotifyChange};
const Entry kMonitorPage[] = {Entry::SetFeatureStatus, Entry::GetFeatureStatus,   Entry::CenterWindow,
                              Entry::SetHotKey,        Entry::EnableNotifyChange, Entry::DisableNotifyChange,
                              Entry::NotifyChange,     Entry::SetZoomFactor,      Entry::SuspendFeatures,
                              Entry::ResumeFeatures,   Entry::TestPattern};

}  // namespace

const char* DecoratedName(Entry entry) { return kNames[static_cast<int>(entry)]; }

int ClientEntries(Client client, const Entry** entries) {
  switch (client) {
    case Client::Navigator:
      *entries = kNavigator;
      return sizeof(kNavigator) / sizeof(kNavigator[0]);
    case Client::TraySwitcher:
      *entries = kTraySwitcher;
      return sizeof(kTraySwitcher) / sizeof(kTraySwitcher[0]);
    case Client::MonitorPage:
      *entries = kMonitorPage;
      return sizeof(kMonitorPage) / sizeof(kMonitorPage[0]);
  }
  *entries = nullptr;
  return 0;
}

BindResult BindFeatureLibrary(Client client, FeatureLibrary& library) {
  library = FeatureLibrary{};
  HMODULE module = LoadLibraryA(kLibraryName);
  if (!module) return BindResult{BindStatus::LibraryMissing, Entry::SetZoomFactor, nullptr};
  FeatureLibrary bound{};
  bound.module = module;
  const Entry* entries = nullptr;
  int count = ClientEntries(client, &entries);
  for (int i = 0; i < count; ++i) {
    const char* name = DecoratedName(entries[i]);
    FARPROC proc = GetProcAddress(module, name);
    if (!proc) {
      FreeLibrary(module);
      return BindResult{BindStatus::EntryMissing, entries[i], name};
    }
    StoreEntry(bound, entries[i], proc);
  }
  library = bound;
  return BindResult{BindStatus::Bound, Entry::SetZoomFactor, nullptr};
}

void ReleaseFeatureLibrary(FeatureLibrary& library) {
  if (library.module) FreeLibrary(library.module);
  library = FeatureLibrary{};
}

}  // namespace features
