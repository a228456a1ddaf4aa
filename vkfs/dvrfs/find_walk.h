// vkfs/dvrfs/find_walk.h
//
// How a find walks a channel's index on each of its disks and merges what the
// disks offer.
//
// A range find (kind 0) keeps one node per disk. A node walks the channel's
// month index in index order, the days of each month entry (those whose flags
// share a type bit with the mask and whose class the mask does not exclude),
// the day's chain of day_channel sectors and their record entries, and stops
// at the first entry the query takes: its candidate. The find hands back the
// earliest candidate of all nodes (on equal starts the disk later in mount
// order wins); that node walks on at the next call, the others keep theirs.
// Once a result has gone out, the base of the walk - where "before the
// query's start" is measured from - moves to that result's start, for every
// node that has offered a candidate.
//
// Month places of a month entry against the base month b and the end month e:
// 5 when e < b, 4 before b, 6 after e, 3 both b and e, 1 equal to b, 2 equal
// to e, 0 between. Day places against the base and end days: 4 before the
// base day (skipped), 6 after the end day (ends the disk's walk), 1, 2, 3 and
// 0 alike. The day place selects the time-of-day test of its entries: 1 takes
// none that ends before the base time, 2 ends the walk at one starting after
// the end time, 3 both.
//
// A chain link whose back link does not name the link just left (a free
// sector, a broken chain, a loop) is logged "software error!", raises the
// library's index-changed flag (the call's result then comes with -23) and
// the walk goes on with the next day. Counts larger than their sectors hold
// (month entries above 13, record entries above 11) are -16.
//
// A month find (kind 1) steps each node from month entry to month entry;
// the earliest month of all nodes is handed back with the day words of every
// node holding that month ORed together.
//
// Every step moves forward (entries, links - at most kMaxDayChain a day -,
// days, month entries), so every call ends.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "vkfs/dvrfs/layout.h"
#include "vkfs/dvrfs_entry.h"

namespace vkfs::dvrfs {

struct Disk;
struct Library;

// Links of one day's chain a walk follows before it calls the chain broken:
// more than a day of one-second records could fill.
inline constexpr uint32_t kMaxDayChain = kSecondsPerDay / kMaxDayEntries + 1;

// A record entry a node offers, and where it lies.
struct Candidate {
    int32_t start[6] = {};
    int32_t end[6] = {};
    RecEntry entry;
    int monthIndex = 0;
    int day = 0;
    uint32_t dayChannelSector = 0;
    uint32_t entryIndex = 0;
    uint32_t firstDaySector = 0;
};

struct FindNode {
    std::shared_ptr<Disk> disk;

    // The channel's month index as last read.
    uint32_t monthCount = 0;
    std::array<uint8_t, kChannelIndexSectors * kSectorBytes> index{};

    bool positioned = false;  // the first positioning is done
    bool ended = false;       // the disk's walk has ended
    bool offered = false;     // the node has offered a candidate

    // Where the walk stands.
    int monthIndex = -1;
    MonthEntry month;
    int monthPlace = 0;
    int day = 0;
    int dayPlace = 0;
    bool toNextDay = false;
    uint32_t firstDaySector = 0;
    uint32_t dayChannelSector = 0;
    std::array<uint8_t, kSectorBytes> dayChannel{};
    DayChannelHeader header;
    uint32_t entryPos = 0;
    bool usedUp = false;
    uint32_t chainSteps = 0;

    bool hasCandidate = false;
    Candidate candidate;

    // Month summary.
    bool merged = false;
    int monthKey = 0;
    std::array<uint32_t, kDaysInMonthEntry> days{};
};

struct Find {
    dvrfs_find_query query;
    int diskSet = 0;
    int channel = 0;
    std::vector<FindNode> nodes;
    bool handedBack = false;  // a result has gone out
    int lastGiver = -1;       // the node that gave it
    int32_t lastStart[6] = {};
    Candidate lastCandidate;
    int lastMonthKey = 0;
};

// A range node's next candidate (node.hasCandidate), or the end of its walk.
// 0 or the failure of a sector read or a count check.
int RangeStep(Library& lib, Find& find, FindNode& node);
// Checks a waiting candidate's place against the disk again; *moved when it
// no longer stands (the node must step).
int RangeRecheck(Library& lib, Find& find, FindNode& node, bool* moved);
// Hands back the earliest candidate: 0, or -2 when no node holds one.
int ChooseRange(Find& find, dvrfs_find_result* out);

int MonthStep(Library& lib, Find& find, FindNode& node);
// Looks the node's month up again in its index: -2 when the index is empty.
int MonthRelocate(Library& lib, Find& find, FindNode& node);
int MergeMonths(Find& find, dvrfs_month_result* out);

// 0 for equal, -1 / 1 as a is before / after b.
int CompareSix(const int32_t a[6], const int32_t b[6]);

}  // namespace vkfs::dvrfs
