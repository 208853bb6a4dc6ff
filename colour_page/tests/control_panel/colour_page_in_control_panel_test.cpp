// The Colour page as a person meets it: registered by its installer, opened in the Display control panel
// ("control.exe desk.cpl"), its sliders moved with the mouse and the sheet's own buttons pressed.
#include <commctrl.h>
#include <host/adapter.h>
#include <host/station.h>
#include <host/user.h>
#include <host_testing/station_fixture.h>
#include <host_testing/tab_titles.h>
#include <prsht.h>
#include <windows.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr char kSheetTitle[] = "Display Properties";
constexpr char kColourTab[] = "Colour";
constexpr char kSettingsKey[] = "Software\\Orvane\\Color Control";
constexpr int kRedSlider = 211;
constexpr int kApplyButton = 0x3021;

using Step = std::function<void(HWND sheet)>;

class ColourPageInControlPanel : public host::testing::StationTest {
 protected:
  void SetUp() override {
    StationTest::SetUp();
    for (auto [file, folder] : {std::pair{"CONTROL.EXE", "C:\\WINDOWS"}, {"DESK.CPL", "C:\\WINDOWS\\SYSTEM"},
                                {"CLRCPL.DLL", "C:\\WINDOWS\\SYSTEM"}, {"M_COLOR.DLL", "C:\\WINDOWS\\SYSTEM"}})
      ASSERT_TRUE(host::InstallModule(file, folder)) << file;
    rampAtStart_ = host::adapter::GammaRamp();
  }

  // As the installer does it.
  static void Register() {
    HMODULE server = LoadLibraryA("C:\\WINDOWS\\SYSTEM\\CLRCPL.DLL");
    ASSERT_NE(server, nullptr);
    auto registerServer = reinterpret_cast<HRESULT(WINAPI*)()>(GetProcAddress(server, "DllRegisterServer"));
    ASSERT_NE(registerServer, nullptr);
    EXPECT_EQ(registerServer(), S_OK);
    FreeLibrary(server);
  }

  // Opens the control panel and runs each step the next time its window thread waits for input, so the input a
  // step gives is handled before the next step looks. The last step must close the sheet.
  static void RunControlPanel(const std::vector<Step>& steps) {
    for (size_t i = 0; i < steps.size(); ++i)
      host::user::Script("control panel step " + std::to_string(i + 1), [step = steps[i]] {
        HWND sheet = FindWindowA(nullptr, kSheetTitle);
        ASSERT_NE(sheet, nullptr);
        step(sheet);
      });
    DWORD process = host::StartProgram("control.exe desk.cpl");
    ASSERT_NE(process, 0u);
    EXPECT_NE(host::WaitForProgram(process, 60000), static_cast<DWORD>(STILL_ACTIVE));
    EXPECT_EQ(host::user::PendingScriptSteps(), 0u);
  }

  static std::vector<std::string> Tabs(HWND sheet) {
    return host::testing::TabTitles(PropSheet_GetTabControl(sheet));
  }

  // Clicks the Colour tab as a person does; the page shows once the click is handled.
  static void ClickColourTab(HWND sheet) {
    HWND tab = PropSheet_GetTabControl(sheet);
    std::vector<std::string> titles = Tabs(sheet);
    for (int i = 0; i < static_cast<int>(titles.size()); ++i) {
      if (titles[i] != kColourTab) continue;
      RECT item;
      TabCtrl_GetItemRect(tab, i, &item);
      POINT centre{(item.left + item.right) / 2, (item.top + item.bottom) / 2};
      ClientToScreen(tab, &centre);
      host::user::Click(centre.x, centre.y);
      return;
    }
    ADD_FAILURE() << "no Colour tab";
  }

  static HWND Slider(HWND sheet) {
    HWND page = PropSheet_GetCurrentPageHwnd(sheet);
    return page ? GetDlgItem(page, kRedSlider) : nullptr;
  }

  static POINT ThumbCentre(HWND slider) {
    RECT thumb;
    SendMessageA(slider, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
    POINT centre{(thumb.left + thumb.right) / 2, (thumb.top + thumb.bottom) / 2};
    ClientToScreen(slider, &centre);
    return centre;
  }

  // Presses on the red slider's thumb (noting the display's ramp then: the page has shown its own), drags it
  // `dx` pixels and releases it, one step each.
  static std::vector<Step> DragRedThumb(int dx, std::vector<WORD>* rampBefore) {
    return {[rampBefore](HWND sheet) {
              HWND slider = Slider(sheet);
              ASSERT_NE(slider, nullptr) << "the Colour page is shown";
              *rampBefore = host::adapter::GammaRamp();
              POINT at = ThumbCentre(slider);
              host::user::MoveMouse(at.x, at.y);
              host::user::PressButton();
            },
            [dx](HWND sheet) {
              POINT at = ThumbCentre(Slider(sheet));
              host::user::MoveMouse(at.x + dx, at.y);
            },
            [](HWND) { host::user::ReleaseButton(); }};
  }

  static bool SettingsStored() {
    HKEY key;
    if (RegOpenKeyA(HKEY_LOCAL_MACHINE, kSettingsKey, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
  }

  std::vector<WORD> rampAtStart_;
};

TEST_F(ColourPageInControlPanel, ThePageAppearsOnceItIsRegistered) {
  std::vector<std::string> before, after;
  RunControlPanel({[&](HWND sheet) {
    before = Tabs(sheet);
    PropSheet_PressButton(sheet, PSBTN_CANCEL);
  }});
  Register();
  RunControlPanel({[&](HWND sheet) {
    after = Tabs(sheet);
    PropSheet_PressButton(sheet, PSBTN_CANCEL);
  }});
  ASSERT_FALSE(before.empty());
  EXPECT_EQ(std::count(before.begin(), before.end(), kColourTab), 0);
  ASSERT_EQ(after.size(), before.size() + 1);
  EXPECT_EQ(std::count(after.begin(), after.end(), kColourTab), 1);
  EXPECT_EQ(after.back(), "Settings") << "the handler's page comes before the control panel's last tab";
}

TEST_F(ColourPageInControlPanel, ADragChangesTheDisplayAtOnceAndApplyStoresIt) {
  Register();
  std::vector<WORD> beforeDrag, whileDragging;
  BOOL applyAfterDrag = FALSE, applyAfterApply = TRUE;
  std::vector<Step> steps{ClickColourTab};
  for (Step& step : DragRedThumb(-30, &beforeDrag)) steps.push_back(step);
  steps.push_back([&](HWND sheet) {
    whileDragging = host::adapter::GammaRamp();
    applyAfterDrag = IsWindowEnabled(GetDlgItem(sheet, kApplyButton));
    EXPECT_FALSE(SettingsStored()) << "nothing is stored before Apply";
    PropSheet_PressButton(sheet, PSBTN_APPLYNOW);
  });
  steps.push_back([&](HWND sheet) {
    applyAfterApply = IsWindowEnabled(GetDlgItem(sheet, kApplyButton));
    PropSheet_PressButton(sheet, PSBTN_OK);
  });
  RunControlPanel(steps);

  ASSERT_EQ(whileDragging.size(), 768u);
  ASSERT_EQ(beforeDrag.size(), 768u);
  EXPECT_NE(std::vector<WORD>(whileDragging.begin(), whileDragging.begin() + 256),
            std::vector<WORD>(beforeDrag.begin(), beforeDrag.begin() + 256))
      << "the red channel follows the slider";
  EXPECT_EQ(std::vector<WORD>(whileDragging.begin() + 256, whileDragging.end()),
            std::vector<WORD>(beforeDrag.begin() + 256, beforeDrag.end()))
      << "green and blue stay";
  EXPECT_TRUE(applyAfterDrag) << "the page told the sheet it changed";
  EXPECT_FALSE(applyAfterApply);
  EXPECT_TRUE(SettingsStored());
  EXPECT_EQ(host::adapter::GammaRamp(), whileDragging) << "the applied ramp stays after the sheet closed";
}

TEST_F(ColourPageInControlPanel, CancelPutsTheAppliedRampBackAndStoresNothing) {
  Register();
  std::vector<WORD> beforeDrag, whileDragging;
  std::vector<Step> steps{ClickColourTab};
  for (Step& step : DragRedThumb(40, &beforeDrag)) steps.push_back(step);
  steps.push_back([&](HWND sheet) {
    whileDragging = host::adapter::GammaRamp();
    PropSheet_PressButton(sheet, PSBTN_CANCEL);
  });
  RunControlPanel(steps);
  EXPECT_NE(whileDragging, beforeDrag) << "the drag showed on the display";
  EXPECT_EQ(host::adapter::GammaRamp(), rampAtStart_) << "the ramp applied before the page opened is back";
  EXPECT_FALSE(SettingsStored());
}

}  // namespace
