// Statics, scroll bars, and what every control answers alike: dialog codes,
// fonts, text length, the class ordinals dialog templates use.
#include <climits>

#include "controls_test_support.h"

namespace host::user::testing {
namespace {

using Controls = ControlTest;
using Statics = ControlTest;
using ScrollBars = ControlTest;
using Lines = std::vector<std::string>;

TEST_F(Controls, EveryClassAnswersTheDialogManagersQuestions) {
  struct Case {
    const char* cls;
    DWORD style;
    LRESULT code;
  };
  const Case cases[] = {
      {"Button", BS_PUSHBUTTON, DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON},
      {"Static", SS_LEFT, DLGC_STATIC},
      {"Edit", ES_AUTOHSCROLL, DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS},
      {"ListBox", LBS_NOTIFY, DLGC_WANTARROWS | DLGC_WANTCHARS},
      {"ComboBox", CBS_DROPDOWNLIST, DLGC_WANTARROWS | DLGC_WANTCHARS},
      {"ScrollBar", SBS_HORZ, DLGC_WANTARROWS},
  };
  HFONT font = CreateFontA(-12, 0, 0, 0, FW_BOLD, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.cls);
    HWND control = Control(c.cls, "Text", c.style, 1);
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(SendMessageA(control, WM_GETDLGCODE, 0, 0), c.code);
    EXPECT_EQ(SendMessageA(control, WM_GETFONT, 0, 0), 0);  // the system's font until told
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)), font);
    EnableWindow(control, FALSE);  // repainted grey: nothing hangs or fails in the paint
    PumpMessages();
    EXPECT_FALSE(IsWindowEnabled(control));
    DestroyWindow(control);
  }
  DeleteObject(font);
}

TEST_F(Controls, TextLengthAndClassOrdinals) {
  struct Case {
    const char* cls;
    ATOM atom;
    DWORD style;
    int length;
  };
  const Case cases[] = {
      {"Button", 0x80, BS_PUSHBUTTON, 5}, {"Edit", 0x81, ES_AUTOHSCROLL, 5},
      {"Static", 0x82, SS_LEFT, 5},       {"ListBox", 0x83, 0, 5},
      {"ScrollBar", 0x84, SBS_VERT, 5},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.cls);
    HWND control = CreateWindowExA(0, reinterpret_cast<LPCSTR>(static_cast<ULONG_PTR>(c.atom)), "Hello",
                                   WS_CHILD | c.style, 0, 0, 50, 20, parent, nullptr, nullptr, nullptr);
    ASSERT_NE(control, nullptr);
    char name[16];
    GetClassNameA(control, name, sizeof name);
    EXPECT_STREQ(name, c.cls);
    EXPECT_EQ(GetWindowTextLengthA(control), c.length);
    EXPECT_EQ(SendMessageA(control, WM_GETTEXTLENGTH, 0, 0), c.length);
  }
}

TEST_F(Statics, NotifyOnlyWithSsNotify) {
  struct Case {
    const char* name;
    DWORD style;
    LRESULT hit;
    Lines notices;
  };
  const Case cases[] = {
      {"SS_NOTIFY", SS_LEFT | SS_NOTIFY, HTCLIENT, {"STN_CLICKED 4", "STN_DBLCLK 4", "STN_DISABLE 4"}},
      {"plain", SS_LEFT, HTTRANSPARENT, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    HWND label = Control("Static", "&Label", c.style, 4);
    POINT centre{10, 10};
    ClientToScreen(label, &centre);
    EXPECT_EQ(SendMessageA(label, WM_NCHITTEST, 0, MAKELPARAM(centre.x, centre.y)), c.hit);
    ClearLog();
    PostMessageA(label, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    PostMessageA(label, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
    PostMessageA(label, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(3, 3));
    PumpMessages();
    EnableWindow(label, FALSE);
    EXPECT_EQ(Notices(), c.notices);
    DestroyWindow(label);
  }
}

TEST_F(Statics, TextUsesTheParentsColoursAndTheAlignment) {
  HBRUSH green = CreateSolidBrush(RGB(0, 255, 0));
  Recorder::Get().answer = [&](HWND, UINT msg, WPARAM wParam, LPARAM) -> std::optional<LRESULT> {
    if (msg != WM_CTLCOLORSTATIC) return std::nullopt;
    SetTextColor(reinterpret_cast<HDC>(wParam), RGB(255, 0, 0));
    return reinterpret_cast<LRESULT>(green);
  };
  struct Case {
    const char* name;
    DWORD style;
    int inkFrom, inkTo;  // the columns the text may cover
  };
  const Case cases[] = {
      {"left", SS_LEFT, 0, 60},
      {"right", SS_RIGHT, 140, 200},
      {"centred", SS_CENTER, 70, 130},
      {"simple", SS_SIMPLE, 0, 60},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    HWND label = Control("Static", "MMM", c.style, 4, {0, 0, 200, 20});
    ClearLog();
    auto picture = Draw(label);
    EXPECT_EQ(Notices(true), Lines{"WM_CTLCOLORSTATIC"});
    int first = picture.width, last = -1;
    for (int y = 0; y < picture.height; ++y)
      for (int x = 0; x < picture.width; ++x) {
        COLORREF colour = picture.At(x, y);
        if (colour == RGB(0, 255, 0)) continue;
        EXPECT_EQ(GetRValue(colour) > 0, true) << x << "," << y;  // only the parent's text colour, blended
        first = std::min(first, x);
        last = std::max(last, x);
      }
    EXPECT_GE(first, c.inkFrom);
    EXPECT_LE(last, c.inkTo);
    EXPECT_LT(first, last);
    DestroyWindow(label);
  }
  DeleteObject(green);
}

TEST_F(Statics, BitmapImagesAndFrames) {
  HWND picture = Control("Static", "", SS_BITMAP, 5, {10, 10, 200, 200});
  const DWORD pixels[4] = {0x00FF0000, 0x00FF0000, 0x00FF0000, 0x00FF0000};
  HBITMAP bitmap = CreateBitmap(2, 2, 1, 32, pixels);
  EXPECT_EQ(SendMessageA(picture, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap)), 0);
  EXPECT_EQ(reinterpret_cast<HBITMAP>(SendMessageA(picture, STM_GETIMAGE, IMAGE_BITMAP, 0)), bitmap);
  RECT rect;
  GetClientRect(picture, &rect);
  EXPECT_EQ(rect.right, 2);  // the control takes the bitmap's size
  EXPECT_EQ(rect.bottom, 2);
  EXPECT_EQ(Draw(picture).At(1, 1), RGB(255, 0, 0));
  HBITMAP other = CreateBitmap(4, 3, 1, 32, nullptr);
  EXPECT_EQ(
      reinterpret_cast<HBITMAP>(SendMessageA(picture, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(other))),
      bitmap);
  EXPECT_EQ(SendMessageA(picture, STM_SETIMAGE, 7, 0), 0);  // no such image type
  HWND icon = Control("Static", "", SS_ICON, 6, {10, 10, 100, 100});
  HICON handle = reinterpret_cast<HICON>(0x1234);
  EXPECT_EQ(SendMessageA(icon, STM_SETICON, reinterpret_cast<WPARAM>(handle), 0), 0);
  EXPECT_EQ(reinterpret_cast<HICON>(SendMessageA(icon, STM_GETICON, 0, 0)), handle);
  GetClientRect(icon, &rect);
  EXPECT_EQ(rect.right, 32);

  HWND etched = Control("Static", "", SS_ETCHEDHORZ, 7, {0, 0, 50, 2});
  auto line = Draw(etched);
  EXPECT_EQ(line.At(10, 0), GetSysColor(COLOR_3DSHADOW));
  EXPECT_EQ(line.At(10, 1), GetSysColor(COLOR_3DHILIGHT));
  HWND black = Control("Static", "", SS_BLACKRECT, 8, {0, 0, 10, 10});
  EXPECT_EQ(Draw(black).At(5, 5), GetSysColor(COLOR_WINDOWFRAME));
  DeleteObject(bitmap);
  DeleteObject(other);
}

TEST_F(ScrollBars, RangeAndPositionAreClamped) {
  HWND bar = Control("ScrollBar", "", SBS_HORZ, 3, {10, 10, 210, 26});
  int min = -1, max = -1;
  EXPECT_TRUE(GetScrollRange(bar, SB_CTL, &min, &max));
  EXPECT_EQ(min, 0);
  EXPECT_EQ(max, 100);
  struct Step {
    const char* name;
    std::function<int()> act;
    int result, pos;
  };
  const Step steps[] = {
      {"set a range", [&] { return SetScrollRange(bar, SB_CTL, 10, 20, TRUE); }, TRUE, 10},
      {"set in range", [&] { return SetScrollPos(bar, SB_CTL, 15, TRUE); }, 10, 15},
      {"set above the range", [&] { return SetScrollPos(bar, SB_CTL, 99, TRUE); }, 15, 20},
      {"set below the range", [&] { return SetScrollPos(bar, SB_CTL, -5, FALSE); }, 20, 10},
      {"a page takes the top off",
       [&] {
         SCROLLINFO info{sizeof info, SIF_ALL, 0, 9, 4, 9, 0};
         return SetScrollInfo(bar, SB_CTL, &info, TRUE);
       },
       6, 6},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.name);
    EXPECT_EQ(step.act(), step.result);
    EXPECT_EQ(GetScrollPos(bar, SB_CTL), step.pos);
  }
  SCROLLINFO info{sizeof info, SIF_ALL, 0, 0, 0, 0, 0};
  EXPECT_TRUE(GetScrollInfo(bar, SB_CTL, &info));
  EXPECT_EQ(info.nMin, 0);
  EXPECT_EQ(info.nMax, 9);
  EXPECT_EQ(info.nPage, 4u);
  EXPECT_EQ(info.nPos, 6);
  // Only the control itself: the window manager draws no scroll bars of its windows.
  EXPECT_EQ(SetScrollPos(parent, SB_VERT, 3, TRUE), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(SetScrollPos(parent, SB_CTL, 3, TRUE), 0);
  SCROLLINFO bad{0, SIF_ALL, 0, 0, 0, 0, 0};
  EXPECT_FALSE(GetScrollInfo(bar, SB_CTL, &bad));
  // A range spans at most MAXLONG; the widest one still lays out its thumb (no overflow).
  EXPECT_FALSE(SetScrollRange(bar, SB_CTL, INT_MIN, INT_MAX, FALSE));
  EXPECT_EQ(GetLastError(), 1448u);  // ERROR_INVALID_SCROLLBAR_RANGE
  SCROLLINFO wide{sizeof wide, SIF_ALL, 0, INT_MAX, 0, INT_MAX, 0};
  EXPECT_EQ(SetScrollInfo(bar, SB_CTL, &wide, TRUE), INT_MAX);
  EXPECT_EQ(Draw(bar).width, 200);
}

TEST_F(ScrollBars, TheUsersClicksAndKeysAreReportedNotApplied) {
  HWND bar = Control("ScrollBar", "", SBS_VERT | WS_TABSTOP, 3, {10, 10, 26, 210});
  SetScrollRange(bar, SB_CTL, 0, 10, FALSE);
  SetScrollPos(bar, SB_CTL, 5, FALSE);
  struct Case {
    const char* name;
    int y;
    Lines notices;
  };
  const Case cases[] = {
      {"top arrow", 4, {"WM_VSCROLL SB_LINEUP", "WM_VSCROLL SB_ENDSCROLL"}},
      {"bottom arrow", 196, {"WM_VSCROLL SB_LINEDOWN", "WM_VSCROLL SB_ENDSCROLL"}},
      {"above the thumb", 30, {"WM_VSCROLL SB_PAGEUP", "WM_VSCROLL SB_ENDSCROLL"}},
      {"below the thumb", 170, {"WM_VSCROLL SB_PAGEDOWN", "WM_VSCROLL SB_ENDSCROLL"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ClearLog();
    PostMessageA(bar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(8, c.y));
    PostMessageA(bar, WM_LBUTTONUP, 0, MAKELPARAM(8, c.y));
    PumpMessages();
    EXPECT_EQ(Notices(), c.notices);
    EXPECT_EQ(GetScrollPos(bar, SB_CTL), 5);  // the parent moves the thumb, not the bar
  }
  // Dragging the thumb tracks, then sets the position where it ends.
  ClearLog();
  PostMessageA(bar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(8, 100));
  PostMessageA(bar, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(8, 196));
  PostMessageA(bar, WM_LBUTTONUP, 0, MAKELPARAM(8, 196));
  PumpMessages();
  EXPECT_EQ(Notices(), (Lines{"WM_VSCROLL SB_THUMBTRACK", "WM_VSCROLL SB_THUMBPOSITION", "WM_VSCROLL SB_ENDSCROLL"}));
  auto entries = Recorder::Get().Entries();
  std::vector<int> positions;
  for (auto& e : entries)
    if (e.hwnd == parent && e.msg == WM_VSCROLL) positions.push_back(static_cast<SHORT>(HIWORD(e.wParam)));
  EXPECT_EQ(positions[0], 10);
  EXPECT_EQ(positions[1], 10);
  EXPECT_EQ(reinterpret_cast<HWND>(entries.back().lParam), bar);
  // A held arrow repeats on the station clock.
  ClearLog();
  PostMessageA(bar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(8, 4));
  PumpMessages();
  AdvanceClock(400);
  PumpMessages();
  AdvanceClock(50);
  PumpMessages();
  PostMessageA(bar, WM_LBUTTONUP, 0, MAKELPARAM(8, 4));
  PumpMessages();
  EXPECT_EQ(Notices(),
            (Lines{"WM_VSCROLL SB_LINEUP", "WM_VSCROLL SB_LINEUP", "WM_VSCROLL SB_LINEUP", "WM_VSCROLL SB_ENDSCROLL"}));
  ClearLog();
  SendMessageA(bar, WM_KEYDOWN, VK_NEXT, 0);
  SendMessageA(bar, WM_KEYUP, VK_NEXT, 0);
  SendMessageA(bar, WM_KEYDOWN, VK_HOME, 0);
  EXPECT_EQ(Notices(), (Lines{"WM_VSCROLL SB_PAGEDOWN", "WM_VSCROLL SB_ENDSCROLL", "WM_VSCROLL SB_TOP"}));
}

}  // namespace
}  // namespace host::user::testing
