// vkfs/disk_registry.h
//
// The live disk objects by their handle. A handle is a non-zero 32-bit id,
// never the object's address (which does not fit in 32 bits on 64-bit builds),
// and ids are not handed out again soon after removal, so a stale handle finds
// nothing rather than another disk.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>

#include "vkfs/fs_disk.h"

namespace vkfs {

class DiskRegistry {
public:
    // A new id for `disk`; 0 only when every id is taken.
    uint32_t Add(std::shared_ptr<FSDisk> disk);
    // The disk, kept alive for the caller; null for 0 or an unknown id.
    std::shared_ptr<FSDisk> Find(uint32_t id) const;
    // Takes the disk out: later lookups of the id find nothing.
    std::shared_ptr<FSDisk> Take(uint32_t id);

private:
    mutable std::mutex lock_;
    std::map<uint32_t, std::shared_ptr<FSDisk>> disks_;
    uint32_t next_ = 1;
};

DiskRegistry& Disks();

}  // namespace vkfs
