// vekplay/play_registry.h
//
// The library's process state: the live instances by handle, the host they draw
// and post through, and the watermark switch.
//
// Handles are ids from a counter (never 0, never one still in use), so a stale
// handle finds nothing. A call looks its instance up under the registry lock
// and works on it after releasing the lock; destroying removes the instance
// first and shuts it down outside the lock, so a draw callback that calls the
// library while its instance is being destroyed finds a stale handle instead
// of a deadlock.
#pragma once

#include <cstdint>
#include <memory>

#include "vekplay/play_host.h"
#include "vekplay/play_instance.h"

namespace vekplay {

// Creates an instance of `kind` on the current host; 0 on failure.
uint32_t CreateInstance(InstanceKind kind, const InstanceOptions& options = {});
std::shared_ptr<Instance> FindInstance(uint32_t handle);
// Removes and shuts down; false for an unknown handle.
bool DestroyInstance(uint32_t handle);
// Shuts every instance down (masters first).
void DestroyAllInstances();
size_t InstanceCount();

// The host new instances use: the system's unless one was set (tests).
std::shared_ptr<Host> CurrentHost();
void SetHost(std::shared_ptr<Host> host);

void SetWatermark(bool on);
bool Watermark();

}  // namespace vekplay
