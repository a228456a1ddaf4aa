// platform/mem_device.cpp
//
// The in-memory disk, its device handle and the registry behind "mem:NAME".
//
// Contents live in 4 KB pages allocated on first write, keyed by page number, so
// a multi-gigabyte recorder disk costs only what an image builder wrote to it.
// Writing zeros to a page that does not exist yet allocates nothing: it already
// reads as zeros. One mutex guards pages, fault rules and the log; handles keep
// their own position and need no lock of their own (a handle, like a Win32
// file handle, is not meant to be shared between threads without the caller's
// own serialisation).
#include "platform/mem_device.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <map>
#include <mutex>
#include <unordered_map>
#include <utility>

#include "platform/device_backends.h"
#include "platform/raw_device.h"

namespace platform {

namespace {

constexpr size_t kPageSize = 4096;
using Page = std::array<uint8_t, kPageSize>;

bool AllZero(const uint8_t* p, size_t n) {
    return std::all_of(p, p + n, [](uint8_t b) { return b == 0; });
}

// Whether an operation at [offset, offset + length) falls under a rule's range.
// Seeks and empty transfers test the single offset.
bool Touches(const FaultRule& rule, IoOp op, uint64_t offset, size_t length) {
    if (op == IoOp::Open)
        return true;
    if (op == IoOp::Seek || length == 0)
        return offset >= rule.begin && offset < rule.end;
    if (offset >= rule.begin)
        return offset < rule.end;
    return rule.begin - offset < length;
}

}  // namespace

struct MemDisk::State {
    explicit State(uint64_t diskSize) : size(diskSize) {}

    const uint64_t size;
    mutable std::mutex mutex;
    std::unordered_map<uint64_t, std::unique_ptr<Page>> pages;  // by page number
    std::vector<FaultRule> faults;
    std::vector<IoRecord> log;
};

MemDisk::MemDisk(uint64_t size) : state_(std::make_unique<State>(size)) {}
MemDisk::~MemDisk() = default;

uint64_t MemDisk::Size() const {
    return state_->size;
}

void MemDisk::Poke(uint64_t offset, const void* data, size_t length) {
    if (length == 0 || offset >= state_->size)
        return;
    length = static_cast<size_t>(std::min<uint64_t>(length, state_->size - offset));
    const auto* src = static_cast<const uint8_t*>(data);
    std::lock_guard<std::mutex> lock(state_->mutex);
    while (length > 0) {
        const uint64_t pageNumber = offset / kPageSize;
        const size_t inPage = static_cast<size_t>(offset % kPageSize);
        const size_t chunk = std::min(length, kPageSize - inPage);
        auto it = state_->pages.find(pageNumber);
        if (it == state_->pages.end() && !AllZero(src, chunk))
            it = state_->pages.emplace(pageNumber, std::make_unique<Page>()).first;
        if (it != state_->pages.end())
            std::memcpy(it->second->data() + inPage, src, chunk);
        src += chunk;
        offset += chunk;
        length -= chunk;
    }
}

void MemDisk::Peek(uint64_t offset, void* out, size_t length) const {
    if (length == 0)
        return;
    auto* dst = static_cast<uint8_t*>(out);
    const size_t inside =
        offset >= state_->size ? 0 : static_cast<size_t>(std::min<uint64_t>(length, state_->size - offset));
    std::memset(dst + inside, 0, length - inside);
    length = inside;
    std::lock_guard<std::mutex> lock(state_->mutex);
    while (length > 0) {
        const uint64_t pageNumber = offset / kPageSize;
        const size_t inPage = static_cast<size_t>(offset % kPageSize);
        const size_t chunk = std::min(length, kPageSize - inPage);
        const auto it = state_->pages.find(pageNumber);
        if (it == state_->pages.end())
            std::memset(dst, 0, chunk);
        else
            std::memcpy(dst, it->second->data() + inPage, chunk);
        dst += chunk;
        offset += chunk;
        length -= chunk;
    }
}

std::vector<uint8_t> MemDisk::Bytes(uint64_t offset, size_t length) const {
    std::vector<uint8_t> bytes(length);
    Peek(offset, bytes.data(), length);
    return bytes;
}

std::shared_ptr<MemDisk> MemDisk::Clone() const {
    auto copy = std::make_shared<MemDisk>(state_->size);
    std::lock_guard<std::mutex> lock(state_->mutex);
    for (const auto& [number, page] : state_->pages)
        copy->state_->pages.emplace(number, std::make_unique<Page>(*page));
    return copy;
}

void MemDisk::AddFault(const FaultRule& rule) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->faults.push_back(rule);
}

void MemDisk::ClearFaults() {
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->faults.clear();
}

std::vector<IoRecord> MemDisk::Log() const {
    std::lock_guard<std::mutex> lock(state_->mutex);
    return state_->log;
}

void MemDisk::ClearLog() {
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->log.clear();
}

size_t MemDisk::PagesInUse() const {
    std::lock_guard<std::mutex> lock(state_->mutex);
    return state_->pages.size();
}

uint64_t MemDisk::ContentHash() const {
    std::lock_guard<std::mutex> lock(state_->mutex);
    std::vector<uint64_t> numbers;
    numbers.reserve(state_->pages.size());
    for (const auto& [number, page] : state_->pages) {
        const bool zero = std::all_of(page->begin(), page->end(), [](uint8_t b) { return b == 0; });
        if (!zero)
            numbers.push_back(number);
    }
    std::sort(numbers.begin(), numbers.end());
    uint64_t h = 1469598103934665603ull;  // FNV-1a over (page number, page bytes)
    auto mix = [&h](uint8_t b) { h = (h ^ b) * 1099511628211ull; };
    for (uint64_t number : numbers) {
        for (int i = 0; i < 8; i++)
            mix(static_cast<uint8_t>(number >> (8 * i)));
        for (uint8_t b : *state_->pages.at(number))
            mix(b);
    }
    return h;
}

bool MemDisk::CheckFault(IoOp op, uint64_t offset, size_t length, size_t* transfer) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    auto& faults = state_->faults;
    for (auto it = faults.begin(); it != faults.end(); ++it) {
        if (it->op != op || it->count == 0 || !Touches(*it, op, offset, length))
            continue;
        const bool partial = it->shortTransfer && (op == IoOp::Read || op == IoOp::Write) && transfer;
        if (it->count > 0 && --it->count == 0)
            faults.erase(it);
        if (!partial)
            return false;
        // Half the sectors get through, as when a drive gives up part way.
        *transfer = length / 2 / kSectorSize * kSectorSize;
        return true;
    }
    return true;
}

void MemDisk::Record(IoOp op, uint64_t offset, size_t length, bool ok) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->log.push_back(IoRecord{op, offset, length, ok});
}

// ---- device handle ------------------------------------------------------------

namespace {

class MemDevice final : public RawDevice {
  public:
    MemDevice(std::shared_ptr<MemDisk> disk, std::string path, DeviceAccess access)
        : disk_(std::move(disk)), path_(std::move(path)), access_(access) {}

    bool Seek(uint64_t offset) override {
        const std::string problem = detail::CheckSeek(path_, offset);
        const bool ok = problem.empty() && disk_->CheckFault(IoOp::Seek, offset, 0, nullptr);
        disk_->Record(IoOp::Seek, offset, 0, ok);
        if (!problem.empty())
            return Fail(problem);
        if (!ok) {
            return Fail("seek to offset " + std::to_string(offset) + " on " + path_ +
                        " failed: injected fault");
        }
        position_ = offset;
        return true;
    }

    bool Read(void* buffer, size_t length) override { return Transfer(IoOp::Read, buffer, nullptr, length); }

    bool Write(const void* data, size_t length) override {
        return Transfer(IoOp::Write, nullptr, data, length);
    }

    uint64_t Position() const override { return position_; }

    bool Size(uint64_t* size) override {
        *size = disk_->Size();
        return true;
    }

  private:
    // Reads into `in` or writes from `out`, whichever `op` says.
    bool Transfer(IoOp op, void* in, const void* out, size_t length) {
        const char* name = op == IoOp::Read ? "read" : "write";
        const void* buffer = op == IoOp::Read ? in : out;
        const uint64_t offset = position_;
        const uint64_t size = disk_->Size();
        std::string problem = detail::CheckTransfer(name, path_, access_, offset, buffer, length);
        if (problem.empty() && (offset > size || length > size - offset)) {
            problem = detail::DescribeTransfer(name, length, offset, path_) +
                      " refused: it runs past the end of the disk (" + std::to_string(size) + " bytes)";
        }
        if (!problem.empty()) {
            disk_->Record(op, offset, length, false);
            return Fail(problem);
        }
        size_t transfer = length;
        if (!disk_->CheckFault(op, offset, length, &transfer)) {
            disk_->Record(op, offset, length, false);
            return Fail(detail::DescribeTransfer(name, length, offset, path_) +
                        " failed: injected I/O error");
        }
        if (op == IoOp::Read)
            disk_->Peek(offset, in, transfer);
        else
            disk_->Poke(offset, out, transfer);
        position_ += transfer;
        const bool complete = transfer == length;
        disk_->Record(op, offset, length, complete);
        if (!complete) {
            return Fail(detail::DescribeTransfer(name, length, offset, path_) + " failed: short transfer, " +
                        std::to_string(transfer) + " bytes moved");
        }
        return true;
    }

    std::shared_ptr<MemDisk> disk_;
    std::string path_;
    DeviceAccess access_;
    uint64_t position_ = 0;
};

struct Registry {
    std::mutex mutex;
    std::map<std::string, std::shared_ptr<MemDisk>> disks;
};

// Never destroyed, so a registration that ends during static destruction
// (a ScopedMemDisk at namespace scope) still finds it.
Registry& TheRegistry() {
    static Registry* registry = new Registry;
    return *registry;
}

}  // namespace

std::unique_ptr<RawDevice> detail::OpenMemDevice(std::shared_ptr<MemDisk> disk,
                                                 const std::string& path,
                                                 DeviceAccess access) {
    return std::make_unique<MemDevice>(std::move(disk), path, access);
}

void RegisterMemDisk(const std::string& name, std::shared_ptr<MemDisk> disk) {
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> lock(registry.mutex);
    registry.disks[name] = std::move(disk);
}

void UnregisterMemDisk(const std::string& name) {
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> lock(registry.mutex);
    registry.disks.erase(name);
}

std::shared_ptr<MemDisk> FindMemDisk(const std::string& name) {
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> lock(registry.mutex);
    const auto it = registry.disks.find(name);
    return it == registry.disks.end() ? nullptr : it->second;
}

}  // namespace platform
