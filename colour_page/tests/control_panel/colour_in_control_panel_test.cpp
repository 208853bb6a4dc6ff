// CLRCPL.DLL inside the Display control panel: registered by its own
// DllRegisterServer, loaded by "control.exe desk.cpl" as the shell loads it,
// its page moves the adapter's gamma ramp and Apply keeps the settings.
#include <commctrl.h>
#include <host/adapter.h>
#include <host/station.h>
#include <host/user.h>
#include <host_testing/station_fixture.h>
#include <prsht.h>

#include <string>
#include <vector>

#include "../../../outside/m_color/m_color_ids.h"

namespace {

using host::user::Script;

class ColourInControlPanel : public host::testing::StationTest {
 protected:
  void SetUp() override {
    StationTest::SetUp();
    ASSERT_TRUE(host::InstallModule("CONTROL.EXE", "C:\\WINDOWS"));
    ASSERT_TRUE(host::InstallModule("DESK.CPL", "C:\\WINDOWS\\SYSTEM"));
    ASSERT_TRUE(host::InstallModule("CLRCPL.DLL", "C:\\WINDOWS\\SYSTEM"));
    ASSERT_TRUE(host::InstallModule("M_COLOR.DLL", "C:\\WINDOWS\\SYSTEM"));
    HMODULE server = LoadLibraryA("C:\\WINDOWS\\SYSTEM\\CLRCPL.DLL");
    ASSERT_NE(server, nullptr);
    auto registerServer = reinterpret_cast<HRESULT(WINAPI*)()>(GetProcAddress(server, "DllRegisterServer"));
    ASSERT_NE(registerServer, nullptr);
    ASSERT_EQ(registerServer(), S_OK);
    FreeLibrary(server);
  }
};

HWND Sheet() { return FindWindowA(nullptr, "Display Properties"); }

std::vector<std::string> TabTitles(HWND sheet) {
  HWND tab = PropSheet_GetTabControl(sheet);
  std::vector<std::string> titles;
  for (int i = 0; i < TabCtrl_GetItemCount(tab); ++i) {
    char text[64] = "";
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    TabCtrl_GetItem(tab, i, &item);
    titles.push_back(text);
  }
  return titles;
}

// The user drags the red thumb to `position` and lets go.
void DragRed(HWND page, int position) {
  HWND red = GetDlgItem(page, IDC_RED);
  SendMessageA(red, TBM_SETPOS, TRUE, position);
  for (int code : {TB_THUMBTRACK, TB_THUMBPOSITION, TB_ENDTRACK})
    SendMessageA(page, WM_HSCROLL, MAKEWPARAM(code, position), reinterpret_cast<LPARAM>(red));
}

TEST_F(ColourInControlPanel, TheColourPageMovesTheRampAndApplyKeepsTheSettings) {
  std::vector<std::string> tabs;
  std::vector<WORD> rampBefore, rampAfterMove;
  Script("move the red slider and apply", [&] {
    tabs = TabTitles(Sheet());
    PropSheet_SetCurSel(Sheet(), nullptr, 3);
    HWND page = PropSheet_GetCurrentPageHwnd(Sheet());
    rampBefore = host::adapter::GammaRamp();
    HWND red = GetDlgItem(page, IDC_RED);
    int position = static_cast<int>(SendMessageA(red, TBM_GETPOS, 0, 0));
    DragRed(page, position + 20);
    rampAfterMove = host::adapter::GammaRamp();
    PropSheet_PressButton(Sheet(), PSBTN_OK);
  });
  DWORD process = host::StartProgram("control.exe desk.cpl");
  ASSERT_NE(process, 0u);
  EXPECT_EQ(host::WaitForProgram(process, 60000), 0u);

  const std::vector<std::string> expected = {"Background", "Screen Saver", "Appearance", "Colour", "Settings"};
  EXPECT_EQ(tabs, expected);
  ASSERT_EQ(rampBefore.size(), 768u);
  ASSERT_EQ(rampAfterMove.size(), 768u);
  EXPECT_NE(std::vector<WORD>(rampBefore.begin(), rampBefore.begin() + 256),
            std::vector<WORD>(rampAfterMove.begin(), rampAfterMove.begin() + 256));
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Orvane\\Color Control", 0, KEY_READ, &key), ERROR_SUCCESS);
  DWORD type = 0, value = 0, size = sizeof value;
  EXPECT_EQ(RegQueryValueExA(key, "Gamma Red", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size),
            ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
  EXPECT_NE(value, 100u);  // no longer the neutral gamma of 1.00
}

}  // namespace
