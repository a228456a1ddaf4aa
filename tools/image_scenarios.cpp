// tools/image_scenarios.cpp
#include "tools/image_scenarios.h"

#include <algorithm>

namespace vektools {

namespace {

// ---- building blocks -----------------------------------------------------------------

// Small frames, one key frame a second: cheap long events for index and search tests.
StreamParams Light() {
    StreamParams s;
    s.fps = 2;
    s.gop = 2;
    s.iMin = 300, s.iMax = 600;
    s.pMin = 60, s.pMax = 200;
    return s;
}

// One tiny key frame a second: for events that need many key-frame entries.
StreamParams Tiny() {
    StreamParams s;
    s.fps = 1;
    s.gop = 1;
    s.iMin = 24, s.iMax = 64;
    return s;
}

// Full-rate video as a camera records it.
StreamParams Camera() {
    StreamParams s;
    s.fps = 25;
    s.gop = 25;
    s.iMin = 8000, s.iMax = 16000;
    s.pMin = 1000, s.pMax = 3000;
    return s;
}

EventSpec Ev(vekfs::packed_time start, int seconds, uint32_t typeBits, const StreamParams& stream) {
    EventSpec e;
    e.start = start;
    e.end = AddSeconds(start, seconds);
    e.typeBits = typeBits;
    e.stream = stream;
    return e;
}

FileSpec File(uint16_t position, uint8_t channel, uint8_t state = vekfs::kFileClosed) {
    FileSpec f;
    f.position = position;
    f.channel = channel;
    f.state = state;
    return f;
}

void AddMark(ImageSpec* s, std::string name, int p, int pos, int slot, std::string note) {
    s->marks.push_back({std::move(name), p, pos, slot, std::move(note)});
}

// FNV-1a: a name hash that is the same on every platform.
uint64_t NameHash(const std::string& s) {
    uint64_t h = 0xcbf29ce484222325ULL;
    for (unsigned char c : s)
        h = (h ^ c) * 0x100000001b3ULL;
    return h;
}

uint32_t TypeBitCount(int version) {
    return version == 1 ? 4u : 16u;
}

// ---- basic ------------------------------------------------------------------------------

ImageSpec Basic(int v) {
    ImageSpec s;
    s.disk.version = v;
    const uint32_t bits = TypeBitCount(v);
    const uint32_t allBits = bits == 32 ? 0xFFFFFFFFu : (1u << bits) - 1;

    PartitionSpec p0;
    p0.fileCount = 8;
    {
        FileSpec f = File(0, 0);
        f.events.push_back(Ev(Packed(2023, 12, 1, 10, 15, 0), 50 * 60, 1u << 2, Light()));
        f.events.push_back(Ev(Packed(2023, 12, 15, 8, 0, 0), 60, 1u << 0, Light()));
        f.events.push_back(Ev(Packed(2023, 12, 31, 23, 58, 0), 90, 1u << 1, Light()));
        p0.files.push_back(f);
        AddMark(&s, "halfhour", 0, 0, 0,
                "10:15:00-11:05:00 on 2023-12-01, type bit 2: half-hour slots 20, 21, 22");
        AddMark(&s, "day1", 0, 0, 0, "starts on day 1 of its month");
        AddMark(&s, "day31", 0, 0, 2, "starts on day 31 of its month, type bit 1");
    }
    {
        FileSpec f = File(1, 2);
        f.events.push_back(Ev(Packed(2023, 12, 15, 9, 0, 0), 120, 1u << 0, Light()));
        EventSpec skip1 = Ev(Packed(2023, 12, 15, 9, 10, 0), 60, 0x3, Light());
        skip1.skip = 1;
        f.events.push_back(skip1);
        EventSpec skip2 = Ev(Packed(2023, 12, 15, 9, 20, 0), 60, 0x1, Light());
        skip2.skip = 2;
        f.events.push_back(skip2);
        EventSpec attrs = Ev(Packed(2023, 12, 16, 7, 30, 0), 30, 1u << 3, Light());
        attrs.attr22 = 0x5A;
        attrs.attr23 = 0xA5;
        attrs.pass38 = 0x1234;
        attrs.mediaFirst = 0x11223344;
        attrs.mediaLast = 0x55667788;
        f.events.push_back(attrs);
        p0.files.push_back(f);
        AddMark(&s, "tie-ch2", 0, 1, 0, "starts 2023-12-15 09:00:00, as tie-ch5 does");
        AddMark(&s, "skip-1", 0, 1, 1, "skip byte 1 (left out of the day bitmaps)");
        AddMark(&s, "skip-2", 0, 1, 2, "skip byte 2 (ignored by searches, still in the day bitmaps)");
        AddMark(&s, "attrs", 0, 1, 3,
                "attr22 0x5A, attr23 0xA5, v1 word@38 0x1234, v2 media 0x11223344/0x55667788");
    }
    {
        FileSpec f = File(2, 5);
        f.events.push_back(Ev(Packed(2023, 12, 15, 9, 0, 0), 90, 1u << 0, Light()));
        f.events.push_back(Ev(Packed(2023, 12, 20, 12, 0, 0), 45, 1u << (bits - 1), Light()));
        p0.files.push_back(f);
        AddMark(&s, "tie-ch5", 0, 2, 0, "starts 2023-12-15 09:00:00, as tie-ch2 does");
    }
    {
        FileSpec f = File(3, 7);
        f.dataType = 1;
        f.events.push_back(Ev(Packed(2023, 12, 10, 14, 0, 0), 60, 1u << 0, Light()));
        f.events.push_back(Ev(Packed(2024, 1, 5, 14, 0, 0), 60, 1u << 1, Light()));
        p0.files.push_back(f);
        AddMark(&s, "data-type-1", 0, 3, -1, "data type 1; its second event lies in the next month");
    }
    {
        FileSpec f = File(5, 0, vekfs::kFileWriting);
        f.events.push_back(Ev(Packed(2024, 1, 20, 10, 0, 0), 60, 1u << 0, Light()));
        f.events.push_back(Ev(Packed(2024, 1, 20, 10, 5, 0), 60, 1u << 0, Light()));
        EventSpec w = Ev(Packed(2024, 1, 20, 10, 10, 0), 20, 1u << 0, Light());
        w.state = EventState::Writing;
        f.events.push_back(w);
        p0.files.push_back(f);
        AddMark(&s, "open-file", 0, 5, -1,
                "being written (state 2) with repair flag 0: two events and an \"EvWr\"");
    }
    {
        FileSpec f = File(6, 2);
        f.events.push_back(Ev(Packed(2023, 12, 28, 18, 0, 0), 60, 0xA & allBits, Light()));
        f.events.push_back(Ev(Packed(2023, 12, 28, 18, 30, 0), 60, allBits, Light()));
        p0.files.push_back(f);
        AddMark(&s, "many-bits", 0, 6, 1, "an event with every type bit of the version");
    }
    AddMark(&s, "free", 0, 4, -1,
            "free file entries at positions 4 and 7 of partition 0, 4 and 5 of partition 1");
    s.partitions.push_back(p0);

    PartitionSpec p1;
    p1.fileCount = 6;
    const uint8_t busy[3] = {0, 2, 5};
    const int counts[3] = {85, 84, 84};
    for (int c = 0; c < 3; c++) {
        FileSpec f = File(static_cast<uint16_t>(c), busy[c]);
        StreamParams sp = Light();
        sp.iMin = 60, sp.iMax = 120, sp.pMin = 24, sp.pMax = 48;
        for (int i = 0; i < counts[c]; i++)
            f.events.push_back(
                Ev(AddSeconds(Packed(2024, 1, 10, 0, 0, 0), i * 300 + c * 60), 20, 1u << (i % bits), sp));
        p1.files.push_back(f);
    }
    AddMark(
        &s, "253-events", 1, -1, -1,
        "2024-01-10, data type 0: channel 0 has 85 events (file 0), channels 2 and 5 have 84 (files 1, 2)");
    {
        FileSpec f = File(3, 7);
        for (uint32_t k = 0; k < bits; k++)
            f.events.push_back(Ev(AddSeconds(Packed(2024, 1, 12, 6, 0, 0), k * 600), 30, 1u << k, Light()));
        f.events.push_back(Ev(Packed(2024, 1, 13, 6, 0, 0), 30, allBits, Light()));
        p1.files.push_back(f);
        AddMark(&s, "type-bits", 1, 3, -1,
                "one event per type bit of the version (slot k has bit k), then all bits");
    }
    s.partitions.push_back(p1);
    return s;
}

// ---- stream ----------------------------------------------------------------------------

ImageSpec StreamScenario(int v) {
    ImageSpec s;
    s.disk.version = v;
    PartitionSpec p;
    p.fileCount = 4;
    {
        FileSpec f = File(0, 0);
        StreamParams sp = Camera();
        sp.audio = true;  // G.711 A-law, 8 kHz mono, one 164-byte block (20 ms) per frame
        f.events.push_back(Ev(Packed(2024, 3, 5, 12, 0, 0), 20, 1, sp));
        f.events.push_back(Ev(Packed(2024, 3, 5, 12, 5, 0), 10, 1, sp));
        p.files.push_back(f);
        AddMark(&s, "gop25-audio", 0, 0, 0, "25 fps, a key frame every 25 frames, audio frames interleaved");
        AddMark(&s, "unaligned-keys", 0, 0, 0, "first data start 1224; key frames off 1024-byte boundaries");
    }
    {
        FileSpec f = File(1, 1);
        StreamParams sp = Camera();
        sp.keysPerSecond = 2;
        sp.extUnits = 2;
        f.events.push_back(Ev(Packed(2024, 3, 5, 12, 0, 0), 20, 1, sp));
        p.files.push_back(f);
        AddMark(&s, "two-keys-per-second", 0, 1, 0,
                "25 fps, two key frames a second, 16 extension bytes per frame");
    }
    {
        FileSpec f = File(2, 2);
        StreamParams sp = Camera();
        sp.gop = 0;
        sp.leadingP = 37;
        f.events.push_back(Ev(Packed(2024, 3, 5, 12, 0, 0), 4, 1, sp));
        p.files.push_back(f);
        AddMark(&s, "late-single-key", 0, 2, 0,
                "37 P frames, then the only key frame at 12:00:01 (event starts 12:00:00)");
    }
    {
        FileSpec f = File(3, 3);
        f.events.push_back(Ev(Packed(2024, 3, 5, 12, 0, 0), 4, 1, Camera()));
        f.firstDataStart = static_cast<uint32_t>(vekfs::kDataFileSize - 0x60000 + 200);  // off 1024 too
        p.files.push_back(f);
        AddMark(&s, "near-device-end", 0, 3, 0,
                "the last data file on the device; frames end a few KB below its index");
    }
    s.partitions.push_back(p);
    return s;
}

// ---- unclean ---------------------------------------------------------------------------

ImageSpec Unclean(int v) {
    ImageSpec s;
    s.disk.version = v;
    PartitionSpec p;
    p.fileCount = 12;
    p.repairFlag = 1;
    const auto day = [](int d, int h, int m) { return Packed(2024, 2, d, h, m, 0); };
    const auto writing = [](EventSpec e) {
        e.state = EventState::Writing;
        return e;
    };
    {
        FileSpec f = File(0, 0);
        f.events.push_back(Ev(day(1, 8, 0), 10, 1, Light()));
        f.events.push_back(Ev(day(1, 8, 10), 10, 1, Light()));
        p.files.push_back(f);
    }
    {
        FileSpec f = File(1, 8);
        f.events.push_back(Ev(day(1, 9, 0), 10, 1, Light()));
        p.files.push_back(f);
    }
    {
        FileSpec f = File(2, 0, vekfs::kFileWriting);
        f.events.push_back(Ev(day(2, 8, 0), 10, 1, Light()));
        f.events.push_back(writing(Ev(day(2, 8, 20), 3, 1, Camera())));
        p.files.push_back(f);
        AddMark(&s, "evwr-3-kframes", 0, 2, 1,
                "\"EvWr\" with 3 key-frame entries (then P frames), \"Iend\" below them");
    }
    {
        FileSpec f = File(3, 1, vekfs::kFileWriting);
        f.events.push_back(Ev(day(2, 9, 0), 5, 1, Tiny()));
        f.events.push_back(writing(Ev(day(2, 9, 10), 512, 1, Tiny())));
        p.files.push_back(f);
        AddMark(
            &s, "iend-window2-top", 0, 3, 1,
            "\"EvWr\" with 512 entries: \"Iend\" at index start - 0x2010, the top of the second 8 KB window");
    }
    {
        FileSpec f = File(4, 2, vekfs::kFileWriting);
        f.events.push_back(Ev(day(2, 10, 0), 5, 1, Tiny()));
        StreamParams sp = Camera();
        sp.leadingP = 1000;
        f.events.push_back(writing(Ev(day(2, 10, 10), 1, 1, sp)));
        p.files.push_back(f);
        AddMark(&s, "iend-at-index-start", 0, 4, 1,
                "\"EvWr\" with P frames only: \"Iend\" at its index start - 16");
    }
    {
        FileSpec f = File(5, 3, vekfs::kFileWriting);
        f.events.push_back(Ev(day(2, 11, 0), 5, 1, Tiny()));
        EventSpec e = writing(Ev(day(2, 11, 10), 0, 1, Tiny()));
        e.source = FrameSource::IndexOnly;
        e.indexOnlyEntries = 33281;
        f.events.push_back(e);
        p.files.push_back(f);
        AddMark(
            &s, "no-iend-in-65-windows", 0, 5, 1,
            "index-only \"EvWr\" with 33,281 entries: no \"Iend\" in the 65 windows below its index start");
    }
    {
        FileSpec f = File(6, 4, vekfs::kFileWriting);
        for (int i = 0; i < vekfs::kEventsPerBlock; i++)
            f.events.push_back(Ev(AddSeconds(day(3, 0, 0), i * 60), 2, 1, Tiny()));
        p.files.push_back(f);
        AddMark(&s, "full-256", 0, 6, -1, "open file with 256 complete events and no free slot");
    }
    {
        FileSpec f = File(7, 5, vekfs::kFileWriting);
        for (int i = 0; i < 3; i++)
            f.events.push_back(Ev(AddSeconds(day(3, 12, 0), i * 60), 5, 1, Tiny()));
        p.files.push_back(f);
        AddMark(&s, "empty-slot-after-3", 0, 7, 3, "open file: 3 complete events, then an empty slot");
    }
    {
        FileSpec f = File(8, 6, vekfs::kFileWriting);
        f.events.push_back(Ev(day(3, 14, 0), 5, 1, Tiny()));
        EventSpec e = writing(Ev(day(3, 14, 10), 3, 1, Camera()));
        e.number = 9;
        f.events.push_back(e);
        p.files.push_back(f);
        AddMark(&s, "number-conflict", 0, 8, 1, "\"EvWr\" in slot 1 holding event number 9");
    }
    {
        p.files.push_back(File(9, 7, vekfs::kFileWriting));
        AddMark(&s, "open-no-events", 0, 9, -1, "open file whose first slot is empty");
    }
    {
        FileSpec f = File(10, 8);
        f.events.push_back(Ev(day(4, 9, 0), 10, 1, Light()));
        p.files.push_back(f);
        AddMark(&s, "last-file-closed", 0, 10, -1,
                "channel 8's last file (after file 1) is closed: nothing to repair");
    }
    s.partitions.push_back(p);
    return s;
}

// ---- fuzz --------------------------------------------------------------------------------

// As little as the reader's paths need, so a fuzzer mounts and walks it hundreds
// of times a second: 64 KB index copies, one day of short events, a partition
// to repair with an open file, and audio.
ImageSpec FuzzScenario(int v) {
    ImageSpec s;
    s.disk.version = v;
    s.disk.copySize = 64 * 1024;
    const auto at = [](int h, int m) { return Packed(2024, 5, 1, h, m, 0); };

    PartitionSpec p0;
    p0.fileCount = 4;
    p0.repairFlag = 1;
    {
        FileSpec f = File(0, 0);
        f.events.push_back(Ev(at(8, 0), 20, 1u << 0, Light()));
        f.events.push_back(Ev(at(8, 30), 10, 1u << 1, Light()));
        p0.files.push_back(f);
        AddMark(&s, "two-events", 0, 0, -1, "08:00:00 (20 s, type bit 0) and 08:30:00 (10 s, type bit 1)");
    }
    {
        FileSpec f = File(1, 1, vekfs::kFileWriting);
        f.events.push_back(Ev(at(8, 0), 10, 1u << 0, Light()));
        EventSpec w = Ev(at(8, 10), 5, 1u << 0, Light());
        w.state = EventState::Writing;
        f.events.push_back(w);
        p0.files.push_back(f);
        AddMark(&s, "to-repair", 0, 1, 1,
                "open file in a partition with the repair flag: \"EvWr\" in slot 1");
    }
    {
        FileSpec f = File(2, 2);
        StreamParams sp = Light();
        sp.audio = true;
        f.events.push_back(Ev(at(9, 0), 6, 1u << 0, sp));
        p0.files.push_back(f);
        AddMark(&s, "audio", 0, 2, 0, "video with interleaved A-law audio");
    }
    s.partitions.push_back(p0);

    PartitionSpec p1;
    p1.fileCount = 2;
    {
        FileSpec f = File(0, 0);
        f.events.push_back(Ev(at(10, 0), 15, 1u << 0, Light()));
        p1.files.push_back(f);
    }
    s.partitions.push_back(p1);
    return s;
}

// ---- small images for parameter and index damage ----------------------------------------

ImageSpec Lite(int v) {
    ImageSpec s;
    s.disk.version = v;
    PartitionSpec p0;
    p0.fileCount = 3;
    {
        FileSpec f = File(0, 0);
        f.events.push_back(Ev(Packed(2024, 4, 1, 8, 0, 0), 30, 1, Light()));
        f.events.push_back(Ev(Packed(2024, 4, 1, 9, 0, 0), 30, 2, Light()));
        p0.files.push_back(f);
    }
    {
        FileSpec f = File(1, 1);
        f.events.push_back(Ev(Packed(2024, 4, 1, 8, 30, 0), 30, 1, Light()));
        p0.files.push_back(f);
    }
    s.partitions.push_back(p0);
    PartitionSpec p1;
    p1.fileCount = 2;
    {
        FileSpec f = File(0, 0);
        f.events.push_back(Ev(Packed(2024, 4, 2, 8, 0, 0), 30, 1, Light()));
        p1.files.push_back(f);
    }
    s.partitions.push_back(p1);
    return s;
}

bool DamagedIndex(const std::string& variant, int v, ImageSpec* s) {
    *s = Lite(v);
    PartitionSpec& p = s->partitions[0];
    if (variant == "bits1111" || variant == "bits1111-garbage") {
        p.copyDamage[0] = variant == "bits1111" ? CopyDamage::PartMagic : CopyDamage::PartGarbage;
        p.copyDamage[2] = CopyDamage::StaleReserved;
        AddMark(s, "broken-copy0", 0, -1, -1, "copy 0's partition record is broken; valid bits 1111");
        AddMark(s, "stale-copy2", 0, -1, -1,
                "copy 2's partition record has \"STALECPY\" in reserved bytes 32-39");
    } else if (variant == "bits0011") {
        p.validBits = 0x3;
        p.copyDamage[0] = CopyDamage::PartMagic;
        AddMark(s, "broken-copy0", 0, -1, -1, "copy 0's partition record is broken; valid bits 0011");
    } else if (variant == "bits0001") {
        p.validBits = 0x1;
        AddMark(s, "one-valid-copy", 0, -1, -1, "valid bits 0001; every copy intact");
    } else {
        return false;
    }
    AddMark(s, "healthy-partition", 1, -1, -1, "partition 1 is intact with valid bits 1111");
    return true;
}

bool BadParam(const std::string& variant, int v, ImageSpec* s) {
    *s = Lite(v);
    DiskSpec& d = s->disk;
    const uint16_t other = v == 1 ? 2 : 1;
    if (variant == "xor") {
        d.corruptXor = true;
    } else if (variant == "magic") {
        d.magic = platform::FourCC("VKFS");
    } else if (variant == "version-other") {
        d.versionWord = other;
        d.versionAgainWord = other;
    } else if (variant == "version-mismatch") {
        d.versionAgainWord = other;
    } else if (variant == "fstype3") {
        d.fsType = 3;
    } else if (variant == "fstype4") {
        d.fsType = 4;
    } else if (variant == "state3") {
        d.diskState = 3;
    } else if (variant == "channels16") {
        d.channels = 16;
    } else if (variant == "parts5") {
        d.partCount = 5;
    } else if (variant == "copysize") {
        d.copySizeWord = static_cast<uint32_t>(vekfs::kIndexAreaSize / vekfs::kIndexCopies + 512);
    } else {
        return false;
    }
    return true;
}

}  // namespace

const std::vector<ScenarioInfo>& ScenarioCatalogue() {
    static const std::vector<ScenarioInfo> catalogue = {
        {"basic",
         {},
         "2 partitions (8 and 6 table entries). Partition 0: channels 0, 2, 5, 7 in 2023-12 (days 1 to 31), "
         "file 3 "
         "data type 1, file 5 being written (state 2, repair flag 0), free entries 4 and 7. Partition 1: 253 "
         "events on 2024-01-10 over channels 0, 2, 5; channel 7 with one event per type bit (0-3 in v1, 0-15 "
         "in "
         "v2).\n  marks: halfhour day1 day31 tie-ch2 tie-ch5 skip-1 skip-2 attrs data-type-1 open-file "
         "many-bits "
         "free 253-events type-bits"},
        {"stream",
         {},
         "1 partition, 4 files on 2024-03-05 12:00, 25 fps video of 8-16 KB key frames. File 0: GOP 25 with "
         "interleaved A-law audio (2 events); file 1: two key frames a second, 16 extension bytes per frame; "
         "file "
         "2: 37 leading P frames and one key frame; file 3: the device's last data file, its frames ending a "
         "few "
         "KB below its key-frame index.\n  marks: gop25-audio unaligned-keys two-keys-per-second "
         "late-single-key "
         "near-device-end"},
        {"unclean",
         {},
         "1 partition with the repair flag set, one case per channel in 2024-02: ch0 \"EvWr\" with 3 "
         "key-frame "
         "entries (file 2, slot 1); ch1 \"Iend\" at the top of the second 8 KB window (file 3, slot 1, 512 "
         "entries); ch2 \"Iend\" at index start - 16 (file 4, slot 1); ch3 no \"Iend\" within 65 windows "
         "(file 5, "
         "slot 1, index only, 33,281 entries); ch4 256 complete events (file 6); ch5 3 events then an empty "
         "slot "
         "(file 7); ch6 event-number conflict (file 8, slot 1 holds 9); ch7 open file with no events (file "
         "9); "
         "ch8 last file closed (files 1 and 10). Channel 0 also has closed file 0.\n  marks: evwr-3-kframes "
         "iend-window2-top iend-at-index-start no-iend-in-65-windows full-256 empty-slot-after-3 "
         "number-conflict "
         "open-no-events last-file-closed"},
        {"fuzz",
         {},
         "small and quick to mount, for fuzzing: 64 KB index copies, everything on 2024-05-01. Partition 0 "
         "(4 entries, repair flag set): channel 0 two closed events, channel 1 an open file with an \"EvWr\" "
         "in slot 1, channel 2 video with A-law audio, entry 3 free. Partition 1 (2 entries): channel 0 one "
         "event at 10:00, entry 1 free.\n  marks: two-events to-repair audio"},
        {"damaged-index",
         {"bits1111", "bits1111-garbage", "bits0011", "bits0001"},
         "2 small partitions; partition 0's index copies damaged, partition 1 intact. bits1111: copy 0's "
         "record "
         "magic broken, copy 2 stale (\"STALECPY\" in reserved bytes 32-39); bits1111-garbage: copy 0's "
         "record "
         "pseudo-random, copy 2 stale; bits0011: valid bits 0011 and copy 0 broken; bits0001: valid bits "
         "0001, "
         "copies intact.\n  marks: broken-copy0 stale-copy2 one-valid-copy healthy-partition"},
        {"bad-param",
         {"xor", "magic", "version-other", "version-mismatch", "fstype3", "fstype4", "state3", "channels16",
          "parts5", "copysize"},
         "the small image of damaged-index, intact, with one fault in the parameter block (check word "
         "recomputed "
         "unless noted). xor: one check-word bit off; magic: \"VKFS\"; version-other: both version words "
         "name the "
         "other format; version-mismatch: the second word names the other format; fstype3: type 3 (raw disk, "
         "accepted); fstype4: type 4; state3: disk state 3; channels16: formatted for 16 channels; parts5: "
         "partition count 5; copysize: copy size 128 MB + 512, so four copies pass 512 MB"},
    };
    return catalogue;
}

bool MakeScenario(const std::string& name,
                  const std::string& variantIn,
                  int version,
                  ImageSpec* out,
                  std::string* error) {
    const auto fail = [&](std::string text) {
        if (error)
            *error = std::move(text);
        return false;
    };
    if (version != 1 && version != 2)
        return fail("format version must be 1 or 2");
    const auto& cat = ScenarioCatalogue();
    const auto it =
        std::find_if(cat.begin(), cat.end(), [&](const ScenarioInfo& i) { return i.name == name; });
    if (it == cat.end())
        return fail("unknown scenario \"" + name + "\"");
    const std::string variant = variantIn.empty() && !it->variants.empty() ? it->variants.front() : variantIn;
    if (it->variants.empty() && !variant.empty())
        return fail("scenario " + name + " has no variants");
    if (!it->variants.empty() &&
        std::find(it->variants.begin(), it->variants.end(), variant) == it->variants.end())
        return fail("scenario " + name + " has no variant \"" + variant + "\"");

    ImageSpec s;
    if (name == "basic") {
        s = Basic(version);
    } else if (name == "stream") {
        s = StreamScenario(version);
    } else if (name == "unclean") {
        s = Unclean(version);
    } else if (name == "fuzz") {
        s = FuzzScenario(version);
    } else if (name == "damaged-index") {
        DamagedIndex(variant, version, &s);
    } else {
        BadParam(variant, version, &s);
    }
    s.scenario = name;
    s.variant = variant;
    s.seed = static_cast<uint32_t>(MixSeed({static_cast<uint64_t>(version), NameHash(name)}));
    *out = std::move(s);
    return true;
}

bool BuildScenario(const std::string& name,
                   const std::string& variant,
                   int version,
                   ScenarioImage* out,
                   std::string* error,
                   const BuildOptions& options) {
    if (!MakeScenario(name, variant, version, &out->recipe, error))
        return false;
    return BuildImageInMemory(out->recipe, &out->disk, &out->manifest, error, options);
}

std::string ScenarioHelp() {
    std::string text;
    for (const ScenarioInfo& i : ScenarioCatalogue()) {
        text += "  " + i.name;
        if (!i.variants.empty()) {
            text += "  --variant ";
            for (size_t k = 0; k < i.variants.size(); k++)
                text += (k ? "|" : "") + i.variants[k];
            text += " (default " + i.variants.front() + ")";
        }
        text += "\n    " + i.help + "\n";
    }
    return text;
}

}  // namespace vektools
