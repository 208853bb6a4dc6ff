// The "Static" class: text (left, centred, right, simple, no word wrap),
// icons and bitmaps, filled and framed rectangles, etched lines and frames.
#include "user/controls.h"

namespace host::user {
namespace {

struct StaticState {
  HFONT font = nullptr;
  HICON icon = nullptr;
  HBITMAP bitmap = nullptr;
};

ControlStore<StaticState>& Store() {
  static ControlStore<StaticState> store;
  return store;
}

constexpr int kIconSize = 32;  // SM_CXICON

DWORD TypeOf(HWND hwnd) { return StyleOf(hwnd) & SS_TYPEMASK; }

bool IsTextType(DWORD type) {
  return type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT || type == SS_SIMPLE || type == SS_LEFTNOWORDWRAP;
}

UINT TextFormat(DWORD style) {
  UINT format = DT_EXPANDTABS;
  switch (style & SS_TYPEMASK) {
    case SS_CENTER:
      format |= DT_CENTER | DT_WORDBREAK;
      break;
    case SS_RIGHT:
      format |= DT_RIGHT | DT_WORDBREAK;
      break;
    case SS_SIMPLE:
      format = DT_LEFT | DT_SINGLELINE;
      break;
    case SS_LEFTNOWORDWRAP:
      format |= DT_LEFT;
      break;
    default:
      format |= DT_LEFT | DT_WORDBREAK;
  }
  if (style & SS_NOPREFIX) format |= DT_NOPREFIX;
  if (style & SS_CENTERIMAGE) format = (format & ~DT_WORDBREAK) | DT_SINGLELINE | DT_VCENTER;
  return format;
}

std::string TextOf(HWND hwnd) {
  int length = GetWindowTextLengthA(hwnd);
  std::string text(length + 1, '\0');
  GetWindowTextA(hwnd, text.data(), length + 1);
  text.resize(lstrlenA(text.c_str()));
  return text;
}

void DrawLabelText(HWND hwnd, const StaticState& s, HDC dc) {
  RECT client = ClientRectOf(hwnd);
  HBRUSH brush = ControlBrush(hwnd, dc, WM_CTLCOLORSTATIC);
  FillRect(dc, &client, brush);
  SelectObject(dc, DrawingFont(s.font));
  if (!IsWindowEnabled(hwnd)) SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
  SetBkMode(dc, TRANSPARENT);
  std::string text = TextOf(hwnd);
  DrawTextA(dc, text.c_str(), -1, &client, TextFormat(StyleOf(hwnd)));
}

void DrawImage(HWND hwnd, const StaticState& s, HDC dc) {
  RECT client = ClientRectOf(hwnd);
  FillRect(dc, &client, ControlBrush(hwnd, dc, WM_CTLCOLORSTATIC));
  bool centre = StyleOf(hwnd) & SS_CENTERIMAGE;
  if (TypeOf(hwnd) == SS_ICON && s.icon) {
    int x = centre ? (client.right - kIconSize) / 2 : 0, y = centre ? (client.bottom - kIconSize) / 2 : 0;
    DrawIcon(dc, x, y, s.icon);
  }
  if (TypeOf(hwnd) == SS_BITMAP && s.bitmap) {
    BITMAP info{};
    GetObjectA(s.bitmap, sizeof info, &info);
    HDC source = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(source, s.bitmap);
    int x = centre ? (client.right - info.bmWidth) / 2 : 0, y = centre ? (client.bottom - info.bmHeight) / 2 : 0;
    BitBlt(dc, x, y, info.bmWidth, info.bmHeight, source, 0, 0, SRCCOPY);
    SelectObject(source, old);
    DeleteDC(source);
  }
}

void DrawShape(HWND hwnd, HDC dc) {
  RECT client = ClientRectOf(hwnd);
  DWORD type = TypeOf(hwnd);
  switch (type) {
    case SS_BLACKRECT:
      FillRect(dc, &client, SysBrush(COLOR_WINDOWFRAME));
      break;
    case SS_GRAYRECT:
      FillRect(dc, &client, SysBrush(COLOR_BACKGROUND));
      break;
    case SS_WHITERECT:
      FillRect(dc, &client, SysBrush(COLOR_WINDOW));
      break;
    case SS_BLACKFRAME:
      FrameRect(dc, &client, SysBrush(COLOR_WINDOWFRAME));
      break;
    case SS_GRAYFRAME:
      FrameRect(dc, &client, SysBrush(COLOR_BACKGROUND));
      break;
    case SS_WHITEFRAME:
      FrameRect(dc, &client, SysBrush(COLOR_WINDOW));
      break;
    case SS_ETCHEDHORZ:
      DrawEdge(dc, &client, EDGE_ETCHED, BF_TOP);
      break;
    case SS_ETCHEDVERT:
      DrawEdge(dc, &client, EDGE_ETCHED, BF_LEFT);
      break;
    case SS_ETCHEDFRAME:
      DrawEdge(dc, &client, EDGE_ETCHED, BF_RECT);
      break;
  }
}

void Draw(HWND hwnd, const StaticState& s, HDC dc) {
  int saved = SaveDC(dc);
  DWORD type = TypeOf(hwnd);
  if (IsTextType(type))
    DrawLabelText(hwnd, s, dc);
  else if (type == SS_ICON || type == SS_BITMAP)
    DrawImage(hwnd, s, dc);
  else if (type == SS_OWNERDRAW) {
    DRAWITEMSTRUCT item{ODT_STATIC,
                        static_cast<UINT>(GetDlgCtrlID(hwnd)),
                        0,
                        ODA_DRAWENTIRE,
                        IsWindowEnabled(hwnd) ? 0u : static_cast<UINT>(ODS_DISABLED),
                        hwnd,
                        dc,
                        ClientRectOf(hwnd),
                        0};
    SendMessageA(GetParent(hwnd), WM_DRAWITEM, item.CtlID, reinterpret_cast<LPARAM>(&item));
  } else {
    DrawShape(hwnd, dc);
  }
  if (StyleOf(hwnd) & SS_SUNKEN) {
    RECT client = ClientRectOf(hwnd);
    DrawEdge(dc, &client, BDR_SUNKENOUTER, BF_RECT);
  }
  RestoreDC(dc, saved);
}

// An image control takes its image's size unless it centres the image.
void FitToImage(HWND hwnd, int cx, int cy) {
  if (StyleOf(hwnd) & (SS_CENTERIMAGE | SS_REALSIZEIMAGE)) return;
  if (cx <= 0 || cy <= 0) return;
  SetWindowPos(hwnd, nullptr, 0, 0, cx, cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

HANDLE SetImage(HWND hwnd, StaticState& s, WPARAM kind, HANDLE image) {
  HANDLE old = nullptr;
  if (kind == IMAGE_ICON || kind == IMAGE_CURSOR) {
    old = s.icon;
    s.icon = static_cast<HICON>(image);
    if (TypeOf(hwnd) == SS_ICON && image) FitToImage(hwnd, kIconSize, kIconSize);
  } else if (kind == IMAGE_BITMAP) {
    old = s.bitmap;
    s.bitmap = static_cast<HBITMAP>(image);
    BITMAP info{};
    if (image && GetObjectA(image, sizeof info, &info)) FitToImage(hwnd, info.bmWidth, info.bmHeight);
  } else {
    return nullptr;
  }
  Redraw(hwnd);
  return old;
}

// In a dialog template an image control's text names its resource.
void LoadNamedImage(HWND hwnd, StaticState& s, const CREATESTRUCTA* cs) {
  if (!cs || !cs->lpszName) return;
  if (!IS_INTRESOURCE(cs->lpszName) && !*cs->lpszName) return;
  LPCSTR name = cs->lpszName;  // an ordinal or "#101" as well as a name
  if (TypeOf(hwnd) == SS_ICON) SetImage(hwnd, s, IMAGE_ICON, LoadIconA(cs->hInstance, name));
  if (TypeOf(hwnd) == SS_BITMAP) SetImage(hwnd, s, IMAGE_BITMAP, LoadBitmapA(cs->hInstance, name));
}

LRESULT Mouse(HWND hwnd, UINT msg) {
  if (!(StyleOf(hwnd) & SS_NOTIFY)) return 0;
  NotifyParent(hwnd, msg == WM_LBUTTONDBLCLK ? STN_DBLCLK : STN_CLICKED);
  return 0;
}

}  // namespace

void ForgetStaticStates() { Store().Clear(); }

LRESULT CALLBACK StaticProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto s = Store().ForMessage(hwnd, msg);
  if (!s) return DefWindowProcA(hwnd, msg, wParam, lParam);
  switch (msg) {
    case WM_NCCREATE: {
      auto cs = reinterpret_cast<const CREATESTRUCTA*>(lParam);
      DWORD type = cs ? (cs->style & SS_TYPEMASK) : 0;
      if (type == SS_ICON || type == SS_BITMAP) {  // the name is a resource, not a text
        CREATESTRUCTA copy = *cs;
        copy.lpszName = nullptr;
        return DefWindowProcA(hwnd, msg, wParam, reinterpret_cast<LPARAM>(&copy));
      }
      break;
    }
    case WM_CREATE:
      LoadNamedImage(hwnd, *s, reinterpret_cast<const CREATESTRUCTA*>(lParam));
      return 0;
    case WM_GETDLGCODE:
      return DLGC_STATIC;
    case WM_NCHITTEST:
      if (!(StyleOf(hwnd) & SS_NOTIFY)) return HTTRANSPARENT;
      break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      return Mouse(hwnd, msg);
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
    case WM_PRINTCLIENT:
      PaintWith(hwnd, wParam, [&](HDC dc) { Draw(hwnd, *s, dc); });
      return 0;
    case WM_ENABLE:
      if (StyleOf(hwnd) & SS_NOTIFY) NotifyParent(hwnd, wParam ? STN_ENABLE : STN_DISABLE);
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
    case STM_SETICON:
      return reinterpret_cast<LRESULT>(SetImage(hwnd, *s, IMAGE_ICON, reinterpret_cast<HANDLE>(wParam)));
    case STM_GETICON:
      return reinterpret_cast<LRESULT>(s->icon);
    case STM_SETIMAGE:
      return reinterpret_cast<LRESULT>(SetImage(hwnd, *s, wParam, reinterpret_cast<HANDLE>(lParam)));
    case STM_GETIMAGE:
      if (wParam == IMAGE_BITMAP) return reinterpret_cast<LRESULT>(s->bitmap);
      if (wParam == IMAGE_ICON || wParam == IMAGE_CURSOR) return reinterpret_cast<LRESULT>(s->icon);
      return 0;
  }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

}  // namespace host::user
