// The property sheet's page calls as the tests need them: CreatePropertySheetPageA
// keeps a copy of the page, DestroyPropertySheetPage releases it through its
// callback as the sheet does. CLRCPL.DLL finds them in the test program.
#pragma once

#include <prsht.h>
#include <windows.h>

#include <vector>

namespace clrcpl_test {

struct StubPage {
  PROPSHEETPAGEA page;
  bool destroyed;
};

void ResetStubPages();
void FailPageCreation(bool fail);
std::vector<StubPage*> StubPages();
// What the sheet does when it closes: PSPCB_RELEASE for a page with a callback.
void ReleaseStubPage(StubPage* page);

}  // namespace clrcpl_test
