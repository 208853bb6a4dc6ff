// The shell's desktop: the window chain other programs look for, icon
// positions read and set from another process through a shared block, the
// 16-bit packing of LVM_SETITEMPOSITION, icons brought back inside after a
// display change, and the icons on the screen.
#include <commctrl.h>
#include <host/gdi.h>
#include <host/shell.h>
#include <host/user.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "kernel/process_table.h"
#include "user/tests/user_test_support.h"

namespace {

using host::shell::DesktopIcons;
using host::shell::DesktopListView;

std::string ClassOf(HWND hwnd) {
  char name[64] = "";
  GetClassNameA(hwnd, name, sizeof name);
  return name;
}

// "name x,y" per icon.
std::vector<std::string> Layout() {
  std::vector<std::string> lines;
  for (const auto& icon : DesktopIcons())
    lines.push_back(icon.name + " " + std::to_string(icon.position.x) + "," + std::to_string(icon.position.y));
  return lines;
}

// Runs `body` on the thread of a new hosted process and waits for it to end.
void RunInOtherProcess(std::function<void()> body) {
  auto process = host::kernel::NewProcess("C:\\KEEPER.EXE", "C:\\KEEPER.EXE");
  HANDLE handle = host::kernel::NewProcessHandle(process);
  host::kernel::StartThread(
      process,
      [body] {
        body();
        return DWORD{0};
      },
      false);
  EXPECT_EQ(WaitForSingleObject(handle, 10000), WAIT_OBJECT_0);
  CloseHandle(handle);
}

bool ChangeDisplay(int width, int height) {
  DEVMODEA mode{};
  mode.dmSize = sizeof mode;
  mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
  mode.dmPelsWidth = width;
  mode.dmPelsHeight = height;
  return ChangeDisplaySettingsA(&mode, 0) == DISP_CHANGE_SUCCESSFUL;
}

class Desktop : public host::user::testing::UserTest {
 protected:
  void SetUp() override {
    UserTest::SetUp();
    ASSERT_NE(host::shell::StartShell(), nullptr);
    list_ = DesktopListView();
    ASSERT_NE(list_, nullptr);
  }

  BOOL SetPosition(int index, int x, int y) {
    return static_cast<BOOL>(SendMessageA(list_, LVM_SETITEMPOSITION, index, MAKELPARAM(x, y)));
  }

  HWND list_ = nullptr;
};

class DesktopWithoutShell : public host::testing::StationTest {};

TEST_F(DesktopWithoutShell, ThereIsNoDesktopUntilTheShellStarts) {
  EXPECT_EQ(FindWindowA("Progman", nullptr), nullptr);
  EXPECT_EQ(DesktopListView(), nullptr);
  EXPECT_TRUE(DesktopIcons().empty());
}

TEST_F(Desktop, ProgramManagerHoldsTheViewThatHoldsTheIcons) {
  HWND progman = FindWindowA("Progman", "Program Manager");
  ASSERT_NE(progman, nullptr);
  HWND view = GetWindow(progman, GW_CHILD);
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(ClassOf(view), "SHELLDLL_DefView");
  HWND list = GetWindow(view, GW_CHILD);
  EXPECT_EQ(ClassOf(list), "SysListView32");
  EXPECT_EQ(list, list_);
  // The shell's thread owns it, not the caller's.
  EXPECT_EQ(GetWindowThreadProcessId(progman, nullptr),
            GetWindowThreadProcessId(host::shell::TaskBarWindow(), nullptr));
  EXPECT_NE(GetWindowThreadProcessId(progman, nullptr), GetCurrentThreadId());
  RECT rect;
  GetWindowRect(progman, &rect);
  EXPECT_EQ(rect.right - rect.left, GetSystemMetrics(SM_CXSCREEN));
  EXPECT_EQ(rect.bottom - rect.top, GetSystemMetrics(SM_CYSCREEN));
  EXPECT_TRUE(IsWindowVisible(progman));
}

TEST_F(Desktop, StaysUnderEveryOtherWindow) {
  HWND progman = FindWindowA("Progman", "Program Manager");
  HWND window = Make("window", WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(GetWindow(progman, GW_HWNDNEXT), nullptr) << "bottom of the z-order";
  SetWindowPos(progman, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  EXPECT_EQ(GetWindow(progman, GW_HWNDNEXT), nullptr) << "not even brought to the top";
  DestroyWindow(window);
  EXPECT_EQ(GetWindow(progman, GW_HWNDNEXT), nullptr);
}

TEST_F(Desktop, StartsWithTheStandardIconsInTheLeftColumn) {
  int cy = GetSystemMetrics(SM_CYICONSPACING);
  EXPECT_EQ(Layout(), (std::vector<std::string>{"My Computer 0,0", "Network Neighborhood 0," + std::to_string(cy),
                                                "Recycle Bin 0," + std::to_string(2 * cy)}));
  RECT client, work;
  GetClientRect(list_, &client);
  ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0));
  EXPECT_EQ(client.bottom, work.bottom - work.top) << "the view leaves the task bar alone";
}

// What a program of its own does: find the view, ask the count, let the view
// write each position into a named shared block, then put positions back.
TEST_F(Desktop, AnotherProcessReadsPositionsIntoASharedBlockAndSetsThem) {
  ASSERT_TRUE(SetPosition(2, 300, 200));
  int count = -1;
  std::vector<POINT> read;
  BOOL wrote = FALSE, moved = FALSE;
  RunInOtherProcess([&] {
    HWND list = GetWindow(GetWindow(FindWindowA("Progman", "Program Manager"), GW_CHILD), GW_CHILD);
    count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    HANDLE block =
        CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 8 * count, "DeskIconPosMapFile");
    auto* points = static_cast<POINT*>(MapViewOfFile(block, FILE_MAP_WRITE, 0, 0, 0));
    if (!points) return;
    wrote = TRUE;
    for (int i = 0; i < count; ++i)
      wrote &= static_cast<BOOL>(SendMessageA(list, LVM_GETITEMPOSITION, i, reinterpret_cast<LPARAM>(&points[i])));
    read.assign(points, points + count);
    moved = static_cast<BOOL>(SendMessageA(list, LVM_SETITEMPOSITION, 0, MAKELPARAM(150, 75)));
    UnmapViewOfFile(points);
    CloseHandle(block);
  });
  ASSERT_EQ(count, 3);
  EXPECT_TRUE(wrote);
  ASSERT_EQ(read.size(), 3u);
  int cy = GetSystemMetrics(SM_CYICONSPACING);
  EXPECT_EQ(read[0].x, 0);
  EXPECT_EQ(read[1].y, cy);
  EXPECT_EQ(read[2].x, 300);
  EXPECT_EQ(read[2].y, 200);
  EXPECT_TRUE(moved);
  EXPECT_EQ(Layout()[0], "My Computer 150,75");
}

TEST_F(Desktop, SetPositionTakesSignedSixteenBitHalves) {
  struct Case {
    int x, y;
    LONG readX, readY;
  } cases[] = {
      {120, 340, 120, 340},
      {-20, -5, -20, -5},  // sign-extended, as the shell reads them
      {32767, 0, 32767, 0},
      {0x18000, 10, -32768, 10},  // only the low 16 bits travel
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.x) + "," + std::to_string(c.y));
    ASSERT_TRUE(SetPosition(1, c.x, c.y));
    POINT pt{};
    ASSERT_TRUE(SendMessageA(list_, LVM_GETITEMPOSITION, 1, reinterpret_cast<LPARAM>(&pt)));
    EXPECT_EQ(pt.x, c.readX);
    EXPECT_EQ(pt.y, c.readY);
  }
}

TEST_F(Desktop, RefusesBadIndexesAndMissingPointersAndKeepsTheLayout) {
  std::vector<std::string> before = Layout();
  POINT pt{-1, -1};
  EXPECT_FALSE(SendMessageA(list_, LVM_GETITEMPOSITION, 3, reinterpret_cast<LPARAM>(&pt)));
  EXPECT_EQ(pt.x, -1) << "nothing written for a missing icon";
  EXPECT_FALSE(SendMessageA(list_, LVM_GETITEMPOSITION, 0, 0));
  EXPECT_FALSE(SetPosition(-1, 10, 10));
  EXPECT_FALSE(SetPosition(3, 10, 10));
  EXPECT_EQ(Layout(), before);
}

TEST_F(Desktop, ASmallerDisplayBringsOutsideIconsToTheFirstFreeCells) {
  int cx = GetSystemMetrics(SM_CXICONSPACING), cy = GetSystemMetrics(SM_CYICONSPACING);
  ASSERT_TRUE(SetPosition(0, 900, 650));  // off an 800 x 600 screen
  ASSERT_TRUE(SetPosition(1, 0, 0));      // takes the first cell
  ASSERT_TRUE(SetPosition(2, 400, 520));  // its cell crosses the new work area's bottom
  ASSERT_TRUE(ChangeDisplay(800, 600));
  RECT client, progman;
  GetClientRect(list_, &client);
  GetWindowRect(FindWindowA("Progman", nullptr), &progman);
  EXPECT_EQ(progman.right, 800);
  EXPECT_EQ(progman.bottom, 600);
  RECT work;
  ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0));
  EXPECT_EQ(client.bottom, work.bottom);
  EXPECT_EQ(Layout(), (std::vector<std::string>{"My Computer 0," + std::to_string(cy), "Network Neighborhood 0,0",
                                                "Recycle Bin 0," + std::to_string(2 * cy)}));
  // Icons that fit stay where they are, and a larger screen moves nothing.
  ASSERT_TRUE(SetPosition(2, 3 * cx, 100));
  ASSERT_TRUE(ChangeDisplay(1024, 768));
  EXPECT_EQ(Layout()[2], "Recycle Bin " + std::to_string(3 * cx) + ",100");
}

TEST_F(Desktop, DrawsTheIconsOnTheDesktopColour) {
  RECT icon{0, 0, 0, 0};
  icon.left = LVIR_ICON;
  ASSERT_TRUE(SendMessageA(list_, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&icon)));
  // The same icon drawn on the desktop colour in memory is what the screen shows.
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 32, 32);
  HGDIOBJ old = SelectObject(memory, bitmap);
  RECT square{0, 0, 32, 32};
  FillRect(memory, &square, GetSysColorBrush(COLOR_BACKGROUND));
  DrawIconEx(memory, 0, 0, LoadIconA(nullptr, IDI_WINLOGO), 32, 32, 0, nullptr, DI_NORMAL);
  int left = icon.left + (icon.right - icon.left - 32) / 2, top = icon.top + 2;
  int differing = 0, notBackground = 0;
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) {
      COLORREF expected = GetPixel(memory, x, y);
      differing += host::gdi::ScreenPixel(left + x, top + y) != expected;
      notBackground += expected != GetSysColor(COLOR_BACKGROUND);
    }
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  EXPECT_GT(notBackground, 100) << "the icon has a picture";
  EXPECT_EQ(differing, 0);
  EXPECT_EQ(host::gdi::ScreenPixel(500, 300), GetSysColor(COLOR_BACKGROUND)) << "an empty part of the desktop";
  // A new desktop colour (the Appearance page's scheme) is taken at once.
  INT element = COLOR_BACKGROUND;
  COLORREF grey = RGB(192, 192, 192);
  ASSERT_TRUE(SetSysColors(1, &element, &grey));
  EXPECT_EQ(host::gdi::ScreenPixel(500, 300), grey);
  EXPECT_EQ(SendMessageA(list_, LVM_GETTEXTCOLOR, 0, 0), RGB(0, 0, 0)) << "dark labels on a light desktop";
}

}  // namespace
