// Local, global and process heap memory, and the interlocked counters.
//
// Local* and Global* are one allocator, as on 32-bit Windows: a block made by
// either family may be used with the other. A fixed block's handle is its
// address. A moveable block's handle is an address in a reserved, inaccessible
// range, so it never equals a block address and a program that writes through
// a handle instead of locking it faults at once instead of corrupting memory.
#include <host/memory.h>
#include <host/station.h>
#include <malloc.h>
#include <sys/mman.h>
#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <unordered_map>

namespace host::memory {
namespace {

// Larger requests fail at once: a 32-bit Windows program has 2 GB at most.
constexpr SIZE_T kLargestBlock = 0x7FFFFFFF;
constexpr UINT kDiscardableFlags = 0x0F00;  // LMEM_DISCARDABLE; GMEM_DISCARDABLE is one of its bits

constexpr SIZE_T kHandleSpaceBytes = 4 << 20;
constexpr SIZE_T kHandleStep = 8;

// -1: no fault planned; otherwise how many allocations still succeed.
std::atomic<int> gAllocationsBeforeFault{-1};

bool AllocationFaultDue() {
  int left = gAllocationsBeforeFault.load();
  while (left > 0 && !gAllocationsBeforeFault.compare_exchange_weak(left, left - 1)) {
  }
  return left == 0;
}

// Memory for a block of `bytes` (0 allowed), or nullptr with the last error set.
char* ObtainMemory(SIZE_T bytes) {
  char* data = nullptr;
  if (!AllocationFaultDue() && bytes <= kLargestBlock) data = static_cast<char*>(std::malloc(bytes ? bytes : 1));
  if (!data) SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  return data;
}

struct Block {
  char* data = nullptr;  // nullptr: a discarded moveable block
  SIZE_T size = 0;
  bool moveable = false;
  bool discardable = false;
  int locks = 0;
};

ULONG_PTR Key(LPCVOID handle) { return reinterpret_cast<ULONG_PTR>(handle); }
HGLOBAL AsHandle(ULONG_PTR key) { return reinterpret_cast<HGLOBAL>(key); }

class MemoryTable {
 public:
  std::mutex mutex;

  // The block of a handle, or nullptr with ERROR_INVALID_HANDLE.
  Block* Find(HGLOBAL handle) {
    auto found = blocks_.find(Key(handle));
    if (found != blocks_.end()) return &found->second;
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }

  // The handle of the block starting at `data`, or nullptr.
  HGLOBAL HandleOf(LPCVOID data) {
    auto fixed = blocks_.find(Key(data));
    if (fixed != blocks_.end() && !fixed->second.moveable) return AsHandle(fixed->first);
    auto moveable = moveableData_.find(Key(data));
    return moveable == moveableData_.end() ? nullptr : AsHandle(moveable->second);
  }

  HGLOBAL AddFixed(const Block& block) {
    blocks_[Key(block.data)] = block;
    return block.data;
  }

  // nullptr with ERROR_NOT_ENOUGH_MEMORY when every moveable handle is in use.
  HGLOBAL AddMoveable(const Block& block) {
    ULONG_PTR handle = NewMoveableHandle();
    if (!handle) {
      SetLastError(ERROR_NOT_ENOUGH_MEMORY);
      return nullptr;
    }
    blocks_[handle] = block;
    blocks_[handle].moveable = true;
    if (block.data) moveableData_[Key(block.data)] = handle;
    return AsHandle(handle);
  }

  // Moves the block's memory; its handle stays, unless a fixed block moved.
  HGLOBAL Relocate(HGLOBAL handle, char* newData) {
    Block& block = blocks_.at(Key(handle));
    if (block.moveable) {
      if (block.data) moveableData_.erase(Key(block.data));
      if (newData) moveableData_[Key(newData)] = Key(handle);
      block.data = newData;
      return handle;
    }
    Block moved = block;
    moved.data = newData;
    blocks_.erase(Key(handle));
    return AddFixed(moved);
  }

  // Removes the handle and returns its memory to be freed.
  char* Remove(HGLOBAL handle) {
    auto found = blocks_.find(Key(handle));
    char* data = found->second.data;
    if (found->second.moveable && data) moveableData_.erase(Key(data));
    blocks_.erase(found);
    return data;
  }

 private:
  ULONG_PTR NewMoveableHandle() {
    if (!handleSpace_) {
      void* space = mmap(nullptr, kHandleSpaceBytes, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
      if (space == MAP_FAILED) return 0;
      handleSpace_ = reinterpret_cast<ULONG_PTR>(space);
    }
    // Handles are handed out in turn, so a freed one is reused as late as possible.
    for (SIZE_T tried = 0; tried < kHandleSpaceBytes / kHandleStep; ++tried) {
      ULONG_PTR candidate = handleSpace_ + nextOffset_;
      nextOffset_ = (nextOffset_ + kHandleStep) % kHandleSpaceBytes;
      if (!blocks_.count(candidate)) return candidate;
    }
    return 0;
  }

  std::unordered_map<ULONG_PTR, Block> blocks_;            // by handle
  std::unordered_map<ULONG_PTR, ULONG_PTR> moveableData_;  // moveable block address -> handle
  ULONG_PTR handleSpace_ = 0;
  SIZE_T nextOffset_ = 0;
};

MemoryTable& Table() {
  static MemoryTable table;
  return table;
}

void ZeroTail(char* data, SIZE_T from, SIZE_T to) {
  if (to > from) std::memset(data + from, 0, to - from);
}

bool FitsInPlace(const Block& block, SIZE_T bytes) {
  return bytes <= block.size || (block.data && malloc_usable_size(block.data) >= bytes);
}

// Grows or shrinks a block that has memory; nullptr (and the block unchanged)
// on failure. `mayMove` allows new memory when the present one is too small.
HGLOBAL Resize(MemoryTable& table, HGLOBAL handle, Block& block, SIZE_T bytes, bool mayMove, bool zero) {
  if (bytes > block.size && AllocationFaultDue()) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  if (FitsInPlace(block, bytes)) {
    if (zero) ZeroTail(block.data, block.size, bytes);
    block.size = bytes;
    return handle;
  }
  char* moved = mayMove && bytes <= kLargestBlock ? static_cast<char*>(std::realloc(block.data, bytes)) : nullptr;
  if (!moved) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  if (zero) ZeroTail(moved, block.size, bytes);
  block.size = bytes;
  return table.Relocate(handle, moved);
}

HGLOBAL Allocate(UINT flags, SIZE_T bytes, UINT validFlags) {
  if (flags & ~validFlags) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  bool moveable = flags & GMEM_MOVEABLE;
  Block block;
  block.size = bytes;
  block.discardable = moveable && (flags & kDiscardableFlags);
  // A moveable block of 0 bytes is made discarded, as on Windows.
  if (!moveable || bytes) {
    block.data = ObtainMemory(bytes);
    if (!block.data) return nullptr;
    if (flags & GMEM_ZEROINIT) std::memset(block.data, 0, bytes);
  } else if (AllocationFaultDue()) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  MemoryTable& table = Table();
  std::lock_guard lock(table.mutex);
  if (!moveable) return table.AddFixed(block);
  HGLOBAL handle = table.AddMoveable(block);
  if (!handle) std::free(block.data);
  return handle;
}

// GMEM_MODIFY: changes the block's attributes only; GMEM_MOVEABLE turns a fixed block moveable.
HGLOBAL ModifyAttributes(MemoryTable& table, HGLOBAL handle, Block& block, UINT flags) {
  if (block.moveable) {
    block.discardable = flags & kDiscardableFlags;
    return handle;
  }
  if (!(flags & GMEM_MOVEABLE)) return handle;
  Block converted = block;
  converted.discardable = flags & kDiscardableFlags;
  HGLOBAL moveable = table.AddMoveable(converted);
  if (moveable) table.Remove(handle);
  return moveable;
}

HGLOBAL ReAllocateMoveable(MemoryTable& table, HGLOBAL handle, Block& block, SIZE_T bytes, UINT flags) {
  bool zero = flags & GMEM_ZEROINIT;
  if (!block.data) {  // discarded: gets memory again
    if (!bytes) return handle;
    char* data = ObtainMemory(bytes);
    if (!data) return nullptr;
    if (zero) std::memset(data, 0, bytes);
    table.Relocate(handle, data);
    block.size = bytes;
    return handle;
  }
  // Resizing to 0 discards an unlocked block; a locked one keeps its memory,
  // because the program still holds the address.
  if (!bytes && !block.locks) {
    std::free(block.data);
    table.Relocate(handle, nullptr);
    block.size = 0;
    return handle;
  }
  // A locked block stays where it is unless the caller allows it to move.
  bool mayMove = !block.locks || (flags & GMEM_MOVEABLE);
  return Resize(table, handle, block, bytes, mayMove, zero);
}

HGLOBAL ReAllocate(HGLOBAL handle, SIZE_T bytes, UINT flags, UINT validFlags) {
  if (flags & ~(validFlags | GMEM_MODIFY)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  MemoryTable& table = Table();
  std::lock_guard lock(table.mutex);
  Block* block = table.Find(handle);
  if (!block) return nullptr;
  if (flags & GMEM_MODIFY) return ModifyAttributes(table, handle, *block, flags);
  if (block->moveable) return ReAllocateMoveable(table, handle, *block, bytes, flags);
  // A fixed block moves only when the caller allows it (the handle changes then).
  return Resize(table, handle, *block, bytes, flags & GMEM_MOVEABLE, flags & GMEM_ZEROINIT);
}

LPVOID Lock(HGLOBAL handle) {
  MemoryTable& table = Table();
  std::lock_guard lock(table.mutex);
  Block* block = table.Find(handle);
  if (!block) return nullptr;
  if (!block->data) {
    SetLastError(ERROR_DISCARDED);
    return nullptr;
  }
  if (block->moveable) ++block->locks;
  return block->data;
}

// TRUE while the block stays locked; FALSE with NO_ERROR once it is unlocked.
BOOL Unlock(HGLOBAL handle) {
  MemoryTable& table = Table();
  std::lock_guard lock(table.mutex);
  Block* block = table.Find(handle);
  if (!block) return FALSE;
  if (block->moveable && !block->locks) {
    SetLastError(ERROR_NOT_LOCKED);
    return FALSE;
  }
  // A fixed block's lock count is always 0: unlocking it is harmless.
  if (block->moveable && --block->locks > 0) return TRUE;
  SetLastError(NO_ERROR);
  return FALSE;
}

SIZE_T Size(HGLOBAL handle) {
  MemoryTable& table = Table();
  std::lock_guard lock(table.mutex);
  Block* block = table.Find(handle);
  return block ? block->size : 0;
}

HGLOBAL HandleOf(LPCVOID data) {
  MemoryTable& table = Table();
  std::lock_guard lock(table.mutex);
  HGLOBAL handle = data ? table.HandleOf(data) : nullptr;
  if (!handle) SetLastError(ERROR_INVALID_HANDLE);
  return handle;
}

// NULL once freed; the handle itself when it is not one.
HGLOBAL Free(HGLOBAL handle) {
  if (!handle) return nullptr;
  char* data;
  {
    MemoryTable& table = Table();
    std::lock_guard lock(table.mutex);
    if (!table.Find(handle)) return handle;
    data = table.Remove(handle);
  }
  std::free(data);
  return nullptr;
}

// The process heap is the same allocator; its blocks are fixed blocks.
char gProcessHeap;

bool IsProcessHeap(HANDLE heap) {
  if (heap == &gProcessHeap) return true;
  SetLastError(ERROR_INVALID_HANDLE);
  return false;
}

// The fixed block at `address`, or nullptr with ERROR_INVALID_PARAMETER.
Block* FindHeapBlock(MemoryTable& table, LPCVOID address) {
  HGLOBAL handle = address ? table.HandleOf(address) : nullptr;
  Block* block = handle ? table.Find(handle) : nullptr;
  if (block && !block->moveable) return block;
  SetLastError(ERROR_INVALID_PARAMETER);
  return nullptr;
}

// Faults never outlive the station that planned them.
[[maybe_unused]] const bool kFaultsResetWithStation = [] {
  RegisterStationHook(0, ResetAllocationFaults, ResetAllocationFaults);
  return true;
}();

}  // namespace

void FailAllocationsAfter(int n) { gAllocationsBeforeFault = n < 0 ? 0 : n; }

void ResetAllocationFaults() { gAllocationsBeforeFault = -1; }

}  // namespace host::memory

using namespace host::memory;

extern "C" {

HLOCAL WINAPI LocalAlloc(UINT uFlags, SIZE_T uBytes) { return Allocate(uFlags, uBytes, LMEM_VALID_FLAGS); }
HLOCAL WINAPI LocalReAlloc(HLOCAL hMem, SIZE_T uBytes, UINT uFlags) {
  return ReAllocate(hMem, uBytes, uFlags, LMEM_VALID_FLAGS);
}
LPVOID WINAPI LocalLock(HLOCAL hMem) { return Lock(hMem); }
BOOL WINAPI LocalUnlock(HLOCAL hMem) { return Unlock(hMem); }
SIZE_T WINAPI LocalSize(HLOCAL hMem) { return Size(hMem); }
HLOCAL WINAPI LocalHandle(LPCVOID pMem) { return HandleOf(pMem); }
HLOCAL WINAPI LocalFree(HLOCAL hMem) { return Free(hMem); }

HGLOBAL WINAPI GlobalAlloc(UINT uFlags, SIZE_T dwBytes) { return Allocate(uFlags, dwBytes, GMEM_VALID_FLAGS); }
HGLOBAL WINAPI GlobalReAlloc(HGLOBAL hMem, SIZE_T dwBytes, UINT uFlags) {
  return ReAllocate(hMem, dwBytes, uFlags, GMEM_VALID_FLAGS);
}
LPVOID WINAPI GlobalLock(HGLOBAL hMem) { return Lock(hMem); }
BOOL WINAPI GlobalUnlock(HGLOBAL hMem) { return Unlock(hMem); }
SIZE_T WINAPI GlobalSize(HGLOBAL hMem) { return Size(hMem); }
HGLOBAL WINAPI GlobalHandle(LPCVOID pMem) { return HandleOf(pMem); }
HGLOBAL WINAPI GlobalFree(HGLOBAL hMem) { return Free(hMem); }

HANDLE WINAPI GetProcessHeap(void) { return &gProcessHeap; }

// HEAP_GENERATE_EXCEPTIONS is accepted but failures are always reported by NULL.
LPVOID WINAPI HeapAlloc(HANDLE hHeap, DWORD dwFlags, SIZE_T dwBytes) {
  if (!IsProcessHeap(hHeap)) return nullptr;
  return Allocate(dwFlags & HEAP_ZERO_MEMORY ? GMEM_ZEROINIT : 0, dwBytes, GMEM_VALID_FLAGS);
}

LPVOID WINAPI HeapReAlloc(HANDLE hHeap, DWORD dwFlags, LPVOID lpMem, SIZE_T dwBytes) {
  if (!IsProcessHeap(hHeap)) return nullptr;
  MemoryTable& table = Table();
  std::lock_guard lock(table.mutex);
  Block* block = FindHeapBlock(table, lpMem);
  if (!block) return nullptr;
  return Resize(table, lpMem, *block, dwBytes, !(dwFlags & HEAP_REALLOC_IN_PLACE_ONLY), dwFlags & HEAP_ZERO_MEMORY);
}

BOOL WINAPI HeapFree(HANDLE hHeap, DWORD, LPVOID lpMem) {
  if (!IsProcessHeap(hHeap)) return FALSE;
  if (!lpMem) return TRUE;
  char* data;
  {
    MemoryTable& table = Table();
    std::lock_guard lock(table.mutex);
    if (!FindHeapBlock(table, lpMem)) return FALSE;
    data = table.Remove(lpMem);
  }
  std::free(data);
  return TRUE;
}

SIZE_T WINAPI HeapSize(HANDLE hHeap, DWORD, LPCVOID lpMem) {
  if (!IsProcessHeap(hHeap)) return static_cast<SIZE_T>(-1);
  MemoryTable& table = Table();
  std::lock_guard lock(table.mutex);
  Block* block = FindHeapBlock(table, lpMem);
  return block ? block->size : static_cast<SIZE_T>(-1);
}

LONG WINAPI InterlockedIncrement(LONG volatile* lpAddend) { return __atomic_add_fetch(lpAddend, 1, __ATOMIC_SEQ_CST); }

LONG WINAPI InterlockedDecrement(LONG volatile* lpAddend) { return __atomic_sub_fetch(lpAddend, 1, __ATOMIC_SEQ_CST); }

LONG WINAPI InterlockedExchange(LONG volatile* Target, LONG Value) {
  return __atomic_exchange_n(Target, Value, __ATOMIC_SEQ_CST);
}

}  // extern "C"
