// The "Button" class: push and default push buttons, check boxes (two and
// three states, manual and automatic), radio buttons, group boxes and
// owner-drawn buttons, in the Windows 95 look.
#include <algorithm>
#include <vector>

#include "user/controls.h"

namespace host::user {
namespace {

struct ButtonState {
  UINT check = BST_UNCHECKED;
  bool pushed = false, focus = false, tracking = false, spaceDown = false;
  HFONT font = nullptr;
  HANDLE image = nullptr;
};

ControlStore<ButtonState>& Store() {
  static ControlStore<ButtonState> store;
  return store;
}

constexpr int kBoxSize = 13;

UINT TypeOf(HWND hwnd) { return StyleOf(hwnd) & BS_TYPEMASK; }

bool IsCheckBox(UINT type) {
  return type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_3STATE || type == BS_AUTO3STATE;
}
bool IsRadio(UINT type) { return type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON; }
bool IsThreeState(UINT type) { return type == BS_3STATE || type == BS_AUTO3STATE; }

LRESULT DialogCode(UINT type) {
  switch (type) {
    case BS_DEFPUSHBUTTON:
      return DLGC_BUTTON | DLGC_DEFPUSHBUTTON;
    case BS_PUSHBUTTON:
    case BS_USERBUTTON:
      return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON:
      return DLGC_BUTTON | DLGC_RADIOBUTTON;
    case BS_GROUPBOX:
      return DLGC_STATIC;
    default:
      return DLGC_BUTTON;
  }
}

std::string TextOf(HWND hwnd) {
  int length = GetWindowTextLengthA(hwnd);
  std::string text(length + 1, '\0');
  GetWindowTextA(hwnd, text.data(), length + 1);
  text.resize(lstrlenA(text.c_str()));
  return text;
}

void FillWith(HDC dc, RECT rect, int colour) { FillRect(dc, &rect, SysBrush(colour)); }

// One ring of a bevel: top and left in one colour, bottom and right in another.
void Ring(HDC dc, const RECT& r, int topLeft, int bottomRight) {
  FillWith(dc, {r.left, r.top, r.right - 1, r.top + 1}, topLeft);
  FillWith(dc, {r.left, r.top, r.left + 1, r.bottom - 1}, topLeft);
  FillWith(dc, {r.left, r.bottom - 1, r.right, r.bottom}, bottomRight);
  FillWith(dc, {r.right - 1, r.top, r.right, r.bottom}, bottomRight);
}

UINT HorizontalAlign(DWORD style, UINT fallback) {
  switch (style & BS_CENTER) {
    case BS_LEFT:
      return DT_LEFT;
    case BS_RIGHT:
      return DT_RIGHT;
    case BS_CENTER:
      return DT_CENTER;
  }
  return fallback;
}

// Draws the label in `area`; returns the rectangle the text covers (for the focus rectangle).
RECT DrawLabel(HWND hwnd, HDC dc, RECT area, UINT fallbackAlign) {
  DWORD style = StyleOf(hwnd);
  std::string text = TextOf(hwnd);
  UINT format = HorizontalAlign(style, fallbackAlign);
  if (style & BS_MULTILINE) format |= DT_WORDBREAK;
  RECT measured = area;
  DrawTextA(dc, text.c_str(), -1, &measured, format | DT_CALCRECT);
  int height = measured.bottom - measured.top, width = measured.right - measured.left;
  RECT box = area;
  switch (style & BS_VCENTER) {
    case BS_TOP:
      box.bottom = box.top + height;
      break;
    case BS_BOTTOM:
      box.top = box.bottom - height;
      break;
    default:
      box.top = area.top + (area.bottom - area.top - height) / 2;
      box.bottom = box.top + height;
  }
  if (!IsWindowEnabled(hwnd)) SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
  SetBkMode(dc, TRANSPARENT);
  DrawTextA(dc, text.c_str(), -1, &box, format);
  RECT covered = box;
  if ((format & (DT_CENTER | DT_RIGHT)) == DT_CENTER) covered.left = box.left + (box.right - box.left - width) / 2;
  if (format & DT_RIGHT) covered.left = box.right - width;
  covered.right = std::min(box.right, covered.left + width);
  return covered;
}

void DrawPushButton(HWND hwnd, const ButtonState& s, HDC dc) {
  RECT rect = ClientRectOf(hwnd);
  FillRect(dc, &rect, ControlBrush(hwnd, dc, WM_CTLCOLORBTN));
  if (TypeOf(hwnd) == BS_DEFPUSHBUTTON) {
    FrameRect(dc, &rect, SysBrush(COLOR_WINDOWFRAME));
    InflateRect(&rect, -1, -1);
  }
  if (s.pushed) {
    FrameRect(dc, &rect, SysBrush(COLOR_3DDKSHADOW));
    InflateRect(&rect, -1, -1);
    FrameRect(dc, &rect, SysBrush(COLOR_3DSHADOW));
    InflateRect(&rect, -1, -1);
  } else {
    Ring(dc, rect, COLOR_3DHILIGHT, COLOR_3DDKSHADOW);
    InflateRect(&rect, -1, -1);
    Ring(dc, rect, COLOR_3DLIGHT, COLOR_3DSHADOW);
    InflateRect(&rect, -1, -1);
  }
  FillRect(dc, &rect, SysBrush(COLOR_3DFACE));
  RECT area = rect;
  InflateRect(&area, -2, -1);
  if (s.pushed) OffsetRect(&area, 1, 1);
  SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
  DrawLabel(hwnd, dc, area, DT_CENTER);
  if (s.focus) {
    RECT focus = rect;
    InflateRect(&focus, -1, -1);
    DrawFocusRect(dc, &focus);
  }
}

void DrawCheckMark(HDC dc, const RECT& inner, int colour) {
  HPEN pen = CreatePen(PS_SOLID, 1, GetSysColor(colour));
  HGDIOBJ old = SelectObject(dc, pen);
  for (int row = 0; row < 3; ++row) {
    MoveToEx(dc, inner.left + 1, inner.top + 3 + row, nullptr);
    LineTo(dc, inner.left + 3, inner.top + 5 + row);
    LineTo(dc, inner.left + 8, inner.top + row);
  }
  SelectObject(dc, old);
  DeleteObject(pen);
}

RECT MarkBox(HWND hwnd, const RECT& client, int size) {
  int top = client.top + (client.bottom - client.top - size) / 2;
  if (StyleOf(hwnd) & BS_LEFTTEXT) return {client.right - size, top, client.right, top + size};
  return {client.left, top, client.left + size, top + size};
}

void DrawCheckBox(HWND hwnd, const ButtonState& s, HDC dc) {
  RECT client = ClientRectOf(hwnd);
  FillRect(dc, &client, ControlBrush(hwnd, dc, WM_CTLCOLORSTATIC));
  bool enabled = IsWindowEnabled(hwnd);
  RECT box = MarkBox(hwnd, client, kBoxSize);
  DrawEdge(dc, &box, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
  FillWith(dc, box, s.pushed || !enabled ? COLOR_3DFACE : COLOR_WINDOW);
  if (s.check == BST_CHECKED) DrawCheckMark(dc, box, enabled ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT);
  if (s.check == BST_INDETERMINATE) DrawCheckMark(dc, box, COLOR_GRAYTEXT);
  RECT area = client;
  if (StyleOf(hwnd) & BS_LEFTTEXT)
    area.right -= kBoxSize + 4;
  else
    area.left += kBoxSize + 4;
  RECT covered = DrawLabel(hwnd, dc, area, DT_LEFT);
  if (s.focus) {
    InflateRect(&covered, 1, 1);
    IntersectRect(&covered, &covered, &client);
    DrawFocusRect(dc, &covered);
  }
}

void DrawRadio(HWND hwnd, const ButtonState& s, HDC dc) {
  RECT client = ClientRectOf(hwnd);
  FillRect(dc, &client, ControlBrush(hwnd, dc, WM_CTLCOLORSTATIC));
  bool enabled = IsWindowEnabled(hwnd);
  RECT box = MarkBox(hwnd, client, 12);
  HPEN shadow = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_3DSHADOW));
  HGDIOBJ oldPen = SelectObject(dc, shadow);
  HGDIOBJ oldBrush = SelectObject(dc, SysBrush(s.pushed || !enabled ? COLOR_3DFACE : COLOR_WINDOW));
  Ellipse(dc, box.left, box.top, box.right, box.bottom);
  if (s.check) {
    HBRUSH dot = SysBrush(enabled ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT);
    SelectObject(dc, GetStockObject(NULL_PEN));
    SelectObject(dc, dot);
    Ellipse(dc, box.left + 4, box.top + 4, box.left + 9, box.top + 9);
  }
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
  DeleteObject(shadow);
  RECT area = client;
  if (StyleOf(hwnd) & BS_LEFTTEXT)
    area.right -= 12 + 4;
  else
    area.left += 12 + 4;
  RECT covered = DrawLabel(hwnd, dc, area, DT_LEFT);
  if (s.focus) {
    InflateRect(&covered, 1, 1);
    IntersectRect(&covered, &covered, &client);
    DrawFocusRect(dc, &covered);
  }
}

void DrawGroupBox(HWND hwnd, HDC dc) {
  RECT client = ClientRectOf(hwnd);
  HBRUSH brush = ControlBrush(hwnd, dc, WM_CTLCOLORSTATIC);
  std::string text = TextOf(hwnd);
  // The caption's "&" marks a mnemonic, as on every button: measured and drawn with DrawTextA.
  RECT measured{0, 0, 0, 0};
  DrawTextA(dc, text.c_str(), -1, &measured, DT_SINGLELINE | DT_CALCRECT);
  SIZE extent{measured.right - measured.left, measured.bottom - measured.top};
  RECT frame = client;
  frame.top += extent.cy / 2;
  DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);
  if (text.empty()) return;
  int left = 8;
  DWORD align = StyleOf(hwnd) & BS_CENTER;
  if (align == BS_CENTER) left = (client.right - extent.cx) / 2;
  if (align == BS_RIGHT) left = client.right - 8 - extent.cx;
  RECT label{left - 2, client.top, left + extent.cx + 2, client.top + extent.cy};
  FillRect(dc, &label, brush);
  if (!IsWindowEnabled(hwnd)) SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
  SetBkMode(dc, TRANSPARENT);
  RECT caption{left, client.top, left + extent.cx, client.top + extent.cy};
  DrawTextA(dc, text.c_str(), -1, &caption, DT_SINGLELINE | DT_NOCLIP);
}

void DrawOwnerDrawn(HWND hwnd, const ButtonState& s, HDC dc, UINT action) {
  HBRUSH brush = ControlBrush(hwnd, dc, WM_CTLCOLORBTN);
  RECT client = ClientRectOf(hwnd);
  if (action == ODA_DRAWENTIRE) FillRect(dc, &client, brush);
  DRAWITEMSTRUCT item{};
  item.CtlType = ODT_BUTTON;
  item.CtlID = static_cast<UINT>(GetDlgCtrlID(hwnd));
  item.itemAction = action;
  item.itemState =
      (s.pushed ? ODS_SELECTED : 0) | (s.focus ? ODS_FOCUS : 0) | (IsWindowEnabled(hwnd) ? 0 : ODS_DISABLED);
  item.hwndItem = hwnd;
  item.hDC = dc;
  item.rcItem = client;
  SendMessageA(GetParent(hwnd), WM_DRAWITEM, item.CtlID, reinterpret_cast<LPARAM>(&item));
}

void Draw(HWND hwnd, const ButtonState& s, HDC dc, UINT action) {
  int saved = SaveDC(dc);
  SelectObject(dc, DrawingFont(s.font));
  UINT type = TypeOf(hwnd);
  if (type == BS_OWNERDRAW)
    DrawOwnerDrawn(hwnd, s, dc, action);
  else if (IsCheckBox(type))
    DrawCheckBox(hwnd, s, dc);
  else if (IsRadio(type))
    DrawRadio(hwnd, s, dc);
  else if (type == BS_GROUPBOX)
    DrawGroupBox(hwnd, dc);
  else
    DrawPushButton(hwnd, s, dc);
  RestoreDC(dc, saved);
}

void DrawChange(HWND hwnd, const std::shared_ptr<ButtonState>& s, UINT action) {
  DrawNow(hwnd, [&](HDC dc) { Draw(hwnd, *s, dc, action); });
}

void SetPushed(HWND hwnd, const std::shared_ptr<ButtonState>& s, bool pushed) {
  if (s->pushed == pushed) return;
  s->pushed = pushed;
  if (StyleOf(hwnd) & BS_NOTIFY) NotifyParent(hwnd, pushed ? BN_HILITE : BN_UNHILITE);
  DrawChange(hwnd, s, ODA_SELECT);
}

// The siblings in the order they were made (a dialog's template order).
std::vector<HWND> SiblingsInOrder(HWND hwnd) {
  std::vector<HWND> siblings;
  HWND parent = GetParent(hwnd);
  for (HWND child = GetWindow(hwnd, GW_HWNDFIRST); child; child = GetWindow(child, GW_HWNDNEXT))
    if (GetParent(child) == parent) siblings.push_back(child);
  std::sort(siblings.begin(), siblings.end(),
            [](HWND a, HWND b) { return reinterpret_cast<ULONG_PTR>(a) < reinterpret_cast<ULONG_PTR>(b); });
  return siblings;
}

// The group runs from the nearest sibling at or before this one with WS_GROUP to the next one with it.
std::vector<HWND> GroupOf(HWND hwnd) {
  auto siblings = SiblingsInOrder(hwnd);
  auto self = std::find(siblings.begin(), siblings.end(), hwnd);
  if (self == siblings.end()) return {hwnd};
  auto start = self;
  while (start != siblings.begin() && !(StyleOf(*start) & WS_GROUP)) --start;
  auto end = self + 1;
  while (end != siblings.end() && !(StyleOf(*end) & WS_GROUP)) ++end;
  return {start, end};
}

// Unchecks the other radio buttons of the group by sending BM_SETCHECK through their procedures as
// they are now, so a subclassed button sees it.
void UncheckOthersInGroup(HWND hwnd) {
  for (HWND other : GroupOf(hwnd)) {
    if (other == hwnd || !IsWindow(other)) continue;
    if (SendMessageA(other, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON) SendMessageA(other, BM_SETCHECK, BST_UNCHECKED, 0);
  }
}

void Clicked(HWND hwnd, const std::shared_ptr<ButtonState>& s) {
  switch (TypeOf(hwnd)) {
    case BS_AUTOCHECKBOX:
      SendMessageA(hwnd, BM_SETCHECK, s->check ? BST_UNCHECKED : BST_CHECKED, 0);
      break;
    case BS_AUTO3STATE:
      SendMessageA(hwnd, BM_SETCHECK, (s->check + 1) % 3, 0);
      break;
    case BS_AUTORADIOBUTTON:
      SendMessageA(hwnd, BM_SETCHECK, BST_CHECKED, 0);
      UncheckOthersInGroup(hwnd);
      break;
  }
  NotifyParent(hwnd, BN_CLICKED);
}

LRESULT SetCheck(HWND hwnd, const std::shared_ptr<ButtonState>& s, WPARAM wParam) {
  UINT type = TypeOf(hwnd);
  if (!IsCheckBox(type) && !IsRadio(type)) return 0;
  UINT check = wParam == BST_INDETERMINATE && IsThreeState(type) ? BST_INDETERMINATE : (wParam ? BST_CHECKED : 0);
  if (IsRadio(type)) {  // the tab stop of a radio group follows its checked button
    DWORD style = StyleOf(hwnd);
    DWORD wanted = check ? (style | WS_TABSTOP) : (style & ~WS_TABSTOP);
    if (wanted != style) SetWindowLongA(hwnd, GWL_STYLE, static_cast<LONG>(wanted));
  }
  if (s->check != check) {
    s->check = check;
    DrawChange(hwnd, s, ODA_SELECT);
  }
  return 0;
}

void StartTracking(HWND hwnd, const std::shared_ptr<ButtonState>& s) {
  s->tracking = true;
  if (GetFocus() != hwnd) SetFocus(hwnd);
  SetCapture(hwnd);
  SetPushed(hwnd, s, true);
}

void EndTracking(HWND hwnd, const std::shared_ptr<ButtonState>& s, LPARAM lParam) {
  if (!s->tracking) return;
  s->tracking = false;
  POINT pt{static_cast<SHORT>(LOWORD(lParam)), static_cast<SHORT>(HIWORD(lParam))};
  RECT client = ClientRectOf(hwnd);
  bool inside = PtInRect(&client, pt);
  SetPushed(hwnd, s, false);
  if (GetCapture() == hwnd) ReleaseCapture();
  if (inside) Clicked(hwnd, s);
}

bool NotifiesDoubleClicks(HWND hwnd) {
  UINT type = TypeOf(hwnd);
  return (StyleOf(hwnd) & BS_NOTIFY) || type == BS_RADIOBUTTON || type == BS_OWNERDRAW || type == BS_USERBUTTON;
}

LRESULT Mouse(HWND hwnd, const std::shared_ptr<ButtonState>& s, UINT msg, LPARAM lParam) {
  if (TypeOf(hwnd) == BS_GROUPBOX) return 0;
  switch (msg) {
    case WM_LBUTTONDBLCLK:
      if (NotifiesDoubleClicks(hwnd)) NotifyParent(hwnd, BN_DOUBLECLICKED);
      [[fallthrough]];
    case WM_LBUTTONDOWN:
      StartTracking(hwnd, s);
      return 0;
    case WM_MOUSEMOVE:
      if (s->tracking) {
        POINT pt{static_cast<SHORT>(LOWORD(lParam)), static_cast<SHORT>(HIWORD(lParam))};
        RECT client = ClientRectOf(hwnd);
        SetPushed(hwnd, s, PtInRect(&client, pt));
      }
      return 0;
    case WM_LBUTTONUP:
      EndTracking(hwnd, s, lParam);
      return 0;
  }
  return 0;
}

void FocusChanged(HWND hwnd, const std::shared_ptr<ButtonState>& s, bool focus) {
  s->focus = focus;
  if (!focus) {
    s->spaceDown = false;
    if (s->tracking) {
      s->tracking = false;
      if (GetCapture() == hwnd) ReleaseCapture();
    }
    SetPushed(hwnd, s, false);
  }
  DrawChange(hwnd, s, ODA_FOCUS);
  if (StyleOf(hwnd) & BS_NOTIFY) NotifyParent(hwnd, focus ? BN_SETFOCUS : BN_KILLFOCUS);
  // An automatic radio button that the keyboard moves to is chosen, as the arrows of a group do.
  if (focus && TypeOf(hwnd) == BS_AUTORADIOBUTTON && !s->tracking && !s->check && GetKeyState(VK_LBUTTON) >= 0)
    Clicked(hwnd, s);
}

LRESULT Keys(HWND hwnd, const std::shared_ptr<ButtonState>& s, UINT msg, WPARAM wParam) {
  if (wParam != VK_SPACE || TypeOf(hwnd) == BS_GROUPBOX) return 0;
  if (msg == WM_KEYDOWN && !s->spaceDown) {
    s->spaceDown = true;
    SetPushed(hwnd, s, true);
  } else if (msg == WM_KEYUP && s->spaceDown) {
    s->spaceDown = false;
    bool wasPushed = s->pushed;
    SetPushed(hwnd, s, false);
    if (wasPushed) Clicked(hwnd, s);
  }
  return 0;
}

LRESULT ButtonMessages(HWND hwnd, const std::shared_ptr<ButtonState>& s, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case BM_GETCHECK:
      return s->check;
    case BM_SETCHECK:
      return SetCheck(hwnd, s, wParam);
    case BM_GETSTATE:
      return s->check | (s->pushed ? BST_PUSHED : 0) | (s->focus ? BST_FOCUS : 0);
    case BM_SETSTATE:
      SetPushed(hwnd, s, wParam != 0);
      return 0;
    case BM_SETSTYLE: {
      DWORD style = (StyleOf(hwnd) & ~BS_TYPEMASK) | (wParam & BS_TYPEMASK);
      SetWindowLongA(hwnd, GWL_STYLE, static_cast<LONG>(style));
      if (lParam) Redraw(hwnd);
      return 0;
    }
    case BM_CLICK:
      if (!IsWindowEnabled(hwnd)) return 0;
      SendMessageA(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, 0);
      SendMessageA(hwnd, WM_LBUTTONUP, 0, 0);
      return 0;
    case BM_GETIMAGE:
      return reinterpret_cast<LRESULT>(s->image);
    case BM_SETIMAGE: {
      HANDLE old = s->image;
      s->image = reinterpret_cast<HANDLE>(lParam);
      Redraw(hwnd);
      return reinterpret_cast<LRESULT>(old);
    }
  }
  return 0;
}

}  // namespace

void ForgetButtonStates() { Store().Clear(); }

LRESULT CALLBACK ButtonProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto s = Store().ForMessage(hwnd, msg);
  if (!s) return DefWindowProcA(hwnd, msg, wParam, lParam);
  if (msg >= BM_GETCHECK && msg <= BM_SETIMAGE) return ButtonMessages(hwnd, s, msg, wParam, lParam);
  switch (msg) {
    case WM_GETDLGCODE:
      return DialogCode(TypeOf(hwnd));
    case WM_NCHITTEST:
      if (TypeOf(hwnd) == BS_GROUPBOX) return HTTRANSPARENT;
      break;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
    case WM_PRINTCLIENT:
      PaintWith(hwnd, wParam, [&](HDC dc) { Draw(hwnd, *s, dc, ODA_DRAWENTIRE); });
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_LBUTTONUP:
    case WM_MOUSEMOVE:
      return Mouse(hwnd, s, msg, lParam);
    case WM_CAPTURECHANGED:
      if (s->tracking) {
        s->tracking = false;
        SetPushed(hwnd, s, false);
      }
      return 0;
    case WM_KEYDOWN:
    case WM_KEYUP:
      return Keys(hwnd, s, msg, wParam);
    case WM_SETFOCUS:
      FocusChanged(hwnd, s, true);
      return 0;
    case WM_KILLFOCUS:
      FocusChanged(hwnd, s, false);
      return 0;
    case WM_ENABLE:
      if (!wParam && s->tracking) {
        s->tracking = false;
        if (GetCapture() == hwnd) ReleaseCapture();
        SetPushed(hwnd, s, false);
      }
      Redraw(hwnd);
      return 0;
    case WM_SETTEXT: {
      LRESULT result = DefWindowProcA(hwnd, msg, wParam, lParam);
      Redraw(hwnd);
      return result;
    }
    case WM_SETFONT:
      s->font = reinterpret_cast<HFONT>(wParam);
      if (lParam) Redraw(hwnd);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(s->font);
  }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

}  // namespace host::user
