// A scripted dvrfs reader for the VKFS tests: records per channel with their
// byte streams, channel handles, range and month finds, seeks and reads, and a
// record of the times VKFS seeks to and of the handles it leaves open.
#pragma once

#include <atomic>
#include <map>
#include <mutex>
#include <set>
#include <vector>

#include "vkfs/reader_ops.h"

namespace vkfs::testing {

class FakeDvrfs : public DvrfsOps {
  public:
    static constexpr const char* kPath = "fake:dvrfs";

    void AddRecord(int channel, const RecTime& start, const RecTime& end, std::vector<uint8_t> stream);

    std::set<int> failOpenChannels;        // Open fails on these
    std::atomic<int> readResult{0};        // every read returns this once set
    std::atomic<bool> readNothing{false};  // every read returns 0 once set
    std::atomic<int> findResult{0};        // range finds fail with this once set
    std::atomic<int> nextFailures{0};      // this many find nexts fail with -14, the find kept

    int OpenHandles() const;
    std::vector<RecTime> SeekTimes() const;

    int Init(int channels, int secondArgument, int diskGroup) override;
    int Exit(int force) override;
    int AddDisk(const char* path) override;
    int RemoveDisk(const char* path, int force, int diskGroup) override;
    int Open(int channel, int rwflag) override;
    int Close(int handle, int force) override;
    int FindStart(int handle, dvrfs_find_query* query, void* out, int diskSet) override;
    int FindNext(int handle, void* out) override;
    int FindStop(int handle) override;
    int TimeSeek(int handle,
                 const int time[6],
                 int direction,
                 int count,
                 const dvrfs_find_result* record) override;
    int Read(int handle, void* buffer, int length, int* out) override;

  private:
    struct Record {
        int channel = 0;
        RecTime start{}, end{};
        std::vector<uint8_t> stream;
    };
    struct Handle {
        int channel = 0;
        bool finding = false;
        std::vector<size_t> found;  // records of the running find
        size_t cursor = 0;
        int reading = -1;  // record positioned by the last seek
        size_t pos = 0;
    };
    dvrfs_find_result Result(size_t record) const;

    mutable std::mutex lock_;
    std::vector<Record> records_;
    std::map<int, Handle> handles_;
    int next_ = 0;
    std::vector<RecTime> seeks_;
};

}  // namespace vkfs::testing
