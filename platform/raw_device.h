// platform/raw_device.h
//
// Raw access to a block device (a recorder's disk, or an image of one) in whole
// 512-byte sectors. The interface mirrors how a raw drive is driven on Windows:
// position, then read or write whole sectors from there; the position advances
// by what was transferred.
//
// Backends are chosen by path:
//   "mem:NAME"   an in-memory disk from the MemDisk registry (tests, fuzzing)
//   anything else the operating system: Win32 (CreateFileA on "\\.\PhysicalDriveN",
//                "\\.\X:" or an image file) or POSIX (image files, /dev/sdX)
//
// Every backend enforces sector alignment itself (Wine does not), and a short
// transfer is a failure: a sector that was not transferred was not read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace platform {

inline constexpr uint32_t kSectorSize = 512;

enum class DeviceAccess {
    ReadOnly,          // read sharing and write sharing, reads only
    ReadWrite,         // read and write, shared, existing device only
    ReadWriteThrough,  // as ReadWrite, and every write reaches the medium before it returns
};

class RawDevice {
  public:
    virtual ~RawDevice() = default;
    RawDevice(const RawDevice&) = delete;
    RawDevice& operator=(const RawDevice&) = delete;

    // Moves the position to `offset`, which must be a multiple of kSectorSize.
    // A position past the end is accepted; a transfer from there fails.
    virtual bool Seek(uint64_t offset) = 0;
    // Reads `length` bytes (a multiple of kSectorSize) at the position into `buffer`.
    // Fails on a short transfer; the position then is unspecified.
    virtual bool Read(void* buffer, size_t length) = 0;
    // Writes `length` bytes (a multiple of kSectorSize) at the position.
    virtual bool Write(const void* data, size_t length) = 0;
    virtual uint64_t Position() const = 0;
    // Size of the device in bytes, when the backend can tell.
    virtual bool Size(uint64_t* size) = 0;

    // Text of the last failure of this device ("" when none). It names the
    // operation, offset, length and path; a later success does not clear it.
    const std::string& LastError() const { return lastError_; }

    // Convenience: Seek then Read / Write.
    bool ReadAt(uint64_t offset, void* buffer, size_t length) { return Seek(offset) && Read(buffer, length); }
    bool WriteAt(uint64_t offset, const void* data, size_t length) {
        return Seek(offset) && Write(data, length);
    }

  protected:
    RawDevice() = default;
    bool Fail(std::string text) {
        lastError_ = std::move(text);
        return false;
    }
    void ClearError() { lastError_.clear(); }

  private:
    std::string lastError_;
};

// Opens a device by path (see the file comment for the backends). On failure
// returns null and, when `error` is given, stores a message naming the path and
// the system's reason.
std::unique_ptr<RawDevice> OpenRawDevice(const std::string& path,
                                         DeviceAccess access,
                                         std::string* error = nullptr);

inline bool IsSectorAligned(uint64_t value) {
    return value % kSectorSize == 0;
}

}  // namespace platform
