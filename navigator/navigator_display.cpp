#include "navigator_display.h"

namespace {

constexpr UINT kMoveOnly = SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE;

bool MoveWindowTo(HWND window, POINT at) { return SetWindowPos(window, nullptr, at.x, at.y, 0, 0, kMoveOnly) != 0; }

}  // namespace

NavDisplay NavDisplayFrom(const driver::DisplayState& state, const driver::VisibleOrigin& origin) {
  return NavDisplay{state.displayWidth, state.displayHeight, state.desktopWidth, state.desktopHeight,
                    state.zoom,         origin.x,            origin.y};
}

NavDisplay ReadNavDisplay() { return NavDisplayFrom(driver::ReadDisplayState()); }

NavDisplay ReadNavDisplayAndOrigin() {
  const driver::DisplayState state = driver::ReadDisplayState();
  return NavDisplayFrom(state, driver::ReadVisibleOrigin());
}

NavFrame ReadNavFrame(int showItems) {
  return FrameFor(showItems, GetSystemMetrics(SM_CXFRAME), GetSystemMetrics(SM_CYFRAME), GetSystemMetrics(SM_CXBORDER),
                  GetSystemMetrics(SM_CYBORDER), GetSystemMetrics(SM_CYSMCAPTION));
}

std::optional<SIZE> InitialSize(const NavFrame& f, NavigatorSettings& settings, NavigatorState& state) {
  return InitialSize(ReadNavDisplay(), f, settings, state);
}

std::optional<SIZE> OptionsSize(const NavFrame& f, NavigatorSettings& settings, NavigatorState& state) {
  return OptionsSize(ReadNavDisplay(), f, settings, state);
}

std::optional<NavRelayout> RelayoutSize(const NavFrame& f, NavigatorSettings& settings, NavigatorState& state,
                                        bool toolbarExists) {
  return RelayoutSize(ReadNavDisplay(), f, settings, state, toolbarExists);
}

std::optional<NavTracking> TrackingLimits(const NavFrame& f, const NavigatorSettings& settings,
                                          const NavigatorState& state, bool toolbarExists) {
  return TrackingLimits(ReadNavDisplay(), f, settings, state, toolbarExists);
}

void AspectLock(const NavFrame& f, const NavigatorSettings& settings, const NavigatorState& state, WINDOWPOS& pos) {
  // A move that keeps the size needs no state at all.
  if (pos.flags & SWP_NOSIZE) return;
  AspectLock(ReadNavDisplay(), f, settings, state, pos);
}

std::optional<RECT> ViewRectangle(const RECT& area) { return ViewRectangle(ReadNavDisplayAndOrigin(), area); }

std::optional<RECT> DragRectangle(const RECT& area, LPARAM pointer) {
  return DragRectangle(ReadNavDisplay(), area, pointer);
}

std::optional<RECT> PanTarget(const RECT& client, int toolbarHeight, POINT p) {
  return PanTarget(ReadNavDisplay(), client, toolbarHeight, p);
}

void PanCommand(HWND window, const features::FeatureLibrary& library, const RECT& target, POINT p,
                const driver::VisibleOrigin& originBefore, const NavigatorSettings& settings,
                const NavigatorState& state) {
  if (library.SetFeatureStatus) library.SetFeatureStatus(features::kFeature103, 0);
  // The driver pans to keep the cursor visible: both corners come into view.
  SetCursorPos(target.left, target.top);
  SetCursorPos(target.right, target.bottom);
  if (settings.centerCursor) {
    const POINT centre = PanCentre(target);
    SetCursorPos(centre.x, centre.y);
  } else {
    // Back over the same point of the navigator, which moved with the view.
    ClientToScreen(window, &p);
    const driver::VisibleOrigin now = driver::ReadVisibleOrigin();
    SetCursorPos(p.x + now.x - originBefore.x, p.y + now.y - originBefore.y);
  }
  PlaceInCorner(window, settings, state, false);
}

BOOL PlaceInCorner(HWND window, const NavigatorSettings& settings, const NavigatorState& state, bool forced) {
  if (!forced && (!settings.snapTo || state.inSizeMove)) return FALSE;
  RECT rect;
  if (!GetWindowRect(window, &rect)) return FALSE;
  const NavDisplay d = ReadNavDisplayAndOrigin();
  if (!d.Usable()) return FALSE;
  return MoveWindowTo(window, CornerPosition(d, settings.snapCorner, rect.right - rect.left, rect.bottom - rect.top));
}

std::optional<int> NearestCorner(HWND window) {
  RECT rect;
  if (!GetWindowRect(window, &rect)) return std::nullopt;
  return NearestCorner(ReadNavDisplayAndOrigin(), rect);
}

BOOL KeepInView(HWND window) {
  RECT rect;
  if (!GetWindowRect(window, &rect)) return FALSE;
  const std::optional<POINT> at = KeepInView(ReadNavDisplayAndOrigin(), rect);
  return at && MoveWindowTo(window, *at);
}

BOOL CentreInView(HWND window) {
  RECT rect;
  if (!GetWindowRect(window, &rect)) return FALSE;
  const int w = rect.right - rect.left, h = rect.bottom - rect.top;
  const NavDisplay d = ReadNavDisplayAndOrigin();
  if (!d.Usable()) return FALSE;
  const POINT at = CentreInView(d, w, h);
  return MoveWindow(window, at.x, at.y, w, h, TRUE);
}

BOOL KeepInDesktop(HWND window) {
  RECT rect;
  if (!GetWindowRect(window, &rect)) return FALSE;
  const NavDisplay d = ReadNavDisplay();
  if (!d.Usable()) return FALSE;
  return MoveWindowTo(window, KeepInDesktop(d, rect));
}
