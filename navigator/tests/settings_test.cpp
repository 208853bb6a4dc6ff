// Navigator settings in the registry: defaults, texts in any case, values
// that are missing, too long or unusable, and exactly what is written.
#include <host_testing/station_fixture.h>
#include <windows.h>

#include <string>

#include "navigator_settings.h"

namespace {

class NavigatorSettingsTest : public host::testing::StationTest {
 protected:
  void Set(const char* name, const std::string& bytes, DWORD type = REG_SZ) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Orvane\\Panovue", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(bytes.data()), bytes.size());
    RegCloseKey(key);
  }
  std::string Get(const char* name) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Orvane\\Panovue", 0, KEY_READ, &key) != ERROR_SUCCESS)
      return "<no key>";
    char data[64];
    DWORD size = sizeof data, type;
    LONG result = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(key);
    return result == ERROR_SUCCESS ? std::string(data, size) : "<none>";
  }
};

TEST_F(NavigatorSettingsTest, WithoutTheKeyEverySettingIsItsDefault) {
  NavigatorSettings s = ReadSettings();
  EXPECT_EQ(s.windowRatio, 1.0f / 6.0f);
  EXPECT_FALSE(s.snapTo);
  EXPECT_FALSE(s.flowSnap);
  EXPECT_EQ(s.snapCorner, NAV_UPPER_LEFT);
  EXPECT_EQ(s.showItems, NAV_SHOW_BOTH);
  EXPECT_TRUE(s.centerCursor);
}

TEST_F(NavigatorSettingsTest, TextsAreReadWithoutRegardToCase) {
  Set("SnapTo", "eNaBlEd");
  Set("FlowSnap", "Enabled ");
  Set("SnapCorner", "lower-right");
  Set("ShowItem", "TOOLBAR");
  Set("Center Cursor", std::string("0\0", 2));
  Set("Window Ratio", "0.250000");
  NavigatorSettings s = ReadSettings();
  EXPECT_TRUE(s.snapTo);
  EXPECT_FALSE(s.flowSnap) << "only \"Enabled\" itself turns it on";
  EXPECT_EQ(s.snapCorner, NAV_LOWER_RIGHT);
  EXPECT_EQ(s.showItems, NAV_SHOW_TOOLBAR);
  EXPECT_FALSE(s.centerCursor);
  EXPECT_EQ(s.windowRatio, 0.25f);
}

TEST_F(NavigatorSettingsTest, UnusableValuesTakeTheirDefaults) {
  struct Case {
    const char* name;
    std::string stored;
  } cases[] = {
      {"Window Ratio", "1e30"}, {"Window Ratio", "inf"}, {"Window Ratio", "-0.2"}, {"Window Ratio", "nan"},
      {"Window Ratio", "wide"}, {"Window Ratio", "0.01"}, {"Window Ratio", "0.16666666666666666666"},
      {"ShowItem", ""},         {"ShowItem", "Desktop & Toolbar"}, {"SnapCorner", "Middle"},
      {"SnapTo", "12345678901234567890Enabled"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.name) + " = " + c.stored);
    Set(c.name, c.stored);
    NavigatorSettings s = ReadSettings();
    NavigatorSettings d = DefaultNavigatorSettings();
    EXPECT_EQ(s.windowRatio, d.windowRatio);
    EXPECT_EQ(s.showItems, d.showItems);
    EXPECT_EQ(s.snapCorner, d.snapCorner);
    EXPECT_EQ(s.snapTo, d.snapTo);
  }
}

TEST_F(NavigatorSettingsTest, AValueFillingTheBufferCountsAsMissing) {
  Set("ShowItem", std::string("Desktop") + std::string(12, ' '));  // 19 bytes: read, not "Desktop"
  EXPECT_EQ(ReadSettings().showItems, NAV_SHOW_BOTH);
  Set("SnapCorner", std::string("Lower-Right") + std::string(9, '\0'));  // 20 bytes: missing
  EXPECT_EQ(ReadSettings().snapCorner, NAV_UPPER_LEFT);
  Set("SnapCorner", std::string("Lower-Right") + std::string(8, '\0'));  // 19 bytes, NUL inside
  EXPECT_EQ(ReadSettings().snapCorner, NAV_LOWER_RIGHT);
}

TEST_F(NavigatorSettingsTest, WritesStoreTextsWithoutTheirNul) {
  NavigatorSettings s = DefaultNavigatorSettings();
  s.snapTo = TRUE;
  s.showItems = NAV_SHOW_DESKTOP;
  s.snapCorner = NAV_LOWER_LEFT;
  ASSERT_TRUE(SaveOptions(s));
  EXPECT_EQ(Get("SnapTo"), "Enabled");
  EXPECT_EQ(Get("FlowSnap"), "Disabled");
  EXPECT_EQ(Get("ShowItem"), "Desktop");
  EXPECT_EQ(Get("SnapCorner"), "Lower-Left");
  s.windowRatio = 0.166015625f;
  ASSERT_TRUE(SaveWindowState(s));
  EXPECT_EQ(Get("Window Ratio"), "0.166016");
  ASSERT_TRUE(SaveCenterCursor(FALSE));
  EXPECT_EQ(Get("Center Cursor"), std::string("0\0", 2));
  EXPECT_FLOAT_EQ(ReadSettings().windowRatio, 0.166016f);
}

TEST_F(NavigatorSettingsTest, WindowRatioIsSavedOnlyWhileTheMiniatureIsShown) {
  NavigatorSettings s = DefaultNavigatorSettings();
  s.showItems = NAV_SHOW_TOOLBAR;
  s.snapCorner = NAV_UPPER_RIGHT;
  ASSERT_TRUE(SaveWindowState(s));
  EXPECT_EQ(Get("Window Ratio"), "<none>");
  EXPECT_EQ(Get("SnapCorner"), "Upper-Right");
}

}  // namespace
