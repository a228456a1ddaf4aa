// Sector I/O: head, whole sectors and tail, read-modify-write, and the codes
// device failures map to.
#include <gtest/gtest.h>

#include <numeric>
#include <vector>

#include "platform/mem_device.h"
#include "platform/raw_device.h"
#include "reader/sector_io.h"

namespace vekfs {
namespace {

using platform::IoOp;

class SectorIo : public ::testing::Test {
  protected:
    void SetUp() override {
        disk_ = std::make_shared<platform::MemDisk>(64 * 1024);
        std::vector<uint8_t> pattern(64 * 1024);
        for (size_t i = 0; i < pattern.size(); i++)
            pattern[i] = static_cast<uint8_t>(i * 7 + i / 251);
        disk_->Poke(0, pattern.data(), pattern.size());
        pattern_ = pattern;
        reg_ = std::make_unique<platform::ScopedMemDisk>("sector-io", disk_);
        device_ = platform::OpenRawDevice(reg_->Path(), platform::DeviceAccess::ReadWrite);
        ASSERT_TRUE(device_);
        disk_->ClearLog();
    }

    std::vector<platform::IoRecord> Transfers() const {
        std::vector<platform::IoRecord> out;
        for (const auto& r : disk_->Log())
            if (r.op == IoOp::Read || r.op == IoOp::Write)
                out.push_back(r);
        return out;
    }

    std::shared_ptr<platform::MemDisk> disk_;
    std::vector<uint8_t> pattern_;
    std::unique_ptr<platform::ScopedMemDisk> reg_;
    std::unique_ptr<platform::RawDevice> device_;
};

TEST_F(SectorIo, ShortReadInsideOneSectorTouchesOneSector) {
    std::vector<uint8_t> buf(100);
    ASSERT_EQ(pc_read_data(device_.get(), buf.data(), 300, 100), 100);
    EXPECT_TRUE(std::equal(buf.begin(), buf.end(), pattern_.begin() + 300));
    const auto t = Transfers();
    ASSERT_EQ(t.size(), 1u);
    EXPECT_EQ(t[0].op, IoOp::Read);
    EXPECT_EQ(t[0].offset, 0u);
    EXPECT_EQ(t[0].length, 512u);
}

TEST_F(SectorIo, AlignedReadGoesStraightIntoTheBuffer) {
    std::vector<uint8_t> buf(1024);
    ASSERT_EQ(pc_read_data(device_.get(), buf.data(), 2048, 1024), 1024);
    EXPECT_TRUE(std::equal(buf.begin(), buf.end(), pattern_.begin() + 2048));
    const auto t = Transfers();
    ASSERT_EQ(t.size(), 1u);  // one transfer of both sectors, no bounce copy
    EXPECT_EQ(t[0].offset, 2048u);
    EXPECT_EQ(t[0].length, 1024u);
}

TEST_F(SectorIo, HeadWholeAndTailAreEachReadOnce) {
    // 300..2100: head 300..511, whole 512..2047, tail 2048..2099
    std::vector<uint8_t> buf(1800);
    ASSERT_EQ(pc_read_data(device_.get(), buf.data(), 300, 1800), 1800);
    EXPECT_TRUE(std::equal(buf.begin(), buf.end(), pattern_.begin() + 300));
    const auto t = Transfers();
    ASSERT_EQ(t.size(), 3u);
    EXPECT_EQ(t[0].offset, 0u);
    EXPECT_EQ(t[0].length, 512u);
    EXPECT_EQ(t[1].offset, 512u);
    EXPECT_EQ(t[1].length, 1536u);
    EXPECT_EQ(t[2].offset, 2048u);
    EXPECT_EQ(t[2].length, 512u);
}

TEST_F(SectorIo, ReadsOfEveryHeadAndLengthMatchTheDisk) {
    std::vector<uint8_t> buf(1600);
    for (uint64_t offset : {0, 1, 255, 511, 512, 513, 1023, 4097}) {
        for (int length : {0, 1, 2, 511, 512, 513, 1024, 1025, 1536}) {
            std::fill(buf.begin(), buf.end(), 0xee);
            ASSERT_EQ(pc_read_data(device_.get(), buf.data(), offset, length), length);
            EXPECT_TRUE(
                std::equal(buf.begin(), buf.begin() + length, pattern_.begin() + static_cast<long>(offset)))
                << offset << "+" << length;
            EXPECT_EQ(buf[static_cast<size_t>(length)], 0xee) << "wrote past the length";
        }
    }
}

TEST_F(SectorIo, PartialWriteKeepsItsNeighbours) {
    std::vector<uint8_t> data(40, 0xab);
    ASSERT_EQ(pc_write_data(device_.get(), data.data(), 300, 40), 40);
    const auto after = disk_->Bytes(0, 1024);
    for (size_t i = 0; i < after.size(); i++) {
        if (i >= 300 && i < 340)
            EXPECT_EQ(after[i], 0xab) << i;
        else
            EXPECT_EQ(after[i], pattern_[i]) << i;
    }
    const auto t = Transfers();
    ASSERT_EQ(t.size(), 2u);  // read the sector, write it back
    EXPECT_EQ(t[0].op, IoOp::Read);
    EXPECT_EQ(t[1].op, IoOp::Write);
    EXPECT_EQ(t[1].offset, 0u);
}

TEST_F(SectorIo, WritesOfEveryHeadAndLengthChangeOnlyTheirRange) {
    for (uint64_t offset : {0, 1, 511, 512, 700, 4095}) {
        for (int length : {1, 100, 512, 513, 1100, 2048}) {
            std::vector<uint8_t> expect = disk_->Bytes(0, 8192);
            std::vector<uint8_t> data(static_cast<size_t>(length));
            std::iota(data.begin(), data.end(), static_cast<uint8_t>(offset + static_cast<uint64_t>(length)));
            ASSERT_EQ(pc_write_data(device_.get(), data.data(), offset, length), length);
            std::copy(data.begin(), data.end(), expect.begin() + static_cast<long>(offset));
            ASSERT_EQ(disk_->Bytes(0, 8192), expect) << offset << "+" << length;
        }
    }
}

TEST_F(SectorIo, DeviceFailuresMapToTheirCodes) {
    std::vector<uint8_t> buf(2048);
    EXPECT_EQ(pc_read_data(nullptr, buf.data(), 0, 10), kSectorErrNoHandle);
    EXPECT_EQ(pc_read_data(device_.get(), buf.data(), 0, -1), kSectorErrNoHandle);

    disk_->AddFault({IoOp::Seek, 4096, 4097, 1});
    EXPECT_EQ(pc_read_data(device_.get(), buf.data(), 4100, 10), kSectorErrSeek);
    EXPECT_EQ(pc_read_data(device_.get(), buf.data(), 4100, 10), 10);  // the fault has retired

    // A failing whole-sector read in the middle of a range.
    disk_->AddFault({IoOp::Read, 1024, 1025, 1});
    EXPECT_EQ(pc_read_data(device_.get(), buf.data(), 300, 1800), kSectorErrTransfer);

    // A failing tail read.
    disk_->AddFault({IoOp::Read, 2048, 2049, 1});
    EXPECT_EQ(pc_read_data(device_.get(), buf.data(), 512, 1600), kSectorErrTransfer);

    // A write whose transfer is short is a failure, not a success.
    platform::FaultRule shortWrite{IoOp::Write, 0, 8192, 1};
    shortWrite.shortTransfer = true;
    disk_->AddFault(shortWrite);
    EXPECT_EQ(pc_write_data(device_.get(), buf.data(), 1024, 1024), kSectorErrTransfer);

    // The read half of a read-modify-write failing stops the write.
    const auto before = disk_->Bytes(0, 1024);
    disk_->AddFault({IoOp::Read, 0, 512, 1});
    EXPECT_EQ(pc_write_data(device_.get(), buf.data(), 300, 40), kSectorErrTransfer);
    EXPECT_EQ(disk_->Bytes(0, 1024), before);

    disk_->AddFault({IoOp::Write, 4096, 4608, 1});
    EXPECT_EQ(pc_write_data(device_.get(), buf.data(), 4000, 200), kSectorErrTransfer);
}

TEST_F(SectorIo, ReadPastTheEndOfTheDeviceFails) {
    std::vector<uint8_t> buf(1024);
    EXPECT_EQ(pc_read_data(device_.get(), buf.data(), 64 * 1024 - 100, 200), kSectorErrTransfer);
    EXPECT_LT(pc_read_data(device_.get(), buf.data(), 64 * 1024 + 512, 10), 0);
}

}  // namespace
}  // namespace vekfs
