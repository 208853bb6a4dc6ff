#include "desk_fixture.h"

#include <commctrl.h>
#include <host/station.h>
#include <host_testing/tab_titles.h>
#include <prsht.h>

namespace desk::testing {

void DeskTest::SetUp() {
  StationTest::SetUp();
  ASSERT_TRUE(host::InstallModule("CONTROL.EXE", "C:\\WINDOWS"));
  ASSERT_TRUE(host::InstallModule("DESK.CPL", "C:\\WINDOWS\\SYSTEM"));
  ASSERT_TRUE(host::InstallModule("FAKEPAGE.DLL", "C:\\WINDOWS\\SYSTEM"));
  host::ClearDebugOutput();
}

void DeskTest::WriteText(HKEY root, const std::string& key, const std::string& name, const std::string& text) {
  HKEY opened;
  ASSERT_EQ(RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &opened, nullptr),
            ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExA(opened, name.empty() ? nullptr : name.c_str(), 0, REG_SZ,
                           reinterpret_cast<const BYTE*>(text.c_str()), text.size() + 1),
            ERROR_SUCCESS);
  RegCloseKey(opened);
}

std::string DeskTest::ReadText(HKEY root, const std::string& key, const std::string& name, DWORD* size) {
  HKEY opened;
  if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) return "<no key>";
  char text[1024] = "";
  DWORD length = sizeof text - 1, type = 0;
  LONG result = RegQueryValueExA(opened, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(text), &length);
  RegCloseKey(opened);
  if (result != ERROR_SUCCESS) return "<no value>";
  if (type != REG_SZ) return "<not REG_SZ>";
  if (size) *size = length;
  text[length] = '\0';
  return text;
}

void DeskTest::RegisterHandler(const std::string& subkey, const std::string& classText, bool defaultIsClass) {
  WriteText(HKEY_LOCAL_MACHINE,
            "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Controls Folder\\Display\\shellex\\"
            "PropertySheetHandlers\\" + subkey,
            "", defaultIsClass ? classText : "");
}

void DeskTest::RegisterServer(const std::string& classText, const std::string& modulePath) {
  WriteText(HKEY_CLASSES_ROOT, "CLSID\\" + classText + "\\InProcServer32", "", modulePath);
}

DWORD DeskTest::RunControlPanel(const std::string& tail) {
  DWORD process = host::StartProgram("control.exe " + tail);
  EXPECT_NE(process, 0u);
  return process ? host::WaitForProgram(process, 60000) : STILL_ACTIVE;
}

std::vector<std::string> DeskTest::HandlerLog() {
  std::vector<std::string> lines;
  for (const std::string& line : host::DebugOutput())
    if (line.rfind("FAKEPAGE ", 0) == 0) lines.push_back(line.substr(9, line.size() - 10));
  return lines;
}

HWND Sheet() { return FindWindowA(nullptr, kSheetTitle); }

HWND TopLevelWindow(const std::string& title) { return FindWindowA(nullptr, title.c_str()); }

std::string TextOf(HWND hwnd) {
  char text[256] = "";
  GetWindowTextA(hwnd, text, sizeof text);
  return text;
}

std::vector<std::string> TabTitles(HWND sheet) { return host::testing::TabTitles(PropSheet_GetTabControl(sheet)); }

HWND ShowPage(int index) {
  PropSheet_SetCurSel(Sheet(), nullptr, index);
  return PropSheet_GetCurrentPageHwnd(Sheet());
}

void PostCommand(HWND dialog, int id) {
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void ChooseListItem(HWND dialog, int listId, const std::string& text) {
  HWND list = GetDlgItem(dialog, listId);
  LRESULT index = SendMessageA(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text.c_str()));
  SendMessageA(list, LB_SETCURSEL, index, 0);
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(listId, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
}

void ChooseComboItem(HWND dialog, int comboId, const std::string& text) {
  HWND combo = GetDlgItem(dialog, comboId);
  LRESULT index = SendMessageA(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text.c_str()));
  SendMessageA(combo, CB_SETCURSEL, index, 0);
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(comboId, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
}

}  // namespace desk::testing
