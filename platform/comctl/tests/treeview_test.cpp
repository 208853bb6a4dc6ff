// Tree view: insertion order, stale handles, and the notification orders a
// page relies on (selection, deletion, collapse), by message, mouse and keys.
#include "comctl_test_support.h"

namespace host::comctl::testing {
namespace {

class TreeView : public ComctlTest {
 protected:
  void SetUp() override {
    ComctlTest::SetUp();
    tree_ = Child(WC_TREEVIEWA, TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT, {10, 10, 250, 300});
    ASSERT_TRUE(tree_);
  }
  HTREEITEM Insert(const char* text, HTREEITEM parent = TVI_ROOT, HTREEITEM after = TVI_LAST, LPARAM param = 0) {
    TV_INSERTSTRUCTA insert{};
    insert.hParent = parent;
    insert.hInsertAfter = after;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM;
    insert.item.pszText = const_cast<char*>(text);
    insert.item.lParam = param;
    auto item = reinterpret_cast<HTREEITEM>(SendMessageA(tree_, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
    if (item) Name(item, text);
    return item;
  }
  HTREEITEM Next(UINT code, HTREEITEM item = nullptr) {
    return reinterpret_cast<HTREEITEM>(SendMessageA(tree_, TVM_GETNEXTITEM, code, reinterpret_cast<LPARAM>(item)));
  }
  std::string Text(HTREEITEM item) {
    char buffer[64] = "";
    TV_ITEMA get{};
    get.mask = TVIF_TEXT;
    get.hItem = item;
    get.pszText = buffer;
    get.cchTextMax = sizeof buffer;
    if (!SendMessageA(tree_, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&get))) return "<refused>";
    return buffer;
  }
  std::string Children(HTREEITEM parent = TVI_ROOT) {
    std::string order;
    for (HTREEITEM item = Next(TVGN_CHILD, parent); item; item = Next(TVGN_NEXT, item))
      order += (order.empty() ? "" : " ") + Text(item);
    return order;
  }
  BOOL Select(HTREEITEM item) {
    return SendMessageA(tree_, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
  }
  BOOL Expand(HTREEITEM item, UINT code) {
    return SendMessageA(tree_, TVM_EXPAND, code, reinterpret_cast<LPARAM>(item));
  }
  UINT State(HTREEITEM item) {
    TV_ITEMA get{};
    get.mask = TVIF_STATE;
    get.hItem = item;
    get.stateMask = 0xFFFF;
    SendMessageA(tree_, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&get));
    return get.state;
  }
  RECT ItemRect(HTREEITEM item) {
    RECT rect{};
    *reinterpret_cast<HTREEITEM*>(&rect) = item;
    EXPECT_TRUE(SendMessageA(tree_, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&rect)));
    return rect;
  }
  HWND tree_ = nullptr;
};

TEST_F(TreeView, InsertsFirstLastSortedAndAfterAnItem) {
  struct Step {
    const char* text;
    const char* after;  // "first", "last", "sort" or the text of an item
    const char* order;
  };
  const Step steps[] = {
      {"m", "last", "m"},    {"c", "last", "m c"},       {"a", "first", "a m c"},
      {"k", "m", "a m k c"}, {"B", "sort", "a B m k c"}, {"z", "sort", "a B m k c z"},
  };
  std::map<std::string, HTREEITEM> items;
  for (const auto& step : steps) {
    SCOPED_TRACE(step.text);
    std::string after = step.after;
    HTREEITEM where = after == "first"  ? TVI_FIRST
                      : after == "last" ? TVI_LAST
                      : after == "sort" ? TVI_SORT
                                        : items[after];
    items[step.text] = Insert(step.text, TVI_ROOT, where);
    ASSERT_TRUE(items[step.text]);
    EXPECT_EQ(Children(), step.order);
  }
  EXPECT_EQ(SendMessageA(tree_, TVM_GETCOUNT, 0, 0), 6);
  EXPECT_EQ(Next(TVGN_ROOT), items["a"]);
  EXPECT_EQ(Next(TVGN_PREVIOUS, items["m"]), items["B"]);
  HTREEITEM child = Insert("child", items["m"]);
  EXPECT_EQ(Next(TVGN_PARENT, child), items["m"]);
  EXPECT_EQ(Next(TVGN_PARENT, items["m"]), nullptr);
  // An insertion after an item of another parent is refused.
  EXPECT_EQ(Insert("x", items["m"], items["a"]), nullptr);
}

TEST_F(TreeView, HandlesAreOpaqueAndStaleOnesAreRefused) {
  HTREEITEM a = Insert("a"), b = Insert("b", a);
  EXPECT_NE(a, nullptr);
  EXPECT_NE(a, b);
  for (HTREEITEM special : {TVI_ROOT, TVI_FIRST, TVI_LAST, TVI_SORT}) EXPECT_NE(a, special);
  ASSERT_TRUE(SendMessageA(tree_, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(a)));
  Take();
  for (HTREEITEM stale : {a, b}) {
    EXPECT_EQ(Text(stale), "<refused>");
    EXPECT_FALSE(Select(stale));
    EXPECT_FALSE(Expand(stale, TVE_EXPAND));
    EXPECT_FALSE(SendMessageA(tree_, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(stale)));
    EXPECT_EQ(Next(TVGN_NEXT, stale), nullptr);
    EXPECT_EQ(Insert("under stale", stale), nullptr);
    EXPECT_FALSE(SendMessageA(tree_, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(stale)));
  }
  EXPECT_TRUE(Take().empty());
  HTREEITEM again = Insert("again");
  EXPECT_NE(again, a);
  EXPECT_NE(again, b);
  EXPECT_EQ(SendMessageA(tree_, TVM_GETCOUNT, 0, 0), 1);
}

TEST_F(TreeView, SelectItemNotifiesSynchronouslyAndMayBeRefused) {
  HTREEITEM a = Insert("a"), b = Insert("b");
  EXPECT_TRUE(Select(a));
  EXPECT_EQ(Take(), (Lines{"TVN_SELCHANGING unknown 0->a", "TVN_SELCHANGED unknown 0->a"}));
  EXPECT_TRUE(Select(a));  // already the caret: nothing happens
  EXPECT_TRUE(Take().empty());
  Log().answers[TVN_SELCHANGINGA] = TRUE;
  EXPECT_FALSE(Select(b));
  EXPECT_EQ(Take(), (Lines{"TVN_SELCHANGING unknown a->b"}));
  EXPECT_EQ(Next(TVGN_CARET), a);
  Log().answers.clear();
  EXPECT_TRUE(Select(b));
  EXPECT_EQ(Take(), (Lines{"TVN_SELCHANGING unknown a->b", "TVN_SELCHANGED unknown a->b"}));
  EXPECT_TRUE(State(b) & TVIS_SELECTED);
  EXPECT_FALSE(State(a) & TVIS_SELECTED);
}

TEST_F(TreeView, DeletingTheSelectedItemMovesTheCaretFirst) {
  struct Case {
    const char* selected;
    const char* deleted;
    const char* caretAfter;
    Lines expected;
  };
  const Case cases[] = {
      {"b",
       "b",
       "c",
       {"TVN_SELCHANGING unknown b->c", "TVN_SELCHANGED unknown b->c", "TVN_DELETEITEM b1", "TVN_DELETEITEM b"}},
      {"c", "c", "b", {"TVN_SELCHANGING unknown c->b", "TVN_SELCHANGED unknown c->b", "TVN_DELETEITEM c"}},
      {"b1", "b1", "b", {"TVN_SELCHANGING unknown b1->b", "TVN_SELCHANGED unknown b1->b", "TVN_DELETEITEM b1"}},
      // The branch holding the caret goes: the caret leaves it for the branch's next sibling.
      {"b1",
       "b",
       "c",
       {"TVN_SELCHANGING unknown b1->c", "TVN_SELCHANGED unknown b1->c", "TVN_DELETEITEM b1", "TVN_DELETEITEM b"}},
      // Another item goes: the caret stays and nobody hears of a selection.
      {"c", "a", "c", {"TVN_DELETEITEM a"}},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(std::string(test.selected) + " " + test.deleted);
    SendMessageA(tree_, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
    std::map<std::string, HTREEITEM> items;
    items["a"] = Insert("a");
    items["b"] = Insert("b");
    items["b1"] = Insert("b1", items["b"]);
    items["c"] = Insert("c");
    Select(items[test.selected]);
    Take();
    ASSERT_TRUE(SendMessageA(tree_, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(items[test.deleted])));
    EXPECT_EQ(Take(), test.expected);
    EXPECT_EQ(Text(Next(TVGN_CARET)), test.caretAfter);
  }
}

TEST_F(TreeView, SelectingAHiddenItemOpensItsBranchAndScrollsItIntoView) {
  HTREEITEM maker = Insert("maker");
  for (int i = 0; i < 40; ++i) Insert(("model " + std::to_string(i)).c_str(), maker);
  HTREEITEM last = Next(TVGN_CHILD, maker);
  while (Next(TVGN_NEXT, last)) last = Next(TVGN_NEXT, last);
  Name(last, "last");
  Take();
  EXPECT_TRUE(Select(last));
  EXPECT_EQ(Take(), (Lines{"TVN_SELCHANGING unknown 0->last", "TVN_ITEMEXPANDING maker 0x2",
                           "TVN_ITEMEXPANDED maker 0x2", "TVN_SELCHANGED unknown 0->last"}));
  EXPECT_TRUE(State(maker) & TVIS_EXPANDED);
  EXPECT_NE(Next(TVGN_FIRSTVISIBLE), maker);  // scrolled down: the tree has more rows than fit
  RECT client, row = ItemRect(last);
  GetClientRect(tree_, &client);
  EXPECT_GE(row.top, 0);
  EXPECT_LE(row.bottom, client.bottom);
  EXPECT_TRUE(SendMessageA(tree_, TVM_SELECTITEM, TVGN_FIRSTVISIBLE, reinterpret_cast<LPARAM>(maker)));
  EXPECT_EQ(Next(TVGN_FIRSTVISIBLE), maker);
}

TEST_F(TreeView, ClearingTheTreeAnnouncesEachItemButNoNewSelection) {
  HTREEITEM a = Insert("a");
  Insert("a1", a);
  Insert("b");
  Select(a);
  Take();
  EXPECT_TRUE(SendMessageA(tree_, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT)));
  EXPECT_EQ(Take(), (Lines{"TVN_DELETEITEM a1", "TVN_DELETEITEM a", "TVN_DELETEITEM b"}));
  EXPECT_EQ(Next(TVGN_CARET), nullptr);
  EXPECT_EQ(SendMessageA(tree_, TVM_GETCOUNT, 0, 0), 0);
}

TEST_F(TreeView, CollapsingTheBranchWithTheCaretSelectsTheBranch) {
  HTREEITEM root = Insert("root"), leaf = Insert("leaf", root);
  Expand(root, TVE_EXPAND);
  Select(leaf);
  Take();
  struct Way {
    const char* name;
    std::function<void()> collapse;
    Lines expected;
  };
  Way ways[] = {
      {"message",
       [&] { Expand(root, TVE_COLLAPSE); },
       {"TVN_ITEMEXPANDING root 0x1", "TVN_SELCHANGING unknown leaf->root", "TVN_SELCHANGED unknown leaf->root",
        "TVN_ITEMEXPANDED root 0x1"}},
      {"button click",
       [&] {
         RECT r = ItemRect(root);
         ClickAt(tree_, r.left - 10, (r.top + r.bottom) / 2);  // the box in the indent column before the label
       },
       {"TVN_ITEMEXPANDING root 0x1", "TVN_SELCHANGING unknown leaf->root", "TVN_SELCHANGED unknown leaf->root",
        "TVN_ITEMEXPANDED root 0x1", "NM_CLICK"}},
  };
  for (auto& way : ways) {
    SCOPED_TRACE(way.name);
    SetFocus(tree_);
    Expand(root, TVE_EXPAND);
    Select(leaf);
    Take();
    way.collapse();
    EXPECT_EQ(Take(), way.expected);
    EXPECT_EQ(Next(TVGN_CARET), root);
    EXPECT_FALSE(State(root) & TVIS_EXPANDED);
  }
}

TEST_F(TreeView, ProgramExpansionNotifiesOnceUntilCollapseReset) {
  HTREEITEM parentItem = Insert("p");
  Insert("c1", parentItem);
  Insert("c2", parentItem);
  EXPECT_TRUE(Expand(parentItem, TVE_EXPAND));
  EXPECT_EQ(Take(), (Lines{"TVN_ITEMEXPANDING p 0x2", "TVN_ITEMEXPANDED p 0x2"}));
  EXPECT_TRUE(State(parentItem) & TVIS_EXPANDEDONCE);
  EXPECT_TRUE(Expand(parentItem, TVE_COLLAPSE));
  Take();
  EXPECT_TRUE(Expand(parentItem, TVE_EXPAND));  // expanded once already: silent
  EXPECT_TRUE(Take().empty());
  EXPECT_TRUE(Expand(parentItem, TVE_COLLAPSE | TVE_COLLAPSERESET));
  EXPECT_EQ(Take(), (Lines{"TVN_ITEMEXPANDING p 0x8001", "TVN_DELETEITEM c1", "TVN_DELETEITEM c2",
                           "TVN_ITEMEXPANDED p 0x8001"}));
  EXPECT_EQ(Children(parentItem), "");
  EXPECT_FALSE(State(parentItem) & (TVIS_EXPANDED | TVIS_EXPANDEDONCE));
  EXPECT_FALSE(Expand(parentItem, TVE_EXPAND));  // no children left
  // A parent that fills children on demand: TVIF_CHILDREN = 1 and TVN_ITEMEXPANDING inserting them.
  TV_ITEMA set{};
  set.mask = TVIF_CHILDREN;
  set.hItem = parentItem;
  set.cChildren = 1;
  SendMessageA(tree_, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&set));
  Log().onNotify = [&](NMHDR* header) {
    if (header->code == TVN_ITEMEXPANDINGA) Insert("late", parentItem);
  };
  EXPECT_TRUE(Expand(parentItem, TVE_TOGGLE));
  EXPECT_EQ(Take(), (Lines{"TVN_ITEMEXPANDING p 0x2", "TVN_ITEMEXPANDED p 0x2"}));
  EXPECT_EQ(Children(parentItem), "late");
  // A refused expansion leaves the item collapsed.
  Log().onNotify = nullptr;
  HTREEITEM other = Insert("o");
  Insert("o1", other);
  Log().answers[TVN_ITEMEXPANDINGA] = TRUE;
  EXPECT_FALSE(Expand(other, TVE_EXPAND));
  EXPECT_FALSE(State(other) & TVIS_EXPANDED);
}

int CALLBACK Descending(LPARAM a, LPARAM b, LPARAM) { return static_cast<int>(b - a); }
int CALLBACK AlwaysGreater(LPARAM, LPARAM, LPARAM) { return 1; }

TEST_F(TreeView, SortsByTextAndByCallback) {
  HTREEITEM top = Insert("top");
  const std::pair<const char*, LPARAM> children[] = {{"delta", 4}, {"Alpha", 1}, {"charlie", 3}, {"bravo", 2}};
  for (auto& [text, param] : children) Insert(text, top, TVI_LAST, param);
  HTREEITEM nested = Next(TVGN_CHILD, top);
  Insert("z", nested, TVI_LAST, 9);
  Insert("y", nested, TVI_LAST, 8);
  EXPECT_TRUE(SendMessageA(tree_, TVM_SORTCHILDREN, TRUE, reinterpret_cast<LPARAM>(top)));
  EXPECT_EQ(Children(top), "Alpha bravo charlie delta");
  EXPECT_EQ(Children(nested), "y z");
  // Descending by parameter: the comparison returns second minus first.
  TV_SORTCB sort{top, Descending, 0};
  EXPECT_TRUE(SendMessageA(tree_, TVM_SORTCHILDRENCB, 0, reinterpret_cast<LPARAM>(&sort)));
  EXPECT_EQ(Children(top), "delta charlie bravo Alpha");
  // A comparison that is no order at all still ends with every item kept.
  sort.lpfnCompare = AlwaysGreater;
  EXPECT_TRUE(SendMessageA(tree_, TVM_SORTCHILDRENCB, 0, reinterpret_cast<LPARAM>(&sort)));
  EXPECT_EQ(SendMessageA(tree_, TVM_GETCOUNT, 0, 0), 7);
  sort.hParent = reinterpret_cast<HTREEITEM>(0x12345);
  EXPECT_FALSE(SendMessageA(tree_, TVM_SORTCHILDRENCB, 0, reinterpret_cast<LPARAM>(&sort)));
}

TEST_F(TreeView, MouseAndKeysSelectAsAPersonWould) {
  HTREEITEM a = Insert("a"), b = Insert("b"), b1 = Insert("b1", b);
  host::user::PumpMessages();
  RECT ra = ItemRect(a), rb = ItemRect(b);
  ClickAt(tree_, ra.left + 3, ra.top + 3);
  EXPECT_EQ(Take(), (Lines{"TVN_SELCHANGING mouse 0->a", "TVN_SELCHANGED mouse 0->a", "NM_CLICK"}));
  EXPECT_EQ(GetFocus(), tree_);
  Key(tree_, VK_DOWN);
  EXPECT_EQ(Take(), (Lines{"TVN_KEYDOWN 0x28", "TVN_SELCHANGING keyboard a->b", "TVN_SELCHANGED keyboard a->b"}));
  Key(tree_, VK_RIGHT);  // expands b
  EXPECT_EQ(Take(), (Lines{"TVN_KEYDOWN 0x27", "TVN_ITEMEXPANDING b 0x2", "TVN_ITEMEXPANDED b 0x2"}));
  Key(tree_, VK_RIGHT);  // then goes to its first child
  EXPECT_EQ(Take(), (Lines{"TVN_KEYDOWN 0x27", "TVN_SELCHANGING keyboard b->b1", "TVN_SELCHANGED keyboard b->b1"}));
  EXPECT_EQ(Next(TVGN_NEXTVISIBLE, b), b1);
  Key(tree_, VK_LEFT);  // back to the parent
  EXPECT_EQ(Next(TVGN_CARET), b);
  Take();
  DoubleClickAt(tree_, rb.left + 3, rb.top + 3);  // double click toggles
  Lines lines = Take();
  ASSERT_FALSE(lines.empty());
  EXPECT_NE(std::find(lines.begin(), lines.end(), "NM_DBLCLK"), lines.end());
  EXPECT_NE(std::find(lines.begin(), lines.end(), "TVN_ITEMEXPANDED b 0x1"), lines.end());
  ClickAt(tree_, ra.left + 3, ra.top + 3, host::user::Button::Right);
  EXPECT_EQ(Take(), (Lines{"NM_RCLICK", "WM_CONTEXTMENU"}));
  EXPECT_EQ(Next(TVGN_CARET), b);  // a right click does not select
}

TEST_F(TreeView, CallbackTextAndImagesAreAskedOfTheParent) {
  TV_INSERTSTRUCTA insert{};
  insert.hParent = TVI_ROOT;
  insert.hInsertAfter = TVI_LAST;
  insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
  insert.item.pszText = LPSTR_TEXTCALLBACKA;
  insert.item.iImage = I_IMAGECALLBACK;
  insert.item.iSelectedImage = 5;
  auto item = reinterpret_cast<HTREEITEM>(SendMessageA(tree_, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
  ASSERT_TRUE(item);
  UINT asked = 0;
  Log().onNotify = [&](NMHDR* header) {
    if (header->code != TVN_GETDISPINFOA) return;
    auto* info = reinterpret_cast<TV_DISPINFOA*>(header);
    asked |= info->item.mask;
    if (info->item.mask & TVIF_TEXT) CopyText("from parent", info->item.pszText, info->item.cchTextMax);
    if (info->item.mask & TVIF_IMAGE) info->item.iImage = 7;
  };
  char buffer[32] = "";
  TV_ITEMA get{};
  get.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_CHILDREN;
  get.hItem = item;
  get.pszText = buffer;
  get.cchTextMax = sizeof buffer;
  ASSERT_TRUE(SendMessageA(tree_, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&get)));
  EXPECT_STREQ(buffer, "from parent");
  EXPECT_EQ(get.iImage, 7);
  EXPECT_EQ(get.iSelectedImage, 5);
  EXPECT_EQ(get.cChildren, 0);  // computed from the (missing) children
  EXPECT_EQ(asked, static_cast<UINT>(TVIF_TEXT | TVIF_IMAGE));
}

TEST_F(TreeView, HitTestMatchesItemRectsAndImageListsAttach) {
  HTREEITEM a = Insert("alpha"), b = Insert("beta");
  RECT rb = ItemRect(b);
  TV_HITTESTINFO hit{};
  hit.pt = {rb.left + 2, (rb.top + rb.bottom) / 2};
  EXPECT_EQ(reinterpret_cast<HTREEITEM>(SendMessageA(tree_, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit))), b);
  EXPECT_EQ(hit.flags, static_cast<UINT>(TVHT_ONITEMLABEL));
  hit.pt = {rb.left + 2, rb.bottom + 200};
  EXPECT_EQ(SendMessageA(tree_, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)), 0);
  EXPECT_EQ(hit.flags, static_cast<UINT>(TVHT_NOWHERE));
  HIMAGELIST images = ImageList_Create(16, 16, ILC_MASK, 3, 1);
  EXPECT_EQ(SendMessageA(tree_, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(images)), 0);
  RECT ra = ItemRect(a);
  EXPECT_GE(ra.left, rb.left + 16);  // the label moved right of the image
  EXPECT_EQ(SendMessageA(tree_, TVM_SETIMAGELIST, TVSIL_NORMAL, 0), reinterpret_cast<LRESULT>(images));
  EXPECT_EQ(SendMessageA(tree_, TVM_GETIMAGELIST, TVSIL_NORMAL, 0), 0);
  EXPECT_EQ(ItemRect(a).left, rb.left);
  ImageList_Destroy(images);
}

}  // namespace
}  // namespace host::comctl::testing
