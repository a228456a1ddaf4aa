// tests/skin/guarded_heap.h
//
// A heap check for the Windows tests of one program: while a GuardedHeapScope
// lives, every operator new of the process (any thread) takes pages of its
// own from one reserved region, and operator delete of such a block returns
// its pages to no access and never hands them out again. A read or a write
// of a freed block -- or a second delete -- then faults at once, and the
// test program ends with the access violation instead of reading whatever
// the allocator put there next. A guard page after every block catches
// overruns too. Blocks allocated outside a scope come from malloc as usual.
//
// A program uses it by linking guarded_heap.cpp (which replaces the global
// operator new and delete) and opening a scope around what it checks.
#pragma once

#include <cstddef>

namespace skintest {

class GuardedHeapScope {
  public:
    GuardedHeapScope();
    ~GuardedHeapScope();
    GuardedHeapScope(const GuardedHeapScope&) = delete;
    GuardedHeapScope& operator=(const GuardedHeapScope&) = delete;
};

// Blocks the guarded heap handed out so far, and how many of them were freed.
size_t GuardedBlocksAllocated();
size_t GuardedBlocksFreed();

}  // namespace skintest
