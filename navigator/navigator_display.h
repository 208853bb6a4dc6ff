// The navigator's computations on a fresh display state: each reads the
// driver's display state record (and, for positions, the visible origin)
// just before it computes, as the window's messages need it, and the window
// operations move the navigator window themselves. Results where the state
// cannot be used are those of the forms in navigator_geometry.h.
#pragma once

#include <windows.h>

#include <optional>

#include "driver_escape.h"
#include "feature_library.h"
#include "navigator_geometry.h"
#include "navigator_settings.h"

// The display state as the computations use it; the origin is 0, 0 unless given.
NavDisplay NavDisplayFrom(const driver::DisplayState& state, const driver::VisibleOrigin& origin = {0, 0});
// A fresh display state record (0xC4D8ACED) alone.
NavDisplay ReadNavDisplay();
// A fresh display state record and visible origin (0xC4D8ACEF).
NavDisplay ReadNavDisplayAndOrigin();
// Fx, Fy and Cap from the system metrics for the shown items.
NavFrame ReadNavFrame(int showItems);

// ---- Sizes, on a fresh display state ----

std::optional<SIZE> InitialSize(const NavFrame& f, NavigatorSettings& settings, NavigatorState& state);
std::optional<SIZE> OptionsSize(const NavFrame& f, NavigatorSettings& settings, NavigatorState& state);
std::optional<NavRelayout> RelayoutSize(const NavFrame& f, NavigatorSettings& settings, NavigatorState& state,
                                        bool toolbarExists);
std::optional<NavTracking> TrackingLimits(const NavFrame& f, const NavigatorSettings& settings,
                                          const NavigatorState& state, bool toolbarExists);
void AspectLock(const NavFrame& f, const NavigatorSettings& settings, const NavigatorState& state, WINDOWPOS& pos);

// ---- Rectangles and the pan target, on a fresh display state ----

std::optional<RECT> ViewRectangle(const RECT& area);  // reads the origin too
std::optional<RECT> DragRectangle(const RECT& area, LPARAM pointer);
std::optional<RECT> PanTarget(const RECT& client, int toolbarHeight, POINT p);

// After the pan target: feature 103 off, the cursor to the target's two
// corners (the driver pans to keep it visible), then to the target's middle
// with center cursor on, or else back over the released client point `p`
// (as PanTarget was given it) moved by how far the visible origin moved since
// `originBefore`; last, place in corner, snapping form. Nothing is sent to a
// library without SetFeatureStatus.
void PanCommand(HWND window, const features::FeatureLibrary& library, const RECT& target, POINT p,
                const driver::VisibleOrigin& originBefore, const NavigatorSettings& settings,
                const NavigatorState& state);

// ---- Window positions: each reads the state and origin and moves `window` ----
// A state without sizes or zoom (a driver that did not answer) moves nothing
// and gives FALSE.

// Moves the window to the corner of the snap corner without resizing,
// activating or changing its z-order. The snapping form (forced false) does
// nothing unless snap to corner is on and no size/move loop is under way.
// TRUE when the window was moved.
BOOL PlaceInCorner(HWND window, const NavigatorSettings& settings, const NavigatorState& state, bool forced);
// The corner nearest to the window; none when the state cannot be used.
std::optional<int> NearestCorner(HWND window);
// Moves the window to its nearest corner unless it lies inside the visible part.
BOOL KeepInView(HWND window);
// Moves the window to the middle of the visible part and repaints it.
BOOL CentreInView(HWND window);
// Moves the window back onto the desktop (after a relayout that lowered the zoom).
BOOL KeepInDesktop(HWND window);
