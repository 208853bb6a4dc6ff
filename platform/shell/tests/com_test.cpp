// COM basics: identifiers in text form, the interface layout shared by C
// tables and C++ classes, and loading an in-process server as the shell does.
#define INITGUID  // this file defines the identifiers it names (as initguid.h does)
#include <gtest/gtest.h>
#include <host/loader.h>
#include <host/shell.h>
#include <host_testing/station_fixture.h>
#include <shlobj.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "shell/tests/modules/fake_server.h"

namespace {

std::basic_string<WCHAR> Wide(const char* text) {
  std::basic_string<WCHAR> out;
  for (; *text; ++text) out += static_cast<unsigned char>(*text);
  return out;
}

std::string Narrow(const WCHAR* text) {
  std::string out;
  for (; *text; ++text) out += static_cast<char>(*text);
  return out;
}

DEFINE_GUID(kSample, 0x6A47A581, 0x28AC, 0x11CF, 0xB0, 0x9F, 0x00, 0x20, 0xAF, 0xE6, 0x64, 0x57);

TEST(GuidText, WritesTheRegistryFormInCapitals) {
  WCHAR text[39];
  ASSERT_EQ(StringFromGUID2(kSample, text, 39), 39);
  EXPECT_EQ(Narrow(text), "{6A47A581-28AC-11CF-B09F-0020AFE66457}");
  EXPECT_EQ(StringFromGUID2(kSample, text, 38), 0) << "no room for the NUL";
}

TEST(GuidText, ReadsAnyLetterCase) {
  CLSID clsid;
  ASSERT_EQ(CLSIDFromString(Wide("{6a47a581-28ac-11cf-b09f-0020afe66457}").c_str(), &clsid), NOERROR);
  EXPECT_TRUE(IsEqualGUID(clsid, kSample));
  EXPECT_EQ(memcmp(&clsid, &kSample, sizeof(GUID)), 0);
}

TEST(GuidText, RefusesMalformedTextAndClearsTheResult) {
  const char* cases[] = {
      "",
      "6A47A581-28AC-11CF-B09F-0020AFE66457",     // no braces
      "{6A47A581-28AC-11CF-B09F-0020AFE6645}",    // a digit short
      "{6A47A581-28AC-11CF-B09F-0020AFE664577}",  // a digit long
      "{6A47A581-28AC-11CF-B09F+0020AFE66457}",   // wrong separator
      "{6A47A58G-28AC-11CF-B09F-0020AFE66457}",   // not hexadecimal
      "{6A47A581-28AC-11CF-B09F-0020AFE66457",    // unclosed
  };
  for (const char* text : cases) {
    SCOPED_TRACE(text);
    CLSID clsid = kSample;
    EXPECT_EQ(CLSIDFromString(Wide(text).c_str(), &clsid), CO_E_CLASSSTRING);
    EXPECT_TRUE(IsEqualGUID(clsid, GUID_NULL));
  }
  EXPECT_EQ(CLSIDFromString(nullptr, nullptr), E_INVALIDARG);
}

TEST(Guid, ComparesAllSixteenBytes) {
  GUID other = kSample;
  other.Data4[7] ^= 1;
  EXPECT_FALSE(IsEqualGUID(other, kSample));
  EXPECT_TRUE(other != kSample);
  other.Data4[7] ^= 1;
  EXPECT_TRUE(other == kSample);
}

// A C++ class object is laid out as a C interface table: the table pointer
// first, slots in declaration order, stdcall with the object as first argument.
struct CountingFactory : IClassFactory {
  ULONG refs = 1;
  BOOL locked = FALSE;
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** ppv) override {
    *ppv = this;
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
  ULONG STDMETHODCALLTYPE Release() override { return --refs; }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID, void** ppv) override {
    *ppv = nullptr;
    return outer ? CLASS_E_NOAGGREGATION : E_OUTOFMEMORY;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
    locked = lock;
    return S_FALSE;
  }
};

struct FactorySlots {  // what a C caller sees through lpVtbl
  HRESULT(WINAPI* QueryInterface)(void*, const IID*, void**);
  ULONG(WINAPI* AddRef)(void*);
  ULONG(WINAPI* Release)(void*);
  HRESULT(WINAPI* CreateInstance)(void*, void*, const IID*, void**);
  HRESULT(WINAPI* LockServer)(void*, BOOL);
};

TEST(InterfaceLayout, CppClassesFillTheCTableSlotsInOrder) {
  static_assert(sizeof(void*) == 4);
  CountingFactory factory;
  const FactorySlots* slots = *reinterpret_cast<const FactorySlots* const*>(&factory);
  EXPECT_EQ(slots->AddRef(&factory), 2u);
  EXPECT_EQ(slots->Release(&factory), 1u);
  void* out = &factory;
  EXPECT_EQ(slots->CreateInstance(&factory, &factory, &IID_IShellPropSheetExt, &out), CLASS_E_NOAGGREGATION);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(slots->LockServer(&factory, TRUE), S_FALSE);
  EXPECT_TRUE(factory.locked);
  EXPECT_EQ(slots->QueryInterface(&factory, &IID_IUnknown, &out), S_OK);
  EXPECT_EQ(out, &factory);
}

// ---- Loading an in-process server ----

// FAKESRV.DLL is written with C tables: its slots are called as a C caller
// calls them (the sanitizer's vptr check knows only C++ classes).
struct ExtensionSlots {
  HRESULT(WINAPI* QueryInterface)(void*, const IID*, void**);
  ULONG(WINAPI* AddRef)(void*);
  ULONG(WINAPI* Release)(void*);
  HRESULT(WINAPI* AddPages)(void*, LPFNADDPROPSHEETPAGE, LPARAM);  // IShellPropSheetExt's
};
const ExtensionSlots& Slots(void* object) { return **static_cast<const ExtensionSlots* const*>(object); }

std::string GuidString(REFGUID guid) {
  WCHAR text[39];
  StringFromGUID2(guid, text, 39);
  return Narrow(text);
}

class InProcServer : public host::testing::StationTest {
 protected:
  void SetUp() override {
    StationTest::SetUp();
    ASSERT_TRUE(host::InstallModule("FAKESRV.DLL", "C:\\WINDOWS\\SYSTEM"));
    Register(CLSID_FakeServer, "C:\\WINDOWS\\SYSTEM\\FAKESRV.DLL");
    Register(CLSID_FakeUnserved, "C:\\WINDOWS\\SYSTEM\\FAKESRV.DLL");
    host::ClearDebugOutput();
  }
  void TearDown() override {
    host::ClearHiddenExports();
    StationTest::TearDown();
  }
  static void Register(REFCLSID clsid, const std::string& module) {
    std::string key = "CLSID\\" + GuidString(clsid) + "\\InProcServer32";
    ASSERT_EQ(RegSetValueA(HKEY_CLASSES_ROOT, key.c_str(), REG_SZ, module.c_str(), module.size()), ERROR_SUCCESS);
  }
  static std::vector<std::string> Calls() {
    std::vector<std::string> calls;
    for (const std::string& line : host::DebugOutput())
      if (line.rfind("FAKESRV ", 0) == 0) calls.push_back(line.substr(8, line.size() - 9));
    return calls;
  }
  static bool ServerLoaded() { return GetModuleHandleA("FAKESRV.DLL") != nullptr; }
};

TEST_F(InProcServer, ItsProgIdNamesTheClass) {
  std::string clsid = GuidString(CLSID_FakeServer);
  ASSERT_EQ(RegSetValueA(HKEY_CLASSES_ROOT, "Fake.Server\\CLSID", REG_SZ, clsid.c_str(), clsid.size()), ERROR_SUCCESS);
  CLSID read;
  ASSERT_EQ(CLSIDFromString(Wide("Fake.Server").c_str(), &read), NOERROR);
  EXPECT_TRUE(IsEqualCLSID(read, CLSID_FakeServer));
  EXPECT_EQ(CLSIDFromProgID(Wide("No.Such").c_str(), &read), CO_E_CLASSSTRING);
  EXPECT_TRUE(IsEqualCLSID(read, CLSID_NULL));
}

TEST_F(InProcServer, IsLoadedAskedAndUnloadedInTheShellsOrder) {
  host::shell::InProcObject extension;
  ASSERT_EQ(extension.Create(CLSID_FakeServer, IID_IShellPropSheetExt), S_OK);
  ASSERT_NE(extension.get(), nullptr);
  EXPECT_EQ(Slots(extension.get()).AddPages(extension.get(), nullptr, 7), S_OK);
  EXPECT_TRUE(extension.Release());
  EXPECT_FALSE(ServerLoaded());
  std::vector<std::string> expected = {
      "attach",
      "DllGetClassObject served IClassFactory",
      "factory QueryInterface IClassFactory",
      "CreateInstance IShellPropSheetExt",
      "QueryInterface IShellPropSheetExt",
      "Release 1",
      "factory Release",
      "AddPages none 7",
      "Release 0",
      "DllCanUnloadNow S_OK",
      "detach",
  };
  EXPECT_EQ(Calls(), expected);
}

TEST_F(InProcServer, FailuresReportTheCauseAndFreeTheModule) {
  Register(kSample, "C:\\WINDOWS\\SYSTEM\\MISSING.DLL");
  struct Case {
    const char* name;
    const GUID* clsid;
    const IID* iid;
    bool hideEntry;
    HRESULT result;
    std::vector<std::string> calls;
  } cases[] = {
      {"not registered", &IID_IShellExtInit, &IID_IShellPropSheetExt, false, REGDB_E_CLASSNOTREG, {}},
      {"module missing", &kSample, &IID_IShellPropSheetExt, false, CO_E_DLLNOTFOUND, {}},
      {"no DllGetClassObject", &CLSID_FakeServer, &IID_IShellPropSheetExt, true, CO_E_ERRORINDLL, {"attach", "detach"}},
      {"class not served",
       &CLSID_FakeUnserved,
       &IID_IShellPropSheetExt,
       false,
       CLASS_E_CLASSNOTAVAILABLE,
       {"attach", "DllGetClassObject unserved IClassFactory", "DllCanUnloadNow S_OK", "detach"}},
      {"interface not spoken",
       &CLSID_FakeServer,
       &IID_IClassFactory,
       false,
       E_NOINTERFACE,
       {"attach", "DllGetClassObject served IClassFactory", "factory QueryInterface IClassFactory",
        "CreateInstance IClassFactory", "QueryInterface IClassFactory", "Release 0", "factory Release",
        "DllCanUnloadNow S_OK", "detach"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    host::ClearDebugOutput();
    host::ClearHiddenExports();
    if (c.hideEntry) host::HideExport("FAKESRV.DLL", "DllGetClassObject");
    host::shell::InProcObject object;
    EXPECT_EQ(object.Create(*c.clsid, *c.iid), c.result);
    EXPECT_EQ(object.get(), nullptr);
    EXPECT_EQ(object.module(), nullptr);
    EXPECT_FALSE(ServerLoaded());
    EXPECT_EQ(Calls(), c.calls);
  }
}

TEST_F(InProcServer, StaysLoadedWhileAnObjectLives) {
  host::shell::InProcObject extension;
  ASSERT_EQ(extension.Create(CLSID_FakeServer, IID_IShellPropSheetExt), S_OK);
  void* kept = extension.get();
  Slots(kept).AddRef(kept);
  EXPECT_FALSE(extension.Release()) << "the server still has a live object";
  EXPECT_TRUE(ServerLoaded());
  EXPECT_EQ(Slots(kept).Release(kept), 0u) << "its code is still there";
  EXPECT_EQ(Calls().back(), "Release 0");
}

TEST_F(InProcServer, AMovedObjectIsReleasedOnce) {
  host::shell::InProcObject first;
  ASSERT_EQ(first.Create(CLSID_FakeServer, IID_IShellPropSheetExt), S_OK);
  host::shell::InProcObject second = std::move(first);
  EXPECT_EQ(first.get(), nullptr);
  EXPECT_FALSE(first.Release());
  EXPECT_EQ(Slots(second.get()).AddPages(second.get(), nullptr, 1), S_OK);
  EXPECT_TRUE(second.Release());
  EXPECT_FALSE(ServerLoaded());
  std::vector<std::string> calls = Calls();
  EXPECT_EQ(std::count(calls.begin(), calls.end(), "Release 0"), 1);
  EXPECT_EQ(std::count(calls.begin(), calls.end(), "DllCanUnloadNow S_OK"), 1);
}

}  // namespace
