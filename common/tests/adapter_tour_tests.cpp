// The tour's adapter page, printed through the escape channel.
#include <host/adapter.h>
#include <host_testing/station_fixture.h>

#include <cstdio>
#include <string>

#include "adapter_tour.h"

namespace {

class AdapterTourTest : public host::testing::StationTest {
 protected:
  static std::string Tour() {
    FILE* out = std::tmpfile();
    driver::PrintAdapterTour(out);
    std::string text(std::ftell(out), '\0');
    std::rewind(out);
    text.resize(std::fread(text.data(), 1, text.size(), out));
    std::fclose(out);
    return text;
  }
};

TEST_F(AdapterTourTest, ShowsTheStateAndTheBoards) {
  ASSERT_TRUE(host::adapter::UseConfig("two-boards", nullptr));
  std::string text = Tour();
  for (const char* line :
       {"escape 0x8008: supported (QUERYESCSUPPORT answers 0x0000C4D8)",
        "interface version 0x30009: passes the gate; on-the-fly depth changes: yes",
        "display 1024 x 768, desktop 1024 x 768, 8 bits per pixel, zoom 1, off-screen usage none, font 96 dpi",
        "built-in refresh rates of 1024 x 768: 60 70 75 85 Hz", "boards: 2",
        "0: inactive, device 0x0519, board 0x0201, max pixel clock 135 MHz, \"Orvane OVX 2000\"",
        "1: active, device 0x051A, board 0x0301, max pixel clock 220 MHz, \"Orvane OVX 4000\""}) {
    EXPECT_NE(std::string::npos, text.find(line)) << line << "\nin\n" << text;
  }
  EXPECT_EQ(0, host::adapter::OpenScreenDCs());
}

TEST_F(AdapterTourTest, StopsAfterAFailedProbe) {
  host::adapter::Faults faults;
  faults.noEscape = true;
  host::adapter::SetFaults(faults);
  std::string text = Tour();
  EXPECT_NE(std::string::npos, text.find("not supported")) << text;
  EXPECT_EQ(std::string::npos, text.find("boards"));
}

}  // namespace
