// The task bar and its notification area. The shell is a hosted process of
// its own whose thread owns "Shell_TrayWnd"; Shell_NotifyIconA sends it the
// request, as Windows does, so the change is applied and painted by the time
// the call returns. Clicks on an icon reach the icon's window as its callback
// message (wParam = id, lParam = the mouse message).
#include <host/shell.h>
#include <host/station.h>
#include <host/user.h>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>

#include "kernel/process_table.h"
#include "shell/shell_internal.h"
#include "user/user_state.h"

namespace host::shell {
namespace {

constexpr char kTaskBarClass[] = "Shell_TrayWnd";
constexpr char kNotifyClass[] = "TrayNotifyWnd";
constexpr char kShellImage[] = "C:\\WINDOWS\\EXPLORER.EXE";
constexpr int kBarHeight = 28;
constexpr int kAreaTop = 3, kAreaHeight = 22, kAreaMargin = 2;
constexpr int kSlotWidth = 20, kSlotInset = 3, kIconSize = 16;

// Private messages of the task bar (from Shell_NotifyIconA) and the
// notification area (from the control API).
constexpr UINT kNotifyIconRequest = WM_USER + 0x0E0;
constexpr UINT kClickRequest = WM_USER + 0x0E1;

struct Icon {
  HWND window;
  UINT id;
  UINT flags;
  UINT callbackMessage;
  HICON icon;
  char tip[64];
};

struct NotifyRequest {
  DWORD message;
  NOTIFYICONDATAA data;
};

struct ClickRequest {
  HWND window;
  UINT id;
  user::Button button;
  bool doubleClick;
};

struct TrayState {
  std::mutex lock;
  std::condition_variable started;
  HWND taskBar = nullptr;
  HWND notify = nullptr;
  bool failed = false;
  std::vector<Icon> icons;
};

TrayState& S() {
  static TrayState state;
  return state;
}

// Serialises starting the shell; never held by the shell's own thread.
std::mutex& StartLock() {
  static std::mutex lock;
  return lock;
}

// ---- The notification area ----

int AreaWidth(size_t icons) { return 2 * kSlotInset + kSlotWidth * static_cast<int>(icons); }

RECT SlotRect(size_t index) {  // in the area's client coordinates
  int left = kSlotInset + kSlotWidth * static_cast<int>(index);
  return {left, 0, left + kSlotWidth, kAreaHeight};
}

RECT IconRect(size_t index) {
  RECT slot = SlotRect(index);
  int left = slot.left + (kSlotWidth - kIconSize) / 2, top = (kAreaHeight - kIconSize) / 2;
  return {left, top, left + kIconSize, top + kIconSize};
}

void PlaceArea(HWND taskBar, HWND notify) {
  size_t count;
  {
    std::lock_guard lock(S().lock);
    count = S().icons.size();
  }
  RECT bar;
  GetClientRect(taskBar, &bar);
  int width = AreaWidth(count);
  SetWindowPos(notify, nullptr, bar.right - kAreaMargin - width, kAreaTop, width, kAreaHeight,
               SWP_NOZORDER | SWP_NOACTIVATE);
  InvalidateRect(notify, nullptr, TRUE);
  UpdateWindow(notify);
}

void PaintArea(HWND notify) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(notify, &paint);
  RECT client;
  GetClientRect(notify, &client);
  DrawEdge(dc, &client, BDR_SUNKENOUTER, BF_RECT);
  std::vector<Icon> icons;
  {
    std::lock_guard lock(S().lock);
    icons = S().icons;
  }
  // Small icons: an icon larger than its slot is drawn shrunk to it.
  for (size_t i = 0; i < icons.size(); ++i) {
    if (!icons[i].icon) continue;
    RECT rect = IconRect(i);
    DrawIconEx(dc, rect.left, rect.top, icons[i].icon, rect.right - rect.left, rect.bottom - rect.top, 0, nullptr,
               DI_NORMAL);
  }
  EndPaint(notify, &paint);
}

// The icon under a point of the area's client, or -1.
int IconAt(int x, int y) {
  std::lock_guard lock(S().lock);
  for (size_t i = 0; i < S().icons.size(); ++i) {
    RECT slot = SlotRect(i);
    if (x >= slot.left && x < slot.right && y >= slot.top && y < slot.bottom) return static_cast<int>(i);
  }
  return -1;
}

// Sends the callback message for one mouse message. An icon whose window is
// gone is dropped when the mouse reaches it, as the shell does.
void Deliver(HWND notify, size_t index, UINT mouseMessage) {
  Icon icon;
  {
    std::lock_guard lock(S().lock);
    if (index >= S().icons.size()) return;
    icon = S().icons[index];
  }
  if (!IsWindow(icon.window)) {
    {
      std::lock_guard lock(S().lock);
      auto& icons = S().icons;
      icons.erase(std::remove_if(icons.begin(), icons.end(),
                                 [&](const Icon& i) { return i.window == icon.window && i.id == icon.id; }),
                  icons.end());
    }
    PlaceArea(GetParent(notify), notify);
    return;
  }
  if (icon.callbackMessage) SendNotifyMessageA(icon.window, icon.callbackMessage, icon.id, mouseMessage);
}

std::vector<UINT> ClickMessages(user::Button button, bool doubleClick) {
  UINT down = WM_LBUTTONDOWN, up = WM_LBUTTONUP, twice = WM_LBUTTONDBLCLK;
  if (button == user::Button::Right) down = WM_RBUTTONDOWN, up = WM_RBUTTONUP, twice = WM_RBUTTONDBLCLK;
  if (button == user::Button::Middle) down = WM_MBUTTONDOWN, up = WM_MBUTTONUP, twice = WM_MBUTTONDBLCLK;
  if (doubleClick) return {down, up, twice, up};
  return {down, up};
}

BOOL DeliverClick(HWND notify, const ClickRequest& click) {
  int index = -1;
  {
    std::lock_guard lock(S().lock);
    for (size_t i = 0; i < S().icons.size(); ++i)
      if (S().icons[i].window == click.window && S().icons[i].id == click.id) index = static_cast<int>(i);
  }
  if (index < 0) return FALSE;
  for (UINT message : ClickMessages(click.button, click.doubleClick)) Deliver(notify, index, message);
  return TRUE;
}

bool IsMouseMessage(UINT msg) { return msg >= WM_MOUSEMOVE && msg <= WM_MBUTTONDBLCLK; }

LRESULT CALLBACK NotifyAreaProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (IsMouseMessage(msg)) {
    int index = IconAt(static_cast<SHORT>(LOWORD(lParam)), static_cast<SHORT>(HIWORD(lParam)));
    if (index >= 0) Deliver(hwnd, index, msg);
    return 0;
  }
  switch (msg) {
    case WM_PAINT:
      PaintArea(hwnd);
      return 0;
    case kClickRequest:
      return DeliverClick(hwnd, *reinterpret_cast<const ClickRequest*>(lParam));
  }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

// ---- Icon requests ----

Icon* FindIcon(HWND window, UINT id) {
  for (Icon& icon : S().icons)
    if (icon.window == window && icon.id == id) return &icon;
  return nullptr;
}

void TakeFields(Icon& icon, const NOTIFYICONDATAA& data) {
  if (data.uFlags & NIF_MESSAGE) icon.callbackMessage = data.uCallbackMessage;
  if (data.uFlags & NIF_ICON) icon.icon = data.hIcon;
  if (data.uFlags & NIF_TIP) {
    // At most 63 characters, whether or not the caller ended the text.
    size_t length = strnlen(data.szTip, sizeof icon.tip - 1);
    memcpy(icon.tip, data.szTip, length);
    icon.tip[length] = 0;
  }
  icon.flags |= data.uFlags & (NIF_MESSAGE | NIF_ICON | NIF_TIP);
}

BOOL ApplyRequest(const NotifyRequest& request) {
  const NOTIFYICONDATAA& data = request.data;
  std::lock_guard lock(S().lock);
  Icon* existing = FindIcon(data.hWnd, data.uID);
  switch (request.message) {
    case NIM_ADD: {
      if (existing) return FALSE;
      Icon icon{data.hWnd, data.uID, 0, 0, nullptr, {}};
      TakeFields(icon, data);
      S().icons.push_back(icon);
      return TRUE;
    }
    case NIM_MODIFY:
      if (!existing) return FALSE;
      TakeFields(*existing, data);
      return TRUE;
    case NIM_DELETE:
      if (!existing) return FALSE;
      S().icons.erase(S().icons.begin() + (existing - S().icons.data()));
      return TRUE;
  }
  return FALSE;
}

// ---- The task bar ----

// The task bar takes the bottom of the screen from the work area.
void PlaceTaskBar(HWND taskBar) {
  int cx = GetSystemMetrics(SM_CXSCREEN), cy = GetSystemMetrics(SM_CYSCREEN);
  SetWindowPos(taskBar, nullptr, 0, cy - kBarHeight, cx, kBarHeight, SWP_NOZORDER | SWP_NOACTIVATE);
  user::SetWorkArea({0, 0, cx, cy - kBarHeight});
  if (HWND desktop = DesktopWindow()) SendMessageA(desktop, WM_SETTINGCHANGE, SPI_SETWORKAREA, 0);
}

void PaintTaskBar(HWND hwnd) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(hwnd, &paint);
  RECT client;
  GetClientRect(hwnd, &client);
  DrawEdge(dc, &client, BDR_RAISEDOUTER, BF_TOP);
  EndPaint(hwnd, &paint);
}

LRESULT CALLBACK TaskBarProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_PAINT:
      PaintTaskBar(hwnd);
      return 0;
    case WM_DISPLAYCHANGE:
      PlaceTaskBar(hwnd);
      PlaceArea(hwnd, NotificationArea());
      return 0;
    case kNotifyIconRequest: {
      BOOL done = ApplyRequest(*reinterpret_cast<const NotifyRequest*>(lParam));
      if (done) PlaceArea(hwnd, NotificationArea());
      return done;
    }
  }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

bool RegisterShellClasses() {
  WNDCLASSA bar{};
  bar.lpfnWndProc = TaskBarProc;
  bar.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  bar.lpszClassName = kTaskBarClass;
  WNDCLASSA area{};
  area.style = CS_DBLCLKS;
  area.lpfnWndProc = NotifyAreaProc;
  area.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  area.lpszClassName = kNotifyClass;
  return RegisterClassA(&bar) && RegisterClassA(&area);
}

void Publish(HWND taskBar, HWND notify) {
  std::lock_guard lock(S().lock);
  S().taskBar = taskBar;
  S().notify = notify;
  S().failed = !taskBar;
  S().started.notify_all();
}

// The shell never waits for input the way a program does, so scripted
// actions stay with the programs under test; it wakes for any queue change.
void WaitForShellWork(unsigned seen) {
  auto queue = user::CurrentQueue();
  auto self = kernel::CurrentThread();
  {
    user::Lock lock(user::UserLock());
    kernel::SignalChanged().wait(lock, [&] { return queue->wake != seen || self->terminateRequested; });
  }
  kernel::EndThreadIfTerminated();
}

unsigned WakeCount() {
  auto queue = user::CurrentQueue();
  user::Lock lock(user::UserLock());
  return queue->wake;
}

DWORD RunShell() {
  HWND taskBar = nullptr, notify = nullptr;
  // The desktop first: it lies under the task bar and everything else.
  if (CreateDesktop() && RegisterShellClasses()) {
    taskBar =
        CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kTaskBarClass, "",
                        WS_POPUP | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    notify = taskBar ? CreateWindowExA(0, kNotifyClass, "", WS_CHILD | WS_VISIBLE, 0, 0, 1, 1, taskBar, nullptr,
                                       nullptr, nullptr)
                     : nullptr;
  }
  if (!notify) {
    Publish(nullptr, nullptr);
    return 1;
  }
  PlaceTaskBar(taskBar);
  ShowWindow(taskBar, SW_SHOWNA);
  Publish(taskBar, notify);
  PlaceArea(taskBar, notify);
  for (;;) {
    unsigned seen = WakeCount();
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) return static_cast<DWORD>(msg.wParam);
      DispatchMessageA(&msg);
    }
    WaitForShellWork(seen);
  }
}

void ResetTray() {
  std::lock_guard lock(S().lock);
  S().taskBar = S().notify = nullptr;
  S().failed = false;
  S().icons.clear();
}

struct Registration {
  Registration() { RegisterStationHook(40, ResetTray, ResetTray); }
} registration;

}  // namespace

HWND TaskBarWindow() {
  std::lock_guard lock(S().lock);
  return S().taskBar && IsWindow(S().taskBar) ? S().taskBar : nullptr;
}

HWND NotificationArea() {
  std::lock_guard lock(S().lock);
  return S().notify && IsWindow(S().notify) ? S().notify : nullptr;
}

HWND StartShell() {
  std::lock_guard start(StartLock());
  if (HWND running = TaskBarWindow()) return running;
  {
    std::lock_guard lock(S().lock);
    S().taskBar = S().notify = nullptr;
    S().failed = false;
  }
  auto process = kernel::NewProcess(kShellImage, kShellImage);
  kernel::StartThread(process, RunShell, false);
  std::unique_lock lock(S().lock);
  S().started.wait_for(lock, std::chrono::seconds(10), [] { return S().taskBar || S().failed; });
  return S().taskBar;
}

std::vector<TrayIcon> TrayIcons() {
  HWND notify = NotificationArea();
  RECT area{};
  if (notify) GetWindowRect(notify, &area);
  std::vector<TrayIcon> out;
  std::lock_guard lock(S().lock);
  for (size_t i = 0; i < S().icons.size(); ++i) {
    const Icon& icon = S().icons[i];
    RECT rect = IconRect(i);
    OffsetRect(&rect, area.left, area.top);
    out.push_back({icon.window, icon.id, icon.flags, icon.callbackMessage, icon.icon, icon.tip, rect});
  }
  return out;
}

bool ClickTrayIcon(HWND window, UINT id, user::Button button, bool doubleClick) {
  HWND notify = NotificationArea();
  if (!notify) return false;
  ClickRequest click{window, id, button, doubleClick};
  return SendMessageA(notify, kClickRequest, 0, reinterpret_cast<LPARAM>(&click)) != 0;
}

}  // namespace host::shell

extern "C" BOOL WINAPI Shell_NotifyIconA(DWORD dwMessage, PNOTIFYICONDATAA lpData) {
  if (!lpData || lpData->cbSize < sizeof(NOTIFYICONDATAA)) return FALSE;
  if (dwMessage != NIM_ADD && dwMessage != NIM_MODIFY && dwMessage != NIM_DELETE) return FALSE;
  // An icon must belong to a window that can receive its callbacks.
  if (dwMessage == NIM_ADD && !IsWindow(lpData->hWnd)) return FALSE;
  // Only an addition needs the shell; without it there is nothing to change.
  HWND taskBar = dwMessage == NIM_ADD ? host::shell::StartShell() : host::shell::TaskBarWindow();
  if (!taskBar) return FALSE;
  host::shell::NotifyRequest request{dwMessage, *lpData};
  request.data.cbSize = sizeof(NOTIFYICONDATAA);
  return SendMessageA(taskBar, host::shell::kNotifyIconRequest, 0, reinterpret_cast<LPARAM>(&request)) != 0;
}
