#include "comctl_test_support.h"

#include <cstdio>

namespace host::comctl::testing {
namespace {

const std::map<UINT, const char*>& CodeNames() {
  static const std::map<UINT, const char*> names = {
      {TVN_SELCHANGINGA, "TVN_SELCHANGING"},
      {TVN_SELCHANGEDA, "TVN_SELCHANGED"},
      {TVN_ITEMEXPANDINGA, "TVN_ITEMEXPANDING"},
      {TVN_ITEMEXPANDEDA, "TVN_ITEMEXPANDED"},
      {TVN_DELETEITEMA, "TVN_DELETEITEM"},
      {TVN_GETDISPINFOA, "TVN_GETDISPINFO"},
      {TVN_KEYDOWN, "TVN_KEYDOWN"},
      {NM_CLICK, "NM_CLICK"},
      {NM_DBLCLK, "NM_DBLCLK"},
      {NM_RCLICK, "NM_RCLICK"},
      {NM_RETURN, "NM_RETURN"},
      {NM_SETFOCUS, "NM_SETFOCUS"},
      {NM_KILLFOCUS, "NM_KILLFOCUS"},
      {UDN_DELTAPOS, "UDN_DELTAPOS"},
      {TTN_NEEDTEXTA, "TTN_NEEDTEXT"},
      {TTN_SHOW, "TTN_SHOW"},
      {TTN_POP, "TTN_POP"},
      {TCN_SELCHANGING, "TCN_SELCHANGING"},
      {TCN_SELCHANGE, "TCN_SELCHANGE"},
      {TCN_KEYDOWN, "TCN_KEYDOWN"},
      {LVN_ITEMCHANGING, "LVN_ITEMCHANGING"},
      {LVN_ITEMCHANGED, "LVN_ITEMCHANGED"},
      {LVN_INSERTITEM, "LVN_INSERTITEM"},
      {LVN_DELETEITEM, "LVN_DELETEITEM"},
      {LVN_DELETEALLITEMS, "LVN_DELETEALLITEMS"},
  };
  return names;
}

std::string ItemName(HTREEITEM item) {
  if (!item) return "0";
  auto found = Log().names.find(item);
  return found == Log().names.end() ? "?" : found->second;
}

const char* Cause(UINT action) {
  switch (action) {
    case TVC_BYMOUSE:
      return "mouse";
    case TVC_BYKEYBOARD:
      return "keyboard";
    default:
      return "unknown";
  }
}

std::string Describe(NMHDR* header) {
  auto found = CodeNames().find(header->code);
  std::string line =
      found == CodeNames().end() ? "notify " + std::to_string(static_cast<int>(header->code)) : found->second;
  char detail[128] = "";
  switch (header->code) {
    case TVN_SELCHANGINGA:
    case TVN_SELCHANGEDA: {
      auto* nm = reinterpret_cast<NM_TREEVIEWA*>(header);
      std::snprintf(detail, sizeof detail, " %s %s->%s", Cause(nm->action), ItemName(nm->itemOld.hItem).c_str(),
                    ItemName(nm->itemNew.hItem).c_str());
      break;
    }
    case TVN_ITEMEXPANDINGA:
    case TVN_ITEMEXPANDEDA: {
      auto* nm = reinterpret_cast<NM_TREEVIEWA*>(header);
      std::snprintf(detail, sizeof detail, " %s 0x%X", ItemName(nm->itemNew.hItem).c_str(), nm->action);
      break;
    }
    case TVN_DELETEITEMA: {
      auto* nm = reinterpret_cast<NM_TREEVIEWA*>(header);
      std::snprintf(detail, sizeof detail, " %s", ItemName(nm->itemOld.hItem).c_str());
      break;
    }
    case TVN_KEYDOWN:
      std::snprintf(detail, sizeof detail, " 0x%02X", reinterpret_cast<TV_KEYDOWN*>(header)->wVKey);
      break;
    case UDN_DELTAPOS: {
      auto* nm = reinterpret_cast<NM_UPDOWN*>(header);
      std::snprintf(detail, sizeof detail, " %d%+d", nm->iPos, nm->iDelta);
      break;
    }
    case TTN_NEEDTEXTA:
      std::snprintf(detail, sizeof detail, " %u", header->idFrom);
      break;
    case LVN_ITEMCHANGING:
    case LVN_ITEMCHANGED: {
      auto* nm = reinterpret_cast<NM_LISTVIEW*>(header);
      std::snprintf(detail, sizeof detail, " %d %u->%u", nm->iItem, nm->uOldState, nm->uNewState);
      break;
    }
    case LVN_INSERTITEM:
    case LVN_DELETEITEM:
      std::snprintf(detail, sizeof detail, " %d", reinterpret_cast<NM_LISTVIEW*>(header)->iItem);
      break;
    default:
      break;
  }
  return line + detail;
}

const char* ScrollCode(UINT code) {
  static const char* names[] = {"LINEUP",     "LINEDOWN", "PAGEUP", "PAGEDOWN", "THUMBPOSITION",
                                "THUMBTRACK", "TOP",      "BOTTOM", "ENDTRACK"};
  return code < 9 ? names[code] : "?";
}

LRESULT Notify(NMHDR* header) {
  ParentLog& log = Log();
  bool focusLine = header->code == NM_SETFOCUS || header->code == NM_KILLFOCUS;
  if (header->code != TVN_GETDISPINFOA && (!focusLine || log.logFocus)) log.lines.push_back(Describe(header));
  if (log.onNotify) log.onNotify(header);
  if (header->code == TTN_NEEDTEXTA) {
    auto text = log.tipTexts.find(header->idFrom);
    if (text != log.tipTexts.end()) {
      auto* tip = reinterpret_cast<TOOLTIPTEXTA*>(header);
      std::snprintf(tip->szText, sizeof tip->szText, "%s", text->second.c_str());
    }
  }
  auto answer = log.answers.find(header->code);
  return answer == log.answers.end() ? 0 : answer->second;
}

LRESULT CALLBACK ParentProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  char line[96];
  switch (msg) {
    case WM_NOTIFY:
      return Notify(reinterpret_cast<NMHDR*>(lParam));
    case WM_HSCROLL:
    case WM_VSCROLL:
      std::snprintf(line, sizeof line, "%s %s %d", msg == WM_HSCROLL ? "WM_HSCROLL" : "WM_VSCROLL",
                    ScrollCode(LOWORD(wParam)), static_cast<SHORT>(HIWORD(wParam)));
      Log().lines.push_back(line);
      return 0;
    case WM_COMMAND:
      std::snprintf(line, sizeof line, "WM_COMMAND %u", LOWORD(wParam));
      Log().lines.push_back(line);
      return 0;
    case WM_CONTEXTMENU:
      Log().lines.push_back("WM_CONTEXTMENU");
      return 0;
    default:
      return DefWindowProcA(hwnd, msg, wParam, lParam);
  }
}

}  // namespace

ParentLog& Log() {
  static ParentLog log;
  return log;
}

void ComctlTest::SetUp() {
  StationTest::SetUp();
  Log() = ParentLog{};
  host::user::SetStuckLoopHandler([](const std::string& loop) { ADD_FAILURE() << "stuck modal loop: " << loop; });
  InitCommonControls();
  WNDCLASSA wc{};
  wc.lpfnWndProc = ParentProc;
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = "ComctlParent";
  ASSERT_TRUE(RegisterClassA(&wc));
  parent_ = CreateWindowExA(0, "ComctlParent", "parent", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 480, 360,
                            nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(parent_);
  SetForegroundWindow(parent_);
  host::user::PumpMessages();
}

void ComctlTest::TearDown() {
  if (IsWindow(parent_)) DestroyWindow(parent_);
  Log() = ParentLog{};
  host::user::SetStuckLoopHandler(nullptr);
  StationTest::TearDown();
}

HWND ComctlTest::Child(const char* className, DWORD style, RECT rect, UINT id, const char* text) {
  return CreateWindowExA(0, className, text, WS_CHILD | WS_VISIBLE | style, rect.left, rect.top, rect.right - rect.left,
                         rect.bottom - rect.top, parent_, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), nullptr,
                         nullptr);
}

Lines ComctlTest::Take() {
  Lines lines = std::move(Log().lines);
  Log().lines.clear();
  return lines;
}

void ComctlTest::ClickAt(HWND hwnd, int x, int y, host::user::Button button) {
  POINT pt{x, y};
  ClientToScreen(hwnd, &pt);
  host::user::Click(pt.x, pt.y, button);
  host::user::PumpMessages();
}

void ComctlTest::DoubleClickAt(HWND hwnd, int x, int y) {
  POINT pt{x, y};
  ClientToScreen(hwnd, &pt);
  host::user::DoubleClick(pt.x, pt.y);
  host::user::PumpMessages();
}

void ComctlTest::Key(HWND focus, UINT vk) {
  if (GetFocus() != focus) SetFocus(focus);
  host::user::TypeKey(vk);
  host::user::PumpMessages();
}

Canvas::Canvas(int width, int height, COLORREF fill) : dc_(CreateCompatibleDC(nullptr)) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  bitmap_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  old_ = SelectObject(dc_, bitmap_);
  RECT all{0, 0, width, height};
  FillColour(dc_, all, fill);
}

Canvas::~Canvas() {
  SelectObject(dc_, old_);
  DeleteObject(bitmap_);
  DeleteDC(dc_);
}

bool Canvas::Contains(const RECT& area, COLORREF colour) const {
  for (int y = area.top; y < area.bottom; ++y)
    for (int x = area.left; x < area.right; ++x)
      if (At(x, y) == colour) return true;
  return false;
}

HBITMAP StripeBitmap(int width, int height, const std::vector<COLORREF>& colours, int stripe) {
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(dc, bitmap);
  for (int x = 0; x < width; x += stripe) {
    RECT r{x, 0, x + stripe, height};
    FillColour(dc, r, colours[(x / stripe) % colours.size()]);
  }
  SelectObject(dc, old);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  return bitmap;
}

}  // namespace host::comctl::testing
