// The "ListBox" class (single selection) and the "ComboLBox" list a combo
// box drops: items with data, sorted lists, search, selection by program
// (silent) and by the user (LBN_SELCHANGE with LBS_NOTIFY), owner-drawn
// fixed-height items.
#include <algorithm>
#include <vector>

#include "user/controls.h"

namespace host::user {
namespace {

struct Item {
  std::string text;
  ULONG_PTR data = 0;
};

struct ListState {
  std::vector<Item> items;
  int sel = -1, top = 0, caret = 0, itemHeight = 13;
  int selAtPress = -1;
  bool focus = false, tracking = false;
  HFONT font = nullptr;
  HWND combo = nullptr;  // a drop-down list's combo box
};

ControlStore<ListState>& Store() {
  static ControlStore<ListState> store;
  return store;
}

int Count(const ListState& s) { return static_cast<int>(s.items.size()); }
bool Valid(const ListState& s, int index) { return index >= 0 && index < Count(s); }

bool OwnerDrawn(DWORD style) { return style & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE); }
bool HasStrings(DWORD style) { return !OwnerDrawn(style) || (style & LBS_HASSTRINGS); }

int Rows(HWND hwnd, const ListState& s) {
  return std::max(1, static_cast<int>(ClientRectOf(hwnd).bottom) / std::max(1, s.itemHeight));
}

void ScrollIntoView(HWND hwnd, ListState& s, int index) {
  if (!Valid(s, index)) return;
  int rows = Rows(hwnd, s);
  if (index < s.top) s.top = index;
  if (index >= s.top + rows) s.top = index - rows + 1;
}

void SetTop(HWND hwnd, ListState& s, int top) {
  s.top = std::clamp(top, 0, std::max(0, Count(s) - Rows(hwnd, s)));
  Redraw(hwnd);
}

Item MakeItem(HWND hwnd, LPARAM lParam) {
  Item item;
  if (HasStrings(StyleOf(hwnd)))
    item.text = lParam ? reinterpret_cast<LPCSTR>(lParam) : "";
  else
    item.data = static_cast<ULONG_PTR>(lParam);
  return item;
}

LRESULT Insert(HWND hwnd, ListState& s, int index, Item item) {
  if (index == -1) index = Count(s);
  if (index < 0 || index > Count(s)) return LB_ERR;
  s.items.insert(s.items.begin() + index, std::move(item));
  if (s.sel >= index) ++s.sel;
  Redraw(hwnd);
  return index;
}

// A sorted list puts a new item before the first that compares greater, without regard to case.
int SortedPosition(const ListState& s, const std::string& text) {
  auto found = std::find_if(s.items.begin(), s.items.end(),
                            [&](const Item& item) { return lstrcmpiA(item.text.c_str(), text.c_str()) > 0; });
  return static_cast<int>(found - s.items.begin());
}

LRESULT Add(HWND hwnd, ListState& s, LPARAM lParam) {
  Item item = MakeItem(hwnd, lParam);
  DWORD style = StyleOf(hwnd);
  int index = (style & LBS_SORT) && HasStrings(style) ? SortedPosition(s, item.text) : Count(s);
  return Insert(hwnd, s, index, std::move(item));
}

LRESULT Delete(HWND hwnd, ListState& s, int index) {
  if (!Valid(s, index)) return LB_ERR;
  s.items.erase(s.items.begin() + index);
  if (s.sel == index)
    s.sel = -1;
  else if (s.sel > index)
    --s.sel;
  s.caret = std::clamp(s.caret, 0, std::max(0, Count(s) - 1));
  s.top = std::clamp(s.top, 0, std::max(0, Count(s) - 1));
  Redraw(hwnd);
  return Count(s);
}

bool Matches(HWND hwnd, const Item& item, LPARAM key, bool exact) {
  if (!HasStrings(StyleOf(hwnd))) return item.data == static_cast<ULONG_PTR>(key);
  std::string wanted = UpperText(key ? reinterpret_cast<LPCSTR>(key) : "");
  std::string text = UpperText(item.text);
  return exact ? text == wanted : text.compare(0, wanted.size(), wanted) == 0;
}

// Searches from the item after `start` (the beginning for -1) round to `start` itself.
LRESULT Find(HWND hwnd, const ListState& s, int start, LPARAM key, bool exact) {
  int n = Count(s);
  if (n == 0) return LB_ERR;
  if (start < -1 || start >= n) start = -1;
  for (int i = 1; i <= n; ++i) {
    int index = (start + i) % n;
    if (Matches(hwnd, s.items[index], key, exact)) return index;
  }
  return LB_ERR;
}

LRESULT SetCurSel(HWND hwnd, ListState& s, int index) {
  if (index == -1) {
    s.sel = -1;
    Redraw(hwnd);
    return LB_ERR;  // as Windows: -1 clears and answers LB_ERR
  }
  if (!Valid(s, index)) return LB_ERR;
  s.sel = s.caret = index;
  ScrollIntoView(hwnd, s, index);
  Redraw(hwnd);
  return index;
}

LRESULT GetText(HWND hwnd, const ListState& s, int index, LPARAM buffer) {
  if (!Valid(s, index) || !buffer) return LB_ERR;
  if (!HasStrings(StyleOf(hwnd))) {
    *reinterpret_cast<ULONG_PTR*>(buffer) = s.items[index].data;
    return sizeof(ULONG_PTR);
  }
  const std::string& text = s.items[index].text;
  std::copy(text.begin(), text.end(), reinterpret_cast<char*>(buffer));
  reinterpret_cast<char*>(buffer)[text.size()] = '\0';
  return static_cast<LRESULT>(text.size());
}

LRESULT TextLength(HWND hwnd, const ListState& s, int index) {
  if (!Valid(s, index)) return LB_ERR;
  return HasStrings(StyleOf(hwnd)) ? static_cast<LRESULT>(s.items[index].text.size()) : sizeof(ULONG_PTR);
}

RECT ItemRect(HWND hwnd, const ListState& s, int index) {
  RECT client = ClientRectOf(hwnd);
  int y = (index - s.top) * s.itemHeight;
  return {0, y, client.right, y + s.itemHeight};
}

int ItemAt(const ListState& s, int y) { return s.top + (y < 0 ? -1 : y / std::max(1, s.itemHeight)); }

void Notify(HWND hwnd, const ListState& s, int code) {
  if ((StyleOf(hwnd) & LBS_NOTIFY) || s.combo) NotifyParent(hwnd, code);
}

void DrawOwnerItem(HWND hwnd, const ListState& s, HDC dc, int index, const RECT& rect) {
  DRAWITEMSTRUCT item{};
  item.CtlType = s.combo ? ODT_COMBOBOX : ODT_LISTBOX;
  item.CtlID = static_cast<UINT>(GetDlgCtrlID(s.combo ? s.combo : hwnd));
  item.itemID = static_cast<UINT>(index);
  item.itemAction = ODA_DRAWENTIRE;
  item.itemState = (index == s.sel ? ODS_SELECTED : 0) | (s.focus && index == s.caret ? ODS_FOCUS : 0) |
                   (IsWindowEnabled(hwnd) ? 0 : ODS_DISABLED);
  item.hwndItem = hwnd;
  item.hDC = dc;
  item.rcItem = rect;
  item.itemData = s.items[index].data;
  HWND owner = s.combo ? GetParent(s.combo) : GetParent(hwnd);
  SendMessageA(owner, WM_DRAWITEM, item.CtlID, reinterpret_cast<LPARAM>(&item));
}

void Draw(HWND hwnd, const ListState& s, HDC dc) {
  int saved = SaveDC(dc);
  RECT client = ClientRectOf(hwnd);
  HBRUSH brush = ControlBrush(hwnd, dc, WM_CTLCOLORLISTBOX);
  FillRect(dc, &client, brush);
  SelectObject(dc, DrawingFont(s.font));
  SetBkMode(dc, TRANSPARENT);
  COLORREF text = IsWindowEnabled(hwnd) ? GetTextColor(dc) : GetSysColor(COLOR_GRAYTEXT);
  bool ownerDrawn = OwnerDrawn(StyleOf(hwnd));
  for (int index = s.top; index < Count(s) && index < s.top + Rows(hwnd, s) + 1; ++index) {
    RECT rect = ItemRect(hwnd, s, index);
    if (ownerDrawn) {
      DrawOwnerItem(hwnd, s, dc, index, rect);
      continue;
    }
    bool selected = index == s.sel;
    if (selected) FillRect(dc, &rect, SysBrush(COLOR_HIGHLIGHT));
    SetTextColor(dc, selected ? GetSysColor(COLOR_HIGHLIGHTTEXT) : text);
    const std::string& label = s.items[index].text;
    TextOutA(dc, rect.left + 2, rect.top, label.c_str(), static_cast<int>(label.size()));
    if (s.focus && index == s.caret) DrawFocusRect(dc, &rect);
  }
  RestoreDC(dc, saved);
}

// The user moved the selection: shown at once, told to the parent.
void UserSelect(HWND hwnd, const std::shared_ptr<ListState>& s, int index, bool notify) {
  if (!Valid(*s, index)) return;
  bool changed = index != s->sel;
  s->sel = s->caret = index;
  ScrollIntoView(hwnd, *s, index);
  Redraw(hwnd);
  if (changed && notify) Notify(hwnd, *s, LBN_SELCHANGE);
}

int KeyTarget(HWND hwnd, const ListState& s, WPARAM vk) {
  int rows = Rows(hwnd, s), from = s.sel < 0 ? s.caret : s.sel;
  switch (vk) {
    case VK_UP:
      return s.sel < 0 ? 0 : from - 1;
    case VK_DOWN:
      return s.sel < 0 ? 0 : from + 1;
    case VK_PRIOR:
      return from - (rows - 1);
    case VK_NEXT:
      return from + (rows - 1);
    case VK_HOME:
      return 0;
    case VK_END:
      return Count(s) - 1;
  }
  return -2;
}

LRESULT KeyDown(HWND hwnd, const std::shared_ptr<ListState>& s, WPARAM vk) {
  if ((StyleOf(hwnd) & LBS_WANTKEYBOARDINPUT) && !s->combo) {
    LRESULT answer =
        SendMessageA(GetParent(hwnd), WM_VKEYTOITEM, MAKEWPARAM(vk, s->caret), reinterpret_cast<LPARAM>(hwnd));
    if (answer == -2) return 0;
    if (answer >= 0) {
      UserSelect(hwnd, s, static_cast<int>(answer), true);
      return 0;
    }
  }
  int target = KeyTarget(hwnd, *s, vk);
  if (target == -2 || Count(*s) == 0) return 0;
  UserSelect(hwnd, s, std::clamp(target, 0, Count(*s) - 1), true);
  return 0;
}

LRESULT Char(HWND hwnd, const std::shared_ptr<ListState>& s, WPARAM ch) {
  if (ch < 0x20 || !HasStrings(StyleOf(hwnd))) return 0;
  char key[2] = {static_cast<char>(ch), 0};
  LRESULT found = Find(hwnd, *s, s->sel, reinterpret_cast<LPARAM>(key), false);
  if (found != LB_ERR) UserSelect(hwnd, s, static_cast<int>(found), true);
  return 0;
}

LRESULT Mouse(HWND hwnd, const std::shared_ptr<ListState>& s, UINT msg, WPARAM wParam, LPARAM lParam) {
  POINT pt{static_cast<SHORT>(LOWORD(lParam)), static_cast<SHORT>(HIWORD(lParam))};
  RECT client = ClientRectOf(hwnd);
  bool inside = PtInRect(&client, pt);
  int index = std::clamp(ItemAt(*s, pt.y), 0, std::max(0, Count(*s) - 1));
  switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (s->combo && !inside) {  // a press outside a dropped list closes it
        ComboListDone(s->combo, -1, false);
        return 0;
      }
      if (!s->combo && GetFocus() != hwnd) SetFocus(hwnd);
      if (msg == WM_LBUTTONDOWN || s->combo) {
        s->selAtPress = s->sel;
        s->tracking = true;
        if (!s->combo) SetCapture(hwnd);
      }
      UserSelect(hwnd, s, index, false);
      if (msg == WM_LBUTTONDBLCLK && !s->combo) Notify(hwnd, *s, LBN_DBLCLK);
      return 0;
    case WM_MOUSEMOVE:
      if (s->combo && (wParam & MK_LBUTTON) && inside) s->tracking = true;
      if (s->tracking && Count(*s) > 0) UserSelect(hwnd, s, index, false);
      return 0;
    case WM_LBUTTONUP:
      if (!s->tracking) return 0;
      s->tracking = false;
      if (s->combo) {
        if (inside) ComboListDone(s->combo, s->sel, true);
        return 0;
      }
      if (GetCapture() == hwnd) ReleaseCapture();
      if (s->sel != s->selAtPress && s->sel >= 0) Notify(hwnd, *s, LBN_SELCHANGE);
      return 0;
  }
  return 0;
}

LRESULT Scroll(HWND hwnd, const std::shared_ptr<ListState>& s, WPARAM wParam) {
  int rows = Rows(hwnd, *s);
  switch (LOWORD(wParam)) {
    case SB_LINEUP:
      SetTop(hwnd, *s, s->top - 1);
      break;
    case SB_LINEDOWN:
      SetTop(hwnd, *s, s->top + 1);
      break;
    case SB_PAGEUP:
      SetTop(hwnd, *s, s->top - rows);
      break;
    case SB_PAGEDOWN:
      SetTop(hwnd, *s, s->top + rows);
      break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK:
      SetTop(hwnd, *s, static_cast<SHORT>(HIWORD(wParam)));
      break;
    case SB_TOP:
      SetTop(hwnd, *s, 0);
      break;
    case SB_BOTTOM:
      SetTop(hwnd, *s, Count(*s));
      break;
  }
  return 0;
}

void MeasureFixedItems(HWND hwnd, ListState& s, const CREATESTRUCTA* cs) {
  s.itemHeight = FontHeight(s.font);
  if (!cs || !(cs->style & LBS_OWNERDRAWFIXED)) return;
  MEASUREITEMSTRUCT measure{ODT_LISTBOX,
                            static_cast<UINT>(GetDlgCtrlID(hwnd)),
                            0,
                            static_cast<UINT>(std::max(0, cs->cx)),
                            static_cast<UINT>(s.itemHeight),
                            0};
  SendMessageA(GetParent(hwnd), WM_MEASUREITEM, measure.CtlID, reinterpret_cast<LPARAM>(&measure));
  if (measure.itemHeight > 0) s.itemHeight = static_cast<int>(measure.itemHeight);
}

LRESULT ListMessages(HWND hwnd, const std::shared_ptr<ListState>& sp, UINT msg, WPARAM wParam, LPARAM lParam) {
  ListState& s = *sp;
  int index = static_cast<int>(wParam);
  switch (msg) {
    case LB_ADDSTRING:
      return Add(hwnd, s, lParam);
    case LB_INSERTSTRING:
      return Insert(hwnd, s, index, MakeItem(hwnd, lParam));
    case LB_DELETESTRING:
      return Delete(hwnd, s, index);
    case LB_RESETCONTENT:
      s.items.clear();
      s.sel = -1;
      s.top = s.caret = 0;
      Redraw(hwnd);
      return LB_OKAY;
    case LB_SETCURSEL:
      return SetCurSel(hwnd, s, index);
    case LB_GETCURSEL:
      return s.sel;
    case LB_GETSEL:
      return Valid(s, index) ? (index == s.sel ? 1 : 0) : LB_ERR;
    case LB_GETTEXT:
      return GetText(hwnd, s, index, lParam);
    case LB_GETTEXTLEN:
      return TextLength(hwnd, s, index);
    case LB_GETCOUNT:
      return Count(s);
    case LB_FINDSTRING:
      return Find(hwnd, s, index, lParam, false);
    case LB_FINDSTRINGEXACT:
      return Find(hwnd, s, index, lParam, true);
    case LB_SELECTSTRING: {
      LRESULT found = Find(hwnd, s, index, lParam, false);
      return found == LB_ERR ? LB_ERR : SetCurSel(hwnd, s, static_cast<int>(found));
    }
    case LB_GETITEMDATA:
      return Valid(s, index) ? static_cast<LRESULT>(s.items[index].data) : LB_ERR;
    case LB_SETITEMDATA:
      if (!Valid(s, index)) return LB_ERR;
      s.items[index].data = static_cast<ULONG_PTR>(lParam);
      return LB_OKAY;
    case LB_GETTOPINDEX:
      return s.top;
    case LB_SETTOPINDEX:
      if (!Valid(s, index) && !(index == 0 && s.items.empty())) return LB_ERR;
      SetTop(hwnd, s, index);
      return LB_OKAY;
    case LB_GETITEMRECT:
      if (!Valid(s, index) && !(index == 0 && s.items.empty())) return LB_ERR;
      if (lParam) *reinterpret_cast<RECT*>(lParam) = ItemRect(hwnd, s, index);
      return LB_OKAY;
    case LB_GETITEMHEIGHT:
      return s.itemHeight;
    case LB_SETITEMHEIGHT:
      if (LOWORD(lParam) == 0 || LOWORD(lParam) > 255) return LB_ERR;
      s.itemHeight = LOWORD(lParam);
      Redraw(hwnd);
      return LB_OKAY;
    case LB_GETCARETINDEX:
      return s.caret;
    case LB_SETCARETINDEX:
      if (!Valid(s, index)) return LB_ERR;
      s.caret = index;
      ScrollIntoView(hwnd, s, index);
      Redraw(hwnd);
      return LB_OKAY;
    case LB_GETANCHORINDEX:
      return s.caret;
    case LB_ITEMFROMPOINT: {
      POINT pt{static_cast<SHORT>(LOWORD(lParam)), static_cast<SHORT>(HIWORD(lParam))};
      RECT client = ClientRectOf(hwnd);
      int at = ItemAt(s, pt.y);
      bool outside = !PtInRect(&client, pt) || !Valid(s, at);
      return MAKELRESULT(std::clamp(at, 0, std::max(0, Count(s) - 1)), outside ? 1 : 0);
    }
    case LB_INITSTORAGE:
      return Count(s) + static_cast<LRESULT>(wParam);
    case LB_SETTABSTOPS:
      return TRUE;
    case LB_GETLOCALE:
      return 0x0409;
    case LB_SETLOCALE:
      return 0x0409;
    case LB_GETHORIZONTALEXTENT:
    case LB_SETHORIZONTALEXTENT:
    case LB_SETCOLUMNWIDTH:
      return 0;
  }
  // Multiple selection (LB_SETSEL, LB_GETSELCOUNT ...) is not offered by a single-selection list.
  return LB_ERR;
}

}  // namespace

void ForgetListBoxStates() { Store().Clear(); }

HWND ComboOfList(HWND list) {
  auto s = Store().Find(list);
  return s ? s->combo : nullptr;
}

LRESULT CALLBACK ListBoxProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto s = Store().ForMessage(hwnd, msg);
  if (!s) return DefWindowProcA(hwnd, msg, wParam, lParam);
  if (msg >= LB_ADDSTRING && msg <= LB_ITEMFROMPOINT) return ListMessages(hwnd, s, msg, wParam, lParam);
  switch (msg) {
    case WM_CREATE: {
      auto cs = reinterpret_cast<const CREATESTRUCTA*>(lParam);
      char name[16] = {};
      GetClassNameA(hwnd, name, sizeof name);
      if (cs && lstrcmpiA(name, "ComboLBox") == 0) s->combo = static_cast<HWND>(cs->lpCreateParams);
      MeasureFixedItems(hwnd, *s, cs);
      return 0;
    }
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_KEYDOWN:
      return KeyDown(hwnd, s, wParam);
    case WM_CHAR:
      return Char(hwnd, s, wParam);
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP:
      return Mouse(hwnd, s, msg, wParam, lParam);
    case WM_CAPTURECHANGED:
      s->tracking = false;
      return 0;
    case WM_MOUSEACTIVATE:
      if (s->combo) return MA_NOACTIVATE;
      break;
    case WM_VSCROLL:
      return Scroll(hwnd, s, wParam);
    case WM_SETFOCUS:
      s->focus = true;
      Redraw(hwnd);
      Notify(hwnd, *s, LBN_SETFOCUS);
      return 0;
    case WM_KILLFOCUS:
      s->focus = false;
      Redraw(hwnd);
      Notify(hwnd, *s, LBN_KILLFOCUS);
      return 0;
    case WM_SIZE:
    case WM_ENABLE:
      Redraw(hwnd);
      return 0;
    case WM_SETFONT:
      s->font = reinterpret_cast<HFONT>(wParam);
      if (!OwnerDrawn(StyleOf(hwnd))) s->itemHeight = FontHeight(s->font);
      if (lParam) Redraw(hwnd);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(s->font);
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
    case WM_PRINTCLIENT:
      PaintWith(hwnd, wParam, [&](HDC dc) { Draw(hwnd, *s, dc); });
      return 0;
  }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

}  // namespace host::user
