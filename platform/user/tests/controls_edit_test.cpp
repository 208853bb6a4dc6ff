// Single-line edits: notifications for every change of the text (the
// program's too), typing under ES_NUMBER / ES_READONLY / a limit, editing
// keys, the selection, the caret and horizontal scrolling.
#include "controls_test_support.h"

namespace host::user::testing {
namespace {

using Edits = ControlTest;
using Lines = std::vector<std::string>;

void Type(HWND edit, const std::string& text) {
  for (char c : text) SendMessageA(edit, WM_CHAR, static_cast<unsigned char>(c), 1);
}

TEST_F(Edits, SetWindowTextSendsUpdateAndChangeEveryTime) {
  HWND edit = Control("Edit", "start", ES_AUTOHSCROLL, 5);
  ClearLog();
  const char* texts[] = {"new", "new", ""};  // the same text again is a change too
  for (const char* text : texts) {
    SCOPED_TRACE(text);
    ClearLog();
    EXPECT_TRUE(SetWindowTextA(edit, text));
    EXPECT_EQ(Notices(), (Lines{"EN_UPDATE 5", "EN_CHANGE 5"}));
    EXPECT_EQ(Text(edit), text);
    EXPECT_EQ(GetWindowTextLengthA(edit), lstrlenA(text));
  }
  ClearLog();
  SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("direct"));
  EXPECT_EQ(Notices(), (Lines{"EN_UPDATE 5", "EN_CHANGE 5"}));
  EXPECT_FALSE(SendMessageA(edit, EM_GETMODIFY, 0, 0));  // the program's text is no modification
  Type(edit, "x");
  EXPECT_TRUE(SendMessageA(edit, EM_GETMODIFY, 0, 0));
}

TEST_F(Edits, TypingFollowsTheStyle) {
  struct Case {
    const char* name;
    DWORD style;
    const char* typed;
    const char* result;
    size_t beeps;
  };
  const Case cases[] = {
      {"plain", ES_AUTOHSCROLL, "12a3", "12a3", 0},
      {"number refuses letters", ES_AUTOHSCROLL | ES_NUMBER, "12a3-", "123", 2},
      {"read-only takes nothing", ES_AUTOHSCROLL | ES_READONLY, "12", "", 0},
      {"upper case", ES_AUTOHSCROLL | ES_UPPERCASE, "Ab", "AB", 0},
      {"lower case", ES_AUTOHSCROLL | ES_LOWERCASE, "Ab", "ab", 0},
      {"control characters are not text", ES_AUTOHSCROLL,
       "a\t\r\x1b"
       "b",
       "ab", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    HWND edit = Control("Edit", "", c.style, 5);
    ClearBeeps();
    Type(edit, c.typed);
    EXPECT_EQ(Text(edit), c.result);
    EXPECT_EQ(Beeps().size(), c.beeps);
    DestroyWindow(edit);
  }
}

TEST_F(Edits, EachTypedCharacterIsOneChange) {
  HWND edit = Control("Edit", "", ES_AUTOHSCROLL | ES_NUMBER, 6);
  ClearLog();
  Type(edit, "1x");
  EXPECT_EQ(Notices(), (Lines{"EN_UPDATE 6", "EN_CHANGE 6"}));
}

TEST_F(Edits, LimitTextStopsTypingButNotTheProgram) {
  HWND edit = Control("Edit", "", ES_AUTOHSCROLL, 5);
  EXPECT_EQ(SendMessageA(edit, EM_GETLIMITTEXT, 0, 0), 30000);
  SendMessageA(edit, EM_LIMITTEXT, 3, 0);
  EXPECT_EQ(SendMessageA(edit, EM_GETLIMITTEXT, 0, 0), 3);
  ClearLog();
  Type(edit, "abcd");
  EXPECT_EQ(Text(edit), "abc");
  EXPECT_EQ(Notices().back(), "EN_MAXTEXT 5");
  SendMessageA(edit, EM_SETSEL, 1, 2);
  Type(edit, "X");  // replacing a selection fits
  EXPECT_EQ(Text(edit), "aXc");
  SetWindowTextA(edit, "longer than three");
  EXPECT_EQ(Text(edit), "longer than three");
  SendMessageA(edit, EM_SETSEL, 0, -1);
  SendMessageA(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>("12345"));
  EXPECT_EQ(Text(edit), "123");  // EM_REPLACESEL is cut to the limit
  SendMessageA(edit, EM_LIMITTEXT, 0, 0);
  EXPECT_EQ(SendMessageA(edit, EM_GETLIMITTEXT, 0, 0), 0x7FFE);
}

TEST_F(Edits, SetSelAndGetSel) {
  HWND edit = Control("Edit", "hello", ES_AUTOHSCROLL, 5);
  struct Case {
    int start, end;
    DWORD selStart, selEnd;
  };
  const Case cases[] = {
      {1, 3, 1, 3},  {3, 1, 1, 3}, {0, -1, 0, 5},
      {2, 99, 2, 5}, {4, 4, 4, 4}, {-1, 0, 4, 4},  // -1 deselects and leaves the caret
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.start << "," << c.end);
    SendMessageA(edit, EM_SETSEL, c.start, c.end);
    DWORD start = 99, end = 99;
    LRESULT both = SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, c.selStart);
    EXPECT_EQ(end, c.selEnd);
    EXPECT_EQ(both, MAKELRESULT(c.selStart, c.selEnd));
  }
  SendMessageA(edit, EM_SETSEL, 1, 4);
  Type(edit, "i");
  EXPECT_EQ(Text(edit), "hio");
}

TEST_F(Edits, EditingKeysMoveTheCaretAndDelete) {
  HWND edit = Control("Edit", "hello", ES_AUTOHSCROLL, 5);
  SetFocus(edit);
  SendMessageA(edit, EM_SETSEL, 5, 5);
  struct Step {
    const char* name;
    std::vector<UINT> keys;
    const char* text;
    DWORD caret;
  };
  const Step steps[] = {
      {"left twice, backspace", {VK_LEFT, VK_LEFT, VK_BACK}, "helo", 2},
      {"home, delete", {VK_HOME, VK_DELETE}, "elo", 0},
      {"end, left, right", {VK_END, VK_LEFT, VK_RIGHT}, "elo", 3},
      {"up and down act as left and right", {VK_UP, VK_UP, VK_DOWN}, "elo", 2},
      {"backspace at the start does nothing", {VK_HOME, VK_BACK}, "elo", 0},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.name);
    for (UINT key : step.keys) TypeKey(key);
    PumpMessages();
    EXPECT_EQ(Text(edit), step.text);
    DWORD start = 0, end = 0;
    SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, step.caret);
    EXPECT_EQ(end, step.caret);
  }
  PressKey(VK_SHIFT);
  TypeKey(VK_END);
  ReleaseKey(VK_SHIFT);
  PumpMessages();
  EXPECT_EQ(SendMessageA(edit, EM_GETSEL, 0, 0), MAKELRESULT(0, 3));
  TypeText("ok");
  PumpMessages();
  EXPECT_EQ(Text(edit), "ok");
}

TEST_F(Edits, FocusIsToldToTheParent) {
  HWND edit = Control("Edit", "", ES_AUTOHSCROLL, 8);
  HWND other = Control("Button", "b", BS_PUSHBUTTON, 9, {10, 50, 60, 70});
  ClearLog();
  SetFocus(edit);
  SetFocus(other);
  EXPECT_EQ(Notices(), (Lines{"EN_SETFOCUS 8", "EN_KILLFOCUS 8"}));
  EXPECT_EQ(SendMessageA(edit, WM_GETDLGCODE, 0, 0), DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS);
}

TEST_F(Edits, ReadOnlyCanBeSwitchedAndColoursAsStatic) {
  HWND edit = Control("Edit", "", ES_AUTOHSCROLL, 5);
  struct Case {
    BOOL readOnly;
    const char* typed;
    const char* colour;
  };
  const Case cases[] = {{TRUE, "", "WM_CTLCOLORSTATIC"}, {FALSE, "a", "WM_CTLCOLOREDIT"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.readOnly);
    EXPECT_TRUE(SendMessageA(edit, EM_SETREADONLY, c.readOnly, 0));
    EXPECT_EQ((GetWindowLongA(edit, GWL_STYLE) & ES_READONLY) != 0, c.readOnly != 0);
    SetWindowTextA(edit, "");
    Type(edit, "a");
    EXPECT_EQ(Text(edit), c.typed);
    ClearLog();
    Draw(edit);
    EXPECT_EQ(Notices(true), Lines{c.colour});
  }
}

TEST_F(Edits, CaretPositionAndScrolling) {
  HWND wide = Control("Edit", "", ES_AUTOHSCROLL, 1, {10, 10, 310, 30});
  HWND narrow = Control("Edit", "", ES_AUTOHSCROLL, 2, {10, 40, 50, 60});
  HWND fixed = Control("Edit", "", 0, 3, {10, 70, 50, 90});
  HWND right = Control("Edit", "ab", ES_AUTOHSCROLL | ES_RIGHT, 4, {10, 100, 310, 120});
  const std::string text = "a fairly long line of text";
  for (HWND edit : {wide, narrow, fixed}) Type(edit, text);
  EXPECT_EQ(Text(wide), text);
  EXPECT_EQ(Text(narrow), text);
  EXPECT_LT(Text(fixed).size(), text.size());  // without ES_AUTOHSCROLL the text stops at the width
  EXPECT_FALSE(Text(fixed).empty());

  auto x = [](HWND edit, size_t index) {
    return static_cast<SHORT>(LOWORD(SendMessageA(edit, EM_POSFROMCHAR, index, 0)));
  };
  EXPECT_EQ(x(wide, 0), 1);
  EXPECT_GT(x(wide, text.size()), x(wide, 1));
  EXPECT_EQ(SendMessageA(wide, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
  // The narrow edit scrolled so the caret at the end shows.
  EXPECT_GT(SendMessageA(narrow, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
  EXPECT_LT(x(narrow, 0), 0);
  EXPECT_LE(x(narrow, text.size()), 40);
  SendMessageA(narrow, EM_SETSEL, 0, 0);
  EXPECT_EQ(x(narrow, 0), 1);
  // Right-aligned text ends at the right edge; a click finds the character under it.
  EXPECT_GT(x(right, 0), 250);
  EXPECT_EQ(LOWORD(SendMessageA(wide, EM_CHARFROMPOS, 0, MAKELPARAM(x(wide, 3) + 1, 5))), 3);
  EXPECT_EQ(SendMessageA(wide, EM_POSFROMCHAR, text.size() + 1, 0), -1);
}

TEST_F(Edits, AClickPlacesTheCaretAndTakesTheFocus) {
  HWND edit = Control("Edit", "abcdef", ES_AUTOHSCROLL, 1, {10, 10, 310, 30});
  int at = static_cast<SHORT>(LOWORD(SendMessageA(edit, EM_POSFROMCHAR, 2, 0)));
  ClearLog();
  PostMessageA(edit, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at + 1, 5));
  PostMessageA(edit, WM_LBUTTONUP, 0, MAKELPARAM(at + 1, 5));
  PumpMessages();
  EXPECT_EQ(GetFocus(), edit);
  EXPECT_EQ(SendMessageA(edit, EM_GETSEL, 0, 0), MAKELRESULT(2, 2));
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(Notices(), Lines{"EN_SETFOCUS 1"});
}

TEST_F(Edits, TextMessagesAndUndo) {
  HWND edit = Control("Edit", "first", ES_AUTOHSCROLL, 1);
  char small[4];
  EXPECT_EQ(SendMessageA(edit, WM_GETTEXT, sizeof small, reinterpret_cast<LPARAM>(small)), 3);
  EXPECT_STREQ(small, "fir");
  EXPECT_EQ(SendMessageA(edit, EM_LINELENGTH, 0, 0), 5);
  EXPECT_EQ(SendMessageA(edit, EM_GETLINECOUNT, 0, 0), 1);
  char line[16] = {10, 0};
  EXPECT_EQ(SendMessageA(edit, EM_GETLINE, 0, reinterpret_cast<LPARAM>(line)), 5);
  EXPECT_EQ(std::string(line, 5), "first");
  EXPECT_FALSE(SendMessageA(edit, EM_CANUNDO, 0, 0));
  SendMessageA(edit, EM_SETSEL, 5, 5);
  Type(edit, "!");
  EXPECT_TRUE(SendMessageA(edit, EM_CANUNDO, 0, 0));
  EXPECT_TRUE(SendMessageA(edit, EM_UNDO, 0, 0));
  EXPECT_EQ(Text(edit), "first");
  SendMessageA(edit, EM_SETPASSWORDCHAR, '#', 0);
  EXPECT_EQ(SendMessageA(edit, EM_GETPASSWORDCHAR, 0, 0), '#');
  EXPECT_EQ(Text(edit), "first");  // the mask is only shown
}

}  // namespace
}  // namespace host::user::testing
