// The navigator's operations on a fresh display state, against the
// station's virtual adapter: what they ask the driver, what they compute
// from its answers, and where they move the window.
#include <host/adapter.h>
#include <host/ovxctrl.h>
#include <host_testing/station_fixture.h>

#include <functional>
#include <string>
#include <vector>

#include "navigator_display.h"

namespace {

class NavigatorDisplayTest : public host::testing::StationTest {
 protected:
  void TearDown() override {
    if (window_) DestroyWindow(window_);
    features::ReleaseFeatureLibrary(library_);
    StationTest::TearDown();
  }

  // Boots the station with the adapter of the worked examples (display
  // 1024 × 768, desktop 1600 × 1200) as changed, so the window manager's
  // screen has the desktop's size.
  void Configure(const std::function<void(host::adapter::Config&)>& change = nullptr) {
    host::adapter::Config c;
    c.desktopWidth = 1600;
    c.desktopHeight = 1200;
    if (change) change(c);
    std::string error;
    ASSERT_TRUE(host::adapter::Configure(c, &error)) << error;
    ASSERT_TRUE(host::adapter::WriteConfigFile(host::adapter::StationConfigPath(), c));
    Reboot();
    ASSERT_EQ(GetSystemMetrics(SM_CXSCREEN), c.desktopWidth);
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.lpszClassName = "NavTest";
    ASSERT_TRUE(RegisterClassA(&wc));
    host::adapter::ClearDeviceLog();
  }
  static std::vector<DWORD> Asked() {
    std::vector<DWORD> codes;
    for (const host::adapter::LogEntry& e : host::adapter::EscapeLog())
      if (e.escape == driver::kEscape) codes.push_back(e.code);
    host::adapter::ClearDeviceLog();
    return codes;
  }
  HWND Window(RECT r) {
    window_ = CreateWindowExA(WS_EX_PALETTEWINDOW, "NavTest", "OVX Panovue", WS_POPUP | WS_CAPTION | WS_THICKFRAME,
                              r.left, r.top, r.right - r.left, r.bottom - r.top, nullptr, nullptr, nullptr, nullptr);
    EXPECT_TRUE(window_);
    return window_;
  }
  RECT WindowRect() const {
    RECT r{};
    GetWindowRect(window_, &r);
    return r;
  }
  static NavigatorState StateFor(int zoom) {
    NavigatorState state{};
    const NavToolbarBitmap bitmap = ToolbarBitmapForZoom(zoom);
    state.bitmapWidth = bitmap.width;
    state.bitmapHeight = bitmap.height;
    return state;
  }

  HWND window_ = nullptr;
  features::FeatureLibrary library_{};
};

const std::vector<DWORD> kStateOnly{driver::kDisplayState};
const std::vector<DWORD> kStateAndOrigin{driver::kDisplayState, driver::kVisibleOrigin};

TEST_F(NavigatorDisplayTest, WorkedInitialSizeFromTheDriver) {
  Configure();
  NavigatorSettings settings = DefaultNavigatorSettings();
  NavigatorState state = StateFor(1);
  const NavFrame frame = ReadNavFrame(settings.showItems);
  EXPECT_EQ(frame.Fx, 8);
  EXPECT_EQ(frame.Fy, 8);
  EXPECT_EQ(frame.Cap, 15);
  const auto size = InitialSize(frame, settings, state);
  ASSERT_TRUE(size);
  EXPECT_EQ(size->cx, 178);
  EXPECT_EQ(size->cy, 185);
  EXPECT_EQ(settings.windowRatio, 0.166015625f);
  EXPECT_EQ(Asked(), kStateOnly);
  // Without the miniature the frame is the border.
  const NavFrame border = ReadNavFrame(NAV_SHOW_TOOLBAR);
  EXPECT_EQ(border.Fx, 2);
  EXPECT_EQ(border.Fy, 2);
}

TEST_F(NavigatorDisplayTest, EachOperationReadsTheStateItNeeds) {
  Configure([](host::adapter::Config& c) {
    c.zoom = 2;
    c.originX = 100;
    c.originY = 50;
  });
  NavigatorSettings settings = DefaultNavigatorSettings();
  NavigatorState state = StateFor(2);
  const NavFrame frame = ReadNavFrame(NAV_SHOW_BOTH);
  host::adapter::ClearDeviceLog();
  const NavDisplay d{1024, 768, 1600, 1200, 2, 100, 50};
  const RECT area{0, 0, 170, 127};

  NavigatorSettings expectSettings = settings;
  NavigatorState expectState = state;
  EXPECT_EQ(OptionsSize(frame, settings, state)->cx, OptionsSize(d, frame, expectSettings, expectState)->cx);
  EXPECT_EQ(Asked(), kStateOnly);
  EXPECT_EQ(RelayoutSize(frame, settings, state, true)->W, RelayoutSize(d, frame, expectSettings, expectState, true)->W);
  EXPECT_EQ(Asked(), kStateOnly);
  EXPECT_EQ(TrackingLimits(frame, settings, state, true)->maxWidth,
            TrackingLimits(d, frame, settings, state, true)->maxWidth);
  EXPECT_EQ(Asked(), kStateOnly);
  WINDOWPOS pos{}, expectPos{};
  pos.cx = expectPos.cx = 200;
  AspectLock(frame, settings, state, pos);
  AspectLock(d, frame, settings, state, expectPos);
  EXPECT_EQ(pos.cy, expectPos.cy);
  EXPECT_EQ(Asked(), kStateOnly);
  pos.flags = SWP_NOSIZE;
  AspectLock(frame, settings, state, pos);
  EXPECT_EQ(Asked(), std::vector<DWORD>{});

  const RECT view = *ViewRectangle(area);
  const RECT expectView = *ViewRectangle(d, area);
  EXPECT_EQ(view.left, expectView.left);
  EXPECT_EQ(view.left, 170 * 100 / 1600);
  EXPECT_EQ(view.bottom, expectView.bottom);
  EXPECT_EQ(Asked(), kStateAndOrigin);
  EXPECT_EQ(DragRectangle(area, MAKELPARAM(85, 60))->right, DragRectangle(d, area, MAKELPARAM(85, 60))->right);
  EXPECT_EQ(Asked(), kStateOnly);
  EXPECT_EQ(PanTarget(area, 0, POINT{85, 60})->right, PanTarget(d, area, 0, POINT{85, 60})->right);
  EXPECT_EQ(Asked(), kStateOnly);
}

TEST_F(NavigatorDisplayTest, NothingToOutlineOrPanWhenTheDisplayShowsTheWholeDesktop) {
  Configure([](host::adapter::Config& c) {
    c.desktopWidth = 1024;
    c.desktopHeight = 768;
  });
  const RECT area{0, 0, 170, 127};
  EXPECT_FALSE(ViewRectangle(area));
  EXPECT_FALSE(DragRectangle(area, MAKELPARAM(85, 60)));
  EXPECT_FALSE(PanTarget(area, 0, POINT{85, 60}));
}

TEST_F(NavigatorDisplayTest, WorkedPanCommandCentresTheCursor) {
  Configure();
  ASSERT_EQ(features::BindFeatureLibrary(features::Client::Navigator, library_).status, features::BindStatus::Bound);
  library_.SetFeatureStatus(features::kFeature103, 1);
  HWND window = Window(RECT{20, 20, 198, 155});
  NavigatorSettings settings = DefaultNavigatorSettings();
  settings.showItems = NAV_SHOW_DESKTOP;
  const NavigatorState state = StateFor(1);
  const driver::VisibleOrigin before = driver::ReadVisibleOrigin();
  const POINT release{85, 60};
  const auto target = PanTarget(RECT{0, 0, 170, 127}, 0, release);
  ASSERT_TRUE(target);
  EXPECT_EQ(target->left, 290);
  EXPECT_EQ(target->top, 187);
  EXPECT_EQ(target->right, 1300);
  EXPECT_EQ(target->bottom, 937);

  PanCommand(window, library_, *target, release, before, settings, state);
  EXPECT_EQ(host::ovxctrl::FeatureStatus(features::kFeature103), 0u);
  POINT cursor;
  ASSERT_TRUE(GetCursorPos(&cursor));
  EXPECT_EQ(cursor.x, 795);
  EXPECT_EQ(cursor.y, 562);
  // The far corner brought the view to (1300 − 1023, 937 − 767).
  const host::adapter::State now = host::adapter::CurrentState();
  EXPECT_EQ(now.originX, 277);
  EXPECT_EQ(now.originY, 170);
  // Snapping is off: the window stays where it was.
  EXPECT_EQ(WindowRect().left, 20);
}

TEST_F(NavigatorDisplayTest, PanCommandWithoutCenterCursorReturnsOverTheReleasedPoint) {
  Configure();
  ASSERT_EQ(features::BindFeatureLibrary(features::Client::Navigator, library_).status, features::BindStatus::Bound);
  HWND window = Window(RECT{20, 20, 198, 155});
  NavigatorSettings settings = DefaultNavigatorSettings();
  settings.centerCursor = FALSE;
  settings.snapTo = TRUE;
  settings.snapCorner = NAV_LOWER_RIGHT;
  const driver::VisibleOrigin before = driver::ReadVisibleOrigin();
  const POINT release{85, 60};
  POINT expected = release;
  ASSERT_TRUE(ClientToScreen(window, &expected));
  PanCommand(window, library_, RECT{290, 187, 1300, 937}, release, before, settings, StateFor(1));
  POINT cursor;
  ASSERT_TRUE(GetCursorPos(&cursor));
  EXPECT_EQ(cursor.x, expected.x + 277);
  EXPECT_EQ(cursor.y, expected.y + 170);
  // Snapping on: the window went to the lower right corner of the new view.
  const RECT r = WindowRect();
  EXPECT_EQ(r.right, 277 + 1024);
  EXPECT_EQ(r.bottom, 170 + 768);
}

TEST_F(NavigatorDisplayTest, PlaceInCorner) {
  Configure([](host::adapter::Config& c) {
    c.zoom = 2;
    c.originX = 100;
    c.originY = 50;
  });
  // Visible part 512 × 384 at (100, 50); the window is 120 × 90.
  struct Case {
    const char* what;
    BOOL snapTo;
    BOOL inSizeMove;
    bool forced;
    int corner;
    bool moves;
    POINT at;
  } cases[] = {
      {"snapping off", FALSE, FALSE, false, NAV_LOWER_RIGHT, false, {30, 40}},
      {"inside a size/move loop", TRUE, TRUE, false, NAV_LOWER_RIGHT, false, {30, 40}},
      {"forced with snapping off", FALSE, TRUE, true, NAV_LOWER_RIGHT, true, {612 - 120, 434 - 90}},
      {"upper left", TRUE, FALSE, false, NAV_UPPER_LEFT, true, {100, 50}},
      {"upper right", TRUE, FALSE, false, NAV_UPPER_RIGHT, true, {612 - 120, 50}},
      {"lower left", TRUE, FALSE, false, NAV_LOWER_LEFT, true, {100, 434 - 90}},
      {"lower right", TRUE, FALSE, false, NAV_LOWER_RIGHT, true, {612 - 120, 434 - 90}},
  };
  HWND window = Window(RECT{30, 40, 150, 130});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(SetWindowPos(window, nullptr, 30, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE));
    NavigatorSettings settings = DefaultNavigatorSettings();
    settings.snapTo = c.snapTo;
    settings.snapCorner = c.corner;
    NavigatorState state = StateFor(2);
    state.inSizeMove = c.inSizeMove;
    host::adapter::ClearDeviceLog();
    EXPECT_EQ(PlaceInCorner(window, settings, state, c.forced), c.moves ? TRUE : FALSE);
    EXPECT_EQ(Asked(), c.moves ? kStateAndOrigin : std::vector<DWORD>{});
    const RECT r = WindowRect();
    EXPECT_EQ(r.left, c.at.x);
    EXPECT_EQ(r.top, c.at.y);
    EXPECT_EQ(r.right - r.left, 120);
    EXPECT_EQ(r.bottom - r.top, 90);
  }
}

TEST_F(NavigatorDisplayTest, NearestCornerKeepInViewCentreInViewKeepInDesktop) {
  Configure([](host::adapter::Config& c) {
    c.zoom = 2;
    c.originX = 100;
    c.originY = 50;
  });
  // Visible part 512 × 384 at (100, 50); the window is 120 × 90.
  HWND window = Window(RECT{480, 330, 600, 420});
  EXPECT_EQ(NearestCorner(window), std::optional<int>(NAV_LOWER_RIGHT));

  // Inside the visible part: keep in view leaves it.
  EXPECT_FALSE(KeepInView(window));
  EXPECT_EQ(WindowRect().left, 480);
  // Half out on the right: to the upper right corner.
  ASSERT_TRUE(SetWindowPos(window, nullptr, 580, 60, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE));
  EXPECT_EQ(NearestCorner(window), std::optional<int>(NAV_UPPER_RIGHT));
  EXPECT_TRUE(KeepInView(window));
  EXPECT_EQ(WindowRect().left, 612 - 120);
  EXPECT_EQ(WindowRect().top, 50);

  EXPECT_TRUE(CentreInView(window));
  EXPECT_EQ(WindowRect().left, 100 + (512 - 120) / 2);
  EXPECT_EQ(WindowRect().top, 50 + (384 - 90) / 2);
  EXPECT_EQ(WindowRect().right - WindowRect().left, 120);

  // Beyond the desktop's right edge and above its top.
  ASSERT_TRUE(SetWindowPos(window, nullptr, 1550, -10, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE));
  host::adapter::ClearDeviceLog();
  EXPECT_TRUE(KeepInDesktop(window));
  EXPECT_EQ(Asked(), kStateOnly);
  EXPECT_EQ(WindowRect().left, 1600 - 120);
  EXPECT_EQ(WindowRect().top, 0);
}

TEST_F(NavigatorDisplayTest, ADriverThatDoesNotAnswerChangesNothing) {
  // A failing escape leaves a zeroed record, read as zoom 1 with no sizes.
  Configure();
  host::adapter::Faults faults;
  faults.escapeFails = true;
  host::adapter::SetFaults(faults);
  NavigatorSettings settings = DefaultNavigatorSettings();
  NavigatorState state = StateFor(1);
  const NavFrame frame = ReadNavFrame(NAV_SHOW_BOTH);
  EXPECT_FALSE(InitialSize(frame, settings, state));
  EXPECT_FALSE(RelayoutSize(frame, settings, state, true));
  EXPECT_FALSE(PanTarget(RECT{0, 0, 170, 127}, 0, POINT{85, 60}));
  EXPECT_EQ(settings.windowRatio, kDefaultWindowRatio);
  HWND window = Window(RECT{30, 40, 150, 130});
  EXPECT_EQ(NearestCorner(window), std::nullopt);
  NavigatorSettings snapping = DefaultNavigatorSettings();
  snapping.snapTo = TRUE;
  snapping.snapCorner = NAV_LOWER_RIGHT;
  for (BOOL moved : {KeepInView(window), CentreInView(window), KeepInDesktop(window),
                     PlaceInCorner(window, snapping, state, true)})
    EXPECT_FALSE(moved);
  EXPECT_EQ(WindowRect().left, 30);
  EXPECT_EQ(WindowRect().top, 40);
}

}  // namespace
