// The window manager's life in the station: the desktop window at boot,
// queues per thread, and what a thread leaves behind when it ends.
#include "user/user_state.h"

#include <host/adapter.h>

#include "kernel/process_table.h"
#include "user/controls.h"
#include "user/desktop.h"
#include "user/user_internal.h"

namespace host::user {
namespace {

void FreeThreadQueue(DWORD threadId);

// The desktop is as large as the adapter's desktop.
SIZE DesktopSize() {
  int cx = GetSystemMetrics(SM_CXSCREEN), cy = GetSystemMetrics(SM_CYSCREEN);
  if (cx > 0 && cy > 0) return {cx, cy};
  return {640, 480};
}

void OnBoot() {
  Lock lock(UserLock());
  U() = UserState{};
  RegisterSystemClasses();
  RegisterControlClasses();
  auto desktop = std::make_shared<Window>();
  desktop->handle = NewHandle();
  desktop->cls = FindClass("#32769", nullptr);
  desktop->style = WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
  desktop->proc = desktop->cls->proc;
  SIZE size = DesktopSize();
  desktop->rect = desktop->client = desktop->normalRect = {0, 0, size.cx, size.cy};
  desktop->createDone = true;
  U().desktop = desktop->handle;
  U().windows[desktop->handle] = desktop;
  U().cursor = {size.cx / 2, size.cy / 2};
  U().displayBitsPerPixel = adapter::CurrentState().bitsPerPixel;
  ResetSystemColors();
  ResetRecords();
}

// After the GDI's boot: the screen exists, and the GDI's own display-change
// listener (a new screen surface) comes before this one.
void OnScreenReady() {
  // The adapter's listeners are cleared at its boot, which comes before this one.
  adapter::AddListener([](adapter::Event event) {
    if (event != adapter::Event::ModeChanged) return;
    adapter::State s = adapter::CurrentState();
    OnDisplayChanged(s.desktopWidth, s.desktopHeight, s.bitsPerPixel);
  });
  PaintDesktop({0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)});
}

void OnShutdown() {
  Lock lock(UserLock());
  for (auto& [id, queue] : U().queues) {
    queue->gone = true;
    for (auto& sent : queue->incoming) sent->done = true;
  }
  U() = UserState{};
  ClearMenus();
  ClearHooks();
  ResetRecords();
  WakeWaiters();
}

void FreeThreadQueue(DWORD threadId) {
  Lock lock(UserLock());
  // A thread's windows end with it; no procedure runs, the thread is gone.
  std::vector<HWND> owned;
  for (auto& [hwnd, window] : U().windows)
    if (window->threadId == threadId && !IsDesktop(hwnd)) owned.push_back(hwnd);
  for (HWND hwnd : owned) ForgetWindowSilently(hwnd);
  auto found = U().queues.find(threadId);
  if (found == U().queues.end()) return;
  found->second->gone = true;
  for (auto& sent : found->second->incoming) sent->done = true;
  U().queues.erase(found);
  WakeWaiters();
}

struct Registration {
  Registration() {
    RegisterStationHook(30, OnBoot, OnShutdown);
    RegisterStationHook(32, OnScreenReady, [] {});
    kernel::AddThreadEndHandler(FreeThreadQueue);
  }
} registration;

}  // namespace

std::recursive_mutex& UserLock() { return kernel::KernelLock(); }

void WakeWaiters() {
  Lock lock(UserLock());
  kernel::SignalChanged().notify_all();
}

UserState& U() {
  static UserState state;
  return state;
}

std::shared_ptr<Window> FindWindowPtr(HWND hwnd) {
  Lock lock(UserLock());
  auto found = U().windows.find(hwnd);
  if (found == U().windows.end() || found->second->destroyed) return nullptr;
  return found->second;
}

std::shared_ptr<Window> CheckWindow(HWND hwnd) {
  auto window = FindWindowPtr(hwnd);
  if (!window) SetLastError(ERROR_INVALID_WINDOW_HANDLE);
  return window;
}

std::shared_ptr<ThreadQueue> QueueOf(DWORD threadId) {
  Lock lock(UserLock());
  auto& slot = U().queues[threadId];
  if (!slot) {
    slot = std::make_shared<ThreadQueue>();
    slot->threadId = threadId;
  }
  return slot;
}

DWORD CurrentThread() { return kernel::CurrentThreadId(); }

std::shared_ptr<ThreadQueue> CurrentQueue() { return QueueOf(CurrentThread()); }

HWND NewHandle() {
  Lock lock(UserLock());
  DWORD value = U().nextHandle;
  U().nextHandle += 0x10;  // never reused within a station: stale handles stay stale
  return reinterpret_cast<HWND>(static_cast<ULONG_PTR>(value));
}

bool IsDesktop(HWND hwnd) { return hwnd && hwnd == U().desktop; }

bool IsTopLevel(const Window& window) { return window.parent == U().desktop; }

bool IsDescendant(HWND ancestor, HWND hwnd) {
  Lock lock(UserLock());
  for (auto window = FindWindowPtr(hwnd); window; window = FindWindowPtr(window->parent))
    if (window->parent == ancestor) return true;
  return false;
}

}  // namespace host::user
