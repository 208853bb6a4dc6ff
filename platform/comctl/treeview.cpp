// Tree view ("SysTreeView32"). Items are kept in a handle map: a handle is a
// number never reused, so a stale one is refused rather than followed. The
// parent may change the tree from inside any notification, so every step
// after a notification looks its items up again by handle.
#include <algorithm>
#include <atomic>
#include <cctype>
#include <map>
#include <memory>
#include <vector>

#include "comctl/comctl_internal.h"

namespace host::comctl {
namespace {

constexpr int kTextPadding = 2;
constexpr int kImageGap = 3;
constexpr int kButtonSize = 9;

std::atomic<ULONG_PTR> g_nextHandle{0x00A00010};

enum class Kids { Compute, Callback, Fixed };

struct Item {
  HTREEITEM handle = nullptr;
  Item* parent = nullptr;
  std::vector<Item*> children;
  std::string text;
  bool textCallback = false;
  int image = 0, selectedImage = 0;
  Kids kids = Kids::Compute;
  int kidsValue = 0;
  UINT state = 0;
  LPARAM param = 0;
};

struct Tree {
  HWND hwnd = nullptr;
  HWND parent = nullptr;
  Item root;
  std::map<HTREEITEM, std::unique_ptr<Item>> items;
  HTREEITEM caret = nullptr, dropHilite = nullptr;
  int top = 0;  // index of the first shown row among the visible items
  HIMAGELIST images = nullptr, stateImages = nullptr;
  HFONT font = nullptr;
  int indent = 19;
  int itemHeight = 16;
  bool focused = false;
  bool clickPending = false;
};

Tree* TreeOf(HWND hwnd) { return StateOf<Tree>(hwnd); }

Item* Find(Tree& tree, HTREEITEM handle) {
  auto found = tree.items.find(handle);
  return found == tree.items.end() ? nullptr : found->second.get();
}

// The parent named by an insertion or a TVGN_CHILD question: null and TVI_ROOT mean the root.
Item* FindParent(Tree& tree, HTREEITEM handle) {
  if (!handle || handle == TVI_ROOT) return &tree.root;
  return Find(tree, handle);
}

DWORD Style(const Tree& tree) { return static_cast<DWORD>(GetWindowLongA(tree.hwnd, GWL_STYLE)); }

int Depth(const Item* item) {
  int depth = -1;
  for (; item && item->parent; item = item->parent) ++depth;
  return depth;
}

bool IsDescendant(const Item* ancestor, const Item* item) {
  for (; item; item = item->parent)
    if (item == ancestor) return true;
  return false;
}

int IndexInParent(const Item* item) {
  auto& siblings = item->parent->children;
  return static_cast<int>(std::find(siblings.begin(), siblings.end(), item) - siblings.begin());
}

Item* Sibling(const Item* item, int step) {
  if (!item || !item->parent) return nullptr;
  int at = IndexInParent(item) + step;
  auto& siblings = item->parent->children;
  return at >= 0 && at < static_cast<int>(siblings.size()) ? siblings[at] : nullptr;
}

bool Expanded(const Item* item) { return (item->state & TVIS_EXPANDED) != 0; }

void CollectVisible(const Item& parent, std::vector<Item*>& out) {
  for (Item* child : parent.children) {
    out.push_back(child);
    if (Expanded(child)) CollectVisible(*child, out);
  }
}

std::vector<Item*> Visible(Tree& tree) {
  std::vector<Item*> rows;
  CollectVisible(tree.root, rows);
  return rows;
}

int RowOf(const std::vector<Item*>& rows, const Item* item) {
  auto found = std::find(rows.begin(), rows.end(), item);
  return found == rows.end() ? -1 : static_cast<int>(found - rows.begin());
}

int PageRows(Tree& tree) {
  RECT client;
  GetClientRect(tree.hwnd, &client);
  return std::max(1, static_cast<int>(client.bottom) / tree.itemHeight);
}

void ClampTop(Tree& tree) {
  int count = static_cast<int>(Visible(tree).size());
  tree.top = std::clamp(tree.top, 0, std::max(0, count - PageRows(tree)));
}

void Redraw(Tree& tree) { InvalidateRect(tree.hwnd, nullptr, TRUE); }

void ScrollToRow(Tree& tree, int row) {
  if (row < 0) return;
  int page = PageRows(tree);
  if (row < tree.top) tree.top = row;
  if (row >= tree.top + page) tree.top = row - page + 1;
  ClampTop(tree);
}

// ---- Notifications ----

void Describe(const Item* item, TV_ITEMA& out) {
  out = TV_ITEMA{};
  if (!item) return;
  out.mask = TVIF_HANDLE | TVIF_STATE | TVIF_PARAM;
  out.hItem = item->handle;
  out.state = item->state;
  out.stateMask = 0xFFFF;
  out.lParam = item->param;
}

LRESULT NotifyTree(Tree& tree, UINT code, UINT action, HTREEITEM oldItem, HTREEITEM newItem) {
  NM_TREEVIEWA nm{};
  nm.action = action;
  Describe(oldItem ? Find(tree, oldItem) : nullptr, nm.itemOld);
  Describe(newItem ? Find(tree, newItem) : nullptr, nm.itemNew);
  DWORD pos = GetMessagePos();
  nm.ptDrag = {static_cast<SHORT>(LOWORD(pos)), static_cast<SHORT>(HIWORD(pos))};
  ScreenToClient(tree.hwnd, &nm.ptDrag);
  return SendNotify(tree.hwnd, tree.parent, code, &nm.hdr);
}

// Asks the parent for the callback fields in `mask`; the answers land in `item`.
void AskDisplayInfo(Tree& tree, HTREEITEM handle, UINT mask, TV_ITEMA& item) {
  Item* source = Find(tree, handle);
  if (!source) return;
  TV_DISPINFOA info{};
  info.item = item;
  info.item.mask = mask;
  info.item.hItem = handle;
  info.item.state = source->state;
  info.item.lParam = source->param;
  SendNotify(tree.hwnd, tree.parent, TVN_GETDISPINFOA, &info.hdr);
  if (mask & TVIF_TEXT) {
    if (info.item.pszText && info.item.pszText != LPSTR_TEXTCALLBACKA && info.item.pszText != item.pszText)
      CopyText(info.item.pszText, item.pszText, item.cchTextMax);
  }
  if (mask & TVIF_IMAGE) item.iImage = info.item.iImage;
  if (mask & TVIF_SELECTEDIMAGE) item.iSelectedImage = info.item.iSelectedImage;
  if (mask & TVIF_CHILDREN) item.cChildren = info.item.cChildren;
}

std::string TextOf(Tree& tree, const Item& item) {
  if (!item.textCallback) return item.text;
  char buffer[MAX_PATH] = "";
  TV_ITEMA asked{};
  asked.pszText = buffer;
  asked.cchTextMax = sizeof buffer;
  AskDisplayInfo(tree, item.handle, TVIF_TEXT, asked);
  buffer[sizeof buffer - 1] = '\0';
  return buffer;
}

int ImageOf(Tree& tree, const Item& item, bool selected) {
  int image = selected ? item.selectedImage : item.image;
  if (image != I_IMAGECALLBACK) return image;
  TV_ITEMA asked{};
  UINT mask = selected ? TVIF_SELECTEDIMAGE : TVIF_IMAGE;
  AskDisplayInfo(tree, item.handle, mask, asked);
  return selected ? asked.iSelectedImage : asked.iImage;
}

bool HasChildren(Tree& tree, const Item& item) {
  switch (item.kids) {
    case Kids::Fixed:
      return item.kidsValue != 0;
    case Kids::Callback: {
      TV_ITEMA asked{};
      AskDisplayInfo(tree, item.handle, TVIF_CHILDREN, asked);
      return asked.cChildren != 0;
    }
    default:
      return !item.children.empty();
  }
}

// ---- Selection, expansion, deletion ----

// Moves the caret. `forced` ignores a refusal (the caret must leave an item being deleted).
bool SelectCaret(Tree& tree, HTREEITEM target, UINT action, bool forced = false);

void ExpandAncestors(Tree& tree, HTREEITEM handle);
bool DeleteItem(Tree& tree, HTREEITEM handle);

bool Expand(Tree& tree, HTREEITEM handle, UINT code, bool byUser) {
  Item* item = Find(tree, handle);
  if (!item) return false;
  UINT action = code & TVE_ACTIONMASK;
  bool reset = (code & TVE_COLLAPSERESET) != 0;
  if (action == TVE_TOGGLE) action = Expanded(item) ? TVE_COLLAPSE : TVE_EXPAND;
  UINT reported = action | (reset ? TVE_COLLAPSERESET : 0);
  if (action == TVE_EXPAND) {
    if (Expanded(item)) return true;
    if (!HasChildren(tree, *item)) return false;
    // A program's TVM_EXPAND notifies only until the item has been expanded once (TVIS_EXPANDEDONCE).
    bool notify = byUser || !(item->state & TVIS_EXPANDEDONCE);
    if (notify && NotifyTree(tree, TVN_ITEMEXPANDINGA, TVE_EXPAND, nullptr, handle)) return false;
    if (!(item = Find(tree, handle))) return false;
    item->state |= TVIS_EXPANDED | TVIS_EXPANDEDONCE;
    Redraw(tree);
    if (notify) NotifyTree(tree, TVN_ITEMEXPANDEDA, TVE_EXPAND, nullptr, handle);
    return true;
  }
  if (action != TVE_COLLAPSE) return false;
  bool wasExpanded = Expanded(item);
  if (!wasExpanded && !reset) return false;
  if (wasExpanded && NotifyTree(tree, TVN_ITEMEXPANDINGA, reported, nullptr, handle)) return false;
  if (!(item = Find(tree, handle))) return false;
  item->state &= ~TVIS_EXPANDED;
  Item* caret = Find(tree, tree.caret);
  if (caret && caret != item && IsDescendant(item, caret)) SelectCaret(tree, handle, TVC_UNKNOWN);
  if (reset && (item = Find(tree, handle))) {
    std::vector<HTREEITEM> children;
    for (Item* child : item->children) children.push_back(child->handle);
    for (HTREEITEM child : children) DeleteItem(tree, child);
    if ((item = Find(tree, handle))) item->state &= ~TVIS_EXPANDEDONCE;
  }
  ClampTop(tree);
  Redraw(tree);
  if (wasExpanded && Find(tree, handle)) NotifyTree(tree, TVN_ITEMEXPANDEDA, reported, nullptr, handle);
  return true;
}

void ExpandAncestors(Tree& tree, HTREEITEM handle) {
  std::vector<HTREEITEM> chain;
  for (Item* item = Find(tree, handle); item && item->parent && item->parent != &tree.root; item = item->parent)
    chain.push_back(item->parent->handle);
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) Expand(tree, *it, TVE_EXPAND, false);
}

bool SelectCaret(Tree& tree, HTREEITEM target, UINT action, bool forced) {
  if (target && !Find(tree, target)) return false;
  if (target == tree.caret) return true;
  HTREEITEM old = tree.caret;
  if (NotifyTree(tree, TVN_SELCHANGINGA, action, old, target) && !forced) return false;
  if (target && !Find(tree, target)) return false;
  if (Item* previous = Find(tree, tree.caret)) previous->state &= ~(TVIS_SELECTED | TVIS_FOCUSED);
  old = Find(tree, old) ? old : nullptr;
  tree.caret = target;
  if (target) {
    ExpandAncestors(tree, target);
    if (Item* chosen = Find(tree, target)) {
      chosen->state |= TVIS_SELECTED;
      auto rows = Visible(tree);
      ScrollToRow(tree, RowOf(rows, chosen));
    }
  }
  Redraw(tree);
  NotifyTree(tree, TVN_SELCHANGEDA, action, old, Find(tree, target) ? target : nullptr);
  return true;
}

void RemoveOne(Tree& tree, HTREEITEM handle) {
  if (Find(tree, handle)) NotifyTree(tree, TVN_DELETEITEMA, TVC_UNKNOWN, handle, nullptr);
  Item* item = Find(tree, handle);
  if (!item) return;
  // Children the parent added during the notification go first.
  while (!item->children.empty()) {
    RemoveOne(tree, item->children.back()->handle);
    if (!(item = Find(tree, handle))) return;
  }
  auto& siblings = item->parent->children;
  siblings.erase(std::find(siblings.begin(), siblings.end(), item));
  if (tree.dropHilite == handle) tree.dropHilite = nullptr;
  if (tree.caret == handle) tree.caret = nullptr;
  tree.items.erase(handle);
}

// Children first, then the item, each announced with TVN_DELETEITEM.
void RemoveSubtree(Tree& tree, HTREEITEM handle) {
  Item* item = Find(tree, handle);
  if (!item) return;
  std::vector<HTREEITEM> children;
  for (Item* child : item->children) children.push_back(child->handle);
  for (HTREEITEM child : children) RemoveSubtree(tree, child);
  RemoveOne(tree, handle);
}

bool DeleteItem(Tree& tree, HTREEITEM handle) {
  if (!handle || handle == TVI_ROOT) {
    // Clearing the tree drops the selection without announcing a new one for each item going away.
    if (Item* caret = Find(tree, tree.caret)) caret->state &= ~TVIS_SELECTED;
    tree.caret = nullptr;
    std::vector<HTREEITEM> top;
    for (Item* child : tree.root.children) top.push_back(child->handle);
    for (HTREEITEM child : top) RemoveSubtree(tree, child);
    tree.top = 0;
    Redraw(tree);
    return true;
  }
  Item* item = Find(tree, handle);
  if (!item) return false;
  Item* caret = Find(tree, tree.caret);
  if (caret && IsDescendant(item, caret)) {
    Item* next = Sibling(item, 1);
    if (!next) next = Sibling(item, -1);
    if (!next && item->parent != &tree.root) next = item->parent;
    SelectCaret(tree, next ? next->handle : nullptr, TVC_UNKNOWN, true);
  }
  RemoveSubtree(tree, handle);
  ClampTop(tree);
  Redraw(tree);
  return true;
}

// ---- Items ----

int CompareText(const std::string& a, const std::string& b) {
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    int x = std::tolower(static_cast<unsigned char>(a[i])), y = std::tolower(static_cast<unsigned char>(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

void ApplyFields(Item& item, const TV_ITEMA& in) {
  if (in.mask & TVIF_TEXT) {
    item.textCallback = in.pszText == LPSTR_TEXTCALLBACKA;
    item.text = in.pszText && !item.textCallback ? in.pszText : "";
  }
  if (in.mask & TVIF_IMAGE) item.image = in.iImage;
  if (in.mask & TVIF_SELECTEDIMAGE) item.selectedImage = in.iSelectedImage;
  if (in.mask & TVIF_PARAM) item.param = in.lParam;
  if (in.mask & TVIF_STATE) {
    UINT mask = in.stateMask & ~(TVIS_SELECTED | TVIS_FOCUSED);  // the caret owns these
    item.state = (item.state & ~mask) | (in.state & mask);
  }
  if (in.mask & TVIF_CHILDREN) {
    item.kids = in.cChildren == I_CHILDRENCALLBACK ? Kids::Callback : Kids::Fixed;
    item.kidsValue = in.cChildren;
  }
}

HTREEITEM InsertItem(Tree& tree, const TV_INSERTSTRUCTA* insert) {
  if (!insert) return nullptr;
  Item* parent = FindParent(tree, insert->hParent);
  if (!parent) return nullptr;
  auto item = std::make_unique<Item>();
  item->handle = reinterpret_cast<HTREEITEM>(g_nextHandle.fetch_add(1));
  item->parent = parent;
  ApplyFields(*item, insert->item);
  auto& siblings = parent->children;
  size_t at = siblings.size();
  HTREEITEM after = insert->hInsertAfter;
  if (after == TVI_FIRST) {
    at = 0;
  } else if (after == TVI_SORT) {
    std::string text = TextOf(tree, *item);
    at = 0;
    while (at < siblings.size() && CompareText(TextOf(tree, *siblings[at]), text) <= 0) ++at;
  } else if (after && after != TVI_LAST) {
    Item* previous = Find(tree, after);
    if (!previous || previous->parent != parent) return nullptr;
    at = static_cast<size_t>(IndexInParent(previous)) + 1;
  }
  HTREEITEM handle = item->handle;
  siblings.insert(siblings.begin() + static_cast<long>(at), item.get());
  tree.items[handle] = std::move(item);
  Redraw(tree);
  return handle;
}

BOOL GetItem(Tree& tree, TV_ITEMA* out) {
  if (!out) return FALSE;
  Item* item = Find(tree, out->hItem);
  if (!item) return FALSE;
  HTREEITEM handle = item->handle;
  UINT ask = 0;
  if (out->mask & TVIF_TEXT) {
    if (item->textCallback)
      ask |= TVIF_TEXT;
    else
      CopyText(item->text, out->pszText, out->cchTextMax);
  }
  if (out->mask & TVIF_IMAGE) {
    out->iImage = item->image;
    if (item->image == I_IMAGECALLBACK) ask |= TVIF_IMAGE;
  }
  if (out->mask & TVIF_SELECTEDIMAGE) {
    out->iSelectedImage = item->selectedImage;
    if (item->selectedImage == I_IMAGECALLBACK) ask |= TVIF_SELECTEDIMAGE;
  }
  if (out->mask & TVIF_PARAM) out->lParam = item->param;
  if (out->mask & TVIF_STATE) out->state = item->state;
  if (out->mask & TVIF_CHILDREN) {
    if (item->kids == Kids::Callback)
      ask |= TVIF_CHILDREN;
    else
      out->cChildren = item->kids == Kids::Fixed ? item->kidsValue : (item->children.empty() ? 0 : 1);
  }
  if (ask) AskDisplayInfo(tree, handle, ask, *out);
  return TRUE;
}

BOOL SetItem(Tree& tree, const TV_ITEMA* in) {
  if (!in) return FALSE;
  Item* item = Find(tree, in->hItem);
  if (!item) return FALSE;
  ApplyFields(*item, *in);
  ClampTop(tree);
  Redraw(tree);
  return TRUE;
}

HTREEITEM NextItem(Tree& tree, UINT code, HTREEITEM handle) {
  if (code == TVGN_ROOT) return tree.root.children.empty() ? nullptr : tree.root.children.front()->handle;
  if (code == TVGN_CARET) return tree.caret;
  if (code == TVGN_DROPHILITE) return tree.dropHilite;
  auto rows = Visible(tree);
  if (code == TVGN_FIRSTVISIBLE) return tree.top < static_cast<int>(rows.size()) ? rows[tree.top]->handle : nullptr;
  if (code == TVGN_CHILD) {
    Item* parent = FindParent(tree, handle);
    return parent && !parent->children.empty() ? parent->children.front()->handle : nullptr;
  }
  Item* item = Find(tree, handle);
  if (!item) return nullptr;
  Item* result = nullptr;
  switch (code) {
    case TVGN_NEXT:
      result = Sibling(item, 1);
      break;
    case TVGN_PREVIOUS:
      result = Sibling(item, -1);
      break;
    case TVGN_PARENT:
      result = item->parent != &tree.root ? item->parent : nullptr;
      break;
    case TVGN_NEXTVISIBLE:
    case TVGN_PREVIOUSVISIBLE: {
      int row = RowOf(rows, item);
      int next = row + (code == TVGN_NEXTVISIBLE ? 1 : -1);
      if (row >= 0 && next >= 0 && next < static_cast<int>(rows.size())) result = rows[next];
      break;
    }
    default:
      break;
  }
  return result ? result->handle : nullptr;
}

// Insertion sort: stable, and safe with a comparison that is not a strict order.
template <class Compare>
void SortChildren(Tree& tree, Item& parent, bool recurse, Compare compare) {
  auto& list = parent.children;
  for (size_t i = 1; i < list.size(); ++i)
    for (size_t j = i; j > 0 && compare(*list[j - 1], *list[j]) > 0; --j) std::swap(list[j - 1], list[j]);
  if (recurse)
    for (Item* child : list) SortChildren(tree, *child, true, compare);
}

// ---- Geometry ----

struct Row {
  Item* item = nullptr;
  int y = 0;
  int x = 0;  // where the image (or text) starts
  bool button = false;
};

int ImageWidth(const Tree& tree) {
  int cx = 0, cy = 0;
  return tree.images && ImageList_GetIconSize(tree.images, &cx, &cy) ? cx : 0;
}

int ItemX(Tree& tree, const Item* item) {
  int depth = Depth(item) + ((Style(tree) & TVS_LINESATROOT) ? 1 : 0);
  return depth * tree.indent;
}

bool HasButton(Tree& tree, Item& item) {
  DWORD style = Style(tree);
  if (!(style & TVS_HASBUTTONS)) return false;
  if (item.parent == &tree.root && !(style & TVS_LINESATROOT)) return false;
  return HasChildren(tree, item);
}

RECT TextRect(Tree& tree, Item& item, int y, HDC dc) {
  int x = ItemX(tree, &item);
  int image = ImageWidth(tree);
  if (image) x += image + kImageGap;
  int width = TextWidth(dc, TextOf(tree, item)) + 2 * kTextPadding;
  return {x, y, x + width, y + tree.itemHeight};
}

// The text rectangle needs a DC with the control's font.
class FontDC {
 public:
  explicit FontDC(Tree& tree) : hwnd_(tree.hwnd), dc_(GetDC(tree.hwnd)) {
    old_ = SelectObject(dc_, ControlFont(tree.font));
  }
  ~FontDC() {
    SelectObject(dc_, old_);
    ReleaseDC(hwnd_, dc_);
  }
  FontDC(const FontDC&) = delete;
  FontDC& operator=(const FontDC&) = delete;
  HDC dc() const { return dc_; }

 private:
  HWND hwnd_;
  HDC dc_;
  HGDIOBJ old_;
};

HTREEITEM HitTest(Tree& tree, POINT pt, UINT* flags) {
  RECT client;
  GetClientRect(tree.hwnd, &client);
  UINT where = 0;
  if (pt.x < 0) where |= TVHT_TOLEFT;
  if (pt.x >= client.right) where |= TVHT_TORIGHT;
  if (pt.y < 0) where |= TVHT_ABOVE;
  if (pt.y >= client.bottom) where |= TVHT_BELOW;
  if (where) {
    *flags = where;
    return nullptr;
  }
  auto rows = Visible(tree);
  int row = pt.y / tree.itemHeight + tree.top;
  if (row >= static_cast<int>(rows.size())) {
    *flags = TVHT_NOWHERE;
    return nullptr;
  }
  Item* item = rows[row];
  int x = ItemX(tree, item);
  int y = (row - tree.top) * tree.itemHeight;
  FontDC dc(tree);
  RECT text = TextRect(tree, *item, y, dc.dc());
  int image = ImageWidth(tree);
  if (pt.x < x - tree.indent)
    *flags = TVHT_ONITEMINDENT;
  else if (pt.x < x)
    *flags = HasButton(tree, *item) ? TVHT_ONITEMBUTTON : TVHT_ONITEMINDENT;
  else if (image && pt.x < x + image)
    *flags = TVHT_ONITEMICON;
  else if (pt.x < x + image + (image ? kImageGap : 0))
    *flags = TVHT_ONITEMICON;
  else if (pt.x < text.right)
    *flags = TVHT_ONITEMLABEL;
  else
    *flags = TVHT_ONITEMRIGHT;
  return item->handle;
}

BOOL ItemRect(Tree& tree, BOOL textOnly, RECT* rect) {
  if (!rect) return FALSE;
  Item* item = Find(tree, *reinterpret_cast<HTREEITEM*>(rect));
  if (!item) return FALSE;
  auto rows = Visible(tree);
  int row = RowOf(rows, item);
  if (row < 0) return FALSE;
  int y = (row - tree.top) * tree.itemHeight;
  if (textOnly) {
    FontDC dc(tree);
    *rect = TextRect(tree, *item, y, dc.dc());
  } else {
    RECT client;
    GetClientRect(tree.hwnd, &client);
    *rect = {0, y, client.right, y + tree.itemHeight};
  }
  return TRUE;
}

void UpdateItemHeight(Tree& tree) {
  int cx = 0, cy = 0;
  if (tree.images) ImageList_GetIconSize(tree.images, &cx, &cy);
  tree.itemHeight = std::max({FontHeight(tree.hwnd, tree.font) + 3, cy, 1});
}

// ---- Painting ----

void DrawLines(Tree& tree, HDC dc, Item& item, int y, bool button) {
  COLORREF colour = GetSysColor(COLOR_GRAYTEXT);
  int x = ItemX(tree, &item);
  int mid = y + tree.itemHeight / 2;
  bool rootLines = (Style(tree) & TVS_LINESATROOT) != 0;
  if (item.parent != &tree.root || rootLines) {
    int column = x - tree.indent / 2 - 1;
    bool first = item.parent == &tree.root && IndexInParent(&item) == 0;
    DottedLine(dc, column, first ? mid : y, column, Sibling(&item, 1) ? y + tree.itemHeight : mid, colour);
    DottedLine(dc, button ? column + kButtonSize / 2 + 1 : column, mid, x - 1, mid, colour);
  }
  for (Item* up = item.parent; up && up != &tree.root; up = up->parent) {
    if (up->parent == &tree.root && !rootLines) break;
    if (!Sibling(up, 1)) continue;
    int column = ItemX(tree, up) - tree.indent / 2 - 1;
    DottedLine(dc, column, y, column, y + tree.itemHeight, colour);
  }
}

void DrawButton(Tree& tree, HDC dc, Item& item, int y) {
  int cx = ItemX(tree, &item) - tree.indent / 2 - 1;
  int cy = y + tree.itemHeight / 2;
  RECT box{cx - kButtonSize / 2, cy - kButtonSize / 2, cx + kButtonSize / 2 + 1, cy + kButtonSize / 2 + 1};
  FillSolid(dc, box, COLOR_WINDOW);
  FrameRect(dc, &box, GetSysColorBrush(COLOR_BTNSHADOW));
  RECT bar{cx - 2, cy, cx + 3, cy + 1};
  FillSolid(dc, bar, COLOR_WINDOWTEXT);
  if (!Expanded(&item)) {
    RECT stem{cx, cy - 2, cx + 1, cy + 3};
    FillSolid(dc, stem, COLOR_WINDOWTEXT);
  }
}

void DrawRow(Tree& tree, HDC dc, Item& item, int y) {
  DWORD style = Style(tree);
  bool button = HasButton(tree, item);
  if (style & TVS_HASLINES) DrawLines(tree, dc, item, y, button);
  if (button) DrawButton(tree, dc, item, y);
  bool selected = item.handle == tree.caret;
  bool hilite = item.handle == tree.dropHilite || (item.state & TVIS_DROPHILITED);
  int x = ItemX(tree, &item);
  if (tree.images) {
    int cx = 0, cy = 0;
    ImageList_GetIconSize(tree.images, &cx, &cy);
    ImageList_Draw(tree.images, ImageOf(tree, item, selected), dc, x, y + (tree.itemHeight - cy) / 2, ILD_NORMAL);
  }
  RECT text = TextRect(tree, item, y, dc);
  int textColour = IsWindowEnabled(tree.hwnd) ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT;
  if (hilite || (selected && tree.focused)) {
    FillSolid(dc, text, COLOR_HIGHLIGHT);
    textColour = COLOR_HIGHLIGHTTEXT;
  } else if (selected && (style & TVS_SHOWSELALWAYS)) {
    FillSolid(dc, text, COLOR_BTNFACE);
  }
  SetTextColor(dc, GetSysColor(textColour));
  RECT inner{text.left + kTextPadding, text.top, text.right - kTextPadding, text.bottom};
  std::string label = TextOf(tree, item);
  DrawTextA(dc, label.c_str(), static_cast<int>(label.size()), &inner, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
  if (selected && tree.focused) DrawFocusRect(dc, &text);
}

void Paint(Tree& tree, HDC dc) {
  RECT client;
  GetClientRect(tree.hwnd, &client);
  FillSolid(dc, client, COLOR_WINDOW);
  HGDIOBJ oldFont = SelectObject(dc, ControlFont(tree.font));
  int oldMode = SetBkMode(dc, TRANSPARENT);
  auto rows = Visible(tree);
  for (int row = tree.top, y = 0; row < static_cast<int>(rows.size()) && y < client.bottom; ++row, y += tree.itemHeight)
    DrawRow(tree, dc, *rows[row], y);
  SetBkMode(dc, oldMode);
  SelectObject(dc, oldFont);
}

// ---- Input ----

void SelectRow(Tree& tree, int row, UINT action) {
  auto rows = Visible(tree);
  if (rows.empty()) return;
  row = std::clamp(row, 0, static_cast<int>(rows.size()) - 1);
  SelectCaret(tree, rows[row]->handle, action);
}

void ExpandAll(Tree& tree, HTREEITEM handle) {
  Expand(tree, handle, TVE_EXPAND, true);
  Item* item = Find(tree, handle);
  if (!item) return;
  std::vector<HTREEITEM> children;
  for (Item* child : item->children) children.push_back(child->handle);
  for (HTREEITEM child : children) ExpandAll(tree, child);
}

void KeyDown(Tree& tree, UINT vk) {
  TV_KEYDOWN key{};
  key.wVKey = static_cast<WORD>(vk);
  SendNotify(tree.hwnd, tree.parent, TVN_KEYDOWN, &key.hdr);
  auto rows = Visible(tree);
  Item* caret = Find(tree, tree.caret);
  int row = RowOf(rows, caret);
  if (!caret && (vk == VK_UP || vk == VK_DOWN || vk == VK_HOME || vk == VK_END || vk == VK_PRIOR || vk == VK_NEXT)) {
    SelectRow(tree, 0, TVC_BYKEYBOARD);
    return;
  }
  int page = PageRows(tree);
  switch (vk) {
    case VK_UP:
      SelectRow(tree, row - 1, TVC_BYKEYBOARD);
      break;
    case VK_DOWN:
      SelectRow(tree, row + 1, TVC_BYKEYBOARD);
      break;
    case VK_HOME:
      SelectRow(tree, 0, TVC_BYKEYBOARD);
      break;
    case VK_END:
      SelectRow(tree, static_cast<int>(rows.size()) - 1, TVC_BYKEYBOARD);
      break;
    case VK_PRIOR:
      SelectRow(tree, row - page + 1, TVC_BYKEYBOARD);
      break;
    case VK_NEXT:
      SelectRow(tree, row + page - 1, TVC_BYKEYBOARD);
      break;
    case VK_LEFT:
      if (!caret) break;
      if (Expanded(caret) && HasChildren(tree, *caret))
        Expand(tree, caret->handle, TVE_COLLAPSE, true);
      else if (caret->parent != &tree.root)
        SelectCaret(tree, caret->parent->handle, TVC_BYKEYBOARD);
      break;
    case VK_RIGHT:
      if (!caret || !HasChildren(tree, *caret)) break;
      if (!Expanded(caret))
        Expand(tree, caret->handle, TVE_EXPAND, true);
      else if (!caret->children.empty())
        SelectCaret(tree, caret->children.front()->handle, TVC_BYKEYBOARD);
      break;
    case VK_ADD:
      if (caret) Expand(tree, caret->handle, TVE_EXPAND, true);
      break;
    case VK_SUBTRACT:
      if (caret) Expand(tree, caret->handle, TVE_COLLAPSE, true);
      break;
    case VK_MULTIPLY:
      if (caret) ExpandAll(tree, caret->handle);
      break;
    case VK_RETURN:
      SendSimpleNotify(tree.hwnd, tree.parent, NM_RETURN);
      break;
    default:
      break;
  }
}

void ButtonDown(Tree& tree, POINT pt, bool doubleClick) {
  if (GetFocus() != tree.hwnd) SetFocus(tree.hwnd);
  UINT flags = 0;
  HTREEITEM hit = HitTest(tree, pt, &flags);
  if (doubleClick) {
    tree.clickPending = false;
    if (SendSimpleNotify(tree.hwnd, tree.parent, NM_DBLCLK)) return;
    if (hit && (flags & (TVHT_ONITEM | TVHT_ONITEMBUTTON))) Expand(tree, hit, TVE_TOGGLE, true);
    return;
  }
  tree.clickPending = true;
  if (!hit) return;
  if (flags & TVHT_ONITEMBUTTON)
    Expand(tree, hit, TVE_TOGGLE, true);
  else if (flags & TVHT_ONITEM)
    SelectCaret(tree, hit, TVC_BYMOUSE);
}

void RightButtonUp(Tree& tree, POINT pt) {
  if (SendSimpleNotify(tree.hwnd, tree.parent, NM_RCLICK)) return;
  ClientToScreen(tree.hwnd, &pt);
  SendMessageA(tree.hwnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(tree.hwnd), MAKELPARAM(pt.x, pt.y));
}

LRESULT TreeMessage(Tree& tree, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case TVM_INSERTITEMA:
      return reinterpret_cast<LRESULT>(InsertItem(tree, reinterpret_cast<TV_INSERTSTRUCTA*>(lParam)));
    case TVM_DELETEITEM:
      return DeleteItem(tree, reinterpret_cast<HTREEITEM>(lParam));
    case TVM_EXPAND:
      return Expand(tree, reinterpret_cast<HTREEITEM>(lParam), static_cast<UINT>(wParam), false);
    case TVM_GETITEMRECT:
      return ItemRect(tree, static_cast<BOOL>(wParam), reinterpret_cast<RECT*>(lParam));
    case TVM_GETCOUNT:
      return static_cast<LRESULT>(tree.items.size());
    case TVM_GETINDENT:
      return tree.indent;
    case TVM_SETINDENT:
      tree.indent = std::max(static_cast<int>(wParam), 4);
      Redraw(tree);
      return 0;
    case TVM_GETIMAGELIST:
      return reinterpret_cast<LRESULT>(wParam == TVSIL_STATE ? tree.stateImages : tree.images);
    case TVM_SETIMAGELIST: {
      HIMAGELIST& slot = wParam == TVSIL_STATE ? tree.stateImages : tree.images;
      HIMAGELIST old = slot;
      slot = reinterpret_cast<HIMAGELIST>(lParam);
      UpdateItemHeight(tree);
      ClampTop(tree);
      Redraw(tree);
      return reinterpret_cast<LRESULT>(old);
    }
    case TVM_GETNEXTITEM:
      return reinterpret_cast<LRESULT>(NextItem(tree, static_cast<UINT>(wParam), reinterpret_cast<HTREEITEM>(lParam)));
    case TVM_SELECTITEM: {
      auto handle = reinterpret_cast<HTREEITEM>(lParam);
      if (handle && !Find(tree, handle)) return FALSE;
      switch (wParam) {
        case TVGN_CARET:
          return SelectCaret(tree, handle, TVC_UNKNOWN);
        case TVGN_DROPHILITE:
          tree.dropHilite = handle;
          Redraw(tree);
          return TRUE;
        case TVGN_FIRSTVISIBLE: {
          if (!handle) return FALSE;
          ExpandAncestors(tree, handle);
          auto rows = Visible(tree);
          tree.top = std::max(0, RowOf(rows, Find(tree, handle)));
          ClampTop(tree);
          Redraw(tree);
          return TRUE;
        }
        default:
          return FALSE;
      }
    }
    case TVM_GETITEMA:
      return GetItem(tree, reinterpret_cast<TV_ITEMA*>(lParam));
    case TVM_SETITEMA:
      return SetItem(tree, reinterpret_cast<const TV_ITEMA*>(lParam));
    case TVM_GETVISIBLECOUNT:
      return PageRows(tree);
    case TVM_HITTEST: {
      auto* info = reinterpret_cast<TV_HITTESTINFO*>(lParam);
      if (!info) return 0;
      info->hItem = HitTest(tree, info->pt, &info->flags);
      return reinterpret_cast<LRESULT>(info->hItem);
    }
    case TVM_SORTCHILDREN: {
      Item* parent = FindParent(tree, reinterpret_cast<HTREEITEM>(lParam));
      if (!parent) return FALSE;
      SortChildren(tree, *parent, wParam != 0,
                   [&](const Item& a, const Item& b) { return CompareText(TextOf(tree, a), TextOf(tree, b)); });
      Redraw(tree);
      return TRUE;
    }
    case TVM_SORTCHILDRENCB: {
      auto* sort = reinterpret_cast<const TV_SORTCB*>(lParam);
      if (!sort || !sort->lpfnCompare) return FALSE;
      Item* parent = FindParent(tree, sort->hParent);
      if (!parent) return FALSE;
      SortChildren(tree, *parent, wParam != 0,
                   [&](const Item& a, const Item& b) { return sort->lpfnCompare(a.param, b.param, sort->lParam); });
      Redraw(tree);
      return TRUE;
    }
    case TVM_ENSUREVISIBLE: {
      auto handle = reinterpret_cast<HTREEITEM>(lParam);
      if (!Find(tree, handle)) return FALSE;
      ExpandAncestors(tree, handle);
      auto rows = Visible(tree);
      ScrollToRow(tree, RowOf(rows, Find(tree, handle)));
      Redraw(tree);
      return TRUE;
    }
    case TVM_EDITLABELA:
    case TVM_GETEDITCONTROL:
    case TVM_CREATEDRAGIMAGE:
    case TVM_ENDEDITLABELNOW:
      return 0;  // label editing is not offered
    default:
      return DefWindowProcA(tree.hwnd, msg, wParam, lParam);
  }
}

LRESULT CALLBACK TreeProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  Tree* tree = TreeOf(hwnd);
  if (msg == WM_NCCREATE) {
    UpdateItemHeight(*CreateState<Tree>(hwnd, lParam));
    return DefWindowProcA(hwnd, msg, wParam, lParam);
  }
  if (!tree) return DefWindowProcA(hwnd, msg, wParam, lParam);
  switch (msg) {
    case WM_NCDESTROY:
      DeleteState(hwnd, tree);
      return DefWindowProcA(hwnd, msg, wParam, lParam);
    case WM_DESTROY:
      DeleteItem(*tree, TVI_ROOT);
      return 0;
    case WM_PAINT:
    case WM_PRINTCLIENT:
      PaintControl(hwnd, msg, wParam, [&](HDC dc) { Paint(*tree, dc); });
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_SETFONT:
      tree->font = reinterpret_cast<HFONT>(wParam);
      UpdateItemHeight(*tree);
      if (lParam) Redraw(*tree);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(tree->font);
    case WM_SIZE:
      ClampTop(*tree);
      Redraw(*tree);
      return 0;
    case WM_ENABLE:
      Redraw(*tree);
      return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      tree->focused = msg == WM_SETFOCUS;
      Redraw(*tree);
      SendSimpleNotify(hwnd, tree->parent, tree->focused ? NM_SETFOCUS : NM_KILLFOCUS);
      return 0;
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_KEYDOWN:
      KeyDown(*tree, static_cast<UINT>(wParam));
      return 0;
    case WM_LBUTTONDOWN:
      ButtonDown(*tree, MousePoint(lParam), false);
      return 0;
    case WM_LBUTTONDBLCLK:
      ButtonDown(*tree, MousePoint(lParam), true);
      return 0;
    case WM_LBUTTONUP:
      if (tree->clickPending) {
        tree->clickPending = false;
        SendSimpleNotify(hwnd, tree->parent, NM_CLICK);
      }
      return 0;
    case WM_RBUTTONDOWN:
      if (GetFocus() != hwnd) SetFocus(hwnd);
      return 0;
    case WM_RBUTTONUP:
      RightButtonUp(*tree, MousePoint(lParam));
      return 0;
    default:
      return TreeMessage(*tree, msg, wParam, lParam);
  }
}

}  // namespace

bool RegisterTreeView() { return RegisterControlClass(WC_TREEVIEWA, TreeProc, CS_DBLCLKS, -1); }

}  // namespace host::comctl
