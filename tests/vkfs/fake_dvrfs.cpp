#include "tests/vkfs/fake_dvrfs.h"

#include <algorithm>
#include <cstring>

#include "vkfs/records.h"

namespace vkfs::testing {

namespace {

constexpr int kNotOpen = -5;
constexpr int kNoFind = -6;
constexpr int kReadFailed = -14;

}  // namespace

void FakeDvrfs::AddRecord(int channel,
                          const RecTime& start,
                          const RecTime& end,
                          std::vector<uint8_t> stream) {
    std::lock_guard<std::mutex> hold(lock_);
    records_.push_back(Record{channel, start, end, std::move(stream)});
}

int FakeDvrfs::OpenHandles() const {
    std::lock_guard<std::mutex> hold(lock_);
    return static_cast<int>(handles_.size());
}

std::vector<RecTime> FakeDvrfs::SeekTimes() const {
    std::lock_guard<std::mutex> hold(lock_);
    return seeks_;
}

dvrfs_find_result FakeDvrfs::Result(size_t index) const {
    const Record& r = records_[index];
    dvrfs_find_result f;
    ToSixInts(r.start, f.start);
    ToSixInts(r.end, f.end);
    f.lengthLow = static_cast<uint32_t>(r.stream.size());
    f.recordType = 0x40000001u;
    std::strcpy(f.diskPath, kPath);
    f.channel = r.channel;
    f.lastSector = static_cast<uint32_t>(index);  // finds the record again on a seek
    return f;
}

int FakeDvrfs::Init(int channels, int, int) {
    return channels > 16 ? -1 : 0;
}

int FakeDvrfs::Exit(int) {
    return 0;
}

int FakeDvrfs::AddDisk(const char* path) {
    return path && std::strcmp(path, kPath) == 0 ? 0 : -1;
}

int FakeDvrfs::RemoveDisk(const char*, int, int) {
    return 0;
}

int FakeDvrfs::Open(int channel, int) {
    std::lock_guard<std::mutex> hold(lock_);
    if (failOpenChannels.count(channel))
        return -1;
    const int h = next_++;
    handles_[h].channel = channel;
    return h;
}

int FakeDvrfs::Close(int handle, int) {
    std::lock_guard<std::mutex> hold(lock_);
    return handles_.erase(handle) ? 0 : kNotOpen;
}

int FakeDvrfs::FindStart(int handle, dvrfs_find_query* query, void* out, int) {
    std::lock_guard<std::mutex> hold(lock_);
    auto it = handles_.find(handle);
    if (it == handles_.end())
        return kNotOpen;
    Handle& h = it->second;
    if (h.finding)
        return kNoFind;
    const RecTime from = FromSixInts(query->start), to = FromSixInts(query->end);
    if (query->kind == kDvrfsFindMonth) {
        dvrfs_month_result month;
        bool any = false;
        for (const Record& r : records_) {
            if (r.channel != h.channel || r.start.year != from.year || r.start.month != from.month)
                continue;
            month.month[0] = r.start.year;
            month.month[1] = r.start.month;
            month.days[r.start.day - 1] |= 1;
            any = true;
        }
        if (!any)
            return kDvrfsNoMore;
        h.finding = true;
        std::memcpy(out, &month, sizeof month);
        return 0;
    }
    if (const int rc = findResult)
        return rc;
    h.found.clear();
    for (size_t i = 0; i < records_.size(); i++) {
        const Record& r = records_[i];
        if (r.channel == h.channel && CompareRecTime(r.end, from) >= 0 && CompareRecTime(r.start, to) <= 0)
            h.found.push_back(i);
    }
    std::sort(h.found.begin(), h.found.end(),
              [&](size_t a, size_t b) { return CompareRecTime(records_[a].start, records_[b].start) < 0; });
    if (h.found.empty())
        return kDvrfsNoMore;
    h.finding = true;
    h.cursor = 1;
    const dvrfs_find_result first = Result(h.found[0]);
    std::memcpy(out, &first, sizeof first);
    return 0;
}

int FakeDvrfs::FindNext(int handle, void* out) {
    std::lock_guard<std::mutex> hold(lock_);
    auto it = handles_.find(handle);
    if (it == handles_.end())
        return kNotOpen;
    Handle& h = it->second;
    if (!h.finding)
        return kNoFind;
    if (nextFailures > 0) {
        nextFailures--;
        return kReadFailed;
    }
    if (h.cursor >= h.found.size())
        return kDvrfsNoMore;
    const dvrfs_find_result next = Result(h.found[h.cursor++]);
    std::memcpy(out, &next, sizeof next);
    return 0;
}

int FakeDvrfs::FindStop(int handle) {
    std::lock_guard<std::mutex> hold(lock_);
    auto it = handles_.find(handle);
    if (it == handles_.end())
        return kNotOpen;
    it->second.finding = false;
    it->second.found.clear();
    return 0;
}

int FakeDvrfs::TimeSeek(int handle, const int time[6], int, int, const dvrfs_find_result* record) {
    std::lock_guard<std::mutex> hold(lock_);
    auto it = handles_.find(handle);
    if (it == handles_.end())
        return kNotOpen;
    seeks_.push_back(FromSixInts(time));
    if (record->lastSector >= records_.size())
        return -9;
    it->second.reading = static_cast<int>(record->lastSector);
    it->second.pos = 0;
    return 0;
}

int FakeDvrfs::Read(int handle, void* buffer, int length, int*) {
    std::lock_guard<std::mutex> hold(lock_);
    auto it = handles_.find(handle);
    if (it == handles_.end())
        return kNotOpen;
    if (const int rc = readResult)
        return rc;
    if (readNothing)
        return 0;
    Handle& h = it->second;
    if (h.reading < 0)
        return kNoFind;
    const std::vector<uint8_t>& stream = records_[static_cast<size_t>(h.reading)].stream;
    if (h.pos >= stream.size())
        return kDvrfsEndOfRecord;
    const size_t n = std::min(static_cast<size_t>(length), stream.size() - h.pos);
    std::memcpy(buffer, stream.data() + h.pos, n);
    h.pos += n;
    return static_cast<int>(n);
}

}  // namespace vkfs::testing
