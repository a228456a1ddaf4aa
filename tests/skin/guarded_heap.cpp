// tests/skin/guarded_heap.cpp
//
// The guarded heap of guarded_heap.h and the global operator new and delete
// that use it while a scope is open.
#include "tests/skin/guarded_heap.h"

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <new>

namespace {

constexpr size_t kPage = 4096;
constexpr size_t kRegionBytes = size_t(4) << 30;  // reserved once; pages are never reused
constexpr size_t kHeader = 16;                    // the block's page count; keeps 16-byte alignment

std::atomic<int> g_scopes{0};
std::atomic<size_t> g_nextPage{0};
std::atomic<size_t> g_allocated{0};
std::atomic<size_t> g_freed{0};
BYTE* g_region = nullptr;

BYTE* Region() {
    static BYTE* const region =
        static_cast<BYTE*>(VirtualAlloc(nullptr, kRegionBytes, MEM_RESERVE, PAGE_NOACCESS));
    return region;
}

bool IsGuarded(const void* p) {
    const BYTE* region = g_region;
    return region && p >= region && p < region + kRegionBytes;
}

void* GuardedAllocate(size_t size) {
    const size_t pages = (size + kHeader + kPage - 1) / kPage;
    // One page more, never committed: the guard after the block.
    const size_t first = g_nextPage.fetch_add(pages + 1);
    if ((first + pages + 1) * kPage > kRegionBytes) {
        std::fprintf(stderr, "guarded heap: region used up\n");
        std::abort();
    }
    BYTE* base = g_region + first * kPage;
    if (!VirtualAlloc(base, pages * kPage, MEM_COMMIT, PAGE_READWRITE)) {
        std::fprintf(stderr, "guarded heap: no memory for %zu bytes\n", size);
        std::abort();
    }
    *reinterpret_cast<size_t*>(base) = pages;
    g_allocated.fetch_add(1);
    return base + kHeader;
}

void GuardedFree(void* p) {
    BYTE* base = static_cast<BYTE*>(p) - kHeader;
    // A block freed before has no pages any more: this read faults.
    const size_t pages = *reinterpret_cast<volatile size_t*>(base);
    VirtualFree(base, pages * kPage, MEM_DECOMMIT);
    g_freed.fetch_add(1);
}

void* Allocate(size_t size) {
    if (g_scopes.load() > 0 && g_region)
        return GuardedAllocate(size);
    return std::malloc(size ? size : 1);
}

void Free(void* p) {
    if (!p)
        return;
    if (IsGuarded(p))
        GuardedFree(p);
    else
        std::free(p);
}

}  // namespace

namespace skintest {

GuardedHeapScope::GuardedHeapScope() {
    g_region = Region();
    if (!g_region) {
        std::fprintf(stderr, "guarded heap: cannot reserve its region\n");
        std::abort();
    }
    g_scopes.fetch_add(1);
}

GuardedHeapScope::~GuardedHeapScope() {
    g_scopes.fetch_sub(1);
}

size_t GuardedBlocksAllocated() {
    return g_allocated.load();
}

size_t GuardedBlocksFreed() {
    return g_freed.load();
}

}  // namespace skintest

void* operator new(size_t size) {
    if (void* p = Allocate(size))
        return p;
    throw std::bad_alloc();
}
void* operator new[](size_t size) {
    return operator new(size);
}
void* operator new(size_t size, const std::nothrow_t&) noexcept {
    return Allocate(size);
}
void* operator new[](size_t size, const std::nothrow_t&) noexcept {
    return Allocate(size);
}
void operator delete(void* p) noexcept {
    Free(p);
}
void operator delete[](void* p) noexcept {
    Free(p);
}
void operator delete(void* p, size_t) noexcept {
    Free(p);
}
void operator delete[](void* p, size_t) noexcept {
    Free(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    Free(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
    Free(p);
}
