// vkfs/dvrfs/sector_cache.h
//
// The sector cache: every index sector the reader looks at comes from
// dvrfs_cache_request, which reads the one sector afresh into a 512-byte
// buffer of its own (a recorder may have rewritten it since) and counts the
// buffer as memory in use until it is released. The bookkeeping finds a
// buffer by its address and by (disk, sector): two hash tables of 1024
// buckets, `scmap_tbl_hptr` (bucket (a ^ a >> 10 ^ a >> 20) & 1023) and
// `scmap_tbl_hsct` (b = s ^ d * d, c = b >> 10, bucket ((c >> 10) ^ b ^ c) &
// 1023), the working list of buffers handed out, and released nodes and
// buffers kept for reuse on `freenode_list` and the size-class lists
// `cachelist_freev` (size / 4096).
//
// At library stop Check() empties the free lists and checks that nothing is
// left, printing what it checks and logging what it finds; a clean run ends
// with "cache memory check finish, 0 failed.". Buffers still handed out are
// then freed, so a leak shows in the log and nowhere else.
//
// Not thread-safe by itself: the library calls it under its global mutex.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <list>
#include <vector>

namespace vkfs::dvrfs {

class SectorCache {
  public:
    SectorCache() = default;
    ~SectorCache();
    SectorCache(const SectorCache&) = delete;
    SectorCache& operator=(const SectorCache&) = delete;

    // Reads `sector` (partition-relative) of raw handle `disk` into a new
    // buffer. Null with *rc set to the raw layer's failure.
    uint8_t* Request(int disk, uint64_t sector, int* rc);
    // Gives a buffer back; false (logged) for an unknown address or a buffer
    // whose reference count is already 0.
    bool Release(const uint8_t* buffer);
    bool Release(int disk, uint64_t sector);

    // Bytes handed out and not released.
    uint64_t MemoryInUse() const { return memUsed_; }
    // Flushes the free lists and checks the cache is empty: the number of
    // failed checks.
    int Check();

  private:
    struct Node {
        uint8_t* buffer = nullptr;
        int disk = 0;
        uint64_t sector = 0;
        int references = 0;
    };
    static constexpr size_t kBuckets = 1024;
    static constexpr size_t kSizeClasses = 9;
    static constexpr size_t kKeepFree = 64;  // released nodes and buffers kept for reuse

    static size_t AddressBucket(const uint8_t* buffer);
    static size_t SectorBucket(int disk, uint64_t sector);
    Node* FindByAddress(const uint8_t* buffer);
    Node* FindBySector(int disk, uint64_t sector);
    bool Drop(Node* node);
    void FreeAll();

    std::list<Node*> working_;                                     // cachelist_working
    std::vector<Node*> freeNodes_;                                 // freenode_list
    std::array<std::vector<uint8_t*>, kSizeClasses> freeBuffers_;  // cachelist_freev
    std::array<std::vector<Node*>, kBuckets> byAddress_;           // scmap_tbl_hptr
    std::array<std::vector<Node*>, kBuckets> bySector_;            // scmap_tbl_hsct
    uint64_t memUsed_ = 0;                                         // status.mem.used
};

}  // namespace vkfs::dvrfs
