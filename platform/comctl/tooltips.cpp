// Tooltips ("tooltips_class32"): a popup that names the tool under the
// mouse. The owner relays its mouse messages (TTM_RELAYEVENT); once the
// mouse rests on a tool for the initial delay the tip asks for the text
// (TTN_NEEDTEXTA to the tool's window when it is LPSTR_TEXTCALLBACK), shows
// itself below the cursor and hides again on a click, when the mouse leaves
// the tool, or after the automatic-pop delay.
#include <algorithm>
#include <cstring>
#include <vector>

#include "comctl/comctl_internal.h"

namespace host::comctl {
namespace {

constexpr UINT_PTR kShowTimer = 1, kPopTimer = 2, kWatchTimer = 3;
constexpr UINT kInitial = 500, kAutoPop = 5000, kReshow = 100, kWatch = 100;
constexpr size_t kMaxText = 1024;

struct Tool {
  UINT flags = 0;
  HWND hwnd = nullptr;
  UINT id = 0;
  RECT rect{};
  HINSTANCE instance = nullptr;
  bool callback = false;
  UINT resource = 0;  // a string resource of `instance`, when the text was given as one
  std::string text;
};

struct Tip {
  HWND hwnd = nullptr;
  std::vector<Tool> tools;
  bool active = true;
  int current = -1;  // the tool under the mouse
  bool shown = false;
  bool suppressed = false;  // a click hid the tip: not again until the mouse moves to another tool
  UINT initial = kInitial, autoPop = kAutoPop, reshow = kReshow;
  HFONT font = nullptr;
};

Tip* TipOf(HWND hwnd) { return StateOf<Tip>(hwnd); }

int FindTool(const Tip& tip, HWND hwnd, UINT id) {
  for (int i = 0; i < static_cast<int>(tip.tools.size()); ++i)
    if (tip.tools[i].hwnd == hwnd && tip.tools[i].id == id) return i;
  return -1;
}

void SetText(Tool& tool, HINSTANCE instance, LPSTR text) {
  tool.callback = text == LPSTR_TEXTCALLBACKA;
  tool.resource = 0;
  tool.text.clear();
  if (tool.callback || !text) return;
  if (IS_INTRESOURCE(text)) {
    tool.instance = instance;
    tool.resource = static_cast<UINT>(reinterpret_cast<ULONG_PTR>(text));
    return;
  }
  tool.text.assign(text, strnlen(text, kMaxText));
}

Tool ToolFrom(const TOOLINFOA& info) {
  Tool tool;
  tool.flags = info.uFlags;
  tool.hwnd = info.hwnd;
  tool.id = info.uId;
  tool.rect = info.rect;
  tool.instance = info.hinst;
  SetText(tool, info.hinst, info.lpszText);
  return tool;
}

void Describe(const Tool& tool, TOOLINFOA* out) {
  out->uFlags = tool.flags;
  out->hwnd = tool.hwnd;
  out->uId = tool.id;
  out->rect = tool.rect;
  out->hinst = tool.instance;
}

std::string LoadText(HINSTANCE instance, UINT id) {
  char buffer[256] = "";
  LoadStringA(instance, id, buffer, sizeof buffer);
  return buffer;
}

// The text of a tool, asking its window for it when it is a callback.
std::string TextOf(Tip& tip, const Tool& tool) {
  if (!tool.callback) return tool.resource ? LoadText(tool.instance, tool.resource) : tool.text;
  TOOLTIPTEXTA ask{};
  ask.hdr.hwndFrom = tip.hwnd;
  ask.hdr.idFrom = tool.id;
  ask.hdr.code = TTN_NEEDTEXTA;
  ask.lpszText = ask.szText;
  ask.uFlags = tool.flags;
  SendMessageA(tool.hwnd, WM_NOTIFY, tool.id, reinterpret_cast<LPARAM>(&ask));
  ask.szText[sizeof ask.szText - 1] = '\0';
  if (!ask.lpszText || ask.lpszText == LPSTR_TEXTCALLBACKA) return "";
  if (IS_INTRESOURCE(ask.lpszText))
    return ask.hinst ? LoadText(ask.hinst, static_cast<UINT>(reinterpret_cast<ULONG_PTR>(ask.lpszText))) : "";
  return std::string(ask.lpszText, strnlen(ask.lpszText, kMaxText));
}

bool CursorOver(const Tool& tool) {
  POINT pt;
  GetCursorPos(&pt);
  if (tool.flags & TTF_IDISHWND) {
    RECT r;
    GetWindowRect(reinterpret_cast<HWND>(tool.id), &r);
    return PtInRect(&r, pt);
  }
  if (!IsWindow(tool.hwnd)) return false;
  ScreenToClient(tool.hwnd, &pt);
  return PtInRect(&tool.rect, pt);
}

void NotifyTool(Tip& tip, const Tool& tool, UINT code) {
  NMHDR header{tip.hwnd, tool.id, code};
  if (IsWindow(tool.hwnd)) SendMessageA(tool.hwnd, WM_NOTIFY, tool.id, reinterpret_cast<LPARAM>(&header));
}

void Pop(Tip& tip) {
  KillTimer(tip.hwnd, kShowTimer);
  KillTimer(tip.hwnd, kPopTimer);
  if (!tip.shown) return;
  tip.shown = false;
  ShowWindow(tip.hwnd, SW_HIDE);
  if (tip.current >= 0 && tip.current < static_cast<int>(tip.tools.size()))
    NotifyTool(tip, tip.tools[tip.current], TTN_POP);
}

void Show(Tip& tip) {
  if (tip.current < 0 || tip.current >= static_cast<int>(tip.tools.size())) return;
  Tool tool = tip.tools[tip.current];
  HWND self = tip.hwnd;
  std::string text = TextOf(tip, tool);
  // The owner may have destroyed the tip while it answered; `tip` is then gone too.
  if (TipOf(self) != &tip || text.empty()) return;
  SetWindowTextA(tip.hwnd, text.c_str());
  HDC dc = GetDC(tip.hwnd);
  HGDIOBJ old = SelectObject(dc, ControlFont(tip.font));
  SIZE size{};
  GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
  SelectObject(dc, old);
  ReleaseDC(tip.hwnd, dc);
  POINT pt;
  GetCursorPos(&pt);
  int width = size.cx + 8, height = size.cy + 4;
  int x = std::min(static_cast<int>(pt.x), GetSystemMetrics(SM_CXSCREEN) - width);
  int y = pt.y + 20;
  if (y + height > GetSystemMetrics(SM_CYSCREEN)) y = pt.y - height - 2;
  SetWindowPos(tip.hwnd, HWND_TOPMOST, std::max(0, x), std::max(0, y), width, height, SWP_NOACTIVATE | SWP_SHOWWINDOW);
  tip.shown = true;
  NotifyTool(tip, tool, TTN_SHOW);
  if (TipOf(self) == &tip) SetTimer(self, kPopTimer, tip.autoPop, nullptr);
}

int ToolAt(const Tip& tip, HWND hwnd, POINT pt) {
  for (int i = 0; i < static_cast<int>(tip.tools.size()); ++i) {
    const Tool& tool = tip.tools[i];
    if (tool.flags & TTF_IDISHWND) {
      if (reinterpret_cast<HWND>(tool.id) == hwnd) return i;
    } else if (tool.hwnd == hwnd && PtInRect(&tool.rect, pt)) {
      return i;
    }
  }
  return -1;
}

void Relay(Tip& tip, const MSG* msg) {
  if (!msg) return;
  switch (msg->message) {
    case WM_MOUSEMOVE: {
      int tool = ToolAt(tip, msg->hwnd, MousePoint(msg->lParam));
      if (tool == tip.current) return;
      bool wasShown = tip.shown;
      Pop(tip);
      tip.current = tool;
      tip.suppressed = false;
      if (tool >= 0 && tip.active) {
        SetTimer(tip.hwnd, kShowTimer, wasShown ? tip.reshow : tip.initial, nullptr);
        SetTimer(tip.hwnd, kWatchTimer, kWatch, nullptr);
      }
      return;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
      Pop(tip);
      tip.suppressed = true;
      return;
    default:
      return;
  }
}

void Timer(Tip& tip, UINT_PTR id) {
  bool over =
      tip.current >= 0 && tip.current < static_cast<int>(tip.tools.size()) && CursorOver(tip.tools[tip.current]);
  switch (id) {
    case kShowTimer:
      KillTimer(tip.hwnd, kShowTimer);
      if (over && tip.active && !tip.suppressed) Show(tip);
      break;
    case kPopTimer:
      Pop(tip);
      break;
    case kWatchTimer:
      if (!over) {
        Pop(tip);
        tip.current = -1;
        KillTimer(tip.hwnd, kWatchTimer);
      }
      break;
    default:
      break;
  }
}

void Paint(Tip& tip, HDC dc) {
  RECT client;
  GetClientRect(tip.hwnd, &client);
  FillSolid(dc, client, COLOR_INFOBK);
  FrameRect(dc, &client, GetSysColorBrush(COLOR_WINDOWFRAME));
  char text[kMaxText] = "";
  GetWindowTextA(tip.hwnd, text, sizeof text);
  HGDIOBJ old = SelectObject(dc, ControlFont(tip.font));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_INFOTEXT));
  InflateRect(&client, -4, -2);
  DrawTextA(dc, text, -1, &client, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
  SelectObject(dc, old);
}

// The messages whose lParam is a TOOLINFOA naming a tool by window and id.
bool NamesTool(UINT msg) {
  switch (msg) {
    case TTM_ADDTOOLA:
    case TTM_DELTOOLA:
    case TTM_NEWTOOLRECTA:
    case TTM_GETTOOLINFOA:
    case TTM_SETTOOLINFOA:
    case TTM_UPDATETIPTEXTA:
    case TTM_GETTEXTA:
      return true;
    default:
      return false;
  }
}

LRESULT TipMessage(Tip& tip, UINT msg, WPARAM wParam, LPARAM lParam) {
  // Only tooltip messages carry a TOOLINFOA; for the window's other messages lParam is anything.
  auto* info = msg >= TTM_ACTIVATE && msg <= TTM_POP ? reinterpret_cast<TOOLINFOA*>(lParam) : nullptr;
  int index = info && NamesTool(msg) ? FindTool(tip, info->hwnd, info->uId) : -1;
  switch (msg) {
    case TTM_ADDTOOLA:
      if (!info || info->cbSize < sizeof(TOOLINFOA)) return FALSE;
      if (index >= 0)
        tip.tools[index] = ToolFrom(*info);
      else
        tip.tools.push_back(ToolFrom(*info));
      return TRUE;
    case TTM_DELTOOLA:
      if (index < 0) return 0;
      if (index == tip.current) {
        Pop(tip);
        tip.current = -1;
      } else if (index < tip.current) {
        --tip.current;
      }
      tip.tools.erase(tip.tools.begin() + index);
      return 0;
    case TTM_NEWTOOLRECTA:
      if (index >= 0) tip.tools[index].rect = info->rect;
      return 0;
    case TTM_GETTOOLINFOA:
      if (index < 0) return FALSE;
      Describe(tip.tools[index], info);
      return TRUE;
    case TTM_SETTOOLINFOA:
      if (index >= 0) tip.tools[index] = ToolFrom(*info);
      return 0;
    case TTM_UPDATETIPTEXTA:
      if (index >= 0) SetText(tip.tools[index], info->hinst, info->lpszText);
      return 0;
    case TTM_GETTEXTA:
      if (index >= 0 && info->lpszText && info->lpszText != LPSTR_TEXTCALLBACKA && !IS_INTRESOURCE(info->lpszText))
        CopyText(TextOf(tip, tip.tools[index]), info->lpszText, 80);
      return 0;
    case TTM_GETTOOLCOUNT:
      return static_cast<LRESULT>(tip.tools.size());
    case TTM_ENUMTOOLSA:
      if (!info || wParam >= tip.tools.size()) return FALSE;
      Describe(tip.tools[wParam], info);
      return TRUE;
    case TTM_GETCURRENTTOOLA:
      if (!tip.shown || tip.current < 0) return FALSE;
      if (info) Describe(tip.tools[tip.current], info);
      return TRUE;
    case TTM_RELAYEVENT:
      Relay(tip, reinterpret_cast<const MSG*>(lParam));
      return 0;
    case TTM_ACTIVATE:
      tip.active = wParam != 0;
      if (!tip.active) Pop(tip);
      return 0;
    case TTM_SETDELAYTIME: {
      int ms = static_cast<SHORT>(LOWORD(lParam));
      auto pick = [&](UINT standard) { return ms < 0 ? standard : static_cast<UINT>(ms); };
      switch (wParam) {
        case TTDT_INITIAL:
          tip.initial = pick(kInitial);
          break;
        case TTDT_AUTOPOP:
          tip.autoPop = pick(kAutoPop);
          break;
        case TTDT_RESHOW:
          tip.reshow = pick(kReshow);
          break;
        default:
          tip.initial = pick(kInitial);
          tip.autoPop = ms < 0 ? kAutoPop : static_cast<UINT>(ms) * 10;
          tip.reshow = ms < 0 ? kReshow : static_cast<UINT>(ms) / 5;
          break;
      }
      return 0;
    }
    case TTM_POP:
      Pop(tip);
      return 0;
    default:
      return DefWindowProcA(tip.hwnd, msg, wParam, lParam);
  }
}

LRESULT CALLBACK TipProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  Tip* tip = TipOf(hwnd);
  if (msg == WM_NCCREATE) {
    CreateState<Tip>(hwnd, lParam);
    return DefWindowProcA(hwnd, msg, wParam, lParam);
  }
  if (!tip) return DefWindowProcA(hwnd, msg, wParam, lParam);
  switch (msg) {
    case WM_NCDESTROY:
      DeleteState(hwnd, tip);
      return DefWindowProcA(hwnd, msg, wParam, lParam);
    case WM_PAINT:
    case WM_PRINTCLIENT:
      PaintControl(hwnd, msg, wParam, [&](HDC dc) { Paint(*tip, dc); });
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_NCHITTEST:
      return HTTRANSPARENT;
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
    case WM_TIMER:
      Timer(*tip, wParam);
      return 0;
    case WM_SETFONT:
      tip->font = reinterpret_cast<HFONT>(wParam);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(tip->font);
    default:
      return TipMessage(*tip, msg, wParam, lParam);
  }
}

}  // namespace

bool RegisterTooltips() { return RegisterControlClass(TOOLTIPS_CLASSA, TipProc, CS_SAVEBITS, -1); }

}  // namespace host::comctl
