// The Monitor page's monitor-type assistant drives the sheet from a thread of
// its own, by posted messages and window enumeration only. The station runs
// on the real clock here: the sheet waits for those posts, as on Windows.
#include <commctrl.h>
#include <host/station.h>
#include <prsht.h>

#include <chrono>
#include <functional>
#include <thread>

#include "desk_fixture.h"
#include "desk_resource.h"

namespace desk::testing {
namespace {

class AssistantWalk : public DeskTest {
 protected:
  void SetUp() override {
    config_.realClock = true;
    DeskTest::SetUp();
  }
};

// Polls until `found` answers a window (the assistant's unbounded repetition, bounded here).
HWND WaitFor(const std::function<HWND()>& found) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  for (;;) {
    if (HWND hwnd = found()) return hwnd;
    if (std::chrono::steady_clock::now() > deadline) return nullptr;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
}

bool WaitUntilGone(HWND hwnd) {
  return WaitFor([hwnd] { return IsWindow(hwnd) ? nullptr : reinterpret_cast<HWND>(1); }) != nullptr;
}

struct TextSearch {
  const char* text;
  HWND found;
};

BOOL CALLBACK MatchText(HWND hwnd, LPARAM lParam) {
  auto* search = reinterpret_cast<TextSearch*>(lParam);
  char text[100] = "";
  GetWindowTextA(hwnd, text, sizeof text);
  if (lstrcmpA(text, search->text) != 0) return TRUE;
  search->found = hwnd;
  return FALSE;
}

HWND ChildTitled(HWND parent, const char* text) {
  TextSearch search{text, nullptr};
  EnumChildWindows(parent, MatchText, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND TopLevelTitled(const char* text) {
  TextSearch search{text, nullptr};
  EnumWindows(MatchText, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// A window another thread just made may still lack its controls: the dialog manager creates them after the
// dialog window itself, so a walker waits for the control it needs.
HWND WaitForItem(HWND dialog, int id) {
  return WaitFor([dialog, id] { return GetDlgItem(dialog, id); });
}

void ClickAtTen(HWND button) {
  PostMessageA(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
  PostMessageA(button, WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
}

TEST_F(AssistantWalk, ReachesSelectDeviceAndReturnsToTheRememberedPage) {
  DWORD process = host::StartProgram("control.exe desk.cpl");
  ASSERT_NE(process, 0u);
  HWND sheet = WaitFor([] { return FindWindowA(nullptr, kSheetTitle); });
  ASSERT_NE(sheet, nullptr);
  SendMessageA(sheet, PSM_SETCURSEL, 1, 0);  // the user is on Screen Saver
  HWND tab = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETTABCONTROL, 0, 0));
  ASSERT_NE(tab, nullptr);
  int remembered = static_cast<int>(SendMessageA(tab, TCM_GETCURSEL, 0, 0));
  EXPECT_EQ(remembered, 1);
  int last = static_cast<int>(SendMessageA(tab, TCM_GETITEMCOUNT, 0, 0)) - 1;
  PostMessageA(sheet, PSM_SETCURSEL, last, 0);

  HWND settings = WaitFor([sheet] { return ChildTitled(sheet, DESK_TITLE_SETTINGS); });
  ASSERT_NE(settings, nullptr);
  HWND changeDisplayType = WaitForItem(settings, IDC_CHANGE_DISPLAY_TYPE);
  ASSERT_NE(changeDisplayType, nullptr);
  char className[32] = "";
  GetClassNameA(GetDlgItem(settings, IDC_DISPLAY_TYPE_NAME), className, sizeof className);
  EXPECT_STREQ(className, "Static");  // not "Button": the walk goes on
  ClickAtTen(changeDisplayType);
  HWND displayType = WaitFor([] { return TopLevelTitled(DESK_TITLE_DISPLAY_TYPE); });
  ASSERT_NE(displayType, nullptr);
  ClickAtTen(WaitForItem(displayType, IDC_CHANGE_MONITOR));
  HWND selectDevice = WaitFor([] { return TopLevelTitled(DESK_TITLE_SELECT_DEVICE); });
  ASSERT_NE(selectDevice, nullptr);

  // The user's choice, across threads.
  WaitForItem(selectDevice, IDOK);  // the last control made
  HWND models = GetDlgItem(selectDevice, IDC_MODELS);
  SendMessageA(models, LB_SETCURSEL,
               SendMessageA(models, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                            reinterpret_cast<LPARAM>("Super VGA 1024x768")),
               0);
  ClickAtTen(GetDlgItem(selectDevice, IDOK));
  ASSERT_TRUE(WaitUntilGone(selectDevice));
  ClickAtTen(GetDlgItem(displayType, IDOK));
  ASSERT_TRUE(WaitUntilGone(displayType));
  PostMessageA(sheet, PSM_SETCURSEL, remembered, 0);

  EXPECT_NE(WaitFor([tab, remembered] {
              return SendMessageA(tab, TCM_GETCURSEL, 0, 0) == remembered ? tab : nullptr;
            }),
            nullptr);
  EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, "Enum\\MONITOR\\DEFAULT_MONITOR\\0001", "DeviceDesc"), "Super VGA 1024x768");
  PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
  EXPECT_EQ(host::WaitForProgram(process, 20000), 0u);
}

}  // namespace
}  // namespace desk::testing
