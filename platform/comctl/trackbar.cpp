// Trackbar ("msctls_trackbar32"): a thumb on a channel. Every position is
// clamped to the range; movement by mouse or keys is told to the parent as
// WM_HSCROLL (WM_VSCROLL with TBS_VERT) with the TB_* code in the low word
// and, for THUMBTRACK and THUMBPOSITION, the position in the high word.
// Geometry is worked out for a horizontal bar and transposed for TBS_VERT.
#include <algorithm>
#include <vector>

#include "comctl/comctl_internal.h"

namespace host::comctl {
namespace {

constexpr int kThumbWidth = 11;
constexpr int kThumbLength = 21;
constexpr int kMargin = kThumbWidth / 2 + 3;
constexpr UINT_PTR kRepeatTimer = 1;
constexpr UINT kRepeatDelay = 500, kRepeatRate = 100;

enum class Mode { None, Thumb, PageUp, PageDown };

struct Trackbar {
  HWND hwnd = nullptr;
  HWND parent = nullptr;
  int min = 0, max = 100, pos = 0;
  int page = 20, line = 1;
  bool pageSet = false;
  int ticFreq = 1;
  std::vector<int> tics;
  int selStart = 0, selEnd = 0;
  int thumbLength = kThumbLength;
  Mode mode = Mode::None;
  int dragOffset = 0;
  int pageTarget = 0;  // the point (along the channel) a page click aims at
  bool focused = false;
};

Trackbar* TrackbarOf(HWND hwnd) { return StateOf<Trackbar>(hwnd); }

DWORD Style(const Trackbar& bar) { return static_cast<DWORD>(GetWindowLongA(bar.hwnd, GWL_STYLE)); }
bool Vertical(const Trackbar& bar) { return (Style(bar) & TBS_VERT) != 0; }

// Client size along and across the channel.
void Extent(const Trackbar& bar, int* along, int* across) {
  RECT client;
  GetClientRect(bar.hwnd, &client);
  *along = Vertical(bar) ? client.bottom : client.right;
  *across = Vertical(bar) ? client.right : client.bottom;
}

RECT Transpose(const Trackbar& bar, RECT r) { return Vertical(bar) ? RECT{r.top, r.left, r.bottom, r.right} : r; }
int Along(const Trackbar& bar, POINT pt) { return Vertical(bar) ? pt.y : pt.x; }

int ThumbTop(const Trackbar& bar) {
  int along, across;
  Extent(bar, &along, &across);
  DWORD style = Style(bar);
  if (style & TBS_BOTH) return std::max(0, (across - bar.thumbLength) / 2);
  if (style & TBS_TOP) return std::max(0, across - bar.thumbLength - 2);
  return 2;
}

// The channel in horizontal terms: left..right is where positions map.
RECT ChannelH(const Trackbar& bar) {
  int along, across;
  Extent(bar, &along, &across);
  int mid = ThumbTop(bar) + bar.thumbLength / 2;
  return {kMargin, mid - 2, std::max(kMargin + 1, along - kMargin), mid + 2};
}

int PosToAlong(const Trackbar& bar, int pos) {
  RECT channel = ChannelH(bar);
  if (bar.max <= bar.min) return channel.left;
  return channel.left +
         static_cast<int>(static_cast<long long>(pos - bar.min) * (channel.right - channel.left) / (bar.max - bar.min));
}

int AlongToPos(const Trackbar& bar, int along) {
  RECT channel = ChannelH(bar);
  int width = channel.right - channel.left;
  if (width <= 0 || bar.max <= bar.min) return bar.min;
  long long offset = static_cast<long long>(along - channel.left) * (bar.max - bar.min);
  int pos = bar.min + static_cast<int>((offset + (offset >= 0 ? width / 2 : -width / 2)) / width);
  return std::clamp(pos, bar.min, bar.max);
}

RECT ThumbH(const Trackbar& bar) {
  int x = PosToAlong(bar, bar.pos);
  int top = ThumbTop(bar);
  return {x - kThumbWidth / 2, top, x - kThumbWidth / 2 + kThumbWidth, top + bar.thumbLength};
}

int Clamp(const Trackbar& bar, int pos) { return std::clamp(pos, bar.min, std::max(bar.min, bar.max)); }

void Redraw(Trackbar& bar) { InvalidateRect(bar.hwnd, nullptr, TRUE); }

void SetPos(Trackbar& bar, int pos) {
  pos = Clamp(bar, pos);
  if (pos == bar.pos) return;
  bar.pos = pos;
  Redraw(bar);
}

void DefaultPage(Trackbar& bar) {
  if (!bar.pageSet) bar.page = std::max(1, (bar.max - bar.min) / 5);
}

void SetRange(Trackbar& bar, int min, int max, bool redraw) {
  bar.min = min;
  bar.max = std::max(min, max);
  DefaultPage(bar);
  bar.pos = Clamp(bar, bar.pos);
  if (redraw) Redraw(bar);
}

void Notify(Trackbar& bar, int code) {
  bool carriesPos = code == TB_THUMBTRACK || code == TB_THUMBPOSITION;
  WPARAM wParam = MAKEWPARAM(code, carriesPos ? bar.pos : 0);
  if (bar.parent)
    SendMessageA(bar.parent, Vertical(bar) ? WM_VSCROLL : WM_HSCROLL, wParam, reinterpret_cast<LPARAM>(bar.hwnd));
}

void Step(Trackbar& bar, int code) {
  switch (code) {
    case TB_LINEUP:
      SetPos(bar, bar.pos - bar.line);
      break;
    case TB_LINEDOWN:
      SetPos(bar, bar.pos + bar.line);
      break;
    case TB_PAGEUP:
      SetPos(bar, bar.pos - bar.page);
      break;
    case TB_PAGEDOWN:
      SetPos(bar, bar.pos + bar.page);
      break;
    case TB_TOP:
      SetPos(bar, bar.min);
      break;
    case TB_BOTTOM:
      SetPos(bar, bar.max);
      break;
    default:
      break;
  }
  Notify(bar, code);
}

// A page step while the button is held; stops once the thumb has reached the point clicked.
void PageStep(Trackbar& bar) {
  int target = AlongToPos(bar, bar.pageTarget);
  if (bar.mode == Mode::PageUp && bar.pos > target) Step(bar, TB_PAGEUP);
  if (bar.mode == Mode::PageDown && bar.pos < target) Step(bar, TB_PAGEDOWN);
}

void ButtonDown(Trackbar& bar, POINT pt) {
  if (GetFocus() != bar.hwnd) SetFocus(bar.hwnd);
  RECT thumb = Transpose(bar, ThumbH(bar));
  int along = Along(bar, pt);
  SetCapture(bar.hwnd);
  if (PtInRect(&thumb, pt)) {
    bar.mode = Mode::Thumb;
    bar.dragOffset = along - PosToAlong(bar, bar.pos);
    return;
  }
  bar.pageTarget = along;
  bar.mode = along < PosToAlong(bar, bar.pos) ? Mode::PageUp : Mode::PageDown;
  Step(bar, bar.mode == Mode::PageUp ? TB_PAGEUP : TB_PAGEDOWN);
  SetTimer(bar.hwnd, kRepeatTimer, kRepeatDelay, nullptr);
}

void MouseMove(Trackbar& bar, POINT pt) {
  if (bar.mode == Mode::Thumb) {
    int pos = AlongToPos(bar, Along(bar, pt) - bar.dragOffset);
    if (pos == bar.pos) return;
    SetPos(bar, pos);
    Notify(bar, TB_THUMBTRACK);
  } else if (bar.mode != Mode::None) {
    bar.pageTarget = Along(bar, pt);
  }
}

void EndMode(Trackbar& bar) {
  Mode mode = bar.mode;
  if (mode == Mode::None) return;
  bar.mode = Mode::None;
  KillTimer(bar.hwnd, kRepeatTimer);
  if (GetCapture() == bar.hwnd) ReleaseCapture();
  if (mode == Mode::Thumb) Notify(bar, TB_THUMBPOSITION);
  Notify(bar, TB_ENDTRACK);
}

int KeyCode(UINT vk) {
  switch (vk) {
    case VK_LEFT:
    case VK_UP:
      return TB_LINEUP;
    case VK_RIGHT:
    case VK_DOWN:
      return TB_LINEDOWN;
    case VK_PRIOR:
      return TB_PAGEUP;
    case VK_NEXT:
      return TB_PAGEDOWN;
    case VK_HOME:
      return TB_TOP;
    case VK_END:
      return TB_BOTTOM;
    default:
      return -1;
  }
}

void DrawTic(const Trackbar& bar, HDC dc, int pos, const RECT& thumb) {
  DWORD style = Style(bar);
  int x = PosToAlong(bar, pos);
  HBRUSH brush = GetSysColorBrush(COLOR_WINDOWTEXT);
  auto mark = [&](int from, int to) {
    RECT r = Transpose(bar, RECT{x, from, x + 1, to});
    FillRect(dc, &r, brush);
  };
  if ((style & TBS_BOTH) || (style & TBS_TOP)) mark(thumb.top - 5, thumb.top - 2);
  if ((style & TBS_BOTH) || !(style & TBS_TOP)) mark(thumb.bottom + 2, thumb.bottom + 5);
}

void Paint(Trackbar& bar, HDC dc) {
  RECT client;
  GetClientRect(bar.hwnd, &client);
  HBRUSH background =
      bar.parent ? reinterpret_cast<HBRUSH>(SendMessageA(bar.parent, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                                         reinterpret_cast<LPARAM>(bar.hwnd)))
                 : nullptr;
  FillRect(dc, &client, background ? background : GetSysColorBrush(COLOR_BTNFACE));
  RECT channel = Transpose(bar, ChannelH(bar));
  FillSolid(dc, channel, COLOR_WINDOW);
  DrawEdge(dc, &channel, EDGE_SUNKEN, BF_RECT);
  RECT thumbH = ThumbH(bar);
  DWORD style = Style(bar);
  if (!(style & TBS_NOTICKS)) {
    DrawTic(bar, dc, bar.min, thumbH);
    DrawTic(bar, dc, bar.max, thumbH);
    if ((style & TBS_AUTOTICKS) && bar.ticFreq > 0)
      for (long long pos = static_cast<long long>(bar.min) + bar.ticFreq; pos < bar.max; pos += bar.ticFreq)
        DrawTic(bar, dc, static_cast<int>(pos), thumbH);
    for (int tic : bar.tics) DrawTic(bar, dc, tic, thumbH);
  }
  if (!(style & TBS_NOTHUMB)) {
    RECT thumb = Transpose(bar, thumbH);
    DrawButtonFace(dc, thumb, false);
    if (!IsWindowEnabled(bar.hwnd)) GreyOut(dc, thumb);
  }
  if (bar.focused) DrawFocusRect(dc, &client);
}

LRESULT TrackbarMessage(Trackbar& bar, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case TBM_GETPOS:
      return bar.pos;
    case TBM_GETRANGEMIN:
      return bar.min;
    case TBM_GETRANGEMAX:
      return bar.max;
    case TBM_SETRANGE:
      SetRange(bar, static_cast<SHORT>(LOWORD(lParam)), static_cast<SHORT>(HIWORD(lParam)), wParam != 0);
      return 0;
    case TBM_SETRANGEMIN:
      SetRange(bar, static_cast<int>(lParam), bar.max, wParam != 0);
      return 0;
    case TBM_SETRANGEMAX:
      SetRange(bar, bar.min, static_cast<int>(lParam), wParam != 0);
      return 0;
    case TBM_SETPOS:
      bar.pos = Clamp(bar, static_cast<int>(lParam));
      Redraw(bar);
      return 0;
    case TBM_SETPAGESIZE: {
      int old = bar.page;
      bar.page = static_cast<int>(lParam);
      bar.pageSet = true;
      return old;
    }
    case TBM_GETPAGESIZE:
      return bar.page;
    case TBM_SETLINESIZE: {
      int old = bar.line;
      bar.line = static_cast<int>(lParam);
      return old;
    }
    case TBM_GETLINESIZE:
      return bar.line;
    case TBM_SETTICFREQ:
      bar.ticFreq = static_cast<int>(wParam);
      Redraw(bar);
      return 0;
    case TBM_SETTIC: {
      int pos = static_cast<int>(lParam);
      if (pos < bar.min || pos > bar.max) return FALSE;
      bar.tics.push_back(pos);
      Redraw(bar);
      return TRUE;
    }
    case TBM_CLEARTICS:
      bar.tics.clear();
      if (wParam) Redraw(bar);
      return 0;
    case TBM_GETNUMTICS:
      return (Style(bar) & TBS_NOTICKS) ? 0 : static_cast<LRESULT>(bar.tics.size()) + 2;
    case TBM_GETTIC:
      return wParam < bar.tics.size() ? bar.tics[wParam] : -1;
    case TBM_SETSEL:
      bar.selStart = static_cast<SHORT>(LOWORD(lParam));
      bar.selEnd = static_cast<SHORT>(HIWORD(lParam));
      if (wParam) Redraw(bar);
      return 0;
    case TBM_SETSELSTART:
      bar.selStart = static_cast<int>(lParam);
      return 0;
    case TBM_SETSELEND:
      bar.selEnd = static_cast<int>(lParam);
      return 0;
    case TBM_GETSELSTART:
      return bar.selStart;
    case TBM_GETSELEND:
      return bar.selEnd;
    case TBM_CLEARSEL:
      bar.selStart = bar.selEnd = 0;
      return 0;
    case TBM_GETTHUMBRECT:
      if (lParam) *reinterpret_cast<RECT*>(lParam) = Transpose(bar, ThumbH(bar));
      return 0;
    case TBM_GETCHANNELRECT:
      if (lParam) *reinterpret_cast<RECT*>(lParam) = Transpose(bar, ChannelH(bar));
      return 0;
    case TBM_SETTHUMBLENGTH:
      bar.thumbLength = std::max(4, static_cast<int>(wParam));
      Redraw(bar);
      return 0;
    case TBM_GETTHUMBLENGTH:
      return bar.thumbLength;
    default:
      return DefWindowProcA(bar.hwnd, msg, wParam, lParam);
  }
}

LRESULT CALLBACK TrackbarProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  Trackbar* bar = TrackbarOf(hwnd);
  if (msg == WM_NCCREATE) {
    CreateState<Trackbar>(hwnd, lParam);
    return DefWindowProcA(hwnd, msg, wParam, lParam);
  }
  if (!bar) return DefWindowProcA(hwnd, msg, wParam, lParam);
  switch (msg) {
    case WM_NCDESTROY:
      DeleteState(hwnd, bar);
      return DefWindowProcA(hwnd, msg, wParam, lParam);
    case WM_PAINT:
    case WM_PRINTCLIENT:
      PaintControl(hwnd, msg, wParam, [&](HDC dc) { Paint(*bar, dc); });
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_SIZE:
    case WM_ENABLE:
      Redraw(*bar);
      return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      bar->focused = msg == WM_SETFOCUS;
      Redraw(*bar);
      return 0;
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS;
    case WM_LBUTTONDOWN:
      ButtonDown(*bar, MousePoint(lParam));
      return 0;
    case WM_MOUSEMOVE:
      MouseMove(*bar, MousePoint(lParam));
      return 0;
    case WM_LBUTTONUP:
      EndMode(*bar);
      return 0;
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(lParam) != hwnd) EndMode(*bar);
      return 0;
    case WM_TIMER:
      if (wParam == kRepeatTimer) {
        SetTimer(hwnd, kRepeatTimer, kRepeatRate, nullptr);
        PageStep(*bar);
      }
      return 0;
    case WM_KEYDOWN: {
      int code = KeyCode(static_cast<UINT>(wParam));
      if (code >= 0) Step(*bar, code);
      return 0;
    }
    case WM_KEYUP:
      if (KeyCode(static_cast<UINT>(wParam)) >= 0) Notify(*bar, TB_ENDTRACK);
      return 0;
    default:
      return TrackbarMessage(*bar, msg, wParam, lParam);
  }
}

}  // namespace

bool RegisterTrackbar() { return RegisterControlClass(TRACKBAR_CLASSA, TrackbarProc, 0, -1); }

}  // namespace host::comctl
