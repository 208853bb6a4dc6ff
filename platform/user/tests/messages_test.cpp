// Messages: sending and posting, retrieval order, timers on the virtual
// clock, sending across threads, thread messages, hooks and broadcasts.
#include "user_test_support.h"

#include <atomic>

namespace host::user::testing {
namespace {

using Messages = UserTest;
using Lines = std::vector<std::string>;

TEST_F(Messages, SendIsHandledAtOncePostWaitsForTheLoop) {
  HWND hwnd = Make("w", WS_POPUP);
  ClearLog();
  PostMessageA(hwnd, WM_USER + 1, 0, 0);
  SendMessageA(hwnd, WM_USER + 2, 0, 0);
  EXPECT_EQ(Log(), (Lines{"w WM_USER+2"}));
  PumpMessages();
  EXPECT_EQ(Log(), (Lines{"w WM_USER+2", "w WM_USER+1"}));
}

TEST_F(Messages, RetrievalOrderIsPostedQuitInputPaintTimer) {
  HWND hwnd = Make("w", WS_OVERLAPPEDWINDOW | WS_VISIBLE);  // shown: its client area waits for WM_PAINT
  SetTimer(hwnd, 1, 10, nullptr);
  AdvanceClock(10);
  PressKey('A');
  PostMessageA(hwnd, WM_USER, 0, 0);
  PostQuitMessage(3);
  std::vector<UINT> order;
  MSG msg;
  while (order.size() < 8 && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    order.push_back(msg.message);
    if (msg.message == WM_QUIT) {
      EXPECT_EQ(msg.wParam, 3u);
    }
    if (msg.message == WM_TIMER) KillTimer(hwnd, 1);
    DispatchMessageA(&msg);
  }
  EXPECT_EQ(order, (std::vector<UINT>{WM_USER, WM_QUIT, WM_KEYDOWN, WM_PAINT, WM_TIMER}));
}

TEST_F(Messages, GetMessageEndsOnQuitAndFiltersByWindowAndRange) {
  HWND main = Make("main", WS_POPUP);
  HWND child = Make("child", WS_CHILD, main);
  HWND other = Make("other", WS_POPUP);
  PostMessageA(other, WM_USER, 0, 0);
  PostMessageA(child, WM_USER + 1, 0, 0);
  PostMessageA(main, WM_USER + 2, 0, 0);
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, main, 0, 0, PM_REMOVE));  // the window and its children
  EXPECT_EQ(msg.hwnd, child);
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_USER + 2, WM_USER + 2, PM_NOREMOVE));
  EXPECT_EQ(msg.hwnd, main);
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.hwnd, other);
  EXPECT_EQ(GetMessageA(&msg, reinterpret_cast<HWND>(0x4321), 0, 0), -1);
  PostQuitMessage(7);
  EXPECT_EQ(GetMessageA(&msg, nullptr, 0, 0), TRUE);  // WM_USER + 2 first
  EXPECT_EQ(GetMessageA(&msg, nullptr, 0, 0), FALSE);
  EXPECT_EQ(msg.message, (UINT)WM_QUIT);
  EXPECT_EQ(msg.wParam, 7u);
}

int g_timerProcCalls;
UINT_PTR g_timerProcId;
void CALLBACK CountTimer(HWND, UINT msg, UINT_PTR id, DWORD) {
  EXPECT_EQ(msg, (UINT)WM_TIMER);
  g_timerProcId = id;
  ++g_timerProcCalls;
}

int TimersDue(HWND hwnd) {
  int count = 0;
  MSG msg;
  while (PeekMessageA(&msg, hwnd, WM_TIMER, WM_TIMER, PM_REMOVE)) {
    ++count;
    DispatchMessageA(&msg);
  }
  return count;
}

TEST_F(Messages, TimersRunOnTheVirtualClock) {
  HWND hwnd = Make("w", WS_POPUP);
  EXPECT_EQ(SetTimer(hwnd, 7, 100, nullptr), 7u);
  struct Step {
    DWORD advance;
    int expected;
  };
  const Step steps[] = {{0, 0}, {99, 0}, {1, 1}, {50, 0}, {1000, 1} /* coalesced */, {100, 1}};
  for (const auto& step : steps) {
    SCOPED_TRACE(step.advance);
    AdvanceClock(step.advance);
    EXPECT_EQ(TimersDue(hwnd), step.expected);
  }
  EXPECT_TRUE(KillTimer(hwnd, 7));
  EXPECT_FALSE(KillTimer(hwnd, 7));
  AdvanceClock(500);
  EXPECT_EQ(TimersDue(hwnd), 0);
}

TEST_F(Messages, TimerProceduresAndThreadTimers) {
  HWND hwnd = Make("w", WS_POPUP);
  g_timerProcCalls = 0;
  SetTimer(hwnd, 8, 50, CountTimer);
  UINT_PTR threadTimer = SetTimer(nullptr, 0, 20, CountTimer);
  EXPECT_NE(threadTimer, 0u);
  ClearLog();
  AdvanceClock(50);
  MSG msg;
  int seen = 0;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    ++seen;
    DispatchMessageA(&msg);
  }
  EXPECT_EQ(seen, 2);
  EXPECT_EQ(g_timerProcCalls, 2);
  EXPECT_TRUE(Log().empty());  // a timer procedure replaces the window procedure
  // A forged WM_TIMER does not call an arbitrary address.
  PostMessageA(hwnd, WM_TIMER, 99, reinterpret_cast<LPARAM>(CountTimer));
  PumpMessages();
  EXPECT_EQ(g_timerProcCalls, 2);
  KillTimer(nullptr, threadTimer);
  KillTimer(hwnd, 8);
}

TEST_F(Messages, AWaitWithATimerLetsTheVirtualClockRunToIt) {
  HWND hwnd = Make("w", WS_POPUP);
  DWORD start = ClockNow();
  SetTimer(hwnd, 1, 500, nullptr);
  MSG msg;
  ASSERT_TRUE(GetMessageA(&msg, nullptr, 0, 0));
  EXPECT_EQ(msg.message, (UINT)WM_TIMER);
  EXPECT_EQ(ClockNow() - start, 500u);
}

// Cross-thread sending: a worker sends to a window of the test thread, whose
// procedure sends back to the worker's window while the worker waits.
struct CrossThread {
  HWND main = nullptr;
  HWND workerWindow = nullptr;
  LRESULT first = 0, second = 0;
};

DWORD WINAPI Worker(LPVOID parameter) {
  auto* state = static_cast<CrossThread*>(parameter);
  state->workerWindow =
      CreateWindowExA(0, "Recorder", "worker", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  Recorder::Get().Name(state->workerWindow, "worker");
  state->first = SendMessageA(state->main, WM_USER, 0, 0);
  state->second = SendMessageA(state->main, WM_USER + 1, 0, 0);
  PostMessageA(state->main, WM_USER + 3, 0, 0);
  return 0;
}

TEST_F(Messages, SendAcrossThreadsIsSynchronousAndTheWaiterStillAnswers) {
  CrossThread state;
  state.main = Make("main", WS_POPUP);
  bool inSendSeen = false;
  DWORD handledOn = 0;
  Recorder::Get().answer = [&](HWND hwnd, UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (hwnd == state.main && msg == WM_USER) {
      inSendSeen = InSendMessage();
      handledOn = GetCurrentThreadId();
      return 42;
    }
    if (hwnd == state.main && msg == WM_USER + 1) return SendMessageA(state.workerWindow, WM_USER + 2, 0, 0) + 1;
    if (hwnd == state.workerWindow && msg == WM_USER + 2) return 99;
    return std::nullopt;
  };
  ClearLog();
  HANDLE thread = CreateThread(nullptr, 0, Worker, &state, 0, nullptr);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) && msg.message != WM_USER + 3) DispatchMessageA(&msg);
  ASSERT_EQ(WaitForSingleObject(thread, 10000), (DWORD)WAIT_OBJECT_0);
  CloseHandle(thread);
  EXPECT_EQ(state.first, 42);
  EXPECT_EQ(state.second, 100);
  EXPECT_TRUE(inSendSeen);
  EXPECT_EQ(handledOn, GetCurrentThreadId());
  EXPECT_FALSE(InSendMessage());
  EXPECT_EQ(Log(), (Lines{"worker WM_NCCREATE", "worker WM_NCCALCSIZE", "worker WM_CREATE",
                          "worker WM_SIZE", "worker WM_MOVE", "main WM_USER", "main WM_USER+1", "worker WM_USER+2"}));
  EXPECT_FALSE(IsWindow(state.workerWindow));  // a thread's windows end with it
}

DWORD WINAPI PostToThread(LPVOID parameter) {
  PostThreadMessageA(static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(parameter)), WM_USER + 5, 1, 2);
  return 0;
}

DWORD WINAPI DoNothing(LPVOID) { return 0; }

TEST_F(Messages, ThreadMessagesFromAnotherThread) {
  MSG msg;
  PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);  // the thread has a queue from now on
  HANDLE thread = CreateThread(nullptr, 0, PostToThread,
                               reinterpret_cast<LPVOID>(static_cast<ULONG_PTR>(GetCurrentThreadId())), 0, nullptr);
  ASSERT_TRUE(GetMessageA(&msg, nullptr, 0, 0));
  EXPECT_EQ(msg.message, (UINT)(WM_USER + 5));
  EXPECT_EQ(msg.hwnd, nullptr);
  EXPECT_EQ(msg.wParam, 1u);
  WaitForSingleObject(thread, 10000);
  CloseHandle(thread);
  DWORD id;
  HANDLE idle = CreateThread(nullptr, 0, DoNothing, nullptr, CREATE_SUSPENDED, &id);
  EXPECT_FALSE(PostThreadMessageA(id, WM_USER, 0, 0));  // it never asked for a queue
  EXPECT_EQ(GetLastError(), 1444u);
  ResumeThread(idle);
  WaitForSingleObject(idle, 10000);
  CloseHandle(idle);
}

std::vector<std::string> g_hooked;
HHOOK g_older, g_newer;

LRESULT CALLBACK OlderHook(int code, WPARAM wParam, LPARAM lParam) {
  auto* cwp = reinterpret_cast<CWPSTRUCT*>(lParam);
  g_hooked.push_back("older " + MessageName(cwp->message));
  return CallNextHookEx(g_older, code, wParam, lParam);
}

LRESULT CALLBACK NewerHook(int code, WPARAM wParam, LPARAM lParam) {
  auto* cwp = reinterpret_cast<CWPSTRUCT*>(lParam);
  g_hooked.push_back("newer " + MessageName(cwp->message) + (wParam ? " this thread" : ""));
  EXPECT_EQ(cwp->wParam, 5u);
  return CallNextHookEx(g_newer, code, wParam, lParam);
}

TEST_F(Messages, CallWndProcHooksSeeSentMessagesOnly) {
  HWND hwnd = Make("w", WS_POPUP);
  g_hooked.clear();
  g_older = SetWindowsHookExA(WH_CALLWNDPROC, OlderHook, nullptr, GetCurrentThreadId());
  g_newer = SetWindowsHookExA(WH_CALLWNDPROC, NewerHook, nullptr, GetCurrentThreadId());
  ASSERT_NE(g_older, nullptr);
  SendMessageA(hwnd, WM_USER, 5, 0);
  PostMessageA(hwnd, WM_USER + 1, 5, 0);
  PumpMessages();
  EXPECT_EQ(g_hooked, (Lines{"newer WM_USER this thread", "older WM_USER"}));
  EXPECT_TRUE(UnhookWindowsHookEx(g_newer));
  EXPECT_TRUE(UnhookWindowsHookEx(g_older));
  EXPECT_FALSE(UnhookWindowsHookEx(g_older));
  g_hooked.clear();
  SendMessageA(hwnd, WM_USER, 5, 0);
  EXPECT_TRUE(g_hooked.empty());
  EXPECT_EQ(SetWindowsHookExA(WH_KEYBOARD, OlderHook, nullptr, 0), nullptr);  // not run by the host
}

TEST_F(Messages, BroadcastsReachTopLevelWindowsOnly) {
  HWND a = Make("a", WS_POPUP);
  Make("b", WS_OVERLAPPEDWINDOW);
  Make("child", WS_CHILD, a);
  ClearLog();
  SendMessageA(HWND_BROADCAST, WM_USER, 0, 0);
  PostMessageA(HWND_BROADCAST, WM_USER + 1, 0, 0);
  PumpMessages();
  EXPECT_EQ(Log(), (Lines{"b WM_USER", "a WM_USER", "b WM_USER+1", "a WM_USER+1"}));
}

TEST_F(Messages, RegisteredMessagesAreSharedByName) {
  UINT first = RegisterWindowMessageA("OvxChanged");
  EXPECT_GE(first, 0xC000u);
  EXPECT_EQ(RegisterWindowMessageA("ovxchanged"), first);
  EXPECT_NE(RegisterWindowMessageA("Other"), first);
  EXPECT_EQ(RegisterWindowMessageA(""), 0u);
}

}  // namespace
}  // namespace host::user::testing
