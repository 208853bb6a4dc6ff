// Classes and windows: creation and destruction orders, the window tree,
// enumeration and search, text, window longs, subclassing and properties.
#include "user_test_support.h"

namespace host::user::testing {
namespace {

using Windows = UserTest;
using Lines = std::vector<std::string>;

TEST_F(Windows, CreationSendsWindowsOrder) {
  struct Case {
    const char* what;
    DWORD style;
    bool child;
    Lines expected;
  };
  const Case cases[] = {
      {"hidden overlapped",
       WS_OVERLAPPEDWINDOW,
       false,
       {"w WM_GETMINMAXINFO", "w WM_NCCREATE", "w WM_NCCALCSIZE", "w WM_CREATE", "w WM_SIZE", "w WM_MOVE"}},
      {"popup without frame", WS_POPUP, false, {"w WM_NCCREATE", "w WM_NCCALCSIZE", "w WM_CREATE", "w WM_SIZE", "w WM_MOVE"}},
      {"child",
       WS_CHILD,
       true,
       {"w WM_NCCREATE", "w WM_NCCALCSIZE", "w WM_CREATE", "w WM_SIZE", "w WM_MOVE", "parent WM_PARENTNOTIFY"}},
      {"visible overlapped",
       WS_OVERLAPPEDWINDOW | WS_VISIBLE,
       false,
       {"w WM_GETMINMAXINFO", "w WM_NCCREATE", "w WM_NCCALCSIZE", "w WM_CREATE", "w WM_SIZE", "w WM_MOVE",
        "w WM_SHOWWINDOW", "w WM_WINDOWPOSCHANGING",
        // every top-level window of the thread hears that the thread became active
        "w WM_ACTIVATEAPP", "parent WM_ACTIVATEAPP", "w WM_NCACTIVATE", "w WM_ACTIVATE",
        "w WM_SETFOCUS", "w WM_NCPAINT", "w WM_ERASEBKGND", "w WM_WINDOWPOSCHANGED"}},
  };
  HWND parent = Make("parent", WS_POPUP);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ClearLog();
    HWND hwnd = Make("w", c.style, c.child ? parent : nullptr);
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(Log(), c.expected);
    DestroyWindow(hwnd);
  }
}

TEST_F(Windows, CreateAnswerMinusOneDestroysAndReturnsNull) {
  HWND stale = nullptr;
  Recorder::Get().answer = [&stale](HWND hwnd, UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
    stale = hwnd;
    if (msg == WM_CREATE) return -1;
    return std::nullopt;
  };
  EXPECT_EQ(Make("w", WS_POPUP), nullptr);
  EXPECT_EQ(Log(), (Lines{"w WM_NCCREATE", "w WM_NCCALCSIZE", "w WM_CREATE", "w WM_DESTROY", "w WM_NCDESTROY"}));
  EXPECT_FALSE(IsWindow(stale));
}

TEST_F(Windows, NcCreateFalseFailsTheCreation) {
  Recorder::Get().answer = [](HWND, UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (msg == WM_NCCREATE) return FALSE;
    return std::nullopt;
  };
  EXPECT_EQ(Make("w", WS_POPUP), nullptr);
  EXPECT_EQ(Log(), (Lines{"w WM_NCCREATE", "w WM_NCDESTROY"}));
}

TEST_F(Windows, DestroyOrdersOwnedWindowsThenDestroyBeforeChildrenAndNcDestroyLast) {
  HWND main = Make("main", WS_OVERLAPPEDWINDOW);
  HWND child = Make("child", WS_CHILD, main);
  Make("grandchild", WS_CHILD, child);
  Make("owned", WS_POPUP, main);
  ClearLog();
  EXPECT_TRUE(DestroyWindow(main));
  EXPECT_EQ(Log(), (Lines{"owned WM_DESTROY", "owned WM_NCDESTROY", "main WM_DESTROY", "child WM_DESTROY",
                          "grandchild WM_DESTROY", "grandchild WM_NCDESTROY", "child WM_NCDESTROY",
                          "main WM_NCDESTROY"}));
  EXPECT_FALSE(IsWindow(main));
  EXPECT_FALSE(IsWindow(child));
}

TEST_F(Windows, DestroyingAChildNotifiesItsParent) {
  HWND main = Make("main", WS_POPUP);
  HWND child = Make("child", WS_CHILD, main);
  HWND quiet = Make("quiet", WS_CHILD, main, {0, 0, 5, 5}, WS_EX_NOPARENTNOTIFY);
  ClearLog();
  DestroyWindow(child);
  DestroyWindow(quiet);
  EXPECT_EQ(Log(), (Lines{"main WM_PARENTNOTIFY", "child WM_DESTROY", "child WM_NCDESTROY", "quiet WM_DESTROY",
                          "quiet WM_NCDESTROY"}));
  auto entries = Recorder::Get().Entries();
  EXPECT_EQ(LOWORD(entries[0].wParam), WM_DESTROY);
  EXPECT_EQ(reinterpret_cast<HWND>(entries[0].lParam), child);
}

TEST_F(Windows, AWindowMayDestroyItselfFromItsProcedure) {
  HWND hwnd = Make("w", WS_POPUP);
  Recorder::Get().answer = [](HWND hwnd, UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (msg != WM_USER) return std::nullopt;
    DestroyWindow(hwnd);
    return 7;
  };
  ClearLog();
  EXPECT_EQ(SendMessageA(hwnd, WM_USER, 0, 0), 7);
  EXPECT_FALSE(IsWindow(hwnd));
  EXPECT_EQ(Log(), (Lines{"w WM_USER", "w WM_DESTROY", "w WM_NCDESTROY"}));
  PostMessageA(hwnd, WM_USER, 0, 0);  // refused: the handle is stale
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_WINDOW_HANDLE);
}

TEST_F(Windows, StaleHandlesStayStale) {
  HWND first = Make("a", WS_POPUP);
  DestroyWindow(first);
  HWND second = Make("b", WS_POPUP);
  EXPECT_NE(first, second);
  EXPECT_FALSE(IsWindow(first));
  EXPECT_TRUE(IsWindow(second));
  EXPECT_FALSE(IsWindow(nullptr));
  EXPECT_FALSE(IsWindow(reinterpret_cast<HWND>(0x1234)));
  EXPECT_FALSE(DestroyWindow(first));
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_WINDOW_HANDLE);
}

TEST_F(Windows, DesktopIsARealWindowOfTheScreensSize) {
  HWND desktop = GetDesktopWindow();
  ASSERT_TRUE(IsWindow(desktop));
  RECT rect;
  ASSERT_TRUE(GetWindowRect(desktop, &rect));
  EXPECT_EQ(rect.left, 0);
  EXPECT_EQ(rect.top, 0);
  EXPECT_GT(rect.right, 0);
  EXPECT_GT(rect.bottom, 0);
  char name[32];
  EXPECT_EQ(GetClassNameA(desktop, name, sizeof name), 6);
  EXPECT_STREQ(name, "#32769");
  EXPECT_FALSE(DestroyWindow(desktop));
  HWND top = Make("top", WS_POPUP);
  EXPECT_EQ(GetWindow(desktop, GW_CHILD), top);
}

TEST_F(Windows, ParentsOwnersAndZOrder) {
  HWND main = Make("main", WS_OVERLAPPEDWINDOW);
  HWND a = Make("a", WS_CHILD, main);
  HWND b = Make("b", WS_CHILD, main);
  HWND inner = Make("inner", WS_CHILD, a);
  HWND popup = Make("popup", WS_POPUP, inner);  // owned by the root of the window given
  HWND owned = Make("owned", WS_OVERLAPPED, main);
  struct Case {
    const char* what;
    HWND got, expected;
  };
  const Case cases[] = {
      {"child's parent", GetParent(a), main},
      {"popup's parent is its owner", GetParent(popup), main},
      {"owned overlapped window has no parent", GetParent(owned), nullptr},
      {"top-level has no parent", GetParent(main), nullptr},
      {"owner", GetWindow(popup, GW_OWNER), main},
      {"child has no owner", GetWindow(a, GW_OWNER), nullptr},
      {"newest child on top", GetWindow(main, GW_CHILD), b},
      {"next below", GetWindow(b, GW_HWNDNEXT), a},
      {"nothing below the last", GetWindow(a, GW_HWNDNEXT), nullptr},
      {"previous", GetWindow(a, GW_HWNDPREV), b},
      {"first", GetWindow(a, GW_HWNDFIRST), b},
      {"last", GetWindow(b, GW_HWNDLAST), a},
      {"newest top-level on top", GetTopWindow(nullptr), owned},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(c.got, c.expected);
  }
  EXPECT_TRUE(IsChild(main, inner));
  EXPECT_FALSE(IsChild(main, popup));
  SetWindowPos(a, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  EXPECT_EQ(GetWindow(main, GW_CHILD), a);
  SetWindowPos(a, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  EXPECT_EQ(GetWindow(main, GW_CHILD), b);
}

TEST_F(Windows, TopmostWindowsStayAboveTheOthers) {
  HWND topmost = Make("topmost", WS_POPUP, nullptr, {0, 0, 10, 10}, WS_EX_TOPMOST);
  HWND plain = Make("plain", WS_POPUP);
  EXPECT_EQ(GetTopWindow(nullptr), topmost);
  EXPECT_EQ(GetWindow(topmost, GW_HWNDNEXT), plain);
  SetWindowPos(plain, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  EXPECT_EQ(GetTopWindow(nullptr), plain);
  EXPECT_TRUE(GetWindowLongA(plain, GWL_EXSTYLE) & WS_EX_TOPMOST);
  SetWindowPos(plain, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  EXPECT_EQ(GetTopWindow(nullptr), topmost);
  EXPECT_FALSE(GetWindowLongA(plain, GWL_EXSTYLE) & WS_EX_TOPMOST);
}

BOOL CALLBACK Collect(HWND hwnd, LPARAM lParam) {
  auto* out = reinterpret_cast<std::vector<std::string>*>(lParam);
  out->push_back(Recorder::Get().NameOf(hwnd));
  return out->size() < 100;
}

BOOL CALLBACK CollectTwo(HWND hwnd, LPARAM lParam) {
  Collect(hwnd, lParam);
  return reinterpret_cast<std::vector<std::string>*>(lParam)->size() < 2;
}

TEST_F(Windows, EnumerationOrder) {
  HWND first = Make("first", WS_POPUP);
  HWND a = Make("a", WS_CHILD, first);
  Make("a1", WS_CHILD, a);
  Make("b", WS_CHILD, first);
  Make("second", WS_POPUP | WS_VISIBLE);
  Make("hidden", WS_POPUP);
  Lines tops, children, stopped;
  EXPECT_TRUE(EnumWindows(Collect, reinterpret_cast<LPARAM>(&tops)));
  EXPECT_EQ(tops, (Lines{"hidden", "second", "first"}));  // z-order, hidden included, no desktop
  EnumChildWindows(first, Collect, reinterpret_cast<LPARAM>(&children));
  EXPECT_EQ(children, (Lines{"b", "a", "a1"}));
  EXPECT_FALSE(EnumWindows(CollectTwo, reinterpret_cast<LPARAM>(&stopped)));
  EXPECT_EQ(stopped.size(), 2u);
}

TEST_F(Windows, FindWindowMatchingRules) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = RecorderProc;
  wc.lpszClassName = "PanovueClass";
  ASSERT_TRUE(RegisterClassA(&wc));
  HWND nav = Make("OVX Panovue", WS_POPUP, nullptr, {0, 0, 5, 5}, 0, "PanovueClass");
  HWND other = Make("Other", WS_POPUP);
  HWND untitled = Make("", WS_POPUP);
  Make("Inner", WS_CHILD, other);
  struct Case {
    const char* className;
    const char* title;
    HWND expected;
  };
  const Case cases[] = {
      {"PanovueClass", "OVX Panovue", nav},
      {"panovueclass", nullptr, nav},     // class without regard to case
      {nullptr, "ovx panovue", nav},      // title without regard to case
      {"PanovueClass", "Other", nullptr}, // both must match
      {"Recorder", "Other", other},
      {nullptr, "Inner", nullptr},        // children are not searched
      {nullptr, "", untitled},            // an empty title matches only an empty one
      {"NoSuchClass", nullptr, nullptr},
      {nullptr, "OVX", nullptr},          // whole titles only
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.className ? c.className : "(any)") + " / " + (c.title ? c.title : "(any)"));
    EXPECT_EQ(FindWindowA(c.className, c.title), c.expected);
  }
  EXPECT_EQ(FindWindowExA(other, nullptr, nullptr, "Inner"), GetWindow(other, GW_CHILD));
}

TEST_F(Windows, TextGoesThroughWmSetTextAndWmGetText) {
  HWND hwnd = Make("w", WS_POPUP);
  ClearLog();
  EXPECT_TRUE(SetWindowTextA(hwnd, "Monitor settings"));
  char buffer[8];
  EXPECT_EQ(GetWindowTextA(hwnd, buffer, sizeof buffer), 7);
  EXPECT_STREQ(buffer, "Monitor");
  EXPECT_EQ(GetWindowTextLengthA(hwnd), 16);
  EXPECT_EQ(Log(), (Lines{"w WM_SETTEXT", "w WM_GETTEXT", "w WM_GETTEXTLENGTH"}));
  EXPECT_EQ(GetWindowTextA(hwnd, buffer, 0), 0);
  // A window that keeps its own text answers for it.
  Recorder::Get().answer = [](HWND, UINT msg, WPARAM size, LPARAM out) -> std::optional<LRESULT> {
    if (msg != WM_GETTEXT) return std::nullopt;
    lstrcpynA(reinterpret_cast<char*>(out), "own", static_cast<int>(size));
    return 3;
  };
  char full[16];
  EXPECT_EQ(GetWindowTextA(hwnd, full, sizeof full), 3);
  EXPECT_STREQ(full, "own");
}

TEST_F(Windows, ClassesAreRegisteredOnceAndFoundWithoutRegardToCase) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = RecorderProc;
  wc.lpszClassName = "recorder";
  EXPECT_FALSE(RegisterClassA(&wc));
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_CLASS_ALREADY_EXISTS);
  EXPECT_EQ(CreateWindowExA(0, "NoSuchClass", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr), nullptr);
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_CLASS_DOES_NOT_EXIST);
  wc.lpszClassName = nullptr;
  EXPECT_FALSE(RegisterClassA(&wc));
  WNDCLASSEXA ex{};
  ex.cbSize = sizeof ex - 4;
  EXPECT_FALSE(RegisterClassExA(&ex));
  HWND hwnd = Make("w", WS_POPUP, nullptr, {0, 0, 1, 1}, 0, "RECORDER");
  ASSERT_NE(hwnd, nullptr);
  char name[32];
  GetClassNameA(hwnd, name, sizeof name);
  EXPECT_STREQ(name, "Recorder");
  EXPECT_FALSE(UnregisterClassA("Recorder", nullptr));  // a window still uses it
  DestroyWindow(hwnd);
  EXPECT_TRUE(UnregisterClassA("Recorder", nullptr));
}

TEST_F(Windows, ClassLongsActOnTheWholeClass) {
  HWND a = Make("a", WS_POPUP);
  HWND b = Make("b", WS_POPUP);
  EXPECT_EQ(GetClassLongA(a, GCL_HBRBACKGROUND), static_cast<DWORD>(COLOR_WINDOW + 1));
  EXPECT_EQ(SetClassLongA(a, GCL_HBRBACKGROUND, COLOR_BTNFACE + 1), static_cast<DWORD>(COLOR_WINDOW + 1));
  EXPECT_EQ(GetClassLongA(b, GCL_HBRBACKGROUND), static_cast<DWORD>(COLOR_BTNFACE + 1));
  HWND c = Make("c", WS_POPUP);
  EXPECT_EQ(GetClassLongA(c, GCL_HBRBACKGROUND), static_cast<DWORD>(COLOR_BTNFACE + 1));
  EXPECT_EQ(GetClassLongA(a, GCL_CBWNDEXTRA), static_cast<DWORD>(DLGWINDOWEXTRA));
  EXPECT_EQ(GetClassLongA(a, GCL_WNDPROC), reinterpret_cast<DWORD>(RecorderProc));
}

TEST_F(Windows, WindowLongsAndDialogSlots) {
  HWND parent = Make("parent", WS_POPUP);
  HWND hwnd = Make("w", WS_CHILD, parent, {0, 0, 10, 10}, 0, "Recorder", reinterpret_cast<HMENU>(42));
  EXPECT_EQ(GetWindowLongA(hwnd, GWL_ID), 42);
  EXPECT_EQ(GetDlgCtrlID(hwnd), 42);
  EXPECT_EQ(GetDlgItem(parent, 42), hwnd);
  EXPECT_EQ(GetWindowLongA(hwnd, GWL_HWNDPARENT), reinterpret_cast<LONG>(parent));
  EXPECT_EQ(SetWindowLongA(hwnd, GWL_USERDATA, 0x1234), 0);
  EXPECT_EQ(GetWindowLongA(hwnd, GWL_USERDATA), 0x1234);
  struct Slot {
    int index;
    LONG value;
  };
  const Slot slots[] = {{DWL_MSGRESULT, 11}, {DWL_DLGPROC, 22}, {DWL_USER, 33}, {26, 44}};
  for (const auto& slot : slots) {
    SCOPED_TRACE(slot.index);
    EXPECT_EQ(SetWindowLongA(hwnd, slot.index, slot.value), 0);
    EXPECT_EQ(GetWindowLongA(hwnd, slot.index), slot.value);
  }
  EXPECT_EQ(GetWindowLongA(hwnd, DWL_USER), 33);  // slots do not overlap
  SetLastError(0);
  EXPECT_EQ(GetWindowLongA(hwnd, 27), 0);  // past the 30 extra bytes
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_INDEX);
  EXPECT_EQ(SetWindowLongA(hwnd, 28, 1), 0);
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_INDEX);
  EXPECT_EQ(GetWindowLongA(hwnd, -100), 0);
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_INDEX);
}

TEST_F(Windows, StyleChangesAreAnnounced) {
  HWND hwnd = Make("w", WS_POPUP);
  ClearLog();
  LONG old = SetWindowLongA(hwnd, GWL_STYLE, WS_POPUP | WS_BORDER);
  EXPECT_EQ(static_cast<DWORD>(old), static_cast<DWORD>(WS_POPUP));
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(hwnd, GWL_STYLE)), static_cast<DWORD>(WS_POPUP | WS_BORDER));
  EXPECT_EQ(Log(), (Lines{"w WM_STYLECHANGING", "w WM_STYLECHANGED"}));
}

// A subclass chain: each procedure adds its mark and passes the message on.
WNDPROC g_firstOld, g_secondOld;
std::string g_path;

LRESULT CALLBACK FirstSubclass(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_USER) g_path += "first>";
  return CallWindowProcA(g_firstOld, hwnd, msg, wParam, lParam);
}

LRESULT CALLBACK SecondSubclass(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_USER) g_path += "second>";
  return CallWindowProcA(g_secondOld, hwnd, msg, wParam, lParam);
}

TEST_F(Windows, SubclassChainsRunNewestFirstAndUnwind) {
  HWND hwnd = Make("w", WS_POPUP);
  Recorder::Get().answer = [](HWND, UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (msg == WM_USER) return (g_path += "original", 5);
    return std::nullopt;
  };
  g_firstOld = reinterpret_cast<WNDPROC>(SetWindowLongA(hwnd, GWL_WNDPROC, reinterpret_cast<LONG>(FirstSubclass)));
  g_secondOld = reinterpret_cast<WNDPROC>(SetWindowLongA(hwnd, GWL_WNDPROC, reinterpret_cast<LONG>(SecondSubclass)));
  EXPECT_EQ(g_firstOld, RecorderProc);
  EXPECT_EQ(g_secondOld, FirstSubclass);
  g_path.clear();
  EXPECT_EQ(SendMessageA(hwnd, WM_USER, 0, 0), 5);
  EXPECT_EQ(g_path, "second>first>original");
  // Posted messages reach the subclass too.
  g_path.clear();
  PostMessageA(hwnd, WM_USER, 0, 0);
  PumpMessages();
  EXPECT_EQ(g_path, "second>first>original");
  SetWindowLongA(hwnd, GWL_WNDPROC, reinterpret_cast<LONG>(g_secondOld));
  SetWindowLongA(hwnd, GWL_WNDPROC, reinterpret_cast<LONG>(g_firstOld));
  g_path.clear();
  SendMessageA(hwnd, WM_USER, 0, 0);
  EXPECT_EQ(g_path, "original");
  EXPECT_EQ(CallWindowProcA(nullptr, hwnd, WM_USER, 0, 0), 0);
}

TEST_F(Windows, PropertiesByNameOrAtom) {
  HWND hwnd = Make("w", WS_POPUP);
  HANDLE one = reinterpret_cast<HANDLE>(1), two = reinterpret_cast<HANDLE>(2);
  EXPECT_TRUE(SetPropA(hwnd, "OvxPage", one));
  EXPECT_EQ(GetPropA(hwnd, "ovxpage"), one);
  EXPECT_TRUE(SetPropA(hwnd, "OVXPAGE", two));  // the same property
  EXPECT_EQ(GetPropA(hwnd, "OvxPage"), two);
  EXPECT_TRUE(SetPropA(hwnd, MAKEINTRESOURCEA(0xC123), one));
  EXPECT_EQ(GetPropA(hwnd, MAKEINTRESOURCEA(0xC123)), one);
  EXPECT_EQ(RemovePropA(hwnd, "OvxPage"), two);
  EXPECT_EQ(GetPropA(hwnd, "OvxPage"), nullptr);
  EXPECT_EQ(RemovePropA(hwnd, "OvxPage"), nullptr);
  EXPECT_EQ(GetPropA(reinterpret_cast<HWND>(0x999), "x"), nullptr);
}

}  // namespace
}  // namespace host::user::testing
