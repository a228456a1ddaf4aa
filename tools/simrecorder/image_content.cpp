// tools/simrecorder/image_content.cpp
#include "tools/simrecorder/image_content.h"

#include <algorithm>
#include <condition_variable>

namespace simrecorder {

namespace {

constexpr size_t kKeptRecords = 4;
constexpr int kSearchTimeoutMs = 120000;

veknet::WireTime ToWire(const RecTime& t) {
    veknet::WireTime w;
    w.year = static_cast<uint16_t>(t.year + 2000);
    w.month = static_cast<uint8_t>(t.month);
    w.day = static_cast<uint8_t>(t.day);
    w.hour = static_cast<uint8_t>(t.hour);
    w.minute = static_cast<uint8_t>(t.minute);
    w.second = static_cast<uint8_t>(t.second);
    return w;
}

// Collects what a day search reports, until its final call.
struct DaySearch {
    std::mutex lock;
    std::condition_variable done;
    bool finished = false;
    std::vector<FSRecordInfo> records;
    std::vector<int> channels;

    static int VEK_CALL Callback(FSReaderKind, void* record, FSPlayParam* param) {
        auto* self = static_cast<DaySearch*>(param->user);
        std::lock_guard<std::mutex> hold(self->lock);
        if (record) {
            self->records.push_back(*static_cast<const FSRecordInfo*>(record));
            self->channels.push_back(param->channel);
        } else {
            self->finished = true;
            self->done.notify_all();
        }
        return 1;
    }
};

// Collects an export's blocks until the call that marks its end.
struct ExportRun {
    std::mutex lock;
    std::condition_variable done;
    bool finished = false;
    std::vector<uint8_t> bytes;

    static int VEK_CALL Callback(uintptr_t user, unsigned char* data, int length) {
        auto* self = reinterpret_cast<ExportRun*>(user);
        std::lock_guard<std::mutex> hold(self->lock);
        if (!data || length <= 0) {
            self->finished = true;
            self->done.notify_all();
        } else if (!self->finished) {
            self->bytes.insert(self->bytes.end(), data, data + length);
        }
        return 1;
    }
};

}  // namespace

std::unique_ptr<ImageContent> ImageContent::Open(const std::string& path, std::string* error) {
    const FSDiskHandle disk = FSAddDisk(nullptr, 128, 0, path.c_str(), nullptr);
    if (disk == 0) {
        *error = "VKFS cannot read " + path;
        return nullptr;
    }
    std::unique_ptr<ImageContent> content(new ImageContent(disk));
    if (!content->List(error))
        return nullptr;
    return content;
}

ImageContent::~ImageContent() {
    FSRemoveDisk(disk_);
}

bool ImageContent::List(std::string* error) {
    DaySearch search;
    const int channels[4] = {0, 1, 2, 3};
    // Every time the recorder's packed clock can hold (years 2000 to 2063).
    FSSearchByDay(disk_, RecTime{0, 1, 1, 0, 0, 0}, RecTime{63, 12, 31, 23, 59, 59}, nullptr,
                  &DaySearch::Callback, &search, 1, channels);
    {
        std::unique_lock<std::mutex> hold(search.lock);
        if (!search.done.wait_for(hold, std::chrono::milliseconds(kSearchTimeoutMs),
                                  [&] { return search.finished; })) {
            *error = "the record search did not finish";
            return false;
        }
    }
    FSStopDaySearch(disk_);  // its records stay in the export tables
    for (size_t i = 0; i < search.records.size(); i++) {
        const FSRecordInfo& info = search.records[i];
        const int channel = search.channels[i];
        if (channel < 0 || channel >= static_cast<int>(kImageChannels))
            continue;
        RecordEntry r;
        r.channel = static_cast<uint32_t>(channel);
        r.start = ToWire(info.start);
        r.end = ToWire(info.end);
        r.type = info.typeBit;
        records_[channel].push_back(r);
        starts_[channel].push_back(info.start);
        lengths_[channel].push_back(static_cast<uint32_t>(info.dataLength));
    }
    return true;
}

std::vector<RecordEntry> ImageContent::Records(uint32_t channel) {
    std::lock_guard<std::mutex> hold(lock_);
    return channel < kImageChannels ? records_[channel] : std::vector<RecordEntry>();
}

uint32_t ImageContent::Length(uint32_t channel, size_t index) {
    std::lock_guard<std::mutex> hold(lock_);
    return channel < kImageChannels && index < lengths_[channel].size() ? lengths_[channel][index] : 0;
}

std::shared_ptr<const RecordFrames> ImageContent::Frames(uint32_t channel, size_t index) {
    std::lock_guard<std::mutex> hold(lock_);
    if (channel >= kImageChannels || index >= records_[channel].size())
        return nullptr;
    for (const Kept& k : kept_)
        if (k.channel == channel && k.index == index)
            return k.frames;

    ExportRun run;
    const RecTime start = starts_[channel][index];
    // The export slot of a channel is its place in the search's channel list.
    FSExport(disk_, start, start, static_cast<int>(channel), reinterpret_cast<uintptr_t>(&run),
             &ExportRun::Callback);
    bool finished = false;
    {
        std::unique_lock<std::mutex> hold2(run.lock);
        finished = run.done.wait_for(hold2, std::chrono::milliseconds(kSearchTimeoutMs),
                                     [&] { return run.finished; });
    }
    FSStopExport(disk_, static_cast<int>(channel));  // joins the export thread: `run` is not used after
    if (!finished)
        return nullptr;
    auto frames = std::make_shared<const RecordFrames>(CutFrames(run.bytes.data(), run.bytes.size()));
    kept_.push_back({channel, index, frames});
    if (kept_.size() > kKeptRecords)
        kept_.pop_front();
    return frames;
}

}  // namespace simrecorder
