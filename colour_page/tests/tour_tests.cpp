// The `ovx` tour of the model: what it shows and that it leaves the station as it found it.
#include <host/adapter.h>
#include <host/registry.h>
#include <host_testing/station_fixture.h>

#include <cstdio>
#include <string>

#include "colour_test_support.h"
#include "tour.h"

namespace colour {
namespace {

class ColourTourTest : public host::testing::StationTest {
 protected:
  static std::string Tour(int* result) {
    FILE* out = std::tmpfile();
    *result = ColourModelTour(out);
    std::string text(std::ftell(out), '\0');
    std::rewind(out);
    text.resize(std::fread(text.data(), 1, text.size(), out));
    std::fclose(out);
    return text;
  }
};

TEST_F(ColourTourTest, ShowsTheSettingAndPutsEverythingBack) {
  test_support::Store({test_support::Dword("Gamma Red", 141), test_support::Dword("Linked", 1)});
  std::string registryBefore = host::registry::Dump("HKLM\\Software\\Orvane\\Color Control");
  std::vector<WORD> rampBefore = host::adapter::GammaRamp();
  int result = -1;
  std::string text = Tour(&result);
  EXPECT_EQ(0, result);
  for (const char* line :
       {"driver qualifies for the page: yes", "  \"Gamma Red\" = 70", "  \"Gamma Blue\" = 141", "  \"Contrast\" = 14",
        "  \"WPRed\" = 218", "loaded back: red position 60 value 50 \"1.41\", green position 80 value 0 \"1.00\","}) {
    EXPECT_NE(std::string::npos, text.find(line)) << line << "\nin\n" << text;
  }
  EXPECT_EQ(rampBefore, host::adapter::GammaRamp());
  EXPECT_EQ(registryBefore, host::registry::Dump("HKLM\\Software\\Orvane\\Color Control"));
  EXPECT_EQ(0, host::adapter::OpenScreenDCs());
}

TEST_F(ColourTourTest, LeavesNoKeyWhereThereWasNone) {
  int result = -1;
  Tour(&result);
  EXPECT_EQ(0, result);
  EXPECT_EQ("", host::registry::Dump("HKLM\\Software\\Orvane\\Color Control"));
}

TEST_F(ColourTourTest, ChangesNothingWithoutGammaSupport) {
  host::adapter::SetGammaMode(host::adapter::GammaMode::Refuses);
  int result = -1;
  std::string text = Tour(&result);
  EXPECT_EQ(1, result);
  EXPECT_NE(std::string::npos, text.find("not supported")) << text;
  EXPECT_EQ("", host::registry::Dump("HKLM\\Software\\Orvane\\Color Control"));
}

}  // namespace
}  // namespace colour
