// tools/image_check.cpp
#include "tools/image_check.h"

#include <algorithm>
#include <cstring>
#include <set>

#include "media/frame_header.h"
#include "platform/le_bytes.h"
#include "reader/format.h"

namespace vektools {

using vekfs::FormatTraits;
using vekfs::kDataFileSize;
using vekfs::kKframeEntrySize;

namespace {

constexpr uint32_t kEntryWalkLimit = 1u << 20;  // entries a writing event's walk may take
constexpr uint64_t kLargestEventData = kDataFileSize;

std::string Num(uint64_t v) {
    return std::to_string(v);
}

class Checker {
  public:
    Checker(const ImageSource& image, const FormatTraits& f, const Manifest* m)
        : image_(image), f_(f), m_(m) {}

    std::vector<Problem> Run();

  private:
    // A decoded event slot with what the file-level checks need.
    struct Slot {
        vekfs::pevent_info r;
        int index;
    };

    void Add(const std::string& tag, const std::string& text) {
        if (tags_.insert(tag).second)
            problems_.push_back({tag, text});
    }
    bool Read(uint64_t offset, void* out, size_t length) {
        if (image_.ReadAt(offset, out, length))
            return true;
        Add("io", "cannot read " + Num(length) + " bytes at " + Num(offset));
        return false;
    }
    std::vector<uint8_t> ReadBytes(uint64_t offset, size_t length) {
        std::vector<uint8_t> b(length, 0);
        Read(offset, b.data(), length);
        return b;
    }

    void CheckPartition(int p);
    void CheckFile(int p, uint64_t partStart, uint32_t j, const uint8_t* entryBytes, const uint8_t* block);
    // "" when the key frame an entry names is sound, else why not.
    std::string KeyFrameFault(uint64_t base,
                              const vekfs::kframe_entry& k,
                              uint8_t channel,
                              uint64_t lo,
                              uint64_t hi);
    void CheckCompleteEvent(const std::string& tag,
                            uint64_t base,
                            const vekfs::pevent_info& r,
                            uint8_t channel);
    void CheckWritingEvent(const std::string& tag,
                           uint64_t base,
                           const vekfs::pevent_info& r,
                           uint8_t channel);
    void CheckManifest(int p, const uint8_t* copy);

    const ImageSource& image_;
    const FormatTraits& f_;
    const Manifest* m_;
    vekfs::disk_param param_;
    std::set<std::string> tags_;
    std::vector<Problem> problems_;
};

std::vector<Problem> Checker::Run() {
    uint8_t sector[512];
    if (!Read(0, sector, sizeof sector))
        return problems_;
    const uint8_t* block = sector + vekfs::kDiskParamOffset;
    param_ = vekfs::decode_disk_param(block);
    if (param_.magic != vekfs::kMagicDisk)
        Add("param.magic", "the parameter block has no \"Vkfs\"");
    if (param_.version != f_.version || param_.version_again != f_.version)
        Add("param.version", "version words " + Num(param_.version) + "/" + Num(param_.version_again) +
                                 ", expected " + Num(f_.version));
    if (vekfs::disk_param_xor(block) != param_.check_sum)
        Add("param.xor", "the check word does not match");
    if (param_.fs_type >= 4)
        Add("param.fs_type", "file-system type " + Num(param_.fs_type));
    if (param_.disk_state >= 3)
        Add("param.disk_state", "disk state " + Num(param_.disk_state));
    if (const char* why = vekfs::disk_param_impossible(param_, f_)) {
        Add("param.impossible", why);
        return problems_;
    }
    for (int p = 0; p < param_.part_count; p++)
        CheckPartition(p);
    return problems_;
}

void Checker::CheckPartition(int p) {
    const std::string pt = "p" + Num(static_cast<uint64_t>(p)) + ".";
    const uint64_t start = param_.part_start[p];
    if (param_.valid_bits[p] != 0x0F)
        Add(pt + "valid_bits", "valid-copy bits 0x" + Num(param_.valid_bits[p]));

    std::array<vekfs::part_info, vekfs::kIndexCopies> records;
    int reference = -1;
    for (int k = 0; k < vekfs::kIndexCopies; k++) {
        uint8_t bytes[vekfs::kPartInfoSize];
        Read(vekfs::index_copy_offset(start, param_.copy_size, k), bytes, sizeof bytes);
        records[k] = vekfs::decode_part_info(bytes);
        if (records[k].magic != vekfs::kMagicPart) {
            Add(pt + "copy" + Num(static_cast<uint64_t>(k)) + ".part_magic", "no \"Part\" in index copy");
        } else if (reference < 0) {
            reference = k;
        }
    }
    if (reference < 0) {
        Add(pt + "no_copy", "no index copy has a partition record");
        return;
    }
    const vekfs::part_info& part = records[reference];
    const uint64_t used =
        param_.event_area_offset + static_cast<uint64_t>(part.file_count) * f_.EventBlockSize();
    if (used > param_.copy_size ||
        param_.file_table_offset + static_cast<uint64_t>(part.file_count) * f_.fileInfoSize >
            param_.event_area_offset) {
        Add(pt + "index_size", Num(part.file_count) + " files do not fit the index copy");
        return;
    }
    const std::vector<uint8_t> copy =
        ReadBytes(vekfs::index_copy_offset(start, param_.copy_size, reference), static_cast<size_t>(used));
    for (int k = reference + 1; k < vekfs::kIndexCopies; k++) {
        if (records[k].magic != vekfs::kMagicPart)
            continue;
        const std::vector<uint8_t> other =
            ReadBytes(vekfs::index_copy_offset(start, param_.copy_size, k), static_cast<size_t>(used));
        if (other != copy)
            Add(pt + "copy" + Num(static_cast<uint64_t>(k)) + ".differs",
                "index copy differs from copy " + Num(static_cast<uint64_t>(reference)));
    }

    // The partition record against its table.
    uint16_t freeCount = 0;
    vekfs::packed_time range[2][2] = {};
    for (uint32_t j = 0; j < part.file_count; j++) {
        const uint8_t* entry = copy.data() + param_.file_table_offset + j * f_.fileInfoSize;
        const vekfs::file_info e = vekfs::decode_file_info(entry, f_);
        if (e.magic == vekfs::kMagicFile && e.state == vekfs::kFileFree)
            freeCount++;
        if ((e.state == vekfs::kFileClosed || e.state == vekfs::kFileWriting) && e.data_type <= 1 &&
            e.start) {
            vekfs::packed_time* r = range[e.data_type];
            if (r[0] == 0 || e.start < r[0])
                r[0] = e.start;
            r[1] = std::max(r[1], e.end);
        }
        CheckFile(p, start, j, entry, copy.data() + param_.event_area_offset + j * f_.EventBlockSize());
    }
    if (freeCount != part.free_count)
        Add(pt + "part_info", "free count " + Num(part.free_count) + ", table has " + Num(freeCount));
    if (range[0][0] != part.type0_start || range[0][1] != part.type0_end || range[1][0] != part.type1_start ||
        range[1][1] != part.type1_end)
        Add(pt + "part_info", "time ranges differ from the file table");
    if (m_)
        CheckManifest(p, copy.data());
}

std::string Checker::KeyFrameFault(uint64_t base,
                                   const vekfs::kframe_entry& k,
                                   uint8_t channel,
                                   uint64_t lo,
                                   uint64_t hi) {
    const std::string at = "entry for offset " + Num(k.offset);
    if (k.marker == vekfs::kMagicIend)
        return "\"Iend\" among the event's entries";
    if (k.offset < lo || static_cast<uint64_t>(k.offset) + k.length > hi)
        return at + ": outside the event's data";
    uint8_t bytes[media::kFrameHeaderSize];
    Read(base + k.offset, bytes, sizeof bytes);
    const media::frame_header h = media::decode_frame_header(bytes);
    if (h.magic != media::kMagicFrame)
        return at + ": no \"VkFm\" there";
    if (h.type != media::kFrameKey)
        return at + ": not an 'I' frame";
    if (h.channel != channel)
        return at + ": frame of channel " + Num(h.channel);
    if (media::kFrameHeaderSize + static_cast<uint64_t>(h.size) != k.length)
        return at + ": length differs";
    if (vekfs::unix_seconds_to_packed(static_cast<int64_t>(h.time_us / 1000000)) != k.time)
        return at + ": time differs from the frame's";
    return "";
}

void Checker::CheckCompleteEvent(const std::string& tag,
                                 uint64_t base,
                                 const vekfs::pevent_info& r,
                                 uint8_t channel) {
    const uint64_t dataEnd = static_cast<uint64_t>(r.data_start) + r.data_length;
    if (r.index_start % kKframeEntrySize || r.index_end % kKframeEntrySize || r.index_end >= r.index_start ||
        r.index_start > kDataFileSize) {
        Add(tag + "index", "index start " + Num(r.index_start) + ", end " + Num(r.index_end));
        return;
    }
    if (r.data_start < f_.fileInfoSize || dataEnd > r.index_end || r.data_length > kLargestEventData) {
        Add(tag + "data", "data " + Num(r.data_start) + "+" + Num(r.data_length) + " overlaps the index");
        return;
    }

    const size_t count = (r.index_start - r.index_end) / kKframeEntrySize;
    const std::vector<uint8_t> index = ReadBytes(base + r.index_end, count * kKframeEntrySize);
    std::vector<vekfs::kframe_entry> entries;  // recording order
    for (size_t i = count; i-- > 0;)
        entries.push_back(vekfs::decode_kframe_entry(index.data() + i * kKframeEntrySize));
    for (const vekfs::kframe_entry& k : entries) {
        const std::string fault = KeyFrameFault(base, k, channel, r.data_start, dataEnd);
        if (!fault.empty()) {
            Add(tag + "kframes", fault);
            break;
        }
    }

    // The data: a run of frames, every key frame in the index, in order.
    const std::vector<uint8_t> data = ReadBytes(base + r.data_start, r.data_length);
    uint64_t pos = 0;
    uint64_t lastTime = 0;
    size_t keys = 0;
    while (pos < data.size()) {
        const uint64_t at = r.data_start + pos;
        if (data.size() - pos < media::kFrameHeaderSize) {
            Add(tag + "frames", "a partial header at " + Num(at));
            return;
        }
        const media::frame_header h = media::decode_frame_header(data.data() + pos);
        if (h.magic != media::kMagicFrame) {
            Add(tag + "frames", "no \"VkFm\" at " + Num(at));
            return;
        }
        if (h.channel != channel || h.time_us < lastTime) {
            Add(tag + "frames", "frame at " + Num(at) + " has another channel or an earlier time");
            return;
        }
        lastTime = h.time_us;
        if (h.type == media::kFrameKey) {
            if (keys >= entries.size() || entries[keys].offset != at)
                Add(tag + "kframes", "key frame at " + Num(at) + " is not the next index entry");
            keys++;
        }
        pos += media::frame_space(h.size, h.ext_units);
    }
    if (pos != data.size())
        Add(tag + "frames", "the last frame passes the event's data length");
    if (keys != entries.size())
        Add(tag + "kframes", Num(entries.size()) + " entries for " + Num(keys) + " key frames");
}

void Checker::CheckWritingEvent(const std::string& tag,
                                uint64_t base,
                                const vekfs::pevent_info& r,
                                uint8_t channel) {
    if (r.end || r.data_length || r.index_end)
        Add(tag + "stale", "a writing event with end fields set");
    if (r.index_start % kKframeEntrySize || r.index_start > kDataFileSize || r.index_start <= r.data_start) {
        Add(tag + "index", "index start " + Num(r.index_start));
        return;
    }
    // Walk down from the first entry to the "Iend" marker.
    bool faulted = false;
    uint64_t at = r.index_start;
    constexpr size_t kChunk = 4096;
    for (uint32_t walked = 0; walked < kEntryWalkLimit;) {
        const size_t n =
            static_cast<size_t>(std::min<uint64_t>(kChunk, (at - r.data_start) / kKframeEntrySize));
        if (n == 0)
            break;
        const std::vector<uint8_t> chunk = ReadBytes(base + at - n * kKframeEntrySize, n * kKframeEntrySize);
        for (size_t i = n; i-- > 0; walked++) {
            at -= kKframeEntrySize;
            const vekfs::kframe_entry k = vekfs::decode_kframe_entry(chunk.data() + i * kKframeEntrySize);
            if (k.marker == vekfs::kMagicIend)
                return;
            if (k.marker == 0 && k.time == 0 && k.offset == 0 && k.length == 0) {
                Add(tag + "no_iend", "the entries end at " + Num(at) + " without \"Iend\"");
                return;
            }
            if (faulted)
                continue;
            const std::string fault = KeyFrameFault(base, k, channel, r.data_start, at);
            if (!fault.empty()) {
                Add(tag + "kframes", fault);
                faulted = true;
            }
        }
    }
    Add(tag + "no_iend", "no \"Iend\" below the writing event's entries");
}

void Checker::CheckFile(int p,
                        uint64_t partStart,
                        uint32_t j,
                        const uint8_t* entryBytes,
                        const uint8_t* block) {
    const std::string ft = "p" + Num(static_cast<uint64_t>(p)) + ".f" + Num(j) + ".";
    const vekfs::file_info e = vekfs::decode_file_info(entryBytes, f_);
    if (e.magic != vekfs::kMagicFile)
        Add(ft + "magic", "no \"File\" in the table entry");
    if (e.number != j + 1)
        Add(ft + "number", "file number " + Num(e.number));
    if (e.state > vekfs::kFileWriting)
        Add(ft + "state", "file state " + Num(e.state));
    if (e.magic != vekfs::kMagicFile || (e.state != vekfs::kFileClosed && e.state != vekfs::kFileWriting))
        return;

    const uint64_t base = vekfs::data_file_offset(partStart, j);
    const std::vector<uint8_t> copy = ReadBytes(base, f_.fileInfoSize);
    if (std::memcmp(copy.data(), entryBytes, f_.fileInfoSize) != 0)
        Add(ft + "entry_copy", "the entry at data byte 0 differs from the table");

    std::vector<vekfs::pevent_info> events;
    for (int s = 0; s < vekfs::kEventsPerBlock; s++) {
        const vekfs::pevent_info r = vekfs::decode_pevent_info(block + s * f_.eventSize, f_);
        if (r.magic == 0)
            break;
        const std::string et = ft + "e" + Num(static_cast<uint64_t>(s)) + ".";
        if (r.magic != vekfs::kMagicEvent && r.magic != vekfs::kMagicEventWriting) {
            Add(et + "magic", "slot holds neither \"Even\" nor \"EvWr\"");
            break;
        }
        if (!events.empty() && events.back().magic == vekfs::kMagicEventWriting)
            Add(ft + "e" + Num(events.size() - 1) + ".order", "a writing event is not the last");
        if (r.number != s + 1)
            Add(et + "number", "event number " + Num(r.number) + " in slot " + Num(s));
        const uint32_t expectedStart =
            events.empty() ? static_cast<uint32_t>(kDataFileSize) : events.back().index_end;
        if (r.index_start != expectedStart)
            Add(et + "chain",
                "index start " + Num(r.index_start) + ", previous event ends at " + Num(expectedStart));
        if (!events.empty() && r.data_start < events.back().data_start + events.back().data_length)
            Add(et + "data", "data start below the previous event's data");
        if (r.magic == vekfs::kMagicEvent)
            CheckCompleteEvent(et, base, r, e.channel);
        else
            CheckWritingEvent(et, base, r, e.channel);
        events.push_back(r);
    }
    if (events.empty())
        return;

    const vekfs::pevent_info& last = events.back();
    if (last.magic == vekfs::kMagicEvent && last.index_end >= kKframeEntrySize) {
        uint8_t marker[4];
        Read(base + last.index_end - kKframeEntrySize, marker, sizeof marker);
        if (platform::GetU32(marker) != vekfs::kMagicIend)
            Add(ft + "iend", "no \"Iend\" below the last entry at " + Num(last.index_end));
    }

    if (e.state == vekfs::kFileWriting) {
        if (e.end_sequence != vekfs::kOpenEndSequence)
            Add(ft + "entry", "an open file with a close order");
        return;
    }
    // A closed file's entry sums up its events.
    vekfs::file_info want;
    want.event_count = static_cast<uint16_t>(events.size());
    for (const vekfs::pevent_info& r : events) {
        if (r.start && (want.start == 0 || r.start < want.start))
            want.start = r.start;
        want.end = std::max(want.end, r.end);
    }
    want.data_end = last.data_start + last.data_length;
    want.index_end = last.index_end;
    for (const vekfs::pevent_info& r : events) {
        const uint32_t day = (r.start >> 17) & 0x1f;
        if (r.skip == 1 || day == 0 || vekfs::month_key(r.start) != vekfs::month_key(want.start))
            continue;
        for (int k = 0; k < f_.dayBitmapWords; k++)
            if (r.type_bits & (1u << k))
                want.day_bitmap[k] |= 1u << (day - 1);
    }
    std::string diff;
    if (e.end_sequence == vekfs::kOpenEndSequence)
        diff += " end_sequence";
    if (e.event_count != want.event_count)
        diff += " event_count";
    if (e.start != want.start || e.end != want.end)
        diff += " start/end";
    if (e.data_end != want.data_end)
        diff += " data_end";
    if (e.index_end != want.index_end)
        diff += " index_end";
    for (int k = 0; k < f_.dayBitmapWords; k++)
        if (e.day_bitmap[k] != want.day_bitmap[k]) {
            diff += " bitmap" + Num(static_cast<uint64_t>(k));
            break;
        }
    if (!diff.empty())
        Add(ft + "entry", "closed file entry disagrees with its events:" + diff);
}

void Checker::CheckManifest(int p, const uint8_t* copy) {
    for (const FileFact& file : m_->files) {
        if (file.partition != p)
            continue;
        const std::string ft =
            "p" + Num(static_cast<uint64_t>(p)) + ".f" + Num(static_cast<uint64_t>(file.position)) + ".";
        if (file.iendAt >= 0) {
            uint8_t marker[4];
            Read(file.base + static_cast<uint64_t>(file.iendAt), marker, sizeof marker);
            if (platform::GetU32(marker) != vekfs::kMagicIend)
                Add(ft + "iend", "no \"Iend\" at " + Num(static_cast<uint64_t>(file.iendAt)));
        }
        const uint8_t* block =
            copy + param_.event_area_offset + static_cast<size_t>(file.position) * f_.EventBlockSize();
        for (const EventFact* ev : m_->EventsOf(p, file.position)) {
            const vekfs::pevent_info r = vekfs::decode_pevent_info(block + ev->slot * f_.eventSize, f_);
            if (r.magic != ev->magic || r.number != ev->number || r.start != ev->start || r.end != ev->end ||
                r.data_start != ev->dataStart || r.data_length != ev->dataLength ||
                r.index_start != ev->indexStart || r.index_end != ev->indexEnd ||
                r.type_bits != ev->typeBits || r.skip != ev->skip)
                Add(ft + "e" + Num(static_cast<uint64_t>(ev->slot)) + ".manifest",
                    "record differs from the manifest");
        }
    }
}

}  // namespace

std::vector<Problem> CheckImage(const ImageSource& image, int version, const Manifest* manifest) {
    const FormatTraits* f = vekfs::TraitsForVersion(static_cast<uint32_t>(version));
    if (!f)
        return {{"version", "format version " + std::to_string(version) + " is neither 1 nor 2"}};
    Checker c(image, *f, manifest);
    return c.Run();
}

std::vector<std::string> SelfCheck(const ImageSource& image, const Manifest& manifest) {
    const std::vector<Problem> found = CheckImage(image, manifest.version, &manifest);
    const std::set<std::string> expected(manifest.expectedProblems.begin(), manifest.expectedProblems.end());
    std::vector<std::string> out;
    std::set<std::string> seen;
    for (const Problem& p : found) {
        seen.insert(p.tag);
        if (!expected.count(p.tag))
            out.push_back("unexpected " + p.tag + ": " + p.text);
    }
    for (const std::string& t : expected)
        if (!seen.count(t))
            out.push_back("missing " + t);
    return out;
}

}  // namespace vektools
