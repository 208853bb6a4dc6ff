// The "ComboBox" class: a drop-down combo box (an edit with a list that
// drops), a drop-down list (a field showing the selected item) and a simple
// combo box (edit and list always shown). The list is a "ComboLBox" list box;
// programs' changes are silent, the user's are told (CBN_SELCHANGE,
// CBN_EDITCHANGE ...).
#include <algorithm>

#include "user/controls.h"

namespace host::user {
namespace {

constexpr int kButtonWidth = 16;  // SM_CXVSCROLL

struct ComboState {
  HWND edit = nullptr, list = nullptr;
  bool dropped = false, focus = false, pressed = false, extendedUi = false;
  bool settingText = false, resizing = false;
  int committed = -1;  // the selection the parent last saw
  int droppedHeight = 0, fieldHeight = 21, droppedWidth = 0;
  HFONT font = nullptr;
};

ControlStore<ComboState>& Store() {
  static ControlStore<ComboState> store;
  return store;
}

DWORD TypeOf(HWND hwnd) { return StyleOf(hwnd) & 3; }

int FieldHeight(HFONT font) { return FontHeight(font) + 8; }

std::string ItemText(const ComboState& s, int index) {
  LRESULT length = SendMessageA(s.list, LB_GETTEXTLEN, index, 0);
  if (length == LB_ERR) return "";
  std::string text(length + 1, '\0');
  SendMessageA(s.list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(text.data()));
  text.resize(length);
  return text;
}

int ListSelection(const ComboState& s) { return static_cast<int>(SendMessageA(s.list, LB_GETCURSEL, 0, 0)); }

// Shows the list's selection in the field; the edit's own EN_* do not reach the parent as CBN_EDIT*.
void ShowSelection(HWND hwnd, ComboState& s) {
  int sel = ListSelection(s);
  if (s.edit) {
    s.settingText = true;
    SetWindowTextA(s.edit, sel >= 0 ? ItemText(s, sel).c_str() : "");
    SendMessageA(s.edit, EM_SETSEL, 0, -1);
    s.settingText = false;
  }
  Redraw(hwnd);
}

void UserChangedSelection(HWND hwnd, const std::shared_ptr<ComboState>& s) {
  ShowSelection(hwnd, *s);
  int sel = ListSelection(*s);
  if (sel != s->committed) {
    s->committed = sel;
    NotifyParent(hwnd, CBN_SELCHANGE);
  }
}

void LayoutChildren(HWND hwnd, const ComboState& s) {
  RECT client = ClientRectOf(hwnd);
  int button = TypeOf(hwnd) == CBS_SIMPLE ? 0 : kButtonWidth;
  if (s.edit)
    SetWindowPos(s.edit, nullptr, 3, 3, std::max<int>(0, client.right - 6 - button), s.fieldHeight - 6,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  if (s.list && TypeOf(hwnd) == CBS_SIMPLE)
    SetWindowPos(s.list, nullptr, 0, s.fieldHeight, client.right, std::max<int>(0, client.bottom - s.fieldHeight),
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

// A drop-down's window is its field; the height it was given is the dropped height.
void FitToField(HWND hwnd, ComboState& s) {
  if (TypeOf(hwnd) == CBS_SIMPLE) return;
  RECT rect;
  GetWindowRect(hwnd, &rect);
  if (rect.bottom - rect.top == s.fieldHeight) return;
  s.resizing = true;
  SetWindowPos(hwnd, nullptr, 0, 0, rect.right - rect.left, s.fieldHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  s.resizing = false;
}

void ShowDropDown(HWND hwnd, const std::shared_ptr<ComboState>& s, bool show) {
  if (TypeOf(hwnd) == CBS_SIMPLE || show == s->dropped) return;
  if (show) {
    NotifyParent(hwnd, CBN_DROPDOWN);  // before the list shows, so the parent may fill it
    RECT rect;
    GetWindowRect(hwnd, &rect);
    int itemHeight = static_cast<int>(SendMessageA(s->list, LB_GETITEMHEIGHT, 0, 0));
    int height = std::max(s->droppedHeight - s->fieldHeight, itemHeight + 2);
    int width = std::max<int>(s->droppedWidth, rect.right - rect.left);
    s->dropped = true;
    SendMessageA(s->list, LB_SETCARETINDEX, std::max(0, ListSelection(*s)), 0);
    SetWindowPos(s->list, HWND_TOPMOST, rect.left, rect.bottom, width, height, SWP_NOACTIVATE | SWP_SHOWWINDOW);
    SetCapture(s->list);
  } else {
    s->dropped = false;
    if (GetCapture() == s->list) ReleaseCapture();
    SetWindowPos(s->list, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_HIDEWINDOW);
    NotifyParent(hwnd, CBN_CLOSEUP);
  }
  Redraw(hwnd);
}

void Create(HWND hwnd, const std::shared_ptr<ComboState>& s, const CREATESTRUCTA* cs) {
  DWORD style = cs->style, type = style & 3;
  s->droppedHeight = cs->cy;
  s->fieldHeight = FieldHeight(s->font);
  DWORD listStyle = LBS_NOTIFY | WS_BORDER | WS_VSCROLL;
  if (style & CBS_SORT) listStyle |= LBS_SORT;
  if (style & CBS_HASSTRINGS) listStyle |= LBS_HASSTRINGS;
  if (style & CBS_OWNERDRAWFIXED) listStyle |= LBS_OWNERDRAWFIXED;
  if (type == CBS_SIMPLE) {
    s->list = CreateWindowExA(0, "ComboLBox", "", listStyle | WS_CHILD | WS_VISIBLE, 0, s->fieldHeight, cs->cx,
                              std::max(0, cs->cy - s->fieldHeight), hwnd,
                              reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kComboListId)), cs->hInstance, hwnd);
  } else {
    s->list = CreateWindowExA(WS_EX_TOOLWINDOW, "ComboLBox", "", listStyle | WS_POPUP, 0, 0, cs->cx,
                              std::max(0, cs->cy - s->fieldHeight), hwnd, nullptr, cs->hInstance, hwnd);
  }
  if (type != CBS_DROPDOWNLIST) {
    DWORD editStyle = WS_CHILD | WS_VISIBLE | ((style & CBS_AUTOHSCROLL) ? ES_AUTOHSCROLL : 0);
    if (style & CBS_UPPERCASE) editStyle |= ES_UPPERCASE;
    if (style & CBS_LOWERCASE) editStyle |= ES_LOWERCASE;
    s->edit = CreateWindowExA(0, "Edit", cs->lpszName && !IS_INTRESOURCE(cs->lpszName) ? cs->lpszName : "", editStyle,
                              0, 0, 0, 0, hwnd, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kComboEditId)),
                              cs->hInstance, nullptr);
  }
  FitToField(hwnd, *s);
  LayoutChildren(hwnd, *s);
}

void DrawArrow(HDC dc, const RECT& button, bool enabled, int shift) {
  int cx = (button.left + button.right) / 2 + shift, cy = (button.top + button.bottom) / 2 - 1 + shift;
  RECT row;
  HBRUSH brush = SysBrush(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT);
  for (int i = 0; i < 4; ++i) {
    row = {cx - 3 + i, cy + i, cx + 4 - i, cy + i + 1};
    FillRect(dc, &row, brush);
  }
}

void Draw(HWND hwnd, const ComboState& s, HDC dc) {
  if (TypeOf(hwnd) == CBS_SIMPLE) return;
  int saved = SaveDC(dc);
  bool enabled = IsWindowEnabled(hwnd);
  RECT rect = ClientRectOf(hwnd);
  HBRUSH brush = ControlBrush(hwnd, dc, enabled ? WM_CTLCOLOREDIT : WM_CTLCOLORSTATIC);
  DrawEdge(dc, &rect, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
  RECT button{rect.right - kButtonWidth, rect.top, rect.right, rect.bottom};
  RECT field{rect.left, rect.top, button.left, rect.bottom};
  FillRect(dc, &field, brush);
  RECT face = button;
  if (s.pressed) {
    FrameRect(dc, &face, SysBrush(COLOR_3DSHADOW));
    InflateRect(&face, -1, -1);
    FillRect(dc, &face, SysBrush(COLOR_3DFACE));
  } else {
    DrawEdge(dc, &face, EDGE_RAISED, BF_RECT | BF_MIDDLE);
  }
  DrawArrow(dc, button, enabled, s.pressed ? 1 : 0);
  if (TypeOf(hwnd) == CBS_DROPDOWNLIST) {
    SelectObject(dc, DrawingFont(s.font));
    SetBkMode(dc, TRANSPARENT);
    RECT item = field;
    InflateRect(&item, -1, -1);
    bool highlight = s.focus && !s.dropped;
    if (highlight) {
      FillRect(dc, &item, SysBrush(COLOR_HIGHLIGHT));
      SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
    }
    if (!enabled) SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
    int sel = ListSelection(s);
    std::string text = sel >= 0 ? ItemText(s, sel) : "";
    RECT textArea = item;
    textArea.left += 2;
    DrawTextA(dc, text.c_str(), -1, &textArea, DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    if (highlight) DrawFocusRect(dc, &item);
  }
  RestoreDC(dc, saved);
}

void LostFocus(HWND hwnd, const std::shared_ptr<ComboState>& s, HWND to) {
  if (to == hwnd || (to && (to == s->edit || to == s->list))) return;
  if (s->dropped) ComboListDone(hwnd, -1, false);
  if (!s->focus) return;
  s->focus = false;
  Redraw(hwnd);
  NotifyParent(hwnd, CBN_KILLFOCUS);
}

void GainedFocus(HWND hwnd, const std::shared_ptr<ComboState>& s) {
  if (s->focus) return;
  s->focus = true;
  Redraw(hwnd);
  NotifyParent(hwnd, CBN_SETFOCUS);
}

LRESULT ChildCommand(HWND hwnd, const std::shared_ptr<ComboState>& s, WPARAM wParam, LPARAM lParam) {
  HWND child = reinterpret_cast<HWND>(lParam);
  WORD code = HIWORD(wParam);
  if (child && child == s->edit) {
    switch (code) {
      case EN_CHANGE:
        if (!s->settingText) NotifyParent(hwnd, CBN_EDITCHANGE);
        break;
      case EN_UPDATE:
        if (!s->settingText) NotifyParent(hwnd, CBN_EDITUPDATE);
        break;
      case EN_SETFOCUS:
        GainedFocus(hwnd, s);
        break;
    }
  } else if (child && child == s->list && code == LBN_SELCHANGE) {
    UserChangedSelection(hwnd, s);
  }
  return 0;
}

bool Key(HWND hwnd, const std::shared_ptr<ComboState>& s, UINT vk) {
  switch (vk) {
    case VK_F4:
      ShowDropDown(hwnd, s, !s->dropped);
      return true;
    case VK_RETURN:
    case VK_ESCAPE:
      if (!s->dropped) return false;
      ComboListDone(hwnd, vk == VK_RETURN ? ListSelection(*s) : -1, vk == VK_RETURN);
      return true;
    case VK_UP:
    case VK_DOWN:
    case VK_PRIOR:
    case VK_NEXT:
      SendMessageA(s->list, WM_KEYDOWN, vk, 0);
      return true;
    case VK_HOME:
    case VK_END:
      if (s->edit) return false;  // the edit's own keys
      SendMessageA(s->list, WM_KEYDOWN, vk, 0);
      return true;
  }
  return false;
}

LRESULT Mouse(HWND hwnd, const std::shared_ptr<ComboState>& s, UINT msg, LPARAM lParam) {
  POINT pt{static_cast<SHORT>(LOWORD(lParam)), static_cast<SHORT>(HIWORD(lParam))};
  RECT client = ClientRectOf(hwnd);
  bool onButton = pt.x >= client.right - kButtonWidth - 2;
  if (msg == WM_LBUTTONDOWN || msg == WM_LBUTTONDBLCLK) {
    HWND focus = GetFocus();
    if (!focus || (focus != hwnd && focus != s->edit)) SetFocus(hwnd);
    if (TypeOf(hwnd) == CBS_DROPDOWNLIST || (TypeOf(hwnd) == CBS_DROPDOWN && onButton)) {
      s->pressed = !s->dropped;
      ShowDropDown(hwnd, s, !s->dropped);
    }
  } else if (msg == WM_LBUTTONUP && s->pressed) {
    s->pressed = false;
    Redraw(hwnd);
  }
  return 0;
}

LRESULT SetText(HWND hwnd, const std::shared_ptr<ComboState>& s, LPARAM lParam) {
  DefWindowProcA(hwnd, WM_SETTEXT, 0, lParam);
  if (s->edit) {
    s->settingText = true;
    SetWindowTextA(s->edit, lParam ? reinterpret_cast<LPCSTR>(lParam) : "");
    s->settingText = false;
    return TRUE;
  }
  // A drop-down list shows only its items: the text must name one.
  LRESULT found = SendMessageA(s->list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), lParam);
  if (found == LB_ERR) return CB_ERR;
  SendMessageA(s->list, LB_SETCURSEL, found, 0);
  s->committed = static_cast<int>(found);
  Redraw(hwnd);
  return TRUE;
}

LRESULT GetText(HWND hwnd, const ComboState& s, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (s.edit) return SendMessageA(s.edit, msg, wParam, lParam);
  (void)hwnd;
  int sel = ListSelection(s);
  std::string text = sel >= 0 ? ItemText(s, sel) : "";
  if (msg == WM_GETTEXTLENGTH) return static_cast<LRESULT>(text.size());
  if (!wParam || !lParam) return 0;
  size_t count = std::min<size_t>(text.size(), wParam - 1);
  std::copy_n(text.data(), count, reinterpret_cast<char*>(lParam));
  reinterpret_cast<char*>(lParam)[count] = '\0';
  return static_cast<LRESULT>(count);
}

LRESULT ComboMessages(HWND hwnd, const std::shared_ptr<ComboState>& s, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case CB_ADDSTRING:
      return SendMessageA(s->list, LB_ADDSTRING, wParam, lParam);
    case CB_INSERTSTRING:
      return SendMessageA(s->list, LB_INSERTSTRING, wParam, lParam);
    case CB_DELETESTRING: {
      LRESULT result = SendMessageA(s->list, LB_DELETESTRING, wParam, lParam);
      s->committed = ListSelection(*s);
      Redraw(hwnd);
      return result;
    }
    case CB_RESETCONTENT:
      SendMessageA(s->list, LB_RESETCONTENT, 0, 0);
      s->committed = -1;
      ShowSelection(hwnd, *s);
      return CB_OKAY;
    case CB_GETCOUNT:
      return SendMessageA(s->list, LB_GETCOUNT, 0, 0);
    case CB_GETCURSEL:
      return SendMessageA(s->list, LB_GETCURSEL, 0, 0);
    case CB_SETCURSEL: {
      LRESULT result = SendMessageA(s->list, LB_SETCURSEL, wParam, 0);
      if (result != LB_ERR || static_cast<int>(wParam) == -1) {
        s->committed = ListSelection(*s);
        ShowSelection(hwnd, *s);
      }
      return result;
    }
    case CB_SELECTSTRING: {
      LRESULT result = SendMessageA(s->list, LB_SELECTSTRING, wParam, lParam);
      if (result != LB_ERR) {
        s->committed = static_cast<int>(result);
        ShowSelection(hwnd, *s);
      }
      return result;
    }
    case CB_GETLBTEXT:
      return SendMessageA(s->list, LB_GETTEXT, wParam, lParam);
    case CB_GETLBTEXTLEN:
      return SendMessageA(s->list, LB_GETTEXTLEN, wParam, lParam);
    case CB_FINDSTRING:
      return SendMessageA(s->list, LB_FINDSTRING, wParam, lParam);
    case CB_FINDSTRINGEXACT:
      return SendMessageA(s->list, LB_FINDSTRINGEXACT, wParam, lParam);
    case CB_GETITEMDATA:
      return SendMessageA(s->list, LB_GETITEMDATA, wParam, lParam);
    case CB_SETITEMDATA:
      return SendMessageA(s->list, LB_SETITEMDATA, wParam, lParam);
    case CB_GETTOPINDEX:
      return SendMessageA(s->list, LB_GETTOPINDEX, 0, 0);
    case CB_SETTOPINDEX:
      return SendMessageA(s->list, LB_SETTOPINDEX, wParam, 0);
    case CB_INITSTORAGE:
      return SendMessageA(s->list, LB_INITSTORAGE, wParam, lParam);
    case CB_SHOWDROPDOWN:
      ShowDropDown(hwnd, s, wParam != 0);
      return TRUE;
    case CB_GETDROPPEDSTATE:
      return s->dropped;
    case CB_GETDROPPEDCONTROLRECT:
      if (lParam) {
        RECT rect;
        GetWindowRect(hwnd, &rect);
        rect.bottom = rect.top + std::max(s->droppedHeight, s->fieldHeight);
        *reinterpret_cast<RECT*>(lParam) = rect;
      }
      return TRUE;
    case CB_GETITEMHEIGHT:
      return static_cast<int>(wParam) == -1 ? s->fieldHeight - 6 : SendMessageA(s->list, LB_GETITEMHEIGHT, wParam, 0);
    case CB_SETITEMHEIGHT:
      if (static_cast<int>(wParam) == -1) {
        s->fieldHeight = LOWORD(lParam) + 6;
        FitToField(hwnd, *s);
        LayoutChildren(hwnd, *s);
        return CB_OKAY;
      }
      return SendMessageA(s->list, LB_SETITEMHEIGHT, wParam, lParam);
    case CB_GETEDITSEL:
      return s->edit ? SendMessageA(s->edit, EM_GETSEL, wParam, lParam) : CB_ERR;
    case CB_SETEDITSEL:
      if (!s->edit) return CB_ERR;
      SendMessageA(s->edit, EM_SETSEL, static_cast<WPARAM>(static_cast<SHORT>(LOWORD(lParam))),
                   static_cast<LPARAM>(static_cast<SHORT>(HIWORD(lParam))));
      return TRUE;
    case CB_LIMITTEXT:
      return s->edit ? SendMessageA(s->edit, EM_LIMITTEXT, wParam, 0), TRUE : CB_ERR;
    case CB_SETEXTENDEDUI:
      s->extendedUi = wParam != 0;
      return CB_OKAY;
    case CB_GETEXTENDEDUI:
      return s->extendedUi;
    case CB_GETDROPPEDWIDTH: {
      RECT rect;
      GetWindowRect(hwnd, &rect);
      return std::max<int>(s->droppedWidth, rect.right - rect.left);
    }
    case CB_SETDROPPEDWIDTH:
      s->droppedWidth = static_cast<int>(wParam);
      return s->droppedWidth;
    case CB_GETLOCALE:
    case CB_SETLOCALE:
      return 0x0409;
  }
  return CB_ERR;
}

}  // namespace

void ForgetComboBoxStates() { Store().Clear(); }

bool IsComboBox(HWND hwnd) { return Store().Find(hwnd) != nullptr; }

bool ComboEditKey(HWND combo, UINT vk) {
  auto s = Store().Find(combo);
  return s && Key(combo, s, vk);
}

bool ComboDropped(HWND combo) {
  auto s = Store().Find(combo);
  return s && s->dropped;
}

void ComboChildLostFocus(HWND combo, HWND to) {
  if (auto s = Store().Find(combo)) LostFocus(combo, s, to);
}

// The user closed the dropped list: on an item (chosen) or not.
void ComboListDone(HWND combo, int index, bool chosen) {
  auto s = Store().Find(combo);
  if (!s || !s->dropped) return;
  if (chosen && index >= 0) {
    SendMessageA(s->list, LB_SETCURSEL, index, 0);
    UserChangedSelection(combo, s);
  } else if (!chosen) {
    SendMessageA(s->list, LB_SETCURSEL, static_cast<WPARAM>(s->committed), 0);
  }
  ShowDropDown(combo, s, false);
  NotifyParent(combo, chosen ? CBN_SELENDOK : CBN_SELENDCANCEL);
}

LRESULT CALLBACK ComboBoxProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto s = Store().ForMessage(hwnd, msg);
  if (!s) return DefWindowProcA(hwnd, msg, wParam, lParam);
  if (msg >= CB_GETEDITSEL && msg <= CB_INITSTORAGE) return ComboMessages(hwnd, s, msg, wParam, lParam);
  switch (msg) {
    case WM_CREATE:
      Create(hwnd, s, reinterpret_cast<const CREATESTRUCTA*>(lParam));
      return 0;
    case WM_DESTROY:
      if (s->list && TypeOf(hwnd) != CBS_SIMPLE) DestroyWindow(s->list);
      s->list = nullptr;
      return 0;
    case WM_SIZE:
      if (!s->resizing && TypeOf(hwnd) != CBS_SIMPLE && HIWORD(lParam) != s->fieldHeight) {
        s->droppedHeight = HIWORD(lParam);
        FitToField(hwnd, *s);
      }
      LayoutChildren(hwnd, *s);
      return 0;
    case WM_GETDLGCODE: {
      LRESULT code = DLGC_WANTCHARS | DLGC_WANTARROWS;
      auto message = reinterpret_cast<const MSG*>(lParam);
      if (s->dropped && message && message->message == WM_KEYDOWN &&
          (message->wParam == VK_RETURN || message->wParam == VK_ESCAPE))
        code |= DLGC_WANTALLKEYS;
      return code;
    }
    case WM_COMMAND:
      return ChildCommand(hwnd, s, wParam, lParam);
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORSCROLLBAR:
      return SendMessageA(GetParent(hwnd), msg, wParam, lParam);
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
      return SendMessageA(GetParent(hwnd), msg, wParam, lParam);
    case WM_SETTEXT:
      return SetText(hwnd, s, lParam);
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH:
      return GetText(hwnd, *s, msg, wParam, lParam);
    case WM_KEYDOWN:
      Key(hwnd, s, static_cast<UINT>(wParam));
      return 0;
    case WM_SYSKEYDOWN:
      if (wParam == VK_DOWN || wParam == VK_UP) {
        ShowDropDown(hwnd, s, !s->dropped);
        return 0;
      }
      break;
    case WM_CHAR:
      if (!s->edit) SendMessageA(s->list, WM_CHAR, wParam, lParam);
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_LBUTTONUP:
      return Mouse(hwnd, s, msg, lParam);
    case WM_SETFOCUS:
      if (s->edit) {
        SetFocus(s->edit);
        SendMessageA(s->edit, EM_SETSEL, 0, -1);
      } else {
        GainedFocus(hwnd, s);
      }
      return 0;
    case WM_KILLFOCUS:
      LostFocus(hwnd, s, reinterpret_cast<HWND>(wParam));
      return 0;
    case WM_ENABLE:
      if (s->edit) EnableWindow(s->edit, static_cast<BOOL>(wParam));
      if (!wParam && s->dropped) ComboListDone(hwnd, -1, false);
      Redraw(hwnd);
      return 0;
    case WM_SETFONT:
      s->font = reinterpret_cast<HFONT>(wParam);
      if (s->edit) SendMessageA(s->edit, WM_SETFONT, wParam, lParam);
      if (s->list) SendMessageA(s->list, WM_SETFONT, wParam, lParam);
      s->fieldHeight = FieldHeight(s->font);
      FitToField(hwnd, *s);
      LayoutChildren(hwnd, *s);
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
