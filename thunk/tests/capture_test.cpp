// orvGetClipRect and orvBlendCL: the capture around a block transfer on a
// real window DC, the blend command they post, and cleaning up on every path.
#include <host/user.h>

#include <algorithm>
#include <functional>

#include "hwpl32_fixture.h"

namespace hwpl32::testing {
namespace {

// A window whose client area starts at (100, 50) and reaches the screen's corner; windows laid over it
// cover parts of it, as the drawing window of a CAD program is covered by others.
class Hwpl32Capture : public Hwpl32Test {
 public:
  void SetUp() override {
    Hwpl32Test::SetUp();
    ASSERT_NE(Load(), nullptr);
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.lpszClassName = "CaptureTest";
    ASSERT_NE(RegisterClassA(&wc), 0);
    window_ = Popup(100, 50, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    dc_ = GetDC(window_);
    screen_ = GetDC(nullptr);
  }
  void TearDown() override {
    ReleaseDC(window_, dc_);
    ReleaseDC(nullptr, screen_);
    Hwpl32Test::TearDown();
  }
  // A visible borderless window over what is already there, right and bottom exclusive (screen).
  HWND Popup(int left, int top, int right, int bottom) {
    return CreateWindowExA(WS_EX_TOPMOST, "CaptureTest", "", WS_POPUP | WS_VISIBLE, left, top, right - left,
                           bottom - top, nullptr, nullptr, nullptr, nullptr);
  }
  // Leaves only the given parts of the screen uncovered: the rest gets covers.
  void CoverAllBut(const std::vector<RECT>& shown) {
    std::vector<RECT> covers = {{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}};
    for (const RECT& hole : shown) {
      std::vector<RECT> rest;
      for (const RECT& r : covers) {
        RECT cut;
        if (!IntersectRect(&cut, &r, &hole)) {
          rest.push_back(r);
          continue;
        }
        if (r.top < cut.top) rest.push_back({r.left, r.top, r.right, cut.top});
        if (cut.bottom < r.bottom) rest.push_back({r.left, cut.bottom, r.right, r.bottom});
        if (r.left < cut.left) rest.push_back({r.left, cut.top, cut.left, cut.bottom});
        if (cut.right < r.right) rest.push_back({cut.right, cut.top, r.right, cut.bottom});
      }
      covers.swap(rest);
    }
    for (const RECT& r : covers) ASSERT_NE(Popup(r.left, r.top, r.right, r.bottom), nullptr);
  }
  COLORREF ScreenPixel(int x, int y) { return GetPixel(screen_, x, y); }

  HWND window_ = nullptr;
  HDC dc_ = nullptr;
  HDC screen_ = nullptr;
};

bool operator==(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST_F(Hwpl32Capture, ClipRectIsInclusiveAndLeavesTheScreenAlone) {
  struct Case {
    RECT rect;
    int width, height;
  } cases[] = {{{10, 20, 10, 20}, 1, 1}, {{0, 0, 99, 49}, 100, 50}};
  for (auto& c : cases) {
    SCOPED_TRACE(c.width);
    control_->ClearRecord();
    DWORD count = 0xFFFFFFFF;
    RECT rects[4] = {};
    POINT origin = {100, 50};
    COLORREF before = ScreenPixel(origin.x + c.rect.left, origin.y + c.rect.top);
    EXPECT_EQ(HWPL32(orvGetClipRect)(window_, dc_, &c.rect, &count, rects, 4), 1u);
    EXPECT_EQ(ScreenPixel(origin.x + c.rect.left, origin.y + c.rect.top), before)
        << "the transfer went to the capture, not the screen";
    EXPECT_EQ(count, 1u) << "the whole 32-bit counter is set";
    RECT expected = {c.rect.left + origin.x, c.rect.top + origin.y, c.rect.left + origin.x + c.width - 1,
                     c.rect.top + origin.y + c.height - 1};
    EXPECT_TRUE(rects[0] == expected) << "an inclusive rectangle in screen coordinates";
    // On, then off with the same parameters.
    auto calls = control_->calls();
    ASSERT_EQ(calls.size(), 2u);
    for (int i = 0; i < 2; ++i) {
      EXPECT_EQ(calls[i].function, (DWORD)hwpl::kClipCapture);
      EXPECT_EQ(host::thunk16::MapSL(hwpl::ReadDword(calls[i].bytes.data(), 0)), &count);
      EXPECT_EQ(host::thunk16::MapSL(hwpl::ReadDword(calls[i].bytes.data(), 4)), rects);
      EXPECT_EQ(hwpl::ReadDword(calls[i].bytes.data(), 8), 4u);
      EXPECT_EQ(hwpl::ReadDword(calls[i].bytes.data(), 12), i == 0 ? 1u : 0u);
    }
  }
}

TEST_F(Hwpl32Capture, NoTransferWhenTheCaptureCannotStart) {
  RECT rect = {0, 0, 9, 9};
  DWORD count = 7;
  RECT rects[1];
  COLORREF before = ScreenPixel(100, 50);
  EXPECT_EQ(HWPL32(orvGetClipRect)(window_, dc_, &rect, &count, rects, 0), 0u);
  EXPECT_EQ(ScreenPixel(100, 50), before) << "a transfer would invert the window";
  EXPECT_EQ(count, 0u);
  EXPECT_EQ(HWPL32(orvGetClipRect)(window_, dc_, nullptr, &count, rects, 1), 0u);
}

// A blend surface's source rectangle from screen coordinates.
hwpl16::SurfaceRect Source(const hwpl16::Settings& settings, LONG left, LONG top, LONG right, LONG bottom) {
  return {static_cast<DWORD>(left), settings.videoBase + settings.linePitch * top, static_cast<DWORD>(right),
          settings.videoBase + settings.linePitch * bottom + 2 * right};
}

// The posted blend command's rectangles, checked against its fixed fields.
std::vector<RECT> BlendRects(const hwpl16::Post& post, DWORD surface, RECT* box) {
  EXPECT_EQ(post.count, 0u);
  EXPECT_TRUE(post.ended);
  EXPECT_EQ(post.packets.size(), 1u);
  if (post.packets.empty()) return {};
  const std::vector<WORD>& words = post.packets[0].words;
  auto value = [&](size_t i) { return static_cast<DWORD>(words.at(2 * i) | words.at(2 * i + 1) << 16); };
  DWORD n = value(3);
  EXPECT_EQ(value(0), hwpl::BlendHeader(n));
  EXPECT_EQ(value(1), surface);
  EXPECT_EQ(value(4) | value(5) | value(6), 0u);
  std::vector<RECT> rects;
  for (DWORD i = 0; i <= n; ++i) {
    size_t at = 7 + 4 * i;
    RECT rect = {static_cast<LONG>(value(at)), static_cast<LONG>(value(at + 1)), static_cast<LONG>(value(at + 2)),
                 static_cast<LONG>(value(at + 3))};
    if (i < n)
      rects.push_back(rect);
    else
      *box = rect;
  }
  return rects;
}

TEST_F(Hwpl32Capture, BlendPostsTheVisiblePiecesOfEachSourceRectangle) {
  const auto& settings = control_->settings();
  DWORD surface = control_->NewBlendSurface({Source(settings, 100, 200, 149, 209), Source(settings, 300, 50, 300, 50)});
  // The first rectangle is partly covered.
  ASSERT_NE(Popup(120, 205, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)), nullptr);
  EXPECT_EQ(HWPL32(orvBlendCL)(dc_, window_, surface), 1u);
  ASSERT_EQ(control_->posts().size(), 1u);
  RECT box;
  auto rects = BlendRects(control_->posts()[0], surface, &box);
  ASSERT_EQ(rects.size(), 3u);
  EXPECT_TRUE(rects[0] == (RECT{100, 200, 149, 204}));
  EXPECT_TRUE(rects[1] == (RECT{100, 205, 119, 209}));
  EXPECT_TRUE(rects[2] == (RECT{300, 50, 300, 50}));
  EXPECT_TRUE(box == (RECT{100, 50, 300, 209}));
  EXPECT_EQ(control_->lockCount(), 0);
}

TEST_F(Hwpl32Capture, BlendOfAHiddenSurfacePostsOneEmptyRectangle) {
  DWORD surface = control_->NewBlendSurface(
      {Source(control_->settings(), 110, 60, 120, 70), Source(control_->settings(), 130, 80, 140, 90)});
  CoverAllBut({});
  EXPECT_EQ(HWPL32(orvBlendCL)(dc_, window_, surface), 1u);
  ASSERT_EQ(control_->posts().size(), 1u);
  RECT box;
  auto rects = BlendRects(control_->posts()[0], surface, &box);
  ASSERT_EQ(rects.size(), 1u) << "never an empty list";
  EXPECT_TRUE(rects[0] == (RECT{0, 0, 0, 0}));
  EXPECT_TRUE(box == (RECT{0, 0, 0, 0}));
}

TEST_F(Hwpl32Capture, BlendKeepsWithinItsPostBuffer) {
  // Forty one-pixel visible columns: each source rectangle shows in 40 pieces.
  std::vector<RECT> columns;
  for (LONG x = 100; x < 180; x += 2) columns.push_back({x, 50, x + 1, 768});
  CoverAllBut(columns);
  const auto& settings = control_->settings();
  DWORD surface = control_->NewBlendSurface({Source(settings, 100, 50, 179, 60), Source(settings, 100, 70, 179, 80)});
  EXPECT_EQ(HWPL32(orvBlendCL)(dc_, window_, surface), 1u);
  ASSERT_EQ(control_->posts().size(), 1u);
  RECT box;
  EXPECT_EQ(BlendRects(control_->posts()[0], surface, &box).size(), 22u) << "what 400 bytes hold";
}

TEST_F(Hwpl32Capture, BlendUnlocksAndFreesOnEveryPath) {
  struct Case {
    const char* what;
    std::function<void(hwpl16::Settings&)> arrange;
    DWORD result;
    size_t posts;
    size_t boxes;
  } cases[] = {
      {"posted", [](hwpl16::Settings&) {}, 1, 1, 0},
      {"post refused", [](hwpl16::Settings& s) { s.postsFail = true; }, 0, 1, 1},
      {"no post buffer", [](hwpl16::Settings& s) { s.allocationsBeforeFailure = 0; }, 0, 0, 0},
      {"pitch of 0", [](hwpl16::Settings& s) { s.linePitch = 0; }, 0, 0, 0},
      {"below the shown lines", [](hwpl16::Settings& s) { s.maxLineCount = 99; }, 1, 0, 0},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.what);
    control_->Reset();
    host::user::ClearRecords();
    if (c.boxes) host::user::ScriptAnswerMessageBox(IDOK);
    hwpl16::Settings defaults;
    DWORD surface = control_->NewBlendSurface({Source(defaults, 10, 100, 20, 110)});
    c.arrange(control_->settings());
    EXPECT_EQ(HWPL32(orvBlendCL)(dc_, window_, surface), c.result);
    EXPECT_EQ(control_->posts().size(), c.posts);
    EXPECT_EQ(control_->lockCount(), 0);
    for (auto& call : control_->calls()) {
      if (call.function != hwpl::kAllocBuffer || !call.result) continue;
      EXPECT_FALSE(control_->IsLive(call.result)) << "the post buffer is freed";
    }
    auto boxes = host::user::MessageBoxes();
    ASSERT_EQ(boxes.size(), c.boxes);
    if (c.boxes) {
      const host::user::MessageBoxRecord& box = boxes[0];
      EXPECT_EQ(box.owner, nullptr);
      EXPECT_EQ(box.text, "ERROR with orvPostBuffer in orvBlendCL");
      EXPECT_EQ(box.caption, "Warning");
      EXPECT_EQ(box.type, (UINT)MB_OK);
    }
  }
}

}  // namespace
}  // namespace hwpl32::testing
