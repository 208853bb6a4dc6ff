// Hosted processes and threads, waits and events.
#include "kernel/process_table.h"

#include <pthread.h>

#include <algorithm>
#include <chrono>
#include <stdexcept>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <thread>

namespace host::kernel {
namespace {

struct Tables {
  std::map<DWORD, std::weak_ptr<ProcessState>> processes;
  std::shared_ptr<ProcessState> bootProcess;
  DWORD nextProcessId = 0xFFF10000;  // Windows 95 ids look like this: large, never reused
  DWORD nextThreadId = 0xFFF80000;
  std::function<void(ProcessState&)> processEndHandler;
  std::vector<std::function<void(DWORD)>> threadEndHandlers;
  std::vector<std::weak_ptr<ThreadState>> threads;
};

Tables& T() {
  static Tables tables;
  return tables;
}

thread_local std::shared_ptr<ThreadState> tThread;

// A thread the station did not start (the test's or `ovx`'s) is adopted by
// the boot process the first time it asks who it is.
std::shared_ptr<ThreadState> AdoptForeignThread() {
  std::lock_guard lock(KernelLock());
  auto thread = std::make_shared<ThreadState>();
  thread->id = T().nextThreadId += 4;
  thread->owner = T().bootProcess;
  thread->started = true;
  return thread;
}

struct ThreadExit {
  DWORD code;
};

void EndProcessIfLastThread(const std::shared_ptr<ProcessState>& process, DWORD exitCode) {
  std::function<void(ProcessState&)> handler;
  {
    std::lock_guard lock(KernelLock());
    if (--process->liveThreads > 0 || process == T().bootProcess) return;
    handler = T().processEndHandler;
  }
  if (handler) handler(*process);
  std::lock_guard lock(KernelLock());
  process->exited = true;
  if (process->exitCode == STILL_ACTIVE) process->exitCode = exitCode;
  SignalChanged().notify_all();
}

void RunThreadEndHandlers(DWORD threadId) {
  std::vector<std::function<void(DWORD)>> handlers;
  {
    std::lock_guard lock(KernelLock());
    handlers = T().threadEndHandlers;
  }
  for (auto& handler : handlers) handler(threadId);
}

}  // namespace

std::condition_variable_any& SignalChanged() {
  static std::condition_variable_any changed;
  return changed;
}

std::shared_ptr<ProcessState> NewProcess(const std::string& imagePath, const std::string& commandLine) {
  auto state = std::make_shared<ProcessState>();
  std::lock_guard lock(KernelLock());
  state->process.id = T().nextProcessId += 0x10;
  state->process.imagePath = imagePath;
  state->process.commandLine = commandLine;
  state->process.currentDirectory = kWindowsDirectory;
  T().processes[state->process.id] = state;
  return state;
}

std::shared_ptr<ProcessState> FindProcess(DWORD processId) {
  std::lock_guard lock(KernelLock());
  auto found = T().processes.find(processId);
  return found == T().processes.end() ? nullptr : found->second.lock();
}

void StartBootProcess() {
  auto boot = NewProcess(std::string(kWindowsDirectory) + "\\OVXHOST.EXE", "OVXHOST.EXE");
  std::lock_guard lock(KernelLock());
  T().bootProcess = boot;
  boot->liveThreads = 1;
  tThread.reset();  // the calling thread is adopted anew
}

void EndBootProcess() {
  std::function<void(ProcessState&)> handler;
  std::shared_ptr<ProcessState> boot;
  {
    std::lock_guard lock(KernelLock());
    boot = T().bootProcess;
    handler = T().processEndHandler;
  }
  if (boot && handler) handler(*boot);
  std::lock_guard lock(KernelLock());
  if (boot) boot->exited = true;
  T().bootProcess.reset();
  T().processes.clear();
  T().threads.clear();
  tThread.reset();
}

void EndAllPrograms() {
  std::vector<std::shared_ptr<ThreadState>> live;
  {
    std::lock_guard lock(KernelLock());
    for (auto& weak : T().threads)
      if (auto thread = weak.lock(); thread && !thread->exited) {
        thread->terminateRequested = true;
        live.push_back(thread);
      }
    SignalChanged().notify_all();
  }
  // Programs end at their next wait; give them a moment, then leave them be.
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  std::unique_lock lock(KernelLock());
  for (auto& thread : live)
    SignalChanged().wait_until(lock, deadline, [&] { return thread->exited; });
  for (auto& thread : live)
    if (!thread->exited) std::fprintf(stderr, "station shutdown: thread %lx did not end\n", thread->id);
}

std::shared_ptr<ThreadState> CurrentThread() {
  if (!tThread) tThread = AdoptForeignThread();
  return tThread;
}

Process& CurrentProcess() {
  auto thread = CurrentThread();
  if (!thread->owner) throw std::logic_error("no station is booted");
  return thread->owner->process;
}

DWORD CurrentThreadId() { return CurrentThread()->id; }

std::shared_ptr<ThreadState> StartThread(std::shared_ptr<ProcessState> process, std::function<DWORD()> body,
                                         bool suspended) {
  auto thread = std::make_shared<ThreadState>();
  {
    std::lock_guard lock(KernelLock());
    thread->id = T().nextThreadId += 4;
    thread->owner = process;
    thread->started = !suspended;
    ++process->liveThreads;
    T().threads.push_back(thread);
  }
  std::thread([thread, body = std::move(body)] {
    tThread = thread;
    {
      std::unique_lock lock(KernelLock());
      SignalChanged().wait(lock, [&] { return thread->started || thread->terminateRequested; });
    }
    DWORD code = STILL_ACTIVE;
    try {
      if (!thread->terminateRequested) code = body();
    } catch (const ThreadExit& exit) {
      code = exit.code;
    }
    RunThreadEndHandlers(thread->id);
    {
      std::lock_guard lock(KernelLock());
      thread->exited = true;
      if (thread->exitCode == STILL_ACTIVE) thread->exitCode = code;
      SignalChanged().notify_all();
    }
    EndProcessIfLastThread(thread->owner, code);
    tThread.reset();
  }).detach();
  return thread;
}

void ResumeStartedThread(const std::shared_ptr<ThreadState>& thread) {
  std::lock_guard lock(KernelLock());
  thread->started = true;
  SignalChanged().notify_all();
}

void EndThreadIfTerminated() {
  auto thread = CurrentThread();
  bool terminate;
  {
    std::lock_guard lock(KernelLock());
    terminate = thread->terminateRequested;
  }
  if (terminate) ExitThread(thread->exitCode == STILL_ACTIVE ? 0 : thread->exitCode);
}

void SetProcessEndHandler(std::function<void(ProcessState&)> handler) {
  std::lock_guard lock(KernelLock());
  T().processEndHandler = std::move(handler);
}

void AddThreadEndHandler(std::function<void(DWORD)> handler) {
  std::lock_guard lock(KernelLock());
  T().threadEndHandlers.push_back(std::move(handler));
}

namespace {

struct EventState : WaitableObject {
  bool manualReset = false;
  bool signaled = false;
  bool IsSignaled() const override { return signaled; }
  void OnWaitSatisfied() override {
    if (!manualReset) signaled = false;
  }
};

// Thread and process handles refer to the shared state.
struct ThreadHandle : WaitableObject {
  std::shared_ptr<ThreadState> thread;
  bool IsSignaled() const override { return thread->exited; }
};
struct ProcessHandle : WaitableObject {
  std::shared_ptr<ProcessState> process;
  bool IsSignaled() const override { return process->exited; }
};

}  // namespace

HANDLE NewThreadHandle(std::shared_ptr<ThreadState> thread) {
  auto handle = std::make_shared<ThreadHandle>();
  handle->thread = std::move(thread);
  return AddHandle(handle);
}

HANDLE NewProcessHandle(std::shared_ptr<ProcessState> process) {
  auto handle = std::make_shared<ProcessHandle>();
  handle->process = std::move(process);
  return AddHandle(handle);
}

namespace {
std::shared_ptr<ThreadState> ThreadOfHandle(HANDLE handle) {
  if (handle == GetCurrentThread()) return CurrentThread();
  auto object = LookupHandleAs<ThreadHandle>(handle);
  return object ? object->thread : nullptr;
}
}  // namespace

}  // namespace host::kernel

using namespace host::kernel;

extern "C" {

HANDLE WINAPI CreateThread(LPSECURITY_ATTRIBUTES, SIZE_T, LPTHREAD_START_ROUTINE lpStartAddress, LPVOID lpParameter,
                           DWORD dwCreationFlags, LPDWORD lpThreadId) {
  if (!lpStartAddress) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return NULL;
  }
  auto thread = StartThread(CurrentThread()->owner, [=] { return lpStartAddress(lpParameter); },
                            (dwCreationFlags & CREATE_SUSPENDED) != 0);
  if (lpThreadId) *lpThreadId = thread->id;
  return NewThreadHandle(thread);
}

void WINAPI ExitThread(DWORD dwExitCode) {
  auto thread = CurrentThread();
  bool hosted;
  {
    std::lock_guard lock(KernelLock());
    hosted = std::find_if(T().threads.begin(), T().threads.end(), [&](auto& weak) {
               return weak.lock() == thread;
             }) != T().threads.end();
  }
  if (!hosted) {
    std::fprintf(stderr, "ExitThread on a thread the station did not start\n");
    std::abort();
  }
  // Unwinds the hosted thread's stack back to the thread's start, running destructors.
  throw ThreadExit{dwExitCode};
}

BOOL WINAPI TerminateThread(HANDLE hThread, DWORD dwExitCode) {
  auto thread = ThreadOfHandle(hThread);
  if (!thread) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  std::lock_guard lock(KernelLock());
  if (!thread->exited) {
    thread->terminateRequested = true;
    thread->exitCode = dwExitCode;
  }
  SignalChanged().notify_all();
  return TRUE;
}

BOOL WINAPI GetExitCodeThread(HANDLE hThread, LPDWORD lpExitCode) {
  auto thread = ThreadOfHandle(hThread);
  if (!thread || !lpExitCode) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  std::lock_guard lock(KernelLock());
  *lpExitCode = thread->exited ? thread->exitCode : STILL_ACTIVE;
  return TRUE;
}

DWORD WINAPI ResumeThread(HANDLE hThread) {
  auto thread = ThreadOfHandle(hThread);
  if (!thread) {
    SetLastError(ERROR_INVALID_HANDLE);
    return (DWORD)-1;
  }
  DWORD previous = thread->started ? 0 : 1;
  ResumeStartedThread(thread);
  return previous;
}

BOOL WINAPI GetExitCodeProcess(HANDLE hProcess, LPDWORD lpExitCode) {
  auto object = LookupHandleAs<ProcessHandle>(hProcess);
  if (!object || !lpExitCode) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  std::lock_guard lock(KernelLock());
  *lpExitCode = object->process->exited ? object->process->exitCode : STILL_ACTIVE;
  return TRUE;
}

// Waits measure their time-outs in real time: a wait is for another thread's
// work, which the virtual clock does not pace.
DWORD WINAPI WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds) {
  std::shared_ptr<WaitableObject> object;
  if (hHandle == GetCurrentThread()) {
    SetLastError(ERROR_INVALID_HANDLE);  // waiting for oneself would never end
    return WAIT_FAILED;
  }
  object = LookupHandleAs<WaitableObject>(hHandle);
  if (!object) {
    SetLastError(ERROR_INVALID_HANDLE);
    return WAIT_FAILED;
  }
  auto self = CurrentThread();
  std::unique_lock lock(KernelLock());
  auto ready = [&] { return object->IsSignaled() || self->terminateRequested; };
  bool signaled;
  if (dwMilliseconds == INFINITE)
    signaled = (SignalChanged().wait(lock, ready), true);
  else
    signaled = SignalChanged().wait_for(lock, std::chrono::milliseconds(dwMilliseconds), ready);
  if (self->terminateRequested) {
    lock.unlock();
    EndThreadIfTerminated();
  }
  if (!signaled || !object->IsSignaled()) return WAIT_TIMEOUT;
  object->OnWaitSatisfied();
  return WAIT_OBJECT_0;
}

HANDLE WINAPI CreateEventA(LPSECURITY_ATTRIBUTES, BOOL bManualReset, BOOL bInitialState, LPCSTR) {
  auto event = std::make_shared<EventState>();
  event->manualReset = bManualReset;
  event->signaled = bInitialState;
  return AddHandle(event);
}

BOOL WINAPI SetEvent(HANDLE hEvent) {
  auto event = LookupHandleAs<EventState>(hEvent);
  if (!event) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  std::lock_guard lock(KernelLock());
  event->signaled = true;
  SignalChanged().notify_all();
  return TRUE;
}

BOOL WINAPI ResetEvent(HANDLE hEvent) {
  auto event = LookupHandleAs<EventState>(hEvent);
  if (!event) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  std::lock_guard lock(KernelLock());
  event->signaled = false;
  return TRUE;
}

DWORD WINAPI GetCurrentThreadId(void) { return CurrentThreadId(); }
DWORD WINAPI GetCurrentProcessId(void) { return CurrentProcess().id; }
HANDLE WINAPI GetCurrentThread(void) { return (HANDLE)(LONG_PTR)-2; }
HANDLE WINAPI GetCurrentProcess(void) { return (HANDLE)(LONG_PTR)-1; }

void WINAPI Sleep(DWORD dwMilliseconds) {
  EndThreadIfTerminated();
  if (host::CurrentStationConfig().realClock) {
    std::this_thread::sleep_for(std::chrono::milliseconds(dwMilliseconds));
  } else {
    // On the virtual clock a sleep passes its time at once.
    host::AdvanceClock(dwMilliseconds);
    std::this_thread::yield();
  }
  EndThreadIfTerminated();
}

void WINAPI FatalExit(int ExitCode) {
  char text[64];
  std::snprintf(text, sizeof text, "FatalExit(%d)\n", ExitCode);
  OutputDebugStringA(text);
  if (auto handler = FatalExitHandler()) handler(ExitCode);
  ExitThread(static_cast<DWORD>(ExitCode));
}

void WINAPI FatalAppExitA(UINT, LPCSTR lpMessageText) {
  if (lpMessageText) OutputDebugStringA(lpMessageText);
  FatalExit(-1);
}

void WINAPI ExitProcess(UINT uExitCode) {
  auto thread = CurrentThread();
  {
    std::lock_guard lock(KernelLock());
    thread->owner->exitCode = uExitCode;
    for (auto& weak : T().threads)
      if (auto other = weak.lock(); other && other->owner == thread->owner && other != thread)
        other->terminateRequested = true;
    SignalChanged().notify_all();
  }
  ExitThread(uExitCode);
}

}  // extern "C"
