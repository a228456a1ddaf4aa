// tools/mkdvrfs/dvrfs_image.cpp
#include "tools/mkdvrfs/dvrfs_image.h"

#include <algorithm>
#include <array>
#include <map>
#include <set>
#include <tuple>

#include "reader/format.h"
#include "vkfs/dvrfs/layout.h"

namespace vektools {

namespace {

namespace df = vkfs::dvrfs;

using Sector = std::array<uint8_t, df::kSectorBytes>;

constexpr uint32_t kStatSector = 8;
constexpr uint32_t kInfoSector = 9;
constexpr uint32_t kIndexBase = 16;
constexpr uint32_t kDataBaseAlign = 2048;  // 1 MiB
constexpr uint32_t kFormatStamp = 0x20150710u;
constexpr uint64_t kMicros = 1000000;

struct DayKey {
    int channel, year, month, day;
    bool operator<(const DayKey& o) const {
        return std::tie(channel, year, month, day) < std::tie(o.channel, o.year, o.month, o.day);
    }
};

// The image under construction: metadata sectors by number (partition
// relative), the data written straight to the sink.
class Builder {
  public:
    Builder(const DvrfsRecipe& recipe, ImageSink& sink, DvrfsImage* facts, std::string* error)
        : r_(recipe), sink_(sink), facts_(*facts), error_(*error) {}

    bool Build();

  private:
    bool Fail(const std::string& why) {
        error_ = why;
        return false;
    }
    Sector& At(uint64_t sector) { return meta_[sector]; }
    bool CheckRecipe();
    void PlanAreas();
    bool TakeBlock(int channel);
    bool LayData(size_t i);
    void WriteIndexes();
    void WriteFormat();
    void ApplyDamage();
    bool Flush();
    bool WriteData(uint64_t sector, const uint8_t* data, size_t sectors);

    const DvrfsRecipe& r_;
    ImageSink& sink_;
    DvrfsImage& facts_;
    std::string& error_;

    std::map<uint64_t, Sector> meta_;
    std::map<DayKey, std::vector<size_t>> days_;  // recordings of each channel's day, by start
    uint32_t bitmapBase_ = 0, linkBase_ = 0, secondBase_ = 0, dataBase_ = 0;
    uint32_t maxBlock_ = 0;
    uint64_t deviceSectors_ = 0;
    size_t nextPlanned_ = 0;
    std::set<uint32_t> used_;
    std::map<int, uint32_t> current_;  // channel -> block in hand
    std::map<int, uint64_t> fill_;     // channel -> sectors used in it
    std::map<uint32_t, df::BitmapEntry> bitmap_;
    std::vector<std::vector<std::pair<uint32_t, uint32_t>>>
        secondIndex_;  // per recording: {data sector, word} per second
};

bool Builder::CheckRecipe() {
    if (r_.entriesPerLink < 1 || r_.entriesPerLink > df::kMaxDayEntries)
        return Fail("entries per link must be 1..11");
    if (r_.indexChannels > 256)
        return Fail("at most 256 channels have a month index");
    std::map<int, std::set<int>> months;
    for (size_t i = 0; i < r_.recordings.size(); i++) {
        const DvrfsRecording& rec = r_.recordings[i];
        if (rec.channel < 0 || static_cast<uint32_t>(rec.channel) >= r_.indexChannels)
            return Fail("recording " + std::to_string(i) + ": its channel has no month index");
        if (rec.year < 0 || rec.year > 99 || rec.month < 1 || rec.month > 12 || rec.day < 1 || rec.day > 31)
            return Fail("recording " + std::to_string(i) + ": bad date");
        if (rec.seconds == 0 || rec.start + rec.seconds >= df::kSecondsPerDay)
            return Fail("recording " + std::to_string(i) + ": it must last 1 s or more and end on its day");
        if (rec.blockOffset != kDvrfsAppend && rec.blockOffset >= df::kBlockSectors)
            return Fail("recording " + std::to_string(i) + ": block offset beyond the block");
        months[rec.channel].insert(rec.year * 12 + rec.month);
        days_[DayKey{rec.channel, rec.year, rec.month, rec.day}].push_back(i);
    }
    for (const auto& [channel, set] : months)
        if (set.size() > df::kMaxMonthEntries)
            return Fail("channel " + std::to_string(channel) + " records in more than 13 months");
    for (auto& [key, list] : days_) {
        std::sort(list.begin(), list.end(),
                  [&](size_t a, size_t b) { return r_.recordings[a].start < r_.recordings[b].start; });
        for (size_t k = 1; k < list.size(); k++) {
            const DvrfsRecording& a = r_.recordings[list[k - 1]];
            if (a.start + a.seconds >= r_.recordings[list[k]].start)
                return Fail("recordings " + std::to_string(list[k - 1]) + " and " + std::to_string(list[k]) +
                            " of one channel overlap");
        }
    }
    return true;
}

void Builder::PlanAreas() {
    uint32_t blocks = static_cast<uint32_t>(r_.recordings.size()) + 1;
    maxBlock_ = blocks;
    for (uint32_t b : r_.blockPlan)
        maxBlock_ = std::max(maxBlock_, b);
    if (r_.blockPlan.empty())
        maxBlock_ = std::max(maxBlock_, blocks);
    bitmapBase_ = kIndexBase + r_.indexChannels * df::kChannelIndexSectors + 16;
    linkBase_ = bitmapBase_ + maxBlock_ / df::kBitmapEntriesPerSector + df::kBitmapSkipSectors + 8;
    uint32_t links = 0;
    for (const auto& [key, list] : days_)
        links += static_cast<uint32_t>((list.size() + r_.entriesPerLink - 1) / r_.entriesPerLink) + 1;
    secondBase_ = linkBase_ + links + 8;
    const uint32_t end = secondBase_ + static_cast<uint32_t>(days_.size()) * df::kSecondIndexSectors;
    dataBase_ = r_.dataBase ? r_.dataBase : (end + kDataBaseAlign) / kDataBaseAlign * kDataBaseAlign;
}

bool Builder::TakeBlock(int channel) {
    uint32_t block = 0;
    if (!r_.blockPlan.empty()) {
        if (nextPlanned_ >= r_.blockPlan.size())
            return Fail("the block plan ran out");
        block = r_.blockPlan[nextPlanned_++];
    } else {
        block = static_cast<uint32_t>(nextPlanned_++);
    }
    if (!used_.insert(block).second)
        return Fail("block " + std::to_string(block) + " planned twice");
    maxBlock_ = std::max(maxBlock_, block);
    bitmap_[block] = df::BitmapEntry{df::kNoBlock, static_cast<uint8_t>(channel)};
    auto held = current_.find(channel);
    if (held != current_.end())
        bitmap_[held->second].next = block;
    current_[channel] = block;
    fill_[channel] = 0;
    return true;
}

bool Builder::WriteData(uint64_t sector, const uint8_t* data, size_t sectors) {
    const uint64_t at = (uint64_t{r_.partitionOffset} + sector) * df::kSectorBytes;
    return sink_.WriteAt(at, data, sectors * df::kSectorBytes, &error_);
}

// Frames into sectors (key frames on sector starts), sectors into the
// channel's blocks.
bool Builder::LayData(size_t i) {
    const DvrfsRecording& rec = r_.recordings[i];
    DvrfsRecordingFacts& f = facts_.recordings[i];
    StreamSpec recipe = r_.stream;
    recipe.seed = rec.seed;
    recipe.channel = static_cast<uint8_t>(rec.channel);
    // The frames carry the recording's own times (UTC, as the recorder stamps them).
    const int64_t startSeconds = vekfs::civil_to_unix_seconds(2000 + rec.year, rec.month, rec.day, rec.start);
    recipe.startUs = static_cast<uint64_t>(startSeconds) * kMicros;
    const uint32_t fps = recipe.fps ? recipe.fps : 25;
    recipe.videoFrames = rec.seconds * fps;
    if (!recipe.keysPerSecond && recipe.gop == 0)
        recipe.gop = fps;
    const Stream stream = BuildStream(recipe);

    std::vector<uint8_t> data;
    std::vector<std::pair<uint64_t, uint64_t>> keys;  // {byte offset, microseconds into the recording}
    for (const FrameRecord& fr : stream.frames) {
        if (fr.type == 'I') {
            data.resize((data.size() + df::kSectorBytes - 1) / df::kSectorBytes * df::kSectorBytes);
            keys.emplace_back(data.size(), fr.timeUs - recipe.startUs);
        }
        const auto from = static_cast<long>(fr.offset - fr.junkBefore);
        const auto to = static_cast<long>(fr.offset + fr.space);
        data.insert(data.end(), stream.bytes.begin() + from, stream.bytes.begin() + to);
        f.frames.emplace_back(stream.bytes.begin() + static_cast<long>(fr.offset),
                              stream.bytes.begin() + static_cast<long>(fr.offset + fr.Length()));
    }
    if (keys.empty())
        return Fail("recording " + std::to_string(i) + " has no key frame");
    data.resize((data.size() + df::kSectorBytes - 1) / df::kSectorBytes * df::kSectorBytes);
    const uint64_t count = data.size() / df::kSectorBytes;

    if (rec.blockOffset != kDvrfsAppend) {
        if (!TakeBlock(rec.channel))
            return false;
        fill_[rec.channel] = rec.blockOffset;
    } else if (!current_.count(rec.channel) || fill_[rec.channel] >= df::kBlockSectors) {
        if (!TakeBlock(rec.channel))
            return false;
    }
    std::vector<uint32_t> where(count);  // partition-relative sector of each data sector
    for (uint64_t s = 0; s < count;) {
        if (fill_[rec.channel] >= df::kBlockSectors && !TakeBlock(rec.channel))
            return false;
        const uint32_t block = current_[rec.channel];
        if (f.blocks.empty() || f.blocks.back() != block)
            f.blocks.push_back(block);
        const uint64_t first = df::BlockStart(dataBase_, block) + fill_[rec.channel];
        const uint64_t run = std::min<uint64_t>(count - s, df::kBlockSectors - fill_[rec.channel]);
        if (first + run > 0xFFFFFFFFu)
            return Fail("data beyond the 32-bit sector numbers");
        if (!WriteData(first, data.data() + s * df::kSectorBytes, static_cast<size_t>(run)))
            return false;
        for (uint64_t k = 0; k < run; k++)
            where[s + k] = static_cast<uint32_t>(first + k);
        s += run;
        fill_[rec.channel] += run;
    }

    f.channel = rec.channel;
    const int32_t date[3] = {rec.year, rec.month, rec.day};
    const uint32_t endSecond = rec.start + rec.seconds;
    const uint32_t times[2] = {rec.start, endSecond};
    for (int k = 0; k < 3; k++)
        f.start[k] = f.end[k] = date[k];
    for (int t = 0; t < 2; t++) {
        int32_t* out = t == 0 ? f.start : f.end;
        out[3] = static_cast<int32_t>(times[t] / 3600);
        out[4] = static_cast<int32_t>(times[t] / 60 % 60);
        out[5] = static_cast<int32_t>(times[t] % 60);
    }
    if (where.empty())
        return Fail("recording " + std::to_string(i) + " holds no data");
    f.firstSector = where.front();
    f.lastSector = where.back();
    f.sectors = static_cast<uint32_t>(count);
    f.bytes = std::move(data);

    // Per second: the latest key frame at or before it.
    auto& seconds = secondIndex_[i];
    size_t key = 0;
    for (uint32_t s = 0; s <= rec.seconds; s++) {
        while (key + 1 < keys.size() && keys[key + 1].second <= uint64_t{s} * kMicros)
            key++;
        const uint32_t sector = where[keys[key].first / df::kSectorBytes];
        seconds.emplace_back(sector, rec.start + static_cast<uint32_t>(keys[key].second / kMicros));
    }
    return true;
}

void Builder::WriteIndexes() {
    uint32_t nextLink = linkBase_, nextSecond = secondBase_;
    std::map<std::pair<int, int>, df::MonthEntry> months;  // {channel, year*12+month}
    for (const auto& [key, list] : days_) {
        const uint32_t secondIndex = nextSecond;
        nextSecond += df::kSecondIndexSectors;
        std::vector<uint32_t> links;
        for (size_t k = 0; k < list.size(); k += r_.entriesPerLink)
            links.push_back(nextLink++);
        uint32_t flags = 0;
        for (size_t l = 0; l < links.size(); l++) {
            Sector& s = At(links[l]);
            df::DayChannelHeader h;
            h.secondIndex = l == 0 ? secondIndex : 0;
            h.prev = l == 0 ? 0 : links[l - 1];
            h.next = l + 1 < links.size() ? links[l + 1] : 0;
            const size_t from = l * r_.entriesPerLink, to = std::min(list.size(), from + r_.entriesPerLink);
            h.count = static_cast<uint16_t>(to - from);
            df::EncodeDayChannel(h, s.data());
            for (size_t k = from; k < to; k++) {
                const size_t i = list[k];
                const DvrfsRecording& rec = r_.recordings[i];
                DvrfsRecordingFacts& f = facts_.recordings[i];
                df::RecEntry e;
                e.start = df::PackTime(f.start[3], f.start[4], f.start[5]);
                e.end = df::PackTime(f.end[3], f.end[4], f.end[5]);
                e.sectors = f.sectors;
                e.word12 = rec.word12;
                e.word16 = rec.word16;
                e.types = rec.types & df::kTypeBits;
                e.lastSector = f.lastSector;
                e.split = rec.split;
                e.classByte = rec.classByte;
                e.skip = rec.skip;
                df::EncodeRecEntry(e, s.data(), static_cast<uint32_t>(k - from));
                f.types = e.types;
                f.link = links[l];
                f.entryIndex = static_cast<uint32_t>(k - from);
                flags |= e.types | (rec.classByte == 1 ? df::kBit30 : df::kBit31);
            }
        }
        // The per-second entries of the day's recordings.
        for (size_t i : list) {
            const DvrfsRecording& rec = r_.recordings[i];
            const auto& seconds = secondIndex_[i];
            for (uint32_t s = 0; s < seconds.size(); s++) {
                const uint32_t e = rec.start + s;
                Sector& sec = At(uint64_t{secondIndex} + df::SecondEntrySector(e));
                df::EncodeSecondEntry(df::SecondEntry{seconds[s].first, seconds[s].second}, sec.data(), e);
            }
        }
        df::MonthEntry& m = months[{key.channel, key.year * 12 + key.month}];
        m.year = static_cast<uint16_t>(key.year);
        m.month = static_cast<uint16_t>(key.month);
        m.flags[static_cast<size_t>(key.day)] = flags;
        m.first[static_cast<size_t>(key.day)] = links.front();
    }
    std::map<int, uint32_t> counts;
    for (const auto& [where, m] : months) {
        const uint32_t i = counts[where.first]++;
        const df::IndexPlace place = df::MonthEntryPlace(i);
        Sector& s =
            At(kIndexBase + df::kChannelIndexSectors * static_cast<uint32_t>(where.first) + place.sector);
        df::EncodeMonthEntry(m, s.data() + place.offset);
    }
    for (const auto& [channel, n] : counts) {
        Sector& s = At(kIndexBase + df::kChannelIndexSectors * static_cast<uint32_t>(channel));
        s[0] = static_cast<uint8_t>(n);
    }
    for (const auto& [block, entry] : bitmap_) {
        Sector& s = At(df::BitmapSector(bitmapBase_, block));
        df::EncodeBitmapEntry(entry, s.data(), block);
    }
}

void Builder::WriteFormat() {
    df::FormatInfo f;
    f.magic = df::kFormatMagic;
    f.group = r_.group;
    f.version = df::kFormatVersion;
    const auto blocks = static_cast<uint32_t>(used_.empty() ? 1 : used_.size());
    f.geometry = {r_.blockSize, static_cast<uint32_t>(df::kBlockSectors),
                  r_.dataAlign, maxBlock_ + 1,
                  kStatSector,  1,
                  kInfoSector,  df::kChannelIndexSectors,
                  bitmapBase_,  blocks,
                  dataBase_,    static_cast<uint32_t>(std::max<uint64_t>(deviceSectors_ & 0xFFFFFFFFu, 1)),
                  kFormatStamp};
    df::EncodeFormat(f, At(0).data());
    Sector& stat = At(kStatSector);
    stat[0] = 1;  // the stat block is carried unread; give it something
    df::EncodeDataInfo(df::DataInfo{kIndexBase, df::kChannelIndexSectors}, At(kInfoSector).data());
}

void Builder::ApplyDamage() {
    const DvrfsDamage& d = r_.damage;
    const auto recording = [&](int i) -> const DvrfsRecordingFacts* {
        return i >= 0 && static_cast<size_t>(i) < facts_.recordings.size()
                   ? &facts_.recordings[static_cast<size_t>(i)]
                   : nullptr;
    };
    if (d.monthCountChannel >= 0) {
        Sector& s = At(kIndexBase + df::kChannelIndexSectors * static_cast<uint32_t>(d.monthCountChannel));
        for (int b = 0; b < 4; b++)
            s[static_cast<size_t>(b)] = static_cast<uint8_t>(d.monthCount >> (8 * b));
    }
    if (const auto* f = recording(d.dayCountRecording)) {
        Sector& s = At(f->link);
        df::DayChannelHeader h = df::DecodeDayChannel(s.data());
        h.count = d.dayCount;
        df::EncodeDayChannel(h, s.data());
    }
    if (const auto* f = recording(d.brokenBackLink)) {
        Sector& s = At(f->link);
        df::DayChannelHeader h = df::DecodeDayChannel(s.data());
        h.prev += 1000;
        df::EncodeDayChannel(h, s.data());
    }
    if (const auto* f = recording(d.freeLink)) {
        Sector& s = At(f->link);
        df::DayChannelHeader h = df::DecodeDayChannel(s.data());
        h.prev = h.next = df::kFreeLink;
        df::EncodeDayChannel(h, s.data());
    }
    if (const auto* f = recording(d.bitmapOwner)) {
        const uint32_t block = f->blocks.front();
        Sector& s = At(df::BitmapSector(bitmapBase_, block));
        df::BitmapEntry e = df::DecodeBitmapEntry(s.data(), block);
        e.owner = d.ownerChannel;
        df::EncodeBitmapEntry(e, s.data(), block);
    }
    if (const auto* f = recording(d.lastBeforePosition)) {
        Sector& s = At(f->link);
        df::RecEntry e = df::DecodeRecEntry(s.data(), f->entryIndex);
        e.lastSector = f->firstSector - 1;
        df::EncodeRecEntry(e, s.data(), f->entryIndex);
    }
    if (d.zeroGeometryWord >= 0 && d.zeroGeometryWord < 13) {
        df::FormatInfo format = df::DecodeFormat(At(0).data());
        format.geometry[static_cast<size_t>(d.zeroGeometryWord)] = 0;
        df::EncodeFormat(format, At(0).data());
    }
    if (const auto* f = recording(d.noSecondIndex)) {
        // The first link of its day.
        uint32_t link = f->link;
        for (int guard = 0; guard < 100000; guard++) {
            const df::DayChannelHeader h = df::DecodeDayChannel(At(link).data());
            if (h.prev == 0 || h.prev == df::kFreeLink)
                break;
            link = h.prev;
        }
        Sector& s = At(link);
        df::DayChannelHeader h = df::DecodeDayChannel(s.data());
        h.secondIndex = 0;
        df::EncodeDayChannel(h, s.data());
    }
}

bool Builder::Flush() {
    for (const auto& [sector, bytes] : meta_)
        if (!WriteData(sector, bytes.data(), 1))
            return false;
    return true;
}

bool Builder::Build() {
    facts_ = DvrfsImage{};
    facts_.recordings.resize(r_.recordings.size());
    secondIndex_.resize(r_.recordings.size());
    if (!CheckRecipe())
        return false;
    PlanAreas();
    const uint32_t planned = r_.blockPlan.empty()
                                 ? static_cast<uint32_t>(r_.recordings.size() * 2 + 2)
                                 : *std::max_element(r_.blockPlan.begin(), r_.blockPlan.end());
    deviceSectors_ = r_.partitionOffset + df::BlockStart(dataBase_, uint64_t{planned} + 1);
    deviceSectors_ = std::max(deviceSectors_, r_.diskBytes / df::kSectorBytes);
    if (!sink_.Begin(deviceSectors_ * df::kSectorBytes, &error_))
        return false;
    for (size_t i = 0; i < r_.recordings.size(); i++)
        if (!LayData(i))
            return false;
    if (df::BlockStart(dataBase_, uint64_t{maxBlock_} + 1) + r_.partitionOffset > deviceSectors_)
        return Fail("the blocks do not fit the disk");
    if (df::BitmapSector(bitmapBase_, maxBlock_) >= linkBase_)
        return Fail("too many blocks for the bitmap area");
    WriteIndexes();
    WriteFormat();
    ApplyDamage();
    facts_.diskBytes = deviceSectors_ * df::kSectorBytes;
    facts_.partitionOffset = r_.partitionOffset;
    facts_.dataBase = dataBase_;
    facts_.bitmapBase = bitmapBase_;
    return Flush();
}

}  // namespace

bool BuildDvrfsImage(const DvrfsRecipe& recipe, ImageSink& sink, DvrfsImage* facts, std::string* error) {
    DvrfsImage unused;
    std::string ignored;
    Builder builder(recipe, sink, facts ? facts : &unused, error ? error : &ignored);
    return builder.Build();
}

bool BuildDvrfsInMemory(const DvrfsRecipe& recipe,
                        std::shared_ptr<platform::MemDisk>* disk,
                        DvrfsImage* facts,
                        std::string* error) {
    MemDiskSink sink;
    if (!BuildDvrfsImage(recipe, sink, facts, error))
        return false;
    *disk = sink.Disk();
    return true;
}

DvrfsRecipe BasicDvrfsRecipe() {
    DvrfsRecipe r;
    r.stream.fps = 10;
    r.stream.gop = 10;
    r.stream.iMin = 3000, r.stream.iMax = 9000;
    r.stream.pMin = 300, r.stream.pMax = 1500;
    r.stream.audio = true;
    r.entriesPerLink = 4;
    uint32_t seed = 1;
    const auto add = [&](int channel, int month, int day, uint32_t start, uint32_t seconds,
                         uint32_t types = 1) {
        DvrfsRecording rec;
        rec.channel = channel;
        rec.month = month;
        rec.day = day;
        rec.start = start;
        rec.seconds = seconds;
        rec.types = types;
        rec.seed = seed++;
        r.recordings.push_back(rec);
        return r.recordings.size() - 1;
    };
    // Channel 0, 2024-05-06: ten short recordings from 08:00, a chain of three links.
    for (uint32_t k = 0; k < 10; k++)
        add(0, 5, 6, 8 * 3600 + k * 600, 20, k % 3 == 0 ? 4 : 1);
    add(0, 5, 7, 9 * 3600, 30);
    add(0, 6, 2, 12 * 3600, 15, 2);
    // Channel 1 runs from one block into the next.
    const size_t spanning = add(1, 5, 6, 10 * 3600, 30, 6);
    r.recordings[spanning].blockOffset = static_cast<uint32_t>(df::kBlockSectors - 200);
    add(1, 5, 6, 11 * 3600, 20);
    add(2, 5, 6, 9 * 3600 + 1800, 1800 / 60);
    add(3, 5, 7, 23 * 3600, 40, 8);
    return r;
}

}  // namespace vektools
