// Loading and saving the colour settings, and their way back onto the sliders.
#include <host/registry.h>
#include <host_testing/station_fixture.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "colour_settings.h"
#include "colour_test_support.h"

namespace colour {
namespace {

using test_support::Dword;
using test_support::StoredDword;
using test_support::StoredValue;

constexpr char kKeyPath[] = "HKEY_LOCAL_MACHINE\\Software\\Orvane\\Color Control";

class ColourSettingsTest : public host::testing::StationTest {};

std::vector<StoredValue> WhitePointValues() {
  return {Dword("WPRed", 255), Dword("WPGreen", 255), Dword("WPBlue", 255)};
}

std::vector<StoredValue> With(std::vector<StoredValue> values, std::vector<StoredValue> more) {
  values.insert(values.end(), more.begin(), more.end());
  return values;
}

TEST_F(ColourSettingsTest, StoredValuesReachTheSlidersSoundly) {
  struct Case {
    const char* what;
    std::vector<StoredValue> stored;
    bool loads;
    int positions[kSliderCount];
    bool linked;
  } cases[] = {
      {"nothing stored", {}, false, {80, 80, 80, 10}, false},
      {"gammas without the white point",
       {Dword("Gamma Red", 70), Dword("Contrast", 3)},
       false,
       {80, 80, 80, 10},
       false},
      {"white point only", WhitePointValues(), true, {80, 80, 80, 10}, false},
      {"70 converts to 51 and snaps to 50",
       With(WhitePointValues(), {Dword("Gamma Red", 70), Dword("Linked", 1)}),
       true,
       {60, 80, 80, 10},
       true},
      {"the extremes",
       With(WhitePointValues(), {Dword("Gamma Green", 25), Dword("Gamma Blue", 400)}),
       true,
       {80, 0, 160, 10},
       false},
      // trunc(100 x log2(1 / 0.26)) = 194 lands on position 2, which saves 25: position 3 saves 26.
      {"a position that saves the loaded number",
       With(WhitePointValues(), {Dword("Gamma Red", 26)}),
       true,
       {3, 80, 80, 10},
       false},
      {"any non-zero link counts", With(WhitePointValues(), {Dword("Linked", 7)}), true, {80, 80, 80, 10}, true},
      {"gamma 0 and below count as absent",
       With(WhitePointValues(), {Dword("Gamma Red", 0), Dword("Gamma Green", -70), Dword("Gamma Blue", 200)}),
       true,
       {80, 80, 120, 10},
       false},
      {"gammas beyond the range stop at its ends",
       With(WhitePointValues(), {Dword("Gamma Red", 1), Dword("Gamma Green", 0x7FFFFFFF), Dword("Gamma Blue", 1000)}),
       true,
       {0, 160, 160, 10},
       false},
      {"white point above the table is clamped",
       With(WhitePointValues(), {Dword("Contrast", 25)}),
       true,
       {80, 80, 80, 20},
       false},
      {"white point below the table is clamped",
       With(WhitePointValues(), {Dword("Contrast", -1)}),
       true,
       {80, 80, 80, 0},
       false},
      {"a value of the wrong type does not count",
       {Dword("WPRed", 255), Dword("WPGreen", 255), StoredValue{"WPBlue", REG_SZ, {'2', '5', '5', 0}}},
       false,
       {80, 80, 80, 10},
       false},
      {"a short REG_DWORD does not count",
       {Dword("WPRed", 255), Dword("WPGreen", 255), StoredValue{"WPBlue", REG_DWORD, {0xFF, 0}}},
       false,
       {80, 80, 80, 10},
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kSettingsKey);
    test_support::Store(c.stored);
    Settings settings;
    EXPECT_EQ(c.loads, LoadSettings(settings));
    if (!c.loads) {
      EXPECT_TRUE(test_support::SameSettings(DefaultSettings(), settings)) << "defaults stay";
    }
    SliderValues sliders = SlidersFromSettings(settings);
    for (int s = 0; s < kSliderCount; ++s) {
      EXPECT_EQ(PositionToValue(s, c.positions[s]), sliders.value[s]) << "slider " << s;
    }
    EXPECT_EQ(c.linked, sliders.linked);
  }
}

TEST_F(ColourSettingsTest, LoadedWhitePointScalesAreStoredOver255) {
  test_support::Store({Dword("WPRed", 218), Dword("WPGreen", 231), Dword("WPBlue", 255)});
  Settings settings;
  ASSERT_TRUE(LoadSettings(settings));
  EXPECT_DOUBLE_EQ(218 / 255.0, settings.whitePointScale[kRed]);
  EXPECT_DOUBLE_EQ(231 / 255.0, settings.whitePointScale[kGreen]);
  EXPECT_DOUBLE_EQ(1.0, settings.whitePointScale[kBlue]);
}

TEST_F(ColourSettingsTest, SaveWritesEveryValueAsTruncatedDwords) {
  SliderValues sliders{};
  test_support::SetSliders(sliders, 50, 0, -50, 14);
  sliders.linked = true;
  ASSERT_TRUE(SaveSettings(SettingsFromSliders(sliders)));
  struct Expected {
    const char* name;
    LONG value;
  } expected[] = {{"Linked", 1},    {"Gamma Red", 70}, {"Gamma Green", 100}, {"Gamma Blue", 141},
                  {"Contrast", 14}, {"WPRed", 218},    {"WPGreen", 231},     {"WPBlue", 255}};
  for (const Expected& e : expected) EXPECT_EQ(e.value, StoredDword(e.name)) << e.name;
}

TEST_F(ColourSettingsTest, SaveStopsAtTheFirstFailingValue) {
  SliderValues sliders{};
  test_support::SetSliders(sliders, 0, 0, 0, 10);
  for (size_t failing = 0; failing < std::size(kValueNames); ++failing) {
    SCOPED_TRACE(kValueNames[failing]);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kSettingsKey);
    host::registry::ClearFaults();
    host::registry::InjectFault(host::registry::Op::Set, kKeyPath, kValueNames[failing], ERROR_ACCESS_DENIED);
    EXPECT_FALSE(SaveSettings(SettingsFromSliders(sliders)));
    for (size_t i = 0; i < std::size(kValueNames); ++i)
      EXPECT_EQ(i < failing, StoredDword(kValueNames[i]).has_value()) << kValueNames[i];
  }
  host::registry::ClearFaults();
  RegDeleteKeyA(HKEY_LOCAL_MACHINE, kSettingsKey);
  host::registry::InjectFault(host::registry::Op::Create, kKeyPath, ERROR_CANTWRITE);
  EXPECT_FALSE(SaveSettings(SettingsFromSliders(sliders)));
  EXPECT_FALSE(StoredDword("Linked").has_value());
}

// Saving keeps only E x 100, so two neighbouring positions can save the same
// number. What must hold: a loaded position saves exactly the number it was
// loaded from, it is the saved position itself wherever that number is its
// alone, and saving it again changes nothing.
TEST_F(ColourSettingsTest, SaveThenLoadKeepsTheStoredSettingsSteady) {
  std::vector<LONG> storedAt(161);
  for (int p = 0; p <= 160; ++p) storedAt[p] = StoredGamma(GammaExponent(PositionToValue(kRed, p)));
  auto unique = [&](int p) { return std::count(storedAt.begin(), storedAt.end(), storedAt[p]) == 1; };

  for (int p = 0; p <= 160; ++p) {
    SCOPED_TRACE(testing::Message() << "position " << p);
    SliderValues saved{};
    int whitePoint = p % kWhitePointCount;
    test_support::SetSliders(saved, PositionToValue(kRed, p), PositionToValue(kGreen, 160 - p),
                             PositionToValue(kBlue, (p * 7) % 161), whitePoint);
    saved.linked = p % 2 == 1;
    ASSERT_TRUE(SaveSettings(SettingsFromSliders(saved)));
    Settings settings;
    ASSERT_TRUE(LoadSettings(settings));
    SliderValues loaded = SlidersFromSettings(settings);

    EXPECT_EQ(whitePoint, loaded.value[kWhitePoint]);
    EXPECT_EQ(saved.linked, loaded.linked);
    for (int c = 0; c < kGammaSliderCount; ++c) {
      int savedPosition = ValueToPosition(c, saved.value[c]);
      int loadedPosition = ValueToPosition(c, loaded.value[c]);
      EXPECT_EQ(storedAt[savedPosition], storedAt[loadedPosition]) << "channel " << c;
      if (unique(savedPosition)) {
        EXPECT_EQ(savedPosition, loadedPosition) << "channel " << c;
      }
      EXPECT_LE(std::abs(savedPosition - loadedPosition), 2) << "channel " << c;
    }

    ASSERT_TRUE(SaveSettings(SettingsFromSliders(loaded)));
    ASSERT_TRUE(LoadSettings(settings));
    SliderValues again = SlidersFromSettings(settings);
    for (int s = 0; s < kSliderCount; ++s) EXPECT_EQ(loaded.value[s], again.value[s]) << "slider " << s;
  }
}

}  // namespace
}  // namespace colour
