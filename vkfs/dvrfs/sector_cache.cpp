// vkfs/dvrfs/sector_cache.cpp
#include "vkfs/dvrfs/sector_cache.h"

#include <algorithm>

#include "vkfs/dvrfs/layout.h"
#include "vkfs/dvrfs/log.h"
#include "vkfs/dvrfs/raw_disk.h"

namespace vkfs::dvrfs {

namespace {

template <typename T>
void Erase(std::vector<T>& v, T value) {
    v.erase(std::remove(v.begin(), v.end(), value), v.end());
}

constexpr size_t kSectorClass = kSectorBytes / 4096;

}  // namespace

SectorCache::~SectorCache() {
    FreeAll();
}

size_t SectorCache::AddressBucket(const uint8_t* buffer) {
    const auto a = reinterpret_cast<uintptr_t>(buffer);
    return static_cast<size_t>((a ^ a >> 10 ^ a >> 20) & (kBuckets - 1));
}

size_t SectorCache::SectorBucket(int disk, uint64_t sector) {
    const auto d = static_cast<uint64_t>(static_cast<uint32_t>(disk));
    const uint64_t b = sector ^ d * d;
    const uint64_t c = b >> 10;
    return static_cast<size_t>(((c >> 10) ^ b ^ c) & (kBuckets - 1));
}

uint8_t* SectorCache::Request(int disk, uint64_t sector, int* rc) {
    Node* node = nullptr;
    if (!freeNodes_.empty()) {
        node = freeNodes_.back();
        freeNodes_.pop_back();
    } else {
        node = new Node;
    }
    auto& spare = freeBuffers_[kSectorClass];
    if (!spare.empty()) {
        node->buffer = spare.back();
        spare.pop_back();
    } else {
        node->buffer = new uint8_t[kSectorBytes];
    }
    const int got = dvrfs_raw_read(disk, sector, 1, node->buffer);
    if (got != static_cast<int>(kSectorBytes)) {
        if (rc)
            *rc = got < 0 ? got : -1;
        spare.push_back(node->buffer);
        node->buffer = nullptr;
        freeNodes_.push_back(node);
        return nullptr;
    }
    node->disk = disk;
    node->sector = sector;
    node->references = 1;
    working_.push_back(node);
    byAddress_[AddressBucket(node->buffer)].push_back(node);
    bySector_[SectorBucket(disk, sector)].push_back(node);
    memUsed_ += kSectorBytes;
    if (rc)
        *rc = 0;
    return node->buffer;
}

SectorCache::Node* SectorCache::FindByAddress(const uint8_t* buffer) {
    for (Node* n : byAddress_[AddressBucket(buffer)])
        if (n->buffer == buffer)
            return n;
    return nullptr;
}

SectorCache::Node* SectorCache::FindBySector(int disk, uint64_t sector) {
    for (Node* n : bySector_[SectorBucket(disk, sector)])
        if (n->disk == disk && n->sector == sector)
            return n;
    return nullptr;
}

bool SectorCache::Release(const uint8_t* buffer) {
    Node* node = FindByAddress(buffer);
    if (!node) {
        Log("sector pointer(%p) invalid!", static_cast<const void*>(buffer));
        return false;
    }
    return Drop(node);
}

bool SectorCache::Release(int disk, uint64_t sector) {
    Node* node = FindBySector(disk, sector);
    if (!node) {
        Log("sector @{ diskid(%08lx), sector(%lu) } invalid!", static_cast<unsigned long>(disk),
            static_cast<unsigned long>(sector));
        return false;
    }
    return Drop(node);
}

bool SectorCache::Drop(Node* node) {
    if (node->references <= 0) {
        Log("reference error: disk:%lu, sector:%lu", static_cast<unsigned long>(node->disk),
            static_cast<unsigned long>(node->sector));
        return false;
    }
    if (--node->references > 0)
        return true;
    working_.remove(node);
    Erase(byAddress_[AddressBucket(node->buffer)], node);
    Erase(bySector_[SectorBucket(node->disk, node->sector)], node);
    memUsed_ -= kSectorBytes;
    auto& spare = freeBuffers_[kSectorClass];
    if (spare.size() < kKeepFree)
        spare.push_back(node->buffer);
    else
        delete[] node->buffer;
    node->buffer = nullptr;
    if (freeNodes_.size() < kKeepFree)
        freeNodes_.push_back(node);
    else
        delete node;
    return true;
}

int SectorCache::Check() {
    // Flush what is kept for reuse: none of it is in use.
    for (auto& list : freeBuffers_) {
        for (uint8_t* b : list)
            delete[] b;
        list.clear();
    }
    for (Node* n : freeNodes_)
        delete n;
    freeNodes_.clear();

    int failed = 0;
    Print("checking cachelist_working is empty ...");
    if (!working_.empty()) {
        Log("cachelist_working list not empty!");
        failed++;
    }
    Print("checking freenode_list     is empty ...");
    if (!freeNodes_.empty()) {
        Log("freenode_list list not empty!");
        failed++;
    }
    Print("checking cachelist_freev[] is empty ...");
    int nonEmpty = 0;
    for (const auto& list : freeBuffers_)
        nonEmpty += list.empty() ? 0 : 1;
    if (nonEmpty) {
        Log("cachelist_freev[] has %d not empty!", nonEmpty);
        failed++;
    }
    Print("checking scmap_tbl_hptr[]  is empty ...");
    nonEmpty = 0;
    for (const auto& bucket : byAddress_)
        nonEmpty += bucket.empty() ? 0 : 1;
    if (nonEmpty) {
        Log("scmap_tbl_hptr[] has %d not empty!", nonEmpty);
        failed++;
    }
    Print("checking scmap_tbl_hsct[]  is empty ...");
    nonEmpty = 0;
    for (const auto& bucket : bySector_)
        nonEmpty += bucket.empty() ? 0 : 1;
    if (nonEmpty) {
        Log("scmap_tbl_hsct[] has %d not empty!", nonEmpty);
        failed++;
    }
    Print("checking status.mem.used ...");
    if (memUsed_ != 0) {
        Log("status.mem.used = %d!", static_cast<int>(memUsed_));
        failed++;
    }
    Log("cache memory check finish, %d failed.", failed);
    FreeAll();
    return failed;
}

void SectorCache::FreeAll() {
    for (Node* n : working_) {
        delete[] n->buffer;
        delete n;
    }
    working_.clear();
    for (auto& bucket : byAddress_)
        bucket.clear();
    for (auto& bucket : bySector_)
        bucket.clear();
    for (auto& list : freeBuffers_) {
        for (uint8_t* b : list)
            delete[] b;
        list.clear();
    }
    for (Node* n : freeNodes_)
        delete n;
    freeNodes_.clear();
    memUsed_ = 0;
}

}  // namespace vkfs::dvrfs
