// Combo boxes: the program's selection is silent, the user's is told;
// dropping and closing the list; the edit of a drop-down combo box.
#include "controls_test_support.h"

namespace host::user::testing {
namespace {

using Combos = ControlTest;
using Lines = std::vector<std::string>;

HWND DroppedList() { return FindWindowA("ComboLBox", nullptr); }

class Filled : public ControlTest {
 protected:
  HWND Combo(DWORD type, int id = 7) {
    HWND combo = Control("ComboBox", "", type | WS_VSCROLL, id, {10, 10, 160, 150});
    for (const char* text : {"640 x 480", "800 x 600", "1024 x 768"})
      SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    ClearLog();
    return combo;
  }
};

TEST_F(Filled, SetCurSelIsSilentAndShowsTheItem) {
  for (DWORD type : {CBS_DROPDOWN, CBS_DROPDOWNLIST}) {
    SCOPED_TRACE(type);
    HWND combo = Combo(type);
    EXPECT_EQ(SendMessageA(combo, CB_SETCURSEL, 1, 0), 1);
    EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(Text(combo), "800 x 600");
    EXPECT_EQ(SendMessageA(combo, CB_SETCURSEL, 5, 0), CB_ERR);
    EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(-1), 0), CB_ERR);
    EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), CB_ERR);
    EXPECT_EQ(Text(combo), "");
    EXPECT_EQ(Notices(), Lines{});  // no CBN_SELCHANGE, and no CBN_EDITCHANGE from the edit either
    DestroyWindow(combo);
  }
}

TEST_F(Filled, ItemMessagesPassToTheList) {
  HWND combo = Combo(CBS_DROPDOWNLIST | CBS_SORT);
  EXPECT_EQ(SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("1152 x 864")), 1);  // sorted
  EXPECT_EQ(SendMessageA(combo, CB_GETCOUNT, 0, 0), 4);
  EXPECT_EQ(SendMessageA(combo, CB_GETLBTEXTLEN, 3, 0), 9);
  char text[32];
  EXPECT_EQ(SendMessageA(combo, CB_GETLBTEXT, 3, reinterpret_cast<LPARAM>(text)), 9);
  EXPECT_STREQ(text, "800 x 600");
  EXPECT_EQ(SendMessageA(combo, CB_GETLBTEXT, 9, reinterpret_cast<LPARAM>(text)), CB_ERR);
  EXPECT_EQ(SendMessageA(combo, CB_FINDSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("64")), 2);
  EXPECT_EQ(SendMessageA(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("64")), CB_ERR);
  EXPECT_EQ(SendMessageA(combo, CB_SETITEMDATA, 2, 640), CB_OKAY);
  EXPECT_EQ(SendMessageA(combo, CB_GETITEMDATA, 2, 0), 640);
  EXPECT_EQ(SendMessageA(combo, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("10")), 0);
  EXPECT_EQ(Text(combo), "1024 x 768");
  // A drop-down list's text must name an item.
  EXPECT_EQ(SendMessageA(combo, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("800 x 600")), TRUE);
  EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), 3);
  EXPECT_EQ(SendMessageA(combo, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("nonsense")), CB_ERR);
  EXPECT_EQ(SendMessageA(combo, CB_DELETESTRING, 0, 0), 3);
  EXPECT_EQ(SendMessageA(combo, CB_RESETCONTENT, 0, 0), CB_OKAY);
  EXPECT_EQ(SendMessageA(combo, CB_GETCOUNT, 0, 0), 0);
  EXPECT_EQ(Notices(), Lines{});
}

TEST_F(Filled, TheWindowIsTheFieldAndTheListDropsBelow) {
  HWND combo = Combo(CBS_DROPDOWNLIST);
  RECT rect, dropped;
  GetWindowRect(combo, &rect);
  EXPECT_LT(rect.bottom - rect.top, 30);
  SendMessageA(combo, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped));
  EXPECT_EQ(dropped.bottom - dropped.top, 140);

  EXPECT_FALSE(SendMessageA(combo, CB_GETDROPPEDSTATE, 0, 0));
  SendMessageA(combo, CB_SHOWDROPDOWN, TRUE, 0);
  EXPECT_TRUE(SendMessageA(combo, CB_GETDROPPEDSTATE, 0, 0));
  HWND list = DroppedList();
  ASSERT_NE(list, nullptr);
  EXPECT_TRUE(IsWindowVisible(list));
  RECT listRect;
  GetWindowRect(list, &listRect);
  EXPECT_EQ(listRect.top, rect.bottom);
  EXPECT_EQ(listRect.left, rect.left);
  SendMessageA(combo, CB_SHOWDROPDOWN, FALSE, 0);
  EXPECT_FALSE(IsWindowVisible(list));
  EXPECT_EQ(Notices(), (Lines{"CBN_DROPDOWN 7", "CBN_CLOSEUP 7"}));
  DestroyWindow(combo);
  EXPECT_EQ(DroppedList(), nullptr);  // the list goes with its combo box
}

TEST_F(Filled, ChoosingInTheDroppedListIsTheUsersChange) {
  struct Case {
    const char* name;
    std::function<void(HWND list, int height)> act;
    LRESULT selection;
    Lines notices;
  };
  const Case cases[] = {
      {"click an item",
       [](HWND list, int height) {
         PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 2 * height + 1));
         PostMessageA(list, WM_LBUTTONUP, 0, MAKELPARAM(5, 2 * height + 1));
       },
       2,
       {"CBN_DROPDOWN 7", "CBN_SELCHANGE 7", "CBN_CLOSEUP 7", "CBN_SELENDOK 7"}},
      {"click the selected item",
       [](HWND list, int height) {
         PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, height / 2));
         PostMessageA(list, WM_LBUTTONUP, 0, MAKELPARAM(5, height / 2));
       },
       0,
       {"CBN_DROPDOWN 7", "CBN_CLOSEUP 7", "CBN_SELENDOK 7"}},
      {"click outside",
       [](HWND list, int) { PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, -40)); },
       0,
       {"CBN_DROPDOWN 7", "CBN_CLOSEUP 7", "CBN_SELENDCANCEL 7"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    HWND combo = Combo(CBS_DROPDOWNLIST);
    SendMessageA(combo, CB_SETCURSEL, 0, 0);
    PostMessageA(combo, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 5));
    PostMessageA(combo, WM_LBUTTONUP, 0, MAKELPARAM(20, 5));  // the release that dropped it leaves it open
    PumpMessages();
    ASSERT_TRUE(SendMessageA(combo, CB_GETDROPPEDSTATE, 0, 0));
    EXPECT_EQ(GetFocus(), combo);
    HWND list = DroppedList();
    ClearLog();
    Recorder::Get().Clear();
    c.act(list, static_cast<int>(SendMessageA(combo, CB_GETITEMHEIGHT, 0, 0)));
    PumpMessages();
    EXPECT_FALSE(SendMessageA(combo, CB_GETDROPPEDSTATE, 0, 0));
    EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), c.selection);
    auto notices = Notices();
    notices.insert(notices.begin(), "CBN_DROPDOWN 7");  // told before the log was cleared
    EXPECT_EQ(notices, c.notices);
    DestroyWindow(combo);
  }
}

TEST_F(Filled, ArrowKeysChangeTheSelectionOfAFocusedDropDownList) {
  HWND combo = Combo(CBS_DROPDOWNLIST);
  SetFocus(combo);
  EXPECT_EQ(Notices(), Lines{"CBN_SETFOCUS 7"});
  ClearLog();
  TypeKey(VK_DOWN);
  TypeKey(VK_DOWN);
  PumpMessages();
  EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), 1);
  EXPECT_EQ(Text(combo), "800 x 600");
  EXPECT_EQ(Notices(), (Lines{"CBN_SELCHANGE 7", "CBN_SELCHANGE 7"}));
  ClearLog();
  TypeKey(VK_F4);
  TypeKey(VK_DOWN);
  TypeKey(VK_RETURN);
  PumpMessages();
  EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), 2);
  EXPECT_EQ(Notices(), (Lines{"CBN_DROPDOWN 7", "CBN_SELCHANGE 7", "CBN_CLOSEUP 7", "CBN_SELENDOK 7"}));
  EXPECT_EQ(SendMessageA(combo, WM_GETDLGCODE, 0, 0), DLGC_WANTARROWS | DLGC_WANTCHARS);
}

TEST_F(Filled, TheEditOfADropDownTellsTheUsersTyping) {
  HWND combo = Combo(CBS_DROPDOWN | CBS_AUTOHSCROLL);
  HWND edit = GetDlgItem(combo, 1001);
  ASSERT_NE(edit, nullptr);
  SetFocus(combo);
  EXPECT_EQ(GetFocus(), edit);
  EXPECT_EQ(Notices(), Lines{"CBN_SETFOCUS 7"});
  ClearLog();
  SetWindowTextA(combo, "by program");
  EXPECT_EQ(Text(edit), "by program");
  EXPECT_EQ(Notices(), Lines{});
  SendMessageA(edit, EM_SETSEL, 0, -1);
  SendMessageA(edit, WM_CHAR, '7', 0);
  EXPECT_EQ(Text(combo), "7");
  EXPECT_EQ(Notices(), (Lines{"CBN_EDITUPDATE 7", "CBN_EDITCHANGE 7"}));
  ClearLog();
  SendMessageA(edit, WM_KEYDOWN, VK_DOWN, 0);  // the arrows of the edit move through the list
  EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), 0);
  EXPECT_EQ(Text(combo), "640 x 480");
  EXPECT_EQ(Notices(), Lines{"CBN_SELCHANGE 7"});
  ClearLog();
  HWND other = Control("Button", "b", BS_PUSHBUTTON, 9, {200, 10, 250, 30});
  SetFocus(other);
  EXPECT_EQ(Notices(), Lines{"CBN_KILLFOCUS 7"});
  EXPECT_EQ(SendMessageA(combo, CB_LIMITTEXT, 2, 0), TRUE);
  SetFocus(edit);
  SendMessageA(edit, EM_SETSEL, 0, -1);
  for (char c : std::string("abc")) SendMessageA(edit, WM_CHAR, c, 0);
  EXPECT_EQ(Text(combo), "ab");
}

TEST_F(Combos, ColourMessagesReachTheParent) {
  HWND combo = Control("ComboBox", "", CBS_DROPDOWN, 7, {10, 10, 160, 150});
  ClearLog();
  Draw(GetDlgItem(combo, 1001));
  Draw(combo);
  Draw(FindWindowA("ComboLBox", nullptr));
  EXPECT_EQ(Notices(true), (Lines{"WM_CTLCOLOREDIT", "WM_CTLCOLOREDIT", "WM_CTLCOLORLISTBOX"}));
  auto entries = Recorder::Get().Entries();
  EXPECT_EQ(reinterpret_cast<HWND>(entries.front().lParam), GetDlgItem(combo, 1001));
}

}  // namespace
}  // namespace host::user::testing
