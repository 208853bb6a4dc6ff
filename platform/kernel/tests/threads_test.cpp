// Threads, waits, events, the station clock, debug output and FatalExit.
#include <host_testing/station_fixture.h>
#include <windows.h>

#include <stdexcept>

namespace {

using Threads = host::testing::StationTest;

DWORD WINAPI ReturnParameter(LPVOID parameter) { return static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(parameter)); }

TEST_F(Threads, ThreadEndsWithItsResultAndBelongsToTheCreatingProcess) {
  DWORD id = 0;
  HANDLE thread = CreateThread(nullptr, 0, ReturnParameter, reinterpret_cast<LPVOID>(42), 0, &id);
  ASSERT_NE(thread, nullptr);
  EXPECT_NE(id, GetCurrentThreadId());
  EXPECT_EQ(WaitForSingleObject(thread, 10000), (DWORD)WAIT_OBJECT_0);
  DWORD code = 0;
  EXPECT_TRUE(GetExitCodeThread(thread, &code));
  EXPECT_EQ(code, 42u);
  EXPECT_TRUE(CloseHandle(thread));
  EXPECT_FALSE(CloseHandle(thread));
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_HANDLE);
}

DWORD WINAPI ExitEarly(LPVOID) {
  ExitThread(9);
  return 1;
}

DWORD WINAPI ReportProcess(LPVOID out) {
  *static_cast<DWORD*>(out) = GetCurrentProcessId();
  return 0;
}

TEST_F(Threads, ExitThreadAndProcessIdentity) {
  HANDLE thread = CreateThread(nullptr, 0, ExitEarly, nullptr, 0, nullptr);
  ASSERT_EQ(WaitForSingleObject(thread, 10000), (DWORD)WAIT_OBJECT_0);
  DWORD code = 0;
  GetExitCodeThread(thread, &code);
  EXPECT_EQ(code, 9u);
  CloseHandle(thread);

  DWORD seen = 0;
  thread = CreateThread(nullptr, 0, ReportProcess, &seen, 0, nullptr);
  WaitForSingleObject(thread, 10000);
  CloseHandle(thread);
  EXPECT_EQ(seen, GetCurrentProcessId());
}

DWORD WINAPI SleepForever(LPVOID) {
  for (;;) Sleep(10);
}

TEST_F(Threads, TerminateThreadEndsTheThreadAtItsNextWait) {
  HANDLE thread = CreateThread(nullptr, 0, SleepForever, nullptr, 0, nullptr);
  EXPECT_EQ(WaitForSingleObject(thread, 50), (DWORD)WAIT_TIMEOUT);
  EXPECT_TRUE(TerminateThread(thread, 5));
  EXPECT_EQ(WaitForSingleObject(thread, 10000), (DWORD)WAIT_OBJECT_0);
  DWORD code = 0;
  GetExitCodeThread(thread, &code);
  EXPECT_EQ(code, 5u);
  CloseHandle(thread);
}

TEST_F(Threads, SuspendedThreadStartsOnResume) {
  HANDLE thread = CreateThread(nullptr, 0, ReturnParameter, reinterpret_cast<LPVOID>(3), CREATE_SUSPENDED, nullptr);
  EXPECT_EQ(WaitForSingleObject(thread, 50), (DWORD)WAIT_TIMEOUT);
  EXPECT_EQ(ResumeThread(thread), 1u);
  EXPECT_EQ(WaitForSingleObject(thread, 10000), (DWORD)WAIT_OBJECT_0);
  CloseHandle(thread);
}

TEST_F(Threads, EventsResetAsCreated) {
  HANDLE automatic = CreateEventA(nullptr, FALSE, TRUE, nullptr);
  EXPECT_EQ(WaitForSingleObject(automatic, 0), (DWORD)WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(automatic, 0), (DWORD)WAIT_TIMEOUT);
  HANDLE manual = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  SetEvent(manual);
  EXPECT_EQ(WaitForSingleObject(manual, 0), (DWORD)WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(manual, 0), (DWORD)WAIT_OBJECT_0);
  ResetEvent(manual);
  EXPECT_EQ(WaitForSingleObject(manual, 0), (DWORD)WAIT_TIMEOUT);
  CloseHandle(automatic);
  CloseHandle(manual);
  EXPECT_EQ(WaitForSingleObject(manual, 0), (DWORD)WAIT_FAILED);
}

TEST_F(Threads, VirtualClockMovesOnlyWhenTold) {
  DWORD start = GetTickCount();
  EXPECT_EQ(GetTickCount(), start);
  host::AdvanceClock(250);
  EXPECT_EQ(GetTickCount(), start + 250);
  Sleep(1000);
  EXPECT_EQ(GetTickCount(), start + 1250);
}

TEST_F(Threads, DebugOutputIsCapturedInOrderPerStation) {
  OutputDebugStringA("first\n\r");
  OutputDebugStringA(nullptr);
  OutputDebugStringA("second\n\r");
  EXPECT_EQ(host::DebugOutput(), (std::vector<std::string>{"first\n\r", "second\n\r"}));
  Reboot();
  EXPECT_TRUE(host::DebugOutput().empty());
}

struct FatalExitCalled {
  int code;
};

TEST_F(Threads, FatalExitReachesTheHandlerNotTheOsProcess) {
  host::SetFatalExitHandler([](int code) { throw FatalExitCalled{code}; });
  try {
    FatalExit(3);
    FAIL() << "FatalExit returned";
  } catch (const FatalExitCalled& called) {
    EXPECT_EQ(called.code, 3);
  }
  EXPECT_EQ(host::DebugOutput().back(), "FatalExit(3)\n");
}

DWORD WINAPI CallFatalExit(LPVOID) {
  FatalExit(8);
  return 0;
}

TEST_F(Threads, FatalExitOnAHostedThreadEndsThatThread) {
  HANDLE thread = CreateThread(nullptr, 0, CallFatalExit, nullptr, 0, nullptr);
  ASSERT_EQ(WaitForSingleObject(thread, 10000), (DWORD)WAIT_OBJECT_0);
  DWORD code = 0;
  GetExitCodeThread(thread, &code);
  EXPECT_EQ(code, 8u);
  CloseHandle(thread);
}

}  // namespace
