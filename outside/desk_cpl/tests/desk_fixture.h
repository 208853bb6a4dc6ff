// The station fixture for the Display control panel: CONTROL.EXE, DESK.CPL
// and the logging handler FAKEPAGE.DLL installed where Windows keeps them.
#pragma once

#include <host_testing/station_fixture.h>
#include <windows.h>

#include <string>
#include <vector>

namespace desk::testing {

constexpr char kSheetTitle[] = "Display Properties";
constexpr char kFakeA[] = "{7C3D1A01-5E2F-11D0-9B41-00A0246C3101}";
constexpr char kFakeB[] = "{7C3D1A02-5E2F-11D0-9B41-00A0246C3102}";
constexpr int kApplyButton = 0x3021;

class DeskTest : public host::testing::StationTest {
 protected:
  void SetUp() override;

  // A handler subkey; with `defaultIsClass` false its default value stays empty and the name is the class.
  static void RegisterHandler(const std::string& subkey, const std::string& classText, bool defaultIsClass = true);
  // The class's server module (a Windows path).
  static void RegisterServer(const std::string& classText, const std::string& modulePath);
  // Runs "control.exe <tail>" to its end (the script drives it); its exit code.
  static DWORD RunControlPanel(const std::string& tail = "desk.cpl");
  // The handler's log so far, "FAKEPAGE " and the line end removed.
  static std::vector<std::string> HandlerLog();

  static std::string ReadText(HKEY root, const std::string& key, const std::string& name, DWORD* size = nullptr);
  static void WriteText(HKEY root, const std::string& key, const std::string& name, const std::string& text);
};

// For scripted steps, which run on the control panel's thread.
HWND Sheet();
HWND TopLevelWindow(const std::string& title);
std::string TextOf(HWND hwnd);
std::vector<std::string> TabTitles(HWND sheet);
// Selects the tab by index and answers its page window.
HWND ShowPage(int index);
void PostCommand(HWND dialog, int id);
// Selects the list box item with that text and tells the dialog, as a click does.
void ChooseListItem(HWND dialog, int listId, const std::string& text);
void ChooseComboItem(HWND dialog, int comboId, const std::string& text);

}  // namespace desk::testing
