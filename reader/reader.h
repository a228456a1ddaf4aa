// reader/reader.h
//
// One instance of the recording-disk reader: the state one library holds (disk
// table, channel table, search handles, reader slots) and the seventeen calls of
// its interface. The two builds (format version 1 as vekfs_api, version 2 as
// vekfs2_api) are two Reader objects with different profiles; the export layer
// of each build forwards its plain C functions to its own object, so two builds
// linked into one process keep separate state.
//
// Results follow the library's convention: 0 or a handle on success, a negative
// vekfs_err on failure, with a console line for every failure (reader/diag.h).
//
// Threads: the recording access library calls one reader from several worker
// threads at once (a day search while up to eight play and export threads
// read). Search handles, the disk table and the channel table are guarded by one
// lock (lock_), taken briefly: a search walks the disk without it. Each reader
// slot has its own mutex, held by every call that takes, drives or frees the
// slot, so two threads never get one slot and a stop never frees a slot under a
// running read. Lock order: a slot's mutex may be held while taking lock_ (a
// seek checks its descriptor against the handle's list), never the reverse.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/raw_device.h"
#include "reader/format.h"
#include "reader/profile.h"

namespace vekfs {

enum vekfs_err : int {
    VEKFS_OK = 0,
    VEKFS_ERR_FAIL = -1,
    VEKFS_ERR_NO_READER = -2,
    VEKFS_ERR_IO = -3,
    VEKFS_ERR_BAD_HANDLE = -4,
    VEKFS_ERR_RANGE = -10,
    VEKFS_ERR_NULL_PARAM = -11,
    VEKFS_ERR_NO_MEMORY = -12,
    VEKFS_ERR_OPEN = -13,
    VEKFS_ERR_SEARCH_READ = -14,
    VEKFS_ERR_READ = -15,
    VEKFS_ERR_KFRAME_READ = -16,
    VEKFS_ERR_NO_SEARCH_SLOT = -17,
    VEKFS_ERR_NO_SEARCH = -18,
    VEKFS_ERR_SEARCH_TYPE = -19,
    VEKFS_ERR_CHANNEL = -22,
    VEKFS_ERR_EVENT_NOT_LOADED = -23,
    VEKFS_ERR_OVERWRITTEN = -24,
    VEKFS_ERR_ALIGN = -25,
};

inline constexpr int kMaxDisks = 8;
inline constexpr int kMaxSearchHandles = 16;
inline constexpr int kMaxReaderSlots = 64;
// find_start of the month and half-hour types takes no handle and returns this.
inline constexpr int kNoSearchHandle = kMaxSearchHandles;
inline constexpr int kDefaultDebugLevel = 5;

// Status of a mounted disk.
struct disk_status_t {
    uint32_t capacity = 0;  // the parameter block's capacity word
    uint32_t free_mb = 0;   // free files of usable partitions x 256
    uint8_t state = 0;      // the disk state byte
};

// A mounted disk (one per disk number 0..7).
struct disk_info_t {
    int number = 0;
    // The parameter block as read, with the mount's in-memory changes (state 2 and
    // the word at +36 for a disk formatted for fewer channels; valid bits of
    // dropped copies). Only valid bits ever go back to the disk.
    disk_param param;
    std::string path;  // kept whole: every search and seek reopens the device by it
    std::array<part_info, kMaxPartitions> parts{};
};

struct channel_entry {
    uint8_t state = 0;  // 0 closed
    uint8_t number = 0;
    std::unique_ptr<platform::RawDevice> device;
    std::unique_ptr<uint8_t[]> buffer;  // version 2: 480 bytes
};

// One event list of a search handle, for one list channel.
struct event_list_store {
    std::vector<event_desc> events;  // size() is the capacity in descriptors
    int32_t count = 0;
    int32_t cursor = 0;  // -1 once the search has ended
};

// A search handle (types 2 and 3).
struct search_handle {
    bool in_use = false;
    packed_time earliest = 0;                                   // earliest event start found
    packed_time latest = 0;                                     // latest event end found
    std::array<uint8_t, kMaxDisks * kMaxPartitions> touched{};  // disk * 4 + partition
    std::array<event_list_store, kMaxRecChannels> lists;
};

struct reader_slot {
    // Held by every call that drives the slot, and by whoever frees it, so a
    // stop or a new init never pulls the slot from under a running read.
    std::mutex mutex;
    uint8_t overwritten = 0;
    bool in_use = false;
    bool sought = false;  // a seek succeeded: reads and key-frame steps are allowed
    uint8_t event_index = 0;
    int channel = 0;
    std::unique_ptr<platform::RawDevice> iframe_hHDD;  // opened on first seek, kept within one file
    bool has_location = false;
    uint32_t location = 0;
    uint64_t file_base = 0;  // byte offset of the data file on the device
    uint32_t pos = 0;        // read position, byte offset within the file
    uint32_t data_start = 0;
    uint32_t data_length = 0;
    int64_t cur_kframe = 0;           // current key-frame number
    int64_t low_kframe = 0;           // E: the event's last (lowest) entry
    int64_t high_kframe = 0;          // O: the event's first (highest) entry
    std::unique_ptr<uint8_t[]> page;  // kKframePageSize bytes of index entries
    uint32_t page_first = 0;          // key-frame number of the first entry in the page
    uint32_t page_count = 0;          // entries held (0: none)
};

class Reader {
  public:
    explicit Reader(const ReaderProfile& profile);
    ~Reader();
    Reader(const Reader&) = delete;
    Reader& operator=(const Reader&) = delete;

    const ReaderProfile& profile() const { return profile_; }
    const FormatTraits& format() const { return profile_.format; }

    // ---- the interface (the export layer forwards to these) ----
    int init(int max_channels);
    int exit(int unused);
    int add_disk(int disk_number, const char* path);
    int remove_disk(int disk_number);
    int get_disk_status(int disk_number, disk_status_t* out, int* result);
    int channel_open(int channel);
    int channel_close(int channel);
    int find_start(search_param* param, void* out);
    int find_stop(int handle);
    int get_event(int handle, int list_channel, event_list* out);
    int read_start(int channel);
    int read(int slot, void* buffer, int length, int* first_offset);
    int tseek(int slot, vekfs_time* time, int direction, int reserved, event_desc* event);
    int get_next_kframe(int slot, void* buffer, int length, int* first_offset, int step);
    int get_prev_kframe(int slot, void* buffer, int length, int* first_offset, int step);
    int get_current_kframe(int slot, void* buffer, int length, int* first_offset);
    int read_stop(int slot);

    // ---- mounting internals, public for the tools and tests ----
    int dealwith_index_error(disk_param* block,
                             int partition,
                             platform::RawDevice* device,
                             const std::string& path);
    // Reads partition `partition`'s record from its working copy (recovering the
    // index when the copy fails) and repairs the partition when the recorder left
    // it open. 0 or -1.
    int repair_record(int partition, disk_param* block, part_info* out, const std::string& path);
    // Closes the files and events the recorder left open in a partition whose
    // record carries the repair flag. 0 or -1.
    int repair_partition(disk_param* block,
                         part_info* part,
                         const std::string& path,
                         platform::RawDevice* device,
                         int partition);

    // Snapshot of a mounted disk (for tools and tests); false when not mounted.
    bool disk_info(int disk_number, disk_info_t* out) const;
    int max_channels() const { return maxChannels_; }
    uint16_t largest_file_count() const { return largestFileCount_; }
    int mounted_count() const { return mountedCount_; }

  private:
    // Copies of the mounted disks' records, taken under the lock, for a search to
    // walk without holding it.
    std::vector<disk_info_t> snapshot_disks() const;

    // Searches (reader/search.cpp). `p` has its channel mask already cut to the
    // configured maximum.
    int search_month(const search_param& p, uint32_t* out);
    int search_halfhour(const search_param& p, uint32_t* out);
    int search_events(const search_param& p, int handle);

    // Stream reading (reader/stream.cpp).
    int time_seek(reader_slot& slot, const vekfs_time& time, int direction, const event_desc& event);
    int read_data(reader_slot& slot, void* buffer, int length, int* first_offset);
    int step_kframe(reader_slot& slot, void* buffer, int length, int* first_offset, int step);

    int kframe_call(int slot, void* buffer, int length, int* first_offset, int step);
    void free_all();
    void recount_largest_file_count();
    void clear_slot(reader_slot& slot);
    void clear_handle(search_handle& handle);
    bool dumps_on() const { return debugLevel_ <= profile_.dumpLevelLimit; }

    const ReaderProfile& profile_;
    int maxChannels_ = kMaxRecChannels;
    int debugLevel_ = kDefaultDebugLevel;

    mutable std::mutex lock_;  // tables below; see the file comment
    std::array<std::unique_ptr<disk_info_t>, kMaxDisks> disks_;
    int mountedCount_ = 0;
    uint16_t largestFileCount_ = 0;
    std::array<channel_entry, kMaxRecChannels> channels_;
    std::array<search_handle, kMaxSearchHandles> handles_;
    std::array<reader_slot, kMaxReaderSlots> slots_;
};

}  // namespace vekfs
