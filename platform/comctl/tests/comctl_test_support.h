// Test support for the common controls: a parent window that writes every
// notification, scroll and command it gets as a line ("TVN_SELCHANGED
// unknown a->b"), answers notifications as told, and a memory canvas.
#pragma once

#include <commctrl.h>
#include <gtest/gtest.h>
#include <host/user.h>
#include <host_testing/station_fixture.h>
#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "comctl/comctl_internal.h"

namespace host::comctl::testing {

using Lines = std::vector<std::string>;

struct ParentLog {
  Lines lines;
  std::map<UINT, LRESULT> answers;         // by notification code
  std::map<UINT, std::string> tipTexts;    // TTN_NEEDTEXTA answers by tool id
  std::map<HTREEITEM, std::string> names;  // tree items in the lines
  std::function<void(NMHDR*)> onNotify;    // runs before the answer
  bool logFocus = false;                   // NM_SETFOCUS / NM_KILLFOCUS lines
};
ParentLog& Log();

class ComctlTest : public host::testing::StationTest {
 protected:
  void SetUp() override;
  void TearDown() override;
  // A visible popup parent at the screen's top-left (client = screen coordinates).
  HWND parent() const { return parent_; }
  HWND Child(const char* className, DWORD style, RECT rect, UINT id = 100, const char* text = nullptr);
  Lines Take();  // the lines so far, cleared
  void Name(HTREEITEM item, const std::string& name) { Log().names[item] = name; }
  // Mouse input at client coordinates of `hwnd`, then the messages are pumped.
  void ClickAt(HWND hwnd, int x, int y, host::user::Button button = host::user::Button::Left);
  void DoubleClickAt(HWND hwnd, int x, int y);
  void Key(HWND focus, UINT vk);

 private:
  HWND parent_ = nullptr;
};

// A memory DC holding a 32-bpp DIB section, cleared to a colour.
class Canvas {
 public:
  Canvas(int width, int height, COLORREF fill = RGB(255, 255, 255));
  ~Canvas();
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;
  HDC dc() const { return dc_; }
  COLORREF At(int x, int y) const { return GetPixel(dc_, x, y); }
  bool Contains(const RECT& area, COLORREF colour) const;

 private:
  HDC dc_;
  HBITMAP bitmap_;
  HGDIOBJ old_;
};

// A bitmap of `width` x `height` whose columns take the given colours in turn, `stripe` pixels each.
HBITMAP StripeBitmap(int width, int height, const std::vector<COLORREF>& colours, int stripe);

}  // namespace host::comctl::testing
