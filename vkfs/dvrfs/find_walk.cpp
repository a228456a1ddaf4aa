// vkfs/dvrfs/find_walk.cpp
#include "vkfs/dvrfs/find_walk.h"

#include <algorithm>
#include <cstring>

#include "platform/le_bytes.h"
#include "vkfs/dvrfs/library.h"
#include "vkfs/dvrfs/log.h"

namespace vkfs::dvrfs {

namespace {

// The mask's class selection (bits 31, 30): 01 passes class-1 records over,
// 10 class-0 records, 00 and 11 select none.
constexpr uint32_t kSkipClass1 = 1;
constexpr uint32_t kSkipClass0 = 2;

uint32_t MaskOf(const Find& f) {
    return static_cast<uint32_t>(f.query.typeMask);
}
uint32_t ClassSelect(uint32_t mask) {
    return mask >> 30 & 3;
}

int MonthKey(const int32_t t[6]) {
    return t[0] * 12 + t[1];
}
int Seconds(const int32_t t[6]) {
    return t[3] * 3600 + t[4] * 60 + t[5];
}

// Where a walk measures "before the start" from.
const int32_t* Base(const Find& f, const FindNode& n) {
    return f.handedBack && n.offered ? f.lastStart : f.query.start;
}

int MonthPlace(int v, int b, int e) {
    if (e < b)
        return 5;
    if (v < b)
        return 4;
    if (v > e)
        return 6;
    if (v == b && v == e)
        return 3;
    if (v == b)
        return 1;
    if (v == e)
        return 2;
    return 0;
}

int DayPlace(int monthPlace, int d, int baseDay, int endDay) {
    switch (monthPlace) {
        case 1:
            return d < baseDay ? 4 : (d == baseDay ? 1 : 0);
        case 2:
            return d > endDay ? 6 : (d == endDay ? 2 : 0);
        case 3:
            if (endDay < baseDay || d > endDay)
                return 6;
            if (d < baseDay)
                return 4;
            if (d == baseDay && d == endDay)
                return 3;
            if (d == baseDay)
                return 1;
            if (d == endDay)
                return 2;
            return 0;
        default:
            return 0;
    }
}

bool ClassExcluded(uint32_t mask, uint8_t classByte) {
    const uint32_t select = ClassSelect(mask);
    if (select == kSkipClass1)
        return classByte == 1;
    if (select == kSkipClass0)
        return classByte != 1;
    return false;
}

int SoftwareError() {
    Log("software error!");
    return kInconsistent;
}

MonthEntry EntryOf(const FindNode& n, uint32_t i) {
    const IndexPlace at = MonthEntryPlace(i);
    return DecodeMonthEntry(n.index.data() + static_cast<size_t>(at.sector) * kSectorBytes + at.offset);
}

// Reads the channel's month index: its count, and the sectors its entries use.
int LoadIndex(Library& lib, const Find& f, FindNode& n) {
    const uint64_t base =
        uint64_t{n.disk->info.indexBase} + uint64_t{kChannelIndexSectors} * static_cast<uint64_t>(f.channel);
    if (const int rc = ReadSector(lib, *n.disk, base, n.index.data()))
        return rc;
    n.monthCount = platform::GetU32(n.index.data());
    if (n.monthCount > kMaxMonthEntries)
        return SoftwareError();
    const uint32_t sectors = n.monthCount == 0 ? 1 : MonthEntryPlace(n.monthCount - 1).sector + 1;
    for (uint32_t s = 1; s < sectors; s++) {
        if (const int rc = ReadSector(lib, *n.disk, base + s, n.index.data() + size_t{s} * kSectorBytes))
            return rc;
    }
    return kOk;
}

int CountCheck(const DayChannelHeader& h) {
    return !h.Free() && h.count > kMaxDayEntries ? SoftwareError() : kOk;
}

uint32_t EntriesOf(const DayChannelHeader& h) {
    return h.Free() ? 0 : h.count;
}

// Takes the first day_channel sector of day `d` in hand.
int EnterDay(Library& lib, FindNode& n, int d, int dayPlace, uint32_t first) {
    if (const int rc = ReadSector(lib, *n.disk, first, n.dayChannel.data()))
        return rc;
    n.header = DecodeDayChannel(n.dayChannel.data());
    if (const int rc = CountCheck(n.header))
        return rc;
    n.day = d;
    n.dayPlace = dayPlace;
    n.firstDaySector = first;
    n.dayChannelSector = first;
    n.entryPos = 0;
    n.usedUp = false;
    n.chainSteps = 0;
    n.toNextDay = false;
    return kOk;
}

// Looks for the first day from `fromDay` the query reaches in the month in
// hand; *reached when the node now stands on one.
int ReachDay(Library& lib, const Find& f, FindNode& n, int fromDay, const int32_t* base, bool* reached) {
    *reached = false;
    const uint32_t mask = MaskOf(f);
    for (int d = std::max(fromDay, 1); d <= kDaysInMonthEntry; d++) {
        const uint32_t first = n.month.first[static_cast<size_t>(d)];
        const uint32_t flags = n.month.flags[static_cast<size_t>(d)];
        if (first == 0 || (flags & mask & kTypeBits) == 0)
            continue;
        if ((flags & kBit30) && ClassSelect(mask) == kSkipClass1)
            continue;
        const int q = DayPlace(n.monthPlace, d, base[2], f.query.end[2]);
        if (q == 4)
            continue;
        if (q == 6) {
            n.ended = true;
            return kOk;
        }
        if (const int rc = EnterDay(lib, n, d, q, first))
            return rc;
        *reached = true;
        return kOk;
    }
    return kOk;
}

// Moves to the first month entry from `from` holding a day the query reaches.
int MonthFrom(Library& lib, const Find& f, FindNode& n, uint32_t from) {
    const int32_t* base = Base(f, n);
    for (uint32_t i = from; i < n.monthCount; i++) {
        n.monthIndex = static_cast<int>(i);
        n.month = EntryOf(n, i);
        const int p = MonthPlace(n.month.Key(), MonthKey(base), MonthKey(f.query.end));
        if (p == 6) {
            n.ended = true;
            return kOk;
        }
        if (p == 4 || p == 5)
            continue;
        n.monthPlace = p;
        bool reached = false;
        const int fromDay = p == 1 || p == 3 ? base[2] : 1;
        if (const int rc = ReachDay(lib, f, n, fromDay, base, &reached))
            return rc;
        if (reached || n.ended)
            return kOk;
    }
    n.ended = true;
    return kOk;
}

int NextDay(Library& lib, const Find& f, FindNode& n) {
    n.toNextDay = false;
    const int32_t* base = Base(f, n);
    const int p = MonthPlace(n.month.Key(), MonthKey(base), MonthKey(f.query.end));
    if (p == 6) {
        n.ended = true;
        return kOk;
    }
    if (p != 4 && p != 5) {
        n.monthPlace = p;
        bool reached = false;
        if (const int rc = ReachDay(lib, f, n, n.day + 1, base, &reached))
            return rc;
        if (reached || n.ended)
            return kOk;
    }
    return MonthFrom(lib, f, n, static_cast<uint32_t>(n.monthIndex + 1));
}

// Scans the sector in hand from the entry position for the first entry the
// query takes.
void ScanEntries(const Find& f, FindNode& n) {
    const uint32_t mask = MaskOf(f);
    const int32_t* base = Base(f, n);
    const int baseTime = Seconds(base), endTime = Seconds(f.query.end);
    const uint32_t count = EntriesOf(n.header);
    for (uint32_t k = n.entryPos; k < count; k++) {
        const RecEntry e = DecodeRecEntry(n.dayChannel.data(), k);
        if ((e.types & mask & kTypeBits) == 0 || e.skip == 1 || ClassExcluded(mask, e.classByte) || e.Empty())
            continue;
        const TimeOfDay start = UnpackTime(e.start), end = UnpackTime(e.end);
        if (!start.Valid() || !end.Valid())
            continue;
        const int q = n.dayPlace;
        if ((q == 1 || q == 3) && end.Seconds() < baseTime)
            continue;
        if ((q == 2 || q == 3) && start.Seconds() > endTime) {
            n.ended = true;
            return;
        }
        Candidate& c = n.candidate;
        const int32_t date[3] = {n.month.year, n.month.month, n.day};
        const int32_t from[3] = {start.hour, start.minute, start.second};
        const int32_t to[3] = {end.hour, end.minute, end.second};
        for (int i = 0; i < 3; i++) {
            c.start[i] = c.end[i] = date[i];
            c.start[i + 3] = from[i];
            c.end[i + 3] = to[i];
        }
        c.entry = e;
        c.monthIndex = n.monthIndex;
        c.day = n.day;
        c.dayChannelSector = n.dayChannelSector;
        c.entryIndex = k;
        c.firstDaySector = n.firstDaySector;
        n.entryPos = k + 1;
        n.usedUp = n.entryPos >= count;
        n.hasCandidate = true;
        n.offered = true;
        return;
    }
    n.usedUp = true;
}

// On along the chain from a used-up sector.
int ChainStep(Library& lib, FindNode& n) {
    const uint32_t next = n.header.next;
    if (next == 0) {
        n.toNextDay = true;
        return kOk;
    }
    bool broken = next == kFreeLink || ++n.chainSteps > kMaxDayChain;
    std::array<uint8_t, kSectorBytes> link{};
    DayChannelHeader h;
    if (!broken) {
        if (const int rc = ReadSector(lib, *n.disk, next, link.data()))
            return rc;
        h = DecodeDayChannel(link.data());
        broken = h.prev != n.dayChannelSector;
    }
    if (broken) {
        SoftwareError();
        lib.indexChanged = true;
        n.toNextDay = true;
        return kOk;
    }
    if (const int rc = CountCheck(h))
        return rc;
    n.dayChannel = link;
    n.header = h;
    n.dayChannelSector = next;
    n.entryPos = 0;
    n.usedUp = false;
    return kOk;
}

uint32_t DayWord(uint32_t mask, uint32_t flags, uint32_t first) {
    const uint32_t select = ClassSelect(mask);
    const uint32_t classes = flags >> 30 & 3;
    if (first == 0)
        return 0;
    if ((flags & kBit30) && select == kSkipClass1)
        return 0;
    if (classes == 0 && select == kSkipClass0)
        return 0;
    const uint32_t v = flags & mask;
    if (v == 0)
        return 0;
    switch (classes) {
        case 1:
            return (v & kTypeBits) | kBit31;
        case 2:
            return (v & kTypeBits) | kBit30;
        case 3:
            return v;
        default:
            return v & kTypeBits;
    }
}

void FillResult(const Find& f, const FindNode& n, const Candidate& c, dvrfs_find_result* r) {
    *r = dvrfs_find_result{};
    std::memcpy(r->start, c.start, sizeof r->start);
    std::memcpy(r->end, c.end, sizeof r->end);
    const RecEntry& e = c.entry;
    r->lengthLow = e.sectors * kSectorBytes;  // the low word of the byte count
    r->lengthHigh = e.sectors >> 23;
    r->word56 = e.word16;
    r->split7 = e.split >> 7 & 1;
    r->split06 = e.split & 0x7F;
    r->recordType = (e.types & kTypeBits) | (e.classByte == 1 ? kBit31 : kBit30);
    std::strncpy(r->diskPath, n.disk->path.c_str(), sizeof r->diskPath - 1);
    r->diskSet = f.diskSet;
    r->word156 = e.word12;
    r->channel = f.channel;
    r->diskId = static_cast<uint32_t>(n.disk->rawId);
    r->lastSector = e.lastSector;
}

}  // namespace

int CompareSix(const int32_t a[6], const int32_t b[6]) {
    for (int i = 0; i < 6; i++) {
        if (a[i] != b[i])
            return a[i] < b[i] ? -1 : 1;
    }
    return 0;
}

int RangeStep(Library& lib, Find& f, FindNode& n) {
    n.hasCandidate = false;
    if (!n.positioned) {
        n.positioned = true;
        n.ended = false;
        if (const int rc = LoadIndex(lib, f, n))
            return rc;
        if (const int rc = MonthFrom(lib, f, n, 0))
            return rc;
    }
    while (!n.ended) {
        if (n.toNextDay) {
            if (const int rc = NextDay(lib, f, n))
                return rc;
            continue;
        }
        if (!n.usedUp) {
            ScanEntries(f, n);
            if (n.hasCandidate)
                return kOk;
            continue;
        }
        if (const int rc = ChainStep(lib, n))
            return rc;
    }
    return kOk;
}

int RangeRecheck(Library& lib, Find& f, FindNode& n, bool* moved) {
    *moved = false;
    Candidate& c = n.candidate;
    if (const int rc = LoadIndex(lib, f, n))
        return rc;
    const int key = c.start[0] * 12 + c.start[1];
    int found = -1;
    for (uint32_t i = 0; i < n.monthCount && found < 0; i++)
        if (EntryOf(n, i).Key() == key)
            found = static_cast<int>(i);
    n.hasCandidate = false;
    *moved = true;
    if (found < 0) {
        // The month left the index: the disk's walk starts again.
        n.positioned = false;
        return kOk;
    }
    n.monthIndex = found;
    n.month = EntryOf(n, static_cast<uint32_t>(found));
    c.monthIndex = found;
    const uint32_t first = n.month.first[static_cast<size_t>(c.day)];
    if (first == 0) {
        n.day = c.day;
        n.toNextDay = true;
        return kOk;
    }
    std::array<uint8_t, kSectorBytes> sector{};
    if (const int rc = ReadSector(lib, *n.disk, c.dayChannelSector, sector.data()))
        return rc;
    const DayChannelHeader h = DecodeDayChannel(sector.data());
    if (h.Free())
        return EnterDay(lib, n, c.day, n.dayPlace, first);
    if (const int rc = CountCheck(h))
        return rc;
    n.dayChannel = sector;
    n.header = h;
    n.usedUp = n.entryPos >= EntriesOf(h);
    if (c.entryIndex < EntriesOf(h)) {
        const RecEntry e = DecodeRecEntry(sector.data(), c.entryIndex);
        const TimeOfDay start = UnpackTime(e.start);
        if ((e.start == c.entry.start || e.end == c.entry.end) && start.Valid()) {
            c.start[3] = start.hour;
            c.start[4] = start.minute;
            c.start[5] = start.second;
            n.hasCandidate = true;
            *moved = false;
        }
    }
    return kOk;
}

int ChooseRange(Find& f, dvrfs_find_result* out) {
    int best = -1;
    for (size_t i = 0; i < f.nodes.size(); i++) {
        const FindNode& n = f.nodes[i];
        // "<=": on equal starts the disk later in mount order goes first.
        if (n.hasCandidate &&
            (best < 0 ||
             CompareSix(n.candidate.start, f.nodes[static_cast<size_t>(best)].candidate.start) <= 0))
            best = static_cast<int>(i);
    }
    if (best < 0)
        return kNoMore;
    FindNode& n = f.nodes[static_cast<size_t>(best)];
    FillResult(f, n, n.candidate, out);
    f.handedBack = true;
    f.lastGiver = best;
    f.lastCandidate = n.candidate;
    std::memcpy(f.lastStart, n.candidate.start, sizeof f.lastStart);
    n.hasCandidate = false;  // it walks on at the next call
    return kOk;
}

int MonthStep(Library& lib, Find& f, FindNode& n) {
    n.hasCandidate = false;
    n.merged = false;
    uint32_t i = 0;
    if (!n.positioned) {
        n.positioned = true;
        if (const int rc = LoadIndex(lib, f, n))
            return rc;
        if (n.monthCount == 0) {
            Print("find by month has no record!");
            n.ended = true;
            return kOk;
        }
    } else if (n.ended) {
        return kOk;
    } else {
        i = static_cast<uint32_t>(n.monthIndex + 1);
    }
    const int base = f.handedBack && n.offered ? f.lastMonthKey : MonthKey(f.query.start);
    const int end = MonthKey(f.query.end);
    const uint32_t mask = MaskOf(f);
    for (; i < n.monthCount; i++) {
        const MonthEntry m = EntryOf(n, i);
        const int p = MonthPlace(m.Key(), base, end);
        if (p == 5 || p == 6)
            break;
        if (p == 4)
            continue;
        n.monthIndex = static_cast<int>(i);
        n.month = m;
        n.monthKey = m.Key();
        for (int d = 1; d <= kDaysInMonthEntry; d++) {
            const auto at = static_cast<size_t>(d);
            n.days[at - 1] = DayWord(mask, m.flags[at], m.first[at]);
        }
        n.hasCandidate = true;
        n.offered = true;
        return kOk;
    }
    n.ended = true;
    return kOk;
}

int MonthRelocate(Library& lib, Find& f, FindNode& n) {
    if (!n.positioned || n.ended)
        return kOk;
    if (const int rc = LoadIndex(lib, f, n))
        return rc;
    if (n.monthCount == 0)
        return kNoMore;
    if (n.monthIndex < 0)
        return kOk;
    int found = -1;
    for (uint32_t i = 0; i < n.monthCount && found < 0; i++)
        if (EntryOf(n, i).Key() == n.monthKey)
            found = static_cast<int>(i);
    // A month no longer in the index: the next step starts at entry 0.
    n.monthIndex = found;
    return kOk;
}

int MergeMonths(Find& f, dvrfs_month_result* out) {
    int best = -1;
    for (size_t i = 0; i < f.nodes.size(); i++) {
        const FindNode& n = f.nodes[i];
        if (n.hasCandidate && (best < 0 || n.monthKey < f.nodes[static_cast<size_t>(best)].monthKey))
            best = static_cast<int>(i);
    }
    if (best < 0)
        return kNoMore;
    const FindNode& first = f.nodes[static_cast<size_t>(best)];
    *out = dvrfs_month_result{};
    out->month[0] = first.month.year;
    out->month[1] = first.month.month;
    for (FindNode& n : f.nodes) {
        if (!n.hasCandidate || n.monthKey != first.monthKey)
            continue;
        for (int d = 0; d < kDaysInMonthEntry; d++)
            out->days[d] |= n.days[static_cast<size_t>(d)];
        n.merged = true;
    }
    f.handedBack = true;
    f.lastMonthKey = first.monthKey;
    return kOk;
}

}  // namespace vkfs::dvrfs
