// tools/image_builder.cpp
#include "tools/image_builder.h"

#include <algorithm>
#include <cstring>
#include <set>

#include "platform/le_bytes.h"

namespace vektools {

using vekfs::FormatTraits;
using vekfs::kDataFileSize;
using vekfs::kKframeEntrySize;
using vekfs::packed_time;

// ---- time helpers ----------------------------------------------------------------------

packed_time Packed(int year, int month, int day, int hour, int minute, int second) {
    return vekfs::pack_time(vekfs::calendar_time(year, month, day, hour, minute, second));
}

packed_time AddSeconds(packed_time t, int64_t seconds) {
    return vekfs::unix_seconds_to_packed(vekfs::packed_to_unix_seconds(t) + seconds);
}

namespace {

constexpr uint32_t kDefaultFileTableOffset = 512;
constexpr uint32_t kIndexOnlySpace = 48;     // what a key frame of 8 payload bytes would take
constexpr uint8_t kMbrPartitionType = 0xDA;  // "non-file-system data": nobody tries to mount it
constexpr char kStaleReserved[] = "STALECPY";

uint64_t RoundUp(uint64_t v, uint64_t unit) {
    return (v + unit - 1) / unit * unit;
}

std::string Where(int p, int pos) {
    return "partition " + std::to_string(p) + " file " + std::to_string(pos);
}

std::string Tag(int p, const std::string& rest) {
    return "p" + std::to_string(p) + "." + rest;
}
std::string FileTag(int p, int pos, const std::string& rest) {
    return Tag(p, "f" + std::to_string(pos) + "." + rest);
}
std::string EventTag(int p, int pos, int slot, const std::string& rest) {
    return FileTag(p, pos, "e" + std::to_string(slot) + "." + rest);
}

uint64_t UnixUs(packed_time t) {
    const int64_t s = vekfs::packed_to_unix_seconds(t);
    return s > 0 ? static_cast<uint64_t>(s) * 1000000 : 0;
}

// One data file as built, before its table entry gets its close order.
struct BuiltFile {
    const FileSpec* recipe = nullptr;
    vekfs::file_info entry;
    std::vector<vekfs::pevent_info> records;
    FileFact fact;
    std::vector<EventFact> events;
};

class Builder {
  public:
    Builder(const ImageSpec& recipe, ImageSink& sink, const BuildOptions& options)
        : spec_(recipe), sink_(sink), options_(options) {}

    bool Run(Manifest* manifest, std::string* error);

  private:
    bool Fail(std::string text) {
        error_ = std::move(text);
        return false;
    }
    bool Write(uint64_t offset, const void* data, size_t length) {
        std::string why;
        if (sink_.WriteAt(offset, data, length, &why))
            return true;
        return Fail(why);
    }
    bool BuildFile(int p, const FileSpec& fs, BuiltFile* out);
    bool BuildEvent(int p,
                    const FileSpec& fs,
                    int slot,
                    uint64_t base,
                    uint32_t* dataCursor,
                    std::vector<vekfs::kframe_entry>* entries,
                    EventFact* fact);
    void DeriveEntry(const FileSpec& fs, BuiltFile* b) const;
    bool WritePartition(int p, std::vector<BuiltFile>& files, Manifest* manifest);
    bool WriteSectorZero(Manifest* manifest);

    const ImageSpec& spec_;
    ImageSink& sink_;
    const BuildOptions& options_;
    const FormatTraits* f_ = nullptr;
    Geometry g_;
    std::string error_;
};

bool Builder::Run(Manifest* manifest, std::string* error) {
    const bool ok = [&] {
        if (!PlanGeometry(spec_, &g_, &error_))
            return false;
        f_ = vekfs::TraitsForVersion(static_cast<uint32_t>(spec_.disk.version));
        std::string why;
        if (!sink_.Begin(g_.deviceSize, &why))
            return Fail(why);

        Manifest m;
        m.scenario = spec_.scenario;
        m.variant = spec_.variant;
        m.version = spec_.disk.version;
        m.deviceSize = g_.deviceSize;
        m.copySize = g_.copySize;
        m.marks = spec_.marks;
        m.expectedProblems = ExpectedProblems(spec_);
        for (int p = 0; p < static_cast<int>(spec_.partitions.size()); p++) {
            std::vector<BuiltFile> files;
            for (const FileSpec& fs : spec_.partitions[p].files) {
                files.emplace_back();
                if (!BuildFile(p, fs, &files.back()))
                    return false;
            }
            if (!WritePartition(p, files, &m))
                return false;
        }
        if (!WriteSectorZero(&m))
            return false;
        if (manifest)
            *manifest = std::move(m);
        return true;
    }();
    if (!ok && error)
        *error = error_;
    return ok;
}

bool Builder::BuildEvent(int p,
                         const FileSpec& fs,
                         int slot,
                         uint64_t base,
                         uint32_t* dataCursor,
                         std::vector<vekfs::kframe_entry>* entries,
                         EventFact* fact) {
    const EventSpec& ev = fs.events[slot];
    const uint32_t dataStart = ev.dataStart ? ev.dataStart : *dataCursor;
    if (dataStart < f_->fileInfoSize || dataStart >= kDataFileSize)
        return Fail(Where(p, fs.position) + " event " + std::to_string(slot) + ": data start " +
                    std::to_string(dataStart) + " is outside the data file");

    fact->magic = ev.state == EventState::Writing ? vekfs::kMagicEventWriting : vekfs::kMagicEvent;
    fact->dataStart = dataStart;
    fact->indexStart = static_cast<uint32_t>(kDataFileSize - entries->size() * kKframeEntrySize);
    const size_t firstEntry = entries->size();
    uint64_t dataLength = 0;

    if (ev.source == FrameSource::IndexOnly) {
        fact->indexOnly = true;
        for (uint32_t i = 0; i < ev.indexOnlyEntries; i++) {
            KframeFact k;
            k.frameOffset = dataStart + i * kIndexOnlySpace;
            k.length = kIndexOnlySpace;
            k.time = AddSeconds(ev.start, i);
            k.timeUs = UnixUs(k.time);
            fact->kframes.push_back(k);
        }
        dataLength = static_cast<uint64_t>(ev.indexOnlyEntries) * kIndexOnlySpace;
    } else {
        const StreamParams& sp = ev.stream;
        StreamSpec ss;
        ss.seed = static_cast<uint32_t>(
            MixSeed({spec_.seed, static_cast<uint64_t>(p), fs.position, static_cast<uint64_t>(slot)}));
        ss.channel = fs.channel;
        ss.startUs = UnixUs(ev.start);
        const int64_t span = vekfs::packed_to_unix_seconds(ev.end) - vekfs::packed_to_unix_seconds(ev.start);
        const uint64_t seconds = sp.seconds ? sp.seconds : static_cast<uint64_t>(std::max<int64_t>(span, 1));
        ss.videoFrames = static_cast<uint32_t>(seconds * (sp.fps ? sp.fps : 25));
        ss.width = sp.width;
        ss.height = sp.height;
        ss.fps = sp.fps;
        ss.videoCodec = sp.videoCodec;
        ss.gop = sp.gop;
        ss.keysPerSecond = sp.keysPerSecond;
        ss.leadingP = sp.leadingP;
        ss.iMin = sp.iMin;
        ss.iMax = sp.iMax;
        ss.pMin = sp.pMin;
        ss.pMax = sp.pMax;
        ss.audio = sp.audio;
        ss.audioParams = sp.audioParams;
        ss.extUnits = sp.extUnits;
        ss.sizes = sp.sizes;
        if (options_.h264 && !options_.h264->empty()) {
            ss.accessUnits = options_.h264;
            if (options_.h264Width)
                ss.width = options_.h264Width;
            if (options_.h264Height)
                ss.height = options_.h264Height;
        }
        Stream stream = BuildStream(ss);
        if (dataStart + stream.bytes.size() > kDataFileSize)
            return Fail(Where(p, fs.position) + " event " + std::to_string(slot) +
                        ": frames pass the data file");
        if (!Write(base + dataStart, stream.bytes.data(), stream.bytes.size()))
            return false;
        dataLength = stream.bytes.size();
        for (FrameRecord& fr : stream.frames) {
            fr.offset += dataStart;
            if (fr.type != 'I')
                continue;
            KframeFact k;
            k.frameOffset = static_cast<uint32_t>(fr.offset);
            k.length = fr.Length();
            k.time = vekfs::unix_seconds_to_packed(static_cast<int64_t>(fr.timeUs / 1000000));
            k.timeUs = fr.timeUs;
            fact->kframes.push_back(k);
        }
        if (options_.recordFrames)
            fact->frames = std::move(stream.frames);
    }

    for (KframeFact& k : fact->kframes) {
        k.entryAt = static_cast<uint32_t>(kDataFileSize - (entries->size() + 1) * kKframeEntrySize);
        entries->push_back({0, k.time, k.frameOffset, k.length});
    }
    if (ev.state == EventState::Complete && entries->size() == firstEntry)
        return Fail(Where(p, fs.position) + " event " + std::to_string(slot) +
                    ": a complete event needs at least one key frame");

    fact->trueDataLength = static_cast<uint32_t>(dataLength);
    fact->trueIndexEnd = entries->size() > firstEntry ? fact->kframes.back().entryAt : 0;
    fact->trueEnd = ev.source == FrameSource::IndexOnly ? AddSeconds(ev.start, ev.indexOnlyEntries) : ev.end;
    fact->start = ev.start;
    if (ev.state == EventState::Complete) {
        fact->end = fact->trueEnd;
        fact->dataLength = fact->trueDataLength;
        fact->indexEnd = fact->trueIndexEnd;
    }
    *dataCursor = static_cast<uint32_t>(dataStart + dataLength);
    return true;
}

void Builder::DeriveEntry(const FileSpec& fs, BuiltFile* b) const {
    vekfs::file_info& e = b->entry;
    e.magic = vekfs::kMagicFile;
    e.number = static_cast<uint16_t>(fs.position + 1);
    e.state = fs.state;
    e.channel = fs.channel;
    e.data_type = fs.dataType;
    e.end_sequence = vekfs::kOpenEndSequence;

    // An open file's entry still tells what it told after its last closed event.
    std::vector<const EventFact*> counted;
    for (const EventFact& ev : b->events) {
        if (fs.state == vekfs::kFileWriting && ev.magic != vekfs::kMagicEvent)
            break;
        counted.push_back(&ev);
    }
    e.event_count = static_cast<uint16_t>(counted.size());
    for (const EventFact* ev : counted) {
        if (ev->start && (e.start == 0 || ev->start < e.start))
            e.start = ev->start;
        e.end = std::max(e.end, ev->end);
    }
    if (!counted.empty()) {
        e.data_end = counted.back()->dataStart + counted.back()->dataLength;
        e.index_end = counted.back()->indexEnd;
    }
    for (size_t i = 0; i < counted.size(); i++) {
        const EventFact* ev = counted[i];
        if (ev->skip == 1 || vekfs::month_key(ev->start) != vekfs::month_key(e.start))
            continue;
        const uint32_t day = (ev->start >> 17) & 0x1f;
        if (day < 1)
            continue;
        for (int k = 0; k < f_->dayBitmapWords; k++)
            if (ev->typeBits & (1u << k))
                e.day_bitmap[k] |= 1u << (day - 1);
    }
}

bool Builder::BuildFile(int p, const FileSpec& fs, BuiltFile* b) {
    b->recipe = &fs;
    if (fs.state != vekfs::kFileClosed && fs.state != vekfs::kFileWriting)
        return Fail(Where(p, fs.position) + ": a data file is closed (1) or being written (2)");
    if (fs.events.size() > static_cast<size_t>(vekfs::kEventsPerBlock))
        return Fail(Where(p, fs.position) + ": more than 256 events");
    const uint64_t base = vekfs::data_file_offset(g_.partStart[p], fs.position);

    std::vector<vekfs::kframe_entry> entries;
    uint32_t dataCursor = fs.firstDataStart;
    uint32_t dataTop = 0;
    for (int slot = 0; slot < static_cast<int>(fs.events.size()); slot++) {
        const EventSpec& ev = fs.events[slot];
        EventFact fact;
        fact.partition = p;
        fact.filePosition = fs.position;
        fact.slot = slot;
        fact.channel = fs.channel;
        fact.dataType = fs.dataType;
        fact.number = ev.number.value_or(static_cast<uint16_t>(slot + 1));
        fact.typeBits = ev.typeBits;
        fact.skip = ev.skip;
        fact.attr22 = ev.attr22;
        fact.attr23 = ev.attr23;
        if (!BuildEvent(p, fs, slot, base, &dataCursor, &entries, &fact))
            return false;
        dataTop = std::max(dataTop, dataCursor);

        vekfs::pevent_info r;
        r.magic = fact.magic;
        r.start = fact.start;
        r.data_start = fact.dataStart;
        r.index_start = fact.indexStart;
        r.type_bits = fact.typeBits;
        r.number = fact.number;
        r.attr22 = fact.attr22;
        r.attr23 = fact.attr23;
        r.end = fact.end;
        r.data_length = fact.dataLength;
        r.index_end = fact.indexEnd;
        r.skip = fact.skip;
        r.pass38 = ev.pass38;
        r.media_first = ev.mediaFirst;
        r.media_last = ev.mediaLast;
        b->records.push_back(r);
        b->events.push_back(std::move(fact));
    }

    // The key-frame index: entries from the top down, then "Iend" below the last.
    const uint64_t lowestEntry = kDataFileSize - entries.size() * kKframeEntrySize;
    const bool iend = fs.iend == IendPlacement::BelowLast && !fs.events.empty();
    const uint64_t bottom = iend ? lowestEntry - kKframeEntrySize : lowestEntry;
    if (dataTop > bottom)
        return Fail(Where(p, fs.position) + ": frames (to " + std::to_string(dataTop) +
                    ") run into the key-frame index (from " + std::to_string(bottom) + ")");
    if (bottom < kDataFileSize) {
        std::vector<uint8_t> index(kDataFileSize - bottom, 0);
        for (size_t i = 0; i < entries.size(); i++) {
            const uint64_t at = kDataFileSize - (i + 1) * kKframeEntrySize;
            vekfs::encode_kframe_entry(entries[i], index.data() + (at - bottom));
        }
        if (iend)
            platform::PutU32(index.data(), vekfs::kMagicIend);
        if (!Write(base + bottom, index.data(), index.size()))
            return false;
    }

    DeriveEntry(fs, b);
    b->fact.partition = p;
    b->fact.position = fs.position;
    b->fact.base = base;
    b->fact.iendAt = iend ? static_cast<int64_t>(bottom) : -1;
    b->fact.eventCount = static_cast<int>(b->events.size());
    return true;
}

bool Builder::WritePartition(int p, std::vector<BuiltFile>& files, Manifest* m) {
    const PartitionSpec& ps = spec_.partitions[p];
    const uint64_t start = g_.partStart[p];

    // Close order of the closed files without one given: by end time.
    std::vector<BuiltFile*> closed;
    uint32_t highest = 0;
    for (BuiltFile& b : files) {
        if (b.recipe->state != vekfs::kFileClosed)
            continue;
        if (b.recipe->endSequence) {
            b.entry.end_sequence = *b.recipe->endSequence;
            highest = std::max(highest, *b.recipe->endSequence);
        } else {
            closed.push_back(&b);
        }
    }
    std::stable_sort(closed.begin(), closed.end(), [](const BuiltFile* a, const BuiltFile* b) {
        return a->entry.end != b->entry.end ? a->entry.end < b->entry.end
                                            : a->recipe->position < b->recipe->position;
    });
    for (BuiltFile* b : closed)
        b->entry.end_sequence = ++highest;

    // The index copy.
    const size_t blockSize = f_->EventBlockSize();
    std::vector<uint8_t> copy(g_.eventAreaOffset + static_cast<size_t>(ps.fileCount) * blockSize, 0);
    std::vector<const BuiltFile*> byPosition(ps.fileCount, nullptr);
    for (const BuiltFile& b : files)
        byPosition[b.recipe->position] = &b;

    vekfs::part_info part;
    part.magic = vekfs::kMagicPart;
    part.file_count = ps.fileCount;
    part.state = ps.state;
    part.repair_flag = ps.repairFlag;
    for (uint32_t j = 0; j < ps.fileCount; j++) {
        const BuiltFile* b = byPosition[j];
        vekfs::file_info free;
        free.magic = vekfs::kMagicFile;
        free.number = static_cast<uint16_t>(j + 1);
        const vekfs::file_info& e = b ? b->entry : free;
        uint8_t* at = copy.data() + g_.fileTableOffset + j * f_->fileInfoSize;
        vekfs::encode_file_info(e, *f_, at);
        if (!b) {
            part.free_count++;
            continue;
        }
        // The entry copy at the start of the data file.
        if (!Write(vekfs::data_file_offset(start, j), at, f_->fileInfoSize))
            return false;
        uint8_t* block = copy.data() + g_.eventAreaOffset + j * blockSize;
        for (size_t s = 0; s < b->records.size(); s++)
            vekfs::encode_pevent_info(b->records[s], *f_, block + s * f_->eventSize);
        // Time ranges per data type over the files in use.
        if (e.start == 0 || e.data_type > 1)
            continue;
        packed_time& lo = e.data_type == 0 ? part.type0_start : part.type1_start;
        packed_time& hi = e.data_type == 0 ? part.type0_end : part.type1_end;
        if (lo == 0 || e.start < lo)
            lo = e.start;
        hi = std::max(hi, e.end);
    }
    vekfs::encode_part_info(part, copy.data());

    PartitionFact pf;
    pf.index = p;
    pf.start = start;
    pf.record = vekfs::decode_part_info(copy.data());
    pf.validBits = ps.validBits;
    pf.copyDamage = ps.copyDamage;
    for (int k = 0; k < vekfs::kIndexCopies; k++) {
        const uint64_t at = vekfs::index_copy_offset(start, g_.copySize, k);
        pf.copyOffset[k] = at;
        std::vector<uint8_t> bytes = copy;
        switch (ps.copyDamage[k]) {
            case CopyDamage::None:
                break;
            case CopyDamage::Absent:
                continue;
            case CopyDamage::PartMagic:
                platform::PutU32(bytes.data(), platform::FourCC("Trap"));
                break;
            case CopyDamage::PartGarbage: {
                Rng rng(MixSeed(
                    {spec_.seed, static_cast<uint64_t>(p), static_cast<uint64_t>(k), 0x6761726261ULL}));
                for (size_t i = 0; i < vekfs::kPartInfoSize; i++)
                    bytes[i] = static_cast<uint8_t>(rng.Next());
                if (bytes[0] == 'P')
                    bytes[0] = 'Q';
                break;
            }
            case CopyDamage::StaleReserved:
                std::memcpy(bytes.data() + 32, kStaleReserved, 8);
                break;
        }
        if (!Write(at, bytes.data(), bytes.size()))
            return false;
    }
    m->partitions.push_back(pf);

    for (BuiltFile& b : files) {
        b.fact.entry = vekfs::decode_file_info(
            copy.data() + g_.fileTableOffset + b.recipe->position * f_->fileInfoSize, *f_);
        b.fact.firstEvent = static_cast<int>(m->events.size());
        for (EventFact& ev : b.events)
            m->events.push_back(std::move(ev));
        m->files.push_back(b.fact);
    }
    return true;
}

bool Builder::WriteSectorZero(Manifest* m) {
    const DiskSpec& d = spec_.disk;
    uint8_t sector[512] = {};
    if (d.mbr) {
        // Disk signature, one partition entry covering the recorder's area, 0x55AA.
        platform::PutU32(sector + 440, static_cast<uint32_t>(MixSeed({spec_.seed, 0x6d6272ULL})));
        // Not bootable; CHS fields say "use the LBA fields".
        static const uint8_t kEntryHead[8] = {0x00, 0xFE, 0xFF, 0xFF, kMbrPartitionType, 0xFE, 0xFF, 0xFF};
        uint8_t* entry = sector + 446;
        std::memcpy(entry, kEntryHead, sizeof kEntryHead);
        const uint64_t first = d.firstPartitionStart / 512;
        const uint64_t count = (g_.deviceSize - d.firstPartitionStart) / 512;
        platform::PutU32(entry + 8, static_cast<uint32_t>(std::min<uint64_t>(first, 0xFFFFFFFF)));
        platform::PutU32(entry + 12, static_cast<uint32_t>(std::min<uint64_t>(count, 0xFFFFFFFF)));
        sector[510] = 0x55;
        sector[511] = 0xAA;
    }

    vekfs::disk_param p;
    p.magic = d.magic.value_or(vekfs::kMagicDisk);
    p.capacity =
        d.capacity.value_or(static_cast<uint32_t>(std::min<uint64_t>(g_.deviceSize / kMiB, 0xFFFFFFFF)));
    p.part_count = d.partCount.value_or(static_cast<uint8_t>(spec_.partitions.size()));
    p.disk_state = d.diskState;
    p.fs_type = d.fsType;
    p.version = d.versionWord.value_or(static_cast<uint16_t>(d.version));
    p.version_again = d.versionAgainWord.value_or(static_cast<uint16_t>(d.version));
    p.file_table_offset = g_.fileTableOffset;
    p.event_area_offset = g_.eventAreaOffset;
    p.channels = d.channels;
    for (size_t i = 0; i < spec_.partitions.size(); i++) {
        p.part_start[i] = g_.partStart[i];
        p.valid_bits[i] = spec_.partitions[i].validBits;
    }
    p.copy_size = d.copySizeWord.value_or(g_.copySize);
    uint8_t* block = sector + vekfs::kDiskParamOffset;
    vekfs::encode_disk_param(p, block);
    p.check_sum = vekfs::disk_param_xor(block) ^ (d.corruptXor ? 0x00000100u : 0u);
    vekfs::encode_disk_param(p, block);
    m->param = vekfs::decode_disk_param(block);
    return Write(0, sector, sizeof sector);
}

}  // namespace

bool PlanGeometry(const ImageSpec& recipe, Geometry* out, std::string* error) {
    const auto fail = [&](std::string text) {
        if (error)
            *error = std::move(text);
        return false;
    };
    const FormatTraits* f = vekfs::TraitsForVersion(static_cast<uint32_t>(recipe.disk.version));
    if (!f)
        return fail("format version " + std::to_string(recipe.disk.version) + " is neither 1 nor 2");
    if (recipe.partitions.empty() || recipe.partitions.size() > static_cast<size_t>(vekfs::kMaxPartitions))
        return fail("an image has 1 to 4 partitions");
    uint32_t maxFiles = 0;
    for (size_t p = 0; p < recipe.partitions.size(); p++) {
        const PartitionSpec& ps = recipe.partitions[p];
        if (ps.fileCount == 0)
            return fail("partition " + std::to_string(p) + " has no file table entries");
        maxFiles = std::max<uint32_t>(maxFiles, ps.fileCount);
        std::set<int> seen;
        for (const FileSpec& fs : ps.files) {
            if (fs.position >= ps.fileCount || !seen.insert(fs.position).second)
                return fail(Where(static_cast<int>(p), fs.position) +
                            ": position outside the table or used twice");
        }
    }
    const DiskSpec& d = recipe.disk;
    Geometry g;
    g.fileTableOffset = d.fileTableOffset ? d.fileTableOffset : kDefaultFileTableOffset;
    const uint64_t tableEnd = g.fileTableOffset + static_cast<uint64_t>(maxFiles) * f->fileInfoSize;
    g.eventAreaOffset =
        d.eventAreaOffset ? d.eventAreaOffset : static_cast<uint32_t>(RoundUp(tableEnd, 4096));
    const uint64_t indexEnd = g.eventAreaOffset + static_cast<uint64_t>(maxFiles) * f->EventBlockSize();
    g.copySize = d.copySize ? d.copySize : static_cast<uint32_t>(RoundUp(indexEnd, kMiB));
    if (g.fileTableOffset < vekfs::kPartInfoSize || g.eventAreaOffset < tableEnd)
        return fail("the file table overlaps the partition record or the event area");
    if (indexEnd > g.copySize)
        return fail("the index does not fit its copy size");
    if (static_cast<uint64_t>(g.copySize) * vekfs::kIndexCopies > vekfs::kIndexAreaSize)
        return fail("four index copies do not fit the 512 MB index area");
    if (d.firstPartitionStart < 512 || d.firstPartitionStart % 512)
        return fail("the first partition must start on a sector after sector 0");
    uint64_t at = d.firstPartitionStart;
    for (const PartitionSpec& ps : recipe.partitions) {
        g.partStart.push_back(at);
        at += (static_cast<uint64_t>(ps.fileCount) + 2) * kDataFileSize;
    }
    g.deviceSize = std::max(at, d.deviceSize);
    *out = g;
    return true;
}

bool BuildImage(const ImageSpec& recipe,
                ImageSink& sink,
                Manifest* manifest,
                std::string* error,
                const BuildOptions& options) {
    Builder b(recipe, sink, options);
    return b.Run(manifest, error);
}

bool BuildImageInMemory(const ImageSpec& recipe,
                        std::shared_ptr<platform::MemDisk>* disk,
                        Manifest* manifest,
                        std::string* error,
                        const BuildOptions& options) {
    MemDiskSink sink;
    if (!BuildImage(recipe, sink, manifest, error, options))
        return false;
    *disk = sink.Disk();
    return true;
}

std::vector<std::string> ExpectedProblems(const ImageSpec& recipe) {
    std::set<std::string> tags(recipe.expectedProblems.begin(), recipe.expectedProblems.end());
    const DiskSpec& d = recipe.disk;
    if (d.corruptXor)
        tags.insert("param.xor");
    if (d.magic && *d.magic != vekfs::kMagicDisk)
        tags.insert("param.magic");
    if ((d.versionWord && *d.versionWord != d.version) ||
        (d.versionAgainWord && *d.versionAgainWord != d.version))
        tags.insert("param.version");
    if (d.fsType >= 4)
        tags.insert("param.fs_type");
    if (d.diskState >= 3)
        tags.insert("param.disk_state");
    const bool impossible = (d.partCount && *d.partCount > vekfs::kMaxPartitions) ||
                            (d.copySizeWord && static_cast<uint64_t>(*d.copySizeWord) * vekfs::kIndexCopies >
                                                   vekfs::kIndexAreaSize) ||
                            d.channels > static_cast<uint32_t>(vekfs::kMaxRecChannels);
    if (impossible) {
        // The check stops at an impossible parameter block.
        tags.insert("param.impossible");
        return {tags.begin(), tags.end()};
    }
    for (int p = 0; p < static_cast<int>(recipe.partitions.size()); p++) {
        const PartitionSpec& ps = recipe.partitions[p];
        if (ps.validBits != 0x0F)
            tags.insert(Tag(p, "valid_bits"));
        for (int k = 0; k < vekfs::kIndexCopies; k++) {
            const std::string copy = "copy" + std::to_string(k);
            switch (ps.copyDamage[k]) {
                case CopyDamage::None:
                    break;
                case CopyDamage::PartMagic:
                case CopyDamage::PartGarbage:
                case CopyDamage::Absent:
                    tags.insert(Tag(p, copy + ".part_magic"));
                    break;
                case CopyDamage::StaleReserved:
                    tags.insert(Tag(p, copy + ".differs"));
                    break;
            }
        }
        for (const FileSpec& fs : ps.files) {
            for (int s = 0; s < static_cast<int>(fs.events.size()); s++) {
                const EventSpec& ev = fs.events[s];
                if (ev.number && *ev.number != s + 1)
                    tags.insert(EventTag(p, fs.position, s, "number"));
                if (ev.source == FrameSource::IndexOnly) {
                    tags.insert(EventTag(p, fs.position, s, "kframes"));
                    if (ev.state == EventState::Complete)
                        tags.insert(EventTag(p, fs.position, s, "frames"));
                }
            }
            if (fs.iend == IendPlacement::None && !fs.events.empty()) {
                const int last = static_cast<int>(fs.events.size()) - 1;
                if (fs.events[last].state == EventState::Writing)
                    tags.insert(EventTag(p, fs.position, last, "no_iend"));
                else
                    tags.insert(FileTag(p, fs.position, "iend"));
            }
        }
    }
    return {tags.begin(), tags.end()};
}

}  // namespace vektools
