// The Colour page as the sheet runs it: the dialog from M_COLOR.DLL's
// template 200 with the page's PROPSHEETPAGE, the sheet's notifications sent
// as WM_NOTIFY, and the sliders moved as their trackbars report it.
#include <commctrl.h>
#include <host/adapter.h>
#include <host/gdi.h>
#include <host/user.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

#include "../../outside/resources/m_color/m_color_ids.h"
#include "clrcpl_fixture.h"
#include "picture_files.h"

namespace clrcpl_test {
namespace {

namespace adapter = host::adapter;

constexpr char kSettingsKey[] = "Software\\Orvane\\Color Control";

// The sheet: remembers what the page tells it.
std::vector<UINT> sheetMessages;
LRESULT CALLBACK SheetProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == PSM_CHANGED || message == PSM_UNCHANGED) sheetMessages.push_back(message);
  return DefWindowProcA(window, message, wParam, lParam);
}

std::vector<WORD> Channel(int channel, double exponent) {
  std::vector<WORD> entries(256);
  for (int i = 0; i < 256; ++i) {
    int z = static_cast<int>(std::pow(i * 0.00392156862745098, exponent) * 255 + 0.5);
    entries[i] = static_cast<WORD>((z > 255 ? 255 : z) << 8);
  }
  (void)channel;
  return entries;
}

std::vector<WORD> DisplayChannel(int channel) {
  std::vector<WORD> ramp = adapter::GammaRamp();
  return std::vector<WORD>(ramp.begin() + channel * 256, ramp.begin() + (channel + 1) * 256);
}

std::optional<LONG> StoredDword(const char* name) {
  StoredText stored = ReadValue(HKEY_LOCAL_MACHINE, kSettingsKey, name);
  if (!stored.present || stored.type != REG_DWORD || stored.bytes.size() != 4) return std::nullopt;
  LONG value;
  memcpy(&value, stored.bytes.data(), 4);
  return value;
}

void StoreDword(const char* name, LONG value) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyA(HKEY_LOCAL_MACHINE, kSettingsKey, &key), ERROR_SUCCESS);
  RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), 4);
  RegCloseKey(key);
}

class ColourPageTest : public ClrcplTest {
 protected:
  void SetUp() override {
    ClrcplTest::SetUp();
    sheetMessages.clear();
    WNDCLASSA sheetClass = {};
    sheetClass.lpfnWndProc = SheetProc;
    sheetClass.hInstance = GetModuleHandleA(nullptr);
    sheetClass.lpszClassName = "ClrcplTestSheet";
    RegisterClassA(&sheetClass);
    sheet_ = CreateWindowExA(0, "ClrcplTestSheet", "Display Properties", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 20, 420,
                             420, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(sheet_, nullptr);
    extension_ = NewExtension();
    ASSERT_NE(extension_, nullptr);
  }
  void TearDown() override {
    if (sheet_) DestroyWindow(sheet_);
    if (extension_) SlotsOf<ExtensionSlots>(extension_).Release(extension_);
    ClrcplTest::TearDown();
  }

  // AddPages, then the page's dialog as the sheet creates it.
  void OpenPage() {
    ASSERT_EQ(SlotsOf<ExtensionSlots>(extension_).AddPages(extension_, AcceptPage, 0), S_OK);
    ASSERT_EQ(StubPages().size(), 1u);
    sheetPage_ = &StubPages()[0]->page;
    page_ = CreateDialogParamA(sheetPage_->hInstance, sheetPage_->pszTemplate, sheet_, sheetPage_->pfnDlgProc,
                               reinterpret_cast<LPARAM>(sheetPage_));
    ASSERT_NE(page_, nullptr);
    SetWindowPos(page_, nullptr, 6, 24, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_SHOWWINDOW);
    sheetMessages.clear();
  }

  HWND Item(int id) const { return GetDlgItem(page_, id); }
  std::string Text(int id) const {
    char text[256] = "";
    GetDlgItemTextA(page_, id, text, sizeof(text));
    return text;
  }
  int Position(int trackbar) const { return static_cast<int>(SendMessageA(Item(trackbar), TBM_GETPOS, 0, 0)); }
  void Scroll(int trackbar, int code, int position = 0) {
    SendMessageA(page_, WM_HSCROLL, MAKEWPARAM(code, position), reinterpret_cast<LPARAM>(Item(trackbar)));
  }
  // The user drags a thumb to `position` and lets go.
  void Drag(int trackbar, int position) {
    Scroll(trackbar, TB_THUMBTRACK, position);
    Scroll(trackbar, TB_THUMBPOSITION, position);
    Scroll(trackbar, TB_ENDTRACK, position);
  }
  void Click(int button) {
    SendMessageA(Item(button), BM_SETCHECK, IsDlgButtonChecked(page_, button) ? BST_UNCHECKED : BST_CHECKED, 0);
    SendMessageA(page_, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(Item(button)));
  }
  // What the dialog procedure answers a notification from `sender`: handled, and DWL_MSGRESULT.
  std::pair<INT_PTR, LRESULT> Notify(UINT code, HWND sender) {
    NMHDR header = {sender, 0, code};
    SetWindowLongA(page_, DWL_MSGRESULT, 12345);
    INT_PTR handled = sheetPage_->pfnDlgProc(page_, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&header));
    return {handled, GetWindowLongA(page_, DWL_MSGRESULT)};
  }
  LRESULT NotifyFromSheet(UINT code) { return Notify(code, sheet_).second; }

  HWND sheet_ = nullptr;
  HWND page_ = nullptr;
  void* extension_ = nullptr;
  PROPSHEETPAGEA* sheetPage_ = nullptr;
};

const std::vector<WORD> kIdentity = Channel(0, 1.0);

TEST_F(ColourPageTest, StartsFromTheStoredSettingsOnTheSliderGrid) {
  struct Case {
    const char* what;
    bool stored;
    int positions[4];
    const char* labels[4];
    bool linked;
    bool resetEnabled;
  } cases[] = {
      {"nothing stored", false, {80, 80, 80, 10}, {"1.00", "1.00", "1.00", "10"}, false, false},
      {"stored settings", true, {60, 80, 120, 4}, {"1.41", "1.00", "0.50", "4"}, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    if (c.stored) {
      // Red 70 converts to 51 and snaps to 50; blue 200 is exponent 2, gamma 0.5.
      const std::pair<const char*, LONG> values[] = {{"Linked", 1},       {"Gamma Red", 70}, {"Gamma Green", 100},
                                                     {"Gamma Blue", 200}, {"Contrast", 4},   {"WPRed", 255},
                                                     {"WPGreen", 224},    {"WPBlue", 181}};
      for (auto& [name, value] : values) StoreDword(name, value);
    }
    OpenPage();
    const int trackbars[] = {IDC_RED, IDC_GREEN, IDC_BLUE, IDC_WHITE};
    const int labels[] = {IDC_RED_VALUE, IDC_GREEN_VALUE, IDC_BLUE_VALUE, IDC_WHITE_VALUE};
    for (int s = 0; s < 4; ++s) {
      EXPECT_EQ(Position(trackbars[s]), c.positions[s]) << s;
      EXPECT_EQ(Text(labels[s]), c.labels[s]) << s;
    }
    EXPECT_EQ(IsDlgButtonChecked(page_, IDC_LINK) == BST_CHECKED, c.linked);
    EXPECT_EQ(IsWindowEnabled(Item(IDC_RESET)) != FALSE, c.resetEnabled);
    EXPECT_EQ(SendMessageA(Item(IDC_WHITE), TBM_GETRANGEMAX, 0, 0), 20);
    EXPECT_EQ(SendMessageA(Item(IDC_RED), TBM_GETRANGEMAX, 0, 0), 160);
    EXPECT_TRUE(sheetMessages.empty()) << "opening changes nothing";
    DestroyWindow(page_);
    ResetStubPages();
  }
}

TEST_F(ColourPageTest, AGammaSliderChangesTheDisplayAtOnce) {
  OpenPage();
  EXPECT_EQ(DisplayChannel(0), kIdentity);
  Scroll(IDC_RED, TB_THUMBTRACK, 0);
  EXPECT_EQ(Text(IDC_RED_VALUE), "4.00");
  EXPECT_EQ(DisplayChannel(0), Channel(0, 0.25)) << "live while the thumb moves";
  EXPECT_EQ(DisplayChannel(1), kIdentity);
  EXPECT_TRUE(sheetMessages.empty()) << "not yet changed while dragging";
  EXPECT_FALSE(IsWindowEnabled(Item(IDC_RESET)));

  Scroll(IDC_RED, TB_ENDTRACK, 0);
  EXPECT_EQ(sheetMessages, std::vector<UINT>{PSM_CHANGED});
  EXPECT_TRUE(IsWindowEnabled(Item(IDC_RESET)));

  Scroll(IDC_BLUE, TB_PAGEDOWN);  // the trackbar moved itself; the page reads where to
  SendMessageA(Item(IDC_BLUE), TBM_SETPOS, TRUE, 160);
  Scroll(IDC_BLUE, TB_BOTTOM);
  EXPECT_EQ(Text(IDC_BLUE_VALUE), "0.25");
  EXPECT_EQ(DisplayChannel(2), Channel(2, 4.0));
}

TEST_F(ColourPageTest, LinkedSlidersMoveTogether) {
  OpenPage();
  Drag(IDC_GREEN, 40);
  Drag(IDC_RED, 100);
  Click(IDC_LINK);
  for (int trackbar : {IDC_RED, IDC_GREEN, IDC_BLUE}) EXPECT_EQ(Position(trackbar), 40) << "green's position for all";
  EXPECT_EQ(Text(IDC_RED_VALUE), "2.00");
  EXPECT_EQ(sheetMessages.back(), static_cast<UINT>(PSM_CHANGED));

  Drag(IDC_BLUE, 120);
  for (int trackbar : {IDC_RED, IDC_GREEN, IDC_BLUE}) EXPECT_EQ(Position(trackbar), 120);
  for (int channel : {0, 1, 2}) EXPECT_EQ(DisplayChannel(channel), Channel(channel, 2.0));
  Drag(IDC_WHITE, 15);
  EXPECT_EQ(Position(IDC_BLUE), 120) << "the white point moves alone";

  Click(IDC_LINK);
  Drag(IDC_RED, 80);
  EXPECT_EQ(Position(IDC_GREEN), 120) << "unlinked again";
}

TEST_F(ColourPageTest, ResetGoesBackToNeutralAndKeepsTheLink) {
  OpenPage();
  Click(IDC_LINK);
  Drag(IDC_RED, 20);
  Drag(IDC_WHITE, 3);
  ASSERT_TRUE(IsWindowEnabled(Item(IDC_RESET)));
  sheetMessages.clear();
  SendMessageA(page_, WM_COMMAND, MAKEWPARAM(IDC_RESET, BN_CLICKED), reinterpret_cast<LPARAM>(Item(IDC_RESET)));
  for (int trackbar : {IDC_RED, IDC_GREEN, IDC_BLUE}) EXPECT_EQ(Position(trackbar), 80);
  EXPECT_EQ(Position(IDC_WHITE), 10);
  EXPECT_EQ(Text(IDC_WHITE_VALUE), "10");
  EXPECT_FALSE(IsWindowEnabled(Item(IDC_RESET))) << "nothing left to reset";
  EXPECT_EQ(IsDlgButtonChecked(page_, IDC_LINK), static_cast<UINT>(BST_CHECKED));
  EXPECT_EQ(sheetMessages, std::vector<UINT>{PSM_CHANGED});
  for (int channel : {0, 1, 2}) EXPECT_EQ(DisplayChannel(channel), kIdentity);
}

TEST_F(ColourPageTest, ApplyStoresTheSettingsAndCancelRestoresTheAppliedRamp) {
  OpenPage();
  Drag(IDC_RED, 0);
  EXPECT_EQ(NotifyFromSheet(PSN_APPLY), PSNRET_NOERROR);
  EXPECT_EQ(StoredDword("Gamma Red"), 25);
  EXPECT_EQ(StoredDword("Gamma Green"), 100);
  EXPECT_EQ(StoredDword("Contrast"), 10);
  EXPECT_EQ(StoredDword("WPBlue"), 255);
  const std::vector<WORD> applied = DisplayChannel(0);
  EXPECT_EQ(applied, Channel(0, 0.25));

  Drag(IDC_RED, 160);
  Drag(IDC_GREEN, 0);
  EXPECT_NE(DisplayChannel(0), applied);
  EXPECT_EQ(NotifyFromSheet(PSN_RESET), 0);
  EXPECT_EQ(DisplayChannel(0), applied) << "back to what was applied";
  EXPECT_EQ(DisplayChannel(1), kIdentity);
  EXPECT_EQ(StoredDword("Gamma Red"), 25) << "cancel leaves the registry";
}

TEST_F(ColourPageTest, CancelWithoutApplyLeavesTheRegistryAlone) {
  const std::vector<WORD> before = adapter::GammaRamp();
  OpenPage();
  Drag(IDC_GREEN, 10);
  NotifyFromSheet(PSN_RESET);
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kSettingsKey));
  EXPECT_EQ(adapter::GammaRamp(), before) << "the display's ramp from before the page";
}

TEST_F(ColourPageTest, WithoutGammaSupportTheControlsAreOffAndTheTextIsRed) {
  adapter::SetGammaMode(adapter::GammaMode::EightBit);
  const std::vector<WORD> before = adapter::GammaRamp();
  OpenPage();
  EXPECT_EQ(Item(IDC_PREVIEW), nullptr);
  ASSERT_NE(Item(205), nullptr) << "the preview took the text's id";
  char expected[256];
  LoadStringA(sheetPage_->hInstance, IDS_NO_GAMMA, expected, sizeof(expected));
  EXPECT_EQ(Text(205), expected);
  for (int id : {210, 217, 218, 219, 211, 212, 213, 214, 215, 216, 221, 222, 220, 223, 224, 234})
    EXPECT_FALSE(IsWindowEnabled(Item(id))) << id;

  HDC dc = GetDC(page_);
  HBRUSH brush = reinterpret_cast<HBRUSH>(
      SendMessageA(page_, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(Item(205))));
  EXPECT_NE(brush, nullptr);
  EXPECT_EQ(GetTextColor(dc), RGB(255, 0, 0));
  SetTextColor(dc, RGB(0, 0, 0));
  EXPECT_EQ(SendMessageA(page_, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                         reinterpret_cast<LPARAM>(Item(IDC_RED_NAME))),
            0)
      << "other labels keep the default colours";
  EXPECT_EQ(GetTextColor(dc), RGB(0, 0, 0));
  ReleaseDC(page_, dc);

  Drag(IDC_RED, 0);
  EXPECT_EQ(adapter::GammaRamp(), before) << "never handed to the display";
  EXPECT_EQ(NotifyFromSheet(PSN_APPLY), PSNRET_NOERROR);
  EXPECT_EQ(StoredDword("Gamma Red"), 25) << "Apply still saves";
  EXPECT_EQ(adapter::GammaRamp(), before);
}

TEST_F(ColourPageTest, AnswersOnlyTheSheetsNotifications) {
  OpenPage();
  HWND stranger = CreateWindowExA(0, "ClrcplTestSheet", "", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
  struct Case {
    const char* what;
    UINT code;
    HWND sender;
    INT_PTR handled;
    LRESULT result;
  } cases[] = {
      {"activation", PSN_SETACTIVE, sheet_, TRUE, 0},
      {"leaving, from the page itself", PSN_KILLACTIVE, page_, TRUE, FALSE},
      {"apply", PSN_APPLY, sheet_, TRUE, PSNRET_NOERROR},
      {"help", PSN_HELP, sheet_, TRUE, 0},
      {"cancel asked", PSN_QUERYCANCEL, sheet_, TRUE, FALSE},
      {"cancel", PSN_RESET, sheet_, TRUE, 0},
      {"a wizard's notification", PSN_WIZNEXT, sheet_, FALSE, 12345},
      {"another window's", PSN_SETACTIVE, stranger, FALSE, 12345},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto [handled, result] = Notify(c.code, c.sender);
    EXPECT_EQ(handled, c.handled);
    EXPECT_EQ(result, c.result);
  }
  DestroyWindow(stranger);
}

TEST_F(ColourPageTest, HelpUsesTheModulesHelpFileAndTable) {
  OpenPage();
  host::user::ClearRecords();
  const int kHelpOnWindow = 1;  // HELPINFO_WINDOW
  HWND red = Item(IDC_RED), blue = Item(IDC_BLUE);
  HELPINFO info = {sizeof(HELPINFO), kHelpOnWindow, IDC_RED, red, 0, {0, 0}};
  EXPECT_EQ(sheetPage_->pfnDlgProc(page_, WM_HELP, 0, reinterpret_cast<LPARAM>(&info)), TRUE);
  SendMessageA(page_, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(blue), MAKELPARAM(40, 50));
  HWND page = page_;
  DestroyWindow(page_);
  std::vector<host::user::HelpRequest> requests = host::user::HelpRequests();
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_EQ(requests[0].window, red) << "the control asked about";
  EXPECT_EQ(requests[0].command, static_cast<UINT>(HELP_WM_HELP));
  EXPECT_EQ(requests[1].window, blue);
  EXPECT_EQ(requests[1].command, static_cast<UINT>(HELP_CONTEXTMENU));
  EXPECT_EQ(requests[2].window, page);
  EXPECT_EQ(requests[2].command, static_cast<UINT>(HELP_QUIT));
  for (const auto& request : requests) EXPECT_EQ(request.file, "C:\\WINDOWS\\SYSTEM\\CLRCPL.HLP");

  const DWORD* table = reinterpret_cast<const DWORD*>(requests[0].data);
  EXPECT_EQ(requests[1].data, requests[0].data);
  EXPECT_EQ(table[0], 201u);
  EXPECT_EQ(table[1], 0x80C800C9u);
  int pairs = 0;
  for (; table[2 * pairs] != 0; ++pairs) EXPECT_EQ(table[2 * pairs + 1] & 0xFFFF0000u, 0x80C80000u);
  EXPECT_EQ(pairs, 19);
  EXPECT_EQ(table[2 * pairs + 1], 0u);
}

TEST_F(ColourPageTest, ErasesWithTheBackgroundOnlyWhenThereIsOne) {
  for (bool picture : {false, true}) {
    SCOPED_TRACE(picture ? "with ovxbkgnd.bmp" : "without a picture");
    if (picture) {
      page_testing::PictureLayout layout;
      layout.colours = page_testing::SampleColours(16);
      WriteStationFile("C:\\WINDOWS\\ovxbkgnd.bmp", page_testing::PictureFile(layout));
    }
    OpenPage();
    HDC dc = GetDC(page_);
    EXPECT_EQ(sheetPage_->pfnDlgProc(page_, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0), picture ? TRUE : FALSE)
        << "without a picture the dialog's own erase applies";
    ReleaseDC(page_, dc);
    DestroyWindow(page_);
    ResetStubPages();
  }
}

// Over a one-colour picture: the labels, frames and the link box show it around their text, and keep their texts.
class TransparentControlsTest : public ColourPageTest {
 protected:
  static constexpr COLORREF kPicture = RGB(40, 90, 160);
  static constexpr int kLabels[] = {212, 214, 216, 223, 224, 217, 218, 1020, 1021, 1023};
  static constexpr int kFrames[] = {210, 220, 1018};

  void SetUp() override {
    ColourPageTest::SetUp();
    adapter::Config config = adapter::CurrentConfig();
    config.bitsPerPixel = 32;  // colours exactly as drawn
    ASSERT_TRUE(adapter::Configure(config));
    SetWindowPos(sheet_, nullptr, 0, 0, 640, 560, SWP_NOMOVE | SWP_NOZORDER);  // the whole page on the screen
  }
  void UsePicture() {
    page_testing::PictureLayout layout;  // 24 bits: no colour table to re-tint
    layout.width = 1;
    layout.height = 1;
    layout.bitCount = 24;
    layout.bits = {GetBValue(kPicture), GetGValue(kPicture), GetRValue(kPicture), 0};
    WriteStationFile("C:\\WINDOWS\\ovxbkgnd.bmp", page_testing::PictureFile(layout));
  }
  // Paints the whole sheet anew, as Shown expects.
  void DrawSheet() {
    RedrawWindow(sheet_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    host::user::PumpMessages();
  }
  // The screen under a control from column `fromX` on, top `rows` rows (all when 0), once DrawSheet drew it.
  std::vector<COLORREF> Shown(int id, int fromX = 0, int rows = 0) {
    RECT r;
    GetWindowRect(Item(id), &r);
    r.left += fromX;
    if (rows) r.bottom = r.top + rows;
    return host::gdi::ScreenPixels(r);
  }
  static int Count(const std::vector<COLORREF>& pixels, COLORREF colour) {
    return static_cast<int>(std::count(pixels.begin(), pixels.end(), colour));
  }
  bool Subclassed(int id) {
    return GetWindowLongA(Item(id), GWL_WNDPROC) != static_cast<LONG>(GetClassLongA(Item(id), GCL_WNDPROC));
  }
};

TEST_F(TransparentControlsTest, OnlyAPictureMakesTheControlsTransparent) {
  for (bool picture : {false, true}) {
    SCOPED_TRACE(picture ? "with ovxbkgnd.bmp" : "without a picture");
    if (picture) UsePicture();
    OpenPage();
    DrawSheet();
    for (int id : kLabels) {
      SCOPED_TRACE(id);
      EXPECT_EQ(Subclassed(id), picture);
      std::vector<COLORREF> shown = Shown(id);
      EXPECT_EQ(Count(shown, GetSysColor(COLOR_BTNFACE)) == 0, picture) << "a grey box only without the picture";
      EXPECT_EQ(Count(shown, kPicture) > 0, picture);
      EXPECT_GT(Count(shown, GetSysColor(COLOR_WINDOWTEXT)), 0) << "the text is drawn";
    }
    for (int id : kFrames) {
      SCOPED_TRACE(id);
      EXPECT_EQ(Subclassed(id), picture);
      std::vector<COLORREF> band = Shown(id, 0, 8);  // the caption's band; below it lie the controls it holds
      EXPECT_EQ(Count(band, GetSysColor(COLOR_BTNFACE)) == 0, picture);
      EXPECT_EQ(Count(band, kPicture) > 0, picture);
    }
    EXPECT_EQ(Subclassed(IDC_LINK), picture);
    std::vector<COLORREF> linkText = Shown(IDC_LINK, 13);  // right of the box
    EXPECT_EQ(Count(linkText, GetSysColor(COLOR_BTNFACE)) == 0, picture);
    EXPECT_EQ(Count(linkText, kPicture) > 0, picture);
    EXPECT_EQ(Subclassed(IDC_RESET_TEXT), false) << "233 is none of the fourteen";
    DestroyWindow(page_);
    ResetStubPages();
  }
}

TEST_F(TransparentControlsTest, TheTransparentControlsKeepWorking) {
  UsePicture();
  OpenPage();
  Scroll(IDC_RED, TB_THUMBTRACK, 0);
  EXPECT_EQ(Text(IDC_RED_VALUE), "4.00") << "the value labels take the page's texts";
  EXPECT_EQ(Text(IDC_RED_NAME), "&Red:") << "the template's text was taken over";

  // Each keeps up to 254 characters.
  std::string longest(254, 'w');
  EXPECT_TRUE(SetDlgItemTextA(page_, IDC_WARMER, longest.c_str()));
  EXPECT_EQ(Text(IDC_WARMER), longest);
  EXPECT_FALSE(SetDlgItemTextA(page_, IDC_WARMER, (longest + "w").c_str()));
  EXPECT_EQ(Text(IDC_WARMER), longest) << "a longer text changes nothing";

  // The link box still toggles on a click and links the sliders.
  RECT box;
  GetClientRect(Item(IDC_LINK), &box);
  LPARAM inside = MAKELPARAM(5, box.bottom / 2);
  SendMessageA(Item(IDC_LINK), WM_LBUTTONDOWN, MK_LBUTTON, inside);
  SendMessageA(Item(IDC_LINK), WM_LBUTTONUP, 0, inside);
  EXPECT_EQ(IsDlgButtonChecked(page_, IDC_LINK), static_cast<UINT>(BST_CHECKED));
  EXPECT_EQ(Position(IDC_GREEN), Position(IDC_RED)) << "linked";
  DrawSheet();
  EXPECT_EQ(Count(Shown(IDC_LINK, 13), GetSysColor(COLOR_BTNFACE)), 0);
}

TEST_F(TransparentControlsTest, WithoutGammaSupportTheirTextsAreEmbossed) {
  adapter::SetGammaMode(adapter::GammaMode::EightBit);
  UsePicture();
  OpenPage();
  DrawSheet();
  for (int id : {IDC_DARKER, IDC_GAMMA_FRAME}) {
    SCOPED_TRACE(id);
    std::vector<COLORREF> shown = Shown(id, 0, id == IDC_GAMMA_FRAME ? 8 : 0);
    EXPECT_EQ(Count(shown, GetSysColor(COLOR_WINDOWTEXT)), 0);
    EXPECT_GT(Count(shown, GetSysColor(COLOR_BTNSHADOW)), 0);
    EXPECT_GT(Count(shown, GetSysColor(COLOR_3DLIGHT)), 0);
  }
}

// The preview's pixels: face-coloured ground, the curves in their channel colours.
class PreviewTest : public ColourPageTest {
 protected:
  void Paint() { RedrawWindow(sheet_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW); }
  COLORREF Pixel(int x, int y) {
    HDC dc = GetDC(Item(IDC_PREVIEW));
    COLORREF colour = GetPixel(dc, x, y);
    ReleaseDC(Item(IDC_PREVIEW), dc);
    return colour;
  }
  // Where entry i of a channel with `exponent` lands in the client area.
  POINT CurvePoint(int i, double exponent) {
    RECT client;
    GetClientRect(Item(IDC_PREVIEW), &client);
    int value = Channel(0, exponent)[i] >> 8;
    return {1 + i * (client.right - 2) / 255, client.bottom - 1 - value * (client.bottom - 2) / 255};
  }
  bool NearPixel(POINT at, COLORREF colour) {
    for (int dy = -1; dy <= 1; ++dy)
      if (Pixel(at.x, at.y + dy) == colour) return true;
    return false;
  }
};

TEST_F(PreviewTest, DrawsTheWorkingRampsCurves) {
  OpenPage();
  Paint();
  RECT client;
  GetClientRect(Item(IDC_PREVIEW), &client);
  EXPECT_EQ(Pixel(client.right / 4, client.bottom / 4), GetSysColor(COLOR_BTNFACE)) << "the ground";
  EXPECT_TRUE(NearPixel(CurvePoint(128, 1.0), RGB(0, 0, 255))) << "three identical curves, blue drawn last";

  Drag(IDC_RED, 0);
  Paint();
  EXPECT_TRUE(NearPixel(CurvePoint(128, 0.25), RGB(255, 0, 0))) << "red follows its slider";
  EXPECT_TRUE(NearPixel(CurvePoint(128, 1.0), RGB(0, 0, 255)));
  EXPECT_FALSE(NearPixel(CurvePoint(128, 1.0), RGB(255, 0, 0))) << "red has left the diagonal";
}

TEST_F(ColourPageTest, ASecondInitialisationIsReportedAndThePageCarriesOn) {
  OpenPage();
  host::user::ScriptAnswerMessageBox(IDOK);
  EXPECT_EQ(SendMessageA(page_, WM_INITDIALOG, 0, reinterpret_cast<LPARAM>(sheetPage_)), TRUE);
  std::vector<host::user::MessageBoxRecord> boxes = host::user::MessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "DWL_USER not NULL");
  EXPECT_EQ(boxes[0].caption, "Debug");
  EXPECT_EQ(boxes[0].type, static_cast<UINT>(MB_OK));
  Drag(IDC_RED, 0);
  EXPECT_EQ(DisplayChannel(0), Channel(0, 0.25));
  RedrawWindow(Item(IDC_PREVIEW), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  DestroyWindow(page_);
}

}  // namespace
}  // namespace clrcpl_test
