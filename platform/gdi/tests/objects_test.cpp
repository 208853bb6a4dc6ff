// DCs, objects and bitmaps: selection, deletion, saved states and DIB transfers.
#include <host/adapter.h>

#include <cstring>

#include "gdi/tests/gdi_test_support.h"

namespace host::testing {
namespace {

class GdiObjects : public StationTest {};

TEST_F(GdiObjects, SelectObjectReturnsThePreviousAndDeleteRefusesSelected) {
  HDC dc = CreateCompatibleDC(nullptr);
  ASSERT_NE(dc, nullptr);
  EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), GetStockObject(BLACK_PEN));
  EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), GetStockObject(WHITE_BRUSH));
  HPEN pen = CreatePen(PS_SOLID, 1, RGB(255, 0, 0));
  EXPECT_EQ(SelectObject(dc, pen), GetStockObject(BLACK_PEN));
  EXPECT_FALSE(DeleteObject(pen));  // selected
  EXPECT_EQ(SelectObject(dc, GetStockObject(BLACK_PEN)), pen);
  EXPECT_TRUE(DeleteObject(pen));
  EXPECT_FALSE(DeleteObject(pen));                         // gone
  EXPECT_TRUE(DeleteObject(GetStockObject(WHITE_BRUSH)));  // stock objects ignore deletion
  EXPECT_EQ(GetObjectType(GetStockObject(WHITE_BRUSH)), static_cast<DWORD>(OBJ_BRUSH));
  EXPECT_EQ(GetObjectType(dc), static_cast<DWORD>(OBJ_MEMDC));
  EXPECT_TRUE(DeleteDC(dc));
  EXPECT_EQ(SelectObject(dc, GetStockObject(BLACK_PEN)), nullptr);
}

TEST_F(GdiObjects, ABitmapLivesInOneDcAtATimeAndOnlyInMemoryDcs) {
  HDC a = CreateCompatibleDC(nullptr), b = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateBitmap(8, 8, 1, 1, nullptr);
  HGDIOBJ stock = SelectObject(a, bitmap);
  EXPECT_NE(stock, nullptr);
  EXPECT_EQ(SelectObject(b, bitmap), nullptr);
  EXPECT_FALSE(DeleteObject(bitmap));
  HDC screen = GetDC(nullptr);
  EXPECT_EQ(SelectObject(screen, bitmap), nullptr);
  ReleaseDC(nullptr, screen);
  SelectObject(a, stock);
  EXPECT_TRUE(DeleteObject(bitmap));
  DeleteDC(a);
  DeleteDC(b);
}

TEST_F(GdiObjects, DeleteDcReleasesItsSelections) {
  HDC dc = CreateCompatibleDC(nullptr);
  HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
  SelectObject(dc, brush);
  DeleteDC(dc);
  EXPECT_TRUE(DeleteObject(brush));
}

TEST_F(GdiObjects, SaveAndRestoreDcBringBackObjectsAndAttributes) {
  HDC dc = CreateCompatibleDC(nullptr);
  HPEN pen = CreatePen(PS_SOLID, 1, RGB(0, 0, 255));
  int level = SaveDC(dc);
  EXPECT_EQ(level, 1);
  SelectObject(dc, pen);
  SetBkColor(dc, RGB(1, 1, 1));
  SetROP2(dc, R2_XORPEN);
  EXPECT_EQ(SaveDC(dc), 2);
  SetROP2(dc, R2_NOT);
  EXPECT_TRUE(RestoreDC(dc, -1));
  EXPECT_EQ(GetROP2(dc), R2_XORPEN);
  EXPECT_TRUE(RestoreDC(dc, level));
  EXPECT_EQ(GetROP2(dc), R2_COPYPEN);
  EXPECT_EQ(GetBkColor(dc), RGB(255, 255, 255));
  EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), GetStockObject(BLACK_PEN));
  EXPECT_FALSE(RestoreDC(dc, 1));  // nothing saved any more
  EXPECT_TRUE(DeleteObject(pen));
  DeleteDC(dc);
}

TEST_F(GdiObjects, GetObjectDescribesBitmapsPensAndBrushes) {
  HBITMAP mono = CreateBitmap(13, 5, 1, 1, nullptr);
  BITMAP bm{};
  EXPECT_EQ(GetObjectA(mono, sizeof bm, &bm), static_cast<int>(sizeof bm));
  EXPECT_EQ(bm.bmWidth, 13);
  EXPECT_EQ(bm.bmHeight, 5);
  EXPECT_EQ(bm.bmWidthBytes, 2);  // rows of a device bitmap are word aligned
  EXPECT_EQ(bm.bmBitsPixel, 1);
  EXPECT_EQ(bm.bmBits, nullptr);

  std::vector<BYTE> storage;
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(nullptr, DibInfo(storage, 3, 2, 24, 0), DIB_RGB_COLORS, &bits, nullptr, 0);
  ASSERT_NE(dib, nullptr);
  EXPECT_EQ(GetObjectA(dib, sizeof bm, &bm), static_cast<int>(sizeof bm));
  EXPECT_EQ(bm.bmWidthBytes, 12);  // DIB rows are dword aligned
  EXPECT_EQ(bm.bmBits, bits);

  LOGPEN lp{};
  HPEN pen = CreatePen(PS_DOT, 5, RGB(9, 8, 7));
  EXPECT_EQ(GetObjectA(pen, sizeof lp, &lp), static_cast<int>(sizeof lp));
  EXPECT_EQ(lp.lopnStyle, static_cast<UINT>(PS_DOT));
  EXPECT_EQ(lp.lopnWidth.x, 1);  // styled pens are one pixel wide
  EXPECT_EQ(lp.lopnColor, RGB(9, 8, 7));
  EXPECT_EQ(GetObjectA(pen, 0, nullptr), static_cast<int>(sizeof lp));
  DeleteObject(pen);
  DeleteObject(dib);
  DeleteObject(mono);
}

TEST_F(GdiObjects, BadArgumentsAreRefused) {
  EXPECT_EQ(CreateBitmap(4, 4, 1, 3, nullptr), nullptr);
  EXPECT_EQ(CreateBitmap(-1, 4, 1, 1, nullptr), nullptr);
  std::vector<BYTE> storage;
  EXPECT_EQ(CreateDIBSection(nullptr, DibInfo(storage, 0, 4, 8, 0), DIB_RGB_COLORS, nullptr, nullptr, 0), nullptr);
  EXPECT_EQ(CreateDIBSection(nullptr, DibInfo(storage, 4, 4, 7, 0), DIB_RGB_COLORS, nullptr, nullptr, 0), nullptr);
  EXPECT_EQ(CreateHatchBrush(9, 0), nullptr);
  EXPECT_EQ(CreatePen(42, 1, 0), nullptr);
  EXPECT_EQ(SelectObject(reinterpret_cast<HDC>(0x1234), GetStockObject(BLACK_PEN)), nullptr);
  EXPECT_EQ(GetPixel(nullptr, 0, 0), CLR_INVALID);
}

TEST_F(GdiObjects, BitmapBitsRoundTripInDeviceLayout) {
  const BYTE rows[4] = {0xF0, 0x00, 0x0F, 0x00};  // 12 x 2 mono, word-aligned rows
  HBITMAP bitmap = CreateBitmap(12, 2, 1, 1, rows);
  HDC dc = CreateCompatibleDC(nullptr);
  SelectObject(dc, bitmap);
  EXPECT_EQ(GetPixel(dc, 0, 0), RGB(255, 255, 255));
  EXPECT_EQ(GetPixel(dc, 4, 0), RGB(0, 0, 0));
  EXPECT_EQ(GetPixel(dc, 4, 1), RGB(255, 255, 255));
  BYTE back[4] = {};
  EXPECT_EQ(GetBitmapBits(bitmap, sizeof back, back), 4);
  EXPECT_EQ(std::memcmp(back, rows, 4), 0);
  const BYTE other[4] = {0xFF, 0xFF, 0x00, 0x00};
  EXPECT_EQ(SetBitmapBits(bitmap, sizeof other, other), 4);
  EXPECT_EQ(GetPixel(dc, 11, 0), RGB(255, 255, 255));
  EXPECT_EQ(GetPixel(dc, 0, 1), RGB(0, 0, 0));
  DeleteDC(dc);
  DeleteObject(bitmap);
}

// Pixels put through SetDIBits and read back with GetDIBits at each depth, bottom-up and top-down.
TEST_F(GdiObjects, DibsRoundTripAtEachDepth) {
  const COLORREF colours[4] = {RGB(0, 0, 0), RGB(255, 0, 0), RGB(0, 255, 0), RGB(255, 255, 255)};
  for (int bpp : {1, 4, 8, 16, 24, 32}) {
    for (int direction : {1, -1}) {
      SCOPED_TRACE("bpp " + std::to_string(bpp) + (direction > 0 ? " bottom-up" : " top-down"));
      const int w = 5, h = 3;
      std::vector<BYTE> storage;
      BITMAPINFO* info = DibInfo(storage, w, h * direction, bpp, 0);
      int palette = bpp <= 8 ? (1 << bpp) : 0;
      for (int i = 0; i < palette && i < 4; ++i)
        info->bmiColors[i] = {GetBValue(colours[i]), GetGValue(colours[i]), GetRValue(colours[i]), 0};
      void* bits = nullptr;
      HBITMAP dib = CreateDIBSection(nullptr, info, DIB_RGB_COLORS, &bits, nullptr, 0);
      ASSERT_NE(dib, nullptr);
      HDC dc = CreateCompatibleDC(nullptr);
      SelectObject(dc, dib);
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) SetPixel(dc, x, y, bpp == 1 ? colours[(x + y) % 2 * 3] : colours[(x + y) % 4]);
      // Copy into a second DIB of the same format through its bits, and compare the pixels.
      std::vector<BYTE> copy(static_cast<size_t>(((w * bpp + 31) / 32) * 4 * h));
      ASSERT_EQ(GetDIBits(dc, dib, 0, h, copy.data(), info, DIB_RGB_COLORS), h);
      EXPECT_EQ(std::memcmp(copy.data(), bits, copy.size()), 0);
      HBITMAP target = CreateDIBSection(nullptr, info, DIB_RGB_COLORS, nullptr, nullptr, 0);
      ASSERT_EQ(SetDIBits(dc, target, 0, h, copy.data(), info, DIB_RGB_COLORS), h);
      HDC dc2 = CreateCompatibleDC(nullptr);
      SelectObject(dc2, target);
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) EXPECT_EQ(GetPixel(dc2, x, y), GetPixel(dc, x, y)) << x << "," << y;
      // Bottom-up DIBs keep the last row first in memory.
      if (bpp == 32) {
        DWORD first;
        std::memcpy(&first, bits, 4);
        COLORREF expected = GetPixel(dc, 0, direction > 0 ? h - 1 : 0);
        EXPECT_EQ(first,
                  static_cast<DWORD>((GetRValue(expected) << 16) | (GetGValue(expected) << 8) | GetBValue(expected)));
      }
      DeleteDC(dc2);
      DeleteDC(dc);
      DeleteObject(target);
      DeleteObject(dib);
    }
  }
}

TEST_F(GdiObjects, GetDIBitsWithoutBitsDescribesTheBitmap) {
  HBITMAP bitmap = CreateBitmap(10, 7, 1, 32, nullptr);
  std::vector<BYTE> storage;
  BITMAPINFO* info = DibInfo(storage, 0, 0, 0, 0);
  HDC dc = GetDC(nullptr);
  EXPECT_NE(GetDIBits(dc, bitmap, 0, 0, nullptr, info, DIB_RGB_COLORS), 0);
  EXPECT_EQ(info->bmiHeader.biWidth, 10);
  EXPECT_EQ(info->bmiHeader.biHeight, 7);
  EXPECT_EQ(info->bmiHeader.biBitCount, 32);
  EXPECT_EQ(info->bmiHeader.biSizeImage, 280u);
  ReleaseDC(nullptr, dc);
  DeleteObject(bitmap);
}

TEST_F(GdiObjects, CompatibleBitmapsFollowTheScreenAndMonochromeDcs) {
  host::adapter::Config config = host::adapter::CurrentConfig();
  config.bitsPerPixel = 16;
  ASSERT_TRUE(host::adapter::Configure(config));
  HDC screen = GetDC(nullptr);
  HBITMAP colour = CreateCompatibleBitmap(screen, 4, 4);
  BITMAP bm{};
  GetObjectA(colour, sizeof bm, &bm);
  EXPECT_EQ(bm.bmBitsPixel, 16);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP mono = CreateCompatibleBitmap(memory, 4, 4);  // a new memory DC holds a monochrome bitmap
  GetObjectA(mono, sizeof bm, &bm);
  EXPECT_EQ(bm.bmBitsPixel, 1);
  // 5-6-5: pure colours survive, and GetPixel gives them back whole.
  SelectObject(memory, colour);
  EXPECT_EQ(SetPixel(memory, 1, 1, RGB(255, 0, 0)), RGB(255, 0, 0));
  EXPECT_EQ(GetPixel(memory, 1, 1), RGB(255, 0, 0));
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  DeleteObject(colour);
  DeleteObject(mono);
}

TEST_F(GdiObjects, TheScreenSurfaceFollowsTheDisplayMode) {
  host::adapter::Config config = host::adapter::CurrentConfig();
  config.desktopWidth = config.displayWidth = 800;
  config.desktopHeight = config.displayHeight = 600;
  config.bitsPerPixel = 32;
  ASSERT_TRUE(host::adapter::Configure(config));
  HDC screen = GetDC(nullptr);
  EXPECT_EQ(SetPixel(screen, 799, 599, RGB(1, 2, 3)), RGB(1, 2, 3));
  EXPECT_EQ(GetPixel(screen, 800, 0), CLR_INVALID);
  RECT box;
  EXPECT_EQ(GetClipBox(screen, &box), SIMPLEREGION);
  EXPECT_EQ(box.right, 800);
  EXPECT_EQ(box.bottom, 600);
  ReleaseDC(nullptr, screen);
}

}  // namespace
}  // namespace host::testing
