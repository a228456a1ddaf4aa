// tools/vekfs_dump.cpp
//
// vekfs-dump: mounts a recorder disk or image with one of the two reader builds
// and prints what the reader sees, as plain text that tests compare with the
// image builder's manifest.
//
//   vekfs-dump --build 1|2 [--channels N] [--verbose] IMAGE CMD [ARGS]
//     mount                          the reader's mount lines (recovery, repair),
//                                    then partitions and free size
//     month YYYY-MM                  the day bits of each day with recordings
//     halfhour YYYY-MM-DD            the 48 half-hour slots
//     events [--type MASK] FROM TO   the events of the range, sorted
//     stream --ch N --at TIME --out FILE
//                                    the bytes from the key frame at or after TIME
//     kframes --ch N --at TIME       the key frames from there to the event's end
//   TIME is YYYY-MM-DD HH:MM:SS (or with a T between date and time).
//
// Apart from mount, the reader's own console lines go to stderr (with
// --verbose) or nowhere, so stdout holds only the dump. Exit status 0 on success, 1 on a reader failure, 2
// on bad usage.
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "media/frame_header.h"
#include "reader/diag.h"
#include "reader/reader.h"

namespace {

using namespace vekfs;

constexpr int kReadBlock = 0x50000;

int Usage() {
    std::fputs(
        "usage: vekfs-dump --build 1|2 [--channels N] [--verbose] IMAGE CMD [ARGS]\n"
        "  mount | month YYYY-MM | halfhour YYYY-MM-DD | events [--type MASK] FROM TO |\n"
        "  stream --ch N --at TIME --out FILE | kframes --ch N --at TIME\n"
        "  TIME: YYYY-MM-DD HH:MM:SS\n",
        stderr);
    return 2;
}

bool ParseTime(const std::string& text, vekfs_time* out) {
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
    char sep = ' ';
    const int n = std::sscanf(text.c_str(), "%d-%d-%d%c%d:%d:%d", &y, &mo, &d, &sep, &h, &mi, &s);
    if (n != 3 && n != 7)
        return false;
    if (y < 2000 || y > 2063 || mo < 1 || mo > 12 || d < 1 || d > 31 || h < 0 || h > 23 || mi < 0 ||
        mi > 59 || s < 0 || s > 59)
        return false;
    *out = calendar_time(y, mo, d, h, mi, s);
    return true;
}

std::string TimeText(const vekfs_time& t) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.year + 2000, t.month, t.day, t.hour,
                  t.minute, t.second);
    return text;
}

// A search of every channel and type bit over [from, to].
search_param Request(uint8_t type, const vekfs_time& from, const vekfs_time& to) {
    search_param p;
    p.search_type = type;
    p.channel_mask = 0xffffffffu;
    p.type_mask = 0xffffffffu;
    p.start = from;
    p.end = to;
    return p;
}

vekfs_time DayStart(vekfs_time t) {
    t.hour = t.minute = t.second = 0;
    return t;
}

vekfs_time DayEnd(vekfs_time t) {
    t.hour = 23;
    t.minute = t.second = 59;
    return t;
}

void StderrSink(const char* text, void*) {
    std::fputs(text, stderr);
}
void StdoutSink(const char* text, void*) {
    std::fputs(text, stdout);
}

class Dump {
  public:
    explicit Dump(const ReaderProfile& profile) : reader_(profile) {}

    int Mount(const std::string& image, int channels) {
        if (reader_.init(channels) != 0)
            return 1;
        const int rc = reader_.add_disk(0, image.c_str());
        if (rc != 0) {
            std::printf("mount failed: %d\n", rc);
            return 1;
        }
        return 0;
    }

    int PrintMount() {
        disk_info_t disk;
        if (!reader_.disk_info(0, &disk))
            return 1;
        disk_status_t status;
        int result = -1;
        reader_.get_disk_status(0, &status, &result);
        std::printf("version %d partitions %d channels %u state %d free %uMB\n", disk.param.version,
                    disk.param.part_count, disk.param.channels, disk.param.disk_state, status.free_mb);
        for (int p = 0; p < disk.param.part_count; p++) {
            const part_info& part = disk.parts[static_cast<size_t>(p)];
            std::printf("part %d files %d free %d state %d repair %d valid %#x\n", p, part.file_count,
                        part.free_count, part.state, part.repair_flag,
                        disk.param.valid_bits[static_cast<size_t>(p)]);
        }
        return 0;
    }

    int Month(const vekfs_time& month) {
        search_param p = Request(kSearchMonth, month, month);
        uint32_t days[31];
        const int rc = reader_.find_start(&p, days);
        if (rc < 0)
            return Fail("month", rc);
        for (int d = 0; d < 31; d++)
            if (days[d] != 0)
                std::printf("%04d-%02d-%02d %#x\n", month.year + 2000, month.month, d + 1, days[d]);
        return 0;
    }

    int HalfHour(const vekfs_time& day) {
        search_param p = Request(kSearchHalfHour, DayStart(day), DayEnd(day));
        uint32_t slots[48];
        const int rc = reader_.find_start(&p, slots);
        if (rc < 0)
            return Fail("halfhour", rc);
        for (int s = 0; s < 48; s++)
            if (slots[s] != 0)
                std::printf("slot %02d %02d:%02d %#x\n", s, s / 2, s % 2 * 30, slots[s]);
        return 0;
    }

    int Events(const vekfs_time& from, const vekfs_time& to, uint32_t type_mask) {
        search_param p = Request(kSearchOneList, from, to);
        p.type_mask = type_mask;
        event_list list;
        const int handle = reader_.find_start(&p, &list);
        if (handle < 0)
            return Fail("events", handle);
        for (int i = 0; i < list.count; i++) {
            const event_desc& d = list.events[i];
            std::printf("ch %d %s - %s type %#x loc %d/%d/%d k %d data %u+%u index %u..%u\n", d.channel,
                        TimeText(d.start).c_str(), TimeText(d.end).c_str(), d.type_bits,
                        location_disk(d.location), location_partition(d.location), location_file(d.location),
                        d.event_index, d.data_start, d.data_length, d.index_end, d.index_start);
        }
        reader_.find_stop(handle);
        return 0;
    }

    // Seeks channel `ch` to `at` in the event that holds it. Returns the slot, or
    // a negative result after printing why.
    int SeekTo(int ch, const vekfs_time& at, int* handle) {
        search_param p = Request(kSearchPerChannel, DayStart(at), DayEnd(at));
        p.channel_mask = ch < 32 ? 1u << ch : 0;
        *handle = reader_.find_start(&p, nullptr);
        if (*handle < 0)
            return Fail("search", *handle);
        event_list list;
        int rc = reader_.get_event(*handle, ch, &list);
        if (rc < 0)
            return Fail("events", rc);
        const packed_time t = pack_time(at);
        for (int i = 0; i < list.count; i++) {
            event_desc& d = list.events[i];
            if (pack_time(d.start) <= t && t <= pack_time(d.end)) {
                const int slot = reader_.read_start(ch);
                if (slot < 0)
                    return Fail("read_start", slot);
                vekfs_time seek = at;
                rc = reader_.tseek(slot, &seek, 0, 1, &d);
                if (rc < 0)
                    return Fail("tseek", rc);
                return slot;
            }
        }
        std::printf("no event of channel %d holds %s\n", ch, TimeText(at).c_str());
        return -1;
    }

    int Stream(int ch, const vekfs_time& at, const std::string& out) {
        int handle = -1;
        const int slot = SeekTo(ch, at, &handle);
        if (slot < 0)
            return 1;
        std::FILE* f = std::fopen(out.c_str(), "wb");
        if (f == nullptr) {
            std::printf("cannot create %s\n", out.c_str());
            return 1;
        }
        std::vector<uint8_t> block(kReadBlock);
        uint64_t total = 0;
        int rc = 0;
        for (;;) {
            int first = 0;
            rc = reader_.read(slot, block.data(), kReadBlock, &first);
            if (rc <= 0)
                break;
            // The count runs from the 1024-aligned start of the block.
            if (rc > first) {
                std::fwrite(block.data() + first, 1, static_cast<size_t>(rc - first), f);
                total += static_cast<uint64_t>(rc - first);
            }
        }
        std::fclose(f);
        reader_.read_stop(slot);
        reader_.find_stop(handle);
        if (rc < 0)
            return Fail("read", rc);
        std::printf("wrote %" PRIu64 " bytes\n", total);
        return 0;
    }

    int Kframes(int ch, const vekfs_time& at) {
        int handle = -1;
        const int slot = SeekTo(ch, at, &handle);
        if (slot < 0)
            return 1;
        std::vector<uint8_t> block(1024 * 16);
        int rc = 0;
        for (int step = 0;; step = 1) {
            int first = 0;
            rc = step == 0
                     ? reader_.get_current_kframe(slot, block.data(), static_cast<int>(block.size()), &first)
                     : reader_.get_next_kframe(slot, block.data(), static_cast<int>(block.size()), &first, 1);
            if (rc <= 0)
                break;
            if (static_cast<size_t>(first) + media::kFrameHeaderSize > block.size())
                break;
            const media::frame_header h = media::decode_frame_header(block.data() + first);
            std::printf("kframe type %c size %u time_us %" PRIu64 "\n",
                        h.magic == media::kMagicFrame ? h.type : '?', h.size, h.time_us);
        }
        reader_.read_stop(slot);
        reader_.find_stop(handle);
        return rc < 0 ? Fail("kframe", rc) : 0;
    }

  private:
    static int Fail(const char* what, int rc) {
        std::printf("%s failed: %d\n", what, rc);
        return 1;
    }
    Reader reader_;
};

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    int build = 0;
    int channels = kMaxRecChannels;
    bool verbose = false;
    std::vector<std::string> rest;
    for (size_t i = 0; i < args.size(); i++) {
        if (args[i] == "--build" && i + 1 < args.size())
            build = std::atoi(args[++i].c_str());
        else if (args[i] == "--channels" && i + 1 < args.size())
            channels = std::atoi(args[++i].c_str());
        else if (args[i] == "--verbose")
            verbose = true;
        else
            rest.push_back(args[i]);
    }
    if ((build != 1 && build != 2) || rest.size() < 2)
        return Usage();
    // The mount command shows the reader's own lines (recovery, repair) on
    // stdout; the other commands keep stdout for the dump.
    const bool mountCommand = rest[1] == "mount";
    SetDiagSink(mountCommand ? StdoutSink : StderrSink, nullptr);
    SetDiagEnabled(verbose || mountCommand);

    Dump dump(build == 1 ? kReaderV1 : kReaderV2);
    if (dump.Mount(rest[0], channels) != 0)
        return 1;
    const std::string& cmd = rest[1];
    std::vector<std::string> cargs(rest.begin() + 2, rest.end());

    // Options of the stream commands.
    int ch = -1;
    std::string at_text, out, type_text;
    std::vector<std::string> positional;
    for (size_t i = 0; i < cargs.size(); i++) {
        if (cargs[i] == "--ch" && i + 1 < cargs.size())
            ch = std::atoi(cargs[++i].c_str());
        else if (cargs[i] == "--at" && i + 1 < cargs.size())
            at_text = cargs[++i];
        else if (cargs[i] == "--out" && i + 1 < cargs.size())
            out = cargs[++i];
        else if (cargs[i] == "--type" && i + 1 < cargs.size())
            type_text = cargs[++i];
        else
            positional.push_back(cargs[i]);
    }

    vekfs_time t1{}, t2{}, at{};
    if (cmd == "mount")
        return dump.PrintMount();
    if (cmd == "month" && positional.size() == 1 && ParseTime(positional[0] + "-01", &t1))
        return dump.Month(t1);
    if (cmd == "halfhour" && positional.size() == 1 && ParseTime(positional[0], &t1))
        return dump.HalfHour(t1);
    if (cmd == "events" && positional.size() == 2 && ParseTime(positional[0], &t1) &&
        ParseTime(positional[1], &t2)) {
        const uint32_t mask = type_text.empty()
                                  ? 0xffffffffu
                                  : static_cast<uint32_t>(std::strtoul(type_text.c_str(), nullptr, 0));
        return dump.Events(t1, t2, mask);
    }
    if (cmd == "stream" && ch >= 0 && ch < kMaxRecChannels && ParseTime(at_text, &at) && !out.empty())
        return dump.Stream(ch, at, out);
    if (cmd == "kframes" && ch >= 0 && ch < kMaxRecChannels && ParseTime(at_text, &at))
        return dump.Kframes(ch, at);
    return Usage();
}
