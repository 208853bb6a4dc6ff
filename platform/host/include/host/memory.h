// Control API of the kernel's memory functions, for tests of their callers.
#pragma once

namespace host::memory {

// Lets the next n allocations succeed and makes every one after them fail
// (NULL, ERROR_NOT_ENOUGH_MEMORY) until ResetAllocationFaults; n = 0 fails the
// very next one. Counted are LocalAlloc, GlobalAlloc, HeapAlloc and every
// ReAlloc that grows a block. Booting or shutting a station down resets it.
void FailAllocationsAfter(int n);
void ResetAllocationFaults();

// How many Local, Global and process heap blocks exist, and how many moveable
// blocks are locked: a caller that leaks a block or a lock changes them.
int LiveBlocks();
int LockedBlocks();

}  // namespace host::memory
