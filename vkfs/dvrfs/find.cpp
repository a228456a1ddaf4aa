// vkfs/dvrfs/find.cpp
//
// dvrfs_find_start, dvrfs_find_next and dvrfs_find_stop on a channel handle.
// A find lives on its handle from a start that found something until its
// stop, a failure, or the close of the handle; -2 from find next leaves it in
// place (the next call says -2 again).
#include <cstring>

#include "vkfs/dvrfs/library.h"
#include "vkfs/dvrfs/log.h"
#include "vkfs/dvrfs_entry.h"

namespace vkfs::dvrfs {

namespace {

bool TimeValid(const int32_t t[6]) {
    return t[0] >= 0 && t[0] <= 99 && t[1] >= 1 && t[1] <= 12 && t[2] >= 1 && t[2] <= 31 && t[3] >= 0 &&
           t[3] <= 23 && t[4] >= 0 && t[4] <= 59 && t[5] >= 0 && t[5] <= 59;
}

bool QueryValid(const dvrfs_find_query& q) {
    // A mask with no type bit below bit 28 selects nothing.
    if ((static_cast<uint32_t>(q.typeMask) << 4) == 0) {
        Log(" bad record type!");
        return false;
    }
    if (q.kind != kDvrfsFindRange && q.kind != kDvrfsFindMonth) {
        Log(" bad date type!");
        return false;
    }
    // Days are 1..31 whatever the month: the index has 31 days in every month.
    if (!TimeValid(q.start) || !TimeValid(q.end) || CompareSix(q.start, q.end) > 0) {
        Log("bad time,input again!");
        return false;
    }
    return true;
}

// Steps every node to its first candidate, then hands back the first result.
int FirstResult(Library& lib, Find& f, void* out) {
    const bool range = f.query.kind == kDvrfsFindRange;
    for (FindNode& n : f.nodes) {
        if (const int rc = range ? RangeStep(lib, f, n) : MonthStep(lib, f, n))
            return rc;
    }
    if (range)
        return ChooseRange(f, static_cast<dvrfs_find_result*>(out));
    return MergeMonths(f, static_cast<dvrfs_month_result*>(out));
}

int NextRange(Library& lib, Find& f, dvrfs_find_result* out) {
    for (size_t i = 0; i < f.nodes.size(); i++) {
        FindNode& n = f.nodes[i];
        bool moved = static_cast<int>(i) == f.lastGiver;
        if (n.hasCandidate) {
            if (const int rc = RangeRecheck(lib, f, n, &moved))
                return rc;
        }
        if (moved) {
            if (const int rc = RangeStep(lib, f, n))
                return rc;
        }
    }
    return ChooseRange(f, out);
}

int NextMonth(Library& lib, Find& f, dvrfs_month_result* out) {
    for (FindNode& n : f.nodes) {
        if (const int rc = MonthRelocate(lib, f, n))
            return rc;
    }
    for (FindNode& n : f.nodes) {
        if (!n.merged)
            continue;
        if (const int rc = MonthStep(lib, f, n))
            return rc;
    }
    return MergeMonths(f, out);
}

}  // namespace

}  // namespace vkfs::dvrfs

using namespace vkfs;
using namespace vkfs::dvrfs;

int dvrfs_find_start(unsigned handle, vkfs::dvrfs_find_query* query, void* out, int diskSet) {
    if (handle >= kMaxHandles || !query || !out || diskSet < 0) {
        Log("bad param!");
        return kBadArgument;
    }
    if (!QueryValid(*query))
        return kBadArgument;
    std::lock_guard<std::mutex> hold(GlobalMutex());
    Library* lib = TheLibrary();
    if (!lib) {
        Log("invalid param!");
        return kFail;
    }
    lib->indexChanged = false;
    Handle* h = lib->handles[handle].get();
    if (!h) {
        Log("handle null!");
        return kNotOpen;
    }
    if (h->find)
        return kNoFind;
    h->diskChanged = false;
    auto find = std::make_unique<Find>();
    find->query = *query;
    find->diskSet = diskSet;
    find->channel = h->channel;
    // Set 0 is every mounted disk in mount order; no other set holds any.
    if (diskSet == 0) {
        for (const auto& disk : lib->disks) {
            if (disk->lost)
                continue;
            find->nodes.emplace_back();
            find->nodes.back().disk = disk;
        }
    }
    const int rc = FirstResult(*lib, *find, out);
    if (rc != kOk)
        return rc;
    h->find = std::move(find);
    return lib->indexChanged ? kIndexChanged : kOk;
}

int dvrfs_find_next(unsigned handle, void* out) {
    if (handle >= kMaxHandles || !out) {
        Log("bad param!");
        return kBadArgument;
    }
    std::lock_guard<std::mutex> hold(GlobalMutex());
    Library* lib = TheLibrary();
    if (!lib) {
        Log("all the system is not initialized!");
        return kNoFind;
    }
    Handle* h = lib->handles[handle].get();
    if (!h) {
        Log("channel has closed!!");
        return kNotOpen;
    }
    if (!h->find)
        return kNoFind;
    if (h->diskChanged) {
        Log("disk_changed!");
        h->find.reset();
        return kDiskChanged;
    }
    lib->indexChanged = false;
    Find& f = *h->find;
    const int rc = f.query.kind == kDvrfsFindRange
                       ? NextRange(*lib, f, static_cast<dvrfs_find_result*>(out))
                       : NextMonth(*lib, f, static_cast<dvrfs_month_result*>(out));
    if (rc == kNoMore)
        return rc;
    if (rc != kOk) {
        h->find.reset();
        return rc;
    }
    return lib->indexChanged ? kIndexChanged : kOk;
}

int dvrfs_find_stop(unsigned handle) {
    if (handle >= kMaxHandles) {
        Log("bad param!");
        return kBadArgument;
    }
    std::lock_guard<std::mutex> hold(GlobalMutex());
    Library* lib = TheLibrary();
    Handle* h = lib ? lib->handles[handle].get() : nullptr;
    if (!h)
        return kNotOpen;
    h->find.reset();
    h->diskChanged = false;
    return kOk;
}
