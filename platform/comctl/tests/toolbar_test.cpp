// Toolbar: CreateToolbarEx, button states and check buttons, clicks as
// WM_COMMAND, TB_AUTOSIZE, and the tooltips asking the parent for text.
#include "comctl_test_support.h"

namespace host::comctl::testing {
namespace {

class Toolbar : public ComctlTest {
 protected:
  void SetUp() override {
    ComctlTest::SetUp();
    bitmap_ = StripeBitmap(80, 20, {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255), RGB(255, 255, 0)}, 20);
    const TBBUTTON buttons[] = {
        {0, 40001, TBSTATE_ENABLED, TBSTYLE_BUTTON, {}, 0, 0},
        {1, 40002, TBSTATE_ENABLED, TBSTYLE_BUTTON, {}, 0, 0},
        {0, 0, 0, TBSTYLE_SEP, {}, 0, 0},
        {2, 40003, TBSTATE_ENABLED, TBSTYLE_CHECK, {}, 0, 0},
        {3, 40004, TBSTATE_ENABLED, TBSTYLE_BUTTON, {}, 0, 0},
    };
    // 12 images asked of a bitmap that holds four, as the navigator does.
    toolbar_ = CreateToolbarEx(parent(), WS_CHILD | WS_VISIBLE | TBSTYLE_TOOLTIPS, 1000, 12, nullptr,
                               reinterpret_cast<UINT_PTR>(bitmap_), buttons, 5, 20, 20, 20, 20, sizeof(TBBUTTON));
    ASSERT_TRUE(toolbar_);
    host::user::PumpMessages();
  }
  void TearDown() override {
    if (IsWindow(toolbar_)) DestroyWindow(toolbar_);
    DeleteObject(bitmap_);
    ComctlTest::TearDown();
  }
  LRESULT Send(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) { return SendMessageA(toolbar_, msg, wParam, lParam); }
  RECT Button(int index) {
    RECT rect{};
    EXPECT_TRUE(Send(TB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&rect)));
    return rect;
  }
  void ClickButton(int index) {
    RECT r = Button(index);
    ClickAt(toolbar_, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
  }
  HBITMAP bitmap_ = nullptr;
  HWND toolbar_ = nullptr;
};

TEST_F(Toolbar, CreatesButtonsInARowAtTheTop) {
  EXPECT_EQ(GetDlgCtrlID(toolbar_), 1000);
  EXPECT_EQ(Send(TB_BUTTONCOUNT), 5);
  EXPECT_EQ(Send(TB_COMMANDTOINDEX, 40003), 3);
  RECT first = Button(0), second = Button(1), separator = Button(2), check = Button(3);
  EXPECT_EQ(first.right - first.left, 20);
  EXPECT_EQ(first.bottom - first.top, 20);
  EXPECT_EQ(second.left, first.right);
  EXPECT_EQ(check.left, separator.right);
  EXPECT_GT(separator.right, separator.left);
  RECT own, area;
  GetWindowRect(toolbar_, &own);
  GetClientRect(parent(), &area);
  EXPECT_EQ(own.top, 0);
  EXPECT_EQ(own.right - own.left, area.right);
  EXPECT_GE(own.bottom - own.top, first.bottom);
}

TEST_F(Toolbar, AutoSizeReplacesAHeightTheProgramChanged) {
  RECT before;
  GetWindowRect(toolbar_, &before);
  SetWindowPos(toolbar_, nullptr, 0, 0, before.right - before.left + 1, before.bottom - before.top + 1,
               SWP_NOMOVE | SWP_NOZORDER);
  Send(TB_AUTOSIZE);
  RECT after;
  GetWindowRect(toolbar_, &after);
  EXPECT_EQ(after.bottom - after.top, before.bottom - before.top);
  // CCS_NORESIZE keeps the program's size.
  SetWindowLongA(toolbar_, GWL_STYLE, GetWindowLongA(toolbar_, GWL_STYLE) | CCS_NORESIZE);
  SetWindowPos(toolbar_, nullptr, 0, 0, 50, 60, SWP_NOMOVE | SWP_NOZORDER);
  Send(TB_AUTOSIZE);
  GetWindowRect(toolbar_, &after);
  EXPECT_EQ(after.bottom - after.top, 60);
}

TEST_F(Toolbar, ClicksCommandAndCheckButtonsToggle) {
  struct Step {
    int button;
    Lines expected;
    bool checked;
  };
  const Step steps[] = {
      {0, {"WM_COMMAND 40001"}, false},
      {3, {"WM_COMMAND 40003"}, true},
      {3, {"WM_COMMAND 40003"}, false},
      {2, {}, false},  // the separator is no button
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.button);
    ClickButton(step.button);
    Lines lines = Take();
    lines.erase(
        std::remove_if(lines.begin(), lines.end(), [](const std::string& l) { return l.rfind("TTN_", 0) == 0; }),
        lines.end());
    EXPECT_EQ(lines, step.expected);
    EXPECT_EQ(Send(TB_ISBUTTONCHECKED, 40003), step.checked ? TRUE : FALSE);
  }
}

TEST_F(Toolbar, StatesByCommand) {
  EXPECT_TRUE(Send(TB_CHECKBUTTON, 40003, MAKELONG(TRUE, 0)));
  EXPECT_EQ(Send(TB_ISBUTTONCHECKED, 40003), TRUE);
  EXPECT_EQ(Send(TB_GETSTATE, 40003), TBSTATE_ENABLED | TBSTATE_CHECKED);
  EXPECT_TRUE(Send(TB_ENABLEBUTTON, 40001, MAKELONG(FALSE, 0)));
  EXPECT_EQ(Send(TB_ISBUTTONENABLED, 40001), FALSE);
  ClickButton(0);  // a disabled button does nothing
  for (const auto& line : Take()) EXPECT_NE(line, "WM_COMMAND 40001");
  EXPECT_FALSE(Send(TB_ENABLEBUTTON, 12345, MAKELONG(TRUE, 0)));
  EXPECT_EQ(Send(TB_GETSTATE, 12345), -1);
  EXPECT_TRUE(Send(TB_HIDEBUTTON, 40002, MAKELONG(TRUE, 0)));
  RECT hidden{};
  EXPECT_FALSE(Send(TB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&hidden)));
  EXPECT_EQ(Button(3).left, Button(0).right + (Button(2).right - Button(2).left));
}

TEST_F(Toolbar, TooltipsAskTheParentForTheButtonsText) {
  auto tips = reinterpret_cast<HWND>(Send(TB_GETTOOLTIPS));
  ASSERT_TRUE(tips);
  EXPECT_EQ(SendMessageA(tips, TTM_GETTOOLCOUNT, 0, 0), 4);
  Log().tipTexts[40002] = "Zoom out";
  RECT r = Button(1);
  POINT pt{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  ClientToScreen(toolbar_, &pt);
  host::user::MoveMouse(pt.x, pt.y);
  host::user::PumpMessages();
  EXPECT_FALSE(IsWindowVisible(tips));  // not before the initial delay
  AdvanceClock(600);
  host::user::PumpMessages();
  EXPECT_EQ(Take(), (Lines{"TTN_NEEDTEXT 40002", "TTN_SHOW"}));
  EXPECT_TRUE(IsWindowVisible(tips));
  char text[32] = "";
  GetWindowTextA(tips, text, sizeof text);
  EXPECT_STREQ(text, "Zoom out");
  // Leaving the toolbar hides the tip.
  host::user::MoveMouse(pt.x, pt.y + 200);
  host::user::PumpMessages();
  AdvanceClock(200);
  host::user::PumpMessages();
  EXPECT_FALSE(IsWindowVisible(tips));
  EXPECT_EQ(Take(), (Lines{"TTN_POP"}));
  // TTM_GETTEXTA asks the same way.
  char buffer[80] = "";
  TOOLINFOA info{sizeof(TOOLINFOA), 0, toolbar_, 40002, {}, nullptr, buffer};
  SendMessageA(tips, TTM_GETTEXTA, 0, reinterpret_cast<LPARAM>(&info));
  EXPECT_STREQ(buffer, "Zoom out");
}

TEST_F(Toolbar, DrawsTheImagesOfTheBitmap) {
  Canvas canvas(200, 40);
  Send(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.dc()), 0);
  const std::pair<int, COLORREF> expected[] = {{0, RGB(255, 0, 0)}, {1, RGB(0, 255, 0)}, {4, RGB(255, 255, 0)}};
  for (auto& [index, colour] : expected) {
    SCOPED_TRACE(index);
    RECT r = Button(index);
    EXPECT_EQ(canvas.At((r.left + r.right) / 2, (r.top + r.bottom) / 2), colour);
  }
  Send(TB_CHECKBUTTON, 40003, MAKELONG(TRUE, 0));
  Send(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.dc()), 0);
  RECT r = Button(3);
  EXPECT_EQ(canvas.At(r.left, r.top), GetSysColor(COLOR_BTNSHADOW));  // a checked button is sunken
}

}  // namespace
}  // namespace host::comctl::testing
