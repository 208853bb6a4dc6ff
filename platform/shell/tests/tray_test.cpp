// The task bar's notification area: Shell_NotifyIconA's requests and errors,
// and mouse input on an icon delivered to its window as the callback message.
#include <host/gdi.h>
#include <host/shell.h>
#include <host/user.h>
#include <windows.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "user/tests/user_test_support.h"

namespace {

using host::user::Button;
using host::user::testing::MessageName;
using host::user::testing::Recorder;

constexpr UINT kCallback = WM_APP + 5;

class Tray : public host::user::testing::UserTest {
 protected:
  void SetUp() override {
    UserTest::SetUp();
    owner_ = Make("switcher", WS_OVERLAPPEDWINDOW);
    ASSERT_NE(owner_, nullptr);
    ClearLog();
  }

  NOTIFYICONDATAA Data(UINT id, UINT flags, const char* tip = "", HICON icon = nullptr) const {
    NOTIFYICONDATAA data{};
    data.cbSize = sizeof data;
    data.hWnd = owner_;
    data.uID = id;
    data.uFlags = flags;
    data.uCallbackMessage = kCallback;
    data.hIcon = icon;
    lstrcpynA(data.szTip, tip, sizeof data.szTip);
    return data;
  }
  BOOL Notify(DWORD message, UINT id, UINT flags, const char* tip = "", HICON icon = nullptr) {
    NOTIFYICONDATAA data = Data(id, flags, tip, icon);
    return Shell_NotifyIconA(message, &data);
  }

  // "id 1 WM_LBUTTONDOWN" for each callback the owner received.
  std::vector<std::string> Callbacks() {
    host::user::PumpMessages();
    std::vector<std::string> lines;
    for (const auto& entry : Recorder::Get().Entries())
      if (entry.hwnd == owner_ && entry.msg == kCallback)
        lines.push_back("id " + std::to_string(entry.wParam) + " " + MessageName(static_cast<UINT>(entry.lParam)));
    return lines;
  }

  // Callbacks of real mouse input come from the shell's thread: wait for them.
  std::vector<std::string> AwaitCallbacks(size_t count) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    std::vector<std::string> lines = Callbacks();
    while (lines.size() < count && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
      lines = Callbacks();
    }
    return lines;
  }

  static std::vector<std::string> Icons() {
    std::vector<std::string> icons;
    for (const auto& icon : host::shell::TrayIcons())
      icons.push_back(std::to_string(icon.id) + " \"" + icon.tip + "\" flags " + std::to_string(icon.flags) +
                      " message " + std::to_string(icon.callbackMessage));
    return icons;
  }

  HWND owner_ = nullptr;
};

TEST_F(Tray, AddModifyAndDeleteKeepTheIconList) {
  const std::string message = std::to_string(kCallback);
  struct Step {
    const char* what;
    DWORD message;
    UINT id, flags;
    const char* tip;
    BOOL result;
    std::vector<std::string> icons;
  } steps[] = {
      {"add", NIM_ADD, 1, NIF_MESSAGE | NIF_TIP, "OVX", TRUE, {"1 \"OVX\" flags 5 message " + message}},
      {"duplicate add", NIM_ADD, 1, NIF_TIP, "again", FALSE, {"1 \"OVX\" flags 5 message " + message}},
      {"modify unknown", NIM_MODIFY, 2, NIF_TIP, "x", FALSE, {"1 \"OVX\" flags 5 message " + message}},
      {"modify the tip only",
       NIM_MODIFY,
       1,
       NIF_TIP,
       "1024 x 768",
       TRUE,
       {"1 \"1024 x 768\" flags 5 message " + message}},
      {"second icon",
       NIM_ADD,
       2,
       NIF_ICON,
       "ignored",
       TRUE,
       {"1 \"1024 x 768\" flags 5 message " + message, "2 \"\" flags 2 message 0"}},
      {"delete", NIM_DELETE, 1, 0, "", TRUE, {"2 \"\" flags 2 message 0"}},
      {"delete again", NIM_DELETE, 1, 0, "", FALSE, {"2 \"\" flags 2 message 0"}},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    EXPECT_EQ(Notify(step.message, step.id, step.flags, step.tip), step.result);
    EXPECT_EQ(Icons(), step.icons);
  }
}

TEST_F(Tray, RefusesBadRequestsAndKeepsTheIcons) {
  EXPECT_FALSE(Notify(NIM_MODIFY, 1, NIF_TIP, "early"));
  EXPECT_EQ(host::shell::TaskBarWindow(), nullptr) << "only an addition starts the shell";
  ASSERT_TRUE(Notify(NIM_ADD, 1, NIF_TIP, "kept"));
  NOTIFYICONDATAA small = Data(2, NIF_TIP, "small");
  small.cbSize = 40;
  NOTIFYICONDATAA orphan = Data(3, NIF_TIP, "orphan");
  orphan.hWnd = reinterpret_cast<HWND>(0x7FFF0);
  NOTIFYICONDATAA fine = Data(4, NIF_TIP, "fine");
  EXPECT_FALSE(Shell_NotifyIconA(NIM_ADD, nullptr));
  EXPECT_FALSE(Shell_NotifyIconA(NIM_ADD, &small));
  EXPECT_FALSE(Shell_NotifyIconA(NIM_ADD, &orphan)) << "no window to call back";
  EXPECT_FALSE(Shell_NotifyIconA(3, &fine)) << "no such request";
  EXPECT_EQ(Icons(), std::vector<std::string>{"1 \"kept\" flags 4 message 0"});
}

TEST_F(Tray, KeepsAtMostSixtyThreeCharactersOfATip) {
  NOTIFYICONDATAA data = Data(1, NIF_TIP);
  memset(data.szTip, 'a', sizeof data.szTip);  // no terminating NUL
  ASSERT_TRUE(Shell_NotifyIconA(NIM_ADD, &data));
  ASSERT_EQ(host::shell::TrayIcons().size(), 1u);
  EXPECT_EQ(host::shell::TrayIcons()[0].tip, std::string(63, 'a'));
}

TEST_F(Tray, TheTaskBarTakesTheBottomOfTheScreen) {
  ASSERT_TRUE(Notify(NIM_ADD, 1, NIF_ICON, "", LoadIconA(nullptr, IDI_APPLICATION)));
  HWND bar = FindWindowA("Shell_TrayWnd", nullptr);
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(bar, host::shell::TaskBarWindow());
  EXPECT_TRUE(GetWindowLongA(bar, GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_TRUE(IsWindowVisible(bar));
  EXPECT_NE(GetForegroundWindow(), bar) << "appearing takes no activation";
  int cx = GetSystemMetrics(SM_CXSCREEN), cy = GetSystemMetrics(SM_CYSCREEN);
  RECT rect, work;
  GetWindowRect(bar, &rect);
  EXPECT_EQ(rect.left, 0);
  EXPECT_EQ(rect.right, cx);
  EXPECT_EQ(rect.bottom, cy);
  ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0));
  EXPECT_EQ(work.bottom, rect.top);
  // The icon is drawn inside the notification area, at the bar's right end.
  RECT area, icon = host::shell::TrayIcons()[0].rect;
  GetWindowRect(host::shell::NotificationArea(), &area);
  EXPECT_EQ(GetParent(host::shell::NotificationArea()), bar);
  EXPECT_GT(area.left, cx / 2);
  EXPECT_TRUE(icon.left >= area.left && icon.right <= area.right && icon.top >= area.top && icon.bottom <= area.bottom);
  EXPECT_EQ(icon.right - icon.left, 16);
  // The application icon at half its size: transparent corner, blue title, white window.
  EXPECT_EQ(host::gdi::ScreenPixel(icon.left, icon.top), GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(host::gdi::ScreenPixel(icon.left + 5, icon.top + 3), RGB(0, 0, 128));
  EXPECT_EQ(host::gdi::ScreenPixel(icon.left + 5, icon.top + 10), RGB(255, 255, 255));
}

TEST_F(Tray, TheTaskBarFollowsADisplayChange) {
  ASSERT_TRUE(Notify(NIM_ADD, 1, NIF_TIP, "tip"));
  DEVMODEA mode{};
  mode.dmSize = sizeof mode;
  mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
  mode.dmPelsWidth = 800;
  mode.dmPelsHeight = 600;
  ASSERT_EQ(ChangeDisplaySettingsA(&mode, 0), DISP_CHANGE_SUCCESSFUL);
  RECT bar, work;
  GetWindowRect(host::shell::TaskBarWindow(), &bar);
  EXPECT_EQ(bar.right, 800);
  EXPECT_EQ(bar.bottom, 600);
  ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0));
  EXPECT_EQ(work.bottom, bar.top);
  EXPECT_LT(host::shell::TrayIcons()[0].rect.right, 800);
}

TEST_F(Tray, ClicksReachTheOwnerAsTheCallbackMessage) {
  ASSERT_TRUE(Notify(NIM_ADD, 7, NIF_MESSAGE | NIF_TIP, "OVX"));
  struct Case {
    Button button;
    bool doubleClick;
    std::vector<std::string> callbacks;
  } cases[] = {
      {Button::Left, false, {"id 7 WM_LBUTTONDOWN", "id 7 WM_LBUTTONUP"}},
      {Button::Right, false, {"id 7 WM_RBUTTONDOWN", "id 7 WM_RBUTTONUP"}},
      {Button::Left, true, {"id 7 WM_LBUTTONDOWN", "id 7 WM_LBUTTONUP", "id 7 WM_LBUTTONDBLCLK", "id 7 WM_LBUTTONUP"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.callbacks[0] + (c.doubleClick ? " double" : ""));
    ClearLog();
    ASSERT_TRUE(host::shell::ClickTrayIcon(owner_, 7, c.button, c.doubleClick));
    EXPECT_EQ(Callbacks(), c.callbacks);
  }
  EXPECT_FALSE(host::shell::ClickTrayIcon(owner_, 8)) << "no such icon";
}

TEST_F(Tray, MouseInputOnTheIconIsDelivered) {
  ASSERT_TRUE(Notify(NIM_ADD, 1, NIF_MESSAGE, "first"));
  ASSERT_TRUE(Notify(NIM_ADD, 2, NIF_MESSAGE, "second"));
  RECT second = host::shell::TrayIcons()[1].rect;
  host::user::Click((second.left + second.right) / 2, (second.top + second.bottom) / 2, Button::Right);
  std::vector<std::string> expected = {"id 2 WM_MOUSEMOVE", "id 2 WM_RBUTTONDOWN", "id 2 WM_RBUTTONUP"};
  EXPECT_EQ(AwaitCallbacks(expected.size()), expected);
}

TEST_F(Tray, AnIconWithoutMessageOrWindowGetsNoCallback) {
  ASSERT_TRUE(Notify(NIM_ADD, 1, NIF_TIP, "silent"));
  EXPECT_TRUE(host::shell::ClickTrayIcon(owner_, 1));
  EXPECT_TRUE(Callbacks().empty());
  // A window that ends without deleting its icon loses it when the mouse comes.
  HWND gone = Make("gone", WS_OVERLAPPEDWINDOW);
  NOTIFYICONDATAA data = Data(5, NIF_MESSAGE);
  data.hWnd = gone;
  ASSERT_TRUE(Shell_NotifyIconA(NIM_ADD, &data));
  DestroyWindow(gone);
  EXPECT_EQ(host::shell::TrayIcons().size(), 2u);
  EXPECT_TRUE(host::shell::ClickTrayIcon(gone, 5));
  EXPECT_EQ(Icons(), std::vector<std::string>{"1 \"silent\" flags 4 message 0"});
}

}  // namespace
