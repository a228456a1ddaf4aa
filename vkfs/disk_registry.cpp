// vkfs/disk_registry.cpp
#include "vkfs/disk_registry.h"

namespace vkfs {

uint32_t DiskRegistry::Add(std::shared_ptr<FSDisk> disk) {
    std::lock_guard<std::mutex> hold(lock_);
    // Ids count up and wrap past 0; the few live ones are stepped over.
    for (uint64_t tries = 0; tries <= UINT32_MAX; tries++) {
        const uint32_t id = next_++;
        if (next_ == 0) next_ = 1;
        if (id != 0 && disks_.find(id) == disks_.end()) {
            disks_.emplace(id, std::move(disk));
            return id;
        }
    }
    return 0;
}

std::shared_ptr<FSDisk> DiskRegistry::Find(uint32_t id) const {
    if (id == 0) return nullptr;
    std::lock_guard<std::mutex> hold(lock_);
    const auto it = disks_.find(id);
    return it == disks_.end() ? nullptr : it->second;
}

std::shared_ptr<FSDisk> DiskRegistry::Take(uint32_t id) {
    if (id == 0) return nullptr;
    std::lock_guard<std::mutex> hold(lock_);
    const auto it = disks_.find(id);
    if (it == disks_.end()) return nullptr;
    std::shared_ptr<FSDisk> disk = std::move(it->second);
    disks_.erase(it);
    return disk;
}

DiskRegistry& Disks() {
    static DiskRegistry registry;
    return registry;
}

}  // namespace vkfs
