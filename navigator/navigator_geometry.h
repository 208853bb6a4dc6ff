// Every computation that turns the driver's display state into the
// navigator's window sizes, rectangles, pan targets and corner positions.
// Integer steps are 32-bit signed with truncating division, left to right;
// "float" steps are single precision.
#pragma once

#include <windows.h>

#include <optional>

#include "navigator_settings.h"

// The driver's display state and visible origin as the computations use them.
struct NavDisplay {
  int Dw, Dh;  // display size, before zoom
  int Sw, Sh;  // desktop size
  int z;       // zoom factor
  int Ox, Oy;  // visible origin
  int Vw() const { return Dw / z; }
  int Vh() const { return Dh / z; }
  int s() const { return z >> 1; }
  // False where a computation would divide by zero: it then changes nothing.
  bool Usable() const { return z > 0 && Sw > 0 && Sh > 0 && Dw > 0 && Dh > 0; }
  // Panning is possible unless zoom is 1 and the display shows the whole desktop.
  bool CanPan() const { return !(z == 1 && Dw == Sw && Dh == Sh); }
};

// Frame and caption allowances of the outer window.
struct NavFrame {
  int Fx, Fy;  // twice the frame with the miniature, twice the border without
  int Cap;     // small caption height
};
NavFrame FrameFor(int showItems, int cxFrame, int cyFrame, int cxBorder, int cyBorder, int cySmCaption);

// The toolbar bitmap for a zoom: 102 (80 × 20) at 1, 103 (40 × 10) at 2, 104 (20 × 5) otherwise.
struct NavToolbarBitmap {
  int resourceId;
  int width, height;
};
NavToolbarBitmap ToolbarBitmapForZoom(int zoom);

// Initial size at window creation and options size after the shown items
// changed; both may adjust the ratio and, toolbar only, set the fixed size.
std::optional<SIZE> InitialSize(const NavDisplay& d, const NavFrame& f, NavigatorSettings& settings,
                                NavigatorState& state);
std::optional<SIZE> OptionsSize(const NavDisplay& d, const NavFrame& f, NavigatorSettings& settings,
                                NavigatorState& state);

struct NavRelayout {
  int W, H;
  int Wmin, Hmin;
  int Wmax, Hmax;
};
// On a change notification or display change; Bw, Bh must already follow the new zoom.
std::optional<NavRelayout> RelayoutSize(const NavDisplay& d, const NavFrame& f, NavigatorSettings& settings,
                                        NavigatorState& state, bool toolbarExists);

struct NavTracking {
  int minWidth, minHeight;
  int maxWidth, maxHeight;
};
// WM_GETMINMAXINFO, only while the miniature is shown.
std::optional<NavTracking> TrackingLimits(const NavDisplay& d, const NavFrame& f, const NavigatorSettings& settings,
                                          const NavigatorState& state, bool toolbarExists);

// WM_WINDOWPOSCHANGING: adjusts the proposed position in place.
void AspectLock(const NavDisplay& d, const NavFrame& f, const NavigatorSettings& settings,
                const NavigatorState& state, WINDOWPOS& pos);

// At the end of a user size/move loop while the miniature is shown.
std::optional<float> RatioFromWindow(int outerWidth, const NavFrame& f, const NavigatorState& state);

// The miniature area A: the client rectangle below the toolbar (+1) when it is shown.
RECT MiniatureArea(const RECT& client, int toolbarHeight, int showItems);
// Outline of the visible part inside the miniature; none when nothing can pan.
std::optional<RECT> ViewRectangle(const NavDisplay& d, const RECT& area);
// Outline following the pointer (the mouse message's two unsigned 16-bit halves).
std::optional<RECT> DragRectangle(const NavDisplay& d, const RECT& area, LPARAM pointer);

// The desktop rectangle to bring into view when the button is released at P
// inside client rectangle C; toolbarHeight is 0 when the toolbar is hidden.
std::optional<RECT> PanTarget(const NavDisplay& d, const RECT& client, int toolbarHeight, POINT p);
POINT PanCentre(const RECT& target);

// Corner position of an outer window of w × h.
POINT CornerPosition(const NavDisplay& d, int corner, int w, int h);
// The corner nearest to the window (ties fall left and up); none where the
// visible size cannot be computed (zoom 0).
std::optional<int> NearestCorner(const NavDisplay& d, const RECT& window);
// Where the window goes to stay in view; none when it already is.
std::optional<POINT> KeepInView(const NavDisplay& d, const RECT& window);
POINT CentreInView(const NavDisplay& d, int w, int h);
// After a relayout that lowered the zoom with snapping off.
POINT KeepInDesktop(const NavDisplay& d, const RECT& window);
