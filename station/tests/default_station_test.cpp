// What a default station holds beyond its drive and registry layout: the Display control panel, the Colour
// page installed and registered with its background picture, and a tour through the control panel.
#include <gtest/gtest.h>
#include <host/station.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "control_panel_tour.h"
#include "station_layout.h"

namespace {

namespace fs = std::filesystem;

constexpr char kHandlerKey[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Controls Folder\\Display\\shellex\\PropertySheetHandlers\\"
    "Orvane Color Control";
constexpr char kServerKey[] = "CLSID\\{E1E066B5-8E0E-11cf-97F3-00608CC03883}\\InProcServer32";

class DefaultStation : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/ovx-default-station-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    root_ = pattern;
    ASSERT_TRUE(ovx::BootDefaultStation(root_));
  }
  void TearDown() override {
    if (host::IsStationBooted()) host::ShutdownStation();
    fs::remove_all(root_);
  }
  static std::string DefaultValue(HKEY root, const char* path) {
    char text[MAX_PATH] = {};
    LONG size = sizeof text;
    if (RegQueryValueA(root, path, text, &size) != ERROR_SUCCESS) return "(missing)";
    return text;
  }
  std::string root_;
};

TEST_F(DefaultStation, InstallsTheControlPanelAndTheColourPage) {
  for (const char* file : {"C:\\WINDOWS\\CONTROL.EXE", "C:\\WINDOWS\\SYSTEM\\DESK.CPL",
                           "C:\\WINDOWS\\SYSTEM\\CLRCPL.DLL", "C:\\WINDOWS\\SYSTEM\\M_COLOR.DLL",
                           "C:\\WINDOWS\\ovxbkgnd.bmp"})
    EXPECT_NE(GetFileAttributesA(file), INVALID_FILE_ATTRIBUTES) << file;
  EXPECT_EQ(DefaultValue(HKEY_LOCAL_MACHINE, kHandlerKey), "{E1E066B5-8E0E-11cf-97F3-00608CC03883}");
  EXPECT_EQ(DefaultValue(HKEY_CLASSES_ROOT, kServerKey), "C:\\WINDOWS\\SYSTEM\\CLRCPL.DLL");
}

TEST_F(DefaultStation, KeepsTheUsersOwnBackgroundPicture) {
  std::string picture = host::HostPath("C:\\WINDOWS\\ovxbkgnd.bmp");
  fs::remove(picture);
  { std::ofstream(picture, std::ios::binary) << "mine"; }
  host::ShutdownStation();
  ASSERT_TRUE(ovx::BootDefaultStation(root_));
  std::ifstream in(picture, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "mine");
}

TEST_F(DefaultStation, TheTourWalksEveryTabOfTheControlPanel) {
  char* text = nullptr;
  size_t size = 0;
  FILE* out = open_memstream(&text, &size);
  int result = ovx::ControlPanelTour(root_, out);
  std::fclose(out);
  std::string printed(text, size);
  free(text);
  EXPECT_EQ(result, 0) << printed;
  for (const char* expected : {"\"Display Properties\" opened", "tab 1: \"Background\"", "\"Settings\"",
                               "\"Colour\"", "stored settings:", "closed with OK"})
    EXPECT_NE(printed.find(expected), std::string::npos) << expected << "\n" << printed;
  EXPECT_TRUE(fs::exists(fs::path(root_) / "display-1-background.png")) << printed;
}

TEST_F(DefaultStation, RunReportsAProgramThatDoesNotStart) {
  host::ShutdownStation();
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(ovx::RunCommand(root_, "nothing.exe", 0, ""), 1);
  std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("\"nothing.exe\" did not start (WinExec answered 2)"), std::string::npos) << err;
}

TEST_F(DefaultStation, RunOpensTheControlPanelAndSavesTheScreen) {
  host::ShutdownStation();
  std::string shot = root_ + "/screen.png";
  ::testing::internal::CaptureStdout();
  EXPECT_EQ(ovx::RunCommand(root_, "control.exe desk.cpl", 1, shot), 0);
  std::string printed = ::testing::internal::GetCapturedStdout();
  EXPECT_NE(printed.find("started \"control.exe desk.cpl\""), std::string::npos) << printed;
  EXPECT_TRUE(fs::exists(shot));
}

}  // namespace
