// The screen device around the adapter: DCs, capabilities, gamma, mode
// changes, system metrics, the cursor-following pan and the adapter file.
#include <host/adapter.h>
#include <host/registry.h>
#include <host_testing/station_fixture.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

using host::adapter::Config;
using host::adapter::Event;
using host::adapter::GammaMode;

class DeviceTest : public host::testing::StationTest {
 protected:
  static void Configure(const Config& config) {
    std::string error;
    ASSERT_TRUE(host::adapter::Configure(config, &error)) << error;
  }
  static Config Panning() {
    Config c;
    c.desktopWidth = 1600;
    c.desktopHeight = 1200;
    return c;
  }
  std::string RegistryText(HKEY root, const char* path, const char* name) {
    HKEY key;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return "";
    char text[64] = {};
    DWORD size = sizeof(text) - 1;
    RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(text), &size);
    RegCloseKey(key);
    return text;
  }
};

TEST_F(DeviceTest, ScreenDCsOfNullAndTheDesktopAreReleasedOnlyOnce) {
  HWND desktop = GetDesktopWindow();
  HDC a = GetDC(NULL), b = GetDC(desktop);
  ASSERT_NE(nullptr, a);
  ASSERT_NE(nullptr, b);
  EXPECT_NE(a, b);
  EXPECT_EQ(2, host::adapter::OpenScreenDCs());
  EXPECT_EQ(1, ReleaseDC(desktop, a));  // a screen DC belongs to the desktop window
  EXPECT_EQ(1, ReleaseDC(NULL, b));
  EXPECT_EQ(0, ReleaseDC(NULL, b));
  EXPECT_EQ(0, host::adapter::OpenScreenDCs());
  EXPECT_EQ(0, ExtEscape(b, QUERYESCSUPPORT, 0, nullptr, 0, nullptr));  // stale
  EXPECT_EQ(0, GetDeviceCaps(reinterpret_cast<HDC>(0x1234), BITSPIXEL));
}

TEST_F(DeviceTest, GetDCFaultGivesNoDC) {
  host::adapter::Faults faults;
  faults.getDCFails = true;
  host::adapter::SetFaults(faults);
  EXPECT_EQ(nullptr, GetDC(NULL));
  EXPECT_EQ(0, host::adapter::OpenScreenDCs());
  auto log = host::adapter::DeviceLog();
  ASSERT_EQ(1u, log.size());
  EXPECT_EQ(host::adapter::LogEntry::GetDC, log[0].kind);
  EXPECT_EQ(0, log[0].result);
}

TEST_F(DeviceTest, DeviceCapabilitiesFollowTheMode) {
  struct Case {
    int bpp, dpi;
    int rasterPalette, colorRes, sizePalette;
  } cases[] = {{8, 96, RC_PALETTE, 18, 256}, {16, 120, 0, 16, 0}, {24, 96, 0, 24, 0}, {32, 120, 0, 24, 0}};
  for (const Case& k : cases) {
    SCOPED_TRACE(k.bpp);
    Config c = Panning();
    c.bitsPerPixel = k.bpp;
    c.displayWidth = c.desktopWidth = 800;
    c.displayHeight = c.desktopHeight = 600;
    c.fontDpi = k.dpi;
    Configure(c);
    HDC dc = GetDC(NULL);
    EXPECT_EQ(k.bpp, GetDeviceCaps(dc, BITSPIXEL));
    EXPECT_EQ(1, GetDeviceCaps(dc, PLANES));
    EXPECT_EQ(k.rasterPalette, GetDeviceCaps(dc, RASTERCAPS) & RC_PALETTE);
    EXPECT_NE(0, GetDeviceCaps(dc, RASTERCAPS) & RC_BITBLT);
    EXPECT_EQ(k.colorRes, GetDeviceCaps(dc, COLORRES));
    EXPECT_EQ(k.sizePalette, GetDeviceCaps(dc, SIZEPALETTE));
    EXPECT_EQ(k.dpi, GetDeviceCaps(dc, LOGPIXELSX));
    EXPECT_EQ(k.dpi, GetDeviceCaps(dc, LOGPIXELSY));
    EXPECT_EQ(800, GetDeviceCaps(dc, HORZRES));
    EXPECT_EQ(600, GetDeviceCaps(dc, VERTRES));
    EXPECT_EQ(DT_RASDISPLAY, GetDeviceCaps(dc, TECHNOLOGY));
    ReleaseDC(NULL, dc);
    // A memory DC answers for the screen it is compatible with, whatever bitmap it holds.
    HDC memory = CreateCompatibleDC(NULL);
    EXPECT_EQ(k.bpp, GetDeviceCaps(memory, BITSPIXEL));
    EXPECT_EQ(k.dpi, GetDeviceCaps(memory, LOGPIXELSX));
    EXPECT_EQ(k.dpi, GetDeviceCaps(memory, LOGPIXELSY));
    EXPECT_EQ(800, GetDeviceCaps(memory, HORZRES));
    EXPECT_EQ(600, GetDeviceCaps(memory, VERTRES));
    DeleteDC(memory);
  }
  EXPECT_EQ(0, GetDeviceCaps(reinterpret_cast<HDC>(0x1234), BITSPIXEL)) << "a bad handle";
}

TEST_F(DeviceTest, GammaRampModes) {
  std::vector<WORD> ramp(768);
  for (int i = 0; i < 768; ++i) ramp[i] = static_cast<WORD>((i % 256) * 256 + 0x7F);
  struct Case {
    GammaMode mode;
    BOOL result;
    WORD readBackOf255;  // entry 255 after setting 0xFF7F
  } cases[] = {{GammaMode::Full, TRUE, 0xFF7F}, {GammaMode::EightBit, TRUE, 0xFF}, {GammaMode::Refuses, FALSE, 0}};
  for (const Case& k : cases) {
    SCOPED_TRACE(static_cast<int>(k.mode));
    host::adapter::SetGammaMode(k.mode);
    HDC dc = GetDC(NULL);
    std::vector<WORD> back(768, 0);
    EXPECT_EQ(k.result, SetDeviceGammaRamp(dc, ramp.data()));
    EXPECT_EQ(k.result, GetDeviceGammaRamp(dc, back.data()));
    EXPECT_EQ(k.readBackOf255, back[255]);
    ReleaseDC(NULL, dc);
  }
}

TEST_F(DeviceTest, GammaRampStartsAsIdentityAndNeedsAScreenDC) {
  HDC dc = GetDC(NULL);
  std::vector<WORD> ramp(768, 0);
  ASSERT_TRUE(GetDeviceGammaRamp(dc, ramp.data()));
  EXPECT_EQ(0, ramp[0]);
  EXPECT_EQ(0x8080, ramp[256 + 128]);
  EXPECT_EQ(0xFFFF, ramp[767]);
  EXPECT_FALSE(GetDeviceGammaRamp(dc, nullptr));
  ReleaseDC(NULL, dc);
  EXPECT_FALSE(GetDeviceGammaRamp(dc, ramp.data()));
}

DEVMODEA Mode(DWORD fields, DWORD width, DWORD height, DWORD bpp) {
  DEVMODEA mode{};
  mode.dmSize = sizeof(DEVMODEA);
  mode.dmFields = fields;
  mode.dmPelsWidth = width;
  mode.dmPelsHeight = height;
  mode.dmBitsPerPel = bpp;
  return mode;
}

TEST_F(DeviceTest, ChangeDisplaySettingsAnswersAsADriverWould) {
  const DWORD all = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
  static_assert((DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT) == 0x1C0000);
  struct Case {
    const char* what;
    DEVMODEA mode;
    DWORD flags;
    LONG answer;
    int desktopWidth, bpp;         // afterwards
    const char* storedResolution;  // HKCC "Display\Settings" "Resolution" afterwards
  } cases[] = {
      {"new size", Mode(all, 800, 600, 8), 0, DISP_CHANGE_SUCCESSFUL, 800, 8, ""},
      {"stored", Mode(all, 1280, 1024, 8), CDS_UPDATEREGISTRY, DISP_CHANGE_SUCCESSFUL, 1280, 8, "1280,1024"},
      {"test only", Mode(all, 800, 600, 8), CDS_TEST, DISP_CHANGE_SUCCESSFUL, 1024, 8, ""},
      {"new depth", Mode(all, 1024, 768, 16), CDS_UPDATEREGISTRY, DISP_CHANGE_RESTART, 1024, 8, "1024,768"},
      {"too large", Mode(all, 1600, 1200, 24), 0, DISP_CHANGE_BADMODE, 1024, 8, ""},
      {"test of too large", Mode(all, 1600, 1200, 24), CDS_TEST, DISP_CHANGE_BADMODE, 1024, 8, ""},
      {"odd size", Mode(all, 1000, 700, 8), 0, DISP_CHANGE_BADMODE, 1024, 8, ""},
      {"width only", Mode(DM_PELSWIDTH, 1280, 600, 16), 0, DISP_CHANGE_BADMODE, 1024, 8, ""},
      {"unknown flag", Mode(all, 800, 600, 8), 0x100, DISP_CHANGE_BADFLAGS, 1024, 8, ""},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    Configure(Config{});
    RegDeleteKeyA(HKEY_CURRENT_CONFIG, "Display\\Settings");
    DEVMODEA mode = k.mode;
    EXPECT_EQ(k.answer, ChangeDisplaySettingsA(&mode, k.flags));
    EXPECT_EQ(k.desktopWidth, host::adapter::CurrentState().desktopWidth);
    EXPECT_EQ(k.bpp, host::adapter::CurrentState().bitsPerPixel);
    EXPECT_EQ(k.storedResolution, RegistryText(HKEY_CURRENT_CONFIG, "Display\\Settings", "Resolution"));
  }
}

TEST_F(DeviceTest, ChangeDisplaySettingsFailuresAndTheRegistryMode) {
  DEVMODEA mode = Mode(DM_PELSWIDTH | DM_PELSHEIGHT, 800, 600, 0);
  mode.dmSize = 64;
  EXPECT_EQ(DISP_CHANGE_BADMODE, ChangeDisplaySettingsA(&mode, 0));
  mode.dmSize = sizeof(DEVMODEA);
  host::adapter::Faults faults;
  faults.modeSetFails = true;
  host::adapter::SetFaults(faults);
  EXPECT_EQ(DISP_CHANGE_FAILED, ChangeDisplaySettingsA(&mode, 0));
  EXPECT_EQ(1024, host::adapter::CurrentState().desktopWidth);
  host::adapter::ClearFaults();
  // Stored 1024 x 768, switched to 800 x 600 for a while, then back to what the registry keeps.
  DEVMODEA stored = Mode(DM_PELSWIDTH | DM_PELSHEIGHT, 1024, 768, 0);
  EXPECT_EQ(DISP_CHANGE_SUCCESSFUL, ChangeDisplaySettingsA(&stored, CDS_UPDATEREGISTRY));
  EXPECT_EQ(DISP_CHANGE_SUCCESSFUL, ChangeDisplaySettingsA(&mode, 0));
  EXPECT_EQ(800, host::adapter::CurrentState().desktopWidth);
  EXPECT_EQ(DISP_CHANGE_SUCCESSFUL, ChangeDisplaySettingsA(nullptr, 0));
  EXPECT_EQ(1024, host::adapter::CurrentState().desktopWidth);
}

TEST_F(DeviceTest, DepthStoredForTheNextStartTakesEffectAtReboot) {
  DEVMODEA mode = Mode(DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT, 1024, 768, 16);
  ASSERT_EQ(DISP_CHANGE_RESTART, ChangeDisplaySettingsA(&mode, CDS_UPDATEREGISTRY));
  EXPECT_EQ(8, host::adapter::CurrentState().bitsPerPixel);
  Reboot();
  EXPECT_EQ(16, host::adapter::CurrentState().bitsPerPixel);
}

TEST_F(DeviceTest, FullModeChangeKeepsTheDisplayResolutionSetting) {
  HKEY key;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Orvane\\Deskforge\\Current Settings", 0,
                                           nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr));
  RegSetValueExA(key, "Display Resolution", 0, REG_SZ, reinterpret_cast<const BYTE*>("800,600"), 7);
  RegCloseKey(key);
  DEVMODEA mode = Mode(DM_PELSWIDTH | DM_PELSHEIGHT, 1280, 1024, 0);
  ASSERT_EQ(DISP_CHANGE_SUCCESSFUL, ChangeDisplaySettingsA(&mode, 0));
  host::adapter::State s = host::adapter::CurrentState();
  EXPECT_EQ(800, s.displayWidth);
  EXPECT_EQ(600, s.displayHeight);
  EXPECT_EQ(1280, s.desktopWidth);
}

// After a full mode change the display is "Display Resolution" when that fits the new desktop (and is a
// resolution the adapter scans), otherwise as large as the desktop.
TEST_F(DeviceTest, FullModeChangeTakesTheDisplaySizeByTheRule) {
  struct Case {
    const char* setting;  // nullptr: none
    int desktopWidth, desktopHeight;
    int displayWidth, displayHeight;
  } cases[] = {
      {"800,600", 1280, 1024, 800, 600},     {"1024,768", 1024, 768, 1024, 768},
      {"1280,1024", 1024, 768, 1024, 768},  // larger than the desktop
      {"1280,600", 1280, 1024, 1280, 1024},  // not a resolution the adapter scans
      {nullptr, 1152, 864, 1152, 864},       {"", 800, 600, 800, 600},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.setting ? k.setting : "none");
    Configure(Config{});
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Orvane\\Deskforge\\Current Settings");
    if (k.setting) {
      HKEY key;
      ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Orvane\\Deskforge\\Current Settings",
                                               0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr));
      RegSetValueExA(key, "Display Resolution", 0, REG_SZ, reinterpret_cast<const BYTE*>(k.setting),
                     static_cast<DWORD>(std::strlen(k.setting)));
      RegCloseKey(key);
    }
    DEVMODEA mode = Mode(DM_PELSWIDTH | DM_PELSHEIGHT, k.desktopWidth, k.desktopHeight, 0);
    ASSERT_EQ(DISP_CHANGE_SUCCESSFUL, ChangeDisplaySettingsA(&mode, 0));
    host::adapter::State s = host::adapter::CurrentState();
    EXPECT_EQ(k.desktopWidth, s.desktopWidth);
    EXPECT_EQ(k.displayWidth, s.displayWidth);
    EXPECT_EQ(k.displayHeight, s.displayHeight);
  }
}

TEST_F(DeviceTest, SystemMetricsOfWindows95AndTheDesktop) {
  Configure(Panning());
  struct Case {
    int index, value;
  } cases[] = {{SM_CXSCREEN, 1600}, {SM_CYSCREEN, 1200}, {SM_CXFRAME, 4},      {SM_CYFRAME, 4},
               {SM_CXBORDER, 1},    {SM_CYBORDER, 1},    {SM_CYSMCAPTION, 15}, {SM_CYCAPTION, 19},
               {SM_CXDLGFRAME, 3},  {SM_CXEDGE, 2},      {SM_CXSMICON, 16},    {SM_CXICON, 32},
               {SM_CXMINIMIZED, 160}, {SM_CYMINIMIZED, 24}};
  for (const Case& k : cases) {
    SCOPED_TRACE(k.index);
    EXPECT_EQ(k.value, GetSystemMetrics(k.index));
  }
}

TEST_F(DeviceTest, CursorLeavingTheVisiblePartPansByTheLeastAmount) {
  Configure(Panning());  // visible 1024 x 768 of 1600 x 1200
  std::vector<Event> events;
  int id = host::adapter::AddListener([&](Event e) { events.push_back(e); });
  struct Case {
    int x, y;
    int originX, originY;
    bool pans;
  } cases[] = {
      {500, 500, 0, 0, false},    {1024, 100, 1, 0, true}, {1599, 1199, 576, 432, true}, {700, 500, 576, 432, false},
      {575, 431, 575, 431, true}, {0, 1199, 0, 432, true}, {5000, -20, 576, 0, true},  // outside the desktop: clamped
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(std::to_string(k.x) + "," + std::to_string(k.y));
    events.clear();
    host::adapter::OnCursorMoved(k.x, k.y);
    EXPECT_EQ(k.originX, host::adapter::CurrentState().originX);
    EXPECT_EQ(k.originY, host::adapter::CurrentState().originY);
    EXPECT_EQ(k.pans ? std::vector<Event>{Event::Panned} : std::vector<Event>{}, events);
  }
  host::adapter::RemoveListener(id);
}

TEST_F(DeviceTest, NoPanWhenTheDisplayShowsTheWholeDesktop) {
  host::adapter::OnCursorMoved(1023, 767);
  host::adapter::OnCursorMoved(0, 0);
  EXPECT_EQ(0, host::adapter::CurrentState().originX);
}

TEST_F(DeviceTest, ZoomClampsTheOriginAndIsAChange) {
  Config c = Panning();
  c.zoom = 2;
  c.originX = 1088;  // the right edge at zoom 2 (visible 512)
  Configure(c);
  std::vector<Event> events;
  int id = host::adapter::AddListener([&](Event e) { events.push_back(e); });
  EXPECT_TRUE(host::adapter::SetZoom(1));
  EXPECT_EQ(576, host::adapter::CurrentState().originX);
  EXPECT_EQ((std::vector<Event>{Event::Panned, Event::ModeChanged}), events);
  EXPECT_FALSE(host::adapter::SetZoom(3));
  EXPECT_EQ(1, host::adapter::CurrentState().zoom);
  host::adapter::RemoveListener(id);
}

TEST_F(DeviceTest, ConfigurationRefusesWhatTheAdapterCannotShow) {
  struct Case {
    const char* what;
    void (*change)(Config&);
  } cases[] = {
      {"desktop smaller", [](Config& c) { c.desktopWidth = 800; }},
      {"depth", [](Config& c) { c.bitsPerPixel = 15; }},
      {"zoom", [](Config& c) { c.zoom = 0; }},
      {"memory", [](Config& c) { c.videoMemory = 512 * 1024; }},
      {"no board", [](Config& c) { c.boards.clear(); }},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    Config c;
    k.change(c);
    std::string error;
    EXPECT_FALSE(host::adapter::Configure(c, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(1024, host::adapter::CurrentState().desktopWidth);
  }
}

TEST_F(DeviceTest, AdapterFileRoundTripsAndIsReadAtBoot) {
  Config c = Panning();
  c.bitsPerPixel = 16;
  c.version = 0x30008;
  c.monitorDeviceKey = "Enum\\MONITOR\\X\\0001";
  c.boards = {host::adapter::Board{0, 0x519, 0x0201, 135, "Orvane OVX 2000"}, host::adapter::Board{}};
  ASSERT_TRUE(host::adapter::WriteConfigFile(host::adapter::StationConfigPath(), c));
  Config back;
  std::string error;
  ASSERT_TRUE(host::adapter::ReadConfigFile(host::adapter::StationConfigPath(), back, &error)) << error;
  EXPECT_EQ(1600, back.desktopWidth);
  EXPECT_EQ(0x30008u, back.version);
  EXPECT_EQ("Enum\\MONITOR\\X\\0001", back.monitorDeviceKey);
  ASSERT_EQ(2u, back.boards.size());
  EXPECT_EQ("Orvane OVX 2000", back.boards[0].name);
  EXPECT_EQ(135, back.boards[0].maxPixelClockMHz);
  Reboot();
  EXPECT_EQ(1600, host::adapter::CurrentState().desktopWidth);
  EXPECT_EQ(16, host::adapter::CurrentState().bitsPerPixel);
}

TEST_F(DeviceTest, DamagedAdapterFilesAreReportedByLine) {
  struct Case {
    const char* text;
    const char* error;
  } cases[] = {
      {"display = 1024x768\nzoom = two\n", "line 2"},
      {"# comment\n\ncolour = 8\n", "line 3"},
      {"[board]\ndevice_id = 0x10000\n", "line 2"},
      {"display 1024x768\n", "line 1"},
      {"version = -1\n", "line 1"},
  };
  std::string path = root() + "/bad.ini";
  for (const Case& k : cases) {
    SCOPED_TRACE(k.text);
    std::ofstream(path, std::ios::binary | std::ios::trunc) << k.text;
    Config c;
    std::string error;
    EXPECT_FALSE(host::adapter::ReadConfigFile(path, c, &error));
    EXPECT_NE(std::string::npos, error.find(k.error)) << error;
  }
}

TEST_F(DeviceTest, ADamagedStationAdapterFileIsKeptAndTheDefaultUsed) {
  const std::string damaged = "display = 1024x768\nzoom = 3\n";
  std::ofstream(host::adapter::StationConfigPath(), std::ios::binary) << damaged;
  Reboot();
  EXPECT_EQ(1, host::adapter::CurrentState().zoom);
  std::ifstream in(host::adapter::StationConfigPath(), std::ios::binary);
  EXPECT_EQ(damaged, std::string(std::istreambuf_iterator<char>(in), {}));
}

TEST_F(DeviceTest, UseConfigAppliesAPresetAndKeepsItForLaterBoots) {
  std::string error;
  ASSERT_TRUE(host::adapter::UseConfig("panning", &error)) << error;
  EXPECT_EQ(1600, host::adapter::CurrentState().desktopWidth);
  Reboot();
  EXPECT_EQ(1600, host::adapter::CurrentState().desktopWidth);
  EXPECT_FALSE(host::adapter::UseConfig("no-such-preset", &error));
  EXPECT_NE(std::string::npos, error.find("presets:"));
  for (const std::string& name : host::adapter::PresetNames()) {
    SCOPED_TRACE(name);
    EXPECT_TRUE(host::adapter::UseConfig(name, &error)) << error;
  }
}

TEST_F(DeviceTest, BootResetsFaultsLogAndGamma) {
  host::adapter::Faults faults;
  faults.escapeFails = true;
  host::adapter::SetFaults(faults);
  host::adapter::SetGammaMode(GammaMode::Refuses);
  GetDC(NULL);
  Reboot();
  EXPECT_FALSE(host::adapter::CurrentFaults().escapeFails);
  EXPECT_TRUE(host::adapter::DeviceLog().empty());
  EXPECT_EQ(0, host::adapter::OpenScreenDCs());
  HDC dc = GetDC(NULL);
  std::vector<WORD> ramp(768);
  EXPECT_TRUE(GetDeviceGammaRamp(dc, ramp.data()));
  ReleaseDC(NULL, dc);
}

}  // namespace
