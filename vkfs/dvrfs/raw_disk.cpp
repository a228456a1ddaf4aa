// vkfs/dvrfs/raw_disk.cpp
#include "vkfs/dvrfs/raw_disk.h"

#include <array>
#include <cstdlib>
#include <memory>
#include <mutex>

#include "platform/raw_device.h"
#include "platform/sync.h"
#include "vkfs/dvrfs/layout.h"
#include "vkfs/dvrfs/log.h"

namespace vkfs::dvrfs {

namespace {

constexpr int32_t kSemaphoreInitial = 10;
constexpr int32_t kSemaphoreMaximum = 12;

struct RawEntry {
    std::unique_ptr<platform::RawDevice> device;
    uint64_t sizeSectors = 0;
    uint32_t partitionOffset = 0;
    std::unique_ptr<platform::Semaphore> gate;
};

struct RawTable {
    std::mutex lock;
    std::array<RawEntry, kMaxRawHandles> entries;
    int lastGiven = kMaxRawHandles - 1;
    platform::Semaphore openClose{kSemaphoreInitial, kSemaphoreMaximum};
};

RawTable& Table() {
    static RawTable table;
    return table;
}

// The system's error number at the end of a platform message ("(error 5)",
// "(errno 2)"), -1 when it names none.
long ErrorNumber(const std::string& text) {
    const size_t at = text.rfind("(err");
    if (at == std::string::npos)
        return -1;
    const size_t digits = text.find_first_of("0123456789-", at);
    if (digits == std::string::npos)
        return -1;
    return std::strtol(text.c_str() + digits, nullptr, 10);
}

// Holds the semaphore for one open or close.
class SemaphoreHold {
  public:
    explicit SemaphoreHold(platform::Semaphore& s) : s_(s) { s_.Wait(); }
    ~SemaphoreHold() { s_.Release(); }
    SemaphoreHold(const SemaphoreHold&) = delete;
    SemaphoreHold& operator=(const SemaphoreHold&) = delete;

  private:
    platform::Semaphore& s_;
};

bool ValidId(int id) {
    return id >= 0 && id < kMaxRawHandles;
}

}  // namespace

int dvrfs_raw_open(const std::string& path) {
    if (path.empty()) {
        Log("the given disk path is null!");
        return -1;
    }
    RawTable& t = Table();
    SemaphoreHold gate(t.openClose);
    std::string why;
    auto device = platform::OpenRawDevice(path, platform::DeviceAccess::ReadOnly, &why);
    if (!device) {
        Log("the given disk path does not exist!");
        return -1;
    }
    uint64_t bytes = 0;
    if (!device->Size(&bytes)) {
        Log("DeviceIoControl failed. Error %ld.", ErrorNumber(device->LastError()));
        return -1;
    }
    std::lock_guard<std::mutex> hold(t.lock);
    for (int step = 1; step <= kMaxRawHandles; step++) {
        const int id = (t.lastGiven + step) % kMaxRawHandles;
        RawEntry& e = t.entries[static_cast<size_t>(id)];
        if (e.device)
            continue;
        e.device = std::move(device);
        e.sizeSectors = bytes / kSectorBytes;
        e.partitionOffset = 0;
        e.gate = std::make_unique<platform::Semaphore>(kSemaphoreInitial, kSemaphoreMaximum);
        t.lastGiven = id;
        return id;
    }
    Log("opened too much fd!");
    return -1;
}

int dvrfs_raw_read(int id, uint64_t sector, uint32_t count, void* buffer) {
    RawTable& t = Table();
    platform::RawDevice* device = nullptr;
    platform::Semaphore* gate = nullptr;
    uint64_t absolute = 0;
    {
        std::lock_guard<std::mutex> hold(t.lock);
        if (!ValidId(id) || !t.entries[static_cast<size_t>(id)].device) {
            Log("read invalid param id!");
            return -1;
        }
        if (!buffer) {
            Log("read invalid param buf!");
            return -1;
        }
        const RawEntry& e = t.entries[static_cast<size_t>(id)];
        absolute = sector + e.partitionOffset;
        if (count == 0 || absolute > e.sizeSectors || count > e.sizeSectors - absolute) {
            Log("read data out of range!");
            return -1;
        }
        device = e.device.get();
        gate = e.gate.get();
    }
    // The entry stays while its owner reads: only its owner closes it, and the
    // callers are serialised by the library's mutex.
    SemaphoreHold hold(*gate);
    if (!device->Seek(absolute * kSectorBytes)) {
        Log("lseek error!, start=%lu", static_cast<unsigned long>(sector));
        return -13;
    }
    const size_t bytes = static_cast<size_t>(count) * kSectorBytes;
    if (!device->Read(buffer, bytes)) {
        Log("read data error(GetLastError:%ld)", ErrorNumber(device->LastError()));
        return -14;
    }
    return static_cast<int>(bytes);
}

int dvrfs_raw_write(int, uint64_t, uint32_t, const void*) {
    Log("Not support write function on win32 platform!");
    return -1;
}

int dvrfs_raw_close(int id) {
    RawTable& t = Table();
    if (!ValidId(id)) {
        Log("close invalid param id!");
        return -1;
    }
    SemaphoreHold gate(t.openClose);
    std::lock_guard<std::mutex> hold(t.lock);
    RawEntry& e = t.entries[static_cast<size_t>(id)];
    if (!e.device) {
        Log("id out of range!");
        return -1;
    }
    e.device.reset();
    e.gate.reset();
    e.sizeSectors = 0;
    e.partitionOffset = 0;
    return 0;
}

void RawSetPartitionOffset(int id, uint32_t offset) {
    RawTable& t = Table();
    std::lock_guard<std::mutex> hold(t.lock);
    if (ValidId(id))
        t.entries[static_cast<size_t>(id)].partitionOffset = offset;
}

uint64_t RawSizeSectors(int id) {
    RawTable& t = Table();
    std::lock_guard<std::mutex> hold(t.lock);
    return ValidId(id) ? t.entries[static_cast<size_t>(id)].sizeSectors : 0;
}

int RawHandlesInUse() {
    RawTable& t = Table();
    std::lock_guard<std::mutex> hold(t.lock);
    int n = 0;
    for (const RawEntry& e : t.entries)
        n += e.device ? 1 : 0;
    return n;
}

}  // namespace vkfs::dvrfs
