// Shared pieces of the VKFS tests: callback recorders for searches and
// streams, a private log file per test, waiting with a deadline, and the
// generated recorder days the play and export tests run on. Only the exported
// interface is used here, so the Windows test shares it.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/mem_device.h"
#include "tests/common/built_images.h"
#include "tests/common/temp_dir.h"
#include "tests/common/wait_for.h"
#include "tools/image_builder.h"
#include "tools/image_manifest.h"
#include "vkfs/vkfs_api.h"

namespace vkfs::testing {

using vektest::WaitFor;

RecTime At(int year, int month, int day, int hour, int minute, int second);
// A packed time of the image builder as a RecTime.
RecTime FromPacked(uint32_t packed);
bool Same(const RecTime& a, const RecTime& b);

// Everything a search hands to its callback.
struct SearchCall {
    FSReaderKind kind = FS_READER_DVRFS;
    bool hasRecord = false;
    FSMonthResult month{};
    FSRecordInfo record{};
    FSPlayParam param{};
};

// Records the calls of the month and day callbacks; the search's user pointer
// must be the SearchLog.
class SearchLog {
  public:
    static int VEK_CALL Month(FSReaderKind kind, void* record, FSPlayParam* param);
    static int VEK_CALL Day(FSReaderKind kind, void* record, FSPlayParam* param);

    std::vector<SearchCall> Calls() const;
    // Waits for the call with no record.
    bool WaitForFinal(int ms = 30000) const;
    size_t Finals() const;

  private:
    void Add(SearchCall call);

    mutable std::mutex lock_;
    mutable std::condition_variable changed_;
    std::vector<SearchCall> calls_;
};

// One data or time call of a play or export.
struct StreamEvent {
    enum Kind { Data, End, Time } kind = Data;
    std::vector<uint8_t> bytes;  // Data
    bool null = false;           // End: no data pointer
    RecTime start{}, end{};      // Time
};

// Records the data and time calls of a play or export; the user word must be
// User(). `onData` runs inside the data callback (on the worker thread) after
// the call is recorded, with the number of data calls so far.
class StreamLog {
  public:
    static int VEK_CALL OnData(uintptr_t user, unsigned char* data, int length);
    static int VEK_CALL OnTime(uintptr_t user, RecTime start, RecTime end);

    uintptr_t User() { return reinterpret_cast<uintptr_t>(this); }
    std::function<void(size_t)> onData;

    std::vector<StreamEvent> Events() const;
    size_t DataCalls() const;
    size_t Ends() const;
    size_t TimeCalls() const;
    bool WaitForEnds(size_t n, int ms = 60000) const;
    bool WaitForData(size_t n, int ms = 30000) const;
    // The data calls' bytes in order, leaving out end marks.
    std::vector<std::vector<uint8_t>> Frames() const;

  private:
    mutable std::mutex lock_;
    mutable std::condition_variable changed_;
    std::vector<StreamEvent> events_;
    size_t data_ = 0, ends_ = 0, times_ = 0;
};

// The lines of a log file, without line ends.
std::vector<std::string> ReadLines(const std::string& path);
using vektest::TempDir;

// ---- generated recorder days ---------------------------------------------------------

// 2024-05-06, one partition:
//   channel 2  file 0: 10:00:00 +30 s, 10:01:00 +20 s, 10:05:00 +40 s
//              file 1: 11:00:00 +20 s
//   channel 3  file 2: 12:00:00 +30 s, 12:00:20 +30 s (overlaps the first), 12:10:00 +10 s
//   channel 5  file 3: 13:00:00 +10 s, 16 extension bytes behind every frame
// 10 fps video, a key frame a second, 3-9 KB key frames, audio interleaved.
vektools::ImageSpec PlayDaySpec(int version);
inline constexpr int kPlayYear = 24, kPlayMonth = 5, kPlayDay = 6;
// The same day, channel 6 only: 14:00:00 for 20 s with a key frame every
// 2.5 s (the last at 14:00:17.5), and from the second that one ends,
// 14:00:20, for 20 s with a key frame every second.
vektools::ImageSpec BoundaryDaySpec(int version);

using vektest::Built;
using vektest::BuiltImage;

// The events of one channel in start order.
std::vector<const vektools::EventFact*> EventsOfChannel(const vektools::Manifest& m, int channel);
// The frames (header and payload) an event holds from its first key frame at
// or after `from` (a packed time; 0: its first key frame), as the disk holds them.
std::vector<std::vector<uint8_t>> FramesFrom(const BuiltImage& image,
                                             const vektools::EventFact& event,
                                             uint32_t from = 0);
// The event's bytes from its first key frame to its data end.
std::vector<uint8_t> RecordBytes(const BuiltImage& image, const vektools::EventFact& event);

}  // namespace vkfs::testing
