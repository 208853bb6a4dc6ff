// Text from the TrueType font, and palettes on an 8-bpp screen.
#include <host/adapter.h>
#include <host/gdi.h>

#include <cstdio>
#include <cstring>

#include "gdi/tests/gdi_test_support.h"

namespace host::testing {
namespace {

class GdiText : public StationTest {};

// Bounding box of the black pixels; empty when there are none.
RECT InkBox(const Canvas& canvas, int w, int h) {
  RECT box{w, h, 0, 0};
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      if (canvas.At(x, y) == RGB(0, 0, 0)) {
        box.left = std::min<LONG>(box.left, x);
        box.top = std::min<LONG>(box.top, y);
        box.right = std::max<LONG>(box.right, x + 1);
        box.bottom = std::max<LONG>(box.bottom, y + 1);
      }
  return box;
}

TEST_F(GdiText, FontsMapToTheTrueTypeFaceWithStableMetrics) {
  Canvas canvas(10, 10);
  HFONT small = CreateFontA(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "MS Sans Serif");
  HFONT cell = CreateFontA(16, 0, 0, 0, FW_BOLD, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "System");
  TEXTMETRICA tm{};
  SelectObject(canvas.dc(), cell);
  ASSERT_TRUE(GetTextMetricsA(canvas.dc(), &tm));
  EXPECT_EQ(tm.tmHeight, 16);  // a positive height is the cell
  EXPECT_EQ(tm.tmAscent + tm.tmDescent, 16);
  EXPECT_EQ(tm.tmWeight, FW_BOLD);
  SIZE bold;
  GetTextExtentPoint32A(canvas.dc(), "Hello", 5, &bold);
  SelectObject(canvas.dc(), small);
  GetTextMetricsA(canvas.dc(), &tm);
  EXPECT_EQ(tm.tmHeight - tm.tmInternalLeading, 11);  // a negative height is the character height
  SIZE a, b;
  EXPECT_TRUE(GetTextExtentPoint32A(canvas.dc(), "Hello", 5, &a));
  EXPECT_TRUE(GetTextExtentPointA(canvas.dc(), "Hel", 3, &b));
  SIZE lo;
  GetTextExtentPoint32A(canvas.dc(), "lo", 2, &lo);
  EXPECT_EQ(a.cx, b.cx + lo.cx);  // whole-pixel advances add up
  EXPECT_EQ(a.cy, tm.tmHeight);
  EXPECT_GT(bold.cx, a.cx);
  char face[32];
  EXPECT_EQ(GetTextFaceA(canvas.dc(), sizeof face, face), 14);
  EXPECT_STREQ(face, "MS Sans Serif");
  SelectObject(canvas.dc(), GetStockObject(SYSTEM_FONT));
  DeleteObject(small);
  DeleteObject(cell);
}

TEST_F(GdiText, TextOutDrawsWithoutAntiAliasingAndHonoursAlignment) {
  Canvas canvas(60, 30);
  HDC dc = canvas.dc();
  SetBkMode(dc, TRANSPARENT);
  TextOutA(dc, 5, 5, "Hx", 2);
  SIZE size;
  GetTextExtentPoint32A(dc, "Hx", 2, &size);
  RECT ink = InkBox(canvas, 60, 30);
  ASSERT_LT(ink.left, ink.right);
  EXPECT_GE(ink.left, 5);
  EXPECT_LE(ink.right, 5 + size.cx);
  EXPECT_GE(ink.top, 5);
  EXPECT_LE(ink.bottom, 5 + size.cy);
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 60; ++x) {
      COLORREF c = canvas.At(x, y);
      ASSERT_TRUE(c == RGB(0, 0, 0) || c == RGB(255, 255, 255)) << x << "," << y;
    }
  // Right-aligned at x = 55 ends at 55; an opaque background fills the cell.
  canvas.Clear(RGB(255, 255, 255));
  SetTextAlign(dc, TA_RIGHT | TA_TOP);
  SetBkMode(dc, OPAQUE);
  SetBkColor(dc, RGB(0, 0, 0));
  SetTextColor(dc, RGB(255, 255, 255));
  TextOutA(dc, 55, 2, "Hx", 2);
  EXPECT_EQ(canvas.At(55 - size.cx, 2), RGB(0, 0, 0));
  EXPECT_EQ(canvas.At(54, 2 + size.cy - 1), RGB(0, 0, 0));
  EXPECT_EQ(canvas.At(55, 2), RGB(255, 255, 255));
  EXPECT_EQ(canvas.At(54 - size.cx, 2), RGB(255, 255, 255));
}

TEST_F(GdiText, DrawTextAlignsAndMeasures) {
  Canvas canvas(100, 40);
  HDC dc = canvas.dc();
  SetBkMode(dc, TRANSPARENT);
  SIZE size;
  GetTextExtentPoint32A(dc, "OK", 2, &size);
  struct Case {
    UINT format;
    LONG left, top;  // where the text's cell starts
  } cases[] = {
      {DT_LEFT | DT_SINGLELINE, 0, 0},
      {DT_CENTER | DT_SINGLELINE, (100 - size.cx) / 2, 0},
      {DT_RIGHT | DT_SINGLELINE, 100 - size.cx, 0},
      {DT_CENTER | DT_VCENTER | DT_SINGLELINE, (100 - size.cx) / 2, (40 - size.cy) / 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.format);
    canvas.Clear(RGB(255, 255, 255));
    RECT r{0, 0, 100, 40};
    EXPECT_EQ(DrawTextA(dc, "OK", -1, &r, c.format), size.cy);
    RECT ink = InkBox(canvas, 100, 40);
    EXPECT_GE(ink.left, c.left);
    EXPECT_LE(ink.right, c.left + size.cx);
    EXPECT_GE(ink.top, c.top);
    EXPECT_LE(ink.bottom, c.top + size.cy);
  }
  // DT_CALCRECT measures without drawing; "&&" is one ampersand and "&O" underlines the O.
  canvas.Clear(RGB(255, 255, 255));
  RECT r{10, 10, 10, 10};
  SIZE amp;
  GetTextExtentPoint32A(dc, "&OK", 3, &amp);
  EXPECT_EQ(DrawTextA(dc, "&&OK", -1, &r, DT_CALCRECT | DT_SINGLELINE), amp.cy);
  EXPECT_EQ(r.right - r.left, amp.cx);
  EXPECT_EQ(InkBox(canvas, 100, 40).right, 0);
  RECT plain{0, 0, 100, 40}, prefixed{0, 0, 100, 40};
  DrawTextA(dc, "OK", -1, &plain, DT_SINGLELINE);
  RECT withoutLine = InkBox(canvas, 100, 40);
  DrawTextA(dc, "&OK", -1, &prefixed, DT_SINGLELINE);
  RECT withLine = InkBox(canvas, 100, 40);
  EXPECT_GT(withLine.bottom, withoutLine.bottom);  // the underline lies below the letters
  // Word breaking makes lines as wide as the rectangle allows.
  RECT narrow{0, 0, size.cx + 2, 0};
  EXPECT_EQ(DrawTextA(dc, "OK OK OK", -1, &narrow, DT_CALCRECT | DT_WORDBREAK), 3 * size.cy);
  EXPECT_EQ(narrow.bottom, 3 * size.cy);
}

class GdiPalette : public StationTest {};

TEST_F(GdiPalette, RealisingAtEightBppTakesFreeEntriesAndKeepsTheStaticColours) {
  ASSERT_EQ(host::adapter::CurrentState().bitsPerPixel, 8);
  std::vector<BYTE> storage(sizeof(LOGPALETTE) + 3 * sizeof(PALETTEENTRY));
  auto* lp = reinterpret_cast<LOGPALETTE*>(storage.data());
  lp->palVersion = 0x300;
  lp->palNumEntries = 3;
  lp->palPalEntry[0] = {255, 0, 0, 0};   // a static colour: shared
  lp->palPalEntry[1] = {12, 34, 56, 0};  // new
  lp->palPalEntry[2] = {90, 80, 70, PC_RESERVED};
  HPALETTE palette = CreatePalette(lp);
  HDC screen = GetDC(nullptr);
  EXPECT_EQ(SelectPalette(screen, palette, FALSE), GetStockObject(DEFAULT_PALETTE));
  EXPECT_EQ(RealizePalette(screen), 2u);
  PALETTEENTRY system[256];
  EXPECT_EQ(GetSystemPaletteEntries(screen, 0, 256, system), 256u);
  EXPECT_EQ(system[0].peRed, 0);
  EXPECT_EQ(system[249].peRed, 255);  // the static red
  EXPECT_EQ(system[255].peBlue, 255);
  EXPECT_EQ(system[10].peRed, 12);
  EXPECT_EQ(system[11].peRed, 90);
  SetPixel(screen, 0, 0, PALETTEINDEX(1));
  EXPECT_EQ(GetPixel(screen, 0, 0), RGB(12, 34, 56));
  EXPECT_EQ(GetNearestColor(screen, RGB(13, 34, 56)), RGB(12, 34, 56));
  EXPECT_EQ(GetNearestPaletteIndex(palette, RGB(250, 10, 0)), 0u);
  // Animating the reserved entry changes what is on the screen at once; other entries stay.
  SetPixel(screen, 1, 0, PALETTEINDEX(2));
  PALETTEENTRY changed[2] = {{1, 1, 1, 0}, {200, 100, 50, PC_RESERVED}};
  EXPECT_TRUE(AnimatePalette(palette, 1, 2, changed));
  EXPECT_EQ(GetPixel(screen, 1, 0), RGB(200, 100, 50));
  EXPECT_EQ(GetPixel(screen, 0, 0), RGB(12, 34, 56));
  PALETTEENTRY back[3];
  EXPECT_EQ(GetPaletteEntries(palette, 0, 3, back), 3u);
  EXPECT_EQ(back[1].peRed, 12);
  SelectPalette(screen, static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)), FALSE);
  ReleaseDC(nullptr, screen);
  EXPECT_TRUE(DeleteObject(palette));
}

TEST_F(GdiPalette, ScreenshotsArePngFiles) {
  HDC screen = GetDC(nullptr);
  PatBlt(screen, 0, 0, 4, 4, BLACKNESS);
  ReleaseDC(nullptr, screen);
  EXPECT_EQ(host::gdi::ScreenPixel(0, 0), RGB(0, 0, 0));
  EXPECT_EQ(host::gdi::ScreenPixel(-1, 0), CLR_INVALID);
  std::string path = root() + "/shot.png";
  ASSERT_TRUE(host::gdi::SaveScreenshot(path, RECT{0, 0, 8, 8}));
  FILE* f = std::fopen(path.c_str(), "rb");
  ASSERT_NE(f, nullptr);
  unsigned char magic[8] = {};
  EXPECT_EQ(std::fread(magic, 1, 8, f), 8u);
  std::fclose(f);
  EXPECT_EQ(std::memcmp(magic, "\x89PNG\r\n\x1a\n", 8), 0);
  EXPECT_FALSE(host::gdi::SaveScreenshot(path, RECT{5000, 5000, 5008, 5008}));
}

}  // namespace
}  // namespace host::testing
