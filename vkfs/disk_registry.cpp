// vkfs/disk_registry.cpp
#include "vkfs/disk_registry.h"

namespace vkfs {

DiskRegistry& Disks() {
    static DiskRegistry registry;
    return registry;
}

}  // namespace vkfs
