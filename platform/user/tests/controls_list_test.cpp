// List boxes: the item messages (sorting, search, data, errors), silent
// selection by the program and notified selection by the user, owner-drawn
// items.
#include "controls_test_support.h"

namespace host::user::testing {
namespace {

using Lists = ControlTest;
using Lines = std::vector<std::string>;

LRESULT Add(HWND list, const char* text, UINT msg = LB_ADDSTRING) {
  return SendMessageA(list, msg, 0, reinterpret_cast<LPARAM>(text));
}

std::vector<std::string> Items(HWND list) {
  std::vector<std::string> items;
  LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    std::string text(SendMessageA(list, LB_GETTEXTLEN, i, 0) + 1, '\0');
    LRESULT length = SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text.data()));
    text.resize(length);
    items.push_back(text);
  }
  return items;
}

TEST_F(Lists, SortedListsInsertWithoutRegardToCase) {
  HWND list = Control("ListBox", "", LBS_SORT | WS_BORDER, 3, {10, 10, 150, 110});
  struct Step {
    const char* text;
    LRESULT index;
  };
  const Step steps[] = {{"pear", 0}, {"Apple", 0}, {"banana", 1}, {"apple", 1}, {"zebra", 4}};
  for (const auto& step : steps) EXPECT_EQ(Add(list, step.text), step.index) << step.text;
  EXPECT_EQ(Items(list), (Lines{"Apple", "apple", "banana", "pear", "zebra"}));
  // LB_INSERTSTRING never sorts.
  EXPECT_EQ(SendMessageA(list, LB_INSERTSTRING, 0, reinterpret_cast<LPARAM>("zzz")), 0);
  EXPECT_EQ(Items(list).front(), "zzz");
}

TEST_F(Lists, FindStringSearchesAfterTheStartAndWraps) {
  HWND list = Control("ListBox", "", WS_BORDER, 3, {10, 10, 150, 110});
  for (const char* text : {"Monitor", "monitor 2", "Mode", "Colour"}) Add(list, text);
  struct Case {
    UINT msg;
    int start;
    const char* key;
    LRESULT found;
  };
  const Case cases[] = {
      {LB_FINDSTRING, -1, "mo", 0},
      {LB_FINDSTRING, 0, "mo", 1},
      {LB_FINDSTRING, 2, "mo", 0},
      {LB_FINDSTRING, 1, "MODE", 2},
      {LB_FINDSTRING, -1, "x", LB_ERR},
      {LB_FINDSTRING, 99, "Col", 3},
      {LB_FINDSTRING, -1, "", 0},
      {LB_FINDSTRINGEXACT, -1, "MONITOR", 0},
      {LB_FINDSTRINGEXACT, -1, "Mon", LB_ERR},
      {LB_FINDSTRINGEXACT, 0, "monitor", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.msg << " " << c.start << " " << c.key);
    EXPECT_EQ(SendMessageA(list, c.msg, static_cast<WPARAM>(c.start), reinterpret_cast<LPARAM>(c.key)), c.found);
  }
  EXPECT_EQ(SendMessageA(list, LB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("col")), 3);
  EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), 3);
}

TEST_F(Lists, ItemMessagesAndTheirErrors) {
  HWND list = Control("ListBox", "", WS_BORDER, 3, {10, 10, 150, 110});
  for (const char* text : {"a", "b", "c"}) Add(list, text);
  char buffer[8];
  struct Case {
    const char* name;
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
    LRESULT result;
  };
  const Case cases[] = {
      {"insert at the end", LB_INSERTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("d"), 3},
      {"insert past the end", LB_INSERTSTRING, 9, reinterpret_cast<LPARAM>("x"), LB_ERR},
      {"text of a missing item", LB_GETTEXT, 9, reinterpret_cast<LPARAM>(buffer), LB_ERR},
      {"length of a missing item", LB_GETTEXTLEN, static_cast<WPARAM>(-1), 0, LB_ERR},
      {"data of a missing item", LB_GETITEMDATA, 4, 0, LB_ERR},
      {"set data", LB_SETITEMDATA, 1, 0x1234, LB_OKAY},
      {"get data", LB_GETITEMDATA, 1, 0, 0x1234},
      {"set data of a missing item", LB_SETITEMDATA, 4, 1, LB_ERR},
      {"delete a missing item", LB_DELETESTRING, 4, 0, LB_ERR},
      {"delete answers the count left", LB_DELETESTRING, 0, 0, 3},
      {"data moved with its item", LB_GETITEMDATA, 0, 0, 0x1234},
      {"select", LB_SETCURSEL, 2, 0, 2},
      {"select a missing item", LB_SETCURSEL, 3, 0, LB_ERR},
      {"the selection stayed", LB_GETCURSEL, 0, 0, 2},
      {"-1 clears and answers LB_ERR", LB_SETCURSEL, static_cast<WPARAM>(-1), 0, LB_ERR},
      {"nothing selected", LB_GETCURSEL, 0, 0, LB_ERR},
      {"multiple selection is refused", LB_GETSELCOUNT, 0, 0, LB_ERR},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(SendMessageA(list, c.msg, c.wParam, c.lParam), c.result);
  }
  EXPECT_EQ(Items(list), (Lines{"b", "c", "d"}));
  SendMessageA(list, LB_SETCURSEL, 1, 0);
  SendMessageA(list, LB_DELETESTRING, 0, 0);
  EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), 0);  // the selection follows its item
  SendMessageA(list, LB_DELETESTRING, 0, 0);
  EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), LB_ERR);  // and goes with it
  EXPECT_EQ(SendMessageA(list, LB_RESETCONTENT, 0, 0), LB_OKAY);
  EXPECT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 0);
}

TEST_F(Lists, TheProgramSelectsSilentlyTheUserWithNotification) {
  struct Case {
    const char* name;
    DWORD style;
    Lines clicked, keyed, doubleClicked;
  };
  const Case cases[] = {
      {"LBS_NOTIFY", LBS_NOTIFY, {"LBN_SETFOCUS 4", "LBN_SELCHANGE 4"}, {"LBN_SELCHANGE 4"}, {"LBN_DBLCLK 4"}},
      {"without LBS_NOTIFY", 0, {}, {}, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    HWND list = Control("ListBox", "", c.style | WS_BORDER, 4, {10, 10, 150, 110});
    for (const char* text : {"one", "two", "three", "four"}) Add(list, text);
    int height = static_cast<int>(SendMessageA(list, LB_GETITEMHEIGHT, 0, 0));
    ASSERT_GT(height, 0);
    ClearLog();
    SendMessageA(list, LB_SETCURSEL, 1, 0);
    EXPECT_EQ(Notices(), Lines{});

    PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 2 * height + 2));
    PostMessageA(list, WM_LBUTTONUP, 0, MAKELPARAM(5, 2 * height + 2));
    PumpMessages();
    EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), 2);
    EXPECT_EQ(Notices(), c.clicked);

    ClearLog();
    SendMessageA(list, WM_KEYDOWN, VK_DOWN, 0);
    SendMessageA(list, WM_KEYDOWN, VK_DOWN, 0);  // already at the last item: no change
    EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), 3);
    EXPECT_EQ(Notices(), c.keyed);

    ClearLog();
    PostMessageA(list, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 3 * height + 2));
    PumpMessages();
    EXPECT_EQ(Notices(), c.doubleClicked);
    SendMessageA(list, WM_CHAR, 'o', 0);  // the next item starting with the letter
    EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), 0);
    EXPECT_EQ(SendMessageA(list, WM_GETDLGCODE, 0, 0), DLGC_WANTARROWS | DLGC_WANTCHARS);
    DestroyWindow(list);
  }
}

TEST_F(Lists, OwnerDrawnItemsAreMeasuredAndDrawnByTheParent) {
  std::vector<DRAWITEMSTRUCT> drawn;
  std::vector<MEASUREITEMSTRUCT> measured;
  Recorder::Get().answer = [&](HWND, UINT msg, WPARAM, LPARAM lParam) -> std::optional<LRESULT> {
    if (msg == WM_MEASUREITEM) {
      auto item = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
      measured.push_back(*item);
      item->itemHeight = 20;
      return TRUE;
    }
    if (msg == WM_DRAWITEM) {
      drawn.push_back(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
      return TRUE;
    }
    return std::nullopt;
  };
  HWND list = Control("ListBox", "", LBS_OWNERDRAWFIXED | WS_BORDER, 6, {10, 10, 150, 110});
  ASSERT_EQ(measured.size(), 1u);
  EXPECT_EQ(measured[0].CtlType, static_cast<UINT>(ODT_LISTBOX));
  EXPECT_EQ(measured[0].CtlID, 6u);
  EXPECT_EQ(SendMessageA(list, LB_GETITEMHEIGHT, 0, 0), 20);
  // Without LBS_HASSTRINGS an item is its data.
  EXPECT_EQ(SendMessageA(list, LB_ADDSTRING, 0, 0xAA), 0);
  EXPECT_EQ(SendMessageA(list, LB_ADDSTRING, 0, 0xBB), 1);
  EXPECT_EQ(SendMessageA(list, LB_GETITEMDATA, 1, 0), 0xBB);
  EXPECT_EQ(SendMessageA(list, LB_FINDSTRING, static_cast<WPARAM>(-1), 0xBB), 1);
  SendMessageA(list, LB_SETCURSEL, 1, 0);
  drawn.clear();
  Draw(list);
  ASSERT_EQ(drawn.size(), 2u);
  for (UINT i = 0; i < 2; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(drawn[i].CtlType, static_cast<UINT>(ODT_LISTBOX));
    EXPECT_EQ(drawn[i].itemID, i);
    EXPECT_EQ(drawn[i].itemAction, static_cast<UINT>(ODA_DRAWENTIRE));
    EXPECT_EQ(drawn[i].itemState, i == 1 ? static_cast<UINT>(ODS_SELECTED) : 0u);
    EXPECT_EQ(drawn[i].itemData, i == 0 ? 0xAAu : 0xBBu);
    EXPECT_EQ(drawn[i].rcItem.top, static_cast<LONG>(20 * i));
    EXPECT_EQ(drawn[i].rcItem.bottom - drawn[i].rcItem.top, 20);
  }
}

TEST_F(Lists, SelectedItemIsHighlighted) {
  HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
  Recorder::Get().answer = [&](HWND, UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (msg == WM_CTLCOLORLISTBOX) return reinterpret_cast<LRESULT>(blue);
    return std::nullopt;
  };
  HWND list = Control("ListBox", "", 0, 4, {10, 10, 150, 110});
  Add(list, "one");
  Add(list, "two");
  SendMessageA(list, LB_SETCURSEL, 1, 0);
  int height = static_cast<int>(SendMessageA(list, LB_GETITEMHEIGHT, 0, 0));
  auto picture = Draw(list);
  EXPECT_EQ(picture.At(130, height / 2), RGB(0, 0, 255));  // the parent's brush behind items
  EXPECT_EQ(picture.At(130, height + height / 2), GetSysColor(COLOR_HIGHLIGHT));
  EXPECT_EQ(picture.At(130, 3 * height), RGB(0, 0, 255));
  DeleteObject(blue);
}

}  // namespace
}  // namespace host::user::testing
