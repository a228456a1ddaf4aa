// reader/disk_param_io.cpp
#include "reader/disk_param_io.h"

#include <array>
#include <cstdio>

#include "reader/diag.h"
#include "reader/sector_io.h"

namespace vekfs {

std::unique_ptr<platform::RawDevice> open_disk(const ReaderProfile& profile, const std::string& path) {
    std::string error;
    auto device = platform::OpenRawDevice(path, profile.deviceAccess, &error);
    if (!device) {
        VEKFS_ERR("open disk %s failed", path.c_str());
        VEKFS_ERR("open disk::%s", error.c_str());
        if (profile.echoesOpenFailure) {
            const std::string line = "open disk " + path + " failed\n";
            DiagDebugger(line.c_str());
        }
    }
    return device;
}

int get_disk_param(const ReaderProfile& profile, const std::string& path, disk_param* out) {
    if (out == nullptr)
        return -1;
    auto device = open_disk(profile, path);
    if (!device)
        return -1;
    uint8_t bytes[kDiskParamSize];
    if (pc_read_data(device.get(), bytes, kDiskParamOffset, kDiskParamSize) < 0) {
        VEKFS_ERR("read data failed");
        return -1;
    }
    *out = decode_disk_param(bytes);
    return 0;
}

int set_disk_param(const ReaderProfile& profile, const std::string& path, disk_param* block) {
    auto device = open_disk(profile, path);
    if (!device)
        return -1;
    uint8_t bytes[kDiskParamSize];
    encode_disk_param(*block, bytes);
    block->check_sum = disk_param_xor(bytes);
    platform::PutU32(bytes + 124, block->check_sum);
    block->raw = std::to_array(bytes);
    VEKFS_INFO("disk param check sum=%#x,disk_state=%d", block->check_sum, block->disk_state);
    const int rc = pc_write_data(device.get(), bytes, kDiskParamOffset, kDiskParamSize);
    if (rc < 0) {
        VEKFS_ERR("write disk param failed, ret=%d", rc);
        return rc;
    }
    return 0;
}

int valid_vekfs_format_disk(const ReaderProfile& profile, const disk_param& block) {
    uint8_t bytes[kDiskParamSize];
    encode_disk_param(block, bytes);
    const uint32_t sum = disk_param_xor(bytes);
    const uint16_t version = profile.format.version;
    if (block.magic != kMagicDisk || block.version != version || block.version_again != version ||
        block.check_sum != sum) {
        VEKFS_ERR("not valid vekfs format, check_sum=%#x, sum=%#x!", block.check_sum, sum);
        return -1;
    }
    if (const char* why = disk_param_impossible(block, profile.format)) {
        VEKFS_ERR("not valid vekfs format, %s!", why);
        return -1;
    }
    return 0;
}

int get_disk_working_index(const disk_param& block, int partition, int primary) {
    if (partition < 0 || partition >= kMaxPartitions) {
        VEKFS_ERR("invalid param!");
        return -1;
    }
    const uint8_t bits = block.valid_bits[static_cast<size_t>(partition)];
    int found = 0;
    for (int copy = 0; copy < kIndexCopies; copy++) {
        if ((bits & (1u << copy)) == 0)
            continue;
        found++;
        if (primary == 1 && found == 1) {
            // the working copy is usable only when a mirror exists too
            for (int next = copy + 1; next < kIndexCopies; next++)
                if (bits & (1u << next))
                    return copy;
            break;
        }
        if (primary != 1 && found == 2)
            return copy;
    }
    VEKFS_ERR("invalid index file flag!");
    return -1;
}

}  // namespace vekfs
