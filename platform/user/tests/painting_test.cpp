// Painting bookkeeping: update areas, WM_PAINT generation, BeginPaint and
// erasure, UpdateWindow, RedrawWindow flags, uncovered areas.
#include "user_test_support.h"

namespace host::user::testing {
namespace {

using Painting = UserTest;
using Lines = std::vector<std::string>;

class Painted : public UserTest {
 protected:
  void SetUp() override {
    UserTest::SetUp();
    main = Make("main", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, nullptr, {0, 0, 200, 100});
    child = Make("child", WS_CHILD | WS_VISIBLE, main, {10, 10, 60, 60});
    PumpMessages();
    ClearLog();
  }
  bool PaintPending() {
    MSG msg;
    return PeekMessageA(&msg, nullptr, WM_PAINT, WM_PAINT, PM_NOREMOVE);
  }
  HWND main = nullptr, child = nullptr;
};

TEST_F(Painted, InvalidatingMakesOneWmPaintThatBeginPaintAnswers) {
  EXPECT_FALSE(PaintPending());
  RECT part{5, 5, 20, 30}, update;
  InvalidateRect(main, &part, TRUE);
  EXPECT_TRUE(GetUpdateRect(main, &update, FALSE));
  EXPECT_TRUE(EqualRect(&update, &part));
  RECT more{100, 40, 150, 90};
  InvalidateRect(main, &more, FALSE);
  GetUpdateRect(main, &update, FALSE);
  EXPECT_EQ(update.left, 5);
  EXPECT_EQ(update.right, 150);  // the bounding rectangle
  PumpMessages();
  EXPECT_EQ(Log(), (Lines{"main WM_PAINT", "main WM_ERASEBKGND"}));
  EXPECT_FALSE(PaintPending());
  EXPECT_FALSE(GetUpdateRect(main, &update, FALSE));
}

TEST_F(Painted, HiddenWindowsGetNoWmPaint) {
  ShowWindow(main, SW_HIDE);
  InvalidateRect(main, nullptr, TRUE);
  EXPECT_FALSE(PaintPending());
}

TEST_F(Painted, BeginPaintReportsTheAreaAndWhetherErasingIsLeft) {
  RECT part{1, 2, 3, 4};
  InvalidateRect(main, &part, TRUE);
  PAINTSTRUCT ps{};
  Recorder::Get().answer = [&](HWND hwnd, UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (msg == WM_ERASEBKGND) return 0;  // not erased: BeginPaint says so
    if (msg == WM_PAINT) {
      BeginPaint(hwnd, &ps);
      EndPaint(hwnd, &ps);
      return 0;
    }
    return std::nullopt;
  };
  PumpMessages();
  EXPECT_TRUE(ps.fErase);
  EXPECT_TRUE(EqualRect(&ps.rcPaint, &part));
  EXPECT_NE(ps.hdc, nullptr);
  // A posted WM_PAINT finds nothing to paint and does no harm.
  PostMessageA(main, WM_PAINT, 0, 0);
  PumpMessages();
  EXPECT_TRUE(IsRectEmpty(&ps.rcPaint));
}

TEST_F(Painted, ValidateRectTakesAWholeSideOff) {
  InvalidateRect(main, nullptr, FALSE);
  RECT left{0, 0, 50, 100}, update;
  ValidateRect(main, &left);
  GetUpdateRect(main, &update, FALSE);
  EXPECT_EQ(update.left, 50);
  EXPECT_EQ(update.right, 200);
  ValidateRect(main, nullptr);
  EXPECT_FALSE(GetUpdateRect(main, &update, FALSE));
}

TEST_F(Painted, UpdateWindowPaintsAtOnce) {
  InvalidateRect(main, nullptr, TRUE);
  InvalidateRect(child, nullptr, TRUE);
  UpdateWindow(main);
  EXPECT_EQ(Log(), (Lines{"main WM_PAINT", "main WM_ERASEBKGND", "child WM_PAINT", "child WM_ERASEBKGND"}));
  ClearLog();
  UpdateWindow(main);  // nothing left
  EXPECT_TRUE(Log().empty());
}

TEST_F(Painted, RedrawWindowFlags) {
  struct Case {
    const char* what;
    UINT flags;
    Lines expected;
  };
  const Case cases[] = {
      {"children kept out by WS_CLIPCHILDREN", RDW_INVALIDATE | RDW_UPDATENOW, {"main WM_PAINT"}},
      {"all children", RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW, {"main WM_PAINT", "child WM_PAINT"}},
      {"no children", RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_NOCHILDREN | RDW_UPDATENOW, {"main WM_PAINT"}},
      {"erase now", RDW_INVALIDATE | RDW_ERASE | RDW_ERASENOW, {"main WM_ERASEBKGND"}},
      {"internal paint", RDW_INTERNALPAINT | RDW_UPDATENOW, {"main WM_PAINT"}},
      {"validate", RDW_INVALIDATE | RDW_VALIDATE | RDW_UPDATENOW, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ClearLog();
    RedrawWindow(main, nullptr, nullptr, c.flags);
    EXPECT_EQ(Log(), c.expected);
    ValidateRect(main, nullptr);
    PumpMessages();
  }
}

TEST_F(Painted, AWindowThatMovesAwayUncoversWhatIsBelow) {
  HWND top = Make("top", WS_POPUP | WS_VISIBLE, nullptr, {50, 20, 150, 80});
  PumpMessages();
  ClearLog();
  SetWindowPos(top, nullptr, 300, 300, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  RECT update;
  ASSERT_TRUE(GetUpdateRect(main, &update, FALSE));
  EXPECT_EQ(update.left, 50);
  EXPECT_EQ(update.top, 20);
  EXPECT_EQ(update.right, 150);
  EXPECT_EQ(update.bottom, 80);
  DestroyWindow(top);
  PumpMessages();
}

}  // namespace
}  // namespace host::user::testing
