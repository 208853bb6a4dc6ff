// The background on a page: the palette, the off-screen copy, erasing, the colour-scheme change and the palette
// messages, through a window whose procedure calls the background as a page's dialog procedure does.
#include "page_background.h"

#include <host/adapter.h>
#include <host/gdi.h>
#include <host/memory.h>
#include <host/user.h>
#include <host_testing/station_fixture.h>

#include "picture_files.h"

namespace page_testing {
namespace {

constexpr char kPicturePath[] = "C:\\WINDOWS\\ovxbkgnd.bmp";
constexpr int kPageWidth = 60, kPageHeight = 40;

PageBackground gBackground;

LRESULT CALLBACK PageProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_ERASEBKGND:
      if (ErasePageBackground(&gBackground, reinterpret_cast<HDC>(wParam))) return TRUE;
      break;
    case WM_SYSCOLORCHANGE:
      ReloadPageBackground(hwnd, &gBackground);
      RedrawPage(hwnd);
      return 0;
    case WM_PALETTECHANGED:
      RedrawAfterPaletteChange(hwnd, reinterpret_cast<HWND>(wParam));
      return 0;
    case WM_QUERYNEWPALETTE:
      return RedrawForNewPalette(hwnd);
  }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

void SetButtonFace(COLORREF colour) {
  int element = COLOR_BTNFACE;
  SetSysColors(1, &element, &colour);
}

// A 24-bit picture of four quadrants: red, green above blue, white.
std::string QuadrantPicture(RGBQUAD topLeft, RGBQUAD topRight, RGBQUAD bottomLeft, RGBQUAD bottomRight) {
  PictureLayout layout;
  layout.width = 2;
  layout.bitCount = 24;
  auto pixel = [](std::vector<BYTE>& bits, RGBQUAD q) { bits.insert(bits.end(), {q.rgbBlue, q.rgbGreen, q.rgbRed}); };
  pixel(layout.bits, bottomLeft);  // rows bottom-up, each padded to 8 bytes
  pixel(layout.bits, bottomRight);
  layout.bits.insert(layout.bits.end(), {0, 0});
  pixel(layout.bits, topLeft);
  pixel(layout.bits, topRight);
  layout.bits.insert(layout.bits.end(), {0, 0});
  return PictureFile(layout);
}

RGBQUAD Quad(BYTE r, BYTE g, BYTE b) { return RGBQUAD{b, g, r, 0}; }

class PageBackgroundTest : public host::testing::StationTest {
 protected:
  void SetUp() override {
    StationTest::SetUp();
    gBackground = PageBackground{};
    SetButtonFace(RGB(192, 192, 192));
  }
  void TearDown() override {
    ReleasePageBackground(&gBackground);
    if (page_) DestroyWindow(page_);
    StationTest::TearDown();
  }
  void UseDepth(int bitsPerPixel) {
    host::adapter::Config config = host::adapter::CurrentConfig();
    config.bitsPerPixel = bitsPerPixel;
    ASSERT_TRUE(host::adapter::Configure(config));
  }
  HWND MakePage() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = PageProc;
    wc.lpszClassName = "BackgroundPage";
    RegisterClassA(&wc);
    page_ = CreateWindowExA(0, "BackgroundPage", "", WS_POPUP | WS_VISIBLE, 0, 0, kPageWidth, kPageHeight, nullptr,
                            nullptr, nullptr, nullptr);
    host::user::PumpMessages();
    return page_;
  }
  // The off-screen copy's pixel.
  COLORREF OffscreenPixel(int x, int y) {
    HDC memory = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(memory, gBackground.offscreen);
    COLORREF colour = GetPixel(memory, x, y);
    SelectObject(memory, previous);
    DeleteDC(memory);
    return colour;
  }
  HWND page_ = nullptr;
};

TEST_F(PageBackgroundTest, TheOffscreenCopyIsThePictureStretchedToTheClientArea) {
  UseDepth(32);
  WriteStationFile(kPicturePath,
                   QuadrantPicture(Quad(255, 0, 0), Quad(0, 255, 0), Quad(0, 0, 255), Quad(255, 255, 255)));
  ASSERT_TRUE(BuildPageBackground(MakePage(), &gBackground));
  EXPECT_FALSE(gBackground.paletteDevice);
  EXPECT_EQ(gBackground.palette, nullptr);
  BITMAP bm;
  ASSERT_TRUE(GetObjectA(gBackground.offscreen, sizeof bm, &bm));
  EXPECT_EQ(bm.bmWidth, kPageWidth);
  EXPECT_EQ(bm.bmHeight, kPageHeight);
  EXPECT_EQ(OffscreenPixel(0, 0), RGB(255, 0, 0));
  EXPECT_EQ(OffscreenPixel(29, 19), RGB(255, 0, 0));
  EXPECT_EQ(OffscreenPixel(30, 19), RGB(0, 255, 0));
  EXPECT_EQ(OffscreenPixel(29, 20), RGB(0, 0, 255));
  EXPECT_EQ(OffscreenPixel(59, 39), RGB(255, 255, 255));
}

TEST_F(PageBackgroundTest, ErasingCopiesTheBackgroundAndPartsOfItGoWhereAsked) {
  UseDepth(32);
  WriteStationFile(kPicturePath,
                   QuadrantPicture(Quad(255, 0, 0), Quad(0, 255, 0), Quad(0, 0, 255), Quad(255, 255, 255)));
  HWND page = MakePage();
  ASSERT_TRUE(BuildPageBackground(page, &gBackground));
  InvalidateRect(page, nullptr, TRUE);
  host::user::PumpMessages();
  EXPECT_EQ(host::gdi::ScreenPixel(5, 5), RGB(255, 0, 0));
  EXPECT_EQ(host::gdi::ScreenPixel(45, 5), RGB(0, 255, 0));
  EXPECT_EQ(host::gdi::ScreenPixel(5, 35), RGB(0, 0, 255));
  EXPECT_EQ(host::gdi::ScreenPixel(45, 35), RGB(255, 255, 255));

  // What a transparent control does: the part of the page under it, at its own origin.
  HDC dc = GetDC(page);
  RECT under{25, 15, 35, 25};
  ASSERT_TRUE(CopyPageBackground(&gBackground, dc, 0, 0, &under));
  ReleaseDC(page, dc);
  EXPECT_EQ(host::gdi::ScreenPixel(0, 0), RGB(255, 0, 0));
  EXPECT_EQ(host::gdi::ScreenPixel(9, 0), RGB(0, 255, 0));
  EXPECT_EQ(host::gdi::ScreenPixel(0, 9), RGB(0, 0, 255));
  EXPECT_EQ(host::gdi::ScreenPixel(9, 9), RGB(255, 255, 255));
  EXPECT_EQ(host::gdi::ScreenPixel(10, 10), RGB(255, 0, 0));  // beyond the copied part: the erase's picture
}

TEST_F(PageBackgroundTest, OnAPaletteDeviceA24BitPictureShowsThroughTheFixedPalette) {
  ASSERT_EQ(host::adapter::CurrentState().bitsPerPixel, 8);
  // Colours of the fixed palette, so the realised palette holds them exactly.
  RGBQUAD colours[] = {Quad(224, 0, 0), Quad(0, 224, 0), Quad(64, 32, 64), Quad(32, 64, 128)};
  WriteStationFile(kPicturePath, QuadrantPicture(colours[0], colours[1], colours[2], colours[3]));
  HWND page = MakePage();
  ASSERT_TRUE(BuildPageBackground(page, &gBackground));
  EXPECT_TRUE(gBackground.paletteDevice);
  ASSERT_NE(gBackground.palette, nullptr);
  EXPECT_EQ(GetPaletteEntries(gBackground.palette, 0, 0, nullptr), 256u);
  InvalidateRect(page, nullptr, TRUE);
  host::user::PumpMessages();
  POINT at[] = {{5, 5}, {45, 5}, {5, 35}, {45, 35}};
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    COLORREF expected = RGB(colours[i].rgbRed, colours[i].rgbGreen, colours[i].rgbBlue);
    EXPECT_EQ(OffscreenPixel(at[i].x, at[i].y), expected);
    EXPECT_EQ(host::gdi::ScreenPixel(at[i].x, at[i].y), expected);
  }
}

TEST_F(PageBackgroundTest, ThePaletteComesFromTheColourTableOrIsTheFixed884One) {
  SetButtonFace(RGB(255, 255, 255));  // greys stay as they are
  struct Case {
    const char* name;
    int bitCount;
    DWORD colourCount;
    UINT entries;
  } cases[] = {{"4 bits, full table", 4, 0, 16}, {"8 bits, three stated colours", 8, 3, 3}, {"1 bit", 1, 0, 2}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PictureLayout layout;
    layout.bitCount = c.bitCount;
    layout.colourCount = c.colourCount;
    for (UINT i = 0; i < c.entries; ++i) layout.colours.push_back(Grey(static_cast<BYTE>(i * 15)));
    WriteStationFile(kPicturePath, PictureFile(layout));
    HGLOBAL block = LoadBackgroundBitmap(kBackgroundFileName);
    ASSERT_NE(block, nullptr);
    HPALETTE palette = MakeBackgroundPalette(block);
    ASSERT_NE(palette, nullptr);
    std::vector<PALETTEENTRY> entries(256);
    ASSERT_EQ(GetPaletteEntries(palette, 0, 256, entries.data()), c.entries);
    for (UINT i = 0; i < c.entries; ++i) {
      SCOPED_TRACE(i);
      BYTE level = static_cast<BYTE>(i * 15);
      EXPECT_EQ(RGB(entries[i].peRed, entries[i].peGreen, entries[i].peBlue), RGB(level, level, level));
      EXPECT_EQ(entries[i].peFlags, 0);
    }
    DeleteObject(palette);
    GlobalFree(block);
  }

  for (int bitCount : {16, 24, 32}) {
    SCOPED_TRACE(bitCount);
    PictureLayout layout;
    layout.bitCount = bitCount;
    WriteStationFile(kPicturePath, PictureFile(layout));
    HGLOBAL block = LoadBackgroundBitmap(kBackgroundFileName);
    ASSERT_NE(block, nullptr);
    HPALETTE palette = MakeBackgroundPalette(block);
    std::vector<PALETTEENTRY> entries(256);
    ASSERT_EQ(GetPaletteEntries(palette, 0, 256, entries.data()), 256u);
    struct Entry {
      int index;
      COLORREF colour;
    } expected[] = {{0, RGB(0, 0, 0)},     {1, RGB(32, 0, 0)},       {7, RGB(224, 0, 0)}, {8, RGB(0, 32, 0)},
                    {9, RGB(32, 32, 0)},   {63, RGB(224, 224, 0)},   {64, RGB(0, 0, 64)}, {145, RGB(32, 64, 128)},
                    {192, RGB(0, 0, 192)}, {255, RGB(224, 224, 192)}};
    for (const Entry& e : expected) {
      SCOPED_TRACE(e.index);
      const PALETTEENTRY& got = entries[e.index];
      EXPECT_EQ(RGB(got.peRed, got.peGreen, got.peBlue), e.colour);
    }
    DeleteObject(palette);
    GlobalFree(block);
  }
}

TEST_F(PageBackgroundTest, WithoutAPictureThePageStaysPlain) {
  int blocks = host::memory::LiveBlocks();
  HWND page = MakePage();
  EXPECT_FALSE(BuildPageBackground(page, &gBackground));
  EXPECT_EQ(gBackground.bitmap, nullptr);
  EXPECT_EQ(gBackground.palette, nullptr);
  EXPECT_EQ(gBackground.offscreen, nullptr);
  HDC dc = GetDC(page);
  RECT part{0, 0, 10, 10};
  EXPECT_FALSE(ErasePageBackground(&gBackground, dc));
  EXPECT_FALSE(CopyPageBackground(&gBackground, dc, 0, 0, &part));
  ReleaseDC(page, dc);
  // A colour-scheme change rebuilds only a background the page has.
  WriteStationFile(kPicturePath, QuadrantPicture(Quad(1, 2, 3), Quad(1, 2, 3), Quad(1, 2, 3), Quad(1, 2, 3)));
  EXPECT_FALSE(ReloadPageBackground(page, &gBackground));
  EXPECT_EQ(gBackground.bitmap, nullptr);
  EXPECT_EQ(host::memory::LiveBlocks(), blocks);
}

TEST_F(PageBackgroundTest, AColourSchemeChangeReTintsTheBackgroundOnThePage) {
  UseDepth(32);
  PictureLayout layout;
  layout.colours = {Grey(100), Grey(200)};
  layout.colourCount = 2;
  // 3 x 2 at 4 bits, rows bottom-up: 100 100 200 below, 200 200 100 above.
  layout.bits = {0x00, 0x10, 0, 0, 0x11, 0x00, 0, 0};
  WriteStationFile(kPicturePath, PictureFile(layout));
  HWND page = MakePage();
  ASSERT_TRUE(BuildPageBackground(page, &gBackground));
  InvalidateRect(page, nullptr, TRUE);
  host::user::PumpMessages();
  EXPECT_EQ(host::gdi::ScreenPixel(5, 5), RGB(200, 200, 200));
  EXPECT_EQ(host::gdi::ScreenPixel(5, 35), RGB(100, 100, 100));

  SetButtonFace(RGB(0, 0, 255));  // sends WM_SYSCOLORCHANGE to the page
  host::user::PumpMessages();
  EXPECT_EQ(host::gdi::ScreenPixel(5, 5), RGB(0, 0, 200));
  EXPECT_EQ(host::gdi::ScreenPixel(5, 35), RGB(0, 0, 100));
  EXPECT_EQ(host::gdi::ScreenPixel(55, 35), RGB(0, 0, 200));
}

TEST_F(PageBackgroundTest, AReloadWithoutTheFileLeavesNoBackgroundAndNothingAllocated) {
  int blocks = host::memory::LiveBlocks();
  WriteStationFile(kPicturePath, QuadrantPicture(Quad(1, 2, 3), Quad(1, 2, 3), Quad(1, 2, 3), Quad(1, 2, 3)));
  HWND page = MakePage();
  ASSERT_TRUE(BuildPageBackground(page, &gBackground));
  HGDIOBJ offscreen = gBackground.offscreen, palette = gBackground.palette;
  EXPECT_EQ(host::memory::LiveBlocks(), blocks + 1);
  DeleteFileA(kPicturePath);
  EXPECT_FALSE(ReloadPageBackground(page, &gBackground));
  EXPECT_EQ(gBackground.bitmap, nullptr);
  EXPECT_EQ(gBackground.palette, nullptr);
  EXPECT_EQ(gBackground.offscreen, nullptr);
  EXPECT_EQ(host::memory::LiveBlocks(), blocks);
  EXPECT_EQ(GetObjectType(offscreen), 0u);
  EXPECT_EQ(GetObjectType(palette), 0u);
}

TEST_F(PageBackgroundTest, ReleaseFreesBitmapBlockPaletteAndCopy) {
  int blocks = host::memory::LiveBlocks();
  WriteStationFile(kPicturePath, QuadrantPicture(Quad(1, 2, 3), Quad(1, 2, 3), Quad(1, 2, 3), Quad(1, 2, 3)));
  ASSERT_TRUE(BuildPageBackground(MakePage(), &gBackground));
  HGDIOBJ offscreen = gBackground.offscreen, palette = gBackground.palette;
  ASSERT_NE(palette, nullptr);
  ReleasePageBackground(&gBackground);
  EXPECT_EQ(host::memory::LiveBlocks(), blocks);
  EXPECT_EQ(GetObjectType(offscreen), 0u);
  EXPECT_EQ(GetObjectType(palette), 0u);
  EXPECT_EQ(gBackground.bitmap, nullptr);
}

TEST_F(PageBackgroundTest, PaletteMessagesRedrawThePageAndItsChildrenUnlessThePageChangedThePalette) {
  HWND page = MakePage();
  HWND child =
      CreateWindowExA(0, "BackgroundPage", "", WS_CHILD | WS_VISIBLE, 10, 10, 20, 20, page, nullptr, nullptr, nullptr);
  HWND other = CreateWindowExA(0, "BackgroundPage", "", WS_POPUP, 100, 100, 20, 20, nullptr, nullptr, nullptr, nullptr);
  host::user::PumpMessages();
  auto pending = [](HWND hwnd) { return GetUpdateRect(hwnd, nullptr, FALSE) != FALSE; };

  SendMessageA(page, WM_PALETTECHANGED, reinterpret_cast<WPARAM>(page), 0);
  EXPECT_FALSE(pending(page));
  EXPECT_FALSE(pending(child));

  SendMessageA(page, WM_PALETTECHANGED, reinterpret_cast<WPARAM>(other), 0);
  EXPECT_TRUE(pending(page));
  EXPECT_TRUE(pending(child));
  host::user::PumpMessages();

  EXPECT_EQ(SendMessageA(page, WM_QUERYNEWPALETTE, 0, 0), TRUE);
  EXPECT_TRUE(pending(page));
  EXPECT_TRUE(pending(child));
  host::user::PumpMessages();
  DestroyWindow(other);
}

}  // namespace
}  // namespace page_testing
