// Tab control ("SysTabControl32"): one row of tabs. A click or an arrow key
// on another tab asks the parent with TCN_SELCHANGING (non-zero refuses),
// then selects it and sends TCN_SELCHANGE; TCM_SETCURSEL notifies nobody.
#include <algorithm>
#include <vector>

#include "comctl/comctl_internal.h"

namespace host::comctl {
namespace {

constexpr int kPadding = 6;
constexpr int kFirstTab = 2;

struct Tab {
  std::string text;
  int image = -1;
  LPARAM param = 0;
};

struct TabControl {
  HWND hwnd = nullptr;
  HWND parent = nullptr;
  std::vector<Tab> tabs;
  int current = -1;
  HIMAGELIST images = nullptr;
  HFONT font = nullptr;
  bool focused = false;
};

TabControl* TabsOf(HWND hwnd) { return StateOf<TabControl>(hwnd); }
int Count(const TabControl& tc) { return static_cast<int>(tc.tabs.size()); }
bool Valid(const TabControl& tc, int index) { return index >= 0 && index < Count(tc); }

int RowHeight(const TabControl& tc) {
  int cx = 0, cy = 0;
  if (tc.images) ImageList_GetIconSize(tc.images, &cx, &cy);
  return std::max(FontHeight(tc.hwnd, tc.font), cy) + 6;
}

int TabWidth(const TabControl& tc, HDC dc, const Tab& tab) {
  int width = TextWidth(dc, tab.text) + 2 * kPadding;
  int cx = 0, cy = 0;
  if (tc.images && tab.image >= 0 && ImageList_GetIconSize(tc.images, &cx, &cy)) width += cx + 3;
  return width;
}

std::vector<RECT> TabRects(const TabControl& tc) {
  std::vector<RECT> rects;
  HDC dc = GetDC(tc.hwnd);
  HGDIOBJ old = SelectObject(dc, ControlFont(tc.font));
  int x = kFirstTab, height = RowHeight(tc);
  for (const Tab& tab : tc.tabs) {
    int width = TabWidth(tc, dc, tab);
    rects.push_back({x, 2, x + width, 2 + height});
    x += width;
  }
  SelectObject(dc, old);
  ReleaseDC(tc.hwnd, dc);
  return rects;
}

int HitTest(const TabControl& tc, POINT pt) {
  auto rects = TabRects(tc);
  for (int i = 0; i < static_cast<int>(rects.size()); ++i)
    if (PtInRect(&rects[i], pt)) return i;
  return -1;
}

void Redraw(TabControl& tc) { InvalidateRect(tc.hwnd, nullptr, TRUE); }

// A user's choice of tab: refused when the parent answers TCN_SELCHANGING with non-zero.
void Choose(TabControl& tc, int index) {
  if (!Valid(tc, index) || index == tc.current) return;
  if (SendSimpleNotify(tc.hwnd, tc.parent, TCN_SELCHANGING)) return;
  if (!Valid(tc, index)) return;
  tc.current = index;
  Redraw(tc);
  SendSimpleNotify(tc.hwnd, tc.parent, TCN_SELCHANGE);
}

void ApplyItem(Tab& tab, const TC_ITEMA& item) {
  if (item.mask & TCIF_TEXT) tab.text = item.pszText && item.pszText != LPSTR_TEXTCALLBACKA ? item.pszText : "";
  if (item.mask & TCIF_IMAGE) tab.image = item.iImage;
  if (item.mask & TCIF_PARAM) tab.param = item.lParam;
}

int Insert(TabControl& tc, int index, const TC_ITEMA* item) {
  if (!item || index < 0) return -1;
  index = std::min(index, Count(tc));
  Tab tab;
  ApplyItem(tab, *item);
  tc.tabs.insert(tc.tabs.begin() + index, tab);
  if (tc.current < 0)
    tc.current = 0;
  else if (index <= tc.current)
    ++tc.current;
  Redraw(tc);
  return index;
}

BOOL Delete(TabControl& tc, int index) {
  if (!Valid(tc, index)) return FALSE;
  tc.tabs.erase(tc.tabs.begin() + index);
  if (index == tc.current)
    tc.current = -1;
  else if (index < tc.current)
    --tc.current;
  Redraw(tc);
  return TRUE;
}

void AdjustRect(const TabControl& tc, bool larger, RECT* rect) {
  int top = RowHeight(tc) + 2;
  if (larger) {
    InflateRect(rect, 2, 2);
    rect->top -= top;
  } else {
    rect->top += top;
    InflateRect(rect, -2, -2);
  }
}

void Paint(TabControl& tc, HDC dc) {
  RECT client;
  GetClientRect(tc.hwnd, &client);
  FillSolid(dc, client, COLOR_BTNFACE);
  HGDIOBJ oldFont = SelectObject(dc, ControlFont(tc.font));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(IsWindowEnabled(tc.hwnd) ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
  auto rects = TabRects(tc);
  RECT page = client;
  page.top = RowHeight(tc) + 2;
  DrawEdge(dc, &page, EDGE_RAISED, BF_RECT | BF_SOFT);
  for (int i = 0; i < Count(tc); ++i) {
    RECT r = rects[i];
    if (i == tc.current) {
      InflateRect(&r, 2, 0);
      r.top -= 2;
      r.bottom += 1;
      FillSolid(dc, r, COLOR_BTNFACE);
    }
    DrawEdge(dc, &r, EDGE_RAISED, BF_LEFT | BF_TOP | BF_RIGHT | BF_SOFT);
    int x = r.left + kPadding;
    int cx = 0, cy = 0;
    if (tc.images && tc.tabs[i].image >= 0 && ImageList_GetIconSize(tc.images, &cx, &cy)) {
      ImageList_Draw(tc.images, tc.tabs[i].image, dc, x, r.top + (r.bottom - r.top - cy) / 2, ILD_NORMAL);
      x += cx + 3;
    }
    RECT text{x, r.top, r.right - kPadding, r.bottom};
    const std::string& label = tc.tabs[i].text;
    DrawTextA(dc, label.c_str(), static_cast<int>(label.size()), &text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    if (i == tc.current && tc.focused) {
      RECT focus = r;
      InflateRect(&focus, -3, -3);
      DrawFocusRect(dc, &focus);
    }
  }
  SelectObject(dc, oldFont);
}

LRESULT TabMessage(TabControl& tc, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case TCM_GETITEMCOUNT:
      return Count(tc);
    case TCM_INSERTITEMA:
      return Insert(tc, static_cast<int>(wParam), reinterpret_cast<const TC_ITEMA*>(lParam));
    case TCM_DELETEITEM:
      return Delete(tc, static_cast<int>(wParam));
    case TCM_DELETEALLITEMS:
      tc.tabs.clear();
      tc.current = -1;
      Redraw(tc);
      return TRUE;
    case TCM_GETITEMA: {
      auto* item = reinterpret_cast<TC_ITEMA*>(lParam);
      int index = static_cast<int>(wParam);
      if (!item || !Valid(tc, index)) return FALSE;
      const Tab& tab = tc.tabs[index];
      if (item->mask & TCIF_TEXT) CopyText(tab.text, item->pszText, item->cchTextMax);
      if (item->mask & TCIF_IMAGE) item->iImage = tab.image;
      if (item->mask & TCIF_PARAM) item->lParam = tab.param;
      return TRUE;
    }
    case TCM_SETITEMA: {
      auto* item = reinterpret_cast<const TC_ITEMA*>(lParam);
      int index = static_cast<int>(wParam);
      if (!item || !Valid(tc, index)) return FALSE;
      ApplyItem(tc.tabs[index], *item);
      Redraw(tc);
      return TRUE;
    }
    case TCM_GETITEMRECT: {
      auto* rect = reinterpret_cast<RECT*>(lParam);
      int index = static_cast<int>(wParam);
      if (!rect || !Valid(tc, index)) return FALSE;
      *rect = TabRects(tc)[index];
      return TRUE;
    }
    case TCM_GETCURSEL:
      return tc.current;
    case TCM_SETCURSEL: {
      int index = static_cast<int>(wParam);
      if (!Valid(tc, index)) return -1;
      int old = tc.current;
      tc.current = index;
      Redraw(tc);
      return old;
    }
    case TCM_HITTEST: {
      auto* info = reinterpret_cast<TC_HITTESTINFO*>(lParam);
      if (!info) return -1;
      int index = HitTest(tc, info->pt);
      info->flags = index < 0 ? TCHT_NOWHERE : TCHT_ONITEMLABEL;
      return index;
    }
    case TCM_GETIMAGELIST:
      return reinterpret_cast<LRESULT>(tc.images);
    case TCM_SETIMAGELIST: {
      HIMAGELIST old = tc.images;
      tc.images = reinterpret_cast<HIMAGELIST>(lParam);
      Redraw(tc);
      return reinterpret_cast<LRESULT>(old);
    }
    case TCM_ADJUSTRECT:
      if (lParam) AdjustRect(tc, wParam != 0, reinterpret_cast<RECT*>(lParam));
      return 0;
    default:
      return DefWindowProcA(tc.hwnd, msg, wParam, lParam);
  }
}

LRESULT CALLBACK TabProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  TabControl* tc = TabsOf(hwnd);
  if (msg == WM_NCCREATE) {
    CreateState<TabControl>(hwnd, lParam);
    return DefWindowProcA(hwnd, msg, wParam, lParam);
  }
  if (!tc) return DefWindowProcA(hwnd, msg, wParam, lParam);
  switch (msg) {
    case WM_NCDESTROY:
      DeleteState(hwnd, tc);
      return DefWindowProcA(hwnd, msg, wParam, lParam);
    case WM_PAINT:
    case WM_PRINTCLIENT:
      PaintControl(hwnd, msg, wParam, [&](HDC dc) { Paint(*tc, dc); });
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_SETFONT:
      tc->font = reinterpret_cast<HFONT>(wParam);
      if (lParam) Redraw(*tc);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(tc->font);
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      tc->focused = msg == WM_SETFOCUS;
      Redraw(*tc);
      return 0;
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS;
    case WM_LBUTTONDOWN: {
      int index = HitTest(*tc, MousePoint(lParam));
      if (index >= 0 && !(GetWindowLongA(hwnd, GWL_STYLE) & TCS_FOCUSNEVER)) SetFocus(hwnd);
      Choose(*tc, index);
      return 0;
    }
    case WM_KEYDOWN: {
      TC_KEYDOWN key{};
      key.wVKey = static_cast<WORD>(wParam);
      SendNotify(hwnd, tc->parent, TCN_KEYDOWN, &key.hdr);
      if (wParam == VK_LEFT) Choose(*tc, tc->current - 1);
      if (wParam == VK_RIGHT) Choose(*tc, tc->current + 1);
      return 0;
    }
    default:
      return TabMessage(*tc, msg, wParam, lParam);
  }
}

}  // namespace

bool RegisterTab() { return RegisterControlClass(WC_TABCONTROLA, TabProc, 0, -1); }

}  // namespace host::comctl
