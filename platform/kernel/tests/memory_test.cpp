#include <gtest/gtest.h>
#include <host/memory.h>
#include <windows.h>

#include <atomic>
#include <cstring>
#include <ostream>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr DWORD kErrorNotLocked = 158;
constexpr DWORD kErrorDiscarded = 157;
// Far more than any allocator keeps spare behind a 16-byte block.
constexpr SIZE_T kFarBigger = 1 << 20;

// The Local* and Global* calls make the same contract; every test runs on both.
struct Family {
  const char* name;
  HGLOBAL(WINAPI* alloc)(UINT, SIZE_T);
  HGLOBAL(WINAPI* reAlloc)(HGLOBAL, SIZE_T, UINT);
  LPVOID(WINAPI* lock)(HGLOBAL);
  BOOL(WINAPI* unlock)(HGLOBAL);
  SIZE_T(WINAPI* size)(HGLOBAL);
  HGLOBAL(WINAPI* handle)(LPCVOID);
  HGLOBAL(WINAPI* free)(HGLOBAL);
};

void PrintTo(const Family& family, std::ostream* os) { *os << family.name; }

const Family kLocal{"Local", LocalAlloc, LocalReAlloc, LocalLock, LocalUnlock, LocalSize, LocalHandle, LocalFree};
const Family kGlobal{"Global",     GlobalAlloc, GlobalReAlloc, GlobalLock,
                     GlobalUnlock, GlobalSize,  GlobalHandle,  GlobalFree};

class MemoryTest : public ::testing::TestWithParam<Family> {
 protected:
  void TearDown() override { host::memory::ResetAllocationFaults(); }
  const Family& f() const { return GetParam(); }

  // A block holding "0123456789abcdef".
  HGLOBAL FilledBlock(UINT flags) {
    HGLOBAL block = f().alloc(flags, 16);
    auto* data = static_cast<char*>(f().lock(block));
    std::memcpy(data, "0123456789abcdef", 16);
    f().unlock(block);
    return block;
  }
  std::string Content(HGLOBAL block, SIZE_T bytes) {
    auto* data = static_cast<const char*>(f().lock(block));
    std::string content = data ? std::string(data, bytes) : "<no memory>";
    f().unlock(block);
    return content;
  }
};

TEST_P(MemoryTest, FixedBlockIsItsOwnHandle) {
  HGLOBAL block = f().alloc(GMEM_FIXED | GMEM_ZEROINIT, 100);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(f().lock(block), block);
  EXPECT_EQ(f().handle(block), block);
  EXPECT_EQ(f().size(block), 100u);
  EXPECT_EQ(std::string(static_cast<char*>(block), 100), std::string(100, '\0'));
  SetLastError(ERROR_GEN_FAILURE);
  EXPECT_FALSE(f().unlock(block));  // a fixed block is never locked
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(NO_ERROR));
  EXPECT_EQ(f().free(block), nullptr);
}

TEST_P(MemoryTest, MoveableBlockCountsLocksAndMapsBackToItsHandle) {
  HGLOBAL block = f().alloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 64);
  ASSERT_NE(block, nullptr);
  void* data = f().lock(block);
  ASSERT_NE(data, nullptr);
  EXPECT_NE(data, block);
  EXPECT_EQ(std::string(static_cast<char*>(data), 64), std::string(64, '\0'));
  EXPECT_EQ(f().lock(block), data);
  EXPECT_EQ(f().handle(data), block);
  EXPECT_EQ(f().size(block), 64u);

  EXPECT_TRUE(f().unlock(block));  // one lock left
  SetLastError(ERROR_GEN_FAILURE);
  EXPECT_FALSE(f().unlock(block));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(NO_ERROR));
  EXPECT_FALSE(f().unlock(block));
  EXPECT_EQ(GetLastError(), kErrorNotLocked);

  EXPECT_EQ(f().free(block), nullptr);
  EXPECT_EQ(f().handle(data), nullptr);
}

TEST_P(MemoryTest, HandlesThatAreNotBlocksAreRefused) {
  HGLOBAL live = f().alloc(GMEM_FIXED, 8);
  HGLOBAL freedFixed = f().alloc(GMEM_FIXED, 8);
  HGLOBAL freedMoveable = f().alloc(GMEM_MOVEABLE, 8);
  f().free(freedFixed);
  f().free(freedMoveable);
  int onStack = 0;
  const struct {
    const char* what;
    HGLOBAL handle;
  } cases[] = {
      {"freed fixed block", freedFixed},
      {"freed moveable block", freedMoveable},
      {"address inside a block", static_cast<char*>(live) + 4},
      {"address of something else", &onStack},
      {"small number", reinterpret_cast<HGLOBAL>(0x104)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    SetLastError(NO_ERROR);
    EXPECT_EQ(f().size(c.handle), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(f().lock(c.handle), nullptr);
    EXPECT_FALSE(f().unlock(c.handle));
    EXPECT_EQ(f().reAlloc(c.handle, 32, GMEM_MOVEABLE), nullptr);
    EXPECT_EQ(f().handle(c.handle), nullptr);
    SetLastError(NO_ERROR);
    EXPECT_EQ(f().free(c.handle), c.handle);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  }
  EXPECT_EQ(f().free(nullptr), nullptr);
  EXPECT_EQ(f().size(live), 8u);  // untouched by all of the above
  f().free(live);
}

TEST_P(MemoryTest, UnknownFlagsAreRefused) {
  SetLastError(NO_ERROR);
  EXPECT_EQ(f().alloc(GMEM_MODIFY, 8), nullptr);  // only ReAlloc knows it
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(f().alloc(0x80000000, 8), nullptr);
}

struct ReAllocCase {
  const char* what;
  UINT allocFlags;
  bool locked;  // a lock is held across the ReAlloc
  SIZE_T newSize;
  UINT reAllocFlags;
  bool succeeds;
};

TEST_P(MemoryTest, ReAllocKeepsContentOrFailsLeavingTheBlock) {
  const ReAllocCase cases[] = {
      {"fixed shrinks in place", GMEM_FIXED, false, 8, 0, true},
      {"fixed may not move to grow", GMEM_FIXED, false, kFarBigger, 0, false},
      {"fixed grows when allowed to move", GMEM_FIXED, false, kFarBigger, GMEM_MOVEABLE, true},
      {"moveable grows", GMEM_MOVEABLE, false, kFarBigger, 0, true},
      {"locked moveable shrinks", GMEM_MOVEABLE, true, 8, 0, true},
      {"locked moveable stays put", GMEM_MOVEABLE, true, kFarBigger, 0, false},
      {"locked moveable moves when allowed", GMEM_MOVEABLE, true, kFarBigger, GMEM_MOVEABLE, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    HGLOBAL block = FilledBlock(c.allocFlags);
    void* lockedAt = c.locked ? f().lock(block) : nullptr;
    SetLastError(NO_ERROR);
    HGLOBAL result = f().reAlloc(block, c.newSize, c.reAllocFlags);
    SIZE_T kept = c.newSize < 16 ? c.newSize : 16;
    if (c.succeeds) {
      ASSERT_NE(result, nullptr);
      if (c.allocFlags & GMEM_MOVEABLE) {
        EXPECT_EQ(result, block);
      }
      EXPECT_EQ(f().size(result), c.newSize);
      EXPECT_EQ(Content(result, kept), std::string("0123456789abcdef", kept));
      block = result;
    } else {
      EXPECT_EQ(result, nullptr);
      EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));
      EXPECT_EQ(f().size(block), 16u);
      EXPECT_EQ(Content(block, 16), "0123456789abcdef");
      if (lockedAt) {
        EXPECT_EQ(f().handle(lockedAt), block);  // still there for the program
      }
    }
    EXPECT_EQ(f().free(block), nullptr);
  }
}

TEST_P(MemoryTest, ReAllocZeroInitClearsOnlyTheNewBytes) {
  for (UINT kind : {GMEM_FIXED, GMEM_MOVEABLE}) {
    SCOPED_TRACE(kind);
    HGLOBAL block = FilledBlock(kind);
    block = f().reAlloc(block, 4, 0);  // leaves stale bytes behind the end
    block = f().reAlloc(block, kFarBigger, GMEM_MOVEABLE | GMEM_ZEROINIT);
    ASSERT_NE(block, nullptr);
    std::string content = Content(block, kFarBigger);
    EXPECT_EQ(content.substr(0, 4), "0123");
    EXPECT_EQ(content.find_first_not_of('\0', 4), std::string::npos);
    f().free(block);
  }
}

TEST_P(MemoryTest, ModifyTurnsAFixedBlockMoveableWithoutMovingIt) {
  HGLOBAL fixed = FilledBlock(GMEM_FIXED);
  HGLOBAL moveable = f().reAlloc(fixed, 0, GMEM_MODIFY | GMEM_MOVEABLE);
  ASSERT_NE(moveable, nullptr);
  EXPECT_NE(moveable, fixed);
  EXPECT_EQ(f().lock(moveable), static_cast<void*>(fixed));
  EXPECT_EQ(f().handle(fixed), moveable);
  EXPECT_EQ(f().size(moveable), 16u);  // the size argument is ignored
  EXPECT_EQ(f().size(fixed), 0u);      // the address is no handle any more
  EXPECT_NE(f().lock(moveable), nullptr);
  EXPECT_TRUE(f().unlock(moveable));  // its locks are counted now
  EXPECT_FALSE(f().unlock(moveable));
  EXPECT_EQ(f().reAlloc(moveable, 0, GMEM_MODIFY | GMEM_DISCARDABLE), moveable);
  EXPECT_EQ(f().free(moveable), nullptr);
}

TEST_P(MemoryTest, MoveableBlockOfNoBytesIsDiscardedUntilReAllocated) {
  HGLOBAL block = FilledBlock(GMEM_MOVEABLE);
  ASSERT_EQ(f().reAlloc(block, 0, GMEM_MOVEABLE), block);
  EXPECT_EQ(f().size(block), 0u);
  EXPECT_EQ(f().lock(block), nullptr);
  EXPECT_EQ(GetLastError(), kErrorDiscarded);
  ASSERT_EQ(f().reAlloc(block, 8, GMEM_MOVEABLE | GMEM_ZEROINIT), block);
  EXPECT_EQ(Content(block, 8), std::string(8, '\0'));
  f().free(block);

  HGLOBAL empty = f().alloc(GMEM_MOVEABLE, 0);
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(f().lock(empty), nullptr);
  EXPECT_EQ(f().free(empty), nullptr);
}

TEST_P(MemoryTest, LockedBlockKeepsItsMemoryWhenShrunkToNothing) {
  HGLOBAL block = FilledBlock(GMEM_MOVEABLE);
  void* data = f().lock(block);
  ASSERT_EQ(f().reAlloc(block, 0, 0), block);
  EXPECT_EQ(f().size(block), 0u);
  EXPECT_EQ(f().handle(data), block);  // the program's address is still good
  f().unlock(block);
  f().free(block);
}

TEST_P(MemoryTest, PlannedFaultsFailAllocationsAndGrowth) {
  host::memory::FailAllocationsAfter(2);
  HGLOBAL first = f().alloc(GMEM_FIXED, 16);
  HGLOBAL second = f().alloc(GMEM_MOVEABLE, 16);
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  for (UINT flags : {GMEM_FIXED, GMEM_MOVEABLE}) {
    SetLastError(NO_ERROR);
    EXPECT_EQ(f().alloc(flags, 16), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));
  }
  EXPECT_EQ(f().reAlloc(second, kFarBigger, GMEM_MOVEABLE), nullptr);
  EXPECT_EQ(f().size(second), 16u);
  EXPECT_EQ(f().reAlloc(second, 8, 0), second);  // shrinking needs no memory
  EXPECT_EQ(HeapAlloc(GetProcessHeap(), 0, 16), nullptr);

  host::memory::ResetAllocationFaults();
  HGLOBAL third = f().alloc(GMEM_FIXED, 16);
  EXPECT_NE(third, nullptr);
  for (HGLOBAL block : {first, second, third}) f().free(block);
}

TEST_P(MemoryTest, ImpossibleSizeFailsCleanly) {
  SetLastError(NO_ERROR);
  EXPECT_EQ(f().alloc(GMEM_FIXED, 0x80000000), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));
  HGLOBAL block = FilledBlock(GMEM_MOVEABLE);
  EXPECT_EQ(f().reAlloc(block, 0xFFFFFFF0, GMEM_MOVEABLE), nullptr);
  EXPECT_EQ(Content(block, 16), "0123456789abcdef");
  f().free(block);
}

TEST_P(MemoryTest, LiveAndLockedCountsFollowTheBlocks) {
  int live = host::memory::LiveBlocks(), locked = host::memory::LockedBlocks();
  HGLOBAL fixed = f().alloc(GMEM_FIXED, 16), moveable = f().alloc(GMEM_MOVEABLE, 16);
  EXPECT_EQ(host::memory::LiveBlocks(), live + 2);
  f().lock(moveable);
  f().lock(moveable);
  f().lock(fixed);  // a fixed block never counts as locked
  EXPECT_EQ(host::memory::LockedBlocks(), locked + 1);
  f().unlock(moveable);
  EXPECT_EQ(host::memory::LockedBlocks(), locked + 1);
  f().unlock(moveable);
  EXPECT_EQ(host::memory::LockedBlocks(), locked);
  f().free(fixed);
  f().free(moveable);
  EXPECT_EQ(host::memory::LiveBlocks(), live);
}

INSTANTIATE_TEST_SUITE_P(Families, MemoryTest, ::testing::Values(kLocal, kGlobal),
                         [](const ::testing::TestParamInfo<Family>& info) { return std::string(info.param.name); });

TEST(MemoryFamilies, ShareOneAllocator) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 8);
  EXPECT_EQ(LocalSize(block), 8u);
  EXPECT_EQ(LocalFree(block), nullptr);
  EXPECT_EQ(GlobalSize(block), 0u);
}

TEST(MemoryThreads, ConcurrentBlocksStayApart) {
  constexpr int kThreads = 4;
  constexpr int kRounds = 500;
  std::atomic<int> damaged{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t, &damaged] {
      std::vector<HGLOBAL> held;
      for (int round = 0; round < kRounds; ++round) {
        HGLOBAL block = GlobalAlloc(round % 2 ? GMEM_MOVEABLE : GMEM_FIXED, 32);
        std::memset(GlobalLock(block), 'A' + t, 32);
        GlobalUnlock(block);
        held.push_back(block);
        if (round % 3 == 0) held.back() = GlobalReAlloc(block, 64 + round, GMEM_MOVEABLE);
      }
      for (HGLOBAL block : held) {
        auto* data = static_cast<const char*>(GlobalLock(block));
        if (!data || std::string(data, 32) != std::string(32, 'A' + t)) ++damaged;
        GlobalUnlock(block);
        if (GlobalFree(block)) ++damaged;
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(damaged, 0);
}

class HeapTest : public ::testing::Test {
 protected:
  void TearDown() override { host::memory::ResetAllocationFaults(); }
  HANDLE heap_ = GetProcessHeap();
};

TEST_F(HeapTest, AllocZeroesAndReAllocKeepsContent) {
  auto* data = static_cast<char*>(HeapAlloc(heap_, HEAP_ZERO_MEMORY, 16));
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(std::string(data, 16), std::string(16, '\0'));
  EXPECT_EQ(HeapSize(heap_, 0, data), 16u);
  std::memcpy(data, "0123456789abcdef", 16);

  auto* bigger = static_cast<char*>(HeapReAlloc(heap_, HEAP_ZERO_MEMORY, data, kFarBigger));
  ASSERT_NE(bigger, nullptr);
  EXPECT_EQ(std::string(bigger, 16), "0123456789abcdef");
  EXPECT_EQ(std::string(bigger + 16, kFarBigger - 16).find_first_not_of('\0'), std::string::npos);
  EXPECT_EQ(HeapSize(heap_, 0, bigger), kFarBigger);
  EXPECT_TRUE(HeapFree(heap_, 0, bigger));
}

TEST_F(HeapTest, InPlaceOnlyReAllocFailsRatherThanMove) {
  auto* data = static_cast<char*>(HeapAlloc(heap_, 0, 16));
  std::memcpy(data, "0123456789abcdef", 16);
  EXPECT_EQ(HeapReAlloc(heap_, HEAP_REALLOC_IN_PLACE_ONLY, data, kFarBigger), nullptr);
  EXPECT_EQ(HeapReAlloc(heap_, HEAP_REALLOC_IN_PLACE_ONLY, data, 8), data);
  EXPECT_EQ(HeapSize(heap_, 0, data), 8u);
  EXPECT_EQ(std::string(data, 8), "01234567");
  EXPECT_TRUE(HeapFree(heap_, 0, data));
}

TEST_F(HeapTest, BadHeapsAndAddressesAreRefused) {
  char onStack[16];
  HGLOBAL moveable = GlobalAlloc(GMEM_MOVEABLE, 16);
  void* moveableData = GlobalLock(moveable);
  for (void* address : {static_cast<void*>(onStack), moveableData, static_cast<void*>(moveable)}) {
    EXPECT_EQ(HeapSize(heap_, 0, address), static_cast<SIZE_T>(-1));
    EXPECT_EQ(HeapReAlloc(heap_, 0, address, 32), nullptr);
    EXPECT_FALSE(HeapFree(heap_, 0, address));
  }
  EXPECT_EQ(GlobalSize(moveable), 16u);  // the moveable block survived HeapFree
  GlobalUnlock(moveable);
  GlobalFree(moveable);

  HANDLE notAHeap = reinterpret_cast<HANDLE>(0x1234);
  EXPECT_EQ(HeapAlloc(notAHeap, 0, 16), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_TRUE(HeapFree(heap_, 0, nullptr));
}

TEST(Interlocked, CountsFromManyThreadsAddUp) {
  LONG volatile counter = 0;
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&counter] {
      for (int i = 0; i < 10000; ++i) {
        InterlockedIncrement(&counter);
        InterlockedIncrement(&counter);
        InterlockedDecrement(&counter);
      }
    });
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(counter, 40000);
  EXPECT_EQ(InterlockedIncrement(&counter), 40001);
  EXPECT_EQ(InterlockedDecrement(&counter), 40000);
  EXPECT_EQ(InterlockedExchange(&counter, -7), 40000);
  EXPECT_EQ(counter, -7);
}

}  // namespace
