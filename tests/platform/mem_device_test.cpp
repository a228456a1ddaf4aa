// tests/platform/mem_device_test.cpp
//
// The in-memory disk: sparse storage, the device contract through "mem:NAME"
// (alignment, bounds, position), fault injection, the transfer log, the
// registry, clones and concurrent use.
#include "platform/mem_device.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "platform/raw_device.h"
#include "tests/common/temp_image.h"

namespace platform {
namespace {

using vektest::Pattern;

constexpr uint64_t kGiB = uint64_t{1} << 30;

std::string TestName() {
    return ::testing::UnitTest::GetInstance()->current_test_info()->name();
}

// A disk registered under the test's own name, and a way to open it.
class MemDeviceTest : public ::testing::Test {
  protected:
    explicit MemDeviceTest(uint64_t size = 1 << 20)
        : disk_(std::make_shared<MemDisk>(size)), registration_("test-" + TestName(), disk_) {}

    std::unique_ptr<RawDevice> Open(DeviceAccess access = DeviceAccess::ReadWrite) {
        std::string error;
        auto device = OpenRawDevice(registration_.Path(), access, &error);
        EXPECT_NE(device, nullptr) << error;
        return device;
    }

    std::shared_ptr<MemDisk> disk_;
    ScopedMemDisk registration_;
};

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// ---- the disk itself ----------------------------------------------------------

TEST(MemDiskTest, UnwrittenBytesReadZeroAndTakeNoPages) {
    MemDisk disk(8 * kGiB);
    EXPECT_EQ(disk.Size(), 8 * kGiB);
    EXPECT_EQ(disk.Bytes(0, 4096), std::vector<uint8_t>(4096, 0));
    EXPECT_EQ(disk.Bytes(5 * kGiB + 100, 10000), std::vector<uint8_t>(10000, 0));
    EXPECT_EQ(disk.Bytes(8 * kGiB - 512, 512), std::vector<uint8_t>(512, 0));
    EXPECT_EQ(disk.PagesInUse(), 0u);

    // Unaligned data across a page boundary takes the two pages it touches.
    const std::vector<uint8_t> data = Pattern(10, 3);
    disk.Poke(5 * kGiB + 4090, data.data(), data.size());
    EXPECT_EQ(disk.PagesInUse(), 2u);
    EXPECT_EQ(disk.Bytes(5 * kGiB + 4090, 10), data);
    std::vector<uint8_t> around = disk.Bytes(5 * kGiB + 4080, 30);
    EXPECT_EQ(std::count(around.begin(), around.end(), 0), 20);

    // Zeros where nothing was written cost nothing; zeros over data clear it.
    const std::vector<uint8_t> zeros(3 * 4096, 0);
    disk.Poke(kGiB, zeros.data(), zeros.size());
    EXPECT_EQ(disk.PagesInUse(), 2u);
    disk.Poke(5 * kGiB + 4090, zeros.data(), 10);
    EXPECT_EQ(disk.Bytes(5 * kGiB + 4090, 10), std::vector<uint8_t>(10, 0));

    // Data that merely starts with zeros is data.
    std::vector<uint8_t> leadingZeros(4096, 0);
    leadingZeros[4095] = 0x5A;
    disk.Poke(2 * kGiB, leadingZeros.data(), leadingZeros.size());
    EXPECT_EQ(disk.Bytes(2 * kGiB, 4096), leadingZeros);
}

TEST(MemDiskTest, PeekAndPokeStopAtTheEnd) {
    MemDisk disk(4096 + 512);
    const std::vector<uint8_t> data = Pattern(1024, 9);
    disk.Poke(4096, data.data(), data.size());  // the second half falls off the end
    EXPECT_EQ(disk.Bytes(4096, 512), std::vector<uint8_t>(data.begin(), data.begin() + 512));

    std::vector<uint8_t> out(1024, 0xEE);
    disk.Peek(4096, out.data(), out.size());
    EXPECT_EQ(std::vector<uint8_t>(out.begin(), out.begin() + 512),
              std::vector<uint8_t>(data.begin(), data.begin() + 512));
    EXPECT_EQ(std::vector<uint8_t>(out.begin() + 512, out.end()), std::vector<uint8_t>(512, 0));

    disk.Poke(1 << 20, data.data(), data.size());  // wholly outside
    EXPECT_EQ(disk.PagesInUse(), 1u);
    out.assign(16, 0xEE);
    disk.Peek(1 << 20, out.data(), out.size());
    EXPECT_EQ(out, std::vector<uint8_t>(16, 0));
}

TEST(MemDiskTest, CloneIsIndependentAndStartsClean) {
    auto original = std::make_shared<MemDisk>(1 << 20);
    const std::vector<uint8_t> a = Pattern(4096, 1), b = Pattern(4096, 2), c = Pattern(512, 3);
    original->Poke(8192, a.data(), a.size());
    original->AddFault(FaultRule{IoOp::Read});
    original->Record(IoOp::Read, 0, 512, true);

    std::shared_ptr<MemDisk> copy = original->Clone();
    EXPECT_EQ(copy->Size(), original->Size());
    EXPECT_EQ(copy->Bytes(8192, 4096), a);
    EXPECT_EQ(copy->PagesInUse(), 1u);
    EXPECT_TRUE(copy->Log().empty());

    original->Poke(8192, b.data(), b.size());
    copy->Poke(0, c.data(), c.size());
    EXPECT_EQ(copy->Bytes(8192, 4096), a);
    EXPECT_EQ(original->Bytes(0, 512), std::vector<uint8_t>(512, 0));

    // The original's fault rule did not come along.
    ScopedMemDisk registration("clone-" + TestName(), copy);
    auto device = OpenRawDevice(registration.Path(), DeviceAccess::ReadOnly);
    ASSERT_NE(device, nullptr);
    std::vector<uint8_t> out(4096);
    EXPECT_TRUE(device->ReadAt(8192, out.data(), out.size())) << device->LastError();
    EXPECT_EQ(out, a);
}

// ---- the device contract ------------------------------------------------------

TEST_F(MemDeviceTest, WritesAndReadsWholeSectorsAndTracksThePosition) {
    auto device = Open();
    ASSERT_NE(device, nullptr);
    uint64_t size = 0;
    ASSERT_TRUE(device->Size(&size));
    EXPECT_EQ(size, uint64_t{1} << 20);
    EXPECT_EQ(device->Position(), 0u);

    const std::vector<uint8_t> data = Pattern(3 * 512, 5);
    ASSERT_TRUE(device->Seek(4096 + 512));
    ASSERT_TRUE(device->Write(data.data(), data.size())) << device->LastError();
    EXPECT_EQ(device->Position(), 4096u + 4 * 512);
    EXPECT_EQ(disk_->Bytes(4096 + 512, data.size()), data);
    EXPECT_EQ(disk_->Bytes(4096, 512), std::vector<uint8_t>(512, 0));

    std::vector<uint8_t> out(512);
    ASSERT_TRUE(device->ReadAt(4096 + 1024, out.data(), out.size()));
    EXPECT_EQ(out, std::vector<uint8_t>(data.begin() + 512, data.begin() + 1024));
    ASSERT_TRUE(device->Read(out.data(), out.size()));  // continues from the position
    EXPECT_EQ(out, std::vector<uint8_t>(data.begin() + 1024, data.end()));
    EXPECT_EQ(device->Position(), 4096u + 4 * 512);
    EXPECT_EQ(device->LastError(), "");
}

TEST_F(MemDeviceTest, RefusesMisalignedOffsetsAndLengths) {
    auto device = Open();
    ASSERT_NE(device, nullptr);
    const std::vector<uint8_t> data = Pattern(1024, 1);
    std::vector<uint8_t> out(1024);

    ASSERT_TRUE(device->Seek(1024));
    EXPECT_FALSE(device->Seek(1024 + 100));
    EXPECT_TRUE(Contains(device->LastError(), "offset")) << device->LastError();
    EXPECT_TRUE(Contains(device->LastError(), registration_.Path())) << device->LastError();
    EXPECT_EQ(device->Position(), 1024u);

    EXPECT_FALSE(device->Read(out.data(), 100));
    EXPECT_TRUE(Contains(device->LastError(), "length")) << device->LastError();
    EXPECT_FALSE(device->Write(data.data(), 513));
    EXPECT_TRUE(Contains(device->LastError(), "length")) << device->LastError();
    EXPECT_FALSE(device->WriteAt(7, data.data(), 512));
    EXPECT_EQ(disk_->PagesInUse(), 0u);
    EXPECT_EQ(device->Position(), 1024u);
}

class MemDeviceSmallDiskTest : public MemDeviceTest {
  protected:
    MemDeviceSmallDiskTest() : MemDeviceTest(8 * 512) {}
};

TEST_F(MemDeviceSmallDiskTest, RefusesTransfersPastTheEnd) {
    auto device = Open();
    ASSERT_NE(device, nullptr);
    const std::vector<uint8_t> data = Pattern(1024, 4);
    std::vector<uint8_t> out(1024, 0xEE);

    EXPECT_TRUE(device->WriteAt(7 * 512, data.data(), 512)) << device->LastError();
    EXPECT_FALSE(device->WriteAt(7 * 512, data.data() + 512, 1024));  // crosses the end
    EXPECT_TRUE(Contains(device->LastError(), "end")) << device->LastError();
    EXPECT_EQ(disk_->Bytes(7 * 512, 512), std::vector<uint8_t>(data.begin(), data.begin() + 512));

    EXPECT_FALSE(device->ReadAt(7 * 512, out.data(), 1024));
    EXPECT_EQ(out, std::vector<uint8_t>(1024, 0xEE));
    EXPECT_TRUE(device->Seek(8 * 512));           // seeking to or past the end is allowed ...
    EXPECT_FALSE(device->Read(out.data(), 512));  // ... reading there is not
    EXPECT_TRUE(device->Seek(64 * 512));
    EXPECT_FALSE(device->Write(data.data(), 512));
    EXPECT_EQ(disk_->PagesInUse(), 1u);
}

TEST_F(MemDeviceTest, ReadOnlyHandleRefusesWrites) {
    auto device = Open(DeviceAccess::ReadOnly);
    ASSERT_NE(device, nullptr);
    const std::vector<uint8_t> data = Pattern(512, 8);
    EXPECT_FALSE(device->WriteAt(0, data.data(), data.size()));
    EXPECT_TRUE(Contains(device->LastError(), "reading only")) << device->LastError();
    EXPECT_EQ(disk_->PagesInUse(), 0u);
}

// ---- faults -------------------------------------------------------------------

class MemFaultTest : public MemDeviceTest {};

TEST_F(MemFaultTest, ReadFaultFiresOnlyForTransfersTouchingItsRange) {
    disk_->AddFault(FaultRule{IoOp::Read, 4096, 8192});
    auto device = Open();
    ASSERT_NE(device, nullptr);
    std::vector<uint8_t> out(16384);
    struct Case {
        uint64_t offset;
        size_t length;
        bool ok;
    };
    const Case cases[] = {
        {0, 4096, true},      // ends where the range begins
        {8192, 4096, true},   // begins where the range ends
        {3584, 1024, false},  // overlaps the start
        {7680, 512, false},   // the last sector of the range
        {4096 + 1024, 512, false},
        {0, 16384, false},  // covers all of it
        {0, 0, true},       // empty, outside
    };
    for (const Case& c : cases) {
        EXPECT_EQ(device->ReadAt(c.offset, out.data(), c.length), c.ok) << c.offset << "+" << c.length;
    }
    EXPECT_TRUE(Contains(device->LastError(), "injected")) << device->LastError();
    // Writes are not affected by a read rule.
    EXPECT_TRUE(device->WriteAt(4096, out.data(), 512));
}

TEST_F(MemFaultTest, WriteFaultLeavesTheMediumUntouched) {
    disk_->AddFault(FaultRule{IoOp::Write, 1024, 1536});
    auto device = Open();
    ASSERT_NE(device, nullptr);
    const std::vector<uint8_t> data = Pattern(2048, 6);
    EXPECT_FALSE(device->WriteAt(0, data.data(), data.size()));
    EXPECT_EQ(disk_->PagesInUse(), 0u);
    EXPECT_TRUE(device->WriteAt(1536, data.data(), 512));
    std::vector<uint8_t> out(2048);
    EXPECT_TRUE(device->ReadAt(0, out.data(), out.size()));  // reads are not affected
}

TEST_F(MemFaultTest, SeekFaultTestsTheTargetOffset) {
    disk_->AddFault(FaultRule{IoOp::Seek, 1024, 2048});
    auto device = Open();
    ASSERT_NE(device, nullptr);
    EXPECT_TRUE(device->Seek(512));
    EXPECT_FALSE(device->Seek(1024));
    EXPECT_EQ(device->Position(), 512u);
    EXPECT_FALSE(device->Seek(1536));
    EXPECT_TRUE(device->Seek(2048));
    std::vector<uint8_t> out(4096);
    EXPECT_FALSE(device->ReadAt(1024, out.data(), 512));  // ReadAt seeks first
}

TEST_F(MemFaultTest, CountRetiresTheRuleAndMissesDoNotCount) {
    disk_->AddFault(FaultRule{IoOp::Read, 0, 512, 2});
    auto device = Open();
    ASSERT_NE(device, nullptr);
    std::vector<uint8_t> out(512);
    EXPECT_TRUE(device->ReadAt(512, out.data(), 512));  // a miss
    EXPECT_FALSE(device->ReadAt(0, out.data(), 512));
    EXPECT_TRUE(device->ReadAt(1024, out.data(), 512));  // another miss
    EXPECT_FALSE(device->ReadAt(0, out.data(), 512));
    EXPECT_TRUE(device->ReadAt(0, out.data(), 512)) << "the rule should have retired";
    EXPECT_TRUE(device->ReadAt(0, out.data(), 512));

    disk_->AddFault(FaultRule{IoOp::Read, 0, 512, -1});
    for (int i = 0; i < 10; i++)
        EXPECT_FALSE(device->ReadAt(0, out.data(), 512));
    disk_->ClearFaults();
    EXPECT_TRUE(device->ReadAt(0, out.data(), 512));

    disk_->AddFault(FaultRule{IoOp::Read, 0, 512, 0});  // a count of 0 never fires
    EXPECT_TRUE(device->ReadAt(0, out.data(), 512));
}

TEST_F(MemFaultTest, RulesAreConsultedInOrder) {
    disk_->AddFault(FaultRule{IoOp::Read, 0, 4096, 1});
    disk_->AddFault(FaultRule{IoOp::Read, 0, 4096, 1, true});
    auto device = Open();
    ASSERT_NE(device, nullptr);
    std::vector<uint8_t> out(1024);
    EXPECT_FALSE(device->ReadAt(0, out.data(), out.size()));
    EXPECT_TRUE(Contains(device->LastError(), "injected I/O error")) << device->LastError();
    EXPECT_FALSE(device->ReadAt(0, out.data(), out.size()));
    EXPECT_TRUE(Contains(device->LastError(), "short")) << device->LastError();
    EXPECT_TRUE(device->ReadAt(0, out.data(), out.size()));
}

TEST_F(MemFaultTest, ShortReadDeliversHalfAndFails) {
    const std::vector<uint8_t> data = Pattern(4 * 512, 7);
    disk_->Poke(8192, data.data(), data.size());
    disk_->AddFault(FaultRule{IoOp::Read, 8192, 8192 + 512, 1, true});
    auto device = Open();
    ASSERT_NE(device, nullptr);

    std::vector<uint8_t> out(4 * 512, 0xEE);
    EXPECT_FALSE(device->ReadAt(8192, out.data(), out.size()));
    EXPECT_TRUE(Contains(device->LastError(), "short")) << device->LastError();
    EXPECT_TRUE(Contains(device->LastError(), "8192")) << device->LastError();
    EXPECT_EQ(std::vector<uint8_t>(out.begin(), out.begin() + 1024),
              std::vector<uint8_t>(data.begin(), data.begin() + 1024));
    EXPECT_EQ(std::vector<uint8_t>(out.begin() + 1024, out.end()), std::vector<uint8_t>(1024, 0xEE));
    EXPECT_EQ(device->Position(), 8192u + 1024);

    const std::vector<IoRecord> log = disk_->Log();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back().op, IoOp::Read);
    EXPECT_EQ(log.back().length, 4u * 512);
    EXPECT_FALSE(log.back().ok);

    EXPECT_TRUE(device->ReadAt(8192, out.data(), out.size()));  // count 1: retired
    EXPECT_EQ(out, data);
}

TEST_F(MemFaultTest, ShortWriteLandsHalfAndFails) {
    disk_->AddFault(FaultRule{IoOp::Write, 0, ~uint64_t{0}, 1, true});
    auto device = Open();
    ASSERT_NE(device, nullptr);
    const std::vector<uint8_t> data = Pattern(2048, 2);
    EXPECT_FALSE(device->WriteAt(4096, data.data(), data.size()));
    EXPECT_TRUE(Contains(device->LastError(), "short")) << device->LastError();
    EXPECT_EQ(disk_->Bytes(4096, 1024), std::vector<uint8_t>(data.begin(), data.begin() + 1024));
    EXPECT_EQ(disk_->Bytes(4096 + 1024, 1024), std::vector<uint8_t>(1024, 0));

    // A single sector cut in half moves nothing at all.
    disk_->AddFault(FaultRule{IoOp::Write, 0, ~uint64_t{0}, 1, true});
    EXPECT_FALSE(device->WriteAt(0, data.data(), 512));
    EXPECT_EQ(disk_->Bytes(0, 512), std::vector<uint8_t>(512, 0));
}

// ---- log ----------------------------------------------------------------------

TEST_F(MemDeviceTest, LogRecordsEveryDeviceCallInOrder) {
    auto device = Open();
    ASSERT_NE(device, nullptr);
    const std::vector<uint8_t> data = Pattern(1024, 1);
    std::vector<uint8_t> out(1024);
    disk_->AddFault(FaultRule{IoOp::Read, 1 << 16, (1 << 16) + 512, 1});

    ASSERT_TRUE(device->WriteAt(2048, data.data(), 1024));
    ASSERT_TRUE(device->Read(out.data(), 512));
    EXPECT_FALSE(device->Seek(100));
    EXPECT_FALSE(device->ReadAt(1 << 16, out.data(), 512));
    // Direct access and size queries are not device transfers.
    disk_->Poke(0, data.data(), 10);
    disk_->Peek(0, out.data(), 10);
    uint64_t size = 0;
    device->Size(&size);

    struct Expected {
        IoOp op;
        uint64_t offset;
        size_t length;
        bool ok;
    };
    const Expected expected[] = {
        {IoOp::Open, 0, 0, true},          {IoOp::Seek, 2048, 0, true}, {IoOp::Write, 2048, 1024, true},
        {IoOp::Read, 3072, 512, true},     {IoOp::Seek, 100, 0, false}, {IoOp::Seek, 1 << 16, 0, true},
        {IoOp::Read, 1 << 16, 512, false},
    };
    const std::vector<IoRecord> log = disk_->Log();
    ASSERT_EQ(log.size(), std::size(expected));
    for (size_t i = 0; i < log.size(); i++) {
        EXPECT_EQ(log[i].op, expected[i].op) << "entry " << i;
        EXPECT_EQ(log[i].offset, expected[i].offset) << "entry " << i;
        EXPECT_EQ(log[i].length, expected[i].length) << "entry " << i;
        EXPECT_EQ(log[i].ok, expected[i].ok) << "entry " << i;
    }
    disk_->ClearLog();
    EXPECT_TRUE(disk_->Log().empty());
}

// ---- registry -----------------------------------------------------------------

TEST(MemRegistryTest, UnknownNameFailsWithAClearMessage) {
    std::string error;
    EXPECT_EQ(OpenRawDevice("mem:no-such-disk", DeviceAccess::ReadOnly, &error), nullptr);
    EXPECT_TRUE(Contains(error, "mem:no-such-disk")) << error;
    EXPECT_TRUE(Contains(error, "no in-memory disk")) << error;
    EXPECT_EQ(OpenRawDevice("mem:no-such-disk", DeviceAccess::ReadOnly), nullptr);  // no error text wanted
}

TEST(MemRegistryTest, ScopedRegistrationEndsWithItsScope) {
    const std::string name = "scoped-" + TestName();
    auto disk = std::make_shared<MemDisk>(4096);
    {
        ScopedMemDisk registration(name, disk);
        EXPECT_EQ(registration.Path(), "mem:" + name);
        EXPECT_EQ(FindMemDisk(name), disk);
        auto device = OpenRawDevice(registration.Path(), DeviceAccess::ReadWrite);
        ASSERT_NE(device, nullptr);
    }
    EXPECT_EQ(FindMemDisk(name), nullptr);
    EXPECT_EQ(OpenRawDevice("mem:" + name, DeviceAccess::ReadWrite), nullptr);

    // Registering again under a name replaces the disk behind it.
    auto other = std::make_shared<MemDisk>(8192);
    RegisterMemDisk(name, disk);
    RegisterMemDisk(name, other);
    EXPECT_EQ(FindMemDisk(name), other);
    UnregisterMemDisk(name);
    EXPECT_EQ(FindMemDisk(name), nullptr);
}

TEST(MemRegistryTest, OpenFaultMakesTheOpenFail) {
    auto disk = std::make_shared<MemDisk>(4096);
    ScopedMemDisk registration("open-" + TestName(), disk);
    disk->AddFault(FaultRule{IoOp::Open, 0, 0, 1});
    std::string error;
    EXPECT_EQ(OpenRawDevice(registration.Path(), DeviceAccess::ReadOnly, &error), nullptr);
    EXPECT_TRUE(Contains(error, registration.Path())) << error;
    EXPECT_TRUE(Contains(error, "fault")) << error;
    EXPECT_NE(OpenRawDevice(registration.Path(), DeviceAccess::ReadOnly, &error), nullptr);

    const std::vector<IoRecord> log = disk->Log();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].op, IoOp::Open);
    EXPECT_FALSE(log[0].ok);
    EXPECT_TRUE(log[1].ok);
}

// ---- threads ------------------------------------------------------------------

// Several handles on several threads write interleaved sectors that share
// pages, read them back, and meanwhile others inject faults elsewhere, read
// the log and churn the registry. Every sector must end up exactly as its
// writer left it.
TEST(MemDiskConcurrencyTest, HandlesOnSeveralThreadsStayConsistent) {
    constexpr int kWriters = 6;
    constexpr int kSectorsEach = 64;
    constexpr int kRounds = 20;
    auto disk = std::make_shared<MemDisk>(uint64_t{1} << 24);
    ScopedMemDisk registration("threads-" + TestName(), disk);
    std::atomic<int> failures{0};
    std::atomic<bool> writing{true};

    std::vector<std::thread> threads;
    for (int t = 0; t < kWriters; t++) {
        threads.emplace_back([&, t] {
            auto device = OpenRawDevice(registration.Path(), DeviceAccess::ReadWrite);
            if (!device) {
                failures++;
                return;
            }
            std::vector<uint8_t> out(512);
            for (int round = 0; round < kRounds; round++) {
                for (int s = 0; s < kSectorsEach; s++) {
                    const uint64_t offset = (static_cast<uint64_t>(s) * kWriters + t) * 512;
                    const std::vector<uint8_t> data = Pattern(512, static_cast<uint8_t>(t * 31 + round));
                    const bool ok = device->WriteAt(offset, data.data(), 512) &&
                                    device->ReadAt(offset, out.data(), 512) && out == data;
                    if (!ok)
                        failures++;
                }
            }
        });
    }
    threads.emplace_back([&] {
        std::vector<uint8_t> scratch(4096);
        while (writing) {
            disk->AddFault(FaultRule{IoOp::Read, uint64_t{1} << 23, (uint64_t{1} << 23) + 4096, 1});
            disk->Peek(0, scratch.data(), scratch.size());
            (void)disk->Log().size();
            disk->ClearLog();
            (void)disk->PagesInUse();
            disk->ClearFaults();
            RegisterMemDisk("churn-" + TestName(), disk);
            (void)FindMemDisk(registration.Path().substr(4));
            UnregisterMemDisk("churn-" + TestName());
        }
    });
    for (int t = 0; t < kWriters; t++)
        threads[t].join();
    writing = false;
    threads.back().join();

    EXPECT_EQ(failures.load(), 0);
    for (int t = 0; t < kWriters; t++) {
        for (int s = 0; s < kSectorsEach; s++) {
            const uint64_t offset = (static_cast<uint64_t>(s) * kWriters + t) * 512;
            ASSERT_EQ(disk->Bytes(offset, 512), Pattern(512, static_cast<uint8_t>(t * 31 + kRounds - 1)))
                << "writer " << t << " sector " << s;
        }
    }
}

}  // namespace
}  // namespace platform
