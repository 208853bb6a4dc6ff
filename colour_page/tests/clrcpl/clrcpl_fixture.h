// CLRCPL.DLL as the shell meets it: installed in the system folder, loaded,
// its objects called through their slot tables as a C caller calls them
// (the module's classes are no business of the caller's).
#pragma once

#include <gtest/gtest.h>
#include <host_testing/station_fixture.h>
#include <shlobj.h>
#include <windows.h>

#include <string>

#include "property_sheet_stub.h"

namespace clrcpl_test {

// {E1E066B5-8E0E-11CF-97F3-00608CC03883}
inline const CLSID kColourPageClass = {0xE1E066B5, 0x8E0E, 0x11CF, {0x97, 0xF3, 0x00, 0x60, 0x8C, 0xC0, 0x38, 0x83}};
inline constexpr char kModulePath[] = "C:\\WINDOWS\\SYSTEM\\CLRCPL.DLL";

struct UnknownSlots {
  HRESULT(WINAPI* QueryInterface)(void*, const IID*, void**);
  ULONG(WINAPI* AddRef)(void*);
  ULONG(WINAPI* Release)(void*);
};
struct FactorySlots : UnknownSlots {
  HRESULT(WINAPI* CreateInstance)(void*, void*, const IID*, void**);
  HRESULT(WINAPI* LockServer)(void*, BOOL);
};
struct ExtensionSlots : UnknownSlots {
  HRESULT(WINAPI* AddPages)(void*, LPFNADDPROPSHEETPAGE, LPARAM);
  HRESULT(WINAPI* ReplacePage)(void*, UINT, LPFNADDPROPSHEETPAGE, LPARAM);
};
template <class Slots>
const Slots& SlotsOf(void* object) {
  return **static_cast<const Slots* const*>(object);
}

class ClrcplTest : public host::testing::StationTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** out) { return getClassObject_(&clsid, &iid, out); }
  HRESULT CanUnloadNow() { return canUnloadNow_(); }
  HRESULT RegisterServer() { return registerServer_(); }
  HRESULT UnregisterServer() { return unregisterServer_(); }

  // A factory and an extension made through it; the factory is released again.
  void* NewExtension();

  HMODULE module_ = nullptr;

 private:
  HRESULT(WINAPI* getClassObject_)(const CLSID*, const IID*, void**) = nullptr;
  HRESULT(WINAPI* canUnloadNow_)() = nullptr;
  HRESULT(WINAPI* registerServer_)() = nullptr;
  HRESULT(WINAPI* unregisterServer_)() = nullptr;
};

// Registry reads for the registration's checks.
struct StoredText {
  bool present;
  DWORD type;
  std::string bytes;  // exactly the stored data, NULs included
};
StoredText ReadValue(HKEY root, const std::string& key, const char* value);
bool KeyExists(HKEY root, const std::string& key);

// The add-page callback the shell passes: takes the page or refuses it.
BOOL CALLBACK AcceptPage(HPROPSHEETPAGE page, LPARAM lParam);
BOOL CALLBACK RefusePage(HPROPSHEETPAGE page, LPARAM lParam);
int AcceptedPages();

}  // namespace clrcpl_test
