#include "tests/vkfs/fake_reader.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

#include "reader/reader.h"
#include "vkfs/records.h"

namespace vkfs::testing {

class FakeVekfs::Call {
  public:
    explicit Call(FakeVekfs& f) : f_(f) {
        if (f_.inCall_.fetch_add(1) > 0)
            f_.overlaps_++;
        if (const int us = f_.callMicros.load())
            std::this_thread::sleep_for(std::chrono::microseconds(us));
    }
    ~Call() { f_.inCall_.fetch_sub(1); }
    Call(const Call&) = delete;
    Call& operator=(const Call&) = delete;

  private:
    FakeVekfs& f_;
};

void FakeVekfs::AddEvent(uint8_t channel,
                         const RecTime& start,
                         const RecTime& end,
                         std::vector<uint8_t> stream,
                         uint32_t typeBits) {
    std::lock_guard<std::mutex> hold(lock_);
    FakeEvent e;
    e.desc.channel = channel;
    e.desc.start = ToVekfsTime(start);
    e.desc.end = ToVekfsTime(end);
    e.desc.type_bits = typeBits;
    e.desc.data_length = static_cast<uint32_t>(stream.size());
    e.desc.location = static_cast<uint32_t>(events_.size());
    e.stream = std::move(stream);
    events_.push_back(std::move(e));
}

int FakeVekfs::OpenSearchHandles() const {
    std::lock_guard<std::mutex> hold(lock_);
    return static_cast<int>(handles_.size());
}

int FakeVekfs::OpenReaderSlots() const {
    std::lock_guard<std::mutex> hold(lock_);
    return static_cast<int>(slots_.size());
}

std::vector<vekfs::vekfs_time> FakeVekfs::SeekTimes() const {
    std::lock_guard<std::mutex> hold(lock_);
    return seekTimes_;
}

int FakeVekfs::Init(int) {
    Call c(*this);
    return initResult;
}

int FakeVekfs::Exit(int) {
    Call c(*this);
    return 0;
}

int FakeVekfs::AddDisk(int, const char* path) {
    Call c(*this);
    return acceptDisk && path && std::strcmp(path, kPath) == 0 ? 0 : vekfs::VEKFS_ERR_FAIL;
}

int FakeVekfs::RemoveDisk(int) {
    Call c(*this);
    return 0;
}

int FakeVekfs::FindStart(vekfs::search_param* param, void* out) {
    Call c(*this);
    if (param->search_type == vekfs::kSearchMonth) {
        auto* days = static_cast<uint32_t*>(out);
        std::fill(days, days + 31, 0u);
        std::lock_guard<std::mutex> hold(lock_);
        for (const FakeEvent& e : events_) {
            if (e.desc.start.year == param->start.year && e.desc.start.month == param->start.month &&
                e.desc.start.day >= 1 && e.desc.start.day <= 31)
                days[e.desc.start.day - 1] |= 1;
        }
        return vekfs::kNoSearchHandle;
    }
    if (const int rc = findStartResult)
        return rc;
    std::lock_guard<std::mutex> hold(lock_);
    const int handle = nextHandle_++ % vekfs::kMaxSearchHandles;
    handles_.insert(handle);
    lists_.clear();
    for (const FakeEvent& e : events_) {
        vekfs::event_desc d = e.desc;
        auto& list = lists_[d.channel];
        d.handle = static_cast<uint8_t>(handle);
        d.list_channel = d.channel;
        d.list_pos = static_cast<uint32_t>(list.size());
        list.push_back(d);
    }
    return handle;
}

int FakeVekfs::FindStop(int handle) {
    Call c(*this);
    std::lock_guard<std::mutex> hold(lock_);
    handles_.erase(handle);
    return 0;
}

int FakeVekfs::GetEvent(int handle, int listChannel, vekfs::event_list* out) {
    Call c(*this);
    std::lock_guard<std::mutex> hold(lock_);
    if (badEventChannels.count(listChannel)) {
        // What a failing call leaves behind must never be read.
        out->events = reinterpret_cast<vekfs::event_desc*>(static_cast<uintptr_t>(0x10));
        out->count = 1000;
        return vekfs::VEKFS_ERR_CHANNEL;
    }
    if (!handles_.count(handle))
        return vekfs::VEKFS_ERR_NO_SEARCH;
    auto& list = lists_[listChannel];
    out->events = list.data();
    out->count = static_cast<int32_t>(list.size());
    return 0;
}

int FakeVekfs::ReadStart(int channel) {
    Call c(*this);
    if (const int rc = readStartResult)
        return rc;
    std::lock_guard<std::mutex> hold(lock_);
    for (int n = 0; n < vekfs::kMaxReaderSlots; n++) {
        if (!slots_.count(n)) {
            slots_[n].channel = channel;
            return n;
        }
    }
    return vekfs::VEKFS_ERR_NO_READER;
}

int FakeVekfs::TimeSeek(int slot, vekfs::vekfs_time* time, int, int, vekfs::event_desc* event) {
    Call c(*this);
    seeks_++;
    std::lock_guard<std::mutex> hold(lock_);
    seekTimes_.push_back(*time);
    if (const int rc = seekResult)
        return rc;
    auto it = slots_.find(slot);
    if (it == slots_.end() || event->location >= events_.size())
        return vekfs::VEKFS_ERR_BAD_HANDLE;
    it->second.event = static_cast<int>(event->location);
    it->second.pos = 0;
    return 0;
}

int FakeVekfs::Read(int slot, void* buffer, int length, int* firstOffset) {
    Call c(*this);
    if (const int rc = readResult)
        return rc;
    std::lock_guard<std::mutex> hold(lock_);
    *firstOffset = 0;
    auto it = slots_.find(slot);
    if (it == slots_.end() || it->second.event < 0)
        return 0;
    const std::vector<uint8_t>& stream = events_[static_cast<size_t>(it->second.event)].stream;
    const size_t n = std::min(static_cast<size_t>(length), stream.size() - it->second.pos);
    std::memcpy(buffer, stream.data() + it->second.pos, n);
    it->second.pos += n;
    return static_cast<int>(n);
}

int FakeVekfs::ReadStop(int slot) {
    Call c(*this);
    std::lock_guard<std::mutex> hold(lock_);
    slots_.erase(slot);
    return 0;
}

}  // namespace vkfs::testing
