// Image lists: adding strips, masks from a key colour or a mask bitmap,
// drawing onto a memory DC, colour depths and refused handles.
#include "comctl_test_support.h"

namespace host::comctl::testing {
namespace {

using ImageList = ComctlTest;

constexpr COLORREF kKey = RGB(255, 0, 255), kBack = RGB(0, 0, 128);
constexpr COLORREF kRed = RGB(255, 0, 0), kGreen = RGB(0, 255, 0);

// Two 8x8 images: red / green with the key colour in their right half.
HBITMAP TwoImages() { return StripeBitmap(16, 8, {kRed, kKey, kGreen, kKey}, 4); }

TEST_F(ImageList, AddMaskedDrawsTheKeyColourTransparent) {
  HIMAGELIST list = ImageList_Create(8, 8, ILC_MASK | ILC_COLOR24, 2, 2);
  ASSERT_TRUE(list);
  HBITMAP strip = TwoImages();
  EXPECT_EQ(ImageList_AddMasked(list, strip, kKey), 0);
  EXPECT_EQ(ImageList_AddMasked(list, strip, kKey), 2);  // the index of the first image added
  EXPECT_EQ(ImageList_GetImageCount(list), 4);
  Canvas canvas(40, 10, kBack);
  struct Draw {
    int image;
    UINT style;
    COLORREF left, right;
  };
  const Draw draws[] = {
      {0, ILD_NORMAL, kRed, kBack},
      {1, ILD_TRANSPARENT, kGreen, kBack},
      {1, ILD_IMAGE, kGreen, RGB(0, 0, 0)},  // the image alone: black where transparent
      {0, ILD_MASK, RGB(0, 0, 0), RGB(255, 255, 255)},
  };
  int x = 0;
  for (const auto& draw : draws) {
    SCOPED_TRACE(x);
    EXPECT_TRUE(ImageList_Draw(list, draw.image, canvas.dc(), x, 1, draw.style));
    EXPECT_EQ(canvas.At(x + 1, 4), draw.left);
    EXPECT_EQ(canvas.At(x + 6, 4), draw.right);
    x += 10;
  }
  // With a background colour, ILD_NORMAL fills the transparent part with it.
  EXPECT_EQ(ImageList_SetBkColor(list, RGB(0, 128, 0)), CLR_NONE);
  ImageList_Draw(list, 0, canvas.dc(), 0, 1, ILD_NORMAL);
  EXPECT_EQ(canvas.At(6, 4), RGB(0, 128, 0));
  DeleteObject(strip);
  EXPECT_TRUE(ImageList_Destroy(list));
}

TEST_F(ImageList, AddTakesAnExplicitMask) {
  HIMAGELIST list = ImageList_Create(8, 8, ILC_MASK | ILC_COLOR24, 1, 1);
  HBITMAP image = StripeBitmap(8, 8, {kRed}, 8);
  HBITMAP mask = CreateBitmap(8, 8, 1, 1, nullptr);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, mask);
  PatBlt(dc, 0, 0, 8, 8, BLACKNESS);
  PatBlt(dc, 0, 0, 4, 8, WHITENESS);  // left half transparent
  SelectObject(dc, old);
  DeleteDC(dc);
  EXPECT_EQ(ImageList_Add(list, image, mask), 0);
  Canvas canvas(10, 10, kBack);
  ImageList_Draw(list, 0, canvas.dc(), 0, 0, ILD_TRANSPARENT);
  EXPECT_EQ(canvas.At(1, 1), kBack);
  EXPECT_EQ(canvas.At(6, 1), kRed);
  // Without ILC_MASK there is no transparency at all.
  HIMAGELIST plain = ImageList_Create(8, 8, ILC_COLOR24, 1, 1);
  EXPECT_EQ(ImageList_Add(plain, image, mask), 0);
  ImageList_Draw(plain, 0, canvas.dc(), 0, 0, ILD_TRANSPARENT);
  EXPECT_EQ(canvas.At(1, 1), kRed);
  ImageList_Destroy(plain);
  ImageList_Destroy(list);
  DeleteObject(image);
  DeleteObject(mask);
}

TEST_F(ImageList, ColourDepthsKeepOrRoundColours) {
  const COLORREF odd = RGB(250, 10, 5);
  struct Depth {
    UINT flags;
    COLORREF drawn;
  };
  const Depth depths[] = {
      {ILC_COLOR24, odd},           {ILC_COLOR32, odd},
      {ILC_COLOR, RGB(255, 0, 0)},                                  // 16 colours by default
      {ILC_COLOR4, RGB(255, 0, 0)}, {ILC_COLOR16, RGB(255, 8, 0)},  // 5 bits a channel, widened again as GDI reads them
  };
  HBITMAP image = StripeBitmap(8, 8, {odd}, 8);
  for (const auto& depth : depths) {
    SCOPED_TRACE(depth.flags);
    HIMAGELIST list = ImageList_Create(8, 8, depth.flags | ILC_MASK, 1, 1);
    ASSERT_EQ(ImageList_Add(list, image, nullptr), 0);
    Canvas canvas(8, 8);
    ImageList_Draw(list, 0, canvas.dc(), 0, 0, ILD_NORMAL);
    EXPECT_EQ(canvas.At(3, 3), depth.drawn);
    ImageList_Destroy(list);
  }
  DeleteObject(image);
}

TEST_F(ImageList, AnAddedIconKeepsItsTransparency) {
  HIMAGELIST list = ImageList_Create(32, 32, ILC_MASK | ILC_COLOR32, 1, 1);
  ASSERT_EQ(ImageList_AddIcon(list, LoadIconA(nullptr, IDI_APPLICATION)), 0);
  Canvas canvas(32, 32, RGB(0, 128, 0));
  ASSERT_TRUE(ImageList_Draw(list, 0, canvas.dc(), 0, 0, ILD_NORMAL));
  // The application icon: a black-framed white window with a blue title, on nothing.
  EXPECT_EQ(canvas.At(0, 0), RGB(0, 128, 0));
  EXPECT_EQ(canvas.At(2, 4), RGB(0, 0, 0));
  EXPECT_EQ(canvas.At(10, 6), RGB(0, 0, 128));
  EXPECT_EQ(canvas.At(10, 20), RGB(255, 255, 255));
  ImageList_Destroy(list);
}

TEST_F(ImageList, BadHandlesAndIndexesAreRefused) {
  EXPECT_EQ(ImageList_Create(0, 16, ILC_MASK, 1, 1), nullptr);
  HIMAGELIST list = ImageList_Create(16, 16, ILC_MASK, 1, 1);
  HBITMAP narrow = StripeBitmap(8, 16, {kRed}, 8);  // narrower than one image
  EXPECT_EQ(ImageList_AddMasked(list, narrow, kKey), -1);
  EXPECT_EQ(ImageList_Add(list, nullptr, nullptr), -1);
  Canvas canvas(16, 16);
  EXPECT_FALSE(ImageList_Draw(list, 0, canvas.dc(), 0, 0, ILD_NORMAL));
  EXPECT_EQ(ImageList_ReplaceIcon(list, -1, nullptr), -1);
  int cx = 0, cy = 0;
  EXPECT_TRUE(ImageList_GetIconSize(list, &cx, &cy));
  EXPECT_EQ(cx, 16);
  EXPECT_TRUE(ImageList_Destroy(list));
  EXPECT_FALSE(ImageList_Destroy(list));  // stale
  EXPECT_EQ(ImageList_GetImageCount(list), 0);
  EXPECT_EQ(ImageList_Add(list, narrow, nullptr), -1);
  EXPECT_FALSE(ImageList_Remove(list, -1));
  DeleteObject(narrow);
}

TEST_F(ImageList, RemoveAndReplace) {
  HIMAGELIST list = ImageList_Create(8, 8, ILC_COLOR24, 4, 4);
  HBITMAP strip = StripeBitmap(24, 8, {kRed, kGreen, kBack}, 8);
  ImageList_Add(list, strip, nullptr);
  EXPECT_TRUE(ImageList_Remove(list, 0));
  EXPECT_EQ(ImageList_GetImageCount(list), 2);
  Canvas canvas(8, 8);
  ImageList_Draw(list, 0, canvas.dc(), 0, 0, ILD_NORMAL);
  EXPECT_EQ(canvas.At(2, 2), kGreen);
  HBITMAP red = StripeBitmap(8, 8, {kRed}, 8);
  EXPECT_TRUE(ImageList_Replace(list, 1, red, nullptr));
  ImageList_Draw(list, 1, canvas.dc(), 0, 0, ILD_NORMAL);
  EXPECT_EQ(canvas.At(2, 2), kRed);
  EXPECT_FALSE(ImageList_Replace(list, 5, red, nullptr));
  EXPECT_TRUE(ImageList_RemoveAll(list));
  EXPECT_EQ(ImageList_GetImageCount(list), 0);
  ImageList_Destroy(list);
  DeleteObject(strip);
  DeleteObject(red);
}

}  // namespace
}  // namespace host::comctl::testing
