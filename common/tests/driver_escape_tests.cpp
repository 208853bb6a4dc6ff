// The escape channel against the station's adapter: what is sent (from the
// adapter's log), what callers get back, and DC balance on every path.
#include <host/adapter.h>
#include <host_testing/station_fixture.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "driver_escape.h"

namespace {

using host::adapter::Faults;
using host::adapter::LogEntry;

class DriverEscapeTest : public host::testing::StationTest {
 protected:
  static void SetFaults(const std::function<void(Faults&)>& change) {
    Faults faults;
    change(faults);
    host::adapter::SetFaults(faults);
  }
  static void Configure(const std::function<void(host::adapter::Config&)>& change) {
    host::adapter::Config c;
    change(c);
    std::string error;
    ASSERT_TRUE(host::adapter::Configure(c, &error)) << error;
  }
  static std::vector<DWORD> Codes() {
    std::vector<DWORD> codes;
    for (const LogEntry& e : host::adapter::EscapeLog())
      if (e.escape == driver::kEscape) codes.push_back(e.code);
    return codes;
  }
  static DWORD InputWord(const LogEntry& e, int index) {
    DWORD w;
    std::memcpy(&w, e.input.data() + 4 * index, 4);
    return w;
  }
};

TEST_F(DriverEscapeTest, ProbeAndVersionGate) {
  struct Case {
    const char* what;
    bool noEscape;
    DWORD highHalf;
    DWORD version;
    bool onTheFly;
    driver::GateResult result;
    bool depthAsked, depthFlag;
  } cases[] = {
      {"no escape", true, 0, 0x30009, true, driver::GateResult::NoEscape, false, false},
      {"any high half", false, 0xFFFF, 0x30009, true, driver::GateResult::Passed, true, true},
      {"high half 0x1234", false, 0x1234, 0x30008, true, driver::GateResult::Passed, false, false},
      {"exactly 0x30008", false, 0, 0x30008, true, driver::GateResult::Passed, false, false},
      {"one above, flag 0", false, 0, 0x30009, false, driver::GateResult::Passed, true, false},
      {"below", false, 0, 0x30007, true, driver::GateResult::TooOld, false, false},
      {"zero", false, 0, 0, true, driver::GateResult::TooOld, false, false},
      {"unsigned: high bit set", false, 0, 0x80000000, true, driver::GateResult::Passed, true, true},
      {"older major", false, 0, 0x20009, true, driver::GateResult::TooOld, false, false},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    Configure([&](auto& c) { c.onTheFlyDepth = k.onTheFly; });
    SetFaults([&](Faults& f) {
      f.noEscape = k.noEscape;
      f.probeHighHalf = k.highHalf;
      f.version = k.version;
    });
    host::adapter::ClearDeviceLog();
    driver::DriverGate gate = driver::CheckDriverGate();
    EXPECT_EQ(k.result, gate.result);
    EXPECT_EQ(k.depthFlag, gate.onTheFlyDepth);
    std::vector<DWORD> expected;
    if (!k.noEscape) expected.push_back(driver::kVersion);
    if (k.depthAsked) expected.push_back(driver::kOnTheFlyDepth);
    EXPECT_EQ(expected, Codes());
    // One DC for the group: taken first, released last.
    auto log = host::adapter::DeviceLog();
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(LogEntry::GetDC, log.front().kind);
    EXPECT_EQ(LogEntry::ReleaseDC, log.back().kind);
    EXPECT_EQ(GetDesktopWindow(), log.back().window);
    EXPECT_EQ(0, host::adapter::OpenScreenDCs());
    EXPECT_EQ(!k.noEscape, driver::ProbeEscape());
  }
}

TEST_F(DriverEscapeTest, ProbeSendsTheDriverEscapeNumber) {
  EXPECT_TRUE(driver::ProbeEscape());
  auto log = host::adapter::EscapeLog();
  ASSERT_EQ(1u, log.size());
  EXPECT_EQ(QUERYESCSUPPORT, log[0].escape);
  EXPECT_EQ(4, log[0].inputSize);
  EXPECT_EQ(0x8008u, log[0].code);
  EXPECT_EQ(0, log[0].outputSize);
  EXPECT_TRUE(driver::IsEscapeSignature(0x7777C4D8));
  EXPECT_FALSE(driver::IsEscapeSignature(0xC4D80000));
}

struct Request {
  const char* name;
  std::function<void()> send;
  DWORD code;
  int inputSize, outputSize;
};

std::vector<Request> EveryRequest() {
  static driver::TimingBlock timing{65000, 1024, 24, 136, 160, 0, 768, 3, 6, 29, 0, 0, 0, 1, 1};
  static char key[driver::kDeviceKeyBytes];
  return {
      {"version", [] { driver::ReadVersion(); }, driver::kVersion, 4, 4},
      {"on-the-fly depth", [] { driver::ReadOnTheFlyDepth(); }, driver::kOnTheFlyDepth, 4, 4},
      {"display state", [] { driver::ReadDisplayState(); }, driver::kDisplayState, 4, 36},
      {"visible origin", [] { driver::ReadVisibleOrigin(); }, driver::kVisibleOrigin, 4, 8},
      {"mode settable",
       [] {
         driver::CanSetMode({1024, 768, 1024, 768, 8, 0, 1, 1});
       },
       driver::kModeSettable, 36, 4},
      {"begin mode change", [] { driver::BeginModeChange(); }, driver::kModeChangeBracket, 8, 0},
      {"end mode change", [] { driver::EndModeChange(); }, driver::kModeChangeBracket, 8, 0},
      {"depth on the fly", [] { driver::SwitchDepthOnTheFly(1024, 768, 16); }, driver::kDepthOnTheFly, 36, 4},
      {"display resolution", [] { driver::SetDisplayResolution(800, 600); }, driver::kDisplayResolution, 12, 4},
      {"restart", [] { driver::RequestRestart(); }, driver::kRestart, 4, 4},
      {"refresh rates", [] { driver::ReadRefreshRates(1024, 768, 8, 1); }, driver::kRefreshRates, 24, 132},
      {"built-in timing", [] { driver::ReadBuiltInTiming(1024, 768, 8, 1, 60); }, driver::kBuiltInTiming, 28, 60},
      {"timing state", [] { driver::ReadTimingState(); }, driver::kTimingState, 4, 60},
      {"program timing", [] { driver::ProgramTiming(timing); }, driver::kProgramTiming, 64, 4},
      {"timing source", [] { driver::SetTimingSource(driver::kSourceTest); }, driver::kTimingSource, 8, 4},
      {"board count", [] { driver::ReadBoardCount(); }, driver::kBoardCount, 4, 4},
      {"board", [] { driver::ReadBoard(0); }, driver::kBoardDescription, 8, 112},
      {"device key", [] { driver::ReadMonitorDeviceKey(key); }, driver::kMonitorDeviceKey, 4, 1024},
      {"DDC", [] { driver::ReadMonitorAnswersDdc(); }, driver::kMonitorDdc, 4, 4},
      {"plug and play", [] { driver::ReadModeSuitsPnpMonitor(); }, driver::kModeSuitsPnp, 4, 4},
  };
}

TEST_F(DriverEscapeTest, EveryRequestSendsItsTabledSizes) {
  for (const Request& r : EveryRequest()) {
    SCOPED_TRACE(r.name);
    host::adapter::ClearDeviceLog();
    r.send();
    auto log = host::adapter::EscapeLog();
    ASSERT_EQ(1u, log.size());
    EXPECT_EQ(driver::kEscape, log[0].escape);
    EXPECT_EQ(r.code, log[0].code);
    EXPECT_EQ(r.inputSize, log[0].inputSize);
    EXPECT_EQ(r.outputSize, log[0].outputSize);
    EXPECT_EQ(1, log[0].result);  // the adapter accepted the request as sent
  }
}

// Each request takes a desktop DC just before its escape and releases it just
// after, whether the driver answers, fails, or no DC can be had.
TEST_F(DriverEscapeTest, EveryRequestBalancesItsDC) {
  struct Condition {
    const char* name;
    bool escapeFails, getDCFails;
  } conditions[] = {{"answered", false, false}, {"escape fails", true, false}, {"no DC", false, true}};
  for (const Condition& condition : conditions) {
    for (const Request& r : EveryRequest()) {
      SCOPED_TRACE(std::string(condition.name) + ": " + r.name);
      SetFaults([&](Faults& f) {
        f.escapeFails = condition.escapeFails;
        f.getDCFails = condition.getDCFails;
      });
      host::adapter::ClearDeviceLog();
      r.send();
      auto log = host::adapter::DeviceLog();
      EXPECT_EQ(0, host::adapter::OpenScreenDCs());
      if (condition.getDCFails) {
        ASSERT_EQ(1u, log.size());
        EXPECT_EQ(LogEntry::GetDC, log[0].kind);
        continue;
      }
      ASSERT_EQ(3u, log.size());
      EXPECT_EQ(LogEntry::GetDC, log[0].kind);
      EXPECT_EQ(GetDesktopWindow(), log[0].window);
      EXPECT_EQ(LogEntry::Escape, log[1].kind);
      EXPECT_EQ(log[0].dc, log[1].dc);
      EXPECT_EQ(LogEntry::ReleaseDC, log[2].kind);
      EXPECT_EQ(log[0].dc, log[2].dc);
      EXPECT_EQ(1, log[2].result);
    }
  }
  host::adapter::ClearFaults();
  SetFaults([](Faults& f) { f.getDCFails = true; });
  EXPECT_EQ(driver::GateResult::NoEscape, driver::CheckDriverGate().result);
  EXPECT_FALSE(driver::ProbeEscape());
}

TEST_F(DriverEscapeTest, UnansweredRequestsReadAsZerosAndZoomOne) {
  SetFaults([](Faults& f) { f.escapeFails = true; });
  bool answered = true;
  driver::DisplayState s = driver::ReadDisplayState(&answered);
  EXPECT_FALSE(answered);
  EXPECT_EQ(0, s.displayWidth);
  EXPECT_EQ(0, s.desktopWidth);
  EXPECT_EQ(1, s.zoom);
  EXPECT_EQ(0, s.VisibleWidth());
  EXPECT_EQ(0, driver::ReadRefreshRates(1024, 768, 8, 1).count);
  EXPECT_EQ(0, driver::ReadTimingState().pixelClock);
  driver::BoardDescription b = driver::ReadBoard(0);
  EXPECT_EQ(0u, b.flags);
  EXPECT_STREQ("", b.name);
  char key[driver::kDeviceKeyBytes];
  std::memset(key, 'x', sizeof(key));
  driver::ReadMonitorDeviceKey(key);
  EXPECT_STREQ("", key);
}

TEST_F(DriverEscapeTest, RefreshCountIsClampedToTheAnswersRoom) {
  struct Case {
    int claimed;
    int count;
  } cases[] = {{-1, 4}, {0, 0}, {31, 31}, {32, 32}, {33, 32}, {40, 32}, {0x7FFFFFFF, 32}};
  for (const Case& k : cases) {
    SCOPED_TRACE(k.claimed);
    SetFaults([&](Faults& f) { f.refreshCount = k.claimed; });
    driver::RefreshRates rates = driver::ReadRefreshRates(1024, 768, 8, 1);
    EXPECT_EQ(k.count, rates.count);
    if (k.claimed > 0) {
      EXPECT_EQ(50u + k.count - 1, rates.rates[k.count - 1]);
    }
  }
  host::adapter::ClearFaults();
  driver::RefreshRates rates = driver::ReadRefreshRates(1024, 768, 8, 1);
  EXPECT_EQ((std::vector<DWORD>{60, 70, 75, 85}), std::vector<DWORD>(rates.rates, rates.rates + rates.count));
}

TEST_F(DriverEscapeTest, TextsAreAlwaysTerminated) {
  Configure([](auto& c) {
    c.monitorDeviceKey = std::string(1100, 'K');
    c.boards[0].name = std::string(40, 'N');
  });
  char key[driver::kDeviceKeyBytes];
  driver::ReadMonitorDeviceKey(key);
  EXPECT_EQ(std::string(1023, 'K'), key);
  EXPECT_EQ(std::string(31, 'N'), driver::ReadBoard(0).name);
}

TEST_F(DriverEscapeTest, ModeTextIsBoundedToItsField) {
  struct Case {
    LONG w, h, bpp;
    const char* text;
  } cases[] = {
      {1600, 1200, 16, "1600x1200x16"},
      {-2147483647 - 1, -2147483647 - 1, -2147483647 - 1, "-2147483648x-2147483648x-214748"},
  };
  for (const Case& k : cases) {
    char text[32];
    std::memset(text, 'x', sizeof(text));
    driver::FormatModeText(k.w, k.h, k.bpp, text);
    EXPECT_STREQ(k.text, text);
  }
  driver::SwitchDepthOnTheFly(1024, 768, 16);
  auto log = host::adapter::EscapeLog();
  ASSERT_FALSE(log.empty());
  EXPECT_STREQ("1024x768x16", reinterpret_cast<const char*>(log.back().input.data() + 4));
  EXPECT_EQ(16, driver::ReadDisplayState().bitsPerPixel);
}

TEST_F(DriverEscapeTest, TypedAnswersDecodeTheDriversRecords) {
  Configure([](auto& c) {
    c.desktopWidth = 1600, c.desktopHeight = 1200, c.zoom = 2, c.fontDpi = 120, c.offscreenUsage = 1;
    c.originX = 100, c.originY = 200;
    c.boards = {host::adapter::Board{0, 0x519, 0x0201, 135, "Orvane OVX 2000"}, host::adapter::Board{}};
  });
  driver::DisplayState s = driver::ReadDisplayState();
  EXPECT_EQ(1024, s.displayWidth);
  EXPECT_EQ(1200, s.desktopHeight);
  EXPECT_EQ(2, s.zoom);
  EXPECT_EQ(120, s.fontDpi);
  EXPECT_EQ(driver::kOffscreen2D, s.offscreenUsage);
  EXPECT_EQ(512, s.VisibleWidth());
  EXPECT_TRUE(s.CanPan());
  driver::VisibleOrigin o = driver::ReadVisibleOrigin();
  EXPECT_EQ(100, o.x);
  EXPECT_EQ(200, o.y);
  EXPECT_EQ(2u, driver::ReadBoardCount());
  driver::BoardDescription b = driver::ReadBoard(0);
  EXPECT_FALSE(b.IsActive());
  EXPECT_EQ(0x519, b.deviceId);
  EXPECT_EQ(0x201, b.boardId);
  EXPECT_EQ(135, b.maxPixelClockMHz);
  EXPECT_STREQ("Orvane OVX 2000", b.name);
  EXPECT_TRUE(driver::ReadBoard(1).IsActive());
  EXPECT_TRUE(driver::CanSetMode({1024, 768, 1600, 1200, 16, 0, 1, 0}));
  EXPECT_FALSE(driver::CanSetMode({1600, 1200, 1600, 1200, 24, 0, 1, 1}));
}

TEST_F(DriverEscapeTest, TimingsRoundTrip) {
  driver::TimingBlock builtIn = driver::ReadBuiltInTiming(1024, 768, 8, 1, 75);
  EXPECT_EQ(78750, builtIn.pixelClock);
  EXPECT_EQ(1024, builtIn.hDisp);
  EXPECT_EQ(176, builtIn.hBackPorch);
  EXPECT_EQ(28, builtIn.vBackPorch);
  EXPECT_EQ(1u, driver::ProgramTiming(builtIn));
  EXPECT_TRUE(driver::ReadTimingState() == builtIn);
  driver::TimingBlock none{};
  EXPECT_EQ(0u, driver::ProgramTiming(none));
  EXPECT_TRUE(driver::ReadTimingState() == builtIn);
  EXPECT_EQ(1u, driver::SetTimingSource(driver::kSourceModeFile));
  EXPECT_EQ(0u, host::adapter::CurrentState().timingSource);
}

TEST_F(DriverEscapeTest, DisplayChangesAndBrackets) {
  Configure([](auto& c) { c.desktopWidth = 1600, c.desktopHeight = 1200; });
  driver::BeginModeChange();
  EXPECT_EQ(1, host::adapter::CurrentState().modeChangeDepth);
  auto log = host::adapter::EscapeLog();
  EXPECT_EQ(0xFFFFFFFFu, InputWord(log.back(), 1));
  driver::EndModeChange();
  EXPECT_EQ(0, host::adapter::CurrentState().modeChangeDepth);
  driver::SetDisplayResolution(1280, 1024);
  EXPECT_EQ(1280, driver::ReadDisplayState().displayWidth);
  driver::RequestRestart();
  EXPECT_EQ(1, host::adapter::CurrentState().restartRequests);
}

}  // namespace
