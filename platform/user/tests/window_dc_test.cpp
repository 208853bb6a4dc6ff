// Window DCs on the screen: where GetDC, GetWindowDC and BeginPaint draw,
// what covers them, and that they follow their window; display changes as
// the window manager sees them.
#include <host/adapter.h>
#include <host/gdi.h>

#include <filesystem>

#include "user_test_support.h"

namespace host::user::testing {
namespace {

using Lines = std::vector<std::string>;

constexpr COLORREF kRed = RGB(255, 0, 0), kGreen = RGB(0, 255, 0), kBlue = RGB(0, 0, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0), kWhite = RGB(255, 255, 255);

class WindowDCs : public UserTest {
 protected:
  void SetUp() override {
    UserTest::SetUp();
    ConfigureTrueColour();
  }
  // Exact colours on the screen.
  void ConfigureTrueColour() {
    adapter::Config config;
    config.bitsPerPixel = 32;
    std::string error;
    ASSERT_TRUE(adapter::Configure(config, &error)) << error;
  }
  static void Fill(HDC dc, RECT r, COLORREF colour) {
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &r, brush);
    DeleteObject(brush);
  }
  // Fills the window's whole client area through GetDC.
  static void FillClient(HWND hwnd, COLORREF colour) {
    HDC dc = GetDC(hwnd);
    RECT client;
    GetClientRect(hwnd, &client);
    Fill(dc, client, colour);
    EXPECT_EQ(ReleaseDC(hwnd, dc), 1);
  }
  static COLORREF At(int x, int y) { return gdi::ScreenPixel(x, y); }
  static void ClearScreen() {
    HDC screen = GetDC(nullptr);
    Fill(screen, {0, 0, 1024, 768}, kBlack);
    ReleaseDC(nullptr, screen);
  }
};

TEST_F(WindowDCs, PaintingAChildInWmPaintLandsOnTheScreen) {
  HWND main = Make("main", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, nullptr, {30, 40, 230, 140});
  HWND child = Make("child", WS_CHILD | WS_VISIBLE, main, {10, 10, 60, 60});
  Recorder::Get().answer = [&](HWND hwnd, UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (msg != WM_PAINT || hwnd != child) return std::nullopt;
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT all;
    GetClientRect(hwnd, &all);
    Fill(dc, all, kRed);
    EndPaint(hwnd, &ps);
    return 0;
  };
  UpdateWindow(main);
  EXPECT_EQ(At(40, 50), kRed) << "the child's client corner";
  EXPECT_EQ(At(89, 99), kRed);
  EXPECT_EQ(At(90, 50), kWhite) << "the parent, erased with its class brush";
  EXPECT_EQ(At(29, 50), kBlack) << "outside both";
  std::string shot = (std::filesystem::temp_directory_path() / "ovx-window-dc-test.png").string();
  EXPECT_TRUE(gdi::SaveScreenshot(shot, RECT{30, 40, 230, 140}));
  EXPECT_GT(std::filesystem::file_size(shot), 0u);
  std::filesystem::remove(shot);
}

TEST_F(WindowDCs, ChildrenAndSiblingsClipAsTheirStylesSay) {
  struct Case {
    const char* what;
    DWORD parentStyle, childStyle;
    COLORREF underChild, underSibling;
  } cases[] = {
      {"clip children", WS_CLIPCHILDREN, 0, kBlack, kGreen},
      {"children drawn over", 0, 0, kGreen, kGreen},
      {"clip siblings", 0, WS_CLIPSIBLINGS, kGreen, kBlack},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    HWND parent = Make("parent", WS_POPUP | WS_VISIBLE | c.parentStyle, nullptr, {0, 0, 200, 200});
    HWND below = Make("below", WS_CHILD | WS_VISIBLE | c.childStyle, parent, {50, 50, 150, 150});
    HWND above = Make("above", WS_CHILD | WS_VISIBLE, parent, {100, 100, 180, 180});
    ClearScreen();
    FillClient(parent, kGreen);
    EXPECT_EQ(At(60, 60), c.underChild) << "the parent's DC over its child";
    ClearScreen();
    FillClient(below, kGreen);
    EXPECT_EQ(At(120, 120), c.underSibling) << "the lower child's DC under the upper one";
    EXPECT_EQ(At(60, 60), kGreen);
    DestroyWindow(parent);
    EXPECT_NE(above, nullptr);
  }
}

TEST_F(WindowDCs, TopLevelWindowsAlwaysClipTheOnesBelow) {
  HWND lower = Make("lower", WS_POPUP | WS_VISIBLE, nullptr, {0, 0, 100, 100});
  Make("upper", WS_POPUP | WS_VISIBLE, nullptr, {50, 50, 150, 150});
  ClearScreen();
  FillClient(lower, kBlue);
  EXPECT_EQ(At(10, 10), kBlue);
  EXPECT_EQ(At(60, 60), kBlack);
  EXPECT_EQ(At(99, 10), kBlue);
}

TEST_F(WindowDCs, DCsFollowTheirWindowAndKnowClientFromWindow) {
  HWND hwnd = Make("w", WS_OVERLAPPEDWINDOW | WS_VISIBLE, nullptr, {100, 100, 300, 250});
  HDC client = GetDC(hwnd);
  HDC whole = GetWindowDC(hwnd);
  POINT origin{0, 0};
  ClientToScreen(hwnd, &origin);
  SetPixel(client, 0, 0, kRed);
  SetPixel(whole, 0, 0, kBlue);
  EXPECT_EQ(At(origin.x, origin.y), kRed);
  EXPECT_EQ(At(100, 100), kBlue) << "GetWindowDC starts at the window's corner";
  MoveWindow(hwnd, 20, 30, 200, 150, TRUE);
  SetPixel(client, 1, 1, kGreen);
  POINT moved{0, 0};
  ClientToScreen(hwnd, &moved);
  EXPECT_EQ(At(moved.x + 1, moved.y + 1), kGreen) << "the DC moved with its window";
  SetPixel(whole, 2, 2, kGreen);
  EXPECT_EQ(At(22, 32), kGreen);
  EXPECT_EQ(ReleaseDC(hwnd, whole), 1);
  EXPECT_EQ(ReleaseDC(hwnd, client), 1);
  EXPECT_EQ(ReleaseDC(hwnd, client), 0) << "released once";
}

TEST_F(WindowDCs, BeginPaintClipsToTheUpdateArea) {
  HWND hwnd = Make("w", WS_POPUP | WS_VISIBLE, nullptr, {0, 0, 200, 100});
  UpdateWindow(hwnd);
  RECT part{5, 5, 20, 30}, box{};
  InvalidateRect(hwnd, &part, FALSE);
  Recorder::Get().answer = [&](HWND w, UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (msg != WM_PAINT) return std::nullopt;
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(w, &ps);
    GetClipBox(dc, &box);
    Fill(dc, {0, 0, 200, 100}, kRed);
    EndPaint(w, &ps);
    return 0;
  };
  UpdateWindow(hwnd);
  EXPECT_TRUE(EqualRect(&box, &part));
  EXPECT_EQ(At(5, 5), kRed);
  EXPECT_EQ(At(19, 29), kRed);
  EXPECT_EQ(At(20, 29), kWhite) << "outside the update area";
  EXPECT_EQ(At(4, 5), kWhite);
}

TEST_F(WindowDCs, OwnDCKeepsItsAttributesAndGoesWithItsWindow) {
  WNDCLASSA wc{};
  wc.style = CS_OWNDC;
  wc.lpfnWndProc = DefWindowProcA;
  wc.lpszClassName = "OwnDC";
  ASSERT_TRUE(RegisterClassA(&wc));
  HWND hwnd = CreateWindowExA(0, "OwnDC", "", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
  HDC dc = GetDC(hwnd);
  SetTextColor(dc, kBlue);
  EXPECT_EQ(ReleaseDC(hwnd, dc), 1);
  EXPECT_EQ(GetDC(hwnd), dc);
  EXPECT_EQ(GetTextColor(dc), kBlue);
  PAINTSTRUCT ps;
  EXPECT_EQ(BeginPaint(hwnd, &ps), dc);
  EndPaint(hwnd, &ps);
  DestroyWindow(hwnd);
  EXPECT_EQ(GetDeviceCaps(dc, BITSPIXEL), 0) << "the DC went with the window";
}

TEST_F(WindowDCs, FramesAndCaptionsAreDrawn) {
  HWND hwnd = Make("w", WS_OVERLAPPEDWINDOW | WS_VISIBLE, nullptr, {10, 10, 210, 160});
  UpdateWindow(hwnd);
  const int frame = GetSystemMetrics(SM_CXFRAME);
  COLORREF caption = At(10 + frame + 60, 10 + frame + 5);
  EXPECT_TRUE(caption == GetSysColor(COLOR_ACTIVECAPTION) || caption == GetSysColor(COLOR_INACTIVECAPTION))
      << std::hex << caption;
  EXPECT_EQ(At(10, 10), GetSysColor(COLOR_3DLIGHT)) << "the raised frame's outer edge";
  POINT corner{0, 0};
  ClientToScreen(hwnd, &corner);
  EXPECT_EQ(At(corner.x, corner.y), kWhite) << "the client area, erased";
}

// Display changes reach the window manager from the adapter, whoever asks for them.
class DisplayChange : public UserTest {};

TEST_F(DisplayChange, ModeChangeResizesTheDesktopClampsTheCursorAndIsBroadcast) {
  Make("top", WS_POPUP);
  SetCursorPos(1000, 700);
  RECT clip{700, 500, 1000, 700};
  ClipCursor(&clip);
  ClearLog();
  DEVMODEA mode{};
  mode.dmSize = sizeof mode;
  mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT | DM_BITSPERPEL;
  mode.dmPelsWidth = 800;
  mode.dmPelsHeight = 600;
  mode.dmBitsPerPel = 8;  // a new depth would wait for the next start
  ASSERT_EQ(ChangeDisplaySettingsA(&mode, 0), DISP_CHANGE_SUCCESSFUL);
  RECT desk;
  GetWindowRect(GetDesktopWindow(), &desk);
  EXPECT_EQ(desk.right, 800);
  EXPECT_EQ(desk.bottom, 600);
  EXPECT_EQ(Log(), (Lines{"top WM_DISPLAYCHANGE"}));
  auto entries = Recorder::Get().Entries();
  ASSERT_FALSE(entries.empty());
  EXPECT_EQ(entries[0].wParam, 8u);
  EXPECT_EQ(entries[0].lParam, MAKELPARAM(800, 600));
  POINT p;
  GetCursorPos(&p);
  EXPECT_EQ(p.x, 799);
  EXPECT_EQ(p.y, 599);
  RECT kept;
  GetClipCursor(&kept);
  EXPECT_EQ(kept.left, 700);
  EXPECT_EQ(kept.right, 800) << "what of the clip rectangle is still on the screen";
  EXPECT_EQ(kept.bottom, 600);
}

TEST_F(DisplayChange, AClipRectangleOffTheNewScreenIsLifted) {
  RECT clip{900, 650, 1000, 700};
  ClipCursor(&clip);
  DEVMODEA mode{};
  mode.dmSize = sizeof mode;
  mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
  mode.dmPelsWidth = 800;
  mode.dmPelsHeight = 600;
  ASSERT_EQ(ChangeDisplaySettingsA(&mode, 0), DISP_CHANGE_SUCCESSFUL);
  RECT now;
  GetClipCursor(&now);
  EXPECT_EQ(now.left, 0);
  EXPECT_EQ(now.right, 800);
}

TEST_F(DisplayChange, ZoomIsNoDisplayChange) {
  Make("top", WS_POPUP);
  ClearLog();
  ASSERT_TRUE(adapter::SetZoom(2));
  EXPECT_EQ(Log(), Lines{});
  RECT desk;
  GetWindowRect(GetDesktopWindow(), &desk);
  EXPECT_EQ(desk.right, 1024);
}

TEST_F(DisplayChange, MinimizedWindowsAreAsLargeAsTheMetricsSay) {
  HWND hwnd = Make("w", WS_OVERLAPPEDWINDOW | WS_VISIBLE, nullptr, {100, 100, 400, 300});
  ShowWindow(hwnd, SW_MINIMIZE);
  RECT r;
  GetWindowRect(hwnd, &r);
  EXPECT_TRUE(IsIconic(hwnd));
  EXPECT_EQ(r.right - r.left, GetSystemMetrics(SM_CXMINIMIZED));
  EXPECT_EQ(r.bottom - r.top, GetSystemMetrics(SM_CYMINIMIZED));
  EXPECT_EQ(GetSystemMetrics(SM_CXMINIMIZED), 160);
  EXPECT_EQ(GetSystemMetrics(SM_CYMINIMIZED), 24);
}

}  // namespace
}  // namespace host::user::testing
