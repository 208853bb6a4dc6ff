// Binding OVXCTRL.DLL for each deliverable, with the stand-in loaded whole,
// without single entry points, or not at all.
#include <host/ovxctrl.h>
#include <host_testing/station_fixture.h>

#include <set>
#include <string>
#include <vector>

#include "feature_library.h"

namespace {

using features::BindStatus;
using features::Client;
using features::Entry;

struct ClientCase {
  const char* name;
  Client client;
  std::vector<std::string> order;  // decorated names in binding order
};

const std::vector<ClientCase>& Clients() {
  static const std::vector<ClientCase> clients = {
      {"navigator",
       Client::Navigator,
       {"_SetZoomFactor@4", "_GetFeatureStatus@4", "_SetFeatureStatus@8", "_QueryTestPattern@0",
        "_OVXCenterOnThisWindow@4", "_OVXEnableNotifyChange@8", "_OVXDisableNotifyChange@8", "_OVXEnablePanNotify@8",
        "_OVXDisablePanNotify@8"}},
      {"tray switcher",
       Client::TraySwitcher,
       {"_SetZoomFactor@4", "_OVXEnableNotifyChange@8", "_OVXDisableNotifyChange@8", "_NotifyChange@0"}},
      {"monitor page",
       Client::MonitorPage,
       {"_SetFeatureStatus@8", "_GetFeatureStatus@4", "_OVXCenterWindow@0", "_SetHotKey@8", "_OVXEnableNotifyChange@8",
        "_OVXDisableNotifyChange@8", "_NotifyChange@0", "_SetZoomFactor@4", "_SuspendFeatures@0", "_ResumeFeatures@0",
        "_TestPattern@4"}},
  };
  return clients;
}

// The entry points of a bound library that are set, by decorated name.
std::set<std::string> BoundNames(const features::FeatureLibrary& l) {
  const void* slots[features::kEntryCount] = {
      reinterpret_cast<const void*>(l.SetZoomFactor),       reinterpret_cast<const void*>(l.GetFeatureStatus),
      reinterpret_cast<const void*>(l.SetFeatureStatus),    reinterpret_cast<const void*>(l.QueryTestPattern),
      reinterpret_cast<const void*>(l.CenterOnThisWindow),  reinterpret_cast<const void*>(l.CenterWindow),
      reinterpret_cast<const void*>(l.SetHotKey),           reinterpret_cast<const void*>(l.EnableNotifyChange),
      reinterpret_cast<const void*>(l.DisableNotifyChange), reinterpret_cast<const void*>(l.EnablePanNotify),
      reinterpret_cast<const void*>(l.DisablePanNotify),    reinterpret_cast<const void*>(l.NotifyChange),
      reinterpret_cast<const void*>(l.SuspendFeatures),     reinterpret_cast<const void*>(l.ResumeFeatures),
      reinterpret_cast<const void*>(l.TestPattern)};
  std::set<std::string> names;
  for (int i = 0; i < features::kEntryCount; ++i)
    if (slots[i]) names.insert(features::DecoratedName(static_cast<Entry>(i)));
  return names;
}

class FeatureLibraryTest : public host::testing::StationTest {};

TEST_F(FeatureLibraryTest, DecoratedNamesMatchTheLibrarysExports) {
  for (int i = 0; i < features::kEntryCount; ++i)
    EXPECT_EQ(host::ovxctrl::EntryPoints()[i], features::DecoratedName(static_cast<Entry>(i)));
}

TEST_F(FeatureLibraryTest, EachClientBindsExactlyItsEntryPoints) {
  for (const ClientCase& c : Clients()) {
    SCOPED_TRACE(c.name);
    features::FeatureLibrary library;
    features::BindResult result = features::BindFeatureLibrary(c.client, library);
    ASSERT_EQ(BindStatus::Bound, result.status);
    EXPECT_NE(nullptr, library.module);
    EXPECT_EQ(std::set<std::string>(c.order.begin(), c.order.end()), BoundNames(library));
    features::ReleaseFeatureLibrary(library);
    EXPECT_EQ(nullptr, library.module);
    EXPECT_TRUE(BoundNames(library).empty());
    EXPECT_EQ(nullptr, GetModuleHandleA("OVXCTRL.DLL"));
  }
}

TEST_F(FeatureLibraryTest, EachMissingEntryPointIsReportedAndNothingIsHeld) {
  for (const ClientCase& c : Clients()) {
    for (const std::string& missing : c.order) {
      SCOPED_TRACE(std::string(c.name) + " without " + missing);
      Reboot();  // forgets the hidden exports
      host::ovxctrl::HideEntryPoint(missing);
      features::FeatureLibrary library;
      features::BindResult result = features::BindFeatureLibrary(c.client, library);
      EXPECT_EQ(BindStatus::EntryMissing, result.status);
      ASSERT_NE(nullptr, result.missingName);
      EXPECT_EQ(missing, result.missingName);
      EXPECT_EQ(missing, features::DecoratedName(result.missing));
      EXPECT_EQ(nullptr, library.module);
      EXPECT_EQ(nullptr, GetModuleHandleA("OVXCTRL.DLL"));
    }
  }
}

TEST_F(FeatureLibraryTest, TheFirstMissingInBindingOrderIsReported) {
  for (const std::string& name : host::ovxctrl::EntryPoints()) host::ovxctrl::HideEntryPoint(name);
  for (const ClientCase& c : Clients()) {
    SCOPED_TRACE(c.name);
    features::FeatureLibrary library;
    EXPECT_EQ(c.order.front(), features::BindFeatureLibrary(c.client, library).missingName);
  }
}

TEST_F(FeatureLibraryTest, AnEntryPointAClientDoesNotBindMayBeMissing) {
  host::ovxctrl::HideEntryPoint("_OVXCenterOnThisWindow@4");  // the navigator's only
  features::FeatureLibrary library;
  EXPECT_EQ(BindStatus::Bound, features::BindFeatureLibrary(Client::TraySwitcher, library).status);
  features::ReleaseFeatureLibrary(library);
  EXPECT_EQ(BindStatus::Bound, features::BindFeatureLibrary(Client::MonitorPage, library).status);
  features::ReleaseFeatureLibrary(library);
}

TEST_F(FeatureLibraryTest, MissingLibrary) {
  host::ovxctrl::RefuseAttach(true);
  for (const ClientCase& c : Clients()) {
    SCOPED_TRACE(c.name);
    features::FeatureLibrary library;
    features::BindResult result = features::BindFeatureLibrary(c.client, library);
    EXPECT_EQ(BindStatus::LibraryMissing, result.status);
    EXPECT_EQ(nullptr, result.missingName);
    EXPECT_EQ(nullptr, library.module);
  }
  features::FeatureLibrary empty{};
  features::ReleaseFeatureLibrary(empty);  // harmless
}

TEST_F(FeatureLibraryTest, BoundEntryPointsReachTheLibrary) {
  features::FeatureLibrary library;
  ASSERT_EQ(BindStatus::Bound, features::BindFeatureLibrary(Client::Navigator, library).status);
  library.SetFeatureStatus(features::kFeature103, 1);
  EXPECT_TRUE(library.GetFeatureStatus(features::kFeature103));
  EXPECT_EQ(1u, host::ovxctrl::FeatureStatus(103));
  features::ReleaseFeatureLibrary(library);
}

}  // namespace
