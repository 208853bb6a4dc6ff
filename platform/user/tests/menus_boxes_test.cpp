// Menus, TrackPopupMenu in both forms, the system menu, message boxes and
// their scripted answers, and the rest of USER (colours, parameters, help,
// exit requests, display changes).
#include "user_test_support.h"

#include <host/station.h>

#include "user/desktop.h"

namespace host::user::testing {
namespace {

using Menus = UserTest;
using Boxes = UserTest;
using Rest = UserTest;
using Lines = std::vector<std::string>;

HMENU SampleMenu(HMENU* sub = nullptr) {
  HMENU popup = CreatePopupMenu();
  AppendMenuA(popup, MF_STRING, 101, "&Open");
  AppendMenuA(popup, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(popup, MF_STRING | MF_GRAYED, 102, "&Save");
  HMENU nested = CreatePopupMenu();
  AppendMenuA(nested, MF_STRING | MF_CHECKED, 201, "Zoom &2x");
  AppendMenuA(popup, MF_POPUP, reinterpret_cast<UINT_PTR>(nested), "&Zoom");
  if (sub) *sub = nested;
  return popup;
}

TEST_F(Menus, ItemsStatesAndLookups) {
  HMENU nested;
  HMENU menu = SampleMenu(&nested);
  EXPECT_EQ(GetMenuItemCount(menu), 4);
  EXPECT_EQ(GetMenuItemID(menu, 0), 101u);
  EXPECT_EQ(GetMenuItemID(menu, 3), 0xFFFFFFFFu);  // a popup has no id
  EXPECT_EQ(GetMenuItemID(menu, 9), 0xFFFFFFFFu);
  EXPECT_EQ(GetSubMenu(menu, 3), nested);
  EXPECT_EQ(GetSubMenu(menu, 0), nullptr);
  char text[16];
  EXPECT_EQ(GetMenuStringA(menu, 201, text, sizeof text, MF_BYCOMMAND), 8);  // found in the nested popup
  EXPECT_STREQ(text, "Zoom &2x");
  struct Case {
    const char* what;
    UINT got, expected;
  };
  const Case cases[] = {
      {"enable a grayed item returns its old state", EnableMenuItem(menu, 102, MF_BYCOMMAND | MF_ENABLED), MF_GRAYED},
      {"disable by position", EnableMenuItem(menu, 0, MF_BYPOSITION | MF_DISABLED), MF_ENABLED},
      {"past the last item", EnableMenuItem(menu, 4, MF_BYPOSITION | MF_GRAYED), 0xFFFFFFFF},
      {"unknown command", EnableMenuItem(menu, 999, MF_GRAYED), 0xFFFFFFFF},
      {"uncheck returns MF_CHECKED", CheckMenuItem(menu, 201, MF_UNCHECKED), MF_CHECKED},
      {"check returns unchecked", CheckMenuItem(menu, 201, MF_CHECKED), MF_UNCHECKED},
      {"state", GetMenuState(menu, 0, MF_BYPOSITION), MF_DISABLED},
      {"popup state counts its items", GetMenuState(menu, 3, MF_BYPOSITION), (1u << 8) | MF_POPUP},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(c.got, c.expected);
  }
  EXPECT_TRUE(InsertMenuA(menu, 101, MF_BYCOMMAND | MF_STRING, 100, "&New"));
  EXPECT_EQ(GetMenuItemID(menu, 0), 100u);
  EXPECT_TRUE(InsertMenuA(menu, 0xFFFFFFFF, MF_BYPOSITION | MF_STRING, 109, "E&xit"));
  EXPECT_EQ(GetMenuItemID(menu, 5), 109u);
  EXPECT_TRUE(DeleteMenu(menu, 3, MF_BYPOSITION));
  EXPECT_EQ(GetMenuItemCount(menu), 5);
  EXPECT_TRUE(DestroyMenu(menu));
  EXPECT_FALSE(IsMenu(menu));
  EXPECT_FALSE(IsMenu(nested));  // popups go with their menu
  EXPECT_EQ(GetMenuItemCount(menu), -1);
}

TEST_F(Menus, TrackPopupMenuReturnsOrPostsTheScriptedChoice) {
  HWND owner = Make("owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  HMENU menu = SampleMenu();
  PumpMessages();
  ClearLog();
  ScriptChooseMenuItem(101);
  EXPECT_EQ(TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, 50, 60, 0, owner, nullptr), 101);
  EXPECT_EQ(Log(), (Lines{"owner WM_ENTERMENULOOP", "owner WM_INITMENU", "owner WM_INITMENUPOPUP",
                          "owner WM_EXITMENULOOP"}));
  ClearLog();
  ScriptChooseMenuItem(201);
  EXPECT_TRUE(TrackPopupMenu(menu, TPM_LEFTALIGN, 50, 60, 0, owner, nullptr));
  PumpMessages();
  auto entries = Recorder::Get().Entries();
  ASSERT_FALSE(entries.empty());
  EXPECT_EQ(entries.back().msg, (UINT)WM_COMMAND);
  EXPECT_EQ(LOWORD(entries.back().wParam), 201);
  // No script: nothing is chosen; a grayed item cannot be.
  EXPECT_EQ(TrackPopupMenu(menu, TPM_RETURNCMD, 0, 0, 0, owner, nullptr), 0);
  std::vector<std::string> stuck;
  SetStuckLoopHandler([&](const std::string& loop) { stuck.push_back(loop); });
  ScriptChooseMenuItem(102);
  EXPECT_EQ(TrackPopupMenu(menu, TPM_RETURNCMD, 0, 0, 0, owner, nullptr), 0);
  EXPECT_EQ(stuck, (Lines{"TrackPopupMenu: item 102 cannot be chosen"}));
  EXPECT_EQ(StuckLoops(), stuck);
  auto tracked = TrackedMenus();
  ASSERT_EQ(tracked.size(), 4u);
  EXPECT_EQ(tracked[0].chosen, 101u);
  EXPECT_EQ(tracked[0].x, 50);
  EXPECT_EQ(tracked[0].flags, (UINT)(TPM_RETURNCMD | TPM_RIGHTBUTTON));
  ASSERT_EQ(tracked[0].items.size(), 4u);
  EXPECT_EQ(tracked[0].items[2].state, (UINT)MF_GRAYED);
  EXPECT_EQ(tracked[0].items[3].items[0].text, "Zoom &2x");
  ClearRecords();  // the stuck loop was the point
}

TEST_F(Menus, InitMenuPopupMayChangeStatesBeforeTheChoice) {
  HWND owner = Make("owner", WS_POPUP | WS_VISIBLE);
  HMENU menu = SampleMenu();
  Recorder::Get().answer = [](HWND, UINT msg, WPARAM wParam, LPARAM) -> std::optional<LRESULT> {
    if (msg == WM_INITMENUPOPUP) EnableMenuItem(reinterpret_cast<HMENU>(wParam), 101, MF_GRAYED);
    return std::nullopt;
  };
  SetStuckLoopHandler([](const std::string&) {});
  ScriptChooseMenuItem(101);
  EXPECT_EQ(TrackPopupMenu(menu, TPM_RETURNCMD, 0, 0, 0, owner, nullptr), 0);
  EXPECT_EQ(TrackedMenus().back().items[0].state, (UINT)MF_GRAYED);
  EXPECT_EQ(StuckLoops().size(), 1u) << "a grayed item cannot be chosen";
  ClearRecords();
}

TEST_F(Menus, SystemMenuChoicesArriveUnmasked) {
  HWND hwnd = Make("w", WS_OVERLAPPEDWINDOW | WS_VISIBLE, nullptr, {100, 100, 400, 300});
  HMENU sys = GetSystemMenu(hwnd, FALSE);
  ASSERT_NE(sys, nullptr);
  EXPECT_EQ(GetSystemMenu(hwnd, FALSE), sys);
  EXPECT_EQ(GetMenuItemID(sys, GetMenuItemCount(sys) - 1), (UINT)SC_CLOSE);
  AppendMenuA(sys, MF_STRING, 0x0123, "&About");
  PumpMessages();
  ClearLog();
  ScriptChooseMenuItem(0x0123);
  Click(110, 110);  // the system menu icon
  PumpMessages();
  bool seen = false;
  for (auto& e : Recorder::Get().Entries())
    if (e.msg == WM_SYSCOMMAND && e.wParam == 0x0123) seen = true;
  EXPECT_TRUE(seen);
  DestroyWindow(hwnd);
  EXPECT_FALSE(IsMenu(sys));
}

TEST_F(Menus, MenuBarTakesItsRow) {
  HWND hwnd = Make("w", WS_OVERLAPPEDWINDOW, nullptr, {0, 0, 300, 200});
  RECT before, after;
  GetClientRect(hwnd, &before);
  HMENU bar = CreateMenu();
  AppendMenuA(bar, MF_STRING, 1, "&File");
  EXPECT_TRUE(SetMenu(hwnd, bar));
  EXPECT_EQ(GetMenu(hwnd), bar);
  GetClientRect(hwnd, &after);
  EXPECT_EQ(before.bottom - after.bottom, 19);
  DestroyWindow(hwnd);
  EXPECT_FALSE(IsMenu(bar));  // a window's menu goes with it
}

TEST_F(Boxes, AnswersComeFromTheScriptOrTheDefaultButton) {
  HWND owner = Make("owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  struct Case {
    UINT type;
    std::vector<int> script;
    int expected;
  };
  const Case cases[] = {
      {MB_OK, {}, IDOK},
      {MB_YESNO | MB_ICONQUESTION, {}, IDYES},
      {MB_YESNO | MB_DEFBUTTON2, {}, IDNO},
      {MB_YESNOCANCEL, {IDCANCEL}, IDCANCEL},
      {MB_OKCANCEL | MB_ICONWARNING, {IDCANCEL}, IDCANCEL},
      {MB_RETRYCANCEL | MB_DEFBUTTON4, {}, IDRETRY},  // a default past the buttons is the first
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.type);
    for (int answer : c.script) ScriptAnswerMessageBox(answer);
    EXPECT_EQ(MessageBoxA(owner, "Apply the new monitor?", "Monitor", c.type), c.expected);
  }
  auto boxes = MessageBoxes();
  ASSERT_EQ(boxes.size(), 6u);
  EXPECT_EQ(boxes[1].text, "Apply the new monitor?");
  EXPECT_EQ(boxes[1].caption, "Monitor");
  EXPECT_EQ(boxes[1].type, (UINT)(MB_YESNO | MB_ICONQUESTION));
  EXPECT_EQ(boxes[1].owner, owner);
  EXPECT_EQ(boxes[3].answer, IDCANCEL);
  EXPECT_EQ(MessageBoxA(nullptr, nullptr, nullptr, MB_OK), IDOK);
  EXPECT_EQ(MessageBoxes().back().caption, "Error");
}

TEST_F(Boxes, TheOwnerIsDisabledWhileTheBoxIsUpAndActionsRunFirst) {
  HWND owner = Make("owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  bool enabledDuring = true;
  Script("look at the owner", [&] { enabledDuring = IsWindowEnabled(owner); });
  ScriptAnswerMessageBox(IDNO);
  PumpMessages();  // the box's loop would paint the new window
  ClearLog();
  EXPECT_EQ(MessageBoxA(owner, "Keep?", "Test", MB_YESNO), IDNO);
  EXPECT_FALSE(enabledDuring);
  EXPECT_TRUE(IsWindowEnabled(owner));
  EXPECT_EQ(Log(), (Lines{"owner WM_CANCELMODE", "owner WM_ENABLE", "owner WM_ENABLE"}));
  // An answer that is not one of the buttons is a scripting fault.
  std::vector<std::string> stuck;
  SetStuckLoopHandler([&](const std::string& loop) { stuck.push_back(loop); });
  ScriptAnswerMessageBox(IDRETRY);
  EXPECT_EQ(MessageBoxA(owner, "Keep?", "Test", MB_YESNO), IDYES);
  EXPECT_EQ(stuck, (Lines{"MessageBox \"Test\": scripted answer 4 is not one of its buttons"}));
  ClearRecords();  // the stuck loop was the point
}

TEST_F(Boxes, TimersKeepRunningInsideTheBox) {
  HWND owner = Make("owner", WS_POPUP | WS_VISIBLE);
  SetTimer(owner, 5, 100, nullptr);
  ScriptAdvanceClock(100);
  ScriptAnswerMessageBox(IDOK);
  ClearLog();
  MessageBoxA(owner, "Wait", "Test", MB_OK);
  bool timer = false;
  for (auto& e : Recorder::Get().Entries())
    if (e.msg == WM_TIMER) timer = true;
  EXPECT_TRUE(timer);
}

TEST_F(Rest, BeepsHelpAndExitRequestsAreRecorded) {
  HWND hwnd = Make("w", WS_POPUP);
  ClearBeeps();
  MessageBeep(MB_ICONEXCLAMATION);
  MessageBeep(0xFFFFFFFF);
  EXPECT_EQ(Beeps(), (std::vector<UINT>{MB_ICONEXCLAMATION, 0xFFFFFFFF}));
  WinHelpA(hwnd, "ovxmon.hlp", HELP_CONTEXT, 42);
  ASSERT_EQ(HelpRequests().size(), 1u);
  EXPECT_EQ(HelpRequests()[0].file, "ovxmon.hlp");
  EXPECT_EQ(HelpRequests()[0].data, 42u);
  ClearLog();
  EXPECT_TRUE(ExitWindowsEx(EWX_REBOOT, 0));
  EXPECT_EQ(Log(), (Lines{"w 0x0011", "w 0x0016"}));  // WM_QUERYENDSESSION, WM_ENDSESSION
  EXPECT_EQ(ExitRequests(), (std::vector<UINT>{EWX_REBOOT}));
  Recorder::Get().answer = [](HWND, UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (msg == WM_QUERYENDSESSION) return FALSE;
    return std::nullopt;
  };
  EXPECT_FALSE(ExitWindowsEx(EWX_REBOOT, 0));  // refused by a window
  EXPECT_TRUE(ExitWindowsEx(EWX_REBOOT | EWX_FORCE, 0));
  EXPECT_EQ(ExitRequests().size(), 2u);
  EXPECT_TRUE(IsStationBooted());
}

TEST_F(Rest, SystemColoursAndTheirChange) {
  EXPECT_EQ(GetSysColor(COLOR_BACKGROUND), 0x808000u);
  EXPECT_EQ(GetSysColor(COLOR_ACTIVECAPTION), 0x800000u);
  EXPECT_EQ(GetSysColor(COLOR_BTNFACE), 0xC0C0C0u);
  EXPECT_EQ(GetSysColor(99), 0u);
  Make("a", WS_POPUP);
  Make("b", WS_POPUP);
  ClearLog();
  INT which[] = {COLOR_BTNFACE, 77};
  COLORREF colours[] = {0x123456, 0};
  EXPECT_TRUE(SetSysColors(2, which, colours));
  EXPECT_EQ(GetSysColor(COLOR_BTNFACE), 0x123456u);
  EXPECT_EQ(Log(), (Lines{"b WM_SYSCOLORCHANGE", "a WM_SYSCOLORCHANGE"}));
  Reboot();
  EXPECT_EQ(GetSysColor(COLOR_BTNFACE), 0xC0C0C0u);  // not kept across restarts
}

TEST_F(Rest, SystemParameters) {
  RECT work;
  ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0));
  RECT desk;
  GetWindowRect(GetDesktopWindow(), &desk);
  EXPECT_TRUE(EqualRect(&work, &desk));
  BOOL active = TRUE;
  ASSERT_TRUE(SystemParametersInfoA(SPI_GETSCREENSAVEACTIVE, 0, &active, 0));
  EXPECT_FALSE(active);
  EXPECT_TRUE(SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, TRUE, nullptr, SPIF_UPDATEINIFILE));
  SystemParametersInfoA(SPI_GETSCREENSAVEACTIVE, 0, &active, 0);
  EXPECT_TRUE(active);
  EXPECT_NE(ReadStationFile("C:\\WINDOWS\\WIN.INI").find("ScreenSaveActive=1"), std::string::npos);
  EXPECT_FALSE(SystemParametersInfoA(SPI_GETWORKAREA, 0, nullptr, 0));
  EXPECT_FALSE(SystemParametersInfoA(9999, 0, &active, 0));
}

TEST_F(Rest, DisplayChangeResizesTheDesktopAndIsBroadcast) {
  Make("top", WS_POPUP);
  ClearLog();
  OnDisplayChanged(800, 600, 16);
  RECT desk;
  GetWindowRect(GetDesktopWindow(), &desk);
  EXPECT_EQ(desk.right, 800);
  EXPECT_EQ(desk.bottom, 600);
  EXPECT_EQ(Log(), (Lines{"top WM_DISPLAYCHANGE"}));
  auto entries = Recorder::Get().Entries();
  EXPECT_EQ(entries[0].wParam, 16u);
  EXPECT_EQ(LOWORD(entries[0].lParam), 800);
  EXPECT_EQ(HIWORD(entries[0].lParam), 600);
}

}  // namespace
}  // namespace host::user::testing
