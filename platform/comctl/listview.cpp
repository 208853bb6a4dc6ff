// List view ("SysListView32"), the icon view a desktop needs: items with
// text, image, state and a position; columns are kept for the report view,
// which draws one line per item. A new item takes the first free grid slot;
// positions are the top-left corners of the items' cells.
#include <algorithm>
#include <cctype>
#include <cstring>
#include <vector>

#include "comctl/comctl_internal.h"

namespace host::comctl {
namespace {

struct ListItem {
  std::string text;
  std::vector<std::string> subItems;  // column 1 onwards
  int image = 0;
  UINT state = 0;
  LPARAM param = 0;
  POINT pos{};
};

struct Column {
  int fmt = LVCFMT_LEFT;
  int cx = 60;
  std::string text;
  int subItem = 0;
};

struct ListView {
  HWND hwnd = nullptr;
  HWND parent = nullptr;
  std::vector<ListItem> items;
  std::vector<Column> columns;
  HIMAGELIST normal = nullptr, small = nullptr, stateImages = nullptr;
  COLORREF background = CLR_DEFAULT, textColour = CLR_DEFAULT, textBackground = CLR_NONE;
  HFONT font = nullptr;
  int focusItem = -1;
  bool focused = false;
  bool clickPending = false;
};

ListView* ListOf(HWND hwnd) { return StateOf<ListView>(hwnd); }
DWORD Style(const ListView& lv) { return static_cast<DWORD>(GetWindowLongA(lv.hwnd, GWL_STYLE)); }
int Count(const ListView& lv) { return static_cast<int>(lv.items.size()); }
bool Valid(const ListView& lv, int index) { return index >= 0 && index < Count(lv); }
bool ReportView(const ListView& lv) { return (Style(lv) & LVS_TYPEMASK) == LVS_REPORT; }

SIZE Cell() {
  return {std::max(GetSystemMetrics(SM_CXICONSPACING), 32), std::max(GetSystemMetrics(SM_CYICONSPACING), 32)};
}

int LineHeight(const ListView& lv) { return FontHeight(lv.hwnd, lv.font) + 2; }

POINT Slot(const ListView& lv, int index) {
  RECT client;
  GetClientRect(lv.hwnd, &client);
  SIZE cell = Cell();
  if (ReportView(lv)) return {0, LineHeight(lv) * (index + 1)};
  if (Style(lv) & LVS_ALIGNLEFT) {
    int rows = std::max(1, static_cast<int>(client.bottom / cell.cy));
    return {(index / rows) * cell.cx, (index % rows) * cell.cy};
  }
  int columns = std::max(1, static_cast<int>(client.right / cell.cx));
  return {(index % columns) * cell.cx, (index / columns) * cell.cy};
}

POINT FreeSlot(const ListView& lv) {
  for (int slot = 0;; ++slot) {
    POINT pt = Slot(lv, slot);
    bool taken = std::any_of(lv.items.begin(), lv.items.end(),
                             [&](const ListItem& item) { return item.pos.x == pt.x && item.pos.y == pt.y; });
    if (!taken) return pt;
  }
}

void Arrange(ListView& lv) {
  for (int i = 0; i < Count(lv); ++i) lv.items[i].pos = Slot(lv, i);
  InvalidateRect(lv.hwnd, nullptr, TRUE);
}

SIZE IconSize(const ListView& lv) {
  int cx = 32, cy = 32;
  if (lv.normal) ImageList_GetIconSize(lv.normal, &cx, &cy);
  return {cx, cy};
}

RECT ItemRect(const ListView& lv, int index, int part) {
  const ListItem& item = lv.items[index];
  if (ReportView(lv)) {
    RECT client;
    GetClientRect(lv.hwnd, &client);
    return {0, item.pos.y, client.right, item.pos.y + LineHeight(lv)};
  }
  SIZE cell = Cell(), icon = IconSize(lv);
  RECT iconRect{item.pos.x, item.pos.y, item.pos.x + cell.cx, item.pos.y + icon.cy + 4};
  RECT label{item.pos.x, iconRect.bottom, item.pos.x + cell.cx, iconRect.bottom + 2 * LineHeight(lv)};
  if (part == LVIR_ICON) return iconRect;
  if (part == LVIR_LABEL) return label;
  RECT bounds;
  UnionRect(&bounds, &iconRect, &label);
  return bounds;
}

int HitTest(const ListView& lv, POINT pt, UINT* flags) {
  for (int i = Count(lv) - 1; i >= 0; --i) {
    RECT icon = ItemRect(lv, i, LVIR_ICON), label = ItemRect(lv, i, LVIR_LABEL);
    if (ReportView(lv) && PtInRect(&icon, pt)) {
      *flags = LVHT_ONITEMLABEL;
      return i;
    }
    if (PtInRect(&icon, pt)) {
      *flags = LVHT_ONITEMICON;
      return i;
    }
    if (PtInRect(&label, pt)) {
      *flags = LVHT_ONITEMLABEL;
      return i;
    }
  }
  *flags = LVHT_NOWHERE;
  return -1;
}

LRESULT NotifyItem(ListView& lv, UINT code, int index, UINT newState = 0, UINT oldState = 0, UINT changed = 0) {
  NM_LISTVIEW nm{};
  nm.iItem = index;
  nm.uNewState = newState;
  nm.uOldState = oldState;
  nm.uChanged = changed;
  if (Valid(lv, index)) nm.lParam = lv.items[index].param;
  return SendNotify(lv.hwnd, lv.parent, code, &nm.hdr);
}

bool SetState(ListView& lv, int index, UINT state, UINT mask) {
  if (!Valid(lv, index)) return false;
  UINT old = lv.items[index].state;
  UINT now = (old & ~mask) | (state & mask);
  if (now == old) return true;
  if (NotifyItem(lv, LVN_ITEMCHANGING, index, now, old, LVIF_STATE)) return false;
  if (!Valid(lv, index)) return false;
  lv.items[index].state = now;
  if (now & LVIS_FOCUSED) lv.focusItem = index;
  InvalidateRect(lv.hwnd, nullptr, TRUE);
  NotifyItem(lv, LVN_ITEMCHANGED, index, now, old, LVIF_STATE);
  return true;
}

bool SetAllStates(ListView& lv, UINT state, UINT mask) {
  bool ok = true;
  for (int i = 0; i < Count(lv); ++i) ok &= SetState(lv, i, state, mask);
  return ok;
}

int CompareText(const std::string& a, const std::string& b) {
  for (size_t i = 0; i < std::min(a.size(), b.size()); ++i) {
    int x = std::tolower(static_cast<unsigned char>(a[i])), y = std::tolower(static_cast<unsigned char>(b[i]));
    if (x != y) return x - y;
  }
  return static_cast<int>(a.size()) - static_cast<int>(b.size());
}

void ApplyItem(ListItem& item, const LV_ITEMA& in) {
  if (in.iSubItem > 0) {
    if (in.mask & LVIF_TEXT) {
      if (item.subItems.size() < static_cast<size_t>(in.iSubItem)) item.subItems.resize(in.iSubItem);
      item.subItems[in.iSubItem - 1] = in.pszText && in.pszText != LPSTR_TEXTCALLBACKA ? in.pszText : "";
    }
    return;
  }
  if (in.mask & LVIF_TEXT) item.text = in.pszText && in.pszText != LPSTR_TEXTCALLBACKA ? in.pszText : "";
  if (in.mask & LVIF_IMAGE) item.image = in.iImage;
  if (in.mask & LVIF_PARAM) item.param = in.lParam;
}

int Insert(ListView& lv, const LV_ITEMA* in) {
  if (!in || in->iItem < 0 || in->iSubItem != 0) return -1;
  ListItem item;
  ApplyItem(item, *in);
  if (in->mask & LVIF_STATE) item.state = in->state & in->stateMask;
  item.pos = FreeSlot(lv);
  int index = std::min(in->iItem, Count(lv));
  DWORD style = Style(lv);
  if (style & (LVS_SORTASCENDING | LVS_SORTDESCENDING)) {
    bool ascending = style & LVS_SORTASCENDING;
    index = 0;
    while (index < Count(lv) && (ascending ? CompareText(lv.items[index].text, item.text) <= 0
                                           : CompareText(lv.items[index].text, item.text) >= 0))
      ++index;
  }
  lv.items.insert(lv.items.begin() + index, item);
  if (lv.focusItem >= index) ++lv.focusItem;
  InvalidateRect(lv.hwnd, nullptr, TRUE);
  NotifyItem(lv, LVN_INSERTITEM, index);
  return index;
}

bool Delete(ListView& lv, int index) {
  if (!Valid(lv, index)) return false;
  NotifyItem(lv, LVN_DELETEITEM, index);
  if (!Valid(lv, index)) return false;
  lv.items.erase(lv.items.begin() + index);
  if (lv.focusItem == index)
    lv.focusItem = -1;
  else if (lv.focusItem > index)
    --lv.focusItem;
  InvalidateRect(lv.hwnd, nullptr, TRUE);
  return true;
}

void DeleteAll(ListView& lv) {
  // A parent answering TRUE to LVN_DELETEALLITEMS wants no LVN_DELETEITEM per item.
  bool quiet = NotifyItem(lv, LVN_DELETEALLITEMS, -1) != 0;
  while (!lv.items.empty()) {
    if (!quiet) NotifyItem(lv, LVN_DELETEITEM, Count(lv) - 1);
    if (!lv.items.empty()) lv.items.pop_back();
  }
  lv.focusItem = -1;
  InvalidateRect(lv.hwnd, nullptr, TRUE);
}

BOOL GetItem(ListView& lv, LV_ITEMA* out) {
  if (!out || !Valid(lv, out->iItem)) return FALSE;
  const ListItem& item = lv.items[out->iItem];
  if (out->iSubItem > 0) {
    if (out->mask & LVIF_TEXT) {
      size_t at = static_cast<size_t>(out->iSubItem - 1);
      CopyText(at < item.subItems.size() ? item.subItems[at] : "", out->pszText, out->cchTextMax);
    }
    return TRUE;
  }
  if (out->mask & LVIF_TEXT) CopyText(item.text, out->pszText, out->cchTextMax);
  if (out->mask & LVIF_IMAGE) out->iImage = item.image;
  if (out->mask & LVIF_PARAM) out->lParam = item.param;
  if (out->mask & LVIF_STATE) out->state = item.state & out->stateMask;
  return TRUE;
}

BOOL SetItem(ListView& lv, const LV_ITEMA* in) {
  if (!in || !Valid(lv, in->iItem)) return FALSE;
  ApplyItem(lv.items[in->iItem], *in);
  if ((in->mask & LVIF_STATE) && in->iSubItem == 0 && !SetState(lv, in->iItem, in->state, in->stateMask)) return FALSE;
  InvalidateRect(lv.hwnd, nullptr, TRUE);
  return TRUE;
}

int NextItem(const ListView& lv, int start, UINT flags) {
  for (int i = start + 1; i < Count(lv); ++i) {
    UINT state = lv.items[i].state;
    if ((flags & LVNI_SELECTED) && !(state & LVIS_SELECTED)) continue;
    if ((flags & LVNI_FOCUSED) && !(state & LVIS_FOCUSED)) continue;
    return i;
  }
  return -1;
}

int InsertColumn(ListView& lv, int index, const LV_COLUMNA* in) {
  if (!in || index < 0) return -1;
  Column column;
  if (in->mask & LVCF_FMT) column.fmt = in->fmt;
  if (in->mask & LVCF_WIDTH) column.cx = in->cx;
  if ((in->mask & LVCF_TEXT) && in->pszText) column.text = in->pszText;
  column.subItem = (in->mask & LVCF_SUBITEM) ? in->iSubItem : index;
  index = std::min(index, static_cast<int>(lv.columns.size()));
  lv.columns.insert(lv.columns.begin() + index, column);
  InvalidateRect(lv.hwnd, nullptr, TRUE);
  return index;
}

BOOL GetColumn(const ListView& lv, int index, LV_COLUMNA* out) {
  if (!out || index < 0 || index >= static_cast<int>(lv.columns.size())) return FALSE;
  const Column& column = lv.columns[index];
  if (out->mask & LVCF_FMT) out->fmt = column.fmt;
  if (out->mask & LVCF_WIDTH) out->cx = column.cx;
  if (out->mask & LVCF_TEXT) CopyText(column.text, out->pszText, out->cchTextMax);
  if (out->mask & LVCF_SUBITEM) out->iSubItem = column.subItem;
  return TRUE;
}

BOOL SetColumn(ListView& lv, int index, const LV_COLUMNA* in) {
  if (!in || index < 0 || index >= static_cast<int>(lv.columns.size())) return FALSE;
  Column& column = lv.columns[index];
  if (in->mask & LVCF_FMT) column.fmt = in->fmt;
  if (in->mask & LVCF_WIDTH) column.cx = in->cx;
  if (in->mask & LVCF_TEXT) column.text = in->pszText ? in->pszText : "";
  if (in->mask & LVCF_SUBITEM) column.subItem = in->iSubItem;
  InvalidateRect(lv.hwnd, nullptr, TRUE);
  return TRUE;
}

COLORREF Resolve(COLORREF colour, int sysColor) { return colour == CLR_DEFAULT ? GetSysColor(sysColor) : colour; }

void PaintReport(ListView& lv, HDC dc, const RECT& client) {
  int line = LineHeight(lv);
  int x = 0;
  for (const Column& column : lv.columns) {
    RECT head{x, 0, x + column.cx, line};
    DrawButtonFace(dc, head, false);
    RECT text{head.left + 4, head.top, head.right - 4, head.bottom};
    DrawTextA(dc, column.text.c_str(), -1, &text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    x += column.cx;
  }
  for (int i = 0; i < Count(lv); ++i) {
    RECT row = ItemRect(lv, i, LVIR_BOUNDS);
    if (row.top >= client.bottom) break;
    bool selected = lv.items[i].state & LVIS_SELECTED;
    if (selected) FillSolid(dc, row, COLOR_HIGHLIGHT);
    SetTextColor(dc, selected ? GetSysColor(COLOR_HIGHLIGHTTEXT) : Resolve(lv.textColour, COLOR_WINDOWTEXT));
    int left = 0;
    for (size_t c = 0; c < std::max<size_t>(1, lv.columns.size()); ++c) {
      int width = lv.columns.empty() ? client.right : lv.columns[c].cx;
      const std::string& text =
          c == 0 ? lv.items[i].text : (c - 1 < lv.items[i].subItems.size() ? lv.items[i].subItems[c - 1] : "");
      RECT cell{left + 4, row.top, left + width - 4, row.bottom};
      DrawTextA(dc, text.c_str(), -1, &cell, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
      left += width;
    }
  }
}

void PaintIcons(ListView& lv, HDC dc) {
  SIZE icon = IconSize(lv);
  for (int i = 0; i < Count(lv); ++i) {
    const ListItem& item = lv.items[i];
    RECT iconRect = ItemRect(lv, i, LVIR_ICON), label = ItemRect(lv, i, LVIR_LABEL);
    if (lv.normal)
      ImageList_Draw(lv.normal, item.image, dc, iconRect.left + (iconRect.right - iconRect.left - icon.cx) / 2,
                     iconRect.top + 2, (item.state & LVIS_SELECTED) ? ILD_SELECTED : ILD_NORMAL);
    bool selected = item.state & LVIS_SELECTED;
    RECT text = label;
    DrawTextA(dc, item.text.c_str(), -1, &text, DT_CENTER | DT_WORDBREAK | DT_NOPREFIX | DT_CALCRECT);
    int width = text.right - text.left;
    text.left = label.left + (label.right - label.left - width) / 2;
    text.right = text.left + width;
    if (selected) FillSolid(dc, text, COLOR_HIGHLIGHT);
    SetTextColor(dc, selected ? GetSysColor(COLOR_HIGHLIGHTTEXT) : Resolve(lv.textColour, COLOR_WINDOWTEXT));
    DrawTextA(dc, item.text.c_str(), -1, &text, DT_CENTER | DT_WORDBREAK | DT_NOPREFIX);
    if (lv.focused && i == lv.focusItem) DrawFocusRect(dc, &text);
  }
}

void Paint(ListView& lv, HDC dc) {
  RECT client;
  GetClientRect(lv.hwnd, &client);
  if (lv.background != CLR_NONE) FillColour(dc, client, Resolve(lv.background, COLOR_WINDOW));
  HGDIOBJ oldFont = SelectObject(dc, ControlFont(lv.font));
  SetBkMode(dc, TRANSPARENT);
  if (ReportView(lv))
    PaintReport(lv, dc, client);
  else
    PaintIcons(lv, dc);
  SelectObject(dc, oldFont);
}

void ButtonDown(ListView& lv, POINT pt, bool doubleClick) {
  if (GetFocus() != lv.hwnd) SetFocus(lv.hwnd);
  UINT flags = 0;
  int hit = HitTest(lv, pt, &flags);
  if (doubleClick) {
    lv.clickPending = false;
    SendSimpleNotify(lv.hwnd, lv.parent, NM_DBLCLK);
    return;
  }
  lv.clickPending = true;
  for (int i = 0; i < Count(lv); ++i)
    if (i != hit) SetState(lv, i, 0, LVIS_SELECTED | LVIS_FOCUSED);
  if (hit >= 0) SetState(lv, hit, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

LRESULT ListMessage(ListView& lv, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case LVM_GETITEMCOUNT:
      return Count(lv);
    case LVM_INSERTITEMA:
      return Insert(lv, reinterpret_cast<const LV_ITEMA*>(lParam));
    case LVM_DELETEITEM:
      return Delete(lv, static_cast<int>(wParam));
    case LVM_DELETEALLITEMS:
      DeleteAll(lv);
      return TRUE;
    case LVM_GETITEMA:
      return GetItem(lv, reinterpret_cast<LV_ITEMA*>(lParam));
    case LVM_SETITEMA:
      return SetItem(lv, reinterpret_cast<const LV_ITEMA*>(lParam));
    case LVM_GETITEMTEXTA: {
      auto* item = reinterpret_cast<LV_ITEMA*>(lParam);
      if (!item || !Valid(lv, static_cast<int>(wParam))) return 0;
      item->iItem = static_cast<int>(wParam);
      item->mask = LVIF_TEXT;
      GetItem(lv, item);
      return item->pszText ? static_cast<LRESULT>(std::strlen(item->pszText)) : 0;
    }
    case LVM_SETITEMTEXTA: {
      auto* in = reinterpret_cast<const LV_ITEMA*>(lParam);
      if (!in || !Valid(lv, static_cast<int>(wParam))) return FALSE;
      LV_ITEMA item = *in;
      item.iItem = static_cast<int>(wParam);
      item.mask = LVIF_TEXT;
      return SetItem(lv, &item);
    }
    case LVM_SETITEMSTATE: {
      auto* in = reinterpret_cast<const LV_ITEMA*>(lParam);
      if (!in) return FALSE;
      int index = static_cast<int>(wParam);
      return index == -1 ? SetAllStates(lv, in->state, in->stateMask) : SetState(lv, index, in->state, in->stateMask);
    }
    case LVM_GETITEMSTATE:
      return Valid(lv, static_cast<int>(wParam)) ? lv.items[wParam].state & static_cast<UINT>(lParam) : 0;
    case LVM_GETSELECTEDCOUNT:
      return std::count_if(lv.items.begin(), lv.items.end(),
                           [](const ListItem& item) { return (item.state & LVIS_SELECTED) != 0; });
    case LVM_GETNEXTITEM:
      return NextItem(lv, static_cast<int>(wParam), LOWORD(lParam));
    case LVM_GETITEMPOSITION: {
      auto* pt = reinterpret_cast<POINT*>(lParam);
      if (!pt || !Valid(lv, static_cast<int>(wParam))) return FALSE;
      *pt = lv.items[wParam].pos;
      return TRUE;
    }
    case LVM_SETITEMPOSITION:
      if (!Valid(lv, static_cast<int>(wParam))) return FALSE;
      lv.items[wParam].pos = {static_cast<SHORT>(LOWORD(lParam)), static_cast<SHORT>(HIWORD(lParam))};
      InvalidateRect(lv.hwnd, nullptr, TRUE);
      return TRUE;
    case LVM_SETITEMPOSITION32: {
      auto* pt = reinterpret_cast<const POINT*>(lParam);
      if (!pt || !Valid(lv, static_cast<int>(wParam))) return FALSE;
      lv.items[wParam].pos = *pt;
      InvalidateRect(lv.hwnd, nullptr, TRUE);
      return TRUE;
    }
    case LVM_GETITEMRECT: {
      auto* rect = reinterpret_cast<RECT*>(lParam);
      if (!rect || !Valid(lv, static_cast<int>(wParam))) return FALSE;
      *rect = ItemRect(lv, static_cast<int>(wParam), rect->left);
      return TRUE;
    }
    case LVM_HITTEST: {
      auto* info = reinterpret_cast<LV_HITTESTINFO*>(lParam);
      if (!info) return -1;
      info->iItem = HitTest(lv, info->pt, &info->flags);
      return info->iItem;
    }
    case LVM_ARRANGE:
      Arrange(lv);
      return TRUE;
    case LVM_GETITEMSPACING: {
      SIZE cell = Cell();
      return wParam ? MAKELONG(cell.cx / 2, LineHeight(lv)) : MAKELONG(cell.cx, cell.cy);
    }
    case LVM_ENSUREVISIBLE:
    case LVM_UPDATE:
    case LVM_REDRAWITEMS:
      InvalidateRect(lv.hwnd, nullptr, TRUE);
      return TRUE;
    case LVM_INSERTCOLUMNA:
      return InsertColumn(lv, static_cast<int>(wParam), reinterpret_cast<LV_COLUMNA*>(lParam));
    case LVM_GETCOLUMNA:
      return GetColumn(lv, static_cast<int>(wParam), reinterpret_cast<LV_COLUMNA*>(lParam));
    case LVM_SETCOLUMNA:
      return SetColumn(lv, static_cast<int>(wParam), reinterpret_cast<LV_COLUMNA*>(lParam));
    case LVM_DELETECOLUMN:
      if (wParam >= lv.columns.size()) return FALSE;
      lv.columns.erase(lv.columns.begin() + static_cast<long>(wParam));
      InvalidateRect(lv.hwnd, nullptr, TRUE);
      return TRUE;
    case LVM_GETCOLUMNWIDTH:
      return wParam < lv.columns.size() ? lv.columns[wParam].cx : 0;
    case LVM_SETCOLUMNWIDTH:
      if (wParam >= lv.columns.size()) return FALSE;
      lv.columns[wParam].cx = static_cast<SHORT>(LOWORD(lParam));
      InvalidateRect(lv.hwnd, nullptr, TRUE);
      return TRUE;
    case LVM_GETIMAGELIST:
      return reinterpret_cast<LRESULT>(wParam == LVSIL_SMALL   ? lv.small
                                       : wParam == LVSIL_STATE ? lv.stateImages
                                                               : lv.normal);
    case LVM_SETIMAGELIST: {
      HIMAGELIST& slot = wParam == LVSIL_SMALL ? lv.small : wParam == LVSIL_STATE ? lv.stateImages : lv.normal;
      HIMAGELIST old = slot;
      slot = reinterpret_cast<HIMAGELIST>(lParam);
      InvalidateRect(lv.hwnd, nullptr, TRUE);
      return reinterpret_cast<LRESULT>(old);
    }
    case LVM_GETBKCOLOR:
      return lv.background;
    case LVM_SETBKCOLOR:
      lv.background = static_cast<COLORREF>(lParam);
      InvalidateRect(lv.hwnd, nullptr, TRUE);
      return TRUE;
    case LVM_GETTEXTCOLOR:
      return lv.textColour;
    case LVM_SETTEXTCOLOR:
      lv.textColour = static_cast<COLORREF>(lParam);
      InvalidateRect(lv.hwnd, nullptr, TRUE);
      return TRUE;
    case LVM_GETTEXTBKCOLOR:
      return lv.textBackground;
    case LVM_SETTEXTBKCOLOR:
      lv.textBackground = static_cast<COLORREF>(lParam);
      return TRUE;
    default:
      return DefWindowProcA(lv.hwnd, msg, wParam, lParam);
  }
}

LRESULT CALLBACK ListProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  ListView* lv = ListOf(hwnd);
  if (msg == WM_NCCREATE) {
    CreateState<ListView>(hwnd, lParam);
    return DefWindowProcA(hwnd, msg, wParam, lParam);
  }
  if (!lv) return DefWindowProcA(hwnd, msg, wParam, lParam);
  switch (msg) {
    case WM_NCDESTROY:
      if (!(GetWindowLongA(hwnd, GWL_STYLE) & LVS_SHAREIMAGELISTS)) {
        for (HIMAGELIST list : {lv->normal, lv->small, lv->stateImages})
          if (list) ImageList_Destroy(list);
      }
      DeleteState(hwnd, lv);
      return DefWindowProcA(hwnd, msg, wParam, lParam);
    case WM_DESTROY:
      DeleteAll(*lv);
      return 0;
    case WM_PAINT:
    case WM_PRINTCLIENT:
      PaintControl(hwnd, msg, wParam, [&](HDC dc) { Paint(*lv, dc); });
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_SETFONT:
      lv->font = reinterpret_cast<HFONT>(wParam);
      if (lParam) InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(lv->font);
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      lv->focused = msg == WM_SETFOCUS;
      InvalidateRect(hwnd, nullptr, TRUE);
      SendSimpleNotify(hwnd, lv->parent, lv->focused ? NM_SETFOCUS : NM_KILLFOCUS);
      return 0;
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_LBUTTONDOWN:
      ButtonDown(*lv, MousePoint(lParam), false);
      return 0;
    case WM_LBUTTONDBLCLK:
      ButtonDown(*lv, MousePoint(lParam), true);
      return 0;
    case WM_LBUTTONUP:
      if (lv->clickPending) {
        lv->clickPending = false;
        SendSimpleNotify(hwnd, lv->parent, NM_CLICK);
      }
      return 0;
    case WM_RBUTTONUP:
      if (!SendSimpleNotify(hwnd, lv->parent, NM_RCLICK)) {
        POINT pt = MousePoint(lParam);
        ClientToScreen(hwnd, &pt);
        SendMessageA(hwnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hwnd), MAKELPARAM(pt.x, pt.y));
      }
      return 0;
    default:
      return ListMessage(*lv, msg, wParam, lParam);
  }
}

}  // namespace

bool RegisterListView() { return RegisterControlClass(WC_LISTVIEWA, ListProc, CS_DBLCLKS, -1); }

}  // namespace host::comctl
