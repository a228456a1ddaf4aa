// reader/sector_io.cpp
#include "reader/sector_io.h"

#include <algorithm>
#include <cstring>

#include "reader/diag.h"

namespace vekfs {

namespace {

constexpr uint32_t kSector = platform::kSectorSize;

struct BounceBuffer {
    alignas(kSector) uint8_t bytes[kSector] = {};
};

}  // namespace

int pc_read_data(platform::RawDevice* device, void* buffer, uint64_t offset, int length) {
    if (device == nullptr || length < 0 || (buffer == nullptr && length > 0)) {
        VEKFS_ERR("new memory error!");
        return kSectorErrNoHandle;
    }
    auto* out = static_cast<uint8_t*>(buffer);
    const uint32_t head = static_cast<uint32_t>(offset % kSector);
    if (!device->Seek(offset - head)) {
        VEKFS_ERR("set file point failed");
        return kSectorErrSeek;
    }
    BounceBuffer bounce;
    size_t remaining = static_cast<size_t>(length);

    if (head > 0) {
        if (!device->Read(bounce.bytes, kSector)) {
            VEKFS_ERR("read file error!");
            return kSectorErrTransfer;
        }
        const size_t n = std::min<size_t>(remaining, kSector - head);
        std::memcpy(out, bounce.bytes + head, n);
        out += n;
        remaining -= n;
        if (remaining == 0)
            return length;
    }

    const size_t whole = remaining / kSector * kSector;
    if (whole > 0) {
        if (!device->Read(out, whole)) {
            VEKFS_ERR("read file error!");
            return kSectorErrTransfer;
        }
        out += whole;
        remaining -= whole;
    }

    if (remaining > 0) {
        if (!device->Read(bounce.bytes, kSector)) {
            VEKFS_ERR("read file error!");
            return kSectorErrTransfer;
        }
        std::memcpy(out, bounce.bytes, remaining);
    }
    return length;
}

int pc_write_data(platform::RawDevice* device, const void* data, uint64_t offset, int length) {
    if (device == nullptr || length < 0 || (data == nullptr && length > 0)) {
        VEKFS_ERR("new memory error!");
        return kSectorErrNoHandle;
    }
    const auto* in = static_cast<const uint8_t*>(data);
    const uint32_t head = static_cast<uint32_t>(offset % kSector);
    uint64_t sector = offset - head;
    if (!device->Seek(sector)) {
        VEKFS_ERR("set file point failed");
        return kSectorErrSeek;
    }
    BounceBuffer bounce;
    size_t remaining = static_cast<size_t>(length);

    // Partial sector: read it, step back over it, patch the new bytes in, write it.
    // (Errors name pc_write_data: the lambda has no name of its own to print.)
    auto patch_sector = [&](uint32_t at, size_t n) -> int {
        if (!device->Read(bounce.bytes, kSector)) {
            DiagError("pc_write_data", __LINE__, "read file error!");
            return kSectorErrTransfer;
        }
        if (!device->Seek(sector)) {
            DiagError("pc_write_data", __LINE__, "set file point failed");
            return kSectorErrSeek;
        }
        std::memcpy(bounce.bytes + at, in, n);
        if (!device->Write(bounce.bytes, kSector)) {
            DiagError("pc_write_data", __LINE__, "write file error!");
            return kSectorErrTransfer;
        }
        in += n;
        remaining -= n;
        sector += kSector;
        return 0;
    };

    if (head > 0) {
        if (int rc = patch_sector(head, std::min<size_t>(remaining, kSector - head)); rc < 0)
            return rc;
        if (remaining == 0)
            return length;
    }

    const size_t whole = remaining / kSector * kSector;
    if (whole > 0) {
        if (!device->Write(in, whole)) {
            VEKFS_ERR("write file error!");
            return kSectorErrTransfer;
        }
        in += whole;
        remaining -= whole;
        sector += whole;
    }

    if (remaining > 0) {
        if (int rc = patch_sector(0, remaining); rc < 0)
            return rc;
    }
    return length;
}

}  // namespace vekfs
