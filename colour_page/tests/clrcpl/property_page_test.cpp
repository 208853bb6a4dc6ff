// The property-page base class on its own: a page whose operations refuse,
// to see the sheet's answers the Colour page never gives, and the page's
// life through the sheet's callback.
#include "property_page.h"

#include <host/user.h>

#include "clrcpl_fixture.h"

namespace clrcpl_test {
namespace {

int destroyedPages;

class RefusingPage : public clrcpl::PropertyPage {
 public:
  explicit RefusingPage(HINSTANCE resources) : PropertyPage(resources, 200, 100) {}
  ~RefusingPage() override { ++destroyedPages; }
  BOOL OnApply() override { return refuseApply ? FALSE : PropertyPage::OnApply(); }
  void ApplyHook() override { ++applyHooks; }
  void ResetHook() override { ++resetHooks; }
  BOOL OnSetActive() override { return FALSE; }
  BOOL OnKillActive() override { return FALSE; }
  BOOL OnQueryCancel() override { return FALSE; }
  bool refuseApply = true;
  int applyHooks = 0;
  int resetHooks = 0;
};

class PropertyPageTest : public ClrcplTest {
 protected:
  void SetUp() override {
    ClrcplTest::SetUp();
    destroyedPages = 0;
    resources_ = LoadLibraryA("M_COLOR.DLL");
    ASSERT_NE(resources_, nullptr);
    sheet_ = CreateWindowExA(0, "Static", "sheet", WS_OVERLAPPED, 0, 0, 400, 400, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(sheet_, nullptr);
  }
  void TearDown() override {
    DestroyWindow(sheet_);
    FreeLibrary(resources_);
    ClrcplTest::TearDown();
  }
  HMODULE resources_ = nullptr;
  HWND sheet_ = nullptr;
};

TEST_F(PropertyPageTest, RefusalsBecomeTheSheetsAnswers) {
  RefusingPage* page = new RefusingPage(resources_);
  PROPSHEETPAGEA sheetPage = page->SheetPage();
  HWND dialog = CreateDialogParamA(resources_, sheetPage.pszTemplate, sheet_, sheetPage.pfnDlgProc,
                                   reinterpret_cast<LPARAM>(&sheetPage));
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(page->Window(), dialog);
  struct Case {
    UINT code;
    LRESULT result;
  } cases[] = {
      {PSN_SETACTIVE, -1},      // stay away from the page
      {PSN_KILLACTIVE, TRUE},   // keep the page
      {PSN_QUERYCANCEL, TRUE},  // do not cancel
      {PSN_APPLY, PSNRET_INVALID_NOCHANGEPAGE},
      {PSN_RESET, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    NMHDR header = {dialog, 0, c.code};
    EXPECT_EQ(sheetPage.pfnDlgProc(dialog, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&header)), TRUE);
    EXPECT_EQ(GetWindowLongA(dialog, DWL_MSGRESULT), c.result);
  }
  EXPECT_EQ(page->applyHooks, 0);
  EXPECT_EQ(page->resetHooks, 1) << "the base OnReset calls the reset hook";
  page->refuseApply = false;
  NMHDR apply = {dialog, 0, PSN_APPLY};
  sheetPage.pfnDlgProc(dialog, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&apply));
  EXPECT_EQ(GetWindowLongA(dialog, DWL_MSGRESULT), PSNRET_NOERROR);
  EXPECT_EQ(page->applyHooks, 1) << "the base OnApply calls the apply hook";
  DestroyWindow(dialog);

  EXPECT_EQ(sheetPage.pfnCallback(nullptr, PSPCB_CREATE, &sheetPage), TRUE);
  EXPECT_EQ(destroyedPages, 0);
  EXPECT_EQ(sheetPage.pfnCallback(nullptr, PSPCB_RELEASE, &sheetPage), FALSE);
  EXPECT_EQ(destroyedPages, 1) << "the release deletes the page object";
  EXPECT_EQ(clrcpl::LiveObjects(), 0);
}

TEST_F(PropertyPageTest, AnInitialisationWithoutAPageIsRefused) {
  PROPSHEETPAGEA empty = RefusingPage(resources_).SheetPage();
  empty.lParam = 0;
  HWND dialog =
      CreateDialogParamA(resources_, empty.pszTemplate, sheet_, empty.pfnDlgProc, reinterpret_cast<LPARAM>(&empty));
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(GetWindowLongA(dialog, DWL_USER), 0);
  NMHDR header = {dialog, 0, PSN_APPLY};
  EXPECT_EQ(empty.pfnDlgProc(dialog, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&header)), FALSE) << "no page to ask";
  DestroyWindow(dialog);
}

}  // namespace
}  // namespace clrcpl_test
