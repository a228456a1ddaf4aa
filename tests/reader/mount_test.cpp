// Mounting: parameter-block checks, index recovery from the spare copies, and
// what goes back to the disk (only ever the valid bits of a dropped copy).
#include <gtest/gtest.h>

#include <string>

#include "reader/disk_param_io.h"
#include "reader/reader.h"
#include "reader/sector_io.h"
#include "tests/common/built_images.h"
#include "tests/common/format_versions.h"
#include "tests/common/reader_profiles.h"
#include "tests/reader/diag_capture.h"
#include "tools/image_scenarios.h"

namespace vekfs {
namespace {

using testing::DiagCapture;
using vektools::ScenarioImage;

using vektest::ProfileFor;

ScenarioImage Build(const std::string& scenario, const std::string& variant, int version) {
    return vektest::MakeImage(vektest::ScenarioRecipe(scenario, version, variant));
}

uint64_t Hash(const platform::MemDisk& disk) {
    return disk.ContentHash();
}

disk_param OnDiskParam(const platform::MemDisk& disk) {
    const auto bytes = disk.Bytes(kDiskParamOffset, kDiskParamSize);
    return decode_disk_param(bytes.data());
}

class Mount : public ::testing::TestWithParam<int> {
  protected:
    int version() const { return GetParam(); }
    const ReaderProfile& profile() const { return ProfileFor(version()); }
};

TEST_P(Mount, RecoversFromABrokenWorkingCopyAndDropsOnlyItsValidBit) {
    // Formatted for 16 channels and mounted with 128: the mount marks the disk
    // state 2 in memory, which must never reach the disk.
    ScenarioImage image;
    std::string error;
    ASSERT_TRUE(vektools::MakeScenario("damaged-index", "bits1111", version(), &image.recipe, &error))
        << error;
    image.recipe.disk.channels = 16;
    ASSERT_TRUE(vektools::BuildImageInMemory(image.recipe, &image.disk, &image.manifest, &error)) << error;
    platform::ScopedMemDisk reg("mount-1111", image.disk);
    const disk_param before = OnDiskParam(*image.disk);
    const auto& part0 = image.manifest.partitions.at(0);

    DiagCapture diag;
    Reader reader(profile());
    ASSERT_EQ(reader.init(128), 0);  // more channels than the disk has: state 2 in memory only
    ASSERT_EQ(reader.add_disk(0, reg.Path().c_str()), 0);
    EXPECT_TRUE(diag.Contains("deal with index error start"));
    EXPECT_TRUE(diag.Contains("deal with index error sucess"));
    EXPECT_TRUE(diag.Contains("Warning disk"));

    disk_info_t info;
    ASSERT_TRUE(reader.disk_info(0, &info));
    EXPECT_EQ(info.param.valid_bits[0], 0x0e);
    EXPECT_EQ(info.param.disk_state, 2);
    EXPECT_EQ(info.parts[0].state, part0.record.state);
    EXPECT_EQ(info.parts[0].file_count, part0.record.file_count);

    // On the disk: the block as it was, with only copy 0's bit cleared.
    const disk_param after = OnDiskParam(*image.disk);
    EXPECT_EQ(after.valid_bits[0], 0x0e);
    EXPECT_EQ(after.valid_bits[1], before.valid_bits[1]);
    EXPECT_EQ(after.disk_state, before.disk_state);
    EXPECT_EQ(after.few_channels, before.few_channels);
    EXPECT_EQ(valid_vekfs_format_disk(profile(), after), 0);
    auto expected = before.raw;
    expected[116] = 0x0e;
    for (size_t i = 0; i < kDiskParamSize; i++) {
        if (i < 116 || (i > 116 && i < 124)) {
            EXPECT_EQ(after.raw[i], expected[i]) << "byte " << i;
        }
    }
    // The stale spare (copy 2) was refreshed from copy 1 and now mirrors it.
    const uint32_t size = image.manifest.copySize;
    EXPECT_EQ(image.disk->Bytes(part0.copyOffset[2], size), image.disk->Bytes(part0.copyOffset[1], size));

    // The recovered disk mounts again without touching anything.
    const uint64_t hash = Hash(*image.disk);
    Reader again(profile());
    ASSERT_EQ(again.init(16), 0);
    ASSERT_EQ(again.add_disk(0, reg.Path().c_str()), 0);
    EXPECT_EQ(Hash(*image.disk), hash);
}

TEST_P(Mount, GarbageInTheWorkingCopyIsRecoveredLikeABrokenMagic) {
    ScenarioImage image = Build("damaged-index", "bits1111-garbage", version());
    platform::ScopedMemDisk reg("mount-garbage", image.disk);
    DiagCapture diag;
    Reader reader(profile());
    ASSERT_EQ(reader.init(16), 0);
    ASSERT_EQ(reader.add_disk(0, reg.Path().c_str()), 0);
    disk_info_t info;
    ASSERT_TRUE(reader.disk_info(0, &info));
    EXPECT_EQ(info.param.valid_bits[0], 0x0e);
    EXPECT_LT(info.parts[0].state, 2);
}

TEST_P(Mount, TwoValidCopiesCannotRecoverAndThePartitionIsSkipped) {
    ScenarioImage image = Build("damaged-index", "bits0011", version());
    platform::ScopedMemDisk reg("mount-0011", image.disk);
    const uint64_t hash = Hash(*image.disk);
    DiagCapture diag;
    Reader reader(profile());
    ASSERT_EQ(reader.init(16), 0);
    ASSERT_EQ(reader.add_disk(0, reg.Path().c_str()), 0);
    EXPECT_TRUE(diag.Contains("all index file is err!"));
    EXPECT_TRUE(diag.Contains("part:0 failed!"));
    disk_info_t info;
    ASSERT_TRUE(reader.disk_info(0, &info));
    EXPECT_EQ(info.parts[0].state, 2);
    EXPECT_LT(info.parts[1].state, 2);
    EXPECT_EQ(Hash(*image.disk), hash);
}

TEST_P(Mount, OneValidCopyIsAnInvalidIndexFlag) {
    ScenarioImage image = Build("damaged-index", "bits0001", version());
    platform::ScopedMemDisk reg("mount-0001", image.disk);
    DiagCapture diag;
    Reader reader(profile());
    ASSERT_EQ(reader.init(16), 0);
    ASSERT_EQ(reader.add_disk(0, reg.Path().c_str()), 0);
    EXPECT_TRUE(diag.Contains("invalid index file flag!"));
    disk_info_t info;
    ASSERT_TRUE(reader.disk_info(0, &info));
    EXPECT_EQ(info.parts[0].state, 2);
}

TEST_P(Mount, AReadErrorOnTheWorkingCopyIsRecovered) {
    ScenarioImage image = Build("basic", "", version());
    platform::ScopedMemDisk reg("mount-read-fault", image.disk);
    const auto& part0 = image.manifest.partitions.at(0);
    image.disk->AddFault({platform::IoOp::Read, part0.copyOffset[0], part0.copyOffset[0] + 1, 1});
    DiagCapture diag;
    Reader reader(profile());
    ASSERT_EQ(reader.init(16), 0);
    ASSERT_EQ(reader.add_disk(0, reg.Path().c_str()), 0);
    EXPECT_TRUE(diag.Contains("deal with index error sucess"));
    disk_info_t info;
    ASSERT_TRUE(reader.disk_info(0, &info));
    EXPECT_EQ(info.param.valid_bits[0], 0x0e);
    EXPECT_EQ(OnDiskParam(*image.disk).valid_bits[0], 0x0e);
    EXPECT_LT(info.parts[0].state, 2);
}

TEST_P(Mount, AFailedParameterWriteDuringRecoveryIsReported) {
    ScenarioImage image = Build("damaged-index", "bits1111", version());
    platform::ScopedMemDisk reg("mount-write-fault", image.disk);
    image.disk->AddFault({platform::IoOp::Write, 0, 512, -1});
    DiagCapture diag;
    Reader reader(profile());
    ASSERT_EQ(reader.init(16), 0);
    ASSERT_EQ(reader.add_disk(0, reg.Path().c_str()), 0);  // the mount itself goes on
    EXPECT_TRUE(diag.Contains("write disk param failed"));
    disk_info_t info;
    ASSERT_TRUE(reader.disk_info(0, &info));
    EXPECT_EQ(info.parts[0].state, 2);  // not recovered: skipped, not trusted
    EXPECT_EQ(OnDiskParam(*image.disk).valid_bits[0], 0x0f);
}

TEST_P(Mount, TheOtherFormatIsRefusedAndLeftUntouched) {
    ScenarioImage image = Build("basic", "", version() == 1 ? 2 : 1);
    platform::ScopedMemDisk reg("mount-other", image.disk);
    const uint64_t hash = Hash(*image.disk);
    DiagCapture diag;
    Reader reader(profile());
    ASSERT_EQ(reader.init(128), 0);
    EXPECT_EQ(reader.add_disk(0, reg.Path().c_str()), VEKFS_ERR_FAIL);
    EXPECT_TRUE(diag.Contains("not valid vekfs format"));
    EXPECT_EQ(reader.mounted_count(), 0);
    EXPECT_EQ(Hash(*image.disk), hash);
}

TEST_P(Mount, BadParameterBlocks) {
    struct Case {
        const char* variant;
        int result;
        const char* line;
    };
    const Case cases[] = {
        {"xor", VEKFS_ERR_FAIL, "not valid vekfs format, check_sum="},
        {"magic", VEKFS_ERR_FAIL, "not valid vekfs format"},
        {"version-other", VEKFS_ERR_FAIL, "not valid vekfs format"},
        {"version-mismatch", VEKFS_ERR_FAIL, "not valid vekfs format"},
        {"fstype4", VEKFS_ERR_FAIL, "disk param err not support fs type now!"},
        {"parts5", VEKFS_ERR_FAIL, "more than 4 partitions"},
        {"copysize", VEKFS_ERR_FAIL, "512 MB"},
        {"fstype3", VEKFS_OK, ""},
        {"state3", VEKFS_OK, ""},
        {"channels16", VEKFS_OK, "only support 16 channels!"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.variant);
        ScenarioImage image = Build("bad-param", c.variant, version());
        platform::ScopedMemDisk reg("mount-bad-param", image.disk);
        const uint64_t hash = Hash(*image.disk);
        DiagCapture diag;
        Reader reader(profile());
        ASSERT_EQ(reader.init(128), 0);
        EXPECT_EQ(reader.add_disk(0, reg.Path().c_str()), c.result);
        EXPECT_TRUE(diag.Contains(c.line)) << diag.Text();
        EXPECT_EQ(Hash(*image.disk), hash);  // no mount writes to a sound or a refused disk
        if (std::string(c.variant) == "fstype3") {
            EXPECT_EQ(diag.Contains("add raw disk now!"), version() == 1);
        }
        if (std::string(c.variant) == "channels16") {
            disk_info_t info;
            ASSERT_TRUE(reader.disk_info(0, &info));
            EXPECT_EQ(info.param.disk_state, 2);
            EXPECT_EQ(info.param.few_channels, 1u);
        }
    }
}

TEST_P(Mount, StatusRemountAndRemoval) {
    ScenarioImage image = Build("basic", "", version());
    // A long device path is kept whole: every later search reopens the disk by it.
    const std::string name(100, 'x');
    platform::ScopedMemDisk reg(name, image.disk);
    DiagCapture diag;
    Reader reader(profile());
    ASSERT_EQ(reader.init(16), 0);
    ASSERT_EQ(reader.add_disk(3, reg.Path().c_str()), 0);
    ASSERT_EQ(reader.add_disk(3, reg.Path().c_str()), 0);  // a remount replaces the record
    EXPECT_EQ(reader.mounted_count(), 1);
    disk_info_t info;
    ASSERT_TRUE(reader.disk_info(3, &info));
    EXPECT_EQ(info.path, reg.Path());

    uint16_t largest = 0;
    uint32_t free_mb = 0;
    for (const auto& p : image.manifest.partitions) {
        largest = std::max(largest, p.record.file_count);
        if (p.record.state == 0)
            free_mb += p.record.free_count * 256u;
    }
    EXPECT_EQ(reader.largest_file_count(), largest);
    disk_status_t status;
    int result = -1;
    ASSERT_EQ(reader.get_disk_status(3, &status, &result), 0);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(status.free_mb, free_mb);
    EXPECT_EQ(status.capacity, image.manifest.param.capacity);

    // Searches reopen the device by that path and find the recordings.
    const auto& first = image.manifest.events.at(0);
    search_param p;
    p.search_type = kSearchMonth;
    p.channel_mask = 0xffff;
    p.type_mask = 0xffff;
    p.start = p.end = unpack_time(first.start);
    uint32_t days[31];
    ASSERT_EQ(reader.find_start(&p, days), kNoSearchHandle);
    EXPECT_NE(days[unpack_time(first.start).day - 1], 0u);

    EXPECT_EQ(reader.remove_disk(3), 0);
    EXPECT_EQ(reader.mounted_count(), 0);
    EXPECT_EQ(reader.largest_file_count(), 0);
    EXPECT_FALSE(reader.disk_info(3, &info));
    ASSERT_EQ(reader.find_start(&p, days), kNoSearchHandle);
    EXPECT_EQ(days[unpack_time(first.start).day - 1], 0u);
}

VEK_INSTANTIATE_FOR_BOTH_FORMATS(Mount);

}  // namespace
}  // namespace vekfs
