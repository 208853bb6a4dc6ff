// Hosted processes and threads. Each hosted program runs on OS threads of
// its own; the kernel keeps which process a thread belongs to.
#pragma once

#include "kernel/kernel_objects.h"
#include "kernel/station_state.h"

#include <condition_variable>
#include <functional>
#include <memory>
#include <vector>

namespace host::kernel {

// A waitable object: threads, processes and events. All of them signal
// through one condition variable; waits are rare and short.
struct WaitableObject : KernelObject {
  virtual bool IsSignaled() const = 0;
  virtual void OnWaitSatisfied() {}
};
std::condition_variable_any& SignalChanged();

struct ProcessState : WaitableObject {
  Process process;
  bool exited = false;
  DWORD exitCode = STILL_ACTIVE;
  int liveThreads = 0;
  bool IsSignaled() const override { return exited; }
};

struct ThreadState : WaitableObject {
  DWORD id = 0;
  std::shared_ptr<ProcessState> owner;
  bool started = false;  // false while CREATE_SUSPENDED
  bool exited = false;
  bool terminateRequested = false;
  DWORD exitCode = STILL_ACTIVE;
  bool IsSignaled() const override { return exited; }
};

void StartBootProcess();
void EndBootProcess();
// Asks every hosted program to end (cooperatively) and waits a little for them.
void EndAllPrograms();

std::shared_ptr<ProcessState> NewProcess(const std::string& imagePath, const std::string& commandLine);
std::shared_ptr<ProcessState> FindProcess(DWORD processId);
std::shared_ptr<ThreadState> CurrentThread();

// Runs `body` on a new OS thread belonging to `process`. The thread's exit
// code is body's result. When the last thread of a process ends, the process
// ends: its modules are detached (DLL_PROCESS_DETACH) and it is signalled.
std::shared_ptr<ThreadState> StartThread(std::shared_ptr<ProcessState> process, std::function<DWORD()> body,
                                         bool suspended);
void ResumeStartedThread(const std::shared_ptr<ThreadState>& thread);

// Cooperative termination: TerminateThread marks a thread; the thread ends the
// next time it enters a waiting host call (Sleep, waits, message retrieval).
void EndThreadIfTerminated();

// Called when a hosted process ends, before it is signalled (the loader detaches its modules).
void SetProcessEndHandler(std::function<void(ProcessState&)> handler);
// Called on a hosted thread just before it ends (the window manager frees its queue).
void AddThreadEndHandler(std::function<void(DWORD threadId)> handler);

// Runs a program module as a new hosted process: the command line's first
// token (quoted, or up to the first blank) names it. Returns the process id
// once its module is loaded, or 0 with `error` set (ERROR_FILE_NOT_FOUND,
// ERROR_PATH_NOT_FOUND, ERROR_BAD_FORMAT). An empty `currentDirectory` gives
// the program's own folder.
DWORD StartProgramProcess(const std::string& commandLine, int showCommand, DWORD& error,
                          std::shared_ptr<ProcessState>* started);
DWORD StartProgramProcess(const std::string& commandLine, int showCommand, const std::string& currentDirectory,
                          DWORD& error, std::shared_ptr<ProcessState>* started);

HANDLE NewThreadHandle(std::shared_ptr<ThreadState> thread);
HANDLE NewProcessHandle(std::shared_ptr<ProcessState> process);

void RecordBeep(UINT type);
std::function<void(int)> FatalExitHandler();

}  // namespace host::kernel
