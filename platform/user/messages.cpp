// Messages: per-thread queues, sending within and across threads, posting,
// retrieval in Windows' order (sent, posted, quit, input, paint, timer),
// hooks on sent messages, and timers on the station clock.
#include "kernel/process_table.h"
#include "user/user_internal.h"

#include <algorithm>
#include <chrono>

namespace host::user {
namespace {

std::vector<Hook>& Hooks() {
  static std::vector<Hook> hooks;  // newest first
  return hooks;
}

thread_local bool tInCallWndProcHook = false;

void Bump(ThreadQueue& queue) {
  ++queue.wake;
  kernel::SignalChanged().notify_all();
}

std::vector<Hook> HooksFor(int kind, DWORD threadId) {
  Lock lock(UserLock());
  std::vector<Hook> chain;
  for (auto& hook : Hooks())
    if (hook.kind == kind && (hook.threadId == threadId || hook.threadId == 0)) chain.push_back(hook);
  return chain;
}

void RunCallWndProcHooks(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, bool fromThisThread) {
  if (tInCallWndProcHook) return;
  auto chain = HooksFor(WH_CALLWNDPROC, CurrentThread());
  if (chain.empty()) return;
  CWPSTRUCT cwp{lParam, wParam, msg, hwnd};
  tInCallWndProcHook = true;
  chain.front().proc(HC_ACTION, fromThisThread, reinterpret_cast<LPARAM>(&cwp));
  tInCallWndProcHook = false;
}

LRESULT CallProcedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, bool fromThisThread) {
  RunCallWndProcHooks(hwnd, msg, wParam, lParam, fromThisThread);
  auto window = FindWindowPtr(hwnd);
  if (!window || !window->proc) return 0;
  return window->proc(hwnd, msg, wParam, lParam);
}

// Answers every message other threads have sent to this one.
void HandleIncoming(ThreadQueue& queue) {
  for (;;) {
    std::shared_ptr<SentMessage> sent;
    {
      Lock lock(UserLock());
      if (queue.incoming.empty()) return;
      sent = queue.incoming.front();
      queue.incoming.pop_front();
      queue.handling.push_back(sent);
    }
    LRESULT result = CallProcedure(sent->hwnd, sent->msg, sent->wParam, sent->lParam, false);
    Lock lock(UserLock());
    queue.handling.pop_back();
    if (!sent->done) {
      sent->result = result;
      sent->done = true;
    }
    kernel::SignalChanged().notify_all();
  }
}

bool InRange(UINT msg, UINT min, UINT max) { return (min == 0 && max == 0) || (msg >= min && msg <= max); }

bool ForWindow(HWND filter, HWND target) {
  return !filter || target == filter || (target && IsDescendant(filter, target));
}

bool TakeFrom(std::deque<MSG>& list, MSG* out, HWND hwnd, UINT min, UINT max, bool remove) {
  for (auto it = list.begin(); it != list.end(); ++it) {
    if (!InRange(it->message, min, max) || !ForWindow(hwnd, it->hwnd)) continue;
    *out = *it;
    if (remove) list.erase(it);
    return true;
  }
  return false;
}

bool FindPaint(ThreadQueue& queue, MSG* out, HWND hwnd, UINT min, UINT max) {
  if (!InRange(WM_PAINT, min, max)) return false;
  std::vector<HWND> order{U().desktop};
  for (size_t i = 0; i < order.size(); ++i) {
    auto window = FindWindowPtr(order[i]);
    if (!window) continue;
    if (window->threadId == queue.threadId && !IsDesktop(window->handle) && NeedsPaint(*window) &&
        ForWindow(hwnd, window->handle)) {
      *out = MSG{window->handle, WM_PAINT, 0, 0, ClockNow(), U().cursor};
      return true;
    }
    order.insert(order.end(), window->children.begin(), window->children.end());
  }
  return false;
}

bool FindTimer(ThreadQueue& queue, MSG* out, HWND hwnd, UINT min, UINT max, bool remove) {
  if (!InRange(WM_TIMER, min, max)) return false;
  DWORD now = ClockNow();
  for (auto& timer : queue.timers) {
    if (static_cast<LONG>(now - timer.due) < 0 || !ForWindow(hwnd, timer.hwnd)) continue;
    *out = MSG{timer.hwnd, WM_TIMER, timer.id, reinterpret_cast<LPARAM>(timer.proc), now, U().cursor};
    if (remove) timer.due = now + timer.elapse;
    return true;
  }
  return false;
}

// One look at the queue in Windows' order; sent messages are answered on the way.
bool Fetch(ThreadQueue& queue, MSG* out, HWND hwnd, UINT min, UINT max, UINT flags) {
  HandleIncoming(queue);
  bool remove = flags & PM_REMOVE;
  Lock lock(UserLock());
  bool found = TakeFrom(queue.posted, out, hwnd, min, max, remove);
  if (!found && queue.quit && InRange(WM_QUIT, min, max)) {
    *out = MSG{nullptr, WM_QUIT, static_cast<WPARAM>(queue.quitCode), 0, ClockNow(), U().cursor};
    if (remove) queue.quit = false;
    found = true;
  }
  if (!found) {
    lock.unlock();
    found = TakeInput(queue, out, hwnd, min, max, remove);
    lock.lock();
  }
  found = found || FindPaint(queue, out, hwnd, min, max) || FindTimer(queue, out, hwnd, min, max, remove);
  if (found) {
    queue.lastMessageTime = out->time;
    queue.lastMessagePos = out->pt;
  }
  return found;
}

void CallGetMessageHooks(MSG* msg, UINT flags) {
  auto chain = HooksFor(WH_GETMESSAGE, CurrentThread());
  if (!chain.empty()) chain.front().proc(HC_ACTION, flags & PM_REMOVE, reinterpret_cast<LPARAM>(msg));
}

enum class Idle { Woke, Stuck };

// What a thread does when it has nothing to do: scripted actions first; then
// time passes to the next timer (at once on the virtual clock); a modal loop
// with neither is stuck; otherwise the thread waits for another thread.
Idle WaitForWork(ThreadQueue& queue, unsigned seen) {
  if (RunNextScriptAction()) return Idle::Woke;
  bool real = CurrentStationConfig().realClock;
  auto self = kernel::CurrentThread();
  Lock lock(UserLock());
  unsigned script = U().scriptGeneration;
  auto woken = [&] { return queue.wake != seen || self->terminateRequested || U().scriptGeneration != script; };
  if (!queue.timers.empty()) {
    DWORD now = ClockNow();
    LONG wait = 0x7FFFFFFF;
    for (auto& timer : queue.timers) wait = std::min<LONG>(wait, static_cast<LONG>(timer.due - now));
    if (wait > 0) {
      if (!real) {
        lock.unlock();
        AdvanceClock(static_cast<DWORD>(wait));
      } else {
        kernel::SignalChanged().wait_for(lock, std::chrono::milliseconds(wait), woken);
      }
    }
  } else if (!real && !queue.modalLoops.empty()) {
    std::string loop = queue.modalLoops.back();
    lock.unlock();
    ReportStuckLoop(loop);
    return Idle::Stuck;
  } else {
    kernel::SignalChanged().wait(lock, woken);
  }
  if (lock.owns_lock()) lock.unlock();
  kernel::EndThreadIfTerminated();
  return Idle::Woke;
}

unsigned WakeCount(ThreadQueue& queue) {
  Lock lock(UserLock());
  return queue.wake;
}

bool ValidFilter(HWND hwnd) { return !hwnd || FindWindowPtr(hwnd); }

BOOL PostTo(ThreadQueue& queue, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  Lock lock(UserLock());
  if (queue.gone) return FALSE;
  queue.posted.push_back(MSG{hwnd, msg, wParam, lParam, ClockNow(), U().cursor});
  Bump(queue);
  return TRUE;
}

LRESULT SendAcross(const std::shared_ptr<Window>& window, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto sent = std::make_shared<SentMessage>();
  *sent = SentMessage{window->handle, msg, wParam, lParam, 0, false, false, CurrentThread()};
  auto target = QueueOf(window->threadId);
  auto own = CurrentQueue();
  auto self = kernel::CurrentThread();
  {
    Lock lock(UserLock());
    if (target->gone) return 0;
    target->incoming.push_back(sent);
    Bump(*target);
  }
  for (;;) {
    HandleIncoming(*own);
    Lock lock(UserLock());
    kernel::SignalChanged().wait(lock, [&] {
      return sent->done || !own->incoming.empty() || target->gone || self->terminateRequested;
    });
    if (sent->done || target->gone) return sent->done ? sent->result : 0;
    if (self->terminateRequested) {
      lock.unlock();
      kernel::EndThreadIfTerminated();
    }
  }
}

}  // namespace

bool MessageInFilter(const MSG& msg, HWND hwnd, UINT min, UINT max) {
  return InRange(msg.message, min, max) && ForWindow(hwnd, msg.hwnd);
}

LRESULT CallSent(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return CallProcedure(hwnd, msg, wParam, lParam, true);
}

void Broadcast(UINT msg, WPARAM wParam, LPARAM lParam, bool post) {
  std::vector<HWND> tops;
  {
    Lock lock(UserLock());
    if (auto desktop = FindWindowPtr(U().desktop)) tops = desktop->children;
  }
  for (HWND hwnd : tops) {
    if (post)
      PostMessageA(hwnd, msg, wParam, lParam);
    else
      SendMessageA(hwnd, msg, wParam, lParam);
  }
}

void KillWindowTimers(HWND hwnd) {
  Lock lock(UserLock());
  for (auto& [id, queue] : U().queues)
    std::erase_if(queue->timers, [&](const Timer& timer) { return timer.hwnd == hwnd; });
}

void ClearHooks() {
  Lock lock(UserLock());
  Hooks().clear();
}

void EnterModalLoop(const std::string& name) {
  auto queue = CurrentQueue();
  Lock lock(UserLock());
  queue->modalLoops.push_back(name);
}

void LeaveModalLoop() {
  auto queue = CurrentQueue();
  Lock lock(UserLock());
  if (!queue->modalLoops.empty()) queue->modalLoops.pop_back();
}

bool ModalGetMessage(MSG* msg, const char* loopName) {
  (void)loopName;
  auto queue = CurrentQueue();
  for (;;) {
    kernel::EndThreadIfTerminated();
    unsigned seen = WakeCount(*queue);
    if (Fetch(*queue, msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg->message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(msg->wParam));  // the outer loop sees it too
        return false;
      }
      return true;
    }
    if (WaitForWork(*queue, seen) == Idle::Stuck) return false;
  }
}

void PostInput(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, POINT pt, bool raw) {
  auto window = FindWindowPtr(hwnd);
  if (!window) return;
  auto queue = QueueOf(window->threadId);
  Lock lock(UserLock());
  queue->input.push_back(InputEvent{MSG{hwnd, msg, wParam, lParam, ClockNow(), pt}, raw});
  Bump(*queue);
}

void WakeThreadOf(HWND hwnd) {
  auto window = FindWindowPtr(hwnd);
  if (!window) return;
  auto queue = QueueOf(window->threadId);
  Lock lock(UserLock());
  Bump(*queue);
}

}  // namespace host::user

using namespace host::user;

extern "C" {

LRESULT WINAPI SendMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  if (hWnd == HWND_BROADCAST) {
    Broadcast(Msg, wParam, lParam, false);
    return TRUE;
  }
  auto window = CheckWindow(hWnd);
  if (!window) return 0;
  // The desktop belongs to no thread: its procedure answers on the sender's, else the send would wait forever.
  if (window->threadId == CurrentThread() || IsDesktop(hWnd)) return CallSent(hWnd, Msg, wParam, lParam);
  return SendAcross(window, Msg, wParam, lParam);
}

BOOL WINAPI SendNotifyMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  if (hWnd == HWND_BROADCAST) {
    Broadcast(Msg, wParam, lParam, true);
    return TRUE;
  }
  auto window = CheckWindow(hWnd);
  if (!window) return FALSE;
  if (window->threadId == CurrentThread() || IsDesktop(hWnd)) {
    CallSent(hWnd, Msg, wParam, lParam);
    return TRUE;
  }
  auto sent = std::make_shared<SentMessage>();
  *sent = SentMessage{hWnd, Msg, wParam, lParam, 0, false, true, CurrentThread()};
  auto target = QueueOf(window->threadId);
  Lock lock(UserLock());
  target->incoming.push_back(sent);
  Bump(*target);
  return TRUE;
}

BOOL WINAPI PostMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  if (!hWnd) return PostThreadMessageA(CurrentThread(), Msg, wParam, lParam);
  if (hWnd == HWND_BROADCAST) {
    Broadcast(Msg, wParam, lParam, true);
    return TRUE;
  }
  auto window = CheckWindow(hWnd);
  if (!window) return FALSE;
  return PostTo(*QueueOf(window->threadId), hWnd, Msg, wParam, lParam);
}

// A thread receives thread messages once it has a queue (it called USER), as on Windows.
BOOL WINAPI PostThreadMessageA(DWORD idThread, UINT Msg, WPARAM wParam, LPARAM lParam) {
  std::shared_ptr<ThreadQueue> queue;
  {
    Lock lock(UserLock());
    auto found = U().queues.find(idThread);
    if (found != U().queues.end()) queue = found->second;
  }
  if (!queue && idThread == CurrentThread()) queue = CurrentQueue();
  if (!queue) {
    SetLastError(1444 /* ERROR_INVALID_THREAD_ID */);
    return FALSE;
  }
  return PostTo(*queue, nullptr, Msg, wParam, lParam);
}

BOOL WINAPI PeekMessageA(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax, UINT wRemoveMsg) {
  if (!lpMsg) return FALSE;
  if (!ValidFilter(hWnd)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  host::kernel::EndThreadIfTerminated();
  auto queue = CurrentQueue();
  if (!Fetch(*queue, lpMsg, hWnd, wMsgFilterMin, wMsgFilterMax, wRemoveMsg)) {
    return FALSE;  // a peek never waits, so scripted actions are left for the next wait
  }
  CallGetMessageHooks(lpMsg, wRemoveMsg);
  return TRUE;
}

BOOL WINAPI GetMessageA(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax) {
  if (!lpMsg || !ValidFilter(hWnd)) {
    SetLastError(lpMsg ? ERROR_INVALID_WINDOW_HANDLE : ERROR_INVALID_PARAMETER);
    return -1;
  }
  auto queue = CurrentQueue();
  for (;;) {
    host::kernel::EndThreadIfTerminated();
    unsigned seen = WakeCount(*queue);
    if (Fetch(*queue, lpMsg, hWnd, wMsgFilterMin, wMsgFilterMax, PM_REMOVE)) break;
    WaitForWork(*queue, seen);
  }
  CallGetMessageHooks(lpMsg, PM_REMOVE);
  return lpMsg->message != WM_QUIT;
}

BOOL WINAPI WaitMessage(void) {
  auto queue = CurrentQueue();
  unsigned seen = WakeCount(*queue);
  MSG msg;
  if (Fetch(*queue, &msg, nullptr, 0, 0, PM_NOREMOVE)) return TRUE;
  WaitForWork(*queue, seen);
  return TRUE;
}

LRESULT WINAPI DispatchMessageA(const MSG* lpMsg) {
  if (!lpMsg) return 0;
  if (lpMsg->message == WM_TIMER && lpMsg->lParam) {
    // Only a timer's own procedure is called: a forged WM_TIMER cannot jump anywhere.
    auto proc = reinterpret_cast<TIMERPROC>(lpMsg->lParam);
    bool known = false;
    {
      auto queue = CurrentQueue();
      Lock lock(UserLock());
      for (auto& timer : queue->timers)
        if (timer.hwnd == lpMsg->hwnd && timer.id == lpMsg->wParam && timer.proc == proc) known = true;
    }
    if (known) proc(lpMsg->hwnd, WM_TIMER, lpMsg->wParam, GetTickCount());
    return 0;
  }
  if (!lpMsg->hwnd) return 0;
  auto window = CheckWindow(lpMsg->hwnd);
  if (!window || window->threadId != CurrentThread() || !window->proc) return 0;
  return window->proc(lpMsg->hwnd, lpMsg->message, lpMsg->wParam, lpMsg->lParam);
}

void WINAPI PostQuitMessage(int nExitCode) {
  auto queue = CurrentQueue();
  Lock lock(UserLock());
  queue->quit = true;
  queue->quitCode = nExitCode;
  Bump(*queue);
}

BOOL WINAPI InSendMessage(void) {
  auto queue = CurrentQueue();
  Lock lock(UserLock());
  return !queue->handling.empty();
}

BOOL WINAPI ReplyMessage(LRESULT lResult) {
  auto queue = CurrentQueue();
  Lock lock(UserLock());
  if (queue->handling.empty() || queue->handling.back()->done) return FALSE;
  queue->handling.back()->result = lResult;
  queue->handling.back()->done = true;
  host::kernel::SignalChanged().notify_all();
  return TRUE;
}

DWORD WINAPI GetMessagePos(void) {
  auto queue = CurrentQueue();
  return MAKELONG(queue->lastMessagePos.x, queue->lastMessagePos.y);
}

LONG WINAPI GetMessageTime(void) { return static_cast<LONG>(CurrentQueue()->lastMessageTime); }

UINT WINAPI RegisterWindowMessageA(LPCSTR lpString) {
  if (!lpString || !*lpString) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::string key = lpString;
  for (auto& c : key) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
  Lock lock(UserLock());
  auto& slot = U().registeredMessages[key];
  if (!slot) slot = U().nextAtom++;
  return slot;
}

HHOOK WINAPI SetWindowsHookExA(int idHook, HOOKPROC lpfn, HINSTANCE, DWORD dwThreadId) {
  if (idHook != WH_CALLWNDPROC && idHook != WH_GETMESSAGE) {
    SetLastError(1426 /* ERROR_INVALID_HOOK_FILTER: the host runs no other kind */);
    return nullptr;
  }
  if (!lpfn) {
    SetLastError(ERROR_INVALID_FILTER_PROC);
    return nullptr;
  }
  Lock lock(UserLock());
  Hook hook{reinterpret_cast<HHOOK>(static_cast<ULONG_PTR>(U().nextHook)), idHook, lpfn, dwThreadId};
  U().nextHook += 0x10;
  Hooks().insert(Hooks().begin(), hook);
  return hook.handle;
}

BOOL WINAPI UnhookWindowsHookEx(HHOOK hhk) {
  Lock lock(UserLock());
  auto found = std::find_if(Hooks().begin(), Hooks().end(), [&](const Hook& hook) { return hook.handle == hhk; });
  if (found == Hooks().end()) {
    SetLastError(ERROR_INVALID_HOOK_HANDLE);
    return FALSE;
  }
  Hooks().erase(found);
  return TRUE;
}

LRESULT WINAPI CallNextHookEx(HHOOK hhk, int nCode, WPARAM wParam, LPARAM lParam) {
  int kind = 0;
  {
    Lock lock(UserLock());
    for (auto& hook : Hooks())
      if (hook.handle == hhk) kind = hook.kind;
  }
  if (!kind && hhk) return 0;
  auto chain = HooksFor(kind, CurrentThread());
  auto self = std::find_if(chain.begin(), chain.end(), [&](const Hook& hook) { return hook.handle == hhk; });
  if (self == chain.end() || self + 1 == chain.end()) return 0;
  return (self + 1)->proc(nCode, wParam, lParam);
}

// Timers belong to the queue of the window's thread (or the caller's for
// thread timers) and fire on the station clock.
UINT_PTR WINAPI SetTimer(HWND hWnd, UINT_PTR nIDEvent, UINT uElapse, TIMERPROC lpTimerFunc) {
  std::shared_ptr<ThreadQueue> queue;
  if (hWnd) {
    auto window = CheckWindow(hWnd);
    if (!window) return 0;
    if (window->threadId != CurrentThread()) {
      SetLastError(ERROR_ACCESS_DENIED);
      return 0;
    }
  }
  queue = CurrentQueue();
  Lock lock(UserLock());
  UINT_PTR id = nIDEvent;
  if (!hWnd) {
    bool existing = std::any_of(queue->timers.begin(), queue->timers.end(),
                                [&](const Timer& t) { return !t.hwnd && t.id == nIDEvent && nIDEvent; });
    if (!existing) id = U().nextThreadTimer++;
  }
  UINT elapse = std::max<UINT>(uElapse, 1);
  Timer timer{hWnd, id, elapse, lpTimerFunc, host::ClockNow() + elapse};
  auto found = std::find_if(queue->timers.begin(), queue->timers.end(),
                            [&](const Timer& t) { return t.hwnd == hWnd && t.id == id; });
  if (found != queue->timers.end())
    *found = timer;
  else
    queue->timers.push_back(timer);
  Bump(*queue);
  return hWnd ? (id ? id : 1) : id;
}

BOOL WINAPI KillTimer(HWND hWnd, UINT_PTR uIDEvent) {
  std::shared_ptr<ThreadQueue> queue = CurrentQueue();
  if (hWnd) {
    auto window = FindWindowPtr(hWnd);
    if (window) queue = QueueOf(window->threadId);
  }
  Lock lock(UserLock());
  auto found = std::find_if(queue->timers.begin(), queue->timers.end(),
                            [&](const Timer& t) { return t.hwnd == hWnd && t.id == uIDEvent; });
  if (found == queue->timers.end()) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  queue->timers.erase(found);
  // A WM_TIMER already taken out of the queue is not recalled, as on Windows.
  return TRUE;
}

BOOL WINAPI TranslateMessage(const MSG* lpMsg) {
  if (!lpMsg || (lpMsg->message != WM_KEYDOWN && lpMsg->message != WM_SYSKEYDOWN)) return FALSE;
  int ch = CharacterOfKey(static_cast<UINT>(lpMsg->wParam));
  if (ch < 0) return FALSE;
  UINT msg = lpMsg->message == WM_KEYDOWN ? WM_CHAR : WM_SYSCHAR;
  auto queue = CurrentQueue();
  Lock lock(UserLock());
  queue->posted.push_back(MSG{lpMsg->hwnd, msg, static_cast<WPARAM>(ch), lpMsg->lParam, lpMsg->time, lpMsg->pt});
  Bump(*queue);
  return TRUE;
}

}  // extern "C"
