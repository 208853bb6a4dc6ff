// USER's objects made from resources: the system's icons, cursors and
// bitmaps, menus from a module's template, images from files, and drawing
// an icon through its mask.
#include "dialog_module/dialog_ids.h"
#include "user_test_support.h"

namespace host::user::testing {
namespace {

using UserResources = UserTest;

TEST_F(UserResources, TheSystemsImagesAreThereForANullInstance) {
  for (LPCSTR id : {IDI_APPLICATION, IDI_HAND, IDI_QUESTION, IDI_EXCLAMATION, IDI_ASTERISK, IDI_WINLOGO}) {
    SCOPED_TRACE(reinterpret_cast<ULONG_PTR>(id));
    EXPECT_NE(LoadIconA(nullptr, id), nullptr);
  }
  for (LPCSTR id : {IDC_ARROW, IDC_IBEAM, IDC_WAIT, IDC_CROSS, IDC_UPARROW, IDC_SIZENWSE, IDC_SIZENESW, IDC_SIZEWE,
                    IDC_SIZENS, IDC_SIZEALL, IDC_NO, IDC_APPSTARTING, IDC_HELP}) {
    SCOPED_TRACE(reinterpret_cast<ULONG_PTR>(id));
    EXPECT_NE(LoadCursorA(nullptr, id), nullptr);
  }
  for (int id : {OBM_CLOSE, OBM_UPARROW, OBM_DNARROW, OBM_LFARROW, OBM_RGARROW, OBM_COMBO, OBM_CHECK}) {
    SCOPED_TRACE(id);
    HBITMAP bitmap = LoadBitmapA(nullptr, MAKEINTRESOURCEA(id));
    ASSERT_NE(bitmap, nullptr);
    BITMAP info{};
    ASSERT_EQ(GetObjectA(bitmap, sizeof info, &info), static_cast<int>(sizeof info));
    EXPECT_EQ(info.bmWidth, 16);
    EXPECT_EQ(info.bmHeight, 16);
    DeleteObject(bitmap);
  }
  EXPECT_EQ(LoadIconA(nullptr, MAKEINTRESOURCEA(1)), nullptr);
  EXPECT_EQ(LoadIconA(nullptr, nullptr), nullptr);
}

TEST_F(UserResources, LoadedIconsAndCursorsAreSharedAndOutliveDestroy) {
  HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
  EXPECT_EQ(LoadCursorA(nullptr, IDC_ARROW), arrow);
  EXPECT_NE(LoadCursorA(nullptr, IDC_IBEAM), arrow);
  EXPECT_TRUE(DestroyCursor(arrow));
  EXPECT_EQ(LoadCursorA(nullptr, IDC_ARROW), arrow);
  // LoadImageA without LR_SHARED makes a copy of its own, which DestroyIcon ends.
  HANDLE own = LoadImageA(nullptr, IDI_APPLICATION, IMAGE_ICON, 0, 0, LR_DEFAULTSIZE);
  ASSERT_NE(own, nullptr);
  EXPECT_NE(own, LoadIconA(nullptr, IDI_APPLICATION));
  EXPECT_TRUE(DestroyIcon(static_cast<HICON>(own)));
  EXPECT_FALSE(DestroyIcon(static_cast<HICON>(own)));
}

TEST_F(UserResources, DrawIconKeepsWhatIsBelowItsTransparentPixels) {
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), 32, -32, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP surface = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, surface);
  RECT all{0, 0, 32, 32};
  HBRUSH green = CreateSolidBrush(RGB(0, 128, 0));
  FillRect(dc, &all, green);
  ASSERT_TRUE(DrawIcon(dc, 0, 0, LoadIconA(nullptr, IDI_APPLICATION)));
  // The application icon: a black-framed white window with a blue title, on nothing.
  EXPECT_EQ(GetPixel(dc, 0, 0), RGB(0, 128, 0));
  EXPECT_EQ(GetPixel(dc, 2, 4), RGB(0, 0, 0));
  EXPECT_EQ(GetPixel(dc, 10, 6), RGB(0, 0, 128));
  EXPECT_EQ(GetPixel(dc, 10, 20), RGB(255, 255, 255));
  EXPECT_FALSE(DrawIcon(dc, 0, 0, reinterpret_cast<HICON>(0x1234)));
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(surface);
  DeleteObject(green);
}

TEST_F(UserResources, IconInfoHandsOutCopiesOfTheBitmaps) {
  HICON icon = LoadIconA(nullptr, IDI_APPLICATION);
  ICONINFO info{};
  ASSERT_TRUE(GetIconInfo(icon, &info));
  EXPECT_TRUE(info.fIcon);
  BITMAP mask{};
  ASSERT_EQ(GetObjectA(info.hbmMask, sizeof mask, &mask), static_cast<int>(sizeof mask));
  EXPECT_EQ(mask.bmWidth, GetSystemMetrics(SM_CXICON));
  EXPECT_EQ(mask.bmBitsPixel, 1);
  ASSERT_NE(info.hbmColor, nullptr);
  // The caller's to delete; the icon keeps its own.
  EXPECT_TRUE(DeleteObject(info.hbmMask));
  EXPECT_TRUE(DeleteObject(info.hbmColor));
  ICONINFO again{};
  ASSERT_TRUE(GetIconInfo(icon, &again));
  EXPECT_TRUE(DeleteObject(again.hbmMask));
  EXPECT_TRUE(DeleteObject(again.hbmColor));
  EXPECT_FALSE(GetIconInfo(reinterpret_cast<HICON>(0x1234), &info));
  EXPECT_FALSE(GetIconInfo(icon, nullptr));
}

TEST_F(UserResources, MenusComeFromTheirModulesTemplate) {
  HMODULE module = LoadLibraryA("DLGTEST.DLL");
  ASSERT_NE(module, nullptr);
  HMENU menu = LoadMenuA(module, MAKEINTRESOURCEA(IDM_SETTINGS));
  ASSERT_NE(menu, nullptr);
  ASSERT_EQ(GetMenuItemCount(menu), 2);
  HMENU file = GetSubMenu(menu, 0);
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(GetMenuItemCount(file), 3);
  char text[32];
  GetMenuStringA(file, IDM_FILE_OPEN, text, sizeof text, MF_BYCOMMAND);
  EXPECT_STREQ(text, "&Open...");
  EXPECT_TRUE(GetMenuState(file, 1, MF_BYPOSITION) & MF_SEPARATOR);
  EXPECT_TRUE(GetMenuState(file, IDM_FILE_EXIT, MF_BYCOMMAND) & MF_GRAYED);
  EXPECT_TRUE(GetMenuState(menu, IDM_VIEW_ZOOM, MF_BYCOMMAND) & MF_CHECKED);
  DestroyMenu(menu);
  EXPECT_EQ(LoadMenuA(module, MAKEINTRESOURCEA(999)), nullptr);
}

// A 2 x 1 24-bit .bmp file: a red and a blue pixel.
std::string TinyBitmapFile() {
  std::string file(14 + 40 + 8, 0);
  auto put32 = [&](size_t at, DWORD v) {
    for (int i = 0; i < 4; ++i) file[at + i] = static_cast<char>(v >> (8 * i));
  };
  file[0] = 'B';
  file[1] = 'M';
  put32(2, static_cast<DWORD>(file.size()));
  put32(10, 54);
  put32(14, 40);
  put32(18, 2);
  put32(22, 1);
  file[26] = 1;
  file[28] = 24;
  file.replace(54, 6, "\x00\x00\xFF\xFF\x00\x00", 6);  // blue, green, red per pixel
  return file;
}

TEST_F(UserResources, LoadImageReadsBitmapFilesAndRefusesDamagedOnes) {
  std::string good = TinyBitmapFile();
  WriteStationFile("C:\\tiny.bmp", good);
  HANDLE image = LoadImageA(nullptr, "C:\\tiny.bmp", IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE);
  ASSERT_NE(image, nullptr);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, image);
  EXPECT_EQ(GetPixel(dc, 0, 0), RGB(255, 0, 0));
  EXPECT_EQ(GetPixel(dc, 1, 0), RGB(0, 0, 255));
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(image);

  struct Case {
    const char* name;
    size_t keep;  // bytes of the good file
    DWORD error;
  };
  const Case cases[] = {
      {"bits cut short", good.size() - 2, ERROR_INVALID_DATA},
      {"header cut short", 30, ERROR_INVALID_DATA},
      {"empty", 0, ERROR_INVALID_DATA},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    WriteStationFile("C:\\bad.bmp", good.substr(0, c.keep));
    SetLastError(0);
    EXPECT_EQ(LoadImageA(nullptr, "C:\\bad.bmp", IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE), nullptr);
    EXPECT_EQ(GetLastError(), c.error);
  }
  SetLastError(0);
  EXPECT_EQ(LoadImageA(nullptr, "C:\\none.bmp", IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

}  // namespace
}  // namespace host::user::testing
