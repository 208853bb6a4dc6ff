// The navigator's persistent settings under HKEY_LOCAL_MACHINE
// "SOFTWARE\\Orvane\\Panovue", and its run-time state.
#pragma once

#include <windows.h>

// Snap corners in the order their names are stored.
enum NavCorner { NAV_UPPER_LEFT = 0, NAV_UPPER_RIGHT = 1, NAV_LOWER_LEFT = 2, NAV_LOWER_RIGHT = 3 };

// Shown items: bit 0 the miniature, bit 1 the toolbar.
enum { NAV_SHOW_DESKTOP = 1, NAV_SHOW_TOOLBAR = 2, NAV_SHOW_BOTH = 3 };

struct NavigatorSettings {
  float windowRatio;  // miniature width as a fraction of the visible width
  BOOL snapTo;
  BOOL flowSnap;
  int snapCorner;  // NavCorner
  int showItems;   // NAV_SHOW_*
  BOOL centerCursor;
};

// One per navigator process.
struct NavigatorState {
  int lastZoom;        // zoom seen at the last layout
  int visibleWidth;    // cached Vw, Vh
  int visibleHeight;
  SIZE fixedSize;      // outer size while only the toolbar is shown
  int bitmapWidth;     // toolbar bitmap Bw, Bh
  int bitmapHeight;
  BOOL dragging;
  BOOL inSizeMove;
  BOOL captionDrag;
  BOOL ownResize;
  BOOL refreshTimerPending;
  BOOL feature103;
};

extern const float kDefaultWindowRatio;  // 1/6 in single precision

NavigatorSettings DefaultNavigatorSettings();
// Reads every setting; a missing key or value gives that setting its default.
NavigatorSettings ReadSettings();
// At window destruction: "Window Ratio" (only while the miniature is shown), then "SnapCorner".
BOOL SaveWindowState(const NavigatorSettings& settings);
// Each time the option is toggled.
BOOL SaveCenterCursor(BOOL centerCursor);
// When the options dialog ends with OK: "SnapTo", "FlowSnap", "ShowItem", "SnapCorner".
BOOL SaveOptions(const NavigatorSettings& settings);

const char* CornerName(int corner);
const char* ShowItemName(int showItems);
