// vkfs/dvrfs/seek_read.cpp
//
// The time seek and reading along a record's blocks.
//
// dvrfs_tseek finds the record again on its disk (a find of its own on that
// disk alone; a find running on the handle is left as it is), then looks the
// seek second up in the day's per-second index and keeps the data sector it
// names, with two raw devices opened on the disk for the reads.
//
// dvrfs_read checks before every call that the record's entry still names the
// record, and reads whole sectors from the position on: to the end of the
// block, then on along the block chain, up to the record's last data sector.
// A position past that sector in the record's last block is the record's end
// (-7), and so is one past it in a block whose chain goes no further: a
// damaged entry never makes a read run on through the disk. A chain that
// leaves the record's channel, ends before the last block or comes back to a
// block already read is -16. A call that fails after reading some sectors
// hands those back and keeps the position where it failed; one that fails
// before reading any leaves the position where it was.
#include <algorithm>
#include <cstring>
#include <vector>

#include "vkfs/dvrfs/library.h"
#include "vkfs/dvrfs/log.h"
#include "vkfs/dvrfs/raw_disk.h"
#include "vkfs/dvrfs_entry.h"

namespace vkfs::dvrfs {

namespace {

constexpr uint32_t kSeekMask = 0x0FFFFFFFu;
constexpr int kReadUnit = 0x10000;
constexpr int kLengthUnit = 1024;

bool TimeValid(const int t[6]) {
    return t[0] >= 0 && t[0] <= 99 && t[1] >= 1 && t[1] <= 12 && t[2] >= 1 && t[2] <= 31 && t[3] >= 0 &&
           t[3] <= 23 && t[4] >= 0 && t[4] <= 59 && t[5] >= 0 && t[5] <= 59;
}

int SecondsOf(const int32_t t[6]) {
    return t[3] * 3600 + t[4] * 60 + t[5];
}

bool SameRecord(const dvrfs_find_result& found, const dvrfs_find_result& record) {
    return CompareSix(found.start, record.start) == 0 && found.split7 == record.split7 &&
           found.split06 == record.split06 &&
           (found.recordType & kTypeBits) == (record.recordType & kTypeBits) && found.diskId == record.diskId;
}

// Finds `record` again on `disk` with a find of its own.
int FindAgain(Library& lib,
              const std::shared_ptr<Disk>& disk,
              int channel,
              const int time[6],
              const dvrfs_find_result& record,
              Candidate* out) {
    Find find;
    find.query.typeMask = static_cast<int32_t>(kSeekMask);
    find.query.kind = kDvrfsFindRange;
    std::memcpy(find.query.start, time, sizeof find.query.start);
    std::memcpy(find.query.end, time, sizeof find.query.end);
    find.diskSet = record.diskSet;
    find.channel = channel;
    find.nodes.emplace_back();
    find.nodes.back().disk = disk;
    FindNode& node = find.nodes.back();
    while (true) {
        if (const int rc = RangeStep(lib, find, node))
            return rc;
        dvrfs_find_result found;
        if (ChooseRange(find, &found) != kOk)
            return kNotFound;
        if (SameRecord(found, record)) {
            *out = find.lastCandidate;
            return kOk;
        }
    }
}

// The data sector the per-second index names for second e of the record, or
// the nearest one `count` entries away in `direction`.
int SecondEntryFor(Library& lib,
                   Disk& disk,
                   uint32_t indexBase,
                   uint32_t e,
                   int first,
                   int last,
                   int direction,
                   int count,
                   SecondEntry* out) {
    std::vector<uint8_t> sector(kSectorBytes);
    uint32_t inHand = 0xFFFFFFFFu;
    int s = static_cast<int>(e);
    for (int checked = 0;; checked++) {
        const uint32_t at = SecondEntrySector(static_cast<uint32_t>(s));
        if (at != inHand) {
            if (const int rc = ReadSector(lib, disk, uint64_t{indexBase} + at, sector.data()))
                return rc;
            inHand = at;
        }
        const SecondEntry entry = DecodeSecondEntry(sector.data(), static_cast<uint32_t>(s));
        if (entry.dataSector != 0) {
            *out = entry;
            return kOk;
        }
        s += direction == 1 ? 1 : -1;
        if (checked >= count || s < first || s > last)
            return kNoMore;
    }
}

int OpenRaw(const Disk& disk, int* id) {
    *id = dvrfs_raw_open(disk.path);
    if (*id < 0)
        return kFail;
    RawSetPartitionOffset(*id, disk.partitionOffset);
    return kOk;
}

int Seek(Library& lib,
         Handle& h,
         const int time[6],
         int direction,
         int count,
         const dvrfs_find_result& record) {
    const std::shared_ptr<Disk> disk = DiskById(lib, record.diskId);
    if (!disk) {
        Log("can't get disk_entry");
        return kDiskLost;
    }
    if (disk->lost)
        return kDiskLost;

    Candidate c;
    if (const int rc = FindAgain(lib, disk, h.channel, time, record, &c))
        return rc;

    std::vector<uint8_t> sector(kSectorBytes);
    if (const int rc = ReadSector(lib, *disk, c.firstDaySector, sector.data()))
        return rc;
    const uint32_t secondIndex = DecodeDayChannel(sector.data()).secondIndex;
    if (secondIndex == 0) {
        Log("there is error in write func!");
        return kInconsistent;
    }
    const int e = SecondsOf(time), first = SecondsOf(c.start), last = SecondsOf(c.end);
    if (e < first || e > last) {
        Log("time is out of the record!");
        return kFail;
    }
    SecondEntry entry;
    if (const int rc = SecondEntryFor(lib, *disk, secondIndex, static_cast<uint32_t>(e), first, last,
                                      direction, count, &entry))
        return rc;

    // The raw devices stay open from seek to seek on the same disk.
    if (h.rawPath != disk->path || h.rawIds[0] < 0 || h.rawIds[1] < 0) {
        int ids[2] = {-1, -1};
        if (OpenRaw(*disk, &ids[0]) || OpenRaw(*disk, &ids[1])) {
            if (ids[0] >= 0)
                dvrfs_raw_close(ids[0]);
            Log("tseek open failed!");
            return kFail;
        }
        for (int i = 0; i < 2; i++) {
            if (h.rawIds[i] >= 0)
                dvrfs_raw_close(h.rawIds[i]);
            h.rawIds[i] = ids[i];
        }
        h.rawPath = disk->path;
    }
    if (!h.sectorBuffer)
        h.sectorBuffer = std::make_unique<uint8_t[]>(kSectorBytes);
    if (h.positioned && h.disk)
        h.disk->positionedHandles--;
    disk->positionedHandles++;
    h.positioned = true;
    h.disk = disk;
    h.position = entry.dataSector;
    h.secondWord = entry.secondWord;
    const uint32_t dataBase = disk->format.DataBase();
    h.blockValid = h.position >= dataBase;
    h.block = h.blockValid ? (h.position - dataBase) >> kBlockShift : 0;
    h.visitedBlocks.clear();
    h.visitedBlocks.insert(h.block);
    h.dayChannelSector = c.dayChannelSector;
    h.entryIndex = c.entryIndex;
    std::memcpy(h.start, c.start, sizeof h.start);
    std::memcpy(h.end, c.end, sizeof h.end);
    h.lastSector = c.entry.lastSector;
    return kOk;
}

int ReadBitmap(Handle& h, Disk& disk, uint64_t block, BitmapEntry* out) {
    const uint64_t at = BitmapSector(disk.format.BitmapBase(), block);
    const int rc = dvrfs_raw_read(h.rawIds[0], at, 1, h.sectorBuffer.get());
    if (rc < 0) {
        if (rc == kDiskLost)
            disk.lost = true;
        return rc;
    }
    *out = DecodeBitmapEntry(h.sectorBuffer.get(), block);
    if (out->owner != h.channel) {
        Log("software error!");
        Log(" ---disk data bitmap base:%x, fsblk:%d!", disk.format.BitmapBase(), static_cast<int>(block));
        Log(" ---bitmap sec:%d!", static_cast<int>(at));
        Log(" ---expect id:%d, error id: %d!", h.channel, out->owner);
        return kInconsistent;
    }
    return kOk;
}

// The record's last data sector, from its entry as the disk holds it now.
int CheckEntry(Handle& h, Disk& disk, uint32_t* lastSector) {
    uint8_t* sector = h.sectorBuffer.get();
    if (!sector) {
        Log("read check memalign error!");
        return kFail;
    }
    const int rc = dvrfs_raw_read(h.rawIds[0], h.dayChannelSector, 1, sector);
    if (rc < 0) {
        if (rc == kDiskLost)
            disk.lost = true;
        return rc;
    }
    const DayChannelHeader header = DecodeDayChannel(sector);
    if (header.Free() || h.entryIndex >= std::min<uint32_t>(header.count, kMaxDayEntries))
        return kNotFound;
    const RecEntry e = DecodeRecEntry(sector, h.entryIndex);
    const TimeOfDay start = UnpackTime(e.start), end = UnpackTime(e.end);
    if (e.Empty() || start.hour != h.start[3] || start.minute != h.start[4] || start.second != h.start[5])
        return kNotFound;
    // A record still being written reads on as its end moves.
    if (e.end == kEmptyTime || !end.Valid() || end.Seconds() < SecondsOf(h.end))
        return kNotFound;
    *lastSector = e.lastSector;
    return kOk;
}

int ReadRecord(Library& lib, Handle& h, uint8_t* buffer, int length) {
    const std::shared_ptr<Disk> disk = h.disk;
    if (!disk || disk->lost || DiskById(lib, static_cast<uint32_t>(disk->rawId)) != disk)
        return kDiskLost;
    TouchDisk(*disk);
    uint32_t last = 0;
    if (const int rc = CheckEntry(h, *disk, &last))
        return rc;
    h.lastSector = last;
    const uint32_t dataBase = disk->format.DataBase();
    if (last < dataBase)
        return kEndOfRecord;
    const uint64_t lastBlock = (uint64_t{last} - dataBase) >> kBlockShift;
    if (!h.blockValid) {
        Log("can't read from tseek addr!");
        return kInconsistent;
    }

    uint64_t position = h.position, block = h.block;
    std::vector<uint64_t> entered;
    bool ownerChecked = false;
    BitmapEntry link;
    size_t got = 0;
    const size_t want = static_cast<size_t>(length);
    int failure = kOk;
    while (got < want) {
        const uint64_t blockStart = BlockStart(dataBase, block), blockEnd = blockStart + kBlockSectors;
        if (block == lastBlock && position > last)
            break;
        if (position == blockEnd) {
            // The block is used up: on to the next one of the chain.
            if (!ownerChecked) {
                if ((failure = ReadBitmap(h, *disk, block, &link)) != kOk)
                    break;
            }
            const bool seen = h.visitedBlocks.count(link.next) != 0 ||
                              std::find(entered.begin(), entered.end(), link.next) != entered.end();
            if (link.next == kNoBlock || seen) {
                Log("software error!");
                failure = kInconsistent;
                break;
            }
            block = link.next;
            position = BlockStart(dataBase, block);
            entered.push_back(block);
            ownerChecked = false;
            continue;
        }
        if (position < blockStart || position > blockEnd) {
            Log("can't read from tseek addr!");
            failure = kInconsistent;
            break;
        }
        if (!ownerChecked) {
            if ((failure = ReadBitmap(h, *disk, block, &link)) != kOk)
                break;
            ownerChecked = true;
        }
        // The chain ends here: so does the record, whatever its entry says.
        const bool endsHere = block == lastBlock || link.next == kNoBlock;
        if (endsHere && position > last)
            break;
        uint64_t sectors = std::min<uint64_t>((want - got) / kSectorBytes, blockEnd - position);
        if (endsHere)
            sectors = std::min<uint64_t>(sectors, uint64_t{last} - position + 1);
        const int rc = dvrfs_raw_read(h.rawIds[1], position, static_cast<uint32_t>(sectors), buffer + got);
        if (rc < 0) {
            if (rc == kDiskLost)
                disk->lost = true;
            failure = rc;
            break;
        }
        got += static_cast<size_t>(sectors) * kSectorBytes;
        position += sectors;
    }
    // A failure after some sectors were read ends the call with those; the
    // next call starts where it failed, and fails there.
    if (got == 0)
        return failure != kOk ? failure : kEndOfRecord;
    h.position = position;
    h.block = block;
    h.visitedBlocks.insert(entered.begin(), entered.end());
    return static_cast<int>(got);
}

}  // namespace

}  // namespace vkfs::dvrfs

using namespace vkfs;
using namespace vkfs::dvrfs;

int dvrfs_tseek(unsigned handle,
                const int time[6],
                int direction,
                int count,
                const vkfs::dvrfs_find_result* record) {
    if (handle >= kMaxHandles || !time || !record || (direction != 0 && direction != 1) || count < 0) {
        Log("bad param!");
        return kBadArgument;
    }
    if (!TimeValid(time) || time[0] != record->start[0] || time[1] != record->start[1] ||
        time[2] != record->start[2]) {
        Log("bad time,input again!");
        return kBadArgument;
    }
    std::lock_guard<std::mutex> hold(GlobalMutex());
    Library* lib = TheLibrary();
    Handle* h = lib ? lib->handles[handle].get() : nullptr;
    if (!h) {
        Log("handle null!");
        return kNotOpen;
    }
    return Seek(*lib, *h, time, direction, count, *record);
}

int dvrfs_read(int handle, void* buffer, int length, int*) {
    if (handle < 0 || handle >= kMaxHandles || !buffer) {
        Log("bad initial parm!");
        return kBadArgument;
    }
    if (length % kLengthUnit != 0) {
        Log("buf len is not align to KB!");
        length -= length % kLengthUnit;
    }
    if (length <= 0) {
        Log("bad initial parm!");
        return kBadArgument;
    }
    std::lock_guard<std::mutex> hold(GlobalMutex());
    Library* lib = TheLibrary();
    Handle* h = lib ? lib->handles[static_cast<size_t>(handle)].get() : nullptr;
    if (!h) {
        Log("channel may be closed or not opened!");
        Log("bad initial parm!");
        return kNotOpen;
    }
    if (length % kReadUnit != 0) {
        Log("the given len is not %x aligned!", kReadUnit);
        Log("bad initial parm!");
        return kBadArgument;
    }
    if (!h->positioned || h->rawIds[0] < 0 || h->rawIds[1] < 0) {
        Log("before read, you should call dvrfs_tseek first!");
        return kNoFind;
    }
    const int rc = ReadRecord(*lib, *h, static_cast<uint8_t*>(buffer), length);
    if (rc < 0 && rc != kEndOfRecord)
        Log("dvrfs_read error!ret_value = %d", rc);
    return rc;
}
