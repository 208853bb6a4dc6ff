// Toolbar ("ToolbarWindow32"): one row of buttons with images from added
// bitmaps. A click on an enabled button is WM_COMMAND (BN_CLICKED, the
// toolbar as the control) to the parent; TBSTYLE_CHECK buttons toggle, and
// TBSTYLE_CHECKGROUP ones check alone within their group. With
// TBSTYLE_TOOLTIPS the toolbar owns a tooltip window with one tool per
// button whose text is asked of the parent (TTN_NEEDTEXTA, id = command).
//
// TB_AUTOSIZE fits the toolbar to its parent: the parent's client width and
// the height the buttons need, at the top (CCS_TOP) or bottom (CCS_BOTTOM).
// A height the program gave the toolbar is replaced by that height; only
// CCS_NORESIZE keeps the program's size, and CCS_NOPARENTALIGN or
// CCS_NOMOVEY keep its position.
#include <algorithm>
#include <cstring>
#include <vector>

#include "comctl/comctl_internal.h"

namespace host::comctl {
namespace {

constexpr int kFirstButton = 8;
constexpr int kSeparator = 8;
constexpr int kTopMargin = 2, kBottomMargin = 2, kDivider = 2;

struct Toolbar {
  HWND hwnd = nullptr;
  HWND parent = nullptr;  // the notification target (TB_SETPARENT)
  std::vector<TBBUTTON> buttons;
  HIMAGELIST images = nullptr;
  std::vector<int> imageSlots;  // toolbar image index -> image list index, -1 when the bitmap had too few
  SIZE button{24, 22}, bitmap{16, 15};
  UINT structSize = sizeof(TBBUTTON);
  HWND tooltips = nullptr;
  std::vector<UINT> tools;  // command ids registered with the tooltips
  int pressed = -1;         // the button held by the mouse
};

Toolbar* ToolbarOf(HWND hwnd) { return StateOf<Toolbar>(hwnd); }
DWORD Style(const Toolbar& tb) { return static_cast<DWORD>(GetWindowLongA(tb.hwnd, GWL_STYLE)); }
int Count(const Toolbar& tb) { return static_cast<int>(tb.buttons.size()); }

int IndexOf(const Toolbar& tb, int command) {
  for (int i = 0; i < Count(tb); ++i)
    if (tb.buttons[i].idCommand == command && !(tb.buttons[i].fsStyle & TBSTYLE_SEP)) return i;
  return -1;
}

int ButtonTop(const Toolbar& tb) { return ((Style(tb) & CCS_NODIVIDER) ? 0 : kDivider) + kTopMargin; }
int Height(const Toolbar& tb) { return ButtonTop(tb) + tb.button.cy + kBottomMargin; }

std::vector<RECT> Layout(const Toolbar& tb) {
  std::vector<RECT> rects;
  int x = kFirstButton, top = ButtonTop(tb);
  for (const TBBUTTON& button : tb.buttons) {
    if (button.fsState & TBSTATE_HIDDEN) {
      rects.push_back({});
      continue;
    }
    int width = (button.fsStyle & TBSTYLE_SEP) ? (button.iBitmap > 0 ? button.iBitmap : kSeparator) : tb.button.cx;
    rects.push_back({x, top, x + width, top + tb.button.cy});
    x += width;
  }
  return rects;
}

void SyncTools(Toolbar& tb) {
  if (!tb.tooltips) return;
  for (UINT id : tb.tools) {
    TOOLINFOA info{sizeof(TOOLINFOA), 0, tb.hwnd, id, {}, nullptr, nullptr};
    SendMessageA(tb.tooltips, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&info));
  }
  tb.tools.clear();
  auto rects = Layout(tb);
  for (int i = 0; i < Count(tb); ++i) {
    const TBBUTTON& button = tb.buttons[i];
    if ((button.fsStyle & TBSTYLE_SEP) || (button.fsState & TBSTATE_HIDDEN)) continue;
    TOOLINFOA info{sizeof(TOOLINFOA),  0, tb.hwnd, static_cast<UINT>(button.idCommand), rects[i], nullptr,
                   LPSTR_TEXTCALLBACKA};
    SendMessageA(tb.tooltips, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info));
    tb.tools.push_back(static_cast<UINT>(button.idCommand));
  }
}

void Changed(Toolbar& tb) {
  SyncTools(tb);
  InvalidateRect(tb.hwnd, nullptr, TRUE);
}

void AutoSize(Toolbar& tb) {
  DWORD style = Style(tb);
  if ((style & CCS_NORESIZE) || !tb.hwnd) return;
  HWND parent = GetParent(tb.hwnd);
  RECT area{};
  if (parent) GetClientRect(parent, &area);
  RECT own;
  GetWindowRect(tb.hwnd, &own);
  if (parent) MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&own), 2);
  int height = Height(tb);
  int x = 0, width = area.right;
  int y = (style & 3) == CCS_BOTTOM ? area.bottom - height : 0;
  if (style & CCS_NOPARENTALIGN) {
    x = own.left;
    y = own.top;
    width = own.right - own.left;
  } else if ((style & 3) == CCS_NOMOVEY) {
    y = own.top;
  }
  SetWindowPos(tb.hwnd, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  Changed(tb);
}

int AddBitmap(Toolbar& tb, int count, const TBADDBITMAP* source) {
  if (!source || count < 0) return -1;
  int first = static_cast<int>(tb.imageSlots.size());
  int added = 0, base = -1;
  if (source->hInst != HINST_COMMCTRL) {  // the system's standard images are not offered: the slots stay empty
    HBITMAP bitmap =
        source->hInst ? LoadBitmapResource(source->hInst, source->nID) : reinterpret_cast<HBITMAP>(source->nID);
    if (bitmap) {
      if (!tb.images) tb.images = ImageList_Create(tb.bitmap.cx, tb.bitmap.cy, ILC_COLOR24, count, 4);
      base = ImageList_GetImageCount(tb.images);
      if (ImageList_Add(tb.images, bitmap, nullptr) >= 0) added = ImageList_GetImageCount(tb.images) - base;
      if (source->hInst) DeleteObject(bitmap);
    }
  }
  for (int i = 0; i < count; ++i) tb.imageSlots.push_back(i < added ? base + i : -1);
  InvalidateRect(tb.hwnd, nullptr, TRUE);
  return first;
}

TBBUTTON ReadButton(const Toolbar& tb, const BYTE* at) {
  TBBUTTON button{};
  std::memcpy(&button, at, std::min<size_t>(tb.structSize, sizeof button));
  return button;
}

BOOL InsertButtons(Toolbar& tb, int index, int count, const TBBUTTON* buttons) {
  if (!buttons || count < 0) return FALSE;
  index = std::clamp(index, 0, Count(tb));
  auto* bytes = reinterpret_cast<const BYTE*>(buttons);
  for (int i = 0; i < count; ++i)
    tb.buttons.insert(tb.buttons.begin() + index + i, ReadButton(tb, bytes + static_cast<size_t>(i) * tb.structSize));
  Changed(tb);
  return TRUE;
}

// Checks a button of a check group and releases the others of its run of group buttons.
void CheckInGroup(Toolbar& tb, int index) {
  int first = index, last = index;
  auto grouped = [&](int i) { return (tb.buttons[i].fsStyle & TBSTYLE_CHECKGROUP) == TBSTYLE_CHECKGROUP; };
  while (first > 0 && grouped(first - 1)) --first;
  while (last + 1 < Count(tb) && grouped(last + 1)) ++last;
  for (int i = first; i <= last; ++i) tb.buttons[i].fsState &= ~TBSTATE_CHECKED;
  tb.buttons[index].fsState |= TBSTATE_CHECKED;
}

BOOL SetFlag(Toolbar& tb, int command, BYTE flag, bool on) {
  int index = IndexOf(tb, command);
  if (index < 0) return FALSE;
  TBBUTTON& button = tb.buttons[index];
  if (flag == TBSTATE_CHECKED && on && (button.fsStyle & TBSTYLE_CHECKGROUP) == TBSTYLE_CHECKGROUP)
    CheckInGroup(tb, index);
  else if (on)
    button.fsState |= flag;
  else
    button.fsState &= ~flag;
  if (flag == TBSTATE_HIDDEN)
    Changed(tb);
  else
    InvalidateRect(tb.hwnd, nullptr, TRUE);
  return TRUE;
}

LRESULT HasFlag(const Toolbar& tb, int command, BYTE flag) {
  int index = IndexOf(tb, command);
  if (index < 0) return -1;
  return (tb.buttons[index].fsState & flag) ? TRUE : FALSE;
}

int ButtonAt(const Toolbar& tb, POINT pt) {
  auto rects = Layout(tb);
  for (int i = 0; i < Count(tb); ++i)
    if (!(tb.buttons[i].fsStyle & TBSTYLE_SEP) && PtInRect(&rects[i], pt)) return i;
  return -1;
}

void RelayToTips(Toolbar& tb, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (!tb.tooltips) return;
  MSG relayed{tb.hwnd, msg, wParam, lParam, static_cast<DWORD>(GetMessageTime()), {}};
  DWORD pos = GetMessagePos();
  relayed.pt = {static_cast<SHORT>(LOWORD(pos)), static_cast<SHORT>(HIWORD(pos))};
  SendMessageA(tb.tooltips, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
}

void SetPressed(Toolbar& tb, int index, bool pressed) {
  BYTE& state = tb.buttons[index].fsState;
  BYTE now = pressed ? (state | TBSTATE_PRESSED) : (state & ~TBSTATE_PRESSED);
  if (now == state) return;
  state = now;
  InvalidateRect(tb.hwnd, nullptr, TRUE);
}

void ButtonDown(Toolbar& tb, POINT pt) {
  int index = ButtonAt(tb, pt);
  if (index < 0 || !(tb.buttons[index].fsState & TBSTATE_ENABLED)) return;
  tb.pressed = index;
  SetCapture(tb.hwnd);
  SetPressed(tb, index, true);
}

void MouseMove(Toolbar& tb, POINT pt) {
  if (tb.pressed < 0 || tb.pressed >= Count(tb)) return;
  SetPressed(tb, tb.pressed, ButtonAt(tb, pt) == tb.pressed);
}

void ButtonUp(Toolbar& tb, POINT pt) {
  int index = tb.pressed;
  tb.pressed = -1;
  if (index < 0) return;
  if (GetCapture() == tb.hwnd) ReleaseCapture();
  if (index >= Count(tb)) return;
  SetPressed(tb, index, false);
  if (ButtonAt(tb, pt) != index) return;
  TBBUTTON& button = tb.buttons[index];
  if ((button.fsStyle & TBSTYLE_CHECKGROUP) == TBSTYLE_CHECKGROUP)
    CheckInGroup(tb, index);
  else if (button.fsStyle & TBSTYLE_CHECK)
    button.fsState ^= TBSTATE_CHECKED;
  InvalidateRect(tb.hwnd, nullptr, TRUE);
  if (tb.parent)
    SendMessageA(tb.parent, WM_COMMAND, MAKEWPARAM(button.idCommand, BN_CLICKED), reinterpret_cast<LPARAM>(tb.hwnd));
}

void Dither(HDC dc, const RECT& rect) {
  COLORREF light = GetSysColor(COLOR_BTNHIGHLIGHT);
  for (int y = rect.top; y < rect.bottom; ++y)
    for (int x = rect.left + ((y - rect.top) & 1); x < rect.right; x += 2) SetPixel(dc, x, y, light);
}

void Paint(Toolbar& tb, HDC dc) {
  RECT client;
  GetClientRect(tb.hwnd, &client);
  FillSolid(dc, client, COLOR_BTNFACE);
  if (!(Style(tb) & CCS_NODIVIDER)) {
    RECT divider{client.left, 0, client.right, kDivider};
    DrawEdge(dc, &divider, EDGE_ETCHED, BF_TOP);
  }
  auto rects = Layout(tb);
  for (int i = 0; i < Count(tb); ++i) {
    const TBBUTTON& button = tb.buttons[i];
    if ((button.fsStyle & TBSTYLE_SEP) || (button.fsState & TBSTATE_HIDDEN)) continue;
    RECT r = rects[i];
    bool checked = button.fsState & TBSTATE_CHECKED, pressed = button.fsState & TBSTATE_PRESSED;
    DrawButtonFace(dc, r, checked || pressed);
    if (checked && !pressed) {
      RECT inner = r;
      InflateRect(&inner, -2, -2);
      Dither(dc, inner);
    }
    int shift = (checked || pressed) ? 1 : 0;
    int x = r.left + (tb.button.cx - tb.bitmap.cx) / 2 + shift, y = r.top + (tb.button.cy - tb.bitmap.cy) / 2 + shift;
    int slot = button.iBitmap >= 0 && button.iBitmap < static_cast<int>(tb.imageSlots.size())
                   ? tb.imageSlots[button.iBitmap]
                   : -1;
    if (slot >= 0) ImageList_Draw(tb.images, slot, dc, x, y, ILD_NORMAL);
    if (!(button.fsState & TBSTATE_ENABLED)) {
      RECT image{x, y, x + tb.bitmap.cx, y + tb.bitmap.cy};
      GreyOut(dc, image);
    }
  }
}

LRESULT StateMessage(Toolbar& tb, UINT msg, WPARAM wParam, LPARAM lParam) {
  int command = static_cast<int>(wParam);
  bool on = LOWORD(lParam) != 0;
  switch (msg) {
    case TB_ENABLEBUTTON:
      return SetFlag(tb, command, TBSTATE_ENABLED, on);
    case TB_CHECKBUTTON:
      return SetFlag(tb, command, TBSTATE_CHECKED, on);
    case TB_PRESSBUTTON:
      return SetFlag(tb, command, TBSTATE_PRESSED, on);
    case TB_HIDEBUTTON:
      return SetFlag(tb, command, TBSTATE_HIDDEN, on);
    case TB_INDETERMINATE:
      return SetFlag(tb, command, TBSTATE_INDETERMINATE, on);
    case TB_ISBUTTONENABLED:
      return HasFlag(tb, command, TBSTATE_ENABLED);
    case TB_ISBUTTONCHECKED:
      return HasFlag(tb, command, TBSTATE_CHECKED);
    case TB_ISBUTTONPRESSED:
      return HasFlag(tb, command, TBSTATE_PRESSED);
    case TB_ISBUTTONHIDDEN:
      return HasFlag(tb, command, TBSTATE_HIDDEN);
    case TB_ISBUTTONINDETERMINATE:
      return HasFlag(tb, command, TBSTATE_INDETERMINATE);
    case TB_GETSTATE: {
      int index = IndexOf(tb, command);
      return index < 0 ? -1 : tb.buttons[index].fsState;
    }
    case TB_SETSTATE: {
      int index = IndexOf(tb, command);
      if (index < 0) return FALSE;
      tb.buttons[index].fsState = static_cast<BYTE>(LOWORD(lParam));
      Changed(tb);
      return TRUE;
    }
    default:
      return DefWindowProcA(tb.hwnd, msg, wParam, lParam);
  }
}

LRESULT ToolbarMessage(Toolbar& tb, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case TB_ADDBITMAP:
      return AddBitmap(tb, static_cast<int>(wParam), reinterpret_cast<const TBADDBITMAP*>(lParam));
    case TB_ADDBUTTONSA:
      return InsertButtons(tb, Count(tb), static_cast<int>(wParam), reinterpret_cast<const TBBUTTON*>(lParam));
    case TB_INSERTBUTTONA:
      return InsertButtons(tb, static_cast<int>(wParam), 1, reinterpret_cast<const TBBUTTON*>(lParam));
    case TB_DELETEBUTTON:
      if (wParam >= tb.buttons.size()) return FALSE;
      tb.buttons.erase(tb.buttons.begin() + static_cast<long>(wParam));
      if (tb.pressed == static_cast<int>(wParam))
        tb.pressed = -1;
      else if (tb.pressed > static_cast<int>(wParam))
        --tb.pressed;  // the held button moved down one place
      Changed(tb);
      return TRUE;
    case TB_GETBUTTON:
      if (wParam >= tb.buttons.size() || !lParam) return FALSE;
      std::memcpy(reinterpret_cast<void*>(lParam), &tb.buttons[wParam],
                  std::min<size_t>(tb.structSize, sizeof(TBBUTTON)));
      return TRUE;
    case TB_BUTTONCOUNT:
      return Count(tb);
    case TB_COMMANDTOINDEX:
      return IndexOf(tb, static_cast<int>(wParam));
    case TB_GETITEMRECT: {
      auto* rect = reinterpret_cast<RECT*>(lParam);
      if (!rect || wParam >= tb.buttons.size() || (tb.buttons[wParam].fsState & TBSTATE_HIDDEN)) return FALSE;
      *rect = Layout(tb)[wParam];
      return TRUE;
    }
    case TB_BUTTONSTRUCTSIZE:
      if (wParam >= 16 && wParam <= 64) tb.structSize = static_cast<UINT>(wParam);
      return 0;
    case TB_SETBUTTONSIZE:
      tb.button = {std::max<LONG>(1, LOWORD(lParam)), std::max<LONG>(1, HIWORD(lParam))};
      Changed(tb);
      return TRUE;
    case TB_SETBITMAPSIZE:
      if (tb.images) return FALSE;  // images of the old size are already cut
      tb.bitmap = {std::max<LONG>(1, LOWORD(lParam)), std::max<LONG>(1, HIWORD(lParam))};
      tb.button.cx = std::max(tb.button.cx, tb.bitmap.cx);
      tb.button.cy = std::max(tb.button.cy, tb.bitmap.cy);
      return TRUE;
    case TB_AUTOSIZE:
      AutoSize(tb);
      return 0;
    case TB_GETTOOLTIPS:
      return reinterpret_cast<LRESULT>(tb.tooltips);
    case TB_SETTOOLTIPS:
      tb.tooltips = reinterpret_cast<HWND>(wParam);
      tb.tools.clear();
      SyncTools(tb);
      return 0;
    case TB_SETPARENT: {
      HWND old = tb.parent;
      tb.parent = reinterpret_cast<HWND>(wParam);
      return reinterpret_cast<LRESULT>(old);
    }
    default:
      return StateMessage(tb, msg, wParam, lParam);
  }
}

LRESULT CALLBACK ToolbarProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  Toolbar* tb = ToolbarOf(hwnd);
  if (msg == WM_NCCREATE) {
    CreateState<Toolbar>(hwnd, lParam);
    return DefWindowProcA(hwnd, msg, wParam, lParam);
  }
  if (!tb) return DefWindowProcA(hwnd, msg, wParam, lParam);
  if (msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST) RelayToTips(*tb, msg, wParam, lParam);
  switch (msg) {
    case WM_CREATE:
      if (Style(*tb) & TBSTYLE_TOOLTIPS) {
        RegisterTooltips();
        tb->tooltips = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr,
                                       WS_POPUP | TTS_ALWAYSTIP, 0, 0, 0, 0, hwnd, nullptr, nullptr, nullptr);
      }
      return 0;
    case WM_DESTROY:
      if (tb->tooltips && IsWindow(tb->tooltips) && GetWindow(tb->tooltips, GW_OWNER) == hwnd)
        DestroyWindow(tb->tooltips);
      tb->tooltips = nullptr;
      return 0;
    case WM_NCDESTROY:
      if (tb->images) ImageList_Destroy(tb->images);
      DeleteState(hwnd, tb);
      return DefWindowProcA(hwnd, msg, wParam, lParam);
    case WM_PAINT:
    case WM_PRINTCLIENT:
      PaintControl(hwnd, msg, wParam, [&](HDC dc) { Paint(*tb, dc); });
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      ButtonDown(*tb, MousePoint(lParam));
      return 0;
    case WM_MOUSEMOVE:
      MouseMove(*tb, MousePoint(lParam));
      return 0;
    case WM_LBUTTONUP:
      ButtonUp(*tb, MousePoint(lParam));
      return 0;
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(lParam) != hwnd && tb->pressed >= 0 && tb->pressed < Count(*tb)) {
        SetPressed(*tb, tb->pressed, false);
        tb->pressed = -1;
      }
      return 0;
    case WM_NOTIFY: {
      // The tooltips ask the toolbar; the toolbar's parent knows the texts.
      auto* header = reinterpret_cast<NMHDR*>(lParam);
      if (header && header->hwndFrom == tb->tooltips && tb->parent)
        return SendMessageA(tb->parent, WM_NOTIFY, wParam, lParam);
      return 0;
    }
    default:
      return ToolbarMessage(*tb, msg, wParam, lParam);
  }
}

}  // namespace

bool RegisterToolbar() { return RegisterControlClass(TOOLBARCLASSNAMEA, ToolbarProc, CS_DBLCLKS, -1); }

}  // namespace host::comctl

extern "C" HWND WINAPI CreateToolbarEx(HWND hwnd, DWORD ws, UINT wID, int nBitmaps, HINSTANCE hBMInst, UINT_PTR wBMID,
                                       LPCTBBUTTON lpButtons, int iNumButtons, int dxButton, int dyButton, int dxBitmap,
                                       int dyBitmap, UINT uStructSize) {
  using namespace host::comctl;
  RegisterToolbar();
  HWND toolbar = CreateWindowExA(0, TOOLBARCLASSNAMEA, nullptr, ws | WS_CHILD, 0, 0, 100, 30, hwnd,
                                 reinterpret_cast<HMENU>(static_cast<UINT_PTR>(wID)), nullptr, nullptr);
  if (!toolbar) return nullptr;
  SendMessageA(toolbar, TB_BUTTONSTRUCTSIZE, uStructSize, 0);
  if (dxBitmap > 0 && dyBitmap > 0) SendMessageA(toolbar, TB_SETBITMAPSIZE, 0, MAKELONG(dxBitmap, dyBitmap));
  if (dxButton > 0 && dyButton > 0) SendMessageA(toolbar, TB_SETBUTTONSIZE, 0, MAKELONG(dxButton, dyButton));
  TBADDBITMAP bitmaps{hBMInst, wBMID};
  if (nBitmaps > 0 && SendMessageA(toolbar, TB_ADDBITMAP, nBitmaps, reinterpret_cast<LPARAM>(&bitmaps)) < 0) {
    DestroyWindow(toolbar);
    return nullptr;
  }
  if (lpButtons && iNumButtons > 0)
    SendMessageA(toolbar, TB_ADDBUTTONSA, iNumButtons, reinterpret_cast<LPARAM>(lpButtons));
  SendMessageA(toolbar, TB_AUTOSIZE, 0, 0);
  return toolbar;
}
