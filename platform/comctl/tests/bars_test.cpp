// Trackbar positions and the scroll codes a drag, a page click and keys
// produce; progress bar ranges and steps; both drawn into a memory DC.
#include "comctl_test_support.h"

namespace host::comctl::testing {
namespace {

using Trackbar = ComctlTest;
using Progress = ComctlTest;

LRESULT Send(HWND hwnd, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) {
  return SendMessageA(hwnd, msg, wParam, lParam);
}

TEST_F(Trackbar, PositionsAreClampedToTheRange) {
  HWND bar = Child(TRACKBAR_CLASSA, 0, {10, 10, 210, 40});
  EXPECT_EQ(Send(bar, TBM_GETRANGEMIN), 0);
  EXPECT_EQ(Send(bar, TBM_GETRANGEMAX), 100);
  struct Step {
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
    int pos, min, max;
  };
  const Step steps[] = {
      {TBM_SETPOS, TRUE, 50, 50, 0, 100},
      {TBM_SETPOS, TRUE, 500, 100, 0, 100},
      {TBM_SETPOS, TRUE, -7, 0, 0, 100},
      {TBM_SETRANGE, TRUE, MAKELONG(-80, 80), 0, -80, 80},
      {TBM_SETPOS, TRUE, -100, -80, -80, 80},
      {TBM_SETRANGEMIN, TRUE, -20, -20, -20, 80},  // the position follows a range that leaves it
      {TBM_SETRANGEMAX, TRUE, -30, -20, -20, -20},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.lParam);
    Send(bar, step.msg, step.wParam, step.lParam);
    EXPECT_EQ(Send(bar, TBM_GETPOS), step.pos);
    EXPECT_EQ(Send(bar, TBM_GETRANGEMIN), step.min);
    EXPECT_EQ(Send(bar, TBM_GETRANGEMAX), step.max);
  }
  // Until the program sets one, the page is a fifth of the range (at least 1) and follows it.
  EXPECT_EQ(Send(bar, TBM_GETPAGESIZE), 1);
  Send(bar, TBM_SETRANGE, TRUE, MAKELONG(0, 100));
  EXPECT_EQ(Send(bar, TBM_GETPAGESIZE), 20);
  EXPECT_EQ(Send(bar, TBM_SETPAGESIZE, 0, 7), 20);
  Send(bar, TBM_SETRANGE, TRUE, MAKELONG(0, 50));
  EXPECT_EQ(Send(bar, TBM_GETPAGESIZE), 7);
  EXPECT_EQ(Send(bar, TBM_SETLINESIZE, 0, 3), 1);
  EXPECT_EQ(Send(bar, TBM_GETLINESIZE), 3);
  EXPECT_TRUE(Take().empty());  // a program's changes are not echoed to the parent
}

TEST_F(Trackbar, KeysSendTheirCodesAndEndTrackOnRelease) {
  HWND bar = Child(TRACKBAR_CLASSA, 0, {10, 10, 210, 40});
  Send(bar, TBM_SETRANGE, TRUE, MAKELONG(0, 100));
  Send(bar, TBM_SETPAGESIZE, 0, 10);
  Send(bar, TBM_SETPOS, TRUE, 50);
  struct Press {
    UINT vk;
    const char* line;
    int pos;
  };
  const Press presses[] = {
      {VK_RIGHT, "WM_HSCROLL LINEDOWN 0", 51}, {VK_LEFT, "WM_HSCROLL LINEUP 0", 50},
      {VK_NEXT, "WM_HSCROLL PAGEDOWN 0", 60},  {VK_PRIOR, "WM_HSCROLL PAGEUP 0", 50},
      {VK_END, "WM_HSCROLL BOTTOM 0", 100},    {VK_DOWN, "WM_HSCROLL LINEDOWN 0", 100},
      {VK_HOME, "WM_HSCROLL TOP 0", 0},        {VK_UP, "WM_HSCROLL LINEUP 0", 0},
  };
  for (const auto& press : presses) {
    SCOPED_TRACE(press.line);
    Key(bar, press.vk);
    EXPECT_EQ(Take(), (Lines{press.line, "WM_HSCROLL ENDTRACK 0"}));
    EXPECT_EQ(Send(bar, TBM_GETPOS), press.pos);
  }
}

TEST_F(Trackbar, DraggingTheThumbTracksThenSetsThePosition) {
  HWND bar = Child(TRACKBAR_CLASSA, 0, {10, 10, 210, 40});
  Send(bar, TBM_SETRANGE, TRUE, MAKELONG(0, 10));
  Send(bar, TBM_SETPOS, TRUE, 2);
  RECT thumb, channel;
  Send(bar, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
  Send(bar, TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&channel));
  int step = (channel.right - channel.left) / 10;
  POINT grab{(thumb.left + thumb.right) / 2, (thumb.top + thumb.bottom) / 2};
  POINT screen = grab;
  ClientToScreen(bar, &screen);
  // Each event is taken before the next, as a person's hand is slower than the queue.
  auto act = [](auto event) {
    event();
    host::user::PumpMessages();
  };
  act([&] { host::user::MoveMouse(screen.x, screen.y); });
  act([] { host::user::PressButton(); });
  act([&] { host::user::MoveMouse(screen.x + 3 * step, screen.y); });
  act([&] { host::user::MoveMouse(screen.x + 5 * step, screen.y + 40); });  // off the bar: the drag goes on
  act([&] { host::user::MoveMouse(screen.x + 50 * step, screen.y); });      // far past the end: clamped
  act([] { host::user::ReleaseButton(); });
  EXPECT_EQ(Take(), (Lines{"WM_HSCROLL THUMBTRACK 5", "WM_HSCROLL THUMBTRACK 7", "WM_HSCROLL THUMBTRACK 10",
                           "WM_HSCROLL THUMBPOSITION 10", "WM_HSCROLL ENDTRACK 0"}));
  EXPECT_EQ(Send(bar, TBM_GETPOS), 10);
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(Trackbar, ClickingTheChannelPagesTowardTheClick) {
  HWND bar = Child(TRACKBAR_CLASSA, TBS_VERT, {10, 10, 40, 210});
  Send(bar, TBM_SETRANGE, TRUE, MAKELONG(0, 100));
  Send(bar, TBM_SETPAGESIZE, 0, 25);
  RECT channel;
  Send(bar, TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&channel));
  ClickAt(bar, (channel.left + channel.right) / 2, channel.bottom - 2);
  EXPECT_EQ(Take(), (Lines{"WM_VSCROLL PAGEDOWN 0", "WM_VSCROLL ENDTRACK 0"}));
  EXPECT_EQ(Send(bar, TBM_GETPOS), 25);
  // Held down, the page steps repeat until the thumb reaches the point.
  POINT pt{(channel.left + channel.right) / 2, channel.bottom - 2};
  ClientToScreen(bar, &pt);
  host::user::MoveMouse(pt.x, pt.y);
  host::user::PressButton();
  host::user::PumpMessages();
  for (int i = 0; i < 6; ++i) {
    AdvanceClock(500);
    host::user::PumpMessages();
  }
  host::user::ReleaseButton();
  host::user::PumpMessages();
  EXPECT_EQ(Take(), (Lines{"WM_VSCROLL PAGEDOWN 0", "WM_VSCROLL PAGEDOWN 0", "WM_VSCROLL PAGEDOWN 0",
                           "WM_VSCROLL ENDTRACK 0"}));
  EXPECT_EQ(Send(bar, TBM_GETPOS), 100);
}

TEST_F(Trackbar, DrawsChannelAndThumbIntoAGivenDC) {
  HWND bar = Child(TRACKBAR_CLASSA, TBS_AUTOTICKS, {10, 10, 210, 40});
  Send(bar, TBM_SETTICFREQ, 10, 0);
  Send(bar, TBM_SETPOS, TRUE, 50);
  Canvas canvas(200, 30, RGB(1, 2, 3));
  Send(bar, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.dc()), 0);
  RECT thumb, channel;
  Send(bar, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
  Send(bar, TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&channel));
  // A raised thumb (white outside at the top left, black at the bottom right) in a sunken groove.
  EXPECT_EQ(canvas.At(thumb.left + 3, thumb.top + 5), GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(canvas.At(thumb.left, thumb.top + 5), GetSysColor(COLOR_BTNHIGHLIGHT));
  EXPECT_EQ(canvas.At(thumb.right - 1, thumb.top + 5), GetSysColor(COLOR_3DDKSHADOW));
  EXPECT_EQ(canvas.At(channel.left + 2, channel.top), GetSysColor(COLOR_BTNSHADOW));
  EXPECT_EQ(canvas.At(channel.left + 2, channel.bottom - 1), GetSysColor(COLOR_BTNHIGHLIGHT));
  EXPECT_FALSE(canvas.Contains({0, 0, 200, 30}, RGB(1, 2, 3)));  // the whole client is painted
}

TEST_F(Progress, RangesPositionsAndSteps) {
  HWND bar = Child(PROGRESS_CLASSA, 0, {10, 10, 210, 30});
  struct Step {
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
    LRESULT result;
    int pos;
  };
  const Step steps[] = {
      {PBM_SETPOS, 30, 0, 0, 30},
      {PBM_DELTAPOS, 50, 0, 30, 80},
      {PBM_DELTAPOS, 50, 0, 80, 100},  // clamped
      {PBM_SETRANGE, 0, MAKELPARAM(0, 20), MAKELONG(0, 100), 20},
      {PBM_SETPOS, static_cast<WPARAM>(-5), 0, 20, 0},
      {PBM_SETSTEP, 8, 0, 10, 0},
      {PBM_STEPIT, 0, 0, 0, 8},
      {PBM_STEPIT, 0, 0, 8, 16},
      {PBM_STEPIT, 0, 0, 16, 4},                                  // past the end it starts over
      {PBM_SETRANGE, 0, MAKELPARAM(10, 5), MAKELONG(0, 20), 10},  // an inverted range is empty
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.msg);
    EXPECT_EQ(Send(bar, step.msg, step.wParam, step.lParam), step.result);
    EXPECT_EQ(Send(bar, PBM_GETPOS), step.pos);
  }
}

TEST_F(Progress, FillsBlocksUpToThePosition) {
  HWND bar = Child(PROGRESS_CLASSA, 0, {10, 10, 210, 30});
  Send(bar, PBM_SETPOS, 50);
  Canvas canvas(200, 20);
  Send(bar, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.dc()), 0);
  COLORREF bar_colour = GetSysColor(COLOR_HIGHLIGHT);
  EXPECT_TRUE(canvas.Contains({2, 2, 98, 18}, bar_colour));
  EXPECT_FALSE(canvas.Contains({102, 2, 198, 18}, bar_colour));
}

}  // namespace
}  // namespace host::comctl::testing
