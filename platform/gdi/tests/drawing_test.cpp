// Drawing into bitmaps: GDI's pixel rules for lines, shapes, fills, raster operations and blits.
#include "gdi/tests/gdi_test_support.h"

namespace host::testing {
namespace {

class GdiDrawing : public StationTest {};

TEST_F(GdiDrawing, LineToLeavesOutTheLastPixel) {
  struct Case {
    POINT from, to;
    const char* picture;
  } cases[] = {
      {{0, 1}, {4, 1}, ".....\n####.\n.....\n.....\n.....\n"}, {{1, 0}, {1, 4}, ".#...\n.#...\n.#...\n.#...\n.....\n"},
      {{0, 0}, {4, 4}, "#....\n.#...\n..#..\n...#.\n.....\n"}, {{4, 0}, {0, 4}, "....#\n...#.\n..#..\n.#...\n.....\n"},
      {{2, 2}, {2, 2}, ".....\n.....\n.....\n.....\n.....\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.picture);
    Canvas canvas(5, 5);
    MoveToEx(canvas.dc(), c.from.x, c.from.y, nullptr);
    LineTo(canvas.dc(), c.to.x, c.to.y);
    EXPECT_EQ(canvas.Picture(0, 0, 5, 5), c.picture);
    POINT at;
    GetCurrentPositionEx(canvas.dc(), &at);
    EXPECT_EQ(at.x, c.to.x);
    EXPECT_EQ(at.y, c.to.y);
  }
}

TEST_F(GdiDrawing, PolylineLeavesOutOnlyTheFinalPointAndPolygonClosesTheOutline) {
  Canvas canvas(5, 4);
  POINT pts[] = {{0, 0}, {3, 0}, {3, 3}};
  Polyline(canvas.dc(), pts, 3);
  EXPECT_EQ(canvas.Picture(0, 0, 5, 4), "####.\n...#.\n...#.\n.....\n");
  canvas.Clear(RGB(255, 255, 255));
  SelectObject(canvas.dc(), GetStockObject(BLACK_BRUSH));
  POINT square[] = {{0, 0}, {3, 0}, {3, 3}, {0, 3}};
  Polygon(canvas.dc(), square, 4);
  EXPECT_EQ(canvas.Picture(0, 0, 5, 4), "####.\n####.\n####.\n####.\n");
}

TEST_F(GdiDrawing, PolygonFillModesDifferOnTheOverlap) {
  // A pentagram: ALTERNATE leaves the centre empty, WINDING fills it.
  POINT star[] = {{10, 0}, {16, 19}, {0, 7}, {20, 7}, {4, 19}};
  for (int mode : {ALTERNATE, WINDING}) {
    Canvas canvas(21, 21);
    SelectObject(canvas.dc(), GetStockObject(BLACK_BRUSH));
    SelectObject(canvas.dc(), GetStockObject(NULL_PEN));
    SetPolyFillMode(canvas.dc(), mode);
    Polygon(canvas.dc(), star, 5);
    EXPECT_EQ(canvas.At(10, 11), mode == WINDING ? RGB(0, 0, 0) : RGB(255, 255, 255)) << mode;
    EXPECT_EQ(canvas.At(10, 3), RGB(0, 0, 0));  // a point of the star
  }
}

TEST_F(GdiDrawing, RectangleKeepsItsPenInsideAndShrinksWithoutOne) {
  Canvas canvas(6, 6);
  SelectObject(canvas.dc(), GetStockObject(GRAY_BRUSH));
  Rectangle(canvas.dc(), 0, 0, 5, 4);
  EXPECT_EQ(canvas.Picture(0, 0, 6, 6), "#####.\n#???#.\n#???#.\n#####.\n......\n......\n");
  canvas.Clear(RGB(255, 255, 255));
  SelectObject(canvas.dc(), GetStockObject(NULL_PEN));
  SelectObject(canvas.dc(), GetStockObject(BLACK_BRUSH));
  Rectangle(canvas.dc(), 1, 1, 5, 5);
  EXPECT_EQ(canvas.Picture(0, 0, 6, 6), "......\n.###..\n.###..\n.###..\n......\n......\n");
}

TEST_F(GdiDrawing, EllipseIsSymmetricAndInsideItsBox) {
  Canvas canvas(12, 10);
  SelectObject(canvas.dc(), GetStockObject(BLACK_BRUSH));
  Ellipse(canvas.dc(), 1, 1, 11, 9);
  std::string picture = canvas.Picture(0, 0, 12, 10);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 12; ++x) {
      EXPECT_EQ(canvas.At(x, y), canvas.At(11 - x, y)) << x << "," << y;
      EXPECT_EQ(canvas.At(x, y), canvas.At(x, 9 - y)) << x << "," << y;
      if (x == 0 || y == 0 || x == 11 || y == 9) {
        EXPECT_EQ(canvas.At(x, y), RGB(255, 255, 255)) << picture;
      }
    }
  EXPECT_EQ(canvas.At(6, 1), RGB(0, 0, 0)) << picture;
  EXPECT_EQ(canvas.At(1, 5), RGB(0, 0, 0)) << picture;
  EXPECT_EQ(canvas.At(1, 1), RGB(255, 255, 255)) << picture;
}

TEST_F(GdiDrawing, Rop2MatchesItsTruthTable) {
  // Pen 1100 against destination 1010 in the low bits of a 32-bpp pixel: the result's low nibble is the code - 1.
  for (int rop = R2_BLACK; rop <= R2_WHITE; ++rop) {
    SCOPED_TRACE(rop);
    Canvas canvas(2, 1);
    SetPixel(canvas.dc(), 0, 0, RGB(0, 0, 0x0A));
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(0, 0, 0x0C));
    SelectObject(canvas.dc(), pen);
    SetROP2(canvas.dc(), rop);
    MoveToEx(canvas.dc(), 0, 0, nullptr);
    LineTo(canvas.dc(), 1, 0);
    EXPECT_EQ(GetBValue(canvas.At(0, 0)) & 0x0F, rop - 1);
    SelectObject(canvas.dc(), GetStockObject(BLACK_PEN));
    DeleteObject(pen);
  }
}

TEST_F(GdiDrawing, XorDrawingTwiceRestores) {
  Canvas canvas(20, 20);
  SelectObject(canvas.dc(), GetStockObject(GRAY_BRUSH));
  Ellipse(canvas.dc(), 2, 2, 18, 15);
  std::vector<COLORREF> before;
  for (int i = 0; i < 400; ++i) before.push_back(canvas.At(i % 20, i / 20));
  HPEN pen = CreatePen(PS_DOT, 1, RGB(255, 255, 255));
  SelectObject(canvas.dc(), pen);
  SetROP2(canvas.dc(), R2_XORPEN);
  for (int pass = 0; pass < 2; ++pass) {
    MoveToEx(canvas.dc(), 0, 3, nullptr);
    LineTo(canvas.dc(), 19, 17);
    RECT focus{3, 4, 16, 12};
    DrawFocusRect(canvas.dc(), &focus);
    PatBlt(canvas.dc(), 5, 5, 6, 6, DSTINVERT);
    if (pass == 0) {
      EXPECT_NE(canvas.At(5, 5), before[5 * 20 + 5]);
    }
  }
  for (int i = 0; i < 400; ++i) EXPECT_EQ(canvas.At(i % 20, i / 20), before[i]) << i;
  SelectObject(canvas.dc(), GetStockObject(BLACK_PEN));
  DeleteObject(pen);
}

TEST_F(GdiDrawing, DrawFocusRectInvertsEveryOtherPixel) {
  Canvas canvas(6, 4);
  RECT r{0, 0, 6, 4};
  DrawFocusRect(canvas.dc(), &r);
  EXPECT_EQ(canvas.Picture(0, 0, 6, 4), "#.#.#.\n.....#\n#.....\n.#.#.#\n");
}

// Every ternary raster operation against the formula its code names, on P 11110000, S 11001100, D 10101010.
TEST_F(GdiDrawing, BitBltEvaluatesEveryTernaryRop) {
  Canvas source(1, 1), canvas(1, 1);
  SetPixel(source.dc(), 0, 0, RGB(0, 0, 0xCC));
  HBRUSH brush = CreateSolidBrush(RGB(0, 0, 0xF0));
  SelectObject(canvas.dc(), brush);
  for (DWORD code = 0; code < 256; ++code) {
    SetPixel(canvas.dc(), 0, 0, RGB(0, 0, 0xAA));
    BitBlt(canvas.dc(), 0, 0, 1, 1, source.dc(), 0, 0, code << 16);
    ASSERT_EQ(GetBValue(canvas.At(0, 0)), code) << std::hex << code;
  }
  SelectObject(canvas.dc(), GetStockObject(WHITE_BRUSH));
  DeleteObject(brush);
}

TEST_F(GdiDrawing, MonochromeToColourTakesTheDestinationColours) {
  const BYTE rows[2] = {0xA0, 0x00};  // 1 0 1 0
  HBITMAP mono = CreateBitmap(4, 1, 1, 1, rows);
  HDC monoDc = CreateCompatibleDC(nullptr);
  SelectObject(monoDc, mono);
  Canvas canvas(4, 1);
  SetTextColor(canvas.dc(), RGB(255, 0, 0));
  SetBkColor(canvas.dc(), RGB(0, 0, 255));
  BitBlt(canvas.dc(), 0, 0, 4, 1, monoDc, 0, 0, SRCCOPY);
  EXPECT_EQ(canvas.At(0, 0), RGB(0, 0, 255));  // 1: background colour
  EXPECT_EQ(canvas.At(1, 0), RGB(255, 0, 0));  // 0: text colour
  EXPECT_EQ(canvas.At(2, 0), RGB(0, 0, 255));
  DeleteDC(monoDc);
  DeleteObject(mono);
}

TEST_F(GdiDrawing, ColourToMonochromeMakesTheSourceBackgroundWhite) {
  Canvas canvas(3, 1);
  SetPixel(canvas.dc(), 0, 0, RGB(255, 0, 255));
  SetPixel(canvas.dc(), 1, 0, RGB(255, 255, 255));
  SetPixel(canvas.dc(), 2, 0, RGB(255, 0, 254));
  SetBkColor(canvas.dc(), RGB(255, 0, 255));
  HBITMAP mono = CreateBitmap(3, 1, 1, 1, nullptr);
  HDC monoDc = CreateCompatibleDC(nullptr);
  SelectObject(monoDc, mono);
  BitBlt(monoDc, 0, 0, 3, 1, canvas.dc(), 0, 0, SRCCOPY);
  EXPECT_EQ(GetPixel(monoDc, 0, 0), RGB(255, 255, 255));
  EXPECT_EQ(GetPixel(monoDc, 1, 0), RGB(0, 0, 0));  // white is not the key colour
  EXPECT_EQ(GetPixel(monoDc, 2, 0), RGB(0, 0, 0));
  DeleteDC(monoDc);
  DeleteObject(mono);
}

// The transparent blit idiom: a mask from the key colour, then SRCINVERT, SRCAND, SRCINVERT.
TEST_F(GdiDrawing, TransparentBlitThroughAMaskKeepsTheDestinationUnderTheKey) {
  const COLORREF key = RGB(255, 0, 255), ink = RGB(0, 128, 0), back = RGB(10, 20, 30);
  Canvas sprite(4, 1), screen(4, 1);
  screen.Clear(back);
  sprite.Clear(key);
  SetPixel(sprite.dc(), 1, 0, ink);
  SetPixel(sprite.dc(), 2, 0, ink);
  HBITMAP mask = CreateBitmap(4, 1, 1, 1, nullptr);
  HDC maskDc = CreateCompatibleDC(nullptr);
  SelectObject(maskDc, mask);
  SetBkColor(sprite.dc(), key);
  BitBlt(maskDc, 0, 0, 4, 1, sprite.dc(), 0, 0, SRCCOPY);
  SetTextColor(screen.dc(), RGB(0, 0, 0));
  SetBkColor(screen.dc(), RGB(255, 255, 255));
  BitBlt(screen.dc(), 0, 0, 4, 1, sprite.dc(), 0, 0, SRCINVERT);
  BitBlt(screen.dc(), 0, 0, 4, 1, maskDc, 0, 0, SRCAND);
  BitBlt(screen.dc(), 0, 0, 4, 1, sprite.dc(), 0, 0, SRCINVERT);
  EXPECT_EQ(screen.At(0, 0), back);
  EXPECT_EQ(screen.At(1, 0), ink);
  EXPECT_EQ(screen.At(2, 0), ink);
  EXPECT_EQ(screen.At(3, 0), back);
  DeleteDC(maskDc);
  DeleteObject(mask);
}

TEST_F(GdiDrawing, StretchBltScalesAndMirrors) {
  Canvas source(2, 1), canvas(4, 2);
  SetPixel(source.dc(), 0, 0, RGB(0, 0, 0));
  SetPixel(source.dc(), 1, 0, RGB(255, 255, 255));
  StretchBlt(canvas.dc(), 0, 0, 4, 2, source.dc(), 0, 0, 2, 1, SRCCOPY);
  EXPECT_EQ(canvas.Picture(0, 0, 4, 2), "##..\n##..\n");
  StretchBlt(canvas.dc(), 3, 0, -4, 2, source.dc(), 0, 0, 2, 1, SRCCOPY);
  EXPECT_EQ(canvas.Picture(0, 0, 4, 2), "..##\n..##\n");
  // Shrinking a monochrome bitmap in BLACKONWHITE keeps black; COLORONCOLOR drops pixels.
  const BYTE rows[2] = {0x40, 0x00};  // . # . .   (1 = white)
  HBITMAP mono = CreateBitmap(4, 1, 1, 1, rows);
  HDC monoDc = CreateCompatibleDC(nullptr);
  SelectObject(monoDc, mono);
  HBITMAP small = CreateBitmap(1, 1, 1, 1, nullptr);
  HDC smallDc = CreateCompatibleDC(nullptr);
  SelectObject(smallDc, small);
  SetStretchBltMode(smallDc, WHITEONBLACK);
  StretchBlt(smallDc, 0, 0, 1, 1, monoDc, 0, 0, 4, 1, SRCCOPY);
  EXPECT_EQ(GetPixel(smallDc, 0, 0), RGB(255, 255, 255));
  SetStretchBltMode(smallDc, BLACKONWHITE);
  StretchBlt(smallDc, 0, 0, 1, 1, monoDc, 0, 0, 4, 1, SRCCOPY);
  EXPECT_EQ(GetPixel(smallDc, 0, 0), RGB(0, 0, 0));
  DeleteDC(smallDc);
  DeleteDC(monoDc);
  DeleteObject(small);
  DeleteObject(mono);
}

TEST_F(GdiDrawing, BrushesFillWithHatchesAndPatternsAlignedToTheBrushOrigin) {
  Canvas canvas(8, 8);
  HBRUSH hatch = CreateHatchBrush(HS_CROSS, RGB(0, 0, 0));
  RECT all{0, 0, 8, 8};
  FillRect(canvas.dc(), &all, hatch);
  EXPECT_EQ(canvas.Picture(0, 0, 8, 8).substr(0, 18), "....#...\n....#...\n");
  EXPECT_EQ(canvas.Picture(0, 3, 8, 4), "########\n");
  const BYTE checker[16] = {0xAA, 0, 0x55, 0, 0xAA, 0, 0x55, 0, 0xAA, 0, 0x55, 0, 0xAA, 0, 0x55, 0};
  HBITMAP pattern = CreateBitmap(8, 8, 1, 1, checker);
  HBRUSH patternBrush = CreatePatternBrush(pattern);
  DeleteObject(pattern);  // the brush keeps its own copy
  FillRect(canvas.dc(), &all, patternBrush);
  EXPECT_EQ(canvas.Picture(0, 0, 4, 2), ".#.#\n#.#.\n");
  SetBrushOrgEx(canvas.dc(), 1, 0, nullptr);
  FillRect(canvas.dc(), &all, patternBrush);
  EXPECT_EQ(canvas.Picture(0, 0, 4, 2), "#.#.\n.#.#\n");
  DeleteObject(hatch);
  DeleteObject(patternBrush);
}

TEST_F(GdiDrawing, DrawEdgeUsesTheThreeDimensionalColours) {
  Canvas canvas(4, 4);
  RECT r{0, 0, 4, 4};
  DrawEdge(canvas.dc(), &r, EDGE_RAISED, BF_RECT | BF_ADJUST);
  EXPECT_EQ(canvas.At(0, 0), GetSysColor(COLOR_3DLIGHT));
  EXPECT_EQ(canvas.At(3, 0), GetSysColor(COLOR_3DDKSHADOW));  // bottom and right take the corners
  EXPECT_EQ(canvas.At(0, 3), GetSysColor(COLOR_3DDKSHADOW));
  EXPECT_EQ(canvas.At(1, 1), GetSysColor(COLOR_3DHILIGHT));
  EXPECT_EQ(canvas.At(2, 2), GetSysColor(COLOR_3DSHADOW));
  EXPECT_EQ(r.left, 2);
  EXPECT_EQ(r.right, 2);
}

TEST_F(GdiDrawing, DibTransfersToTheDevice) {
  // A 2 x 2 8-bpp bottom-up DIB: the first row in memory is the bottom one.
  std::vector<BYTE> storage;
  BITMAPINFO* info = DibInfo(storage, 2, 2, 8, 2);
  info->bmiColors[0] = {0, 0, 0, 0};
  info->bmiColors[1] = {255, 255, 255, 0};
  const BYTE bits[8] = {1, 0, 0, 0, 0, 1, 0, 0};
  Canvas canvas(4, 4);
  canvas.Clear(RGB(0, 0, 0));
  EXPECT_EQ(SetDIBitsToDevice(canvas.dc(), 0, 0, 2, 2, 0, 0, 0, 2, bits, info, DIB_RGB_COLORS), 2);
  EXPECT_EQ(canvas.Picture(0, 0, 2, 2), "#.\n.#\n");
  EXPECT_EQ(StretchDIBits(canvas.dc(), 0, 0, 4, 4, 0, 0, 2, 2, bits, info, DIB_RGB_COLORS, SRCCOPY), 2);
  EXPECT_EQ(canvas.Picture(0, 0, 4, 4), "##..\n##..\n..##\n..##\n");
  // Only the bottom scan line given: the top row stays.
  canvas.Clear(RGB(255, 0, 0));
  EXPECT_EQ(SetDIBitsToDevice(canvas.dc(), 0, 0, 2, 2, 0, 0, 0, 1, bits, info, DIB_RGB_COLORS), 1);
  EXPECT_EQ(canvas.Picture(0, 0, 2, 2), "??\n.#\n");
}

}  // namespace
}  // namespace host::testing
