// Gamma support, the applied ramp and the driver check on the virtual adapter.
#include <host/adapter.h>
#include <host_testing/station_fixture.h>

#include <vector>

#include "gamma_device.h"

namespace colour {
namespace {

namespace adapter = host::adapter;

class GammaDeviceTest : public host::testing::StationTest {
 protected:
  void TearDown() override {
    EXPECT_EQ(0, adapter::OpenScreenDCs()) << "every DC is released";
    StationTest::TearDown();
  }
};

std::vector<WORD> Entries(const GammaRamp& ramp) {
  std::vector<WORD> entries(ramp.red, ramp.red + 256);
  entries.insert(entries.end(), ramp.green, ramp.green + 256);
  entries.insert(entries.end(), ramp.blue, ramp.blue + 256);
  return entries;
}

GammaRamp DarkRamp() {
  GammaRamp ramp;
  for (int i = 0; i < 256; ++i) ramp.red[i] = ramp.green[i] = ramp.blue[i] = static_cast<WORD>((i / 2) << 8);
  return ramp;
}

TEST_F(GammaDeviceTest, SupportNeedsRampsWiderThanEightBits) {
  struct Case {
    const char* what;
    adapter::GammaMode mode;
    bool getDCFails;
    bool supported;
  } cases[] = {
      {"full ramps", adapter::GammaMode::Full, false, true},
      {"a display that keeps only 8-bit values", adapter::GammaMode::EightBit, false, false},
      {"a display that refuses ramps", adapter::GammaMode::Refuses, false, false},
      {"no screen DC", adapter::GammaMode::Full, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    adapter::SetGammaMode(c.mode);
    adapter::Faults faults;
    faults.getDCFails = c.getDCFails;
    adapter::SetFaults(faults);
    EXPECT_EQ(c.supported, DetectGammaSupport());
    EXPECT_EQ(c.supported, GammaSupported());
    EXPECT_TRUE(AppliedRampSaved());
    adapter::ClearFaults();
  }
}

TEST_F(GammaDeviceTest, DetectionSavesTheDisplaysRampAsTheAppliedRamp) {
  GammaRamp dark = DarkRamp();
  adapter::SetGammaMode(adapter::GammaMode::Full);
  ASSERT_TRUE(DetectGammaSupport());
  ApplyRamp(dark);  // any ramp the display holds now
  std::vector<WORD> held = adapter::GammaRamp();

  ASSERT_TRUE(DetectGammaSupport());
  EXPECT_EQ(held, Entries(AppliedRamp()));
}

TEST_F(GammaDeviceTest, ApplyShowAndRestore) {
  std::vector<WORD> original = adapter::GammaRamp();
  ASSERT_TRUE(DetectGammaSupport());
  EXPECT_EQ(original, Entries(AppliedRamp()));

  GammaRamp dark = DarkRamp();
  ShowRamp(nullptr, dark);  // live: the applied ramp stays
  EXPECT_EQ(Entries(dark), adapter::GammaRamp());
  RestoreAppliedRamp();
  EXPECT_EQ(original, adapter::GammaRamp()) << "Cancel puts the applied ramp back";

  ApplyRamp(dark);
  EXPECT_EQ(Entries(dark), adapter::GammaRamp());
  EXPECT_EQ(Entries(dark), Entries(AppliedRamp()));
  RestoreAppliedRamp();
  EXPECT_EQ(Entries(dark), adapter::GammaRamp()) << "after Apply the applied ramp is the new one";
}

TEST_F(GammaDeviceTest, WithoutSupportNothingReachesTheDisplay) {
  adapter::SetGammaMode(adapter::GammaMode::EightBit);
  ASSERT_FALSE(DetectGammaSupport());
  adapter::SetGammaMode(adapter::GammaMode::Full);  // would now take a ramp
  std::vector<WORD> before = adapter::GammaRamp();
  GammaRamp dark = DarkRamp();
  ApplyRamp(dark);
  ShowRamp(nullptr, dark);
  RestoreAppliedRamp();
  EXPECT_EQ(before, adapter::GammaRamp());
}

TEST_F(GammaDeviceTest, FailedDCSetsNothing) {
  ASSERT_TRUE(DetectGammaSupport());
  std::vector<WORD> before = adapter::GammaRamp();
  adapter::Faults faults;
  faults.getDCFails = true;
  adapter::SetFaults(faults);
  GammaRamp dark = DarkRamp();
  ApplyRamp(dark);
  ShowRamp(nullptr, dark);
  EXPECT_EQ(before, adapter::GammaRamp());
}

TEST_F(GammaDeviceTest, DriverQualifiesOnTheSignaturesLowHalf) {
  struct Case {
    const char* what;
    DWORD probeHighHalf;
    bool noEscape, getDCFails;
    bool qualifies;
  } cases[] = {
      {"the family's driver", 0, false, false, true},
      {"other high bits", 0x1234, false, false, true},
      {"no escape", 0, true, false, false},
      {"no DC", 0, false, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    adapter::Faults faults;
    faults.probeHighHalf = c.probeHighHalf;
    faults.noEscape = c.noEscape;
    faults.getDCFails = c.getDCFails;
    adapter::SetFaults(faults);
    EXPECT_EQ(c.qualifies, DriverQualifies());
  }
  adapter::ClearFaults();
}

}  // namespace
}  // namespace colour
