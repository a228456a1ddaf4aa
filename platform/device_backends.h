// platform/device_backends.h
//
// Internal to platform/: what the device factory in raw_device.cpp needs from
// the backends, and the request checks every backend applies before it touches
// its medium. Not for use outside platform/; everyone else opens devices through
// OpenRawDevice.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/mem_device.h"
#include "platform/raw_device.h"

namespace platform::detail {

// The operating system's backend (posix_device.cpp or win32_device.cpp).
std::unique_ptr<RawDevice> OpenOsDevice(const std::string& path, DeviceAccess access, std::string* error);

// A handle over an in-memory disk (mem_device.cpp). `path` is only used in
// messages. The caller has already run the disk's Open fault check.
std::unique_ptr<RawDevice> OpenMemDevice(std::shared_ptr<MemDisk> disk,
                                         const std::string& path,
                                         DeviceAccess access);

// "read of 4096 bytes at offset 8192 on /tmp/disk.img": the head of every
// transfer message, so they all name the operation, the place and the device.
std::string DescribeTransfer(const char* op, size_t length, uint64_t offset, const std::string& path);
// "... failed: <why> after <done> bytes": a transfer the OS ended early or refused.
std::string DescribeFailedTransfer(const char* op,
                                   size_t length,
                                   uint64_t offset,
                                   const std::string& path,
                                   size_t done,
                                   const std::string& why);

// Checks a transfer request before it reaches the medium. Returns "" when it may
// proceed, else the message to fail with. `op` is "read" or "write".
std::string CheckTransfer(const char* op,
                          const std::string& path,
                          DeviceAccess access,
                          uint64_t offset,
                          const void* buffer,
                          size_t length);

// Checks a seek target. Returns "" when it may proceed, else the message.
std::string CheckSeek(const std::string& path, uint64_t offset);

}  // namespace platform::detail
