// Test support for the standard controls: a recorder parent, controls made
// in it, the parent's notifications as lines ("BN_CLICKED 7",
// "WM_CTLCOLOREDIT") and drawing a control into a 32-bit memory bitmap.
#pragma once

#include <host/station.h>

#include <set>

#include "user_test_support.h"

namespace host::user::testing {

inline std::string NotificationName(HWND control, WORD code) {
  char cls[32] = {};
  GetClassNameA(control, cls, sizeof cls);
  static const std::map<std::string, std::map<int, const char*>> names = {
      {"Button",
       {{BN_CLICKED, "BN_CLICKED"},
        {BN_HILITE, "BN_HILITE"},
        {BN_UNHILITE, "BN_UNHILITE"},
        {BN_DOUBLECLICKED, "BN_DOUBLECLICKED"},
        {BN_SETFOCUS, "BN_SETFOCUS"},
        {BN_KILLFOCUS, "BN_KILLFOCUS"}}},
      {"Edit",
       {{EN_SETFOCUS, "EN_SETFOCUS"},
        {EN_KILLFOCUS, "EN_KILLFOCUS"},
        {EN_CHANGE, "EN_CHANGE"},
        {EN_UPDATE, "EN_UPDATE"},
        {EN_MAXTEXT, "EN_MAXTEXT"}}},
      {"Static",
       {{STN_CLICKED, "STN_CLICKED"},
        {STN_DBLCLK, "STN_DBLCLK"},
        {STN_ENABLE, "STN_ENABLE"},
        {STN_DISABLE, "STN_DISABLE"}}},
      {"ListBox",
       {{LBN_SELCHANGE, "LBN_SELCHANGE"},
        {LBN_DBLCLK, "LBN_DBLCLK"},
        {LBN_SETFOCUS, "LBN_SETFOCUS"},
        {LBN_KILLFOCUS, "LBN_KILLFOCUS"}}},
      {"ComboBox",
       {{CBN_SELCHANGE, "CBN_SELCHANGE"},
        {CBN_SETFOCUS, "CBN_SETFOCUS"},
        {CBN_KILLFOCUS, "CBN_KILLFOCUS"},
        {CBN_EDITCHANGE, "CBN_EDITCHANGE"},
        {CBN_EDITUPDATE, "CBN_EDITUPDATE"},
        {CBN_DROPDOWN, "CBN_DROPDOWN"},
        {CBN_CLOSEUP, "CBN_CLOSEUP"},
        {CBN_SELENDOK, "CBN_SELENDOK"},
        {CBN_SELENDCANCEL, "CBN_SELENDCANCEL"}}},
  };
  auto found = names.find(cls);
  if (found != names.end()) {
    auto name = found->second.find(code);
    if (name != found->second.end()) return name->second;
  }
  return std::string(cls) + "#" + std::to_string(code);
}

inline std::string ScrollCodeName(WORD code) {
  static const char* names[] = {"SB_LINEUP",     "SB_LINEDOWN", "SB_PAGEUP", "SB_PAGEDOWN", "SB_THUMBPOSITION",
                                "SB_THUMBTRACK", "SB_TOP",      "SB_BOTTOM", "SB_ENDSCROLL"};
  return code < 9 ? names[code] : std::to_string(code);
}

class ControlTest : public UserTest {
 protected:
  void SetUp() override {
    UserTest::SetUp();
    parent = Make("parent", WS_OVERLAPPEDWINDOW | WS_VISIBLE, nullptr, {0, 0, 400, 300});
    PumpMessages();
    ClearLog();
  }

  HWND Control(const char* cls, const char* text, DWORD style, int id, RECT r = {10, 10, 110, 34}) {
    return CreateWindowExA(0, cls, text, WS_CHILD | WS_VISIBLE | style, r.left, r.top, r.right - r.left,
                           r.bottom - r.top, parent, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), nullptr,
                           nullptr);
  }

  // The parent's WM_COMMAND notifications (and, when asked, WM_CTLCOLOR*, WM_DRAWITEM and scrolling), in order.
  std::vector<std::string> Notices(bool colours = false) {
    std::vector<std::string> lines;
    for (auto& e : Recorder::Get().Entries()) {
      if (e.hwnd != parent) continue;
      if (e.msg == WM_COMMAND && e.lParam) {
        lines.push_back(NotificationName(reinterpret_cast<HWND>(e.lParam), HIWORD(e.wParam)) + " " +
                        std::to_string(LOWORD(e.wParam)));
      } else if (e.msg == WM_HSCROLL || e.msg == WM_VSCROLL) {
        lines.push_back(std::string(e.msg == WM_HSCROLL ? "WM_HSCROLL " : "WM_VSCROLL ") +
                        ScrollCodeName(LOWORD(e.wParam)));
      } else if (colours) {
        static const std::map<UINT, const char*> names = {{WM_CTLCOLOREDIT, "WM_CTLCOLOREDIT"},
                                                          {WM_CTLCOLORLISTBOX, "WM_CTLCOLORLISTBOX"},
                                                          {WM_CTLCOLORBTN, "WM_CTLCOLORBTN"},
                                                          {WM_CTLCOLORSTATIC, "WM_CTLCOLORSTATIC"},
                                                          {WM_CTLCOLORSCROLLBAR, "WM_CTLCOLORSCROLLBAR"},
                                                          {WM_DRAWITEM, "WM_DRAWITEM"}};
        auto found = names.find(e.msg);
        if (found != names.end()) lines.push_back(found->second);
      }
    }
    return lines;
  }

  std::string Text(HWND hwnd) {
    char text[256] = {};
    GetWindowTextA(hwnd, text, sizeof text);
    return text;
  }

  // Draws the control (WM_PAINT with a DC, as controls take it) into a 32-bit bitmap of its size.
  struct Picture {
    int width = 0, height = 0;
    std::vector<DWORD> pixels;
    COLORREF At(int x, int y) const {
      DWORD p = pixels[static_cast<size_t>(y) * width + x];
      return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }
  };
  Picture Draw(HWND control) {
    RECT client;
    GetClientRect(control, &client);
    Picture picture;
    picture.width = client.right;
    picture.height = client.bottom;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = picture.width;
    info.bmiHeader.biHeight = -picture.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    SendMessageA(control, WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
    auto words = static_cast<const DWORD*>(bits);
    picture.pixels.assign(words, words + picture.width * picture.height);
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bitmap);
    return picture;
  }

  HWND parent = nullptr;
};

}  // namespace host::user::testing
