// List view items, positions (packed and 32-bit), arrangement and columns;
// tab control selection with TCN_SELCHANGING refusing.
#include "comctl_test_support.h"

namespace host::comctl::testing {
namespace {

using ListView = ComctlTest;
using TabControl = ComctlTest;

int InsertItem(HWND lv, int index, const char* text, LPARAM param = 0) {
  LV_ITEMA item{};
  item.mask = LVIF_TEXT | LVIF_PARAM;
  item.iItem = index;
  item.pszText = const_cast<char*>(text);
  item.lParam = param;
  return static_cast<int>(SendMessageA(lv, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
}

POINT Position(HWND lv, int index) {
  POINT pt{-1, -1};
  EXPECT_TRUE(SendMessageA(lv, LVM_GETITEMPOSITION, index, reinterpret_cast<LPARAM>(&pt)));
  return pt;
}

std::string ItemText(HWND lv, int index) {
  char text[32] = "";
  LV_ITEMA item{};
  item.pszText = text;
  item.cchTextMax = sizeof text;
  SendMessageA(lv, LVM_GETITEMTEXTA, index, reinterpret_cast<LPARAM>(&item));
  return text;
}

TEST_F(ListView, ItemsTakeGridSlotsAndKeepTheirPositions) {
  HWND lv = Child(WC_LISTVIEWA, LVS_ICON, {0, 0, 400, 300});
  SIZE cell{GetSystemMetrics(SM_CXICONSPACING), GetSystemMetrics(SM_CYICONSPACING)};
  EXPECT_EQ(InsertItem(lv, 0, "My Computer"), 0);
  EXPECT_EQ(InsertItem(lv, 1, "Network"), 1);
  EXPECT_EQ(InsertItem(lv, 0, "Recycle Bin"), 0);  // before the others
  EXPECT_EQ(Take(), (Lines{"LVN_INSERTITEM 0", "LVN_INSERTITEM 1", "LVN_INSERTITEM 0"}));
  EXPECT_EQ(SendMessageA(lv, LVM_GETITEMCOUNT, 0, 0), 3);
  EXPECT_EQ(ItemText(lv, 0), "Recycle Bin");
  EXPECT_EQ(Position(lv, 1).x, 0);
  EXPECT_EQ(Position(lv, 2).x, cell.cx);
  EXPECT_EQ(Position(lv, 0).x, 2 * cell.cx);  // the first free slot when it came
  struct Move {
    int index;
    int x, y;
  };
  const Move moves[] = {{0, 300, 200}, {1, -5, -7}, {2, 32767, -32768}};
  for (const auto& move : moves) {
    SCOPED_TRACE(move.index);
    EXPECT_TRUE(SendMessageA(lv, LVM_SETITEMPOSITION, move.index, MAKELPARAM(move.x, move.y)));
    POINT pt = Position(lv, move.index);
    EXPECT_EQ(pt.x, move.x);
    EXPECT_EQ(pt.y, move.y);
  }
  POINT distant{100000, 5};
  EXPECT_TRUE(SendMessageA(lv, LVM_SETITEMPOSITION32, 0, reinterpret_cast<LPARAM>(&distant)));
  EXPECT_EQ(Position(lv, 0).x, 100000);
  EXPECT_FALSE(SendMessageA(lv, LVM_SETITEMPOSITION, 3, MAKELPARAM(1, 1)));
  POINT unused;
  EXPECT_FALSE(SendMessageA(lv, LVM_GETITEMPOSITION, 7, reinterpret_cast<LPARAM>(&unused)));
  EXPECT_TRUE(SendMessageA(lv, LVM_ARRANGE, LVA_DEFAULT, 0));
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(Position(lv, i).x, i * cell.cx);
    EXPECT_EQ(Position(lv, i).y, 0);
  }
}

TEST_F(ListView, ColumnsAndItemStates) {
  HWND lv = Child(WC_LISTVIEWA, LVS_REPORT, {0, 0, 400, 300});
  LV_COLUMNA column{};
  column.mask = LVCF_TEXT | LVCF_WIDTH;
  column.cx = 120;
  column.pszText = const_cast<char*>("Name");
  EXPECT_EQ(SendMessageA(lv, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column)), 0);
  column.pszText = const_cast<char*>("Size");
  column.cx = 60;
  EXPECT_EQ(SendMessageA(lv, LVM_INSERTCOLUMNA, 5, reinterpret_cast<LPARAM>(&column)), 1);
  char text[16] = "";
  LV_COLUMNA get{};
  get.mask = LVCF_TEXT | LVCF_WIDTH;
  get.pszText = text;
  get.cchTextMax = sizeof text;
  EXPECT_TRUE(SendMessageA(lv, LVM_GETCOLUMNA, 1, reinterpret_cast<LPARAM>(&get)));
  EXPECT_STREQ(text, "Size");
  EXPECT_EQ(get.cx, 60);
  EXPECT_EQ(SendMessageA(lv, LVM_GETCOLUMNWIDTH, 0, 0), 120);
  InsertItem(lv, 0, "a.txt");
  LV_ITEMA sub{};
  sub.mask = LVIF_TEXT;
  sub.iItem = 0;
  sub.iSubItem = 1;
  sub.pszText = const_cast<char*>("12 KB");
  EXPECT_TRUE(SendMessageA(lv, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&sub)));
  char subText[16] = "";
  sub.pszText = subText;
  sub.cchTextMax = sizeof subText;
  EXPECT_TRUE(SendMessageA(lv, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&sub)));
  EXPECT_STREQ(subText, "12 KB");
  Take();
  LV_ITEMA state{};
  state.state = LVIS_SELECTED;
  state.stateMask = LVIS_SELECTED;
  EXPECT_TRUE(SendMessageA(lv, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&state)));
  EXPECT_EQ(Take(), (Lines{"LVN_ITEMCHANGING 0 0->2", "LVN_ITEMCHANGED 0 0->2"}));
  EXPECT_EQ(SendMessageA(lv, LVM_GETSELECTEDCOUNT, 0, 0), 1);
  EXPECT_EQ(SendMessageA(lv, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED), 0);
  EXPECT_TRUE(SendMessageA(lv, LVM_DELETECOLUMN, 0, 0));
  EXPECT_FALSE(SendMessageA(lv, LVM_DELETECOLUMN, 4, 0));
  EXPECT_TRUE(SendMessageA(lv, LVM_DELETEALLITEMS, 0, 0));
  EXPECT_EQ(Take(), (Lines{"LVN_DELETEALLITEMS", "LVN_DELETEITEM 0"}));
  EXPECT_EQ(SendMessageA(lv, LVM_GETITEMCOUNT, 0, 0), 0);
}

int InsertTab(HWND tab, int index, const char* text) {
  TC_ITEMA item{};
  item.mask = TCIF_TEXT;
  item.pszText = const_cast<char*>(text);
  return static_cast<int>(SendMessageA(tab, TCM_INSERTITEMA, index, reinterpret_cast<LPARAM>(&item)));
}

TEST_F(TabControl, ClicksChangeTheSelectionUnlessRefused) {
  HWND tab = Child(WC_TABCONTROLA, 0, {10, 10, 400, 200});
  EXPECT_EQ(SendMessageA(tab, TCM_GETCURSEL, 0, 0), -1);
  EXPECT_EQ(InsertTab(tab, 0, "Monitor"), 0);
  EXPECT_EQ(SendMessageA(tab, TCM_GETCURSEL, 0, 0), 0);  // the first tab is selected
  EXPECT_EQ(InsertTab(tab, 1, "Colour"), 1);
  EXPECT_EQ(InsertTab(tab, 99, "Settings"), 2);
  EXPECT_EQ(SendMessageA(tab, TCM_GETITEMCOUNT, 0, 0), 3);
  RECT rects[3];
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(SendMessageA(tab, TCM_GETITEMRECT, i, reinterpret_cast<LPARAM>(&rects[i])));
  EXPECT_EQ(rects[1].left, rects[0].right);
  EXPECT_EQ(rects[2].left, rects[1].right);
  struct Click {
    int tab;
    bool refuse;
    Lines expected;
    int selected;
  };
  const Click clicks[] = {
      {2, false, {"TCN_SELCHANGING", "TCN_SELCHANGE"}, 2},
      {1, true, {"TCN_SELCHANGING"}, 2},
      {2, false, {}, 2},  // the selected tab again
      {1, false, {"TCN_SELCHANGING", "TCN_SELCHANGE"}, 1},
  };
  for (const auto& click : clicks) {
    SCOPED_TRACE(click.tab);
    Log().answers[TCN_SELCHANGING] = click.refuse ? TRUE : FALSE;
    RECT r = rects[click.tab];
    ClickAt(tab, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
    EXPECT_EQ(Take(), click.expected);
    EXPECT_EQ(SendMessageA(tab, TCM_GETCURSEL, 0, 0), click.selected);
  }
  Log().answers.clear();
  Key(tab, VK_RIGHT);
  EXPECT_EQ(Take(), (Lines{"TCN_KEYDOWN", "TCN_SELCHANGING", "TCN_SELCHANGE"}));
  // TCM_SETCURSEL tells nobody; an index out of range is refused.
  EXPECT_EQ(SendMessageA(tab, TCM_SETCURSEL, 0, 0), 2);
  EXPECT_EQ(SendMessageA(tab, TCM_SETCURSEL, 5, 0), -1);
  EXPECT_TRUE(Take().empty());
  EXPECT_EQ(InsertTab(tab, 0, "First"), 0);
  EXPECT_EQ(SendMessageA(tab, TCM_GETCURSEL, 0, 0), 1);  // the selection stays on its tab
}

}  // namespace
}  // namespace host::comctl::testing
