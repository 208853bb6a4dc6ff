// DrawBitmapButton: the pixels of the frame and the image in each drawing action and state, and the background
// colour shown as the button face at every screen depth.
#include "bitmap_button.h"

#include <host/adapter.h>
#include <host_testing/station_fixture.h>

namespace page_testing {
namespace {

constexpr int kSide = 20;  // the button; the image fills 3 to 16
constexpr COLORREF kUntouched = RGB(1, 2, 3);
constexpr COLORREF kFace = RGB(192, 192, 192), kLight = RGB(224, 224, 224), kHighlight = RGB(255, 255, 255),
                   kShadow = RGB(128, 128, 128), kDarkShadow = RGB(0, 0, 0);
constexpr COLORREF kMagenta = RGB(255, 0, 255), kCyan = RGB(0, 255, 255), kGreen = RGB(0, 128, 0),
                   kBlue = RGB(0, 0, 255);

class BitmapButton : public host::testing::StationTest {
 protected:
  void SetUp() override {
    StationTest::SetUp();
    int elements[] = {COLOR_BTNFACE, COLOR_3DLIGHT, COLOR_BTNHIGHLIGHT, COLOR_BTNSHADOW, COLOR_3DDKSHADOW};
    COLORREF colours[] = {kFace, kLight, kHighlight, kShadow, kDarkShadow};
    SetSysColors(5, elements, colours);
  }
  void TearDown() override {
    FreeCanvas();
    StationTest::TearDown();
  }
  void UseDepth(int bitsPerPixel) {
    host::adapter::Config config = host::adapter::CurrentConfig();
    config.bitsPerPixel = bitsPerPixel;
    ASSERT_TRUE(host::adapter::Configure(config));
  }
  // A screen-format bitmap in a memory DC, filled with `colour`.
  HBITMAP Filled(HDC& dc, int side, COLORREF colour) {
    HDC screen = GetDC(nullptr);
    dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, side, side);
    ReleaseDC(nullptr, screen);
    SelectObject(dc, bitmap);
    RECT all{0, 0, side, side};
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &all, brush);
    DeleteObject(brush);
    return bitmap;
  }
  // A 4 x 4 button image: `background` around a 2 x 2 centre of `centre`.
  HBITMAP Image(COLORREF background, COLORREF centre) {
    HDC dc;
    HBITMAP bitmap = Filled(dc, 4, background);
    for (int y = 1; y <= 2; ++y)
      for (int x = 1; x <= 2; ++x) SetPixel(dc, x, y, centre);
    DeleteDC(dc);
    return bitmap;
  }
  void MakeCanvas() {
    FreeCanvas();
    canvasBitmap_ = Filled(canvas_, kSide, kUntouched);
  }
  void FreeCanvas() {
    if (canvas_) DeleteDC(canvas_);
    if (canvasBitmap_) DeleteObject(canvasBitmap_);
    canvas_ = nullptr;
    canvasBitmap_ = nullptr;
  }
  DRAWITEMSTRUCT Item(UINT action, UINT state) {
    DRAWITEMSTRUCT item{};
    item.CtlType = ODT_BUTTON;
    item.CtlID = 1032;
    item.itemAction = action;
    item.itemState = state;
    item.hDC = canvas_;
    item.rcItem = RECT{0, 0, kSide, kSide};
    return item;
  }
  COLORREF At(int x, int y) { return GetPixel(canvas_, x, y); }
  COLORREF FirstPixel(HBITMAP bitmap) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, bitmap);
    COLORREF colour = GetPixel(dc, 0, 0);
    SelectObject(dc, previous);
    DeleteDC(dc);
    return colour;
  }
  HDC canvas_ = nullptr;
  HBITMAP canvasBitmap_ = nullptr;
};

TEST_F(BitmapButton, FrameAndImageFollowTheDrawingActionAndState) {
  UseDepth(32);
  HBITMAP normal = Image(kMagenta, kGreen), disabled = Image(kCyan, kBlue);
  enum Shown { kNone, kNormal, kDisabled };
  struct Case {
    const char* name;
    UINT action, state;
    bool alternate;
    COLORREF outer;
    bool sunken;
    Shown image;
  } cases[] = {
      {"whole button", ODA_DRAWENTIRE, 0, true, kFace, false, kNormal},
      {"whole button with the focus", ODA_DRAWENTIRE, ODS_FOCUS, true, kDarkShadow, false, kNormal},
      {"whole button pressed", ODA_DRAWENTIRE, ODS_SELECTED | ODS_FOCUS, true, kDarkShadow, true, kNormal},
      {"disabled with an alternate", ODA_DRAWENTIRE, ODS_DISABLED, true, kFace, false, kDisabled},
      {"disabled without an alternate", ODA_DRAWENTIRE, ODS_DISABLED, false, kFace, false, kNormal},
      {"focus change only", ODA_FOCUS, ODS_FOCUS, true, kDarkShadow, false, kNone},
      {"selection change only", ODA_SELECT, ODS_SELECTED, true, kFace, true, kNone},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MakeCanvas();
    DRAWITEMSTRUCT item = Item(c.action, c.state);
    ASSERT_TRUE(DrawBitmapButton(&item, normal, c.alternate ? disabled : nullptr));
    for (POINT p : {POINT{0, 0}, POINT{10, 0}, POINT{0, 10}, POINT{19, 19}, POINT{19, 10}, POINT{10, 19}})
      EXPECT_EQ(At(p.x, p.y), c.outer) << p.x << "," << p.y;
    COLORREF outerTopLeft = c.sunken ? kShadow : kLight, outerBottomRight = c.sunken ? kHighlight : kDarkShadow,
             innerTopLeft = c.sunken ? kDarkShadow : kHighlight, innerBottomRight = c.sunken ? kLight : kShadow;
    EXPECT_EQ(At(10, 1), outerTopLeft);
    EXPECT_EQ(At(1, 10), outerTopLeft);
    EXPECT_EQ(At(10, 18), outerBottomRight);
    EXPECT_EQ(At(18, 10), outerBottomRight);
    EXPECT_EQ(At(10, 2), innerTopLeft);
    EXPECT_EQ(At(2, 10), innerTopLeft);
    EXPECT_EQ(At(10, 17), innerBottomRight);
    EXPECT_EQ(At(17, 10), innerBottomRight);
    // The image's background shows as the button face; its centre keeps its colour.
    COLORREF background = c.image == kNone ? kUntouched : kFace;
    COLORREF centre = c.image == kNone ? kUntouched : c.image == kNormal ? kGreen : kBlue;
    for (POINT p : {POINT{3, 3}, POINT{16, 3}, POINT{3, 16}, POINT{16, 16}, POINT{5, 10}})
      EXPECT_EQ(At(p.x, p.y), background) << p.x << "," << p.y;
    for (POINT p : {POINT{7, 7}, POINT{10, 10}, POINT{12, 12}}) EXPECT_EQ(At(p.x, p.y), centre) << p.x << "," << p.y;
  }
  // The caller's bitmaps keep their own background.
  EXPECT_EQ(FirstPixel(normal), kMagenta);
  EXPECT_EQ(FirstPixel(disabled), kCyan);
  DeleteObject(normal);
  DeleteObject(disabled);
}

TEST_F(BitmapButton, TheBackgroundBecomesTheButtonFaceAtEveryDepth) {
  // Colours every depth shows exactly or nearly: the static colours of the 8-bit system palette.
  COLORREF face = RGB(0, 0, 128);
  int element = COLOR_BTNFACE;
  SetSysColors(1, &element, &face);
  for (int depth : {8, 16, 24, 32}) {
    SCOPED_TRACE(depth);
    UseDepth(depth);
    MakeCanvas();
    HBITMAP image = Image(kMagenta, kGreen);
    DRAWITEMSTRUCT item = Item(ODA_DRAWENTIRE, 0);
    ASSERT_TRUE(DrawBitmapButton(&item, image, nullptr));
    EXPECT_EQ(At(3, 3), GetNearestColor(canvas_, face));
    EXPECT_EQ(At(16, 16), GetNearestColor(canvas_, face));
    EXPECT_EQ(At(10, 10), GetNearestColor(canvas_, kGreen));
    EXPECT_EQ(At(0, 0), GetNearestColor(canvas_, face));  // the outer line
    EXPECT_EQ(FirstPixel(image), GetNearestColor(canvas_, kMagenta));
    DeleteObject(image);
  }
}

TEST_F(BitmapButton, AButtonTooSmallForAnImageGetsItsFrame) {
  UseDepth(32);
  MakeCanvas();
  HBITMAP image = Image(kMagenta, kGreen);
  DRAWITEMSTRUCT item = Item(ODA_DRAWENTIRE, 0);
  item.rcItem = RECT{0, 0, 6, 6};
  ASSERT_TRUE(DrawBitmapButton(&item, image, nullptr));
  EXPECT_EQ(At(0, 0), kFace);
  EXPECT_EQ(At(2, 2), kHighlight);
  EXPECT_EQ(At(3, 3), kShadow);
  EXPECT_EQ(At(6, 6), kUntouched);
  EXPECT_FALSE(DrawBitmapButton(nullptr, image, nullptr));
  DeleteObject(image);
}

}  // namespace
}  // namespace page_testing
