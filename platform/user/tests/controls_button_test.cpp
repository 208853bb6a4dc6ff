// Buttons: checking by program (silent) and by click (BN_CLICKED), the
// automatic radio group through whatever procedure each radio has, mouse
// clicks by posted messages, owner drawing and the pressed look.
#include "controls_test_support.h"

namespace host::user::testing {
namespace {

using Buttons = ControlTest;
using Lines = std::vector<std::string>;

TEST_F(Buttons, SetCheckIsSilentAndAClickTogglesAsTheTypeSays) {
  struct Case {
    const char* name;
    DWORD type;
    WPARAM start;
    LRESULT afterSet, afterClick;
  };
  const Case cases[] = {
      {"auto check box, unchecked", BS_AUTOCHECKBOX, BST_UNCHECKED, BST_UNCHECKED, BST_CHECKED},
      {"auto check box, checked", BS_AUTOCHECKBOX, BST_CHECKED, BST_CHECKED, BST_UNCHECKED},
      {"two states take indeterminate as checked", BS_AUTOCHECKBOX, BST_INDETERMINATE, BST_CHECKED, BST_UNCHECKED},
      {"auto 3-state, checked", BS_AUTO3STATE, BST_CHECKED, BST_CHECKED, BST_INDETERMINATE},
      {"auto 3-state, indeterminate", BS_AUTO3STATE, BST_INDETERMINATE, BST_INDETERMINATE, BST_UNCHECKED},
      {"manual check box stays", BS_CHECKBOX, BST_CHECKED, BST_CHECKED, BST_CHECKED},
      {"manual 3-state stays", BS_3STATE, BST_INDETERMINATE, BST_INDETERMINATE, BST_INDETERMINATE},
      {"manual radio stays", BS_RADIOBUTTON, BST_UNCHECKED, BST_UNCHECKED, BST_UNCHECKED},
      {"auto radio checks", BS_AUTORADIOBUTTON, BST_UNCHECKED, BST_UNCHECKED, BST_CHECKED},
      {"push button has no check", BS_PUSHBUTTON, BST_CHECKED, BST_UNCHECKED, BST_UNCHECKED},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    HWND button = Control("Button", "Option", c.type | WS_GROUP, 7);
    ClearLog();
    SendMessageA(button, BM_SETCHECK, c.start, 0);
    EXPECT_EQ(SendMessageA(button, BM_GETCHECK, 0, 0), c.afterSet);
    EXPECT_EQ(Notices(), Lines{});
    SendMessageA(button, BM_CLICK, 0, 0);
    EXPECT_EQ(SendMessageA(button, BM_GETCHECK, 0, 0), c.afterClick);
    EXPECT_EQ(Notices(), Lines{"BN_CLICKED 7"});
    DestroyWindow(button);
  }
}

TEST_F(Buttons, DisabledButtonIgnoresBmClick) {
  HWND button = Control("Button", "OK", BS_PUSHBUTTON, 1);
  EnableWindow(button, FALSE);
  ClearLog();
  SendMessageA(button, BM_CLICK, 0, 0);
  EXPECT_EQ(Notices(), Lines{});
}

// What each radio button's procedure (possibly a subclass) saw of BM_SETCHECK.
std::vector<std::pair<HWND, WPARAM>>& SetChecks() {
  static std::vector<std::pair<HWND, WPARAM>> seen;
  return seen;
}
WNDPROC gButtonProc = nullptr;
HWND gStubborn = nullptr;

LRESULT CALLBACK WatchingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == BM_SETCHECK) {
    SetChecks().emplace_back(hwnd, wParam);
    if (hwnd == gStubborn && wParam == BST_UNCHECKED) return 0;  // refuses to be unchecked
  }
  return CallWindowProcA(gButtonProc, hwnd, msg, wParam, lParam);
}

TEST_F(Buttons, AutoRadioUnchecksItsGroupThroughEachButtonsCurrentProcedure) {
  HWND first = Control("Button", "A", BS_AUTORADIOBUTTON | WS_GROUP, 1);
  HWND second = Control("Button", "B", BS_AUTORADIOBUTTON, 2);
  HWND third = Control("Button", "C", BS_AUTORADIOBUTTON, 3);
  HWND plain = Control("Button", "D", BS_RADIOBUTTON, 4);
  HWND nextGroup = Control("Button", "E", BS_AUTORADIOBUTTON | WS_GROUP, 5);
  for (HWND radio : {first, second, plain})
    gButtonProc = reinterpret_cast<WNDPROC>(SetWindowLongA(radio, GWL_WNDPROC, reinterpret_cast<LONG>(WatchingProc)));
  SendMessageA(second, BM_SETCHECK, BST_CHECKED, 0);
  SendMessageA(plain, BM_SETCHECK, BST_CHECKED, 0);
  SendMessageA(nextGroup, BM_SETCHECK, BST_CHECKED, 0);
  gStubborn = first;
  SendMessageA(first, BM_SETCHECK, BST_CHECKED, 0);
  SetChecks().clear();
  ClearLog();

  SendMessageA(third, BM_CLICK, 0, 0);

  EXPECT_EQ(Notices(), Lines{"BN_CLICKED 3"});
  const std::vector<std::pair<HWND, WPARAM>> expected = {
      {first, BST_UNCHECKED}, {second, BST_UNCHECKED}, {plain, BST_UNCHECKED}};
  EXPECT_EQ(SetChecks(), expected);  // the group's other radios, in template order, through their subclasses
  struct Row {
    const char* name;
    HWND radio;
    LRESULT check;
    bool tabStop;
  };
  const Row rows[] = {
      {"the stubborn subclass kept its check", first, BST_CHECKED, true},
      {"unchecked", second, BST_UNCHECKED, false},
      {"the clicked one", third, BST_CHECKED, true},
      {"a manual radio of the group", plain, BST_UNCHECKED, false},
      {"another group is untouched", nextGroup, BST_CHECKED, true},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(SendMessageA(row.radio, BM_GETCHECK, 0, 0), row.check);
    EXPECT_EQ((GetWindowLongA(row.radio, GWL_STYLE) & WS_TABSTOP) != 0, row.tabStop);
  }
  gStubborn = nullptr;
}

TEST_F(Buttons, PostedButtonDownAndUpClickWhenReleasedInside) {
  struct Case {
    const char* name;
    POINT up;
    Lines notices;
  };
  const Case cases[] = {
      {"released inside", {5, 5}, {"BN_CLICKED 9"}},
      {"released outside", {200, 5}, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    HWND button = Control("Button", "Apply", BS_PUSHBUTTON, 9);
    ClearLog();
    PostMessageA(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    PumpMessages();
    EXPECT_EQ(SendMessageA(button, BM_GETSTATE, 0, 0), BST_PUSHED | BST_FOCUS);
    EXPECT_EQ(GetCapture(), button);
    EXPECT_EQ(GetFocus(), button);
    PostMessageA(button, WM_LBUTTONUP, 0, MAKELPARAM(c.up.x, c.up.y));
    PumpMessages();
    EXPECT_EQ(SendMessageA(button, BM_GETSTATE, 0, 0), BST_FOCUS);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(Notices(), c.notices);
    DestroyWindow(button);
  }
}

TEST_F(Buttons, ARealMouseClickReachesTheButton) {
  HWND button = Control("Button", "Apply", BS_PUSHBUTTON, 9);
  POINT centre{50, 12};
  ClientToScreen(button, &centre);
  ClearLog();
  Click(centre.x, centre.y);
  PumpMessages();
  EXPECT_EQ(Notices(), Lines{"BN_CLICKED 9"});
}

TEST_F(Buttons, SpaceBarPressesAndReleaseClicks) {
  HWND button = Control("Button", "Apply", BS_AUTOCHECKBOX, 4);
  SetFocus(button);
  ClearLog();
  SendMessageA(button, WM_KEYDOWN, VK_SPACE, 0);
  EXPECT_TRUE(SendMessageA(button, BM_GETSTATE, 0, 0) & BST_PUSHED);
  EXPECT_EQ(Notices(), Lines{});
  SendMessageA(button, WM_KEYUP, VK_SPACE, 0);
  EXPECT_EQ(Notices(), Lines{"BN_CLICKED 4"});
  EXPECT_EQ(SendMessageA(button, BM_GETCHECK, 0, 0), BST_CHECKED);
}

TEST_F(Buttons, DialogCodesAndBmSetStyle) {
  struct Case {
    DWORD type;
    LRESULT code;
  };
  const Case cases[] = {
      {BS_PUSHBUTTON, DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON},
      {BS_DEFPUSHBUTTON, DLGC_BUTTON | DLGC_DEFPUSHBUTTON},
      {BS_CHECKBOX, DLGC_BUTTON},
      {BS_AUTOCHECKBOX, DLGC_BUTTON},
      {BS_3STATE, DLGC_BUTTON},
      {BS_RADIOBUTTON, DLGC_BUTTON | DLGC_RADIOBUTTON},
      {BS_AUTORADIOBUTTON, DLGC_BUTTON | DLGC_RADIOBUTTON},
      {BS_GROUPBOX, DLGC_STATIC},
      {BS_OWNERDRAW, DLGC_BUTTON},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.type);
    HWND button = Control("Button", "x", c.type | BS_LEFT, 1);
    EXPECT_EQ(SendMessageA(button, WM_GETDLGCODE, 0, 0), c.code);
    DestroyWindow(button);
  }
  HWND button = Control("Button", "OK", BS_PUSHBUTTON | BS_RIGHT, 1);
  SendMessageA(button, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
  EXPECT_EQ(SendMessageA(button, WM_GETDLGCODE, 0, 0), DLGC_BUTTON | DLGC_DEFPUSHBUTTON);
  EXPECT_EQ(GetWindowLongA(button, GWL_STYLE) & (BS_TYPEMASK | BS_RIGHT), BS_DEFPUSHBUTTON | BS_RIGHT);
  EXPECT_EQ(SendMessageA(Control("Button", "", BS_GROUPBOX, 2), WM_NCHITTEST, 0, 0), HTTRANSPARENT);
}

TEST_F(Buttons, OwnerDrawnButtonDescribesEachDrawing) {
  std::vector<DRAWITEMSTRUCT> drawn;
  Recorder::Get().answer = [&](HWND, UINT msg, WPARAM wParam, LPARAM lParam) -> std::optional<LRESULT> {
    if (msg != WM_DRAWITEM) return std::nullopt;
    auto item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    EXPECT_EQ(wParam, item.CtlID);
    EXPECT_NE(item.hDC, nullptr);
    drawn.push_back(item);
    return TRUE;
  };
  HWND button = Control("Button", "Draw me", BS_OWNERDRAW, 12, {20, 30, 100, 60});
  struct Step {
    const char* name;
    std::function<void()> act;
    UINT action, state;
  };
  const Step steps[] = {
      {"first paint", [] { PumpMessages(); }, ODA_DRAWENTIRE, 0},
      {"focus", [&] { SetFocus(button); }, ODA_FOCUS, ODS_FOCUS},
      {"pressed", [&] { SendMessageA(button, BM_SETSTATE, TRUE, 0); }, ODA_SELECT, ODS_SELECTED | ODS_FOCUS},
      {"released", [&] { SendMessageA(button, BM_SETSTATE, FALSE, 0); }, ODA_SELECT, ODS_FOCUS},
      {"disabled",
       [&] {
         EnableWindow(button, FALSE);
         PumpMessages();
       },
       ODA_DRAWENTIRE, ODS_DISABLED | ODS_FOCUS},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.name);
    drawn.clear();
    step.act();
    ASSERT_EQ(drawn.size(), 1u);
    EXPECT_EQ(drawn[0].CtlType, static_cast<UINT>(ODT_BUTTON));
    EXPECT_EQ(drawn[0].CtlID, 12u);
    EXPECT_EQ(drawn[0].itemID, 0u);
    EXPECT_EQ(drawn[0].itemAction, step.action);
    EXPECT_EQ(drawn[0].itemState, step.state);
    EXPECT_EQ(drawn[0].hwndItem, button);
    RECT expected{0, 0, 80, 30};
    EXPECT_TRUE(EqualRect(&drawn[0].rcItem, &expected));
  }
  ClearLog();
  SendMessageA(button, WM_PAINT, reinterpret_cast<WPARAM>(GetDC(nullptr)), 0);
  EXPECT_EQ(Notices(true), (Lines{"WM_CTLCOLORBTN", "WM_DRAWITEM"}));
}

TEST_F(Buttons, APushedButtonLooksPressed) {
  HWND button = Control("Button", "OK", BS_PUSHBUTTON, 1, {10, 10, 85, 33});
  struct Case {
    const char* name;
    BOOL pushed;
    COLORREF topLeft, inner, bottomRight;
  };
  const Case cases[] = {
      {"raised", FALSE, GetSysColor(COLOR_3DHILIGHT), GetSysColor(COLOR_3DLIGHT), GetSysColor(COLOR_3DDKSHADOW)},
      {"pressed", TRUE, GetSysColor(COLOR_3DDKSHADOW), GetSysColor(COLOR_3DSHADOW), GetSysColor(COLOR_3DDKSHADOW)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SendMessageA(button, BM_SETSTATE, c.pushed, 0);
    auto picture = Draw(button);
    ASSERT_EQ(picture.width, 75);
    EXPECT_EQ(picture.At(0, 0), c.topLeft);
    EXPECT_EQ(picture.At(1, 1), c.inner);
    EXPECT_EQ(picture.At(74, 22), c.bottomRight);
    EXPECT_EQ(picture.At(4, 4), GetSysColor(COLOR_3DFACE));
  }
}

TEST_F(Buttons, ACheckBoxFillsWithTheParentsBrush) {
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  Recorder::Get().answer = [&](HWND, UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (msg == WM_CTLCOLORSTATIC) return reinterpret_cast<LRESULT>(red);
    return std::nullopt;
  };
  HWND box = Control("Button", "", BS_AUTOCHECKBOX, 3, {10, 10, 110, 30});
  SendMessageA(box, BM_SETCHECK, BST_CHECKED, 0);
  ClearLog();
  auto picture = Draw(box);
  EXPECT_EQ(Notices(true), Lines{"WM_CTLCOLORSTATIC"});
  EXPECT_EQ(picture.At(90, 10), RGB(255, 0, 0));
  EXPECT_EQ(picture.At(0, 3), GetSysColor(COLOR_3DSHADOW));  // the sunken box
  EXPECT_EQ(picture.At(2, 3 + 2), GetSysColor(COLOR_WINDOW));
  int inked = 0;  // the check mark
  for (int y = 5; y < 14; ++y)
    for (int x = 2; x < 11; ++x) inked += picture.At(x, y) == GetSysColor(COLOR_WINDOWTEXT);
  EXPECT_GT(inked, 10);
  DeleteObject(red);
}

// Windows 95 draws a disabled push button's label embossed: highlight one pixel down-right, then grey.
TEST_F(Buttons, ADisabledPushButtonStillShowsItsLabel) {
  HWND button = Control("Button", "Reset", BS_PUSHBUTTON, 1, {10, 10, 85, 33});
  EnableWindow(button, FALSE);
  auto picture = Draw(button);
  int grey = 0;
  for (int y = 0; y < picture.height; ++y)
    for (int x = 0; x < picture.width; ++x) grey += picture.At(x, y) == GetSysColor(COLOR_GRAYTEXT);
  EXPECT_GT(grey, 10);
}

// A group box's "&" marks its mnemonic: the caption, and the gap it leaves in the frame, are those of the text
// without it.
TEST_F(Buttons, AGroupBoxCaptionHidesItsMnemonicMark) {
  auto frameLinePixels = [&](const char* caption) {
    HWND box = Control("Button", caption, BS_GROUPBOX, 3, {10, 10, 210, 90});
    auto picture = Draw(box);
    DestroyWindow(box);
    int line = 0;
    for (int y = 0; y < 12; ++y) {
      int shadow = 0;
      for (int x = 0; x < picture.width; ++x) shadow += picture.At(x, y) == GetSysColor(COLOR_3DSHADOW);
      line = std::max(line, shadow);
    }
    return line;
  };
  EXPECT_EQ(frameLinePixels("&Color palette"), frameLinePixels("Color palette"));
}

}  // namespace
}  // namespace host::user::testing
