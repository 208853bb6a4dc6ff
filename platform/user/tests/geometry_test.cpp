// Geometry: Windows 95 non-client metrics, SetWindowPos and ShowWindow
// sequences, minimizing and placement, coordinate mapping and point lookups.
#include "user_test_support.h"

namespace host::user::testing {
namespace {

using Geometry = UserTest;
using Lines = std::vector<std::string>;

RECT ClientOnScreen(HWND hwnd) {
  RECT r;
  GetClientRect(hwnd, &r);
  POINT origin{0, 0};
  ClientToScreen(hwnd, &origin);
  OffsetRect(&r, origin.x, origin.y);
  return r;
}

TEST_F(Geometry, NonClientMetricsOfWindows95) {
  struct Case {
    const char* what;
    DWORD style, exStyle;
    RECT insets;  // left, top, right, bottom
  };
  const Case cases[] = {
      {"overlapped window", WS_OVERLAPPEDWINDOW, 0, {4, 23, 4, 4}},
      {"dialog frame with caption", WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, {3, 22, 3, 3}},
      {"tool window caption", WS_POPUP | WS_CAPTION, WS_EX_TOOLWINDOW, {3, 18, 3, 3}},
      {"palette window", WS_POPUP | WS_CAPTION | WS_THICKFRAME, WS_EX_PALETTEWINDOW, {4, 19, 4, 4}},
      {"border only", WS_POPUP | WS_BORDER, 0, {1, 1, 1, 1}},
      {"bare popup", WS_POPUP, 0, {0, 0, 0, 0}},
      {"client edge", WS_POPUP | WS_BORDER, WS_EX_CLIENTEDGE, {3, 3, 3, 3}},
      {"scroll bars", WS_POPUP | WS_VSCROLL | WS_HSCROLL, 0, {0, 0, 16, 16}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    HWND hwnd = Make("w", c.style, nullptr, {10, 20, 210, 170}, c.exStyle);
    RECT client = ClientOnScreen(hwnd);
    EXPECT_EQ(client.left - 10, c.insets.left);
    EXPECT_EQ(client.top - 20, c.insets.top);
    EXPECT_EQ(210 - client.right, c.insets.right);
    EXPECT_EQ(170 - client.bottom, c.insets.bottom);
    RECT adjusted{0, 0, 100, 100};
    AdjustWindowRectEx(&adjusted, c.style & ~(WS_VSCROLL | WS_HSCROLL), FALSE, c.exStyle);
    if (!(c.style & WS_VSCROLL)) {
      EXPECT_EQ(adjusted.left, -c.insets.left);
      EXPECT_EQ(adjusted.top, -c.insets.top);
    }
    DestroyWindow(hwnd);
  }
}

TEST_F(Geometry, SetWindowPosSequences) {
  struct Case {
    const char* what;
    int x, y, cx, cy;
    UINT flags;
    Lines expected;
  };
  const Case cases[] = {
      {"move and size", 30, 40, 300, 200, SWP_NOZORDER,
       {"w WM_WINDOWPOSCHANGING", "w WM_NCCALCSIZE", "w WM_WINDOWPOSCHANGED", "w WM_MOVE", "w WM_SIZE"}},
      {"move only", 50, 60, 0, 0, SWP_NOZORDER | SWP_NOSIZE,
       {"w WM_WINDOWPOSCHANGING", "w WM_WINDOWPOSCHANGED", "w WM_MOVE"}},
      {"size only", 0, 0, 100, 80, SWP_NOZORDER | SWP_NOMOVE,
       {"w WM_WINDOWPOSCHANGING", "w WM_NCCALCSIZE", "w WM_WINDOWPOSCHANGED", "w WM_SIZE"}},
      {"no change", 50, 60, 100, 80, SWP_NOZORDER, {"w WM_WINDOWPOSCHANGING"}},
      {"frame changed", 0, 0, 0, 0, SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE | SWP_FRAMECHANGED,
       {"w WM_WINDOWPOSCHANGING", "w WM_NCCALCSIZE", "w WM_WINDOWPOSCHANGED"}},
      {"not even changing", 0, 0, 0, 0, SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE | SWP_NOSENDCHANGING, {}},
  };
  HWND hwnd = Make("w", WS_OVERLAPPEDWINDOW);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ClearLog();
    EXPECT_TRUE(SetWindowPos(hwnd, nullptr, c.x, c.y, c.cx, c.cy, c.flags));
    EXPECT_EQ(Log(), c.expected);
  }
  RECT r;
  GetWindowRect(hwnd, &r);
  EXPECT_EQ(r.left, 50);
  EXPECT_EQ(r.bottom - r.top, 80);
}

TEST_F(Geometry, PosChangingHandlerMayChangeSizeAndFlags) {
  HWND hwnd = Make("w", WS_POPUP);
  Recorder::Get().answer = [](HWND, UINT msg, WPARAM, LPARAM lParam) -> std::optional<LRESULT> {
    if (msg != WM_WINDOWPOSCHANGING) return std::nullopt;
    auto* pos = reinterpret_cast<WINDOWPOS*>(lParam);
    pos->cx = 123;
    pos->cy = 45;
    pos->flags |= SWP_NOMOVE;
    return 0;
  };
  SetWindowPos(hwnd, nullptr, 500, 500, 300, 300, SWP_NOZORDER);
  RECT r;
  GetWindowRect(hwnd, &r);
  EXPECT_EQ(r.left, 10);  // where it was
  EXPECT_EQ(r.top, 20);
  EXPECT_EQ(r.right - r.left, 123);
  EXPECT_EQ(r.bottom - r.top, 45);
  auto entries = Recorder::Get().Entries();
  bool sizeSeen = false;
  for (auto& e : entries)
    if (e.msg == WM_SIZE) sizeSeen = LOWORD(e.lParam) == 123 && HIWORD(e.lParam) == 45;
  EXPECT_TRUE(sizeSeen);
}

TEST_F(Geometry, ShowWindowSequencesForChildren) {
  HWND parent = Make("parent", WS_POPUP | WS_VISIBLE);
  HWND child = Make("child", WS_CHILD, parent, {0, 0, 50, 50});
  struct Case {
    int cmd;
    BOOL wasVisible;
    Lines expected;
  };
  const Case cases[] = {
      {SW_SHOW, FALSE, {"child WM_SHOWWINDOW", "child WM_WINDOWPOSCHANGING", "child WM_ERASEBKGND", "child WM_WINDOWPOSCHANGED"}},
      {SW_SHOW, TRUE, {}},
      {SW_HIDE, TRUE, {"child WM_SHOWWINDOW", "child WM_WINDOWPOSCHANGING", "child WM_WINDOWPOSCHANGED"}},
      {SW_HIDE, FALSE, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.cmd);
    ClearLog();
    EXPECT_EQ(ShowWindow(child, c.cmd), c.wasVisible);
    EXPECT_EQ(Log({WM_PAINT, WM_ERASEBKGND + 0x1000}), c.expected);
  }
  // Under a hidden parent only the style changes.
  ShowWindow(parent, SW_HIDE);
  ClearLog();
  ShowWindow(child, SW_SHOW);
  EXPECT_EQ(Log(), (Lines{"child WM_SHOWWINDOW"}));
  EXPECT_TRUE(GetWindowLongA(child, GWL_STYLE) & WS_VISIBLE);
  EXPECT_FALSE(IsWindowVisible(child));
}

TEST_F(Geometry, MinimizeRestoreAndPlacement) {
  HWND hwnd = Make("w", WS_OVERLAPPEDWINDOW | WS_VISIBLE, nullptr, {100, 100, 400, 300});
  ClearLog();
  ShowWindow(hwnd, SW_MINIMIZE);
  EXPECT_TRUE(IsIconic(hwnd));
  RECT r;
  GetWindowRect(hwnd, &r);
  EXPECT_EQ(r.right - r.left, GetSystemMetrics(SM_CXMINIMIZED));
  EXPECT_EQ(r.bottom - r.top, GetSystemMetrics(SM_CYMINIMIZED));
  bool minimizedSize = false;
  for (auto& e : Recorder::Get().Entries())
    if (e.msg == WM_SIZE && e.wParam == SIZE_MINIMIZED) minimizedSize = true;
  EXPECT_TRUE(minimizedSize);
  WINDOWPLACEMENT wp{};
  ASSERT_TRUE(GetWindowPlacement(hwnd, &wp));
  EXPECT_EQ(wp.length, 44u);
  EXPECT_EQ(sizeof(WINDOWPLACEMENT), 44u);
  EXPECT_EQ(wp.showCmd, (UINT)SW_SHOWMINIMIZED);
  EXPECT_EQ(wp.rcNormalPosition.left, 100);
  EXPECT_EQ(wp.rcNormalPosition.right, 400);
  ShowWindow(hwnd, SW_RESTORE);
  EXPECT_FALSE(IsIconic(hwnd));
  GetWindowRect(hwnd, &r);
  EXPECT_EQ(r.left, 100);
  EXPECT_EQ(r.right, 400);
  wp.rcNormalPosition = {20, 30, 220, 130};
  wp.showCmd = SW_SHOWNORMAL;
  EXPECT_TRUE(SetWindowPlacement(hwnd, &wp));
  GetWindowRect(hwnd, &r);
  EXPECT_EQ(r.left, 20);
  EXPECT_EQ(r.bottom, 130);
  wp.length = 40;
  EXPECT_FALSE(SetWindowPlacement(hwnd, &wp));
  ShowWindow(hwnd, SW_MAXIMIZE);
  EXPECT_TRUE(IsZoomed(hwnd));
  RECT desk;
  GetWindowRect(GetDesktopWindow(), &desk);
  GetWindowRect(hwnd, &r);
  EXPECT_EQ(r.left, -4);
  EXPECT_EQ(r.right, desk.right + 4);
}

TEST_F(Geometry, MappingAndPointLookups) {
  HWND main = Make("main", WS_OVERLAPPEDWINDOW | WS_VISIBLE, nullptr, {100, 100, 500, 400});
  HWND left = Make("left", WS_CHILD | WS_VISIBLE, main, {10, 10, 110, 110});
  HWND right = Make("right", WS_CHILD | WS_VISIBLE, main, {200, 10, 300, 110});
  HWND hidden = Make("hidden", WS_CHILD, main, {10, 150, 60, 200});
  POINT p{5, 6};
  ClientToScreen(left, &p);
  EXPECT_EQ(p.x, 100 + 4 + 10 + 5);
  EXPECT_EQ(p.y, 100 + 23 + 10 + 6);
  ScreenToClient(left, &p);
  EXPECT_EQ(p.x, 5);
  POINT pts[1] = {{0, 0}};
  MapWindowPoints(left, right, pts, 1);
  EXPECT_EQ(pts[0].x, -190);
  EXPECT_EQ(pts[0].y, 0);
  struct Case {
    const char* what;
    POINT screen;
    HWND expected;
  };
  const Case cases[] = {
      {"child", {100 + 4 + 20, 100 + 23 + 20}, left},
      {"parent's client", {100 + 4 + 150, 100 + 23 + 20}, main},
      {"caption", {200, 110}, main},
      {"hidden child is skipped", {100 + 4 + 20, 100 + 23 + 160}, main},
      {"nothing", {5, 5}, GetDesktopWindow()},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(WindowFromPoint(c.screen), c.expected);
  }
  EXPECT_EQ(ChildWindowFromPoint(main, POINT{20, 160}), hidden);  // hidden children count here
  EXPECT_EQ(ChildWindowFromPoint(main, POINT{150, 20}), main);
  EXPECT_EQ(ChildWindowFromPoint(main, POINT{-5, 20}), nullptr);
}

}  // namespace
}  // namespace host::user::testing
