#include "navigator_geometry.h"

namespace {

// The toolbar needs this much more than its bitmap's width, and this much
// more than its bitmap's height.
constexpr int kToolbarExtraWidth = 34;
constexpr int kToolbarExtraHeight = 15;

bool ShowsMiniature(const NavigatorSettings& settings) { return (settings.showItems & NAV_SHOW_DESKTOP) != 0; }
bool ShowsToolbar(const NavigatorSettings& settings) { return (settings.showItems & NAV_SHOW_TOOLBAR) != 0; }

int MiniatureWidth(const NavDisplay& d, float ratio) { return static_cast<int>(static_cast<float>(d.Dw) * ratio / d.z); }

// Shared by the initial and the options size; only the height limit differs.
std::optional<SIZE> OuterSize(const NavDisplay& d, const NavFrame& f, NavigatorSettings& settings,
                              NavigatorState& state, int heightLimit) {
  const int Bw = state.bitmapWidth, Bh = state.bitmapHeight;
  const bool miniature = ShowsMiniature(settings);
  int M = 0, N = 0;
  // 1. The miniature at the stored ratio, no higher than the limit.
  if (miniature) {
    M = MiniatureWidth(d, settings.windowRatio);
    N = M * d.Sh / d.Sw;
    if (heightLimit < N) {
      N = heightLimit;
      M = N * d.Sw / d.Sh;
    }
  }
  // 2. Wide enough for the toolbar, and room below for it.
  if (ShowsToolbar(settings)) {
    if (M < Bw + kToolbarExtraWidth) {
      M = Bw + kToolbarExtraWidth;
      if (miniature) N = M * d.Sh / d.Sw;
    }
    N += Bh + kToolbarExtraHeight;
  }
  // 3. The caption.
  N += f.Cap;
  // 4. The frame; the ratio follows the width actually used.
  if (miniature) {
    settings.windowRatio = static_cast<float>(d.z * M) / d.Dw;
    M += f.Fx;
    N += f.Fy;
  } else {
    M += f.Fx;
    N += f.Fy;
    state.fixedSize = SIZE{M, N};
  }
  return SIZE{M, N};
}

}  // namespace

NavFrame FrameFor(int showItems, int cxFrame, int cyFrame, int cxBorder, int cyBorder, int cySmCaption) {
  if (showItems & NAV_SHOW_DESKTOP) return NavFrame{2 * cxFrame, 2 * cyFrame, cySmCaption};
  return NavFrame{2 * cxBorder, 2 * cyBorder, cySmCaption};
}

NavToolbarBitmap ToolbarBitmapForZoom(int zoom) {
  if (zoom == 1) return NavToolbarBitmap{102, 80, 20};
  if (zoom == 2) return NavToolbarBitmap{103, 40, 10};
  return NavToolbarBitmap{104, 20, 5};
}

std::optional<SIZE> InitialSize(const NavDisplay& d, const NavFrame& f, NavigatorSettings& settings,
                                NavigatorState& state) {
  if (!d.Usable()) return std::nullopt;
  return OuterSize(d, f, settings, state, d.Dh / (2 * d.z));
}

// The height limit uses the display width: odd, but it only allows a taller
// miniature than the initial size does, and users have that behaviour.
std::optional<SIZE> OptionsSize(const NavDisplay& d, const NavFrame& f, NavigatorSettings& settings,
                                NavigatorState& state) {
  if (!d.Usable()) return std::nullopt;
  return OuterSize(d, f, settings, state, d.Dw / (2 * d.z));
}

std::optional<NavRelayout> RelayoutSize(const NavDisplay& d, const NavFrame& f, NavigatorSettings& settings,
                                        NavigatorState& state, bool toolbarExists) {
  if (!d.Usable()) return std::nullopt;
  const int Bw = state.bitmapWidth, Bh = state.bitmapHeight;
  const bool miniature = ShowsMiniature(settings);
  const int Vw = d.Vw(), Vh = d.Vh();
  NavRelayout r{};
  if (miniature) {
    // 1. Wanted size at the ratio, at most half the visible width; the limits
    //    are a sixth and a half of the visible width.
    int m = MiniatureWidth(d, settings.windowRatio);
    r.W = m + f.Fx;
    r.H = m * d.Sh / d.Sw + f.Fy;
    if (Vw / 2 < r.W) {
      r.H = Vh / 2 + f.Fy;
      m = (Vh / 2) * d.Sw / d.Sh;
      r.W = m + f.Fx;
      settings.windowRatio = static_cast<float>(m * d.z) / d.Dw;
    }
    m = static_cast<int>(static_cast<double>(d.Dw) / (d.z * 6));
    r.Wmin = m + f.Fx;
    r.Hmin = m * d.Sh / d.Sw + f.Fy;
    m = static_cast<int>(static_cast<double>(d.Dw) / (d.z * 2));
    r.Wmax = m + f.Fx;
    r.Hmax = m * d.Sh / d.Sw + f.Fy;
    if (Vh / 2 < r.Hmax) {
      r.Hmax = Vh / 2 + f.Fy;
      r.Wmax = (Vh / 2) * d.Sw / d.Sh + f.Fx;
    }
  } else {
    // 2. Toolbar only: the frame alone.
    r.W = r.Wmin = r.Wmax = f.Fx;
    r.H = r.Hmin = r.Hmax = f.Fy;
  }
  // 3. The caption.
  r.H += f.Cap;
  r.Hmin += f.Cap;
  r.Hmax += f.Cap;
  // 4. Room for the toolbar, whose bitmap already follows the new zoom.
  if (ShowsToolbar(settings) && toolbarExists) {
    if (r.W < f.Fx + Bw + kToolbarExtraWidth) {
      r.W = Bw + kToolbarExtraWidth;
      r.H = miniature ? d.Sh * (Bw + kToolbarExtraWidth) / d.Sw : 0;
      r.W += f.Fx;
      r.H += f.Cap + f.Fy;
      r.Wmin = r.W;
    }
    r.H += Bh + kToolbarExtraHeight;
    r.Hmin += Bh + kToolbarExtraHeight;
    r.Hmax += Bh + kToolbarExtraHeight;
  }
  // 5. The wanted size within the limits.
  if (miniature) {
    if (r.W < r.Wmin) {
      r.W = r.Wmin;
      r.H = r.Hmin;
    } else if (r.H < r.Hmin) {
      r.H = r.Hmin;
      r.W = r.Wmin;
    } else if (r.Wmax < r.W || r.Hmax < r.H) {
      r.W = r.Wmax;
      r.H = r.Hmax;
    }
  } else {
    // 6. Toolbar only: this becomes the fixed size.
    state.fixedSize = SIZE{r.W, r.H};
  }
  return r;
}

std::optional<NavTracking> TrackingLimits(const NavDisplay& d, const NavFrame& f, const NavigatorSettings& settings,
                                          const NavigatorState& state, bool toolbarExists) {
  if (!ShowsMiniature(settings) || !d.Usable()) return std::nullopt;
  NavTracking t{};
  t.minWidth = d.Dw / (d.z * 6);
  t.minHeight = d.Sh * t.minWidth / d.Sw;
  t.maxWidth = d.Dw / (d.z * 2);
  t.maxHeight = d.Sh * t.maxWidth / d.Sw;
  if (d.Dh / (d.z * 2) < t.maxHeight) {
    t.maxHeight = d.Dh / (d.z * 2);
    t.maxWidth = d.Sw * t.maxHeight / d.Sh;
  }
  if (ShowsToolbar(settings) && toolbarExists) {
    if (state.bitmapWidth + kToolbarExtraWidth > t.minWidth) {
      t.minWidth = state.bitmapWidth + kToolbarExtraWidth;
      t.minHeight = d.Sh * t.minWidth / d.Sw;
    }
    t.minHeight += state.bitmapHeight + kToolbarExtraHeight;
    t.maxHeight += state.bitmapHeight + kToolbarExtraHeight;
  }
  t.minHeight += f.Fy + f.Cap;
  t.maxHeight += f.Fy + f.Cap;
  return t;
}

void AspectLock(const NavDisplay& d, const NavFrame& f, const NavigatorSettings& settings,
                const NavigatorState& state, WINDOWPOS& pos) {
  if (pos.flags & SWP_NOSIZE) return;
  if (ShowsMiniature(settings)) {
    if (!d.Usable()) return;
    const int Bw = state.bitmapWidth;
    pos.cy = (pos.cx - f.Fx) * d.Sh / d.Sw + f.Fy + f.Cap;
    if (ShowsToolbar(settings)) {
      if (pos.cx < f.Fx + Bw + kToolbarExtraWidth) {
        pos.cx = Bw + kToolbarExtraWidth;
        pos.cy = pos.cx * d.Sh / d.Sw;
        pos.cx += f.Fx;
        pos.cy += f.Fy + f.Cap;
      }
      pos.cy += state.bitmapHeight + kToolbarExtraHeight;
    }
  } else if (!state.ownResize) {
    pos.cx = state.fixedSize.cx;
    pos.cy = state.fixedSize.cy;
    if (!state.captionDrag) pos.flags |= SWP_NOMOVE;
  }
}

std::optional<float> RatioFromWindow(int outerWidth, const NavFrame& f, const NavigatorState& state) {
  if (state.visibleWidth == 0) return std::nullopt;
  return static_cast<float>(outerWidth - f.Fx + 1) / state.visibleWidth;
}

RECT MiniatureArea(const RECT& client, int toolbarHeight, int showItems) {
  RECT area = client;
  if (showItems & NAV_SHOW_TOOLBAR) area.top += toolbarHeight + 1;
  return area;
}

std::optional<RECT> ViewRectangle(const NavDisplay& d, const RECT& a) {
  if (!d.Usable() || !d.CanPan()) return std::nullopt;
  const int w = a.right - a.left, h = a.bottom - a.top;
  RECT r;
  r.left = w * d.Ox / d.Sw + a.left;
  r.top = h * d.Oy / d.Sh + a.top;
  r.right = (d.Vw() + d.Ox) * w / d.Sw + a.left;
  r.bottom = (d.Vh() + d.Oy) * h / d.Sh + a.top;
  return r;
}

std::optional<RECT> DragRectangle(const NavDisplay& d, const RECT& a, LPARAM pointer) {
  if (!d.Usable() || !d.CanPan()) return std::nullopt;
  // A pointer left of or above the window arrives as a large unsigned value.
  int px = LOWORD(pointer), py = HIWORD(pointer);
  if (px > d.Sw) px = 0;
  if (py > d.Sh) py = 0;
  const int w = a.right - a.left, h = a.bottom - a.top;
  const int hw = w * d.Dw / (d.z * d.Sw * 2);
  const int hh = h * d.Dh / (d.z * d.Sh * 2);
  RECT r{px - hw, py - hh, px + hw, py + hh};
  // Shift inward at each edge, in this order, keeping the full size.
  if (r.left < a.left) {
    r.left = a.left;
    r.right = w * d.Dw / (d.z * d.Sw) + a.left;
  }
  if (r.top < a.top) {
    r.top = a.top;
    r.bottom = h * d.Dh / (d.z * d.Sh) + a.top;
  }
  if (r.right > a.right) {
    r.right = a.right;
    r.left = a.right - w * d.Dw / (d.z * d.Sw);
  }
  if (r.bottom > a.bottom) {
    r.bottom = a.bottom;
    r.top = a.bottom - h * d.Dh / (d.z * d.Sh);
  }
  return r;
}

std::optional<RECT> PanTarget(const NavDisplay& d, const RECT& c, int toolbarHeight, POINT p) {
  if (!d.Usable() || !d.CanPan()) return std::nullopt;
  p.y -= toolbarHeight;
  const int B = c.bottom - toolbarHeight;
  const int W = c.right - c.left + 1;
  const int H = B - c.top + 1;
  const int hw = W * d.Dw / (d.z * d.Sw * 2);
  const int hh = H * d.Dh / (d.z * d.Sh * 2);
  int x0 = p.x - hw, x1 = p.x + hw, y0 = p.y - hh, y1 = p.y + hh;
  // Near an edge the target shifts inward instead of shrinking.
  if (x0 < c.left) {
    x0 = 0;
    x1 = W * d.Dw / (d.z * d.Sw);
  }
  if (y0 < c.top) {
    y0 = c.top;
    y1 = H * d.Dh / (d.z * d.Sh);
  }
  if (x1 > c.right) {
    x1 = c.right;
    x0 = c.right - W * d.Dw / (d.z * d.Sw);
  }
  if (y1 > B) {
    y1 = B;
    y0 = B - H * d.Dh / (d.z * d.Sh);
  }
  // Scale to the desktop; at the far edges exactly to the desktop's size.
  RECT target;
  target.left = x0 * d.Sw / W;
  target.top = y0 * d.Sh / H;
  target.right = x1 == c.right ? d.Sw : x1 * d.Sw / (c.right + 1);
  target.bottom = y1 == B ? d.Sh : y1 * d.Sh / (B + 1);
  return target;
}

POINT PanCentre(const RECT& target) {
  return POINT{(target.left + target.right) / 2, (target.top + target.bottom) / 2};
}

POINT CornerPosition(const NavDisplay& d, int corner, int w, int h) {
  const int R = d.Ox + (d.Dw >> d.s());
  const int Q = d.Oy + (d.Dh >> d.s());
  switch (corner) {
    case NAV_UPPER_RIGHT: return POINT{R - w, d.Oy};
    case NAV_LOWER_LEFT: return POINT{d.Ox, Q - h};
    case NAV_LOWER_RIGHT: return POINT{R - w, Q - h};
    default: return POINT{d.Ox, d.Oy};
  }
}

std::optional<int> NearestCorner(const NavDisplay& d, const RECT& window) {
  if (!d.Usable()) return std::nullopt;
  // Ties fall to the left and upper side.
  const int right = (d.Vw() + d.Ox - window.right) < (window.left - d.Ox);
  const int lower = (d.Vh() + d.Oy - window.bottom) < (window.top - d.Oy);
  return right + 2 * lower;
}

std::optional<POINT> KeepInView(const NavDisplay& d, const RECT& window) {
  if (!d.Usable()) return std::nullopt;
  const int R = d.Ox + (d.Dw >> d.s());
  const int Q = d.Oy + (d.Dh >> d.s());
  if (window.left >= d.Ox && window.right <= R && window.top >= d.Oy && window.bottom <= Q) return std::nullopt;
  return CornerPosition(d, *NearestCorner(d, window), window.right - window.left, window.bottom - window.top);
}

POINT CentreInView(const NavDisplay& d, int w, int h) {
  if (d.Dw < w || d.Dh < h) return POINT{d.Ox, d.Oy};
  return POINT{d.Ox + ((d.Dw >> d.s()) - w) / 2, d.Oy + ((d.Dh >> d.s()) - h) / 2};
}

POINT KeepInDesktop(const NavDisplay& d, const RECT& window) {
  const int W = window.right - window.left, H = window.bottom - window.top;
  POINT at{window.left, window.top};
  if (window.left < 0) at.x = 0;
  if (window.top < 0) at.y = 0;
  if (window.right >= d.Sw) at.x = d.Sw - W;
  if (window.bottom >= d.Sh) at.y = d.Sh - H;
  return at;
}
