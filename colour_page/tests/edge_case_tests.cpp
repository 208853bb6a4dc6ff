// The model's edge cases in one table: each row sets up the station, runs the
// model and checks what it promises.
#include <commctrl.h>
#include <host/adapter.h>
#include <host/registry.h>
#include <host_testing/station_fixture.h>

#include <cmath>
#include <functional>

#include "colour_settings.h"
#include "colour_test_support.h"
#include "gamma_device.h"
#include "slider_panel.h"

namespace colour {
namespace {

class ColourEdgeCaseTest : public host::testing::StationTest {};

GammaRamp RampAt(int red, int green, int blue, int whitePoint) {
  SliderPanel panel;
  panel.Scroll(kRed, TB_THUMBPOSITION, red, 0);
  panel.Scroll(kGreen, TB_THUMBPOSITION, green, 0);
  panel.Scroll(kBlue, TB_THUMBPOSITION, blue, 0);
  panel.Scroll(kWhitePoint, TB_THUMBPOSITION, whitePoint, 0);
  GammaRamp ramp;
  panel.ComputeWorkingRamp(ramp);
  return ramp;
}

TEST_F(ColourEdgeCaseTest, Table) {
  struct Case {
    const char* what;
    std::function<void()> check;
  } cases[] = {
      {"position 80: v 0, \"1.00\", exponent 1, identity ramp",
       [] {
         EXPECT_EQ(0, PositionToValue(kRed, 80));
         EXPECT_EQ("1.00", FormatValue(kRed, 0));
         EXPECT_EQ(1.0, GammaExponent(0));
         GammaRamp ramp = RampAt(80, 80, 80, 10);
         for (int i = 0; i < 256; ++i) {
           ASSERT_EQ(i * 256, ramp.red[i]) << i;
           ASSERT_EQ(i * 256, ramp.green[i]) << i;
           ASSERT_EQ(i * 256, ramp.blue[i]) << i;
         }
       }},
      {"position 0: v 200, \"4.00\", exponent 0.25",
       [] {
         EXPECT_EQ(200, PositionToValue(kGreen, 0));
         EXPECT_EQ("4.00", FormatValue(kGreen, 200));
         EXPECT_EQ(0.25, GammaExponent(200));
       }},
      {"position 160: v -200, \"0.25\", exponent 4",
       [] {
         EXPECT_EQ(-200, PositionToValue(kBlue, 160));
         EXPECT_EQ("0.25", FormatValue(kBlue, -200));
         EXPECT_EQ(4.0, GammaExponent(-200));
       }},
      {"white point 0: blue tops out at 0x7F00",
       [] {
         GammaRamp ramp = RampAt(80, 80, 80, 0);
         EXPECT_EQ(0x7F00, ramp.blue[255]);
         EXPECT_EQ(0xFF00, ramp.red[255]);
       }},
      {"\"Gamma Red\" = 70: v 51, snapped to position 60 and value 50",
       [] {
         test_support::Store({test_support::Dword("Gamma Red", 70), test_support::Dword("WPRed", 255),
                              test_support::Dword("WPGreen", 255), test_support::Dword("WPBlue", 255)});
         Settings settings;
         ASSERT_TRUE(LoadSettings(settings));
         EXPECT_EQ(51, static_cast<int>(std::log(1.0 / settings.exponent[kRed]) / std::log(2.0) * 100));
         SliderPanel panel;
         ASSERT_TRUE(panel.LoadFromRegistry());
         EXPECT_EQ(60, panel.Position(kRed));
         EXPECT_EQ(50, panel.Value(kRed));
       }},
      {"gammas stored without \"WPBlue\": the defaults stay",
       [] {
         test_support::Store({test_support::Dword("Gamma Red", 70), test_support::Dword("Gamma Green", 200),
                              test_support::Dword("Contrast", 3), test_support::Dword("WPRed", 255),
                              test_support::Dword("WPGreen", 255)});
         Settings settings;
         EXPECT_FALSE(LoadSettings(settings));
         EXPECT_TRUE(test_support::SameSettings(DefaultSettings(), settings));
       }},
      {"a display returning only values below 256 is unsupported",
       [] {
         host::adapter::SetGammaMode(host::adapter::GammaMode::EightBit);
         EXPECT_FALSE(DetectGammaSupport());
       }},
      {"saving stops at the first failing value",
       [] {
         host::registry::InjectFault(host::registry::Op::Set, "HKLM\\Software\\Orvane\\Color Control", "Gamma Blue",
                                     ERROR_ACCESS_DENIED);
         EXPECT_FALSE(SaveSettings(DefaultSettings()));
         EXPECT_TRUE(test_support::StoredDword("Gamma Green").has_value());
         EXPECT_FALSE(test_support::StoredDword("Gamma Blue").has_value());
         EXPECT_FALSE(test_support::StoredDword("Contrast").has_value());
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Reboot();
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kSettingsKey);
    c.check();
  }
}

}  // namespace
}  // namespace colour
