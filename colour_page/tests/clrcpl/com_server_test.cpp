// CLRCPL.DLL's COM server: registration, the class object, the extension and
// the module's live-object count, as the shell uses them.
#include <host/adapter.h>
#include <host/shell.h>
#include <host/user.h>

#include <filesystem>

#include "clrcpl_fixture.h"

namespace clrcpl_test {
namespace {

const std::string kClassKey = "CLSID\\{E1E066B5-8E0E-11cf-97F3-00608CC03883}";
const std::string kHandlers =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Controls Folder\\Display\\shellex\\PropertySheetHandlers\\";

std::string WithNul(const std::string& text) { return text + '\0'; }

using RegistrationTest = ClrcplTest;

TEST_F(RegistrationTest, WritesTheClassTheServerAndTheHandler) {
  ASSERT_EQ(RegisterServer(), S_OK);
  struct Case {
    HKEY root;
    std::string key;
    const char* value;
    std::string bytes;
  } cases[] = {
      {HKEY_CLASSES_ROOT, kClassKey, nullptr, WithNul("Orvane Color Control")},
      {HKEY_CLASSES_ROOT, kClassKey + "\\InProcServer32", nullptr, WithNul(kModulePath)},
      {HKEY_CLASSES_ROOT, kClassKey + "\\InProcServer32", "ThreadingModel", WithNul("Apartment")},
      {HKEY_LOCAL_MACHINE, kHandlers + "Orvane Color Control", nullptr,
       WithNul("{E1E066B5-8E0E-11cf-97F3-00608CC03883}")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key + " " + (c.value ? c.value : "(default)"));
    StoredText stored = ReadValue(c.root, c.key, c.value);
    ASSERT_TRUE(stored.present);
    EXPECT_EQ(stored.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(stored.bytes, c.bytes) << "the text and its NUL, nothing after it";
  }
}

TEST_F(RegistrationTest, ReplacesTheEarlierReleasesHandler) {
  const std::string earlier = kHandlers + "Tintora Color Control";
  const char old[] = "{00000000-0000-0000-0000-000000000001}";
  ASSERT_EQ(RegSetValueA(HKEY_LOCAL_MACHINE, earlier.c_str(), REG_SZ, old, sizeof(old)), ERROR_SUCCESS);
  ASSERT_EQ(RegisterServer(), S_OK);
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, earlier));
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kHandlers + "Orvane Color Control"));
  EXPECT_EQ(RegisterServer(), S_OK) << "registering again, with nothing left to remove";
}

TEST_F(RegistrationTest, UnregisteringIsRefusedAndRemovesNothing) {
  ASSERT_EQ(RegisterServer(), S_OK);
  EXPECT_EQ(UnregisterServer(), E_UNEXPECTED);
  EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, kClassKey + "\\InProcServer32"));
}

TEST_F(RegistrationTest, TheShellLoadsTheRegisteredServer) {
  ASSERT_EQ(RegisterServer(), S_OK);
  host::shell::InProcObject extension;
  ASSERT_EQ(extension.Create(kColourPageClass, IID_IShellPropSheetExt), S_OK);
  void* object = extension.get();
  EXPECT_EQ(SlotsOf<ExtensionSlots>(object).ReplacePage(object, 0, AcceptPage, 0), E_FAIL);
  EXPECT_EQ(CanUnloadNow(), S_FALSE) << "the extension is alive";
  extension.Release();
  EXPECT_EQ(CanUnloadNow(), S_OK);

  host::shell::InProcObject unknown;
  EXPECT_EQ(unknown.Create(kColourPageClass, IID_IUnknown), E_NOINTERFACE)
      << "the extension has no IUnknown of its own";
  EXPECT_EQ(CanUnloadNow(), S_OK) << "the refused object is gone";
}

using ClassObjectTest = ClrcplTest;

TEST_F(ClassObjectTest, IsServedOnlyForTheColourPageAndItsInterfaces) {
  const GUID otherClass = {0x6A47A581, 0x28AC, 0x11CF, {0xB0, 0x9F, 0x00, 0x20, 0xAF, 0xE6, 0x64, 0x57}};
  struct Case {
    const char* what;
    const CLSID* clsid;
    const IID* iid;
    HRESULT result;
  } cases[] = {
      {"IClassFactory", &kColourPageClass, &IID_IClassFactory, S_OK},
      {"IUnknown", &kColourPageClass, &IID_IUnknown, S_OK},
      {"an interface the factory lacks", &kColourPageClass, &IID_IShellPropSheetExt, E_NOINTERFACE},
      {"another class", &otherClass, &IID_IClassFactory, CLASS_E_CLASSNOTAVAILABLE},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    void* out = this;
    EXPECT_EQ(GetClassObject(*c.clsid, *c.iid, &out), c.result);
    EXPECT_EQ(out == nullptr, FAILED(c.result));
    if (out) {
      EXPECT_EQ(CanUnloadNow(), S_FALSE) << "a factory is alive";
      EXPECT_EQ(SlotsOf<UnknownSlots>(out).Release(out), 0u);
    }
    EXPECT_EQ(CanUnloadNow(), S_OK) << "no object is left behind";
  }
}

TEST_F(ClassObjectTest, CountsReferencesAndCreatesExtensions) {
  void* factory = nullptr;
  ASSERT_EQ(GetClassObject(kColourPageClass, IID_IClassFactory, &factory), S_OK);
  const FactorySlots& slots = SlotsOf<FactorySlots>(factory);
  EXPECT_EQ(slots.AddRef(factory), 2u);
  void* same = nullptr;
  EXPECT_EQ(slots.QueryInterface(factory, &IID_IUnknown, &same), S_OK);
  EXPECT_EQ(same, factory);
  EXPECT_EQ(slots.Release(factory), 2u);
  void* none = this;
  EXPECT_EQ(slots.QueryInterface(factory, &IID_IShellExtInit, &none), E_NOINTERFACE);
  EXPECT_EQ(none, nullptr);
  EXPECT_EQ(slots.LockServer(factory, TRUE), S_OK);

  void* extension = this;
  EXPECT_EQ(slots.CreateInstance(factory, factory, &IID_IShellPropSheetExt, &extension), CLASS_E_NOAGGREGATION);
  EXPECT_EQ(extension, nullptr);
  EXPECT_EQ(slots.CreateInstance(factory, nullptr, &IID_IUnknown, &extension), E_NOINTERFACE);
  EXPECT_EQ(extension, nullptr);
  ASSERT_EQ(slots.CreateInstance(factory, nullptr, &IID_IShellPropSheetExt, &extension), S_OK);
  EXPECT_EQ(slots.Release(factory), 1u);
  EXPECT_EQ(slots.Release(factory), 0u);
  EXPECT_EQ(CanUnloadNow(), S_FALSE) << "the extension outlives its factory";

  const ExtensionSlots& ext = SlotsOf<ExtensionSlots>(extension);
  EXPECT_EQ(ext.AddRef(extension), 2u);
  struct Query {
    const IID* iid;
    HRESULT result;
  } queries[] = {{&IID_IShellPropSheetExt, S_OK}, {&IID_IUnknown, E_NOINTERFACE}, {&IID_IShellExtInit, E_NOINTERFACE}};
  for (const Query& q : queries) {
    void* out = this;
    EXPECT_EQ(ext.QueryInterface(extension, q.iid, &out), q.result);
    EXPECT_EQ(out, q.result == S_OK ? extension : nullptr);
    if (out) ext.Release(out);
  }
  EXPECT_EQ(ext.Release(extension), 1u);
  EXPECT_EQ(ext.Release(extension), 0u);
  EXPECT_EQ(CanUnloadNow(), S_OK);
}

using AddPagesTest = ClrcplTest;

TEST_F(AddPagesTest, CreatesTheColourPageFromTheResourceModule) {
  void* extension = NewExtension();
  ASSERT_NE(extension, nullptr);
  ASSERT_EQ(SlotsOf<ExtensionSlots>(extension).AddPages(extension, AcceptPage, 5), S_OK);
  EXPECT_EQ(AcceptedPages(), 1);
  ASSERT_EQ(StubPages().size(), 1u);
  const PROPSHEETPAGEA& page = StubPages()[0]->page;
  EXPECT_EQ(page.dwSize, 40u);
  EXPECT_EQ(page.dwFlags, static_cast<DWORD>(PSP_USECALLBACK | PSP_USEICONID));
  EXPECT_EQ(page.hInstance, GetModuleHandleA("M_COLOR.DLL"));
  EXPECT_EQ(page.pszTemplate, MAKEINTRESOURCEA(200));
  EXPECT_EQ(page.pszIcon, MAKEINTRESOURCEA(100));
  ASSERT_NE(page.pfnCallback, nullptr);
  ASSERT_NE(page.pfnDlgProc, nullptr);
  EXPECT_EQ(page.pfnCallback(nullptr, PSPCB_CREATE, &StubPages()[0]->page), TRUE);

  SlotsOf<ExtensionSlots>(extension).Release(extension);
  EXPECT_EQ(CanUnloadNow(), S_FALSE) << "the page is alive until the sheet releases it";
  ReleaseStubPage(StubPages()[0]);
  EXPECT_EQ(CanUnloadNow(), S_OK);
  EXPECT_TRUE(host::user::MessageBoxes().empty());
}

TEST_F(AddPagesTest, FailuresLeaveNoPageBehind) {
  struct Case {
    const char* what;
    bool driverMissing;
    bool creationFails;
    LPFNADDPROPSHEETPAGE addPage;
    HRESULT result;
    size_t pagesMade;
  } cases[] = {
      {"a driver of another family", true, false, AcceptPage, E_FAIL, 0},
      {"the page cannot be made", false, true, AcceptPage, E_OUTOFMEMORY, 0},
      {"the sheet refuses the page", false, false, RefusePage, E_FAIL, 1},
      {"no add-page callback", false, false, nullptr, E_FAIL, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ResetStubPages();
    host::adapter::Faults faults;
    faults.noEscape = c.driverMissing;
    host::adapter::SetFaults(faults);
    FailPageCreation(c.creationFails);
    void* extension = NewExtension();
    ASSERT_NE(extension, nullptr);
    EXPECT_EQ(SlotsOf<ExtensionSlots>(extension).AddPages(extension, c.addPage, 0), c.result);
    ASSERT_EQ(StubPages().size(), c.pagesMade);
    for (StubPage* page : StubPages()) EXPECT_TRUE(page->destroyed) << "the refused page is destroyed";
    SlotsOf<ExtensionSlots>(extension).Release(extension);
    EXPECT_EQ(CanUnloadNow(), S_OK) << "no page object is left";
    host::adapter::ClearFaults();
  }
  EXPECT_EQ(AcceptedPages(), 0);
  EXPECT_TRUE(host::user::MessageBoxes().empty()) << "no message for these failures";
}

// A station whose module folder holds CLRCPL.DLL but not its resource module.
class WithoutResourceModule : public ClrcplTest {
 protected:
  void SetUp() override {
    const char* built = std::getenv("OVX_MODULE_DIR");
    ASSERT_NE(built, nullptr);
    std::filesystem::create_directories(modules_.path() + "/m");
    std::filesystem::create_symlink(std::string(built) + "/CLRCPL.DLL", modules_.path() + "/m/CLRCPL.DLL");
    config_.moduleDir = modules_.path() + "/m";
    ClrcplTest::SetUp();
  }
  host::testing::TempFolder modules_;
};

TEST_F(WithoutResourceModule, AddPagesSaysSoAndAddsNoPage) {
  void* extension = NewExtension();
  ASSERT_NE(extension, nullptr);
  host::user::ScriptAnswerMessageBox(IDOK);
  EXPECT_EQ(SlotsOf<ExtensionSlots>(extension).AddPages(extension, AcceptPage, 0), S_OK);
  EXPECT_TRUE(StubPages().empty());
  std::vector<host::user::MessageBoxRecord> boxes = host::user::MessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  const host::user::MessageBoxRecord& box = boxes[0];
  EXPECT_EQ(box.owner, nullptr);
  EXPECT_EQ(box.text, "Unable to load M_COLOR.DLL!");
  EXPECT_EQ(box.caption, "Debug");
  EXPECT_EQ(box.type, static_cast<UINT>(MB_ICONWARNING));
  SlotsOf<ExtensionSlots>(extension).Release(extension);
  EXPECT_EQ(CanUnloadNow(), S_OK);
}

}  // namespace
}  // namespace clrcpl_test
