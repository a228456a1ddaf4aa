// platform/raw_device.cpp
//
// The device factory and the request checks shared by every backend.
#include "platform/raw_device.h"

#include <cstdint>
#include <limits>
#include <string>
#include <utility>

#include "platform/device_backends.h"
#include "platform/mem_device.h"

namespace platform {

namespace {

constexpr char kMemPrefix[] = "mem:";
constexpr size_t kMemPrefixLength = sizeof(kMemPrefix) - 1;

// Both operating systems take signed 64-bit file offsets.
constexpr uint64_t kLargestOffset = static_cast<uint64_t>(std::numeric_limits<int64_t>::max());

std::unique_ptr<RawDevice> Refuse(std::string* error, std::string text) {
    if (error)
        *error = std::move(text);
    return nullptr;
}

std::unique_ptr<RawDevice> OpenMem(const std::string& path, DeviceAccess access, std::string* error) {
    const std::string name = path.substr(kMemPrefixLength);
    std::shared_ptr<MemDisk> disk = FindMemDisk(name);
    if (!disk)
        return Refuse(error, "cannot open " + path + ": no in-memory disk is registered as \"" + name + "\"");
    const bool ok = disk->CheckFault(IoOp::Open, 0, 0, nullptr);
    disk->Record(IoOp::Open, 0, 0, ok);
    if (!ok)
        return Refuse(error, "cannot open " + path + ": injected open fault");
    return detail::OpenMemDevice(std::move(disk), path, access);
}

}  // namespace

std::unique_ptr<RawDevice> OpenRawDevice(const std::string& path, DeviceAccess access, std::string* error) {
    if (path.compare(0, kMemPrefixLength, kMemPrefix) == 0)
        return OpenMem(path, access, error);
    if (path.empty())
        return Refuse(error, "cannot open a device: the path is empty");
    return detail::OpenOsDevice(path, access, error);
}

namespace detail {

std::string DescribeTransfer(const char* op, size_t length, uint64_t offset, const std::string& path) {
    return std::string(op) + " of " + std::to_string(length) + " bytes at offset " + std::to_string(offset) +
           " on " + path;
}

std::string DescribeFailedTransfer(const char* op,
                                   size_t length,
                                   uint64_t offset,
                                   const std::string& path,
                                   size_t done,
                                   const std::string& why) {
    std::string text = DescribeTransfer(op, length, offset, path) + " failed: " + why;
    if (done != 0)
        text += " after " + std::to_string(done) + " bytes";
    return text;
}

std::string CheckTransfer(const char* op,
                          const std::string& path,
                          DeviceAccess access,
                          uint64_t offset,
                          const void* buffer,
                          size_t length) {
    const auto refused = [&](const char* why) {
        return DescribeTransfer(op, length, offset, path) + " refused: " + why;
    };
    if (!IsSectorAligned(offset))
        return refused("the offset is not a multiple of the 512-byte sector");
    if (!IsSectorAligned(length))
        return refused("the length is not a multiple of the 512-byte sector");
    if (length != 0 && buffer == nullptr)
        return refused("no buffer");
    if (offset > kLargestOffset || length > kLargestOffset - offset)
        return refused("it ends beyond the largest device offset");
    if (access == DeviceAccess::ReadOnly && std::string(op) == "write")
        return refused("the device is open for reading only");
    return std::string();
}

std::string CheckSeek(const std::string& path, uint64_t offset) {
    const std::string head = "seek to offset " + std::to_string(offset) + " on " + path + " refused: ";
    if (!IsSectorAligned(offset))
        return head + "the offset is not a multiple of the 512-byte sector";
    if (offset > kLargestOffset)
        return head + "it is beyond the largest device offset";
    return std::string();
}

}  // namespace detail

}  // namespace platform
