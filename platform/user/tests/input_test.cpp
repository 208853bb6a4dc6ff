// Focus, activation, enabling and capture; input as a person gives it:
// mouse messages, double clicks, keys, the caption drag loop, the cursor.
#include "user_test_support.h"

#include <host/station.h>

namespace host::user::testing {
namespace {

using Focus = UserTest;
using Input = UserTest;
using Lines = std::vector<std::string>;

const std::vector<UINT> kNoise = {WM_NCHITTEST, WM_SETCURSOR, WM_NCPAINT, WM_ERASEBKGND, WM_PAINT, WM_GETMINMAXINFO,
                                  WM_NCMOUSEMOVE};

TEST_F(Focus, KillFocusNamesTheGainerAndSetFocusTheLoser) {
  HWND main = Make("main", WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  HWND a = Make("a", WS_CHILD | WS_VISIBLE, main, {0, 0, 20, 20});
  HWND b = Make("b", WS_CHILD | WS_VISIBLE, main, {30, 0, 50, 20});
  EXPECT_EQ(GetFocus(), main);
  ClearLog();
  EXPECT_EQ(SetFocus(a), main);
  EXPECT_EQ(SetFocus(b), a);
  EXPECT_EQ(SetFocus(b), b);  // no change, no messages
  EXPECT_EQ(Log(), (Lines{"main WM_KILLFOCUS", "a WM_SETFOCUS", "a WM_KILLFOCUS", "b WM_SETFOCUS"}));
  auto entries = Recorder::Get().Entries();
  EXPECT_EQ(reinterpret_cast<HWND>(entries[2].wParam), b);
  EXPECT_EQ(reinterpret_cast<HWND>(entries[3].wParam), a);
  EXPECT_EQ(GetFocus(), b);
}

TEST_F(Focus, EnableWindowSendsWmEnableOnlyOnARealChange) {
  HWND main = Make("main", WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  HWND child = Make("child", WS_CHILD | WS_VISIBLE, main, {0, 0, 20, 20});
  SetFocus(child);
  struct Step {
    BOOL enable;
    BOOL wasDisabled;
    Lines expected;
  };
  const Step steps[] = {
      {TRUE, FALSE, {}},
      {FALSE, FALSE, {"child WM_CANCELMODE", "child WM_ENABLE"}},
      {FALSE, TRUE, {}},
      {TRUE, TRUE, {"child WM_ENABLE"}},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.enable);
    ClearLog();
    EXPECT_EQ(EnableWindow(child, step.enable), step.wasDisabled);
    EXPECT_EQ(Log(), step.expected);
    EXPECT_EQ(GetFocus(), child);  // disabling the focused window leaves the focus there
  }
  EnableWindow(child, FALSE);
  SetFocus(main);
  EXPECT_EQ(SetFocus(child), nullptr);  // a disabled window takes no focus
  EXPECT_FALSE(IsWindowEnabled(child));
}

TEST_F(Focus, ActivationSequenceBetweenTwoWindows) {
  HWND first = Make("first", WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  HWND second = Make("second", WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  EXPECT_EQ(GetActiveWindow(), second);
  EXPECT_EQ(GetForegroundWindow(), second);
  ClearLog();
  EXPECT_EQ(SetActiveWindow(first), second);
  EXPECT_EQ(Log(kNoise), (Lines{"second WM_NCACTIVATE", "second WM_ACTIVATE", "first WM_WINDOWPOSCHANGING",
                                "first WM_WINDOWPOSCHANGED", "first WM_NCACTIVATE", "first WM_ACTIVATE",
                                "second WM_KILLFOCUS", "first WM_SETFOCUS"}));
  EXPECT_EQ(GetTopWindow(nullptr), first);
  EXPECT_EQ(GetFocus(), first);
  // Hiding the active window activates another.
  ShowWindow(first, SW_HIDE);
  EXPECT_EQ(GetActiveWindow(), second);
}

TEST_F(Focus, CaptureChangesAreAnnounced) {
  HWND a = Make("a", WS_POPUP | WS_VISIBLE);
  HWND b = Make("b", WS_POPUP | WS_VISIBLE);
  ClearLog();
  EXPECT_EQ(SetCapture(a), nullptr);
  EXPECT_EQ(SetCapture(b), a);
  EXPECT_EQ(GetCapture(), b);
  EXPECT_TRUE(ReleaseCapture());
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(Log(), (Lines{"a WM_CAPTURECHANGED", "b WM_CAPTURECHANGED"}));
  auto entries = Recorder::Get().Entries();
  EXPECT_EQ(reinterpret_cast<HWND>(entries[0].lParam), b);
  EXPECT_EQ(entries[1].lParam, 0);
}

TEST_F(Focus, LastActivePopup) {
  HWND owner = Make("owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  HWND popup = Make("popup", WS_POPUP | WS_VISIBLE, owner);
  EXPECT_EQ(GetLastActivePopup(owner), popup);
  DestroyWindow(popup);
  EXPECT_EQ(GetLastActivePopup(owner), owner);
}

// The main window for input tests: an overlapped window at (100,100)-(400,300),
// client area from (104,123).
class InputWindow : public UserTest {
 protected:
  void SetUp() override {
    UserTest::SetUp();
    main = Make("main", WS_OVERLAPPEDWINDOW | WS_VISIBLE, nullptr, {100, 100, 400, 300});
    PumpMessages();
    ClearLog();
  }
  std::vector<Logged> Of(UINT msg) {
    std::vector<Logged> found;
    for (auto& e : Recorder::Get().Entries())
      if (e.msg == msg) found.push_back(e);
    return found;
  }
  HWND main = nullptr;
};

TEST_F(InputWindow, ClickInTheClientArea) {
  Click(154, 133);
  PumpMessages();
  EXPECT_EQ(Log(), (Lines{"main WM_NCHITTEST", "main WM_SETCURSOR", "main WM_MOUSEMOVE", "main WM_NCHITTEST",
                          "main WM_SETCURSOR", "main WM_LBUTTONDOWN", "main WM_NCHITTEST", "main WM_SETCURSOR",
                          "main WM_LBUTTONUP"}));
  auto down = Of(WM_LBUTTONDOWN);
  ASSERT_EQ(down.size(), 1u);
  EXPECT_EQ(LOWORD(down[0].lParam), 50);
  EXPECT_EQ(HIWORD(down[0].lParam), 10);
  EXPECT_EQ(down[0].wParam, (WPARAM)MK_LBUTTON);
  auto cursor = Of(WM_SETCURSOR);
  EXPECT_EQ(LOWORD(cursor[1].lParam), HTCLIENT);
  EXPECT_EQ(HIWORD(cursor[1].lParam), WM_LBUTTONDOWN);
}

TEST_F(InputWindow, CapturedMouseGetsSignedClientCoordinates) {
  SetCapture(main);
  ClearLog();
  MoveMouse(90, 110);
  PumpMessages();
  auto moves = Of(WM_MOUSEMOVE);
  ASSERT_EQ(moves.size(), 1u);
  EXPECT_EQ(static_cast<SHORT>(LOWORD(moves[0].lParam)), -14);
  EXPECT_EQ(static_cast<SHORT>(HIWORD(moves[0].lParam)), -13);
  EXPECT_TRUE(Of(WM_NCHITTEST).empty());  // the capture window takes the mouse without hit-testing
}

TEST_F(InputWindow, DoubleClicksOnlyForClassesThatAskForThem) {
  HWND dbl = Make("dbl", WS_POPUP | WS_VISIBLE, nullptr, {500, 100, 600, 200}, 0, "RecorderDbl");
  struct Case {
    const char* what;
    int x, y;
    DWORD gap;
    std::vector<UINT> expected;
  };
  const Case cases[] = {
      {"CS_DBLCLKS", 550, 150, 100, {WM_LBUTTONDOWN, WM_LBUTTONDBLCLK}},
      {"too slow", 550, 150, 600, {WM_LBUTTONDOWN, WM_LBUTTONDOWN}},
      {"class without CS_DBLCLKS", 200, 200, 100, {WM_LBUTTONDOWN, WM_LBUTTONDOWN}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    AdvanceClock(1000);
    ClearLog();
    Click(c.x, c.y);
    PumpMessages();
    AdvanceClock(c.gap);
    Click(c.x, c.y);
    PumpMessages();
    std::vector<UINT> presses;
    for (auto& e : Recorder::Get().Entries())
      if (e.msg == WM_LBUTTONDOWN || e.msg == WM_LBUTTONDBLCLK) presses.push_back(e.msg);
    EXPECT_EQ(presses, c.expected);
  }
  (void)dbl;
}

TEST_F(InputWindow, ClickOnAnInactiveWindowAsksToActivate) {
  HWND other = Make("other", WS_POPUP | WS_VISIBLE, nullptr, {500, 100, 600, 200});
  SetActiveWindow(main);
  PumpMessages();
  ClearLog();
  Click(550, 150);
  PumpMessages();
  EXPECT_EQ(GetActiveWindow(), other);
  auto lines = Log(kNoise);
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines[1], "other WM_MOUSEACTIVATE");
  EXPECT_EQ(lines[2], "main WM_NCACTIVATE");
  // A window answering MA_NOACTIVATEANDEAT is neither activated nor clicked.
  SetActiveWindow(main);
  Recorder::Get().answer = [](HWND, UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (msg == WM_MOUSEACTIVATE) return MA_NOACTIVATEANDEAT;
    return std::nullopt;
  };
  PumpMessages();
  ClearLog();
  Click(550, 150);
  PumpMessages();
  EXPECT_EQ(GetActiveWindow(), main);
  EXPECT_TRUE(Of(WM_LBUTTONDOWN).empty());
  EXPECT_EQ(Of(WM_LBUTTONUP).size(), 1u);  // only the press is eaten
}

TEST_F(InputWindow, ClickOnADisabledWindowBeeps) {
  EnableWindow(main, FALSE);
  ClearBeeps();
  ClearLog();
  Click(154, 133);
  PumpMessages();
  EXPECT_TRUE(Of(WM_LBUTTONDOWN).empty());
  auto cursor = Of(WM_SETCURSOR);
  ASSERT_FALSE(cursor.empty());
  EXPECT_EQ(static_cast<SHORT>(LOWORD(cursor[1].lParam)), HTERROR);
  EXPECT_EQ(Beeps(), (std::vector<UINT>{0}));
}

TEST_F(InputWindow, KeysGoToTheFocusAndTranslateToCharacters) {
  TypeText("Hi");
  PumpMessages();
  std::string chars;
  for (auto& e : Of(WM_CHAR)) chars += static_cast<char>(e.wParam);
  EXPECT_EQ(chars, "Hi");
  EXPECT_EQ(Log({WM_CHAR}), (Lines{"main WM_KEYDOWN", "main WM_KEYDOWN", "main WM_KEYUP", "main WM_KEYUP",
                                   "main WM_KEYDOWN", "main WM_KEYUP"}));
  // GetKeyState follows the messages taken; GetAsyncKeyState the keyboard now.
  PressKey(VK_SHIFT);
  EXPECT_LT(GetAsyncKeyState(VK_SHIFT), 0);
  EXPECT_GE(GetKeyState(VK_SHIFT), 0);
  PumpMessages();
  EXPECT_LT(GetKeyState(VK_SHIFT), 0);
  ReleaseKey(VK_SHIFT);
  PumpMessages();
  EXPECT_GE(GetKeyState(VK_SHIFT), 0);
}

TEST_F(InputWindow, AltF4ClosesTheWindow) {
  PressKey(VK_MENU);
  TypeKey(VK_F4);
  ReleaseKey(VK_MENU);
  PumpMessages();
  EXPECT_FALSE(IsWindow(main));
  EXPECT_FALSE(Of(WM_SYSKEYDOWN).empty());
  EXPECT_FALSE(Of(WM_CLOSE).empty());
}

TEST_F(InputWindow, CaptionDragMovesTheWindowAndEatsTheRelease) {
  MoveMouse(200, 110);
  PressButton();
  ScriptMove(250, 150);
  ScriptMove(300, 180);
  ScriptRelease();
  PumpMessages();
  RECT r;
  GetWindowRect(main, &r);
  EXPECT_EQ(r.left, 200);
  EXPECT_EQ(r.top, 170);
  EXPECT_EQ(r.right, 500);
  EXPECT_EQ(PendingScriptSteps(), 0u);
  EXPECT_EQ(Log(kNoise), (Lines{"main WM_NCLBUTTONDOWN",
                                "main WM_SYSCOMMAND", "main WM_ENTERSIZEMOVE", "main WM_MOVING",
                                "main WM_WINDOWPOSCHANGING", "main WM_WINDOWPOSCHANGED", "main WM_MOVE",
                                "main WM_MOVING", "main WM_WINDOWPOSCHANGING", "main WM_WINDOWPOSCHANGED",
                                "main WM_MOVE", "main WM_CAPTURECHANGED", "main WM_EXITSIZEMOVE"}));
}

TEST_F(InputWindow, CaptionDragIsClampedToTheDesktopAndEscapeCancels) {
  RECT desk;
  GetWindowRect(GetDesktopWindow(), &desk);
  MoveMouse(200, 110);
  PressButton();
  ScriptMove(5000, 5000);
  ScriptRelease();
  PumpMessages();
  RECT r;
  GetWindowRect(main, &r);
  EXPECT_EQ(r.left, 100 + (desk.right - 1 - 200));
  EXPECT_EQ(r.top, 100 + (desk.bottom - 1 - 110));
  SetWindowPos(main, nullptr, 100, 100, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  AdvanceClock(1000);  // a second press at once would be a double click, which maximizes
  MoveMouse(200, 110);
  PressButton();
  ScriptMove(260, 160);
  ScriptKey(VK_ESCAPE);
  PumpMessages();
  ReleaseButton();
  PumpMessages();
  GetWindowRect(main, &r);
  EXPECT_EQ(r.left, 100);
  EXPECT_EQ(r.top, 100);
}

TEST_F(InputWindow, AnIdleDragWithoutScriptIsAStuckLoop) {
  std::vector<std::string> stuck;
  SetStuckLoopHandler([&](const std::string& loop) { stuck.push_back(loop); });
  MoveMouse(200, 110);
  PressButton();
  PumpMessages();
  EXPECT_EQ(stuck, (Lines{"caption drag"}));
  ReleaseButton();
  PumpMessages();
  ClearRecords();  // the stuck loop was the point
}

TEST_F(InputWindow, CursorIsClampedToTheDesktopAndTheClipRectangle) {
  RECT desk;
  GetWindowRect(GetDesktopWindow(), &desk);
  SetCursorPos(-50, 99999);
  POINT p;
  GetCursorPos(&p);
  EXPECT_EQ(p.x, 0);
  EXPECT_EQ(p.y, desk.bottom - 1);
  RECT clip{10, 10, 20, 20};
  ClipCursor(&clip);
  SetCursorPos(100, 0);
  GetCursorPos(&p);
  EXPECT_EQ(p.x, 19);
  EXPECT_EQ(p.y, 10);
  ClipCursor(nullptr);
  SetCursorPos(100, 0);
  GetCursorPos(&p);
  EXPECT_EQ(p.x, 100);
  PumpMessages();
}

// A group box and a plain label let the mouse through (HTTRANSPARENT): a lower sibling under the point takes
// it, else their parent, as the controls inside a frame on a dialog expect.
TEST_F(InputWindow, TransparentControlsHandTheMouseToWhatLiesBeneath) {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  HWND button = CreateWindowExA(0, "Button", "Push", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 20, 30, 80, 24, main,
                                reinterpret_cast<HMENU>(11), instance, nullptr);
  HWND label = CreateWindowExA(0, "Static", "Label", WS_CHILD | WS_VISIBLE, 120, 30, 60, 16, main,
                               reinterpret_cast<HMENU>(12), instance, nullptr);
  HWND frame = CreateWindowExA(0, "Button", "Frame", WS_CHILD | WS_VISIBLE | BS_GROUPBOX, 10, 10, 200, 150, main,
                               reinterpret_cast<HMENU>(10), instance, nullptr);
  SetWindowPos(frame, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  ASSERT_TRUE(frame && button && label);
  ASSERT_EQ(GetWindow(main, GW_CHILD), frame) << "the frame is on top, as the first control of a template";
  PumpMessages();
  ClearLog();

  Click(104 + 40, 123 + 40);  // on the push button, inside the frame
  PumpMessages();
  auto commands = Of(WM_COMMAND);
  ASSERT_EQ(commands.size(), 1u);
  EXPECT_EQ(commands[0].wParam, MAKEWPARAM(11, BN_CLICKED));

  ClearLog();
  Click(104 + 130, 123 + 35);  // on the label, inside the frame, nothing else beneath
  PumpMessages();
  auto down = Of(WM_LBUTTONDOWN);
  ASSERT_EQ(down.size(), 1u) << "the main window takes it";
  EXPECT_EQ(LOWORD(down[0].lParam), 130);
  EXPECT_EQ(HIWORD(down[0].lParam), 35);
  EXPECT_TRUE(Of(WM_COMMAND).empty());
}

}  // namespace
}  // namespace host::user::testing
