// The parameter block on the device: reading, writing inside the MBR sector,
// validation, and the choice of index copies.
#include <gtest/gtest.h>

#include <array>

#include "platform/mem_device.h"
#include "reader/disk_param_io.h"
#include "tests/reader/diag_capture.h"

namespace vekfs {
namespace {

using testing::DiagCapture;

disk_param SoundBlock(const FormatTraits& f) {
    disk_param p;
    p.magic = kMagicDisk;
    p.capacity = 500000;
    p.part_count = 2;
    p.version = p.version_again = f.version;
    p.file_table_offset = 0x1000;
    p.event_area_offset = 0x10000;
    p.channels = 16;
    p.part_start = {1 << 20, (1 << 20) + 8 * kDataFileSize, 0, 0};
    p.copy_size = 0x2000000;
    p.valid_bits = {0xf, 0xf, 0, 0};
    p.raw[8] = 0x5a;  // a reserved byte that must survive
    std::array<uint8_t, kDiskParamSize> b{};
    encode_disk_param(p, b.data());
    p.check_sum = disk_param_xor(b.data());
    encode_disk_param(p, b.data());
    return decode_disk_param(b.data());
}

TEST(Validation, ASoundBlockIsValidOnlyForItsOwnVersion) {
    DiagCapture diag;
    EXPECT_EQ(valid_vekfs_format_disk(kReaderV1, SoundBlock(kFormatV1)), 0);
    EXPECT_EQ(valid_vekfs_format_disk(kReaderV2, SoundBlock(kFormatV2)), 0);
    EXPECT_EQ(valid_vekfs_format_disk(kReaderV2, SoundBlock(kFormatV1)), -1);
    EXPECT_EQ(valid_vekfs_format_disk(kReaderV1, SoundBlock(kFormatV2)), -1);
    EXPECT_TRUE(diag.Contains("[vekfserr]:valid_vekfs_format_disk,"));
    EXPECT_TRUE(diag.Contains("-->not valid vekfs format, check_sum="));
}

TEST(Validation, AnyOneBitFlipOfTheCheckWordIsInvalid) {
    DiagCapture diag;
    for (int bit = 0; bit < 32; bit++) {
        disk_param p = SoundBlock(kFormatV1);
        p.check_sum ^= 1u << bit;
        EXPECT_EQ(valid_vekfs_format_disk(kReaderV1, p), -1) << bit;
    }
    // So is any flip of a covered byte, reserved ones included.
    disk_param p = SoundBlock(kFormatV1);
    p.raw[8] ^= 1;
    EXPECT_EQ(valid_vekfs_format_disk(kReaderV1, p), -1);
}

TEST(Validation, OneVersionWordWrongIsInvalid) {
    DiagCapture diag;
    disk_param p = SoundBlock(kFormatV1);
    p.version_again = 2;
    std::array<uint8_t, kDiskParamSize> b{};
    encode_disk_param(p, b.data());
    p.check_sum = disk_param_xor(b.data());
    EXPECT_EQ(valid_vekfs_format_disk(kReaderV1, p), -1);
}

TEST(Validation, ImpossibleGeometryIsNotAVekfsDisk) {
    struct Case {
        const char* name;
        void (*damage)(disk_param&);
    };
    const Case cases[] = {
        {"5 partitions", [](disk_param& p) { p.part_count = 5; }},
        {"255 partitions", [](disk_param& p) { p.part_count = 255; }},
        {"four copies past 512 MB", [](disk_param& p) { p.copy_size = 0x8000001; }},
        {"copy of 4 GB", [](disk_param& p) { p.copy_size = 0xffffffff; }},
        {"copy smaller than its record", [](disk_param& p) { p.copy_size = 16; }},
        {"file table past the copy", [](disk_param& p) { p.file_table_offset = p.copy_size; }},
        {"file table over the record", [](disk_param& p) { p.file_table_offset = 8; }},
        {"event area past the copy", [](disk_param& p) { p.event_area_offset = p.copy_size - 100; }},
        {"200 channels", [](disk_param& p) { p.channels = 200; }},
        {"partition at the end of the address space",
         [](disk_param& p) { p.part_start[1] = UINT64_MAX - 4096; }},
    };
    DiagCapture diag;
    for (const Case& c : cases) {
        disk_param p = SoundBlock(kFormatV2);
        c.damage(p);
        std::array<uint8_t, kDiskParamSize> b{};
        encode_disk_param(p, b.data());
        p.check_sum = disk_param_xor(b.data());  // a correct check word does not save it
        EXPECT_EQ(valid_vekfs_format_disk(kReaderV2, p), -1) << c.name;
    }
    EXPECT_TRUE(diag.Contains("not valid vekfs format"));
    // Exactly four copies of 128 MB fill the index area and are fine.
    disk_param p = SoundBlock(kFormatV2);
    p.copy_size = 0x8000000;
    std::array<uint8_t, kDiskParamSize> b{};
    encode_disk_param(p, b.data());
    p.check_sum = disk_param_xor(b.data());
    EXPECT_EQ(valid_vekfs_format_disk(kReaderV2, p), 0);
}

TEST(CopyChoice, AllSixteenMasks) {
    // mask -> working copy, mirror (-1: fewer than two valid copies)
    const int expected[16][2] = {
        {-1, -1}, {-1, -1}, {-1, -1}, {0, 1}, {-1, -1}, {0, 2}, {1, 2}, {0, 1},
        {-1, -1}, {0, 3},   {1, 3},   {0, 1}, {2, 3},   {0, 2}, {1, 2}, {0, 1},
    };
    DiagCapture diag;
    for (int mask = 0; mask < 16; mask++) {
        for (int part = 0; part < kMaxPartitions; part++) {
            disk_param p;
            p.valid_bits[static_cast<size_t>(part)] = static_cast<uint8_t>(mask);
            EXPECT_EQ(get_disk_working_index(p, part, 1), expected[mask][0]) << mask << " part " << part;
            EXPECT_EQ(get_disk_working_index(p, part, 0), expected[mask][1]) << mask << " part " << part;
        }
    }
    EXPECT_TRUE(diag.Contains("invalid index file flag!"));
    diag.Clear();
    disk_param p;
    p.valid_bits = {0xf0, 0xf, 0xf, 0xf};  // bits above the four copies mean nothing
    EXPECT_EQ(get_disk_working_index(p, 0, 1), -1);
    EXPECT_EQ(get_disk_working_index(p, 4, 1), -1);
    EXPECT_EQ(get_disk_working_index(p, -1, 0), -1);
    EXPECT_TRUE(diag.Contains("invalid param!"));
}

class ParamOnDisk : public ::testing::Test {
  protected:
    void SetUp() override {
        disk_ = std::make_shared<platform::MemDisk>(1 << 20);
        // An MBR: boot code pattern, one partition entry and the signature.
        std::array<uint8_t, 512> mbr{};
        for (size_t i = 0; i < mbr.size(); i++)
            mbr[i] = static_cast<uint8_t>(0x30 + i % 61);
        mbr[510] = 0x55;
        mbr[511] = 0xaa;
        disk_->Poke(0, mbr.data(), mbr.size());
        uint8_t b[kDiskParamSize];
        encode_disk_param(SoundBlock(kFormatV2), b);
        disk_->Poke(kDiskParamOffset, b, sizeof b);
        sector0_ = disk_->Bytes(0, 512);
        reg_ = std::make_unique<platform::ScopedMemDisk>("param-io", disk_);
    }
    std::shared_ptr<platform::MemDisk> disk_;
    std::vector<uint8_t> sector0_;
    std::unique_ptr<platform::ScopedMemDisk> reg_;
};

TEST_F(ParamOnDisk, ReadsTheBlockAtByte256) {
    disk_param p;
    ASSERT_EQ(get_disk_param(kReaderV2, reg_->Path(), &p), 0);
    EXPECT_EQ(valid_vekfs_format_disk(kReaderV2, p), 0);
    EXPECT_EQ(p.raw[8], 0x5a);
}

TEST_F(ParamOnDisk, WriteUpdatesTheCheckWordAndKeepsTheMbr) {
    disk_param p;
    ASSERT_EQ(get_disk_param(kReaderV2, reg_->Path(), &p), 0);
    p.valid_bits[0] = 0x0e;
    DiagCapture diag;
    ASSERT_EQ(set_disk_param(kReaderV2, reg_->Path(), &p), 0);
    EXPECT_TRUE(diag.Contains("[vekfs]:disk param check sum="));

    const auto after = disk_->Bytes(0, 512);
    for (size_t i = 0; i < 512; i++) {
        if (i < 256 || i >= 384) {
            EXPECT_EQ(after[i], sector0_[i]) << i;
        }
    }
    disk_param back;
    ASSERT_EQ(get_disk_param(kReaderV2, reg_->Path(), &back), 0);
    EXPECT_EQ(valid_vekfs_format_disk(kReaderV2, back), 0);
    EXPECT_EQ(back.valid_bits[0], 0x0e);
    EXPECT_EQ(back.raw[8], 0x5a);
    EXPECT_EQ(back.check_sum, p.check_sum);
}

TEST_F(ParamOnDisk, FailuresAreReportedNotTakenAsSuccess) {
    DiagCapture diag;
    disk_param p;
    EXPECT_EQ(get_disk_param(kReaderV2, "mem:no-such-disk", &p), -1);
    EXPECT_TRUE(diag.Contains("open disk mem:no-such-disk failed"));

    disk_->AddFault({platform::IoOp::Read, 0, 512, 1});
    EXPECT_EQ(get_disk_param(kReaderV2, reg_->Path(), &p), -1);
    EXPECT_TRUE(diag.Contains("read data failed"));

    ASSERT_EQ(get_disk_param(kReaderV2, reg_->Path(), &p), 0);
    disk_->AddFault({platform::IoOp::Write, 0, 512, 1});
    p.valid_bits[0] = 0x0e;
    EXPECT_LT(set_disk_param(kReaderV2, reg_->Path(), &p), 0);
    EXPECT_EQ(disk_->Bytes(0, 512), sector0_);

    disk_->AddFault({platform::IoOp::Open, 0, 0, 1});
    EXPECT_EQ(set_disk_param(kReaderV2, reg_->Path(), &p), -1);
}

}  // namespace
}  // namespace vekfs
