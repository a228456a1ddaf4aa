// A scripted format 1/2 reader for VKFS tests: events per channel with their
// byte streams, failures to inject per call, and a watch on how VKFS calls it
// (calls that overlap in time, search handles and reader slots left open).
#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "vkfs/reader_ops.h"

namespace vkfs::testing {

struct FakeEvent {
    vekfs::event_desc desc;       // start, end, channel, type bits as the search hands them out
    std::vector<uint8_t> stream;  // what reads return after a seek into the event
};

class FakeVekfs : public VekfsOps {
  public:
    // Path AddDisk accepts.
    static constexpr const char* kPath = "fake:disk";

    void AddEvent(uint8_t channel,
                  const RecTime& start,
                  const RecTime& end,
                  std::vector<uint8_t> stream,
                  uint32_t typeBits = 1);

    // Whether AddDisk takes kPath (another reader then gets the disk).
    std::atomic<bool> acceptDisk{true};
    // Failures to inject: 0 means the call works.
    std::atomic<int> initResult{0};
    std::atomic<int> readStartResult{0};
    std::atomic<int> seekResult{0};
    std::atomic<int> readResult{0};  // returned by every read once set
    std::atomic<int> findStartResult{0};
    std::set<int> badEventChannels;  // GetEvent fails with -22 and a poisoned list
    // Sleeps inside every call, to widen the window for overlapping calls.
    std::atomic<int> callMicros{0};

    // What was seen.
    int OverlappingCalls() const { return overlaps_; }
    int OpenSearchHandles() const;
    int OpenReaderSlots() const;
    int SeekCount() const { return seeks_; }
    std::vector<vekfs::vekfs_time> SeekTimes() const;

    int Init(int maxChannels) override;
    int Exit(int unused) override;
    int AddDisk(int diskNumber, const char* path) override;
    int RemoveDisk(int diskNumber) override;
    int FindStart(vekfs::search_param* param, void* out) override;
    int FindStop(int handle) override;
    int GetEvent(int handle, int listChannel, vekfs::event_list* out) override;
    int ReadStart(int channel) override;
    int TimeSeek(int slot,
                 vekfs::vekfs_time* time,
                 int direction,
                 int reserved,
                 vekfs::event_desc* event) override;
    int Read(int slot, void* buffer, int length, int* firstOffset) override;
    int ReadStop(int slot) override;

  private:
    class Call;  // marks a call in progress
    struct Slot {
        int channel = 0;
        int event = -1;  // index into events_
        size_t pos = 0;
    };

    mutable std::mutex lock_;
    std::vector<FakeEvent> events_;
    std::map<int, std::vector<vekfs::event_desc>> lists_;  // by channel, for the open search
    std::set<int> handles_;
    int nextHandle_ = 0;
    std::map<int, Slot> slots_;
    std::vector<vekfs::vekfs_time> seekTimes_;
    std::atomic<int> inCall_{0};
    std::atomic<int> overlaps_{0};
    std::atomic<int> seeks_{0};
};

}  // namespace vkfs::testing
