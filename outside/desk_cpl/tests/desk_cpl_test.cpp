// "control.exe desk.cpl" as the navigator and the tray switcher start it: the
// handler calls and notifications in order, the tabs, the schemes, and the
// monitor type written through Settings and its dialogs.
#include <commctrl.h>
#include <host/station.h>
#include <host/user.h>
#include <prsht.h>

#include "desk_fixture.h"
#include "desk_resource.h"
#include "fake_page.h"

namespace desk::testing {
namespace {

using host::user::Script;

constexpr int kSettingsWithoutHandlers = 3;  // the last tab

void ScriptCloseSheet(int button) {
  Script("press the sheet's button", [button] { PropSheet_PressButton(Sheet(), button); });
}

TEST_F(DeskTest, AHandlerIsCalledInTheShellsOrderAndUnloadedWhenTheSheetCloses) {
  RegisterHandler("Fake", kFakeA);
  RegisterServer(kFakeA, "C:\\WINDOWS\\SYSTEM\\FAKEPAGE.DLL");
  ScriptCloseSheet(PSBTN_OK);
  EXPECT_EQ(RunControlPanel(), 0u);
  const std::vector<std::string> expected = {
      "A DllGetClassObject IClassFactory",
      "A CreateInstance IShellPropSheetExt",  // asked for directly, not through IUnknown
      "A factory Release",
      "A AddPages taken",
      "A Release 0",
      "A PSPCB_RELEASE",  // the sheet ends
      "DllCanUnloadNow S_OK",
      "detach",
  };
  EXPECT_EQ(HandlerLog(), expected);
}

TEST_F(DeskTest, AHandlersPageGetsTheSheetsNotifications) {
  RegisterHandler("Fake", kFakeA);
  RegisterServer(kFakeA, "C:\\WINDOWS\\SYSTEM\\FAKEPAGE.DLL");
  bool applyBeforeChange = true, applyAfterChange = false, openAfterRefusal = false, applyAfterRefusal = false,
       applyAfterSuccess = true;
  HWND page = nullptr;
  Script("show the handler's page and change it", [&] {
    page = ShowPage(3);
    applyBeforeChange = IsWindowEnabled(GetDlgItem(Sheet(), kApplyButton));
    PropSheet_Changed(Sheet(), page);
    applyAfterChange = IsWindowEnabled(GetDlgItem(Sheet(), kApplyButton));
    SendMessageA(page, FAKEPAGE_REFUSE_NEXT_APPLY, 0, 0);
  });
  ScriptCloseSheet(PSBTN_APPLYNOW);
  Script("apply again", [&] {
    openAfterRefusal = Sheet() != nullptr;
    applyAfterRefusal = IsWindowEnabled(GetDlgItem(Sheet(), kApplyButton));
    PropSheet_PressButton(Sheet(), PSBTN_APPLYNOW);
  });
  Script("cancel", [&] {
    applyAfterSuccess = IsWindowEnabled(GetDlgItem(Sheet(), kApplyButton));
    PropSheet_PressButton(Sheet(), PSBTN_CANCEL);
  });
  EXPECT_EQ(RunControlPanel(), 0u);
  EXPECT_FALSE(applyBeforeChange);
  EXPECT_TRUE(applyAfterChange);
  EXPECT_TRUE(openAfterRefusal);
  EXPECT_TRUE(applyAfterRefusal);
  EXPECT_FALSE(applyAfterSuccess);
  std::vector<std::string> notifications;
  for (const std::string& line : HandlerLog())
    if (line.rfind("A PS", 0) == 0) notifications.push_back(line);
  const std::vector<std::string> expected = {
      "A PSN_SETACTIVE",       "A PSN_APPLY refused", "A PSN_APPLY accepted",
      "A PSN_SETACTIVE",  // a successful Apply shows the page again
      "A PSN_RESET",           "A PSPCB_RELEASE",
  };
  EXPECT_EQ(notifications, expected);
}

TEST_F(DeskTest, HandlerPagesComeBeforeSettingsAndBrokenHandlersAreSkipped) {
  // In enumeration order: B registered by its subkey name alone, a server whose module is missing, a class
  // text that is none, then A.
  RegisterHandler(kFakeB, kFakeB, false);
  RegisterServer(kFakeB, "C:\\WINDOWS\\SYSTEM\\FAKEPAGE.DLL");
  RegisterHandler("Gone", "{7C3D1A09-5E2F-11D0-9B41-00A0246C3109}");
  RegisterServer("{7C3D1A09-5E2F-11D0-9B41-00A0246C3109}", "C:\\WINDOWS\\SYSTEM\\GONE.DLL");
  RegisterHandler("Garbled", "not a class");
  RegisterHandler("Zfake", kFakeA);
  RegisterServer(kFakeA, "C:\\WINDOWS\\SYSTEM\\FAKEPAGE.DLL");
  std::vector<std::string> tabs;
  std::string title;
  HWND owner = reinterpret_cast<HWND>(1);
  Script("read the tabs", [&] {
    tabs = TabTitles(Sheet());
    title = TextOf(Sheet());
    owner = GetWindow(Sheet(), GW_OWNER);
    PropSheet_PressButton(Sheet(), PSBTN_CANCEL);
  });
  EXPECT_EQ(RunControlPanel(), 0u);
  const std::vector<std::string> expected = {"Background", "Screen Saver", "Appearance", "Fake B", "Fake A",
                                             "Settings"};
  EXPECT_EQ(tabs, expected);
  EXPECT_EQ(title, kSheetTitle);
  EXPECT_EQ(owner, nullptr);
}

TEST_F(DeskTest, AppearanceAppliesTheSchemesColours) {
  Script("choose a scheme and apply", [] {
    ChooseComboItem(ShowPage(2), IDC_SCHEME_LIST, "High Contrast Black");
    PropSheet_PressButton(Sheet(), PSBTN_APPLYNOW);
  });
  ScriptCloseSheet(PSBTN_CANCEL);
  EXPECT_EQ(RunControlPanel(), 0u);
  EXPECT_EQ(GetSysColor(COLOR_BACKGROUND), RGB(0, 0, 0));
  EXPECT_EQ(GetSysColor(COLOR_ACTIVECAPTION), RGB(128, 0, 128));
  EXPECT_EQ(GetSysColor(COLOR_WINDOWTEXT), RGB(255, 255, 255));
  EXPECT_EQ(ReadText(HKEY_CURRENT_USER, "Control Panel\\Appearance", "Current"), "High Contrast Black");
}

TEST_F(DeskTest, MissingOrBadAppletsAreReported) {
  for (const char* tail : {"nothing.cpl", "fakepage.dll", ""}) {
    SCOPED_TRACE(tail);
    host::user::ClearRecords();
    host::user::ScriptAnswerMessageBox(IDOK);
    EXPECT_NE(RunControlPanel(tail), 0u);
    auto boxes = host::user::MessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "Control Panel");
    EXPECT_NE(boxes[0].text.find(tail), std::string::npos);
  }
}

TEST_F(DeskTest, ThePagesStoreWhatTheyShow) {
  WriteStationFile("C:\\WINDOWS\\CLOUDS.BMP", "BM");
  bool refusedWaitKeptTheSheet = false;
  Script("choose a wallpaper, tiled", [] {
    HWND page = ShowPage(0);
    ChooseListItem(page, IDC_WALLPAPER_LIST, "CLOUDS.BMP");
    SendDlgItemMessageA(page, IDC_WALLPAPER_TILE, BM_CLICK, 0, 0);
  });
  Script("a wait of no minutes", [] {
    HWND page = ShowPage(1);
    ChooseComboItem(page, IDC_SAVER_LIST, "Blank Screen");
    SetDlgItemInt(page, IDC_SAVER_WAIT, 0, FALSE);
    PropSheet_PressButton(Sheet(), PSBTN_APPLYNOW);
  });
  Script("five minutes", [&] {
    HWND page = PropSheet_GetCurrentPageHwnd(Sheet());
    refusedWaitKeptTheSheet = page && GetDlgItem(page, IDC_SAVER_WAIT) != nullptr;
    SetDlgItemInt(page, IDC_SAVER_WAIT, 5, FALSE);
  });
  Script("a smaller desktop", [] {
    HWND page = ShowPage(3);
    HWND area = GetDlgItem(page, IDC_DESKTOP_AREA);
    SendMessageA(area, TBM_SETPOS, TRUE, SendMessageA(area, TBM_GETPOS, 0, 0) - 1);
    SendMessageA(page, WM_HSCROLL, MAKEWPARAM(TB_ENDTRACK, 0), reinterpret_cast<LPARAM>(area));
  });
  ScriptCloseSheet(PSBTN_OK);
  EXPECT_EQ(RunControlPanel(), 0u);

  EXPECT_TRUE(refusedWaitKeptTheSheet);
  EXPECT_EQ(ReadText(HKEY_CURRENT_USER, "Control Panel\\Desktop", "Wallpaper"), "C:\\WINDOWS\\CLOUDS.BMP");
  EXPECT_EQ(ReadText(HKEY_CURRENT_USER, "Control Panel\\Desktop", "TileWallpaper"), "1");
  BOOL active = FALSE;
  int timeout = 0;
  SystemParametersInfoA(SPI_GETSCREENSAVEACTIVE, 0, &active, 0);
  SystemParametersInfoA(SPI_GETSCREENSAVETIMEOUT, 0, &timeout, 0);
  EXPECT_TRUE(active);
  EXPECT_EQ(timeout, 300);
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 800);  // the area below 1024 by 768
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 600);
  EXPECT_EQ(ReadText(HKEY_CURRENT_CONFIG, "Display\\Settings", "Resolution"), "800,600");
}

// ---- The monitor type, through Settings, "Change Display Type" and "Select Device" ----

struct MonitorCase {
  const char* name;
  bool existingDevice;      // listed by the configuration manager, with its own HardwareID and Driver
  bool monitor0000InUse;    // another device owns the first class key
  std::string devicePath;   // under HKLM
  std::string hardwareId;
  std::string driver;
  std::string listedEntry;  // the HKDD entry that names the device
};

class MonitorType : public DeskTest, public ::testing::WithParamInterface<MonitorCase> {};

TEST_P(MonitorType, OkInSelectDeviceWritesTheMonitorsKeys) {
  const MonitorCase& c = GetParam();
  if (c.existingDevice) {
    WriteText(HKEY_DYN_DATA, "Config Manager\\Enum\\C29A1B40", "HardWareKey", "ROOT\\PRINTER\\0000");
    WriteText(HKEY_DYN_DATA, "Config Manager\\Enum\\C29A1B58", "HardWareKey", "MONITOR\\CALV1234\\0003");
    WriteText(HKEY_LOCAL_MACHINE, "Enum\\MONITOR\\CALV1234\\0003", "HardwareID", "MONITOR\\CALV1234");
    WriteText(HKEY_LOCAL_MACHINE, "Enum\\MONITOR\\CALV1234\\0003", "Driver", "MONITOR\\0002");
    WriteText(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Services\\Class\\MONITOR\\0002", "DriverDesc",
              "Old Model");
  }
  if (c.monitor0000InUse)
    WriteText(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Services\\Class\\MONITOR\\0000", "DriverDesc",
              "Another Monitor");
  std::string before, after;
  Script("click Change Display Type", [] { PostCommand(ShowPage(kSettingsWithoutHandlers), IDC_CHANGE_DISPLAY_TYPE); });
  Script("click Change...", [&] {
    HWND dialog = TopLevelWindow(DESK_TITLE_DISPLAY_TYPE);
    before = TextOf(GetDlgItem(dialog, IDC_MONITOR_TYPE));
    PostCommand(dialog, IDC_CHANGE_MONITOR);
  });
  Script("choose the model", [] {
    HWND dialog = TopLevelWindow(DESK_TITLE_SELECT_DEVICE);
    ChooseListItem(dialog, IDC_MANUFACTURERS, "Calvera Displays");
    ChooseListItem(dialog, IDC_MODELS, "Calvera 17P");
    PostCommand(dialog, IDOK);
  });
  Script("close Change Display Type", [&] {
    HWND dialog = TopLevelWindow(DESK_TITLE_DISPLAY_TYPE);
    after = TextOf(GetDlgItem(dialog, IDC_MONITOR_TYPE));
    PostCommand(dialog, IDOK);
  });
  ScriptCloseSheet(PSBTN_CANCEL);
  EXPECT_EQ(RunControlPanel(), 0u);

  EXPECT_EQ(before, c.existingDevice ? "Old Model" : "(Unknown Monitor)");
  EXPECT_EQ(after, "Calvera 17P");
  EXPECT_EQ(ReadText(HKEY_DYN_DATA, c.listedEntry, "HardWareKey"), c.devicePath.substr(5));
  if (c.existingDevice) {  // a listed device gets no second entry
    EXPECT_EQ(ReadText(HKEY_DYN_DATA, "Config Manager\\Enum\\00000001", "HardWareKey"), "<no key>");
  }
  const std::string classKey = "System\\CurrentControlSet\\Services\\Class\\" + c.driver;
  struct Value {
    std::string key, name, text;
  } values[] = {
      {c.devicePath, "Class", "Monitor"},
      {c.devicePath, "DeviceDesc", "Calvera 17P"},
      {c.devicePath, "Mfg", "Calvera Displays"},
      {c.devicePath, "HardwareID", c.hardwareId},
      {c.devicePath, "Driver", c.driver},
      {classKey, "DriverDesc", "Calvera 17P"},
      {classKey, "MaxResolution", "1280,1024"},
      {classKey, "ProviderName", "Calvera Displays"},
      {classKey, "DPMS", "1"},
  };
  for (const Value& v : values) {
    SCOPED_TRACE(v.key + " " + v.name);
    DWORD size = 0;
    EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, v.key, v.name, &size), v.text);
    EXPECT_EQ(size, v.text.size() + 1);  // the NUL counted
  }
}

INSTANTIATE_TEST_SUITE_P(
    Stations, MonitorType,
    ::testing::Values(MonitorCase{"Fresh", false, false, "Enum\\MONITOR\\DEFAULT_MONITOR\\0001", "Monitor\\Default",
                                  "MONITOR\\0000", "Config Manager\\Enum\\00000001"},
                      MonitorCase{"FirstClassKeyTaken", false, true, "Enum\\MONITOR\\DEFAULT_MONITOR\\0001",
                                  "Monitor\\Default", "MONITOR\\0001", "Config Manager\\Enum\\00000001"},
                      MonitorCase{"ExistingDevice", true, false, "Enum\\MONITOR\\CALV1234\\0003", "MONITOR\\CALV1234",
                                  "MONITOR\\0002", "Config Manager\\Enum\\C29A1B58"}),
    [](const ::testing::TestParamInfo<MonitorCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace desk::testing
