// Navigator geometry: the worked examples, sizes per zoom and shown items,
// pan targets in the middle and at each edge, corners.
#include <gtest/gtest.h>

#include "navigator_geometry.h"

namespace {

const NavDisplay kWorked{1024, 768, 1600, 1200, 1, 0, 0};

NavigatorState StateFor(int zoom) {
  NavigatorState state{};
  NavToolbarBitmap bitmap = ToolbarBitmapForZoom(zoom);
  state.bitmapWidth = bitmap.width;
  state.bitmapHeight = bitmap.height;
  return state;
}

NavFrame Frame(int showItems) { return FrameFor(showItems, 4, 4, 1, 1, 15); }

TEST(NavigatorSize, WorkedInitialSize) {
  NavigatorSettings settings = DefaultNavigatorSettings();
  NavigatorState state = StateFor(1);
  auto size = InitialSize(kWorked, Frame(NAV_SHOW_BOTH), settings, state);
  ASSERT_TRUE(size);
  EXPECT_EQ(size->cx, 178);
  EXPECT_EQ(size->cy, 185);
  EXPECT_EQ(settings.windowRatio, 0.166015625f);
}

TEST(NavigatorSize, PerZoomAndShownItems) {
  struct Case {
    int zoom, showItems;
    SIZE outer;
    bool fixed;
  } cases[] = {
      // Miniature 170 × 127 at zoom 1; at zoom 2 the visible width halves.
      {1, NAV_SHOW_DESKTOP, {178, 150}, false},
      {1, NAV_SHOW_TOOLBAR, {116, 52}, true},   // 80 + 34 + 2 borders; 20 + 15 + 15 + 2
      {2, NAV_SHOW_BOTH, {93, 111}, false},     // miniature 85 × 63, toolbar 40 × 10
      {4, NAV_SHOW_BOTH, {62, 83}, false},      // toolbar 20 × 5 widens the miniature to 54 × 40
      {4, NAV_SHOW_TOOLBAR, {56, 37}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "zoom " << c.zoom << " items " << c.showItems);
    NavDisplay d = kWorked;
    d.z = c.zoom;
    NavigatorSettings settings = DefaultNavigatorSettings();
    settings.showItems = c.showItems;
    NavigatorState state = StateFor(c.zoom);
    auto size = InitialSize(d, Frame(c.showItems), settings, state);
    ASSERT_TRUE(size);
    EXPECT_EQ(size->cx, c.outer.cx);
    EXPECT_EQ(size->cy, c.outer.cy);
    EXPECT_EQ(state.fixedSize.cx, c.fixed ? c.outer.cx : 0);
  }
}

TEST(NavigatorSize, InitialHeightIsLimitedToHalfTheDisplayHeight) {
  // A tall desktop: the miniature would be taller than half the display.
  NavDisplay d{1024, 768, 1024, 4096, 1, 0, 0};
  NavigatorSettings settings = DefaultNavigatorSettings();
  settings.showItems = NAV_SHOW_DESKTOP;
  NavigatorState state = StateFor(1);
  auto initial = InitialSize(d, Frame(NAV_SHOW_DESKTOP), settings, state);
  ASSERT_TRUE(initial);
  // N = 384, M = 384 × 1024 / 4096 = 96.
  EXPECT_EQ(initial->cx, 96 + 8);
  EXPECT_EQ(initial->cy, 384 + 15 + 8);
  // The options size keeps the limit of the display width: 512.
  settings = DefaultNavigatorSettings();
  settings.showItems = NAV_SHOW_DESKTOP;
  auto options = OptionsSize(d, Frame(NAV_SHOW_DESKTOP), settings, state);
  ASSERT_TRUE(options);
  EXPECT_EQ(options->cx, 128 + 8);
  EXPECT_EQ(options->cy, 512 + 15 + 8);
}

TEST(NavigatorSize, RelayoutClampsToTheLimits) {
  NavigatorSettings settings = DefaultNavigatorSettings();
  settings.windowRatio = 0.05f;  // below a sixth of the visible width
  NavigatorState state = StateFor(1);
  auto r = RelayoutSize(kWorked, Frame(NAV_SHOW_BOTH), settings, state, true);
  ASSERT_TRUE(r);
  // The toolbar widens the wanted size to 122 and makes that the minimum
  // width; the height then rises to the minimum height of a 170-wide miniature.
  EXPECT_EQ(r->Wmin, 122);
  EXPECT_EQ(r->Hmin, 127 + 8 + 15 + 35);
  EXPECT_EQ(r->W, 122);
  EXPECT_EQ(r->H, r->Hmin);
  // Maximum: half the display width, 512 × 384, but no taller than half the visible height.
  EXPECT_EQ(r->Hmax, 384 + 8 + 15 + 35);
  EXPECT_EQ(r->Wmax, 384 * 1600 / 1200 + 8);

  settings.windowRatio = 0.9f;  // wider than half the visible width
  r = RelayoutSize(kWorked, Frame(NAV_SHOW_BOTH), settings, state, true);
  ASSERT_TRUE(r);
  EXPECT_EQ(r->W, 512 + 8);
  EXPECT_EQ(settings.windowRatio, 512.0f / 1024);
}

TEST(NavigatorSize, ToolbarOnlyRelayoutBecomesTheFixedSize) {
  NavigatorSettings settings = DefaultNavigatorSettings();
  settings.showItems = NAV_SHOW_TOOLBAR;
  NavigatorState state = StateFor(2);
  auto r = RelayoutSize(kWorked, Frame(NAV_SHOW_TOOLBAR), settings, state, true);
  ASSERT_TRUE(r);
  EXPECT_EQ(r->W, 40 + 34 + 2);
  EXPECT_EQ(r->H, 15 + 2 + 10 + 15);
  EXPECT_EQ(state.fixedSize.cx, r->W);
  EXPECT_EQ(state.fixedSize.cy, r->H);
}

TEST(NavigatorSize, TrackingLimitsAtZoomFourUseTheToolbarWidth) {
  NavDisplay d = kWorked;
  d.z = 4;
  NavigatorSettings settings = DefaultNavigatorSettings();
  NavigatorState state = StateFor(4);
  auto t = TrackingLimits(d, Frame(NAV_SHOW_BOTH), settings, state, true);
  ASSERT_TRUE(t);
  EXPECT_EQ(t->minWidth, 54);
  EXPECT_EQ(t->minHeight, 1200 * 54 / 1600 + 5 + 15 + 8 + 15);
  EXPECT_EQ(t->maxWidth, 128);
  EXPECT_EQ(t->maxHeight, 96 + 20 + 23);
  settings.showItems = NAV_SHOW_TOOLBAR;
  EXPECT_FALSE(TrackingLimits(d, Frame(NAV_SHOW_TOOLBAR), settings, state, true));
}

TEST(NavigatorSize, AspectLockFollowsTheWidth) {
  NavigatorSettings settings = DefaultNavigatorSettings();
  NavigatorState state = StateFor(1);
  WINDOWPOS pos{};
  pos.cx = 208;
  pos.cy = 10;
  AspectLock(kWorked, Frame(NAV_SHOW_BOTH), settings, state, pos);
  EXPECT_EQ(pos.cy, 150 + 8 + 15 + 35);
  pos.cx = 50;  // narrower than the toolbar
  AspectLock(kWorked, Frame(NAV_SHOW_BOTH), settings, state, pos);
  EXPECT_EQ(pos.cx, 122);
  EXPECT_EQ(pos.cy, 114 * 1200 / 1600 + 23 + 35);

  settings.showItems = NAV_SHOW_TOOLBAR;
  state.fixedSize = SIZE{116, 52};
  pos = WINDOWPOS{};
  pos.cx = 300;
  AspectLock(kWorked, Frame(NAV_SHOW_TOOLBAR), settings, state, pos);
  EXPECT_EQ(pos.cx, 116);
  EXPECT_TRUE(pos.flags & SWP_NOMOVE);
  state.captionDrag = TRUE;
  pos.flags = 0;
  AspectLock(kWorked, Frame(NAV_SHOW_TOOLBAR), settings, state, pos);
  EXPECT_FALSE(pos.flags & SWP_NOMOVE);
}

TEST(NavigatorSize, ZeroZoomOrEmptyCacheChangesNothing) {
  NavDisplay d = kWorked;
  d.z = 0;
  NavigatorSettings settings = DefaultNavigatorSettings();
  NavigatorState state = StateFor(1);
  EXPECT_FALSE(InitialSize(d, Frame(NAV_SHOW_BOTH), settings, state));
  EXPECT_FALSE(RelayoutSize(d, Frame(NAV_SHOW_BOTH), settings, state, true));
  EXPECT_FALSE(TrackingLimits(d, Frame(NAV_SHOW_BOTH), settings, state, true));
  EXPECT_FALSE(OptionsSize(d, Frame(NAV_SHOW_BOTH), settings, state));
  EXPECT_FALSE(PanTarget(d, RECT{0, 0, 170, 127}, 0, POINT{85, 60}));
  EXPECT_FALSE(ViewRectangle(d, RECT{0, 0, 170, 127}));
  EXPECT_FALSE(DragRectangle(d, RECT{0, 0, 170, 127}, MAKELPARAM(85, 60)));
  EXPECT_FALSE(NearestCorner(d, RECT{10, 10, 100, 100}));
  EXPECT_FALSE(KeepInView(d, RECT{2000, 10, 2100, 100}));
  EXPECT_EQ(settings.windowRatio, kDefaultWindowRatio);
  WINDOWPOS pos{};
  pos.cx = 200;
  pos.cy = 77;
  AspectLock(d, Frame(NAV_SHOW_BOTH), settings, state, pos);
  EXPECT_EQ(pos.cx, 200);
  EXPECT_EQ(pos.cy, 77);
  EXPECT_FALSE(RatioFromWindow(178, Frame(NAV_SHOW_BOTH), state));
  state.visibleWidth = 1024;
  EXPECT_EQ(*RatioFromWindow(178, Frame(NAV_SHOW_BOTH), state), 171.0f / 1024);
}

TEST(NavigatorPan, WorkedPanTarget) {
  auto target = PanTarget(kWorked, RECT{0, 0, 170, 127}, 0, POINT{85, 60});
  ASSERT_TRUE(target);
  EXPECT_EQ(target->left, 290);
  EXPECT_EQ(target->top, 187);
  EXPECT_EQ(target->right, 1300);
  EXPECT_EQ(target->bottom, 937);
  POINT centre = PanCentre(*target);
  EXPECT_EQ(centre.x, 795);
  EXPECT_EQ(centre.y, 562);
}

TEST(NavigatorPan, EdgesShiftTheTargetInward) {
  const RECT client{0, 0, 170, 127};
  struct Case {
    POINT release;
    RECT target;
  } cases[] = {
      {{0, 60}, {0, 187, 1019, 937}},       // left edge
      {{170, 60}, {570, 187, 1600, 937}},   // right: the far corner is exactly the desktop width
      {{85, 0}, {290, 0, 1300, 759}},       // top
      {{85, 127}, {290, 431, 1300, 1200}},  // bottom: exactly the desktop height
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.release.x << "," << c.release.y);
    auto target = PanTarget(kWorked, client, 0, c.release);
    ASSERT_TRUE(target);
    EXPECT_EQ(target->left, c.target.left);
    EXPECT_EQ(target->top, c.target.top);
    EXPECT_EQ(target->right, c.target.right);
    EXPECT_EQ(target->bottom, c.target.bottom);
  }
}

TEST(NavigatorPan, NothingPansWhenTheDisplayShowsTheWholeDesktop) {
  NavDisplay whole{1024, 768, 1024, 768, 1, 0, 0};
  const RECT area{0, 0, 170, 127};
  EXPECT_FALSE(ViewRectangle(whole, area));
  EXPECT_FALSE(DragRectangle(whole, area, MAKELPARAM(85, 60)));
  EXPECT_FALSE(PanTarget(whole, area, 0, POINT{85, 60}));
  whole.z = 2;  // zoomed, the same display can pan
  EXPECT_TRUE(ViewRectangle(whole, area));
}

TEST(NavigatorPan, ViewAndDragRectangles) {
  NavDisplay d = kWorked;
  d.Ox = 400;
  d.Oy = 300;
  const RECT area = MiniatureArea(RECT{0, 0, 170, 162}, 34, NAV_SHOW_BOTH);
  EXPECT_EQ(area.top, 35);
  auto view = ViewRectangle(d, area);
  ASSERT_TRUE(view);
  EXPECT_EQ(view->left, 170 * 400 / 1600);
  EXPECT_EQ(view->top, 127 * 300 / 1200 + 35);
  EXPECT_EQ(view->right, 1424 * 170 / 1600);
  EXPECT_EQ(view->bottom, 1068 * 127 / 1200 + 35);
  // A pointer left of the window arrives as 65535 and counts as 0: shifted inward.
  auto drag = DragRectangle(d, area, MAKELPARAM(-1, 100));
  ASSERT_TRUE(drag);
  EXPECT_EQ(drag->left, 0);
  EXPECT_EQ(drag->right, 170 * 1024 / 1600);
  EXPECT_EQ(drag->top, 100 - 127 * 768 / 2400);
}

TEST(NavigatorCorners, PositionsNearestAndKeepInView) {
  NavDisplay d{1024, 768, 1600, 1200, 2, 100, 50};  // visible 512 × 384 at (100, 50)
  EXPECT_EQ(CornerPosition(d, NAV_UPPER_LEFT, 90, 80).x, 100);
  EXPECT_EQ(CornerPosition(d, NAV_UPPER_RIGHT, 90, 80).x, 612 - 90);
  EXPECT_EQ(CornerPosition(d, NAV_LOWER_LEFT, 90, 80).y, 434 - 80);
  EXPECT_EQ(CornerPosition(d, NAV_LOWER_RIGHT, 90, 80).y, 434 - 80);
  struct Case {
    RECT window;
    int corner;
  } cases[] = {
      {{110, 60, 200, 140}, NAV_UPPER_LEFT},
      {{500, 60, 590, 140}, NAV_UPPER_RIGHT},
      {{110, 340, 200, 420}, NAV_LOWER_LEFT},
      {{500, 340, 590, 420}, NAV_LOWER_RIGHT},
      {{311, 197, 401, 287}, NAV_UPPER_LEFT},  // centred: ties fall left and up
  };
  for (const Case& c : cases) EXPECT_EQ(NearestCorner(d, c.window), std::optional<int>(c.corner));
  EXPECT_FALSE(KeepInView(d, RECT{110, 60, 200, 140}));
  auto moved = KeepInView(d, RECT{580, 60, 670, 140});
  ASSERT_TRUE(moved);
  EXPECT_EQ(moved->x, 522);
  EXPECT_EQ(moved->y, 50);
  POINT centre = CentreInView(d, 90, 80);
  EXPECT_EQ(centre.x, 100 + (512 - 90) / 2);
  EXPECT_EQ(centre.y, 50 + (384 - 80) / 2);
  EXPECT_EQ(CentreInView(d, 2000, 80).x, 100);
  POINT inside = KeepInDesktop(d, RECT{1550, -10, 1640, 70});
  EXPECT_EQ(inside.x, 1510);
  EXPECT_EQ(inside.y, 0);
}

TEST(NavigatorToolbar, BitmapPerZoom) {
  EXPECT_EQ(ToolbarBitmapForZoom(1).resourceId, 102);
  EXPECT_EQ(ToolbarBitmapForZoom(2).width, 40);
  EXPECT_EQ(ToolbarBitmapForZoom(4).height, 5);
  EXPECT_EQ(ToolbarBitmapForZoom(3).resourceId, 104);
}

}  // namespace
