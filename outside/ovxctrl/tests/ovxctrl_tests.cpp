// OVXCTRL.DLL as its callers load it: by name, entry points by decorated name.
#include <host/adapter.h>
#include <host/ovxctrl.h>
#include <host_testing/station_fixture.h>

#include <string>
#include <vector>

namespace {

using host::ovxctrl::Call;

typedef void(WINAPI* WordProc)(DWORD);
typedef DWORD(WINAPI* WordToWordProc)(DWORD);
typedef void(WINAPI* TwoWordProc)(DWORD, DWORD);
typedef DWORD(WINAPI* QueryProc)(void);
typedef void(WINAPI* VoidProc)(void);
typedef void(WINAPI* WindowProc)(HWND);
typedef void(WINAPI* RegisterProc)(HWND, UINT);

template <class Proc>
Proc As(FARPROC proc) {
  return reinterpret_cast<Proc>(reinterpret_cast<void (*)(void)>(proc));
}

class OvxCtrlTest : public host::testing::StationTest {
 protected:
  void SetUp() override {
    StationTest::SetUp();
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.lpszClassName = "OvxCtrlTestWindow";
    RegisterClassA(&wc);
  }
  void TearDown() override {
    if (library_) FreeLibrary(library_);
    StationTest::TearDown();
  }
  HMODULE Load() {
    library_ = LoadLibraryA("OVXCTRL.DLL");
    return library_;
  }
  template <class Proc>
  Proc Entry(const char* name) {
    return As<Proc>(GetProcAddress(library_, name));
  }
  HWND MakeWindow(int x = 0, int y = 0, int w = 100, int h = 100) {
    return CreateWindowExA(0, "OvxCtrlTestWindow", "test", WS_POPUP, x, y, w, h, NULL, NULL, NULL, NULL);
  }
  // The messages in the window's queue between 1125 and 1126, removed.
  static std::vector<UINT> Notifications(HWND window) {
    std::vector<UINT> messages;
    MSG msg;
    while (PeekMessageA(&msg, window, 1125, 1126, PM_REMOVE)) messages.push_back(msg.message);
    return messages;
  }
  // A station whose adapter has a 1600 x 1200 desktop behind a 1024 x 768
  // display from boot on, so the window manager's screen is that large too.
  void BootPanningStation() {
    ASSERT_TRUE(host::adapter::UseConfig("panning", nullptr));
    Reboot();
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.lpszClassName = "OvxCtrlTestWindow";
    RegisterClassA(&wc);
  }
  HMODULE library_ = nullptr;
};

TEST_F(OvxCtrlTest, ExportsEveryEntryPointUnderItsDecoratedName) {
  ASSERT_NE(nullptr, Load());
  for (const std::string& name : host::ovxctrl::EntryPoints()) {
    SCOPED_TRACE(name);
    EXPECT_NE(nullptr, GetProcAddress(library_, name.c_str()));
  }
  EXPECT_EQ(15u, host::ovxctrl::EntryPoints().size());
  ASSERT_FALSE(host::ovxctrl::CallLog().empty());
  EXPECT_EQ("DllMain", host::ovxctrl::CallLog()[0].entry);
}

TEST_F(OvxCtrlTest, RefusedAttachFailsTheLoad) {
  host::ovxctrl::RefuseAttach(true);
  EXPECT_EQ(nullptr, Load());
  std::vector<Call> log = host::ovxctrl::CallLog();
  ASSERT_EQ(2u, log.size());
  EXPECT_EQ(std::vector<DWORD>{1}, log[0].args);
  EXPECT_EQ(std::vector<DWORD>{0}, log[1].args);
  host::ovxctrl::RefuseAttach(false);
  EXPECT_NE(nullptr, Load());
}

TEST_F(OvxCtrlTest, HiddenEntryPointIsNotFoundAndTheOthersAre) {
  host::ovxctrl::HideEntryPoint("_OVXEnablePanNotify@8");
  ASSERT_NE(nullptr, Load());
  EXPECT_EQ(nullptr, GetProcAddress(library_, "_OVXEnablePanNotify@8"));
  EXPECT_EQ(static_cast<DWORD>(ERROR_PROC_NOT_FOUND), GetLastError());
  EXPECT_NE(nullptr, GetProcAddress(library_, "_OVXDisablePanNotify@8"));
  Reboot();  // a boot forgets hidden exports
  library_ = nullptr;
  ASSERT_NE(nullptr, Load());
  EXPECT_NE(nullptr, GetProcAddress(library_, "_OVXEnablePanNotify@8"));
}

TEST_F(OvxCtrlTest, ZoomFactorReachesTheAdapter) {
  host::adapter::Config c;
  c.desktopWidth = 1600, c.desktopHeight = 1200, c.zoom = 2, c.originX = 1088;
  ASSERT_TRUE(host::adapter::Configure(c));
  ASSERT_NE(nullptr, Load());
  auto setZoom = Entry<WordProc>("_SetZoomFactor@4");
  struct Case {
    DWORD zoom;
    int expectedZoom, originX;
  } cases[] = {{4, 4, 1088}, {1, 1, 576}, {3, 1, 576}, {0, 1, 576}, {2, 2, 576}};
  for (const Case& k : cases) {
    SCOPED_TRACE(k.zoom);
    setZoom(k.zoom);
    EXPECT_EQ(k.expectedZoom, host::adapter::CurrentState().zoom);
    EXPECT_EQ(k.originX, host::adapter::CurrentState().originX);
  }
  EXPECT_EQ("_SetZoomFactor@4", host::ovxctrl::CallLog().back().entry);
  EXPECT_EQ(std::vector<DWORD>{2}, host::ovxctrl::CallLog().back().args);
}

TEST_F(OvxCtrlTest, NotificationsArriveAsPostedMessages) {
  BootPanningStation();
  ASSERT_NE(nullptr, Load());
  HWND navigator = MakeWindow(), switcher = MakeWindow();
  auto enableChange = Entry<RegisterProc>("_OVXEnableNotifyChange@8");
  auto disableChange = Entry<RegisterProc>("_OVXDisableNotifyChange@8");
  auto enablePan = Entry<RegisterProc>("_OVXEnablePanNotify@8");
  auto disablePan = Entry<RegisterProc>("_OVXDisablePanNotify@8");
  enableChange(navigator, 1125);
  enableChange(navigator, 1125);  // registered once
  enablePan(navigator, 1126);
  enableChange(switcher, 1126);
  disablePan(switcher, 1126);  // never registered: nothing happens

  Entry<VoidProc>("_NotifyChange@0")();
  EXPECT_EQ(std::vector<UINT>{1125}, Notifications(navigator));
  EXPECT_EQ(std::vector<UINT>{1126}, Notifications(switcher));

  SetCursorPos(1300, 100);  // leaves the visible part: the adapter pans
  EXPECT_EQ(277, host::adapter::CurrentState().originX);
  EXPECT_EQ(std::vector<UINT>{1126}, Notifications(navigator));
  EXPECT_TRUE(Notifications(switcher).empty());

  auto setFeature = Entry<TwoWordProc>("_SetFeatureStatus@8");
  setFeature(103, 1);
  setFeature(103, 1);  // no change, no notification
  EXPECT_EQ(std::vector<UINT>{1125}, Notifications(navigator));
  EXPECT_EQ(std::vector<UINT>{1126}, Notifications(switcher));
  EXPECT_EQ(1u, Entry<WordToWordProc>("_GetFeatureStatus@4")(103));

  disableChange(navigator, 1125);
  disableChange(navigator, 1125);
  Entry<WordProc>("_SetZoomFactor@4")(2);
  EXPECT_TRUE(Notifications(navigator).empty());
  EXPECT_EQ(std::vector<UINT>{1126}, Notifications(switcher));
}

TEST_F(OvxCtrlTest, CentringMovesTheOriginAndAlwaysReportsAPan) {
  BootPanningStation();
  ASSERT_NE(nullptr, Load());
  HWND navigator = MakeWindow();
  HWND target = MakeWindow(1200, 900, 200, 100);  // centre (1300, 950)
  Entry<RegisterProc>("_OVXEnablePanNotify@8")(navigator, 1126);
  auto centre = Entry<WindowProc>("_OVXCenterOnThisWindow@4");
  centre(target);
  EXPECT_EQ(576, host::adapter::CurrentState().originX);  // 1300 - 512, clamped
  EXPECT_EQ(432, host::adapter::CurrentState().originY);  // 950 - 384, clamped
  EXPECT_EQ(std::vector<UINT>{1126}, Notifications(navigator));
  centre(target);
  EXPECT_EQ(std::vector<UINT>{1126}, Notifications(navigator));
  Entry<VoidProc>("_OVXCenterWindow@0")();
  EXPECT_EQ(288, host::adapter::CurrentState().originX);
  EXPECT_EQ(216, host::adapter::CurrentState().originY);
  EXPECT_EQ(std::vector<UINT>{1126}, Notifications(navigator));
}

TEST_F(OvxCtrlTest, TestPatternSuspendCountsAndHotKey) {
  ASSERT_NE(nullptr, Load());
  auto query = Entry<QueryProc>("_QueryTestPattern@0");
  auto pattern = Entry<WordProc>("_TestPattern@4");
  EXPECT_EQ(0u, query());
  pattern(1);
  EXPECT_NE(0u, query());
  pattern(0);
  EXPECT_EQ(0u, query());
  auto suspend = Entry<VoidProc>("_SuspendFeatures@0");
  auto resume = Entry<VoidProc>("_ResumeFeatures@0");
  suspend();
  suspend();
  resume();
  EXPECT_EQ(1, host::ovxctrl::SuspendCount());
  resume();
  resume();
  EXPECT_EQ(0, host::ovxctrl::SuspendCount());
  Entry<TwoWordProc>("_SetHotKey@8")(0x51, 0x6);
  EXPECT_EQ(0x51u, host::ovxctrl::HotKeyWord(0));
  EXPECT_EQ(0x6u, host::ovxctrl::HotKeyWord(1));
}

}  // namespace
