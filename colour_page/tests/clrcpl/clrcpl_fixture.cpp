#include "clrcpl_fixture.h"

#include <commctrl.h>
#include <host/station.h>
#include <host/user.h>

namespace clrcpl_test {
namespace {

int acceptedPages;

template <class Function>
void Bind(HMODULE module, const char* name, Function& function) {
  function = reinterpret_cast<Function>(GetProcAddress(module, name));
  ASSERT_NE(function, nullptr) << name;
}

}  // namespace

void ClrcplTest::SetUp() {
  StationTest::SetUp();
  ResetStubPages();
  acceptedPages = 0;
  InitCommonControls();
  ASSERT_TRUE(host::InstallModule("CLRCPL.DLL", "C:\\WINDOWS\\SYSTEM"));
  module_ = LoadLibraryA(kModulePath);
  ASSERT_NE(module_, nullptr);
  Bind(module_, "DllGetClassObject", getClassObject_);
  Bind(module_, "DllCanUnloadNow", canUnloadNow_);
  Bind(module_, "DllRegisterServer", registerServer_);
  Bind(module_, "DllUnregisterServer", unregisterServer_);
}

void ClrcplTest::TearDown() {
  for (StubPage* page : StubPages()) ReleaseStubPage(page);
  if (module_) FreeLibrary(module_);
  StationTest::TearDown();
}

void* ClrcplTest::NewExtension() {
  void* factory = nullptr;
  EXPECT_EQ(GetClassObject(kColourPageClass, IID_IClassFactory, &factory), S_OK);
  if (!factory) return nullptr;
  void* extension = nullptr;
  EXPECT_EQ(SlotsOf<FactorySlots>(factory).CreateInstance(factory, nullptr, &IID_IShellPropSheetExt, &extension), S_OK);
  SlotsOf<FactorySlots>(factory).Release(factory);
  return extension;
}

StoredText ReadValue(HKEY root, const std::string& key, const char* value) {
  HKEY opened = nullptr;
  if (RegOpenKeyA(root, key.c_str(), &opened) != ERROR_SUCCESS) return {false, 0, ""};
  char data[600];
  DWORD type = 0, size = sizeof(data);
  LONG error = RegQueryValueExA(opened, value, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
  RegCloseKey(opened);
  if (error != ERROR_SUCCESS) return {false, 0, ""};
  return {true, type, std::string(data, size)};
}

bool KeyExists(HKEY root, const std::string& key) {
  HKEY opened = nullptr;
  if (RegOpenKeyA(root, key.c_str(), &opened) != ERROR_SUCCESS) return false;
  RegCloseKey(opened);
  return true;
}

BOOL CALLBACK AcceptPage(HPROPSHEETPAGE, LPARAM) {
  ++acceptedPages;
  return TRUE;
}
BOOL CALLBACK RefusePage(HPROPSHEETPAGE, LPARAM) { return FALSE; }
int AcceptedPages() { return acceptedPages; }

}  // namespace clrcpl_test
