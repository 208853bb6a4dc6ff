// The adapter's escape interface, asked through GDI as a utility asks it.
#include <host/adapter.h>
#include <host/registry.h>
#include <host_testing/station_fixture.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using host::adapter::Config;
using host::adapter::Faults;

class EscapeTest : public host::testing::StationTest {
 protected:
  // One 0x8008 request on a fresh screen DC; `out` keeps what the driver left.
  int Ask(const std::vector<DWORD>& words, std::vector<BYTE>& out, int inSize = -1) {
    std::vector<BYTE> in(words.size() * 4);
    for (size_t i = 0; i < words.size(); ++i)
      for (int b = 0; b < 4; ++b) in[4 * i + b] = static_cast<BYTE>(words[i] >> (8 * b));
    HDC dc = GetDC(NULL);
    int result =
        ExtEscape(dc, 0x8008, inSize < 0 ? static_cast<int>(in.size()) : inSize, reinterpret_cast<LPCSTR>(in.data()),
                  static_cast<int>(out.size()), reinterpret_cast<LPSTR>(out.data()));
    ReleaseDC(NULL, dc);
    return result;
  }
  std::vector<DWORD> AskWords(const std::vector<DWORD>& words, size_t answerWords) {
    std::vector<BYTE> out(answerWords * 4, 0);
    Ask(words, out);
    return Words(out);
  }
  static std::vector<DWORD> Words(const std::vector<BYTE>& bytes) {
    std::vector<DWORD> words(bytes.size() / 4);
    for (size_t i = 0; i < words.size(); ++i)
      words[i] = bytes[4 * i] | bytes[4 * i + 1] << 8 | bytes[4 * i + 2] << 16 | DWORD(bytes[4 * i + 3]) << 24;
    return words;
  }
  static int QuerySupport(DWORD escape) {
    HDC dc = GetDC(NULL);
    int result = ExtEscape(dc, QUERYESCSUPPORT, 4, reinterpret_cast<LPCSTR>(&escape), 0, nullptr);
    ReleaseDC(NULL, dc);
    return result;
  }
  static void Configure(const Config& config) {
    std::string error;
    ASSERT_TRUE(host::adapter::Configure(config, &error)) << error;
  }
  static void SetDisplayResolutionSetting(const char* text) {
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Orvane\\Deskforge\\Current Settings", 0,
                                             nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr));
    RegSetValueExA(key, "Display Resolution", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), std::strlen(text));
    RegCloseKey(key);
  }
};

TEST_F(EscapeTest, QueryEscSupportAnswersTheSignatureForTheDriverEscapeOnly) {
  EXPECT_EQ(0xC4D8, QuerySupport(0x8008));
  EXPECT_EQ(1, QuerySupport(QUERYESCSUPPORT));
  EXPECT_EQ(0, QuerySupport(0x1234));
  Faults faults;
  faults.probeHighHalf = 0x1234;
  host::adapter::SetFaults(faults);
  EXPECT_EQ(0x1234C4D8, QuerySupport(0x8008));
  faults.noEscape = true;
  host::adapter::SetFaults(faults);
  EXPECT_EQ(0, QuerySupport(0x8008));
}

TEST_F(EscapeTest, OneWordAnswersFollowTheConfiguration) {
  Config c;
  c.version = 0x30012;
  c.onTheFlyDepth = false;
  c.monitorAnswersDdc = true;
  c.modeSuitsPnpMonitor = false;
  c.boards = {host::adapter::Board{}, host::adapter::Board{}};
  Configure(c);
  struct Case {
    DWORD code;
    DWORD answer;
  } cases[] = {{0xC4D8AA00, 0x30012}, {0xC4D8ACD6, 0}, {0xC4D8ACD0, 1}, {0xC4D8ACC1, 0}, {0xC4D8ACDF, 2}};
  for (const Case& k : cases) {
    SCOPED_TRACE(k.code);
    EXPECT_EQ(std::vector<DWORD>{k.answer}, AskWords({k.code}, 1));
  }
}

TEST_F(EscapeTest, DisplayStateAndOriginRecords) {
  Config c;
  c.displayWidth = 1024, c.displayHeight = 768, c.desktopWidth = 1600, c.desktopHeight = 1200;
  c.bitsPerPixel = 8, c.offscreenUsage = 2, c.zoom = 2, c.fontDpi = 120, c.originX = 300, c.originY = 900;
  Configure(c);
  EXPECT_EQ((std::vector<DWORD>{1024, 768, 1600, 1200, 8, 2, 2, 0, 120}), AskWords({0xC4D8ACED}, 9));
  // The visible part is 512 x 384, so the origin is clamped to 1200 - 384.
  EXPECT_EQ((std::vector<DWORD>{300, 816}), AskWords({0xC4D8ACEF}, 2));
}

TEST_F(EscapeTest, ShortInputFailsAndLeavesTheOutputUntouched) {
  struct Case {
    DWORD code;
    int tabled;
  } cases[] = {{0xC4D8ACEE, 36}, {0xC4D8ACCE, 8},  {0xC4D8ACD7, 36}, {0xC4D8ACDE, 12}, {0xC4D8ACE0, 24},
               {0xC4D8ACD8, 28}, {0xC4D8ACE3, 64}, {0xC4D8ACE7, 8},  {0xC4D8ACE2, 8}};
  for (const Case& k : cases) {
    SCOPED_TRACE(k.code);
    std::vector<DWORD> words(k.tabled / 4, 0);
    words[0] = k.code;
    std::vector<BYTE> out(16, 0xAB);
    EXPECT_EQ(-1, Ask(words, out, k.tabled - 1));
    EXPECT_EQ(std::vector<BYTE>(16, 0xAB), out);
  }
}

TEST_F(EscapeTest, AnswersAreCutToTheOutputSize) {
  std::vector<BYTE> out(8, 0);
  EXPECT_EQ(1, Ask({0xC4D8ACED}, out));
  EXPECT_EQ((std::vector<DWORD>{1024, 768}), Words(out));
}

TEST_F(EscapeTest, FailingEscapesLeaveTheBufferUntouched) {
  Faults faults;
  faults.escapeFails = true;
  host::adapter::SetFaults(faults);
  std::vector<BYTE> out(36, 0xCD);
  EXPECT_LT(Ask({0xC4D8ACED}, out), 1);
  EXPECT_EQ(std::vector<BYTE>(36, 0xCD), out);
}

TEST_F(EscapeTest, UnknownSubFunctionIsNotSupported) {
  std::vector<BYTE> out(4, 0xAB);
  EXPECT_EQ(0, Ask({0xC4D8ABCD}, out));
  EXPECT_EQ(std::vector<BYTE>(4, 0xAB), out);
}

TEST_F(EscapeTest, ModeSettableFollowsResolutionDesktopAndVideoMemory) {
  struct Case {
    DWORD dw, dh, sw, sh, bpp, usage, zoom;
    DWORD settable;
  } cases[] = {
      {1024, 768, 1024, 768, 8, 0, 1, 1},    {1024, 768, 1600, 1200, 16, 0, 1, 1},  // 3.84 MB of 4 MiB
      {1600, 1200, 1600, 1200, 24, 0, 1, 0},                                        // 5.76 MB
      {1280, 1024, 1280, 1024, 24, 0, 1, 1},                                        // 3.93 MB
      {1280, 1024, 1280, 1024, 24, 1, 1, 0},                                        // plus a 2D cache as large
      {1024, 768, 1024, 768, 32, 3, 1, 0},  // 3.1 MB plus back and depth buffers: 7.9 MB
      {800, 600, 800, 600, 16, 3, 1, 1},    // 2.9 MB with both
      {1000, 700, 1024, 768, 8, 0, 1, 0},   // no timing for the display size
      {1024, 768, 800, 600, 8, 0, 1, 0},    // desktop smaller than the display
      {640, 480, 640, 480, 12, 0, 1, 0},    // depth
      {640, 480, 640, 480, 8, 0, 3, 0},     // zoom
      {640, 480, 640, 480, 8, 4, 1, 0},     // usage
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(std::to_string(k.dw) + "x" + std::to_string(k.dh) + " on " + std::to_string(k.sw) + "x" +
                 std::to_string(k.sh) + "x" + std::to_string(k.bpp));
    EXPECT_EQ(std::vector<DWORD>{k.settable},
              AskWords({0xC4D8ACEE, k.dw, k.dh, k.sw, k.sh, k.bpp, k.usage, k.zoom, 1}, 1));
  }
}

TEST_F(EscapeTest, RefreshListsFollowTheBoardsPixelClock) {
  struct Case {
    WORD maxClock;
    DWORD w, h;
    std::vector<DWORD> rates;
  } cases[] = {
      {220, 640, 480, {60, 72, 75, 85}},
      {220, 800, 600, {56, 60, 72, 75, 85}},
      {220, 1024, 768, {60, 70, 75, 85}},
      {220, 1152, 864, {75}},
      {220, 1280, 1024, {60, 75, 85}},
      {220, 1600, 1200, {60, 65, 70, 75}},  // 85 Hz needs 229.5 MHz
      {135, 1280, 1024, {60, 75}},
      {135, 1600, 1200, {}},
      {220, 1000, 700, {}},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(std::to_string(k.w) + "x" + std::to_string(k.h) + " at " + std::to_string(k.maxClock) + " MHz");
    Config c;
    c.boards[0].maxPixelClockMHz = k.maxClock;
    Configure(c);
    std::vector<DWORD> answer = AskWords({0xC4D8ACE0, k.w, k.h, 8, 0, 1}, 33);
    ASSERT_EQ(k.rates.size(), answer[0]);
    EXPECT_EQ(k.rates, std::vector<DWORD>(answer.begin() + 1, answer.begin() + 1 + k.rates.size()));
  }
}

TEST_F(EscapeTest, LongRefreshListFaultClaimsMoreThanTheAnswerHolds) {
  Faults faults;
  faults.refreshCount = 40;
  host::adapter::SetFaults(faults);
  std::vector<BYTE> out(132, 0xAB);
  ASSERT_EQ(1, Ask({0xC4D8ACE0, 1024, 768, 8, 0, 1}, out));
  std::vector<DWORD> words = Words(out);
  EXPECT_EQ(40u, words[0]);
  EXPECT_EQ(50u, words[1]);
  EXPECT_EQ(81u, words[32]);
}

TEST_F(EscapeTest, BuiltInTimingsArePublishedTimingsOfTheirRate) {
  const DWORD sizes[][2] = {{640, 480}, {800, 600}, {1024, 768}, {1152, 864}, {1280, 1024}, {1600, 1200}};
  for (auto& size : sizes) {
    std::vector<DWORD> list = AskWords({0xC4D8ACE0, size[0], size[1], 8, 0, 1}, 33);
    for (DWORD i = 1; i <= list[0]; ++i) {
      SCOPED_TRACE(std::to_string(size[0]) + "x" + std::to_string(size[1]) + "@" + std::to_string(list[i]));
      std::vector<DWORD> t = AskWords({0xC4D8ACD8, size[0], size[1], 8, 0, 1, list[i]}, 15);
      EXPECT_EQ(size[0], t[1]);
      EXPECT_EQ(size[1], t[6]);
      double total = double(t[1] + t[2] + t[3] + t[4]) * (t[6] + t[7] + t[8] + t[9]);
      EXPECT_NEAR(double(list[i]), t[0] * 1000.0 / total, 1.0);
    }
  }
  // 1024 x 768 at 60 Hz: 65 MHz, H 1024/24/136/160, V 768/3/6/29, both syncs negative.
  EXPECT_EQ((std::vector<DWORD>{65000, 1024, 24, 136, 160, 0, 768, 3, 6, 29, 0, 0, 0, 1, 1}),
            AskWords({0xC4D8ACD8, 1024, 768, 8, 0, 1, 60}, 15));
  EXPECT_EQ(std::vector<DWORD>(15, 0), AskWords({0xC4D8ACD8, 1024, 768, 8, 0, 1, 61}, 15));
}

TEST_F(EscapeTest, TimingStateIsProgrammedOnlyWithPlausibleTimings) {
  std::vector<DWORD> initial = AskWords({0xC4D8ACE1}, 15);
  EXPECT_EQ(65000u, initial[0]);  // the display's 60 Hz timing
  std::vector<DWORD> edited = {75000, 1024, 24, 136, 144, 0, 768, 3, 6, 29, 0, 0, 0, 1, 1};
  struct Case {
    DWORD clock;
    DWORD accepted;
  } cases[] = {{75000, 1}, {0, 0}, {220000, 1}, {220001, 0}};
  for (const Case& k : cases) {
    SCOPED_TRACE(k.clock);
    std::vector<DWORD> before = AskWords({0xC4D8ACE1}, 15);
    std::vector<DWORD> request = {0xC4D8ACE3};
    edited[0] = k.clock;
    request.insert(request.end(), edited.begin(), edited.end());
    EXPECT_EQ(std::vector<DWORD>{k.accepted}, AskWords(request, 1));
    EXPECT_EQ(k.accepted ? edited : before, AskWords({0xC4D8ACE1}, 15));
  }
}

TEST_F(EscapeTest, TimingSourceAcceptsTheThreeSources) {
  for (DWORD source : {2u, 0u, 1u}) {
    EXPECT_EQ(std::vector<DWORD>{1}, AskWords({0xC4D8ACE7, source}, 1));
    EXPECT_EQ(source, host::adapter::CurrentState().timingSource);
  }
  EXPECT_EQ(std::vector<DWORD>{0}, AskWords({0xC4D8ACE7, 3}, 1));
  EXPECT_EQ(1u, host::adapter::CurrentState().timingSource);
}

TEST_F(EscapeTest, BoardDescriptionsAndTheNoBoardsFault) {
  Config c;
  c.boards = {host::adapter::Board{0, 0x519, 0x0201, 135, "Orvane OVX 2000"},
              host::adapter::Board{1, 0x51A, 0x0301, 220, std::string(40, 'N')}};
  Configure(c);
  std::vector<BYTE> out(112, 0xAB);
  ASSERT_EQ(1, Ask({0xC4D8ACE2, 0}, out));
  std::vector<DWORD> words = Words(out);
  EXPECT_EQ(0u, words[0]);
  EXPECT_EQ(0x519u, words[1]);
  EXPECT_EQ(0x201u, words[2]);
  EXPECT_EQ(135u << 16, words[4]);
  EXPECT_STREQ("Orvane OVX 2000", reinterpret_cast<const char*>(out.data() + 80));
  ASSERT_EQ(1, Ask({0xC4D8ACE2, 1}, out));
  EXPECT_EQ(1u, Words(out)[0]);
  EXPECT_EQ(std::string(32, 'N'), std::string(reinterpret_cast<const char*>(out.data() + 80), 32));  // no NUL
  ASSERT_EQ(1, Ask({0xC4D8ACE2, 2}, out));
  EXPECT_EQ(std::vector<BYTE>(112, 0), out);
  Faults faults;
  faults.noBoards = true;
  host::adapter::SetFaults(faults);
  EXPECT_EQ(std::vector<DWORD>{0}, AskWords({0xC4D8ACDF}, 1));
}

TEST_F(EscapeTest, VersionFaultsOverrideTheConfiguredVersion) {
  for (DWORD version : {0x30007u, 0x30008u, 0x30009u}) {
    Faults faults;
    faults.version = version;
    host::adapter::SetFaults(faults);
    EXPECT_EQ(std::vector<DWORD>{version}, AskWords({0xC4D8AA00}, 1));
  }
}

TEST_F(EscapeTest, MonitorDeviceKeyIsTerminatedWhenItFits) {
  Config c;
  c.monitorDeviceKey = "Enum\\MONITOR\\ORV0417\\0001";
  Configure(c);
  std::vector<BYTE> out(1024, 0xAB);
  Ask({0xC4D8ACDC}, out);
  EXPECT_STREQ("Enum\\MONITOR\\ORV0417\\0001", reinterpret_cast<const char*>(out.data()));
  c.monitorDeviceKey = std::string(1100, 'K');
  Configure(c);
  Ask({0xC4D8ACDC}, out);
  EXPECT_EQ(std::vector<BYTE>(1024, 'K'), out);
}

TEST_F(EscapeTest, ModeChangeBracketCountsOpenBrackets) {
  AskWords({0xC4D8ACCE, 0xFFFFFFFF}, 0);
  EXPECT_EQ(1, host::adapter::CurrentState().modeChangeDepth);
  AskWords({0xC4D8ACCE, 0}, 0);
  AskWords({0xC4D8ACCE, 0}, 0);
  EXPECT_EQ(0, host::adapter::CurrentState().modeChangeDepth);
  AskWords({0xC4D8ACEA}, 1);
  EXPECT_EQ(1, host::adapter::CurrentState().restartRequests);
}

// The display size after a full mode change: "Display Resolution" when it is a
// scanned resolution that fits the desktop, else the desktop's own size.
TEST_F(EscapeTest, OnTheFlyDepthChangeTakesTheDisplaySizeFromTheRegistry) {
  struct Case {
    const char* setting;  // nullptr: none
    const char* text;
    int displayWidth, displayHeight, desktopWidth, desktopHeight, bpp;
    DWORD done;
  } cases[] = {
      {"1024,768", "1600x1200x16", 1024, 768, 1600, 1200, 16, 1},
      {nullptr, "1024x768x16", 1024, 768, 1024, 768, 16, 1},
      {"1280,1024", "1152x864x8", 1152, 864, 1152, 864, 8, 1},  // too large for the desktop
      {"1000,700", "1152x864x8", 1152, 864, 1152, 864, 8, 1},   // not a scanned resolution
      {"garbage", "800x600x32", 800, 600, 800, 600, 32, 1},
      {"800,600", "1600x1200x24", 1024, 768, 1024, 768, 8, 0},  // does not fit the memory
      {"800,600", "1600x1200", 1024, 768, 1024, 768, 8, 0},     // malformed
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.text);
    Configure(Config{});
    if (k.setting) SetDisplayResolutionSetting(k.setting);
    std::vector<DWORD> request(9, 0);
    request[0] = 0xC4D8ACD7;
    std::memcpy(request.data() + 1, k.text, std::strlen(k.text));
    EXPECT_EQ(std::vector<DWORD>{k.done}, AskWords(request, 1));
    host::adapter::State s = host::adapter::CurrentState();
    EXPECT_EQ(k.displayWidth, s.displayWidth);
    EXPECT_EQ(k.displayHeight, s.displayHeight);
    EXPECT_EQ(k.desktopWidth, s.desktopWidth);
    EXPECT_EQ(k.desktopHeight, s.desktopHeight);
    EXPECT_EQ(k.bpp, s.bitsPerPixel);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Orvane\\Deskforge\\Current Settings");
  }
}

TEST_F(EscapeTest, OnTheFlyDepthChangeNeedsTheDriversSupport) {
  Config c;
  c.onTheFlyDepth = false;
  Configure(c);
  std::vector<DWORD> request(9, 0);
  request[0] = 0xC4D8ACD7;
  std::memcpy(request.data() + 1, "1024x768x16", 11);
  EXPECT_EQ(std::vector<DWORD>{0}, AskWords(request, 1));
  EXPECT_EQ(8, host::adapter::CurrentState().bitsPerPixel);
}

TEST_F(EscapeTest, DisplayResolutionChangesInsideTheDesktop) {
  Config c;
  c.desktopWidth = 1600, c.desktopHeight = 1200, c.originX = 500, c.originY = 400;
  Configure(c);
  EXPECT_EQ(std::vector<DWORD>{1}, AskWords({0xC4D8ACDE, 1280, 1024}, 1));
  host::adapter::State s = host::adapter::CurrentState();
  EXPECT_EQ(1280, s.displayWidth);
  EXPECT_EQ(1600, s.desktopWidth);
  EXPECT_EQ(320, s.originX);  // clamped: 1600 - 1280
  EXPECT_EQ(176, s.originY);
  EXPECT_EQ(108000u, s.timing[0]);  // 1280 x 1024 at 60 Hz
  EXPECT_EQ(std::vector<DWORD>{0}, AskWords({0xC4D8ACDE, 1920, 1440}, 1));
  EXPECT_EQ(1280, host::adapter::CurrentState().displayWidth);
}

}  // namespace
