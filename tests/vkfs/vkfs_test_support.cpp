#include "tests/vkfs/vkfs_test_support.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>

#include "reader/format.h"
#include "tools/image_spec.h"

namespace vkfs::testing {

RecTime At(int year, int month, int day, int hour, int minute, int second) {
    return RecTime{year, month, day, hour, minute, second};
}

RecTime FromPacked(uint32_t packed) {
    const vekfs::vekfs_time t = vekfs::unpack_time(packed);
    return RecTime{t.year, t.month, t.day, t.hour, t.minute, t.second};
}

bool Same(const RecTime& a, const RecTime& b) {
    return a.year == b.year && a.month == b.month && a.day == b.day && a.hour == b.hour &&
           a.minute == b.minute && a.second == b.second;
}

// ---- SearchLog ---------------------------------------------------------------------

int VEK_CALL SearchLog::Month(FSReaderKind kind, void* record, FSPlayParam* param) {
    SearchCall call;
    call.kind = kind;
    call.hasRecord = record != nullptr;
    if (record)
        call.month = *static_cast<FSMonthResult*>(record);
    call.param = *param;
    static_cast<SearchLog*>(param->user)->Add(call);
    return 1;
}

int VEK_CALL SearchLog::Day(FSReaderKind kind, void* record, FSPlayParam* param) {
    SearchCall call;
    call.kind = kind;
    call.hasRecord = record != nullptr;
    if (record)
        call.record = *static_cast<FSRecordInfo*>(record);
    call.param = *param;
    static_cast<SearchLog*>(param->user)->Add(call);
    return 1;
}

void SearchLog::Add(SearchCall call) {
    std::lock_guard<std::mutex> hold(lock_);
    calls_.push_back(call);
    changed_.notify_all();
}

std::vector<SearchCall> SearchLog::Calls() const {
    std::lock_guard<std::mutex> hold(lock_);
    return calls_;
}

size_t SearchLog::Finals() const {
    std::lock_guard<std::mutex> hold(lock_);
    return static_cast<size_t>(
        std::count_if(calls_.begin(), calls_.end(), [](const SearchCall& c) { return !c.hasRecord; }));
}

bool SearchLog::WaitForFinal(int ms) const {
    std::unique_lock<std::mutex> hold(lock_);
    return changed_.wait_for(hold, std::chrono::milliseconds(ms), [&] {
        return std::any_of(calls_.begin(), calls_.end(), [](const SearchCall& c) { return !c.hasRecord; });
    });
}

// ---- StreamLog ---------------------------------------------------------------------

int VEK_CALL StreamLog::OnData(uintptr_t user, unsigned char* data, int length) {
    auto* log = reinterpret_cast<StreamLog*>(user);
    StreamEvent e;
    size_t count = 0;
    {
        std::lock_guard<std::mutex> hold(log->lock_);
        if (!data || length <= 0) {
            e.kind = StreamEvent::End;
            e.null = data == nullptr;
            log->ends_++;
        } else {
            e.kind = StreamEvent::Data;
            e.bytes.assign(data, data + length);
            count = ++log->data_;
        }
        log->events_.push_back(std::move(e));
        log->changed_.notify_all();
    }
    if (count && log->onData)
        log->onData(count);
    return 1;
}

int VEK_CALL StreamLog::OnTime(uintptr_t user, RecTime start, RecTime end) {
    auto* log = reinterpret_cast<StreamLog*>(user);
    std::lock_guard<std::mutex> hold(log->lock_);
    StreamEvent e;
    e.kind = StreamEvent::Time;
    e.start = start;
    e.end = end;
    log->events_.push_back(e);
    log->times_++;
    log->changed_.notify_all();
    return 1;
}

std::vector<StreamEvent> StreamLog::Events() const {
    std::lock_guard<std::mutex> hold(lock_);
    return events_;
}

size_t StreamLog::DataCalls() const {
    std::lock_guard<std::mutex> hold(lock_);
    return data_;
}

size_t StreamLog::Ends() const {
    std::lock_guard<std::mutex> hold(lock_);
    return ends_;
}

size_t StreamLog::TimeCalls() const {
    std::lock_guard<std::mutex> hold(lock_);
    return times_;
}

bool StreamLog::WaitForEnds(size_t n, int ms) const {
    std::unique_lock<std::mutex> hold(lock_);
    return changed_.wait_for(hold, std::chrono::milliseconds(ms), [&] { return ends_ >= n; });
}

bool StreamLog::WaitForData(size_t n, int ms) const {
    std::unique_lock<std::mutex> hold(lock_);
    return changed_.wait_for(hold, std::chrono::milliseconds(ms), [&] { return data_ >= n; });
}

std::vector<std::vector<uint8_t>> StreamLog::Frames() const {
    std::lock_guard<std::mutex> hold(lock_);
    std::vector<std::vector<uint8_t>> frames;
    for (const StreamEvent& e : events_)
        if (e.kind == StreamEvent::Data)
            frames.push_back(e.bytes);
    return frames;
}

// ---- files ------------------------------------------------------------------------

std::vector<std::string> ReadLines(const std::string& path) {
    std::vector<std::string> lines;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// ---- images -----------------------------------------------------------------------

namespace {

vektools::EventSpec Event(uint32_t start, int seconds, const vektools::StreamParams& stream) {
    vektools::EventSpec e;
    e.start = start;
    e.end = vektools::AddSeconds(start, seconds);
    e.stream = stream;
    return e;
}

vektools::ImageSpec DayRecipe(const char* scenario, int version, uint32_t seed) {
    vektools::ImageSpec recipe;
    recipe.scenario = scenario;
    recipe.disk.version = version;
    recipe.seed = seed + static_cast<uint32_t>(version);
    return recipe;
}

// 10 fps video with a key frame every `gop` frames, 3-9 KB key frames.
vektools::StreamParams Video(uint32_t gop) {
    vektools::StreamParams video;
    video.fps = 10;
    video.gop = gop;
    video.iMin = 3000, video.iMax = 9000;
    video.pMin = 300, video.pMax = 2000;
    return video;
}

uint32_t PlayDayTime(int h, int m, int s) {
    return vektools::Packed(2024, 5, 6, h, m, s);
}

}  // namespace

vektools::ImageSpec PlayDaySpec(int version) {
    vektools::ImageSpec recipe = DayRecipe("vkfs-play-day", version, 7);
    vektools::StreamParams video = Video(10);
    video.audio = true;
    const auto t = PlayDayTime;
    vektools::PartitionSpec part;
    part.fileCount = 4;
    {
        vektools::FileSpec f;
        f.position = 0;
        f.channel = 2;
        f.events.push_back(Event(t(10, 0, 0), 30, video));
        f.events.push_back(Event(t(10, 1, 0), 20, video));
        f.events.push_back(Event(t(10, 5, 0), 40, video));
        part.files.push_back(f);
    }
    {
        vektools::FileSpec f;
        f.position = 1;
        f.channel = 2;
        f.events.push_back(Event(t(11, 0, 0), 20, video));
        part.files.push_back(f);
    }
    {
        vektools::FileSpec f;
        f.position = 2;
        f.channel = 3;
        f.events.push_back(Event(t(12, 0, 0), 30, video));
        f.events.push_back(Event(t(12, 0, 20), 30, video));
        f.events.push_back(Event(t(12, 10, 0), 10, video));
        part.files.push_back(f);
    }
    {
        vektools::FileSpec f;
        f.position = 3;
        f.channel = 5;
        vektools::StreamParams ext = video;
        ext.extUnits = 2;
        f.events.push_back(Event(t(13, 0, 0), 10, ext));
        part.files.push_back(f);
    }
    recipe.partitions.push_back(part);
    return recipe;
}

vektools::ImageSpec BoundaryDaySpec(int version) {
    vektools::ImageSpec recipe = DayRecipe("vkfs-record-boundary", version, 11);
    vektools::FileSpec file;
    file.channel = 6;
    file.events.push_back(Event(PlayDayTime(14, 0, 0), 20, Video(25)));
    file.events.push_back(Event(PlayDayTime(14, 0, 20), 20, Video(10)));
    vektools::PartitionSpec part;
    part.fileCount = 1;
    part.files.push_back(file);
    recipe.partitions.push_back(part);
    return recipe;
}

std::vector<const vektools::EventFact*> EventsOfChannel(const vektools::Manifest& m, int channel) {
    std::vector<const vektools::EventFact*> events;
    for (const auto& e : m.events)
        if (e.channel == channel && e.magic == vekfs::kMagicEvent && !e.skip)
            events.push_back(&e);
    std::stable_sort(
        events.begin(), events.end(),
        [](const vektools::EventFact* a, const vektools::EventFact* b) { return a->start < b->start; });
    return events;
}

std::vector<std::vector<uint8_t>> FramesFrom(const BuiltImage& image,
                                             const vektools::EventFact& event,
                                             uint32_t from) {
    std::vector<std::vector<uint8_t>> frames;
    const auto key = std::find_if(event.kframes.begin(), event.kframes.end(),
                                  [&](const vektools::KframeFact& k) { return k.time >= from; });
    if (key == event.kframes.end())
        return frames;
    const vektools::FileFact* file = image.manifest.FindFile(event.partition, event.filePosition);
    for (const auto& f : event.frames) {
        if (f.offset < key->frameOffset)
            continue;
        frames.push_back(image.disk->Bytes(file->base + f.offset, f.Length()));
    }
    return frames;
}

std::vector<uint8_t> RecordBytes(const BuiltImage& image, const vektools::EventFact& event) {
    const vektools::FileFact* file = image.manifest.FindFile(event.partition, event.filePosition);
    const uint32_t first = event.kframes.front().frameOffset;
    const uint32_t end = event.dataStart + event.dataLength;
    return image.disk->Bytes(file->base + first, end - first);
}

}  // namespace vkfs::testing
