// Regions, clipping, window DCs and mapping modes.
#include "gdi/tests/gdi_test_support.h"
#include "gdi/window_dc.h"

namespace host::testing {
namespace {

class GdiClipping : public StationTest {};

TEST_F(GdiClipping, CombineRgnGivesTheKindOfTheResult) {
  struct Case {
    int mode;
    RECT second;
    int kind;
    RECT box;
  } cases[] = {
      {RGN_AND, {5, 5, 15, 15}, SIMPLEREGION, {5, 5, 10, 10}},
      {RGN_AND, {20, 20, 30, 30}, NULLREGION, {0, 0, 0, 0}},
      {RGN_OR, {5, 5, 15, 15}, COMPLEXREGION, {0, 0, 15, 15}},
      {RGN_OR, {10, 0, 20, 10}, SIMPLEREGION, {0, 0, 20, 10}},  // side by side merge into one rectangle
      {RGN_XOR, {0, 0, 10, 10}, NULLREGION, {0, 0, 0, 0}},
      {RGN_DIFF, {0, 5, 10, 10}, SIMPLEREGION, {0, 0, 10, 5}},
      {RGN_DIFF, {3, 3, 6, 6}, COMPLEXREGION, {0, 0, 10, 10}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mode);
    HRGN a = CreateRectRgn(0, 0, 10, 10), b = CreateRectRgnIndirect(&c.second), out = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(CombineRgn(out, a, b, c.mode), c.kind);
    RECT box;
    EXPECT_EQ(GetRgnBox(out, &box), c.kind);
    EXPECT_TRUE(EqualRect(&box, &c.box));
    DeleteObject(a);
    DeleteObject(b);
    DeleteObject(out);
  }
}

TEST_F(GdiClipping, RegionQueriesAndEquality) {
  HRGN ring = CreateRectRgn(0, 0, 10, 10), hole = CreateRectRgn(3, 3, 6, 6);
  CombineRgn(ring, ring, hole, RGN_DIFF);
  EXPECT_TRUE(PtInRegion(ring, 0, 0));
  EXPECT_FALSE(PtInRegion(ring, 4, 4));
  EXPECT_FALSE(PtInRegion(ring, 10, 5));  // right and bottom edges are outside
  RECT inHole{3, 3, 6, 6}, overlapping{5, 5, 7, 7};
  EXPECT_FALSE(RectInRegion(ring, &inHole));
  EXPECT_TRUE(RectInRegion(ring, &overlapping));
  // The same area built another way compares equal.
  HRGN same = CreateRectRgn(0, 0, 10, 3), part = CreateRectRgn(0, 6, 10, 10);
  CombineRgn(same, same, part, RGN_OR);
  SetRectRgn(part, 0, 3, 3, 6);
  CombineRgn(same, same, part, RGN_OR);
  SetRectRgn(part, 6, 3, 10, 6);
  CombineRgn(same, same, part, RGN_OR);
  EXPECT_TRUE(EqualRgn(ring, same));
  EXPECT_EQ(OffsetRgn(same, 1, 0), COMPLEXREGION);
  EXPECT_FALSE(EqualRgn(ring, same));
  EXPECT_EQ(CombineRgn(same, reinterpret_cast<HRGN>(0x77), ring, RGN_OR), ERROR);
  for (HRGN r : {ring, hole, same, part}) DeleteObject(r);
}

// GetPixel is clipped too: read with the clip region lifted for a moment.
std::string Unclipped(const Canvas& canvas) {
  int saved = SaveDC(canvas.dc());
  SelectClipRgn(canvas.dc(), nullptr);
  std::string picture = canvas.Picture(0, 0, 6, 1);
  RestoreDC(canvas.dc(), saved);
  return picture;
}

TEST_F(GdiClipping, ClipRegionsLimitDrawingAndNullResets) {
  Canvas canvas(6, 1);
  HRGN clip = CreateRectRgn(1, 0, 5, 1);
  EXPECT_EQ(SelectClipRgn(canvas.dc(), clip), SIMPLEREGION);
  DeleteObject(clip);  // the DC keeps its own copy
  EXPECT_EQ(ExcludeClipRect(canvas.dc(), 2, 0, 3, 1), COMPLEXREGION);
  RECT box;
  EXPECT_EQ(GetClipBox(canvas.dc(), &box), COMPLEXREGION);
  EXPECT_EQ(box.left, 1);
  EXPECT_EQ(box.right, 5);
  PatBlt(canvas.dc(), 0, 0, 6, 1, BLACKNESS);
  EXPECT_EQ(Unclipped(canvas), ".#.##.\n");
  EXPECT_EQ(canvas.At(0, 0), CLR_INVALID);
  EXPECT_EQ(IntersectClipRect(canvas.dc(), 0, 0, 4, 1), COMPLEXREGION);
  PatBlt(canvas.dc(), 0, 0, 6, 1, WHITENESS);
  EXPECT_EQ(Unclipped(canvas), "....#.\n");
  EXPECT_EQ(SelectClipRgn(canvas.dc(), nullptr), SIMPLEREGION);
  PatBlt(canvas.dc(), 0, 0, 6, 1, BLACKNESS);
  EXPECT_EQ(canvas.Picture(0, 0, 6, 1), "######\n");
}

// A window DC of an overlapped window: its origin at the client corner, drawing only where it is visible.
TEST_F(GdiClipping, WindowDcsDrawOnlyInTheirVisibleArea) {
  HDC screen = GetDC(nullptr);
  PatBlt(screen, 0, 0, 40, 40, WHITENESS);
  // Client at (10, 10) 20 x 20, with the right half covered by another window.
  HDC dc = host::gdi::CreateWindowDC(nullptr, {10, 10}, {{10, 10, 20, 30}});
  PatBlt(dc, 0, 0, 20, 20, BLACKNESS);
  EXPECT_EQ(GetPixel(screen, 10, 10), RGB(0, 0, 0));
  EXPECT_EQ(GetPixel(screen, 19, 29), RGB(0, 0, 0));
  EXPECT_EQ(GetPixel(screen, 20, 10), RGB(255, 255, 255));  // covered
  EXPECT_EQ(GetPixel(screen, 9, 10), RGB(255, 255, 255));
  EXPECT_EQ(GetPixel(dc, 0, 0), RGB(0, 0, 0));  // client coordinates
  RECT box;
  EXPECT_EQ(GetClipBox(dc, &box), SIMPLEREGION);
  EXPECT_EQ(box.right, 10);
  EXPECT_EQ(box.bottom, 20);
  // Uncovered: the same DC now reaches the whole client area.
  EXPECT_TRUE(host::gdi::UpdateWindowDC(dc, {10, 10}, {{10, 10, 30, 30}}));
  PatBlt(dc, 0, 0, 20, 20, BLACKNESS);
  EXPECT_EQ(GetPixel(screen, 20, 10), RGB(0, 0, 0));
  EXPECT_TRUE(host::gdi::DeleteWindowDC(dc));
  ReleaseDC(nullptr, screen);
}

TEST_F(GdiClipping, AnisotropicMappingWithANegativeYExtentFlipsTheAxis) {
  Canvas canvas(100, 100);
  HDC dc = canvas.dc();
  SetMapMode(dc, MM_ANISOTROPIC);
  SetWindowExtEx(dc, 1000, 1000, nullptr);
  SetViewportExtEx(dc, 100, -100, nullptr);
  SetViewportOrgEx(dc, 0, 100, nullptr);
  POINT pts[] = {{0, 0}, {1000, 1000}, {500, 250}};
  LPtoDP(dc, pts, 3);
  EXPECT_EQ(pts[0].x, 0);
  EXPECT_EQ(pts[0].y, 100);
  EXPECT_EQ(pts[1].x, 100);
  EXPECT_EQ(pts[1].y, 0);
  EXPECT_EQ(pts[2].x, 50);
  EXPECT_EQ(pts[2].y, 75);
  DPtoLP(dc, pts, 3);
  EXPECT_EQ(pts[2].x, 500);
  EXPECT_EQ(pts[2].y, 250);
  // A logical rectangle at the bottom left lands at the bottom left of the bitmap.
  SelectObject(dc, GetStockObject(BLACK_BRUSH));
  SelectObject(dc, GetStockObject(NULL_PEN));
  Rectangle(dc, 0, 0, 110, 110);  // device (0, 89) - (11, 100), less the pen's pixel
  SetMapMode(dc, MM_TEXT);
  SetViewportOrgEx(dc, 0, 0, nullptr);
  EXPECT_EQ(canvas.At(0, 98), RGB(0, 0, 0));
  EXPECT_EQ(canvas.At(9, 89), RGB(0, 0, 0));
  EXPECT_EQ(canvas.At(0, 88), RGB(255, 255, 255));
}

TEST_F(GdiClipping, IsotropicMappingKeepsTheAspect) {
  Canvas canvas(10, 10);
  HDC dc = canvas.dc();
  SetMapMode(dc, MM_ISOTROPIC);
  SetWindowExtEx(dc, 100, 100, nullptr);
  SetViewportExtEx(dc, 200, 50, nullptr);
  SIZE ext;
  GetViewportExtEx(dc, &ext);
  EXPECT_EQ(ext.cx, 50);
  EXPECT_EQ(ext.cy, 50);
  EXPECT_EQ(SetMapMode(dc, MM_TEXT), MM_ISOTROPIC);
  GetViewportExtEx(dc, &ext);
  EXPECT_EQ(ext.cx, 1);
  EXPECT_EQ(SetMapMode(dc, 42), 0);
}

}  // namespace
}  // namespace host::testing
