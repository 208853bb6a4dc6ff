#include "property_sheet_stub.h"

#include <memory>

namespace clrcpl_test {
namespace {

std::vector<std::unique_ptr<StubPage>> pages;
bool failCreation;

}  // namespace

void ResetStubPages() {
  pages.clear();
  failCreation = false;
}

void FailPageCreation(bool fail) { failCreation = fail; }

std::vector<StubPage*> StubPages() {
  std::vector<StubPage*> list;
  for (auto& page : pages) list.push_back(page.get());
  return list;
}

void ReleaseStubPage(StubPage* page) {
  if (page->destroyed) return;
  page->destroyed = true;
  if ((page->page.dwFlags & PSP_USECALLBACK) && page->page.pfnCallback)
    page->page.pfnCallback(nullptr, PSPCB_RELEASE, &page->page);
}

}  // namespace clrcpl_test

using clrcpl_test::StubPage;

extern "C" HPROPSHEETPAGE WINAPI CreatePropertySheetPageA(LPCPROPSHEETPAGEA page) {
  if (clrcpl_test::failCreation || !page || page->dwSize < sizeof(PROPSHEETPAGEA)) return nullptr;
  clrcpl_test::pages.push_back(std::make_unique<StubPage>(StubPage{*page, false}));
  return reinterpret_cast<HPROPSHEETPAGE>(clrcpl_test::pages.back().get());
}

extern "C" BOOL WINAPI DestroyPropertySheetPage(HPROPSHEETPAGE handle) {
  for (auto& page : clrcpl_test::pages)
    if (reinterpret_cast<HPROPSHEETPAGE>(page.get()) == handle) {
      clrcpl_test::ReleaseStubPage(page.get());
      return TRUE;
    }
  return FALSE;
}
