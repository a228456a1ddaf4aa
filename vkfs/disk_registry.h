// vkfs/disk_registry.h
//
// The live disk objects by their handle (a non-zero 32-bit id, see
// platform/handle_registry.h): a stale handle finds nothing rather than
// another disk.
#pragma once

#include "platform/handle_registry.h"
#include "vkfs/fs_disk.h"

namespace vkfs {

using DiskRegistry = platform::HandleRegistry<FSDisk>;

DiskRegistry& Disks();

}  // namespace vkfs
