// Property sheets: page records and their callbacks, the sheet's tabs and
// buttons, and the notifications pages receive, compared as message tables.
#include <host/gdi.h>
#include <host_testing/tab_titles.h>
#include <prsht.h>

#include <cstring>
#include <functional>
#include <memory>

#include "comctl_test_support.h"

namespace host::comctl::testing {
namespace {

using host::user::Script;

// A page of a test: its template, what it answers (DWL_MSGRESULT by PSN code) and its window.
struct TestPage {
  std::string name;
  std::vector<WORD> tmpl;
  std::map<UINT, LRESULT> answers;
  bool acceptCreate = true;
  HWND hwnd = nullptr;
  const PROPSHEETPAGEA* seenRecord = nullptr;  // what PSPCB_CREATE was given
  DWORD seenExtra = 0;                         // the DWORD after that record
};

Lines& PageLog() {
  static Lines lines;
  return lines;
}

const char* CodeName(UINT code) {
  switch (code) {
    case PSN_SETACTIVE:
      return "PSN_SETACTIVE";
    case PSN_KILLACTIVE:
      return "PSN_KILLACTIVE";
    case PSN_APPLY:
      return "PSN_APPLY";
    case PSN_RESET:
      return "PSN_RESET";
    case PSN_HELP:
      return "PSN_HELP";
    case PSN_QUERYCANCEL:
      return "PSN_QUERYCANCEL";
    default:
      return "notify ?";
  }
}

// A dialog template in memory: caption, MS Sans Serif 8, one static control (so items are walked).
std::vector<WORD> PageTemplate(const std::string& caption, short cx, short cy) {
  DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE | DS_SETFONT;
  std::vector<WORD> w = {LOWORD(style),         HIWORD(style),         0, 0, 1, 0, 0,
                         static_cast<WORD>(cx), static_cast<WORD>(cy), 0, 0};
  auto text = [&](const std::string& s) {
    for (char c : s) w.push_back(static_cast<BYTE>(c));
    w.push_back(0);
  };
  text(caption);
  w.push_back(8);
  text("MS Sans Serif");
  if (w.size() % 2) w.push_back(0);
  DWORD item = WS_CHILD | WS_VISIBLE;
  w.insert(w.end(), {LOWORD(item), HIWORD(item), 0, 0, 7, 7, 80, 10, 1001, 0xFFFF, 0x0082});
  text(caption + " text");
  w.push_back(0);
  return w;
}

INT_PTR CALLBACK PageProc(HWND hwnd, UINT msg, WPARAM, LPARAM lParam) {
  if (msg == WM_INITDIALOG) {
    auto* page = reinterpret_cast<TestPage*>(reinterpret_cast<PROPSHEETPAGEA*>(lParam)->lParam);
    SetWindowLongA(hwnd, DWL_USER, reinterpret_cast<LONG>(page));
    page->hwnd = hwnd;
    PageLog().push_back(page->name + " WM_INITDIALOG");
    return TRUE;
  }
  auto* page = reinterpret_cast<TestPage*>(GetWindowLongA(hwnd, DWL_USER));
  if (!page || msg != WM_NOTIFY) return FALSE;
  auto* notify = reinterpret_cast<PSHNOTIFY*>(lParam);
  std::string line = page->name + " " + CodeName(notify->hdr.code);
  if (notify->hdr.hwndFrom != GetParent(hwnd)) line += " (not from the sheet)";
  if (notify->hdr.code == PSN_APPLY && notify->lParam) line += " ok";
  PageLog().push_back(line);
  auto found = page->answers.find(notify->hdr.code);
  SetWindowLongA(hwnd, DWL_MSGRESULT, found == page->answers.end() ? 0 : found->second);
  return TRUE;
}

UINT CALLBACK PageCallback(HWND, UINT msg, PROPSHEETPAGEA* record) {
  auto* page = reinterpret_cast<TestPage*>(record->lParam);
  PageLog().push_back(page->name + (msg == PSPCB_CREATE ? " PSPCB_CREATE" : " PSPCB_RELEASE"));
  if (msg != PSPCB_CREATE) return 0;
  page->seenRecord = record;
  if (record->dwSize > sizeof(PROPSHEETPAGEA)) std::memcpy(&page->seenExtra, record + 1, sizeof(DWORD));
  return page->acceptCreate;
}

class PropSheetTest : public ComctlTest {
 protected:
  void SetUp() override {
    ComctlTest::SetUp();
    PageLog().clear();
  }
  TestPage& AddPage(const std::string& name, const std::string& caption) {
    pages_.push_back(std::make_unique<TestPage>());
    TestPage& page = *pages_.back();
    page.name = name;
    page.tmpl = PageTemplate(caption, 150, 80);
    return page;
  }
  static PROPSHEETPAGEA Record(TestPage& page, DWORD flags = 0, const char* title = nullptr) {
    PROPSHEETPAGEA record{};
    record.dwSize = sizeof record;
    record.dwFlags = PSP_DLGINDIRECT | PSP_USECALLBACK | flags;
    record.pResource = reinterpret_cast<LPCDLGTEMPLATEA>(page.tmpl.data());
    record.pszTitle = title;
    record.pfnDlgProc = PageProc;
    record.lParam = reinterpret_cast<LPARAM>(&page);
    record.pfnCallback = PageCallback;
    return record;
  }
  // Pages A ("Alpha", titled "First"), B ("Beta") and C ("Gamma").
  std::vector<HPROPSHEETPAGE> ThreePages(DWORD flagsOfA = 0) {
    PROPSHEETPAGEA a = Record(AddPage("A", "Alpha"), PSP_USETITLE | flagsOfA, "First");
    PROPSHEETPAGEA b = Record(AddPage("B", "Beta"));
    PROPSHEETPAGEA c = Record(AddPage("C", "Gamma"));
    std::vector<HPROPSHEETPAGE> handles = {CreatePropertySheetPageA(&a), CreatePropertySheetPageA(&b),
                                           CreatePropertySheetPageA(&c)};
    PageLog().clear();
    return handles;
  }
  PROPSHEETHEADERA Header(std::vector<HPROPSHEETPAGE>& handles, DWORD flags) {
    PROPSHEETHEADERA header{};
    header.dwSize = sizeof header;
    header.dwFlags = flags;
    header.hwndParent = parent();
    header.pszCaption = "Sheet";
    header.nPages = static_cast<UINT>(handles.size());
    header.phpage = handles.data();
    return header;
  }
  HWND Modeless(std::vector<HPROPSHEETPAGE> handles, DWORD flags = 0) {
    PROPSHEETHEADERA header = Header(handles, flags | PSH_MODELESS);
    auto sheet = reinterpret_cast<HWND>(PropertySheetA(&header));
    host::user::PumpMessages();
    return sheet;
  }
  TestPage& page(size_t index) { return *pages_[index]; }
  size_t page_count() const { return pages_.size(); }
  static Lines TakePageLog() {
    Lines lines = PageLog();
    PageLog().clear();
    return lines;
  }
  static int Current(HWND sheet) { return TabCtrl_GetCurSel(PropSheet_GetTabControl(sheet)); }
  void ClickTab(HWND sheet, int index) {
    HWND tab = PropSheet_GetTabControl(sheet);
    RECT item;
    ASSERT_TRUE(TabCtrl_GetItemRect(tab, index, &item));
    ClickAt(tab, (item.left + item.right) / 2, (item.top + item.bottom) / 2);
  }
  static void ClickButton(HWND sheet, int id) {
    RECT r;
    GetWindowRect(GetDlgItem(sheet, id), &r);
    host::user::Click((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  }
  // The sheet a modal test's page lives in (known once a page was made).
  HWND SheetOf(size_t index) { return GetParent(page(index).hwnd); }

 private:
  std::vector<std::unique_ptr<TestPage>> pages_;
};

TEST_F(PropSheetTest, PageRecordIsCheckedAndCopiedWithTheBytesItsSizeNames) {
  struct Extended {
    PROPSHEETPAGEA record;
    DWORD extra;
  };
  struct Case {
    DWORD size;
    bool made;
  } cases[] = {{0, false},
               {sizeof(PROPSHEETPAGEA) - 1, false},
               {sizeof(PROPSHEETPAGEA), true},
               {sizeof(Extended), true},
               {0x10001, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.size);
    TestPage& page = AddPage("A", "Alpha");
    Extended ext{Record(page), 0xABCD1234};
    ext.record.dwSize = c.size;
    PageLog().clear();
    HPROPSHEETPAGE handle = CreatePropertySheetPageA(&ext.record);
    EXPECT_EQ(handle != nullptr, c.made);
    if (!handle) {
      EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
      EXPECT_EQ(TakePageLog(), Lines{}) << "a refused record is never called back";
      continue;
    }
    EXPECT_NE(page.seenRecord, &ext.record) << "the callback gets the page's copy";
    EXPECT_EQ(page.seenExtra, c.size == sizeof(Extended) ? 0xABCD1234u : 0u);
    EXPECT_TRUE(DestroyPropertySheetPage(handle));
  }
  EXPECT_EQ(CreatePropertySheetPageA(nullptr), nullptr);
}

TEST_F(PropSheetTest, CreateCallbackMayRefuseAndDestroyingReleasesOnce) {
  TestPage& refused = AddPage("R", "Refused");
  refused.acceptCreate = false;
  PROPSHEETPAGEA record = Record(refused);
  EXPECT_EQ(CreatePropertySheetPageA(&record), nullptr);
  EXPECT_EQ(TakePageLog(), Lines{"R PSPCB_CREATE"}) << "a refused page is not released";

  record = Record(AddPage("A", "Alpha"));
  HPROPSHEETPAGE handle = CreatePropertySheetPageA(&record);
  ASSERT_NE(handle, nullptr);
  EXPECT_TRUE(DestroyPropertySheetPage(handle));
  EXPECT_FALSE(DestroyPropertySheetPage(handle)) << "a destroyed page's handle is refused";
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_FALSE(DestroyPropertySheetPage(nullptr));
  EXPECT_EQ(TakePageLog(), (Lines{"A PSPCB_CREATE", "A PSPCB_RELEASE"}));

  record.dwFlags &= ~PSP_USECALLBACK;
  handle = CreatePropertySheetPageA(&record);
  EXPECT_TRUE(DestroyPropertySheetPage(handle));
  EXPECT_EQ(TakePageLog(), Lines{}) << "no callback without PSP_USECALLBACK";
}

TEST_F(PropSheetTest, SheetHasATabPerPageAndMakesAPageWhenFirstShown) {
  HWND sheet = Modeless(ThreePages());
  ASSERT_TRUE(IsWindow(sheet));
  char text[64];
  GetClassNameA(sheet, text, sizeof text);
  EXPECT_STREQ(text, "#32770");
  GetWindowTextA(sheet, text, sizeof text);
  EXPECT_STREQ(text, "Sheet");
  HWND tab = PropSheet_GetTabControl(sheet);
  ASSERT_EQ(TabCtrl_GetItemCount(tab), 3);
  const char* titles[] = {"First", "Beta", "Gamma"};  // PSP_USETITLE, else the template's caption
  for (int i = 0; i < 3; ++i) {
    TC_ITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    ASSERT_TRUE(TabCtrl_GetItem(tab, i, &item));
    EXPECT_STREQ(text, titles[i]);
  }
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(sheet, IDOK)));
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(sheet, IDCANCEL)));
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(sheet, 0x3021))) << "Apply waits for PSM_CHANGED";
  EXPECT_EQ(GetDlgItem(sheet, IDHELP), nullptr) << "no page has help";
  EXPECT_EQ(GetFocus(), tab) << "the page has no tab stop";
  EXPECT_EQ(TakePageLog(), (Lines{"A WM_INITDIALOG", "A PSN_SETACTIVE"}));

  HWND a = PropSheet_GetCurrentPageHwnd(sheet);
  EXPECT_EQ(a, page(0).hwnd);
  EXPECT_EQ(GetParent(a), sheet);
  EXPECT_TRUE(GetWindowLongA(a, GWL_STYLE) & WS_CHILD);
  EXPECT_TRUE(IsWindowVisible(a));
  GetWindowTextA(a, text, sizeof text);
  EXPECT_STREQ(text, "First") << "a page's text is its tab title";

  EXPECT_TRUE(PropSheet_SetCurSel(sheet, nullptr, 2));
  EXPECT_EQ(TakePageLog(), (Lines{"A PSN_KILLACTIVE", "C WM_INITDIALOG", "C PSN_SETACTIVE"}));
  EXPECT_FALSE(IsWindowVisible(a));
  EXPECT_EQ(PropSheet_GetCurrentPageHwnd(sheet), page(2).hwnd);
  EXPECT_EQ(page(1).hwnd, nullptr) << "a page never shown is never made";

  DestroyWindow(sheet);
  EXPECT_EQ(TakePageLog(), (Lines{"A PSPCB_RELEASE", "B PSPCB_RELEASE", "C PSPCB_RELEASE"}));
}

TEST_F(PropSheetTest, TabClicksAskTheOldPageThenTheNew) {
  struct Case {
    const char* name;
    LRESULT killA, activateB;
    Lines log;
    int current;
  } cases[] = {
      {"accepted", 0, 0, {"A PSN_KILLACTIVE", "B WM_INITDIALOG", "B PSN_SETACTIVE"}, 1},
      {"A keeps the focus", TRUE, 0, {"A PSN_KILLACTIVE"}, 0},
      {"B refuses: the next page",
       0,
       -1,
       {"A PSN_KILLACTIVE", "B WM_INITDIALOG", "B PSN_SETACTIVE", "C WM_INITDIALOG", "C PSN_SETACTIVE"},
       2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    HWND sheet = Modeless(ThreePages());
    page(page_count() - 3).answers[PSN_KILLACTIVE] = c.killA;
    page(page_count() - 2).answers[PSN_SETACTIVE] = c.activateB;
    TakePageLog();
    ClickTab(sheet, 1);
    EXPECT_EQ(TakePageLog(), c.log);
    EXPECT_EQ(Current(sheet), c.current);
    EXPECT_EQ(PropSheet_GetCurrentPageHwnd(sheet), page(page_count() - 3 + c.current).hwnd);
    DestroyWindow(sheet);
  }
}

TEST_F(PropSheetTest, SetCurSelWorksPostedAndByHandle) {
  std::vector<HPROPSHEETPAGE> handles = ThreePages();
  HWND sheet = Modeless(handles);
  TakePageLog();
  PostMessageA(sheet, PSM_SETCURSEL, 1, 0);
  host::user::PumpMessages();
  EXPECT_EQ(Current(sheet), 1);
  EXPECT_TRUE(PropSheet_SetCurSel(sheet, handles[2], 0)) << "the handle wins over the index";
  EXPECT_EQ(Current(sheet), 2);
  EXPECT_FALSE(PropSheet_SetCurSel(sheet, nullptr, 7));
  EXPECT_EQ(Current(sheet), 2);
  EXPECT_EQ(TakePageLog(), (Lines{"A PSN_KILLACTIVE", "B WM_INITDIALOG", "B PSN_SETACTIVE", "B PSN_KILLACTIVE",
                                  "C WM_INITDIALOG", "C PSN_SETACTIVE"}));
  DestroyWindow(sheet);
}

TEST_F(PropSheetTest, ApplyIsEnabledWhileAnyPageIsChangedAndAppliesEveryMadePage) {
  HWND sheet = Modeless(ThreePages());
  PropSheet_SetCurSel(sheet, nullptr, 1);
  HWND apply = GetDlgItem(sheet, 0x3021);
  HWND a = page(0).hwnd, b = page(1).hwnd;
  PropSheet_Changed(sheet, a);
  EXPECT_TRUE(IsWindowEnabled(apply));
  PropSheet_Changed(sheet, b);
  PropSheet_UnChanged(sheet, a);
  EXPECT_TRUE(IsWindowEnabled(apply)) << "B is still changed";
  PropSheet_UnChanged(sheet, b);
  EXPECT_FALSE(IsWindowEnabled(apply));

  PropSheet_Changed(sheet, a);
  TakePageLog();
  ClickButton(sheet, 0x3021);
  host::user::PumpMessages();
  EXPECT_EQ(TakePageLog(), (Lines{"B PSN_KILLACTIVE", "A PSN_APPLY", "B PSN_APPLY", "B PSN_SETACTIVE"}))
      << "C was never made; B is active again";
  EXPECT_FALSE(IsWindowEnabled(apply));
  EXPECT_TRUE(IsWindowVisible(sheet)) << "Apply keeps the sheet";
  DestroyWindow(sheet);
}

TEST_F(PropSheetTest, ApplyRefusalKeepsTheSheetOnAPage) {
  struct Case {
    LRESULT answerOfB;
    bool applied;
    int current;  // while A is shown and B refuses
  } cases[] = {{PSNRET_NOERROR, true, 0}, {PSNRET_INVALID_NOCHANGEPAGE, false, 0}, {PSNRET_INVALID, false, 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.answerOfB);
    HWND sheet = Modeless(ThreePages());
    PropSheet_SetCurSel(sheet, nullptr, 1);
    PropSheet_SetCurSel(sheet, nullptr, 0);
    page(page_count() - 2).answers[PSN_APPLY] = c.answerOfB;
    PropSheet_Changed(sheet, page(page_count() - 3).hwnd);
    TakePageLog();
    EXPECT_EQ(PropSheet_Apply(sheet), c.applied);
    Lines expected = {"A PSN_KILLACTIVE", "A PSN_APPLY", "B PSN_APPLY"};
    if (c.applied) expected.push_back("A PSN_SETACTIVE");
    if (c.current == 1) expected.push_back("B PSN_SETACTIVE");
    EXPECT_EQ(TakePageLog(), expected);
    EXPECT_EQ(Current(sheet), c.current);
    EXPECT_EQ(IsWindowEnabled(GetDlgItem(sheet, 0x3021)) != FALSE, !c.applied) << "a refusal keeps the change";
    DestroyWindow(sheet);
  }
}

TEST_F(PropSheetTest, ModalSheetStaysOpenOnARefusedApplyUntilALaterOneSucceeds) {
  std::vector<HPROPSHEETPAGE> handles = ThreePages();
  page(0).answers[PSN_APPLY] = PSNRET_INVALID_NOCHANGEPAGE;
  Script("change A", [&] {
    EXPECT_FALSE(IsWindowEnabled(parent())) << "the owner is disabled while the sheet runs";
    PropSheet_Changed(SheetOf(0), page(0).hwnd);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(SheetOf(0), 0x3021)));
  });
  Script("OK", [&] { ClickButton(SheetOf(0), IDOK); });
  Script("A accepts now", [&] {
    EXPECT_TRUE(IsWindowVisible(SheetOf(0))) << "the refusal keeps the sheet";
    page(0).answers[PSN_APPLY] = PSNRET_NOERROR;
  });
  host::user::ScriptKey(VK_RETURN);  // OK is the default button
  PROPSHEETHEADERA header = Header(handles, 0);
  EXPECT_EQ(PropertySheetA(&header), 1);
  EXPECT_TRUE(IsWindowEnabled(parent()));
  EXPECT_EQ(TakePageLog(),
            (Lines{"A WM_INITDIALOG", "A PSN_SETACTIVE", "A PSN_KILLACTIVE", "A PSN_APPLY ok", "A PSN_KILLACTIVE",
                   "A PSN_APPLY ok", "A PSPCB_RELEASE", "B PSPCB_RELEASE", "C PSPCB_RELEASE"}));
}

TEST_F(PropSheetTest, CancelAsksTheCurrentPageThenResetsEveryMadePage) {
  std::vector<HPROPSHEETPAGE> handles = ThreePages();
  page(1).answers[PSN_QUERYCANCEL] = TRUE;
  Script("to B", [&] { PropSheet_SetCurSel(SheetOf(0), nullptr, 1); });
  host::user::ScriptKey(VK_ESCAPE);
  Script("B lets it go", [&] { page(1).answers[PSN_QUERYCANCEL] = FALSE; });
  Script("Cancel", [&] { ClickButton(SheetOf(0), IDCANCEL); });
  PROPSHEETHEADERA header = Header(handles, 0);
  EXPECT_EQ(PropertySheetA(&header), 0);
  EXPECT_EQ(TakePageLog(), (Lines{"A WM_INITDIALOG", "A PSN_SETACTIVE", "A PSN_KILLACTIVE", "B WM_INITDIALOG",
                                  "B PSN_SETACTIVE", "B PSN_QUERYCANCEL", "B PSN_QUERYCANCEL", "A PSN_RESET",
                                  "B PSN_RESET", "A PSPCB_RELEASE", "B PSPCB_RELEASE", "C PSPCB_RELEASE"}));
}

TEST_F(PropSheetTest, ResultTellsOfRestartAndReboot) {
  struct Case {
    const char* name;
    std::vector<UINT> sent;
    WPARAM button;
    INT_PTR result;
  } cases[] = {
      {"OK", {}, PSBTN_OK, 1},
      {"Cancel", {}, PSBTN_CANCEL, 0},
      {"restart", {PSM_RESTARTWINDOWS}, PSBTN_OK, ID_PSRESTARTWINDOWS},
      {"reboot", {PSM_REBOOTSYSTEM}, PSBTN_OK, ID_PSREBOOTSYSTEM},
      {"both, then Cancel", {PSM_REBOOTSYSTEM, PSM_RESTARTWINDOWS}, PSBTN_CANCEL, ID_PSREBOOTSYSTEM},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<HPROPSHEETPAGE> handles = ThreePages();
    size_t a = page_count() - 3;
    Script("ask", [&] {
      for (UINT msg : c.sent) SendMessageA(SheetOf(a), msg, 0, 0);
      PropSheet_PressButton(SheetOf(a), c.button);
    });
    PROPSHEETHEADERA header = Header(handles, 0);
    EXPECT_EQ(PropertySheetA(&header), c.result);
  }
}

TEST_F(PropSheetTest, AQuitEndingTheModalLoopIsNoRestart) {
  std::vector<HPROPSHEETPAGE> handles = ThreePages();
  Script("quit", [] { PostQuitMessage(0); });
  PROPSHEETHEADERA header = Header(handles, 0);
  EXPECT_EQ(PropertySheetA(&header), 0) << "not IDCANCEL, which is ID_PSRESTARTWINDOWS";
  MSG msg;
  EXPECT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "the quit stays for the outer loop";
}

TEST_F(PropSheetTest, ASheetOwnsItsPagesAndTakesEachOnce) {
  std::vector<HPROPSHEETPAGE> handles = ThreePages();
  handles.push_back(handles[0]);
  HWND sheet = Modeless(handles);
  EXPECT_EQ(TabCtrl_GetItemCount(PropSheet_GetTabControl(sheet)), 3) << "the repeated handle is left out";
  EXPECT_FALSE(DestroyPropertySheetPage(handles[1])) << "B is the sheet's";
  PropSheet_SetCurSel(sheet, nullptr, 1);
  TakePageLog();
  DestroyWindow(sheet);
  EXPECT_EQ(TakePageLog(), (Lines{"A PSPCB_RELEASE", "B PSPCB_RELEASE", "C PSPCB_RELEASE"}));
}

TEST_F(PropSheetTest, CancelToCloseLeavesOnlyClose) {
  HWND sheet = Modeless(ThreePages());
  PropSheet_CancelToClose(sheet);
  host::user::PumpMessages();
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(sheet, IDCANCEL)));
  char text[16];
  GetWindowTextA(GetDlgItem(sheet, IDOK), text, sizeof text);
  EXPECT_STREQ(text, "Close");
  ClickButton(sheet, IDOK);
  host::user::PumpMessages();
  EXPECT_EQ(PropSheet_GetCurrentPageHwnd(sheet), nullptr) << "a closed modeless sheet waits to be destroyed";
  EXPECT_FALSE(IsWindowVisible(sheet));
  DestroyWindow(sheet);
}

TEST_F(PropSheetTest, CtrlTabMovesBetweenPages) {
  std::vector<HPROPSHEETPAGE> handles = ThreePages();
  auto ctrlTab = [](bool shift) {
    host::user::PressKey(VK_CONTROL);
    if (shift) host::user::PressKey(VK_SHIFT);
    host::user::TypeKey(VK_TAB);
    if (shift) host::user::ReleaseKey(VK_SHIFT);
    host::user::ReleaseKey(VK_CONTROL);
  };
  Script("Ctrl+Tab", [&] { ctrlTab(false); });
  Script("B shown", [&] { EXPECT_EQ(Current(SheetOf(0)), 1); });
  Script("Ctrl+Shift+Tab", [&] { ctrlTab(true); });
  Script("A shown", [&] { EXPECT_EQ(Current(SheetOf(0)), 0); });
  Script("Ctrl+Shift+Tab wraps", [&] { ctrlTab(true); });
  Script("Cancel", [&] {
    EXPECT_EQ(Current(SheetOf(0)), 2);
    ClickButton(SheetOf(0), IDCANCEL);
  });
  PROPSHEETHEADERA header = Header(handles, 0);
  EXPECT_EQ(PropertySheetA(&header), 0);
}

TEST_F(PropSheetTest, HelpButtonComesWithPageHelpAndApplyGoesWithNoApplyNow) {
  HWND sheet = Modeless(ThreePages(PSP_HASHELP), PSH_NOAPPLYNOW);
  HWND help = GetDlgItem(sheet, IDHELP);
  ASSERT_NE(help, nullptr);
  EXPECT_EQ(GetDlgItem(sheet, 0x3021), nullptr);
  EXPECT_TRUE(IsWindowEnabled(help)) << "A has help";
  TakePageLog();
  ClickButton(sheet, IDHELP);
  host::user::PumpMessages();
  EXPECT_EQ(TakePageLog(), Lines{"A PSN_HELP"});
  PropSheet_SetCurSel(sheet, nullptr, 1);
  EXPECT_FALSE(IsWindowEnabled(help)) << "B has none";
  DestroyWindow(sheet);
}

TEST_F(PropSheetTest, PageRecordsInTheHeaderAndTheStartPage) {
  PROPSHEETPAGEA records[] = {Record(AddPage("A", "Alpha")), Record(AddPage("B", "Beta")),
                              Record(AddPage("C", "Gamma"))};
  page(1).acceptCreate = false;
  PROPSHEETHEADERA header{};
  header.dwSize = sizeof header;
  header.dwFlags = PSH_PROPSHEETPAGE | PSH_MODELESS;
  header.nPages = 3;
  header.nStartPage = 1;
  header.ppsp = records;
  auto sheet = reinterpret_cast<HWND>(PropertySheetA(&header));
  ASSERT_TRUE(IsWindow(sheet));
  EXPECT_EQ(TabCtrl_GetItemCount(PropSheet_GetTabControl(sheet)), 2) << "B refused to be made";
  DestroyWindow(sheet);
  EXPECT_EQ(TakePageLog(), (Lines{"A PSPCB_CREATE", "B PSPCB_CREATE", "C PSPCB_CREATE", "C WM_INITDIALOG",
                                  "C PSN_SETACTIVE", "A PSPCB_RELEASE", "C PSPCB_RELEASE"}));
}

TEST_F(PropSheetTest, BadHeadersAreRefused) {
  EXPECT_EQ(PropertySheetA(nullptr), -1);
  std::vector<HPROPSHEETPAGE> none;
  PROPSHEETHEADERA header = Header(none, 0);
  EXPECT_EQ(PropertySheetA(&header), -1) << "no pages";
  header.dwSize = 12;
  EXPECT_EQ(PropertySheetA(&header), -1);

  PROPSHEETPAGEA record = Record(AddPage("M", "Missing"));
  record.dwFlags &= ~PSP_DLGINDIRECT;
  record.hInstance = nullptr;
  record.pszTemplate = MAKEINTRESOURCEA(999);
  std::vector<HPROPSHEETPAGE> missing = {CreatePropertySheetPageA(&record)};
  header = Header(missing, 0);
  EXPECT_EQ(PropertySheetA(&header), -1) << "no page has a template";
  EXPECT_EQ(TakePageLog(), (Lines{"M PSPCB_CREATE", "M PSPCB_RELEASE"})) << "the sheet took the page and let it go";
  EXPECT_TRUE(IsWindowEnabled(parent()));
}

// Screen pixels of `colour` inside `area`, in client coordinates of `hwnd`.
int CountColour(HWND hwnd, RECT area, COLORREF colour) {
  MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&area), 2);
  int n = 0;
  for (COLORREF pixel : host::gdi::ScreenPixels(area)) n += pixel == colour;
  return n;
}

TEST_F(PropSheetTest, SheetPaintsItsTabsAndButtons) {
  HWND sheet = Modeless(ThreePages());
  UpdateWindow(sheet);
  host::user::PumpMessages();
  host::gdi::SaveScreenshot(root() + "/propsheet.png");
  COLORREF textColour = GetSysColor(COLOR_BTNTEXT), face = GetSysColor(COLOR_BTNFACE);
  HWND tab = PropSheet_GetTabControl(sheet);
  RECT first;
  TabCtrl_GetItemRect(tab, 0, &first);
  EXPECT_GT(CountColour(tab, first, textColour), 10) << "the first tab's title";
  EXPECT_GT(CountColour(tab, first, face), 10);
  for (int id : {IDOK, IDCANCEL}) {
    RECT client;
    GetClientRect(GetDlgItem(sheet, id), &client);
    EXPECT_GT(CountColour(GetDlgItem(sheet, id), client, textColour), 10) << id;
    EXPECT_GT(CountColour(GetDlgItem(sheet, id), client, face), 100) << id;
  }
  RECT applyRect;
  HWND apply = GetDlgItem(sheet, 0x3021);
  GetClientRect(apply, &applyRect);
  InflateRect(&applyRect, -3, -3);
  EXPECT_EQ(CountColour(apply, applyRect, textColour), 0) << "a disabled Apply is greyed";
  EXPECT_GT(CountColour(apply, applyRect, GetSysColor(COLOR_GRAYTEXT)), 5);
  RECT pageText{0, 0, 60, 20};
  MapWindowPoints(GetDlgItem(page(0).hwnd, 1001), page(0).hwnd, reinterpret_cast<POINT*>(&pageText), 2);
  EXPECT_GT(CountColour(page(0).hwnd, pageText, textColour), 10) << "the page's own control";
  DestroyWindow(sheet);
}

int TabImage(HWND tab, int index) {
  TC_ITEMA item{};
  item.mask = TCIF_IMAGE;
  item.iImage = -7;
  TabCtrl_GetItem(tab, index, &item);
  return item.iImage;
}

TEST_F(PropSheetTest, APageIconShowsOnItsTabBeforeTheTitle) {
  const COLORREF navy = RGB(0, 0, 128);  // the application icon's title bar
  struct Case {
    const char* name;
    DWORD flags;
    HINSTANCE instance;
    LPCSTR icon;
  } cases[] = {
      {"PSP_USEICONID, from the page's module", PSP_USEICONID, nullptr, IDI_APPLICATION},
      {"PSP_USEHICON", PSP_USEHICON, nullptr, reinterpret_cast<LPCSTR>(LoadIconA(nullptr, IDI_APPLICATION))},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PROPSHEETPAGEA withIcon = Record(AddPage("A", "Alpha"), PSP_USETITLE | c.flags, "Same");
    withIcon.hInstance = c.instance;
    withIcon.pszIcon = c.icon;
    PROPSHEETPAGEA plain = Record(AddPage("B", "Beta"), PSP_USETITLE, "Same");
    HWND sheet = Modeless({CreatePropertySheetPageA(&withIcon), CreatePropertySheetPageA(&plain)});
    HWND tab = PropSheet_GetTabControl(sheet);
    auto images = reinterpret_cast<HIMAGELIST>(SendMessageA(tab, TCM_GETIMAGELIST, 0, 0));
    ASSERT_NE(images, nullptr);
    EXPECT_EQ(ImageList_GetImageCount(images), 1);
    int cx = 0, cy = 0;
    ImageList_GetIconSize(images, &cx, &cy);
    EXPECT_EQ(cx, GetSystemMetrics(SM_CXSMICON));
    EXPECT_EQ(cy, GetSystemMetrics(SM_CYSMICON));
    EXPECT_EQ(TabImage(tab, 0), 0);
    EXPECT_EQ(TabImage(tab, 1), -1) << "a page without an icon has no image";

    UpdateWindow(sheet);
    host::user::PumpMessages();
    RECT iconTab, plainTab;
    TabCtrl_GetItemRect(tab, 0, &iconTab);
    TabCtrl_GetItemRect(tab, 1, &plainTab);
    EXPECT_GE(iconTab.right - iconTab.left, plainTab.right - plainTab.left + cx) << "the icon widens its tab";
    RECT iconPart = iconTab;
    iconPart.right = iconPart.left + (iconTab.right - iconTab.left) - (plainTab.right - plainTab.left) + 6;
    EXPECT_GT(CountColour(tab, iconPart, navy), 4) << "the icon, left of the title";
    EXPECT_EQ(CountColour(tab, plainTab, navy), 0);
    EXPECT_GT(CountColour(tab, plainTab, GetSysColor(COLOR_BTNTEXT)), 10) << "the plain tab's title";

    DestroyWindow(sheet);
    EXPECT_EQ(ImageList_GetImageCount(images), 0) << "the sheet destroyed its image list";
  }
}

TEST_F(PropSheetTest, AddPageAppendsAPageTheSheetThenOwns) {
  struct Case {
    const char* name;
    std::function<HPROPSHEETPAGE(std::vector<HPROPSHEETPAGE>&)> page;
    BOOL added;
  } cases[] = {
      {"a new page",
       [&](auto&) {
         PROPSHEETPAGEA record = Record(AddPage("D", "Delta"));
         return CreatePropertySheetPageA(&record);
       },
       TRUE},
      {"a page of the sheet already", [](auto& handles) { return handles[1]; }, FALSE},
      {"a destroyed page",
       [&](auto&) {
         PROPSHEETPAGEA record = Record(AddPage("D", "Delta"));
         HPROPSHEETPAGE gone = CreatePropertySheetPageA(&record);
         DestroyPropertySheetPage(gone);
         return gone;
       },
       FALSE},
      {"no page", [](auto&) { return HPROPSHEETPAGE{}; }, FALSE},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<HPROPSHEETPAGE> handles = ThreePages();
    HWND sheet = Modeless(handles);
    RECT before, after;
    GetWindowRect(sheet, &before);
    HPROPSHEETPAGE added = c.page(handles);
    TakePageLog();
    EXPECT_EQ(SendMessageA(sheet, PSM_ADDPAGE, 0, reinterpret_cast<LPARAM>(added)), c.added);
    HWND tab = PropSheet_GetTabControl(sheet);
    Lines titles = {"First", "Beta", "Gamma"};
    if (c.added) titles.push_back("Delta");
    EXPECT_EQ(host::testing::TabTitles(tab), titles);
    GetWindowRect(sheet, &after);
    EXPECT_TRUE(EqualRect(&before, &after)) << "the sheet keeps its size";
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(sheet, 0x3021))) << "adding changes nothing to apply";
    EXPECT_EQ(TakePageLog(), Lines{}) << "the page is made when first shown";
    if (c.added) {
      EXPECT_FALSE(DestroyPropertySheetPage(added)) << "the page is the sheet's";
      EXPECT_TRUE(PropSheet_SetCurSel(sheet, nullptr, 3));
      EXPECT_EQ(TakePageLog(), (Lines{"A PSN_KILLACTIVE", "D WM_INITDIALOG", "D PSN_SETACTIVE"}));
    }
    DestroyWindow(sheet);
    Lines released = {"A PSPCB_RELEASE", "B PSPCB_RELEASE", "C PSPCB_RELEASE"};
    if (c.added) released.push_back("D PSPCB_RELEASE");
    EXPECT_EQ(TakePageLog(), released);
  }
}

TEST_F(PropSheetTest, AddPageRefusesAPageWithoutATemplateAndLeavesItToTheCaller) {
  HWND sheet = Modeless(ThreePages());
  PROPSHEETPAGEA record = Record(AddPage("M", "Missing"));
  record.dwFlags &= ~PSP_DLGINDIRECT;
  record.pszTemplate = MAKEINTRESOURCEA(999);
  HPROPSHEETPAGE missing = CreatePropertySheetPageA(&record);
  EXPECT_FALSE(SendMessageA(sheet, PSM_ADDPAGE, 0, reinterpret_cast<LPARAM>(missing)));
  EXPECT_EQ(TabCtrl_GetItemCount(PropSheet_GetTabControl(sheet)), 3);
  TakePageLog();
  EXPECT_TRUE(DestroyPropertySheetPage(missing));
  EXPECT_EQ(TakePageLog(), Lines{"M PSPCB_RELEASE"});
  DestroyWindow(sheet);
}

TEST_F(PropSheetTest, RemovePageTakesAPageOutAndReleasesIt) {
  struct Case {
    const char* name;
    int shown;  // before the removal
    bool changeRemoved;
    WPARAM index;
    int byHandle;  // a page's handle in lParam, -1 for none, 3 for one not in the sheet
    BOOL removed;
    Lines log;  // from the removal
    Lines titles;
    int current;
  } cases[] = {
      {"a page never shown, by index", 0, false, 2, -1, TRUE, {"C PSPCB_RELEASE"}, {"First", "Beta"}, 0},
      {"the shown page hands over to the next",
       0,
       false,
       0,
       -1,
       TRUE,
       {"B WM_INITDIALOG", "B PSN_SETACTIVE", "A PSPCB_RELEASE"},
       {"Beta", "Gamma"},
       0},
      {"the last page, shown, hands over to the one before",
       2,
       false,
       2,
       -1,
       TRUE,
       {"B WM_INITDIALOG", "B PSN_SETACTIVE", "C PSPCB_RELEASE"},
       {"First", "Beta"},
       1},
      {"a page before the shown one", 2, false, 0, -1, TRUE, {"A PSPCB_RELEASE"}, {"Beta", "Gamma"}, 1},
      {"by handle, which wins over the index", 0, false, 0, 1, TRUE, {"B PSPCB_RELEASE"}, {"First", "Gamma"}, 0},
      {"a changed page takes its change along", 2, true, 0, -1, TRUE, {"A PSPCB_RELEASE"}, {"Beta", "Gamma"}, 1},
      {"a bad index", 0, false, 7, -1, FALSE, {}, {"First", "Beta", "Gamma"}, 0},
      {"a handle not in the sheet", 0, false, 0, 3, FALSE, {}, {"First", "Beta", "Gamma"}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<HPROPSHEETPAGE> handles = ThreePages();
    size_t a = page_count() - 3;
    PROPSHEETPAGEA outsider = Record(AddPage("X", "Outside"));
    handles.push_back(CreatePropertySheetPageA(&outsider));
    HWND sheet = Modeless({handles[0], handles[1], handles[2]});
    PropSheet_SetCurSel(sheet, nullptr, c.shown);
    if (c.changeRemoved) {
      PropSheet_Changed(sheet, page(a).hwnd);
      EXPECT_TRUE(IsWindowEnabled(GetDlgItem(sheet, 0x3021)));
    }
    HWND removedWindow = page(a + (c.byHandle >= 0 ? c.byHandle : c.index % 3)).hwnd;
    TakePageLog();
    LPARAM handle = c.byHandle >= 0 ? reinterpret_cast<LPARAM>(handles[c.byHandle]) : 0;
    EXPECT_EQ(SendMessageA(sheet, PSM_REMOVEPAGE, c.index, handle), c.removed);
    EXPECT_EQ(TakePageLog(), c.log);
    HWND tab = PropSheet_GetTabControl(sheet);
    EXPECT_EQ(host::testing::TabTitles(tab), c.titles);
    EXPECT_EQ(Current(sheet), c.current);
    HWND shown = PropSheet_GetCurrentPageHwnd(sheet);
    EXPECT_TRUE(IsWindowVisible(shown));
    char text[64] = "";
    GetWindowTextA(shown, text, sizeof text);
    EXPECT_EQ(text, c.titles[c.current]) << "the shown page is the current tab's";
    if (c.removed && removedWindow) {
      EXPECT_FALSE(IsWindow(removedWindow)) << "the removed page's dialog is gone";
    }
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(sheet, 0x3021)));
    DestroyWindow(sheet);
    TakePageLog();
    DestroyPropertySheetPage(handles[3]);
  }
}

TEST_F(PropSheetTest, ASheetWithoutPagesShowsTheNextPageAdded) {
  std::vector<HPROPSHEETPAGE> handles = ThreePages();
  HWND sheet = Modeless({handles[0]});
  EXPECT_TRUE(SendMessageA(sheet, PSM_REMOVEPAGE, 0, 0));
  EXPECT_EQ(PropSheet_GetCurrentPageHwnd(sheet), nullptr);
  EXPECT_EQ(TabCtrl_GetItemCount(PropSheet_GetTabControl(sheet)), 0);
  EXPECT_FALSE(SendMessageA(sheet, PSM_REMOVEPAGE, 0, 0));
  TakePageLog();
  EXPECT_TRUE(SendMessageA(sheet, PSM_ADDPAGE, 0, reinterpret_cast<LPARAM>(handles[1])));
  EXPECT_EQ(TakePageLog(), (Lines{"B WM_INITDIALOG", "B PSN_SETACTIVE"}));
  EXPECT_EQ(PropSheet_GetCurrentPageHwnd(sheet), page(1).hwnd);
  EXPECT_EQ(Current(sheet), 0);
  DestroyWindow(sheet);
  DestroyPropertySheetPage(handles[2]);
  EXPECT_EQ(TakePageLog(), (Lines{"B PSPCB_RELEASE", "C PSPCB_RELEASE"}));
}

TEST_F(PropSheetTest, AnIconPageAddedLaterGetsItsImageAndThePagesMakeRoom) {
  std::vector<HPROPSHEETPAGE> handles = ThreePages();
  HWND sheet = Modeless({handles[0]});
  HWND tab = PropSheet_GetTabControl(sheet);
  EXPECT_EQ(SendMessageA(tab, TCM_GETIMAGELIST, 0, 0), 0) << "no icon, no image list";
  PROPSHEETPAGEA record = Record(AddPage("I", "Icon"), PSP_USEICONID);
  record.pszIcon = IDI_APPLICATION;
  EXPECT_TRUE(SendMessageA(sheet, PSM_ADDPAGE, 0, reinterpret_cast<LPARAM>(CreatePropertySheetPageA(&record))));
  EXPECT_NE(SendMessageA(tab, TCM_GETIMAGELIST, 0, 0), 0);
  EXPECT_EQ(TabImage(tab, 1), 0);
  RECT area, placed;
  GetWindowRect(tab, &area);
  TabCtrl_AdjustRect(tab, FALSE, &area);
  GetWindowRect(page(0).hwnd, &placed);
  EXPECT_TRUE(EqualRect(&area, &placed)) << "the shown page fills the display area under the taller tabs";
  DestroyWindow(sheet);
  DestroyPropertySheetPage(handles[1]);
  DestroyPropertySheetPage(handles[2]);
}

}  // namespace
}  // namespace host::comctl::testing
