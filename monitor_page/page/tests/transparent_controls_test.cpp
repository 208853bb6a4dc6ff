// The transparent controls on a page with a one-colour background: their text limits, and what they leave on
// the screen (the background's colour wherever they draw nothing, never the grey of a plain control).
#include "transparent_controls.h"

#include <host/adapter.h>
#include <host/gdi.h>
#include <host/user.h>
#include <host_testing/station_fixture.h>

#include <algorithm>
#include <string>
#include <vector>

#include "picture_files.h"

namespace page_testing {
namespace {

constexpr char kPicturePath[] = "C:\\WINDOWS\\ovxbkgnd.bmp";
constexpr COLORREF kBackground = RGB(40, 90, 160);
constexpr COLORREF kOtherBackground = RGB(150, 30, 60);
constexpr int kLabel = 10, kFrame = 11, kCheckBox = 12, kRadio = 13;

LRESULT CALLBACK PageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_ERASEBKGND) {
    auto* record = static_cast<const TransparentPage*>(GetPropA(page, kTransparentPageProperty));
    if (record && ErasePageBackground(record->background, reinterpret_cast<HDC>(wParam))) return TRUE;
  }
  return DefWindowProcA(page, message, wParam, lParam);
}

// A 24-bit picture of one pixel: no colour table, so the re-tint leaves it as it is.
std::string OneColourPicture(COLORREF colour) {
  PictureLayout layout;
  layout.width = 1;
  layout.height = 1;
  layout.bitCount = 24;
  layout.bits = {GetBValue(colour), GetGValue(colour), GetRValue(colour), 0};
  return PictureFile(layout);
}

COLORREF Colour(int index) { return GetSysColor(index); }

// The screen under a control, row by row.
struct Pixels {
  int width = 0, height = 0;
  std::vector<COLORREF> colours;
  COLORREF at(int x, int y) const { return colours[y * width + x]; }
  int Count(COLORREF colour, int fromX = 0) const {
    int n = 0;
    for (int y = 0; y < height; ++y)
      for (int x = fromX; x < width; ++x) n += at(x, y) == colour;
    return n;
  }
  // The leftmost and rightmost columns holding `colour`; {-1, -1} when none does.
  std::pair<int, int> Columns(COLORREF colour) const {
    int first = -1, last = -1;
    for (int x = 0; x < width; ++x)
      for (int y = 0; y < height; ++y)
        if (at(x, y) == colour) {
          if (first < 0) first = x;
          last = x;
        }
    return {first, last};
  }
};

class TransparentControlsTest : public host::testing::StationTest {
 protected:
  void SetUp() override {
    StationTest::SetUp();
    host::adapter::Config config = host::adapter::CurrentConfig();
    config.bitsPerPixel = 32;
    ASSERT_TRUE(host::adapter::Configure(config));
    WNDCLASSA wc{};
    wc.lpfnWndProc = PageProc;
    wc.lpszClassName = "TransparentPage";
    RegisterClassA(&wc);
  }
  void TearDown() override {
    for (Page& page : pages_) {
      DestroyWindow(page.window);
      ReleasePageBackground(&page.background);
    }
    StationTest::TearDown();
  }

  struct Page {
    HWND window;
    PageBackground background;
    TransparentPage record;
  };
  // A page at (x, 0) of the screen whose background is all `colour`.
  HWND MakePage(COLORREF colour, int x = 0) {
    WriteStationFile(kPicturePath, OneColourPicture(colour));
    pages_.reserve(4);
    Page& page = pages_.emplace_back();
    page.window = CreateWindowExA(0, "TransparentPage", "", WS_POPUP | WS_VISIBLE, x, 0, 240, 120, nullptr, nullptr,
                                  nullptr, nullptr);
    EXPECT_TRUE(BuildPageBackground(page.window, &page.background));
    page.record = TransparentPage{&page.background, nullptr};
    EXPECT_TRUE(AttachTransparentPage(page.window, &page.record));
    return page.window;
  }
  HWND MakeControl(HWND page, const char* className, const char* text, DWORD style, int id, RECT at) {
    return CreateWindowExA(0, className, text, WS_CHILD | WS_VISIBLE | style, at.left, at.top, at.right - at.left,
                           at.bottom - at.top, page, reinterpret_cast<HMENU>(id), nullptr, nullptr);
  }
  // A control made transparent with a buffer of `size` bytes.
  HWND Transparent(HWND page, const char* className, const char* text, DWORD style, int id, WNDPROC procedure,
                   RECT at = {10, 10, 150, 30}, int size = 256) {
    HWND control = MakeControl(page, className, text, style, id, at);
    buffers_.emplace_back(size, 'x');
    WNDPROC previous = nullptr;
    EXPECT_TRUE(SubclassControl(page, id, &previous, procedure, buffers_.back().data(), size));
    EXPECT_NE(previous, nullptr);
    return control;
  }
  Pixels Screen(HWND control) {
    host::user::PumpMessages();
    return Shown(control);
  }
  // What is on the screen now, without letting any message through first.
  static Pixels Shown(HWND control) {
    RECT r;
    GetWindowRect(control, &r);
    return Pixels{r.right - r.left, r.bottom - r.top, host::gdi::ScreenPixels(r)};
  }

  std::vector<Page> pages_;
  std::vector<std::string> buffers_;
};

TEST_F(TransparentControlsTest, TheBufferDecidesTheLongestText) {
  HWND page = MakePage(kBackground);
  struct Case {
    int bufferSize;
    int length;
    LRESULT result;
  } cases[] = {
      {256, 255, 1}, {256, 256, 0}, {256, 300, 0},  // the Monitor page's buffers
      {255, 254, 1}, {255, 255, 0},                 // the Colour page's
      {256, 0, 1},
  };
  int id = 100;
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.bufferSize << " bytes, " << c.length << " characters");
    HWND label =
        Transparent(page, "Static", "old", SS_LEFT, ++id, TransparentLabelProc, {10, 10, 150, 30}, c.bufferSize);
    std::string text(c.length, 'a');
    EXPECT_EQ(SendMessageA(label, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str())), c.result);
    char read[400] = "";
    GetWindowTextA(label, read, sizeof read);
    EXPECT_EQ(std::string(read), c.result ? text : "old") << "a refused text changes nothing";
    EXPECT_EQ(GetWindowTextLengthA(label), c.result ? c.length : 3);
  }
}

TEST_F(TransparentControlsTest, TextIsHandedOutOnlyWithRoomForItsNul) {
  HWND page = MakePage(kBackground);
  HWND label = Transparent(page, "Static", "0123456789", SS_LEFT, kLabel, TransparentLabelProc);
  struct Case {
    WPARAM size;
    LRESULT result;
    const char* copied;
  } cases[] = {{10, 0, "untouched"}, {11, 10, "0123456789"}, {64, 10, "0123456789"}, {0, 0, "untouched"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.size);
    char out[64] = "untouched";
    EXPECT_EQ(SendMessageA(label, WM_GETTEXT, c.size, reinterpret_cast<LPARAM>(out)), c.result);
    EXPECT_STREQ(out, c.copied);
  }
  EXPECT_EQ(SendMessageA(label, WM_GETTEXT, 11, 0), 0) << "no buffer at all";
}

TEST_F(TransparentControlsTest, SubclassingTakesTheCurrentTextAndRefusesWhatIsMissing) {
  HWND page = MakePage(kBackground);
  MakeControl(page, "Static", "Twelve chars", SS_LEFT, kLabel, {10, 10, 150, 30});
  char small[6] = "";
  WNDPROC previous = nullptr;
  ASSERT_TRUE(SubclassControl(page, kLabel, &previous, TransparentLabelProc, small, sizeof small));
  EXPECT_STREQ(small, "Twelv") << "as much as the buffer holds";
  EXPECT_EQ(previous, reinterpret_cast<WNDPROC>(GetClassLongA(GetDlgItem(page, kLabel), GCL_WNDPROC)));

  // A page initialised twice subclasses again: the chain stays one deep and the text moves to the new buffer.
  char again[32] = "";
  WNDPROC second = nullptr;
  ASSERT_TRUE(SubclassControl(page, kLabel, &second, TransparentLabelProc, again, sizeof again));
  EXPECT_EQ(second, previous);
  EXPECT_STREQ(again, "Twelv");
  SetDlgItemTextA(page, kLabel, "longer than six");
  EXPECT_STREQ(again, "longer than six");

  char buffer[8];
  EXPECT_FALSE(SubclassControl(page, 999, &previous, TransparentLabelProc, buffer, sizeof buffer)) << "no control";
  EXPECT_FALSE(SubclassControl(page, kLabel, nullptr, TransparentLabelProc, buffer, sizeof buffer));
  EXPECT_FALSE(SubclassControl(page, kLabel, &previous, TransparentLabelProc, buffer, 0));
  EXPECT_FALSE(SubclassControl(nullptr, kLabel, &previous, TransparentLabelProc, buffer, sizeof buffer));
}

TEST_F(TransparentControlsTest, LabelsShowTheBackgroundAroundAlignedText) {
  HWND page = MakePage(kBackground);
  struct Case {
    const char* what;
    DWORD style;
    int textFrom, textTo;  // where the text's pixels may lie, in a label 140 pixels wide
  } cases[] = {
      {"left", SS_LEFT, 0, 40},
      {"centred", SS_CENTER, 50, 90},
      {"right", SS_RIGHT, 100, 140},
  };
  int id = 100;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    HWND label = Transparent(page, "Static", "Label", c.style, ++id, TransparentLabelProc);
    SetWindowTextA(label, "Wide");
    Pixels shown = Screen(label);
    EXPECT_EQ(shown.Count(Colour(COLOR_BTNFACE)), 0) << "no grey box";
    EXPECT_GT(shown.Count(kBackground), shown.width * shown.height / 2);
    auto [first, last] = shown.Columns(Colour(COLOR_WINDOWTEXT));
    ASSERT_GE(first, 0) << "text drawn";
    EXPECT_GE(first, c.textFrom);
    EXPECT_LE(last, c.textTo);
    DestroyWindow(label);
  }
}

// The embossed text: a light copy one pixel down and right, the shadow copy in place over it.
// Only columns from `fromX` on are the text's.
void ExpectEmbossed(const Pixels& shown, int fromX = 0) {
  COLORREF light = Colour(COLOR_3DLIGHT), shadow = Colour(COLOR_BTNSHADOW);
  EXPECT_EQ(shown.Count(Colour(COLOR_WINDOWTEXT), fromX), 0);
  ASSERT_GT(shown.Count(shadow, fromX), 0);
  // Every shadow pixel whose down-right neighbour is not shadow has the light copy there.
  for (int y = 0; y + 1 < shown.height; ++y)
    for (int x = fromX; x + 1 < shown.width; ++x) {
      if (shown.at(x, y) == shadow && shown.at(x + 1, y + 1) != shadow) {
        EXPECT_EQ(shown.at(x + 1, y + 1), light) << x << "," << y;
      }
    }
}

TEST_F(TransparentControlsTest, ADisabledLabelIsEmbossedAtOnce) {
  HWND page = MakePage(kBackground);
  HWND label = Transparent(page, "Static", "Embossed", SS_LEFT, kLabel, TransparentLabelProc);
  Screen(label);
  EnableWindow(label, FALSE);
  Pixels disabled = Shown(label);  // repainted within WM_ENABLE
  ExpectEmbossed(disabled);
  EnableWindow(label, TRUE);
  Pixels enabled = Shown(label);
  EXPECT_EQ(enabled.Count(Colour(COLOR_BTNSHADOW)), 0);
  EXPECT_GT(enabled.Count(Colour(COLOR_WINDOWTEXT)), 0);
}

// The caption's extent in the page font, as the frame measures it.
SIZE CaptionExtent(const char* text, bool enabled) {
  HDC screen = GetDC(nullptr);
  HFONT font = CreateFontA(-MulDiv(8, GetDeviceCaps(screen, LOGPIXELSY), 72), 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET,
                           0, 0, 0, 0, "MS Sans Serif");
  HGDIOBJ previous = SelectObject(screen, font);
  SIZE size{};
  GetTextExtentPoint32A(screen, text, lstrlenA(text), &size);
  SelectObject(screen, previous);
  DeleteObject(font);
  ReleaseDC(nullptr, screen);
  if (!enabled) ++size.cx, ++size.cy;
  return size;
}

TEST_F(TransparentControlsTest, TheFrameIsEtchedAndBrokenForItsCaption) {
  HWND page = MakePage(kBackground);
  HWND frame = Transparent(page, "Button", "Frame", BS_GROUPBOX, kFrame, TransparentGroupBoxProc, {10, 10, 170, 90});
  for (bool enabled : {true, false}) {
    SCOPED_TRACE(enabled ? "enabled" : "disabled");
    EnableWindow(frame, enabled);
    Pixels shown = Screen(frame);
    SIZE caption = CaptionExtent("Frame", enabled);
    COLORREF shadow = Colour(COLOR_BTNSHADOW), light = Colour(COLOR_BTNHIGHLIGHT);
    int middle = caption.cy / 2, gapLeft = caption.cy / 2, gapRight = gapLeft + caption.cx;
    int right = shown.width, bottom = shown.height;
    EXPECT_EQ(shown.at(0, middle), shadow);
    EXPECT_EQ(shown.at(gapLeft - 1, middle), shadow) << "the top edge reaches the gap";
    EXPECT_EQ(shown.at(1, middle + 1), light);
    int edgeInGap = 0;  // the disabled caption's own ink is the shadow colour: a line would fill the whole gap
    for (int x = gapLeft; x < gapRight; ++x) {
      edgeInGap += shown.at(x, middle) == shadow;
      EXPECT_NE(shown.at(x, middle + 1), light) << "gap at " << x;
    }
    EXPECT_LT(edgeInGap, enabled ? 1 : caption.cx / 2);
    EXPECT_EQ(shown.at(gapRight, middle), shadow) << "the edge resumes after the caption";
    EXPECT_EQ(shown.at(gapRight, middle + 1), light);
    EXPECT_EQ(shown.at(right - 2, middle), shadow);
    EXPECT_EQ(shown.at(right - 1, middle), light);
    EXPECT_EQ(shown.at(right / 2, bottom - 2), shadow);
    EXPECT_EQ(shown.at(right / 2, bottom - 1), light);
    EXPECT_EQ(shown.at(0, bottom / 2), shadow);
    EXPECT_EQ(shown.at(1, bottom / 2), light);
    EXPECT_EQ(shown.at(right / 2, bottom / 2), kBackground) << "the inside is the page's";
    // The caption lies in the gap, in the top band.
    COLORREF ink = enabled ? Colour(COLOR_WINDOWTEXT) : shadow;
    int inkInGap = 0, inkElsewhere = 0;
    for (int y = 0; y < caption.cy; ++y)
      for (int x = 1; x < right - 2; ++x)  // not the side edges
        if (y != middle && shown.at(x, y) == ink) ++(x >= gapLeft && x < gapRight ? inkInGap : inkElsewhere);
    EXPECT_GT(inkInGap, 0);
    EXPECT_EQ(inkElsewhere, 0);
    EXPECT_EQ(shown.Count(Colour(COLOR_BTNFACE)) > 0, !enabled) << "grey only as the embossing's light copy";
  }
}

// The cell of the system's check-box bitmap the control must show.
std::vector<COLORREF> SystemCell(int column, int row) {
  HBITMAP boxes = LoadBitmapA(nullptr, MAKEINTRESOURCEA(OBM_CHECKBOXES));
  BITMAP size{};
  GetObjectA(boxes, sizeof size, &size);
  int width = size.bmWidth / 4, height = size.bmHeight / 3;
  HDC memory = CreateCompatibleDC(nullptr);
  HGDIOBJ previous = SelectObject(memory, boxes);
  std::vector<COLORREF> cell;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) cell.push_back(GetPixel(memory, column * width + x, row * height + y));
  SelectObject(memory, previous);
  DeleteDC(memory);
  DeleteObject(boxes);
  return cell;
}

// The 13 x 13 box at the left of a control, vertically centred.
std::vector<COLORREF> BoxOf(const Pixels& shown) {
  std::vector<COLORREF> box;
  int top = (shown.height - 13) / 2;
  for (int y = top; y < top + 13; ++y)
    for (int x = 0; x < 13; ++x) box.push_back(shown.at(x, y));
  return box;
}

TEST_F(TransparentControlsTest, TheSystemBitmapHasTwelveCells) {
  HBITMAP boxes = LoadBitmapA(nullptr, MAKEINTRESOURCEA(OBM_CHECKBOXES));
  ASSERT_NE(boxes, nullptr);
  BITMAP size{};
  ASSERT_TRUE(GetObjectA(boxes, sizeof size, &size));
  EXPECT_EQ(size.bmWidth, 4 * 13);
  EXPECT_EQ(size.bmHeight, 3 * 13);
  DeleteObject(boxes);
  EXPECT_NE(SystemCell(0, 0), SystemCell(1, 0));
  EXPECT_NE(SystemCell(0, 0), SystemCell(2, 0));
  EXPECT_NE(SystemCell(1, 0), SystemCell(1, 2)) << "the three-state mark differs";
}

TEST_F(TransparentControlsTest, TheCheckBoxDrawsTheSystemCellForItsState) {
  HWND page = MakePage(kBackground);
  struct Case {
    const char* what;
    DWORD type;
    WPARAM check;
    bool enabled;
    int column, row;
  } cases[] = {
      {"unchecked", BS_AUTOCHECKBOX, BST_UNCHECKED, true, 0, 0},
      {"checked", BS_AUTOCHECKBOX, BST_CHECKED, true, 1, 0},
      {"disabled unchecked", BS_AUTOCHECKBOX, BST_UNCHECKED, false, 2, 0},
      {"disabled checked", BS_AUTOCHECKBOX, BST_CHECKED, false, 3, 0},
      {"indeterminate", BS_AUTO3STATE, BST_INDETERMINATE, true, 1, 2},
  };
  int id = 100;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    HWND box = Transparent(page, "Button", "Check", c.type, ++id, TransparentCheckBoxProc);
    Screen(box);
    SendMessageA(box, BM_SETCHECK, c.check, 0);
    EnableWindow(box, c.enabled);
    Pixels shown = Shown(box);  // both repaint at once
    EXPECT_EQ(BoxOf(shown), SystemCell(c.column, c.row));
    EXPECT_GT(shown.Count(kBackground, 13), 0) << "the text over the background";
    if (c.enabled) {
      EXPECT_EQ(shown.Count(Colour(COLOR_BTNFACE), 13), 0);
      EXPECT_GT(shown.Count(Colour(COLOR_WINDOWTEXT), 17), 0);
    } else {
      ExpectEmbossed(shown, 13);
    }
    DestroyWindow(box);
  }
}

TEST_F(TransparentControlsTest, AClickStillTogglesTheCheckBoxAndFocusLeavesItTransparent) {
  HWND page = MakePage(kBackground);
  HWND box = Transparent(page, "Button", "Check", BS_AUTOCHECKBOX, kCheckBox, TransparentCheckBoxProc);
  Screen(box);
  SetFocus(box);
  ASSERT_EQ(GetFocus(), box);
  Pixels focused = Shown(box);
  EXPECT_EQ(focused.Count(Colour(COLOR_BTNFACE), 13), 0) << "focus drawn over the background";
  const COLORREF dotted = RGB(255 - GetRValue(kBackground), 255 - GetGValue(kBackground), 255 - GetBValue(kBackground));
  EXPECT_GT(focused.Count(dotted, 13), 0) << "the focus rectangle around the text";
  SendMessageA(box, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  EXPECT_EQ(BoxOf(Shown(box)), SystemCell(2, 0)) << "pushed";
  SendMessageA(box, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(SendMessageA(box, BM_GETCHECK, 0, 0), BST_CHECKED);
  Pixels shown = Shown(box);
  EXPECT_EQ(BoxOf(shown), SystemCell(1, 0));
  EXPECT_EQ(shown.Count(Colour(COLOR_BTNFACE), 13), 0);
}

TEST_F(TransparentControlsTest, WithoutTheModulesBitmapsTheRadioButtonShowsTheSystemRadio) {
  HWND page = MakePage(kBackground);
  HWND radio = Transparent(page, "Button", "Radio", BS_AUTORADIOBUTTON, kRadio, TransparentRadioButtonProc);
  Screen(radio);
  SendMessageA(radio, BM_SETCHECK, BST_CHECKED, 0);
  Pixels shown = Shown(radio);
  EXPECT_EQ(BoxOf(shown), SystemCell(1, 1));
  EXPECT_EQ(shown.Count(Colour(COLOR_BTNFACE), 13), 0);
  EXPECT_GT(shown.Count(Colour(COLOR_WINDOWTEXT), 17), 0);
}

TEST_F(TransparentControlsTest, TheSeeThroughColourKeepsTheDestination) {
  HDC screen = GetDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 4, 1);
  HDC memory = CreateCompatibleDC(screen);
  HGDIOBJ previous = SelectObject(memory, bitmap);
  const COLORREF pattern[] = {RGB(0, 0, 255), RGB(255, 0, 0), RGB(0, 0, 255), RGB(0, 128, 0)};
  for (int x = 0; x < 4; ++x) SetPixel(memory, x, 0, pattern[x]);
  SelectObject(memory, previous);
  RECT target{0, 0, 8, 4};
  HBRUSH fill = CreateSolidBrush(kOtherBackground);
  FillRect(screen, &target, fill);
  DeleteObject(fill);
  ASSERT_TRUE(DrawTransparentBitmap(screen, bitmap, 2, 1, RGB(0, 0, 255)));
  const COLORREF expected[] = {kOtherBackground, kOtherBackground, kOtherBackground, RGB(255, 0, 0),
                               kOtherBackground, RGB(0, 128, 0),   kOtherBackground, kOtherBackground};
  for (int x = 0; x < 8; ++x) EXPECT_EQ(host::gdi::ScreenPixel(x, 1), expected[x]) << x;
  EXPECT_EQ(host::gdi::ScreenPixel(3, 0), kOtherBackground) << "only the bitmap's rows";
  DeleteDC(memory);
  DeleteObject(bitmap);
  ReleaseDC(nullptr, screen);
  EXPECT_FALSE(DrawTransparentBitmap(nullptr, bitmap, 0, 0, 0));
}

TEST_F(TransparentControlsTest, EachPagesControlsShowTheirOwnPagesBackground) {
  HWND first = MakePage(kBackground);
  HWND second = MakePage(kOtherBackground, 300);
  HWND firstLabel = Transparent(first, "Static", "One", SS_LEFT, kLabel, TransparentLabelProc);
  HWND secondLabel = Transparent(second, "Static", "Two", SS_LEFT, kLabel, TransparentLabelProc);
  Pixels one = Screen(firstLabel), two = Screen(secondLabel);
  EXPECT_GT(one.Count(kBackground), one.width * one.height / 2);
  EXPECT_EQ(one.Count(kOtherBackground), 0);
  EXPECT_GT(two.Count(kOtherBackground), two.width * two.height / 2);
  EXPECT_EQ(two.Count(kBackground), 0);

  // A page that has let go of its background (its WM_DESTROY) leaves its controls on the button face.
  DetachTransparentPage(first);
  InvalidateRect(firstLabel, nullptr, TRUE);
  one = Screen(firstLabel);
  EXPECT_EQ(one.Count(kBackground), 0);
  EXPECT_GT(one.Count(Colour(COLOR_BTNFACE)), one.width * one.height / 2);
}

}  // namespace
}  // namespace page_testing
