// Window DCs: GetDC, GetWindowDC, ReleaseDC and BeginPaint's DC are the
// screen seen through a window. The window manager tells the GDI where a
// window lies and what of it shows (the resolver below); the GDI asks again
// before drawing whenever windows changed, so a DC follows its window.
#include <host/adapter.h>

#include <algorithm>

#include "gdi/window_dc.h"
#include "user/paint_hooks.h"
#include "user/user_internal.h"

namespace host::user {
namespace {

// rects less hole, as non-overlapping rectangles.
void Subtract(std::vector<RECT>& rects, const RECT& hole) {
  if (IsRectEmpty(&hole)) return;
  std::vector<RECT> out;
  for (const RECT& r : rects) {
    RECT cut;
    if (!IntersectRect(&cut, &r, &hole)) {
      out.push_back(r);
      continue;
    }
    if (r.top < cut.top) out.push_back({r.left, r.top, r.right, cut.top});
    if (cut.bottom < r.bottom) out.push_back({r.left, cut.bottom, r.right, r.bottom});
    if (r.left < cut.left) out.push_back({r.left, cut.top, cut.left, cut.bottom});
    if (cut.right < r.right) out.push_back({cut.right, cut.top, r.right, cut.bottom});
  }
  rects.swap(out);
}

void Intersect(std::vector<RECT>& rects, const RECT& keep) {
  std::vector<RECT> out;
  for (const RECT& r : rects) {
    RECT part;
    if (IntersectRect(&part, &r, &keep)) out.push_back(part);
  }
  rects.swap(out);
}

RECT ScreenClient(const Window& window) {
  POINT origin = ClientOrigin(window);
  return {origin.x, origin.y, origin.x + window.client.right - window.client.left,
          origin.y + window.client.bottom - window.client.top};
}

// Every window that covers `window` from above within `parent`: siblings before it in the z-order.
// Top-level windows always clip each other; child windows only with WS_CLIPSIBLINGS.
void SubtractSiblingsAbove(std::vector<RECT>& rects, const Window& window, const Window& parent) {
  if (!IsTopLevel(window) && !(window.style & WS_CLIPSIBLINGS)) return;
  for (HWND sibling : parent.children) {
    if (sibling == window.handle) break;
    auto above = FindWindowPtr(sibling);
    if (above && (above->style & WS_VISIBLE)) Subtract(rects, ScreenRect(*above));
  }
}

// The resolver: called by the GDI under its lock, so it reads the window tree and nothing else.
bool WindowArea(HWND hwnd, bool wholeWindow, POINT* origin, std::vector<RECT>* visible) {
  if (!hwnd) return false;
  Lock lock(UserLock());
  visible->clear();
  auto window = FindWindowPtr(hwnd);
  if (!window || window->destroyed) {
    *origin = {};
    return true;  // a DC that outlived its window draws nowhere
  }
  RECT area = wholeWindow ? ScreenRect(*window) : ScreenClient(*window);
  *origin = {area.left, area.top};
  std::vector<RECT> rects{area};
  if (window->style & WS_CLIPCHILDREN) {
    for (HWND child : window->children) {
      auto c = FindWindowPtr(child);
      if (c && (c->style & WS_VISIBLE)) Subtract(rects, ScreenRect(*c));
    }
  }
  for (auto current = window; current && !IsDesktop(current->handle);) {
    if (!(current->style & WS_VISIBLE)) return true;
    auto parent = FindWindowPtr(current->parent);
    if (!parent) return true;
    Intersect(rects, IsDesktop(parent->handle) ? parent->rect : ScreenClient(*parent));
    SubtractSiblingsAbove(rects, *current, *parent);
    current = parent;
  }
  *visible = std::move(rects);
  return true;
}

bool IsDesktopOrNull(HWND hwnd) { return !hwnd || IsDesktop(hwnd); }

// A DC of the window's client area or whole window, made for its place now.
HDC MakeWindowDC(HWND hwnd, bool wholeWindow) {
  POINT origin{};
  std::vector<RECT> visible;
  WindowArea(hwnd, wholeWindow, &origin, &visible);
  return gdi::CreateWindowDC(hwnd, origin, visible, wholeWindow);
}

bool HasOwnDC(const Window& window) { return window.cls && (window.cls->style & CS_OWNDC); }

// CS_OWNDC: one DC for the window's life; its attributes persist between GetDC calls.
HDC OwnDC(Window& window) {
  Lock lock(UserLock());
  if (!window.ownDC) {
    lock.unlock();
    HDC dc = MakeWindowDC(window.handle, false);
    lock.lock();
    if (window.ownDC)
      gdi::DeleteWindowDC(dc);
    else
      window.ownDC = dc;
  }
  return window.ownDC;
}

HDC ClientDC(HWND hwnd) {
  auto window = FindWindowPtr(hwnd);
  if (!window) return nullptr;
  if (HasOwnDC(*window)) {
    HDC dc = OwnDC(*window);
    gdi::SetWindowDCPaintRect(dc, nullptr);
    return dc;
  }
  return MakeWindowDC(hwnd, false);
}

HDC BeginPaintDC(HWND hwnd, const RECT& paint) {
  HDC dc = ClientDC(hwnd);
  if (dc) gdi::SetWindowDCPaintRect(dc, &paint);
  return dc;
}

void EndPaintDC(HWND hwnd, HDC dc) {
  auto window = FindWindowPtr(hwnd);
  if (window && window->ownDC == dc) {
    gdi::SetWindowDCPaintRect(dc, nullptr);
    return;
  }
  gdi::DeleteWindowDC(dc);
}

// ---- The Windows 95 frame and caption (WM_NCPAINT) ----

void FillSys(HDC dc, const RECT& r, int colour) { FillRect(dc, &r, reinterpret_cast<HBRUSH>(colour + 1)); }

void DrawCloseButton(HDC dc, const RECT& caption) {
  int h = kCaption - 5, w = h + 2;
  RECT box{caption.right - w - 2, caption.top + 2, caption.right - 2, caption.top + 2 + h};
  FillSys(dc, box, COLOR_BTNFACE);
  RECT edge = box;
  DrawEdge(dc, &edge, EDGE_RAISED, BF_RECT);
  HPEN old = static_cast<HPEN>(SelectObject(dc, GetStockObject(BLACK_PEN)));
  int cx = (box.left + box.right) / 2, cy = (box.top + box.bottom) / 2, d = 3;
  for (int i = 0; i < 2; ++i) {  // two pixels wide, as Windows draws the cross
    MoveToEx(dc, cx - d - 1 + i, cy - d, nullptr);
    LineTo(dc, cx + d + i, cy + d + 1);
    MoveToEx(dc, cx + d - 1 + i, cy - d, nullptr);
    LineTo(dc, cx - d - 2 + i, cy + d + 1);
  }
  SelectObject(dc, old);
}

void DrawCaption(HDC dc, const Window& window, const RECT& caption, bool active) {
  FillSys(dc, caption, active ? COLOR_ACTIVECAPTION : COLOR_INACTIVECAPTION);
  RECT bottom{caption.left, caption.bottom - 1, caption.right, caption.bottom};
  FillSys(dc, bottom, COLOR_BTNFACE);
  RECT text = caption;
  text.left += 4;
  text.bottom -= 1;
  if (window.style & WS_SYSMENU) text.right -= kCaption;
  HFONT font = CreateFontA(-11, 0, 0, 0, FW_BOLD, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "MS Sans Serif");
  HGDIOBJ oldFont = SelectObject(dc, font);
  int oldMode = SetBkMode(dc, TRANSPARENT);
  COLORREF oldColour =
      SetTextColor(dc, GetSysColor(active ? COLOR_CAPTIONTEXT : COLOR_INACTIVECAPTIONTEXT));
  DrawTextA(dc, window.text.c_str(), -1, &text, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  SetTextColor(dc, oldColour);
  SetBkMode(dc, oldMode);
  SelectObject(dc, oldFont);
  DeleteObject(font);
  if (window.style & WS_SYSMENU) DrawCloseButton(dc, caption);
}

void DrawFrameNow(HWND hwnd, bool active) {
  auto window = FindWindowPtr(hwnd);
  if (!window || IsDesktop(hwnd)) return;
  Window snapshot;
  {
    Lock lock(UserLock());
    snapshot.style = window->style;
    snapshot.exStyle = window->exStyle;
    snapshot.text = window->text;
    snapshot.rect = window->rect;
    snapshot.client = window->client;
  }
  HDC dc = MakeWindowDC(hwnd, true);
  if (!dc) return;
  RECT r{0, 0, snapshot.rect.right - snapshot.rect.left, snapshot.rect.bottom - snapshot.rect.top};
  RECT insets;
  NonClientInsets(snapshot.style, snapshot.exStyle, false, &insets);
  int frame = insets.left - ((snapshot.exStyle & WS_EX_CLIENTEDGE) ? kEdge : 0);
  if (frame == kBorder) {
    FrameRect(dc, &r, reinterpret_cast<HBRUSH>(COLOR_WINDOWFRAME + 1));
    InflateRect(&r, -1, -1);
  } else if (frame > kBorder) {
    DrawEdge(dc, &r, EDGE_RAISED, BF_RECT | BF_ADJUST);
    for (int i = kEdge; i < frame; ++i) {
      FrameRect(dc, &r, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
      InflateRect(&r, -1, -1);
    }
  }
  if ((snapshot.style & WS_CAPTION) == WS_CAPTION) {
    int height = (snapshot.exStyle & WS_EX_TOOLWINDOW) ? kSmallCaption : kCaption;
    RECT caption{r.left, r.top, r.right, r.top + height};
    DrawCaption(dc, snapshot, caption, active);
    r.top += height;
  }
  // A menu bar, when there is one, lies between the caption and the client area.
  POINT clientTop{snapshot.client.left - snapshot.rect.left, snapshot.client.top - snapshot.rect.top};
  if (clientTop.y > r.top && !(snapshot.exStyle & WS_EX_CLIENTEDGE)) {
    RECT bar{r.left, r.top, r.right, clientTop.y};
    FillSys(dc, bar, COLOR_MENU);
  }
  if (snapshot.exStyle & WS_EX_CLIENTEDGE) {
    RECT edge{clientTop.x - kEdge, clientTop.y - kEdge, snapshot.client.right - snapshot.rect.left + kEdge,
              snapshot.client.bottom - snapshot.rect.top + kEdge};
    DrawEdge(dc, &edge, EDGE_SUNKEN, BF_RECT);
  }
  gdi::DeleteWindowDC(dc);
}

const bool kWired = [] {
  gdi::SetWindowAreaResolver(WindowArea);
  PaintDevice device;
  device.beginPaint = BeginPaintDC;
  device.endPaint = EndPaintDC;
  device.fillRect = [](HDC dc, const RECT& rect, HBRUSH brush) { FillRect(dc, &rect, brush); };
  device.drawFrame = DrawFrameNow;
  device.sysColorBrush = gdi::SysColorBrush;
  SetPaintDevice(std::move(device));
  return true;
}();

}  // namespace

void NoteWindowAreasChanged() { gdi::WindowAreasChanged(); }

void ForgetOwnDC(Window& window) {
  if (window.ownDC) gdi::DeleteWindowDC(window.ownDC);  // lock-free on the GDI side
  window.ownDC = nullptr;
}

}  // namespace host::user

using namespace host::user;

extern "C" {

HDC WINAPI GetDC(HWND hWnd) {
  bool desktop = IsDesktopOrNull(hWnd);
  if (!desktop && !IsWindow(hWnd)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return NULL;
  }
  HDC dc = NULL;
  if (!host::adapter::GetDCFaultActive()) dc = desktop ? host::gdi::CreateScreenDC() : ClientDC(hWnd);
  host::adapter::NoteGetDC(hWnd, dc);
  return dc;
}

HDC WINAPI GetWindowDC(HWND hWnd) {
  bool desktop = IsDesktopOrNull(hWnd);
  if (!desktop && !IsWindow(hWnd)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return NULL;
  }
  HDC dc = NULL;
  if (!host::adapter::GetDCFaultActive()) dc = desktop ? host::gdi::CreateScreenDC() : MakeWindowDC(hWnd, true);
  host::adapter::NoteGetDC(hWnd, dc);
  return dc;
}

// 1 when the DC was the window's (a CS_OWNDC window's own DC stays); 0 otherwise.
int WINAPI ReleaseDC(HWND hWnd, HDC hDC) {
  bool screen = false;
  HWND owner = nullptr;
  int result = 0;
  if (host::gdi::DescribeDisplayDC(hDC, &screen, &owner) &&
      (screen ? IsDesktopOrNull(hWnd) : owner == hWnd)) {
    auto window = screen ? nullptr : FindWindowPtr(hWnd);
    if (window && window->ownDC == hDC)
      result = 1;
    else
      result = host::gdi::DeleteWindowDC(hDC) ? 1 : 0;
  }
  host::adapter::NoteReleaseDC(hWnd, hDC, result);
  return result;
}

}  // extern "C"
