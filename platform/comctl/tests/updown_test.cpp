// Up-down: range and position, the buddy's text, UDN_DELTAPOS cancelling a
// step, alignment to the buddy and arrow keys in the buddy.
#include <host/gdi.h>

#include "comctl_test_support.h"

namespace host::comctl::testing {
namespace {

// A plain window with text stands in for an edit control.
LRESULT CALLBACK TextProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

class UpDown : public ComctlTest {
 protected:
  void SetUp() override {
    ComctlTest::SetUp();
    WNDCLASSA wc{};
    wc.lpfnWndProc = TextProc;
    wc.lpszClassName = "TextBox";
    ASSERT_TRUE(RegisterClassA(&wc));
    buddy_ = Child("TextBox", 0, {10, 10, 110, 30}, 200, "");
  }
  LRESULT Send(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) { return SendMessageA(ud_, msg, wParam, lParam); }
  std::string BuddyText() {
    char text[32] = "";
    GetWindowTextA(buddy_, text, sizeof text);
    return text;
  }
  void Make(DWORD style) { ud_ = Child(UPDOWN_CLASSA, style, {120, 10, 136, 30}, 201); }
  HWND buddy_ = nullptr, ud_ = nullptr;
};

TEST_F(UpDown, RangeAndPositionPackIntoWords) {
  Make(0);
  EXPECT_EQ(Send(UDM_GETRANGE), MAKELONG(0, 100));  // upper 0, lower 100: Windows' default
  Send(UDM_SETRANGE, 0, MAKELONG(50, -10));
  EXPECT_EQ(Send(UDM_GETRANGE), MAKELONG(50, -10));
  struct Step {
    int set;
    int old, pos;
  };
  const Step steps[] = {{20, 0, 20}, {99, 20, 50}, {-30, 50, -10}, {0, -10, 0}};
  for (const auto& step : steps) {
    SCOPED_TRACE(step.set);
    EXPECT_EQ(Send(UDM_SETPOS, 0, MAKELONG(step.set, 0)), step.old);
    EXPECT_EQ(Send(UDM_GETPOS), MAKELONG(step.pos, 0));
  }
  EXPECT_EQ(Send(UDM_SETBUDDY, reinterpret_cast<WPARAM>(buddy_)), 0);
  EXPECT_EQ(Send(UDM_GETBUDDY), reinterpret_cast<LRESULT>(buddy_));
}

TEST_F(UpDown, BuddyIntegerTextWithAndWithoutThousands) {
  struct Case {
    DWORD style;
    int pos;
    const char* text;
  };
  const Case cases[] = {
      {UDS_SETBUDDYINT, 1234, "1,234"},
      {UDS_SETBUDDYINT | UDS_NOTHOUSANDS, 1234, "1234"},
      {UDS_SETBUDDYINT, -5678, "-5,678"},
      {0, 77, ""},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.text);
    SetWindowTextA(buddy_, "");
    Make(test.style);
    Send(UDM_SETBUDDY, reinterpret_cast<WPARAM>(buddy_));
    Send(UDM_SETRANGE, 0, MAKELONG(UD_MAXVAL, UD_MINVAL));
    Send(UDM_SETPOS, 0, MAKELONG(test.pos, 0));
    EXPECT_EQ(BuddyText(), test.text);
    DestroyWindow(ud_);
  }
  // The buddy's own text is read back; text that is no number reports an error.
  Make(UDS_SETBUDDYINT);
  Send(UDM_SETBUDDY, reinterpret_cast<WPARAM>(buddy_));
  Send(UDM_SETRANGE, 0, MAKELONG(5000, 0));
  SetWindowTextA(buddy_, "2,500");
  EXPECT_EQ(Send(UDM_GETPOS), MAKELONG(2500, 0));
  SetWindowTextA(buddy_, "lots");
  EXPECT_NE(HIWORD(Send(UDM_GETPOS)), 0);
}

TEST_F(UpDown, ArrowClicksAskTheParentThenScroll) {
  Make(UDS_SETBUDDYINT);
  Send(UDM_SETBUDDY, reinterpret_cast<WPARAM>(buddy_));
  Send(UDM_SETRANGE, 0, MAKELONG(10, 1));
  Send(UDM_SETPOS, 0, MAKELONG(9, 0));
  RECT client;
  GetClientRect(ud_, &client);
  struct Click {
    bool up;
    bool refuse;
    Lines expected;
    const char* text;
  };
  const Click clicks[] = {
      {true, false, {"UDN_DELTAPOS 9+1", "WM_VSCROLL THUMBPOSITION 10", "WM_VSCROLL ENDTRACK 10"}, "10"},
      {true, false, {"UDN_DELTAPOS 10+1", "WM_VSCROLL ENDTRACK 10"}, "10"},  // at the top: no move
      {false, true, {"UDN_DELTAPOS 10-1"}, "10"},                            // refused
      {false, false, {"UDN_DELTAPOS 10-1", "WM_VSCROLL THUMBPOSITION 9", "WM_VSCROLL ENDTRACK 9"}, "9"},
  };
  for (const auto& click : clicks) {
    SCOPED_TRACE(click.text);
    Log().answers[UDN_DELTAPOS] = click.refuse ? 1 : 0;
    ClickAt(ud_, client.right / 2, click.up ? 2 : client.bottom - 2);
    EXPECT_EQ(Take(), click.expected);
    EXPECT_EQ(BuddyText(), click.text);
  }
  // A typed value is where the next step starts from.
  Log().answers.clear();
  SetWindowTextA(buddy_, "3");
  ClickAt(ud_, client.right / 2, 2);
  EXPECT_EQ(Take(), (Lines{"UDN_DELTAPOS 3+1", "WM_VSCROLL THUMBPOSITION 4", "WM_VSCROLL ENDTRACK 4"}));
}

TEST_F(UpDown, ReversedRangeAndWrap) {
  Make(UDS_WRAP);
  Send(UDM_SETRANGE, 0, MAKELONG(0, 3));  // lower 3, upper 0: "up" counts down
  Send(UDM_SETPOS, 0, MAKELONG(1, 0));
  RECT client;
  GetClientRect(ud_, &client);
  ClickAt(ud_, client.right / 2, 2);
  ClickAt(ud_, client.right / 2, 2);  // wraps from 0 to 3
  EXPECT_EQ(Take(), (Lines{"UDN_DELTAPOS 1-1", "WM_VSCROLL THUMBPOSITION 0", "WM_VSCROLL ENDTRACK 0",
                           "UDN_DELTAPOS 0-1", "WM_VSCROLL THUMBPOSITION 3", "WM_VSCROLL ENDTRACK 3"}));
}

TEST_F(UpDown, AutoBuddyAlignsAndTakesArrowKeys) {
  Make(UDS_AUTOBUDDY | UDS_ALIGNRIGHT | UDS_SETBUDDYINT | UDS_ARROWKEYS);
  EXPECT_EQ(Send(UDM_GETBUDDY), reinterpret_cast<LRESULT>(buddy_));
  RECT b, u;
  GetWindowRect(buddy_, &b);
  GetWindowRect(ud_, &u);
  EXPECT_EQ(u.left, b.right);  // the buddy gave up its right part
  EXPECT_EQ(u.top, b.top);
  EXPECT_EQ(u.bottom, b.bottom);
  EXPECT_EQ(u.right, 10 + 100);
  Send(UDM_SETRANGE, 0, MAKELONG(100, 0));
  Send(UDM_SETPOS, 0, MAKELONG(5, 0));
  Key(buddy_, VK_UP);
  Key(buddy_, VK_UP);
  Key(buddy_, VK_DOWN);
  EXPECT_EQ(BuddyText(), "6");
  Lines lines = Take();
  EXPECT_EQ(lines.front(), "UDN_DELTAPOS 5+1");
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "UDN_DELTAPOS 7-1"), 1);
  // Destroying the up-down gives the buddy its own procedure back.
  DestroyWindow(ud_);
  Key(buddy_, VK_UP);
  EXPECT_EQ(BuddyText(), "6");
}

TEST_F(UpDown, ASecondArrowKeyUpDownOnTheSameBuddyLeavesTheFirstInCharge) {
  Make(UDS_SETBUDDYINT | UDS_ARROWKEYS);
  HWND first = ud_;
  HWND second = Child(UPDOWN_CLASSA, UDS_ARROWKEYS, {140, 10, 156, 30}, 202);
  for (HWND ud : {first, second}) {
    SendMessageA(ud, UDM_SETBUDDY, reinterpret_cast<WPARAM>(buddy_), 0);
    SendMessageA(ud, UDM_SETRANGE, 0, MAKELONG(100, 0));
  }
  Send(UDM_SETPOS, 0, MAKELONG(5, 0));
  Key(buddy_, VK_UP);
  EXPECT_EQ(Take(), (Lines{"UDN_DELTAPOS 5+1", "WM_VSCROLL THUMBPOSITION 6", "WM_VSCROLL ENDTRACK 6"}));
  EXPECT_EQ(BuddyText(), "6");
  DestroyWindow(second);
  DestroyWindow(first);
  Key(buddy_, VK_UP);  // the buddy's own procedure is back
  EXPECT_TRUE(Take().empty());
}

// Dialogs create their controls before they show themselves: the controls must paint then.
TEST_F(UpDown, PaintsWhenItsHiddenParentIsShown) {
  HWND hidden = CreateWindowExA(0, "ComctlParent", "later", WS_POPUP | WS_CLIPCHILDREN, 20, 20, 200, 100, nullptr,
                                nullptr, nullptr, nullptr);
  HWND arrows = CreateWindowExA(0, UPDOWN_CLASSA, nullptr, WS_CHILD | WS_VISIBLE, 10, 10, 16, 26, hidden, nullptr,
                                nullptr, nullptr);
  host::user::PumpMessages();
  ShowWindow(hidden, SW_SHOW);
  host::user::PumpMessages();
  RECT r;
  GetWindowRect(arrows, &r);
  EXPECT_EQ(host::gdi::ScreenPixel(r.left, r.top + 3), GetSysColor(COLOR_BTNHIGHLIGHT));
  EXPECT_EQ(host::gdi::ScreenPixel(r.left + 3, r.top + 3), GetSysColor(COLOR_BTNFACE));
  DestroyWindow(hidden);
}

}  // namespace
}  // namespace host::comctl::testing
